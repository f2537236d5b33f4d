#include "params/ParamBlockReader.h"

#include "dsp/ParamMapping.h"

#include <cmath>

namespace params
{
RawValues loadRawValues (const std::array<std::atomic<float>*, table.size()>& sources)
{
    RawValues values {};
    for (std::size_t i = 0; i < table.size(); ++i)
    {
        const float x = sources[i]->load (std::memory_order_relaxed);
        values[i] = std::isfinite (x) ? x : table[i].defaultValue;
    }
    return values;
}

ParamBlock makeParamBlock (const RawValues& raw, const BlockContext& context)
{
    const auto v = [&raw] (int i) { return raw[static_cast<std::size_t> (i)]; };
    const auto on = [&v] (int i) { return v (i) > 0.5f; };
    const auto integer = [&v] (int i) { return static_cast<int> (v (i)); };

    ParamBlock p;
    p.bpm = context.bpm;

    p.twist = v (idx (id::twist));
    p.tapSync = on (idx (id::tapSync));
    const bool times4 = on (idx (id::times4));
    p.startMs = mapping::spacingMs (v (idx (id::start)), p.tapSync, times4, p.bpm);
    p.endMs = mapping::spacingMs (v (idx (id::end)), p.tapSync, times4, p.bpm);
    p.lengthMs = mapping::lengthMs (v (idx (id::length)));
    p.decayCurve = mapping::decayCurve (v (idx (id::decayCurve)));
    p.decayMode = integer (idx (id::decayMode));
    p.decaySteps = integer (idx (id::decaySteps));
    p.decayFalloff = v (idx (id::decayFalloff));
    p.hpHz = mapping::highPassHz (v (idx (id::highPass)));
    p.lpHz = mapping::lowPassHz (v (idx (id::lowPass)));
    p.mixBypass = on (idx (id::mixBypass));
    p.mix = p.mixBypass ? 0.0f : v (idx (id::mix));

    p.waveOn = on (idx (id::wave));
    p.wavePhaseDeg = v (idx (id::wavePhase));
    p.waveOffsetDeg = v (idx (id::waveOffset));
    p.waveRateRaw = v (idx (id::waveRate));
    p.waveRateHz = mapping::lfoRateHz (p.waveRateRaw);
    p.waveDepth = v (idx (id::waveDensity));
    p.waveShape = integer (idx (id::waveShape));
    p.waveSync = on (idx (id::waveSync));

    p.tremOn = on (idx (id::tremolo));
    p.tremRateRaw = v (idx (id::tremRate));
    p.tremRateHz = mapping::lfoRateHz (p.tremRateRaw);
    p.tremDepth = v (idx (id::tremDepth));
    p.tremPhaseDeg = v (idx (id::tremPhase));
    p.tremOffsetDeg = v (idx (id::tremOffset));
    p.tremShape = integer (idx (id::tremShape));
    p.tremSync = on (idx (id::tremSync));

    p.tapeOn = on (idx (id::tape));
    p.tapeOd = on (idx (id::tapeOd));
    p.tapeOut = v (idx (id::tapeOut));
    p.tapeIn = v (idx (id::tapeIn));
    p.tapeLpf = v (idx (id::tapeLpf));
    p.headBump = v (idx (id::tapeHeadBump));
    p.flutter = v (idx (id::tapeFlutter));
    p.tapeMix = v (idx (id::tapeMix));
    p.flutterSpeed = v (idx (id::tapeFlutterSpeed));
    p.tapeWear = v (idx (id::tapeWear));

    p.reverse = on (idx (id::reverse));
    p.flipped = on (idx (id::tapFlip));
    p.dynamicSmoothing = on (idx (id::dynamicSmoothing));
    p.predelayMs = v (idx (id::predelay));
    p.pingPongOn = on (idx (id::pingPong));
    p.pingPongAmount = v (idx (id::pingPongAmount));
    p.widen = v (idx (id::widen));
    p.noMid = on (idx (id::noMid));
    p.startEndLock = on (idx (id::startEndLock));
    p.waveSeed = context.waveSeed;
    p.tremSeed = context.tremSeed;
    p.pitchSeed = context.pitchSeed;
    p.tapCount = context.tapCount;
    p.masterDb = v (idx (id::master));

    p.pitchOn = on (idx (id::pitch));
    p.pitchOffset = v (idx (id::pitchCents));
    p.pitchMix = v (idx (id::pitchMix));
    p.pitchRateRaw = v (idx (id::pitchRate));
    p.pitchRateHz = mapping::pitchRateHz (p.pitchRateRaw);
    p.pitchDepth = v (idx (id::pitchDepth));
    p.pitchShape = integer (idx (id::pitchShape));
    p.pitchWide = on (idx (id::pitchWide));
    p.pitchSync = on (idx (id::pitchSync));
    p.pitchTwistLink = on (idx (id::pitchTwistLink));
    p.pitchTwistCents = v (idx (id::pitchTwistCents));
    p.lengthBendCents = v (idx (id::lengthBend));
    p.pitchRegen = v (idx (id::pitchRegen));
    p.pitch2x = on (idx (id::pitch2x));
    return p;
}
} // namespace params
