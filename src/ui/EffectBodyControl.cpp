#include "ui/EffectBodyControl.h"

#include "ui/Col.h"
#include "ui/Helper.h"
#include "ui/MdLookAndFeel.h"

EffectBodyControl::EffectBodyControl (const Definition& s)
    : definition (s)
    , slider (s.kind)
{
    Helper::styleLabel (caption, definition.caption, Col::t1, 11.0f);

    value.setFont (MdLookAndFeel::monoFont (12.0f));
    value.setColour (juce::Label::textColourId, Col::t0);
    value.setJustificationType (juce::Justification::centredRight);
    // The longest texts ("12.0 kHz", "-180.00") are wider than the 44 px
    // box at 12 pt: the left margin goes, and they may narrow a little.
    value.setBorderSize ({ 1, 0, 1, 4 });
    value.setMinimumHorizontalScale (0.6f);
}

void EffectBodyControl::attach (juce::Component& owner, juce::AudioProcessorValueTreeState& state)
{
    owner.addAndMakeVisible (caption);
    owner.addAndMakeVisible (slider);
    owner.addAndMakeVisible (value);

    slider.setRange (definition.min, definition.max, definition.step);
    slider.resetValue = definition.resetValue;
    slider.paramId = definition.paramId;
    attachment =
        std::make_unique<juce::AudioProcessorValueTreeState::SliderAttachment> (state, definition.paramId, slider);
    showSliderText();
}

void EffectBodyControl::setValueText (const juce::String& text)
{
    if (value.getText() != text)
        value.setText (text, juce::dontSendNotification);
}

void EffectBodyControl::showSliderText()
{
    setValueText (slider.getTextFromValue (slider.getValue()));
}

void EffectBodyControl::setBounds (juce::Rectangle<int> captionArea, juce::Rectangle<int> sliderArea,
                                   juce::Rectangle<int> valueArea)
{
    caption.setBounds (captionArea);
    slider.setBounds (sliderArea);
    value.setBounds (valueArea);
}

void EffectBodyControl::setAlpha (float alpha)
{
    // (setAlpha repaints only on a change.)
    caption.setAlpha (alpha);
    slider.setAlpha (alpha);
    value.setAlpha (alpha);
}

std::function<juce::String (int shape)> shapeButtonTitles (const juce::RangedAudioParameter& shapeParam)
{
    return [&shapeParam] (int shape) {
        return shapeParam.getName (64) + " "
               + shapeParam.getText (shapeParam.convertTo0to1 (static_cast<float> (shape)), 64);
    };
}
