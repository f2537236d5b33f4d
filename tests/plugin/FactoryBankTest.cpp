#include "ProcessorFixture.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <set>
#include <string>
#include <vector>

using testsupport::ProcessorFixture;

namespace
{
struct FolderList
{
    const char* folder;
    std::vector<const char*> names; // in bank order
};

// The shipped bank: folders and patch names in file order.
// clang-format off
const std::vector<FolderList> expectedBank {
    { "Character", { "Analog Synth Bounce", "Chicken Pickin' Slap", "Delay Pedal Emulation", "Delicate Echoes",
                     "Desert Canyon Wash", "Empty Oil Drum", "Intimate Vocal Slap", "Lead Vocal Doubler",
                     "Long Flutter", "Long Tail Sat", "Long Wash", "Mellow Echo", "Modular Drift",
                     "Muted Trumpet Echo", "Paper Undulations", "Percussion Bounce", "Pizz-Like", "Rimshot Echo",
                     "Sequenced Pulse", "Surf Guitar Slap", "Thick Synthy Delay", "Whispering Repeat" } },
    { "Sound Design/Buzzy & Distorted", { "Blown Speaker Trail", "Distorted Feedback Loop", "Fried Circuit",
                                          "Overloaded Preamp", "Rusty Gears" } },
    { "Sound Design/Cosmic & Mass", { "Black Hole Bloom", "Collapsing Star", "Cosmic Undertow", "Dark Matter Trail",
                                      "Floaty Ripples", "Mass Well", "Interstellar Echo", "Neutron Star Ping",
                                      "Orbital Decay", "Spacetime Ripple" } },
    { "Sound Design/Glitch & Chaos", { "Broken Sequencer", "Flipped Reality", "Jittery Pulse Field",
                                       "Malfunction Loop", "Reverse Fragments", "Scrambled Signal" } },
    { "Sound Design/Long & Cosmic", { "Deep Space Sustain", "Endless Horizon", "Eternal Return", "Fading into Void",
                                      "Frozen in Time", "Glacial Drift", "Vanishing Point" } },
    { "Sound Design/Metallic & Resonant", { "Anti-Phase Bloom", "Out of Phase Drift", "Phase Cancellation Drift",
                                            "Resonant Comb", "Sheet Metal Echo", "Wobble Phase Loop" } },
    { "Sound Design/Pitch Chorus Extremes", { "Alien Chorus", "Deep Pitch Wash", "Detuned Cosmos",
                                              "Fast Flutter Chorus", "Twisted Chorus" } },
    { "Sound Design/Short to Long", { "Backwards Bloom", "Inverted Spread", "Long Fuse Short Snap" } },
    { "Traditional", { "8th w stretch", "8th-triplets", "Cathedral Wash", "Dance Vocal", "Dark Concert Hall",
                       "Eighth Note Pulse", "Eighth Triplet Bounce", "Gentle Cascade", "Half Note Wash", "INIT PATCH",
                       "Long Hall Tail", "Medium Hall Pretty", "Nostalgic Repeats", "Old Reel Repeats",
                       "Phasey Ambience", "Ping Pong Eighths", "Reel to Reel", "Rockabilly Slap", "Room Bloom",
                       "Sixteenth Flutter", "Soft Room Bloom", "Standard Delay", "Steady 8ths",
                       "Tape Saturation Echo", "Vocal Thickener", "Warm Room Reflections", "Wobbly Tape Echo",
                       "Worn Tape Loop" } },
    { "Weird", { "Bats!", "Bouncy Ball", "Buzzy Mouth Sounds", "Catch and Release", "Embarrassed Robot",
                 "Galactic Waves", "Glitchy Cloud", "Horror Voices", "Icy Cloud", "Long Rubber Band",
                 "Magic Reverses", "Midrangey Chorus", "Moaning Aliens", "Reverse String Bounce", "Ring the Bell",
                 "Robot Pan Drum", "Seasick Bobbleheads", "Skids", "Slippery Cello" } },
};
// clang-format on

// The keys every patch carries (INIT PATCH adds dcFall; Skids differs).
// clang-format off
const std::vector<const char*> commonKeys {
    "g", "s", "e", "fb", "pd", "fbk", "io2x", "lk", "mu", "rev", "flipped", "tapCnt", "dcv", "dc", "dcMode",
    "dcSteps", "chaos", "cwT", "cwW", "cwTr", "cwG", "hp", "lp", "mix", "mixByp", "mout", "spread", "sideOnly",
    "ppOn", "ppW", "tp", "tOd", "tBoost", "td", "sat", "flutter", "flutSpd", "tpWet", "tDarken", "headBump",
    "pitchOn", "pitchSync", "pitchWide", "pitch2x", "pitchCt", "pitchRt", "pitchDp", "pitchSh", "pitchMix",
    "pitchFbk", "pitchGLink", "pitchWLAmt", "pitchLB", "wo", "waveSync", "lrs", "lfoDp", "lsh", "woPh", "woOff",
    "trem", "tremSync", "tremR", "tremD", "tremPh", "tremOff", "tremSh"
};
// clang-format on

std::set<std::string> keysOf (const presets::Patch& p)
{
    std::set<std::string> out;
    if (auto* obj = p.params.getDynamicObject())
        for (const auto& prop : obj->getProperties())
            out.insert (prop.name.toString().toStdString());
    return out;
}

const presets::PresetLibrary& factory()
{
    static const presets::PresetLibrary library = [] {
        presets::PresetLibrary l;
        l.loadFactoryFromBinaryData();
        return l;
    }();
    return library;
}

const presets::Patch& patchNamed (const juce::String& id)
{
    const auto* p = factory().findById (id);
    if (p == nullptr)
        throw std::runtime_error ("no factory patch " + id.toStdString());
    return *p;
}
} // namespace

