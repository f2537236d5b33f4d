#include "dsp/NoteGrid.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

TEST (NoteGrid, TablesHoldTheThirteenDivisionsLongestFirst)
{
    const char* labels[] = { "4b",  "2b",    "1b",   "1/2",  "1/4T", "1/4",  "1/8T",
                             "1/8", "1/16T", "1/16", "1/32", "1/64", "1/128" };
    const float beats[] = { 16.0f, 8.0f,        4.0f,  2.0f,   4.0f / 3.0f, 1.0f,    2.0f / 3.0f,
                            0.5f,  1.0f / 3.0f, 0.25f, 0.125f, 0.0625f,     0.03125f };

    for (int i = 0; i < NoteGrid::numDivisions; ++i)
    {
        EXPECT_EQ (std::string (NoteGrid::labels[i]), labels[i]) << i;
        EXPECT_EQ (NoteGrid::beatMultipliers[i], beats[i]) << i;
        if (i > 0)
        {
            EXPECT_LT (NoteGrid::beatMultipliers[i], NoteGrid::beatMultipliers[i - 1]);
        }
    }
}

struct LookupCase
{
    const char* what;
    bool byMs;
    float value;
    float bpm;
    int expected;
};

class NoteGridLookup : public ::testing::TestWithParam<LookupCase>
{};

TEST_P (NoteGridLookup, FindsTheNearestDivisionByRatio)
{
    const auto& c = GetParam();
    const int got =
        c.byMs ? NoteGrid::nearestDivisionByMs (c.value, c.bpm) : NoteGrid::nearestDivisionByHz (c.value, c.bpm);
    EXPECT_EQ (got, c.expected) << c.what;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Cases, NoteGridLookup, ::testing::Values (
    LookupCase { "quarter period at 120", true, 500.0f, 120.0f, 5 },
    LookupCase { "quarter rate at 120", false, 2.0f, 120.0f, 5 },
    LookupCase { "below the shortest period", true, 1.0f, 120.0f, 12 },
    LookupCase { "beyond the longest period", true, 60000.0f, 120.0f, 0 },
    LookupCase { "zero ms is the shortest", true, 0.0f, 120.0f, 12 },
    LookupCase { "negative ms is the shortest", true, -5.0f, 120.0f, 12 },
    LookupCase { "zero hz is the longest", false, 0.0f, 120.0f, 0 },
    LookupCase { "huge rate is the shortest", false, 1000.0f, 120.0f, 12 },
    LookupCase { "eighth at 90", true, 60000.0f / 90.0f * 0.5f, 90.0f, 7 },
    LookupCase { "slightly off a triplet", true, 60000.0f / 140.0f * (2.0f / 3.0f) * 1.02f, 140.0f, 6 }),
    testsupport::NameFromWhat());
// clang-format on

TEST (NoteGrid, SweepsVisitEveryDivisionInOrder)
{
    // Longer periods never select a shorter division, faster rates never a
    // longer one, and every division is reachable.
    int previousMs = NoteGrid::numDivisions;
    int previousHz = -1;
    bool seenMs[NoteGrid::numDivisions] = {};
    bool seenHz[NoteGrid::numDivisions] = {};

    for (float v = 1.0f; v < 60000.0f; v *= 1.01f)
    {
        const int byMs = NoteGrid::nearestDivisionByMs (v, 120.0f);
        EXPECT_LE (byMs, previousMs) << v;
        previousMs = byMs;
        seenMs[byMs] = true;

        const float hz = v / 1000.0f;
        const int byHz = NoteGrid::nearestDivisionByHz (hz, 120.0f);
        EXPECT_GE (byHz, previousHz) << hz;
        previousHz = byHz;
        seenHz[byHz] = true;
    }
    for (int i = 0; i < NoteGrid::numDivisions; ++i)
    {
        EXPECT_TRUE (seenMs[i]) << i;
        EXPECT_TRUE (seenHz[i]) << i;
    }
}

TEST (NoteGrid, TiesGoToTheLongerDivision)
{
    // At 60 BPM the 2b and 4b rates are 1/8 Hz and 1/16 Hz; in log terms the
    // values on either side of their geometric middle pick the nearer one,
    // and a value the lookup sees as an exact tie picks the longer (index 0).
    const float a = std::log (1.0f / 16.0f);
    const float b = std::log (1.0f / 8.0f);
    for (float hz = 0.0880f; hz < 0.0888f; hz += 0.000001f)
    {
        const float x = std::log (hz);
        const float da = std::fabs (x - a);
        const float db = std::fabs (x - b);
        EXPECT_EQ (NoteGrid::nearestDivisionByHz (hz, 60.0f), db < da ? 1 : 0) << hz;
    }
}
