#include "dsp/PitchChorus.h"
#include "dsp/LFO.h"

#include "SignalProbe.h"
#include "support/AllocationCounter.h"
#include "support/CaseName.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

namespace
{
constexpr double fs = 48000.0;
constexpr std::uint32_t seed = 0x27D4EB2Fu;
// 1 kHz fits the half window (25 ms) a whole number of times, so both read
// taps see the same phase and the shifted sine comes out clean.
constexpr double toneHz = 1000.0;

struct Stereo
{
    std::vector<float> left, right;
};

// A module in its neutral setting: no shift, no modulation, full wet.
dsp::PitchChorus makeChorus (double sampleRate = fs)
{
    dsp::PitchChorus pc;
    pc.prepare (static_cast<float> (sampleRate));
    pc.cents = 0.0f;
    pc.mix = 1.0f;
    pc.lfoRate = 0.0f;
    pc.lfoDepth = 0.0f;
    pc.depthScale = 1.0f;
    pc.lfoShape = 0;
    pc.lfoSeed = seed;
    pc.wide = false;
    pc.regen = 0.0f;
    pc.regenScale = 0.9f;
    pc.twistLink = false;
    pc.twistAmount = 0.0f;
    pc.twistCents = 30.0f;
    pc.bendOn = false;
    pc.bendCents = 0.0f;
    pc.bendUp = true;
    pc.sync = false;
    pc.ppq = 0.0;
    pc.bpm = 120.0;
    pc.noteIndex = 5;
    return pc;
}

// Processes in blocks; with sync on, the host position advances per block.
Stereo render (dsp::PitchChorus& pc, Stereo in, float bendPeriodMs = 0.0f, int blockSize = 512, double sampleRate = fs)
{
    const double startPpq = pc.ppq;
    for (std::size_t start = 0; start < in.left.size(); start += static_cast<std::size_t> (blockSize))
    {
        const auto n = static_cast<int> (std::min (in.left.size() - start, static_cast<std::size_t> (blockSize)));
        if (pc.sync)
            pc.ppq = startPpq + static_cast<double> (start) * pc.bpm / 60.0 / sampleRate;
        pc.processStereo (in.left.data() + start, in.right.data() + start, n, bendPeriodMs);
    }
    return in;
}

Stereo tone (double seconds, double hz = toneHz, double sampleRate = fs)
{
    const auto n = static_cast<std::size_t> (seconds * sampleRate);
    auto s = signalprobe::sine (hz, sampleRate, n, 0.5);
    return { s, s };
}

Stereo impulse (std::size_t n)
{
    Stereo s { std::vector<float> (n, 0.0f), std::vector<float> (n, 0.0f) };
    s.left[0] = 1.0f;
    s.right[0] = 1.0f;
    return s;
}

Stereo noise (std::size_t n)
{
    std::mt19937 rng (7);
    std::uniform_real_distribution<float> dist (-1.0f, 1.0f);
    Stereo s { std::vector<float> (n), std::vector<float> (n) };
    for (std::size_t i = 0; i < n; ++i)
    {
        s.left[i] = dist (rng);
        s.right[i] = dist (rng);
    }
    return s;
}

double centsToRatio (double cents)
{
    return std::exp2 (cents / 1200.0);
}

// Expects out to be in delayed by exactly `samples` (zeros before).
void expectDelayedCopy (const std::vector<float>& in, const std::vector<float>& out, std::size_t samples,
                        const char* what)
{
    for (std::size_t i = 0; i < out.size(); ++i)
    {
        const float expected = i >= samples ? in[i - samples] : 0.0f;
        ASSERT_EQ (out[i], expected) << what << " sample " << i;
    }
}
} // namespace

