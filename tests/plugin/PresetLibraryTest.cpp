#include "presets/PresetLibrary.h"
#include "presets/UntrustedJson.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>
#include <juce_core/juce_core.h>

#include <filesystem>
#include <vector>

#if JUCE_LINUX || JUCE_MAC
#include <csignal>
#include <sys/resource.h>
#endif

using presets::FolderNode;
using presets::Patch;
using presets::PresetLibrary;

namespace
{
// A small factory bank in the embedded format.
const char* const smallBank = R"({ "banks": [
  { "bank": "Traditional", "patches": [
      { "name": "INIT PATCH", "params": { "g": 0.5 } },
      { "name": "Standard Delay", "bank": "Traditional", "category": "", "params": { "g": 0.25 } } ] },
  { "bank": "Sound Design", "patches": [
      { "name": "Broken Sequencer", "category": "Glitch & Chaos", "params": { "g": 0.75 } },
      { "name": "", "category": "Glitch & Chaos", "params": {} },
      { "name": "Alien Chorus", "category": "Pitch Chorus Extremes" } ] },
  { "bank": "Character", "patches": [
      { "name": "Mellow Echo", "bank": "Elsewhere", "params": { "mix": 0.3 } } ] }
] })";

std::vector<juce::String> ids (const std::vector<const Patch*>& patches)
{
    std::vector<juce::String> out;
    for (const auto* p : patches)
        out.push_back (p->id());
    return out;
}

std::vector<juce::String> userIds (const PresetLibrary& library)
{
    std::vector<juce::String> out;
    const auto& all = library.getPatches();
    for (auto i = library.getFactoryCount(); i < all.size(); ++i)
        out.push_back (all[i].id());
    std::sort (out.begin(), out.end(), [] (const juce::String& a, const juce::String& b) { return a.compare (b) < 0; });
    return out;
}

void write (const juce::File& file, const juce::String& text)
{
    file.getParentDirectory().createDirectory();
    ASSERT_TRUE (file.replaceWithText (text));
}

juce::String presetJson (const juce::String& name, double g)
{
    return R"({ "name": ")" + name + R"(", "params": { "g": )" + juce::String (g) + " } }";
}

// A library with the small bank and a temporary user folder.
struct PresetLibraryFixture : public ::testing::Test
{
    juce::TemporaryFile tempDir;
    juce::File userDir = tempDir.getFile();
    PresetLibrary library;

    PresetLibraryFixture()
    {
        userDir.createDirectory();
        library.loadFactoryFromJson (smallBank);
        library.setUserDir (userDir);
    }
};
} // namespace

//==============================================================================
TEST (PresetFactoryBank, FoldersComeFromBankAndCategoryAndEmptyNamesAreSkipped)
{
    PresetLibrary library;
    library.loadFactoryFromJson (smallBank);

    ASSERT_EQ (library.getFactoryCount(), 5u);
    const std::vector<juce::String> expected { "Traditional/INIT PATCH", "Traditional/Standard Delay",
                                               "Sound Design/Glitch & Chaos/Broken Sequencer",
                                               "Sound Design/Pitch Chorus Extremes/Alien Chorus",
                                               "Elsewhere/Mellow Echo" };
    std::vector<juce::String> got;
    for (const auto& p : library.getPatches())
        got.push_back (p.id());
    EXPECT_EQ (got, expected);

    const auto* alien = library.findById ("Sound Design/Pitch Chorus Extremes/Alien Chorus");
    ASSERT_NE (alien, nullptr);
    EXPECT_TRUE (alien->params.isVoid());
    EXPECT_EQ (library.findById ("Traditional/INIT PATCH")->params.getProperty ("g", {}), juce::var (0.5));
}

struct BadBankCase
{
    const char* what;
    const char* json;
};

class PresetFactoryBadBank : public ::testing::TestWithParam<BadBankCase>
{};

TEST_P (PresetFactoryBadBank, YieldsNoPatches)
{
    PresetLibrary library;
    library.loadFactoryFromJson (GetParam().json);
    EXPECT_EQ (library.getFactoryCount(), 0u);
    EXPECT_TRUE (library.getPatches().empty());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Banks, PresetFactoryBadBank, ::testing::Values (
    BadBankCase { "not JSON", "{ banks: " },
    BadBankCase { "empty text", "" },
    BadBankCase { "no banks key", R"({ "bank": [] })" },
    BadBankCase { "banks not an array", R"({ "banks": { "bank": "x" } })" },
    BadBankCase { "root is an array", R"([ { "bank": "x", "patches": [ { "name": "a" } ] } ])" },
    BadBankCase { "bank without patches", R"({ "banks": [ { "bank": "x" }, 5, "y" ] })" },
    BadBankCase { "patches not objects", R"({ "banks": [ { "bank": "x", "patches": [ 1, "a", [] ] } ] })" }),
    testsupport::NameFromWhat());
