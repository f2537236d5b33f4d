#include "host/HostedPlugin.h"

#include "support/CaseName.h"

#include "plugin/PluginProcessor.h"
#include "presets/PresetLibrary.h"

#include <gtest/gtest.h>

#include <cmath>

using testsupport::HostedPlugin;
using testsupport::savedState;

// The factory bank as a host sees it through the built bundles: the program
// list, and what choosing a program does to the parameters and the sound.
namespace
{
struct FormatCase
{
    const char* what;
    HostedPlugin::Format format;
};

class HostedPrograms : public ::testing::TestWithParam<FormatCase>
{};

juce::StringArray factoryNames()
{
    presets::PresetLibrary library;
    library.loadFactoryFromBinaryData();
    juce::StringArray names;
    for (std::size_t i = 0; i < library.getFactoryCount(); ++i)
        names.add (library.getPatches()[i].name);
    return names;
}

// The parameter with our parameter's name, in a hosted instance or our own.
juce::AudioProcessorParameter* hostedNamed (juce::AudioProcessor& plugin, const juce::String& name)
{
    for (auto* p : plugin.getParameters())
        if (p != plugin.getBypassParameter() && p->getName (100) == name)
            return p;
    return nullptr;
}
} // namespace

TEST_P (HostedPrograms, ListTheFactoryBankByName)
{
    HostedPlugin plugin (GetParam().format, 48000.0, 512);
    ASSERT_NE (plugin.get(), nullptr) << plugin.error;

    auto expected = factoryNames();
    ASSERT_EQ (expected.size(), 111);
    ASSERT_EQ (plugin->getNumPrograms(), 111);

    juce::StringArray listed;
    for (int i = 0; i < plugin->getNumPrograms(); ++i)
        listed.add (plugin->getProgramName (i));

    // A VST3 program list is in the plug-in's order, the bank order. An LV2
    // host lists presets in the order lilv finds them, which follows no
    // order of the bundle's.
    if (GetParam().format == HostedPlugin::Format::LV2)
    {
        expected.sort (true);
        listed.sort (true);
    }
    EXPECT_EQ (listed, expected);
}

TEST_P (HostedPrograms, ChoosingOneSetsAndSoundsAsTheFactoryPatchInProcess)
{
    constexpr double rate = 48000.0;
    constexpr int block = 512;
    HostedPlugin plugin (GetParam().format, rate, block);
    ASSERT_NE (plugin.get(), nullptr) << plugin.error;
    plugin->prepareToPlay (rate, block);

    MassDelayAudioProcessor own;
    own.prepareToPlay (rate, block);

    juce::MidiBuffer midi;
    juce::Random rng (11);
    double worst = 0.0;
    double energy = 0.0;
    const auto runBoth = [&] (bool withInput) {
        juce::AudioBuffer<float> input (2, block);
        input.clear();
        if (withInput)
            for (int c = 0; c < 2; ++c)
                for (int i = 0; i < block; ++i)
                    input.setSample (c, i, rng.nextFloat() - 0.5f);
        auto hostedOut = input;
        auto ownOut = input;
        plugin->processBlock (hostedOut, midi);
        own.processBlock (ownOut, midi);
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < block; ++i)
            {
                worst = std::max (
                    worst, std::abs (static_cast<double> (hostedOut.getSample (c, i) - ownOut.getSample (c, i))));
                energy += std::abs (ownOut.getSample (c, i));
            }
    };

    // Both settle first (an LV2 host may hand over its default state).
    for (int b = 0; b < 24; ++b)
        runBoth (false);
    worst = 0.0;

    // "Long Tail Sat" and "Reverse Fragments", from two banks; neither is
    // the program a new instance starts on.
    for (const int program : { 9, 41 })
    {
        SCOPED_TRACE (program);
        const auto& patch = own.getPresetLibrary().getPatches()[static_cast<std::size_t> (program)];

        // The host's entry with the patch's name.
        int entry = -1;
        for (int i = 0; i < plugin->getNumPrograms(); ++i)
            if (plugin->getProgramName (i) == patch.name)
                entry = i;
        ASSERT_GE (entry, 0) << patch.name;
        ASSERT_NE (plugin->getCurrentProgram(), entry);

        plugin->setCurrentProgram (entry);
        own.applyPatch (patch);
        EXPECT_EQ (plugin->getCurrentProgram(), entry);

        for (int b = 0; b < 60; ++b)
            runBoth (b < 10);
        EXPECT_GT (energy, 1.0);
        EXPECT_LT (worst, 1e-6);

        // The plug-in holds the patch's values: its state, as it saves it for
        // the host, has every parameter where the patch puts it.
        const auto state = savedState (*plugin.get(), GetParam().format);
        ASSERT_NE (state, nullptr);
        for (const auto& def : params::table)
        {
            const juce::String id (def.id.data(), def.id.size());
            const float want = own.getValueTreeState().getRawParameterValue (id)->load();
            auto* saved = state->getChildByAttribute ("id", id);
            ASSERT_NE (saved, nullptr) << id;
            EXPECT_NEAR (saved->getDoubleAttribute ("value"), want, 1.0e-4 * std::max (1.0f, std::abs (want))) << id;
        }
        EXPECT_EQ (state->getStringAttribute (MassDelayAudioProcessor::programProperty), patch.id());
    }
    plugin->releaseResources();
}

