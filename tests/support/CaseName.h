#pragma once

#include <cctype>
#include <string>

namespace testsupport
{
// GoogleTest parameter name from a case's description: letters and digits
// kept, everything else folded into single underscores.
inline std::string caseName (const char* what)
{
    std::string out;
    for (const char* p = what; *p != '\0'; ++p)
    {
        const auto ch = static_cast<unsigned char> (*p);
        if (std::isalnum (ch))
            out += static_cast<char> (ch);
        else if (! out.empty() && out.back() != '_')
            out += '_';
    }
    while (! out.empty() && out.back() == '_')
        out.pop_back();
    return out.empty() ? std::string ("case") : out;
}

// Use as the name generator of INSTANTIATE_TEST_SUITE_P for any case record
// with a `what` member.
struct NameFromWhat
{
    template <typename Info>
    std::string operator() (const Info& info) const
    {
        return caseName (info.param.what);
    }
};
} // namespace testsupport
