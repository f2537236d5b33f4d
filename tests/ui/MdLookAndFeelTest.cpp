#include "UiTestSupport.h"

#include "ui/Col.h"
#include "ui/MdLookAndFeel.h"
#include "ui/MdSlider.h"

#include <gtest/gtest.h>

using uitest::colourDistance;

namespace
{
const juce::Colour grey { 0xff808080 };
const juce::Colour trackColour { 0xff2edd9e };

// A 200 x 20 horizontal MdSlider over 0..1: the look-and-feel gets x = 10,
// width = 180, so the groove is the rows 9 and 10 from x = 10 to 189, the
// end ticks are x = 10..11 and 188..189 over rows 8..11, and the thumb of
// value v is centred at (10 + 180 v, 10).
struct SliderLook : public ::testing::Test
{
    SliderLook()
    {
        slider.setLookAndFeel (&lnf);
        slider.setRange (0.0, 1.0, 0.0);
        slider.setBounds (0, 0, 200, 20);
        slider.setValue (0.5, juce::dontSendNotification);
        slider.setColour (juce::Slider::trackColourId, trackColour);
        slider.setColour (juce::Slider::thumbColourId, juce::Colours::white);
    }

    ~SliderLook() override { slider.setLookAndFeel (nullptr); }

    MdLookAndFeel lnf;
    MdSlider slider { MdSlider::Kind::Decimal };
};
} // namespace

TEST_F (SliderLook, HorizontalSliderShowsGrooveFillTicksAndThumb)
{
    const auto image = uitest::render (slider, grey);

    EXPECT_LE (colourDistance (image.getPixelAt (150, 9), Col::b2), 2) << "unfilled groove";
    EXPECT_LE (colourDistance (image.getPixelAt (150, 10), Col::b2), 2);
    EXPECT_LE (colourDistance (image.getPixelAt (150, 8), grey), 2) << "groove is two rows";
    EXPECT_LE (colourDistance (image.getPixelAt (10, 8), Col::t2), 2) << "left tick";
    EXPECT_LE (colourDistance (image.getPixelAt (189, 11), Col::t2), 2) << "right tick";
    EXPECT_LE (colourDistance (image.getPixelAt (100, 7), juce::Colours::white), 40) << "thumb";

    // The fill fades in from the start end towards the thumb.
    const auto nearStart = image.getPixelAt (14, 9);
    const auto nearThumb = image.getPixelAt (92, 9);
    EXPECT_LT (colourDistance (nearThumb, trackColour), 20);
    EXPECT_GT (colourDistance (nearStart, trackColour), 80);
    EXPECT_LT (colourDistance (nearStart, Col::b2.interpolatedWith (trackColour, 0.25f)), 25);
}

TEST_F (SliderLook, TransparentThumbHidesOnlyTheHorizontalThumb)
{
    slider.setColour (juce::Slider::thumbColourId, juce::Colours::transparentBlack);
    const auto horizontal = uitest::render (slider, grey);

    // Groove, fill and ticks are still drawn; nothing around the thumb position.
    EXPECT_LE (colourDistance (horizontal.getPixelAt (150, 9), Col::b2), 2);
    EXPECT_LT (colourDistance (horizontal.getPixelAt (92, 9), trackColour), 20);
    EXPECT_LE (colourDistance (horizontal.getPixelAt (10, 8), Col::t2), 2);
    EXPECT_EQ (uitest::countNear (horizontal, { 94, 4, 12, 4 }, grey, 1), 12 * 4) << "no thumb above the groove";
    EXPECT_EQ (uitest::countNear (horizontal, { 94, 12, 12, 4 }, grey, 1), 12 * 4) << "no thumb below the groove";

    // Vertical: 20 x 200, travel from y = 10 to 190, thumb centred at y = 100.
    slider.setSliderStyle (juce::Slider::LinearVertical);
    slider.setBounds (0, 0, 20, 200);
    const auto vertical = uitest::render (slider, grey);
    EXPECT_LT (uitest::countNear (vertical, { 4, 94, 12, 12 }, grey, 1), 12 * 12 / 2)
        << "the vertical thumb (its shadow and outline) is still drawn";
}

