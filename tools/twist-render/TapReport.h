#pragma once

#include "dsp/TapEngine.h"

#include <juce_core/juce_core.h>

// The tap set in words: a table for the terminal and a JSON document. Taps
// are numbered from 1; gains are given in dB (-inf for a silent tap, null in
// JSON) and as the linear factor.
namespace tapreport
{
juce::String table (const TapSet& taps);

// {"count", "sampleRate", "bpm", "taps": [{"index", "timeMs", "gain", "gainDb", "waveDiff"}]}
juce::var toJson (const TapSet& taps, double sampleRate, double bpm);

// The gain in dB, or -infinity for 0.
double gainDb (float gain);
} // namespace tapreport
