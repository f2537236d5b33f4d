#pragma once

#include <juce_core/juce_core.h>

#include <functional>
#include <memory>

namespace presets
{
// One file replaced in two steps, for callers that write several files and
// want all of them or none: write() fills a hidden temporary file beside the
// target (its name never ends in the target's extension, so a folder scan
// never picks it up, even after a crash); commit() renames it over the
// target. Destroyed without a successful commit(), it deletes the temporary
// file and leaves the target untouched. The target is the file itself: a
// symbolic link named as the target is replaced, not followed.
class FileReplacement
{
public:
    explicit FileReplacement (const juce::File& target);
    ~FileReplacement();

    // Calls `write` with the temporary file. The result's message names the
    // step that failed.
    juce::Result write (const std::function<bool (const juce::File&)>& write);

    // Renames the written temporary file over the target.
    juce::Result commit();

    const juce::File& getTarget() const noexcept { return target; }

private:
    juce::File target;
    std::unique_ptr<juce::TemporaryFile> temp;
    bool written = false;
};

// Replaces a file in one step: write() and commit() of a FileReplacement. On
// any failure the previous file is untouched and no temporary file is left
// behind.
juce::Result replaceFileWith (const juce::File& target, const std::function<bool (const juce::File&)>& write);

// Writes text as UTF-8 without a byte-order mark and with CR LF line endings,
// through replaceFileWith. Returns false on any failure, a short write (a full
// disk, a file-size limit) included.
bool replaceFileWithText (const juce::File& target, const juce::String& text);
} // namespace presets
