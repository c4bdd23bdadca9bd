// The view's state, its reaction to document updates, painting, layout and the mapping between
// document units and client pixels.
#include "formula/vumat_view.h"

#include "base/default_fonts.h"
#include "formula/vumat_doc.h"
#include "math/math_container.h"
#include "nodes/caret_display.h"
#include "nodes/edit_kind.h"
#include "nodes/edit_node.h"
#include "nodes/undo.h"
#include "platform/gdi_qt.h"
#include "platform/shell.h"

#include <algorithm>
#include <cstdlib>

CVumatView::CVumatView(CVumatDoc& document, IVumatViewHost& host) : m_document(document), m_host(host)
{
    ResetState();
}

CVumatView::~CVumatView() = default;

CEditMathSentence* CVumatView::Root() const { return m_document.GetRoot(); }

SIZE CVumatView::ClientSize() const { return m_host.GetClientSize(); }

void CVumatView::InvalidateAll() { m_host.Invalidate(nullptr); }

// ---------------------------------------------------------------------------------------------
// State and document updates

void CVumatView::ResetState()
{
    m_displayMap.SetOrigin(0, 0);
    m_displayMap.SetVertical(0);
    // Qt draws in device-independent pixels of 96 per inch on every screen.
    m_displayMap.SetResolution(96, 96, 100);
    m_leadPending = false;
    m_leadUnit = 0;

    const CDefaultFontTable& fonts = CDefaultFontTable::Instance();
    fonts.GetMathFont(&m_lfBaseInput);
    m_lfBaseInput.lfHeight = -std::abs(fonts.GetMathHeight());

    m_rcCaret = RECT{0, 0, kBorder, 10 * kBorder};
    m_ptIme = POINT{0, 0};
    m_caret.Reset();
    m_caret.m_verticalMove = 0;
    m_caret.m_rememberedX = 0;
    m_caret.m_logFont = m_lfBaseInput;

    m_drag = DRAG_SELECTION();
    m_selectionTracker.reset();
    m_preedit.clear();
}

void CVumatView::OnInitialUpdate()
{
    ResetState();
    m_knownRoot = Root();
    // The input method of this platform always delivers Unicode: no warning is due.
    CEditMathSentence* root = Root();
    CEditNode* first = root != nullptr ? root->GetFirstInner() : nullptr;
    if (first == nullptr || !first->IsKind(EditKind::kMath))
        return;
    auto* formula = dynamic_cast<CEditMathContainer*>(first);
    CEditNode* slotEnd = formula != nullptr ? formula->GetFirstSlotEnd() : nullptr;
    if (slotEnd == nullptr)
        return;
    m_caret.m_caretNode = slotEnd;
    m_caret.m_caretAfter = 0;
    m_displayMap.SetOrigin(0, 0);
    UpdateScrollBars();
    UpdateCaret(FALSE);
    InvalidateAll();
}

void CVumatView::FollowDocument()
{
    if (Root() != m_knownRoot)
        OnInitialUpdate();
}

void CVumatView::OnUpdate(int hint, CEditNode* node)
{
    FollowDocument();
    switch (hint) {
    case VumatHint::kAll:
    case VumatHint::kPageSetup:
    case VumatHint::kZoom:
        LayoutRoot();
        UpdateScrollBars();
        InvalidateAll();
        break;
    case VumatHint::kContentsDeleted:
        ResetState();
        break;
    case VumatHint::kNode:
        if (node != nullptr) {
            RECT r = node->m_rcLayout;
            LogicalToDeviceRect(&r);
            r = RECT{r.left - 1, r.top - 1, r.right + 2, r.bottom + 2};
            m_host.Invalidate(&r);
        }
        break;
    default:
        break;
    }
    // No window is ever active in place here: the container learns the new size from the
    // object's extent, which each change sends it.
}

// ---------------------------------------------------------------------------------------------
// Painting and layout

CQtDC* CVumatView::GetOffscreenDC()
{
    // The bitmap covers the screen plus the margin, and the whole window when that is larger.
    const SIZE screen = m_host.GetScreenSize();
    const SIZE client = ClientSize();
    const SIZE wanted{std::max<int>(screen.cx + kBitmapMargin, client.cx),
                      std::max<int>(screen.cy + kBitmapMargin, client.cy)};
    if (!m_offscreen || wanted.cx > m_sizeOffscreen.cx || wanted.cy > m_sizeOffscreen.cy) {
        const SIZE size{std::max(wanted.cx, m_sizeOffscreen.cx), std::max(wanted.cy, m_sizeOffscreen.cy)};
        m_offscreen = CQtDC::WithImage(size.cx, size.cy);
        m_sizeOffscreen = m_offscreen ? size : SIZE{};
    }
    return m_offscreen.get();
}

