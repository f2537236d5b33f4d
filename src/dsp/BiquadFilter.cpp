#include "dsp/BiquadFilter.h"

#include "dsp/DspConstants.h"

#include <cmath>

void BiquadFilter::set (Type type, float cutoffHz, float sampleRate) noexcept
{
    // Written so that NaN in either argument also lands on pass-through.
    if (! (cutoffHz >= 5.0f && cutoffHz <= 0.48f * sampleRate) || ! std::isfinite (sampleRate))
    {
        b0 = 1.0f;
        b1 = b2 = a1 = a2 = 0.0f;
        return;
    }

    const float w = static_cast<float> (dsp::twoPi) * cutoffHz / sampleRate;
    const float s = std::sin (w);
    const float c = std::cos (w);
    const float alpha = s / 1.414f;
    const float a0 = 1.0f + alpha;

    a1 = -2.0f * c / a0;
    a2 = (1.0f - alpha) / a0;

    if (type == Type::LowPass)
    {
        b0 = ((1.0f - c) / 2.0f) / a0;
        b1 = (1.0f - c) / a0;
    }
    else
    {
        b0 = ((1.0f + c) / 2.0f) / a0;
        b1 = -(1.0f + c) / a0;
    }
    b2 = b0;
}
