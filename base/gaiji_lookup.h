// The characters only the gaiji font draws: the table of them and the two look-ups the drawing
// and conversion code make in it.
#pragma once

#include "platform/fonts.h"
#include "platform/win_types.h"

#include <span>

// The characters the gaiji font "Orvellan Gaiji" draws, each with the Shift-JIS code at which
// the font holds it, in the font's order. The table goes with the font: it holds the pairs
// known here, not the font's full set.
inline constexpr std::span<const GaijiPair> GAIJI_MAP{kGaijiFontPairs};

// The code of the first pair of GAIJI_MAP for the character.
BOOL FindGaijiCode(char16_t character, WORD* code);
// For a character of GAIJI_MAP: true and the character the system code page assigns to its
// code (U+25A0 when the code has none); false and `out` untouched otherwise.
BOOL MapToGaijiChar(char16_t character, char16_t* out);