bool CVumatView::OnPaint(const RECT& clip)
{
    FollowDocument();
    CQtDC* dc = GetOffscreenDC();
    if (dc == nullptr) {
        if (!m_bitmapFailureShown) {
            m_bitmapFailureShown = true;
            ShellMessageBox(u"描画用ビットマップの作成に失敗しました。\n\nディスプレイの解像度または色数を減らして下さい。",
                            u"数式エディタ", MB_OK | MB_ICONEXCLAMATION);
        }
        return false;
    }
    if (!PaintInto(dc, clip))
        return false;
    UpdateCaret(FALSE);
    return true;
}

bool CVumatView::PaintInto(CDC* dc, const RECT& clip)
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
    OnDraw(dc);
    dc->RestoreDC(saved);
    return true;
}

void CVumatView::OnPrepareDC(CDC* dc)
{
    if (dc->IsPrinting()) {
        // Printing keeps the scaling mapping; the screen works in pixels through the display map.
        dc->SetMapMode(MM_ANISOTROPIC);
        dc->SetWindowExt(m_displayMap.m_scaleDenominatorX, m_displayMap.m_scaleDenominatorY);
        dc->SetViewportExt(m_displayMap.m_scaleNumeratorX, m_displayMap.m_scaleNumeratorY);
        return;
    }
    dc->SetMapMode(MM_TEXT);
    dc->SetWindowOrg(0, 0);
}

void CVumatView::OnDraw(CDC* dc)
{
    RECT box{};
    const int clip = dc->GetClipBox(&box);
    if (clip == NULLREGION || clip == ERROR)
        return;
    CEditMathSentence* root = Root();
    if (root == nullptr)
        return;
    const SIZE client = ClientSize();
    const RECT whole{0, 0, client.cx, client.cy};
    dc->FillSolidRect(&whole, kBackColor);
    if (m_document.m_zoomPercent > 0)
        m_displayMap.SetZoom(m_document.m_zoomPercent);
    LAYOUT_CONTEXT context;
    root->Draw(dc, &m_displayMap, &context);
    if (dc->IsPrinting())
        return;
    DrawSelection(dc);
    CEditNode* node = CaretNode();
    CEditNode* parent = node != nullptr ? node->GetEditParent() : nullptr;
    if (parent != nullptr && parent != root)
        DrawContainerFrame(dc);
}

void CVumatView::DrawSelection(CDC* dc)
{
    CEditMathSentence* root = Root();
    if (root != nullptr && m_caret.m_anchorNode != nullptr && CaretNode() != nullptr)
        root->DrawSelection(dc, &m_displayMap, &m_caret);
}

void CVumatView::RedrawSelection()
{
    // The window paints from the off-screen bitmap, so the selection is drawn with the rest.
    InvalidateAll();
}

void CVumatView::DrawContainerFrame(CDC* dc)
{
    CEditNode* node = CaretNode();
    CEditNode* parent = node != nullptr ? node->GetEditParent() : nullptr;
    if (parent != nullptr)
        ::DrawContainerFrame(dc, m_displayMap, *parent);
}

void CVumatView::LayoutRoot(CDC* dc)
{
    if (dc == nullptr)
        dc = m_host.GetMeasuringDC();
    m_document.LayoutRoot(dc, &m_displayMap);
}

void CVumatView::DeviceToLogicalPoint(POINT* point) const { m_displayMap.DeviceToDoc(point); }

void CVumatView::LogicalToDevicePoint(POINT* point) const { m_displayMap.DocToDevice(point); }

void CVumatView::LogicalToDeviceRect(RECT* rect) const { m_displayMap.DocToDeviceRect(rect); }

// ---------------------------------------------------------------------------------------------
// Window events

void CVumatView::OnSetFocus()
{
    FollowDocument();
    ShowCaretAndIme();
}

void CVumatView::OnKillFocus()
{
    m_systemCaretShown = false;
    m_host.CaretChanged();
}

void CVumatView::OnSize(SIZE client) { UpdateScrollBars(&client); }

// ---------------------------------------------------------------------------------------------
// Commands

bool CVumatView::OnCommand(int id)
{
    FollowDocument();
    const VUMAT_COMMAND_STATE state = OnUpdateCommand(id);
    if (!state.known || !state.enabled)
        return false;
    return RunCoreCommand(id) || RunEditingCommand(id);
}

VUMAT_COMMAND_STATE CVumatView::OnUpdateCommand(int id) const
{
    VUMAT_COMMAND_STATE state;
    if (UpdateCoreCommand(id, &state) || UpdateEditingCommand(id, &state))
        state.known = true;
    return state;
}

bool CVumatView::UpdateCoreCommand(int id, VUMAT_COMMAND_STATE* state) const
{
    switch (id) {
    case VumatCommand::kEditClear:
    case VumatCommand::kReserved250:
    case VumatCommand::kReserved251:
        state->enabled = true;
        return true;
    default:
        return false;
    }
}

bool CVumatView::RunCoreCommand(int id)
{
    switch (id) {
    case VumatCommand::kEditClear: OnEditClear(); return true;
    // Two commands of the bars that stay enabled and do nothing.
    case VumatCommand::kReserved250:
    case VumatCommand::kReserved251: return true;
    default: return false;
    }
}
