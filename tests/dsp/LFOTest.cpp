#include "dsp/LFO.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

using dsp::LFO;
using dsp::LfoShape;
using dsp::shapeIndex;

struct ValueCase
{
    const char* what;
    int shape;
    float phase;
    float expected;
};

class LfoValue : public ::testing::TestWithParam<ValueCase>
{};

TEST_P (LfoValue, MatchesWaveform)
{
    const auto& c = GetParam();
    std::uint32_t seed = 0xC0DEFADEu;
    EXPECT_NEAR (LFO::value (c.phase, c.shape, seed), c.expected, 1.0e-6f) << c.what;
    EXPECT_EQ (seed, 0xC0DEFADEu) << "the seed is not touched";
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Shapes, LfoValue, ::testing::Values (
    ValueCase { "sine at 0", 0, 0.0f, 0.0f },
    ValueCase { "sine at quarter", 0, 0.25f, 1.0f },
    ValueCase { "sine at three quarters", 0, 0.75f, -1.0f },
    ValueCase { "sine at 1 equals 0", 0, 1.0f, 0.0f },
    ValueCase { "sine at -0.75 equals 0.25", 0, -0.75f, 1.0f },
    ValueCase { "sine at 2.25", 0, 2.25f, 1.0f },
    ValueCase { "triangle at 0", 1, 0.0f, -1.0f },
    ValueCase { "triangle at quarter", 1, 0.25f, 0.0f },
    ValueCase { "triangle at half", 1, 0.5f, 1.0f },
    ValueCase { "triangle at 0.9", 1, 0.9f, -0.6f },
    ValueCase { "square before half", 2, 0.4999f, 1.0f },
    ValueCase { "square at half", 2, 0.5f, -1.0f },
    ValueCase { "square at 0", 2, 0.0f, 1.0f },
    ValueCase { "saw up at 0", 3, 0.0f, -1.0f },
    ValueCase { "saw up at 0.75", 3, 0.75f, 0.5f },
    ValueCase { "saw down at 0", 4, 0.0f, 1.0f },
    ValueCase { "saw down at 0.75", 4, 0.75f, -0.5f },
    ValueCase { "random at 0.3", 5, 0.3f, 0.0f },
    ValueCase { "smooth random at 0.7", 6, 0.7f, 0.0f },
    ValueCase { "unknown shape 7", 7, 0.25f, 0.0f },
    ValueCase { "negative shape", -1, 0.25f, 0.0f },
    ValueCase { "NaN phase", 0, std::numeric_limits<float>::quiet_NaN(), 0.0f },
    ValueCase { "infinite phase", 3, std::numeric_limits<float>::infinity(), 0.0f }),
    testsupport::NameFromWhat {});
// clang-format on

TEST (LfoPeakPhase, IsWhereEachShapeReachesItsMaximum)
{
    for (int shape = 0; shape <= 4; ++shape)
    {
        std::uint32_t seed = 1;
        const float peak = LFO::peakPhase (shape);
        const float atPeak = LFO::value (peak, shape, seed);
        float largest = -2.0f;
        for (int k = 0; k < 4096; ++k)
            largest = std::max (largest, LFO::value (static_cast<float> (k) / 4096.0f, shape, seed));
        EXPECT_GE (atPeak, largest - 1.0e-6f) << "shape " << shape;
        EXPECT_GT (atPeak, 0.9999f) << "shape " << shape;
    }
    EXPECT_EQ (LFO::peakPhase (0), 0.25f);
    EXPECT_EQ (LFO::peakPhase (1), 0.5f);
    EXPECT_EQ (LFO::peakPhase (2), 0.0f);
    EXPECT_EQ (LFO::peakPhase (3), std::nextafter (1.0f, 0.0f));
    EXPECT_EQ (LFO::peakPhase (4), 0.0f);
    for (const int other : { 5, 6, 7, -3 })
        EXPECT_EQ (LFO::peakPhase (other), 0.0f) << other;
}

TEST (LfoAdvancePhase, WrapsOnceEachWay)
{
    EXPECT_EQ (LFO::advancePhase (0.75f, 11025.0f, 44100.0f), 0.0f);
    EXPECT_FLOAT_EQ (LFO::advancePhase (0.5f, 4410.0f, 44100.0f), 0.6f);
    EXPECT_FLOAT_EQ (LFO::advancePhase (0.9f, 8820.0f, 44100.0f), 0.1f);
    EXPECT_FLOAT_EQ (LFO::advancePhase (0.1f, -8820.0f, 44100.0f), 0.9f);
    EXPECT_EQ (LFO::advancePhase (0.3f, 0.0f, 44100.0f), 0.3f);
}

