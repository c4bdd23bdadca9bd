// The editing view inside the main frame: the open paper handed to the view through the view's
// document interface, the view as the frame's central widget, and the frame's palette characters
// and commands passed on to it through the frame's view interface.
#pragma once

#include "editor/frame_commands.h"
#include "editor/frame_preview.h"
#include "editor/sorel_cntr_item.h"
#include "view/sorel_view.h"

#include <functional>

class CMainFrame;
class CSorelApp;
class CSorelDoc;

// The open paper as the editing view reaches it, with the search library for the question-bank
// search.
class CDocumentForView : public IViewDocument, public IQuestionSearchHost {
public:
    explicit CDocumentForView(CSorelApp& app) : m_app(app) {}
    CEditPrint* GetRoot() const override;
    void PushUndo(std::unique_ptr<CUndoGroup> group) override;
    CUndoGroup* GetUndoRecord() override;
    CUndoGroup* GetRedoRecord() override;
    void SetModifiedFlag(bool modified) override;
    void UpdateAllViews(int hint) override;

    SEARCH_ENTRY_POINTS SearchEntryPoints() const override;
    bool SearchInfoFlag() const override;
    void ClearUndo() override;
    bool IsModified() const override;
    std::unique_ptr<CEditPrint> TakeRoot() override;
    void PutRoot(std::unique_ptr<CEditPrint> root) override;
    bool LoadPlainFile(const std::string& path) override;
    bool WritePlainFile(const std::string& path) override;

private:
    CSorelDoc* Doc() const;
    CSorelApp& m_app;
};

// The paper as its embedded objects' items reach it: their changes repaint and relay the view.
class CObjectContainer : public CContainerDocument {
public:
    CObjectContainer(CSorelApp& app, CSorelView*& view) : m_app(app), m_view(view) {}
    void UpdateAllViews(int hint, CEditNode* node) override;
    void SetModifiedFlag(bool modified) override;
    bool DocToDeviceRect(RECT* rect) override;
    bool DeviceToDocRect(RECT* rect, bool* vertical) override;

private:
    CSorelApp& m_app;
    CSorelView*& m_view;
};

// The view as the frame reaches it; once the frame has destroyed the view, nothing reaches it.
class CViewForFrame : public IFrameView {
public:
    explicit CViewForFrame(CSorelView*& view) : m_view(view) {}
    long OnPaletteChar(char16_t unit, const LOGFONTA& font) override;
    bool OnCommand(unsigned id) override;
    bool OnUpdateCommand(unsigned id, bool* enabled, bool* checked) override;
    void OnBarNotify(const BAR_NOTIFY& notice) override;
    bool IsVertical() const override { return m_view->Controller().GetDisplayMap().IsVertical() != 0; }
    LOGFONTA& TypingFont() override { return m_view->Controller().TypingFont(); }
    void ShowCaretAndIme() override { m_view->Controller().ShowCaretAndIme(); }

private:
    CSorelView*& m_view;
};

// The frame as the view reaches it: the page pane, command routing, context menus, the zoom box,
// and the frame's input and palette bar while the reading-mark dialog is up.
class CFrameForView : public IViewFrame {
public:
    CFrameForView(CMainFrame& frame, CSorelView*& view) : m_frame(frame), m_view(view) {}
    void CaretMoved() override;
    bool RouteCommand(unsigned id) override;
    void ShowContextMenu(int menuId, QPoint globalPoint) override;
    int ZoomBoxValue() const override;
    void ShowZoomInBox(int percent) override;
    void SetMainWindowEnabled(bool enabled) override;
    bool HidePaletteBar() override;
    void ShowPaletteBar() override;
    bool ShowPrintPreview(const CPrintInfo& info) override { return printPreview && printPreview(info); }
    // The frame's preview, which the view opens on the pages it prepared.
    std::function<bool(const CPrintInfo& info)> printPreview;

private:
    class CStandardToolBar* StandardBar() const;

    CMainFrame& m_frame;
    CSorelView*& m_view;
};

// The application's underline-numbering defaults ("Settings\Bango") as the view reaches them;
// the face is the one the view fits to the writing direction.
class CNumberingDefaultsForView : public INumberingDefaults {
public:
    CNumberingDefaultsForView(CSorelApp& app, VIEW_SETTINGS& settings) : m_app(app), m_settings(settings) {}
    void GetNumberingDefaults(CKasenRenbanProperties* numbering, CCharacterProperties* underline) const override;
    void SetNumberingDefaults(const CKasenRenbanProperties& numbering, const CCharacterProperties& underline) override;

private:
    CSorelApp& m_app;
    VIEW_SETTINGS& m_settings;
};

// Outlives the frame, which owns the view.
class CFrameView {
public:
    CFrameView(CSorelApp& app, CMainFrame& frame);
    CSorelView* View() const { return m_view; }
    // The print preview shown in place of the view.
    CFramePreview& Preview() { return m_preview; }
    // The frame is being destroyed: the view and the preview go with it.
    void Detach()
    {
        m_preview.Detach();
        m_view = nullptr;
    }
    void UpdateAllViews(int hint);
    // A paper was made or opened: the view shows it from its start and the frame its direction.
    void InitialUpdate();
    // Ends name-field editing, when it is under way, before the paper is written.
    void CommitPendingEdit();
    // Lays the paper out again; false when the view is gone.
    bool Relayout();

private:
    void HookFormatBar();

    CDocumentForView m_document;
    VIEW_SETTINGS m_settings;
    CNumberingDefaultsForView m_numberingDefaults;
    CMainFrame& m_frame;
    CSorelView* m_view = nullptr;
    CViewForFrame m_forFrame{m_view};
    CFrameForView m_forView{m_frame, m_view};
    CObjectContainer m_objects;
    CFramePreview m_preview{m_frame};
};
