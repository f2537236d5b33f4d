// The rules by which parameters follow others (length snap, sync conversions,
// the predelay following the start), as the processor applies them with
// every block: no editor exists in these tests, as in a host whose window
// was never opened.

#include "plugin/ProcessorFixture.h"

#include "dsp/NoteGrid.h"
#include "dsp/ParamMapping.h"
#include "plugin/ParameterRules.h"
#include "plugin/PluginProcessor.h"

#include "support/HostRecorder.h"
#include "support/ProgramFolderSandbox.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace
{
[[maybe_unused]] ::testing::Environment* const sandbox =
    ::testing::AddGlobalTestEnvironment (new testsupport::ProgramFolderSandbox ("twist-delay-rules-tests-"));

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

// A prepared processor with a transport and no editor. Every tick runs one
// block; the recorder sees what a host sees.
struct Rules : public ::testing::Test
{
    Rules()
    {
        processor.setPlayHead (&transport);
        processor.prepareToPlay (48000.0, 512);
    }

    void tick (int count = 1)
    {
        for (int i = 0; i < count; ++i)
        {
            juce::AudioBuffer<float> buffer (2, 512);
            buffer.clear();
            juce::MidiBuffer midi;
            processor.processBlock (buffer, midi);
        }
    }

    float raw (const char* id) { return processor.getValueTreeState().getRawParameterValue (id)->load(); }
    bool on (const char* id) { return raw (id) > 0.5f; }

    // A change made by the host (automation, its own controls): not recorded.
    void hostSets (const char* id, float value)
    {
        const juce::ScopedValueSetter<bool> quiet (host.listening, false);
        auto* p = processor.getValueTreeState().getParameter (id);
        p->setValueNotifyingHost (p->convertTo0to1 (value));
    }

    // A drag of the parameter's control, as the editor's widgets and a host's
    // touch report it.
    void beginDrag (const char* id) { processor.getValueTreeState().getParameter (id)->beginChangeGesture(); }
    void endDrag (const char* id) { processor.getValueTreeState().getParameter (id)->endChangeGesture(); }

    MassDelayAudioProcessor processor;
    testsupport::TestPlayHead transport;
    testsupport::HostRecorder host { processor };
};

// No write of a rule opens a gesture of its own.
void expectNoGestures (const testsupport::HostRecorder& host, const std::string& what)
{
    for (const auto& p : params::table)
    {
        const juce::String id (p.id.data(), p.id.size());
        EXPECT_EQ (host.begins (id), 0) << what << ": " << id;
        EXPECT_EQ (host.ends (id), 0) << what << ": " << id;
    }
}
} // namespace

//==============================================================================
// Length snap.

TEST_F (Rules, LengthsNearARoundValueArePulledExactlyOntoItOnce)
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
        EXPECT_EQ (static_cast<int> (processor.getCurrentParams().lengthMs), c.expected)
            << c.ms << ": the block that snaps plays the snapped length";
        EXPECT_EQ (host.changes (params::id::length), c.expected != c.ms ? 1 : 0) << c.ms;

        tick (3);
        EXPECT_EQ (host.changes (params::id::length), c.expected != c.ms ? 1 : 0) << c.ms << ": once, then left";
        expectNoGestures (host, std::to_string (c.ms));
    }
}

TEST (LengthSnap, EveryRoundLengthHasARawValueThatPlaysItExactly)
{
    // A whole raw step is several milliseconds long at long lengths, so the
    // target is placed at the parameter's finer step.
    for (const int ms : ParameterRules::roundLengthsMs)
        EXPECT_EQ (mapping::lengthMs (ParameterRules::lengthRawFor (ms)), static_cast<float> (ms)) << ms;
}

TEST_F (Rules, ASnapDuringALengthDragFallsInsideTheDragsOwnGesture)
{
    beginDrag (params::id::length);
    host.clear();
    hostSets (params::id::length, ParameterRules::lengthRawFor (1000) + 0.2f);
    tick();
    EXPECT_EQ (static_cast<int> (mapping::lengthMs (raw (params::id::length))), 1000);
    EXPECT_EQ (host.changes (params::id::length), 1);
    EXPECT_EQ (host.begins (params::id::length), 0) << "no second gesture inside the drag's";
    EXPECT_EQ (host.ends (params::id::length), 0) << "the host's touch lasts until the drag ends";
    endDrag (params::id::length);
}

