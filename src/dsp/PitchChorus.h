#pragma once

#include "dsp/LFO.h"

#include <cstdint>
#include <vector>

namespace dsp
{
// Stereo pitch shifter / chorus: a two-tap rotating-delay shifter per
// channel. Two read taps half a window apart sweep through a 50 ms window at
// a speed set by the wanted pitch ratio and are cross-faded so that the tap
// crossing the window edge is silent. The pitch is the sum of a fixed offset,
// an LFO, a link to the Twist control and a ramp that repeats once per delay
// length ("length bend"). A regeneration path feeds the output back into the
// buffers.
class PitchChorus
{
public:
    // Controls, written by the owner before every block. processStereo
    // reads them through a per-block copy that replaces non-finite values by
    // neutral ones and keeps each inside a safe range (noted per field).
    float cents = 0.0f;      // fixed offset in cents, within +-2400
    float mix = 1.0f;        // wet share 0..1
    float lfoRate = 0.0f;    // Hz, free-running; 0 stops the LFO; below a quarter of the sampling rate
    float lfoDepth = 0.0f;   // 0..1, 1 = +-50 cents before depthScale
    float depthScale = 1.0f; // 1, or 2 with "Pitch 2x"; within 0..4
    int lfoShape = 1;        // LfoShape 0..6
    std::uint32_t lfoSeed = 0x27D4EB2Fu;
    bool wide = false;       // invert the polarity of the right wet output
    float regen = 0.0f;      // feedback amount in percent, 0..100
    float regenScale = 0.9f; // feedback multiplier, within 0..1
    bool twistLink = false;
    float twistAmount = 0.0f; // Twist value, -100..100
    float twistCents = 30.0f; // cents at Twist = 100, within +-2400
    bool bendOn = false;
    float bendCents = 0.0f; // size of the bend ramp, 0..2400
    bool bendUp = true;     // rising (true) or falling ramp
    bool sync = false;      // LFO locked to the host tempo
    double ppq = 0.0;       // host position in beats at the block start
    double bpm = 120.0;     // host tempo
    int noteIndex = 5;      // division index 0..12

    // Stores the sampling rate (finite positive rates are kept within
    // 1 kHz..768 kHz; others keep the previous rate), sizes both buffers and
    // clears the state as reset() does. The only allocation of the module.
    void prepare (float sampleRate);

    // Clears the buffers and the signal state.
    void reset() noexcept;

    // Processes n samples in place. bendPeriodMs is the period of the length
    // bend (the tap spacing at the end of the window).
    void processStereo (float* left, float* right, int n, float bendPeriodMs) noexcept;

    // Read distance of tap A in samples, 0 <= delay < window.
    float getDelay() const noexcept { return delay; }
    float getWindow() const noexcept { return window; }

    // Position of the free-running LFO: cycles since reset and the phase.
    // setLfoPosition resumes it at a given place (whole cycles plus a phase
    // in [0, 1)), as if it had run that long.
    double getLfoCycles() const noexcept { return lfoCycles.position(); }
    float getLfoPhase() const noexcept { return lfoPhase; }
    void setLfoPosition (std::int64_t wholeCycles, float phase) noexcept;

private:
    float sampleRate = 44100.0f;
    std::vector<float> bufferL, bufferR;
    int size = 0;
    int writeIndex = 0;
    float window = 2205.0f;
    float delay = 0.0f;
    float feedbackL = 0.0f;
    float feedbackR = 0.0f;
    float lfoPhase = 0.0f;
    CycleCounter lfoCycles;
    float bendPhase = 0.0f;
    float bendSmoothed = 0.0f;
};
} // namespace dsp
