#include "UiTestSupport.h"
#include "support/HostRecorder.h"

#include "dsp/ParamMapping.h"
#include "plugin/PluginProcessor.h"
#include "ui/ValueEntryBox.h"
#include "ui/VisualizerComponent.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace
{
using Viz = VisualizerComponent;

// The editor's visualizer (plot 380 x 120, time line x = 14 to 376) over a
// 1100 ms timeline: predelay 100 ms, window 1000 ms, so one pixel is
// 1100 / 362 ms. Drag reports and host gestures are logged.
struct Handles : public ::testing::Test
{
    static constexpr float msPerPixel = 1100.0f / 362.0f;

    Handles() { build (viz); }

    ~Handles() override
    {
        ValueEntryBox::dismissAll();
        uitest::waitForCallOutsToClose();
    }

    void build (Viz& v)
    {
        auto& apvts = processor.getValueTreeState();
        v.attachDecay (apvts);
        v.attachWear (apvts);
        v.attachFalloff (apvts);
        v.attachLength (apvts);
        v.setBounds (0, 0, 436, 160);
        v.setVisible (true);
        v.predelayParam = apvts.getParameter (params::id::predelay);

        // Wired as the editor wires them.
        const std::pair<MdSlider*, const char*> sliders[] = { { &v.getDecaySlider(), params::id::decayCurve },
                                                              { &v.getWearSlider(), params::id::tapeWear },
                                                              { &v.getFalloffSlider(), params::id::decayFalloff } };
        for (const auto& [slider, id] : sliders)
        {
            slider->paramId = id;
            slider->onParamDragStart = [this] (const juce::String& pid) { log.push_back ("start " + pid); };
            slider->onParamDragEnd = [this] (const juce::String& pid) { log.push_back ("end " + pid); };
        }
        v.onParamDragStart = [this] (const juce::String& pid) { log.push_back ("start " + pid); };
        v.onParamDragEnd = [this] (const juce::String& pid) { log.push_back ("end " + pid); };
        v.onParamHoverStart = [this] (const juce::String& pid) { log.push_back ("hover " + pid); };
        v.onParamHoverEnd = [this] (const juce::String& pid) { log.push_back ("unhover " + pid); };

        TapSet taps;
        taps.count = 64;
        for (int i = 0; i < 64; ++i)
            taps.taps[static_cast<size_t> (i)] = { 100.0f + 15.0f * static_cast<float> (i), 0.5f, 0.0f };
        v.setTaps (taps);
        v.setTimelineMaxMs (1100.0f);

        hostSets (params::id::predelay, 100.0f);
        hostSets (params::id::decayFalloff, 25.0f);
        state.predelayMs = 100.0f;
        state.lengthMs = 1000.0f;
        state.decayFalloff = 25.0f;
        v.setState (state);
        host.clear();
    }

    void apply() { viz.setState (state); }

    float raw (const char* id) { return processor.getValueTreeState().getRawParameterValue (id)->load(); }

    void hostSets (const char* id, float value)
    {
        const juce::ScopedValueSetter<bool> quiet (host.listening, false);
        auto* p = processor.getValueTreeState().getParameter (id);
        p->setValueNotifyingHost (p->convertTo0to1 (value));
    }

    // A mouse event on component c at p (in c's coordinates), as JUCE hands it
    // to the visualizer, which listens to its steps label too.
    juce::MouseEvent event (juce::Component& c, juce::Point<float> p, juce::ModifierKeys mods = {}, int clicks = 1,
                            bool dragged = false)
    {
        if (! mods.isAnyMouseButtonDown())
            mods = mods.withFlags (juce::ModifierKeys::leftButtonModifier);
        const auto now = juce::Time::getCurrentTime();
        return juce::MouseEvent (juce::Desktop::getInstance().getMainMouseSource(), p, mods,
                                 juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation,
                                 juce::MouseInputSource::defaultRotation, juce::MouseInputSource::defaultTiltX,
                                 juce::MouseInputSource::defaultTiltY, &c, &c, now, pressAt, now, clicks, dragged);
    }

    void press (juce::Point<float> p, juce::ModifierKeys mods = {}, juce::Component* on = nullptr)
    {
        pressAt = p;
        viz.mouseDown (event (on != nullptr ? *on : viz, p, mods));
    }
    void drag (juce::Point<float> p, juce::ModifierKeys mods = {}, juce::Component* on = nullptr)
    {
        viz.mouseDrag (event (on != nullptr ? *on : viz, p, mods, 1, true));
    }
    void release (juce::Point<float> p, juce::Component* on = nullptr)
    {
        viz.mouseUp (event (on != nullptr ? *on : viz, p, juce::ModifierKeys(), 1, true));
    }
    void move (juce::Point<float> p) { viz.mouseMove (event (viz, p, juce::ModifierKeys(), 0)); }

    void expectOneGesture (const char* id, const char* when)
    {
        EXPECT_EQ (host.begins (id), 1) << id << ", " << when;
        EXPECT_EQ (host.ends (id), 1) << id << ", " << when;
    }

    juce::Point<float> decayHandle() { return viz.decayHandlePos (viz.computeCoords()); }
    juce::Point<float> wearHandle() { return viz.wearHandlePos (viz.computeCoords()); }
    juce::Point<float> startDot() { return viz.startHandlePos (viz.computeCoords()); }

    MassDelayAudioProcessor processor;
    testsupport::HostRecorder host { processor };
    Viz viz;
    Viz::VisualizerState state;
    std::vector<juce::String> log;
    juce::Point<float> pressAt;
};
} // namespace

