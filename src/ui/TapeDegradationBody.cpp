#include "ui/TapeDegradationBody.h"

#include "params/ParameterTable.h"
#include "params/ValueText.h"
#include "ui/Col.h"
#include "ui/MdLookAndFeel.h"

#include <cmath>

namespace
{
using Kind = MdSlider::Kind;
namespace id = params::id;

// In the order of the Control enumeration.
const std::array<EffectBodyControl::Definition, TapeDegradationBody::numControls> tapeControls { {
    { "WEAR", id::tapeWear, Kind::Percent, 0.0, 100.0, 1.0, 25.0 },
    { "LO BUMP", id::tapeHeadBump, Kind::Decibels, 0.0, 100.0, 1.0, 20.0 },
    { "DRIVE", id::tapeIn, Kind::Percent, 0.0, 100.0, 1.0, 50.0 },
    { "OUT", id::tapeOut, Kind::Percent, 0.0, 100.0, 1.0, 50.0 },
    { "LPF", id::tapeLpf, Kind::Percent, 0.0, 100.0, 1.0, 100.0 },
    { "MIX", id::tapeMix, Kind::Percent, 0.0, 100.0, 1.0, 100.0 },
    { "FLUTTER", id::tapeFlutter, Kind::Percent, 0.0, 100.0, 1.0, 0.0 },
    { "SPEED", id::tapeFlutterSpeed, Kind::Percent, 0.0, 100.0, 1.0, 50.0 },
} };

constexpr int dividerY = 78;
} // namespace

TapeDegradationBody::TapeDegradationBody (juce::AudioProcessorValueTreeState& state)
    : params (state)
{
    for (size_t i = 0; i < controls.size(); ++i)
    {
        controls[i] = std::make_unique<EffectBodyControl> (tapeControls[i]);
        auto& slider = controls[i]->getSlider();
        slider.onParamDragStart = [this] (const juce::String& pid) {
            if (onParamDragStart)
                onParamDragStart (pid);
        };
        slider.onParamDragEnd = [this] (const juce::String& pid) {
            if (onParamDragEnd)
                onParamDragEnd (pid);
        };
        controls[i]->attach (*this, state);
    }
    // Wear grows from the right, as the wear handle of the tap display does.
    getControl (wear).getSlider().reversed = true;

    timerCallback();
    startTimerHz (10);
}

TapeDegradationBody::~TapeDegradationBody()
{
    stopTimer();
}

void TapeDegradationBody::setSliderColours (juce::Colour colour)
{
    for (size_t i = 0; i < controls.size(); ++i)
        MdSlider::setColours (controls[i]->getSlider(), i == static_cast<size_t> (wear) ? Col::wearRust : colour);
}

juce::String TapeDegradationBody::bypassOrPercentText (double value)
{
    return valuetext::bypassPercent (value);
}

juce::String TapeDegradationBody::lpfText (double sat)
{
    return valuetext::tapeLpfHz (sat);
}

juce::String TapeDegradationBody::outText (double td)
{
    return valuetext::tapeOutDb (td);
}

void TapeDegradationBody::timerCallback()
{
    auto value = [this] (Control c) { return getControl (c).getSlider().getValue(); };

    getControl (drive).setValueText (bypassOrPercentText (value (drive)));
    getControl (wear).setValueText (bypassOrPercentText (value (wear)));
    getControl (lpf).setValueText (lpfText (value (lpf)));
    getControl (out).setValueText (outText (value (out)));
    for (const auto c : { loBump, flutter, speed, mix })
        getControl (c).showSliderText();

    // Flutter at zero with the tape on: the motion row is idle, and shows it.
    const bool idle = params.on (id::tape) && params.raw (id::tapeFlutter) <= 0.0f;
    for (const auto c : { flutter, speed })
        getControl (c).setAlpha (idle ? 0.5f : 1.0f);
}

void TapeDegradationBody::paint (juce::Graphics& g)
{
    const auto font = MdLookAndFeel::monoFont (11.0f);
    const int w = getWidth();
    const float t = font.getStringWidthFloat ("MOTION");
    const auto lineY = static_cast<float> (juce::roundToInt (dividerY + 8.0f));

    g.setColour (Col::b0.withAlpha (0.7f));
    g.fillRect (0.0f, lineY, 48.0f, 1.0f);
    const float rightStart = t + 64.0f;
    const float rightEnd = static_cast<float> (w) - 8.0f;
    if (rightEnd > rightStart)
        g.fillRect (rightStart, lineY, rightEnd - rightStart, 1.0f);

    g.setColour (Col::t0);
    g.setFont (font);
    g.drawText ("MOTION", juce::Rectangle<int> (56, dividerY, w - 56, 16), juce::Justification::centredLeft, false);
}

void TapeDegradationBody::resized()
{
    const int w = getWidth();
    const int half = (w - 4) / 2;
    const int sw = half - 100;

    auto placeRow = [&] (Control left, Control right, int y) {
        getControl (left).setBounds ({ 0, y, 56, 24 }, { 56, y, sw, 24 }, { half - 44, y, 44, 24 });
        getControl (right).setBounds ({ half + 4, y, 56, 24 }, { half + 60, y, sw, 24 }, { 2 * half - 40, y, 44, 24 });
    };
    placeRow (wear, loBump, 0);
    placeRow (drive, out, 26);
    placeRow (lpf, mix, 52);
    placeRow (flutter, speed, 94);
}
