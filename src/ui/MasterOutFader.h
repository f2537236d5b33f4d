#pragma once

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>
#include <utility>

// The master output fader (mout) with a peak meter of the plug-in's output
// behind its thumb: -60 dB at the bottom of the travel, +6 dB at the top,
// green up to -12 dB, a warning tone up to -3 dB, red above. The meter takes
// the output peak 20 times a second, rises at once and falls by 0.85 a tick.
class MasterOutFader : public juce::Component, private juce::Timer
{
public:
    // meterSource returns the output peak (linear) since it was last asked.
    MasterOutFader (juce::AudioProcessorValueTreeState&, std::function<float()> meterSource);
    ~MasterOutFader() override;

    // One tick of the meter: level becomes newPeak when that is higher, else
    // falls to 0.85 of itself; below 0.0001 it is 0. True when level changed.
    static bool advanceMeter (float newPeak, float& level);

    // Height of a linear level on the meter as a fraction of the travel:
    // 0 at -60 dB and below (and for 0), 1 at +6 dB and above.
    static float meterFraction (float level);

    // Meter zone edges as travel fractions: -12 dB and -3 dB.
    static constexpr float greenTop = 48.0f / 66.0f;
    static constexpr float warningTop = 57.0f / 66.0f;

    float getMeterLevel() const noexcept { return meterLevel; }

    // The rows a meter change from one level to another alters (empty when
    // both show the same height): the tick repaints only these.
    juce::Rectangle<int> meterChangeArea (float fromLevel, float toLevel);
    juce::Slider& getFader() noexcept { return fader; }

    // One meter tick as the 20 Hz timer runs it.
    void tick() { timerCallback(); }

    void resized() override;
    void paint (juce::Graphics&) override;

    void mouseDown (const juce::MouseEvent&) override;
    void mouseUp (const juce::MouseEvent&) override;
    void mouseEnter (const juce::MouseEvent&) override;
    void mouseExit (const juce::MouseEvent&) override;

    // Each is called with "mout".
    std::function<void (const juce::String&)> onParamDragStart;
    std::function<void (const juce::String&)> onParamDragEnd;
    std::function<void (const juce::String&)> onParamHoverStart;
    std::function<void (const juce::String&)> onParamHoverEnd;

private:
    void timerCallback() override;
    void report (const std::function<void (const juce::String&)>& callback) const;
    // The y of the meter's zero and its travel in pixels.
    std::pair<float, float> meterBottomAndTravel();

    juce::Slider fader { juce::Slider::LinearVertical, juce::Slider::NoTextBox };
    std::unique_ptr<juce::AudioProcessorValueTreeState::SliderAttachment> attachment;
    std::function<float()> meterSource;
    float meterLevel = 0.0f;
    juce::RangedAudioParameter* moutParam = nullptr;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MasterOutFader)
};
