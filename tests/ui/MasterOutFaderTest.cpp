#include "UiTestSupport.h"

#include "plugin/PluginProcessor.h"
#include "ui/Col.h"
#include "ui/FaderScale.h"
#include "ui/MasterOutFader.h"
#include "ui/MdLookAndFeel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <limits>
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

// The fader as the editor builds it (22 x 101, drawn by the editor's
// look-and-feel), over a processor, with a meter source that plays back a
// queue of peaks and then silence.
struct Fader : public ::testing::Test
{
    Fader()
    {
        fader.setLookAndFeel (&lookAndFeel);
        fader.setBounds (0, 0, 22, 101);
        fader.setVisible (true);
        fader.onParamDragStart = [this] (const juce::String& id) { calls.add ("drag start " + id); };
        fader.onParamDragEnd = [this] (const juce::String& id) { calls.add ("drag end " + id); };
        fader.onParamHoverStart = [this] (const juce::String& id) { calls.add ("hover start " + id); };
        fader.onParamHoverEnd = [this] (const juce::String& id) { calls.add ("hover end " + id); };
        processor.addListener (&gestures);
    }

    ~Fader() override
    {
        processor.removeListener (&gestures);
        fader.setCachedComponentImage (nullptr);
        fader.setLookAndFeel (nullptr);
    }

    float nextPeak()
    {
        if (peaks.empty())
            return 0.0f;
        const float p = peaks.front();
        peaks.pop_front();
        return p;
    }

    void setMaster (float dB)
    {
        auto* p = processor.getValueTreeState().getParameter ("mout");
        p->setValueNotifyingHost (p->convertTo0to1 (dB));
    }

    float master() { return processor.getValueTreeState().getRawParameterValue ("mout")->load(); }

    // The thumb travel: 11 pixels (the thumb radius) inside each end.
    static constexpr float radius = 11.0f;
    static constexpr float travel = 101.0f - 2.0f * radius;
    static constexpr float bottom = radius + travel;

    MdLookAndFeel lookAndFeel;
    MassDelayAudioProcessor processor;
    std::deque<float> peaks;
    MasterOutFader fader { processor.getValueTreeState(), [this] { return nextPeak(); } };
    juce::StringArray calls;
    GestureCounter gestures;
};

// y of a meter fraction in the fader.
float meterY (float fraction)
{
    return Fader::bottom - fraction * Fader::travel;
}
} // namespace

TEST (FaderScale, FormatsMasterLevelsWithSignOneDecimalAndMinusInfinityAtTheBottom)
{
    struct Case
    {
        float dB;
        const char* text;
    };
    const juce::String minusInfinity =
        juce::String ("-") + juce::String (juce::CharPointer_UTF8 ("\xe2\x88\x9e")) + " dB";
    const std::vector<Case> cases {
        { 0.0f, "0.0 dB" },
        { 3.0f, "+3.0 dB" },
        { -6.0f, "-6.0 dB" },
        { 6.0f, "+6.0 dB" },
        { -59.9f, "-59.9 dB" },
        { 0.04f, "0.0 dB" },
        { 0.05f, "+0.1 dB" },
        { -12.34f, "-12.3 dB" },
        { 10.0f, "+10.0 dB" },
        { -10.0f, "-10.0 dB" },
        { -0.0f, "0.0 dB" },
        // The parameter's 0.1 dB steps are float sums: its 0 may lie a hair below.
        { -0.00002f, "0.0 dB" },
    };
    for (const auto& c : cases)
        EXPECT_EQ (faderscale::formatMoutDb (c.dB), juce::String (c.text)) << c.dB;

    for (const float dB : { -60.0f, -60.5f, -200.0f, -std::numeric_limits<float>::infinity() })
        EXPECT_EQ (faderscale::formatMoutDb (dB), minusInfinity) << dB;
}

