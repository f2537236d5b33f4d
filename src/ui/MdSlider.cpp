#include "ui/MdSlider.h"

#include "dsp/NoteGrid.h"
#include "ui/ValueEntryBox.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr double pi = juce::MathConstants<double>::pi;

double clamp01 (double x)
{
    return std::clamp (x, 0.0, 1.0);
}

juce::String signedInteger (int n)
{
    return n > 0 ? "+" + juce::String (n) : juce::String (n);
}

// Removes suffix (and the space before it) when text ends with it.
bool stripSuffix (juce::String& text, const char* suffix)
{
    if (! text.endsWith (suffix))
        return false;
    text = text.dropLastCharacters (juce::String (suffix).length()).trim();
    return true;
}
} // namespace

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
    ms = std::max (ms, 0.0);
    if (ms < 1000.0)
        return juce::String (static_cast<int> (ms)) + " ms";
    return juce::String (ms / 1000.0, 2) + " s";
}

bool MdSlider::isSyncKind() const noexcept
{
    return kind == Kind::DelayTime || kind == Kind::LfoRate || kind == Kind::SlowRate;
}

//==============================================================================
juce::String MdSlider::getTextFromValue (double raw)
{
    const double t = clamp01 (raw / 1000.0);

    if (syncMode)
    {
        if (phaseMode)
        {
            static const char* const offsets[] = { "on beat", "1/8", "1/4", "3/8", "1/2 off" };
            const auto n = std::abs (std::round (raw / 45.0));
            return offsets[static_cast<size_t> (std::min (n, 4.0))];
        }

        if (isSyncKind())
        {
            if (hostBpm <= 0.0f)
                return {};
            const double index = kind == Kind::DelayTime ? std::round (12.0 - 12.0 * t) : std::round (12.0 * t);
            return NoteGrid::labels[NoteGrid::clampIndex (static_cast<int> (index))];
        }
    }

    switch (kind)
    {
        case Kind::Ms:
            return juce::String (static_cast<int> (raw)) + " ms";
        case Kind::Hz:
            return juce::String (raw, 2) + " Hz";
        case Kind::PercentPlain:
        case Kind::Percent:
            return juce::String (static_cast<int> (displayScale * raw)) + "%";
        case Kind::Integer:
            return juce::String (static_cast<int> (raw));
        case Kind::Decimal:
            return juce::String (raw, 2);
        case Kind::LengthExp:
            return formatSmartMs (std::round (10.0 * std::pow (1400.0, raw / 1000.0)));
        case Kind::DelayTime:
        {
            const double f = t <= 0.65 ? std::pow (1000.0, t / 0.65) : 1000.0 * std::pow (2.0, (t - 0.65) / 0.35);
            return formatSmartMs (std::round (std::max (1.0, std::round (f)) * displayScale));
        }
        case Kind::LfoRate:
            return juce::String (0.15 * std::pow (53.333, raw / 1000.0), 1) + " Hz";
        case Kind::Curve:
        {
            double n = 0.0;
            if (raw >= 0.0 && raw <= 200.0)
            {
                n = -100.0 * std::cos (pi * raw / 200.0);
            }
            else
            {
                const double d = raw > 200.0 ? raw - 200.0 : std::abs (raw);
                const double e = 40.0 * (1.0 - std::cos (std::min (d, 100.0) / 100.0 * pi / 2.0));
                n = raw > 200.0 ? 100.0 + e : -100.0 - e;
            }
            const int rounded = static_cast<int> (std::round (n));
            return rounded >= 1 ? "+" + juce::String (rounded) : juce::String (rounded);
        }
        case Kind::Cents:
            return juce::String (displayScale * raw, 1) + "c";
        case Kind::SlowRate:
        {
            const double hz = raw <= 0.0 ? 0.0 : 0.01 * std::pow (800.0, std::pow (t, 0.61));
            return juce::String (hz * displayScale, 2) + " Hz";
        }
        case Kind::Decibels:
            return juce::String (raw / 100.0 * 6.0, 1) + " dB";
        case Kind::Width:
        {
            const int n = static_cast<int> (std::round ((raw / 7.5 - 1.0) * 100.0));
            if (n <= -100)
                return "MONO";
            if (n >= 100)
                return "WIDEST";
            return signedInteger (n);
        }
    }
    return juce::String (raw);
}

double MdSlider::getValueFromText (const juce::String& typed)
{
    const auto trimmed = typed.trim();

    if (kind == Kind::Width)
    {
        const auto upper = trimmed.toUpperCase();
        if (upper == "MONO")
            return 0.0;
        if (upper == "WIDEST")
            return 15.0;
    }

    // Units are optional: a typed unit is removed, never required.
    auto text = trimmed;
    for (const auto* unit : { "ms", "Ms", "MS", "Hz", "ct", "Ct", "CT", "c", "C", "dB", "db", "DB" })
        stripSuffix (text, unit);
    stripSuffix (text, "%");
    const bool seconds = stripSuffix (text, "s");

    double v = text.getDoubleValue();

    // "nan", "inf" or an overflowing exponent would pass every clamp below:
    // such text leaves the value as it is.
    if (! std::isfinite (v))
        return getValue();

    // A time typed in seconds ("1.5 s", but not "1.5 ms") is converted.
    if (seconds && (kind == Kind::Ms || kind == Kind::DelayTime || kind == Kind::LengthExp))
        v *= 1000.0;

    switch (kind)
    {
        case Kind::Ms:
        case Kind::Hz:
        case Kind::PercentPlain:
        case Kind::Percent:
        case Kind::Integer:
        case Kind::Decimal:
        case Kind::Cents:
            return v;
        case Kind::LengthExp:
            return std::round (std::log (std::max (v, 10.0) / 10.0) / std::log (1400.0) * 1000.0);
        case Kind::DelayTime:
        {
            const double ms = std::max (v / static_cast<double> (displayScale), 1.0);
            const double t = ms <= 1000.0 ? std::log (ms) * 0.65 / std::log (1000.0)
                                          : std::log (ms / 1000.0) * 0.35 / std::log (2.0) + 0.65;
            return std::round (std::clamp (1000.0 * t, 0.0, 1000.0));
        }
        case Kind::LfoRate:
            return std::round (std::log (std::max (v, 0.15) / 0.15) / std::log (53.333) * 1000.0);
        case Kind::Curve:
        {
            v = std::clamp (v, -140.0, 140.0);
            if (v >= -100.0 && v <= 100.0)
                return std::acos (v / -100.0) * 200.0 / pi;
            const double m = std::clamp ((std::abs (v) - 100.0) / 40.0, 0.0, 1.0);
            const double a = std::acos (1.0 - m) * 200.0 / pi;
            return v > 100.0 ? 200.0 + a : -a;
        }
        case Kind::SlowRate:
        {
            const double m = std::clamp (std::log (std::max (v, 0.01) / 0.01) / std::log (800.0), 0.0, 1.0);
            return std::round (1000.0 * std::pow (m, 1.0 / 0.61));
        }
        case Kind::Decibels:
            return std::clamp (v / 6.0 * 100.0, 0.0, 100.0);
        case Kind::Width:
            return std::clamp ((v / 100.0 + 1.0) * 7.5, 0.0, 15.0);
    }
    return v;
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
    if (onDragStart)
        onDragStart (paramId);
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

    if (onDragEnd)
        onDragEnd (paramId);
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
