#include "ui/DensityStrip.h"

#include "ui/Col.h"
#include "ui/IconPainters.h"
#include "ui/MdLookAndFeel.h"

#include <algorithm>
#include <cmath>

const juce::Colour DensityStrip::textColour { 0xffecd64c };

namespace
{
// The nearest of the 13 note positions (0, 83.3, ..., 1000).
float snapToGrid (float raw)
{
    const float index = juce::jlimit (0.0f, 12.0f, std::round (12.0f - 12.0f * raw / 1000.0f));
    return (12.0f - index) / 12.0f * 1000.0f;
}

float drawRangeIcon (juce::Graphics& g, juce::Rectangle<float> area, juce::Colour colour)
{
    g.setColour (colour);
    g.setFont (MdLookAndFeel::monoFont (10.0f));
    g.drawFittedText ("4X", area.toNearestInt(), juce::Justification::centred, 1);
    return area.getWidth();
}
} // namespace

DensityStrip::DensityStrip()
{
    startSlider.resetValue = 320.0;
    endSlider.resetValue = 537.0;
    int index = 0;
    for (auto* slider : { &startSlider, &endSlider })
    {
        slider->setRange (0.0, 1000.0, 1.0);
        slider->onParamDragStart = [this, slider] (const juce::String&) {
            lastLinkedTrigger = -1.0f;
            if (onParamDragStart)
                onParamDragStart (slider->paramId);
        };
        slider->onParamDragEnd = [this, slider] (const juce::String&) {
            if (onParamDragEnd)
                onParamDragEnd (slider->paramId);
        };
        slider->onValueChange = [this, index] { onLinkedSliderChanged (index); };
        addAndMakeVisible (*slider);
        ++index;
    }

    for (auto* button : { &linkButton, &rangeButton })
    {
        button->setClickingTogglesState (true);
        button->iconOnly = true;
        button->onClick = [this] { repaint(); };
        addAndMakeVisible (*button);
    }
    linkButton.iconPainter = IconPainters::lock;
    rangeButton.iconPainter = drawRangeIcon;

    startValueLabel.setJustificationType (juce::Justification::centredLeft);
    endValueLabel.setJustificationType (juce::Justification::centredRight);
    for (auto* label : { &startValueLabel, &endValueLabel })
    {
        label->setColour (juce::Label::textColourId, textColour);
        label->setFont (MdLookAndFeel::monoFont (9.0f));
        label->setInterceptsMouseClicks (false, false);
        addAndMakeVisible (*label);
    }

    lastStart = static_cast<float> (startSlider.getValue());
    lastEnd = static_cast<float> (endSlider.getValue());
    setBufferedToImage (true);
}

//==============================================================================
void DensityStrip::onLinkedSliderChanged (int which)
{
    auto& changed = which == 0 ? startSlider : endSlider;
    auto& other = which == 0 ? endSlider : startSlider;
    auto& lastChanged = which == 0 ? lastStart : lastEnd;
    const auto value = static_cast<float> (changed.getValue());

    // Only the user's own moves carry the other spacing along: a preset, a
    // host state, automation or the Random action sets each spacing itself,
    // and must find both as it left them.
    if (reentryGuard || ! linkButton.getToggleState() || ! changed.isUserEditing())
    {
        lastChanged = value;
        return;
    }

    const float a = changed.syncMode ? snapToGrid (value) : value;
    if (lastLinkedTrigger >= 0.0f && std::abs (a - lastLinkedTrigger) <= 0.5f)
    {
        lastChanged = value;
        return;
    }

    const float diff = lastStart - lastEnd;
    const float f = juce::jlimit (0.0f, 1000.0f, a);
    float target = f;
    if (std::abs (diff) > 0.5f)
        target =
            which == 1 ? juce::jlimit (0.0f, 1000.0f, f + diff) : juce::jlimit (0.0f, 1000.0f, lastEnd - lastStart + f);
    if (other.syncMode)
        target = snapToGrid (target);

    reentryGuard = true;
    other.setValue (target, juce::sendNotificationSync);
    reentryGuard = false;

    lastLinkedTrigger = a;
    lastStart = static_cast<float> (startSlider.getValue());
    lastEnd = static_cast<float> (endSlider.getValue());
}

void DensityStrip::setStartEndValues (const juce::String& start, const juce::String& end)
{
    startValueLabel.setText (start, juce::dontSendNotification);
    endValueLabel.setText (end, juce::dontSendNotification);
}

//==============================================================================
void DensityStrip::resized()
{
    const int w = getWidth();
    const int h = getHeight();
    const int b = std::max ((w - 14) / 2, 0);
    const int c = std::max ((h - 6) / 2, 0);
    startSlider.setBounds (0, 0, b, h);
    endSlider.setBounds (b + 14, 0, std::max (w - 14 - b, 0), h);
    linkButton.setBounds (b, 2, 14, c);
    rangeButton.setBounds (b, c + 4, 14, c);
    startValueLabel.setBounds (b - 48, h - 14, 44, 12);
    endValueLabel.setBounds (b + 18, h - 14, 44, 12);
}

void DensityStrip::paint (juce::Graphics& g)
{
    const auto h = getHeight();
    g.setColour (Col::bg2);
    g.fillRoundedRectangle (getLocalBounds().toFloat(), 3.0f);

    g.setColour (textColour);
    g.setFont (MdLookAndFeel::monoFont (9.0f));
    g.drawText ("IN", juce::Rectangle<int> (4, h - 12, 20, 10), juce::Justification::centredLeft, false);
    g.drawText ("OUT", juce::Rectangle<int> (getWidth() - 24, h - 12, 20, 10), juce::Justification::centredRight,
                false);
}

void DensityStrip::paintOverChildren (juce::Graphics& g)
{
    g.setColour (textColour);
    for (auto* button : { &linkButton, &rangeButton })
    {
        if (! button->getToggleState())
            continue;
        auto r = button->getBounds().toFloat().expanded (1.0f);
        r.setSize (std::max (r.getWidth(), 0.0f), std::max (r.getHeight(), 0.0f));
        g.drawRoundedRectangle (r, 3.0f, 1.5f);
    }
}