TEST (MeterBallistics, RisesAtOnceAndFallsByAFactorOf085PerTick)
{
    struct Step
    {
        float peak, level;
        bool changed;
    };
    // A burst, a quieter peak that the release covers, a louder one, then a
    // peak just above the release.
    const std::vector<Step> steps {
        { 0.5f, 0.5f, true },     { 0.1f, 0.425f, true },
        { 0.0f, 0.36125f, true }, { 0.9f, 0.9f, true },
        { 0.9f, 0.9f, false },    { 0.8f, 0.8f, true }, // 0.765 < 0.8
        { -1.0f, 0.68f, true },   { std::nanf (""), 0.578f, true },
    };
    float level = 0.0f;
    for (size_t i = 0; i < steps.size(); ++i)
    {
        const bool changed = MasterOutFader::advanceMeter (steps[i].peak, level);
        EXPECT_NEAR (level, steps[i].level, 1.0e-6f) << "step " << i;
        EXPECT_EQ (changed, steps[i].changed) << "step " << i;
    }
}

TEST (MeterBallistics, SilenceTakesAFullScaleLevelToZeroIn57TicksAndThenNothingChanges)
{
    float level = 1.0f;
    int ticks = 0;
    while (level > 0.0f && ticks < 1000)
    {
        EXPECT_TRUE (MasterOutFader::advanceMeter (0.0f, level));
        ++ticks;
    }
    EXPECT_EQ (ticks, 57) << "0.85^56 is above 0.0001, 0.85^57 below";
    EXPECT_EQ (level, 0.0f);
    EXPECT_FALSE (MasterOutFader::advanceMeter (0.0f, level));
    EXPECT_FALSE (MasterOutFader::advanceMeter (0.00009f, level)) << "below the floor counts as silence";
}

TEST (MeterBallistics, MapsMinus60ToPlus6DecibelsOntoTheTravel)
{
    struct Case
    {
        float level, fraction;
    };
    const std::vector<Case> cases {
        { 0.0f, 0.0f },
        { 1.0e-6f, 0.0f },              // -120 dB
        { 0.001f, 0.0f },               // -60 dB
        { 0.01f, 20.0f / 66.0f },       // -40 dB
        { 0.25118864f, 48.0f / 66.0f }, // -12 dB: top of the green zone
        { 0.70794578f, 57.0f / 66.0f }, // -3 dB: top of the warning zone
        { 1.0f, 60.0f / 66.0f },        // 0 dB
        { 1.9952623f, 1.0f },           // +6 dB
        { 10.0f, 1.0f },                // +20 dB pins at the top
        { std::numeric_limits<float>::infinity(), 1.0f },
        { std::nanf (""), 0.0f },
    };
    for (const auto& c : cases)
        EXPECT_NEAR (MasterOutFader::meterFraction (c.level), c.fraction, 1.0e-5f) << c.level;
}

TEST_F (Fader, MeterFollowsABurstFallsBackAndCostsNoRepaintAtRest)
{
    auto* counter = new uitest::RepaintCounter();
    fader.setCachedComponentImage (counter);
    counter->count = 0;

    peaks = { 0.5f, 1.0f };
    fader.tick();
    EXPECT_FLOAT_EQ (fader.getMeterLevel(), 0.5f);
    fader.tick();
    EXPECT_FLOAT_EQ (fader.getMeterLevel(), 1.0f);
    EXPECT_EQ (counter->count, 2);

    // Silence: the level falls 0.85 a tick for 57 ticks, with one repaint a
    // tick while the meter's height changes: 43 ticks take it below -60 dB,
    // the bottom of the meter, and the rest draw nothing new.
    float expected = 1.0f;
    for (int i = 0; i < 20; ++i)
    {
        fader.tick();
        expected *= 0.85f;
    }
    EXPECT_NEAR (fader.getMeterLevel(), expected, 1.0e-6f);
    for (int i = 20; i < 43; ++i)
        fader.tick();
    EXPECT_GT (fader.getMeterLevel(), 0.0f);
    EXPECT_EQ (MasterOutFader::meterFraction (fader.getMeterLevel()), 0.0f);
    EXPECT_EQ (counter->count, 2 + 43);
    for (int i = 43; i < 57; ++i)
        fader.tick();
    EXPECT_EQ (fader.getMeterLevel(), 0.0f);
    EXPECT_EQ (counter->count, 2 + 43) << "below the meter's bottom nothing is repainted";

    for (int i = 0; i < 100; ++i)
        fader.tick();
    EXPECT_EQ (counter->count, 2 + 43) << "a silent meter repaints nothing";

    // The real timer ticks too, at 20 Hz.
    peaks = { 0.3f };
    for (int i = 0; i < 100 && fader.getMeterLevel() == 0.0f; ++i)
        uitest::pump (10);
    EXPECT_GT (fader.getMeterLevel(), 0.0f);
}

