#pragma once

#include <juce_graphics/juce_graphics.h>

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
    ~XScreen();

    XScreen (const XScreen&) = delete;
    XScreen& operator= (const XScreen&) = delete;

    bool isOpen() const { return display != nullptr; }
    bool hasFakeInput() const { return canFakeInput; }

    // The screen pixels of an area (opaque ARGB).
    juce::Image grab (juce::Rectangle<int> area) const;

    void moveTo (juce::Point<int> screenPosition);
    void press (bool down); // the left button

private:
    _XDisplay* display = nullptr;
    bool canFakeInput = false;
};
} // namespace testsupport
