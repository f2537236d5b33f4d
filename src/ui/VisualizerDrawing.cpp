// How VisualizerComponent paints itself: the background and its labels, one
// bar per tap (position, width, height, opacity and colour showing the tap's
// time, level and the active effects), the decay and wear curves, the
// falloff line, the START dot, the handles, the tape-drive glow and the
// predelay marker.

#include "ui/VisualizerComponent.h"

#include "dsp/LFO.h"
#include "ui/Col.h"
#include "ui/MdLookAndFeel.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace
{
constexpr float pi = juce::MathConstants<float>::pi;
constexpr float twoPi = juce::MathConstants<float>::twoPi;

const juce::Colour startYellow { static_cast<juce::uint8> (255), static_cast<juce::uint8> (235),
                                 static_cast<juce::uint8> (60) };
const juce::Colour rightChannel { 0xffff8080 };
const juce::Colour decayHalo { 0x4d80c8ff };

// An 8-bit channel from a computed value, truncated toward zero.
juce::uint8 channel (float v)
{
    return static_cast<juce::uint8> (std::clamp (static_cast<int> (v), 0, 255));
}

juce::Colour rgb (float r, float g, float b)
{
    return juce::Colour (channel (r), channel (g), channel (b));
}

// The tremolo's height multiplier for a tap at t ms with the phase offset phi
// (radians): 1 at the LFO's peak, 1 - depth at its trough.
float tremoloMultiplierAt (const VisualizerComponent::VisualizerState& s, float t, float phi)
{
    // The tremolo plays shape 7 as the smooth random shape; so does its picture.
    const int shape = s.tremShape == 7 ? dsp::shapeIndex (dsp::LfoShape::RandomSmooth) : s.tremShape;
    const float seconds = t / 1000.0f;

    float v = 0.0f;
    if (dsp::isRandomShape (shape))
    {
        const double c =
            std::max (static_cast<double> (phi) / twoPi + static_cast<double> (seconds) * s.tremRateHz, 0.0);
        v = dsp::randomShapeValue (s.tremSeed, shape, c);
    }
    else
    {
        std::uint32_t seed = s.tremSeed;
        v = dsp::LFO::value (std::fmod (seconds * s.tremRateHz * twoPi + phi, twoPi) / twoPi, shape, seed);
    }

    const float depth = s.tremDepth / 100.0f;
    return depth * (0.5f * v + 0.5f) + (1.0f - depth);
}

// A closed triangle.
juce::Path triangle (float x1, float y1, float x2, float y2, float x3, float y3)
{
    juce::Path p;
    p.addTriangle (x1, y1, x2, y2, x3, y3);
    return p;
}

void strokeDashed (juce::Graphics& g, juce::Line<float> line, float width, std::array<float, 2> dashes)
{
    juce::Path path;
    path.startNewSubPath (line.getStart());
    path.lineTo (line.getEnd());
    juce::Path dashed;
    juce::PathStrokeType (width).createDashedStroke (dashed, path, dashes.data(), 2);
    g.fillPath (dashed);
}
} // namespace

float viz::mirrorTremMul (const VisualizerComponent::VisualizerState& s, float t, int side)
{
    return tremoloMultiplierAt (s, t, -(s.tremPhaseDeg + static_cast<float> (side) * s.tremOffsetDeg) * pi / 180.0f);
}

//==============================================================================
// Per-tap quantities.

float VisualizerComponent::tapAlphaFromAmp (float gain)
{
    const float d = -20.0f * std::log10 (std::max (gain, 1.0e-6f)) / 45.0f;
    return d < 0.0f ? 1.0f : 0.18f + 0.82f * (1.0f - std::min (d, 1.0f));
}

float VisualizerComponent::wearBrightness (int i, int n) const
{
    const float s = n >= 32 ? 1.0f : 32.0f / static_cast<float> (std::max (n, 1));
    const float cutoffHz =
        20000.0f * std::pow (10.0f, -4.0f * (state.tapeWear / 100.0f) * s * static_cast<float> (i) / 20.0f);
    return std::clamp ((std::log (std::max (cutoffHz, 20.0f)) - std::log (20.0f)) / std::log (1000.0f), 0.0f, 1.0f);
}

