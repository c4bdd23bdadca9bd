#include "editor/frame_preview.h"

#include "editor/main_frame.h"
#include "view/sorel_pv_view.h"
#include "view/sorel_view.h"

#include <QDockWidget>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

CFramePreview::~CFramePreview() { Detach(); }

void CFramePreview::Detach()
{
    m_detached = true;
    m_preview = nullptr;
    m_view = nullptr;
}

bool CPreviewFrameView::OnCommand(unsigned id)
{
    IFrameView* view = m_preview.m_forFrame;
    if (view == nullptr)
        return false;
    switch (id) {
    case ViewCommand::kFilePrint:
    case ViewCommand::kFilePrintDirect:
        // Printing from the preview closes it first, as its own print button does.
        m_preview.Close();
        return view->OnCommand(id);
    case ViewCommand::kFilePrintPreview:
        return view->OnCommand(id);
    default:
        return false;
    }
}

bool CPreviewFrameView::OnUpdateCommand(unsigned id, bool* enabled, bool* checked)
{
    IFrameView* view = m_preview.m_forFrame;
    switch (id) {
    case ViewCommand::kFilePrint:
    case ViewCommand::kFilePrintDirect:
    case ViewCommand::kFilePrintPreview:
        return view != nullptr && view->OnUpdateCommand(id, enabled, checked);
    default:
        *enabled = false;
        return true;
    }
}

bool CPreviewFrameView::IsVertical() const
{
    return m_preview.m_forFrame != nullptr && m_preview.m_forFrame->IsVertical();
}

LOGFONTA& CPreviewFrameView::TypingFont()
{
    static LOGFONTA none{};
    return m_preview.m_forFrame != nullptr ? m_preview.m_forFrame->TypingFont() : none;
}

bool CFramePreview::Open(CSorelView* view, IFrameView* forFrame, const CPrintInfo& info)
{
    if (m_detached || view == nullptr)
        return false;
    // A second preview command (the page-setup sheet's preview button) keeps the preview shown;
    // the preview's own page setup closes it before it asks for the new one.
    if (!m_preview.isNull())
        return true;
    m_view = view;
    m_forFrame = forFrame;
    auto* preview = new CSorelPvView(view->Controller(), info);
    preview->closePreview = [this] { Close(); };
    preview->sendCommand = [this](unsigned id) { m_frame.OnCommand(id); };
    preview->pageSetup = pageSetup;

    // The bars and the menu hide, as the framework's preview mode does; the visible ones come back.
    m_hiddenBars.clear();
    for (QToolBar* bar : m_frame.findChildren<QToolBar*>(QString(), Qt::FindDirectChildrenOnly))
        m_hiddenBars.emplace_back(bar);
    for (QDockWidget* dock : m_frame.findChildren<QDockWidget*>(QString(), Qt::FindDirectChildrenOnly))
        m_hiddenBars.emplace_back(dock);
    m_hiddenBars.emplace_back(m_frame.menuBar());
    std::erase_if(m_hiddenBars, [](const QPointer<QWidget>& bar) { return bar.isNull() || !bar->isVisible(); });
    for (const QPointer<QWidget>& bar : m_hiddenBars)
        bar->hide();
    m_frame.SetPagePaneText(std::u16string());
    m_frame.SetActiveView(&m_forFrameWhileOpen);

    // The view stays the frame's child, hidden, while the preview stands in its place.
    QWidget* taken = m_frame.takeCentralWidget();
    if (taken != nullptr) {
        taken->setParent(&m_frame);
        taken->hide();
    }
    m_frame.setCentralWidget(preview);
    m_preview = preview;
    preview->setFocus();
    return true;
}

void CFramePreview::Close()
{
    if (m_detached || m_preview.isNull())
        return;
    CSorelPvView* preview = m_preview;
    m_preview = nullptr;
    if (m_frame.centralWidget() == preview)
        m_frame.takeCentralWidget();
    preview->hide();
    preview->deleteLater();
    if (!m_view.isNull()) {
        m_frame.setCentralWidget(m_view);
        m_view->show();
        m_view->setFocus();
    }
    for (const QPointer<QWidget>& bar : m_hiddenBars)
        if (!bar.isNull())
            bar->show();
    m_hiddenBars.clear();
    m_frame.SetActiveView(m_forFrame);
    if (!m_view.isNull())
        m_frame.SetPagePaneText(m_view->Controller().PageIndicatorText());
}
