#pragma once

#include <cmath>
#include <cstdint>

namespace dsp
{
// Shape index of the tremolo and pitch LFOs. The saws of these LFOs rise on
// SawUp and fall on SawDown.
enum class LfoShape : int
{
    Sine = 0,
    Triangle = 1,
    Square = 2,
    SawUp = 3,
    SawDown = 4,
    Random = 5,
    RandomSmooth = 6
};

constexpr int shapeIndex (LfoShape shape) noexcept
{
    return static_cast<int> (shape);
}

constexpr bool isRandomShape (int shape) noexcept
{
    return shape == shapeIndex (LfoShape::Random) || shape == shapeIndex (LfoShape::RandomSmooth);
}

// Stateless LFO helpers. Phase is measured in cycles and kept in [0, 1); the
// phase, the cycle count and the seed belong to the calling module.
struct LFO
{
    // The phase one sample later. One wrap in each direction only, so callers
    // keep |rateHz| below the sampling rate.
    static float advancePhase (float phase, float rateHz, float sampleRate) noexcept
    {
        float p = phase + rateHz / sampleRate;
        if (p >= 1.0f)
            p -= 1.0f;
        if (p < 0.0f)
            p += 1.0f;
        return p;
    }

    // Waveform value in [-1, 1] for shapes 0 to 4 at any real phase (only the
    // fractional part counts); 0 for the random shapes and unknown indices,
    // and for a non-finite phase. The random shapes come from randomStep; the
    // seed is taken for symmetry with them and is neither read nor changed.
    static float value (float phase, int shape, std::uint32_t& seed) noexcept;

    // Phase at which the waveform reaches its maximum; 0 for shapes other
    // than 0 to 4.
    static float peakPhase (int shape) noexcept;
};

// Value of step n of the random shapes for a seed: the 32-bit MurmurHash3
// finaliser of seed ^ (n * 0x9E3779B9), scaled to [-1, 1] (the float
// conversion rounds the top 128 hash values up to exactly 1). The step is
// taken modulo 2^32 (two's complement). Pure, so random modulation replays
// identically for the same seed and position.
inline float randomStep (std::uint32_t seed, std::int64_t step) noexcept
{
    std::uint32_t h = seed ^ (static_cast<std::uint32_t> (step) * 0x9E3779B9u);
    h ^= h >> 16;
    h *= 0x85EBCA6Bu;
    h ^= h >> 13;
    h *= 0xC2B2AE35u;
    h ^= h >> 16;
    return static_cast<float> (h) * (1.0f / 4294967296.0f) * 2.0f - 1.0f;
}

// Value of a random shape at whole step n and fraction t in [0, 1) of the
// way to step n + 1: Random holds r(n), RandomSmooth glides linearly from
// r(n) to r(n + 1).
inline float randomShapeValue (std::uint32_t seed, int shape, std::int64_t n, float t) noexcept
{
    const float r0 = randomStep (seed, n);
    if (shape != shapeIndex (LfoShape::RandomSmooth))
        return r0;
    const float r1 = randomStep (seed, n + 1);
    return r0 + (r1 - r0) * t;
}

// Same at a position x in steps; negative positions count as 0.
inline float randomShapeValue (std::uint32_t seed, int shape, double x) noexcept
{
    const double clamped = x > 0.0 ? x : 0.0;
    const double n = std::floor (clamped);
    return randomShapeValue (seed, shape, static_cast<std::int64_t> (n), static_cast<float> (clamped - n));
}

// Position of a free-running random LFO in cycles since reset, kept as a
// whole-cycle count plus a fraction so that it stays exact however long the
// LFO runs (a single float running total stops growing after a few minutes
// and freezes the random shapes).
struct CycleCounter
{
    std::int64_t whole = 0;
    double fraction = 0.0; // [0, 1)

    void reset() noexcept
    {
        whole = 0;
        fraction = 0.0;
    }

    // Adds a non-negative number of cycles.
    void advance (double cycles) noexcept
    {
        fraction += cycles;
        if (fraction >= 1.0)
        {
            const double w = std::floor (fraction);
            fraction -= w;
            whole += static_cast<std::int64_t> (w);
        }
    }

    double position() const noexcept { return static_cast<double> (whole) + fraction; }

    float value (std::uint32_t seed, int shape) const noexcept
    {
        return randomShapeValue (seed, shape, whole, static_cast<float> (fraction));
    }
};
} // namespace dsp
