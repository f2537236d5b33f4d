#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

// An invisible layer that, while active, takes clicks (for example to close a
// panel when the user clicks beside it). Inactive it is hidden and lets every
// click through.
class ClickCatcher : public juce::Component
{
public:
    ClickCatcher();

    void setActive (bool shouldBeActive);
    bool isActive() const noexcept { return active; }

    void mouseDown (const juce::MouseEvent&) override;

    std::function<void()> onClick;

private:
    bool active = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ClickCatcher)
};
