#include "math/math_templates.h"

#include "base/gdi_cache.h"
#include "math/stretchy_marks.h"
#include "nodes/display_map.h"
#include "nodes/edit_switches.h"
#include "nodes/node_archive.h"
#include "nodes/node_text.h"

namespace {

constexpr char16_t kIntegralGlyph = u'\uFF66';
constexpr char kGaijiFace[] = "Orvellan Gaiji";

using enum SlotSize;

}  // namespace

std::unique_ptr<CEditMathChar> MakeEmbeddedChar(const CStringW& text)
{
    auto embedded = std::make_unique<CEditMathChar>();
    if (!text.IsEmpty())
        embedded->SetText(text);
    return embedded;
}

int ItalicRightOverhang(const CEditNode* last)
{
    if (last == nullptr)
        return 0;
    int overhang = last->m_rightOverhang;
    if (!IsCharacter(last) || last->m_lf.lfItalic == 0 || last->GetText().IsEmpty() || overhang >= 50)
        return overhang;
    const char16_t first = last->GetText().GetAt(0);
    return first == u'd' || first == u'f' ? 50 : overhang;
}

void ApplyEmbeddedSize(CEditMathChar* embedded, int height, CUndoGroup* group)
{
    if (embedded == nullptr)
        return;
    const SIZE size{0, height};
    embedded->SetFontSize(&size, group);
}

// ---------------------------------------------------------------------------------------------
// CEditMathTemplate

IMPLEMENT_DYNAMIC(CEditMathTemplate, CEditMathContainer)

CEditNode* CEditMathTemplate::HitTest(int x, int y, int* after)
{
    return TemplateHitTest(x, y, after);
}

void CEditMathTemplate::Layout(LAYOUT_CONTEXT* context, int vertical)
{
    LayoutAsTemplate(context, vertical);
}

void CEditMathTemplate::Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    CEditMathContainer::Draw(dc, map, context);
    if (GetChildCount() > 0)
        DrawEmptySlotMarks(dc, map);
}

void CEditMathTemplate::DrawEmbedded(CDC* dc, CDisplayMap* map, CEditMathChar* embedded)
{
    if (embedded == nullptr || embedded->GetText().IsEmpty())
        return;
    LAYOUT_CONTEXT context;
    embedded->Draw(dc, map, &context);
}

bool CEditMathTemplate::HasRows(int rows) const
{
    const CEditBox* box = GetBox(0);
    return box != nullptr && box->GetLineCount() >= rows;
}

bool CEditMathTemplate::InHiddenAnswer()
{
    return InTextAnswersVisible == 0 && FindAncestorWithFlags(static_cast<int>(EditKind::kInTextAnswer), 1) != nullptr;
}

void CEditMathTemplate::SetLayoutRect(const LAYOUT_CONTEXT* context, int top)
{
    const int x = context->originX;
    m_rcLayout = RECT{x, top, x + m_width, top + m_height};
}

void CEditMathTemplate::StrokeHalfPoint(CDC* dc, CDisplayMap* map, std::vector<POINT> points)
{
    if (dc == nullptr || map == nullptr || points.size() < 2)
        return;
    for (POINT& point : points)
        map->DocToDevice(&point);
    CPen pen;
    if (!pen.CreatePen(PS_SOLID, DeviceMarkPen(map, kMediumMarkPen), 0x000000))
        return;
    const HPEN previous = dc->SelectObject(HPEN(pen));
    if (points.size() == 2) {
        dc->MoveTo(points[0]);
        dc->LineTo(points[1]);
    } else {
        dc->Polyline(points.data(), static_cast<int>(points.size()));
    }
    dc->SelectObject(previous);
}

CEditNode* CEditMathTemplate::SingleMarkOf(CEditNode* candidate, bool withEquilibrium)
{
    if (candidate == nullptr || candidate->GetText().IsEmpty())
        return nullptr;
    const auto* next = dynamic_cast<CEditNode*>(candidate->GetNextSibling());
    if (next == nullptr || !IsLineBreak(next))
        return nullptr;
    const char16_t first = candidate->GetText().GetAt(0);
    const bool mark = IsFlatMark(first) || first == u'\u2322' || (first >= u'\uFE35' && first <= u'\uFE38') ||
                      (withEquilibrium && first == u'\u21C4');
    return mark ? candidate : nullptr;
}

