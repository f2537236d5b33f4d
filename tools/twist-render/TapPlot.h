#pragma once

#include "dsp/TapEngine.h"

#include <juce_graphics/juce_graphics.h>

// A picture of the tap layout: time runs left to right from 0, each tap is
// one bar at its time, as tall as its gain on a dB scale from -60 to +6 dB
// (silent taps sit as a stub on the floor). Drawn with JUCE's software
// renderer, so it needs no display.
namespace tapplot
{
constexpr int width = 1200;
constexpr int height = 480;
constexpr double floorDb = -60.0;
constexpr double ceilingDb = 6.0;

// The bars' colour; nothing else in the picture has it.
juce::Colour barColour();

juce::Image draw (const TapSet& taps, const juce::String& title);

bool writePng (const juce::Image& image, const juce::File& file);
} // namespace tapplot
