// The view's state, its reaction to document updates, painting and the mapping between document
// units and client pixels.
#include "view/edit_view_controller.h"

#include "base/default_fonts.h"
#include "base/gdi_cache.h"
#include "nodes/caret_display.h"
#include "nodes/edit_error.h"
#include "nodes/edit_kind.h"
#include "nodes/edit_node.h"
#include "nodes/edit_print.h"
#include "nodes/edit_switches.h"
#include "nodes/undo.h"
#include "platform/gdi_qt.h"

#include <algorithm>

CEditViewController::CEditViewController(IViewDocument& document, IEditViewHost& host, VIEW_SETTINGS& settings)
    : m_document(document), m_host(host), m_settings(settings)
{
    ResetViewState();
}

CEditViewController::~CEditViewController() = default;

CEditPrint* CEditViewController::Root() const { return m_document.GetRoot(); }

SIZE CEditViewController::ClientSize() const { return m_host.GetClientSize(); }

void CEditViewController::InvalidateAll() { m_host.Invalidate(nullptr); }

void CEditViewController::ResetViewState()
{
    m_ptWindowOrg = POINT{0, 0};
    CEditPrint* root = Root();
    m_displayMap.SetVertical(root != nullptr ? root->m_vertical : m_settings.defaultVertical);
    // Qt draws in device-independent pixels of 96 per inch on every screen.
    m_displayMap.SetResolution(96, 96, std::clamp(m_settings.zoom, 50, 500));
    const bool vertical = m_displayMap.IsVertical() != 0;
    CurrentWritingVertical = vertical ? 1 : 0;

    // The numbering face follows the direction: a vertical paper numbers with an "@" face.
    std::u16string& face = m_settings.numberingFace;
    const bool atFace = face.find(u'@') != std::u16string::npos;
    if (vertical && !atFace)
        face = u"@ＭＳ Ｐ明朝";
    else if (!vertical && atFace)
        face = u"ＭＳ Ｐ明朝";

    const CDefaultFontTable& fonts = CDefaultFontTable::Instance();
    fonts.GetDefaultFont(&m_lfDefault, vertical);
    m_lfDefault.lfHeight = -std::abs(fonts.GetDefaultHeight());
    m_lfDefault.lfWidth = 0;
    fonts.GetMathFont(&m_lfMath);
    m_lfMath.lfHeight = -std::abs(fonts.GetMathHeight());
    m_lfMath.lfWidth = 0;

    m_rcCaret = RECT{0, 0, kBorder, 10 * kBorder};
    m_ptCaretOrigin = POINT{0, 0};
    m_bImeOpenText = 1;
    m_bImeOpenMath = 0;
    m_nViewMode = ViewMode::kText;
    m_caret.Reset();
    m_caret.m_logFont = m_lfDefault;
    m_savedCaret.Reset();
    m_pNameField = nullptr;
    m_pImage = nullptr;
    m_pCurrentField = nullptr;
    m_selectedFields.clear();
    m_pSelection = nullptr;
    m_drag = DRAG_SELECTION();
    m_tracking = Tracking::None;
    m_selectionTracker.reset();
    m_preedit.clear();
    m_displayMap.SetOrigin(0, 0);
}

void CEditViewController::OnInitialUpdate()
{
    ResetViewState();
    SetImeOpen(TRUE);
    m_bImeOpenText = 1;
    CEditPrint* root = Root();
    CEditNode* first = root != nullptr ? root->GetEditChild(0) : nullptr;
    CEditNode* caretNode = first != nullptr ? first->GetEditChild(0) : nullptr;
    if (caretNode == nullptr)
        return;
    m_caret.m_caretNode = caretNode;
    m_displayMap.SetOrigin(0, 0);
    Relayout();
    UpdateScrollBars();
    m_host.SetBarZoom(m_displayMap.m_zoom);
    m_host.SyncFrameWithDirection(m_displayMap.IsVertical());
    UpdateCaret(TRUE);
    InvalidateAll();
}

