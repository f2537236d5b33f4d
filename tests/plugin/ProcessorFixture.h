#pragma once

#include "plugin/PluginProcessor.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>
#include <optional>

namespace testsupport
{
// A transport the tests control: tempo, position and playing flag, or no
// position at all.
class TestPlayHead : public juce::AudioPlayHead
{
public:
    std::optional<double> bpm = 120.0;
    double ppq = 0.0;
    bool playing = true;
    bool hasPosition = true;

    juce::Optional<PositionInfo> getPosition() const override
    {
        if (! hasPosition)
            return {};
        PositionInfo info;
        if (bpm.has_value())
            info.setBpm (*bpm);
        info.setPpqPosition (ppq);
        info.setIsPlaying (playing);
        return info;
    }
};

// A processor prepared for stereo at 48 kHz with blocks of 512, a play head
// and helpers to set parameters in their own units.
struct ProcessorFixture
{
    static constexpr double sampleRate = 48000.0;
    static constexpr int blockSize = 512;

    std::unique_ptr<MassDelayAudioProcessor> proc = std::make_unique<MassDelayAudioProcessor>();
    TestPlayHead playHead;

    ProcessorFixture()
    {
        proc->setPlayHead (&playHead);
        proc->prepareToPlay (sampleRate, blockSize);
    }

    juce::RangedAudioParameter& param (const juce::String& id)
    {
        auto* p = proc->getValueTreeState().getParameter (id);
        jassert (p != nullptr);
        return *p;
    }

    // Sets a parameter in its own units, as a host or preset would.
    void set (const juce::String& id, float value)
    {
        auto& p = param (id);
        p.setValueNotifyingHost (p.convertTo0to1 (value));
    }

    // Runs one block of silence (stereo) through processBlock.
    void runBlock (int numSamples = blockSize)
    {
        juce::AudioBuffer<float> buffer (2, numSamples);
        buffer.clear();
        juce::MidiBuffer midi;
        proc->processBlock (buffer, midi);
    }
};
} // namespace testsupport
