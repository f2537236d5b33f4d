#include "UiTestSupport.h"

#include "support/CaseName.h"
#include "ui/AccordionComponent.h"
#include "ui/Col.h"
#include "ui/MdModeSwitch.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using uitest::colourDistance;

namespace
{
const AccordionColors tapeColours { juce::Colour (0xff865f3f), juce::Colour (0xff251b1d), juce::Colour (0xffd3af8f),
                                    juce::Colour (0xff855e3e) };

// Counts the height reports and keeps the last reported height.
struct Listener : AccordionComponent::HeightListener
{
    void accordionHeightChanged (AccordionComponent* s) override
    {
        ++calls;
        lastHeight = s->getCurrentHeight();
    }
    int calls = 0;
    int lastHeight = -1;
};

// A 418 px section with a 120 px body inside a parent, as the editor holds
// it, resized by its owner to 24 + its body height.
struct Section : public ::testing::Test
{
    Section()
    {
        section.setBodyHeight (120);
        section.setBody (std::make_unique<juce::Component>());
        parent.addAndMakeVisible (section);
        parent.setSize (418, 200);
        section.setBounds (0, 0, 418, 24);
        section.setHeightListener (&listener);
    }

    // Runs the animation step at ms after its start.
    void stepAt (juce::uint32 ms) { section.advanceAnimation (section.getAnimationStartMs() + ms); }

    juce::Component parent;
    AccordionComponent section { "TAPE", tapeColours, MdButton::Accent::co };
    Listener listener;
};
} // namespace

TEST_F (Section, StartsClosedWithItsEffectOffAndLooksIt)
{
    EXPECT_FALSE (section.isExpanded());
    EXPECT_EQ (section.getCurrentHeight(), 0);
    EXPECT_FALSE (section.isUnitActive());
    EXPECT_EQ (section.getPowerButton().getButtonText(), "OFF");
    EXPECT_TRUE (section.getPowerButton().isVisible());
    for (juce::Component* extra : { static_cast<juce::Component*> (&section.getSyncButton()),
                                    static_cast<juce::Component*> (&section.getWideButton()),
                                    static_cast<juce::Component*> (&section.get2xButton()),
                                    static_cast<juce::Component*> (&section.getModeSwitch()) })
    {
        EXPECT_FALSE (extra->isVisible());
        EXPECT_NEAR (extra->getAlpha(), 0.45f, 0.005f);
    }
    EXPECT_NEAR (section.getBody()->getAlpha(), 0.65f, 0.005f);
    EXPECT_EQ (section.getTitleLabel().findColour (juce::Label::textColourId), tapeColours.light.withAlpha (0.85f));
    EXPECT_EQ (section.getModeSwitch().getName(), "modeSwitch");
}

TEST_F (Section, PowerButtonSwitchesTheLookOfTheUnit)
{
    uitest::Mouse (section.getPowerButton()).click (20.0f, 9.0f);
    EXPECT_TRUE (section.isUnitActive());
    EXPECT_TRUE (section.getPowerButton().getToggleState());
    EXPECT_EQ (section.getPowerButton().getButtonText(), "ON");
    EXPECT_NEAR (section.getBody()->getAlpha(), 1.0f, 0.005f);
    EXPECT_NEAR (section.getSyncButton().getAlpha(), 1.0f, 0.005f);
    EXPECT_EQ (section.getTitleLabel().findColour (juce::Label::textColourId), tapeColours.light);
    EXPECT_FALSE (section.isExpanded()) << "the power button never opens or closes the section";

    uitest::Mouse (section.getPowerButton()).click (20.0f, 9.0f);
    EXPECT_FALSE (section.isUnitActive());
    EXPECT_EQ (section.getPowerButton().getButtonText(), "OFF");
    EXPECT_NEAR (section.getBody()->getAlpha(), 0.65f, 0.005f);
    EXPECT_NEAR (section.getModeSwitch().getAlpha(), 0.45f, 0.005f);

    // A body installed while the unit is off comes in dimmed too.
    section.setBody (std::make_unique<juce::Component>());
    EXPECT_NEAR (section.getBody()->getAlpha(), 0.65f, 0.005f);
}

