#include "dsp/ParamBlock.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>

struct DirtyCase
{
    const char* what;
    std::function<void (ParamBlock&)> change;
    DirtyFlags expected;
};

class ClassifyDirty : public ::testing::TestWithParam<DirtyCase>
{};

TEST_P (ClassifyDirty, FlagsExactlyWhatChanged)
{
    const auto& c = GetParam();
    ParamBlock before;
    ParamBlock after = before;
    c.change (after);

    const auto f = classifyDirty (before, after);
    EXPECT_EQ (f.timing, c.expected.timing) << c.what;
    EXPECT_EQ (f.twist, c.expected.twist) << c.what;
    EXPECT_EQ (f.gain, c.expected.gain) << c.what;
    EXPECT_EQ (f.snap, c.expected.snap) << c.what;
}

namespace
{
constexpr DirtyFlags timing { true, false, false, false };
constexpr DirtyFlags twist { false, true, false, false };
constexpr DirtyFlags gain { false, false, true, false };
constexpr DirtyFlags snap { false, false, false, true };
constexpr DirtyFlags none {};
const float nan = std::numeric_limits<float>::quiet_NaN();
} // namespace

// clang-format off
INSTANTIATE_TEST_SUITE_P (Flags, ClassifyDirty, ::testing::Values (
    DirtyCase { "nothing", [] (ParamBlock&) {}, none },
    DirtyCase { "predelay", [] (ParamBlock& p) { p.predelayMs = 10.0f; }, timing },
    DirtyCase { "length", [] (ParamBlock& p) { p.lengthMs = 100.0f; }, timing },
    DirtyCase { "start", [] (ParamBlock& p) { p.startMs = 31.0f; }, timing },
    DirtyCase { "end", [] (ParamBlock& p) { p.endMs = 31.0f; }, timing },
    DirtyCase { "tap count", [] (ParamBlock& p) { p.tapCount = 12; }, timing },
    DirtyCase { "wave on", [] (ParamBlock& p) { p.waveOn = true; }, timing },
    DirtyCase { "wave rate", [] (ParamBlock& p) { p.waveRateHz = 2.0f; }, timing },
    DirtyCase { "wave shape", [] (ParamBlock& p) { p.waveShape = 3; }, timing },
    DirtyCase { "wave depth", [] (ParamBlock& p) { p.waveDepth = 3.0f; }, timing },
    DirtyCase { "wave phase", [] (ParamBlock& p) { p.wavePhaseDeg = 3.0f; }, timing },
    DirtyCase { "wave offset", [] (ParamBlock& p) { p.waveOffsetDeg = 3.0f; }, timing },
    DirtyCase { "wave seed", [] (ParamBlock& p) { p.waveSeed = 7u; }, timing },
    DirtyCase { "wave sync", [] (ParamBlock& p) { p.waveSync = true; }, timing },
    DirtyCase { "tempo without wave sync", [] (ParamBlock& p) { p.bpm = 90.0f; }, none },
    DirtyCase { "raw wave rate without sync", [] (ParamBlock& p) { p.waveRateRaw = 90.0f; }, none },
    DirtyCase { "twist", [] (ParamBlock& p) { p.twist = 5.0f; }, twist },
    DirtyCase { "dynamic smoothing", [] (ParamBlock& p) { p.dynamicSmoothing = false; }, gain },
    DirtyCase { "decay curve", [] (ParamBlock& p) { p.decayCurve = 3.0f; }, gain },
    DirtyCase { "decay mode", [] (ParamBlock& p) { p.decayMode = 2; }, gain },
    DirtyCase { "decay steps", [] (ParamBlock& p) { p.decaySteps = 9; }, gain },
    DirtyCase { "decay falloff", [] (ParamBlock& p) { p.decayFalloff = 9.0f; }, gain },
    DirtyCase { "reverse", [] (ParamBlock& p) { p.reverse = true; }, snap },
    DirtyCase { "flip", [] (ParamBlock& p) { p.flipped = true; }, snap },
    DirtyCase { "reverse and flip together", [] (ParamBlock& p) { p.reverse = true; p.flipped = true; }, snap },
    DirtyCase { "mix is not a layout change", [] (ParamBlock& p) { p.mix = 10.0f; }, none },
    DirtyCase { "filters are not a layout change", [] (ParamBlock& p) { p.hpHz = 10.0f; p.lpHz = 900.0f; }, none },
    DirtyCase { "NaN twist counts", [] (ParamBlock& p) { p.twist = nan; }, twist },
    DirtyCase { "NaN length counts", [] (ParamBlock& p) { p.lengthMs = nan; }, timing },
    DirtyCase { "twist and decay", [] (ParamBlock& p) { p.twist = 1.0f; p.decayCurve = 1.0f; }, DirtyFlags { false, true, true, false } }),
    testsupport::NameFromWhat());
// clang-format on

TEST (ClassifyDirtyRules, TempoAndRawRateCountOnlyWhileWaveSyncStaysOn)
{
    ParamBlock a;
    a.waveSync = true;
    ParamBlock b = a;
    b.bpm = 140.0f;
    EXPECT_TRUE (classifyDirty (a, b).timing);

    b = a;
    b.waveRateRaw = 100.0f;
    EXPECT_TRUE (classifyDirty (a, b).timing);
}

TEST (ClassifyDirtyRules, NaNOnBothSidesStillCounts)
{
    ParamBlock a;
    a.decayCurve = nan;
    const ParamBlock b = a;
    EXPECT_TRUE (classifyDirty (a, b).gain);
}
