#pragma once

#include "ui/HudOverlay.h"
#include "ui/VisualizerComponent.h"

// The title/value plate of the pitch controls: rate and depth of the pitch
// LFO, the shift in cents, the regeneration and the wet share, each shown
// while its control is dragged. The plate keeps one width for all of them.
class PitchHud : public HudOverlay
{
public:
    PitchHud();

    VisualizerComponent::VisualizerState state;

    // What the plate shows for the touched control; an empty title for a
    // control that is not one of the pitch stage's.
    struct Texts
    {
        juce::String title, value, underlinePrefix;
    };
    static Texts textsFor (const VisualizerComponent::VisualizerState&);

    float getPlateWidth() const noexcept { return plateWidth; }

protected:
    void paintContent (juce::Graphics&, juce::Rectangle<float> area) override;

private:
    float plateWidth = 0.0f;
};