TEST_F (SliderLook, ThumbHaloOnlyWhenHighlighted)
{
    const auto draw = [this] (bool highlighted) {
        return uitest::draw (200, 20, [&] (juce::Graphics& g) {
            MdLookAndFeel::paintLinearSlider (g, 10, 0, 180, 20, 100.0f, juce::Slider::LinearHorizontal, slider,
                                              highlighted);
        });
    };
    const auto plain = draw (false);
    const auto halo = draw (true);

    // The halo reaches 8 pixels from the thumb centre; the thumb only 5.
    EXPECT_EQ (plain.getPixelAt (100, 3), juce::Colours::black);
    EXPECT_GT (halo.getPixelAt (100, 3).getBrightness(), 0.25f);
    EXPECT_EQ (plain.getPixelAt (100, 7), halo.getPixelAt (100, 7)) << "the thumb itself is opaque";
}

TEST_F (SliderLook, ReversedSliderAtItsMinimumHasTheThumbRightAndNoFill)
{
    slider.reversed = true;
    slider.setValue (0.0, juce::dontSendNotification);
    const auto image = uitest::render (slider, grey);

    EXPECT_LE (colourDistance (image.getPixelAt (190, 7), juce::Colours::white), 40) << "thumb at the right end";
    EXPECT_EQ (uitest::countNear (image, { 12, 9, 172, 2 }, Col::b2, 2), 172 * 2) << "bare groove";

    // At its maximum the fill runs from the right end to the thumb at the left.
    slider.setValue (1.0, juce::dontSendNotification);
    const auto full = uitest::render (slider, grey);
    EXPECT_LE (colourDistance (full.getPixelAt (10, 7), juce::Colours::white), 40);
    EXPECT_LT (colourDistance (full.getPixelAt (20, 9), trackColour), 20) << "full colour at the thumb";
    EXPECT_GT (colourDistance (full.getPixelAt (185, 9), trackColour), 80) << "faint at the right end";
}

TEST_F (SliderLook, VerticalFillGrowsUpFromTheBottom)
{
    slider.setSliderStyle (juce::Slider::LinearVertical);
    slider.setBounds (0, 0, 20, 200);
    slider.setValue (0.5, juce::dontSendNotification);
    const auto image = uitest::render (slider, grey);

    // Groove columns 9 and 10; thumb centred at y = 100.
    EXPECT_LE (colourDistance (image.getPixelAt (9, 40), Col::b2), 2) << "above the thumb";
    EXPECT_LT (colourDistance (image.getPixelAt (10, 110), trackColour), 25) << "just below the thumb";
    EXPECT_GT (colourDistance (image.getPixelAt (10, 186), trackColour), 80) << "faint at the bottom";
    EXPECT_LE (colourDistance (image.getPixelAt (8, 40), grey), 2);
}

TEST (MdLookAndFeelScrollbar, TrackAndThumbIgnoreHoverAndPress)
{
    MdLookAndFeel lnf;
    juce::ScrollBar bar (true);
    const auto draw = [&] (bool over, bool down) {
        return uitest::draw (
            10, 100, [&] (juce::Graphics& g) { lnf.drawScrollbar (g, bar, 0, 0, 10, 100, true, 30, 20, over, down); });
    };
    const auto idle = draw (false, false);

    EXPECT_EQ (idle.getPixelAt (5, 10), Col::bg2);
    EXPECT_EQ (idle.getPixelAt (5, 40), Col::b1);
    EXPECT_EQ (idle.getPixelAt (0, 40), Col::bg2) << "thumb inset by a pixel";
    EXPECT_EQ (idle.getPixelAt (9, 40), Col::bg2);
    EXPECT_EQ (idle.getPixelAt (5, 50), Col::bg2);

    for (const auto& image : { draw (true, false), draw (true, true) })
        for (int y = 0; y < 100; y += 5)
            for (int x = 0; x < 10; ++x)
                ASSERT_EQ (image.getPixelAt (x, y), idle.getPixelAt (x, y));

    const auto horizontal = uitest::draw (
        100, 10, [&] (juce::Graphics& g) { lnf.drawScrollbar (g, bar, 0, 0, 100, 10, false, 30, 20, false, false); });
    EXPECT_EQ (horizontal.getPixelAt (40, 5), Col::b1);
    EXPECT_EQ (horizontal.getPixelAt (40, 0), Col::bg2);
    EXPECT_EQ (horizontal.getPixelAt (60, 5), Col::bg2);
}

