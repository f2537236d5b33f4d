#pragma once

#include "presets/PresetLibrary.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace testsupport
{
// What a factory preset sounds like, in a form that can be stored: a hash of
// every output sample's bits, so any change at all shows, and a coarse level
// envelope and peak, so a failure can say how far the sound moved.
struct Fingerprint
{
    std::uint64_t hash = 0;
    float peakDb = -200.0f;
    std::vector<float> envelopeDb; // RMS of both channels per window

    static constexpr double sampleRate = 48000.0;
    static constexpr int blockSize = 512;
    static constexpr double renderSeconds = 10.0;
    static constexpr double windowSeconds = 0.25;
};

// Renders the fixed test phrase through the patch: 48 kHz stereo, blocks of
// 512, a transport playing at 120 BPM from the start, fixed LFO seeds.
Fingerprint fingerprintPatch (const presets::Patch& patch);

// One line per patch: id, hash, peak and envelope, tab-separated.
std::string formatFingerprintLine (const std::string& id, const Fingerprint& fp);

// Every line of a stored fingerprint file by patch id; empty when the file
// is missing or unreadable.
std::map<std::string, Fingerprint> readFingerprintFile (const std::string& path);

// A sentence on how far b moved from a (largest envelope difference in dB
// and where, peak difference).
std::string describeDifference (const Fingerprint& stored, const Fingerprint& now);

// The embedded factory bank, loaded once.
const presets::PresetLibrary& factoryBank();
} // namespace testsupport
