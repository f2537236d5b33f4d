#pragma once

#include <juce_core/juce_core.h>

#include <cstddef>
#include <vector>

namespace presets
{
// One preset: a display name, a "/"-separated folder path and the parameter
// values as an object of parameter ID -> normalised value (or void).
struct Patch
{
    juce::String name;
    juce::String folder;
    juce::var params;

    // name, or folder + "/" + name; compared case-sensitively.
    juce::String id() const;
};

// A folder of a menu tree. Children and patches keep the order in which they
// were added; readers sort them.
struct FolderNode
{
    juce::String name;
    std::vector<FolderNode> children;
    std::vector<const Patch*> patches;
};

// A copy of a with b merged in: b's patches replace same-id patches in place
// or are appended; b's children merge into same-name children or are appended.
FolderNode mergeFolderNodes (const FolderNode& a, const FolderNode& b);

// Every preset the plug-in knows: the embedded factory bank followed by the
// user's preset files, plus the user's favourites. Message thread only.
//
// Pointers to patches (trees, browse lists, favourites) stay valid until the
// next rescanUser() or savePatchToFile().
class PresetLibrary
{
public:
    PresetLibrary() = default;

    //==============================================================================
    // Factory bank: {"banks": [{"bank": name, "patches": [{"name", "bank",
    // "category", "params"}]}]}.
    void loadFactoryFromBinaryData();
    void loadFactoryFromJson (const juce::String& text);
    void addBankObject (const juce::var& bank);

    //==============================================================================
    // Searches from the last patch backwards, so a user patch overrides a
    // factory patch with the same id.
    const Patch* findById (const juce::String& id) const;

    const std::vector<Patch>& getPatches() const { return patches; }
    std::size_t getFactoryCount() const { return factoryCount; }

    //==============================================================================
    // The user preset folder. setUserDir only stores it.
    void setUserDir (const juce::File& dir) { userDir = dir; }
    const juce::File& getUserDir() const { return userDir; }

    // The folder of a file below the user folder: its parent's path relative
    // to the user folder, "/"-separated, empty directly inside it.
    juce::String folderFor (const juce::File& file) const;

    // Drops the user patches and reads every *.json file below the user
    // folder (following symbolic links, each real directory once). Files
    // that are not JSON objects, and files named ".json", are skipped.
    void rescanUser();

    // The file a patch with this folder and name is saved to: inside the
    // user folder, every path part and the name made legal as file names
    // ("..", separators and drive prefixes cannot leave the folder).
    juce::File userFileFor (const juce::String& folder, const juce::String& name) const;

    // Writes {"name", "params"} to the file, replacing it in one step, and
    // rescans. The file name is made legal and given the extension ".json";
    // a file outside the user folder is refused. Returns the file written,
    // or an empty File on failure.
    juce::File savePatchToFile (const juce::File& file, const juce::String& name, const juce::var& params);

    // The same for a file the user picked in a file chooser, which may lie
    // anywhere the user can write: the place comes from the user, never from
    // a preset's content. The file name is made legal and given ".json".
    juce::File savePatchToChosenFile (const juce::File& file, const juce::String& name, const juce::var& params);

    // Preset files larger than this are not read (they are a few kilobytes).
    static constexpr juce::int64 maxPresetFileSize = 4 * 1024 * 1024;

    // Reading a preset file from anywhere (an "open" command).
    enum class ReadResult
    {
        ok,
        unreadable, // missing, a folder, empty or not readable
        tooLarge,   // above maxPresetFileSize
        notAPreset  // not a JSON object, or nested too deeply
    };

    // Fills patch from a preset file: name = its "name" value without control
    // characters (the file name without extension when that leaves nothing),
    // folder empty, params = its "params" value.
    static ReadResult readPatchFile (const juce::File& file, Patch& patch);

    // The file's content as a JSON object, or void when it is not one (or is
    // text JUCE's parser cannot read safely: see untrustedJson).
    static juce::var parsePresetJson (const juce::String& text);

    // A file name made from a patch name: no path separators or characters
    // that some file systems refuse, no leading dots, no trailing dots or
    // spaces; empty when nothing usable is left.
    static juce::String legalFileName (const juce::String& name);

    //==============================================================================
    // Folder tree of the factory patches (true) or the user patches (false).
    FolderNode buildTree (bool factory) const;

    // Browse order: the factory tree, then the user tree; in each node the
    // child folders sorted by name first, then the node's patches by name.
    std::vector<const Patch*> allInTreeOrder() const;

    //==============================================================================
    // Favourites, stored as "favorites.txt" in the user folder, one id a
    // line. The writers return false when the file could not be written; an
    // id that is empty or holds control characters (a line break would split
    // it into two entries) is refused and not added.
    bool addFavorite (const juce::String& id);
    bool removeFavorite (const juce::String& id);
    bool isFavorite (const juce::String& id) const { return favoriteIds.contains (id); }
    const juce::StringArray& getFavoriteIds() const { return favoriteIds; }

    // The favourite patches in library order; an id present as factory and
    // user patch is listed once, in the factory patch's place.
    std::vector<const Patch*> favorites() const;

    bool saveFavorites() const;
    void loadFavorites();

    // True for an id that can be stored as one line: not empty, no control characters.
    static bool isStorableId (const juce::String& id);

    juce::File favoritesFile() const;

private:
    void addUserFile (const juce::File& file);
    juce::File writePatch (const juce::File& file, const juce::String& name, const juce::var& params);

    std::vector<Patch> patches;
    std::size_t factoryCount = 0;
    juce::File userDir;
    juce::StringArray favoriteIds;

    JUCE_LEAK_DETECTOR (PresetLibrary)
};
} // namespace presets
