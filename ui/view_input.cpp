#include "ui/view_input.h"

#include "platform/codepage.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cstdlib>

namespace {

// Windows virtual-key numbers.
constexpr int kVkShift = 0x10;
constexpr int kVkPageUp = 0x21;
constexpr int kVkPageDown = 0x22;
constexpr int kVkEnd = 0x23;
constexpr int kVkHome = 0x24;
constexpr int kVkLeft = 0x25;
constexpr int kVkUp = 0x26;
constexpr int kVkRight = 0x27;
constexpr int kVkDown = 0x28;

int LineSize(const LOGFONTA& lf) { return std::max(1, std::abs(static_cast<int>(lf.lfHeight))); }

}  // namespace

int VirtualKeyOf(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Shift: return kVkShift;
    case Qt::Key_PageUp: return kVkPageUp;
    case Qt::Key_PageDown: return kVkPageDown;
    case Qt::Key_End: return kVkEnd;
    case Qt::Key_Home: return kVkHome;
    case Qt::Key_Left: return kVkLeft;
    case Qt::Key_Up: return kVkUp;
    case Qt::Key_Right: return kVkRight;
    case Qt::Key_Down: return kVkDown;
    default: return 0;
    }
}

POINT ClientPointOf(const QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    return POINT{p.x(), p.y()};
}

bool ShiftHeld(const QInputEvent* event) { return (event->modifiers() & Qt::ShiftModifier) != 0; }

QRect ToQRect(const RECT& r) { return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1)); }

QFont QtFontOfImeFont(const LOGFONTA& lf, bool dropVerticalMark)
{
    std::u16string face = Cp932ToWide(lf.lfFaceName);
    if (dropVerticalMark && !face.empty() && face[0] == u'@')
        face.erase(0, 1);
    QFont font(QString::fromStdU16String(face));
    font.setPixelSize(LineSize(lf));
    font.setItalic(lf.lfItalic != 0);
    font.setBold(lf.lfWeight >= 600);
    return font;
}

QVariant QueryImeCaret(Qt::InputMethodQuery query, POINT imePoint, const LOGFONTA& imeFont, bool vertical,
                       bool dropVerticalMark)
{
    switch (query) {
    case Qt::ImEnabled: return true;
    case Qt::ImCursorRectangle: {
        const int size = LineSize(imeFont);
        if (vertical)
            return QRect(imePoint.x - size, imePoint.y, size, 1);
        return QRect(imePoint.x, imePoint.y, 1, size);
    }
    case Qt::ImFont: return QtFontOfImeFont(imeFont, dropVerticalMark);
    case Qt::ImHints: return static_cast<int>(Qt::ImhMultiLine);
    default: return QVariant();
    }
}

void DrawPreedit(QPainter& painter, const QFont& font, POINT imePoint, const std::u16string& preedit, bool vertical)
{
    const QFontMetrics metrics(font);
    const QString text = QString::fromStdU16String(preedit);
    const QPoint at(imePoint.x, imePoint.y);
    painter.save();
    painter.setFont(font);
    painter.setPen(Qt::black);
    if (vertical) {
        const int cell = std::max(metrics.height(), font.pixelSize());
        const QRect box(at.x() - cell, at.y(), cell, cell * static_cast<int>(text.size()));
        painter.fillRect(box, Qt::white);
        int y = at.y();
        for (const QChar ch : text) {
            const QString one(ch);
            painter.drawText(QPoint(box.left() + (cell - metrics.horizontalAdvance(one)) / 2, y + metrics.ascent()), one);
            y += cell;
        }
        painter.drawLine(box.right(), box.top(), box.right(), box.bottom());
    } else {
        const QRect box(at.x(), at.y(), metrics.horizontalAdvance(text), metrics.height());
        painter.fillRect(box, Qt::white);
        painter.drawText(QPoint(box.left(), box.top() + metrics.ascent()), text);
        painter.drawLine(box.left(), box.bottom(), box.right(), box.bottom());
    }
    painter.restore();
}

void DrawInvertingCaret(QPainter& painter, const RECT& caret)
{
    painter.save();
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.fillRect(ToQRect(caret), Qt::white);
    painter.restore();
}
