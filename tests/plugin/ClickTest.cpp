// Clicks: a steady tone played through every change that is meant to be
// smooth, measured against the same render without the change.
//
// The detector. For a sine of angular frequency w, every sample follows from
// the two before it: x[n] = 2 cos(w) x[n-1] - x[n-2]. That holds for any sum
// of such sines, whatever their levels and phases, so it holds for the tone
// read back by any number of taps at fixed delays and through any fixed
// filter. The residual e[n] = y[n] - 2 cos(w) y[n-1] + y[n-2] of the output
// is therefore (rounding aside) zero while nothing changes, and a step of
// size s anywhere shows up in it as a jump of about s: the part of each sample
// the steady tone does not explain. "The largest jump" below is the largest
// |e| of the render with the change, over the time the change takes to play
// out; "the floor" is the same for the render without it.
//
// The threshold, from the fades' lengths. A sine s of peak a under a level
// that moves by at most d per sample gives |e| <= 2 a d (the level's change
// at two samples). The design moves levels at these rates:
//   - the snap: 1 / (4 ms) per sample, on the whole wet signal;
//   - tap gains (a tap joining, leaving or changing level): 1 / (10 ms);
//   - crossfades between two delays: 1 / (10 ms), at most 16 taps at once;
//   - dry/wet mix and master gain: a full swing per 10 ms;
//   - after a whole-state change the line records the input fading in at
//     the snap's rate, so each new echo starts with that fade;
// and a tap whose delay glides (20 ms time constant) reads the sine at a
// moving position: with u the read position's speed and du its change per
// sample (in samples per sample), |e| <= a (w^2 u^2 + w |du| + 2 w^2 |u|).
// The allowance adds these up over the taps that can move at once, with the
// largest gain each tap has during the change, and scales them by the echo
// filters' largest gain for a step (the sum of |h| of their impulse
// response), the wet share and the master gain. Nothing in it is fitted to
// what the renders measure; the test fails whenever a change moves faster
// than its fade.

#include "ProcessorFixture.h"

#include "dsp/Filter.h"
#include "dsp/ParamMapping.h"
#include "presets/PresetLibrary.h"
#include "support/CaseName.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

namespace
{
constexpr double sampleRate = 48000.0;
constexpr int blockSize = 256;
constexpr double toneHz = 110.0;
constexpr float toneLevel = 0.5f;
constexpr double omega = 2.0 * std::numbers::pi * toneHz / sampleRate;

// The design's fade rates, per sample.
constexpr double snapStep = 1.0 / (0.004 * sampleRate);
constexpr double rampStep = 1.0 / (0.010 * sampleRate);
const double glideCoeff = 1.0 - std::exp (-1.0 / (0.020 * sampleRate));
constexpr int maxCrossfades = 16;

// A processor playing the tone, block by block, with every output sample kept
// and the published tap set after each block.
struct ToneRig
{
    std::unique_ptr<MassDelayAudioProcessor> proc = std::make_unique<MassDelayAudioProcessor>();
    testsupport::TestPlayHead playHead;
    std::int64_t position = 0;
    std::vector<float> left, right;
    std::vector<TapSet> taps; // one per block
    std::vector<float> mix, master;
    std::vector<float> snapLevel;
    std::vector<int> crossfading;

    ToneRig()
    {
        proc->setPlayHead (&playHead);
        proc->prepareToPlay (sampleRate, blockSize);
    }

    void set (const char* id, float value)
    {
        auto* p = proc->getValueTreeState().getParameter (id);
        p->setValueNotifyingHost (p->convertTo0to1 (value));
    }

    float raw (const char* id) const { return proc->getValueTreeState().getRawParameterValue (id)->load(); }

    void play (int blocks)
    {
        juce::AudioBuffer<float> buffer (2, blockSize);
        juce::MidiBuffer midi;
        for (int b = 0; b < blocks; ++b)
        {
            for (int i = 0; i < blockSize; ++i)
            {
                const auto x = static_cast<float> (toneLevel * std::sin (omega * static_cast<double> (position + i)));
                buffer.setSample (0, i, x);
                buffer.setSample (1, i, x);
            }
            proc->processBlock (buffer, midi);
            for (int i = 0; i < blockSize; ++i)
            {
                left.push_back (buffer.getSample (0, i));
                right.push_back (buffer.getSample (1, i));
            }
            position += blockSize;
            taps.push_back (proc->getTapSnapshot());
            const auto& p = proc->getCurrentParams();
            snapLevel.push_back (proc->getSnapLevel());
            crossfading.push_back (proc->getVoiceBank().getNumFading());
            mix.push_back (p.mix / 100.0f);
            master.push_back (p.masterDb <= -60.0f ? 0.0f : std::pow (10.0f, p.masterDb / 20.0f));
        }
    }

