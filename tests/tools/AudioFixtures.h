#pragma once

#include "LfoSeeds.h"
#include "plugin/PluginProcessor.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <optional>
#include <utility>
#include <vector>

namespace tooltest
{
// A decoded audio file.
struct AudioFileData
{
    juce::AudioBuffer<float> samples;
    double sampleRate = 0.0;
    int bits = 0;
    bool floatingPoint = false;
    juce::String format; // "WAV", "AIFF" or "FLAC"
};

// Reads a file with JUCE's readers; nullopt when no reader takes it.
std::optional<AudioFileData> readAudio (const juce::File& file);

// Writes a buffer as "wav", "aiff" or "flac" at the given bit depth.
bool writeAudio (const juce::File& file, const juce::AudioBuffer<float>& samples, double sampleRate,
                 const juce::String& format, int bits);

// A test signal: decaying noise bursts and tones with silence between them,
// peaking near -6 dBFS, different in each channel; the same for the same seed.
juce::AudioBuffer<float> testSignal (int numChannels, double sampleRate, double seconds, int seed = 1);

// The settings a reference render is made with, mirroring twist-render's
// options.
struct ReferenceSettings
{
    juce::String presetId = "Traditional/INIT PATCH";
    juce::MemoryBlock state;                            // used instead of the preset when not empty
    std::vector<std::pair<juce::String, float>> params; // raw values
    std::optional<LfoSeeds> seeds;
    double sampleRate = 48000.0;
    int blockSize = 512;
    double bpm = 120.0;
    double ppqStart = 0.0;
};

struct ReferenceRender
{
    juce::AudioBuffer<float> output; // input length plus tail
    TapSet taps {};                  // as published after the first block
};

// The plug-in's processor run here, as a host would run it: the starting
// sound, the parameters and seeds, the bus layout of the input, then the
// input and tailSamples of silence in blocks with a moving transport.
ReferenceRender renderWithProcessor (const ReferenceSettings& settings, const juce::AudioBuffer<float>& input,
                                     int tailSamples);

// The index of the last sample at or above the level in any channel, or -1.
int lastSampleAtOrAbove (const juce::AudioBuffer<float>& buffer, float level);

// A file's bytes, for "not modified" checks.
juce::MemoryBlock fileBytes (const juce::File& file);
} // namespace tooltest
