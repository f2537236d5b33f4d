#include "OutputTarget.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
juce::String path (const juce::File& f)
{
    return f.getFullPathName();
}

juce::String reason (int error)
{
    return juce::String (std::strerror (error)).toLowerCase();
}

// Whether this process may write (and, for folders, enter) the file, by its
// effective user: for root nearly everything, for others the permission bits.
int accessError (const juce::File& f, int mode)
{
    return ::faccessat (AT_FDCWD, path (f).toRawUTF8(), mode, AT_EACCESS) == 0 ? 0 : errno;
}

// The file a chain of symbolic links ends in, for a chain that ends in
// nothing yet. Fails on a loop of links.
juce::Result followLinks (juce::File& f)
{
    for (int hops = 0; hops < 40; ++hops)
    {
        struct stat st
        {};
        if (::lstat (path (f).toRawUTF8(), &st) != 0 || ! S_ISLNK (st.st_mode))
            return juce::Result::ok();
        char buffer[PATH_MAX];
        const auto n = ::readlink (path (f).toRawUTF8(), buffer, sizeof (buffer) - 1);
        if (n < 0)
            return juce::Result::fail ("cannot read the link " + path (f) + ": " + reason (errno));
        const auto to = juce::String::fromUTF8 (buffer, static_cast<int> (n));
        f = to.startsWithChar ('/') ? juce::File (to) : f.getParentDirectory().getChildFile (to);
    }
    return juce::Result::fail ("cannot write " + path (f) + ": too many levels of symbolic links");
}

// The path with its folder's links resolved, so a temporary file made beside
// it and renamed over it stays in the same folder.
juce::File physical (const juce::File& f)
{
    char buffer[PATH_MAX];
    if (::realpath (path (f.getParentDirectory()).toRawUTF8(), buffer) == nullptr)
        return f;
    return juce::File (juce::String::fromUTF8 (buffer)).getChildFile (f.getFileName());
}

// Whether the file is the null device, which any number of outputs may share.
bool isNullDevice (const struct stat& st)
{
    struct stat null
    {};
    return S_ISCHR (st.st_mode) && ::stat ("/dev/null", &null) == 0 && st.st_rdev == null.st_rdev;
}

bool standardOutputIdentity (dev_t& device, ino_t& inode, bool& discards)
{
    struct stat st
    {};
    if (::fstat (STDOUT_FILENO, &st) != 0)
        return false;
    device = st.st_dev;
    inode = st.st_ino;
    discards = isNullDevice (st);
    return true;
}
} // namespace

juce::Result OutputTarget::resolve (const juce::String& name, OutputTarget& target)
{
    target = {};
    target.name = name;
    if (name.isEmpty())
        return juce::Result::fail ("an output is named by an empty text");

    if (name == "-")
    {
        target.kind = Kind::Stream;
        target.standardOutput = true;
        target.exists = standardOutputIdentity (target.device, target.inode, target.discards);
        return juce::Result::ok();
    }

    const auto named = juce::File::getCurrentWorkingDirectory().getChildFile (name);

    // What the name leads to, through any links (the kernel's own links
    // under /proc and /dev/fd included).
    struct stat st
    {};
    if (::stat (path (named).toRawUTF8(), &st) != 0)
    {
        if (errno != ENOENT && errno != ENOTDIR)
            return juce::Result::fail ("cannot write " + path (named) + ": " + reason (errno));

        // A new file, or one a dangling link names: it is created where the
        // links lead. Its nearest existing folder must be a folder this user
        // may write into; missing folders below it are created.
        auto file = named;
        if (const auto followed = followLinks (file); followed.failed())
            return followed;
        auto folder = file.getParentDirectory();
        struct stat fs
        {};
        while (::stat (path (folder).toRawUTF8(), &fs) != 0 && (errno == ENOENT || errno == ENOTDIR)
               && folder != folder.getParentDirectory())
            folder = folder.getParentDirectory();
        if (! S_ISDIR (fs.st_mode))
            return juce::Result::fail ("cannot create the folder " + path (file.getParentDirectory()) + ": "
                                       + path (folder) + " is not a folder");
        if (const int error = accessError (folder, W_OK | X_OK); error != 0)
            return juce::Result::fail ("cannot write " + path (named) + ": no permission to write into the folder "
                                       + path (folder) + " (" + reason (error) + ")");
        target.kind = Kind::File;
        target.file = physical (file);
        return juce::Result::ok();
    }

    target.exists = true;
    target.device = st.st_dev;
    target.inode = st.st_ino;
    target.discards = isNullDevice (st);

    if (S_ISDIR (st.st_mode))
        return juce::Result::fail ("the output " + path (named) + " is a folder");

    if (S_ISREG (st.st_mode))
    {
        // The new file is made beside the one the links lead to and renamed
        // over it, so the links stay.
        char buffer[PATH_MAX];
        if (::realpath (path (named).toRawUTF8(), buffer) == nullptr)
            return juce::Result::fail ("cannot write " + path (named) + ": " + reason (errno));
        const juce::File file (juce::String::fromUTF8 (buffer));
        const juce::String shown = path (named) + (file != named ? " (a link to " + path (file) + ")" : juce::String());
        if (const int error = accessError (file, W_OK); error != 0)
            return juce::Result::fail ("cannot write " + shown + ": " + reason (error)
                                       + (error == EACCES ? " (the file is read-only for this user)" : ""));
        if (const int error = accessError (file.getParentDirectory(), W_OK | X_OK); error != 0)
            return juce::Result::fail ("cannot replace " + shown + ": no permission to write into its folder ("
                                       + reason (error) + ")");
        target.kind = Kind::File;
        target.file = file;
        target.existingMode = static_cast<int> (st.st_mode & 07777);
        return juce::Result::ok();
    }

    if (S_ISFIFO (st.st_mode) || S_ISCHR (st.st_mode))
    {
        if (const int error = accessError (named, W_OK); error != 0)
            return juce::Result::fail ("cannot write " + path (named) + ": " + reason (error));
        target.kind = Kind::Stream;
        target.file = named;
        return juce::Result::ok();
    }

    return juce::Result::fail ("cannot write " + path (named) + ": it is a "
                               + juce::String (S_ISBLK (st.st_mode) ? "block device" : "socket")
                               + "; outputs are files, named pipes, character devices or - (standard output)");
}

bool OutputTarget::isSameAs (const OutputTarget& other) const
{
    if (discards && other.discards)
        return false;
    if (standardOutput && other.standardOutput)
        return true;
    if (exists && other.exists)
        return device == other.device && inode == other.inode;
    if (exists != other.exists)
        return false;
    return file == other.file;
}

bool OutputTarget::isSameFileAs (const juce::File& f) const
{
    struct stat st
    {};
    if (! exists || ::stat (path (f).toRawUTF8(), &st) != 0)
        return ! exists && kind == Kind::File && file == f;
    return st.st_dev == device && st.st_ino == inode;
}

bool OutputTarget::reachesStandardOutput() const
{
    if (standardOutput)
        return true;
    dev_t d = 0;
    ino_t i = 0;
    bool null = false;
    return exists && ! discards && standardOutputIdentity (d, i, null) && d == device && i == inode;
}

juce::String OutputTarget::describe() const
{
    return standardOutput ? juce::String ("standard output") : path (file);
}
