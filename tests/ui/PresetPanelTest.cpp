#include "UiTestSupport.h"

#include "plugin/PluginEditor.h"
#include "plugin/PluginProcessor.h"
#include "presets/PresetSettings.h"
#include "ui/Col.h"
#include "ui/PresetPanelComponent.h"

#include "support/CaseName.h"
#include "support/ProgramFolderSandbox.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

namespace
{
[[maybe_unused]] ::testing::Environment* const sandbox =
    ::testing::AddGlobalTestEnvironment (new testsupport::ProgramFolderSandbox ("twist-delay-preset-bar-tests-"));

void write (const juce::File& file, const juce::String& text)
{
    file.getParentDirectory().createDirectory();
    ASSERT_TRUE (file.replaceWithText (text));
}

juce::String presetJson (const juce::String& name, double g)
{
    return R"({ "name": ")" + name + R"(", "params": { "g": )" + juce::String (g) + " } }";
}

// A processor and its editor over a program folder of the test's own, so
// that presets, favourites and settings start empty and never leak into
// another test. Files go in before open() so the library finds them.
struct PresetBar : public ::testing::Test
{
    PresetBar()
    {
        folder.createDirectory();
        presets::setProgramFolderOverride (folder);
    }

    ~PresetBar() override
    {
        editor.reset();
        processor.reset();
        juce::PopupMenu::dismissAllActiveMenus();
        uitest::pump (50);
        presets::setProgramFolderOverride (sandboxFolder);
    }

    void open()
    {
        processor = std::make_unique<MassDelayAudioProcessor>();
        editor.reset (dynamic_cast<MassDelayAudioProcessorEditor*> (processor->createEditor()));
    }

    PresetPanelComponent& panel() { return editor->getPresetPanel(); }
    juce::String label() { return panel().getNameLabel().getText(); }
    presets::PresetLibrary& library() { return processor->getPresetLibrary(); }

    float value (const char* id) { return processor->getValueTreeState().getParameter (id)->getValue(); }
    void setValue (const char* id, float normalised)
    {
        processor->getValueTreeState().getParameter (id)->setValueNotifyingHost (normalised);
    }

    const juce::File sandboxFolder = presets::programFolder();
    juce::TemporaryFile temp;
    const juce::File folder = temp.getFile();
    const juce::File userDir = folder.getChildFile ("Presets");
    const juce::File settingsFile = folder.getChildFile ("settings.json");
    std::unique_ptr<MassDelayAudioProcessor> processor;
    std::unique_ptr<MassDelayAudioProcessorEditor> editor;
};

// The user presets of the browse tests: folders that sort by code point
// ("Bass" before "Live" before "bass"), nested folders before loose files.
void writeUserPresets (const juce::File& userDir)
{
    write (userDir.getChildFile ("Zed.json"), presetJson ("Zed", 0.11));
    write (userDir.getChildFile ("Live/Amb.json"), presetJson ("Amb", 0.22));
    write (userDir.getChildFile ("Live/Guitar/Slap.json"), presetJson ("Slap", 0.33));
    write (userDir.getChildFile ("bass/x.json"), presetJson ("x", 0.44));
    write (userDir.getChildFile ("Bass/y.json"), presetJson ("y", 0.55));
}

const std::vector<juce::String> userBrowseOrder { "Bass/y", "Live/Guitar/Slap", "Live/Amb", "bass/x", "Zed" };

//==============================================================================
// What a menu holds, flattened: one line per item, sub-menus indented.
struct MenuLine
{
    juce::String text;
    int id;
    bool enabled, ticked, separator, subMenu;
};

void flatten (const juce::PopupMenu& menu, const juce::String& indent, std::vector<MenuLine>& out)
{
    for (juce::PopupMenu::MenuItemIterator it (menu); it.next();)
    {
        const auto& item = it.getItem();
        out.push_back ({ indent + item.text, item.itemID, item.isEnabled, item.isTicked, item.isSeparator,
                         item.subMenu != nullptr });
        if (item.subMenu != nullptr)
            flatten (*item.subMenu, indent + "  ", out);
    }
}

std::vector<MenuLine> flatten (const juce::PopupMenu& menu)
{
    std::vector<MenuLine> out;
    flatten (menu, {}, out);
    return out;
}

const MenuLine* find (const std::vector<MenuLine>& lines, const juce::String& text)
{
    for (const auto& line : lines)
        if (line.text == text)
            return &line;
    return nullptr;
}

juce::StringArray topLevel (const std::vector<MenuLine>& lines)
{
    juce::StringArray out;
    for (const auto& line : lines)
        if (! line.text.startsWith (" "))
            out.add (line.separator ? "---" : line.text);
    return out;
}
} // namespace

