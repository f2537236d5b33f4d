#include "UiTestSupport.h"
#include "support/HostRecorder.h"

#include "plugin/ProcessorFixture.h"

#include "dsp/NoteGrid.h"
#include "dsp/ParamMapping.h"
#include "plugin/ParameterRules.h"
#include "plugin/PluginEditor.h"
#include "plugin/PluginProcessor.h"
#include "ui/Col.h"
#include "ui/ValueEntryBox.h"

#include "support/ProgramFolderSandbox.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace
{
[[maybe_unused]] ::testing::Environment* const sandbox =
    ::testing::AddGlobalTestEnvironment (new testsupport::ProgramFolderSandbox ("twist-delay-refresh-tests-"));

// The raw value of synced spacing division i (0 = 16 beats ... 12 = 1/32).
float spacingRawFor (int i)
{
    return std::round (static_cast<float> (12 - i) / 12.0f * 1000.0f);
}

// The division nearest (by ratio) to a time, worked out by trying all 13.
int nearestDivisionTo (double ms, double bpm)
{
    int best = 0;
    double bestDistance = 1.0e9;
    for (int i = 0; i < NoteGrid::numDivisions; ++i)
    {
        const double distance = std::abs (std::log (ms / (60000.0 / bpm * NoteGrid::beatMultipliers[i])));
        if (distance < bestDistance - 1.0e-9)
        {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}

// An editor over a prepared processor with a transport; every tick runs one
// block (which publishes taps and the tempo) and one refresh, as the host's
// audio and the editor's timer would. The recorder sees what the host sees.
struct Refresh : public ::testing::Test
{
    Refresh()
    {
        processor.setPlayHead (&transport);
        processor.prepareToPlay (48000.0, 512);
        editor.reset (dynamic_cast<MassDelayAudioProcessorEditor*> (processor.createEditor()));
    }

    ~Refresh() override
    {
        editor.reset();
        ValueEntryBox::dismissAll();
        uitest::waitForCallOutsToClose();
        processor.releaseResources();
    }

    void tick (int count = 1)
    {
        for (int i = 0; i < count; ++i)
        {
            juce::AudioBuffer<float> buffer (2, 512);
            buffer.clear();
            juce::MidiBuffer midi;
            processor.processBlock (buffer, midi);
            editor->refresh();
        }
    }

    float raw (const char* id) { return processor.getValueTreeState().getRawParameterValue (id)->load(); }

    // A change made by the host (automation, its own editor): not recorded.
    void hostSets (const char* id, float value)
    {
        const juce::ScopedValueSetter<bool> quiet (host.listening, false);
        auto* p = processor.getValueTreeState().getParameter (id);
        p->setValueNotifyingHost (p->convertTo0to1 (value));
    }

    // A real click on one of the grid's buttons (0 TAP SYNC ... 3 RAND).
    void clickGridButton (size_t index)
    {
        uitest::Mouse (*editor->getButtonGrid().getButtons()[index]).click (10.0f, 9.0f);
    }

    MassDelayAudioProcessor processor;
    testsupport::TestPlayHead transport;
    std::unique_ptr<MassDelayAudioProcessorEditor> editor;
    testsupport::HostRecorder host { processor };
};
} // namespace

//==============================================================================
// The rules are the processor's: the window's controls reach them through
// the parameters and their gestures, and the refresh itself writes nothing.

TEST_F (Refresh, ClickingTapSyncConvertsTheSpacingsInTheNextBlock)
{
    transport.bpm = 90.0;
    hostSets (params::id::tapSync, 0.0f);
    hostSets (params::id::times4, 0.0f);
    hostSets (params::id::start, 700.0f);
    tick();

    clickGridButton (0);
    ASSERT_GT (raw (params::id::tapSync), 0.5f);
    tick();
    EXPECT_EQ (raw (params::id::start),
               spacingRawFor (nearestDivisionTo (mapping::freeSpacingMs (700.0f, false), 90.0)));
}

TEST_F (Refresh, DraggingThePredelayHandleHoldsItAgainstTheTempo)
{
    hostSets (params::id::tapSync, 1.0f);
    hostSets (params::id::start, spacingRawFor (5)); // one beat
    transport.bpm = 100.0;
    tick();
    EXPECT_FLOAT_EQ (raw (params::id::predelay), 600.0f);

    auto& viz = editor->getVisualizer();
    const auto dot = viz.startHandlePos (viz.computeCoords());
    uitest::Mouse mouse (viz);
    mouse.down (dot.x, dot.y);
    ASSERT_EQ (editor->getDraggedParamId(), "pd");
    transport.bpm = 150.0;
    tick (2);
    EXPECT_FLOAT_EQ (raw (params::id::predelay), 600.0f);
    mouse.up (dot.x, dot.y);
    tick();
    EXPECT_FLOAT_EQ (raw (params::id::predelay), 400.0f) << "released: it follows again";
}

TEST_F (Refresh, DraggingTheStartSliderCarriesThePredelayAlong)
{
    hostSets (params::id::times4, 0.0f);
    hostSets (params::id::start, 200.0f);
    hostSets (params::id::predelay, 0.0f);
    tick();

    auto& slider = editor->getVisualizer().getDensityStrip().getStartSlider();
    const auto centre = slider.getLocalBounds().getCentre().toFloat();
    uitest::Mouse mouse (slider);
    mouse.down (centre.x, centre.y);
    mouse.drag (centre.x + 30.0f, centre.y - 30.0f);
    tick();
    const float start = raw (params::id::start);
    ASSERT_NE (start, 200.0f) << "the drag moved the start";
    EXPECT_FLOAT_EQ (raw (params::id::predelay), mapping::freeSpacingMs (start, false));
    mouse.up (centre.x + 30.0f, centre.y - 30.0f, {}, true);

    // Released, the start moves alone.
    hostSets (params::id::start, 100.0f);
    tick();
    EXPECT_FLOAT_EQ (raw (params::id::predelay), mapping::freeSpacingMs (start, false));
}

TEST_F (Refresh, TheRefreshWritesNoParameterWhateverItShows)
{
    // Everything a rule would act on is out of place, and no block runs:
    // only the processor may settle it.
    hostSets (params::id::tapSync, 1.0f);
    hostSets (params::id::start, spacingRawFor (5));
    hostSets (params::id::predelay, 123.0f);
    hostSets (params::id::length, ParameterRules::lengthRawFor (1000) + 0.3f);
    transport.bpm = 77.0;
    host.clear();
    for (int i = 0; i < 90; ++i)
    {
        hostSets (params::id::waveSync, (i % 2) != 0 ? 1.0f : 0.0f);
        editor->refresh();
    }
    EXPECT_EQ (host.totalChanges(), 0) << host.changedIds();
}

//==============================================================================
// Widgets of the refresh.

TEST_F (Refresh, BypassShowsBypAndBlinksEveryEighthTick)
{
    auto& caption = editor->getMixLabel();
    hostSets (params::id::mixBypass, 1.0f);
    tick();
    EXPECT_EQ (caption.getText(), "BYP");
    EXPECT_NEAR (editor->getMixSlider().getAlpha(), 0.4f, 0.005f);

    std::vector<int> changesAt;
    auto colour = caption.findColour (juce::Label::textColourId);
    for (int t = 2; t <= 25; ++t)
    {
        tick();
        const auto now = caption.findColour (juce::Label::textColourId);
        if (now != colour)
            changesAt.push_back (t);
        colour = now;
        if (t == 8)
        {
            EXPECT_EQ (now, Col::am) << "first blink";
        }
        if (t == 16)
        {
            EXPECT_EQ (now, Col::am.withAlpha (0.25f)) << "second blink";
        }
    }
    EXPECT_EQ (changesAt, (std::vector<int> { 8, 16, 24 }));

    hostSets (params::id::mixBypass, 0.0f);
    tick();
    EXPECT_EQ (caption.getText(), "MIX");
    EXPECT_EQ (caption.findColour (juce::Label::textColourId), Col::t1);
    EXPECT_FLOAT_EQ (editor->getMixSlider().getAlpha(), 1.0f);
}

TEST (DensityText, ShowsTheDivisionWithTapSyncElseWholeMilliseconds)
{
    struct Case
    {
        float raw;
        bool tapSync, times4;
        const char* text;
    };
    // Free: 1000^(t / 0.65) ms up to 0.65 of the travel, then doubling to
    // 2 s, no seconds form; 4X multiplies the whole milliseconds. Tap sync:
    // the division round(12 - 12 raw / 1000), clamped; 4X plays no part.
    for (const auto& c :
         { Case { 1000.0f, true, false, "4b" }, Case { 0.0f, true, false, "1/128" }, Case { 583.0f, true, true, "1/4" },
           Case { 650.0f, false, false, "1000 ms" }, Case { 650.0f, false, true, "4000 ms" },
           Case { 0.0f, false, false, "1 ms" }, Case { 1000.0f, false, true, "8000 ms" },
           Case { 320.0f, false, false, "30 ms" }, Case { 537.0f, false, false, "301 ms" },
           Case { 825.0f, false, false, "1414 ms" }, Case { 320.0f, false, true, "120 ms" },
           Case { 0.0f, false, true, "4 ms" }, Case { 500.0f, true, false, "1/8T" },
           Case { 542.0f, true, false, "1/4" },  // 5.496 rounds to 5
           Case { 541.0f, true, false, "1/8T" }, // 5.508 rounds to 6
           Case { -50.0f, true, false, "1/128" }, Case { 1200.0f, true, false, "4b" } })
        EXPECT_EQ (MassDelayAudioProcessorEditor::densityValueText (c.raw, c.tapSync, c.times4), c.text)
            << c.raw << (c.tapSync ? " sync" : " free") << (c.times4 ? " 4X" : "");
}

TEST_F (Refresh, DecayControlsShowTheModeAndTheSteps)
{
    for (const int mode : { 1, 0, 2 })
    {
        hostSets (params::id::decayMode, static_cast<float> (mode));
        hostSets (params::id::decaySteps, static_cast<float> (3 + mode));
        tick();
        auto& viz = editor->getVisualizer();
        EXPECT_EQ (viz.getDecayModeButton().getButtonText(), VisualizerComponent::decayModeText (mode));
        EXPECT_EQ (viz.getStepsLabel().getText(), juce::String (3 + mode) + " steps");
        EXPECT_EQ (viz.getStepsLabel().isVisible(), mode != 0);
    }
}
