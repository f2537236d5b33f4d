#pragma once

#include "ui/HudOverlay.h"
#include "ui/VisualizerComponent.h"

// The stereo width while it is dragged: a drifting cloud of particles in a
// stereo field over a dimmed plot. The side gain spreads the cloud sideways
// (a mono signal collapses it onto the centre axis), no-mid flattens it onto
// the horizontal line; a scale from MONO to WIDEST points at the setting.
class WidthHud : public HudOverlay
{
public:
    VisualizerComponent::VisualizerState state;

    // The value text: "MONO", "WIDEST" or the percent change of the side
    // gain with its sign ("+40", "0", "-25").
    static juce::String valueText (float widen);
    // The mode word: MONO, NARROW, STEREO, WIDE or WIDEST.
    static juce::String modeText (float widen);
    // Centre of particle i (0 the newest) for an area, within the field.
    static juce::Point<float> particle (const VisualizerComponent::VisualizerState&, juce::Rectangle<float> area,
                                        int i);

protected:
    void paintContent (juce::Graphics&, juce::Rectangle<float> area) override;
};
