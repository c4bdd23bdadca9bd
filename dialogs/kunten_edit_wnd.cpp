#include "dialogs/kunten_edit_wnd.h"

#include "platform/codepage.h"
#include "platform/gdi_qt.h"
#include "ui/ui_resources.h"

#include <QFile>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QIcon>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace {

POINT ToPoint(const QPoint& p) { return POINT{p.x(), p.y()}; }

// The icon of a menu command from the shared icon resources, when there is one.
QIcon CommandIcon(int id)
{
    InitUiResources();
    const QString path = QString(":/tarsel/icons/%1.svg").arg(id);
    return QFile::exists(path) ? QIcon(path) : QIcon();
}

}  // namespace

CKuntenEditWnd::CKuntenEditWnd(QWidget* parent)
    : QWidget(parent), m_measuring(CreateQtScreenDC()), m_editor(*this)
{
    setAttribute(Qt::WA_InputMethodEnabled);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::IBeamCursor);
}

CKuntenEditWnd::~CKuntenEditWnd() = default;

SIZE CKuntenEditWnd::GetClientSize() const { return SIZE{width(), height()}; }

CDC* CKuntenEditWnd::GetMeasuringDC() { return m_measuring.get(); }

QImage CKuntenEditWnd::Render()
{
    QImage image(std::max(1, width()), std::max(1, height()), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        auto dc = CQtDC::ForImage(&image);
        m_editor.Paint(dc.get());
    }
    return image;
}

void CKuntenEditWnd::paintEvent(QPaintEvent*)
{
    const QImage image = Render();
    QPainter painter(this);
    painter.drawImage(0, 0, image);
    const std::u16string& preedit = m_editor.GetPreeditText();
    const RECT& caret = m_editor.m_systemCaret;
    if (!preedit.empty()) {
        // The composition under way, at the caret, underlined on white.
        QFont font(QString::fromStdU16String(Cp932ToWide(m_editor.m_imeFont.lfFaceName)).remove(0, 1));
        font.setPixelSize(std::max(1, std::abs(static_cast<int>(m_editor.m_imeFont.lfHeight))));
        const QFontMetrics metrics(font);
        const QString text = QString::fromStdU16String(preedit);
        painter.setFont(font);
        if (m_editor.m_displayMap.IsVertical() != 0) {
            const int cell = std::max(metrics.height(), font.pixelSize());
            const QRect box(caret.left, caret.top, cell, cell * static_cast<int>(text.size()));
            painter.fillRect(box, Qt::white);
            int y = box.top();
            for (const QChar ch : text) {
                painter.drawText(QPoint(box.left(), y + metrics.ascent()), QString(ch));
                y += cell;
            }
            painter.drawLine(box.right(), box.top(), box.right(), box.bottom());
        } else {
            const QRect box(caret.left, caret.top, metrics.horizontalAdvance(text), metrics.height());
            painter.fillRect(box, Qt::white);
            painter.drawText(QPoint(box.left(), box.top() + metrics.ascent()), text);
            painter.drawLine(box.left(), box.bottom(), box.right(), box.bottom());
        }
    } else if (hasFocus() && caret.right > caret.left) {
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.fillRect(QRect(caret.left, caret.top, caret.right - caret.left, caret.bottom - caret.top), Qt::white);
    }
    painter.end();
    if (painted)
        painted();
}

