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

TWIST_VECTOR_CLONES void addScaled (const float* x, float g, float pan, float* wet, int n)
{
    for (int i = 0; i < n; ++i)
        wet[i] += (x[i] * g) * pan;
}

TWIST_VECTOR_CLONES void addPanned (const float* x, float pan, float* wet, int n)
{
    for (int i = 0; i < n; ++i)
        wet[i] += x[i] * pan;
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
} // namespace
#endif

bool hasDarkenEight()
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
} // namespace voicekernels
