#pragma once

#include "ui/HudOverlay.h"
#include "ui/VisualizerComponent.h"

#include <array>

// The tape flutter while its amount or speed is dragged: a dry-brush trace
// of the tape's random speed deviation over a dimmed plot, the newest value
// at the left and older ones drifting right as the flutter phase advances.
// The trace is as tall and the brush as heavy as the amount is strong.
class FlutterHud : public HudOverlay
{
public:
    VisualizerComponent::VisualizerState state;

    // The 97 points of the trace for an area of w x h.
    static std::array<juce::Point<float>, 97> tracePoints (const VisualizerComponent::VisualizerState&, float w,
                                                           float h);
    // Whether the brush leaves out the segment from point i to i + 1 at a
    // squared amount A: 22 % of them at A = 0, 10 % at A = 1.
    static bool segmentLeftOut (int i, float amount);

protected:
    void paintContent (juce::Graphics&, juce::Rectangle<float> area) override;
};
