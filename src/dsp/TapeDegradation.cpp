#include "dsp/TapeDegradation.h"

#include "dsp/DspConstants.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

namespace dsp
{
namespace
{

constexpr float minSampleRate = 8000.0f;
constexpr float maxSampleRate = 768000.0f;

// Flutter depth at full setting, in samples at 44.1 kHz.
constexpr double flutterDepthAt44k = 70.0;
constexpr int baseFlutterRing = 500;

// Soft clipper: golden-ratio blend towards the 0.99 ceiling.
constexpr double clipCeiling = 0.99;
constexpr double clipBase = 0.6118536488623959;  // 0.99 * 0.618033988749895
constexpr double clipBlend = 0.3819660112501051; // 1 - 0.618033988749895

// Replaces NaN by the previous value; everything else is clamped.
float clampOrKeep (float value, float lo, float hi, float previous) noexcept
{
    return std::isnan (value) ? previous : std::clamp (value, lo, hi);
}

int wrapIndex (int index, int size) noexcept
{
    // Indices here are at most one ring length out; only others need the
    // division.
    if (index >= 0 && index < size)
        return index;
    if (index >= size && index < 2 * size)
        return index - size;
    const int r = index % size;
    return r < 0 ? r + size : r;
}

std::uint32_t nextNoise (std::uint32_t x) noexcept
{
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    return x;
}

// Square-root overdrive curve with a rounded knee around zero.
double overdrive (double sig, double knee) noexcept
{
    const float x = static_cast<float> (sig);
    const double magnitude = std::max (0.0, std::sqrt (knee * knee + std::abs (static_cast<double> (x))) - knee);
    const float y = static_cast<float> (x < 0.0f ? -magnitude : magnitude);
    return std::isfinite (y) ? y : 0.0f;
}

// Moves a head-bump resonator output towards zero by e, without crossing it.
void leak (double& s, double e) noexcept
{
    if (s > e)
        s -= e;
    else if (s < -e)
        s += e;
}

double softClip (double y, double& memory) noexcept
{
    if (memory >= clipCeiling)
        memory = y < clipCeiling ? clipBase + clipBlend * y : clipCeiling;
    if (memory <= -clipCeiling)
        memory = y > -clipCeiling ? -clipBase + clipBlend * y : -clipCeiling;
    if (y > clipCeiling)
        y = memory < clipCeiling ? clipBase + clipBlend * memory : clipCeiling;
    if (y < -clipCeiling)
        y = memory > -clipCeiling ? -clipBase + clipBlend * memory : -clipCeiling;
    memory = y;
    return y;
}

// 2^(e + 62), where e is the exponent frexp gives for x: read straight from
// the bits of a normal float, through frexp and ldexp for anything else.
double lastBitScale (float x) noexcept
{
    const auto biased = static_cast<int> ((std::bit_cast<std::uint32_t> (x) >> 23) & 0xffu);
    if (biased == 0 || biased == 0xff)
    {
        int exponent = 0;
        std::frexp (x, &exponent);
        return std::ldexp (1.0, exponent + 62);
    }
    // frexp's exponent is biased - 126; 2^(that + 62) is a normal double.
    const auto doubleBiased = static_cast<std::uint64_t> (biased - 126 + 62 + 1023);
    return std::bit_cast<double> (doubleBiased << 52);
}

// Adds noise at the level of the last bit of the float the sample becomes.
float ditherToFloat (double out, std::uint32_t& noise) noexcept
{
    const double scale = lastBitScale (static_cast<float> (out));
    noise = nextNoise (noise);
    out += (static_cast<double> (noise) - 2147483647.0) * 5.5e-36 * scale;
    return static_cast<float> (out);
}
} // namespace

TapeDegradation::TapeDegradation()
{
    prepare (sampleRate);
}

int TapeDegradation::flutterRingSizeFor (double rate) noexcept
{
    // The read offset is D + A^2 * D * sin(B) with the amplitude A kept
    // within 0..0.98, so it stays below 2 * D; the interpolation reads one
    // sample further.
    const double deepest = 2.0 * flutterDepthAt44k * rate / 44100.0;
    return std::max (baseFlutterRing, static_cast<int> (std::ceil (deepest)) + 2);
}

void TapeDegradation::prepare (float newSampleRate)
{
    if (std::isfinite (newSampleRate) && newSampleRate > 0.0f)
        sampleRate = std::clamp (newSampleRate, minSampleRate, maxSampleRate);

    saturatorLeft.prepare (sampleRate);
    saturatorRight.prepare (sampleRate);

    const auto ringSize = static_cast<std::size_t> (flutterRingSizeFor (sampleRate));
    flutterLeft.assign (ringSize, 0.0);
    flutterRight.assign (ringSize, 0.0);

    reset();
}

void TapeDegradation::reset() noexcept
{
    saturatorLeft.reset();
    saturatorRight.reset();

    lowLeft = lowRight = 0.0;

    std::fill (flutterLeft.begin(), flutterLeft.end(), 0.0);
    std::fill (flutterRight.begin(), flutterRight.end(), 0.0);
    writeCounter = getFlutterRingSize() - 1;
    flutterAmp = 0.0;
    flutterSweep = 0.0;
    flutterAmpTarget = 0.5;

    bump1 = bump2 = bump3 = bump4 = 0.0;
    bumpFilters = {};
    bumpFlip = false;

    softenLeft.reset();
    softenRight.reset();
    clipLeft = clipRight = 0.0;
    noiseLeft = noiseRight = 1u;

    dryLeft = {};
    dryRight = {};
    dryIndex = 0;
}

void TapeDegradation::setOdMode (bool on) noexcept
{
    if (on == odMode)
        return;
    odMode = on;
    saturatorLeft.reset();
    saturatorRight.reset();
}

void TapeDegradation::setSoar (float percent) noexcept
{
    if (std::isnan (percent))
        return;
    // Drive is only ever used within 0..100, so it is stored clamped.
    drive = std::clamp (percent, 0.0f, 100.0f);
    odKnee = std::max (0.06f, 0.3f * (1.0f - drive / 100.0f));
}

void TapeDegradation::setSoften (float percent) noexcept
{
    soften = clampOrKeep (percent / 100.0f, 0.0f, 1.0f, soften);
}

void TapeDegradation::setHeadBump (float percent) noexcept
{
    headBump = clampOrKeep (percent / 100.0f, 0.0f, 1.0f, headBump);
}

void TapeDegradation::setFlutter (float percent) noexcept
{
    flutter = clampOrKeep (percent / 100.0f, 0.0f, 1.0f, flutter);
}

void TapeDegradation::setFlutterSpeed (float percent) noexcept
{
    const double speed = 0.8 * std::exp2 (2.0 * (static_cast<double> (percent) - 50.0) / 50.0);
    flutterSpeed = clampOrKeep (static_cast<float> (speed), 0.2f, 3.2f, flutterSpeed);
}

void TapeDegradation::setOutputGain (float percent) noexcept
{
    outputGain = clampOrKeep (percent / 100.0f, 0.0f, 1.0f, outputGain);
}

void TapeDegradation::setWet (float percent) noexcept
{
    wet = clampOrKeep (percent / 100.0f, 0.0f, 1.0f, wet);
}

TapeDegradation::BlockCoefficients TapeDegradation::computeBlockCoefficients() const noexcept
{
    BlockCoefficients k;
    const double rate = sampleRate;
    k.rateScale = rate / 44100.0;
    k.softenHz = 2000.0 * std::pow (10.0, static_cast<double> (soften) * 0.7781512503836436);
    k.outGainLin = std::pow (10.0, (static_cast<double> (outputGain) - 0.5) * 12.0 / 20.0);

    const double s = std::clamp (static_cast<double> (drive), 0.0, 100.0) / 100.0;
    k.inputGain = static_cast<float> (std::pow (10.0, s));
    k.comp = static_cast<float> (std::exp2 (-s) * std::pow (0.7006, s * s));

    const double flutterSquared = static_cast<double> (flutter) * static_cast<double> (flutter);
    k.flutterDepth = k.rateScale * flutterSquared * flutterDepthAt44k;
    k.flutterIncrement = static_cast<double> (flutterSpeed) * flutterSquared * 0.0024 / k.rateScale;

    k.bumpMix = static_cast<double> (headBump) * 0.25;
    k.bumpCubic = 0.12 / k.rateScale;
    k.lowSplit = 1.0 - std::exp (-942.4777960769379 / rate);
    return k;
}

double TapeDegradation::resonate (BandPass& bp, double resonatorOut, double sig, double cubic) noexcept
{
    double v = sig * 0.05 + resonatorOut;
    v -= v * v * v * cubic;
    const double u = std::sin (v);

    const double y = bp.a0 * u + bp.s1;
    bp.s1 = bp.a1 * u - bp.b1 * y + bp.s2;
    bp.s2 = bp.a2 * u - bp.b2 * y;
    return std::asin (std::clamp (y, -1.0, 1.0));
}

void TapeDegradation::processStereo (float* left, float* right, int n) noexcept
{
    if (n <= 0 || left == nullptr || right == nullptr)
        return;

    const BlockCoefficients k = computeBlockCoefficients();

    softenLeft.set (BiquadFilter::Type::LowPass, static_cast<float> (k.softenHz), sampleRate);
    softenRight.set (BiquadFilter::Type::LowPass, static_cast<float> (k.softenHz), sampleRate);

    {
        // Head-bump band-pass sections at 308.7 Hz whatever the rate.
        const double frequency = 0.007 / k.rateScale;
        const double resonance = 0.0009;
        const double kk = std::tan (pi * frequency);
        const double norm = 1.0 / (1.0 + kk / resonance + kk * kk);
        for (auto& bp : bumpFilters)
        {
            bp.frequency = frequency;
            bp.resonance = resonance;
            bp.a0 = kk / resonance * norm;
            bp.a2 = -bp.a0;
            bp.b1 = 2.0 * (kk * kk - 1.0) * norm;
            bp.b2 = (1.0 - kk / resonance + kk * kk) * norm;
        }
    }

    const double knee = odKnee;
    const double wetD = wet;
    const int ringSize = getFlutterRingSize();

    // The flutter's wandering depends on nothing but its own state and the
    // left noise generator, which steps once per sample whatever the signal.
    // So the read offsets are worked out ahead, a stretch at a time, in a
    // loop of their own, and the sample loop only reads them.
    constexpr int stretch = 256;
    double flutterOffsets[stretch];
    for (int from = 0; from < n; from += stretch)
    {
        const int count = std::min (stretch, n - from);
        if (k.flutterDepth != 0.0)
            planFlutter (k, flutterOffsets, count);
        processStretch (k, left + from, right + from, count, flutterOffsets, knee, wetD, ringSize);
    }
}

void TapeDegradation::planFlutter (const BlockCoefficients& k, double* offsets, int count) noexcept
{
    std::uint32_t noise = noiseLeft;
    for (int i = 0; i < count; ++i)
    {
        offsets[i] = k.flutterDepth + flutterAmp * flutterAmp * k.flutterDepth * std::sin (flutterSweep);
        flutterAmp = flutterAmp * (1.0 - k.flutterIncrement) + flutterAmpTarget * k.flutterIncrement;
        flutterSweep += flutterAmp * k.flutterIncrement;
        if (flutterSweep >= twoPi)
        {
            flutterSweep -= pi;
            flutterAmpTarget = 0.24 + 0.74 * (static_cast<double> (noise) / 4294967295.0);
        }
        noise = nextNoise (noise); // as the left dither steps it after this sample
    }
}

void TapeDegradation::processStretch (const BlockCoefficients& k, float* left, float* right, int n,
                                      const double* flutterOffsets, double knee, double wetD, int ringSize) noexcept
{
    for (int i = 0; i < n; ++i)
    {
        double xL = left[i];
        double xR = right[i];

        // A non-finite input would stay in every recursive state for good.
        if (! std::isfinite (xL))
            xL = 0.0;
        if (! std::isfinite (xR))
            xR = 0.0;

        // Tiny inputs become faint noise, keeping the recursions out of
        // denormal range.
        if (std::abs (xL) < 1.18e-23)
            xL = static_cast<double> (noiseLeft) * 1.18e-17;
        if (std::abs (xR) < 1.18e-23)
            xR = static_cast<double> (noiseRight) * 1.18e-17;

        const double dryL = dryLeft[static_cast<std::size_t> (dryIndex)];
        const double dryR = dryRight[static_cast<std::size_t> (dryIndex)];
        dryLeft[static_cast<std::size_t> (dryIndex)] = xL;
        dryRight[static_cast<std::size_t> (dryIndex)] = xR;
        if (++dryIndex >= dryDelay)
            dryIndex = 0;

        // Low split: the part below 150 Hz leaves the wet path.
        lowLeft += (xL - lowLeft) * k.lowSplit;
        lowRight += (xR - lowRight) * k.lowSplit;
        double sigL = xL - lowLeft;
        double sigR = xR - lowRight;

        // Flutter: the rings are written backwards, so counter + n is n
        // samples old. They are written even while flutter is off.
        if (writeCounter < 0 || writeCounter >= ringSize)
            writeCounter = ringSize - 1;
        flutterLeft[static_cast<std::size_t> (writeCounter)] = sigL;
        flutterRight[static_cast<std::size_t> (writeCounter)] = sigR;

        if (k.flutterDepth != 0.0)
        {
            const double offset = flutterOffsets[i];
            const double whole = std::floor (offset);
            const double t = offset - whole;
            const int age = static_cast<int> (whole);
            const auto i0 = static_cast<std::size_t> (wrapIndex (writeCounter + age, ringSize));
            const auto i1 = static_cast<std::size_t> (wrapIndex (writeCounter + age + 1, ringSize));
            sigL = flutterLeft[i0] * (1.0 - t) + flutterLeft[i1] * t;
            sigR = flutterRight[i0] * (1.0 - t) + flutterRight[i1] * t;
        }
        --writeCounter;

        // Head bump: the two resonator pairs take turns.
        if (bumpFlip)
        {
            bump1 = resonate (bumpFilters[0], bump1, sigL, k.bumpCubic);
            bump3 = resonate (bumpFilters[2], bump3, sigR, k.bumpCubic);
        }
        else
        {
            bump2 = resonate (bumpFilters[1], bump2, sigL, k.bumpCubic);
            bump4 = resonate (bumpFilters[3], bump4, sigR, k.bumpCubic);
        }
        bumpFlip = ! bumpFlip;
        sigL += (bump1 + bump2) * k.bumpMix;
        sigR += (bump3 + bump4) * k.bumpMix;

        // Saturation.
        float satL = 0.0f;
        float satR = 0.0f;
        if (odMode)
        {
            satL = static_cast<float> (overdrive (sigL, knee));
            satR = static_cast<float> (overdrive (sigR, knee));
        }
        else
        {
            satL = saturatorLeft.process (static_cast<float> (sigL), k.inputGain, k.comp);
            satR = saturatorRight.process (static_cast<float> (sigR), k.inputGain, k.comp);
        }

        double yL = softenLeft.process (satL);
        double yR = softenRight.process (satR);

        const double eL = (1.0 - std::abs (yL)) * 0.00013;
        const double eR = (1.0 - std::abs (yR)) * 0.00013;
        leak (bump1, eL);
        leak (bump2, eL);
        leak (bump3, eR);
        leak (bump4, eR);

        if (k.outGainLin != 1.0)
        {
            yL *= k.outGainLin;
            yR *= k.outGainLin;
        }

        yL = softClip (yL, clipLeft);
        yR = softClip (yR, clipRight);

        const double wL = std::clamp (yL, -clipCeiling, clipCeiling);
        const double wR = std::clamp (yR, -clipCeiling, clipCeiling);
        const double outL = wetD == 1.0 ? wL : wL * wetD + dryL * (1.0 - wetD);
        const double outR = wetD == 1.0 ? wR : wR * wetD + dryR * (1.0 - wetD);

        left[i] = ditherToFloat (outL, noiseLeft);
        right[i] = ditherToFloat (outR, noiseRight);
    }
}
} // namespace dsp
