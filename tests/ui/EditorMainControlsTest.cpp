#include "UiTestSupport.h"

#include "plugin/PluginEditor.h"
#include "plugin/PluginProcessor.h"
#include "presets/PresetLibrary.h"
#include "ui/Col.h"
#include "ui/FaderScale.h"
#include "ui/ValueEntryBox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <string>

namespace
{
// Gestures per parameter index, as the host sees them.
struct GestureLog : public juce::AudioProcessorListener
{
    void audioProcessorParameterChanged (juce::AudioProcessor*, int, float) override {}
    void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override {}
    void audioProcessorParameterChangeGestureBegin (juce::AudioProcessor*, int index) override { ++begins[index]; }
    void audioProcessorParameterChangeGestureEnd (juce::AudioProcessor*, int index) override { ++ends[index]; }
    std::map<int, int> begins, ends;
};

// The editor over a prepared processor, with the main row, the filter
// range, the density strip and the master fader as the user meets them.
struct MainControls : public ::testing::Test
{
    MainControls()
    {
        processor.prepareToPlay (48000.0, 512);
        editor.reset (dynamic_cast<MassDelayAudioProcessorEditor*> (processor.createEditor()));
        processor.addListener (&gestures);
    }

    ~MainControls() override
    {
        processor.removeListener (&gestures);
        editor.reset();
        ValueEntryBox::dismissAll();
        uitest::waitForCallOutsToClose();
        processor.releaseResources();
    }

    float raw (const char* id) { return processor.getValueTreeState().getRawParameterValue (id)->load(); }

    // One block of silence: the processor applies its parameter rules.
    void block()
    {
        juce::AudioBuffer<float> buffer (2, 512);
        buffer.clear();
        juce::MidiBuffer midi;
        processor.processBlock (buffer, midi);
    }

    void set (const char* id, float value)
    {
        auto* p = processor.getValueTreeState().getParameter (id);
        p->setValueNotifyingHost (p->convertTo0to1 (value));
    }

    int index (const char* id)
    {
        return dynamic_cast<juce::AudioProcessorParameterWithID*> (processor.getValueTreeState().getParameter (id))
            ->getParameterIndex();
    }

    // Runs blocks of a signal (or silence) through the processor; returns
    // the largest output sample.
    float run (int blocks, float amplitude)
    {
        juce::AudioBuffer<float> buffer (2, 512);
        juce::MidiBuffer midi;
        float peak = 0.0f;
        for (int b = 0; b < blocks; ++b)
        {
            for (int c = 0; c < 2; ++c)
                for (int i = 0; i < 512; ++i)
                    buffer.setSample (c, i, amplitude * std::sin (0.05f * static_cast<float> (b * 512 + i)));
            processor.processBlock (buffer, midi);
            peak = std::max (peak, buffer.getMagnitude (0, 512));
        }
        return peak;
    }

    VisualizerComponent::ActiveHud hud()
    {
        editor->refresh();
        return editor->getVisualizer().getState().activeHud;
    }

    MassDelayAudioProcessor processor;
    std::unique_ptr<MassDelayAudioProcessorEditor> editor;
    GestureLog gestures;
};

using Hud = VisualizerComponent::ActiveHud;
} // namespace

