#include "dsp/TapVoiceBank.h"

#include "dsp/DspConstants.h"
#include "dsp/VoiceKernels.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace
{
using voicekernels::Weights;

constexpr float silent = 0.00001f;
using dsp::twoPi;

// Where a read of `delay` samples behind ring position x starts (the frame
// before the interpolation interval) and its fraction. The fraction depends
// only on the delay, so a steady voice reads with the same weights on every
// sample.
struct ReadPoint
{
    int start;
    float fraction;
    bool withinOneSample; // 0 < delay < 1: the interval's last frame lies ahead of x
};

inline ReadPoint readPoint (int x, double delay, int ringFrames)
{
    // Delays are never negative here, so truncation is the floor.
    const int whole = static_cast<int> (delay);
    const double part = delay - static_cast<double> (whole);
    const int back = whole + (part > 0.0 ? 1 : 0);
    int start = x - back - 1;
    if (start < 0)
        start += ringFrames;
    else if (start >= ringFrames)
        start -= ringFrames;
    return { start, part > 0.0 ? static_cast<float> (1.0 - part) : 0.0f, whole == 0 && part > 0.0 };
}

// The interpolation weights of a read. A read less than one sample behind x
// would weigh the frame after x, which at the end of a block is not recorded
// yet (it still holds audio from 15 s ago): that point takes the newest
// frame's value instead, for every sample alike, so the read never reaches
// ahead of the newest sample and sounds the same whatever the block size.
inline Weights weightsOf (const ReadPoint& p)
{
    Weights w (p.fraction);
    if (p.withinOneSample)
    {
        w.w1 += w.w2;
        w.w2 = 0.0f;
    }
    return w;
}
// A Wave offset that has arrived, or is so close to its target that a glide
// step rounds to nothing, holds still as long as its target does.
inline bool waveHoldsStill (const TapVoice& v, float glide)
{
    return v.waveDiff == v.waveDiffTarget || v.waveDiff + (v.waveDiffTarget - v.waveDiff) * glide == v.waveDiff;
}

// One step of a voice's gain ramp; true once the voice has gone quiet.
inline bool stepGain (TapVoice& v, float ramp)
{
    if (v.gain < v.gainTarget)
        v.gain = std::min (v.gain + ramp, v.gainTarget);
    else if (v.gain > v.gainTarget)
        v.gain = std::max (v.gain - ramp, v.gainTarget);
    return v.gain <= silent && v.gainTarget <= silent;
}

// A crossfade has reached its new delay; a target that moved meanwhile
// starts the next one at once.
inline void completeCrossfade (TapVoice& v)
{
    v.readDelay = v.fadeDelay;
    v.fading = false;
    if (v.refadeQueued)
    {
        v.refadeQueued = false;
        v.fadeDelay = v.targetDelay;
        v.fadeStep = 0;
        v.fading = true;
    }
}

// One read of the line, remembered while its delay stays the same: the frame
// advances with the sample and the weights are reused.
struct CachedRead
{
    double delay = -1.0;
    const float* base = nullptr; // frames of sample `at`
    int at = 0;
    Weights weights { 0.0f };

    float read (const float* line, int blockStart, int ringFrames, double d, int i)
    {
        if (d != delay)
        {
            const auto p = readPoint (blockStart + i, d, ringFrames);
            delay = d;
            base = line + p.start;
            at = i;
            weights = weightsOf (p);
        }
        return weights.apply (base + (i - at));
    }

    // The same read position in the other channel's line.
    float alsoRead (const float* line, const float* otherLine, int i) const
    {
        return weights.apply (otherLine + (base - line) + (i - at));
    }
};
} // namespace

void TapVoiceBank::prepare (double newSampleRate, int maxBlockSize)
{
    sampleRate = newSampleRate > 0.0 ? newSampleRate : 44100.0;
    maxBlock = std::max (1, maxBlockSize);
    frames = static_cast<int> (dsp::lineSeconds * sampleRate) + 1;

    // The ring holds 15 s plus one block more than that, so that a read of
    // the full 15 s (plus the interpolation's extra frame) never lands on a
    // frame this block has already overwritten.
    ringFrames = frames + maxBlock + 3;
    maxReadDelay = static_cast<double> (frames);
    glideCoeff = 1.0 - std::exp (-1.0 / (0.02 * sampleRate));

    // The fade position steps by the ramp each sample until it reaches 1.
    const float ramp = 1.0f / (0.01f * static_cast<float> (sampleRate));
    fadeCurve.assign (1, 0.0f);
    for (float fp = ramp; fp < 1.0f; fp += ramp)
        fadeCurve.push_back (fp);
    fadeCurve.push_back (1.0f);
    fadeLength = static_cast<int> (fadeCurve.size()) - 1;
    wearTapCount = -1;
    guard = maxBlock + 4;
    vectorDarkening = vectorGlides = voicekernels::hasLaneKernels();

    lineLeft.assign (static_cast<std::size_t> (ringFrames + guard), 0.0f);
    lineRight.assign (static_cast<std::size_t> (ringFrames + guard), 0.0f);
    const int chunks = (ringFrames + quietChunkFrames - 1) / quietChunkFrames;
    soundingChunks.assign (static_cast<std::size_t> ((chunks + 63) / 64), 0u);
    scratchLeft.assign (static_cast<std::size_t> (maxBlock), 0.0f);
    scratchRight.assign (static_cast<std::size_t> (maxBlock), 0.0f);
    for (auto& b : darkScratch)
        b.assign (static_cast<std::size_t> (maxBlock), 0.0f);
    silence.assign (static_cast<std::size_t> (maxBlock), 0.0f);
    glideScratch.assign (static_cast<std::size_t> (2 * voicekernels::glideLanes * maxBlock), 0.0f);
    reset();
}

