#include "host/HostedPlugin.h"

#include "support/CaseName.h"

#include "params/ParameterTable.h"
#include "plugin/PluginProcessor.h"

#include <gtest/gtest.h>

#include <map>

using testsupport::HostedPlugin;

namespace
{
// Names the host must show, in order.
// clang-format off
const char* const expectedNames[] = {
    "Twist", "Start", "End", "Length", "Predelay", "Feedback", "In/Out 4x", "Start/End Lock", "Tap Sync",
    "Reverse", "Tap Flip", "Tap Count", "Decay Curve", "Dynamic Smoothing", "Decay Mode", "Decay Steps",
    "Decay Falloff", "HP", "LP", "Dry/Wet", "Mix Bypass", "Master", "Widen", "No Mid", "Ping Pong",
    "Ping Pong Amount", "Tape", "Tape OD Mode", "Tape In", "Tape Out", "Tape LPF", "Tape Flutter",
    "Tape Flutter Speed", "Tape Mix", "Tape Wear", "Tape Head Bump", "Pitch/Chorus", "Pitch Sync",
    "Pitch Wide", "Pitch 2x", "Pitch", "Pitch Rate", "Pitch Depth", "Pitch Shape", "Pitch Mix",
    "Pitch Regen", "Pitch Twist Link", "Pitch Twist Cents", "Length Bend", "Wave", "Wave Sync", "Wave Rate",
    "Wave Density", "Wave Shape", "Wave Phase", "Wave Offset", "Tremolo", "Trem Sync", "Trem Rate",
    "Trem Depth", "Trem Phase", "Trem Offset", "Trem Shape",
};
// clang-format on

struct FormatCase
{
    const char* what;
    HostedPlugin::Format format;
};

class HostedBundle : public ::testing::TestWithParam<FormatCase>
{};
} // namespace

TEST_P (HostedBundle, LoadsWithItsNameParametersBusesAndTail)
{
    HostedPlugin plugin (GetParam().format, 48000.0, 512);
    ASSERT_NE (plugin.get(), nullptr) << plugin.error;

    EXPECT_EQ (plugin->getName(), "Twist Delay");
    EXPECT_EQ (plugin.description.name, "Twist Delay");
    EXPECT_FALSE (plugin.description.isInstrument);

    // The host's own bypass control and the control that chooses from the
    // program list, which the VST3 wrapper adds, are not ours.
    juce::StringArray names;
    for (auto* p : plugin->getParameters())
        if (p != plugin->getBypassParameter() && p->getName (100) != "Program")
            names.add (p->getName (100));
    ASSERT_EQ (names.size(), 63) << names.joinIntoString (", ");
    juce::StringArray expected (expectedNames, 63);
    if (GetParam().format == HostedPlugin::Format::LV2)
    {
        // JUCE's LV2 host lists parameters by URI rather than in the order
        // the bundle declares them (that order is checked from the bundle).
        expected.sort (false);
        names.sort (false);
    }
    EXPECT_EQ (names, expected);

    if (GetParam().format == HostedPlugin::Format::LV2)
    {
        // An LV2 host knows the switches from the bundle's description (their
        // atom:Bool range) and shows them as such; the rest are not switches.
        for (const auto& def : params::table)
        {
            for (auto* p : plugin->getParameters())
            {
                if (p->getName (100) == juce::String (def.name.data(), def.name.size()))
                {
                    EXPECT_EQ (p->isBoolean(), def.kind == params::Kind::Bool) << def.name.data();
                }
            }
        }
    }

    EXPECT_EQ (plugin->getMainBusNumInputChannels(), 2);
    EXPECT_EQ (plugin->getMainBusNumOutputChannels(), 2);
    if (GetParam().format == HostedPlugin::Format::VST3)
    {
        EXPECT_NEAR (plugin->getTailLengthSeconds(), 15.0, 1e-3);
    }
}

