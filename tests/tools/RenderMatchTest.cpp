// A rendered file holds what the plug-in's processor makes of the same input
// with the same settings, in the format and bit depth it should have.

#include "ToolFixture.h"

#include "support/CaseName.h"

#include <cmath>

using namespace tooltest;

namespace
{
struct Setting
{
    const char* id;
    const char* text; // as typed after "="
    float expected;   // the raw value the parameter should get
};

struct MatchCase
{
    const char* what;
    const char* inputFormat;
    int inputBits;
    int channels;
    double sampleRate;
    const char* outputName;
    std::vector<const char*> extraArgs;
    const char* expectedFormat;
    int expectedBits;
    const char* preset = nullptr;
    std::vector<Setting> settings = {};
    std::optional<std::uint64_t> seed = {};
    const char* bpmText = nullptr;
    double expectedBpm = 120.0;
    double ppqStart = 0.0;
    int block = 512;
    double tailSeconds = 1.0;
    const char* warning = nullptr; // text stderr must contain; none allowed otherwise
};

void PrintTo (const MatchCase& c, std::ostream* os)
{
    *os << c.what;
}

class RenderMatch : public ToolFixture, public ::testing::WithParamInterface<MatchCase>
{};

const char* extensionOf (const char* format)
{
    return juce::String (format) == "aiff" ? ".aiff" : (juce::String (format) == "flac" ? ".flac" : ".wav");
}
} // namespace

