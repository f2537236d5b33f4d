#pragma once

#include "ui/MdButton.h"
#include "ui/MdSlider.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

// The start and end spacings of the tap pattern (s and e) along the bottom
// of the visualizer, with the link toggle (lk) between them, which moves both
// together, and the range toggle "4X" (io2x). The value labels, the sliders'
// tempo-synced display and their 4X scale follow the parameters through
// showParameters, which the editor's refresh calls.
class DensityStrip : public juce::Component
{
public:
    DensityStrip();

    // Applies linking after the start (0) or the end (1) slider changed.
    void onLinkedSliderChanged (int which);

    // Sets the two value labels (no notification).
    void setStartEndValues (const juce::String& start, const juce::String& end);

    // The refresh's part: the sliders' sync display (tap sync and whether the
    // host tempo is known), their 4X scale and the value labels of s and e.
    void showParameters (float startRaw, float endRaw, bool tapSync, bool times4, bool tempoKnown);

    // A spacing's label: its note division with tap sync, else its time in
    // whole milliseconds, times four with 4X ("1/8", "316 ms").
    static juce::String spacingText (float raw, bool tapSync, bool times4);

    void resized() override;
    void paint (juce::Graphics&) override;
    void paintOverChildren (juce::Graphics&) override;

    // Called with the dragged slider's paramId.
    std::function<void (const juce::String&)> onParamDragStart;
    std::function<void (const juce::String&)> onParamDragEnd;

    MdSlider& getStartSlider() noexcept { return startSlider; }
    MdSlider& getEndSlider() noexcept { return endSlider; }
    MdButton& getLinkButton() noexcept { return linkButton; }
    MdButton& getRangeButton() noexcept { return rangeButton; }
    juce::Label& getStartValueLabel() noexcept { return startValueLabel; }
    juce::Label& getEndValueLabel() noexcept { return endValueLabel; }

    static const juce::Colour textColour;

private:
    float lastStart = 0.0f;
    float lastEnd = 0.0f;
    bool reentryGuard = false;
    float lastLinkedTrigger = -1.0f; // -1: none
    MdSlider startSlider { MdSlider::Kind::DelayTime };
    MdSlider endSlider { MdSlider::Kind::DelayTime };
    MdButton linkButton { {}, MdButton::Accent::am };
    MdButton rangeButton { {}, MdButton::Accent::am };
    juce::Label startValueLabel, endValueLabel;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DensityStrip)
};
