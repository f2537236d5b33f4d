#pragma once

#include "params/ParameterAccess.h"
#include "ui/EffectBodyControl.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <functional>
#include <memory>

// The tape section's controls: WEAR and LO BUMP, DRIVE and OUT, LPF and
// MIX, then under a "MOTION" divider FLUTTER and SPEED. The value labels
// speak the stage's own units (bypass, cutoff, output level).
class TapeDegradationBody : public juce::Component, private juce::Timer
{
public:
    static constexpr int bodyHeight = 120;

    enum Control
    {
        wear,
        loBump,
        drive,
        out,
        lpf,
        mix,
        flutter,
        speed,
        numControls
    };

    explicit TapeDegradationBody (juce::AudioProcessorValueTreeState&);
    ~TapeDegradationBody() override;

    EffectBodyControl& getControl (Control c) { return *controls[static_cast<size_t> (c)]; }

    // Gives every slider colour, except WEAR, which keeps its rust.
    void setSliderColours (juce::Colour colour);

    // The value texts of DRIVE and WEAR, LPF and OUT for a raw value.
    static juce::String bypassOrPercentText (double value);
    static juce::String lpfText (double sat);
    static juce::String outText (double td);

    void paint (juce::Graphics&) override;
    void resized() override;

    std::function<void (const juce::String&)> onParamDragStart;
    std::function<void (const juce::String&)> onParamDragEnd;

private:
    void timerCallback() override;

    ParameterAccess params;
    std::array<std::unique_ptr<EffectBodyControl>, numControls> controls;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TapeDegradationBody)
};
