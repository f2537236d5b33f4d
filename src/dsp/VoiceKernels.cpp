#include "dsp/VoiceKernels.h"

#include <cstddef>

// On x86-64 each loop is also built for AVX2 (without FMA, so no product is
// fused and every result stays the same), chosen once at load time.
#if defined(__x86_64__) && defined(__GNUC__) && ! defined(__clang__) && ! defined(__SANITIZE_THREAD__)
 #define TWIST_VECTOR_CLONES __attribute__ ((target_clones ("avx2", "default")))
#else
 #define TWIST_VECTOR_CLONES
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
        case 1: sumSteadyFixed<1> (reads, wet, n); break;
        case 2: sumSteadyFixed<2> (reads, wet, n); break;
        case 3: sumSteadyFixed<3> (reads, wet, n); break;
        case 4: sumSteadyFixed<4> (reads, wet, n); break;
        default: break;
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
} // namespace voicekernels
