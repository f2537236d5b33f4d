#pragma once

#include <juce_core/juce_core.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace testsupport
{
// A program a test runs beside itself (a sound server, a host, an X server):
// started with its own additions to the environment, its output going to
// files, and never outliving the test program, even one that crashes.
class ChildProgram
{
public:
    struct Options
    {
        std::vector<std::string> arguments;             // the program first, found on PATH
        std::map<std::string, std::string> environment; // set on top of ours
        juce::File output;                              // standard output and error; none: /dev/null
        int inheritedDescriptor = -1;                   // left open for the program (Xvfb's -displayfd)
    };

    explicit ChildProgram (const Options& options);
    ~ChildProgram(); // ends the program when it still runs

    ChildProgram (const ChildProgram&) = delete;
    ChildProgram& operator= (const ChildProgram&) = delete;

    bool started() const { return processId > 0; }
    int pid() const { return processId; }

    // Its exit status once it has ended within the time (128 + the signal
    // when a signal ended it); nothing while it still runs.
    std::optional<int> waitForExit (int milliseconds);

    // SIGTERM, then SIGKILL when it has not gone after a few seconds; the
    // exit status.
    int terminate();

private:
    int processId = -1;
    std::optional<int> status;
};
} // namespace testsupport
