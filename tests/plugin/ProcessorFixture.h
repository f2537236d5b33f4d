#pragma once

#include "plugin/PluginProcessor.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>
#include <optional>

namespace testsupport
{
// Uniform noise in -level..level, the same for the same seed.
inline juce::AudioBuffer<float> noise (int channels, int samples, int seed, float level = 1.0f)
{
    juce::Random rng (seed);
    juce::AudioBuffer<float> b (channels, samples);
    for (int c = 0; c < channels; ++c)
        for (int i = 0; i < samples; ++i)
            b.setSample (c, i, (rng.nextFloat() * 2.0f - 1.0f) * level);
    return b;
}

// Every channel of a equals b's, sample for sample.
inline bool identical (const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b)
{
    for (int c = 0; c < a.getNumChannels(); ++c)
        for (int i = 0; i < a.getNumSamples(); ++i)
            if (a.getSample (c, i) != b.getSample (c, i))
                return false;
    return true;
}

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