TEST_F (MainControls, FilterHandlesWriteHpAndLpInOneGestureAndFollowTheParametersWhenIdle)
{
    auto& filter = editor->getFilterSlider();
    const float lpX = filter.hzToX (6000.0f);
    uitest::Mouse mouse (filter);

    mouse.down (lpX, 8.0f);
    EXPECT_EQ (editor->getDraggedParamId(), "lp");
    EXPECT_EQ (hud(), Hud::Eq);
    mouse.drag (lpX - 40.0f, 8.0f);

    // The refresh leaves a handle in the hand alone.
    const float dragged = filter.getLpRaw();
    set ("lp", 900.0f);
    editor->refresh();
    EXPECT_FLOAT_EQ (filter.getLpRaw(), dragged);

    mouse.drag (filter.hzToX (2000.0f), 8.0f);
    mouse.up (filter.hzToX (2000.0f), 8.0f, {}, true);
    EXPECT_TRUE (editor->getDraggedParamId().isEmpty());
    EXPECT_NEAR (raw ("lp"), filter.getLpRaw(), 0.01f);
    EXPECT_NEAR (500.0f * std::pow (44.0f, raw ("lp") / 1000.0f), 2000.0f, 2.0f);
    EXPECT_NEAR (raw ("hp"), 434.59f, 0.01f);
    EXPECT_EQ (gestures.begins[index ("lp")], 1) << "one gesture from press to release";
    EXPECT_EQ (gestures.ends[index ("lp")], 1);
    EXPECT_EQ (gestures.begins[index ("hp")], 0) << "the corner left alone";

    // Idle again: the handles follow the parameters, which clamp what a drag
    // took beyond their ranges.
    set ("hp", 600.0f);
    editor->refresh();
    EXPECT_FLOAT_EQ (filter.getHpRaw(), 600.0f);

    mouse.down (filter.hzToX (FilterSlider::rawToHzHp (600.0f)), 8.0f);
    mouse.drag (430.0f, 8.0f); // past the low-pass corner: stops there (2 kHz, raw 1131)
    mouse.up (430.0f, 8.0f, {}, true);
    EXPECT_NEAR (filter.getHpRaw(), FilterSlider::hzToRawHp (2000.0f), 1.0f);
    EXPECT_NEAR (raw ("hp"), FilterSlider::hzToRawHp (2000.0f), 1.0f);
    set ("hp", 1000.0f);
    editor->refresh();
    EXPECT_FLOAT_EQ (filter.getHpRaw(), 1000.0f);
}

TEST_F (MainControls, DensityStripIsBoundToStartEndLinkAndRangeAndShowsTheirValues)
{
    auto& strip = editor->getVisualizer().getDensityStrip();

    set ("s", 250.0f);
    set ("e", 600.0f);
    set ("lk", 1.0f);
    set ("io2x", 1.0f);
    editor->refresh();
    EXPECT_DOUBLE_EQ (strip.getStartSlider().getValue(), 250.0);
    EXPECT_DOUBLE_EQ (strip.getEndSlider().getValue(), 600.0);
    EXPECT_TRUE (strip.getLinkButton().getToggleState());
    EXPECT_TRUE (strip.getRangeButton().getToggleState());
    EXPECT_EQ (strip.getStartValueLabel().getText(), "56 ms");
    EXPECT_EQ (strip.getEndValueLabel().getText(), "2352 ms");
    EXPECT_FLOAT_EQ (strip.getStartSlider().displayScale, 4.0f);
    EXPECT_FLOAT_EQ (strip.getEndSlider().displayScale, 4.0f);
    EXPECT_EQ (strip.getEndSlider().getTextFromValue (600.0), "2.35 s") << "the slider's own text scales too";
    EXPECT_FALSE (strip.getStartSlider().syncMode);

    // Tap sync on: the next block converts the spacings to the nearest
    // divisions (56 ms and 2352 ms at 120 BPM), the refresh shows them.
    block();
    set ("mu", 1.0f);
    block();
    editor->refresh();
    EXPECT_EQ (strip.getStartValueLabel().getText(), "1/32");
    EXPECT_EQ (strip.getEndValueLabel().getText(), "1b");
    EXPECT_TRUE (strip.getStartSlider().syncMode);
    EXPECT_TRUE (strip.getEndSlider().syncMode);
    EXPECT_TRUE (strip.getEndSlider().tempoKnown) << "120 BPM until a host reports a tempo";
    EXPECT_EQ (strip.getEndSlider().getTextFromValue (600.0), "1/4");

    set ("io2x", 0.0f);
    editor->refresh();
    EXPECT_FLOAT_EQ (strip.getEndSlider().displayScale, 1.0f);
    set ("io2x", 1.0f);

    // A drag reports "s", moves s, and with the link on carries e along.
    set ("mu", 0.0f);
    editor->refresh();
    set ("s", 250.0f);
    set ("e", 600.0f);
    editor->refresh();
    uitest::Mouse mouse (strip.getStartSlider());
    const auto& start = strip.getStartSlider();
    mouse.down (static_cast<float> (start.getPositionOfValue (250.0)), 20.0f);
    EXPECT_EQ (editor->getDraggedParamId(), "s");
    mouse.drag (static_cast<float> (start.getPositionOfValue (300.0)), 20.0f);
    mouse.up (static_cast<float> (start.getPositionOfValue (300.0)), 20.0f, {}, true);
    EXPECT_TRUE (editor->getDraggedParamId().isEmpty());
    EXPECT_NEAR (raw ("s"), 300.0f, 3.0f);
    EXPECT_NEAR (raw ("e") - raw ("s"), 350.0f, 0.02f);
    EXPECT_GE (gestures.begins[index ("s")], 1);
    EXPECT_EQ (gestures.begins[index ("s")], gestures.ends[index ("s")]);

    // The toggles write their parameters.
    uitest::Mouse (strip.getRangeButton()).click (7.0f, 8.0f);
    EXPECT_FLOAT_EQ (raw ("io2x"), 0.0f);
}

