#pragma once

#include "dsp/TapEngine.h"
#include "dsp/VoiceKernels.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

// One tap voice: follows one entry of the tap set, ramping its gain, gliding
// or crossfading its delay, smoothing its Wave offset and darkening its output.
// Delays are in samples; they are kept in double precision so that glides at
// delays of several seconds still reach their targets.
struct TapVoice
{
    float gainTarget = 0.0f;
    float gain = 0.0f;
    double targetDelay = 0.0;
    double readDelay = 0.0;
    double fadeDelay = 0.0;
    int fadeStep = 0; // samples since the crossfade started: its place on the fade curve
    bool fading = false;
    bool refadeQueued = false;
    bool fadeQueued = false;
    float waveDiffTarget = 0.0f;
    float waveDiff = 0.0f;
    float wearLeft = 0.0f;
    float wearRight = 0.0f;
    bool active = false;
};

// The 15-second stereo delay line and the 300 voices that read it.
//
// The line keeps left and right in separate arrays, each followed by a copy
// of its first frames, so that a voice reads a block as one contiguous run
// and never wraps inside the loop.
class TapVoiceBank
{
public:
    static constexpr int numVoices = TapSet::maxTaps;
    static constexpr int maxCrossfades = 16;

    // Per-block settings of the voice loop.
    struct RenderSettings
    {
        int tapCount = 0;        // entries of the tap set in use
        bool wear = false;       // Tape Wear darkening active
        float wearAmount = 0.0f; // 0..100
        bool pingPong = false;   // ping-pong active (amount > 0 on a stereo input)
        float pingPongAmount = 0.0f;
        int jumpIndex = -1; // sample of the snap jump in this block, or -1
    };

    // Sizes the line to 15 s plus one frame and the block scratch; clears.
    void prepare (double sampleRate, int maxBlockSize);

    // Clears the line and silences every voice.
    void reset();

    // Starts the voices of a tap set at full level with no glide.
    void startFrom (const TapSet& taps);

    // Follows a new tap set: activates, retargets or fades out voices.
    void update (const TapSet& taps, bool timingDirty, bool snapping);

    // Starts queued crossfades, at most 16 running at once, round-robin.
    void scheduleCrossfades();

    // Records a block into the line.
    void write (const float* left, const float* right, int n);

    // Sums every sounding voice into the wet buffers (which it overwrites).
    // Returns false when no voice added anything, so the wet buffers hold
    // only zeros.
    bool render (const TapSet& taps, const RenderSettings& settings, float* wetLeft, float* wetRight, int n);

    const TapVoice& getVoice (int index) const { return voices[static_cast<std::size_t> (index)]; }

    // Whether the loops that run several voices in vector lanes are used
    // (where the machine has them; on by default). Off, every voice runs the
    // plain loops, which give the same results: for comparisons.
    void setVectorKernels (bool on);

    // Whether voices that would read only zeros are skipped (on by default).
    // They add nothing either way: off is the plain path, for comparisons.
    void setSkipsSilence (bool on);
    // The last block found every sounding voice still on a silent line.
    bool isRestingOnSilence() const { return restingOnSilence; }
    int getNumFading() const;
    int getLineFrames() const { return frames; }

    // Longest delay any read may use, in samples: reads never reach frames
    // that this block has already overwritten.
    double getMaxReadDelay() const { return maxReadDelay; }

    // Frames per stretch of the line whose silence is tracked.
    static constexpr int quietChunkFrames = 64;

private:
    // What a voice needs for one block, worked out at its start.
    struct VoiceSetup
    {
        float ramp = 0.0f;        // gain and crossfade step per sample
        double glide = 0.0;       // one-pole glide coefficient
        float offsetScale = 0.0f; // samples of right-channel offset per unit of waveDiff
        double offset = 0.0;      // the right-channel offset at the block start
        bool dark = false;
        float wearCoeff = 0.0f;
        float panLeft = 1.0f, panRight = 1.0f;
        bool waveStill = false; // the Wave offset does not move in this block
        bool jumps = false;     // the snap jump falls in this block
        bool steady = false;    // read positions cannot move in this block
    };

    // A steady, darkened voice whose filter runs alongside others.
    struct DarkVoice
    {
        TapVoice* voice = nullptr;
        float coeff = 0.0f;
        float panLeft = 1.0f, panRight = 1.0f;
        int quietFrom = 0;
    };
    static constexpr int maxDarkGroup = voicekernels::darkLanes;

    void flushSteadyGroup (float* wetLeft, float* wetRight, int n);

    // A voice gliding through the whole block, run alongside others.
    struct GlideVoice
    {
        TapVoice* voice = nullptr;
        float wearCoeff = 0.0f;
        float panLeft = 1.0f, panRight = 1.0f;
    };
    void flushGlideGroup (const VoiceSetup& u, const RenderSettings& s, float* wetLeft, float* wetRight, int n);

