#pragma once

// Measurements on rendered test signals: sine generation, RMS, zero-crossing
// times and frequency estimates.

#include <cmath>
#include <cstddef>
#include <vector>

namespace signalprobe
{
constexpr double twoPi = 6.283185307179586;

inline std::vector<float> sine (double hz, double sampleRate, std::size_t n, double amplitude = 1.0)
{
    std::vector<float> out (n);
    for (std::size_t i = 0; i < n; ++i)
        out[i] = static_cast<float> (amplitude * std::sin (twoPi * hz * static_cast<double> (i) / sampleRate));
    return out;
}

inline double rms (const std::vector<float>& x, std::size_t from, std::size_t to)
{
    double sum = 0.0;
    for (std::size_t i = from; i < to; ++i)
        sum += static_cast<double> (x[i]) * static_cast<double> (x[i]);
    return std::sqrt (sum / static_cast<double> (to - from));
}

// Times (in samples, linearly interpolated) of the upward zero crossings in
// [from, to).
inline std::vector<double> upwardCrossings (const std::vector<float>& x, std::size_t from, std::size_t to)
{
    std::vector<double> times;
    for (std::size_t i = from + 1; i < to; ++i)
    {
        const double a = x[i - 1];
        const double b = x[i];
        if (a < 0.0 && b >= 0.0)
            times.push_back (static_cast<double> (i - 1) + a / (a - b));
    }
    return times;
}

// Mean frequency in Hz between the first and the last upward crossing.
inline double meanFrequency (const std::vector<float>& x, std::size_t from, std::size_t to, double sampleRate)
{
    const auto t = upwardCrossings (x, from, to);
    if (t.size() < 2)
        return 0.0;
    return static_cast<double> (t.size() - 1) * sampleRate / (t.back() - t.front());
}

struct FrequencyPoint
{
    double time; // samples
    double hz;
};

// One frequency estimate per cycle, placed between its two crossings.
inline std::vector<FrequencyPoint> frequencyTrack (const std::vector<float>& x, std::size_t from, std::size_t to,
                                                   double sampleRate)
{
    const auto t = upwardCrossings (x, from, to);
    std::vector<FrequencyPoint> track;
    for (std::size_t k = 1; k < t.size(); ++k)
        track.push_back ({ 0.5 * (t[k] + t[k - 1]), sampleRate / (t[k] - t[k - 1]) });
    return track;
}

// Mean of the track's estimates with times in [from, to).
inline double meanOfTrack (const std::vector<FrequencyPoint>& track, double from, double to)
{
    double sum = 0.0;
    int count = 0;
    for (const auto& p : track)
    {
        if (p.time >= from && p.time < to)
        {
            sum += p.hz;
            ++count;
        }
    }
    return count > 0 ? sum / count : 0.0;
}
} // namespace signalprobe
