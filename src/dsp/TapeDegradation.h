#pragma once

#include "dsp/BiquadFilter.h"
#include "dsp/TapeHack2Saturator.h"

#include <array>
#include <cstdint>
#include <vector>

namespace dsp
{
// Stereo tape stage: low split, flutter, head bump, saturation (smooth or
// square-root "OD"), soften low-pass, output gain, soft clipper, wet/dry mix
// and float dither. Works in double precision on float buffers, in place.
//
// Setters take the raw 0..100 control values, clamp them and ignore NaN;
// they take effect at the next processStereo call.
class TapeDegradation
{
public:
    // Values derived from the controls and the sampling rate once per block.
    struct BlockCoefficients
    {
        double rateScale = 1.0;        // sampleRate / 44100
        double softenHz = 0.0;         // soften low-pass cutoff
        double outGainLin = 1.0;       // output gain, linear
        float inputGain = 1.0f;        // saturator drive
        float comp = 1.0f;             // saturator make-up gain
        double flutterDepth = 0.0;     // D, in samples
        double flutterIncrement = 0.0; // I, per sample
        double bumpMix = 0.0;
        double bumpCubic = 0.0; // q, the resonators' cubic softening
        double lowSplit = 0.0;  // one-pole coefficient of the 150 Hz split
    };

    TapeDegradation();

    // Stores the rate (non-finite or non-positive rates are ignored, others
    // are held within 8 kHz..768 kHz), sizes the flutter rings for it and
    // clears all signal state. Allocates.
    void prepare (float newSampleRate);

    // Clears all signal state; the controls stay.
    void reset() noexcept;

    // A change of mode clears both saturators; setting the current mode
    // again does nothing.
    void setOdMode (bool on) noexcept;
    void setSoar (float percent) noexcept;
    void setSoften (float percent) noexcept;
    void setHeadBump (float percent) noexcept;
    void setFlutter (float percent) noexcept;
    void setFlutterSpeed (float percent) noexcept;
    void setOutputGain (float percent) noexcept;
    void setWet (float percent) noexcept;

    // Processes n samples of both channels in place; n <= 0 does nothing.
    void processStereo (float* left, float* right, int n) noexcept;

    float getSampleRate() const noexcept { return sampleRate; }
    float getDrive() const noexcept { return drive; }
    float getOdKnee() const noexcept { return odKnee; }
    float getSoften() const noexcept { return soften; }
    float getHeadBump() const noexcept { return headBump; }
    float getFlutter() const noexcept { return flutter; }
    float getFlutterSpeed() const noexcept { return flutterSpeed; }
    float getOutputGain() const noexcept { return outputGain; }
    float getWet() const noexcept { return wet; }
    bool getOdMode() const noexcept { return odMode; }

    // The per-block values processStereo works with for the current controls.
    BlockCoefficients computeBlockCoefficients() const noexcept;

    // Length of each flutter ring: 500 samples up to 96 kHz, longer above so
    // that the deepest flutter read never wraps onto recent signal.
    int getFlutterRingSize() const noexcept { return static_cast<int> (flutterLeft.size()); }

private:
    struct BandPass
    {
        double frequency = 0.0;
        double resonance = 0.0;
        double a0 = 0.0, a1 = 0.0, a2 = 0.0, b1 = 0.0, b2 = 0.0;
        double s1 = 0.0, s2 = 0.0;
    };

    static int flutterRingSizeFor (double rate) noexcept;
    // The flutter's read offsets for the next `count` samples, moving its
    // wander state on.
    void planFlutter (const BlockCoefficients& k, double* offsets, int count) noexcept;
    void processStretch (const BlockCoefficients& k, float* left, float* right, int n, const double* flutterOffsets,
                         double knee, double wetD, int ringSize) noexcept;
    static double resonate (BandPass& bp, double resonatorOut, double sig, double cubic) noexcept;

    // Controls.
    float sampleRate = 44100.0f;
    float drive = 50.0f;
    float odKnee = 0.15f;
    float soften = 0.3f;
    float flutterSpeed = 1.0f;
    float headBump = 0.25f;
    float flutter = 0.0f;
    float outputGain = 0.8f;
    float wet = 1.0f;
    bool odMode = false;

    // Signal state.
    TapeHack2Saturator saturatorLeft, saturatorRight;
    double lowLeft = 0.0, lowRight = 0.0;

    std::vector<double> flutterLeft, flutterRight;
    int writeCounter = 0;
    double flutterAmp = 0.0;       // A
    double flutterSweep = 0.0;     // B
    double flutterAmpTarget = 0.5; // C

    double bump1 = 0.0, bump2 = 0.0; // left pair
    double bump3 = 0.0, bump4 = 0.0; // right pair
    std::array<BandPass, 4> bumpFilters {};
    bool bumpFlip = false;

    BiquadFilter softenLeft, softenRight;
    double clipLeft = 0.0, clipRight = 0.0;
    std::uint32_t noiseLeft = 1u, noiseRight = 1u;

    static constexpr int dryDelay = 8;
    std::array<double, dryDelay> dryLeft {}, dryRight {};
    int dryIndex = 0;
};
} // namespace dsp
