#pragma once

#include "ui/MdButton.h"
#include "ui/MdSlider.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

// The start and end spacings of the tap pattern (s and e) along the bottom
// of the visualizer, with the link toggle (lk) between them, which moves both
// together, and the range toggle "4X" (io2x). The editor's refresh keeps the
// value labels, the sliders' tempo-synced display and their 4X scale.
class DensityStrip : public juce::Component
{
public:
    DensityStrip();

    // Applies linking after the start (0) or the end (1) slider changed.
    void onLinkedSliderChanged (int which);

    // Sets the two value labels (no notification).
    void setStartEndValues (const juce::String& start, const juce::String& end);

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
