#pragma once

#include <cstdint>

// The per-block record of every derived parameter value: times in ms,
// frequencies in Hz, percentages, flags and seeds. Built once per block from
// the raw parameter values and copied as a whole.
struct ParamBlock
{
    float twist = 0.0f;
    float startMs = 30.0f;
    float endMs = 300.0f;
    float lengthMs = 2400.0f;
    float decayCurve = -70.0f;
    int decayMode = 0;
    int decaySteps = 4;
    float decayFalloff = 25.0f;
    float hpHz = 200.0f;
    float lpHz = 6000.0f;
    float mix = 80.0f;
    bool mixBypass = false;
    bool waveOn = false;
    float wavePhaseDeg = 0.0f;
    float waveOffsetDeg = 0.0f;
    float waveRateHz = 1.2f;
    float waveDepth = 70.0f;
    int waveShape = 0;
    float waveRateRaw = 523.0f;
    float tremRateRaw = 753.0f; // raw `tremR` and `pitchRt`, for the synced divisions
    float pitchRateRaw = 0.0f;
    float bpm = 120.0f;
    bool tremOn = false;
    float tremRateHz = 3.0f;
    float tremDepth = 80.0f;
    float tremPhaseDeg = 0.0f;
    float tremOffsetDeg = 0.0f;
    int tremShape = 0;
    bool tapeOn = false;
    bool tapeOd = false;
    bool waveSync = false;
    bool tremSync = false;
    float tapeOut = 50.0f;
    float tapeIn = 0.0f;
    float tapeLpf = 100.0f;
    float headBump = 20.0f;
    float flutter = 0.0f;
    float tapeMix = 100.0f;
    float flutterSpeed = 50.0f;
    bool tapSync = false;
    bool reverse = false;
    bool flipped = false;
    bool dynamicSmoothing = true;
    float predelayMs = 0.0f;
    bool pingPongOn = false;
    float pingPongAmount = 0.0f;
    float widen = 7.5f;
    bool noMid = false;
    bool startEndLock = false;
    float tapeWear = 25.0f;
    std::uint32_t waveSeed = 0x5EED0001u;
    std::uint32_t tremSeed = 0xC0DEFADEu;
    std::uint32_t pitchSeed = 0x27D4EB2Fu;
    int tapCount = 300;
    float masterDb = 0.0f;
    bool pitchOn = false;
    float pitchOffset = 0.0f;
    float pitchMix = 100.0f;
    float pitchRateHz = 0.0f;
    float pitchDepth = 0.0f;
    int pitchShape = 1;
    bool pitchWide = true;
    bool pitchSync = false;
    bool pitchTwistLink = false;
    float pitchTwistCents = 30.0f;
    float lengthBendCents = 0.0f;
    float pitchRegen = 0.0f;
    bool pitch2x = false;
};

// What changed between two blocks (both records unflipped).
struct DirtyFlags
{
    bool timing = false;
    bool twist = false;
    bool gain = false;
    bool snap = false;

    bool any() const { return timing || twist || gain || snap; }
};

// Float fields compare exactly: any difference, NaN included, counts.
DirtyFlags classifyDirty (const ParamBlock& previous, const ParamBlock& current);
