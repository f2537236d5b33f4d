#pragma once

#include "params/ParameterAccess.h"
#include "plugin/PluginProcessor.h"
#include "ui/AccordionComponent.h"
#include "ui/ButtonGrid.h"
#include "ui/ClickCatcher.h"
#include "ui/ClickableLabel.h"
#include "ui/DialogOverlay.h"
#include "ui/FilterSlider.h"
#include "ui/MainControlsComponent.h"
#include "ui/MassControl.h"
#include "ui/MasterOutFader.h"
#include "ui/MdButton.h"
#include "ui/MdLookAndFeel.h"
#include "ui/MdSlider.h"
#include "ui/OptionsPanelComponent.h"
#include "ui/PitchBody.h"
#include "ui/PresetPanelComponent.h"
#include "ui/TapCountBox.h"
#include "ui/TapeDegradationBody.h"
#include "ui/TremoloBody.h"
#include "ui/VisualizerComponent.h"
#include "ui/WaveBody.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <vector>

// The plug-in's window: 460 pixels wide, as tall as the expanded effect
// sections need (at most 788), both times the zoom and the host's scale.
// Owns every panel, lays them out in one column, binds the controls to their
// parameters, routes the panels' callbacks to the processor and remembers
// which parameter is being dragged or hovered, for the overlays.
class MassDelayAudioProcessorEditor : public juce::AudioProcessorEditor,
                                      private juce::Timer,
                                      private AccordionComponent::HeightListener
{
public:
    static constexpr int editorWidth = 460;
    static constexpr int maxHeight = 788;
    // Inside this margin the window's background is flat: clear of the
    // rounded corners (radius 9) and the outline.
    static constexpr int frameMargin = 10;

    explicit MassDelayAudioProcessorEditor (MassDelayAudioProcessor&);
    ~MassDelayAudioProcessorEditor() override;

    void paint (juce::Graphics&) override;
    void paintOverChildren (juce::Graphics&) override;
    void resized() override;

    // The Random action of the RAND button.
    void randomize();

    // Applies the height rule, never taller than the screen's work area
    // allows at the current scale (the sections scroll instead).
    void updateWindowHeight();
    // A section's height changed: remember whether it is open, lay out again
    // and apply the height rule.
    void accordionHeightChanged (AccordionComponent*) override;
    // The window height for the sections' bottom edge s (sectionTop plus
    // their total height): s + 21, or the maximum once s reaches 767.
    static int windowHeightFor (int sectionsBottom);
    void updateHistoryArrows();

    // The history arrows' chevrons (left for back, right for forward).
    static float drawHistoryChevron (juce::Graphics&, juce::Rectangle<float> r, juce::Colour, bool pointsLeft);

    // One refresh as the 30 Hz timer runs it (also used by renderers that
    // show the editor without a message loop).
    void refresh() { timerCallback(); }

    const juce::String& getDraggedParamId() const noexcept { return draggedParamId; }
    // Sets the dragged parameter as a control's drag start reports it
    // (renderers use it to show a drag without a mouse).
    void setDraggedParamId (const juce::String& id) { draggedParamId = id; }
    const juce::String& getHoveredParamId() const noexcept { return hoveredParamId; }
    // Sets the hovered parameter as a control's mouse enter reports it.
    void setHoveredParamId (const juce::String& id) { hoveredParamId = id; }
    float getTitleGlow() const noexcept { return titleGlow; }

    // The value texts of the density strip for a raw start or end spacing:
    // the note division with Tap Sync, else whole milliseconds.
    static juce::String densityValueText (float raw, bool tapSync, bool times4);

    // Sets a synced slider's sync display, repainting it only on a change.
    static void applySyncDisplay (MdSlider&, bool syncMode, bool tempoKnown);

    //==============================================================================
    // Keyboard and accessibility (PluginEditorAccess.cpp). Clicks never take
    // the keyboard focus from the host (its transport keys keep working);
    // only an open value-entry box holds it. Once the user tabs into the
    // editor, the focused slider moves by a step with the arrow keys.

    // Escape closes an open value-entry box, else the options panel.
    bool keyPressed (const juce::KeyPress&) override;
    // Clicks on root and everything in it leave the keyboard focus where it is.
    static void leaveFocusWithHost (juce::Component& root);
    // The parameter's name as the host shows it.
    juce::String parameterName (const char* id) const;

    //==============================================================================
    // Zoom (PluginEditorZoom.cpp). The layout is drawn at the product of the
    // host's scale and the user's zoom, as a transform of the whole editor,
    // so everything is drawn as vectors at the device scale. The product is
    // reduced when the window would not fit the screen's work area.

    // The host's scale (VST3 hosts on HiDPI screens); multiplied by the zoom.
    void setScaleFactor (float newScale) override;
    // Applies the zoom (a step of presets::zoomSteps) and stores it in the
    // settings file, for every instance.
    void setZoomPercent (int percent);
    // Applies the zoom without storing it (renderers).
    void applyZoomPercent (int percent);
    int getZoomPercent() const noexcept { return zoomPercent; }
    float getHostScale() const noexcept { return hostScale; }
    // Host scale times zoom, as far as the work area allows.
    float getEffectiveScale() const noexcept { return effectiveScale; }
    // The largest scale at which the window's width and its fixed controls
    // fit into the work area.
    static float largestScaleFor (juce::Rectangle<int> workArea, int fixedHeight);
    // The tallest window (in layout pixels) that fits the work area at a scale.
    static int tallestHeightFor (juce::Rectangle<int> workArea, float scale);

    // The members, for tests and renderers.
    ClickableLabel& getTitleLabel() noexcept { return titleLabel; }
    MdButton& getOptionsButton() noexcept { return optionsButton; }
    PresetPanelComponent& getPresetPanel() noexcept { return presetPanel; }
    OptionsPanelComponent& getOptionsPanel() noexcept { return optionsPanel; }
    DialogOverlay& getDialogOverlay() noexcept { return dialogOverlay; }
    TapCountBox& getTapCountBox() noexcept { return tapCountBox; }
    VisualizerComponent& getVisualizer() noexcept { return visualizer; }
    MassControl& getMassControl() noexcept { return massControl; }
    FilterSlider& getFilterSlider() noexcept { return filterSlider; }
    MasterOutFader& getMasterFader() noexcept { return *masterFader; }
    MainControlsComponent& getMainControls() noexcept { return mainControls; }
    ButtonGrid& getButtonGrid() noexcept { return buttonGrid; }
    MdButton& getHistoryBackButton() noexcept { return historyBackButton; }
    MdButton& getHistoryForwardButton() noexcept { return historyForwardButton; }
    MdSlider& getMixSlider() noexcept { return mixSlider; }
    ClickableLabel& getMixLabel() noexcept { return mixLabel; }
    juce::Label& getOutLabel() noexcept { return outLabel; }
    juce::Viewport& getSectionViewport() noexcept { return sectionViewport; }
    // The effect sections in display order: TAPE, PITCH / CHORUS, WAVE, TREMOLO.
    const std::vector<std::unique_ptr<AccordionComponent>>& getSections() const noexcept { return sections; }
    TapeDegradationBody* getTapeBody() const noexcept { return tapeBody; }
    PitchBody* getPitchBody() const noexcept { return pitchBody; }
    WaveBody* getWaveBody() const noexcept { return waveBody; }
    TremoloBody* getTremoloBody() const noexcept { return tremoloBody; }
    ClickCatcher& getClickCatcher() noexcept { return clickCatcher; }
    juce::Rectangle<int> getMixTrackArea() const noexcept { return mixTrackArea; }

private:
    using SliderAttachment = juce::AudioProcessorValueTreeState::SliderAttachment;
    using ButtonAttachment = juce::AudioProcessorValueTreeState::ButtonAttachment;

    void timerCallback() override;

    float raw (const char* id) const;
    void setParam (const char* id, float value);
    void setDragged (const juce::String& id) { draggedParamId = id; }
    void clearDragged (const juce::String&) { draggedParamId.clear(); }
    void setHovered (const juce::String& id) { hoveredParamId = id; }
    void clearHovered (const juce::String&) { hoveredParamId.clear(); }

    // The work area of the screen the editor is on (or the main screen).
    juce::Rectangle<int> screenWorkArea() const;
    void applyScale();
    // Titles for every control and the keyboard rules above.
    void setUpKeyboardAndAccessibility();

    // The four effect sections with their bodies and header attachments.
    void buildEffectSections();
    // Places the sections top to bottom at the given width; returns their
    // total height (-4 without sections).
    int layoutSections (int width);

    VisualizerComponent::VisualizerState readDisplayState() const;
    VisualizerComponent::ActiveHud chooseHud() const;

    // Steps of the refresh that work on widgets.
    void refreshFilterHandles();
    void refreshBypassBlink();
    void refreshSyncDisplay (bool tempoKnown);
    void refreshDensityStrip();
    void refreshTitle();
    void refreshDecayControls();

    MassDelayAudioProcessor& audioProcessor;
    juce::AudioProcessorValueTreeState& apvts;
    ParameterAccess params;

    MdLookAndFeel lookAndFeel;
    ClickableLabel titleLabel;
    MdButton optionsButton { "Options", MdButton::Accent::am };
    PresetPanelComponent presetPanel;
    TapCountBox tapCountBox;
    VisualizerComponent visualizer;
    MassControl massControl;
    FilterSlider filterSlider;
    ButtonGrid buttonGrid;
    std::vector<std::unique_ptr<ButtonAttachment>> buttonGridAttachments;
    MdButton historyBackButton { {}, MdButton::Accent::am };
    MdButton historyForwardButton { {}, MdButton::Accent::am };
    MdSlider mixSlider { MdSlider::Kind::Decimal };
    std::unique_ptr<SliderAttachment> mixAttachment;
    std::unique_ptr<MasterOutFader> masterFader;
    ClickableLabel mixLabel;
    juce::Label outLabel;
    std::unique_ptr<SliderAttachment> startAttachment, endAttachment;
    std::unique_ptr<ButtonAttachment> linkAttachment, rangeAttachment;
    juce::Rectangle<int> mixTrackArea;
    MainControlsComponent mainControls;
    TremoloBody* tremoloBody = nullptr; // the bodies belong to their sections
    WaveBody* waveBody = nullptr;
    TapeDegradationBody* tapeBody = nullptr;
    PitchBody* pitchBody = nullptr;
    std::vector<std::unique_ptr<AccordionComponent>> sections;
    juce::Viewport sectionViewport;
    std::unique_ptr<juce::Component> sectionContent;
    int sectionTop = 0;
    int sectionContentHeight = -4;
    ClickCatcher clickCatcher;
    std::vector<std::unique_ptr<ButtonAttachment>> sectionPowerAttachments;
    std::vector<std::unique_ptr<ButtonAttachment>> sectionHeaderAttachments; // SYNC, WIDE, 2X and the mode switch
    OptionsPanelComponent optionsPanel;
    DialogOverlay dialogOverlay;
    juce::String draggedParamId;
    juce::String hoveredParamId;
    float titleGlow = 0.0f;
    float hostScale = 1.0f;
    int zoomPercent = 100;
    float effectiveScale = 1.0f;

    // Refresh state.
    bool bypassBlinkActive = false;
    bool bypassBlinkPhase = false;
    int bypassBlinkCounter = 0;
    int shownPatchCount = 0; // the processor's patch count the preset bar shows
    float flutterPhase = 0.0f;
    float hudClock = 0.0f;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MassDelayAudioProcessorEditor)
};
