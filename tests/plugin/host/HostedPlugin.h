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
        : HostedPlugin (f, sampleRate, blockSize, juce::File (f == Format::VST3 ? TWIST_VST3_BUNDLE : TWIST_LV2_BUNDLE))
    {
    }

    // The bundle of another build (the .vst3 or the .lv2 folder).
    HostedPlugin (Format f, double sampleRate, int blockSize, const juce::File& bundle)
    {
        juce::OwnedArray<juce::PluginDescription> types;

        if (f == Format::VST3)
        {
            format = std::make_unique<juce::VST3PluginFormat>();
            format->findAllTypesForFile (types, bundle.getFullPathName());
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
            const auto bundleDir = bundle.getParentDirectory();
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

// Our state inside what a host stored of the plug-in: the VST3 component
// state inside JUCE's host envelope, or the state string inside the LV2
// state's Turtle.
inline std::unique_ptr<juce::XmlElement> ourStateIn (const juce::MemoryBlock& hostState, HostedPlugin::Format format)
{
    juce::MemoryBlock ours;
    if (format == HostedPlugin::Format::VST3)
    {
        const auto envelope =
            juce::AudioProcessor::getXmlFromBinary (hostState.getData(), static_cast<int> (hostState.getSize()));
        auto* component = envelope != nullptr ? envelope->getChildByName ("IComponent") : nullptr;
        if (component == nullptr || ! ours.fromBase64Encoding (component->getAllSubText().trim()))
            return nullptr;
    }
    else
    {
        const auto ttl = hostState.toString();
        const auto text = ttl.fromFirstOccurrenceOf ("StateString>", false, false)
                              .fromFirstOccurrenceOf ("\"", false, false)
                              .upToFirstOccurrenceOf ("\"", false, false);
        if (! ours.fromBase64Encoding (text))
            return nullptr;
    }
    return juce::AudioProcessor::getXmlFromBinary (ours.getData(), static_cast<int> (ours.getSize()));
}

// Our state as the hosted plug-in saves it for its host now.
inline std::unique_ptr<juce::XmlElement> savedState (juce::AudioPluginInstance& plugin, HostedPlugin::Format format)
{
    juce::MemoryBlock hostState;
    plugin.getStateInformation (hostState);
    return ourStateIn (hostState, format);
}
} // namespace testsupport
