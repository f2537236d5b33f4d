#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The look of the visualizer's axis sliders: the length strip along the plot
// and the hidden handle sliders. A dark 5-pixel track with a light fill up to
// a large white thumb that glows while the slider is pressed or hovered.
class AxisSliderLookAndFeel : public juce::LookAndFeel_V4
{
public:
    AxisSliderLookAndFeel();

    void drawLinearSlider (juce::Graphics&, int x, int y, int width, int height, float sliderPos, float minSliderPos,
                           float maxSliderPos, juce::Slider::SliderStyle, juce::Slider&) override;

    // The drawing with the active state given rather than read from the mouse.
    static void paintAxisSlider (juce::Graphics&, int x, int y, int width, int height, float sliderPos,
                                 juce::Slider::SliderStyle, bool active);
};
