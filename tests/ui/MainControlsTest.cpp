#include "UiTestSupport.h"

#include "plugin/PluginProcessor.h"
#include "ui/Col.h"
#include "ui/MainControlsComponent.h"
#include "ui/MdLookAndFeel.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
struct GestureCounter : public juce::AudioProcessorListener
{
    void audioProcessorParameterChanged (juce::AudioProcessor*, int, float) override {}
    void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override {}
    void audioProcessorParameterChangeGestureBegin (juce::AudioProcessor*, int) override { ++begins; }
    void audioProcessorParameterChangeGestureEnd (juce::AudioProcessor*, int) override { ++ends; }
    int begins = 0, ends = 0;
};

// The row at the editor's size, 436 x 24.
struct MainRow : public ::testing::Test
{
    MainRow()
    {
        row.setLookAndFeel (&lookAndFeel);
        row.setBounds (0, 0, 436, 24);
        row.onParamDragStart = [this] (const juce::String& id) { calls.add ("start " + id); };
        row.onParamDragEnd = [this] (const juce::String& id) { calls.add ("end " + id); };
        processor.addListener (&gestures);
    }

    ~MainRow() override
    {
        processor.removeListener (&gestures);
        row.setLookAndFeel (nullptr);
    }

    float raw (const char* id) { return processor.getValueTreeState().getRawParameterValue (id)->load(); }

    void set (const char* id, float value)
    {
        auto* p = processor.getValueTreeState().getParameter (id);
        p->setValueNotifyingHost (p->convertTo0to1 (value));
    }

    juce::String widthReadout() { return row.getWidthValueLabel().getText(); }
    juce::Colour widthReadoutColour() { return row.getWidthValueLabel().findColour (juce::Label::textColourId); }

    MdLookAndFeel lookAndFeel;
    MassDelayAudioProcessor processor;
    MainControlsComponent row { processor.getValueTreeState() };
    juce::StringArray calls;
    GestureCounter gestures;
};
} // namespace

TEST_F (MainRow, LaysOutCaptionsSlidersAndReadoutsInTwoHalves)
{
    struct Placed
    {
        const char* name;
        juce::Component* component;
        juce::Rectangle<int> bounds;
    };
    // c = (436 - 4) / 2 = 216.
    const std::vector<Placed> table {
        { "widthLabel", &row.getWidthLabel(), { 0, 0, 56, 24 } },
        { "widthSlider", &row.getWidthSlider(), { 56, 0, 116, 24 } },
        { "widthValueLabel", &row.getWidthValueLabel(), { 172, 0, 44, 24 } },
        { "pingPongLabel", &row.getPingPongLabel(), { 220, 0, 56, 24 } },
        { "pingPongSlider", &row.getPingPongSlider(), { 276, 0, 116, 24 } },
        { "pingPongValueLabel", &row.getPingPongValueLabel(), { 392, 0, 44, 24 } },
    };
    for (const auto& p : table)
        EXPECT_EQ (p.component->getBounds(), p.bounds) << p.name;

    EXPECT_EQ (row.getWidthLabel().getText(), "WIDTH");
    EXPECT_EQ (row.getPingPongLabel().getText(), "PING PONG");
    EXPECT_TRUE (row.getWidthLabel().getFont().isUnderlined());
    EXPECT_EQ (row.getWidthValueLabel().getJustificationType(), juce::Justification::centredRight);
    EXPECT_EQ (row.getWidthSlider().findColour (juce::Slider::thumbColourId), Col::mg);
    EXPECT_EQ (row.getPingPongSlider().findColour (juce::Slider::trackColourId), Col::mg);
}

TEST_F (MainRow, ReadoutsShowTheSlidersTextsFromTheFirstPaint)
{
    EXPECT_EQ (widthReadout(), "0") << "spread 7.5 is neutral";
    EXPECT_EQ (row.getPingPongValueLabel().getText(), "0%");

    struct Case
    {
        float spread, pingPong;
        const char* width;
        const char* pingPongText;
    };
    const std::vector<Case> cases {
        { 0.0f, 100.0f, "MONO", "100%" },
        { 11.25f, 37.0f, "+50", "37%" },
        { 15.0f, 0.0f, "WIDEST", "0%" },
        { 3.75f, 5.0f, "-50", "5%" },
    };
    for (const auto& c : cases)
    {
        set ("spread", c.spread);
        set ("ppW", c.pingPong);
        row.tick();
        EXPECT_EQ (widthReadout(), juce::String (c.width)) << c.spread;
        EXPECT_EQ (row.getPingPongValueLabel().getText(), juce::String (c.pingPongText)) << c.pingPong;
        EXPECT_EQ (widthReadoutColour(), Col::mg);
    }
}

