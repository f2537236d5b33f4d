#include "HostRecorder.h"
#include "UiTestSupport.h"

#include "plugin/ProcessorFixture.h"

#include "dsp/NoteGrid.h"
#include "dsp/ParamMapping.h"
#include "plugin/PluginEditor.h"
#include "plugin/PluginProcessor.h"
#include "plugin/SyncConverter.h"
#include "plugin/TapWindowEdits.h"
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

// How far a free spacing may lie from a time it was converted from: the free
// curve moves about 1.1 % per raw step and plays whole milliseconds (times 4
// in the 4X range).
double freeSpacingTolerance (double ms, bool times4 = false)
{
    return 0.011 * ms + 0.5 * (times4 ? 4.0 : 1.0);
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
    uitest::HostRecorder host { processor };
};
} // namespace

//==============================================================================
// Length snap.

TEST_F (Refresh, LengthsNearARoundValueArePulledExactlyOntoItOnce)
{
    struct Case
    {
        int ms, expected;
    };
    const std::vector<Case> cases { { 1004, 1000 }, { 1008, 1008 }, { 993, 1000 },  { 992, 992 },    { 253, 250 },
                                    { 2005, 2000 }, { 8004, 8000 }, { 1500, 1500 }, { 12995, 13000 } };
    for (const auto& c : cases)
    {
        // The raw value (at the parameter's 0.01 step) that plays c.ms.
        const double exact = std::log (c.ms / 10.0) / std::log (1400.0) * 1000.0;
        float start = static_cast<float> (std::round (exact * 100.0) / 100.0);
        for (float candidate = start - 0.2f; candidate < start + 0.2f; candidate += 0.01f)
            if (static_cast<int> (mapping::lengthMs (candidate)) == c.ms)
                start = candidate;
        hostSets (params::id::length, start);
        ASSERT_EQ (static_cast<int> (mapping::lengthMs (raw (params::id::length))), c.ms) << "the case's own length";
        host.clear();

        tick();
        EXPECT_EQ (static_cast<int> (mapping::lengthMs (raw (params::id::length))), c.expected) << c.ms;
        EXPECT_EQ (host.changes (params::id::length), c.expected != c.ms ? 1 : 0) << c.ms;
        EXPECT_EQ (host.begins (params::id::length), host.ends (params::id::length)) << c.ms;

        tick (3);
        EXPECT_EQ (host.changes (params::id::length), c.expected != c.ms ? 1 : 0) << c.ms << ": once, then left";
    }
}

TEST (LengthSnap, EveryRoundLengthHasARawValueThatPlaysItExactly)
{
    // A whole raw step is several milliseconds long at long lengths, so the
    // target is placed at the parameter's finer step.
    for (const int ms : TapWindowEdits::roundLengthsMs)
        EXPECT_EQ (mapping::lengthMs (TapWindowEdits::lengthRawFor (ms)), static_cast<float> (ms)) << ms;
}

//==============================================================================
// Tap sync conversions.

