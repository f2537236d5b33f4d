#include "ui/MdSlider.h"

#include "ui/ValueEntryBox.h"

#include <algorithm>
#include <cmath>

MdSlider::MdSlider (Kind k)
    : juce::Slider (juce::Slider::LinearHorizontal, juce::Slider::NoTextBox)
    , kind (k)
{
    setRange (0.0, 1.0, 0.001);
    setValue (0.0, juce::dontSendNotification);
    setMouseCursor (juce::MouseCursor::PointingHandCursor);
    setColour (thumbColourId, juce::Colour (0xffccc524));
    setColour (trackColourId, juce::Colour (0xffb3ad20));
}

void MdSlider::setColours (juce::Slider& slider, juce::Colour colour)
{
    slider.setColour (thumbColourId, colour);
    slider.setColour (trackColourId, colour);
}

juce::String MdSlider::formatSmartMs (double ms)
{
    return valuetext::formatSmartMs (ms);
}

bool MdSlider::isSyncKind() const noexcept
{
    return valuetext::isSyncKind (kind);
}

valuetext::Display MdSlider::display() const noexcept
{
    return { static_cast<double> (displayScale), syncMode, phaseMode, hostBpm };
}

//==============================================================================
juce::String MdSlider::getTextFromValue (double raw)
{
    return valuetext::format (kind, raw, display());
}

namespace
{
// A slider for screen readers: its value, its range and step, and the value
// text the slider is given for them.
class MdSliderAccessibility : public juce::AccessibilityHandler
{
public:
    explicit MdSliderAccessibility (MdSlider& s)
        : juce::AccessibilityHandler (
            s, juce::AccessibilityRole::slider, juce::AccessibilityActions {},
            Interfaces { std::unique_ptr<juce::AccessibilityValueInterface> (std::make_unique<Value> (s)) })
    {
    }

private:
    class Value : public juce::AccessibilityValueInterface
    {
    public:
        explicit Value (MdSlider& s)
            : slider (s)
        {
        }

        bool isReadOnly() const override { return ! slider.isEnabled(); }
        double getCurrentValue() const override { return slider.getValue(); }
        void setValue (double newValue) override { slider.setValue (newValue, juce::sendNotificationSync); }
        void setValueAsString (const juce::String& text) override
        {
            if (const double typed = slider.getValueFromText (text); std::isfinite (typed))
                setValue (typed);
        }
        juce::String getCurrentValueAsString() const override
        {
            return slider.accessibleValueText ? slider.accessibleValueText (slider.getValue())
                                              : slider.getTextFromValue (slider.getValue());
        }
        // The step of the arrow keys: a hundredth of the range, or the
        // slider's interval where that is coarser (whole-number controls).
        AccessibleValueRange getRange() const override
        {
            const double span = slider.getMaximum() - slider.getMinimum();
            return { { slider.getMinimum(), slider.getMaximum() }, std::max (slider.getInterval(), span / 100.0) };
        }

    private:
        MdSlider& slider;
    };
};
} // namespace

std::unique_ptr<juce::AccessibilityHandler> MdSlider::createAccessibilityHandler()
{
    return std::make_unique<MdSliderAccessibility> (*this);
}

double MdSlider::getValueFromText (const juce::String& typed)
{
    return valuetext::parse (kind, typed, getValue(), display());
}

//==============================================================================
double MdSlider::proportionOfLengthToValue (double proportion)
{
    return juce::Slider::proportionOfLengthToValue (reversed ? 1.0 - proportion : proportion);
}

double MdSlider::valueToProportionOfLength (double value)
{
    const double proportion = juce::Slider::valueToProportionOfLength (value);
    return reversed ? 1.0 - proportion : proportion;
}

void MdSlider::snapToSyncNote()
{
    if (! syncMode || ! isSyncKind() || hostBpm <= 0.0f)
        return;

    const double raw = getValue();
    const double index = std::clamp (std::round (12.0 - raw / 1000.0 * 12.0), 0.0, 12.0);
    const double target = (12.0 - index) / 12.0 * 1000.0;
    if (std::abs (raw - target) > 0.5)
        setValue (target, juce::sendNotificationSync);
}

