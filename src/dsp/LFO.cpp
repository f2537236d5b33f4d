#include "dsp/LFO.h"

#include "dsp/DspConstants.h"

#include <cmath>

namespace dsp
{
float LFO::value (float phase, int shape, [[maybe_unused]] std::uint32_t& seed) noexcept
{
    if (! std::isfinite (phase))
        return 0.0f;

    const float p = phase - std::floor (phase);

    switch (shape)
    {
        case shapeIndex (LfoShape::Sine):
            return std::sin (static_cast<float> (twoPi) * p);
        case shapeIndex (LfoShape::Triangle):
            return 1.0f - 2.0f * std::fabs (2.0f * p - 1.0f);
        case shapeIndex (LfoShape::Square):
            return p < 0.5f ? 1.0f : -1.0f;
        case shapeIndex (LfoShape::SawUp):
            return 2.0f * p - 1.0f;
        case shapeIndex (LfoShape::SawDown):
            return 1.0f - 2.0f * p;
        default:
            return 0.0f;
    }
}

float LFO::peakPhase (int shape) noexcept
{
    switch (shape)
    {
        case shapeIndex (LfoShape::Sine):
            return 0.25f;
        case shapeIndex (LfoShape::Triangle):
            return 0.5f;
        case shapeIndex (LfoShape::SawUp):
            return 0x1.fffffep-1f; // largest float below 1
        default:
            return 0.0f; // Square, SawDown and the random shapes peak at the cycle start
    }
}
} // namespace dsp
