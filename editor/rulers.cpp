#include "editor/rulers.h"

#include "platform/gdi_qt.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cstdio>

namespace {

constexpr COLORREF kWindow = 0xFFFFFF, kButtonFace = 0xF0F0F0, kShadow = 0xA0A0A0, kHighlight = 0xFFFFFF;
constexpr COLORREF kText = 0x000000;
constexpr int kUnit = 1000, kMiddleStep = 500, kMajorStep = 1000;

}  // namespace

RULER_MARKERS MarkersFromFormat(const RULER_PARAFORMAT& format, const RULER_PAGE& page)
{
    RULER_MARKERS markers;
    markers.pair = format.startIndent + format.offset;
    markers.left = format.startIndent;
    markers.right = (page.extent - page.leftMargin - page.rightMargin) - format.rightIndent;
    for (int i = 0; i < 32; ++i)
        markers.tabs[i] = i < format.tabCount ? format.tabs[i] : 0;
    return markers;
}

void FormatFromMarkers(const RULER_MARKERS& markers, const RULER_PAGE& page, RULER_PARAFORMAT* format)
{
    format->mask = kRulerFormatMask;
    format->startIndent = markers.left;
    format->offset = markers.pair - markers.left;
    format->rightIndent = (page.extent - page.leftMargin - page.rightMargin) - markers.right;
    int sorted[32];
    std::copy(std::begin(markers.tabs), std::end(markers.tabs), sorted);
    std::sort(std::begin(sorted), std::end(sorted));
    int count = 0;
    for (int tab : sorted)
        if (tab != 0 && (count == 0 || format->tabs[count - 1] != tab))
            format->tabs[count++] = tab;
    for (int i = count; i < 32; ++i)
        format->tabs[i] = 0;
    format->tabCount = static_cast<int16_t>(count);
}

int SnapMarker(int position, int lower, int upper, int snap)
{
    const int half = snap / 2;
    int snapped = position >= 0 ? (position + half) / snap * snap : -((-position + half) / snap * snap);
    return std::clamp(snapped, lower, std::max(lower, upper));
}

CRulerBar::CRulerBar(bool vertical, unsigned id, QWidget* parent) : QWidget(parent), m_vertical(vertical)
{
    setObjectName(QString("ruler_%1").arg(id));
    if (vertical)
        setFixedWidth(kThickness + 2);
    else
        setFixedHeight(kThickness + 2);
}

QSize CRulerBar::sizeHint() const
{
    return m_vertical ? QSize(kThickness + 2, 400) : QSize(600, kThickness + 2);
}

int CRulerBar::PixelOf(int hmm) const { return m_page.originPx + MulDiv(hmm, 96 * m_page.zoom, 2540 * 100); }

int CRulerBar::HmmOf(int pixel) const
{
    return m_page.zoom > 0 ? MulDiv(pixel - m_page.originPx, 2540 * 100, 96 * m_page.zoom) : 0;
}

void CRulerBar::Refresh(const RULER_PAGE& page, const RULER_PARAFORMAT& format)
{
    if (m_drag != Drag::None)
        return;
    m_page = page;
    m_markers = MarkersFromFormat(format, page);
    update();
}

