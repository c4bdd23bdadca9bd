#include "formula/math_sentence.h"

#include "base/default_fonts.h"
#include "base/length_units.h"
#include "math/formula.h"
#include "nodes/edit_char.h"
#include "nodes/edit_error.h"
#include "nodes/edit_sentence.h"
#include "nodes/line_builder.h"
#include "nodes/line_hits.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <new>

IMPLEMENT_SERIAL(CEditMathSentence, CEditContainer, 1)

CEditMathSentence::CEditMathSentence() : CEditContainer(EditKind::Code(EditKind::kMathSentence))
{
    // The document model's first flag is set on a new root; the caret-stop field is cleared as a
    // paragraph's is.
    m_vertical = 1;
    m_caretStop = 0;
}

CEditMathSentence::~CEditMathSentence() = default;

void CEditMathSentence::InitContent(int useMathsFont)
{
    try {
        auto formula = std::make_unique<CEditMath>();
        if (useMathsFont) {
            const CDefaultFontTable& table = CDefaultFontTable::Instance();
            LOGFONTA font{};
            table.GetMathFont(&font);
            font.lfHeight = -std::abs(table.GetMathHeight());
            font.lfWidth = 0;
            formula->SetLogFont(&font, nullptr);
        } else {
            formula->m_lf.lfHeight = -PointsToHmm(10, 5);
        }
        formula->CreateDefaultSlots(useMathsFont);
        if (AppendChild(formula.get()) < 0)
            return;
        formula.release();
        auto lineEnd = std::make_unique<CEditCR>();
        if (AppendChild(lineEnd.get()) >= 0)
            lineEnd.release();
    } catch (const std::bad_alloc&) {
        // The root keeps what was appended; the document checks what it got.
    }
}

// ---------------------------------------------------------------------------------------------
// Measuring

void CEditMathSentence::MeasureChildren(CDC* dc, CDisplayMap* map, const LAYOUT_CONTEXT& context, int available,
                                        int remaining)
{
    // Consecutive characters of one run style share one screen font.
    CRunFont runFont;
    CEditNode* previous = nullptr;
    for (int i = 0; i < GetChildCount(); ++i) {
        CEditNode* child = GetEditChild(i);
        if (child == nullptr)
            continue;
        CEditSentence::MarkRunBoundary(previous, child);
        LAYOUT_CONTEXT childContext = ChildMeasureContext(context, available, remaining);
        runFont.Give(child, &childContext);
        child->Measure(dc, map, &childContext);
        previous = child;
    }
}

void CEditMathSentence::SetMargins()
{
    // A glyph that overhangs its box gets at least half a millimetre beside it.
    const auto margin = [](int overhang) { return overhang > 0 && overhang < kMinimumMargin ? kMinimumMargin : overhang; };
    const CEditNode* first = GetEditChild(0);
    m_leftOverhang = first != nullptr ? margin(first->m_leftOverhang) : 0;
    m_rightOverhang = 0;
    for (int i = 1; i < GetChildCount(); ++i) {
        if (IsLineBreak(GetEditChild(i))) {
            if (const CEditNode* before = GetEditChild(i - 1))
                m_rightOverhang = margin(before->m_rightOverhang);
            break;
        }
    }
}

void CEditMathSentence::Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    ForgetMeasure();
    ClearMeasure();
    m_leftOverhang = 0;
    m_rightOverhang = 0;
    if (!IsVisible() || context == nullptr)
        return;
    NumberUnderlineRunsBelow(this);

    const int available = m_areaWidth > 0 ? m_areaWidth : context->availableWidth;
    const int remaining = context->pageHeight - context->originY;
    m_width = available;
    MeasureChildren(dc, map, *context, available, remaining);

    // Every line stays in the first box, however tall the formula: the object's extent and
    // picture then show all of it.
    LINE_SETTINGS settings;
    settings.available = available;
    settings.lineSpacing = context->lineSpacing;
    settings.carryAsciiWords = true;
    settings.keepDigitsAfterNonDigit = true;
    settings.emptyLineTakesPrecedingHeight = false;
    settings.paragraphRecords = true;
    BuildLines(settings);

    CEditBox* first = GetBox(0);
    if (first == nullptr || first->GetLineCount() == 0) {
        m_height = first != nullptr ? first->m_height : 0;
        m_dirty = 0;
        return;
    }
    SetMargins();
    int widest = 0;
    for (int b = 0; b < GetBoxCount(); ++b) {
        CEditBox* box = GetBox(b);
        if (box == nullptr)
            continue;
        for (int l = 0; l < box->GetLineCount(); ++l) {
            EDIT_LINE* line = box->LineAt(l);
            if (l == 0)
                line->m_width += m_leftOverhang + m_rightOverhang;
            widest = std::max(widest, line->m_width);
        }
    }
    m_width = widest;
    m_height = first->m_height;
    m_dirty = 0;
}

