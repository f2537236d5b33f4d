#include "ProcessorFixture.h"

#include "support/AllocationCounter.h"
#include "support/CaseName.h"

#include "dsp/Filter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using testsupport::identical;
using testsupport::noise;
using testsupport::ProcessorFixture;

namespace
{
// Runs `samples` of stereo input through the processor in blocks of `block`
// and returns the output.
juce::AudioBuffer<float> render (MassDelayAudioProcessor& proc, const juce::AudioBuffer<float>& input, int block)
{
    juce::AudioBuffer<float> out (input);
    juce::MidiBuffer midi;
    for (int pos = 0; pos < out.getNumSamples(); pos += block)
    {
        const int n = std::min (block, out.getNumSamples() - pos);
        juce::AudioBuffer<float> view (out.getArrayOfWritePointers(), out.getNumChannels(), pos, n);
        proc.processBlock (view, midi);
    }
    return out;
}

juce::AudioBuffer<float> impulse (int samples, int at, float left = 1.0f, float right = 1.0f)
{
    juce::AudioBuffer<float> b (2, samples);
    b.clear();
    b.setSample (0, at, left);
    b.setSample (1, at, right);
    return b;
}

// What an impulse read through a four-point Catmull-Rom interpolator at a
// delay of d samples leaves at output sample x (impulse at sample 0).
double catmullRomImpulse (double x, double d)
{
    const double y = x - d;
    const double i = std::floor (y);
    const double f = y - i;
    const auto frame = [] (double k) { return k == 0.0 ? 1.0 : 0.0; };
    const double xm1 = frame (i - 1), x0 = frame (i), x1 = frame (i + 1), x2 = frame (i + 2);
    const double c1 = (x1 - xm1) / 2.0;
    const double c2 = xm1 - 2.5 * x0 + 2.0 * x1 - 0.5 * x2;
    const double c3 = (x2 - xm1) / 2.0 + 1.5 * (x0 - x1);
    return x0 + f * c1 + f * f * c2 + f * f * f * c3;
}

float maxAbs (const juce::AudioBuffer<float>& b)
{
    float m = 0.0f;
    for (int c = 0; c < b.getNumChannels(); ++c)
        m = std::max (m, b.getMagnitude (c, 0, b.getNumSamples()));
    return m;
}

} // namespace

//==============================================================================
struct ImpulseCase
{
    const char* what;
    std::vector<std::pair<const char*, float>> settings;
};

class ImpulseResponse : public ::testing::TestWithParam<ImpulseCase>, public ProcessorFixture
{};