int32_t CEditMathTemplate::StretchSingleMark(CEditNode* mark, EDIT_LINE& row, int width)
{
    if (mark == nullptr)
        return 0;
    if (IsFlatMark(mark->GetText().GetAt(0))) {
        row.m_height /= 4;
        mark->m_height = row.m_height;
    }
    mark->m_width = width;
    row.m_width = width;
    return 1;
}

void CEditMathTemplate::MarkFlatMarksDirty()
{
    const int count = GetChildCount();
    for (int i = 0; i + 1 < count; ++i) {
        CEditNode* child = GetEditChild(i);
        const bool startsSlot = i == 0 || IsLineBreak(GetEditChild(i - 1));
        if (child == nullptr || IsLineBreak(child) || !startsSlot || !IsLineBreak(GetEditChild(i + 1)))
            continue;
        if (!child->GetText().IsEmpty() && IsFlatMark(child->GetText().GetAt(0)))
            child->m_dirty = 1;
    }
}

// ---------------------------------------------------------------------------------------------
// Fraction, roots, long division

IMPLEMENT_SERIAL(CEditFrac, CEditMathTemplate, 1)

CEditFrac::CEditFrac() : CEditMathTemplate(EditKind::Code(EditKind::kFrac)) {}

void CEditFrac::CreateDefaultSlots()
{
    AppendSlotEnds({Template, Template});
}

void CEditFrac::Serialize(CArchive& ar)
{
    SerializeFieldsThenBase(ar, {&m_bevelled}, [&] { CEditMathContainer::Serialize(ar); });
}

IMPLEMENT_SERIAL(CEditRoot, CEditMathTemplate, 1)

CEditRoot::CEditRoot() : CEditMathTemplate(EditKind::Code(EditKind::kRoot)) {}

void CEditRoot::CreateDefaultSlots()
{
    AppendSlotEnds({Script, Template});
}

void CEditRoot::ApplyFontSize(CUndoGroup* group)
{
    ApplySlotSizes(group, [](int slot) { return slot == 0 ? Script : Template; });
}

IMPLEMENT_SERIAL(CEditSqrt, CEditMathTemplate, 1)

CEditSqrt::CEditSqrt() : CEditMathTemplate(EditKind::Code(EditKind::kSqrt)) {}

void CEditSqrt::CreateDefaultSlots()
{
    AppendSlotEnds({Template});
}

IMPLEMENT_SERIAL(CEditLongdiv, CEditMathTemplate, 1)

CEditLongdiv::CEditLongdiv() : CEditMathTemplate(EditKind::Code(EditKind::kLongdiv)) {}

void CEditLongdiv::CreateDefaultSlots()
{
    AppendSlotEnds({Template});
}

// ---------------------------------------------------------------------------------------------
// Matrix and multi-scripts

IMPLEMENT_SERIAL(CEditMatrix, CEditMathTemplate, 1)

CEditMatrix::CEditMatrix() : CEditMathTemplate(EditKind::Code(EditKind::kMatrix))
{
    m_textAlign = TextAlign::kCenter;
}

void CEditMatrix::CreateDefaultSlots(int rows, int columns)
{
    if (rows <= 0 || columns <= 0)
        return;
    m_rows = rows;
    m_columns = columns;
    for (int i = 0; i < rows * columns; ++i)
        AppendSlotEnds({Template});
}

CEditNode* CEditMatrix::HitTest(int x, int y, int* after)
{
    return CEditContainer::HitTest(x, y, after);
}

void CEditMatrix::Serialize(CArchive& ar)
{
    SerializeFieldsThenBase(ar, {&m_rows, &m_columns, &m_columnGap}, [&] { CEditMathContainer::Serialize(ar); });
}

IMPLEMENT_SERIAL(CEditMulti, CEditMathTemplate, 1)

CEditMulti::CEditMulti() : CEditMathTemplate(EditKind::Code(EditKind::kMulti)) {}

void CEditMulti::CreateDefaultSlots()
{
    AppendSlotEnds({Script, Script, Template, Script, Script});
}

