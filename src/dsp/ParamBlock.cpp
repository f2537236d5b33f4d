#include "dsp/ParamBlock.h"

namespace
{
// Exact comparison where a NaN on either side always counts as a change.
bool differs (float a, float b)
{
    return ! (a == b);
}
} // namespace

DirtyFlags classifyDirty (const ParamBlock& p, const ParamBlock& c)
{
    DirtyFlags f;

    f.timing = differs (p.predelayMs, c.predelayMs) || differs (p.lengthMs, c.lengthMs)
               || differs (p.startMs, c.startMs) || differs (p.endMs, c.endMs) || p.tapCount != c.tapCount
               || p.waveOn != c.waveOn || differs (p.waveRateHz, c.waveRateHz) || p.waveShape != c.waveShape
               || differs (p.waveDepth, c.waveDepth) || differs (p.wavePhaseDeg, c.wavePhaseDeg)
               || differs (p.waveOffsetDeg, c.waveOffsetDeg) || p.waveSeed != c.waveSeed || p.waveSync != c.waveSync
               || (p.waveSync && c.waveSync && (differs (p.bpm, c.bpm) || differs (p.waveRateRaw, c.waveRateRaw)));

    f.twist = differs (p.twist, c.twist);

    f.gain = p.dynamicSmoothing != c.dynamicSmoothing || differs (p.decayCurve, c.decayCurve)
             || p.decayMode != c.decayMode || p.decaySteps != c.decaySteps || differs (p.decayFalloff, c.decayFalloff);

    f.snap = p.reverse != c.reverse || p.flipped != c.flipped;

    return f;
}
