#include "dsp/TapVoiceBank.h"

#include "support/AllocationCounter.h"
#include "support/CaseName.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace
{
constexpr double sr = 48000.0;
constexpr int block = 256;

TapSet makeTaps (std::initializer_list<std::pair<float, float>> timeAndGain)
{
    TapSet s;
    for (const auto& [t, g] : timeAndGain)
    {
        s.taps[static_cast<std::size_t> (s.count)] = { t, g, 0.0f };
        ++s.count;
    }
    return s;
}

TapSet evenTaps (int count, float spacingMs, float gain)
{
    TapSet s;
    for (int i = 0; i < count; ++i)
        s.taps[static_cast<std::size_t> (i)] = { spacingMs * static_cast<float> (i + 1), gain, 0.0f };
    s.count = count;
    return s;
}

// A voice bank fed block by block, collecting the wet output.
struct Bank
{
    TapVoiceBank bank;
    TapSet taps;
    TapVoiceBank::RenderSettings settings;
    std::vector<float> outLeft, outRight;

    explicit Bank (const TapSet& t)
        : taps (t)
    {
        bank.prepare (sr, block);
        bank.startFrom (taps);
        settings.tapCount = taps.count;
    }

    void run (const std::vector<float>& inL, const std::vector<float>& inR)
    {
        std::vector<float> wl (block), wr (block);
        for (std::size_t pos = 0; pos < inL.size(); pos += block)
        {
            const int n = static_cast<int> (std::min<std::size_t> (block, inL.size() - pos));
            bank.write (inL.data() + pos, inR.data() + pos, n);
            bank.render (taps, settings, wl.data(), wr.data(), n);
            outLeft.insert (outLeft.end(), wl.begin(), wl.begin() + n);
            outRight.insert (outRight.end(), wr.begin(), wr.begin() + n);
        }
    }

    void runImpulse (int length, float left = 1.0f, float right = 1.0f)
    {
        std::vector<float> l (static_cast<std::size_t> (length), 0.0f), r (static_cast<std::size_t> (length), 0.0f);
        l[0] = left;
        r[0] = right;
        run (l, r);
    }
};

std::size_t samplesOf (float ms)
{
    return static_cast<std::size_t> (std::lround (ms * sr / 1000.0));
}
} // namespace

TEST (TapVoiceBank, AnImpulseComesBackAtEveryTapWithItsGain)
{
    Bank b (makeTaps ({ { 0.0f, 1.0f }, { 10.0f, 0.5f }, { 25.0f, 0.25f } }));
    b.runImpulse (4096, 1.0f, -1.0f);

    for (std::size_t i = 0; i < b.outLeft.size(); ++i)
    {
        float expected = 0.0f;
        if (i == 0)
            expected = 1.0f;
        if (i == samplesOf (10.0f))
            expected = 0.5f;
        if (i == samplesOf (25.0f))
            expected = 0.25f;
        ASSERT_EQ (b.outLeft[i], expected) << i;
        ASSERT_EQ (b.outRight[i], -expected) << i;
    }
}

TEST (TapVoiceBank, FractionalDelaysInterpolateWithCatmullRom)
{
    // 1.25 ms at 48 kHz is 60 samples; 1.2604167 ms is 60.5 samples.
    Bank b (makeTaps ({ { 60.5f * 1000.0f / 48000.0f, 1.0f } }));
    b.runImpulse (512);
    // An impulse read half-way: Catmull-Rom weights -1/16, 9/16, 9/16, -1/16.
    // (The delay passes through milliseconds in single precision, so the
    // fraction is 0.5 to within a few millionths.)
    EXPECT_NEAR (b.outLeft[59], -0.0625f, 1e-5f);
    EXPECT_NEAR (b.outLeft[60], 0.5625f, 1e-5f);
    EXPECT_NEAR (b.outLeft[61], 0.5625f, 1e-5f);
    EXPECT_NEAR (b.outLeft[62], -0.0625f, 1e-5f);
    EXPECT_EQ (b.outLeft[58], 0.0f);
    EXPECT_EQ (b.outLeft[63], 0.0f);
}

