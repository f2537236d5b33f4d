#include "dsp/Tremolo.h"
#include "dsp/LFO.h"

#include "dsp/NoteGrid.h"
#include "support/AllocationCounter.h"
#include "support/CaseName.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <vector>

namespace
{
constexpr float fs = 48000.0f;
constexpr std::uint32_t seed = 0xC0DEFADEu;
// Lag of the 1 ms one-pole behind a ramp, in samples: a / (1 - a).
const double smoothingLag = 1.0 / std::expm1 (1.0 / (0.001 * fs));

struct Gains
{
    std::vector<float> left, right;
};

struct SyncSetup
{
    bool on = false;
    double ppq = 0.0;
    double bpm = 120.0;
    int noteIndex = 5;
    float offsetBeats = 0.0f;
};

// Runs a constant 1 through the tremolo, so the output is the gain.
Gains renderGains (dsp::Tremolo& t, std::size_t samples, int blockSize = 480, SyncSetup sync = {})
{
    Gains g { std::vector<float> (samples, 1.0f), std::vector<float> (samples, 1.0f) };
    for (std::size_t start = 0; start < samples; start += static_cast<std::size_t> (blockSize))
    {
        const auto n = static_cast<int> (std::min (samples - start, static_cast<std::size_t> (blockSize)));
        const double ppq = sync.ppq + static_cast<double> (start) * sync.bpm / 60.0 / fs;
        if (sync.on)
            t.setSync (true, ppq, sync.bpm, sync.noteIndex, sync.offsetBeats, fs);
        else
            t.setSync (false, 0.0, 120.0, 5, 0.0f, fs);
        t.processStereo (g.left.data() + start, g.right.data() + start, n);
    }
    return g;
}

dsp::Tremolo makeTremolo (int shape, float rateHz, float depthPercent)
{
    dsp::Tremolo t;
    t.prepare (fs);
    t.seed = seed;
    t.setRate (rateHz);
    t.setDepth (depthPercent);
    t.setShape (shape);
    t.setPhaseOffset (0.0f);
    t.setLROffset (0.0f);
    return t;
}

float gainFor (double v, double depth)
{
    return static_cast<float> (1.0 - (1.0 - (0.5 * v + 0.5)) * depth);
}

// Waveform of the tremolo LFO written out independently, at a position in
// cycles.
double waveform (int shape, double x)
{
    const double p = x - std::floor (x);
    const auto n = static_cast<std::int64_t> (std::floor (x));
    switch (shape)
    {
        case 0:
            return std::sin (2.0 * std::numbers::pi * p);
        case 1:
            return 1.0 - 2.0 * std::fabs (2.0 * p - 1.0);
        case 2:
            return p < 0.5 ? 1.0 : -1.0;
        case 3:
            return 2.0 * p - 1.0;
        case 4:
            return 1.0 - 2.0 * p;
        case 5:
            return dsp::randomStep (seed, n);
        default:
        {
            const double r0 = dsp::randomStep (seed, n);
            const double r1 = dsp::randomStep (seed, n + 1);
            return r0 + (r1 - r0) * p;
        }
    }
}

// Phases (within a cycle) at which a shape jumps or bends.
std::vector<double> kinks (int shape)
{
    switch (shape)
    {
        case 0:
            return {};
        case 1:
            return { 0.0, 0.5 };
        case 2:
            return { 0.0, 0.5 };
        default:
            return { 0.0 };
    }
}
} // namespace

struct ShapeCase
{
    const char* what;
    int shape;
};

class TremoloShape : public ::testing::TestWithParam<ShapeCase>
{};

