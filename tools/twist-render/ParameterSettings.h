#pragma once

#include <juce_core/juce_core.h>

#include <optional>

// One --set ID=VALUE: a parameter of the plug-in and a value in the
// parameter's own (raw) units.
struct ParameterSetting
{
    int index = -1; // position in params::table
    juce::String id;
    float value = 0.0f;

    // Parses "ID=VALUE". Unknown IDs fail with the closest IDs suggested;
    // values that are not numbers of the parameter's kind fail (switches take
    // 1/on/true/yes and 0/off/false/no, in any case); values outside the range
    // are clamped, with a warning added to warnings.
    static juce::Result parse (const juce::String& text, ParameterSetting& result, juce::StringArray& warnings);
};

// A whole, finite decimal number and nothing else ("1e3" and " 2 " included,
// "2x", "nan" and "" not).
std::optional<double> parseNumber (const juce::String& text);
