#include "dsp/TapEngine.h"

#include "dsp/DspConstants.h"
#include "dsp/LFO.h"
#include "dsp/NoteGrid.h"
#include "dsp/ParamMapping.h"

#include <algorithm>
#include <cmath>

namespace
{
using dsp::twoPi;

// Taps are squeezed into the delay line: the window ends 1 ms before its end.
constexpr float lineLengthMs = dsp::lineMs;
} // namespace

namespace dsp
{
float decayAmplitudeModed (int index, int count, float curve, int mode, int steps)
{
    if (index <= 0)
        return 1.0f;

    const float q = static_cast<float> (index) / static_cast<float> (std::max (count, 2) - 1);
    const float k = curve / 140.0f;
    const float slope = k < 0.0f ? -25.0f : -14.0f;
    const float dbAtEnd = -(k * slope + 20.0f);
    const auto amplitude = [dbAtEnd] (float r) { return std::pow (10.0f, dbAtEnd * std::min (r, 1.0f) / 20.0f); };

    if (mode != 1 && mode != 2)
        return amplitude (q);

    const int s = std::max (steps, 1);
    const float sf = static_cast<float> (s);
    const int j = std::clamp (static_cast<int> (std::min (q, 0.9999f) * sf), 0, s - 1);
    const float level = amplitude ((static_cast<float> (j) + 0.5f) / sf);

    if (mode == 1)
        return level;

    // Mode 2 holds each step for 56 % of its length, then glides to the next.
    const float e = q * sf - static_cast<float> (j);
    if (e <= 0.56f)
        return level;

    const float t = (e - 0.56f) / 0.44f;
    const float next = amplitude ((static_cast<float> (std::min (j + 1, s - 1)) + 0.5f) / sf);
    return level + (next - level) * t * t * (3.0f - 2.0f * t);
}
} // namespace dsp

float TapEngine::densityComp (float localSpacing, float averageSpacing)
{
    return std::min (std::pow (std::max (1.0f, localSpacing) / std::max (1.0f, averageSpacing), 0.62f), 1.8f);
}

float TapEngine::lfoValue (float tMs, float rateHz, int shape, float depth, std::uint32_t seed, float phase0) const
{
    if (! (depth > 0.0f))
        return 0.0f;

    const double t = static_cast<double> (tMs) / 1000.0;
    double angle = std::fmod (static_cast<double> (phase0) * twoPi + static_cast<double> (rateHz) * twoPi * t, twoPi);
    if (angle < 0.0)
        angle += twoPi;
    const double u = angle / twoPi;
    const double z = std::max (0.0, t * static_cast<double> (rateHz) + static_cast<double> (phase0));

    double value = 0.0;
    switch (shape)
    {
        case 1:
            value = u < 0.5 ? 4.0 * u - 1.0 : 3.0 - 4.0 * u;
            break;
        case 2:
            value = u < 0.5 ? 1.0 : -1.0;
            break;
        case 3:
            value = 1.0 - 2.0 * u;
            break; // the Wave LFO's saw falls on 3
        case 4:
            value = 2.0 * u - 1.0;
            break; // and rises on 4
        case 5:
        case 6:
            value = dsp::randomShapeValue (seed, shape, z);
            break;
        case 7:
            value = 0.0;
            break;
        default:
            value = std::sin (angle);
            break;
    }
    return static_cast<float> (static_cast<double> (depth) / 100.0 * value);
}

namespace
{
// The growth factor of the gap rule: 0 when the sequence without growth
// already spans more than the shaped positions, else 30 bisection steps
// between 0 and 0.3 toward the factor whose span matches theirs.
//
// The steps run three at a time: the seven mids the next three steps may
// take are worked out as the steps would work them out and their spans
// built side by side in vector lanes, then the three steps pick their way
// through them. The first pass also builds the span without growth.
constexpr int growthLanes = 8;

// Four lanes of a vector (the width every x86-64 has); the search runs two.
using Quad = float __attribute__ ((vector_size (4 * sizeof (float))));

Quad quadOf (const float* values)
{
    return Quad { values[0], values[1], values[2], values[3] };
}

// Builds the spans of the eight growth factors c with `step` (one step of
// the sequence, for a value or a Quad) from the first value `start`.
template <typename Step>
void spansOf (const float (&c)[growthLanes], float (&span)[growthLanes], float start, const float* inputs, int n,
              Step step)
{
    const Quad lowGrowth = quadOf (c), highGrowth = quadOf (c + 4);
    Quad low = step (Quad {} + start, lowGrowth, inputs[0]);
    Quad high = step (Quad {} + start, highGrowth, inputs[0]);
    const Quad firstLow = low, firstHigh = high;
    for (int k = 1; k < n; ++k)
    {
        low = step (low, lowGrowth, inputs[k]);
        high = step (high, highGrowth, inputs[k]);
    }
    low -= firstLow;
    high -= firstHigh;
    for (int j = 0; j < 4; ++j)
    {
        span[j] = low[j];
        span[j + 4] = high[j];
    }
}

template <typename Spans>
float findGrowth (int n, float targetSpan, Spans spans)
{
    if (n < 2 || ! (targetSpan > 0.0f))
        return 0.0f;

    float low = 0.0f;
    float high = 0.3f;
    for (int pass = 0; pass < 10; ++pass)
    {
        const float m = (low + high) * 0.5f;
        const float mLow = (low + m) * 0.5f;
        const float mHigh = (m + high) * 0.5f;
        const float c[growthLanes] = {
            m, mLow, mHigh, (low + mLow) * 0.5f, (mLow + m) * 0.5f, (m + mHigh) * 0.5f, (mHigh + high) * 0.5f, 0.0f
        };
        float span[growthLanes];
        spans (c, span);
        if (pass == 0 && span[7] > targetSpan)
            return 0.0f;

        // Lane 0 is the first step's mid, lanes 1 and 2 the second step's
        // (below and above), lanes 3 to 6 the third step's.
        int second = 2;
        if (span[0] > targetSpan)
        {
            high = m;
            second = 1;
        }
        else
        {
            low = m;
        }
        int third = second == 1 ? 4 : 6;
        if (span[second] > targetSpan)
        {
            high = c[second];
            --third;
        }
        else
        {
            low = c[second];
        }
        if (span[third] > targetSpan)
            high = c[third];
        else
            low = c[third];
    }
    return low;
}
} // namespace