// clang-format on

//==============================================================================
TEST_F (PresetLibraryFixture, UserFilesGetTheirFolderFromTheirPlaceAndTheirNameFromTheFile)
{
    write (userDir.getChildFile ("Slapback.json"), presetJson ("Slapback", 0.1));
    write (userDir.getChildFile ("Live/Guitar/Slapback.json"), presetJson ("Slapback", 0.2));
    write (userDir.getChildFile ("Mix/Lead.json"), presetJson ("Something Else", 0.3));
    library.rescanUser();

    EXPECT_EQ (userIds (library), (std::vector<juce::String> { "Live/Guitar/Slapback", "Mix/Lead", "Slapback" }));
    const auto* lead = library.findById ("Mix/Lead");
    ASSERT_NE (lead, nullptr);
    EXPECT_EQ (lead->name, "Lead");
    EXPECT_EQ (lead->folder, "Mix");
    EXPECT_EQ (lead->params.getProperty ("g", {}), juce::var (0.3));
    EXPECT_EQ (library.folderFor (userDir.getChildFile ("Live/Guitar/x.json")), "Live/Guitar");
    EXPECT_EQ (library.folderFor (userDir.getChildFile ("x.json")), "");

    // A rescan replaces the user part and keeps the factory part.
    userDir.getChildFile ("Mix/Lead.json").deleteFile();
    library.rescanUser();
    EXPECT_EQ (library.getPatches().size(), library.getFactoryCount() + 2);
    EXPECT_EQ (library.findById ("Mix/Lead"), nullptr);
}

TEST_F (PresetLibraryFixture, BadFilesAreSkippedAndTheRestLoads)
{
    write (userDir.getChildFile ("good.json"), presetJson ("good", 0.5));
    write (userDir.getChildFile ("notes.txt"), presetJson ("notes", 0.5));
    write (userDir.getChildFile ("array.json"), "[ 1, 2, 3 ]");
    write (userDir.getChildFile ("number.json"), "42");
    write (userDir.getChildFile ("broken.json"), "{ \"name\": \"broken\", \"params\": { ");
    ASSERT_TRUE (userDir.getChildFile ("binary.json").replaceWithData ("\x01\x02\xff\xfe garbage", 12));
    write (userDir.getChildFile (".json"), presetJson ("", 0.5));
    userDir.getChildFile ("empty.json").create();
    write (userDir.getChildFile ("no params.json"), R"({ "name": "x" })");
    write (userDir.getChildFile ("wrong types.json"), R"({ "params": { "g": "high", "s": [ 1 ], "e": { "a": 1 } } })");
    userDir.getChildFile ("folder.json").createDirectory();
    write (userDir.getChildFile ("folder.json/inner.json"), presetJson ("inner", 0.5));
    // A million brackets: the parser would recurse once per level and run
    // out of stack; the file is refused before parsing.
    write (userDir.getChildFile ("deep.json"), "{ \"params\": " + juce::String::repeatedString ("[", 1000000));

    const auto locked = userDir.getChildFile ("locked.json");
    write (locked, presetJson ("locked", 0.5));
    std::filesystem::permissions (locked.getFullPathName().toStdString(), std::filesystem::perms::none);
    const bool lockedIsReadable = locked.loadFileAsString().isNotEmpty(); // true for a superuser

    library.rescanUser();
    std::filesystem::permissions (locked.getFullPathName().toStdString(), std::filesystem::perms::owner_all);

    std::vector<juce::String> expected { "folder.json/inner", "good", "no params", "wrong types" };
    if (lockedIsReadable)
        expected.push_back ("locked");
    std::sort (expected.begin(), expected.end(),
               [] (const juce::String& a, const juce::String& b) { return a.compare (b) < 0; });
    EXPECT_EQ (userIds (library), expected);
    EXPECT_TRUE (library.findById ("no params")->params.isVoid());
}

