#include "nodes/question_numbers.h"

#include "base/gdi_cache.h"
#include "base/length_units.h"
#include "base/number_labels.h"
#include "nodes/display_map.h"
#include "nodes/edit_print.h"
#include "nodes/edit_switches.h"
#include "nodes/node_text.h"

#include <cstring>

namespace {

constexpr char16_t kIdeographicSpace = u'\u3000';
constexpr COLORREF kScreenLabelColor = 0xFF00FF;
constexpr COLORREF kPrintLabelColor = 0x000000;

// Faces in code page 932.
constexpr const char kMsMinchoFace[] = "\x82\x6c\x82\x72\x20\x96\xbe\x92\xa9";                          // ＭＳ 明朝
constexpr const char kMsGothicFace[] = "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e";          // ＭＳ ゴシック
constexpr const char kMsPGothicFace[] = "\x82\x6c\x82\x72\x20\x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e";  // ＭＳ Ｐゴシック

CStringW FullWidth(int n)
{
    CStringW text;
    FormatFullWidthNumber(n, text, 2);
    return text;
}

CStringW Kanji(int n)
{
    CStringW text;
    FormatKanjiNumber(n, text, 2);
    return text;
}

CStringW Circled(int n)
{
    CStringW text;
    FormatCircledNumber(n, text);
    return text;
}

// The number between brackets; a one-digit number's padding space goes in front of the brackets.
CStringW Bracketed(char16_t open, const CStringW& x, char16_t close)
{
    CStringW text;
    if (x.GetAt(0) == kIdeographicSpace) {
        text += kIdeographicSpace;
        text += open;
        text += CStringW(x.View().substr(1));
    } else {
        text += open;
        text += x;
    }
    text += close;
    return text;
}

CStringW Trimmed(const CStringW& x)
{
    return x.GetAt(0) == kIdeographicSpace ? CStringW(x.View().substr(1)) : x;
}

CStringW Formatted(const char16_t* format, int n)
{
    CStringW text;
    text.Format(format, n);
    return text;
}

// The brackets of the bracketed styles: horizontal ASCII formats of styles 1 and 4 to 7, the
// full-width pairs of every bracketed form.
struct BRACKETS {
    char16_t open;
    char16_t close;
    const char16_t* majorFormat;  // horizontal writing, ASCII digits
    const char16_t* subFormat;
};

BRACKETS BracketsOf(QUESTION_NUMBER_STYLE style)
{
    switch (style) {
    case 1: return {u'（', u'）', u"(%d)", u"\u3000(%d)"};
    case 4: case 12: return {u'【', u'】', u"【%d】", u"\u3000【%d】"};
    case 5: case 13: return {u'〔', u'〕', u"〔%d〕", u"\u3000〔%d〕"};
    case 6: case 14: return {u'〈', u'〉', u"〈%d〉", u"\u3000〈%d〉"};
    case 7: case 15: return {u'《', u'》', u"《%d》", u"\u3000《%d》"};
    case 9: return {u'［', u'］', nullptr, nullptr};
    case 10: return {u'（', u'）', nullptr, nullptr};
    default: return {u'［', u'］', u"[%d]", u"\u3000[%d]"};
    }
}

bool IsKnownStyle(QUESTION_NUMBER_STYLE style) { return style >= 1 && style <= 15; }

// Styles whose number is in kanji between brackets in both writings.
bool IsBracketedKanji(QUESTION_NUMBER_STYLE style) { return style == 9 || style == 10 || (style >= 12 && style <= 15); }

CStringW MajorText(QUESTION_NUMBER_STYLE style, int n, bool vertical)
{
    if (!IsKnownStyle(style))
        style = 0;
    const BRACKETS brackets = BracketsOf(style);
    if (IsBracketedKanji(style))
        return Bracketed(brackets.open, Kanji(n), brackets.close);
    switch (style) {
    case 2: return vertical ? Kanji(n) : Trimmed(FullWidth(n));
    case 3: return vertical ? FullWidth(n) : Trimmed(FullWidth(n));
    case 8: return vertical ? CStringW(kIdeographicSpace) + Circled(n) + kIdeographicSpace : Circled(n);
    case 11: return vertical ? Kanji(n) : Trimmed(Kanji(n));
    default:  // 1, 4 to 7 and the fallback
        return vertical ? Bracketed(brackets.open, FullWidth(n), brackets.close) : Formatted(brackets.majorFormat, n);
    }
}

CStringW SubText(QUESTION_NUMBER_STYLE style, int n, bool vertical)
{
    if (!IsKnownStyle(style))
        style = 0;
    if (style == 8)
        return MajorText(style, n, vertical);
    if (vertical) {
        // Every form but the circled one ends with a space after its closing bracket or number.
        if (style == 2 || style == 11)
            return Kanji(n) + kIdeographicSpace;
        if (style == 3)
            return FullWidth(n) + kIdeographicSpace;
        return MajorText(style, n, true) + kIdeographicSpace;
    }
    if (style >= 8)
        return MajorText(style, n, false);
    if (style == 2 || style == 3) {
        const CStringW fw = FullWidth(n);
        return fw.GetAt(0) == kIdeographicSpace ? fw : CStringW(kIdeographicSpace) + fw;
    }
    return Formatted(BracketsOf(style).subFormat, n);
}

}  // namespace

