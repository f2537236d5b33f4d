#include "plugin/PluginEditor.h"

#include "dsp/NoteGrid.h"
#include "dsp/ParamMapping.h"
#include "plugin/TapWindowEdits.h"
#include "presets/PresetSettings.h"

#include "ui/AboutDialog.h"
#include "ui/Col.h"
#include "ui/Helper.h"
#include "ui/IconPainters.h"
#include "ui/ValueEntryBox.h"

#include <algorithm>
#include <cmath>

MassDelayAudioProcessorEditor::MassDelayAudioProcessorEditor (MassDelayAudioProcessor& p)
    : AudioProcessorEditor (p)
    , audioProcessor (p)
    , apvts (p.getValueTreeState())
    , params (p.getValueTreeState())
    , presetPanel (p.getValueTreeState(), p.getPresetLibrary())
    , massControl (p.getValueTreeState())
    , mainControls (p.getValueTreeState())
    , optionsPanel (p.getValueTreeState())
{
    setLookAndFeel (&lookAndFeel);
    setResizable (false, false);

    // Title.
    titleLabel.setText (juce::String ("Twist Delay").toUpperCase(), juce::dontSendNotification);
    titleLabel.setFont (MdLookAndFeel::monoFont (13.0f).withExtraKerningFactor (0.35f));
    titleLabel.setColour (juce::Label::textColourId, juce::Colour (0xfff2c64b));
    titleLabel.onClick = [this] { dialogOverlay.showDialog (std::make_unique<AboutDialog>()); };
    addAndMakeVisible (titleLabel);

    // Options.
    optionsButton.setClickingTogglesState (true);
    optionsButton.onClick = [this] {
        if (optionsButton.getToggleState())
            optionsPanel.showPanel();
        else
            optionsPanel.hidePanel();
    };
    addAndMakeVisible (optionsButton);

    // Preset bar.
    presetPanel.applyPatchCallback = [this] (const presets::Patch& patch) { audioProcessor.applyPatch (patch); };
    presetPanel.currentParamsCallback = [this] { return audioProcessor.captureParamsVar(); };
    presetPanel.onPatchSaved = [this] (const juce::String& name, const juce::String& folder) {
        audioProcessor.setCurrentPatch (name, folder);
    };
    addAndMakeVisible (presetPanel);
    shownPatchCount = audioProcessor.getAppliedPatchCount();
    presetPanel.setCurrentPatchDisplay (audioProcessor.getCurrentPatchName(), audioProcessor.getCurrentPatchFolder());

    // Tap count.
    tapCountBox.setRange (1, 64);
    tapCountBox.setValue (juce::jlimit (1, 64, static_cast<int> (raw (params::id::tapCount))));
    tapCountBox.onChange = [this] (int count) { setParam (params::id::tapCount, static_cast<float> (count)); };
    tapCountBox.onDragStart = [this] { draggedParamId = params::id::tapCount; };
    tapCountBox.onDragEnd = [this] { draggedParamId.clear(); };
    addAndMakeVisible (tapCountBox);

    // Visualizer.
    addAndMakeVisible (visualizer);
    visualizer.attachDecay (apvts);
    visualizer.attachWear (apvts);
    visualizer.attachFalloff (apvts);
    visualizer.attachLength (apvts);
    const std::pair<MdSlider*, const char*> handleSliders[] = {
        { &visualizer.getDecaySlider(), params::id::decayCurve },
        { &visualizer.getWearSlider(), params::id::tapeWear },
        { &visualizer.getFalloffSlider(), params::id::decayFalloff }
    };
    for (const auto& [slider, id] : handleSliders)
    {
        slider->paramId = id;
        slider->onParamDragStart = [this] (const juce::String& pid) { setDragged (pid); };
        slider->onParamDragEnd = [this] (const juce::String& pid) { clearDragged (pid); };
    }
    visualizer.predelayParam = apvts.getParameter (params::id::predelay);
    visualizer.onParamDragStart = [this] (const juce::String& id) { setDragged (id); };
    visualizer.onParamDragEnd = [this] (const juce::String& id) { clearDragged (id); };
    visualizer.onParamHoverStart = [this] (const juce::String& id) { setHovered (id); };
    visualizer.onParamHoverEnd = [this] (const juce::String& id) { clearHovered (id); };

    auto& density = visualizer.getDensityStrip();
    density.getStartSlider().paramId = params::id::start;
    density.getEndSlider().paramId = params::id::end;
    startAttachment = std::make_unique<SliderAttachment> (apvts, params::id::start, density.getStartSlider());
    endAttachment = std::make_unique<SliderAttachment> (apvts, params::id::end, density.getEndSlider());
    density.onParamDragStart = [this] (const juce::String& id) { setDragged (id); };
    density.onParamDragEnd = [this] (const juce::String& id) { clearDragged (id); };
    linkAttachment = std::make_unique<ButtonAttachment> (apvts, params::id::startEndLock, density.getLinkButton());
    rangeAttachment = std::make_unique<ButtonAttachment> (apvts, params::id::times4, density.getRangeButton());

    // Mix slider.
    mixSlider.setSliderStyle (juce::Slider::LinearVertical);
    mixSlider.setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
    mixSlider.setRange (0.0, 100.0, 1.0);
    mixSlider.resetValue = 80.0;
    mixSlider.paramId = params::id::mix;
    mixSlider.onParamDragStart = [this] (const juce::String& id) { setDragged (id); };
    mixSlider.onParamDragEnd = [this] (const juce::String& id) { clearDragged (id); };
    mixSlider.onHoverEnter = [this] (const juce::String& id) { setHovered (id); };
    mixSlider.onHoverExit = [this] (const juce::String& id) { clearHovered (id); };
    addAndMakeVisible (mixSlider);
    mixAttachment = std::make_unique<SliderAttachment> (apvts, params::id::mix, mixSlider);

    // Master fader, metering the output peak.
    masterFader = std::make_unique<MasterOutFader> (apvts, [&p] { return p.takeOutputPeak(); });
    masterFader->onParamDragStart = [this] (const juce::String& id) { setDragged (id); };
    masterFader->onParamDragEnd = [this] (const juce::String& id) { clearDragged (id); };
    masterFader->onParamHoverStart = [this] (const juce::String& id) { setHovered (id); };
    masterFader->onParamHoverEnd = [this] (const juce::String& id) { clearHovered (id); };
    addAndMakeVisible (*masterFader);

    // Captions.
    Helper::styleLabel (mixLabel, "MIX", Col::t1, 10.0f);
    mixLabel.setJustificationType (juce::Justification::centred);
    mixLabel.setBorderSize ({});
    mixLabel.setMinimumHorizontalScale (0.8f);
    mixLabel.setFont (mixLabel.getFont().withStyle (juce::Font::underlined));
    mixLabel.onClick = [this] { setParam (params::id::mixBypass, raw (params::id::mixBypass) > 0.5f ? 0.0f : 1.0f); };
    addAndMakeVisible (mixLabel);

    Helper::styleLabel (outLabel, "OUT", Col::t1, 10.0f);
    outLabel.setJustificationType (juce::Justification::centred);
    outLabel.setBorderSize ({});
    outLabel.setMinimumHorizontalScale (0.8f);
    addAndMakeVisible (outLabel);

    // Twist.
    massControl.onParamDragStart = [this] (const juce::String& id) { setDragged (id); };
    massControl.onParamDragEnd = [this] (const juce::String& id) { clearDragged (id); };
    addAndMakeVisible (massControl);

    // Filter range.
    filterSlider.hpParamId = params::id::highPass;
    filterSlider.lpParamId = params::id::lowPass;
    filterSlider.setRawPositions (raw (params::id::highPass), raw (params::id::lowPass));
    // A handle drag is one host gesture on the grabbed corner; the other one
    // does not move, so it is not written.
    filterSlider.onChange = [this] (float hpRaw, float lpRaw) {
        params.writeInGesture (params::id::highPass, hpRaw);
        params.writeInGesture (params::id::lowPass, lpRaw);
    };
    filterSlider.onParamDragStart = [this] (const juce::String& id) {
        setDragged (id);
        if (auto* param = apvts.getParameter (id))
            param->beginChangeGesture();
    };
    filterSlider.onParamDragEnd = [this] (const juce::String& id) {
        if (auto* param = apvts.getParameter (id))
            param->endChangeGesture();
        clearDragged (id);
    };
    addAndMakeVisible (filterSlider);

    // Main buttons.
    using Config = ButtonGrid::Config;
    buttonGrid.setButtons (
        { Config { "TAP SYNC", {}, IconPainters::sync, MdButton::Accent::am, params::id::tapSync, {} },
          Config { "TAP-FLIP", {}, IconPainters::flip, MdButton::Accent::am, params::id::tapFlip, {} },
          Config { "TWIST-REV", {}, IconPainters::twistRev, MdButton::Accent::am, params::id::reverse, {} },
          Config { "RAND", {}, IconPainters::dice, MdButton::Accent::am, {}, [this] { randomize(); } } });
    const auto gridButtons = buttonGrid.getButtons();
    for (auto* button : gridButtons)
        button->chrome = true;
    if (gridButtons.size() == 4)
    {
        gridButtons[0]->bold = true;
        gridButtons[3]->alignLeft = true;
        for (size_t i = 0; i < 3; ++i)
            buttonGridAttachments.push_back (
                std::make_unique<ButtonAttachment> (apvts, gridButtons[i]->paramId, *gridButtons[i]));
    }
    addAndMakeVisible (buttonGrid);

    // History arrows.
    historyBackButton.iconPainter = [] (juce::Graphics& g, juce::Rectangle<float> r, juce::Colour c) {
        return drawHistoryChevron (g, r, c, true);
    };
    historyForwardButton.iconPainter = [] (juce::Graphics& g, juce::Rectangle<float> r, juce::Colour c) {
        return drawHistoryChevron (g, r, c, false);
    };
    historyBackButton.onClick = [this] {
        audioProcessor.randomStepBack();
        updateHistoryArrows();
    };
    historyForwardButton.onClick = [this] {
        audioProcessor.randomStepForward();
        updateHistoryArrows();
    };
    addAndMakeVisible (historyBackButton);
    addAndMakeVisible (historyForwardButton);
    updateHistoryArrows();

    // Width and ping-pong row.
    mainControls.onParamDragStart = [this] (const juce::String& id) { setDragged (id); };
    mainControls.onParamDragEnd = [this] (const juce::String& id) { clearDragged (id); };
    addAndMakeVisible (mainControls);

    // Effect sections.
    sectionContent = std::make_unique<juce::Component>();
    buildEffectSections();
    sectionViewport.setViewedComponent (sectionContent.get(), false);
    sectionViewport.setScrollBarsShown (true, false);
    addAndMakeVisible (sectionViewport);

    // Options panel, its outside-click catcher, and the dialog overlay above all.
    clickCatcher.onClick = [this] { optionsPanel.hidePanel(); };
    addChildComponent (clickCatcher);
    optionsPanel.setRandomMatrix (&audioProcessor.getRandomMatrix());
    optionsPanel.onMixLockChanged = [] (bool locked) { MassDelayAudioProcessor::setMixLocked (locked); };
    optionsPanel.onZoomChosen = [this] (int percent) { setZoomPercent (percent); };
    optionsPanel.onVisibilityChanged = [this] (bool shown) {
        clickCatcher.setActive (shown);
        optionsButton.setToggleState (shown, juce::dontSendNotification);
        if (shown)
        {
            // Another instance may have changed the shared settings meanwhile.
            optionsPanel.showMixLock (MassDelayAudioProcessor::isMixLocked());
            optionsPanel.showZoom (zoomPercent);
            // The matrix switches are built on the first show.
            leaveFocusWithHost (optionsPanel);
        }
    };
    addChildComponent (optionsPanel);
    addChildComponent (dialogOverlay);

    setUpKeyboardAndAccessibility();

    startTimerHz (30);
    setSize (editorWidth, maxHeight);
    zoomPercent = presets::getZoomPercent (presets::defaultSettingsFile());
    applyScale();
    updateWindowHeight();
}

