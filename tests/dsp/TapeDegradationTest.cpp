#include "dsp/TapeDegradation.h"
#include "dsp/BiquadFilter.h"
#include "dsp/TapeHack2Saturator.h"

#include "support/AllocationCounter.h"
#include "support/CaseName.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <vector>

namespace
{
constexpr double pi = 3.14159265358979323846;

// Raw control values in the order the processor applies them; the defaults
// are the parameters' defaults.
struct Controls
{
    bool od = false;
    float soar = 0.0f;
    float soften = 100.0f;
    float bump = 20.0f;
    float flutter = 0.0f;
    float speed = 50.0f;
    float out = 50.0f;
    float wet = 100.0f;
};

void apply (dsp::TapeDegradation& tape, const Controls& c)
{
    tape.setOdMode (c.od);
    tape.setSoar (c.soar);
    tape.setSoften (c.soften);
    tape.setHeadBump (c.bump);
    tape.setFlutter (c.flutter);
    tape.setFlutterSpeed (c.speed);
    tape.setOutputGain (c.out);
    tape.setWet (c.wet);
}

struct Stereo
{
    std::vector<float> l, r;
    int size() const { return static_cast<int> (l.size()); }
};

Stereo silence (int n)
{
    return { std::vector<float> (static_cast<std::size_t> (n), 0.0f),
             std::vector<float> (static_cast<std::size_t> (n), 0.0f) };
}

Stereo sine (double hz, double amp, double sampleRate, int n)
{
    Stereo s = silence (n);
    for (int i = 0; i < n; ++i)
    {
        const double w = 2.0 * pi * hz * i / sampleRate;
        s.l[static_cast<std::size_t> (i)] = static_cast<float> (amp * std::sin (w));
        s.r[static_cast<std::size_t> (i)] = static_cast<float> (amp * std::sin (w + 0.7));
    }
    return s;
}

Stereo noise (double amp, int n, unsigned seed)
{
    std::mt19937 rng (seed);
    std::uniform_real_distribution<double> dist (-amp, amp);
    Stereo s = silence (n);
    for (int i = 0; i < n; ++i)
    {
        s.l[static_cast<std::size_t> (i)] = static_cast<float> (dist (rng));
        s.r[static_cast<std::size_t> (i)] = static_cast<float> (dist (rng));
    }
    return s;
}

Stereo constant (float value, int n)
{
    return { std::vector<float> (static_cast<std::size_t> (n), value),
             std::vector<float> (static_cast<std::size_t> (n), value) };
}

// Processes a copy of the signal in blocks of up to 512 samples.
Stereo run (dsp::TapeDegradation& tape, Stereo s, int block = 512)
{
    for (int start = 0; start < s.size(); start += block)
    {
        const int n = std::min (block, s.size() - start);
        tape.processStereo (s.l.data() + start, s.r.data() + start, n);
    }
    return s;
}

dsp::TapeDegradation makeTape (double sampleRate, const Controls& c)
{
    dsp::TapeDegradation tape;
    tape.prepare (static_cast<float> (sampleRate));
    apply (tape, c);
    return tape;
}

double maxAbs (const std::vector<float>& v, int from, int to)
{
    double m = 0.0;
    for (int i = from; i < to; ++i)
        m = std::max (m, std::abs (static_cast<double> (v[static_cast<std::size_t> (i)])));
    return m;
}

double maxAbsDiff (const std::vector<float>& a, const std::vector<float>& b, int from, int to)
{
    double m = 0.0;
    for (int i = from; i < to; ++i)
        m = std::max (m, std::abs (static_cast<double> (a[static_cast<std::size_t> (i)])
                                   - static_cast<double> (b[static_cast<std::size_t> (i)])));
    return m;
}

double rms (const std::vector<float>& v, int from, int to)
{
    double sum = 0.0;
    for (int i = from; i < to; ++i)
        sum += static_cast<double> (v[static_cast<std::size_t> (i)])
               * static_cast<double> (v[static_cast<std::size_t> (i)]);
    return std::sqrt (sum / (to - from));
}

// Peak index of |x| in a range.
int peakIndex (const std::vector<float>& v, int from, int to)
{
    int best = from;
    for (int i = from; i < to; ++i)
        if (std::abs (v[static_cast<std::size_t> (i)]) > std::abs (v[static_cast<std::size_t> (best)]))
            best = i;
    return best;
}
} // namespace

// ---------------------------------------------------------------------------
// Setter conversions and the per-block values derived from them.

struct ConversionCase
{
    const char* what;
    std::function<void (dsp::TapeDegradation&)> set;
    std::function<double (const dsp::TapeDegradation&)> read;
    double expected;
    double tolerance;
};

class TapeConversion : public ::testing::TestWithParam<ConversionCase>
{};

TEST_P (TapeConversion, ConvertsRawValues)
{
    const auto& c = GetParam();
    dsp::TapeDegradation tape;
    c.set (tape);
    EXPECT_NEAR (c.read (tape), c.expected, c.tolerance);
}

namespace
{
using Tape = dsp::TapeDegradation;
double knee (const Tape& t)
{
    return t.getOdKnee();
}
double inputGain (const Tape& t)
{
    return t.computeBlockCoefficients().inputGain;
}
double comp (const Tape& t)
{
    return t.computeBlockCoefficients().comp;
}
double speed (const Tape& t)
{
    return t.getFlutterSpeed();
}
double softenHz (const Tape& t)
{
    return t.computeBlockCoefficients().softenHz;
}
double outGainDb (const Tape& t)
{
    return 20.0 * std::log10 (t.computeBlockCoefficients().outGainLin);
}
double depth (const Tape& t)
{
    return t.computeBlockCoefficients().flutterDepth;
}
double increment (const Tape& t)
{
    return t.computeBlockCoefficients().flutterIncrement;
}
auto soar (float v)
{
    return [v] (Tape& t) { t.setSoar (v); };
}
auto flutterSpeed (float v)
{
    return [v] (Tape& t) { t.setFlutterSpeed (v); };
}
} // namespace

