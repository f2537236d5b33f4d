#include "ui/AxisSliderLookAndFeel.h"

#include "ui/Col.h"

namespace
{
const juce::Colour trackFill { 0xff16161b };
const juce::Colour trackOutline { 0xff2c2c34 };
} // namespace

AxisSliderLookAndFeel::AxisSliderLookAndFeel()
{
    setColour (juce::Slider::backgroundColourId, Col::bg1);
    setColour (juce::Slider::thumbColourId, Col::ax);
    setColour (juce::Slider::trackColourId, Col::b1);
}

void AxisSliderLookAndFeel::drawThumb (juce::Graphics& g, float x, float y, bool active)
{
    g.setColour (Col::ax.withAlpha (active ? 0.45f : 0.18f));
    g.fillEllipse (x - 13.0f, y - 13.0f, 26.0f, 26.0f);
    g.setColour (juce::Colours::black.withAlpha (0.5f));
    g.fillEllipse (x - 6.5f, y - 5.5f, 13.0f, 13.0f);
    g.setColour (Col::ax);
    g.fillEllipse (x - 6.5f, y - 6.5f, 13.0f, 13.0f);
    g.setColour (juce::Colours::white.withAlpha (0.3f));
    g.drawEllipse (x - 6.5f, y - 6.5f, 13.0f, 13.0f, 1.0f);
}

void AxisSliderLookAndFeel::drawLinearSlider (juce::Graphics& g, int x, int y, int width, int height, float sliderPos,
                                              float, float, juce::Slider::SliderStyle style, juce::Slider& slider)
{
    const bool active = slider.isMouseButtonDown() || slider.isMouseOverOrDragging();
    const auto fx = static_cast<float> (x);
    const auto fy = static_cast<float> (y);
    const auto fw = static_cast<float> (width);
    const auto fh = static_cast<float> (height);

    juce::Rectangle<float> track, fill;
    juce::Point<float> fillStart, thumb;
    if (style == juce::Slider::LinearVertical)
    {
        const float cx = fx + fw / 2.0f;
        track = { cx - 2.5f, fy, 5.0f, fh };
        fill =
            juce::Rectangle<float>::leftTopRightBottom (cx - 2.5f, std::min (sliderPos, fy + fh), cx + 2.5f, fy + fh);
        fillStart = { cx, fy + fh };
        thumb = { cx, sliderPos };
    }
    else
    {
        const float cy = fy + fh / 2.0f;
        track = { fx, cy - 2.5f, fw, 5.0f };
        fill = { fx, cy - 2.5f, std::max (sliderPos - fx, 0.0f), 5.0f };
        fillStart = { fx, cy };
        thumb = { sliderPos, cy };
    }

    g.setColour (trackFill);
    g.fillRoundedRectangle (track, 2.5f);
    g.setColour (trackOutline);
    g.drawRoundedRectangle (track, 2.5f, 1.0f);

    if (! fill.isEmpty())
    {
        g.setGradientFill (juce::ColourGradient (Col::axFill.withAlpha (0.25f), fillStart, Col::axFill, thumb, false));
        g.fillRoundedRectangle (fill, 2.5f);
    }

    drawThumb (g, thumb.x, thumb.y, active);
}
