#pragma once

#include "ui/HudOverlay.h"
#include "ui/VisualizerComponent.h"

// The response of the echo filters while a filter corner is dragged: the
// combined high-pass and low-pass gain on a two-part logarithmic axis
// (20 Hz to 1.6 kHz in the left half, 1.6 kHz to 22 kHz in the right), with
// the pass band, dashed markers at the corners and their frequencies.
class EqHud : public HudOverlay
{
public:
    VisualizerComponent::VisualizerState state;

    static inline const juce::Colour filterCol { 0xffe8a040 };

    // Place of a frequency on the axis, 0 at 20 Hz, 0.5 at 1.6 kHz, 1 at 22 kHz.
    static float axisPos (float hz);
    // Frequency at a place on the axis (the inverse of axisPos).
    static float axisHz (float pos);
    // Combined gain (0..1) of the two first-order slopes at a frequency.
    static float gainAt (float hz, float hpHz, float lpHz);
    // A corner frequency as the labels write it: "850 Hz", "6.0 kHz".
    static juce::String frequencyText (float hz);

protected:
    void paintContent (juce::Graphics&, juce::Rectangle<float> area) override;
};
