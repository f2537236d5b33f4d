#pragma once

#include "ui/HudOverlay.h"
#include "ui/VisualizerComponent.h"

// The tape head bump while it is dragged: a half-sine hump on a logarithmic
// axis from 20 Hz to 1 kHz, peaking at 65 Hz and spanning 24 to 220 Hz, its
// height following the amount, with the boost in dB below.
class BumpHud : public HudOverlay
{
public:
    VisualizerComponent::VisualizerState state;

    // Place of a frequency on the axis, 0 at 20 Hz, 1 at 1 kHz.
    static float axisPos (float hz);
    // Height of the hump above the baseline at an axis place, as a fraction
    // of its peak height: 1 at 65 Hz, 0 at and outside 24 Hz and 220 Hz.
    static float humpAt (float pos);
    // The boost the amount gives, 0.0 to 6.0 dB: "3.6 dB".
    static juce::String valueText (float headBump);

protected:
    void paintContent (juce::Graphics&, juce::Rectangle<float> area) override;
};
