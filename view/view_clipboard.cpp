// The clipboard: Copy and Cut in the program's node format, the plain copies for other programs,
// Select All, and Paste of node lists, text and pictures, each pasted node turned into what the
// place at the caret can hold.
#include "view/edit_view_controller.h"

#include "base/dib_helpers.h"
#include "math/formula.h"
#include "math/formula_family.h"
#include "math/formula_paste.h"
#include "math/math_char.h"
#include "nodes/clipboard_paste.h"
#include "nodes/edit_char.h"
#include "nodes/edit_error.h"
#include "nodes/edit_kind.h"
#include "nodes/edit_node.h"
#include "nodes/floating_frame.h"
#include "nodes/kanbun_cell.h"
#include "nodes/node_archive.h"
#include "nodes/picture_node.h"
#include "nodes/undo.h"
#include "platform/clipboard.h"
#include "platform/global_memory.h"
#include "platform/shell.h"

#include <cstring>
#include <new>

namespace {

void ReportClipboardFailure(const char16_t* text) { ShellMessageBox(text, kMessageCaption, MB_OK | MB_ICONEXCLAMATION); }

using NodeList = std::vector<std::unique_ptr<CEditNode>>;

}  // namespace

// ---------------------------------------------------------------------------------------------
// Inserting before the caret

void CEditViewController::InsertBeforeNode(CEditNode* before, std::unique_ptr<CEditNode> node, CUndoGroup* group)
{
    InsertRecordedBefore(before, std::move(node), group);
}

CEditNode* CEditViewController::InsertFloatingFrame(CUndoGroup* group)
{
    CEditNode* caretNode = CaretNode();
    if (caretNode == nullptr)
        throw CEditError("no caret");
    auto frame = std::make_unique<CEditFloat>();
    frame->SetFloatSide(2);
    frame->AppendChild(new CEditCR());
    // The frame starts a line: a line break goes in front unless one (or the paragraph's start)
    // is there already.
    CEditNode* prev = CEditNode::FromNode(caretNode->GetPrevSibling());
    if (prev != nullptr && (!prev->HasKindFlags(EditKind::kCharacter) || !prev->GetText().IsEmpty()))
        InsertBeforeNode(caretNode, std::make_unique<CEditCR>(), group);
    CEditNode* placed = frame.get();
    InsertBeforeNode(caretNode, std::move(frame), group);
    InsertBeforeNode(caretNode, std::make_unique<CEditCR>(), group);
    return placed;
}

// ---------------------------------------------------------------------------------------------
// Copy, Cut and the plain copies

bool CEditViewController::SelectedNodes(std::vector<CEditNode*>* nodes)
{
    nodes->clear();
    int first = 0;
    int last = 0;
    CEditNode* node = CaretNode();
    if (m_caret.m_anchorNode == nullptr || node == nullptr || !CEditNode::GetSelectionRange(&m_caret, &first, &last))
        return false;
    CEditNode* parent = node->GetEditParent();
    if (parent == nullptr)
        return false;
    *nodes = parent->GetEditChildren(first, last);
    return true;
}

void CEditViewController::OnEditCopy()
{
    std::vector<CEditNode*> nodes;
    if (!SelectedNodes(&nodes))
        return;
    // Only the node format: other programs find nothing to paste after a Copy.
    if (!CopyNodesToClipboard(nodes))
        ReportClipboardFailure(kClipboardCopyFailed);
}

void CEditViewController::OnEditCut()
{
    if (m_caret.m_anchorNode == nullptr || CaretNode() == nullptr)
        return;
    OnEditCopy();
    auto group = std::make_unique<CUndoGroup>();
    try {
        if (CEditNode::DeleteSelection(&m_caret, group.get())) {
            m_caret.ClearSelection();
            AfterChange(TRUE);
        }
    } catch (const CEditError&) {
        AfterChange(TRUE);
    } catch (const std::bad_alloc&) {
        AfterChange(TRUE);
    }
    FinishChange(std::move(group));
}

void CEditViewController::OnEditPlainCopyText()
{
    std::vector<CEditNode*> nodes;
    if (!SelectedNodes(&nodes))
        return;
    CStringW text;
    for (CEditNode* node : nodes) {
        if (!node->IsCaretStop())
            continue;
        CStringW piece;
        node->GetSubtreeText(piece);
        text += piece;
    }
    SetClipboardUnicodeText(text.View());
}

