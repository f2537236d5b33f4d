#pragma once

#include <juce_core/juce_core.h>

#include <string>
#include <vector>

namespace ardourtest
{
// How a child process ended.
struct ProcessResult
{
    bool exited = false; // ended through exit(); false when a signal ended it
    int exitCode = -1;   // valid when exited
    int signal = 0;      // valid when ! exited
    juce::String output; // standard output and standard error, interleaved

    bool clean() const { return exited && exitCode == 0; }
    juce::String describe() const;
};

// Runs a program with the given arguments (argv[0] is looked up in PATH),
// with extra environment variables on top of this process's environment, and
// waits for it. Output goes to logFile and is returned.
ProcessResult runProcess (const std::vector<std::string>& argv,
                          const std::vector<std::pair<std::string, std::string>>& extraEnvironment,
                          const juce::File& logFile);

// A private home for headless Ardour: its configuration, its plug-in cache
// and the home folder all live in a temporary folder, so no user setting is
// read or touched and no installed copy of the plug-in can shadow the built
// one. VST3 and LV2 plug-ins are searched only in the given folders.
class ArdourSandbox
{
public:
    ArdourSandbox (const juce::File& vst3Folder, const juce::File& lv2Folder);
    ~ArdourSandbox();

    ArdourSandbox (const ArdourSandbox&) = delete;
    ArdourSandbox& operator= (const ArdourSandbox&) = delete;

    const juce::File& root() const { return folder; }

    // Indexes a VST3 bundle with Ardour's own scanner into the sandbox's
    // plug-in cache, forced, as Ardour needs after every build.
    ProcessResult scanVst3 (const juce::File& bundle) const;

    // Runs one of the Lua scripts in the headless Ardour session host.
    ProcessResult runLua (const juce::String& scriptName, const juce::StringArray& args,
                          const juce::String& logName) const;

private:
    std::vector<std::pair<std::string, std::string>> environment() const;

    juce::File folder;
    juce::File vst3Path, lv2Path;
};

// Adds a stereo WAV file to a saved session the way Ardour's "embed" import
// does: two sources that refer to the file where it is, a whole-file region,
// a copy of it at the start of the named track's playlist, and a session
// range that covers rangeLength samples.
juce::Result embedStereoFile (const juce::File& sessionFile, const juce::String& trackName, const juce::File& wavFile,
                              juce::int64 fileLength, juce::int64 rangeLength, double sampleRate);

// The plug-in's state blob (the XML the processor writes) as the saved
// session holds it, for the first Twist Delay processor of the session.
juce::Result readPluginState (const juce::File& sessionFile, std::unique_ptr<juce::XmlElement>& state);
} // namespace ardourtest
