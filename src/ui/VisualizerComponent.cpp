#include "ui/VisualizerComponent.h"

#include "dsp/TapEngine.h"
#include "params/ParameterTable.h"
#include "params/ValueText.h"
#include "ui/BumpHud.h"
#include "ui/Col.h"
#include "ui/DecayHud.h"
#include "ui/EqHud.h"
#include "ui/FaderReadoutHud.h"
#include "ui/FaderScale.h"
#include "ui/FlutterHud.h"
#include "ui/MdLookAndFeel.h"
#include "ui/PitchHud.h"
#include "ui/TapeChainHud.h"
#include "ui/TapeMixHud.h"
#include "ui/WearHud.h"
#include "ui/WidthHud.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <tuple>
#include <utility>

bool VisualizerComponent::VisualizerState::samePaintInputs (const VisualizerState& o) const
{
    // Floats compare exactly, so a NaN field never matches.
    auto fields = [] (const VisualizerState& s) {
        return std::tie (s.waveOn, s.tapeOn, s.tremOn, s.pingPongOn, s.waveRateHz, s.waveDepth, s.wavePhaseDeg,
                         s.waveOffsetDeg, s.waveShape, s.tremRateHz, s.tremDepth, s.tremShape, s.tremPhaseDeg,
                         s.tremOffsetDeg, s.tapeLpf, s.predelayMs, s.widen, s.pingPongAmount, s.decayCurve, s.decayMode,
                         s.decaySteps, s.decayFalloff, s.activeHud, s.waveSeed, s.tremSeed, s.twist, s.hpHz, s.lpHz,
                         s.lengthMs, s.tapeMix, s.tapeOut, s.tapeIn, s.flutter, s.flutterSpeed, s.tapeWear, s.headBump,
                         s.mix, s.master, s.alphaBoost, s.pitchRateHz, s.pitchDepth, s.pitchCents, s.pitchMix,
                         s.pitchRegen, s.pitch2x, s.touchedParamId);
    };
    return fields (*this) == fields (o);
}

VisualizerComponent::VisualizerComponent()
    : eqHud (std::make_unique<EqHud>())
    , decayHud (std::make_unique<DecayHud>())
    , wearHud (std::make_unique<WearHud>())
    , tapeChainHud (std::make_unique<TapeChainHud>())
    , tapeMixHud (std::make_unique<TapeMixHud>())
    , bumpHud (std::make_unique<BumpHud>())
    , flutterHud (std::make_unique<FlutterHud>())
    , widthHud (std::make_unique<WidthHud>())
    , mixHud (std::make_unique<FaderReadoutHud>())
    , masterHud (std::make_unique<FaderReadoutHud>())
    , startHud (std::make_unique<FaderReadoutHud>())
    , falloffHud (std::make_unique<FaderReadoutHud>())
    , pitchHud (std::make_unique<PitchHud>())
    , overlays { eqHud.get(),    decayHud.get(),   wearHud.get(),  tapeChainHud.get(), tapeMixHud.get(),
                 bumpHud.get(),  flutterHud.get(), widthHud.get(), mixHud.get(),       masterHud.get(),
                 startHud.get(), falloffHud.get(), pitchHud.get() }
{
    setOpaque (false);
    // The overlays lie under every other child: the decay-mode button, the
    // steps label and the strips stay on top and usable.
    for (auto* overlay : overlays)
    {
        addAndMakeVisible (*overlay);
        overlay->setVisible (false);
    }
    addAndMakeVisible (densityStrip);
}

VisualizerComponent::~VisualizerComponent()
{
    // A drag cut short by the editor closing still ends its host gesture.
    endAllGestures();
    decaySlider.setLookAndFeel (nullptr);
    wearSlider.setLookAndFeel (nullptr);
    falloffSlider.setLookAndFeel (nullptr);
    lengthSlider.setLookAndFeel (nullptr);
    for (auto* overlay : overlays)
        removeChildComponent (overlay);
}

