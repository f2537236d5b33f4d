#include "ui/TapeChainHud.h"

#include "params/ParameterTable.h"
#include "params/ValueText.h"
#include "ui/Col.h"

#include <algorithm>
#include <cmath>

namespace
{
const juce::Colour scaleColour { static_cast<juce::uint8> (112), static_cast<juce::uint8> (112),
                                 static_cast<juce::uint8> (144) };

// The value above the tag and the tag itself, the same for all three views.
void paintLabels (juce::Graphics& g, const HudOverlay::Grid& grid, float cx, const juce::String& value,
                  const juce::String& title)
{
    g.setColour (Col::am);
    g.setFont (HudOverlay::boldMono (9.0f));
    HudOverlay::drawText (g, value, cx - 40.0f * grid.sx, grid.Y (116.0f) - 7.0f, 80.0f * grid.sx, 14.0f,
                          juce::Justification::centred);

    const auto tagFont = HudOverlay::boldMono (8.0f);
    g.setFont (tagFont);
    const float tw = tagFont.getStringWidthFloat (title) + 10.0f;
    const juce::Rectangle<float> tag (cx - tw / 2.0f, grid.Y (138.0f) - 7.0f, tw, 14.0f);
    g.drawRect (tag, 1.0f);
    HudOverlay::drawText (g, title, tag.getX(), tag.getY(), tag.getWidth(), tag.getHeight(),
                          juce::Justification::centred);
}
} // namespace

float TapeChainHud::driveAngle (float percent)
{
    return percent / 100.0f * 4.712389f - 3.926991f;
}

float TapeChainHud::softeningDrop (float t, float tapeLpf)
{
    const float knee = juce::jlimit (0.0f, 100.0f, tapeLpf) / 100.0f;
    const float span = std::max (1.0f - knee, 0.001f);
    if (t < knee)
        return 0.0f;
    return 0.55f * std::pow ((t - knee) / span, 1.8f);
}

juce::String TapeChainHud::driveText (float tapeIn)
{
    return tapeIn <= 0.0f ? juce::String ("BYP") : juce::String (static_cast<int> (tapeIn)) + "%";
}

juce::String TapeChainHud::softeningText (float tapeLpf)
{
    const float hz = 2000.0f * std::pow (10.0f, 0.778151273727417f * tapeLpf / 100.0f);
    if (hz < 1000.0f)
        return juce::String (roundHalfAway (hz)) + " Hz";
    return juce::String (hz / 1000.0f, hz >= 10000.0f ? 1 : 2) + " kHz";
}

juce::String TapeChainHud::outputText (float tapeOut)
{
    // The section's own text for the level, rounding and all.
    return valuetext::tapeOutDb (tapeOut);
}

int TapeChainHud::extraArcs (float tapeOut)
{
    return roundHalfAway (2.99f * juce::jlimit (0.0f, 1.0f, tapeOut / 100.0f));
}

void TapeChainHud::paintContent (juce::Graphics& g, juce::Rectangle<float> area)
{
    const auto& id = state.touchedParamId;
    const bool drive = id == params::id::tapeIn;
    const bool softening = id == params::id::tapeLpf;
    const bool output = id == params::id::tapeOut;
    if (! drive && ! softening && ! output)
        return;

    const Grid grid (area, 436.0f, 160.0f);
    fillDiagramPlate (g, { grid.X (154.0f), grid.Y (32.0f), 128.0f * grid.sx, 119.0f * grid.sy });
    const float cx = grid.X (218.0f);
    const float cy = grid.Y (74.0f);

    if (drive)
        paintDrive (g, grid, cx, cy);
    else if (softening)
        paintSoftening (g, grid, cx);
    else
        paintOutput (g, grid, cx, cy);
}