TEST (TapVoiceBank, SilenceInGivesExactZeros)
{
    Bank b (evenTaps (64, 7.3f, 0.8f));
    std::vector<float> zeros (48000, 0.0f);
    b.run (zeros, zeros);
    for (float x : b.outLeft)
        ASSERT_EQ (x, 0.0f);
    for (float x : b.outRight)
        ASSERT_EQ (x, 0.0f);
}

TEST (TapVoiceBank, TimingChangesCrossfadeAtMostSixteenAtOnceRoundRobin)
{
    TapVoiceBank bank;
    bank.prepare (sr, block);
    auto taps = evenTaps (64, 10.0f, 0.5f);
    bank.startFrom (taps);

    for (int i = 0; i < 64; ++i)
        taps.taps[static_cast<std::size_t> (i)].timeMs += 3.0f;
    bank.update (taps, true, false);
    bank.scheduleCrossfades();
    EXPECT_EQ (bank.getNumFading(), 16);
    for (int i = 0; i < 16; ++i)
        EXPECT_TRUE (bank.getVoice (i).fading) << i;
    EXPECT_TRUE (bank.getVoice (16).fadeQueued);

    // Each crossfade takes 10 ms (480 samples); the waiting voices hold still.
    std::vector<float> in (block, 0.0f), wl (block), wr (block);
    TapVoiceBank::RenderSettings s;
    s.tapCount = 64;
    const double held = bank.getVoice (20).readDelay;
    int rendered = 0;
    while (rendered < 480)
    {
        bank.write (in.data(), in.data(), block);
        bank.render (taps, s, wl.data(), wr.data(), block);
        rendered += block;
        if (rendered < 480)
        {
            EXPECT_EQ (bank.getNumFading(), 16);
        }
        EXPECT_EQ (bank.getVoice (20).readDelay, held);
    }
    EXPECT_EQ (bank.getNumFading(), 0);
    EXPECT_NEAR (bank.getVoice (0).readDelay, 13.0 * 48.0, 1e-9);

    // The next round starts where the last one stopped.
    bank.scheduleCrossfades();
    EXPECT_EQ (bank.getNumFading(), 16);
    EXPECT_TRUE (bank.getVoice (16).fading);
    EXPECT_TRUE (bank.getVoice (31).fading);
    EXPECT_FALSE (bank.getVoice (32).fading);
}

TEST (TapVoiceBank, OtherChangesGlideWithATwentyMillisecondTimeConstant)
{
    TapVoiceBank bank;
    bank.prepare (sr, block);
    auto taps = makeTaps ({ { 100.0f, 1.0f } });
    bank.startFrom (taps);
    taps.taps[0].timeMs = 110.0f; // 480 samples further
    bank.update (taps, false, false);
    bank.scheduleCrossfades();
    EXPECT_EQ (bank.getNumFading(), 0);

    std::vector<float> in (960, 0.0f), wl (960), wr (960);
    TapVoiceBank::RenderSettings s;
    s.tapCount = 1;
    for (int pos = 0; pos < 960; pos += block)
    {
        const int n = std::min (block, 960 - pos);
        bank.write (in.data(), in.data(), n);
        bank.render (taps, s, wl.data(), wr.data(), n);
    }
    // After 20 ms (960 samples) the remaining distance is e^-1 of 480.
    const double remaining = bank.getVoice (0).targetDelay - bank.getVoice (0).readDelay;
    EXPECT_NEAR (remaining, 480.0 * std::exp (-1.0), 0.5);
}

