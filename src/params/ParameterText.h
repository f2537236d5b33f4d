#pragma once

#include "params/ParamBlockReader.h"
#include "params/ParameterTable.h"

#include <juce_core/juce_core.h>

#include <array>
#include <atomic>

// Every parameter's value in words, as the editor shows it ("200 Hz", "1/8",
// "Sine", "-6.0 dB"), and typed text read back into a raw value. Hosts show
// these texts in their generic controls and automation lanes, and the
// command line reads values with units through them.
namespace params
{
// What a parameter's text depends on besides its own value: the other
// parameters (sync switches, 4X, pitch 2x) and the tempo for note values.
struct TextContext
{
    RawValues raw = defaultRawValues();
    float bpm = 120.0f;

    static RawValues defaultRawValues();
};

// The text of a raw value of the parameter at index.
juce::String valueText (int index, float raw, const TextContext& context);

// The raw value of typed text, clamped to the parameter's range (integers
// rounded). Units are optional and understood ("200 Hz", "1.2 kHz", "1.5 s",
// "-6 dB", "25%", "MONO"); while a sync switch is on, note values ("1/8",
// "1/4T", "2b") pick a division, and times or rates pick the nearest one;
// while it is off, a note value is read as its time or rate at the tempo.
// Names ("Sine", "Wavey", "On") are read in any case. Text that holds no
// number and no known word, or a number that is not finite, gives `current`
// back.
float parseValueText (int index, const juce::String& text, float current, const TextContext& context);

// Where the host-facing texts find what they depend on: the processor's raw
// parameter values and its last tempo, read as atomics at the moment a host
// asks, from whatever thread it asks on. Nothing locks; a text read while
// another parameter changes shows either side of the change.
struct LiveTextSource
{
    std::array<const std::atomic<float>*, table.size()> raw {};
    const std::atomic<float>* bpm = nullptr;

    // Defaults for anything not connected yet.
    TextContext read() const;
};
} // namespace params
