#include "UiTestSupport.h"

#include "ui/Col.h"
#include "ui/DensityStrip.h"
#include "ui/MdLookAndFeel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace
{
// The strip at the size the visualizer gives it in the editor (436 x 40):
// two sliders of 211 pixels with the two toggles between them.
struct Strip : public ::testing::Test
{
    Strip()
    {
        strip.setLookAndFeel (&lookAndFeel);
        strip.setBounds (0, 0, 436, 40);
        strip.getStartSlider().paramId = "s";
        strip.getEndSlider().paramId = "e";
        strip.onParamDragStart = [this] (const juce::String& id) { calls.add ("start " + id); };
        strip.onParamDragEnd = [this] (const juce::String& id) { calls.add ("end " + id); };
        savedBpm = MdSlider::hostBpm;
        MdSlider::hostBpm = 120.0f;
    }

    ~Strip() override
    {
        MdSlider::hostBpm = savedBpm;
        strip.setLookAndFeel (nullptr);
    }

    MdSlider& slider (int which) { return which == 0 ? strip.getStartSlider() : strip.getEndSlider(); }

    // Sets both spacings as the host or a preset would (no user gesture).
    void setSpacings (double start, double end)
    {
        strip.getStartSlider().setValue (start, juce::sendNotificationSync);
        strip.getEndSlider().setValue (end, juce::sendNotificationSync);
    }

    // Drags a slider from its thumb to a value, in steps, as a hand would.
    void drag (int which, double to)
    {
        auto& s = slider (which);
        uitest::Mouse mouse (s);
        const auto from = static_cast<float> (s.getPositionOfValue (s.getValue()));
        const auto target = static_cast<float> (s.getPositionOfValue (to));
        mouse.down (from, 20.0f);
        for (int i = 1; i <= 8; ++i)
            mouse.drag (from + (target - from) * static_cast<float> (i) / 8.0f, 20.0f);
        mouse.up (target, 20.0f, {}, true);
    }

    static double grid (double raw) { return (12.0 - std::round (12.0 - raw / 1000.0 * 12.0)) / 12.0 * 1000.0; }

    MdLookAndFeel lookAndFeel;
    DensityStrip strip;
    juce::StringArray calls;
    float savedBpm = 0.0f;
};
} // namespace

TEST_F (Strip, LinkedDragsMoveTheOtherSpacingTogetherOrKeepTheirDistance)
{
    struct Case
    {
        const char* what;
        bool link, sync;
        double start, end; // before
        int which;         // 0 start, 1 end
        double to;
    };
    const std::vector<Case> cases {
        { "unlinked: the other stays", false, false, 300.0, 500.0, 0, 600.0 },
        { "equal: start drags the end along", true, false, 400.0, 400.0, 0, 600.0 },
        { "equal: end drags the start along", true, false, 400.0, 400.0, 1, 200.0 },
        { "apart: start keeps the distance", true, false, 300.0, 500.0, 0, 420.0 },
        { "apart: end keeps the distance", true, false, 300.0, 500.0, 1, 700.0 },
        { "apart: the end stops at 1000", true, false, 300.0, 900.0, 0, 500.0 },
        { "apart: the start stops at 0", true, false, 300.0, 500.0, 1, 100.0 },
        { "sync: both land on the note grid", true, true, 250.0, 500.0, 0, 340.0 },
    };
    for (const auto& c : cases)
    {
        strip.getLinkButton().setToggleState (c.link, juce::sendNotificationSync);
        for (int which : { 0, 1 })
            slider (which).syncMode = c.sync;
        setSpacings (c.start, c.end);
        const double before[] = { c.start, c.end };

        drag (c.which, c.to);

        const double moved = slider (c.which).getValue();
        const double other = slider (1 - c.which).getValue();
        // Grid positions come out whole here: the sliders step by 1.
        EXPECT_NEAR (moved, c.sync ? grid (c.to) : c.to, c.sync ? 0.5 : 3.0) << c.what;

        double expected = before[1 - c.which];
        if (c.link)
            expected = std::clamp (moved + (before[1 - c.which] - before[c.which]), 0.0, 1000.0);
        if (c.sync)
            expected = grid (expected);
        EXPECT_NEAR (other, expected, c.sync ? 0.5 : 0.01) << c.what;
    }
}

