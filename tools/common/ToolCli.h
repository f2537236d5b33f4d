#pragma once

#include <CLI/CLI.hpp>
#include <juce_core/juce_core.h>

#include <optional>
#include <string>
#include <vector>

// What the command-line tools share: one parser (CLI11), one help layout
// (from which the man pages are made), --help and --version, one error style
// and one set of exit statuses.
namespace cli
{
inline constexpr int exitOk = 0;
inline constexpr int exitFailure = 1; // the work failed: files, presets, states, parameters
inline constexpr int exitUsage = 2;   // the command line itself is malformed

// A failure found while reading the command line, with the status it ends in.
struct Problem
{
    juce::String message;
    int status = exitUsage;
};

// What a tool says about itself in --help.
struct ToolInfo
{
    const char* program;     // "twist-render"
    const char* usage;       // the lines after "Usage: " ("  or:  " joins alternatives)
    const char* description; // paragraphs, separated by blank lines
    const char* footer;      // paragraphs after the options
};

// An app with the tools' help layout, --help, --version and the rules the
// tools share: the last of a repeated single-value option counts, "-" is a
// file name, "--" ends the options. Unknown options are reported with the
// closest known ones by parse().
std::unique_ptr<CLI::App> makeApp (const ToolInfo& info);

// The value option every tool option is made with: one value per use, the
// last use winning.
CLI::Option* valueOption (CLI::App& app, const std::string& name, std::string& value, const std::string& help,
                          const std::string& valueName, const std::string& group);

// A repeatable option: every use adds one value, in command-line order.
CLI::Option* listOption (CLI::App& app, const std::string& name, std::vector<std::string>& values,
                         const std::string& help, const std::string& valueName, const std::string& group);

// Parses the arguments (without the program name). Prints --help or
// --version and returns exitOk, or prints a command-line error and returns
// its status; returns nothing when the tool should go on.
std::optional<int> parse (CLI::App& app, const ToolInfo& info, const std::vector<std::string>& args);

// Prints "<program>: error: <message>" on stderr, with a pointer to --help
// for a malformed command line; returns the status.
int fail (const ToolInfo& info, const Problem& problem);

// "<program>: warning: <message>" on stderr.
void warn (const ToolInfo& info, const juce::String& message);

// "twist-render (Twist Delay) 0.1.0" and the licence lines.
std::string versionText (const ToolInfo& info);

// The arguments of main() as UTF-8 strings, without the program name.
std::vector<std::string> arguments (int argc, char* argv[]);
} // namespace cli