MassDelayAudioProcessorEditor::~MassDelayAudioProcessorEditor()
{
    // An open value-entry box would commit into widgets that are going away.
    ValueEntryBox::dismissAll (this);
    stopTimer();
    for (auto& section : sections)
        section->setHeightListener (nullptr);
    setLookAndFeel (nullptr);
}

//==============================================================================
float MassDelayAudioProcessorEditor::raw (const char* id) const
{
    return params.raw (id);
}

void MassDelayAudioProcessorEditor::setParam (const char* id, float value)
{
    params.write (id, value);
}

float MassDelayAudioProcessorEditor::drawHistoryChevron (juce::Graphics& g, juce::Rectangle<float> r, juce::Colour c,
                                                         bool pointsLeft)
{
    const float b = 0.22f * r.getHeight();
    const float m = 0.5f * b;
    const float cx = r.getCentreX();
    const float cy = r.getCentreY();
    const float dir = pointsLeft ? 1.0f : -1.0f;

    juce::Path chevron;
    chevron.startNewSubPath (cx + dir * m, cy - b);
    chevron.lineTo (cx - dir * m, cy);
    chevron.lineTo (cx + dir * m, cy + b);
    g.setColour (c);
    g.strokePath (chevron, juce::PathStrokeType (1.6f));
    return r.getWidth();
}

