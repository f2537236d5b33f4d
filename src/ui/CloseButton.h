#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

// A close control: an X, or, with text, an amber pill. Calls onClick on mouse down.
class CloseButton : public juce::Component
{
public:
    explicit CloseButton (const juce::String& text = {});

    void setText (const juce::String& newText);
    const juce::String& getText() const noexcept { return text; }
    bool isHovered() const noexcept { return hovered; }

    void paint (juce::Graphics&) override;
    void mouseEnter (const juce::MouseEvent&) override;
    void mouseExit (const juce::MouseEvent&) override;
    void mouseDown (const juce::MouseEvent&) override;

    std::function<void()> onClick;

private:
    bool hovered = false;
    juce::String text;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CloseButton)
};