void TapEngine::applyGapRuleBackward (int n, float Z, float g)
{
    // Distances from the window end, ascending: Q_k = Z - A_(n-1-k).
    for (int k = 0; k < n; ++k)
        work[static_cast<std::size_t> (k)] = Z - shaped[static_cast<std::size_t> (n - 1 - k)];

    // max({ prev + max(c * prev, g), q, 0 }), as selects, for one value or
    // for vector lanes of them.
    const auto step = [g] (auto prev, auto c, float q) {
        const auto grown = c * prev;
        auto y = prev + (grown < g ? g : grown);
        y = y < q ? q : y;
        return y < 0.0f ? 0.0f : y;
    };
    const auto spans = [this, n, &step] (const float (&c)[growthLanes], float (&span)[growthLanes]) {
        spansOf (c, span, 0.0f, work.data(), n, step);
    };

    const float c = findGrowth (n, work[static_cast<std::size_t> (n - 1)] - work[0], spans);
    float prev = 0.0f;
    for (int k = 0; k < n; ++k)
    {
        prev = step (prev, c, work[static_cast<std::size_t> (k)]);
        times[static_cast<std::size_t> (k)] = prev;
    }

    // times now holds y_k; tap n-1-k sits at Z - y_k.
    for (int k = 0; k < n; ++k)
        work[static_cast<std::size_t> (k)] = times[static_cast<std::size_t> (k)];
    for (int k = 0; k < n; ++k)
        times[static_cast<std::size_t> (n - 1 - k)] = std::max (Z - work[static_cast<std::size_t> (k)], 0.0f);
}

void TapEngine::applyGapRuleForward (int n, float P, float g, bool anchorFirst)
{
    // max(max(a, prev + max((prev - P) * c, g)), 0), as selects, for one
    // value or for vector lanes of them.
    const auto step = [P, g] (auto prev, auto c, float a) {
        const auto grown = (prev - P) * c;
        const auto next = prev + (grown < g ? g : grown);
        const auto y = a < next ? next : a;
        return y < 0.0f ? 0.0f : y;
    };
    const auto firstStep = [P, anchorFirst, &step] (float c, float a) {
        return anchorFirst ? std::max (a, 0.0f) : step (P, c, a);
    };
    // The search runs only without the anchored first tap.
    const auto spans = [this, n, P, &step] (const float (&c)[growthLanes], float (&span)[growthLanes]) {
        spansOf (c, span, P, shaped.data(), n, step);
    };

    const float c = anchorFirst ? 0.0f : findGrowth (n, shaped[static_cast<std::size_t> (n - 1)] - shaped[0], spans);
    float prev = firstStep (c, shaped[0]);
    times[0] = prev;
    for (int k = 1; k < n; ++k)
    {
        prev = step (prev, c, shaped[static_cast<std::size_t> (k)]);
        times[static_cast<std::size_t> (k)] = prev;
    }
}

