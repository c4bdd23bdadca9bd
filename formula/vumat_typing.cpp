// The caret, typed characters, Backspace, Enter and Delete, the caret keys, composed strings of
// the input method and palette characters. Each keystroke or string is one undo group.
#include "formula/vumat_view.h"

#include "base/default_fonts.h"
#include "base/gaiji_lookup.h"
#include "base/gdi_cache.h"
#include "formula/vumat_doc.h"
#include "nodes/caret_display.h"
#include "nodes/edit_kind.h"
#include "nodes/edit_error.h"
#include "nodes/edit_node.h"
#include "nodes/undo.h"

#include <new>

namespace {

constexpr char kGaijiFace[] = "Orvellan Gaiji";

// Characters that no formula holds: C0 and C1 controls and DEL.
bool IsControlChar(char16_t ch) { return ch < 0x20 || (ch >= 0x7F && ch <= 0x9F); }
bool IsHighSurrogate(char16_t ch) { return ch >= 0xD800 && ch <= 0xDBFF; }
bool IsLowSurrogate(char16_t ch) { return ch >= 0xDC00 && ch <= 0xDFFF; }

}  // namespace

// ---------------------------------------------------------------------------------------------
// The caret

void CVumatView::UpdateCaret(BOOL takeFormat)
{
    CEditNode* node = CaretNode();
    if (node == nullptr)
        return;
    const RECT& r = node->m_rcLayout;
    m_rcCaret = RECT{r.left, r.top, r.right - r.left, r.bottom - r.top};
    m_ptIme = POINT{r.left, r.top};
    m_caret.m_caretKind = static_cast<DWORD>(node->GetKind());
    if (takeFormat) {
        const TYPING_SOURCE source = FindTypingSource(node);
        if (source.node != nullptr)
            TakeTypingFormat(&m_caret, *source.node);
        else if (source.defaultFont)
            CDefaultFontTable::Instance().GetDefaultFont(&m_caret.m_logFont, 0);
    }
    ShowCaretAndIme();
}

void CVumatView::ShowCaretAndIme()
{
    CreateSystemCaret();
    PlaceImeWindow();
    m_host.CaretChanged();
}

void CVumatView::CreateSystemCaret()
{
    if (!m_host.HasFocus())
        return;
    CEditNode* node = CaretNode();
    if (node == nullptr)
        return;
    // A caret outside the formula (at the root's line end) goes into it: to its end, or to its
    // start when the caret stood before it.
    CEditMathSentence* root = Root();
    CEditNode* first = root != nullptr ? root->GetEditChild(0) : nullptr;
    if (node->GetEditParent() == root && first != nullptr && first->IsKind(EditKind::kMath)) {
        CEditNode* inner = node != first ? first->GetLastInner() : first->GetFirstInner();
        if (inner != nullptr && inner->GetEditParent() != root) {
            m_caret.m_caretNode = inner;
            m_caret.m_caretAfter = 0;
            const RECT& r = inner->m_rcLayout;
            m_rcCaret = RECT{r.left, r.top, r.right - r.left, r.bottom - r.top};
            m_ptIme = POINT{r.left, r.top};
            m_caret.m_caretKind = static_cast<DWORD>(inner->GetKind());
        }
    }
    if (!m_caret.m_verticalMove)
        m_caret.m_rememberedX = m_rcCaret.left;
    POINT position{m_rcCaret.left, m_rcCaret.top};
    LogicalToDevicePoint(&position);
    SIZE size{m_rcCaret.right, m_rcCaret.bottom};
    m_displayMap.DocToDeviceSize(&size);
    m_systemCaret = RECT{position.x, position.y, position.x + kEdge, position.y + std::abs(size.cy)};
    m_systemCaretShown = true;
}

// ---------------------------------------------------------------------------------------------
// Closing a change

void CVumatView::CommitChange(BOOL takeFormat)
{
    m_document.SetModifiedFlag(TRUE);
    if (CaretNode() != nullptr)
        CaretNode()->MarkPartModified(TRUE);
    LayoutRoot();
    UpdateCaret(takeFormat);
    InvalidateAll();
    m_document.UpdateAllItems(0);
    m_document.UpdateAllViews(VumatHint::kAll);
}