TEST_P (TremoloShape, GainFollowsTheWaveformOneMillisecondBehind)
{
    const auto& c = GetParam();
    const float rate = 1.5f;
    const double depth = 0.8;
    auto t = makeTremolo (c.shape, rate, 80.0f);
    const auto g = renderGains (t, static_cast<std::size_t> (3.0 * fs));

    // Away from jumps and corners the smoothed gain is the target gain one
    // time constant late; right after a jump it is still settling.
    const double settle = 10.0 * 0.001 * rate; // 10 ms, in cycles
    int compared = 0;
    float lowest = 2.0f, highest = -1.0f;
    for (std::size_t i = 0; i < g.left.size(); ++i)
    {
        lowest = std::min (lowest, g.left[i]);
        highest = std::max (highest, g.left[i]);
        const double x = (static_cast<double> (i) - smoothingLag) * rate / fs;
        if (x < settle)
            continue;
        // A jump starts to show at once, so the skipped stretch is measured
        // on the undelayed phase: from just before a kink to 10 ms after it.
        const double u = static_cast<double> (i) * rate / fs;
        bool nearKink = false;
        for (const double k : kinks (c.shape))
        {
            const double since = (u - k) - std::floor (u - k); // cycles since the kink
            nearKink = nearKink || since < settle + 0.002 || since > 1.0 - 0.002;
        }
        if (nearKink)
            continue;
        ASSERT_NEAR (g.left[i], gainFor (waveform (c.shape, x), depth), 2.0e-3) << c.what << " at sample " << i;
        ASSERT_EQ (g.right[i], g.left[i]) << "no left/right offset set";
        ++compared;
    }
    EXPECT_GT (compared, static_cast<int> (g.left.size()) / 2);
    EXPECT_GE (lowest, static_cast<float> (1.0 - depth) - 1.0e-6f);
    EXPECT_LE (highest, 1.0f);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Shapes, TremoloShape, ::testing::Values (
    ShapeCase { "sine", 0 },
    ShapeCase { "triangle", 1 },
    ShapeCase { "square", 2 },
    ShapeCase { "saw up", 3 },
    ShapeCase { "saw down", 4 },
    ShapeCase { "random", 5 },
    ShapeCase { "smooth random", 6 }),
    testsupport::NameFromWhat {});
// clang-format on

TEST (TremoloSmoothing, FullDepthSquareSwitchesBetweenOneAndZeroWithOneMillisecondRamps)
{
    auto t = makeTremolo (2, 10.0f, 100.0f);
    const auto g = renderGains (t, static_cast<std::size_t> (0.2 * fs));
    const auto& y = g.left;

    // Plateaus settle to 1 and 0 before every edge (50 ms halves).
    EXPECT_NEAR (y[2399], 1.0f, 1.0e-5f);
    EXPECT_NEAR (y[4799], 0.0f, 1.0e-5f);
    EXPECT_NEAR (y[7199], 1.0f, 1.0e-5f);

    // Falling edge near sample 2400: from the first sample below 1 the gain
    // decays by exp(-1/48) per sample, e^-1 after one millisecond.
    std::size_t e = 2300;
    while (y[e] >= 1.0f - 1.0e-6f)
        ++e;
    EXPECT_LE (std::max (e, std::size_t { 2400 }) - std::min (e, std::size_t { 2400 }), 1u);
    EXPECT_NEAR (y[e], std::exp (-1.0 / 48.0), 1.0e-5);
    EXPECT_NEAR (y[e + 47], std::exp (-1.0), 1.0e-4);

    // Rising edge near sample 4800: 10 % to 90 % takes ln 9 time constants.
    std::size_t r10 = 4700, r90;
    while (y[r10] < 0.1f)
        ++r10;
    r90 = r10;
    while (y[r90] < 0.9f)
        ++r90;
    EXPECT_NEAR (static_cast<double> (r90 - r10), std::log (9.0) * 48.0, 1.5);
}

TEST (TremoloSmoothing, FirstSampleAfterResetTakesItsGainAtOnce)
{
    // Square started half a cycle in: the target is 1 - depth from the start.
    auto t = makeTremolo (2, 2.0f, 60.0f);
    t.setPhaseOffset (-180.0f);
    auto g = renderGains (t, 64);
    EXPECT_FLOAT_EQ (g.left[0], 0.4f);
    EXPECT_FLOAT_EQ (g.left[63], 0.4f);

    t.reset();
    t.setPhaseOffset (0.0f);
    g = renderGains (t, 4);
    EXPECT_EQ (g.left[0], 1.0f);
}

