#pragma once

#include <juce_core/juce_core.h>

#include <map>

namespace tooltest
{
// What one run of the built twist-render left behind.
struct RunResult
{
    int exitCode = -1;
    juce::String out; // stdout
    juce::String err; // stderr (or, on a terminal, what the terminal showed)
};

struct RunOptions
{
    juce::File workingDirectory;
    // Extra environment; an empty value removes the variable.
    std::map<juce::String, juce::String> environment;
    // Hands the program a pseudo-terminal as stderr instead of a pipe.
    bool stderrOnTerminal = false;
};

// Runs the twist-render binary that this build made, without a display
// (DISPLAY is removed) and with the caller's changes to the environment,
// waiting until it ends.
RunResult runTool (const juce::StringArray& args, const RunOptions& options);

juce::File toolBinary();
} // namespace tooltest
