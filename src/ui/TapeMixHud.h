#pragma once

#include "ui/HudOverlay.h"
#include "ui/VisualizerComponent.h"

// The tape stage's wet share while it is dragged: a bar whose amber part is
// the wet share and whose grey rest is the dry, with a marker between them
// and the share written below.
class TapeMixHud : public HudOverlay
{
public:
    VisualizerComponent::VisualizerState state;

    // Length of the wet part in grid units, 0..88.
    static float wetLength (float tapeMix);
    // "100% DRY" without tape signal, else the wet share: "60% WET".
    static juce::String valueText (float tapeMix);

protected:
    void paintContent (juce::Graphics&, juce::Rectangle<float> area) override;
};
