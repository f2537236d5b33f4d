#pragma once

#include "presets/PresetLibrary.h"

#include <juce_core/juce_core.h>

// What --list-presets and --list-params print, as text or JSON.
namespace listings
{
// Every preset id the renderer accepts, factory first (in the preset
// menu's order), then user presets; a user preset that shares a factory
// id is listed once, as the user's.
juce::String presets (const presets::PresetLibrary& library, bool json);

// Every parameter: id, name, kind, raw range, default (shown and raw) and
// the values --set takes, in host order.
juce::String parameters (bool json);
} // namespace listings
