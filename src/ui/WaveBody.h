#pragma once

#include "ui/LfoEffectBody.h"

// The Wave section's controls: RATE, DENSITY, SHAPE, PHASE and OFFSET.
class WaveBody : public LfoEffectBody
{
public:
    explicit WaveBody (juce::AudioProcessorValueTreeState&);

    static constexpr int bodyHeight = 80;
};
