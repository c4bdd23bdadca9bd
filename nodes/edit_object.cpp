#include "nodes/edit_object.h"

#include "nodes/display_map.h"
#include "nodes/edit_kind.h"
#include "nodes/node_archive.h"
#include "platform/embedding.h"
#include "platform/gdi.h"

IMPLEMENT_SERIAL(CEditObject, CEditNode, 1)

CEditObject::CEditObject() : CEditNode(EditKind::Code(EditKind::kObject)) {}

CEditObject::~CEditObject() { DeleteClientItem(); }

void CEditObject::SetClientItem(std::unique_ptr<COleClientItem> item)
{
    DeleteClientItem();
    m_pItem = std::move(item);
    if (m_pItem)
        m_pItem->SetOwner(this);
}

void CEditObject::DeleteClientItem()
{
    if (!m_pItem)
        return;
    m_pItem->Delete();
    m_pItem->SetOwner(nullptr);
    m_pItem.reset();
}

void CEditObject::Measure(CDC*, CDisplayMap*, LAYOUT_CONTEXT*)
{
    if (!m_pItem)
        return;
    m_width = m_rcLayout.right - m_rcLayout.left;
    m_height = m_rcLayout.bottom - m_rcLayout.top;
    m_ascent = m_height / 2;
    m_axis = m_height / 2;
    m_dirty = 0;
}

void CEditObject::Layout(LAYOUT_CONTEXT* context, int)
{
    if (context == nullptr)
        return;
    const int x = context->originX;
    const int y = context->originY;
    m_rcLayout = RECT{x, y, x + m_width, y + m_height};
}

void CEditObject::Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT*)
{
    if (dc == nullptr || map == nullptr)
        return;
    const UINT previousAlign = dc->SetTextAlign(TA_LEFT | TA_TOP);
    if (m_pItem) {
        CDisplayMap copy = *map;
        RECT destination = m_rcLayout;
        copy.DocToDeviceRect(&destination);
        m_pItem->Draw(dc, destination, m_pItem->GetDrawAspect());
    }
    dc->SetTextAlign(previousAlign);
}

void CEditObject::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        WriteNarrowString(ar, m_strFile);
        if (m_pItem) {
            m_pItem->Serialize(ar);
        } else {
            // A node without an object still keeps the stream's order: an empty foreign object.
            COleClientItem empty;
            Embedding::OBJECT_RECORD record;
            record.foreign = true;
            empty.SetRecord(record);
            empty.Serialize(ar);
        }
        CEditNode::Serialize(ar);
        return;
    }
    std::string path = ReadNarrowString(ar);
    std::unique_ptr<COleClientItem> item = COleClientItem::Create(ar.m_pDocument);
    item->Serialize(ar);
    CEditNode::Serialize(ar);
    m_strFile = std::move(path);
    SetClientItem(std::move(item));
}

void CloseOpenObjects(CEditNode* root)
{
    if (root == nullptr)
        return;
    if (auto* object = dynamic_cast<CEditObject*>(root)) {
        COleClientItem* item = object->GetClientItem();
        if (item != nullptr && item->IsOpen())
            item->Close(OLECLOSE_SAVEIFDIRTY);
    }
    for (int i = 0; i < root->GetChildCount(); ++i)
        CloseOpenObjects(root->GetEditChild(i));
}
