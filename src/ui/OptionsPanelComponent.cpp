#include "ui/OptionsPanelComponent.h"

#include "params/ParameterTable.h"
#include "ui/Col.h"
#include "ui/MdLookAndFeel.h"

#include <algorithm>

namespace
{
void styleHeading (juce::Label& label, const juce::String& text)
{
    label.setText (text, juce::dontSendNotification);
    label.setFont (MdLookAndFeel::monoFont (12.0f));
    label.setColour (juce::Label::textColourId, Col::am);
    label.setJustificationType (juce::Justification::centredLeft);
}
} // namespace

OptionsPanelComponent::OptionsPanelComponent (juce::AudioProcessorValueTreeState& s)
    : state (s)
{
    title.setText ("OPTIONS MENU", juce::dontSendNotification);
    title.setFont (MdLookAndFeel::monoFont (14.0f));
    title.setColour (juce::Label::textColourId, Col::am);

    smoothingToggle.setColour (juce::ToggleButton::textColourId, Col::t0);
    smoothingAttachment = std::make_unique<juce::AudioProcessorValueTreeState::ButtonAttachment> (
        state, params::id::dynamicSmoothing, smoothingToggle);

    closeButton.onClick = [this] { hidePanel(); };

    mixLockToggle.setColour (juce::ToggleButton::textColourId, Col::t0);
    mixLockToggle.setTooltip ("Keeps Mix and Mix Bypass as they are when a preset, a program, the Random action or "
                              "a history step changes the sound");
    mixLockToggle.onClick = [this] {
        if (onMixLockChanged)
            onMixLockChanged (mixLockToggle.getToggleState());
    };

    styleHeading (zoomLabel, "ZOOM");
    for (std::size_t i = 0; i < zoomButtons.size(); ++i)
    {
        auto& button = zoomButtons[i];
        const int percent = presets::zoomSteps[i];
        button.setButtonText (juce::String (percent) + "%");
        button.setTitle ("Zoom " + juce::String (percent) + "%");
        button.setClickingTogglesState (false);
        button.onClick = [this, percent] {
            showZoom (percent);
            if (onZoomChosen)
                onZoomChosen (percent);
        };
        addAndMakeVisible (button);
    }
    showZoom (100);

    viewport.setViewedComponent (&content, false);
    viewport.setTitle ("Random matrix");
    viewport.setScrollBarsShown (true, false);

    addAndMakeVisible (title);
    addAndMakeVisible (viewport);
    addAndMakeVisible (closeButton);
    addAndMakeVisible (smoothingToggle);
    addAndMakeVisible (mixLockToggle);
    addAndMakeVisible (zoomLabel);

    setVisible (false);
}

OptionsPanelComponent::~OptionsPanelComponent()
{
    stopTimer();
    animator.cancelAllAnimations (false);
}

//==============================================================================
void OptionsPanelComponent::slideTo (int x)
{
    animator.animateComponent (this, getBounds().withX (x), 1.0f, slideMs, false, 1.0, 0.0);
}

void OptionsPanelComponent::showPanel()
{
    if (randomMatrix != nullptr && content.getNumChildComponents() == 0)
        buildRandomMatrixUI();

    shown = true;
    setVisible (true);
    const int parentWidth = getParentComponent() != nullptr ? getParentComponent()->getWidth() : getRight();
    slideTo (parentWidth - getWidth());
    toFront (false);
    if (onVisibilityChanged)
        onVisibilityChanged (true);
}

void OptionsPanelComponent::hidePanel()
{
    shown = false;
    const int parentWidth = getParentComponent() != nullptr ? getParentComponent()->getWidth() : getRight();
    slideTo (parentWidth);
    startTimer (slideMs);
    if (onVisibilityChanged)
        onVisibilityChanged (false);
}

void OptionsPanelComponent::timerCallback()
{
    stopTimer();
    // A slide-in started meanwhile keeps the panel visible.
    if (! shown)
        setVisible (false);
}

void OptionsPanelComponent::finishSlide()
{
    animator.cancelAllAnimations (true);
    if (! shown)
    {
        stopTimer();
        setVisible (false);
    }
}

//==============================================================================
void OptionsPanelComponent::showMixLock (bool locked)
{
    mixLockToggle.setToggleState (locked, juce::dontSendNotification);
}

void OptionsPanelComponent::showZoom (int percent)
{
    for (std::size_t i = 0; i < zoomButtons.size(); ++i)
        zoomButtons[i].setToggleState (presets::zoomSteps[i] == percent, juce::dontSendNotification);
}

