#include "presets/PresetLibrary.h"

#include "presets/SafeFileWrite.h"
#include "presets/StrictUtf8.h"
#include "presets/UntrustedJson.h"

#include "BinaryData.h"

#include <algorithm>
#include <filesystem>
#include <set>

namespace presets
{
namespace
{
// Deeper folders than this are not scanned; real preset trees are shallow.
constexpr int maxScanDepth = 32;

std::filesystem::path toPath (const juce::File& f)
{
    const auto* utf8 = f.getFullPathName().toRawUTF8();
    return std::filesystem::path (reinterpret_cast<const char8_t*> (utf8));
}

bool hasControlCharacters (const juce::String& s)
{
    for (auto p = s.getCharPointer(); ! p.isEmpty();)
    {
        const auto c = p.getAndAdvance();
        if (c < 0x20 || c == 0x7f)
            return true;
    }
    return false;
}

juce::String withoutControlCharacters (const juce::String& s)
{
    juce::String out;
    for (auto p = s.getCharPointer(); ! p.isEmpty();)
    {
        const auto c = p.getAndAdvance();
        if (c >= 0x20 && c != 0x7f)
            out += juce::String::charToString (c);
    }
    return out;
}

bool sortsBefore (const juce::String& a, const juce::String& b)
{
    return a.compare (b) < 0;
}

void walkInBrowseOrder (const FolderNode& node, std::vector<const Patch*>& out)
{
    std::vector<const FolderNode*> children;
    for (const auto& c : node.children)
        children.push_back (&c);
    std::stable_sort (children.begin(), children.end(),
                      [] (const FolderNode* a, const FolderNode* b) { return sortsBefore (a->name, b->name); });
    for (const auto* c : children)
        walkInBrowseOrder (*c, out);

    auto own = node.patches;
    std::stable_sort (own.begin(), own.end(),
                      [] (const Patch* a, const Patch* b) { return sortsBefore (a->name, b->name); });
    out.insert (out.end(), own.begin(), own.end());
}

// Walks a directory depth first, as a recursive directory search would,
// entering every real directory at most once so that symbolic-link loops end.
template <typename FileCallback>
void scanDirectory (const juce::File& dir, std::set<std::filesystem::path>& visited, int depth, FileCallback&& onFile)
{
    if (depth > maxScanDepth)
        return;

    std::error_code error;
    auto real = std::filesystem::canonical (toPath (dir), error);
    if (error || ! visited.insert (std::move (real)).second)
        return;

    for (const auto& entry : juce::RangedDirectoryIterator (dir, false, "*", juce::File::findFilesAndDirectories))
    {
        const auto file = entry.getFile();
        if (entry.isDirectory())
            scanDirectory (file, visited, depth + 1, onFile);
        else
            onFile (file);
    }
}
} // namespace

//==============================================================================
juce::String Patch::id() const
{
    return folder.isEmpty() ? name : folder + "/" + name;
}

FolderNode mergeFolderNodes (const FolderNode& a, const FolderNode& b)
{
    FolderNode result = a;

    for (const auto* patch : b.patches)
    {
        const auto id = patch->id();
        auto same = std::find_if (result.patches.begin(), result.patches.end(),
                                  [&id] (const Patch* p) { return p->id() == id; });
        if (same != result.patches.end())
            *same = patch;
        else
            result.patches.push_back (patch);
    }

    for (const auto& child : b.children)
    {
        auto same = std::find_if (result.children.begin(), result.children.end(),
                                  [&child] (const FolderNode& c) { return c.name == child.name; });
        if (same != result.children.end())
            *same = mergeFolderNodes (*same, child);
        else
            result.children.push_back (child);
    }

    return result;
}

//==============================================================================
void PresetLibrary::loadFactoryFromBinaryData()
{
    loadFactoryFromJson (juce::String::fromUTF8 (BinaryData::factory_json, BinaryData::factory_jsonSize));
}

void PresetLibrary::loadFactoryFromJson (const juce::String& text)
{
    const auto root = juce::JSON::parse (text);
    if (const auto* banks = root.getProperty ("banks", {}).getArray())
        for (const auto& bank : *banks)
            addBankObject (bank);

    factoryCount = patches.size();
}

void PresetLibrary::addBankObject (const juce::var& bank)
{
    if (bank.getDynamicObject() == nullptr)
        return;

    const auto bankName = bank.getProperty ("bank", {}).toString();
    const auto* list = bank.getProperty ("patches", {}).getArray();
    if (list == nullptr)
        return;

    for (const auto& p : *list)
    {
        if (p.getDynamicObject() == nullptr)
            continue;

        Patch patch;
        patch.name = p.getProperty ("name", {}).toString();
        if (patch.name.isEmpty())
            continue;

        const auto patchBank = p.hasProperty ("bank") ? p.getProperty ("bank", {}).toString() : bankName;
        const auto category = p.getProperty ("category", {}).toString();
        patch.folder = category.isEmpty() ? patchBank : patchBank + "/" + category;
        patch.params = p.getProperty ("params", {});
        patches.push_back (std::move (patch));
    }
}

//==============================================================================
const Patch* PresetLibrary::findById (const juce::String& id) const
{
    for (auto it = patches.rbegin(); it != patches.rend(); ++it)
        if (it->id() == id)
            return &*it;
    return nullptr;
}

juce::String PresetLibrary::folderFor (const juce::File& file) const
{
    const auto parent = file.getParentDirectory();
    if (parent == userDir)
        return {};
    return parent.getRelativePathFrom (userDir).replaceCharacter ('\\', '/');
}

void PresetLibrary::rescanUser()
{
    patches.resize (factoryCount);

    if (! userDir.isDirectory())
        return;

    std::set<std::filesystem::path> visited;
    scanDirectory (userDir, visited, 0, [this] (const juce::File& f) { addUserFile (f); });
}

void PresetLibrary::addUserFile (const juce::File& file)
{
    if (! file.getFileName().matchesWildcard ("*.json", ! juce::File::areFileNamesCaseSensitive()))
        return;

    // The name is the file name without ".json" (a file called ".json" has none).
    const auto fileName = file.getFileName();
    Patch patch;
    patch.name = fileName.dropLastCharacters (5);
    if (patch.name.isEmpty())
        return;

    const auto size = file.getSize();
    if (size <= 0 || size > maxPresetFileSize)
        return;

    const auto content = parsePresetJson (file.loadFileAsString());
    if (content.getDynamicObject() == nullptr)
        return;

    patch.folder = folderFor (file);
    patch.params = content.getProperty ("params", {});
    patches.push_back (std::move (patch));
}

juce::String PresetLibrary::legalFileName (const juce::String& name)
{
    // Characters that some file system refuses in a name.
    static const juce::String refused ("<>:\"/\\|?*");

    juce::String s;
    for (auto p = name.getCharPointer(); ! p.isEmpty();)
    {
        const auto c = p.getAndAdvance();
        if (c < 0x20 || c == 0x7f || refused.containsChar (c))
            continue;
        s += juce::String::charToString (c);
    }

    constexpr int maxLength = 128;
    s = s.substring (0, maxLength).trim();
    while (s.startsWithChar ('.'))
        s = s.substring (1).trimStart();
    while (s.endsWithChar ('.') || s.endsWithChar (' '))
        s = s.dropLastCharacters (1);

    // Device names that Windows refuses as file names.
    static const juce::StringArray reserved { "CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4",
                                              "COM5", "COM6", "COM7", "COM8", "COM9", "LPT1", "LPT2", "LPT3",
                                              "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9" };
    if (reserved.contains (s.upToFirstOccurrenceOf (".", false, false), true))
        s = "_" + s;

    return s;
}

juce::File PresetLibrary::userFileFor (const juce::String& folder, const juce::String& name) const
{
    if (userDir == juce::File())
        return {};

    auto dir = userDir;
    for (const auto& part : juce::StringArray::fromTokens (folder.replaceCharacter ('\\', '/'), "/", {}))
    {
        const auto legal = legalFileName (part);
        if (legal.isNotEmpty())
            dir = dir.getChildFile (legal);
    }

    auto stem = legalFileName (name);
    if (stem.isEmpty())
        stem = "Untitled";
    return dir.getChildFile (stem + ".json");
}

juce::var PresetLibrary::parsePresetJson (const juce::String& text)
{
    auto content = untrustedJson::parse (text);
    return content.getDynamicObject() != nullptr ? content : juce::var();
}

PresetLibrary::ReadResult PresetLibrary::readPatchFile (const juce::File& file, Patch& patch)
{
    // An empty size may also be a pipe or a device, whose read would block.
    if (! file.existsAsFile())
        return ReadResult::unreadable;
    const auto size = file.getSize();
    if (size > maxPresetFileSize)
        return ReadResult::tooLarge;
    if (size <= 0)
        return ReadResult::unreadable;

    juce::MemoryBlock bytes;
    if (! file.loadFileAsData (bytes) || bytes.isEmpty())
        return ReadResult::unreadable;

    const auto content = parsePresetJson (bytes.toString());
    if (content.getDynamicObject() == nullptr)
        return ReadResult::notAPreset;

    const auto nameValue = content.getProperty ("name", {});
    patch.name = nameValue.isVoid() ? juce::String() : withoutControlCharacters (nameValue.toString()).trim();
    if (patch.name.isEmpty())
        patch.name = withoutControlCharacters (file.getFileNameWithoutExtension());
    patch.folder = {};
    patch.params = content.getProperty ("params", {});
    return ReadResult::ok;
}

juce::File PresetLibrary::savePatchToFile (const juce::File& file, const juce::String& name, const juce::var& params)
{
    if (userDir == juce::File() || file == juce::File())
        return {};

    // The file must lie inside the user folder (paths are normalised, so
    // ".." cannot climb out of it).
    const auto parent = file.getParentDirectory();
    if (parent != userDir && ! parent.isAChildOf (userDir))
        return {};

    return writePatch (file, name, params);
}

juce::File PresetLibrary::savePatchToChosenFile (const juce::File& file, const juce::String& name,
                                                 const juce::var& params)
{
    if (file == juce::File())
        return {};
    return writePatch (file, name, params);
}

juce::File PresetLibrary::writePatch (const juce::File& file, const juce::String& name, const juce::var& params)
{
    const auto parent = file.getParentDirectory();
    auto stem = legalFileName (file.getFileNameWithoutExtension());
    if (stem.isEmpty())
        stem = legalFileName (name);
    if (stem.isEmpty())
        return {};

    const auto target = parent.getChildFile (stem + ".json");
    if (parent.createDirectory().failed())
        return {};

    juce::DynamicObject::Ptr content = new juce::DynamicObject();
    content->setProperty ("name", name.isNotEmpty() ? name : stem);
    content->setProperty ("params", params);

    if (! replaceFileWithText (target, juce::JSON::toString (juce::var (content.get()), false, 15)))
        return {};

    rescanUser();
    return target;
}

//==============================================================================
FolderNode PresetLibrary::buildTree (bool factory) const
{
    FolderNode root;
    const auto begin = factory ? std::size_t { 0 } : factoryCount;
    const auto end = factory ? factoryCount : patches.size();

    for (auto i = begin; i < end; ++i)
    {
        const auto& patch = patches[i];
        auto* node = &root;
        if (patch.folder.isNotEmpty())
        {
            for (const auto& part : juce::StringArray::fromTokens (patch.folder, "/", {}))
            {
                auto it = std::find_if (node->children.begin(), node->children.end(),
                                        [&part] (const FolderNode& c) { return c.name == part; });
                if (it == node->children.end())
                {
                    node->children.push_back (FolderNode { part, {}, {} });
                    it = std::prev (node->children.end());
                }
                node = &*it;
            }
        }
        node->patches.push_back (&patch);
    }
    return root;
}

std::vector<const Patch*> PresetLibrary::allInTreeOrder() const
{
    std::vector<const Patch*> out;
    out.reserve (patches.size());
    walkInBrowseOrder (buildTree (true), out);
    walkInBrowseOrder (buildTree (false), out);
    return out;
}

//==============================================================================
juce::File PresetLibrary::favoritesFile() const
{
    return userDir == juce::File() ? juce::File() : userDir.getChildFile ("favorites.txt");
}

bool PresetLibrary::isStorableId (const juce::String& id)
{
    return id.isNotEmpty() && ! hasControlCharacters (id);
}

bool PresetLibrary::addFavorite (const juce::String& id)
{
    if (! isStorableId (id))
        return false;
    if (! favoriteIds.contains (id))
        favoriteIds.add (id);
    return saveFavorites();
}

bool PresetLibrary::removeFavorite (const juce::String& id)
{
    favoriteIds.removeString (id);
    return saveFavorites();
}

std::vector<const Patch*> PresetLibrary::favorites() const
{
    std::vector<const Patch*> out;
    for (const auto& patch : patches)
    {
        const auto id = patch.id();
        if (! favoriteIds.contains (id))
            continue;

        auto same = std::find_if (out.begin(), out.end(), [&id] (const Patch* p) { return p->id() == id; });
        if (same != out.end())
            *same = &patch;
        else
            out.push_back (&patch);
    }
    return out;
}

bool PresetLibrary::saveFavorites() const
{
    if (userDir == juce::File() || userDir.createDirectory().failed())
        return false;
    return replaceFileWithText (favoritesFile(), favoriteIds.joinIntoString ("\r\n"));
}

void PresetLibrary::loadFavorites()
{
    favoriteIds.clear();
    const auto file = favoritesFile();
    if (file == juce::File() || ! file.existsAsFile())
        return;

    // The file is UTF-8 text, one id a line, as saveFavorites writes it. It
    // is read as bytes: JUCE's text loader would take a leading FE FF as a
    // UTF-16 mark, and a NUL would end a line early. A line that is not
    // valid UTF-8 or holds a control character is no id we could have
    // written, and is skipped.
    juce::MemoryBlock bytes;
    if (! file.loadFileAsData (bytes))
        return;
    const auto* data = static_cast<const char*> (bytes.getData());
    const auto size = bytes.getSize();
    std::size_t start = 0;
    if (size >= 3 && static_cast<unsigned char> (data[0]) == 0xef && static_cast<unsigned char> (data[1]) == 0xbb
        && static_cast<unsigned char> (data[2]) == 0xbf)
        start = 3;
    while (start < size)
    {
        // A line ends at CR, LF or CR LF (the empty line between CR and LF
        // is skipped like any empty line).
        auto end = start;
        while (end < size && data[end] != '\n' && data[end] != '\r')
            ++end;
        const auto lineEnd = end;

        bool usable = lineEnd > start;
        for (auto i = start; usable && i < lineEnd; ++i)
        {
            const auto c = static_cast<unsigned char> (data[i]);
            usable = c >= 0x20 && c != 0x7f;
        }
        const auto length = static_cast<int> (lineEnd - start);
        if (usable && isStrictUtf8 (data + start, length))
            favoriteIds.add (juce::String::fromUTF8 (data + start, length));
        start = end + 1;
    }
}
} // namespace presets
