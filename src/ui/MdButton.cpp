#include "ui/MdButton.h"

#include "ui/Col.h"
#include "ui/MdLookAndFeel.h"

#include <algorithm>

namespace
{
float glyphWidth (const juce::Font& font, const juce::String& text)
{
    juce::GlyphArrangement glyphs;
    glyphs.addLineOfText (font, text, 0.0f, 0.0f);
    return glyphs.getBoundingBox (0, -1, true).getWidth();
}
} // namespace

MdButton::MdButton (const juce::String& buttonText, Accent a)
    : juce::Button (buttonText)
    , accent (a)
{
    setMouseCursor (juce::MouseCursor::PointingHandCursor);
    setPaintingIsUnclipped (true);
}

MdButton::AccentColours MdButton::getAccentColours (Accent a)
{
    const int index = static_cast<int> (a);
    if (index < 1 || index > 6)
        return { Col::bg1, Col::b1, Col::t1 };
    const auto i = static_cast<size_t> (index - 1);
    return { Col::accentBackgrounds[i], Col::accentBorders[i], Col::accentColours[i] };
}

juce::Colour MdButton::getAccentColour (Accent a)
{
    return getAccentColours (a).accent;
}

void MdButton::setCustomColors (juce::Colour background, juce::Colour border, juce::Colour textColour)
{
    customBackground = background;
    customBorder = border;
    customText = textColour;
    useCustomColours = true;
    repaint();
}

void MdButton::clearCustomColors()
{
    useCustomColours = false;
    repaint();
}

bool MdButton::hasIcon() const
{
    return iconPainter != nullptr || ! icon.isEmpty();
}

void MdButton::drawIcon (juce::Graphics& g, juce::Rectangle<float> area, juce::Colour colour) const
{
    if (iconPainter)
    {
        iconPainter (g, area, colour);
        return;
    }
    if (icon.isEmpty())
        return;

    const auto b = icon.getBounds();
    if (b.getWidth() <= 0.0f && b.getHeight() <= 0.0f)
        return;
    const float scale = std::min (area.getWidth(), area.getHeight()) / std::max (b.getWidth(), b.getHeight());
    const auto centre = area.getCentre();
    g.setColour (colour);
    g.fillPath (icon, juce::AffineTransform::translation (-b.getCentreX(), -b.getCentreY())
                          .scaled (scale)
                          .translated (centre.x, centre.y));
}

juce::Font MdButton::textFont() const
{
    return MdLookAndFeel::monoFont (fontSize > 0.0f ? fontSize : 10.0f);
}

void MdButton::paintButton (juce::Graphics& g, bool highlighted, bool down)
{
    if (chrome)
    {
        paintChromeButton (g, highlighted, down);
        return;
    }

    const auto bounds = getLocalBounds().toFloat();
    const bool on = getToggleState();
    auto colours = getAccentColours (accent);

    if (iconOnly)
    {
        drawIcon (g, bounds.reduced (2.0f), on ? colours.accent : (highlighted ? Col::t0 : Col::t2));
        return;
    }

    if (useCustomColours)
        colours = { customBackground, customBorder, customText };

    const bool strongHover = highlighted && ! subtleHover;
    juce::Colour border;
    float borderThickness = 0.5f;

    if (on)
    {
        g.setColour (colours.border.withAlpha (0.35f));
        g.fillRoundedRectangle (bounds.expanded (3.0f), cornerRadius + 2.0f);
        g.setColour (strongHover ? colours.background.brighter (0.2f) : colours.background);
        g.fillRoundedRectangle (bounds, cornerRadius);
        border = highlighted ? colours.border.brighter (0.2f) : colours.border;
        borderThickness = 1.5f;
    }
    else if (strongHover)
    {
        g.setColour (Col::bg1.withAlpha (0.4f));
        g.fillRoundedRectangle (bounds, cornerRadius);
        border = Col::b0.withAlpha (0.6f);
    }
    else
    {
        g.setColour (Col::bg1);
        g.fillRoundedRectangle (bounds, cornerRadius);
        border = highlighted ? Col::b0.brighter (0.6f) : Col::b0.brighter (0.25f);
    }

    g.setColour (border);
    g.drawRoundedRectangle (bounds, cornerRadius, borderThickness);

    if (down)
    {
        g.setColour (Col::bg1.darker (0.2f));
        g.fillRoundedRectangle (bounds, cornerRadius);
    }

    const auto font = textFont();
    const auto textColour = on ? colours.accent : (strongHover ? Col::t0 : Col::t1);
    const auto label = getButtonText();
    g.setFont (font);

    if (! hasIcon())
    {
        g.setColour (textColour);
        g.drawText (label, getLocalBounds(), juce::Justification::centred, false);
        return;
    }
    if (label.isEmpty())
    {
        drawIcon (g, bounds.reduced (2.0f), textColour);
        return;
    }

    const float width = bounds.getWidth();
    const float iconSize = bounds.getHeight() - 4.0f;
    const float tw = glyphWidth (font, label);
    const float x0 = alignLeft ? 4.0f : std::max ((width - (4.0f + iconSize + tw)) / 2.0f, 2.0f);

    drawIcon (g, { x0, bounds.getY() + 2.0f, iconSize, iconSize }, textColour);

    const float textX = x0 + iconSize + 4.0f;
    const float textW = width - 2.0f - textX;
    if (textW > 0.0f)
    {
        g.setColour (textColour);
        g.drawText (label, juce::Rectangle<float> (textX, bounds.getY(), textW, bounds.getHeight()),
                    juce::Justification::centredLeft, false);
    }
}