//==============================================================================
TEST (FactoryBank, HoldsTheListedFoldersAndNamesInOrder)
{
    const auto& patches = factory().getPatches();
    ASSERT_EQ (factory().getFactoryCount(), 111u);
    ASSERT_EQ (patches.size(), 111u);

    std::size_t i = 0;
    for (const auto& folder : expectedBank)
        for (const auto* name : folder.names)
        {
            ASSERT_LT (i, patches.size());
            EXPECT_EQ (patches[i].folder, folder.folder);
            EXPECT_EQ (patches[i].name, name);
            ++i;
        }
    EXPECT_EQ (i, 111u);
}

TEST (FactoryBank, CarriesTheListedKeySets)
{
    const std::set<std::string> common (commonKeys.begin(), commonKeys.end());
    ASSERT_EQ (common.size(), 67u);

    for (const auto& p : factory().getPatches())
    {
        auto expected = common;
        if (p.id() == "Traditional/INIT PATCH")
            expected.insert ("dcFall");
        if (p.id() == "Weird/Skids")
        {
            for (const auto* k : { "io2x", "tapCnt", "mixByp", "sideOnly", "tOd" })
                expected.erase (k);
            expected.insert ({ "falloff", "endFreq" });
        }
        EXPECT_EQ (keysOf (p), expected) << p.id();

        for (const auto& prop : p.params.getDynamicObject()->getProperties())
        {
            EXPECT_TRUE (prop.value.isDouble() || prop.value.isInt() || prop.value.isInt64()) << p.id();
            const auto v = static_cast<double> (prop.value);
            EXPECT_TRUE (v >= 0.0 && v <= 1.0) << p.id() << " " << prop.name.toString();
        }
    }
}