void TapVoiceBank::reset()
{
    std::fill (lineLeft.begin(), lineLeft.end(), 0.0f);
    std::fill (lineRight.begin(), lineRight.end(), 0.0f);
    std::fill (soundingChunks.begin(), soundingChunks.end(), 0u);
    soundingChunkCount = 0;
    chunkBeingWrittenSounds = false;
    restingOnSilence = false;
    writeIndex = 0;
    blockStart = 0;
    voices.fill (TapVoice {});
    crossfadeCursor = 0;
    crossfadesQueued = false;
}

void TapVoiceBank::startFrom (const TapSet& taps)
{
    restingOnSilence = false;
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
    restingOnSilence = false;
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
            // A silent tap's voice stays asleep, as it would only go quiet
            // again, but keeps its place.
            if (! (tap.gain > silent))
            {
                v.targetDelay = v.readDelay = v.fadeDelay = d;
                continue;
            }
            v.active = true;
            v.targetDelay = v.readDelay = v.fadeDelay = d;
            v.gain = 0.0f;
            v.fadeStep = 0;
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
                {
                    v.fadeQueued = true;
                    crossfadesQueued = true;
                }
            }
        }
    }
}

void TapVoiceBank::setVectorKernels (bool on)
{
    vectorDarkening = vectorGlides = on && voicekernels::hasLaneKernels();
}

void TapVoiceBank::setSkipsSilence (bool on)
{
    skipsSilence = on;
    restingOnSilence = false;
}

int TapVoiceBank::getNumFading() const
{
    return static_cast<int> (std::count_if (voices.begin(), voices.end(), [] (const TapVoice& v) { return v.fading; }));
}

void TapVoiceBank::scheduleCrossfades()
{
    // Nothing to start unless a voice waits for a crossfade.
    if (! crossfadesQueued)
        return;
    crossfadesQueued = std::any_of (voices.begin(), voices.end(), [] (const TapVoice& v) { return v.fadeQueued; });
    if (! crossfadesQueued)
        return;

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
            v.fadeStep = 0;
            v.fading = true;
            ++fadingNow;
            crossfadeCursor = (i + 1) % numVoices;
        }
    }
}

namespace
{
// Whether any of n samples of either channel is other than zero (of either
// sign), without a branch per sample.
bool anySound (const float* left, const float* right, int n)
{
    std::uint32_t found = 0;
    for (int i = 0; i < n; ++i)
    {
        std::uint32_t l = 0, r = 0;
        std::memcpy (&l, left + i, sizeof l);
        std::memcpy (&r, right + i, sizeof r);
        found |= (l | r) & 0x7fffffffu;
    }
    return found != 0;
}
} // namespace

void TapVoiceBank::markWritten (const float* left, const float* right, int at, int count)
{
    while (count > 0)
    {
        const int chunk = at / quietChunkFrames;
        const int chunkStart = chunk * quietChunkFrames;
        const int chunkEnd = std::min (chunkStart + quietChunkFrames, ringFrames);
        const int part = std::min (count, chunkEnd - at);
        chunkBeingWrittenSounds = (at == chunkStart ? false : chunkBeingWrittenSounds) || anySound (left, right, part);

        auto& word = soundingChunks[static_cast<std::size_t> (chunk / 64)];
        const std::uint64_t bit = std::uint64_t { 1 } << (chunk % 64);
        const bool was = (word & bit) != 0;
        bool sounds = was || chunkBeingWrittenSounds;
        if (at + part == chunkEnd)
            sounds = chunkBeingWrittenSounds; // written through: only the new frames count
        if (sounds != was)
        {
            word ^= bit;
            soundingChunkCount += sounds ? 1 : -1;
        }

        left += part;
        right += part;
        at += part;
        count -= part;
    }
}

