#include "ProcessorFixture.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using testsupport::ProcessorFixture;

// The texts hosts show for parameter values and how they read typed text,
// through the processor's own parameters (what a host's generic controls and
// automation lanes call).
namespace
{
using Switches = std::vector<const char*>;

struct TextCase
{
    const char* what;
    const char* id;
    float raw;
    const char* text;
    Switches on {}; // switches turned on first (sync, 4X, pitch 2x)
};

// The texts the editor shows for these values (Parts of the Twist strip, the
// density strip, the visualizer readouts, the filter range, the master
// fader, the main controls and the effect bodies).
// clang-format off
const TextCase textCases[] = {
    { "twist rounds half away from zero", "g", -0.5f, "-1%" },
    { "twist shows its sign", "g", 25.0f, "+25%" },
    { "twist at the centre", "g", 0.4f, "0%" },
    { "start spacing in milliseconds", "s", 320.0f, "30 ms" },
    { "start spacing four times longer with 4X", "s", 320.0f, "120 ms", { "io2x" } },
    { "end spacing in seconds from one second", "e", 1000.0f, "2.00 s" },
    { "start spacing as a note under tap sync", "s", 1000.0f, "4b", { "mu" } },
    { "shortest synced spacing", "s", 0.0f, "1/128", { "mu" } },
    { "synced spacing ignores 4X", "e", 500.0f, "1/8T", { "mu", "io2x" } },
    { "window length", "fb", 757.0f, "2.41 s" },
    { "shortest window", "fb", 0.0f, "10 ms" },
    { "predelay below a second", "pd", 250.0f, "250 ms" },
    { "predelay in seconds", "pd", 1500.0f, "1.50 s" },
    { "feedback as a percentage", "fbk", 12.5f, "12%" },
    { "switch on", "io2x", 1.0f, "On" },
    { "switch off", "dc", 0.0f, "Off" },
    { "tap count", "tapCnt", 16.0f, "16" },
    { "default decay curve", "dcv", 50.63666f, "-70" },
    { "decay curve at the top of its main range", "dcv", 200.0f, "+100" },
    { "decay curve beyond it", "dcv", 300.0f, "+140" },
    { "smooth decay", "dcMode", 0.0f, "Smooth" },
    { "stepped decay", "dcMode", 1.0f, "Step" },
    { "gliding steps", "dcMode", 2.0f, "Wavey" },
    { "decay steps", "dcSteps", 4.0f, "4 steps" },
    { "falloff off", "dcFall", 0.0f, "OFF" },
    { "falloff", "dcFall", 25.0f, "25.0%" },
    { "high-pass in hertz", "hp", 434.59f, "200 Hz" },
    { "high-pass in kilohertz", "hp", 1000.0f, "4.0 kHz" },
    { "low-pass", "lp", 656.65f, "6.0 kHz" },
    { "low-pass at its lowest", "lp", 0.0f, "500 Hz" },
    { "mix readout rounds", "mix", 79.5f, "80%" },
    { "master at unity", "mout", 0.0f, "0.0 dB" },
    { "master silent", "mout", -60.0f, "-\xe2\x88\x9e dB" },
    { "master boost", "mout", 3.0f, "+3.0 dB" },
    { "master cut", "mout", -6.0f, "-6.0 dB" },
    { "width mono", "spread", 0.0f, "MONO" },
    { "width neutral", "spread", 7.5f, "0" },
    { "width wider", "spread", 11.25f, "+50" },
    { "width widest", "spread", 15.0f, "WIDEST" },
    { "ping-pong amount", "ppW", 100.0f, "100%" },
    { "tape drive bypassed", "tBoost", 0.0f, "BYP" },
    { "tape drive", "tBoost", 50.0f, "50%" },
    { "tape out at unity", "td", 50.0f, "+0.0 dB" },
    { "tape out at its lowest", "td", 0.0f, "-6.0 dB" },
    { "tape softening open", "sat", 100.0f, "12.0 kHz" },
    { "tape softening closed", "sat", 0.0f, "2.00 kHz" },
    { "tape wear bypassed", "tDarken", 0.0f, "BYP" },
    { "head bump", "headBump", 20.0f, "1.2 dB" },
    { "pitch offset", "pitchCt", 10.0f, "10.0c" },
    { "pitch offset doubled with 2x", "pitchCt", 10.0f, "20.0c", { "pitch2x" } },
    { "pitch rate off", "pitchRt", 0.0f, "0.00 Hz" },
    { "pitch rate at its fastest", "pitchRt", 1000.0f, "8.00 Hz" },
    { "pitch rate doubled with 2x", "pitchRt", 1000.0f, "16.00 Hz", { "pitch2x" } },
    { "pitch rate as a note when synced", "pitchRt", 1000.0f, "1/128", { "pitchSync" } },
    { "pitch depth doubled with 2x", "pitchDp", 30.0f, "60%", { "pitch2x" } },
    { "pitch shape triangle", "pitchSh", 1.0f, "Triangle" },
    { "pitch saw rises on 3", "pitchSh", 3.0f, "Saw Up" },
    { "pitch smooth random", "pitchSh", 6.0f, "Smooth Random" },
    { "twist link amount", "pitchWLAmt", 30.0f, "30.0c" },
    { "length bend", "pitchLB", -300.0f, "-300.0c" },
    { "wave rate", "lrs", 523.0f, "1.2 Hz" },
    { "wave rate synced, slowest", "lrs", 0.0f, "4b", { "waveSync" } },
    { "wave saw falls on 3", "lsh", 3.0f, "Saw Down" },
    { "wave saw rises on 4", "lsh", 4.0f, "Saw Up" },
    { "wave stepped random", "lsh", 5.0f, "Random" },
    { "wave flat", "lsh", 7.0f, "Flat" },
    { "wave phase in degrees", "woPh", 12.0f, "12.00" },
    { "wave phase on the beat when synced", "woPh", 0.0f, "on beat", { "waveSync" } },
    { "wave phase an eighth off when synced", "woPh", 45.0f, "1/8", { "waveSync" } },
    { "tremolo rate", "tremR", 753.0f, "3.0 Hz" },
    { "tremolo rate synced", "tremR", 1000.0f, "1/128", { "tremSync" } },
    { "tremolo phase half a beat off", "tremPh", -180.0f, "1/2 off", { "tremSync" } },
    { "tremolo offset", "tremOff", -30.0f, "-30.00" },
    { "tremolo sine", "tremSh", 0.0f, "Sine" },
    { "tremolo saw rises on 3", "tremSh", 3.0f, "Saw Up" },
    { "tremolo plays 7 as smooth random", "tremSh", 7.0f, "Smooth Random" },
};
// clang-format on

struct ParseCase
{
    const char* what;
    const char* id;
    const char* typed;
    float expected;
    float tolerance = 1.0e-3f;
    Switches on {};
};

// Typed text with and without units, names in any case, note values, and
// text that must leave the value alone (expected = the default then).
// clang-format off
const ParseCase parseCases[] = {
    { "hertz with the unit", "hp", "200 Hz", 434.59f, 0.01f },
    { "hertz without it", "hp", "200", 434.59f, 0.01f },
    { "kilohertz", "hp", "1.2 kHz", 772.763f, 0.01f },
    { "kilohertz as k", "hp", "1.2k", 772.763f, 0.01f },
    { "low-pass kilohertz", "lp", "6 kHz", 656.65f, 0.01f },
    { "a note value under tap sync", "s", "1/8", 416.667f, 0.01f, { "mu" } },
    { "a time under tap sync picks the nearest note", "s", "490 ms", 583.333f, 0.01f, { "mu" } },
    { "a note value free-running is its time at the tempo", "s", "1/8", 520.0f, 0.0f },
    { "a time with 4X on", "s", "120 ms", 320.0f, 0.0f, { "io2x" } },
    { "seconds", "fb", "2.41 s", 757.0f, 0.0f },
    { "a synced rate by note", "lrs", "1/4", 416.667f, 0.01f, { "waveSync" } },
    { "a synced rate by hertz", "lrs", "2 Hz", 416.667f, 0.01f, { "waveSync" } },
    { "a free rate by note", "tremR", "1/4", 651.0f, 0.0f },
    { "a doubled rate reads back halved", "pitchRt", "16.00 Hz", 1000.0f, 0.0f, { "pitch2x" } },
    { "doubled cents read back halved", "pitchCt", "20.0c", 10.0f, 0.01f, { "pitch2x" } },
    { "a doubled depth reads back halved", "pitchDp", "60%", 30.0f, 0.01f, { "pitch2x" } },
    { "decibels", "mout", "-6 dB", -6.0f, 0.01f },
    { "minus infinity", "mout", "-inf", -60.0f },
    { "minus infinity sign", "mout", "-\xe2\x88\x9e dB", -60.0f },
    { "decibels beyond the range", "mout", "10 dB", 6.0f },
    { "signed percent", "g", "+25%", 25.0f },
    { "percent beyond the range", "g", "-140", -100.0f },
    { "predelay in seconds", "pd", "1.5 s", 1500.0f },
    { "predelay in ms", "pd", "250ms", 250.0f },
    { "predelay beyond the range", "pd", "5000", 2000.0f },
    { "falloff off", "dcFall", "OFF", 0.0f },
    { "falloff percent", "dcFall", "12.5%", 12.5f, 0.01f },
    { "tape drive bypass", "tBoost", "BYP", 0.0f },
    { "tape wear bypass in lower case", "tDarken", "byp", 0.0f },
    { "tape out decibels", "td", "-6.0 dB", 0.0f, 0.01f },
    { "tape out unity", "td", "+0.0 dB", 50.0f, 0.01f },
    { "tape softening", "sat", "12 kHz", 100.0f, 0.01f },
    { "decay mode by name", "dcMode", "wavey", 2.0f },
    { "decay mode by number", "dcMode", "1", 1.0f },
    { "decay steps", "dcSteps", "8 steps", 8.0f },
    { "decay steps beyond the range", "dcSteps", "20", 16.0f },
    { "wave shape by name", "lsh", "Saw Up", 4.0f },
    { "wave flat", "lsh", "flat", 7.0f },
    { "tremolo shape in lower case", "tremSh", "saw up", 3.0f },
    { "pitch shape without spaces", "pitchSh", "SawDown", 4.0f },
    { "switch on", "io2x", "On", 1.0f },
    { "switch by number", "rev", "1", 1.0f },
    { "width by word", "spread", "mono", 0.0f },
    { "width by number", "spread", "+50", 11.25f, 0.01f },
    { "decay curve", "dcv", "-70", 50.6367f, 0.01f },
    { "a synced phase", "tremPh", "1/8", 45.0f, 0.0f, { "tremSync" } },
    { "an integer rounds", "tapCnt", "16.6", 17.0f },
    // Nothing to read: the value stays (at its default here).
    { "no number", "hp", "abc", 434.59f, 0.01f },
    { "not finite", "mix", "nan", 80.0f },
    { "empty", "g", "", 0.0f },
    { "an unknown name", "lsh", "banana", 0.0f },
    { "a shape the pitch LFO lacks", "pitchSh", "flat", 1.0f },
};
// clang-format on

class TextFixture : public ProcessorFixture
{
public:
    void turnOn (const Switches& switches)
    {
        for (const auto* id : switches)
            set (id, 1.0f);
    }

