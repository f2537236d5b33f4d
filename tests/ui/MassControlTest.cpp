#include "UiTestSupport.h"

#include "plugin/PluginProcessor.h"
#include "ui/Col.h"
#include "ui/MassControl.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace
{
// Counts the change gestures the host would see.
struct GestureCounter : public juce::AudioProcessorListener
{
    void audioProcessorParameterChanged (juce::AudioProcessor*, int, float) override {}
    void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override {}
    void audioProcessorParameterChangeGestureBegin (juce::AudioProcessor*, int) override { ++begins; }
    void audioProcessorParameterChangeGestureEnd (juce::AudioProcessor*, int) override { ++ends; }
    int begins = 0, ends = 0;
};

struct Twist : public ::testing::Test
{
    Twist()
    {
        control.setBounds (0, 0, 436, 64);
        control.onParamDragStart = [this] (const juce::String& id) { started.add (id); };
        control.onParamDragEnd = [this] (const juce::String& id) { ended.add (id); };
        processor.addListener (&gestures);
    }

    ~Twist() override { processor.removeListener (&gestures); }

    void set (const char* id, float value)
    {
        auto* p = processor.getValueTreeState().getParameter (id);
        p->setValueNotifyingHost (p->convertTo0to1 (value));
    }

    float g() { return processor.getValueTreeState().getRawParameterValue ("g")->load(); }

    juce::Point<float> focus() { return MassControl::focusFor (436.0f, 64.0f, g()); }

    MassDelayAudioProcessor processor;
    MassControl control { processor.getValueTreeState() };
    uitest::Mouse mouse { control };
    GestureCounter gestures;
    juce::StringArray started, ended;
};

float brightness (juce::Colour c)
{
    return (static_cast<float> (c.getRed()) + c.getGreen() + c.getBlue()) / 3.0f;
}
} // namespace

TEST_F (Twist, ClickAndDragMapTheWidthLinearlyWithADeadZoneAndClampedEnds)
{
    struct Case
    {
        float x;
        bool rev;
        float expected;
    };
    const std::vector<Case> cases {
        { 0.0f, false, -100.0f },  { 436.0f, false, 100.0f }, { 218.0f, false, 0.0f },    { 109.0f, false, -50.0f },
        { 327.0f, false, 50.0f },  { 220.0f, false, 0.0f }, // v = 0.92: inside the dead zone
        { 216.0f, false, 0.0f },   { 222.36f, false, 2.0f },  { -40.0f, false, -100.0f }, // past the left edge
        { 900.0f, false, 100.0f }, { 0.0f, true, 100.0f },    { 436.0f, true, -100.0f },  { 109.0f, true, 50.0f },
        { 222.36f, true, -2.0f },  { -40.0f, true, 100.0f },  { 900.0f, true, -100.0f },
    };

    for (const auto& c : cases)
    {
        set ("rev", c.rev ? 1.0f : 0.0f);
        set ("g", 37.0f);
        mouse.down (c.x, 30.0f);
        EXPECT_NEAR (g(), c.expected, 0.011f) << "click at x = " << c.x << (c.rev ? " (rev)" : "");
        mouse.drag (c.x + 1.0f, 30.0f);
        mouse.drag (c.x, 30.0f);
        mouse.up (c.x, 30.0f, {}, true);
        EXPECT_NEAR (g(), c.expected, 0.011f) << "drag to x = " << c.x << (c.rev ? " (rev)" : "");
    }
    EXPECT_EQ (started.size(), static_cast<int> (cases.size()));
    EXPECT_EQ (ended.size(), static_cast<int> (cases.size()));
    EXPECT_EQ (started[0], "g");
    EXPECT_EQ (ended[0], "g");
    EXPECT_EQ (gestures.begins, static_cast<int> (cases.size()));
    EXPECT_EQ (gestures.ends, static_cast<int> (cases.size()));
}

TEST_F (Twist, DoubleClickResetsToZeroInOneGesture)
{
    set ("g", -63.0f);
    const int beginsBefore = gestures.begins;
    control.mouseDoubleClick (juce::MouseEvent (juce::Desktop::getInstance().getMainMouseSource(), { 10.0f, 10.0f },
                                                juce::ModifierKeys::leftButtonModifier, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f,
                                                &control, &control, juce::Time::getCurrentTime(), { 10.0f, 10.0f },
                                                juce::Time::getCurrentTime(), 2, false));
    EXPECT_EQ (g(), 0.0f);
    EXPECT_EQ (gestures.begins - beginsBefore, 1);
    EXPECT_EQ (gestures.ends, gestures.begins);
}

