#include "ui/WidthHud.h"

#include "ui/Col.h"
#include "ui/HudNoise.h"

#include <algorithm>
#include <cmath>

namespace
{
// The side gain: 0 at mono, 1 at normal width, 2 at the widest.
float sideGain (float widen)
{
    return widen / 7.5f;
}

float percentOf (float widen)
{
    return (sideGain (widen) - 1.0f) * 100.0f;
}
} // namespace

juce::String WidthHud::valueText (float widen)
{
    const int v = roundHalfAway (percentOf (widen));
    if (v <= -100)
        return "MONO";
    if (v >= 100)
        return "WIDEST";
    return (v > 0 ? "+" : "") + juce::String (v);
}

juce::String WidthHud::modeText (float widen)
{
    const float pct = percentOf (widen);
    if (pct <= -97.0f)
        return "MONO";
    if (pct < -25.0f)
        return "NARROW";
    if (pct < 25.0f)
        return "STEREO";
    if (pct < 97.0f)
        return "WIDE";
    return "WIDEST";
}

juce::Point<float> WidthHud::particle (const VisualizerComponent::VisualizerState& s, juce::Rectangle<float> area,
                                       int i)
{
    using hudnoise::noise;
    const Grid grid (area, 436.0f, 106.0f);
    const float u = sideGain (s.widen);
    const float mid = s.noMid ? 0.0f : 1.0f;
    const float t = s.hudClock + 0.03f * static_cast<float> (i);
    const float side =
        (2.0f * noise (4.3f * t, 191.0f) - 1.0f) * 0.55f + (2.0f * noise (9.1f * t, 307.0f) - 1.0f) * 0.35f;
    const float centre =
        (2.0f * noise (3.1f * t, 11.0f) - 1.0f) * 0.62f + (2.0f * noise (7.7f * t, 53.0f) - 1.0f) * 0.3f;
    return { grid.X (218.0f) + side * u * (196.0f * grid.sx / 1.9f),
             grid.Y (50.0f) - centre * mid * (32.0f * grid.sy / 0.95f) };
}

void WidthHud::paintContent (juce::Graphics& g, juce::Rectangle<float> area)
{
    const Grid grid (area, 436.0f, 106.0f);
    const float u = sideGain (state.widen);
    const float pct = percentOf (state.widen);
    const float mid = state.noMid ? 0.0f : 1.0f;

    g.setColour (Col::bg1.withAlpha (0.82f));
    g.fillRect (area);

    g.setFont (mono (9.0f));
    g.setColour (Col::mg);
    drawText (g, "WIDTH", grid.X (8.0f), grid.Y (2.0f), 60.0f, 12.0f, juce::Justification::topLeft);
    g.setColour (Col::t0);
    drawText (g, valueText (state.widen), grid.X (50.0f), grid.Y (2.0f), 60.0f, 12.0f, juce::Justification::topLeft);
    g.setFont (mono (8.0f));
    g.setColour (Col::t1);
    drawText (g, modeText (state.widen), grid.X (96.0f), grid.Y (3.0f), 60.0f, 11.0f, juce::Justification::topLeft);

    g.setFont (mono (7.0f));
    g.setColour (Col::t2);
    drawText (g, "mid x" + juce::String (mid, 2), grid.X (250.0f), grid.Y (4.0f), 66.0f, 10.0f,
              juce::Justification::topRight);
    g.setColour (Col::mg);
    drawText (g, "side x" + juce::String (u, 2), grid.X (328.0f), grid.Y (4.0f), 100.0f, 10.0f,
              juce::Justification::topRight);

    // The stereo field and its centre axis.
    const float cx = grid.X (218.0f);
    const float cy = grid.Y (50.0f);
    g.setColour (Col::mg.withAlpha (0.55f));
    g.drawEllipse (cx - 108.0f * grid.sx, cy - 108.0f * grid.sy, 216.0f * grid.sx, 216.0f * grid.sy, 1.4f);
    g.setColour (Col::t1.withAlpha (0.55f));
    const float dashes[] = { 2.0f, 4.0f };
    g.drawDashedLine (juce::Line<float> (cx, grid.Y (16.0f), cx, grid.Y (84.0f)), dashes, 2, 1.0f);
    g.setColour (Col::t2);
    drawText (g, "L", grid.X (12.0f), grid.Y (16.0f), 20.0f, 10.0f, juce::Justification::centred);
    drawText (g, "R", grid.X (404.0f), grid.Y (16.0f), 20.0f, 10.0f, juce::Justification::centred);

    // Particles, newest first: the oldest end up on top of the pile.
    const juce::Colour newCore { 0xffe6ecff };
    const juce::Colour oldCore { 0xffa0b0ff };
    for (int i = 0; i < 300; ++i)
    {
        const auto p = particle (state, area, i);
        const float fade = 1.0f - static_cast<float> (i) / 300.0f;
        g.setColour (Col::mg.withAlpha (0.1f + 0.14f * fade));
        g.fillEllipse (p.x - 4.4f, p.y - 4.4f, 8.8f, 8.8f);
        const float radius = i < 14 ? 1.8f : 1.25f;
        g.setColour ((i < 14 ? newCore : oldCore).withAlpha (0.3f + 0.55f * fade));
        g.fillEllipse (p.x - radius, p.y - radius, 2.0f * radius, 2.0f * radius);
    }

    // The scale from MONO to WIDEST with its pointer.
    const float scaleY = grid.Y (94.0f);
    g.setColour (Col::b2);
    g.drawLine (grid.X (40.0f), scaleY, grid.X (396.0f), scaleY, 1.0f);
    const char* const labels[] = { "MONO", "NARROW", "STEREO", "WIDE", "WIDEST" };
    g.setFont (mono (7.0f));
    for (int k = 0; k <= 4; ++k)
    {
        const float x = grid.X (40.0f) + static_cast<float> (k) / 4.0f * 356.0f * grid.sx;
        g.setColour (k == 2 ? Col::t1 : Col::b2);
        g.drawLine (x, scaleY - 3.0f, x, scaleY + 3.0f, 1.0f);
        const float labelCentre = -100.0f + 50.0f * static_cast<float> (k);
        g.setColour (std::abs (pct - labelCentre) < 25.0f ? Col::t1 : Col::t2);
        drawText (g, labels[k], x - 24.0f, scaleY + 4.0f, 48.0f, 10.0f, juce::Justification::centred);
    }

    const float q = pct < -100.0f ? 0.0f : (std::min (pct, 100.0f) + 100.0f) / 200.0f;
    const float px = grid.X (40.0f) + q * 356.0f * grid.sx;
    juce::Path pointer;
    pointer.addTriangle (px, scaleY - 5.0f, px - 3.5f, scaleY - 9.5f, px + 3.5f, scaleY - 9.5f);
    g.setColour (Col::mg);
    g.fillPath (pointer);
}