TEST (HostedVST3Parameters, ShowTheEditorsTextsAndStepWhereTheyAreWhole)
{
    HostedPlugin plugin (HostedPlugin::Format::VST3, 48000.0, 512);
    ASSERT_NE (plugin.get(), nullptr) << plugin.error;

    // The texts follow the other parameters: a new instance starts on the
    // init patch, which has tap sync on.
    ASSERT_NE (hostedNamed (*plugin.get(), "Tap Sync"), nullptr);
    hostedNamed (*plugin.get(), "Tap Sync")->setValue (0.0f);
    juce::MessageManager::getInstance()->runDispatchLoopUntil (50);

    const auto textOf = [&] (const char* name, float plain) {
        MassDelayAudioProcessor own;
        auto* mine = dynamic_cast<juce::RangedAudioParameter*> (hostedNamed (own, name));
        auto* hosted = hostedNamed (*plugin.get(), name);
        return hosted != nullptr && mine != nullptr ? hosted->getText (mine->convertTo0to1 (plain), 100)
                                                    : juce::String();
    };
    EXPECT_EQ (textOf ("HP", 434.59f), "200 Hz");
    EXPECT_EQ (textOf ("Master", -60.0f), juce::String::fromUTF8 ("-\xe2\x88\x9e dB"));
    EXPECT_EQ (textOf ("Trem Shape", 0.0f), "Sine");
    EXPECT_EQ (textOf ("Decay Mode", 2.0f), "Wavey");
    EXPECT_EQ (textOf ("Start", 320.0f), "30 ms");

    for (const auto& p : params::table)
    {
        auto* hosted = hostedNamed (*plugin.get(), juce::String (p.name.data(), p.name.size()));
        ASSERT_NE (hosted, nullptr);
        SCOPED_TRACE (p.id.data());
        const bool stepped = p.kind != params::Kind::Float;
        EXPECT_EQ (hosted->isDiscrete(), stepped);
        if (stepped)
        {
            EXPECT_EQ (hosted->getNumSteps(), static_cast<int> (p.max - p.min) + 1);
        }
    }
}

TEST (LV2Bundle, LilvListsTheFactoryPresetsAndADelayWithAMaintainerAndALicence)
{
    // lv2info reads the bundle as LV2 hosts do (through lilv), with only the
    // built bundle and the LV2 specification's own bundles (which name the
    // plug-in classes) in sight.
    const juce::TemporaryFile home;
    ASSERT_TRUE (home.getFile().createDirectory().wasOk());
    const auto bundleDir = juce::File (TWIST_LV2_BUNDLE).getParentDirectory();
    const juce::StringArray command { "env", "HOME=" + home.getFile().getFullPathName(),
                                      "LV2_PATH=" + bundleDir.getFullPathName() + ":" TWIST_LV2_SPEC_DIR, "lv2info",
                                      TWIST_LV2_URI };
    juce::ChildProcess lv2info;
    ASSERT_TRUE (lv2info.start (command));
    juce::StringArray lines;
    lines.addLines (lv2info.readAllProcessOutput());
    EXPECT_EQ (lv2info.getExitCode(), 0u);
    home.getFile().deleteRecursively();

    const auto field = [&lines] (const juce::String& name) {
        for (const auto& line : lines)
            if (line.trim().startsWith (name + ":"))
                return line.fromFirstOccurrenceOf (":", false, false).trim();
        return juce::String();
    };
    EXPECT_EQ (field ("Class"), "Delay Plugin");
    EXPECT_EQ (field ("Author"), "Twist Audio");
    EXPECT_EQ (field ("Author Homepage"), "https://twistdelay.audio");
    // No mail address that is really the bundle's own file.
    EXPECT_FALSE (field ("Author Email").startsWith ("file:")) << field ("Author Email");

    // The presets: one per line from the "Presets:" line on, up to the next
    // empty line.
    juce::StringArray presets;
    for (int i = 0; i < lines.size(); ++i)
    {
        if (! lines[i].trim().startsWith ("Presets:"))
            continue;
        presets.add (lines[i].fromFirstOccurrenceOf ("Presets:", false, false).trim());
        for (int j = i + 1; j < lines.size() && lines[j].trim().isNotEmpty(); ++j)
            presets.add (lines[j].trim());
        break;
    }
    presets.removeEmptyStrings();
    auto expected = factoryNames();
    expected.sort (true);
    presets.sort (true);
    EXPECT_EQ (presets, expected);

    // lv2info does not show the licence; the bundle's description names it
    // for the plug-in.
    const auto dsp = juce::File (TWIST_LV2_BUNDLE).getChildFile ("dsp.ttl").loadFileAsString();
    const auto described = dsp.fromLastOccurrenceOf ("<" TWIST_LV2_URI ">", false, false);
    EXPECT_TRUE (described.contains ("a lv2:DelayPlugin"));
    EXPECT_TRUE (described.contains ("doap:license <http")) << described;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Formats, HostedPrograms, ::testing::Values (
    FormatCase { "VST3", HostedPlugin::Format::VST3 },
    FormatCase { "LV2", HostedPlugin::Format::LV2 }),
    testsupport::NameFromWhat());
// clang-format on
