#pragma once

#include "plugin/PluginProcessor.h"
#include "presets/PresetSettings.h"

#include <gtest/gtest.h>

namespace testsupport
{
// A test program's processors run against a temporary program folder, so no
// test reads or writes the user's own settings file or presets, and new
// processors start from the parameter defaults. Tests of the start-up
// sequence turn the default patch back on themselves.
class ProgramFolderSandbox : public ::testing::Environment
{
public:
    explicit ProgramFolderSandbox (juce::String prefixToUse)
        : prefix (std::move (prefixToUse))
    {
    }

    void SetUp() override
    {
        // A name of its own per process: test programs run side by side, and
        // a shared folder would be deleted under another one's feet.
        folder =
            juce::File::getSpecialLocation (juce::File::tempDirectory).getChildFile (prefix + juce::Uuid().toString());
        ASSERT_TRUE (folder.createDirectory().wasOk());
        presets::setProgramFolderOverride (folder);
        MassDelayAudioProcessor::setApplyDefaultPatchAtStartup (false);
    }

    void TearDown() override
    {
        presets::setProgramFolderOverride ({});
        MassDelayAudioProcessor::setApplyDefaultPatchAtStartup (true);
        folder.deleteRecursively();
    }

private:
    juce::String prefix;
    juce::File folder;
};
} // namespace testsupport
