#include "ui/MainControlsComponent.h"

#include "params/ParameterTable.h"
#include "ui/Col.h"
#include "ui/Helper.h"

#include <algorithm>

MainControlsComponent::MainControlsComponent (juce::AudioProcessorValueTreeState& state)
    : apvts (state)
{
    widthSlider.setRange (0.0, 15.0);
    widthSlider.resetValue = 7.5;
    widthSlider.detentCentre = 7.5;
    widthSlider.detentWidth = 0.3;
    widthSlider.paramId = params::id::widen;

    pingPongSlider.setRange (0.0, 100.0, 1.0);
    pingPongSlider.resetValue = 0.0;
    pingPongSlider.paramId = params::id::pingPongAmount;

    for (auto* slider : { &widthSlider, &pingPongSlider })
    {
        MdSlider::setColours (*slider, Col::mg);
        slider->onParamDragStart = [this] (const juce::String& id) {
            if (onParamDragStart)
                onParamDragStart (id);
        };
        slider->onParamDragEnd = [this] (const juce::String& id) {
            if (onParamDragEnd)
                onParamDragEnd (id);
        };
        addAndMakeVisible (*slider);
    }

    Helper::styleLabel (widthLabel, "WIDTH", Col::mg, 11.0f);
    widthLabel.setFont (widthLabel.getFont().withStyle (juce::Font::underlined));
    widthLabel.setMouseCursor (juce::MouseCursor::PointingHandCursor);
    widthLabel.setWantsKeyboardFocus (false);
    widthLabel.addMouseListener (this, false);
    Helper::styleLabel (pingPongLabel, "PING PONG", Col::mg, 11.0f);
    Helper::styleLabel (widthValueLabel, "0", Col::mg, 12.0f);
    Helper::styleLabel (pingPongValueLabel, "100%", Col::mg, 12.0f);
    widthValueLabel.setJustificationType (juce::Justification::centredRight);
    pingPongValueLabel.setJustificationType (juce::Justification::centredRight);
    for (auto* label : { &widthLabel, &pingPongLabel, &widthValueLabel, &pingPongValueLabel })
        addAndMakeVisible (*label);

    using Attachment = juce::AudioProcessorValueTreeState::SliderAttachment;
    widthAttachment = std::make_unique<Attachment> (apvts, params::id::widen, widthSlider);
    pingPongAttachment = std::make_unique<Attachment> (apvts, params::id::pingPongAmount, pingPongSlider);

    // The read-outs show the parameters from the first paint on.
    timerCallback();
    startTimerHz (10);
}

MainControlsComponent::~MainControlsComponent()
{
    stopTimer();
    widthLabel.removeMouseListener (this);
}

bool MainControlsComponent::noMid() const
{
    const auto* v = apvts.getRawParameterValue (params::id::noMid);
    return v != nullptr && v->load() > 0.5f;
}

void MainControlsComponent::syncWidthLabel()
{
    const bool on = noMid();
    widthLabel.setText (on ? "NO MID" : "WIDTH", juce::dontSendNotification);
    widthLabel.setColour (juce::Label::textColourId, on ? Col::am : Col::mg);
}

void MainControlsComponent::timerCallback()
{
    syncWidthLabel();

    const double width = widthSlider.getValue();
    if (noMid() && (width / 7.5 - 1.0) * 100.0 <= -100.0)
    {
        if (blinkCounter++ > 1)
        {
            blinkCounter = 0;
            blinkPhase = ! blinkPhase;
        }
        widthValueLabel.setText ("MUTED", juce::dontSendNotification);
        widthValueLabel.setColour (juce::Label::textColourId, blinkPhase ? Col::am : Col::am.withAlpha (0.25f));
    }
    else
    {
        blinkCounter = 0;
        blinkPhase = false;
        widthValueLabel.setText (widthSlider.getTextFromValue (width), juce::dontSendNotification);
        widthValueLabel.setColour (juce::Label::textColourId, Col::mg);
    }

    pingPongValueLabel.setText (pingPongSlider.getTextFromValue (pingPongSlider.getValue()),
                                juce::dontSendNotification);
}

void MainControlsComponent::mouseUp (const juce::MouseEvent& e)
{
    if (e.eventComponent != &widthLabel)
        return;

    if (auto* param = apvts.getParameter (params::id::noMid))
    {
        param->beginChangeGesture();
        param->setValueNotifyingHost (param->getValue() > 0.5f ? 0.0f : 1.0f);
        param->endChangeGesture();
    }
    syncWidthLabel();
}

void MainControlsComponent::resized()
{
    const int w = getWidth();
    const int c = (w - 4) / 2;
    const int sliderWidth = std::max (c - 100, 0);
    widthLabel.setBounds (0, 0, 56, 24);
    widthSlider.setBounds (56, 0, sliderWidth, 24);
    widthValueLabel.setBounds (c - 44, 0, 44, 24);
    pingPongLabel.setBounds (c + 4, 0, 56, 24);
    pingPongSlider.setBounds (c + 60, 0, sliderWidth, 24);
    pingPongValueLabel.setBounds (2 * c - 40, 0, 44, 24);
    panels = { juce::Rectangle<int> (0, 0, w, 24) };
}

void MainControlsComponent::paint (juce::Graphics& g)
{
    for (const auto& panel : panels)
    {
        const auto r = panel.toFloat();
        g.setColour (Col::bg2);
        g.fillRoundedRectangle (r, 6.0f);
        g.setColour (Col::mg);
        g.drawRoundedRectangle (r, 6.0f, 1.0f);
    }
}