//==============================================================================
void OptionsPanelComponent::setAllFlags (bool enabled)
{
    if (randomMatrix == nullptr)
        return;
    randomMatrix->setAll (enabled);
    for (auto& toggle : matrixToggles)
        toggle.button->setToggleState (randomMatrix->isEnabled (toggle.paramId), juce::dontSendNotification);
}

void OptionsPanelComponent::buildRandomMatrixUI()
{
    if (randomMatrix == nullptr)
        return;

    matrixToggles.clear();
    groupLabels.clear();
    content.removeAllChildren();

    styleHeading (matrixHeader, "RANDOM MATRIX");
    matrixHeader.setBounds (0, 0, 300, 18);
    content.addAndMakeVisible (matrixHeader);

    // The two switches share the heading's row, at its right end, clear of the scroll bar.
    allOnButton.onClick = [this] { setAllFlags (true); };
    allOffButton.onClick = [this] { setAllFlags (false); };
    allOnButton.setBounds (164, 1, 62, 16);
    allOffButton.setBounds (230, 1, 62, 16);
    content.addAndMakeVisible (allOnButton);
    content.addAndMakeVisible (allOffButton);

    // Two columns; each group starts on a new row under its heading.
    int y = 20;
    bool rightColumn = false;
    const char* previousGroup = nullptr;
    for (const auto& entry : RandomMatrixState::entries)
    {
        if (previousGroup == nullptr || juce::String (entry.group) != previousGroup)
        {
            const int g = rightColumn ? y + 16 : y;
            auto label = std::make_unique<juce::Label>();
            styleHeading (*label, entry.group);
            label->setBounds (0, g, 280, 14);
            content.addAndMakeVisible (*label);
            groupLabels.push_back (std::move (label));
            y = g + 15;
            rightColumn = false;
        }
        previousGroup = entry.group;

        auto button = std::make_unique<juce::ToggleButton> (entry.label);
        button->setToggleState (randomMatrix->isEnabled (entry.id), juce::dontSendNotification);
        button->setBounds (rightColumn ? 144 : 0, y, 140, 16);
        const juce::String id (entry.id);
        auto* raw = button.get();
        button->onClick = [this, id, raw] {
            if (randomMatrix != nullptr)
                randomMatrix->setEnabled (id, raw->getToggleState());
        };
        content.addAndMakeVisible (*button);
        matrixToggles.push_back ({ id, std::move (button) });

        if (rightColumn)
            y += 16;
        rightColumn = ! rightColumn;
    }

    content.setSize (300, y + 16 + 12);
    if (getParentComponent() != nullptr)
    {
        resized();
        repaint();
    }
}

//==============================================================================
void OptionsPanelComponent::resized()
{
    const int w = getWidth();
    const int h = getHeight();

    closeButton.setBounds (w - 22, 4, 14, 14);
    title.setBounds (8, 6, w - 16, 18);
    smoothingToggle.setBounds (8, 30, w - 16, 18);
    smoothingBox = { 4, 26, w - 8, 26 };

    // The settings box: the mix lock above a row of zoom steps.
    constexpr int extra = settingsHeight;
    settingsBox = { 4, 56, w - 8, extra - 4 };
    mixLockToggle.setBounds (8, 60, w - 16, 18);
    zoomLabel.setBounds (8, 80, 48, 16);
    for (std::size_t i = 0; i < zoomButtons.size(); ++i)
        zoomButtons[i].setBounds (60 + static_cast<int> (i) * 50, 80, 46, 16);

    if (randomMatrix != nullptr && content.getNumChildComponents() > 0)
    {
        int vh = ((std::max (h, 78 + extra) - (78 + extra)) / 16) * 16;
        if (vh < 17)
            vh = 16;
        vh = std::min (vh, content.getHeight());
        viewport.setBounds (8, 62 + extra, w - 16, vh);
        matrixBox = { 4, 58 + extra, w - 8, vh + 8 };
    }
    else
    {
        matrixBox = {};
    }
}

void OptionsPanelComponent::paint (juce::Graphics& g)
{
    const auto bounds = getLocalBounds().toFloat();
    g.setColour (Col::bg0);
    g.fillRoundedRectangle (bounds, 5.0f);
    g.setColour (Col::b0.brighter (0.3f));
    g.drawRoundedRectangle (bounds, 5.0f, 1.0f);

    for (const auto& box : { smoothingBox, settingsBox, matrixBox })
    {
        if (box.getHeight() <= 0)
            continue;
        g.setColour (Col::bg2);
        g.fillRoundedRectangle (box.toFloat(), 4.0f);
        g.setColour (Col::b1);
        g.drawRoundedRectangle (box.toFloat(), 4.0f, 0.5f);
    }
}