void MdButton::paintChromeButton (juce::Graphics& g, bool highlighted, bool down)
{
    const auto bounds = getLocalBounds().toFloat();
    const bool on = getToggleState();

    // Body: a dark vertical gradient, warmer when on.
    const juce::Colour base (on ? 0xff1a1404 : 0xff08080d);
    const auto top = down ? base.darker (0.2f) : (highlighted ? base.brighter (0.08f) : base);
    const auto bottom = top.brighter (0.1f);
    g.setGradientFill (juce::ColourGradient (top, 0.0f, bounds.getY(), bottom, 0.0f, bounds.getBottom(), false));
    g.fillRoundedRectangle (bounds, cornerRadius);

    // Rim: dark at the top, through a middle tone to a bright bottom edge.
    auto rimTop = juce::Colour (on ? 0xff8a5f00 : 0xff3a3e46).brighter (0.15f);
    if (highlighted)
        rimTop = rimTop.brighter (0.15f);
    juce::ColourGradient rim (rimTop, 0.0f, bounds.getY(), juce::Colour (on ? 0xffffe9a3 : 0xffe8ecef), 0.0f,
                              bounds.getBottom(), false);
    rim.addColour (0.5, juce::Colour (on ? 0xffffd23d : 0xff6b7280));
    const auto rimBounds = bounds.withSizeKeepingCentre (std::max (bounds.getWidth() - 1.0f, 0.0f),
                                                         std::max (bounds.getHeight() - 1.0f, 0.0f));
    g.setGradientFill (rim);
    g.drawRoundedRectangle (rimBounds, cornerRadius, 1.0f);

    const juce::Colour iconColour (on ? 0xffffd23d : 0xffc7cdd6);
    const juce::ColourGradient textFill (juce::Colour (on ? 0xfffff3cc : 0xfff0f3f5), 0.0f, bounds.getY(),
                                         juce::Colour (on ? 0xffffd23d : 0xff9aa1ab), 0.0f, bounds.getBottom(), false);

    auto font = textFont().withExtraKerningFactor (0.03f);
    if (bold)
        font = font.boldened();

    const auto label = getButtonText();
    const bool withIcon = hasIcon();
    const float iconSize = bounds.getHeight() - 10.0f;
    const float tw = glyphWidth (font, label);
    float x0 =
        alignLeft ? 7.0f : std::max ((bounds.getWidth() - (tw + (withIcon ? iconSize + 6.0f : 0.0f))) / 2.0f, 5.0f);

    if (withIcon)
    {
        drawIcon (g, { x0, bounds.getY() + 5.0f, iconSize, iconSize }, iconColour);
        x0 += iconSize + 6.0f;
    }

    if (label.isNotEmpty())
    {
        juce::GlyphArrangement glyphs;
        glyphs.addLineOfText (font, label, x0, bounds.getY() + bounds.getHeight() / 2.0f + 0.35f * font.getAscent());
        juce::Path textPath;
        glyphs.createPath (textPath);
        g.setGradientFill (textFill);
        g.fillPath (textPath);
    }
}
