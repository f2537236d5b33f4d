#include "ProcessorFixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

// The audio thread runs flat out while the message thread replaces the whole
// state, applies presets, randomizes, steps through the history and reads the
// published taps and the meter. Under ThreadSanitizer this must report
// nothing; in every build the audio must stay finite.
TEST (Concurrency, StateChangesAndSnapshotReadsWhileAudioRuns)
{
    testsupport::ProcessorFixture f;
    auto& proc = *f.proc;
    f.set ("tp", 1.0f);
    f.set ("pitchOn", 1.0f);
    f.set ("trem", 1.0f);

    juce::MemoryBlock blob;
    proc.getStateInformation (blob);
    const auto& patches = proc.getPresetLibrary().getPatches();
    ASSERT_FALSE (patches.empty());

    std::atomic<bool> stop { false };
    std::atomic<bool> finite { true };
    std::atomic<int> blocks { 0 };

    std::thread audio ([&] {
        juce::AudioBuffer<float> buffer (2, testsupport::ProcessorFixture::blockSize);
        juce::MidiBuffer midi;
        juce::Random rng (3);
        while (! stop.load())
        {
            for (int c = 0; c < 2; ++c)
                for (int i = 0; i < buffer.getNumSamples(); ++i)
                    buffer.setSample (c, i, rng.nextFloat() - 0.5f);
            proc.processBlock (buffer, midi);
            for (int c = 0; c < 2; ++c)
                for (int i = 0; i < buffer.getNumSamples(); ++i)
                    if (! std::isfinite (buffer.getSample (c, i)))
                        finite = false;
            ++blocks;
        }
    });

    juce::Random rng (11);
    for (int round = 0; round < 60; ++round)
    {
        switch (round % 5)
        {
            case 0:
                proc.setStateInformation (blob.getData(), static_cast<int> (blob.getSize()));
                break;
            case 1:
                proc.applyPatch (patches[static_cast<std::size_t> (round) % patches.size()]);
                break;
            case 2:
                proc.randomizeParameters (rng);
                break;
            case 3:
                proc.randomStepBack();
                break;
            default:
                proc.getStateInformation (blob);
                break;
        }
        const auto taps = proc.getTapSnapshot();
        EXPECT_LE (taps.count, TapSet::maxTaps);
        proc.takeOutputPeak();
        juce::Thread::sleep (2);
    }

    // Let the audio thread see the last change before stopping it.
    const int seen = blocks.load();
    while (blocks.load() < seen + 4)
        juce::Thread::yield();
    stop = true;
    audio.join();

    EXPECT_TRUE (finite.load());
    EXPECT_GT (blocks.load(), 10);
}
