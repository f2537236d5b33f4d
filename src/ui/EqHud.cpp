#include "ui/EqHud.h"

#include "params/ValueText.h"

#include <algorithm>
#include <cmath>

float EqHud::axisPos (float hz)
{
    if (hz <= 1600.0f)
        return 0.5f * std::log (hz / 20.0f) / std::log (80.0f);
    return 0.5f + 0.5f * std::log (hz / 1600.0f) / std::log (13.75f);
}

float EqHud::axisHz (float pos)
{
    if (pos <= 0.5f)
        return 20.0f * std::pow (80.0f, 2.0f * pos);
    return 1600.0f * std::pow (13.75f, 2.0f * pos - 1.0f);
}

float EqHud::gainAt (float hz, float hpHz, float lpHz)
{
    float gainHp = 1.0f;
    if (hz < hpHz)
    {
        const float r = hz / hpHz;
        gainHp = r / std::sqrt (r * r + 1.0f);
    }
    float gainLp = 1.0f;
    if (hz > lpHz)
    {
        const float r = hz / lpHz;
        gainLp = 1.0f / std::sqrt (r * r + 1.0f);
    }
    return gainHp * gainLp;
}

juce::String EqHud::frequencyText (float hz)
{
    // The filter range's own formatter, so both read the same.
    return valuetext::filterHz (hz);
}

void EqHud::paintContent (juce::Graphics& g, juce::Rectangle<float> area)
{
    const float w = area.getWidth();
    const float h = area.getHeight();
    const float hp = juce::jlimit (20.0f, 22000.0f, state.hpHz);
    const float lp = juce::jlimit (20.0f, 22000.0f, state.lpHz);
    const float left = 0.1f * w;
    const float width = 0.8f * w;
    const float right = 0.9f * w;
    auto xOf = [&] (float hz) { return juce::jlimit (left, right, left + axisPos (hz) * width); };
    const float hpX = xOf (hp);
    const float lpX = xOf (lp);
    const float passY = 0.4f * h;
    const float bottom = 0.85f * h;

    juce::Path curve;
    for (int i = 0; i <= 100; ++i)
    {
        const float t = static_cast<float> (i) / 100.0f;
        const float x = left + t * width;
        const float y = passY + (1.0f - gainAt (axisHz (t), hp, lp)) * 0.45f * h;
        if (i == 0)
            curve.startNewSubPath (x, y);
        else
            curve.lineTo (x, y);
    }

    auto fill = curve;
    fill.lineTo (right, bottom);
    fill.lineTo (left, bottom);
    fill.closeSubPath();
    g.setColour (filterCol.withAlpha (0.1f));
    g.fillPath (fill);

    g.setColour (filterCol.withAlpha (0.8f));
    g.strokePath (curve, juce::PathStrokeType (2.0f));

    if (lpX > hpX)
    {
        g.setColour (filterCol.withAlpha (0.2f));
        g.fillRect (juce::Rectangle<float> (hpX, std::floor (passY), lpX - hpX, 1.0f));
    }

    g.setColour (filterCol.withAlpha (0.65f));
    const float dashes[] = { 3.0f, 3.0f };
    for (const float x : { hpX, lpX })
        g.drawDashedLine (juce::Line<float> (x, 0.2f * h, x, bottom), dashes, 2, 1.0f);

    g.setColour (filterCol.withAlpha (0.85f));
    g.setFont (mono (9.0f));
    const float labelY = 0.055f * h;
    const float labelH = 0.075f * h;
    const auto hpText = "HP " + frequencyText (hp);
    const auto lpText = "LP " + frequencyText (lp);
    if (lpX - hpX < 150.0f)
    {
        const float centre = (hpX + lpX) / 2.0f;
        drawText (g, hpText + " / " + lpText, centre - 70.0f, labelY, 140.0f, labelH, juce::Justification::centred);
    }
    else
    {
        drawText (g, hpText, hpX - 35.0f, labelY, 70.0f, labelH, juce::Justification::centred);
        drawText (g, lpText, lpX - 35.0f, labelY, 70.0f, labelH, juce::Justification::centred);
    }

    g.setColour (filterCol.withAlpha (0.4f));
    g.setFont (mono (8.0f));
    drawText (g, "FILTER", 4.0f, labelY, 0.1f * w - 4.0f, labelH, juce::Justification::centredLeft);
}