TEST (TapVoiceBank, DroppedTapsRampDownAndGoQuiet)
{
    TapVoiceBank bank;
    bank.prepare (sr, block);
    auto taps = evenTaps (64, 5.0f, 1.0f);
    bank.startFrom (taps);
    taps.count = 8;
    bank.update (taps, true, false);

    std::vector<float> in (block, 0.0f), wl (block), wr (block);
    TapVoiceBank::RenderSettings s;
    s.tapCount = 8;
    bank.write (in.data(), in.data(), block);
    bank.render (taps, s, wl.data(), wr.data(), block);
    // 256 samples of a 480-sample ramp.
    EXPECT_NEAR (bank.getVoice (8).gain, 1.0f - 256.0f / 480.0f, 1e-4f);
    EXPECT_TRUE (bank.getVoice (8).active);
    EXPECT_EQ (bank.getVoice (7).gain, 1.0f);

    for (int i = 0; i < 2; ++i)
    {
        bank.write (in.data(), in.data(), block);
        bank.render (taps, s, wl.data(), wr.data(), block);
    }
    for (int i = 8; i < 64; ++i)
        EXPECT_FALSE (bank.getVoice (i).active) << i;
    EXPECT_TRUE (bank.getVoice (7).active);
}

TEST (TapVoiceBank, TapeWearDarkensLaterTaps)
{
    // One-pole low-pass y += (x - y) a: the impulse response decays by 1 - a
    // per sample, which gives the cutoff back. Only the measured tap sounds.
    const auto cutoffOf = [] (int tap) {
        auto taps = evenTaps (64, 40.0f, 0.0f);
        taps.taps[static_cast<std::size_t> (tap)].gain = 1.0f;
        Bank b (taps);
        b.settings.wear = true;
        b.settings.wearAmount = 100.0f;
        b.runImpulse (static_cast<int> (samplesOf (40.0f * static_cast<float> (tap + 1))) + 8);
        const std::size_t at = samplesOf (40.0f * static_cast<float> (tap + 1));
        const double ratio = static_cast<double> (b.outLeft[at + 1]) / static_cast<double> (b.outLeft[at]);
        return -std::log (ratio) * sr / (2.0 * 3.14159265358979);
    };
    EXPECT_NEAR (cutoffOf (1), 20000.0 * std::pow (10.0, -4.0 / 20.0), 30.0); // about 12.6 kHz
    EXPECT_NEAR (cutoffOf (10), 200.0, 1.0);
    EXPECT_NEAR (cutoffOf (40), 20.0, 0.1);
}

TEST (TapVoiceBank, PingPongAlternatesTapsBetweenTheSides)
{
    Bank b (makeTaps ({ { 1.0f, 1.0f }, { 2.0f, 1.0f }, { 3.0f, 1.0f } }));
    b.settings.pingPong = true;
    b.settings.pingPongAmount = 100.0f;
    b.runImpulse (512);
    EXPECT_EQ (b.outLeft[48], 1.0f);
    EXPECT_EQ (b.outRight[48], 0.0f);
    EXPECT_EQ (b.outLeft[96], 0.0f);
    EXPECT_EQ (b.outRight[96], 1.0f);
    EXPECT_EQ (b.outLeft[144], 1.0f);
    EXPECT_EQ (b.outRight[144], 0.0f);
}

TEST (TapVoiceBank, WaveOffsetDelaysTheRightChannel)
{
    auto taps = makeTaps ({ { 20.0f, 1.0f } });
    taps.taps[0].waveDiff = -0.5f; // 2.5 ms later on the right
    Bank b (taps);
    b.runImpulse (4096);
    EXPECT_EQ (b.outLeft[samplesOf (20.0f)], 1.0f);
    EXPECT_EQ (b.outRight[samplesOf (22.5f)], 1.0f);
    EXPECT_EQ (b.outRight[samplesOf (20.0f)], 0.0f);

    // Ping-pong turns the offset off.
    Bank pp (taps);
    pp.settings.pingPong = true;
    pp.settings.pingPongAmount = 50.0f;
    pp.runImpulse (4096);
    EXPECT_EQ (pp.outRight[samplesOf (20.0f)], 0.5f);
}

