#include "dsp/Filter.h"

#include "dsp/VectorClones.h"

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

TWIST_VECTOR_CLONES void Filter::processPair (Filter& left, Filter& right, float* leftSamples, float* rightSamples,
                                              int n) noexcept
{
    // Local copies: the stores to the samples cannot touch them, so the
    // states stay in registers (all of them where the machine has AVX-512's
    // thirty-two).
    Filter l = left;
    Filter r = right;
    for (int i = 0; i < n; ++i)
    {
        leftSamples[i] = l.process (leftSamples[i]);
        rightSamples[i] = r.process (rightSamples[i]);
    }
    left = l;
    right = r;
}