void MassDelayAudioProcessorEditor::updateHistoryArrows()
{
    const auto& history = audioProcessor.getRandomHistory();
    const bool back = history.canStepBack();
    const bool forward = history.canStepForward();
    historyBackButton.setEnabled (back);
    historyForwardButton.setEnabled (forward);
    historyBackButton.setAlpha (back ? 1.0f : 0.35f);
    historyForwardButton.setAlpha (forward ? 1.0f : 0.35f);
}

void MassDelayAudioProcessorEditor::randomize()
{
    const auto buttons = buttonGrid.getButtons();
    if (buttons.size() == 4)
    {
        auto* rand = buttons[3];
        rand->setToggleState (true, juce::dontSendNotification);
        juce::Component::SafePointer<MdButton> safeRand (rand);
        juce::Timer::callAfterDelay (360, [safeRand] {
            if (safeRand != nullptr)
                safeRand->setToggleState (false, juce::dontSendNotification);
        });
    }

    // Parameters from the random matrix, new seeds and a history entry.
    audioProcessor.randomizeParameters();
    syncConverter.forgetSwitches();
    updateHistoryArrows();
}

int MassDelayAudioProcessorEditor::windowHeightFor (int sectionsBottom)
{
    return sectionsBottom < maxHeight - 21 ? sectionsBottom + 21 : maxHeight;
}