TEST (TapVoiceBank, ReadsNeverLeaveTheRecordedFifteenSeconds)
{
    // A tap beyond the end of the line, and a Wave offset reaching 10 ms
    // further on the right: an impulse must come back no earlier than 15 s,
    // never wrapped round onto new audio a few milliseconds late.
    auto taps = makeTaps ({ { 15002.0f, 1.0f } });
    taps.taps[0].waveDiff = -2.0f;
    Bank b (taps);
    b.runImpulse (static_cast<int> (15.1 * sr));

    for (const auto* out : { &b.outLeft, &b.outRight })
    {
        std::size_t first = out->size();
        for (std::size_t i = 0; i < out->size(); ++i)
        {
            if ((*out)[i] != 0.0f)
            {
                first = i;
                break;
            }
        }
        ASSERT_LT (first, out->size());
        EXPECT_GE (static_cast<double> (first), 15.0 * sr - 2.0);
    }
    EXPECT_GE (b.bank.getMaxReadDelay(), 15.0 * sr);
    EXPECT_LE (b.bank.getMaxReadDelay(), 15.0 * sr + 1.0);
}

TEST (TapVoiceBank, RenderingDoesNotAllocate)
{
    TapVoiceBank bank;
    bank.prepare (sr, block);
    auto taps = evenTaps (64, 11.0f, 0.7f);
    bank.startFrom (taps);
    std::vector<float> in (block, 0.25f), wl (block), wr (block);
    TapVoiceBank::RenderSettings s;
    s.tapCount = 64;
    s.wear = true;
    s.wearAmount = 40.0f;

    testsupport::AllocationCounter counter;
    for (int i = 0; i < 50; ++i)
    {
        taps.taps[static_cast<std::size_t> (i)].timeMs += 1.0f;
        bank.update (taps, i % 2 == 0, false);
        bank.scheduleCrossfades();
        bank.write (in.data(), in.data(), block);
        bank.render (taps, s, wl.data(), wr.data(), block);
    }
    EXPECT_EQ (counter.count(), 0u);
}

namespace
{
// The voice rules written out plainly, one sample and one voice at a time,
// with the interpolation in its polynomial form and an unwrapped history:
// the reference the optimised voice loop must match.
struct ReferenceBank
{
    // A voice of the bank plus its fade position, kept as the plain rule
    // states it: one ramp step added per sample.
    struct Voice : TapVoice
    {
        float fadePos = 0.0f;
    };

    std::vector<float> histL, histR; // every sample ever written
    std::array<Voice, TapSet::maxTaps> voices {};
    int cursor = 0;

    void startFrom (const TapSet& taps)
    {
        for (int i = 0; i < taps.count; ++i)
        {
            auto& v = voices[static_cast<std::size_t> (i)];
            const double d = taps.taps[static_cast<std::size_t> (i)].timeMs * sr / 1000.0;
            v.active = true;
            v.targetDelay = v.readDelay = v.fadeDelay = d;
            v.gainTarget = v.gain = taps.taps[static_cast<std::size_t> (i)].gain;
            v.waveDiffTarget = v.waveDiff = taps.taps[static_cast<std::size_t> (i)].waveDiff;
        }
    }

    void update (const TapSet& taps, bool timing, bool snapping)
    {
        for (int i = 0; i < TapSet::maxTaps; ++i)
        {
            auto& v = voices[static_cast<std::size_t> (i)];
            if (i >= taps.count)
            {
                v.gainTarget = 0.0f;
                continue;
            }
            const auto& t = taps.taps[static_cast<std::size_t> (i)];
            v.gainTarget = t.gain;
            v.waveDiffTarget = t.waveDiff;
            const double d = t.timeMs * sr / 1000.0;
            if (! v.active)
            {
                v = Voice {};
                v.active = true;
                v.targetDelay = v.readDelay = v.fadeDelay = d;
                v.gainTarget = t.gain;
                v.waveDiffTarget = v.waveDiff = t.waveDiff;
            }
            else if (! snapping)
            {
                v.targetDelay = d;
                if (timing)
                    (v.fading ? v.refadeQueued : v.fadeQueued) = true;
            }
        }
        if (snapping)
            return;
        int fading = 0;
        for (const auto& v : voices)
            fading += v.fading ? 1 : 0;
        if (fading > 15)
            return;
        const int first = cursor;
        for (int k = 0; k < TapSet::maxTaps && fading < 16; ++k)
        {
            const int i = (first + k) % TapSet::maxTaps;
            auto& v = voices[static_cast<std::size_t> (i)];
            if (v.active && v.fadeQueued && ! v.fading && v.gainTarget > 0.00001f)
            {
                v.fadeQueued = false;
                v.fadeDelay = v.targetDelay;
                v.fadePos = 0.0f;
                v.fading = true;
                ++fading;
                cursor = (i + 1) % TapSet::maxTaps;
            }
        }
    }

