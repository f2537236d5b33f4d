#include "presets/StrictUtf8.h"

namespace presets
{
bool isStrictUtf8 (const char* text, int length)
{
    const auto* s = reinterpret_cast<const unsigned char*> (text);
    for (int i = 0; i < length;)
    {
        const unsigned lead = s[i];
        if (lead < 0x80)
        {
            ++i;
            continue;
        }
        int extra = 0;
        unsigned code = 0, lowest = 0;
        if ((lead & 0xE0u) == 0xC0u)
            extra = 1, code = lead & 0x1Fu, lowest = 0x80;
        else if ((lead & 0xF0u) == 0xE0u)
            extra = 2, code = lead & 0x0Fu, lowest = 0x800;
        else if ((lead & 0xF8u) == 0xF0u)
            extra = 3, code = lead & 0x07u, lowest = 0x10000;
        else
            return false;
        if (length - i <= extra)
            return false;
        for (int k = 1; k <= extra; ++k)
        {
            const unsigned next = s[i + k];
            if ((next & 0xC0u) != 0x80u)
                return false;
            code = (code << 6) | (next & 0x3Fu);
        }
        if (code < lowest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}
} // namespace presets
