#include "ui/PresetPanelComponent.h"

#include "params/ParameterTable.h"
#include "presets/PresetSettings.h"
#include "ui/Col.h"
#include "ui/MdLookAndFeel.h"

#include <algorithm>

namespace
{
constexpr const char* initPatchId = "Traditional/INIT PATCH";

bool sortsBefore (const juce::String& a, const juce::String& b)
{
    return a.compare (b) < 0;
}

bool isInside (const juce::File& file, const juce::File& dir)
{
    if (dir == juce::File())
        return false;
    const auto parent = file.getParentDirectory();
    return parent == dir || parent.isAChildOf (dir);
}
} // namespace

const std::array<const char*, 33> PresetPanelComponent::watchedParameterIds {
    params::id::twist,     params::id::start,       params::id::end,
    params::id::length,    params::id::feedback,    params::id::decayCurve,
    params::id::highPass,  params::id::lowPass,     params::id::mix,
    params::id::wave,      params::id::waveRate,    params::id::waveDensity,
    params::id::waveShape, params::id::tremolo,     params::id::tremRate,
    params::id::tremDepth, params::id::tremPhase,   params::id::tremOffset,
    params::id::tremShape, params::id::tape,        params::id::tapeOut,
    params::id::tapeLpf,   params::id::tapeFlutter, params::id::tapeMix,
    params::id::tapSync,   params::id::reverse,     params::id::dynamicSmoothing,
    params::id::predelay,  params::id::pingPong,    params::id::pingPongAmount,
    params::id::widen,     params::id::noMid,       params::id::startEndLock,
};

PresetPanelComponent::PresetPanelComponent (juce::AudioProcessorValueTreeState& s, presets::PresetLibrary& l,
                                            std::function<bool()> automatic)
    : state (s)
    , library (l)
    , isAutomaticChange (std::move (automatic))
{
    nameLabel.setFont (MdLookAndFeel::monoFont (11.0f));
    nameLabel.setColour (juce::Label::textColourId, Col::t0);
    nameLabel.setJustificationType (juce::Justification::centred);
    nameLabel.setMouseClickGrabsKeyboardFocus (false);
    nameLabel.setWantsKeyboardFocus (false);
    nameLabel.setMouseCursor (juce::MouseCursor::PointingHandCursor);
    nameLabel.addMouseListener (this, false);
    addAndMakeVisible (nameLabel);

    prevButton.onClick = [this] { stepPreset (-1); };
    nextButton.onClick = [this] { stepPreset (1); };
    addAndMakeVisible (prevButton);
    addAndMakeVisible (nextButton);

    for (const auto* id : watchedParameterIds)
    {
        if (state.getParameter (id) == nullptr)
            continue;
        watchedIds.emplace_back (id);
        state.addParameterListener (id, this);
    }

    rebuildBrowseOrderFromLibrary();
    updateNameLabel();
}

PresetPanelComponent::~PresetPanelComponent()
{
    for (const auto& id : watchedIds)
        state.removeParameterListener (id, this);

    // A menu still open goes with the panel (its result callback sees the
    // panel gone); a file dialog goes with its chooser.
    if (menuOpen)
        juce::PopupMenu::dismissAllActiveMenus();
    chooser.reset();
}

//==============================================================================
juce::String PresetPanelComponent::currentPatchId() const
{
    return presets::Patch { currentName, currentFolder, {} }.id();
}

void PresetPanelComponent::setCurrentPatchDisplay (const juce::String& name, const juce::String& folder)
{
    currentName = name;
    currentFolder = folder;
    modified = false;
    changedElsewhere.store (false);
    updateNameLabel();
}

void PresetPanelComponent::updateNameLabel()
{
    nameLabel.setText (modified ? currentName + "*" : currentName, juce::dontSendNotification);
}

void PresetPanelComponent::showMessage (const juce::String& text)
{
    nameLabel.setText (text, juce::dontSendNotification);
}

void PresetPanelComponent::parameterChanged (const juce::String&, float)
{
    if (applying.load() || (isAutomaticChange && isAutomaticChange()))
        return;

    // Host automation arrives on other threads; the label is only touched on
    // the message thread, so those changes wait for takePendingChanges.
    if (juce::MessageManager::existsAndIsCurrentThread())
        markModified();
    else
        changedElsewhere.store (true);
}