    float at (const std::vector<float>& h, long frame) const
    {
        return frame >= 0 && frame < static_cast<long> (h.size()) ? h[static_cast<std::size_t> (frame)] : 0.0f;
    }

    float read (const std::vector<float>& h, long x, double d) const
    {
        const double y = static_cast<double> (x) - d;
        const double fl = std::floor (y);
        const auto i = static_cast<long> (fl);
        const auto f = static_cast<float> (y - fl);
        const float xm1 = at (h, i - 1), x0 = at (h, i), x1 = at (h, i + 1), x2 = at (h, i + 2);
        const float c1 = (x1 - xm1) / 2.0f;
        const float c2 = xm1 - 2.5f * x0 + 2.0f * x1 - 0.5f * x2;
        const float c3 = (x2 - xm1) / 2.0f + 1.5f * (x0 - x1);
        return x0 + f * c1 + f * f * c2 + f * f * f * c3;
    }

    void process (const TapSet& taps, const TapVoiceBank::RenderSettings& s, const float* inL, const float* inR,
                  float* outL, float* outR, int n)
    {
        const long w0 = static_cast<long> (histL.size());
        histL.insert (histL.end(), inL, inL + n);
        histR.insert (histR.end(), inR, inR + n);
        std::fill (outL, outL + n, 0.0f);
        std::fill (outR, outR + n, 0.0f);
        const float r = 1.0f / (0.01f * static_cast<float> (sr));
        const double k = 1.0 - std::exp (-1.0 / (0.02 * sr));
        const float scale = 5.0f * static_cast<float> (sr) / 1000.0f;

        for (int t = 0; t < TapSet::maxTaps; ++t)
        {
            auto& v = voices[static_cast<std::size_t> (t)];
            if (! v.active && ! (v.gainTarget > 0.00001f))
                continue;
            float a = 0.0f;
            const bool dark = s.wear && s.wearAmount > 0.0f;
            if (dark)
            {
                const int c = std::max (s.tapCount, 1);
                const float q =
                    static_cast<float> (std::min (t, c - 1)) * (c <= 31 ? 32.0f / static_cast<float> (c) : 1.0f);
                const float fc =
                    std::max (20.0f, 20000.0f * std::pow (10.0f, -4.0f * (s.wearAmount / 100.0f) * q / 20.0f));
                a = static_cast<float> (1.0 - std::exp (-2.0 * 3.14159265358979323846 * fc / sr));
            }
            const float p = s.pingPongAmount / 100.0f;
            const float gl = s.pingPong ? (t % 2 == 0 ? 1.0f : 1.0f - p) : 1.0f;
            const float gr = s.pingPong ? (t % 2 == 0 ? 1.0f - p : 1.0f) : 1.0f;
            if (! v.fading && ! v.fadeQueued && std::fabs (v.targetDelay - v.readDelay) < 0.01)
                v.readDelay = v.targetDelay;
            if (std::fabs (v.waveDiffTarget - v.waveDiff) < 0.01f / scale)
                v.waveDiff = v.waveDiffTarget;

            for (int i = 0; i < n; ++i)
            {
                const long x = w0 + i;
                if (t < s.tapCount && i == s.jumpIndex)
                {
                    const double d = taps.taps[static_cast<std::size_t> (t)].timeMs * sr / 1000.0;
                    v.targetDelay = v.readDelay = v.fadeDelay = d;
                    v.fadePos = 0.0f;
                    v.fading = v.refadeQueued = v.fadeQueued = false;
                    v.wearLeft = v.wearRight = 0.0f;
                }
                if (v.gain < v.gainTarget)
                    v.gain = std::min (v.gain + r, v.gainTarget);
                else
                    v.gain = std::max (v.gain - r, v.gainTarget);
                if (v.gain <= 0.00001f && v.gainTarget <= 0.00001f)
                {
                    v.active = false;
                    v.wearLeft = v.wearRight = 0.0f;
                }
                if (v.fading)
                {
                    v.fadePos += r;
                    if (v.fadePos >= 1.0f)
                    {
                        v.fadePos = 1.0f;
                        v.readDelay = v.fadeDelay;
                        v.fading = false;
                        if (v.refadeQueued)
                        {
                            v.refadeQueued = false;
                            v.fadeDelay = v.targetDelay;
                            v.fadePos = 0.0f;
                            v.fading = true;
                        }
                    }
                }
                else if (! v.fadeQueued)
                {
                    v.readDelay += (v.targetDelay - v.readDelay) * k;
                }
                v.waveDiff += (v.waveDiffTarget - v.waveDiff) * static_cast<float> (k);
                const double o = s.pingPong ? 0.0 : static_cast<double> (v.waveDiff * scale);
                const auto dl = [] (double d) { return d - std::min (d, 0.0); };
                const auto dr = [o] (double d) { return d - std::min (d, o); };
                float vl = read (histL, x, dl (v.readDelay));
                float vr = read (histR, x, dr (v.readDelay));
                if (v.fading)
                {
                    vl += (read (histL, x, dl (v.fadeDelay)) - vl) * v.fadePos;
                    vr += (read (histR, x, dr (v.fadeDelay)) - vr) * v.fadePos;
                }
                float ol = vl * v.gain, orr = vr * v.gain;
                if (dark)
                {
                    v.wearLeft += (ol - v.wearLeft) * a;
                    v.wearRight += (orr - v.wearRight) * a;
                    ol = v.wearLeft;
                    orr = v.wearRight;
                }
                outL[i] += ol * gl;
                outR[i] += orr * gr;
            }
        }
    }
};
} // namespace

