// The open editor's cost on the message thread: the editor on the desktop
// (an X display, e.g. under xvfb-run), its 30 Hz refresh and every repaint it
// asks for, with an audio thread feeding the processor at real-time pace and
// the visualizer animating (tape flutter moves it every frame, Wave moves
// the taps). Each iteration runs the message loop for a second and measures
// the CPU time the message thread took in it.
//
// The loop waits for events the way a host's or JUCE's own application loop
// does (blocked in poll until the next event). MessageManager::
// runDispatchLoopUntil instead polls and sleeps for a millisecond whenever
// the queue is empty: a thousand wake-ups a second that no host makes, which
// cost more than the editor itself.
#include "params/ParameterTable.h"
#include "plugin/PluginEditor.h"
#include "plugin/PluginProcessor.h"

#include <benchmark/benchmark.h>
#include <juce_events/juce_events.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>

#include <time.h>

namespace juce
{
// JUCE's event loop step (juce_linux_Messaging.cpp): with false it blocks
// until an event arrives, then dispatches it.
bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
} // namespace juce

namespace
{
constexpr double sampleRate = 48000.0;
constexpr int blockSize = 512;

double threadCpuSeconds()
{
    timespec t {};
    clock_gettime (CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double> (t.tv_sec) + static_cast<double> (t.tv_nsec) * 1.0e-9;
}

// Runs processBlock on its own thread, one block per block's worth of time,
// on a program-like input, so the meter and the taps move as they do in a
// session.
class AudioThread
{
public:
    explicit AudioThread (MassDelayAudioProcessor& p)
        : proc (p)
        , thread ([this] { run(); })
    {
    }

    ~AudioThread()
    {
        stop = true;
        thread.join();
    }

    AudioThread (const AudioThread&) = delete;
    AudioThread& operator= (const AudioThread&) = delete;

private:
    void run()
    {
        juce::AudioBuffer<float> buffer (2, blockSize);
        juce::MidiBuffer midi;
        const auto period = std::chrono::duration<double> (blockSize / sampleRate);
        auto next = std::chrono::steady_clock::now();
        std::int64_t sample = 0;
        while (! stop)
        {
            for (int i = 0; i < blockSize; ++i)
            {
                const double t = static_cast<double> (sample + i) / sampleRate;
                // Notes of a quarter second, every half second.
                const double envelope = std::fmod (t, 0.5) < 0.25 ? 0.3 : 0.0;
                buffer.setSample (0, i, static_cast<float> (envelope * std::sin (6.283185307 * 220.0 * t)));
                buffer.setSample (1, i, static_cast<float> (envelope * std::sin (6.283185307 * 331.0 * t)));
            }
            sample += blockSize;
            proc.processBlock (buffer, midi);
            next += std::chrono::duration_cast<std::chrono::steady_clock::duration> (period);
            std::this_thread::sleep_until (next);
        }
    }

    MassDelayAudioProcessor& proc;
    std::atomic<bool> stop { false };
    std::thread thread;
};

// Dispatches events, waiting in poll between them, until the time is up. The
// editor's 30 Hz timer wakes the loop, so it ends within a tick of it.
void runMessageLoopFor (std::chrono::milliseconds duration)
{
    const auto end = std::chrono::steady_clock::now() + duration;
    while (std::chrono::steady_clock::now() < end)
        juce::dispatchNextMessageOnSystemQueue (false);
}

void set (MassDelayAudioProcessor& proc, const char* id, float value)
{
    auto* p = proc.getValueTreeState().getParameter (id);
    p->setValueNotifyingHost (p->convertTo0to1 (value));
}

void BM_EditorOpen (benchmark::State& state)
{
    MassDelayAudioProcessor::setApplyDefaultPatchAtStartup (false);
    MassDelayAudioProcessor proc;
    proc.prepareToPlay (sampleRate, blockSize);
    set (proc, params::id::tapCount, 64.0f);
    set (proc, params::id::tape, 1.0f);
    set (proc, params::id::tapeFlutter, 60.0f);
    set (proc, params::id::wave, 1.0f);

    AudioThread audio (proc);
    std::unique_ptr<juce::AudioProcessorEditor> editor (proc.createEditorIfNeeded());
    editor->setVisible (true);
    editor->addToDesktop (0);
    auto* messages = juce::MessageManager::getInstance();
    messages->runDispatchLoopUntil (500); // the window appears and settles

    double busy = 0.0, wall = 0.0;
    for (auto _ : state)
    {
        const double cpuBefore = threadCpuSeconds();
        const auto before = std::chrono::steady_clock::now();
        runMessageLoopFor (std::chrono::milliseconds (1000));
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - before;
        const double cpu = threadCpuSeconds() - cpuBefore;
        state.SetIterationTime (cpu);
        busy += cpu;
        wall += elapsed.count();
    }
    state.counters["core_percent"] = wall > 0.0 ? 100.0 * busy / wall : 0.0;

    editor.reset();
    messages->runDispatchLoopUntil (50);
}
} // namespace

BENCHMARK (BM_EditorOpen)->UseManualTime()->Iterations (5)->Unit (benchmark::kMillisecond);

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;
    benchmark::Initialize (&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
