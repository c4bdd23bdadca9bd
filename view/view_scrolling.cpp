// Scrolling: the view moves the origin of its display map, in document units, and the scroll
// bars show document units. In vertical writing the vertical bar runs along the document's x axis
// and the horizontal bar, read from its right end, along the y axis.
#include "view/edit_view_controller.h"

#include "nodes/edit_print.h"

#include <algorithm>

namespace {

// First to 0 or more, then to the range or less: a negative range gives a negative origin.
int ClampOrigin(int value, int range) { return std::min(std::max(value, 0), range); }

}  // namespace

SIZE CEditViewController::ClientDocSize() const
{
    const SIZE client = ClientSize();
    // Along the screen axes: across the screen, down the screen.
    return SIZE{MulDiv(m_displayMap.m_scaleDenominatorX, client.cx, m_displayMap.m_scaleNumeratorX),
                MulDiv(m_displayMap.m_scaleDenominatorY, client.cy, m_displayMap.m_scaleNumeratorY)};
}

void CEditViewController::UpdateScrollBars(const SIZE* clientSize)
{
    const SIZE pixels = clientSize != nullptr ? *clientSize : ClientSize();
    if (pixels.cx <= 0 || pixels.cy <= 0)
        return;
    const SIZE client{MulDiv(m_displayMap.m_scaleDenominatorX, pixels.cx, m_displayMap.m_scaleNumeratorX),
                      MulDiv(m_displayMap.m_scaleDenominatorY, pixels.cy, m_displayMap.m_scaleNumeratorY)};
    const bool vertical = m_displayMap.IsVertical() != 0;
    SIZE extent = client;
    if (CEditPrint* root = Root()) {
        int width = 0;
        int height = 0;
        root->GetExtent(&width, &height);
        extent = vertical ? SIZE{height, width} : SIZE{width, height};
    }
    const int rangeH = extent.cx - client.cx;
    const int rangeV = extent.cy - client.cy;
    int hPos = 0;
    int vPos = 0;
    if (!vertical) {
        m_displayMap.m_originY = ClampOrigin(m_displayMap.m_originY, rangeV);
        m_displayMap.m_originX = ClampOrigin(m_displayMap.m_originX, rangeH);
        vPos = m_displayMap.m_originY;
        hPos = m_displayMap.m_originX;
    } else {
        m_displayMap.m_originX = ClampOrigin(m_displayMap.m_originX, rangeV);
        vPos = m_displayMap.m_originX;
        hPos = ClampOrigin(rangeH - m_displayMap.m_originY, rangeH);
        m_displayMap.m_originY = rangeH - hPos;
    }
    m_vBar = client.cy < extent.cy ? SCROLL_BAR_STATE{extent.cy, client.cy, vPos} : SCROLL_BAR_STATE{};
    m_hBar = client.cx < extent.cx ? SCROLL_BAR_STATE{extent.cx, client.cx, hPos} : SCROLL_BAR_STATE{};
    m_host.ScrollBarsChanged();
}

void CEditViewController::FollowNewExtent()
{
    const POINT origin{m_displayMap.m_originX, m_displayMap.m_originY};
    UpdateScrollBars();
    // A shorter paper can move the place shown: what was just drawn is then stale.
    if (m_displayMap.m_originX != origin.x || m_displayMap.m_originY != origin.y)
        m_host.Invalidate(nullptr);
}

void CEditViewController::ScrollBy(bool verticalBar, int step)
{
    if (step == 0)
        return;
    const bool vertical = m_displayMap.IsVertical() != 0;
    const SCROLL_BAR_STATE& bar = verticalBar ? m_vBar : m_hBar;
    if (verticalBar) {
        int32_t& origin = vertical ? m_displayMap.m_originX : m_displayMap.m_originY;
        origin = std::clamp(origin + step, 0, std::max(bar.max, 0));
    } else if (!vertical) {
        m_displayMap.m_originX = std::clamp(m_displayMap.m_originX + step, 0, std::max(bar.max, 0));
    } else {
        // The horizontal bar runs against the document's y axis.
        m_displayMap.m_originY = std::clamp(m_displayMap.m_originY - step, 0, std::max(bar.max, 0));
    }
    UpdateScrollBars();
    InvalidateAll();
}