bool TapVoiceBank::readsOnlySilence (int start, float fraction, int n) const
{
    if (soundingChunkCount == 0)
        return true;

    // A read at fraction 0 weighs only its second frame; others weigh all
    // four: frames start .. start + n + 2, the last ones possibly in the copy
    // after the ring's end, which mirrors its first frames. (A frame weighed
    // by 0 adds 0, the line holding only finite numbers.)
    const int first = fraction == 0.0f ? start + 1 : start;
    const int end = fraction == 0.0f ? start + n + 1 : start + n + 3;
    const auto quiet = [this] (int from, int last) {
        const int c0 = from / quietChunkFrames;
        const int c1 = last / quietChunkFrames;
        for (int w = c0 / 64; w <= c1 / 64; ++w)
        {
            std::uint64_t mask = ~std::uint64_t { 0 };
            if (w == c0 / 64)
                mask &= ~std::uint64_t { 0 } << (c0 % 64);
            if (w == c1 / 64 && c1 % 64 != 63)
                mask &= (std::uint64_t { 1 } << (c1 % 64 + 1)) - 1;
            if ((soundingChunks[static_cast<std::size_t> (w)] & mask) != 0)
                return false;
        }
        return true;
    };
    if (end <= ringFrames)
        return quiet (first, end - 1);
    if (first >= ringFrames)
        return quiet (first - ringFrames, end - 1 - ringFrames);
    return quiet (first, ringFrames - 1) && quiet (0, end - ringFrames - 1);
}

void TapVoiceBank::passSilently (TapVoice& v, const VoiceSetup& u, int n)
{
    // The level steps and the points of going quiet of interpolateSteady.
    if (v.gain == v.gainTarget)
    {
        if (v.gain <= silent)
            v.active = false;
    }
    else
    {
        int i = 0;
        for (; i < n && v.gain != v.gainTarget; ++i)
            if (stepGain (v, u.ramp))
                v.active = false;
        if (i < n && v.gain <= silent && v.gainTarget <= silent)
            v.active = false;
    }
    if (! v.active)
        v.wearLeft = v.wearRight = 0.0f;
}

void TapVoiceBank::write (const float* left, const float* right, int n)
{
    // In runs up to the end of the ring; the first frames are also copied
    // after its end.
    blockStart = writeIndex;

    // Silence onto a silent line changes nothing a read can tell.
    if (skipsSilence && soundingChunkCount == 0 && ! anySound (left, right, n))
    {
        writeIndex = (writeIndex + n) % ringFrames;
        return;
    }

    for (int done = 0; done < n;)
    {
        const int run = std::min (n - done, ringFrames - writeIndex);
        const auto at = static_cast<std::size_t> (writeIndex);
        std::copy (left + done, left + done + run, lineLeft.begin() + static_cast<std::ptrdiff_t> (at));
        std::copy (right + done, right + done + run, lineRight.begin() + static_cast<std::ptrdiff_t> (at));
        if (writeIndex < guard)
        {
            const int copied = std::min (run, guard - writeIndex);
            const auto mirror = static_cast<std::ptrdiff_t> (at) + ringFrames;
            std::copy (left + done, left + done + copied, lineLeft.begin() + mirror);
            std::copy (right + done, right + done + copied, lineRight.begin() + mirror);
        }
        markWritten (left + done, right + done, writeIndex, run);
        writeIndex += run;
        if (writeIndex >= ringFrames)
            writeIndex = 0;
        done += run;
    }
}

TapVoiceBank::VoiceSetup TapVoiceBank::setUpBlock (const RenderSettings& s) const
{
    VoiceSetup u;
    const auto sr = static_cast<float> (sampleRate);
    u.ramp = 1.0f / (0.01f * sr);
    u.glide = glideCoeff;
    u.offsetScale = 5.0f * sr / 1000.0f;
    u.dark = s.wear && s.wearAmount > 0.0f;
    return u;
}

TapVoiceBank::VoiceSetup TapVoiceBank::setUpVoice (const VoiceSetup& block, TapVoice& v, int index,
                                                   const RenderSettings& s, int n) const
{
    VoiceSetup u = block;

    // Tape Wear: later taps are darker.
    if (u.dark)
        u.wearCoeff = wearCoeffs[static_cast<std::size_t> (index)];

    // Ping-pong alternates taps between the sides, starting left.
    const float p = s.pingPongAmount / 100.0f;
    const bool even = (index % 2) == 0;
    u.panLeft = s.pingPong ? (even ? 1.0f : 1.0f - p) : 1.0f;
    u.panRight = s.pingPong ? (even ? 1.0f - p : 1.0f) : 1.0f;

    // Settle what is close enough at the block start.
    if (! v.fading && ! v.fadeQueued && std::fabs (v.targetDelay - v.readDelay) < 0.01)
        v.readDelay = v.targetDelay;
    if (std::fabs (v.waveDiffTarget - v.waveDiff) < 0.01f / u.offsetScale)
        v.waveDiff = v.waveDiffTarget;

    u.jumps = s.jumpIndex >= 0 && s.jumpIndex < n && index < s.tapCount;
    u.offset = s.pingPong ? 0.0 : static_cast<double> (v.waveDiff * u.offsetScale);
    u.waveStill = waveHoldsStill (v, static_cast<float> (u.glide));
    u.steady = ! u.jumps && ! v.fading && (v.fadeQueued || v.readDelay == v.targetDelay) && u.waveStill;
    return u;
}