//==============================================================================
TEST_F (PresetBar, BrowseOrderRunsThroughTheFactoryTreeThenTheUserTree)
{
    writeUserPresets (userDir);
    open();

    const auto& ids = panel().getBrowseIds();
    ASSERT_EQ (ids.size(), 111u + userBrowseOrder.size());
    EXPECT_EQ (ids.front(), "Character/Analog Synth Bounce");
    EXPECT_EQ (ids[110], "Weird/Slippery Cello");
    EXPECT_EQ (std::vector<juce::String> (ids.begin() + 111, ids.end()), userBrowseOrder);

    // Sound Design's categories come before Traditional, INIT PATCH keeps its
    // alphabetical place there.
    const auto at = [&ids] (const char* id) { return std::find (ids.begin(), ids.end(), id) - ids.begin(); };
    EXPECT_LT (at ("Sound Design/Short to Long/Backwards Bloom"), at ("Traditional/8th w stretch"));
    EXPECT_EQ (at ("Traditional/INIT PATCH"), at ("Traditional/Half Note Wash") + 1);
}

TEST_F (PresetBar, ArrowsStepAndWrapAtBothEnds)
{
    writeUserPresets (userDir);
    open();

    struct Step
    {
        const char* what;
        const char* fromName;
        const char* fromFolder;
        int delta;
        const char* to;
        float twist; // the patch's normalised g
    };
    const std::vector<Step> steps {
        { "past the last user patch to the first factory one", "Zed", "", 1, "Character/Analog Synth Bounce", -1.0f },
        { "before the first factory patch to the last user one", "Analog Synth Bounce", "Character", -1, "Zed", 0.11f },
        { "from the factory part into the user part", "Slippery Cello", "Weird", 1, "Bass/y", 0.55f },
        { "a nested folder before the loose files", "Slap", "Live/Guitar", 1, "Live/Amb", 0.22f },
        { "back into the nested folder", "Amb", "Live", -1, "Live/Guitar/Slap", 0.33f },
    };

    for (const auto& step : steps)
    {
        panel().setCurrentPatchDisplay (step.fromName, step.fromFolder);
        auto& button = step.delta > 0 ? panel().getNextButton() : panel().getPrevButton();
        button.triggerClick();
        uitest::pump (30);

        EXPECT_EQ (panel().currentPatchId(), step.to) << step.what;
        EXPECT_EQ (panel().getNameLabel().getText(), library().findById (step.to)->name) << step.what;
        EXPECT_EQ (processor->getCurrentPatchName(), library().findById (step.to)->name) << step.what;
        if (step.twist >= 0.0f)
        {
            EXPECT_NEAR (value (params::id::twist), step.twist, 1.0e-6f) << step.what;
        }
    }
}

TEST_F (PresetBar, APatchOutsideTheBrowseOrderStepsToTheSecondOrTheLastEntry)
{
    writeUserPresets (userDir);
    open();
    const auto elsewhere = temp.getFile().getSiblingFile (temp.getFile().getFileName() + "-open");
    write (elsewhere.getChildFile ("Loose.json"), presetJson ("Loose", 0.9));

    for (const auto& [delta, expected] : { std::pair<int, const char*> { 1, "Character/Chicken Pickin' Slap" },
                                           std::pair<int, const char*> { -1, "Zed" } })
    {
        ASSERT_TRUE (panel().openPresetFile (elsewhere.getChildFile ("Loose.json")));
        EXPECT_EQ (panel().currentPatchId(), "Loose");
        panel().stepPreset (delta);
        EXPECT_EQ (panel().currentPatchId(), expected) << delta;
    }
    elsewhere.deleteRecursively();
}

