// Every error exits with its status and message and writes nothing: no
// output, no temporary file, no change to the input or to an older output.
// A malformed command line ends with status 2, everything else with 1.

#include "ToolFixture.h"

#include "support/CaseName.h"

using namespace tooltest;

namespace
{
constexpr int failed = 1;
constexpr int malformed = 2;

class RenderError : public ToolFixture, public ::testing::WithParamInterface<ErrorCase>
{};
} // namespace

TEST_P (RenderError, ExitsNonZeroWithItsMessageAndWritesNothing)
{
    const auto& c = GetParam();
    // An input and an older output that must both survive.
    ASSERT_TRUE (writeAudio (file ("in.wav"), testSignal (2, 48000.0, 0.5), 48000.0, "wav", 16));
    ASSERT_TRUE (writeAudio (file ("out.wav"), testSignal (1, 48000.0, 0.2, 9), 48000.0, "wav", 24));
    if (c.prepare)
        c.prepare (dir);
    const auto before = snapshot();

    juce::StringArray args;
    for (const auto* a : c.args)
        args.add (a);
    const auto result = run (args);

    EXPECT_EQ (result.exitCode, c.status) << result.err;
    EXPECT_TRUE (result.err.startsWith ("twist-render: error: ")) << result.err;
    EXPECT_TRUE (result.err.contains (c.message)) << "expected \"" << c.message << "\" in:\n" << result.err;
    if (c.absent != nullptr)
    {
        EXPECT_FALSE (result.err.contains (c.absent)) << result.err;
    }
    EXPECT_EQ (result.err.contains ("--help' for more information"), c.status == malformed) << result.err;

    const auto after = snapshot();
    for (const auto& [name, bytes] : after)
        EXPECT_TRUE (before.count (name) == 1) << name << " was written";
    for (const auto& [name, bytes] : before)
    {
        ASSERT_TRUE (after.count (name) == 1) << name << " was removed";
        EXPECT_TRUE (after.at (name) == bytes) << name << " was changed";
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (
    Cases, RenderError,
    ::testing::Values (
        // Input files
        ErrorCase { "missing input", { "missing.wav", "new.wav" }, failed, "no such file" },
        ErrorCase { "input is a folder", { "folder.wav", "new.wav" }, failed, "is a folder",
                    [] (const juce::File& d) { d.getChildFile ("folder.wav").createDirectory(); } },
        ErrorCase { "input is text", { "notes.wav", "new.wav" }, failed, "unsupported format",
                    [] (const juce::File& d) { d.getChildFile ("notes.wav").replaceWithText ("not audio at all"); } },
        ErrorCase { "input is empty", { "empty.flac", "new.flac" }, failed, "unsupported format",
                    [] (const juce::File& d) { d.getChildFile ("empty.flac").create(); } },
        ErrorCase { "input has three channels", { "three.wav", "new.wav" }, failed, "has 3 channels",
                    [] (const juce::File& d) {
                        writeAudio (d.getChildFile ("three.wav"), testSignal (3, 48000.0, 0.2), 48000.0, "wav", 16);
                    } },
        ErrorCase { "input has six channels", { "six.flac", "new.flac" }, failed, "has 6 channels",
                    [] (const juce::File& d) {
                        writeAudio (d.getChildFile ("six.flac"), testSignal (6, 44100.0, 0.2), 44100.0, "flac", 16);
                    } },
        // Presets, parameters and values
        ErrorCase { "mistyped preset id", { "--preset", "Traditional/INIT PATCHH", "in.wav", "new.wav" }, failed,
                    "unknown preset 'Traditional/INIT PATCHH'; did you mean 'Traditional/INIT PATCH'" },
        ErrorCase { "preset name without its folder", { "--preset", "bouncy ball", "in.wav", "new.wav" }, failed,
                    "did you mean 'Weird/Bouncy Ball'" },
        ErrorCase { "mistyped parameter id", { "--set", "twst=10", "in.wav", "new.wav" }, failed,
                    "unknown parameter 'twst'; did you mean g (Twist)" },
        ErrorCase { "parameter named by its caption", { "--set", "tapcount=4", "in.wav", "new.wav" }, failed,
                    "did you mean tapCnt (Tap Count)" },
        ErrorCase { "value that is no number", { "--set", "g=abc", "in.wav", "new.wav" }, malformed,
                    "malformed value 'abc' for g" },
        ErrorCase { "fraction for a whole-number parameter", { "--set", "tapCnt=16.5", "in.wav", "new.wav" }, malformed,
                    "malformed value '16.5' for tapCnt" },
        ErrorCase { "switch set to 2", { "--set", "rev=2", "in.wav", "new.wav" }, malformed, "malformed value '2' for rev" },
        ErrorCase { "frequency in the wrong unit", { "--set", "hp=200 ms", "in.wav", "new.wav" }, malformed,
                    "malformed value '200 ms' for hp (HP): expected a frequency" },
        ErrorCase { "note value no grid has", { "--set", "e=1/7", "in.wav", "new.wav" }, malformed,
                    "malformed value '1/7' for e" },
        ErrorCase { "note value for a percentage", { "--set", "mix=1/8", "in.wav", "new.wav" }, malformed,
                    "malformed value '1/8' for mix" },
        ErrorCase { "raw position that is no number", { "--set", "hp=raw:low", "in.wav", "new.wav" }, malformed,
                    "expected a number after raw:" },
        ErrorCase { "setting without a value", { "--set", "g", "in.wav", "new.wav" }, malformed, "--set takes ID=VALUE" },
        ErrorCase { "tempo in words", { "--bpm", "fast", "in.wav", "new.wav" }, malformed, "malformed value 'fast' for --bpm" },
        ErrorCase { "tail in words", { "--tail", "soon", "in.wav", "new.wav" }, malformed, "malformed value 'soon' for --tail" },
        ErrorCase { "hexadecimal block size", { "--block", "0x10", "in.wav", "new.wav" }, malformed,
                    "malformed value '0x10' for --block" },
        ErrorCase { "negative seed", { "--seed", "-1", "in.wav", "new.wav" }, malformed, "malformed value '-1' for --seed" },
        ErrorCase { "seed beyond 64 bits", { "--seed", "18446744073709551616", "in.wav", "new.wav" }, malformed, "for --seed" },
        ErrorCase { "bit depth of 20", { "--bits", "20", "in.wav", "new.wav" }, malformed, "malformed value '20' for --bits" },
        ErrorCase { "unknown format", { "--format", "ogg", "in.wav", "new.wav" }, malformed, "unsupported format 'ogg'" },
        ErrorCase { "option without its value", { "in.wav", "new.wav", "--preset" }, malformed, "--preset needs a value" },
        ErrorCase { "mistyped option", { "--tial", "3", "in.wav", "new.wav" }, malformed, "did you mean --tail" },
        // Outputs
        ErrorCase { "output is the input", { "in.wav", "in.wav" }, failed, "is the input file" },
        ErrorCase { "output is the input by another path", { "in.wav", "sub/../in.wav" }, failed, "is the input file" },
        ErrorCase { "output is a link to the input", { "in.wav", "link.wav" }, failed, "is the input file",
                    [] (const juce::File& d) { d.getChildFile ("in.wav").createSymbolicLink (d.getChildFile ("link.wav"), true); } },
        ErrorCase { "plot over the input", { "--plot", "in.wav", "in.wav", "new.wav" }, failed, "is the input file" },
        ErrorCase { "one file named twice", { "--taps-json", "new.wav", "in.wav", "new.wav" }, failed,
                    "is named as two different outputs" },
        ErrorCase { "output of an unknown kind", { "in.wav", "new.mp3" }, failed, "cannot write '.mp3' files" },
        ErrorCase { "depth the format lacks", { "--bits", "32", "in.wav", "new.flac" }, failed, "FLAC files take 16 or 24 bits" },
        ErrorCase { "output is a folder", { "in.wav", "outdir" }, failed, "is a folder",
                    [] (const juce::File& d) { d.getChildFile ("outdir").createDirectory(); } },
        ErrorCase { "output inside a file", { "in.wav", "blocker/new.wav" }, failed, "cannot create the folder",
                    [] (const juce::File& d) { d.getChildFile ("blocker").replaceWithText ("a file"); } },
        ErrorCase { "demo over an existing audio file", { "in.wav" }, failed, "exists: with one file named" },
        // States and the command line as a whole
        ErrorCase { "state file that is no state", { "--state", "state.bin", "in.wav", "new.wav" }, failed,
                    "is not a Twist Delay state",
                    [] (const juce::File& d) { d.getChildFile ("state.bin").replaceWithText ("<Parameters/>"); } },
        ErrorCase { "missing state file", { "--state", "nowhere.bin", "in.wav", "new.wav" }, failed,
                    "cannot read the state file" },
        ErrorCase { "preset and state together", { "--preset", "Weird/Bats!", "--state", "s.bin", "in.wav", "new.wav" }, malformed,
                    "give one of them" },
        ErrorCase { "three files", { "in.wav", "a.wav", "b.wav" }, malformed, "too many files" },
        ErrorCase { "nothing to do", {}, malformed, "nothing to do" },
        ErrorCase { "an error after plot and JSON were asked for",
                    { "--plot", "p.png", "--taps-json", "t.json", "--preset", "nope", "in.wav", "new.wav" }, failed,
                    "unknown preset 'nope'" },
        ErrorCase { "a plot into a folder, after the audio", { "--plot", "plots", "in.wav", "new.wav" }, failed,
                    "the output", [] (const juce::File& d) { d.getChildFile ("plots").createDirectory(); } },
        ErrorCase { "preset id like none of them", { "--preset", "zzzz", "in.wav", "new.wav" }, failed,
                    "unknown preset 'zzzz' (--list-presets", {}, "did you mean" },
        ErrorCase { "parameter id like none of them", { "--set", "qqqq=1", "in.wav", "new.wav" }, failed,
                    "unknown parameter 'qqqq' (--list-params", {}, "did you mean" },
        ErrorCase { "option like none of them", { "--zzzzzz", "in.wav", "new.wav" }, malformed,
                    "unknown option '--zzzzzz' (--help", {}, "did you mean" },
        ErrorCase { "state file that is audio", { "--state", "in.wav", "in.wav", "new.wav" }, failed,
                    "is not a Twist Delay state" }),
    testsupport::NameFromWhat {});
// clang-format on
