// twist-snapshot fails as twist-render does: "twist-snapshot: error: ..."
// with what went wrong, status 2 for a malformed command line and 1 for
// anything else, and no picture written. Both tools answer --help and
// --version the same way.

#include "ToolFixture.h"

#include "support/CaseName.h"

using namespace tooltest;

namespace
{
constexpr int failed = 1;
constexpr int malformed = 2;

class SnapshotError : public ToolFixture, public ::testing::WithParamInterface<ErrorCase>
{
protected:
    RunResult snapshotRun (const juce::StringArray& args)
    {
        RunOptions options;
        options.workingDirectory = dir;
        options.environment["HOME"] = home.getFullPathName();
        options.keepDisplay = true;
        options.binary = snapshotBinary();
        return runTool (args, options);
    }
};

class ToolIdentity : public ToolFixture, public ::testing::WithParamInterface<const char*>
{};
} // namespace

TEST_P (SnapshotError, ExitsWithItsMessageAndWritesNoPicture)
{
    const auto& c = GetParam();
    ASSERT_TRUE (writeAudio (file ("in.wav"), testSignal (2, 48000.0, 0.2), 48000.0, "wav", 16));
    if (c.prepare)
        c.prepare (dir);
    const auto before = snapshot();

    juce::StringArray args;
    for (const auto* a : c.args)
        args.add (a);
    const auto result = snapshotRun (args);

    EXPECT_EQ (result.exitCode, c.status) << result.err;
    EXPECT_TRUE (result.err.startsWith ("twist-snapshot: error: ")) << result.err;
    EXPECT_TRUE (result.err.contains (c.message)) << "expected \"" << c.message << "\" in:\n" << result.err;
    EXPECT_EQ (result.err.contains ("Try 'twist-snapshot --help' for more information."), c.status == malformed)
        << result.err;
    EXPECT_TRUE (result.out.isEmpty()) << result.out;
    EXPECT_TRUE (snapshot() == before) << "something was written";
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (
    Cases, SnapshotError,
    ::testing::Values (
        ErrorCase { "mistyped mode", { "galery", "shots" }, malformed,
                            "unknown mode 'galery'; did you mean gallery" },
        ErrorCase { "no folder", { "gallery" }, malformed, "give MODE and FOLDER" },
        ErrorCase { "three positional arguments", { "gallery", "a", "b" }, malformed, "too many arguments" },
        ErrorCase { "scale in words", { "gallery", "shots", "--scale", "big" }, malformed,
                            "malformed value 'big' for --scale: expected a whole number" },
        ErrorCase { "fractional tick count", { "editor", "shots", "--ticks", "2.5" }, malformed,
                            "malformed value '2.5' for --ticks" },
        ErrorCase { "name with a folder in it", { "gallery", "shots", "--name", "a/b" }, malformed,
                            "--name 'a/b' is not a file name" },
        ErrorCase { "editor option for the gallery", { "gallery", "shots", "--preset", "Weird/Bats!" }, malformed,
                            "go with the editor mode, not gallery" },
        ErrorCase { "preset and state together", { "editor", "shots", "--preset", "Weird/Bats!", "--state", "s.bin" },
                            malformed, "give one of them" },
        ErrorCase { "mistyped option", { "gallery", "shots", "--scael", "1" }, malformed, "did you mean --scale" },
        ErrorCase { "option without its value", { "gallery", "shots", "--name" }, malformed, "--name needs a value" },
        ErrorCase { "value in the wrong unit", { "editor", "shots", "--set", "hp=3 ms" }, malformed,
                            "malformed value '3 ms' for hp (HP): expected a frequency" },
        ErrorCase { "mistyped parameter", { "editor", "shots", "--set", "twst=10" }, failed,
                            "unknown parameter 'twst'; did you mean g (Twist)" },
        ErrorCase { "dragged parameter that does not exist", { "editor", "shots", "--drag", "dcvv" }, failed,
                            "unknown parameter 'dcvv'" },
        ErrorCase { "hovered parameter that does not exist", { "editor", "shots", "--hover", "mixx" }, failed,
                            "unknown parameter 'mixx'; did you mean mix" },
        ErrorCase { "mistyped preset", { "editor", "shots", "--preset", "Weird/Bouncy Bal" }, failed,
                            "unknown preset 'Weird/Bouncy Bal'; did you mean 'Weird/Bouncy Ball'" },
        ErrorCase { "audio file as the state", { "editor", "shots", "--state", "in.wav" }, failed,
                            "is not a Twist Delay state" },
        ErrorCase { "missing state file", { "editor", "shots", "--state", "nowhere.bin" }, failed,
                            "cannot read the state file" },
        ErrorCase { "area with three numbers", { "gallery", "shots", "--area", "0,0,10" }, malformed,
                            "malformed value '0,0,10' for --area: expected X,Y,W,H" },
        ErrorCase { "area without a size", { "gallery", "shots", "--area", "10,10,0,5" }, malformed,
                            "malformed value '10,10,0,5' for --area" },
        ErrorCase { "area beside the picture", { "gallery", "shots", "--area", "90000,0,10,10" }, failed,
                            "lies outside the gallery picture" },
        ErrorCase { "section opened in the gallery", { "gallery", "shots", "--expand", "TAPE" }, malformed,
                            "go with the editor mode, not gallery" },
        ErrorCase { "section that does not exist", { "editor", "shots", "--expand", "REVERB" }, failed,
                            "no effect section 'REVERB'" },
        ErrorCase { "folder that is a file", { "gallery", "blocker" }, failed, "blocker",
                            [] (const juce::File& d) { d.getChildFile ("blocker").replaceWithText ("a file"); } }),
    testsupport::NameFromWhat {});
// clang-format on

TEST_F (SnapshotError, AValueOutsideItsRangeIsClampedWithAWarning)
{
    const auto result = snapshotRun ({ "gallery", "shots", "--scale", "0" });
    ASSERT_EQ (result.exitCode, 0) << result.err;
    EXPECT_TRUE (result.err.contains ("twist-snapshot: warning: --scale 0 is outside 1..4; using 1")) << result.err;
    EXPECT_TRUE (file ("shots/gallery@1x.png").existsAsFile());
    EXPECT_FALSE (file ("shots/gallery@2x.png").exists());
}

TEST_P (ToolIdentity, HelpAndVersionExitZeroOnStandardOutput)
{
    const juce::String tool (GetParam());
    RunOptions options;
    options.workingDirectory = dir;
    options.binary = tool == "twist-render" ? toolBinary() : snapshotBinary();

    for (const auto* flag : { "--help", "-h" })
    {
        const auto help = runTool ({ flag }, options);
        EXPECT_EQ (help.exitCode, 0) << flag << ": " << help.err;
        EXPECT_TRUE (help.out.startsWith ("Usage: " + tool + " [OPTION]...")) << help.out;
        EXPECT_TRUE (help.out.contains ("  --version")) << help.out;
        EXPECT_TRUE (help.out.contains ("Exit status: 0")) << help.out;
        EXPECT_TRUE (help.err.isEmpty()) << help.err;
    }

    const auto version = runTool ({ "--version" }, options);
    EXPECT_EQ (version.exitCode, 0) << version.err;
    const auto lines = juce::StringArray::fromLines (version.out);
    EXPECT_EQ (lines[0], tool + " (Twist Delay) " TWIST_VERSION);
    EXPECT_TRUE (version.out.contains ("GPLv3+")) << version.out;
    EXPECT_TRUE (version.err.isEmpty()) << version.err;

    // --version wins over the rest of the command line, as --help does.
    EXPECT_EQ (runTool ({ "--version", "nothing", "to", "do" }, options).exitCode, 0);
}

INSTANTIATE_TEST_SUITE_P (Tools, ToolIdentity, ::testing::Values ("twist-render", "twist-snapshot"),
                          [] (const auto& tool) { return testsupport::caseName (tool.param); });
