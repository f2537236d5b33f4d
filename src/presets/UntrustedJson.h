#pragma once

#include <juce_core/juce_core.h>

namespace presets
{
// JSON from a file anyone could have written (a user's preset, settings.json).
// JUCE's parser recurses once per bracket level and reads numbers into plain
// integers: deep nesting exhausts the stack and a long run of digits
// overflows. Text that could do either is refused before it is parsed; files
// this program writes never come close to either limit.
namespace untrustedJson
{
// Brackets nesting deeper than this are refused (presets nest two levels).
constexpr int maxNesting = 64;
// An integer part longer than this (leading zeros aside) is refused: 18
// digits always fit a 64-bit integer, so 64-bit seeds still read.
constexpr int maxIntegerDigits = 18;
// An exponent longer than this (leading zeros aside) is refused; four digits
// already reach far beyond a double's range.
constexpr int maxExponentDigits = 4;

// Whether the text stays within the limits above (brackets and digits inside
// strings do not count).
bool withinLimits (const juce::String& text);

// The parsed text, or void when it is outside the limits or not JSON.
juce::var parse (const juce::String& text);
} // namespace untrustedJson
} // namespace presets
