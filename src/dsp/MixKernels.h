#pragma once

#include <cstdint>

// The per-sample loops of the output stage. Like the voice loops, each gives
// the same results on every instruction set it is built for.
namespace mixkernels
{
// io[i] = (wet[i] * level * wetShare + io[i] * dryShare) * master, for a
// still snap level. Returns the bits of the largest |io[i]| written (the bits
// of non-negative floats order as their values do), or `peakBits` when that
// is larger.
std::uint32_t mixSteady (const float* wet, float level, float wetShare, float dryShare, float master, float* io, int n,
                         std::uint32_t peakBits);
} // namespace mixkernels
