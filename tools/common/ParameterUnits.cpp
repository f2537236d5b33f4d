#include "ParameterUnits.h"

#include "ParameterSettings.h"
#include "dsp/NoteGrid.h"
#include "params/ParameterTable.h"
#include "params/ValueText.h"
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

// How each unit is typed: the slider kind whose typed-entry rules read it
// (none for the units read here), the words a value may end in (longest
// first where one ends another), and what --set says it expects.
struct UnitText
{
    Unit unit;
    std::optional<valuetext::Kind> kind;
    std::vector<const char*> words;
    const char* accepted;
    // The range the control covers in ms or Hz (or its shown numbers), for
    // the units whose raw positions follow a curve; none for the others,
    // whose numbers are their raw values.
    std::optional<juce::Range<double>> range = std::nullopt;
};

const std::vector<UnitText>& unitTexts()
{
    using K = valuetext::Kind;
    static const std::vector<UnitText> texts {
        { Unit::Plain, std::nullopt, {}, "a number" },
        { Unit::Switch, std::nullopt, {}, "on or off (also 1/0, true/false, yes/no)" },
        { Unit::Whole, std::nullopt, {}, "a whole number" },
        { Unit::DecayMode, std::nullopt, {}, "Smooth, Step or Wavey (or 0, 1, 2)" },
        { Unit::Percent, K::Percent, { "%" }, "a percentage (40 or 40%)" },
        { Unit::Ms, K::Ms, { "ms", "s" }, "a time (350 ms or 1.5 s)" },
        { Unit::DelayTime,
          K::DelayTime,
          { "ms", "s" },
          "a time (350 ms or 1.5 s) or a note (1/8, 1/4T, 2b)",
          juce::Range<double> (1.0, 2000.0) },
        { Unit::LengthExp,
          K::LengthExp,
          { "ms", "s" },
          "a time (350 ms or 1.5 s)",
          juce::Range<double> (10.0, 14000.0) },
        { Unit::Curve, K::Curve, {}, "a curve from -140 to +140", juce::Range<double> (-140.0, 140.0) },
        { Unit::Width, K::Width, {}, "MONO, -99 to +99, or WIDEST", juce::Range<double> (-100.0, 100.0) },
        { Unit::LfoRate,
          K::LfoRate,
          { "Hz" },
          "a rate (2.5 Hz) or a note (1/8, 1/4T, 2b)",
          juce::Range<double> (0.15, 8.0) },
        { Unit::SlowRate,
          K::SlowRate,
          { "Hz" },
          "a rate (0.5 Hz) or a note (1/8, 1/4T, 2b)",
          juce::Range<double> (0.01, 8.0) },
        { Unit::Cents, K::Cents, { "cents", "ct", "c" }, "cents (25 or 25c)" },
        { Unit::Decibels, K::Decibels, { "dB" }, "a level (3 dB)", juce::Range<double> (0.0, 6.0) },
        { Unit::Db, K::Decimal, { "dB" }, "a level (-6 dB)" },
        { Unit::Degrees, K::Decimal, { "deg", "\xc2\xb0" }, "degrees (90)" },
        { Unit::HighPass,
          std::nullopt,
          { "kHz", "Hz" },
          "a frequency (200 Hz or 1.2 kHz)",
          juce::Range<double> (20.0, 4000.0) },
        { Unit::LowPass,
          std::nullopt,
          { "kHz", "Hz" },
          "a frequency (200 Hz or 1.2 kHz)",
          juce::Range<double> (500.0, 22000.0) },
    };
    return texts;
}

const UnitText& textOf (Unit unit)
{
    for (const auto& t : unitTexts())
        if (t.unit == unit)
            return t;
    return unitTexts().front();
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

std::optional<double> read (int index, const juce::String& typed, juce::String& expected, bool& outside)
{
    outside = false;
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
    if (unit == Unit::Switch)
        return readSwitch (text);
    if (unit == Unit::DecayMode)
        for (int i = 0; i < 3; ++i)
            if (text.equalsIgnoreCase (decayModes[i]))
                return static_cast<double> (i);
    if (unit == Unit::Whole || unit == Unit::DecayMode || unit == Unit::Plain)
        return readRaw (index, text);

    if (isNoteUnit (unit))
        if (const auto note = notePosition (unit, text))
            return note;
    if (unit == Unit::Width && (text.equalsIgnoreCase ("MONO") || text.equalsIgnoreCase ("WIDEST")))
        return valuetext::parse (valuetext::Kind::Width, text, 0.0);

    // The number, then at most one of the unit's words.
    auto numberPart = text;
    juce::String word;
    for (const auto* w : textOf (unit).words)
    {
        const auto candidate = juce::String (juce::CharPointer_UTF8 (w));
        if (text.endsWithIgnoreCase (candidate))
        {
            numberPart = text.dropLastCharacters (candidate.length()).trim();
            word = candidate;
            break;
        }
    }
    const auto number = parseNumber (numberPart);
    if (! number.has_value())
        return std::nullopt;

    // The number in ms or Hz, kept inside what the control covers.
    double value = *number * (word == "s" || word.equalsIgnoreCase ("kHz") ? 1000.0 : 1.0);
    if (const auto range = textOf (unit).range; range && ! (value >= range->getStart() && value <= range->getEnd()))
    {
        outside = true;
        value = range->clipValue (value);
    }

    if (unit == Unit::HighPass || unit == Unit::LowPass)
    {
        const auto h = static_cast<float> (value);
        return static_cast<double> (unit == Unit::HighPass ? FilterSlider::hzToRawHp (h) : FilterSlider::hzToRawLp (h));
    }

    // The editor's typed-entry rules (times in ms).
    return valuetext::parse (textOf (unit).kind.value_or (valuetext::Kind::Decimal), numberText (value), 0.0);
}

juce::String show (int index, double raw)
{
    const auto unit = unitOf (index);
    if (unit == Unit::Switch)
        return raw >= 0.5 ? "on" : "off";
    if (unit == Unit::Whole)
        return juce::String (juce::roundToInt (raw));
    if (unit == Unit::DecayMode)
        return decayModes[juce::jlimit (0, 2, juce::roundToInt (raw))];
    if (unit == Unit::HighPass)
        return FilterSlider::formatHz (FilterSlider::rawToHzHp (static_cast<float> (raw)));
    if (unit == Unit::LowPass)
        return FilterSlider::formatHz (FilterSlider::rawToHzLp (static_cast<float> (raw)));
    if (unit == Unit::Db)
        return juce::String (raw, 1) + " dB";
    if (unit == Unit::Degrees)
        return juce::String (juce::roundToInt (raw)) + " deg";
    if (const auto kind = textOf (unit).kind)
        return valuetext::format (*kind, raw);
    return numberText (raw);
}

juce::String accepted (int index)
{
    return juce::String (juce::CharPointer_UTF8 (textOf (unitOf (index)).accepted));
}
} // namespace units
