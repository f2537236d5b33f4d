// --tail auto ends the file within a few blocks of the point where the
// processor's output falls below -90 dBFS for good.

#include "ToolFixture.h"

#include "support/CaseName.h"

#include <cmath>

using namespace tooltest;

namespace
{
struct TailCase
{
    const char* what;
    const char* preset;
    std::vector<std::pair<const char*, float>> settings;
    bool endsBeforeTheLongestTail; // the case is only meaningful if the cut comes early
};

void PrintTo (const TailCase& c, std::ostream* os)
{
    *os << c.what;
}

class AutoTail : public ToolFixture, public ::testing::WithParamInterface<TailCase>
{};

constexpr double rate = 48000.0;
constexpr int block = 512;
} // namespace

TEST_P (AutoTail, StopsWithinAFewBlocksOfTheMinus90DbPoint)
{
    const auto& c = GetParam();
    const auto input = testSignal (2, rate, 1.0);
    ASSERT_TRUE (writeAudio (file ("in.wav"), input, rate, "wav", 32));

    juce::StringArray args { "--preset", c.preset, "--tail", "auto" };
    ReferenceSettings reference;
    reference.presetId = c.preset;
    for (const auto& [id, value] : c.settings)
    {
        args.addArray ({ "--set", juce::String (id) + "=" + juce::String (value) });
        reference.params.emplace_back (id, value);
    }
    args.addArray ({ "in.wav", "out.wav" });
    const auto result = run (args);
    ASSERT_EQ (result.exitCode, 0) << result.err;
    const auto output = readAudio (file ("out.wav"));
    ASSERT_TRUE (output.has_value());

    // The processor's output with the longest tail there is, and its last
    // sample at -90 dBFS or above.
    const int longest = static_cast<int> (15.0 * rate);
    const auto expected = renderWithProcessor (reference, input, longest);
    const auto level = static_cast<float> (std::pow (10.0, -90.0 / 20.0));
    const int end = std::max (lastSampleAtOrAbove (expected.output, level) + 1, input.getNumSamples());

    const int length = output->samples.getNumSamples();
    EXPECT_GE (length, end) << "the file stops before the echoes have died";
    EXPECT_LE (length, end + 3 * block) << "the file runs on past the -90 dBFS point";
    if (c.endsBeforeTheLongestTail)
    {
        EXPECT_LT (end, input.getNumSamples() + longest - rate) << "the case does not test an early stop";
    }

    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < std::min (length, expected.output.getNumSamples()); ++i)
            ASSERT_EQ (output->samples.getSample (ch, i), expected.output.getSample (ch, i)) << "sample " << i;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (
    Presets, AutoTail,
    ::testing::Values (TailCase { "a few short echoes", "Traditional/INIT PATCH", { { "tapCnt", 4.0f } }, true },
                       TailCase { "a late echo after a long silence", "Traditional/INIT PATCH",
                                  { { "pd", 2000.0f }, { "tapCnt", 2.0f } }, true },
                       TailCase { "a six-second bloom", "Sound Design/Cosmic & Mass/Black Hole Bloom", {}, true },
                       TailCase { "a reversed window", "Sound Design/Glitch & Chaos/Reverse Fragments", {}, true },
                       TailCase { "pitch regeneration ringing on", "Traditional/Standard Delay",
                                  { { "pitchOn", 1.0f }, { "pitchFbk", 90.0f }, { "pitchCt", 30.0f } }, false },
                       TailCase { "echoes longer than the longest tail", "Sound Design/Long & Cosmic/Glacial Drift", {},
                                  false },
                       TailCase { "dry signal only", "Traditional/INIT PATCH", { { "mix", 0.0f } }, true }),
    testsupport::NameFromWhat {});
// clang-format on
