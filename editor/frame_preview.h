// The print preview inside the main frame: it takes the place of the editing view, the frame's
// menu and bars (the rulers among them) hide while it shows and come back as they were, and the
// view's commands do not reach the hidden view meanwhile.
#pragma once

#include "view/sorel_pv_view.h"
#include "view/sorel_view.h"

#include <QPointer>

#include <functional>
#include <vector>

#include "editor/frame_view.h"

class CMainFrame;
class CFramePreview;

// The view as the frame reaches it while the preview shows: only printing and preview pass; the
// other commands, the bars' notices and the palette's characters stop before the hidden view.
class CPreviewFrameView : public IFrameView {
public:
    explicit CPreviewFrameView(CFramePreview& preview) : m_preview(preview) {}
    long OnPaletteChar(char16_t, const LOGFONTA&) override { return 0; }
    bool OnCommand(unsigned id) override;
    bool OnUpdateCommand(unsigned id, bool* enabled, bool* checked) override;
    void OnBarNotify(const BAR_NOTIFY&) override {}
    bool IsVertical() const override;
    LOGFONTA& TypingFont() override;
    void ShowCaretAndIme() override {}

private:
    CFramePreview& m_preview;
};

class CFramePreview {
public:
    explicit CFramePreview(CMainFrame& frame) : m_frame(frame) {}
    ~CFramePreview();
    CFramePreview(const CFramePreview&) = delete;
    CFramePreview& operator=(const CFramePreview&) = delete;

    // Shows the preview of the prepared pages in place of the view; a preview already open stays
    // (unless the page setup inside it asks to reopen it); false without a view.
    bool Open(CSorelView* view, IFrameView* forFrame, const CPrintInfo& info);
    // Puts the view back with the frame's bars as they were.
    void Close();
    CSorelPvView* Preview() const { return m_preview; }
    // The frame is going: nothing of it is touched any more.
    void Detach();

    // The frame's page setup, which the preview's button runs: IDOK when values were applied.
    std::function<int()> pageSetup;

private:
    friend class CPreviewFrameView;
    CMainFrame& m_frame;
    CPreviewFrameView m_forFrameWhileOpen{*this};
    QPointer<CSorelPvView> m_preview;
    QPointer<CSorelView> m_view;
    IFrameView* m_forFrame = nullptr;
    std::vector<QPointer<QWidget>> m_hiddenBars;
    bool m_detached = false;
};
