#include "ui/DecayHud.h"

#include "ui/Col.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

float DecayHud::tailLevelDb (float decayCurve)
{
    const float v = decayCurve / 140.0f;
    const float m = v >= 0.0f ? 20.0f - 14.0f * v : 20.0f - 25.0f * v;
    return 20.0f * std::log10 (std::max (std::pow (10.0f, -m / 20.0f), 1.0e-6f));
}

juce::String DecayHud::tailText (float decayCurve)
{
    return juce::String (tailLevelDb (decayCurve), 1) + " dB tail";
}

juce::String DecayHud::fadeText (float decayFalloff)
{
    if (! (decayFalloff > 0.0f))
        return "fade off";
    char number[32];
    std::snprintf (number, sizeof (number), "%g", static_cast<double> (decayFalloff));
    return juce::String (number) + "% fade";
}

void DecayHud::paintContent (juce::Graphics& g, juce::Rectangle<float> area)
{
    const float w = area.getWidth();
    const float h = area.getHeight();
    const bool upper = state.decayHandleY < 0.5f;
    const float top = upper ? 0.52f * h : 0.10f * h;
    const float shift = upper ? -0.12f * w : 0.12f * w;

    g.setColour (Col::bl);
    g.setFont (mono (13.0f));
    drawText (g, "DECAY CURVE", shift, top, w, 0.16f * h, juce::Justification::centred);

    g.setColour (Col::t2);
    g.setFont (mono (10.0f));
    drawText (g, tailText (state.decayCurve), shift, top + 0.16f * h, w, 0.14f * h, juce::Justification::centred);
    drawText (g, fadeText (state.decayFalloff), shift, top + 0.3f * h, w, 0.14f * h, juce::Justification::centred);
}
