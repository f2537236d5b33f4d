#pragma once

#include <juce_core/juce_core.h>

// The text of a master level, shared by the master fader and the Master
// read-out overlay.
namespace faderscale
{
// "-∞ dB" at -60 dB and below, else the level with one decimal and its sign:
// "+3.0 dB", "-6.0 dB", and "0.0 dB" (no sign) for 0.
juce::String formatMoutDb (float dB);
} // namespace faderscale
