#pragma once

#include "ui/HudOverlay.h"
#include "ui/VisualizerComponent.h"

// The caption of the tape-wear handle while it is dragged: low in the plot
// when the handle is in its upper half, near the top otherwise.
class WearHud : public HudOverlay
{
public:
    VisualizerComponent::VisualizerState state;

    // "BYP" without wear, else the whole percent: "37%".
    static juce::String valueText (float tapeWear);

protected:
    void paintContent (juce::Graphics&, juce::Rectangle<float> area) override;
};