TEST (FactoryBank, InitPatchHoldsItsListedValues)
{
    const std::vector<std::pair<const char*, double>> init { { "g", 0.5 },
                                                             { "s", 0.416669994592667 },
                                                             { "e", 0.416669994592667 },
                                                             { "fb", 0.651539981365204 },
                                                             { "pd", 0.163045004010201 },
                                                             { "fbk", 0.0 },
                                                             { "io2x", 0.0 },
                                                             { "lk", 1.0 },
                                                             { "mu", 1.0 },
                                                             { "rev", 0.0 },
                                                             { "flipped", 0.0 },
                                                             { "tapCnt", 1.0 },
                                                             { "dcv", 0.433349996805191 },
                                                             { "dc", 1.0 },
                                                             { "dcMode", 0.0 },
                                                             { "dcSteps", 0.200000002980232 },
                                                             { "dcFall", 0.797749996185303 },
                                                             { "chaos", 0.0 },
                                                             { "cwT", 0.800000011920929 },
                                                             { "cwW", 0.600000023841858 },
                                                             { "cwTr", 0.600000023841858 },
                                                             { "cwG", 0.5 },
                                                             { "hp", 0.434569984674454 },
                                                             { "lp", 0.732999980449677 },
                                                             { "mix", 1.0 },
                                                             { "mixByp", 0.0 },
                                                             { "mout", 0.812651991844177 },
                                                             { "spread", 0.500666677951813 },
                                                             { "sideOnly", 0.0 },
                                                             { "ppOn", 0.0 },
                                                             { "ppW", 0.0 },
                                                             { "tp", 0.0 },
                                                             { "tOd", 0.0 },
                                                             { "tBoost", 0.495299994945526 },
                                                             { "td", 0.416699975728989 },
                                                             { "sat", 0.773399949073792 },
                                                             { "flutter", 0.0 },
                                                             { "flutSpd", 0.449999988079071 },
                                                             { "tpWet", 1.0 },
                                                             { "tDarken", 0.310000002384186 },
                                                             { "headBump", 0.0 },
                                                             { "pitchOn", 0.0 },
                                                             { "pitchSync", 0.0 },
                                                             { "pitchWide", 0.0 },
                                                             { "pitch2x", 0.0 },
                                                             { "pitchCt", 0.5 },
                                                             { "pitchRt", 0.230769991874695 },
                                                             { "pitchDp", 0.63245552778244 },
                                                             { "pitchSh", 0.0 },
                                                             { "pitchMix", 0.503999948501587 },
                                                             { "pitchFbk", 0.158199995756149 },
                                                             { "pitchGLink", 0.0 },
                                                             { "pitchWLAmt", 0.025000000372529 },
                                                             { "pitchLB", 0.5 },
                                                             { "wo", 0.0 },
                                                             { "waveSync", 0.0 },
                                                             { "lrs", 0.523000001907349 },
                                                             { "lfoDp", 0.699999988079071 },
                                                             { "lsh", 0.0 },
                                                             { "woPh", 0.5 },
                                                             { "woOff", 0.5 },
                                                             { "trem", 0.0 },
                                                             { "tremSync", 1.0 },
                                                             { "tremR", 0.583000004291534 },
                                                             { "tremD", 0.751299977302551 },
                                                             { "tremPh", 0.5 },
                                                             { "tremOff", 0.5 },
                                                             { "tremSh", 0.0 } };
    const auto& p = patchNamed ("Traditional/INIT PATCH");
    ASSERT_EQ (keysOf (p).size(), init.size());
    for (const auto& [key, value] : init)
        EXPECT_DOUBLE_EQ (static_cast<double> (p.params.getProperty (key, {})), value) << key;
}

TEST (FactoryBank, BrowsesFoldersThenNamesInCodePointOrder)
{
    // Expected order made independently: folders sorted by name (Sound
    // Design's categories inside it), each folder's names sorted by bytes.
    std::vector<FolderList> folders = expectedBank;
    std::sort (folders.begin(), folders.end(), [] (const FolderList& a, const FolderList& b) {
        return std::string (a.folder) < std::string (b.folder);
    });
    std::vector<std::string> expected;
    for (auto& f : folders)
    {
        std::vector<std::string> names (f.names.begin(), f.names.end());
        std::sort (names.begin(), names.end());
        for (const auto& n : names)
            expected.push_back (std::string (f.folder) + "/" + n);
    }

    std::vector<std::string> got;
    for (const auto* p : factory().allInTreeOrder())
        got.push_back (p->id().toStdString());
    EXPECT_EQ (got, expected);

    // Where that differs from the file: Cosmic & Mass, and ASCII order.
    const auto at = [&got] (const std::string& id) { return std::find (got.begin(), got.end(), id) - got.begin(); };
    EXPECT_LT (at ("Sound Design/Cosmic & Mass/Interstellar Echo"), at ("Sound Design/Cosmic & Mass/Mass Well"));
    EXPECT_EQ (got.front(), "Character/Analog Synth Bounce");
    EXPECT_EQ (got[static_cast<std::size_t> (at ("Traditional/8th w stretch")) + 1], "Traditional/8th-triplets");
    EXPECT_EQ (got.back(), "Weird/Slippery Cello");
}

TEST (FactoryBank, NoTwoPatchesAreTheSame)
{
    std::set<std::string> seen;
    for (const auto& p : factory().getPatches())
        EXPECT_TRUE (seen.insert (juce::JSON::toString (p.params, true).toStdString()).second) << p.id();

    // Distinct in sound, not only in the keys that name no parameter.
    std::set<std::vector<float>> sounds;
    for (const auto& p : factory().getPatches())
    {
        MassDelayAudioProcessor proc;
        proc.applyPatch (p);
        std::vector<float> values;
        for (const auto* param : proc.getParameters())
            values.push_back (param->getValue());
        EXPECT_TRUE (sounds.insert (values).second) << p.id();
    }
}

//==============================================================================
// What some patches' names promise, read from the parameter block at 120 BPM.
struct CharacterCase
{
    const char* what;
    const char* id;
    std::function<bool (const ParamBlock&)> holds;
};

