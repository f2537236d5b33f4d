#include "dsp/TapEngine.h"
#include "dsp/LFO.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace
{
// The default patch: start 30 ms, end 301 ms, length 2408 ms, 64 taps.
ParamBlock defaults()
{
    ParamBlock p;
    p.startMs = 30.0f;
    p.endMs = 301.0f;
    p.lengthMs = 2408.0f;
    p.tapCount = 64;
    p.predelayMs = 0.0f;
    p.twist = 0.0f;
    p.decayCurve = -70.0f;
    p.decayFalloff = 25.0f;
    p.dynamicSmoothing = true;
    return p;
}

TapSet run (const ParamBlock& p)
{
    TapEngine engine;
    TapSet set;
    engine.compute (p, nullptr, nullptr, set);
    return set;
}
} // namespace

TEST (TapEngine, DefaultPatchLaysOutTwentyTwoTaps)
{
    const auto s = run (defaults());
    ASSERT_EQ (s.count, 22);

    const float times[] = { 0.0f, 30.0f, 63.38f, 100.51f, 141.82f, 187.78f };
    for (int i = 0; i < 6; ++i)
        EXPECT_NEAR (s.taps[static_cast<std::size_t> (i)].timeMs, times[i], 0.01f) << i;
    EXPECT_NEAR (s.taps[20].timeMs, 1983.18f, 0.01f);
    EXPECT_NEAR (s.taps[21].timeMs, 2236.37f, 0.01f);

    EXPECT_NEAR (s.taps[0].gain, 0.456f, 0.001f);
    EXPECT_NEAR (s.taps[1].gain, 0.408f, 0.001f);
    EXPECT_NEAR (s.taps[2].gain, 0.364f, 0.001f);
    EXPECT_EQ (s.taps[21].gain, 0.0f);
    for (int i = 0; i < s.count; ++i)
        EXPECT_EQ (s.taps[static_cast<std::size_t> (i)].waveDiff, 0.0f);

    // Taps 16..21 fade out: each is quieter than the plain decay would make it.
    for (int i = 16; i < 21; ++i)
        EXPECT_GT (s.taps[static_cast<std::size_t> (i)].gain, s.taps[static_cast<std::size_t> (i + 1)].gain);

    auto noSmoothing = defaults();
    noSmoothing.dynamicSmoothing = false;
    EXPECT_EQ (run (noSmoothing).taps[0].gain, 1.0f);
}

TEST (TapEngine, PositiveTwistCrowdsTowardTheEnd)
{
    auto p = defaults();
    p.twist = 50.0f;
    const auto s = run (p);
    ASSERT_EQ (s.count, 22);
    EXPECT_NEAR (s.taps[0].timeMs, 0.0f, 1e-3f);
    EXPECT_NEAR (s.taps[1].timeMs, 68.4f, 0.1f);
    EXPECT_NEAR (s.taps[21].timeMs, 2402.5f, 0.1f);
    // Every tap at least the minimum gap (2.1375 ms) after the next one.
    for (int i = 0; i + 1 < s.count; ++i)
        EXPECT_GE (s.taps[static_cast<std::size_t> (i + 1)].timeMs - s.taps[static_cast<std::size_t> (i)].timeMs,
                   2.1375f - 1e-3f);
}

TEST (TapEngine, NegativeTwistCrowdsTowardTheStartWithGrowingGaps)
{
    auto p = defaults();
    p.twist = -50.0f;
    const auto s = run (p);
    ASSERT_EQ (s.count, 22);
    const float first[] = { 2.14f, 4.28f, 6.41f, 8.55f };
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR (s.taps[static_cast<std::size_t> (i)].timeMs, first[i], 0.01f) << i;
    EXPECT_NEAR (s.taps[21].timeMs, 2031.0f, 1.0f);
    // From the fifth tap on each gap is at least 0.3 x the distance from the start.
    for (int i = 4; i < 9; ++i)
    {
        const float prev = s.taps[static_cast<std::size_t> (i - 1)].timeMs;
        EXPECT_GE (s.taps[static_cast<std::size_t> (i)].timeMs - prev, 0.3f * prev - 1e-3f) << i;
    }
}

struct FullTwistCase
{
    const char* what;
    float twist;
};