//==============================================================================
// Decay, wear and falloff.

TEST_F (Handles, DecayDragMovesTheCurveUpAndDownAndTheFalloffSidewaysAsOneGestureEach)
{
    hostSets (params::id::decayCurve, 0.0f);
    const auto h = decayHandle();

    press (h);
    EXPECT_EQ (log, (std::vector<juce::String> { "start dcFall", "start dcv" })) << "the curve is reported last";
    EXPECT_EQ (viz.getMouseCursor(), juce::MouseCursor (juce::MouseCursor::DraggingHandCursor));

    drag (h.translated (0.0f, -30.0f));
    EXPECT_FLOAT_EQ (raw (params::id::decayCurve), 100.0f) << "400 units per plot height of 120 px";
    EXPECT_NEAR (raw (params::id::decayFalloff), 25.0f, 0.15f) << "no sideways move, no falloff change";

    // A tenth of the time line to the left: the knee moves from 0.75 to 0.64
    // of the window.
    drag (h.translated (-36.2f, -30.0f));
    EXPECT_NEAR (raw (params::id::decayFalloff), 36.0f, 0.15f);

    drag (h.translated (-36.2f, -300.0f));
    EXPECT_FLOAT_EQ (raw (params::id::decayCurve), 300.0f) << "clamped";

    release (h.translated (-36.2f, -300.0f));
    EXPECT_EQ (log, (std::vector<juce::String> { "start dcFall", "start dcv", "end dcv", "end dcFall" }));
    expectOneGesture (params::id::decayCurve, "decay drag");
    expectOneGesture (params::id::decayFalloff, "decay drag");
    EXPECT_GE (host.changes (params::id::decayCurve), 2);
}

