#include "host/XScreen.h"

// Xlib's macros (None, Bool, Status ...) stay in this file.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <algorithm>

namespace testsupport
{
XScreen::XScreen()
    : display (XOpenDisplay (nullptr))
{
    int event = 0, error = 0, major = 0, minor = 0;
    canFakeInput = display != nullptr && XTestQueryExtension (display, &event, &error, &major, &minor);
}

XScreen::~XScreen()
{
    if (display != nullptr)
        XCloseDisplay (display);
}

juce::Image XScreen::grab (juce::Rectangle<int> area) const
{
    juce::Image image (juce::Image::ARGB, std::max (area.getWidth(), 1), std::max (area.getHeight(), 1), true);
    if (display == nullptr)
        return image;

    XSync (display, False);
    auto* x = XGetImage (display, DefaultRootWindow (display), area.getX(), area.getY(),
                         static_cast<unsigned int> (area.getWidth()), static_cast<unsigned int> (area.getHeight()),
                         AllPlanes, ZPixmap);
    if (x == nullptr)
        return image;

    // A channel of a pixel by its mask, scaled to 8 bits.
    auto channel = [] (unsigned long pixel, unsigned long mask) {
        if (mask == 0)
            return juce::uint8 (0);
        int shift = 0;
        while (((mask >> shift) & 1u) == 0)
            ++shift;
        const auto max = mask >> shift;
        return static_cast<juce::uint8> (((pixel & mask) >> shift) * 255u / max);
    };
    for (int py = 0; py < area.getHeight(); ++py)
        for (int px = 0; px < area.getWidth(); ++px)
        {
            const auto pixel = XGetPixel (x, px, py);
            image.setPixelAt (px, py,
                              juce::Colour (channel (pixel, x->red_mask), channel (pixel, x->green_mask),
                                            channel (pixel, x->blue_mask)));
        }
    XDestroyImage (x);
    return image;
}

void XScreen::moveTo (juce::Point<int> p)
{
    XTestFakeMotionEvent (display, -1, p.x, p.y, CurrentTime);
    XFlush (display);
}

void XScreen::press (bool down)
{
    XTestFakeButtonEvent (display, 1, down ? True : False, CurrentTime);
    XFlush (display);
}
} // namespace testsupport