TEST_F (Fader, FullScaleLightsGreenWarningAndRedUpTo60Of66OfTheTravel)
{
    setMaster (-60.0f); // the thumb out of the way, at the bottom
    peaks = { 1.0f };
    fader.tick();
    const auto image = uitest::render (fader);

    // Column x = 5.5 .. 16.5; sample left of the fader's groove and thumb.
    struct Probe
    {
        float fraction;
        juce::Colour colour;
        float alpha;
    };
    const juce::Colour red (0xffff5050);
    const std::vector<Probe> probes {
        { 0.10f, Col::meterGreen, 0.95f },
        { 0.70f, Col::meterGreen, 0.95f },
        { 0.76f, Col::dw, 0.95f },
        { 0.85f, Col::dw, 0.95f },
        { 0.88f, red, 0.95f },
        { 0.89f, red, 0.95f },
        { 0.93f, red, 0.18f }, // above the level: only the red zone's background
        { 0.99f, red, 0.18f },
    };
    for (const auto& p : probes)
    {
        const int y = static_cast<int> (meterY (p.fraction));
        const auto expected = Col::bg3.overlaidWith (p.colour.withAlpha (p.alpha));
        EXPECT_LE (uitest::colourDistance (image.getPixelAt (7, y), expected), 3) << "fraction " << p.fraction;
    }

    // Outside the column the well is plain.
    EXPECT_LE (uitest::colourDistance (image.getPixelAt (3, static_cast<int> (meterY (0.5f))), Col::bg3), 2);
}

TEST_F (Fader, APeakAboveSixDecibelsPinsTheBarAtTheTopAndSilenceShowsOnlyTheZones)
{
    setMaster (-60.0f);
    peaks = { 4.0f };
    fader.tick();
    auto image = uitest::render (fader);
    const juce::Colour red (0xffff5050);
    EXPECT_LE (uitest::colourDistance (image.getPixelAt (7, static_cast<int> (meterY (0.99f))),
                                       Col::bg3.overlaidWith (red.withAlpha (0.95f))),
               3);

    fader.tick();
    for (int i = 0; i < 80; ++i)
        fader.tick();
    ASSERT_EQ (fader.getMeterLevel(), 0.0f);
    image = uitest::render (fader);
    EXPECT_LE (uitest::colourDistance (image.getPixelAt (7, static_cast<int> (meterY (0.3f))),
                                       Col::bg3.overlaidWith (Col::meterGreen.withAlpha (0.18f))),
               3);
}