//==============================================================================
TEST_F (PresetBar, MenuListsTheTreeWithInitAtTheTopAndFavoritesOnlyWhenThereAreSome)
{
    writeUserPresets (userDir);
    // A user file with the factory INIT PATCH's id replaces it in place.
    write (userDir.getChildFile ("Traditional/INIT PATCH.json"), presetJson ("INIT PATCH", 0.77));
    open();
    panel().setCurrentPatchDisplay ("Slap", "Live/Guitar");

    auto lines = flatten (panel().buildPresetMenu());
    EXPECT_EQ (topLevel (lines), juce::StringArray ({ "Slap",
                                                      "---",
                                                      "Bass",
                                                      "Character",
                                                      "Live",
                                                      "Sound Design",
                                                      "Traditional",
                                                      "Weird",
                                                      "bass",
                                                      "Zed",
                                                      "INIT PATCH",
                                                      "---",
                                                      "Add to Favorites",
                                                      "Save (Overwrite)",
                                                      "Save As...",
                                                      "---",
                                                      "Save As Default",
                                                      "Open Other Preset...",
                                                      "Change Preset Folder...",
                                                      "Organize Presets",
                                                      "Refresh" }));
    const auto* header = find (lines, "Slap");
    ASSERT_NE (header, nullptr);
    EXPECT_EQ (header->id, PresetPanelComponent::headerItem);
    EXPECT_FALSE (header->enabled);
    EXPECT_TRUE (header->ticked);

    // INIT PATCH is listed once, at the top level, and not inside Traditional.
    EXPECT_EQ (find (lines, "  INIT PATCH"), nullptr);
    EXPECT_NE (find (lines, "  Half Note Wash"), nullptr);
    const auto* slap = find (lines, "    Slap");
    ASSERT_NE (slap, nullptr);
    EXPECT_TRUE (slap->ticked);
    EXPECT_FALSE (find (lines, "  Amb")->ticked);

    // Sound Design's categories are sub-menus, sorted, each with its patches.
    const auto glitch =
        std::find_if (lines.begin(), lines.end(), [] (const MenuLine& l) { return l.text == "  Glitch & Chaos"; });
    ASSERT_NE (glitch, lines.end());
    EXPECT_TRUE (glitch->subMenu);
    EXPECT_EQ ((glitch + 1)->text, "    Broken Sequencer");
    EXPECT_EQ ((glitch + 2)->text, "    Flipped Reality");

    // The INIT PATCH item applies the user's override.
    panel().handleMenuResult (find (lines, "INIT PATCH")->id);
    EXPECT_EQ (panel().currentPatchId(), "Traditional/INIT PATCH");
    EXPECT_NEAR (value (params::id::twist), 0.77f, 1.0e-6f);

    // Favourites: a sub-menu in library order, the current one ticked, and
    // the command turns into "Remove from Favorites".
    panel().setCurrentPatchDisplay ("Zed", "");
    ASSERT_TRUE (panel().toggleFavorite());
    panel().setCurrentPatchDisplay ("Bouncy Ball", "Weird");
    ASSERT_TRUE (panel().toggleFavorite());
    lines = flatten (panel().buildPresetMenu());
    EXPECT_EQ (topLevel (lines)[2], "Favorites");
    const auto favorites =
        std::find_if (lines.begin(), lines.end(), [] (const MenuLine& l) { return l.text == "Favorites"; });
    ASSERT_NE (favorites, lines.end());
    EXPECT_EQ ((favorites + 1)->text, "  Bouncy Ball");
    EXPECT_TRUE ((favorites + 1)->ticked);
    EXPECT_EQ ((favorites + 2)->text, "  Zed");
    EXPECT_FALSE ((favorites + 2)->ticked);
    EXPECT_NE (find (lines, "Remove from Favorites"), nullptr);
    EXPECT_EQ (userDir.getChildFile ("favorites.txt").loadFileAsString(), "Zed\r\nWeird/Bouncy Ball");

    panel().handleMenuResult ((favorites + 2)->id);
    EXPECT_EQ (panel().currentPatchId(), "Zed");
    EXPECT_NEAR (value (params::id::twist), 0.11f, 1.0e-6f);

    panel().handleMenuResult (PresetPanelComponent::favoriteItem);
    EXPECT_EQ (userDir.getChildFile ("favorites.txt").loadFileAsString(), "Weird/Bouncy Ball");
}

