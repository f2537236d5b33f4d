#pragma once

#include "dsp/BiquadFilter.h"

// The echo filter of one channel: a high-pass section followed by a low-pass
// section. Both pass the signal unchanged until their cutoffs are set.
struct Filter
{
    float sampleRate = 44100.0f;
    BiquadFilter highPass;
    BiquadFilter lowPass;

    // Stores the sampling rate and clears both states; the coefficients stay
    // until the next setHP / setLP. A rate that is not a positive finite
    // number is ignored.
    void prepare (float newSampleRate) noexcept;

    void reset() noexcept
    {
        highPass.reset();
        lowPass.reset();
    }

    // Cutoffs in Hz. Outside 5 Hz .. 0.48 of the sampling rate the section
    // passes the signal unchanged. The filter state is kept.
    void setHP (float cutoffHz) noexcept { highPass.set (BiquadFilter::Type::HighPass, cutoffHz, sampleRate); }
    void setLP (float cutoffHz) noexcept { lowPass.set (BiquadFilter::Type::LowPass, cutoffHz, sampleRate); }

    float process (float x) noexcept { return lowPass.process (highPass.process (x)); }

    // n samples in place.
    void process (float* samples, int n) noexcept;

    // n samples of two channels in place, each through its own filter, in
    // one loop so that the two recursions overlap.
    static void processPair (Filter& left, Filter& right, float* leftSamples, float* rightSamples, int n) noexcept;
};