TEST_F (Handles, WearDragToTheLeftWearsTheTapeMoreEvenWithTheHandleHidden)
{
    // Tape off: the wear handle is not drawn but still answers the mouse.
    hostSets (params::id::tapeWear, 30.0f);
    hostSets (params::id::decayFalloff, 40.0f);
    state.tapeOn = false;
    state.tapeWear = 30.0f;
    state.decayFalloff = 40.0f;
    apply();
    const auto w = wearHandle();

    move (w);
    EXPECT_TRUE (viz.isWearHovered());
    EXPECT_EQ (viz.getMouseCursor(), juce::MouseCursor (juce::MouseCursor::PointingHandCursor));

    press (w);
    EXPECT_EQ (log, (std::vector<juce::String> { "start tDarken" }));
    drag (w.translated (-40.0f, 0.0f));
    EXPECT_FLOAT_EQ (raw (params::id::tapeWear), 42.0f) << "40 px of 0.9 x 362 px per 100 %, at whole percent";
    drag (w.translated (400.0f, 0.0f));
    EXPECT_FLOAT_EQ (raw (params::id::tapeWear), 0.0f) << "clamped";
    release (w.translated (400.0f, 0.0f));
    EXPECT_EQ (log.back(), "end tDarken");
    expectOneGesture (params::id::tapeWear, "wear drag");
}

TEST_F (Handles, WhereBothHandleZonesMeetTheWearHandleWinsOnlyWhenStrictlyNearer)
{
    struct Case
    {
        const char* what;
        float wear;
        float towardDecay; // 0 at the wear handle, 1 at the decay handle
        const char* grabbed;
    };
    const std::vector<Case> cases {
        { "handles on one spot: equal distance", 0.0f, 0.0f, "start dcv" },
        { "nearer the wear handle", 5.0f, 0.3f, "start tDarken" },
        { "nearer the decay handle", 5.0f, 0.7f, "start dcv" },
    };
    for (const auto& c : cases)
    {
        hostSets (params::id::decayFalloff, 0.0f);
        state.decayFalloff = 0.0f;
        state.tapeWear = c.wear;
        apply();
        const auto w = wearHandle();
        const auto d = decayHandle();
        const auto at = w + (d - w) * c.towardDecay + juce::Point<float> (0.0f, 2.0f);
        ASSERT_TRUE (viz.isOverWearHandle (at) && viz.isOverDecayHandle (at)) << c.what;

        log.clear();
        press (at);
        EXPECT_EQ (log.back(), c.grabbed) << c.what;
        release (at);
    }
}

TEST_F (Handles, TheFalloffLineKeepsItsDistanceToThePointer)
{
    const auto c = viz.computeCoords();
    const float lineX = viz.falloffLineX (c);
    ASSERT_GT (std::abs (decayHandle().y - 90.0f), 20.0f);

    press ({ lineX + 3.0f, 90.0f });
    EXPECT_EQ (log, (std::vector<juce::String> { "start dcFall" }));
    drag ({ lineX + 3.0f, 90.0f });
    EXPECT_NEAR (raw (params::id::decayFalloff), 25.0f, 0.15f) << "grabbed beside the line: no jump";
    drag ({ lineX + 3.0f - 36.2f, 80.0f });
    EXPECT_NEAR (raw (params::id::decayFalloff), 36.0f, 0.15f);
    release ({ lineX - 33.2f, 80.0f });
    EXPECT_EQ (log.back(), "end dcFall");
    expectOneGesture (params::id::decayFalloff, "falloff drag");

    // Hovering the line or the handle emphasises it; leaving clears that.
    move ({ lineX, 90.0f });
    EXPECT_TRUE (viz.isFalloffHovered());
    viz.mouseExit (event (viz, { -1.0f, -1.0f }, {}, 0));
    EXPECT_FALSE (viz.isFalloffHovered());
    EXPECT_EQ (viz.getMouseCursor(), juce::MouseCursor (juce::MouseCursor::NormalCursor));
}

//==============================================================================
// Steps label.

