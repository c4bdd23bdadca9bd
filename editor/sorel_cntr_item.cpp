#include "editor/sorel_cntr_item.h"

#include "editor/sorel_doc.h"
#include "nodes/edit_error.h"
#include "nodes/edit_object.h"
#include "nodes/edit_switches.h"
#include "platform/shell.h"

#include <new>
#include <utility>

IMPLEMENT_SERIAL(CSorelCntrItem, COleClientItem, 0)

namespace {
constexpr int kHintAll = 0;
constexpr int kHintObject = 1;

// A server's change that the paper could not take in: the object keeps its former place and size.
void ReportObjectUpdateFailure()
{
    ShellMessageBox(u"埋め込みオブジェクトの変更を紙面に反映できませんでした。", SorelDocText::kApplicationTitle,
                    MB_OK | MB_ICONEXCLAMATION);
}
}  // namespace

CSorelCntrItem::CSorelCntrItem(CContainerDocument* document) : COleClientItem(document) {}

CEditObject* CSorelCntrItem::GetNode() const { return dynamic_cast<CEditObject*>(GetOwner()); }

CContainerDocument* CSorelCntrItem::GetContainer() const { return dynamic_cast<CContainerDocument*>(GetDocument()); }

BOOL CSorelCntrItem::SyncExtent(RECT* rect) const
{
    SIZE extent{};
    if (rect == nullptr || !GetCachedExtent(&extent, GetDrawAspect()))
        return FALSE;
    if (rect->right - rect->left == extent.cx && rect->bottom - rect->top == extent.cy)
        return FALSE;
    rect->right = rect->left + extent.cx;
    rect->bottom = rect->top + extent.cy;
    return TRUE;
}

void CSorelCntrItem::OnChange(int notification, DWORD param)
{
    try {
        COleClientItem::OnChange(notification, param);
        CEditObject* node = GetNode();
        CContainerDocument* document = GetContainer();
        if (node == nullptr || document == nullptr)
            return;
        switch (notification) {
        case OLE_CHANGED: {
            document->UpdateAllViews(kHintObject, node);
            if (IsInPlaceActive())
                return;
            SIZE extent{};
            if (!GetCachedExtent(&extent, GetDrawAspect()))
                return;
            // A vertical paper is drawn turned by a quarter.
            if (CurrentWritingVertical != 0)
                std::swap(extent.cx, extent.cy);
            RECT& rect = node->m_rcLayout;
            if (rect.right - rect.left == extent.cx && rect.bottom - rect.top == extent.cy)
                return;
            document->UpdateAllViews(kHintObject, node);
            rect.right = rect.left + extent.cx;
            rect.bottom = rect.top + extent.cy;
            node->MarkDirty();
            document->UpdateAllViews(kHintObject, node);
            document->SetModifiedFlag(true);
            node->MarkPartModified(TRUE);
            // The new size moves what follows: the paper is laid out again.
            document->UpdateAllViews(kHintAll, nullptr);
            return;
        }
        case OLE_SAVED:
        case OLE_CLOSED:
            document->UpdateAllViews(kHintAll, nullptr);
            document->UpdateAllViews(kHintObject, node);
            return;
        case OLE_RENAMED:
        case OLE_CHANGED_STATE:
        case OLE_CHANGED_ASPECT: document->UpdateAllViews(kHintObject, node); return;
        default: return;
        }
    } catch (const CEditError&) {
        ReportObjectUpdateFailure();
    } catch (const std::bad_alloc&) {
        ReportObjectUpdateFailure();
    }
}

BOOL CSorelCntrItem::OnChangeItemPosition(const RECT& position)
{
    if (!COleClientItem::OnChangeItemPosition(position))
        return FALSE;
    try {
        CEditObject* node = GetNode();
        CContainerDocument* document = GetContainer();
        if (node == nullptr || document == nullptr)
            return TRUE;
        document->UpdateAllViews(kHintObject, node);
        RECT rect = position;
        bool vertical = false;
        if (document->DeviceToDocRect(&rect, &vertical) && vertical)
            rect = RECT{rect.top, rect.right, rect.bottom, rect.left};
        node->m_rcLayout = rect;
        document->UpdateAllViews(kHintObject, node);
        document->SetModifiedFlag(true);
        node->MarkPartModified(TRUE);
    } catch (const CEditError&) {
        ReportObjectUpdateFailure();
    } catch (const std::bad_alloc&) {
        ReportObjectUpdateFailure();
    }
    return TRUE;
}

void CSorelCntrItem::OnGetItemPosition(RECT* position)
{
    try {
        CEditObject* node = GetNode();
        if (position == nullptr || node == nullptr)
            return;
        *position = node->m_rcLayout;
        if (CContainerDocument* document = GetContainer())
            document->DocToDeviceRect(position);
    } catch (const CEditError&) {
        ReportObjectUpdateFailure();
    } catch (const std::bad_alloc&) {
        ReportObjectUpdateFailure();
    }
}

void CSorelCntrItem::OnActivate()
{
    // No item is ever active in place here, so there is no other one to close first.
    try {
        COleClientItem::OnActivate();
    } catch (const CEditError&) {
        ReportObjectUpdateFailure();
    } catch (const std::bad_alloc&) {
        ReportObjectUpdateFailure();
    }
}

void CSorelCntrItem::OnDeactivateUI(BOOL undoable)
{
    try {
        COleClientItem::OnDeactivateUI(undoable);
        if ((GetMiscStatus(GetDrawAspect()) & OLEMISC_INSIDEOUT) != 0)
            DoVerb(OLEIVERB_HIDE);
    } catch (const CEditError&) {
        ReportObjectUpdateFailure();
    } catch (const std::bad_alloc&) {
        ReportObjectUpdateFailure();
    }
}

void CSorelCntrItem::InstallFactory()
{
    COleClientItem::SetFactory([](COleDocument* document) -> std::unique_ptr<COleClientItem> {
        return std::make_unique<CSorelCntrItem>(dynamic_cast<CContainerDocument*>(document));
    });
}