TEST_F (Twist, ANarrowControlIgnoresTheMouse)
{
    control.setBounds (0, 0, 0, 64);
    set ("g", 12.0f);
    control.setFromX (0.0f);
    EXPECT_NEAR (g(), 12.0f, 0.011f);
}

TEST (SignedPercent, RoundsHalfAwayFromZeroWithAnExplicitPlus)
{
    const std::vector<std::pair<float, std::string>> cases {
        { 0.0f, "0%" },       { 25.0f, "+25%" }, { -40.0f, "-40%" },       { 0.5f, "+1%" },
        { -0.5f, "-1%" },     { 0.49f, "0%" },   { -0.4f, "0%" },          { 99.5f, "+100%" },
        { -100.0f, "-100%" }, { 12.4f, "+12%" }, { std::nanf (""), "0%" },
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ (ui::gfm::signedPercent (value), text) << value;
}

TEST (DotStream, NegativeTwistSwallowsDotsAtTheFocusAndNeverShowsThemThere)
{
    const float w = 436.0f, h = 64.0f;
    for (const float g : { -100.0f, -60.0f })
    {
        const auto f = MassControl::focusFor (w, h, g);
        int swallowed = 0;
        for (double t = 0.0; t < 3.0; t += 0.37)
            for (const auto& dot : MassControl::computeDots (t, w, h, g, f.x, f.y))
            {
                const float d = std::hypot (dot.x - f.x, dot.y - f.y);
                if (dot.swallowed)
                {
                    ++swallowed;
                    EXPECT_LT (d, 12.0f);
                    EXPECT_EQ (dot.alpha, 0.0f);
                    EXPECT_TRUE (dot.nearCore);
                }
                else
                {
                    EXPECT_GE (d, 12.0f) << "a visible dot inside the singularity at g = " << g;
                    EXPECT_GT (dot.alpha, 0.03f);
                    EXPECT_LE (dot.alpha, 1.0f);
                }
            }
        EXPECT_GT (swallowed, 0) << "g = " << g;
    }
}

TEST (DotStream, ZeroAndPositiveTwistKeepTheStreamOnItsLineAndSwallowNothing)
{
    const float w = 436.0f, h = 64.0f;
    for (const float g : { 0.0f, 50.0f, 100.0f })
    {
        const auto f = MassControl::focusFor (w, h, g);
        const auto dots = MassControl::computeDots (1.234, w, h, g, f.x, f.y);
        ASSERT_GT (dots.size(), 10u);
        for (const auto& dot : dots)
        {
            EXPECT_FALSE (dot.swallowed);
            EXPECT_FALSE (dot.nearCore);
            EXPECT_FLOAT_EQ (dot.y, 0.42f * h);
            EXPECT_GE (dot.x, -4.0f);
            EXPECT_LE (dot.x, w + 30.0f);
        }
    }
    // At g = 0 the spacing is 22 px, so a 436 px strip holds about 21 dots.
    const auto f0 = MassControl::focusFor (w, h, 0.0f);
    const auto even = MassControl::computeDots (0.5, w, h, 0.0f, f0.x, f0.y);
    EXPECT_GE (even.size(), 20u);
    EXPECT_LE (even.size(), 22u);

    EXPECT_TRUE (MassControl::computeDots (0.0, 0.0f, h, 0.0f, 0.0f, 0.0f).empty());
    EXPECT_TRUE (MassControl::computeDots (0.0, w, 0.5f, 0.0f, f0.x, 0.0f).empty());
}

TEST (DotStream, FocusSitsTwentyTwoPixelsInAtTheExtremesAndSinksForNegativeTwist)
{
    EXPECT_FLOAT_EQ (MassControl::focusFor (436.0f, 64.0f, -100.0f).x, 22.0f);
    EXPECT_FLOAT_EQ (MassControl::focusFor (436.0f, 64.0f, 100.0f).x, 414.0f);
    EXPECT_FLOAT_EQ (MassControl::focusFor (436.0f, 64.0f, 0.0f).x, 218.0f);
    EXPECT_FLOAT_EQ (MassControl::focusFor (436.0f, 64.0f, 0.0f).y, 0.42f * 64.0f);
    EXPECT_FLOAT_EQ (MassControl::focusFor (436.0f, 64.0f, 100.0f).y, 0.42f * 64.0f);
    EXPECT_FLOAT_EQ (MassControl::focusFor (436.0f, 64.0f, -100.0f).y, 0.74f * 64.0f);
}

TEST_F (Twist, EnergyClimbsToItsLimitWhileDotsAreSwallowedAndDecaysOtherwise)
{
    set ("g", -100.0f);
    float previous = 0.0f;
    for (int i = 0; i < 400; ++i)
    {
        control.accumTick();
        EXPECT_GE (control.getEnergy(), previous);
        EXPECT_LE (control.getEnergy(), 1.25f);
        previous = control.getEnergy();
    }
    EXPECT_FLOAT_EQ (control.getEnergy(), 1.25f);

    set ("g", 0.0f);
    control.accumTick();
    EXPECT_FLOAT_EQ (control.getEnergy(), 1.25f * 0.9f);

    // A barely negative twist (neg <= 0.05) also lets it decay.
    set ("g", -4.0f);
    control.accumTick();
    EXPECT_FLOAT_EQ (control.getEnergy(), 1.25f * 0.9f * 0.9f);
}

TEST_F (Twist, BackgroundIsCachedAtDeviceResolutionUntilTwistSizeOrScaleChange)
{
    set ("g", -30.0f);
    control.ensureBackground (2.0f);
    const auto first = control.getBackground();
    EXPECT_EQ (first.getWidth(), 872);
    EXPECT_EQ (first.getHeight(), 128);

    control.ensureBackground (2.0f);
    EXPECT_TRUE (control.getBackground() == first) << "same key, same image";

    control.ensureBackground (1.5f);
    EXPECT_EQ (control.getBackground().getWidth(), 654);
    EXPECT_EQ (control.getBackground().getHeight(), 96);

    const auto atOneAndHalf = control.getBackground();
    set ("g", 40.0f);
    control.ensureBackground (1.5f);
    EXPECT_FALSE (control.getBackground() == atOneAndHalf) << "a new g redraws the grid";

    control.setBounds (0, 0, 1, 1);
    control.ensureBackground (1.25f);
    EXPECT_EQ (control.getBackground().getWidth(), 2);
    EXPECT_EQ (control.getBackground().getHeight(), 2);
}

TEST_F (Twist, TheStarFollowsTheFocusAndRevMirrorsThePictureButNotTheTexts)
{
    set ("g", -100.0f);
    const auto plain = uitest::render (control);
    set ("rev", 1.0f);
    const auto mirrored = uitest::render (control);

    // The singularity's warm ring sits around x = 22 plain and x = 414
    // mirrored, below the line of the dots (y = 27, halo to 33); the grid
    // and its glow are green.
    const int fy = juce::roundToInt (focus().y);
    auto warm = [fy] (const juce::Image& image, int x) {
        int n = 0;
        for (int y = fy - 12; y < std::min (fy + 12, image.getHeight()); ++y)
            for (int px = std::max (x - 24, 0); px < std::min (x + 24, image.getWidth()); ++px)
                if (const auto c = image.getPixelAt (px, y); c.getRed() >= 150 && c.getRed() + 20 > c.getGreen())
                    ++n;
        return n;
    };
    EXPECT_GT (warm (plain, 22), 20);
    EXPECT_EQ (warm (plain, 414), 0);
    EXPECT_GT (warm (mirrored, 414), 20);
    EXPECT_EQ (warm (mirrored, 22), 0);

    // Caption at the left and value at the right in both.
    const juce::Colour captionColour = juce::Colour::fromFloatRGBA (0.88f, 0.95f, 0.9f, 1.0f);
    for (const auto* image : { &plain, &mirrored })
    {
        EXPECT_GT (uitest::countNear (*image, { 10, 2, 60, 14 }, captionColour, 20), 10);
        EXPECT_EQ (uitest::countNear (*image, { 370, 2, 60, 14 }, captionColour, 20), 0);
        EXPECT_GT (uitest::countNear (*image, { 362, 2, 64, 14 }, Col::am, 20), 10) << "\"-100%\" in amber";
    }
}

TEST_F (Twist, StrongPositiveTwistShowsTheGreySphereAndZeroShowsTheStar)
{
    set ("g", 100.0f);
    const auto sphere = uitest::render (control);
    const auto f = focus();
    const auto centre = sphere.getPixelAt (juce::roundToInt (f.x), juce::roundToInt (f.y));
    EXPECT_LE (uitest::colourDistance (centre, juce::Colour (198, 201, 197)), 24) << centre.toDisplayString (false);

    set ("g", 0.0f);
    const auto star = uitest::render (control);
    const auto f0 = focus();
    const auto core = star.getPixelAt (juce::roundToInt (f0.x), juce::roundToInt (f0.y));
    EXPECT_GT (core.getRed(), 230);
    EXPECT_GT (core.getRed(), core.getBlue() + 25)
        << "warm star, not the grey sphere: " << core.toDisplayString (false);
}

TEST (Singularity, BlackCoreFormsOnlyBeyondMinusThirty)
{
    auto centreAt = [] (float e) {
        const auto image =
            uitest::draw (80, 80, [e] (juce::Graphics& g) { ui::drawSingularity (g, 40.0f, 40.0f, e, 0.0f, 1.0f); });
        return image.getPixelAt (40, 40);
    };
    EXPECT_LT (brightness (centreAt (-1.0f)), 30.0f) << "black core at g = -100";
    EXPECT_GT (brightness (centreAt (-0.2f)), 150.0f) << "bright star at g = -20";
    EXPECT_GT (brightness (centreAt (0.0f)), 150.0f);
}

TEST_F (Twist, HoverEasesInAndLightsTheFlareAndBokeh)
{
    set ("g", 0.0f);
    const auto f = focus();
    const juce::Rectangle<int> aroundFocus (juce::roundToInt (f.x) - 50, 4, 100, 56);
    auto flareInk = [&] (const juce::Image& image) {
        // Summed brightness above the dot line, where the flare's upper rays
        // fall and only the (unchanging) grid lies otherwise.
        int sum = 0;
        for (int y = aroundFocus.getY(); y < juce::roundToInt (f.y) - 8; ++y)
            for (int x = aroundFocus.getX(); x < aroundFocus.getRight(); ++x)
            {
                const auto c = image.getPixelAt (x, y);
                sum += c.getRed() + c.getGreen() + c.getBlue();
            }
        return sum;
    };
    const int idle = flareInk (uitest::render (control));

    // The 20 Hz timer eases the hover level toward 1 by 15 % a tick.
    mouse.enter();
    for (int i = 0; i < 200 && control.getHoverAmount() < 0.9f; ++i)
        uitest::pump();
    ASSERT_GE (control.getHoverAmount(), 0.9f);
    const int hovered = flareInk (uitest::render (control));
    EXPECT_GT (hovered, idle + 15000) << "idle " << idle << ", hovered " << hovered;

    mouse.exit();
    for (int i = 0; i < 200 && control.getHoverAmount() > 0.05f; ++i)
        uitest::pump();
    EXPECT_LE (control.getHoverAmount(), 0.05f);
}

TEST_F (Twist, BetweenTwoMomentsOnlyTheDotsBandChangesAndAnyOtherChangeRepaintsTheWhole)
{
    struct Case
    {
        float g;
        bool rev;
    };
    for (const auto& c : { Case { 0.0f, false }, Case { 45.0f, false }, Case { 100.0f, true }, Case { 20.0f, true } })
    {
        SCOPED_TRACE ("g = " + std::to_string (c.g) + (c.rev ? ", rev" : ""));
        set ("g", c.g);
        set ("rev", c.rev ? 1.0f : 0.0f);
        const auto before = uitest::render (control);

        // The tick would repaint the band only; everything outside it must
        // stay as it was while the dots move on (at least 1.3 px/s).
        const auto band = control.areaToRepaint();
        ASSERT_LT (band.getHeight(), control.getHeight());
        ASSERT_TRUE (control.getLocalBounds().contains (band));
        juce::Thread::sleep (800);
        const auto after = uitest::render (control);

        int changedInside = 0, changedOutside = 0;
        for (int y = 0; y < control.getHeight(); ++y)
            for (int x = 0; x < control.getWidth(); ++x)
                if (before.getPixelAt (x, y) != after.getPixelAt (x, y))
                    ++(band.contains (x, y) ? changedInside : changedOutside);
        EXPECT_GT (changedInside, 0) << "the dots moved";
        EXPECT_EQ (changedOutside, 0) << "band " << band.toString();

        // A new g changes the grid and the value: the whole control.
        set ("g", c.g >= 50.0f ? c.g - 10.0f : c.g + 10.0f);
        EXPECT_EQ (control.areaToRepaint(), control.getLocalBounds());
        uitest::render (control);
        EXPECT_NE (control.areaToRepaint(), control.getLocalBounds()) << "painted with the new g: the band again";
    }

    // Negative g bends the stream toward the sinking focus: always the whole.
    set ("g", -30.0f);
    uitest::render (control);
    EXPECT_EQ (control.areaToRepaint(), control.getLocalBounds());

    // So does the hover's glow, which spreads over the whole control.
    set ("g", 0.0f);
    uitest::render (control);
    ASSERT_NE (control.areaToRepaint(), control.getLocalBounds());
    mouse.enter();
    for (int i = 0; i < 200 && control.getHoverAmount() <= 0.01f; ++i)
        uitest::pump();
    EXPECT_EQ (control.areaToRepaint(), control.getLocalBounds());
    mouse.exit();
}
