#include "presets/PresetLibrary.h"
#include "presets/PresetSettings.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

namespace
{
// The settings file in a temporary folder, with a library holding a factory
// INIT PATCH and one user preset.
struct SettingsFixture : public ::testing::Test
{
    juce::TemporaryFile tempDir;
    juce::File folder = tempDir.getFile();
    juce::File settings = folder.getChildFile ("TwistDelay/settings.json");
    presets::PresetLibrary library;

    SettingsFixture()
    {
        folder.createDirectory();
        library.loadFactoryFromJson (R"({ "banks": [ { "bank": "Traditional", "patches": [
            { "name": "INIT PATCH", "params": {} }, { "name": "Standard Delay", "params": {} } ] } ] })");
        const auto userDir = folder.getChildFile ("Presets");
        userDir.getChildFile ("Live/Mine.json").create();
        userDir.getChildFile ("Live/Mine.json").replaceWithText (R"({ "name": "Mine", "params": {} })");
        library.setUserDir (userDir);
        library.rescanUser();
    }

    juce::var stored() const { return juce::JSON::parse (settings.loadFileAsString()); }
};
} // namespace

TEST_F (SettingsFixture, WithoutAFileTheDefaultsApply)
{
    EXPECT_EQ (presets::getDefaultPatchId (settings), "Traditional/INIT PATCH");
    EXPECT_EQ (presets::getCustomPresetFolder (settings), juce::File());
    EXPECT_EQ (presets::userPresetDirectory (settings), presets::defaultPresetDirectory());
    EXPECT_EQ (presets::defaultPresetDirectory(), presets::programFolder().getChildFile ("Presets"));
    EXPECT_EQ (presets::defaultSettingsFile(), presets::programFolder().getChildFile ("settings.json"));
    EXPECT_EQ (presets::resolveDefaultPatch (library, settings), library.findById ("Traditional/INIT PATCH"));
    EXPECT_FALSE (settings.exists());
}

TEST_F (SettingsFixture, EachWriterKeepsTheOtherKeys)
{
    settings.getParentDirectory().createDirectory();
    settings.replaceWithText (R"({ "theme": "dark", "window": { "w": 900 } })");

    presets::setDefaultPatchId ("Live/Mine", settings);
    presets::setCustomPresetFolder (folder, settings);
    presets::setDefaultPatchId ("Traditional/Standard Delay", settings);

    const auto s = stored();
    EXPECT_EQ (s.getProperty ("theme", {}), juce::var ("dark"));
    EXPECT_EQ (s.getProperty ("window", {}).getProperty ("w", {}), juce::var (900));
    EXPECT_EQ (s.getProperty ("presetFolder", {}), juce::var (folder.getFullPathName()));
    EXPECT_EQ (s.getProperty ("defaultPatchId", {}), juce::var ("Traditional/Standard Delay"));
    EXPECT_EQ (presets::getCustomPresetFolder (settings), folder);
    EXPECT_EQ (presets::userPresetDirectory (settings), folder);

    juce::MemoryBlock bytes;
    settings.loadFileAsData (bytes);
    const auto text = bytes.toString();
    EXPECT_TRUE (text.contains ("\r\n"));
    EXPECT_FALSE (text.replace ("\r\n", "").containsChar ('\n'));
}

TEST_F (SettingsFixture, TheDefaultPatchFallsBackToInitWhenItsIdIsGone)
{
    presets::setDefaultPatchId ("Live/Mine", settings);
    EXPECT_EQ (presets::resolveDefaultPatch (library, settings), library.findById ("Live/Mine"));

    library.getUserDir().getChildFile ("Live/Mine.json").deleteFile();
    library.rescanUser();
    EXPECT_EQ (presets::resolveDefaultPatch (library, settings), library.findById ("Traditional/INIT PATCH"));

    presets::setDefaultPatchId ("", settings);
    EXPECT_EQ (presets::getDefaultPatchId (settings), "");
    EXPECT_EQ (presets::resolveDefaultPatch (library, settings), library.findById ("Traditional/INIT PATCH"));

    presets::PresetLibrary empty;
    EXPECT_EQ (presets::resolveDefaultPatch (empty, settings), nullptr);
}

TEST_F (SettingsFixture, AStoredFolderThatIsGoneFallsBackWithoutChangingTheFile)
{
    const auto gone = folder.getChildFile ("deleted");
    presets::setCustomPresetFolder (gone, settings);
    const auto before = settings.loadFileAsString();

    EXPECT_EQ (presets::getCustomPresetFolder (settings), gone);
    EXPECT_EQ (presets::userPresetDirectory (settings), presets::defaultPresetDirectory());
    EXPECT_EQ (settings.loadFileAsString(), before);
}

struct BadSettingsCase
{
    const char* what;
    const char* content;
};

class SettingsBadFile : public SettingsFixture, public ::testing::WithParamInterface<BadSettingsCase>
{};

