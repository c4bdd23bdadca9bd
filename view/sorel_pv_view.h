// CSorelPvView: the print preview, shown by the frame in place of the editing view. Its pages are
// drawn by the view's own OnPrint into images at screen resolution (times the zoom), one or two
// side by side, under the preview toolbar: print, page setup, next and previous page, one or two
// pages, zoom in and out, close. Page setup reopens the preview on the same page.
#pragma once

#include "view/edit_view_controller.h"

#include <QImage>
#include <QWidget>

#include <functional>
#include <map>
#include <vector>

class QPushButton;
class QScrollArea;
class QToolBar;

// The buttons of the preview toolbar (dialog bar 30723), by the framework's command ids.
namespace PreviewCommand {
constexpr unsigned kClose = 0xE300;
constexpr unsigned kNumPage = 0xE301;
constexpr unsigned kNext = 0xE302;
constexpr unsigned kPrev = 0xE303;
constexpr unsigned kPrint = 0xE304;
constexpr unsigned kZoomIn = 0xE305;
constexpr unsigned kZoomOut = 0xE306;
constexpr unsigned kPageSetup = 57605;
constexpr unsigned kToolbar = 30723;
}  // namespace PreviewCommand

class CSorelPvView : public QWidget {
public:
    // The zoom steps: the pages fitted into the window, then 100 % and 200 % of their size.
    enum Zoom { kZoomFit = 0, kZoom100 = 1, kZoom200 = 2 };

    CSorelPvView(CEditViewController& view, const CPrintInfo& info, QWidget* parent = nullptr);
    ~CSorelPvView() override;

    // The frame takes the preview away and shows the editing view again.
    std::function<void()> closePreview;
    // A command sent to the main window (print, print preview).
    std::function<void(unsigned id)> sendCommand;
    // The frame's page setup: IDOK when the paper's settings were applied. Unset: no button.
    std::function<int()> pageSetup;

    void OnPreviewPrint();
    void OnFilePageSetup();
    void OnNextPage();
    void OnPrevPage();
    void OnNumPageChange();
    void OnZoomIn();
    void OnZoomOut();
    void OnPreviewClose();
    // Runs a toolbar command by its id; false when it is disabled or unknown.
    bool OnCommand(unsigned id);
    bool IsCommandEnabled(unsigned id) const;

    int CurrentPage() const { return m_info.m_nCurPage; }
    int NumPages() const { return m_info.m_nNumPreviewPages; }
    int ZoomState() const { return m_zoom; }
    const CPrintInfo& Info() const { return m_info; }
    QPushButton* Button(unsigned id) const;
    // The images of the pages shown, left to right.
    const std::vector<QImage>& ShownPages() const { return m_shown; }
    // Page n drawn at the resolution (dots per inch) on a white sheet of the paper's size.
    QImage RenderPage(int page, int dpi);
    // The resolution of the pages at the current zoom.
    int PageDpi() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // The fitted pages follow the size of the area that shows them.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class Canvas;
    void BuildToolbar();
    // Draws the pages now shown and refreshes the buttons.
    void ShowPages();
    void UpdateButtons();

    CEditViewController& m_view;
    CPrintInfo m_info;
    int m_zoom = kZoomFit;
    QToolBar* m_toolbar = nullptr;
    QScrollArea* m_scroll = nullptr;
    Canvas* m_canvas = nullptr;
    std::map<unsigned, QPushButton*> m_buttons;
    std::vector<QImage> m_shown;
    int m_shownFirst = 0;   // the page of the first image shown, and their resolution
    int m_shownDpi = 0;
    bool m_closed = false;
};
