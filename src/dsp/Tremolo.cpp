#include "dsp/Tremolo.h"

#include "dsp/NoteGrid.h"

#include <algorithm>
#include <cmath>

namespace dsp
{
namespace
{
bool usableSampleRate (float sr) noexcept
{
    return std::isfinite (sr) && sr > 0.0f;
}

// Fractional part mapped into [0, 1).
double fracPositive (double x) noexcept
{
    double f = x - std::trunc (x);
    if (f < 0.0)
        f += 1.0;
    return f;
}

// Wraps a phase for the waveform evaluation.
float wrapPhase (float p) noexcept
{
    if (p >= 1.0f)
        p -= std::floor (p);
    if (p < 0.0f)
        p += std::floor (-p) + 1.0f;
    return p;
}
} // namespace

void Tremolo::prepare (float newSampleRate) noexcept
{
    if (usableSampleRate (newSampleRate))
        sampleRate = newSampleRate;
    reset();
}

void Tremolo::reset() noexcept
{
    phase = 0.0f;
    cycles.reset();
    gainL = 1.0f;
    gainR = 1.0f;
    primed = false;
}

void Tremolo::setRate (float hz) noexcept
{
    if (std::isfinite (hz))
        rate = std::max (hz, 0.0f);
}

void Tremolo::setDepth (float percent) noexcept
{
    if (! std::isnan (percent))
        depth = std::clamp (percent / 100.0f, 0.0f, 1.0f);
}

void Tremolo::setShape (int newShape) noexcept
{
    shape = std::clamp (newShape, 0, 6);
}

void Tremolo::setPhaseOffset (float degrees) noexcept
{
    if (std::isfinite (degrees))
        phaseOffset = degrees / -360.0f;
}

void Tremolo::setLROffset (float degrees) noexcept
{
    if (std::isfinite (degrees))
        lrOffset = degrees / -360.0f;
}

void Tremolo::setSync (bool on, double newPpq, double newBpm, int newNoteIndex, float offsetBeats,
                       float newSampleRate) noexcept
{
    sync = on && std::isfinite (newPpq) && std::isfinite (newBpm);
    ppq = std::isfinite (newPpq) ? newPpq : 0.0;
    bpm = std::isfinite (newBpm) ? newBpm : 120.0;
    noteIndex = NoteGrid::clampIndex (newNoteIndex);
    syncOffsetBeats = std::isfinite (offsetBeats) ? offsetBeats : 0.0f;
    if (usableSampleRate (newSampleRate))
        sampleRate = newSampleRate;
}

void Tremolo::setPosition (std::int64_t wholeCycles, float newPhase) noexcept
{
    if (! std::isfinite (newPhase))
        return;
    phase = static_cast<float> (fracPositive (newPhase));
    cycles.whole = std::max<std::int64_t> (wholeCycles, 0);
    cycles.fraction = phase;
}

void Tremolo::processStereo (float* left, float* right, int n) noexcept
{
    if (! (depth > 0.0f) || n <= 0)
        return;

    const float a = std::exp (-1.0f / (0.001f * sampleRate));
    // One wrap per sample is all advancePhase does, so the step stays below a cycle.
    const float freeRate = std::min (rate, 0.5f * sampleRate);
    const double cycleStep = static_cast<double> (freeRate / sampleRate);
    const bool randomShape = isRandomShape (shape);
    const float peak = LFO::peakPhase (shape);
    const double noteLength = NoteGrid::beatMultipliers[noteIndex];
    const double sr = sampleRate;
    std::uint32_t seedRef = seed;

    // The running state lives in locals for the loop, so that the calls in
    // it do not force it through memory.
    float gL = gainL, gR = gainR;
    float ph = phase;
    CycleCounter cyc = cycles;
    bool settled = primed;

    for (int i = 0; i < n; ++i)
    {
        float vL = 0.0f;
        float vR = 0.0f;

        if (sync)
        {
            const double beats = bpm / 60.0 * i / sr + ppq;
            if (randomShape)
            {
                vL = vR = randomShapeValue (seed, shape, (beats - 4.0 * std::floor (beats / 4.0)) / noteLength);
            }
            else
            {
                const double x = fracPositive ((beats - static_cast<double> (syncOffsetBeats)) / noteLength);
                const float base = static_cast<float> (fracPositive (static_cast<double> (peak) + x));
                vL = LFO::value (wrapPhase (base), shape, seedRef);
                vR = LFO::value (wrapPhase (base + lrOffset), shape, seedRef);
            }
        }
        else if (randomShape)
        {
            vL = vR = cyc.value (seed, shape);
        }
        else
        {
            const float base = ph + phaseOffset;
            vL = LFO::value (wrapPhase (base), shape, seedRef);
            vR = LFO::value (wrapPhase (base + lrOffset), shape, seedRef);
        }

        const float tL = 1.0f - (1.0f - (0.5f * vL + 0.5f)) * depth;
        const float tR = 1.0f - (1.0f - (0.5f * vR + 0.5f)) * depth;

        if (settled)
        {
            gL += (tL - gL) * (1.0f - a);
            gR += (tR - gR) * (1.0f - a);
        }
        else
        {
            gL = tL;
            gR = tR;
            settled = true;
        }

        left[i] *= gL;
        right[i] *= gR;

        if (! sync)
        {
            cyc.advance (cycleStep);
            ph = LFO::advancePhase (ph, freeRate, sampleRate);
        }
    }

    gainL = gL;
    gainR = gR;
    phase = ph;
    cycles = cyc;
    primed = settled;
}
} // namespace dsp