    // What every voice shares in a block, then what one voice needs.
    VoiceSetup setUpBlock (const RenderSettings& s) const;
    VoiceSetup setUpVoice (const VoiceSetup& block, TapVoice& v, int index, const RenderSettings& s, int n) const;
    // The darkening coefficient of every voice, recomputed when the tap count
    // or the wear amount changes.
    void updateWearCoefficients (int tapCount, float wearAmount);
    double leftDelay (double d) const { return std::min (std::max (d, 0.0), maxReadDelay); }
    // The offset moves the right read later (negative) or earlier, but never
    // ahead of the newest sample.
    double rightDelay (double d, double offset) const { return std::min (d - std::min (d, offset), maxReadDelay); }
    // Interpolated, gain-scaled output of a steady voice; returns the first
    // sample from which the voice is silent (n when it never is).
    int interpolateSteady (TapVoice& v, const VoiceSetup& u, float* tl, float* tr, int n);
    // True when a still read of n samples from ring position `start` at
    // `fraction` finds nothing but zeros.
    bool readsOnlySilence (int start, float fraction, int n) const;
    template <typename Point>
    bool readsOnlySilence (const Point& p, int n) const
    {
        return readsOnlySilence (p.start, p.fraction, n);
    }
    // What a still voice reading only zeros does in a block: its level
    // ramps and it may go quiet, while everything it adds is zero.
    static void passSilently (TapVoice& v, const VoiceSetup& u, int n);
    // Marks the stretches of the line a write of `count` frames from ring
    // position `at` touched as holding sound or not.
    void markWritten (const float* left, const float* right, int at, int count);
    // Scales a voice's interpolated block by its gain as it ramps; returns
    // the first sample from which the voice is silent (n when it never is).
    int applyGain (TapVoice& v, const VoiceSetup& u, float* tl, float* tr, int n);
    void flushDarkGroup (float* wetLeft, float* wetRight, int n);
    // A running crossfade between two still delays, up to the sample where it
    // completes; returns the number of samples done.
    int renderCrossfade (TapVoice& v, const VoiceSetup& u, float* wetLeft, float* wetRight, int n);
    // One sample of a crossfading voice's level, darkening and sum.
    static void addCrossfadeSample (TapVoice& v, const VoiceSetup& u, float valueL, float valueR, float& wetL,
                                    float& wetR);
    void renderMoving (TapVoice& v, int index, const VoiceSetup& u, const TapSet& taps, const RenderSettings& s,
                       float* wetLeft, float* wetRight, int n, int from);
    // The rest of the block, from `from`, of a voice that a finished
    // crossfade left still at a steady level (see settledAfterCrossfade):
    // what renderMoving gives it, as one vector loop per channel.
    void renderSteadyRest (TapVoice& v, const VoiceSetup& u, const RenderSettings& s, float* wetLeft, float* wetRight,
                           int n, int from);
    // Samples from..n of a still voice that is not darkened, read with the
    // right channel `offset` samples further back: sample by sample while its
    // level ramps, then one vector loop per channel. A voice whose level
    // reaches silence stops being active (its reads are still added).
    void addSteady (TapVoice& v, const VoiceSetup& u, double offset, float* wetLeft, float* wetRight, int n, int from);
    static bool settledAfterCrossfade (const TapVoice& v, const VoiceSetup& u);

    double sampleRate = 44100.0;
    int frames = 0;     // frames of history a tap may reach: 15 s plus one
    int ringFrames = 0; // frames in the ring: the history plus one block
    int guard = 0;      // copied frames after the end of the ring
    int maxBlock = 0;
    int writeIndex = 0;
    int blockStart = 0; // write index at the start of the last recorded block
    double maxReadDelay = 0.0;
    double glideCoeff = 0.0;
    // The fade position after each sample of a crossfade, from 0 to 1; every
    // crossfade walks the same curve.
    std::vector<float> fadeCurve;
    int fadeLength = 0; // samples a crossfade takes
    std::array<float, numVoices> wearCoeffs {};
    int wearTapCount = -1;
    float wearAmountInUse = -1.0f;

    std::vector<float> lineLeft, lineRight;
    // One bit per stretch of quietChunkFrames ring frames: set while the
    // stretch may hold a sample other than zero in either channel. A
    // stretch being rewritten keeps its old bit until it has been written
    // through, as its older frames may still be read.
    std::vector<std::uint64_t> soundingChunks;
    int soundingChunkCount = 0;
    bool chunkBeingWrittenSounds = false;
    std::vector<float> scratchLeft, scratchRight;
    std::array<std::vector<float>, 2 * maxDarkGroup> darkScratch;
    std::vector<float> silence; // a block of zeros
    DarkVoice darkGroup[maxDarkGroup] {};
    int darkGroupSize = 0;
    bool vectorDarkening = false; // eight darkened voices at once
    bool vectorGlides = false;    // eight gliding voices at once
    GlideVoice glideGroup[voicekernels::glideLanes] {};
    int glideGroupSize = 0;
    std::vector<float> glideScratch;
    voicekernels::SteadyRead steadyLeft[voicekernels::maxSteadyGroup] {};
    voicekernels::SteadyRead steadyRight[voicekernels::maxSteadyGroup] {};
    int steadyGroupSize = 0;
    std::array<TapVoice, numVoices> voices {};
    int crossfadeCursor = 0;
    // Some voice may wait for a crossfade (false only when none does).
    bool crossfadesQueued = false;
    // Every sounding voice rested on a silent line in the last block: still,
    // at a steady level, not darkened, and left unchanged by the block. The
    // settings it rested with.
    bool restingOnSilence = false;
    bool skipsSilence = true;
    bool restedDark = false;
    bool restedPingPong = false;
};