//==============================================================================
// Sync conversions, as a host flips the switches with no window open.

TEST_F (Rules, TapSyncRoundTripAtAFixedTempoReturnsTheSameDivisions)
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

        // On: the nearest note divisions of the times that were playing, in
        // the block that sees the switch.
        host.clear();
        hostSets (params::id::tapSync, 1.0f);
        tick();
        const float syncedStart = raw (params::id::start);
        const float syncedEnd = raw (params::id::end);
        EXPECT_EQ (syncedStart, spacingRawFor (nearestDivisionTo (freeStartMs, c.bpm))) << what;
        EXPECT_EQ (syncedEnd, spacingRawFor (nearestDivisionTo (freeEndMs, c.bpm))) << what;
        EXPECT_FLOAT_EQ (processor.getCurrentParams().startMs, mapping::syncedSpacingMs (syncedStart, c.bpm))
            << what << ": the block plays the converted spacing";
        EXPECT_LE (host.changes (params::id::start), 1) << what;
        EXPECT_LE (host.changes (params::id::end), 1) << what;

        // Off: the divisions' times in milliseconds, and the predelay on the
        // start time.
        hostSets (params::id::tapSync, 0.0f);
        tick();
        const float startMs = mapping::freeSpacingMs (raw (params::id::start), on (params::id::times4));
        const double divisionMs = mapping::syncedSpacingMs (syncedStart, static_cast<float> (c.bpm));
        EXPECT_NEAR (startMs, divisionMs, freeSpacingTolerance (divisionMs)) << what;
        EXPECT_FLOAT_EQ (raw (params::id::predelay), std::min (startMs, 2000.0f)) << what;

        // On again: the same divisions.
        hostSets (params::id::tapSync, 1.0f);
        tick();
        EXPECT_EQ (raw (params::id::start), syncedStart) << what;
        EXPECT_EQ (raw (params::id::end), syncedEnd) << what;
        expectNoGestures (host, what);
    }
}

TEST_F (Rules, TurningTapSyncOffWithDivisionsBeyondTheFreeRangeSwitchesThe4XRangeOnFirst)
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

        hostSets (params::id::tapSync, 0.0f);
        tick();
        const bool times4 = on (params::id::times4);
        EXPECT_EQ (times4, c.times4) << c.what;

        // The times survive the conversion (within the free curve's steps).
        const float newStartMs = mapping::freeSpacingMs (raw (params::id::start), times4);
        const float newEndMs = mapping::freeSpacingMs (raw (params::id::end), times4);
        EXPECT_NEAR (newStartMs, startMs, freeSpacingTolerance (startMs, times4)) << c.what;
        EXPECT_NEAR (newEndMs, endMs, freeSpacingTolerance (endMs, times4)) << c.what;
        EXPECT_FLOAT_EQ (raw (params::id::predelay), std::min (newStartMs, 2000.0f)) << c.what;
    }
}

TEST_F (Rules, RateSyncSwitchesConvertTheirRatesAndTheLfoPhases)
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
    using Curve = ParameterRules::RateCurve;
    for (const float r : { 0.0f, 250.0f, 583.0f, 1000.0f })
    {
        EXPECT_EQ (ParameterRules::timeToFree (r, false, 0.0f), ParameterRules::timeToFree (r, false, 120.0f)) << r;
        EXPECT_EQ (ParameterRules::timeToSynced (r, true, -5.0f), ParameterRules::timeToSynced (r, true, 120.0f)) << r;
        EXPECT_EQ (ParameterRules::rateToFree (r, Curve::LfoRate, 0.0f),
                   ParameterRules::rateToFree (r, Curve::LfoRate, 120.0f))
            << r;
        EXPECT_EQ (ParameterRules::rateToSynced (r, Curve::SlowRate, NAN),
                   ParameterRules::rateToSynced (r, Curve::SlowRate, 120.0f))
            << r;
    }
}