float VisualizerComponent::lfoShapeValue (float angle, int shape, float cycles) const
{
    float p = std::fmod (angle, twoPi) / twoPi;
    if (p < 0.0f)
        p += 1.0f;

    switch (shape)
    {
        case 1:
            return p < 0.5f ? 4.0f * p - 1.0f : 3.0f - 4.0f * p;
        case 2:
            return p < 0.5f ? 1.0f : -1.0f;
        case 3:
            return 1.0f - 2.0f * p;
        case 4:
            return 2.0f * p - 1.0f;
        case 5:
            return dsp::randomStep (state.waveSeed, static_cast<std::int64_t> (std::max (cycles, 0.0f)));
        case 6:
            return dsp::randomShapeValue (state.waveSeed, shape, static_cast<double> (cycles));
        case 7:
            return 0.0f;
        case 0:
        default:
            return std::sin (angle);
    }
}

float VisualizerComponent::computeTapAlpha (int i, int n, float pos, float gain) const
{
    juce::ignoreUnused (n);
    const float level = tapAlphaFromAmp (gain);
    const float t = taps.taps[static_cast<size_t> (juce::jlimit (0, TapSet::maxTaps - 1, i))].timeMs;

    float shade = 0.0f;
    if (state.tapeOn)
    {
        shade = 0.5f + 0.25f * (1.0f - pos) * (1.0f - pos);
    }
    else if (state.waveOn)
    {
        const float cycles = t / 1000.0f * state.waveRateHz;
        const float v = lfoShapeValue (std::fmod (cycles * twoPi, twoPi), state.waveShape, cycles);
        shade = 0.55f + 0.4f * (0.5f * v + 0.5f);
    }
    else
    {
        shade = 0.4f + 0.3f * (1.0f - pos) * (1.0f - pos);
    }

    float a = std::clamp (level * shade, 0.3f, 0.98f);

    // Worn taps fade toward an opacity between 0.10 and 0.24.
    if (state.tapeOn && state.tapeWear > 0.0f)
    {
        const float m = wearDeadMix (pos);
        if (m > 0.0f)
            a += m * ((0.1f + 0.14f * wearBrightness (i, n)) - a);
    }
    return a;
}

juce::Colour VisualizerComponent::computeTapColor (int i, int n, float pos) const
{
    if (state.tapeOn)
    {
        // Amber when bright, darkening toward brown with wear; the plain tap
        // yellow at zero tape mix.
        const float b = wearBrightness (i, n);
        const float b0 = std::max (b, 0.42f);
        const float bw = b0 + (b - b0) * wearDeadMix (pos);
        const float q = state.tapeMix / 100.0f;
        return rgb ((55.0f * bw + 200.0f - 255.0f) * q + 255.0f, (90.0f * bw + 90.0f - 238.0f) * q + 238.0f,
                    (30.0f * bw + 30.0f - 80.0f) * q + 80.0f);
    }

    if (state.waveOn)
    {
        // From lavender to green along the Wave LFO.
        const float t = taps.taps[static_cast<size_t> (juce::jlimit (0, TapSet::maxTaps - 1, i))].timeMs;
        const float phi = -state.wavePhaseDeg * pi / 180.0f;
        const float ts = t / 1000.0f;
        const float v = lfoShapeValue (std::fmod (state.waveRateHz * twoPi * ts + phi, twoPi), state.waveShape,
                                       phi / twoPi + state.waveRateHz * ts);
        const float d = state.waveDepth / 100.0f * (0.5f * v + 0.5f);
        return rgb (180.0f - 80.0f * d, 145.0f + 95.0f * d, 255.0f - 75.0f * d);
    }

    return rgb (255.0f, 238.0f, 80.0f);
}

float VisualizerComponent::tremoloHeightMultiplier (float t, int i) const
{
    if (! state.tremOn)
        return 1.0f;
    const float offset = (i % 2 != 0) ? state.tremOffsetDeg : 0.0f;
    return tremoloMultiplierAt (state, t, -(state.tremPhaseDeg + offset) * pi / 180.0f);
}

VisualizerComponent::TapSpatial VisualizerComponent::computeTapSpatial (int i, float barHeight, float h) const
{
    TapSpatial s { (h - 40.0f) / 2.0f, barHeight };
    const float amount = state.pingPongAmount / 100.0f;
    if (state.pingPongOn && amount > 0.001f)
    {
        // Odd taps move down, even taps up.
        s.centreY += (i % 2 != 0 ? 1.0f : -1.0f) * h * 0.25f * amount;
        s.barHeight = std::max (barHeight * (1.0f - 0.5f * amount), 4.0f);
    }
    return s;
}

