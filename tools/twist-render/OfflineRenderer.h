#pragma once

#include "plugin/PluginProcessor.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <functional>

// Plays the host for one processor, offline: lays out its buses for mono or
// stereo, prepares it, and feeds it the input block by block with a running
// transport, then the tail. The processor is used exactly as a host uses it.
class OfflineRenderer
{
public:
    struct Settings
    {
        double sampleRate = 48000.0;
        int numChannels = 2;
        int blockSize = 512;
        double bpm = 120.0;
        double ppqStart = 0.0;
        bool tailAuto = true;
        double tailSeconds = 0.0; // when not automatic
    };

    // A transport that plays from ppqStart at a fixed tempo in 4/4 and is
    // placed at the first sample of every block before the block runs.
    class Transport : public juce::AudioPlayHead
    {
    public:
        Transport (double bpm, double ppqStart, double sampleRate);
        void setSamplePosition (juce::int64 samples) { position = samples; }
        juce::Optional<PositionInfo> getPosition() const override;

    private:
        double bpm, ppqStart, sampleRate;
        juce::int64 position = 0;
    };

    // Fills the whole block with the input from the given position on.
    using Source = std::function<bool (juce::AudioBuffer<float>& block, juce::int64 position)>;
    // Takes a block of output; false stops the render.
    using Sink = std::function<bool (const juce::AudioBuffer<float>& block)>;
    // Samples done so far and the expected total.
    using Progress = std::function<void (juce::int64 done, juce::int64 total)>;

    struct Outcome
    {
        bool ok = false;
        juce::int64 length = 0;     // samples handed to the sink
        juce::int64 tailLength = 0; // of which after the input
        float peak = 0.0f;          // largest absolute output sample
        TapSet taps {};             // as published after the first block
    };

    OfflineRenderer (MassDelayAudioProcessor& processor, const Settings& settings);
    ~OfflineRenderer();

    // The input, then the tail: a fixed number of seconds, or (automatic)
    // until every tap has echoed the last input sample and the output has
    // stayed below -90 dBFS for half a second, at most 15 s; the automatic
    // tail ends with the last block that reaches -90 dBFS.
    Outcome render (juce::int64 inputLength, const Source& source, const Sink& sink, const Progress& progress);

    // The tap set after one block of silence, for reports without a render.
    TapSet tapsWithoutRender();

    static constexpr double silenceDb = -90.0;
    static constexpr double maxTailSeconds = 15.0;
    static constexpr double quietSeconds = 0.5;

private:
    void processBlock (juce::AudioBuffer<float>& block, juce::int64 position);

    MassDelayAudioProcessor& processor;
    Settings settings;
    Transport transport;
    juce::MidiBuffer midi;
};