// clang-format off
INSTANTIATE_TEST_SUITE_P (Table, TapeConversion, ::testing::Values (
    ConversionCase { "drive 0 knee", soar (0.0f), knee, 0.3, 1e-7 },
    ConversionCase { "drive 0 input gain", soar (0.0f), inputGain, 1.0, 1e-7 },
    ConversionCase { "drive 0 comp", soar (0.0f), comp, 1.0, 1e-7 },
    ConversionCase { "drive 50 knee", soar (50.0f), knee, 0.15, 1e-7 },
    ConversionCase { "drive 50 input gain", soar (50.0f), inputGain, std::sqrt (10.0), 1e-6 },
    ConversionCase { "drive 100 knee is floored", soar (100.0f), knee, 0.06, 1e-7 },
    ConversionCase { "drive 100 input gain", soar (100.0f), inputGain, 10.0, 1e-6 },
    ConversionCase { "drive 100 comp", soar (100.0f), comp, 0.3503, 1e-6 },
    ConversionCase { "drive above range", soar (250.0f), inputGain, 10.0, 1e-6 },
    ConversionCase { "drive below range", soar (-20.0f), knee, 0.3, 1e-7 },
    ConversionCase { "flutter speed 0", flutterSpeed (0.0f), speed, 0.2, 1e-7 },
    ConversionCase { "flutter speed 50", flutterSpeed (50.0f), speed, 0.8, 1e-7 },
    ConversionCase { "flutter speed 75", flutterSpeed (75.0f), speed, 1.6, 1e-6 },
    ConversionCase { "flutter speed 100", flutterSpeed (100.0f), speed, 3.2, 1e-6 },
    ConversionCase { "flutter speed above range", flutterSpeed (180.0f), speed, 3.2, 1e-6 },
    ConversionCase { "flutter speed below range", flutterSpeed (-30.0f), speed, 0.2, 1e-7 },
    ConversionCase { "soften 0 is 2 kHz", [] (Tape& m) { m.setSoften (0.0f); }, softenHz, 2000.0, 1e-6 },
    ConversionCase { "soften 50", [] (Tape& m) { m.setSoften (50.0f); }, softenHz, 2000.0 * std::sqrt (6.0), 1e-3 },
    ConversionCase { "soften 100 is 12 kHz", [] (Tape& m) { m.setSoften (100.0f); }, softenHz, 12000.0, 1e-3 },
    ConversionCase { "soften above range", [] (Tape& m) { m.setSoften (400.0f); }, softenHz, 12000.0, 1e-3 },
    ConversionCase { "head bump 20", [] (Tape& m) { m.setHeadBump (20.0f); }, [] (const Tape& m) { return double (m.getHeadBump()); }, 0.2, 1e-7 },
    ConversionCase { "head bump mix", [] (Tape& m) { m.setHeadBump (100.0f); }, [] (const Tape& m) { return m.computeBlockCoefficients().bumpMix; }, 0.25, 1e-7 },
    ConversionCase { "head bump below range", [] (Tape& m) { m.setHeadBump (-1.0f); }, [] (const Tape& m) { return double (m.getHeadBump()); }, 0.0, 0.0 },
    ConversionCase { "output 0 is -6 dB", [] (Tape& m) { m.setOutputGain (0.0f); }, outGainDb, -6.0, 1e-9 },
    ConversionCase { "output 50 is 0 dB", [] (Tape& m) { m.setOutputGain (50.0f); }, outGainDb, 0.0, 0.0 },
    ConversionCase { "output 100 is +6 dB", [] (Tape& m) { m.setOutputGain (100.0f); }, outGainDb, 6.0, 1e-9 },
    ConversionCase { "output above range", [] (Tape& m) { m.setOutputGain (1000.0f); }, outGainDb, 6.0, 1e-9 },
    ConversionCase { "wet 30", [] (Tape& m) { m.setWet (30.0f); }, [] (const Tape& m) { return double (m.getWet()); }, 0.3, 1e-7 },
    ConversionCase { "wet above range", [] (Tape& m) { m.setWet (101.0f); }, [] (const Tape& m) { return double (m.getWet()); }, 1.0, 0.0 },
    ConversionCase { "full flutter depth at 44.1 kHz", [] (Tape& m) { m.setFlutter (100.0f); }, depth, 70.0, 1e-9 },
    ConversionCase { "half flutter depth at 44.1 kHz", [] (Tape& m) { m.setFlutter (50.0f); }, depth, 17.5, 1e-9 },
    ConversionCase { "full flutter depth at 96 kHz", [] (Tape& m) { m.prepare (96000.0f); m.setFlutter (100.0f); }, depth, 70.0 * 96000.0 / 44100.0, 1e-9 },
    ConversionCase { "flutter sweep at 96 kHz", [] (Tape& m) { m.prepare (96000.0f); m.setFlutter (100.0f); m.setFlutterSpeed (100.0f); }, increment, 3.2 * 0.0024 * 44100.0 / 96000.0, 1e-9 },
    ConversionCase { "flutter above range", [] (Tape& m) { m.setFlutter (120.0f); }, depth, 70.0, 1e-9 },
    ConversionCase { "low split is a 150 Hz one-pole", [] (Tape& m) { m.prepare (48000.0f); }, [] (const Tape& m) { return m.computeBlockCoefficients().lowSplit; }, 1.0 - std::exp (-2.0 * pi * 150.0 / 48000.0), 1e-12 }),
    testsupport::NameFromWhat());
// clang-format on

TEST (TapeSetters, NaNKeepsThePreviousValueAndInfinityClamps)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const Controls c { false, 40.0f, 60.0f, 30.0f, 70.0f, 80.0f, 90.0f, 75.0f };

    dsp::TapeDegradation clean = makeTape (44100.0, c);
    dsp::TapeDegradation poked = makeTape (44100.0, c);
    apply (poked, { false, nan, nan, nan, nan, nan, nan, nan });

    EXPECT_EQ (poked.getDrive(), clean.getDrive());
    EXPECT_EQ (poked.getOdKnee(), clean.getOdKnee());
    EXPECT_EQ (poked.getSoften(), clean.getSoften());
    EXPECT_EQ (poked.getHeadBump(), clean.getHeadBump());
    EXPECT_EQ (poked.getFlutter(), clean.getFlutter());
    EXPECT_EQ (poked.getFlutterSpeed(), clean.getFlutterSpeed());
    EXPECT_EQ (poked.getOutputGain(), clean.getOutputGain());
    EXPECT_EQ (poked.getWet(), clean.getWet());

    // The sound is untouched by the rejected values.
    const Stereo in = sine (440.0, 0.6, 44100.0, 4096);
    const Stereo a = run (clean, in);
    const Stereo b = run (poked, in);
    EXPECT_EQ (a.l, b.l);
    EXPECT_EQ (a.r, b.r);

    dsp::TapeDegradation high;
    apply (high, { false, inf, inf, inf, inf, inf, inf, inf });
    EXPECT_EQ (high.getDrive(), 100.0f);
    EXPECT_FLOAT_EQ (high.getOdKnee(), 0.06f);
    EXPECT_EQ (high.getSoften(), 1.0f);
    EXPECT_EQ (high.getFlutter(), 1.0f);
    EXPECT_FLOAT_EQ (high.getFlutterSpeed(), 3.2f);
    EXPECT_EQ (high.getWet(), 1.0f);

    dsp::TapeDegradation low;
    apply (low, { false, -inf, -inf, -inf, -inf, -inf, -inf, -inf });
    EXPECT_EQ (low.getDrive(), 0.0f);
    EXPECT_FLOAT_EQ (low.getFlutterSpeed(), 0.2f);
    EXPECT_EQ (low.getOutputGain(), 0.0f);
    EXPECT_EQ (low.getWet(), 0.0f);
}