TEST_F (MainControls, APresetOrTheHostSetsStartAndEndAsGivenWhileTheyAreLinked)
{
    // The link is on in the patch and the two spacings differ.
    auto* values = new juce::DynamicObject();
    values->setProperty ("lk", 1.0);
    values->setProperty ("s", 0.2);
    values->setProperty ("e", 0.7);
    presets::Patch patch { "Linked", "Tests", juce::var (values) };

    for (int round = 0; round < 2; ++round) // the second time with the link already on
    {
        processor.applyPatch (patch);
        EXPECT_FLOAT_EQ (raw ("s"), 200.0f) << round;
        EXPECT_FLOAT_EQ (raw ("e"), 700.0f) << round;
    }

    set ("s", 100.0f);
    EXPECT_FLOAT_EQ (raw ("e"), 700.0f) << "automation of one spacing leaves the other";
    set ("e", 900.0f);
    EXPECT_FLOAT_EQ (raw ("s"), 100.0f);

    // Saved and restored: still as set.
    juce::MemoryBlock state;
    processor.getStateInformation (state);
    set ("s", 500.0f);
    set ("e", 500.0f);
    processor.setStateInformation (state.getData(), static_cast<int> (state.getSize()));
    EXPECT_FLOAT_EQ (raw ("s"), 100.0f);
    EXPECT_FLOAT_EQ (raw ("e"), 900.0f);
}

TEST_F (MainControls, TheMeterFollowsTheProcessorsOutputPeakAndFallsBackInSilence)
{
    auto& fader = editor->getMasterFader();
    set ("mix", 0.0f); // dry only: silence in is silence out
    set ("mout", -6.0f);

    const float burst = run (4, 0.5f);
    ASSERT_GT (burst, 0.2f);
    EXPECT_NEAR (burst, 0.5f * std::pow (10.0f, -6.0f / 20.0f), 0.01f);
    fader.tick();
    EXPECT_FLOAT_EQ (fader.getMeterLevel(), burst) << "the largest output sample since the last tick";

    float expected = burst;
    for (int i = 0; i < 10; ++i)
    {
        ASSERT_EQ (run (2, 0.0f), 0.0f);
        fader.tick();
        expected *= 0.85f;
        EXPECT_NEAR (fader.getMeterLevel(), expected, 1.0e-6f) << "tick " << i;
    }
    for (int i = 0; i < 60; ++i)
        fader.tick();
    EXPECT_EQ (fader.getMeterLevel(), 0.0f);

    // A short burst between two ticks is not missed.
    run (1, 0.8f);
    run (6, 0.0f);
    fader.tick();
    EXPECT_GT (fader.getMeterLevel(), 0.3f);
}

