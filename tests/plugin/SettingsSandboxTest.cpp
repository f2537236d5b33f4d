#include "plugin/PluginProcessor.h"
#include "presets/PresetSettings.h"

#include <gtest/gtest.h>

// Every test of this program runs against a temporary program folder, so no
// test ever reads or writes the user's own settings file or presets; and new
// processors start from the parameter defaults, as the processor tests
// expect. Tests of the start-up sequence turn the default patch back on.
namespace
{
class ProgramFolderSandbox : public ::testing::Environment
{
public:
    void SetUp() override
    {
        folder = juce::File::getSpecialLocation (juce::File::tempDirectory)
                     .getNonexistentChildFile ("twist-delay-tests-", "", false);
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
    juce::File folder;
};

[[maybe_unused]] ::testing::Environment* const sandbox = ::testing::AddGlobalTestEnvironment (new ProgramFolderSandbox);
} // namespace

TEST (SettingsSandbox, KeepsEveryTestAwayFromTheUsersFiles)
{
    const auto real = juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory).getChildFile ("TwistDelay");
    const auto temp = juce::File::getSpecialLocation (juce::File::tempDirectory);

    EXPECT_TRUE (presets::defaultSettingsFile().isAChildOf (temp));
    EXPECT_FALSE (presets::defaultSettingsFile().isAChildOf (real));

    MassDelayAudioProcessor proc;
    EXPECT_TRUE (proc.getPresetLibrary().getUserDir().isAChildOf (temp));
    EXPECT_EQ (proc.getCurrentPatchName(), "INIT");
}
