// Word's numeric codes as WordprocessingML reads them: one table per property, each saying where
// its reading comes from. The automation calls carry Word's enumerations; the document writer
// looks each code up here, and the server refuses a code that its table lacks.
#pragma once

#include "platform/automation.h"

#include <span>
#include <string>

struct WORD_CODE {
    int code;
    const char* value;  // the WordprocessingML attribute value
};

// Each table of codes, by the property it serves.
namespace WordCodes {
std::span<const WORD_CODE> Alignment();          // ParagraphFormat.Alignment → w:jc
std::span<const WORD_CODE> LineSpacingRule();    // ParagraphFormat.LineSpacingRule → w:spacing w:lineRule
std::span<const WORD_CODE> BaseLineAlignment();  // ParagraphFormat.BaseLineAlignment → w:textAlignment
std::span<const WORD_CODE> Underline();          // Font.Underline → w:u
std::span<const WORD_CODE> LineStyle();          // Border.LineStyle → w:bdr, w:tblBorders
std::span<const WORD_CODE> Texture();            // Shading.Texture → w:shd w:val
std::span<const WORD_CODE> TextOrientation();    // Selection.Orientation → w:textDirection
std::span<const WORD_CODE> PhoneticAlignment();  // PhoneticGuide's Alignment → w:rubyAlign
std::span<const WORD_CODE> Break();              // Selection.InsertBreak → w:br w:type
std::span<const WORD_CODE> SectionStart();       // PageSetup.SectionStart → w:type
std::span<const WORD_CODE> VerticalAlignment();  // PageSetup.VerticalAlignment → w:vAlign
std::span<const WORD_CODE> PageOrientation();    // PageSetup.Orientation → w:pgSz w:orient
std::span<const WORD_CODE> AutoFitBehavior();    // Table.AutoFitBehavior → w:tblLayout
std::span<const WORD_CODE> PreferredWidthType(); // Columns, dispatch id 106 → w:tcW w:type
}  // namespace WordCodes

// The value of the code in the table; null when the table lacks it.
const char* WordCodeValue(std::span<const WORD_CODE> table, int code);

// The table properties Word knows by fixed dispatch ids only. Their meaning is not published
// with the ids; the readings below are a guess made from what the export sends (0 to the four
// table ids, the context's indent to id 17, column widths in points to id 105 with 3 to 106),
// kept in this one table so that a better reading changes one row.
enum class WordFixedIdMeaning { CellMarginTop, CellMarginBottom, CellMarginLeft, CellMarginRight, TableIndent,
                                PreferredWidth, PreferredWidthType, Ignored };
struct WORD_FIXED_ID {
    int object;  // 0 table, 1 rows, 2 columns of the selection, 3 page setup
    DISPID id;
    WordFixedIdMeaning meaning;
};
std::span<const WORD_FIXED_ID> WordFixedIds();

// The colour of a Word colour index as WordprocessingML writes it ("FF0000"), read back through
// the export's own colour table; "auto" for index 0 and null for an index the table lacks.
const char* WordColorValue(int colorIndex);
