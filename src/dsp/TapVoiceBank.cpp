#include "dsp/TapVoiceBank.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr float silent = 0.00001f;
constexpr double twoPi = 6.283185307179586476925286766559;

// Four-point Catmull-Rom weights for a fraction f between the second and
// third of four consecutive frames.
struct Weights
{
    float wm1, w0, w1, w2;

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

// Where a read of `delay` samples behind ring position x starts (the frame
// before the interpolation interval) and its fraction. The fraction depends
// only on the delay, so a steady voice reads with the same weights on every
// sample.
struct ReadPoint
{
    int start;
    float fraction;
};

inline ReadPoint readPoint (int x, double delay, int ringFrames)
{
    const double whole = std::floor (delay);
    const double part = delay - whole;
    const int back = static_cast<int> (whole) + (part > 0.0 ? 1 : 0);
    int start = x - back - 1;
    if (start < 0)
        start += ringFrames;
    else if (start >= ringFrames)
        start -= ringFrames;
    return { start, part > 0.0 ? static_cast<float> (1.0 - part) : 0.0f };
}
} // namespace

void TapVoiceBank::prepare (double newSampleRate, int maxBlockSize)
{
    sampleRate = newSampleRate > 0.0 ? newSampleRate : 44100.0;
    maxBlock = std::max (1, maxBlockSize);
    frames = static_cast<int> (15.0 * sampleRate) + 1;

    // The ring holds 15 s plus one block more than that, so that a read of
    // the full 15 s (plus the interpolation's extra frame) never lands on a
    // frame this block has already overwritten.
    ringFrames = frames + maxBlock + 3;
    maxReadDelay = static_cast<double> (frames);
    guard = maxBlock + 4;

    lineLeft.assign (static_cast<std::size_t> (ringFrames + guard), 0.0f);
    lineRight.assign (static_cast<std::size_t> (ringFrames + guard), 0.0f);
    reset();
}

void TapVoiceBank::reset()
{
    std::fill (lineLeft.begin(), lineLeft.end(), 0.0f);
    std::fill (lineRight.begin(), lineRight.end(), 0.0f);
    writeIndex = 0;
    blockStart = 0;
    voices.fill (TapVoice {});
    crossfadeCursor = 0;
}

void TapVoiceBank::startFrom (const TapSet& taps)
{
    const double toSamples = sampleRate / 1000.0;
    for (int i = 0; i < numVoices; ++i)
    {
        auto& v = voices[static_cast<std::size_t> (i)];
        v = TapVoice {};
        if (i < taps.count)
        {
            const auto& tap = taps.taps[static_cast<std::size_t> (i)];
            const double d = static_cast<double> (tap.timeMs) * toSamples;
            v.active = true;
            v.targetDelay = v.readDelay = v.fadeDelay = d;
            v.gainTarget = v.gain = tap.gain;
            v.waveDiffTarget = v.waveDiff = tap.waveDiff;
        }
    }
}

void TapVoiceBank::update (const TapSet& taps, bool timingDirty, bool snapping)
{
    const double toSamples = sampleRate / 1000.0;
    for (int i = 0; i < numVoices; ++i)
    {
        auto& v = voices[static_cast<std::size_t> (i)];
        if (i >= taps.count)
        {
            v.gainTarget = 0.0f;
            continue;
        }

        const auto& tap = taps.taps[static_cast<std::size_t> (i)];
        v.gainTarget = tap.gain;
        v.waveDiffTarget = tap.waveDiff;
        const double d = static_cast<double> (tap.timeMs) * toSamples;

        if (! v.active)
        {
            v.active = true;
            v.targetDelay = v.readDelay = v.fadeDelay = d;
            v.gain = 0.0f;
            v.fadePos = 0.0f;
            v.fading = v.refadeQueued = v.fadeQueued = false;
            v.waveDiff = v.waveDiffTarget;
            v.wearLeft = v.wearRight = 0.0f;
        }
        else if (! snapping)
        {
            v.targetDelay = d;
            if (timingDirty)
            {
                if (v.fading)
                    v.refadeQueued = true;
                else
                    v.fadeQueued = true;
            }
        }
    }
}

int TapVoiceBank::getNumFading() const
{
    return static_cast<int> (std::count_if (voices.begin(), voices.end(), [] (const TapVoice& v) { return v.fading; }));
}

