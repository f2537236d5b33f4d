#include "OfflineRenderer.h"

#include <cmath>
#include <limits>

namespace
{
// The last sample (as an offset into the block) at or above the level, or -1.
int lastAtOrAbove (const juce::AudioBuffer<float>& block, float level)
{
    int last = -1;
    for (int ch = 0; ch < block.getNumChannels(); ++ch)
    {
        const float* x = block.getReadPointer (ch);
        for (int i = block.getNumSamples() - 1; i > last; --i)
        {
            if (std::abs (x[i]) >= level)
            {
                last = i;
                break;
            }
        }
    }
    return last;
}
} // namespace

//==============================================================================
OfflineRenderer::Transport::Transport (double tempo, double startPpq, double rate)
    : bpm (tempo)
    , ppqStart (startPpq)
    , sampleRate (rate)
{
}

juce::Optional<juce::AudioPlayHead::PositionInfo> OfflineRenderer::Transport::getPosition() const
{
    const double seconds = static_cast<double> (position) / sampleRate;
    const double ppq = ppqStart + seconds * bpm / 60.0;
    PositionInfo info;
    info.setBpm (bpm);
    info.setTimeSignature (TimeSignature { 4, 4 });
    info.setTimeInSamples (position);
    info.setTimeInSeconds (seconds);
    info.setPpqPosition (ppq);
    info.setPpqPositionOfLastBarStart (std::floor (ppq / 4.0) * 4.0);
    info.setIsPlaying (true);
    return info;
}

//==============================================================================
OfflineRenderer::OfflineRenderer (MassDelayAudioProcessor& p, const Settings& s)
    : processor (p)
    , settings (s)
    , transport (s.bpm, s.ppqStart, s.sampleRate)
{
    const auto set = settings.numChannels == 1 ? juce::AudioChannelSet::mono() : juce::AudioChannelSet::stereo();
    juce::AudioProcessor::BusesLayout layout;
    layout.inputBuses.add (set);
    layout.outputBuses.add (set);
    const bool accepted = processor.setBusesLayout (layout);
    jassert (accepted);
    juce::ignoreUnused (accepted);

    processor.setPlayHead (&transport);
    processor.setNonRealtime (true);
    processor.setRateAndBufferSizeDetails (settings.sampleRate, settings.blockSize);
    processor.prepareToPlay (settings.sampleRate, settings.blockSize);
}

OfflineRenderer::~OfflineRenderer()
{
    processor.releaseResources();
    processor.setPlayHead (nullptr);
}

void OfflineRenderer::processBlock (juce::AudioBuffer<float>& block, juce::int64 position)
{
    transport.setSamplePosition (position);
    processor.processBlock (block, midi);
}

TapSet OfflineRenderer::tapsWithoutRender()
{
    juce::AudioBuffer<float> block (settings.numChannels, settings.blockSize);
    block.clear();
    processBlock (block, 0);
    return processor.getTapSnapshot();
}

OfflineRenderer::Outcome OfflineRenderer::render (juce::int64 inputLength, const Source& source, const Sink& sink,
                                                  const Progress& progress)
{
    const int channels = settings.numChannels;
    const double sr = settings.sampleRate;
    const auto level = static_cast<float> (std::pow (10.0, silenceDb / 20.0));
    const auto maxTail = static_cast<juce::int64> (std::llround (maxTailSeconds * sr));
    const auto tailLimit =
        settings.tailAuto ? maxTail : static_cast<juce::int64> (std::llround (settings.tailSeconds * sr));
    const auto quiet = static_cast<juce::int64> (std::llround (quietSeconds * sr));

    Outcome out;
    juce::AudioBuffer<float> storage (channels, settings.blockSize);
    juce::int64 done = 0;
    juce::int64 lastInput = -1; // last non-zero input sample
    juce::int64 lastLoud = -1;  // last output sample at or above -90 dBFS
    float lastTapMs = 0.0f;

    // The taps published by the block just run: the first block's set is
    // the report, and the latest echo of any block bounds the tail.
    const auto noteTaps = [&] {
        const auto taps = processor.getTapSnapshot();
        if (done == 0)
            out.taps = taps;
        for (int i = 0; i < taps.count; ++i)
        {
            const auto& tap = taps.taps[static_cast<std::size_t> (i)];
            // The Wave offset moves the right channel by up to 5 ms per unit.
            lastTapMs = juce::jmax (lastTapMs, tap.timeMs + 5.0f * std::abs (tap.waveDiff));
        }
    };
    const auto expectedTotal = [&] {
        if (! settings.tailAuto)
            return inputLength + tailLimit;
        const auto echoes = static_cast<juce::int64> (std::ceil (lastTapMs / 1000.0 * sr)) + quiet;
        return inputLength + juce::jmin (maxTail, echoes);
    };

    while (done < inputLength)
    {
        const int n = static_cast<int> (juce::jmin<juce::int64> (settings.blockSize, inputLength - done));
        juce::AudioBuffer<float> block (storage.getArrayOfWritePointers(), channels, n);
        if (! source (block, done))
            return out;
        if (const int i = lastAtOrAbove (block, std::numeric_limits<float>::min()); i >= 0)
            lastInput = done + i;

        processBlock (block, done);
        noteTaps();
        out.peak = juce::jmax (out.peak, block.getMagnitude (0, n));
        if (const int i = lastAtOrAbove (block, level); i >= 0)
            lastLoud = done + i;
        if (! sink (block))
            return out;
        done += n;
        if (progress)
            progress (done, expectedTotal());
    }

    // Tail. The automatic one holds back blocks below -90 dBFS and hands
    // them on only when a louder block follows, so it ends with the last
    // block that reaches -90 dBFS.
    juce::AudioBuffer<float> pending (channels, settings.tailAuto ? static_cast<int> (maxTail) : 0);
    int pendingLength = 0;
    juce::int64 tailDone = 0;
    while (tailDone < tailLimit)
    {
        if (settings.tailAuto)
        {
            const auto echoes = static_cast<juce::int64> (std::ceil (lastTapMs / 1000.0 * sr));
            if (done > lastInput + echoes + quiet && done > lastLoud + quiet)
                break;
        }

        const int n = static_cast<int> (juce::jmin<juce::int64> (settings.blockSize, tailLimit - tailDone));
        juce::AudioBuffer<float> block;
        if (settings.tailAuto)
        {
            auto* const* pointers = pending.getArrayOfWritePointers();
            float* at[2] = { pointers[0] + pendingLength, channels > 1 ? pointers[1] + pendingLength : nullptr };
            block.setDataToReferTo (at, channels, n);
        }
        else
        {
            block.setDataToReferTo (storage.getArrayOfWritePointers(), channels, n);
        }
        block.clear();

        processBlock (block, done);
        noteTaps();
        out.peak = juce::jmax (out.peak, block.getMagnitude (0, n));
        const int loud = lastAtOrAbove (block, level);
        if (loud >= 0)
            lastLoud = done + loud;

        if (settings.tailAuto)
        {
            pendingLength += n;
            if (loud >= 0)
            {
                juce::AudioBuffer<float> held (pending.getArrayOfWritePointers(), channels, pendingLength);
                if (! sink (held))
                    return out;
                out.tailLength += pendingLength;
                pendingLength = 0;
            }
        }
        else
        {
            if (! sink (block))
                return out;
            out.tailLength += n;
        }
        done += n;
        tailDone += n;
        if (progress)
            progress (done, expectedTotal());
    }

    out.length = inputLength + out.tailLength;
    out.ok = true;
    return out;
}
