// Conversion between UTF-16 and UTF-8, the encoding of file names, of the font libraries and of
// the XML library. The one decoder of the layer: every UTF-8 text read goes through it.
#pragma once

#include <string>
#include <string_view>

// Lone surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);
// Each malformed sequence (a stray continuation byte, a lead byte not followed by enough
// continuation bytes, an overlong form, an encoded surrogate, a code point past U+10FFFF)
// becomes one U+FFFD, and decoding goes on at the first byte that does not belong to it.
std::u16string Utf8ToUtf16(std::string_view text);
