// The state blob a host hands back: setStateInformation, a block, the state
// saved and restored again.

#include "FuzzChecks.h"

namespace fuzzing
{
namespace
{
// The first byte picks the form: even, the rest is the blob as a host hands
// it back; odd, the rest is the XML text inside the framework's envelope
// (magic number, length, text, terminating zero), so that mutations reach
// the XML reader and the restore rather than the envelope check.
juce::MemoryBlock blobFromInput (const std::uint8_t* data, std::size_t size)
{
    juce::MemoryBlock blob;
    if (size == 0)
        return blob;

    if ((data[0] & 1) == 0)
    {
        blob.append (data + 1, size - 1);
        return blob;
    }

    juce::MemoryOutputStream out (blob, false);
    out.writeInt (0x21324356);
    out.writeInt (static_cast<int> (size - 1));
    out.write (data + 1, size - 1);
    out.writeByte (0);
    return blob;
}
} // namespace

Outcome stateBlob (const std::uint8_t* data, std::size_t size)
{
    auto& w = world();
    auto& proc = w.processor;
    w.startFresh();

    const auto blob = blobFromInput (data, size);
    proc.setStateInformation (blob.getData(), static_cast<int> (blob.getSize()));

    if (auto o = checkParameters (proc, "after the restore"); ! o.empty())
        return o;
    if (auto o = processAndCheck (proc, "after the restore"); ! o.empty())
        return o;
    if (auto o = checkParameters (proc, "after a block"); ! o.empty())
        return o;

    // Whatever was restored, the state saved now restores to the same values.
    const auto before = savedValues (proc);
    juce::MemoryBlock saved;
    proc.getStateInformation (saved);
    w.startFresh();
    proc.setStateInformation (saved.getData(), static_cast<int> (saved.getSize()));
    const auto after = savedValues (proc);
    if (! (before == after))
        return ("a saved state restores to other values: " + describeDifference (before, after)).toStdString();

    return processAndCheck (proc, "after saving and restoring");
}
} // namespace fuzzing
