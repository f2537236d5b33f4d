#pragma once

// What the hosted-plug-in tests share: a host's audio thread, its message
// loop, its ear on the plug-in's parameters, and the screen they share.

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <sys/file.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <fcntl.h>
#include <iostream>
#include <memory>
#include <thread>
#include <unistd.h>

namespace testsupport
{
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

inline void pump (int ms)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (ms);
}

// JUCE's host-side window for a VST3 editor answers a configure event of the
// plug-in's window with a message that refers to the host window itself; one
// still queued when that window goes runs on freed memory (a crash seen after
// the editor resized, on a loaded machine). So an editor that may have
// resized is closed only once its bounds have held still for 200 ms and every
// message queued until then has run.
inline void closeOnceSettled (std::unique_ptr<juce::AudioProcessorEditor>& editor)
{
    if (editor != nullptr)
    {
        auto last = editor->getScreenBounds();
        for (int held = 0, i = 0; held < 10 && i < 250; ++i)
        {
            pump (20);
            const auto now = editor->getScreenBounds();
            held = now == last ? held + 1 : 0;
            last = now;
        }
        const auto ran = std::make_shared<std::atomic<bool>> (false);
        juce::MessageManager::callAsync ([ran] { ran->store (true); });
        for (int i = 0; i < 500 && ! ran->load(); ++i)
            pump (10);
    }
    editor.reset();
}

// Test programs share the X server and its one pointer; whoever moves it
// holds this lock.
class PointerLock
{
public:
    PointerLock()
        : fd (open ("/tmp/twist-delay-x-pointer.lock", O_CREAT | O_RDWR, 0666))
    {
        if (fd >= 0)
            flock (fd, LOCK_EX);
    }
    ~PointerLock()
    {
        if (fd >= 0)
        {
            flock (fd, LOCK_UN);
            close (fd);
        }
    }
    PointerLock (const PointerLock&) = delete;
    PointerLock& operator= (const PointerLock&) = delete;

private:
    int fd;
};

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

inline juce::AudioProcessorParameter* hostedParameter (juce::AudioPluginInstance& plugin, const juce::String& name)
{
    for (auto* p : plugin.getParameters())
        if (p != plugin.getBypassParameter() && p->getName (100) == name)
            return p;
    return nullptr;
}

inline int countNear (const juce::Image& image, juce::Rectangle<int> area, juce::Colour colour, int tolerance)
{
    int n = 0;
    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
        {
            const auto c = image.getPixelAt (x, y);
            const int d =
                std::max ({ std::abs (c.getRed() - colour.getRed()), std::abs (c.getGreen() - colour.getGreen()),
                            std::abs (c.getBlue() - colour.getBlue()) });
            n += d <= tolerance ? 1 : 0;
        }
    return n;
}

inline bool savePng (const juce::Image& image, const juce::String& name)
{
    const juce::File folder (TWIST_HOST_SNAPSHOT_DIR);
    folder.createDirectory();
    const auto file = folder.getChildFile (name);
    file.deleteFile();
    juce::FileOutputStream out (file);
    juce::PNGImageFormat png;
    const bool ok = out.openedOk() && png.writeImageToStream (image, out);
    std::cout << "hosted editor snapshot: " << file.getFullPathName() << std::endl;
    return ok;
}
} // namespace testsupport
