// Scrolling: the origin of the display map, in document units, moves only to bring the caret or
// a dragged point into view. The window's scroll bars stay empty, so the bar requests find
// nothing to scroll.
#include "formula/vumat_view.h"

#include "formula/vumat_doc.h"

#include <algorithm>

namespace {

// Up to the range, never below 0.
int ClampOrigin(int value, int range) { return std::max(0, std::min(std::max(value, 0), range)); }

// The step a request makes on an empty bar (range, page and position all 0).
int EmptyBarStep(int code, int trackPos)
{
    constexpr int max = 0;
    constexpr int page = 0;
    constexpr int pos = 0;
    switch (code) {
    case VumatScroll::kLineUp: return pos > 0 ? -CVumatView::kLineStep : 0;
    case VumatScroll::kLineDown: return pos < max ? CVumatView::kLineStep : 0;
    case VumatScroll::kPageUp: return pos > 0 ? -page : 0;
    case VumatScroll::kPageDown: return pos < max ? page : 0;
    case VumatScroll::kThumbPosition:
    case VumatScroll::kThumbTrack: return trackPos < max ? trackPos - pos : 0;
    default: return 0;
    }
}

}  // namespace

SIZE CVumatView::ClientDocSize() const
{
    SIZE size = ClientSize();
    m_displayMap.DeviceToDocSize(&size);
    return size;
}

void CVumatView::UpdateScrollBars(const SIZE* clientSize)
{
    SIZE client = clientSize != nullptr ? *clientSize : ClientSize();
    if (client.cx <= 0 || client.cy <= 0)
        return;
    m_displayMap.DeviceToDocSize(&client);
    SIZE content = client;
    if (const CEditMathSentence* root = Root())
        content = SIZE{root->m_width, root->m_height};
    m_displayMap.m_originY = ClampOrigin(m_displayMap.m_originY, content.cy - client.cy);
    m_displayMap.m_originX = ClampOrigin(m_displayMap.m_originX, content.cx - client.cx);
}

void CVumatView::EnsureCaretVisible()
{
    ScrollToShow(POINT{m_rcCaret.left, m_rcCaret.top}, SIZE{m_rcCaret.right, m_rcCaret.bottom});
}

void CVumatView::ScrollToPoint(POINT point) { ScrollToShow(point, SIZE{0, 0}); }

void CVumatView::ScrollToShow(POINT point, SIZE pad)
{
    // The visible part runs from the origin: a point left of it scrolls back as well.
    const SIZE client = ClientDocSize();
    SIZE bar{kScrollBarSize, kScrollBarSize};
    m_displayMap.DeviceToDocSize(&bar);
    bool moved = false;
    if (auto x = ScrollOriginToShow(m_displayMap.m_originX, client.cx, point.x, pad.cx, bar.cx)) {
        m_displayMap.m_originX = *x;
        moved = true;
    }
    if (auto y = ScrollOriginToShow(m_displayMap.m_originY, client.cy, point.y, pad.cy, bar.cy)) {
        m_displayMap.m_originY = *y;
        moved = true;
    }
    if (moved) {
        UpdateScrollBars();
        InvalidateAll();
    }
}

void CVumatView::OnVScroll(int code, int trackPos)
{
    const int step = EmptyBarStep(code, trackPos);
    if (step == 0)
        return;
    m_displayMap.m_originY = std::max(0, m_displayMap.m_originY + step);
    UpdateScrollBars();
    InvalidateAll();
}

void CVumatView::OnHScroll(int code, int trackPos)
{
    const int step = EmptyBarStep(code, trackPos);
    if (step == 0)
        return;
    m_displayMap.m_originX = std::max(0, m_displayMap.m_originX + step);
    UpdateScrollBars();
    InvalidateAll();
}

void CVumatView::OnMouseWheel(int delta)
{
    if (delta < 0)
        OnVScroll(VumatScroll::kLineDown);
    else if (delta > 0)
        OnVScroll(VumatScroll::kLineUp);
}
