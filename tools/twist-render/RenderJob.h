#pragma once

#include "AudioFiles.h"
#include "CommandLine.h"
#include "OutputBatch.h"
#include "OutputTarget.h"
#include "plugin/PluginProcessor.h"

#include <memory>

// One run of twist-render: checks everything it is asked to do before it
// writes anything, sets up the plug-in's processor, renders, and delivers
// the audio, the tap table, the tap JSON, the plot and the state together:
// all of them, or (after an error) none.
class RenderJob
{
public:
    explicit RenderJob (const RenderOptions& options);
    ~RenderJob();

    // Does the job; returns the exit status (0, or 1 after an error message).
    int run();

    // The sample rate of tap reports made without a render.
    static constexpr double reportSampleRate = 48000.0;

private:
    juce::Result setUpSound();
    juce::Result openInput();
    juce::Result checkOutputs();
    juce::Result renderAudio (TapSet& taps);
    juce::Result writeTapFiles (const TapSet& taps);
    juce::Result writeState();
    juce::String soundLabel() const;

    void warn (const juce::String& message) const;
    void say (const juce::String& message) const;

    RenderOptions options;
    std::unique_ptr<MassDelayAudioProcessor> processor;
    AudioFiles files;
    OutputBatch batch;

    juce::File inputFile; // none for standard input, pipes and the demo
    OutputTarget output, tapsJson, plot, state;
    std::unique_ptr<juce::AudioFormatReader> reader;
    juce::AudioBuffer<float> demo;
    AudioFiles::OutputPlan plan;
    double sampleRate = reportSampleRate;
    int numChannels = 2;
    juce::StringArray delivered; // summary lines, said once everything is written
};