TEST (PitchChorusDelay, RightAfterResetTheWetIsTheInputHalfAWindowLate)
{
    for (const double rate : { 48000.0, 96000.0 })
    {
        auto pc = makeChorus (rate);
        const auto in = noise (static_cast<std::size_t> (0.2 * rate));
        const auto out = render (pc, in, 0.0f, 512, rate);
        const auto halfWindow = static_cast<std::size_t> (0.025 * rate);
        expectDelayedCopy (in.left, out.left, halfWindow, "left");
        expectDelayedCopy (in.right, out.right, halfWindow, "right");
        EXPECT_EQ (pc.getDelay(), 0.0f);
        EXPECT_EQ (pc.getWindow(), static_cast<float> (0.05 * rate));
    }

    // At 44.1 kHz the half window is 1102.5 samples: a slow sine comes out
    // 25 ms late through the interpolation.
    auto pc = makeChorus (44100.0);
    const auto in = tone (0.3, 200.0, 44100.0);
    const auto out = render (pc, in, 0.0f, 512, 44100.0);
    for (std::size_t i = 2000; i < out.left.size(); i += 13)
    {
        const double expected =
            0.5 * std::sin (signalprobe::twoPi * 200.0 * (static_cast<double> (i) - 1102.5) / 44100.0);
        ASSERT_NEAR (out.left[i], expected, 1.0e-4) << i;
    }
}

TEST (PitchChorusDelay, ResetClearsBuffersAndRotation)
{
    auto pc = makeChorus();
    pc.cents = 37.0f;
    pc.regen = 80.0f;
    render (pc, noise (20000));
    ASSERT_NE (pc.getDelay(), 0.0f);

    pc.reset();
    EXPECT_EQ (pc.getDelay(), 0.0f);
    pc.cents = 0.0f;
    const auto silence = render (pc, Stereo { std::vector<float> (5000, 0.0f), std::vector<float> (5000, 0.0f) });
    for (std::size_t i = 0; i < silence.left.size(); ++i)
    {
        ASSERT_EQ (silence.left[i], 0.0f) << i;
        ASSERT_EQ (silence.right[i], 0.0f) << i;
    }
}

struct ShiftCase
{
    const char* what;
    float cents;
    bool twistLink;
    float twistAmount;
    float twistCents;
    double expectedCents;
};

class PitchChorusShift : public ::testing::TestWithParam<ShiftCase>
{};

TEST_P (PitchChorusShift, SineComesOutShiftedBySetCents)
{
    const auto& c = GetParam();
    auto pc = makeChorus();
    pc.cents = c.cents;
    pc.twistLink = c.twistLink;
    pc.twistAmount = c.twistAmount;
    pc.twistCents = c.twistCents;
    const auto out = render (pc, tone (3.0));

    const double expected = toneHz * centsToRatio (c.expectedCents);
    const auto from = static_cast<std::size_t> (0.1 * fs);
    EXPECT_NEAR (signalprobe::meanFrequency (out.left, from, out.left.size(), fs), expected, 0.05) << c.what;
    EXPECT_NEAR (signalprobe::meanFrequency (out.right, from, out.right.size(), fs), expected, 0.05) << c.what;
    EXPECT_GT (signalprobe::rms (out.left, from, out.left.size()), 0.34) << "the shifted tone keeps its level";
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Offsets, PitchChorusShift, ::testing::Values (
    ShiftCase { "up 100 cents", 100.0f, false, 0.0f, 30.0f, 100.0 },
    ShiftCase { "down 100 cents", -100.0f, false, 0.0f, 30.0f, -100.0 },
    ShiftCase { "up a fifth", 700.0f, false, 0.0f, 30.0f, 700.0 },
    ShiftCase { "up 7 cents", 7.0f, false, 0.0f, 30.0f, 7.0 },
    ShiftCase { "twist at half of 200 cents", 0.0f, true, 50.0f, 200.0f, 100.0 },
    ShiftCase { "twist fully negative, octave down", 0.0f, true, -100.0f, 1200.0f, -1200.0 },
    ShiftCase { "twist value ignored when unlinked", 0.0f, false, 100.0f, 1200.0f, 0.0 },
    ShiftCase { "absurd offset held to two octaves", 1.0e6f, false, 0.0f, 30.0f, 2400.0 }),
    testsupport::NameFromWhat {});
// clang-format on