    juce::String textOf (const char* id, float raw)
    {
        auto& p = param (id);
        return p.getText (p.convertTo0to1 (raw), 1024);
    }

    float parsed (const char* id, const juce::String& typed)
    {
        auto& p = param (id);
        return p.convertFrom0to1 (p.getValueForText (typed));
    }
};

class HostTexts : public ::testing::TestWithParam<TextCase>
{};

class HostParsing : public ::testing::TestWithParam<ParseCase>
{};
} // namespace

TEST_P (HostTexts, ShowTheValueAsTheEditorDoes)
{
    const auto& c = GetParam();
    TextFixture f;
    f.turnOn (c.on);
    EXPECT_EQ (f.textOf (c.id, c.raw), juce::String::fromUTF8 (c.text));
}

TEST_P (HostParsing, ReadsTypedText)
{
    const auto& c = GetParam();
    TextFixture f;
    f.turnOn (c.on);
    EXPECT_NEAR (f.parsed (c.id, juce::String::fromUTF8 (c.typed)), c.expected, c.tolerance) << c.typed;
}

INSTANTIATE_TEST_SUITE_P (Parameters, HostTexts, ::testing::ValuesIn (textCases), testsupport::NameFromWhat());
INSTANTIATE_TEST_SUITE_P (Parameters, HostParsing, ::testing::ValuesIn (parseCases), testsupport::NameFromWhat());