TEST_F (Handles, StepsLabelDragsFourPixelsUpPerStepWithinOneToSixteen)
{
    state.decayMode = 1;
    apply();
    auto& label = viz.getStepsLabel();
    ASSERT_TRUE (label.isVisible());
    ASSERT_FALSE (viz.isOverDecayHandle (label.getBounds().getCentre().toFloat()));
    hostSets (params::id::decaySteps, 5.0f);

    struct Step
    {
        float y;
        int steps;
    };
    press ({ 10.0f, 6.0f }, {}, &label);
    for (const auto& s : { Step { 6.0f, 5 }, Step { 3.0f, 5 }, Step { 2.0f, 6 }, Step { -2.0f, 7 },
                           Step { -200.0f, 16 }, Step { 200.0f, 1 }, Step { 10.0f, 4 } })
    {
        drag ({ 10.0f, s.y }, {}, &label);
        EXPECT_FLOAT_EQ (raw (params::id::decaySteps), static_cast<float> (s.steps)) << "at y " << s.y;
    }
    release ({ 10.0f, 10.0f }, &label);
    EXPECT_TRUE (log.empty()) << "the steps select no overlay";
    expectOneGesture (params::id::decaySteps, "steps drag");
}

TEST_F (Handles, APressOnTheStepsLabelOverTheDecayHandleTakesTheHandle)
{
    // The steepest curve ends at -6 dB, so without falloff the decay handle
    // sits at the window's end right under the label.
    hostSets (params::id::decayFalloff, 0.0f);
    hostSets (params::id::decayCurve, 300.0f);
    state.decayFalloff = 0.0f;
    state.decayCurve = mapping::decayCurve (300.0f);
    state.decayMode = 1;
    apply();
    auto& label = viz.getStepsLabel();
    const auto onLabel = decayHandle() - label.getPosition().toFloat();
    ASSERT_TRUE (label.getLocalBounds().toFloat().contains (onLabel));

    press (onLabel, {}, &label);
    EXPECT_EQ (log, (std::vector<juce::String> { "start dcFall", "start dcv" }));
    drag (onLabel.translated (0.0f, 30.0f), {}, &label);
    EXPECT_FLOAT_EQ (raw (params::id::decayCurve), 200.0f) << "the drag moves the curve";
    release (onLabel.translated (0.0f, 30.0f), &label);
    EXPECT_EQ (host.begins (params::id::decaySteps), 0);
    EXPECT_FLOAT_EQ (raw (params::id::decaySteps), 4.0f);
}

//==============================================================================
// START dot.

TEST_F (Handles, PredelayDragFollowsThePointerAndCommandMakesItEightTimesFiner)
{
    const auto s = startDot();
    press (s);
    EXPECT_EQ (log, (std::vector<juce::String> { "start pd" }));

    drag (s.translated (20.0f, 0.0f));
    EXPECT_NEAR (raw (params::id::predelay), 100.0f + 20.0f * msPerPixel, 0.01f);
    const float coarse = raw (params::id::predelay);

    // Command held from here: an eighth of the movement, from where it was.
    drag (s.translated (20.0f, 0.0f), uitest::command);
    drag (s.translated (28.0f, 0.0f), uitest::command);
    EXPECT_NEAR (raw (params::id::predelay), coarse + 8.0f * msPerPixel / 8.0f, 0.01f);

    // Released: the coarse mapping from the press again.
    drag (s.translated (28.0f, 0.0f));
    EXPECT_NEAR (raw (params::id::predelay), 100.0f + 28.0f * msPerPixel, 0.01f);
    drag (s.translated (2000.0f, 0.0f));
    EXPECT_FLOAT_EQ (raw (params::id::predelay), 2000.0f);
    drag (s.translated (-2000.0f, 0.0f));
    EXPECT_FLOAT_EQ (raw (params::id::predelay), 0.0f);

    release (s.translated (-2000.0f, 0.0f));
    EXPECT_EQ (log, (std::vector<juce::String> { "start pd", "end pd" }));
    expectOneGesture (params::id::predelay, "predelay drag");
}

