// States a host saved of an earlier build (tests/plugin/legacy/hosted,
// written by write_hosted_states through JUCE's hosting) load into this
// build's bundles, through the same hosting, with every parameter the state
// holds. What keeps them loading is what the bundles show hosts: the
// VST3's class and parameter IDs, the LV2's plug-in URI, parameter URIs and
// port symbols.
#include "host/HostedPlugin.h"

#include "params/ParameterTable.h"
#include "plugin/ParameterRules.h"
#include "support/CaseName.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using testsupport::HostedPlugin;

namespace
{
struct FormatCase
{
    const char* what;
    HostedPlugin::Format format;
    const char* file; // in legacy/hosted
};

class HostedLegacyState : public ::testing::TestWithParam<FormatCase>
{};
} // namespace

TEST_P (HostedLegacyState, LoadsWithEveryParameterWhereTheHostSavedIt)
{
    juce::MemoryBlock saved;
    ASSERT_TRUE (juce::File (TWIST_HOSTED_STATES)
                     .getChildFile (juce::String (GetParam().file) + ".state")
                     .loadFileAsData (saved));
    const auto held = testsupport::ourStateIn (saved, GetParam().format);
    ASSERT_NE (held, nullptr);

    HostedPlugin plugin (GetParam().format, 48000.0, 512);
    ASSERT_NE (plugin.get(), nullptr) << plugin.error;
    plugin->prepareToPlay (48000.0, 512);
    plugin->setStateInformation (saved.getData(), static_cast<int> (saved.getSize()));
    juce::AudioBuffer<float> buffer (2, 512);
    juce::MidiBuffer midi;
    for (int b = 0; b < 8; ++b)
    {
        buffer.clear();
        plugin->processBlock (buffer, midi);
        juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
    }

    // The plug-in holds every value of the saved state: its own state, saved
    // again, has each parameter the saved one has, at the same value (the
    // values were all moved away from their defaults before saving).
    const auto now = testsupport::savedState (*plugin.get(), GetParam().format);
    ASSERT_NE (now, nullptr);
    const auto* tapSync = held->getChildByAttribute ("id", params::id::tapSync);
    ASSERT_NE (tapSync, nullptr);
    const bool tapSyncOn = tapSync->getDoubleAttribute ("value") >= 0.5;
    int checked = 0;
    juce::StringArray unmoved;
    for (const auto& def : params::table)
    {
        const juce::String id (def.id.data(), def.id.size());
        const auto* before = held->getChildByAttribute ("id", id);
        if (before == nullptr)
            continue; // a parameter newer than the state
        const auto* after = now->getChildByAttribute ("id", id);
        ASSERT_NE (after, nullptr) << id;
        ++checked;
        // While Tap Sync is on the predelay follows the start (one of the
        // processor's parameter rules, which settle every loaded state), so
        // a state saved with another predelay, as an automated session
        // without the window open could leave it, loads with the one the
        // start gives at the tempo of a host without a transport (at the
        // parameter's step of 0.01 ms).
        if (id == params::id::predelay && tapSyncOn)
        {
            const auto start =
                static_cast<float> (held->getChildByAttribute ("id", params::id::start)->getDoubleAttribute ("value"));
            const float ms = ParameterRules::startSpacingMs (start, true, false, ParameterRules::tempoOrDefault (0.0f));
            EXPECT_NEAR (after->getDoubleAttribute ("value"),
                         std::round (std::clamp (ms, 0.0f, 2000.0f) * 100.0f) / 100.0, 1.0e-3)
                << id;
            continue;
        }
        EXPECT_EQ (after->getDoubleAttribute ("value"), before->getDoubleAttribute ("value")) << id;
        if (before->getDoubleAttribute ("value") == static_cast<double> (def.defaultValue))
            unmoved.add (id);
    }
    EXPECT_EQ (checked, 63);
    EXPECT_TRUE (unmoved.isEmpty()) << "the saved state holds the values a session left, not the defaults: "
                                    << unmoved.joinIntoString (", ");
    plugin->releaseResources();
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Formats, HostedLegacyState, ::testing::Values (
    FormatCase { "VST3", HostedPlugin::Format::VST3, "vst3" },
    FormatCase { "LV2", HostedPlugin::Format::LV2, "lv2" }),
    testsupport::NameFromWhat());
// clang-format on