TEST_F (Refresh, TapSyncRoundTripAtAFixedTempoReturnsTheSameDivisions)
{
    struct Case
    {
        double bpm;
        float start, end;
    };
    const std::vector<Case> cases { { 120.0, 320.0f, 537.0f },
                                    { 90.0, 700.0f, 150.0f },
                                    { 174.0, 40.0f, 980.0f },
                                    { 63.0, 610.0f, 610.0f } };
    for (const auto& c : cases)
    {
        const auto what = "at " + std::to_string (c.bpm) + " BPM from " + std::to_string (c.start);
        // The switch first, taken as the reference, then the values.
        transport.bpm = c.bpm;
        hostSets (params::id::tapSync, 0.0f);
        tick();
        hostSets (params::id::times4, 0.0f);
        hostSets (params::id::start, c.start);
        hostSets (params::id::end, c.end);
        tick();
        const float freeStartMs = mapping::freeSpacingMs (c.start, false);
        const float freeEndMs = mapping::freeSpacingMs (c.end, false);

        // On: the nearest note divisions of the times that were playing.
        host.clear();
        clickGridButton (0);
        ASSERT_GT (raw (params::id::tapSync), 0.5f);
        tick();
        const float syncedStart = raw (params::id::start);
        const float syncedEnd = raw (params::id::end);
        EXPECT_EQ (syncedStart, spacingRawFor (nearestDivisionTo (freeStartMs, c.bpm))) << what;
        EXPECT_EQ (syncedEnd, spacingRawFor (nearestDivisionTo (freeEndMs, c.bpm))) << what;
        EXPECT_LE (host.changes (params::id::start), 1) << what;
        EXPECT_LE (host.changes (params::id::end), 1) << what;

        // Off: the divisions' times in milliseconds, and the predelay on the
        // start time.
        clickGridButton (0);
        tick();
        const float startMs = mapping::freeSpacingMs (raw (params::id::start), raw (params::id::times4) > 0.5f);
        const double divisionMs = mapping::syncedSpacingMs (syncedStart, static_cast<float> (c.bpm));
        EXPECT_NEAR (startMs, divisionMs, freeSpacingTolerance (divisionMs)) << what;
        EXPECT_FLOAT_EQ (raw (params::id::predelay), std::min (startMs, 2000.0f)) << what;

        // On again: the same divisions.
        clickGridButton (0);
        tick();
        EXPECT_EQ (raw (params::id::start), syncedStart) << what;
        EXPECT_EQ (raw (params::id::end), syncedEnd) << what;
    }
}

TEST_F (Refresh, TurningTapSyncOffWithDivisionsBeyondTheFreeRangeSwitchesThe4XRangeOnFirst)
{
    struct Case
    {
        const char* what;
        double bpm;
        int startDivision, endDivision;
        bool times4;
    };
    const std::vector<Case> cases {
        { "8 beats at 120 is 4 s", 120.0, 1, 7, true }, { "4 beats at 120 is exactly the 2 s end", 120.0, 2, 5, false },
        { "the end alone is long", 120.0, 9, 0, true }, { "4 beats at 60 is 4 s", 60.0, 2, 9, true },
        { "short divisions", 150.0, 5, 7, false },
    };
    for (const auto& c : cases)
    {
        transport.bpm = c.bpm;
        hostSets (params::id::tapSync, 1.0f);
        tick();
        hostSets (params::id::times4, 0.0f);
        hostSets (params::id::start, spacingRawFor (c.startDivision));
        hostSets (params::id::end, spacingRawFor (c.endDivision));
        tick();
        const float startMs = mapping::syncedSpacingMs (raw (params::id::start), static_cast<float> (c.bpm));
        const float endMs = mapping::syncedSpacingMs (raw (params::id::end), static_cast<float> (c.bpm));

        clickGridButton (0);
        tick();
        const bool times4 = raw (params::id::times4) > 0.5f;
        EXPECT_EQ (times4, c.times4) << c.what;

        // The times survive the conversion (within the free curve's steps).
        const float newStartMs = mapping::freeSpacingMs (raw (params::id::start), times4);
        const float newEndMs = mapping::freeSpacingMs (raw (params::id::end), times4);
        EXPECT_NEAR (newStartMs, startMs, freeSpacingTolerance (startMs, times4)) << c.what;
        EXPECT_NEAR (newEndMs, endMs, freeSpacingTolerance (endMs, times4)) << c.what;
        EXPECT_FLOAT_EQ (raw (params::id::predelay), std::min (newStartMs, 2000.0f)) << c.what;
    }
}

