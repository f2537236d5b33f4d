#include "dsp/ParamMapping.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

#include <cmath>

struct MappingCase
{
    const char* what;
    float (*fn) (float);
    float raw;
    float expected;
    float tolerance;
};

class Mapping : public ::testing::TestWithParam<MappingCase>
{};

TEST_P (Mapping, MapsRawPositionsToUnits)
{
    const auto& c = GetParam();
    EXPECT_NEAR (c.fn (c.raw), c.expected, c.tolerance) << c.what << " raw " << c.raw;
}

namespace
{
float freeSpacing (float raw)
{
    return mapping::freeSpacingMs (raw, false);
}
float freeSpacing4x (float raw)
{
    return mapping::freeSpacingMs (raw, true);
}
float synced120 (float raw)
{
    return mapping::syncedSpacingMs (raw, 120.0f);
}
float synced90 (float raw)
{
    return mapping::syncedSpacingMs (raw, 90.0f);
}
} // namespace

// clang-format off
INSTANTIATE_TEST_SUITE_P (Tables, Mapping, ::testing::Values (
    // Free spacing: 1000 ms at 0.65 of the travel, 2000 ms at the end.
    MappingCase { "start default", freeSpacing, 320.0f, 30.0f, 0.0f },
    MappingCase { "end default", freeSpacing, 537.0f, 301.0f, 0.0f },
    MappingCase { "knee", freeSpacing, 650.0f, 1000.0f, 0.0f },
    MappingCase { "top", freeSpacing, 1000.0f, 2000.0f, 0.0f },
    MappingCase { "bottom is at least 1 ms", freeSpacing, 0.0f, 1.0f, 0.0f },
    MappingCase { "below range clamps", freeSpacing, -50.0f, 1.0f, 0.0f },
    MappingCase { "above range clamps", freeSpacing, 1500.0f, 2000.0f, 0.0f },
    MappingCase { "mid upper segment", freeSpacing, 825.0f, 1414.0f, 0.0f },
    MappingCase { "4x top", freeSpacing4x, 1000.0f, 8000.0f, 0.0f },
    MappingCase { "4x knee", freeSpacing4x, 650.0f, 4000.0f, 0.0f },
    MappingCase { "4x bottom", freeSpacing4x, 0.0f, 4.0f, 0.0f },
    // Synced spacing: raw 1000 the longest division, raw 0 the shortest.
    MappingCase { "synced top is 16 beats", synced120, 1000.0f, 8000.0f, 1e-3f },
    MappingCase { "synced bottom is 1/32 beat", synced120, 0.0f, 15.625f, 1e-4f },
    MappingCase { "synced middle is a triplet eighth", synced120, 500.0f, 1000.0f / 3.0f, 1e-3f },
    MappingCase { "synced at 90", synced90, 583.4f, 666.6667f, 1e-2f },
    // Decay curve.
    MappingCase { "decay default", mapping::decayCurve, 50.63666f, -70.0f, 1e-3f },
    MappingCase { "decay 0", mapping::decayCurve, 0.0f, -100.0f, 1e-4f },
    MappingCase { "decay 100", mapping::decayCurve, 100.0f, 0.0f, 1e-4f },
    MappingCase { "decay 200", mapping::decayCurve, 200.0f, 100.0f, 1e-4f },
    MappingCase { "decay 300", mapping::decayCurve, 300.0f, 140.0f, 1e-4f },
    MappingCase { "decay 250", mapping::decayCurve, 250.0f, 100.0f + 40.0f * (1.0f - std::cos (0.25f * 3.14159265f)), 1e-3f },
    MappingCase { "decay minus 100", mapping::decayCurve, -100.0f, -140.0f, 1e-4f },
    MappingCase { "decay minus 50", mapping::decayCurve, -50.0f, -100.0f - 40.0f * (1.0f - std::cos (0.25f * 3.14159265f)), 1e-3f },
    // Window length.
    MappingCase { "length bottom", mapping::lengthMs, 0.0f, 10.0f, 0.0f },
    MappingCase { "length top", mapping::lengthMs, 1000.0f, 14000.0f, 0.0f },
    MappingCase { "length default", mapping::lengthMs, 757.0f, 2408.0f, 0.0f },
    // Filters.
    MappingCase { "hp bottom", mapping::highPassHz, 0.0f, 20.0f, 1e-4f },
    MappingCase { "hp top", mapping::highPassHz, 1000.0f, 4000.0f, 0.01f },
    MappingCase { "hp default", mapping::highPassHz, 434.59f, 200.0f, 0.05f },
    MappingCase { "lp bottom", mapping::lowPassHz, 0.0f, 500.0f, 1e-3f },
    MappingCase { "lp top", mapping::lowPassHz, 1000.0f, 22000.0f, 0.05f },
    MappingCase { "lp default", mapping::lowPassHz, 656.65f, 6000.0f, 1.0f },
    // Rates.
    MappingCase { "lfo bottom", mapping::lfoRateHz, 0.0f, 0.15f, 1e-6f },
    MappingCase { "lfo top", mapping::lfoRateHz, 1000.0f, 8.0f, 1e-3f },
    MappingCase { "wave default", mapping::lfoRateHz, 523.0f, 1.2f, 0.01f },
    MappingCase { "trem default", mapping::lfoRateHz, 753.0f, 3.0f, 0.01f },
    MappingCase { "pitch rate off", mapping::pitchRateHz, 0.0f, 0.0f, 0.0f },
    MappingCase { "pitch rate negative is off", mapping::pitchRateHz, -3.0f, 0.0f, 0.0f },
    MappingCase { "pitch rate smallest step", mapping::pitchRateHz, 0.001f, 0.01f * std::pow (800.0f, std::pow (1e-6f, 0.61f)), 1e-5f },
    MappingCase { "pitch rate top", mapping::pitchRateHz, 1000.0f, 8.0f, 1e-4f },
    MappingCase { "pitch rate above range clamps", mapping::pitchRateHz, 2000.0f, 8.0f, 1e-4f },
    MappingCase { "pitch rate middle", mapping::pitchRateHz, 500.0f, 0.01f * std::pow (800.0f, std::pow (0.5f, 0.61f)), 1e-4f }),
    testsupport::NameFromWhat());
