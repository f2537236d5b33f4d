#include "ui/WearHud.h"

#include "ui/Col.h"

juce::String WearHud::valueText (float tapeWear)
{
    return tapeWear > 0.0f ? juce::String (static_cast<int> (tapeWear)) + "%" : juce::String ("BYP");
}

void WearHud::paintContent (juce::Graphics& g, juce::Rectangle<float> area)
{
    const float w = area.getWidth();
    const float h = area.getHeight();
    const float top = state.wearHandleY < 0.5f ? 0.74f * h : 0.10f * h;

    g.setColour (Col::wearRust.brighter (0.9f));
    g.setFont (mono (13.0f));
    drawText (g, "TAPE WEAR", 0.0f, top, w, 0.16f * h, juce::Justification::centred);

    g.setFont (mono (10.0f));
    drawText (g, valueText (state.tapeWear), 0.0f, top + 0.16f * h, w, 0.14f * h, juce::Justification::centred);
}