TEST_F (Refresh, RateSyncSwitchesConvertTheirRatesAndTheLfoPhases)
{
    struct Case
    {
        const char* sync;
        const char* rate;
        const char* phase; // nullptr: no phase reset
        bool slowCurve;
        float freeRaw;
    };
    const std::vector<Case> cases {
        { params::id::waveSync, params::id::waveRate, params::id::wavePhase, false, 523.0f },
        { params::id::tremSync, params::id::tremRate, params::id::tremPhase, false, 200.0f },
        { params::id::pitchSync, params::id::pitchRate, nullptr, true, 640.0f },
    };
    constexpr double bpm = 100.0;
    transport.bpm = bpm;
    for (const auto& c : cases)
    {
        const auto hzOf = [&c] (float r) { return c.slowCurve ? mapping::pitchRateHz (r) : mapping::lfoRateHz (r); };
        hostSets (c.rate, c.freeRaw);
        if (c.phase != nullptr)
            hostSets (c.phase, 45.0f);
        tick();

        // Synced: the division whose rate is nearest, by ratio.
        hostSets (c.sync, 1.0f);
        tick();
        const int division = static_cast<int> (std::lround (raw (c.rate) / 1000.0f * 12.0f));
        EXPECT_FLOAT_EQ (raw (c.rate), std::round (static_cast<float> (division) / 12.0f * 1000.0f)) << c.rate;
        // A division's rate is nearest by ratio exactly when its period is.
        EXPECT_EQ (division, nearestDivisionTo (1000.0 / hzOf (c.freeRaw), bpm)) << c.rate;
        if (c.phase != nullptr)
        {
            EXPECT_FLOAT_EQ (raw (c.phase), 0.0f) << c.phase;
        }

        // Free again: the division's rate in Hz.
        if (c.phase != nullptr)
            hostSets (c.phase, 45.0f);
        hostSets (c.sync, 0.0f);
        tick();
        const double divisionHz = bpm / 60.0 / NoteGrid::beatMultipliers[division];
        EXPECT_NEAR (hzOf (raw (c.rate)) / divisionHz, 1.0, 0.01) << c.rate;
        if (c.phase != nullptr)
        {
            EXPECT_FLOAT_EQ (raw (c.phase), 0.0f) << c.phase;
        }
    }
}

TEST (SyncRules, AnUnknownTempoCountsAs120Bpm)
{
    for (const float r : { 0.0f, 250.0f, 583.0f, 1000.0f })
    {
        EXPECT_EQ (SyncConverter::timeToFree (r, false, 0.0f), SyncConverter::timeToFree (r, false, 120.0f)) << r;
        EXPECT_EQ (SyncConverter::timeToSynced (r, true, -5.0f), SyncConverter::timeToSynced (r, true, 120.0f)) << r;
        EXPECT_EQ (SyncConverter::rateToFree (r, SyncConverter::RateCurve::LfoRate, 0.0f),
                   SyncConverter::rateToFree (r, SyncConverter::RateCurve::LfoRate, 120.0f))
            << r;
        EXPECT_EQ (SyncConverter::rateToSynced (r, SyncConverter::RateCurve::SlowRate, NAN),
                   SyncConverter::rateToSynced (r, SyncConverter::RateCurve::SlowRate, 120.0f))
            << r;
    }
}

//==============================================================================
// Whole-state changes and Random take the switches as they come.

TEST_F (Refresh, PresetsStateRestoresHistoryStepsAndRandomNeverConvert)
{
    struct Case
    {
        const char* what;
        std::function<void (Refresh&)> change; // flips mu (and possibly more) without a conversion
    };

    // A patch with the sync switches on and its own spacings and rate.
    const auto syncedPatch = [] {
        auto* values = new juce::DynamicObject();
        values->setProperty (params::id::tapSync, 1.0);
        values->setProperty (params::id::waveSync, 1.0);
        values->setProperty (params::id::start, 0.123);
        values->setProperty (params::id::end, 0.456);
        values->setProperty (params::id::waveRate, 0.789);
        return presets::Patch { "Synced", "Tests", juce::var (values) };
    }();

    const std::vector<Case> cases {
        { "a preset load", [&syncedPatch] (Refresh& t) { t.processor.applyPatch (syncedPatch); } },
        { "a host state restore",
          [&syncedPatch] (Refresh& t) {
              MassDelayAudioProcessor other;
              other.applyPatch (syncedPatch);
              juce::MemoryBlock state;
              other.getStateInformation (state);
              t.processor.setStateInformation (state.getData(), static_cast<int> (state.getSize()));
          } },
        { "a history step",
          [&syncedPatch] (Refresh& t) {
              t.processor.applyPatch (syncedPatch);
              t.tick();
              t.processor.pushRandomGeneration();
              t.hostSets (params::id::tapSync, 0.0f);
              t.hostSets (params::id::waveSync, 0.0f);
              t.processor.pushRandomGeneration();
              t.tick();
              t.editor->getHistoryBackButton().onClick();
          } },
        { "the Random action",
          [] (Refresh& t) {
              auto& matrix = t.processor.getRandomMatrix();
              matrix.setAll (false);
              matrix.setEnabled (params::id::tapSync, true);
              const bool before = t.raw (params::id::tapSync) > 0.5f;
              for (int i = 0; i < 64 && (t.raw (params::id::tapSync) > 0.5f) == before; ++i)
                  t.clickGridButton (3);
          } },
    };

    for (const auto& c : cases)
    {
        hostSets (params::id::tapSync, 0.0f);
        hostSets (params::id::waveSync, 0.0f);
        tick();
        const bool tapSyncBefore = raw (params::id::tapSync) > 0.5f;

        c.change (*this);
        ASSERT_NE (raw (params::id::tapSync) > 0.5f, tapSyncBefore) << c.what << " flips Tap Sync";
        const float start = raw (params::id::start);
        const float end = raw (params::id::end);
        const float waveRate = raw (params::id::waveRate);
        tick (2);
        EXPECT_EQ (raw (params::id::start), start) << c.what;
        EXPECT_EQ (raw (params::id::end), end) << c.what;
        EXPECT_EQ (raw (params::id::waveRate), waveRate) << c.what;

        // The switches were taken as the new reference: a click converts.
        const float freeStart = raw (params::id::start);
        clickGridButton (0);
        tick();
        EXPECT_NE (raw (params::id::start), freeStart) << c.what << ": a click after it still converts";
    }
}

