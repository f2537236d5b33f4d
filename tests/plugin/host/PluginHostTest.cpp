#include "host/HostedPlugin.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

using testsupport::HostedPlugin;

namespace
{
// Names the host must show, in order.
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

struct FormatCase
{
    const char* what;
    HostedPlugin::Format format;
};

class HostedBundle : public ::testing::TestWithParam<FormatCase> {};
} // namespace

TEST_P (HostedBundle, LoadsWithItsNameParametersBusesAndTail)
{
    HostedPlugin plugin (GetParam().format, 48000.0, 512);
    ASSERT_NE (plugin.get(), nullptr) << plugin.error;

    EXPECT_EQ (plugin->getName(), "Twist Delay");
    EXPECT_EQ (plugin.description.name, "Twist Delay");
    EXPECT_FALSE (plugin.description.isInstrument);

    // The host's own bypass control, which the VST3 wrapper adds, is not
    // one of ours.
    juce::StringArray names;
    for (auto* p : plugin->getParameters())
        if (p != plugin->getBypassParameter())
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

    EXPECT_EQ (plugin->getMainBusNumInputChannels(), 2);
    EXPECT_EQ (plugin->getMainBusNumOutputChannels(), 2);
    if (GetParam().format == HostedPlugin::Format::VST3)
    {
        EXPECT_NEAR (plugin->getTailLengthSeconds(), 15.0, 1e-3);
    }
}

TEST_P (HostedBundle, ABlockOfAudioPassesThroughUnchanged)
{
    HostedPlugin plugin (GetParam().format, 48000.0, 512);
    ASSERT_NE (plugin.get(), nullptr) << plugin.error;
    plugin->prepareToPlay (48000.0, 512);

    juce::Random rng (7);
    juce::AudioBuffer<float> buffer (2, 512);
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < 512; ++i)
            buffer.setSample (c, i, rng.nextFloat() - 0.5f);
    const auto input = buffer;

    juce::MidiBuffer midi;
    plugin->processBlock (buffer, midi);

    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < 512; ++i)
            ASSERT_EQ (buffer.getSample (c, i), input.getSample (c, i)) << "channel " << c << " sample " << i;

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
            declared.add (lines[i + 1].fromFirstOccurrenceOf ("\"", false, false).upToLastOccurrenceOf ("\"", false, false));

    EXPECT_EQ (declared, juce::StringArray (expectedNames, 63));
}

INSTANTIATE_TEST_SUITE_P (Formats, HostedBundle, ::testing::Values (
    FormatCase { "VST3", HostedPlugin::Format::VST3 },
    FormatCase { "LV2", HostedPlugin::Format::LV2 }),
    testsupport::NameFromWhat());
