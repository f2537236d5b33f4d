#pragma once

// The vector loops of the tap voices. Each computes every sample with the
// same operations in the same order whatever instruction set runs it, so the
// wider ones the machine may offer give exactly the same results as the
// baseline build.

namespace voicekernels
{
// Four-point Catmull-Rom weights for a fraction f between the second and
// third of four consecutive frames.
struct Weights
{
    float wm1 = 0.0f, w0 = 1.0f, w1 = 0.0f, w2 = 0.0f;

    Weights() = default;

    explicit Weights (float f)
    {
        const float f2 = f * f;
        const float f3 = f2 * f;
        wm1 = -0.5f * f + f2 - 0.5f * f3;
        w0 = 1.0f - 2.5f * f2 + 1.5f * f3;
        w1 = 0.5f * f + 2.0f * f2 - 1.5f * f3;
        w2 = -0.5f * f2 + 0.5f * f3;
    }

    float apply (const float* p) const { return wm1 * p[0] + w0 * p[1] + w1 * p[2] + w2 * p[3]; }
};

// One still read of the line at a steady level: frames from `src`, weighted,
// times the gain, times the pan.
struct SteadyRead
{
    const float* src = nullptr;
    Weights weights;
    float gain = 0.0f;
    float pan = 1.0f;
};

constexpr int maxSteadyGroup = 4;

// wet[i] += ((read i) * gain) * pan, for up to four reads, added in order.
void sumSteady (const SteadyRead* reads, int count, float* wet, int n);

// out[i] = the weighted read at src + i.
void interpolate (const float* src, const Weights& w, float* out, int n);

// a[i] += (b[i] - a[i]) * t[i].
void blend (float* a, const float* b, const float* t, int n);

// x[i] *= g.
void scale (float* x, float g, int n);

// A crossfade at a steady level in one pass: with a[i] the read at from + i
// and b[i] the one at to + i, a[i] += (b[i] - a[i]) * t[i] for i < blended
// and a[i] = b[i] from there, then wet[i] += (a[i] * g) * pan. The same
// results as interpolate and blend, then that sum, one after the other.
void crossfadeAdd (const float* from, const Weights& wFrom, const float* to, const Weights& wTo, const float* t,
                   int blended, float g, float pan, float* wet, int n);

// out[i] = (the weighted read at src + i) * g.
void interpolateScaled (const float* src, const Weights& w, float g, float* out, int n);

// One channel of eight darkened voices: their inputs, filter states and pans,
// and the sum they add to.
struct DarkChannel
{
    const float* const* x;
    float* y;
    const float* pan;
    float* wet;
};

// Eight darkened voices side by side, one vector lane each: for every sample
// each voice's one-pole filter takes y[j] += (x[j][i] - y[j]) * a[j], and
// wet[i] += y[j] * pan[j] in voice order, in both channels. Only where the
// machine has AVX2 (see hasLaneKernels, which asks the processor: call it
// outside the audio thread); the caller runs the same arithmetic itself
// otherwise.
constexpr int darkLanes = 8;
bool hasLaneKernels();
void darkenEight (const DarkChannel& left, const DarkChannel& right, const float* a, int n);

// Up to eight gliding voices side by side, one vector lane each, sample by
// sample as the plain voice loop runs one: the delay glides toward its
// target, the level ramps toward its target (never to silence), the Wave
// offset glides, both channels are read at their own positions, darkened
// when asked and panned, and every sample adds the voices to the wet sums in
// lane order. Only where the machine has AVX2 (hasLaneKernels).
constexpr int glideLanes = 8;

struct GlideLanes
{
    double delay[glideLanes];
    double target[glideLanes];
    float gain[glideLanes];
    float gainTarget[glideLanes];
    float waveDiff[glideLanes];
    float waveDiffTarget[glideLanes];
    float wearLeft[glideLanes];
    float wearRight[glideLanes];
    float wearCoeff[glideLanes];
    float panLeft[glideLanes];
    float panRight[glideLanes];
};

struct GlideBlock
{
    const float* lineLeft = nullptr;
    const float* lineRight = nullptr;
    int ringFrames = 0;
    int blockStart = 0; // ring position of the block's first sample
    double glide = 0.0; // one-pole coefficient of the delay glide
    float ramp = 0.0f;  // level step per sample
    float offsetScale = 0.0f;
    double maxDelay = 0.0; // longest read
    bool pingPong = false; // no right-channel offset
    bool dark = false;
    float* scratch = nullptr; // 2 * glideLanes * n floats
};

void glideEight (GlideLanes& lanes, const GlideBlock& block, float* wetLeft, float* wetRight, int n);
} // namespace voicekernels