void CVumatView::FinishGroup(std::unique_ptr<CUndoGroup> group)
{
    if (group && group->GetCount() > 0)
        m_document.PushUndo(std::move(group));
}

bool CVumatView::DeleteSelectionInto(CUndoGroup* group)
{
    bool removed = false;
    if (m_caret.m_anchorNode != nullptr && CEditNode::DeleteSelection(&m_caret, group)) {
        removed = true;
        m_document.SetModifiedFlag(TRUE);
        if (CaretNode() != nullptr)
            CaretNode()->MarkPartModified(TRUE);
        LayoutRoot();
        UpdateCaret(TRUE);
        InvalidateAll();
    }
    m_caret.ClearSelection();
    return removed;
}

// Runs one edit on a new group. An edit that fails part-way still hands what it recorded to the
// history, so that one undo takes the formula back, and shows what it changed.
template <typename Edit>
static void RunGrouped(CVumatView& view, Edit edit)
{
    auto group = std::make_unique<CUndoGroup>();
    auto handOver = [&view, &group] {
        if (group->GetCount() == 0)
            return;
        view.FinishGroup(std::move(group));
        try {
            view.CommitChange(FALSE);
        } catch (const CEditError&) {
        } catch (const std::bad_alloc&) {
        }
    };
    try {
        edit(group.get());
    } catch (const CEditError&) {
        handOver();
        return;
    } catch (const std::bad_alloc&) {
        handOver();
        return;
    }
    view.FinishGroup(std::move(group));
}

// ---------------------------------------------------------------------------------------------
// Typing

void CVumatView::PutClassFont(char16_t ch)
{
    const CDefaultFontTable& fonts = CDefaultFontTable::Instance();
    LOGFONTA* typing = &m_caret.m_logFont;
    LOGFONTA font{};
    if (ch >= u'0' && ch <= u'9') {
        fonts.GetMathNumericFont(&font);
        ApplyInstalledFontFace(typing, font, fonts.GetMathNumericItalic());
    } else if (ch < 0x80) {
        fonts.GetMathFont(&font);
        ApplyInstalledFontFace(typing, font, fonts.GetMathItalic());
    } else {
        fonts.GetMathOperatorFont(&font);
        ApplyInstalledFontFace(typing, font, fonts.GetMathOperatorItalic());
        char16_t mapped = 0;
        if (MapToGaijiChar(ch, &mapped))
            ApplyInstalledFontFace(typing, kGaijiFace);
    }
}

bool CVumatView::InsertWithClassFont(const CStringW& text, CUndoGroup* group)
{
    CEditNode* node = CaretNode();
    if (node == nullptr)
        return false;
    const LOGFONTA saved = m_caret.m_logFont;
    PutClassFont(text.GetAt(0));
    CStringW copy = text;
    if (!node->InsertString(&m_caret, &copy, group))
        return false;
    m_caret.m_logFont = saved;
    return true;
}

void CVumatView::OnChar(char16_t ch)
{
    FollowDocument();
    if (CaretNode() == nullptr)
        return;
    InsertTypedChar(ch);
    EnsureCaretVisible();
}

void CVumatView::InsertTypedChar(char16_t ch)
{
    CEditNode* node = CaretNode();
    CEditNode* parent = node != nullptr ? node->GetEditParent() : nullptr;
    if (parent == nullptr)
        return;
    // Outside the formula only Enter does anything.
    if (parent == Root() && ch != 13)
        return;
    if (ch == 8 || ch == 13) {
        if (ch == 8)
            DoBackspace();
        else
            DoEnter();
        m_caret.m_verticalMove = 0;
        return;
    }
    if (IsControlChar(ch))
        return;

    // A character beyond the first plane arrives in two halves; the first waits for the second,
    // and a half without its partner is dropped.
    CStringW text;
    if (m_leadPending && IsLowSurrogate(ch)) {
        m_leadPending = false;
        text = CStringW(std::u16string{m_leadUnit, ch});
    } else {
        m_leadPending = false;
        if (IsHighSurrogate(ch)) {
            m_leadPending = true;
            m_leadUnit = ch;
            return;
        }
        if (IsLowSurrogate(ch) || ch == 0xFFFE || ch == 0xFFFF)
            return;
        text = CStringW(ch);
    }
    m_caret.m_verticalMove = 0;
    RunGrouped(*this, [&](CUndoGroup* group) {
        DeleteSelectionInto(group);
        if (InsertWithClassFont(text, group))
            CommitChange(TRUE);
    });
}

