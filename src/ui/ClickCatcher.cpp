#include "ui/ClickCatcher.h"

ClickCatcher::ClickCatcher()
{
    setInterceptsMouseClicks (false, false);
    setVisible (false);
}

void ClickCatcher::setActive (bool shouldBeActive)
{
    active = shouldBeActive;
    setInterceptsMouseClicks (active, false);
    setVisible (active);
}

void ClickCatcher::mouseDown (const juce::MouseEvent&)
{
    if (active && onClick)
        onClick();
}
