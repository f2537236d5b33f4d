#pragma once

#include <juce_core/juce_core.h>

#include <vector>

// "Did you mean" for mistyped names: ranks candidates by edit distance,
// ignoring case, over each candidate's keys (an id and, say, its display name).
namespace suggestions
{
struct Candidate
{
    juce::String value;     // what is suggested
    juce::StringArray keys; // what the query is compared with
};

// The values of the (at most) maxCount candidates closest to the query, the
// closest first. Only near candidates count: at most farthestSuggestion()
// edits away, or holding the whole query (of three characters or more) in a
// key; a query like none of them gets no suggestion at all.
juce::StringArray closest (const juce::String& query, const std::vector<Candidate>& candidates, int maxCount = 3);

// How many edits a suggestion may be away from the query: a third of its
// length, at least one.
int farthestSuggestion (const juce::String& query);

// "did you mean A, B or C?", or an empty string for no suggestions.
juce::String didYouMean (const juce::StringArray& suggestions);

// Levenshtein distance between two strings, in characters.
int editDistance (const juce::String& a, const juce::String& b);
} // namespace suggestions
