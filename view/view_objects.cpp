// Embedded objects: inserting them inline or in a floating frame, selecting them, opening them
// in their servers and closing the servers again.
#include "view/edit_view_controller.h"

#include "nodes/edit_error.h"
#include "nodes/edit_kind.h"
#include "nodes/edit_node.h"
#include "nodes/edit_object.h"
#include "nodes/edit_print.h"
#include "nodes/undo.h"
#include "platform/embedding.h"
#include "platform/shell.h"

#include <utility>

namespace {

// String 102.
constexpr char16_t kCreateFailed[] =
    u"ｵﾌﾞｼﾞｪｸﾄの作成に失敗しました。ｼｽﾃﾑ ﾚｼﾞｽﾄﾘにｵﾌﾞｼﾞｪｸﾄが登録されているか確認してください。";
constexpr char16_t kForeignObject[] =
    u"このオブジェクトは別のシステムで作成されたため、ここでは編集できません。";
constexpr char kFigureClass[] = "Kiran.Document";
// The side of an object without an extent: 50 mm.
constexpr int kDefaultSide = 5000;

void ShowObjectMessage(const char16_t* text) { ShellMessageBox(text, kMessageCaption, MB_OK | MB_ICONEXCLAMATION); }

// The object nodes below the node, in paper order.
void CollectObjects(CEditNode* node, std::vector<CEditObject*>* objects)
{
    if (node == nullptr)
        return;
    if (auto* object = dynamic_cast<CEditObject*>(node))
        objects->push_back(object);
    for (int i = 0; i < node->GetChildCount(); ++i)
        CollectObjects(node->GetEditChild(i), objects);
}

}  // namespace

bool CEditViewController::UpdateObjectCommand(int id, CMD_UI_STATE* state) const
{
    switch (id) {
    case ViewCommand::kInsertObjectInline:
    case ViewCommand::kInsertObject:
    case ViewCommand::kInsertFigureInline:
    case ViewCommand::kInsertFigure:
    case ViewCommand::kCancelEditCntr:
        state->known = true;
        state->enabled = true;
        return true;
    default: return false;
    }
}

bool CEditViewController::RunObjectCommand(int id)
{
    switch (id) {
    case ViewCommand::kInsertObjectInline: InsertObject(); return true;
    case ViewCommand::kInsertObject: OnInsertObject(); return true;
    case ViewCommand::kInsertFigureInline: OnInsertFigureInline(); return true;
    case ViewCommand::kInsertFigure: OnInsertFigure(); return true;
    case ViewCommand::kCancelEditCntr: OnCancelEditCntr(); return true;
    default: return false;
    }
}

COleClientItem* CEditViewController::ItemOf(CEditNode* node) const
{
    auto* object = dynamic_cast<CEditObject*>(node);
    COleClientItem* item = object != nullptr ? object->GetClientItem() : nullptr;
    // Objects read from a file get to know their paper when the view first works with them.
    if (item != nullptr && item->GetDocument() == nullptr)
        item->SetDocument(m_pOleDocument);
    return item;
}

