#pragma once

namespace presets
{
// Whether the bytes are UTF-8 as the standard has it: no overlong forms, no
// surrogates, nothing above U+10FFFF. JUCE's own check lets the first two
// through, and text read from them can be written back as bytes that are no
// UTF-8 at all (a state restored from such text saved one that no longer
// restored).
bool isStrictUtf8 (const char* text, int length);
} // namespace presets
