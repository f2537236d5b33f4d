// Test-process set-up for the X server the window tests share (Xvfb as the
// test runner starts it, with several test programs on it at once and no
// window manager).
//
// Window-manager atoms: JUCE's X11 windows use WM_PROTOCOLS and friends only
// "if they exist", and on a server no window manager has touched they do
// not: creating a desktop window (a call-out box) then fails with BadAtom and
// Xlib ends the process. Interning them here, before JUCE opens its own
// connection, makes them exist. On a desktop with a window manager this
// changes nothing.
//
// Windows of other programs: the input focus is the server's, so JUCE may be
// told that a window of another test program has it and then ask the server
// about that window (XQueryTree, when it checks whether its own window holds
// the focus). If the other program destroys the window in between, the
// question fails with BadWindow, and Xlib's default handler ends the test
// program. JUCE ignores X errors in its own applications, and plug-in hosts
// install handlers of their own; a test program has neither, so it ignores
// a BadWindow answer to a question about a window here. Every other X error
// still goes to Xlib's default handler and ends the program.
#include <X11/Xlib.h>
#include <X11/Xproto.h>

namespace
{
XErrorHandler defaultHandler = nullptr;

bool asksAboutAWindow (unsigned char requestCode)
{
    switch (requestCode)
    {
        case X_GetWindowAttributes:
        case X_GetGeometry:
        case X_QueryTree:
        case X_GetProperty:
        case X_ListProperties:
        case X_QueryPointer:
        case X_TranslateCoords:
            return true;
        default:
            return false;
    }
}

int handleError (Display* display, XErrorEvent* error)
{
    if (error->error_code == BadWindow && asksAboutAWindow (error->request_code))
        return 0; // the window has gone; the question no longer matters
    return defaultHandler != nullptr ? defaultHandler (display, error) : 0;
}

struct SharedServerSetUp
{
    SharedServerSetUp()
    {
        defaultHandler = XSetErrorHandler (handleError);

        display = XOpenDisplay (nullptr);
        if (display == nullptr)
            return;

        const char* const names[] = { "WM_PROTOCOLS", "WM_TAKE_FOCUS",   "WM_DELETE_WINDOW",
                                      "_NET_WM_PING", "WM_CHANGE_STATE", "WM_STATE" };
        for (const auto* name : names)
            XInternAtom (display, name, False);
        XSync (display, False);
    }

    ~SharedServerSetUp()
    {
        if (display != nullptr)
            XCloseDisplay (display);
    }

    SharedServerSetUp (const SharedServerSetUp&) = delete;
    SharedServerSetUp& operator= (const SharedServerSetUp&) = delete;

    // Kept open for the life of the process: a server without other clients
    // resets (and forgets its atoms) when its last connection closes.
    Display* display = nullptr;
};

const SharedServerSetUp setUp;
} // namespace
