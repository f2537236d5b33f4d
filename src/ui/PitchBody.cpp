#include "ui/PitchBody.h"

#include "params/ParameterTable.h"
#include "ui/Col.h"
#include "ui/Helper.h"

#include <algorithm>

namespace
{
using Kind = MdSlider::Kind;
namespace id = params::id;

const std::array<EffectBodyControl::Definition, PitchBody::numControls> pitchControls { {
    { "RATE", id::pitchRate, Kind::SlowRate, 0.0, 1000.0, 1.0, 0.0 },
    { "DEPTH", id::pitchDepth, Kind::Percent, 0.0, 100.0, 1.0, 0.0 },
    { "PITCH", id::pitchCents, Kind::Cents, -50.0, 50.0, 0.1, 0.0 },
    { "REGEN", id::pitchRegen, Kind::Percent, 0.0, 100.0, 1.0, 0.0 },
    { "MIX", id::pitchMix, Kind::Percent, 0.0, 100.0, 1.0, 100.0 },
} };
} // namespace

PitchBody::PitchBody (juce::AudioProcessorValueTreeState& state)
    : params (state)
{
    for (size_t i = 0; i < controls.size(); ++i)
    {
        controls[i] = std::make_unique<EffectBodyControl> (pitchControls[i]);
        controls[i]->attach (*this, state);
    }
    wireDragCallbacks();

    Helper::styleLabel (shapeCaption, "SHAPE", Col::t1, 11.0f);
    addAndMakeVisible (shapeCaption);

    picker.onShapeChanged = [this] (int shape) { shapePicked (shape); };
    // Screen readers name each shape button by the parameter and the text a
    // host shows for that shape.
    if (auto* shapeParam = state.getParameter (id::pitchShape))
        picker.setButtonTitles (shapeButtonTitles (*shapeParam));
    addAndMakeVisible (picker);
    storedShape = static_cast<int> (params.raw (id::pitchShape));
    syncShapeRow();

    timerCallback();
    startTimerHz (10);
}

PitchBody::~PitchBody()
{
    stopTimer();
}

void PitchBody::wireDragCallbacks()
{
    for (auto& control : controls)
    {
        auto& slider = control->getSlider();
        slider.paramId = control->getDefinition().paramId;
        slider.onParamDragStart = [this] (const juce::String& pid) {
            if (onParamDragStart)
                onParamDragStart (pid);
        };
        slider.onParamDragEnd = [this] (const juce::String& pid) {
            if (onParamDragEnd)
                onParamDragEnd (pid);
        };
    }
}

void PitchBody::setSliderColours (juce::Colour colour)
{
    for (auto& control : controls)
        MdSlider::setColours (control->getSlider(), colour);
    picker.accent = MdButton::Accent::bl;
    picker.updateButtonColours();
}

void PitchBody::syncShapeRow()
{
    picker.setSelectedShape (storedShape);
}

void PitchBody::shapePicked (int shape)
{
    storedShape = shape;
    params.write (id::pitchShape, static_cast<float> (shape));
    if (shape == 6 && onRandomShapeSelected)
        onRandomShapeSelected();
}

void PitchBody::timerCallback()
{
    // The picker follows the shape a preset, a state or the host set.
    const int shape = static_cast<int> (params.raw (id::pitchShape));
    if (shape != storedShape)
    {
        storedShape = shape;
        syncShapeRow();
    }

    // With 2X the pitch stage gets doubled rate, depth and offset: show them so.
    const bool twoX = params.on (id::pitch2x);
    if (twoX != last2x)
    {
        last2x = twoX;
        for (size_t i = 0; i < 3; ++i)
        {
            auto& slider = controls[i]->getSlider();
            const float scale = twoX ? 2.0f : 1.0f;
            if (slider.displayScale != scale)
            {
                slider.displayScale = scale;
                slider.repaint();
            }
        }
    }

    for (auto& control : controls)
        control->showSliderText();
}

void PitchBody::resized()
{
    const int w = getWidth();
    const int c = std::max ((w - 4) / 2, 210);
    const int f = w - c - 114;

    auto placeRow = [&] (EffectBodyControl* left, EffectBodyControl& right, int y) {
        if (left != nullptr)
            left->setBounds ({ 0, y, 56, 24 }, { 56, y, c - 100, 24 }, { c - 44, y, 54, 24 });
        right.setBounds ({ c + 14, y, 56, 24 }, { c + 70, y, f, 24 }, { w - 44, y, 44, 24 });
    };
    placeRow (controls[0].get(), *controls[1], 0);
    placeRow (controls[2].get(), *controls[3], 26);
    placeRow (nullptr, *controls[4], 52);
    shapeCaption.setBounds (0, 52, 56, 24);
    picker.setBounds (56, 52, c - 46, 24);
}