void VisualizerComponent::setUpAxisSlider (MdSlider& slider, juce::Slider::SliderStyle style, double minimum,
                                           double maximum, double step)
{
    slider.setSliderStyle (style);
    slider.setRange (minimum, maximum, step);
    slider.setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
    slider.setLookAndFeel (&axisLookAndFeel);
}

void VisualizerComponent::attachDecay (juce::AudioProcessorValueTreeState& state_)
{
    apvts = &state_;
    setUpAxisSlider (decaySlider, juce::Slider::LinearVertical, -100.0, 300.0, 1.0);
    addChildComponent (decaySlider);
    decayAttachment = std::make_unique<SliderAttachment> (state_, params::id::decayCurve, decaySlider);

    decayModeButton.setClickingTogglesState (false);
    decayModeButton.onClick = [this] {
        if (apvts == nullptr)
            return;
        auto* param = apvts->getParameter (params::id::decayMode);
        if (param == nullptr)
            return;
        auto* raw = apvts->getRawParameterValue (params::id::decayMode);
        const int next = raw != nullptr ? (static_cast<int> (raw->load()) + 1) % 3 : 1;
        param->beginChangeGesture();
        param->setValueNotifyingHost (param->convertTo0to1 (static_cast<float> (next)));
        param->endChangeGesture();
    };
    addAndMakeVisible (decayModeButton);

    stepsLabel.setColour (juce::Label::textColourId, Col::te);
    stepsLabel.setFont (MdLookAndFeel::monoFont (9.0f));
    stepsLabel.setJustificationType (juce::Justification::centredLeft);
    stepsLabel.setMouseCursor (juce::MouseCursor::PointingHandCursor);
    addChildComponent (stepsLabel);
    stepsLabel.addMouseListener (this, false);
}

void VisualizerComponent::attachWear (juce::AudioProcessorValueTreeState& state_)
{
    setUpAxisSlider (wearSlider, juce::Slider::LinearVertical, 0.0, 100.0, 1.0);
    addChildComponent (wearSlider);
    wearAttachment = std::make_unique<SliderAttachment> (state_, params::id::tapeWear, wearSlider);
}

void VisualizerComponent::attachFalloff (juce::AudioProcessorValueTreeState& state_)
{
    setUpAxisSlider (falloffSlider, juce::Slider::LinearHorizontal, 0.0, 40.0, 0.1);
    addChildComponent (falloffSlider);
    falloffAttachment = std::make_unique<SliderAttachment> (state_, params::id::decayFalloff, falloffSlider);
}

void VisualizerComponent::attachLength (juce::AudioProcessorValueTreeState& state_)
{
    setUpAxisSlider (lengthSlider, juce::Slider::LinearHorizontal, 0.0, 1000.0, 1.0);
    lengthSlider.hoverMargin = 8;
    // A double-click on the strip brings back the parameter's default length.
    lengthSlider.resetValue = params::table[params::idx (params::id::length)].defaultValue;
    lengthSlider.setPaintingIsUnclipped (true);
    addAndMakeVisible (lengthSlider);
    lengthAttachment = std::make_unique<SliderAttachment> (state_, params::id::length, lengthSlider);
}

//==============================================================================
void VisualizerComponent::setTaps (const TapSnapshot& snapshot)
{
    const int count = juce::jlimit (0, TapSet::maxTaps, snapshot.count);
    const bool same =
        count == taps.count
        && std::memcmp (snapshot.taps.data(), taps.taps.data(), static_cast<size_t> (count) * sizeof (TapSet::Entry))
               == 0;
    if (same)
        return;

    taps = snapshot;
    taps.count = count;
    repaint();
}

void VisualizerComponent::setTimelineMaxMs (float ms)
{
    const float v = std::max (ms, 1.0f);
    if (v == timelineMaxMs)
        return;
    timelineMaxMs = v;
    repaint();
}

