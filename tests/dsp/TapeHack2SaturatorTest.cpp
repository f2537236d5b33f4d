#include "dsp/TapeHack2Saturator.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace
{
constexpr double pi = 3.14159265358979323846;

// Runs an impulse followed by silence through a fresh saturator and returns
// the index of the last non-zero output sample.
int lastNonZeroAfterImpulse (double sampleRate)
{
    dsp::TapeHack2Saturator sat;
    sat.prepare (sampleRate);
    int last = -1;
    for (int i = 0; i < 200; ++i)
    {
        const float y = sat.process (i == 0 ? 0.5f : 0.0f, 1.0f, 1.0f);
        if (y != 0.0f)
            last = i;
    }
    return last;
}
} // namespace

struct AveragingCase
{
    const char* what;
    double sampleRate;
    int lastNonZero; // 1 + the memory of the running pre-averaging stages
};

class SaturatorAveraging : public ::testing::TestWithParam<AveragingCase>
{};

// An impulse stays in the averaging rings for the sum of (size - 1) over the
// stages that run; the output dies one sample after the pre-averaged value.
TEST_P (SaturatorAveraging, ImpulseMemoryFollowsTheStagesForTheRate)
{
    const auto& c = GetParam();
    EXPECT_EQ (lastNonZeroAfterImpulse (c.sampleRate), c.lastNonZero);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Rates, SaturatorAveraging, ::testing::Values (
    AveragingCase { "44.1 kHz runs only the 2-stage", 44100.0, 1 + 1 },
    AveragingCase { "48 kHz runs only the 2-stage", 48000.0, 1 + 1 },
    AveragingCase { "88.2 kHz runs the 4- and 2-stages", 88200.0, 1 + 3 + 1 },
    AveragingCase { "96 kHz runs the 4- and 2-stages", 96000.0, 1 + 3 + 1 },
    AveragingCase { "176.4 kHz runs 8, 4 and 2", 176400.0, 1 + 7 + 3 + 1 },
    AveragingCase { "192 kHz runs 8, 4 and 2", 192000.0, 1 + 7 + 3 + 1 },
    AveragingCase { "384 kHz runs 16 down to 2", 384000.0, 1 + 15 + 7 + 3 + 1 },
    AveragingCase { "768 kHz is capped at all five stages", 768000.0, 1 + 31 + 15 + 7 + 3 + 1 }),
    testsupport::NameFromWhat());
// clang-format on

TEST (SaturatorCurve, QuietLowTonePassesWithTheGainsAndLoudOneFlattensAtThePeak)
{
    constexpr double fs = 44100.0;
    dsp::TapeHack2Saturator quiet, loud;
    quiet.prepare (fs);
    loud.prepare (fs);

    double quietErr = 0.0;
    double loudPeak = 0.0;
    for (int i = 0; i < 8820; ++i)
    {
        const double s = std::sin (2.0 * pi * 50.0 * i / fs);
        // Gains 2 and 0.5: the quiet tone comes back at its own level.
        const float q = quiet.process (static_cast<float> (0.01 * s), 2.0f, 0.5f);
        const float l = loud.process (static_cast<float> (2.0 * s), 1.0f, 1.0f);
        if (i > 100)
        {
            quietErr = std::max (quietErr, std::abs (static_cast<double> (q) - 0.01 * s));
            loudPeak = std::max (loudPeak, std::abs (static_cast<double> (l)));
        }
    }
    EXPECT_LT (quietErr, 0.01 * 0.01);
    // 2 - 8/6 + 32/69 - ... = 1.082: the curve bends a loud tone down.
    EXPECT_NEAR (loudPeak, 1.082, 0.02);
}

TEST (SaturatorCurve, IsOddSymmetric)
{
    dsp::TapeHack2Saturator pos, neg;
    pos.prepare (96000.0);
    neg.prepare (96000.0);
    for (int i = 0; i < 5000; ++i)
    {
        const auto x = static_cast<float> (1.7 * std::sin (0.013 * i) + 0.4 * std::sin (0.37 * i));
        ASSERT_EQ (pos.process (x, 3.0f, 0.6f), -neg.process (-x, 3.0f, 0.6f)) << "sample " << i;
    }
}

TEST (SaturatorCurve, ResetReplaysIdentically)
{
    dsp::TapeHack2Saturator sat;
    sat.prepare (192000.0);
    std::vector<float> first, second;
    for (int pass = 0; pass < 2; ++pass)
    {
        auto& out = pass == 0 ? first : second;
        for (int i = 0; i < 3000; ++i)
            out.push_back (sat.process (static_cast<float> (std::sin (0.05 * i)), 4.0f, 0.4f));
        sat.reset();
    }
    EXPECT_EQ (first, second);
}
