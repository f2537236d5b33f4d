#include "ProgressBar.h"

#include <cstdio>
#include <unistd.h>

namespace
{
double now()
{
    return juce::Time::getMillisecondCounterHiRes() / 1000.0;
}
} // namespace

ProgressBar::ProgressBar (bool shouldShow, double rate)
    : enabled (shouldShow)
    , sampleRate (rate)
    , started (now())
{
}

ProgressBar::~ProgressBar()
{
    finish();
}

bool ProgressBar::stderrIsTerminal()
{
    return isatty (STDERR_FILENO) != 0;
}

void ProgressBar::update (juce::int64 done, juce::int64 total)
{
    if (! enabled)
        return;
    const double t = now();
    if (t - started < delaySeconds || t - lastDrawn < redrawSeconds)
        return;
    lastDrawn = t;
    draw (done, total);
}

void ProgressBar::draw (juce::int64 done, juce::int64 total)
{
    constexpr int width = 30;
    const double fraction =
        juce::jlimit (0.0, 1.0, static_cast<double> (done) / static_cast<double> (juce::jmax<juce::int64> (1, total)));
    const int filled = juce::roundToInt (fraction * width);

    juce::String line ("\rrendering [");
    line << juce::String::repeatedString ("#", filled) << juce::String::repeatedString ("-", width - filled) << "] "
         << juce::String (juce::roundToInt (fraction * 100.0)).paddedLeft (' ', 3) << "%  "
         << juce::String (static_cast<double> (done) / sampleRate, 1) << " s";
    std::fputs (line.toRawUTF8(), stderr);
    std::fflush (stderr);
    drawn = true;
}

void ProgressBar::finish()
{
    if (! drawn)
        return;
    std::fputs ("\r\033[K", stderr);
    std::fflush (stderr);
    drawn = false;
}
