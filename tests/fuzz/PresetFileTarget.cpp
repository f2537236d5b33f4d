// A preset file in the user folder: the folder scanned, the patch applied
// and a block processed, then the patch saved as the preset panel saves it
// and loaded again.

#include "FuzzChecks.h"
#include "presets/PresetLibrary.h"

namespace fuzzing
{
namespace
{
struct PresetFolder
{
    juce::File folder = juce::File::getSpecialLocation (juce::File::tempDirectory)
                            .getChildFile ("twist-delay-fuzz-presets-" + juce::Uuid().toString());
    presets::PresetLibrary library;

    PresetFolder()
    {
        folder.createDirectory();
        library.setUserDir (folder);
    }
    ~PresetFolder() { folder.deleteRecursively(); }
};

PresetFolder& presetFolder()
{
    static PresetFolder instance;
    return instance;
}
} // namespace

Outcome presetFile (const std::uint8_t* data, std::size_t size)
{
    auto& w = world();
    auto& proc = w.processor;
    auto& pf = presetFolder();
    w.startFresh();

    const auto file = pf.folder.getChildFile ("Fuzzed").getChildFile ("Patch.json");
    file.getParentDirectory().createDirectory();
    if (! file.replaceWithData (data, size))
        return {}; // the disk refused; nothing was read
    pf.library.rescanUser();

    const auto* patch = pf.library.findById ("Fuzzed/Patch");
    if (patch == nullptr)
        return {}; // not a JSON object: skipped, as it should be

    proc.applyPatch (*patch);
    if (auto o = checkParameters (proc, "after applying the patch"); ! o.empty())
        return o;
    if (auto o = processAndCheck (proc, "after applying the patch"); ! o.empty())
        return o;

    // Saved as the preset panel saves it, the patch loads to the same values.
    const auto before = savedValues (proc);
    const auto saved = pf.library.savePatchToFile (pf.folder.getChildFile ("Saved").getChildFile ("Copy.json"), "Copy",
                                                   proc.captureParamsVar());
    if (saved == juce::File())
        return "the patch could not be saved again";
    const auto* copy = pf.library.findById ("Saved/Copy");
    if (copy == nullptr)
        return "the saved patch is not found after saving";
    w.startFresh();
    proc.applyPatch (*copy);
    const auto after = savedValues (proc);
    if (! (before == after))
        return ("a saved patch loads to other values: " + describeDifference (before, after)).toStdString();
    return {};
}
} // namespace fuzzing