TEST_F (Fader, ThumbAndTicksSitAtTheParametersOwnDecibelPositions)
{
    auto* mout = processor.getValueTreeState().getParameter ("mout");

    // Rows of the left edge with a tick: +6, 0 and -60 dB, where the fader
    // puts its thumb for those values (the skewed range of the parameter).
    setMaster (-30.0f);
    const auto image = uitest::render (fader);
    // The strongest ink of the two rows a tick at that level touches.
    auto tickInk = [&] (int x, float dB) {
        const int row = static_cast<int> (std::floor (bottom - mout->convertTo0to1 (dB) * travel - 0.5f));
        return std::max (uitest::colourDistance (image.getPixelAt (x, row), Col::bg3),
                         uitest::colourDistance (image.getPixelAt (x, row + 1), Col::bg3));
    };
    for (const float dB : { 6.0f, 0.0f, -60.0f })
        EXPECT_GT (tickInk (1, dB), 30) << dB << " dB tick";
    EXPECT_GT (tickInk (1, 0.0f), 80) << "the 0 dB tick is the brightest";
    for (const float dB : { -30.0f, -12.0f })
        EXPECT_LE (tickInk (1, dB), 2) << "no tick at " << dB << " dB";
    // The 0 dB tick is longer (5 visible pixels) than the others (3).
    EXPECT_GT (tickInk (4, 0.0f), 30);
    EXPECT_LE (tickInk (4, 6.0f), 2);
    EXPECT_LE (tickInk (4, -60.0f), 2);

    // The white thumb's centre row for a set of levels.
    for (const float dB : { -60.0f, -24.0f, -12.0f, 0.0f, 6.0f })
    {
        setMaster (dB);
        const auto picture = uitest::render (fader);
        int first = -1, last = -1;
        for (int y = 0; y < picture.getHeight(); ++y)
            if (picture.getPixelAt (7, y).getBrightness() > 0.9f)
            {
                first = first < 0 ? y : first;
                last = y;
            }
        ASSERT_GE (first, 0) << dB;
        const float centre = (static_cast<float> (first) + static_cast<float> (last) + 1.0f) / 2.0f;
        EXPECT_NEAR (centre, bottom - mout->convertTo0to1 (dB) * travel, 1.0f) << dB << " dB";
    }
    EXPECT_NEAR (mout->convertTo0to1 (0.0f), 0.8127f, 0.001f) << "0 dB lies at 81 % of the travel";
}

TEST_F (Fader, PressesAndHoversReportMoutAndADragMovesItInOneHostGesture)
{
    setMaster (0.0f);
    {
        uitest::DesktopMouse mouse (fader);
        mouse.move (11.0f, 60.0f);
        mouse.down (11.0f, 60.0f);
        mouse.drag (11.0f, 70.0f);
        mouse.drag (11.0f, 80.0f);
        mouse.up (11.0f, 80.0f);
        mouse.move (60.0f, 200.0f);
    }
    EXPECT_EQ (calls.joinIntoString (", "), "hover start mout, drag start mout, drag end mout, hover end mout");

    // The press jumps the thumb to the mouse, the drag takes it lower.
    auto* mout = processor.getValueTreeState().getParameter ("mout");
    EXPECT_NEAR (mout->convertTo0to1 (master()), (bottom - 80.0f) / travel, 0.02f);
    EXPECT_LT (master(), -20.0f);
    EXPECT_EQ (gestures.begins, 1);
    EXPECT_EQ (gestures.ends, 1);

    // Host automation moves the thumb.
    setMaster (6.0f);
    EXPECT_DOUBLE_EQ (fader.getFader().getValue(), 6.0);
}

// A meter tick repaints only the rows between the old and the new top: every
// pixel the change alters lies there, rising or falling, in any zone.
TEST_F (Fader, AMeterTickAltersOnlyTheRowsItRepaints)
{
    const float levels[] = { 0.0f, 0.002f, 0.05f, 0.3f, 0.6f, 1.0f, 2.5f };
    for (const float from : levels)
        for (const float to : levels)
        {
            if (MasterOutFader::meterFraction (from) == MasterOutFader::meterFraction (to))
            {
                EXPECT_TRUE (fader.meterChangeArea (from, to).isEmpty());
                continue;
            }
            SCOPED_TRACE (juce::String (from) + " to " + juce::String (to));
            // Drive the meter to each level: a rise is taken at once.
            auto showLevel = [this] (float level) {
                peaks = { 0.0f };
                for (int i = 0; i < 100 && fader.getMeterLevel() > 0.0f; ++i)
                    fader.tick();
                peaks = { level };
                fader.tick();
                return uitest::render (fader);
            };
            const auto before = showLevel (from);
            const auto after = showLevel (to);
            const auto area = fader.meterChangeArea (from, to);
            EXPECT_EQ (area.getWidth(), fader.getWidth());
            int inside = 0, outside = 0;
            for (int y = 0; y < fader.getHeight(); ++y)
                for (int x = 0; x < fader.getWidth(); ++x)
                    if (before.getPixelAt (x, y) != after.getPixelAt (x, y))
                        ++(area.contains (x, y) ? inside : outside);
            EXPECT_GT (inside, 0);
            EXPECT_EQ (outside, 0) << area.toString();
        }
}
