#include "UiTestSupport.h"

#include "support/CaseName.h"
#include "ui/Col.h"
#include "ui/IconPainters.h"
#include "ui/MdButton.h"

#include <gtest/gtest.h>

using Accent = MdButton::Accent;
using uitest::colourDistance;

namespace
{
const juce::Colour grey { 0xff808080 };
constexpr float scale = 4.0f;

// An 80 x 24 button at (10, 10) of a grey 100 x 44 backdrop, rendered at 4x
// so that hairline borders cover whole pixels.
struct Stage : public juce::Component
{
    explicit Stage (MdButton& b)
    {
        addAndMakeVisible (b);
        b.setBounds (10, 10, 80, 24);
        setSize (100, 44);
    }

    void paint (juce::Graphics& g) override { g.fillAll (grey); }
};

enum class State
{
    normal,
    hovered,
    pressed
};

juce::Image renderButton (MdButton& button, bool on, State state)
{
    Stage stage (button);
    button.setToggleState (on, juce::dontSendNotification);
    button.setState (state == State::pressed   ? juce::Button::buttonDown
                     : state == State::hovered ? juce::Button::buttonOver
                                               : juce::Button::buttonNormal);
    auto image = uitest::renderScaled (stage, scale, grey);
    stage.removeChildComponent (&button);
    return image;
}

// Device pixel of a point given in the button's own coordinates.
juce::Colour at (const juce::Image& image, float x, float y)
{
    return image.getPixelAt (juce::roundToInt ((10.0f + x) * scale), juce::roundToInt ((10.0f + y) * scale));
}

juce::Rectangle<int> deviceArea (float x, float y, float w, float h)
{
    return juce::Rectangle<float> ((10.0f + x) * scale, (10.0f + y) * scale, w * scale, h * scale).toNearestInt();
}

juce::Colour over (juce::Colour top, juce::Colour below)
{
    return below.overlaidWith (top);
}
} // namespace

//==============================================================================
// Plain style, teal accent, text "GO" in 16 pt (thick enough to sample).
struct PlainCase
{
    const char* what;
    bool on;
    State state;
    bool subtleHover;
    juce::Colour body;   // sampled at (10, 12)
    juce::Colour border; // sampled just outside the left edge, (-0.25, 12)
    juce::Colour text;
    juce::Colour glow; // sampled at (-2, 12); grey where there is none
};

class MdButtonPlain : public ::testing::TestWithParam<PlainCase>
{};

