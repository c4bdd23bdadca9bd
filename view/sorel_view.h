// CSorelView: the window of the editing view. It paints through the controller's off-screen
// context, forwards keys, the wheel, the scroll bars and the input method to the controller, and
// draws the caret and the composition's pre-edit text itself (no input method on Linux draws it
// for the program), turned in vertical writing.
#pragma once

#include "view/edit_view_controller.h"

#include <QCursor>
#include <QPoint>
#include <QWidget>

#include <memory>

class QScrollBar;

// The window around the editing view, as the view reaches it. Every call has a quiet default, so
// a view without a frame around it (tests) works alone.
class IViewFrame {
public:
    virtual ~IViewFrame() = default;
    // The caret moved (the frame shows its page).
    virtual void CaretMoved() {}
    // A command the view posts (double clicks); false leaves it to the view's own commands.
    virtual bool RouteCommand(unsigned /*id*/) { return false; }
    // Context menu N at a global point; the chosen command goes back through the frame.
    virtual void ShowContextMenu(int /*menuId*/, QPoint /*globalPoint*/) {}
    // The frame's zoom box: its value, and showing a zoom in it.
    virtual int ZoomBoxValue() const { return 100; }
    virtual void ShowZoomInBox(int /*percent*/) {}
    // The frame while the reading-mark dialog is up: its input and its palette bar.
    virtual void SetMainWindowEnabled(bool /*enabled*/) {}
    virtual bool HidePaletteBar() { return false; }
    virtual void ShowPaletteBar() {}
    // The print preview in place of the view; false when none can open.
    virtual bool ShowPrintPreview(const CPrintInfo& /*info*/) { return false; }
};

class CSorelView : public QWidget, public IEditViewHost {
public:
    CSorelView(IViewDocument& document, VIEW_SETTINGS& settings, QWidget* parent = nullptr);
    ~CSorelView() override;

    CEditViewController& Controller() { return *m_controller; }
    // The window around the view; null leaves the view on its own (quiet defaults).
    void SetFrame(IViewFrame* frame) { m_frame = frame != nullptr ? frame : &QuietFrame(); }

    // IEditViewHost
    SIZE GetClientSize() const override;
    SIZE GetScreenSize() const override;
    bool HasFocus() const override;
    CDC* GetMeasuringDC() override;
    void Invalidate(const RECT* area) override;
    void ScrollBarsChanged() override;
    void CaretChanged() override;
    void FocusView() override;
    int GetBarZoom() const override { return m_frame->ZoomBoxValue(); }
    void SetBarZoom(int percent) override { m_frame->ShowZoomInBox(percent); }
    // The I-beam lies on its side over a vertically written paper.
    void SyncFrameWithDirection(int vertical) override;
    POINT ClientToScreen(POINT point) const override;
    void PopupMenu(int menuId, POINT screenPoint) override;
    void PostCommand(int id) override;
    void SetMainWindowEnabled(bool enabled) override { m_frame->SetMainWindowEnabled(enabled); }
    bool HidePaletteBar() override { return m_frame->HidePaletteBar(); }
    void ShowPaletteBar() override { m_frame->ShowPaletteBar(); }

    bool ShowPrintPreview(const CPrintInfo& info) override { return m_frame->ShowPrintPreview(info); }

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
    static IViewFrame& QuietFrame();

    QCursor m_textCursor;
    IViewFrame* m_frame = &QuietFrame();

    std::unique_ptr<CDC> m_measuring;
    std::unique_ptr<CEditViewController> m_controller;
    QScrollBar* m_hBar = nullptr;
    QScrollBar* m_vBar = nullptr;
    bool m_syncingBars = false;
};
