#include "nodes/edit_char.h"

#include "base/default_fonts.h"
#include "nodes/display_map.h"
#include "nodes/edit_container.h"
#include "nodes/edit_switches.h"
#include "nodes/node_text.h"
#include "nodes/undo.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Selects the character's own device font for drawing when the parent hands none down, and puts
// the previous font back afterwards. A font that cannot be made leaves the current one selected.
class NodeFontSelection {
public:
    NodeFontSelection(CDC* dc, CDisplayMap* map, const CEditChar* node, const LAYOUT_CONTEXT* context)
        : m_dc(dc)
    {
        if ((context == nullptr || !context->font) && node->CreateDeviceFont(map, &m_font)) {
            m_previous = dc->SelectObject(m_font);
            m_selected = true;
        }
    }
    ~NodeFontSelection()
    {
        if (m_selected)
            m_dc->SelectObject(m_previous);
    }
    NodeFontSelection(const NodeFontSelection&) = delete;
    NodeFontSelection& operator=(const NodeFontSelection&) = delete;

private:
    CDC* m_dc;
    CFont m_font;
    HFONT m_previous;
    bool m_selected = false;
};

// The colour a character's text is drawn in: its own, or red inside an in-text answer.
COLORREF TextColorOf(CEditNode* node)
{
    if (UseWideTextOut && node->FindAncestorWithFlags(static_cast<int>(EditKind::kInTextAnswer), 1) != nullptr)
        return 0x0000FF;
    return node->m_color;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// CEditChar

IMPLEMENT_SERIAL(CEditChar, CEditNode, 1)

CEditChar::CEditChar() : CEditChar(EditKind::Code(EditKind::kChar)) {}

CEditChar::CEditChar(EDIT_NODE_KIND kind) : CEditNode(kind)
{
    Reset();
}

CEditChar::CEditChar(char16_t character) : CEditChar()
{
    CEditNode::SetText(character);
    m_state = kText;
}

CEditChar::CEditChar(const CStringW& text) : CEditChar()
{
    SetText(text);
}

void CEditChar::Reset()
{
    CQNXMLNode::SetText(CStringW());
    SetFontRecord(CFontProperties());
    CColorRelatedProperties::Clear();
    SetBorderRecord(CBorderPaddingBackgroundProperties());
    CAreaAlignmentProperties::SetDefaults();
    ResetNumbering();
    m_state = kEmpty;
    m_rcHit = RECT{};
    CDefaultFontTable::Instance().GetDefaultFont(&m_lf, CurrentWritingVertical);
    MarkDirty();
}

int CEditChar::SetText(const CStringW& text)
{
    if (text.IsEmpty()) {
        Reset();
        return GetBlank();
    }
    const int blank = CEditNode::SetText(text);
    m_state = kText;
    return blank;
}

void CEditChar::CopyFormat(const CEditNode* other)
{
    if (other == nullptr)
        return;
    m_lf = other->m_lf;
    CopyFontRecord(other->FontRecord());
    CColorRelatedProperties::Copy(*other);
    SetBorderRecord(other->BorderRecord());
    CAreaAlignmentProperties::Copy(*other);
    SetCharacterRecord(other->CharacterRecord());
    CopyNumbering(other->Numbering());
    MarkDirty();
}

void CEditChar::CopyFrom(const CEditChar* other)
{
    if (other == nullptr)
        return;
    CEditNode::SetText(other->GetText());
    m_state = other->m_state;
    CopyFormat(other);
}

void CEditChar::BuildLogFont(LOGFONTA* font) const
{
    BuildDeviceLogFont(0, font);
    font->lfEscapement = 0;
    font->lfOrientation = 0;
}

void CEditChar::BuildDeviceLogFont(int vertical, LOGFONTA* font) const
{
    *font = m_lf;
    if (vertical) {
        font->lfEscapement = 2700;
        font->lfOrientation = 2700;
    }
    if (FontRecord().m_fontWidth == 2)
        font->lfWidth = std::abs(font->lfHeight);
    else if (FontRecord().m_fontWidth == 1)
        font->lfWidth = std::abs(font->lfHeight / 4);
    else
        font->lfWidth = 0;
    if (m_scriptPosition == ScriptPosition::kSubscript || m_scriptPosition == ScriptPosition::kSuperscript) {
        font->lfHeight = ScriptSize(font->lfHeight);
        font->lfWidth = ScriptSize(font->lfWidth);
    }
}

BOOL CEditChar::CreateFont(CFont* font) const
{
    LOGFONTA description;
    BuildLogFont(&description);
    return font->CreateFontIndirect(&description);
}

BOOL CEditChar::CreateDeviceFont(CDisplayMap* map, CFont* font) const
{
    LOGFONTA description;
    BuildDeviceLogFont(map->IsVertical(), &description);
    SIZE extent{description.lfHeight, description.lfWidth};
    map->DocToDeviceExtent(&extent);
    description.lfHeight = extent.cx;
    description.lfWidth = extent.cy;
    return font->CreateFontIndirect(&description);
}

CEditNode* CEditChar::HitTest(int x, int y, int* after)
{
    CEditNode* hit = CEditNode::HitTest(x, y, after);
    if (hit != nullptr && m_state == kEmpty && after != nullptr)
        *after = 0;
    return hit;
}

void CEditChar::Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    // A line break takes over the metrics of the character before it while its container builds
    // lines, so it measures its own font each time it is asked, or it would keep borrowed ones.
    if (!m_dirty && !IsLineBreak(this))
        return;
    m_width = 0;
    m_height = 0;

    CFont own;
    HFONT font = context != nullptr ? context->font : HFONT();
    if (!font && CreateFont(&own))
        font = own;
    if (font && dc != nullptr) {
        CMeasuringDC measuring(dc);
        if (CDC* target = measuring.Get()) {
            const HFONT previous = target->SelectObject(font);
            TEXTMETRICA metrics{};
            target->GetTextMetricsA(&metrics);
            m_tm = metrics;
            m_ascent = metrics.tmAscent;
            m_axis = metrics.tmHeight / 2;
            SIZE extent{1, metrics.tmHeight};
            if (!GetText().IsEmpty()) {
                GetNodeTextExtent(target, GetText(), &extent);
                if (context != nullptr && context->letterSpacing > 0)
                    extent.cx += context->letterSpacing;
            }
            m_width = extent.cx;
            m_height = extent.cy;
            if (Numbering().m_renbanType != RenbanType::kNone) {
                m_height += Numbering().m_renbanSize;
                if (map != nullptr && map->IsVertical()) {
                    m_ascent += Numbering().m_renbanSize;
                    m_axis += Numbering().m_renbanSize;
                }
            }
            target->SelectObject(previous);
        }
    }
    m_dirty = 0;
}

