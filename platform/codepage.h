// Conversion between UTF-16 and the system ANSI code page, which is code page 932 (Windows Shift-JIS).
#pragma once

#include <string>
#include <string_view>

// UTF-16 to code page 932. A unit that has no narrow form becomes the code page's default
// character '?', as the system conversion without flags does.
std::string WideToCp932(std::u16string_view text);

// Code page 932 to UTF-16. A byte or byte pair that is not valid code page 932 becomes the
// code page's default Unicode character U+30FB, so no input is ever rejected.
std::u16string Cp932ToWide(std::string_view bytes);

// True for the bytes that begin a two-byte character of code page 932.
bool IsCp932LeadByte(unsigned char byte);
