#pragma once

#include "ToolCli.h"

#include <juce_core/juce_core.h>

#include <optional>

// One --set ID=VALUE: a parameter of the plug-in and the raw value the
// text gives it (see ParameterUnits.h for how values are written).
struct ParameterSetting
{
    int index = -1; // position in params::table
    juce::String id;
    float value = 0.0f;

    // Parses "ID=VALUE". Unknown IDs fail with the closest IDs suggested
    // (exit status 1, like an unknown preset); text that is not ID=VALUE and
    // values the parameter cannot take are malformed (status 2); values
    // outside the range are clamped, with a warning added to warnings.
    static std::optional<cli::Problem> parse (const juce::String& text, ParameterSetting& result,
                                              juce::StringArray& warnings);
};

// "unknown parameter 'x'; did you mean ...?" for an id no parameter has.
juce::String unknownParameter (const juce::String& id);

// A whole, finite decimal number and nothing else ("1e3" and " 2 " included,
// "2x", "nan" and "" not).
std::optional<double> parseNumber (const juce::String& text);
