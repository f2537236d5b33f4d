#include "presets/SafeFileWrite.h"

namespace presets
{
bool replaceFileWithText (const juce::File& target, const juce::String& text)
{
    if (target == juce::File() || target.isDirectory())
        return false;

    // A hidden sibling whose name does not end in the target's extension, so
    // a scan for preset files never picks it up, even after a crash.
    const auto prefix = "." + target.getFileName() + "-" + juce::String::toHexString (juce::Random().nextInt()) + "-";
    const auto tempFile = target.getParentDirectory().getNonexistentChildFile (prefix, ".tmp", false);

    juce::MemoryOutputStream bytes;
    if (! bytes.writeText (text, false, false, "\r\n"))
        return false;

    juce::TemporaryFile temp (target, tempFile);
    {
        juce::FileOutputStream out (temp.getFile());
        if (! out.openedOk())
            return false;

        if (! out.write (bytes.getData(), bytes.getDataSize()))
            return false;

        out.flush();
        if (out.getStatus().failed())
            return false;
    }

    // A short write (a full disk, a file-size limit) is not reported as an
    // error by the stream, so the size is checked before the file is used.
    if (temp.getFile().getSize() != static_cast<juce::int64> (bytes.getDataSize()))
        return false;

    // The temporary file is deleted by its destructor if the rename fails.
    return temp.overwriteTargetFileWithTemporary();
}
} // namespace presets
