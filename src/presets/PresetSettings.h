#pragma once

#include <juce_core/juce_core.h>

namespace presets
{
class PresetLibrary;
struct Patch;

// The per-user settings file ("settings.json" in the program's folder) and
// the folders derived from it. Every call reads or writes the file; nothing
// is cached. Message thread only.
//
// Known keys: "presetFolder" (full path of a custom user preset folder),
// "defaultPatchId" (the patch a new instance loads), "mixLock" (whether
// preset loads, the Random action and history steps keep the dry/wet mix)
// and "zoom" (the editor's size in percent). Other keys are kept when the
// file is rewritten.

// The id of the patch used when no other default is stored or found.
inline constexpr const char* fallbackPatchId = "Traditional/INIT PATCH";

// The program's folder: "TwistDelay" in the user application-data directory.
juce::File programFolder();

// Points the program's folder somewhere else (tests use a temporary folder so
// that they never touch the user's own files); an empty File restores the
// real location.
void setProgramFolderOverride (const juce::File& folder);

juce::File defaultSettingsFile();

// "Presets" in the program's folder. Not created here.
juce::File defaultPresetDirectory();

// The settings object: the file's JSON object, or a new empty object when
// the file is missing, unreadable or holds anything but an object.
juce::var loadSettings (const juce::File& settingsFile);

// Writes the object in one step, creating the folder if needed; false on failure.
bool saveSettings (const juce::File& settingsFile, const juce::var& settings);

// The stored custom preset folder, or an empty File when none (or no
// absolute path) is stored. Does not check that the folder exists.
juce::File getCustomPresetFolder (const juce::File& settingsFile);
// The writers return false when the file could not be written.
bool setCustomPresetFolder (const juce::File& folder, const juce::File& settingsFile);

// The stored default patch id, fallbackPatchId when none is stored.
juce::String getDefaultPatchId (const juce::File& settingsFile);
bool setDefaultPatchId (const juce::String& id, const juce::File& settingsFile);

// The stored default patch, else the fallback patch, else null.
const Patch* resolveDefaultPatch (const PresetLibrary& library, const juce::File& settingsFile);

// The mix lock: off unless the file holds true (or a non-zero number).
bool getMixLock (const juce::File& settingsFile);
void setMixLock (bool locked, const juce::File& settingsFile);

// The editor zoom steps in percent; the first is the size a missing or
// unknown value gives.
inline constexpr int zoomSteps[] = { 100, 125, 150, 175, 200 };

// The stored zoom when it is one of zoomSteps, else 100.
int getZoomPercent (const juce::File& settingsFile);
// Stores the step nearest to percent.
void setZoomPercent (int percent, const juce::File& settingsFile);
// The step of zoomSteps nearest to percent (the lower one on a tie).
int nearestZoomStep (int percent);

// The custom preset folder when it names an existing directory, otherwise
// the default preset directory.
juce::File userPresetDirectory (const juce::File& settingsFile);
} // namespace presets
