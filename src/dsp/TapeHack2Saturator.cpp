#include "dsp/TapeHack2Saturator.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace dsp
{
namespace
{
// Stores v at the shared ring position and returns the mean of the ring,
// summed in ring order; the new value joins the sum straight from the
// register rather than back through memory.
template <std::size_t K>
inline double averageStage (std::array<double, K>& ring, int position, double v) noexcept
{
    const std::size_t at = static_cast<std::size_t> (position) % K;
    double sum = 0.0;
    for (std::size_t j = 0; j < K; ++j)
        sum += j == at ? v : ring[j];
    ring[at] = v;
    return sum / static_cast<double> (K);
}

// The curve is monotonic up to this input, where it peaks.
constexpr double curveLimit = 2.305929007734908;
} // namespace

void TapeHack2Saturator::prepare (double sampleRate) noexcept
{
    if (std::isfinite (sampleRate) && sampleRate > 0.0)
    {
        overallScale = sampleRate / 44100.0;
        const double depth = std::floor (2.0 * overallScale);
        spacing = depth >= 3.0 ? static_cast<int> (std::min (depth, 32.0)) : 2;
    }
    reset();
}

void TapeHack2Saturator::reset() noexcept
{
    slewCount = 0;
    lastDark = 0.0;
    pre = Rings {};
    post = Rings {};
}

inline double TapeHack2Saturator::average (Rings& rings, int position, double v) const noexcept
{
    if (spacing >= 32)
        v = averageStage (rings.r32, position, v);
    if (spacing >= 16)
        v = averageStage (rings.r16, position, v);
    if (spacing >= 8)
        v = averageStage (rings.r8, position, v);
    if (spacing >= 4)
        v = averageStage (rings.r4, position, v);
    return averageStage (rings.r2, position, v);
}

float TapeHack2Saturator::process (float x, float inputGain, float outputGain) noexcept
{
    double d = static_cast<double> (x) * static_cast<double> (inputGain);
    // Tiny values are flushed; non-finite ones would poison the rings for good.
    if (! (std::abs (d) >= 1.18e-23) || ! std::isfinite (d))
        d = 0.0;

    if (slewCount >= 32 || slewCount < 0)
        slewCount = 0;
    const int c = slewCount;

    const double dark = average (pre, c, d);
    const double slew = 2.0 * std::min (std::abs (lastDark - d) * 0.12 * overallScale, 1.0);
    lastDark = dark;

    double m = static_cast<float> (dark * slew + d * (1.0 - slew));
    m = std::clamp (m, -curveLimit, curveLimit);

    const double m2 = m * m;
    const double m3 = m * m2;
    const double m5 = m3 * m2;
    const double m7 = m5 * m2;
    const double m9 = m7 * m2;
    const double m11 = m9 * m2;
    // The curve's divisors, as factors.
    constexpr double c3 = 1.0 / 6.0, c5 = 1.0 / 69.0, c7 = 1.0 / 2530.08, c9 = 1.0 / 224985.6, c11 = 1.0 / 9979200.0;
    const double sat = static_cast<float> (m - m3 * c3 + m5 * c5 - m7 * c7 + m9 * c9 - m11 * c11);

    const double postDark = average (post, c, sat);
    slewCount = c + 1;

    return static_cast<float> ((slew * postDark + (1.0 - slew) * sat) * static_cast<double> (outputGain));
}
} // namespace dsp
