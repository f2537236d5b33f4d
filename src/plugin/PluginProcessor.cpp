#include "plugin/PluginProcessor.h"

#include "dsp/NoteGrid.h"
#include "dsp/ParamMapping.h"
#include "plugin/PluginEditor.h"

#include <cmath>

namespace
{
juce::String toJuce (std::string_view s)
{
    return juce::String (s.data(), s.size());
}
} // namespace

//==============================================================================
juce::AudioProcessorValueTreeState::ParameterLayout MassDelayAudioProcessor::createParameterLayout()
{
    juce::AudioProcessorValueTreeState::ParameterLayout layout;

    for (const auto& p : params::table)
    {
        const juce::ParameterID id { toJuce (p.id), p.version };
        const auto name = toJuce (p.name);

        switch (p.kind)
        {
            case params::Kind::Float:
                layout.add (std::make_unique<juce::AudioParameterFloat> (
                    id, name, juce::NormalisableRange<float> (p.min, p.max, p.interval, p.skew, p.symmetricSkew),
                    p.defaultValue));
                break;
            case params::Kind::Bool:
                layout.add (std::make_unique<juce::AudioParameterBool> (id, name, p.defaultValue > 0.5f));
                break;
            case params::Kind::Int:
                layout.add (std::make_unique<juce::AudioParameterInt> (
                    id, name, static_cast<int> (p.min), static_cast<int> (p.max), static_cast<int> (p.defaultValue)));
                break;
        }
    }
    return layout;
}

MassDelayAudioProcessor::MassDelayAudioProcessor()
    : AudioProcessor (BusesProperties()
                          .withInput ("Input", juce::AudioChannelSet::stereo(), true)
                          .withOutput ("Output", juce::AudioChannelSet::stereo(), true))
    , apvts (*this, nullptr, "Parameters", createParameterLayout())
{
    for (std::size_t i = 0; i < params::table.size(); ++i)
    {
        raw[i] = apvts.getRawParameterValue (toJuce (params::table[i].id));
        jassert (raw[i] != nullptr);
    }

    apvts.addParameterListener (params::id::tapCount, this);

    // Presets, the default patch, seeds and the first history entry.
    runStartupSequence();
}

MassDelayAudioProcessor::~MassDelayAudioProcessor()
{
    apvts.removeParameterListener (params::id::tapCount, this);
}

//==============================================================================
void MassDelayAudioProcessor::parameterChanged (const juce::String& parameterID, float newValue)
{
    if (parameterID != params::id::tapCount || ! std::isfinite (newValue))
        return;

    const auto count = juce::jlimit (1, 300, static_cast<int> (std::lround (newValue)));
    requestedTapCount.store (count, std::memory_order_relaxed);
}

bool MassDelayAudioProcessor::isBusesLayoutSupported (const BusesLayout& layouts) const
{
    const auto in = layouts.getMainInputChannelSet();
    const auto out = layouts.getMainOutputChannelSet();
    const auto mono = juce::AudioChannelSet::mono();
    const auto stereo = juce::AudioChannelSet::stereo();

    return (in == mono && out == mono) || (in == mono && out == stereo) || (in == stereo && out == stereo);
}

