#pragma once

#include <cmath>

// The pseudo-random texture of the animated overlays, in single precision:
// the same inputs always give the same picture.
namespace hudnoise
{
inline float fract (float u)
{
    return u - std::floor (u);
}

// A value in [0, 1) for any v.
inline float hash (float v)
{
    return fract (std::sin (v * 127.1f + 31.7f) * 43758.546875f);
}

inline float smooth (float f)
{
    return f * f * (3.0f - 2.0f * f);
}

// Value noise in [0, 1) along t, with the seed offset k.
inline float noise (float t, float k)
{
    const float i = std::floor (t);
    const float a = hash (i + k);
    const float b = hash (i + 1.0f + k);
    return a + (b - a) * smooth (t - i);
}

// The same noise repeating every 9 units of t.
inline float noise9 (float t, float k)
{
    auto wrap = [] (float n) {
        const float m = std::fmod (n, 9.0f);
        return m < 0.0f ? m + 9.0f : m;
    };
    const float i = std::floor (t);
    const float a = hash (wrap (i) + k);
    const float b = hash (wrap (i + 1.0f) + k);
    return a + (b - a) * smooth (t - i);
}
} // namespace hudnoise