TEST_F (PresetLibraryFixture, SymbolicLinkLoopsEndAndLinkedFoldersAreFollowed)
{
    namespace fs = std::filesystem;
    const auto root = fs::path (userDir.getFullPathName().toStdString());
    write (userDir.getChildFile ("a/b/deep.json"), presetJson ("deep", 0.5));
    fs::create_directory_symlink ("..", root / "a" / "b" / "up"); // a/b/up -> a
    fs::create_directory_symlink (root, root / "a" / "home");     // a/home -> the user folder
    fs::create_directory_symlink (root / "a" / "loop2", root / "a" / "loop1");
    fs::create_directory_symlink (root / "a" / "loop1", root / "a" / "loop2");
    fs::create_symlink (root / "self.json", root / "self.json"); // a file link to itself

    juce::TemporaryFile elsewhere;
    write (elsewhere.getFile().getChildFile ("shared.json"), presetJson ("shared", 0.5));
    fs::create_directory_symlink (elsewhere.getFile().getFullPathName().toStdString(), root / "Shared");

    library.rescanUser();
    EXPECT_EQ (userIds (library), (std::vector<juce::String> { "Shared/shared", "a/b/deep" }));
}

TEST_F (PresetLibraryFixture, FolderNamesDifferingInCaseAreTwoFoldersAndUpperCaseSortsFirst)
{
    write (userDir.getChildFile ("bass/low.json"), presetJson ("low", 0.1));
    write (userDir.getChildFile ("Bass/Low.json"), presetJson ("Low", 0.2));
    write (userDir.getChildFile ("loose b.json"), presetJson ("b", 0.3));
    write (userDir.getChildFile ("Loose A.json"), presetJson ("A", 0.4));
    library.rescanUser();

    const auto tree = library.buildTree (false);
    ASSERT_EQ (tree.children.size(), 2u);
    EXPECT_EQ (library.findById ("bass/low")->params.getProperty ("g", {}), juce::var (0.1));
    EXPECT_EQ (library.findById ("Bass/Low")->params.getProperty ("g", {}), juce::var (0.2));

    const auto order = ids (library.allInTreeOrder());
    const std::vector<juce::String> userPart (order.begin() + 5, order.end());
    EXPECT_EQ (userPart, (std::vector<juce::String> { "Bass/Low", "bass/low", "Loose A", "loose b" }));
}

TEST_F (PresetLibraryFixture, AUserPatchWithAFactoryIdOverridesItButKeepsItsPlace)
{
    write (userDir.getChildFile ("Traditional/INIT PATCH.json"), presetJson ("INIT PATCH", 0.9));
    write (userDir.getChildFile ("Traditional/Zed.json"), presetJson ("Zed", 0.1));
    library.rescanUser();

    const auto* found = library.findById ("Traditional/INIT PATCH");
    ASSERT_NE (found, nullptr);
    EXPECT_EQ (found->params.getProperty ("g", {}), juce::var (0.9));

    // The merged menu tree lists the id once, in the factory's place.
    const auto merged = presets::mergeFolderNodes (library.buildTree (true), library.buildTree (false));
    const auto traditional = std::find_if (merged.children.begin(), merged.children.end(),
                                           [] (const FolderNode& n) { return n.name == "Traditional"; });
    ASSERT_NE (traditional, merged.children.end());
    EXPECT_EQ (
        ids (traditional->patches),
        (std::vector<juce::String> { "Traditional/INIT PATCH", "Traditional/Standard Delay", "Traditional/Zed" }));
    EXPECT_EQ (traditional->patches[0], found);
    EXPECT_EQ (merged.children.size(), 3u);

    // Browse order: factory tree first (the id's first appearance is the
    // factory position), then the user tree.
    const auto order = ids (library.allInTreeOrder());
    const std::vector<juce::String> expected { "Elsewhere/Mellow Echo",
                                               "Sound Design/Glitch & Chaos/Broken Sequencer",
                                               "Sound Design/Pitch Chorus Extremes/Alien Chorus",
                                               "Traditional/INIT PATCH",
                                               "Traditional/Standard Delay",
                                               "Traditional/INIT PATCH",
                                               "Traditional/Zed" };
    EXPECT_EQ (order, expected);
}

TEST (PresetTree, BuildsNestedFoldersInFirstAppearanceOrder)
{
    PresetLibrary library;
    library.loadFactoryFromJson (smallBank);
    const auto tree = library.buildTree (true);

    EXPECT_TRUE (tree.name.isEmpty());
    EXPECT_TRUE (tree.patches.empty());
    ASSERT_EQ (tree.children.size(), 3u);
    EXPECT_EQ (tree.children[0].name, "Traditional");
    EXPECT_EQ (tree.children[1].name, "Sound Design");
    EXPECT_EQ (tree.children[2].name, "Elsewhere");
    ASSERT_EQ (tree.children[1].children.size(), 2u);
    EXPECT_EQ (tree.children[1].children[0].name, "Glitch & Chaos");
    EXPECT_EQ (ids (tree.children[1].children[0].patches),
               (std::vector<juce::String> { "Sound Design/Glitch & Chaos/Broken Sequencer" }));
    EXPECT_TRUE (library.buildTree (false).children.empty());
}

