#pragma once

#include <juce_data_structures/juce_data_structures.h>

#include <vector>

// The undo/redo list of the Random action: deep copies of whole states and
// the index of the current one (-1 when empty), at most 64 entries.
class RandomHistory
{
public:
    static constexpr int capacity = 64;

    // Drops every entry after the current one, appends a deep copy of tree
    // (dropping the oldest entry beyond the capacity) and makes it current.
    void push (const juce::ValueTree& tree);

    bool canStepBack() const { return index > 0; }
    bool canStepForward() const { return index >= 0 && index + 1 < size(); }

    // The previous or next entry, made current; an invalid tree when there
    // is none.
    juce::ValueTree stepBack();
    juce::ValueTree stepForward();

    void clear();

    int size() const { return static_cast<int> (entries.size()); }
    int getIndex() const { return index; }

private:
    std::vector<juce::ValueTree> entries;
    int index = -1;
};