TEST (HostTexts, EveryTextReadsBackAsAValueWithTheSameText)
{
    // Every parameter, across its range, with the switches its text depends
    // on off and on: what a host shows and sends back must land where it
    // showed. Integers on the 0..1000 position scales, as the controls set.
    for (const bool switched : { false, true })
    {
        TextFixture f;
        if (switched)
            f.turnOn ({ "mu", "io2x", "pitch2x", "pitchSync", "waveSync", "tremSync" });

        for (auto* p : f.proc->getParameters())
        {
            auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (p);
            ASSERT_NE (ranged, nullptr);
            const auto& range = ranged->getNormalisableRange();
            for (const float fraction : { 0.0f, 0.25f, 0.5f, 0.77f, 1.0f })
            {
                const float raw =
                    range.snapToLegalValue (std::round (range.start + fraction * (range.end - range.start)));
                const auto id = ranged->getParameterID();
                const auto text = ranged->getText (ranged->convertTo0to1 (raw), 1024);
                const float back = ranged->convertFrom0to1 (ranged->getValueForText (text));
                EXPECT_FALSE (text.isEmpty()) << id << " at " << raw;
                EXPECT_EQ (ranged->getText (ranged->convertTo0to1 (back), 1024), text)
                    << id << " at " << raw << (switched ? " (switches on)" : "") << " read back as " << back;
            }
        }
    }
}

