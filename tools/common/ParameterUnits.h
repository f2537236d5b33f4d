#pragma once

#include <juce_core/juce_core.h>

#include <optional>

// How a parameter's value is written on a command line: in the unit the
// editor shows it in ("200 Hz", "350 ms", "1.5 s", "1/8", "-6 dB", "40%"),
// read by the editor's own typed-entry rules, or as the raw position the
// plug-in stores when written "raw:VALUE".
namespace units
{
// The prefix that marks a raw position ("raw:434.59").
inline constexpr const char* rawPrefix = "raw:";

// The raw value that text gives the parameter at index (a position in
// params::table), before any clamping to its raw range; nothing when the
// text is not a value of that parameter (`expected` then says what would
// be). A time, rate or frequency beyond what the control covers is taken at
// the nearer end, with `outside` set.
std::optional<double> read (int index, const juce::String& text, juce::String& expected, bool& outside);

// The parameter's value text for a raw value, as the editor shows it (time
// and rate parameters as times and rates, unsynced).
juce::String show (int index, double raw);

// What a value of the parameter is written as besides "raw:": "Hz", "ms or
// s, or a note (1/8)", "on or off", ...
juce::String accepted (int index);
} // namespace units