void CVumatView::DoBackspace()
{
    if (CaretNode() == nullptr)
        return;
    RunGrouped(*this, [&](CUndoGroup* group) {
        if (CaretNode()->DeleteBackward(&m_caret, group))
            CommitChange(TRUE);
    });
}

void CVumatView::DoEnter()
{
    if (CaretNode() == nullptr)
        return;
    RunGrouped(*this, [&](CUndoGroup* group) {
        if (CaretNode()->InsertLineBreak(&m_caret, group))
            CommitChange(TRUE);
    });
}

void CVumatView::DeleteSelection()
{
    if (CaretNode() == nullptr)
        return;
    RunGrouped(*this, [&](CUndoGroup* group) {
        if (!CaretNode()->DeleteForward(&m_caret, group))
            return;
        m_document.SetModifiedFlag(TRUE);
        if (CaretNode() != nullptr)
            CaretNode()->MarkPartModified(TRUE);
        UpdateCaret(TRUE);
        OnUpdate(VumatHint::kAll);
        m_document.UpdateAllItems(0);
        m_document.UpdateAllViews(VumatHint::kAll);
        // The caret's rectangle from the new layout.
        UpdateCaret(FALSE);
    });
}

void CVumatView::OnEditClear()
{
    if (CaretNode() != nullptr)
        DeleteSelection();
}

// ---------------------------------------------------------------------------------------------
// Keys

void CVumatView::OnKeyDown(int key, bool shift)
{
    FollowDocument();
    if (key == VumatKey::kPageUp) {
        OnVScroll(VumatScroll::kPageUp);
        return;
    }
    if (key == VumatKey::kPageDown) {
        OnVScroll(VumatScroll::kPageDown);
        return;
    }
    OnCaretKey(key, shift);
    if (key != VumatKey::kShift)
        EnsureCaretVisible();
}

void CVumatView::OnCaretKey(int key, bool shift)
{
    switch (key) {
    case VumatKey::kEnd: MoveCaret(&CEditNode::MoveEnd, false, shift, false); break;
    case VumatKey::kHome: MoveCaret(&CEditNode::MoveHome, false, shift, false); break;
    case VumatKey::kLeft: MoveCaretBackward(shift); break;
    case VumatKey::kUp: MoveCaret(&CEditNode::MoveUp, true, shift, false); break;
    case VumatKey::kRight: MoveCaretForward(shift); break;
    case VumatKey::kDown: MoveCaret(&CEditNode::MoveDown, true, shift, false); break;
    default: break;
    }
}

void CVumatView::MoveCaretBackward(bool shift) { MoveCaret(&CEditNode::MovePrev, false, shift, true); }

void CVumatView::MoveCaretForward(bool shift) { MoveCaret(&CEditNode::MoveNext, false, shift, true); }

void CVumatView::MoveCaret(CEditNode* (CEditNode::*move)(CCaret*, int), bool keepX, bool shift, bool settle)
{
    if (CaretNode() == nullptr)
        return;
    try {
        m_caret.m_verticalMove = keepX ? 1 : 0;
        if (settle)
            StepToCaretStop(&m_caret, move);
        if (CaretNode() == nullptr)
            return;
        (CaretNode()->*move)(&m_caret, shift ? 1 : 0);
        m_caret.m_verticalMove = keepX ? 1 : 0;
        UpdateCaret(TRUE);
        InvalidateAll();
    } catch (const CEditError&) {
        // A caret move that fails leaves the caret where it stood.
    } catch (const std::bad_alloc&) {
    }
}