void PresetPanelComponent::takePendingChanges()
{
    if (changedElsewhere.exchange (false) && ! applying.load())
        markModified();
}

void PresetPanelComponent::markModified()
{
    if (modified)
        return;
    modified = true;
    updateNameLabel();
}

void PresetPanelComponent::applyAndShow (const presets::Patch& patch)
{
    applying.store (true);
    if (applyPatchCallback)
        applyPatchCallback (patch);
    currentName = patch.name;
    currentFolder = patch.folder;
    modified = false;
    changedElsewhere.store (false);
    applying.store (false);
    updateNameLabel();
}

juce::var PresetPanelComponent::currentParams() const
{
    return currentParamsCallback ? currentParamsCallback() : juce::var();
}

//==============================================================================
void PresetPanelComponent::rebuildBrowseOrderFromLibrary()
{
    browseIds.clear();
    for (const auto* patch : library.allInTreeOrder())
    {
        const auto id = patch->id();
        if (std::find (browseIds.begin(), browseIds.end(), id) == browseIds.end())
            browseIds.push_back (id);
    }
}

void PresetPanelComponent::stepPreset (int delta)
{
    if (browseIds.empty())
        rebuildBrowseOrderFromLibrary();
    if (browseIds.empty())
        return;

    const auto count = static_cast<int> (browseIds.size());
    const auto found = std::find (browseIds.begin(), browseIds.end(), currentPatchId());
    const int index = found == browseIds.end() ? 0 : static_cast<int> (found - browseIds.begin());
    const int next = ((index + delta) % count + count) % count;

    if (const auto* patch = library.findById (browseIds[static_cast<size_t> (next)]))
        applyAndShow (*patch);
}

//==============================================================================
juce::PopupMenu PresetPanelComponent::buildPresetMenu()
{
    menuPatches.clear();
    const auto current = currentPatchId();
    auto addPatch = [this, &current] (juce::PopupMenu& menu, const presets::Patch& patch, const juce::String& text) {
        menuPatches.push_back (patch);
        menu.addItem (static_cast<int> (menuPatches.size()), text, true, patch.id() == current);
    };

    juce::PopupMenu menu;
    // The name as the label shows it, even while the label shows a message.
    menu.addItem (headerItem, modified ? currentName + "*" : currentName, false, true);
    menu.addSeparator();

    const auto favorites = library.favorites();
    if (! favorites.empty())
    {
        juce::PopupMenu favoritesMenu;
        for (const auto* patch : favorites)
            addPatch (favoritesMenu, *patch, patch->name);
        menu.addSubMenu ("Favorites", favoritesMenu);
    }

    // The folder tree, factory and user merged; INIT PATCH sits at the top level.
    std::function<void (juce::PopupMenu&, const presets::FolderNode&)> addLevel;
    addLevel = [&] (juce::PopupMenu& target, const presets::FolderNode& node) {
        std::vector<const presets::FolderNode*> children;
        for (const auto& child : node.children)
            children.push_back (&child);
        std::stable_sort (children.begin(), children.end(),
                          [] (const auto* a, const auto* b) { return sortsBefore (a->name, b->name); });
        for (const auto* child : children)
        {
            juce::PopupMenu sub;
            addLevel (sub, *child);
            target.addSubMenu (child->name, sub);
        }

        auto patches = node.patches;
        std::stable_sort (patches.begin(), patches.end(),
                          [] (const auto* a, const auto* b) { return sortsBefore (a->name, b->name); });
        for (const auto* patch : patches)
            if (patch->id() != initPatchId)
                addPatch (target, *patch, patch->name);
    };
    addLevel (menu, presets::mergeFolderNodes (library.buildTree (true), library.buildTree (false)));

    if (const auto* init = library.findById (initPatchId))
        addPatch (menu, *init, "INIT PATCH");

    menu.addSeparator();
    menu.addItem (favoriteItem, library.isFavorite (current) ? "Remove from Favorites" : "Add to Favorites");
    menu.addItem (saveOverwriteItem, "Save (Overwrite)", currentName.isNotEmpty());
    menu.addItem (saveAsItem, "Save As...");
    menu.addSeparator();
    menu.addItem (saveAsDefaultItem, "Save As Default");
    menu.addItem (openOtherItem, "Open Other Preset...");
    menu.addItem (changeFolderItem, "Change Preset Folder...");
    menu.addItem (organizeItem, "Organize Presets");
    menu.addItem (refreshItem, "Refresh");
    return menu;
}

