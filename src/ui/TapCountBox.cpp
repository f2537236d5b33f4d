#include "ui/TapCountBox.h"

#include "params/ValueText.h"
#include "ui/Col.h"
#include "ui/MdLookAndFeel.h"
#include "ui/ValueEntryBox.h"

#include <algorithm>

#include <cmath>

TapCountBox::TapCountBox()
{
    setMouseCursor (juce::MouseCursor::UpDownResizeCursor);
}

void TapCountBox::setValue (int newValue)
{
    newValue = juce::jlimit (minimum, maximum, newValue);
    if (newValue != value)
    {
        value = newValue;
        repaint();
    }
}

void TapCountBox::setRange (int newMinimum, int newMaximum)
{
    minimum = newMinimum;
    maximum = juce::jmax (newMinimum, newMaximum);
    setValue (value);
}

void TapCountBox::change (int newValue)
{
    newValue = juce::jlimit (minimum, maximum, newValue);
    if (newValue == value)
        return;

    value = newValue;
    repaint();
    if (onChange)
        onChange (value);
}

void TapCountBox::paint (juce::Graphics& g)
{
    g.setColour (Col::b2);
    g.fillRoundedRectangle (getLocalBounds().toFloat(), 3.0f);
    g.setColour (Col::t0);
    g.setFont (MdLookAndFeel::monoFont (11.0f));
    g.drawText ("[ " + juce::String (value) + " ] taps", getLocalBounds(), juce::Justification::centred, false);
}

void TapCountBox::mouseDown (const juce::MouseEvent& e)
{
    if (onDragStart)
        onDragStart();
    valueAtDragStart = value;
    movedDuringDrag = false;
    e.source.enableUnboundedMouseMovement (true, false);
}

void TapCountBox::mouseDrag (const juce::MouseEvent& e)
{
    const int dy = e.getDistanceFromDragStartY();
    if (std::abs (dy) > 2)
        movedDuringDrag = true;

    // Four pixels upward add one.
    change (valueAtDragStart - dy / 4);
}

void TapCountBox::mouseUp (const juce::MouseEvent& e)
{
    e.source.enableUnboundedMouseMovement (false);
    if (onDragEnd)
        onDragEnd();

    if (! movedDuringDrag)
        ValueEntryBox::launch (*this, juce::String (value), [this] (const juce::String& text) { commitTyped (text); });
}

void TapCountBox::commitTyped (const juce::String& text)
{
    const auto trimmed = text.trim();
    // "inf", "nan" and overflowing numbers are not counts: ignored.
    const double typed = valuetext::readNumber (trimmed);
    if (! std::isfinite (typed))
        return;
    change (static_cast<int> (std::clamp (std::trunc (typed), -1.0e6, 1.0e6)));
}
