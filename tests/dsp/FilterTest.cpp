#include "dsp/Filter.h"
#include "dsp/BiquadFilter.h"

#include "SignalProbe.h"
#include "support/AllocationCounter.h"
#include "support/CaseName.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>
#include <numbers>
#include <random>
#include <vector>

namespace
{
// Magnitude in dB of one section designed in double precision by the same
// coefficient rule, evaluated on the unit circle.
double sectionDb (bool lowPass, double cutoff, double fs, double hz)
{
    if (cutoff < 5.0 || cutoff > 0.48 * fs)
        return 0.0;
    const double w = 2.0 * std::numbers::pi * cutoff / fs;
    const double s = std::sin (w);
    const double c = std::cos (w);
    const double alpha = s / 1.414;
    const double a0 = 1.0 + alpha;
    const double a1 = -2.0 * c / a0;
    const double a2 = (1.0 - alpha) / a0;
    const double b0 = (lowPass ? (1.0 - c) / 2.0 : (1.0 + c) / 2.0) / a0;
    const double b1 = (lowPass ? (1.0 - c) : -(1.0 + c)) / a0;
    const double b2 = b0;

    const std::complex<double> z1 = std::polar (1.0, -2.0 * std::numbers::pi * hz / fs);
    const std::complex<double> z2 = z1 * z1;
    const auto h = (b0 + b1 * z1 + b2 * z2) / (1.0 + a1 * z1 + a2 * z2);
    return 20.0 * std::log10 (std::abs (h));
}

// Gain in dB of a Filter measured by driving a sine through it: settle for
// half a second, then compare RMS over a whole number of cycles.
double measuredDb (Filter& filter, double hz, double fs)
{
    const auto settle = static_cast<std::size_t> (0.5 * fs);
    const auto cycles = std::max (20.0, std::floor (hz * 0.5));
    const auto window = static_cast<std::size_t> (std::lround (cycles * fs / hz));
    auto x = signalprobe::sine (hz, fs, settle + window);
    auto y = x;
    filter.reset();
    filter.process (y.data(), static_cast<int> (y.size()));
    return 20.0
           * std::log10 (signalprobe::rms (y, settle, settle + window) / signalprobe::rms (x, settle, settle + window));
}

bool isPassThrough (const BiquadFilter& f)
{
    return f.b0 == 1.0f && f.b1 == 0.0f && f.b2 == 0.0f && f.a1 == 0.0f && f.a2 == 0.0f;
}

std::vector<float> noise (std::size_t n, unsigned seed = 1)
{
    std::mt19937 rng (seed);
    std::uniform_real_distribution<float> dist (-1.0f, 1.0f);
    std::vector<float> v (n);
    for (auto& s : v)
        s = dist (rng);
    return v;
}
} // namespace

struct ResponseCase
{
    const char* what;
    float fs;
    float hp; // out of range = section off
    float lp;
    std::vector<double> probes;
};

class FilterResponse : public ::testing::TestWithParam<ResponseCase>
{};

