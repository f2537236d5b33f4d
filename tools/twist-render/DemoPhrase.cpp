#include "DemoPhrase.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace
{
constexpr double twoPi = 6.283185307179586;

enum class Sound
{
    Pluck,
    Drum,
    Snare,
    Click
};

struct Event
{
    double startSeconds;
    Sound sound;
    double frequency; // plucks and drums
    float pan;        // -1 left .. 1 right
    float level;
};

// Two short figures and two hits, then a pause, then a shorter figure and a
// click: long enough gaps to hear every echo, short enough to stay a phrase.
// clang-format off
constexpr Event events[] = {
    { 0.00, Sound::Pluck, 220.00, -0.3f, 0.9f },  // A3
    { 0.25, Sound::Pluck, 329.63, 0.3f, 0.8f },   // E4
    { 0.50, Sound::Pluck, 440.00, 0.0f, 0.8f },   // A4
    { 1.50, Sound::Drum, 110.0, 0.0f, 1.0f },
    { 1.75, Sound::Snare, 0.0, 0.2f, 0.7f },
    { 3.00, Sound::Pluck, 392.00, -0.4f, 0.8f },  // G4
    { 3.12, Sound::Pluck, 523.25, 0.4f, 0.7f },   // C5
    { 4.00, Sound::Click, 0.0, 0.0f, 0.8f },
};
// clang-format on

// Karplus-Strong string: a burst of noise circulating in a delay line of one
// period, averaged on every pass, so the bright attack dies into a tone.
std::vector<float> pluck (double frequency, double sr, juce::Random& rng)
{
    const auto period = static_cast<std::size_t> (std::lround (sr / frequency));
    const auto length = static_cast<std::size_t> (0.7 * sr);
    std::vector<float> line (period);
    for (auto& x : line)
        x = rng.nextFloat() * 2.0f - 1.0f;

    std::vector<float> out (length);
    std::size_t pos = 0;
    for (std::size_t i = 0; i < length; ++i)
    {
        const std::size_t next = (pos + 1) % period;
        const float y = line[pos];
        line[pos] = 0.996f * 0.5f * (y + line[next]);
        pos = next;
        // A short fade at the end keeps the silence after the note clean.
        const auto left = static_cast<double> (length - i) / sr;
        out[i] = y * static_cast<float> (std::min (1.0, left / 0.08));
    }
    return out;
}

// A tuned drum: a sine whose pitch falls from twice the tone to the tone.
std::vector<float> drum (double frequency, double sr)
{
    const auto length = static_cast<std::size_t> (0.45 * sr);
    std::vector<float> out (length);
    double phase = 0.0;
    for (std::size_t i = 0; i < length; ++i)
    {
        const double t = static_cast<double> (i) / sr;
        const double f = frequency * (1.0 + std::exp (-t / 0.03));
        phase += twoPi * f / sr;
        out[i] = static_cast<float> (std::sin (phase) * std::exp (-t / 0.09));
    }
    return out;
}

// A snare-like hit: noise through a one-pole high-pass with a fast decay,
// plus a short body tone.
std::vector<float> snare (double sr, juce::Random& rng)
{
    const auto length = static_cast<std::size_t> (0.3 * sr);
    std::vector<float> out (length);
    float previousIn = 0.0f;
    float previousOut = 0.0f;
    for (std::size_t i = 0; i < length; ++i)
    {
        const double t = static_cast<double> (i) / sr;
        const float noise = rng.nextFloat() * 2.0f - 1.0f;
        previousOut = 0.85f * (previousOut + noise - previousIn);
        previousIn = noise;
        const auto body = std::sin (twoPi * 190.0 * t) * std::exp (-t / 0.04);
        out[i] = static_cast<float> (0.7 * previousOut * std::exp (-t / 0.06) + 0.5 * body);
    }
    return out;
}

// A click: two milliseconds of a decaying high tone.
std::vector<float> click (double sr)
{
    const auto length = static_cast<std::size_t> (0.02 * sr);
    std::vector<float> out (length);
    for (std::size_t i = 0; i < length; ++i)
    {
        const double t = static_cast<double> (i) / sr;
        out[i] = static_cast<float> (std::sin (twoPi * 2400.0 * t) * std::exp (-t / 0.002));
    }
    return out;
}
} // namespace

juce::AudioBuffer<float> DemoPhrase::render()
{
    const auto length = static_cast<int> (lengthSeconds * sampleRate);
    juce::AudioBuffer<float> buffer (numChannels, length);
    buffer.clear();

    juce::Random rng (0x7157); // fixed: the phrase is the same on every run
    for (const auto& e : events)
    {
        std::vector<float> sound;
        switch (e.sound)
        {
            case Sound::Pluck:
                sound = pluck (e.frequency, sampleRate, rng);
                break;
            case Sound::Drum:
                sound = drum (e.frequency, sampleRate);
                break;
            case Sound::Snare:
                sound = snare (sampleRate, rng);
                break;
            case Sound::Click:
                sound = click (sampleRate);
                break;
        }

        // Constant-power pan.
        const double angle = (static_cast<double> (e.pan) + 1.0) * 0.25 * juce::MathConstants<double>::pi;
        const float gains[] = { e.level * static_cast<float> (std::cos (angle)),
                                e.level * static_cast<float> (std::sin (angle)) };
        const auto start = static_cast<int> (std::lround (e.startSeconds * sampleRate));
        const int count = juce::jmin (static_cast<int> (sound.size()), length - start);
        for (int ch = 0; ch < numChannels; ++ch)
            for (int i = 0; i < count; ++i)
                buffer.addSample (ch, start + i, sound[static_cast<std::size_t> (i)] * gains[ch]);
    }

    const float peak = buffer.getMagnitude (0, length);
    if (peak > 0.0f)
        buffer.applyGain (0.5f / peak); // -6 dBFS
    return buffer;
}