class FullTwist : public ::testing::TestWithParam<FullTwistCase>
{};

TEST_P (FullTwist, CrowdsTheAnchoredEndAtTheSmallestGap)
{
    // Exponent 5.4 and a minimum gap of 0.15 ms: the taps pile up at the
    // anchored end of the window and the gaps grow away from it.
    auto p = defaults();
    p.twist = GetParam().twist;
    p.predelayMs = 100.0f;
    const auto s = run (p);
    ASSERT_EQ (s.count, 22);
    const auto gap = [&s] (int i) {
        return s.taps[static_cast<std::size_t> (i)].timeMs - s.taps[static_cast<std::size_t> (i - 1)].timeMs;
    };

    if (GetParam().twist < 0.0f)
    {
        EXPECT_NEAR (s.taps[0].timeMs, 100.15f, 1e-3f);
        EXPECT_NEAR (gap (1), 0.15f, 1e-3f);
        for (int i = 2; i < s.count; ++i)
            EXPECT_GE (gap (i), gap (i - 1) - 1e-3f) << i;
    }
    else
    {
        EXPECT_NEAR (s.taps[21].timeMs, 100.0f + 2408.0f - 0.15f, 1e-2f);
        EXPECT_NEAR (gap (21), 0.15f, 1e-3f);
        for (int i = 12; i < s.count; ++i)
            EXPECT_LE (gap (i), gap (i - 1) + 1e-3f) << i;
    }
}

INSTANTIATE_TEST_SUITE_P (Ends, FullTwist,
                          ::testing::Values (FullTwistCase { "plus 100", 100.0f },
                                             FullTwistCase { "minus 100", -100.0f }),
                          testsupport::NameFromWhat());

namespace
{
struct ReverseCase
{
    const char* what;
    float predelayMs, lengthMs, spacingMs;
    int count;
    float firstMs, stepMs; // reversed tap k sits at firstMs - k * stepMs
};

void PrintTo (const ReverseCase& c, std::ostream* os)
{
    *os << c.what;
}
} // namespace

class Reverse : public ::testing::TestWithParam<ReverseCase>
{};

TEST_P (Reverse, MirrorsTheWindowTheTapsWereLaidOutIn)
{
    // Evenly spaced taps at Twist 0. The window is the length, or the part of
    // it that fits the 15 s line after the predelay (ending 1 ms before the
    // line's end); reverse mirrors that window onto [0, window].
    const auto& c = GetParam();
    auto p = defaults();
    p.predelayMs = c.predelayMs;
    p.lengthMs = c.lengthMs;
    p.startMs = p.endMs = c.spacingMs;
    p.reverse = true;
    const auto reversed = run (p);
    ASSERT_EQ (reversed.count, c.count);
    for (int k = 0; k < c.count; ++k)
        EXPECT_NEAR (reversed.taps[static_cast<std::size_t> (k)].timeMs, c.firstMs - static_cast<float> (k) * c.stepMs,
                     0.01f)
            << "tap " << k;

    // The spacing runs backwards, so smoothing changes no gain.
    p.dynamicSmoothing = false;
    const auto plain = run (p);
    for (int k = 0; k < c.count; ++k)
        EXPECT_FLOAT_EQ (reversed.taps[static_cast<std::size_t> (k)].gain,
                         plain.taps[static_cast<std::size_t> (k)].gain);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Windows, Reverse, ::testing::Values (
    // Taps at 200, 300 .. 1100 ms mirrored about 1200 ms: 200 -> 1000, 1100 -> 100.
    ReverseCase { "window inside the line", 200.0f, 1000.0f, 100.0f, 10, 1000.0f, 100.0f },
    // Taps laid out at 2000, 4000 .. 14000 ms over 14000 ms, squeezed into the
    // 12999 ms left after the predelay: 2000 + 1857 k. Mirrored about
    // 2000 + 12999 ms: 12999 - 1857 k.
    ReverseCase { "window squeezed into the line", 2000.0f, 14000.0f, 2000.0f, 7, 12999.0f, 1857.0f }),
    testsupport::NameFromWhat());
// clang-format on

