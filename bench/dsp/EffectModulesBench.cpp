#include "dsp/Filter.h"
#include "dsp/PitchChorus.h"
#include "dsp/Tremolo.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace
{
constexpr float sampleRate = 48000.0f;
constexpr int blockSize = 512;

struct StereoBlock
{
    std::vector<float> left, right;

    StereoBlock()
        : left (blockSize)
        , right (blockSize)
    {
        // Program-like material: two detuned partials, never silent, so no
        // state decays into denormals.
        for (int i = 0; i < blockSize; ++i)
        {
            const auto t = static_cast<float> (i) / sampleRate;
            left[static_cast<std::size_t> (i)] =
                0.4f * std::sin (6.2831855f * 220.0f * t) + 0.2f * std::sin (6.2831855f * 1330.0f * t);
            right[static_cast<std::size_t> (i)] =
                0.4f * std::sin (6.2831855f * 221.0f * t) + 0.2f * std::sin (6.2831855f * 1327.0f * t);
        }
    }
};

// Per stereo frame (one sample of each channel).
void reportPerSample (benchmark::State& state)
{
    constexpr double frames = blockSize;
    state.counters["ns_per_sample"] = benchmark::Counter (frames * 1.0e-9, benchmark::Counter::kIsIterationInvariantRate
                                                                               | benchmark::Counter::kInvert);
    // Seconds of audio processed per second of CPU time.
    state.counters["x_realtime"] =
        benchmark::Counter (frames / static_cast<double> (sampleRate), benchmark::Counter::kIsIterationInvariantRate);
}

// The two echo filters, one per channel, as the processor runs them per block.
void BM_FilterStereo (benchmark::State& state)
{
    Filter left, right;
    left.prepare (sampleRate);
    right.prepare (sampleRate);
    StereoBlock in;
    StereoBlock work;
    for (auto _ : state)
    {
        work = in;
        left.setHP (180.0f);
        right.setHP (180.0f);
        left.setLP (6500.0f);
        right.setLP (6500.0f);
        left.process (work.left.data(), blockSize);
        right.process (work.right.data(), blockSize);
        benchmark::DoNotOptimize (work.left.data());
        benchmark::DoNotOptimize (work.right.data());
    }
    reportPerSample (state);
}
BENCHMARK (BM_FilterStereo);

// Arguments: shape, sync.
void BM_TremoloStereo (benchmark::State& state)
{
    dsp::Tremolo t;
    t.prepare (sampleRate);
    t.seed = 0xC0DEFADEu;
    StereoBlock in;
    StereoBlock work;
    double ppq = 0.0;
    for (auto _ : state)
    {
        work = in;
        t.setRate (3.0f);
        t.setDepth (80.0f);
        t.setShape (static_cast<int> (state.range (0)));
        t.setPhaseOffset (30.0f);
        t.setLROffset (90.0f);
        if (state.range (1) != 0)
            t.setSync (true, ppq, 120.0, 7, 0.0f, sampleRate);
        else
            t.setSync (false, 0.0, 120.0, 5, 0.0f, sampleRate);
        ppq += blockSize * 2.0 / sampleRate;
        t.processStereo (work.left.data(), work.right.data(), blockSize);
        benchmark::DoNotOptimize (work.left.data());
        benchmark::DoNotOptimize (work.right.data());
    }
    reportPerSample (state);
}
BENCHMARK (BM_TremoloStereo)
    ->ArgNames ({ "shape", "sync" })
    ->Args ({ 0, 0 })
    ->Args ({ 2, 0 })
    ->Args ({ 6, 0 })
    ->Args ({ 0, 1 })
    ->Args ({ 6, 1 });

// Arguments: LFO shape, length bend on.
void BM_PitchChorusStereo (benchmark::State& state)
{
    dsp::PitchChorus pc;
    pc.prepare (sampleRate);
    pc.cents = 12.0f;
    pc.mix = 0.8f;
    pc.lfoRate = 1.5f;
    pc.lfoDepth = 0.5f;
    pc.lfoShape = static_cast<int> (state.range (0));
    pc.wide = true;
    pc.regen = 40.0f;
    pc.twistLink = true;
    pc.twistAmount = 25.0f;
    pc.bendOn = state.range (1) != 0;
    pc.bendCents = 300.0f;
    StereoBlock in;
    StereoBlock work;
    for (auto _ : state)
    {
        work = in;
        pc.processStereo (work.left.data(), work.right.data(), blockSize, 250.0f);
        benchmark::DoNotOptimize (work.left.data());
        benchmark::DoNotOptimize (work.right.data());
    }
    reportPerSample (state);
}
BENCHMARK (BM_PitchChorusStereo)->ArgNames ({ "shape", "bend" })->Args ({ 0, 0 })->Args ({ 5, 0 })->Args ({ 0, 1 });
} // namespace
