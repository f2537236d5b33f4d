#pragma once

#include "params/ParameterAccess.h"
#include "ui/EffectBodyControl.h"
#include "ui/ShapePickerComponent.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <atomic>
#include <functional>

// The body shared by the Wave and tremolo sections: RATE and a depth in the
// first row, the LFO shape picker in the second, PHASE and OFFSET in the
// third. The picker follows the shape parameter, also when the host or a
// preset changes it.
class LfoEffectBody : public juce::Component, private juce::Timer, private juce::AudioProcessorValueTreeState::Listener
{
public:
    struct Config
    {
        std::array<EffectBodyControl::Definition, 4> controls; // rate, depth, phase, offset
        const char* shapeParamId;
        MdButton::Accent pickerAccent;
        bool rightValueAtEdge; // right value label at w - 44 (else at 2 * half - 40)
    };

    ~LfoEffectBody() override;

    // The rows' controls, in the order rate, depth, phase, offset.
    EffectBodyControl& getControl (int index) { return *controls[static_cast<size_t> (index)]; }
    MdSlider& getRateSlider() { return controls[0]->getSlider(); }
    MdSlider& getPhaseSlider() { return controls[2]->getSlider(); }
    ShapePickerComponent& getShapePicker() noexcept { return picker; }
    juce::Label& getShapeCaption() noexcept { return shapeCaption; }

    // Gives every slider colour.
    void setSliderColours (juce::Colour colour);

    // Selects the shape the parameter holds now. Message thread.
    void updateShapeFromAPVTS();

    void resized() override;

    // Called after a random shape (5 or 6) is picked, so a new random
    // sequence is drawn each time.
    std::function<void()> onRandomShapeSelected;

protected:
    LfoEffectBody (juce::AudioProcessorValueTreeState&, const Config&);

private:
    void timerCallback() override;
    void parameterChanged (const juce::String& parameterID, float newValue) override;
    void shapePicked (int shape);

    juce::AudioProcessorValueTreeState& apvts;
    ParameterAccess params;
    Config config;
    std::array<std::unique_ptr<EffectBodyControl>, 4> controls;
    juce::Label shapeCaption;
    ShapePickerComponent picker { { 0, 1, 2, 3, 4, 5, 6 } };
    int storedShape = 0;
    // Set by a shape change on another thread; the timer takes it over.
    std::atomic<bool> shapeChangePending { false };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (LfoEffectBody)
};