class FactoryPatchCharacter : public ::testing::TestWithParam<CharacterCase>, public ProcessorFixture
{};

TEST_P (FactoryPatchCharacter, MatchesItsName)
{
    proc->applyPatch (patchNamed (GetParam().id));
    runBlock();
    EXPECT_TRUE (GetParam().holds (proc->getCurrentParams()));
}

namespace
{
bool near (float a, float b, float tolerance = 0.01f)
{
    return std::abs (a - b) <= tolerance;
}
} // namespace

// clang-format off
INSTANTIATE_TEST_SUITE_P (Patches, FactoryPatchCharacter, ::testing::Values (
    CharacterCase { "ping pong eighths", "Traditional/Ping Pong Eighths", [] (const ParamBlock& p) {
        return p.tapSync && near (p.startMs, 250.0f) && near (p.endMs, 250.0f) && near (p.pingPongAmount, 100.0f)
               && p.pingPongOn && near (p.predelayMs, 250.0f); } },
    CharacterCase { "eighth triplets", "Traditional/8th-triplets", [] (const ParamBlock& p) {
        return p.tapSync && near (p.startMs, 500.0f / 3.0f) && near (p.endMs, 500.0f / 3.0f); } },
    CharacterCase { "eighths stretching to quarters", "Traditional/8th w stretch", [] (const ParamBlock& p) {
        return p.tapSync && near (p.startMs, 250.0f) && near (p.endMs, 500.0f); } },
    CharacterCase { "half note wash", "Traditional/Half Note Wash", [] (const ParamBlock& p) {
        return p.tapSync && near (p.startMs, 1000.0f) && p.lengthMs >= 9000.0f && p.decayCurve > 0.0f; } },
    CharacterCase { "standard delay", "Traditional/Standard Delay", [] (const ParamBlock& p) {
        return ! p.tapSync && near (p.startMs, 375.0f, 1.0f) && near (p.endMs, 375.0f, 1.0f)
               && near (p.predelayMs, 375.0f) && p.mix < 50.0f; } },
    CharacterCase { "rockabilly slap", "Traditional/Rockabilly Slap", [] (const ParamBlock& p) {
        return p.tapCount == 1 && near (p.predelayMs, 110.0f) && p.tapeOn; } },
    CharacterCase { "cathedral wash", "Traditional/Cathedral Wash", [] (const ParamBlock& p) {
        return p.lengthMs >= 13000.0f && p.tapCount == 64 && p.decayCurve >= 90.0f && p.mix >= 40.0f; } },
    CharacterCase { "long flutter", "Character/Long Flutter", [] (const ParamBlock& p) {
        return p.tapeOn && p.flutter >= 60.0f && p.lengthMs >= 5000.0f; } },
    CharacterCase { "sixteenth flutter", "Traditional/Sixteenth Flutter", [] (const ParamBlock& p) {
        return p.tapSync && near (p.startMs, 125.0f) && p.tapeOn && p.flutter >= 40.0f; } },
    CharacterCase { "reverse fragments", "Sound Design/Glitch & Chaos/Reverse Fragments", [] (const ParamBlock& p) {
        return p.reverse; } },
    CharacterCase { "flipped reality", "Sound Design/Glitch & Chaos/Flipped Reality", [] (const ParamBlock& p) {
        return p.flipped && p.reverse; } },
    CharacterCase { "collapsing star", "Sound Design/Cosmic & Mass/Collapsing Star", [] (const ParamBlock& p) {
        return near (p.twist, 100.0f); } },
    CharacterCase { "mass well", "Sound Design/Cosmic & Mass/Mass Well", [] (const ParamBlock& p) {
        return near (p.twist, -90.0f) && p.pitchOn && p.pitchTwistLink; } },
    CharacterCase { "deep pitch wash", "Sound Design/Pitch Chorus Extremes/Deep Pitch Wash", [] (const ParamBlock& p) {
        return p.pitchOn && near (p.pitchOffset, -50.0f, 0.051f) && p.pitch2x && p.pitchRegen > 0.0f; } },
    CharacterCase { "whispering repeat", "Character/Whispering Repeat", [] (const ParamBlock& p) {
        return p.noMid && p.hpHz >= 400.0f; } },
    CharacterCase { "blown speaker", "Sound Design/Buzzy & Distorted/Blown Speaker Trail", [] (const ParamBlock& p) {
        return p.tapeOn && p.tapeOd && p.tapeIn >= 70.0f && near (p.masterDb, -3.0f, 0.051f); } },
    CharacterCase { "muted trumpet band", "Character/Muted Trumpet Echo", [] (const ParamBlock& p) {
        return near (p.hpHz, 600.0f, 3.0f) && near (p.lpHz, 2200.0f, 10.0f); } },
    CharacterCase { "vocal thickener", "Traditional/Vocal Thickener", [] (const ParamBlock& p) {
        return p.pitchOn && p.tapCount == 3 && p.startMs < 30.0f; } },
    CharacterCase { "bouncy ball", "Weird/Bouncy Ball", [] (const ParamBlock& p) {
        return p.startMs > 5.0f * p.endMs; } },
    CharacterCase { "skids keep the tap count default", "Weird/Skids", [] (const ParamBlock& p) {
        return p.tapCount == 64 && near (p.decayFalloff, 25.0f) && p.lengthBendCents < 0.0f; } }),
    testsupport::NameFromWhat());
