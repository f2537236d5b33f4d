// The editor's layout and painting: the window height rule, the column of
// rows, the window's background, frame and title glow, and the marks drawn
// over the children.

#include "plugin/PluginEditor.h"

#include "ui/Col.h"

#include <algorithm>

int MassDelayAudioProcessorEditor::windowHeightFor (int sectionsBottom)
{
    return sectionsBottom < maxHeight - 21 ? sectionsBottom + 21 : maxHeight;
}

void MassDelayAudioProcessorEditor::updateWindowHeight()
{
    const int ruled = windowHeightFor (sectionTop + sectionContentHeight);
    const int target =
        std::max (std::min (ruled, tallestHeightFor (screenWorkArea(), effectiveScale)), sectionTop + 21);
    if (target != getHeight())
        setSize (getWidth(), target);
}

//==============================================================================
void MassDelayAudioProcessorEditor::resized()
{
    auto area = getLocalBounds();
    area.removeFromLeft (12);
    area.removeFromRight (12);
    area.removeFromTop (11);
    area.removeFromBottom (9);

    // Takes a row of the given height (or what is left) from the top.
    auto row = [&area] (int height) { return area.removeFromTop (std::min (height, area.getHeight())); };
    auto gap = [&row] (int height) { row (height); };

    auto header = row (24);
    titleLabel.setBounds (header.removeFromLeft (std::min (220, header.getWidth())));
    optionsButton.setBounds (header.removeFromRight (std::min (72, header.getWidth())));

    gap (4);
    auto presetRow = row (26);
    if (tapCountBox.isVisible())
    {
        tapCountBox.setBounds (presetRow.removeFromRight (std::min (90, presetRow.getWidth())));
        presetRow.removeFromRight (std::min (4, presetRow.getWidth()));
    }
    presetPanel.setBounds (presetRow);

    gap (4);
    const auto visualizerArea = row (160);
    visualizer.setBounds (visualizerArea);

    const int right = visualizerArea.getRight();
    const int e = visualizerArea.getHeight() - 48;
    const int f = std::min (e, 11);
    const int travel = std::max (e - f, 0);
    const int captionY = visualizerArea.getY() + e - f + 4;
    mixLabel.setBounds (right - 52, captionY, 24, std::max (f, 0));
    outLabel.setBounds (right - 28, captionY, 24, std::max (f, 0));
    mixSlider.setBounds (right - 51, visualizerArea.getY() + 4, 22, travel);
    masterFader->setBounds (right - 27, visualizerArea.getY() + 4, 22, travel);

    const int thumb = getLookAndFeel().getSliderThumbRadius (mixSlider);
    mixTrackArea =
        mixSlider.getBounds().toFloat().reduced (0.0f, static_cast<float> (thumb)).getSmallestIntegerContainer();
    if (mixTrackArea.getHeight() < 0)
        mixTrackArea = {};

    gap (4);
    massControl.setBounds (row (64));
    gap (4);
    filterSlider.setBounds (row (16));
    gap (4);
    mainControls.setBounds (row (24));
    gap (4);
    const auto gridArea = row (19);
    buttonGrid.setBounds (gridArea);

    const int g = gridArea.getX() + (gridArea.getWidth() / 4) * 4;
    historyForwardButton.setBounds (g - 25, gridArea.getY() + 3, 20, 13);
    historyBackButton.setBounds (g - 48, gridArea.getY() + 3, 20, 13);

    area.removeFromTop (std::min (26 - 19, area.getHeight()));
    sectionViewport.setBounds (area);

    // Sections inside the viewport.
    sectionContentHeight = layoutSections (area.getWidth() - sectionViewport.getScrollBarThickness());
    sectionTop = sectionViewport.getY();
    sectionContent->setBounds (0, 0, area.getWidth(),
                               std::max (sectionContentHeight, sectionViewport.getHeight()) + 12);

    clickCatcher.setBounds (getLocalBounds());
    const int panelTop = massControl.getY();
    optionsPanel.setBounds (optionsPanel.isShown() ? getWidth() - OptionsPanelComponent::panelWidth : getWidth(),
                            panelTop, OptionsPanelComponent::panelWidth, std::max (getHeight() - panelTop - 9, 0));
    dialogOverlay.setBounds (getLocalBounds());
}

