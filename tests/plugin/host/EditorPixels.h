#pragma once

#include "params/ParameterTable.h"

#include <juce_graphics/juce_graphics.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>

// What the tests read from a screen shot of the plug-in's window, in the
// window's own pixels, wherever a host shows it.
namespace testsupport
{
// Pixels of an area within tolerance (per channel) of a colour.
inline int countNear (const juce::Image& image, juce::Rectangle<int> area, juce::Colour colour, int tolerance)
{
    int n = 0;
    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
        {
            const auto c = image.getPixelAt (x, y);
            const int d =
                std::max ({ std::abs (c.getRed() - colour.getRed()), std::abs (c.getGreen() - colour.getGreen()),
                            std::abs (c.getBlue() - colour.getBlue()) });
            n += d <= tolerance ? 1 : 0;
        }
    return n;
}

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

// Keeps a picture in build/snapshots/host/ for a person to look at.
inline bool savePng (const juce::Image& image, const juce::String& name)
{
    const juce::File folder (TWIST_HOST_SNAPSHOT_DIR);
    folder.createDirectory();
    const auto file = folder.getChildFile (name);
    file.deleteFile();
    juce::FileOutputStream out (file);
    juce::PNGImageFormat png;
    const bool ok = out.openedOk() && png.writeImageToStream (image, out);
    std::cout << "hosted editor snapshot: " << file.getFullPathName() << std::endl;
    return ok;
}
} // namespace testsupport
