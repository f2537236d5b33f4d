#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The editor's look-and-feel: the palette's colours on JUCE's colour IDs and
// its own drawing of linear sliders, scroll bars, popup menus, call-out boxes
// and text-button fonts. Installed once on the editor, so every child uses it.
class MdLookAndFeel : public juce::LookAndFeel_V4
{
public:
    MdLookAndFeel();

    void drawLinearSlider (juce::Graphics&, int x, int y, int width, int height, float sliderPos, float minSliderPos,
                           float maxSliderPos, juce::Slider::SliderStyle, juce::Slider&) override;

    void drawScrollbar (juce::Graphics&, juce::ScrollBar&, int x, int y, int width, int height,
                        bool isScrollbarVertical, int thumbStartPosition, int thumbSize, bool isMouseOver,
                        bool isMouseDown) override;

    void drawPopupMenuBackground (juce::Graphics&, int width, int height) override;

    void drawCallOutBoxBackground (juce::CallOutBox&, juce::Graphics&, const juce::Path&, juce::Image&) override;

    juce::Font getTextButtonFont (juce::TextButton&, int buttonHeight) override;

    // The linear-slider drawing with the hover/press state given rather than
    // read from the mouse (drawLinearSlider passes the slider's own state).
    static void paintLinearSlider (juce::Graphics&, int x, int y, int width, int height, float sliderPos,
                                   juce::Slider::SliderStyle, juce::Slider&, bool highlighted);

    // The default monospaced font at the given height, plain.
    static juce::Font monoFont (float height);
};
