#include "host/XScreen.h"

// Xlib's macros (None, Bool, Status ...) stay in this file.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <functional>

namespace testsupport
{
XScreen::XScreen()
    : display (XOpenDisplay (nullptr))
{
    int event = 0, error = 0, major = 0, minor = 0;
    canFakeInput = display != nullptr && XTestQueryExtension (display, &event, &error, &major, &minor);
}

XScreen::XScreen (const juce::String& displayName)
    : display (XOpenDisplay (displayName.toRawUTF8()))
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

namespace
{
// The top-level windows (children of the root) whose _NET_WM_PID is the
// process id.
std::vector<Window> topLevelsOf (Display* display, int processId)
{
    std::vector<Window> found;
    const auto pidAtom = XInternAtom (display, "_NET_WM_PID", False);
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree (display, DefaultRootWindow (display), &root, &parent, &children, &count) == 0)
        return found;
    for (unsigned int i = 0; i < count; ++i)
    {
        Atom type = 0;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty (display, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &items, &after,
                                &data)
                == Success
            && data != nullptr)
        {
            if (items == 1 && format == 32 && static_cast<int> (*reinterpret_cast<unsigned long*> (data)) == processId)
                found.push_back (children[i]);
            XFree (data);
        }
    }
    if (children != nullptr)
        XFree (children);
    return found;
}
} // namespace

std::vector<juce::Rectangle<int>> XScreen::windowsOf (int processId) const
{
    std::vector<juce::Rectangle<int>> shown;
    if (display == nullptr)
        return shown;
    XSync (display, False);
    // Windows of another client may go while they are read: Xlib's default
    // handler would end the test program on the BadWindow that follows.
    const auto previous = XSetErrorHandler ([] (Display*, XErrorEvent*) { return 0; });
    std::function<void (Window)> visit = [&] (Window w) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes (display, w, &attributes) == 0 || attributes.map_state != IsViewable)
            return;
        int x = 0, y = 0;
        Window child = 0;
        XTranslateCoordinates (display, w, DefaultRootWindow (display), 0, 0, &x, &y, &child);
        shown.push_back ({ x, y, attributes.width, attributes.height });
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (XQueryTree (display, w, &root, &parent, &children, &count) != 0)
        {
            for (unsigned int i = 0; i < count; ++i)
                visit (children[i]);
            if (children != nullptr)
                XFree (children);
        }
    };
    for (const auto w : topLevelsOf (display, processId))
        visit (w);
    XSync (display, False);
    XSetErrorHandler (previous);
    return shown;
}

void XScreen::closeWindowsOf (int processId)
{
    if (display == nullptr)
        return;
    const auto protocols = XInternAtom (display, "WM_PROTOCOLS", False);
    const auto deleteWindow = XInternAtom (display, "WM_DELETE_WINDOW", False);
    for (const auto w : topLevelsOf (display, processId))
    {
        XEvent event {};
        event.xclient.type = ClientMessage;
        event.xclient.window = w;
        event.xclient.message_type = protocols;
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long> (deleteWindow);
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent (display, w, False, NoEventMask, &event);
    }
    XFlush (display);
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