//==============================================================================
// Predelay following the start.

TEST_F (Refresh, PredelayFollowsTheSyncedStartThroughTempoChangesUnlessItIsDragged)
{
    hostSets (params::id::tapSync, 1.0f);
    hostSets (params::id::start, spacingRawFor (5)); // one beat
    transport.bpm = 120.0;
    tick();
    EXPECT_FLOAT_EQ (raw (params::id::predelay), 500.0f);

    transport.bpm = 100.0;
    tick();
    EXPECT_FLOAT_EQ (raw (params::id::predelay), 600.0f) << "within one tick of the tempo change";

    // Blocks without a transport position keep the last tempo, in the
    // engine and so in the editor: the predelay stays where it was.
    transport.hasPosition = false;
    tick (3);
    EXPECT_FLOAT_EQ (processor.getCurrentParams().bpm, 100.0f);
    EXPECT_FLOAT_EQ (raw (params::id::predelay), 600.0f);
    transport.hasPosition = true;

    // While the predelay itself is dragged it stays with the mouse.
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

TEST_F (Refresh, DraggingTheStartCarriesThePredelayAlong)
{
    hostSets (params::id::times4, 1.0f);
    hostSets (params::id::start, 500.0f);
    editor->setDraggedParamId (params::id::start);
    tick();
    EXPECT_FLOAT_EQ (raw (params::id::predelay), std::min (mapping::freeSpacingMs (500.0f, true), 2000.0f));

    hostSets (params::id::start, 200.0f);
    tick();
    EXPECT_FLOAT_EQ (raw (params::id::predelay), mapping::freeSpacingMs (200.0f, true));
    editor->setDraggedParamId ({});
}

TEST_F (Refresh, AnEditorLeftOpenOnAStartBeyondThePredelayRangeWritesOnlyOnce)
{
    struct Case
    {
        const char* what;
        int startDivision;
        float predelay;
        int writes;
    };
    const std::vector<Case> cases {
        { "16 beats, predelay already at its end", 0, 2000.0f, 0 },
        { "16 beats, predelay elsewhere", 0, 0.0f, 1 },
        { "8 beats, predelay elsewhere", 1, 750.0f, 1 },
    };
    for (const auto& c : cases)
    {
        hostSets (params::id::tapSync, 1.0f);
        hostSets (params::id::start, spacingRawFor (c.startDivision));
        hostSets (params::id::predelay, c.predelay);
        host.clear();

        tick (90); // three seconds of refreshes
        EXPECT_FLOAT_EQ (raw (params::id::predelay), 2000.0f) << c.what;
        EXPECT_EQ (host.changes (params::id::predelay), c.writes) << c.what;
        EXPECT_EQ (host.totalChanges(), c.writes) << c.what << ": " << host.changedIds();
    }
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
