#include "UiTestSupport.h"

#include "plugin/PluginProcessor.h"
#include "ui/VisualizerComponent.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace
{
using Viz = VisualizerComponent;
using Hud = VisualizerComponent::ActiveHud;

using uitest::RepaintCounter;

// The decay level of a window position for mode 0, worked out by hand:
// k = curve / 140, slope -25 below 0 and -14 above, end level -(k slope + 20) dB.
float smoothDecay (float p, float curve)
{
    const float k = curve / 140.0f;
    const float slope = k < 0.0f ? -25.0f : -14.0f;
    return std::pow (10.0f, -(k * slope + 20.0f) * p / 20.0f);
}

struct Visualizer : public ::testing::Test
{
    Visualizer()
    {
        viz.attachDecay (processor.getValueTreeState());
        viz.attachWear (processor.getValueTreeState());
        viz.attachFalloff (processor.getValueTreeState());
        viz.attachLength (processor.getValueTreeState());
        viz.setBounds (0, 0, 436, 160); // the editor's size: plot 380 x 120, xSpan 362
        viz.setVisible (true);

        TapSet taps;
        taps.count = 64;
        for (int i = 0; i < 64; ++i)
            taps.taps[static_cast<size_t> (i)] = { 100.0f + 15.0f * static_cast<float> (i), 0.5f, 0.0f };
        viz.setTaps (taps);
        viz.setTimelineMaxMs (1100.0f);

        state.predelayMs = 100.0f;
        state.lengthMs = 1000.0f;
        state.decayCurve = -70.0f;
        state.decayFalloff = 40.0f;
        viz.setState (state);
    }

    ~Visualizer() override { viz.setCachedComponentImage (nullptr); }

    RepaintCounter& countRepaints()
    {
        auto* counter = new RepaintCounter();
        viz.setCachedComponentImage (counter);
        counter->count = 0; // installing it repaints once
        return *counter;
    }

    MassDelayAudioProcessor processor;
    Viz viz;
    Viz::VisualizerState state;
};
} // namespace

TEST (VisualizerModel, CoordinatesLeaveRoomForTheStripsAndTheFaders)
{
    const auto c = Viz::computeCoords ({ 0, 0, 436, 160 }, 2400.0f);
    EXPECT_FLOAT_EQ (c.plotWidth, 380.0f);
    EXPECT_FLOAT_EQ (c.plotHeight, 120.0f);
    EXPECT_FLOAT_EQ (c.x0, 14.0f);
    EXPECT_FLOAT_EQ (c.xSpan, 362.0f);
    EXPECT_FLOAT_EQ (c.viewSpanMs, 2400.0f);
    EXPECT_FLOAT_EQ (c.top(), 10.8f);
    EXPECT_FLOAT_EQ (c.curveFloorY(), 98.0f);
    EXPECT_FLOAT_EQ (c.timeToX (1200.0f), 14.0f + 181.0f);

    const auto tiny = Viz::computeCoords ({ 0, 0, 30, 20 }, 2400.0f);
    EXPECT_FLOAT_EQ (tiny.plotWidth, 0.0f);
    EXPECT_FLOAT_EQ (tiny.plotHeight, 0.0f);
    EXPECT_FLOAT_EQ (tiny.xSpan, -18.0f);
}

TEST (VisualizerModel, LevelsMapLinearlyInDecibelsBetweenZeroAndMinus45)
{
    const auto c = Viz::computeCoords ({ 0, 0, 436, 160 }, 2400.0f);
    struct Case
    {
        float amplitude, t, y;
    };
    const float halfway = std::pow (10.0f, -22.5f / 20.0f);
    const std::vector<Case> cases {
        { 1.0f, 1.0f, 10.8f },   { 4.0f, 1.0f, 10.8f }, { halfway, 0.5f, 54.4f },
        { 0.001f, 0.0f, 98.0f }, { 0.0f, 0.0f, 98.0f }, { -1.0f, 0.0f, 98.0f },
    };
    for (const auto& k : cases)
    {
        EXPECT_NEAR (Viz::ampToT (k.amplitude), k.t, 1.0e-5f) << k.amplitude;
        EXPECT_NEAR (Viz::ampToY (k.amplitude, c), k.y, 1.0e-4f) << k.amplitude;
    }
    EXPECT_FLOAT_EQ (Viz::tToY (0.5f, c, 50.0f), 10.8f + 0.5f * (50.0f - 10.8f));
    EXPECT_FLOAT_EQ (Viz::tToY (0.0f, c), 98.0f) << "the floor exactly";
}