TEST (PitchChorusLfo, SineLfoSwingsFiftyCentsTimesDepthScale)
{
    for (const float scale : { 1.0f, 2.0f })
    {
        auto pc = makeChorus();
        pc.lfoShape = 0;
        pc.lfoRate = 2.0f;
        pc.lfoDepth = 1.0f;
        pc.depthScale = scale;
        const auto out = render (pc, tone (2.0));
        const auto track =
            signalprobe::frequencyTrack (out.left, static_cast<std::size_t> (0.1 * fs), out.left.size(), fs);
        double lo = 1.0e9, hi = 0.0;
        for (const auto& p : track)
        {
            lo = std::min (lo, p.hz);
            hi = std::max (hi, p.hz);
        }
        EXPECT_NEAR (hi, toneHz * centsToRatio (50.0 * scale), 1.0) << "scale " << scale;
        EXPECT_NEAR (lo, toneHz * centsToRatio (-50.0 * scale), 1.0) << "scale " << scale;
        // Half depth halves the swing in cents.
        auto half = makeChorus();
        half.lfoShape = 0;
        half.lfoRate = 2.0f;
        half.lfoDepth = 0.5f;
        half.depthScale = scale;
        const auto outHalf = render (half, tone (2.0));
        double hiHalf = 0.0;
        for (const auto& p : signalprobe::frequencyTrack (outHalf.left, 4800, outHalf.left.size(), fs))
            hiHalf = std::max (hiHalf, p.hz);
        EXPECT_NEAR (hiHalf, toneHz * centsToRatio (25.0 * scale), 1.0) << "scale " << scale;
    }
}

TEST (PitchChorusLfo, ZeroRateStopsTheFreeLfoButNotTheSyncedOne)
{
    auto stopped = makeChorus();
    stopped.lfoShape = 0;
    stopped.lfoDepth = 1.0f;
    stopped.lfoRate = 0.0f;
    const auto in = noise (24000);
    const auto out = render (stopped, in);
    expectDelayedCopy (in.left, out.left, 1200, "free LFO at rate 0");
    EXPECT_EQ (stopped.getLfoPhase(), 0.0f);
    EXPECT_EQ (stopped.getLfoCycles(), 0.0);

    // Synced to 16 beats at 120 BPM, starting 3.5 beats in: the sine LFO sits
    // near its top and the rate field does not matter.
    auto synced = makeChorus();
    synced.lfoShape = 0;
    synced.lfoDepth = 1.0f;
    synced.lfoRate = 0.0f;
    synced.sync = true;
    synced.noteIndex = 0;
    synced.ppq = 3.5;
    const auto o = render (synced, tone (0.5));
    const auto track = signalprobe::frequencyTrack (o.left, 2400, o.left.size(), fs);
    for (const double at : { 0.1, 0.3, 0.45 })
    {
        const double beats = 3.5 + at * 2.0;
        const double expected = toneHz * centsToRatio (50.0 * std::sin (signalprobe::twoPi * beats / 16.0));
        EXPECT_NEAR (signalprobe::meanOfTrack (track, at * fs - 240.0, at * fs + 240.0), expected, 0.3) << at;
    }
}

TEST (PitchChorusLfo, SyncedRandomShapesRepeatEveryBar)
{
    for (const int shape : { 5, 6 })
    {
        auto pc = makeChorus();
        pc.lfoShape = shape;
        pc.lfoDepth = 1.0f;
        pc.sync = true;
        pc.noteIndex = 7; // eighth notes: 8 steps per bar
        pc.ppq = 0.0;
        const double bar = 2.0 * fs; // 4 beats at 120 BPM
        const double step = bar / 8.0;
        const auto out = render (pc, tone (3.0 * bar / fs));
        const auto track = signalprobe::frequencyTrack (out.left, 0, out.left.size(), fs);

        int changes = 0;
        double previous = 0.0;
        for (int k = 0; k < 8; ++k)
        {
            // Stepped: the middle of the step; smooth: halfway along its ramp.
            const double from = bar + k * step + 0.3 * step;
            const double to = bar + k * step + 0.7 * step;
            const double first = signalprobe::meanOfTrack (track, from, to);
            const double second = signalprobe::meanOfTrack (track, from + bar, to + bar);
            // The smooth ramp is sampled at slightly different instants in
            // each bar, so its window averages differ a little more.
            EXPECT_NEAR (first, second, shape == 5 ? 0.05 : 0.2) << "shape " << shape << " step " << k;

            const double r0 = dsp::randomStep (seed, k);
            const double r1 = dsp::randomStep (seed, k + 1);
            const double v = shape == 5 ? r0 : r0 + (r1 - r0) * 0.5;
            // The smooth shape bends within the window, so its average is looser.
            EXPECT_NEAR (first, toneHz * centsToRatio (50.0 * v), shape == 5 ? 0.1 : 0.5)
                << "shape " << shape << " step " << k;
            changes += (k > 0 && std::fabs (first - previous) > 0.5) ? 1 : 0;
            previous = first;
        }
        EXPECT_GE (changes, 6) << "shape " << shape;
    }
}

