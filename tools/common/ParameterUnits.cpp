#include "ParameterUnits.h"

#include "ParameterSettings.h"
#include "dsp/NoteGrid.h"
#include "plugin/ParameterTable.h"
#include "plugin/ValueText.h"
#include "ui/FilterSlider.h"

#include <cmath>
#include <string_view>
#include <vector>

namespace units
{
namespace
{
// What a parameter's value is shown and typed in. Parameters the table does
// not name take plain numbers of their own range.
enum class Unit
{
    Plain,     // a number of the parameter's range
    Switch,    // on/off words or 0/1
    Whole,     // a whole number
    DecayMode, // Smooth, Step or Wavey
    Percent,
    Ms,        // predelay
    DelayTime, // start and end: 1 ms to 2 s, or a note
    LengthExp, // 10 ms to 14 s
    Curve,     // -140..+140
    Width,     // MONO, -99..+99, WIDEST
    LfoRate,   // 0.15 to 8 Hz, or a note
    SlowRate,  // 0.01 to 8 Hz, or a note
    Cents,
    Decibels, // 0 to 6 dB over 0..100
    Db,       // a level in dB as stored
    Degrees,
    HighPass, // 20 Hz to 4 kHz
    LowPass   // 500 Hz to 22 kHz
};

struct Rule
{
    const char* id;
    Unit unit;
};

namespace id = params::id;

// The controls' display kinds, as the editor's sliders have them.
const Rule rules[] = {
    { id::twist, Unit::Percent },
    { id::start, Unit::DelayTime },
    { id::end, Unit::DelayTime },
    { id::length, Unit::LengthExp },
    { id::predelay, Unit::Ms },
    { id::feedback, Unit::Percent },
    { id::decayCurve, Unit::Curve },
    { id::decayMode, Unit::DecayMode },
    { id::decayFalloff, Unit::Percent },
    { id::highPass, Unit::HighPass },
    { id::lowPass, Unit::LowPass },
    { id::mix, Unit::Percent },
    { id::master, Unit::Db },
    { id::widen, Unit::Width },
    { id::pingPongAmount, Unit::Percent },
    { id::tapeIn, Unit::Percent },
    { id::tapeOut, Unit::Percent },
    { id::tapeLpf, Unit::Percent },
    { id::tapeFlutter, Unit::Percent },
    { id::tapeFlutterSpeed, Unit::Percent },
    { id::tapeMix, Unit::Percent },
    { id::tapeWear, Unit::Percent },
    { id::tapeHeadBump, Unit::Decibels },
    { id::pitchCents, Unit::Cents },
    { id::pitchRate, Unit::SlowRate },
    { id::pitchDepth, Unit::Percent },
    { id::pitchMix, Unit::Percent },
    { id::pitchRegen, Unit::Percent },
    { id::pitchTwistCents, Unit::Cents },
    { id::lengthBend, Unit::Cents },
    { id::waveRate, Unit::LfoRate },
    { id::waveDensity, Unit::Percent },
    { id::wavePhase, Unit::Degrees },
    { id::waveOffset, Unit::Degrees },
    { id::tremRate, Unit::LfoRate },
    { id::tremDepth, Unit::Percent },
    { id::tremPhase, Unit::Degrees },
    { id::tremOffset, Unit::Degrees },
};

const char* const decayModes[] = { "Smooth", "Step", "Wavey" };

const params::Definition& definition (int index)
{
    return params::table[static_cast<std::size_t> (index)];
}

Unit unitOf (int index)
{
    const auto& def = definition (index);
    if (def.kind == params::Kind::Bool)
        return Unit::Switch;
    for (const auto& r : rules)
        if (def.id == std::string_view (r.id))
            return r.unit;
    return def.kind == params::Kind::Int ? Unit::Whole : Unit::Plain;
}

std::optional<valuetext::Kind> kindOf (Unit unit)
{
    switch (unit)
    {
        case Unit::Percent:
            return valuetext::Kind::Percent;
        case Unit::Ms:
            return valuetext::Kind::Ms;
        case Unit::DelayTime:
            return valuetext::Kind::DelayTime;
        case Unit::LengthExp:
            return valuetext::Kind::LengthExp;
        case Unit::Curve:
            return valuetext::Kind::Curve;
        case Unit::Width:
            return valuetext::Kind::Width;
        case Unit::LfoRate:
            return valuetext::Kind::LfoRate;
        case Unit::SlowRate:
            return valuetext::Kind::SlowRate;
        case Unit::Cents:
            return valuetext::Kind::Cents;
        case Unit::Decibels:
            return valuetext::Kind::Decibels;
        case Unit::Db:
        case Unit::Degrees:
            return valuetext::Kind::Decimal;
        default:
            return std::nullopt;
    }
}

// The unit words a value may end in, longest first where one ends another.
std::vector<const char*> unitWords (Unit unit)
{
    switch (unit)
    {
        case Unit::Percent:
            return { "%" };
        case Unit::Ms:
        case Unit::DelayTime:
        case Unit::LengthExp:
            return { "ms", "s" };
        case Unit::LfoRate:
        case Unit::SlowRate:
            return { "Hz" };
        case Unit::Cents:
            return { "cents", "ct", "c" };
        case Unit::Decibels:
        case Unit::Db:
            return { "dB" };
        case Unit::Degrees:
            return { "deg", "°" };
        case Unit::HighPass:
        case Unit::LowPass:
            return { "kHz", "Hz" };
        default:
            return {};
    }
}

bool isNoteUnit (Unit unit)
{
    return unit == Unit::DelayTime || unit == Unit::LfoRate || unit == Unit::SlowRate;
}

// A note value ("1/8", "1/4T", "2b") as the synced position of a time or a
// rate: the grid runs from the longest note at 1000 for times and at 0 for
// rates.
std::optional<double> notePosition (Unit unit, const juce::String& text)
{
    for (int i = 0; i < NoteGrid::numDivisions; ++i)
    {
        if (text.equalsIgnoreCase (NoteGrid::labels[i]))
        {
            const double step = 1000.0 / (NoteGrid::numDivisions - 1);
            return unit == Unit::DelayTime ? (NoteGrid::numDivisions - 1 - i) * step : i * step;
        }
    }
    return std::nullopt;
}

std::optional<double> readRaw (int index, const juce::String& text)
{
    const auto number = parseNumber (text);
    if (! number.has_value())
        return std::nullopt;
    switch (definition (index).kind)
    {
        case params::Kind::Bool:
            return (*number == 0.0 || *number == 1.0) ? number : std::nullopt;
        case params::Kind::Int:
            return std::floor (*number) == *number ? number : std::nullopt;
        case params::Kind::Float:
            return number;
    }
    return std::nullopt;
}

std::optional<double> readSwitch (const juce::String& text)
{
    const auto word = text.toLowerCase();
    if (word == "on" || word == "true" || word == "yes" || word == "1")
        return 1.0;
    if (word == "off" || word == "false" || word == "no" || word == "0")
        return 0.0;
    return std::nullopt;
}

juce::String numberText (double v)
{
    return juce::String (v, 6).trimCharactersAtEnd ("0").trimCharactersAtEnd (".");
}
} // namespace

std::optional<double> read (int index, const juce::String& typed, juce::String& expected)
{
    const auto text = typed.trim();
    const auto unit = unitOf (index);

    if (text.startsWithIgnoreCase (rawPrefix))
    {
        expected = definition (index).kind == params::Kind::Bool  ? "raw:0 or raw:1"
                   : definition (index).kind == params::Kind::Int ? "a whole number after raw:"
                                                                  : "a number after raw:";
        return readRaw (index, text.substring (juce::String (rawPrefix).length()).trim());
    }

    expected = accepted (index);
    switch (unit)
    {
        case Unit::Switch:
            return readSwitch (text);
        case Unit::Whole:
            return readRaw (index, text);
        case Unit::DecayMode:
            for (int i = 0; i < 3; ++i)
                if (text.equalsIgnoreCase (decayModes[i]))
                    return static_cast<double> (i);
            return readRaw (index, text);
        case Unit::Plain:
            return readRaw (index, text);
        default:
            break;
    }

    if (isNoteUnit (unit))
        if (const auto note = notePosition (unit, text))
            return note;
    if (unit == Unit::Width && (text.equalsIgnoreCase ("MONO") || text.equalsIgnoreCase ("WIDEST")))
        return valuetext::parse (valuetext::Kind::Width, text, 0.0);

    // The number, then at most one of the unit's words.
    auto numberPart = text;
    juce::String word;
    for (const auto* w : unitWords (unit))
    {
        if (text.endsWithIgnoreCase (w))
        {
            numberPart = text.dropLastCharacters (juce::String (juce::CharPointer_UTF8 (w)).length()).trim();
            word = juce::String (juce::CharPointer_UTF8 (w));
            break;
        }
    }
    const auto number = parseNumber (numberPart);
    if (! number.has_value())
        return std::nullopt;

    if (unit == Unit::HighPass || unit == Unit::LowPass)
    {
        const double hz = *number * (word.equalsIgnoreCase ("kHz") ? 1000.0 : 1.0);
        if (hz <= 0.0)
            return std::nullopt;
        const auto h = static_cast<float> (hz);
        return static_cast<double> (unit == Unit::HighPass ? FilterSlider::hzToRawHp (h) : FilterSlider::hzToRawLp (h));
    }

    // The editor's typed-entry rules, with the unit spelled as they read it.
    const bool seconds = word == "s";
    return valuetext::parse (*kindOf (unit), numberText (*number) + (seconds ? " s" : ""), 0.0);
}

juce::String show (int index, double raw)
{
    const auto unit = unitOf (index);
    switch (unit)
    {
        case Unit::Switch:
            return raw >= 0.5 ? "on" : "off";
        case Unit::Whole:
            return juce::String (juce::roundToInt (raw));
        case Unit::DecayMode:
            return decayModes[juce::jlimit (0, 2, juce::roundToInt (raw))];
        case Unit::Plain:
            return numberText (raw);
        case Unit::HighPass:
            return FilterSlider::formatHz (FilterSlider::rawToHzHp (static_cast<float> (raw)));
        case Unit::LowPass:
            return FilterSlider::formatHz (FilterSlider::rawToHzLp (static_cast<float> (raw)));
        case Unit::Db:
            return juce::String (raw, 1) + " dB";
        case Unit::Degrees:
            return juce::String (juce::roundToInt (raw)) + " deg";
        default:
            return valuetext::format (*kindOf (unit), raw);
    }
}

juce::String accepted (int index)
{
    switch (unitOf (index))
    {
        case Unit::Switch:
            return "on or off (also 1/0, true/false, yes/no)";
        case Unit::Whole:
            return "a whole number";
        case Unit::DecayMode:
            return "Smooth, Step or Wavey (or 0, 1, 2)";
        case Unit::Plain:
            return "a number";
        case Unit::Percent:
            return "a percentage (40 or 40%)";
        case Unit::Ms:
            return "a time (350 ms or 1.5 s)";
        case Unit::DelayTime:
            return "a time (350 ms or 1.5 s) or a note (1/8, 1/4T, 2b)";
        case Unit::LengthExp:
            return "a time (350 ms or 1.5 s)";
        case Unit::Curve:
            return "a curve from -140 to +140";
        case Unit::Width:
            return "MONO, -99 to +99, or WIDEST";
        case Unit::LfoRate:
        case Unit::SlowRate:
            return "a rate (2.5 Hz) or a note (1/8, 1/4T, 2b)";
        case Unit::Cents:
            return "cents (25 or 25c)";
        case Unit::Decibels:
        case Unit::Db:
            return "a level (-6 dB)";
        case Unit::Degrees:
            return "degrees (90)";
        case Unit::HighPass:
        case Unit::LowPass:
            return "a frequency (200 Hz or 1.2 kHz)";
    }
    return {};
}
} // namespace units
