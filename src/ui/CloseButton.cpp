#include "ui/CloseButton.h"

#include "ui/Col.h"
#include "ui/MdLookAndFeel.h"

CloseButton::CloseButton (const juce::String& t)
    : text (t)
{
    setRepaintsOnMouseActivity (true);
    setMouseCursor (juce::MouseCursor::PointingHandCursor);
}

void CloseButton::setText (const juce::String& newText)
{
    text = newText;
    repaint();
}

void CloseButton::paint (juce::Graphics& g)
{
    const auto bounds = getLocalBounds().toFloat();

    if (text.isNotEmpty())
    {
        g.setColour (hovered ? Col::am : Col::am.withAlpha (0.9f));
        g.fillRoundedRectangle (bounds, 4.0f);
        g.setColour (Col::bg0);
        g.setFont (MdLookAndFeel::monoFont (11.0f));
        g.drawText (text, getLocalBounds(), juce::Justification::centred, false);
        return;
    }

    // An X on a 14-unit grid scaled to the width.
    const float unit = bounds.getWidth() / 14.0f;
    g.setColour (hovered ? Col::t0 : Col::t2.withAlpha (0.65f));
    g.drawLine (2.0f * unit, 2.0f * unit, 12.0f * unit, 12.0f * unit, 1.2f * unit);
    g.drawLine (12.0f * unit, 2.0f * unit, 2.0f * unit, 12.0f * unit, 1.2f * unit);
}

void CloseButton::mouseEnter (const juce::MouseEvent&)
{
    hovered = true;
    repaint();
}

void CloseButton::mouseExit (const juce::MouseEvent&)
{
    hovered = false;
    repaint();
}

void CloseButton::mouseDown (const juce::MouseEvent&)
{
    if (onClick)
        onClick();
}
