#include "AudioFixtures.h"

#include <cmath>

namespace tooltest
{
std::optional<AudioFileData> readAudio (const juce::File& file)
{
    juce::AudioFormatManager manager;
    manager.registerBasicFormats();
    std::unique_ptr<juce::AudioFormatReader> reader (
        manager.createReaderFor (std::make_unique<juce::FileInputStream> (file)));
    if (reader == nullptr)
        return std::nullopt;

    AudioFileData data;
    data.sampleRate = reader->sampleRate;
    data.bits = static_cast<int> (reader->bitsPerSample);
    data.floatingPoint = reader->usesFloatingPointData;
    data.format = reader->getFormatName().upToFirstOccurrenceOf (" ", false, false);
    data.samples.setSize (static_cast<int> (reader->numChannels), static_cast<int> (reader->lengthInSamples));
    if (! reader->read (&data.samples, 0, data.samples.getNumSamples(), 0, true, true))
        return std::nullopt;
    return data;
}

bool writeAudio (const juce::File& file, const juce::AudioBuffer<float>& samples, double sampleRate,
                 const juce::String& format, int bits)
{
    std::unique_ptr<juce::AudioFormat> audioFormat;
    if (format == "wav")
        audioFormat = std::make_unique<juce::WavAudioFormat>();
    else if (format == "aiff")
        audioFormat = std::make_unique<juce::AiffAudioFormat>();
    else if (format == "flac")
        audioFormat = std::make_unique<juce::FlacAudioFormat>();
    else
        return false;

    file.deleteFile();
    auto stream = std::make_unique<juce::FileOutputStream> (file);
    if (! stream->openedOk())
        return false;
    std::unique_ptr<juce::AudioFormatWriter> writer (audioFormat->createWriterFor (
        stream.get(), sampleRate, static_cast<unsigned int> (samples.getNumChannels()), bits, {}, 0));
    if (writer == nullptr)
        return false;
    stream.release();
    return writer->writeFromAudioSampleBuffer (samples, 0, samples.getNumSamples());
}

juce::AudioBuffer<float> testSignal (int numChannels, double sampleRate, double seconds, int seed)
{
    const auto length = static_cast<int> (seconds * sampleRate);
    juce::AudioBuffer<float> buffer (numChannels, length);
    buffer.clear();
    juce::Random rng (seed);

    // A burst every 0.4 s: a noise click then a short tone, 0.15 s long.
    const auto period = static_cast<int> (0.4 * sampleRate);
    const auto burst = static_cast<int> (0.15 * sampleRate);
    for (int start = 0; start < length; start += period)
    {
        const double frequency = 200.0 + 600.0 * rng.nextDouble();
        for (int ch = 0; ch < numChannels; ++ch)
        {
            for (int i = 0; i < burst && start + i < length; ++i)
            {
                const double t = i / sampleRate;
                const double env = std::exp (-t / 0.03);
                const double tone = std::sin (6.283185307179586 * frequency * (1.0 + 0.01 * ch) * t);
                const double noise = rng.nextDouble() * 2.0 - 1.0;
                buffer.setSample (ch, start + i, static_cast<float> (0.5 * env * (0.6 * tone + 0.4 * noise)));
            }
        }
    }
    return buffer;
}

namespace
{
class ReferencePlayHead : public juce::AudioPlayHead
{
public:
    double bpm = 120.0;
    double ppq = 0.0;

    juce::Optional<PositionInfo> getPosition() const override
    {
        PositionInfo info;
        info.setBpm (bpm);
        info.setPpqPosition (ppq);
        info.setIsPlaying (true);
        return info;
    }
};
} // namespace

ReferenceRender renderWithProcessor (const ReferenceSettings& settings, const juce::AudioBuffer<float>& input,
                                     int tailSamples)
{
    MassDelayAudioProcessor::setApplyDefaultPatchAtStartup (false);
    MassDelayAudioProcessor processor;

    if (settings.state.getSize() > 0)
    {
        processor.setStateInformation (settings.state.getData(), static_cast<int> (settings.state.getSize()));
    }
    else
    {
        const auto* patch = processor.getPresetLibrary().findById (settings.presetId);
        if (patch == nullptr)
            return {};
        processor.applyPatch (*patch);
    }
    for (const auto& [id, value] : settings.params)
    {
        auto* param = processor.getValueTreeState().getParameter (id);
        param->setValueNotifyingHost (param->convertTo0to1 (value));
    }
    if (settings.seeds.has_value())
        processor.setLfoSeeds (settings.seeds->trem, settings.seeds->wave, settings.seeds->pitch);

    const int channels = input.getNumChannels();
    const auto set = channels == 1 ? juce::AudioChannelSet::mono() : juce::AudioChannelSet::stereo();
    juce::AudioProcessor::BusesLayout layout;
    layout.inputBuses.add (set);
    layout.outputBuses.add (set);
    processor.setBusesLayout (layout);

    ReferencePlayHead playHead;
    playHead.bpm = settings.bpm;
    processor.setPlayHead (&playHead);
    processor.prepareToPlay (settings.sampleRate, settings.blockSize);

    ReferenceRender result;
    const int total = input.getNumSamples() + tailSamples;
    result.output.setSize (channels, total);
    result.output.clear();
    for (int ch = 0; ch < channels; ++ch)
        result.output.copyFrom (ch, 0, input, ch, 0, input.getNumSamples());

    juce::MidiBuffer midi;
    for (int start = 0; start < total; start += settings.blockSize)
    {
        const int n = juce::jmin (settings.blockSize, total - start);
        juce::AudioBuffer<float> block (channels, n);
        for (int ch = 0; ch < channels; ++ch)
            block.copyFrom (ch, 0, result.output, ch, start, n);
        playHead.ppq = settings.ppqStart + start / settings.sampleRate * settings.bpm / 60.0;
        processor.processBlock (block, midi);
        if (start == 0)
            result.taps = processor.getTapSnapshot();
        for (int ch = 0; ch < channels; ++ch)
            result.output.copyFrom (ch, start, block, ch, 0, n);
    }
    processor.setPlayHead (nullptr);
    return result;
}

int lastSampleAtOrAbove (const juce::AudioBuffer<float>& buffer, float level)
{
    int last = -1;
    for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
        for (int i = buffer.getNumSamples() - 1; i > last; --i)
            if (std::abs (buffer.getSample (ch, i)) >= level)
            {
                last = i;
                break;
            }
    return last;
}

juce::MemoryBlock fileBytes (const juce::File& file)
{
    juce::MemoryBlock bytes;
    file.loadFileAsData (bytes);
    return bytes;
}
} // namespace tooltest
