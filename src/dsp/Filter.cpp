#include "dsp/Filter.h"

#include <cmath>

void Filter::prepare (float newSampleRate) noexcept
{
    if (std::isfinite (newSampleRate) && newSampleRate > 0.0f)
        sampleRate = newSampleRate;
    reset();
}

void Filter::process (float* samples, int n) noexcept
{
    for (int i = 0; i < n; ++i)
        samples[i] = process (samples[i]);
}