//==============================================================================
void MassDelayAudioProcessorEditor::paint (juce::Graphics& g)
{
    // Most repaints are the visualizer's and the Twist control's areas, deep
    // inside the window: there the background is one flat colour, and the
    // frame, the section well and the title's glow lie outside the clip, so
    // they are skipped instead of being built and clipped away.
    const auto clip = g.getClipBounds();
    // Grown by a pixel, so that under a zoom every device pixel of the clip
    // lies wholly inside the filled rectangle.
    const auto flat = clip.expanded (1);
    const bool clearOfFrame = getLocalBounds().reduced (frameMargin).contains (flat);

    const auto bounds = getLocalBounds().toFloat();
    g.setColour (Col::bg0);
    if (clearOfFrame)
        g.fillRect (flat);
    else
    {
        g.fillRoundedRectangle (bounds, 9.0f);
        g.setColour (Col::b0);
        g.drawRoundedRectangle (bounds, 9.0f, 0.5f);
    }

    const auto well = sectionViewport.getBounds().toFloat();
    if (clip.intersects (sectionViewport.getBounds().withTop (sectionViewport.getY() - 4).expanded (1)))
    {
        g.setColour (Col::bgSunken);
        g.fillRoundedRectangle (well, 6.0f);
        g.setGradientFill (juce::ColourGradient (juce::Colours::black.withAlpha (0.6f), 0.0f, well.getY() - 4.0f,
                                                 juce::Colours::transparentBlack, 0.0f, well.getY(), false));
        g.fillRect (well.getX(), well.getY() - 4.0f, well.getWidth(), 4.0f);
        g.setColour (juce::Colours::black.withAlpha (0.8f));
        g.fillRect (well.getX(), well.getY() - 2.0f, well.getWidth(), 2.0f);
        g.setColour (juce::Colours::white.withAlpha (0.06f));
        g.fillRect (well.getX(), well.getY(), well.getWidth(), 1.0f);
    }

    // The glow's stroke (at most 2 px, mitred corners reach 3 widths out)
    // stays well inside the title's box grown by 12.
    if (titleGlow > 0.0f && clip.intersects (titleLabel.getBounds().expanded (12)))
    {
        const auto font = titleLabel.getFont();
        const auto text = titleLabel.getBorderSize().subtractedFrom (titleLabel.getBounds()).toFloat();
        juce::GlyphArrangement glyphs;
        glyphs.addFittedText (font, titleLabel.getText(), text.getX(), text.getY(), text.getWidth(), text.getHeight(),
                              titleLabel.getJustificationType(), 1, titleLabel.getMinimumHorizontalScale());
        juce::Path outline;
        glyphs.createPath (outline);
        g.setColour (juce::Colour (0xffebe004).withAlpha (titleGlow * 0.55f));
        g.strokePath (outline, juce::PathStrokeType (titleGlow * 1.5f + 0.5f));
    }
}

void MassDelayAudioProcessorEditor::paintOverChildren (juce::Graphics& g)
{
    const auto area = mixTrackArea.toFloat();
    if (area.getWidth() > 0.0f && area.getHeight() > 0.0f)
    {
        g.setColour (Col::t1.withAlpha (0.5f));
        const float x = area.getX() - 3.0f;
        for (const float y :
             { area.getBottom() - 0.5f, area.getY() + area.getHeight() / 2.0f - 0.5f, area.getY() - 0.5f })
            g.fillRect (x, y, 4.0f, 1.0f);
    }

    g.setColour (Col::t2.withAlpha (0.5f));
    g.setFont (MdLookAndFeel::monoFont (8.0f));
    g.drawText ("1.649", juce::Rectangle<int> (getWidth() - 40, getHeight() - 14, 35, 12),
                juce::Justification::centredRight, false);
}
