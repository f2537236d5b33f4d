#pragma once

#include "presets/PresetSettings.h"
#include "presets/RandomMatrixState.h"
#include "ui/CloseButton.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <functional>
#include <memory>
#include <vector>

// The options panel that slides in from the editor's right edge: the
// "Dynamic Smoothing" switch, the user's settings (the mix lock and the
// editor's zoom) and the random matrix, one switch per parameter the Random
// action may change, grouped under headings. Hidden, it waits invisible just
// beyond the right edge.
class OptionsPanelComponent : public juce::Component, private juce::Timer
{
public:
    static constexpr int panelWidth = 320;
    static constexpr int slideMs = 200;
    // Height of the settings box between the switch row and the matrix.
    static constexpr int settingsHeight = 44;

    explicit OptionsPanelComponent (juce::AudioProcessorValueTreeState& state);
    ~OptionsPanelComponent() override;

    // The matrix the switches edit; the matrix editor is built on the next
    // showPanel after it is set.
    void setRandomMatrix (RandomMatrixState* matrix) noexcept { randomMatrix = matrix; }

    // Called with true when the panel starts sliding in, false when it starts sliding out.
    std::function<void (bool)> onVisibilityChanged;

    void showPanel();
    void hidePanel();
    bool isShown() const noexcept { return shown; }

    // The user's settings. The panel shows what it is told and reports the
    // user's choices; the owner stores and applies them.
    std::function<void (bool)> onMixLockChanged;
    std::function<void (int)> onZoomChosen;
    void showMixLock (bool locked);
    void showZoom (int percent);

    // Ends a slide at once, at its destination (for renderers without a message loop).
    void finishSlide();

    // (Re)builds the matrix editor from the matrix's entries.
    void buildRandomMatrixUI();

    void paint (juce::Graphics&) override;
    void resized() override;

    // The members, for tests and renderers.
    juce::ToggleButton& getSmoothingToggle() noexcept { return smoothingToggle; }
    CloseButton& getCloseButton() noexcept { return closeButton; }
    juce::TextButton& getAllOnButton() noexcept { return allOnButton; }
    juce::TextButton& getAllOffButton() noexcept { return allOffButton; }
    juce::Viewport& getViewport() noexcept { return viewport; }
    juce::Component& getContent() noexcept { return content; }
    juce::Label& getTitle() noexcept { return title; }
    juce::Label& getMatrixHeader() noexcept { return matrixHeader; }
    juce::ToggleButton& getMixLockToggle() noexcept { return mixLockToggle; }
    juce::Label& getZoomLabel() noexcept { return zoomLabel; }
    juce::TextButton& getZoomButton (int index) noexcept { return zoomButtons[static_cast<std::size_t> (index)]; }
    juce::Rectangle<int> getSettingsBox() const noexcept { return settingsBox; }

    struct MatrixToggle
    {
        juce::String paramId;
        std::unique_ptr<juce::ToggleButton> button;
    };
    const std::vector<MatrixToggle>& getMatrixToggles() const noexcept { return matrixToggles; }
    const std::vector<std::unique_ptr<juce::Label>>& getGroupLabels() const noexcept { return groupLabels; }
    juce::Rectangle<int> getSmoothingBox() const noexcept { return smoothingBox; }
    juce::Rectangle<int> getMatrixBox() const noexcept { return matrixBox; }

private:
    void timerCallback() override;
    void slideTo (int x);
    void setAllFlags (bool enabled);

    juce::AudioProcessorValueTreeState& state;
    RandomMatrixState* randomMatrix = nullptr;

    juce::Label title;
    CloseButton closeButton;
    juce::ToggleButton smoothingToggle { "Dynamic Smoothing" };
    std::unique_ptr<juce::AudioProcessorValueTreeState::ButtonAttachment> smoothingAttachment;
    juce::ToggleButton mixLockToggle { "Mix Lock" };
    juce::Label zoomLabel;
    std::array<juce::TextButton, std::size (presets::zoomSteps)> zoomButtons;
    juce::Label matrixHeader;
    juce::TextButton allOnButton { "All On" };
    juce::TextButton allOffButton { "All Off" };
    juce::Viewport viewport;
    juce::Component content;
    std::vector<MatrixToggle> matrixToggles;
    std::vector<std::unique_ptr<juce::Label>> groupLabels;
    bool shown = false;
    juce::ComponentAnimator animator;
    juce::Rectangle<int> smoothingBox, settingsBox, matrixBox;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (OptionsPanelComponent)
};
