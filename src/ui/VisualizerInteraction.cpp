// The visualizer as a control surface: the START dot sets the predelay, the
// decay handle the decay curve (vertically) and the falloff (horizontally),
// the wear handle the tape wear, the falloff line the falloff, and the steps
// label the number of decay steps. Every drag is one host gesture per
// parameter, from the press to the release, so host automation records it
// as one move.

#include "ui/VisualizerComponent.h"

#include "params/ParameterTable.h"
#include "params/ValueText.h"
#include "ui/ValueEntryBox.h"

#include <algorithm>
#include <cmath>

namespace
{
// The right button, ctrl or command open the typed entry instead of a drag.
bool opensEntry (const juce::ModifierKeys& mods)
{
    return mods.testFlags (juce::ModifierKeys::rightButtonModifier | juce::ModifierKeys::ctrlModifier
                           | juce::ModifierKeys::commandModifier);
}

bool within (juce::Point<float> p, juce::Point<float> centre, float reach)
{
    return std::abs (p.x - centre.x) < reach && std::abs (p.y - centre.y) < reach;
}
} // namespace

//==============================================================================
// Hit zones.

bool VisualizerComponent::isOverStartDot (juce::Point<float> p) const
{
    return within (p, startHandlePos (computeCoords()), 10.0f);
}

bool VisualizerComponent::isOverDecayHandle (juce::Point<float> p) const
{
    return within (p, decayHandlePos (computeCoords()), 12.0f);
}

bool VisualizerComponent::isOverWearHandle (juce::Point<float> p) const
{
    return within (p, wearHandlePos (computeCoords()), 12.0f);
}

bool VisualizerComponent::isOverFalloffLine (juce::Point<float> p) const
{
    return std::abs (p.x - falloffLineX (computeCoords())) < 7.0f;
}

//==============================================================================
// Parameters and host gestures.

juce::RangedAudioParameter* VisualizerComponent::parameter (const char* id) const
{
    return apvts != nullptr ? apvts->getParameter (id) : nullptr;
}

void VisualizerComponent::beginGesture (juce::RangedAudioParameter* p)
{
    if (p == nullptr || std::find (openGestures.begin(), openGestures.end(), p) != openGestures.end())
        return;
    p->beginChangeGesture();
    openGestures.push_back (p);
}

void VisualizerComponent::endGesture (juce::RangedAudioParameter* p)
{
    const auto it = std::find (openGestures.begin(), openGestures.end(), p);
    if (it == openGestures.end())
        return;
    openGestures.erase (it);
    p->endChangeGesture();
}

void VisualizerComponent::endAllGestures()
{
    while (! openGestures.empty())
        endGesture (openGestures.back());
}

namespace
{
// Sets a plain value (clamped to the range) when it changes: inside the
// drag's gesture when one is open, else as a gesture of its own.
void setPlain (juce::RangedAudioParameter& p, float value, bool gestureOpen)
{
    const auto& range = p.getNormalisableRange();
    const float normalised = p.convertTo0to1 (juce::jlimit (range.start, range.end, value));
    if (normalised == p.getValue())
        return;
    if (! gestureOpen)
        p.beginChangeGesture();
    p.setValueNotifyingHost (normalised);
    if (! gestureOpen)
        p.endChangeGesture();
}
} // namespace

void VisualizerComponent::setPredelayMs (float ms)
{
    if (predelayParam == nullptr || ! std::isfinite (ms))
        return;
    const bool open = std::find (openGestures.begin(), openGestures.end(), predelayParam) != openGestures.end();
    setPlain (*predelayParam, ms, open);
}

int VisualizerComponent::readSteps() const
{
    if (apvts != nullptr)
        if (auto* v = apvts->getRawParameterValue (params::id::decaySteps))
            return static_cast<int> (v->load());
    return 4;
}

void VisualizerComponent::setSteps (int steps)
{
    if (auto* p = parameter (params::id::decaySteps))
    {
        const bool open = std::find (openGestures.begin(), openGestures.end(), p) != openGestures.end();
        setPlain (*p, static_cast<float> (juce::jlimit (1, 16, steps)), open);
    }
}

float VisualizerComponent::predelayFromText (const juce::String& text) const
{
    const float current =
        predelayParam != nullptr ? predelayParam->convertFrom0to1 (predelayParam->getValue()) : state.predelayMs;
    const auto trimmed = text.trim();

    float ms = 0.0f;
    if (trimmed.endsWithIgnoreCase ("ms"))
        ms = static_cast<float> (valuetext::readNumber (trimmed.dropLastCharacters (2)));
    else if (trimmed.endsWithIgnoreCase ("s"))
        ms = static_cast<float> (valuetext::readNumber (trimmed.dropLastCharacters (1))) * 1000.0f;
    else
        ms = static_cast<float> (valuetext::readNumber (trimmed));

    // "nan", "inf" or an overflowing number would pass any clamp: such text
    // leaves the predelay as it is.
    if (! std::isfinite (ms))
        return current;
    if (predelayParam == nullptr)
        return ms;
    const auto& range = predelayParam->getNormalisableRange();
    return juce::jlimit (range.start, range.end, ms);
}

