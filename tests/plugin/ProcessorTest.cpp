#include "ProcessorFixture.h"

#include "support/AllocationCounter.h"
#include "support/CaseName.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

using testsupport::identical;
using testsupport::noise;
using testsupport::ProcessorFixture;
using SnapPhase = MassDelayAudioProcessor::SnapPhase;

namespace
{
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

} // namespace

//==============================================================================
// Raw parameter values in, derived ParamBlock fields out.
struct BlockCase
{
    const char* what;
    std::vector<std::pair<const char*, float>> settings;
    std::function<float (const ParamBlock&)> field;
    float expected;
    float tolerance;
};

class ParamBlockMapping : public ::testing::TestWithParam<BlockCase>, public ProcessorFixture
{};

TEST_P (ParamBlockMapping, ReadParamsDerivesTheField)
{
    const auto& c = GetParam();
    for (const auto& [id, value] : c.settings)
        set (id, value);
    runBlock();
    EXPECT_NEAR (c.field (proc->getCurrentParams()), c.expected, c.tolerance);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Fields, ParamBlockMapping, ::testing::Values (
    BlockCase { "default start", {}, [] (const ParamBlock& p) { return p.startMs; }, 30.0f, 0.0f },
    BlockCase { "default end", {}, [] (const ParamBlock& p) { return p.endMs; }, 301.0f, 0.0f },
    BlockCase { "start 650", { { "s", 650.0f } }, [] (const ParamBlock& p) { return p.startMs; }, 1000.0f, 0.0f },
    BlockCase { "end 1000", { { "e", 1000.0f } }, [] (const ParamBlock& p) { return p.endMs; }, 2000.0f, 0.0f },
    BlockCase { "end 1000 with 4x", { { "e", 1000.0f }, { "io2x", 1.0f } }, [] (const ParamBlock& p) { return p.endMs; }, 8000.0f, 0.0f },
    BlockCase { "synced start top", { { "s", 1000.0f }, { "mu", 1.0f }, { "io2x", 1.0f } }, [] (const ParamBlock& p) { return p.startMs; }, 8000.0f, 1e-3f },
    BlockCase { "synced end bottom", { { "e", 0.0f }, { "mu", 1.0f } }, [] (const ParamBlock& p) { return p.endMs; }, 15.625f, 1e-4f },
    BlockCase { "length default", {}, [] (const ParamBlock& p) { return p.lengthMs; }, 2408.0f, 0.0f },
    BlockCase { "length top", { { "fb", 1000.0f } }, [] (const ParamBlock& p) { return p.lengthMs; }, 14000.0f, 0.0f },
    BlockCase { "decay curve default", {}, [] (const ParamBlock& p) { return p.decayCurve; }, -70.0f, 0.01f },
    BlockCase { "decay curve top", { { "dcv", 300.0f } }, [] (const ParamBlock& p) { return p.decayCurve; }, 140.0f, 1e-3f },
    BlockCase { "decay mode", { { "dcMode", 2.0f } }, [] (const ParamBlock& p) { return float (p.decayMode); }, 2.0f, 0.0f },
    BlockCase { "decay steps", { { "dcSteps", 9.0f } }, [] (const ParamBlock& p) { return float (p.decaySteps); }, 9.0f, 0.0f },
    BlockCase { "falloff", { { "dcFall", 12.5f } }, [] (const ParamBlock& p) { return p.decayFalloff; }, 12.5f, 1e-4f },
    BlockCase { "hp default", {}, [] (const ParamBlock& p) { return p.hpHz; }, 200.0f, 0.1f },
    BlockCase { "lp default", {}, [] (const ParamBlock& p) { return p.lpHz; }, 6000.0f, 2.0f },
    BlockCase { "mix", { { "mix", 35.0f } }, [] (const ParamBlock& p) { return p.mix; }, 35.0f, 1e-4f },
    BlockCase { "mix bypass forces 0", { { "mix", 35.0f }, { "mixByp", 1.0f } }, [] (const ParamBlock& p) { return p.mix; }, 0.0f, 0.0f },
    BlockCase { "wave rate default", {}, [] (const ParamBlock& p) { return p.waveRateHz; }, 1.2f, 0.01f },
    BlockCase { "wave raw rate", { { "lrs", 250.0f } }, [] (const ParamBlock& p) { return p.waveRateRaw; }, 250.0f, 1e-4f },
    BlockCase { "trem rate default", {}, [] (const ParamBlock& p) { return p.tremRateHz; }, 3.0f, 0.01f },
    BlockCase { "trem shape", { { "tremSh", 7.0f } }, [] (const ParamBlock& p) { return float (p.tremShape); }, 7.0f, 0.0f },
    BlockCase { "pitch rate off", {}, [] (const ParamBlock& p) { return p.pitchRateHz; }, 0.0f, 0.0f },
    BlockCase { "pitch rate top", { { "pitchRt", 1000.0f } }, [] (const ParamBlock& p) { return p.pitchRateHz; }, 8.0f, 1e-3f },
    BlockCase { "pitch offset", { { "pitchCt", -25.0f } }, [] (const ParamBlock& p) { return p.pitchOffset; }, -25.0f, 0.051f },
    BlockCase { "length bend", { { "pitchLB", -600.0f } }, [] (const ParamBlock& p) { return p.lengthBendCents; }, -600.0f, 1e-3f },
    BlockCase { "tape wear", { { "tDarken", 60.0f } }, [] (const ParamBlock& p) { return p.tapeWear; }, 60.0f, 0.0f },
    BlockCase { "tape flutter speed", { { "flutSpd", 70.0f } }, [] (const ParamBlock& p) { return p.flutterSpeed; }, 70.0f, 1e-4f },
    BlockCase { "ping pong amount", { { "ppW", 40.0f } }, [] (const ParamBlock& p) { return p.pingPongAmount; }, 40.0f, 1e-4f },
    BlockCase { "widen", { { "spread", 11.0f } }, [] (const ParamBlock& p) { return p.widen; }, 11.0f, 1e-4f },
    BlockCase { "master", { { "mout", -12.0f } }, [] (const ParamBlock& p) { return p.masterDb; }, -12.0f, 0.051f },
    BlockCase { "predelay", { { "pd", 125.0f } }, [] (const ParamBlock& p) { return p.predelayMs; }, 125.0f, 1e-3f },
    BlockCase { "tap count from the listener", { { "tapCnt", 16.0f } }, [] (const ParamBlock& p) { return float (p.tapCount); }, 16.0f, 0.0f },
    BlockCase { "wave seed", {}, [] (const ParamBlock& p) { return float (p.waveSeed == 0x5EED0001u); }, 1.0f, 0.0f },
    BlockCase { "flip swaps start and end", { { "s", 650.0f }, { "e", 1000.0f }, { "flipped", 1.0f } }, [] (const ParamBlock& p) { return p.startMs - p.endMs; }, 2000.0f - 1000.0f, 0.0f },
    BlockCase { "flip negates twist", { { "g", 40.0f }, { "flipped", 1.0f } }, [] (const ParamBlock& p) { return p.twist; }, -40.0f, 1e-4f },
    BlockCase { "no flip keeps twist", { { "g", 40.0f } }, [] (const ParamBlock& p) { return p.twist; }, 40.0f, 1e-4f }),
    testsupport::NameFromWhat());