// The free-running LFO position must keep counting for hours: a float
// running total stops growing after minutes and the random shapes freeze.
struct LongRunCase
{
    const char* what;
    float rateHz;
};

class PitchChorusLongRun : public ::testing::TestWithParam<LongRunCase>
{};

TEST_P (PitchChorusLongRun, RandomStepsStillChangeAfterTwoHours)
{
    const auto& c = GetParam();
    // Real processing of two hours at 8 kHz: a float total would have
    // stopped well before (at 16384 cycles for 8 Hz, 512 for 0.15 Hz).
    const double rate = 8000.0;
    auto pc = makeChorus (rate);
    pc.lfoShape = 5;
    pc.lfoDepth = 1.0f;
    pc.lfoRate = c.rateHz;

    const std::int64_t total = std::int64_t { 2 } * 3600 * 8000;
    std::vector<float> l (8192, 0.0f), r (8192, 0.0f);
    for (std::int64_t done = 0; done < total;)
    {
        const auto n = static_cast<int> (std::min<std::int64_t> (8192, total - done));
        pc.processStereo (l.data(), r.data(), n, 0.0f);
        done += n;
    }
    const double expectedCycles = static_cast<double> (c.rateHz) * 7200.0;
    ASSERT_NEAR (pc.getLfoCycles(), expectedCycles, 1.0e-4 * expectedCycles) << c.what;

    // Play a tone through the next steps: each step shifts by its own value.
    const double start = pc.getLfoCycles();
    const double stepSamples = rate / c.rateHz;
    const auto out = render (pc, tone (3.0 * stepSamples / rate, toneHz, rate), 0.0f, 512, rate);
    const auto track = signalprobe::frequencyTrack (out.left, 0, out.left.size(), rate);
    std::vector<double> measured;
    for (int k = 1; k <= 2; ++k)
    {
        const auto n = static_cast<std::int64_t> (std::floor (start)) + k;
        const double stepStart = (static_cast<double> (n) - start) * stepSamples;
        const double m = signalprobe::meanOfTrack (track, stepStart + 0.3 * stepSamples, stepStart + 0.7 * stepSamples);
        EXPECT_NEAR (m, toneHz * centsToRatio (50.0 * dsp::randomStep (seed, n)), 0.2) << c.what << " step " << n;
        measured.push_back (m);
    }
    EXPECT_GT (std::fabs (measured[0] - measured[1]), 0.5) << c.what;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Rates, PitchChorusLongRun, ::testing::Values (
    LongRunCase { "8 Hz", 8.0f },
    LongRunCase { "0.15 Hz", 0.15f }),
    testsupport::NameFromWhat {});
// clang-format on

TEST (PitchChorusLfo, ResumedPositionGivesTheStepsOfThatPosition)
{
    // Fast-forward far beyond any session length at 48 kHz.
    for (const std::int64_t whole : { std::int64_t { 57600 }, std::int64_t { 1080 }, std::int64_t { 40000000 } })
    {
        auto pc = makeChorus();
        pc.lfoShape = 5;
        pc.lfoDepth = 1.0f;
        pc.lfoRate = 8.0f;
        pc.setLfoPosition (whole, 0.0f);
        const auto out = render (pc, tone (0.5));
        const auto track = signalprobe::frequencyTrack (out.left, 0, out.left.size(), fs);
        for (int k = 1; k < 4; ++k)
        {
            const double m = signalprobe::meanOfTrack (track, (k + 0.3) * 6000.0, (k + 0.7) * 6000.0);
            EXPECT_NEAR (m, toneHz * centsToRatio (50.0 * dsp::randomStep (seed, whole + k)), 0.2)
                << whole << " + " << k;
        }
    }
}