void CRulerBar::Paint(CDC* dc) const
{
    // Everything is drawn along x and across y; the vertical ruler turns the picture.
    const int textStart = PixelOf(m_page.leftMargin);
    const int textEnd = PixelOf(m_page.extent - m_page.rightMargin);
    const int pageEnd = PixelOf(m_page.extent);
    const int top = 1, bottom = top + kThickness;
    dc->FillSolidRect(textStart, top, textEnd - textStart, kThickness, kWindow);
    dc->FillSolidRect(textEnd + 1, top, pageEnd - textEnd - 1, kThickness, kButtonFace);
    // The sunken frame and the dotted line 15 pixels into the band.
    dc->FillSolidRect(textStart - 1, top - 1, pageEnd - textStart + 2, 1, kShadow);
    dc->FillSolidRect(textStart - 1, top - 1, 1, kThickness + 2, kShadow);
    dc->FillSolidRect(textStart - 1, bottom, pageEnd - textStart + 2, 1, kHighlight);
    dc->FillSolidRect(pageEnd + 1, top - 1, 1, kThickness + 2, kHighlight);
    CPen dotted(PS_DOT, 1, kText);
    HPEN old = dc->SelectObject(&dotted);
    dc->MoveTo(textStart, top + 15);
    dc->LineTo(textEnd, top + 15);
    CPen solid(PS_SOLID, 1, kText);
    dc->SelectObject(&solid);

    // Ticks every minor and middle step, numbers on the major steps, counted from the text start.
    const int minorStep = m_page.zoom <= 100 ? 250 : 100;
    const int middle = top + kThickness / 2;
    for (int hmm = minorStep; m_page.leftMargin + hmm < m_page.extent; hmm += minorStep) {
        if (hmm % kMajorStep == 0)
            continue;
        const int length = hmm % kMiddleStep == 0 ? 5 : 2;
        const int x = PixelOf(m_page.leftMargin + hmm);
        dc->MoveTo(x, middle - length / 2);
        dc->LineTo(x, middle - length / 2 + length);
    }
    const UINT align = dc->SetTextAlign(TA_CENTER | TA_TOP);
    const int mode = dc->SetBkMode(TRANSPARENT);
    LOGFONTA label{};
    label.lfHeight = -8;
    std::snprintf(label.lfFaceName, LF_FACESIZE, "%s", "Sans");
    CFont font;
    font.CreateFontIndirect(&label);
    const HFONT oldFont = dc->SelectObject(&font);
    for (int n = 1; m_page.leftMargin + n * kUnit < m_page.extent; ++n) {
        char16_t text[8];
        const std::u16string number = QString::number(n).toStdU16String();
        std::copy(number.begin(), number.end(), text);
        dc->TextOutW(PixelOf(m_page.leftMargin + n * kUnit), middle - 5, text, static_cast<int>(number.size()));
    }
    dc->SelectObject(oldFont);
    dc->SetBkMode(mode);
    dc->SetTextAlign(align);

    // The markers: the pair (first line above, start indent below), the start and right indents.
    auto triangle = [&](int hmm, bool pointingDown, int y) {
        const int x = PixelOf(m_page.leftMargin + hmm);
        const POINT points[3] = {{x - 4, y}, {x + 4, y}, {x, pointingDown ? y + 4 : y - 4}};
        dc->Polygon(points, 3);
    };
    CBrush face;
    face.CreateSolidBrush(kButtonFace);
    const HBRUSH oldBrush = dc->SelectObject(&face);
    triangle(m_markers.pair, true, top);
    triangle(m_markers.left, false, bottom);
    dc->Rectangle(PixelOf(m_page.leftMargin + m_markers.left) - 4, bottom, PixelOf(m_page.leftMargin + m_markers.left) + 5,
                  bottom + 3);
    triangle(m_markers.right, false, bottom);
    dc->SelectObject(oldBrush);
    dc->SelectObject(old);
}

bool CRulerBar::BeginDrag(int along, int across)
{
    auto near = [&](int hmm) { return std::abs(PixelOf(m_page.leftMargin + hmm) - along) <= 4; };
    const int maximum = m_page.extent - m_page.leftMargin;
    if (near(m_markers.pair) && across < kThickness / 2)
        m_drag = Drag::PairWithLeft;
    else if (near(m_markers.pair) && m_markers.pair != m_markers.left)
        m_drag = Drag::PairOnly;
    else if (near(m_markers.left))
        m_drag = Drag::Left;
    else if (near(m_markers.right))
        m_drag = Drag::Right;
    else
        return false;
    if (m_drag == Drag::Right) {
        m_lower = std::max(m_markers.pair, m_markers.left);
        m_upper = maximum;
    } else {
        m_lower = 0;
        m_upper = m_markers.right;
    }
    DragTo(along);
    return true;
}

void CRulerBar::DragTo(int along)
{
    const int position = SnapMarker(HmmOf(along) - m_page.leftMargin, m_lower, m_upper);
    switch (m_drag) {
    case Drag::PairWithLeft: {
        // The start indent moves by as much, kept inside its own limits.
        const int delta = position - m_markers.pair;
        m_markers.pair = position;
        m_markers.left = std::clamp(m_markers.left + delta, 0, m_markers.right);
        break;
    }
    case Drag::PairOnly: m_markers.pair = position; break;
    case Drag::Left: m_markers.left = position; break;
    case Drag::Right: m_markers.right = position; break;
    case Drag::None: return;
    }
    update();
}

void CRulerBar::EndDrag(int along)
{
    if (m_drag == Drag::None)
        return;
    DragTo(along);
    m_drag = Drag::None;
    RULER_PARAFORMAT format;
    FormatFromMarkers(m_markers, m_page, &format);
    if (formatToView)
        formatToView(format);
}

void CRulerBar::paintEvent(QPaintEvent*)
{
    const int length = m_vertical ? height() : width();
    QImage image(length, kThickness + 2, QImage::Format_RGB32);
    image.fill(QColor(0xF0, 0xF0, 0xF0));
    {
        auto dc = CQtDC::ForImage(&image);
        if (m_page.extent > 0)
            Paint(dc.get());
        dc->End();
    }
    QPainter painter(this);
    if (m_vertical) {
        painter.translate(width(), 0);
        painter.rotate(90);
    }
    painter.drawImage(0, 0, image);
}

void CRulerBar::mousePressEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    if (event->button() == Qt::LeftButton && BeginDrag(m_vertical ? p.y() : p.x(), m_vertical ? width() - p.x() : p.y()))
        grabMouse();
}

void CRulerBar::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    DragTo(m_vertical ? p.y() : p.x());
}

void CRulerBar::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    if (m_drag != Drag::None) {
        EndDrag(m_vertical ? p.y() : p.x());
        releaseMouse();
    }
}