TEST_P (RenderMatch, EqualsTheProcessorsOwnOutput)
{
    const auto& c = GetParam();

    // The input file, and what a reader gets back from it.
    const auto input = file (juce::String ("input") + extensionOf (c.inputFormat));
    ASSERT_TRUE (
        writeAudio (input, testSignal (c.channels, c.sampleRate, 1.5), c.sampleRate, c.inputFormat, c.inputBits));
    const auto inputBytes = fileBytes (input);
    const auto decoded = readAudio (input);
    ASSERT_TRUE (decoded.has_value());

    juce::StringArray args;
    ReferenceSettings reference;
    reference.sampleRate = c.sampleRate;
    if (c.preset != nullptr)
    {
        args.addArray ({ "--preset", c.preset });
        reference.presetId = c.preset;
    }
    for (const auto& s : c.settings)
    {
        args.addArray ({ "--set", juce::String (s.id) + "=" + s.text });
        reference.params.emplace_back (s.id, s.expected);
    }
    if (c.seed.has_value())
    {
        args.addArray ({ "--seed", juce::String (static_cast<juce::uint64> (*c.seed)) });
        reference.seeds = LfoSeeds::fromNumber (*c.seed);
    }
    if (c.bpmText != nullptr)
        args.addArray ({ "--bpm", c.bpmText });
    reference.bpm = c.expectedBpm;
    if (c.ppqStart != 0.0)
        args.addArray ({ "--ppq-start", juce::String (c.ppqStart) });
    reference.ppqStart = c.ppqStart;
    if (c.block != 512)
        args.addArray ({ "--block", juce::String (c.block) });
    reference.blockSize = c.block;
    args.addArray ({ "--tail", juce::String (c.tailSeconds) });
    for (const auto* a : c.extraArgs)
        args.add (a);
    args.addArray ({ input.getFileName(), c.outputName });

    const auto result = run (args);
    ASSERT_EQ (result.exitCode, 0) << result.err;
    if (c.warning != nullptr)
        EXPECT_TRUE (result.err.contains (c.warning)) << result.err;
    else
        EXPECT_FALSE (result.err.contains ("warning")) << result.err;
    EXPECT_EQ (fileBytes (input), inputBytes) << "the input was modified";

    const auto output = readAudio (file (c.outputName));
    ASSERT_TRUE (output.has_value()) << "no readable output";
    EXPECT_EQ (output->format, c.expectedFormat);
    EXPECT_EQ (output->bits, c.expectedBits);
    EXPECT_EQ (output->sampleRate, c.sampleRate);
    ASSERT_EQ (output->samples.getNumChannels(), c.channels);

    const auto tail = static_cast<int> (std::lround (c.tailSeconds * c.sampleRate));
    const auto expected = renderWithProcessor (reference, decoded->samples, tail);
    ASSERT_EQ (output->samples.getNumSamples(), expected.output.getNumSamples());

    // The effect did something, so equality below means something.
    float change = 0.0f;
    for (int ch = 0; ch < c.channels; ++ch)
        for (int i = 0; i < decoded->samples.getNumSamples(); ++i)
            change =
                std::max (change, std::abs (expected.output.getSample (ch, i) - decoded->samples.getSample (ch, i)));
    ASSERT_GT (change, 0.01f);

    // Float files hold the processor's samples exactly; integer files to
    // within one step of their depth.
    const bool floatOutput = c.expectedBits == 32 && juce::String (c.expectedFormat) == "WAV";
    const float tolerance = floatOutput ? 0.0f : 1.01f / static_cast<float> (1 << (c.expectedBits - 1));
    for (int ch = 0; ch < c.channels; ++ch)
    {
        float worst = 0.0f;
        int worstAt = 0;
        for (int i = 0; i < output->samples.getNumSamples(); ++i)
        {
            const float d = std::abs (output->samples.getSample (ch, i) - expected.output.getSample (ch, i));
            if (d > worst)
            {
                worst = d;
                worstAt = i;
            }
        }
        EXPECT_LE (worst, tolerance) << "channel " << ch << ", sample " << worstAt;
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (
    Files, RenderMatch,
    ::testing::Values (
        MatchCase { "stereo float WAV from INIT PATCH", "wav", 32, 2, 48000.0, "out.wav", {}, "WAV", 32 },
        MatchCase { "mono 24-bit WAV stays mono, with a preset and settings", "wav", 24, 1, 44100.0, "out.wav", {},
                    "WAV", 24, "Weird/Bouncy Ball", { { "g", "40", 40.0f }, { "tapCnt", "16", 16.0f } } },
        MatchCase { "stereo 16-bit AIFF at 96 kHz, synced tremolo from a bar position", "aiff", 16, 2, 96000.0,
                    "out.aiff", {}, "AIFF", 16, "Traditional/Ping Pong Eighths",
                    { { "trem", "on", 1.0f }, { "tremSync", "1", 1.0f }, { "tremD", "100", 100.0f } }, {}, "93",
                    93.0, 6.3 },
        MatchCase { "stereo 24-bit FLAC with a seeded random Wave", "flac", 24, 2, 44100.0, "out.flac", {}, "FLAC", 24,
                    nullptr, { { "wo", "1", 1.0f }, { "lsh", "5", 5.0f }, { "lfoDp", "100", 100.0f } }, 7u },
        MatchCase { "mono 16-bit FLAC in odd blocks with a seeded pitch LFO", "flac", 16, 1, 22050.0, "out.flac", {},
                    "FLAC", 16, "Sound Design/Cosmic & Mass/Black Hole Bloom",
                    { { "pitchOn", "1", 1.0f }, { "pitchRt", "raw:600", 600.0f }, { "pitchDp", "60", 60.0f },
                      { "pitchSh", "6", 6.0f } },
                    12345u, nullptr, 120.0, 0.0, 1000, 3.0 },
        MatchCase { "format and depth given override the input's", "wav", 24, 2, 48000.0, "out.bin",
                    { "--format", "flac", "--bits", "16" }, "FLAC", 16 },
        MatchCase { "the output extension names the format", "wav", 16, 2, 48000.0, "out.aif", {}, "AIFF", 16 },
        MatchCase { "a format given against the output's extension wins, with a warning", "wav", 24, 2, 48000.0,
                    "out.wav", { "--format", "flac" }, "FLAC", 24, nullptr, {}, {}, nullptr, 120.0, 0.0, 512, 1.0,
                    "writing FLAC (--format) into out.wav, whose name says WAV" },
        MatchCase { "32-bit input into AIFF is written at 24 bits", "wav", 32, 2, 48000.0, "out.aiff", {}, "AIFF", 24,
                    nullptr, {}, {}, nullptr, 120.0, 0.0, 512, 1.0, "no 32-bit samples" },
        MatchCase { "values outside their range are clamped", "wav", 32, 2, 48000.0, "out.wav", {}, "WAV", 32, nullptr,
                    { { "g", "150", 100.0f }, { "dcFall", "-3", 0.0f }, { "tapCnt", "99", 64.0f } }, {}, "5000",
                    999.0, 0.0, 512, 1.0, "outside" },
        MatchCase { "no tail at all", "wav", 32, 2, 48000.0, "out.wav", {}, "WAV", 32, nullptr, {}, {}, nullptr, 120.0,
                    0.0, 64, 0.0 }),
    testsupport::NameFromWhat {});
// clang-format on