void CEditMulti::ApplyFontSize(CUndoGroup* group)
{
    ApplySlotSizes(group, [](int slot) { return slot == 2 ? Template : Script; });
}

// ---------------------------------------------------------------------------------------------
// Over and under

IMPLEMENT_SERIAL(CEditOver, CEditMathTemplate, 1)

CEditOver::CEditOver() : CEditMathTemplate(EditKind::Code(EditKind::kOver)) {}

void CEditOver::CreateDefaultSlots()
{
    AppendSlotEnds({Script, Template});
}

void CEditOver::ApplyFontSize(CUndoGroup* group)
{
    ApplySlotSizes(group, [](int slot) { return slot == 0 ? Script : Template; });
}

void CEditOver::Serialize(CArchive& ar)
{
    SerializeFieldsThenBase(ar, {&m_markFlag}, [&] { CEditMathContainer::Serialize(ar); });
}

IMPLEMENT_SERIAL(CEditUnder, CEditMathTemplate, 1)

CEditUnder::CEditUnder() : CEditMathTemplate(EditKind::Code(EditKind::kUnder)) {}

void CEditUnder::CreateDefaultSlots()
{
    AppendSlotEnds({Template, Script});
}

void CEditUnder::ApplyFontSize(CUndoGroup* group)
{
    ApplySlotSizes(group, [](int slot) { return slot == 0 ? Template : Script; });
}

void CEditUnder::Serialize(CArchive& ar)
{
    SerializeFieldsThenBase(ar, {&m_markFlag}, [&] { CEditMathContainer::Serialize(ar); });
}

IMPLEMENT_SERIAL(CEditOver2, CEditMathTemplate, 1)

CEditOver2::CEditOver2() : CEditMathTemplate(EditKind::Code(EditKind::kOver2)), m_mark(MakeEmbeddedChar()) {}

void CEditOver2::CreateDefaultSlots()
{
    AppendSlotEnds({Template});
    m_mark->m_lf.lfHeight = SizeFor(Script);
}

void CEditOver2::ApplyFontSize(CUndoGroup* group)
{
    CEditMathContainer::ApplyFontSize(group);
    ApplyEmbeddedSize(m_mark.get(), SizeFor(Script), group);
}

void CEditOver2::Serialize(CArchive& ar)
{
    SerializeEmbeddedCharsThenBase(ar, {&m_mark}, [&] { CEditMathContainer::Serialize(ar); });
}

IMPLEMENT_SERIAL(CEditUnderover, CEditMathTemplate, 1)

CEditUnderover::CEditUnderover() : CEditMathTemplate(EditKind::Code(EditKind::kUnderover)) {}

void CEditUnderover::CreateDefaultSlots()
{
    AppendSlotEnds({Script, Template, Script});
}

void CEditUnderover::ApplyFontSize(CUndoGroup* group)
{
    ApplySlotSizes(group, [](int slot) { return slot == 1 ? Template : Script; });
}

void CEditUnderover::Serialize(CArchive& ar)
{
    SerializeFieldsThenBase(ar, {&m_overMark, &m_baseArrow, &m_underMark}, [&] { CEditMathContainer::Serialize(ar); });
}

IMPLEMENT_SERIAL(CEditUnderover2, CEditMathTemplate, 1)

CEditUnderover2::CEditUnderover2()
    : CEditMathTemplate(EditKind::Code(EditKind::kUnderover2)), m_overMark(MakeEmbeddedChar()), m_underMark(MakeEmbeddedChar())
{
}

void CEditUnderover2::CreateDefaultSlots()
{
    AppendSlotEnds({Template});
    m_overMark->m_lf.lfHeight = SizeFor(Script);
    m_underMark->m_lf.lfHeight = SizeFor(Script);
}

void CEditUnderover2::ApplyFontSize(CUndoGroup* group)
{
    CEditMathContainer::ApplyFontSize(group);
    ApplyEmbeddedSize(m_overMark.get(), SizeFor(Script), group);
    ApplyEmbeddedSize(m_underMark.get(), SizeFor(Script), group);
}