TEST_F (PresetBar, SaveOverwriteIsDisabledWithoutAName)
{
    open();
    panel().setCurrentPatchDisplay ("", "");
    const auto lines = flatten (panel().buildPresetMenu());
    ASSERT_NE (find (lines, "Save (Overwrite)"), nullptr);
    EXPECT_FALSE (find (lines, "Save (Overwrite)")->enabled);
    EXPECT_FALSE (panel().savePatchInPlace());
    EXPECT_FALSE (userDir.exists());
}

TEST_F (PresetBar, AClickOnTheNameOpensTheMenuAndClosingTheEditorDismissesIt)
{
    open();
    auto& name = panel().getNameLabel();
    const juce::MouseEvent down (juce::Desktop::getInstance().getMainMouseSource(), { 5.0f, 5.0f },
                                 juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier),
                                 juce::MouseInputSource::defaultPressure, 0.0f, 0.0f, 0.0f, 0.0f, &name, &name,
                                 juce::Time::getCurrentTime(), { 5.0f, 5.0f }, juce::Time::getCurrentTime(), 1, false);

    // Mouse-downs on the panel itself open nothing.
    panel().mouseDown (down.getEventRelativeTo (&panel()).withNewPosition (juce::Point<float> (100.0f, 5.0f)));
    EXPECT_FALSE (panel().isMenuOpen());

    panel().mouseDown (down);
    EXPECT_TRUE (panel().isMenuOpen());
    EXPECT_FALSE (name.getMouseClickGrabsKeyboardFocus());

    // A dismissed menu does nothing.
    const auto before = panel().currentPatchId();
    ASSERT_TRUE (juce::PopupMenu::dismissAllActiveMenus());
    uitest::pump (50);
    EXPECT_FALSE (panel().isMenuOpen());
    EXPECT_EQ (panel().currentPatchId(), before);

    panel().mouseDown (down);
    ASSERT_TRUE (panel().isMenuOpen());
    editor.reset();
    uitest::pump (50);
    EXPECT_FALSE (juce::PopupMenu::dismissAllActiveMenus()) << "the menu outlived the editor";
}

//==============================================================================
TEST_F (PresetBar, SoundParametersMarkThePatchAndOthersDoNot)
{
    open();
    struct Case
    {
        const char* id;
        bool marks;
    };
    for (const auto& c : { Case { params::id::tremRate, true }, Case { params::id::pitchCents, false },
                           Case { params::id::twist, true }, Case { params::id::master, false },
                           Case { params::id::tapCount, false }, Case { params::id::startEndLock, true },
                           Case { params::id::decaySteps, false }, Case { params::id::noMid, true } })
    {
        panel().setCurrentPatchDisplay ("Standard Delay", "Traditional");
        setValue (c.id, value (c.id) > 0.5f ? 0.1f : 0.9f);
        EXPECT_EQ (panel().isModified(), c.marks) << c.id;
        EXPECT_EQ (label(), c.marks ? "Standard Delay*" : "Standard Delay") << c.id;
    }

    // Applying a patch, the current one again from the menu included, clears the mark.
    const auto lines = flatten (panel().buildPresetMenu());
    ASSERT_TRUE (panel().isModified());
    EXPECT_EQ (lines.front().text, "Standard Delay*");
    panel().handleMenuResult (find (lines, "  Standard Delay")->id);
    EXPECT_FALSE (panel().isModified());
    EXPECT_EQ (label(), "Standard Delay");
}

TEST_F (PresetBar, ChangesFromAnotherThreadReachTheMarkOnTheNextRefresh)
{
    open();
    panel().setCurrentPatchDisplay ("Standard Delay", "Traditional");

    std::thread automation ([this] { setValue (params::id::twist, 0.9f); });
    automation.join();
    EXPECT_EQ (label(), "Standard Delay") << "the label is only touched on the message thread";

    editor->refresh();
    EXPECT_EQ (label(), "Standard Delay*");
}

// Applying a patch and letting the editor refresh (its length snap, sync
// conversions and predelay rule run on every tick) leaves every factory
// patch unmarked: what the editor writes back must be the patch itself.
TEST_F (PresetBar, NoFactoryPatchIsMarkedByTheEditorsOwnRefresh)
{
    open();
    const auto& patches = library().getPatches();
    for (std::size_t i = 0; i < library().getFactoryCount(); ++i)
    {
        processor->applyPatch (patches[i]);
        for (int tick = 0; tick < 4; ++tick)
            editor->refresh();
        EXPECT_FALSE (panel().isModified()) << patches[i].id();
    }
}