void CEditViewController::OnEditPlainCopyObject()
{
    std::vector<CEditNode*> nodes;
    if (!SelectedNodes(&nodes))
        return;
    // The first object or picture among the selected nodes, an object before a picture in the
    // same node; a picture goes as a device-independent bitmap.
    for (CEditNode* node : nodes) {
        CEditNode* object = node->IsKind(EditKind::kObject)
                                ? node
                                : CEditNode::FromNode(node->FindDescendantOfType(EditKind::Code(EditKind::kObject)));
        if (object != nullptr) {
            CopyObjectToClipboard(object);
            return;
        }
        auto* picture = dynamic_cast<CEditGraphic*>(
            CEditNode::FromNode(node->FindDescendantOfType(EditKind::Code(EditKind::kGraphic))));
        if (picture == nullptr)
            continue;
        HGLOBAL dib = picture->GetDib();
        if (dib == nullptr)
            return;
        const size_t size = GlobalSize(dib);
        if (const void* bytes = GlobalLock(dib)) {
            SetClipboardDib(std::span<const BYTE>(static_cast<const BYTE*>(bytes), size));
            GlobalUnlock(dib);
        }
        return;
    }
}

void CEditViewController::OnEditSelectAll()
{
    CEditNode* node = CaretNode();
    if (node == nullptr)
        return;
    // The question part around the caret: text boxes, cells and the name field are passed over.
    CEditNode* part = CEditNode::FromNode(node->FindAncestorOfType(EditKind::Code(EditKind::kSentence), 1));
    if (part == nullptr)
        return;
    CEditNode* first = part->GetFirstInner();
    CEditNode* last = part->GetLastInner();
    if (first == nullptr || last == nullptr)
        return;
    m_caret.m_caretNode = last;
    m_caret.m_anchorNode = first;
    InvalidateAll();
}

// ---------------------------------------------------------------------------------------------
// Paste

void CEditViewController::OnEditPaste()
{
    PASTED_CLIPBOARD pasted;
    if (!TryReadClipboardForPaste(&ProblemEditorNodeClasses(), &pasted))
        return;
    switch (pasted.kind) {
    case PASTED_CLIPBOARD::Kind::Nodes: PasteNodeList(std::move(pasted.nodes)); break;
    case PASTED_CLIPBOARD::Kind::Text: PasteText(pasted.text); break;
    case PASTED_CLIPBOARD::Kind::Nothing: PastePicture(); break;
    }
}

void CEditViewController::PasteNodeList(NodeList nodes)
{
    if (nodes.empty() || CaretNode() == nullptr)
        return;
    auto group = std::make_unique<CUndoGroup>();
    try {
        DeleteSelectionInto(group.get());
        CEditNode* node = CaretNode();
        if (node != nullptr && node->FindAncestorWithFlags(EditKind::Code(EditKind::kInTextAnswer), 1) != nullptr)
            nodes = WithoutNestedAnswers(std::move(nodes));
        PasteNodes(nodes, group.get());
    } catch (const CEditError&) {
        // What was pasted before the failure stays, as one step.
        ReportClipboardFailure(kClipboardPasteFailed);
    } catch (const std::bad_alloc&) {
        ReportClipboardFailure(kClipboardPasteFailed);
    }
    FinishChange(std::move(group));
    AfterChange(TRUE);
}

void CEditViewController::PasteNodes(std::vector<std::unique_ptr<CEditNode>>& nodes, CUndoGroup* group)
{
    for (std::unique_ptr<CEditNode>& pasted : nodes) {
        CEditNode* caretNode = CaretNode();
        CEditNode* parent = caretNode != nullptr ? caretNode->GetEditParent() : nullptr;
        if (parent == nullptr)
            return;
        std::unique_ptr<CEditNode> node = std::move(pasted);
        auto insert = [&](std::unique_ptr<CEditNode> n) { InsertBeforeNode(caretNode, std::move(n), group); };
        const bool formula = node->HasKindFlags(EditKind::kFormula);
        const bool kanbun = node->HasKindFlags(EditKind::kKanbun);

        if (parent->HasKindFlags(EditKind::kFormula)) {
            std::vector<std::unique_ptr<CEditNode>> converted;
            NodesForFormula(std::move(node), &converted);
            for (std::unique_ptr<CEditNode>& n : converted)
                insert(std::move(n));
            continue;
        }
        if (parent->HasKindFlags(EditKind::kKanbun)) {
            if (auto kept = NodeForKanbunBox(std::move(node)))
                insert(std::move(kept));
            continue;
        }
        const bool plainPart = parent->IsKind(EditKind::kSentence);
        if (formula) {
            if (auto converted = FormulaNodeForText(std::move(node)))
                insert(std::move(converted));
        } else if (node->IsKind(EditKind::kKanChar)) {
            if (auto copy = CharacterCopy<CEditChar>(node.get()))
                insert(std::move(copy));
        } else if (node->IsKind(EditKind::kKan) && plainPart) {
            insert(std::move(node));
        } else if (kanbun) {
            continue;
        } else if (node->IsKind(EditKind::kObject) || node->IsKind(EditKind::kGraphic)) {
            if (!plainPart)
                return;  // the rest is discarded with the list
            PlaceInNewFrame();
            InsertBeforeNode(CaretNode(), std::move(node), group);
        } else {
            insert(std::move(node));
        }
    }
}

