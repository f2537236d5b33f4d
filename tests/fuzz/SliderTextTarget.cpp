// Text typed into a slider's value entry, for every slider kind: read as the
// value entry commits it, then shown again.

#include "FuzzChecks.h"
#include "ui/MdSlider.h"

#include <array>
#include <cmath>
#include <memory>

namespace fuzzing
{
namespace
{
using Kind = MdSlider::Kind;

struct SliderSetup
{
    Kind kind;
    double min, max;
};

// Each kind on the range the editor gives it.
constexpr std::array<SliderSetup, 14> setups { {
    { Kind::Ms, 0.0, 2000.0 },
    { Kind::Hz, 20.0, 20000.0 },
    { Kind::PercentPlain, 0.0, 100.0 },
    { Kind::Percent, 0.0, 1.0 },
    { Kind::Integer, 1.0, 64.0 },
    { Kind::Decimal, 0.0, 1.0 },
    { Kind::LengthExp, 0.0, 1000.0 },
    { Kind::DelayTime, 0.0, 1000.0 },
    { Kind::LfoRate, 0.0, 1000.0 },
    { Kind::Curve, -100.0, 300.0 },
    { Kind::Cents, -1200.0, 1200.0 },
    { Kind::SlowRate, 0.0, 1000.0 },
    { Kind::Decibels, 0.0, 100.0 },
    { Kind::Width, 0.0, 15.0 },
} };

constexpr float displayScales[] = { 1.0f, 100.0f, 4.0f, 0.5f };

std::array<std::unique_ptr<MdSlider>, setups.size()>& sliders()
{
    static std::array<std::unique_ptr<MdSlider>, setups.size()> all = [] {
        std::array<std::unique_ptr<MdSlider>, setups.size()> made;
        for (std::size_t i = 0; i < setups.size(); ++i)
        {
            made[i] = std::make_unique<MdSlider> (setups[i].kind);
            made[i]->setRange (setups[i].min, setups[i].max, 0.0);
        }
        return made;
    }();
    return all;
}
} // namespace

// Input: the kind (first byte), the slider's modes (second byte: bit 0 sync,
// bit 1 phase display, bit 2 a known tempo, bits 3-4 the display scale), then
// the typed text as UTF-8.
Outcome sliderText (const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return {};

    const auto index = static_cast<std::size_t> (data[0]) % setups.size();
    const auto& setup = setups[index];
    auto& slider = *sliders()[index];
    const auto modes = data[1];
    slider.syncMode = (modes & 1) != 0;
    slider.phaseMode = (modes & 2) != 0;
    MdSlider::hostBpm = (modes & 4) != 0 ? 120.0f : 0.0f;
    slider.displayScale = displayScales[(modes >> 3) & 3];
    slider.setValue ((setup.min + setup.max) / 2.0, juce::dontSendNotification);

    // Typed text reaches the slider as valid Unicode (the text editor builds
    // it from key presses), so only valid UTF-8 is a possible input.
    const auto* bytes = reinterpret_cast<const char*> (data + 2);
    if (! juce::CharPointer_UTF8::isValidString (bytes, static_cast<int> (size - 2)))
        return {};
    const auto text = juce::String::fromUTF8 (bytes, static_cast<int> (size - 2));

    // The value entry's commit: a finite result becomes the slider's value.
    const double typed = slider.getValueFromText (text);
    if (std::isnan (typed))
        return ("typing " + quote (text) + " gives no number").toStdString();
    if (std::isfinite (typed))
        slider.setValue (typed, juce::dontSendNotification);

    const double value = slider.getValue();
    if (! std::isfinite (value) || value < setup.min || value > setup.max)
        return ("typing " + quote (text) + " leaves the slider at " + juce::String (value)).toStdString();

    // The value's own text reads back as a number.
    const auto shown = slider.getTextFromValue (value);
    if (std::isnan (slider.getValueFromText (shown)))
        return ("the slider's own text " + quote (shown) + " reads as no number").toStdString();
    return {};
}
} // namespace fuzzing