int TapVoiceBank::interpolateSteady (TapVoice& v, const VoiceSetup& u, float* tl, float* tr, int n)
{
    const auto pl = readPoint (blockStart, leftDelay (v.readDelay), ringFrames);
    const auto pr = readPoint (blockStart, rightDelay (v.readDelay, u.offset), ringFrames);
    if (v.gain == v.gainTarget)
    {
        voicekernels::interpolateScaled (lineLeft.data() + pl.start, weightsOf (pl), v.gain, tl, n);
        voicekernels::interpolateScaled (lineRight.data() + pr.start, weightsOf (pr), v.gain, tr, n);
        if (v.gain <= silent)
        {
            v.active = false;
            return 0;
        }
        return n;
    }
    voicekernels::interpolate (lineLeft.data() + pl.start, weightsOf (pl), tl, n);
    voicekernels::interpolate (lineRight.data() + pr.start, weightsOf (pr), tr, n);
    return applyGain (v, u, tl, tr, n);
}

int TapVoiceBank::applyGain (TapVoice& v, const VoiceSetup& u, float* tl, float* tr, int n)
{
    // The gain ramps sample by sample only until it meets its target; from
    // there on it is one constant factor.
    int quietFrom = n;
    int i = 0;
    for (; i < n && v.gain != v.gainTarget; ++i)
    {
        if (stepGain (v, u.ramp) && quietFrom == n)
        {
            v.active = false;
            quietFrom = i;
        }
        tl[i] *= v.gain;
        tr[i] *= v.gain;
    }
    if (i < n)
    {
        if (v.gain <= silent && v.gainTarget <= silent && quietFrom == n)
        {
            v.active = false;
            quietFrom = i;
        }
        voicekernels::scale (tl + i, v.gain, n - i);
        voicekernels::scale (tr + i, v.gain, n - i);
    }
    return quietFrom;
}

void TapVoiceBank::flushDarkGroup (float* wetLeft, float* wetRight, int n)
{
    // The one-pole darkening filters of up to eight voices run side by side,
    // so their recursions overlap instead of waiting on one another. Each
    // sample still adds the voices in index order.
    const int k = darkGroupSize;
    if (k == 0)
        return;

    float yl[maxDarkGroup], yr[maxDarkGroup], a[maxDarkGroup], pl[maxDarkGroup], pr[maxDarkGroup];
    const float* tl[maxDarkGroup];
    const float* tr[maxDarkGroup];
    bool anyQuiet = false;
    for (int j = 0; j < k; ++j)
    {
        const auto& g = darkGroup[j];
        yl[j] = g.voice->wearLeft;
        yr[j] = g.voice->wearRight;
        a[j] = g.coeff;
        pl[j] = g.panLeft;
        pr[j] = g.panRight;
        tl[j] = darkScratch[static_cast<std::size_t> (j)].data();
        tr[j] = darkScratch[static_cast<std::size_t> (maxDarkGroup + j)].data();
        anyQuiet = anyQuiet || g.quietFrom < n;
    }

    if (! anyQuiet && vectorDarkening)
    {
        // A group short of eight fills its spare lanes with silent voices:
        // no input, no pan, so they add exact zeros after the real ones.
        for (int j = k; j < maxDarkGroup; ++j)
        {
            yl[j] = yr[j] = a[j] = pl[j] = pr[j] = 0.0f;
            tl[j] = tr[j] = silence.data();
        }
        voicekernels::darkenEight ({ tl, yl, pl, wetLeft }, { tr, yr, pr, wetRight }, a, n);
    }
    else
    {
        for (int i = 0; i < n; ++i)
        {
            float sumL = wetLeft[i];
            float sumR = wetRight[i];
            for (int j = 0; j < k; ++j)
            {
                if (i >= darkGroup[j].quietFrom)
                    yl[j] = yr[j] = 0.0f; // a silent voice keeps no filter memory
                yl[j] += (tl[j][i] - yl[j]) * a[j];
                yr[j] += (tr[j][i] - yr[j]) * a[j];
                sumL += yl[j] * pl[j];
                sumR += yr[j] * pr[j];
            }
            wetLeft[i] = sumL;
            wetRight[i] = sumR;
        }
    }

    for (int j = 0; j < k; ++j)
    {
        darkGroup[j].voice->wearLeft = yl[j];
        darkGroup[j].voice->wearRight = yr[j];
    }
    darkGroupSize = 0;
}

