// The print preview inside the main frame: it takes the place of the editing view, the frame's
// menu and bars (the rulers among them) hide while it shows and come back as they were, and the
// view's commands do not reach the hidden view meanwhile.
#pragma once

#include "view/sorel_pv_view.h"
#include "view/sorel_view.h"

#include <QPointer>

#include <functional>
#include <vector>

class CMainFrame;
class IFrameView;

class CFramePreview {
public:
    explicit CFramePreview(CMainFrame& frame) : m_frame(frame) {}
    ~CFramePreview();
    CFramePreview(const CFramePreview&) = delete;
    CFramePreview& operator=(const CFramePreview&) = delete;

    // Shows the preview of the prepared pages in place of the view (a preview already open
    // gives way to the new one); false without a view.
    bool Open(CSorelView* view, IFrameView* forFrame, const CPrintInfo& info);
    // Puts the view back with the frame's bars as they were.
    void Close();
    CSorelPvView* Preview() const { return m_preview; }
    // The frame is going: nothing of it is touched any more.
    void Detach();

    // The frame's page setup, which the preview's button runs: IDOK when values were applied.
    std::function<int()> pageSetup;

private:
    CMainFrame& m_frame;
    QPointer<CSorelPvView> m_preview;
    QPointer<CSorelView> m_view;
    IFrameView* m_forFrame = nullptr;
    std::vector<QPointer<QWidget>> m_hiddenBars;
    bool m_detached = false;
};