// clang-format on

TEST (ParamBlockFlags, BooleansCountAsOnAboveOneHalf)
{
    ProcessorFixture f;
    const char* ids[] = { "mixByp",    "wo",        "trem",       "tp",      "tOd",      "waveSync", "tremSync",
                          "mu",        "rev",       "dc",         "ppOn",    "sideOnly", "lk",       "pitchOn",
                          "pitchWide", "pitchSync", "pitchGLink", "pitch2x", "flipped" };
    for (const char* id : ids)
        f.set (id, 1.0f);
    f.runBlock();
    const auto& p = f.proc->getCurrentParams();
    const bool all = p.mixBypass && p.waveOn && p.tremOn && p.tapeOn && p.tapeOd && p.waveSync && p.tremSync
                     && p.tapSync && p.reverse && p.dynamicSmoothing && p.pingPongOn && p.noMid && p.startEndLock
                     && p.pitchOn && p.pitchWide && p.pitchSync && p.pitchTwistLink && p.pitch2x && p.flipped;
    EXPECT_TRUE (all);

    for (const char* id : ids)
        f.set (id, 0.0f);
    f.runBlock();
    const auto& q = f.proc->getCurrentParams();
    const bool any = q.mixBypass || q.waveOn || q.tremOn || q.tapeOn || q.tapeOd || q.waveSync || q.tremSync
                     || q.tapSync || q.reverse || q.dynamicSmoothing || q.pingPongOn || q.noMid || q.startEndLock
                     || q.pitchOn || q.pitchWide || q.pitchSync || q.pitchTwistLink || q.pitch2x || q.flipped;
    EXPECT_FALSE (any);
}

