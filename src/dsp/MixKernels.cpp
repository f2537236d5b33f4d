#include "dsp/MixKernels.h"

#include "dsp/VectorClones.h"

#include <algorithm>
#include <cstring>

namespace mixkernels
{
TWIST_VECTOR_CLONES std::uint32_t mixSteady (const float* wet, float level, float wetShare, float dryShare,
                                             float master, float* io, int n, std::uint32_t peakBits)
{
    for (int i = 0; i < n; ++i)
    {
        const float out = (wet[i] * level * wetShare + io[i] * dryShare) * master;
        io[i] = out;
        std::uint32_t bits = 0;
        std::memcpy (&bits, &out, sizeof bits);
        peakBits = std::max (peakBits, bits & 0x7fffffffu);
    }
    return peakBits;
}
} // namespace mixkernels