TEST (VisualizerModel, FalloffKneeAndItsInverse)
{
    EXPECT_FLOAT_EQ (Viz::falloffKneeXFrac (40.0f, 100.0f, 1000.0f, 2000.0f), 0.35f);
    EXPECT_FLOAT_EQ (Viz::falloffKneeXFrac (0.0f, 100.0f, 1000.0f, 2000.0f), 0.55f);
    EXPECT_FLOAT_EQ (Viz::falloffKneeXFrac (250.0f, 100.0f, 1000.0f, 0.0f), 100.0f)
        << "falloff capped at 100, max at least 1";

    EXPECT_NEAR (Viz::falloffSpanFromXFrac (0.35f, 100.0f, 1000.0f, 2000.0f), 40.0f, 1.0e-4f);
    EXPECT_NEAR (Viz::falloffSpanFromXFrac (0.5f, 100.0f, 1000.0f, 2000.0f), 10.0f, 1.0e-4f);
    EXPECT_FLOAT_EQ (Viz::falloffSpanFromXFrac (0.01f, 100.0f, 1000.0f, 2000.0f), 40.0f) << "before the window";
    EXPECT_FLOAT_EQ (Viz::falloffSpanFromXFrac (1.0f, 100.0f, 1000.0f, 2000.0f), 0.0f) << "past the window";
}

TEST (VisualizerModel, WearKneeAndRolloff)
{
    EXPECT_FLOAT_EQ (Viz::wearKneeAgeFor (50.0f), 0.55f);
    EXPECT_FLOAT_EQ (Viz::wearKneeAgeFor (0.0f), 1.0f);
    EXPECT_FLOAT_EQ (Viz::wearKneeAgeFor (-5.0f), 1.0f);
    EXPECT_FLOAT_EQ (Viz::wearKneeAgeFor (300.0f), 0.1f);

    EXPECT_FLOAT_EQ (Viz::wearRolloffFor (0.5f, 0.55f), 1.0f);
    EXPECT_NEAR (Viz::wearRolloffFor (0.64f, 0.55f), std::sqrt (0.75f), 1.0e-5f);
    EXPECT_FLOAT_EQ (Viz::wearRolloffFor (0.73f, 0.55f), 0.0f);
    EXPECT_FLOAT_EQ (Viz::wearRolloffFor (0.95f, 0.55f), 0.0f);
}

TEST_F (Visualizer, DecayCurveFollowsTheEngineLevelsAndTheFalloff)
{
    const auto c = viz.computeCoords();
    for (const float p : { 0.0f, 0.1f, 0.35f, 0.5f, 0.6f })
        EXPECT_NEAR (viz.ghostAmp (p), smoothDecay (p, -70.0f), 2.0e-4f) << p;

    // Falloff 40: knee at 0.6, gain (1 - u^2)^2 beyond it.
    EXPECT_FLOAT_EQ (viz.falloffGainAt (0.5f), 1.0f);
    EXPECT_NEAR (viz.falloffGainAt (0.8f), 0.5625f, 1.0e-5f);
    EXPECT_FLOAT_EQ (viz.falloffGainAt (1.0f), 0.0f);

    const float expectedY = Viz::ampToY (smoothDecay (0.8f, -70.0f) * 0.5625f, c);
    EXPECT_NEAR (viz.decayLineYFrac (0.8f, c, -1.0f), expectedY, 0.02f);
    EXPECT_FLOAT_EQ (viz.decayLineYFrac (1.0f, c, -1.0f), 98.0f);
}

TEST_F (Visualizer, WearCurveMatchesTheDecayCurveUpToTheKneeThenFallsToTheFloor)
{
    state.tapeOn = true;
    state.tapeWear = 50.0f; // knee 0.55
    state.decayFalloff = 0.0f;
    viz.setState (state);
    const auto c = viz.computeCoords();

    EXPECT_FLOAT_EQ (viz.wearCurveYFrac (0.3f, c, -1.0f), viz.decayLineYFrac (0.3f, c, -1.0f));
    EXPECT_FLOAT_EQ (viz.wearCurveYFrac (0.55f, c, -1.0f), viz.decayLineYFrac (0.55f, c, -1.0f));
    EXPECT_GT (viz.wearCurveYFrac (0.64f, c, -1.0f), viz.decayLineYFrac (0.64f, c, -1.0f));
    EXPECT_FLOAT_EQ (viz.wearCurveYFrac (0.73f, c, -1.0f), 98.0f);

    EXPECT_NEAR (viz.tapWearDeadMix (0.365f), 0.5f, 1.0e-5f);
    EXPECT_FLOAT_EQ (viz.tapWearDeadMix (0.9f), 1.0f);
    state.tapeOn = false;
    viz.setState (state);
    EXPECT_FLOAT_EQ (viz.tapWearDeadMix (0.9f), 0.0f) << "no worn look without the tape stage";
}