//==============================================================================
void MassDelayAudioProcessor::prepareToPlay (double newSampleRate, int samplesPerBlock)
{
    sampleRate = newSampleRate > 0.0 ? newSampleRate : 44100.0;
    preparedBlockSize = juce::jmax (1, samplesPerBlock);
    const auto sr = static_cast<float> (sampleRate);
    const auto block = static_cast<std::size_t> (preparedBlockSize);

    // Every buffer the audio thread touches reaches its final size here;
    // larger host blocks are processed in pieces of this size.
    voiceBank.prepare (sampleRate, preparedBlockSize);
    for (auto* b : { &sendLeft, &sendRight, &wetLeft, &wetRight })
        b->assign (block, 0.0f);

    echoFilterLeft.prepare (sr);
    echoFilterRight.prepare (sr);

    tapEngine.compute (current, nullptr, nullptr, tapSet);
    voiceBank.startFrom (tapSet);

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

void MassDelayAudioProcessor::releaseResources() {}

void MassDelayAudioProcessor::resetDSPState()
{
    // Whole-state replacements run on the message thread while a block may be
    // running; the audio thread clears its memory before its next block.
    resetRequested.store (true, std::memory_order_release);
}

void MassDelayAudioProcessor::clearSignalMemory()
{
    voiceBank.reset();
    echoFilterLeft.reset();
    echoFilterRight.reset();
    tremolo.reset();
    pitchStage.reset();
    tapeStage.reset();
}

//==============================================================================
bool MassDelayAudioProcessor::advanceSnapEnvelope (float& level, SnapPhase& phase, float step)
{
    switch (phase)
    {
        case SnapPhase::FadeOut:
            level -= step;
            if (level <= 0.0f)
            {
                level = 0.0f;
                phase = SnapPhase::FadeIn;
                return true;
            }
            return false;

        case SnapPhase::FadeIn:
            level += step;
            if (level >= 1.0f)
            {
                level = 1.0f;
                phase = SnapPhase::Idle;
            }
            return false;

        case SnapPhase::Idle:
            return false;
    }
    return false;
}

//==============================================================================
void MassDelayAudioProcessor::captureHostPosition()
{
    auto* head = getPlayHead();
    if (head == nullptr)
    {
        hostTempoValid = false;
        return;
    }

    const auto position = head->getPosition();
    if (! position.hasValue())
    {
        hostTempoValid = false;
        return;
    }

    // Only a finite, positive tempo is believed; anything else keeps the
    // last good tempo, so nothing downstream ever divides by zero or NaN.
    const auto bpm = position->getBpm();
    const double tempo = bpm.hasValue() ? *bpm : 120.0;
    hostTempoValid = std::isfinite (tempo) && tempo > 0.0;

    if (hostTempoValid)
    {
        hostTempo = juce::jlimit (minTempo, maxTempo, tempo);
        lastTempo.store (static_cast<float> (hostTempo), std::memory_order_relaxed);
    }
    else
    {
        hostTempo = 120.0;
    }

    const auto ppq = position->getPpqPosition();
    hostPosition = (ppq.hasValue() && std::isfinite (*ppq)) ? *ppq : 0.0;
    hostPlaying = position->getIsPlaying();
}

float MassDelayAudioProcessor::rawValue (int index) const
{
    // A non-finite raw value (from automation or typed text) reads as the
    // parameter's default, so it never reaches the engine.
    const auto i = static_cast<std::size_t> (index);
    const float x = raw[i]->load (std::memory_order_relaxed);
    return std::isfinite (x) ? x : params::table[i].defaultValue;
}

void MassDelayAudioProcessor::readParams()
{
    using params::idx;

    const auto v = [this] (int i) { return rawValue (i); };
    const auto on = [&v] (int i) { return v (i) > 0.5f; };
    const auto integer = [&v] (int i) { return static_cast<int> (v (i)); };

    ParamBlock& p = current;
    p.bpm = hostTempoValid ? static_cast<float> (hostTempo) : lastTempo.load (std::memory_order_relaxed);

    p.twist = v (idx (params::id::twist));
    p.tapSync = on (idx (params::id::tapSync));
    const bool times4 = on (idx (params::id::times4));
    p.startMs = mapping::spacingMs (v (idx (params::id::start)), p.tapSync, times4, p.bpm);
    p.endMs = mapping::spacingMs (v (idx (params::id::end)), p.tapSync, times4, p.bpm);
    p.lengthMs = mapping::lengthMs (v (idx (params::id::length)));
    p.decayCurve = mapping::decayCurve (v (idx (params::id::decayCurve)));
    p.decayMode = integer (idx (params::id::decayMode));
    p.decaySteps = integer (idx (params::id::decaySteps));
    p.decayFalloff = v (idx (params::id::decayFalloff));
    p.hpHz = mapping::highPassHz (v (idx (params::id::highPass)));
    p.lpHz = mapping::lowPassHz (v (idx (params::id::lowPass)));
    p.mixBypass = on (idx (params::id::mixBypass));
    p.mix = p.mixBypass ? 0.0f : v (idx (params::id::mix));

    p.waveOn = on (idx (params::id::wave));
    p.wavePhaseDeg = v (idx (params::id::wavePhase));
    p.waveOffsetDeg = v (idx (params::id::waveOffset));
    p.waveRateRaw = v (idx (params::id::waveRate));
    p.waveRateHz = mapping::lfoRateHz (p.waveRateRaw);
    p.waveDepth = v (idx (params::id::waveDensity));
    p.waveShape = integer (idx (params::id::waveShape));
    p.waveSync = on (idx (params::id::waveSync));

    p.tremOn = on (idx (params::id::tremolo));
    p.tremRateHz = mapping::lfoRateHz (v (idx (params::id::tremRate)));
    p.tremDepth = v (idx (params::id::tremDepth));
    p.tremPhaseDeg = v (idx (params::id::tremPhase));
    p.tremOffsetDeg = v (idx (params::id::tremOffset));
    p.tremShape = integer (idx (params::id::tremShape));
    p.tremSync = on (idx (params::id::tremSync));

    p.tapeOn = on (idx (params::id::tape));
    p.tapeOd = on (idx (params::id::tapeOd));
    p.tapeOut = v (idx (params::id::tapeOut));
    p.tapeIn = v (idx (params::id::tapeIn));
    p.tapeLpf = v (idx (params::id::tapeLpf));
    p.headBump = v (idx (params::id::tapeHeadBump));
    p.flutter = v (idx (params::id::tapeFlutter));
    p.tapeMix = v (idx (params::id::tapeMix));
    p.flutterSpeed = v (idx (params::id::tapeFlutterSpeed));
    p.tapeWear = v (idx (params::id::tapeWear));

    p.reverse = on (idx (params::id::reverse));
    p.flipped = on (idx (params::id::tapFlip));
    p.dynamicSmoothing = on (idx (params::id::dynamicSmoothing));
    p.predelayMs = v (idx (params::id::predelay));
    p.pingPongOn = on (idx (params::id::pingPong));
    p.pingPongAmount = v (idx (params::id::pingPongAmount));
    p.widen = v (idx (params::id::widen));
    p.noMid = on (idx (params::id::noMid));
    p.startEndLock = on (idx (params::id::startEndLock));
    p.waveSeed = waveLfoSeed;
    p.tapCount = requestedTapCount.load (std::memory_order_relaxed);
    p.masterDb = v (idx (params::id::master));

    p.pitchOn = on (idx (params::id::pitch));
    p.pitchOffset = v (idx (params::id::pitchCents));
    p.pitchMix = v (idx (params::id::pitchMix));
    p.pitchRateHz = mapping::pitchRateHz (v (idx (params::id::pitchRate)));
    p.pitchDepth = v (idx (params::id::pitchDepth));
    p.pitchShape = integer (idx (params::id::pitchShape));
    p.pitchWide = on (idx (params::id::pitchWide));
    p.pitchSync = on (idx (params::id::pitchSync));
    p.pitchTwistLink = on (idx (params::id::pitchTwistLink));
    p.pitchTwistCents = v (idx (params::id::pitchTwistCents));
    p.lengthBendCents = v (idx (params::id::lengthBend));
    p.pitchRegen = v (idx (params::id::pitchRegen));
    p.pitch2x = on (idx (params::id::pitch2x));

    // The comparison record keeps the unflipped values; only the engine's
    // record sees start and end swapped and Twist negated.
    comparison = p;
    if (p.flipped)
    {
        std::swap (p.startMs, p.endMs);
        p.twist = -p.twist;
    }
}

void MassDelayAudioProcessor::beginBlock()
{
    readParams();

    echoFilterLeft.setHP (current.hpHz);
    echoFilterLeft.setLP (current.lpHz);
    echoFilterRight.setHP (current.hpHz);
    echoFilterRight.setLP (current.lpHz);

    DirtyFlags dirty;
    if (hasPrevious)
    {
        dirty = classifyDirty (previous, comparison);
    }
    else
    {
        dirty.timing = dirty.twist = dirty.gain = true;
    }
    previous = comparison;
    hasPrevious = true;

    const int generation = patchGeneration.load (std::memory_order_acquire);
    const bool generationChanged = generation != lastSeenGeneration;
    if (dirty.snap || generationChanged)
    {
        snapPhase = SnapPhase::FadeOut;
        snapping = true;
    }
    lastSeenGeneration = generation;
    lastDirty = dirty;

    if (dirty.any() || generationChanged)
        tapEngine.compute (current, nullptr, nullptr, tapSet);
}

int MassDelayAudioProcessor::processChunk (juce::AudioBuffer<float>& buffer, int start, int n)
{
    // A whole-state change: the old echoes fade out with the snap first, and
    // the memory is cleared where they have reached silence (below), so they
    // never stop with a click.
    if (resetRequested.exchange (false, std::memory_order_acq_rel))
    {
        clearPending = true;
        snapPhase = SnapPhase::FadeOut;
        snapping = true;
    }

    beginBlock();

    // The first block after prepareToPlay starts with every level where the
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

    const int numIn = getTotalNumInputChannels();
    const int numOut = getTotalNumOutputChannels();
    const bool stereoIn = numIn >= 2;

    // Voices follow the new tap set; changed delays crossfade after timing
    // changes and glide otherwise.
    voiceBank.update (tapSet, lastDirty.timing, snapping);
    if (! snapping)
        voiceBank.scheduleCrossfades();

    // Where in this block the snap fade-out reaches silence: the taps jump there.
    const float snapStep = static_cast<float> (1.0 / (0.004 * sampleRate));
    int jumpIndex = -1;
    if (snapping && snapPhase == SnapPhase::FadeOut)
    {
        float level = snapLevel;
        for (int i = 0; i < n; ++i)
        {
            level -= snapStep;
            if (level <= 0.0f)
            {
                jumpIndex = i;
                snapping = false;
                break;
            }
        }
    }
    // The piece ends on the silent sample; the memory is cleared after it.
    const bool clearsAfter = clearPending && jumpIndex >= 0;
    if (clearsAfter)
        n = jumpIndex + 1;

    // Input: a sample that is not a finite number counts as silence, on the
    // dry path as well as into the line.
    float* inLeft = buffer.getWritePointer (0, start);
    float* inRight = stereoIn ? buffer.getWritePointer (1, start) : inLeft;
    for (int ch = 0; ch < juce::jmin (numIn, 2); ++ch)
    {
        float* x = buffer.getWritePointer (ch, start);
        for (int i = 0; i < n; ++i)
            if (! std::isfinite (x[i]))
                x[i] = 0.0f;
    }

    // Send through the tape stage into the line.
    std::copy (inLeft, inLeft + n, sendLeft.begin());
    std::copy (inRight, inRight + n, sendRight.begin());
    if (current.tapeOn || tapeLevel > 0.0f)
    {
        tapeStage.setOdMode (current.tapeOd);
        tapeStage.setSoar (current.tapeIn);
        tapeStage.setSoften (current.tapeLpf);
        tapeStage.setHeadBump (current.headBump);
        tapeStage.setFlutter (current.flutter);
        tapeStage.setFlutterSpeed (current.flutterSpeed);
        tapeStage.setOutputGain (current.tapeOut);
        tapeStage.setWet (current.tapeMix);
        tapeStage.processStereo (sendLeft.data(), sendRight.data(), n);
        // Switched on or off, the stage crossfades with the dry send over
        // 10 ms (the wet buffers are free until the voices fill them).
        crossfadeWithDry (current.tapeOn, tapeLevel, inLeft, inRight, sendLeft.data(), sendRight.data(), n);
    }
    else
    {
        tapeStage.setWet (0.0f);
    }
    // After a clear the line records the input fading in at the snap's rate,
    // so every new echo starts with that fade instead of a step.
    for (int i = 0; i < n && recordLevel < 1.0f; ++i)
    {
        recordLevel = std::min (1.0f, recordLevel + snapStep);
        sendLeft[static_cast<std::size_t> (i)] *= recordLevel;
        sendRight[static_cast<std::size_t> (i)] *= recordLevel;
    }
    voiceBank.write (sendLeft.data(), sendRight.data(), n);

    // Every sounding tap into the wet sum, then the echo filters.
    TapVoiceBank::RenderSettings settings;
    settings.tapCount = tapSet.count;
    settings.wear = current.tapeOn;
    settings.wearAmount = current.tapeWear;
    settings.pingPong = current.pingPongAmount > 0.0f && stereoIn;
    settings.pingPongAmount = current.pingPongAmount;
    settings.jumpIndex = jumpIndex;
    voiceBank.render (tapSet, settings, wetLeft.data(), wetRight.data(), n);
    // Both channels in one loop, so the two filter recursions overlap.
    for (int i = 0; i < n; ++i)
    {
        const auto k = static_cast<std::size_t> (i);
        wetLeft[k] = echoFilterLeft.process (wetLeft[k]);
        wetRight[k] = echoFilterRight.process (wetRight[k]);
    }

    runWetEffects (n);

    // Snap envelope, dry/wet mix and master gain. The wet share and the
    // master gain move to their new values like the tap gains, by at most a
    // full swing per 10 ms, so that moving them never steps the output.
    const float masterTarget = current.masterDb <= -60.0f ? 0.0f : std::pow (10.0f, current.masterDb / 20.0f);
    const float wetTarget = current.mixBypass ? 0.0f : current.mix / 100.0f;
    const float gainStep = static_cast<float> (1.0 / (0.01 * sampleRate));
    const auto towards = [gainStep] (float value, float target) {
        return value < target ? std::min (value + gainStep, target) : std::max (value - gainStep, target);
    };
    float peak = 0.0f;
    for (int i = 0; i < n; ++i)
    {
        appliedWetShare = towards (appliedWetShare, wetTarget);
        appliedMaster = towards (appliedMaster, masterTarget);
        const float wetShare = appliedWetShare;
        const float master = appliedMaster;
        advanceSnapEnvelope (snapLevel, snapPhase, snapStep);
        const float l =
            (wetLeft[static_cast<std::size_t> (i)] * snapLevel * wetShare + inLeft[i] * (1.0f - wetShare)) * master;
        inLeft[i] = l;
        peak = std::max (peak, std::abs (l));
        if (stereoIn)
        {
            const float r =
                (wetRight[static_cast<std::size_t> (i)] * snapLevel * wetShare + inRight[i] * (1.0f - wetShare))
                * master;
            inRight[i] = r;
            peak = std::max (peak, std::abs (r));
        }
    }

    // A mono input feeds both sides of a stereo output; nothing is written to
    // channels the host did not hand over as outputs.
    int written = stereoIn ? 2 : 1;
    if (! stereoIn && numOut >= 2)
    {
        buffer.copyFrom (1, start, buffer, 0, start, n);
        written = 2;
    }
    for (int ch = written; ch < numOut; ++ch)
        buffer.clear (ch, start, n);

    // The meter keeps the largest peak until it takes it.
    float held = outputPeak.load (std::memory_order_relaxed);
    while (peak > held && ! outputPeak.compare_exchange_weak (held, peak, std::memory_order_acq_rel))
    {
    }

    publishSnapshot();

    if (clearsAfter)
    {
        clearSignalMemory();
        clearPending = false;
        recordLevel = 0.0f;
    }
    return n;
}

void MassDelayAudioProcessor::crossfadeWithDry (bool on, float& level, const float* dryLeft, const float* dryRight,
                                                float* left, float* right, int n) const
{
    if (level == (on ? 1.0f : 0.0f))
        return;

    const float step = static_cast<float> (1.0 / (0.01 * sampleRate));
    for (int i = 0; i < n; ++i)
    {
        level = on ? std::min (level + step, 1.0f) : std::max (level - step, 0.0f);
        left[i] = dryLeft[i] + (left[i] - dryLeft[i]) * level;
        right[i] = dryRight[i] + (right[i] - dryRight[i]) * level;
    }
}

void MassDelayAudioProcessor::runWetEffects (int n)
{
    using params::idx;

    if (current.pitchOn || pitchLevel > 0.0f)
    {
        const float k = current.pitch2x ? 2.0f : 1.0f;
        auto& ps = pitchStage;
        ps.cents = current.pitchOffset * k;
        ps.mix = juce::jlimit (0.0f, 1.0f, current.pitchMix / 100.0f);
        ps.lfoRate = current.pitchRateHz * k;
        ps.lfoDepth = juce::jlimit (0.0f, 1.0f, current.pitchDepth / 100.0f);
        ps.depthScale = k;
        ps.lfoShape = juce::jlimit (0, 6, current.pitchShape);
        ps.lfoSeed = pitchLfoSeed;
        ps.wide = current.pitchWide;
        ps.twistLink = current.pitchTwistLink;
        ps.twistAmount = current.twist;
        ps.twistCents = current.pitchTwistCents;
        ps.bendOn = current.lengthBendCents != 0.0f;
        ps.bendCents = std::abs (current.lengthBendCents);
        ps.bendUp = current.lengthBendCents > 0.0f;
        ps.regen = juce::jlimit (0.0f, 100.0f, current.pitchRegen);
        ps.regenScale = 0.9f;
        if (current.pitchSync && hostTempoValid)
        {
            ps.sync = true;
            ps.noteIndex = mapping::syncedRateIndex (rawValue (idx (params::id::pitchRate)));
            ps.ppq = hostPosition;
            ps.bpm = hostTempo;
        }
        else
        {
            ps.sync = false;
            ps.noteIndex = 5;
            ps.ppq = 0.0;
            ps.bpm = 120.0;
        }
        // Switched on or off, the stage crossfades with its input over 10 ms
        // (the send buffers are free once the line has been written).
        std::copy (wetLeft.begin(), wetLeft.begin() + n, sendLeft.begin());
        std::copy (wetRight.begin(), wetRight.begin() + n, sendRight.begin());
        ps.processStereo (wetLeft.data(), wetRight.data(), n, current.endMs);
        crossfadeWithDry (current.pitchOn, pitchLevel, sendLeft.data(), sendRight.data(), wetLeft.data(),
                          wetRight.data(), n);
    }

    if (current.tremOn || tremLevel > 0.0f)
    {
        tremolo.setRate (current.tremRateHz);
        tremolo.setDepth (current.tremDepth);
        tremolo.setShape (current.tremShape);
        tremolo.seed = tremLfoSeed;
        tremolo.setPhaseOffset (current.tremPhaseDeg);
        tremolo.setLROffset (current.tremOffsetDeg);
        const auto sr = static_cast<float> (sampleRate);
        if (current.tremSync && hostTempoValid && hostPlaying)
        {
            const int index = mapping::syncedRateIndex (rawValue (idx (params::id::tremRate)));
            tremolo.setSync (true, hostPosition, hostTempo, index,
                             current.tremPhaseDeg / 360.0f * NoteGrid::beatMultipliers[index], sr);
        }
        else
        {
            tremolo.setSync (false, 0.0, 120.0, 5, 0.0f, sr);
        }
        // Switched on or off, the tremolo crossfades with its input over 10 ms.
        std::copy (wetLeft.begin(), wetLeft.begin() + n, sendLeft.begin());
        std::copy (wetRight.begin(), wetRight.begin() + n, sendRight.begin());
        tremolo.processStereo (wetLeft.data(), wetRight.data(), n);
        crossfadeWithDry (current.tremOn, tremLevel, sendLeft.data(), sendRight.data(), wetLeft.data(), wetRight.data(),
                          n);
    }
    else
    {
        tremolo.setDepth (0.0f);
    }

    // Width: 7.5 keeps the image, 0 folds the echoes to mono, 15 doubles the side.
    const float midGain = current.noMid ? 0.0f : 0.5f;
    const float sideGain = 0.5f * current.widen / 7.5f;
    for (int i = 0; i < n; ++i)
    {
        const auto idxS = static_cast<std::size_t> (i);
        const float l = wetLeft[idxS];
        const float r = wetRight[idxS];
        const float mid = (l + r) * midGain;
        const float side = (l - r) * sideGain;
        wetLeft[idxS] = mid + side;
        wetRight[idxS] = mid - side;
    }
}

void MassDelayAudioProcessor::publishSnapshot()
{
    TapSnapshot snapshot {};
    snapshot.count = juce::jmin (tapSet.count, TapSet::maxTaps);
    std::copy (tapSet.taps.begin(), tapSet.taps.begin() + snapshot.count, snapshot.taps.begin());
    snapshotChannel.write (snapshot);
}

MassDelayAudioProcessor::TapSnapshot MassDelayAudioProcessor::getTapSnapshot()
{
    TapSnapshot snapshot {};
    if (snapshotChannel.tryRead (snapshot))
        lastGoodSnapshot = snapshot;
    return lastGoodSnapshot;
}

void MassDelayAudioProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi)
{
    juce::ScopedNoDenormals noDenormals;
    midi.clear();

    captureHostPosition();

    if (preparedBlockSize <= 0)
        return;

    // A block larger than prepared runs in prepared-size pieces, so nothing
    // is resized here; the transport position moves on with each piece.
    const int total = buffer.getNumSamples();
    for (int start = 0; start < total;)
    {
        const int n = processChunk (buffer, start, juce::jmin (preparedBlockSize, total - start));
        start += n;
        hostPosition += static_cast<double> (n) / sampleRate * static_cast<double> (current.bpm) / 60.0;
    }
}

juce::AudioProcessorEditor* MassDelayAudioProcessor::createEditor()
{
    return new MassDelayAudioProcessorEditor (*this);
}

//==============================================================================
juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new MassDelayAudioProcessor();
}
