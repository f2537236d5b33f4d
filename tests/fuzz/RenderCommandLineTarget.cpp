// twist-render's command line: parsed, and what it asks for set up on the
// processor as the program does before it renders (preset or its
// suggestions, parameter settings, seeds), then a block processed.

#include "CommandLine.h"
#include "FuzzChecks.h"
#include "LfoSeeds.h"
#include "Suggestions.h"
#include "params/ParameterTable.h"

#include <cmath>

namespace fuzzing
{
// Input: the arguments, separated by zero bytes.
Outcome renderCommandLine (const std::uint8_t* data, std::size_t size)
{
    // The parser refuses arguments that are not valid UTF-8 itself.
    std::vector<std::string> args;
    std::size_t begin = 0;
    for (std::size_t i = 0; i <= size && args.size() < 64; ++i)
    {
        if (i == size || data[i] == 0)
        {
            args.emplace_back (reinterpret_cast<const char*> (data + begin), i - begin);
            begin = i + 1;
        }
    }

    RenderOptions options;
    if (commandline::parse (args, options).has_value())
        return {};

    if (! (options.bpm >= RenderOptions::minBpm && options.bpm <= RenderOptions::maxBpm))
        return ("the tempo " + juce::String (options.bpm) + " was let through").toStdString();
    if (options.blockSize < RenderOptions::minBlock || options.blockSize > RenderOptions::maxBlock)
        return ("the block size " + juce::String (options.blockSize) + " was let through").toStdString();
    if (! std::isfinite (options.ppqStart))
        return "a position that is not finite was let through";
    if (! options.tailAuto && ! (options.tailSeconds >= 0.0 && options.tailSeconds <= RenderOptions::maxTailSeconds))
        return ("the tail " + juce::String (options.tailSeconds) + " was let through").toStdString();
    if (options.bits != 0 && options.bits != 8 && options.bits != 16 && options.bits != 24 && options.bits != 32)
        return ("the bit depth " + juce::String (options.bits) + " was let through").toStdString();

    auto& w = world();
    auto& proc = w.processor;
    w.startFresh();

    if (options.presetId.isNotEmpty())
    {
        const auto& library = proc.getPresetLibrary();
        if (const auto* patch = library.findById (options.presetId))
        {
            proc.applyPatch (*patch);
        }
        else
        {
            // The program's answer to an unknown preset: the near ids, if
            // any are near; whatever it suggests is a preset that exists.
            std::vector<suggestions::Candidate> candidates;
            for (const auto& p : library.getPatches())
                candidates.push_back ({ p.id(), { p.id(), p.name } });
            for (const auto& id : suggestions::closest (options.presetId, candidates))
                if (library.findById (id) == nullptr)
                    return ("the suggestion " + quote (id) + " is no preset").toStdString();
        }
    }

    for (const auto& setting : options.settings)
    {
        if (setting.index < 0 || setting.index >= static_cast<int> (params::table.size()))
            return "a setting names no parameter";
        const auto& def = params::table[static_cast<std::size_t> (setting.index)];
        if (! std::isfinite (setting.value) || setting.value < def.min || setting.value > def.max)
            return ("the setting " + setting.id + "=" + juce::String (setting.value) + " was let through")
                .toStdString();
        auto* param = proc.getValueTreeState().getParameter (setting.id);
        if (param == nullptr)
            return ("the setting " + setting.id + " names no parameter of the processor").toStdString();
        param->setValueNotifyingHost (param->convertTo0to1 (setting.value));
    }

    if (options.seed.has_value())
    {
        const auto seeds = LfoSeeds::fromNumber (*options.seed);
        proc.setLfoSeeds (seeds.trem, seeds.wave, seeds.pitch);
    }

    if (auto o = checkParameters (proc, "after the command line's settings"); ! o.empty())
        return o;
    return processAndCheck (proc, "after the command line's settings");
}
} // namespace fuzzing