//==============================================================================
TEST (TapCountListener, RoundsAndClampsTheRequestedCount)
{
    MassDelayAudioProcessor proc;
    EXPECT_EQ (proc.getRequestedTapCount(), 64);
    proc.parameterChanged ("tapCnt", 15.6f);
    EXPECT_EQ (proc.getRequestedTapCount(), 16);
    proc.parameterChanged ("tapCnt", 0.0f);
    EXPECT_EQ (proc.getRequestedTapCount(), 1);
    proc.parameterChanged ("tapCnt", 5000.0f);
    EXPECT_EQ (proc.getRequestedTapCount(), 300);
    proc.parameterChanged ("tapCnt", kNaN);
    EXPECT_EQ (proc.getRequestedTapCount(), 300);
    proc.parameterChanged ("g", 7.0f);
    EXPECT_EQ (proc.getRequestedTapCount(), 300);
}

//==============================================================================
// Host tempo and position.
TEST (HostPosition, CapturesTempoPositionAndPlayState)
{
    ProcessorFixture f;
    f.playHead.bpm = 90.0;
    f.playHead.ppq = 16.0;
    f.playHead.playing = false;
    f.set ("mu", 1.0f);
    f.set ("s", 1000.0f);
    f.runBlock (256);

    EXPECT_TRUE (f.proc->isHostTempoValid());
    EXPECT_EQ (f.proc->getHostTempo(), 90.0);
    EXPECT_FALSE (f.proc->isHostPlaying());
    EXPECT_EQ (f.proc->getLastTempo(), 90.0f);
    EXPECT_EQ (f.proc->getCurrentParams().bpm, 90.0f);
    EXPECT_NEAR (f.proc->getCurrentParams().startMs, 16.0f * 60000.0f / 90.0f, 1e-2f);
    // The position moves on with the block.
    EXPECT_NEAR (f.proc->getHostPosition(), 16.0 + 256.0 / 48000.0 * 1.5, 1e-9);
}

TEST (HostPosition, MissingTempoMeans120AndNoPositionKeepsTheLastTempo)
{
    ProcessorFixture f;
    f.playHead.bpm = 100.0;
    f.runBlock();
    EXPECT_EQ (f.proc->getLastTempo(), 100.0f);

    f.playHead.bpm.reset();
    f.runBlock();
    EXPECT_EQ (f.proc->getLastTempo(), 120.0f);
    EXPECT_EQ (f.proc->getCurrentParams().bpm, 120.0f);

    f.playHead.bpm = 100.0;
    f.runBlock();
    f.playHead.hasPosition = false;
    f.runBlock();
    EXPECT_FALSE (f.proc->isHostTempoValid());
    EXPECT_EQ (f.proc->getCurrentParams().bpm, 100.0f);
}

struct TempoCase
{
    const char* what;
    double hostBpm;
};

class BadHostTempo : public ::testing::TestWithParam<TempoCase>, public ProcessorFixture
{};

