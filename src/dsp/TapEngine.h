#pragma once

#include "dsp/ParamBlock.h"

#include <array>
#include <cstdint>

// The echoes of one parameter record: for each tap its delay in ms, its
// linear gain and the difference of two Wave readings (right-channel offset).
// Entries keep the order in which the taps were laid out.
struct TapSet
{
    static constexpr int maxTaps = 300;

    struct Entry
    {
        float timeMs = 0.0f;
        float gain = 0.0f;
        float waveDiff = 0.0f;
    };

    std::array<Entry, maxTaps> taps {};
    int count = 0;
};

namespace dsp
{
// Level of tap `index` of `count` on the decay curve (-140..140): smooth,
// stepped (mode 1) or stepped with glides between the steps (mode 2).
float decayAmplitudeModed (int index, int count, float curve, int mode, int steps);
} // namespace dsp

// Lays out the taps of a parameter record: spacing gliding from start to
// end across the window, bent by Wave, shaped by Twist with its minimum-gap
// rule, mirrored by Reverse, and levelled by the decay curve, the falloff and
// the spacing compensation. Scratch memory only; allocates nothing.
class TapEngine
{
public:
    // The two table arguments are accepted for the caller's convenience and
    // do not change the result.
    void compute (const ParamBlock& p, const float* randomA, const float* randomB, TapSet& out);

    // One reading of the Wave LFO at time tMs.
    float lfoValue (float tMs, float rateHz, int shape, float depth, std::uint32_t seed, float phase0) const;

    // Gain compensation for a tap whose local spacing differs from the average.
    static float densityComp (float localSpacing, float averageSpacing);

private:
    void applyGapRuleForward (int n, float P, float g, bool anchorFirst);
    void applyGapRuleBackward (int n, float Z, float g);

    std::array<float, TapSet::maxTaps> shaped {};
    std::array<float, TapSet::maxTaps> unshaped {};
    std::array<float, TapSet::maxTaps> times {};
    std::array<float, TapSet::maxTaps> work {};
};