void CEditChar::Layout(LAYOUT_CONTEXT* context, int)
{
    if (context == nullptr)
        return;
    const int x = context->originX;
    int baseline = context->originY + context->rowAscent;
    if (m_scriptPosition == ScriptPosition::kSuperscript)
        baseline -= m_tm->tmAscent;
    else if (m_scriptPosition == ScriptPosition::kSubscript)
        baseline += m_tm->tmDescent;
    m_ptText = POINT{x, baseline};
    const int top = baseline - m_tm->tmAscent;
    m_rcLayout = RECT{x, top, x + m_width, top + m_height};
}

bool CEditChar::MoveBy(int dx, int dy)
{
    m_ptText.x += dx;
    m_ptText.y += dy;
    MoveRect(&m_rcLayout, dx, dy);
    MoveRect(&m_rcHit, dx, dy);
    return true;
}

void CEditChar::Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    if (dc == nullptr || map == nullptr)
        return;
    NodeFontSelection selection(dc, map, this, context);
    POINT origin = m_ptText;
    map->DocToDevice(&origin);
    if (GetText().IsEmpty())
        return;
    dc->SetTextColor(TextColorOf(this));
    DrawNodeText(dc, origin.x, origin.y, GetText());
}

namespace {

bool IsPlainSingleCharacter(const CEditNode* node)
{
    return node != nullptr && node->IsKind(EditKind::kChar) && node->GetText().GetLength() == 1;
}

}  // namespace