TEST (PresetTree, MergeReplacesSameIdsInPlaceAndAppendsTheRest)
{
    Patch a1 { "one", "F", {} }, a2 { "two", "F", {} }, b1 { "two", "F", 1 }, b2 { "three", "F", {} };
    Patch deep { "x", "F/G", {} }, other { "y", "H", {} };

    FolderNode a { {}, { FolderNode { "F", { FolderNode { "G", {}, { &deep } } }, { &a1, &a2 } } }, {} };
    FolderNode b { {}, { FolderNode { "F", {}, { &b1, &b2 } }, FolderNode { "H", {}, { &other } } }, {} };

    const auto merged = presets::mergeFolderNodes (a, b);
    ASSERT_EQ (merged.children.size(), 2u);
    const auto& f = merged.children[0];
    EXPECT_EQ (f.patches, (std::vector<const Patch*> { &a1, &b1, &b2 }));
    ASSERT_EQ (f.children.size(), 1u);
    EXPECT_EQ (f.children[0].patches, (std::vector<const Patch*> { &deep }));
    EXPECT_EQ (merged.children[1].name, "H");
    EXPECT_EQ (merged.children[1].patches, (std::vector<const Patch*> { &other }));
    // a itself is unchanged.
    EXPECT_EQ (a.children[0].patches, (std::vector<const Patch*> { &a1, &a2 }));
}

//==============================================================================
TEST_F (PresetLibraryFixture, FavoritesAreStoredOnePerLineAndListedInLibraryOrder)
{
    write (userDir.getChildFile ("Traditional/INIT PATCH.json"), presetJson ("INIT PATCH", 0.9));
    library.rescanUser();

    library.addFavorite ("Elsewhere/Mellow Echo");
    library.addFavorite ("Traditional/INIT PATCH");
    library.addFavorite ("Elsewhere/Mellow Echo");
    library.addFavorite ("gone");

    const auto file = userDir.getChildFile ("favorites.txt");
    juce::MemoryBlock bytes;
    ASSERT_TRUE (file.loadFileAsData (bytes));
    EXPECT_EQ (bytes.toString(), "Elsewhere/Mellow Echo\r\nTraditional/INIT PATCH\r\ngone");

    EXPECT_TRUE (library.isFavorite ("Traditional/INIT PATCH"));
    EXPECT_FALSE (library.isFavorite ("traditional/init patch"));

    // Library order, the overridden id once in the factory place, holding the
    // user patch; ids without a patch are not listed.
    const auto favs = library.favorites();
    EXPECT_EQ (ids (favs), (std::vector<juce::String> { "Traditional/INIT PATCH", "Elsewhere/Mellow Echo" }));
    EXPECT_EQ (favs[0], library.findById ("Traditional/INIT PATCH"));

    library.removeFavorite ("Elsewhere/Mellow Echo");
    PresetLibrary reloaded;
    reloaded.setUserDir (userDir);
    reloaded.loadFavorites();
    EXPECT_EQ (reloaded.getFavoriteIds(), juce::StringArray ("Traditional/INIT PATCH", "gone"));
}

TEST_F (PresetLibraryFixture, FavoritesLoadWithoutBlankLinesButWithDuplicatesWhichRemoveTogether)
{
    write (userDir.getChildFile ("favorites.txt"), "a\n\nb\r\na\r\n\r\n  c \rb");
    library.loadFavorites();
    EXPECT_EQ (library.getFavoriteIds(), juce::StringArray ("a", "b", "a", "  c ", "b"));

    library.removeFavorite ("a");
    EXPECT_EQ (library.getFavoriteIds(), juce::StringArray ("b", "  c ", "b"));
}

// Lines no save could write are skipped: broken sequences, overlong forms
// (JUCE's reader takes them and writes other bytes back) and surrogates.
TEST_F (PresetLibraryFixture, FavoritesSkipLinesThatAreNotUtf8)
{
    const char bytes[] = "a\n\xc1\xb2\nb\xff\n\xed\xa0\x80\nF\xc3\xbcr Elise\n\xf0\x9f\x8e\xb8\n";
    ASSERT_TRUE (userDir.createDirectory());
    ASSERT_TRUE (userDir.getChildFile ("favorites.txt").replaceWithData (bytes, sizeof (bytes) - 1));
    library.loadFavorites();
    EXPECT_EQ (library.getFavoriteIds(), juce::StringArray ("a", juce::String::fromUTF8 ("F\xc3\xbcr Elise"),
                                                            juce::String::fromUTF8 ("\xf0\x9f\x8e\xb8")));
}

