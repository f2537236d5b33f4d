// Every sample rate a host may run at and every block size it may hand over,
// changed while playing as hosts change them (release, prepare again, go on),
// with every parameter automated all along.
#include "host/HostedPlugin.h"

#include "params/ParameterTable.h"
#include "plugin/PluginProcessor.h"
#include "support/AllocationCounter.h"
#include "support/CaseName.h"
#include "support/ProgramFolderSandbox.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <vector>

using testsupport::HostedPlugin;

namespace
{
constexpr double rates[] = { 22050.0, 44100.0, 48000.0, 88200.0, 96000.0, 176400.0, 192000.0 };
constexpr int blockSizes[] = { 1, 7, 64, 512, 4096, 8192 };

// What is played at one rate and block size: twenty milliseconds, at most
// 1024 blocks (the single-sample blocks stay cheap), at least two blocks.
int samplesToPlay (double rate, int block)
{
    const int wanted = std::min (static_cast<int> (rate * 0.02), 1024 * block);
    return std::max ((wanted + block - 1) / block, 2) * block;
}

// Automation: each parameter sweeps its whole range at a pace of its own.
float automated (int parameter, long long blockNumber)
{
    return 0.5f + 0.5f * static_cast<float> (std::sin (0.37 * parameter + 0.011 * (parameter % 7 + 1) * blockNumber));
}

// A block of noise in, the plug-in's output out: whether every sample came
// back finite, and how much came back.
struct Played
{
    bool finite = true;
    double energy = 0.0;
    std::size_t allocations = 0;
    std::size_t blocks = 0;
};

// countedBinary: whose allocations count (a hosted plug-in's binary, by file
// name: the host's own, around the call, do not), or every one with nullptr.
template <typename SetParameters>
void play (juce::AudioProcessor& processor, const char* countedBinary, double rate, int block, juce::Random& rng,
           long long& blockNumber, SetParameters&& setParameters, Played& played)
{
    juce::AudioBuffer<float> buffer (2, block);
    juce::MidiBuffer midi;
    for (int done = 0, total = samplesToPlay (rate, block); done < total; done += block)
    {
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < block; ++i)
                buffer.setSample (c, i, 0.5f * (rng.nextFloat() - 0.5f));
        // The automation of this block reaches the plug-in inside its
        // audio callback (the VST3 process call's parameter queue, the LV2
        // run's atom sequence), which must not allocate.
        setParameters (blockNumber);
        {
            testsupport::AllocationCounter counter (countedBinary);
            processor.processBlock (buffer, midi);
            played.allocations += counter.count();
        }
        ++blockNumber;
        ++played.blocks;
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < block; ++i)
            {
                const auto s = buffer.getSample (c, i);
                played.finite = played.finite && std::isfinite (s);
                played.energy += std::isfinite (s) ? std::abs (s) : 0.0;
            }
    }
}

struct FormatCase
{
    const char* what;
    HostedPlugin::Format format;
};

class HostedRatesAndBlocks : public ::testing::TestWithParam<FormatCase>
{};
} // namespace

TEST_P (HostedRatesAndBlocks, PlaysAtEveryRateAndBlockSizeChangedMidPlayWithEveryParameterAutomated)
{
    HostedPlugin plugin (GetParam().format, 48000.0, 512);
    ASSERT_NE (plugin.get(), nullptr) << plugin.error;

    // Every parameter the host has of ours: not its own bypass, nor the
    // program choice the VST3 wrapper adds (automating it would load a preset
    // per block, which is no automation).
    std::vector<juce::AudioProcessorParameter*> automatable;
    for (auto* p : plugin->getParameters())
        if (p != plugin->getBypassParameter() && p->getName (100) != "Program")
            automatable.push_back (p);
    ASSERT_EQ (automatable.size(), params::table.size());

    // JUCE's hosting allocates in its own processBlock (buffers of its
    // parameter and event queues); only the plug-in's binary is held to none.
    const auto binary =
        juce::File (GetParam().format == HostedPlugin::Format::VST3 ? TWIST_VST3_BINARY : TWIST_LV2_BINARY)
            .getFileName();

    juce::Random rng (11);
    long long blockNumber = 0;
    for (const auto rate : rates)
        for (const auto block : blockSizes)
        {
            SCOPED_TRACE (juce::String (rate) + " Hz, blocks of " + juce::String (block));
            plugin->releaseResources();
            plugin->setRateAndBufferSizeDetails (rate, block);
            plugin->prepareToPlay (rate, block);
            Played played;
            play (
                *plugin.get(), binary.toRawUTF8(), rate, block, rng, blockNumber,
                [&] (long long n) {
                    for (size_t i = 0; i < automatable.size(); ++i)
                        automatable[i]->setValue (automated (static_cast<int> (i), n));
                },
                played);
            EXPECT_TRUE (played.finite);
            EXPECT_GT (played.energy, 0.0);
            if (GetParam().format == HostedPlugin::Format::VST3)
            {
                // JUCE 7.0.5's VST3 wrapper, compiled into the binary, copies
                // the input bus's channel mapping (a std::vector) in every
                // process call (`const auto mapping = map[busIndex]` in
                // juce_VST3Common.h): one allocation a block, never ours. The
                // processor itself allocates nothing (the test below, at the
                // same rates and block sizes), so anything more is a fault.
                EXPECT_LE (played.allocations, played.blocks);
            }
            else
            {
                EXPECT_EQ (played.allocations, 0u);
            }
            if (HasFailure())
                return;
        }
    plugin->releaseResources();
}