void VisualizerComponent::reportDragStart (MdSlider& slider)
{
    if (slider.onParamDragStart)
        slider.onParamDragStart (slider.paramId);
}

void VisualizerComponent::reportDragEnd (MdSlider& slider)
{
    if (slider.onParamDragEnd)
        slider.onParamDragEnd (slider.paramId);
}

//==============================================================================
// Press.

void VisualizerComponent::mouseDown (const juce::MouseEvent& e)
{
    if (e.eventComponent == &stepsLabel)
    {
        if (apvts == nullptr)
            return;

        // The label lies over the plot: the decay handle beneath it wins.
        const auto here = e.getEventRelativeTo (this);
        if (isOverDecayHandle (here.position))
        {
            pressOnPlot (here);
            return;
        }

        // Dragging is measured in the visualizer's coordinates throughout.
        stepsDrag = true;
        stepsDragStartY = here.getPosition().y;
        stepsDragStartSteps = readSteps();
        e.source.enableUnboundedMouseMovement (true, false);
        beginGesture (parameter (params::id::decaySteps));
        return;
    }

    if (e.eventComponent == this)
        pressOnPlot (e);
}

void VisualizerComponent::pressOnPlot (const juce::MouseEvent& e)
{
    const auto c = computeCoords();
    const auto pos = e.position;

    // 1. The START dot: the typed entry, or a predelay drag.
    if (isOverStartDot (pos))
    {
        if (opensEntry (e.mods))
        {
            openPredelayEntry();
            return;
        }
        if (predelayParam == nullptr)
            return;

        predelayDrag = true;
        finePredelay = false;
        predelayDragStartX = e.getPosition().x;
        predelayDragStartValue = predelayParam->convertFrom0to1 (predelayParam->getValue());
        setMouseCursor (juce::MouseCursor::DraggingHandCursor);
        beginGesture (predelayParam);
        if (onParamDragStart)
            onParamDragStart (params::id::predelay);
        return;
    }

    // 2. The handles; where both zones hold the point the wear handle wins
    // only when strictly nearer.
    const auto decayPos = decayHandlePos (c);
    const auto wearPos = wearHandlePos (c);
    const bool inDecay = within (pos, decayPos, 12.0f);
    const bool inWear = within (pos, wearPos, 12.0f);
    if (inDecay || inWear)
    {
        const bool wear =
            inWear && (! inDecay || pos.getDistanceSquaredFrom (wearPos) < pos.getDistanceSquaredFrom (decayPos));
        if (wear)
        {
            wearDrag = true;
            wearDragStartX = e.getPosition().x;
            wearDragStartValue = wearSlider.getValue();
            beginGesture (parameter (params::id::tapeWear));
            reportDragStart (wearSlider);
        }
        else
        {
            decayDrag = true;
            decayDragStartY = e.getPosition().y;
            decayDragStartValue = decaySlider.getValue();
            grabOffset = pos.x - falloffLineX (c);
            beginGesture (parameter (params::id::decayFalloff));
            beginGesture (parameter (params::id::decayCurve));
            // The falloff first, so the editor ends with the curve as the
            // dragged parameter.
            reportDragStart (falloffSlider);
            reportDragStart (decaySlider);
        }
        setMouseCursor (juce::MouseCursor::DraggingHandCursor);
        repaint();
        return;
    }

    // 3. The falloff line.
    if (std::abs (pos.x - falloffLineX (c)) < 7.0f)
    {
        falloffDrag = true;
        grabOffset = pos.x - falloffLineX (c);
        beginGesture (parameter (params::id::decayFalloff));
        reportDragStart (falloffSlider);
        setMouseCursor (juce::MouseCursor::DraggingHandCursor);
        repaint();
    }
}

void VisualizerComponent::openPredelayEntry()
{
    const auto dot = startHandlePos (computeCoords()).roundToInt();
    const auto area = localAreaToGlobal (juce::Rectangle<int> (dot.x - 10, dot.y - 10, 20, 20));
    const auto text = juce::String (static_cast<int> (state.predelayMs)) + " ms";
    ValueEntryBox::launch (*this, area, text,
                           [this] (const juce::String& typed) { setPredelayMs (predelayFromText (typed)); });
}

//==============================================================================
// Drag.

void VisualizerComponent::falloffFromX (float x)
{
    const auto c = computeCoords();
    const float f = juce::jlimit (0.0f, 1.0f, (x - grabOffset - 14.0f) / std::max (c.xSpan, 1.0f));
    falloffSlider.setValue (falloffSpanFromXFrac (f, state.predelayMs, state.lengthMs, timelineMaxMs),
                            juce::sendNotificationSync);
}