TEST_F (Visualizer, HandlesSitOnTheirCurvesAtTheKnees)
{
    const auto c = viz.computeCoords();

    // Falloff 40 puts the decay handle at 60 % of the window.
    const float kneeFrac = (100.0f + 600.0f) / 1100.0f;
    auto decay = viz.decayHandlePos (c);
    EXPECT_NEAR (decay.x, 14.0f + kneeFrac * 362.0f, 1.0e-3f);
    EXPECT_NEAR (decay.y, Viz::ampToY (smoothDecay (0.6f, -70.0f), c), 0.02f);
    EXPECT_NEAR (viz.getState().decayHandleY, decay.y / 120.0f, 1.0e-4f) << "setState stores the fraction";

    // Falloff 0 puts it at the window end.
    state.decayFalloff = 0.0f;
    viz.setState (state);
    decay = viz.decayHandlePos (c);
    EXPECT_NEAR (decay.x, 376.0f, 1.0e-3f);
    EXPECT_NEAR (decay.y, Viz::ampToY (smoothDecay (1.0f, -70.0f), c), 0.02f);

    // Wear 50: knee at 55 % of the window.
    state.tapeWear = 50.0f;
    viz.setState (state);
    const auto wear = viz.wearHandlePos (c);
    EXPECT_NEAR (wear.x, 14.0f + (100.0f + 550.0f) / 1100.0f * 362.0f, 1.0e-3f);
    EXPECT_NEAR (wear.y, Viz::ampToY (smoothDecay (0.55f, -70.0f), c), 0.02f);

    const auto start = viz.startHandlePos (c);
    EXPECT_NEAR (start.x, 14.0f + 362.0f * 100.0f / 1100.0f, 1.0e-3f);
    EXPECT_FLOAT_EQ (start.y, 60.0f);

    // At or below 2 % of the timeline a handle sits at the top edge.
    const auto early = viz.handleOnCurve (0.01f, false, c);
    EXPECT_FLOAT_EQ (early.x, 14.0f + 0.02f * 362.0f);
    EXPECT_FLOAT_EQ (early.y, 0.0f);
    EXPECT_FLOAT_EQ (viz.handleOnCurve (std::numeric_limits<float>::quiet_NaN(), true, c).y, 0.0f);
}

TEST_F (Visualizer, ANarrowComponentParksTheHandlesAtTheLeft)
{
    viz.setBounds (0, 0, 70, 160);
    const auto c = viz.computeCoords();
    ASSERT_LE (c.xSpan, 0.0f);
    for (const auto& p : { viz.decayHandlePos (c), viz.wearHandlePos (c), viz.startHandlePos (c) })
    {
        EXPECT_FLOAT_EQ (p.x, 14.0f);
        EXPECT_FLOAT_EQ (p.y, 60.0f);
    }
}

TEST_F (Visualizer, ChildrenTakeTheirPlaces)
{
    EXPECT_EQ (viz.getLengthSlider().getBounds(), juce::Rectangle<int> (0, 106, 380, 14));
    EXPECT_TRUE (viz.getLengthSlider().isVisible());
    EXPECT_EQ (viz.getLengthSlider().hoverMargin, 8);
    EXPECT_EQ (viz.getDecayModeButton().getBounds(), juce::Rectangle<int> (320, 0, 60, 18));
    EXPECT_EQ (viz.getStepsLabel().getBounds(), juce::Rectangle<int> (320, 18, 60, 12));
    for (auto* hidden : { &viz.getDecaySlider(), &viz.getWearSlider(), &viz.getFalloffSlider() })
    {
        EXPECT_FALSE (hidden->isVisible());
        EXPECT_EQ (hidden->getParentComponent(), &viz);
    }
    EXPECT_EQ (viz.getDecaySlider().getMinimum(), -100.0);
    EXPECT_EQ (viz.getDecaySlider().getMaximum(), 300.0);
    EXPECT_EQ (viz.getFalloffSlider().getMaximum(), 40.0);
    EXPECT_EQ (viz.getLengthSlider().getKind(), MdSlider::Kind::LengthExp);

    // The attachments carry the parameters.
    auto& apvts = processor.getValueTreeState();
    viz.getWearSlider().setValue (37.0, juce::sendNotificationSync);
    EXPECT_FLOAT_EQ (apvts.getRawParameterValue ("tDarken")->load(), 37.0f);
    viz.getLengthSlider().setValue (500.0, juce::sendNotificationSync);
    EXPECT_FLOAT_EQ (apvts.getRawParameterValue ("fb")->load(), 500.0f);
}

