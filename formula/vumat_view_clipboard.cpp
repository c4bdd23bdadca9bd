// Copy, Cut and Paste in the node-list format that both editors share, pasted text in the
// faces of its characters, Undo and Redo through the document's history.
#include "formula/vumat_view.h"

#include "base/default_fonts.h"
#include "base/gaiji_lookup.h"
#include "base/gdi_cache.h"
#include "formula/vumat_doc.h"
#include "math/formula_family.h"
#include "math/formula_paste.h"
#include "nodes/clipboard_paste.h"
#include "nodes/edit_error.h"
#include "nodes/edit_kind.h"
#include "nodes/edit_node.h"
#include "nodes/node_archive.h"
#include "nodes/undo.h"
#include "nodes/undo_replay.h"
#include "platform/archive.h"
#include "platform/shell.h"

#include <new>

namespace {

constexpr char kGaijiFace[] = "Orvellan Gaiji";

bool IsHighSurrogate(char16_t ch) { return ch >= 0xD800 && ch <= 0xDBFF; }
bool IsLowSurrogate(char16_t ch) { return ch >= 0xDC00 && ch <= 0xDFFF; }

// The face and italic setting a pasted character takes: the maths digit face for ASCII digits,
// the half-width text face for other ASCII, else the text face, or the gaiji face for a
// character only it draws (Unicode text only).
void PutPastedFace(LOGFONTA* typing, char16_t ch, bool gaiji)
{
    const CDefaultFontTable& fonts = CDefaultFontTable::Instance();
    LOGFONTA font{};
    int italic = 0;
    if (ch >= u'0' && ch <= u'9') {
        fonts.GetMathNumericFont(&font);
        italic = fonts.GetMathNumericItalic();
    } else if (ch < 0x80) {
        fonts.GetHankakuFont(&font, 0);
        italic = fonts.GetHankakuItalic(0);
    } else {
        fonts.GetDefaultFont(&font, 0);
        italic = fonts.GetDefaultItalic(0);
    }
    ApplyInstalledFontFace(typing, font.lfFaceName);
    typing->lfItalic = static_cast<BYTE>(italic != 0);
    char16_t mapped = 0;
    if (gaiji && ch >= 0x80 && MapToGaijiChar(ch, &mapped))
        ApplyInstalledFontFace(typing, kGaijiFace);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Copy and Cut

bool CVumatView::SelectedChildren(int* first, int* last, CEditNode** parent) const
{
    CEditNode* node = CaretNode();
    if (m_caret.m_anchorNode == nullptr || node == nullptr)
        return false;
    CCaret caret = m_caret;
    *parent = node->GetEditParent();
    return *parent != nullptr && CEditNode::GetSelectionRange(&caret, first, last);
}

void CVumatView::OnEditCopy()
{
    int first = 0;
    int last = 0;
    CEditNode* parent = nullptr;
    if (!SelectedChildren(&first, &last, &parent))
        return;
    // The list goes through memory to the clipboard: no file is made.
    if (!CopyNodesToClipboard(parent->GetEditChildren(first, last)))
        ShellMessageBox(kClipboardCopyFailed, kVumatCaption, MB_OK | MB_ICONEXCLAMATION);
}

void CVumatView::OnEditCut()
{
    if (m_caret.m_anchorNode == nullptr || CaretNode() == nullptr)
        return;
    OnEditCopy();
    auto group = std::make_unique<CUndoGroup>();
    try {
        DeleteSelectionInto(group.get());
    } catch (const CEditError&) {
    } catch (const std::bad_alloc&) {
    }
    FinishCommand(std::move(group));
}

// ---------------------------------------------------------------------------------------------
// Paste

void CVumatView::OnEditPaste()
{
    CEditNode* node = CaretNode();
    CEditNode* parent = node != nullptr ? node->GetEditParent() : nullptr;
    if (parent == nullptr || parent == Root())
        return;
    PASTED_CLIPBOARD pasted;
    if (!TryReadClipboardForPaste(&FormulaEditorNodeClasses(), &pasted))
        return;
    switch (pasted.kind) {
    case PASTED_CLIPBOARD::Kind::Nodes: PasteNodeList(std::move(pasted.nodes)); break;
    case PASTED_CLIPBOARD::Kind::Text: PasteText(pasted.text, !pasted.legacyText); break;
    case PASTED_CLIPBOARD::Kind::Nothing: break;
    }
}

void CVumatView::PasteNodeList(std::vector<std::unique_ptr<CEditNode>> nodes)
{
    auto group = std::make_unique<CUndoGroup>();
    try {
        DeleteSelectionInto(group.get());
        CEditNode* node = CaretNode();
        if (node == nullptr)
            throw CEditError("no caret");
        if (node->FindAncestorWithFlags(EditKind::Code(EditKind::kInTextAnswer), 1) != nullptr)
            nodes = WithoutNestedAnswers(std::move(nodes));
        for (std::unique_ptr<CEditNode>& pasted : nodes) {
            CEditNode* caretNode = CaretNode();
            CEditNode* parent = caretNode != nullptr ? caretNode->GetEditParent() : nullptr;
            if (parent == nullptr)
                break;
            if (parent->HasKindFlags(EditKind::kFormula)) {
                std::vector<std::unique_ptr<CEditNode>> converted;
                NodesForFormula(std::move(pasted), &converted);
                for (std::unique_ptr<CEditNode>& n : converted)
                    InsertRecordedBefore(caretNode, std::move(n), group.get());
            } else if (auto converted = FormulaNodeForText(std::move(pasted))) {
                // Outside a formula only formula nodes are taken.
                InsertRecordedBefore(caretNode, std::move(converted), group.get());
            }
        }
    } catch (const CEditError&) {
        // What went in before the failure stays, as one step.
    } catch (const std::bad_alloc&) {
    }
    FinishCommand(std::move(group));
}

void CVumatView::PasteText(const std::u16string& text, bool unicode)
{
    auto group = std::make_unique<CUndoGroup>();
    try {
        DeleteSelectionInto(group.get());
        for (size_t i = 0; i < text.size(); ++i) {
            const char16_t ch = text[i];
            CStringW one;
            // A character beyond the first plane goes whole; a half without its partner, and
            // control characters, which no saved formula may hold, are left out.
            if (IsHighSurrogate(ch) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]))
                one = CStringW(std::u16string{ch, text[++i]});
            else if (IsControlCharacter(ch) || IsHighSurrogate(ch) || IsLowSurrogate(ch) || ch == 0xFFFE || ch == 0xFFFF)
                continue;
            else
                one = CStringW(ch);
            CEditNode* node = CaretNode();
            if (node == nullptr)
                break;
            const LOGFONTA saved = m_caret.m_logFont;
            PutPastedFace(&m_caret.m_logFont, ch, unicode);
            if (node->InsertString(&m_caret, &one, group.get()))
                m_caret.m_logFont = saved;
        }
    } catch (const CEditError&) {
    } catch (const std::bad_alloc&) {
    }
    FinishCommand(std::move(group));
}

