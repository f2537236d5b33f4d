#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// Small styling helpers shared by the panels.
struct Helper
{
    // A caption: upper-cased text in the default sans-serif font at fontHeight
    // with extra kerning, in colour, justified centred-left.
    static void styleLabel (juce::Label& label, const juce::String& text, juce::Colour colour, float fontHeight);
};
