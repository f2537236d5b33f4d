#include "ui/Helper.h"

void Helper::styleLabel (juce::Label& label, const juce::String& text, juce::Colour colour, float fontHeight)
{
    label.setText (text.toUpperCase(), juce::dontSendNotification);
    label.setFont (juce::Font (juce::Font::getDefaultSansSerifFontName(), fontHeight, juce::Font::plain)
                       .withExtraKerningFactor (0.12f));
    label.setColour (juce::Label::textColourId, colour);
    label.setJustificationType (juce::Justification::centredLeft);
}
