#include "ui/HudOverlay.h"

#include <cmath>

HudOverlay::HudOverlay()
{
    setInterceptsMouseClicks (false, false);
}

HudOverlay::~HudOverlay()
{
    stopTimer();
}

void HudOverlay::setActive (bool on)
{
    // The visualizer calls this for every overlay on every refresh; an
    // unchanged choice must cost nothing.
    if (on == active)
        return;
    active = on;
    targetLevel = on ? 1.0f : 0.0f;
    if (on)
        setVisible (true);
    startTimerHz (60);
}

void HudOverlay::timerCallback()
{
    // The ramp counts whole steps: twelve additions of 1/12 in float miss
    // 0 and 1 by a rounding error, which would add a thirteenth step.
    const int target = targetLevel > 0.0f ? rampSteps : 0;
    if (step != target)
    {
        step += step < target ? 1 : -1;
        level = static_cast<float> (step) / static_cast<float> (rampSteps);
        repaint();
    }
    else
    {
        stopTimer();
        if (! active)
            setVisible (false);
    }
}

void HudOverlay::paint (juce::Graphics& g)
{
    if (level <= 0.0f)
        return;
    paintContent (g, getLocalBounds().toFloat());
}

juce::Font HudOverlay::mono (float height)
{
    return juce::Font (juce::Font::getDefaultMonospacedFontName(), height, juce::Font::plain);
}

juce::Font HudOverlay::boldMono (float height)
{
    return mono (height).boldened();
}

void HudOverlay::drawText (juce::Graphics& g, const juce::String& text, float x, float y, float w, float h,
                           juce::Justification justification)
{
    g.drawText (text, static_cast<int> (x), static_cast<int> (y), static_cast<int> (w), static_cast<int> (h),
                justification, true);
}

int HudOverlay::roundHalfAway (float v)
{
    return static_cast<int> (std::lround (v));
}

HudOverlay::Grid::Grid (juce::Rectangle<float> area, float cols, float rows)
    : x (area.getX())
    , y (area.getY())
    , sx (area.getWidth() / cols)
    , sy (area.getHeight() / rows)
{
}

void HudOverlay::fillDiagramPlate (juce::Graphics& g, juce::Rectangle<float> plate)
{
    g.setColour (juce::Colours::black.withAlpha (0.65f));
    g.fillRoundedRectangle (plate, 6.0f);
}
