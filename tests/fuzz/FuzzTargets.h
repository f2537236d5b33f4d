#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fuzzing
{
// What one input broke, in words; empty when every check held.
using Outcome = std::string;
using Body = Outcome (*) (const std::uint8_t* data, std::size_t size);

struct Target
{
    const char* name; // also the name of its corpus folder
    Body body;
};

// The bodies. Each takes any bytes, feeds them to the code that reads them
// from outside, runs what follows in the product (a block processed, a state
// saved again, a file written back) and checks what must always hold.
Outcome stateBlob (const std::uint8_t* data, std::size_t size);
Outcome presetFile (const std::uint8_t* data, std::size_t size);
Outcome settingsFile (const std::uint8_t* data, std::size_t size);
Outcome favoritesFile (const std::uint8_t* data, std::size_t size);
Outcome sliderText (const std::uint8_t* data, std::size_t size);
Outcome parameterText (const std::uint8_t* data, std::size_t size);
Outcome renderCommandLine (const std::uint8_t* data, std::size_t size);

const std::vector<Target>& targets();
const Target* findTarget (const std::string& name);

// Points the program's folder (settings file, default preset folder) at a
// temporary folder of this process and makes new processors start from the
// parameter defaults. Call once, with JUCE's runtime alive, before any body.
void setUpSandbox();
} // namespace fuzzing
