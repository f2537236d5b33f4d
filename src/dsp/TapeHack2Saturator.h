#pragma once

#include <array>

namespace dsp
{
// Smooth tape saturation for one channel: a slew-dependent blend of the
// signal and a moving average of it goes through an odd polynomial that
// approximates a sine up to its peak, and the curve's output is averaged and
// blended the same way. The averaging reaches further at high sampling rates
// so the character stays the same.
class TapeHack2Saturator
{
public:
    // Scales the slew detector and chooses the averaging depth for the rate,
    // then clears. Non-finite or non-positive rates are ignored.
    void prepare (double sampleRate) noexcept;

    // Clears the averaging rings, the ring position and the slew memory.
    void reset() noexcept;

    // One sample: x is multiplied by inputGain before the curve and the
    // result by outputGain.
    float process (float x, float inputGain, float outputGain) noexcept;

private:
    struct Rings
    {
        std::array<double, 32> r32 {};
        std::array<double, 16> r16 {};
        std::array<double, 8> r8 {};
        std::array<double, 4> r4 {};
        std::array<double, 2> r2 {};
    };

    double average (Rings& rings, int position, double v) const noexcept;

    double overallScale = 1.0;
    // Averaging depth selector: 2 up to 48 kHz, 4 at 88.2/96 kHz, 8 at
    // 176.4/192 kHz, at most 32.
    int spacing = 2;
    int slewCount = 0;
    double lastDark = 0.0;
    Rings pre;
    Rings post;
};
} // namespace dsp
