#include "ui/LfoEffectBody.h"

#include "ui/Col.h"
#include "ui/Helper.h"

LfoEffectBody::LfoEffectBody (juce::AudioProcessorValueTreeState& state, const Config& c)
    : apvts (state)
    , params (state)
    , config (c)
{
    for (size_t i = 0; i < controls.size(); ++i)
    {
        controls[i] = std::make_unique<EffectBodyControl> (config.controls[i]);
        controls[i]->attach (*this, apvts);
    }
    // PHASE shows beat offsets and snaps to 45 degree steps while synced.
    getPhaseSlider().phaseMode = true;

    Helper::styleLabel (shapeCaption, "SHAPE", Col::t1, 11.0f);
    addAndMakeVisible (shapeCaption);

    picker.accent = config.pickerAccent;
    picker.updateButtonColours();
    picker.onShapeChanged = [this] (int shape) { shapePicked (shape); };
    // Screen readers name each shape button by the parameter and the text a
    // host shows for that shape.
    if (auto* shapeParam = apvts.getParameter (config.shapeParamId))
        picker.setButtonTitles (shapeButtonTitles (*shapeParam));
    addAndMakeVisible (picker);

    storedShape = static_cast<int> (params.raw (config.shapeParamId));
    picker.setSelectedShape (storedShape);
    apvts.addParameterListener (config.shapeParamId, this);

    startTimerHz (10);
}

LfoEffectBody::~LfoEffectBody()
{
    apvts.removeParameterListener (config.shapeParamId, this);
    stopTimer();
}

void LfoEffectBody::setSliderColours (juce::Colour colour)
{
    for (auto& control : controls)
        MdSlider::setColours (control->getSlider(), colour);
}

void LfoEffectBody::shapePicked (int shape)
{
    storedShape = shape;
    params.write (config.shapeParamId, static_cast<float> (shape));
    if ((shape == 5 || shape == 6) && onRandomShapeSelected)
        onRandomShapeSelected();
}

void LfoEffectBody::updateShapeFromAPVTS()
{
    const int shape = static_cast<int> (params.raw (config.shapeParamId));
    if (shape != storedShape)
    {
        storedShape = shape;
        picker.setSelectedShape (shape);
    }
}

void LfoEffectBody::parameterChanged (const juce::String&, float)
{
    // Host automation may call this on the audio thread or another one: the
    // picker is only touched on the message thread, there at once, from
    // elsewhere at the next tick of the body's timer.
    if (juce::MessageManager::existsAndIsCurrentThread())
        updateShapeFromAPVTS();
    else
        shapeChangePending.store (true, std::memory_order_release);
}

void LfoEffectBody::timerCallback()
{
    if (shapeChangePending.exchange (false, std::memory_order_acquire))
        updateShapeFromAPVTS();

    for (auto& control : controls)
        control->showSliderText();
}

void LfoEffectBody::resized()
{
    const int w = getWidth();
    const int half = (w - 4) / 2;
    const int sw = half - 100;
    const int rightValueX = config.rightValueAtEdge ? w - 44 : 2 * half - 40;

    auto placeRow = [&] (EffectBodyControl& left, EffectBodyControl& right, int y) {
        left.setBounds ({ 0, y, 56, 24 }, { 56, y, sw, 24 }, { half - 44, y, 44, 24 });
        right.setBounds ({ half + 4, y, 56, 24 }, { half + 60, y, sw, 24 }, { rightValueX, y, 44, 24 });
    };
    placeRow (*controls[0], *controls[1], 0);
    shapeCaption.setBounds (0, 26, 56, 24);
    picker.setBounds (56, 26, 224, 24);
    placeRow (*controls[2], *controls[3], 52);
}
