#include "ProcessorFixture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
// The host-facing parameter list as it must stay: ID, name, kind (f/b/i),
// range, default, version hint, interval, skew and symmetric skew.
struct Expected
{
    const char* id;
    const char* name;
    char kind;
    float min, max, def;
    int version;
    float interval = 0.01f;
    float skew = 1.0f;
    bool symmetric = false;
};

// clang-format off
const Expected expectedLayout[] = {
    { "g", "Twist", 'f', -100, 100, 0, 1 },
    { "s", "Start", 'f', 0, 1000, 320, 1 },
    { "e", "End", 'f', 0, 1000, 537, 1 },
    { "fb", "Length", 'f', 0, 1000, 757, 1 },
    { "pd", "Predelay", 'f', 0, 2000, 0, 1 },
    { "fbk", "Feedback", 'f', 0, 100, 0, 1 },
    { "io2x", "In/Out 4x", 'b', 0, 1, 0, 1 },
    { "lk", "Start/End Lock", 'b', 0, 1, 0, 1 },
    { "mu", "Tap Sync", 'b', 0, 1, 0, 1 },
    { "rev", "Reverse", 'b', 0, 1, 0, 1 },
    { "flipped", "Tap Flip", 'b', 0, 1, 0, 1 },
    { "tapCnt", "Tap Count", 'i', 1, 64, 64, 1 },
    { "dcv", "Decay Curve", 'f', -100, 300, 50.63666f, 2 },
    { "dc", "Dynamic Smoothing", 'b', 0, 1, 1, 2 },
    { "dcMode", "Decay Mode", 'i', 0, 2, 0, 2 },
    { "dcSteps", "Decay Steps", 'i', 1, 16, 4, 2 },
    { "dcFall", "Decay Falloff", 'f', 0, 40, 25, 2 },
    { "hp", "HP", 'f', 0, 1000, 434.59f, 4 },
    { "lp", "LP", 'f', 0, 1000, 656.65f, 4 },
    { "mix", "Dry/Wet", 'f', 0, 100, 80, 5 },
    { "mixByp", "Mix Bypass", 'b', 0, 1, 0, 5 },
    { "mout", "Master", 'f', -60, 6, 0, 5, 0.1f, 2.1766026f },
    { "spread", "Widen", 'f', 0, 15, 7.5f, 5 },
    { "sideOnly", "No Mid", 'b', 0, 1, 0, 5 },
    { "ppOn", "Ping Pong", 'b', 0, 1, 0, 5 },
    { "ppW", "Ping Pong Amount", 'f', 0, 100, 0, 5 },
    { "tp", "Tape", 'b', 0, 1, 0, 6 },
    { "tOd", "Tape OD Mode", 'b', 0, 1, 0, 6 },
    { "tBoost", "Tape In", 'f', 0, 100, 0, 6 },
    { "td", "Tape Out", 'f', 0, 100, 50, 6 },
    { "sat", "Tape LPF", 'f', 0, 100, 100, 6 },
    { "flutter", "Tape Flutter", 'f', 0, 100, 0, 6 },
    { "flutSpd", "Tape Flutter Speed", 'f', 0, 100, 50, 6 },
    { "tpWet", "Tape Mix", 'f', 0, 100, 100, 6 },
    { "tDarken", "Tape Wear", 'f', 0, 100, 25, 6, 1.0f, 1.0f },
    { "headBump", "Tape Head Bump", 'f', 0, 100, 20, 6 },
    { "pitchOn", "Pitch/Chorus", 'b', 0, 1, 0, 7 },
    { "pitchSync", "Pitch Sync", 'b', 0, 1, 0, 7 },
    { "pitchWide", "Pitch Wide", 'b', 0, 1, 1, 7 },
    { "pitch2x", "Pitch 2x", 'b', 0, 1, 0, 7 },
    { "pitchCt", "Pitch", 'f', -50, 50, 0, 7, 0.1f, 0.4f, true },
    { "pitchRt", "Pitch Rate", 'f', 0, 1000, 0, 7 },
    { "pitchDp", "Pitch Depth", 'f', 0, 100, 0, 7, 1.0f, 0.5f },
    { "pitchSh", "Pitch Shape", 'i', 0, 6, 1, 7 },
    { "pitchMix", "Pitch Mix", 'f', 0, 100, 100, 7 },
    { "pitchFbk", "Pitch Regen", 'f', 0, 100, 0, 7 },
    { "pitchGLink", "Pitch Twist Link", 'b', 0, 1, 0, 7 },
    { "pitchWLAmt", "Pitch Twist Cents", 'f', 0, 1200, 30, 7 },
    { "pitchLB", "Length Bend", 'f', -1200, 1200, 0, 7, 100.0f, 0.35f, true },
    { "wo", "Wave", 'b', 0, 1, 0, 8 },
    { "waveSync", "Wave Sync", 'b', 0, 1, 0, 8 },
    { "lrs", "Wave Rate", 'f', 0, 1000, 523, 8 },
    { "lfoDp", "Wave Density", 'f', 0, 100, 70, 8 },
    { "lsh", "Wave Shape", 'i', 0, 7, 0, 8 },
    { "woPh", "Wave Phase", 'f', -180, 180, 0, 8 },
    { "woOff", "Wave Offset", 'f', -180, 180, 0, 8 },
    { "trem", "Tremolo", 'b', 0, 1, 0, 9 },
    { "tremSync", "Trem Sync", 'b', 0, 1, 0, 9 },
    { "tremR", "Trem Rate", 'f', 0, 1000, 753, 9 },
    { "tremD", "Trem Depth", 'f', 0, 100, 80, 9 },
    { "tremPh", "Trem Phase", 'f', -180, 180, 0, 9 },
    { "tremOff", "Trem Offset", 'f', -180, 180, 0, 9 },
    { "tremSh", "Trem Shape", 'i', 0, 7, 0, 9 },
};
// clang-format on
} // namespace

