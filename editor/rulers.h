// The rulers: a band of the page width (or, in vertical writing, height) with a centimetre
// scale and three indent markers that edit the active view's paragraph format. The frame keeps
// both hidden; they work when shown.
#pragma once

#include "platform/gdi.h"

#include <QWidget>

#include <functional>

// The paragraph format the markers edit, laid out as the view keeps it (1/100 mm).
struct RULER_PARAFORMAT {
    DWORD mask = 0;
    LONG startIndent = 0;
    LONG rightIndent = 0;
    LONG offset = 0;  // first line, from the start indent
    int16_t tabCount = 0;
    LONG tabs[32] = {};
};
// Start indent, right indent, first-line offset and tabs.
constexpr DWORD kRulerFormatMask = 23;

struct RULER_MARKERS {
    int pair = 0;   // the first line
    int left = 0;   // the start indent
    int right = 0;  // the right indent, from the text start
    int tabs[32] = {};
};

// The page the ruler shows, in 1/100 mm, and how it maps to pixels.
struct RULER_PAGE {
    int extent = 0;       // page width (vertical ruler: height)
    int leftMargin = 0;   // margin at the text start
    int rightMargin = 0;  // margin at the text end
    int zoom = 100;       // percent
    int originPx = 0;     // pixel of the page's start in the ruler
};

RULER_MARKERS MarkersFromFormat(const RULER_PARAFORMAT& format, const RULER_PAGE& page);
// Writes the markers back: mask 23, tabs sorted ascending without zeros and repeats.
void FormatFromMarkers(const RULER_MARKERS& markers, const RULER_PAGE& page, RULER_PARAFORMAT* format);
// A dragged position: to the nearest multiple of the snap step, then inside the limits.
int SnapMarker(int position, int lower, int upper, int snap = 100);

class CRulerBar : public QWidget {
public:
    static constexpr int kThickness = 17;
    CRulerBar(bool vertical, unsigned id, QWidget* parent = nullptr);
    bool IsVertical() const { return m_vertical; }

    // Refresh: the page and the view's format; skipped while a marker is dragged.
    void Refresh(const RULER_PAGE& page, const RULER_PARAFORMAT& format);
    const RULER_MARKERS& Markers() const { return m_markers; }
    // The view's format that a finished drag writes into; none until a view exists.
    std::function<void(const RULER_PARAFORMAT&)> formatToView;

    // The band, scale, numbers and markers, along the ruler's length.
    void Paint(CDC* dc) const;
    // Dragging by pointer position along the band (pixels) and across it (0 … 16).
    bool BeginDrag(int along, int across);
    void DragTo(int along);
    void EndDrag(int along);
    int PixelOf(int hmm) const;
    int HmmOf(int pixel) const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    enum class Drag { None, PairWithLeft, PairOnly, Left, Right };
    int TextWidth() const { return m_page.extent - m_page.leftMargin - m_page.rightMargin; }

    bool m_vertical;
    RULER_PAGE m_page;
    RULER_MARKERS m_markers;
    Drag m_drag = Drag::None;
    int m_lower = 0;
    int m_upper = 0;
};

class CHorzRulerBar : public CRulerBar {
public:
    explicit CHorzRulerBar(QWidget* parent = nullptr) : CRulerBar(false, 133, parent) {}
};

class CVertRulerBar : public CRulerBar {
public:
    explicit CVertRulerBar(QWidget* parent = nullptr) : CRulerBar(true, 441, parent) {}
};
