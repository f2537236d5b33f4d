#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

// The phrase twist-render plays when no input file is given: plucked notes
// and percussive hits with silences between them, so that every echo can be
// heard on its own. Synthesised in code (no audio files needed), identical
// on every run: stereo, 48 kHz, 5 s, peaks at -6 dBFS.
struct DemoPhrase
{
    static constexpr double sampleRate = 48000.0;
    static constexpr int numChannels = 2;
    static constexpr double lengthSeconds = 5.0;

    static juce::AudioBuffer<float> render();
};
