// The editor's 30 Hz refresh: what the displays show, pulled from the
// processor and the parameters.

#include "plugin/PluginEditor.h"

#include "dsp/NoteGrid.h"
#include "dsp/ParamMapping.h"
#include "ui/Col.h"

#include <cmath>

VisualizerComponent::VisualizerState MassDelayAudioProcessorEditor::readDisplayState() const
{
    // The same record the audio thread builds, in the same units.
    params::BlockContext context;
    context.bpm = audioProcessor.getLastTempo();
    context.tapCount = audioProcessor.getRequestedTapCount();
    context.waveSeed = audioProcessor.getWaveLfoSeed();
    context.tremSeed = audioProcessor.getTremLfoSeed();
    context.pitchSeed = audioProcessor.getPitchLfoSeed();
    const auto values = audioProcessor.readRawValues();
    const auto p = params::makeParamBlock (values, context);

    VisualizerComponent::VisualizerState s;
    s.waveOn = p.waveOn;
    s.tapeOn = p.tapeOn;
    s.tremOn = p.tremOn;
    s.pingPongOn = p.pingPongAmount > 0.0f;
    s.waveRateHz = p.waveRateHz;
    s.waveDepth = p.waveDepth;
    s.wavePhaseDeg = p.wavePhaseDeg;
    s.waveOffsetDeg = p.waveOffsetDeg;
    s.waveShape = p.waveShape;
    s.tremRateHz = p.tremRateHz;
    s.tremDepth = p.tremDepth;
    s.tremShape = p.tremShape;
    s.tremPhaseDeg = p.tremPhaseDeg;
    s.tremOffsetDeg = p.tremOffsetDeg;
    s.tapeLpf = p.tapeLpf;
    s.predelayMs = p.predelayMs;
    s.widen = p.widen;
    s.noMid = p.noMid;
    s.pingPongAmount = p.pingPongAmount;

    s.decayCurve = p.decayCurve;
    s.decayMode = p.decayMode;
    s.decaySteps = p.decaySteps;
    s.decayFalloff = p.decayFalloff;
    s.waveSeed = p.waveSeed;
    s.tremSeed = p.tremSeed;
    s.twist = p.twist;
    s.hpHz = p.hpHz;
    s.lpHz = p.lpHz;
    s.lengthMs = p.lengthMs;
    s.tapeMix = p.tapeMix;
    s.tapeOut = p.tapeOut;
    s.tapeIn = p.tapeIn;
    s.flutter = p.flutter;
    s.flutterSpeed = p.flutterSpeed;
    s.tapeWear = p.tapeWear;
    s.headBump = p.headBump;
    // The mix readout shows the control's value, also while the mix is bypassed.
    s.mix = values[static_cast<std::size_t> (params::idx (params::id::mix))];
    s.master = p.masterDb;
    s.pitchRateHz = p.pitchRateHz;
    s.pitchDepth = p.pitchDepth;
    s.pitchCents = p.pitchOffset;
    s.pitchMix = p.pitchMix;
    s.pitchRegen = p.pitchRegen;
    s.pitch2x = p.pitch2x;
    return s;
}

VisualizerComponent::ActiveHud MassDelayAudioProcessorEditor::chooseHud() const
{
    using Hud = VisualizerComponent::ActiveHud;
    const auto& id = draggedParamId;
    if (id == params::id::highPass || id == params::id::lowPass)
        return Hud::Eq;
    if (id == params::id::decayCurve || id == params::id::decaySteps || id == params::id::decayMode)
        return Hud::Decay;
    if (id == params::id::tapeIn || id == params::id::tapeLpf || id == params::id::tapeOut)
        return Hud::TapeChain;
    if (id == params::id::tapeMix)
        return Hud::TapeMix;
    if (id == params::id::tapeHeadBump)
        return Hud::Bump;
    if (id == params::id::tapeFlutter || id == params::id::tapeFlutterSpeed)
        return Hud::Flutter;
    if (id == params::id::pitchRate || id == params::id::pitchDepth || id == params::id::pitchCents
        || id == params::id::pitchRegen || id == params::id::pitchMix)
        return Hud::Pitch;
    if (id == params::id::tapeWear)
        return Hud::Wear;
    if (id == params::id::widen)
        return Hud::Width;
    if (id == params::id::decayFalloff)
        return Hud::Falloff;

    // The readouts also follow the mouse when nothing is dragged.
    const auto& readout = id.isNotEmpty() ? id : hoveredParamId;
    if (readout == params::id::predelay)
        return Hud::Start;
    if (readout == params::id::mix)
        return Hud::Mix;
    if (readout == params::id::master)
        return Hud::Master;
    return Hud::None;
}

