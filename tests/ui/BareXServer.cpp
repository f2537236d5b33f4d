// Test-process set-up for X servers without a window manager (Xvfb as the
// test runner starts it). JUCE's X11 windows use the window-manager atoms
// WM_PROTOCOLS and friends only "if they exist", and on a server no window
// manager has touched they do not: creating a desktop window (a call-out box)
// then fails with BadAtom and Xlib ends the process. Interning them here,
// before JUCE opens its own connection, makes them exist. On a desktop with a
// window manager this changes nothing.
#include <X11/Xlib.h>

namespace
{
struct WindowManagerAtoms
{
    WindowManagerAtoms()
    {
        display = XOpenDisplay (nullptr);
        if (display == nullptr)
            return;

        const char* const names[] = { "WM_PROTOCOLS", "WM_TAKE_FOCUS",   "WM_DELETE_WINDOW",
                                      "_NET_WM_PING", "WM_CHANGE_STATE", "WM_STATE" };
        for (const auto* name : names)
            XInternAtom (display, name, False);
        XSync (display, False);
    }

    ~WindowManagerAtoms()
    {
        if (display != nullptr)
            XCloseDisplay (display);
    }

    WindowManagerAtoms (const WindowManagerAtoms&) = delete;
    WindowManagerAtoms& operator= (const WindowManagerAtoms&) = delete;

    // Kept open for the life of the process: a server without other clients
    // resets (and forgets its atoms) when its last connection closes.
    Display* display = nullptr;
};

const WindowManagerAtoms atoms;
} // namespace
