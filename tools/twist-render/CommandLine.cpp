#include "CommandLine.h"

#include "Suggestions.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>

namespace commandline
{
namespace
{
struct OptionInfo
{
    const char* name;
    const char* value; // nullptr: a flag
};

// clang-format off
constexpr OptionInfo optionTable[] = {
    { "--preset", "ID" },       { "--set", "ID=VALUE" },     { "--state", "FILE" },
    { "--bpm", "N" },           { "--ppq-start", "N" },      { "--block", "N" },
    { "--seed", "N" },          { "--tail", "auto|SECONDS" }, { "--format", "wav|aiff|flac" },
    { "--bits", "N" },          { "--list-presets", nullptr }, { "--list-params", nullptr },
    { "--json", nullptr },      { "--taps", nullptr },       { "--taps-json", "FILE" },
    { "--plot", "FILE.png" },   { "--quiet", nullptr },      { "--overwrite", nullptr },
    { "--help", nullptr },
};
// clang-format on

const OptionInfo* findOption (const juce::String& name)
{
    for (const auto& o : optionTable)
        if (name == o.name)
            return &o;
    return nullptr;
}

juce::String unknownOption (const juce::String& name)
{
    std::vector<suggestions::Candidate> candidates;
    for (const auto& o : optionTable)
        candidates.push_back ({ o.name, { o.name } });
    return "unknown option '" + name + "'; " + suggestions::didYouMean (suggestions::closest (name, candidates))
           + " (--help lists them all)";
}

juce::String formatNumber (double v)
{
    return juce::String (v, 6).trimCharactersAtEnd ("0").trimCharactersAtEnd (".");
}

// A number for an option; values outside lo..hi are clamped with a warning.
juce::Result readNumber (const juce::String& option, const juce::String& text, double lo, double hi, double& out,
                         juce::StringArray& warnings)
{
    const auto value = parseNumber (text);
    if (! value.has_value())
        return juce::Result::fail ("malformed value '" + text + "' for " + option + ": expected a number");
    out = juce::jlimit (lo, hi, *value);
    if (out != *value)
        warnings.add (option + " " + text + " is outside " + formatNumber (lo) + ".." + formatNumber (hi) + "; using "
                      + formatNumber (out));
    return juce::Result::ok();
}

juce::Result readWhole (const juce::String& option, const juce::String& text, double lo, double hi, int& out,
                        juce::StringArray& warnings)
{
    const auto value = parseNumber (text);
    if (! value.has_value() || std::floor (*value) != *value)
        return juce::Result::fail ("malformed value '" + text + "' for " + option + ": expected a whole number");
    double clamped = 0.0;
    auto result = readNumber (option, text, lo, hi, clamped, warnings);
    out = static_cast<int> (clamped);
    return result;
}

juce::Result readSeed (const juce::String& text, std::uint64_t& out)
{
    const auto digits = text.trim().toStdString();
    const bool digitsOnly = ! digits.empty() && digits.find_first_not_of ("0123456789") == std::string::npos;
    errno = 0;
    const auto value = digitsOnly ? std::strtoull (digits.c_str(), nullptr, 10) : 0ull;
    if (! digitsOnly || errno == ERANGE)
        return juce::Result::fail ("malformed value '" + text
                                   + "' for --seed: expected a whole number from 0 to 18446744073709551615");
    out = static_cast<std::uint64_t> (value);
    return juce::Result::ok();
}

juce::Result applyOption (const juce::String& name, const juce::String& value, RenderOptions& o)
{
    auto& w = o.warnings;
    if (name == "--preset")
        o.presetId = value;
    else if (name == "--set")
    {
        ParameterSetting setting;
        const auto result = ParameterSetting::parse (value, setting, w);
        if (result.failed())
            return result;
        o.settings.push_back (setting);
    }
    else if (name == "--state")
        o.statePath = value;
    else if (name == "--bpm")
        return readNumber (name, value, RenderOptions::minBpm, RenderOptions::maxBpm, o.bpm, w);
    else if (name == "--ppq-start")
        return readNumber (name, value, -1.0e9, 1.0e9, o.ppqStart, w);
    else if (name == "--block")
        return readWhole (name, value, RenderOptions::minBlock, RenderOptions::maxBlock, o.blockSize, w);
    else if (name == "--seed")
    {
        std::uint64_t seed = 0;
        const auto result = readSeed (value, seed);
        if (result.failed())
            return result;
        o.seed = seed;
    }
    else if (name == "--tail")
    {
        o.tailAuto = value.trim().equalsIgnoreCase ("auto");
        if (! o.tailAuto)
        {
            const auto result = readNumber (name, value, 0.0, RenderOptions::maxTailSeconds, o.tailSeconds, w);
            if (result.failed())
                return juce::Result::fail ("malformed value '" + value + "' for --tail: expected auto or seconds");
        }
    }
    else if (name == "--format")
    {
        const auto f = value.trim().toLowerCase();
        if (f != "wav" && f != "aiff" && f != "aif" && f != "flac")
            return juce::Result::fail ("unsupported format '" + value + "' for --format: expected wav, aiff or flac");
        o.format = f;
    }
    else if (name == "--bits")
    {
        const auto bits = parseNumber (value);
        if (! bits.has_value() || (*bits != 8.0 && *bits != 16.0 && *bits != 24.0 && *bits != 32.0))
            return juce::Result::fail ("malformed value '" + value + "' for --bits: expected 8, 16, 24 or 32");
        o.bits = static_cast<int> (*bits);
    }
    else if (name == "--list-presets")
        o.listPresets = true;
    else if (name == "--list-params")
        o.listParams = true;
    else if (name == "--json")
        o.json = true;
    else if (name == "--taps")
        o.printTaps = true;
    else if (name == "--taps-json")
        o.tapsJsonPath = value;
    else if (name == "--plot")
        o.plotPath = value;
    else if (name == "--quiet")
        o.quiet = true;
    else if (name == "--overwrite")
        o.overwrite = true;
    else if (name == "--help")
        o.help = true;
    return juce::Result::ok();
}
} // namespace

juce::Result parse (const juce::StringArray& args, RenderOptions& options)
{
    options = {};
    juce::StringArray positional;
    bool onlyFiles = false;

    for (int i = 0; i < args.size(); ++i)
    {
        const auto& arg = args[i];
        if (onlyFiles || arg == "-" || ! arg.startsWith ("-"))
        {
            positional.add (arg);
            continue;
        }
        if (arg == "--")
        {
            onlyFiles = true;
            continue;
        }

        auto name = arg.upToFirstOccurrenceOf ("=", false, false);
        if (name == "-h")
            name = "--help";
        const auto* info = findOption (name);
        if (info == nullptr)
            return juce::Result::fail (unknownOption (name));

        juce::String value;
        if (info->value == nullptr)
        {
            if (arg.containsChar ('='))
                return juce::Result::fail (name + " takes no value");
        }
        else if (arg.containsChar ('='))
        {
            value = arg.fromFirstOccurrenceOf ("=", false, false);
        }
        else if (i + 1 < args.size())
        {
            value = args[++i];
        }
        else
        {
            return juce::Result::fail (name + " needs a value (" + info->value + ")");
        }

        const auto result = applyOption (name, value, options);
        if (result.failed())
            return result;
    }

    if (options.help)
        return juce::Result::ok();

    if (positional.size() > 2)
        return juce::Result::fail ("too many files: give INPUT OUTPUT, or just OUTPUT to render the demo phrase");
    if (positional.size() == 2)
    {
        options.inputPath = positional[0];
        options.outputPath = positional[1];
    }
    else if (positional.size() == 1)
    {
        options.outputPath = positional[0];
    }

    if (options.presetId.isNotEmpty() && options.statePath.isNotEmpty())
        return juce::Result::fail ("--preset and --state both choose the starting sound; give one of them");
    if (options.json && ! options.listPresets && ! options.listParams)
        return juce::Result::fail ("--json goes with --list-presets or --list-params");
    if (options.outputPath.isEmpty() && ! options.wantsTaps() && ! options.listPresets && ! options.listParams)
        return juce::Result::fail (
            "nothing to do: give OUTPUT (and INPUT), --taps, --taps-json, --plot or a --list option");
    return juce::Result::ok();
}

juce::String usage()
{
    return R"(usage: twist-render [options] [INPUT] OUTPUT
       twist-render [options] --taps | --taps-json FILE | --plot FILE.png
       twist-render --list-presets [--json] | --list-params [--json]

Runs an audio file through the Twist Delay plug-in and writes the result.
INPUT is a WAV, AIFF or FLAC file, mono or stereo; it is processed at its own
sample rate and the output keeps its format and bit depth. Without INPUT the
built-in demo phrase (5 s of plucks and hits, stereo, 48 kHz) is rendered.
Without --preset or --state the render starts from the factory patch
"Traditional/INIT PATCH".

Sound:
  --preset ID          start from a factory or user preset (see --list-presets)
  --state FILE         start from a saved plug-in state blob
  --set ID=VALUE       set a parameter in its own units, repeatable
                       (e.g. --set g=40 --set tapCnt=16; see --list-params);
                       switches take 1/on/true/yes or 0/off/false/no
  --seed N             derive the tremolo, Wave and pitch LFO seeds from N
  --bpm N              host tempo for tempo-synced settings (default 120)
  --ppq-start N        host position at the start, in quarter notes (default 0)

Rendering:
  --tail auto|SECONDS  what follows the input: auto (default) renders until the
                       echoes stay below -90 dBFS, at most 15 s
  --block N            block size handed to the plug-in (default 512)
  --format wav|aiff|flac
                       output format (default: the OUTPUT extension, else the
                       input's format)
  --bits 8|16|24|32    output bit depth (default: the input's; 24 for the demo)
  --overwrite          let the demo render replace an existing audio file

Taps:
  --taps               print the tap table: index, time ms, gain dB, Wave difference
  --taps-json FILE     write the tap set as JSON
  --plot FILE.png      draw the tap layout as a PNG picture

Other:
  --list-presets       print every preset id (factory, then user); --json for JSON
  --list-params        print every parameter id with its range; --json for JSON
  --quiet              no progress bar and no summary line
  --help               this text

Errors print a message, exit with status 1 (2 for a bad command line) and
write nothing; every file is written whole or not at all.
)";
}
} // namespace commandline
