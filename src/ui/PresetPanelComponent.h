#pragma once

#include "presets/PresetLibrary.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

// The preset bar: "<" and ">" step through every preset in browse order, a
// click on the name opens the preset menu (favourites, the folder tree of
// factory and user presets, save, favourite, default and folder commands).
// The name carries a "*" once one of the sound-shaping parameters changed
// since the patch was loaded or saved.
//
// The file choosers are thin shells around saveAs, openPresetFile and
// usePresetFolder, which do the work. Every failed file operation is shown in
// the name display until its next refresh.
class PresetPanelComponent : public juce::Component, private juce::AudioProcessorValueTreeState::Listener
{
public:
    // isAutomaticChange tells whether a parameter change reported on the
    // calling thread is one the user did not make (a value following a rule,
    // such as the predelay following the tempo): such changes leave the patch
    // unmodified. It is called on whatever thread changes a parameter, the
    // audio thread included.
    PresetPanelComponent (juce::AudioProcessorValueTreeState& state, presets::PresetLibrary& library,
                          std::function<bool()> isAutomaticChange = {});
    ~PresetPanelComponent() override;

    // Set by the editor: applies a patch to the processor's parameters.
    std::function<void (const presets::Patch&)> applyPatchCallback;
    // Set by the editor: every parameter's normalised value by ID.
    std::function<juce::var()> currentParamsCallback;
    // Set by the editor: told the name and folder after a successful save,
    // which may have renamed the current patch.
    std::function<void (const juce::String& name, const juce::String& folder)> onPatchSaved;

    void setCurrentPatchDisplay (const juce::String& name, const juce::String& folder);

    // Applies the preset delta places away in browse order (both ends wrap).
    void stepPreset (int delta);

    //==============================================================================
    // The menu, its item ids, and what each item does.
    enum MenuId
    {
        headerItem = 9001,
        saveAsItem = 9002,
        favoriteItem = 9003,
        saveAsDefaultItem = 9010,
        openOtherItem = 9011,
        changeFolderItem = 9012,
        organizeItem = 9013,
        refreshItem = 9014,
        saveOverwriteItem = 9015
    };

    void showPresetMenu();
    // The menu as showPresetMenu shows it; patch items get the ids 1, 2, ...
    juce::PopupMenu buildPresetMenu();
    void handleMenuResult (int result);
    bool isMenuOpen() const noexcept { return menuOpen; }

    // Shows menus inside this component instead of a window of their own
    // (renderers that draw the editor without a desktop use it).
    void setMenuParent (juce::Component* parent) noexcept { menuParent = parent; }

    //==============================================================================
    // "Save (Overwrite)": saves under the current name into the user preset
    // folder, at the place the library's user-file rule gives for the
    // current folder and name (never a path taken from a file's content).
    bool savePatchInPlace();

    // "Save As...": the chooser, then saveAs with the chosen file.
    void showSaveDialog();
    // Saves to the chosen file (".json" added when missing), inside the user
    // preset folder or anywhere else the user picked.
    bool saveAs (const juce::File& chosen);

    // "Save As Default": the current id becomes the default patch.
    bool saveAsDefault();

    // "Open Other Preset...": the chooser, then openPresetFile.
    void openOtherPreset();
    // Applies a preset file from anywhere, without adding it to the library.
    bool openPresetFile (const juce::File& file);

    // "Change Preset Folder...": the chooser, then usePresetFolder.
    void changePresetFolder();
    // Makes dir the user preset folder, for this session and the next.
    bool usePresetFolder (const juce::File& dir);

    // "Add to Favorites" / "Remove from Favorites" for the current id.
    bool toggleFavorite();

    // "Refresh": rescans the user preset folder.
    void refreshLibrary();

    void rebuildBrowseOrderFromLibrary();
    void updateNameLabel();
    juce::String currentPatchId() const;

    // Takes parameter changes reported from other threads (host automation);
    // the editor's refresh timer calls it.
    void takePendingChanges();

    //==============================================================================
    const juce::String& getCurrentName() const noexcept { return currentName; }
    const juce::String& getCurrentFolder() const noexcept { return currentFolder; }
    bool isModified() const noexcept { return modified; }
    const std::vector<juce::String>& getBrowseIds() const noexcept { return browseIds; }
    juce::Label& getNameLabel() noexcept { return nameLabel; }
    juce::TextButton& getPrevButton() noexcept { return prevButton; }
    juce::TextButton& getNextButton() noexcept { return nextButton; }

    // The parameters whose changes mark the patch as modified.
    static const std::array<const char*, 33> watchedParameterIds;

    // What the name display shows when a file operation fails.
    static constexpr const char* saveFailedText = "SAVE FAILED";
    static constexpr const char* openTooLargeText = "OPEN FAILED: FILE TOO LARGE";
    static constexpr const char* openNotPresetText = "OPEN FAILED: NOT A PRESET";
    static constexpr const char* openFailedText = "OPEN FAILED";
    static constexpr const char* favoritesFailedText = "FAVORITES NOT SAVED";
    static constexpr const char* favoriteRefusedText = "NAME CANNOT BE A FAVORITE";
    static constexpr const char* defaultFailedText = "DEFAULT NOT SAVED";
    static constexpr const char* settingsFailedText = "SETTINGS NOT SAVED";
    static constexpr const char* folderFailedText = "FOLDER NOT AVAILABLE";

    void paint (juce::Graphics&) override;
    void resized() override;
    void mouseDown (const juce::MouseEvent&) override;

private:
    void parameterChanged (const juce::String& parameterID, float newValue) override;

    void applyAndShow (const presets::Patch& patch);
    void showSaved (const juce::File& saved, const juce::String& folder);
    void showMessage (const juce::String& text);
    void markModified();
    juce::var currentParams() const;
    void revealPresetFolder();

    juce::AudioProcessorValueTreeState& state;
    presets::PresetLibrary& library;
    // Set before the parameter listeners are added, never changed after.
    const std::function<bool()> isAutomaticChange;

    juce::Label nameLabel;
    juce::TextButton prevButton { "<" };
    juce::TextButton nextButton { ">" };

    juce::String currentName { "INIT" };
    juce::String currentFolder;
    bool modified = false;
    std::atomic<bool> applying { false };
    std::atomic<bool> changedElsewhere { false };

    std::vector<juce::String> watchedIds;
    std::vector<juce::String> browseIds;
    // Copies, so that a rescan while the menu is open leaves nothing dangling.
    std::vector<presets::Patch> menuPatches;
    bool menuOpen = false;
    juce::Component* menuParent = nullptr;
    std::unique_ptr<juce::FileChooser> chooser;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PresetPanelComponent)
};
