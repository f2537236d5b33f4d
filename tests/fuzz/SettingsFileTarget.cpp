// settings.json: read as a new instance reads it (user preset folder and
// default patch, which is then applied), then rewritten by the two setters.

#include "FuzzChecks.h"
#include "presets/PresetLibrary.h"
#include "presets/PresetSettings.h"

namespace fuzzing
{
namespace
{
const presets::PresetLibrary& factoryLibrary()
{
    static const presets::PresetLibrary library = [] {
        presets::PresetLibrary l;
        l.loadFactoryFromBinaryData();
        return l;
    }();
    return library;
}
} // namespace

Outcome settingsFile (const std::uint8_t* data, std::size_t size)
{
    auto& w = world();
    auto& proc = w.processor;
    w.startFresh();

    const auto file = presets::defaultSettingsFile();
    if (! file.replaceWithData (data, size))
        return {};

    const auto settings = presets::loadSettings (file);
    auto* object = settings.getDynamicObject();
    if (object == nullptr)
        return "the settings are not an object";

    const auto folder = presets::userPresetDirectory (file);
    if (folder != presets::defaultPresetDirectory() && ! folder.isDirectory())
        return ("the user preset folder " + quote (folder.getFullPathName()) + " is no folder").toStdString();

    const auto* patch = presets::resolveDefaultPatch (factoryLibrary(), file);
    if (patch == nullptr)
        return "no default patch although the factory bank has its fallback";
    proc.applyPatch (*patch);
    if (auto o = checkParameters (proc, "after applying the default patch"); ! o.empty())
        return o;

    // Each setter changes its own key and keeps every other one.
    presets::setDefaultPatchId ("Fuzzed/Default", file);
    const auto custom = presets::programFolder().getChildFile ("Custom Presets");
    presets::setCustomPresetFolder (custom, file);

    if (presets::getDefaultPatchId (file) != "Fuzzed/Default")
        return "the default patch id did not survive setting the preset folder";
    if (presets::getCustomPresetFolder (file) != custom)
        return "the preset folder was not stored";

    const auto rewritten = presets::loadSettings (file);
    for (const auto& property : object->getProperties())
    {
        const auto name = property.name.toString();
        if (name == "defaultPatchId" || name == "presetFolder")
            continue;
        if (! rewritten.hasProperty (property.name))
            return ("the key " + quote (name) + " was lost when the settings were rewritten").toStdString();
        if (property.value.isString() && rewritten.getProperty (property.name, {}) != property.value)
            return ("the text of the key " + quote (name) + " changed when the settings were rewritten").toStdString();
    }
    return {};
}
} // namespace fuzzing