bool CEditChar::JoinsTextRun(const CEditNode* first, const CEditNode* previous, const CEditNode* next)
{
    return UseWideTextOut && IsPlainSingleCharacter(first) && IsPlainSingleCharacter(next) &&
           next->SameRunStyle(first) && next->m_color == first->m_color &&
           next->GetParent() == first->GetParent() && next->m_boxIndex == first->m_boxIndex &&
           next->m_lineIndex == first->m_lineIndex && next->m_ptText.y == first->m_ptText.y &&
           next->m_ptText.x >= previous->m_ptText.x;
}

void CEditChar::DrawTextRun(CDC* dc, CDisplayMap* map, std::span<CEditNode* const> run)
{
    if (dc == nullptr || map == nullptr || run.empty())
        return;
    // Each character's place along the line, in device units, from the first one's origin: the
    // same places its own drawing gives it.
    std::u16string text;
    std::vector<int> dx;
    text.reserve(run.size());
    dx.reserve(run.size());
    POINT start = run.front()->m_ptText;
    map->DocToDevice(&start);
    int along = map->IsVertical() ? start.y : start.x;
    for (size_t i = 0; i < run.size(); ++i) {
        text.push_back(run[i]->GetText().GetAt(0));
        int next = along;
        if (i + 1 < run.size()) {
            POINT origin = run[i + 1]->m_ptText;
            map->DocToDevice(&origin);
            next = map->IsVertical() ? origin.y : origin.x;
        } else {
            SIZE extent{run[i]->m_width, 0};
            map->DocToDeviceSize(&extent);
            next = along + (map->IsVertical() ? extent.cy : extent.cx);
        }
        dx.push_back(next - along);
        along = next;
    }
    dc->SetTextColor(TextColorOf(run.front()));
    dc->ExtTextOutW(start.x, start.y, 0, nullptr, text.data(), static_cast<UINT>(text.size()), dx.data());
}

// ---------------------------------------------------------------------------------------------
// CEditCR

IMPLEMENT_SERIAL(CEditCR, CEditChar, 1)

CEditCR::CEditCR() : CEditChar(EditKind::Code(EditKind::kCR)) {}

void CEditCR::SetTextAlign(int align, CUndoGroup* group)
{
    if (group != nullptr)
        group->RecordInt(UndoCode::kTextAlign, this, m_textAlign, align);
    m_textAlign = align;
    // The lines keep their measuring but move: the containers above must place them again.
    for (CEditNode* node = GetEditParent(); node != nullptr; node = node->GetEditParent()) {
        if (auto* container = dynamic_cast<CEditContainer*>(node))
            container->ForgetPlacement();
    }
}

void CEditCR::Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    if (!GetText().IsEmpty()) {
        CEditChar::Draw(dc, map, context);
        return;
    }
    if (dc == nullptr || map == nullptr || dc->IsPrinting() || !LineBreakMarksVisible)
        return;
    NodeFontSelection selection(dc, map, this, context);
    const int shift = (m_width < 2 ? m_height : m_width) / 2;
    POINT origin{m_ptText.x - shift, m_ptText.y};
    map->DocToDevice(&origin);
    dc->SetTextColor(kLineBreakMarkColor);
    DrawNodeText(dc, origin.x, origin.y, CStringW(kLineBreakMark));
}

void CEditCR::CopyStyleFromElement(CQNXMLNode* element)
{
    if (const auto* line = dynamic_cast<CBlockLineRelatedProperties*>(element))
        CBlockLineRelatedProperties::Copy(*line);
}

void CEditCR::CopyStyleToElement(CQNXMLNode* element)
{
    if (auto* line = dynamic_cast<CBlockLineRelatedProperties*>(element))
        line->Copy(*this);
}

void CRunFont::Give(CEditNode* child, LAYOUT_CONTEXT* context)
{
    auto* character = IsCharacter(child) ? dynamic_cast<CEditChar*>(child) : nullptr;
    if (character == nullptr)
        return;
    if (m_owner == nullptr || !character->SameRunStyle(m_owner)) {
        m_font.DeleteObject();
        m_owner = character->CreateFont(&m_font) ? character : nullptr;
    }
    if (m_owner != nullptr)
        context->font = m_font;
}
