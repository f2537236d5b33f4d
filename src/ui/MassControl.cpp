#include "ui/MassControl.h"

#include "params/ParameterTable.h"
#include "params/ValueText.h"
#include "ui/Col.h"
#include "ui/MdLookAndFeel.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr float pi = juce::MathConstants<float>::pi;

juce::Colour rgba (float r, float g, float b, float a)
{
    return juce::Colour::fromFloatRGBA (r, g, b, juce::jlimit (0.0f, 1.0f, a));
}

void fillRadial (juce::Graphics& g, float x, float y, float radius, juce::ColourGradient gradient)
{
    g.setGradientFill (gradient);
    g.fillEllipse (x - radius, y - radius, radius * 2.0f, radius * 2.0f);
}

juce::ColourGradient radial (float x, float y, float radius, juce::Colour inner, juce::Colour outer)
{
    return juce::ColourGradient (inner, x, y, outer, x + radius, y, true);
}

// Grid point displaced by the singularity (e < 0) or the bulge (e > 0).
juce::Point<float> displace (float x, float y, float e, float w, float h, float fx, float fy)
{
    if (e < 0.0f)
    {
        const float neg = -e;
        const float sigma = (0.1f - 0.22f * e) * w;
        const float dx = x - fx;
        const float dy = 1.3f * (y - fy);
        const float f = std::exp (-(dx * dx + dy * dy) / (sigma * sigma));
        const float s = std::sqrt (neg);
        return { x + (fx - x) * f * s * 0.9f, y + (fy - y) * f * s * 0.98f };
    }
    if (e > 0.0f)
    {
        const float d = (x - fx) / (0.3f * w);
        return { fx + (1.0f + 0.5f * e) * (x - fx), y - std::exp (-d * d) * e * h * 0.05f };
    }
    return { x, y };
}
} // namespace

MassControl::MassControl (juce::AudioProcessorValueTreeState& state)
    : apvts (state)
{
    setMouseCursor (juce::MouseCursor::LeftRightResizeCursor);
    startTimerHz (20);
}

MassControl::~MassControl()
{
    stopTimer();
}

float MassControl::rawG() const
{
    if (auto* v = apvts.getRawParameterValue (params::id::twist))
        return v->load();
    return 0.0f;
}

bool MassControl::isReversed() const
{
    auto* v = apvts.getRawParameterValue (params::id::reverse);
    return v != nullptr && v->load() > 0.5f;
}

void MassControl::setG (float value)
{
    if (auto* p = apvts.getParameter (params::id::twist))
        p->setValueNotifyingHost (p->convertTo0to1 (value));
}

juce::Point<float> MassControl::focusFor (float width, float height, float g)
{
    const float e = g / 100.0f;
    const float neg = std::max (-e, 0.0f);
    return { (width - 44.0f) * (0.5f + 0.5f * e) + 22.0f, (0.42f + 0.32f * std::pow (neg, 0.7f)) * height };
}

void MassControl::setFromX (float x)
{
    const auto w = static_cast<float> (getWidth());
    if (w < 1.0f)
        return;

    const float t = isReversed() ? (w - x) / w : x / w;
    float v = t < 0.0f ? -100.0f : (std::min (t, 1.0f) * 2.0f - 1.0f) * 100.0f;
    v = juce::jlimit (-100.0f, 100.0f, v);
    if (std::abs (v) <= 1.0f)
        v = 0.0f;
    setG (v);
}

