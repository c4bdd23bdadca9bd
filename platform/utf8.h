// Conversion between UTF-16 and UTF-8, the encoding of file names and of the font libraries.
#pragma once

#include <string>
#include <string_view>

// Unpaired surrogates and malformed bytes become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view text);