TEST (SectionWithoutParent, OpensAndClosesAtOnce)
{
    AccordionComponent section ("WAVE", tapeColours, MdButton::Accent::pu);
    Listener listener;
    section.setHeightListener (&listener);
    section.setBodyHeight (80);
    section.setSize (418, 24);

    section.setExpanded (true);
    EXPECT_FALSE (section.isAnimating());
    EXPECT_EQ (section.getCurrentHeight(), 80);
    EXPECT_EQ (section.getBody()->getBounds(), juce::Rectangle<int> (0, 24, 418, 80));
    EXPECT_TRUE (section.getBody()->isVisible());

    section.setExpanded (false);
    EXPECT_EQ (section.getCurrentHeight(), 0);
    EXPECT_FALSE (section.getBody()->isVisible());
    EXPECT_EQ (listener.calls, 0);
}

TEST_F (Section, OpeningAnimatesLinearlyOver200Milliseconds)
{
    section.setExpanded (true);
    ASSERT_TRUE (section.isAnimating());
    EXPECT_TRUE (section.isExpanded());
    EXPECT_TRUE (section.getBody()->isVisible()) << "the body shows from the first step of an opening";

    struct Step
    {
        juce::uint32 ms;
        int height;
    };
    for (const auto& s : { Step { 0, 0 }, Step { 50, 30 }, Step { 101, 61 }, Step { 150, 90 }, Step { 199, 119 } })
    {
        stepAt (s.ms);
        EXPECT_EQ (section.getCurrentHeight(), s.height) << s.ms << " ms";
        EXPECT_EQ (listener.lastHeight, s.height) << s.ms << " ms";
        EXPECT_EQ (section.getBody()->getBounds(), juce::Rectangle<int> (0, 24, 418, s.height)) << s.ms << " ms";
        EXPECT_TRUE (section.isAnimating());
    }
    stepAt (260);
    EXPECT_EQ (section.getCurrentHeight(), 120);
    EXPECT_FALSE (section.isAnimating());

    // Closing ends with the body hidden.
    section.setExpanded (false);
    stepAt (100);
    EXPECT_EQ (section.getCurrentHeight(), 60);
    EXPECT_TRUE (section.getBody()->isVisible());
    stepAt (200);
    EXPECT_EQ (section.getCurrentHeight(), 0);
    EXPECT_FALSE (section.getBody()->isVisible());
}

TEST_F (Section, AToggleDuringAnAnimationStartsFromTheHeightReached)
{
    section.setExpanded (true);
    stepAt (100);
    ASSERT_EQ (section.getCurrentHeight(), 60);

    section.setExpanded (false);
    ASSERT_TRUE (section.isAnimating());
    stepAt (0);
    EXPECT_EQ (section.getCurrentHeight(), 60) << "the closing starts where the opening was";
    stepAt (100);
    EXPECT_EQ (section.getCurrentHeight(), 30);

    // Asking again for the state it is heading to restarts the same way.
    section.setExpanded (false);
    ASSERT_TRUE (section.isAnimating());
    stepAt (0);
    EXPECT_EQ (section.getCurrentHeight(), 30);
    stepAt (100);
    EXPECT_EQ (section.getCurrentHeight(), 15);
    section.finishAnimation();
    EXPECT_EQ (section.getCurrentHeight(), 0);

    // With nothing running, asking for the current state does nothing.
    const int calls = listener.calls;
    section.setExpanded (false);
    EXPECT_FALSE (section.isAnimating());
    EXPECT_EQ (listener.calls, calls);
}

TEST_F (Section, TheMessageLoopRunsTheAnimationToItsEnd)
{
    section.setExpanded (true);
    for (int i = 0; i < 100 && section.isAnimating(); ++i)
        uitest::pump (10);
    EXPECT_FALSE (section.isAnimating());
    EXPECT_EQ (section.getCurrentHeight(), 120);
    EXPECT_EQ (listener.lastHeight, 120);
    EXPECT_GT (listener.calls, 3) << "the height was reported step by step";
}

TEST_F (Section, APressOnTheHeaderTogglesAndAPressOnItsButtonsDoesNot)
{
    section.setShowSync (true);
    section.setShowWide (true);
    section.setShow2x (true);
    uitest::Mouse mouse (section);

    struct Press
    {
        const char* where;
        float x, y;
        bool toggles;
    };
    const Press presses[] = {
        { "title", 100.0f, 12.0f, true }, { "header glow right of the title", 240.0f, 6.0f, true },
        { "arrow", 409.0f, 12.0f, true }, { "power button", 20.0f, 12.0f, false },
        { "SYNC", 360.0f, 12.0f, false }, { "WIDE", 300.0f, 12.0f, false },
        { "2X", 260.0f, 12.0f, false },
    };
    for (const auto& p : presses)
    {
        const bool before = section.isExpanded();
        mouse.down (p.x, p.y);
        mouse.up (p.x, p.y);
        EXPECT_EQ (section.isExpanded() != before, p.toggles) << p.where;
        section.finishAnimation();
    }
    EXPECT_FALSE (section.isUnitActive()) << "presses on the section never switch the effect";
}