void TapVoiceBank::updateWearCoefficients (int tapCount, float wearAmount)
{
    if (tapCount == wearTapCount && wearAmount == wearAmountInUse)
        return;
    wearTapCount = tapCount;
    wearAmountInUse = wearAmount;

    const int c = std::max (tapCount, 1);
    const float scale = c <= 31 ? 32.0f / static_cast<float> (c) : 1.0f;
    for (int index = 0; index < numVoices; ++index)
    {
        const float q = static_cast<float> (std::min (index, c - 1)) * scale;
        const float fc = std::max (20.0f, 20000.0f * std::pow (10.0f, -4.0f * (wearAmount / 100.0f) * q / 20.0f));
        wearCoeffs[static_cast<std::size_t> (index)] =
            static_cast<float> (1.0 - std::exp (-twoPi * static_cast<double> (fc) / sampleRate));
    }
}

bool TapVoiceBank::render (const TapSet& taps, const RenderSettings& s, float* wetLeft, float* wetRight, int n)
{
    std::fill (wetLeft, wetLeft + n, 0.0f);
    std::fill (wetRight, wetRight + n, 0.0f);

    // Voices that rested on silence last block, with nothing changed since
    // and the whole line still silent, would rest again: nothing to do.
    const bool dark = s.wear && s.wearAmount > 0.0f;
    const bool jumpInBlock = s.jumpIndex >= 0 && s.jumpIndex < n;
    if (skipsSilence && restingOnSilence && soundingChunkCount == 0 && ! jumpInBlock && dark == restedDark
        && s.pingPong == restedPingPong)
        return false;
    restedDark = dark;
    restedPingPong = s.pingPong;
    bool resting = true;

    bool sounded = false;
    darkGroupSize = 0;
    steadyGroupSize = 0;
    glideGroupSize = 0;
    if (s.wear && s.wearAmount > 0.0f)
        updateWearCoefficients (s.tapCount, s.wearAmount);
    const VoiceSetup blockSetup = setUpBlock (s);

    for (int t = 0; t < numVoices; ++t)
    {
        auto& v = voices[static_cast<std::size_t> (t)];
        if (! v.active && ! (v.gainTarget > silent))
            continue;

        const bool settled = v.readDelay == v.targetDelay && waveHoldsStill (v, static_cast<float> (blockSetup.glide));
        const auto u = setUpVoice (blockSetup, v, t, s, n);

        // A still voice whose reads find only zeros adds only zeros. (Not a
        // darkened one: its filter may still ring.)
        if (skipsSilence && u.steady && ! u.dark
            && readsOnlySilence (readPoint (blockStart, leftDelay (v.readDelay), ringFrames), n)
            && readsOnlySilence (readPoint (blockStart, rightDelay (v.readDelay, u.offset), ringFrames), n))
        {
            // It rests when this block left it exactly as it found it.
            resting = resting && settled && ! v.fadeQueued && v.gain == v.gainTarget && v.gain > silent;
            passSilently (v, u, n);
            continue;
        }
        sounded = true;
        resting = false;

        if (u.steady && u.dark)
        {
            flushSteadyGroup (wetLeft, wetRight, n);
            flushGlideGroup (blockSetup, s, wetLeft, wetRight, n);
            const int j = darkGroupSize;
            auto& g = darkGroup[j];
            g.voice = &v;
            g.coeff = u.wearCoeff;
            g.panLeft = u.panLeft;
            g.panRight = u.panRight;
            g.quietFrom = interpolateSteady (v, u, darkScratch[static_cast<std::size_t> (j)].data(),
                                             darkScratch[static_cast<std::size_t> (maxDarkGroup + j)].data(), n);
            if (++darkGroupSize == maxDarkGroup)
                flushDarkGroup (wetLeft, wetRight, n);
            continue;
        }

        if (u.steady && v.gain == v.gainTarget && v.gain > silent)
        {
            // The common case: a still voice at a steady level. Up to four
            // are read and summed in one vector loop.
            flushDarkGroup (wetLeft, wetRight, n);
            flushGlideGroup (blockSetup, s, wetLeft, wetRight, n);
            const auto pl = readPoint (blockStart, leftDelay (v.readDelay), ringFrames);
            const auto pr = readPoint (blockStart, rightDelay (v.readDelay, u.offset), ringFrames);
            const int j = steadyGroupSize;
            steadyLeft[j] = { lineLeft.data() + pl.start, weightsOf (pl), v.gain, u.panLeft };
            steadyRight[j] = { lineRight.data() + pr.start, weightsOf (pr), v.gain, u.panRight };
            if (++steadyGroupSize == voicekernels::maxSteadyGroup)
                flushSteadyGroup (wetLeft, wetRight, n);
            continue;
        }

        if (vectorGlides && ! u.steady && ! u.jumps && ! v.fading && ! v.fadeQueued && v.gainTarget > silent)
        {
            // A voice gliding all through the block at a level that stays
            // above silence: up to eight run side by side.
            flushDarkGroup (wetLeft, wetRight, n);
            flushSteadyGroup (wetLeft, wetRight, n);
            glideGroup[glideGroupSize] = { &v, u.wearCoeff, u.panLeft, u.panRight };
            if (++glideGroupSize == voicekernels::glideLanes)
                flushGlideGroup (blockSetup, s, wetLeft, wetRight, n);
            continue;
        }

        flushDarkGroup (wetLeft, wetRight, n);
        flushSteadyGroup (wetLeft, wetRight, n);
        flushGlideGroup (blockSetup, s, wetLeft, wetRight, n);

        if (u.steady)
        {
            addSteady (v, u, u.offset, wetLeft, wetRight, n, 0);
            if (! v.active)
                v.wearLeft = v.wearRight = 0.0f;
            continue;
        }

        int from = 0;
        if (v.fading && ! u.jumps && u.waveStill)
            from = renderCrossfade (v, u, wetLeft, wetRight, n);
        if (from > 0 && from < n && settledAfterCrossfade (v, u))
            renderSteadyRest (v, u, s, wetLeft, wetRight, n, from);
        else if (from < n)
            renderMoving (v, t, u, taps, s, wetLeft, wetRight, n, from);
    }

    flushDarkGroup (wetLeft, wetRight, n);
    flushSteadyGroup (wetLeft, wetRight, n);
    flushGlideGroup (blockSetup, s, wetLeft, wetRight, n);
    restingOnSilence = resting && soundingChunkCount == 0;
    return sounded;
}

