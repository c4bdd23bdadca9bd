#include "base/element_classes.h"

#include "base/length_units.h"

namespace {

constexpr const char kTimesNewRoman[] = "Times New Roman";

}  // namespace

CMathMLMath::CMathMLMath() : CMathMLNode(XEC_MATH)
{
    CopyFaceName(m_fontFace, kTimesNewRoman);
    m_fontSize = PointsToHmm(10, 5);
}

CMathMLToken::CMathMLToken(int code) : CMathMLNode(code)
{
    CopyFaceName(m_fontFace, kTimesNewRoman);
    m_fontSize = PointsToHmm(10, 5);
}

CMathMLTable::CMathMLTable() : CMathMLNode(XEC_MTABLE) { m_textAlign = TextAlign::kCenter; }

// A cell whose element gives no border width has half a point, the width of a new table's
// frame and one the writer writes back as it is (the records' default of one hundredth of a
// millimetre would be written as "0pt" and then not at all).
CFoTableCell::CFoTableCell() : CFoNode(XEC_FO_TABLE_CELL) { m_borderWidth = PointsToHmm(0, 5); }