TEST_F (Section, HoverLightsTheHeaderGlowAndShowsAPointingHand)
{
    section.setExpanded (true);
    section.finishAnimation();
    section.setBounds (0, 0, 418, 144);

    auto glowAt = [this] {
        const auto image = uitest::render (section);
        return image.getPixelAt (57, 4); // between the power button and the title
    };
    const auto still = glowAt();
    uitest::Mouse (section).enter();
    EXPECT_TRUE (section.isHovered());
    EXPECT_EQ (section.getMouseCursor(), juce::MouseCursor (juce::MouseCursor::PointingHandCursor));
    const auto hovered = glowAt();
    EXPECT_GT (hovered.getRed(), still.getRed()) << "the coral glow grows by 30 % under the mouse";

    uitest::Mouse (section).exit();
    EXPECT_FALSE (section.isHovered());
    EXPECT_EQ (glowAt(), still);
}

//==============================================================================
struct HeaderCase
{
    const char* what;
    bool sync, wide, twoX, modeSwitch;
    juce::Rectangle<int> title;
};

class HeaderLayout : public ::testing::TestWithParam<HeaderCase>
{};

TEST_P (HeaderLayout, PlacesTheShownExtrasFromTheRightAndGivesTheTitleTheRest)
{
    const auto& c = GetParam();
    AccordionComponent section ("PITCH / CHORUS", tapeColours, MdButton::Accent::bl);
    section.setShowSync (c.sync);
    section.setShowWide (c.wide);
    section.setShow2x (c.twoX);
    section.setShowModeSwitch (c.modeSwitch);
    section.setBounds (0, 0, 418, 104);

    EXPECT_EQ (section.getPowerButton().getBounds(), juce::Rectangle<int> (6, 3, 46, 18));
    EXPECT_EQ (section.getTitleLabel().getBounds(), c.title);
    EXPECT_EQ (section.getSyncButton().isVisible(), c.sync);
    EXPECT_EQ (section.getWideButton().isVisible(), c.wide);
    EXPECT_EQ (section.get2xButton().isVisible(), c.twoX);
    EXPECT_EQ (section.getModeSwitch().isVisible(), c.modeSwitch);
    if (c.sync)
    {
        EXPECT_EQ (section.getSyncButton().getBounds(), juce::Rectangle<int> (350, 2, 40, 20));
    }
    if (c.wide)
    {
        EXPECT_EQ (section.getWideButton().getBounds(), juce::Rectangle<int> (c.sync ? 296 : 346, 2, 44, 20));
    }
    if (c.twoX)
    {
        EXPECT_EQ (section.get2xButton().getBounds(), juce::Rectangle<int> (252, 2, 34, 20));
    }
    if (c.modeSwitch)
    {
        EXPECT_EQ (section.getModeSwitch().getBounds(), juce::Rectangle<int> (274, 2, 116, 20));
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Extras, HeaderLayout, ::testing::Values (
    HeaderCase { "none", false, false, false, false, { 62, 0, 332, 24 } },
    HeaderCase { "sync", true, false, false, false, { 62, 0, 282, 24 } },
    HeaderCase { "wide", false, true, false, false, { 62, 0, 278, 24 } },
    HeaderCase { "sync wide 2x", true, true, true, false, { 62, 0, 184, 24 } },
    HeaderCase { "mode switch", false, false, false, true, { 62, 0, 206, 24 } }),
    testsupport::NameFromWhat());
// clang-format on

//==============================================================================
TEST (SectionPicture, BorderArrowAndGlowFollowTheStateAsDrawn)
{
    AccordionComponent section ("TAPE", tapeColours, MdButton::Accent::co);
    section.setBodyHeight (40);
    section.setExpanded (false);
    section.setBounds (0, 0, 418, 24);
    const float scale = 4.0f;
    auto picture = [&] { return uitest::renderScaled (section, scale, juce::Colours::black); };

    // Border: the accent brightened by 0.3 and 1.5 px while off, 0.6 and
    // 2.5 px while on, on the left edge half-way down the header.
    auto borderInk = [&] (const juce::Image& image) { return image.getPixelAt (1, 12 * 4); };
    const auto offImage = picture();
    EXPECT_LE (colourDistance (borderInk (offImage), tapeColours.accent.brighter (0.3f)), 3);
    section.setUnitActive (true);
    const auto onImage = picture();
    EXPECT_LE (colourDistance (borderInk (onImage), tapeColours.accent.brighter (0.6f)), 3);
    EXPECT_LE (colourDistance (onImage.getPixelAt (4, 12 * 4), tapeColours.accent.brighter (0.6f)), 3)
        << "2.5 px wide: its inner half still covers the fifth device pixel";

    // Glow: stronger on, in the coral of accent 4, fading to the right.
    const auto glowOff = offImage.getPixelAt (60 * 4, 12 * 4);
    const auto glowOn = onImage.getPixelAt (60 * 4, 12 * 4);
    EXPECT_GT (glowOn.getRed(), glowOff.getRed());
    EXPECT_GT (glowOn.getRed(), onImage.getPixelAt (380 * 4, 4 * 4).getRed());

    // Arrow: a 6 x 3 triangle at (w - 12, 10.5). Pointing down (closed),
    // its ink one unit in from the left lies at the top; pointing up (open),
    // at the bottom.
    auto arrowTip = [&] (const juce::Image& image) {
        const juce::Rectangle<int> column (juce::roundToInt ((418 - 12 + 0.5f) * scale),
                                           juce::roundToInt (10.5f * scale), juce::roundToInt (1.0f * scale),
                                           juce::roundToInt (3.0f * scale));
        return uitest::inkBounds (image.getClippedImage (column), juce::Colours::black, 60);
    };
    const auto down = arrowTip (onImage);
    section.setExpanded (true);
    section.setBounds (0, 0, 418, 64);
    const auto up = arrowTip (picture());
    ASSERT_FALSE (down.isEmpty());
    ASSERT_FALSE (up.isEmpty());
    EXPECT_LT (down.getCentreY(), up.getCentreY());
}

//==============================================================================
TEST (ModeSwitch, KnobAndBrightTextMarkTheSelectedSide)
{
    MdModeSwitch modeSwitch ("TAPE", "OD", Col::co);
    modeSwitch.setSize (116, 20);
    modeSwitch.setVisible (true);
    const auto track = MdModeSwitch::trackBounds ({ 0.0f, 0.0f, 116.0f, 20.0f });
    EXPECT_EQ (track, juce::Rectangle<float> (41.0f, 2.0f, 34.0f, 16.0f));

    // At 4x, where glyph stems cover whole pixels.
    for (const bool on : { false, true })
    {
        modeSwitch.setToggleState (on, juce::dontSendNotification);
        const auto image = uitest::renderScaled (modeSwitch, 4.0f, juce::Colours::black);
        const auto leftHalf = juce::Rectangle<int> (41, 2, 17, 16) * 4;
        const auto rightHalf = juce::Rectangle<int> (58, 2, 17, 16) * 4;
        const int knobLeft = uitest::countNear (image, leftHalf, Col::co, 20);
        const int knobRight = uitest::countNear (image, rightHalf, Col::co, 20);
        EXPECT_EQ (knobRight > knobLeft, on) << "knob on the " << (on ? "right" : "left");
        EXPECT_GT (std::max (knobLeft, knobRight), 12 * 12 * 4) << "a knob of diameter 12";

        const auto leftText =
            uitest::strongestInk (image, juce::Rectangle<int> (0, 0, 35, 20) * 4, juce::Colours::black);
        const auto rightText =
            uitest::strongestInk (image, juce::Rectangle<int> (81, 0, 35, 20) * 4, juce::Colours::black);
        EXPECT_LE (colourDistance (leftText, on ? Col::t2 : Col::t0), 8);
        EXPECT_LE (colourDistance (rightText, on ? Col::t0 : Col::t2), 8);
    }

    // A click flips it.
    modeSwitch.setToggleState (false, juce::dontSendNotification);
    uitest::Mouse (modeSwitch).click (58.0f, 10.0f);
    EXPECT_TRUE (modeSwitch.getToggleState());
}