void MassDelayAudioProcessorEditor::updateWindowHeight()
{
    const int ruled = windowHeightFor (sectionTop + sectionContentHeight);
    const int target =
        std::max (std::min (ruled, tallestHeightFor (screenWorkArea(), effectiveScale)), sectionTop + 21);
    if (target != getHeight())
        setSize (getWidth(), target);
}

//==============================================================================
void MassDelayAudioProcessorEditor::resized()
{
    auto area = getLocalBounds();
    area.removeFromLeft (12);
    area.removeFromRight (12);
    area.removeFromTop (11);
    area.removeFromBottom (9);

    // Takes a row of the given height (or what is left) from the top.
    auto row = [&area] (int height) { return area.removeFromTop (std::min (height, area.getHeight())); };
    auto gap = [&row] (int height) { row (height); };

    auto header = row (24);
    titleLabel.setBounds (header.removeFromLeft (std::min (220, header.getWidth())));
    optionsButton.setBounds (header.removeFromRight (std::min (72, header.getWidth())));

    gap (4);
    auto presetRow = row (26);
    if (tapCountBox.isVisible())
    {
        tapCountBox.setBounds (presetRow.removeFromRight (std::min (90, presetRow.getWidth())));
        presetRow.removeFromRight (std::min (4, presetRow.getWidth()));
    }
    presetPanel.setBounds (presetRow);

    gap (4);
    const auto visualizerArea = row (160);
    visualizer.setBounds (visualizerArea);

    const int right = visualizerArea.getRight();
    const int e = visualizerArea.getHeight() - 48;
    const int f = std::min (e, 11);
    const int travel = std::max (e - f, 0);
    const int captionY = visualizerArea.getY() + e - f + 4;
    mixLabel.setBounds (right - 52, captionY, 24, std::max (f, 0));
    outLabel.setBounds (right - 28, captionY, 24, std::max (f, 0));
    mixSlider.setBounds (right - 51, visualizerArea.getY() + 4, 22, travel);
    masterFader->setBounds (right - 27, visualizerArea.getY() + 4, 22, travel);

    const int thumb = getLookAndFeel().getSliderThumbRadius (mixSlider);
    mixTrackArea =
        mixSlider.getBounds().toFloat().reduced (0.0f, static_cast<float> (thumb)).getSmallestIntegerContainer();
    if (mixTrackArea.getHeight() < 0)
        mixTrackArea = {};

    gap (4);
    massControl.setBounds (row (64));
    gap (4);
    filterSlider.setBounds (row (16));
    gap (4);
    mainControls.setBounds (row (24));
    gap (4);
    const auto gridArea = row (19);
    buttonGrid.setBounds (gridArea);

    const int g = gridArea.getX() + (gridArea.getWidth() / 4) * 4;
    historyForwardButton.setBounds (g - 25, gridArea.getY() + 3, 20, 13);
    historyBackButton.setBounds (g - 48, gridArea.getY() + 3, 20, 13);

    area.removeFromTop (std::min (26 - 19, area.getHeight()));
    sectionViewport.setBounds (area);

    // Sections inside the viewport.
    sectionContentHeight = layoutSections (area.getWidth() - sectionViewport.getScrollBarThickness());
    sectionTop = sectionViewport.getY();
    sectionContent->setBounds (0, 0, area.getWidth(),
                               std::max (sectionContentHeight, sectionViewport.getHeight()) + 12);

    clickCatcher.setBounds (getLocalBounds());
    const int panelTop = massControl.getY();
    optionsPanel.setBounds (optionsPanel.isShown() ? getWidth() - OptionsPanelComponent::panelWidth : getWidth(),
                            panelTop, OptionsPanelComponent::panelWidth, std::max (getHeight() - panelTop - 9, 0));
    dialogOverlay.setBounds (getLocalBounds());
}