TEST_P (BadHostTempo, KeepsTheLastGoodTempoAndFiniteSpacings)
{
    // The switches as a project comes: set before anything plays, so they
    // are taken as they are and nothing is converted.
    set ("mu", 1.0f);
    set ("wo", 1.0f);
    set ("waveSync", 1.0f);
    playHead.bpm = 140.0;
    runBlock();
    playHead.bpm = GetParam().hostBpm;
    runBlock();

    const auto& p = proc->getCurrentParams();
    EXPECT_FALSE (proc->isHostTempoValid());
    EXPECT_EQ (proc->getLastTempo(), 140.0f);
    EXPECT_EQ (p.bpm, 140.0f);
    EXPECT_TRUE (std::isfinite (p.startMs));
    EXPECT_TRUE (std::isfinite (p.endMs));
    // The default start (320) is the triplet sixteenth at the kept tempo.
    EXPECT_NEAR (p.startMs, (1.0f / 3.0f) * 60000.0f / 140.0f, 1e-3f);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Tempos, BadHostTempo, ::testing::Values (
    TempoCase { "zero", 0.0 },
    TempoCase { "negative", -120.0 },
    TempoCase { "NaN", std::numeric_limits<double>::quiet_NaN() },
    TempoCase { "infinite", std::numeric_limits<double>::infinity() }),
    testsupport::NameFromWhat());
// clang-format on

TEST (HostPosition, AbsurdTempoIsClampedToASaneRange)
{
    ProcessorFixture f;
    f.playHead.bpm = 1.0e9;
    f.set ("mu", 1.0f);
    f.set ("s", 0.0f);
    f.runBlock();
    EXPECT_EQ (f.proc->getCurrentParams().bpm, float (MassDelayAudioProcessor::maxTempo));
    EXPECT_GT (f.proc->getCurrentParams().startMs, 0.0f);

    f.playHead.bpm = 1.0e-9;
    f.runBlock();
    EXPECT_EQ (f.proc->getCurrentParams().bpm, float (MassDelayAudioProcessor::minTempo));
    EXPECT_TRUE (std::isfinite (f.proc->getCurrentParams().startMs));
}

//==============================================================================
// A non-finite raw value reads as the parameter's default.
TEST (NonFiniteParameters, ReadAsTheParameterDefault)
{
    ProcessorFixture f;
    f.set ("g", 50.0f);
    f.set ("mix", 20.0f);
    f.set ("s", 900.0f);
    auto& state = f.proc->getValueTreeState();
    state.getRawParameterValue ("g")->store (kNaN);
    state.getRawParameterValue ("mix")->store (kInf);
    state.getRawParameterValue ("s")->store (-kInf);
    state.getRawParameterValue ("dcMode")->store (kNaN);
    f.runBlock();

    const auto& p = f.proc->getCurrentParams();
    EXPECT_EQ (p.twist, 0.0f);
    EXPECT_EQ (p.mix, 80.0f);
    EXPECT_EQ (p.startMs, 30.0f);
    EXPECT_EQ (p.decayMode, 0);
}

//==============================================================================
// What changed from block to block.
TEST (DirtyClassification, FirstBlockRecomputesEverythingButDoesNotSnap)
{
    ProcessorFixture f;
    f.runBlock();
    const auto d = f.proc->getLastDirtyFlags();
    EXPECT_TRUE (d.timing && d.twist && d.gain);
    EXPECT_FALSE (d.snap);
    EXPECT_EQ (f.proc->getSnapPhase(), SnapPhase::Idle);

    f.runBlock();
    EXPECT_FALSE (f.proc->getLastDirtyFlags().any());
}

TEST (DirtyClassification, TwistAloneMarksOnlyTwistAndFlipComparesUnflipped)
{
    ProcessorFixture f;
    f.runBlock();
    f.set ("g", 30.0f);
    f.runBlock();
    auto d = f.proc->getLastDirtyFlags();
    EXPECT_TRUE (d.twist);
    EXPECT_FALSE (d.timing || d.gain || d.snap);

    // Turning Tap Flip on snaps but does not count as a timing change,
    // although the engine's start and end are swapped.
    f.set ("flipped", 1.0f);
    f.runBlock();
    d = f.proc->getLastDirtyFlags();
    EXPECT_TRUE (d.snap);
    EXPECT_FALSE (d.timing || d.twist || d.gain);
    EXPECT_EQ (f.proc->getCurrentParams().twist, -30.0f);

    f.runBlock();
    EXPECT_FALSE (f.proc->getLastDirtyFlags().any());
}

