#pragma once

// Constants the signal path shares: one definition each.
namespace dsp
{
inline constexpr double pi = 3.14159265358979323846;
inline constexpr double twoPi = 2.0 * pi;

// The delay line holds this much audio; no echo reaches further back.
inline constexpr double lineSeconds = 15.0;
inline constexpr float lineMs = 15000.0f;

// Reverse, Tap Flip and a whole-patch change fade the wet signal out and in
// again over this time each way.
inline constexpr double snapFadeSeconds = 0.004;

// Tap gains, crossfades between delays, the dry/wet mix, the master gain and
// effect stages switched in or out move by at most a full swing in this time.
inline constexpr double rampSeconds = 0.010;
} // namespace dsp