TEST_F (PresetLibraryFixture, FavoriteIdsWithControlCharactersAreRefusedAndTheFileKeepsOneIdALine)
{
    ASSERT_TRUE (library.addFavorite ("Traditional/INIT PATCH"));

    // A line break would split the id into two entries, one of them naming
    // another patch; other control characters have no place in a line either.
    for (const auto* id : { "Evil\nTraditional/Standard Delay", "Evil\r\nx", "Evil\rx", "tab\there", "" })
    {
        EXPECT_FALSE (library.addFavorite (id)) << id;
        EXPECT_FALSE (library.isFavorite (id)) << id;
    }

    juce::MemoryBlock bytes;
    ASSERT_TRUE (library.favoritesFile().loadFileAsData (bytes));
    EXPECT_EQ (bytes.toString(), "Traditional/INIT PATCH");
    library.loadFavorites();
    EXPECT_EQ (library.getFavoriteIds(), juce::StringArray ("Traditional/INIT PATCH"));
}

TEST_F (PresetLibraryFixture, FavoriteWritersReportAFileThatCannotBeWritten)
{
    library.favoritesFile().createDirectory(); // a folder where the file belongs
    EXPECT_FALSE (library.addFavorite ("Traditional/INIT PATCH"));
    EXPECT_FALSE (library.removeFavorite ("Traditional/INIT PATCH"));

    library.favoritesFile().deleteRecursively();
    EXPECT_TRUE (library.addFavorite ("Traditional/INIT PATCH"));
    EXPECT_TRUE (library.removeFavorite ("Traditional/INIT PATCH"));
}

TEST (PresetFavorites, CreateTheUserFolderOnFirstSaveAndDoNothingWithoutOne)
{
    juce::TemporaryFile tempDir;
    const auto userDir = tempDir.getFile().getChildFile ("not/yet/there");
    PresetLibrary library;

    library.addFavorite ("x"); // no user folder: kept in memory only
    EXPECT_TRUE (library.isFavorite ("x"));
    library.loadFavorites();
    EXPECT_TRUE (library.getFavoriteIds().isEmpty());

    library.setUserDir (userDir);
    library.rescanUser(); // a missing folder leaves only the factory part
    EXPECT_TRUE (library.getPatches().empty());
    library.addFavorite ("y");
    EXPECT_TRUE (userDir.getChildFile ("favorites.txt").existsAsFile());
}

//==============================================================================
TEST_F (PresetLibraryFixture, SavedPresetsAreCrLfJsonAndJoinTheLibrary)
{
    auto params = juce::JSON::parse (R"({ "g": 0.125, "mix": 0.333333333333333314829616256247 })");
    const auto target = userDir.getChildFile ("Live/Guitar/Slap.json");
    const auto saved = library.savePatchToFile (target, "Slap", params);
    ASSERT_EQ (saved, target);

    juce::MemoryBlock bytes;
    ASSERT_TRUE (saved.loadFileAsData (bytes));
    const auto text = bytes.toString();
    EXPECT_NE (static_cast<unsigned char> (text[0]), 0xEFu); // no byte-order mark
    EXPECT_TRUE (text.contains ("\r\n"));
    EXPECT_FALSE (text.replace ("\r\n", "").containsChar ('\n'));

    const auto parsed = juce::JSON::parse (text);
    EXPECT_EQ (parsed.getProperty ("name", {}), juce::var ("Slap"));
    EXPECT_DOUBLE_EQ (static_cast<double> (parsed.getProperty ("params", {}).getProperty ("g", {})), 0.125);

    const auto* patch = library.findById ("Live/Guitar/Slap");
    ASSERT_NE (patch, nullptr);
    EXPECT_NEAR (static_cast<double> (patch->params.getProperty ("mix", {})), 1.0 / 3.0, 1e-15);
}

struct UnsafeNameCase
{
    const char* what;
    const char* folder;
    const char* name;
    const char* expectedRelativePath;
};

class PresetUnsafeNames : public PresetLibraryFixture, public ::testing::WithParamInterface<UnsafeNameCase>
{};

