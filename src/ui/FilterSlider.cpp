#include "ui/FilterSlider.h"

#include "dsp/ParamMapping.h"
#include "params/ValueText.h"
#include "ui/Col.h"
#include "ui/MdLookAndFeel.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr float minHz = 20.0f;
constexpr float maxHz = 22000.0f;
constexpr float middleHz = 1600.0f;
const float lnHpSpan = std::log (200.0f);
const float lnLpSpan = std::log (44.0f);
const float lnLowerHalf = std::log (middleHz / minHz); // ln 80
const float lnUpperHalf = std::log (maxHz / middleHz); // ln 13.75

float clampHz (float hz)
{
    return juce::jlimit (minHz, maxHz, hz);
}
} // namespace

FilterSlider::FilterSlider()
{
    setRepaintsOnMouseActivity (true);
    setMouseCursor (juce::MouseCursor::PointingHandCursor);
}

//==============================================================================
float FilterSlider::rawToHzHp (float raw)
{
    return mapping::highPassHz (raw);
}

float FilterSlider::hzToRawHp (float hz)
{
    return std::log (hz / 20.0f) * 1000.0f / lnHpSpan;
}

float FilterSlider::rawToHzLp (float raw)
{
    return mapping::lowPassHz (raw);
}

float FilterSlider::hzToRawLp (float hz)
{
    return std::log (hz / 500.0f) * 1000.0f / lnLpSpan;
}

juce::Rectangle<float> FilterSlider::getTrackBounds() const
{
    const auto b = getLocalBounds().toFloat();
    return { b.getX() + 4.0f, b.getY() + b.getHeight() / 2.0f - 1.0f, b.getWidth() - 8.0f, 2.0f };
}

float FilterSlider::xToHz (float x) const
{
    const float span = std::max (static_cast<float> (getWidth()) - 8.0f, 1.0f);
    const float t = juce::jlimit (0.0f, 1.0f, (x - 4.0f) / span);
    if (t <= 0.5f)
        return minHz * std::pow (middleHz / minHz, 2.0f * t);
    return middleHz * std::pow (maxHz / middleHz, 2.0f * (t - 0.5f));
}

float FilterSlider::hzToX (float hz) const
{
    const float b = hz <= middleHz ? std::log (hz / minHz) * 0.5f / lnLowerHalf
                                   : std::log (hz / middleHz) * 0.5f / lnUpperHalf + 0.5f;
    return 4.0f + (static_cast<float> (getWidth()) - 8.0f) * b;
}

juce::String FilterSlider::readoutText (bool highPass) const
{
    const float raw = juce::jlimit (0.0f, 1000.0f, highPass ? hpRaw : lpRaw);
    return (highPass ? "HP " : "LP ") + formatHz (highPass ? rawToHzHp (raw) : rawToHzLp (raw));
}

juce::String FilterSlider::formatHz (float hz)
{
    return valuetext::filterHz (hz);
}

void FilterSlider::setRawPositions (float hp, float lp)
{
    if (hp == hpRaw && lp == lpRaw)
        return;
    hpRaw = hp;
    lpRaw = lp;
    repaint();
}

bool FilterSlider::nearerIsHp (float x) const
{
    return std::abs (x - lpX()) > std::abs (x - hpX());
}

//==============================================================================
void FilterSlider::mouseDown (const juce::MouseEvent& e)
{
    grabbedHp = nearerIsHp (e.position.x);
    dragging = true;
    fineDragActive = false;
    if (onParamDragStart)
        onParamDragStart (grabbedId());
}