// A host choosing a program (from its own thread or the message thread)
// changes every parameter: the bar names the program, unmarked, after the
// next refresh; a later change marks it as usual.
TEST_F (PresetBar, AProgramTheHostChoosesIsNamedUnmarked)
{
    open();
    ASSERT_GT (processor->getNumPrograms(), 3);
    panel().setCurrentPatchDisplay ("Standard Delay", "Traditional");

    std::thread host ([this] { processor->setCurrentProgram (3); });
    host.join();
    editor->refresh();
    EXPECT_EQ (label(), processor->getProgramName (3));
    EXPECT_FALSE (panel().isModified());

    processor->setCurrentProgram (2);
    editor->refresh();
    EXPECT_EQ (label(), processor->getProgramName (2));
    EXPECT_FALSE (panel().isModified());

    setValue (params::id::twist, value (params::id::twist) > 0.5f ? 0.1f : 0.9f);
    editor->refresh();
    EXPECT_EQ (label(), processor->getProgramName (2) + "*");
}

//==============================================================================
TEST_F (PresetBar, SaveOverwriteOfAFactoryPatchOverridesItInItsPlace)
{
    open();
    const auto* factory = library().findById ("Traditional/Standard Delay");
    ASSERT_NE (factory, nullptr);
    panel().setCurrentPatchDisplay (factory->name, factory->folder);
    panel().stepPreset (1);
    panel().stepPreset (-1);
    ASSERT_EQ (panel().currentPatchId(), "Traditional/Standard Delay");
    const auto browseBefore = panel().getBrowseIds();

    setValue (params::id::twist, 0.125f);
    ASSERT_EQ (label(), "Standard Delay*");
    ASSERT_TRUE (panel().savePatchInPlace());

    const auto file = userDir.getChildFile ("Traditional/Standard Delay.json");
    ASSERT_TRUE (file.existsAsFile());
    const auto stored = juce::JSON::parse (file.loadFileAsString());
    EXPECT_EQ (stored.getProperty ("name", {}), juce::var ("Standard Delay"));
    EXPECT_NEAR (static_cast<double> (stored.getProperty ("params", {}).getProperty (params::id::twist, {})), 0.125,
                 1.0e-9);
    EXPECT_EQ (label(), "Standard Delay");
    EXPECT_EQ (panel().getBrowseIds(), browseBefore);

    // Away and back: the saved values come back.
    panel().stepPreset (1);
    EXPECT_NE (value (params::id::twist), 0.125f);
    panel().stepPreset (-1);
    EXPECT_EQ (panel().currentPatchId(), "Traditional/Standard Delay");
    EXPECT_NEAR (value (params::id::twist), 0.125f, 1.0e-6f);
}

TEST_F (PresetBar, SaveAsAddsTheExtensionAndTheNewNameStaysWithTheProcessor)
{
    open();
    setValue (params::id::twist, 0.3f);
    ASSERT_TRUE (panel().saveAs (userDir.getChildFile ("Live/My Patch")));

    EXPECT_TRUE (userDir.getChildFile ("Live/My Patch.json").existsAsFile());
    EXPECT_EQ (panel().currentPatchId(), "Live/My Patch");
    EXPECT_EQ (label(), "My Patch");
    EXPECT_NE (std::find (panel().getBrowseIds().begin(), panel().getBrowseIds().end(), "Live/My Patch"),
               panel().getBrowseIds().end());

    // An editor opened later shows the saved name.
    editor.reset();
    editor.reset (dynamic_cast<MassDelayAudioProcessorEditor*> (processor->createEditor()));
    EXPECT_EQ (panel().currentPatchId(), "Live/My Patch");

    // A name with a dot keeps it: only ".json" is added.
    ASSERT_TRUE (panel().saveAs (userDir.getChildFile ("Take.2")));
    EXPECT_TRUE (userDir.getChildFile ("Take.2.json").existsAsFile());
    EXPECT_EQ (panel().currentPatchId(), "Take.2");
}