TEST (TapEngine, EqualSpacingSingleTapAndLongWindows)
{
    auto p = defaults();
    p.startMs = p.endMs = 2.0f;
    p.lengthMs = 100.0f;
    auto s = run (p);
    ASSERT_GT (s.count, 2);
    for (int i = 1; i < s.count; ++i)
        EXPECT_NEAR (s.taps[static_cast<std::size_t> (i)].timeMs - s.taps[static_cast<std::size_t> (i - 1)].timeMs,
                     4.0f, 1e-3f);

    p = defaults();
    p.tapCount = 1;
    p.predelayMs = 50.0f;
    s = run (p);
    ASSERT_EQ (s.count, 1);
    EXPECT_EQ (s.taps[0].timeMs, 50.0f);
    EXPECT_EQ (s.taps[0].gain, 1.0f);
    p.twist = -30.0f;
    s = run (p);
    const float a = 0.3f;
    EXPECT_NEAR (s.taps[0].timeMs, 50.0f + (4.0f - 3.6f * a - 0.25f * a * a), 1e-4f);

    // A 14 s window after 2 s of predelay is squeezed into the 15 s line.
    p = defaults();
    p.predelayMs = 2000.0f;
    p.lengthMs = 14000.0f;
    p.startMs = 2000.0f;
    p.endMs = 2000.0f;
    s = run (p);
    ASSERT_GT (s.count, 1);
    for (int i = 0; i < s.count; ++i)
        EXPECT_LE (s.taps[static_cast<std::size_t> (i)].timeMs, 14999.0f + 1e-2f);
    EXPECT_NEAR (s.taps[1].timeMs, 2000.0f + 2000.0f * 12999.0f / 14000.0f, 0.05f);
}

TEST (TapEngine, EmptyWhenTheWindowOrCountIsEmpty)
{
    auto p = defaults();
    p.lengthMs = 0.0f;
    EXPECT_EQ (run (p).count, 0);
    p = defaults();
    p.tapCount = 0;
    EXPECT_EQ (run (p).count, 0);
}

namespace
{
struct FalloffCase
{
    const char* what;
    int taps;
    float falloff;
    int index;
    float expectedDb; // gain of the tap in dB; below -200 means silent
};

void PrintTo (const FalloffCase& c, std::ostream* os)
{
    *os << c.what;
}
} // namespace

class Falloff : public ::testing::TestWithParam<FalloffCase>
{};

TEST_P (Falloff, FadesTheLastTapsBySquaredParabola)
{
    // Evenly spaced taps, decay curve -70 (the last tap of the plain decay at
    // -32.5 dB, tap i at -32.5 * i / (n - 1) dB), no smoothing. A tap past the
    // fade start f = 1 - falloff is multiplied by (1 - a^2)^2 with
    // a = (i / (n - 1) - f) / (1 - f), that is 40 * log10 (1 - a^2) dB.
    const auto& c = GetParam();
    auto p = defaults();
    p.dynamicSmoothing = false;
    p.startMs = p.endMs = 50.0f;
    p.tapCount = c.taps;
    p.decayFalloff = c.falloff;
    const auto s = run (p);
    ASSERT_EQ (s.count, c.taps);

    const float gain = s.taps[static_cast<std::size_t> (c.index)].gain;
    if (c.expectedDb < -200.0f)
        EXPECT_EQ (gain, 0.0f);
    else
        EXPECT_NEAR (20.0f * std::log10 (gain), c.expectedDb, 0.01f);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Taps, Falloff, ::testing::Values (
    FalloffCase { "no falloff leaves the last tap at the plain decay", 11, 0.0f, 10, -32.5f },
    FalloffCase { "40 percent starts the fade after tap 6 of 11", 11, 40.0f, 6, -19.5f },
    FalloffCase { "40 percent tap 7 of 11", 11, 40.0f, 7, -22.75f - 1.1211f },        // a = 0.25
    FalloffCase { "40 percent tap 8 of 11", 11, 40.0f, 8, -26.0f - 4.9975f },         // a = 0.5
    FalloffCase { "40 percent tap 9 of 11", 11, 40.0f, 9, -29.25f - 14.3609f },       // a = 0.75
    FalloffCase { "40 percent silences the last tap", 11, 40.0f, 10, -1000.0f },
    FalloffCase { "25 percent tap 16 of 22", 22, 25.0f, 16, -24.7619f - 0.0394f },    // a = 1/21
    FalloffCase { "25 percent tap 18 of 22", 22, 25.0f, 18, -27.8571f - 3.5254f },    // a = 9/21
    FalloffCase { "25 percent tap 20 of 22", 22, 25.0f, 20, -30.9524f - 18.5039f },   // a = 17/21
    FalloffCase { "25 percent silences the last tap", 22, 25.0f, 21, -1000.0f }),
    testsupport::NameFromWhat());