std::vector<MassControl::DotSample> MassControl::computeDots (double timeSeconds, float w, float h, float g, float fx,
                                                              float fy)
{
    std::vector<DotSample> dots;
    if (w < 1.0f || h < 1.0f)
        return dots;

    const float e = g / 100.0f;
    const float neg = std::max (-e, 0.0f);
    const float spacing = 22.0f * std::pow (3.2f, -std::abs (e));
    if (! (spacing > 0.01f))
        return dots;

    const float m = juce::jlimit (0.0f, 1.0f, 0.5f * (e + 1.0f));
    const double speed = std::pow (0.0435, static_cast<double> (m)) * 1.15 * 26.0;
    const auto offset = static_cast<float> (std::fmod (speed * timeSeconds, static_cast<double> (spacing)));

    for (float u = w + 30.0f - offset; u > -4.0f; u -= spacing)
    {
        const float d = u - fx;
        const float span = d < 0.0f ? fx : w - fx;
        const float b = span > 0.0f ? std::min (std::abs (d) / span, 1.0f) : 0.0f;
        const float sign = d > 0.0f ? 1.0f : (d < 0.0f ? -1.0f : 0.0f);
        float x = fx + sign * std::pow (b, 1.6f) * span;
        float y = 0.42f * h;
        float fade = 1.0f;
        bool nearCore = false;

        if (e < 0.0f)
        {
            const float ax = (x - fx) / ((0.1f - 0.22f * e) * w);
            const float a = std::exp (-ax * ax);
            const float lx = (x - fx) / (0.14f * w + 30.0f);
            const float l = std::exp (-lx * lx);
            const float x1 = x + (fx - x) * l * neg * 0.85f;
            const float y1 = y + a * (fy - y);
            const float y2 = y1 + (fy - y1) * l * neg * 0.9f;

            if (std::hypot (x1 - fx, y2 - fy) < 12.0f)
            {
                dots.push_back ({ x1, y2, 0.0f, true, true });
                continue;
            }
            nearCore = l > 0.4f;
            fade = fx >= x ? e + 1.0f : 1.0f;
            x = x1;
            y = y2;
        }

        const float alpha = std::min ((w + 30.0f - u) / 30.0f, 1.0f) * fade;
        if (alpha > 0.03f)
            dots.push_back ({ x, y, alpha, false, nearCore });
    }
    return dots;
}

void MassControl::accumTick()
{
    const auto w = static_cast<float> (getWidth());
    const auto h = static_cast<float> (getHeight());
    const float g = rawG();
    const float neg = std::max (-g / 100.0f, 0.0f);
    const auto focus = focusFor (w, h, g);
    const auto dots = computeDots (juce::Time::getMillisecondCounterHiRes() / 1000.0, w, h, g, focus.x, focus.y);
    const auto count =
        std::count_if (dots.begin(), dots.end(), [] (const DotSample& d) { return d.swallowed || d.nearCore; });

    if (neg > 0.05f)
        energy = energy + static_cast<float> (count) * 0.01f + (1.0f - energy) * 0.02f;
    else
        energy *= 0.9f;
    energy = juce::jlimit (0.0f, 1.25f, energy);
}

void MassControl::timerCallback()
{
    accumTick();
    hoverAmount += ((hovered ? 1.0f : 0.0f) - hoverAmount) * 0.15f;

    repaint (areaToRepaint());
}

juce::Rectangle<int> MassControl::areaToRepaint() const
{
    // The grid, the captions and the frame change only with g, rev, the size
    // or the hover's glow: while they stay as last painted and g >= 0, only
    // the dots' band is painted again (about a third of the area).
    const auto still = stillPart();
    if (paintedOnce && still == lastPainted && still.g >= 0.0f && ! still.decorated)
        return dotBand();
    return getLocalBounds();
}

MassControl::StillPart MassControl::stillPart() const
{
    StillPart part;
    part.g = rawG();
    part.reversed = isReversed();
    part.width = getWidth();
    part.height = getHeight();
    // Below 0.01 neither the bokeh nor the flare is drawn (drawBokeh,
    // drawFlare).
    part.decorated = hoverAmount > 0.01f;
    return part;
}

juce::Rectangle<int> MassControl::dotBand() const
{
    // For g >= 0 the dots run at 0.42 h with a glow of radius 6, and the
    // singularity sits on the same line with a radius of at most 8.5.
    const float centre = 0.42f * static_cast<float> (getHeight());
    const int top = static_cast<int> (std::floor (centre - 12.0f));
    const int bottom = static_cast<int> (std::ceil (centre + 12.0f));
    return getLocalBounds().getIntersection ({ 0, top, getWidth(), bottom - top });
}

