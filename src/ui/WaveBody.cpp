#include "ui/WaveBody.h"

#include "params/ParameterTable.h"

namespace
{
using Kind = MdSlider::Kind;

LfoEffectBody::Config waveConfig()
{
    namespace id = params::id;
    return { { { { "RATE", id::waveRate, Kind::LfoRate, 0.0, 1000.0, 1.0, 523.0 },
                 { "DENSITY", id::waveDensity, Kind::Percent, 0.0, 100.0, 1.0, 70.0 },
                 { "PHASE", id::wavePhase, Kind::Decimal, -180.0, 180.0, 1.0, 0.0 },
                 { "OFFSET", id::waveOffset, Kind::Decimal, -180.0, 180.0, 1.0, 0.0 } } },
             id::waveShape,
             MdButton::Accent::pu,
             true };
}
} // namespace

WaveBody::WaveBody (juce::AudioProcessorValueTreeState& state)
    : LfoEffectBody (state, waveConfig())
{
}