TEST_F (Strip, OnlyTheUsersOwnMovesAreLinkedNotTheHostsOrAPresets)
{
    strip.getLinkButton().setToggleState (true, juce::sendNotificationSync);
    setSpacings (300.0, 500.0);

    // A preset or the host sets the start alone: the end stays as it was set.
    strip.getStartSlider().setValue (700.0, juce::sendNotificationSync);
    EXPECT_DOUBLE_EQ (strip.getEndSlider().getValue(), 500.0);

    // The distance that counts from then on is the new one (-200).
    drag (0, 750.0);
    EXPECT_NEAR (strip.getEndSlider().getValue(), strip.getStartSlider().getValue() - 200.0, 0.01);

    // A typed value is the user's too.
    uitest::Mouse (strip.getStartSlider()).click (20.0f, 20.0f, uitest::rightButton);
    ASSERT_TRUE (uitest::typeAndClose ("100"));
    EXPECT_NEAR (strip.getEndSlider().getValue(), strip.getStartSlider().getValue() - 200.0, 0.01);
    EXPECT_LT (strip.getStartSlider().getValue(), 700.0);

    // An arrow key's step too.
    const double startBefore = strip.getStartSlider().getValue();
    ASSERT_TRUE (strip.getStartSlider().keyPressed (juce::KeyPress (juce::KeyPress::upKey)));
    EXPECT_DOUBLE_EQ (strip.getStartSlider().getValue(), startBefore + 1.0);
    EXPECT_NEAR (strip.getEndSlider().getValue(), strip.getStartSlider().getValue() - 200.0, 0.01);

    // A double-click reset too.
    uitest::Mouse (strip.getEndSlider()).doubleClick (20.0f, 20.0f);
    EXPECT_DOUBLE_EQ (strip.getEndSlider().getValue(), 537.0);
    EXPECT_NEAR (strip.getStartSlider().getValue(), 537.0 + 200.0, 0.01);
}

TEST_F (Strip, DragsReportTheSlidersParameterIds)
{
    drag (0, 500.0);
    drag (1, 700.0);
    EXPECT_EQ (calls.joinIntoString (","), "start s,end s,start e,end e");
}

TEST_F (Strip, LaysOutTheSlidersWithTheTogglesAndTheLabelsBetweenThem)
{
    struct Placed
    {
        const char* name;
        juce::Component* component;
        juce::Rectangle<int> bounds;
    };
    // b = (436 - 14) / 2 = 211, c = (40 - 6) / 2 = 17.
    const std::vector<Placed> table {
        { "startSlider", &strip.getStartSlider(), { 0, 0, 211, 40 } },
        { "endSlider", &strip.getEndSlider(), { 225, 0, 211, 40 } },
        { "linkButton", &strip.getLinkButton(), { 211, 2, 14, 17 } },
        { "rangeButton", &strip.getRangeButton(), { 211, 21, 14, 17 } },
        { "startValueLabel", &strip.getStartValueLabel(), { 163, 26, 44, 12 } },
        { "endValueLabel", &strip.getEndValueLabel(), { 229, 26, 44, 12 } },
    };
    for (const auto& p : table)
        EXPECT_EQ (p.component->getBounds(), p.bounds) << p.name;

    EXPECT_TRUE (strip.getLinkButton().getClickingTogglesState());
    EXPECT_TRUE (strip.getRangeButton().iconOnly);
}

TEST_F (Strip, PaintsCaptionsAndOutlinesTheTogglesThatAreOn)
{
    const auto bg = juce::Colours::black;
    auto ringInk = [&] (const juce::Image& image, juce::Rectangle<int> button) {
        // The left edge of the outline, one pixel outside the button.
        return uitest::colourDistance (image.getPixelAt (button.getX() - 1, button.getCentreY()), Col::bg2);
    };
    const auto link = strip.getLinkButton().getBounds();
    const auto range = strip.getRangeButton().getBounds();

    auto image = uitest::render (strip, bg);
    EXPECT_LE (ringInk (image, link), 3);
    EXPECT_LE (ringInk (image, range), 3);
    // "IN" and "OUT" in the strip's yellow at the bottom corners.
    for (const auto area : { juce::Rectangle<int> (4, 28, 20, 10), juce::Rectangle<int> (412, 28, 20, 10) })
    {
        const auto ink = uitest::strongestInk (image, area, Col::bg2);
        EXPECT_GT (uitest::colourDistance (ink, Col::bg2), 100);
        EXPECT_GT (ink.getRed(), ink.getBlue() + 60) << "yellow";
    }

    strip.getRangeButton().setToggleState (true, juce::sendNotificationSync);
    image = uitest::render (strip, bg);
    EXPECT_LE (ringInk (image, link), 3);
    EXPECT_GT (ringInk (image, range), 80);
    // The "4X" icon turns amber.
    const auto ink = uitest::strongestInk (image, range.reduced (2), Col::bg2);
    EXPECT_LE (uitest::colourDistance (ink, Col::am), 40);
}