void CEditUnderover2::Serialize(CArchive& ar)
{
    SerializeEmbeddedCharsThenBase(ar, {&m_overMark, &m_underMark}, [&] { CEditMathContainer::Serialize(ar); });
}

IMPLEMENT_SERIAL(CEditOUnderover, CEditMathTemplate, 1)

CEditOUnderover::CEditOUnderover() : CEditMathTemplate(EditKind::Code(EditKind::kOUnderover)), m_glyph(MakeEmbeddedChar()) {}

void CEditOUnderover::CreateDefaultSlots()
{
    m_glyph->m_lf.lfHeight = m_lf.lfHeight;
    AppendSlotEnds({Script, Script});
}

void CEditOUnderover::ApplyFontSize(CUndoGroup* group)
{
    ApplyEmbeddedSize(m_glyph.get(), SizeFor(Template), group);
    ApplySlotSizes(group, [](int) { return Script; });
}

void CEditOUnderover::Serialize(CArchive& ar)
{
    // The stream holds the glyph-stretch flag first, then the two mark flags.
    SerializeFieldsThenBase(ar, {&m_glyphStretch, &m_overMark, &m_underMark}, [&] {
        SerializeEmbeddedCharsThenBase(ar, {&m_glyph}, [&] { CEditMathContainer::Serialize(ar); });
    });
}

// ---------------------------------------------------------------------------------------------
// Scripts

IMPLEMENT_DYNAMIC(CEditScriptTemplate, CEditMathTemplate)

void CEditScriptTemplate::CreateDefaultSlots()
{
    for (int slot = 0; slot < m_slotCount; ++slot)
        AppendSlotEnds({slot == m_baseSlot ? Template : Script});
}

void CEditScriptTemplate::ApplyFontSize(CUndoGroup* group)
{
    ApplySlotSizes(group, [this](int slot) { return slot == m_baseSlot ? Template : Script; });
}

#define QN_SCRIPT_TEMPLATE_BODY(class_name, kind, baseSlot, slotCount) \
    IMPLEMENT_SERIAL(class_name, CEditScriptTemplate, 1)              \
    class_name::class_name() : CEditScriptTemplate(EditKind::Code(kind), baseSlot, slotCount) {}
QN_SCRIPT_TEMPLATE_BODY(CEditSubsup, EditKind::kSubsup, 0, 3)
QN_SCRIPT_TEMPLATE_BODY(CEditSub, EditKind::kSub, 0, 2)
QN_SCRIPT_TEMPLATE_BODY(CEditSuper, EditKind::kSuper, 0, 2)
QN_SCRIPT_TEMPLATE_BODY(CEditPresubPresup, EditKind::kPresubPresup, 2, 3)
QN_SCRIPT_TEMPLATE_BODY(CEditPresub, EditKind::kPresub, 1, 2)
QN_SCRIPT_TEMPLATE_BODY(CEditPresuper, EditKind::kPresuper, 1, 2)
QN_SCRIPT_TEMPLATE_BODY(CEditPresubSub, EditKind::kPresubSub, 1, 3)
#undef QN_SCRIPT_TEMPLATE_BODY

IMPLEMENT_SERIAL(CEditOPresubSub, CEditMathTemplate, 1)

CEditOPresubSub::CEditOPresubSub() : CEditMathTemplate(EditKind::Code(EditKind::kOPresubSub)), m_symbol(MakeEmbeddedChar()) {}

void CEditOPresubSub::ApplyFontSize(CUndoGroup* group)
{
    ApplyEmbeddedSize(m_symbol.get(), SizeFor(Template), group);
    ApplySlotSizes(group, [](int) { return Script; });
}

void CEditOPresubSub::Serialize(CArchive& ar)
{
    SerializeEmbeddedCharsThenBase(ar, {&m_symbol}, [&] { CEditMathContainer::Serialize(ar); });
}

// ---------------------------------------------------------------------------------------------
// Summation and integral templates

IMPLEMENT_DYNAMIC(CEditBigOperatorTemplate, CEditMathTemplate)