TEST_F (Visualizer, DecayModeButtonCyclesTheModeAndShowsItsText)
{
    auto& apvts = processor.getValueTreeState();
    auto& button = viz.getDecayModeButton();
    uitest::Mouse mouse (button);
    const std::vector<float> expected { 1.0f, 2.0f, 0.0f, 1.0f };
    for (const float mode : expected)
    {
        mouse.click (20.0f, 9.0f);
        EXPECT_FLOAT_EQ (apvts.getRawParameterValue ("dcMode")->load(), mode);
    }
    EXPECT_FALSE (button.getToggleState());

    struct Case
    {
        int mode;
        const char* text;
        bool stepsShown;
    };
    for (const auto& c : { Case { 0, "Smooth", false }, Case { 1, "Step", true }, Case { 2, "Wavey", true },
                           Case { 7, "Wavey", true }, Case { -3, "Smooth", true } })
    {
        state.decayMode = c.mode;
        viz.setState (state);
        EXPECT_EQ (button.getButtonText(), c.text) << c.mode;
        EXPECT_EQ (viz.getStepsLabel().isVisible(), c.stepsShown) << c.mode;
    }
}

TEST_F (Visualizer, RepaintsOnlyWhenSomethingItDrawsChanged)
{
    auto& repaints = countRepaints();

    TapSet taps = viz.getTaps();
    viz.setTaps (taps);
    viz.setTimelineMaxMs (1100.0f);
    viz.setState (state);
    EXPECT_EQ (repaints.count, 0) << "same taps, same timeline, same state";

    // Animation values and noMid are outside the comparison.
    auto animated = state;
    animated.noMid = true;
    animated.flutterPhase = 0.4f;
    animated.hudClock = 12.0f;
    viz.setState (animated);
    EXPECT_EQ (repaints.count, 0);

    // Taps beyond the count do not matter; a changed record does.
    taps.taps[100].gain = 0.9f;
    viz.setTaps (taps);
    EXPECT_EQ (repaints.count, 0);
    taps.taps[10].gain = 0.25f;
    viz.setTaps (taps);
    EXPECT_EQ (repaints.count, 1);
    taps.count = 63;
    viz.setTaps (taps);
    EXPECT_EQ (repaints.count, 2);

    viz.setTimelineMaxMs (1200.0f);
    EXPECT_EQ (repaints.count, 3);
    viz.setTimelineMaxMs (0.0f);
    EXPECT_FLOAT_EQ (viz.getTimelineMaxMs(), 1.0f);
    EXPECT_EQ (repaints.count, 4);

    animated.twist = -12.0f;
    viz.setState (animated);
    EXPECT_EQ (repaints.count, 5);
    animated.touchedParamId = "sat";
    viz.setState (animated);
    EXPECT_EQ (repaints.count, 6);
}

TEST (VisualizerModel, SamePaintInputsIgnoresOnlyTheAnimationFields)
{
    Viz::VisualizerState a, b;
    EXPECT_TRUE (a.samePaintInputs (b));
    b.noMid = true;
    b.decayHandleY = 0.9f;
    b.wearHandleY = 0.1f;
    b.flutterPhase = 0.3f;
    b.hudClock = 99.0f;
    EXPECT_TRUE (a.samePaintInputs (b));

    auto changed = [&a] (auto edit) {
        auto c = a;
        edit (c);
        return ! a.samePaintInputs (c);
    };
    EXPECT_TRUE (changed ([] (Viz::VisualizerState& s) { s.waveOn = true; }));
    EXPECT_TRUE (changed ([] (Viz::VisualizerState& s) { s.tremSeed = 1; }));
    EXPECT_TRUE (changed ([] (Viz::VisualizerState& s) { s.activeHud = Hud::Eq; }));
    EXPECT_TRUE (changed ([] (Viz::VisualizerState& s) { s.alphaBoost = 1.5f; }));
    EXPECT_TRUE (changed ([] (Viz::VisualizerState& s) { s.pitch2x = true; }));
    EXPECT_TRUE (changed ([] (Viz::VisualizerState& s) { s.touchedParamId = "td"; }));

    auto withNaN = a;
    withNaN.mix = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE (withNaN.samePaintInputs (withNaN)) << "a NaN never compares equal";
}