// ---------------------------------------------------------------------------------------------
// Layout, drawing and hit testing

void CEditMathSentence::Layout(LAYOUT_CONTEXT* context, int vertical)
{
    if (!IsVisible() || context == nullptr)
        return;
    CEditBox* box = GetBox(context->boxIndex);
    if (box == nullptr)
        return;
    const int originX = context->originX + m_leftOverhang;
    const int originY = context->originY;
    if (context->boxIndex == 0) {
        m_rcLayout = RECT{originX, originY, originX + m_width, originY + m_height};
        m_rcHit = m_rcLayout;
    }
    box->m_rcLayout = RECT{originX, originY, originX + box->m_width, originY + box->m_height};
    box->m_rcHit = box->m_rcLayout;

    int y = originY;
    for (int l = 0; l < box->GetLineCount(); ++l) {
        EDIT_LINE* line = box->LineAt(l);
        CEditNode* lineBreak = FindLineBreakFrom(GetEditChild(line->m_first));
        const LINE_PLACEMENT placement = PlaceLine(AlignmentOf(lineBreak), *line, box->m_width, 0, true);
        int x = originX + placement.start;
        const int childY = y + (context->lineSpacing > 0 ? context->lineSpacing : 0);
        line->m_rcLayout = RECT{x, y, x + line->m_width, y + line->m_height};
        for (int i = line->m_first; i >= 0 && i <= line->m_last; ++i) {
            CEditNode* child = GetEditChild(i);
            if (child == nullptr)
                continue;
            LAYOUT_CONTEXT childContext = RowContext(*context, x, childY, line->m_ascent, line->m_axis);
            child->Layout(&childContext, vertical);
            child->m_rcHit = RECT{x, childY, x + child->m_width, childY + line->m_height};
            x += child->m_width;
            if (i < line->m_last && !IsLineBreak(GetEditChild(i + 1))) {
                if (IsSpaceNode(child))
                    x += placement.spaceExtra;
                x += placement.gapExtra;
            }
        }
        y += line->m_height;
    }
}

void CEditMathSentence::Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    if (!IsVisible() || dc == nullptr || map == nullptr)
        return;
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextAlign(TA_BASELINE);
    CEditContainer::Draw(dc, map, context);
}

CEditNode* CEditMathSentence::HitTest(int x, int y, int* after)
{
    if (!IsVisible())
        return nullptr;
    CEditNode* hit = CEditContainer::HitTest(x, y, after);
    // Beside a line's ends the caret goes to that end, even where a child answered.
    for (int b = 0; b < GetBoxCount(); ++b) {
        CEditBox* box = GetBox(b);
        if (box == nullptr || x < box->m_rcLayout.left || x > box->m_rcLayout.right)
            continue;
        for (int l = 0; l < box->GetLineCount(); ++l) {
            const EDIT_LINE* line = box->LineAt(l);
            int side = 0;
            if (CEditNode* end = HitBesideLineEnds(*line, GetEditChild(line->m_first), GetEditChild(line->m_last), x, y, &side)) {
                if (after != nullptr)
                    *after = side;
                hit = end;
                break;
            }
        }
    }
    return hit;
}

CEditNode* CEditMathSentence::GetNodeAbove(CEditNode* node, CCaret* caret)
{
    CEditNode* above = NodeOnNeighbourLine(this, node, caret, -1);
    return above != nullptr ? above : node;
}

CEditNode* CEditMathSentence::GetNodeBelow(CEditNode* node, CCaret* caret)
{
    CEditNode* below = NodeOnNeighbourLine(this, node, caret, 1);
    return below != nullptr ? below : node;
}
