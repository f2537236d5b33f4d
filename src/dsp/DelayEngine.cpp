#include "dsp/DelayEngine.h"

#include "dsp/DspConstants.h"
#include "dsp/FlushDenormals.h"
#include "dsp/MixKernels.h"
#include "dsp/NoteGrid.h"
#include "dsp/ParamMapping.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace dsp
{
namespace
{
// A section whose states are both +0 and whose feed-forward coefficients
// are not negative turns an input of +0 into +0 and keeps its states at +0.
bool settledAtZero (const BiquadFilter& f) noexcept
{
    std::uint32_t z1 = 0, z2 = 0;
    std::memcpy (&z1, &f.z1, sizeof z1);
    std::memcpy (&z2, &f.z2, sizeof z2);
    return (z1 | z2) == 0 && ! std::signbit (f.b0) && ! std::signbit (f.b2);
}

bool settledAtZero (const Filter& f) noexcept
{
    return settledAtZero (f.highPass) && settledAtZero (f.lowPass);
}

// Replaces every sample that is not a finite number by 0, testing the
// exponent bits so that the loop stays branch-free.
void zeroNonFinite (float* x, int n) noexcept
{
    for (int i = 0; i < n; ++i)
    {
        std::uint32_t bits = 0;
        std::memcpy (&bits, x + i, sizeof bits);
        const bool finite = (bits & 0x7f800000u) != 0x7f800000u;
        x[i] = finite ? x[i] : 0.0f;
    }
}
} // namespace

void DelayEngine::prepare (double newSampleRate, int maxBlockSize)
{
    sampleRate = newSampleRate;
    const auto sr = static_cast<float> (sampleRate);
    const auto block = static_cast<std::size_t> (std::max (1, maxBlockSize));

    // Every buffer the audio thread touches reaches its final size here.
    voiceBank.prepare (sampleRate, static_cast<int> (block));
    for (auto* b : { &sendLeft, &sendRight, &wetLeft, &wetRight })
        b->assign (block, 0.0f);

    echoFilterLeft.prepare (sr);
    echoFilterRight.prepare (sr);

    tapEngine.compute (current, nullptr, nullptr, tapSet);
    voiceBank.startFrom (tapSet);
    voicesBehind = false;
    tapsPublished = false;
    filterCutoffsSet = false;

    snapPhase = SnapPhase::Idle;
    snapLevel = 1.0f;
    snapping = false;

    tremolo.prepare (sr);
    tremolo.reset();
    pitchStage.prepare (sr);
    pitchStage.reset();
    tapeStage.prepare (sr);
    tapeStage.reset();

    // A reset asked for before this point has just happened.
    resetRequested.store (false, std::memory_order_release);
    clearPending = false;
    recordLevel = 1.0f;
    levelsSet = false;
}

void DelayEngine::clearSignalMemory() noexcept
{
    voiceBank.reset();
    voicesBehind = true;
    echoFilterLeft.reset();
    echoFilterRight.reset();
    tremolo.reset();
    pitchStage.reset();
    tapeStage.reset();
}

//==============================================================================
int DelayEngine::process (const ParamBlock& block, const HostTransport& transport, int patchGeneration, float* left,
                          float* right, int n) noexcept
{
    const FlushDenormals noDenormals;
    // A whole-state change: the old echoes fade out with the snap first, and
    // the memory is cleared where they have reached silence (below), so they
    // never stop with a click.
    // Before the first block since prepare (levels not yet set) the memory is
    // as clear as a clear would leave it: nothing to fade out, and the LFOs
    // keep their start.
    if (resetRequested.exchange (false, std::memory_order_acq_rel) && levelsSet)
    {
        clearPending = true;
        snapPhase = SnapPhase::FadeOut;
        snapping = true;
    }

    beginBlock (block, patchGeneration);

    // The first block after prepare starts with every level where the
    // parameters put it; later changes move them gradually.
    if (! levelsSet)
    {
        appliedMaster = current.masterDb <= -60.0f ? 0.0f : std::pow (10.0f, current.masterDb / 20.0f);
        appliedWetShare = current.mixBypass ? 0.0f : current.mix / 100.0f;
        tapeLevel = current.tapeOn ? 1.0f : 0.0f;
        pitchLevel = current.pitchOn ? 1.0f : 0.0f;
        tremLevel = current.tremOn ? 1.0f : 0.0f;
        levelsSet = true;
    }

    // Voices follow a new tap set; changed delays crossfade after timing
    // changes and glide otherwise. With the same tap set as last block an
    // update would change nothing.
    if (voicesBehind)
    {
        voiceBank.update (tapSet, lastDirty.timing, snapping);
        voicesBehind = false;
    }
    if (! snapping)
        voiceBank.scheduleCrossfades();
    const int jumpIndex = findSnapJump (n);

    // The block ends on the silent sample; the memory is cleared after it.
    const bool clearsAfter = clearPending && jumpIndex >= 0;
    if (clearsAfter)
        n = jumpIndex + 1;

    // A sample that is not a finite number counts as silence, on the dry path
    // as well as into the line.
    const bool stereoIn = right != nullptr;
    for (float* x : { left, right })
        if (x != nullptr)
            zeroNonFinite (x, n);

    const float* sendL = left;
    const float* sendR = stereoIn ? right : left;
    const bool sendBuffered = runTapeSend (sendL, sendR, n);
    if (sendBuffered || recordLevel < 1.0f)
    {
        if (! sendBuffered)
        {
            std::copy (sendL, sendL + n, sendLeft.begin());
            std::copy (sendR, sendR + n, sendRight.begin());
        }
        sendL = sendLeft.data();
        sendR = sendRight.data();
    }
    // After a clear the line records the input fading in at the snap's rate,
    // so every new echo starts with that fade instead of a step.
    const auto snapStep = static_cast<float> (1.0 / (snapFadeSeconds * sampleRate));
    for (std::size_t i = 0; i < static_cast<std::size_t> (n) && recordLevel < 1.0f; ++i)
    {
        recordLevel = std::min (1.0f, recordLevel + snapStep);
        sendLeft[i] *= recordLevel;
        sendRight[i] *= recordLevel;
    }
    voiceBank.write (sendL, sendR, n);

    // Every sounding tap into the wet sum, then the echo filters.
    TapVoiceBank::RenderSettings settings;
    settings.tapCount = tapSet.count;
    settings.wear = current.tapeOn;
    settings.wearAmount = current.tapeWear;
    settings.pingPong = current.pingPongAmount > 0.0f && stereoIn;
    settings.pingPongAmount = current.pingPongAmount;
    settings.jumpIndex = jumpIndex;
    bool wetSilent = ! voiceBank.render (tapSet, settings, wetLeft.data(), wetRight.data(), n) && skipsSilence;
    wetSilent = runEchoFilters (wetSilent, n);
    // Voices asleep at the jump keep their old places until an update moves
    // them to the new taps.
    if (jumpIndex >= 0)
        voicesBehind = true;

    runPitch (transport, n);
    runTremolo (transport, n);
    // Zeros stay zeros through the width stage.
    const bool pitchOrTremoloRan = current.pitchOn || pitchLevel != 0.0f || current.tremOn || tremLevel != 0.0f;
    if (! wetSilent || pitchOrTremoloRan)
        applyWidth (n);

    holdPeak (mixIntoOutput (left, right, n));
    publishTaps();

    if (clearsAfter)
    {
        clearSignalMemory();
        clearPending = false;
        recordLevel = 0.0f;
    }
    return n;
}

bool DelayEngine::runEchoFilters (bool wetSilent, int n) noexcept
{
    // On silence the filters run only until their states have settled at
    // zero: from there every output is zero and the states stay so.
    int i = 0;
    if (wetSilent)
    {
        for (; i < n && ! (settledAtZero (echoFilterLeft) && settledAtZero (echoFilterRight)); ++i)
        {
            const auto k = static_cast<std::size_t> (i);
            wetLeft[k] = echoFilterLeft.process (wetLeft[k]);
            wetRight[k] = echoFilterRight.process (wetRight[k]);
        }
        return i == 0;
    }

    Filter::processPair (echoFilterLeft, echoFilterRight, wetLeft.data(), wetRight.data(), n);
    return false;
}

void DelayEngine::beginBlock (const ParamBlock& block, int patchGeneration) noexcept
{
    // The comparison sees the record as the parameters give it; the taps are
    // laid out with Tap Flip applied (start and end swapped, Twist negated).
    current = block;
    if (current.flipped)
    {
        std::swap (current.startMs, current.endMs);
        current.twist = -current.twist;
    }

    // The same cutoffs give the same coefficients: they are worked out only
    // when they change.
    if (! filterCutoffsSet || current.hpHz != hpInUse || current.lpHz != lpInUse)
    {
        echoFilterLeft.setHP (current.hpHz);
        echoFilterLeft.setLP (current.lpHz);
        echoFilterRight.setHP (current.hpHz);
        echoFilterRight.setLP (current.lpHz);
        hpInUse = current.hpHz;
        lpInUse = current.lpHz;
        filterCutoffsSet = true;
    }

    DirtyFlags dirty;
    if (hasPrevious)
    {
        dirty = classifyDirty (previous, block);
    }
    else
    {
        dirty.timing = dirty.twist = dirty.gain = true;
    }
    previous = block;
    hasPrevious = true;

    const bool generationChanged = patchGeneration != lastSeenGeneration;
    if (dirty.snap || generationChanged)
    {
        snapPhase = SnapPhase::FadeOut;
        snapping = true;
    }
    lastSeenGeneration = patchGeneration;
    lastDirty = dirty;

    if (dirty.any() || generationChanged)
    {
        tapEngine.compute (current, nullptr, nullptr, tapSet);
        voicesBehind = true;
        tapsPublished = false;
    }
}

int DelayEngine::findSnapJump (int n) noexcept
{
    // Where in this block the snap fade-out reaches silence: the taps jump there.
    if (! snapping || snapPhase != SnapPhase::FadeOut)
        return -1;

    const auto step = static_cast<float> (1.0 / (snapFadeSeconds * sampleRate));
    float level = snapLevel;
    for (int i = 0; i < n; ++i)
    {
        level -= step;
        if (level <= 0.0f)
        {
            snapping = false;
            return i;
        }
    }
    return -1;
}

bool DelayEngine::runTapeSend (const float* left, const float* right, int n) noexcept
{
    if (! current.tapeOn && tapeLevel == 0.0f)
    {
        tapeStage.setWet (0.0f);
        return false;
    }
    std::copy (left, left + n, sendLeft.begin());
    std::copy (right, right + n, sendRight.begin());

    tapeStage.setOdMode (current.tapeOd);
    tapeStage.setSoar (current.tapeIn);
    tapeStage.setSoften (current.tapeLpf);
    tapeStage.setHeadBump (current.headBump);
    tapeStage.setFlutter (current.flutter);
    tapeStage.setFlutterSpeed (current.flutterSpeed);
    tapeStage.setOutputGain (current.tapeOut);
    tapeStage.setWet (current.tapeMix);
    tapeStage.processStereo (sendLeft.data(), sendRight.data(), n);
    // Switched on or off, the stage crossfades with the dry send.
    crossfadeWithDry (current.tapeOn, tapeLevel, left, right, sendLeft.data(), sendRight.data(), n);
    return true;
}

void DelayEngine::runPitch (const HostTransport& transport, int n) noexcept
{
    if (! current.pitchOn && pitchLevel == 0.0f)
        return;

    const float k = current.pitch2x ? 2.0f : 1.0f;
    auto& ps = pitchStage;
    ps.cents = current.pitchOffset * k;
    ps.mix = std::clamp (current.pitchMix / 100.0f, 0.0f, 1.0f);
    ps.lfoRate = current.pitchRateHz * k;
    ps.lfoDepth = std::clamp (current.pitchDepth / 100.0f, 0.0f, 1.0f);
    ps.depthScale = k;
    ps.lfoShape = std::clamp (current.pitchShape, 0, 6);
    ps.lfoSeed = current.pitchSeed;
    ps.wide = current.pitchWide;
    ps.twistLink = current.pitchTwistLink;
    ps.twistAmount = current.twist;
    ps.twistCents = current.pitchTwistCents;
    ps.bendOn = current.lengthBendCents != 0.0f;
    ps.bendCents = std::abs (current.lengthBendCents);
    ps.bendUp = current.lengthBendCents > 0.0f;
    ps.regen = std::clamp (current.pitchRegen, 0.0f, 100.0f);
    ps.regenScale = 0.9f;
    if (current.pitchSync && transport.tempoValid)
    {
        ps.sync = true;
        ps.noteIndex = mapping::syncedRateIndex (current.pitchRateRaw);
        ps.ppq = transport.ppqPosition;
        ps.bpm = transport.bpm;
    }
    else
    {
        ps.sync = false;
        ps.noteIndex = 5;
        ps.ppq = 0.0;
        ps.bpm = 120.0;
    }
    // Switched on or off, the stage crossfades with its input (the send
    // buffers are free once the line has been written).
    std::copy (wetLeft.begin(), wetLeft.begin() + n, sendLeft.begin());
    std::copy (wetRight.begin(), wetRight.begin() + n, sendRight.begin());
    ps.processStereo (wetLeft.data(), wetRight.data(), n, current.endMs);
    crossfadeWithDry (current.pitchOn, pitchLevel, sendLeft.data(), sendRight.data(), wetLeft.data(), wetRight.data(),
                      n);
}

void DelayEngine::runTremolo (const HostTransport& transport, int n) noexcept
{
    if (! current.tremOn && tremLevel == 0.0f)
    {
        tremolo.setDepth (0.0f);
        return;
    }

    tremolo.setRate (current.tremRateHz);
    tremolo.setDepth (current.tremDepth);
    tremolo.setShape (current.tremShape);
    tremolo.seed = current.tremSeed;
    tremolo.setPhaseOffset (current.tremPhaseDeg);
    tremolo.setLROffset (current.tremOffsetDeg);
    const auto sr = static_cast<float> (sampleRate);
    if (current.tremSync && transport.tempoValid && transport.playing)
    {
        const int index = mapping::syncedRateIndex (current.tremRateRaw);
        tremolo.setSync (true, transport.ppqPosition, transport.bpm, index,
                         current.tremPhaseDeg / 360.0f * NoteGrid::beatMultipliers[static_cast<std::size_t> (index)],
                         sr);
    }
    else
    {
        tremolo.setSync (false, 0.0, 120.0, 5, 0.0f, sr);
    }
    // Switched on or off, the tremolo crossfades with its input.
    std::copy (wetLeft.begin(), wetLeft.begin() + n, sendLeft.begin());
    std::copy (wetRight.begin(), wetRight.begin() + n, sendRight.begin());
    tremolo.processStereo (wetLeft.data(), wetRight.data(), n);
    crossfadeWithDry (current.tremOn, tremLevel, sendLeft.data(), sendRight.data(), wetLeft.data(), wetRight.data(), n);
}

void DelayEngine::applyWidth (int n) noexcept
{
    // 7.5 keeps the image, 0 folds the echoes to mono, 15 doubles the side.
    const float midGain = current.noMid ? 0.0f : 0.5f;
    const float sideGain = 0.5f * current.widen / 7.5f;
    for (std::size_t i = 0; i < static_cast<std::size_t> (n); ++i)
    {
        const float l = wetLeft[i];
        const float r = wetRight[i];
        const float mid = (l + r) * midGain;
        const float side = (l - r) * sideGain;
        wetLeft[i] = mid + side;
        wetRight[i] = mid - side;
    }
}

float DelayEngine::mixIntoOutput (float* left, float* right, int n) noexcept
{
    // Snap envelope on the wet signal, dry/wet mix and master gain. The wet
    // share and the master gain move to their new values like the tap gains,
    // by at most a full swing per rampSeconds, so moving them never steps
    // the output.
    const auto snapStep = static_cast<float> (1.0 / (snapFadeSeconds * sampleRate));
    const float masterTarget = current.masterDb <= -60.0f ? 0.0f : std::pow (10.0f, current.masterDb / 20.0f);
    const float wetTarget = current.mixBypass ? 0.0f : current.mix / 100.0f;
    if (snapPhase == SnapPhase::Idle && appliedWetShare == wetTarget && appliedMaster == masterTarget)
    {
        // Nothing moves: the same sums without the steps between samples,
        // in loops that run on vectors.
        const float dryShare = 1.0f - wetTarget;
        auto peakBits =
            mixkernels::mixSteady (wetLeft.data(), snapLevel, wetTarget, dryShare, masterTarget, left, n, 0u);
        if (right != nullptr)
            peakBits = mixkernels::mixSteady (wetRight.data(), snapLevel, wetTarget, dryShare, masterTarget, right, n,
                                              peakBits);
        float peak = 0.0f;
        std::memcpy (&peak, &peakBits, sizeof peak);
        return peak;
    }

    const auto gainStep = static_cast<float> (1.0 / (rampSeconds * sampleRate));
    const auto towards = [gainStep] (float value, float target) {
        return value < target ? std::min (value + gainStep, target) : std::max (value - gainStep, target);
    };
    float peak = 0.0f;
    for (int i = 0; i < n; ++i)
    {
        const auto k = static_cast<std::size_t> (i);
        appliedWetShare = towards (appliedWetShare, wetTarget);
        appliedMaster = towards (appliedMaster, masterTarget);
        const float wetShare = appliedWetShare;
        const float master = appliedMaster;
        advanceSnapEnvelope (snapLevel, snapPhase, snapStep);
        const float l = (wetLeft[k] * snapLevel * wetShare + left[i] * (1.0f - wetShare)) * master;
        left[i] = l;
        peak = std::max (peak, std::abs (l));
        if (right != nullptr)
        {
            const float r = (wetRight[k] * snapLevel * wetShare + right[i] * (1.0f - wetShare)) * master;
            right[i] = r;
            peak = std::max (peak, std::abs (r));
        }
    }
    return peak;
}

void DelayEngine::crossfadeWithDry (bool on, float& level, const float* dryLeft, const float* dryRight, float* left,
                                    float* right, int n) const noexcept
{
    if (level == (on ? 1.0f : 0.0f))
        return;

    const auto step = static_cast<float> (1.0 / (rampSeconds * sampleRate));
    for (int i = 0; i < n; ++i)
    {
        level = on ? std::min (level + step, 1.0f) : std::max (level - step, 0.0f);
        left[i] = dryLeft[i] + (left[i] - dryLeft[i]) * level;
        right[i] = dryRight[i] + (right[i] - dryRight[i]) * level;
    }
}

void DelayEngine::holdPeak (float peak) noexcept
{
    // The meter keeps the largest peak until it takes it.
    float held = outputPeak.load (std::memory_order_relaxed);
    while (peak > held && ! outputPeak.compare_exchange_weak (held, peak, std::memory_order_acq_rel))
    {
    }
}

void DelayEngine::publishTaps() noexcept
{
    // Sent once per new tap set: readers keep the last one they took.
    if (tapsPublished)
        return;
    tapsPublished = true;

    // Entries past the count are sent as zeros, never as older taps.
    TapSet snapshot {};
    snapshot.count = std::min (tapSet.count, TapSet::maxTaps);
    std::copy (tapSet.taps.begin(), tapSet.taps.begin() + snapshot.count, snapshot.taps.begin());
    snapshotChannel.write (snapshot);
}
} // namespace dsp