TEST_P (MdButtonPlain, PaintsTheColoursOfItsState)
{
    const auto& c = GetParam();
    MdButton button ("GO", Accent::te);
    button.fontSize = 16.0f;
    button.subtleHover = c.subtleHover;
    const auto image = renderButton (button, c.on, c.state);

    EXPECT_LE (colourDistance (at (image, 10.0f, 12.0f), c.body), 3) << "body";
    EXPECT_LE (colourDistance (at (image, -0.25f, 12.0f), c.border), 4) << "border";
    EXPECT_LE (colourDistance (at (image, -2.0f, 12.0f), c.glow), 3) << "glow";

    const auto body = at (image, 10.0f, 12.0f);
    EXPECT_LE (colourDistance (uitest::strongestInk (image, deviceArea (20.0f, 2.0f, 40.0f, 20.0f), body), c.text), 4)
        << "text";
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (
    States, MdButtonPlain,
    ::testing::Values (
        PlainCase { "off", false, State::normal, false, Col::bg1, Col::b0.brighter (0.25f), Col::t1, grey },
        PlainCase { "off hovered", false, State::hovered, false, over (Col::bg1.withAlpha (0.4f), grey),
                    over (Col::b0.withAlpha (0.6f), grey), Col::t0, grey },
        PlainCase { "off hovered subtle", false, State::hovered, true, Col::bg1, Col::b0.brighter (0.6f), Col::t1,
                    grey },
        PlainCase { "off pressed", false, State::pressed, false, Col::bg1.darker (0.2f),
                    over (Col::b0.withAlpha (0.6f), grey), Col::t0, grey },
        PlainCase { "on", true, State::normal, false, Col::te_bg, Col::te_br, Col::te,
                    over (Col::te_br.withAlpha (0.35f), grey) },
        PlainCase { "on hovered", true, State::hovered, false, Col::te_bg.brighter (0.2f), Col::te_br.brighter (0.2f),
                    Col::te, over (Col::te_br.withAlpha (0.35f), grey) },
        PlainCase { "on hovered subtle", true, State::hovered, true, Col::te_bg, Col::te_br.brighter (0.2f), Col::te,
                    over (Col::te_br.withAlpha (0.35f), grey) },
        PlainCase { "on pressed", true, State::pressed, false, Col::bg1.darker (0.2f), Col::te_br.brighter (0.2f),
                    Col::te, over (Col::te_br.withAlpha (0.35f), grey) }),
    testsupport::NameFromWhat());
// clang-format on

//==============================================================================
// Each accent colours an "on" button with its own triple.
struct AccentCase
{
    const char* what;
    Accent accent;
    juce::Colour background, border, colour;
};

class MdButtonAccent : public ::testing::TestWithParam<AccentCase>
{};

TEST_P (MdButtonAccent, OnButtonUsesTheAccentTriple)
{
    const auto& c = GetParam();
    MdButton button ("GO", c.accent);
    button.fontSize = 16.0f;
    const auto image = renderButton (button, true, State::normal);

    EXPECT_EQ (MdButton::getAccentColour (c.accent), c.colour);
    EXPECT_LE (colourDistance (at (image, 10.0f, 12.0f), c.background), 3);
    EXPECT_LE (colourDistance (at (image, -0.25f, 12.0f), c.border), 4);
    EXPECT_LE (
        colourDistance (uitest::strongestInk (image, deviceArea (20.0f, 2.0f, 40.0f, 20.0f), c.background), c.colour),
        4);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (
    Accents, MdButtonAccent,
    ::testing::Values (AccentCase { "none", Accent::none, Col::bg1, Col::b1, Col::t1 },
                       AccentCase { "am", Accent::am, Col::am_bg, Col::am_br, Col::am },
                       AccentCase { "pu", Accent::pu, Col::pu_bg, Col::pu_br, Col::pu },
                       AccentCase { "te", Accent::te, Col::te_bg, Col::te_br, Col::te },
                       AccentCase { "co", Accent::co, Col::co_bg, Col::co_br, Col::co },
                       AccentCase { "bl", Accent::bl, Col::bl_bg, Col::bl_br, Col::bl },
                       AccentCase { "mg", Accent::mg, Col::mg_bg, Col::mg_br, Col::mg },
                       AccentCase { "out of range", static_cast<Accent> (9), Col::bg1, Col::b1, Col::t1 }),
    testsupport::NameFromWhat());
// clang-format on

TEST (MdButtonCustomColours, ReplaceTheAccentUntilCleared)
{
    const juce::Colour bg (0xff203040), border (0xff4080c0), text (0xffe0c020);
    MdButton button ("GO", Accent::pu);
    button.fontSize = 16.0f;
    button.setCustomColors (bg, border, text);

    auto image = renderButton (button, true, State::normal);
    EXPECT_LE (colourDistance (at (image, 10.0f, 12.0f), bg), 3);
    EXPECT_LE (colourDistance (at (image, -0.25f, 12.0f), border), 4);
    EXPECT_LE (colourDistance (uitest::strongestInk (image, deviceArea (20.0f, 2.0f, 40.0f, 20.0f), bg), text), 4);

    button.clearCustomColors();
    image = renderButton (button, true, State::normal);
    EXPECT_LE (colourDistance (at (image, 10.0f, 12.0f), Col::pu_bg), 3);
}

//==============================================================================
TEST (MdButtonIconOnly, DrawsOnlyTheIconInTheStateColour)
{
    struct Case
    {
        bool on;
        State state;
        juce::Colour colour;
    };
    for (const auto& c : { Case { false, State::normal, Col::t2 }, Case { false, State::hovered, Col::t0 },
                           Case { true, State::normal, Col::am }, Case { true, State::hovered, Col::am } })
    {
        MdButton button ("NO TEXT HERE", Accent::am);
        button.iconOnly = true;
        button.iconPainter = &IconPainters::dice;
        button.setCustomColors (juce::Colours::red, juce::Colours::red, juce::Colours::red); // ignored
        const auto image = renderButton (button, c.on, c.state);

        // Only the die's face, centred in the 80 x 24 button: a 20-pixel square
        // around x = 40; no text, background or border anywhere else.
        const auto ink = uitest::inkBounds (image, grey, 8);
        EXPECT_TRUE (deviceArea (29.0f, 1.0f, 22.0f, 22.0f).contains (ink)) << ink.toString();
        EXPECT_LE (colourDistance (uitest::strongestInk (image, image.getBounds(), grey), c.colour), 4);
    }
}

TEST (MdButtonIconOnly, FitsAPathIconWhenThereIsNoPainter)
{
    MdButton button ("", Accent::bl);
    button.iconOnly = true;
    button.icon.addRectangle (0.0f, 0.0f, 10.0f, 5.0f); // 2:1, scaled to the 20-pixel square's side
    const auto image = renderButton (button, true, State::normal);

    const auto ink = uitest::inkBounds (image, grey, 8);
    EXPECT_NEAR (ink.getWidth(), 20.0f * scale, 2.0f);
    EXPECT_NEAR (ink.getHeight(), 10.0f * scale, 2.0f);
    EXPECT_NEAR (ink.getCentreX(), (10.0f + 40.0f) * scale, 2.0f);
    EXPECT_NEAR (ink.getCentreY(), (10.0f + 12.0f) * scale, 2.0f);
    EXPECT_LE (colourDistance (at (image, 40.0f, 12.0f), Col::bl), 2);
}

TEST (MdButtonContent, IconAndTextAreCentredAsAGroupOrAlignedLeft)
{
    for (const bool left : { false, true })
    {
        MdButton button ("ABCD", Accent::none);
        button.iconPainter = &IconPainters::dice;
        button.alignLeft = left;
        const auto image = renderButton (button, false, State::normal);
        const auto body = at (image, 2.0f, 12.0f);

        // The die is drawn in the square (x0, 2, 20, 20): the outer edge of
        // its outline is 0.5 grid units (0.7 pixels) inside the square.
        const auto ink = uitest::inkBounds (image.getClippedImage (deviceArea (1.0f, 5.0f, 78.0f, 14.0f)), body, 20);
        const float inkLeft = static_cast<float> (ink.getX()) / scale + 1.0f;
        const float inkRight = static_cast<float> (ink.getRight()) / scale + 1.0f;
        if (left)
        {
            EXPECT_NEAR (inkLeft, 4.0f + 0.7f, 0.5f);
        }
        else
        {
            EXPECT_NEAR ((inkLeft - 0.7f + inkRight) / 2.0f, 40.0f, 1.5f) << "group centred";
        }
    }
}

//==============================================================================
// Chrome: the main buttons' gradient body and rim.
struct ChromeCase
{
    const char* what;
    bool on;
    State state;
    juce::Colour top; // body colour at the top edge
    juce::Colour rimTop, rimMiddle, rimBottom;
    juce::Colour icon;
};

class MdButtonChrome : public ::testing::TestWithParam<ChromeCase>
{};

TEST_P (MdButtonChrome, PaintsBodyRimIconAndText)
{
    const auto& c = GetParam();
    MdButton button ("SYNC", Accent::am);
    button.chrome = true;
    button.fontSize = 14.0f;
    button.iconPainter = &IconPainters::dice;
    const auto image = renderButton (button, c.on, c.state);

    // Body: top colour near the top, brightened by 0.1 at the bottom.
    EXPECT_LE (colourDistance (at (image, 8.0f, 2.2f), c.top), 3) << "body top";
    EXPECT_LE (colourDistance (at (image, 8.0f, 21.8f), c.top.brighter (0.1f)), 3) << "body bottom";

    // Rim: one pixel wide, inset by half a pixel; vertical gradient with a middle stop.
    EXPECT_LE (colourDistance (at (image, 40.0f, 0.5f), c.rimTop), 6) << "rim top";
    EXPECT_LE (colourDistance (at (image, 0.5f, 12.0f), c.rimMiddle), 6) << "rim middle";
    EXPECT_LE (colourDistance (at (image, 40.0f, 23.4f), c.rimBottom), 8) << "rim bottom";

    // The icon sits in a 14-pixel square left of the text; its strongest
    // pixel is the icon colour.
    EXPECT_LE (colourDistance (uitest::strongestInk (image, deviceArea (5.0f, 5.0f, 24.0f, 14.0f), c.top), c.icon), 4)
        << "icon";

    // The text is filled with a vertical gradient over the button's height:
    // in every row through the middle of the text, the brightest green (a
    // fully covered pixel of a stem) is the gradient's green at that height.
    const int greenTop = 0xf3;
    const int greenBottom = c.on ? 0xd2 : 0xa1;
    for (float y = 9.0f; y <= 15.0f; y += 1.0f)
    {
        const auto row = deviceArea (31.0f, y, 40.0f, 0.25f);
        int green = 0;
        for (int x = row.getX(); x < row.getRight(); ++x)
            green = std::max (green, static_cast<int> (image.getPixelAt (x, row.getY()).getGreen()));
        const float expected =
            static_cast<float> (greenTop) + (static_cast<float> (greenBottom - greenTop)) * (y + 0.125f) / 24.0f;
        EXPECT_NEAR (green, expected, 4.0f) << "text gradient at y = " << y;
    }
}

TEST (MdButtonChromeFont, BoldThickensTheText)
{
    const auto inkCount = [] (bool bold) {
        MdButton button ("TAP SYNC", Accent::am);
        button.chrome = true;
        button.bold = bold;
        const auto image = renderButton (button, false, State::normal);
        const auto body = at (image, 3.0f, 12.0f);
        int n = 0;
        const auto area = deviceArea (6.0f, 4.0f, 68.0f, 16.0f);
        for (int y = area.getY(); y < area.getBottom(); ++y)
            for (int x = area.getX(); x < area.getRight(); ++x)
                n += colourDistance (image.getPixelAt (x, y), body) > 80 ? 1 : 0;
        return n;
    };
    EXPECT_GT (inkCount (true), inkCount (false) * 11 / 10);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (
    States, MdButtonChrome,
    ::testing::Values (
        ChromeCase { "off", false, State::normal, juce::Colour (0xff08080d),
                     juce::Colour (0xff3a3e46).brighter (0.15f), juce::Colour (0xff6b7280), juce::Colour (0xffe8ecef),
                     juce::Colour (0xffc7cdd6) },
        ChromeCase { "off hovered", false, State::hovered, juce::Colour (0xff08080d).brighter (0.08f),
                     juce::Colour (0xff3a3e46).brighter (0.15f).brighter (0.15f), juce::Colour (0xff6b7280),
                     juce::Colour (0xffe8ecef), juce::Colour (0xffc7cdd6) },
        ChromeCase { "off pressed", false, State::pressed, juce::Colour (0xff08080d).darker (0.2f),
                     juce::Colour (0xff3a3e46).brighter (0.15f).brighter (0.15f), juce::Colour (0xff6b7280),
                     juce::Colour (0xffe8ecef), juce::Colour (0xffc7cdd6) },
        ChromeCase { "on", true, State::normal, juce::Colour (0xff1a1404), juce::Colour (0xff8a5f00).brighter (0.15f),
                     juce::Colour (0xffffd23d), juce::Colour (0xffffe9a3), juce::Colour (0xffffd23d) },
        ChromeCase { "on pressed", true, State::pressed, juce::Colour (0xff1a1404).darker (0.2f),
                     juce::Colour (0xff8a5f00).brighter (0.15f).brighter (0.15f), juce::Colour (0xffffd23d),
                     juce::Colour (0xffffe9a3), juce::Colour (0xffffd23d) }),
    testsupport::NameFromWhat());
// clang-format on
