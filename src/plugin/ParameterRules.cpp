#include "plugin/ParameterRules.h"

#include "dsp/NoteGrid.h"
#include "dsp/ParamMapping.h"
#include "params/ParameterTable.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace
{
float clamp01 (float x)
{
    return std::clamp (x, 0.0f, 1.0f);
}

float multiplier (int index)
{
    return NoteGrid::beatMultipliers[NoteGrid::clampIndex (index)];
}
} // namespace

//==============================================================================
void ParameterRules::apply (ParameterAccess& params, float bpm, Drags drags)
{
    snapLength (params);
    convertSwitches (params, bpm);
    followStart (params, bpm, drags);
}

void ParameterRules::settle (ParameterAccess& params, float bpm)
{
    snapLength (params);
    followStart (params, bpm, {});
}

void ParameterRules::snapLength (ParameterAccess& params)
{
    const int ms = static_cast<int> (mapping::lengthMs (params.raw (params::id::length)));
    for (const int target : roundLengthsMs)
    {
        if (std::abs (ms - target) < snapDistanceMs)
        {
            if (ms != target)
                params.writeByRule (params::id::length, lengthRawFor (target));
            return;
        }
    }
}

void ParameterRules::convertSwitches (ParameterAccess& params, float bpm)
{
    namespace id = params::id;
    const bool tapSync = params.on (id::tapSync);
    const bool waveSync = params.on (id::waveSync);
    const bool tremSync = params.on (id::tremSync);
    const bool pitchSync = params.on (id::pitchSync);

    if (! baselineValid)
    {
        lastTapSync = tapSync;
        lastWaveSync = waveSync;
        lastTremSync = tremSync;
        lastPitchSync = pitchSync;
        baselineValid = true;
        return;
    }

    if (tapSync != lastTapSync)
    {
        convertTapSync (params, tapSync, bpm);
        lastTapSync = tapSync;
    }

    auto convertRate = [&] (const char* rateId, RateCurve curve, bool synced) {
        const float r = params.raw (rateId);
        params.writeByRule (rateId, synced ? rateToSynced (r, curve, bpm) : rateToFree (r, curve, bpm));
    };

    if (waveSync != lastWaveSync)
    {
        convertRate (id::waveRate, RateCurve::LfoRate, waveSync);
        params.writeByRule (id::wavePhase, 0.0f);
        lastWaveSync = waveSync;
    }
    if (tremSync != lastTremSync)
    {
        convertRate (id::tremRate, RateCurve::LfoRate, tremSync);
        params.writeByRule (id::tremPhase, 0.0f);
        lastTremSync = tremSync;
    }
    if (pitchSync != lastPitchSync)
    {
        convertRate (id::pitchRate, RateCurve::SlowRate, pitchSync);
        lastPitchSync = pitchSync;
    }
}

void ParameterRules::convertTapSync (ParameterAccess& params, bool nowOn, float bpm)
{
    namespace id = params::id;
    bool times4 = params.on (id::times4);
    const float start = params.raw (id::start);
    const float end = params.raw (id::end);

    // Divisions longer than the free range would be cut short: the 4X range
    // is switched on first, so they keep their length.
    if (! nowOn && ! times4)
    {
        const float tempo = tempoOrDefault (bpm);
        const float longest = std::max (mapping::syncedSpacingMs (start, tempo), mapping::syncedSpacingMs (end, tempo));
        if (longest > freeRangeEndMs)
        {
            params.writeByRule (id::times4, 1.0f);
            times4 = true;
        }
    }

    const float newStart = nowOn ? timeToSynced (start, times4, bpm) : timeToFree (start, times4, bpm);
    const float newEnd = nowOn ? timeToSynced (end, times4, bpm) : timeToFree (end, times4, bpm);
    params.writeByRule (id::start, newStart);
    params.writeByRule (id::end, newEnd);

    if (! nowOn)
        params.writeByRule (id::predelay, mapping::freeSpacingMs (newStart, times4));
}

