#pragma once

#include <juce_core/juce_core.h>

#include <map>
#include <optional>
#include <sys/types.h>

namespace tooltest
{
// What one run of a built tool left behind.
struct RunResult
{
    int exitCode = -1;
    juce::String out;        // stdout as text
    juce::MemoryBlock bytes; // stdout as it came, when it went through a pipe
    juce::String err;        // stderr (or, on a terminal, what the terminal showed)
};

// A user to run the tool as, instead of this process's own.
struct RunAs
{
    uid_t uid = 0;
    gid_t gid = 0;
};

struct RunOptions
{
    juce::File workingDirectory;
    // Extra environment; an empty value removes the variable.
    std::map<juce::String, juce::String> environment;
    // Hands the program a pseudo-terminal as stderr instead of a pipe.
    bool stderrOnTerminal = false;
    // Standard input: these bytes through a pipe (nothing: /dev/null).
    std::optional<juce::MemoryBlock> input;
    // Standard output through a pipe read as it comes, instead of a file.
    bool outputThroughPipe = false;
    // Keeps DISPLAY, for a tool that draws.
    bool keepDisplay = false;
    std::optional<RunAs> user;
    // The program to run; none: twist-render.
    juce::File binary;
};

// Runs a tool binary that this build made (twist-render unless another is
// named), without a display (DISPLAY is removed unless kept) and with the
// caller's changes to the environment, waiting until it ends.
RunResult runTool (const juce::StringArray& args, const RunOptions& options);

juce::File toolBinary();
juce::File snapshotBinary();

// The unprivileged user "nobody", when this process may switch to it (it
// runs as root); nothing otherwise, when this process is unprivileged itself.
std::optional<RunAs> unprivilegedUser();
} // namespace tooltest
