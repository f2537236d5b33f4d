#include "dsp/VoiceKernels.h"

#include "dsp/VectorClones.h"

#include <cstddef>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define TWIST_HAS_AVX2_KERNELS 1
#else
#define TWIST_HAS_AVX2_KERNELS 0
#endif

namespace voicekernels
{
namespace
{
template <std::size_t K>
inline void sumSteadyFixed (const SteadyRead* reads, float* wet, int n)
{
    const float* src[K];
    float wm1[K], w0[K], w1[K], w2[K], g[K], p[K];
    for (std::size_t j = 0; j < K; ++j)
    {
        src[j] = reads[j].src;
        wm1[j] = reads[j].weights.wm1;
        w0[j] = reads[j].weights.w0;
        w1[j] = reads[j].weights.w1;
        w2[j] = reads[j].weights.w2;
        g[j] = reads[j].gain;
        p[j] = reads[j].pan;
    }
    for (int i = 0; i < n; ++i)
    {
        float s = wet[i];
        for (std::size_t j = 0; j < K; ++j)
        {
            const float* q = src[j] + i;
            s += ((wm1[j] * q[0] + w0[j] * q[1] + w1[j] * q[2] + w2[j] * q[3]) * g[j]) * p[j];
        }
        wet[i] = s;
    }
}
} // namespace

TWIST_VECTOR_CLONES void sumSteady (const SteadyRead* reads, int count, float* wet, int n)
{
    switch (count)
    {
        case 1:
            sumSteadyFixed<1> (reads, wet, n);
            break;
        case 2:
            sumSteadyFixed<2> (reads, wet, n);
            break;
        case 3:
            sumSteadyFixed<3> (reads, wet, n);
            break;
        case 4:
            sumSteadyFixed<4> (reads, wet, n);
            break;
        default:
            break;
    }
}

TWIST_VECTOR_CLONES void interpolate (const float* src, const Weights& w, float* out, int n)
{
    const float wm1 = w.wm1, w0 = w.w0, w1 = w.w1, w2 = w.w2;
    for (int i = 0; i < n; ++i)
    {
        const float* q = src + i;
        out[i] = wm1 * q[0] + w0 * q[1] + w1 * q[2] + w2 * q[3];
    }
}

TWIST_VECTOR_CLONES void blend (float* a, const float* b, const float* t, int n)
{
    for (int i = 0; i < n; ++i)
        a[i] += (b[i] - a[i]) * t[i];
}

TWIST_VECTOR_CLONES void scale (float* x, float g, int n)
{
    for (int i = 0; i < n; ++i)
        x[i] *= g;
}

TWIST_VECTOR_CLONES void crossfadeAdd (const float* from, const Weights& wFrom, const float* to, const Weights& wTo,
                                       const float* t, int blended, float g, float pan, float* wet, int n)
{
    const float am1 = wFrom.wm1, a0 = wFrom.w0, a1 = wFrom.w1, a2 = wFrom.w2;
    const float bm1 = wTo.wm1, b0 = wTo.w0, b1 = wTo.w1, b2 = wTo.w2;
    const int split = blended < n ? blended : n;
    int i = 0;
    for (; i < split; ++i)
    {
        const float* p = from + i;
        const float* q = to + i;
        float a = am1 * p[0] + a0 * p[1] + a1 * p[2] + a2 * p[3];
        const float b = bm1 * q[0] + b0 * q[1] + b1 * q[2] + b2 * q[3];
        a += (b - a) * t[i];
        wet[i] += (a * g) * pan;
    }
    for (; i < n; ++i)
    {
        const float* q = to + i;
        const float b = bm1 * q[0] + b0 * q[1] + b1 * q[2] + b2 * q[3];
        wet[i] += (b * g) * pan;
    }
}

TWIST_VECTOR_CLONES void interpolateScaled (const float* src, const Weights& w, float g, float* out, int n)
{
    const float wm1 = w.wm1, w0 = w.w0, w1 = w.w1, w2 = w.w2;
    for (int i = 0; i < n; ++i)
    {
        const float* q = src + i;
        out[i] = (wm1 * q[0] + w0 * q[1] + w1 * q[2] + w2 * q[3]) * g;
    }
}

#if TWIST_HAS_AVX2_KERNELS
namespace
{
__attribute__ ((target ("avx2"))) inline void transpose8 (__m256 (&r)[8])
{
    const __m256 t0 = _mm256_unpacklo_ps (r[0], r[1]);
    const __m256 t1 = _mm256_unpackhi_ps (r[0], r[1]);
    const __m256 t2 = _mm256_unpacklo_ps (r[2], r[3]);
    const __m256 t3 = _mm256_unpackhi_ps (r[2], r[3]);
    const __m256 t4 = _mm256_unpacklo_ps (r[4], r[5]);
    const __m256 t5 = _mm256_unpackhi_ps (r[4], r[5]);
    const __m256 t6 = _mm256_unpacklo_ps (r[6], r[7]);
    const __m256 t7 = _mm256_unpackhi_ps (r[6], r[7]);
    const __m256 u0 = _mm256_shuffle_ps (t0, t2, 0x44);
    const __m256 u1 = _mm256_shuffle_ps (t0, t2, 0xEE);
    const __m256 u2 = _mm256_shuffle_ps (t1, t3, 0x44);
    const __m256 u3 = _mm256_shuffle_ps (t1, t3, 0xEE);
    const __m256 u4 = _mm256_shuffle_ps (t4, t6, 0x44);
    const __m256 u5 = _mm256_shuffle_ps (t4, t6, 0xEE);
    const __m256 u6 = _mm256_shuffle_ps (t5, t7, 0x44);
    const __m256 u7 = _mm256_shuffle_ps (t5, t7, 0xEE);
    r[0] = _mm256_permute2f128_ps (u0, u4, 0x20);
    r[1] = _mm256_permute2f128_ps (u1, u5, 0x20);
    r[2] = _mm256_permute2f128_ps (u2, u6, 0x20);
    r[3] = _mm256_permute2f128_ps (u3, u7, 0x20);
    r[4] = _mm256_permute2f128_ps (u0, u4, 0x31);
    r[5] = _mm256_permute2f128_ps (u1, u5, 0x31);
    r[6] = _mm256_permute2f128_ps (u2, u6, 0x31);
    r[7] = _mm256_permute2f128_ps (u3, u7, 0x31);
}

// Eight samples of eight voices of one channel, turned so that each vector
// holds one sample of every voice; filtered; turned back; summed in order.
__attribute__ ((target ("avx2"))) inline void darkenChunk (const float* const* x, int i, __m256& state, __m256 coeff,
                                                           __m256 gains, float* wet)
{
    __m256 r[darkLanes];
    for (int j = 0; j < darkLanes; ++j)
        r[j] = _mm256_loadu_ps (x[j] + i);
    transpose8 (r);
    for (auto& sample : r)
    {
        state = _mm256_add_ps (state, _mm256_mul_ps (_mm256_sub_ps (sample, state), coeff));
        sample = _mm256_mul_ps (state, gains);
    }
    transpose8 (r);
    __m256 sum = _mm256_loadu_ps (wet + i);
    for (const auto& voice : r)
        sum = _mm256_add_ps (sum, voice);
    _mm256_storeu_ps (wet + i, sum);
}

void darkenTail (const float* const* x, float* y, const float* a, const float* pan, float* wet, int from, int n)
{
    for (int i = from; i < n; ++i)
    {
        float sum = wet[i];
        for (std::size_t j = 0; j < static_cast<std::size_t> (darkLanes); ++j)
        {
            y[j] += (x[j][i] - y[j]) * a[j];
            sum += y[j] * pan[j];
        }
        wet[i] = sum;
    }
}

__attribute__ ((target ("avx2"))) void darkenEightAvx2 (const DarkChannel& left, const DarkChannel& right,
                                                        const float* a, int n)
{
    // The two channels' recursions are independent, so running them in one
    // loop lets each hide the other's latency.
    __m256 stateL = _mm256_loadu_ps (left.y);
    __m256 stateR = _mm256_loadu_ps (right.y);
    const __m256 coeff = _mm256_loadu_ps (a);
    const __m256 panL = _mm256_loadu_ps (left.pan);
    const __m256 panR = _mm256_loadu_ps (right.pan);
    int i = 0;
    for (; i + darkLanes <= n; i += darkLanes)
    {
        darkenChunk (left.x, i, stateL, coeff, panL, left.wet);
        darkenChunk (right.x, i, stateR, coeff, panR, right.wet);
    }
    _mm256_storeu_ps (left.y, stateL);
    _mm256_storeu_ps (right.y, stateR);
    darkenTail (left.x, left.y, a, left.pan, left.wet, i, n);
    darkenTail (right.x, right.y, a, right.pan, right.wet, i, n);
}

// Where a read of `delay` samples behind position x starts and its
// fraction, for four voices, as the voice bank's readPoint gives them: a
// delay that is not whole reads from ceil(delay) + 1 frames back at the
// fraction 1 - (delay - floor(delay)), which equals ceil(delay) - delay (both
// differences are exact). xMinusOne is x - 1. A start past the ring's end
// reads the copy of its first frames that follows it, so only starts before
// the ring's beginning wrap. near is 1 for a delay strictly between 0 and 1
// (a read whose last frame lies ahead of x) and 0 otherwise.
struct ReadQuad
{
    __m128i start;
    __m128 fraction;
    __m128 near;
};

// Without MayBeNear the caller knows every delay is at least one sample.
template <bool MayBeNear>
__attribute__ ((target ("avx2"))) inline ReadQuad readQuad (__m256d delay, __m128i xMinusOne, __m128i ring)
{
    const __m256d back = _mm256_round_pd (delay, _MM_FROUND_TO_POS_INF | _MM_FROUND_NO_EXC);
    __m128i start = _mm_sub_epi32 (xMinusOne, _mm256_cvttpd_epi32 (back));
    start = _mm_add_epi32 (start, _mm_and_si128 (_mm_cmpgt_epi32 (_mm_setzero_si128(), start), ring));
    if constexpr (! MayBeNear)
        return { start, _mm256_cvtpd_ps (_mm256_sub_pd (back, delay)), _mm_setzero_ps() };
    const __m256d near = _mm256_and_pd (_mm256_cmp_pd (delay, _mm256_setzero_pd(), _CMP_GT_OQ),
                                        _mm256_cmp_pd (delay, _mm256_set1_pd (1.0), _CMP_LT_OQ));
    return { start, _mm256_cvtpd_ps (_mm256_sub_pd (back, delay)),
             _mm256_cvtpd_ps (_mm256_and_pd (near, _mm256_set1_pd (1.0))) };
}

// The voice bank's leftDelay and rightDelay, with the operands of each
// minimum and maximum in the order that gives std::min and std::max.
__attribute__ ((target ("avx2"))) inline __m256d leftDelayOf (__m256d d, __m256d maxDelay)
{
    return _mm256_min_pd (maxDelay, _mm256_max_pd (_mm256_setzero_pd(), d));
}

__attribute__ ((target ("avx2"))) inline __m256d rightDelayOf (__m256d d, __m256d offset, __m256d maxDelay)
{
    return _mm256_min_pd (maxDelay, _mm256_sub_pd (d, _mm256_min_pd (offset, d)));
}

// Four consecutive frames of eight voices (two rows of four per vector,
// voices j and j + 4), turned so that frames[k] holds frame k of every voice.
__attribute__ ((target ("avx2"))) inline void transposeRows (const __m256 (&r)[4], __m256 (&frames)[4])
{
    const __m256 t0 = _mm256_unpacklo_ps (r[0], r[1]);
    const __m256 t1 = _mm256_unpackhi_ps (r[0], r[1]);
    const __m256 t2 = _mm256_unpacklo_ps (r[2], r[3]);
    const __m256 t3 = _mm256_unpackhi_ps (r[2], r[3]);
    frames[0] = _mm256_shuffle_ps (t0, t2, 0x44);
    frames[1] = _mm256_shuffle_ps (t0, t2, 0xEE);
    frames[2] = _mm256_shuffle_ps (t1, t3, 0x44);
    frames[3] = _mm256_shuffle_ps (t1, t3, 0xEE);
}

__attribute__ ((target ("avx2"))) inline void gatherFrames (const float* line, const unsigned* starts,
                                                            __m256 (&frames)[4])
{
    __m256 r[4];
    for (int j = 0; j < 4; ++j)
        r[j] = _mm256_set_m128 (_mm_loadu_ps (line + starts[j + 4]), _mm_loadu_ps (line + starts[j]));
    transposeRows (r, frames);
}

// The same frames of both channels' lines.
__attribute__ ((target ("avx2"))) inline void gatherFramesOfBoth (const float* left, const float* right,
                                                                  const unsigned* starts, __m256 (&framesL)[4],
                                                                  __m256 (&framesR)[4])
{
    __m256 l[4], r[4];
    for (int j = 0; j < 4; ++j)
    {
        const unsigned a = starts[j], b = starts[j + 4];
        l[j] = _mm256_set_m128 (_mm_loadu_ps (left + b), _mm_loadu_ps (left + a));
        r[j] = _mm256_set_m128 (_mm_loadu_ps (right + b), _mm_loadu_ps (right + a));
    }
    transposeRows (l, framesL);
    transposeRows (r, framesR);
}

// Catmull-Rom weights from the fraction, as voicekernels::Weights computes
// them.
struct LaneWeights
{
    __m256 wm1, w0, w1, w2;
};

__attribute__ ((target ("avx2"))) inline LaneWeights weightsOf (__m256 f)
{
    const __m256 half = _mm256_set1_ps (0.5f);
    const __m256 f2 = _mm256_mul_ps (f, f);
    const __m256 f3 = _mm256_mul_ps (f2, f);
    const __m256 wm1 =
        _mm256_sub_ps (_mm256_add_ps (_mm256_mul_ps (_mm256_set1_ps (-0.5f), f), f2), _mm256_mul_ps (half, f3));
    const __m256 w0 = _mm256_add_ps (_mm256_sub_ps (_mm256_set1_ps (1.0f), _mm256_mul_ps (_mm256_set1_ps (2.5f), f2)),
                                     _mm256_mul_ps (_mm256_set1_ps (1.5f), f3));
    const __m256 w1 = _mm256_sub_ps (_mm256_add_ps (_mm256_mul_ps (half, f), _mm256_mul_ps (_mm256_set1_ps (2.0f), f2)),
                                     _mm256_mul_ps (_mm256_set1_ps (1.5f), f3));
    const __m256 w2 = _mm256_add_ps (_mm256_mul_ps (_mm256_set1_ps (-0.5f), f2), _mm256_mul_ps (half, f3));
    return { wm1, w0, w1, w2 };
}

// The weights of eight reads from their quads: a read less than one sample
// behind x gives the weight of the frame after x (not recorded yet) to the
// newest frame, as the voice bank's weightsOf does.
template <bool MayBeNear>
__attribute__ ((target ("avx2"))) inline LaneWeights weightsOf (const ReadQuad& lo, const ReadQuad& hi)
{
    LaneWeights w = weightsOf (_mm256_set_m128 (hi.fraction, lo.fraction));
    if constexpr (! MayBeNear)
        return w;
    const __m256 near = _mm256_cmp_ps (_mm256_set_m128 (hi.near, lo.near), _mm256_setzero_ps(), _CMP_NEQ_OQ);
    w.w1 = _mm256_blendv_ps (w.w1, _mm256_add_ps (w.w1, w.w2), near);
    w.w2 = _mm256_blendv_ps (w.w2, _mm256_setzero_ps(), near);
    return w;
}

// The weighted read, in the order Weights::apply adds.
__attribute__ ((target ("avx2"))) inline __m256 applyWeights (const __m256 (&p)[4], const LaneWeights& w)
{
    __m256 v = _mm256_add_ps (_mm256_mul_ps (w.wm1, p[0]), _mm256_mul_ps (w.w0, p[1]));
    v = _mm256_add_ps (v, _mm256_mul_ps (w.w1, p[2]));
    return _mm256_add_ps (v, _mm256_mul_ps (w.w2, p[3]));
}

// Adds eight voices' contributions (stored sample by sample, one lane per
// voice) to the wet sum in lane order: eight samples at a time, turned so
// that each vector holds one voice's eight samples.
__attribute__ ((target ("avx2"))) void addLanesInOrder (const float* contributions, float* wet, int n)
{
    int i = 0;
    for (; i + glideLanes <= n; i += glideLanes)
    {
        __m256 r[glideLanes];
        for (int k = 0; k < glideLanes; ++k)
            r[k] = _mm256_loadu_ps (contributions + static_cast<std::size_t> (i + k) * glideLanes);
        transpose8 (r);
        __m256 sum = _mm256_loadu_ps (wet + i);
        for (const auto& voice : r)
            sum = _mm256_add_ps (sum, voice);
        _mm256_storeu_ps (wet + i, sum);
    }
    for (; i < n; ++i)
    {
        float sum = wet[i];
        for (int k = 0; k < glideLanes; ++k)
            sum += contributions[static_cast<std::size_t> (i) * glideLanes + static_cast<std::size_t> (k)];
        wet[i] = sum;
    }
}

// With SharedReads both channels read at the left channel's positions: the
// offsets are all zero, so the right positions come out the same.
// With Ramps the levels step toward their targets; without, they hold.
// Without WaveMoves every Wave offset already sits at its target: one step
// toward it changes nothing but the sign of a zero, which the end of the
// block settles.
// With Far every left read (and every shared one) stays at least one sample
// behind all block, so none needs the near-read weights.
template <bool SharedReads, bool Ramps, bool WaveMoves, bool Far>
__attribute__ ((target ("avx2"))) void glideEightAvx2 (GlideLanes& lanes, const GlideBlock& b, float* wetLeft,
                                                       float* wetRight, int n)
{
    // Delays in two groups of four double lanes, everything else in eight
    // float lanes.
    __m256d delayLo = _mm256_loadu_pd (lanes.delay);
    __m256d delayHi = _mm256_loadu_pd (lanes.delay + 4);
    const __m256d targetLo = _mm256_loadu_pd (lanes.target);
    const __m256d targetHi = _mm256_loadu_pd (lanes.target + 4);
    const __m256d glide = _mm256_set1_pd (b.glide);
    const __m256d zeroD = _mm256_setzero_pd();
    const __m256d maxDelay = _mm256_set1_pd (b.maxDelay);
    __m256 gain = _mm256_loadu_ps (lanes.gain);
    const __m256 gainTarget = _mm256_loadu_ps (lanes.gainTarget);
    const __m256 ramp = _mm256_set1_ps (b.ramp);
    __m256 wave = _mm256_loadu_ps (lanes.waveDiff);
    const __m256 waveTarget = _mm256_loadu_ps (lanes.waveDiffTarget);
    const __m256 glideF = _mm256_set1_ps (static_cast<float> (b.glide));
    const __m256 offsetScale = _mm256_set1_ps (b.offsetScale);
    __m256 wearL = _mm256_loadu_ps (lanes.wearLeft);
    __m256 wearR = _mm256_loadu_ps (lanes.wearRight);
    const __m256 wearCoeff = _mm256_loadu_ps (lanes.wearCoeff);
    const __m256 panL = _mm256_loadu_ps (lanes.panLeft);
    const __m256 panR = _mm256_loadu_ps (lanes.panRight);
    const __m128i ring = _mm_set1_epi32 (b.ringFrames);
    const float* const lineLeft = b.lineLeft;
    const float* const lineRight = b.lineRight;
    const bool dark = b.dark;
    __m128i xMinusOne = _mm_set1_epi32 (b.blockStart - 1);
    const __m128i one = _mm_set1_epi32 (1);

    // Right-channel offsets that hold still all block.
    __m256d stillOffsetLo = zeroD, stillOffsetHi = zeroD;
    if (! b.pingPong)
    {
        const __m256 offset = _mm256_mul_ps (wave, offsetScale);
        stillOffsetLo = _mm256_cvtps_pd (_mm256_castps256_ps128 (offset));
        stillOffsetHi = _mm256_cvtps_pd (_mm256_extractf128_ps (offset, 1));
    }

    float* const outL = b.scratch;
    float* const outR = b.scratch + static_cast<std::size_t> (glideLanes) * static_cast<std::size_t> (n);
    alignas (32) unsigned startsL[glideLanes];
    alignas (32) unsigned startsR[glideLanes];

    for (int i = 0; i < n; ++i)
    {
        if constexpr (Ramps)
        {
            // Level: one ramp step toward the target.
            const __m256 up = _mm256_min_ps (gainTarget, _mm256_add_ps (gain, ramp));
            const __m256 down = _mm256_max_ps (gainTarget, _mm256_sub_ps (gain, ramp));
            gain = _mm256_blendv_ps (gain, down, _mm256_cmp_ps (gain, gainTarget, _CMP_GT_OQ));
            gain = _mm256_blendv_ps (gain, up, _mm256_cmp_ps (gain, gainTarget, _CMP_LT_OQ));
        }

        delayLo = _mm256_add_pd (delayLo, _mm256_mul_pd (_mm256_sub_pd (targetLo, delayLo), glide));
        delayHi = _mm256_add_pd (delayHi, _mm256_mul_pd (_mm256_sub_pd (targetHi, delayHi), glide));
        if constexpr (WaveMoves)
            wave = _mm256_add_ps (wave, _mm256_mul_ps (_mm256_sub_ps (waveTarget, wave), glideF));

        // Left reads at the delay within 0 .. the longest read; right reads
        // the offset earlier, never ahead of the newest sample.
        const __m128i x = xMinusOne;
        xMinusOne = _mm_add_epi32 (xMinusOne, one);
        const ReadQuad lLo = readQuad<! Far> (leftDelayOf (delayLo, maxDelay), x, ring);
        const ReadQuad lHi = readQuad<! Far> (leftDelayOf (delayHi, maxDelay), x, ring);
        _mm_store_si128 (reinterpret_cast<__m128i*> (startsL), lLo.start);
        _mm_store_si128 (reinterpret_cast<__m128i*> (startsL + 4), lHi.start);
        const LaneWeights weightsL = weightsOf<! Far> (lLo, lHi);
        __m256 valueL, valueR;
        if constexpr (SharedReads)
        {
            __m256 framesL[4], framesR[4];
            gatherFramesOfBoth (lineLeft, lineRight, startsL, framesL, framesR);
            valueL = applyWeights (framesL, weightsL);
            valueR = applyWeights (framesR, weightsL);
        }
        else
        {
            __m256d offsetLo = stillOffsetLo, offsetHi = stillOffsetHi;
            if (WaveMoves && ! b.pingPong)
            {
                const __m256 offset = _mm256_mul_ps (wave, offsetScale);
                offsetLo = _mm256_cvtps_pd (_mm256_castps256_ps128 (offset));
                offsetHi = _mm256_cvtps_pd (_mm256_extractf128_ps (offset, 1));
            }
            const ReadQuad rLo = readQuad<true> (rightDelayOf (delayLo, offsetLo, maxDelay), x, ring);
            const ReadQuad rHi = readQuad<true> (rightDelayOf (delayHi, offsetHi, maxDelay), x, ring);
            _mm_store_si128 (reinterpret_cast<__m128i*> (startsR), rLo.start);
            _mm_store_si128 (reinterpret_cast<__m128i*> (startsR + 4), rHi.start);
            __m256 framesL[4], framesR[4];
            gatherFrames (lineLeft, startsL, framesL);
            gatherFrames (lineRight, startsR, framesR);
            valueL = applyWeights (framesL, weightsL);
            valueR = applyWeights (framesR, weightsOf<true> (rLo, rHi));
        }

        __m256 l = _mm256_mul_ps (valueL, gain);
        __m256 r = _mm256_mul_ps (valueR, gain);
        if (dark)
        {
            wearL = _mm256_add_ps (wearL, _mm256_mul_ps (_mm256_sub_ps (l, wearL), wearCoeff));
            wearR = _mm256_add_ps (wearR, _mm256_mul_ps (_mm256_sub_ps (r, wearR), wearCoeff));
            l = wearL;
            r = wearR;
        }
        _mm256_storeu_ps (outL + static_cast<std::size_t> (i) * glideLanes, _mm256_mul_ps (l, panL));
        _mm256_storeu_ps (outR + static_cast<std::size_t> (i) * glideLanes, _mm256_mul_ps (r, panR));
    }

    _mm256_storeu_pd (lanes.delay, delayLo);
    _mm256_storeu_pd (lanes.delay + 4, delayHi);
    _mm256_storeu_ps (lanes.gain, gain);
    if constexpr (! WaveMoves)
    {
        // x + 0 is x, and -0 + 0 is +0.
        if (n > 0)
            wave = _mm256_add_ps (wave, _mm256_setzero_ps());
    }
    _mm256_storeu_ps (lanes.waveDiff, wave);
    _mm256_storeu_ps (lanes.wearLeft, wearL);
    _mm256_storeu_ps (lanes.wearRight, wearR);

    addLanesInOrder (outL, wetLeft, n);
    addLanesInOrder (outR, wetRight, n);
}
} // namespace
#endif

bool hasLaneKernels()
{
#if TWIST_HAS_AVX2_KERNELS
    __builtin_cpu_init();
    return __builtin_cpu_supports ("avx2") != 0;
#else
    return false;
#endif
}

void darkenEight (const DarkChannel& left, const DarkChannel& right, const float* a, int n)
{
#if TWIST_HAS_AVX2_KERNELS
    darkenEightAvx2 (left, right, a, n);
#else
    (void) left, (void) right, (void) a, (void) n;
#endif
}

void glideEight (GlideLanes& lanes, const GlideBlock& block, float* wetLeft, float* wetRight, int n)
{
#if TWIST_HAS_AVX2_KERNELS
    // Without offsets (ping-pong, or every Wave offset at zero and staying
    // there) the right channel reads where the left one does.
    bool shared = block.pingPong;
    if (! shared)
    {
        shared = true;
        for (int j = 0; j < glideLanes; ++j)
            shared = shared && lanes.waveDiff[j] == 0.0f && lanes.waveDiffTarget[j] == 0.0f;
    }
    bool ramps = false, waveMoves = false;
    // Each step moves a delay a share of the way to its target, so it stays
    // between where it starts and the target, give or take a rounding far
    // smaller than the one-sample margin kept here.
    bool far = block.maxDelay >= 2.0;
    for (int j = 0; j < glideLanes; ++j)
    {
        ramps = ramps || lanes.gain[j] != lanes.gainTarget[j];
        waveMoves = waveMoves || lanes.waveDiff[j] != lanes.waveDiffTarget[j];
        far = far && lanes.delay[j] >= 2.0 && lanes.target[j] >= 2.0;
    }
    using Kernel = void (*) (GlideLanes&, const GlideBlock&, float*, float*, int);
    static constexpr Kernel kernels[2][2][2][2] = {
        { { { glideEightAvx2<false, false, false, false>, glideEightAvx2<false, false, false, true> },
            { glideEightAvx2<false, false, true, false>, glideEightAvx2<false, false, true, true> } },
          { { glideEightAvx2<false, true, false, false>, glideEightAvx2<false, true, false, true> },
            { glideEightAvx2<false, true, true, false>, glideEightAvx2<false, true, true, true> } } },
        { { { glideEightAvx2<true, false, false, false>, glideEightAvx2<true, false, false, true> },
            { glideEightAvx2<true, false, true, false>, glideEightAvx2<true, false, true, true> } },
          { { glideEightAvx2<true, true, false, false>, glideEightAvx2<true, true, false, true> },
            { glideEightAvx2<true, true, true, false>, glideEightAvx2<true, true, true, true> } } }
    };
    kernels[shared ? 1 : 0][ramps ? 1 : 0][waveMoves ? 1 : 0][far ? 1 : 0](lanes, block, wetLeft, wetRight, n);
#else
    (void) lanes, (void) block, (void) wetLeft, (void) wetRight, (void) n;
#endif
}
} // namespace voicekernels
