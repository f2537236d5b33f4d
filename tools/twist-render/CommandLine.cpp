#include "CommandLine.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace commandline
{
namespace
{
// clang-format off
const cli::ToolInfo toolInfo {
    "twist-render",
    "twist-render [OPTION]... [INPUT] OUTPUT\n"
    "  or:  twist-render [OPTION]... --taps | --taps-json FILE | --plot FILE.png\n"
    "  or:  twist-render --list-presets [--json] | --list-params [--json]",

    "Runs an audio file through the Twist Delay plug-in, offline, and writes the result; or reports the plug-in's "
    "taps for a sound.\n"
    "\n"
    "INPUT is a WAV, AIFF or FLAC file, mono or stereo; it is processed at its own sample rate and the output keeps "
    "its format and bit depth unless the OUTPUT name, --format or --bits say otherwise. Without INPUT the built-in "
    "demo phrase (5 s of plucks and hits, stereo, 48 kHz) is rendered. A - as INPUT reads standard input, a - as "
    "OUTPUT (or as the file of --taps-json, --plot or --save-state) writes standard output.\n"
    "\n"
    "Every render starts from the factory patch \"Traditional/INIT PATCH\" unless --preset or --state say otherwise; "
    "--set changes parameters on top of it. The same command always writes the same file.",

    "Outputs: a file is written whole to a hidden temporary file beside it and renamed into place, so it is never "
    "left half-written; a symbolic link is followed and the file it leads to is replaced. Standard output, named "
    "pipes and character devices are written directly, once the output is complete. All outputs of one command "
    "are written, or none: an error leaves every file as it was. A file this user may not write is refused.\n"
    "\n"
    "Exit status: 0 when everything asked for was done; 1 when it failed (a file, a preset, a state, a "
    "parameter); 2 when the command line is malformed.\n"
    "\n"
    "Examples:\n"
    "  twist-render --preset \"Traditional/Rockabilly Slap\" vocal.wav vocal-slap.wav\n"
    "  twist-render --set g=-60 --set tapCnt=24 --set hp=\"200 Hz\" --tail 6 drums.flac out.flac\n"
    "  twist-render --preset \"Weird/Bouncy Ball\" --taps --plot taps.png\n"
    "  sox in.wav -t wav - | twist-render - - | aplay",
};
// clang-format on

juce::String formatNumber (double v)
{
    return juce::String (v, 6).trimCharactersAtEnd ("0").trimCharactersAtEnd (".");
}

using Check = std::optional<cli::Problem>;

Check malformed (const juce::String& text, const char* option, const juce::String& expected)
{
    return cli::Problem { "malformed value '" + text + "' for " + option + ": expected " + expected };
}

// A number for an option; values outside lo..hi are clamped with a warning.
Check readNumber (const char* option, const juce::String& text, double lo, double hi, double& out,
                  juce::StringArray& warnings)
{
    const auto value = parseNumber (text);
    if (! value.has_value())
        return malformed (text, option, "a number");
    out = juce::jlimit (lo, hi, *value);
    if (out != *value)
        warnings.add (juce::String (option) + " " + text + " is outside " + formatNumber (lo) + ".." + formatNumber (hi)
                      + "; using " + formatNumber (out));
    return std::nullopt;
}

Check readWhole (const char* option, const juce::String& text, double lo, double hi, int& out,
                 juce::StringArray& warnings)
{
    const auto value = parseNumber (text);
    if (! value.has_value() || std::floor (*value) != *value)
        return malformed (text, option, "a whole number");
    double clamped = 0.0;
    auto problem = readNumber (option, text, lo, hi, clamped, warnings);
    out = static_cast<int> (clamped);
    return problem;
}

Check readSeed (const juce::String& text, std::uint64_t& out)
{
    const auto digits = text.trim().toStdString();
    const bool digitsOnly = ! digits.empty() && digits.find_first_not_of ("0123456789") == std::string::npos;
    errno = 0;
    const auto value = digitsOnly ? std::strtoull (digits.c_str(), nullptr, 10) : 0ull;
    if (! digitsOnly || errno == ERANGE)
        return malformed (text, "--seed", "a whole number from 0 to 18446744073709551615");
    out = static_cast<std::uint64_t> (value);
    return std::nullopt;
}

// The command line as CLI11 reads it: every value as text, checked afterwards
// with the tool's own messages.
struct Arguments
{
    std::vector<std::string> files, sets;
    std::string preset, state, bpm, ppqStart, block, seed, tail, format, bits, tapsJson, plot, saveState;
    bool listPresets = false, listParams = false, json = false, taps = false, quiet = false, overwrite = false;
};

void declare (CLI::App& app, Arguments& a)
{
    app.add_option ("files", a.files)->group ("");

    cli::valueOption (app, "--preset", a.preset, "start from a factory or user preset, by its id (see --list-presets)",
                      "ID", "Sound");
    cli::valueOption (app, "--state", a.state,
                      "start from a saved plug-in state (what a host stores in its project; the standalone "
                      "program's Options > Save current state... and --save-state write one)",
                      "FILE", "Sound");
    cli::listOption (app, "--set", a.sets,
                     "set a parameter, repeatable, in the unit the editor shows it in (--set hp=200Hz --set "
                     "s=350ms --set e=1/8 --set mout=-6dB --set g=40%; a bare number is read in that unit), or "
                     "to a raw position as the plug-in stores it, written raw:VALUE (--set hp=raw:434.59). "
                     "Switches take on/off, 1/0, true/false or yes/no. --list-params shows each parameter's "
                     "unit and range",
                     "ID=VALUE", "Sound");
    cli::valueOption (app, "--seed", a.seed, "derive the tremolo, Wave and pitch LFO seeds from N (0 to 2^64-1)", "N",
                      "Sound");
    cli::valueOption (app, "--bpm", a.bpm, "host tempo for tempo-synced settings, 1 to 999 (default 120)", "N",
                      "Sound");
    cli::valueOption (app, "--ppq-start", a.ppqStart, "host position at the start, in quarter notes (default 0)", "N",
                      "Sound");

    cli::valueOption (app, "--tail", a.tail,
                      "what follows the input: auto (default) renders until the echoes stay below -90 dBFS, at most "
                      "15 s; a number renders that many seconds, 0 to 15",
                      "auto|SECONDS", "Rendering");
    cli::valueOption (app, "--block", a.block, "block size handed to the plug-in, 1 to 16384 (default 512)", "N",
                      "Rendering");
    cli::valueOption (app, "--format", a.format,
                      "output format (default: the OUTPUT name's extension, else the input's format)", "wav|aiff|flac",
                      "Rendering");
    cli::valueOption (app, "--bits", a.bits,
                      "output bit depth: WAV 8, 16, 24, 32 (float); AIFF 8, 16, 24; FLAC 16, 24 (default: the "
                      "input's; 24 for the demo)",
                      "8|16|24|32", "Rendering");
    app.add_flag ("--overwrite", a.overwrite,
                  "let the demo render (only OUTPUT named) replace an existing audio file; without it that is "
                  "refused, as it is usually a forgotten OUTPUT")
        ->group ("Rendering");

    app.add_flag ("--taps", a.taps, "print the tap table: index, time in ms, gain in dB, Wave difference")
        ->group ("Taps");
    cli::valueOption (app, "--taps-json", a.tapsJson, "write the tap set as JSON", "FILE", "Taps");
    cli::valueOption (app, "--plot", a.plot, "draw the tap layout as a PNG picture", "FILE.png", "Taps");
    cli::valueOption (app, "--save-state", a.saveState,
                      "write the plug-in state of the sound (after --preset or --state, --set and --seed) as a file "
                      "that --state reads",
                      "FILE", "Taps");

    app.add_flag ("--list-presets", a.listPresets, "print every preset id, factory first, then the user's own")
        ->group ("Other");
    app.add_flag ("--list-params", a.listParams, "print every parameter id with its name, kind, range and default")
        ->group ("Other");
    app.add_flag ("--json", a.json, "print the lists as JSON")->group ("Other");
    app.add_flag ("--quiet", a.quiet, "no progress bar and no summary lines")->group ("Other");
}

Check interpret (const Arguments& a, RenderOptions& o)
{
    auto& w = o.warnings;
    o.presetId = a.preset;
    o.statePath = a.state;
    o.tapsJsonPath = a.tapsJson;
    o.plotPath = a.plot;
    o.saveStatePath = a.saveState;
    o.listPresets = a.listPresets;
    o.listParams = a.listParams;
    o.json = a.json;
    o.printTaps = a.taps;
    o.quiet = a.quiet;
    o.overwrite = a.overwrite;

    for (const auto& text : a.sets)
    {
        ParameterSetting setting;
        if (auto problem = ParameterSetting::parse (juce::String::fromUTF8 (text.c_str()), setting, w))
            return problem;
        o.settings.push_back (setting);
    }

    if (! a.bpm.empty())
        if (auto p = readNumber ("--bpm", a.bpm, RenderOptions::minBpm, RenderOptions::maxBpm, o.bpm, w))
            return p;
    if (! a.ppqStart.empty())
        if (auto p = readNumber ("--ppq-start", a.ppqStart, -1.0e9, 1.0e9, o.ppqStart, w))
            return p;
    if (! a.block.empty())
        if (auto p = readWhole ("--block", a.block, RenderOptions::minBlock, RenderOptions::maxBlock, o.blockSize, w))
            return p;
    if (! a.seed.empty())
    {
        std::uint64_t seed = 0;
        if (auto p = readSeed (a.seed, seed))
            return p;
        o.seed = seed;
    }
    if (! a.tail.empty())
    {
        const juce::String tail (a.tail);
        o.tailAuto = tail.trim().equalsIgnoreCase ("auto");
        if (! o.tailAuto && readNumber ("--tail", tail, 0.0, RenderOptions::maxTailSeconds, o.tailSeconds, w))
            return malformed (tail, "--tail", "auto or seconds");
    }
    if (! a.format.empty())
    {
        const auto f = juce::String (a.format).trim().toLowerCase();
        if (f != "wav" && f != "aiff" && f != "aif" && f != "flac")
            return cli::Problem { "unsupported format '" + juce::String (a.format)
                                  + "' for --format: expected wav, aiff or flac" };
        o.format = f;
    }
    if (! a.bits.empty())
    {
        const auto bits = parseNumber (a.bits);
        if (! bits.has_value() || (*bits != 8.0 && *bits != 16.0 && *bits != 24.0 && *bits != 32.0))
            return malformed (a.bits, "--bits", "8, 16, 24 or 32");
        o.bits = static_cast<int> (*bits);
    }

    if (a.files.size() > 2)
        return cli::Problem { "too many files: give INPUT OUTPUT, or just OUTPUT to render the demo phrase" };
    if (a.files.size() == 2)
    {
        o.inputPath = juce::String::fromUTF8 (a.files[0].c_str());
        o.outputPath = juce::String::fromUTF8 (a.files[1].c_str());
    }
    else if (a.files.size() == 1)
    {
        o.outputPath = juce::String::fromUTF8 (a.files[0].c_str());
    }

    if (o.presetId.isNotEmpty() && o.statePath.isNotEmpty())
        return cli::Problem { "--preset and --state both choose the starting sound; give one of them" };
    if (o.json && ! o.listPresets && ! o.listParams)
        return cli::Problem { "--json goes with --list-presets or --list-params" };
    if (o.outputPath.isEmpty() && ! o.wantsTaps() && o.saveStatePath.isEmpty() && ! o.listPresets && ! o.listParams)
        return cli::Problem {
            "nothing to do: give OUTPUT (and INPUT), --taps, --taps-json, --plot, --save-state or a --list option"
        };
    return std::nullopt;
}
} // namespace

const cli::ToolInfo& info()
{
    return toolInfo;
}

std::optional<int> parse (const std::vector<std::string>& args, RenderOptions& options)
{
    options = {};
    Arguments arguments;
    auto app = cli::makeApp (toolInfo);
    declare (*app, arguments);
    if (const auto status = cli::parse (*app, toolInfo, args))
        return status;
    if (const auto problem = interpret (arguments, options))
        return cli::fail (toolInfo, *problem);
    return std::nullopt;
}
} // namespace commandline
