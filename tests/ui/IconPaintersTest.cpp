#include "UiTestSupport.h"

#include "support/CaseName.h"
#include "ui/IconPainters.h"
#include "ui/MdButton.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
using Painter = float (*) (juce::Graphics&, juce::Rectangle<float>, juce::Colour);

struct IconCase
{
    const char* what;
    Painter paint;
    float gridW, gridH;
};

juce::Image drawIcon (Painter paint, juce::Rectangle<float> area, int w, int h, float* returned = nullptr)
{
    return uitest::draw (w, h, [&] (juce::Graphics& g) {
        const float width = paint (g, area, juce::Colours::white);
        if (returned != nullptr)
            *returned = width;
    });
}
} // namespace

class IconPainter : public ::testing::TestWithParam<IconCase>
{};

TEST_P (IconPainter, ReturnsTheGridWidthTimesTheFittingScale)
{
    const auto& c = GetParam();
    for (const auto area :
         { juce::Rectangle<float> (10.0f, 20.0f, 100.0f, 40.0f), juce::Rectangle<float> (0.0f, 0.0f, 30.0f, 90.0f),
           juce::Rectangle<float> (5.0f, 5.0f, 14.0f, 14.0f) })
    {
        const float s = std::min (area.getWidth() / c.gridW, area.getHeight() / c.gridH);
        float returned = 0.0f;
        drawIcon (c.paint, area, 130, 100, &returned);
        EXPECT_NEAR (returned, c.gridW * s, 1.0e-4f) << area.toString();
    }
}

TEST_P (IconPainter, KeepsItsAspectRatioAndIsCentred)
{
    const auto& c = GetParam();

    // Reference: the icon exactly filling its own grid at the same scale as
    // the wide area below gets (limited by the height of 40).
    const float s = std::min (100.0f / c.gridW, 40.0f / c.gridH);
    const auto fitted = drawIcon (c.paint, { 0.0f, 0.0f, c.gridW * s, c.gridH * s }, 130, 100);
    const auto reference = uitest::inkBounds (fitted, juce::Colours::black);
    ASSERT_FALSE (reference.isEmpty());

    const juce::Rectangle<float> wide (10.0f, 20.0f, 100.0f, 40.0f);
    const auto ink = uitest::inkBounds (drawIcon (c.paint, wide, 130, 100), juce::Colours::black);

    EXPECT_NEAR (ink.getWidth(), reference.getWidth(), 1);
    EXPECT_NEAR (ink.getHeight(), reference.getHeight(), 1);

    // Centred: the ink sits where the reference's ink sits, shifted by the
    // offset of the centred grid.
    const float offsetX = wide.getCentreX() - c.gridW * s / 2.0f;
    const float offsetY = wide.getCentreY() - c.gridH * s / 2.0f;
    EXPECT_NEAR (ink.getX(), reference.getX() + offsetX, 1.0);
    EXPECT_NEAR (ink.getY(), reference.getY() + offsetY, 1.0);
}

TEST_P (IconPainter, DrawsInTheGivenColourAndLeavesTheGraphicsStateAsItWas)
{
    const auto& c = GetParam();
    const auto image = uitest::draw (64, 64, [&] (juce::Graphics& g) {
        g.setColour (juce::Colours::red);
        c.paint (g, { 0.0f, 0.0f, 48.0f, 48.0f }, juce::Colour (0xff2edd9e));
        g.fillRect (60, 60, 4, 4); // after the icon: no transform, the caller's colour
    });

    EXPECT_GT (uitest::countNear (image, image.getBounds(), juce::Colour (0xff2edd9e), 4), 20);
    EXPECT_EQ (image.getPixelAt (62, 62), juce::Colours::red);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Icons, IconPainter,
                          ::testing::Values (IconCase { "sync", &IconPainters::sync, 14.0f, 12.0f },
                                             IconCase { "flip", &IconPainters::flip, 16.0f, 12.0f },
                                             IconCase { "twistRev", &IconPainters::twistRev, 14.0f, 14.0f },
                                             IconCase { "dice", &IconPainters::dice, 14.0f, 14.0f },
                                             IconCase { "lock", &IconPainters::lock, 11.0f, 11.0f }),
                          testsupport::NameFromWhat());
// clang-format on

TEST (IconPainters, FitMdButtonsPainterAsPlainFunctions)
{
    MdButton button ("", MdButton::Accent::am);
    button.iconPainter = &IconPainters::lock;
    float width = 0.0f;
    const auto image = uitest::draw (30, 30, [&] (juce::Graphics& g) {
        width = button.iconPainter (g, { 0.0f, 0.0f, 22.0f, 22.0f }, juce::Colours::white);
    });
    EXPECT_FLOAT_EQ (width, 22.0f);
    EXPECT_FALSE (uitest::inkBounds (image, juce::Colours::black).isEmpty());
}

TEST (IconPainters, LockShackleArcsOverTheTopBetweenItsPosts)
{
    // Grid 11 x 11 at scale 10: posts at x = 32 and 78, the arc's top at y = 10,
    // the body from y = 50 down.
    const auto image = drawIcon (&IconPainters::lock, { 0.0f, 0.0f, 110.0f, 110.0f }, 110, 110);
    const auto lit = [&] (int x, int y) { return image.getPixelAt (x, y).getBrightness() > 0.5f; };

    EXPECT_TRUE (lit (55, 10)) << "top of the arc";
    EXPECT_TRUE (lit (32, 40)) << "left post";
    EXPECT_TRUE (lit (78, 40)) << "right post";
    EXPECT_TRUE (lit (71, 16)) << "right shoulder of the arc";
    EXPECT_FALSE (lit (55, 35)) << "inside the shackle";
    EXPECT_FALSE (lit (43, 43)) << "no stroke through the inside";
}
