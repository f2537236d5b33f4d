// A short session of a host with the built plug-ins, for `make memcheck` to
// run under valgrind's memcheck: each format loaded through JUCE's hosting,
// played, its editor opened and closed three times while audio runs, its
// state saved and restored, and unloaded. Prints what it did; exits 1 when a
// step fails.
#include "host/HostedPlugin.h"
#include "host/HostedSession.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <cmath>
#include <cstdlib>
#include <iostream>

using testsupport::HostedPlugin;

namespace
{
int failures = 0;

void check (bool ok, const juce::String& what)
{
    std::cout << (ok ? "ok: " : "FAILED: ") << what << std::endl;
    failures += ok ? 0 : 1;
}

// Blocks of a sine through the plug-in; whether all came back finite.
bool play (juce::AudioPluginInstance& plugin, int blocks)
{
    juce::AudioBuffer<float> buffer (2, 512);
    juce::MidiBuffer midi;
    bool finite = true;
    for (int b = 0; b < blocks; ++b)
    {
        for (int i = 0; i < 512; ++i)
        {
            const auto s = static_cast<float> (0.25 * std::sin (0.05 * (b * 512 + i)));
            buffer.setSample (0, i, s);
            buffer.setSample (1, i, s);
        }
        plugin.processBlock (buffer, midi);
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < 512; ++i)
                finite = finite && std::isfinite (buffer.getSample (c, i));
    }
    return finite;
}

juce::AudioProcessorParameter* named (juce::AudioPluginInstance& plugin, const juce::String& name)
{
    for (auto* p : plugin.getParameters())
        if (p != plugin.getBypassParameter() && p->getName (100) == name)
            return p;
    return nullptr;
}

void session (HostedPlugin::Format format, const char* name)
{
    HostedPlugin plugin (format, 48000.0, 512);
    check (plugin.get() != nullptr, juce::String (name) + " loads " + plugin.error);
    if (plugin.get() == nullptr)
        return;
    plugin->prepareToPlay (48000.0, 512);
    check (play (*plugin.get(), 40), juce::String (name) + " plays");

    for (int round = 1; round <= 3; ++round)
    {
        std::unique_ptr<juce::AudioProcessorEditor> editor (plugin->createEditorIfNeeded());
        check (editor != nullptr, juce::String (name) + " opens its editor, " + juce::String (round));
        if (editor == nullptr)
            break;
        editor->setVisible (true);
        editor->addToDesktop (0);
        // Everything runs many times slower under memcheck.
        for (int i = 0; i < 300 && editor->getWidth() != 460; ++i)
            testsupport::pump (50);
        check (editor->getWidth() == 460, juce::String (name) + " editor at its width");
        for (int i = 0; i < 10; ++i)
        {
            play (*plugin.get(), 2);
            testsupport::pump (50);
        }
        testsupport::closeOnceSettled (editor);
        testsupport::pump (50);
    }

    // Saved, changed, restored: the parameter is back where it was saved.
    auto* twist = named (*plugin.get(), "Twist");
    check (twist != nullptr, juce::String (name) + " has Twist");
    if (twist == nullptr)
        return;
    twist->setValue (0.8f);
    play (*plugin.get(), 2);
    juce::MemoryBlock state;
    plugin->getStateInformation (state);
    twist->setValue (0.1f);
    play (*plugin.get(), 2);
    plugin->setStateInformation (state.getData(), static_cast<int> (state.getSize()));
    play (*plugin.get(), 2);
    testsupport::pump (50);
    check (std::abs (twist->getValue() - 0.8f) < 1.0e-3f, juce::String (name) + " restores its state");

    plugin->releaseResources();
}
} // namespace

int main()
{
    juce::ScopedJuceInitialiser_GUI juce;
    // The plug-ins keep their settings in an empty home of the session's own.
    const juce::TemporaryFile home;
    home.getFile().createDirectory();
    setenv ("HOME", home.getFile().getFullPathName().toRawUTF8(), 1);

    session (HostedPlugin::Format::VST3, "VST3");
    session (HostedPlugin::Format::LV2, "LV2");

    home.getFile().deleteRecursively();
    std::cout << (failures == 0 ? "hosted session: done" : "hosted session: failed") << std::endl;
    return failures == 0 ? 0 : 1;
}