// clang-format on

TEST (DecayLevel, EndsAndModes)
{
    // Last tap: -20 dB at curve 0, -6 dB at +140, -45 dB at -140.
    EXPECT_NEAR (dsp::decayAmplitudeModed (9, 10, 0.0f, 0, 4), std::pow (10.0f, -20.0f / 20.0f), 1e-6f);
    EXPECT_NEAR (dsp::decayAmplitudeModed (9, 10, 140.0f, 0, 4), std::pow (10.0f, -6.0f / 20.0f), 1e-6f);
    EXPECT_NEAR (dsp::decayAmplitudeModed (9, 10, -140.0f, 0, 4), std::pow (10.0f, -45.0f / 20.0f), 1e-6f);
    EXPECT_EQ (dsp::decayAmplitudeModed (0, 10, -140.0f, 2, 4), 1.0f);

    // Stepped, 4 steps over 16 taps: taps 1..3 share the first step (centre 1/8).
    const float firstStep = std::pow (10.0f, -20.0f * 0.125f / 20.0f);
    for (int i = 1; i <= 3; ++i)
        EXPECT_NEAR (dsp::decayAmplitudeModed (i, 16, 0.0f, 1, 4), firstStep, 1e-6f) << i;
    EXPECT_NEAR (dsp::decayAmplitudeModed (4, 16, 0.0f, 1, 4), std::pow (10.0f, -20.0f * 0.375f / 20.0f), 1e-6f);

    // Glide mode holds for 56 % of a step, then moves smoothly to the next.
    const float second = std::pow (10.0f, -20.0f * 0.375f / 20.0f);
    EXPECT_NEAR (dsp::decayAmplitudeModed (2, 16, 0.0f, 2, 4), firstStep, 1e-6f); // e = 0.533
    const float glided = dsp::decayAmplitudeModed (3, 16, 0.0f, 2, 4);            // e = 0.8
    const float t = (0.8f - 0.56f) / 0.44f;
    EXPECT_NEAR (glided, firstStep + (second - firstStep) * t * t * (3.0f - 2.0f * t), 1e-5f);
}

