// CSorelView: the window of the editing view. It paints through the controller's off-screen
// context, forwards keys, the wheel, the scroll bars and the input method to the controller, and
// draws the caret and the composition's pre-edit text itself (no input method on Linux draws it
// for the program), turned in vertical writing.
#pragma once

#include "view/edit_view_controller.h"

#include <QCursor>
#include <QPoint>
#include <QWidget>

#include <functional>
#include <memory>

class QScrollBar;

class CSorelView : public QWidget, public IEditViewHost {
public:
    CSorelView(IViewDocument& document, VIEW_SETTINGS& settings, QWidget* parent = nullptr);
    ~CSorelView() override;

    CEditViewController& Controller() { return *m_controller; }
    // Called whenever the caret moved (the frame shows its page).
    std::function<void()> caretMoved;
    // A command the view posts (double clicks) goes to the frame's routing when it is set, else
    // to the view's own commands.
    std::function<void(unsigned id)> postedCommand;
    // Context menu N at a global point; the chosen command goes back through the frame.
    std::function<void(int menuId, QPoint globalPoint)> contextMenu;
    // The frame's zoom box: its value, and showing a zoom in it. Unbound: 100 %, nothing shown.
    std::function<int()> zoomBoxValue;
    std::function<void(int)> showZoomInBox;
    // The frame while the reading-mark dialog is up: its input and its palette bar.
    std::function<void(bool enabled)> mainWindowEnabled;
    std::function<bool()> hidePaletteBar;
    std::function<void()> showPaletteBar;

    // IEditViewHost
    SIZE GetClientSize() const override;
    SIZE GetScreenSize() const override;
    bool HasFocus() const override;
    CDC* GetMeasuringDC() override;
    void Invalidate(const RECT* area) override;
    void ScrollBarsChanged() override;
    void CaretChanged() override;
    void FocusView() override;
    int GetBarZoom() const override { return zoomBoxValue ? zoomBoxValue() : 100; }
    void SetBarZoom(int percent) override
    {
        if (showZoomInBox)
            showZoomInBox(percent);
    }
    // The I-beam lies on its side over a vertically written paper.
    void SyncFrameWithDirection(int vertical) override;
    POINT ClientToScreen(POINT point) const override;
    void PopupMenu(int menuId, POINT screenPoint) override;
    void PostCommand(int id) override;
    void SetMainWindowEnabled(bool enabled) override
    {
        if (mainWindowEnabled)
            mainWindowEnabled(enabled);
    }
    bool HidePaletteBar() override { return hidePaletteBar ? hidePaletteBar() : false; }
    void ShowPaletteBar() override
    {
        if (showPaletteBar)
            showPaletteBar();
    }

    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void LayoutScrollBars();
    void DrawCaretAndPreedit(class QPainter& painter) const;
    class QFont ImeFont() const;
    // The cursor over a tracker handle, else the text cursor of the writing direction.
    void UpdateCursor(POINT point);

    QCursor m_textCursor;

    std::unique_ptr<CDC> m_measuring;
    std::unique_ptr<CEditViewController> m_controller;
    QScrollBar* m_hBar = nullptr;
    QScrollBar* m_vBar = nullptr;
    bool m_syncingBars = false;
};