TEST (TapVoiceBank, OptimisedLoopMatchesThePlainPerSampleRules)
{
    // Glides, crossfades (with refades and the 16-voice cap), gain ramps,
    // dropped taps, a snap jump, Wave offsets, ping-pong and wear, in blocks
    // of varying size: the optimised loop gives the same output as the
    // plain rules, to float rounding.
    TapVoiceBank bank;
    ReferenceBank reference;
    bank.prepare (sr, 512);
    auto taps = evenTaps (40, 9.7f, 0.6f);
    for (int i = 0; i < 40; ++i)
        taps.taps[static_cast<std::size_t> (i)].waveDiff = 0.3f * std::sin (static_cast<float> (i));
    bank.startFrom (taps);
    reference.startFrom (taps);

    std::uint32_t seed = 12345u;
    const auto noiseSample = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<float> (seed >> 8) / 8388608.0f - 1.0f;
    };

    const int sizes[] = { 512, 37, 200, 1, 333, 512, 64 };
    std::vector<float> inL (512), inR (512), al (512), ar (512), bl (512), br (512);
    double worst = 0.0;
    for (int step = 0; step < 120; ++step)
    {
        const int n = sizes[step % 7];
        for (int i = 0; i < n; ++i)
        {
            inL[static_cast<std::size_t> (i)] = noiseSample();
            inR[static_cast<std::size_t> (i)] = noiseSample();
        }

        TapVoiceBank::RenderSettings s;
        bool timing = false, snapping = false;
        switch (step % 10)
        {
            case 1: // timing change: crossfades
                for (int i = 0; i < taps.count; ++i)
                    taps.taps[static_cast<std::size_t> (i)].timeMs += 0.37f;
                timing = true;
                break;
            case 4: // twist-like change: glides
                for (int i = 0; i < taps.count; ++i)
                    taps.taps[static_cast<std::size_t> (i)].timeMs *= 1.01f;
                break;
            case 6: // fewer taps, then more again
                taps.count = taps.count == 40 ? 25 : 40;
                break;
            case 8: // new offsets
                for (int i = 0; i < taps.count; ++i)
                    taps.taps[static_cast<std::size_t> (i)].waveDiff *= -0.9f;
                break;
            default:
                break;
        }
        if (step == 55)
        {
            snapping = true;
            for (int i = 0; i < taps.count; ++i)
                taps.taps[static_cast<std::size_t> (i)].timeMs =
                    200.0f - taps.taps[static_cast<std::size_t> (i)].timeMs * 0.5f;
            s.jumpIndex = n / 2;
        }
        s.tapCount = taps.count;
        s.wear = step >= 30;
        s.wearAmount = 70.0f;
        s.pingPong = step >= 70 && step < 100;
        s.pingPongAmount = 80.0f;

        bank.update (taps, timing, snapping);
        if (! snapping)
            bank.scheduleCrossfades();
        bank.write (inL.data(), inR.data(), n);
        bank.render (taps, s, al.data(), ar.data(), n);
        reference.update (taps, timing, snapping);
        reference.process (taps, s, inL.data(), inR.data(), bl.data(), br.data(), n);

        for (int i = 0; i < n; ++i)
        {
            worst = std::max (worst, static_cast<double> (std::fabs (al[static_cast<std::size_t> (i)]
                                                                     - bl[static_cast<std::size_t> (i)])));
            worst = std::max (worst, static_cast<double> (std::fabs (ar[static_cast<std::size_t> (i)]
                                                                     - br[static_cast<std::size_t> (i)])));
        }
    }
    EXPECT_LT (worst, 1e-5);
}