void ParameterRules::followStart (ParameterAccess& params, float bpm, Drags drags)
{
    namespace id = params::id;
    const bool tapSync = params.on (id::tapSync);
    if (! drags.start && ! (tapSync && ! drags.predelay))
        return;

    // The write is clamped to the predelay's range before it is compared, so
    // a start longer than the range (8 or 16 beats) is written once, as the
    // range end, and not again on every block.
    params.writeByRule (id::predelay, startSpacingMs (params.raw (id::start), tapSync, params.on (id::times4), bpm));
}

//==============================================================================
float ParameterRules::tempoOrDefault (float bpm) noexcept
{
    return std::isfinite (bpm) && bpm > 0.0f ? bpm : 120.0f;
}

float ParameterRules::lengthRawFor (int ms)
{
    // Rounded to the parameter's step of 0.01: a whole raw step can be
    // several milliseconds long (2000 ms lies between 1994 and 2004 ms).
    const double raw = std::log (static_cast<double> (ms) / 10.0) / std::log (1400.0) * 1000.0;
    return static_cast<float> (std::round (raw * 100.0) / 100.0);
}

float ParameterRules::startSpacingMs (float startRaw, bool tapSync, bool times4, float bpm)
{
    return mapping::spacingMs (startRaw, tapSync, times4, tempoOrDefault (bpm));
}

float ParameterRules::timeToSynced (float raw, bool times4, float bpm)
{
    const float ms = mapping::freeSpacingMs (raw, times4);
    const int index = NoteGrid::nearestDivisionByMs (ms, tempoOrDefault (bpm));
    return std::round (static_cast<float> (12 - index) / 12.0f * 1000.0f);
}

float ParameterRules::timeToFree (float raw, bool times4, float bpm)
{
    const float t = clamp01 (raw / 1000.0f);
    const int index = static_cast<int> (std::lround (12.0f - 12.0f * t));
    const float k = times4 ? 4.0f : 1.0f;
    const double ms = std::max (60000.0 / tempoOrDefault (bpm) * multiplier (index) / k, 1.0);

    // The inverse of the free spacing curve: 1000 ms at 0.65 of the travel.
    const double position =
        ms <= 1000.0 ? std::log (ms) * 0.65 / std::log (1000.0) : std::log (ms / 1000.0) * 0.35 / std::log (2.0) + 0.65;
    return static_cast<float> (std::round (std::clamp (1000.0 * position, 0.0, 1000.0)));
}

float ParameterRules::rateToSynced (float raw, RateCurve curve, float bpm)
{
    const float hz = curve == RateCurve::LfoRate ? curveLfoRateToValue (raw) : mapping::pitchRateHz (raw);
    const int index = NoteGrid::nearestDivisionByHz (hz, tempoOrDefault (bpm));
    return std::round (static_cast<float> (index) / 12.0f * 1000.0f);
}

float ParameterRules::rateToFree (float raw, RateCurve curve, float bpm)
{
    const int index = static_cast<int> (std::lround (clamp01 (raw / 1000.0f) * 12.0f));
    const float hz = tempoOrDefault (bpm) / 60.0f / multiplier (index);
    return curve == RateCurve::LfoRate ? curveLfoRateToRaw (hz) : curveSlowRateToRaw (hz);
}

float ParameterRules::curveLfoRateToValue (float raw)
{
    return mapping::lfoRateHz (raw);
}

float ParameterRules::curveLfoRateToRaw (float hz)
{
    return static_cast<float> (
        std::round (std::log (std::max (static_cast<double> (hz), 0.15) / 0.15) / std::log (53.333) * 1000.0));
}

float ParameterRules::curveSlowRateToRaw (float hz)
{
    const double m =
        std::clamp (std::log (std::max (static_cast<double> (hz), 0.01) / 0.01) / std::log (800.0), 0.0, 1.0);
    return static_cast<float> (std::round (1000.0 * std::pow (m, 1.0 / 0.61)));
}
