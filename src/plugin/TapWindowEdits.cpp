#include "plugin/TapWindowEdits.h"

#include "dsp/ParamMapping.h"
#include "params/ParameterTable.h"
#include "plugin/SyncConverter.h"

#include <cmath>
#include <cstdlib>

float TapWindowEdits::lengthRawFor (int ms)
{
    // Rounded to the parameter's step of 0.01: a whole raw step can be
    // several milliseconds long (2000 ms lies between 1994 and 2004 ms).
    const double raw = std::log (static_cast<double> (ms) / 10.0) / std::log (1400.0) * 1000.0;
    return static_cast<float> (std::round (raw * 100.0) / 100.0);
}

void TapWindowEdits::snapLength (ParameterAccess& params)
{
    const int ms = static_cast<int> (mapping::lengthMs (params.raw (params::id::length)));
    for (const int target : roundLengthsMs)
    {
        if (std::abs (ms - target) < snapDistanceMs)
        {
            if (ms != target)
                params.write (params::id::length, lengthRawFor (target));
            return;
        }
    }
}

float TapWindowEdits::startSpacingMs (float startRaw, bool tapSync, bool times4, float bpm)
{
    return mapping::spacingMs (startRaw, tapSync, times4, SyncConverter::tempoOrDefault (bpm));
}

void TapWindowEdits::followStart (ParameterAccess& params, const juce::String& draggedParamId, float bpm)
{
    namespace id = params::id;
    const bool tapSync = params.on (id::tapSync);
    const bool startDragged = draggedParamId == id::start;
    if (! startDragged && ! (tapSync && draggedParamId != id::predelay))
        return;

    // ParameterAccess clamps to the predelay's range before comparing, so a
    // start longer than the range (8 or 16 beats) is written once, as the
    // range end, and not again on every refresh.
    params.write (id::predelay, startSpacingMs (params.raw (id::start), tapSync, params.on (id::times4), bpm));
}
