#include "params/ValueText.h"

#include "dsp/DspConstants.h"
#include "dsp/NoteGrid.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace valuetext
{
namespace
{
using dsp::pi;

double clamp01 (double x)
{
    return std::clamp (x, 0.0, 1.0);
}

juce::String signedInteger (int n)
{
    return n > 0 ? "+" + juce::String (n) : juce::String (n);
}

// Removes suffix (and the space before it) when text ends with it.
bool stripSuffix (juce::String& text, const char* suffix)
{
    if (! text.endsWith (suffix))
        return false;
    text = text.dropLastCharacters (juce::String (suffix).length()).trim();
    return true;
}
} // namespace

bool isSyncKind (Kind kind) noexcept
{
    return kind == Kind::DelayTime || kind == Kind::LfoRate || kind == Kind::SlowRate;
}

juce::String formatSmartMs (double ms)
{
    ms = std::max (ms, 0.0);
    if (ms < 1000.0)
        return juce::String (static_cast<int> (ms)) + " ms";
    return juce::String (ms / 1000.0, 2) + " s";
}

juce::String format (Kind kind, double raw, const Display& display)
{
    const double t = clamp01 (raw / 1000.0);

    if (display.sync)
    {
        if (display.phase)
        {
            static const char* const offsets[] = { "on beat", "1/8", "1/4", "3/8", "1/2 off" };
            const auto n = std::abs (std::round (raw / 45.0));
            return offsets[static_cast<size_t> (std::min (n, 4.0))];
        }

        if (isSyncKind (kind))
        {
            if (display.bpm <= 0.0f)
                return {};
            const double index = kind == Kind::DelayTime ? std::round (12.0 - 12.0 * t) : std::round (12.0 * t);
            return NoteGrid::labels[NoteGrid::clampIndex (static_cast<int> (index))];
        }
    }

    switch (kind)
    {
        case Kind::Ms:
            return juce::String (static_cast<int> (raw)) + " ms";
        case Kind::Hz:
            return juce::String (raw, 2) + " Hz";
        case Kind::PercentPlain:
        case Kind::Percent:
            return juce::String (static_cast<int> (display.scale * raw)) + "%";
        case Kind::Integer:
            return juce::String (static_cast<int> (raw));
        case Kind::Decimal:
            return juce::String (raw, 2);
        case Kind::LengthExp:
            return formatSmartMs (std::round (10.0 * std::pow (1400.0, raw / 1000.0)));
        case Kind::DelayTime:
        {
            const double f = t <= 0.65 ? std::pow (1000.0, t / 0.65) : 1000.0 * std::pow (2.0, (t - 0.65) / 0.35);
            return formatSmartMs (std::round (std::max (1.0, std::round (f)) * display.scale));
        }
        case Kind::LfoRate:
            return juce::String (0.15 * std::pow (53.333, raw / 1000.0), 1) + " Hz";
        case Kind::Curve:
        {
            double n = 0.0;
            if (raw >= 0.0 && raw <= 200.0)
            {
                n = -100.0 * std::cos (pi * raw / 200.0);
            }
            else
            {
                const double d = raw > 200.0 ? raw - 200.0 : std::abs (raw);
                const double e = 40.0 * (1.0 - std::cos (std::min (d, 100.0) / 100.0 * pi / 2.0));
                n = raw > 200.0 ? 100.0 + e : -100.0 - e;
            }
            const int rounded = static_cast<int> (std::round (n));
            return rounded >= 1 ? "+" + juce::String (rounded) : juce::String (rounded);
        }
        case Kind::Cents:
            return juce::String (display.scale * raw, 1) + "c";
        case Kind::SlowRate:
        {
            const double hz = raw <= 0.0 ? 0.0 : 0.01 * std::pow (800.0, std::pow (t, 0.61));
            return juce::String (hz * display.scale, 2) + " Hz";
        }
        case Kind::Decibels:
            return juce::String (raw / 100.0 * 6.0, 1) + " dB";
        case Kind::Width:
        {
            const int n = static_cast<int> (std::round ((raw / 7.5 - 1.0) * 100.0));
            if (n <= -100)
                return "MONO";
            if (n >= 100)
                return "WIDEST";
            return signedInteger (n);
        }
    }
    return juce::String (raw);
}

double readNumber (const juce::String& text)
{
    const auto utf8 = text.toStdString();
    const char* first = utf8.c_str();
    const char* last = first + utf8.size();
    while (first != last && (*first == ' ' || *first == '\t' || *first == '\n' || *first == '\r'))
        ++first;
    if (first != last && *first == '+')
        ++first;
    double value = 0.0;
    const auto [end, error] = std::from_chars (first, last, value);
    if (end == first)
        return 0.0;
    if (error != std::errc())
        return std::numeric_limits<double>::quiet_NaN();
    return value;
}

double parse (Kind kind, const juce::String& typed, double current, const Display& display)
{
    const auto trimmed = typed.trim();

    if (kind == Kind::Width)
    {
        const auto upper = trimmed.toUpperCase();
        if (upper == "MONO")
            return 0.0;
        if (upper == "WIDEST")
            return 15.0;
    }

    // Units are optional: a typed unit is removed, never required.
    auto text = trimmed;
    for (const auto* unit : { "ms", "Ms", "MS", "Hz", "ct", "Ct", "CT", "c", "C", "dB", "db", "DB" })
        stripSuffix (text, unit);
    stripSuffix (text, "%");
    const bool seconds = stripSuffix (text, "s");

    double v = readNumber (text);

    // "nan", "inf" or an overflowing exponent would pass every clamp below:
    // such text leaves the value as it is.
    if (! std::isfinite (v))
        return current;

    // A time typed in seconds ("1.5 s", but not "1.5 ms") is converted.
    if (seconds && (kind == Kind::Ms || kind == Kind::DelayTime || kind == Kind::LengthExp))
        v *= 1000.0;

    return rawFromNumber (kind, v, display);
}

double rawFromNumber (Kind kind, double v, const Display& display)
{
    switch (kind)
    {
        case Kind::Ms:
        case Kind::Hz:
        case Kind::PercentPlain:
        case Kind::Percent:
        case Kind::Integer:
        case Kind::Decimal:
        case Kind::Cents:
            return v;
        case Kind::LengthExp:
            return std::round (std::log (std::max (v, 10.0) / 10.0) / std::log (1400.0) * 1000.0);
        case Kind::DelayTime:
        {
            const double ms = std::max (v / display.scale, 1.0);
            const double t = ms <= 1000.0 ? std::log (ms) * 0.65 / std::log (1000.0)
                                          : std::log (ms / 1000.0) * 0.35 / std::log (2.0) + 0.65;
            return std::round (std::clamp (1000.0 * t, 0.0, 1000.0));
        }
        case Kind::LfoRate:
            return std::round (std::log (std::max (v, 0.15) / 0.15) / std::log (53.333) * 1000.0);
        case Kind::Curve:
        {
            v = std::clamp (v, -140.0, 140.0);
            if (v >= -100.0 && v <= 100.0)
                return std::acos (v / -100.0) * 200.0 / pi;
            const double m = std::clamp ((std::abs (v) - 100.0) / 40.0, 0.0, 1.0);
            const double a = std::acos (1.0 - m) * 200.0 / pi;
            return v > 100.0 ? 200.0 + a : -a;
        }
        case Kind::SlowRate:
        {
            const double m = std::clamp (std::log (std::max (v, 0.01) / 0.01) / std::log (800.0), 0.0, 1.0);
            return std::round (1000.0 * std::pow (m, 1.0 / 0.61));
        }
        case Kind::Decibels:
            return std::clamp (v / 6.0 * 100.0, 0.0, 100.0);
        case Kind::Width:
            return std::clamp ((v / 100.0 + 1.0) * 7.5, 0.0, 15.0);
    }
    return v;
}

//==============================================================================
juce::String signedPercent (double percent)
{
    if (! std::isfinite (percent))
        return "0%";
    return signedInteger (static_cast<int> (std::round (std::clamp (percent, -1.0e9, 1.0e9)))) + "%";
}

juce::String masterDb (double dB)
{
    if (dB <= -60.0)
        return juce::String ("-") + juce::String (juce::CharPointer_UTF8 ("\xe2\x88\x9e")) + " dB";

    // The parameter's 0.1 dB steps are float sums, so its 0 can come out a
    // hair below zero: that reads 0.0 dB too, never -0.0 dB.
    return juce::String::formatted ("%+.1f dB", dB).replace ("+0.0", "0.0").replace ("-0.0 ", "0.0 ");
}

juce::String filterHz (double hz)
{
    // Decided on the rounded value, so that 999.7 Hz reads 1.0 kHz, not 1000 Hz.
    const auto rounded = static_cast<int> (std::round (hz));
    if (rounded < 1000)
        return juce::String (rounded) + " Hz";
    return juce::String (hz / 1000.0, 1) + " kHz";
}

juce::String bypassPercent (double percent)
{
    if (percent <= 0.0)
        return "BYP";
    return juce::String (static_cast<int> (percent)) + "%";
}

juce::String tapeOutDb (double raw)
{
    // Rounded first, so that a level showing as 0.0 is never given a minus sign.
    const double dB = std::round ((raw / 100.0 * 12.0 - 6.0) * 10.0) / 10.0;
    const double shown = dB == 0.0 ? 0.0 : dB;
    return (shown >= 0.0 ? "+" : "") + juce::String (shown, 1) + " dB";
}

double tapeLpfCornerHz (double raw)
{
    return 2000.0 * std::pow (10.0, 0.778151273727417 * raw / 100.0);
}

juce::String tapeLpfHz (double raw)
{
    const double hz = tapeLpfCornerHz (raw);
    if (hz < 1000.0)
        return juce::String (static_cast<int> (hz)) + " Hz";
    return juce::String (hz / 1000.0, hz >= 10000.0 ? 1 : 2) + " kHz";
}

juce::String falloffPercent (double percent)
{
    if (percent <= 0.0)
        return "OFF";
    return juce::String (percent, 1) + "%";
}

juce::String decayModeName (int mode)
{
    static const char* const names[] = { "Smooth", "Step", "Wavey" };
    return names[std::clamp (mode, 0, 2)];
}

juce::String roundedPercent (double percent)
{
    return juce::String (static_cast<int> (std::round (percent))) + "%";
}
} // namespace valuetext
