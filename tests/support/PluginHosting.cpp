// JUCE's VST3 and LV2 hosting, for the tests that load the built bundles as a
// host would. The plug-in's shared code is built without any hosting, so its
// bundles carry none; this file compiles the two hosting formats of JUCE's
// audio-processors module on their own, after what that module's own source
// sets up for them on Linux.

#define JUCE_CORE_INCLUDE_NATIVE_HEADERS 1
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_extra/juce_gui_extra.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <sys/utsname.h>
#undef KeyPress

#if ! (JUCE_PLUGINHOST_VST3 && JUCE_PLUGINHOST_LV2)
#error "The hosting library is built with JUCE_PLUGINHOST_VST3 and JUCE_PLUGINHOST_LV2"
#endif

namespace juce
{
// Runs callback on the message thread and waits for it (as the module's own
// source defines it for the formats).
template <typename Callback>
void callOnMessageThread (Callback&& callback)
{
    if (MessageManager::getInstance()->existsAndIsLockedByCurrentThread())
    {
        callback();
        return;
    }

    WaitableEvent completionEvent;
    MessageManager::callAsync ([&callback, &completionEvent] {
        callback();
        completionEvent.signal();
    });
    completionEvent.wait();
}
} // namespace juce

#include <juce_audio_processors/utilities/juce_FlagCache.h>

#include <juce_audio_processors/format_types/juce_LV2PluginFormat.cpp>
#include <juce_audio_processors/format_types/juce_VST3PluginFormat.cpp>
