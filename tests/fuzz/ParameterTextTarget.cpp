// Text a host hands over for a parameter (typed into its generic controls or
// an automation lane's value box): read as the parameter reads it, then the
// value's own text read back.

#include "FuzzChecks.h"
#include "params/ParameterTable.h"
#include "params/ParameterText.h"

#include <array>
#include <cmath>

namespace fuzzing
{
namespace
{
// The switches the texts depend on, by bit of the second input byte.
constexpr std::array<std::string_view, 6> switches {
    params::id::tapSync,   params::id::times4,   params::id::pitch2x,
    params::id::pitchSync, params::id::waveSync, params::id::tremSync
};

juce::String describe (std::size_t index, const juce::String& text)
{
    const auto& p = params::table[index];
    return juce::String (p.id.data(), p.id.size()) + " reading " + quote (text);
}

// The value inside the parameter's range, whole where the parameter is.
bool legal (std::size_t index, float value)
{
    const auto& p = params::table[index];
    return std::isfinite (value) && value >= p.min && value <= p.max
           && (p.kind == params::Kind::Float || value == std::round (value));
}
} // namespace

// Input: the parameter (first byte), the switches and the tempo (second byte:
// bits 0-5 the switches above, bit 6 a tempo of 90 instead of 120), then the
// text as UTF-8.
Outcome parameterText (const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return {};

    const auto index = static_cast<std::size_t> (data[0]) % params::table.size();
    const auto& p = params::table[index];

    params::TextContext context;
    for (std::size_t bit = 0; bit < switches.size(); ++bit)
        context.raw[static_cast<std::size_t> (params::indexOf (switches[bit]))] = (data[1] >> bit) & 1 ? 1.0f : 0.0f;
    context.bpm = (data[1] & 0x40) != 0 ? 90.0f : 120.0f;

    // Hosts hand over text as JUCE strings, built from valid Unicode.
    const auto* bytes = reinterpret_cast<const char*> (data + 2);
    if (! juce::CharPointer_UTF8::isValidString (bytes, static_cast<int> (size - 2)))
        return {};
    const auto text = juce::String::fromUTF8 (bytes, static_cast<int> (size - 2));

    const int i = static_cast<int> (index);
    const float current = p.defaultValue;
    const float value = params::parseValueText (i, text, current, context);
    if (! legal (index, value))
        return (describe (index, text) + " gives " + juce::String (value)).toStdString();

    // The value's own text: shown, and read back to a legal value.
    const auto shown = params::valueText (i, value, context);
    if (shown.isEmpty())
        return (describe (index, text) + " gives " + juce::String (value) + ", which shows no text").toStdString();
    const float back = params::parseValueText (i, shown, current, context);
    if (! legal (index, back))
        return (describe (index, shown) + " (its own text) gives " + juce::String (back)).toStdString();
    return {};
}
} // namespace fuzzing
