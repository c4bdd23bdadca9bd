#include "nodes/caret_display.h"

#include "base/default_fonts.h"
#include "base/gdi_cache.h"
#include "nodes/caret.h"
#include "nodes/display_map.h"
#include "nodes/edit_kind.h"
#include "nodes/edit_node.h"
#include "nodes/kanbun_cell.h"

#include <cstring>

namespace {

CEditNode* PrevEdit(CEditNode* node) { return node != nullptr ? CEditNode::FromNode(node->GetPrevSibling()) : nullptr; }

bool IsCaretStopCharacter(const CEditNode* node)
{
    return node->HasKindFlags(EditKind::kCharacter) && node->IsCaretStop();
}

// The nearest of the node and its earlier siblings that is a character, container or formula node.
CEditNode* SearchBack(CEditNode* from)
{
    for (CEditNode* n = from; n != nullptr; n = PrevEdit(n))
        if (n->HasKindFlags(EditKind::kCharacter | EditKind::kContainer | EditKind::kFormula))
            return n;
    return nullptr;
}

}  // namespace

bool IsTypingSourceBefore(const CEditNode* previous)
{
    return previous != nullptr && previous->HasKindFlags(EditKind::kEditNodeBit) &&
           !previous->HasKindFlags(EditKind::kLineBreak) && IsCaretStopCharacter(previous);
}

TYPING_SOURCE FindTypingSource(CEditNode* caretNode)
{
    TYPING_SOURCE result;
    if (caretNode == nullptr)
        return result;
    CEditNode* prev = PrevEdit(caretNode);
    const bool textBefore = IsTypingSourceBefore(prev);
    if (caretNode->HasKindFlags(EditKind::kCharacter)) {
        CEditNode* source = caretNode;
        if (textBefore) {
            source = prev;
        } else if (prev != nullptr && !IsCaretStopCharacter(prev)) {
            if (CEditNode* found = SearchBack(prev))
                source = found;
        }
        if (source->IsKind(EditKind::kKan))
            result.defaultFont = true;
        else
            result.node = source;
        return result;
    }
    if (textBefore || prev == nullptr || IsCaretStopCharacter(prev))
        return result;
    for (CEditNode* n = prev; n != nullptr; n = PrevEdit(n)) {
        // A kanbun cell lends the format of its base text.
        if (n->IsKind(EditKind::kKan)) {
            auto* kan = dynamic_cast<CEditKan*>(n);
            CEditNode* base = kan != nullptr ? reinterpret_cast<CEditNode*>(kan->GetBaseBox()) : nullptr;
            result.node = base != nullptr ? base->GetFirstInner() : nullptr;
            return result;
        }
        if (n->HasKindFlags(EditKind::kCharacter | EditKind::kContainer | EditKind::kFormula)) {
            result.node = n;
            return result;
        }
    }
    return result;
}

void TakeTypingFormat(CCaret* caret, const CEditNode& source)
{
    caret->m_logFont = source.m_lf;
    caret->m_font.m_fontWidth = source.FontRecord().m_fontWidth;
    caret->m_color.m_color = source.m_color;
    caret->m_border.m_backgroundColor = source.BorderRecord().m_backgroundColor;
    caret->m_border.m_borderStyle = source.BorderRecord().m_borderStyle;
    caret->m_border.m_borderWidth = source.BorderRecord().m_borderWidth;
    caret->m_alignment.m_scriptPosition = source.m_scriptPosition;
}

void StepToCaretStop(CCaret* caret, CEditNode* (CEditNode::*move)(CCaret*, int))
{
    for (;;) {
        CEditNode* node = caret->m_caretNode;
        if (node == nullptr || (node->HasKindFlags(EditKind::kEditNodeBit) && node->IsCaretStop()))
            return;
        const int side = caret->m_caretAfter;
        if ((node->*move)(caret, 0) == nullptr)
            return;
        if (caret->m_caretNode == node && caret->m_caretAfter == side)
            return;
    }
}

LOGFONTA CompositionFont(const LOGFONTA& typing, const CDisplayMap& map)
{
    LOGFONTA font = typing;
    SIZE extent{font.lfHeight, font.lfWidth};
    map.DocToDeviceExtent(&extent);
    font.lfHeight = extent.cx;
    font.lfWidth = extent.cy;
    if (map.IsVertical()) {
        font.lfEscapement = 2700;
        font.lfOrientation = 2700;
    }
    if (std::strstr(font.lfFaceName, "Orvellan") != nullptr) {
        LOGFONTA face{};
        CDefaultFontTable::Instance().GetDefaultFont(&face, map.IsVertical());
        face.lfHeight = font.lfHeight;
        face.lfWidth = font.lfWidth;
        face.lfEscapement = font.lfEscapement;
        face.lfOrientation = font.lfOrientation;
        face.lfWeight = font.lfWeight;
        face.lfItalic = font.lfItalic;
        face.lfUnderline = font.lfUnderline;
        face.lfStrikeOut = font.lfStrikeOut;
        font = face;
    }
    return font;
}

void DrawContainerFrame(CDC* dc, const CDisplayMap& map, const CEditNode& container)
{
    const int oldRop = dc->SetROP2(R2_XORPEN);
    RECT r = container.m_rcLayout;
    map.DocToDeviceRect(&r);
    r = RECT{r.left - 1, r.top - 1, r.right + 2, r.bottom + 2};
    HGDIOBJ oldBrush = dc->SelectStockObject(NULL_BRUSH);
    dc->FrameRect(&r, GetHalftoneBrush());
    dc->SelectObject(oldBrush);
    dc->SetROP2(oldRop);
}