namespace {

int ScrollStep(int code, int trackPos, const SCROLL_BAR_STATE& bar)
{
    switch (code) {
    case ScrollCode::kLineUp: return bar.pos > 0 ? -CEditViewController::kLineStep : 0;
    case ScrollCode::kLineDown: return bar.pos < bar.max ? CEditViewController::kLineStep : 0;
    case ScrollCode::kPageUp: return bar.pos > 0 ? -bar.page : 0;
    case ScrollCode::kPageDown: return bar.pos < bar.max ? bar.page : 0;
    case ScrollCode::kThumbPosition:
    case ScrollCode::kThumbTrack: return trackPos < bar.max ? trackPos - bar.pos : 0;
    default: return 0;
    }
}

}  // namespace

void CEditViewController::OnVScroll(int code, int trackPos) { ScrollBy(true, ScrollStep(code, trackPos, m_vBar)); }

void CEditViewController::OnHScroll(int code, int trackPos) { ScrollBy(false, ScrollStep(code, trackPos, m_hBar)); }

void CEditViewController::OnMouseWheel(int delta)
{
    // A notch (120) is one line; a touchpad's small deltas scroll a part of it.
    const int step = -MulDiv(delta, kLineStep, 120);
    if ((step < 0 && m_vBar.pos > 0) || (step > 0 && m_vBar.pos < m_vBar.max))
        ScrollBy(true, step);
}

void CEditViewController::EnsureCaretVisible()
{
    ScrollToShow(POINT{m_rcCaret.left, m_rcCaret.top}, SIZE{m_rcCaret.right, m_rcCaret.bottom});
}

void CEditViewController::ScrollToPoint(POINT point) { ScrollToShow(point, SIZE{0, 0}); }

void CEditViewController::ScrollToShow(POINT point, SIZE pad)
{
    const bool vertical = m_displayMap.IsVertical() != 0;
    const SIZE screen = ClientDocSize();
    const SIZE margin{MulDiv(m_displayMap.m_scaleDenominatorX, kScrollBarSize, m_displayMap.m_scaleNumeratorX),
                      MulDiv(m_displayMap.m_scaleDenominatorY, kScrollBarSize, m_displayMap.m_scaleNumeratorY)};
    // Along the document's axes.
    const SIZE c = vertical ? SIZE{screen.cy, screen.cx} : screen;
    const SIZE m = vertical ? SIZE{margin.cy, margin.cx} : margin;
    const int px = vertical ? m_vBar.pos : m_hBar.pos;
    const int py = vertical ? m_hBar.pos : m_vBar.pos;
    const int x = point.x;
    const int y = point.y;
    const int w = pad.cx;
    const int h = pad.cy;
    // A new origin of exactly 0 scrolls too: the start of the paper must be reachable.
    // Scrolling moves the origin only: the layout is in document units and stays as it is, so
    // that a drag near the edge never lays the paper out again.
    if (const auto originX = ScrollOriginToShow(px, c.cx, x, w, m.cx)) {
        m_displayMap.m_originX = *originX;
        UpdateScrollBars();
        InvalidateAll();
    }
    bool moveY = false;
    int newY = 0;
    if (!vertical) {
        if (const auto originY = ScrollOriginToShow(py, c.cy, y, h, m.cy))
            newY = *originY, moveY = true;
    } else {
        // The horizontal bar runs against the document's y axis.
        const int n = m_hBar.max;
        if (y < n - (py + c.cy))
            newY = y - (h + m.cy), moveY = true;
        else if (n - py < y)
            newY = y + h + m.cy - c.cy, moveY = true;
    }
    if (moveY) {
        m_displayMap.m_originY = newY;
        UpdateScrollBars();
        InvalidateAll();
    }
}
