#include "host/HostedPlugin.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <atomic>
#include <cmath>
#include <thread>

using testsupport::HostedPlugin;

namespace
{
struct FormatCase
{
    const char* what;
    HostedPlugin::Format format;
};

class HostedEditor : public ::testing::TestWithParam<FormatCase>
{};

// Runs blocks of a sine through the plug-in on its own thread, as a host's
// audio thread would, until stopped. Never more than the prepared block size.
class AudioThread
{
public:
    AudioThread (juce::AudioPluginInstance& p, int blockSize)
        : plugin (p)
        , buffer (2, blockSize)
        , thread ([this] { run(); })
    {
    }

    ~AudioThread() { stop(); }

    void stop()
    {
        running = false;
        if (thread.joinable())
            thread.join();
    }

    int blocks() const { return blockCount.load(); }
    bool allFinite() const { return finite.load(); }

private:
    void run()
    {
        juce::MidiBuffer midi;
        double phase = 0.0;
        while (running)
        {
            for (int i = 0; i < buffer.getNumSamples(); ++i)
            {
                const auto s = static_cast<float> (0.25 * std::sin (phase));
                phase += 0.05;
                buffer.setSample (0, i, s);
                buffer.setSample (1, i, s);
            }
            plugin.processBlock (buffer, midi);
            for (int c = 0; c < 2; ++c)
                for (int i = 0; i < buffer.getNumSamples(); ++i)
                    if (! std::isfinite (buffer.getSample (c, i)))
                        finite = false;
            ++blockCount;
            std::this_thread::sleep_for (std::chrono::milliseconds (2));
        }
    }

    juce::AudioPluginInstance& plugin;
    juce::AudioBuffer<float> buffer;
    std::atomic<bool> running { true };
    std::atomic<int> blockCount { 0 };
    std::atomic<bool> finite { true };
    std::thread thread;
};

void pump (int ms)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (ms);
}
} // namespace

TEST_P (HostedEditor, OpensOnTheDesktopAndClosesCleanlyAgainAndAgainWhileAudioRuns)
{
    constexpr double rate = 48000.0;
    constexpr int block = 256;
    HostedPlugin plugin (GetParam().format, rate, block);
    ASSERT_NE (plugin.get(), nullptr) << plugin.error;
    ASSERT_TRUE (plugin->hasEditor());
    plugin->prepareToPlay (rate, block);

    AudioThread audio (*plugin.get(), block);

    for (int round = 0; round < 3; ++round)
    {
        std::unique_ptr<juce::AudioProcessorEditor> editor (plugin->createEditorIfNeeded());
        ASSERT_NE (editor, nullptr) << "round " << round;

        editor->setVisible (true);
        editor->addToDesktop (0);
        ASSERT_NE (editor->getPeer(), nullptr);

        // The host builds the plug-in's view (and with it our editor); let its
        // timers and the audio run a while.
        const int blocksBefore = audio.blocks();
        for (int i = 0; i < 50 && (editor->getWidth() != 460 || audio.blocks() < blocksBefore + 10); ++i)
            pump (20);
        pump (200);

        EXPECT_EQ (editor->getWidth(), 460) << "round " << round;
        EXPECT_EQ (editor->getHeight(), 392) << "round " << round;
        EXPECT_GT (audio.blocks(), blocksBefore) << "audio kept running with the editor open";

        // Closed as a host closes it: the editor goes while its window is still
        // up, so the plug-in's view is detached before the window is destroyed.
        editor.reset();
        pump (50);
        EXPECT_EQ (plugin->getActiveEditor(), nullptr);
    }

    audio.stop();
    EXPECT_TRUE (audio.allFinite());
    plugin->releaseResources();
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Formats, HostedEditor,
                          ::testing::Values (FormatCase { "VST3", HostedPlugin::Format::VST3 },
                                             FormatCase { "LV2", HostedPlugin::Format::LV2 }),
                          testsupport::NameFromWhat());
// clang-format on