CStringW QuestionNumberText(QUESTION_NUMBER_STYLE style, int number, bool vertical, bool subQuestion)
{
    return subQuestion ? SubText(style, number, vertical) : MajorText(style, number, vertical);
}

bool IsMinchoNumberStyle(QUESTION_NUMBER_STYLE style)
{
    switch (style) {
    case 2: case 3: case 8: case 9: case 11: case 12: case 13: case 14: case 15: return true;
    default: return false;
    }
}

// ---------------------------------------------------------------------------------------------
// CEditQuestionNumber

CEditQuestionNumber::CEditQuestionNumber(EDIT_NODE_KIND kind, QUESTION_NUMBER_STYLE style) : CEditChar(kind)
{
    SetStyle(style);
}

void CEditQuestionNumber::SetStyle(QUESTION_NUMBER_STYLE style)
{
    m_frameLeftInset = 0;
    m_frameTopInset = 0;
    m_frameRect = RECT{};
    m_frameWidth = 0;
    m_frameHeight = 0;
    m_style = style;
    const bool vertical = CurrentWritingVertical != 0;
    std::string face;
    if (IsMinchoNumberStyle(style)) {
        face = kMsMinchoFace;
    } else {
        face = vertical ? kMsGothicFace : kMsPGothicFace;
        m_lf.lfHeight = -PointsToHmm(10, 5);
    }
    if (vertical)
        face.insert(face.begin(), '@');
    CopyFaceName(m_lf.lfFaceName, face);
    m_lf.lfEscapement = vertical ? 2700 : 0;
    m_lf.lfOrientation = vertical ? 2700 : 0;
    LogFontToFontProperties();
}

void CEditQuestionNumber::Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    const CStringW text = QuestionNumberText(m_style, Number(), CurrentWritingVertical != 0, IsSubQuestionLabel());
    SetText(text);
    CEditChar::Measure(dc, map, context);
    m_frameLeftInset = 0;
    m_frameTopInset = 0;
    m_frameWidth = m_width;
    m_frameHeight = m_height;
    if (m_style == 2 && text.GetAt(0) == kIdeographicSpace && dc != nullptr) {
        int spaceWidth = 0;
        CFont font;
        CMeasuringDC measuring(dc);
        if (CDC* target = measuring.Get(); target != nullptr && CreateFont(&font)) {
            const HFONT previous = target->SelectObject(font);
            SIZE extent{};
            if (GetNodeTextExtent(target, CStringW(kIdeographicSpace), &extent))
                spaceWidth = extent.cx;
            target->SelectObject(previous);
        }
        const std::u16string_view units = text.View();
        const size_t leading = units.find_first_not_of(kIdeographicSpace);
        const size_t trailingFrom = units.find_last_not_of(kIdeographicSpace);
        const int leadingCount = static_cast<int>(leading == std::u16string_view::npos ? units.size() : leading);
        const int trailingCount =
            trailingFrom == std::u16string_view::npos ? 0 : static_cast<int>(units.size() - 1 - trailingFrom);
        m_frameLeftInset = leadingCount * spaceWidth;
        m_frameWidth -= (leadingCount + trailingCount) * spaceWidth;
    }
    if (context != nullptr && context->letterSpacing > 0)
        m_frameWidth -= context->letterSpacing;
}