// clang-format on

TEST (Mapping, SyncedRateIndexRunsSlowToFast)
{
    EXPECT_EQ (mapping::syncedRateIndex (0.0f), 0);
    EXPECT_EQ (mapping::syncedRateIndex (1000.0f), 12);
    EXPECT_EQ (mapping::syncedRateIndex (500.0f), 6);
    EXPECT_EQ (mapping::syncedRateIndex (-100.0f), 0);
    EXPECT_EQ (mapping::syncedRateIndex (5000.0f), 12);
    EXPECT_EQ (mapping::syncedSpacingIndex (1000.0f), 0);
    EXPECT_EQ (mapping::syncedSpacingIndex (0.0f), 12);
    EXPECT_EQ (mapping::syncedSpacingIndex (-10.0f), 12);
}

TEST (Mapping, InBetweenPositionsTakeTheNearestDivision)
{
    // Division k sits at raw k * 1000 / 12 (83.33 apart); anything less than
    // half a division away from it, on either side, still picks k. The tap
    // spacing runs the other way: raw 1000 is division 0.
    for (int k = 0; k <= 12; ++k)
    {
        const float grid = static_cast<float> (k) * 1000.0f / 12.0f;
        for (const float delta : { -40.0f, -0.01f, 0.0f, 0.01f, 40.0f })
        {
            const float raw = grid + delta;
            EXPECT_EQ (mapping::syncedRateIndex (raw), k) << "raw " << raw;
            EXPECT_EQ (mapping::syncedSpacingIndex (raw), 12 - k) << "raw " << raw;
        }
    }
    // Positions given to two decimals.
    EXPECT_EQ (mapping::syncedRateIndex (83.33f), 1);
    EXPECT_EQ (mapping::syncedRateIndex (333.33f), 4);
    EXPECT_EQ (mapping::syncedRateIndex (916.66f), 11);
    EXPECT_EQ (mapping::syncedSpacingIndex (916.66f), 1);
}

TEST (Mapping, SyncedSpacingIgnoresTheFourTimesSwitch)
{
    EXPECT_EQ (mapping::spacingMs (1000.0f, true, true, 120.0f), 8000.0f);
    EXPECT_EQ (mapping::spacingMs (1000.0f, false, true, 120.0f), 8000.0f);
    EXPECT_EQ (mapping::spacingMs (0.0f, true, true, 120.0f), 15.625f);
    EXPECT_EQ (mapping::spacingMs (0.0f, false, true, 120.0f), 4.0f);
}
