#include "ui/TremoloBody.h"

#include "params/ParameterTable.h"

namespace
{
using Kind = MdSlider::Kind;

LfoEffectBody::Config tremoloConfig()
{
    namespace id = params::id;
    return { { { { "RATE", id::tremRate, Kind::LfoRate, 0.0, 1000.0, 1.0, 753.0 },
                 { "DEPTH", id::tremDepth, Kind::Percent, 0.0, 100.0, 1.0, 80.0 },
                 { "PHASE", id::tremPhase, Kind::Decimal, -180.0, 180.0, 1.0, 0.0 },
                 { "OFFSET", id::tremOffset, Kind::Decimal, -180.0, 180.0, 1.0, 0.0 } } },
             id::tremShape,
             MdButton::Accent::te,
             false };
}
} // namespace

TremoloBody::TremoloBody (juce::AudioProcessorValueTreeState& state)
    : LfoEffectBody (state, tremoloConfig())
{
}
