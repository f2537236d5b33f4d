#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <atomic>
#include <memory>

namespace testsupport
{
// Runs the message loop, as a host's does between its other work.
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
} // namespace testsupport
