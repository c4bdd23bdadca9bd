// Facts of the MathML dialect that the reader and the writer share: the mark sets and the tests
// on the texts of tokens.
#pragma once

#include "base/wide_string.h"

#include <string_view>

class CQNXMLNode;

// Marks that an over or under script of one character turns into (set B), and the glyphs that
// stand between both scripts (set A: set B and the equilibrium and long arrows).
inline constexpr std::u16string_view kMarkSetB = u"\uFFE3\u2192\u2190\u2322\uFE35\u2194\uFE37\uFE38";
inline constexpr std::u16string_view kMarkSetA = u"\uFFE3\u2192\u2190\u2322\uFE35\u2194\uFE37\uFE38\u21C4\uFE36\uF576\uF577\uF578";

// A text that is exactly one unit of the set.
bool IsOneMarkOf(const CStringW& text, std::u16string_view set);
// The token a reader inspects in place of a slot: the element itself when it has no children,
// else its first child. Null for null.
const CQNXMLNode* InspectedToken(const CQNXMLNode* element);
