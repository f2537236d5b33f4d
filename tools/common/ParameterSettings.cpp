#include "ParameterSettings.h"

#include "ParameterUnits.h"
#include "Suggestions.h"
#include "params/ParameterTable.h"

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

} // namespace

juce::String unknownParameter (const juce::String& id)
{
    std::vector<suggestions::Candidate> candidates;
    for (const auto& p : params::table)
        candidates.push_back ({ toJuce (p.id) + " (" + toJuce (p.name) + ")", { toJuce (p.id), toJuce (p.name) } });
    const auto hint = suggestions::didYouMean (suggestions::closest (id, candidates));
    return "unknown parameter '" + id + "'" + (hint.isNotEmpty() ? "; " + hint : juce::String())
           + " (--list-params prints all of them)";
}

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

std::optional<cli::Problem> ParameterSetting::parse (const juce::String& text, ParameterSetting& result,
                                                     juce::StringArray& warnings)
{
    const int equals = text.indexOfChar ('=');
    if (equals <= 0)
        return cli::Problem { "--set takes ID=VALUE, not '" + text + "'", cli::exitUsage };

    const auto id = text.substring (0, equals).trim();
    const auto valueText = text.substring (equals + 1).trim();
    const int index = params::indexOf (id.toStdString());
    if (index < 0)
        return cli::Problem { unknownParameter (id), cli::exitFailure };

    const auto& def = params::table[static_cast<std::size_t> (index)];
    juce::String expected;
    bool outside = false;
    const auto value = units::read (index, valueText, expected, outside);
    if (! value.has_value())
        return cli::Problem { "malformed value '" + valueText + "' for " + id + " (" + toJuce (def.name)
                                  + "): expected " + expected,
                              cli::exitUsage };

    const double clamped = juce::jlimit (static_cast<double> (def.min), static_cast<double> (def.max), *value);
    if (clamped != *value || outside)
        warnings.add (id + "=" + valueText + " is outside " + units::show (index, def.min) + ".."
                      + units::show (index, def.max) + "; using " + units::show (index, clamped) + " (raw "
                      + formatValue (clamped) + ")");

    result.index = index;
    result.id = id;
    result.value = static_cast<float> (clamped);
    return std::nullopt;
}
