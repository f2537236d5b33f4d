#include "presets/PresetSettings.h"

#include "presets/PresetLibrary.h"
#include "presets/SafeFileWrite.h"
#include "presets/UntrustedJson.h"

#include <cmath>
#include <cstdlib>
#include <mutex>

namespace presets
{
namespace
{
struct FolderOverride
{
    std::mutex mutex;
    juce::File folder;
};

FolderOverride& folderOverride()
{
    static FolderOverride instance;
    return instance;
}

// Writes one key, keeping the others.
bool storeSetting (const juce::File& settingsFile, const juce::Identifier& key, const juce::var& value)
{
    auto settings = loadSettings (settingsFile);
    settings.getDynamicObject()->setProperty (key, value);
    return saveSettings (settingsFile, settings);
}
} // namespace

juce::File programFolder()
{
    auto& o = folderOverride();
    const std::lock_guard<std::mutex> lock (o.mutex);
    if (o.folder != juce::File())
        return o.folder;
    return juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory).getChildFile ("TwistDelay");
}

void setProgramFolderOverride (const juce::File& folder)
{
    auto& o = folderOverride();
    const std::lock_guard<std::mutex> lock (o.mutex);
    o.folder = folder;
}

juce::File defaultSettingsFile()
{
    return programFolder().getChildFile ("settings.json");
}

juce::File defaultPresetDirectory()
{
    return programFolder().getChildFile ("Presets");
}

juce::var loadSettings (const juce::File& settingsFile)
{
    if (settingsFile.existsAsFile())
    {
        auto parsed = untrustedJson::parse (settingsFile.loadFileAsString());
        if (parsed.getDynamicObject() != nullptr)
            return parsed;
    }
    return juce::var (new juce::DynamicObject());
}

bool saveSettings (const juce::File& settingsFile, const juce::var& settings)
{
    if (settingsFile == juce::File() || settingsFile.getParentDirectory().createDirectory().failed())
        return false;
    return replaceFileWithText (settingsFile, juce::JSON::toString (settings, false, 15));
}

juce::File getCustomPresetFolder (const juce::File& settingsFile)
{
    const auto value = loadSettings (settingsFile).getProperty ("presetFolder", {});
    if (! value.isString())
        return {};

    const auto path = value.toString();
    if (path.isEmpty() || ! juce::File::isAbsolutePath (path))
        return {};
    return juce::File (path);
}

bool setCustomPresetFolder (const juce::File& folder, const juce::File& settingsFile)
{
    return storeSetting (settingsFile, "presetFolder", folder.getFullPathName());
}

juce::String getDefaultPatchId (const juce::File& settingsFile)
{
    const auto settings = loadSettings (settingsFile);
    if (! settings.hasProperty ("defaultPatchId"))
        return fallbackPatchId;
    return settings.getProperty ("defaultPatchId", {}).toString();
}

bool setDefaultPatchId (const juce::String& id, const juce::File& settingsFile)
{
    return storeSetting (settingsFile, "defaultPatchId", id);
}

const Patch* resolveDefaultPatch (const PresetLibrary& library, const juce::File& settingsFile)
{
    const auto id = getDefaultPatchId (settingsFile);
    if (const auto* patch = library.findById (id))
        return patch;
    if (id != fallbackPatchId)
        return library.findById (fallbackPatchId);
    return nullptr;
}

bool getMixLock (const juce::File& settingsFile)
{
    const auto value = loadSettings (settingsFile).getProperty ("mixLock", {});
    if (value.isBool() || value.isInt() || value.isInt64())
        return static_cast<bool> (value);
    if (value.isDouble())
        return std::isfinite (static_cast<double> (value)) && static_cast<double> (value) != 0.0;
    return false;
}

void setMixLock (bool locked, const juce::File& settingsFile)
{
    storeSetting (settingsFile, "mixLock", locked);
}

int nearestZoomStep (int percent)
{
    int best = zoomSteps[0];
    for (const int step : zoomSteps)
        if (std::abs (step - percent) < std::abs (best - percent))
            best = step;
    return best;
}

int getZoomPercent (const juce::File& settingsFile)
{
    const auto value = loadSettings (settingsFile).getProperty ("zoom", {});
    if (value.isInt() || value.isInt64() || value.isDouble())
    {
        const auto d = static_cast<double> (value);
        for (const int step : zoomSteps)
            if (d == static_cast<double> (step))
                return step;
    }
    return zoomSteps[0];
}

void setZoomPercent (int percent, const juce::File& settingsFile)
{
    storeSetting (settingsFile, "zoom", nearestZoomStep (percent));
}

juce::File userPresetDirectory (const juce::File& settingsFile)
{
    const auto custom = getCustomPresetFolder (settingsFile);
    if (custom != juce::File() && custom.isDirectory())
        return custom;
    return defaultPresetDirectory();
}
} // namespace presets