TEST_P (SettingsBadFile, ReadsAsEmptyAndIsReplacedByAnObjectOnTheNextWrite)
{
    settings.getParentDirectory().createDirectory();
    settings.replaceWithText (GetParam().content);

    EXPECT_EQ (presets::getDefaultPatchId (settings), "Traditional/INIT PATCH");
    EXPECT_EQ (presets::getCustomPresetFolder (settings), juce::File());
    EXPECT_EQ (presets::userPresetDirectory (settings), presets::defaultPresetDirectory());
    EXPECT_EQ (presets::resolveDefaultPatch (library, settings), library.findById ("Traditional/INIT PATCH"));

    presets::setDefaultPatchId ("Live/Mine", settings);
    const auto s = stored();
    ASSERT_NE (s.getDynamicObject(), nullptr);
    EXPECT_EQ (s.getDynamicObject()->getProperties().size(), 1);
    EXPECT_EQ (presets::resolveDefaultPatch (library, settings), library.findById ("Live/Mine"));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Contents, SettingsBadFile, ::testing::Values (
    BadSettingsCase { "empty", "" },
    BadSettingsCase { "corrupt", "{ \"defaultPatchId\": \"Live/Mi" },
    BadSettingsCase { "array", R"([ { "defaultPatchId": "Live/Mine" } ])" },
    BadSettingsCase { "string", R"("Live/Mine")" },
    BadSettingsCase { "number", "12" },
    BadSettingsCase { "an integer too long to read", R"({ "defaultPatchId": "Live/Mine", "x": 1234567890123456789012 })" },
    BadSettingsCase { "an exponent too long to read", R"({ "defaultPatchId": "Live/Mine", "x": 1e-5198400060 })" }),
    testsupport::NameFromWhat());
// clang-format on

TEST_F (SettingsFixture, AFolderThatIsNotAnAbsolutePathIsIgnored)
{
    settings.getParentDirectory().createDirectory();
    for (const auto* content : { R"({ "presetFolder": "relative/path" })", R"({ "presetFolder": 42 })",
                                 R"({ "presetFolder": "" })", R"({ "presetFolder": [ "/tmp" ] })" })
    {
        settings.replaceWithText (content);
        EXPECT_EQ (presets::getCustomPresetFolder (settings), juce::File()) << content;
        EXPECT_EQ (presets::userPresetDirectory (settings), presets::defaultPresetDirectory()) << content;
    }
}

TEST_F (SettingsFixture, AFolderHoldingTheSettingsFileIsNotReadAsOne)
{
    settings.createDirectory(); // a directory where the file should be
    EXPECT_EQ (presets::getDefaultPatchId (settings), "Traditional/INIT PATCH");
    // Cannot be written: both writers say so, and nothing breaks.
    EXPECT_FALSE (presets::setDefaultPatchId ("Live/Mine", settings));
    EXPECT_FALSE (presets::setCustomPresetFolder (settings.getParentDirectory(), settings));
    EXPECT_TRUE (settings.isDirectory());
}

//==============================================================================
// The mix lock and the zoom as the file holds them.
namespace
{
struct StoredOptionCase
{
    const char* what;
    const char* json;
    bool mixLock;
    int zoom;
};

class SettingsStoredOptions : public SettingsFixture, public ::testing::WithParamInterface<StoredOptionCase>
{};
} // namespace

TEST_P (SettingsStoredOptions, ReadBackAsTheEditorUsesThem)
{
    const auto& c = GetParam();
    settings.getParentDirectory().createDirectory();
    settings.replaceWithText (c.json);

    EXPECT_EQ (presets::getMixLock (settings), c.mixLock);
    EXPECT_EQ (presets::getZoomPercent (settings), c.zoom);
}

INSTANTIATE_TEST_SUITE_P (
    Cases, SettingsStoredOptions,
    ::testing::Values (StoredOptionCase { "no keys", R"({})", false, 100 },
                       StoredOptionCase { "lock on zoom 175", R"({ "mixLock": true, "zoom": 175 })", true, 175 },
                       StoredOptionCase { "lock off zoom 200", R"({ "mixLock": false, "zoom": 200 })", false, 200 },
                       StoredOptionCase { "lock as a number", R"({ "mixLock": 1, "zoom": 125.0 })", true, 125 },
                       StoredOptionCase { "lock as text is off", R"({ "mixLock": "yes", "zoom": "150" })", false, 100 },
                       StoredOptionCase { "zoom between steps", R"({ "zoom": 130 })", false, 100 },
                       StoredOptionCase { "zoom too large", R"({ "zoom": 400 })", false, 100 },
                       StoredOptionCase { "zoom negative", R"({ "zoom": -150 })", false, 100 },
                       StoredOptionCase { "not an object", R"([ 1, 2 ])", false, 100 }),
    testsupport::NameFromWhat {});

TEST_F (SettingsFixture, TheLockAndTheZoomKeepTheOtherKeysAndTheZoomSnapsToAStep)
{
    presets::setDefaultPatchId ("Live/Mine", settings);
    presets::setMixLock (true, settings);
    presets::setZoomPercent (160, settings);

    EXPECT_TRUE (presets::getMixLock (settings));
    EXPECT_EQ (presets::getZoomPercent (settings), 150);
    EXPECT_EQ (stored().getProperty ("zoom", {}), juce::var (150));
    EXPECT_EQ (presets::getDefaultPatchId (settings), "Live/Mine");

    presets::setMixLock (false, settings);
    presets::setZoomPercent (1000, settings);
    EXPECT_FALSE (presets::getMixLock (settings));
    EXPECT_EQ (presets::getZoomPercent (settings), 200);
    EXPECT_EQ (presets::getDefaultPatchId (settings), "Live/Mine");
}
