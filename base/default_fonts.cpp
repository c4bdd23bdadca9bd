#include "base/default_fonts.h"

#include "base/length_units.h"
#include "base/property_records.h"

#include <cstring>
#include <string_view>

namespace {

// Code page 932 "@ＭＳ 明朝": the vertical form of the Mincho face.
constexpr const char kAtMsMinchoFace[] = "@\x82\x6c\x82\x72\x20\x96\xbe\x92\xa9";
constexpr const char kTimesNewRomanFace[] = "Times New Roman";

DEFAULT_FONT MakeEntry(std::string_view face, BYTE charSet, int italic, LONG escapement)
{
    DEFAULT_FONT entry = {};
    const int height = PointsToHmm(10, 5);
    entry.font.lfHeight = -height;
    entry.font.lfWidth = 0;
    entry.font.lfEscapement = escapement;
    entry.font.lfOrientation = escapement;
    entry.font.lfWeight = FW_NORMAL;
    entry.font.lfItalic = static_cast<BYTE>(italic);
    entry.font.lfUnderline = 0;
    entry.font.lfStrikeOut = 0;
    entry.font.lfCharSet = charSet;
    entry.font.lfOutPrecision = 3;
    entry.font.lfClipPrecision = 2;
    entry.font.lfQuality = 1;
    entry.font.lfPitchAndFamily = 18;
    CopyFaceName(entry.font.lfFaceName, face);
    entry.italic = italic;
    entry.height = height;
    return entry;
}

}  // namespace

const DEFAULT_FONT_VALUE_NAMES CDefaultFontTable::kValueNames[EntryCount] = {
    {"Default", "Italic", "Height"},
    {"HankakuDefault", "HankakuItalic", "HankakuHeight"},
    {"NumericDefault", "NumericItalic", "NumericHeight"},
    {"AtDefault", "AtItalic", nullptr},
    {"AtHankakuDefault", "AtHankakuItalic", nullptr},
    {"AtNumericDefault", "AtNumericItalic", nullptr},
    {"MathDefault", "MathItalic", "MathHeight"},
    {"MathNumericDefault", "MathNumericItalic", "MathNumericHeight"},
    {"MathOperatorDefault", "MathOperatorItalic", "MathOperatorHeight"},
};

CDefaultFontTable::CDefaultFontTable()
    : m_entries{
          MakeEntry(kMsPMinchoFace, SHIFTJIS_CHARSET, 0, 0),
          MakeEntry(kTimesNewRomanFace, 0, 1, 0),
          MakeEntry(kTimesNewRomanFace, 0, 0, 0),
          MakeEntry(kAtMsMinchoFace, SHIFTJIS_CHARSET, 0, 2700),
          MakeEntry(kTimesNewRomanFace, 0, 1, 0),
          MakeEntry(kTimesNewRomanFace, 0, 0, 0),
          MakeEntry(kTimesNewRomanFace, 0, 1, 0),
          MakeEntry(kTimesNewRomanFace, 0, 0, 0),
          MakeEntry(kMsPMinchoFace, SHIFTJIS_CHARSET, 0, 0),
      }
{
}

CDefaultFontTable& CDefaultFontTable::Instance()
{
    static CDefaultFontTable table;
    return table;
}

void CDefaultFontTable::SetFont(Entry entry, const LOGFONTA* font)
{
    LOGFONTA copy = *font;
    CopyFaceName(copy.lfFaceName, FaceNameView(copy.lfFaceName));
    m_entries[entry].font = copy;
}
