#pragma once

#include "dsp/ParamBlock.h"
#include "params/ParameterTable.h"

#include <array>
#include <atomic>
#include <cstdint>

namespace params
{
// The raw (denormalised) value of every parameter, in table order.
using RawValues = std::array<float, table.size()>;

// Reads every raw value; one that is not a finite number (from automation or
// typed text) reads as its parameter's default, so it never reaches the engine.
RawValues loadRawValues (const std::array<std::atomic<float>*, table.size()>& sources);

// What a block's record takes from outside the parameters.
struct BlockContext
{
    float bpm = 120.0f;
    int tapCount = 64;
    std::uint32_t waveSeed = 0x5EED0001u;
    std::uint32_t tremSeed = 0xC0DEFADEu;
    std::uint32_t pitchSeed = 0x27D4EB2Fu;
};

// The per-block record in its units (ms, Hz, dB, percent), as the parameters
// give it: Tap Flip is not applied here. The processor builds every block's
// record with it and the editor its display values.
ParamBlock makeParamBlock (const RawValues& raw, const BlockContext& context);
} // namespace params
