// CKuntenEditWnd: the window of the reading-mark editor. It paints the editor through an
// off-screen image of its own (the frames round the boxes are drawn with XOR, which works only
// there), draws the caret and the composition's pre-edit text itself, and forwards keys, the
// mouse, the input method and palette characters to the editor, taking every key it is given so
// that the dialog around it neither closes on Esc nor moves the focus on Tab.
#pragma once

#include "dialogs/kunten_editor.h"

#include <QImage>
#include <QWidget>

#include <functional>
#include <memory>

class CKuntenEditWnd : public QWidget, public IKuntenEditorHost {
public:
    explicit CKuntenEditWnd(QWidget* parent = nullptr);
    ~CKuntenEditWnd() override;

    CKuntenEditor& Editor() { return m_editor; }
    // After each paint: the reading-mark dialog's step.
    std::function<void()> painted;
    // A palette character with the palette's font (null: the typing font's face).
    void OnPaletteChar(char16_t unit, const LOGFONTA* font) { m_editor.OnPaletteChar(unit, font); }
    // The picture of the window as it paints, without the caret.
    QImage Render();

    // IKuntenEditorHost
    SIZE GetClientSize() const override;
    bool HasFocus() const override { return hasFocus(); }
    void TakeFocus() override { setFocus(Qt::OtherFocusReason); }
    void Invalidate() override { update(); }
    void CaretChanged() override { update(); }
    CDC* GetMeasuringDC() override;
    void PopupEditMenu(POINT clientPoint) override;

    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    std::unique_ptr<CDC> m_measuring;
    CKuntenEditor m_editor;
};