TEST_P (FilterResponse, MagnitudeMatchesCoefficientRule)
{
    const auto& c = GetParam();
    Filter f;
    f.prepare (c.fs);
    f.setHP (c.hp);
    f.setLP (c.lp);

    for (const double hz : c.probes)
    {
        const double expected = sectionDb (false, c.hp, c.fs, hz) + sectionDb (true, c.lp, c.fs, hz);
        const double got = measuredDb (f, hz, c.fs);
        // Deep in the stop band the float filter and the RMS estimate are
        // less exact; the pass band and the corner are held tightly.
        const double tolerance = expected > -30.0 ? 0.02 : 0.3;
        EXPECT_NEAR (got, expected, tolerance) << c.what << " at " << hz << " Hz";
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Filters, FilterResponse, ::testing::Values (
    ResponseCase { "low-pass 1 kHz at 48k", 48000.0f, 0.0f, 1000.0f, { 100.0, 500.0, 1000.0, 2000.0, 8000.0 } },
    ResponseCase { "high-pass 200 Hz at 48k", 48000.0f, 200.0f, 1.0e9f, { 50.0, 100.0, 200.0, 400.0, 2000.0 } },
    ResponseCase { "band 100 Hz to 5 kHz at 48k", 48000.0f, 100.0f, 5000.0f, { 30.0, 100.0, 1000.0, 5000.0, 12000.0 } },
    ResponseCase { "low-pass 6 kHz at 44.1k", 44100.0f, 0.0f, 6000.0f, { 1000.0, 6000.0, 15000.0 } },
    ResponseCase { "high-pass 4 kHz at 96k", 96000.0f, 4000.0f, 1.0e9f, { 1000.0, 4000.0, 20000.0 } }),
    testsupport::NameFromWhat {});
// clang-format on

TEST (FilterCorner, CutoffIsThreeDecibelsDown)
{
    // Q of 1/1.414 puts both corners at -3.01 dB.
    for (const bool lowPass : { true, false })
    {
        Filter f;
        f.prepare (48000.0f);
        if (lowPass)
            f.setLP (2000.0f);
        else
            f.setHP (2000.0f);
        EXPECT_NEAR (measuredDb (f, 2000.0, 48000.0), -3.01, 0.03) << (lowPass ? "low-pass" : "high-pass");
    }
}

TEST (BiquadFilter, NewSectionPassesInputUnchanged)
{
    BiquadFilter f;
    EXPECT_TRUE (isPassThrough (f));
    for (const float x : noise (64))
        EXPECT_EQ (f.process (x), x);
}

struct CutoffCase
{
    const char* what;
    float cutoff;
    float fs;
    bool passThrough;
};

class BiquadCutoffLimits : public ::testing::TestWithParam<CutoffCase>
{};

TEST_P (BiquadCutoffLimits, OutOfRangeGivesPassThrough)
{
    const auto& c = GetParam();
    for (const auto type : { BiquadFilter::Type::LowPass, BiquadFilter::Type::HighPass })
    {
        BiquadFilter f;
        f.set (BiquadFilter::Type::LowPass, 1000.0f, 48000.0f); // start from computed coefficients
        f.set (type, c.cutoff, c.fs);
        EXPECT_EQ (isPassThrough (f), c.passThrough) << c.what;
        EXPECT_TRUE (std::isfinite (f.b0) && std::isfinite (f.b1) && std::isfinite (f.a1) && std::isfinite (f.a2))
            << c.what;
    }
}

namespace
{
const float nanF = std::numeric_limits<float>::quiet_NaN();
const float infF = std::numeric_limits<float>::infinity();
} // namespace

// clang-format off
INSTANTIATE_TEST_SUITE_P (Limits, BiquadCutoffLimits, ::testing::Values (
    CutoffCase { "4.99 Hz is below the range", 4.99f, 44100.0f, true },
    CutoffCase { "5 Hz is computed", 5.0f, 44100.0f, false },
    CutoffCase { "21168 Hz is the top at 44.1k", 21168.0f, 44100.0f, false },
    CutoffCase { "21169 Hz is above the range at 44.1k", 21169.0f, 44100.0f, true },
    CutoffCase { "negative cutoff", -100.0f, 44100.0f, true },
    CutoffCase { "NaN cutoff", nanF, 44100.0f, true },
    CutoffCase { "infinite cutoff", infF, 44100.0f, true },
    CutoffCase { "NaN sampling rate", 1000.0f, nanF, true },
    CutoffCase { "infinite sampling rate", 1000.0f, infF, true },
    CutoffCase { "zero sampling rate", 1000.0f, 0.0f, true }),
    testsupport::NameFromWhat {});
// clang-format on

TEST (FilterLimits, LowPassAt22kHzPassesSignalUnchangedAt44k)
{
    Filter f;
    f.prepare (44100.0f);
    f.setHP (0.0f);
    f.setLP (22000.0f);
    const auto x = noise (4096);
    auto y = x;
    f.process (y.data(), static_cast<int> (y.size()));
    EXPECT_EQ (y, x);
}

TEST (FilterState, CutoffChangeKeepsStateAndDoesNotClick)
{
    const float fs = 48000.0f;
    Filter f;
    f.prepare (fs);
    f.setHP (50.0f);
    f.setLP (1000.0f);

    const auto x = signalprobe::sine (200.0, fs, 9600);
    std::vector<float> y (x.size());
    for (std::size_t i = 0; i < 4800; ++i)
        y[i] = f.process (x[i]);

    const BiquadFilter hpBefore = f.highPass;
    const BiquadFilter lpBefore = f.lowPass;
    f.setHP (60.0f);
    f.setLP (1200.0f);
    EXPECT_EQ (f.highPass.z1, hpBefore.z1);
    EXPECT_EQ (f.highPass.z2, hpBefore.z2);
    EXPECT_EQ (f.lowPass.z1, lpBefore.z1);
    EXPECT_EQ (f.lowPass.z2, lpBefore.z2);

    for (std::size_t i = 4800; i < x.size(); ++i)
        y[i] = f.process (x[i]);

    // A 200 Hz sine of amplitude ~1 moves at most 2*pi*200/48000 = 0.026 per
    // sample; a state reset would jump by the full signal value.
    double largestStep = 0.0;
    for (std::size_t i = 4790; i < 4810; ++i)
        largestStep = std::max (largestStep, static_cast<double> (std::fabs (y[i] - y[i - 1])));
    EXPECT_LT (largestStep, 0.03);
}

TEST (FilterState, ResetAndPrepareClearStateButKeepCoefficients)
{
    Filter f;
    f.prepare (48000.0f);
    f.setHP (100.0f);
    f.setLP (3000.0f);
    for (const float x : noise (256))
        f.process (x);
    ASSERT_NE (f.lowPass.z1, 0.0f);

    const float lpB0 = f.lowPass.b0;
    const float hpA1 = f.highPass.a1;

    f.reset();
    EXPECT_EQ (f.highPass.z1, 0.0f);
    EXPECT_EQ (f.highPass.z2, 0.0f);
    EXPECT_EQ (f.lowPass.z1, 0.0f);
    EXPECT_EQ (f.lowPass.z2, 0.0f);
    EXPECT_EQ (f.lowPass.b0, lpB0);

    for (const float x : noise (256))
        f.process (x);
    f.prepare (96000.0f);
    EXPECT_EQ (f.sampleRate, 96000.0f);
    EXPECT_EQ (f.lowPass.z1, 0.0f);
    EXPECT_EQ (f.highPass.z2, 0.0f);
    EXPECT_EQ (f.lowPass.b0, lpB0);
    EXPECT_EQ (f.highPass.a1, hpA1);
}

TEST (FilterState, UnusableSamplingRateIsIgnored)
{
    Filter f;
    EXPECT_EQ (f.sampleRate, 44100.0f);
    f.prepare (48000.0f);
    for (const float bad : { nanF, infF, 0.0f, -44100.0f })
    {
        f.prepare (bad);
        EXPECT_EQ (f.sampleRate, 48000.0f);
    }
}

TEST (FilterRealtime, ProcessingDoesNotAllocate)
{
    Filter f;
    f.prepare (48000.0f);
    auto x = noise (512);
    testsupport::AllocationCounter counter;
    f.setHP (120.0f);
    f.setLP (4000.0f);
    f.process (x.data(), static_cast<int> (x.size()));
    EXPECT_EQ (counter.count(), 0u);
}