CEditObject* CEditViewController::OpenObject() const
{
    std::vector<CEditObject*> objects;
    CollectObjects(Root(), &objects);
    for (CEditObject* object : objects) {
        if (object->GetClientItem() != nullptr && object->GetClientItem()->IsOpen())
            return object;
    }
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// Inserting

int CEditViewController::InsertObject()
{
    if (CaretNode() == nullptr)
        return 0;
    std::string className;
    if (!m_insertObjectDialog || !m_insertObjectDialog(&className))
        return 0;
    return InsertObjectOfClass(className, false);
}

void CEditViewController::OnInsertFigureInline() { InsertObjectOfClass(kFigureClass, true); }

int CEditViewController::InsertObjectOfClass(const std::string& className, bool figure)
{
    CEditNode* caretNode = CaretNode();
    if (caretNode == nullptr)
        return 0;
    // A 50 mm square at the caret, unless the object has a size of its own.
    const RECT& at = caretNode->m_rcLayout;
    RECT rect{at.left, at.top, at.left + kDefaultSide, at.top + kDefaultSide};

    std::unique_ptr<COleClientItem> item = COleClientItem::Create(m_pOleDocument);
    if (!item->CreateNewItem(className)) {
        ShowObjectMessage(kCreateFailed);
        return 0;
    }
    // A new object takes its extent in horizontal writing; a figure also in vertical writing,
    // turned with the page.
    SIZE extent{};
    const bool vertical = m_displayMap.IsVertical() != 0;
    if (item->GetCachedExtent(&extent) && (!vertical || figure)) {
        if (vertical)
            std::swap(extent.cx, extent.cy);
        rect.right = rect.left + extent.cx;
        rect.bottom = rect.top + extent.cy;
    }
    auto node = std::make_unique<CEditObject>();
    node->m_rcLayout = rect;
    node->m_width = rect.right - rect.left;
    node->m_height = rect.bottom - rect.top;
    CEditObject* placed = node.get();
    node->SetClientItem(std::move(item));

    auto group = std::make_unique<CUndoGroup>();
    try {
        InsertBeforeNode(caretNode, std::move(node), group.get());
    } catch (const std::exception&) {
        ShowObjectMessage(kCreateFailed);
        return 0;
    }
    m_document.PushUndo(std::move(group));
    m_document.SetModifiedFlag(true);
    placed->MarkPartModified(TRUE);
    Relayout();
    OnUpdate(UpdateHint::kAll);
    // The new object opens in its server's window for editing.
    if (COleClientItem* opened = ItemOf(placed))
        opened->DoVerb(OLEIVERB_SHOW);
    SetSelection(placed);
    return 1;
}

void CEditViewController::OnInsertObject() { FloatingObjectCommand(false); }

void CEditViewController::OnInsertFigure() { FloatingObjectCommand(true); }

void CEditViewController::FloatingObjectCommand(bool figure)
{
    CEditNode* caretNode = CaretNode();
    CEditNode* parent = caretNode != nullptr ? caretNode->GetEditParent() : nullptr;
    if (parent == nullptr || static_cast<uint32_t>(parent->GetKind()) != EditKind::kSentence)
        return;
    auto group = std::make_unique<CUndoGroup>();
    CEditNode* frame = nullptr;
    try {
        frame = InsertFloatingFrame(group.get());
    } catch (const std::exception&) {
        FinishChange(std::move(group));
        return;
    }
    m_document.PushUndo(std::move(group));
    m_caret.m_caretNode = frame->GetFirstInner();
    m_caret.ClearSelection();
    Relayout();
    if (figure) {
        OnInsertFigureInline();
        return;
    }
    if (InsertObject() != 0)
        return;
    // Cancelled or failed: the frame goes again, as a step of its own.
    m_caret.m_caretNode = caretNode;
    auto removal = std::make_unique<CUndoGroup>();
    // Undo puts the frame back before the line break that followed it.
    CEditNode* next = CEditNode::FromNode(frame->GetNextSibling());
    CUndoAction* action = removal->RecordNode(UndoCode::kRemoveForward, frame, next != nullptr ? next : caretNode, 0, 0);
    if (action != nullptr) {
        action->TakeOut();
        m_document.PushUndo(std::move(removal));
    }
    Relayout();
    UpdateCaret(TRUE);
    InvalidateAll();
}

// ---------------------------------------------------------------------------------------------
// Selection, opening and closing

void CEditViewController::SetSelection(CEditNode* node)
{
    if (node == nullptr || node != m_pSelection) {
        // No object is ever active in place, so none has to close here.
        m_pSelection = node != nullptr && node->IsKind(EditKind::kObject) ? node : nullptr;
    }
    InvalidateAll();
}

void CEditViewController::SetupTracker(CEditNode* node, CRectTracker* tracker)
{
    if (node == nullptr || tracker == nullptr || !node->IsKind(EditKind::kObject))
        return;
    RECT r = node->m_rcLayout;
    LogicalToDeviceRect(&r);
    tracker->m_rect = r;
}

void CEditViewController::OnObjectDoubleClick(UINT flags)
{
    CEditNode* node = CaretNode();
    COleClientItem* item = ItemOf(node);
    if (item == nullptr)
        return;
    SetSelection(node);
    if (item->IsForeign()) {
        ShowObjectMessage(kForeignObject);
        return;
    }
    const int verb = (flags & MouseFlag::kControl) != 0 ? OLEIVERB_OPEN : OLEIVERB_PRIMARY;
    if (!item->DoVerb(verb))
        ShowObjectMessage(kCreateFailed);
}

void CEditViewController::OnCancelEditCntr()
{
    CEditObject* open = OpenObject();
    if (open == nullptr)
        return;
    m_document.SetModifiedFlag(true);
    if (CaretNode() != nullptr)
        CaretNode()->MarkPartModified(TRUE);
    if (COleClientItem* item = ItemOf(open))
        item->Close(OLECLOSE_SAVEIFDIRTY);
}

void CEditViewController::CloseOpenObjects() { ::CloseOpenObjects(Root()); }

bool CEditViewController::CopyObjectToClipboard(CEditNode* node)
{
    COleClientItem* item = ItemOf(node);
    return item != nullptr && item->CopyToClipboard();
}
