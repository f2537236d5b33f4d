#pragma once

#include <cstdint>

// The three LFO seeds that --seed N stands for. N is spread with SplitMix64,
// so neighbouring numbers give unrelated seeds and the same N always gives
// the same three.
struct LfoSeeds
{
    std::uint32_t trem = 0;
    std::uint32_t wave = 0;
    std::uint32_t pitch = 0;

    static LfoSeeds fromNumber (std::uint64_t n)
    {
        std::uint64_t state = n;
        const auto next = [&state] {
            state += 0x9E3779B97F4A7C15ull;
            std::uint64_t z = state;
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
            return static_cast<std::uint32_t> ((z ^ (z >> 31)) >> 32);
        };
        LfoSeeds seeds;
        seeds.trem = next();
        seeds.wave = next();
        seeds.pitch = next();
        return seeds;
    }
};
