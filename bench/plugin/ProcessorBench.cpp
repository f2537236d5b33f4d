// Whole processBlock at 48 kHz with 512-sample blocks, as a host runs it.
#include "plugin/PluginProcessor.h"

#include <benchmark/benchmark.h>
#include <juce_events/juce_events.h>

#include <cmath>

namespace
{
constexpr double sampleRate = 48000.0;
constexpr int blockSize = 512;

class Bench
{
public:
    Bench()
    {
        MassDelayAudioProcessor::setApplyDefaultPatchAtStartup (false);
        proc = std::make_unique<MassDelayAudioProcessor>();
        proc->prepareToPlay (sampleRate, blockSize);
        buffer.setSize (2, blockSize);

        // About a second of program-like input, computed once: two detuned
        // partials, never silent.
        source.setSize (2, blockSize * numSourceBlocks);
        for (int i = 0; i < source.getNumSamples(); ++i)
        {
            const double t = i / sampleRate;
            source.setSample (0, i,
                              static_cast<float> (0.3 * std::sin (6.283185307 * 220.0 * t)
                                                  + 0.1 * std::sin (6.283185307 * 1330.0 * t)));
            source.setSample (1, i,
                              static_cast<float> (0.3 * std::sin (6.283185307 * 221.0 * t)
                                                  + 0.1 * std::sin (6.283185307 * 1327.0 * t)));
        }
    }

    void set (const char* id, float value)
    {
        auto* p = proc->getValueTreeState().getParameter (id);
        p->setValueNotifyingHost (p->convertTo0to1 (value));
    }

    void fill()
    {
        const int start = (nextBlock++ % numSourceBlocks) * blockSize;
        for (int ch = 0; ch < 2; ++ch)
            buffer.copyFrom (ch, 0, source, ch, start, blockSize);
    }

    void process()
    {
        fill();
        proc->processBlock (buffer, midi);
    }

    void processSilence()
    {
        buffer.clear();
        proc->processBlock (buffer, midi);
    }

    std::unique_ptr<MassDelayAudioProcessor> proc;
    juce::AudioBuffer<float> buffer;
    juce::MidiBuffer midi;

private:
    static constexpr int numSourceBlocks = 94;
    juce::AudioBuffer<float> source;
    int nextBlock = 0;
};

void report (benchmark::State& state)
{
    state.counters["ns_per_sample"] =
        benchmark::Counter (static_cast<double> (blockSize) * 1.0e-9,
                            benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["x_realtime"] = benchmark::Counter (static_cast<double> (blockSize) / sampleRate,
                                                       benchmark::Counter::kIsIterationInvariantRate);
}

// 64 taps spread over a long window, all effects off.
void staticTaps (Bench& b)
{
    b.set ("tapCnt", 64.0f);
    b.set ("s", 380.0f);
    b.set ("e", 380.0f);
    b.set ("fb", 1000.0f);
}

void fullLoad (Bench& b)
{
    staticTaps (b);
    for (const char* id : { "tp", "pitchOn", "trem", "wo" })
        b.set (id, 1.0f);
    b.set ("flutter", 60.0f);
    b.set ("headBump", 60.0f);
    b.set ("tDarken", 60.0f);
    b.set ("pitchRt", 500.0f);
    b.set ("pitchDp", 50.0f);
    b.set ("pitchFbk", 50.0f);
    b.set ("ppW", 70.0f);
}

// One timed block: kept out of line so that a profiler can count the timed
// blocks apart from the warm-up (valgrind --toggle-collect='*timedBlock*').
[[gnu::noinline]] void timedBlock (Bench& b, bool silent)
{
    if (silent)
        b.processSilence();
    else
        b.process();
}

// Warms up with the given settings, then times one block per iteration,
// calling `eachBlock` before it.
template <typename Setup, typename EachBlock>
void run (benchmark::State& state, Setup setup, EachBlock eachBlock)
{
    Bench b;
    setup (b);
    for (int i = 0; i < 50; ++i)
        b.process();
    int step = 0;
    for (auto _ : state)
    {
        eachBlock (b, step++);
        timedBlock (b, false);
    }
    report (state);
}

void BM_StaticTaps64 (benchmark::State& state)
{
    run (state, staticTaps, [] (Bench&, int) {});
}

void BM_FullLoad (benchmark::State& state)
{
    run (state, fullLoad, [] (Bench&, int) {});
}

// `s` changes every block: every voice keeps queueing crossfades.
void BM_CrossfadeStorm (benchmark::State& state)
{
    run (state, staticTaps, [] (Bench& b, int step) { b.set ("s", 360.0f + static_cast<float> (step % 40)); });
}

// Twist moves every block: every voice glides.
void BM_TwistSweep (benchmark::State& state)
{
    run (state, staticTaps, [] (Bench& b, int step) { b.set ("g", static_cast<float> (step % 200 - 100)); });
}

// The static case on a track that has gone quiet: the input stops and the
// timed blocks start once the longest echo the line can hold (15 s) has
// passed, so every echo is gone.
void BM_Silence (benchmark::State& state)
{
    Bench b;
    staticTaps (b);
    for (int i = 0; i < 50; ++i)
        b.process();
    const int quietBlocks = static_cast<int> (16.0 * sampleRate) / blockSize;
    for (int i = 0; i < quietBlocks; ++i)
        b.processSilence();
    for (auto _ : state)
        timedBlock (b, true);
    report (state);
}
} // namespace

BENCHMARK (BM_StaticTaps64);
BENCHMARK (BM_FullLoad);
BENCHMARK (BM_CrossfadeStorm);
BENCHMARK (BM_TwistSweep);
BENCHMARK (BM_Silence);

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;
    benchmark::Initialize (&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
