#include "presets/SafeFileWrite.h"

namespace presets
{
FileReplacement::FileReplacement (const juce::File& t)
    : target (t)
{
}

FileReplacement::~FileReplacement() = default;

juce::Result FileReplacement::write (const std::function<bool (const juce::File&)>& writeContent)
{
    if (target == juce::File() || target.isDirectory())
        return juce::Result::fail ("cannot write " + target.getFullPathName() + ": it is a folder");

    const auto prefix = "." + target.getFileName() + "-" + juce::String::toHexString (juce::Random().nextInt()) + "-";
    const auto tempFile = target.getParentDirectory().getNonexistentChildFile (prefix, ".tmp", false);

    // The temporary file is deleted by its destructor unless it replaced the target.
    temp = std::make_unique<juce::TemporaryFile> (target, tempFile);
    written = writeContent (temp->getFile());
    if (! written)
    {
        temp.reset();
        return juce::Result::fail ("cannot write " + target.getFullPathName());
    }
    return juce::Result::ok();
}

juce::Result FileReplacement::commit()
{
    if (temp == nullptr || ! written)
        return juce::Result::fail ("cannot write " + target.getFullPathName());
    const bool replaced = temp->overwriteTargetFileWithTemporary();
    temp.reset();
    written = false;
    if (! replaced)
        return juce::Result::fail ("cannot replace " + target.getFullPathName());
    return juce::Result::ok();
}

juce::Result replaceFileWith (const juce::File& target, const std::function<bool (const juce::File&)>& write)
{
    FileReplacement replacement (target);
    const auto result = replacement.write (write);
    return result.failed() ? result : replacement.commit();
}

bool replaceFileWithText (const juce::File& target, const juce::String& text)
{
    juce::MemoryOutputStream bytes;
    if (! bytes.writeText (text, false, false, "\r\n"))
        return false;

    return replaceFileWith (target,
                            [&bytes] (const juce::File& file) {
                                {
                                    juce::FileOutputStream out (file);
                                    if (! out.openedOk() || ! out.write (bytes.getData(), bytes.getDataSize()))
                                        return false;
                                    out.flush();
                                    if (out.getStatus().failed())
                                        return false;
                                }
                                // A short write is not reported as an error by the stream.
                                return file.getSize() == static_cast<juce::int64> (bytes.getDataSize());
                            })
        .wasOk();
}
} // namespace presets
