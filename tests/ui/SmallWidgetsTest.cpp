#include "UiTestSupport.h"

#include "ui/ClickCatcher.h"
#include "ui/ClickableLabel.h"
#include "ui/CloseButton.h"
#include "ui/Col.h"
#include "ui/Helper.h"

#include <gtest/gtest.h>

TEST (ClickableLabel, ClickRunsOnClickWithAPointingHand)
{
    ClickableLabel label ("link", "open folder");
    label.setBounds (0, 0, 100, 20);
    int clicks = 0;
    label.onClick = [&] { ++clicks; };

    uitest::Mouse (label).click (10.0f, 10.0f);
    EXPECT_EQ (clicks, 1);
    EXPECT_TRUE (label.getMouseCursor() == juce::MouseCursor (juce::MouseCursor::PointingHandCursor));

    label.onClick = nullptr;
    uitest::Mouse (label).click (10.0f, 10.0f); // no action set: nothing happens
    EXPECT_EQ (clicks, 1);
}

TEST (CloseButton, MouseDownClicksAndHoverIsTracked)
{
    CloseButton button;
    button.setBounds (0, 0, 14, 14);
    int clicks = 0;
    button.onClick = [&] { ++clicks; };
    uitest::Mouse mouse (button);

    mouse.enter();
    EXPECT_TRUE (button.isHovered());
    mouse.down (7.0f, 7.0f);
    EXPECT_EQ (clicks, 1) << "on mouse down";
    mouse.up (7.0f, 7.0f);
    mouse.exit();
    EXPECT_FALSE (button.isHovered());
    EXPECT_EQ (clicks, 1);
}

TEST (CloseButton, CrossIsDimUntilHovered)
{
    // 28 pixels wide: the grid unit is 2, the cross's lines 2.4 thick.
    CloseButton button;
    button.setBounds (0, 0, 28, 28);
    uitest::Mouse mouse (button);

    const auto dim = juce::Colours::black.overlaidWith (Col::t2.withAlpha (0.65f));
    const auto idle = uitest::render (button);
    EXPECT_LE (uitest::colourDistance (idle.getPixelAt (6, 6), dim), 3);
    EXPECT_LE (uitest::colourDistance (idle.getPixelAt (21, 6), dim), 3);
    EXPECT_EQ (idle.getPixelAt (14, 4), juce::Colours::black) << "between the arms";
    EXPECT_EQ (idle.getPixelAt (1, 1), juce::Colours::black) << "the arms end at 2 grid units";

    mouse.enter();
    const auto hovered = uitest::render (button);
    EXPECT_LE (uitest::colourDistance (hovered.getPixelAt (6, 6), Col::t0), 3);
    EXPECT_LE (uitest::colourDistance (hovered.getPixelAt (21, 6), Col::t0), 3);
}

TEST (CloseButton, TextVersionIsAnAmberPill)
{
    CloseButton button ("CLOSE");
    button.setBounds (0, 0, 60, 20);
    uitest::Mouse mouse (button);

    const auto idle = uitest::render (button);
    EXPECT_LE (
        uitest::colourDistance (idle.getPixelAt (4, 10), juce::Colours::black.overlaidWith (Col::am.withAlpha (0.9f))),
        2);
    EXPECT_EQ (idle.getPixelAt (0, 0), juce::Colours::black) << "rounded corner";
    const auto large = uitest::renderScaled (button, 4.0f, juce::Colours::black);
    EXPECT_LE (
        uitest::colourDistance (uitest::strongestInk (large, { 40, 12, 160, 56 }, large.getPixelAt (16, 40)), Col::bg0),
        4)
        << "dark text";

    mouse.enter();
    const auto hovered = uitest::render (button);
    EXPECT_LE (uitest::colourDistance (hovered.getPixelAt (4, 10), Col::am), 2);
}

TEST (ClickCatcher, TakesClicksOnlyWhileActive)
{
    ClickCatcher catcher;
    int clicks = 0;
    catcher.onClick = [&] { ++clicks; };
    catcher.setBounds (0, 0, 100, 100);

    bool interceptsSelf = true, interceptsChildren = true;
    catcher.getInterceptsMouseClicks (interceptsSelf, interceptsChildren);
    EXPECT_FALSE (catcher.isVisible());
    EXPECT_FALSE (interceptsSelf);

    catcher.setActive (true);
    catcher.getInterceptsMouseClicks (interceptsSelf, interceptsChildren);
    EXPECT_TRUE (catcher.isVisible());
    EXPECT_TRUE (interceptsSelf);
    uitest::Mouse (catcher).down (50.0f, 50.0f);
    EXPECT_EQ (clicks, 1);

    catcher.setActive (false);
    catcher.getInterceptsMouseClicks (interceptsSelf, interceptsChildren);
    EXPECT_FALSE (catcher.isVisible());
    EXPECT_FALSE (interceptsSelf);
    uitest::Mouse (catcher).down (50.0f, 50.0f);
    EXPECT_EQ (clicks, 1);

    // It paints nothing.
    catcher.setActive (true);
    const auto image = uitest::render (catcher, juce::Colours::grey);
    EXPECT_TRUE (uitest::inkBounds (image, juce::Colours::grey, 0).isEmpty());
}

TEST (HelperStyleLabel, UpperCasedKernedSansSerifCaption)
{
    juce::Label label;
    int notifications = 0;
    struct Counter : juce::Label::Listener
    {
        int& n;
        explicit Counter (int& count)
            : n (count)
        {
        }
        void labelTextChanged (juce::Label*) override { ++n; }
    } counter (notifications);
    label.addListener (&counter);

    Helper::styleLabel (label, "Tape Wear", Col::t1, 9.0f);
    label.removeListener (&counter);

    EXPECT_EQ (label.getText(), "TAPE WEAR");
    EXPECT_EQ (notifications, 0);
    const auto font = label.getFont();
    EXPECT_EQ (font.getTypefaceName(), juce::Font::getDefaultSansSerifFontName());
    EXPECT_FLOAT_EQ (font.getHeight(), 9.0f);
    EXPECT_FLOAT_EQ (font.getExtraKerningFactor(), 0.12f);
    EXPECT_FALSE (font.isBold());
    EXPECT_EQ (label.findColour (juce::Label::textColourId), Col::t1);
    EXPECT_EQ (label.getJustificationType(), juce::Justification (juce::Justification::centredLeft));
}
