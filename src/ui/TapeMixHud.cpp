#include "ui/TapeMixHud.h"

#include "ui/Col.h"

#include <algorithm>

float TapeMixHud::wetLength (float tapeMix)
{
    const float m = tapeMix / 100.0f;
    return m < 0.0f ? 0.0f : std::min (m, 1.0f) * 88.0f;
}

juce::String TapeMixHud::valueText (float tapeMix)
{
    if (tapeMix <= 0.0f)
        return "100% DRY";
    return juce::String (roundHalfAway (tapeMix)) + "% WET";
}

void TapeMixHud::paintContent (juce::Graphics& g, juce::Rectangle<float> area)
{
    const Grid grid (area, 436.0f, 160.0f);
    const float f = wetLength (state.tapeMix);
    fillDiagramPlate (g, { grid.X (150.0f), grid.Y (48.0f), 126.0f * grid.sx, 78.0f * grid.sy });

    g.setColour (
        juce::Colour (static_cast<juce::uint8> (90), static_cast<juce::uint8> (90), static_cast<juce::uint8> (120))
            .withAlpha (0.9f));
    g.drawRect (juce::Rectangle<float> (grid.X (164.0f), grid.Y (72.0f), 88.0f * grid.sx, 16.0f * grid.sy), 1.0f);

    g.setColour (
        juce::Colour (static_cast<juce::uint8> (90), static_cast<juce::uint8> (96), static_cast<juce::uint8> (120))
            .withAlpha (0.55f));
    g.fillRect (juce::Rectangle<float> (grid.X (165.0f + f), grid.Y (73.0f), std::max (86.0f - f, 0.0f) * grid.sx,
                                        14.0f * grid.sy));

    if (f > 1.0f)
    {
        g.setGradientFill (juce::ColourGradient (Col::am.withAlpha (0.85f), grid.X (164.0f), grid.Y (80.0f),
                                                 Col::am.withAlpha (0.95f), grid.X (164.0f + f), grid.Y (80.0f),
                                                 false));
        g.fillRect (juce::Rectangle<float> (grid.X (165.0f), grid.Y (73.0f), (f - 1.0f) * grid.sx, 14.0f * grid.sy));
    }

    g.setColour (Col::t0);
    g.drawLine (grid.X (164.0f + f), grid.Y (70.0f), grid.X (164.0f + f), grid.Y (90.0f), 1.2f);

    g.setFont (boldMono (13.0f));
    g.setColour (state.tapeMix <= 0.0f ? Col::t1 : Col::am);
    drawText (g, valueText (state.tapeMix), grid.X (164.0f), grid.Y (96.0f), 88.0f * grid.sx, 18.0f * grid.sy,
              juce::Justification::centredTop);
}
