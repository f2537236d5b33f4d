#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <cstdlib>
#include <memory>

namespace testsupport
{
// Loads the freshly built VST3 or LV2 bundle through JUCE's own plug-in
// hosting, the way a host scans and instantiates it.
class HostedPlugin
{
public:
    enum class Format
    {
        VST3,
        LV2
    };

    HostedPlugin (Format f, double sampleRate, int blockSize)
    {
        juce::OwnedArray<juce::PluginDescription> types;

        if (f == Format::VST3)
        {
            format = std::make_unique<juce::VST3PluginFormat>();
            format->findAllTypesForFile (types, TWIST_VST3_BUNDLE);
        }
        else
        {
            // Only the bundle under test may be visible: an installed copy in
            // the user's ~/.lv2 would shadow it, so the home folder seen by
            // the LV2 world is an empty temporary one.
            static const juce::TemporaryFile emptyHome;
            emptyHome.getFile().createDirectory();
            setenv ("HOME", emptyHome.getFile().getFullPathName().toRawUTF8(), 1);

            format = std::make_unique<juce::LV2PluginFormat>();
            const auto bundleDir = juce::File (TWIST_LV2_BUNDLE).getParentDirectory();
            format->searchPathsForPlugins (juce::FileSearchPath (bundleDir.getFullPathName()), true, false);
            format->findAllTypesForFile (types, TWIST_LV2_URI);
        }

        if (types.isEmpty())
        {
            error = "no plug-in found in the bundle";
            return;
        }
        description = *types[0];
        instance = format->createInstanceFromDescription (description, sampleRate, blockSize, error);
    }

    ~HostedPlugin()
    {
        instance.reset();
        format.reset();
    }

    juce::AudioPluginInstance* get() const { return instance.get(); }
    juce::AudioPluginInstance* operator->() const { return instance.get(); }

    juce::String error;
    juce::PluginDescription description;

private:
    std::unique_ptr<juce::AudioPluginFormat> format;
    std::unique_ptr<juce::AudioPluginInstance> instance;
};
} // namespace testsupport