//==============================================================================
// The loops that run several voices in vector lanes against the plain loops,
// bit for bit: the same blocks through two banks, one with the lanes off.
namespace
{
struct LaneCase
{
    const char* what;
    int taps = 48;
    bool wear = false;
    bool pingPong = false;
    bool waveOffsets = false;   // offsets that keep moving
    bool gainChanges = false;   // levels ramp while the delays glide
    bool timingChanges = false; // crossfades among the glides
    bool snap = false;
    bool longDelays = false; // reads near the end of the line and across its wrap
    std::vector<int> blocks { 512 };
    float spacingMs = 0.0f;      // when not 0, the taps' spacing (the first tap sits at it)
    float stretchDepth = 0.004f; // how far the delays move from one block to the next
};

void PrintTo (const LaneCase& c, std::ostream* os)
{
    *os << c.what;
}

class LaneLoops : public ::testing::TestWithParam<LaneCase>
{};

bool sameBits (const std::vector<float>& a, const std::vector<float>& b)
{
    return a.size() == b.size() && std::memcmp (a.data(), b.data(), a.size() * sizeof (float)) == 0;
}

bool sameVoice (const TapVoice& a, const TapVoice& b)
{
    return std::memcmp (&a.readDelay, &b.readDelay, sizeof a.readDelay) == 0
           && std::memcmp (&a.gain, &b.gain, sizeof a.gain) == 0
           && std::memcmp (&a.waveDiff, &b.waveDiff, sizeof a.waveDiff) == 0
           && std::memcmp (&a.wearLeft, &b.wearLeft, sizeof a.wearLeft) == 0
           && std::memcmp (&a.wearRight, &b.wearRight, sizeof a.wearRight) == 0 && a.active == b.active
           && a.fading == b.fading && a.fadeQueued == b.fadeQueued;
}
} // namespace