TEST (ParameterLayout, HostSeesTheSixtyThreeParametersInOrder)
{
    MassDelayAudioProcessor proc;
    const auto& all = proc.getParameters();
    ASSERT_EQ (all.size(), 63);
    ASSERT_EQ (std::size (expectedLayout), 63u);

    for (int i = 0; i < all.size(); ++i)
    {
        const auto& e = expectedLayout[i];
        SCOPED_TRACE (e.id);

        auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (all[i]);
        ASSERT_NE (ranged, nullptr);
        EXPECT_EQ (ranged->getParameterID(), e.id);
        EXPECT_EQ (ranged->getName (100), e.name);
        EXPECT_EQ (ranged->getVersionHint(), e.version);
        EXPECT_TRUE (ranged->getLabel().isEmpty());
        EXPECT_TRUE (ranged->isAutomatable());

        const auto& range = ranged->getNormalisableRange();
        EXPECT_FLOAT_EQ (range.start, e.min);
        EXPECT_FLOAT_EQ (range.end, e.max);
        // The framework snaps a float's default to its interval (50.63666
        // becomes 50.64), so defaults hold to half an interval.
        const float tolerance = e.kind == 'f' ? e.interval * 0.5f : 0.0f;
        EXPECT_NEAR (ranged->convertFrom0to1 (ranged->getDefaultValue()), e.def, tolerance);
        EXPECT_NEAR (ranged->convertFrom0to1 (ranged->getValue()), e.def, tolerance);

        switch (e.kind)
        {
            case 'f':
                ASSERT_NE (dynamic_cast<juce::AudioParameterFloat*> (ranged), nullptr);
                EXPECT_FLOAT_EQ (range.interval, e.interval);
                EXPECT_FLOAT_EQ (range.skew, e.skew);
                EXPECT_EQ (range.symmetricSkew, e.symmetric);
                break;
            case 'b':
                EXPECT_NE (dynamic_cast<juce::AudioParameterBool*> (ranged), nullptr);
                break;
            case 'i':
                EXPECT_NE (dynamic_cast<juce::AudioParameterInt*> (ranged), nullptr);
                break;
            default:
                FAIL() << "bad kind in table";
        }
    }
}

TEST (ParameterLayout, NormalisedPresetValuesSelectTheDocumentedSettings)
{
    MassDelayAudioProcessor proc;
    auto& s = proc.getValueTreeState();
    const auto rawAfter = [&s] (const char* id, float normalised) {
        s.getParameter (id)->setValueNotifyingHost (normalised);
        return s.getRawParameterValue (id)->load();
    };

    EXPECT_EQ (rawAfter ("tapCnt", 0.238095f), 16.0f);
    EXPECT_EQ (rawAfter ("dcMode", 0.5f), 1.0f);
    EXPECT_NEAR (rawAfter ("mout", 0.812652f), 0.0f, 0.05f);
    EXPECT_EQ (rawAfter ("mout", 0.0f), -60.0f);
    EXPECT_EQ (rawAfter ("rev", 1.0f), 1.0f);
    EXPECT_NEAR (rawAfter ("pitchCt", 0.5f), 0.0f, 1e-4f);
    EXPECT_NEAR (rawAfter ("pitchLB", 0.5f), 0.0f, 1e-4f);
}

TEST (ProcessorProperties, NameTailBusesAndPrograms)
{
    MassDelayAudioProcessor proc;
    EXPECT_EQ (proc.getName(), "Twist Delay");
    EXPECT_EQ (proc.getTailLengthSeconds(), 15.0);
    EXPECT_FALSE (proc.acceptsMidi());
    EXPECT_FALSE (proc.producesMidi());
    EXPECT_TRUE (proc.hasEditor());
    // The factory bank is the program list; a new instance names the init
    // patch as its program.
    EXPECT_EQ (proc.getNumPrograms(), 111);
    EXPECT_EQ (proc.getProgramName (proc.getCurrentProgram()), "INIT PATCH");

    ASSERT_EQ (proc.getBusCount (true), 1);
    ASSERT_EQ (proc.getBusCount (false), 1);
    EXPECT_EQ (proc.getBus (true, 0)->getName(), "Input");
    EXPECT_EQ (proc.getBus (false, 0)->getName(), "Output");
    EXPECT_EQ (proc.getMainBusNumInputChannels(), 2);
    EXPECT_EQ (proc.getMainBusNumOutputChannels(), 2);
    EXPECT_TRUE (proc.getBus (true, 0)->isEnabledByDefault());
    EXPECT_TRUE (proc.getBus (false, 0)->isEnabledByDefault());
}