TEST_F (MainControls, TheFaderWritesMoutAndSelectsTheMasterReadoutWhenHoveredOrDragged)
{
    {
        uitest::DesktopMouse mouse (*editor);
        mouse.move (432.0f, 100.0f);
        EXPECT_EQ (editor->getHoveredParamId(), "mout");
        EXPECT_EQ (hud(), Hud::Master);

        mouse.down (432.0f, 100.0f);
        EXPECT_EQ (editor->getDraggedParamId(), "mout");
        editor->refresh();
        EXPECT_FLOAT_EQ (editor->getVisualizer().getState().alphaBoost, 1.5f);
        mouse.drag (432.0f, 150.0f);
        mouse.drag (432.0f, 200.0f);
        mouse.up (432.0f, 200.0f);
        EXPECT_TRUE (editor->getDraggedParamId().isEmpty());
        EXPECT_FLOAT_EQ (raw ("mout"), -60.0f) << "dragged to the bottom of the travel";

        mouse.move (300.0f, 330.0f); // over the main row
        EXPECT_TRUE (editor->getHoveredParamId().isEmpty());
    }
    EXPECT_EQ (hud(), Hud::None);
    EXPECT_EQ (gestures.begins[index ("mout")], 1);
    EXPECT_EQ (gestures.ends[index ("mout")], 1);

    const auto readout = VisualizerComponent::readoutFor (Hud::Master, editor->getVisualizer().getState());
    EXPECT_EQ (readout.value, faderscale::formatMoutDb (-60.0f));
}

TEST_F (MainControls, WidthAndPingPongSlidersAreBoundAndTheWidthSelectsItsOverlay)
{
    auto& row = editor->getMainControls();
    set ("spread", 11.25f);
    set ("ppW", 40.0f);
    EXPECT_DOUBLE_EQ (row.getWidthSlider().getValue(), 11.25);
    EXPECT_DOUBLE_EQ (row.getPingPongSlider().getValue(), 40.0);

    uitest::Mouse mouse (row.getWidthSlider());
    mouse.down (30.0f, 12.0f);
    EXPECT_EQ (editor->getDraggedParamId(), "spread");
    EXPECT_EQ (hud(), Hud::Width);
    mouse.up (30.0f, 12.0f);
    EXPECT_TRUE (editor->getDraggedParamId().isEmpty());

    row.getPingPongSlider().setValue (75.0, juce::sendNotificationSync);
    EXPECT_FLOAT_EQ (raw ("ppW"), 75.0f);
    editor->refresh();
    EXPECT_TRUE (editor->getVisualizer().getState().pingPongOn);
}

TEST_F (MainControls, TheWindowDrawsTheFilterRangeTheRowTheFaderAndTheStripsToggles)
{
    set ("lk", 1.0f);
    editor->refresh();
    const auto image = uitest::render (*editor);

    // The pass band between the filter handles (row y = 309).
    const auto& filter = editor->getFilterSlider();
    const int bandX = 12 + juce::roundToInt ((filter.hzToX (200.0f) + filter.hzToX (6000.0f)) / 2.0f);
    EXPECT_LE (
        uitest::colourDistance (image.getPixelAt (bandX, 308), Col::b2.overlaidWith (Col::co_br.withAlpha (0.75f))), 3);

    // The main row's panel outline (top edge y = 321) and its fill.
    EXPECT_GT (uitest::colourDistance (image.getPixelAt (230, 321), Col::bg0), 40);
    EXPECT_LE (uitest::colourDistance (image.getPixelAt (230, 323), Col::bg2), 2);

    // The fader's white thumb at 0 dB: 81 % up its travel (73 + 11 .. 73 + 90).
    const int thumbY = 73 + juce::roundToInt (90.0f - 0.8127f * 79.0f);
    EXPECT_EQ (image.getPixelAt (432, thumbY), Col::ax);

    // The link toggle is on: outlined one pixel outside its bounds, even
    // though the strip draws from its cached image.
    const int ringX = 12 + 211 - 1;
    const int ringY = 69 + 120 + 2 + 8;
    EXPECT_GT (uitest::colourDistance (image.getPixelAt (ringX, ringY), Col::bg2), 80);
    set ("lk", 0.0f);
    EXPECT_LE (uitest::colourDistance (uitest::render (*editor).getPixelAt (ringX, ringY), Col::bg2), 3);
}
