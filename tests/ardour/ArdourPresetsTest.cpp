// The factory bank in a real DAW: headless Ardour 7 lists the built VST3's
// programs and the LV2 bundle's presets as its presets, and loading one sets
// the plug-in exactly as the plug-in's own preset bar would.

#include "ArdourHost.h"

#include "params/ParameterTable.h"
#include "plugin/PluginProcessor.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
using ardourtest::ArdourSandbox;

struct PresetCase
{
    const char* format;
    const char* plugin; // Ardour's name (VST3) or the URI (LV2)
};

class ArdourPresets : public ::testing::TestWithParam<PresetCase>
{};

// A factory preset with the tape stage, ping-pong and a long window, far
// from the parameter defaults.
constexpr const char* chosenPreset = "Wobbly Tape Echo";
} // namespace

TEST_P (ArdourPresets, ListsTheFactoryBankAndLoadsAPresetAsThePresetBarDoes)
{
    const auto& c = GetParam();
    ASSERT_TRUE (juce::File (TWIST_ARDOUR_LUA).existsAsFile())
        << "Ardour's Lua session host is missing; scripts/bootstrap.sh installs the ardour package";

    MassDelayAudioProcessor::setApplyDefaultPatchAtStartup (false);
    MassDelayAudioProcessor model;
    const auto& library = model.getPresetLibrary();
    juce::StringArray factory;
    const presets::Patch* chosen = nullptr;
    for (std::size_t i = 0; i < library.getFactoryCount(); ++i)
    {
        factory.add (library.getPatches()[i].name);
        if (library.getPatches()[i].name == chosenPreset)
            chosen = &library.getPatches()[i];
    }
    ASSERT_NE (chosen, nullptr);
    model.applyPatch (*chosen);

    const juce::File vst3Bundle (TWIST_VST3_BUNDLE);
    const juce::File lv2Bundle (TWIST_LV2_BUNDLE);
    ArdourSandbox sandbox (vst3Bundle.getParentDirectory(), lv2Bundle.getParentDirectory());
    if (juce::String (c.format) == "VST3")
    {
        const auto scan = sandbox.scanVst3 (vst3Bundle);
        ASSERT_TRUE (scan.clean()) << "ardour-vst3-scanner: " << scan.describe() << "\n" << scan.output;
    }

    // The names Ardour is asked about: the factory bank, and two it must not
    // offer.
    const auto names = factory.joinIntoString ("\n") + "\nNo Such Preset\nINIT\n";

    const auto folder = sandbox.root().getChildFile ("presets");
    const auto run = sandbox.runLua (
        "load_preset.lua", { folder.getFullPathName(), "presets", "48000", c.format, c.plugin, chosenPreset, names },
        juce::String ("presets-") + c.format);
    ASSERT_TRUE (run.clean()) << "Ardour ended with " << run.describe() << "\n" << run.output;
    ASSERT_TRUE (run.output.contains ("session saved")) << run.output;

    // Every factory patch, by name, and nothing else.
    juce::StringArray listed;
    for (const auto& line : juce::StringArray::fromLines (run.output))
        if (line.startsWith ("preset "))
            listed.add (line.fromFirstOccurrenceOf ("preset ", false, false));
    listed.sort (true);
    factory.sort (true);
    EXPECT_EQ (listed, factory) << run.output;

    // The loaded preset, as the plug-in saved it into the session.
    std::unique_ptr<juce::XmlElement> state;
    const auto read = ardourtest::readPluginState (folder.getChildFile ("presets.ardour"), state);
    ASSERT_TRUE (read.wasOk()) << read.getErrorMessage();
    for (const auto& def : params::table)
    {
        const juce::String id (def.id.data(), def.id.size());
        const float want = model.getValueTreeState().getRawParameterValue (id)->load();
        auto* saved = state->getChildByAttribute ("id", id);
        ASSERT_NE (saved, nullptr) << id << " is missing from the saved state";
        EXPECT_NEAR (saved->getDoubleAttribute ("value"), want, 1.0e-4 * std::max (1.0f, std::abs (want)))
            << "parameter " << id;
    }
    EXPECT_EQ (state->getStringAttribute (MassDelayAudioProcessor::programProperty), chosen->id());
}

// One suite per format, named like the render tests so that each format's
// CTest entry runs it.
INSTANTIATE_TEST_SUITE_P (VST3, ArdourPresets, ::testing::Values (PresetCase { "VST3", "Twist Delay" }));
INSTANTIATE_TEST_SUITE_P (LV2, ArdourPresets, ::testing::Values (PresetCase { "LV2", TWIST_LV2_URI }));