// ---------------------------------------------------------------------------------------------
// The input method and the palette

void CVumatView::PlaceImeWindow()
{
    if (!m_host.HasFocus())
        return;
    POINT point = m_ptIme;
    LogicalToDevicePoint(&point);
    m_imePoint = point;
    m_imeFont = CompositionFont(m_caret.m_logFont, m_displayMap);
}

long CVumatView::OnImeNotify(bool openStatusChanged)
{
    if (openStatusChanged) {
        m_imePoint = POINT{m_systemCaret.left, m_systemCaret.top};
        m_host.CaretChanged();
    }
    return 0;
}

long CVumatView::OnImeComposition(const std::u16string& committed)
{
    FollowDocument();
    m_preedit.clear();
    // The result buffer holds so much; a pair of halves is not cut apart.
    std::u16string result = committed.substr(0, std::min(committed.size(), kMaxCompositionUnits));
    if (result.size() < committed.size() && !result.empty() && IsHighSurrogate(result.back()))
        result.pop_back();
    CEditNode* node = CaretNode();
    CEditNode* parent = node != nullptr ? node->GetEditParent() : nullptr;
    if (result.empty() || parent == nullptr || parent == Root())
        return 0;
    int inserted = 0;
    RunGrouped(*this, [&](CUndoGroup* group) {
        DeleteSelectionInto(group);
        for (size_t i = 0; i < result.size(); ++i) {
            const char16_t ch = result[i];
            CStringW text;
            if (IsHighSurrogate(ch) && i + 1 < result.size() && IsLowSurrogate(result[i + 1]))
                text = CStringW(std::u16string{ch, result[++i]});
            else if (IsControlChar(ch) || IsHighSurrogate(ch) || IsLowSurrogate(ch) || ch == 0xFFFE || ch == 0xFFFF)
                continue;
            else
                text = CStringW(ch);
            if (InsertWithClassFont(text, group)) {
                m_document.SetModifiedFlag(TRUE);
                if (CaretNode() != nullptr)
                    CaretNode()->MarkPartModified(TRUE);
                ++inserted;
            }
        }
    });
    if (inserted > 0) {
        LayoutRoot();
        UpdateCaret(TRUE);
        InvalidateAll();
        m_document.SetModifiedFlag(TRUE);
        m_document.UpdateAllItems(0);
        m_document.UpdateAllViews(VumatHint::kAll);
        EnsureCaretVisible();
    }
    return 0;
}

long CVumatView::OnPaletteChar(char16_t ch, const LOGFONTA* font)
{
    FollowDocument();
    CEditNode* node = CaretNode();
    CEditNode* parent = node != nullptr ? node->GetEditParent() : nullptr;
    if (parent == nullptr || parent == Root() || IsControlChar(ch) || IsHighSurrogate(ch) || IsLowSurrogate(ch))
        return 0;
    m_caret.m_verticalMove = 0;
    const LOGFONTA saved = m_caret.m_logFont;
    RunGrouped(*this, [&](CUndoGroup* group) {
        DeleteSelectionInto(group);
        CStringW text(ch);
        if (font != nullptr) {
            m_caret.SetTypingFace(font->lfFaceName);
            m_caret.m_logFont.lfWeight = 400;
            m_caret.m_logFont.lfItalic = 0;
            m_caret.m_logFont.lfUnderline = 0;
            m_caret.m_logFont.lfStrikeOut = 0;
        }
        // The palette gives the character itself; the gaiji font holds it at its mapped code.
        char16_t mapped = 0;
        if (MapToGaijiChar(ch, &mapped)) {
            text = CStringW(mapped);
            ApplyInstalledFontFace(&m_caret.m_logFont, kGaijiFace);
        }
        if (CaretNode() != nullptr && CaretNode()->InsertString(&m_caret, &text, group))
            CommitChange(FALSE);
    });
    m_caret.m_logFont = saved;
    return 0;
}