void PresetPanelComponent::showPresetMenu()
{
    auto menu = buildPresetMenu();
    menu.setLookAndFeel (&getLookAndFeel());

    auto options = juce::PopupMenu::Options().withTargetComponent (&nameLabel);
    if (menuParent != nullptr)
        options = options.withParentComponent (menuParent);

    menuOpen = true;
    menu.showMenuAsync (options, [safe = juce::Component::SafePointer<PresetPanelComponent> (this)] (int result) {
        if (auto* self = safe.getComponent())
        {
            self->menuOpen = false;
            self->handleMenuResult (result);
        }
    });
}

void PresetPanelComponent::handleMenuResult (int result)
{
    if (result <= 0)
        return;

    if (result <= static_cast<int> (menuPatches.size()))
    {
        const auto patch = menuPatches[static_cast<size_t> (result - 1)];
        applyAndShow (patch);
        return;
    }

    switch (result)
    {
        case saveAsItem:
            showSaveDialog();
            break;
        case favoriteItem:
            toggleFavorite();
            break;
        case saveAsDefaultItem:
            saveAsDefault();
            break;
        case openOtherItem:
            openOtherPreset();
            break;
        case changeFolderItem:
            changePresetFolder();
            break;
        case organizeItem:
            revealPresetFolder();
            break;
        case refreshItem:
            refreshLibrary();
            break;
        case saveOverwriteItem:
            savePatchInPlace();
            break;
        default:
            break;
    }
}

//==============================================================================
void PresetPanelComponent::showSaved (const juce::File& saved, const juce::String& folder)
{
    currentName = saved.getFileNameWithoutExtension();
    currentFolder = folder;
    modified = false;
    rebuildBrowseOrderFromLibrary();
    updateNameLabel();
    if (onPatchSaved)
        onPatchSaved (currentName, currentFolder);
}

bool PresetPanelComponent::savePatchInPlace()
{
    if (currentName.isEmpty())
        return false;

    // The place follows from the folder and name by the library's rule, which
    // keeps it inside the user folder whatever a file's "name" held.
    const auto target = library.userFileFor (currentFolder, currentName);
    const auto saved = library.savePatchToFile (target, currentName, currentParams());
    if (saved == juce::File())
    {
        showMessage (saveFailedText);
        return false;
    }

    showSaved (saved, library.folderFor (saved));
    return true;
}

void PresetPanelComponent::showSaveDialog()
{
    chooser = std::make_unique<juce::FileChooser> ("Save Preset", library.getUserDir(), "*.json", true);
    const auto chooserFlags = juce::FileBrowserComponent::saveMode | juce::FileBrowserComponent::canSelectFiles
                              | juce::FileBrowserComponent::warnAboutOverwriting;
    chooser->launchAsync (
        chooserFlags, [safe = juce::Component::SafePointer<PresetPanelComponent> (this)] (const juce::FileChooser& fc) {
            if (auto* self = safe.getComponent())
                if (fc.getResult() != juce::File())
                    self->saveAs (fc.getResult());
        });
}

bool PresetPanelComponent::saveAs (const juce::File& chosen)
{
    if (chosen == juce::File())
        return false;

    const auto file =
        chosen.hasFileExtension ("json") ? chosen : chosen.getSiblingFile (chosen.getFileName() + ".json");
    const auto name = file.getFileNameWithoutExtension();
    const bool inLibrary = isInside (file, library.getUserDir());

    // The user picked this place; a place outside the preset folder is
    // theirs to choose too, the file just does not join the library.
    const auto saved = inLibrary ? library.savePatchToFile (file, name, currentParams())
                                 : library.savePatchToChosenFile (file, name, currentParams());
    if (saved == juce::File())
    {
        showMessage (saveFailedText);
        return false;
    }

    showSaved (saved, inLibrary ? library.folderFor (saved) : juce::String());
    return true;
}

bool PresetPanelComponent::saveAsDefault()
{
    if (presets::setDefaultPatchId (currentPatchId(), presets::defaultSettingsFile()))
        return true;
    showMessage (defaultFailedText);
    return false;
}

