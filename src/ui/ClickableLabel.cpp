#include "ui/ClickableLabel.h"

ClickableLabel::ClickableLabel (const juce::String& labelName, const juce::String& labelText)
    : juce::Label (labelName, labelText)
{
    setMouseCursor (juce::MouseCursor::PointingHandCursor);
}

void ClickableLabel::mouseUp (const juce::MouseEvent& e)
{
    juce::Label::mouseUp (e);
    if (onClick)
        onClick();
}