void TapVoiceBank::scheduleCrossfades()
{
    int fadingNow = getNumFading();
    if (fadingNow > maxCrossfades - 1)
        return;

    const int first = crossfadeCursor;
    for (int scanned = 0; scanned < numVoices && fadingNow < maxCrossfades; ++scanned)
    {
        const int i = (first + scanned) % numVoices;
        auto& v = voices[static_cast<std::size_t> (i)];
        if (v.active && v.fadeQueued && ! v.fading && v.gainTarget > silent)
        {
            v.fadeQueued = false;
            v.fadeDelay = v.targetDelay;
            v.fadePos = 0.0f;
            v.fading = true;
            ++fadingNow;
            crossfadeCursor = (i + 1) % numVoices;
        }
    }
}

void TapVoiceBank::write (const float* left, const float* right, int n)
{
    blockStart = writeIndex;
    for (int s = 0; s < n; ++s)
    {
        const auto w = static_cast<std::size_t> (writeIndex);
        lineLeft[w] = left[s];
        lineRight[w] = right[s];
        if (writeIndex < guard)
        {
            lineLeft[w + static_cast<std::size_t> (ringFrames)] = left[s];
            lineRight[w + static_cast<std::size_t> (ringFrames)] = right[s];
        }
        if (++writeIndex >= ringFrames)
            writeIndex = 0;
    }
}

void TapVoiceBank::render (const TapSet& taps, const RenderSettings& s, float* wetLeft, float* wetRight, int n)
{
    std::fill (wetLeft, wetLeft + n, 0.0f);
    std::fill (wetRight, wetRight + n, 0.0f);

    for (int t = 0; t < numVoices; ++t)
    {
        auto& v = voices[static_cast<std::size_t> (t)];
        if (v.active || v.gainTarget > silent)
            renderVoice (v, t, taps, s, wetLeft, wetRight, n);
    }
}

