// A saved plug-in state and --seed reproduce the sound they stand for.

#include "ToolFixture.h"

using namespace tooltest;

using StateAndSeed = ToolFixture;

namespace
{
bool sameSamples (const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b)
{
    if (a.getNumChannels() != b.getNumChannels() || a.getNumSamples() != b.getNumSamples())
        return false;
    for (int ch = 0; ch < a.getNumChannels(); ++ch)
        for (int i = 0; i < a.getNumSamples(); ++i)
            if (a.getSample (ch, i) != b.getSample (ch, i))
                return false;
    return true;
}
} // namespace

TEST_F (StateAndSeed, AStateBlobRendersAsTheProcessorThatSavedIt)
{
    // A state with settings no preset has and seeds no new processor has.
    juce::MemoryBlock blob;
    {
        MassDelayAudioProcessor::setApplyDefaultPatchAtStartup (false);
        MassDelayAudioProcessor source;
        const auto set = [&source] (const char* id, float value) {
            auto* p = source.getValueTreeState().getParameter (id);
            p->setValueNotifyingHost (p->convertTo0to1 (value));
        };
        set ("tapCnt", 12.0f);
        set ("g", -35.0f);
        set ("trem", 1.0f);
        set ("tremSh", 5.0f);
        set ("tremR", 900.0f);
        set ("wo", 1.0f);
        set ("lsh", 6.0f);
        source.setLfoSeeds (0x1234u, 0xBEEFu, 0x77u);
        source.getStateInformation (blob);
    }
    ASSERT_TRUE (file ("song.state").replaceWithData (blob.getData(), blob.getSize()));
    const auto input = testSignal (2, 48000.0, 1.0);
    ASSERT_TRUE (writeAudio (file ("in.wav"), input, 48000.0, "wav", 32));

    const auto result = run ({ "--state", "song.state", "--tail", "2", "in.wav", "out.wav" });
    ASSERT_EQ (result.exitCode, 0) << result.err;
    const auto output = readAudio (file ("out.wav"));
    ASSERT_TRUE (output.has_value());

    ReferenceSettings fromState;
    fromState.state = blob;
    EXPECT_TRUE (sameSamples (output->samples, renderWithProcessor (fromState, input, 96000).output));

    // The state is what made the sound: the patch alone sounds different.
    ReferenceSettings initOnly;
    EXPECT_FALSE (sameSamples (output->samples, renderWithProcessor (initOnly, input, 96000).output));
}

TEST_F (StateAndSeed, TheSameSeedRendersTheSameFileAndAnotherSeedAnotherOne)
{
    ASSERT_TRUE (writeAudio (file ("in.wav"), testSignal (2, 48000.0, 1.0), 48000.0, "wav", 24));
    const juce::StringArray sound { "--set", "trem=1", "--set", "tremSh=5", "--set",  "tremR=raw:950",
                                    "--set", "wo=1",   "--set", "lsh=5",    "--tail", "1" };
    const auto render = [&] (const char* seed, const char* name) {
        auto args = sound;
        args.addArray ({ "--seed", seed, "in.wav", name });
        return run (args).exitCode;
    };
    ASSERT_EQ (render ("42", "a.wav"), 0);
    ASSERT_EQ (render ("42", "b.wav"), 0);
    ASSERT_EQ (render ("43", "c.wav"), 0);

    EXPECT_TRUE (fileBytes (file ("a.wav")) == fileBytes (file ("b.wav")));
    EXPECT_FALSE (fileBytes (file ("a.wav")) == fileBytes (file ("c.wav")));
}
