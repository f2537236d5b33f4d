#include "ui/IconPainters.h"

#include <algorithm>

namespace
{
// Runs draw in a saved state whose coordinates are the icon's design grid of
// gridW x gridH, scaled uniformly and centred in area.
template <typename DrawFn>
float drawOnGrid (juce::Graphics& g, juce::Rectangle<float> area, juce::Colour colour, float gridW, float gridH,
                  DrawFn&& draw)
{
    const float s = std::min (area.getWidth() / gridW, area.getHeight() / gridH);
    const float originX = area.getX() + area.getWidth() * 0.5f - gridW * 0.5f * s;
    const float originY = area.getY() + area.getHeight() * 0.5f - gridH * 0.5f * s;

    juce::Graphics::ScopedSaveState saved (g);
    g.addTransform (juce::AffineTransform::scale (s).translated (originX, originY));
    g.setColour (colour);
    draw();
    return gridW * s;
}

juce::PathStrokeType roundStroke (float thickness)
{
    return juce::PathStrokeType (thickness, juce::PathStrokeType::curved, juce::PathStrokeType::rounded);
}
} // namespace

float IconPainters::sync (juce::Graphics& g, juce::Rectangle<float> area, juce::Colour colour)
{
    return drawOnGrid (g, area, colour, 14.0f, 12.0f, [&g] {
        juce::Path beam;
        beam.startNewSubPath (4.0f, 10.0f);
        beam.lineTo (4.0f, 2.0f);
        beam.lineTo (10.0f, 1.0f);
        beam.lineTo (10.0f, 6.0f);
        g.strokePath (beam, roundStroke (1.0f));
        g.drawEllipse (1.8f, 8.8f, 2.4f, 2.4f, 1.0f);
        g.drawEllipse (7.8f, 4.8f, 2.4f, 2.4f, 1.0f);
    });
}

float IconPainters::flip (juce::Graphics& g, juce::Rectangle<float> area, juce::Colour colour)
{
    return drawOnGrid (g, area, colour, 16.0f, 12.0f, [&g] {
        g.drawLine (1.0f, 3.0f, 13.0f, 3.0f, 1.2f);
        g.drawLine (15.0f, 9.0f, 3.0f, 9.0f, 1.2f);
        juce::Path heads;
        heads.addTriangle (10.0f, 1.0f, 13.5f, 3.0f, 10.0f, 5.0f);
        heads.addTriangle (6.0f, 7.0f, 2.5f, 9.0f, 6.0f, 11.0f);
        g.fillPath (heads);
    });
}

float IconPainters::twistRev (juce::Graphics& g, juce::Rectangle<float> area, juce::Colour colour)
{
    return drawOnGrid (g, area, colour, 14.0f, 14.0f, [&g] {
        g.drawLine (7.0f, 0.5f, 7.0f, 13.5f, 1.1f);
        g.drawLine (0.5f, 7.0f, 13.5f, 7.0f, 1.1f);
        g.drawLine (2.5f, 2.5f, 11.5f, 11.5f, 0.9f);
        g.drawLine (11.5f, 2.5f, 2.5f, 11.5f, 0.9f);
        g.fillEllipse (5.7f, 5.7f, 2.6f, 2.6f);
    });
}

float IconPainters::dice (juce::Graphics& g, juce::Rectangle<float> area, juce::Colour colour)
{
    return drawOnGrid (g, area, colour, 14.0f, 14.0f, [&g] {
        g.drawRoundedRectangle (1.0f, 1.0f, 12.0f, 12.0f, 2.0f, 1.0f);
        const juce::Point<float> pips[] = { { 3.1f, 3.1f },
                                            { 6.1f, 6.1f },
                                            { 9.1f, 9.1f },
                                            { 9.1f, 3.1f },
                                            { 3.1f, 9.1f } };
        for (const auto pip : pips)
            g.fillEllipse (pip.x, pip.y, 1.8f, 1.8f);
    });
}

float IconPainters::lock (juce::Graphics& g, juce::Rectangle<float> area, juce::Colour colour)
{
    return drawOnGrid (g, area, colour, 11.0f, 11.0f, [&g] {
        g.drawRoundedRectangle (1.5f, 5.0f, 8.0f, 5.5f, 1.0f, 1.0f);

        // The shackle rises from the left post, arcs over the top of its box
        // and comes down the right post. JUCE measures arc angles clockwise
        // from twelve o'clock, so left to right over the top is 1.5 pi to 2.5 pi.
        juce::Path shackle;
        shackle.startNewSubPath (3.2f, 5.0f);
        shackle.lineTo (3.2f, 3.2f);
        shackle.addArc (3.2f, 1.0f, 4.6f, 4.4f, 1.5f * juce::MathConstants<float>::pi,
                        2.5f * juce::MathConstants<float>::pi, false);
        shackle.lineTo (7.8f, 5.0f);
        g.strokePath (shackle, roundStroke (1.0f));

        g.fillEllipse (4.7f, 7.0f, 1.6f, 1.6f);
    });
}
