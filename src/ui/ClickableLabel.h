#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

// A label that acts as a link: pointing-hand cursor, onClick on mouse up.
class ClickableLabel : public juce::Label
{
public:
    ClickableLabel (const juce::String& labelName = {}, const juce::String& labelText = {});

    void mouseUp (const juce::MouseEvent&) override;

    std::function<void()> onClick;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ClickableLabel)
};
