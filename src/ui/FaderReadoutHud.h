#pragma once

#include "ui/HudOverlay.h"

// A title over a large value on a dark plate: the Mix, Master, Start and
// Falloff readouts. The static plate drawing is shared with PitchHud.
class FaderReadoutHud : public HudOverlay
{
public:
    // Written by the visualizer before it activates the readout.
    juce::String title;
    juce::String value;

    // The wider of the two texts in their bold fonts, plus 24.
    static float measurePlateWidth (const juce::String& title, const juce::String& value, float titleSize,
                                    float valueSize);

    // The title at 0.3 of the height, the value valueGap (a fraction of the
    // height) below it, both centred on a plate plateWidth wide (measured
    // when plateWidth <= 0). A value that starts with underlinePrefix has
    // that word underlined.
    static void paintStatPlate (juce::Graphics&, juce::Rectangle<float> area, const juce::String& title,
                                const juce::String& value, juce::Colour titleColour, juce::Colour valueColour,
                                const juce::String& underlinePrefix, float titleSize, float valueSize, float plateWidth,
                                float valueGap);

protected:
    void paintContent (juce::Graphics&, juce::Rectangle<float> area) override;
};
