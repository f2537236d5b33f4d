#pragma once

#include "dsp/LFO.h"

#include <cstdint>

namespace dsp
{
// Stereo amplitude modulator. An LFO sets each channel's gain between 1 and
// 1 - depth; the right channel may run at a phase offset from the left; the
// LFO runs freely at a rate in Hz or locks to the host's beat grid. Gain
// changes are smoothed by a 1 ms one-pole.
class Tremolo
{
public:
    // Seed of the random shapes, written by the owner before each block.
    std::uint32_t seed = 0xC0DEFADEu;

    // Stores the sampling rate and clears the state as reset() does. A rate
    // that is not a positive finite number keeps the previous one.
    void prepare (float sampleRate) noexcept;

    // Phase and cycle count to 0, gains to 1; the next sample sets the gains
    // without smoothing.
    void reset() noexcept;

    // Free-running rate in Hz, at least 0 (0 freezes the LFO).
    void setRate (float hz) noexcept;

    // Depth in percent, clamped to 0..100. At 0 processStereo does nothing
    // and the LFO stands still.
    void setDepth (float percent) noexcept;

    // LFO shape 0..6 (clamped; 7 plays as RandomSmooth).
    void setShape (int shape) noexcept;

    // Phase offset of the free-running LFO in degrees.
    void setPhaseOffset (float degrees) noexcept;

    // Offset of the right channel from the left in degrees.
    void setLROffset (float degrees) noexcept;

    // Tempo lock: host position in beats at the block start, tempo, note
    // division index 0..12 and the phase offset in beats. The sampling rate
    // replaces the stored one. A non-finite position or tempo runs the block
    // free.
    void setSync (bool on, double ppq, double bpm, int noteIndex, float offsetBeats, float sampleRate) noexcept;

    // Multiplies n samples of each channel in place by the channel gain.
    void processStereo (float* left, float* right, int n) noexcept;

    // Position of the free-running LFO: cycles since reset and the phase.
    // setPosition resumes it at a given place (whole cycles plus a phase in
    // [0, 1)), as if it had run that long.
    double getCycles() const noexcept { return cycles.position(); }
    float getPhase() const noexcept { return phase; }
    void setPosition (std::int64_t wholeCycles, float newPhase) noexcept;

private:
    float sampleRate = 44100.0f;
    float rate = 3.0f;
    float depth = 0.0f;
    int shape = 0;
    float phaseOffset = 0.0f;
    float lrOffset = 0.0f;

    float phase = 0.0f;
    CycleCounter cycles;
    float gainL = 1.0f;
    float gainR = 1.0f;
    bool primed = false;

    bool sync = false;
    double ppq = 0.0;
    double bpm = 120.0;
    int noteIndex = 5;
    float syncOffsetBeats = 0.0f;
};
} // namespace dsp
