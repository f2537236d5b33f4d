#pragma once

#include "ParameterSettings.h"
#include "ToolCli.h"

#include <juce_core/juce_core.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Everything one run of twist-render is asked to do, as read from its
// command line. Parsing checks the form of every value; whether files,
// presets and states exist is checked by the job.
struct RenderOptions
{
    juce::String inputPath;  // empty: the built-in demo phrase; "-": standard input
    juce::String outputPath; // empty: no audio is rendered; "-": standard output

    juce::String presetId;
    juce::String statePath;
    std::vector<ParameterSetting> settings; // in command-line order
    double bpm = 120.0;
    double ppqStart = 0.0;
    int blockSize = 512;
    std::optional<std::uint64_t> seed;
    bool tailAuto = true;
    double tailSeconds = 0.0;

    juce::String format; // "wav", "aiff", "flac" or empty
    int bits = 0;        // 0: as the input

    bool listPresets = false;
    bool listParams = false;
    bool json = false;
    bool printTaps = false;
    juce::String tapsJsonPath;
    juce::String plotPath;
    juce::String saveStatePath;
    bool quiet = false;
    bool overwrite = false;

    // Values that were clamped into range, in words.
    juce::StringArray warnings;

    static constexpr double minBpm = 1.0;
    static constexpr double maxBpm = 999.0;
    static constexpr int minBlock = 1;
    static constexpr int maxBlock = 16384;
    static constexpr double maxTailSeconds = 15.0;

    // Whether a tap report is asked for.
    bool wantsTaps() const { return printTaps || tapsJsonPath.isNotEmpty() || plotPath.isNotEmpty(); }
};

namespace commandline
{
// What twist-render says about itself in --help and its messages.
const cli::ToolInfo& info();

// Reads the arguments (without the program name) into options. Returns
// nothing when the job should run; otherwise the exit status, after --help,
// --version or an error message were printed.
std::optional<int> parse (const std::vector<std::string>& args, RenderOptions& options);
} // namespace commandline
