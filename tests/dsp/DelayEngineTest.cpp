#include "dsp/DelayEngine.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

namespace
{
constexpr double sr = 48000.0;

// A record with 64 taps spread over three seconds, effects off.
ParamBlock spreadTaps()
{
    ParamBlock p;
    p.tapCount = 64;
    p.startMs = 45.0f;
    p.endMs = 45.0f;
    p.lengthMs = 3000.0f;
    p.hpHz = 20.0f;
    p.lpHz = 22000.0f;
    return p;
}

struct Stereo
{
    std::vector<float> left, right;
};

// Notes and noise in the given stretches (seconds), silence elsewhere.
Stereo phrase (double seconds, std::vector<std::pair<double, double>> sounding)
{
    const auto total = static_cast<std::size_t> (seconds * sr);
    Stereo s { std::vector<float> (total, 0.0f), std::vector<float> (total, 0.0f) };
    std::uint32_t state = 0x2545F491u;
    for (std::size_t i = 0; i < total; ++i)
    {
        const double t = static_cast<double> (i) / sr;
        bool on = false;
        for (const auto& [from, to] : sounding)
            on = on || (t >= from && t < to);
        if (! on)
            continue;
        state = state * 1664525u + 1013904223u;
        const float noise = static_cast<float> (state >> 8) / 8388608.0f - 1.0f;
        const double env = std::exp (-std::fmod (t, 0.25) * 12.0);
        s.left[i] = static_cast<float> (env * 0.4 * std::sin (6.283185307179586 * 330.0 * t)) + 0.02f * noise;
        s.right[i] = static_cast<float> (env * 0.3 * std::sin (6.283185307179586 * 440.0 * t)) - 0.02f * noise;
    }
    return s;
}

bool sameBits (const std::vector<float>& a, const std::vector<float>& b)
{
    return a.size() == b.size() && std::memcmp (a.data(), b.data(), a.size() * sizeof (float)) == 0;
}

struct SilenceCase
{
    const char* what;
    std::function<void (ParamBlock&)> setup;
    // Changes made by the block index, during the long silence too.
    std::function<void (ParamBlock&, int)> change;
    bool mono = false;
    std::vector<int> blocks { 512 };
    bool restsOnSilence = true; // the voices come to rest in the long silence
};

void PrintTo (const SilenceCase& c, std::ostream* os)
{
    *os << c.what;
}

struct Rendered
{
    Stereo out;
    bool rested = false; // seen resting at the end of the long silence
};

// A second of sound, sixteen of silence (longer than the line), half a
// second of sound and two of silence, through an engine that skips silence
// or one that does not.
Rendered render (const SilenceCase& c, bool skipsSilence)
{
    constexpr double seconds = 19.5;
    Rendered run;
    run.out = phrase (seconds, { { 0.0, 1.0 }, { 17.0, 17.5 } });
    dsp::DelayEngine engine;
    engine.setSkipsSilence (skipsSilence);
    ParamBlock p = spreadTaps();
    if (c.setup)
        c.setup (p);
    engine.prepare (sr, 1024);
    dsp::HostTransport transport;
    transport.tempoValid = true;
    transport.playing = true;

    const auto total = static_cast<int> (run.out.left.size());
    const auto wakeUp = static_cast<int> (17.0 * sr);
    int pos = 0;
    for (int b = 0; pos < total; ++b)
    {
        const int n = std::min (c.blocks[static_cast<std::size_t> (b) % c.blocks.size()], total - pos);
        if (c.change)
            c.change (p, b);
        transport.ppqPosition = pos / sr * 2.0;
        if (pos < wakeUp && pos + n >= wakeUp)
            run.rested = engine.getVoiceBank().isRestingOnSilence();
        engine.process (p, transport, 0, run.out.left.data() + pos, c.mono ? nullptr : run.out.right.data() + pos, n);
        pos += n;
    }
    return run;
}

class SilenceSkipping : public ::testing::TestWithParam<SilenceCase>
{};
} // namespace