void TapVoiceBank::flushGlideGroup (const VoiceSetup& u, const RenderSettings& s, float* wetLeft, float* wetRight,
                                    int n)
{
    const int k = glideGroupSize;
    if (k == 0)
        return;
    glideGroupSize = 0;

    // Spare lanes read the newest frame at no level and no pan: they add
    // exact zeros.
    voicekernels::GlideLanes lanes {};
    for (int j = 0; j < voicekernels::glideLanes; ++j)
    {
        const auto lane = static_cast<std::size_t> (j);
        if (j >= k)
            continue;
        const auto& g = glideGroup[lane];
        const TapVoice& v = *g.voice;
        lanes.delay[lane] = v.readDelay;
        lanes.target[lane] = v.targetDelay;
        lanes.gain[lane] = v.gain;
        lanes.gainTarget[lane] = v.gainTarget;
        lanes.waveDiff[lane] = v.waveDiff;
        lanes.waveDiffTarget[lane] = v.waveDiffTarget;
        lanes.wearLeft[lane] = v.wearLeft;
        lanes.wearRight[lane] = v.wearRight;
        lanes.wearCoeff[lane] = g.wearCoeff;
        lanes.panLeft[lane] = g.panLeft;
        lanes.panRight[lane] = g.panRight;
    }

    voicekernels::GlideBlock block;
    block.lineLeft = lineLeft.data();
    block.lineRight = lineRight.data();
    block.ringFrames = ringFrames;
    block.blockStart = blockStart;
    block.glide = u.glide;
    block.ramp = u.ramp;
    block.offsetScale = u.offsetScale;
    block.maxDelay = maxReadDelay;
    block.pingPong = s.pingPong;
    block.dark = u.dark;
    block.scratch = glideScratch.data();
    voicekernels::glideEight (lanes, block, wetLeft, wetRight, n);

    for (int j = 0; j < k; ++j)
    {
        const auto lane = static_cast<std::size_t> (j);
        TapVoice& v = *glideGroup[lane].voice;
        v.readDelay = lanes.delay[lane];
        v.gain = lanes.gain[lane];
        v.waveDiff = lanes.waveDiff[lane];
        if (u.dark)
        {
            v.wearLeft = lanes.wearLeft[lane];
            v.wearRight = lanes.wearRight[lane];
        }
    }
}

void TapVoiceBank::flushSteadyGroup (float* wetLeft, float* wetRight, int n)
{
    if (steadyGroupSize == 0)
        return;
    voicekernels::sumSteady (steadyLeft, steadyGroupSize, wetLeft, n);
    voicekernels::sumSteady (steadyRight, steadyGroupSize, wetRight, n);
    steadyGroupSize = 0;
}

