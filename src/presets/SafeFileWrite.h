#pragma once

#include <juce_core/juce_core.h>

namespace presets
{
// Writes text as UTF-8 without a byte-order mark and with CR LF line endings,
// replacing the file in one step: the text goes into a hidden temporary file
// beside the target, which is renamed over the target only once every byte
// has been written. A failed write leaves the previous file untouched and no
// temporary file behind. Returns false on any failure.
bool replaceFileWithText (const juce::File& target, const juce::String& text);
} // namespace presets