void MassControl::ensureBackground (float scale)
{
    const int wi = getWidth();
    const int hi = getHeight();
    const float g = rawG();
    if (background.isValid() && wi == cachedWidth && hi == cachedHeight && scale == cachedScale && g == cachedG)
        return;

    cachedWidth = wi;
    cachedHeight = hi;
    cachedScale = scale;
    cachedG = g;

    const auto w = static_cast<float> (wi);
    const auto h = static_cast<float> (hi);
    background = juce::Image (juce::Image::ARGB, std::max (1, static_cast<int> (std::ceil (w * scale))),
                              std::max (1, static_cast<int> (std::ceil (h * scale))), true);
    if (wi < 1 || hi < 1)
        return;

    juce::Graphics gr (background);
    gr.addTransform (juce::AffineTransform::scale (scale));

    const float e = g / 100.0f;
    const float neg = std::max (-e, 0.0f);
    const auto focus = focusFor (w, h, g);

    if (e < 0.0f)
    {
        gr.setGradientFill (radial (focus.x, focus.y, 0.85f * h,
                                    Col::twistGlow.withAlpha (std::min (0.1f + 0.4f * neg, 1.0f)),
                                    Col::twistGlow.withAlpha (0.0f)));
        gr.fillRect (0.0f, 0.0f, w, h);
    }

    constexpr int rows = 7;
    constexpr int columns = 31;
    const float top = 0.22f * h;
    const float span = 0.6f * h;
    auto gridPoint = [&] (int row, int column) {
        const float k = static_cast<float> (row) / 6.0f;
        const float y = top + std::pow (k, 1.2f) * span;
        const float p = (1.0f - k) * 0.06f;
        const float x = 22.0f + static_cast<float> (column) / 30.0f * (w - 44.0f);
        const float xp = x + (x - w / 2.0f) * p;
        return displace (xp, y, e, w, h, focus.x, focus.y);
    };

    for (int i = 0; i < rows; ++i)
    {
        juce::Path row;
        for (int j = 0; j < columns; ++j)
        {
            const auto pt = gridPoint (i, j);
            if (j == 0)
                row.startNewSubPath (pt);
            else
                row.lineTo (pt);
        }
        const float k = static_cast<float> (i) / 6.0f;
        gr.setColour (Col::twistField.withAlpha (0.16f + 0.58f * k));
        gr.strokePath (row, juce::PathStrokeType (1.0f));
    }

    gr.setColour (Col::twistField.withAlpha (0.32f));
    for (int j = 0; j < columns; ++j)
    {
        juce::Path column;
        for (int i = 0; i < rows; ++i)
        {
            const auto pt = gridPoint (i, j);
            if (i == 0)
                column.startNewSubPath (pt);
            else
                column.lineTo (pt);
        }
        gr.strokePath (column, juce::PathStrokeType (0.9f));
    }
}

void MassControl::paint (juce::Graphics& g)
{
    const auto w = static_cast<float> (getWidth());
    const auto h = static_cast<float> (getHeight());
    if (w < 1.0f || h < 1.0f)
        return;

    // A still part that changed since the last paint (g set from another
    // thread after a band-only repaint was asked for, say) leaves the rest
    // of the control showing the old one: paint it all again.
    const auto still = stillPart();
    if ((! paintedOnce || ! (still == lastPainted)) && ! g.getClipBounds().contains (getLocalBounds()))
        repaint();
    lastPainted = still;
    paintedOnce = true;

    const float twist = still.g;
    const float e = twist / 100.0f;
    const float neg = std::max (-e, 0.0f);
    const auto focus = focusFor (w, h, twist);
    const double t = juce::Time::getMillisecondCounterHiRes() / 1000.0;

    juce::Path outline;
    outline.addRoundedRectangle (0.0f, 0.0f, w, h, 6.0f);
    g.setColour (Col::twistBg);
    g.fillPath (outline);

    g.saveState();
    g.reduceClipRegion (outline);

    const float scale = std::max (g.getInternalContext().getPhysicalPixelScaleFactor(), 1.0f);
    ensureBackground (scale);

    {
        juce::Graphics::ScopedSaveState mirrored (g);
        if (still.reversed)
            g.addTransform (juce::AffineTransform::scale (-1.0f, 1.0f).translated (w, 0.0f));

        g.drawImageTransformed (background, juce::AffineTransform::scale (1.0f / scale));

        for (const auto& dot : computeDots (t, w, h, twist, focus.x, focus.y))
        {
            if (dot.swallowed)
                continue;
            g.setColour (Col::am.withAlpha (0.35f * dot.alpha));
            g.fillEllipse (dot.x - 6.0f, dot.y - 6.0f, 12.0f, 12.0f);
            g.setColour (Col::am.withAlpha (dot.alpha));
            g.fillEllipse (dot.x - 2.3f, dot.y - 2.3f, 4.6f, 4.6f);
        }

        drawBokeh (g, twist, focus.x, focus.y);

        const float fade = e <= 0.35f ? 1.0f : std::max (1.0f - (e - 0.35f) / 0.55f, 0.0f);
        drawFlare (g, focus.x, focus.y, (0.6f + 0.45f * neg) * hoverAmount * fade, t);

        ui::drawSingularity (g, focus.x, focus.y, e, energy, 1.0f);
    }

    const auto caption = MdLookAndFeel::monoFont (12.5f).withExtraKerningFactor (0.35f);
    g.setFont (caption);
    g.setColour (juce::Colours::black.withAlpha (0.5f));
    g.drawText ("TWIST", juce::Rectangle<float> (11.0f, 3.0f, 220.0f, 16.0f), juce::Justification::centredLeft, false);
    g.setColour (juce::Colour::fromFloatRGBA (0.88f, 0.95f, 0.9f, 1.0f));
    g.drawText ("TWIST", juce::Rectangle<float> (10.0f, 2.0f, 220.0f, 16.0f), juce::Justification::centredLeft, false);

    const juce::String value (ui::gfm::signedPercent (twist));
    g.setFont (MdLookAndFeel::monoFont (13.0f));
    g.setColour (juce::Colours::black.withAlpha (0.5f));
    g.drawText (value, juce::Rectangle<float> (w - 73.0f, 3.0f, 64.0f, 16.0f), juce::Justification::centredRight,
                false);
    g.setColour (Col::am);
    g.drawText (value, juce::Rectangle<float> (w - 74.0f, 2.0f, 64.0f, 16.0f), juce::Justification::centredRight,
                false);

    g.restoreState();

    g.setColour (Col::twistGlow);
    g.drawRoundedRectangle (0.5f, 0.5f, w - 1.0f, h - 1.0f, 6.0f, 1.0f);
}

