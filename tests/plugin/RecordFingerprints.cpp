// Writes the fingerprint of every factory preset to the file named on the
// command line. Run through scripts/record-fingerprints.sh, only when a
// change of sound is intended.
#include "PresetFingerprint.h"

#include "plugin/PluginProcessor.h"
#include "presets/PresetSettings.h"

#include <fstream>
#include <iostream>

int main (int argc, char** argv)
{
    if (argc != 2)
    {
        std::cerr << "usage: record_fingerprints FILE\n";
        return 2;
    }

    juce::ScopedJuceInitialiser_GUI juce;

    // The user's own presets and default patch stay out of it.
    const auto folder = juce::File::createTempFile ("twist-fingerprints");
    folder.createDirectory();
    presets::setProgramFolderOverride (folder);
    MassDelayAudioProcessor::setApplyDefaultPatchAtStartup (false);

    std::ofstream out (argv[1]);
    out << "# Factory preset fingerprints: id, FNV-1a hash of the output samples, peak dBFS,\n"
           "# RMS level per 250 ms in dB. Written by scripts/record-fingerprints.sh.\n";
    for (const auto& patch : testsupport::factoryBank().getPatches())
    {
        const auto id = patch.id().toStdString();
        out << testsupport::formatFingerprintLine (id, testsupport::fingerprintPatch (patch)) << '\n';
        std::cerr << id << '\n';
    }

    presets::setProgramFolderOverride ({});
    folder.deleteRecursively();
    return out.good() ? 0 : 1;
}
