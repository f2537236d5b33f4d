#include "plugin/PluginProcessor.h"

#include "plugin/PluginEditor.h"

#include <cmath>

namespace
{
juce::String toJuce (std::string_view s)
{
    return juce::String (s.data(), s.size());
}

// Hosts step integer parameters through their values instead of sliding
// between them; the stored range stays the same.
class SteppedIntParameter final : public juce::AudioParameterInt
{
public:
    using AudioParameterInt::AudioParameterInt;
    bool isDiscrete() const override { return true; }
};
} // namespace

//==============================================================================
juce::AudioProcessorValueTreeState::ParameterLayout
MassDelayAudioProcessor::createParameterLayout (const params::LiveTextSource* texts)
{
    juce::AudioProcessorValueTreeState::ParameterLayout layout;

    // Hosts read texts at any time and from any thread: each text reads the
    // other parameters and the tempo it depends on as atomics, just then.
    const auto context = [texts] { return texts != nullptr ? texts->read() : params::TextContext {}; };

    for (std::size_t i = 0; i < params::table.size(); ++i)
    {
        const auto& p = params::table[i];
        const juce::ParameterID id { toJuce (p.id), p.version };
        const auto name = toJuce (p.name);
        const auto index = static_cast<int> (i);

        const auto text = [context, index] (float value) { return params::valueText (index, value, context()); };
        const auto parse = [context, index] (const juce::String& typed) {
            const auto c = context();
            return params::parseValueText (index, typed, c.raw[static_cast<std::size_t> (index)], c);
        };

        switch (p.kind)
        {
            case params::Kind::Float:
                layout.add (std::make_unique<juce::AudioParameterFloat> (
                    id, name, juce::NormalisableRange<float> (p.min, p.max, p.interval, p.skew, p.symmetricSkew),
                    p.defaultValue,
                    juce::AudioParameterFloatAttributes()
                        .withStringFromValueFunction ([text] (float v, int) { return text (v); })
                        .withValueFromStringFunction (parse)));
                break;
            case params::Kind::Bool:
                layout.add (std::make_unique<juce::AudioParameterBool> (
                    id, name, p.defaultValue > 0.5f,
                    juce::AudioParameterBoolAttributes()
                        .withStringFromValueFunction ([text] (bool v, int) { return text (v ? 1.0f : 0.0f); })
                        .withValueFromStringFunction ([parse] (const juce::String& t) { return parse (t) > 0.5f; })));
                break;
            case params::Kind::Int:
                layout.add (std::make_unique<SteppedIntParameter> (
                    id, name, static_cast<int> (p.min), static_cast<int> (p.max), static_cast<int> (p.defaultValue),
                    juce::AudioParameterIntAttributes()
                        .withStringFromValueFunction ([text] (int v, int) { return text (static_cast<float> (v)); })
                        .withValueFromStringFunction (
                            [parse] (const juce::String& t) { return juce::roundToInt (parse (t)); })));
                break;
        }
    }
    return layout;
}

MassDelayAudioProcessor::MassDelayAudioProcessor()
    : AudioProcessor (BusesProperties()
                          .withInput ("Input", juce::AudioChannelSet::stereo(), true)
                          .withOutput ("Output", juce::AudioChannelSet::stereo(), true))
    , apvts (*this, nullptr, "Parameters", createParameterLayout (&textSource))
{
    for (std::size_t i = 0; i < params::table.size(); ++i)
    {
        raw[i] = apvts.getRawParameterValue (toJuce (params::table[i].id));
        jassert (raw[i] != nullptr);
        textSource.raw[i] = raw[i];
    }
    textSource.bpm = &lastTempo;

    apvts.addParameterListener (params::id::tapCount, this);

    // Presets, the default patch, seeds and the first history entry.
    runStartupSequence();

    programTimer.startTimerHz (20);
}

MassDelayAudioProcessor::~MassDelayAudioProcessor()
{
    programTimer.stopTimer();
    apvts.removeParameterListener (params::id::tapCount, this);
}

//==============================================================================
MassDelayAudioProcessor::GestureWatch::GestureWatch (juce::AudioProcessorParameter* p)
    : param (p)
{
    if (param != nullptr)
        param->addListener (this);
}