void MassControl::drawBokeh (juce::Graphics& g, float twist, float fx, float fy) const
{
    const auto w = static_cast<float> (getWidth());
    const auto h = static_cast<float> (getHeight());
    if (hoverAmount <= 0.01f || w <= 0.0f || h <= 0.0f)
        return;

    const float c = std::abs (twist / 100.0f);
    const float k = (1.0f - 0.35f * c) * hoverAmount * 1.1f;
    if (k <= 0.01f)
        return;

    const float a1 = std::min (0.07f * k * 1.3f, 1.0f);
    const float a2 = std::min (0.15f * k * 1.3f, 1.0f);
    const float sz = 1.0f - 0.25f * c;
    const auto tau = static_cast<float> (2.0 * std::fmod (juce::Time::getMillisecondCounterHiRes() / 1000.0, 3600.0));

    struct Spot
    {
        float s, r;
        juce::uint32 rgb;
    };
    static constexpr Spot spots[] = { { -0.7f, 8.0f, 0x96b4ff }, { -0.45f, 6.0f, 0xdca0ff }, { -0.2f, 10.0f, 0xffd2a0 },
                                      { 0.3f, 7.0f, 0x96ffc8 },  { 0.5f, 12.0f, 0xc8b4ff },  { 0.75f, 6.0f, 0xffc896 },
                                      { 1.2f, 9.0f, 0xb4c8ff },  { 1.5f, 14.0f, 0xffbed2 },  { 1.8f, 7.0f, 0xa0ffbe } };

    const juce::Point<float> centre (w / 2.0f, h / 2.0f);
    const juce::Point<float> focus (fx, fy);
    for (const auto& spot : spots)
    {
        const auto p = centre + (focus - centre) * spot.s;
        const float r = spot.r * sz * (0.85f + 0.15f * std::sin (5.0f * spot.s + tau));
        const auto colour = juce::Colour (0xff000000 | spot.rgb);
        auto gradient = radial (p.x, p.y, r, colour.withAlpha (a1), colour.withAlpha (0.0f));
        gradient.addColour (0.72, colour.withAlpha (a2));
        fillRadial (g, p.x, p.y, r, gradient);
    }
}

void MassControl::drawFlare (juce::Graphics& g, float x, float y, float k, double timeSeconds) const
{
    if (k <= 0.01f)
        return;

    const auto t = static_cast<float> (std::fmod (timeSeconds, 3600.0));

    for (int i = 0; i < 20; ++i)
    {
        const float angle = static_cast<float> (i) / 20.0f * 2.0f * pi + 0.03f * t;
        const float length =
            (i % 2 == 0 ? 44.0f : 28.0f) * k * (0.85f + 0.15f * std::sin (3.0f * t + static_cast<float> (i)));
        const float tx = x + std::cos (angle) * length;
        const float ty = y + std::sin (angle) * length;
        g.setGradientFill (juce::ColourGradient (rgba (1.0f, 0.941f, 0.745f, std::min (0.55f * k * 1.3f, 1.0f)), x, y,
                                                 rgba (1.0f, 0.784f, 0.314f, 0.0f), tx, ty, false));
        g.drawLine (x, y, tx, ty, 1.0f);
    }

    const float half = 90.0f * k;
    juce::ColourGradient streak (rgba (1.0f, 0.824f, 0.471f, 0.0f), x - half, y, rgba (1.0f, 0.824f, 0.471f, 0.0f),
                                 x + half, y, false);
    streak.addColour (0.5, rgba (1.0f, 0.941f, 0.765f, std::min (0.5f * k * 1.3f, 1.0f)));
    g.setGradientFill (streak);
    g.fillRect (x - half, y - 1.5f, 2.0f * half, 3.0f);

    const float coreRadius = 22.0f * k + 7.0f;
    fillRadial (g, x, y, coreRadius,
                radial (x, y, coreRadius, rgba (1.0f, 0.98f, 0.882f, std::min (0.7f * k * 1.3f, 1.0f)),
                        rgba (1.0f, 0.784f, 0.314f, 0.0f)));

    g.setColour (Col::twistGlow.withAlpha (std::min (0.14f * k * 1.3f, 1.0f)));
    g.drawEllipse (x - 22.0f, y - 22.0f, 44.0f, 44.0f, 1.0f);
}

