#include "OutputBatch.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
juce::String reason (int error)
{
    return juce::String (std::strerror (error)).toLowerCase();
}

// Ignores SIGPIPE while it lives, so a reader that closes its end early is
// an error the program reports (EPIPE) instead of a silent death that would
// leave temporary files behind.
class IgnoreBrokenPipe
{
public:
    IgnoreBrokenPipe()
    {
        struct sigaction ignore
        {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset (&ignore.sa_mask);
        ::sigaction (SIGPIPE, &ignore, &previous);
    }
    ~IgnoreBrokenPipe() { ::sigaction (SIGPIPE, &previous, nullptr); }

private:
    struct sigaction previous
    {};
};
} // namespace

OutputBatch::OutputBatch() = default;

OutputBatch::~OutputBatch()
{
    entries.clear(); // deletes the temporary files that were not delivered
    for (int i = createdFolders.size(); --i >= 0;)
        ::rmdir (createdFolders.getReference (i).getFullPathName().toRawUTF8());
}

juce::Result OutputBatch::createFolder (const juce::File& folder)
{
    if (folder.isDirectory())
        return juce::Result::ok();
    if (const auto parent = folder.getParentDirectory(); parent != folder)
        if (const auto result = createFolder (parent); result.failed())
            return result;
    if (::mkdir (folder.getFullPathName().toRawUTF8(), 0777) != 0 && errno != EEXIST)
        return juce::Result::fail ("cannot create the folder " + folder.getFullPathName() + ": " + reason (errno));
    createdFolders.add (folder);
    return juce::Result::ok();
}

juce::Result OutputBatch::add (const OutputTarget& target, const std::function<bool (const juce::File&)>& write)
{
    Entry entry;
    entry.target = target;

    if (target.kind == OutputTarget::Kind::Stream)
    {
        entry.spool = std::make_unique<juce::TemporaryFile> (".twist-output");
        if (! write (entry.spool->getFile()))
            return juce::Result::fail ("cannot write " + target.describe());
        entries.push_back (std::move (entry));
        return juce::Result::ok();
    }

    if (const auto result = createFolder (target.file.getParentDirectory()); result.failed())
        return result;
    entry.replacement = std::make_unique<presets::FileReplacement> (target.file);
    const int mode = target.existingMode;
    const auto result = entry.replacement->write ([&write, mode] (const juce::File& temp) {
        return write (temp)
               && (mode < 0 || ::chmod (temp.getFullPathName().toRawUTF8(), static_cast<mode_t> (mode)) == 0);
    });
    if (result.failed())
        return result;
    entries.push_back (std::move (entry));
    return juce::Result::ok();
}

juce::Result OutputBatch::send (const juce::File& spool, const OutputTarget& target)
{
    juce::FileInputStream in (spool);
    if (! in.openedOk())
        return juce::Result::fail ("cannot read back " + spool.getFullPathName());

    IgnoreBrokenPipe ignoreBrokenPipe;
    std::cout.flush();
    const int fd = target.standardOutput
                       ? STDOUT_FILENO
                       : ::open (target.file.getFullPathName().toRawUTF8(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return juce::Result::fail ("cannot open " + target.describe() + ": " + reason (errno));

    juce::Result result = juce::Result::ok();
    char chunk[65536];
    while (result.wasOk() && ! in.isExhausted())
    {
        const int n = in.read (chunk, static_cast<int> (sizeof (chunk)));
        if (n <= 0)
            break;
        for (int done = 0; done < n;)
        {
            const auto written = ::write (fd, chunk + done, static_cast<size_t> (n - done));
            if (written < 0 && errno == EINTR)
                continue;
            if (written < 0)
            {
                result = juce::Result::fail (
                    "cannot write to " + target.describe() + ": "
                    + (errno == EPIPE ? juce::String ("its reader closed it before the end") : reason (errno)));
                break;
            }
            done += static_cast<int> (written);
        }
    }
    if (fd != STDOUT_FILENO && ::close (fd) != 0 && result.wasOk())
        result = juce::Result::fail ("cannot write to " + target.describe() + ": " + reason (errno));
    return result;
}

juce::Result OutputBatch::commit()
{
    for (const auto& entry : entries)
        if (entry.spool != nullptr)
            if (const auto result = send (entry.spool->getFile(), entry.target); result.failed())
                return result;

    for (auto& entry : entries)
        if (entry.replacement != nullptr)
            if (const auto result = entry.replacement->commit(); result.failed())
                return result;

    entries.clear();
    createdFolders.clear(); // they hold the delivered files now
    return juce::Result::ok();
}