void CEditQuestionNumber::Layout(LAYOUT_CONTEXT* context, int)
{
    CEditChar::Layout(context, 0);
    if (m_style == 2) {
        m_frameRect = m_rcLayout;
        m_frameRect.left += m_frameLeftInset;
        m_frameRect.right = m_frameRect.left + m_frameWidth;
        m_frameRect.bottom = m_frameRect.top + m_frameHeight;
    }
}

bool CEditQuestionNumber::MoveBy(int dx, int dy)
{
    CEditChar::MoveBy(dx, dy);
    if (m_style == 2)
        MoveRect(&m_frameRect, dx, dy);
    return true;
}

void CEditQuestionNumber::Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    if (m_hidden == 2 || dc == nullptr || map == nullptr)
        return;
    m_color = dc->IsPrinting() ? kPrintLabelColor : kScreenLabelColor;
    CEditChar::Draw(dc, map, context);
    if (m_style != 2)
        return;
    RECT frame = m_frameRect;
    map->DocToDeviceRect(&frame);
    const HGDIOBJ previousBrush = dc->SelectStockObject(HOLLOW_BRUSH);
    const HPEN previousPen = dc->SelectObject(GetSolidPen(m_color));
    dc->Rectangle(&frame);
    dc->SelectObject(previousPen);
    dc->SelectObject(previousBrush);
}

void CEditQuestionNumber::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << int32_t(m_style);
        CEditChar::Serialize(ar);
        return;
    }
    int32_t style = 0;
    ar >> style;
    CEditChar::Serialize(ar);
    m_style = style;
}

// ---------------------------------------------------------------------------------------------
// The two label classes

CObject* CEditDmonno::CreateObject() { return new CEditDmonno; }
QN_IMPLEMENT_RUNTIMECLASS(CEditDmonno, CEditChar, 1, CEditDmonno::CreateObject)

CEditDmonno::CEditDmonno(QUESTION_NUMBER_STYLE style)
    : CEditQuestionNumber(EditKind::Code(EditKind::kDmonno), style)
{
}

CObject* CEditMonno::CreateObject() { return new CEditMonno; }
QN_IMPLEMENT_RUNTIMECLASS(CEditMonno, CEditChar, 1, CEditMonno::CreateObject)

CEditMonno::CEditMonno(QUESTION_NUMBER_STYLE style)
    : CEditQuestionNumber(EditKind::Code(EditKind::kMonno), style)
{
}

// ---------------------------------------------------------------------------------------------
// Root walks

namespace {

// Calls visit on every label of type T below node, depth first in document order; labels' own
// children are not visited. Stops when visit returns true.
template <typename T, typename Visit>
bool VisitLabels(CEditNode* node, Visit& visit)
{
    for (int i = 0; i < node->GetChildCount(); ++i) {
        CEditNode* child = node->GetEditChild(i);
        if (child == nullptr)
            continue;
        if (auto* label = dynamic_cast<T*>(child)) {
            if (visit(label))
                return true;
            continue;
        }
        if (VisitLabels<T>(child, visit))
            return true;
    }
    return false;
}

template <typename T>
void SetAllStyles(CEditNode* root, QUESTION_NUMBER_STYLE style)
{
    auto visit = [style](T* label) {
        label->SetStyle(style);
        label->MarkDirty();
        return false;
    };
    VisitLabels<T>(root, visit);
}

template <typename T>
int FirstStyle(CEditNode* root)
{
    int style = -1;
    auto visit = [&style](T* label) {
        style = label->GetStyle();
        return true;
    };
    VisitLabels<T>(root, visit);
    return style;
}

}  // namespace

void CEditPrint::SetAllDmonnoStyle(int style) { SetAllStyles<CEditDmonno>(this, style); }
void CEditPrint::SetAllMonnoStyle(int style) { SetAllStyles<CEditMonno>(this, style); }
int CEditPrint::GetFirstDmonnoStyle() { return FirstStyle<CEditDmonno>(this); }
int CEditPrint::GetFirstMonnoStyle() { return FirstStyle<CEditMonno>(this); }
