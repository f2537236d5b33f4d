#include "presets/RandomHistory.h"

void RandomHistory::push (const juce::ValueTree& tree)
{
    entries.resize (static_cast<std::size_t> (index + 1));
    entries.push_back (tree.createCopy());
    if (size() > capacity)
        entries.erase (entries.begin());
    index = size() - 1;
}

juce::ValueTree RandomHistory::stepBack()
{
    if (index <= 0)
        return {};
    --index;
    return entries[static_cast<std::size_t> (index)];
}

juce::ValueTree RandomHistory::stepForward()
{
    if (! canStepForward())
        return {};
    ++index;
    return entries[static_cast<std::size_t> (index)];
}

void RandomHistory::clear()
{
    entries.clear();
    index = -1;
}
