// twist-render: runs audio files (or a built-in demo phrase) through the
// Twist Delay plug-in's own processor, offline, and reports its taps.
// `twist-render --help` tells how.

#include "CommandLine.h"
#include "RenderJob.h"

#include <juce_gui_basics/juce_gui_basics.h>

int main (int argc, char* argv[])
{
    RenderOptions options;
    if (const auto status = commandline::parse (cli::arguments (argc, argv), options))
        return *status;

    // The processor's parameter state and the plot's fonts want JUCE's
    // runtime; none of it opens a display.
    juce::ScopedJuceInitialiser_GUI juceRuntime;
    return RenderJob (options).run();
}
