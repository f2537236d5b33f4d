#include "ui/AccordionComponent.h"

#include "ui/MdLookAndFeel.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

AccordionComponent::AccordionComponent (const juce::String& sectionTitle, AccordionColors c, MdButton::Accent a)
    : title (sectionTitle)
    , accent (a)
    , colours (c)
    , powerButton ("OFF", a)
{
    arrowDown.startNewSubPath (0.0f, 0.0f);
    arrowDown.lineTo (3.0f, 3.0f);
    arrowDown.lineTo (6.0f, 0.0f);
    arrowUp.startNewSubPath (0.0f, 3.0f);
    arrowUp.lineTo (3.0f, 0.0f);
    arrowUp.lineTo (6.0f, 3.0f);

    titleLabel.setText (title, juce::dontSendNotification);
    titleLabel.setFont (MdLookAndFeel::monoFont (13.0f));
    titleLabel.setColour (juce::Label::textColourId, colours.light);
    titleLabel.setInterceptsMouseClicks (false, false);
    addAndMakeVisible (titleLabel);

    powerButton.setClickingTogglesState (true);
    powerButton.setCustomColors (colours.shade, colours.light, colours.light);
    powerButton.onClick = [this] { setUnitActive (powerButton.getToggleState()); };
    addAndMakeVisible (powerButton);

    for (auto* b : { &syncButton, &wideButton, &twoXButton })
    {
        b->setClickingTogglesState (true);
        addChildComponent (*b);
    }
    addChildComponent (modeSwitch);

    body = std::make_unique<juce::Component>();
    addAndMakeVisible (*body);

    // A section starts with its effect off, and looks it: the same look as a
    // section turned off (setUnitActive does nothing for the state it is in).
    applyUnitLook();
}

AccordionComponent::~AccordionComponent()
{
    stopTimer();
}

void AccordionComponent::setBody (std::unique_ptr<juce::Component> newBody)
{
    if (body != nullptr)
        removeChildComponent (body.get());
    body = std::move (newBody);
    if (body == nullptr)
        body = std::make_unique<juce::Component>();
    addAndMakeVisible (*body);
    resized();
    if (! unitActive)
        body->setAlpha (0.65f);
}

void AccordionComponent::setShowSync (bool show)
{
    showSync = show;
    syncButton.setVisible (show);
    resized();
}

void AccordionComponent::setShowWide (bool show)
{
    showWide = show;
    wideButton.setVisible (show);
    resized();
}

void AccordionComponent::setShow2x (bool show)
{
    show2x = show;
    twoXButton.setVisible (show);
    resized();
}

void AccordionComponent::setShowModeSwitch (bool show)
{
    showModeSwitch = show;
    modeSwitch.setVisible (show);
    resized();
}

//==============================================================================
void AccordionComponent::setUnitActive (bool active)
{
    if (active == unitActive)
        return;
    unitActive = active;

    if (active)
        powerButton.clearCustomColors();
    else
        powerButton.setCustomColors (colours.accent.withAlpha (0.0f), colours.accent.withAlpha (0.3f),
                                     colours.accent.withAlpha (0.5f));
    applyUnitLook();
}

void AccordionComponent::applyUnitLook()
{
    powerButton.setToggleState (unitActive, juce::dontSendNotification);
    const juce::String text (unitActive ? "ON" : "OFF");
    if (powerButton.getButtonText() != text)
        powerButton.setButtonText (text);

    if (body != nullptr)
        body->setAlpha (unitActive ? 1.0f : 0.65f);
    const float extrasAlpha = unitActive ? 1.0f : 0.45f;
    for (auto* c : std::initializer_list<juce::Component*> { &syncButton, &wideButton, &twoXButton, &modeSwitch })
        c->setAlpha (extrasAlpha);

    titleLabel.setColour (juce::Label::textColourId, unitActive ? colours.light : colours.light.withAlpha (0.85f));
    repaint();
}

//==============================================================================
void AccordionComponent::setExpanded (bool shouldBeExpanded)
{
    if (shouldBeExpanded == expanded && ! animating)
        return;
    expanded = shouldBeExpanded;

    if (getParentComponent() == nullptr)
    {
        stopTimer();
        animating = false;
        currentHeight = expanded ? bodyHeight : 0;
        setBodyBounds();
        body->setVisible (expanded);
        repaint();
        return;
    }

    if (expanded)
        body->setVisible (true);

    const int target = expanded ? bodyHeight : 0;
    if (target == currentHeight)
    {
        stopTimer();
        animating = false;
        setBodyBounds();
        notifyHeight();
        if (! expanded)
            body->setVisible (false);
    }
    else
    {
        startAnimation (currentHeight, target);
    }
    repaint();
}

