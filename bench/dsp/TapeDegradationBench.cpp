#include "dsp/TapeDegradation.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace
{
// processStereo with flutter and head bump on, in blocks of 512 samples.
// Args: sampling rate in Hz, OD mode (0 or 1).
void tapeProcessStereo (benchmark::State& state)
{
    const auto sampleRate = static_cast<float> (state.range (0));
    const bool od = state.range (1) != 0;
    constexpr int block = 512;

    dsp::TapeDegradation tape;
    tape.prepare (sampleRate);
    tape.setOdMode (od);
    tape.setSoar (60.0f);
    tape.setSoften (70.0f);
    tape.setHeadBump (60.0f);
    tape.setFlutter (70.0f);
    tape.setFlutterSpeed (60.0f);
    tape.setOutputGain (55.0f);
    tape.setWet (90.0f);

    std::vector<float> srcL (block), srcR (block);
    for (int i = 0; i < block; ++i)
    {
        const double w = 2.0 * 3.14159265358979323846 * 441.0 * i / sampleRate;
        srcL[static_cast<std::size_t> (i)] = static_cast<float> (0.5 * std::sin (w));
        srcR[static_cast<std::size_t> (i)] = static_cast<float> (0.5 * std::cos (w));
    }
    std::vector<float> left (block), right (block);

    for (auto _ : state)
    {
        // Fresh input each block; the copy costs well under 1% of the block.
        left = srcL;
        right = srcR;
        tape.processStereo (left.data(), right.data(), block);
        benchmark::DoNotOptimize (left.data());
        benchmark::DoNotOptimize (right.data());
        benchmark::ClobberMemory();
    }

    // Samples are stereo frames; rates are per second of wall time, inverted
    // to seconds per frame and scaled to nanoseconds.
    const auto frames = static_cast<double> (block);
    state.SetItemsProcessed (state.iterations() * block);
    state.counters["ns_per_sample"] =
        benchmark::Counter (frames * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    // Seconds of audio processed per second of wall time.
    state.counters["x_realtime"] =
        benchmark::Counter (frames / static_cast<double> (sampleRate), benchmark::Counter::kIsIterationInvariantRate);
}
} // namespace

BENCHMARK (tapeProcessStereo)
    ->ArgNames ({ "rate", "od" })
    ->Args ({ 44100, 0 })
    ->Args ({ 96000, 0 })
    ->Args ({ 44100, 1 })
    ->Args ({ 96000, 1 });