void CEditViewController::OnUpdate(int hint, CEditNode* node)
{
    switch (hint) {
    case UpdateHint::kAll:
    case UpdateHint::kPageSetup:
    case UpdateHint::kZoom:
        Relayout();
        UpdateScrollBars();
        InvalidateAll();
        break;
    case UpdateHint::kContentsDeleted:
        ResetViewState();
        break;
    case UpdateHint::kObject:
    case UpdateHint::kNode:
        if (node != nullptr) {
            RECT r = node->m_rcLayout;
            LogicalToDeviceRect(&r);
            if (hint == UpdateHint::kNode)
                r = RECT{r.left - 1, r.top - 1, r.right + 2, r.bottom + 2};
            m_host.Invalidate(&r);
        }
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------------------------
// Painting

CQtDC* CEditViewController::GetOffscreenDC()
{
    // The buffer covers the screen plus the margin, and the whole window when that is larger.
    const SIZE screen = m_host.GetScreenSize();
    const SIZE client = ClientSize();
    const SIZE wanted{std::max<int>(screen.cx + kBufferMargin, client.cx), std::max<int>(screen.cy + kBufferMargin, client.cy)};
    if (!m_offscreen || wanted.cx > m_sizeOffscreen.cx || wanted.cy > m_sizeOffscreen.cy) {
        const SIZE size{std::max(wanted.cx, m_sizeOffscreen.cx), std::max(wanted.cy, m_sizeOffscreen.cy)};
        m_offscreen = CQtDC::WithImage(size.cx, size.cy);
        m_sizeOffscreen = m_offscreen ? size : SIZE{};
    }
    return m_offscreen.get();
}

bool CEditViewController::Paint(const RECT& clip)
{
    CQtDC* dc = GetOffscreenDC();
    if (dc == nullptr || !PaintInto(dc, clip))
        return false;
    UpdateCaret(FALSE);
    return true;
}

bool CEditViewController::PaintInto(CDC* dc, const RECT& clip)
{
    if (clip.right <= clip.left || clip.bottom <= clip.top)
        return false;
    const int saved = dc->SaveDC();
    dc->SetMapMode(MM_TEXT);
    dc->SetWindowOrg(0, 0);
    dc->SetViewportOrg(0, 0);
    dc->SelectClipRgn(static_cast<HRGN>(nullptr));
    dc->IntersectClipRect(&clip);
    dc->FillSolidRect(&clip, kBackColor);
    OnPrepareDC(dc);
    CEditPrint* root = Root();
    const int knownPages = root != nullptr ? root->GetKnownPageCount() : 0;
    OnDraw(dc);
    dc->RestoreDC(saved);
    // Drawing a page that later blocks reach paginates them: the scroll bars take the new extent.
    if (root != nullptr && root->GetKnownPageCount() != knownPages)
        FollowNewExtent();
    const int trackerSaved = dc->SaveDC();
    dc->SetMapMode(MM_TEXT);
    dc->SetWindowOrg(0, 0);
    DrawTrackers(dc);
    dc->RestoreDC(trackerSaved);
    return true;
}

void CEditViewController::OnPrepareDC(CDC* dc)
{
    // The screen works in client pixels; conversions go through the display map. In vertical
    // writing the window origin moves left by the client width, so the paper starts at the right.
    dc->SetMapMode(MM_TEXT);
    m_ptWindowOrg = POINT{m_displayMap.IsVertical() ? -ClientSize().cx : 0, 0};
    dc->SetWindowOrg(m_ptWindowOrg.x, m_ptWindowOrg.y);
}

RECT CEditViewController::PageRect(const CEditPrint& root, int page)
{
    const int width = root.m_geometry.width;
    const int height = root.m_geometry.height;
    const int x = root.m_pageGapAcross;
    const int top = page * root.m_pageGapDown + (page - 1) * height;
    return RECT{x, top, x + width, top + height};
}

void CEditViewController::OnDraw(CDC* dc)
{
    CEditPrint* root = Root();
    RECT box{};
    const int clip = root != nullptr ? dc->GetClipBox(&box) : ERROR;
    if (clip == NULLREGION || clip == ERROR)
        return;
    // The sheets of the pages the clip meets, counted from the clip's document rectangle.
    int64_t top = INT32_MAX;
    int64_t bottom = INT32_MIN;
    for (POINT corner : {POINT{box.left, box.top}, POINT{box.right, box.top}, POINT{box.left, box.bottom},
                         POINT{box.right, box.bottom}}) {
        m_displayMap.DeviceToDoc(&corner);
        top = std::min<int64_t>(top, corner.y);
        bottom = std::max<int64_t>(bottom, corner.y);
    }
    const int lastPage = std::min(root->GetKnownPageCount(), root->PageAtY(bottom) + 1);
    for (int page = root->PageAtY(top); page <= lastPage; ++page) {
        RECT r = PageRect(*root, page);
        m_displayMap.DocToDeviceRect(&r);
        if (r.right < box.left || r.left > box.right || r.bottom < box.top || r.top > box.bottom)
            continue;
        dc->FillSolidRect(&r, 0xFFFFFF);
    }
    LAYOUT_CONTEXT context;
    root->Draw(dc, &m_displayMap, &context);
    if (dc->IsPrinting())
        return;
    DrawSelection(dc);
    CEditNode* node = CaretNode();
    CEditNode* parent = node != nullptr ? node->GetEditParent() : nullptr;
    if (parent != nullptr && !parent->IsKind(EditKind::kSentence))
        DrawContainerFrame(dc);
}

void CEditViewController::DrawSelection(CDC* dc)
{
    if (m_caret.m_anchorNode != nullptr && CaretNode() != nullptr) {
        SettleCaretBlocks();
        Root()->DrawSelection(dc, &m_displayMap, &m_caret);
    }
}

void CEditViewController::DrawContainerFrame(CDC* dc)
{
    CEditNode* node = CaretNode();
    CEditNode* parent = node != nullptr ? node->GetEditParent() : nullptr;
    if (parent != nullptr)
        ::DrawContainerFrame(dc, m_displayMap, *parent);
}

void CEditViewController::DrawTracker(CDC* dc, CEditNode* node)
{
    CRectTracker tracker(NodeDeviceRect(node), CRectTracker::hatchedBorder | CRectTracker::resizeOutside);
    tracker.Draw(dc);
}

void CEditViewController::DrawTrackers(CDC* dc)
{
    // A frame being dragged is drawn where the mouse has it.
    switch (m_tracking) {
    case Tracking::Object: m_trackerObject.Draw(dc); return;
    case Tracking::Image: m_trackerImage.Draw(dc); return;
    case Tracking::Field: m_trackerField.Draw(dc); return;
    default: break;
    }
    switch (m_nViewMode) {
    case ViewMode::kText:
        if (CaretNode() != nullptr && CaretNode()->IsKind(EditKind::kObject))
            DrawTracker(dc, CaretNode());
        break;
    case ViewMode::kPicture:
        if (m_pImage != nullptr)
            DrawTracker(dc, m_pImage);
        break;
    case ViewMode::kFieldSize:
        if (m_pCurrentField == nullptr)
            break;
        DrawTracker(dc, m_pCurrentField);
        // The other selected fields show eight inverted handles each.
        for (CEditNode* field : m_selectedFields) {
            if (field == m_pCurrentField)
                continue;
            RECT r = field->m_rcLayout;
            LogicalToDeviceRect(&r);
            const int midX = r.left + (r.right - r.left) / 2;
            const int midY = r.top + (r.bottom - r.top) / 2;
            const POINT points[] = {{r.left, r.top},    {r.right, r.top}, {r.left, r.bottom}, {r.right, r.bottom},
                                    {midX, r.top},      {midX, r.bottom}, {r.left, midY},     {r.right, midY}};
            for (const POINT& p : points)
                dc->PatBlt(p.x - 2, p.y - 2, 5, 5, DSTINVERT);
        }
        break;
    case ViewMode::kNameField:
        if (m_pNameField != nullptr)
            DrawTracker(dc, m_pNameField);
        break;
    default:
        break;
    }
}

void CEditViewController::Relayout()
{
    CEditPrint* root = Root();
    CDC* dc = m_host.GetMeasuringDC();
    if (root == nullptr || dc == nullptr)
        return;
    // Measuring always happens at 100 % and 96 dpi, whatever the zoom and the screen.
    const int saved = dc->SaveDC();
    dc->SetMapMode(MM_ANISOTROPIC);
    dc->SetWindowExt(2540, 2540);
    dc->SetViewportExt(96, 96);
    // The blocks after an edit that only moved follow when they are drawn or reached; past the
    // page after those shown and the blocks of the caret and the anchor, when they are paginated.
    const int caretBlock = std::max(root->BlockIndexOf(m_caret.m_caretNode), root->BlockIndexOf(m_caret.m_anchorNode));
    root->RelayoutAfterEdit(dc, &m_displayMap, m_displayMap.IsVertical(), LastShownPage(*root) + 1, caretBlock + 1);
    dc->RestoreDC(saved);
    SettleCaretBlocks();
    ++m_relayoutCount;
}

int CEditViewController::LastShownPage(const CEditPrint& root) const
{
    const SIZE client = ClientSize();
    int64_t lowest = INT32_MIN;
    for (POINT corner : {POINT{0, 0}, POINT{client.cx, 0}, POINT{0, client.cy}, POINT{client.cx, client.cy}}) {
        DeviceToLogicalPoint(&corner);
        lowest = std::max<int64_t>(lowest, corner.y);
    }
    return root.PageAtY(lowest);
}

void CEditViewController::SettleCaretBlocks()
{
    CEditPrint* root = Root();
    if (root == nullptr)
        return;
    root->SettleAround(m_caret.m_caretNode);
    root->SettleAround(m_caret.m_anchorNode);
    // A selection of whole blocks spans the blocks between its ends.
    if (m_caret.m_caretNode != nullptr && m_caret.m_anchorNode != nullptr &&
        m_caret.m_caretNode->GetParent() == root && m_caret.m_anchorNode->GetParent() == root) {
        const int caret = m_caret.m_caretNode->GetIndexInParent();
        const int anchor = m_caret.m_anchorNode->GetIndexInParent();
        root->SettleBlocks(std::min(caret, anchor), std::max(caret, anchor));
    }
}

void CEditViewController::LogicalToDevicePoint(POINT* point) const
{
    m_displayMap.DocToDevice(point);
    if (m_displayMap.IsVertical())
        point->x += ClientSize().cx;
}

void CEditViewController::DeviceToLogicalPoint(POINT* point) const
{
    // The window origin OnPrepareDC sets: the paper of a vertical view starts at the right.
    if (m_displayMap.IsVertical())
        point->x -= ClientSize().cx;
    m_displayMap.DeviceToDoc(point);
}

void CEditViewController::LogicalToDeviceRect(RECT* rect) const
{
    m_displayMap.DocToDeviceRect(rect);
    if (m_displayMap.IsVertical()) {
        const int width = ClientSize().cx;
        rect->left += width;
        rect->right += width;
    }
}