// ---------------------------------------------------------------------------------------------
// Undo and Redo

void CVumatView::OnEditUndo() { Replay(UndoDirection::Undo); }

void CVumatView::OnEditRedo() { Replay(UndoDirection::Redo); }

void CVumatView::Replay(UndoDirection direction)
{
    const bool undo = direction == UndoDirection::Undo;
    CUndoGroup* group = undo ? m_document.GetUndoRecord() : m_document.GetRedoRecord();
    if (group == nullptr)
        return;
    UNDO_REPLAY_RESULT result;
    try {
        result = ReplayUndoGroupWhole(*group, direction);
    } catch (const std::bad_alloc&) {
        result.abandoned = true;
    }
    if (result.abandoned) {
        // The group stays where it was, so that the history still says what the formula holds.
        if (undo)
            m_document.GetRedoRecord();
        else
            m_document.GetUndoRecord();
        return;
    }
    if (result.caretNode != nullptr)
        m_caret.m_caretNode = result.caretNode;
    CEditMathSentence* root = Root();
    auto inFormula = [root](CEditNode* node) {
        return node != nullptr && root != nullptr && (node == root || root->IsAncestorOf(node));
    };
    // The replay does not touch the selection, but an end that left the formula must go.
    if (!inFormula(m_caret.m_anchorNode) || !inFormula(CaretNode()))
        m_caret.ClearSelection();
    if (!inFormula(CaretNode())) {
        CEditNode* first = root != nullptr ? root->GetFirstInner() : nullptr;
        m_caret.m_caretNode = first;
        m_caret.m_caretAfter = 0;
    }
    m_document.SetModifiedFlag(TRUE);
    if (CaretNode() != nullptr)
        CaretNode()->MarkPartModified(TRUE);
    LayoutRoot();
    UpdateCaret(TRUE);
    m_document.UpdateAllItems(0);
    m_document.UpdateAllViews(VumatHint::kAll);
    OnUpdate(VumatHint::kAll);
    EnsureCaretVisible();
}
