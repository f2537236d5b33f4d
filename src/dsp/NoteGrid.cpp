#include "dsp/NoteGrid.h"

#include <algorithm>
#include <cmath>

namespace
{
// Ties keep the earlier (longer) division: a later candidate wins only when
// strictly nearer.
template <typename CandidateFn>
int nearestByLog (float value, CandidateFn candidate)
{
    const float x = std::log (std::max (value, 0.0001f));
    int best = 0;
    float bestDistance = std::min (std::fabs (x - candidate (0)), 1.0e9f);

    for (int i = 1; i < NoteGrid::numDivisions; ++i)
    {
        const float distance = std::fabs (x - candidate (i));
        if (distance < bestDistance)
        {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}
} // namespace

int NoteGrid::nearestDivisionByHz (float hz, float bpm)
{
    return nearestByLog (hz, [bpm] (int i) { return std::log ((bpm / 60.0f) / beatMultipliers[i]); });
}

int NoteGrid::nearestDivisionByMs (float ms, float bpm)
{
    return nearestByLog (ms, [bpm] (int i) { return std::log (60000.0f / bpm * beatMultipliers[i]); });
}
