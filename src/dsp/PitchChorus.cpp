#include "dsp/PitchChorus.h"

#include "plugin/NoteGrid.h"

#include <algorithm>
#include <cmath>

namespace dsp
{
namespace
{
constexpr float pi = 3.14159265f;

float finiteOr (float value, float fallback) noexcept
{
    return std::isfinite (value) ? value : fallback;
}

float clampFinite (float value, float lo, float hi, float fallback) noexcept
{
    return std::clamp (finiteOr (value, fallback), lo, hi);
}

double fracPositive (double x) noexcept
{
    double f = x - std::trunc (x);
    if (f < 0.0)
        f += 1.0;
    return f;
}
} // namespace

void PitchChorus::prepare (float newSampleRate)
{
    if (std::isfinite (newSampleRate) && newSampleRate > 0.0f)
        sampleRate = std::clamp (newSampleRate, 1000.0f, 768000.0f);

    size = static_cast<int> (0.064f * sampleRate) + 8;
    bufferL.assign (static_cast<std::size_t> (size), 0.0f);
    bufferR.assign (static_cast<std::size_t> (size), 0.0f);
    window = 0.05f * sampleRate;
    reset();
}

void PitchChorus::reset() noexcept
{
    std::fill (bufferL.begin(), bufferL.end(), 0.0f);
    std::fill (bufferR.begin(), bufferR.end(), 0.0f);
    writeIndex = 0;
    delay = 0.0f;
    feedbackL = 0.0f;
    feedbackR = 0.0f;
    lfoPhase = 0.0f;
    lfoCycles.reset();
    bendPhase = 0.0f;
    bendSmoothed = 0.0f;
}

void PitchChorus::setLfoPosition (std::int64_t wholeCycles, float phase) noexcept
{
    if (! std::isfinite (phase))
        return;
    lfoPhase = static_cast<float> (fracPositive (phase));
    lfoCycles.whole = std::max<std::int64_t> (wholeCycles, 0);
    lfoCycles.fraction = lfoPhase;
}

namespace
{
// Four-point cubic through ym1, y0, y1, y2 at fraction t past y0.
inline float cubic (const float* buffer, int im1, int i0, int i1, int i2, float t) noexcept
{
    const float ym1 = buffer[im1];
    const float y0 = buffer[i0];
    const float y1 = buffer[i1];
    const float y2 = buffer[i2];

    const float c1 = (y1 - ym1) * 0.5f;
    const float v = y0 - y1;
    const float u = c1 + v;
    const float c3 = u + v + (y2 - y0) * 0.5f;
    const float c2 = u + c3;
    return ((c3 * t - c2) * t + c1) * t + y0;
}
} // namespace

struct PitchChorus::ReadPoint
{
    int im1, i0, i1, i2;
    float t;
};

PitchChorus::ReadPoint PitchChorus::place (float distance) const noexcept
{
    float pos = static_cast<float> (writeIndex) - distance;
    if (pos < 0.0f)
        pos += static_cast<float> (size);

    const float fl = std::floor (pos);
    const float t = pos - fl;
    int i0 = static_cast<int> (fl);
    if (i0 >= size)
        i0 -= size;
    const int im1 = i0 == 0 ? size - 1 : i0 - 1;
    const int i1 = i0 + 1 >= size ? i0 + 1 - size : i0 + 1;
    const int i2 = i1 + 1 >= size ? i1 + 1 - size : i1 + 1;
    return { im1, i0, i1, i2, t };
}

void PitchChorus::readPair (const float* left, const float* right, float distance, float& outLeft,
                            float& outRight) const noexcept
{
    const auto p = place (distance);
    outLeft = cubic (left, p.im1, p.i0, p.i1, p.i2, p.t);
    outRight = cubic (right, p.im1, p.i0, p.i1, p.i2, p.t);
}

void PitchChorus::processStereo (float* left, float* right, int n, float bendPeriodMs) noexcept
{
    if (n <= 0 || size == 0)
        return;

    // Per-block copy of the controls, made safe: the rotation per sample
    // stays far below the window, so one wrap per sample keeps the delay in
    // range whatever the owner wrote.
    const float sr = sampleRate;
    const float wetMix = clampFinite (mix, 0.0f, 1.0f, 0.0f);
    const float rateHz = clampFinite (lfoRate, 0.0f, 0.25f * sr, 0.0f);
    const float depth = clampFinite (lfoDepth, 0.0f, 1.0f, 0.0f);
    const float scale = clampFinite (depthScale, 0.0f, 4.0f, 1.0f);
    const int shape = std::clamp (lfoShape, 0, 6);
    const bool randomShape = isRandomShape (shape);
    const float fbGain = clampFinite (regen, 0.0f, 100.0f, 0.0f) / 100.0f * clampFinite (regenScale, 0.0f, 1.0f, 0.0f);
    const bool synced = sync && std::isfinite (ppq) && std::isfinite (bpm);
    const double noteLength = NoteGrid::beatMultipliers[NoteGrid::clampIndex (noteIndex)];
    const double sampleRateD = sr;
    const double cycleStep = static_cast<double> (rateHz / sr);

    // Offsets that stay constant over the block, in samples of delay change per sample.
    const float dCents = std::exp2 (clampFinite (cents, -2400.0f, 2400.0f, 0.0f) / 1200.0f) - 1.0f;
    const float dTwist = twistLink ? std::exp2 ((clampFinite (twistAmount, -100.0f, 100.0f, 0.0f) / 100.0f)
                                                * clampFinite (twistCents, -2400.0f, 2400.0f, 0.0f) / 1200.0f)
                                         - 1.0f
                                   : 0.0f;
    const bool lfoActive = depth > 0.0f && ! bendOn;
    const float lfoCentsPerUnit = depth * 50.0f * scale;

    const bool bendActive = bendOn && std::isfinite (bendPeriodMs) && bendPeriodMs > 0.0f;
    const float bendSize = clampFinite (bendCents, 0.0f, 2400.0f, 0.0f);
    const float bendStep = bendActive ? 1.0f / std::max (0.001f * bendPeriodMs * sr, 1.0f) : 0.0f;
    const float bendCoeff = 1.0f - std::exp (-1.0f / (0.008f * sr));

    const float halfWindow = 0.5f * window;
    float* const bufL = bufferL.data();
    float* const bufR = bufferR.data();

    for (int i = 0; i < n; ++i)
    {
        bufL[writeIndex] = left[i] + feedbackL * fbGain;
        bufR[writeIndex] = right[i] + feedbackR * fbGain;

        // LFO
        float dLfo = 0.0f;
        double beats = 0.0;
        if (synced)
            beats = bpm / 60.0 * i / sampleRateD + ppq;

        if (lfoActive && (synced || rateHz > 0.0f))
        {
            float v = 0.0f;
            if (randomShape)
            {
                v = synced ? randomShapeValue (lfoSeed, shape, (beats - 4.0 * std::floor (beats / 4.0)) / noteLength)
                           : lfoCycles.value (lfoSeed, shape);
            }
            else
            {
                std::uint32_t seedRef = lfoSeed;
                v = LFO::value (lfoPhase, shape, seedRef);
            }
            dLfo = std::exp2 (lfoCentsPerUnit * v / 1200.0f) - 1.0f;
        }

        if (synced)
        {
            lfoPhase = static_cast<float> (fracPositive (beats / noteLength));
            if (lfoPhase >= 1.0f)
                lfoPhase -= 1.0f;
        }
        else
        {
            lfoPhase = LFO::advancePhase (lfoPhase, rateHz, sr);
            lfoCycles.advance (cycleStep);
        }

        // Length bend
        float dBend = 0.0f;
        if (bendActive)
        {
            bendPhase += bendStep;
            if (bendPhase >= 1.0f)
                bendPhase -= 1.0f;
            const float target = bendSize * (bendUp ? bendPhase : 1.0f - bendPhase);
            bendSmoothed += (target - bendSmoothed) * bendCoeff;
            dBend = std::exp2 (bendSmoothed / 1200.0f) - 1.0f;
        }

        // Rotation
        delay -= dCents + dLfo + dTwist + dBend;
        if (delay < 0.0f)
            delay += window;
        else if (delay >= window)
            delay -= window;

        float delay2 = delay + halfWindow;
        if (delay2 >= window)
            delay2 -= window;

        const float s = std::sin (pi * delay / window);
        const float gA = s * s;
        const float gB = 1.0f - gA;

        float aL = 0.0f, aR = 0.0f, bL = 0.0f, bR = 0.0f;
        readPair (bufL, bufR, delay, aL, aR);
        readPair (bufL, bufR, delay2, bL, bR);
        const float wetL = gA * aL + gB * bL;
        float wetR = gA * aR + gB * bR;
        feedbackL = wetL;
        feedbackR = wetR;

        if (wide)
            wetR = -wetR;

        left[i] = wetL * wetMix + (1.0f - wetMix) * left[i];
        right[i] = wetR * wetMix + (1.0f - wetMix) * right[i];

        if (++writeIndex >= size)
            writeIndex = 0;
    }
}
} // namespace dsp