TEST (TremoloDepth, ZeroDepthLeavesAudioAndLfoUntouchedAndResumes)
{
    auto paused = makeTremolo (0, 3.0f, 70.0f);
    auto reference = makeTremolo (0, 3.0f, 70.0f);

    const auto a = renderGains (paused, 10000);
    const auto b = renderGains (reference, 10000);
    ASSERT_EQ (a.left, b.left);

    const float phase = paused.getPhase();
    const double cycles = paused.getCycles();
    paused.setDepth (0.0f);
    std::vector<float> l (7777), r (7777);
    for (std::size_t i = 0; i < l.size(); ++i)
        l[i] = r[i] = std::sin (0.01f * static_cast<float> (i));
    const auto lIn = l, rIn = r;
    paused.processStereo (l.data(), r.data(), static_cast<int> (l.size()));
    EXPECT_EQ (l, lIn);
    EXPECT_EQ (r, rIn);
    EXPECT_EQ (paused.getPhase(), phase);
    EXPECT_EQ (paused.getCycles(), cycles);

    paused.setDepth (70.0f);
    const auto c = renderGains (paused, 10000);
    const auto d = renderGains (reference, 10000);
    EXPECT_EQ (c.left, d.left);
    EXPECT_EQ (c.right, d.right);
}

struct SyncEdgeCase
{
    const char* what;
    int shape;
    bool symmetricPeak;   // the peak centre is measured; else the 50 % upward crossing
    bool falling;         // edge measured on the way down
    float offsetBeats;    // phase offset in beats
    double expectedLagMs; // after the beat (+ offset)
};

class TremoloSync : public ::testing::TestWithParam<SyncEdgeCase>
{};

TEST_P (TremoloSync, PeakFallsOnTheBeat)
{
    const auto& c = GetParam();
    auto t = makeTremolo (c.shape, 0.2f, 100.0f); // free rate must not matter
    const SyncSetup sync { true, 0.37, 120.0, 5, c.offsetBeats };
    const auto g = renderGains (t, static_cast<std::size_t> (4.0 * fs), 480, sync);
    const auto& y = g.left;
    const double samplesPerBeat = fs * 60.0 / 120.0;

    int checked = 0;
    for (int beat = 1; beat <= 7; ++beat)
    {
        const double at =
            (static_cast<double> (beat) + c.offsetBeats - sync.ppq) * samplesPerBeat + c.expectedLagMs * 0.001 * fs;
        const auto lo = static_cast<std::size_t> (at - 0.4 * samplesPerBeat);
        const auto hi = static_cast<std::size_t> (at + 0.4 * samplesPerBeat);
        if (at - 0.4 * samplesPerBeat < 0.0 || hi >= y.size())
            continue;

        double measured = 0.0;
        if (c.symmetricPeak)
        {
            std::size_t up = lo, down = hi;
            while (up < hi && y[up] < 0.5f)
                ++up;
            while (down > lo && y[down] < 0.5f)
                --down;
            measured = 0.5 * static_cast<double> (up + down);
        }
        else
        {
            std::size_t k = lo;
            if (c.falling)
                while (k < hi && y[k] > 0.5f)
                    ++k;
            else
                while (k < hi && y[k] < 0.5f)
                    ++k;
            measured = static_cast<double> (k);
        }
        EXPECT_NEAR (measured, at, 2.0) << c.what << " beat " << beat;
        ++checked;
    }
    EXPECT_GE (checked, 5);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Shapes, TremoloSync, ::testing::Values (
    // Smooth peaks lag by one time constant.
    SyncEdgeCase { "sine", 0, true, false, 0.0f, 1.0 },
    SyncEdgeCase { "triangle", 1, true, false, 0.0f, 1.0 },
    SyncEdgeCase { "sine with quarter beat offset", 0, true, false, 0.25f, 1.0 },
    // Jumps cross half way after ln 2 time constants.
    SyncEdgeCase { "square rises on the beat", 2, false, false, 0.0f, 0.693 },
    SyncEdgeCase { "saw down jumps up on the beat", 4, false, false, 0.0f, 0.693 },
    SyncEdgeCase { "saw up drops right after the beat", 3, false, true, 0.0f, 0.693 }),
    testsupport::NameFromWhat {});
// clang-format on

