// Code page 932 text, the encoding of names and texts in stored documents: decoding any bytes,
// and encoding what was decoded back, which must give text that decodes the same.
#include "platform/codepage.h"

#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::u16string wide = Cp932ToWide(bytes);
    const std::string narrow = WideToCp932(wide);
    if (Cp932ToWide(WideToCp932(Cp932ToWide(narrow))) != Cp932ToWide(narrow))
        std::abort();
    // Any UTF-16 units, surrogates alone included, encode to something.
    std::u16string units(size / 2, u'\0');
    for (size_t i = 0; i < units.size(); ++i)
        units[i] = char16_t(data[2 * i] | (data[2 * i + 1] << 8));
    (void)WideToCp932(units);
    return 0;
}
