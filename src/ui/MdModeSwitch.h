#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// A two-way switch: a small track with a knob between two texts. Off selects
// the left option, on the right one; a click toggles it.
class MdModeSwitch : public juce::Button
{
public:
    MdModeSwitch (const juce::String& leftText, const juce::String& rightText, juce::Colour colour);

    void paintButton (juce::Graphics&, bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;

    // The track for the given bounds: at most 34 x 18, centred.
    static juce::Rectangle<float> trackBounds (juce::Rectangle<float> bounds);

private:
    juce::String leftText, rightText;
    juce::Colour colour;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MdModeSwitch)
};