//==============================================================================
// Snap envelope.
TEST (SnapEnvelope, FadesOutThenInOneStepPerSample)
{
    float level = 1.0f;
    auto phase = SnapPhase::FadeOut;
    std::vector<float> levels;
    std::vector<bool> ended;
    for (int i = 0; i < 10; ++i)
    {
        ended.push_back (MassDelayAudioProcessor::advanceSnapEnvelope (level, phase, 0.25f));
        levels.push_back (level);
    }
    const std::vector<float> expectedLevels { 0.75f, 0.5f, 0.25f, 0.0f, 0.25f, 0.5f, 0.75f, 1.0f, 1.0f, 1.0f };
    EXPECT_EQ (levels, expectedLevels);
    const std::vector<bool> expectedEnded { false, false, false, true, false, false, false, false, false, false };
    EXPECT_EQ (ended, expectedEnded);
    EXPECT_EQ (phase, SnapPhase::Idle);
}

TEST (SnapEnvelope, ClampsWhenTheStepOvershoots)
{
    float level = 0.1f;
    auto phase = SnapPhase::FadeOut;
    EXPECT_TRUE (MassDelayAudioProcessor::advanceSnapEnvelope (level, phase, 0.3f));
    EXPECT_EQ (level, 0.0f);
    EXPECT_EQ (phase, SnapPhase::FadeIn);
    level = 0.9f;
    EXPECT_FALSE (MassDelayAudioProcessor::advanceSnapEnvelope (level, phase, 0.3f));
    EXPECT_EQ (level, 1.0f);
    EXPECT_EQ (phase, SnapPhase::Idle);
    EXPECT_FALSE (MassDelayAudioProcessor::advanceSnapEnvelope (level, phase, 0.3f));
    EXPECT_EQ (level, 1.0f);
}

TEST (SnapEnvelope, ReverseAndPatchChangesRunAFourMillisecondFadeEachWay)
{
    ProcessorFixture f;
    f.runBlock();
    f.set ("rev", 1.0f);

    // 4 ms at 48 kHz is 192 samples: after 100 the fade-out is running.
    f.runBlock (100);
    EXPECT_EQ (f.proc->getSnapPhase(), SnapPhase::FadeOut);
    EXPECT_TRUE (f.proc->isSnapping());
    EXPECT_NEAR (f.proc->getSnapLevel(), 1.0f - 100.0f / 192.0f, 1e-4f);

    // Summing 192 float steps may leave a residue of a few ulps, so the
    // fade-out ends on sample 192 or 193.
    f.runBlock (93);
    EXPECT_EQ (f.proc->getSnapPhase(), SnapPhase::FadeIn);
    EXPECT_FALSE (f.proc->isSnapping());
    EXPECT_LE (f.proc->getSnapLevel(), 1.0f / 192.0f + 1e-6f);

    f.runBlock (193);
    EXPECT_EQ (f.proc->getSnapPhase(), SnapPhase::Idle);
    EXPECT_EQ (f.proc->getSnapLevel(), 1.0f);

    // A whole-state replacement snaps through the patch generation.
    juce::MemoryBlock blob;
    f.proc->getStateInformation (blob);
    const int generation = f.proc->getPatchGeneration();
    f.proc->setStateInformation (blob.getData(), static_cast<int> (blob.getSize()));
    EXPECT_EQ (f.proc->getPatchGeneration(), generation + 1);
    f.runBlock (10);
    EXPECT_EQ (f.proc->getSnapPhase(), SnapPhase::FadeOut);
    EXPECT_TRUE (f.proc->isSnapping());
    EXPECT_FALSE (f.proc->getLastDirtyFlags().snap);
}