CEditBigOperatorTemplate::CEditBigOperatorTemplate(EDIT_NODE_KIND kind, char16_t glyph, int limits)
    : CEditMathTemplate(kind), m_glyph(MakeEmbeddedChar(CStringW(glyph))), m_limits(limits)
{
    m_glyphFont = m_lf;
    ApplyInstalledFontFace(&m_glyphFont, glyph == kSigmaSign ? kMsPMinchoFace : kGaijiFace);
}

bool CEditBigOperatorTemplate::IsIntegral() const
{
    return IsKind(EditKind::kIntegralSub) || IsKind(EditKind::kIntegralSubsup);
}

void CEditBigOperatorTemplate::CreateDefaultSlots()
{
    for (int i = 0; i < m_limits; ++i)
        AppendSlotEnds({Script});
}

void CEditBigOperatorTemplate::ApplyFontSize(CUndoGroup* group)
{
    ApplySlotSizes(group, [](int) { return Script; });
}

void CEditBigOperatorTemplate::SerializeBigOperator(CArchive& ar, std::initializer_list<int32_t*> before,
                                                    std::initializer_list<int32_t*> after)
{
    if (ar.IsStoring()) {
        for (int32_t* field : before)
            ar << *field;
        WriteArchivedLogFont(ar, m_glyphFont);
        for (int32_t* field : after)
            ar << *field;
        SerializeEmbeddedChar(ar, m_glyph);
        CEditMathContainer::Serialize(ar);
        return;
    }
    std::vector<int32_t> values;
    auto readFields = [&](std::initializer_list<int32_t*> fields) {
        for (size_t i = 0; i < fields.size(); ++i) {
            int32_t value = 0;
            ar >> value;
            values.push_back(value);
        }
    };
    readFields(before);
    const LOGFONTA font = ReadArchivedLogFont(ar);
    readFields(after);
    std::unique_ptr<CEditMathChar> glyph;
    SerializeEmbeddedChar(ar, glyph);
    CEditMathContainer::Serialize(ar);
    size_t i = 0;
    for (int32_t* field : before)
        *field = values[i++];
    for (int32_t* field : after)
        *field = values[i++];
    m_glyphFont = font;
    m_glyph = std::move(glyph);
}

#define QN_BIG_OPERATOR_BODY(class_name, kind, glyph, limits)                                  \
    IMPLEMENT_SERIAL(class_name, CEditBigOperatorTemplate, 1)                                  \
    class_name::class_name() : CEditBigOperatorTemplate(EditKind::Code(kind), glyph, limits) {}
QN_BIG_OPERATOR_BODY(CEditSigmaSubsup, EditKind::kSigmaSubsup, kSigmaSign, 2)
QN_BIG_OPERATOR_BODY(CEditSigmaSub, EditKind::kSigmaSub, kSigmaSign, 1)
QN_BIG_OPERATOR_BODY(CEditSigmaUnderover, EditKind::kSigmaUnderover, kSigmaSign, 2)
QN_BIG_OPERATOR_BODY(CEditSigmaUnder, EditKind::kSigmaUnder, kSigmaSign, 1)
QN_BIG_OPERATOR_BODY(CEditIntegralSubsup, EditKind::kIntegralSubsup, kIntegralGlyph, 2)
QN_BIG_OPERATOR_BODY(CEditIntegralSub, EditKind::kIntegralSub, kIntegralGlyph, 1)
#undef QN_BIG_OPERATOR_BODY

void CEditSigmaSubsup::Serialize(CArchive& ar)
{
    SerializeBigOperator(ar, {}, {&m_glyphShift});
}

void CEditSigmaSub::Serialize(CArchive& ar)
{
    SerializeBigOperator(ar, {}, {&m_glyphShift});
}

void CEditSigmaUnderover::Serialize(CArchive& ar)
{
    SerializeBigOperator(ar, {&m_upperStretched, &m_lowerStretched}, {&m_glyphShift, &m_innerWidth});
}

void CEditSigmaUnder::Serialize(CArchive& ar)
{
    SerializeBigOperator(ar, {&m_lowerStretched}, {&m_glyphShift, &m_innerWidth});
}

void CEditIntegralSubsup::Serialize(CArchive& ar)
{
    SerializeBigOperator(ar, {}, {});
}

void CEditIntegralSub::Serialize(CArchive& ar)
{
    SerializeBigOperator(ar, {}, {});
}
