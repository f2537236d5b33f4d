#pragma once

#include <juce_core/juce_core.h>

// A one-line progress bar on stderr, redrawn in place. It appears only when
// stderr is a terminal and the render has already taken longer than a
// moment, so quick renders and redirected runs print nothing.
class ProgressBar
{
public:
    ProgressBar (bool enabled, double sampleRate);
    ~ProgressBar();

    // Samples done and the total expected so far.
    void update (juce::int64 done, juce::int64 total);

    // Clears the line, if anything was drawn.
    void finish();

    static bool stderrIsTerminal();

    // How long a render runs before the bar appears, and between redraws.
    static constexpr double delaySeconds = 0.4;
    static constexpr double redrawSeconds = 0.1;

private:
    void draw (juce::int64 done, juce::int64 total);

    bool enabled;
    double sampleRate;
    double started;
    double lastDrawn = 0.0;
    bool drawn = false;
};
