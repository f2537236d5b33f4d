#pragma once

#include "ui/HudOverlay.h"
#include "ui/VisualizerComponent.h"

// The caption of the decay curve while it is dragged: its name, the level
// the curve reaches at the window end and the falloff. It keeps clear of the
// decay handle: below and left of centre when the handle is in the upper
// half of the plot, near the top and right of centre otherwise.
class DecayHud : public HudOverlay
{
public:
    VisualizerComponent::VisualizerState state;

    // The level (dB) of the curve at the window end for a curve value
    // -140..140: -20 dB when straight, -45 at -140, -6 at +140.
    static float tailLevelDb (float decayCurve);
    // "-32.5 dB tail" for a curve value.
    static juce::String tailText (float decayCurve);
    // "fade off" without a falloff, else the falloff in its shortest form:
    // "25% fade", "12.5% fade".
    static juce::String fadeText (float decayFalloff);

protected:
    void paintContent (juce::Graphics&, juce::Rectangle<float> area) override;
};
