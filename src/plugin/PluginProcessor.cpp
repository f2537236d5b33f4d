#include "plugin/PluginProcessor.h"

#include "dsp/ParamMapping.h"

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
                layout.add (std::make_unique<juce::AudioParameterInt> (id, name, static_cast<int> (p.min),
                                                                       static_cast<int> (p.max),
                                                                       static_cast<int> (p.defaultValue)));
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

    apvts.addParameterListener ("tapCnt", this);

    // Presets, the default patch, seeds and the first history entry.
    runStartupSequence();
}

MassDelayAudioProcessor::~MassDelayAudioProcessor()
{
    apvts.removeParameterListener ("tapCnt", this);
}

//==============================================================================
void MassDelayAudioProcessor::parameterChanged (const juce::String& parameterID, float newValue)
{
    if (parameterID != "tapCnt" || ! std::isfinite (newValue))
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

    snapPhase = SnapPhase::Idle;
    snapLevel = 1.0f;
    snapping = false;
}

void MassDelayAudioProcessor::releaseResources() {}

void MassDelayAudioProcessor::resetDSPState() {}

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

void MassDelayAudioProcessor::readParams()
{
    using params::idx;

    // A non-finite raw value (from automation or typed text) reads as the
    // parameter's default, so it never reaches the engine.
    const auto v = [this] (int i) {
        const float x = raw[static_cast<std::size_t> (i)]->load (std::memory_order_relaxed);
        return std::isfinite (x) ? x : params::table[static_cast<std::size_t> (i)].defaultValue;
    };
    const auto on = [&v] (int i) { return v (i) > 0.5f; };
    const auto integer = [&v] (int i) { return static_cast<int> (v (i)); };

    ParamBlock& p = current;
    p.bpm = hostTempoValid ? static_cast<float> (hostTempo) : lastTempo.load (std::memory_order_relaxed);

    p.twist = v (idx ("g"));
    p.tapSync = on (idx ("mu"));
    const bool times4 = on (idx ("io2x"));
    p.startMs = mapping::spacingMs (v (idx ("s")), p.tapSync, times4, p.bpm);
    p.endMs = mapping::spacingMs (v (idx ("e")), p.tapSync, times4, p.bpm);
    p.lengthMs = mapping::lengthMs (v (idx ("fb")));
    p.decayCurve = mapping::decayCurve (v (idx ("dcv")));
    p.decayMode = integer (idx ("dcMode"));
    p.decaySteps = integer (idx ("dcSteps"));
    p.decayFalloff = v (idx ("dcFall"));
    p.hpHz = mapping::highPassHz (v (idx ("hp")));
    p.lpHz = mapping::lowPassHz (v (idx ("lp")));
    p.mixBypass = on (idx ("mixByp"));
    p.mix = p.mixBypass ? 0.0f : v (idx ("mix"));

    p.waveOn = on (idx ("wo"));
    p.wavePhaseDeg = v (idx ("woPh"));
    p.waveOffsetDeg = v (idx ("woOff"));
    p.waveRateRaw = v (idx ("lrs"));
    p.waveRateHz = mapping::lfoRateHz (p.waveRateRaw);
    p.waveDepth = v (idx ("lfoDp"));
    p.waveShape = integer (idx ("lsh"));
    p.waveSync = on (idx ("waveSync"));

    p.tremOn = on (idx ("trem"));
    p.tremRateHz = mapping::lfoRateHz (v (idx ("tremR")));
    p.tremDepth = v (idx ("tremD"));
    p.tremPhaseDeg = v (idx ("tremPh"));
    p.tremOffsetDeg = v (idx ("tremOff"));
    p.tremShape = integer (idx ("tremSh"));
    p.tremSync = on (idx ("tremSync"));

    p.tapeOn = on (idx ("tp"));
    p.tapeOd = on (idx ("tOd"));
    p.tapeOut = v (idx ("td"));
    p.tapeIn = v (idx ("tBoost"));
    p.tapeLpf = v (idx ("sat"));
    p.headBump = v (idx ("headBump"));
    p.flutter = v (idx ("flutter"));
    p.tapeMix = v (idx ("tpWet"));
    p.flutterSpeed = v (idx ("flutSpd"));
    p.tapeWear = v (idx ("tDarken"));

    p.reverse = on (idx ("rev"));
    p.flipped = on (idx ("flipped"));
    p.dynamicSmoothing = on (idx ("dc"));
    p.predelayMs = v (idx ("pd"));
    p.pingPongOn = on (idx ("ppOn"));
    p.pingPongAmount = v (idx ("ppW"));
    p.widen = v (idx ("spread"));
    p.noMid = on (idx ("sideOnly"));
    p.startEndLock = on (idx ("lk"));
    p.waveSeed = waveLfoSeed;
    p.tapCount = requestedTapCount.load (std::memory_order_relaxed);
    p.masterDb = v (idx ("mout"));

    p.pitchOn = on (idx ("pitchOn"));
    p.pitchOffset = v (idx ("pitchCt"));
    p.pitchMix = v (idx ("pitchMix"));
    p.pitchRateHz = mapping::pitchRateHz (v (idx ("pitchRt")));
    p.pitchDepth = v (idx ("pitchDp"));
    p.pitchShape = integer (idx ("pitchSh"));
    p.pitchWide = on (idx ("pitchWide"));
    p.pitchSync = on (idx ("pitchSync"));
    p.pitchTwistLink = on (idx ("pitchGLink"));
    p.pitchTwistCents = v (idx ("pitchWLAmt"));
    p.lengthBendCents = v (idx ("pitchLB"));
    p.pitchRegen = v (idx ("pitchFbk"));
    p.pitch2x = on (idx ("pitch2x"));

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
}

void MassDelayAudioProcessor::processChunk (juce::AudioBuffer<float>& buffer, int start, int numSamples)
{
    beginBlock();

    const float step = static_cast<float> (1.0 / (0.004 * sampleRate));
    for (int i = 0; i < numSamples && snapPhase != SnapPhase::Idle; ++i)
    {
        if (advanceSnapEnvelope (snapLevel, snapPhase, step))
            snapping = false;
    }

    // Mono in, stereo out: both outputs carry the input.
    const int numIn = getTotalNumInputChannels();
    const int numOut = getTotalNumOutputChannels();
    if (numIn == 1 && numOut >= 2)
        buffer.copyFrom (1, start, buffer, 0, start, numSamples);
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
        const int n = juce::jmin (preparedBlockSize, total - start);
        processChunk (buffer, start, n);
        start += n;
        hostPosition += static_cast<double> (n) / sampleRate * static_cast<double> (current.bpm) / 60.0;
    }
}

juce::AudioProcessorEditor* MassDelayAudioProcessor::createEditor()
{
    return new juce::GenericAudioProcessorEditor (*this);
}

//==============================================================================
juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new MassDelayAudioProcessor();
}