void AccordionComponent::startAnimation (int from, int to)
{
    animating = true;
    animFrom = from;
    animTo = to;
    animStartMs = juce::Time::getMillisecondCounter();
    startTimerHz (60);
}

void AccordionComponent::applyAnimationHeight (int h)
{
    currentHeight = h;
    setBodyBounds();
    notifyHeight();
}

void AccordionComponent::advanceAnimation (juce::uint32 nowMs)
{
    if (! animating)
    {
        stopTimer();
        return;
    }

    // The counter is unsigned and may wrap; the difference still counts forward.
    const auto elapsed = static_cast<double> (static_cast<juce::uint32> (nowMs - animStartMs));
    const double x = std::clamp (elapsed / static_cast<double> (animationMs), 0.0, 1.0);
    applyAnimationHeight (animFrom + juce::roundToInt (static_cast<double> (animTo - animFrom) * x));

    if (x >= 1.0)
    {
        animating = false;
        stopTimer();
        if (! expanded)
            body->setVisible (false);
    }
}

void AccordionComponent::finishAnimation()
{
    if (animating)
        advanceAnimation (animStartMs + animationMs);
}

void AccordionComponent::timerCallback()
{
    advanceAnimation (juce::Time::getMillisecondCounter());
}

void AccordionComponent::setBodyBounds()
{
    if (body != nullptr)
        body->setBounds (0, headerHeight, getWidth(), currentHeight);
}

void AccordionComponent::notifyHeight()
{
    if (heightListener != nullptr)
        heightListener->accordionHeightChanged (this);
}

//==============================================================================
void AccordionComponent::resized()
{
    const int w = getWidth();
    powerButton.setBounds (6, 3, 46, 18);

    int a = w - 24;
    if (showSync)
    {
        syncButton.setBounds (w - 68, 2, 40, 20);
        a = w - 74;
    }
    if (showWide)
    {
        wideButton.setBounds (a - 48, 2, 44, 20);
        a -= 54;
    }
    if (show2x)
    {
        twoXButton.setBounds (a - 38, 2, 34, 20);
        a -= 44;
    }
    if (showModeSwitch)
    {
        modeSwitch.setBounds (a - 120, 2, 116, 20);
        a -= 126;
    }
    titleLabel.setBounds (62, 0, std::max (a - 62, 0), headerHeight);
    setBodyBounds();
}

void AccordionComponent::paint (juce::Graphics& g)
{
    const auto bounds = getLocalBounds().toFloat();
    const float w = bounds.getWidth();
    const juce::Rectangle<float> header (0.0f, 0.0f, w, static_cast<float> (headerHeight));

    g.setColour (Col::bg2);
    g.fillRoundedRectangle (bounds, 5.0f);
    g.setColour (Col::bg1);
    g.fillRect (header);

    // Header glow: a radial gradient from the left of the header.
    const auto glow = MdButton::getAccentColour (accent);
    float startAlpha = unitActive ? 0.45f : 0.22f;
    float middleAlpha = unitActive ? 0.14f : 0.07f;
    if (hovered)
    {
        startAlpha = std::min (startAlpha * 1.3f, 1.0f);
        middleAlpha = std::min (middleAlpha * 1.3f, 1.0f);
    }
    juce::ColourGradient gradient (glow.withAlpha (startAlpha), 0.12f * w, 12.0f, glow.withAlpha (0.0f), 0.92f * w,
                                   12.0f, true);
    gradient.addColour (0.45, glow.withAlpha (middleAlpha));
    g.setGradientFill (gradient);
    g.fillRect (header);

    g.setColour (colours.accent.brighter (unitActive ? 0.6f : 0.3f));
    g.drawRoundedRectangle (bounds, 5.0f, unitActive ? 2.5f : 1.5f);

    g.setColour (colours.light);
    g.fillPath (expanded ? arrowUp : arrowDown, juce::AffineTransform::translation (w - 12.0f, 10.5f));
}

//==============================================================================
void AccordionComponent::mouseDown (const juce::MouseEvent& e)
{
    // A press inside a header button's bounds is the button's, never a
    // toggle of the section (also while the button ignores it).
    const auto p = e.getEventRelativeTo (this).getPosition();
    if (powerButton.getBounds().contains (p))
        return;
    if ((showSync && syncButton.getBounds().contains (p)) || (showWide && wideButton.getBounds().contains (p))
        || (show2x && twoXButton.getBounds().contains (p)))
        return;
    setExpanded (! expanded);
}

void AccordionComponent::mouseEnter (const juce::MouseEvent&)
{
    setMouseCursor (juce::MouseCursor::PointingHandCursor);
    hovered = true;
    repaint();
}

void AccordionComponent::mouseExit (const juce::MouseEvent&)
{
    setMouseCursor (juce::MouseCursor::NormalCursor);
    hovered = false;
    repaint();
}
