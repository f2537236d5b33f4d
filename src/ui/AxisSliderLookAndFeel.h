#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The look of the visualizer's axis sliders: a dark 5-pixel track with a
// light gradient fill up to a white thumb, whose halo brightens while the
// mouse is over it or presses it.
class AxisSliderLookAndFeel : public juce::LookAndFeel_V4
{
public:
    AxisSliderLookAndFeel();

    void drawLinearSlider (juce::Graphics&, int x, int y, int width, int height, float sliderPos, float minSliderPos,
                           float maxSliderPos, juce::Slider::SliderStyle, juce::Slider&) override;

    // The thumb centred on (x, y).
    static void drawThumb (juce::Graphics&, float x, float y, bool active);
};
