// twist-render: runs audio files (or a built-in demo phrase) through the
// Twist Delay plug-in's own processor, offline, and reports its taps.
// `twist-render --help` tells how.

#include "CommandLine.h"
#include "RenderJob.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <cstring>
#include <iostream>

int main (int argc, char* argv[])
{
    // Arguments are bytes; only valid UTF-8 becomes text (a broken sequence
    // would be read past its end by every string operation after it).
    juce::StringArray args;
    for (int i = 1; i < argc; ++i)
    {
        if (! juce::CharPointer_UTF8::isValidString (argv[i], static_cast<int> (std::strlen (argv[i]))))
        {
            std::cerr << "twist-render: error: argument " << i << " is not valid UTF-8\n";
            return 2;
        }
        args.add (juce::String::fromUTF8 (argv[i]));
    }

    RenderOptions options;
    const auto parsed = commandline::parse (args, options);
    if (parsed.failed())
    {
        std::cerr << "twist-render: error: " << parsed.getErrorMessage() << "\n"
                  << "usage: twist-render [options] [INPUT] OUTPUT   (--help for more)\n";
        return 2;
    }
    if (options.help)
    {
        std::cout << commandline::usage();
        return 0;
    }

    // The processor's parameter state and the plot's fonts want JUCE's
    // runtime; none of it opens a display.
    juce::ScopedJuceInitialiser_GUI juceRuntime;
    return RenderJob (options).run();
}
