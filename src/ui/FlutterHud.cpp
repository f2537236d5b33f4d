#include "ui/FlutterHud.h"

#include "params/ParameterTable.h"
#include "ui/Col.h"
#include "ui/HudNoise.h"

#include <cmath>

using hudnoise::hash;

std::array<juce::Point<float>, 97> FlutterHud::tracePoints (const VisualizerComponent::VisualizerState& s, float w,
                                                            float h)
{
    const float centre = 0.55f * h;
    const float range = 0.32f * h;
    const float amount = (s.flutter / 100.0f) * (s.flutter / 100.0f);
    const float plotWidth = w - 28.0f;

    std::array<juce::Point<float>, 97> points;
    for (int i = 0; i <= 96; ++i)
    {
        const float u = static_cast<float> (i) / 96.0f;
        const float t = 9.0f * s.flutterPhase - 5.4f * u;
        const float n = (2.0f * hudnoise::noise9 (t, 41.0f) - 1.0f) * 0.7f
                        + (2.0f * hudnoise::noise9 (2.0f * t, 173.0f) - 1.0f) * 0.3f;
        const float grain = hash (0.61f * static_cast<float> (i));
        points[static_cast<size_t> (i)] = { 14.0f + u * plotWidth,
                                            centre - ((2.0f * grain - 1.0f) * 0.1f + n) * range * amount };
    }
    return points;
}

bool FlutterHud::segmentLeftOut (int i, float amount)
{
    return hash (2.13f * static_cast<float> (i) + 7.0f) < 0.1f + 0.12f * (1.0f - amount);
}

void FlutterHud::paintContent (juce::Graphics& g, juce::Rectangle<float> area)
{
    const float w = area.getWidth();
    const float h = area.getHeight();
    g.setColour (Col::bg1.withAlpha (0.82f));
    g.fillRect (area);

    // Header: the value being dragged is the bright one.
    const bool speedTouched = state.touchedParamId == params::id::tapeFlutterSpeed;
    g.setFont (mono (9.0f));
    g.setColour (Col::co);
    drawText (g, "FLUTTER", 8.0f, 4.0f, 60.0f, 12.0f, juce::Justification::topLeft);
    g.setColour (speedTouched ? Col::t2 : Col::t0);
    drawText (g, juce::String (roundHalfAway (state.flutter)) + "%", 64.0f, 4.0f, 40.0f, 12.0f,
              juce::Justification::topLeft);
    g.setFont (mono (8.0f));
    g.setColour (speedTouched ? Col::t0 : Col::t2);
    drawText (g, "spd " + juce::String (roundHalfAway (state.flutterSpeed)) + "%", 104.0f, 4.0f, 60.0f, 12.0f,
              juce::Justification::topLeft);

    // Guides: +, 0 and - of the deviation.
    const float c = 0.55f * h;
    const float a = 0.32f * h;
    g.setColour (Col::b2);
    g.drawLine (14.0f, c - a, w - 14.0f, c - a, 0.5f);
    g.drawLine (14.0f, c, w - 14.0f, c, 0.6f);
    g.drawLine (14.0f, c + a, w - 14.0f, c + a, 0.5f);
    g.setColour (Col::t2);
    g.setFont (mono (7.0f));
    drawText (g, "+", 4.0f, c - a - 4.0f, 10.0f, 10.0f, juce::Justification::centred);
    drawText (g, "0", 4.0f, c - 3.0f, 10.0f, 10.0f, juce::Justification::centred);
    drawText (g, "-", 4.0f, c + a - 4.0f, 10.0f, 10.0f, juce::Justification::centred);

    const float amount = (state.flutter / 100.0f) * (state.flutter / 100.0f);
    const auto points = tracePoints (state, w, h);
    auto point = [&points] (int i) { return points[static_cast<size_t> (i)]; };

    // The brush: weaker flutter leaves more gaps.
    juce::Path brush;
    bool penDown = false;
    for (int i = 0; i < 96; ++i)
    {
        if (segmentLeftOut (i, amount))
        {
            penDown = false;
            continue;
        }
        if (! penDown)
            brush.startNewSubPath (point (i));
        brush.lineTo (point (i + 1));
        penDown = true;
    }
    const float weight = 1.1f + 3.1f * amount;
    g.setColour (Col::co.withAlpha (0.22f));
    g.strokePath (brush, juce::PathStrokeType (1.8f * weight));
    g.setColour (Col::co.withAlpha (0.55f));
    g.strokePath (brush, juce::PathStrokeType (weight));
    g.setColour (Col::co.withAlpha (0.85f));
    g.strokePath (brush, juce::PathStrokeType (0.45f * weight));

    // Bristles.
    g.setColour (Col::co.withAlpha (0.3f + 0.25f * amount));
    for (int j = 4; j <= 91; j += 3)
    {
        const float fj = static_cast<float> (j);
        if (hash (3.7f * fj + 1.3f) < 0.62f)
            continue;
        const float length = 3.0f + hash (5.1f * fj + 9.0f) * (6.0f + 10.0f * amount);
        const float angle = (hash (1.9f * fj + 4.4f) - 0.5f) * 0.9f * juce::MathConstants<float>::pi;
        const auto from = point (j);
        g.drawLine (from.x, from.y, from.x + length * std::cos (angle), from.y + length * std::sin (angle), 0.6f);
    }

    // Speckles.
    for (int j = 0; j <= 94; j += 2)
    {
        const float fj = static_cast<float> (j);
        if (hash (6.3f * fj + 2.7f) > 0.22f + 0.1f * amount)
            continue;
        const float radius = 0.5f + 1.3f * hash (4.4f * fj + 6.6f);
        const auto centre = point (j).translated ((hash (8.9f * fj + 0.5f) - 0.5f) * 10.0f,
                                                  (hash (11.3f * fj + 3.1f) - 0.5f) * (3.0f + 0.5f * a * amount));
        g.setColour (Col::co.withAlpha (0.18f + 0.22f * hash (2.2f * fj)));
        g.fillEllipse (centre.x - radius, centre.y - radius, 2.0f * radius, 2.0f * radius);
    }

    // The newest point glows.
    const auto newest = point (0);
    const std::pair<float, float> glow[] = { { 25.2f, 0.1f }, { 18.8f, 0.2f }, { 12.4f, 0.3f }, { 7.0f, 1.0f } };
    for (const auto& [diameter, alpha] : glow)
    {
        g.setColour (Col::am.withAlpha (alpha));
        g.fillEllipse (newest.x - diameter / 2.0f, newest.y - diameter / 2.0f, diameter, diameter);
    }

    g.setColour (Col::t2);
    g.setFont (mono (7.0f));
    drawText (g, "newest at left - random-walk speed deviation, dry-brush grunge", 14.0f, h - 12.0f, w - 28.0f, 10.0f,
              juce::Justification::centred);
}
