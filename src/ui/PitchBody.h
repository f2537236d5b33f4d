#pragma once

#include "params/ParameterAccess.h"
#include "ui/EffectBodyControl.h"
#include "ui/ShapePickerComponent.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <functional>
#include <memory>

// The pitch / chorus section's controls: RATE and DEPTH, PITCH and REGEN,
// the modulation shape and MIX. With 2X on, rate, depth and pitch show
// doubled values, as the pitch stage receives them.
class PitchBody : public juce::Component, private juce::Timer
{
public:
    static constexpr int bodyHeight = 80;

    explicit PitchBody (juce::AudioProcessorValueTreeState&);
    ~PitchBody() override;

    // The controls in the order rate, depth, pitch, regen, mix.
    EffectBodyControl& getControl (int index) { return *controls[static_cast<size_t> (index)]; }
    static constexpr int numControls = 5;
    MdSlider& getRateSlider() { return controls[0]->getSlider(); }
    ShapePickerComponent& getShapePicker() noexcept { return picker; }

    // Gives every slider colour and the picker the blue accent.
    void setSliderColours (juce::Colour colour);

    // Selects the stored shape in the picker.
    void syncShapeRow();

    // Gives each slider its parameter ID and reports its drags through
    // onParamDragStart and onParamDragEnd.
    void wireDragCallbacks();

    void resized() override;

    // Called after the smooth random shape (6) is picked.
    std::function<void()> onRandomShapeSelected;
    std::function<void (const juce::String&)> onParamDragStart;
    std::function<void (const juce::String&)> onParamDragEnd;

private:
    void timerCallback() override;
    void shapePicked (int shape);

    ParameterAccess params;
    std::array<std::unique_ptr<EffectBodyControl>, numControls> controls;
    juce::Label shapeCaption;
    ShapePickerComponent picker { { 0, 1, 2, 6, 5 } };
    int storedShape = 0;
    bool last2x = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PitchBody)
};
