// The tap table, the tap JSON and the tap plot show the processor's own tap
// set for the same settings.

#include "ToolFixture.h"

#include "TapPlot.h"
#include "support/CaseName.h"

#include <cmath>

using namespace tooltest;

namespace
{
struct Setting
{
    const char* id;
    float value;
};

struct TapCase
{
    const char* what;
    const char* preset;
    std::vector<Setting> settings;
    double bpm = 120.0;
    std::optional<std::uint64_t> seed = {};
};

void PrintTo (const TapCase& c, std::ostream* os)
{
    *os << c.what;
}

juce::StringArray argsFor (const TapCase& c)
{
    juce::StringArray args { "--preset", c.preset, "--bpm", juce::String (c.bpm) };
    for (const auto& s : c.settings)
        args.addArray ({ "--set", juce::String (s.id) + "=" + juce::String (s.value) });
    if (c.seed.has_value())
        args.addArray ({ "--seed", juce::String (static_cast<juce::uint64> (*c.seed)) });
    return args;
}

TapSet processorTaps (const TapCase& c, double sampleRate)
{
    ReferenceSettings reference;
    reference.presetId = c.preset;
    for (const auto& s : c.settings)
        reference.params.emplace_back (s.id, s.value);
    if (c.seed.has_value())
        reference.seeds = LfoSeeds::fromNumber (*c.seed);
    reference.bpm = c.bpm;
    reference.sampleRate = sampleRate;
    return renderWithProcessor (reference, juce::AudioBuffer<float> (2, 0), reference.blockSize).taps;
}

void expectJsonHoldsTaps (const juce::File& jsonFile, const TapSet& expected)
{
    const auto json = juce::JSON::parse (jsonFile.loadFileAsString());
    ASSERT_TRUE (json.isObject()) << "no JSON in " << jsonFile.getFullPathName();
    EXPECT_EQ (static_cast<int> (json["count"]), expected.count);
    const auto* taps = json["taps"].getArray();
    ASSERT_NE (taps, nullptr);
    ASSERT_EQ (taps->size(), expected.count);
    for (int i = 0; i < expected.count; ++i)
    {
        const auto& want = expected.taps[static_cast<std::size_t> (i)];
        const auto& got = taps->getReference (i);
        EXPECT_EQ (static_cast<int> (got["index"]), i + 1);
        EXPECT_EQ (static_cast<float> (static_cast<double> (got["timeMs"])), want.timeMs) << "tap " << i + 1;
        EXPECT_EQ (static_cast<float> (static_cast<double> (got["gain"])), want.gain) << "tap " << i + 1;
        EXPECT_EQ (static_cast<float> (static_cast<double> (got["waveDiff"])), want.waveDiff) << "tap " << i + 1;
        if (want.gain > 0.0f)
            EXPECT_NEAR (static_cast<double> (got["gainDb"]), 20.0 * std::log10 (static_cast<double> (want.gain)),
                         1e-9);
        else
            EXPECT_TRUE (got["gainDb"].isVoid()) << "a silent tap has no level in dB";
    }
}

class Taps : public ToolFixture, public ::testing::WithParamInterface<TapCase>
{};
} // namespace

TEST_P (Taps, JsonAndTableHoldTheProcessorsTapSet)
{
    const auto& c = GetParam();
    const auto expected = processorTaps (c, 48000.0);
    ASSERT_GT (expected.count, 0);

    auto args = argsFor (c);
    args.addArray ({ "--taps", "--taps-json", "taps.json" });
    const auto result = run (args);
    ASSERT_EQ (result.exitCode, 0) << result.err;
    expectJsonHoldsTaps (file ("taps.json"), expected);

    // The table: a heading, then one row per tap.
    auto lines = juce::StringArray::fromLines (result.out.trimEnd());
    ASSERT_EQ (lines.size(), expected.count + 1) << result.out;
    for (int i = 0; i < expected.count; ++i)
    {
        const auto& want = expected.taps[static_cast<std::size_t> (i)];
        juce::StringArray fields;
        fields.addTokens (lines[i + 1], " ", "");
        fields.removeEmptyStrings();
        ASSERT_EQ (fields.size(), 4) << lines[i + 1];
        EXPECT_EQ (fields[0].getIntValue(), i + 1);
        EXPECT_NEAR (fields[1].getDoubleValue(), want.timeMs, 0.0051);
        if (want.gain > 0.0f)
            EXPECT_NEAR (fields[2].getDoubleValue(), 20.0 * std::log10 (static_cast<double> (want.gain)), 0.0051);
        else
            EXPECT_EQ (fields[2], "-inf");
        EXPECT_NEAR (fields[3].getDoubleValue(), want.waveDiff, 0.000051);
    }
}

