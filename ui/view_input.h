// What the editing windows of both editors share between Qt's input and paint events and their
// controllers: the keys, points and fonts in the layers' terms, and the forwarding of typing,
// the wheel and the input method.
#pragma once

#include "platform/win_types.h"

#include <QFont>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QRect>
#include <QVariant>
#include <QWheelEvent>
#include <QWidget>

#include <string>

class QPainter;

// The Windows virtual key of a caret or paging key (Shift, the paging keys, Home, End and the
// arrows); 0 for the others.
int VirtualKeyOf(int qtKey);

POINT ClientPointOf(const QMouseEvent* event);
bool ShiftHeld(const QInputEvent* event);
QRect ToQRect(const RECT& r);

// The Qt font of the caret's font. A vertical face's leading '@' is dropped when asked: Qt knows
// the face by its plain name.
QFont QtFontOfImeFont(const LOGFONTA& lf, bool dropVerticalMark);

// The answer to the input method's query about the caret at imePoint in font imeFont; an invalid
// value for a query the widget answers itself. The composition window goes a line's height below
// the point in horizontal writing, a line's width to its left in vertical writing.
QVariant QueryImeCaret(Qt::InputMethodQuery query, POINT imePoint, const LOGFONTA& imeFont, bool vertical,
                       bool dropVerticalMark);

// The composition under way at the point, in the caret's font, underlined on white. Vertical lines
// run downwards and lie left of the point: the characters stand upright one below the other, with
// the mark line on their right.
void DrawPreedit(QPainter& painter, const QFont& font, POINT imePoint, const std::u16string& preedit, bool vertical);
// The system caret inverts what it covers, so the edge of the glyph it stands against stays visible.
void DrawInvertingCaret(QPainter& painter, const RECT& caret);

// Typing: Backspace and Enter as characters, Delete as the clear command, the caret and paging keys
// as key-downs and text as characters. False when the key is a shortcut the widget passes on.
template <class Controller>
bool ForwardTypingKey(Controller& controller, const QKeyEvent* event, int clearCommand)
{
    switch (event->key()) {
    case Qt::Key_Backspace: controller.OnChar(8); return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: controller.OnChar(13); return true;
    case Qt::Key_Delete: controller.OnCommand(clearCommand); return true;
    default: break;
    }
    if (const int key = VirtualKeyOf(event->key()); key != 0) {
        controller.OnKeyDown(key, ShiftHeld(event));
        return true;
    }
    if ((event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0)
        return false;
    for (char16_t unit : event->text().toStdU16String())
        controller.OnChar(unit);
    return true;
}

template <class Controller>
void ForwardWheel(Controller& controller, QWheelEvent* event)
{
    if (const int delta = event->angleDelta().y(); delta != 0)
        controller.OnMouseWheel(delta);
    event->accept();
}

// The committed text goes in as typed; the composition under way is shown at the caret.
template <class Controller>
void ForwardInputMethod(Controller& controller, QWidget& widget, QInputMethodEvent* event)
{
    if (!event->commitString().isEmpty())
        controller.OnImeComposition(event->commitString().toStdU16String());
    controller.SetPreeditText(event->preeditString().toStdU16String());
    widget.update();
    event->accept();
}