void TapeChainHud::paintDrive (juce::Graphics& g, const Grid& grid, float cx, float cy) const
{
    // Radii are in horizontal grid units both ways, so the dial stays round.
    const float unit = grid.sx;
    g.setColour (scaleColour.withAlpha (0.7f));
    for (int i = 0; i < 24; ++i)
    {
        const float theta = static_cast<float> (i) / 23.0f * 4.712389f - 3.926991f;
        const float outer = (i % 6 == 0 ? 26.0f : 24.0f) * unit;
        const float inner = 21.0f * unit;
        g.drawLine (cx + inner * std::cos (theta), cy + inner * std::sin (theta), cx + outer * std::cos (theta),
                    cy + outer * std::sin (theta), 1.0f);
    }

    g.setColour (Col::am);
    const float dial = 18.0f * unit;
    g.drawEllipse (cx - dial, cy - dial, 2.0f * dial, 2.0f * dial, 2.3f);

    const float needle = driveAngle (state.tapeIn);
    g.drawLine (cx, cy, cx + 15.0f * unit * std::cos (needle), cy + 15.0f * unit * std::sin (needle), 2.4f);

    paintLabels (g, grid, cx, driveText (state.tapeIn), "DRIVE");
}

void TapeChainHud::paintSoftening (juce::Graphics& g, const Grid& grid, float cx) const
{
    const float left = cx - 23.0f * grid.sx;
    juce::Path axes;
    axes.startNewSubPath (left, grid.Y (54.0f));
    axes.lineTo (left, grid.Y (94.0f));
    axes.lineTo (cx + 23.0f * grid.sx, grid.Y (94.0f));
    g.setColour (scaleColour.withAlpha (0.9f));
    g.strokePath (axes, juce::PathStrokeType (1.0f));

    juce::Path curve;
    for (int i = 0; i <= 40; ++i)
    {
        const float t = static_cast<float> (i) / 40.0f;
        const float x = left + t * 46.0f * grid.sx;
        const float y = grid.Y (54.0f) + 4.0f * grid.sy + softeningDrop (t, state.tapeLpf) * 34.0f * grid.sy;
        if (i == 0)
            curve.startNewSubPath (x, y);
        else
            curve.lineTo (x, y);
    }
    const float dashes[] = { 3.0f * grid.sx, 2.2f * grid.sx };
    juce::Path dashed;
    juce::PathStrokeType (1.0f).createDashedStroke (dashed, curve, dashes, 2);
    g.setColour (Col::am);
    g.strokePath (dashed, juce::PathStrokeType (2.3f));

    paintLabels (g, grid, cx, softeningText (state.tapeLpf), "LPF");
}

void TapeChainHud::paintOutput (juce::Graphics& g, const Grid& grid, float cx, float cy) const
{
    const float sx = grid.sx;
    const float sy = grid.sy;
    g.setColour (Col::am);
    g.drawRect (juce::Rectangle<float> (cx - 13.0f * sx, cy - 20.0f * sy, 26.0f * sx, 40.0f * sy), 2.2f);
    g.drawEllipse (cx - 5.0f * sx, cy - 8.0f * sy - 5.0f * sx, 10.0f * sx, 10.0f * sx, 2.2f);
    g.drawEllipse (cx - 8.0f * sx, cy + 7.0f * sy - 8.0f * sx, 16.0f * sx, 16.0f * sx, 2.2f);

    // Louder output: more, wider and thicker arcs on both sides.
    const float loudness = juce::jlimit (0.0f, 1.0f, state.tapeOut / 100.0f);
    const int n = extraArcs (state.tapeOut);
    auto arcs = [&] (float centreX, float from, float to) {
        for (int i = 0; i <= n; ++i)
        {
            const float fi = static_cast<float> (i);
            const float thickness = std::max ((1.0f - 0.18f * fi) * (1.4f * loudness + 0.8f), 0.3f);
            const float radius = (7.0f * fi * (0.6f * loudness + 0.7f) + 20.0f) * sx;
            juce::Path arc;
            arc.addCentredArc (centreX, cy, radius, radius, 0.0f, from, to, true);
            g.strokePath (arc, juce::PathStrokeType (thickness));
        }
    };
    arcs (cx - 15.0f * sx, 4.212389f, 5.212389f);
    arcs (cx + 15.0f * sx, 1.0707964f, 2.0707965f);

    paintLabels (g, grid, cx, outputText (state.tapeOut), "OUTPUT");
}
