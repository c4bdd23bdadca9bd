#include "nodes/rect_tracker.h"

#include "base/gdi_cache.h"
#include "platform/gdi.h"

#include <algorithm>
#include <cstdlib>

namespace {

bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

RECT Normalized(const RECT& r)
{
    return RECT{std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
                std::max(r.top, r.bottom)};
}

bool Contains(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

// Which edges a handle moves.
struct HandleEdges {
    bool left, top, right, bottom;
};

HandleEdges EdgesOf(int handle)
{
    switch (handle) {
    case CRectTracker::hitTopLeft: return {true, true, false, false};
    case CRectTracker::hitTopRight: return {false, true, true, false};
    case CRectTracker::hitBottomRight: return {false, false, true, true};
    case CRectTracker::hitBottomLeft: return {true, false, false, true};
    case CRectTracker::hitTop: return {false, true, false, false};
    case CRectTracker::hitRight: return {false, false, true, false};
    case CRectTracker::hitBottom: return {false, false, false, true};
    case CRectTracker::hitLeft: return {true, false, false, false};
    default: return {false, false, false, false};
    }
}

bool IsCorner(int handle) { return handle >= CRectTracker::hitTopLeft && handle <= CRectTracker::hitBottomLeft; }

}  // namespace

// ---------------------------------------------------------------------------------------------
// The plain tracker

int CRectTracker::HitTest(POINT point) const
{
    const RECT r = Normalized(m_rect);
    const int border = (m_nStyle & (hatchedBorder | resizeOutside)) != 0 ? kBorderWidth : 0;
    const RECT outer{r.left - border, r.top - border, r.right + border, r.bottom + border};
    const int midX = outer.left + (outer.right - outer.left) / 2;
    const int midY = outer.top + (outer.bottom - outer.top) / 2;
    // Handles in hit-code order: corners clockwise from the top left, then the edges from the top.
    const POINT handles[] = {{outer.left, outer.top},    {outer.right, outer.top}, {outer.right, outer.bottom},
                             {outer.left, outer.bottom}, {midX, outer.top},        {outer.right, midY},
                             {midX, outer.bottom},       {outer.left, midY}};
    const int half = kHandleSize / 2;
    for (int i = 0; i < 8; ++i) {
        const RECT handle{handles[i].x - half, handles[i].y - half, handles[i].x - half + kHandleSize,
                          handles[i].y - half + kHandleSize};
        if (Contains(handle, point))
            return i;
    }
    return Contains(outer, point) ? hitMiddle : hitNothing;
}

TrackerCursor CRectTracker::CursorOf(int hit)
{
    switch (hit) {
    case hitTopLeft:
    case hitBottomRight: return TrackerCursor::SizeNWSE;
    case hitTopRight:
    case hitBottomLeft: return TrackerCursor::SizeNESW;
    case hitTop:
    case hitBottom: return TrackerCursor::SizeNS;
    case hitLeft:
    case hitRight: return TrackerCursor::SizeWE;
    case hitMiddle: return TrackerCursor::SizeAll;
    default: return TrackerCursor::Arrow;
    }
}

void CRectTracker::Draw(CDC* dc) const
{
    const RECT r = Normalized(m_rect);
    const int border = kBorderWidth;
    const RECT outer{r.left - border, r.top - border, r.right + border, r.bottom + border};
    const RECT strips[] = {{outer.left, outer.top, outer.right, r.top},
                           {outer.left, r.bottom, outer.right, outer.bottom},
                           {outer.left, r.top, r.left, r.bottom},
                           {r.right, r.top, outer.right, r.bottom}};
    for (const RECT& strip : strips)
        dc->FillRect(&strip, GetHalftoneBrush());
    const int midX = outer.left + (outer.right - outer.left) / 2;
    const int midY = outer.top + (outer.bottom - outer.top) / 2;
    const POINT handles[] = {{outer.left, outer.top},    {outer.right, outer.top}, {outer.right, outer.bottom},
                             {outer.left, outer.bottom}, {midX, outer.top},        {outer.right, midY},
                             {midX, outer.bottom},       {outer.left, midY}};
    const int half = kHandleSize / 2;
    for (const POINT& p : handles)
        dc->FillSolidRect(p.x - half, p.y - half, kHandleSize, kHandleSize, 0x000000);
}

bool CRectTracker::BeginTrack(POINT point, bool shift)
{
    const int hit = HitTest(point);
    if (hit == hitNothing)
        return false;
    m_handle = hit;
    m_allowInvert = false;
    m_tracking = true;
    m_shift = shift;
    m_startRect = m_rect;
    m_startPoint = point;
    return true;
}

void CRectTracker::BeginRubberBand(POINT point, bool shift, bool allowInvert)
{
    m_handle = hitBottomRight;
    m_allowInvert = allowInvert;
    m_tracking = true;
    m_shift = shift;
    m_startRect = m_rect;
    m_startPoint = point;
}

RECT CRectTracker::MovedRect(POINT point) const
{
    const int dx = point.x - m_startPoint.x;
    const int dy = point.y - m_startPoint.y;
    RECT r = m_startRect;
    if (m_handle == hitMiddle)
        return RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
    const HandleEdges edges = EdgesOf(m_handle);
    if (edges.left)
        r.left += dx;
    if (edges.right)
        r.right += dx;
    if (edges.top)
        r.top += dy;
    if (edges.bottom)
        r.bottom += dy;
    return r;
}

void CRectTracker::Follow(POINT point, bool shift, bool final)
{
    m_shift = shift;
    const RECT old = m_rect;
    m_rect = MovedRect(point);
    AdjustRect(m_handle, &m_rect);
    if (!SameRect(old, m_rect) || final)
        OnChangedRect(old);
}

void CRectTracker::TrackMove(POINT point, bool shift)
{
    if (m_tracking)
        Follow(point, shift, false);
}

bool CRectTracker::EndTrack(POINT point, bool shift)
{
    if (!m_tracking)
        return false;
    Follow(point, shift, true);
    m_tracking = false;
    return !SameRect(m_rect, m_startRect);
}

void CRectTracker::CancelTrack()
{
    if (!m_tracking)
        return;
    m_tracking = false;
    m_rect = m_startRect;
}

void CRectTracker::AdjustRect(int handle, RECT* rect)
{
    if (handle == hitMiddle || m_allowInvert)
        return;
    const HandleEdges edges = EdgesOf(handle);
    if (rect->right - rect->left < m_sizeMin.cx) {
        if (edges.left)
            rect->left = rect->right - m_sizeMin.cx;
        else if (edges.right)
            rect->right = rect->left + m_sizeMin.cx;
    }
    if (rect->bottom - rect->top < m_sizeMin.cy) {
        if (edges.top)
            rect->top = rect->bottom - m_sizeMin.cy;
        else if (edges.bottom)
            rect->bottom = rect->top + m_sizeMin.cy;
    }
}

void CRectTracker::OnChangedRect(const RECT&) {}

// ---------------------------------------------------------------------------------------------
// The selection band

CSelectionTracker::CSelectionTracker(DragSelectFunction onDragSelect) : m_onDragSelect(std::move(onDragSelect))
{
    m_sizeMin = SIZE{1, 1};
    m_nStyle = dottedLine;
}

void CSelectionTracker::OnChangedRect(const RECT&)
{
    if (m_onDragSelect)
        m_onDragSelect(m_rect);
}

// ---------------------------------------------------------------------------------------------
// Proportions and field limits

bool CAspectTracker::Track(POINT point, bool shift)
{
    m_rectStart = m_rect;
    return BeginTrack(point, shift);
}

RECT CAspectTracker::Adjusted(int handle, RECT rect, bool shift)
{
    const bool saved = IsShiftDown();
    SetShiftDown(shift);
    AdjustRect(handle, &rect);
    SetShiftDown(saved);
    return rect;
}

void CAspectTracker::AdjustRect(int handle, RECT* rect) { AdjustAspect(handle, rect); }

void CAspectTracker::AdjustAspect(int handle, RECT* rect) const
{
    if (IsCorner(handle)) {
        // The moving corner stops at the opposite edges.
        const HandleEdges edges = EdgesOf(handle);
        if (edges.top)
            rect->top = std::min(rect->top, rect->bottom);
        if (edges.bottom)
            rect->bottom = std::max(rect->bottom, rect->top);
        if (edges.left)
            rect->left = std::min(rect->left, rect->right);
        if (edges.right)
            rect->right = std::max(rect->right, rect->left);
    }
    if (!IsShiftDown())
        return;
    if (!IsCorner(handle)) {
        *rect = m_rectStart;
        return;
    }
    const int startWidth = m_rectStart.right - m_rectStart.left;
    const int startHeight = m_rectStart.bottom - m_rectStart.top;
    if (startWidth == 0 || startHeight == 0)
        return;
    const int width = rect->right - rect->left;
    const int height = rect->bottom - rect->top;
    // Two candidates scaled from the start rectangle: by the width's ratio and by the height's.
    const SIZE byWidth{width, MulDiv(startHeight, width, startWidth)};
    const SIZE byHeight{MulDiv(startWidth, height, startHeight), height};
    const long long areaByWidth = static_cast<long long>(byWidth.cx) * byWidth.cy;
    const long long areaByHeight = static_cast<long long>(byHeight.cx) * byHeight.cy;
    const SIZE size = std::llabs(areaByWidth) > std::llabs(areaByHeight) ? byWidth : byHeight;
    // About the corner opposite the handle, which is the start rectangle's.
    const HandleEdges edges = EdgesOf(handle);
    if (edges.left)
        rect->left = m_rectStart.right - size.cx;
    else
        rect->right = m_rectStart.left + size.cx;
    if (edges.top)
        rect->top = m_rectStart.bottom - size.cy;
    else
        rect->bottom = m_rectStart.top + size.cy;
    if (edges.left)
        rect->right = m_rectStart.right;
    else
        rect->left = m_rectStart.left;
    if (edges.top)
        rect->bottom = m_rectStart.bottom;
    else
        rect->top = m_rectStart.top;
}

void CFieldTracker::AdjustRect(int handle, RECT* rect)
{
    AdjustAspect(handle, rect);
    if (m_vertical == 0) {
        const int width = rect->right - rect->left;
        const int held = std::clamp(width, static_cast<int>(m_sizeMin.cx), std::max<int>(m_maxWidth, m_sizeMin.cx));
        if (held == width)
            return;
        if (handle == hitTopLeft || handle == hitBottomLeft || handle == hitLeft)
            rect->left = rect->right - held;
        else if (handle == hitTopRight || handle == hitBottomRight || handle == hitRight)
            rect->right = rect->left + held;
        return;
    }
    const int height = rect->bottom - rect->top;
    const int held = std::clamp(height, static_cast<int>(m_sizeMin.cy), std::max<int>(m_maxHeight, m_sizeMin.cy));
    if (held == height)
        return;
    if (handle == hitTopLeft || handle == hitTopRight || handle == hitTop)
        rect->top = rect->bottom - held;
    else if (handle == hitBottomRight || handle == hitBottomLeft || handle == hitBottom)
        rect->bottom = rect->top + held;
}