//==============================================================================
void VisualizerComponent::paint (juce::Graphics& g)
{
    const auto c = computeCoords();

    paintBackground (g, c);
    if (std::abs (state.twist) > 5.0f)
        paintTwistGuides (g, c);
    paintLabels (g);
    if (taps.count <= 0)
        return;

    paintTaps (g, c);
    paintOriginDot (g, c);
    if (state.tapeOn)
        paintWearGhostLine (g, c);
    paintDecayGhostLine (g, c);
    paintFalloffLine (g, c);
    paintDecayHandle (g, c);
    if (state.tapeOn)
    {
        paintWearHandle (g, c);
        paintSatGlow (g, c);
    }
    if (state.predelayMs > 0.0f)
        paintPredelayMarker (g, c);
}

void VisualizerComponent::paintBackground (juce::Graphics& g, const Coords&) const
{
    g.setColour (Col::bg1);
    g.fillRoundedRectangle (getLocalBounds().toFloat(), 5.0f);
}

void VisualizerComponent::paintTwistGuides (juce::Graphics& g, const Coords& c) const
{
    // Six faint rows bent the way Twist bends the tap spacing.
    const float k = std::abs (state.twist) / 100.0f;
    const bool crowdEnd = state.twist > 0.0f;
    g.setColour (juce::Colour (crowdEnd ? 0xddffd232 : 0xdd80c8ff).withAlpha (0.06f));

    for (int r = 0; r < 6; ++r)
    {
        const float row = (static_cast<float> (r) + 0.5f) / 6.0f;
        const float yc = c.plotHeight * row;
        const float bend = (row - 0.5f) * k * 8.0f;

        juce::Path path;
        path.startNewSubPath (14.0f, yc);
        for (int j = 1; j <= 40; ++j)
        {
            const float u = static_cast<float> (j) / 40.0f;
            if (crowdEnd)
            {
                const float e = 1.0f - u;
                path.lineTo ((1.0f - std::pow (e, 1.5f)) * c.xSpan + 14.0f, e * bend + yc);
            }
            else
            {
                path.lineTo (std::pow (u, 1.5f) * c.xSpan + 14.0f, (1.0f - u) * bend + yc);
            }
        }
        g.strokePath (path, juce::PathStrokeType (0.5f));
    }
}

void VisualizerComponent::paintLabels (juce::Graphics& g) const
{
    const int h = getHeight();

    g.setFont (MdLookAndFeel::monoFont (7.0f));
    g.setColour (juce::Colour (0xff404060));
    g.drawText ("0ms", juce::Rectangle<int> (5, 3, 40, 10), juce::Justification::topLeft, false);

    g.setFont (MdLookAndFeel::monoFont (10.0f));
    g.setColour (Col::bl.withAlpha (0.6f));
    g.drawText ("L", juce::Rectangle<int> (4, 2, 14, 12), juce::Justification::topLeft, false);
    g.setColour (rightChannel.withAlpha (0.6f));
    g.drawText ("R", juce::Rectangle<int> (4, h - 70, 14, 12), juce::Justification::topLeft, false);

    const auto length = state.lengthMs < 1000.0f ? juce::String (static_cast<int> (state.lengthMs)) + "ms"
                                                 : juce::String (state.lengthMs / 1000.0f, 2) + "s";
    g.setColour (Col::t0.withAlpha (0.8f));
    g.drawText ("LENGTH = " + length, juce::Rectangle<int> (24, h - 68, 180, 14), juce::Justification::centredLeft,
                false);
}