TEST_F (PresetBar, SaveAsOutsideThePresetFolderSavesWhereTheUserChose)
{
    open();
    juce::TemporaryFile elsewhere;
    const auto chosen = elsewhere.getFile().getChildFile ("Gig/Tonight.json");
    setValue (params::id::twist, 0.625f);

    ASSERT_TRUE (panel().saveAs (chosen));
    ASSERT_TRUE (chosen.existsAsFile());
    EXPECT_NEAR (static_cast<double> (
                     juce::JSON::parse (chosen.loadFileAsString()).getProperty ("params", {}).getProperty ("g", {})),
                 0.625, 1.0e-9);
    EXPECT_EQ (label(), "Tonight");
    EXPECT_EQ (panel().currentPatchId(), "Tonight");
    EXPECT_EQ (library().findById ("Tonight"), nullptr);

    // Opened again from there, it brings its values back.
    setValue (params::id::twist, 0.0f);
    ASSERT_TRUE (panel().openPresetFile (chosen));
    EXPECT_NEAR (value (params::id::twist), 0.625f, 1.0e-6f);
    EXPECT_EQ (panel().getBrowseIds().size(), 111u);
}

TEST_F (PresetBar, FailedSavesSayItAndChangeNothing)
{
    open();
    juce::TemporaryFile blocker;
    ASSERT_TRUE (blocker.getFile().replaceWithText ("a file, not a folder"));

    panel().setCurrentPatchDisplay ("Standard Delay", "Traditional");
    setValue (params::id::twist, 0.3f);

    // Save As into a folder that cannot exist (its parent is a file).
    EXPECT_FALSE (panel().saveAs (blocker.getFile().getChildFile ("x.json")));
    EXPECT_EQ (label(), PresetPanelComponent::saveFailedText);
    EXPECT_EQ (panel().currentPatchId(), "Traditional/Standard Delay");
    EXPECT_TRUE (panel().isModified());

    // Save (Overwrite) onto a folder standing where the file belongs.
    userDir.getChildFile ("Traditional/Standard Delay.json").createDirectory();
    panel().updateNameLabel();
    EXPECT_FALSE (panel().savePatchInPlace());
    EXPECT_EQ (label(), PresetPanelComponent::saveFailedText);
    EXPECT_TRUE (panel().isModified());

    // The menu still names the patch; the next refresh of the name shows it again.
    EXPECT_EQ (flatten (panel().buildPresetMenu()).front().text, "Standard Delay*");
    panel().updateNameLabel();
    EXPECT_EQ (label(), "Standard Delay*");
}

//==============================================================================
struct HostileName
{
    const char* what;
    juce::String name;
    const char* savedAs; // relative to the user preset folder
};

class PresetBarHostileNames : public PresetBar, public ::testing::WithParamInterface<HostileName>
{};

// A preset file's "name" never decides where Save (Overwrite) writes: the
// settings file beside the preset folder and a file anywhere else stay as
// they were, and the preset lands inside the preset folder.
TEST_P (PresetBarHostileNames, SaveOverwriteOfAnOpenedFileStaysInThePresetFolder)
{
    const auto& c = GetParam();
    juce::TemporaryFile outside;
    const auto victim = outside.getFile().getChildFile ("victim.json");
    write (victim, "precious");
    write (settingsFile, R"({ "defaultPatchId": "Traditional/Standard Delay" })");
    const auto settingsBefore = settingsFile.loadFileAsString();
    open();

    auto name = c.name.replace ("VICTIM", victim.getFullPathName().dropLastCharacters (5));
    const auto hostile = outside.getFile().getChildFile ("download.json");
    juce::DynamicObject::Ptr content = new juce::DynamicObject();
    content->setProperty ("name", name);
    content->setProperty ("params", juce::JSON::parse (R"({ "g": 0.9 })"));
    write (hostile, juce::JSON::toString (juce::var (content.get())));

    ASSERT_TRUE (panel().openPresetFile (hostile));
    EXPECT_EQ (label(), name);
    ASSERT_TRUE (panel().savePatchInPlace());

    EXPECT_EQ (settingsFile.loadFileAsString(), settingsBefore);
    EXPECT_EQ (victim.loadFileAsString(), "precious");
    std::vector<juce::String> written;
    for (const auto& entry : juce::RangedDirectoryIterator (userDir, true, "*.json", juce::File::findFiles))
        written.push_back (entry.getFile().getRelativePathFrom (userDir));
    // The victim's path, its separators dropped, is just a file name.
    const auto flattened = victim.getFullPathName().removeCharacters ("/").dropLastCharacters (5);
    EXPECT_EQ (written, std::vector<juce::String> { juce::String (c.savedAs).replace ("VICTIM", flattened) });
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Names, PresetBarHostileNames, ::testing::Values (
    HostileName { "parent folder onto the settings file", "../settings", "settings.json" },
    HostileName { "two parents", "../../settings", "settings.json" },
    HostileName { "absolute path of another file", "VICTIM", "VICTIM.json" },
    HostileName { "backslashes", "..\\settings", "settings.json" },
    HostileName { "folder then parents", "Sub/../../settings", "Sub....settings.json" }),
    testsupport::NameFromWhat());