TEST_P (PresetUnsafeNames, StayInsideTheUserFolder)
{
    const auto& c = GetParam();
    const auto file = library.userFileFor (c.folder, c.name);
    ASSERT_TRUE (file.isAChildOf (userDir));
    EXPECT_EQ (file.getRelativePathFrom (userDir).replaceCharacter ('\\', '/'), c.expectedRelativePath);

    const auto saved = library.savePatchToFile (file, c.name, juce::var());
    ASSERT_EQ (saved, file);

    // The one file written is that one.
    std::vector<juce::File> written;
    for (const auto& entry : juce::RangedDirectoryIterator (userDir, true, "*", juce::File::findFiles))
        written.push_back (entry.getFile());
    EXPECT_EQ (written, std::vector<juce::File> { file });
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Names, PresetUnsafeNames, ::testing::Values (
    UnsafeNameCase { "plain", "", "Slap", "Slap.json" },
    UnsafeNameCase { "parent in name", "", "../evil", "evil.json" },
    UnsafeNameCase { "parents in name", "", "../../../../tmp/evil", "tmpevil.json" },
    UnsafeNameCase { "absolute name", "", "/tmp/evil", "tmpevil.json" },
    UnsafeNameCase { "backslashes", "", "..\\..\\evil", "evil.json" },
    UnsafeNameCase { "drive letter", "", "C:\\evil", "Cevil.json" },
    UnsafeNameCase { "parent folder", "../..", "evil", "evil.json" },
    UnsafeNameCase { "absolute folder", "/tmp/x", "evil", "tmp/x/evil.json" },
    UnsafeNameCase { "dots only", "", "..", "Untitled.json" },
    UnsafeNameCase { "empty", "", "", "Untitled.json" },
    UnsafeNameCase { "control and reserved chars", "Sub", "a<b>c:d\"e|f?g*h\ti", "Sub/abcdefghi.json" },
    UnsafeNameCase { "device name", "", "con", "_con.json" },
    UnsafeNameCase { "trailing dots and spaces", "", "Name. . ", "Name.json" },
    UnsafeNameCase { "factory folder", "Sound Design/Glitch & Chaos", "Broken Sequencer!",
                     "Sound Design/Glitch & Chaos/Broken Sequencer!.json" }),
    testsupport::NameFromWhat());
// clang-format on

TEST_F (PresetLibraryFixture, SavingRefusesFilesOutsideTheUserFolder)
{
    juce::TemporaryFile elsewhere;
    const std::vector<juce::File> outside {
        elsewhere.getFile(),
        userDir.getParentDirectory().getChildFile ("evil.json"),
        userDir.getChildFile ("../evil.json"),
        userDir.getChildFile ("a/../../evil.json"),
        juce::File(),
    };
    for (const auto& f : outside)
    {
        EXPECT_EQ (library.savePatchToFile (f, "evil", juce::var()), juce::File()) << f.getFullPathName();
        EXPECT_FALSE (f.existsAsFile()) << f.getFullPathName();
    }

    PresetLibrary noFolder;
    EXPECT_EQ (noFolder.savePatchToFile (userDir.getChildFile ("x.json"), "x", juce::var()), juce::File());
}

TEST_F (PresetLibraryFixture, AChosenFileIsSavedWhereverTheUserPickedIt)
{
    juce::TemporaryFile elsewhere;
    const auto chosen = elsewhere.getFile().getChildFile ("Gig/Tonight.json");
    const auto params = juce::JSON::parse (R"({ "g": 0.75 })");

    EXPECT_EQ (library.savePatchToChosenFile (chosen, "Tonight", params), chosen);
    const auto stored = juce::JSON::parse (chosen.loadFileAsString());
    EXPECT_EQ (stored.getProperty ("name", {}), juce::var ("Tonight"));
    EXPECT_EQ (stored.getProperty ("params", {}).getProperty ("g", {}), juce::var (0.75));

    // Outside the user folder it does not join the library.
    EXPECT_EQ (library.findById ("Tonight"), nullptr);
    EXPECT_EQ (library.savePatchToChosenFile (juce::File(), "x", params), juce::File());
}

struct ReadCase
{
    const char* what;
    const char* fileName;
    juce::String content;
    PresetLibrary::ReadResult result;
    juce::String name; // when read
};

class PresetFileReading : public ::testing::TestWithParam<ReadCase>
{};

