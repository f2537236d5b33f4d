#include "ParameterSettings.h"

#include "Suggestions.h"
#include "plugin/ParameterTable.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace
{
juce::String toJuce (std::string_view s)
{
    return juce::String (s.data(), s.size());
}

juce::String formatValue (double v)
{
    return juce::String (v, 6).trimCharactersAtEnd ("0").trimCharactersAtEnd (".");
}

juce::String unknownParameter (const juce::String& id)
{
    std::vector<suggestions::Candidate> candidates;
    for (const auto& p : params::table)
        candidates.push_back ({ toJuce (p.id) + " (" + toJuce (p.name) + ")", { toJuce (p.id), toJuce (p.name) } });
    const auto hint = suggestions::didYouMean (suggestions::closest (id, candidates));
    return "unknown parameter '" + id + "'; " + hint + " (--list-params prints all of them)";
}
} // namespace

std::optional<double> parseNumber (const juce::String& text)
{
    const auto trimmed = text.trim().toStdString();
    if (trimmed.empty())
        return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod (trimmed.c_str(), &end);
    if (end != trimmed.c_str() + trimmed.size() || ! std::isfinite (value))
        return std::nullopt;
    // strtod also reads hexadecimal numbers and "infinity"; only decimals count.
    if (trimmed.find_first_of ("xXnN") != std::string::npos)
        return std::nullopt;
    return value;
}

juce::Result ParameterSetting::parse (const juce::String& text, ParameterSetting& result, juce::StringArray& warnings)
{
    const int equals = text.indexOfChar ('=');
    if (equals <= 0)
        return juce::Result::fail ("--set takes ID=VALUE, not '" + text + "'");

    const auto id = text.substring (0, equals).trim();
    const auto valueText = text.substring (equals + 1).trim();
    const int index = params::indexOf (id.toStdString());
    if (index < 0)
        return juce::Result::fail (unknownParameter (id));

    const auto& def = params::table[static_cast<std::size_t> (index)];
    std::optional<double> value;
    juce::String expected;
    switch (def.kind)
    {
        case params::Kind::Bool:
        {
            const auto word = valueText.toLowerCase();
            if (word == "on" || word == "true" || word == "yes")
                value = 1.0;
            else if (word == "off" || word == "false" || word == "no")
                value = 0.0;
            else if (const auto number = parseNumber (valueText); number && (*number == 0.0 || *number == 1.0))
                value = number;
            expected = "1/on/true/yes or 0/off/false/no";
            break;
        }
        case params::Kind::Int:
            if (const auto number = parseNumber (valueText); number && std::floor (*number) == *number)
                value = number;
            expected = "a whole number";
            break;
        case params::Kind::Float:
            value = parseNumber (valueText);
            expected = "a number";
            break;
    }
    if (! value.has_value())
        return juce::Result::fail ("malformed value '" + valueText + "' for " + id + " (" + toJuce (def.name)
                                   + "): expected " + expected);

    const double clamped = juce::jlimit (static_cast<double> (def.min), static_cast<double> (def.max), *value);
    if (clamped != *value)
        warnings.add (id + "=" + valueText + " is outside " + formatValue (def.min) + ".." + formatValue (def.max)
                      + "; using " + formatValue (clamped));

    result.index = index;
    result.id = id;
    result.value = static_cast<float> (clamped);
    return juce::Result::ok();
}
