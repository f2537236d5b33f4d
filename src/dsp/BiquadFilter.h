#pragma once

// One second-order filter section (transposed direct form II) with its own
// coefficients and state. A new section passes its input unchanged.
struct BiquadFilter
{
    enum class Type
    {
        HighPass = 0,
        LowPass = 1
    };

    // Feed-forward and feedback coefficients, already divided by a0.
    float b0 = 1.0f, b1 = 0.0f, b2 = 0.0f;
    float a1 = 0.0f, a2 = 0.0f;

    // Filter state.
    float z1 = 0.0f, z2 = 0.0f;

    // Computes the coefficients for a cutoff in Hz at the given sampling rate.
    // LowPass gives the low-pass form, anything else the high-pass form. A
    // cutoff below 5 Hz or above 0.48 of the sampling rate (or any non-finite
    // input) turns the section into a pass-through. The state is kept, so a
    // cutoff change does not click.
    void set (Type type, float cutoffHz, float sampleRate) noexcept;

    // Clears the state; the coefficients stay.
    void reset() noexcept
    {
        z1 = 0.0f;
        z2 = 0.0f;
    }

    float process (float x) noexcept
    {
        const float y = b0 * x + z1;
        z1 = b1 * x - a1 * y + z2;
        z2 = b2 * x - a2 * y;
        return y;
    }
};