void VisualizerComponent::paintTaps (juce::Graphics& g, const Coords& c) const
{
    const int n = taps.count;
    const auto h = static_cast<float> (getHeight());
    const auto time = [this] (int i) { return taps.taps[static_cast<size_t> (i)].timeMs; };

    // Crowded taps get wider bars, up to 1.5 times: the average spacing over
    // the tap's own gap. Spacings are taken by size, so a reversed window,
    // whose times fall with the index, widens its crowded taps the same way.
    std::array<float, TapSet::maxTaps> widthScale {};
    const float average = n > 1 ? std::abs (time (n - 1) - time (0)) / static_cast<float> (n - 1) : 0.0f;
    for (int i = 0; i < n; ++i)
    {
        float scale = 1.0f;
        if (n > 1)
        {
            const float gap = std::abs (i < n - 1 ? time (i + 1) - time (i) : time (i) - time (i - 1));
            scale = std::clamp (average / std::max (gap, 1.0f), 1.0f, 1.5f);
        }
        widthScale[static_cast<size_t> (i)] = scale;
    }

    const bool waveSplit = state.waveOn && state.waveOffsetDeg != 0.0f && state.waveRateHz > 0.01f;
    const bool tremSplit = ! waveSplit && state.tremOn && state.tremOffsetDeg != 0.0f;
    const bool phaseTick = state.waveOn && state.wavePhaseDeg != 0.0f;
    const float timelineMax = timelineMaxMs;

    // Half the time offset between the two stereo halves, in pixels.
    const auto halfOffset = [&c, timelineMax] (float rateHz, float offsetDeg) {
        if (! (rateHz > 0.0f))
            return 0.0f;
        return (500.0f / rateHz) * (offsetDeg / 180.0f) / timelineMax * c.xSpan * 0.5f;
    };
    const float waveD = waveSplit ? halfOffset (state.waveRateHz, state.waveOffsetDeg) : 0.0f;
    const float tremD = tremSplit ? halfOffset (state.tremRateHz, state.tremOffsetDeg) : 0.0f;

    for (int i = 0; i < n; ++i)
    {
        const auto& tap = taps.taps[static_cast<size_t> (i)];
        const float t = tap.timeMs;
        if (t < 0.0f || t > timelineMax)
            continue;

        const float pos = static_cast<float> (i) / static_cast<float> (std::max (n - 1, 1));
        const float x = t / timelineMax * c.xSpan + 14.0f;
        const float w = widthScale[static_cast<size_t> (i)] * (state.tapeOn ? 3.2f : 2.2f);
        // A tremolo split bar's halves each take their own side's tremolo
        // height, over the whole bar's: the tap's own would count twice.
        const float tremoloHeight = tremSplit ? 1.0f : tremoloHeightMultiplier (t, i);
        const auto spatial = computeTapSpatial (i, tremoloHeight * h, h);
        const float centreY = spatial.centreY;
        const float barH = spatial.barHeight;
        const float a = std::clamp (computeTapAlpha (i, n, pos, tap.gain) * state.alphaBoost, 0.0f, 1.0f);

        if (waveSplit)
        {
            g.setColour (Col::bl.withAlpha (0.9f * a));
            g.fillRect (x + waveD - w / 2.0f, centreY - barH / 2.0f, w, barH / 2.0f);
            g.setColour (rightChannel.withAlpha (0.9f * a));
            g.fillRect (x - waveD - w / 2.0f, centreY, w, barH / 2.0f);
        }
        else if (tremSplit)
        {
            const float left = viz::mirrorTremMul (state, t, 1);
            const float right = viz::mirrorTremMul (state, t, -1);
            g.setColour (Col::bl.withAlpha (0.9f * a));
            g.fillRect (x + tremD - w / 2.0f, centreY - left * barH / 2.0f, w, left * barH / 2.0f);
            g.setColour (rightChannel.withAlpha (0.9f * a));
            g.fillRect (x - tremD - w / 2.0f, centreY + 1.0f, w, right * barH / 2.0f);
        }
        else
        {
            g.setColour (computeTapColor (i, n, pos).withAlpha (a));
            g.fillRect (x - w / 2.0f, centreY - barH / 2.0f, w, barH);
        }

        if (phaseTick)
        {
            const float dx = -state.wavePhaseDeg / 180.0f * 3.0f;
            g.setColour (Col::pu.withAlpha (0.5f));
            if (waveSplit)
            {
                g.drawLine (x + waveD + dx, centreY - barH / 2.0f, x + waveD + dx, centreY - 1.0f, 1.5f);
                g.drawLine (x - waveD + dx, centreY + 1.0f, x - waveD + dx, centreY + barH / 2.0f, 1.5f);
            }
            else
            {
                g.drawLine (x + dx, centreY - barH / 2.0f - 1.0f, x + dx, centreY + barH / 2.0f + 1.0f, 1.5f);
            }
        }
    }
}

void VisualizerComponent::paintOriginDot (juce::Graphics& g, const Coords& c) const
{
    const auto p = startHandlePos (c);
    if (state.activeHud == ActiveHud::Start)
    {
        g.setColour (startYellow.withAlpha (0.4f));
        g.fillEllipse (p.x - 10.0f, p.y - 10.0f, 20.0f, 20.0f);
    }

    g.setColour (startYellow.withAlpha (0.92f));
    g.fillEllipse (p.x - 4.5f, p.y - 3.5f, 7.0f, 7.0f);

    g.setColour (startYellow.withAlpha (0.75f));
    g.setFont (MdLookAndFeel::monoFont (8.0f));
    g.drawText ("START", juce::Rectangle<float> (p.x - 20.0f, p.y - 18.0f, 40.0f, 10.0f), juce::Justification::centred,
                false);
}

