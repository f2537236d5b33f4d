#include "UiTestSupport.h"

#include "ui/AxisSliderLookAndFeel.h"
#include "ui/Col.h"

#include <gtest/gtest.h>

namespace
{
const juce::Colour trackFill (0xff16161b);

// The look drawing a slider (neither hovered nor pressed) into a bare image.
juce::Image paintAxis (juce::Slider::SliderStyle style, float sliderPos)
{
    const bool vertical = style == juce::Slider::LinearVertical;
    AxisSliderLookAndFeel look;
    juce::Slider slider (style, juce::Slider::NoTextBox);
    return uitest::draw (vertical ? 60 : 200, vertical ? 200 : 60, [&] (juce::Graphics& g) {
        if (vertical)
            look.drawLinearSlider (g, 23, 20, 14, 160, sliderPos, 0.0f, 0.0f, style, slider);
        else
            look.drawLinearSlider (g, 20, 23, 160, 14, sliderPos, 0.0f, 0.0f, style, slider);
    });
}
} // namespace

TEST (AxisSlider, HorizontalTrackFillsFromTheLeftUpToALargeWhiteThumb)
{
    const auto image = paintAxis (juce::Slider::LinearHorizontal, 120.0f);
    // Track centre row 30 (23 + 14 / 2); 5 pixels from 27.5 to 32.5.
    EXPECT_LE (uitest::colourDistance (image.getPixelAt (160, 30), trackFill), 3) << "beyond the thumb: dark track";
    EXPECT_LE (uitest::colourDistance (image.getPixelAt (160, 35), juce::Colours::black), 3) << "5 pixels high";

    // The fill brightens from a quarter of axFill at the left to axFill at the thumb.
    const auto nearStart = image.getPixelAt (24, 30);
    const auto nearThumb = image.getPixelAt (104, 30);
    EXPECT_LT (nearStart.getBrightness(), 0.45f);
    EXPECT_GT (nearThumb.getBrightness(), nearStart.getBrightness() + 0.25f);

    // The thumb: white, 13 across, centred on (120, 30).
    EXPECT_EQ (image.getPixelAt (120, 30), Col::ax);
    EXPECT_EQ (image.getPixelAt (124, 30), Col::ax);
    EXPECT_NE (image.getPixelAt (128, 30), Col::ax);
}

TEST (AxisSlider, TheHaloIsBrighterWhileActive)
{
    // A point in the halo (diameter 26) outside the thumb (13).
    auto thumb = [] (bool active) {
        return uitest::draw (
            60, 60, [active] (juce::Graphics& g) { AxisSliderLookAndFeel::drawThumb (g, 30.0f, 30.0f, active); });
    };
    const auto idle = thumb (false).getPixelAt (30, 19);
    const auto active = thumb (true).getPixelAt (30, 19);
    EXPECT_NEAR (idle.getRed(), 0.18f * 255.0f, 3.0f);
    EXPECT_NEAR (active.getRed(), 0.45f * 255.0f, 3.0f);
}

TEST (AxisSlider, VerticalTrackFillsFromTheBottomUpToTheThumb)
{
    const auto image = paintAxis (juce::Slider::LinearVertical, 80.0f);
    EXPECT_EQ (image.getPixelAt (30, 80), Col::ax) << "thumb centred on (30, 80)";
    EXPECT_LE (uitest::colourDistance (image.getPixelAt (30, 40), trackFill), 3) << "above the thumb: dark track";
    EXPECT_GT (image.getPixelAt (30, 170).getBrightness(), 0.15f) << "fill below the thumb";
    EXPECT_GT (image.getPixelAt (30, 100).getBrightness(), image.getPixelAt (30, 170).getBrightness());
}