void MassControl::mouseDown (const juce::MouseEvent& e)
{
    if (auto* p = apvts.getParameter (params::id::twist))
        p->beginChangeGesture();
    if (onParamDragStart)
        onParamDragStart (params::id::twist);
    setFromX (e.position.x);
}

void MassControl::mouseDrag (const juce::MouseEvent& e)
{
    setFromX (e.position.x);
}

void MassControl::mouseUp (const juce::MouseEvent&)
{
    if (auto* p = apvts.getParameter (params::id::twist))
        p->endChangeGesture();
    if (onParamDragEnd)
        onParamDragEnd (params::id::twist);
}

void MassControl::mouseDoubleClick (const juce::MouseEvent&)
{
    if (auto* p = apvts.getParameter (params::id::twist))
    {
        p->beginChangeGesture();
        p->setValueNotifyingHost (p->convertTo0to1 (0.0f));
        p->endChangeGesture();
    }
}

void MassControl::mouseEnter (const juce::MouseEvent&)
{
    hovered = true;
}

void MassControl::mouseExit (const juce::MouseEvent&)
{
    hovered = false;
}

//==============================================================================
void ui::drawSingularity (juce::Graphics& g, float x, float y, float e, float energy, float scale)
{
    const float neg = std::max (-e, 0.0f);
    const float f = juce::jlimit (0.0f, 1.0f, (std::max (e, 0.0f) - 0.3f) / 0.3f);
    const float h = f * f * (3.0f - 2.0f * f);
    const float radius = (18.0f * neg + 8.0f - 2.0f * h) * scale;
    if (radius <= 0.0f)
        return;

    if (1.0f - h > 0.01f)
    {
        auto star =
            radial (x, y, radius, rgba (1.0f, 0.965f, 0.824f, std::min (0.85f + 0.3f * energy, 1.0f) * (1.0f - h)),
                    rgba (1.0f, 0.627f, 0.157f, 0.0f));
        star.addColour (0.4, rgba (1.0f, 0.816f, 0.251f, (0.45f + 0.3f * energy) * (1.0f - h)));
        fillRadial (g, x, y, radius, star);

        const float w = (neg - 0.3f) / 0.7f;
        if (w > 0.0f)
        {
            const float r2 = (0.1f + 0.5f * w) * radius;
            const float a2 = std::min (3.0f * w, 1.0f) * (1.0f - h);
            auto core = radial (x, y, r2, rgba (2.0f / 255.0f, 6.0f / 255.0f, 4.0f / 255.0f, 0.98f * a2),
                                rgba (1.0f, 0.863f, 0.471f, 0.0f));
            core.addColour (0.72, rgba (4.0f / 255.0f, 10.0f / 255.0f, 7.0f / 255.0f, 0.92f * a2));
            fillRadial (g, x, y, r2, core);

            const float ring = 1.12f * r2;
            g.setColour (rgba (1.0f, 0.941f, 0.745f, (0.3f + 0.4f * energy) * w * (1.0f - h)));
            g.drawEllipse (x - ring, y - ring, 2.0f * ring, 2.0f * ring, 1.2f);
        }
    }

    if (h > 0.01f)
    {
        g.beginTransparencyLayer (h);
        auto sphere = radial (x, y, radius, juce::Colour (198, 201, 197), juce::Colour (92, 96, 95));
        sphere.addColour (0.6, juce::Colour (150, 153, 150));
        fillRadial (g, x, y, radius, sphere);
        g.setColour (juce::Colour (58, 62, 60).withAlpha (0.6f));
        g.drawEllipse (x - radius, y - radius, 2.0f * radius, 2.0f * radius, 1.0f);
        g.endTransparencyLayer();
    }
}

std::string ui::gfm::signedPercent (float value)
{
    return valuetext::signedPercent (value).toStdString();
}