TEST (TremoloSync, FreePhaseWaitsWhileSyncedAndResumesAfter)
{
    auto t = makeTremolo (0, 3.0f, 80.0f);
    renderGains (t, 10000);
    const float phase = t.getPhase();
    const double cycles = t.getCycles();

    const auto synced = renderGains (t, 24000, 480, SyncSetup { true, 5.3, 133.0, 7, 0.0f });
    EXPECT_EQ (t.getPhase(), phase);
    EXPECT_EQ (t.getCycles(), cycles);
    // The synced blocks really did modulate.
    EXPECT_LT (*std::min_element (synced.left.begin(), synced.left.end()), 0.25f);

    // Back to free running from the stored phase: after the smoothing has
    // caught up, the gain is the one of the stored phase plus elapsed time.
    const auto resumed = renderGains (t, 4800);
    for (std::size_t i = 500; i < resumed.left.size(); i += 50)
    {
        const double x = static_cast<double> (phase) + (static_cast<double> (i) - smoothingLag) * 3.0 / fs;
        ASSERT_NEAR (resumed.left[i], gainFor (waveform (0, x), 0.8), 2.0e-3) << i;
    }
}

TEST (TremoloSync, RandomShapesRepeatEveryBar)
{
    for (const int shape : { 5, 6 })
    {
        auto t = makeTremolo (shape, 3.0f, 100.0f);
        const SyncSetup sync { true, 0.0, 120.0, 9, 0.0f }; // sixteenth notes
        const std::size_t bar = static_cast<std::size_t> (4 * fs / 2.0f);
        const auto g = renderGains (t, 3 * bar, 480, sync);

        for (std::size_t i = 0; i < bar; ++i)
            ASSERT_NEAR (g.left[bar + i], g.left[2 * bar + i], 1.0e-6f) << "shape " << shape << " sample " << i;
        EXPECT_EQ (g.left, g.right);

        // Each sixteenth holds (or starts from) its own step value.
        const std::size_t sixteenth = bar / 16;
        int distinct = 0;
        for (std::size_t k = 0; k < 16; ++k)
        {
            // Stepped: the end of the step; smooth: the middle of the ramp
            // toward the next step, one time constant late.
            const std::size_t offset = shape == 5 ? sixteenth - 1 : sixteenth / 2;
            const double r0 = dsp::randomStep (seed, static_cast<std::int64_t> (k));
            const double r1 = dsp::randomStep (seed, static_cast<std::int64_t> (k) + 1);
            const double along =
                shape == 5 ? 0.0 : (static_cast<double> (offset) - smoothingLag) / static_cast<double> (sixteenth);
            const std::size_t probe = bar + k * sixteenth + offset;
            EXPECT_NEAR (g.left[probe], gainFor (r0 + (r1 - r0) * along, 1.0), 1.0e-4)
                << "shape " << shape << " step " << k;
            distinct += (k > 0 && g.left[probe] != g.left[probe - sixteenth]) ? 1 : 0;
        }
        EXPECT_EQ (distinct, 15);
    }
}

TEST (TremoloSync, LongNoteValuesHoldOrRestartAtEveryBar)
{
    const std::size_t bar = static_cast<std::size_t> (2.0f * fs);

    // Sixteen beats, stepped: one value for every bar.
    auto held = makeTremolo (5, 3.0f, 100.0f);
    const auto h = renderGains (held, 3 * bar, 480, SyncSetup { true, 0.0, 120.0, 0, 0.0f });
    const float r0 = gainFor (dsp::randomStep (seed, 0), 1.0);
    for (std::size_t i = 0; i < h.left.size(); i += 997)
        ASSERT_FLOAT_EQ (h.left[i], r0) << i;

    // Four beats, smooth: a ramp from step 0 toward step 1 in every bar.
    auto ramp = makeTremolo (6, 3.0f, 100.0f);
    const auto r = renderGains (ramp, 3 * bar, 480, SyncSetup { true, 0.0, 120.0, 2, 0.0f });
    const double v0 = dsp::randomStep (seed, 0);
    const double v1 = dsp::randomStep (seed, 1);
    for (std::size_t b = 0; b < 3; ++b)
    {
        for (const double frac : { 0.1, 0.5, 0.9 })
        {
            const auto i = b * bar + static_cast<std::size_t> (frac * static_cast<double> (bar));
            EXPECT_NEAR (r.left[i], gainFor (v0 + (v1 - v0) * frac, 1.0), 1.0e-3) << "bar " << b << " at " << frac;
        }
    }
}