void FilterSlider::mouseDrag (const juce::MouseEvent& e)
{
    if (! dragging)
        return;

    const float hpHz = clampHz (rawToHzHp (hpRaw));
    const float lpHz = clampHz (rawToHzLp (lpRaw));
    const float mx = e.position.x;

    float candidate = 0.0f;
    float threshold = 0.5f;
    if (e.mods.isCommandDown() || e.mods.isAltDown())
    {
        // Fine: a whole track width moves an eighth of the raw range.
        if (! fineDragActive)
        {
            fineDragActive = true;
            fineStartRaw = grabbedHp ? hpRaw : lpRaw;
            fineStartX = mx;
        }
        const float span = std::max (static_cast<float> (getWidth()) - 8.0f, 1.0f);
        const float p =
            juce::jlimit (0.0f, 1000.0f, fineStartRaw + (mx - fineStartX) / span * 1000.0f * 0.125f) / 1000.0f;
        candidate = grabbedHp ? 20.0f * std::pow (200.0f, p) : 500.0f * std::pow (44.0f, p);
        threshold = 0.05f;
    }
    else
    {
        fineDragActive = false;
        candidate = xToHz (mx);
    }

    // Each corner stops at the other; the parameters' ranges clamp the rest.
    float& stored = grabbedHp ? hpRaw : lpRaw;
    const float next = grabbedHp ? hzToRawHp (std::max (std::min (candidate, lpHz), minHz))
                                 : hzToRawLp (juce::jlimit (hpHz, maxHz, candidate));
    if (std::abs (next - stored) > threshold)
    {
        stored = next;
        if (onChange)
            onChange (hpRaw, lpRaw);
    }
    repaint();
}

void FilterSlider::mouseUp (const juce::MouseEvent&)
{
    if (! dragging)
        return;
    dragging = false;
    fineDragActive = false;
    if (onParamDragEnd)
        onParamDragEnd (grabbedId());
}

void FilterSlider::mouseDoubleClick (const juce::MouseEvent& e)
{
    if (nearerIsHp (e.position.x))
        hpRaw = defaultHpRaw;
    else
        lpRaw = defaultLpRaw;
    if (onChange)
        onChange (hpRaw, lpRaw);
    repaint();
}

void FilterSlider::mouseMove (const juce::MouseEvent& e)
{
    const float dy = std::abs (e.position.y - static_cast<float> (getHeight()) / 2.0f);
    const bool overHp = std::abs (e.position.x - hpX()) < 8.0f && dy < 8.0f;
    const bool overLp = std::abs (e.position.x - lpX()) < 8.0f && dy < 8.0f;
    if (overHp != hpHover || overLp != lpHover)
    {
        hpHover = overHp;
        lpHover = overLp;
        repaint();
    }
}

void FilterSlider::mouseExit (const juce::MouseEvent&)
{
    hpHover = false;
    lpHover = false;
    repaint();
}

//==============================================================================
void FilterSlider::paint (juce::Graphics& g)
{
    const auto bounds = getLocalBounds().toFloat();
    const auto track = getTrackBounds();
    const float cy = bounds.getY() + bounds.getHeight() / 2.0f;
    const float hx = hpX();
    const float lx = lpX();

    g.setColour (Col::b2);
    g.fillRect (track);

    const float bandLeft = std::max (hx, track.getX());
    const float bandRight = std::min (lx, track.getRight());
    if (bandRight - bandLeft > 1.0f)
    {
        g.setColour (Col::co_br.withAlpha (0.75f));
        g.fillRect (bandLeft, track.getY(), bandRight - bandLeft, 2.0f);
    }

    auto handle = [&] (float x, bool highlighted) {
        g.setColour (juce::Colours::black.withAlpha (0.45f));
        g.fillEllipse (x - 5.0f, cy - 5.0f + 1.0f, 10.0f, 10.0f);
        g.setColour (highlighted ? Col::co_br.brighter (0.2f) : Col::co_br);
        g.fillEllipse (x - 5.0f, cy - 5.0f, 10.0f, 10.0f);
        g.setColour (juce::Colours::black.withAlpha (0.22f));
        g.drawEllipse (x - 5.0f, cy - 5.0f, 10.0f, 10.0f, 1.5f);
    };
    handle (hx, dragging ? grabbedHp : hpHover);
    handle (lx, dragging ? ! grabbedHp : lpHover);

    g.setColour (Col::co_br);
    g.setFont (MdLookAndFeel::monoFont (10.0f));
    const float x = bounds.getX();
    const float right = bounds.getRight();
    const float h = bounds.getHeight();
    g.drawText (readoutText (true), juce::Rectangle<float> (x + 2.0f, 0.0f, std::max (hx - x - 6.0f, 0.0f), h),
                juce::Justification::centredLeft, true);
    const float u = std::max (right - lx - 6.0f, 0.0f);
    g.drawText (readoutText (false), juce::Rectangle<float> (right - u - 2.0f, 0.0f, u, h),
                juce::Justification::centredRight, true);
}