juce::Path VisualizerComponent::sampleCurve (const Coords& c, bool wear) const
{
    // 201 samples across the window; samples off the view break the path, and
    // the curve ends at its first sample on the floor (so a Wavey curve that
    // dips to -45 dB is cut at the dip).
    const float floor = c.plotHeight - 22.0f;
    juce::Path path;
    bool inPath = false;
    for (int i = 0; i <= 200; ++i)
    {
        const float p = static_cast<float> (i) / 200.0f;
        const float t = state.lengthMs * p + state.predelayMs;
        if (t < c.viewStartMs || t > c.viewStartMs + c.viewSpanMs + 0.001f)
        {
            inPath = false;
            continue;
        }

        const float x = (t - c.viewStartMs) / c.viewSpanMs * c.xSpan + 14.0f;
        const float y = wear ? wearCurveYFrac (p, c, floor) : decayLineYFrac (p, c, floor);
        if (inPath)
            path.lineTo (x, y);
        else
            path.startNewSubPath (x, y);
        inPath = true;

        if (y >= floor)
            break;
    }
    return path;
}

const VisualizerComponent::StrokedCurves& VisualizerComponent::strokedCurves (const Coords& c, float scale) const
{
    auto& cache = curveCache;
    const bool singleTap = taps.count < 2;
    if (cache.valid && cache.coords == c && cache.singleTap == singleTap && cache.scale == scale
        && cache.state.samePaintInputs (state))
        return cache.curves;

    // Stroked as Graphics::strokePath strokes, at the same device scale, so
    // filling an outline paints what stroking the curve would.
    auto stroke = [scale] (juce::Path& out, const juce::Path& curve, float width) {
        out.clear();
        juce::PathStrokeType (width).createStrokedPath (out, curve, {}, scale);
    };
    const auto wear = sampleCurve (c, true);
    const auto decay = sampleCurve (c, false);
    stroke (cache.curves.wearShadow, wear, 2.4f);
    stroke (cache.curves.wearLine, wear, 1.2f);
    stroke (cache.curves.decayLine, decay, 1.4f);
    // The halo shows with the decay overlay only (the overlay is part of the state).
    cache.curves.decayHalo.clear();
    cache.curves.decayHaloCore.clear();
    if (state.activeHud == ActiveHud::Decay)
    {
        stroke (cache.curves.decayHalo, decay, 4.0f);
        stroke (cache.curves.decayHaloCore, decay, 2.5f);
    }

    cache.valid = true;
    cache.state = state;
    cache.coords = c;
    cache.singleTap = singleTap;
    cache.scale = scale;
    return cache.curves;
}

void VisualizerComponent::paintWearGhostLine (juce::Graphics& g, const Coords& c) const
{
    const auto& curves = strokedCurves (c, g.getInternalContext().getPhysicalPixelScaleFactor());
    g.setColour (juce::Colour (0x99000000));
    g.fillPath (curves.wearShadow);
    g.setColour (Col::wearRust);
    g.fillPath (curves.wearLine);
}

void VisualizerComponent::paintDecayGhostLine (juce::Graphics& g, const Coords& c) const
{
    const auto& curves = strokedCurves (c, g.getInternalContext().getPhysicalPixelScaleFactor());
    g.setGradientFill (juce::ColourGradient (Col::bl.withAlpha (0.95f), 0.0f, 0.0f,
                                             juce::Colour (0xff1273b8).withAlpha (0.85f), 0.0f, c.plotHeight, false));
    g.fillPath (curves.decayLine);

    if (state.activeHud == ActiveHud::Decay)
    {
        g.setColour (juce::Colour (0x4d80c8ff));
        g.fillPath (curves.decayHalo);
        g.setColour (juce::Colour (0xee80c8ff));
        g.fillPath (curves.decayHaloCore);
    }
}

void VisualizerComponent::paintFalloffLine (juce::Graphics& g, const Coords& c) const
{
    const bool emphasised = falloffHover || decayHover || falloffDrag || decayDrag
                            || state.activeHud == ActiveHud::Falloff || state.activeHud == ActiveHud::Decay;
    const float x = falloffLineX (c);
    const juce::Line<float> line (x, 0.09f * c.plotHeight, x, c.plotHeight - 22.0f);
    const float w = emphasised ? 2.4f : 1.8f;

    g.setColour (juce::Colours::black.withAlpha (emphasised ? 0.55f : 0.4f));
    strokeDashed (g, line, w + 0.8f, { 6.0f, 5.0f });
    g.setColour (juce::Colour (0xffd8e8ff).withAlpha (emphasised ? 0.95f : 0.55f));
    strokeDashed (g, line, w, { 6.0f, 5.0f });
}