TEST_P (ImpulseResponse, IsExactlyTheTapSetThroughTheEchoFilters)
{
    set ("mix", 100.0f);
    for (const auto& [id, value] : GetParam().settings)
        set (id, value);

    // Let the first layout settle, then send one impulse.
    const int warmup = 4800;
    const int length = 48000 * 3;
    auto input = impulse (warmup + length, warmup, 1.0f, -0.5f);
    const auto out = render (*proc, input, blockSize);

    const auto taps = proc->getTapSnapshot();
    ASSERT_GT (taps.count, 0);
    const auto& p = proc->getCurrentParams();

    // Expected: every tap's gain at its delay, interpolated as the voices
    // read, then the high-pass and low-pass echo filters.
    std::vector<double> train (static_cast<std::size_t> (length), 0.0);
    for (int t = 0; t < taps.count; ++t)
    {
        const double d = static_cast<double> (taps.taps[static_cast<std::size_t> (t)].timeMs) * sampleRate / 1000.0;
        const auto first = static_cast<int> (std::floor (d)) - 2;
        for (int x = std::max (0, first); x < std::min (length, first + 5); ++x)
            train[static_cast<std::size_t> (x)] +=
                taps.taps[static_cast<std::size_t> (t)].gain * catmullRomImpulse (x, d);
    }

    for (int ch = 0; ch < 2; ++ch)
    {
        Filter reference;
        reference.prepare (static_cast<float> (sampleRate));
        reference.setHP (p.hpHz);
        reference.setLP (p.lpHz);
        const double polarity = ch == 0 ? 1.0 : -0.5;
        double worst = 0.0;
        for (int x = 0; x < length; ++x)
        {
            const double expected =
                reference.process (static_cast<float> (train[static_cast<std::size_t> (x)] * polarity));
            worst = std::max (worst, std::fabs (expected - out.getSample (ch, warmup + x)));
        }
        EXPECT_LT (worst, 2e-6) << "channel " << ch;
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Patches, ImpulseResponse, ::testing::Values (
    ImpulseCase { "default patch", {} },
    ImpulseCase { "twisted sparse", { { "g", 60.0f }, { "tapCnt", 12.0f }, { "fb", 800.0f } } },
    ImpulseCase { "reversed with predelay", { { "rev", 1.0f }, { "pd", 150.0f }, { "dcMode", 2.0f } } },
    ImpulseCase { "synced quarter notes", { { "mu", 1.0f }, { "s", 583.4f }, { "e", 583.4f }, { "hp", 0.0f }, { "lp", 1000.0f } } }),
    testsupport::NameFromWhat());
// clang-format on

TEST (Engine, DefaultPatchPublishesTheDefaultLayout)
{
    ProcessorFixture f;
    f.runBlock();
    const auto taps = f.proc->getTapSnapshot();
    ASSERT_EQ (taps.count, 22);
    EXPECT_NEAR (taps.taps[2].timeMs, 63.38f, 0.01f);
    EXPECT_NEAR (taps.taps[21].timeMs, 2236.37f, 0.01f);
    for (int i = taps.count; i < TapSet::maxTaps; ++i)
        ASSERT_EQ (taps.taps[static_cast<std::size_t> (i)].timeMs, 0.0f);
}

//==============================================================================
TEST (Engine, SilenceInGivesExactZerosWithTapeOff)
{
    ProcessorFixture f;
    f.set ("trem", 1.0f);
    f.set ("pitchOn", 1.0f);
    f.set ("wo", 1.0f);
    f.set ("ppW", 50.0f);
    juce::AudioBuffer<float> silence (2, 48000);
    silence.clear();
    const auto out = render (*f.proc, silence, 512);
    EXPECT_EQ (maxAbs (out), 0.0f);
}

TEST (Engine, MasterAtMinusSixtyIsSilentWithPeakZero)
{
    ProcessorFixture f;
    f.set ("mout", -60.0f);
    const auto out = render (*f.proc, noise (2, 24000, 5, 0.5f), 512);
    EXPECT_EQ (maxAbs (out), 0.0f);
    EXPECT_EQ (f.proc->takeOutputPeak(), 0.0f);
}

TEST (Engine, MeterHoldsTheLargestPeakUntilTaken)
{
    ProcessorFixture f;
    f.set ("mix", 0.0f);
    auto loud = noise (2, 64, 6, 0.1f);
    loud.setSample (1, 10, 0.9f);
    render (*f.proc, loud, 64);
    render (*f.proc, noise (2, 64 * 20, 7, 0.1f), 64); // many small blocks after the transient
    EXPECT_FLOAT_EQ (f.proc->takeOutputPeak(), 0.9f);
    EXPECT_EQ (f.proc->takeOutputPeak(), 0.0f);
}

TEST (Engine, WidthZeroFoldsAndNoMidSilencesTheEchoes)
{
    ProcessorFixture f;
    f.set ("mix", 100.0f);
    f.set ("spread", 0.0f);
    auto out = render (*f.proc, noise (2, 24000, 8, 0.5f), 512);
    for (int i = 0; i < out.getNumSamples(); ++i)
        ASSERT_EQ (out.getSample (0, i), out.getSample (1, i)) << i;

    f.set ("sideOnly", 1.0f);
    out = render (*f.proc, noise (2, 24000, 9, 0.5f), 512);
    EXPECT_EQ (maxAbs (out), 0.0f);
}

//==============================================================================
TEST (Engine, StartChangeCrossfadesAtMostSixteenVoicesAtOnce)
{
    ProcessorFixture f;
    f.set ("e", 320.0f); // 64 evenly spaced 30 ms taps in a long window
    f.set ("fb", 1000.0f);
    render (*f.proc, noise (2, 9600, 10, 0.5f), 64);
    ASSERT_EQ (f.proc->getTapSnapshot().count, 64);
    ASSERT_EQ (f.proc->getVoiceBank().getNumFading(), 0);

    f.set ("s", 330.0f);
    int most = 0;
    int blocksWithFades = 0;
    for (int b = 0; b < 100; ++b)
    {
        render (*f.proc, noise (2, 64, 11 + b, 0.5f), 64);
        const int fading = f.proc->getVoiceBank().getNumFading();
        most = std::max (most, fading);
        blocksWithFades += fading > 0 ? 1 : 0;
    }
    EXPECT_EQ (most, 16);
    // 64 voices, 16 at a time, 10 ms (7.5 blocks of 64) each: about 30 blocks.
    EXPECT_GE (blocksWithFades, 28);
    EXPECT_LE (blocksWithFades, 36);
    EXPECT_EQ (f.proc->getVoiceBank().getNumFading(), 0);
}

TEST (Engine, TwistChangeGlidesWithoutCrossfades)
{
    ProcessorFixture f;
    render (*f.proc, noise (2, 9600, 12, 0.5f), 512);
    f.set ("g", 40.0f);
    render (*f.proc, noise (2, 512, 13, 0.5f), 512);
    EXPECT_EQ (f.proc->getVoiceBank().getNumFading(), 0);
    const auto& v = f.proc->getVoiceBank().getVoice (5);
    EXPECT_NE (v.readDelay, v.targetDelay);
    render (*f.proc, noise (2, 48000, 14, 0.5f), 512);
    EXPECT_NEAR (v.readDelay, v.targetDelay, 0.01);
}

struct SnapCase
{
    const char* what;
    const char* id;
};

class SnapChanges : public ::testing::TestWithParam<SnapCase>, public ProcessorFixture
{};

TEST_P (SnapChanges, FadeOutJumpAndFadeInWithoutCrossfades)
{
    set ("mix", 100.0f);
    render (*proc, noise (2, 24000, 15, 0.5f), 480);

    const juce::String id = GetParam().id;
    if (id == "patch")
    {
        juce::MemoryBlock blob;
        proc->getStateInformation (blob);
        set ("g", 70.0f); // the restore brings Twist back to 0: a whole-state change
        render (*proc, noise (2, 480, 16, 0.5f), 480);
        proc->setStateInformation (blob.getData(), static_cast<int> (blob.getSize()));
    }
    else
    {
        set (id, 1.0f);
    }

    // A steady tone keeps the wet signal busy; watch its level across the snap.
    auto tone = noise (2, 48 * 12, 17, 0.5f);
    juce::AudioBuffer<float> out (2, 48 * 12);
    out.makeCopyOf (tone);
    juce::MidiBuffer midi;
    std::vector<float> levels;
    for (int b = 0; b < 12; ++b)
    {
        juce::AudioBuffer<float> view (out.getArrayOfWritePointers(), 2, b * 48, 48);
        proc->processBlock (view, midi);
        levels.push_back (proc->getSnapLevel());
        EXPECT_EQ (proc->getVoiceBank().getNumFading(), 0) << b;
    }
    // 1 ms blocks: 4 ms down to silence, 4 ms back up.
    EXPECT_NEAR (levels[0], 0.75f, 1e-3f);
    EXPECT_NEAR (levels[2], 0.25f, 1e-3f);
    EXPECT_LT (levels[3], 0.01f);
    EXPECT_NEAR (levels[5], 0.5f, 0.03f);
    EXPECT_EQ (levels[9], 1.0f);
    EXPECT_FALSE (proc->isSnapping());

    // Every voice sits at its new tap's delay.
    const auto taps = proc->getTapSnapshot();
    for (int t = 0; t < taps.count; ++t)
        EXPECT_NEAR (proc->getVoiceBank().getVoice (t).readDelay, taps.taps[static_cast<std::size_t> (t)].timeMs * 48.0,
                     1e-3)
            << t;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Triggers, SnapChanges, ::testing::Values (SnapCase { "reverse", "rev" },
                                                                   SnapCase { "tap flip", "flipped" },
                                                                   SnapCase { "patch change", "patch" }),
                          testsupport::NameFromWhat());
// clang-format on

//==============================================================================
TEST (Engine, FullPingPongAlternatesTapsHardLeftAndRight)
{
    ProcessorFixture f;
    f.set ("mix", 100.0f);
    f.set ("ppW", 100.0f);
    f.set ("hp", 0.0f);
    f.set ("lp", 1000.0f);
    f.set ("e", 320.0f); // even 30 ms spacing
    const int warmup = 4800;
    const auto out = render (*f.proc, impulse (warmup + 48000, warmup), 512);
    const auto taps = f.proc->getTapSnapshot();
    ASSERT_GE (taps.count, 6);
    for (int t = 0; t < 6; ++t)
    {
        const int at = warmup + static_cast<int> (std::lround (taps.taps[static_cast<std::size_t> (t)].timeMs * 48.0f));
        float left = 0.0f, right = 0.0f;
        for (int k = -2; k <= 2; ++k)
        {
            left += std::abs (out.getSample (0, at + k));
            right += std::abs (out.getSample (1, at + k));
        }
        if (t % 2 == 0)
        {
            EXPECT_GT (left, 0.01f) << t;
            EXPECT_LT (right, 1e-3f * left) << t;
        }
        else
        {
            EXPECT_GT (right, 0.01f) << t;
            EXPECT_LT (left, 1e-3f * right) << t;
        }
    }
}

TEST (Engine, NaNBurstLeavesTheOutputFiniteAndClean)
{
    ProcessorFixture f;
    f.set ("tp", 1.0f);
    f.set ("flutter", 60.0f);
    f.set ("pitchOn", 1.0f);
    f.set ("pitchFbk", 80.0f);
    f.set ("trem", 1.0f);
    auto input = noise (2, 48000 * 2, 18, 0.3f);
    for (int i = 1000; i < 1100; ++i)
    {
        input.setSample (0, i, std::numeric_limits<float>::quiet_NaN());
        input.setSample (1, i,
                         i % 2 == 0 ? std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::infinity());
    }
    const auto out = render (*f.proc, input, 256);
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < out.getNumSamples(); ++i)
            ASSERT_TRUE (std::isfinite (out.getSample (c, i))) << c << " " << i;
    EXPECT_LT (maxAbs (out), 4.0f);
    EXPECT_GT (maxAbs (out), 0.01f);
}