void VisualizerComponent::setState (const VisualizerState& newState)
{
    const bool unchanged = state.samePaintInputs (newState);
    state = newState;

    const auto c = computeCoords();
    const float height = std::max (c.plotHeight, 1.0f);
    state.decayHandleY = juce::jlimit (0.0f, 1.0f, decayHandlePos (c).y / height);
    state.wearHandleY = juce::jlimit (0.0f, 1.0f, wearHandlePos (c).y / height);

    eqHud->state = state;
    decayHud->state = state;
    wearHud->state = state;
    tapeChainHud->state = state;
    tapeMixHud->state = state;
    bumpHud->state = state;
    flutterHud->state = state;
    widthHud->state = state;
    pitchHud->state = state;
    // The two animated overlays move with every refresh while they are on
    // screen; hidden, they cost nothing.
    for (auto* animated : { static_cast<HudOverlay*> (flutterHud.get()), static_cast<HudOverlay*> (widthHud.get()) })
        if (animated->isVisible())
            animated->repaint();

    showHud (state.activeHud);

    const auto text = decayModeText (state.decayMode);
    if (decayModeButton.getButtonText() != text)
    {
        decayModeButton.setButtonText (text);
        decayModeButton.repaint();
    }
    stepsLabel.setVisible (state.decayMode != 0);

    if (! unchanged)
        repaint();
}

juce::String VisualizerComponent::decayModeText (int mode)
{
    return valuetext::decayModeName (mode);
}

VisualizerComponent::Readout VisualizerComponent::readoutFor (ActiveHud code, const VisualizerState& s)
{
    switch (code)
    {
        case ActiveHud::Mix:
            return { "MIX", valuetext::roundedPercent (s.mix) };
        case ActiveHud::Master:
            return { "MASTER", faderscale::formatMoutDb (s.master) };
        case ActiveHud::Start:
            return { "START", valuetext::formatSmartMs (s.predelayMs) };
        case ActiveHud::Falloff:
            return { "FALLOFF", valuetext::falloffPercent (s.decayFalloff) };
        case ActiveHud::None:
        case ActiveHud::Eq:
        case ActiveHud::Decay:
        case ActiveHud::TapeChain:
        case ActiveHud::TapeMix:
        case ActiveHud::Bump:
        case ActiveHud::Flutter:
        case ActiveHud::Pitch:
        case ActiveHud::Wear:
        case ActiveHud::Width:
        default:
            return {};
    }
}

HudOverlay* VisualizerComponent::getOverlay (ActiveHud code) const noexcept
{
    switch (code)
    {
        case ActiveHud::Eq:
            return eqHud.get();
        case ActiveHud::Decay:
            return decayHud.get();
        case ActiveHud::TapeChain:
            return tapeChainHud.get();
        case ActiveHud::TapeMix:
            return tapeMixHud.get();
        case ActiveHud::Bump:
            return bumpHud.get();
        case ActiveHud::Flutter:
            return flutterHud.get();
        case ActiveHud::Mix:
            return mixHud.get();
        case ActiveHud::Master:
            return masterHud.get();
        case ActiveHud::Pitch:
            return pitchHud.get();
        case ActiveHud::Start:
            return startHud.get();
        case ActiveHud::Wear:
            return wearHud.get();
        case ActiveHud::Width:
            return widthHud.get();
        case ActiveHud::Falloff:
            return falloffHud.get();
        case ActiveHud::None:
        default:
            return nullptr;
    }
}

void VisualizerComponent::showHud (ActiveHud code)
{
    auto* chosen = getOverlay (code);
    shownHud = chosen != nullptr ? code : ActiveHud::None;

    if (auto* readout = dynamic_cast<FaderReadoutHud*> (chosen))
    {
        auto texts = readoutFor (code, state);
        readout->title = std::move (texts.title);
        readout->value = std::move (texts.value);
    }

    for (auto* overlay : overlays)
        if (overlay != chosen)
            overlay->setActive (false);

    if (chosen != nullptr && ! chosen->isActive())
    {
        // The newly chosen overlay lies over one still ramping down.
        chosen->toBehind (&densityStrip);
        chosen->setActive (true);
    }
}