TEST (MdLookAndFeelPopupMenu, FilledWithAOnePixelOutline)
{
    MdLookAndFeel lnf;
    const auto image = uitest::draw (60, 40, [&] (juce::Graphics& g) { lnf.drawPopupMenuBackground (g, 60, 40); });
    EXPECT_EQ (image.getPixelAt (0, 0), Col::b0);
    EXPECT_EQ (image.getPixelAt (59, 20), Col::b0);
    EXPECT_EQ (image.getPixelAt (30, 39), Col::b0);
    EXPECT_EQ (image.getPixelAt (1, 1), Col::bg1);
    EXPECT_EQ (image.getPixelAt (30, 20), Col::bg1);
}

TEST (MdLookAndFeelCallOut, ShadowImageIsMadeOnceAndReused)
{
    MdLookAndFeel lnf;
    juce::Component parent, content;
    parent.setSize (400, 300);
    content.setSize (90, 26);
    juce::CallOutBox box (content, { 150, 150, 40, 20 }, &parent);
    ASSERT_GT (box.getWidth(), 0);

    juce::Path path;
    path.addRoundedRectangle (juce::Rectangle<float> (20.5f, 20.5f, 80.0f, 30.0f), 4.0f);

    juce::Image cache;
    const auto first = uitest::draw (
        box.getWidth(), box.getHeight(),
        [&] (juce::Graphics& g) { lnf.drawCallOutBoxBackground (box, g, path, cache); }, grey);
    ASSERT_TRUE (cache.isValid());
    EXPECT_EQ (cache.getWidth(), box.getWidth());
    EXPECT_EQ (cache.getHeight(), box.getHeight());
    EXPECT_GT (cache.getPixelAt (15, 35).getAlpha(), 0) << "shadow outside the path";
    EXPECT_EQ (cache.getPixelAt (box.getWidth() - 1, box.getHeight() - 1).getAlpha(), 0);

    const auto* const pixels = cache.getPixelData();
    const auto second = uitest::draw (
        box.getWidth(), box.getHeight(),
        [&] (juce::Graphics& g) { lnf.drawCallOutBoxBackground (box, g, path, cache); }, grey);
    EXPECT_EQ (cache.getPixelData(), pixels) << "the same image is drawn again";

    EXPECT_EQ (first.getPixelAt (60, 35), Col::bg1) << "body";
    EXPECT_LT (colourDistance (first.getPixelAt (60, 20), Col::am), 30) << "amber outline";
    EXPECT_LT (first.getPixelAt (15, 35).getBrightness(), grey.getBrightness()) << "shadow darkens the backdrop";
    EXPECT_EQ (second.getPixelAt (15, 35), first.getPixelAt (15, 35));
}

TEST (MdLookAndFeelFonts, TextButtonsUseTenPointMonospacedWhateverTheirHeight)
{
    MdLookAndFeel lnf;
    juce::TextButton button ("OK");
    for (const int height : { 12, 40 })
    {
        const auto font = lnf.getTextButtonFont (button, height);
        EXPECT_FLOAT_EQ (font.getHeight(), 10.0f);
        EXPECT_EQ (font.getTypefaceName(), juce::Font::getDefaultMonospacedFontName());
        EXPECT_FALSE (font.isBold());
    }
}
