// --set reads a value in the unit the editor shows it in, by the editor's own
// typed-entry rules, and a raw position when it is written raw:VALUE. What
// lands in the plug-in is read back from the state the program saves.

#include "ToolFixture.h"

#include "support/CaseName.h"

#include <cmath>

using namespace tooltest;

namespace
{
struct UnitCase
{
    const char* what;
    const char* id;
    const char* text;
    double raw; // the raw position the text stands for
};

void PrintTo (const UnitCase& c, std::ostream* os)
{
    *os << c.what;
}

// The controls' curves, written out from their definitions.
double highPassRaw (double hz)
{
    return std::log (hz / 20.0) / std::log (200.0) * 1000.0; // 20 Hz .. 4 kHz
}

double lowPassRaw (double hz)
{
    return std::log (hz / 500.0) / std::log (44.0) * 1000.0; // 500 Hz .. 22 kHz
}

double delayTimeRaw (double ms)
{
    const double t =
        ms <= 1000.0 ? std::log (ms) * 0.65 / std::log (1000.0) : std::log (ms / 1000.0) * 0.35 / std::log (2.0) + 0.65;
    return std::round (1000.0 * t);
}

double lengthRaw (double ms)
{
    return std::round (std::log (ms / 10.0) / std::log (1400.0) * 1000.0);
}

double lfoRateRaw (double hz)
{
    return std::round (std::log (hz / 0.15) / std::log (53.333) * 1000.0);
}

double slowRateRaw (double hz)
{
    return std::round (1000.0 * std::pow (std::log (hz / 0.01) / std::log (800.0), 1.0 / 0.61));
}

class SetUnits : public ToolFixture, public ::testing::WithParamInterface<UnitCase>
{
protected:
    // The raw value of a parameter in the state twist-render saved.
    float savedRaw (const char* id)
    {
        juce::MemoryBlock blob;
        EXPECT_TRUE (file ("sound.state").loadFileAsData (blob));
        MassDelayAudioProcessor::setApplyDefaultPatchAtStartup (false);
        MassDelayAudioProcessor processor;
        processor.setStateInformation (blob.getData(), static_cast<int> (blob.getSize()));
        const auto* value = processor.getValueTreeState().getRawParameterValue (id);
        return value != nullptr ? value->load() : std::nanf ("");
    }
};
} // namespace

TEST_P (SetUnits, TheValueLandsAsTheRawPositionItStandsFor)
{
    const auto& c = GetParam();
    const auto result = run ({ "--set", juce::String (c.id) + "=" + c.text, "--save-state", "sound.state" });
    ASSERT_EQ (result.exitCode, 0) << result.err;
    EXPECT_EQ (result.err.contains ("warning"), false) << result.err;
    EXPECT_NEAR (savedRaw (c.id), c.raw, 0.01) << c.id << "=" << c.text;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (
    Kinds, SetUnits,
    ::testing::Values (
        UnitCase { "high-pass in hertz", "hp", "200 Hz", highPassRaw (200.0) },
        UnitCase { "high-pass in kilohertz without a space", "hp", "1.2kHz", highPassRaw (1200.0) },
        UnitCase { "high-pass as a bare number of hertz", "hp", "80", highPassRaw (80.0) },
        UnitCase { "low-pass in kilohertz", "lp", "6 kHz", lowPassRaw (6000.0) },
        UnitCase { "start in milliseconds", "s", "350 ms", delayTimeRaw (350.0) },
        UnitCase { "end in seconds", "e", "1.5 s", delayTimeRaw (1500.0) },
        UnitCase { "end as a note", "e", "1/8", (12.0 - 7.0) / 12.0 * 1000.0 },
        UnitCase { "start as a triplet note in lower case", "s", "1/4t", (12.0 - 4.0) / 12.0 * 1000.0 },
        UnitCase { "length in milliseconds", "fb", "1000 ms", lengthRaw (1000.0) },
        UnitCase { "length in seconds", "fb", "3s", lengthRaw (3000.0) },
        UnitCase { "predelay in seconds", "pd", "1.5 s", 1500.0 },
        UnitCase { "master in decibels", "mout", "-6 dB", -6.0 },
        UnitCase { "twist as a percentage", "g", "-40%", -40.0 },
        UnitCase { "mix as a bare percentage", "mix", "35", 35.0 },
        UnitCase { "tremolo rate in hertz", "tremR", "4 Hz", lfoRateRaw (4.0) },
        UnitCase { "wave rate at the top as shown", "lrs", "8.0 Hz", 1000.0 },
        UnitCase { "wave rate as a note", "lrs", "1/16", 9.0 / 12.0 * 1000.0 },
        UnitCase { "pitch rate in hertz", "pitchRt", "0.5 Hz", slowRateRaw (0.5) },
        UnitCase { "pitch in cents", "pitchCt", "25c", 25.0 },
        UnitCase { "length bend in cents", "pitchLB", "-300 cents", -300.0 },
        UnitCase { "head bump in decibels", "headBump", "3 dB", 50.0 },
        UnitCase { "width as MONO", "spread", "mono", 0.0 },
        UnitCase { "width as a signed number", "spread", "+50", 11.25 },
        UnitCase { "decay curve at its knee", "dcv", "+100", 200.0 },
        UnitCase { "decay mode by name", "dcMode", "Wavey", 2.0 },
        UnitCase { "switch by word", "rev", "ON", 1.0 },
        UnitCase { "phase in degrees", "tremPh", "90 deg", 90.0 },
        UnitCase { "tap count as a whole number", "tapCnt", "24", 24.0 },
        UnitCase { "raw high-pass position", "hp", "raw:434.59", 434.59 },
        UnitCase { "raw length position", "fb", "raw:1000", 1000.0 },
        UnitCase { "raw switch", "pitchOn", "raw:1", 1.0 }),
    testsupport::NameFromWhat {});
// clang-format on

TEST_F (SetUnits, AValueBeyondTheControlIsTakenAtItsEndWithAWarningInTheUnit)
{
    struct Case
    {
        const char* setting;
        const char* warning;
        const char* id;
        double raw;
    };
    // A number is never malformed, not even a frequency of zero or below.
    for (const auto& c : { Case { "hp=10 Hz", "hp=10 Hz is outside 20 Hz..4.0 kHz; using 20 Hz", "hp", 0.0 },
                           Case { "hp=0", "hp=0 is outside 20 Hz..4.0 kHz; using 20 Hz", "hp", 0.0 },
                           Case { "hp=-5", "hp=-5 is outside 20 Hz..4.0 kHz; using 20 Hz", "hp", 0.0 },
                           Case { "hp=0 Hz", "hp=0 Hz is outside 20 Hz..4.0 kHz; using 20 Hz", "hp", 0.0 },
                           Case { "lp=-5 kHz", "lp=-5 kHz is outside 500 Hz..22.0 kHz; using 500 Hz", "lp", 0.0 },
                           Case { "pitchRt=600", "pitchRt=600 is outside", "pitchRt", 1000.0 },
                           Case { "fb=20 s", "fb=20 s is outside 10 ms..14.00 s; using 14.00 s", "fb", 1000.0 },
                           Case { "g=150%", "g=150% is outside -100%..100%; using 100%", "g", 100.0 } })
    {
        const auto result = run ({ "--set", c.setting, "--save-state", "sound.state" });
        ASSERT_EQ (result.exitCode, 0) << result.err;
        EXPECT_TRUE (result.err.contains (juce::String ("twist-render: warning: ") + c.warning)) << result.err;
        EXPECT_NEAR (savedRaw (c.id), c.raw, 0.01) << c.setting;
    }
}