void VisualizerComponent::mouseDrag (const juce::MouseEvent& event)
{
    const auto e = event.eventComponent == this ? event : event.getEventRelativeTo (this);
    const auto at = e.getPosition();
    const auto c = computeCoords();

    if (stepsDrag)
    {
        // Four pixels up per step; the division truncates toward zero.
        setSteps (juce::jlimit (1, 16, stepsDragStartSteps + (stepsDragStartY - at.y) / 4));
        return;
    }

    if (decayDrag)
    {
        const double value = decayDragStartValue
                             + (decayDragStartY - at.y) * 400.0 / std::max (static_cast<double> (c.plotHeight), 40.0);
        decaySlider.setValue (juce::jlimit (-100.0, 300.0, value), juce::sendNotificationSync);
        falloffFromX (e.position.x);
        return;
    }

    if (wearDrag)
    {
        // Dragging left wears the tape more.
        const double value =
            wearDragStartValue + (wearDragStartX - at.x) * 100.0 / std::max (0.9 * static_cast<double> (c.xSpan), 40.0);
        wearSlider.setValue (juce::jlimit (0.0, 100.0, value), juce::sendNotificationSync);
        return;
    }

    if (falloffDrag)
    {
        falloffFromX (e.position.x);
        return;
    }

    if (predelayDrag && predelayParam != nullptr)
    {
        const float msPerPixel = timelineMaxMs / std::max (c.xSpan, 1.0f);
        float value = 0.0f;
        if (e.mods.isCommandDown())
        {
            if (! finePredelay)
            {
                finePredelay = true;
                finePredelayStartValue = predelayParam->convertFrom0to1 (predelayParam->getValue());
                finePredelayStartX = at.x;
            }
            const auto& range = predelayParam->getNormalisableRange();
            value = juce::jlimit (range.start, range.end,
                                  finePredelayStartValue
                                      + static_cast<float> (at.x - finePredelayStartX) * msPerPixel * 0.125f);
        }
        else
        {
            finePredelay = false;
            value = juce::jlimit (0.0f, 2000.0f,
                                  predelayDragStartValue + static_cast<float> (at.x - predelayDragStartX) * msPerPixel);
        }
        setPredelayMs (value);
    }
}

//==============================================================================
// Release, hover, exit, double-click.

void VisualizerComponent::mouseUp (const juce::MouseEvent& e)
{
    if (decayDrag)
    {
        decayDrag = false;
        reportDragEnd (decaySlider);
        reportDragEnd (falloffSlider);
        endGesture (parameter (params::id::decayCurve));
        endGesture (parameter (params::id::decayFalloff));
        refreshHoverCursor();
        repaint();
    }
    if (wearDrag)
    {
        wearDrag = false;
        reportDragEnd (wearSlider);
        endGesture (parameter (params::id::tapeWear));
        refreshHoverCursor();
    }
    if (falloffDrag)
    {
        falloffDrag = false;
        reportDragEnd (falloffSlider);
        endGesture (parameter (params::id::decayFalloff));
        refreshHoverCursor();
        repaint();
    }
    if (predelayDrag)
    {
        predelayDrag = false;
        finePredelay = false;
        setMouseCursor (juce::MouseCursor::NormalCursor);
        endGesture (predelayParam);
        if (onParamDragEnd)
            onParamDragEnd (params::id::predelay);
    }
    if (stepsDrag)
    {
        stepsDrag = false;
        e.source.enableUnboundedMouseMovement (false);
        endGesture (parameter (params::id::decaySteps));
    }
}

void VisualizerComponent::refreshHoverCursor()
{
    setMouseCursor (decayHover || wearHover || falloffHover ? juce::MouseCursor::PointingHandCursor
                                                            : juce::MouseCursor::NormalCursor);
}

void VisualizerComponent::mouseMove (const juce::MouseEvent& e)
{
    if (e.eventComponent != this || predelayDrag)
        return;

    const bool overStart = isOverStartDot (e.position);
    if (overStart != startHover)
    {
        startHover = overStart;
        const auto& callback = overStart ? onParamHoverStart : onParamHoverEnd;
        if (callback)
            callback (params::id::predelay);
    }

    const bool decay = ! decayDrag && isOverDecayHandle (e.position);
    const bool wear = ! wearDrag && isOverWearHandle (e.position);
    const bool falloff = ! falloffDrag && isOverFalloffLine (e.position);
    if (decay != decayHover || wear != wearHover || falloff != falloffHover)
    {
        decayHover = decay;
        wearHover = wear;
        falloffHover = falloff;
        refreshHoverCursor();
        repaint();
    }
}

void VisualizerComponent::mouseExit (const juce::MouseEvent& e)
{
    if (e.eventComponent != this)
        return;

    if (startHover)
    {
        startHover = false;
        if (onParamHoverEnd)
            onParamHoverEnd (params::id::predelay);
    }
    if (decayHover || wearHover || falloffHover)
    {
        decayHover = wearHover = falloffHover = false;
        setMouseCursor (juce::MouseCursor::NormalCursor);
        repaint();
    }
}

void VisualizerComponent::mouseDoubleClick (const juce::MouseEvent& e)
{
    if (e.eventComponent == &stepsLabel)
        setSteps (4);
    else if (e.eventComponent == this && isOverStartDot (e.position))
        setPredelayMs (0.0f);
}