// clang-format on

//==============================================================================
struct OpenCase
{
    const char* what;
    juce::String content;
    const char* message;
};

class PresetBarOpening : public PresetBar, public ::testing::WithParamInterface<OpenCase>
{};

TEST_P (PresetBarOpening, RefusesWhatIsNotAPresetAndSaysWhy)
{
    const auto& c = GetParam();
    open();
    panel().setCurrentPatchDisplay ("Standard Delay", "Traditional");
    setValue (params::id::twist, 0.3f);
    const auto generation = processor->getPatchGeneration();

    juce::TemporaryFile file (".json");
    write (file.getFile(), c.content);
    EXPECT_FALSE (panel().openPresetFile (file.getFile()));

    EXPECT_EQ (label(), c.message);
    EXPECT_EQ (processor->getPatchGeneration(), generation);
    EXPECT_NEAR (value (params::id::twist), 0.3f, 1.0e-6f);
    EXPECT_EQ (panel().currentPatchId(), "Traditional/Standard Delay");
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Files, PresetBarOpening, ::testing::Values (
    OpenCase { "above the folder scan's size cap",
               R"({ "name": "big", "params": { "g": 0.9 } })"
                   + juce::String::repeatedString (" ", int (presets::PresetLibrary::maxPresetFileSize)),
               PresetPanelComponent::openTooLargeText },
    OpenCase { "nested a million deep", "{ \"params\": " + juce::String::repeatedString ("[", 1000000),
               PresetPanelComponent::openNotPresetText },
    OpenCase { "an array", "[ { \"g\": 0.9 } ]", PresetPanelComponent::openNotPresetText },
    OpenCase { "not JSON", "name=big", PresetPanelComponent::openNotPresetText },
    OpenCase { "empty", "", PresetPanelComponent::openFailedText }),
    testsupport::NameFromWhat());
// clang-format on

TEST_F (PresetBar, ControlCharactersInAnIdNeverReachTheFavoritesFile)
{
    // A user preset whose folder name holds a line break (legal on Linux).
    write (userDir.getChildFile ("Evil\nTraditional/Standard Delay.json"), presetJson ("x", 0.5));
    open();
    ASSERT_TRUE (panel().toggleFavorite()); // INIT, a harmless favourite first
    const auto favoritesBefore = userDir.getChildFile ("favorites.txt").loadFileAsString();

    panel().setCurrentPatchDisplay ("Standard Delay", "Evil\nTraditional");
    ASSERT_NE (library().findById (panel().currentPatchId()), nullptr);
    EXPECT_FALSE (panel().toggleFavorite());
    EXPECT_EQ (label(), PresetPanelComponent::favoriteRefusedText);
    EXPECT_EQ (userDir.getChildFile ("favorites.txt").loadFileAsString(), favoritesBefore);
    EXPECT_FALSE (library().isFavorite ("Traditional/Standard Delay"));

    // A file's "name" with line breaks is opened without them.
    juce::TemporaryFile file (".json");
    write (file.getFile(), R"({ "name": "Evil\r\nTraditional/Standard Delay", "params": {} })");
    ASSERT_TRUE (panel().openPresetFile (file.getFile()));
    EXPECT_EQ (label(), "EvilTraditional/Standard Delay");
    ASSERT_TRUE (panel().toggleFavorite());
    library().loadFavorites();
    EXPECT_EQ (library().getFavoriteIds(), juce::StringArray ("INIT", "EvilTraditional/Standard Delay"));
    EXPECT_FALSE (library().isFavorite ("Traditional/Standard Delay"));
}

