#include "params/ParameterText.h"

#include "dsp/NoteGrid.h"
#include "dsp/ParamMapping.h"
#include "params/ValueText.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <string_view>

namespace params
{
namespace
{
// How the editor shows a parameter.
enum class TextRule
{
    Slider,     // the slider kind's text (valuetext::format)
    Switch,     // "On" / "Off"
    Twist,      // the Twist strip: "+25%"
    Predelay,   // the START readout: "250 ms", "1.50 s"
    Falloff,    // the FALLOFF readout: "OFF", "25.0%"
    Mix,        // the MIX readout: "80%"
    Master,     // the master fader: "-∞ dB", "0.0 dB"
    HighPass,   // the filter range: "200 Hz"
    LowPass,    // the filter range: "6.0 kHz"
    TapeBypass, // tape drive and wear: "BYP", "25%"
    TapeOut,    // "+0.0 dB"
    TapeLpf,    // "12.0 kHz"
    DecayMode,  // the decay-mode button: "Smooth", "Step", "Wavey"
    DecaySteps, // the steps label: "4 steps"
    WaveShape,  // the Wave LFO's shapes (its saws run the other way; 7 is flat)
    TremShape,  // the tremolo's shapes (7 plays as smooth random)
    PitchShape  // the pitch LFO's shapes
};

struct TextEntry
{
    std::string_view id;
    TextRule rule;
    valuetext::Kind kind = valuetext::Kind::Decimal; // Slider only
    std::string_view syncSwitch {};                  // note values while this switch is on
    std::string_view scaleSwitch {};                 // the shown value is scaled while this switch is on
    double scale = 1.0;                              // by this much
    bool phase = false;                              // beat offsets while synced
};

using VKind = valuetext::Kind;
using R = TextRule;

constexpr double pitch2xScale = 2.0;
constexpr double times4Scale = 4.0;
} // namespace

// Which text each parameter shows is where the editor shows it: the Twist
// strip, the density strip's start and end sliders (note values under TAP
// SYNC, four times longer with 4X), the visualizer's readouts and hidden
// sliders, the filter range, the mix readout and master fader, the main
// controls row, the tape, pitch, Wave and tremolo bodies. Parameters without
// a control of their own (feedback, the pitch twist amount, length bend) use
// the slider kind of their unit.
// clang-format off
constexpr std::array<TextEntry, table.size()> entries { {
    { id::twist, R::Twist },
    { id::start, R::Slider, VKind::DelayTime, id::tapSync, id::times4, times4Scale },
    { id::end, R::Slider, VKind::DelayTime, id::tapSync, id::times4, times4Scale },
    { id::length, R::Slider, VKind::LengthExp },
    { id::predelay, R::Predelay },
    { id::feedback, R::Slider, VKind::Percent },
    { id::times4, R::Switch },
    { id::startEndLock, R::Switch },
    { id::tapSync, R::Switch },
    { id::reverse, R::Switch },
    { id::tapFlip, R::Switch },
    { id::tapCount, R::Slider, VKind::Integer },
    { id::decayCurve, R::Slider, VKind::Curve },
    { id::dynamicSmoothing, R::Switch },
    { id::decayMode, R::DecayMode },
    { id::decaySteps, R::DecaySteps },
    { id::decayFalloff, R::Falloff },
    { id::highPass, R::HighPass },
    { id::lowPass, R::LowPass },
    { id::mix, R::Mix },
    { id::mixBypass, R::Switch },
    { id::master, R::Master },
    { id::widen, R::Slider, VKind::Width },
    { id::noMid, R::Switch },
    { id::pingPong, R::Switch },
    { id::pingPongAmount, R::Slider, VKind::Percent },
    { id::tape, R::Switch },
    { id::tapeOd, R::Switch },
    { id::tapeIn, R::TapeBypass },
    { id::tapeOut, R::TapeOut },
    { id::tapeLpf, R::TapeLpf },
    { id::tapeFlutter, R::Slider, VKind::Percent },
    { id::tapeFlutterSpeed, R::Slider, VKind::Percent },
    { id::tapeMix, R::Slider, VKind::Percent },
    { id::tapeWear, R::TapeBypass },
    { id::tapeHeadBump, R::Slider, VKind::Decibels },
    { id::pitch, R::Switch },
    { id::pitchSync, R::Switch },
    { id::pitchWide, R::Switch },
    { id::pitch2x, R::Switch },
    { id::pitchCents, R::Slider, VKind::Cents, {}, id::pitch2x, pitch2xScale },
    { id::pitchRate, R::Slider, VKind::SlowRate, id::pitchSync, id::pitch2x, pitch2xScale },
    { id::pitchDepth, R::Slider, VKind::Percent, {}, id::pitch2x, pitch2xScale },
    { id::pitchShape, R::PitchShape },
    { id::pitchMix, R::Slider, VKind::Percent },
    { id::pitchRegen, R::Slider, VKind::Percent },
    { id::pitchTwistLink, R::Switch },
    { id::pitchTwistCents, R::Slider, VKind::Cents },
    { id::lengthBend, R::Slider, VKind::Cents },
    { id::wave, R::Switch },
    { id::waveSync, R::Switch },
    { id::waveRate, R::Slider, VKind::LfoRate, id::waveSync },
    { id::waveDensity, R::Slider, VKind::Percent },
    { id::waveShape, R::WaveShape },
    { id::wavePhase, R::Slider, VKind::Decimal, id::waveSync, {}, 1.0, true },
    { id::waveOffset, R::Slider, VKind::Decimal },
    { id::tremolo, R::Switch },
    { id::tremSync, R::Switch },
    { id::tremRate, R::Slider, VKind::LfoRate, id::tremSync },
    { id::tremDepth, R::Slider, VKind::Percent },
    { id::tremPhase, R::Slider, VKind::Decimal, id::tremSync, {}, 1.0, true },
    { id::tremOffset, R::Slider, VKind::Decimal },
    { id::tremShape, R::TremShape },
} };
// clang-format on

namespace
{
constexpr bool entriesFollowTheParameterTable()
{
    for (std::size_t i = 0; i < table.size(); ++i)
        if (entries[i].id != table[i].id)
            return false;
    return true;
}
static_assert (entriesFollowTheParameterTable());

// The decay-mode button's texts, and the shapes as the shape pickers draw
// them. The Wave LFO's saws run the other way round, and its shape 7 holds
// still; the tremolo plays 7 as smooth random.
const char* const decayModeNames[] = { "Smooth", "Step", "Wavey" };
const char* const lfoShapeNames[] = { "Sine", "Triangle", "Square", "Saw Up", "Saw Down", "Random", "Smooth Random" };
const char* const waveShapeNames[] = { "Sine",   "Triangle", "Square",        "Saw Down",
                                       "Saw Up", "Random",   "Smooth Random", "Flat" };

// The beat offsets of a synced phase, in steps of 45 degrees.
const char* const phaseNames[] = { "on beat", "1/8", "1/4", "3/8", "1/2 off" };

bool switchOn (const TextContext& context, std::string_view id)
{
    if (id.empty())
        return false;
    const int i = indexOf (id);
    return i >= 0 && context.raw[static_cast<std::size_t> (i)] > 0.5f;
}

valuetext::Display displayFor (const TextEntry& entry, const TextContext& context)
{
    valuetext::Display d;
    d.scale = switchOn (context, entry.scaleSwitch) ? entry.scale : 1.0;
    d.sync = switchOn (context, entry.syncSwitch);
    d.phase = entry.phase;
    d.bpm = context.bpm > 0.0f ? context.bpm : 120.0f;
    return d;
}

juce::String shapeName (TextRule rule, float raw)
{
    const int shape = static_cast<int> (raw);
    if (rule == R::WaveShape)
        return waveShapeNames[std::clamp (shape, 0, 7)];
    return lfoShapeNames[std::clamp (shape, 0, 6)];
}

//==============================================================================
// Reading typed text.

bool hasDigit (const juce::String& text)
{
    return text.containsAnyOf ("0123456789");
}

// Letters only, lower case: "Saw Up", "saw-up" and "SawUp" read alike.
juce::String simplified (const juce::String& text)
{
    return text.toLowerCase().retainCharacters ("abcdefghijklmnopqrstuvwxyz0123456789/");
}

template <std::size_t n>
std::optional<int> nameIndex (const juce::String& text, const char* const (&names)[n])
{
    const auto wanted = simplified (text);
    for (std::size_t i = 0; i < n; ++i)
        if (wanted == simplified (names[i]))
            return static_cast<int> (i);
    return std::nullopt;
}

std::optional<double> finite (double v)
{
    return std::isfinite (v) ? std::optional<double> (v) : std::nullopt;
}

// The number of typed text with any of the units removed; nothing when the
// text holds no digit or the number is not finite.
std::optional<double> number (juce::String text, std::initializer_list<const char*> units)
{
    text = text.trim();
    if (! hasDigit (text))
        return std::nullopt;
    for (const auto* unit : units)
        if (text.endsWithIgnoreCase (unit))
            text = text.dropLastCharacters (static_cast<int> (std::strlen (unit))).trim();
    return finite (valuetext::readNumber (text));
}

// A frequency in hertz: "200", "200 Hz", "1.2 kHz", "1.2k".
std::optional<double> hertz (const juce::String& typed)
{
    auto text = typed.trim();
    if (text.endsWithIgnoreCase ("hz"))
        text = text.dropLastCharacters (2).trim();
    double factor = 1.0;
    if (text.endsWithIgnoreCase ("k"))
    {
        text = text.dropLastCharacters (1).trim();
        factor = 1000.0;
    }
    const auto v = number (text, {});
    return v.has_value() ? finite (*v * factor) : std::nullopt;
}

std::optional<int> noteIndex (const juce::String& text)
{
    const auto wanted = text.trim().toLowerCase();
    for (int i = 0; i < NoteGrid::numDivisions; ++i)
        if (wanted == juce::String (NoteGrid::labels[i]).toLowerCase())
            return i;
    return std::nullopt;
}

// The raw value of a division index for a synced slider: longer notes lie
// higher for times and lower for rates.
double syncedRaw (VKind kind, int index)
{
    const double step = static_cast<double> (kind == VKind::DelayTime ? 12 - index : index);
    return step / 12.0 * 1000.0;
}

std::optional<double> readSlider (const TextEntry& entry, const juce::String& text, double current,
                                  const TextContext& context)
{
    const auto kind = entry.kind;
    const auto d = displayFor (entry, context);
    const double nan = std::numeric_limits<double>::quiet_NaN();

    if (valuetext::isSyncKind (kind))
    {
        const auto note = noteIndex (text);
        const bool time = kind == VKind::DelayTime;

        if (d.sync)
        {
            if (note.has_value())
                return syncedRaw (kind, *note);
            if (! hasDigit (text))
                return std::nullopt;

            // A time or a rate picks the division nearest to it at the tempo.
            const auto v = finite (valuetext::parse (time ? VKind::Ms : VKind::Hz, text, nan));
            if (! v.has_value())
                return std::nullopt;
            const int index = time ? NoteGrid::nearestDivisionByMs (static_cast<float> (*v), d.bpm)
                                   : NoteGrid::nearestDivisionByHz (static_cast<float> (*v), d.bpm);
            return syncedRaw (kind, index);
        }

        if (note.has_value())
        {
            // A note value while free-running: its time or rate at the tempo,
            // as the control shows it.
            const double beats = NoteGrid::beatMultipliers[*note];
            const double shown = time ? beats * 60000.0 / d.bpm : d.bpm / 60.0 / beats;
            return valuetext::rawFromNumber (kind, kind == VKind::SlowRate ? shown / d.scale : shown, d);
        }
    }

    if (entry.phase && d.sync)
        if (const auto step = nameIndex (text, phaseNames))
            return (current < 0.0 ? -45.0 : 45.0) * static_cast<double> (*step);

    const bool widthWord = kind == VKind::Width && (simplified (text) == "mono" || simplified (text) == "widest");
    if (! hasDigit (text) && ! widthWord)
        return std::nullopt;

    // What the editor shows scaled is read back scaled, so that every text
    // reads back as the value that shows it.
    if (d.scale != 1.0 && (kind == VKind::Percent || kind == VKind::Cents))
    {
        const auto v = finite (valuetext::parse (kind, text, nan));
        return v.has_value() ? std::optional<double> (*v / d.scale) : std::nullopt;
    }
    if (d.scale != 1.0 && kind == VKind::SlowRate)
    {
        const auto hz = finite (valuetext::parse (VKind::Hz, text, nan));
        return hz.has_value() ? std::optional<double> (valuetext::rawFromNumber (kind, *hz / d.scale)) : std::nullopt;
    }
    return finite (valuetext::parse (kind, text, nan, d));
}

std::optional<double> readSwitch (const juce::String& text)
{
    const auto word = simplified (text);
    if (word == "on" || word == "yes" || word == "true")
        return 1.0;
    if (word == "off" || word == "no" || word == "false")
        return 0.0;
    const auto v = number (text, {});
    return v.has_value() ? std::optional<double> (*v > 0.5 ? 1.0 : 0.0) : std::nullopt;
}

std::optional<double> readMasterDb (const juce::String& text)
{
    // "-∞ dB", "-inf": silence.
    const auto t = text.trim();
    if (t.startsWithChar ('-')
        && (t.containsIgnoreCase ("inf") || t.contains (juce::CharPointer_UTF8 ("\xe2\x88\x9e"))))
        return -60.0;
    return number (t, { "db" });
}

std::optional<double> read (const TextEntry& entry, const juce::String& text, double current,
                            const TextContext& context)
{
    switch (entry.rule)
    {
        case R::Slider:
            return readSlider (entry, text, current, context);
        case R::Switch:
            return readSwitch (text);
        case R::Twist:
        case R::Mix:
            return number (text, { "%" });
        case R::Predelay:
            return hasDigit (text) ? finite (valuetext::parse (VKind::Ms, text, current)) : std::nullopt;
        case R::Falloff:
            if (simplified (text) == "off")
                return 0.0;
            return number (text, { "%" });
        case R::Master:
            return readMasterDb (text);
        case R::HighPass:
        case R::LowPass:
        {
            const auto hz = hertz (text);
            if (! hz.has_value())
                return std::nullopt;
            const double f = std::max (*hz, 1.0e-3);
            return entry.rule == R::HighPass ? std::log (f / 20.0) * 1000.0 / std::log (200.0)
                                             : std::log (f / 500.0) * 1000.0 / std::log (44.0);
        }
        case R::TapeBypass:
            if (simplified (text) == "byp" || simplified (text) == "bypass")
                return 0.0;
            return number (text, { "%" });
        case R::TapeOut:
        {
            const auto dB = number (text, { "db" });
            return dB.has_value() ? std::optional<double> ((*dB + 6.0) / 12.0 * 100.0) : std::nullopt;
        }
        case R::TapeLpf:
        {
            const auto hz = hertz (text);
            if (! hz.has_value())
                return std::nullopt;
            return std::log10 (std::max (*hz, 1.0e-3) / 2000.0) / 0.778151273727417 * 100.0;
        }
        case R::DecayMode:
            if (const auto mode = nameIndex (text, decayModeNames))
                return *mode;
            return number (text, {});
        case R::DecaySteps:
            return number (text, { "steps", "step" });
        case R::WaveShape:
            if (const auto shape = nameIndex (text, waveShapeNames))
                return *shape;
            return number (text, {});
        case R::TremShape:
        case R::PitchShape:
            if (const auto shape = nameIndex (text, lfoShapeNames))
                return *shape;
            return number (text, {});
    }
    return std::nullopt;
}
} // namespace

//==============================================================================
RawValues TextContext::defaultRawValues()
{
    RawValues values {};
    for (std::size_t i = 0; i < table.size(); ++i)
        values[i] = table[i].defaultValue;
    return values;
}

juce::String valueText (int index, float raw, const TextContext& context)
{
    if (index < 0 || index >= static_cast<int> (table.size()))
        return {};

    const auto& entry = entries[static_cast<std::size_t> (index)];
    switch (entry.rule)
    {
        case R::Slider:
            return valuetext::format (entry.kind, raw, displayFor (entry, context));
        case R::Switch:
            return raw > 0.5f ? "On" : "Off";
        case R::Twist:
            return valuetext::signedPercent (raw);
        case R::Predelay:
            return valuetext::formatSmartMs (raw);
        case R::Falloff:
            return valuetext::falloffPercent (raw);
        case R::Mix:
            return valuetext::roundedPercent (raw);
        case R::Master:
            return valuetext::masterDb (raw);
        case R::HighPass:
            return valuetext::filterHz (mapping::highPassHz (raw));
        case R::LowPass:
            return valuetext::filterHz (mapping::lowPassHz (raw));
        case R::TapeBypass:
            return valuetext::bypassPercent (raw);
        case R::TapeOut:
            return valuetext::tapeOutDb (raw);
        case R::TapeLpf:
            return valuetext::tapeLpfHz (raw);
        case R::DecayMode:
            return valuetext::decayModeName (static_cast<int> (raw));
        case R::DecaySteps:
            return juce::String (static_cast<int> (raw)) + " steps";
        case R::WaveShape:
        case R::TremShape:
        case R::PitchShape:
            return shapeName (entry.rule, raw);
    }
    return juce::String (raw);
}

float parseValueText (int index, const juce::String& text, float current, const TextContext& context)
{
    if (index < 0 || index >= static_cast<int> (table.size()))
        return current;

    const auto i = static_cast<std::size_t> (index);
    const auto value = read (entries[i], text.trim(), current, context);
    if (! value.has_value())
        return current;

    const auto& p = table[i];
    double v = std::clamp (*value, static_cast<double> (p.min), static_cast<double> (p.max));
    if (p.kind != params::Kind::Float)
        v = std::round (v);
    return static_cast<float> (v);
}

TextContext LiveTextSource::read() const
{
    TextContext context;
    for (std::size_t i = 0; i < table.size(); ++i)
    {
        if (raw[i] == nullptr)
            continue;
        const float x = raw[i]->load (std::memory_order_relaxed);
        if (std::isfinite (x))
            context.raw[i] = x;
    }
    if (bpm != nullptr)
    {
        const float tempo = bpm->load (std::memory_order_relaxed);
        if (std::isfinite (tempo) && tempo > 0.0f)
            context.bpm = tempo;
    }
    return context;
}
} // namespace params
