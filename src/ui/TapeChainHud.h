#pragma once

#include "ui/HudOverlay.h"
#include "ui/VisualizerComponent.h"

// The tape stage's chain while one of its controls is dragged: a drive
// gauge for the input drive, the softening filter's curve for its cutoff, or
// a loudspeaker whose sound arcs grow with the output level. Nothing is drawn
// for any other control.
class TapeChainHud : public HudOverlay
{
public:
    VisualizerComponent::VisualizerState state;

    // Angle (radians, y downwards) of the drive needle: the scale runs over
    // 270 degrees from lower left (0 %) across the top to lower right (100 %).
    static float driveAngle (float percent);
    // How far the softening curve has bent down at a place t (0..1) along
    // its axis, 0..0.55: flat up to the knee, then bending down.
    static float softeningDrop (float t, float tapeLpf);
    // The drive as its gauge writes it: "BYP" at 0, else the whole percent.
    static juce::String driveText (float tapeIn);
    // The softening cutoff as the tape controls write it: "2.00 kHz", "12.0 kHz".
    static juce::String softeningText (float tapeLpf);
    // The output gain as the tape controls write it: "+0.0 dB", "-6.0 dB".
    static juce::String outputText (float tapeOut);
    // Number of sound arcs beyond the first (0..3) for an output level.
    static int extraArcs (float tapeOut);

protected:
    void paintContent (juce::Graphics&, juce::Rectangle<float> area) override;

private:
    void paintDrive (juce::Graphics&, const Grid&, float cx, float cy) const;
    void paintSoftening (juce::Graphics&, const Grid&, float cx) const;
    void paintOutput (juce::Graphics&, const Grid&, float cx, float cy) const;
};
