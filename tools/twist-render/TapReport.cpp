#include "TapReport.h"

#include <cmath>
#include <limits>

namespace tapreport
{
double gainDb (float gain)
{
    return gain > 0.0f ? 20.0 * std::log10 (static_cast<double> (gain)) : -std::numeric_limits<double>::infinity();
}

juce::String table (const TapSet& taps)
{
    juce::String text;
    text << "  tap    time ms    gain dB   wave diff\n";
    for (int i = 0; i < taps.count; ++i)
    {
        const auto& tap = taps.taps[static_cast<std::size_t> (i)];
        const double db = gainDb (tap.gain);
        text << juce::String (i + 1).paddedLeft (' ', 5)
             << juce::String (static_cast<double> (tap.timeMs), 2).paddedLeft (' ', 11)
             << (std::isfinite (db) ? juce::String (db, 2) : juce::String ("-inf")).paddedLeft (' ', 11)
             << juce::String (static_cast<double> (tap.waveDiff), 4).paddedLeft (' ', 12) << "\n";
    }
    return text;
}

juce::var toJson (const TapSet& taps, double sampleRate, double bpm)
{
    juce::Array<juce::var> list;
    for (int i = 0; i < taps.count; ++i)
    {
        const auto& tap = taps.taps[static_cast<std::size_t> (i)];
        juce::DynamicObject::Ptr entry = new juce::DynamicObject();
        const double db = gainDb (tap.gain);
        entry->setProperty ("index", i + 1);
        entry->setProperty ("timeMs", static_cast<double> (tap.timeMs));
        entry->setProperty ("gain", static_cast<double> (tap.gain));
        entry->setProperty ("gainDb", std::isfinite (db) ? juce::var (db) : juce::var());
        entry->setProperty ("waveDiff", static_cast<double> (tap.waveDiff));
        list.add (juce::var (entry.get()));
    }

    juce::DynamicObject::Ptr root = new juce::DynamicObject();
    root->setProperty ("count", taps.count);
    root->setProperty ("sampleRate", sampleRate);
    root->setProperty ("bpm", bpm);
    root->setProperty ("taps", list);
    return juce::var (root.get());
}
} // namespace tapreport