TEST (Engine, OverlongLayoutReadsOnlyRecordedAudio)
{
    // Taps pushed past the end of the line by the gap rule, and a Wave offset
    // on top: the far taps read the oldest recorded audio, never new audio.
    ProcessorFixture f;
    f.set ("pd", 2000.0f);
    f.set ("fb", 1000.0f);
    f.set ("s", 1000.0f);
    f.set ("e", 0.0f);
    f.set ("tapCnt", 48.0f);
    f.set ("mix", 100.0f);
    f.set ("dcv", 300.0f); // the far taps stay loud
    f.set ("dcFall", 0.0f);
    f.set ("dc", 0.0f);
    f.runBlock();
    const auto taps = f.proc->getTapSnapshot();
    float latest = 0.0f;
    for (int t = 0; t < taps.count; ++t)
        latest = std::max (latest, taps.taps[static_cast<std::size_t> (t)].timeMs);
    EXPECT_GT (latest, 14980.0f);

    // A marker at the very start, then 16 s of quiet noise: the far taps
    // bring the marker back at most once, at its own age, never early.
    auto input = noise (2, 48000 * 16, 19, 0.01f);
    for (int i = 0; i < 480; ++i)
        input.setSample (0, i, 1.0f), input.setSample (1, i, 1.0f);
    f.set ("wo", 1.0f); // and the right channel reads up to 10 ms further back
    f.set ("lfoDp", 100.0f);
    const auto out = render (*f.proc, input, 512);
    for (int c = 0; c < 2; ++c)
    {
        for (int i = 0; i < out.getNumSamples(); ++i)
        {
            ASSERT_TRUE (std::isfinite (out.getSample (c, i)));
            // Before 14.9 s of age the marker cannot have come back through
            // the far taps.
            if (i > 480 * 3 && i < static_cast<int> (48000 * 2.0))
            {
                ASSERT_LT (std::abs (out.getSample (c, i)), 0.25f) << c << " " << i;
            }
        }
    }
}

