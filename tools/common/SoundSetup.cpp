#include "SoundSetup.h"

#include "Suggestions.h"

namespace soundsetup
{
juce::Result applyPreset (MassDelayAudioProcessor& processor, const juce::String& id)
{
    const auto& library = processor.getPresetLibrary();
    const auto* patch = library.findById (id);
    if (patch == nullptr)
    {
        std::vector<suggestions::Candidate> candidates;
        for (const auto& p : library.getPatches())
            candidates.push_back ({ "'" + p.id() + "'", { p.id(), p.name } });
        const auto hint = suggestions::didYouMean (suggestions::closest (id, candidates));
        return juce::Result::fail ("unknown preset '" + id + "'" + (hint.isNotEmpty() ? "; " + hint : juce::String())
                                   + " (--list-presets prints all of them)");
    }
    processor.applyPatch (*patch);
    return juce::Result::ok();
}

juce::Result applyStateFile (MassDelayAudioProcessor& processor, const juce::File& file)
{
    juce::MemoryBlock blob;
    if (file.isDirectory())
        return juce::Result::fail ("cannot read the state file " + file.getFullPathName() + ": it is a folder");
    if (! file.existsAsFile())
        return juce::Result::fail ("cannot read the state file " + file.getFullPathName() + ": no such file");
    if (! file.loadFileAsData (blob))
        return juce::Result::fail ("cannot read the state file " + file.getFullPathName());

    const auto xml = MassDelayAudioProcessor::xmlFromStateBlob (blob.getData(), static_cast<int> (blob.getSize()));
    if (xml == nullptr || ! xml->hasTagName (processor.getValueTreeState().state.getType().toString()))
        return juce::Result::fail (file.getFullPathName()
                                   + " is not a Twist Delay state (a state blob saved by the plug-in: the "
                                     "standalone program's Options > Save current state... writes one)");
    processor.setStateInformation (blob.getData(), static_cast<int> (blob.getSize()));
    return juce::Result::ok();
}

void applySettings (MassDelayAudioProcessor& processor, const std::vector<ParameterSetting>& settings)
{
    for (const auto& setting : settings)
    {
        auto* param = processor.getValueTreeState().getParameter (setting.id);
        jassert (param != nullptr);
        param->setValueNotifyingHost (param->convertTo0to1 (setting.value));
    }
}
} // namespace soundsetup