int TapVoiceBank::renderCrossfade (TapVoice& v, const VoiceSetup& u, float* wetLeft, float* wetRight, int n)
{
    // Both delays of a running crossfade hold still until it completes, so
    // the two reads are interpolated as vector loops and then blended along
    // the fade curve. Covers the samples up to and including the one where
    // the crossfade completes.
    const float* const fadePos = fadeCurve.data() + v.fadeStep + 1;
    const int remaining = fadeLength - v.fadeStep;
    const bool completes = remaining <= n;
    const int count = completes ? remaining : n;
    const int last = count - 1;
    // On the completing sample the voice already reads the new delay.
    const int blended = completes ? last : count;

    const auto pl = readPoint (blockStart, leftDelay (v.readDelay), ringFrames);
    const auto pr = readPoint (blockStart, rightDelay (v.readDelay, u.offset), ringFrames);
    const auto fl = readPoint (blockStart, leftDelay (v.fadeDelay), ringFrames);
    const auto fr = readPoint (blockStart, rightDelay (v.fadeDelay, u.offset), ringFrames);
    const float* const fromL = lineLeft.data() + pl.start;
    const float* const fromR = lineRight.data() + pr.start;
    const float* const toL = lineLeft.data() + fl.start;
    const float* const toR = lineRight.data() + fr.start;
    const auto wFromL = weightsOf (pl), wFromR = weightsOf (pr), wToL = weightsOf (fl), wToR = weightsOf (fr);

    if (! u.dark)
    {
        // Read, blend and add in one pass per channel; while the level still
        // ramps, sample by sample.
        int i = 0;
        for (; i < count && v.gain != v.gainTarget; ++i)
        {
            float valueL = wFromL.apply (fromL + i);
            float valueR = wFromR.apply (fromR + i);
            const float secondL = wToL.apply (toL + i);
            const float secondR = wToR.apply (toR + i);
            if (i < blended)
            {
                valueL += (secondL - valueL) * fadePos[i];
                valueR += (secondR - valueR) * fadePos[i];
            }
            else
            {
                valueL = secondL;
                valueR = secondR;
            }
            addCrossfadeSample (v, u, valueL, valueR, wetLeft[i], wetRight[i]);
        }
        if (i < count)
        {
            if (v.gain <= silent && v.gainTarget <= silent)
            {
                v.active = false;
                v.wearLeft = v.wearRight = 0.0f;
            }
            voicekernels::crossfadeAdd (fromL + i, wFromL, toL + i, wToL, fadePos + i, blended - i, v.gain, u.panLeft,
                                        wetLeft + i, count - i);
            voicekernels::crossfadeAdd (fromR + i, wFromR, toR + i, wToR, fadePos + i, blended - i, v.gain, u.panRight,
                                        wetRight + i, count - i);
        }
        v.fadeStep += count;
        if (completes)
            completeCrossfade (v);
        return count;
    }

    float* const mainL = scratchLeft.data();
    float* const mainR = scratchRight.data();
    float* const otherL = darkScratch[0].data();
    float* const otherR = darkScratch[1].data();
    voicekernels::interpolate (fromL, wFromL, mainL, count);
    voicekernels::interpolate (fromR, wFromR, mainR, count);
    voicekernels::interpolate (toL, wToL, otherL, count);
    voicekernels::interpolate (toR, wToR, otherR, count);
    voicekernels::blend (mainL, otherL, fadePos, blended);
    voicekernels::blend (mainR, otherR, fadePos, blended);
    if (completes)
    {
        mainL[last] = otherL[last];
        mainR[last] = otherR[last];
    }

    // Darkened: the wear filter runs sample by sample.
    for (int i = 0; i < count; ++i)
        addCrossfadeSample (v, u, mainL[i], mainR[i], wetLeft[i], wetRight[i]);

    v.fadeStep += count;
    if (completes)
        completeCrossfade (v);
    return count;
}

bool TapVoiceBank::settledAfterCrossfade (const TapVoice& v, const VoiceSetup& u)
{
    return ! v.fading && ! u.jumps && ! u.dark && u.waveStill && v.gain == v.gainTarget
           && (v.fadeQueued || v.readDelay == v.targetDelay);
}

void TapVoiceBank::renderSteadyRest (TapVoice& v, const VoiceSetup& u, const RenderSettings& s, float* wetLeft,
                                     float* wetRight, int n, int from)
{
    // renderMoving's steps change nothing here but the sign of a zero: one
    // step leaves what any number of them would.
    if (! v.fadeQueued)
        v.readDelay += (v.targetDelay - v.readDelay) * u.glide;
    v.waveDiff += (v.waveDiffTarget - v.waveDiff) * static_cast<float> (u.glide);
    if (stepGain (v, u.ramp))
    {
        v.active = false;
        v.wearLeft = v.wearRight = 0.0f;
    }

    const double offset = s.pingPong ? 0.0 : static_cast<double> (v.waveDiff * u.offsetScale);
    addSteady (v, u, offset, wetLeft, wetRight, n, from);
}