TEST_P (Taps, JsonWrittenWithARenderHoldsTheProcessorsTapSetAtTheFilesRate)
{
    const auto& c = GetParam();
    ASSERT_TRUE (writeAudio (file ("in.flac"), testSignal (1, 44100.0, 0.3), 44100.0, "flac", 16));
    auto args = argsFor (c);
    args.addArray ({ "--taps-json", "taps.json", "--tail", "0", "in.flac", "out.flac" });
    const auto result = run (args);
    ASSERT_EQ (result.exitCode, 0) << result.err;
    expectJsonHoldsTaps (file ("taps.json"), processorTaps (c, 44100.0));
    EXPECT_EQ (static_cast<double> (juce::JSON::parse (file ("taps.json").loadFileAsString())["sampleRate"]), 44100.0);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (
    Settings, Taps,
    ::testing::Values (TapCase { "INIT PATCH, synced spacing at 120 bpm", "Traditional/INIT PATCH", {} },
                       TapCase { "INIT PATCH at 90 bpm", "Traditional/INIT PATCH", {}, 90.0 },
                       TapCase { "Bouncy Ball reversed and twisted", "Weird/Bouncy Ball", { { "rev", 1.0f }, { "g", -60.0f } } },
                       TapCase { "seeded random Wave with an offset", "Traditional/Standard Delay",
                                 { { "wo", 1.0f }, { "lsh", 5.0f }, { "lfoDp", 100.0f }, { "woOff", 90.0f } }, 120.0, 3u },
                       TapCase { "Black Hole Bloom with 64 taps", "Sound Design/Cosmic & Mass/Black Hole Bloom",
                                 { { "tapCnt", 64.0f } } }),
    testsupport::NameFromWhat {});
// clang-format on

//==============================================================================
namespace
{
struct Bar
{
    int left, right, top;
    double centre() const { return 0.5 * (left + right); }
};

// The bars of a plot: runs of columns that hold the bar colour, with the
// highest row of each.
std::vector<Bar> barsIn (const juce::Image& image)
{
    const auto colour = tapplot::barColour();
    std::vector<Bar> bars;
    bool inBar = false;
    for (int x = 0; x < image.getWidth(); ++x)
    {
        int top = -1;
        for (int y = 0; y < image.getHeight() && top < 0; ++y)
            if (image.getPixelAt (x, y).getARGB() == colour.getARGB())
                top = y;
        if (top >= 0 && ! inBar)
            bars.push_back ({ x, x, top });
        else if (top >= 0)
            bars.back() = { bars.back().left, x, std::min (bars.back().top, top) };
        inBar = top >= 0;
    }
    return bars;
}

class TapPlot : public ToolFixture, public ::testing::WithParamInterface<const char*>
{};
} // namespace

TEST_P (TapPlot, DrawsOneBarPerTapAtItsTimeAsTallAsItsGain)
{
    const juce::String preset (GetParam());
    const auto result = run ({ "--preset", preset, "--plot", "taps.png" });
    ASSERT_EQ (result.exitCode, 0) << result.err;
    const auto image = juce::ImageFileFormat::loadFrom (file ("taps.png"));
    ASSERT_TRUE (image.isValid());
    EXPECT_EQ (image.getWidth(), tapplot::width);
    EXPECT_EQ (image.getHeight(), tapplot::height);

    const auto taps = processorTaps (TapCase { "", GetParam(), {} }, 48000.0);
    const auto bars = barsIn (image);
    ASSERT_EQ (static_cast<int> (bars.size()), taps.count);

    // Positions: the same proportions as the tap times.
    const auto& first = taps.taps[0];
    const auto& last = taps.taps[static_cast<std::size_t> (taps.count - 1)];
    const double pixelsPerMs = (bars.back().centre() - bars.front().centre()) / (last.timeMs - first.timeMs);
    ASSERT_GT (pixelsPerMs, 0.0);
    for (int i = 0; i < taps.count; ++i)
    {
        const auto& tap = taps.taps[static_cast<std::size_t> (i)];
        EXPECT_NEAR (bars[static_cast<std::size_t> (i)].centre(),
                     bars.front().centre() + (tap.timeMs - first.timeMs) * pixelsPerMs, 1.0)
            << "tap " << i + 1;
    }

    // Heights: a louder tap has the taller bar.
    for (int i = 0; i < taps.count; ++i)
    {
        for (int j = 0; j < taps.count; ++j)
        {
            if (taps.taps[static_cast<std::size_t> (i)].gain > taps.taps[static_cast<std::size_t> (j)].gain * 1.2f)
            {
                EXPECT_LT (bars[static_cast<std::size_t> (i)].top, bars[static_cast<std::size_t> (j)].top)
                    << "tap " << i + 1 << " is louder than tap " << j + 1;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P (Presets, TapPlot, ::testing::Values ("Traditional/INIT PATCH", "Weird/Bouncy Ball"),
                          [] (const auto& param) { return testsupport::caseName (param.param); });