TEST (TremoloStereo, HalfCycleOffsetMirrorsTheRightChannel)
{
    auto t = makeTremolo (0, 2.0f, 100.0f);
    t.setLROffset (180.0f);
    const auto g = renderGains (t, 48000);
    for (std::size_t i = 0; i < g.left.size(); i += 7)
        ASSERT_NEAR (g.left[i] + g.right[i], 1.0f, 1.0e-5f) << i;
    EXPECT_LT (*std::min_element (g.left.begin(), g.left.end()), 0.01f);

    for (const int shape : { 5, 6 })
    {
        auto rnd = makeTremolo (shape, 8.0f, 100.0f);
        rnd.setLROffset (180.0f);
        rnd.setPhaseOffset (90.0f);
        const auto gr = renderGains (rnd, 48000);
        EXPECT_EQ (gr.left, gr.right) << "shape " << shape;
        auto plain = makeTremolo (shape, 8.0f, 100.0f);
        EXPECT_EQ (renderGains (plain, 48000).left, gr.left) << "phase offsets do not move random shapes";
    }
}

TEST (TremoloShapes, ShapeSevenPlaysAsSmoothRandom)
{
    auto seven = makeTremolo (7, 4.0f, 90.0f);
    auto six = makeTremolo (6, 4.0f, 90.0f);
    EXPECT_EQ (renderGains (seven, 24000).left, renderGains (six, 24000).left);
    auto negative = makeTremolo (-4, 4.0f, 90.0f);
    auto sine = makeTremolo (0, 4.0f, 90.0f);
    EXPECT_EQ (renderGains (negative, 24000).left, renderGains (sine, 24000).left);
}

TEST (TremoloSetters, NonFiniteValuesAreNotTakenOver)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    auto fed = makeTremolo (0, 3.0f, 70.0f);
    auto reference = makeTremolo (0, 3.0f, 70.0f);
    fed.setLROffset (40.0f);
    reference.setLROffset (40.0f);

    fed.setRate (nan);
    fed.setRate (inf);
    fed.setDepth (nan);
    fed.setPhaseOffset (nan);
    fed.setPhaseOffset (-inf);
    fed.setLROffset (nan);
    fed.prepare (nan);
    reference.prepare (fs);

    const auto a = renderGains (fed, 20000);
    const auto b = renderGains (reference, 20000);
    EXPECT_EQ (a.left, b.left);
    EXPECT_EQ (a.right, b.right);

    // A garbage host position or tempo runs the block free instead of
    // producing NaN gains.
    auto synced = makeTremolo (0, 3.0f, 70.0f);
    auto free = makeTremolo (0, 3.0f, 70.0f);
    std::vector<float> l (4800, 1.0f), r (4800, 1.0f), l2 (4800, 1.0f), r2 (4800, 1.0f);
    synced.setSync (true, std::numeric_limits<double>::quiet_NaN(), 120.0, 5, 0.0f, fs);
    synced.processStereo (l.data(), r.data(), 4800);
    free.setSync (false, 0.0, 120.0, 5, 0.0f, fs);
    free.processStereo (l2.data(), r2.data(), 4800);
    EXPECT_EQ (l, l2);

    synced.setSync (true, 3.0, inf, 5, nan, nan);
    synced.processStereo (l.data(), r.data(), 4800);
    for (const float v : l)
        ASSERT_TRUE (std::isfinite (v));

    // Depth above the range clamps to full depth, below to none.
    auto full = makeTremolo (2, 10.0f, 1.0e9f);
    EXPECT_NEAR (renderGains (full, 4799).left[4798], 0.0f, 1.0e-6f);
    auto none = makeTremolo (2, 10.0f, -5.0f);
    EXPECT_EQ (renderGains (none, 4799).left[4798], 1.0f);
}

