#include "FuzzChecks.h"

#include "params/ParameterTable.h"

#include <cmath>

namespace fuzzing
{
World::World()
{
    processor.prepareToPlay (sampleRate, blockSize);
    processor.getStateInformation (freshState);
}

void World::startFresh()
{
    processor.setStateInformation (freshState.getData(), static_cast<int> (freshState.getSize()));
}

World& world()
{
    // Lives until the process ends: fuzzers stop by exiting, and JUCE's
    // runtime is never torn down before it.
    static World* instance = new World();
    return *instance;
}

Outcome checkParameters (MassDelayAudioProcessor& proc, const char* when)
{
    auto& state = proc.getValueTreeState();
    for (const auto& def : params::table)
    {
        const auto id = juce::String (def.id.data(), def.id.size());
        const float raw = state.getRawParameterValue (id)->load();
        if (! std::isfinite (raw) || raw < def.min || raw > def.max)
            return (juce::String ("parameter ") + id + " is " + juce::String (raw, 9) + " " + when + ", outside "
                    + juce::String (def.min) + ".." + juce::String (def.max))
                .toStdString();

        const float normalised = state.getParameter (id)->getValue();
        if (! std::isfinite (normalised) || normalised < 0.0f || normalised > 1.0f)
            return (juce::String ("parameter ") + id + " has the normalised value " + juce::String (normalised, 9) + " "
                    + when)
                .toStdString();
    }

    const int taps = proc.getRequestedTapCount();
    if (taps < 1 || taps > 300)
        return "the requested tap count is " + std::to_string (taps) + " " + when;
    return {};
}

Outcome processAndCheck (MassDelayAudioProcessor& proc, const char* when)
{
    juce::AudioBuffer<float> buffer (2, World::blockSize);
    juce::Random rng (7);
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < World::blockSize; ++i)
            buffer.setSample (c, i, rng.nextFloat() * 2.0f - 1.0f);

    juce::MidiBuffer midi;
    proc.processBlock (buffer, midi);

    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < World::blockSize; ++i)
            if (! std::isfinite (buffer.getSample (c, i)))
                return std::string ("the output is not finite ") + when;

    const auto taps = proc.getTapSnapshot();
    if (taps.count < 0 || taps.count > TapSet::maxTaps)
        return "the tap set has " + std::to_string (taps.count) + " taps " + when;
    for (int i = 0; i < taps.count; ++i)
    {
        const auto& t = taps.taps[static_cast<std::size_t> (i)];
        if (! std::isfinite (t.timeMs) || t.timeMs < 0.0f || t.timeMs > 15000.0f || ! std::isfinite (t.gain)
            || t.gain < 0.0f || t.gain > 1.8f || ! std::isfinite (t.waveDiff))
            return "tap " + std::to_string (i) + " is out of bounds " + when;
    }
    return {};
}

SavedValues savedValues (MassDelayAudioProcessor& proc)
{
    SavedValues v;
    for (const auto* p : proc.getParameters())
        v.values.push_back (p->getValue());
    v.seeds[0] = proc.getTremLfoSeed();
    v.seeds[1] = proc.getWaveLfoSeed();
    v.seeds[2] = proc.getPitchLfoSeed();
    return v;
}

juce::String describeDifference (const SavedValues& a, const SavedValues& b)
{
    for (std::size_t i = 0; i < a.values.size() && i < b.values.size(); ++i)
        if (a.values[i] != b.values[i])
            return juce::String (params::table[i].id.data(), params::table[i].id.size()) + " was "
                   + juce::String (a.values[i], 9) + ", became " + juce::String (b.values[i], 9);
    for (int i = 0; i < 3; ++i)
        if (a.seeds[i] != b.seeds[i])
            return "seed " + juce::String (i) + " was " + juce::String (a.seeds[i]) + ", became "
                   + juce::String (b.seeds[i]);
    return "nothing";
}

juce::String quote (const juce::String& text)
{
    auto shown = text.substring (0, 80).replace ("\r", "\\r").replace ("\n", "\\n");
    return "'" + shown + (text.length() > 80 ? "...'" : "'");
}
} // namespace fuzzing