//==============================================================================
// With the parameters held still, the host's block size changes nothing.
struct BlockSizeCase
{
    const char* what;
    double sampleRate;
};

class BlockSizeIndependence : public ::testing::TestWithParam<BlockSizeCase>
{};

TEST_P (BlockSizeIndependence, SameSamplesForEveryBlockPattern)
{
    const double rate = GetParam().sampleRate;
    const int length = static_cast<int> (rate * 0.75);
    const auto input = noise (2, length, 20, 0.4f);

    const auto run = [&] (std::vector<int> pattern) {
        MassDelayAudioProcessor proc;
        testsupport::TestPlayHead head;
        proc.setPlayHead (&head);
        proc.prepareToPlay (rate, 4096);
        auto& s = proc.getValueTreeState();
        const auto set = [&s] (const char* id, float v) {
            auto* p = s.getParameter (id);
            p->setValueNotifyingHost (p->convertTo0to1 (v));
        };
        set ("tp", 1.0f);
        set ("flutter", 50.0f);
        set ("tDarken", 60.0f);
        set ("pitchOn", 1.0f);
        set ("pitchRt", 400.0f);
        set ("pitchDp", 40.0f);
        set ("pitchFbk", 40.0f);
        set ("trem", 1.0f);
        set ("wo", 1.0f);
        set ("g", 30.0f);
        set ("fb", 600.0f);

        juce::AudioBuffer<float> out (input);
        juce::MidiBuffer midi;
        int pos = 0;
        for (std::size_t k = 0; pos < length; ++k)
        {
            const int n = std::min (pattern[k % pattern.size()], length - pos);
            juce::AudioBuffer<float> view (out.getArrayOfWritePointers(), 2, pos, n);
            head.ppq = pos / rate * 2.0;
            proc.processBlock (view, midi);
            pos += n;
        }
        return out;
    };

    const auto reference = run ({ 512 });
    EXPECT_GT (maxAbs (reference), 0.01f);
    for (const auto& pattern :
         std::vector<std::vector<int>> { { 1 }, { 17 }, { 64 }, { 4096 }, { 3, 500, 77, 1024, 1, 260 } })
        EXPECT_TRUE (identical (reference, run (pattern))) << "block pattern starting " << pattern[0];
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Rates, BlockSizeIndependence, ::testing::Values (
    BlockSizeCase { "44k1", 44100.0 }, BlockSizeCase { "48k", 48000.0 },
    BlockSizeCase { "96k", 96000.0 }, BlockSizeCase { "192k", 192000.0 }),
    testsupport::NameFromWhat());
