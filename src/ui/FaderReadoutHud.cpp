#include "ui/FaderReadoutHud.h"

#include "ui/Col.h"

#include <algorithm>

float FaderReadoutHud::measurePlateWidth (const juce::String& title, const juce::String& value, float titleSize,
                                          float valueSize)
{
    return std::max (boldMono (titleSize).getStringWidthFloat (title), boldMono (valueSize).getStringWidthFloat (value))
           + 24.0f;
}

void FaderReadoutHud::paintStatPlate (juce::Graphics& g, juce::Rectangle<float> area, const juce::String& title,
                                      const juce::String& value, juce::Colour titleColour, juce::Colour valueColour,
                                      const juce::String& underlinePrefix, float titleSize, float valueSize,
                                      float plateWidth, float valueGap)
{
    const auto titleFont = boldMono (titleSize);
    const auto valueFont = boldMono (valueSize);
    if (plateWidth <= 0.0f)
        plateWidth = measurePlateWidth (title, value, titleSize, valueSize);

    const float x = area.getX();
    const float w = area.getWidth();
    const float h = area.getHeight();
    const float titleY = area.getY() + 0.3f * h;
    const float valueY = titleY + valueGap * h;
    const float valueH = 0.32f * h;

    g.setColour (juce::Colours::black.withAlpha (0.6f));
    g.fillRoundedRectangle (x + w / 2.0f - plateWidth / 2.0f, titleY - 5.0f, plateWidth,
                            valueY + valueH + 5.0f - (titleY - 5.0f), 4.0f);

    g.setColour (titleColour);
    g.setFont (titleFont);
    drawText (g, title, x, titleY, w, 14.0f, juce::Justification::centred);

    g.setColour (valueColour);
    g.setFont (valueFont);
    drawText (g, value, x, valueY, w, valueH, juce::Justification::centred);

    if (underlinePrefix.isNotEmpty() && value.startsWith (underlinePrefix))
    {
        const float vw = valueFont.getStringWidthFloat (value);
        const float pw = valueFont.getStringWidthFloat (underlinePrefix);
        const float x0 = x + w / 2.0f - vw / 2.0f;
        const float lineY = valueY + valueH / 2.0f + valueFont.getAscent() / 2.0f;
        g.drawLine (x0, lineY, x0 + pw, lineY, 1.0f);
    }
}

void FaderReadoutHud::paintContent (juce::Graphics& g, juce::Rectangle<float> area)
{
    paintStatPlate (g, area, title, value, Col::co, Col::t0, {}, 9.0f, 16.0f, 0.0f, 0.18f);
}
