#pragma once

#include "params/ParameterAccess.h"

#include <juce_core/juce_core.h>

// The editor refresh's own edits of the tap window: the window length pulled
// onto round values, and the predelay kept on the start spacing (the time of
// the first tap) while the start is dragged or Tap Sync holds it to the
// tempo. Each writes only what changes.
struct TapWindowEdits
{
    // Round lengths, ms, in the order they are tried.
    static constexpr int roundLengthsMs[] = { 250,  500,  1000, 2000,  3000,  4000,  5000, 6000,
                                              7000, 8000, 9000, 10000, 11000, 12000, 13000 };
    // How close (strictly) a length must be to a round one to be pulled onto it.
    static constexpr int snapDistanceMs = 8;

    // The raw length whose time is exactly ms (at the parameter's step).
    static float lengthRawFor (int ms);

    // A length within snapDistanceMs of a round one becomes exactly that one.
    static void snapLength (ParameterAccess&);

    // The start spacing in ms as the engine plays it (tempo in BPM; 0 or
    // less counts as unknown, with half-second beats).
    static float startSpacingMs (float startRaw, bool tapSync, bool times4, float bpm);

    // Dragging the start moves the predelay with it; otherwise, with Tap
    // Sync on, the predelay follows the synced start (and so the tempo)
    // unless the predelay itself is being dragged. The target is clamped to
    // the predelay's range before it is compared.
    static void followStart (ParameterAccess&, const juce::String& draggedParamId, float bpm);
};