void VisualizerComponent::paintDecayHandle (juce::Graphics& g, const Coords& c) const
{
    const auto [hx, hy] = decayHandlePos (c);
    const bool active = state.activeHud == ActiveHud::Decay;
    if (active)
    {
        g.setColour (decayHalo);
        g.fillEllipse (hx - 10.0f, hy - 10.0f, 20.0f, 20.0f);
    }

    g.setColour (Col::bl);
    g.fillEllipse (hx - 7.0f, hy - 7.0f, 14.0f, 14.0f);
    g.setColour (juce::Colours::black.withAlpha (0.35f));
    g.drawEllipse (hx - 7.0f, hy - 7.0f, 14.0f, 14.0f, 1.0f);

    // Up and down for the curve, left and right (inside the time line) for
    // the falloff.
    g.setColour (Col::bl.withAlpha (active ? 0.75f : 0.45f));
    g.fillPath (triangle (hx, hy - 15.0f, hx - 4.0f, hy - 9.5f, hx + 4.0f, hy - 9.5f));
    g.fillPath (triangle (hx, hy + 15.0f, hx - 4.0f, hy + 9.5f, hx + 4.0f, hy + 9.5f));
    const auto inside = [&c] (float tipX) { return tipX >= 14.0f && tipX <= 14.0f + c.xSpan; };
    if (inside (hx - 15.0f))
        g.fillPath (triangle (hx - 15.0f, hy, hx - 9.5f, hy - 4.0f, hx - 9.5f, hy + 4.0f));
    if (inside (hx + 15.0f))
        g.fillPath (triangle (hx + 15.0f, hy, hx + 9.5f, hy - 4.0f, hx + 9.5f, hy + 4.0f));
}

void VisualizerComponent::paintWearHandle (juce::Graphics& g, const Coords& c) const
{
    const auto [hx, hy] = wearHandlePos (c);
    const bool active = state.activeHud == ActiveHud::Wear;
    if (active)
    {
        g.setColour (juce::Colour (0x4dc65b1f));
        g.fillEllipse (hx - 10.0f, hy - 10.0f, 20.0f, 20.0f);
    }

    g.setColour (Col::wearRust);
    g.fillEllipse (hx - 7.0f, hy - 7.0f, 14.0f, 14.0f);
    g.setColour (juce::Colours::black.withAlpha (0.35f));
    g.drawEllipse (hx - 7.0f, hy - 7.0f, 14.0f, 14.0f, 1.0f);

    g.setColour (Col::wearRust.withAlpha (active ? 0.75f : 0.45f));
    g.fillPath (triangle (hx - 15.0f, hy, hx - 9.5f, hy - 4.0f, hx - 9.5f, hy + 4.0f));
    g.fillPath (triangle (hx + 15.0f, hy, hx + 9.5f, hy - 4.0f, hx + 9.5f, hy + 4.0f));
}

void VisualizerComponent::paintSatGlow (juce::Graphics& g, const Coords& c) const
{
    // Hotter and denser with more tape drive.
    const float drive = state.tapeIn / 100.0f;
    const float height = std::max (0.28f * c.plotHeight, 8.0f);
    const juce::Colour top (channel (255.0f), channel (150.0f - 110.0f * drive), channel (20.0f - 20.0f * drive),
                            std::clamp (0.1f + 0.42f * drive, 0.0f, 1.0f));
    const juce::Colour bottom (channel (255.0f), channel (40.0f), channel (0.0f), 0.0f);
    g.setGradientFill (juce::ColourGradient (top, 0.0f, 0.0f, bottom, 0.0f, height, false));
    g.fillRect (14.0f, 0.0f, c.xSpan, height);
}

void VisualizerComponent::paintPredelayMarker (juce::Graphics& g, const Coords& c) const
{
    const float x = state.predelayMs / c.viewSpanMs * c.xSpan + 14.0f;
    g.setColour (juce::Colour (0x55ffd232));
    strokeDashed (g, { x, 0.0f, x, c.plotHeight }, 0.5f, { 2.0f, 3.0f });
}
