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

namespace
{
// What the host hears from the plug-in: every parameter change and gesture
// it reports, by parameter name (from whatever thread the format uses).
class HostEar : private juce::AudioProcessorParameter::Listener
{
public:
    explicit HostEar (juce::AudioPluginInstance& p)
        : plugin (p)
    {
        for (auto* param : plugin.getParameters())
            if (param != plugin.getBypassParameter())
                param->addListener (this);
    }

    ~HostEar() override
    {
        for (auto* param : plugin.getParameters())
            param->removeListener (this);
    }

    juce::StringArray heard() const
    {
        const juce::ScopedLock sl (lock);
        return names;
    }

    void clear()
    {
        const juce::ScopedLock sl (lock);
        names.clear();
    }

private:
    void parameterValueChanged (int index, float) override { note (index, ""); }
    void parameterGestureChanged (int index, bool starting) override
    {
        note (index, starting ? " (gesture begins)" : " (gesture ends)");
    }

    void note (int index, const char* what)
    {
        const juce::ScopedLock sl (lock);
        names.add (plugin.getParameters()[index]->getName (100) + what);
    }

    juce::AudioPluginInstance& plugin;
    juce::CriticalSection lock;
    juce::StringArray names;
};

juce::AudioProcessorParameter* hostedParameter (juce::AudioPluginInstance& plugin, const juce::String& name)
{
    for (auto* p : plugin.getParameters())
        if (p != plugin.getBypassParameter() && p->getName (100) == name)
            return p;
    return nullptr;
}
} // namespace

TEST_P (HostedEditor, SitsOpenOnASyncedPatchWithoutReportingAnyParameterChange)
{
    constexpr double rate = 48000.0;
    constexpr int block = 256;
    HostedPlugin plugin (GetParam().format, rate, block);
    ASSERT_NE (plugin.get(), nullptr) << plugin.error;
    plugin->prepareToPlay (rate, block);

    // Tap Sync on, the start at 16 beats (8 s at the 120 BPM a host without
    // a transport means) and the predelay at its end, where a synced start
    // that long puts it. Every value here is its range's end, which both
    // formats normalise to 1.
    for (const auto* name : { "Tap Sync", "Start", "Predelay" })
    {
        auto* p = hostedParameter (*plugin.get(), name);
        ASSERT_NE (p, nullptr) << name;
        p->setValue (1.0f);
    }

    AudioThread audio (*plugin.get(), block);
    for (int i = 0; i < 100 && audio.blocks() < 20; ++i)
        pump (10);

    HostEar ear (*plugin.get());
    std::unique_ptr<juce::AudioProcessorEditor> editor (plugin->createEditorIfNeeded());
    ASSERT_NE (editor, nullptr);
    editor->setVisible (true);
    editor->addToDesktop (0);

    // Two seconds open: some sixty refreshes of the editor.
    for (int i = 0; i < 100 && editor->getWidth() != 460; ++i)
        pump (20);
    ASSERT_EQ (editor->getWidth(), 460);
    pump (2000);
    EXPECT_TRUE (ear.heard().isEmpty()) << ear.heard().joinIntoString (", ").toStdString();

    // The ear does hear the editor: Tap Sync turned off by the host makes
    // the editor convert the spacings (and switch the 4X range on).
    hostedParameter (*plugin.get(), "Tap Sync")->setValue (0.0f);
    juce::StringArray heard;
    for (int i = 0; i < 100 && ! heard.contains ("In/Out 4x"); ++i)
    {
        pump (20);
        heard = ear.heard();
    }
    EXPECT_TRUE (heard.contains ("In/Out 4x")) << heard.joinIntoString (", ").toStdString();
    EXPECT_TRUE (heard.contains ("End")) << heard.joinIntoString (", ").toStdString();

    editor.reset();
    pump (50);
    audio.stop();
    plugin->releaseResources();
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Formats, HostedEditor,
                          ::testing::Values (FormatCase { "VST3", HostedPlugin::Format::VST3 },
                                             FormatCase { "LV2", HostedPlugin::Format::LV2 }),
                          testsupport::NameFromWhat());
// clang-format on
