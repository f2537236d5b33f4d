#pragma once

#include <juce_core/juce_core.h>

#include <functional>

namespace presets
{
// Replaces a file in one step: `write` fills a hidden temporary file beside
// the target (its name never ends in the target's extension, so a folder scan
// never picks it up, even after a crash), which is renamed over the target
// only when `write` succeeded. On any failure the previous file is untouched
// and no temporary file is left behind. The result's message names the step
// that failed.
juce::Result replaceFileWith (const juce::File& target, const std::function<bool (const juce::File&)>& write);

// Writes text as UTF-8 without a byte-order mark and with CR LF line endings,
// through replaceFileWith. Returns false on any failure, a short write (a full
// disk, a file-size limit) included.
bool replaceFileWithText (const juce::File& target, const juce::String& text);
} // namespace presets
