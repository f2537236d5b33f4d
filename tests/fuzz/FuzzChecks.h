#pragma once

#include "FuzzTargets.h"
#include "plugin/PluginProcessor.h"

#include <cstdint>
#include <vector>

namespace fuzzing
{
// One processor per process, prepared as a host would prepare it, and the
// state it had when new: every body starts its input from there, so an input
// does the same whatever ran before it.
struct World
{
    static constexpr double sampleRate = 22050.0; // keeps the clearing of the 15 s line cheap
    static constexpr int blockSize = 64;

    MassDelayAudioProcessor processor;
    juce::MemoryBlock freshState;

    World();
    void startFresh();
};

World& world();

// Every parameter's raw value finite and inside its range, its normalised
// value inside 0..1, the seeds and the random matrix readable.
Outcome checkParameters (MassDelayAudioProcessor& proc, const char* when);

// One block of noise through processBlock: every output sample finite and
// the published taps inside the tap set's limits.
Outcome processAndCheck (MassDelayAudioProcessor& proc, const char* when);

// What a state save has to keep: every parameter's normalised value and the
// three seeds.
struct SavedValues
{
    std::vector<float> values;
    std::uint32_t seeds[3] {};
    bool operator== (const SavedValues&) const = default;
};
SavedValues savedValues (MassDelayAudioProcessor& proc);
juce::String describeDifference (const SavedValues& a, const SavedValues& b);

juce::String quote (const juce::String& text); // for messages: at most 80 characters, escaped
} // namespace fuzzing