//==============================================================================
void MassDelayAudioProcessorEditor::paint (juce::Graphics& g)
{
    // Most repaints are the visualizer's and the Twist control's areas, deep
    // inside the window: there the background is one flat colour, and the
    // frame, the section well and the title's glow lie outside the clip, so
    // they are skipped instead of being built and clipped away.
    const auto clip = g.getClipBounds();
    // Grown by a pixel, so that under a zoom every device pixel of the clip
    // lies wholly inside the filled rectangle.
    const auto flat = clip.expanded (1);
    const bool clearOfFrame = getLocalBounds().reduced (frameMargin).contains (flat);

    const auto bounds = getLocalBounds().toFloat();
    g.setColour (Col::bg0);
    if (clearOfFrame)
        g.fillRect (flat);
    else
    {
        g.fillRoundedRectangle (bounds, 9.0f);
        g.setColour (Col::b0);
        g.drawRoundedRectangle (bounds, 9.0f, 0.5f);
    }

    const auto well = sectionViewport.getBounds().toFloat();
    if (clip.intersects (sectionViewport.getBounds().withTop (sectionViewport.getY() - 4).expanded (1)))
    {
        g.setColour (Col::bgSunken);
        g.fillRoundedRectangle (well, 6.0f);
        g.setGradientFill (juce::ColourGradient (juce::Colours::black.withAlpha (0.6f), 0.0f, well.getY() - 4.0f,
                                                 juce::Colours::transparentBlack, 0.0f, well.getY(), false));
        g.fillRect (well.getX(), well.getY() - 4.0f, well.getWidth(), 4.0f);
        g.setColour (juce::Colours::black.withAlpha (0.8f));
        g.fillRect (well.getX(), well.getY() - 2.0f, well.getWidth(), 2.0f);
        g.setColour (juce::Colours::white.withAlpha (0.06f));
        g.fillRect (well.getX(), well.getY(), well.getWidth(), 1.0f);
    }

    // The glow's stroke (at most 2 px, mitred corners reach 3 widths out)
    // stays well inside the title's box grown by 12.
    if (titleGlow > 0.0f && clip.intersects (titleLabel.getBounds().expanded (12)))
    {
        const auto font = titleLabel.getFont();
        const auto text = titleLabel.getBorderSize().subtractedFrom (titleLabel.getBounds()).toFloat();
        juce::GlyphArrangement glyphs;
        glyphs.addFittedText (font, titleLabel.getText(), text.getX(), text.getY(), text.getWidth(), text.getHeight(),
                              titleLabel.getJustificationType(), 1, titleLabel.getMinimumHorizontalScale());
        juce::Path outline;
        glyphs.createPath (outline);
        g.setColour (juce::Colour (0xffebe004).withAlpha (titleGlow * 0.55f));
        g.strokePath (outline, juce::PathStrokeType (titleGlow * 1.5f + 0.5f));
    }
}