void TapVoiceBank::renderVoice (TapVoice& v, int index, const TapSet& taps, const RenderSettings& s, float* wetLeft,
                                float* wetRight, int n)
{
    const auto sr = static_cast<float> (sampleRate);
    const float ramp = 1.0f / (0.01f * sr);
    const double glide = 1.0 - std::exp (-1.0 / (0.02 * sampleRate));
    const auto glideF = static_cast<float> (glide);
    const float offsetScale = 5.0f * sr / 1000.0f;

    // Tape Wear: later taps are darker.
    float wearCoeff = 0.0f;
    const bool dark = s.wear && s.wearAmount > 0.0f;
    if (dark)
    {
        const int c = std::max (s.tapCount, 1);
        const float scale = c <= 31 ? 32.0f / static_cast<float> (c) : 1.0f;
        const float q = static_cast<float> (std::min (index, c - 1)) * scale;
        const float fc = std::max (20.0f, 20000.0f * std::pow (10.0f, -4.0f * (s.wearAmount / 100.0f) * q / 20.0f));
        wearCoeff = static_cast<float> (1.0 - std::exp (-twoPi * static_cast<double> (fc) / sampleRate));
    }

    // Ping-pong alternates taps between the sides, starting left.
    const float p = s.pingPongAmount / 100.0f;
    const bool even = (index % 2) == 0;
    const float panLeft = s.pingPong ? (even ? 1.0f : 1.0f - p) : 1.0f;
    const float panRight = s.pingPong ? (even ? 1.0f - p : 1.0f) : 1.0f;

    // Settle what is close enough at the block start.
    if (! v.fading && ! v.fadeQueued && std::fabs (v.targetDelay - v.readDelay) < 0.01)
        v.readDelay = v.targetDelay;
    if (std::fabs (v.waveDiffTarget - v.waveDiff) < 0.01f / offsetScale)
        v.waveDiff = v.waveDiffTarget;

    const bool jumpsHere = s.jumpIndex >= 0 && s.jumpIndex < n && index < s.tapCount;
    const float* const L = lineLeft.data();
    const float* const R = lineRight.data();

    const auto rightDelay = [&] (double d) {
        const double offset = s.pingPong ? 0.0 : static_cast<double> (v.waveDiff * offsetScale);
        return std::min (d - std::min (d, offset), maxReadDelay);
    };
    const auto leftDelay = [this] (double d) { return std::min (std::max (d, 0.0), maxReadDelay); };

    const bool steady = ! jumpsHere && ! v.fading && (v.fadeQueued || v.readDelay == v.targetDelay)
                        && v.waveDiff == v.waveDiffTarget;

    if (steady)
    {
        // The read positions cannot move in this block: one set of weights.
        const auto pl = readPoint (blockStart, leftDelay (v.readDelay), ringFrames);
        const auto pr = readPoint (blockStart, rightDelay (v.readDelay), ringFrames);
        const Weights wl (pl.fraction);
        const Weights wr (pr.fraction);
        const float* srcL = L + pl.start;
        const float* srcR = R + pr.start;

        if (v.gain == v.gainTarget && ! dark)
        {
            const float g = v.gain;
            if (g <= silent)
                v.active = false;
            for (int i = 0; i < n; ++i)
            {
                wetLeft[i] += (wl.apply (srcL + i) * g) * panLeft;
                wetRight[i] += (wr.apply (srcR + i) * g) * panRight;
            }
            if (! v.active)
                v.wearLeft = v.wearRight = 0.0f;
            return;
        }

        for (int i = 0; i < n; ++i)
        {
            if (v.gain < v.gainTarget)
                v.gain = std::min (v.gain + ramp, v.gainTarget);
            else if (v.gain > v.gainTarget)
                v.gain = std::max (v.gain - ramp, v.gainTarget);
            if (v.gain <= silent && v.gainTarget <= silent)
            {
                v.active = false;
                v.wearLeft = v.wearRight = 0.0f;
            }

            float outL = wl.apply (srcL + i) * v.gain;
            float outR = wr.apply (srcR + i) * v.gain;
            if (dark)
            {
                v.wearLeft += (outL - v.wearLeft) * wearCoeff;
                v.wearRight += (outR - v.wearRight) * wearCoeff;
                outL = v.wearLeft;
                outR = v.wearRight;
            }
            wetLeft[i] += outL * panLeft;
            wetRight[i] += outR * panRight;
        }
        return;
    }

    // General case: delays glide or crossfade, the Wave offset moves, or the
    // taps jump in this block.
    const double toSamples = sampleRate / 1000.0;
    for (int i = 0; i < n; ++i)
    {
        if (jumpsHere && i == s.jumpIndex)
        {
            const double d = static_cast<double> (taps.taps[static_cast<std::size_t> (index)].timeMs) * toSamples;
            v.targetDelay = v.readDelay = v.fadeDelay = d;
            v.fadePos = 0.0f;
            v.fading = v.refadeQueued = v.fadeQueued = false;
            v.wearLeft = v.wearRight = 0.0f;
        }

        if (v.gain < v.gainTarget)
            v.gain = std::min (v.gain + ramp, v.gainTarget);
        else if (v.gain > v.gainTarget)
            v.gain = std::max (v.gain - ramp, v.gainTarget);
        if (v.gain <= silent && v.gainTarget <= silent)
        {
            v.active = false;
            v.wearLeft = v.wearRight = 0.0f;
        }

        if (v.fading)
        {
            v.fadePos += ramp;
            if (v.fadePos >= 1.0f)
            {
                v.fadePos = 1.0f;
                v.readDelay = v.fadeDelay;
                v.fading = false;
                if (v.refadeQueued)
                {
                    v.refadeQueued = false;
                    v.fadeDelay = v.targetDelay;
                    v.fadePos = 0.0f;
                    v.fading = true;
                }
            }
        }
        else if (! v.fadeQueued)
        {
            v.readDelay += (v.targetDelay - v.readDelay) * glide;
        }

        v.waveDiff += (v.waveDiffTarget - v.waveDiff) * glideF;

        const int x = blockStart + i;
        const auto pl = readPoint (x, leftDelay (v.readDelay), ringFrames);
        const auto pr = readPoint (x, rightDelay (v.readDelay), ringFrames);
        float valueL = Weights (pl.fraction).apply (L + pl.start);
        float valueR = Weights (pr.fraction).apply (R + pr.start);

        if (v.fading)
        {
            const auto fl = readPoint (x, leftDelay (v.fadeDelay), ringFrames);
            const auto fr = readPoint (x, rightDelay (v.fadeDelay), ringFrames);
            const float secondL = Weights (fl.fraction).apply (L + fl.start);
            const float secondR = Weights (fr.fraction).apply (R + fr.start);
            valueL += (secondL - valueL) * v.fadePos;
            valueR += (secondR - valueR) * v.fadePos;
        }

        float outL = valueL * v.gain;
        float outR = valueR * v.gain;
        if (dark)
        {
            v.wearLeft += (outL - v.wearLeft) * wearCoeff;
            v.wearRight += (outR - v.wearRight) * wearCoeff;
            outL = v.wearLeft;
            outR = v.wearRight;
        }
        wetLeft[i] += outL * panLeft;
        wetRight[i] += outR * panRight;
    }
}
