// One libFuzzer program per body: TWIST_FUZZ_TARGET names it. A broken check
// prints what broke and aborts, which libFuzzer reports as a crash and keeps
// the input.

#include "FuzzTargets.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// libFuzzer's entry points, which it declares in no header of its own.
extern "C" int LLVMFuzzerInitialize (int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size);

namespace
{
const fuzzing::Target* target = nullptr;
juce::ScopedJuceInitialiser_GUI* juceRuntime = nullptr;
} // namespace

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    // JUCE's runtime stays up until the process exits.
    juceRuntime = new juce::ScopedJuceInitialiser_GUI();
    fuzzing::setUpSandbox();
    target = fuzzing::findTarget (TWIST_FUZZ_TARGET);
    if (target == nullptr)
    {
        std::fprintf (stderr, "no fuzz target named %s\n", TWIST_FUZZ_TARGET);
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    const auto outcome = target->body (data, size);
    if (! outcome.empty())
    {
        std::fprintf (stderr, "\n%s: %s\n", TWIST_FUZZ_TARGET, outcome.c_str());
        std::abort();
    }
    return 0;
}