TEST_P (PresetFileReading, TakesPresetsFromAnywhereAndRefusesWhatIsNotOne)
{
    const auto& c = GetParam();
    juce::TemporaryFile dir;
    const auto file = dir.getFile().getChildFile (c.fileName);
    write (file, c.content);

    Patch patch;
    patch.name = "before";
    EXPECT_EQ (PresetLibrary::readPatchFile (file, patch), c.result);
    if (c.result == PresetLibrary::ReadResult::ok)
    {
        EXPECT_EQ (patch.name, c.name);
        EXPECT_TRUE (patch.folder.isEmpty());
    }
}

const juce::String padded =
    R"({ "name": "big", "params": {} })" + juce::String::repeatedString (" ", int (PresetLibrary::maxPresetFileSize));

// clang-format off
INSTANTIATE_TEST_SUITE_P (Files, PresetFileReading, ::testing::Values (
    ReadCase { "name from the file's content", "a.json", presetJson ("Lead", 0.5), PresetLibrary::ReadResult::ok, "Lead" },
    ReadCase { "no name key", "Pad.json", R"({ "params": {} })", PresetLibrary::ReadResult::ok, "Pad" },
    ReadCase { "empty name", "Pad.json", R"({ "name": "", "params": {} })", PresetLibrary::ReadResult::ok, "Pad" },
    ReadCase { "line breaks dropped", "a.json", R"({ "name": "Evil\r\nTraditional/INIT PATCH" })",
               PresetLibrary::ReadResult::ok, "EvilTraditional/INIT PATCH" },
    ReadCase { "path in the name kept as text", "a.json", R"({ "name": "../settings" })", PresetLibrary::ReadResult::ok,
               "../settings" },
    ReadCase { "just above the size cap", "big.json", padded, PresetLibrary::ReadResult::tooLarge, "" },
    ReadCase { "empty file", "empty.json", "", PresetLibrary::ReadResult::unreadable, "" },
    ReadCase { "array", "list.json", "[ 1, 2 ]", PresetLibrary::ReadResult::notAPreset, "" },
    ReadCase { "not JSON", "text.json", "hello", PresetLibrary::ReadResult::notAPreset, "" },
    ReadCase { "nested a million deep", "deep.json", "{ \"a\": " + juce::String::repeatedString ("[", 1000000),
               PresetLibrary::ReadResult::notAPreset, "" },
    ReadCase { "brackets inside strings do not count", "str.json",
               R"({ "name": ")" + juce::String::repeatedString ("[", 100) + R"(\"[" })", PresetLibrary::ReadResult::ok,
               juce::String::repeatedString ("[", 100) + "\"[" },
    ReadCase { "a number JUCE's reader would overflow", "big.json", R"({ "name": "n", "seed": 98765432109876543210 })",
               PresetLibrary::ReadResult::notAPreset, "" },
    ReadCase { "a 64-bit seed and a long fraction", "seed.json",
               R"({ "name": "n", "seed": 987654321098765432, "x": 0.0000001234567890123456789, "y": -1.5E+0300 })",
               PresetLibrary::ReadResult::ok, "n" }),
    testsupport::NameFromWhat());
// clang-format on

struct JsonLimitCase
{
    const char* what;
    const char* text;
    bool within;
};

class UntrustedJsonLimits : public ::testing::TestWithParam<JsonLimitCase>
{};

// JUCE's JSON reader keeps an integer part in 64 bits and an exponent in 32
// bits without checking: what could overflow them is refused before parsing.
TEST_P (UntrustedJsonLimits, RefuseWhatJucesReaderWouldOverflow)
{
    EXPECT_EQ (presets::untrustedJson::withinLimits (GetParam().text), GetParam().within);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Texts, UntrustedJsonLimits, ::testing::Values (
    JsonLimitCase { "18 digits", "[ 999999999999999999, -999999999999999999 ]", true },
    JsonLimitCase { "19 digits", "[ 1000000000000000000 ]", false },
    JsonLimitCase { "19 digits negative", "[ -1000000000000000000 ]", false },
    JsonLimitCase { "leading zeros do not count", "[ 0000000000000000000001 ]", true },
    JsonLimitCase { "a long fraction", "[ 1.00000000000000000000000000001 ]", true },
    JsonLimitCase { "a four-digit exponent", "[ 1e9999, 1E-9999, 1e+0009999 ]", true },
    JsonLimitCase { "a five-digit exponent", "[ 1e10000 ]", false },
    JsonLimitCase { "a five-digit negative exponent", "[ 2.5E-10000 ]", false },
    JsonLimitCase { "digits inside strings", R"([ "12345678901234567890123", "1e99999" ])", true },
    JsonLimitCase { "an escaped quote keeps the string open", R"([ "\"12345678901234567890123" ])", true },
    JsonLimitCase { "64 levels", "[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]", true },
    JsonLimitCase { "65 levels", "[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[", false }),
    testsupport::NameFromWhat());