TEST_F (PresetBar, FavoritesAndDefaultThatCannotBeWrittenSaySo)
{
    open();
    panel().setCurrentPatchDisplay ("Standard Delay", "Traditional");

    userDir.getChildFile ("favorites.txt").createDirectory();
    EXPECT_FALSE (panel().toggleFavorite());
    EXPECT_EQ (label(), PresetPanelComponent::favoritesFailedText);

    settingsFile.createDirectory();
    panel().updateNameLabel();
    EXPECT_FALSE (panel().saveAsDefault());
    EXPECT_EQ (label(), PresetPanelComponent::defaultFailedText);

    settingsFile.deleteRecursively();
    panel().updateNameLabel();
    EXPECT_TRUE (panel().saveAsDefault());
    EXPECT_EQ (label(), "Standard Delay");
    EXPECT_EQ (presets::getDefaultPatchId (settingsFile), "Traditional/Standard Delay");
}

TEST_F (PresetBar, SaveAsDefaultStoresTheIdOfAnOpenedFileAsItsName)
{
    open();
    juce::TemporaryFile file (".json");
    write (file.getFile(), presetJson ("From Mail", 0.4));
    ASSERT_TRUE (panel().openPresetFile (file.getFile()));
    setValue (params::id::twist, 0.1f);
    ASSERT_TRUE (panel().saveAsDefault());
    EXPECT_EQ (presets::getDefaultPatchId (settingsFile), "From Mail");
}

TEST_F (PresetBar, AnotherPresetFolderBringsItsPresetsAndFavoritesAndIsRemembered)
{
    writeUserPresets (userDir);
    open();
    juce::TemporaryFile other;
    write (other.getFile().getChildFile ("Stage/Lead.json"), presetJson ("Lead", 0.66));
    write (other.getFile().getChildFile ("favorites.txt"), "Stage/Lead");
    panel().setCurrentPatchDisplay ("Zed", "");

    ASSERT_TRUE (panel().usePresetFolder (other.getFile()));
    EXPECT_EQ (panel().getBrowseIds().size(), 112u);
    EXPECT_EQ (panel().getBrowseIds().back(), "Stage/Lead");
    EXPECT_EQ (library().getFavoriteIds(), juce::StringArray ("Stage/Lead"));
    EXPECT_EQ (presets::getCustomPresetFolder (settingsFile), other.getFile());
    EXPECT_EQ (label(), "Zed"); // the name stays

    // A new instance starts from the remembered folder.
    MassDelayAudioProcessor next;
    EXPECT_NE (next.getPresetLibrary().findById ("Stage/Lead"), nullptr);

    // Without a writable settings file the folder is used but not remembered.
    settingsFile.deleteFile();
    settingsFile.createDirectory();
    EXPECT_FALSE (panel().usePresetFolder (userDir));
    EXPECT_EQ (label(), PresetPanelComponent::settingsFailedText);
    EXPECT_EQ (panel().getBrowseIds().back(), "Zed");
}

TEST_F (PresetBar, DrawsTheNameCentredInBrightTextOnARaisedBar)
{
    open();
    panel().setCurrentPatchDisplay ("Standard Delay", "Traditional");
    const auto image = uitest::renderScaled (*editor, 2.0f, juce::Colours::black);
    const auto label = (panel().getNameLabel().getBounds() + panel().getPosition()) * 2;

    EXPECT_LE (uitest::colourDistance (uitest::strongestInk (image, label, Col::bg1), Col::t0), 8);
    // Away from the bar's rounded ends, the text's ink is centred in the label.
    const auto inner = label.reduced (16, 10);
    const auto ink = uitest::inkBounds (image.getClippedImage (inner), Col::bg1, 60);
    ASSERT_FALSE (ink.isEmpty());
    EXPECT_NEAR (ink.getCentreX(), inner.getWidth() / 2, 4);

    // The bar's 0.5-pixel outline in b1 along its bottom edge (at 2x it
    // covers two rows by half).
    const auto bar = panel().getBounds() * 2;
    EXPECT_LE (
        uitest::colourDistance (uitest::strongestInk (image, { bar.getCentreX(), bar.getBottom() - 3, 1, 2 }, Col::bg1),
                                Col::bg1.interpolatedWith (Col::b1, 0.5f)),
        12);
}