TEST (PitchChorusRegen, FullRegenerationHasLoopGainPointNine)
{
    struct Case
    {
        float regen;
        float scale;
        double loopGain;
    };
    for (const auto& c : { Case { 100.0f, 0.9f, 0.9 }, Case { 50.0f, 0.9f, 0.45 }, Case { 0.0f, 0.9f, 0.0 },
                           Case { 250.0f, 0.9f, 0.9 }, Case { 100.0f, 3.0f, 1.0 } })
    {
        auto pc = makeChorus();
        pc.regen = c.regen;
        pc.regenScale = c.scale;
        const auto out = render (pc, impulse (6000));

        // Echoes one loop (half window plus one sample) apart.
        EXPECT_FLOAT_EQ (out.left[1200], 1.0f);
        double previous = 1.0;
        for (const std::size_t at : { 2401u, 3602u, 4803u })
        {
            EXPECT_NEAR (out.left[at], previous * c.loopGain, 1.0e-6) << "regen " << c.regen << " at " << at;
            EXPECT_NEAR (out.right[at], previous * c.loopGain, 1.0e-6);
            previous *= c.loopGain;
        }
        // Nothing between the echoes.
        EXPECT_EQ (out.left[1800], 0.0f);
        EXPECT_EQ (out.left[3000], 0.0f);
    }
}

TEST (PitchChorusWide, RightWetIsInvertedButFeedbackIsNot)
{
    auto pc = makeChorus();
    pc.wide = true;
    pc.regen = 100.0f;
    const auto out = render (pc, impulse (4000));
    EXPECT_FLOAT_EQ (out.left[1200], 1.0f);
    EXPECT_FLOAT_EQ (out.right[1200], -1.0f);
    EXPECT_NEAR (out.left[2401], 0.9f, 1.0e-6f);
    EXPECT_NEAR (out.right[2401], -0.9f, 1.0e-6f) << "an inverted feedback would give +0.9 here";

    // Half mix: the dry input plus half of the (inverted) wet.
    auto half = makeChorus();
    half.wide = true;
    half.mix = 0.5f;
    const auto in = noise (3000);
    const auto o = render (half, in);
    for (std::size_t i = 1200; i < 3000; i += 17)
    {
        ASSERT_FLOAT_EQ (o.left[i], 0.5f * in.left[i] + 0.5f * in.left[i - 1200]) << i;
        ASSERT_FLOAT_EQ (o.right[i], 0.5f * in.right[i] - 0.5f * in.right[i - 1200]) << i;
    }
}

struct BendCase
{
    const char* what;
    bool up;
    float periodMs;
};

class PitchChorusBend : public ::testing::TestWithParam<BendCase>
{};

TEST_P (PitchChorusBend, RampRepeatsOncePerPeriod)
{
    const auto& c = GetParam();
    auto pc = makeChorus();
    pc.bendOn = true;
    pc.bendCents = 1200.0f;
    pc.bendUp = c.up;
    pc.lfoDepth = 1.0f; // muted while the bend runs
    pc.lfoRate = 5.0f;
    const auto out = render (pc, tone (1.5), c.periodMs);
    const auto track = signalprobe::frequencyTrack (out.left, 2400, out.left.size(), fs);

    // The ramp ends with a jump (down for a rising ramp, up for a falling
    // one); find where the frequency crosses 1.5 kHz in the jump's direction.
    std::vector<double> jumps;
    for (std::size_t k = 1; k < track.size(); ++k)
    {
        const bool crossed = c.up ? (track[k - 1].hz >= 1500.0 && track[k].hz < 1500.0)
                                  : (track[k - 1].hz < 1500.0 && track[k].hz >= 1500.0);
        // Only a fast jump counts, not the slow ramp passing through.
        if (crossed && std::fabs (track[k].hz - track[k - 1].hz) > 20.0)
        {
            const double f = (1500.0 - track[k - 1].hz) / (track[k].hz - track[k - 1].hz);
            jumps.push_back (track[k - 1].time + f * (track[k].time - track[k - 1].time));
        }
    }
    const double period = c.periodMs * 0.001 * fs;
    ASSERT_GE (jumps.size(), 4u) << c.what;
    for (std::size_t k = 1; k < jumps.size(); ++k)
        EXPECT_NEAR (jumps[k] - jumps[k - 1], period, 0.0005 * fs) << c.what; // within 0.5 ms

    // Inside a period the pitch moves the chosen way, and both ways it stays
    // above the input.
    const double a = jumps[1] + 0.3 * period;
    const double b = jumps[1] + 0.8 * period;
    const double early = signalprobe::meanOfTrack (track, a - 100.0, a + 100.0);
    const double late = signalprobe::meanOfTrack (track, b - 100.0, b + 100.0);
    if (c.up)
        EXPECT_LT (early + 200.0, late) << c.what;
    else
        EXPECT_GT (early, late + 200.0) << c.what;
    EXPECT_GT (std::min (early, late), toneHz);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Periods, PitchChorusBend, ::testing::Values (
    BendCase { "rising 100 ms", true, 100.0f },
    BendCase { "falling 100 ms", false, 100.0f },
    BendCase { "rising 250 ms", true, 250.0f }),
    testsupport::NameFromWhat {});