    void playSeconds (double seconds) { play (static_cast<int> (std::ceil (seconds * sampleRate / blockSize))); }
};

struct Jump
{
    double size = 0.0;
    std::size_t at = 0; // sample index
};

// Largest |residual| over samples [from, to) of both channels.
Jump largestJump (const ToneRig& rig, std::size_t from, std::size_t to)
{
    const double c = 2.0 * std::cos (omega);
    Jump most;
    for (const auto* y : { &rig.left, &rig.right })
        for (std::size_t n = std::max<std::size_t> (from, 2); n < std::min (to, y->size()); ++n)
            if (const double e = std::abs ((*y)[n] - c * (*y)[n - 1] + (*y)[n - 2]); e > most.size)
                most = { e, n };
    return most;
}

// Sum of |h| of the echo filters' impulse response at these settings: how much
// a step can grow on its way through them.
double filterStepGain (float hpRaw, float lpRaw)
{
    Filter f;
    f.prepare (static_cast<float> (sampleRate));
    f.setHP (mapping::highPassHz (hpRaw));
    f.setLP (mapping::lowPassHz (lpRaw));
    double sum = 0.0;
    for (int i = 0; i < static_cast<int> (sampleRate); ++i)
        sum += std::abs (f.process (i == 0 ? 1.0f : 0.0f));
    return sum;
}

// Which of the design's smoothing a change relies on.
enum Fades : unsigned
{
    crossfades = 1,
    snap = 2,
    glides = 4,
};

// The allowance for the blocks [first, last] of a render, as the header
// works it out: every tap with the largest gain it has in those blocks.
double allowance (const ToneRig& rig, int first, int last, unsigned fades, double filterGain)
{
    const double a = toneLevel;
    int taps = 0;
    for (int b = first - 1; b <= last; ++b)
        taps = std::max (taps, rig.taps[static_cast<std::size_t> (b)].count);

    std::vector<double> gainMax (static_cast<std::size_t> (taps), 0.0);
    std::vector<bool> gainMoves (gainMax.size(), false), delayMoves (gainMax.size(), false);
    for (int t = 0; t < taps; ++t)
    {
        const auto tap = [&] (int b) {
            const auto& set = rig.taps[static_cast<std::size_t> (b)];
            return t < set.count ? set.taps[static_cast<std::size_t> (t)] : TapSet::Entry {};
        };
        for (int b = first - 1; b <= last; ++b)
        {
            gainMax[static_cast<std::size_t> (t)] =
                std::max<double> (gainMax[static_cast<std::size_t> (t)], tap (b).gain);
            if (b >= first)
            {
                gainMoves[static_cast<std::size_t> (t)] =
                    gainMoves[static_cast<std::size_t> (t)] || tap (b).gain != tap (b - 1).gain;
                delayMoves[static_cast<std::size_t> (t)] =
                    delayMoves[static_cast<std::size_t> (t)] || tap (b).timeMs != tap (b - 1).timeMs;
            }
        }
    }

    // Levels: each tap sounds through up to two reads (old and new delay),
    // each under its own level.
    double wet = 0.0;
    std::vector<double> crossfading;
    for (std::size_t t = 0; t < gainMax.size(); ++t)
    {
        double rate = 0.0;
        if (gainMoves[t])
            rate += rampStep;
        if ((fades & snap) != 0)
            rate += gainMax[t] * snapStep;
        wet += 2.0 * (2.0 * a * rate);
        if ((fades & crossfades) != 0 && delayMoves[t])
            crossfading.push_back (2.0 * (2.0 * a * gainMax[t] * rampStep));
    }
    std::sort (crossfading.rbegin(), crossfading.rend());
    for (std::size_t i = 0; i < std::min<std::size_t> (crossfading.size(), maxCrossfades); ++i)
        wet += crossfading[i];

    // Glides: each tap's read position follows its target with the 20 ms
    // one-pole, block by block, as the targets were published.
    if ((fades & glides) != 0)
    {
        for (std::size_t t = 0; t < gainMax.size(); ++t)
        {
            const auto target = [&] (int b) {
                const auto& set = rig.taps[static_cast<std::size_t> (b)];
                return static_cast<int> (t) < set.count ? static_cast<double> (set.taps[t].timeMs) * sampleRate / 1000.0
                                                        : 0.0;
            };
            double d = target (first - 1), speed = 0.0, fastest = 0.0, sharpest = 0.0;
            for (int b = first; b <= last; ++b)
            {
                const double goal = target (b);
                for (int i = 0; i < blockSize; ++i)
                {
                    const double u = (goal - d) * glideCoeff;
                    // The last hundredth of a sample settles at once.
                    sharpest = std::max (sharpest, std::abs (u - speed) + 0.01);
                    fastest = std::max (fastest, std::abs (u));
                    speed = u;
                    d += u;
                }
            }
            wet +=
                a * gainMax[t] * (omega * omega * fastest * fastest + omega * sharpest + 2.0 * omega * omega * fastest);
        }
    }

    // Mix and master: the wet share and the master gain each move by at most
    // a full swing per 10 ms while they change.
    double mixMost = 0.0, masterMost = 0.0;
    bool mixMoves = false, masterMoves = false;
    for (int b = first - 1; b <= last; ++b)
    {
        const auto i = static_cast<std::size_t> (b);
        mixMost = std::max<double> (mixMost, rig.mix[i]);
        masterMost = std::max<double> (masterMost, rig.master[i]);
        if (b >= first)
        {
            mixMoves = mixMoves || rig.mix[i] != rig.mix[i - 1];
            masterMoves = masterMoves || rig.master[i] != rig.master[i - 1];
        }
    }
    const double dryRate = rampStep * ((mixMoves ? masterMost : 0.0) + (masterMoves ? 1.0 : 0.0));
    const double wetRate = rampStep * ((mixMoves ? masterMost : 0.0) + (masterMoves ? mixMost : 0.0));
    double wetPeak = 0.0;
    for (std::size_t t = 0; t < gainMax.size(); ++t)
        wetPeak += a * gainMax[t];

    return filterGain * mixMost * masterMost * wet + 2.0 * a * dryRate + 2.0 * filterGain * wetPeak * wetRate;
}

//==============================================================================
struct ClickCase
{
    const char* what;
    unsigned fades;
    // Makes the change on a rig that has played the steady patch; may play
    // blocks itself (a sweep).
    std::function<void (ToneRig&)> change;
    // Run on both renders, followed by 3 s of tone, before the change.
    std::function<void (ToneRig&)> prepare = [] (ToneRig&) {};
    // The change is one clean 4 ms snap: the wet fades out over 4 ms and in
    // over 4 ms, with no crossfade.
    bool cleanSnap = false;
};

// The steady patch: the defaults with four taps and the echo filters opened
// up, so that the tone's echoes are strong and a step passes almost
// unfiltered. Few taps keep the allowance, a sum over the taps, close to
// what a single broken fade produces.
void steadyPatch (ToneRig& rig)
{
    rig.set ("tapCnt", 4.0f);
    rig.set ("hp", 0.0f);
    rig.set ("lp", 1000.0f);
}

// A user preset as the preset panel would apply it: three taps, further
// apart, half wet.
presets::Patch threeTapPreset (MassDelayAudioProcessor& proc)
{
    auto* values = new juce::DynamicObject();
    const auto add = [&] (const char* id, float value) {
        values->setProperty (id, proc.getValueTreeState().getParameter (id)->convertTo0to1 (value));
    };
    add ("tapCnt", 3.0f);
    add ("s", 500.0f);
    add ("e", 560.0f);
    add ("mix", 50.0f);
    add ("hp", 0.0f);
    add ("lp", 1000.0f);
    return { "Three Taps", "Clicks", juce::var (values) };
}

juce::MemoryBlock savedState (MassDelayAudioProcessor& proc)
{
    juce::MemoryBlock blob;
    proc.getStateInformation (blob);
    return blob;
}

float longestTapSeconds (const TapSet& taps)
{
    float most = 0.0f;
    for (int t = 0; t < taps.count; ++t)
        most = std::max (most, taps.taps[static_cast<std::size_t> (t)].timeMs / 1000.0f);
    return most;
}

// Changing the ping-pong depth and switching the pitch stage or the tape
// stage's wear darkening in are not smoothed yet (each steps the output by up
// to a third of the tone), nor are the echo filters' cutoffs: the Random
// action runs without those switches here (its matrix leaves out hp and lp).
void leaveOutUnsmoothedSwitches (ToneRig& r)
{
    for (const auto* id : { "ppOn", "ppW", "pitchOn", "tp" })
        r.proc->getRandomMatrix().setEnabled (id, false);
}

void PrintTo (const ClickCase& c, std::ostream* os)
{
    *os << c.what;
}

struct SteadyCase;
void PrintTo (const SteadyCase& c, std::ostream* os);

class Clicks : public ::testing::TestWithParam<ClickCase>
{};

TEST_P (Clicks, NoJumpBeyondWhatTheFadesAllow)
{
    const auto& c = GetParam();

    // The render with the change, and the same render without it.
    ToneRig changed, without;
    for (auto* rig : { &changed, &without })
    {
        steadyPatch (*rig);
        if (c.prepare)
            c.prepare (*rig);
        rig->playSeconds (3.0); // every tap of the window is reading the tone
    }

    const int first = static_cast<int> (changed.taps.size());
    const auto hpBefore = changed.raw ("hp"), lpBefore = changed.raw ("lp");
    c.change (changed);
    changed.play (1);
    // Until every new tap has echoed the tone for a while.
    changed.playSeconds (std::max (0.5, longestTapSeconds (changed.taps.back()) + 0.3));
    const int blocks = static_cast<int> (changed.taps.size()) - first;
    const int last = static_cast<int> (changed.taps.size()) - 1;
    without.play (blocks);

    // Where the change ends up, played steadily: its own effects (modulation,
    // saturation) count as floor too.
    ToneRig after;
    const auto endState = savedState (*changed.proc);
    after.proc->setStateInformation (endState.getData(), static_cast<int> (endState.getSize()));
    after.play (1);
    after.playSeconds (longestTapSeconds (after.taps.back()) + 0.5);
    const auto afterFrom = after.left.size();
    after.play (blocks);

    const auto from = static_cast<std::size_t> (first) * blockSize;
    const auto jump = largestJump (changed, from, changed.left.size());
    const double floor = std::max (largestJump (without, from, without.left.size()).size,
                                   largestJump (after, afterFrom, after.left.size()).size);
    const double filterGain =
        std::max (filterStepGain (hpBefore, lpBefore), filterStepGain (changed.raw ("hp"), changed.raw ("lp")));
    const double allowed = allowance (changed, first, last, c.fades, filterGain);

    std::cout << "[ figures  ] " << c.what << ": largest jump " << jump.size << " ("
              << static_cast<double> (jump.at - from) / sampleRate * 1000.0 << " ms after the change), floor " << floor
              << ", allowed " << floor + allowed << std::endl;
    EXPECT_LE (jump.size, floor + allowed);

    if (c.cleanSnap)
    {
        // The change's first block holds 4 ms of fade-out and the start of
        // the fade-in; the next one completes it.
        const auto i = static_cast<std::size_t> (first);
        const double fadeSamples = 0.004 * sampleRate;
        // (within a sample: the level is summed in floats)
        EXPECT_NEAR (changed.snapLevel[i], (blockSize - fadeSamples) / fadeSamples, 1.5 / fadeSamples);
        EXPECT_EQ (changed.snapLevel[i + 1], 1.0f);
        EXPECT_FALSE (changed.proc->isSnapping());
        for (std::size_t b = i; b < changed.crossfading.size(); ++b)
            EXPECT_EQ (changed.crossfading[b], 0) << "block " << b - i;
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Changes, Clicks, ::testing::Values (
    ClickCase { "Twist swept across its range in a second", glides, [] (ToneRig& r) {
        for (int b = 0; b <= 188; ++b)
        {
            r.set ("g", -100.0f + 200.0f * static_cast<float> (b) / 188.0f);
            r.play (1);
        }
    } },
    ClickCase { "Twist jumped by a few percent", glides, [] (ToneRig& r) { r.set ("g", 5.0f); } },
    ClickCase { "start spacing changed", crossfades, [] (ToneRig& r) { r.set ("s", 420.0f); } },
    ClickCase { "end spacing changed", crossfades, [] (ToneRig& r) { r.set ("e", 450.0f); } },
    ClickCase { "tap count lowered", crossfades, [] (ToneRig& r) { r.set ("tapCnt", 2.0f); } },
    ClickCase { "tap count raised", crossfades, [] (ToneRig& r) { r.set ("tapCnt", 8.0f); } },
    ClickCase { "decay curve changed", glides, [] (ToneRig& r) { r.set ("dcv", 200.0f); } },
    ClickCase { "Reverse switched on", snap, [] (ToneRig& r) { r.set ("rev", 1.0f); }, {}, true },
    ClickCase { "Tap Flip switched on", snap, [] (ToneRig& r) { r.set ("flipped", 1.0f); }, {}, true },
    ClickCase { "a preset applied", snap, [] (ToneRig& r) {
        r.proc->applyPatch (threeTapPreset (*r.proc));
    }, {}, true },
    ClickCase { "a state restored", snap, [] (ToneRig& r) {
        r.set ("g", 60.0f);
        r.set ("s", 500.0f);
        r.set ("mix", 40.0f);
        const auto blob = savedState (*r.proc);
        steadyPatch (r);
        r.set ("g", 0.0f);
        r.set ("s", 320.0f);
        r.set ("mix", 80.0f);
        r.proc->setStateInformation (blob.getData(), static_cast<int> (blob.getSize()));
    }, {}, true },
    ClickCase { "the Random action", crossfades | snap | glides, [] (ToneRig& r) {
        leaveOutUnsmoothedSwitches (r);
        juce::Random rng (23);
        r.proc->randomizeParameters (rng);
    } },
    ClickCase { "a history step back", snap, [] (ToneRig& r) { r.proc->randomStepBack(); },
                [] (ToneRig& r) {
                    r.proc->pushRandomGeneration(); // the steady patch is the entry to go back to
                    leaveOutUnsmoothedSwitches (r);
                    juce::Random rng (5);
                    r.proc->randomizeParameters (rng);
                }, true },
    // A quarter of the tone's period of predelay keeps the echoes out of
    // phase with the dry signal, so a stepped mix could not hide.
    ClickCase { "dry/wet mix moved", 0, [] (ToneRig& r) { r.set ("mix", 30.0f); },
                [] (ToneRig& r) { r.set ("pd", 2.27f); } },
    ClickCase { "master moved", 0, [] (ToneRig& r) { r.set ("mout", -12.0f); } }),
    testsupport::NameFromWhat());
// clang-format on

//==============================================================================
// While nothing changes, the tone's residual stays at float rounding: a few
// dozen units in the last place of the output (2^-24 relative; the output
// stays below 1 here).
struct SteadyCase
{
    const char* what;
    std::function<void (ToneRig&)> set;
};

void PrintTo (const SteadyCase& c, std::ostream* os)
{
    *os << c.what;
}

class SteadyTone : public ::testing::TestWithParam<SteadyCase>
{};

TEST_P (SteadyTone, HasNoJumpsWhileNothingChanges)
{
    ToneRig rig;
    steadyPatch (rig);
    GetParam().set (rig);
    rig.playSeconds (3.0);
    const auto from = rig.left.size();
    rig.playSeconds (1.0);
    const auto jump = largestJump (rig, from, rig.left.size());
    EXPECT_LE (jump.size, 64.0 * std::ldexp (1.0, -24)) << "at sample " << jump.at - from;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Patches, SteadyTone, ::testing::Values (
    SteadyCase { "the steady patch", [] (ToneRig&) {} },
    SteadyCase { "the first tap less than a sample behind the newest", [] (ToneRig& r) { r.set ("pd", 0.01f); } },
    SteadyCase { "every tap glided in from a jump of Twist", [] (ToneRig& r) { r.set ("g", 30.0f); } }),
    testsupport::NameFromWhat());
// clang-format on
} // namespace
