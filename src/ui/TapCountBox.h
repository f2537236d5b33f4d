#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

// The tap count: "[ n ] taps". Dragging up or down changes it (four pixels a
// step); a click without vertical movement opens a ValueEntryBox.
class TapCountBox : public juce::Component
{
public:
    TapCountBox();

    void setValue (int newValue); // clamped; does not call onChange
    int getValue() const noexcept { return value; }
    void setRange (int newMinimum, int newMaximum);
    int getMinimum() const noexcept { return minimum; }
    int getMaximum() const noexcept { return maximum; }

    void paint (juce::Graphics&) override;
    void mouseDown (const juce::MouseEvent&) override;
    void mouseDrag (const juce::MouseEvent&) override;
    void mouseUp (const juce::MouseEvent&) override;

    std::function<void (int)> onChange;
    std::function<void()> onDragStart;
    std::function<void()> onDragEnd;

private:
    void change (int newValue);
    void commitTyped (const juce::String& text);

    int value = 1;
    int minimum = 1;
    int maximum = 64;
    int valueAtDragStart = 1;
    bool movedDuringDrag = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TapCountBox)
};
