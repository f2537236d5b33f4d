#pragma once

#include <juce_core/juce_core.h>

#include <sys/types.h>

// Where one output named on a command line goes, and how it is written
// there, as a careful Unix tool does it:
// - a regular file (or a new one) is replaced in one step, by renaming a
//   complete temporary file over it; a symbolic link is followed, so the file
//   it leads to is replaced and the link stays;
// - standard output ("-"), a named pipe and a character device are written
//   to directly, in order, since renaming over them would replace them;
// - a folder, a block device, a socket, and anything the user may not write
//   (a read-only file, a folder without write permission) are refused before
//   anything is written.
struct OutputTarget
{
    enum class Kind
    {
        File,  // replaced through a temporary file and a rename
        Stream // written to directly
    };

    juce::String name; // as given on the command line
    Kind kind = Kind::File;
    // File: the file that is replaced or created, links resolved. Stream: the
    // path that is opened for writing (none for standard output).
    juce::File file;
    bool standardOutput = false;
    // File: the replaced file's permission bits, which the new file keeps;
    // -1 for a new file.
    int existingMode = -1;

    // Reads what a command-line name leads to, relative to the working
    // folder. Fails with a message that names the output and says why it
    // cannot be written.
    static juce::Result resolve (const juce::String& name, OutputTarget& target);

    // Whether two targets end in the same file or stream (standard output
    // included, whatever name leads to it). Outputs into /dev/null never
    // count as the same: nothing of theirs can mix.
    bool isSameAs (const OutputTarget& other) const;

    // Whether the target ends in this existing file.
    bool isSameFileAs (const juce::File& file) const;

    // Whether the target writes to the program's standard output, by "-" or
    // by any other name of it (/dev/stdout, the pipe or terminal it is).
    bool reachesStandardOutput() const;

    // "standard output", or the path written to.
    juce::String describe() const;

private:
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    bool discards = false; // the null device
};