// clang-format on

TEST (PitchChorusBend, NoPeriodMeansNoBendAndTheLfoStaysMuted)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const float period : { 0.0f, -10.0f, nan })
    {
        auto pc = makeChorus();
        pc.bendOn = true;
        pc.bendCents = 600.0f;
        pc.lfoDepth = 1.0f;
        pc.lfoRate = 5.0f;
        pc.lfoShape = 2;
        const auto in = noise (12000);
        const auto out = render (pc, in, period);
        expectDelayedCopy (in.left, out.left, 1200, "bend without a period");
    }
}

TEST (PitchChorusControls, NonFiniteControlsFallBackToNeutralValues)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    auto pc = makeChorus();
    pc.cents = nan;
    pc.lfoRate = inf;
    pc.lfoDepth = nan;
    pc.depthScale = nan;
    pc.regen = nan;
    pc.regenScale = inf;
    pc.twistLink = true;
    pc.twistAmount = nan;
    pc.twistCents = inf;
    pc.mix = 1.0f;
    const auto in = noise (6000);
    const auto out = render (pc, in);
    expectDelayedCopy (in.left, out.left, 1200, "non-finite controls");

    // Garbage everywhere, including the host position: the output stays
    // finite and the delay stays inside the window.
    auto wild = makeChorus();
    wild.cents = -inf;
    wild.mix = nan;
    wild.lfoRate = 1.0e30f;
    wild.lfoDepth = 1.0e30f;
    wild.depthScale = -inf;
    wild.lfoShape = 1000;
    wild.regen = 1.0e30f;
    wild.regenScale = 1.0e30f;
    wild.twistLink = true;
    wild.twistAmount = 1.0e30f;
    wild.twistCents = -1.0e30f;
    wild.bendOn = true;
    wild.bendCents = inf;
    wild.sync = true;
    wild.ppq = std::numeric_limits<double>::quiet_NaN();
    wild.bpm = std::numeric_limits<double>::infinity();
    wild.noteIndex = -40;
    const auto o = render (wild, noise (48000), 1.0e-20f);
    for (std::size_t i = 0; i < o.left.size(); ++i)
    {
        ASSERT_TRUE (std::isfinite (o.left[i])) << i;
        ASSERT_TRUE (std::isfinite (o.right[i])) << i;
    }
    EXPECT_GE (wild.getDelay(), 0.0f);
    EXPECT_LT (wild.getDelay(), wild.getWindow());
}

TEST (PitchChorusControls, UnpreparedModuleLeavesAudioAlone)
{
    dsp::PitchChorus pc;
    auto in = noise (256);
    const auto copy = in;
    pc.processStereo (in.left.data(), in.right.data(), 256, 100.0f);
    EXPECT_EQ (in.left, copy.left);
    pc.processStereo (in.left.data(), in.right.data(), 0, 100.0f);
    pc.processStereo (in.left.data(), in.right.data(), -5, 100.0f);
    EXPECT_EQ (in.right, copy.right);
}

TEST (PitchChorusRealtime, ProcessingDoesNotAllocate)
{
    for (const bool synced : { false, true })
    {
        for (int shape = 0; shape <= 6; ++shape)
        {
            auto pc = makeChorus();
            pc.cents = 12.0f;
            pc.lfoShape = shape;
            pc.lfoDepth = 0.7f;
            pc.lfoRate = 3.0f;
            pc.regen = 60.0f;
            pc.twistLink = true;
            pc.twistAmount = 40.0f;
            pc.wide = true;
            pc.mix = 0.6f;
            pc.sync = synced;
            pc.ppq = 17.25;
            auto in = noise (1024);
            testsupport::AllocationCounter counter;
            pc.processStereo (in.left.data(), in.right.data(), 512, 300.0f);
            pc.bendOn = true;
            pc.bendCents = 200.0f;
            pc.processStereo (in.left.data() + 512, in.right.data() + 512, 512, 300.0f);
            EXPECT_EQ (counter.count(), 0u) << "shape " << shape << (synced ? " synced" : " free");
        }
    }
}
