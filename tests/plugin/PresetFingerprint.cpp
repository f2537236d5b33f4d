#include "PresetFingerprint.h"

#include "plugin/PluginProcessor.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iomanip>
#include <sstream>

namespace testsupport
{
namespace
{
class FixedPlayHead : public juce::AudioPlayHead
{
public:
    double ppq = 0.0;

    juce::Optional<PositionInfo> getPosition() const override
    {
        PositionInfo info;
        info.setBpm (120.0);
        info.setPpqPosition (ppq);
        info.setIsPlaying (true);
        return info;
    }
};

// Plucked notes, a noise burst and a click, different on the two sides, in
// the first three seconds; silence after, so the rest is echoes and tails.
juce::AudioBuffer<float> testPhrase (int totalSamples)
{
    constexpr double sr = Fingerprint::sampleRate;
    constexpr double twoPi = 6.283185307179586;
    juce::AudioBuffer<float> phrase (2, totalSamples);
    phrase.clear();

    const double freqs[] = { 220.0, 277.18, 329.63, 440.0, 164.81 };
    const double starts[] = { 0.0, 0.37, 0.81, 1.30, 2.05 };
    for (int n = 0; n < 5; ++n)
    {
        const int first = static_cast<int> (starts[n] * sr);
        for (int i = 0; i < static_cast<int> (0.6 * sr) && first + i < totalSamples; ++i)
        {
            const double t = i / sr;
            const double env = std::exp (-t / 0.09) * std::min (1.0, t / 0.002);
            const double v = env * (std::sin (twoPi * freqs[n] * t) + 0.3 * std::sin (2.0 * twoPi * freqs[n] * t));
            phrase.addSample (0, first + i, static_cast<float> (0.25 * v));
            phrase.addSample (1, first + i, static_cast<float> (0.25 * v * (n % 2 == 0 ? 0.8 : 1.0)));
        }
    }

    // A 60 ms noise burst at 1.6 s (a fixed generator, so the phrase never
    // depends on a library's random numbers) and a one-sample click at 2.6 s.
    std::uint32_t state = 0x12345678u;
    const int burst = static_cast<int> (1.6 * sr);
    for (int i = 0; i < static_cast<int> (0.06 * sr); ++i)
        for (int c = 0; c < 2; ++c)
        {
            state = state * 1664525u + 1013904223u;
            const float white = static_cast<float> (state >> 8) / 8388608.0f - 1.0f;
            phrase.addSample (c, burst + i, 0.12f * white * std::exp (-static_cast<float> (i) / 800.0f));
        }
    phrase.addSample (0, static_cast<int> (2.6 * sr), 0.5f);
    phrase.addSample (1, static_cast<int> (2.6 * sr) + 7, -0.4f);
    return phrase;
}
} // namespace

Fingerprint fingerprintPatch (const presets::Patch& patch)
{
    constexpr int total = static_cast<int> (Fingerprint::renderSeconds * Fingerprint::sampleRate);
    constexpr int window = static_cast<int> (Fingerprint::windowSeconds * Fingerprint::sampleRate);

    FixedPlayHead playHead;
    MassDelayAudioProcessor proc;
    proc.setPlayHead (&playHead);
    proc.applyPatch (patch);
    proc.setLfoSeeds (0x1234ABCDu, 0x5EED0001u, 0x27D4EB2Fu);
    proc.prepareToPlay (Fingerprint::sampleRate, Fingerprint::blockSize);

    auto buffer = testPhrase (total);
    juce::MidiBuffer midi;
    for (int start = 0; start < total; start += Fingerprint::blockSize)
    {
        const int n = std::min (Fingerprint::blockSize, total - start);
        juce::AudioBuffer<float> block (buffer.getArrayOfWritePointers(), 2, start, n);
        proc.processBlock (block, midi);
        playHead.ppq += n / Fingerprint::sampleRate * 2.0;
    }

    Fingerprint fp;
    std::uint64_t h = 14695981039346656037ull; // FNV-1a
    float peak = 0.0f;
    for (int start = 0; start < total; start += window)
    {
        double sum = 0.0;
        const int n = std::min (window, total - start);
        for (int i = start; i < start + n; ++i)
            for (int c = 0; c < 2; ++c)
            {
                const float s = buffer.getSample (c, i);
                std::uint32_t bits = 0;
                std::memcpy (&bits, &s, sizeof bits);
                for (int b = 0; b < 4; ++b)
                {
                    h ^= (bits >> (8 * b)) & 0xffu;
                    h *= 1099511628211ull;
                }
                sum += static_cast<double> (s) * s;
                peak = std::max (peak, std::abs (s));
            }
        const double rms = std::sqrt (sum / (2.0 * n));
        fp.envelopeDb.push_back (rms > 1e-10 ? static_cast<float> (20.0 * std::log10 (rms)) : -200.0f);
    }
    fp.hash = h;
    fp.peakDb = peak > 1e-10f ? 20.0f * std::log10 (peak) : -200.0f;
    return fp;
}

std::string formatFingerprintLine (const std::string& id, const Fingerprint& fp)
{
    std::ostringstream out;
    out << id << '\t' << std::hex << std::setw (16) << std::setfill ('0') << fp.hash << std::dec << '\t' << std::fixed
        << std::setprecision (2) << fp.peakDb << '\t';
    for (std::size_t i = 0; i < fp.envelopeDb.size(); ++i)
        out << (i == 0 ? "" : " ") << fp.envelopeDb[i];
    return out.str();
}

std::map<std::string, Fingerprint> readFingerprintFile (const std::string& path)
{
    std::map<std::string, Fingerprint> out;
    std::ifstream in (path);
    std::string line;
    while (std::getline (in, line))
    {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields (line);
        std::string id, hash, peak, envelope;
        if (! std::getline (fields, id, '\t') || ! std::getline (fields, hash, '\t')
            || ! std::getline (fields, peak, '\t') || ! std::getline (fields, envelope))
            continue;
        Fingerprint fp;
        fp.hash = std::stoull (hash, nullptr, 16);
        fp.peakDb = std::stof (peak);
        std::istringstream values (envelope);
        for (float v = 0.0f; values >> v;)
            fp.envelopeDb.push_back (v);
        out[id] = fp;
    }
    return out;
}

std::string describeDifference (const Fingerprint& stored, const Fingerprint& now)
{
    float worst = 0.0f;
    std::size_t where = 0;
    const auto n = std::min (stored.envelopeDb.size(), now.envelopeDb.size());
    for (std::size_t i = 0; i < n; ++i)
    {
        const float d = std::abs (stored.envelopeDb[i] - now.envelopeDb[i]);
        if (d > worst)
        {
            worst = d;
            where = i;
        }
    }
    std::ostringstream out;
    out << std::fixed << std::setprecision (2) << "level envelope moved by up to " << worst << " dB (at "
        << where * Fingerprint::windowSeconds << " s: " << (n > 0 ? stored.envelopeDb[where] : 0.0f) << " -> "
        << (n > 0 ? now.envelopeDb[where] : 0.0f) << " dB), peak " << stored.peakDb << " -> " << now.peakDb << " dBFS";
    return out.str();
}

const presets::PresetLibrary& factoryBank()
{
    static const presets::PresetLibrary library = [] {
        presets::PresetLibrary l;
        l.loadFactoryFromBinaryData();
        return l;
    }();
    return library;
}
} // namespace testsupport