TEST_F (Rules, SwitchesSetBeforeTheFirstBlockAreTakenAsTheyAre)
{
    // A host restoring its automation, or the command line's settings,
    // before anything has played: nothing is converted.
    MassDelayAudioProcessor fresh;
    fresh.setPlayHead (&transport);
    auto* sync = fresh.getValueTreeState().getParameter (params::id::tapSync);
    sync->setValueNotifyingHost (1.0f);
    const float start = fresh.getValueTreeState().getRawParameterValue (params::id::start)->load();
    fresh.prepareToPlay (48000.0, 512);
    juce::AudioBuffer<float> buffer (2, 512);
    juce::MidiBuffer midi;
    fresh.processBlock (buffer, midi);
    EXPECT_EQ (fresh.getValueTreeState().getRawParameterValue (params::id::start)->load(), start);
}

//==============================================================================
// Whole-state changes and Random take the switches as they come.

TEST_F (Rules, PresetsStateRestoresHistoryStepsAndRandomNeverConvert)
{
    struct Case
    {
        const char* what;
        std::function<void (Rules&)> change; // flips mu (and possibly more) without a conversion
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
        { "a preset load", [&syncedPatch] (Rules& t) { t.processor.applyPatch (syncedPatch); } },
        { "a host state restore",
          [&syncedPatch] (Rules& t) {
              MassDelayAudioProcessor other;
              other.applyPatch (syncedPatch);
              juce::MemoryBlock state;
              other.getStateInformation (state);
              t.processor.setStateInformation (state.getData(), static_cast<int> (state.getSize()));
          } },
        { "a host program change",
          [] (Rules& t) {
              // The first factory program with Tap Sync on (or off, whichever
              // flips it).
              const bool before = t.on (params::id::tapSync);
              for (int i = 0; i < t.processor.getNumPrograms(); ++i)
              {
                  t.processor.setCurrentProgram (i);
                  if (t.on (params::id::tapSync) != before)
                      return;
              }
          } },
        { "a history step",
          [&syncedPatch] (Rules& t) {
              t.processor.applyPatch (syncedPatch);
              t.tick();
              t.processor.pushRandomGeneration();
              t.hostSets (params::id::tapSync, 0.0f);
              t.hostSets (params::id::waveSync, 0.0f);
              t.processor.pushRandomGeneration();
              t.tick();
              t.processor.randomStepBack();
          } },
        { "the Random action",
          [] (Rules& t) {
              auto& matrix = t.processor.getRandomMatrix();
              matrix.setAll (false);
              matrix.setEnabled (params::id::tapSync, true);
              const bool before = t.on (params::id::tapSync);
              juce::Random rng (7);
              for (int i = 0; i < 64 && t.on (params::id::tapSync) == before; ++i)
                  t.processor.randomizeParameters (rng);
          } },
    };

    for (const auto& c : cases)
    {
        hostSets (params::id::tapSync, 0.0f);
        hostSets (params::id::waveSync, 0.0f);
        tick();
        const bool tapSyncBefore = on (params::id::tapSync);

        c.change (*this);
        ASSERT_NE (on (params::id::tapSync), tapSyncBefore) << c.what << " flips Tap Sync";
        const float start = raw (params::id::start);
        const float end = raw (params::id::end);
        const float waveRate = raw (params::id::waveRate);
        tick (2);
        EXPECT_EQ (raw (params::id::start), start) << c.what;
        EXPECT_EQ (raw (params::id::end), end) << c.what;
        EXPECT_EQ (raw (params::id::waveRate), waveRate) << c.what;

        // The switches were taken as the new reference: a flip converts.
        const float freeStart = raw (params::id::start);
        hostSets (params::id::tapSync, on (params::id::tapSync) ? 0.0f : 1.0f);
        tick();
        EXPECT_NE (raw (params::id::start), freeStart) << c.what << ": a flip after it still converts";
    }
}

//==============================================================================
// Predelay following the start.

