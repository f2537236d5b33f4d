#pragma once

#include "OutputTarget.h"

#include "presets/SafeFileWrite.h"

#include <functional>
#include <memory>
#include <vector>

// The outputs of one command, delivered all together or not at all. Each
// output is first written in full into a temporary file: beside its target
// for a file, in the system's temporary folder for a stream. commit() then
// sends the streams and renames every file into place, the streams first
// since they are the ones that can still fail (a reader that went away).
// Destroyed without a commit, the batch deletes its temporary files and the
// folders it created, and no target has been touched.
class OutputBatch
{
public:
    OutputBatch();
    ~OutputBatch();

    // Writes one output's content by calling `write` with the temporary file.
    // Creates the missing folders of a file target. A replaced file's
    // permission bits carry over to the new one.
    juce::Result add (const OutputTarget& target, const std::function<bool (const juce::File&)>& write);

    // Delivers everything that was added. Once a stream has been sent it
    // cannot be taken back: a failure after it leaves what the stream took.
    juce::Result commit();

private:
    struct Entry
    {
        OutputTarget target;
        std::unique_ptr<presets::FileReplacement> replacement; // files
        std::unique_ptr<juce::TemporaryFile> spool;            // streams
    };

    juce::Result createFolder (const juce::File& folder);
    static juce::Result send (const juce::File& spool, const OutputTarget& target);

    std::vector<Entry> entries;
    juce::Array<juce::File> createdFolders; // outermost first
};