TEST_P (LaneLoops, GiveTheSameBitsAsThePlainLoops)
{
    if (! voicekernels::hasLaneKernels())
        GTEST_SKIP() << "this machine runs the plain loops only";

    const auto& c = GetParam();
    TapVoiceBank lanes, plain;
    lanes.prepare (sr, 512);
    plain.prepare (sr, 512);
    plain.setVectorKernels (false);

    auto taps = evenTaps (c.taps, c.spacingMs != 0.0f ? c.spacingMs : (c.longDelays ? 290.0f : 21.7f), 0.6f);
    for (int i = 0; i < c.taps; ++i)
        taps.taps[static_cast<std::size_t> (i)].waveDiff =
            c.waveOffsets ? 0.4f * std::sin (0.7f * static_cast<float> (i)) : 0.0f;
    lanes.startFrom (taps);
    plain.startFrom (taps);

    std::uint32_t seed = 99u;
    const auto noiseSample = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<float> (seed >> 8) / 8388608.0f - 1.0f;
    };

    // Long enough for the delays to wrap the ring in the long case.
    const int steps = c.longDelays ? 1500 : 160;
    std::vector<float> inL (512), inR (512), laneL, laneR, plainL, plainR;
    std::vector<float> al (512), ar (512), bl (512), br (512);
    for (int step = 0; step < steps; ++step)
    {
        const int n = c.blocks[static_cast<std::size_t> (step) % c.blocks.size()];
        for (int i = 0; i < n; ++i)
        {
            inL[static_cast<std::size_t> (i)] = noiseSample();
            inR[static_cast<std::size_t> (i)] = noiseSample();
        }

        // Every block the delays move (as Twist moves them): every voice glides.
        const float stretch = 1.0f + c.stretchDepth * std::sin (0.05f * static_cast<float> (step));
        for (int i = 0; i < c.taps; ++i)
        {
            auto& t = taps.taps[static_cast<std::size_t> (i)];
            t.timeMs = std::min (t.timeMs * stretch, 14990.0f);
            if (c.gainChanges && step % 9 == 0)
                t.gain = 0.2f + 0.7f * std::abs (std::sin (static_cast<float> (step + i)));
            if (c.waveOffsets && step % 5 == 0)
                t.waveDiff = -t.waveDiff * 0.8f;
        }
        const bool timing = c.timingChanges && step % 13 == 0;
        const bool snapping = c.snap && step == 40;

        TapVoiceBank::RenderSettings s;
        s.tapCount = taps.count;
        s.wear = c.wear;
        s.wearAmount = 55.0f;
        s.pingPong = c.pingPong;
        s.pingPongAmount = 70.0f;
        s.jumpIndex = snapping ? n / 3 : -1;

        for (auto* bank : { &lanes, &plain })
        {
            bank->update (taps, timing, snapping);
            if (! snapping)
                bank->scheduleCrossfades();
            bank->write (inL.data(), inR.data(), n);
        }
        lanes.render (taps, s, al.data(), ar.data(), n);
        plain.render (taps, s, bl.data(), br.data(), n);
        laneL.insert (laneL.end(), al.begin(), al.begin() + n);
        laneR.insert (laneR.end(), ar.begin(), ar.begin() + n);
        plainL.insert (plainL.end(), bl.begin(), bl.begin() + n);
        plainR.insert (plainR.end(), br.begin(), br.begin() + n);
    }

    EXPECT_TRUE (sameBits (laneL, plainL));
    EXPECT_TRUE (sameBits (laneR, plainR));
    for (int i = 0; i < TapVoiceBank::numVoices; ++i)
        EXPECT_TRUE (sameVoice (lanes.getVoice (i), plain.getVoice (i))) << "voice " << i;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Cases, LaneLoops, ::testing::Values (
    LaneCase { "gliding voices" },
    LaneCase { "gliding darkened voices", 48, true },
    LaneCase { "gliding with ping-pong", 48, false, true },
    LaneCase { "gliding with moving Wave offsets", 48, false, false, true },
    LaneCase { "gliding while the levels ramp", 48, false, false, false, true },
    LaneCase { "glides among crossfades", 48, true, false, true, true, true },
    LaneCase { "a snap jump among glides", 48, false, false, false, false, false, true },
    LaneCase { "a short group of five", 5, true, false, true, true },
    LaneCase { "delays near the end of the line", 48, false, false, true, false, false, false, true },
    LaneCase { "blocks of odd sizes", 37, true, true, false, true, true, false, false, { 1, 7, 512, 33, 200, 3 } },
    LaneCase { "reads less than a sample behind", 16, false, false, false, false, false, false, false, { 512 }, 0.013f },
    LaneCase { "reads less than a sample behind, Wave offsets moving", 16, true, false, true, true, false, false, false,
               { 64, 5 }, 0.013f },
    LaneCase { "the nearest reads gliding in and out of the last sample", 16, false, false, false, false, false, false,
               false, { 512 }, 0.0415f, 0.5f }),
    testsupport::NameFromWhat());
// clang-format on