TEST (TapePrepare, IgnoresUnusableSampleRates)
{
    dsp::TapeDegradation tape;
    tape.prepare (96000.0f);
    tape.prepare (std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ (tape.getSampleRate(), 96000.0f);
    tape.prepare (0.0f);
    EXPECT_EQ (tape.getSampleRate(), 96000.0f);
    tape.prepare (-44100.0f);
    EXPECT_EQ (tape.getSampleRate(), 96000.0f);
}

// ---------------------------------------------------------------------------
// Flutter.

TEST (TapeFlutter, OffIsAPassThroughWithoutDelay)
{
    constexpr int n = 600;
    Stereo impulse = silence (n);
    impulse.l[100] = impulse.r[100] = 0.5f;

    Controls c;
    c.bump = 0.0f;
    c.speed = 0.0f;
    dsp::TapeDegradation slow = makeTape (44100.0, c);
    c.speed = 100.0f;
    dsp::TapeDegradation fast = makeTape (44100.0, c);
    c.flutter = 100.0f;
    c.speed = 0.0f; // the wander has barely started after 170 samples
    dsp::TapeDegradation fluttering = makeTape (44100.0, c);

    const Stereo a = run (slow, impulse);
    const Stereo b = run (fast, impulse);
    const Stereo f = run (fluttering, impulse);

    // The flutter speed means nothing while the depth is 0.
    EXPECT_EQ (a.l, b.l);
    EXPECT_EQ (a.r, b.r);
    // No delay at depth 0 (the filters smear the impulse by a few samples);
    // full depth right after a reset delays by 70 samples.
    const int direct = peakIndex (a.l, 0, n);
    EXPECT_GE (direct, 100);
    EXPECT_LE (direct, 105);
    EXPECT_NEAR (peakIndex (f.l, 0, n) - direct, 70, 1);
}

TEST (TapeFlutter, RingIsWrittenWhileOffSoTurningItUpReadsRecentSignal)
{
    Controls off;
    off.bump = 0.0f; // no resonator ringing in the silence that follows
    Controls on = off;
    on.flutter = 100.0f;

    // A high tone leaves little behind in the low split's state.
    const Stereo tone = sine (4000.0, 0.5, 44100.0, 4410);
    const Stereo quiet = silence (300);

    dsp::TapeDegradation turnedUp = makeTape (44100.0, off);
    dsp::TapeDegradation keptOff = makeTape (44100.0, off);
    run (turnedUp, tone);
    run (keptOff, tone);
    apply (turnedUp, on);

    const Stereo up = run (turnedUp, quiet);
    const Stereo still = run (keptOff, quiet);

    // The first 70 samples after the switch replay the tone from the ring;
    // without flutter only the decaying low-split state is left.
    EXPECT_GT (rms (up.l, 20, 65), 0.2);
    EXPECT_GT (rms (up.r, 20, 65), 0.2);
    EXPECT_LT (maxAbs (still.l, 20, 65), 0.03);
    // From then on the reads reach what was written after the switch.
    EXPECT_LT (maxAbs (up.l, 90, 300), 0.03);
}

TEST (TapeFlutter, RingIs500SamplesUpTo96kHzAndCoversTheDeepestReadAbove)
{
    for (const double rate : { 44100.0, 48000.0, 88200.0, 96000.0 })
    {
        dsp::TapeDegradation tape;
        tape.prepare (static_cast<float> (rate));
        EXPECT_EQ (tape.getFlutterRingSize(), 500) << rate;
    }
    for (const double rate : { 176400.0, 192000.0, 352800.0, 384000.0, 768000.0 })
    {
        dsp::TapeDegradation tape;
        tape.prepare (static_cast<float> (rate));
        tape.setFlutter (100.0f);
        // Offsets stay below 2 * depth; the interpolation reads one further.
        const double deepest = 2.0 * tape.computeBlockCoefficients().flutterDepth + 1.0;
        EXPECT_GT (tape.getFlutterRingSize(), deepest) << rate;
    }
}

namespace
{
struct RateCase
{
    const char* what;
    double sampleRate;
};

void PrintTo (const RateCase& c, std::ostream* os)
{
    *os << c.what;
}
} // namespace

namespace
{
// The flutter read offset in samples, sample by sample from a reset, by the
// rule: offset = D + A^2 D sin(B); then A moves toward C by I, B grows by
// A I, and each time B reaches 2 pi it steps back by pi and C takes a new
// value 0.24 + 0.74 u, u the left noise state (1 after a reset, one xorshift
// step per sample) before this sample's step.
struct FlutterPath
{
    std::vector<double> offsets;
    int wraps = 0;
};

FlutterPath flutterPath (double sampleRate, double flutter, double speed, int n)
{
    const double os = sampleRate / 44100.0;
    const double depth = os * flutter * flutter * 70.0;
    const double increment = speed * flutter * flutter * 0.0024 / os;
    double a = 0.0, b = 0.0, c = 0.5;
    std::uint32_t noise = 1u;
    FlutterPath path;
    path.offsets.resize (static_cast<std::size_t> (n));
    for (auto& offset : path.offsets)
    {
        offset = depth + a * a * depth * std::sin (b);
        a = a * (1.0 - increment) + c * increment;
        b += a * increment;
        if (b >= 2.0 * pi)
        {
            b -= pi;
            c = 0.24 + 0.74 * (static_cast<double> (noise) / 4294967295.0);
            ++path.wraps;
        }
        noise ^= noise << 13;
        noise ^= noise >> 17;
        noise ^= noise << 5;
    }
    return path;
}

// Phase of a tone of period 32 samples in the 32-sample window at from, as
// the delay in samples that it means (modulo 32).
double toneDelay (const std::vector<float>& y, int from)
{
    double re = 0.0, im = 0.0;
    for (int i = from; i < from + 32; ++i)
    {
        const double w = 2.0 * pi * i / 32.0;
        re += static_cast<double> (y[static_cast<std::size_t> (i)]) * std::cos (w);
        im -= static_cast<double> (y[static_cast<std::size_t> (i)]) * std::sin (w);
    }
    return -std::atan2 (im, re) / (2.0 * pi) * 32.0;
}

// a - b folded into -16..16 (delays of a 32-sample tone are known modulo 32).
double delayDifference (double a, double b)
{
    double d = std::fmod (a - b, 32.0);
    if (d < -16.0)
        d += 32.0;
    if (d >= 16.0)
        d -= 32.0;
    return d;
}
} // namespace

class TapeFlutterSweep : public ::testing::TestWithParam<RateCase>
{};

// A tone of period 32 samples goes through the tape with half flutter at
// full speed (at most 3 % of pitch wobble, so the tone's phase reads
// cleanly) and once without flutter; the difference of their phases is the
// flutter read offset, which must follow the rule through many sweeps.
TEST_P (TapeFlutterSweep, ReadOffsetFollowsTheSweepThroughItsWraps)
{
    const double fs = GetParam().sampleRate;
    const int n = static_cast<int> (fs * 0.75);
    Controls c;
    c.bump = 0.0f;
    c.speed = 100.0f; // 3.2
    const Stereo tone = sine (fs / 32.0, 0.1, fs, n);
    dsp::TapeDegradation still = makeTape (fs, c);
    c.flutter = 50.0f;
    dsp::TapeDegradation fluttering = makeTape (fs, c);
    const Stereo base = run (still, tone);
    const Stereo moved = run (fluttering, tone);

    const auto path = flutterPath (fs, 0.5, 3.2, n);
    double lowest = 1e9, highest = -1e9, worst = 0.0;
    for (int from = 1024; from + 32 <= n; from += 32)
    {
        double expected = 0.0;
        for (int i = from; i < from + 32; ++i)
            expected += path.offsets[static_cast<std::size_t> (i)] / 32.0;
        lowest = std::min (lowest, expected);
        highest = std::max (highest, expected);
        const double left = delayDifference (toneDelay (moved.l, from), toneDelay (base.l, from));
        const double right = delayDifference (toneDelay (moved.r, from), toneDelay (base.r, from));
        worst = std::max (
            { worst, std::abs (delayDifference (left, expected)), std::abs (delayDifference (right, expected)) });
    }

    EXPECT_LT (worst, 0.15 * fs / 44100.0); // 3.4 us at any rate
    // The comparison covers a real wobble over several sweeps.
    EXPECT_GT (highest - lowest, 8.0 * fs / 44100.0);
    EXPECT_GE (path.wraps, 3);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Rates, TapeFlutterSweep, ::testing::Values (
    RateCase { "44.1 kHz", 44100.0 },
    RateCase { "96 kHz", 96000.0 }),
    testsupport::NameFromWhat());
// clang-format on

class TapeFlutterHighRate : public ::testing::TestWithParam<RateCase>
{};

// A read that wrapped around a too-short ring lands on recent signal and
// jumps by a good part of the tone's amplitude.
TEST_P (TapeFlutterHighRate, FullFlutterStaysContinuous)
{
    const double fs = GetParam().sampleRate;
    Controls c;
    c.flutter = 100.0f;
    c.speed = 100.0f;
    dsp::TapeDegradation tape = makeTape (fs, c);

    const int n = static_cast<int> (fs * 1.5);
    const Stereo out = run (tape, sine (300.0, 0.5, fs, n));

    // The tone moves by at most 2*pi*300/fs * amplitude per sample.
    const double smoothStep = 2.0 * pi * 300.0 / fs;
    double worst = 0.0;
    for (int i = static_cast<int> (fs * 0.01); i < n; ++i)
    {
        const auto k = static_cast<std::size_t> (i);
        worst = std::max (worst, std::abs (static_cast<double> (out.l[k]) - static_cast<double> (out.l[k - 1])));
        worst = std::max (worst, std::abs (static_cast<double> (out.r[k]) - static_cast<double> (out.r[k - 1])));
    }
    EXPECT_LT (worst, 4.0 * smoothStep);
    EXPECT_GT (maxAbs (out.l, n / 2, n), 0.2); // the tone is there
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Rates, TapeFlutterHighRate, ::testing::Values (
    RateCase { "176.4 kHz", 176400.0 },
    RateCase { "192 kHz", 192000.0 },
    RateCase { "352.8 kHz", 352800.0 },
    RateCase { "384 kHz", 384000.0 }),
    testsupport::NameFromWhat());
// clang-format on

// ---------------------------------------------------------------------------
// Mix.

TEST (TapeMix, WetZeroGivesTheInputEightSamplesLateWhateverTheTapeSettings)
{
    const Stereo in = noise (0.8, 6000, 7u);
    Controls plain;
    plain.wet = 0.0f;
    Controls wild { true, 100.0f, 0.0f, 100.0f, 100.0f, 100.0f, 100.0f, 0.0f };

    dsp::TapeDegradation a = makeTape (44100.0, plain);
    dsp::TapeDegradation b = makeTape (44100.0, wild);
    const Stereo outA = run (a, in);
    const Stereo outB = run (b, in);

    EXPECT_EQ (outA.l, outB.l);
    EXPECT_EQ (outA.r, outB.r);

    for (int i = 0; i < in.size(); ++i)
    {
        const auto k = static_cast<std::size_t> (i);
        const double dryL = i >= 8 ? in.l[k - 8] : 0.0;
        const double dryR = i >= 8 ? in.r[k - 8] : 0.0;
        // Dither stays at the level of the float's last bit.
        ASSERT_NEAR (outA.l[k], dryL, 1.2e-7 * std::abs (dryL) + 6e-8) << i;
        ASSERT_NEAR (outA.r[k], dryR, 1.2e-7 * std::abs (dryR) + 6e-8) << i;
    }
}

TEST (TapeMix, WetOneIgnoresTheDryAndHalfBlendsBoth)
{
    // A loud input: any dry leak at wet 1 would show far above the 0.99 clamp.
    const Stereo in = noise (50.0, 8000, 11u);
    Controls c;
    c.out = 100.0f;
    c.flutter = 40.0f;
    dsp::TapeDegradation full = makeTape (44100.0, c);
    c.wet = 0.0f;
    dsp::TapeDegradation dry = makeTape (44100.0, c);
    c.wet = 50.0f;
    dsp::TapeDegradation half = makeTape (44100.0, c);

    const Stereo outFull = run (full, in);
    const Stereo outDry = run (dry, in);
    const Stereo outHalf = run (half, in);

    EXPECT_LE (maxAbs (outFull.l, 0, in.size()), 0.99 + 1e-7);
    EXPECT_LE (maxAbs (outFull.r, 0, in.size()), 0.99 + 1e-7);
    for (int i = 0; i < in.size(); ++i)
    {
        const auto k = static_cast<std::size_t> (i);
        const double expected = 0.5 * outFull.l[k] + 0.5 * outDry.l[k];
        ASSERT_NEAR (outHalf.l[k], expected, 1e-5 * (1.0 + std::abs (expected))) << i;
    }
}

// ---------------------------------------------------------------------------
// Clipper and output bounds.

struct ClipCase
{
    const char* what;
    Controls controls;
};

class TapeClipper : public ::testing::TestWithParam<ClipCase>
{};

TEST_P (TapeClipper, HugeInputSettlesAtPlusAndMinus099)
{
    // Square wave of +-1000 with 200-sample halves: the low split lets the
    // edges through, every half holds far beyond the clipper's ceiling.
    constexpr int half = 200;
    Stereo in = silence (40 * half);
    for (int i = 0; i < in.size(); ++i)
        in.l[static_cast<std::size_t> (i)] = in.r[static_cast<std::size_t> (i)] =
            (i / half) % 2 == 0 ? 1000.0f : -1000.0f;

    dsp::TapeDegradation tape = makeTape (44100.0, GetParam().controls);
    const Stereo out = run (tape, in);

    for (int h = 2; h < 40; ++h)
    {
        const double level = h % 2 == 0 ? 0.99 : -0.99;
        for (int i = h * half + 40; i < h * half + 120; ++i)
        {
            ASSERT_NEAR (out.l[static_cast<std::size_t> (i)], level, 1e-6) << "half " << h << " sample " << i;
            ASSERT_NEAR (out.r[static_cast<std::size_t> (i)], level, 1e-6) << "half " << h << " sample " << i;
        }
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Modes, TapeClipper, ::testing::Values (
    ClipCase { "OD curve", Controls { true, 50.0f, 100.0f, 20.0f, 0.0f, 50.0f, 50.0f, 100.0f } },
    ClipCase { "smooth curve at plus 6 dB", Controls { false, 0.0f, 100.0f, 20.0f, 0.0f, 50.0f, 100.0f, 100.0f } }),
    testsupport::NameFromWhat());
// clang-format on

struct InputCase
{
    const char* what;
    Stereo (*make) (int n);
};

class TapeBounds : public ::testing::TestWithParam<InputCase>
{};

TEST_P (TapeBounds, OutputStaysFiniteAndWithinUnity)
{
    const std::vector<Controls> settings {
        Controls {},
        Controls { false, 100.0f, 0.0f, 100.0f, 100.0f, 100.0f, 100.0f, 100.0f },
        Controls { true, 100.0f, 0.0f, 100.0f, 100.0f, 100.0f, 100.0f, 100.0f },
        Controls { true, 0.0f, 100.0f, 100.0f, 30.0f, 0.0f, 100.0f, 100.0f },
    };
    for (const double fs : { 44100.0, 192000.0 })
    {
        for (std::size_t s = 0; s < settings.size(); ++s)
        {
            dsp::TapeDegradation tape = makeTape (fs, settings[s]);
            const Stereo out = run (tape, GetParam().make (static_cast<int> (fs * 0.5)));
            for (int i = 0; i < out.size(); ++i)
            {
                const auto k = static_cast<std::size_t> (i);
                ASSERT_TRUE (std::isfinite (out.l[k]) && std::isfinite (out.r[k]))
                    << fs << " setting " << s << " sample " << i;
                ASSERT_LE (std::abs (out.l[k]), 1.0f) << fs << " setting " << s << " sample " << i;
                ASSERT_LE (std::abs (out.r[k]), 1.0f) << fs << " setting " << s << " sample " << i;
            }
        }
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Inputs, TapeBounds, ::testing::Values (
    InputCase { "silence", [] (int n) { return silence (n); } },
    InputCase { "full-scale noise", [] (int n) { return noise (1.0, n, 3u); } },
    InputCase { "noise of 1000", [] (int n) { return noise (1000.0, n, 5u); } },
    InputCase { "plus 1000", [] (int n) { return constant (1000.0f, n); } },
    InputCase { "minus 1000", [] (int n) { return constant (-1000.0f, n); } },
    InputCase { "sustained DC of 1", [] (int n) { return constant (1.0f, n); } },
    InputCase { "largest floats", [] (int n) { return constant (std::numeric_limits<float>::max(), n); } },
    InputCase { "full-scale 20 kHz", [] (int n) { return sine (20000.0, 1.0, 44100.0, n); } }),
    testsupport::NameFromWhat());
// clang-format on

TEST (TapeInput, NonFiniteSamplesCountAsSilence)
{
    Controls c;
    c.flutter = 60.0f;
    c.bump = 80.0f;
    Stereo poisoned = sine (500.0, 0.5, 44100.0, 8000);
    Stereo zeroed = poisoned;
    for (int i = 1000; i < 1010; ++i)
    {
        const auto k = static_cast<std::size_t> (i);
        poisoned.l[k] = std::numeric_limits<float>::quiet_NaN();
        poisoned.r[k] = i % 2 == 0 ? std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::infinity();
        zeroed.l[k] = zeroed.r[k] = 0.0f;
    }
    for (const float wet : { 100.0f, 40.0f })
    {
        c.wet = wet;
        dsp::TapeDegradation a = makeTape (44100.0, c);
        dsp::TapeDegradation b = makeTape (44100.0, c);
        const Stereo outA = run (a, poisoned);
        const Stereo outB = run (b, zeroed);
        EXPECT_EQ (outA.l, outB.l) << wet;
        EXPECT_EQ (outA.r, outB.r) << wet;
    }
}

// ---------------------------------------------------------------------------
// Silence, mode switch, reset.

struct SilenceCase
{
    const char* what;
    Controls controls;
};

class TapeSilence : public ::testing::TestWithParam<SilenceCase>
{};

TEST_P (TapeSilence, NeverGivesExactZerosAndStaysInaudible)
{
    dsp::TapeDegradation tape = makeTape (44100.0, GetParam().controls);
    const Stereo out = run (tape, silence (44100));
    for (int i = 0; i < out.size(); ++i)
    {
        const auto k = static_cast<std::size_t> (i);
        ASSERT_NE (out.l[k], 0.0f) << i;
        ASSERT_NE (out.r[k], 0.0f) << i;
    }
    EXPECT_LT (maxAbs (out.l, 0, out.size()), 1e-6);
    EXPECT_LT (maxAbs (out.r, 0, out.size()), 1e-6);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Settings, TapeSilence, ::testing::Values (
    SilenceCase { "defaults", Controls {} },
    SilenceCase { "dry only", Controls { false, 0.0f, 100.0f, 20.0f, 0.0f, 50.0f, 50.0f, 0.0f } },
    SilenceCase { "OD with flutter and bump", Controls { true, 100.0f, 0.0f, 100.0f, 100.0f, 100.0f, 100.0f, 100.0f } }),
    testsupport::NameFromWhat());
// clang-format on

TEST (TapeOdMode, SwitchClearsOnlyTheSaturators)
{
    // Flutter carries the tone over into the silence for 70 samples; no head
    // bump, so nothing else rings on.
    Controls c;
    c.bump = 0.0f;
    c.flutter = 100.0f;
    c.speed = 0.0f;
    const Stereo tone = sine (1000.0, 0.5, 44100.0, 4410);

    dsp::TapeDegradation toggled = makeTape (44100.0, c);
    dsp::TapeDegradation sameMode = makeTape (44100.0, c);
    dsp::TapeDegradation untouched = makeTape (44100.0, c);
    dsp::TapeDegradation wiped = makeTape (44100.0, c);
    for (auto* t : { &toggled, &sameMode, &untouched, &wiped })
        run (*t, tone);

    toggled.setOdMode (true);
    toggled.setOdMode (false);
    sameMode.setOdMode (false);
    wiped.reset();

    const Stereo quiet = silence (200);
    const Stereo outToggled = run (toggled, quiet);
    const Stereo outSame = run (sameMode, quiet);
    const Stereo outUntouched = run (untouched, quiet);
    const Stereo outWiped = run (wiped, quiet);

    // Setting the current mode again does nothing.
    EXPECT_EQ (outSame.l, outUntouched.l);
    EXPECT_EQ (outSame.r, outUntouched.r);

    // The saturators forgot the tone: the first samples differ...
    EXPECT_GT (maxAbsDiff (outToggled.l, outUntouched.l, 0, 3), 1e-2);
    // ...but the flutter ring and the rest kept it, unlike after a reset.
    EXPECT_LT (maxAbsDiff (outToggled.l, outUntouched.l, 30, 65), 1e-5);
    EXPECT_LT (maxAbsDiff (outToggled.r, outUntouched.r, 30, 65), 1e-5);
    EXPECT_GT (rms (outUntouched.l, 30, 65), 0.2);
    EXPECT_LT (maxAbs (outWiped.l, 30, 65), 1e-3);
}

TEST (TapeReset, ReplaysBitIdenticallyAndMatchesAFreshInstance)
{
    const Controls c { false, 70.0f, 40.0f, 60.0f, 80.0f, 90.0f, 70.0f, 80.0f };
    Stereo in = noise (0.7, 20000, 21u);
    const Stereo tone = sine (220.0, 0.6, 96000.0, in.size());
    for (std::size_t k = 0; k < in.l.size(); ++k)
    {
        in.l[k] += tone.l[k];
        in.r[k] += tone.r[k];
    }

    dsp::TapeDegradation tape = makeTape (96000.0, c);
    const Stereo first = run (tape, in);
    run (tape, noise (2.0, 7777, 4u));
    tape.reset();
    const Stereo again = run (tape, in, 300); // block size does not matter

    dsp::TapeDegradation fresh = makeTape (96000.0, c);
    const Stereo freshOut = run (fresh, in, 64);

    EXPECT_EQ (first.l, again.l);
    EXPECT_EQ (first.r, again.r);
    EXPECT_EQ (first.l, freshOut.l);
    EXPECT_EQ (first.r, freshOut.r);

    // The same holds in OD mode, which takes the other saturation path.
    const Controls od { true, 70.0f, 40.0f, 60.0f, 80.0f, 90.0f, 70.0f, 80.0f };
    dsp::TapeDegradation odTape = makeTape (96000.0, od);
    const Stereo odFirst = run (odTape, in);
    odTape.reset();
    EXPECT_EQ (odFirst.l, run (odTape, in).l);
}

TEST (TapeProcess, EmptyBlocksChangeNothing)
{
    const Stereo in = sine (700.0, 0.5, 44100.0, 2048);
    dsp::TapeDegradation a = makeTape (44100.0, Controls {});
    dsp::TapeDegradation b = makeTape (44100.0, Controls {});
    float dummy = 0.25f;
    b.processStereo (&dummy, &dummy, 0);
    b.processStereo (&dummy, &dummy, -5);
    EXPECT_EQ (dummy, 0.25f);
    EXPECT_EQ (run (a, in).l, run (b, in).l);
}

TEST (TapeProcess, DoesNotAllocate)
{
    Controls c { false, 60.0f, 50.0f, 80.0f, 100.0f, 100.0f, 70.0f, 60.0f };
    dsp::TapeDegradation tape = makeTape (192000.0, c);
    Stereo buf = noise (1.0, 4096, 9u);

    testsupport::AllocationCounter counter;
    for (int pass = 0; pass < 4; ++pass)
    {
        c.od = pass % 2 == 1;
        apply (tape, c);
        tape.processStereo (buf.l.data(), buf.r.data(), buf.size());
    }
    tape.reset();
    tape.processStereo (buf.l.data(), buf.r.data(), buf.size());
    EXPECT_EQ (counter.count(), 0u);
}

// ---------------------------------------------------------------------------
// The stage's per-sample rules written out plainly, one channel and one step
// at a time, in double precision with the same operations in the same order:
// the stage, however it organises its loop, gives exactly these samples.

namespace
{
class PlainTape
{
public:
    PlainTape (const dsp::TapeDegradation& controls, int ringSize)
        : ringL (static_cast<std::size_t> (ringSize), 0.0)
        , ringR (static_cast<std::size_t> (ringSize), 0.0)
        , counter (ringSize - 1)
    {
        satL.prepare (controls.getSampleRate());
        satR.prepare (controls.getSampleRate());
    }

    void process (const dsp::TapeDegradation& controls, float* left, float* right, int n)
    {
        if (controls.getOdMode() != od)
        {
            od = controls.getOdMode();
            satL.reset();
            satR.reset();
        }
        const auto k = controls.computeBlockCoefficients();
        const float rate = controls.getSampleRate();
        softL.set (BiquadFilter::Type::LowPass, static_cast<float> (k.softenHz), rate);
        softR.set (BiquadFilter::Type::LowPass, static_cast<float> (k.softenHz), rate);
        const double F = 0.007 / k.rateScale, R = 0.0009, K = std::tan (pi * F);
        const double norm = 1.0 / (1.0 + K / R + K * K);
        a0 = K / R * norm;
        a2 = -a0;
        b1 = 2.0 * (K * K - 1.0) * norm;
        b2 = (1.0 - K / R + K * K) * norm;
        const int size = static_cast<int> (ringL.size());
        const double knee = controls.getOdKnee();
        const double wet = controls.getWet();

        for (int i = 0; i < n; ++i)
        {
            double x[2] = { left[i], right[i] };
            std::uint32_t* noise[2] = { &noiseL, &noiseR };
            for (int c = 0; c < 2; ++c)
            {
                if (! std::isfinite (x[c]))
                    x[c] = 0.0;
                if (std::abs (x[c]) < 1.18e-23)
                    x[c] = static_cast<double> (*noise[c]) * 1.18e-17;
            }
            const double dry[2] = { dryL[static_cast<std::size_t> (dryAt)], dryR[static_cast<std::size_t> (dryAt)] };
            dryL[static_cast<std::size_t> (dryAt)] = x[0];
            dryR[static_cast<std::size_t> (dryAt)] = x[1];
            dryAt = (dryAt + 1) % 8;

            lowL += (x[0] - lowL) * k.lowSplit;
            lowR += (x[1] - lowR) * k.lowSplit;
            double sig[2] = { x[0] - lowL, x[1] - lowR };

            if (counter < 0 || counter >= size)
                counter = size - 1;
            ringL[static_cast<std::size_t> (counter)] = sig[0];
            ringR[static_cast<std::size_t> (counter)] = sig[1];
            if (k.flutterDepth != 0.0)
            {
                const double offset = k.flutterDepth + ampA * ampA * k.flutterDepth * std::sin (sweepB);
                const double whole = std::floor (offset);
                const double t = offset - whole;
                const auto at = [size] (long j) { return static_cast<std::size_t> (((j % size) + size) % size); };
                const long i0 = counter + static_cast<long> (whole);
                sig[0] = ringL[at (i0)] * (1.0 - t) + ringL[at (i0 + 1)] * t;
                sig[1] = ringR[at (i0)] * (1.0 - t) + ringR[at (i0 + 1)] * t;
                ampA = ampA * (1.0 - k.flutterIncrement) + targetC * k.flutterIncrement;
                sweepB += ampA * k.flutterIncrement;
                if (sweepB >= 2.0 * pi)
                {
                    sweepB -= pi;
                    targetC = 0.24 + 0.74 * (static_cast<double> (noiseL) / 4294967295.0);
                }
            }
            --counter;

            if (flip)
            {
                s1 = resonate (0, s1, sig[0], k.bumpCubic);
                s3 = resonate (2, s3, sig[1], k.bumpCubic);
            }
            else
            {
                s2 = resonate (1, s2, sig[0], k.bumpCubic);
                s4 = resonate (3, s4, sig[1], k.bumpCubic);
            }
            flip = ! flip;
            sig[0] += (s1 + s2) * k.bumpMix;
            sig[1] += (s3 + s4) * k.bumpMix;

            float sat[2];
            for (int c = 0; c < 2; ++c)
            {
                if (od)
                {
                    const float v = static_cast<float> (sig[c]);
                    const double m =
                        std::max (0.0, std::sqrt (knee * knee + std::abs (static_cast<double> (v))) - knee);
                    const float y = static_cast<float> (v < 0.0f ? -m : m);
                    sat[c] = std::isfinite (y) ? y : 0.0f;
                }
                else
                {
                    sat[c] = (c == 0 ? satL : satR).process (static_cast<float> (sig[c]), k.inputGain, k.comp);
                }
            }
            double y[2] = { softL.process (sat[0]), softR.process (sat[1]) };

            const double e[2] = { (1.0 - std::abs (y[0])) * 0.00013, (1.0 - std::abs (y[1])) * 0.00013 };
            leak (s1, e[0]);
            leak (s2, e[0]);
            leak (s3, e[1]);
            leak (s4, e[1]);

            double* clip[2] = { &clipL, &clipR };
            for (int c = 0; c < 2; ++c)
            {
                if (k.outGainLin != 1.0)
                    y[c] *= k.outGainLin;
                double& m = *clip[c];
                if (m >= 0.99)
                    m = y[c] < 0.99 ? 0.6118536488623959 + 0.3819660112501051 * y[c] : 0.99;
                if (m <= -0.99)
                    m = y[c] > -0.99 ? -0.6118536488623959 + 0.3819660112501051 * y[c] : -0.99;
                if (y[c] > 0.99)
                    y[c] = m < 0.99 ? 0.6118536488623959 + 0.3819660112501051 * m : 0.99;
                if (y[c] < -0.99)
                    y[c] = m > -0.99 ? -0.6118536488623959 + 0.3819660112501051 * m : -0.99;
                m = y[c];

                const double w = std::clamp (y[c], -0.99, 0.99);
                double out = wet == 1.0 ? w : w * wet + dry[c] * (1.0 - wet);
                int exponent = 0;
                std::frexp (static_cast<float> (out), &exponent);
                std::uint32_t& z = *noise[c];
                z ^= z << 13;
                z ^= z >> 17;
                z ^= z << 5;
                out += (static_cast<double> (z) - 2147483647.0) * 5.5e-36 * std::ldexp (1.0, exponent + 62);
                (c == 0 ? left : right)[i] = static_cast<float> (out);
            }
        }
    }

private:
    double resonate (int f, double s, double sig, double cubic)
    {
        double v = sig * 0.05 + s;
        v -= v * v * v * cubic;
        const double u = std::sin (v);
        const double y = a0 * u + state1[f];
        state1[f] = 0.0 * u - b1 * y + state2[f];
        state2[f] = a2 * u - b2 * y;
        return std::asin (std::clamp (y, -1.0, 1.0));
    }

    static void leak (double& s, double e)
    {
        if (s > e)
            s -= e;
        else if (s < -e)
            s += e;
    }

    dsp::TapeHack2Saturator satL, satR;
    bool od = false;
    BiquadFilter softL, softR;
    double a0 = 0.0, a2 = 0.0, b1 = 0.0, b2 = 0.0;
    double state1[4] {}, state2[4] {};
    double s1 = 0.0, s2 = 0.0, s3 = 0.0, s4 = 0.0;
    bool flip = false;
    double lowL = 0.0, lowR = 0.0;
    std::vector<double> ringL, ringR;
    int counter;
    double ampA = 0.0, sweepB = 0.0, targetC = 0.5;
    double dryL[8] {}, dryR[8] {};
    int dryAt = 0;
    double clipL = 0.0, clipR = 0.0;
    std::uint32_t noiseL = 1u, noiseR = 1u;
};

struct PlainCase
{
    const char* what;
    double sampleRate;
    Controls controls;
    std::function<Stereo (int)> input;
    std::vector<int> blocks { 512 };
    // Controls changed after this many blocks (a second setting).
    std::function<void (Controls&)> later;
};

void PrintTo (const PlainCase& c, std::ostream* os)
{
    *os << c.what;
}

class TapePlainRules : public ::testing::TestWithParam<PlainCase>
{};

bool sameBits (const std::vector<float>& a, const std::vector<float>& b)
{
    return a.size() == b.size() && std::memcmp (a.data(), b.data(), a.size() * sizeof (float)) == 0;
}
} // namespace

TEST_P (TapePlainRules, GiveTheSameSamples)
{
    const auto& c = GetParam();
    Controls controls = c.controls;
    auto tape = makeTape (c.sampleRate, controls);
    PlainTape plain (tape, tape.getFlutterRingSize());

    const auto in = c.input (static_cast<int> (c.sampleRate * 1.5));
    Stereo fast = in, slow = in;
    int pos = 0;
    for (int b = 0; pos < in.size(); ++b)
    {
        if (b == 40 && c.later)
        {
            c.later (controls);
            apply (tape, controls);
        }
        const int n = std::min (c.blocks[static_cast<std::size_t> (b) % c.blocks.size()], in.size() - pos);
        tape.processStereo (fast.l.data() + pos, fast.r.data() + pos, n);
        plain.process (tape, slow.l.data() + pos, slow.r.data() + pos, n);
        pos += n;
    }
    EXPECT_TRUE (sameBits (fast.l, slow.l));
    EXPECT_TRUE (sameBits (fast.r, slow.r));
    EXPECT_GT (maxAbs (fast.l, 0, fast.size()), 1e-6);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Settings, TapePlainRules, ::testing::Values (
    PlainCase { "everything on at 48 kHz", 48000.0, Controls { false, 60.0f, 70.0f, 60.0f, 70.0f, 60.0f, 55.0f, 90.0f },
                [] (int n) { return sine (441.0, 0.5, 48000.0, n); }, { 512 }, nullptr },
    PlainCase { "flutter off, full wet", 44100.0, Controls { false, 30.0f, 20.0f, 80.0f, 0.0f, 50.0f, 50.0f, 100.0f },
                [] (int n) { return noise (0.4, n, 3u); }, { 512 }, nullptr },
    PlainCase { "OD mode driven hard", 48000.0, Controls { true, 100.0f, 0.0f, 100.0f, 100.0f, 100.0f, 100.0f, 70.0f },
                [] (int n) { return noise (2.0, n, 4u); }, { 512 }, nullptr },
    PlainCase { "96 kHz with the four-sample averaging", 96000.0, Controls { false, 80.0f, 50.0f, 40.0f, 30.0f, 10.0f, 30.0f, 100.0f },
                [] (int n) { return sine (97.0, 0.9, 96000.0, n); }, { 512 }, nullptr },
    PlainCase { "192 kHz with the eight-sample averaging", 192000.0, Controls { false, 20.0f, 90.0f, 60.0f, 100.0f, 100.0f, 60.0f, 50.0f },
                [] (int n) { return noise (0.3, n, 5u); }, { 512 }, nullptr },
    PlainCase { "input far beyond the clipper", 48000.0, Controls { false, 100.0f, 100.0f, 100.0f, 20.0f, 50.0f, 100.0f, 100.0f },
                [] (int n) { return constant (40.0f, n); }, { 512 }, nullptr },
    PlainCase { "silence and tiny values", 48000.0, Controls { false, 50.0f, 30.0f, 60.0f, 60.0f, 50.0f, 50.0f, 80.0f },
                [] (int n) { auto s = noise (1e-24, n, 6u); s.l[1000] = 0.3f; return s; }, { 512 }, nullptr },
    PlainCase { "numbers that are not finite", 48000.0, Controls { false, 50.0f, 30.0f, 60.0f, 60.0f, 50.0f, 50.0f, 80.0f },
                [] (int n) {
                    auto s = noise (0.5, n, 7u);
                    for (int i = 100; i < n; i += 997)
                    {
                        s.l[static_cast<std::size_t> (i)] = std::numeric_limits<float>::quiet_NaN();
                        s.r[static_cast<std::size_t> (i)] = std::numeric_limits<float>::infinity();
                    }
                    return s;
                }, { 512 }, nullptr },
    PlainCase { "odd blocks and a switch to OD mode", 44100.0, Controls { false, 70.0f, 60.0f, 50.0f, 50.0f, 70.0f, 40.0f, 100.0f },
                [] (int n) { return sine (1234.0, 0.7, 44100.0, n); }, { 1, 77, 512, 3, 260 },
                [] (Controls& c) { c.od = true; c.wet = 60.0f; } },
    PlainCase { "OD mode switched off again", 48000.0, Controls { true, 70.0f, 60.0f, 50.0f, 50.0f, 70.0f, 40.0f, 100.0f },
                [] (int n) { return noise (0.6, n, 8u); }, { 512 },
                [] (Controls& c) { c.od = false; c.flutter = 0.0f; } }),
    testsupport::NameFromWhat());
// clang-format on
