// CVumatViewWindow: the window of the formula view. It hosts the view controller (CVumatView),
// paints through the controller's off-screen bitmap, draws the caret and the composition's
// pre-edit text itself, and forwards keys (as Unicode characters and caret key-downs), the input
// method's commits, palette characters, the wheel, resizing and the focus to the controller. The
// frame reaches it for commands, their update handlers and the font bar's notices.
#pragma once

#include "formula/vumat_view.h"
#include "formula/window/main_frame.h"

#include <QWidget>

#include <memory>

class CVumatApp;

class CVumatViewWindow : public QWidget, public IVumatViewHost, public IVumatFrameView {
public:
    CVumatViewWindow(CVumatDoc& document, CVumatApp& app, CMainFrame& frame, QWidget* parent = nullptr);
    ~CVumatViewWindow() override;

    CVumatView& Controller() { return *m_controller; }

    // IVumatViewHost
    SIZE GetClientSize() const override;
    SIZE GetScreenSize() const override;
    bool HasFocus() const override { return hasFocus(); }
    CDC* GetMeasuringDC() override { return m_measuring.get(); }
    void Invalidate(const RECT* area) override;
    void CaretChanged() override;
    POINT ClientToScreen(POINT point) const override;
    void PopupMenu(int menuId, POINT screenPoint) override;

    // IVumatFrameView
    bool OnCommand(unsigned id) override;
    bool OnUpdateCommand(unsigned id, bool* enabled, bool* checked) override;
    void OnBarNotify(const BAR_NOTIFY& notice) override;
    long OnPaletteChar(char16_t unit, const LOGFONTA& font) override;

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
    // The dialogs, the font bar's boxes, the settings and the numbering defaults that the view's
    // commands reach.
    void HookCommands();
    QFont ImeFont() const;
    void DrawCaretAndPreedit(class QPainter& painter) const;

    CVumatDoc& m_document;
    CVumatApp& m_app;
    CMainFrame& m_frame;
    std::unique_ptr<CDC> m_measuring;
    std::unique_ptr<CVumatView> m_controller;
    std::unique_ptr<INumberingDefaults> m_numberingDefaults;
};
