// Furigana and tables: ruby pairs made from the selected characters and turned back into them, a
// new table at the caret and the frame lines of the table at the caret.
#include "view/edit_view_controller.h"

#include "nodes/edit_char.h"
#include "nodes/edit_error.h"
#include "nodes/edit_kind.h"
#include "nodes/edit_node.h"
#include "nodes/edit_table.h"
#include "nodes/ruby.h"
#include "nodes/undo.h"
#include "view/caret_context.h"

#include <new>

namespace {

// The walk of the ruby base passes over what belongs to a formula, a page-break block or a
// kanbun cell: such children stay in the paper beside the new pair.
bool PassedOver(CEditNode* child)
{
    return IsInsideKind(child, EditKind::kMath) || IsInsideKind(child, EditKind::kKaiPage) ||
           IsInsideKind(child, EditKind::kKan);
}

bool IsPlainCharWithText(const CEditNode* child)
{
    return child->IsKind(EditKind::kChar) && !child->GetText().IsEmpty();
}

template <typename T>
std::unique_ptr<T> HalfHeight(std::unique_ptr<T> node)
{
    node->m_lf.lfHeight /= 2;
    return node;
}

CEditNode* Ancestor(CEditNode* node, uint32_t kind)
{
    return node != nullptr ? CEditNode::FromNode(node->FindAncestorOfType(EditKind::Code(kind), 1)) : nullptr;
}

// Sizes the dialogs refuse build nothing here either.
bool IsTableSize(int rows, int columns)
{
    return rows >= 1 && rows <= 99 && columns >= 1 && columns <= 99;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Furigana

void CEditViewController::OnFurigana()
{
    CEditNode* node = CaretNode();
    int first = 0;
    int last = 0;
    if (node == nullptr || m_caret.m_anchorNode == nullptr || !CEditNode::GetSelectionRange(&m_caret, &first, &last))
        return;
    CEditNode* parent = node->GetEditParent();
    if (parent == nullptr)
        return;
    CEditNode* following = parent->GetEditChild(last + 1);
    if (following == nullptr)
        following = parent;

    auto base = std::make_unique<CEditRubyBase>();
    std::vector<CEditNode*> taken;
    for (int i = first; i <= last; ++i) {
        CEditNode* child = parent->GetEditChild(i);
        if (child == nullptr)
            break;
        if (PassedOver(child))
            continue;
        if (!IsPlainCharWithText(child))
            break;
        auto copy = std::make_unique<CEditChar>();
        copy->CopyFrom(static_cast<const CEditChar*>(child));
        if (base->AppendChild(copy.get()) < 0)
            return;
        copy.release();
        taken.push_back(child);
    }
    if (taken.empty())
        return;
    if (base->AppendChild(new CEditCR()) < 0)
        return;

    auto reading = HalfHeight(std::make_unique<CEditRubyText>());
    auto readingEnd = HalfHeight(std::make_unique<CEditCR>());
    CEditNode* caretTarget = readingEnd.get();
    reading->AppendChild(readingEnd.release());
    auto ruby = std::make_unique<CEditRuby>();
    ruby->AppendChild(base.release());
    ruby->AppendChild(reading.release());

    // Exactly the characters copied leave the paper; the pair takes the place of the first.
    const int start = parent->IndexOfChild(taken.front());
    auto group = std::make_unique<CUndoGroup>();
    try {
        for (CEditNode* child : taken) {
            CUndoAction* action =
                group->RecordNodeEx(UndoCode::kRemoveAt, child, following, parent->IndexOfChild(child), parent, 0, 0);
            if (action == nullptr)
                throw std::bad_alloc();
            action->TakeOut();
        }
        CUndoAction* action = group->RecordNodeEx(UndoCode::kInsertAt, ruby.get(), following, start, parent, 0, 0);
        if (action == nullptr)
            throw std::bad_alloc();
        action->Keep(std::move(ruby));
        if (!action->PutBack())
            throw CEditError("the ruby pair could not be inserted");
        m_caret.ClearSelection();
        m_caret.m_caretNode = caretTarget;
    } catch (const CEditError&) {
    } catch (const std::bad_alloc&) {
    }
    FinishChange(std::move(group));
    m_document.SetModifiedFlag(true);
    CaretNode()->MarkPartModified(TRUE);
    UpdateCaret(TRUE);
    OnUpdate(UpdateHint::kAll);
}

void CEditViewController::OnRemoveFurigana()
{
    CEditNode* node = CaretNode();
    if (node == nullptr)
        return;
    std::vector<CEditNode*> pairs;
    CEditNode* parent = nullptr;
    if (m_caret.m_anchorNode != nullptr) {
        int first = 0;
        int last = 0;
        if (!CEditNode::GetSelectionRange(&m_caret, &first, &last))
            return;
        m_caret.ClearSelection();
        parent = node->GetEditParent();
        for (int i = first; parent != nullptr && i <= last; ++i) {
            CEditNode* child = parent->GetEditChild(i);
            if (child != nullptr && child->IsKind(EditKind::kRuby))
                pairs.push_back(child);
        }
    } else {
        CEditNode* ruby = Ancestor(node, EditKind::kRuby);
        if (ruby == nullptr)
            return;
        parent = ruby->GetEditParent();
        pairs.push_back(ruby);
    }
    if (parent == nullptr)
        return;

    auto group = std::make_unique<CUndoGroup>();
    try {
        for (CEditNode* ruby : pairs) {
            CEditNode* following = CEditNode::FromNode(ruby->GetNextSibling());
            if (following == nullptr)
                break;
            CUndoAction* action =
                group->RecordNodeEx(UndoCode::kRemoveAt, ruby, following, parent->IndexOfChild(ruby), parent, 0, 0);
            if (action == nullptr)
                throw std::bad_alloc();
            action->TakeOut();
            // The reading goes with the pair; the base comes back as plain characters.
            CEditNode* base = static_cast<CEditRuby*>(ruby)->GetBase();
            for (int i = 0; base != nullptr && i < base->GetChildCount(); ++i) {
                const auto* character = dynamic_cast<const CEditChar*>(base->GetEditChild(i));
                if (character == nullptr || character->HasKindFlags(EditKind::kLineBreak))
                    continue;
                auto copy = std::make_unique<CEditChar>();
                copy->CopyFrom(character);
                InsertBeforeNode(following, std::move(copy), group.get());
            }
            m_caret.m_caretNode = following;
        }
    } catch (const CEditError&) {
    } catch (const std::bad_alloc&) {
    }
    FinishChange(std::move(group));
    m_document.SetModifiedFlag(true);
    CaretNode()->MarkPartModified(TRUE);
    UpdateCaret(TRUE);
    OnUpdate(UpdateHint::kAll);
}

// ---------------------------------------------------------------------------------------------
// Tables

void CEditViewController::OnInsertTable()
{
    if (CaretNode() == nullptr)
        return;
    auto group = std::make_unique<CUndoGroup>();
    try {
        DeleteSelectionInto(group.get());
        int rows = 2;
        int columns = 2;
        // Cancelled or empty: the deleted selection stays deleted, and undoable.
        if (!m_tableInsertDialog || !m_tableInsertDialog(&rows, &columns) || !IsTableSize(rows, columns)) {
            FinishChange(std::move(group));
            OnUpdate(UpdateHint::kAll);
            return;
        }
        auto table = std::make_unique<CEditTable>();
        table->Create(rows, columns);
        CEditNode* firstCell = table->GetEditChild(0);
        CEditNode* target = firstCell != nullptr ? firstCell->GetFirstInner() : nullptr;
        InsertBeforeNode(CaretNode(), std::move(table), group.get());
        if (target != nullptr)
            m_caret.m_caretNode = target;
        m_document.SetModifiedFlag(true);
        CaretNode()->MarkPartModified(TRUE);
    } catch (const CEditError&) {
    } catch (const std::bad_alloc&) {
    }
    FinishChange(std::move(group));
    UpdateCaret(TRUE);
    OnUpdate(UpdateHint::kAll);
}

void CEditViewController::OnTableFormat()
{
    CEditNode* cell = Ancestor(CaretNode(), EditKind::kCell);
    CEditNode* table = Ancestor(cell, EditKind::kTable);
    if (cell == nullptr || table == nullptr || !m_tableFormatDialog)
        return;
    int frame = cell->BorderRecord().m_borderStyle == CEditTable::kSolidFrame ? 1 : 0;
    int width = cell->BorderRecord().m_borderWidth;
    if (!m_tableFormatDialog(&frame, &width))
        return;
    const int style = frame != 0 ? CEditTable::kSolidFrame : 0;
    const int lineWidth = frame != 0 ? width : 0;
    // The whole table changes, recorded as one group.
    auto group = std::make_unique<CUndoGroup>();
    table->SetBorderStyle(style, group.get());
    table->SetBorderWidth(lineWidth, group.get());
    for (int i = 0; i < table->GetChildCount(); ++i) {
        CEditNode* child = table->GetEditChild(i);
        if (child == nullptr || !child->IsKind(EditKind::kCell))
            continue;
        child->SetBorderStyle(style, group.get());
        child->SetBorderWidth(lineWidth, group.get());
    }
    FinishChange(std::move(group));
    m_document.SetModifiedFlag(true);
    cell->MarkPartModified(TRUE);
    OnUpdate(UpdateHint::kAll);
}