//==============================================================================
// The 30 Hz refresh, step by step. It shows and writes nothing: the rules by
// which parameters follow others (the length snap, the sync conversions, the
// predelay following the start) are the processor's, applied with every
// block whether or not this window is open.

void MassDelayAudioProcessorEditor::timerCallback()
{
    // 1. Taps.
    visualizer.setTaps (audioProcessor.getTapSnapshot());

    // 2. Filter handles.
    refreshFilterHandles();

    // 5. Bypass display.
    refreshBypassBlink();

    // 6. Display state.
    auto state = readDisplayState();

    // 3. Timeline: the window length plus the predelay, taken from the
    // display state.
    visualizer.setTimelineMaxMs (state.lengthMs + state.predelayMs);

    // 7. Tap count.
    if (tapCountBox.isVisible() && draggedParamId != params::id::tapCount)
        tapCountBox.setValue (juce::jlimit (1, 64, static_cast<int> (raw (params::id::tapCount))));

    // 8. Animation.
    flutterPhase += 0.02f * std::pow (raw (params::id::tapeFlutter) / 100.0f, 2.0f)
                    * std::pow (2.0f, (raw (params::id::tapeFlutterSpeed) - 50.0f) / 25.0f);
    flutterPhase -= std::floor (flutterPhase);
    hudClock += 0.03f;
    if (hudClock >= 1024.0f)
        hudClock -= 1024.0f;
    state.flutterPhase = flutterPhase;
    state.hudClock = hudClock;

    // 9. Tempo: the last tempo the host reported, as the audio thread keeps it
    // (120 until one arrives), so the displays use the tempo the engine plays.
    const float bpm = audioProcessor.getLastTempo();
    MdSlider::hostBpm = bpm;

    // 10. Sync display on the synced sliders.
    refreshSyncDisplay (bpm > 0.0f);

    // 12. Density strip.
    refreshDensityStrip();

    // 13. HUD choice.
    state.activeHud = chooseHud();
    using Hud = VisualizerComponent::ActiveHud;
    if (state.activeHud == Hud::TapeChain || state.activeHud == Hud::TapeMix || state.activeHud == Hud::Bump
        || state.activeHud == Hud::Flutter || state.activeHud == Hud::Pitch)
        state.touchedParamId = draggedParamId;

    // 15. Tap opacity.
    state.alphaBoost = (draggedParamId == params::id::mix || draggedParamId == params::id::master) ? 1.5f : 1.0f;

    // 16. Title: warmer and brighter with more wet signal, glowing above 40 %.
    refreshTitle();

    // 17. Decay controls.
    refreshDecayControls();

    // 18. The visualizer takes the state.
    visualizer.setState (state);

    // The preset bar names a patch applied elsewhere (a host's program
    // change), unmarked: its own parameter changes are the patch. Then the
    // mark, for parameter changes made on other threads.
    if (const auto applied = audioProcessor.getAppliedPatchCount(); applied != shownPatchCount)
    {
        shownPatchCount = applied;
        presetPanel.setCurrentPatchDisplay (audioProcessor.getCurrentPatchName(),
                                            audioProcessor.getCurrentPatchFolder());
    }
    presetPanel.takePendingChanges();
}

void MassDelayAudioProcessorEditor::refreshFilterHandles()
{
    // A handle in the hand is left alone; after the drag the handles come
    // back to what the parameters' ranges kept.
    if (! filterSlider.isDragging())
        filterSlider.setRawPositions (raw (params::id::highPass), raw (params::id::lowPass));
}

void MassDelayAudioProcessorEditor::refreshBypassBlink()
{
    if (raw (params::id::mixBypass) > 0.5f)
    {
        if (! bypassBlinkActive)
        {
            mixLabel.setText ("BYP", juce::dontSendNotification);
            mixSlider.setAlpha (0.4f);
            bypassBlinkCounter = 1;
            bypassBlinkActive = true;
            return;
        }

        // Every eighth tick, about 3.75 times a second.
        if (bypassBlinkCounter++ > 6)
        {
            bypassBlinkCounter = 0;
            mixLabel.setColour (juce::Label::textColourId, bypassBlinkPhase ? Col::am.withAlpha (0.25f) : Col::am);
            bypassBlinkPhase = ! bypassBlinkPhase;
        }
    }
    else if (bypassBlinkActive)
    {
        mixLabel.setText ("MIX", juce::dontSendNotification);
        mixLabel.setColour (juce::Label::textColourId, Col::t1);
        mixSlider.setAlpha (1.0f);
        bypassBlinkActive = false;
        bypassBlinkPhase = false;
    }
}

