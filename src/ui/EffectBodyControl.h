#pragma once

#include "ui/MdSlider.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

// One control of an effect body: a caption, an MdSlider bound to its
// parameter and a label with the value's text.
class EffectBodyControl
{
public:
    struct Definition
    {
        const char* caption;
        const char* paramId;
        MdSlider::Kind kind;
        double min, max, step;
        double resetValue;
    };

    explicit EffectBodyControl (const Definition& definition);

    // Adds the caption, the slider and the value label to owner, sets the
    // slider's range, reset value and parameter ID, and binds it to its
    // parameter (whose range the slider then takes).
    void attach (juce::Component& owner, juce::AudioProcessorValueTreeState& state);

    // Sets the value label's text (only when it changed).
    void setValueText (const juce::String& text);
    // The value label shows the slider's own text.
    void showSliderText();

    void setBounds (juce::Rectangle<int> captionArea, juce::Rectangle<int> sliderArea, juce::Rectangle<int> valueArea);
    // Opacity of all three parts.
    void setAlpha (float alpha);

    const Definition& getDefinition() const noexcept { return definition; }
    MdSlider& getSlider() noexcept { return slider; }
    juce::Label& getCaption() noexcept { return caption; }
    juce::Label& getValueLabel() noexcept { return value; }

private:
    Definition definition;
    juce::Label caption;
    MdSlider slider;
    juce::Label value;
    std::unique_ptr<juce::AudioProcessorValueTreeState::SliderAttachment> attachment;

    JUCE_DECLARE_NON_COPYABLE (EffectBodyControl)
};

// The accessible title of each button of an effect body's shape picker: the
// shape parameter's name and the text a host shows for that shape.
std::function<juce::String (int shape)> shapeButtonTitles (const juce::RangedAudioParameter& shapeParam);