void CEditViewController::PlaceInNewFrame()
{
    // The frame is a step of its own, before the paste's: undo takes the pasted nodes back
    // first, then the frame. A failure leaves the caret where it then stands.
    auto frameGroup = std::make_unique<CUndoGroup>();
    try {
        CEditNode* frame = InsertFloatingFrame(frameGroup.get());
        m_document.PushUndo(std::move(frameGroup));
        m_caret.m_caretNode = frame->GetFirstInner();
        Relayout();
    } catch (const CEditError&) {
        FinishChange(std::move(frameGroup));
    } catch (const std::bad_alloc&) {
        FinishChange(std::move(frameGroup));
    }
}

void CEditViewController::PasteText(const std::u16string& text)
{
    if (text.empty())
        return;
    auto group = std::make_unique<CUndoGroup>();
    try {
        DeleteSelectionInto(group.get());
        // Line breaks of the text (CR LF, CR or LF) become line breaks where the place takes
        // them; other control characters would make the saved paper invalid XML and are left out.
        bool inserted = false;
        CStringW run;
        auto flush = [&] {
            CEditNode* node = CaretNode();
            if (!run.IsEmpty() && node != nullptr && node->InsertChars(&m_caret, &run, group.get()))
                inserted = true;
            run = CStringW();
        };
        for (size_t i = 0; i < text.size(); ++i) {
            const char16_t ch = text[i];
            if (ch == u'\r' || ch == u'\n') {
                flush();
                if (ch == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                    ++i;
                if (CEditNode* node = CaretNode(); node != nullptr && node->InsertLineBreak(&m_caret, group.get()))
                    inserted = true;
            } else if (!IsControlCharacter(ch)) {
                run += ch;
            }
        }
        flush();
        if (inserted) {
            m_document.SetModifiedFlag(true);
            if (CaretNode() != nullptr)
                CaretNode()->MarkPartModified(TRUE);
        }
    } catch (const CEditError&) {
        ReportClipboardFailure(kClipboardPasteFailed);
    } catch (const std::bad_alloc&) {
        ReportClipboardFailure(kClipboardPasteFailed);
    }
    FinishChange(std::move(group));
    OnUpdate(UpdateHint::kAll);
    UpdateCaret(TRUE);
}

void CEditViewController::PastePicture()
{
    CEditNode* node = CaretNode();
    CEditNode* parent = node != nullptr ? node->GetEditParent() : nullptr;
    if (parent == nullptr || parent->HasKindFlags(EditKind::kFormula))
        return;
    std::vector<BYTE> bytes;
    if (!GetClipboardDib(bytes) || bytes.empty())
        return;
    HGLOBAL dib = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes.size());
    void* target = dib != nullptr ? GlobalLock(dib) : nullptr;
    if (target == nullptr) {
        GlobalFree(dib);
        return;
    }
    std::memcpy(target, bytes.data(), bytes.size());
    GlobalUnlock(dib);
    auto picture = std::make_unique<CEditGraphic>();
    const CDisplayMap actualSize = ActualSizeMap();
    if (!picture->TakePastedDib(dib, actualSize)) {
        GlobalFree(dib);
        return;
    }
    auto group = std::make_unique<CUndoGroup>();
    try {
        DeleteSelectionInto(group.get());
    } catch (const CEditError&) {
    } catch (const std::bad_alloc&) {
    }
    CreateImageNode(std::move(picture), std::move(group));
}
