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
    drawText (g, juce::String (tailLevelDb (state.decayCurve), 1) + " dB tail", shift, top + 0.16f * h, w, 0.14f * h,
              juce::Justification::centred);

    // The falloff in its shortest form: 25, 12.5, 33.3333.
    juce::String fade ("fade off");
    if (state.decayFalloff > 0.0f)
    {
        char number[32];
        std::snprintf (number, sizeof (number), "%g", static_cast<double> (state.decayFalloff));
        fade = juce::String (number) + "% fade";
    }
    drawText (g, fade, shift, top + 0.3f * h, w, 0.14f * h, juce::Justification::centred);
}