TEST_F (Handles, TypedPredelayReadsMillisecondsOrSecondsAndIgnoresNonNumbers)
{
    struct Case
    {
        const char* typed;
        float expected;
    };
    constexpr float unchanged = 321.0f;
    const std::vector<Case> cases {
        { "1.5s", 1500.0f },     { "250 MS", 250.0f },      { " 800 ", 800.0f },  { "abc", 0.0f },
        { "5000", 2000.0f },     { "-20", 0.0f },           { "nan", unchanged }, { "inf", unchanged },
        { "-inf s", unchanged }, { "1e999 ms", unchanged }, { "0.25 s", 250.0f },
    };
    for (const auto& c : cases)
    {
        hostSets (params::id::predelay, unchanged);
        state.predelayMs = unchanged;
        apply();
        host.clear();

        press (startDot(), uitest::rightButton);
        auto* field = uitest::entryField();
        ASSERT_NE (field, nullptr) << c.typed;
        EXPECT_EQ (field->getText(), "321 ms");
        release (startDot());
        ASSERT_TRUE (uitest::typeAndClose (c.typed)) << c.typed;

        EXPECT_FLOAT_EQ (raw (params::id::predelay), c.expected) << c.typed;
        EXPECT_EQ (host.changes (params::id::predelay), c.expected != unchanged ? 1 : 0) << c.typed;
        EXPECT_EQ (host.begins (params::id::predelay), host.ends (params::id::predelay)) << c.typed;
    }
    EXPECT_TRUE (log.empty()) << "the entry is no drag";
}

TEST_F (Handles, DoubleClicksResetThePredelayAndTheSteps)
{
    state.decayMode = 2;
    apply();
    hostSets (params::id::decaySteps, 9.0f);

    const auto doubleClick = [this] (juce::Component& on, juce::Point<float> p) {
        press (p, {}, &on);
        release (p, &on);
        pressAt = p;
        viz.mouseDown (event (on, p, {}, 2));
        viz.mouseDoubleClick (event (on, p, {}, 2));
        release (p, &on);
    };

    doubleClick (viz, startDot());
    EXPECT_FLOAT_EQ (raw (params::id::predelay), 0.0f);
    doubleClick (viz.getStepsLabel(), { 10.0f, 6.0f });
    EXPECT_FLOAT_EQ (raw (params::id::decaySteps), 4.0f);

    EXPECT_EQ (host.begins (params::id::predelay), host.ends (params::id::predelay));
    EXPECT_EQ (host.begins (params::id::decaySteps), host.ends (params::id::decaySteps));

    // Elsewhere a double-click resets nothing.
    hostSets (params::id::decayCurve, 77.0f);
    doubleClick (viz, decayHandle());
    EXPECT_FLOAT_EQ (raw (params::id::decayCurve), 77.0f);
}

TEST_F (Handles, HoveringTheStartDotReportsThePredelay)
{
    const auto s = startDot();
    move (s.translated (9.0f, 0.0f));
    move (s.translated (2.0f, 3.0f));
    move (s.translated (11.0f, 0.0f));
    EXPECT_EQ (log, (std::vector<juce::String> { "hover pd", "unhover pd" }));

    move (s);
    viz.mouseExit (event (viz, { -1.0f, -1.0f }, {}, 0));
    EXPECT_EQ (log.back(), "unhover pd");

    // A drag of the dot keeps the hover state as it was.
    press (s);
    move (s.translated (40.0f, 0.0f));
    release (s.translated (40.0f, 0.0f));
    EXPECT_EQ (log.back(), "end pd");
}

TEST_F (Handles, ClosingTheVisualizerMidDragEndsItsHostGestures)
{
    {
        auto other = std::make_unique<Viz>();
        build (*other);
        const auto h = other->decayHandlePos (other->computeCoords());
        pressAt = h;
        other->mouseDown (event (*other, h));
        EXPECT_EQ (host.begins (params::id::decayCurve), 1);
        EXPECT_EQ (host.ends (params::id::decayCurve), 0);
    }
    expectOneGesture (params::id::decayCurve, "visualizer gone");
    expectOneGesture (params::id::decayFalloff, "visualizer gone");
}
