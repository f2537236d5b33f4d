#pragma once

#include <juce_graphics/juce_graphics.h>

// Line drawings of the LFO shapes, in a 14 x 14 unit box with y growing
// downward: 0 sine, 1 triangle, 2 square, 3 and 4 the two saws, 5 stepped
// random, 6 smooth random. Any other number draws the sine.
struct ShapeIcons
{
    static juce::Path get (int shape);

    // Three open humps of decreasing height, for the smooth random shape.
    static juce::Path randomSmooth();

    // Strokes the shape's path 1.2 px wide in colour, scaled uniformly to
    // fill area as far as it fits and centred in it.
    static void paint (juce::Graphics&, int shape, juce::Rectangle<float> area, juce::Colour colour);
};