TEST_P (SilenceSkipping, ChangesNoOutputBit)
{
    const auto& c = GetParam();
    const Rendered skipping = render (c, true);
    const Rendered plain = render (c, false);

    EXPECT_TRUE (sameBits (skipping.out.left, plain.out.left));
    EXPECT_TRUE (sameBits (skipping.out.right, plain.out.right));
    EXPECT_EQ (skipping.rested, c.restsOnSilence);
    EXPECT_FALSE (plain.rested);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Cases, SilenceSkipping, ::testing::Values (
    SilenceCase { "effects off", nullptr, nullptr, false, { 512 }, true },
    SilenceCase { "mono input", nullptr, nullptr, true, { 512 }, true },
    SilenceCase { "blocks of odd sizes", nullptr, nullptr, false, { 3, 500, 77, 1024, 1, 260 }, true },
    SilenceCase { "a tap at no delay", [] (ParamBlock& p) { p.startMs = p.endMs = 1.0f; p.tapCount = 16; },
                  nullptr, false, { 512 }, true },
    SilenceCase { "ping-pong and Wave offsets",
                  [] (ParamBlock& p) { p.waveOn = true; p.waveOffsetDeg = 90.0f; p.pingPongAmount = 60.0f; },
                  nullptr, false, { 512 }, true },
    SilenceCase { "Wave offsets without ping-pong",
                  [] (ParamBlock& p) { p.waveOn = true; p.waveOffsetDeg = 120.0f; }, nullptr, false, { 512 }, true },
    SilenceCase { "tremolo", [] (ParamBlock& p) { p.tremOn = true; p.tremShape = 6; }, nullptr, false, { 512 }, true },
    SilenceCase { "pitch stage with regeneration",
                  [] (ParamBlock& p) { p.pitchOn = true; p.pitchRegen = 60.0f; p.pitchDepth = 40.0f; p.pitchRateHz = 2.0f; },
                  nullptr, false, { 512 }, true },
    SilenceCase { "tape stage and wear (never silent)",
                  [] (ParamBlock& p) { p.tapeOn = true; p.tapeWear = 60.0f; }, nullptr, false, { 512 }, false },
    SilenceCase { "Twist moves during the silence", nullptr,
                  [] (ParamBlock& p, int b) { if (b > 100 && b < 1400) p.twist = static_cast<float> ((b * 3) % 200 - 100); },
                  false, { 512 }, true },
    SilenceCase { "taps drop out and come back during the silence", nullptr,
                  [] (ParamBlock& p, int b) { p.tapCount = b > 300 && b < 900 ? 12 : 64; }, false, { 512 }, true },
    // Levels still ramping when the sound comes back (at block 1593.75).
    SilenceCase { "taps come back just before the sound", nullptr,
                  [] (ParamBlock& p, int b) { p.tapCount = b > 300 && b < 1593 ? 12 : 64; }, false, { 512 }, true },
    SilenceCase { "taps drop out just before the sound", nullptr,
                  [] (ParamBlock& p, int b) { p.tapCount = b < 1593 ? 64 : 20; }, false, { 512 }, true },
    SilenceCase { "a snap during the silence", nullptr,
                  [] (ParamBlock& p, int b) { p.reverse = b > 700; }, false, { 512 }, true },
    SilenceCase { "crossfades during the silence", nullptr,
                  [] (ParamBlock& p, int b) { if (b > 200 && b < 600) p.startMs = 45.0f + static_cast<float> (b % 7); },
                  false, { 512 }, true }),
    testsupport::NameFromWhat());
// clang-format on

TEST (DelayEngine, AfterALongSilenceAnImpulseComesBackAsFromAFreshEngine)
{
    // An engine that played and then rested on sixteen seconds of silence
    // answers an impulse exactly as one that never played.
    const ParamBlock p = spreadTaps();
    dsp::HostTransport transport;
    const auto run = [&] (dsp::DelayEngine& engine, std::vector<float>& l, std::vector<float>& r) {
        for (std::size_t pos = 0; pos < l.size(); pos += 512)
            engine.process (p, transport, 0, l.data() + pos, r.data() + pos, 512);
    };

    dsp::DelayEngine played;
    played.prepare (sr, 512);
    auto before = phrase (17.0, { { 0.0, 1.0 } });
    before.left.resize (before.left.size() / 512 * 512);
    before.right.resize (before.left.size());
    run (played, before.left, before.right);
    ASSERT_TRUE (played.getVoiceBank().isRestingOnSilence());

    dsp::DelayEngine fresh;
    fresh.prepare (sr, 512);
    std::vector<float> warm (static_cast<std::size_t> (sr / 512) * 512, 0.0f), warmR = warm;
    run (fresh, warm, warmR);

    const auto impulse = [] {
        Stereo s { std::vector<float> (4 * 48000, 0.0f), std::vector<float> (4 * 48000, 0.0f) };
        s.left[100] = 1.0f;
        s.right[333] = -0.5f;
        return s;
    };
    auto a = impulse();
    auto b = impulse();
    run (played, a.left, a.right);
    run (fresh, b.left, b.right);
    EXPECT_TRUE (sameBits (a.left, b.left));
    EXPECT_TRUE (sameBits (a.right, b.right));

    int echoes = 0;
    for (std::size_t i = 101; i < a.left.size(); ++i)
        echoes += a.left[i] != 0.0f ? 1 : 0;
    EXPECT_GT (echoes, 60);
}

TEST (DelayEngine, AClearAskedForBeforeTheFirstBlockLeavesTheEngineAsFresh)
{
    // A host may hand over a whole state between prepare and the first block;
    // the memory is already clear then, so nothing fades and the tremolo and
    // pitch LFOs keep their start: the output is that of an engine never
    // asked to clear. Asked for after a block has run, the clear does fade
    // and restart them, so the outputs part.
    ParamBlock p = spreadTaps();
    p.mix = 60.0f;
    p.tremOn = true;
    p.tremDepth = 80.0f;
    p.pitchOn = true;
    p.pitchRegen = 30.0f;
    p.tapeOn = true;
    p.flutter = 40.0f;
    dsp::HostTransport transport;

    const auto render = [&] (int clearBeforeBlock) {
        dsp::DelayEngine engine;
        engine.prepare (sr, 512);
        auto s = phrase (2.0, { { 0.3, 0.6 } });
        s.left.resize (s.left.size() / 512 * 512);
        s.right.resize (s.left.size());
        for (std::size_t pos = 0, block = 0; pos < s.left.size(); ++block)
        {
            if (static_cast<int> (block) == clearBeforeBlock)
                engine.requestReset();
            const int n = static_cast<int> (std::min<std::size_t> (512, s.left.size() - pos));
            pos += static_cast<std::size_t> (
                engine.process (p, transport, 0, s.left.data() + pos, s.right.data() + pos, n));
        }
        return s;
    };

    const auto never = render (-1);
    const auto first = render (0);
    EXPECT_TRUE (sameBits (first.left, never.left));
    EXPECT_TRUE (sameBits (first.right, never.right));

    const auto later = render (3);
    EXPECT_FALSE (sameBits (later.left, never.left));
}