TEST (WaveLfo, DepthZeroIsWaveOffAndReadingsFollowTheShapes)
{
    auto p = defaults();
    const auto off = run (p);
    p.waveOn = true;
    p.waveDepth = 0.0f;
    const auto zeroDepth = run (p);
    ASSERT_EQ (off.count, zeroDepth.count);
    for (int i = 0; i < off.count; ++i)
    {
        EXPECT_EQ (off.taps[static_cast<std::size_t> (i)].timeMs, zeroDepth.taps[static_cast<std::size_t> (i)].timeMs);
        EXPECT_EQ (off.taps[static_cast<std::size_t> (i)].gain, zeroDepth.taps[static_cast<std::size_t> (i)].gain);
        EXPECT_EQ (zeroDepth.taps[static_cast<std::size_t> (i)].waveDiff, 0.0f);
    }

    // With depth the spacing is stretched and squeezed and the right
    // channel gets an offset wherever the two readings differ.
    p.waveDepth = 70.0f;
    p.waveOffsetDeg = 90.0f;
    const auto waved = run (p);
    bool anyDiff = false, anyMoved = false;
    for (int i = 1; i < std::min (waved.count, off.count); ++i)
    {
        anyDiff = anyDiff || waved.taps[static_cast<std::size_t> (i)].waveDiff != 0.0f;
        anyMoved = anyMoved
                   || waved.taps[static_cast<std::size_t> (i)].timeMs != off.taps[static_cast<std::size_t> (i)].timeMs;
    }
    EXPECT_TRUE (anyDiff);
    EXPECT_TRUE (anyMoved);

    TapEngine e;
    // 1 Hz sine: a quarter second in is the peak; saws run the Wave way round.
    EXPECT_NEAR (e.lfoValue (250.0f, 1.0f, 0, 100.0f, 1u, 0.0f), 1.0f, 1e-6f);
    EXPECT_NEAR (e.lfoValue (250.0f, 1.0f, 0, 50.0f, 1u, 0.0f), 0.5f, 1e-6f);
    EXPECT_NEAR (e.lfoValue (250.0f, 1.0f, 3, 100.0f, 1u, 0.0f), 0.5f, 1e-6f);
    EXPECT_NEAR (e.lfoValue (250.0f, 1.0f, 4, 100.0f, 1u, 0.0f), -0.5f, 1e-6f);
    EXPECT_NEAR (e.lfoValue (250.0f, 1.0f, 1, 100.0f, 1u, 0.0f), 0.0f, 1e-6f);
    EXPECT_EQ (e.lfoValue (250.0f, 1.0f, 2, 100.0f, 1u, 0.0f), 1.0f);
    EXPECT_EQ (e.lfoValue (750.0f, 1.0f, 2, 100.0f, 1u, 0.0f), -1.0f);
    EXPECT_EQ (e.lfoValue (250.0f, 1.0f, 7, 100.0f, 1u, 0.0f), 0.0f);
    // Random steps hold for a cycle and replay the shared hash.
    EXPECT_EQ (e.lfoValue (1200.0f, 1.0f, 5, 100.0f, 99u, 0.0f), e.lfoValue (1900.0f, 1.0f, 5, 100.0f, 99u, 0.0f));
    EXPECT_EQ (e.lfoValue (1200.0f, 1.0f, 5, 100.0f, 99u, 0.0f), dsp::randomStep (99u, 1));
    EXPECT_EQ (e.lfoValue (-5000.0f, 1.0f, 5, 100.0f, 99u, 0.0f), dsp::randomStep (99u, 0));
}

TEST (TapEngine, DensityCompensation)
{
    EXPECT_FLOAT_EQ (TapEngine::densityComp (100.0f, 100.0f), 1.0f);
    EXPECT_FLOAT_EQ (TapEngine::densityComp (1000.0f, 10.0f), 1.8f);
    EXPECT_FLOAT_EQ (TapEngine::densityComp (-5.0f, 0.5f), 1.0f);
    EXPECT_NEAR (TapEngine::densityComp (30.0f, 106.5f), std::pow (30.0f / 106.5f, 0.62f), 1e-6f);
}

