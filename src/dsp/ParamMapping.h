#pragma once

// Mappings from raw parameter values (control positions) to the physical
// units the engine works in.
namespace mapping
{
// Free-running tap spacing of a 0..1000 position: 1000 ms at 0.65 of the
// travel, 2000 ms at the end; at least 1 ms; x4 with the 4x switch.
float freeSpacingMs (float raw, bool times4);

// Synced tap spacing: raw 1000 is the longest division, raw 0 the shortest.
int syncedSpacingIndex (float raw);
float syncedSpacingMs (float raw, float bpm);

float spacingMs (float raw, bool tapSync, bool times4, float bpm);

// Decay curve value -140..140 of the -100..300 control.
float decayCurve (float raw);

// Tap window length, 10..14000 ms.
float lengthMs (float raw);

float highPassHz (float raw);  // 20..4000 Hz
float lowPassHz (float raw);   // 500..22000 Hz
float lfoRateHz (float raw);   // 0.15..8 Hz, Wave and tremolo
float pitchRateHz (float raw); // 0, or 0.01..8 Hz

// Tempo-synced LFO rates (Wave, tremolo, pitch) pick their division from
// the rate control: raw 0 the slowest, raw 1000 the fastest.
int syncedRateIndex (float raw);
} // namespace mapping