void TapEngine::compute (const ParamBlock& p, const float*, const float*, TapSet& out)
{
    out.count = 0;

    const float P = p.predelayMs;
    const float L = p.lengthMs;
    const float S = p.startMs;
    const float E = p.endMs;

    if (! (L > 0.0f))
        return;

    const int maxCount = std::min (p.tapCount, TapSet::maxTaps);
    if (maxCount <= 0)
        return;

    // 1. Layout.
    const float minSpacing = 4.0f * std::min (static_cast<float> (maxCount) / 64.0f, 1.0f);

    float rate = p.waveRateHz;
    float phase0 = 0.0f;
    if (p.waveSync)
    {
        const int k = mapping::syncedRateIndex (p.waveRateRaw);
        rate = p.bpm / 60.0f / NoteGrid::beatMultipliers[k];
        phase0 = dsp::LFO::peakPhase (p.waveShape);
    }
    const double a = static_cast<double> (p.wavePhaseDeg) * twoPi / 360.0;
    const double o = static_cast<double> (p.waveOffsetDeg) * twoPi / 360.0;
    const double radiansToMs = 1000.0 / (twoPi * static_cast<double> (rate));

    int n = 0;
    float F = P;
    const float windowEnd = P + L;
    while (true)
    {
        auto& tap = out.taps[static_cast<std::size_t> (n)];
        tap.timeMs = std::max (F, 0.0f);
        tap.gain = 0.0f;
        tap.waveDiff = 0.0f;
        ++n;

        const float u = std::clamp ((F - P) / std::max (1.0f, L), 0.0f, 1.0f);
        float d = std::max (S + (E - S) * u, minSpacing);

        if (p.waveOn)
        {
            const auto t1 = static_cast<float> (static_cast<double> (F) - a * radiansToMs);
            const auto t2 = static_cast<float> (static_cast<double> (F) + (o - a) * radiansToMs);
            const float w1 = lfoValue (t1, rate, p.waveShape, p.waveDepth, p.waveSeed, phase0);
            const float w2 = lfoValue (t2, rate, p.waveShape, p.waveDepth, p.waveSeed, phase0);
            tap.waveDiff = w2 - w1;
            d = std::max (d * (1.0f + w1), minSpacing);
        }

        F += d;
        if (! (F < windowEnd) || n >= maxCount)
            break;
    }

    // 2. Twist: shape the positions, then keep a minimum gap.
    const float x = std::clamp (p.twist / 100.0f, -1.0f, 1.0f);
    const float ax = std::fabs (x);
    const float exponent = 1.0f + 0.8f * ax + 3.6f * ax * ax;
    const float g = x == 0.0f ? 4.0f : std::max (0.15f, 4.0f - 3.6f * ax - 0.25f * ax * ax);
    const float W = std::min (lineLengthMs - P - 1.0f, L);

    for (int i = 0; i < n; ++i)
    {
        const auto idx = static_cast<std::size_t> (i);
        const float t = out.taps[idx].timeMs;
        unshaped[idx] = t;
        const float h = std::clamp ((t - P) / std::max (1.0f, L), 0.0f, 1.0f);
        shaped[idx] = x > 0.0f ? P + W * (1.0f - std::pow (1.0f - h, exponent)) : P + W * std::pow (h, exponent);
    }

    if (x > 0.0f)
        applyGapRuleBackward (n, P + W, g);
    else
        applyGapRuleForward (n, P, g, x == 0.0f);

    for (int i = 0; i < n; ++i)
        out.taps[static_cast<std::size_t> (i)].timeMs = times[static_cast<std::size_t> (i)];

    // 3. Reverse mirrors the window [P, P + W] onto [0, W].
    if (p.reverse)
    {
        const float mirror = W + P;
        for (int i = 0; i < n; ++i)
        {
            const auto idx = static_cast<std::size_t> (i);
            out.taps[idx].timeMs = mirror - out.taps[idx].timeMs;
            unshaped[idx] = mirror - unshaped[idx];
        }
    }

    // 4. Gains.
    const auto spacingAt = [this, &out, x] (int i) {
        const auto idx = static_cast<std::size_t> (i);
        return x != 0.0f ? unshaped[idx] : out.taps[idx].timeMs;
    };
    const float average = n >= 2 ? (spacingAt (n - 1) - spacingAt (0)) / static_cast<float> (n - 1) : S;
    const float fadeStart = p.decayFalloff > 0.0f ? 1.0f - std::min (p.decayFalloff, 100.0f) / 100.0f : 1.0f;
    const float G = n >= 2 ? static_cast<float> (n - 1) : 1.0f;

    for (int i = 0; i < n; ++i)
    {
        float v = dsp::decayAmplitudeModed (i, n, p.decayCurve, p.decayMode, p.decaySteps);

        const float pos = static_cast<float> (i) / G;
        if (fadeStart < 1.0f && pos > fadeStart)
        {
            const float fa = std::min ((pos - fadeStart) / (1.0f - fadeStart), 1.0f);
            const float shape = 1.0f - fa * fa;
            v *= shape * shape;
        }

        if (p.dynamicSmoothing && n >= 2)
        {
            const float local = i < n - 1 ? spacingAt (i + 1) - spacingAt (i) : spacingAt (i) - spacingAt (i - 1);
            v *= densityComp (local, average);
        }

        out.taps[static_cast<std::size_t> (i)].gain = std::clamp (v, 0.0f, 1.8f);
    }

    out.count = n;
}
