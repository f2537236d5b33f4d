// Writes the files that LegacyFilesTest loads: plug-in states and preset
// files as this version saves them, and what each must load to. Run once,
// when the files are made (scripts/write-legacy-fixtures.sh); the files in
// the repository are the fixtures, and the test never writes them again, so
// a later build has to keep loading exactly these bytes.
//
//   write_legacy_fixtures FOLDER

#include "plugin/PluginProcessor.h"
#include "presets/PresetSettings.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <iostream>

namespace
{
// Every parameter moved off its default to a value of its own.
void moveEveryParameter (MassDelayAudioProcessor& proc)
{
    int i = 0;
    for (auto* p : proc.getParameters())
    {
        auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (p);
        const float position = static_cast<float> ((i * 37) % 97 + 1) / 99.0f;
        float normalised = ranged->convertTo0to1 (ranged->convertFrom0to1 (position));
        if (std::abs (normalised - ranged->getDefaultValue()) < 1.0e-3f)
            normalised = ranged->convertTo0to1 (ranged->convertFrom0to1 (1.0f - position));
        ranged->setValueNotifyingHost (normalised);
        ++i;
    }
}

juce::var expectations (MassDelayAudioProcessor& proc, bool withStateParts)
{
    auto* object = new juce::DynamicObject();
    auto* values = new juce::DynamicObject();
    for (const auto* p : proc.getParameters())
    {
        const auto* ranged = dynamic_cast<const juce::RangedAudioParameter*> (p);
        values->setProperty (ranged->getParameterID(),
                             proc.getValueTreeState().getRawParameterValue (ranged->getParameterID())->load());
    }
    object->setProperty ("parameters", juce::var (values));

    if (withStateParts)
    {
        auto* seeds = new juce::DynamicObject();
        seeds->setProperty ("tremLfoSeed", static_cast<juce::int64> (proc.getTremLfoSeed()));
        seeds->setProperty ("waveLfoSeed", static_cast<juce::int64> (proc.getWaveLfoSeed()));
        seeds->setProperty ("pitchLfoSeed", static_cast<juce::int64> (proc.getPitchLfoSeed()));
        object->setProperty ("seeds", juce::var (seeds));

        auto* matrix = new juce::DynamicObject();
        for (const auto& entry : RandomMatrixState::entries)
            matrix->setProperty (entry.id, proc.getRandomMatrix().isEnabled (entry.id));
        object->setProperty ("randomMatrix", juce::var (matrix));

        auto* layout = new juce::DynamicObject();
        for (const auto* title : AccordionLayoutState::sectionTitles)
            layout->setProperty (title, proc.getAccordionLayout().isExpanded (title));
        object->setProperty ("layout", juce::var (layout));
    }
    return juce::var (object);
}

bool writeState (MassDelayAudioProcessor& proc, const juce::File& file)
{
    juce::MemoryBlock blob;
    proc.getStateInformation (blob);
    return file.getParentDirectory().createDirectory().wasOk() && file.replaceWithData (blob.getData(), blob.getSize());
}
} // namespace

int main (int argc, char** argv)
{
    if (argc != 2)
    {
        std::cerr << "usage: write_legacy_fixtures FOLDER\n";
        return 2;
    }
    juce::ScopedJuceInitialiser_GUI juceRuntime;
    const auto folder = juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]);

    // Nothing of the user's own settings may reach the fixtures.
    const auto sandbox = juce::File::createTempFile ("twist-legacy");
    sandbox.createDirectory();
    presets::setProgramFolderOverride (sandbox);
    MassDelayAudioProcessor::setApplyDefaultPatchAtStartup (false);

    auto expected = juce::var (new juce::DynamicObject());
    bool ok = true;

    {
        // A new instance, saved as it starts.
        MassDelayAudioProcessor proc;
        ok = ok && writeState (proc, folder.getChildFile ("states/new-instance.state"));
        expected.getDynamicObject()->setProperty ("states/new-instance.state", expectations (proc, true));
    }
    {
        // Every parameter moved, chosen seeds, half the random matrix off and
        // two sections closed.
        MassDelayAudioProcessor proc;
        moveEveryParameter (proc);
        proc.setLfoSeeds (0x01234567u, 0x89ABCDEFu, 0xFEDCBA98u);
        for (std::size_t i = 0; i < RandomMatrixState::entries.size(); i += 2)
            proc.getRandomMatrix().setEnabled (RandomMatrixState::entries[i].id, false);
        proc.getAccordionLayout().setExpanded ("TREMOLO", false);
        proc.getAccordionLayout().setExpanded ("PITCH / CHORUS", false);
        ok = ok && writeState (proc, folder.getChildFile ("states/everything-moved.state"));
        expected.getDynamicObject()->setProperty ("states/everything-moved.state", expectations (proc, true));

        // The same values as a user preset, in a sub-folder.
        presets::PresetLibrary library;
        library.setUserDir (folder.getChildFile ("presets"));
        ok = ok
             && library.savePatchToFile (folder.getChildFile ("presets/Live/Guitar/Everything Moved.json"),
                                         "Everything Moved", proc.captureParamsVar())
                    != juce::File();
        expected.getDynamicObject()->setProperty ("presets/Live/Guitar/Everything Moved.json",
                                                  expectations (proc, false));
    }
    {
        // A factory preset with Reverse, Tap Flip and every effect on, its
        // seeds drawn by the reseed actions.
        MassDelayAudioProcessor proc;
        proc.applyPatch (*proc.getPresetLibrary().findById ("Sound Design/Cosmic & Mass/Black Hole Bloom"));
        proc.getValueTreeState().getParameter ("rev")->setValueNotifyingHost (1.0f);
        proc.getValueTreeState().getParameter ("flipped")->setValueNotifyingHost (1.0f);
        for (const auto* id : { "tp", "pitchOn", "wo", "trem" })
            proc.getValueTreeState().getParameter (id)->setValueNotifyingHost (1.0f);
        proc.rerollLfoSeeds();
        ok = ok && writeState (proc, folder.getChildFile ("states/black-hole-bloom-reversed.state"));
        expected.getDynamicObject()->setProperty ("states/black-hole-bloom-reversed.state", expectations (proc, true));

        presets::PresetLibrary library;
        library.setUserDir (folder.getChildFile ("presets"));
        ok = ok
             && library.savePatchToFile (folder.getChildFile ("presets/Black Hole Bloom Reversed.json"),
                                         "Black Hole Bloom Reversed", proc.captureParamsVar())
                    != juce::File();
        expected.getDynamicObject()->setProperty ("presets/Black Hole Bloom Reversed.json", expectations (proc, false));
    }

    ok = ok && folder.getChildFile ("expected.json").replaceWithText (juce::JSON::toString (expected, false, 15));
    sandbox.deleteRecursively();
    presets::setProgramFolderOverride ({});

    std::cout << (ok ? "wrote " : "failed to write ") << folder.getFullPathName() << "\n";
    return ok ? 0 : 1;
}
