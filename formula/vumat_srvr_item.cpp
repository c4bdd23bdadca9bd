#include "formula/vumat_srvr_item.h"

#include "formula/vumat_doc.h"
#include "nodes/display_map.h"
#include "platform/embedding.h"
#include "platform/gdi.h"

CVumatSrvrItem::CVumatSrvrItem(CVumatDoc* document) : COleServerItem(document, TRUE) {}

CVumatDoc* CVumatSrvrItem::GetDocument() const { return static_cast<CVumatDoc*>(COleServerItem::GetDocument()); }

void CVumatSrvrItem::Serialize(CArchive& ar)
{
    // A linked item has no data of its own.
    CVumatDoc* document = GetDocument();
    if (document != nullptr && document->IsEmbeddedItem(this))
        document->Serialize(ar);
}

BOOL CVumatSrvrItem::OnGetExtent(DWORD aspect, SIZE& size)
{
    if (aspect != DVASPECT_CONTENT)
        return COleServerItem::OnGetExtent(aspect, size);
    CVumatDoc* document = GetDocument();
    const CEditMathSentence* root = document != nullptr ? document->GetRoot() : nullptr;
    if (root == nullptr)
        return FALSE;
    size.cx = root->m_width + CVumatDoc::kExtentMargin;
    size.cy = root->m_height + CVumatDoc::kExtentMargin;
    // A save with the stored size written gives the size last reported.
    document->m_storedWidth = size.cx;
    document->m_storedHeight = size.cy;
    return TRUE;
}

BOOL CVumatSrvrItem::OnDraw(CDC* dc, SIZE&)
{
    CVumatDoc* document = GetDocument();
    CEditMathSentence* root = document != nullptr ? document->GetRoot() : nullptr;
    if (root == nullptr || dc == nullptr)
        return TRUE;
    SIZE size{root->m_width + CVumatDoc::kExtentMargin, root->m_height + CVumatDoc::kExtentMargin};
    CDisplayMap map;
    map.DocToDeviceSize(&size);
    dc->SetMapMode(MM_ANISOTROPIC);
    dc->SetWindowOrg(0, 0);
    if (size.cx > 0 && size.cy > 0)
        dc->SetWindowExt(size.cx, size.cy);
    dc->SetWindowOrg(-1, -1);
    LAYOUT_CONTEXT context;
    root->Draw(dc, &map, &context);
    return TRUE;
}
