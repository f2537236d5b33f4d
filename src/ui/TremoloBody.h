#pragma once

#include "ui/LfoEffectBody.h"

// The tremolo section's controls: RATE, DEPTH, SHAPE, PHASE and OFFSET.
class TremoloBody : public LfoEffectBody
{
public:
    explicit TremoloBody (juce::AudioProcessorValueTreeState&);

    static constexpr int bodyHeight = 84;
};