// The free-running position must keep counting however long the plug-in
// runs: a float running total stops growing after some minutes, and the
// random shapes then freeze on one value.
struct LongRunCase
{
    const char* what;
    float rateHz;
    int shape;
};

class TremoloLongRun : public ::testing::TestWithParam<LongRunCase>
{};

TEST_P (TremoloLongRun, RandomShapesStillStepAfterTwoHours)
{
    const auto& c = GetParam();
    auto t = makeTremolo (c.shape, c.rateHz, 100.0f);

    // Two hours of real processing in large blocks.
    const std::int64_t total = std::int64_t { 2 } * 3600 * static_cast<std::int64_t> (fs);
    std::vector<float> l (8192), r (8192);
    for (std::int64_t done = 0; done < total;)
    {
        const auto n = static_cast<int> (std::min<std::int64_t> (8192, total - done));
        std::fill (l.begin(), l.end(), 1.0f);
        std::fill (r.begin(), r.end(), 1.0f);
        t.processStereo (l.data(), r.data(), n);
        done += n;
    }
    const double expectedCycles = static_cast<double> (c.rateHz) * 7200.0;
    ASSERT_NEAR (t.getCycles(), expectedCycles, 1.0e-4 * expectedCycles) << c.what;

    // The next three steps each hold the value of their own step number.
    const auto stepSamples = static_cast<std::size_t> (fs / c.rateHz);
    const auto g = renderGains (t, 4 * stepSamples, 8192);
    const double start = t.getCycles() - 4.0 * static_cast<double> (stepSamples) * c.rateHz / fs;
    for (int k = 1; k <= 3; ++k)
    {
        const auto n = static_cast<std::int64_t> (std::floor (start)) + k;
        const double at = (static_cast<double> (n) + 0.5 - start) * fs / c.rateHz;
        const float expected = gainFor (waveform (c.shape, static_cast<double> (n) + 0.5), 1.0);
        EXPECT_NEAR (g.left[static_cast<std::size_t> (at)], expected, 1.0e-3) << c.what << " step " << n;
    }
    const float a = g.left[static_cast<std::size_t> ((std::floor (start) + 1.5 - start) * fs / c.rateHz)];
    const float b = g.left[static_cast<std::size_t> ((std::floor (start) + 2.5 - start) * fs / c.rateHz)];
    EXPECT_NE (a, b) << c.what;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Rates, TremoloLongRun, ::testing::Values (
    LongRunCase { "stepped at 8 Hz", 8.0f, 5 },
    LongRunCase { "smooth at 0.15 Hz", 0.15f, 6 }),
    testsupport::NameFromWhat {});
// clang-format on

TEST (TremoloPosition, ResumedPositionGivesTheStepValuesOfThatPosition)
{
    // Fast-forward to many hours of running and check the steps from there.
    for (const std::int64_t whole : { std::int64_t { 57600 }, std::int64_t { 1080 }, std::int64_t { 5000000 } })
    {
        auto t = makeTremolo (5, 8.0f, 100.0f);
        t.setPosition (whole, 0.0f);
        const auto g = renderGains (t, 4 * 6000);
        for (int k = 0; k < 4; ++k)
        {
            const float expected = gainFor (dsp::randomStep (seed, whole + k), 1.0);
            EXPECT_NEAR (g.left[static_cast<std::size_t> (k * 6000 + 5000)], expected, 1.0e-5f) << whole << " + " << k;
        }
    }
}

TEST (TremoloRealtime, ProcessingDoesNotAllocate)
{
    for (int shape = 0; shape <= 6; ++shape)
    {
        auto t = makeTremolo (shape, 5.0f, 80.0f);
        t.setLROffset (90.0f);
        std::vector<float> l (512, 0.5f), r (512, 0.5f);
        testsupport::AllocationCounter counter;
        t.setSync (false, 0.0, 120.0, 5, 0.0f, fs);
        t.processStereo (l.data(), r.data(), 512);
        t.setSync (true, 12.5, 97.0, 7, 0.25f, fs);
        t.processStereo (l.data(), r.data(), 512);
        EXPECT_EQ (counter.count(), 0u) << "shape " << shape;
    }
}
