#pragma once

#include "ParameterSettings.h"
#include "plugin/PluginProcessor.h"

#include <vector>

// The sound a tool starts from, set on a processor of its own: a factory or
// user preset, or a state file saved by the plug-in, then parameter settings
// on top. The tools share these steps so they accept and refuse the same
// things with the same words.
namespace soundsetup
{
// Applies the preset with this id. An unknown id fails with the closest ids
// suggested.
juce::Result applyPreset (MassDelayAudioProcessor& processor, const juce::String& id);

// Reads a state file and restores it. Fails for a file that cannot be read
// and for one that holds no Twist Delay state (an audio file, a preset's
// JSON, another plug-in's state), which would otherwise leave the defaults.
juce::Result applyStateFile (MassDelayAudioProcessor& processor, const juce::File& file);

// Sets each parameter, in order, as a host would.
void applySettings (MassDelayAudioProcessor& processor, const std::vector<ParameterSetting>& settings);
} // namespace soundsetup