void CKuntenEditWnd::keyPressEvent(QKeyEvent* event)
{
    // The window wants every key: none goes on to the dialog.
    event->accept();
    const bool shift = (event->modifiers() & Qt::ShiftModifier) != 0;
    const bool control = (event->modifiers() & Qt::ControlModifier) != 0;
    switch (event->key()) {
    case Qt::Key_Left: m_editor.OnKeyDown(CKuntenEditor::kKeyLeft, shift); return;
    case Qt::Key_Up: m_editor.OnKeyDown(CKuntenEditor::kKeyUp, shift); return;
    case Qt::Key_Right: m_editor.OnKeyDown(CKuntenEditor::kKeyRight, shift); return;
    case Qt::Key_Down: m_editor.OnKeyDown(CKuntenEditor::kKeyDown, shift); return;
    case Qt::Key_Delete: m_editor.OnKeyDown(CKuntenEditor::kKeyDelete, shift); return;
    case Qt::Key_Backspace: m_editor.OnChar(8, shift); return;
    case Qt::Key_Tab: m_editor.OnChar(9, false); return;
    case Qt::Key_Backtab: m_editor.OnChar(9, true); return;
    case Qt::Key_Return:
    case Qt::Key_Enter: m_editor.OnChar(control ? 10 : 13, shift); return;
    case Qt::Key_Escape: return;
    default: break;
    }
    if (control) {
        const int key = event->key();
        if (key >= Qt::Key_A && key <= Qt::Key_Z)
            m_editor.OnChar(static_cast<char16_t>(key - Qt::Key_A + 1), shift);
        return;
    }
    for (char16_t unit : event->text().toStdU16String())
        m_editor.OnChar(unit, shift);
}

void CKuntenEditWnd::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_editor.OnLButtonDown(ToPoint(event->position().toPoint()));
    else if (event->button() == Qt::RightButton)
        m_editor.OnRButtonDown(ToPoint(event->position().toPoint()));
}

void CKuntenEditWnd::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton)
        m_editor.OnMouseMove(ToPoint(event->position().toPoint()));
}

void CKuntenEditWnd::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_editor.OnLButtonUp(ToPoint(event->position().toPoint()));
}

void CKuntenEditWnd::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_editor.OnLButtonDblClk(ToPoint(event->position().toPoint()));
}

void CKuntenEditWnd::inputMethodEvent(QInputMethodEvent* event)
{
    if (!event->commitString().isEmpty())
        m_editor.OnImeComposition(event->commitString().toStdU16String());
    m_editor.SetPreeditText(event->preeditString().toStdU16String());
    update();
    event->accept();
}

QVariant CKuntenEditWnd::inputMethodQuery(Qt::InputMethodQuery query) const
{
    const RECT& caret = m_editor.m_systemCaret;
    switch (query) {
    case Qt::ImEnabled: return true;
    case Qt::ImCursorRectangle:
        return QRect(caret.left, caret.top, std::max(1, static_cast<int>(caret.right - caret.left)),
                     std::max(1, static_cast<int>(caret.bottom - caret.top)));
    default: return QWidget::inputMethodQuery(query);
    }
}

void CKuntenEditWnd::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    m_editor.UpdateCursor(FALSE);
    update();
}

void CKuntenEditWnd::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    update();
}

bool CKuntenEditWnd::focusNextPrevChild(bool)
{
    return false;  // Tab moves the caret, not the focus
}

void CKuntenEditWnd::PopupEditMenu(POINT clientPoint)
{
    // Menu 308: cut, copy and paste, sent back to the editor.
    QMenu menu(this);
    const struct {
        int id;
        const char16_t* text;
        const char* key;
    } items[] = {{CKuntenEditor::kEditCut, u"切り取り(&T)", "Ctrl+X"},
                 {CKuntenEditor::kEditCopy, u"コピー(&C)", "Ctrl+C"},
                 {CKuntenEditor::kEditPaste, u"貼り付け(&P)", "Ctrl+V"}};
    for (const auto& item : items) {
        QAction* action = menu.addAction(CommandIcon(item.id), QString::fromStdU16String(item.text));
        action->setShortcut(QKeySequence(QString::fromLatin1(item.key)));
        action->setData(item.id);
    }
    if (QAction* chosen = menu.exec(mapToGlobal(QPoint(clientPoint.x, clientPoint.y))))
        m_editor.OnCommand(chosen->data().toInt());
}
