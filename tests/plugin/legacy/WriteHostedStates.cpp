// Writes tests/plugin/legacy/hosted: the states a host saved of a build's
// VST3 and LV2 (through JUCE's hosting, as JUCE-based hosts store them: the
// VST3 host's chunk, the LV2 host's state in Turtle) with every parameter
// moved. The values are in the states themselves. Run once per version by scripts/write-legacy-fixtures.sh, with the
// bundles of the build to keep:
//
//   write_hosted_states VST3_BUNDLE LV2_BUNDLE OUT_DIR
#include "host/HostedPlugin.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <cmath>
#include <iostream>

using testsupport::HostedPlugin;

int main (int argc, char** argv)
{
    if (argc != 4)
    {
        std::cerr << "usage: write_hosted_states VST3_BUNDLE LV2_BUNDLE OUT_DIR" << std::endl;
        return 2;
    }
    juce::ScopedJuceInitialiser_GUI juce;
    const juce::TemporaryFile home;
    home.getFile().createDirectory();
    setenv ("HOME", home.getFile().getFullPathName().toRawUTF8(), 1);

    const juce::File out (juce::File::getCurrentWorkingDirectory().getChildFile (argv[3]));
    out.createDirectory();

    struct Written
    {
        HostedPlugin::Format format;
        const char* name;
        const char* bundle;
    };
    for (const auto& w : { Written { HostedPlugin::Format::VST3, "vst3", argv[1] },
                           Written { HostedPlugin::Format::LV2, "lv2", argv[2] } })
    {
        HostedPlugin plugin (w.format, 48000.0, 512, juce::File::getCurrentWorkingDirectory().getChildFile (w.bundle));
        if (plugin.get() == nullptr)
        {
            std::cerr << w.name << ": " << plugin.error << std::endl;
            return 1;
        }
        plugin->prepareToPlay (48000.0, 512);

        // Every parameter away from its default, each somewhere else in its
        // range: a step of its own for the stepped ones, switches on and off
        // in turn.
        int i = 0;
        for (auto* p : plugin->getParameters())
        {
            if (p == plugin->getBypassParameter() || p->getName (100) == "Program")
                continue;
            const int steps = p->isDiscrete() ? p->getNumSteps() : 0;
            auto step = [steps] (int k) { return static_cast<float> (k % steps) / static_cast<float> (steps - 1); };
            float value = steps >= 2 ? step (i * 5 + 1) : static_cast<float> ((i * 37) % 80 + 15) / 99.0f;
            if (std::abs (value - p->getDefaultValue()) < 0.02f)
                value = steps >= 2 ? step (juce::roundToInt (value * static_cast<float> (steps - 1)) + 1)
                                   : std::fmod (value + 0.5f, 1.0f);
            p->setValue (value);
            ++i;
        }
        juce::AudioBuffer<float> buffer (2, 512);
        juce::MidiBuffer midi;
        for (int b = 0; b < 8; ++b)
        {
            buffer.clear();
            plugin->processBlock (buffer, midi);
            juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
        }

        juce::MemoryBlock state;
        plugin->getStateInformation (state);
        out.getChildFile (juce::String (w.name) + ".state").replaceWithData (state.getData(), state.getSize());
        plugin->releaseResources();
    }
    home.getFile().deleteRecursively();
    std::cout << "written: " << out.getFullPathName() << std::endl;
    return 0;
}
