#include "ui/PitchHud.h"

#include "params/ParameterTable.h"
#include "ui/Col.h"
#include "ui/FaderReadoutHud.h"

#include <algorithm>
#include <cmath>

PitchHud::PitchHud()
{
    // The widest texts each control can show, so the plate never changes
    // size when another pitch control is grabbed.
    const std::pair<const char*, const char*> widest[] = { { "PITCH LFO", "RATE  16.00 Hz" },
                                                           { "PITCH LFO", "DEPTH  200%" },
                                                           { "PITCH SHIFT", "-100.0 CENTS" },
                                                           { "PITCH REGEN", "100%" },
                                                           { "PITCH SHIFT", "100% WET" } };
    for (const auto& [title, value] : widest)
        plateWidth = std::max (plateWidth, FaderReadoutHud::measurePlateWidth (title, value, 16.0f, 16.0f));
}

PitchHud::Texts PitchHud::textsFor (const VisualizerComponent::VisualizerState& s)
{
    const float m = s.pitch2x ? 2.0f : 1.0f;
    const auto& id = s.touchedParamId;
    if (id == params::id::pitchRate)
        return { "PITCH LFO", "RATE  " + juce::String (s.pitchRateHz * m, 2) + " Hz", "RATE" };
    if (id == params::id::pitchDepth)
        return { "PITCH LFO", "DEPTH  " + juce::String (roundHalfAway (s.pitchDepth * m)) + "%", "DEPTH" };
    if (id == params::id::pitchCents)
    {
        const float cents = s.pitchCents * m;
        const juce::String sign = cents > 0.0f ? "+" : (cents < 0.0f ? "-" : "");
        return { "PITCH SHIFT", sign + juce::String (std::abs (cents), 1) + " CENTS", {} };
    }
    if (id == params::id::pitchRegen)
        return { "PITCH REGEN", juce::String (roundHalfAway (s.pitchRegen)) + "%", {} };
    if (id == params::id::pitchMix)
        return { "PITCH SHIFT", juce::String (roundHalfAway (s.pitchMix)) + "% WET", {} };
    return {};
}

void PitchHud::paintContent (juce::Graphics& g, juce::Rectangle<float> area)
{
    const auto texts = textsFor (state);
    if (texts.title.isEmpty())
        return;
    FaderReadoutHud::paintStatPlate (g, area, texts.title, texts.value, Col::bl, Col::bl, texts.underlinePrefix, 16.0f,
                                     16.0f, plateWidth, 0.1f);
}