void MdSlider::repaintHoverMargin()
{
    auto* parent = getParentComponent();
    if (hoverMargin <= 0 || parent == nullptr)
        return;

    const auto area = getBounds().expanded (hoverMargin);
    parent->repaint (area.withSize (std::max (area.getWidth(), 0), std::max (area.getHeight(), 0)));
}

//==============================================================================
void MdSlider::openValueEntry()
{
    ValueEntryBox::launch (*this, getTextFromValue (getValue()), [this] (const juce::String& text) {
        const double typed = getValueFromText (text);
        if (std::isfinite (typed))
        {
            const juce::ScopedValueSetter<bool> editing (userEditing, true);
            setValue (typed, juce::sendNotificationSync);
        }
    });
}

void MdSlider::mouseDown (const juce::MouseEvent& e)
{
    fineDragActive = false;
    gestureOpenedEntry = e.mods.testFlags (juce::ModifierKeys::rightButtonModifier | juce::ModifierKeys::ctrlModifier
                                           | juce::ModifierKeys::commandModifier);
    if (gestureOpenedEntry)
    {
        openValueEntry();
        return;
    }

    userEditing = true;
    if (onParamDragStart)
        onParamDragStart (paramId);
    juce::Slider::mouseDown (e);

    // A click jumps the thumb to the mouse: the same pull and snapping as a drag.
    applyDetentAndSnapping();
}

void MdSlider::mouseDrag (const juce::MouseEvent& e)
{
    if (gestureOpenedEntry)
        return;

    if (e.mods.isCommandDown())
    {
        fineDrag (e);
    }
    else
    {
        fineDragActive = false;
        juce::Slider::mouseDrag (e);
        applyDetentAndSnapping();
    }
    repaintHoverMargin();
}

void MdSlider::fineDrag (const juce::MouseEvent& e)
{
    // Along the slider's own axis: rightward or upward raises the value, and
    // a reversed slider follows its mirrored travel as an ordinary drag does.
    const bool vertical = isVertical();
    const float pos = vertical ? e.position.y : e.position.x;

    if (! fineDragActive)
    {
        fineDragActive = true;
        fineDragStartValue = getValue();
        fineDragStartPos = pos;
    }

    const double length = std::max (vertical ? getHeight() : getWidth(), 1);
    double moved = (vertical ? fineDragStartPos - pos : pos - fineDragStartPos) / length;
    if (reversed)
        moved = -moved;

    const double range = getMaximum() - getMinimum();
    setValue (std::clamp (fineDragStartValue + moved * range * 0.125, getMinimum(), getMaximum()),
              juce::sendNotificationSync);
}

void MdSlider::applyDetentAndSnapping()
{
    if (detentWidth > 0.0)
    {
        const double d = getValue() - detentCentre;
        if (std::abs (d) < detentWidth)
        {
            const double pulled = detentCentre + d * std::abs (d) / detentWidth;
            if (pulled != getValue())
                setValue (pulled, juce::sendNotificationSync);
        }
    }

    if (syncMode)
    {
        snapToSyncNote();

        if (phaseMode)
        {
            const double snapped = std::round (getValue() / 45.0) * 45.0;
            if (std::abs (getValue() - snapped) > 0.001)
                setValue (snapped, juce::sendNotificationSync);
        }
    }
}

void MdSlider::mouseUp (const juce::MouseEvent& e)
{
    if (gestureOpenedEntry)
    {
        gestureOpenedEntry = false;
        return;
    }

    if (onParamDragEnd)
        onParamDragEnd (paramId);
    juce::Slider::mouseUp (e);
    userEditing = false;
}

void MdSlider::mouseEnter (const juce::MouseEvent& e)
{
    if (onHoverEnter)
        onHoverEnter (paramId);
    juce::Slider::mouseEnter (e);
    repaintHoverMargin();
}

void MdSlider::mouseExit (const juce::MouseEvent& e)
{
    if (onHoverExit)
        onHoverExit (paramId);
    juce::Slider::mouseExit (e);
    repaintHoverMargin();
}

void MdSlider::mouseDoubleClick (const juce::MouseEvent&)
{
    setValue (resetValue, juce::sendNotificationSync);
}

void MdSlider::mouseWheelMove (const juce::MouseEvent&, const juce::MouseWheelDetails&) {}

bool MdSlider::keyPressed (const juce::KeyPress& key)
{
    const juce::ScopedValueSetter<bool> editing (userEditing, true);
    return juce::Slider::keyPressed (key);
}