void MassDelayAudioProcessorEditor::refreshSyncDisplay (bool tempoKnown)
{
    // The density strip's start and end sliders follow mu, the Wave rate
    // slider waveSync, the tremolo rate and phase sliders tremSync, the pitch
    // rate slider pitchSync.
    auto& strip = visualizer.getDensityStrip();
    const bool tapSync = raw (params::id::tapSync) > 0.5f;
    applySyncDisplay (strip.getStartSlider(), tapSync, tempoKnown);
    applySyncDisplay (strip.getEndSlider(), tapSync, tempoKnown);
    const bool waveSync = raw (params::id::waveSync) > 0.5f;
    const bool tremSync = raw (params::id::tremSync) > 0.5f;
    applySyncDisplay (waveBody->getRateSlider(), waveSync, tempoKnown);
    applySyncDisplay (tremoloBody->getRateSlider(), tremSync, tempoKnown);
    applySyncDisplay (tremoloBody->getPhaseSlider(), tremSync, tempoKnown);
    applySyncDisplay (pitchBody->getRateSlider(), raw (params::id::pitchSync) > 0.5f, tempoKnown);
}

void MassDelayAudioProcessorEditor::applySyncDisplay (MdSlider& slider, bool syncMode, bool tempoKnown)
{
    if (slider.syncMode == syncMode && slider.tempoKnown == tempoKnown)
        return;
    slider.syncMode = syncMode;
    slider.tempoKnown = tempoKnown;
    slider.repaint();
}

void MassDelayAudioProcessorEditor::refreshDensityStrip()
{
    auto& strip = visualizer.getDensityStrip();
    const bool tapSync = raw (params::id::tapSync) > 0.5f;
    const bool times4 = raw (params::id::times4) > 0.5f;
    const float scale = times4 ? 4.0f : 1.0f;
    for (auto* slider : { &strip.getStartSlider(), &strip.getEndSlider() })
        if (slider->displayScale != scale)
        {
            slider->displayScale = scale;
            slider->repaint();
        }
    strip.setStartEndValues (densityValueText (raw (params::id::start), tapSync, times4),
                             densityValueText (raw (params::id::end), tapSync, times4));
}

juce::String MassDelayAudioProcessorEditor::densityValueText (float raw, bool tapSync, bool times4)
{
    if (tapSync)
        return NoteGrid::labels[mapping::syncedSpacingIndex (raw)];
    return juce::String (static_cast<int> (mapping::freeSpacingMs (raw, times4))) + " ms";
}

void MassDelayAudioProcessorEditor::refreshTitle()
{
    const float m = raw (params::id::mix) / 100.0f;
    const auto titleColour = juce::Colour (0xffab8c44)
                                 .interpolatedWith (juce::Colour (0xffebe004), juce::jlimit (0.0f, 1.0f, m))
                                 .withAlpha (0.783f + 0.217f * juce::jlimit (0.0f, 1.0f, m / 0.75f));
    if (titleLabel.findColour (juce::Label::textColourId) != titleColour)
        titleLabel.setColour (juce::Label::textColourId, titleColour);
    const float glow = m <= 0.4f ? 0.0f : std::min ((m - 0.4f) / 0.6f, 1.0f);
    if (std::abs (glow - titleGlow) > 0.001f)
    {
        titleGlow = glow;
        repaint (titleLabel.getBounds().expanded (6));
    }
}

void MassDelayAudioProcessorEditor::refreshDecayControls()
{
    const int mode = static_cast<int> (raw (params::id::decayMode));
    auto& modeButton = visualizer.getDecayModeButton();
    const auto modeText = VisualizerComponent::decayModeText (mode);
    if (modeButton.getButtonText() != modeText)
    {
        modeButton.setButtonText (modeText);
        modeButton.repaint();
    }

    auto& steps = visualizer.getStepsLabel();
    const auto stepsText = juce::String (static_cast<int> (raw (params::id::decaySteps))) + " steps";
    if (steps.getText() != stepsText)
        steps.setText (stepsText, juce::dontSendNotification);
    steps.setVisible (mode != 0);
}