TEST_F (Rules, PredelayFollowsTheSyncedStartThroughTempoChangesUnlessItIsDragged)
{
    hostSets (params::id::tapSync, 1.0f);
    hostSets (params::id::start, spacingRawFor (5)); // one beat
    transport.bpm = 120.0;
    tick();
    EXPECT_FLOAT_EQ (raw (params::id::predelay), 500.0f);
    EXPECT_FLOAT_EQ (processor.getCurrentParams().predelayMs, 500.0f) << "played in the same block";

    transport.bpm = 100.0;
    host.clear();
    tick();
    EXPECT_FLOAT_EQ (raw (params::id::predelay), 600.0f) << "in the block of the tempo change";
    EXPECT_FLOAT_EQ (processor.getCurrentParams().predelayMs, 600.0f);
    EXPECT_EQ (host.changes (params::id::predelay), 1);

    // Blocks without a transport position keep the last tempo: the predelay
    // stays where it was.
    transport.hasPosition = false;
    tick (3);
    EXPECT_FLOAT_EQ (processor.getCurrentParams().bpm, 100.0f);
    EXPECT_FLOAT_EQ (raw (params::id::predelay), 600.0f);
    transport.hasPosition = true;

    // While the predelay itself is dragged it stays with the drag.
    beginDrag (params::id::predelay);
    transport.bpm = 150.0;
    tick (2);
    EXPECT_FLOAT_EQ (raw (params::id::predelay), 600.0f);
    endDrag (params::id::predelay);
    tick();
    EXPECT_FLOAT_EQ (raw (params::id::predelay), 400.0f) << "released: it follows again";
    EXPECT_EQ (host.begins (params::id::predelay), 1) << "the drag's own gesture, none of the rule's";
    EXPECT_EQ (host.ends (params::id::predelay), 1);
}

TEST_F (Rules, DraggingTheStartCarriesThePredelayAlong)
{
    hostSets (params::id::times4, 1.0f);
    hostSets (params::id::start, 500.0f);
    beginDrag (params::id::start);
    tick();
    EXPECT_FLOAT_EQ (raw (params::id::predelay), std::min (mapping::freeSpacingMs (500.0f, true), 2000.0f));

    hostSets (params::id::start, 200.0f);
    tick();
    EXPECT_FLOAT_EQ (raw (params::id::predelay), mapping::freeSpacingMs (200.0f, true));
    endDrag (params::id::start);

    // Without a drag (and Tap Sync off) the start moves alone.
    hostSets (params::id::start, 400.0f);
    tick();
    EXPECT_FLOAT_EQ (raw (params::id::predelay), mapping::freeSpacingMs (200.0f, true));
}

TEST_F (Rules, AStartBeyondThePredelayRangeIsWrittenOnlyOnce)
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

        tick (280); // three seconds of blocks
        EXPECT_FLOAT_EQ (raw (params::id::predelay), 2000.0f) << c.what;
        EXPECT_EQ (host.changes (params::id::predelay), c.writes) << c.what;
        EXPECT_EQ (host.totalChanges(), c.writes) << c.what << ": " << host.changedIds();
    }
}

//==============================================================================
// Presets come settled.

TEST_F (Rules, APresetWithTapSyncLoadsWithItsPredelayOnTheSyncedStartAndNothingChangesAfter)
{
    auto* values = new juce::DynamicObject();
    values->setProperty (params::id::tapSync, 1.0);
    values->setProperty (params::id::start, spacingRawFor (5) / 1000.0); // one beat
    values->setProperty (params::id::predelay, 326.0 / 2000.0);
    values->setProperty (params::id::length, (ParameterRules::lengthRawFor (2000) + 0.3) / 1000.0);
    const presets::Patch patch { "Synced", "Tests", juce::var (values) };

    // The processor's last tempo is the one the load settles with.
    transport.bpm = 93.0;
    tick();
    processor.applyPatch (patch);
    EXPECT_NEAR (raw (params::id::predelay), 60000.0f / 93.0f, 0.005f) << "one beat at 93 BPM, within the load";
    EXPECT_EQ (static_cast<int> (mapping::lengthMs (raw (params::id::length))), 2000) << "snapped within the load";

    host.clear();
    tick (100);
    EXPECT_EQ (host.totalChanges(), 0) << host.changedIds();
}

TEST_F (Rules, TheRulesWriteNothingWhenNothingCallsForThem)
{
    // The defaults, Tap Sync off, nothing dragged: a second of blocks
    // changes no parameter.
    host.clear();
    tick (100);
    EXPECT_EQ (host.totalChanges(), 0) << host.changedIds();
}
