#pragma once

#include <juce_graphics/juce_graphics.h>

#include <vector>

struct _XDisplay;

namespace testsupport
{
// The X screen as a user meets it: what it shows (read back from the frame
// buffer, so a plug-in's own window appears as it was drawn) and a mouse
// driven through the XTEST extension, whose events the server delivers to
// whichever window lies under the pointer, a plug-in's too.
class XScreen
{
public:
    XScreen();
    explicit XScreen (const juce::String& displayName); // another X server, ":3"
    ~XScreen();

    XScreen (const XScreen&) = delete;
    XScreen& operator= (const XScreen&) = delete;

    bool isOpen() const { return display != nullptr; }
    bool hasFakeInput() const { return canFakeInput; }

    // The screen pixels of an area (opaque ARGB).
    juce::Image grab (juce::Rectangle<int> area) const;

    void moveTo (juce::Point<int> screenPosition);
    void press (bool down); // the left button

    // The windows a program shows (its top-level windows, found by the
    // process id they carry, and every window inside them), where they are
    // on the screen; only those mapped and visible.
    std::vector<juce::Rectangle<int>> windowsOf (int processId) const;

    // Asks the program's top-level windows to close, as a window manager's
    // close button does (WM_DELETE_WINDOW).
    void closeWindowsOf (int processId);

private:
    _XDisplay* display = nullptr;
    bool canFakeInput = false;
};
} // namespace testsupport
