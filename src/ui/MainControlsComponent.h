#pragma once

#include "ui/MdSlider.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>
#include <vector>

// The row under the Twist control: the stereo width of the echoes (spread)
// and the ping-pong amount (ppW), each with its caption and read-out. A click
// on the "WIDTH" caption toggles sideOnly, shown as "NO MID"; with no mid and
// the width at mono the echoes are silent, and the read-out blinks "MUTED".
class MainControlsComponent : public juce::Component, private juce::Timer
{
public:
    explicit MainControlsComponent (juce::AudioProcessorValueTreeState&);
    ~MainControlsComponent() override;

    // The width caption reads "NO MID" in amber with sideOnly on, else "WIDTH".
    void syncWidthLabel();

    // One refresh as the 10 Hz timer runs it.
    void tick() { timerCallback(); }

    void resized() override;
    void paint (juce::Graphics&) override;
    void mouseUp (const juce::MouseEvent&) override;

    // Called with the dragged slider's parameter ID.
    std::function<void (const juce::String&)> onParamDragStart;
    std::function<void (const juce::String&)> onParamDragEnd;

    MdSlider& getWidthSlider() noexcept { return widthSlider; }
    MdSlider& getPingPongSlider() noexcept { return pingPongSlider; }
    juce::Label& getWidthLabel() noexcept { return widthLabel; }
    juce::Label& getPingPongLabel() noexcept { return pingPongLabel; }
    juce::Label& getWidthValueLabel() noexcept { return widthValueLabel; }
    juce::Label& getPingPongValueLabel() noexcept { return pingPongValueLabel; }

private:
    void timerCallback() override;
    bool noMid() const;

    juce::AudioProcessorValueTreeState& apvts;
    MdSlider widthSlider { MdSlider::Kind::Width };
    MdSlider pingPongSlider { MdSlider::Kind::Percent };
    juce::Label widthLabel, pingPongLabel, widthValueLabel, pingPongValueLabel;
    int blinkCounter = 0;
    bool blinkPhase = false;
    std::vector<juce::Rectangle<int>> panels;
    std::unique_ptr<juce::AudioProcessorValueTreeState::SliderAttachment> widthAttachment, pingPongAttachment;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainControlsComponent)
};
