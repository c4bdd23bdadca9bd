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

CMathMLTable::CMathMLTable() : CMathMLNode(XEC_MTABLE) { m_textAlign = 1; }
