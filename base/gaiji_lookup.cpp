#include "base/gaiji_lookup.h"

#include "platform/codepage.h"

#include <string>
#include <string_view>

BOOL FindGaijiCode(char16_t character, WORD* code)
{
    for (const GaijiPair& pair : GAIJI_MAP)
        if (pair.unicode == character) {
            if (code)
                *code = pair.code;
            return TRUE;
        }
    return FALSE;
}

BOOL MapToGaijiChar(char16_t character, char16_t* out)
{
    WORD code = 0;
    if (!FindGaijiCode(character, &code))
        return FALSE;
    const char bytes[2] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
    // A code that is no character of the code page draws as a black square.
    char16_t mapped = 0x25A0;
    if (IsCp932LeadByte(static_cast<unsigned char>(bytes[0]))) {
        const std::u16string wide = Cp932ToWide(std::string_view(bytes, 2));
        // The conversion gives U+30FB for a code it does not know; 0x8145 is U+30FB itself.
        if (wide.size() == 1 && (wide[0] != 0x30FB || code == 0x8145))
            mapped = wide[0];
    }
    if (out)
        *out = mapped;
    return TRUE;
}
