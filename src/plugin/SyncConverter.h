#pragma once

#include "params/ParameterAccess.h"

// Keeps a tempo-synced quantity meaning the same when its sync switch is
// flipped: the tap spacings (s, e) when Tap Sync (mu) flips, and the Wave,
// tremolo and pitch LFO rates when their sync switches flip. Between a free
// and a synced representation the value is carried over as the nearest note
// division, or as the time or rate that the division has at the tempo.
//
// The switches are compared with those of the previous refresh. Whole-state
// changes (a preset, a host state restore, a history step: each starts a new
// patch generation) and the Random action (forgetSwitches) change switches
// without meaning a conversion; after them the current switches are only
// taken as the new reference.
class SyncConverter
{
public:
    enum class RateCurve
    {
        LfoRate, // Wave and tremolo rates: 0.15 to 8 Hz
        SlowRate // pitch rate: 0, or 0.01 to 8 Hz
    };

    // One refresh: converts what a flipped switch needs at the tempo (BPM;
    // 0 or less counts as unknown), then remembers the switches.
    void tick (ParameterAccess&, float bpm, int patchGeneration);

    // The next refresh takes the switches as they are, converting nothing.
    void forgetSwitches() noexcept { baselineValid = false; }

    //==============================================================================
    // The rules, on raw parameter values (0..1000 positions).

    // The tempo conversions use: 120 BPM when the tempo is unknown.
    static float tempoOrDefault (float bpm) noexcept;

    // Tap spacing (s, e) between milliseconds (x4 with the 4X range) and the
    // nearest note division, and back.
    static float timeToSynced (float raw, bool times4, float bpm);
    static float timeToFree (float raw, bool times4, float bpm);

    // LFO rate between Hz and the nearest note division, and back.
    static float rateToSynced (float raw, RateCurve, float bpm);
    static float rateToFree (float raw, RateCurve, float bpm);

    static float curveLfoRateToValue (float raw);
    static float curveLfoRateToRaw (float hz);
    static float curveSlowRateToRaw (float hz);

    // The synced spacings of s and e beyond which the free range needs 4X.
    static constexpr float freeRangeEndMs = 2000.0f;

private:
    void convertTapSync (ParameterAccess&, bool nowOn, float bpm);

    bool baselineValid = false;
    int lastPatchGeneration = 0;
    bool lastTapSync = false;
    bool lastWaveSync = false;
    bool lastTremSync = false;
    bool lastPitchSync = false;
};