void VisualizerComponent::hideAllHuds()
{
    shownHud = ActiveHud::None;
    for (auto* overlay : overlays)
        overlay->setActive (false);
}

//==============================================================================
VisualizerComponent::Coords VisualizerComponent::computeCoords (juce::Rectangle<int> bounds, float maxMs)
{
    Coords c;
    c.plotWidth = std::max (static_cast<float> (bounds.getWidth()) - 56.0f, 0.0f);
    c.plotHeight = std::max (static_cast<float> (bounds.getHeight()) - 40.0f, 0.0f);
    c.x0 = 14.0f;
    c.xSpan = c.plotWidth - 18.0f;
    c.viewSpanMs = maxMs;
    c.viewStartMs = 0.0f;
    return c;
}

float VisualizerComponent::ampToT (float amplitude)
{
    const float d = -20.0f * std::log10 (std::max (amplitude, 1.0e-6f)) / 45.0f;
    return d < 0.0f ? 1.0f : 1.0f - std::min (d, 1.0f);
}

float VisualizerComponent::tToY (float t, const Coords& c, float floor)
{
    // top + (1 - T) (F - top), written so that T = 0 lands exactly on F.
    const float f = floor >= 0.0f ? floor : c.plotHeight - 22.0f;
    return f - std::min (t, 1.0f) * (f - c.top());
}

float VisualizerComponent::windowPosOfTimelineFrac (float f) const
{
    return juce::jlimit (0.0f, 1.0f, (f * timelineMaxMs - state.predelayMs) / std::max (state.lengthMs, 1.0f));
}

float VisualizerComponent::ghostAmp (float p) const
{
    // The decay level depends only on the tap's place q = index / (n - 1) in
    // the window (q = p for n >= 2). The engine's function takes whole tap
    // indices, so the curve asks it for a fine grid of 100000 places.
    const int n = std::max (taps.count, 1);
    const int steps = std::max (state.decaySteps, 1);
    if (n < 2)
        return dsp::decayAmplitudeModed (0, n, state.decayCurve, state.decayMode, steps);

    constexpr int grid = 100000;
    const int index = juce::roundToInt (juce::jlimit (0.0f, 1.0f, p) * static_cast<float> (grid));
    return dsp::decayAmplitudeModed (index, grid + 1, state.decayCurve, state.decayMode, steps);
}

float VisualizerComponent::falloffGainAt (float p) const
{
    if (state.decayFalloff <= 0.0f)
        return 1.0f;
    const float k = 1.0f - std::min (state.decayFalloff, 100.0f) / 100.0f;
    if (k >= 1.0f || p <= k)
        return 1.0f;
    const float u = std::min ((p - k) / (1.0f - k), 1.0f);
    const float v = 1.0f - u * u;
    return v * v;
}

float VisualizerComponent::decayLineYFrac (float p, const Coords& c, float floor) const
{
    return tToY (ampToT (ghostAmp (p) * falloffGainAt (p)), c, floor);
}

float VisualizerComponent::wearKneeAgeFor (float wear)
{
    if (wear < 0.0f)
        return 1.0f;
    return 1.0f - 0.9f * std::min (wear, 100.0f) / 100.0f;
}

float VisualizerComponent::wearRolloffFor (float p, float knee)
{
    const float r = juce::jlimit (0.0f, 1.0f, (p - knee) / 0.18f);
    return std::sqrt (std::max (1.0f - r * r, 0.0f));
}

float VisualizerComponent::wearCurveYFrac (float p, const Coords& c, float floor) const
{
    return tToY (wearRolloff (p) * ampToT (ghostAmp (p) * falloffGainAt (p)), c, floor);
}

float VisualizerComponent::tapWearDeadMix (float p) const
{
    if (! state.tapeOn || ! (state.tapeWear > 0.0f))
        return 0.0f;
    return juce::jlimit (0.0f, 1.0f, p / std::max (wearKneeAge() + 0.18f, 0.05f));
}

