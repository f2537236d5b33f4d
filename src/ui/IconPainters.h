#pragma once

#include <juce_graphics/juce_graphics.h>

// The small vector icons of the main buttons and the density strip. Each one
// is drawn centred in the area, scaled uniformly from its own design grid, in
// the given colour, and returns the width it took (grid width times scale).
// They fit MdButton::iconPainter as plain function pointers.
struct IconPainters
{
    static float sync (juce::Graphics&, juce::Rectangle<float> area, juce::Colour);     // beamed note, 14 x 12
    static float flip (juce::Graphics&, juce::Rectangle<float> area, juce::Colour);     // opposed arrows, 16 x 12
    static float twistRev (juce::Graphics&, juce::Rectangle<float> area, juce::Colour); // star, 14 x 14
    static float dice (juce::Graphics&, juce::Rectangle<float> area, juce::Colour);     // die face, 14 x 14
    static float lock (juce::Graphics&, juce::Rectangle<float> area, juce::Colour);     // padlock, 11 x 11
};