//==============================================================================
// Audio path.
TEST (AudioPath, DryOnlyMixReturnsTheInputExactlyWithoutAllocating)
{
    ProcessorFixture f;
    f.set ("mix", 0.0f);
    f.set ("tp", 1.0f);
    f.set ("trem", 1.0f);
    f.set ("pitchOn", 1.0f);
    f.runBlock(); // first block out of the way
    auto buffer = noise (2, ProcessorFixture::blockSize, 1);
    const auto original = buffer;
    juce::MidiBuffer midi;

    std::size_t allocations = 0;
    {
        testsupport::AllocationCounter counter;
        f.proc->processBlock (buffer, midi);
        allocations = counter.count();
    }
    EXPECT_EQ (allocations, 0u);
    EXPECT_TRUE (identical (buffer, original));
}

TEST (AudioPath, OversizedBlockRunsInPreparedPiecesWithoutAllocating)
{
    // The same audio in one block four times the prepared size, or in
    // prepared-size blocks, gives the same output and the same transport.
    ProcessorFixture whole, pieces;
    for (auto* f : { &whole, &pieces })
    {
        f->playHead.bpm = 120.0;
        f->playHead.ppq = 8.0;
        f->set ("trem", 1.0f);
        f->set ("tremSync", 1.0f);
        f->runBlock();
        f->set ("rev", 1.0f); // a snap that spans the pieces
    }

    auto big = noise (2, ProcessorFixture::blockSize * 4, 2);
    auto split = big;
    juce::MidiBuffer midi;
    std::size_t allocations = 0;
    {
        testsupport::AllocationCounter counter;
        whole.proc->processBlock (big, midi);
        allocations = counter.count();
    }
    EXPECT_EQ (allocations, 0u);
    EXPECT_NEAR (whole.proc->getHostPosition(), 8.0 + 2048.0 / 48000.0 * 2.0, 1e-9);

    for (int k = 0; k < 4; ++k)
    {
        juce::AudioBuffer<float> piece (split.getArrayOfWritePointers(), 2, k * ProcessorFixture::blockSize,
                                        ProcessorFixture::blockSize);
        pieces.playHead.ppq = 8.0 + k * ProcessorFixture::blockSize / 48000.0 * 2.0;
        pieces.proc->processBlock (piece, midi);
    }
    EXPECT_TRUE (identical (big, split));
    EXPECT_EQ (whole.proc->getSnapPhase(), SnapPhase::Idle);
}

struct LayoutCase
{
    const char* what;
    juce::AudioChannelSet in, out;
    bool supported;
};

class BusLayouts : public ::testing::TestWithParam<LayoutCase>
{};

TEST_P (BusLayouts, AcceptsOnlyLayoutsTheOutputStageHandles)
{
    const auto& c = GetParam();
    MassDelayAudioProcessor proc;
    juce::AudioProcessor::BusesLayout layout;
    layout.inputBuses.add (c.in);
    layout.outputBuses.add (c.out);
    EXPECT_EQ (proc.checkBusesLayoutSupported (layout), c.supported);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Layouts, BusLayouts, ::testing::Values (
    LayoutCase { "mono to mono", juce::AudioChannelSet::mono(), juce::AudioChannelSet::mono(), true },
    LayoutCase { "mono to stereo", juce::AudioChannelSet::mono(), juce::AudioChannelSet::stereo(), true },
    LayoutCase { "stereo to stereo", juce::AudioChannelSet::stereo(), juce::AudioChannelSet::stereo(), true },
    LayoutCase { "stereo to mono", juce::AudioChannelSet::stereo(), juce::AudioChannelSet::mono(), false },
    LayoutCase { "stereo to surround", juce::AudioChannelSet::stereo(), juce::AudioChannelSet::create5point1(), false },
    LayoutCase { "surround to surround", juce::AudioChannelSet::create5point1(), juce::AudioChannelSet::create5point1(), false },
    LayoutCase { "no input", juce::AudioChannelSet::disabled(), juce::AudioChannelSet::stereo(), false },
    LayoutCase { "no output", juce::AudioChannelSet::stereo(), juce::AudioChannelSet::disabled(), false }),
    testsupport::NameFromWhat());
// clang-format on