TEST_F (MainRow, AClickOnTheWidthCaptionTogglesNoMidInOneHostGestureAndShowsIt)
{
    {
        uitest::DesktopMouse mouse (row);
        for (const float expected : { 1.0f, 0.0f, 1.0f })
        {
            mouse.move (20.0f, 12.0f);
            mouse.down (20.0f, 12.0f);
            mouse.up (20.0f, 12.0f);
            EXPECT_FLOAT_EQ (raw ("sideOnly"), expected);
            EXPECT_EQ (row.getWidthLabel().getText(), expected > 0.5f ? "NO MID" : "WIDTH");
            EXPECT_EQ (row.getWidthLabel().findColour (juce::Label::textColourId), expected > 0.5f ? Col::am : Col::mg);
        }
        EXPECT_EQ (gestures.begins, 3);
        EXPECT_EQ (gestures.ends, 3);

        // Presses elsewhere toggle nothing: the ping-pong caption, the width slider.
        for (const float x : { 240.0f, 100.0f })
        {
            mouse.move (x, 12.0f);
            mouse.down (x, 12.0f);
            mouse.up (x, 12.0f);
        }
        EXPECT_FLOAT_EQ (raw ("sideOnly"), 1.0f);
        EXPECT_EQ (calls.joinIntoString (","), "start spread,end spread");
    }

    // Host automation of sideOnly reaches the caption on the next tick.
    set ("sideOnly", 0.0f);
    row.tick();
    EXPECT_EQ (row.getWidthLabel().getText(), "WIDTH");
}

TEST_F (MainRow, NoMidAtMonoBlinksMutedEveryThirdTickAndStopsAtOnceWhenTheWidthMoves)
{
    set ("sideOnly", 1.0f);
    set ("spread", 0.0f);

    // Phase changes after ticks 3, 6, 9 ...; it starts off (dim).
    const auto dim = Col::am.withAlpha (0.25f);
    std::vector<bool> bright;
    for (int i = 0; i < 9; ++i)
    {
        row.tick();
        EXPECT_EQ (widthReadout(), "MUTED") << "tick " << i;
        bright.push_back (widthReadoutColour() == Col::am);
        if (! bright.back())
        {
            EXPECT_EQ (widthReadoutColour(), dim) << "tick " << i;
        }
    }
    EXPECT_EQ (bright, (std::vector<bool> { false, false, true, true, true, false, false, false, true }));

    set ("spread", 0.5f);
    row.tick();
    EXPECT_EQ (widthReadout(), "-93");
    EXPECT_EQ (widthReadoutColour(), Col::mg);

    // Mono without no-mid is simply mono.
    set ("spread", 0.0f);
    set ("sideOnly", 0.0f);
    row.tick();
    EXPECT_EQ (widthReadout(), "MONO");
}

TEST_F (MainRow, WidthDragIsPulledTowardTheCentreNearItAndADoubleClickRestoresIt)
{
    auto& width = row.getWidthSlider();
    uitest::Mouse mouse (width);
    // The slider's travel: 116 pixels for 0..15, so 0.1293 per pixel.
    const auto xOf = [&width] (double value) { return static_cast<float> (width.getPositionOfValue (value)); };

    struct Case
    {
        double target, expected;
    };
    const std::vector<Case> cases {
        { 7.5 + 0.2, 7.5 + 0.2 * 0.2 / 0.3 }, // inside the detent: quadratic pull
        { 7.5 - 0.15, 7.5 - 0.15 * 0.15 / 0.3 },
        { 9.0, 9.0 }, // outside: as dragged
    };
    for (const auto& c : cases)
    {
        mouse.down (xOf (3.0), 12.0f);
        mouse.drag (xOf (c.target), 12.0f);
        mouse.up (xOf (c.target), 12.0f, {}, true);
        EXPECT_NEAR (width.getValue(), c.expected, 0.02) << c.target;
        EXPECT_NEAR (raw ("spread"), c.expected, 0.02) << c.target;
    }

    mouse.doubleClick (xOf (2.0), 12.0f);
    EXPECT_DOUBLE_EQ (width.getValue(), 7.5);
    EXPECT_FLOAT_EQ (raw ("spread"), 7.5f);
}

TEST_F (MainRow, PaintsTheRoundedPanelInTheAccentColour)
{
    const auto image = uitest::render (row, Col::bg0);
    EXPECT_LE (uitest::colourDistance (image.getPixelAt (218, 1), Col::bg2), 2) << "panel fill";
    const auto outline = image.getPixelAt (218, 0);
    EXPECT_GT (uitest::colourDistance (outline, Col::bg2), 40) << "outline along the top";
    EXPECT_GT (outline.getBlue(), outline.getRed()) << "in the blue-violet accent";
    EXPECT_LE (uitest::colourDistance (image.getPixelAt (0, 0), Col::bg0), 2) << "rounded corner";
}
