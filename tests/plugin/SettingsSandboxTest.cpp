#include "plugin/PluginProcessor.h"
#include "presets/PresetSettings.h"

#include "support/ProgramFolderSandbox.h"

#include <gtest/gtest.h>

// Every test of this program runs against a temporary program folder and
// starts its processors from the parameter defaults.
[[maybe_unused]] ::testing::Environment* const sandbox =
    ::testing::AddGlobalTestEnvironment (new testsupport::ProgramFolderSandbox ("twist-delay-tests-"));

TEST (SettingsSandbox, KeepsEveryTestAwayFromTheUsersFiles)
{
    const auto real =
        juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory).getChildFile ("TwistDelay");
    const auto temp = juce::File::getSpecialLocation (juce::File::tempDirectory);

    EXPECT_TRUE (presets::defaultSettingsFile().isAChildOf (temp));
    EXPECT_FALSE (presets::defaultSettingsFile().isAChildOf (real));

    MassDelayAudioProcessor proc;
    EXPECT_TRUE (proc.getPresetLibrary().getUserDir().isAChildOf (temp));
    EXPECT_EQ (proc.getCurrentPatchName(), "INIT");
}
