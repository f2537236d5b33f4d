// A switch set with --set takes the usual words for on and off, in any case.

#include "ToolFixture.h"

#include "support/CaseName.h"

using namespace tooltest;

namespace
{
struct SwitchWordCase
{
    const char* what;
    const char* word;
    bool on;
};

void PrintTo (const SwitchWordCase& c, std::ostream* os)
{
    *os << c.what;
}

class SwitchWords : public ToolFixture, public ::testing::WithParamInterface<SwitchWordCase>
{};

// The processor's first tap time with Reverse off or on.
float firstTapMs (bool reverse)
{
    ReferenceSettings reference;
    reference.params.emplace_back ("rev", reverse ? 1.0f : 0.0f);
    reference.sampleRate = 48000.0;
    const auto taps = renderWithProcessor (reference, juce::AudioBuffer<float> (2, 0), reference.blockSize).taps;
    return taps.count > 0 ? taps.taps[0].timeMs : -1.0f;
}
} // namespace

TEST_P (SwitchWords, SetTheSwitchToWhatTheWordMeans)
{
    // Reverse moves the first tap from the start of the window to its end, so
    // the tap set shows which way the switch went. The switch is first set
    // the other way, so a word that was read as nothing at all shows too.
    const auto& c = GetParam();
    const float expected = firstTapMs (c.on);
    ASSERT_NE (expected, firstTapMs (! c.on));

    const auto result = run (
        { "--set", c.on ? "rev=0" : "rev=1", "--set", juce::String ("rev=") + c.word, "--taps-json", "taps.json" });
    ASSERT_EQ (result.exitCode, 0) << result.err;
    const auto json = juce::JSON::parse (file ("taps.json").loadFileAsString());
    const auto* taps = json["taps"].getArray();
    ASSERT_NE (taps, nullptr);
    ASSERT_FALSE (taps->isEmpty());
    EXPECT_EQ (static_cast<float> (static_cast<double> (taps->getReference (0)["timeMs"])), expected);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (
    Words, SwitchWords,
    ::testing::Values (SwitchWordCase { "1", "1", true },
                       SwitchWordCase { "on", "on", true },
                       SwitchWordCase { "true", "true", true },
                       SwitchWordCase { "yes", "yes", true },
                       SwitchWordCase { "YES in capitals", "YES", true },
                       SwitchWordCase { "True mixed case", "True", true },
                       SwitchWordCase { "0", "0", false },
                       SwitchWordCase { "off", "off", false },
                       SwitchWordCase { "false", "false", false },
                       SwitchWordCase { "no", "no", false },
                       SwitchWordCase { "No mixed case", "No", false },
                       SwitchWordCase { "OFF in capitals", "OFF", false }),
    testsupport::NameFromWhat {});
// clang-format on
