// Without an input file, twist-render plays its built-in demo phrase.

#include "ToolFixture.h"

#include "DemoPhrase.h"

#include <cmath>

using namespace tooltest;

using DemoRender = ToolFixture;

TEST (DemoPhrase, IsTheSameEveryTimeWithHitsAndSilencesBetweenThem)
{
    const auto phrase = DemoPhrase::render();
    ASSERT_EQ (phrase.getNumChannels(), 2);
    ASSERT_EQ (phrase.getNumSamples(), static_cast<int> (DemoPhrase::lengthSeconds * DemoPhrase::sampleRate));
    EXPECT_NEAR (phrase.getMagnitude (0, phrase.getNumSamples()), 0.5f, 1e-6f);

    const auto again = DemoPhrase::render();
    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < phrase.getNumSamples(); ++i)
            ASSERT_EQ (phrase.getSample (ch, i), again.getSample (ch, i));

    // In 10 ms windows: count the onsets (silence, then sound) and the
    // longest silence.
    const int window = static_cast<int> (0.01 * DemoPhrase::sampleRate);
    int onsets = 0;
    int silentRun = 0;
    int longestSilence = 0;
    bool wasSilent = true;
    for (int start = 0; start + window <= phrase.getNumSamples(); start += window)
    {
        const bool silent = phrase.getMagnitude (start, window) < 1.0e-4f;
        if (wasSilent && phrase.getMagnitude (start, window) > 0.05f)
            ++onsets;
        silentRun = silent ? silentRun + 1 : 0;
        longestSilence = std::max (longestSilence, silentRun);
        wasSilent = silent || (wasSilent && phrase.getMagnitude (start, window) < 0.05f);
    }
    EXPECT_GE (onsets, 4) << "hits separated by silence";
    EXPECT_GE (longestSilence * 0.01, 0.5) << "at least half a second of silence for the echoes";
}

TEST_F (DemoRender, OneFileNamedGetsTheDemoThroughTheProcessor)
{
    const auto result = run ({ "--tail", "2", "--preset", "Weird/Bouncy Ball", "demo.wav" });
    ASSERT_EQ (result.exitCode, 0) << result.err;
    const auto output = readAudio (file ("demo.wav"));
    ASSERT_TRUE (output.has_value());
    EXPECT_EQ (output->format, "WAV");
    EXPECT_EQ (output->bits, 24);
    EXPECT_EQ (output->sampleRate, DemoPhrase::sampleRate);
    ASSERT_EQ (output->samples.getNumChannels(), 2);

    ReferenceSettings reference;
    reference.presetId = "Weird/Bouncy Ball";
    const auto expected = renderWithProcessor (reference, DemoPhrase::render(), static_cast<int> (2.0 * 48000.0));
    ASSERT_EQ (output->samples.getNumSamples(), expected.output.getNumSamples());
    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < expected.output.getNumSamples(); ++i)
            ASSERT_NEAR (output->samples.getSample (ch, i), expected.output.getSample (ch, i), 1.01f / 8388608.0f)
                << "sample " << i;
}

TEST_F (DemoRender, ReplacesAnExistingAudioFileOnlyWhenAskedTo)
{
    ASSERT_TRUE (writeAudio (file ("take.flac"), testSignal (1, 44100.0, 0.3), 44100.0, "flac", 16));
    const auto original = fileBytes (file ("take.flac"));

    const auto refused = run ({ "take.flac" });
    EXPECT_NE (refused.exitCode, 0);
    EXPECT_TRUE (fileBytes (file ("take.flac")) == original);

    const auto replaced = run ({ "--overwrite", "--tail", "0", "take.flac" });
    ASSERT_EQ (replaced.exitCode, 0) << replaced.err;
    const auto output = readAudio (file ("take.flac"));
    ASSERT_TRUE (output.has_value());
    EXPECT_EQ (output->format, "FLAC");
    EXPECT_EQ (output->samples.getNumChannels(), DemoPhrase::numChannels);
    EXPECT_EQ (output->samples.getNumSamples(), DemoPhrase::render().getNumSamples());
}