void TapVoiceBank::addSteady (TapVoice& v, const VoiceSetup& u, double offset, float* wetLeft, float* wetRight, int n,
                              int from)
{
    const auto pl = readPoint (blockStart + from, leftDelay (v.readDelay), ringFrames);
    const auto pr = readPoint (blockStart + from, rightDelay (v.readDelay, offset), ringFrames);
    voicekernels::SteadyRead left { lineLeft.data() + pl.start, weightsOf (pl), v.gain, u.panLeft };
    voicekernels::SteadyRead right { lineRight.data() + pr.start, weightsOf (pr), v.gain, u.panRight };

    int i = from;
    for (; i < n && v.gain != v.gainTarget; ++i)
    {
        if (stepGain (v, u.ramp))
            v.active = false;
        wetLeft[i] += (left.weights.apply (left.src + (i - from)) * v.gain) * u.panLeft;
        wetRight[i] += (right.weights.apply (right.src + (i - from)) * v.gain) * u.panRight;
    }
    if (i == n)
        return;
    if (v.gain <= silent && v.gainTarget <= silent)
        v.active = false;
    left.src += i - from;
    right.src += i - from;
    left.gain = right.gain = v.gain;
    voicekernels::sumSteady (&left, 1, wetLeft + i, n - i);
    voicekernels::sumSteady (&right, 1, wetRight + i, n - i);
}

void TapVoiceBank::addCrossfadeSample (TapVoice& v, const VoiceSetup& u, float valueL, float valueR, float& wetL,
                                       float& wetR)
{
    const bool quiet = stepGain (v, u.ramp);
    float outL = valueL * v.gain;
    float outR = valueR * v.gain;
    if (quiet)
    {
        v.active = false;
        v.wearLeft = v.wearRight = 0.0f;
    }
    if (u.dark)
    {
        v.wearLeft += (outL - v.wearLeft) * u.wearCoeff;
        v.wearRight += (outR - v.wearRight) * u.wearCoeff;
        outL = v.wearLeft;
        outR = v.wearRight;
    }
    wetL += outL * u.panLeft;
    wetR += outR * u.panRight;
}

void TapVoiceBank::renderMoving (TapVoice& voice, int index, const VoiceSetup& u, const TapSet& taps,
                                 const RenderSettings& s, float* wetLeft, float* wetRight, int n, int from)
{
    // The voice is worked on as a local copy: stores to the wet buffers
    // cannot touch it, so its fields stay in registers.
    TapVoice v = voice;
    // Delays glide or crossfade, the Wave offset moves, or the taps jump in
    // this block. Reads whose delay has not changed since the last sample
    // reuse their weights.
    const float* const L = lineLeft.data();
    const float* const R = lineRight.data();
    const auto glideF = static_cast<float> (u.glide);
    const double toSamples = sampleRate / 1000.0;
    CachedRead mainL, mainR, fadeL, fadeR;

    for (int i = from; i < n; ++i)
    {
        if (u.jumps && i == s.jumpIndex)
        {
            const double d = static_cast<double> (taps.taps[static_cast<std::size_t> (index)].timeMs) * toSamples;
            v.targetDelay = v.readDelay = v.fadeDelay = d;
            v.fadeStep = 0;
            v.fading = v.refadeQueued = v.fadeQueued = false;
            v.wearLeft = v.wearRight = 0.0f;
        }

        if (stepGain (v, u.ramp))
        {
            v.active = false;
            v.wearLeft = v.wearRight = 0.0f;
        }

        if (v.fading)
        {
            if (++v.fadeStep >= fadeLength)
                completeCrossfade (v);
        }
        else if (! v.fadeQueued)
        {
            v.readDelay += (v.targetDelay - v.readDelay) * u.glide;
        }

        v.waveDiff += (v.waveDiffTarget - v.waveDiff) * glideF;
        const double offset = s.pingPong ? 0.0 : static_cast<double> (v.waveDiff * u.offsetScale);

        // Without a right-channel offset both channels read at one position.
        const double dl = leftDelay (v.readDelay);
        const double dr = rightDelay (v.readDelay, offset);
        float valueL = mainL.read (L, blockStart, ringFrames, dl, i);
        float valueR = dr == dl ? mainL.alsoRead (L, R, i) : mainR.read (R, blockStart, ringFrames, dr, i);

        if (v.fading)
        {
            const double fl = leftDelay (v.fadeDelay);
            const double fr = rightDelay (v.fadeDelay, offset);
            const float secondL = fadeL.read (L, blockStart, ringFrames, fl, i);
            const float secondR = fr == fl ? fadeL.alsoRead (L, R, i) : fadeR.read (R, blockStart, ringFrames, fr, i);
            const float fadePos = fadeCurve[static_cast<std::size_t> (v.fadeStep)];
            valueL += (secondL - valueL) * fadePos;
            valueR += (secondR - valueR) * fadePos;
        }

        float outL = valueL * v.gain;
        float outR = valueR * v.gain;
        if (u.dark)
        {
            v.wearLeft += (outL - v.wearLeft) * u.wearCoeff;
            v.wearRight += (outR - v.wearRight) * u.wearCoeff;
            outL = v.wearLeft;
            outR = v.wearRight;
        }
        wetLeft[i] += outL * u.panLeft;
        wetRight[i] += outR * u.panRight;
    }
    voice = v;
}