float VisualizerComponent::falloffKneeXFrac (float falloff, float predelayMs, float lengthMs, float maxMs)
{
    const float k = falloff <= 0.0f ? 1.0f : 1.0f - std::min (falloff, 100.0f) / 100.0f;
    return (predelayMs + lengthMs * k) / std::max (maxMs, 1.0f);
}

float VisualizerComponent::falloffLineX (const Coords& c) const
{
    return c.x0 + c.xSpan * falloffKneeXFrac (state.decayFalloff, state.predelayMs, state.lengthMs, timelineMaxMs);
}

float VisualizerComponent::falloffSpanFromXFrac (float f, float predelayMs, float lengthMs, float maxMs)
{
    const float p = (f * maxMs - predelayMs) / std::max (lengthMs, 1.0f);
    const float falloff = p < 0.0f ? 100.0f : (1.0f - std::min (p, 1.0f)) * 100.0f;
    return juce::jlimit (0.0f, 40.0f, falloff);
}

juce::Point<float> VisualizerComponent::handleOnCurve (float xFrac, bool onWearCurve, const Coords& c) const
{
    float f = std::min (xFrac, 1.0f);
    if (! (f >= 0.02f)) // NaN lands at the left end too
        f = 0.02f;
    if (f <= 0.02f)
        return { c.x0 + 0.02f * c.xSpan, 0.0f };

    const float floor = c.plotHeight - 22.0f;
    float y = 0.0f;
    for (;;)
    {
        const float p = windowPosOfTimelineFrac (f);
        y = onWearCurve ? wearCurveYFrac (p, c, floor) : decayLineYFrac (p, c, floor);
        if (y <= floor)
            break;
        f -= 0.01f;
        if (! (f > 0.02f))
            break;
    }
    return { c.x0 + f * c.xSpan, y };
}

juce::Point<float> VisualizerComponent::decayHandlePos (const Coords& c) const
{
    if (c.xSpan <= 0.0f)
        return { c.x0, c.plotHeight / 2.0f };
    return handleOnCurve (falloffKneeXFrac (state.decayFalloff, state.predelayMs, state.lengthMs, timelineMaxMs), false,
                          c);
}

juce::Point<float> VisualizerComponent::wearHandlePos (const Coords& c) const
{
    if (c.xSpan <= 0.0f || timelineMaxMs <= 0.0f)
        return { c.x0, c.plotHeight / 2.0f };
    const float f = (state.predelayMs + state.lengthMs * wearKneeAge()) / std::max (timelineMaxMs, 1.0f);
    return handleOnCurve (f, true, c);
}

juce::Point<float> VisualizerComponent::startHandlePos (const Coords& c) const
{
    if (c.xSpan <= 0.0f || timelineMaxMs <= 0.0f)
        return { c.x0, c.plotHeight / 2.0f };
    return { c.x0 + c.xSpan * state.predelayMs / timelineMaxMs, c.plotHeight / 2.0f };
}

//==============================================================================
void VisualizerComponent::resized()
{
    const int w = getWidth();
    const int h = getHeight();
    const auto c = computeCoords();
    const int plotWidth = static_cast<int> (c.plotWidth);
    const int plotHeight = static_cast<int> (c.plotHeight);

    for (auto* overlay : overlays)
        overlay->setBounds (0, 0, w, std::max (h - 54, 0));
    densityStrip.setBounds (0, h - std::min (h, 40), w, std::min (h, 40));

    const int s = std::min (plotHeight, 14);
    lengthSlider.setBounds (0, plotHeight - s, plotWidth, s);

    const int bw = std::min (plotWidth, 60);
    const int bh = std::min (plotHeight - s, 18);
    decayModeButton.setBounds (plotWidth - bw, 0, bw, bh);
    stepsLabel.setBounds (plotWidth - bw, bh, bw, std::min (plotHeight - s - bh, 12));
}
