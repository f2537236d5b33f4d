// The progress bar shows on a terminal for a render that takes a while, and
// nowhere else.

#include "ToolFixture.h"

using namespace tooltest;

using Progress = ToolFixture;

TEST_F (Progress, ShowsOnATerminalForALongRenderUnlessQuiet)
{
    // Three minutes of audio through 64 taps with every effect on: a render of
    // seconds, far longer than the moment the bar waits for.
    ASSERT_TRUE (writeAudio (file ("long.wav"), testSignal (2, 48000.0, 180.0), 48000.0, "wav", 16));
    const juce::StringArray heavy { "--set", "tapCnt=64", "--set", "mu=0",   "--set", "fb=raw:1000", "--set",  "tp=1",
                                    "--set", "pitchOn=1", "--set", "trem=1", "--set", "wo=1",        "--tail", "0" };

    auto args = heavy;
    args.addArray ({ "long.wav", "out.wav" });
    const auto shown = run (args, true);
    ASSERT_EQ (shown.exitCode, 0) << shown.err;
    EXPECT_TRUE (shown.err.contains ("rendering [")) << shown.err;
    EXPECT_TRUE (shown.err.contains ("%"));
    EXPECT_TRUE (shown.err.contains ("wrote")) << "the summary follows the bar";

    args = heavy;
    args.addArray ({ "--quiet", "long.wav", "quiet.wav" });
    const auto quiet = run (args, true);
    ASSERT_EQ (quiet.exitCode, 0) << quiet.err;
    EXPECT_EQ (quiet.err, "") << "--quiet prints nothing on success";
}

TEST_F (Progress, NeverGoesToAPipe)
{
    ASSERT_TRUE (writeAudio (file ("in.wav"), testSignal (2, 48000.0, 20.0), 48000.0, "wav", 16));
    const auto result = run ({ "--set", "tapCnt=64", "--set", "mu=0", "in.wav", "out.wav" });
    ASSERT_EQ (result.exitCode, 0) << result.err;
    EXPECT_FALSE (result.err.contains ("rendering")) << result.err;
    EXPECT_FALSE (result.err.contains ("\r"));
}
