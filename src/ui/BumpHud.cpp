#include "ui/BumpHud.h"

#include "ui/Col.h"

#include <cmath>

float BumpHud::axisPos (float hz)
{
    return std::log (hz / 20.0f) / std::log (50.0f);
}

float BumpHud::humpAt (float pos)
{
    const float left = axisPos (24.0f);
    const float peak = axisPos (65.0f);
    const float right = axisPos (220.0f);
    if (! (pos > left && pos < right))
        return 0.0f;
    const float u = pos < peak ? 0.5f * (pos - left) / (peak - left) : 0.5f + 0.5f * (pos - peak) / (right - peak);
    return std::sin (juce::MathConstants<float>::pi * u);
}

juce::String BumpHud::valueText (float headBump)
{
    return juce::String (headBump / 100.0f * 6.0f, 1) + " dB";
}

void BumpHud::paintContent (juce::Graphics& g, juce::Rectangle<float> area)
{
    const Grid grid (area, 436.0f, 160.0f);
    fillDiagramPlate (g, { grid.X (154.0f), grid.Y (32.0f), 128.0f * grid.sx, 119.0f * grid.sy });

    const float a = juce::jlimit (0.0f, 100.0f, state.headBump) / 100.0f;
    const float cx = grid.X (218.0f);
    const float width = 100.0f * grid.sx;
    const float axisA = cx - width / 2.0f;
    const float axisB = axisA + width;
    const float yb = grid.Y (68.0f) + 18.6f * grid.sy;
    auto xOf = [&] (float hz) { return axisA + axisPos (hz) * width; };

    g.setColour (Col::b2);
    g.drawLine (axisA, yb, axisB, yb, 0.6f);

    // The hump, sampled on 49 points: each point's height is the half sine
    // at its own place on the axis.
    const float height = 16.5f * grid.sy * a;
    juce::Path curve;
    for (int i = 0; i <= 48; ++i)
    {
        const float x = axisA + static_cast<float> (i) / 48.0f * width;
        const float y = height > 0.0f ? yb - height * humpAt ((x - axisA) / width) : yb;
        if (i == 0)
            curve.startNewSubPath (x, y);
        else
            curve.lineTo (x, y);
    }
    g.setColour (Col::am);
    g.strokePath (curve, juce::PathStrokeType (1.8f));

    const float peakX = xOf (65.0f);
    if (a > 0.02f)
        g.fillEllipse (peakX - 2.2f, yb - height - 2.2f, 4.4f, 4.4f);

    g.setColour (Col::t2);
    g.setFont (mono (6.5f));
    const std::pair<float, const char*> ticks[] = { { axisA, "20" },
                                                    { xOf (60.0f), "60" },
                                                    { xOf (100.0f), "100" },
                                                    { xOf (200.0f), "200" },
                                                    { axisB, "1k" } };
    for (const auto& [x, label] : ticks)
        drawText (g, label, x - 10.0f, yb + 7.2f * grid.sy, 20.0f, 9.0f, juce::Justification::centred);

    juce::Path arrow;
    arrow.addTriangle (axisB + 4.0f * grid.sx, yb - 3.0f * grid.sy, axisB + 4.0f * grid.sx, yb + 3.0f * grid.sy,
                       axisB + 8.0f * grid.sx, yb);
    g.fillPath (arrow);

    drawText (g, "~65Hz", peakX - 16.0f, grid.Y (100.0f), 32.0f, 9.0f, juce::Justification::centred);

    g.setColour (Col::am);
    g.setFont (boldMono (9.0f));
    drawText (g, valueText (state.headBump), cx - 40.0f * grid.sx, grid.Y (120.0f) - 7.0f, 80.0f * grid.sx, 14.0f,
              juce::Justification::centred);

    const auto tagFont = boldMono (8.0f);
    g.setFont (tagFont);
    const float tw = tagFont.getStringWidthFloat ("LO BUMP") + 10.0f;
    g.drawRect (juce::Rectangle<float> (cx - tw / 2.0f, grid.Y (140.0f) - 7.0f, tw, 14.0f), 1.0f);
    drawText (g, "LO BUMP", cx - tw / 2.0f, grid.Y (140.0f) - 7.0f, tw, 14.0f, juce::Justification::centred);
}