//==============================================================================
// Layout, Twist and the gap rule written out plainly, one bisection step at a
// time, with Wave off: the times the engine lays out must be these, bit for
// bit, whichever way it organises the search.
namespace
{
std::vector<float> plainTwistedTimes (const ParamBlock& p)
{
    const float P = p.predelayMs, L = p.lengthMs, S = p.startMs, E = p.endMs;
    const int maxCount = std::min (p.tapCount, TapSet::maxTaps);
    const float m0 = 4.0f * std::min (static_cast<float> (maxCount) / 64.0f, 1.0f);
    std::vector<float> t;
    for (float F = P;;)
    {
        t.push_back (std::max (F, 0.0f));
        const float u = std::clamp ((F - P) / std::max (1.0f, L), 0.0f, 1.0f);
        F += std::max (S + (E - S) * u, m0);
        if (! (F < P + L) || static_cast<int> (t.size()) >= maxCount)
            break;
    }
    const int n = static_cast<int> (t.size());

    const float x = std::clamp (p.twist / 100.0f, -1.0f, 1.0f);
    const float a = std::fabs (x);
    const float exponent = 1.0f + 0.8f * a + 3.6f * a * a;
    const float g = x == 0.0f ? 4.0f : std::max (0.15f, 4.0f - 3.6f * a - 0.25f * a * a);
    const float W = std::min (15000.0f - P - 1.0f, L);
    std::vector<float> A (t.size());
    for (std::size_t i = 0; i < t.size(); ++i)
    {
        const float h = std::clamp ((t[i] - P) / std::max (1.0f, L), 0.0f, 1.0f);
        A[i] = x > 0.0f ? P + W * (1.0f - std::pow (1.0f - h, exponent)) : P + W * std::pow (h, exponent);
    }

    // One sequence for a growth factor c, and the factor by bisection.
    const auto sequence = [&] (float c) {
        std::vector<float> y (t.size());
        for (int k = 0; k < n; ++k)
        {
            const auto kk = static_cast<std::size_t> (k);
            if (x > 0.0f)
            {
                const float prev = k == 0 ? 0.0f : y[kk - 1];
                y[kk] =
                    std::max ({ prev + std::max (c * prev, g), P + W - A[static_cast<std::size_t> (n - 1 - k)], 0.0f });
            }
            else if (k == 0 && x == 0.0f)
            {
                y[kk] = std::max (A[0], 0.0f);
            }
            else
            {
                const float prev = k == 0 ? P : y[kk - 1];
                y[kk] = std::max (std::max (A[kk], prev + std::max ((prev - P) * c, g)), 0.0f);
            }
        }
        return y;
    };
    const auto span = [&] (float c) {
        const auto y = sequence (c);
        return y.back() - y.front();
    };
    // Measured from the window end for positive Twist, from its start else.
    const float target = x > 0.0f ? (P + W - A.front()) - (P + W - A.back()) : A.back() - A.front();
    float c = 0.0f;
    if (x != 0.0f && n >= 2 && target > 0.0f && ! (span (0.0f) > target))
    {
        float low = 0.0f, high = 0.3f;
        for (int step = 0; step < 30; ++step)
        {
            const float mid = (low + high) * 0.5f;
            (span (mid) > target ? high : low) = mid;
        }
        c = low;
    }

    const auto y = sequence (c);
    std::vector<float> times (t.size());
    for (int k = 0; k < n; ++k)
    {
        const auto kk = static_cast<std::size_t> (k);
        if (x > 0.0f)
            times[static_cast<std::size_t> (n - 1 - k)] = std::max (P + W - y[kk], 0.0f);
        else
            times[kk] = y[kk];
    }
    if (p.reverse)
        for (auto& v : times)
            v = W + P - v;
    return times;
}

struct GapCase
{
    const char* what;
    float twist, startMs, endMs, lengthMs, predelayMs;
    int taps;
    bool reverse = false;
};

void PrintTo (const GapCase& c, std::ostream* os)
{
    *os << c.what;
}

class GapRule : public ::testing::TestWithParam<GapCase>
{};
} // namespace

TEST_P (GapRule, LaysOutThePlainBisectionsTimes)
{
    const auto& c = GetParam();
    auto p = defaults();
    p.startMs = c.startMs;
    p.endMs = c.endMs;
    p.lengthMs = c.lengthMs;
    p.predelayMs = c.predelayMs;
    p.tapCount = c.taps;
    p.reverse = c.reverse;

    // Every Twist value from one end to the other in steps of 0.5, plus
    // the case's own.
    std::vector<float> twists { c.twist };
    for (float tw = -100.0f; tw <= 100.0f; tw += 0.5f)
        twists.push_back (tw);
    for (float tw : twists)
    {
        p.twist = tw;
        const auto set = run (p);
        const auto expected = plainTwistedTimes (p);
        ASSERT_EQ (set.count, static_cast<int> (expected.size())) << "Twist " << tw;
        for (int i = 0; i < set.count; ++i)
            ASSERT_EQ (set.taps[static_cast<std::size_t> (i)].timeMs, expected[static_cast<std::size_t> (i)])
                << "Twist " << tw << ", tap " << i;
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Layouts, GapRule, ::testing::Values (
    GapCase { "default patch", 37.3f, 30.0f, 301.0f, 2408.0f, 0.0f, 64 },
    GapCase { "dense and long", -61.7f, 56.8f, 56.8f, 14000.0f, 0.0f, 64 },
    GapCase { "predelay and few taps", 12.0f, 120.0f, 40.0f, 3000.0f, 250.0f, 9 },
    GapCase { "two taps", 88.0f, 400.0f, 400.0f, 1000.0f, 10.0f, 2 },
    GapCase { "window beyond the line", -99.0f, 900.0f, 1400.0f, 14000.0f, 4000.0f, 40 },
    GapCase { "reversed", 45.0f, 70.0f, 20.0f, 2500.0f, 100.0f, 64, true }),
    testsupport::NameFromWhat());
// clang-format on
