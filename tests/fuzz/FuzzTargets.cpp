#include "FuzzTargets.h"

#include "plugin/PluginProcessor.h"
#include "presets/PresetSettings.h"

#include <cstdlib>

namespace fuzzing
{
const std::vector<Target>& targets()
{
    static const std::vector<Target> all {
        { "state_blob", stateBlob },
        { "preset_file", presetFile },
        { "settings_file", settingsFile },
        { "favorites_file", favoritesFile },
        { "slider_text", sliderText },
        { "parameter_text", parameterText },
        { "render_command_line", renderCommandLine },
    };
    return all;
}

const Target* findTarget (const std::string& name)
{
    for (const auto& t : targets())
        if (name == t.name)
            return &t;
    return nullptr;
}

namespace
{
juce::File& sandboxFolder()
{
    static juce::File folder;
    return folder;
}

void removeSandbox()
{
    if (sandboxFolder() != juce::File())
        sandboxFolder().deleteRecursively();
}
} // namespace

void setUpSandbox()
{
    auto& folder = sandboxFolder();
    if (folder != juce::File())
        return;

    folder = juce::File::getSpecialLocation (juce::File::tempDirectory)
                 .getChildFile ("twist-delay-fuzz-" + juce::Uuid().toString());
    folder.createDirectory();
    presets::setProgramFolderOverride (folder);
    MassDelayAudioProcessor::setApplyDefaultPatchAtStartup (false);
    std::atexit (removeSandbox);
}
} // namespace fuzzing