void MassDelayAudioProcessorEditor::paintOverChildren (juce::Graphics& g)
{
    const auto area = mixTrackArea.toFloat();
    if (area.getWidth() > 0.0f && area.getHeight() > 0.0f)
    {
        g.setColour (Col::t1.withAlpha (0.5f));
        const float x = area.getX() - 3.0f;
        for (const float y :
             { area.getBottom() - 0.5f, area.getY() + area.getHeight() / 2.0f - 0.5f, area.getY() - 0.5f })
            g.fillRect (x, y, 4.0f, 1.0f);
    }

    g.setColour (Col::t2.withAlpha (0.5f));
    g.setFont (MdLookAndFeel::monoFont (8.0f));
    g.drawText ("1.649", juce::Rectangle<int> (getWidth() - 40, getHeight() - 14, 35, 12),
                juce::Justification::centredRight, false);
}

//==============================================================================
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
// The 30 Hz refresh, step by step.

void MassDelayAudioProcessorEditor::timerCallback()
{
    // 1. Taps.
    visualizer.setTaps (audioProcessor.getTapSnapshot());

    // 2. Filter handles.
    refreshFilterHandles();

    // 4. Length snap.
    TapWindowEdits::snapLength (params);

    // 5. Bypass display.
    refreshBypassBlink();

    // 6. Display state.
    auto state = readDisplayState();

    // 3. Timeline: the window length plus the predelay, taken from the
    // display state (after the snap, so a snapped length shows at once).
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
    // (120 until one arrives), so the displays and conversions use the tempo
    // the engine plays.
    const float bpm = audioProcessor.getLastTempo();
    MdSlider::hostBpm = bpm;

    // 10. Sync display on the synced sliders.
    refreshSyncDisplay (bpm > 0.0f);

    // 11. Sync conversions.
    syncConverter.tick (params, bpm, audioProcessor.getPatchGeneration());

    // 12. Density strip.
    refreshDensityStrip();

    // 13. HUD choice.
    state.activeHud = chooseHud();
    using Hud = VisualizerComponent::ActiveHud;
    if (state.activeHud == Hud::TapeChain || state.activeHud == Hud::TapeMix || state.activeHud == Hud::Bump
        || state.activeHud == Hud::Flutter || state.activeHud == Hud::Pitch)
        state.touchedParamId = draggedParamId;

    // 14. Predelay follows the start.
    TapWindowEdits::followStart (params, draggedParamId, bpm);

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