TEST_P (HostedBundle, SoundsExactlyLikeTheProcessorItself)
{
    constexpr double rate = 48000.0;
    constexpr int block = 512;
    HostedPlugin plugin (GetParam().format, rate, block);
    ASSERT_NE (plugin.get(), nullptr) << plugin.error;
    plugin->prepareToPlay (rate, block);

    MassDelayAudioProcessor own;
    own.prepareToPlay (rate, block);
    // JUCE's LV2 host hands a new instance its default state. That whole
    // state replacement clears the signal memory at the next block, the
    // tremolo and flutter phases with it, so our own instance gets the same
    // replacement at the same point; otherwise the modulations would run
    // out of step for good.
    if (GetParam().format == HostedPlugin::Format::LV2)
    {
        juce::MemoryBlock state;
        own.getStateInformation (state);
        own.setStateInformation (state.getData(), static_cast<int> (state.getSize()));
    }

    // Every parameter is set on both, after prepareToPlay (which an LV2
    // instance needs): the defaults, with a few effects switched on. A
    // hosted VST3 takes our normalised values; JUCE's LV2 host normalises
    // linearly between the range ends the bundle declares.
    const std::map<juce::String, float> overrides {
        { "Twist", 35.0f },        { "Dry/Wet", 60.0f },          { "Tape", 1.0f },
        { "Tape Flutter", 40.0f }, { "Tremolo", 1.0f },           { "Pitch/Chorus", 1.0f },
        { "Pitch Regen", 30.0f },  { "Ping Pong Amount", 50.0f }, { "Master", -3.0f },
    };
    int matched = 0;
    for (auto* p : own.getParameters())
    {
        auto* mine = dynamic_cast<juce::RangedAudioParameter*> (p);
        ASSERT_NE (mine, nullptr);
        const auto name = mine->getName (100);
        const auto& range = mine->getNormalisableRange();
        const auto it = overrides.find (name);
        const float plain = it != overrides.end() ? it->second : mine->convertFrom0to1 (mine->getDefaultValue());
        mine->setValueNotifyingHost (mine->convertTo0to1 (plain));

        for (auto* hosted : plugin->getParameters())
        {
            if (hosted == plugin->getBypassParameter() || hosted->getName (100) != name)
                continue;
            const float normalised = GetParam().format == HostedPlugin::Format::VST3
                                         ? mine->convertTo0to1 (plain)
                                         : (plain - range.start) / (range.end - range.start);
            hosted->setValue (normalised);
            ++matched;
        }
    }
    ASSERT_EQ (matched, 63);

    // A quarter second of silence first: an LV2 host may hand the instance
    // its default state after creating it, which the plug-in answers with
    // its short fade, so the comparison starts once both run steady.
    juce::Random rng (7);
    juce::MidiBuffer midi;
    double worst = 0.0;
    double energy = 0.0;
    constexpr int quietBlocks = 24;
    for (int b = 0; b < quietBlocks + 60; ++b)
    {
        juce::AudioBuffer<float> input (2, block);
        input.clear();
        if (b >= quietBlocks && b < quietBlocks + 10)
            for (int c = 0; c < 2; ++c)
                for (int i = 0; i < block; ++i)
                    input.setSample (c, i, rng.nextFloat() - 0.5f);
        auto hostedOut = input;
        auto ownOut = input;
        plugin->processBlock (hostedOut, midi);
        own.processBlock (ownOut, midi);
        for (int c = 0; c < 2; ++c)
        {
            for (int i = 0; i < block; ++i)
            {
                worst = std::max (
                    worst, static_cast<double> (std::abs (hostedOut.getSample (c, i) - ownOut.getSample (c, i))));
                energy += std::abs (ownOut.getSample (c, i));
            }
        }
    }
    EXPECT_GT (energy, 1.0);
    EXPECT_LT (worst, 1e-6);
    plugin->releaseResources();
}

TEST (LV2Bundle, DeclaresTheParametersInHostOrder)
{
    // LV2 hosts read the parameter list from the bundle's description.
    const auto ttl = juce::File (TWIST_LV2_BUNDLE).getChildFile ("dsp.ttl");
    ASSERT_TRUE (ttl.existsAsFile());

    juce::StringArray lines;
    lines.addLines (ttl.loadFileAsString());
    juce::StringArray declared;
    for (int i = 0; i + 1 < lines.size(); ++i)
        if (lines[i].trim() == "a lv2:Parameter ;" && lines[i + 1].trim().startsWith ("rdfs:label"))
            declared.add (
                lines[i + 1].fromFirstOccurrenceOf ("\"", false, false).upToLastOccurrenceOf ("\"", false, false));

    EXPECT_EQ (declared, juce::StringArray (expectedNames, 63));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Formats, HostedBundle, ::testing::Values (
    FormatCase { "VST3", HostedPlugin::Format::VST3 },
    FormatCase { "LV2", HostedPlugin::Format::LV2 }),
    testsupport::NameFromWhat());
// clang-format on
