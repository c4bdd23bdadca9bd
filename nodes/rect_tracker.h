// Rectangle trackers: a frame with eight handles that the mouse drags to move or resize a
// rectangle (device pixels), or a rubber band stretched from a point. Tracking is a small state
// machine that the window's mouse events drive: a press starts it, each move adjusts the
// rectangle and reports a change, the release ends it. Shift comes with each event.
#pragma once

#include "platform/win_types.h"

#include <functional>

class CDC;

// The mouse cursor a handle shows.
enum class TrackerCursor { Arrow, SizeNWSE, SizeNESW, SizeNS, SizeWE, SizeAll };

class CRectTracker {
public:
    // Styles.
    static constexpr UINT solidLine = 1;
    static constexpr UINT dottedLine = 2;
    static constexpr UINT hatchedBorder = 4;
    static constexpr UINT resizeInside = 8;
    static constexpr UINT resizeOutside = 16;
    static constexpr UINT hatchInside = 32;

    // Hit codes: the four corners clockwise from the top left, then the four edges from the top,
    // then the inside (which moves the rectangle).
    static constexpr int hitNothing = -1;
    static constexpr int hitTopLeft = 0;
    static constexpr int hitTopRight = 1;
    static constexpr int hitBottomRight = 2;
    static constexpr int hitBottomLeft = 3;
    static constexpr int hitTop = 4;
    static constexpr int hitRight = 5;
    static constexpr int hitBottom = 6;
    static constexpr int hitLeft = 7;
    static constexpr int hitMiddle = 8;

    static constexpr int kHandleSize = 7;
    static constexpr int kBorderWidth = 4;

    CRectTracker() = default;
    CRectTracker(const RECT& rect, UINT style) : m_rect(rect), m_nStyle(style) {}
    virtual ~CRectTracker() = default;

    // The handle, edge or inside under the point; hitNothing outside the frame and its handles.
    int HitTest(POINT point) const;
    static TrackerCursor CursorOf(int hit);
    // The hatched border and the eight handles, outside the rectangle.
    void Draw(CDC* dc) const;

    // Starts moving or resizing by what lies under the point; false (nothing started) outside.
    bool BeginTrack(POINT point, bool shift);
    // Starts stretching a band from m_rect's top-left corner by its bottom-right one.
    void BeginRubberBand(POINT point, bool shift, bool allowInvert = true);
    // The mouse moved while tracking: the rectangle follows, is adjusted and reported when changed.
    void TrackMove(POINT point, bool shift);
    // The button came up: a last move, the final report, and the end. True when the rectangle
    // differs from where the tracking started.
    bool EndTrack(POINT point, bool shift);
    // Escape or a lost capture: the rectangle goes back to where the tracking started.
    void CancelTrack();
    bool IsTracking() const { return m_tracking; }
    int TrackedHandle() const { return m_handle; }
    // Shift as the current event reports it.
    bool IsShiftDown() const { return m_shift; }
    void SetShiftDown(bool shift) { m_shift = shift; }

    RECT m_rect{};
    SIZE m_sizeMin{0, 0};
    UINT m_nStyle = 0;

protected:
    // Adjusts the rectangle the mouse made. The plain tracker keeps the moving edges at least
    // m_sizeMin from the fixed ones unless inversion is allowed.
    virtual void AdjustRect(int handle, RECT* rect);
    // The rectangle changed (or the button came up); old is the rectangle before.
    virtual void OnChangedRect(const RECT& old);

    bool m_allowInvert = false;

private:
    // The rectangle for the mouse at point, before adjusting.
    RECT MovedRect(POINT point) const;
    void Follow(POINT point, bool shift, bool final);

    bool m_tracking = false;
    int m_handle = hitNothing;
    bool m_shift = false;
    RECT m_startRect{};
    POINT m_startPoint{};
};

// The rubber band of a mouse selection in either editor: nothing drawn, each change (the final
// one at the release included) handed to the view's drag selection.
class CSelectionTracker : public CRectTracker {
public:
    using DragSelectFunction = std::function<void(const RECT& rect)>;
    explicit CSelectionTracker(DragSelectFunction onDragSelect);

protected:
    void OnChangedRect(const RECT& old) override;

private:
    DragSelectFunction m_onDragSelect;
};

// A tracker that can keep the proportions of the rectangle it started with while Shift is down.
class CAspectTracker : public CRectTracker {
public:
    using CRectTracker::CRectTracker;
    // Records the start rectangle; then the press starts tracking as the plain tracker does.
    bool Track(POINT point, bool shift);
    // The rectangle as AdjustRect leaves it, for a handle and Shift state (tests call it directly).
    RECT Adjusted(int handle, RECT rect, bool shift);

    RECT m_rectStart{};

protected:
    void AdjustRect(int handle, RECT* rect) override;
    // Steps shared with the field tracker: corners may not cross, Shift keeps the proportions.
    void AdjustAspect(int handle, RECT* rect) const;
};

// The tracker of an answer field: as the aspect tracker, with the length along the line held
// between m_sizeMin and a maximum (the width in horizontal writing, the height in vertical).
class CFieldTracker : public CAspectTracker {
public:
    using CAspectTracker::CAspectTracker;

    int m_maxWidth = 1024;
    int m_maxHeight = 768;
    int m_vertical = 0;

protected:
    void AdjustRect(int handle, RECT* rect) override;
};