MassDelayAudioProcessor::GestureWatch::~GestureWatch()
{
    if (param != nullptr)
        param->removeListener (this);
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

    // Every buffer the audio thread touches reaches its final size here;
    // larger host blocks are processed in pieces of this size.
    engine.prepare (sampleRate, preparedBlockSize);
}

void MassDelayAudioProcessor::releaseResources() {}

void MassDelayAudioProcessor::resetDSPState()
{
    // Whole-state replacements run on the message thread while a block may be
    // running; the audio thread clears its memory once the snap has faded the
    // echoes out.
    engine.requestReset();
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

float MassDelayAudioProcessor::blockTempo() const
{
    return hostTempoValid ? static_cast<float> (hostTempo) : lastTempo.load (std::memory_order_relaxed);
}

void MassDelayAudioProcessor::applyParameterRules()
{
    const juce::SpinLock::ScopedTryLockType wholeState (wholeStateLock);
    if (! wholeState.isLocked())
        return;

    // Marks the rules' writes as such for the listeners they reach on this
    // thread (the preset bar keeps the patch unmodified).
    rulesThread.store (std::this_thread::get_id(), std::memory_order_relaxed);
    rules.apply (ruleAccess, blockTempo(), { startGesture.isOpen(), predelayGesture.isOpen() });
    rulesThread.store ({}, std::memory_order_relaxed);
}

void MassDelayAudioProcessor::readParams()
{
    params::BlockContext context;
    context.bpm = blockTempo();
    context.tapCount = requestedTapCount.load (std::memory_order_relaxed);
    context.waveSeed = waveLfoSeed;
    context.tremSeed = tremLfoSeed;
    context.pitchSeed = pitchLfoSeed;
    record = params::makeParamBlock (readRawValues(), context);
}

MassDelayAudioProcessor::TapSnapshot MassDelayAudioProcessor::getTapSnapshot()
{
    TapSnapshot snapshot {};
    if (engine.readTapSnapshot (snapshot))
        lastGoodSnapshot = snapshot;
    return lastGoodSnapshot;
}

void MassDelayAudioProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi)
{
    juce::ScopedNoDenormals noDenormals;
    midi.clear();

    // A program chosen from inside this call is left to the message thread.
    struct InBlock
    {
        explicit InBlock (std::atomic<std::thread::id>& t)
            : thread (t)
        {
            thread.store (std::this_thread::get_id(), std::memory_order_relaxed);
        }
        ~InBlock() { thread.store ({}, std::memory_order_relaxed); }
        std::atomic<std::thread::id>& thread;
    } inBlock { processingThread };

    captureHostPosition();

    if (preparedBlockSize <= 0)
        return;

    // Parameters that follow others are settled before the block reads them,
    // so what a change brings sounds in the same block as the change.
    applyParameterRules();

    const int numIn = getTotalNumInputChannels();
    const int numOut = getTotalNumOutputChannels();
    const bool stereoIn = numIn >= 2;

    // A block larger than prepared runs in prepared-size pieces, so nothing
    // is resized here; the transport position moves on with each piece.
    const int total = buffer.getNumSamples();
    for (int start = 0; start < total;)
    {
        readParams();
        const dsp::HostTransport transport { hostTempo, hostPosition, hostPlaying, hostTempoValid };
        // The engine may stop short of the piece where it clears its memory;
        // the rest runs as the next piece.
        const int n = engine.process (
            record, transport, patchGeneration.load (std::memory_order_acquire), buffer.getWritePointer (0, start),
            stereoIn ? buffer.getWritePointer (1, start) : nullptr, juce::jmin (preparedBlockSize, total - start));

        // A mono input feeds both sides of a stereo output; nothing is written
        // to channels the host did not hand over as outputs.
        int written = stereoIn ? 2 : 1;
        if (! stereoIn && numOut >= 2)
        {
            buffer.copyFrom (1, start, buffer, 0, start, n);
            written = 2;
        }
        for (int ch = written; ch < numOut; ++ch)
            buffer.clear (ch, start, n);

        start += n;
        hostPosition += static_cast<double> (n) / sampleRate * static_cast<double> (record.bpm) / 60.0;
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
