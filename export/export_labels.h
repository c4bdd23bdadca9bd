// The texts that both page exports write for question numbers and points labels, the same in
// the HTML page and the text file.
#pragma once

#include "base/wide_string.h"
#include "export/xsl_fo_reader.h"

#include <string_view>

// The attributes of a points label, read as decimal integers (missing or unreadable: 0).
struct POINTS_LABEL {
    int type = 0;
    int p1 = 0;
    int p2 = 0;
    int p3 = 0;
};

// Decimal integer at the start of text as "%d" reads it; 0 when there is none.
int ReadLabelNumber(std::u16string_view text);

// The label of a major question number: "[3]", or the kanji numeral in vertical writing. Empty
// without a question part (past the end of the part list or a literal part).
CStringW MajorNumberLabel(const EXPORT_PART* part, bool vertical);
// The label of a minor question number: U+3000 "(2)", or the full-width number in vertical
// writing; empty without a question part.
CStringW MinorNumberLabel(const EXPORT_PART* part, bool vertical);
// The points label of the given type; empty for types outside 1 to 4 and without a question part.
CStringW PointsLabelText(const POINTS_LABEL& label, const EXPORT_PART* part, bool vertical);
