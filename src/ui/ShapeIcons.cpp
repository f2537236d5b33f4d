#include "ui/ShapeIcons.h"

#include <algorithm>
#include <initializer_list>

namespace
{
juce::Path polyline (std::initializer_list<juce::Point<float>> points)
{
    juce::Path p;
    bool first = true;
    for (const auto pt : points)
    {
        if (first)
            p.startNewSubPath (pt);
        else
            p.lineTo (pt);
        first = false;
    }
    return p;
}
} // namespace

juce::Path ShapeIcons::randomSmooth()
{
    juce::Path p;
    p.startNewSubPath (2.0f, 11.0f);
    p.lineTo (4.0f, 4.0f);
    p.lineTo (6.0f, 11.0f);
    p.startNewSubPath (6.0f, 11.0f);
    p.lineTo (8.0f, 1.0f);
    p.lineTo (10.0f, 11.0f);
    p.startNewSubPath (10.0f, 11.0f);
    p.lineTo (12.0f, 6.0f);
    p.lineTo (14.0f, 11.0f);
    return p;
}

juce::Path ShapeIcons::get (int shape)
{
    switch (shape)
    {
        case 1:
            return polyline ({ { 1, 11 }, { 4, 3 }, { 7, 11 }, { 10, 3 }, { 13, 11 } });
        case 2:
            return polyline ({ { 1, 3 }, { 1, 11 }, { 7, 11 }, { 7, 3 }, { 13, 3 }, { 13, 11 } });
        case 3:
            return polyline ({ { 1, 11 }, { 6, 3 }, { 6, 11 }, { 11, 3 }, { 11, 11 } });
        case 4:
            return polyline ({ { 1, 3 }, { 6, 11 }, { 6, 3 }, { 11, 11 }, { 11, 3 } });
        case 5:
        {
            juce::Path p;
            p.addRoundedRectangle (1.0f, 5.0f, 3.0f, 7.0f, 0.5f);
            p.addRoundedRectangle (5.0f, 2.0f, 3.0f, 10.0f, 0.5f);
            p.addRoundedRectangle (9.0f, 7.0f, 3.0f, 5.0f, 0.5f);
            return p;
        }
        case 6:
            return randomSmooth();
        default:
        {
            juce::Path p;
            p.startNewSubPath (1.0f, 7.0f);
            p.quadraticTo (3.0f, 1.0f, 5.0f, 7.0f);
            p.quadraticTo (7.0f, 13.0f, 9.0f, 7.0f);
            p.quadraticTo (11.0f, 1.0f, 13.0f, 7.0f);
            return p;
        }
    }
}

void ShapeIcons::paint (juce::Graphics& g, int shape, juce::Rectangle<float> area, juce::Colour colour)
{
    const auto path = get (shape);
    const auto box = path.getBounds();
    if (box.getWidth() <= 0.0f || box.getHeight() <= 0.0f)
        return;

    const float s = std::min (area.getWidth() / box.getWidth(), area.getHeight() / box.getHeight());
    const auto transform = juce::AffineTransform::scale (s).translated (area.getCentreX() - box.getCentreX() * s,
                                                                        area.getCentreY() - box.getCentreY() * s);
    g.setColour (colour);
    g.strokePath (path, juce::PathStrokeType (1.2f), transform);
}