// clang-format on

//==============================================================================
TEST (Engine, NothingAllocatesWhileEverythingRunsAndChanges)
{
    ProcessorFixture f;
    for (const char* id : { "tp", "trem", "pitchOn", "wo", "tremSync", "pitchSync", "waveSync", "pitchGLink" })
        f.set (id, 1.0f);
    f.set ("flutter", 70.0f);
    f.set ("ppW", 60.0f);
    f.set ("pitchLB", 500.0f);
    f.set ("pitchFbk", 50.0f);
    f.runBlock();

    auto input = noise (2, 512, 21, 0.5f);
    juce::MidiBuffer midi;
    std::size_t allocations = 0;
    for (int b = 0; b < 200; ++b)
    {
        // Parameter changes of every kind: glide, crossfade, snap, gains.
        f.set ("g", static_cast<float> ((b * 7) % 200 - 100));
        if (b % 10 == 0)
            f.set ("s", static_cast<float> (200 + b));
        if (b % 25 == 0)
            f.set ("rev", static_cast<float> ((b / 25) % 2));
        f.set ("dcv", static_cast<float> (b));
        auto buffer = input;
        testsupport::AllocationCounter counter;
        f.proc->processBlock (buffer, midi);
        allocations += counter.count();
    }
    EXPECT_EQ (allocations, 0u);
}