// clang-format on

TEST (FactoryBank, PingPongDepthComesWithItsSwitch)
{
    // So that the rule for states of older builds never changes a patch.
    for (const auto& p : factory().getPatches())
    {
        if (static_cast<double> (p.params.getProperty ("ppW", 0.0)) > 0.0)
        {
            EXPECT_EQ (static_cast<double> (p.params.getProperty ("ppOn", 0.0)), 1.0) << p.id();
        }
    }
}

//==============================================================================
namespace
{
// Four plucked notes, 400 ms apart, peaking at -18 dBFS, then silence.
juce::AudioBuffer<float> testPhrase (double sampleRate, int totalSamples)
{
    juce::AudioBuffer<float> phrase (2, totalSamples);
    phrase.clear();
    const double freqs[] = { 220.0, 277.18, 329.63, 440.0 };
    const int spacing = static_cast<int> (0.4 * sampleRate);
    for (int n = 0; n < 4; ++n)
    {
        for (int i = 0; i < spacing && n * spacing + i < totalSamples; ++i)
        {
            const double t = i / sampleRate;
            const double env = std::exp (-t / 0.08) * std::min (1.0, t / 0.002);
            const double v = env
                             * (std::sin (2.0 * juce::MathConstants<double>::pi * freqs[n] * t)
                                + 0.3 * std::sin (4.0 * juce::MathConstants<double>::pi * freqs[n] * t));
            phrase.setSample (0, n * spacing + i, static_cast<float> (v));
            phrase.setSample (1, n * spacing + i, static_cast<float> (v * 0.9));
        }
    }
    phrase.applyGain (juce::Decibels::decibelsToGain (-18.0f) / phrase.getMagnitude (0, totalSamples));
    return phrase;
}
} // namespace

TEST (FactoryBank, EveryPatchRendersFiniteAudibleAudioBelowFullScale)
{
    constexpr double sampleRate = 48000.0;
    constexpr int blockSize = 512;
    constexpr int totalSamples = static_cast<int> (4.0 * sampleRate);
    const auto phrase = testPhrase (sampleRate, totalSamples);
    ASSERT_NEAR (juce::Decibels::gainToDecibels (phrase.getMagnitude (0, totalSamples)), -18.0f, 0.01f);

    for (const auto& patch : factory().getPatches())
    {
        testsupport::TestPlayHead playHead;
        MassDelayAudioProcessor proc;
        proc.setPlayHead (&playHead);
        proc.applyPatch (patch);
        proc.prepareToPlay (sampleRate, blockSize);

        auto buffer = phrase;
        juce::MidiBuffer midi;
        bool finite = true;
        float peak = 0.0f;
        for (int start = 0; start < totalSamples; start += blockSize)
        {
            const int n = std::min (blockSize, totalSamples - start);
            juce::AudioBuffer<float> block (buffer.getArrayOfWritePointers(), 2, start, n);
            proc.processBlock (block, midi);
            for (int c = 0; c < 2; ++c)
                for (int i = 0; i < n; ++i)
                {
                    const float s = block.getSample (c, i);
                    finite = finite && std::isfinite (s);
                    peak = std::max (peak, std::abs (s));
                }
            playHead.ppq += n / sampleRate * 2.0;
        }

        EXPECT_TRUE (finite) << patch.id();
        EXPECT_GT (juce::Decibels::gainToDecibels (peak), -40.0f) << patch.id();
        EXPECT_LE (peak, 1.0f) << patch.id() << " peaks at " << juce::Decibels::gainToDecibels (peak) << " dBFS";
    }
}