TEST (AudioPath, MonoInStereoOutWritesTwoIdenticalOutputs)
{
    MassDelayAudioProcessor proc;
    juce::AudioProcessor::BusesLayout layout;
    layout.inputBuses.add (juce::AudioChannelSet::mono());
    layout.outputBuses.add (juce::AudioChannelSet::stereo());
    ASSERT_TRUE (proc.setBusesLayout (layout));
    proc.prepareToPlay (44100.0, 256);

    juce::MidiBuffer midi;
    float energy = 0.0f;
    for (int block = 0; block < 40; ++block)
    {
        auto buffer = noise (2, 256, 3 + block);
        for (int i = 0; i < 256; ++i)
            buffer.setSample (1, i, 12345.0f); // whatever the host left in the output-only channel
        proc.processBlock (buffer, midi);
        for (int i = 0; i < 256; ++i)
        {
            ASSERT_EQ (buffer.getSample (0, i), buffer.getSample (1, i)) << block << " " << i;
            energy += std::abs (buffer.getSample (0, i));
        }
    }
    EXPECT_GT (energy, 0.0f);
}

struct MonoLayoutCase
{
    const char* what;
    juce::AudioChannelSet out;
};

void PrintTo (const MonoLayoutCase& c, std::ostream* os)
{
    *os << c.what;
}

class MonoPingPong : public ::testing::TestWithParam<MonoLayoutCase>
{};

TEST_P (MonoPingPong, ChangesNothingOnAMonoInput)
{
    // Ping-pong needs two input channels; on a mono input every tap stays in
    // both channels and the Wave stereo offset still applies.
    const auto layoutOut = GetParam().out;
    const auto makeProcessor = [&layoutOut] (float pingPong) {
        auto proc = std::make_unique<MassDelayAudioProcessor>();
        juce::AudioProcessor::BusesLayout layout;
        layout.inputBuses.add (juce::AudioChannelSet::mono());
        layout.outputBuses.add (layoutOut);
        EXPECT_TRUE (proc->setBusesLayout (layout));
        proc->prepareToPlay (44100.0, 256);
        auto& state = proc->getValueTreeState();
        const auto set = [&state] (const char* id, float value) {
            auto* p = state.getParameter (id);
            p->setValueNotifyingHost (p->convertTo0to1 (value));
        };
        set ("mix", 100.0f);
        set ("wo", 1.0f);
        set ("lfoDp", 100.0f);
        set ("woOff", 90.0f);
        set ("ppW", pingPong);
        return proc;
    };
    auto plain = makeProcessor (0.0f);
    auto pingPong = makeProcessor (100.0f);

    juce::MidiBuffer midi;
    const int channels = layoutOut.size();
    double energy = 0.0;
    for (int block = 0; block < 40; ++block)
    {
        auto a = noise (channels, 256, 11 + block);
        auto b = a;
        plain->processBlock (a, midi);
        pingPong->processBlock (b, midi);
        ASSERT_TRUE (identical (a, b)) << "block " << block;
        for (int i = 0; i < 256; ++i)
            energy += std::abs (a.getSample (0, i));
    }
    EXPECT_GT (energy, 100.0); // the echoes are there to compare
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Layouts, MonoPingPong, ::testing::Values (
    MonoLayoutCase { "mono to stereo", juce::AudioChannelSet::stereo() },
    MonoLayoutCase { "mono to mono", juce::AudioChannelSet::mono() }),
    testsupport::NameFromWhat());
// clang-format on

TEST (AudioPath, MonoToMonoTouchesOnlyItsChannel)
{
    MassDelayAudioProcessor proc;
    juce::AudioProcessor::BusesLayout layout;
    layout.inputBuses.add (juce::AudioChannelSet::mono());
    layout.outputBuses.add (juce::AudioChannelSet::mono());
    ASSERT_TRUE (proc.setBusesLayout (layout));
    proc.prepareToPlay (44100.0, 128);
    proc.getValueTreeState().getParameter ("mix")->setValueNotifyingHost (0.0f);

    auto buffer = noise (1, 128, 4);
    const auto input = buffer;
    juce::MidiBuffer midi;
    proc.processBlock (buffer, midi);
    EXPECT_TRUE (identical (buffer, input));
}
