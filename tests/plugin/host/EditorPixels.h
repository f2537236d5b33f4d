#pragma once

#include "params/ParameterTable.h"

#include <juce_graphics/juce_graphics.h>

// Where the plug-in's window shows the Master fader's thumb, in the window's
// own pixels, wherever a host shows it (HostedSession.h has the rest of what
// the tests read from the screen).
namespace testsupport
{
// The rows of column x (within [top, bottom)) showing the fader's white
// thumb; their middle, or -1 when there is none.
inline float whiteRunCentre (const juce::Image& image, int x, int top, int bottom)
{
    int first = -1, last = -1;
    for (int y = top; y < bottom; ++y)
        if (image.getPixelAt (x, y).getBrightness() > 0.93f && image.getPixelAt (x, y).getSaturation() < 0.1f)
        {
            first = first < 0 ? y : first;
            last = y;
        }
    return first < 0 ? -1.0f : (static_cast<float> (first) + static_cast<float> (last) + 1.0f) / 2.0f;
}

// Where the fader puts its thumb for a Master level: 11 pixels (the thumb
// radius) inside either end of its 101-pixel travel at y = 73, along the
// parameter's own skewed range. (Hosts normalise differently: an LV2 host
// linearly over the port's range.)
inline float faderThumbY (float dB)
{
    for (const auto& d : params::table)
        if (d.id == params::id::master)
        {
            const juce::NormalisableRange<float> range (d.min, d.max, d.interval, d.skew, d.symmetricSkew);
            return 73.0f + 11.0f + (1.0f - range.convertTo0to1 (dB)) * 79.0f;
        }
    return -1.0f;
}
} // namespace testsupport
