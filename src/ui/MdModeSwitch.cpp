#include "ui/MdModeSwitch.h"

#include "ui/Col.h"

#include <algorithm>

MdModeSwitch::MdModeSwitch (const juce::String& left, const juce::String& right, juce::Colour c)
    : juce::Button ("modeSwitch")
    , leftText (left)
    , rightText (right)
    , colour (c)
{
    setClickingTogglesState (true);
}

juce::Rectangle<float> MdModeSwitch::trackBounds (juce::Rectangle<float> bounds)
{
    const float tw = std::min (0.34f * bounds.getWidth(), 34.0f);
    const float th = std::min (bounds.getHeight() - 4.0f, 18.0f);
    return bounds.withSizeKeepingCentre (tw, th);
}

void MdModeSwitch::paintButton (juce::Graphics& g, bool highlighted, bool /*down*/)
{
    const auto bounds = getLocalBounds().toFloat();
    const bool on = getToggleState();
    const auto track = trackBounds (bounds);
    const float th = track.getHeight();

    g.setFont (juce::Font (11.0f));
    const juce::Rectangle<float> leftBox (bounds.getX(), bounds.getY(), track.getX() - 6.0f - bounds.getX(),
                                          bounds.getHeight());
    const juce::Rectangle<float> rightBox (track.getRight() + 6.0f, bounds.getY(),
                                           bounds.getRight() - (track.getRight() + 6.0f), bounds.getHeight());
    g.setColour (on ? Col::t2 : Col::t0);
    g.drawText (leftText, leftBox, juce::Justification::centredRight, false);
    g.setColour (on ? Col::t0 : Col::t2);
    g.drawText (rightText, rightBox, juce::Justification::centredLeft, false);

    g.setColour (Col::bgSunken);
    g.fillRoundedRectangle (track, th / 2.0f);
    g.setColour (colour.withAlpha (highlighted ? 0.85f : 0.55f));
    g.drawRoundedRectangle (track.reduced (0.5f), th / 2.0f, 1.0f);

    const float knob = th - 4.0f;
    const float knobX = on ? track.getRight() - knob - 2.0f : track.getX() + 2.0f;
    g.setColour (colour);
    g.fillEllipse (knobX, track.getY() + 2.0f, knob, knob);
}
