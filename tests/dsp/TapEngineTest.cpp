#include "dsp/TapEngine.h"
#include "dsp/LFO.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

#include <cmath>

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
