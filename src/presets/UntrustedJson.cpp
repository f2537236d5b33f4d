#include "presets/UntrustedJson.h"

namespace presets::untrustedJson
{
namespace
{
bool isDigit (juce::juce_wchar c)
{
    return c >= '0' && c <= '9';
}

// Reads a run of digits from p and tells whether it has at most maxDigits
// digits after its leading zeros.
bool digitRunWithin (juce::String::CharPointerType& p, int maxDigits)
{
    int significant = 0;
    while (isDigit (*p))
    {
        const auto c = p.getAndAdvance();
        if (c != '0' || significant > 0)
            if (++significant > maxDigits)
                return false;
    }
    return true;
}
} // namespace

bool withinLimits (const juce::String& text)
{
    int depth = 0;
    bool inString = false;
    juce::juce_wchar previous = 0, beforePrevious = 0;
    for (auto p = text.getCharPointer(); ! p.isEmpty();)
    {
        const auto c = *p;
        if (inString)
        {
            p.getAndAdvance();
            if (c == '\\' && ! p.isEmpty())
                p.getAndAdvance();
            else if (c == '"')
                inString = false;
            beforePrevious = previous;
            previous = c;
            continue;
        }

        if (isDigit (c))
        {
            // A fraction may be as long as it likes (it is read as a double);
            // an integer part or an exponent is read into an int.
            const auto isE = [] (juce::juce_wchar x) { return x == 'e' || x == 'E'; };
            const bool fraction = previous == '.';
            const bool exponent = isE (previous) || ((previous == '+' || previous == '-') && isE (beforePrevious));
            if (fraction)
                while (isDigit (*p))
                    p.getAndAdvance();
            else if (! digitRunWithin (p, exponent ? maxExponentDigits : maxIntegerDigits))
                return false;
            beforePrevious = previous;
            previous = '0';
            continue;
        }

        p.getAndAdvance();
        if (c == '"')
            inString = true;
        else if ((c == '[' || c == '{') && ++depth > maxNesting)
            return false;
        else if (c == ']' || c == '}')
            --depth;
        beforePrevious = previous;
        previous = c;
    }
    return true;
}

juce::var parse (const juce::String& text)
{
    if (! withinLimits (text))
        return {};
    return juce::JSON::parse (text);
}
} // namespace presets::untrustedJson