// The tap times a patch asks for are times in milliseconds, whatever the
// rate. A hosted plug-in's tap set is out of a host's sight, so this part
// runs the processor itself through the same schedule, reading its published
// tap set after each change of rate and block size.
TEST (RatesAndBlocks, TheTapTimesInMillisecondsAreTheSameAtEveryRateAndBlockSize)
{
    // The processor keeps away from the user's own settings and presets.
    testsupport::ProgramFolderSandbox sandbox ("twist-delay-rates-tests-");
    sandbox.SetUp();
    struct TearDown
    {
        testsupport::ProgramFolderSandbox& s;
        ~TearDown() { s.TearDown(); }
    } tearDown { sandbox };

    MassDelayAudioProcessor processor;
    auto& parameters = processor.getParameters();

    // Where the automation leaves the patch before the taps are read: the
    // defaults with tap sync off (times in ms straight from the controls),
    // the layout bent and fewer taps.
    const std::map<juce::String, float> patch { { params::id::tapSync, 0.0f },
                                                { params::id::twist, 40.0f },
                                                { params::id::tapCount, 23.0f } };
    auto setValues = [&] {
        for (auto* p : parameters)
        {
            auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (p);
            const auto it = patch.find (ranged->getParameterID());
            ranged->setValueNotifyingHost (it != patch.end() ? ranged->convertTo0to1 (it->second)
                                                             : ranged->getDefaultValue());
        }
    };
    // Turning Tap Sync off converts the spacings to times once (a rule of
    // the processor's, at the next block); set again after that block, the
    // patch holds whatever the automation left switched on before.
    auto setPatch = [&] (int block) {
        setValues();
        juce::AudioBuffer<float> silence (2, block);
        silence.clear();
        juce::MidiBuffer none;
        processor.processBlock (silence, none);
        setValues();
    };

    // The taps once they hold still: read after every block until two reads
    // a block apart agree, for at most two seconds of audio.
    auto settledTaps = [&] (double rate, int block) {
        juce::AudioBuffer<float> buffer (2, block);
        juce::MidiBuffer midi;
        auto last = processor.getTapSnapshot();
        for (int done = 0; done < static_cast<int> (rate * 2.0); done += block)
        {
            buffer.clear();
            processor.processBlock (buffer, midi);
            const auto now = processor.getTapSnapshot();
            if (done > static_cast<int> (rate * 0.2) && now.count == last.count
                && std::equal (now.taps.begin(), now.taps.begin() + now.count, last.taps.begin(),
                               [] (const auto& a, const auto& b) { return a.timeMs == b.timeMs; }))
                return now;
            last = now;
        }
        return last;
    };

    processor.setRateAndBufferSizeDetails (48000.0, 512);
    processor.prepareToPlay (48000.0, 512);
    setPatch (512);
    const auto reference = settledTaps (48000.0, 512);
    ASSERT_GT (reference.count, 4);

    juce::Random rng (5);
    long long blockNumber = 0;
    for (const auto rate : rates)
        for (const auto block : blockSizes)
        {
            SCOPED_TRACE (juce::String (rate) + " Hz, blocks of " + juce::String (block));
            processor.releaseResources();
            processor.setRateAndBufferSizeDetails (rate, block);
            processor.prepareToPlay (rate, block);
            Played played;
            play (
                processor, nullptr, rate, block, rng, blockNumber,
                [&] (long long n) {
                    for (int i = 0; i < parameters.size(); ++i)
                        parameters[i]->setValueNotifyingHost (automated (i, n));
                },
                played);
            EXPECT_TRUE (played.finite);
            EXPECT_EQ (played.allocations, 0u);

            setPatch (block);
            const auto taps = settledTaps (rate, block);
            ASSERT_EQ (taps.count, reference.count);
            for (int i = 0; i < taps.count; ++i)
                EXPECT_EQ (taps.taps[static_cast<size_t> (i)].timeMs, reference.taps[static_cast<size_t> (i)].timeMs)
                    << "tap " << i;
            if (HasFailure())
                return;
        }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Formats, HostedRatesAndBlocks, ::testing::Values (
    FormatCase { "VST3", HostedPlugin::Format::VST3 },
    FormatCase { "LV2", HostedPlugin::Format::LV2 }),
    testsupport::NameFromWhat());
// clang-format on
