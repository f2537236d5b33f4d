#include "ui/MdLookAndFeel.h"

#include "ui/Col.h"
#include "ui/MdSlider.h"

MdLookAndFeel::MdLookAndFeel()
{
    setColour (juce::Slider::backgroundColourId, Col::bg1);
    setColour (juce::Slider::thumbColourId, juce::Colours::white.withAlpha (0.55f));
    setColour (juce::Slider::trackColourId, Col::b1);
    setColour (juce::ScrollBar::backgroundColourId, Col::bg2);
    setColour (juce::ScrollBar::thumbColourId, Col::b1);
    setColour (juce::PopupMenu::backgroundColourId, Col::bg1);
    setColour (juce::PopupMenu::textColourId, Col::t1);
    setColour (juce::PopupMenu::highlightedBackgroundColourId, Col::am_bg);
    setColour (juce::PopupMenu::highlightedTextColourId, Col::am);
    setColour (juce::TextButton::buttonColourId, Col::bg1);
    setColour (juce::TextButton::buttonOnColourId, Col::am_bg);
    setColour (juce::TextButton::textColourOffId, Col::t1);
    setColour (juce::TextButton::textColourOnId, Col::am);
}

juce::Font MdLookAndFeel::monoFont (float height)
{
    return juce::Font (juce::Font::getDefaultMonospacedFontName(), height, juce::Font::plain);
}

void MdLookAndFeel::drawLinearSlider (juce::Graphics& g, int x, int y, int width, int height, float sliderPos,
                                      float /*minSliderPos*/, float /*maxSliderPos*/, juce::Slider::SliderStyle style,
                                      juce::Slider& slider)
{
    const bool highlighted = slider.isMouseButtonDown() || slider.isMouseOverOrDragging();
    paintLinearSlider (g, x, y, width, height, sliderPos, style, slider, highlighted);
}

void MdLookAndFeel::paintLinearSlider (juce::Graphics& g, int x, int y, int width, int height, float sliderPos,
                                       juce::Slider::SliderStyle style, juce::Slider& slider, bool highlighted)
{
    const auto thumb = slider.findColour (juce::Slider::thumbColourId);
    const auto track = slider.findColour (juce::Slider::trackColourId);
    auto* md = dynamic_cast<MdSlider*> (&slider);

    if (style == juce::Slider::LinearVertical || style == juce::Slider::LinearBarVertical)
    {
        const int trackX = x + width / 2 - 1;
        const auto bottom = static_cast<float> (y + height);

        g.setColour (Col::b2);
        g.fillRect (trackX, y, 2, height);

        g.setGradientFill (juce::ColourGradient (track.withAlpha (0.25f), static_cast<float> (trackX), bottom, track,
                                                 static_cast<float> (trackX), sliderPos, false));
        g.fillRect (juce::Rectangle<float> (static_cast<float> (trackX), sliderPos, 2.0f, bottom - sliderPos));

        const auto cornerX = static_cast<float> (x + width / 2 - 5);
        const auto cornerY = sliderPos - 5.0f;

        if (highlighted)
        {
            g.setColour (thumb.withAlpha (0.5f));
            g.fillEllipse (cornerX - 3.0f, cornerY - 3.0f, 16.0f, 16.0f);
        }

        g.setColour (juce::Colours::black.withAlpha (0.45f));
        g.fillEllipse (cornerX, cornerY + 1.0f, 10.0f, 10.0f);
        g.setColour (thumb);
        g.fillEllipse (cornerX, cornerY, 10.0f, 10.0f);
        g.setColour (juce::Colours::black.withAlpha (0.22f));
        g.drawEllipse (cornerX, cornerY, 10.0f, 10.0f, 1.5f);
        return;
    }

    const int trackY = y + height / 2 - 1;
    const int centreY = y + height / 2;
    const bool fromRight = md != nullptr && md->reversed;
    const auto startEnd = static_cast<float> (fromRight ? x + width : x);

    g.setColour (Col::b2);
    g.fillRect (x, trackY, width, 2);

    g.setGradientFill (juce::ColourGradient (track.withAlpha (0.25f), startEnd, static_cast<float> (trackY), track,
                                             sliderPos, static_cast<float> (trackY), false));
    const int thumbX = static_cast<int> (sliderPos);
    if (fromRight)
        g.fillRect (thumbX, trackY, (x + width) - thumbX, 2);
    else
        g.fillRect (x, trackY, thumbX - x, 2);

    if (md != nullptr)
    {
        g.setColour (Col::t2);
        g.fillRect (x, centreY - 2, 2, 4);
        g.fillRect (x + width - 2, centreY - 2, 2, 4);
    }

    if (thumb.getAlpha() == 0)
        return;

    const auto cornerX = sliderPos - 5.0f;
    const auto cornerY = static_cast<float> (centreY - 5);

    if (highlighted)
    {
        g.setColour (thumb.withAlpha (0.4f));
        g.fillEllipse (cornerX - 3.0f, cornerY - 3.0f, 16.0f, 16.0f);
    }

    g.setColour (thumb);
    g.fillEllipse (cornerX, cornerY, 10.0f, 10.0f);
    g.setColour (juce::Colours::white.withAlpha (0.35f));
    g.drawEllipse (cornerX, cornerY, 10.0f, 10.0f, 1.0f);
}

void MdLookAndFeel::drawScrollbar (juce::Graphics& g, juce::ScrollBar&, int x, int y, int width, int height,
                                   bool isScrollbarVertical, int thumbStartPosition, int thumbSize,
                                   bool /*isMouseOver*/, bool /*isMouseDown*/)
{
    g.setColour (Col::bg2);
    g.fillRect (x, y, width, height);

    g.setColour (Col::b1);
    if (isScrollbarVertical)
        g.fillRect (x + 1, thumbStartPosition, width - 2, thumbSize);
    else
        g.fillRect (thumbStartPosition, y + 1, thumbSize, height - 2);
}

void MdLookAndFeel::drawPopupMenuBackground (juce::Graphics& g, int width, int height)
{
    g.setColour (Col::bg1);
    g.fillRect (0, 0, width, height);
    g.setColour (Col::b0);
    g.drawRect (0, 0, width, height, 1);
}

void MdLookAndFeel::drawCallOutBoxBackground (juce::CallOutBox& box, juce::Graphics& g, const juce::Path& path,
                                              juce::Image& cachedImage)
{
    if (! cachedImage.isValid())
    {
        cachedImage = juce::Image (juce::Image::ARGB, box.getWidth(), box.getHeight(), true);
        juce::Graphics shadowGraphics (cachedImage);
        juce::DropShadow (juce::Colours::black.withAlpha (0.6f), 10, {}).drawForPath (shadowGraphics, path);
    }

    g.setColour (juce::Colours::black);
    g.drawImageAt (cachedImage, 0, 0);

    g.setColour (Col::bg1);
    g.fillPath (path);
    g.setColour (Col::am);
    g.strokePath (path, juce::PathStrokeType (1.2f));
}

juce::Font MdLookAndFeel::getTextButtonFont (juce::TextButton&, int /*buttonHeight*/)
{
    return monoFont (10.0f);
}