TEST (RandomStep, MatchesTheHashRule)
{
    // Reference values from an independent 32-bit MurmurHash3 finaliser.
    EXPECT_EQ (dsp::randomStep (0u, 0), -1.0f);
    EXPECT_FLOAT_EQ (dsp::randomStep (0xC0DEFADEu, 0), 0.7207244634628296f);
    EXPECT_FLOAT_EQ (dsp::randomStep (0xC0DEFADEu, 1), -0.6526188850402832f);
    EXPECT_FLOAT_EQ (dsp::randomStep (0xC0DEFADEu, -1), -0.6065809726715088f);
    EXPECT_FLOAT_EQ (dsp::randomStep (0x27D4EB2Fu, 57600), 0.7878024578094482f);
    EXPECT_FLOAT_EQ (dsp::randomStep (1u, 2), -0.8536220192909241f);
    // Steps are taken modulo 2^32.
    EXPECT_FLOAT_EQ (dsp::randomStep (0x5EED0001u, std::int64_t { 1 } << 31), 0.8325966596603394f);
    EXPECT_EQ (dsp::randomStep (0x5EED0001u, (std::int64_t { 1 } << 32) + 5), dsp::randomStep (0x5EED0001u, 5));
}

TEST (RandomStep, IsPureAndReplaysIdentically)
{
    float first[256];
    for (int n = 0; n < 256; ++n)
        first[n] = dsp::randomStep (0xC0DEFADEu, n);

    // Interleave other seeds and steps; the sequence must come back unchanged.
    for (int n = 255; n >= 0; --n)
    {
        (void) dsp::randomStep (0x27D4EB2Fu, n * 7);
        EXPECT_EQ (dsp::randomStep (0xC0DEFADEu, n), first[n]) << n;
    }

    // The values spread over [-1, 1] and differ from seed to seed.
    float lo = 1.0f, hi = -1.0f;
    int sameAsOtherSeed = 0;
    for (int n = 0; n < 256; ++n)
    {
        EXPECT_GE (first[n], -1.0f);
        EXPECT_LE (first[n], 1.0f);
        lo = std::min (lo, first[n]);
        hi = std::max (hi, first[n]);
        sameAsOtherSeed += first[n] == dsp::randomStep (0x5EED0001u, n) ? 1 : 0;
    }
    EXPECT_LT (lo, -0.9f);
    EXPECT_GT (hi, 0.9f);
    EXPECT_EQ (sameAsOtherSeed, 0);
}

TEST (RandomShapeValue, SteppedHoldsAndSmoothGlidesToTheNextStep)
{
    const std::uint32_t seed = 0xC0DEFADEu;
    const int stepped = shapeIndex (LfoShape::Random);
    const int smooth = shapeIndex (LfoShape::RandomSmooth);
    for (const std::int64_t n : { std::int64_t { 0 }, std::int64_t { 3 }, std::int64_t { 57600 } })
    {
        const float r0 = dsp::randomStep (seed, n);
        const float r1 = dsp::randomStep (seed, n + 1);
        EXPECT_EQ (dsp::randomShapeValue (seed, stepped, n, 0.0f), r0);
        EXPECT_EQ (dsp::randomShapeValue (seed, stepped, n, 0.99f), r0);
        EXPECT_EQ (dsp::randomShapeValue (seed, smooth, n, 0.0f), r0);
        EXPECT_FLOAT_EQ (dsp::randomShapeValue (seed, smooth, n, 0.5f), 0.5f * (r0 + r1));
        EXPECT_NEAR (dsp::randomShapeValue (seed, smooth, n, 0.99999f), r1, 1.0e-4f);

        const double x = static_cast<double> (n) + 0.25;
        EXPECT_EQ (dsp::randomShapeValue (seed, stepped, x), r0);
        EXPECT_FLOAT_EQ (dsp::randomShapeValue (seed, smooth, x), r0 + (r1 - r0) * 0.25f);
    }
    // Negative positions count as the start.
    EXPECT_EQ (dsp::randomShapeValue (seed, smooth, -2.5), dsp::randomStep (seed, 0));
}

TEST (CycleCounter, StaysExactOverHoursOfSmallSteps)
{
    // Two hours at 8 Hz and 48 kHz: 345.6 million steps of 1/6000 cycle. A
    // float running total stops moving long before the end.
    dsp::CycleCounter counter;
    const double step = static_cast<double> (8.0f / 48000.0f);
    const std::int64_t samples = std::int64_t { 2 } * 3600 * 48000;
    for (std::int64_t i = 0; i < samples; ++i)
        counter.advance (step);
    EXPECT_NEAR (counter.position(), step * static_cast<double> (samples), 1.0e-3);
    EXPECT_NEAR (counter.position(), 57600.0, 0.01);
}