// clang-format on

TEST (PresetFileReading, AMissingFileOrAFolderIsUnreadable)
{
    juce::TemporaryFile dir;
    dir.getFile().createDirectory();
    Patch patch;
    EXPECT_EQ (PresetLibrary::readPatchFile (dir.getFile().getChildFile ("gone.json"), patch),
               PresetLibrary::ReadResult::unreadable);
    EXPECT_EQ (PresetLibrary::readPatchFile (dir.getFile(), patch), PresetLibrary::ReadResult::unreadable);
}

TEST_F (PresetLibraryFixture, SavingMakesTheFileNameLegalAndAJsonFile)
{
    const auto saved = library.savePatchToFile (userDir.getChildFile ("we|ird?.txt"), "we|ird?", juce::var());
    EXPECT_EQ (saved, userDir.getChildFile ("weird.json"));
    EXPECT_NE (library.findById ("weird"), nullptr);
}

TEST_F (PresetLibraryFixture, AFailedSaveLeavesTheGoodFileAndNoTemporaryFiles)
{
    const auto target = userDir.getChildFile ("Keep.json");
    ASSERT_EQ (library.savePatchToFile (target, "Keep", juce::JSON::parse (R"({ "g": 0.25 })")), target);
    const auto good = target.loadFileAsString();

    // A directory in the file's place cannot be replaced.
    const auto blocked = userDir.getChildFile ("Blocked.json");
    blocked.getChildFile ("inside").createDirectory();
    EXPECT_EQ (library.savePatchToFile (blocked, "Blocked", juce::var()), juce::File());
    EXPECT_TRUE (blocked.isDirectory());

#if JUCE_LINUX || JUCE_MAC
    // A file-size limit makes the write itself fail part-way (as a full disk
    // would); the previous file must survive whole.
    juce::DynamicObject::Ptr big = new juce::DynamicObject();
    for (int i = 0; i < 400; ++i)
        big->setProperty ("p" + juce::String (i), 0.123456789012345);

    const auto previousHandler = std::signal (SIGXFSZ, SIG_IGN);
    rlimit previous {};
    ASSERT_EQ (getrlimit (RLIMIT_FSIZE, &previous), 0);
    rlimit limited = previous;
    limited.rlim_cur = 256;
    ASSERT_EQ (setrlimit (RLIMIT_FSIZE, &limited), 0);
    const auto result = library.savePatchToFile (target, "Keep", juce::var (big.get()));
    setrlimit (RLIMIT_FSIZE, &previous);
    std::signal (SIGXFSZ, previousHandler);

    EXPECT_EQ (result, juce::File());
    EXPECT_EQ (target.loadFileAsString(), good);
#endif

    // No temporary file is left behind, and none would be scanned.
    for (const auto& entry : juce::RangedDirectoryIterator (userDir, true, "*", juce::File::findFiles))
        EXPECT_TRUE (entry.getFile() == target) << entry.getFile().getFullPathName();
}

struct LegalNameCase
{
    const char* what;
    const char* name;
    const char* legal;
};

class PresetLegalFileName : public ::testing::TestWithParam<LegalNameCase>
{};

TEST_P (PresetLegalFileName, KeepsWhatIsSafeAndDropsTheRest)
{
    EXPECT_EQ (PresetLibrary::legalFileName (juce::String::fromUTF8 (GetParam().name)),
               juce::String::fromUTF8 (GetParam().legal));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Names, PresetLegalFileName, ::testing::Values (
    LegalNameCase { "ordinary punctuation stays", "Chicken Pickin' Slap #2 (v1) & more!", "Chicken Pickin' Slap #2 (v1) & more!" },
    LegalNameCase { "unicode stays", "Caf\xc3\xa9 \xe2\x99\xab", "Caf\xc3\xa9 \xe2\x99\xab" },
    LegalNameCase { "separators go", "a/b\\c", "abc" },
    LegalNameCase { "leading dots go", "...hidden", "hidden" },
    LegalNameCase { "only dots", "..", "" },
    LegalNameCase { "reserved device with extension", "LPT1.old", "_LPT1.old" }),
    testsupport::NameFromWhat());
// clang-format on

TEST (PresetFileNames, CutsLongNamesTo128Characters)
{
    const auto longName = juce::String::repeatedString ("0123456789", 20);
    EXPECT_EQ (PresetLibrary::legalFileName (longName), longName.substring (0, 128));
}
