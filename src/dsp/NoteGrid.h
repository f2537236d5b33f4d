#pragma once

// The 13 tempo divisions every synced quantity chooses from, indexed from the
// longest (16 beats) to the shortest (1/32 beat).
struct NoteGrid
{
    static constexpr int numDivisions = 13;

    static constexpr const char* labels[numDivisions] = { "4b",  "2b",    "1b",   "1/2",  "1/4T", "1/4",  "1/8T",
                                                          "1/8", "1/16T", "1/16", "1/32", "1/64", "1/128" };

    // Lengths in beats (quarter notes).
    static constexpr float beatMultipliers[numDivisions] = { 16.0f,  8.0f,        4.0f,    2.0f,        4.0f / 3.0f,
                                                             1.0f,   2.0f / 3.0f, 0.5f,    1.0f / 3.0f, 0.25f,
                                                             0.125f, 0.0625f,     0.03125f };

    // Index of the division whose rate (Hz) at bpm is nearest to hz, by ratio.
    static int nearestDivisionByHz (float hz, float bpm);

    // Index of the division whose period (ms) at bpm is nearest to ms, by ratio.
    static int nearestDivisionByMs (float ms, float bpm);

    static constexpr int clampIndex (int index)
    {
        return index < 0 ? 0 : (index >= numDivisions ? numDivisions - 1 : index);
    }
};
