#include "dsp/PitchChorus.h"

#include "dsp/DspConstants.h"
#include "dsp/NoteGrid.h"

#include <algorithm>
#include <cmath>

namespace dsp
{
namespace
{
constexpr auto piF = static_cast<float> (dsp::pi);

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

// One four-point read `distance` samples behind the write position, from
// each channel's buffer, placed once.
inline void readPair (const float* left, const float* right, int writeIndex, int size, float distance, float& outLeft,
                      float& outRight) noexcept
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
    outLeft = cubic (left, im1, i0, i1, i2, t);
    outRight = cubic (right, im1, i0, i1, i2, t);
}
} // namespace

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
    const float windowLength = window;
    const int length = size;
    float* const bufL = bufferL.data();
    float* const bufR = bufferR.data();

    // The running state lives in locals for the loop, so that the calls in
    // it do not force it through memory.
    int write = writeIndex;
    float d = delay;
    float fbL = feedbackL, fbR = feedbackR;
    float phase = lfoPhase;
    CycleCounter cycles = lfoCycles;
    float bPhase = bendPhase, bSmoothed = bendSmoothed;

    for (int i = 0; i < n; ++i)
    {
        bufL[write] = left[i] + fbL * fbGain;
        bufR[write] = right[i] + fbR * fbGain;

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
                           : cycles.value (lfoSeed, shape);
            }
            else
            {
                std::uint32_t seedRef = lfoSeed;
                v = LFO::value (phase, shape, seedRef);
            }
            dLfo = std::exp2 (lfoCentsPerUnit * v / 1200.0f) - 1.0f;
        }

        if (synced)
        {
            phase = static_cast<float> (fracPositive (beats / noteLength));
            if (phase >= 1.0f)
                phase -= 1.0f;
        }
        else
        {
            phase = LFO::advancePhase (phase, rateHz, sr);
            cycles.advance (cycleStep);
        }

        // Length bend
        float dBend = 0.0f;
        if (bendActive)
        {
            bPhase += bendStep;
            if (bPhase >= 1.0f)
                bPhase -= 1.0f;
            const float target = bendSize * (bendUp ? bPhase : 1.0f - bPhase);
            bSmoothed += (target - bSmoothed) * bendCoeff;
            dBend = std::exp2 (bSmoothed / 1200.0f) - 1.0f;
        }

        // Rotation
        d -= dCents + dLfo + dTwist + dBend;
        if (d < 0.0f)
            d += windowLength;
        else if (d >= windowLength)
            d -= windowLength;

        float delay2 = d + halfWindow;
        if (delay2 >= windowLength)
            delay2 -= windowLength;

        const float s = std::sin (piF * d / windowLength);
        const float gA = s * s;
        const float gB = 1.0f - gA;

        float aL = 0.0f, aR = 0.0f, bL = 0.0f, bR = 0.0f;
        readPair (bufL, bufR, write, length, d, aL, aR);
        readPair (bufL, bufR, write, length, delay2, bL, bR);
        const float wetL = gA * aL + gB * bL;
        float wetR = gA * aR + gB * bR;
        fbL = wetL;
        fbR = wetR;

        if (wide)
            wetR = -wetR;

        left[i] = wetL * wetMix + (1.0f - wetMix) * left[i];
        right[i] = wetR * wetMix + (1.0f - wetMix) * right[i];

        if (++write >= length)
            write = 0;
    }

    writeIndex = write;
    delay = d;
    feedbackL = fbL;
    feedbackR = fbR;
    lfoPhase = phase;
    lfoCycles = cycles;
    bendPhase = bPhase;
    bendSmoothed = bSmoothed;
}
} // namespace dsp
