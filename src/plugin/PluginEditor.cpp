#include "plugin/PluginEditor.h"

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
    , presetPanel (p.getValueTreeState(), p.getPresetLibrary(), [&p] { return p.isApplyingRulesOnThisThread(); })
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
    updateHistoryArrows();
}
