#include "Suggestions.h"

#include <algorithm>
#include <limits>

namespace suggestions
{
int editDistance (const juce::String& a, const juce::String& b)
{
    const auto n = static_cast<std::size_t> (a.length());
    const auto m = static_cast<std::size_t> (b.length());
    std::vector<int> row (m + 1);
    for (std::size_t j = 0; j <= m; ++j)
        row[j] = static_cast<int> (j);

    for (std::size_t i = 1; i <= n; ++i)
    {
        int diagonal = row[0];
        row[0] = static_cast<int> (i);
        for (std::size_t j = 1; j <= m; ++j)
        {
            const int above = row[j];
            const int cost = a[static_cast<int> (i - 1)] == b[static_cast<int> (j - 1)] ? 0 : 1;
            row[j] = std::min ({ above + 1, row[j - 1] + 1, diagonal + cost });
            diagonal = above;
        }
    }
    return row[m];
}

int farthestSuggestion (const juce::String& query)
{
    return std::max (1, query.length() / 3);
}

juce::StringArray closest (const juce::String& query, const std::vector<Candidate>& candidates, int maxCount)
{
    const auto q = query.toLowerCase();
    struct Scored
    {
        int score;
        std::size_t order;
    };
    std::vector<Scored> scored;
    for (std::size_t i = 0; i < candidates.size(); ++i)
    {
        int best = std::numeric_limits<int>::max();
        for (const auto& key : candidates[i].keys)
        {
            const auto k = key.toLowerCase();
            const bool part = q.length() >= 3 && k.contains (q) && k != q;
            best = std::min (best, part ? 1 : editDistance (q, k));
        }
        if (best <= farthestSuggestion (query))
            scored.push_back ({ best, i });
    }
    std::stable_sort (scored.begin(), scored.end(),
                      [] (const Scored& x, const Scored& y) { return x.score < y.score; });

    juce::StringArray result;
    for (const auto& s : scored)
    {
        if (result.size() >= maxCount)
            break;
        result.addIfNotAlreadyThere (candidates[s.order].value);
    }
    return result;
}

juce::String didYouMean (const juce::StringArray& suggestions)
{
    if (suggestions.isEmpty())
        return {};
    juce::String text ("did you mean ");
    for (int i = 0; i < suggestions.size(); ++i)
    {
        if (i > 0)
            text << (i == suggestions.size() - 1 ? " or " : ", ");
        text << suggestions[i];
    }
    return text + "?";
}
} // namespace suggestions
