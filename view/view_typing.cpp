// The caret, typed, palette and composed characters, Backspace, Enter, Delete and the caret keys.
#include "view/edit_view_controller.h"

#include "base/default_fonts.h"
#include "base/gdi_cache.h"
#include "base/number_labels.h"
#include "nodes/caret_display.h"
#include "nodes/edit_kind.h"
#include "nodes/edit_node.h"
#include "nodes/edit_print.h"
#include "nodes/undo.h"


namespace {

// Control characters would make the saved file invalid XML; the view handles 8 and 13 itself.
bool IsControlChar(char16_t ch) { return (ch >= 0x01 && ch <= 0x1F) || ch == 0x7F; }

bool InFormula(const CEditNode* node)
{
    const CEditNode* parent = node != nullptr ? node->GetEditParent() : nullptr;
    return parent != nullptr && parent->HasKindFlags(EditKind::kFormula);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The caret

int CEditViewController::UpdateCaret(BOOL takeFormat)
{
    CEditNode* node = CaretNode();
    if (node == nullptr)
        return 0;
    SettleCaretBlocks();
    const RECT& r = node->m_rcLayout;
    m_rcCaret = RECT{r.left, r.top, r.right - r.left, r.bottom - r.top};
    m_ptCaretOrigin = POINT{r.left, r.top};
    m_caret.m_caretKind = static_cast<DWORD>(node->GetKind());
    if (takeFormat) {
        const TYPING_SOURCE source = FindTypingSource(node);
        if (source.node != nullptr)
            TakeTypingFormat(&m_caret, *source.node);
        else if (source.defaultFont)
            CDefaultFontTable::Instance().GetDefaultFont(&m_caret.m_logFont, m_displayMap.IsVertical());
    }
    ShowCaretAndIme();
    return 1;
}

void CEditViewController::ShowCaretAndIme()
{
    CreateSystemCaret();
    PlaceImeWindow();
    m_host.CaretChanged();
}

void CEditViewController::CreateSystemCaret()
{
    if (!m_host.HasFocus())
        return;
    if (!m_caret.m_verticalMove)
        m_caret.m_rememberedX = m_rcCaret.left;
    POINT position{m_rcCaret.left, m_rcCaret.top};
    LogicalToDevicePoint(&position);
    SIZE size{m_rcCaret.right, m_rcCaret.bottom};
    m_displayMap.DocToDeviceSize(&size);
    if (m_displayMap.IsVertical()) {
        size.cx = std::abs(size.cx);
        position.x -= size.cx;
        m_systemCaret = RECT{position.x, position.y, position.x + size.cx, position.y + kEdge};
    } else {
        m_systemCaret = RECT{position.x, position.y, position.x + kEdge, position.y + std::abs(size.cy)};
    }
    m_systemCaretShown = true;
}

// ---------------------------------------------------------------------------------------------
// Typing

bool CEditViewController::ChooseClassFont(CStringW& text)
{
    const CDefaultFontTable& fonts = CDefaultFontTable::Instance();
    const int vertical = m_displayMap.IsVertical();
    LOGFONTA* typing = &m_caret.m_logFont;
    LOGFONTA font{};
    const char16_t first = text.GetAt(0);
    const bool ascii = first < 0x80;
    if (InFormula(CaretNode())) {
        if (!ascii) {
            fonts.GetMathOperatorFont(&font);
            ApplyInstalledFontFace(typing, font, fonts.GetMathOperatorItalic());
            return false;
        }
        if (IsQuoteOrLetter(text)) {
            fonts.GetMathFont(&font);
            ApplyInstalledFontFace(typing, font, fonts.GetMathItalic());
        } else {
            fonts.GetMathNumericFont(&font);
            ApplyInstalledFontFace(typing, font, fonts.GetMathNumericItalic());
        }
        ToFullWidthOperator(text);
        if (IsOperatorChar(text)) {
            fonts.GetMathOperatorFont(&font);
            ApplyInstalledFontFace(typing, font, fonts.GetMathOperatorItalic());
            return true;
        }
        return false;
    }
    if (!ascii) {
        fonts.GetDefaultFont(&font, vertical);
        ApplyInstalledFontFace(typing, font, fonts.GetDefaultItalic(vertical));
    } else if (first >= u'0' && first <= u'9') {
        fonts.GetNumericFont(&font, vertical);
        ApplyInstalledFontFace(typing, font, fonts.GetNumericItalic(vertical));
    } else {
        fonts.GetHankakuFont(&font, vertical);
        ApplyInstalledFontFace(typing, font, fonts.GetHankakuItalic(vertical));
    }
    return false;
}

bool CEditViewController::DeleteSelectionInto(CUndoGroup* group)
{
    bool removed = false;
    if (m_caret.m_anchorNode != nullptr) {
        removed = CEditNode::DeleteSelection(&m_caret, group) != FALSE;
        if (removed) {
            // The paper changed even when the insertion that follows fails.
            m_document.SetModifiedFlag(true);
            if (CaretNode() != nullptr)
                CaretNode()->MarkPartModified(TRUE);
        }
    }
    m_caret.ClearSelection();
    return removed;
}

void CEditViewController::FinishChange(std::unique_ptr<CUndoGroup> group)
{
    if (group && group->GetCount() > 0)
        m_document.PushUndo(std::move(group));
}

void CEditViewController::AfterChange(BOOL takeFormat)
{
    m_document.SetModifiedFlag(true);
    if (CaretNode() != nullptr)
        CaretNode()->MarkPartModified(TRUE);
    Relayout();
    UpdateCaret(takeFormat);
    InvalidateAll();
}

void CEditViewController::OnChar(char16_t ch)
{
    if ((m_nViewMode != ViewMode::kText && m_nViewMode != ViewMode::kNameField) || CaretNode() == nullptr)
        return;
    InsertTypedChar(ch);
    EnsureCaretVisible();
}

void CEditViewController::InsertTypedChar(char16_t ch)
{
    if (ch == 8 || ch == 13) {
        if (ch == 8)
            DoBackspace();
        else
            DoEnter();
        m_caret.m_verticalMove = 0;
        return;
    }
    if (ch == 0 || IsControlChar(ch))
        return;
    CEditNode* node = CaretNode();
    if (node == nullptr)
        return;
    m_caret.m_verticalMove = 0;
    if (node->GetEditParent() == nullptr)
        return;
    CStringW text(ch);
    const LOGFONTA saved = m_caret.m_logFont;
    const bool op = ChooseClassFont(text);
    auto group = std::make_unique<CUndoGroup>();
    if (DeleteSelectionInto(group.get())) {
        Relayout();
        UpdateCaret(TRUE);
        InvalidateAll();
    }
    node = CaretNode();
    if (node != nullptr && node->InsertString(&m_caret, &text, group.get())) {
        m_caret.m_logFont = saved;
        AfterChange(op ? FALSE : TRUE);
    }
    FinishChange(std::move(group));
}

void CEditViewController::DoBackspace()
{
    CEditNode* node = CaretNode();
    if (node == nullptr)
        return;
    auto group = std::make_unique<CUndoGroup>();
    if (node->DeleteBackward(&m_caret, group.get()))
        AfterChange(TRUE);
    FinishChange(std::move(group));
}

void CEditViewController::DoEnter()
{
    CEditNode* node = CaretNode();
    if (node == nullptr)
        return;
    auto group = std::make_unique<CUndoGroup>();
    if (node->InsertLineBreak(&m_caret, group.get()))
        AfterChange(FALSE);
    FinishChange(std::move(group));
}

void CEditViewController::DeleteAtCaret()
{
    CEditNode* node = CaretNode();
    if (node == nullptr)
        return;
    auto group = std::make_unique<CUndoGroup>();
    if (node->DeleteForward(&m_caret, group.get())) {
        m_document.SetModifiedFlag(true);
        if (CaretNode() != nullptr)
            CaretNode()->MarkPartModified(TRUE);
        UpdateCaret(TRUE);
        OnUpdate(UpdateHint::kAll);
        // The caret's rectangle from the new layout.
        UpdateCaret(FALSE);
    }
    FinishChange(std::move(group));
}

void CEditViewController::OnEditClear()
{
    if (CaretNode() != nullptr)
        DeleteAtCaret();
}

void CEditViewController::OnPaletteChar(char16_t ch, const LOGFONTA* font)
{
    // Nothing typed reaches the paper while a picture or answer fields are being sized.
    if (m_nViewMode != ViewMode::kText && m_nViewMode != ViewMode::kNameField)
        return;
    if (CaretNode() == nullptr || ch == 0 || IsControlChar(ch))
        return;
    m_caret.m_verticalMove = 0;
    auto group = std::make_unique<CUndoGroup>();
    if (DeleteSelectionInto(group.get())) {
        Relayout();
        UpdateCaret(TRUE);
        InvalidateAll();
    }
    const LOGFONTA saved = m_caret.m_logFont;
    if (font != nullptr) {
        m_caret.SetTypingFace(font->lfFaceName);
        m_caret.m_logFont.lfWeight = 400;
        m_caret.m_logFont.lfItalic = 0;
        m_caret.m_logFont.lfUnderline = 0;
        m_caret.m_logFont.lfStrikeOut = 0;
    }
    CStringW text(ch);
    CEditNode* node = CaretNode();
    if (node != nullptr && node->InsertString(&m_caret, &text, group.get()))
        AfterChange(FALSE);
    m_caret.m_logFont = saved;
    FinishChange(std::move(group));
}

// ---------------------------------------------------------------------------------------------
// Keys

void CEditViewController::OnKeyDown(int key, bool shift)
{
    const bool vertical = m_displayMap.IsVertical() != 0;
    if (key == ViewKey::kPageUp) {
        if (vertical)
            OnHScroll(ScrollCode::kPageDown);
        else
            OnVScroll(ScrollCode::kPageUp);
        return;
    }
    if (key == ViewKey::kPageDown) {
        if (vertical)
            OnHScroll(ScrollCode::kPageUp);
        else
            OnVScroll(ScrollCode::kPageDown);
        return;
    }
    if (m_nViewMode != ViewMode::kText && m_nViewMode != ViewMode::kNameField)
        return;
    OnCaretKey(key, shift);
    if (key != ViewKey::kShift)
        EnsureCaretVisible();
}

void CEditViewController::OnCaretKey(int key, bool shift)
{
    const bool vertical = m_displayMap.IsVertical() != 0;
    // Vertical lines run top to bottom and follow each other from right to left.
    switch (key) {
    case ViewKey::kLeft:
        if (vertical)
            MoveCaret(&CEditNode::MoveDown, true, shift, false);
        else
            MoveCaret(&CEditNode::MovePrev, false, shift, true);
        break;
    case ViewKey::kRight:
        if (vertical)
            MoveCaret(&CEditNode::MoveUp, true, shift, false);
        else
            MoveCaret(&CEditNode::MoveNext, false, shift, true);
        break;
    case ViewKey::kUp:
        if (vertical)
            MoveCaret(&CEditNode::MovePrev, false, shift, true);
        else
            MoveCaret(&CEditNode::MoveUp, true, shift, false);
        break;
    case ViewKey::kDown:
        if (vertical)
            MoveCaret(&CEditNode::MoveNext, false, shift, true);
        else
            MoveCaret(&CEditNode::MoveDown, true, shift, false);
        break;
    case ViewKey::kHome: MoveCaret(&CEditNode::MoveHome, false, shift, false); break;
    case ViewKey::kEnd: MoveCaret(&CEditNode::MoveEnd, false, shift, false); break;
    default: break;
    }
}

void CEditViewController::MoveCaret(CEditNode* (CEditNode::*move)(CCaret*, int), bool lock, bool shift, bool settle)
{
    if (CaretNode() == nullptr)
        return;
    SettleCaretBlocks();
    // First onto a caret stop, without extending the selection.
    if (settle)
        StepToCaretStop(&m_caret, move);
    if (CaretNode() == nullptr)
        return;
    m_caret.m_verticalMove = lock ? 1 : 0;
    (CaretNode()->*move)(&m_caret, shift ? 1 : 0);
    m_caret.m_verticalMove = lock ? 1 : 0;
    UpdateCaret(TRUE);
    InvalidateAll();
}

// ---------------------------------------------------------------------------------------------
// The input method

void CEditViewController::PlaceImeWindow()
{
    if (!m_host.HasFocus())
        return;
    POINT point = m_ptCaretOrigin;
    LogicalToDevicePoint(&point);
    m_imePoint = point;
    m_imeFont = CompositionFont(m_caret.m_logFont, m_displayMap);
}

void CEditViewController::OnImeOpenStatus(bool open)
{
    m_imeOpen = open;
    if (EditKind::Has(static_cast<EDIT_NODE_KIND>(m_caret.m_caretKind), EditKind::kFormula))
        m_bImeOpenMath = open ? 1 : 0;
    else
        m_bImeOpenText = open ? 1 : 0;
}

void CEditViewController::OnImeComposition(const std::u16string& result)
{
    m_preedit.clear();
    if (result.empty())
        return;
    if (CaretNode() == nullptr || CaretNode()->GetEditParent() == nullptr)
        return;
    if (m_nViewMode != ViewMode::kText && m_nViewMode != ViewMode::kNameField)
        return;
    auto group = std::make_unique<CUndoGroup>();
    const bool removed = DeleteSelectionInto(group.get());
    int inserted = 0;
    bool anyOperator = false;
    for (char16_t ch : result) {
        if (IsControlChar(ch) || ch == 0)
            continue;
        CEditNode* node = CaretNode();
        if (node == nullptr)
            break;
        const LOGFONTA saved = m_caret.m_logFont;
        CStringW text(ch);
        const bool op = ChooseClassFont(text);
        if (node->InsertString(&m_caret, &text, group.get())) {
            m_document.SetModifiedFlag(true);
            if (CaretNode() != nullptr)
                CaretNode()->MarkPartModified(TRUE);
            m_caret.m_logFont = saved;
            ++inserted;
            anyOperator = anyOperator || op;
        }
    }
    FinishChange(std::move(group));
    if (inserted > 0 || removed) {
        Relayout();
        UpdateCaret(anyOperator ? FALSE : TRUE);
        InvalidateAll();
        EnsureCaretVisible();
    }
}
