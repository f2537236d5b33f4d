#pragma once

#include <juce_core/juce_core.h>

// The value texts of the controls and how typed text is read back: one set of
// rules for the editor's sliders and for everything else that shows or reads
// a parameter's value in words.
namespace valuetext
{
enum class Kind
{
    Ms = 0,
    Hz = 1,
    PercentPlain = 2,
    Percent = 3,
    Integer = 4,
    Decimal = 5,
    LengthExp = 6, // 0..1000 position, 10 ms to 14 s
    DelayTime = 7, // 0..1000 position, 1 ms to 2 s
    LfoRate = 8,   // 0..1000 position, 0.15 to 8 Hz
    Curve = 9,     // -100..300, shown as -140..+140
    Cents = 10,
    SlowRate = 11, // 0..1000 position, 0.01 to 8 Hz
    Decibels = 12, // 0..100, shown as 0 to 6 dB
    Width = 13     // 0..15, shown as MONO, -99..+99, WIDEST
};

// How a value is shown besides its kind.
struct Display
{
    double scale = 1.0; // multiplies percentages, delay times, cents and slow rates
    bool sync = false;  // note divisions for the tempo-synced kinds
    bool phase = false; // beat offsets (with sync)
    float bpm = 0.0f;   // the host tempo; 0 or less when unknown
};

// Whether a kind shows note divisions when synced.
bool isSyncKind (Kind kind) noexcept;

// "999 ms" below a second, "1.50 s" from a second on; negatives show as 0 ms.
juce::String formatSmartMs (double ms);

// The text of a raw value.
juce::String format (Kind kind, double raw, const Display& display = {});

// The raw value of typed text. Units are optional ("ms", "Hz", "c", "dB",
// "%", "s" for seconds on the time kinds); text that is not a finite number
// ("nan", "inf", "1e999") gives `current` back unchanged.
double parse (Kind kind, const juce::String& text, double current, const Display& display = {});

// The number at the start of typed or stored text, as JUCE's getDoubleValue
// reads it (leading blanks, an optional sign, anything after the number
// ignored), but safe for any input: JUCE's own reader overflows an int on a
// long exponent. 0 when there is no number, NaN when it is out of double's
// range.
double readNumber (const juce::String& text);

// The raw value of a number in the unit the kind shows (ms for times, Hz for
// rates, the shown value otherwise), as parse converts it.
double rawFromNumber (Kind kind, double number, const Display& display = {});

//==============================================================================
// The texts of the controls that are not sliders, by the value they show.

// The Twist strip: "+25%", "0%", "-40%" (rounded half away from zero; not a
// number reads "0%").
juce::String signedPercent (double percent);

// The master fader: "-∞ dB" at -60 and below, else one decimal with its sign
// ("+3.0 dB", "-6.0 dB"); zero reads "0.0 dB".
juce::String masterDb (double dB);

// A filter corner: whole hertz below 1000 ("999 Hz"), else kilohertz with
// one decimal ("1.0 kHz"); decided on the rounded value.
juce::String filterHz (double hz);

// Tape drive and wear: "BYP" at 0 and below, else the whole percent ("25%").
juce::String bypassPercent (double percent);

// Tape output, 0..100 with 50 at 0 dB: "-6.0 dB" .. "+6.0 dB".
juce::String tapeOutDb (double raw);

// Tape softening, 0..100: the low-pass corner, "2.00 kHz" .. "12.0 kHz".
juce::String tapeLpfHz (double raw);
double tapeLpfCornerHz (double raw);

// The falloff readout: "OFF" at 0 and below, else one decimal ("25.0%").
juce::String falloffPercent (double percent);

// The mix readout: the rounded percent ("80%").
juce::String roundedPercent (double percent);

// The decay-mode button: "Smooth", "Step", "Wavey" (0, 1, 2; clamped).
juce::String decayModeName (int mode);
} // namespace valuetext
