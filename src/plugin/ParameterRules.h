#pragma once

#include "params/ParameterAccess.h"

// The rules by which some parameters follow others. The processor owns and
// applies them, so a project sounds the same whether or not its window was
// ever open, in every host and in the command-line renderer:
//
// - a window length within 8 ms of a round length is pulled onto it;
// - flipping a sync switch carries its quantity over: the tap spacings as the
//   nearest note division or as the division's time (switching the 4X range
//   on first when a division is longer than the free range), the Wave,
//   tremolo and pitch rates as the nearest division or as its rate (the Wave
//   and tremolo phases back to 0);
// - the predelay follows the start spacing, the time of the first tap: while
//   the start is being dragged, and while Tap Sync is on (so it follows the
//   tempo) unless the predelay itself is being dragged.
//
// The processor applies them at the start of every block, before the block's
// record is read, so a change and what follows from it always sound in the
// same block. Their writes reach the host as the plug-in's own changes and
// carry no gesture of their own: a write the user did not make is no touch,
// and a write during a drag falls inside the drag's own gesture.
class ParameterRules
{
public:
    // Parameters a gesture holds open (the editor's drags, a host's touch).
    struct Drags
    {
        bool start = false;
        bool predelay = false;
    };

    // One block's worth, on the audio thread. bpm is the tempo the block
    // plays at (0 or less when unknown).
    void apply (ParameterAccess&, float bpm, Drags);

    // Whole-state changes (a preset, a restore, a history step) and the
    // Random action flip switches without meaning a conversion: the next
    // block takes the switches as they are.
    void forgetSwitches() noexcept { baselineValid = false; }

    // The rules a freshly applied preset settles with at once (the length
    // snap and the predelay on the synced start), so that after a load the
    // host hears of no change but the preset's own.
    static void settle (ParameterAccess&, float bpm);

    //==============================================================================
    // The rules' arithmetic, on raw parameter values (0..1000 positions).

    // The tempo the conversions use: 120 BPM when the tempo is unknown.
    static float tempoOrDefault (float bpm) noexcept;

    // Round lengths, ms, in the order they are tried.
    static constexpr int roundLengthsMs[] = { 250,  500,  1000, 2000,  3000,  4000,  5000, 6000,
                                              7000, 8000, 9000, 10000, 11000, 12000, 13000 };
    // How close (strictly) a length must be to a round one to be pulled onto it.
    static constexpr int snapDistanceMs = 8;

    // The raw length whose time is exactly ms (at the parameter's step).
    static float lengthRawFor (int ms);

    // The start spacing in ms as the engine plays it (tempo in BPM; 0 or
    // less counts as unknown, with half-second beats).
    static float startSpacingMs (float startRaw, bool tapSync, bool times4, float bpm);

    enum class RateCurve
    {
        LfoRate, // Wave and tremolo rates: 0.15 to 8 Hz
        SlowRate // pitch rate: 0, or 0.01 to 8 Hz
    };

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
    static void snapLength (ParameterAccess&);
    void convertSwitches (ParameterAccess&, float bpm);
    static void convertTapSync (ParameterAccess&, bool nowOn, float bpm);
    static void followStart (ParameterAccess&, float bpm, Drags);

    // The sync switches as the last block left them.
    bool baselineValid = false;
    bool lastTapSync = false;
    bool lastWaveSync = false;
    bool lastTremSync = false;
    bool lastPitchSync = false;
};
