#include "dsp/ParamMapping.h"

#include "dsp/DspConstants.h"
#include "dsp/NoteGrid.h"

#include <algorithm>
#include <cmath>

namespace mapping
{
using dsp::pi;

float freeSpacingMs (float raw, bool times4)
{
    const double x = std::clamp (static_cast<double> (raw) / 1000.0, 0.0, 1.0);
    const double t = x <= 0.65 ? std::pow (1000.0, x / 0.65) : 1000.0 * std::pow (2.0, (x - 0.65) / 0.35);
    const double ms = std::max (std::round (t), 1.0);
    return static_cast<float> (times4 ? ms * 4.0 : ms);
}

int syncedSpacingIndex (float raw)
{
    return NoteGrid::clampIndex (static_cast<int> (std::lround (12.0 - static_cast<double> (raw) / 1000.0 * 12.0)));
}

float syncedSpacingMs (float raw, float bpm)
{
    return NoteGrid::beatMultipliers[syncedSpacingIndex (raw)] * 60000.0f / bpm;
}

float spacingMs (float raw, bool tapSync, bool times4, float bpm)
{
    return tapSync ? syncedSpacingMs (raw, bpm) : freeSpacingMs (raw, times4);
}

float decayCurve (float raw)
{
    const double d = raw;
    if (d >= 0.0 && d <= 200.0)
        return static_cast<float> (-100.0 * std::cos (d / 200.0 * pi));

    const double w = d > 200.0 ? d - 200.0 : std::fabs (d);
    const double v = (1.0 - std::cos (std::min (w, 100.0) / 100.0 * pi / 2.0)) * 40.0;
    return static_cast<float> (d > 200.0 ? 100.0 + v : -100.0 - v);
}

float lengthMs (float raw)
{
    return static_cast<float> (std::round (10.0 * std::pow (1400.0, static_cast<double> (raw) / 1000.0)));
}

float highPassHz (float raw)
{
    return static_cast<float> (20.0 * std::pow (200.0, static_cast<double> (raw) / 1000.0));
}

float lowPassHz (float raw)
{
    return static_cast<float> (500.0 * std::pow (44.0, static_cast<double> (raw) / 1000.0));
}

float lfoRateHz (float raw)
{
    return static_cast<float> (0.15 * std::pow (53.333, static_cast<double> (raw) / 1000.0));
}

float pitchRateHz (float raw)
{
    if (! (raw > 0.0f))
        return 0.0f;
    const double x = std::clamp (static_cast<double> (raw) / 1000.0, 0.0, 1.0);
    return static_cast<float> (0.01 * std::pow (800.0, std::pow (x, 0.61)));
}

int syncedRateIndex (float raw)
{
    return NoteGrid::clampIndex (static_cast<int> (std::lround (static_cast<double> (raw) / 1000.0 * 12.0)));
}
} // namespace mapping
