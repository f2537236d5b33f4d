#include "dsp/VoiceKernels.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

// The one-pass kernels against the passes they stand for, bit for bit.
namespace
{
struct CrossfadeCase
{
    const char* what;
    int n;
    int blended;
    float fromFraction, toFraction;
    float gain, pan;
};

void PrintTo (const CrossfadeCase& c, std::ostream* os)
{
    *os << c.what;
}

class CrossfadeAdd : public ::testing::TestWithParam<CrossfadeCase>
{};

std::vector<float> noise (std::size_t size, std::uint32_t seed)
{
    std::vector<float> v (size);
    for (auto& x : v)
    {
        seed = seed * 1664525u + 1013904223u;
        x = static_cast<float> (seed >> 8) / 8388608.0f - 1.0f;
    }
    return v;
}
} // namespace

TEST_P (CrossfadeAdd, GivesTheBitsOfInterpolateBlendAndTheScaledSum)
{
    const auto& c = GetParam();
    const auto n = static_cast<std::size_t> (c.n);
    const auto line = noise (n + 300, 7u);
    const float* from = line.data() + 17;
    const float* to = line.data() + 251;
    const voicekernels::Weights wFrom (c.fromFraction), wTo (c.toFraction);
    // A fade curve with values between 0 and 1, not in order.
    auto fade = noise (n, 11u);
    for (auto& t : fade)
        t = 0.5f + 0.5f * t;
    const auto wet = noise (n, 13u);

    std::vector<float> a (n), b (n), expected = wet;
    voicekernels::interpolate (from, wFrom, a.data(), c.n);
    voicekernels::interpolate (to, wTo, b.data(), c.n);
    voicekernels::blend (a.data(), b.data(), fade.data(), std::min (c.blended, c.n));
    for (std::size_t i = static_cast<std::size_t> (std::max (c.blended, 0)); i < n; ++i)
        a[i] = b[i];
    for (std::size_t i = 0; i < n; ++i)
        expected[i] += (a[i] * c.gain) * c.pan;

    auto got = wet;
    voicekernels::crossfadeAdd (from, wFrom, to, wTo, fade.data(), c.blended, c.gain, c.pan, got.data(), c.n);

    EXPECT_EQ (std::memcmp (got.data(), expected.data(), n * sizeof (float)), 0);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Cases, CrossfadeAdd, ::testing::Values (
    CrossfadeCase { "a whole block blended", 512, 512, 0.3f, 0.71f, 0.8f, 1.0f },
    CrossfadeCase { "completing on the last sample", 480, 479, 0.05f, 0.9f, 0.6f, 0.4f },
    CrossfadeCase { "completing on the first sample", 1, 0, 0.5f, 0.25f, 1.0f, 1.0f },
    CrossfadeCase { "an odd count with whole-sample reads", 37, 36, 0.0f, 0.0f, 0.35f, 0.7f }),
    testsupport::NameFromWhat());
// clang-format on
