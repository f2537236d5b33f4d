// favorites.txt in the user folder: loaded, listed against the library,
// changed and written back.

#include "FuzzChecks.h"
#include "presets/PresetLibrary.h"

namespace fuzzing
{
namespace
{
struct FavoritesWorld
{
    juce::File folder = juce::File::getSpecialLocation (juce::File::tempDirectory)
                            .getChildFile ("twist-delay-fuzz-favorites-" + juce::Uuid().toString());
    presets::PresetLibrary library;

    FavoritesWorld()
    {
        library.loadFactoryFromBinaryData();
        library.setUserDir (folder);
    }
    ~FavoritesWorld() { folder.deleteRecursively(); }
};

FavoritesWorld& favoritesWorld()
{
    static FavoritesWorld instance;
    return instance;
}
} // namespace

Outcome favoritesFile (const std::uint8_t* data, std::size_t size)
{
    auto& fw = favoritesWorld();
    auto& library = fw.library;

    fw.folder.createDirectory();
    if (! library.favoritesFile().replaceWithData (data, size))
        return {};
    library.loadFavorites();

    const auto ids = library.getFavoriteIds();
    for (const auto& id : ids)
        if (id.isEmpty() || id.containsAnyOf ("\r\n"))
            return ("the favourite " + quote (id) + " is empty or spans lines").toStdString();

    for (const auto* patch : library.favorites())
        if (! ids.contains (patch->id()))
            return ("the favourites list shows " + quote (patch->id()) + ", which is no favourite").toStdString();

    // Written back and read again, the list is the same.
    library.saveFavorites();
    library.loadFavorites();
    if (library.getFavoriteIds() != ids)
        return "the favourites changed on being written and read again";

    const juce::String id = "Traditional/INIT PATCH";
    library.addFavorite (id);
    if (! library.isFavorite (id))
        return "a favourite added is not a favourite";
    library.removeFavorite (id);
    library.loadFavorites();
    if (library.isFavorite (id))
        return "a favourite removed is still a favourite after reading the file again";
    return {};
}
} // namespace fuzzing
