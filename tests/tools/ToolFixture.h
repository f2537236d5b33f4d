#pragma once

#include "AudioFixtures.h"
#include "ToolRun.h"
#include "presets/PresetSettings.h"

#include <functional>
#include <gtest/gtest.h>
#include <ostream>
#include <sys/stat.h>
#include <vector>

namespace tooltest
{
// A fresh folder for each test: the program runs inside it, with a home
// folder of its own in "home" (so its settings and user presets are in
// home/.config/TwistDelay); the reference processors of the test read the
// same user presets.
class ToolFixture : public ::testing::Test
{
protected:
    juce::File dir;
    juce::File home;
    juce::File config;

    void SetUp() override
    {
        dir = juce::File::createTempFile ("twist-render-test");
        ASSERT_TRUE (dir.createDirectory());
        home = dir.getChildFile ("home");
        config = home.getChildFile (".config");
        ASSERT_TRUE (config.createDirectory());
        presets::setProgramFolderOverride (config.getChildFile ("TwistDelay"));
    }

    void TearDown() override
    {
        presets::setProgramFolderOverride ({});
        dir.deleteRecursively();
    }

    RunResult run (const juce::StringArray& args, bool stderrOnTerminal = false) const
    {
        RunOptions options;
        options.workingDirectory = dir;
        options.environment["HOME"] = home.getFullPathName();
        options.stderrOnTerminal = stderrOnTerminal;
        return runTool (args, options);
    }

    juce::File file (const juce::String& name) const { return dir.getChildFile (name); }

    // Every file below the folder (hidden ones too, the home folder aside)
    // with its bytes; pipes and devices are listed without reading them.
    std::map<juce::String, juce::MemoryBlock> snapshot() const
    {
        std::map<juce::String, juce::MemoryBlock> files;
        for (const auto& entry : juce::RangedDirectoryIterator (dir, true, "*", juce::File::findFilesAndDirectories))
        {
            const auto& f = entry.getFile();
            if (f == home || f.isAChildOf (home))
                continue;
            struct stat st
            {};
            const bool regular = ::lstat (f.getFullPathName().toRawUTF8(), &st) == 0 && S_ISREG (st.st_mode);
            files[f.getRelativePathFrom (dir)] = regular ? fileBytes (f) : juce::MemoryBlock();
        }
        return files;
    }
};

// A command line that must fail: its exit status (1, or 2 for a malformed
// command line), a text its message must hold, what the case puts in the
// fixture's folder first, and a text the message must not hold.
struct ErrorCase
{
    const char* what;
    std::vector<const char*> args;
    int status;
    const char* message;
    std::function<void (const juce::File& dir)> prepare = {};
    const char* absent = nullptr;
};

inline void PrintTo (const ErrorCase& c, std::ostream* os)
{
    *os << c.what;
}
} // namespace tooltest