TEST_F (Visualizer, ShowsTheRequestedOverlayAndNothingForUnusedCodes)
{
    state.activeHud = Hud::Falloff;
    viz.setState (state);
    EXPECT_EQ (viz.getShownHud(), Hud::Falloff);
    viz.showHud (static_cast<Hud> (3));
    EXPECT_EQ (viz.getShownHud(), Hud::None);
    viz.showHud (Hud::Mix);
    viz.hideAllHuds();
    EXPECT_EQ (viz.getShownHud(), Hud::None);
}

TEST (VisualizerModel, ReadoutTitlesAndValues)
{
    Viz::VisualizerState s;
    struct Case
    {
        Hud code;
        float mix, predelay, falloff;
        const char* title;
        const char* value;
    };
    const std::vector<Case> cases {
        { Hud::Mix, 79.5f, 0.0f, 0.0f, "MIX", "80%" },
        { Hud::Mix, 0.4f, 0.0f, 0.0f, "MIX", "0%" },
        { Hud::Start, 80.0f, 999.9f, 0.0f, "START", "999 ms" },
        { Hud::Start, 80.0f, 1000.0f, 0.0f, "START", "1.00 s" },
        { Hud::Start, 80.0f, 2345.0f, 0.0f, "START", "2.35 s" },
        { Hud::Falloff, 80.0f, 0.0f, 0.0f, "FALLOFF", "OFF" },
        { Hud::Falloff, 80.0f, 0.0f, 12.34f, "FALLOFF", "12.3%" },
        { Hud::Falloff, 80.0f, 0.0f, 40.0f, "FALLOFF", "40.0%" },
        { Hud::Eq, 80.0f, 0.0f, 0.0f, "", "" },
    };
    for (const auto& c : cases)
    {
        s.mix = c.mix;
        s.predelayMs = c.predelay;
        s.decayFalloff = c.falloff;
        const auto r = Viz::readoutFor (c.code, s);
        EXPECT_EQ (r.title, c.title);
        EXPECT_EQ (r.value, c.value) << c.title;
    }

    for (const auto& [master, value] :
         { std::pair { 0.0f, "0.0 dB" }, std::pair { -6.0f, "-6.0 dB" }, std::pair { 3.0f, "+3.0 dB" } })
    {
        s.master = master;
        const auto r = Viz::readoutFor (Hud::Master, s);
        EXPECT_EQ (r.title, "MASTER");
        EXPECT_EQ (r.value, value) << master;
    }
    s.master = -60.0f;
    EXPECT_TRUE (Viz::readoutFor (Hud::Master, s).value.endsWith (" dB"));
    EXPECT_TRUE (Viz::readoutFor (Hud::Master, s).value.startsWith ("-"));
    EXPECT_FALSE (Viz::readoutFor (Hud::Master, s).value.containsAnyOf ("0123456789")) << "minus infinity";
}

TEST_F (Visualizer, ATapCountOutsideTheRecordIsClamped)
{
    TapSet taps = viz.getTaps();
    taps.count = 5000;
    viz.setTaps (taps);
    EXPECT_EQ (viz.getTaps().count, TapSet::maxTaps);
    viz.setTaps (taps); // the same again: compared within the record only
    EXPECT_EQ (viz.getTaps().count, TapSet::maxTaps);

    taps.count = -3;
    viz.setTaps (taps);
    EXPECT_EQ (viz.getTaps().count, 0);
    EXPECT_FLOAT_EQ (viz.ghostAmp (0.5f), 1.0f) << "no taps: the curve uses n = 1";

    // No amber bars anywhere in the plot.
    const auto image = uitest::render (viz);
    int amber = 0;
    for (int y = 0; y < 98; ++y)
        for (int x = 14; x < 300; ++x)
            if (const auto c = image.getPixelAt (x, y); c.getRed() > 100 && c.getBlue() < 80)
                ++amber;
    EXPECT_EQ (amber, 0);

    taps.count = 64;
    viz.setTaps (taps);
    const auto withTaps = uitest::render (viz);
    amber = 0;
    for (int y = 0; y < 98; ++y)
        for (int x = 14; x < 300; ++x)
            if (const auto c = withTaps.getPixelAt (x, y); c.getRed() > 100 && c.getBlue() < 80)
                ++amber;
    EXPECT_GT (amber, 100) << "the same measure sees the bars of 64 taps";
}