TEST (HostTexts, FollowTheTempoTheHostPlays)
{
    // Note values typed into a free-running rate are read at the tempo the
    // processor last saw: an eighth at 90 BPM is 3 Hz (at 120 it would be 4).
    TextFixture f;
    f.playHead.bpm = 90.0;
    f.runBlock();
    EXPECT_NEAR (f.parsed ("tremR", "1/8"), 753.0f, 0.5f);

    // Synced times typed in milliseconds pick the note nearest at that tempo:
    // 667 ms is a quarter at 90 BPM (a quarter triplet at 120).
    f.set ("mu", 1.0f);
    EXPECT_EQ (f.textOf ("s", f.parsed ("s", "667 ms")), "1/4");
}

TEST (HostTexts, IntegersAndSwitchesStepThroughTheirValues)
{
    // Hosts draw and automate these as steps; their stored ranges stay.
    MassDelayAudioProcessor proc;
    for (auto* p : proc.getParameters())
    {
        auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (p);
        ASSERT_NE (ranged, nullptr);
        const auto index = params::indexOf (ranged->getParameterID().toStdString());
        ASSERT_GE (index, 0);
        const auto& def = params::table[static_cast<std::size_t> (index)];
        SCOPED_TRACE (def.id.data());

        const bool stepped = def.kind != params::Kind::Float;
        EXPECT_EQ (ranged->isDiscrete(), stepped);
        if (stepped)
        {
            EXPECT_EQ (ranged->getNumSteps(), static_cast<int> (def.max - def.min) + 1);
        }
        EXPECT_FLOAT_EQ (ranged->getNormalisableRange().start, def.min);
        EXPECT_FLOAT_EQ (ranged->getNormalisableRange().end, def.max);
    }
}