void PresetPanelComponent::openOtherPreset()
{
    chooser = std::make_unique<juce::FileChooser> ("Open Preset", library.getUserDir(), "*.json", true);
    const auto chooserFlags = juce::FileBrowserComponent::openMode | juce::FileBrowserComponent::canSelectFiles;
    chooser->launchAsync (
        chooserFlags, [safe = juce::Component::SafePointer<PresetPanelComponent> (this)] (const juce::FileChooser& fc) {
            if (auto* self = safe.getComponent())
                if (fc.getResult() != juce::File())
                    self->openPresetFile (fc.getResult());
        });
}

bool PresetPanelComponent::openPresetFile (const juce::File& file)
{
    presets::Patch patch;
    switch (presets::PresetLibrary::readPatchFile (file, patch))
    {
        case presets::PresetLibrary::ReadResult::ok:
            applyAndShow (patch);
            return true;
        case presets::PresetLibrary::ReadResult::tooLarge:
            showMessage (openTooLargeText);
            return false;
        case presets::PresetLibrary::ReadResult::notAPreset:
            showMessage (openNotPresetText);
            return false;
        case presets::PresetLibrary::ReadResult::unreadable:
            break;
    }
    showMessage (openFailedText);
    return false;
}

void PresetPanelComponent::changePresetFolder()
{
    chooser = std::make_unique<juce::FileChooser> ("Choose Preset Folder", library.getUserDir(), juce::String(), true);
    const auto chooserFlags = juce::FileBrowserComponent::openMode | juce::FileBrowserComponent::canSelectDirectories;
    chooser->launchAsync (
        chooserFlags, [safe = juce::Component::SafePointer<PresetPanelComponent> (this)] (const juce::FileChooser& fc) {
            if (auto* self = safe.getComponent())
                if (fc.getResult() != juce::File())
                    self->usePresetFolder (fc.getResult());
        });
}

bool PresetPanelComponent::usePresetFolder (const juce::File& dir)
{
    if (! dir.isDirectory())
    {
        showMessage (folderFailedText);
        return false;
    }

    const bool remembered = presets::setCustomPresetFolder (dir, presets::defaultSettingsFile());
    library.setUserDir (dir);
    library.loadFavorites();
    library.rescanUser();
    rebuildBrowseOrderFromLibrary();

    // The folder is in use either way; the message says it will not be next time.
    if (! remembered)
        showMessage (settingsFailedText);
    return remembered;
}

bool PresetPanelComponent::toggleFavorite()
{
    const auto id = currentPatchId();
    if (library.isFavorite (id))
    {
        if (library.removeFavorite (id))
            return true;
        showMessage (favoritesFailedText);
        return false;
    }

    if (! presets::PresetLibrary::isStorableId (id))
    {
        showMessage (favoriteRefusedText);
        return false;
    }
    if (library.addFavorite (id))
        return true;
    showMessage (favoritesFailedText);
    return false;
}

void PresetPanelComponent::revealPresetFolder()
{
    // The default folder only exists once something was saved into it.
    const auto dir = library.getUserDir();
    if (dir == juce::File() || dir.createDirectory().failed())
    {
        showMessage (folderFailedText);
        return;
    }
    dir.revealToUser();
}

void PresetPanelComponent::refreshLibrary()
{
    library.rescanUser();
    rebuildBrowseOrderFromLibrary();
}

//==============================================================================
void PresetPanelComponent::resized()
{
    prevButton.setBounds (0, 0, 22, 26);
    nextButton.setBounds (22, 0, 22, 26);
    nameLabel.setBounds (46, 0, std::max (getWidth() - 46, 0), 26);
}

void PresetPanelComponent::paint (juce::Graphics& g)
{
    const auto area = juce::Rectangle<float> (0.0f, 1.0f, static_cast<float> (getWidth()),
                                              static_cast<float> (std::max (getHeight() - 2, 0)));
    g.setColour (Col::bg1);
    g.fillRoundedRectangle (area, 5.0f);
    g.setColour (Col::b1);
    g.drawRoundedRectangle (area, 5.0f, 0.5f);
}

void PresetPanelComponent::mouseDown (const juce::MouseEvent& e)
{
    if (e.eventComponent == &nameLabel)
        showPresetMenu();
}
