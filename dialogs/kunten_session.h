// CKuntenSession: one run of the reading-mark dialog over a cell of the paper. It copies the cell
// into the dialog's editor, and after each event the dialog handles (and each paint of its
// editor) takes one step: it acts on the command the user gave (close, cancel, previous or next
// cell), writing every edited cell back into the paper as one undo group of the paper's history.
// Run is only the shell around those steps: a nested event loop, which a quit request ends and
// passes on, so that the program still exits.
#pragma once

#include "dialogs/kunten_dialog.h"
#include "nodes/display_map.h"

#include <functional>
#include <memory>

class CEditKan;
class CUndoGroup;
class QEventLoop;

class CKuntenSession {
public:
    // The paper's cell, the view's display map, the height of the cell's base character and
    // whether the palette is shown; a written-back cell goes to pushUndo; afterStep learns of the
    // current cell after each step, and whether the paper must be repainted.
    CKuntenSession(CEditKan* paperCell, const CDisplayMap& map, int baseHeight, int paletteShown,
                   std::function<void(std::unique_ptr<CUndoGroup>)> pushUndo,
                   std::function<void(CEditKan* current, bool repaint)> afterStep);
    ~CKuntenSession();
    CKuntenSession(const CKuntenSession&) = delete;
    CKuntenSession& operator=(const CKuntenSession&) = delete;

    // Copies the cell into the dialog's editor, creates the dialog under the parent and shows it.
    bool Begin(QWidget* parent);
    // One step after an event; false once the run is over (closed, cancelled, no base character).
    bool Step();
    // Empties the editor's history, keeps the palette's state and destroys the dialog.
    void End();
    // Begin, the event loop until the run is over, End.
    void Run(QWidget* parent);
    // A quit request arrived while the dialog was up: the run ends and the request is passed on.
    void OnQuitRequested();

    bool IsRunning() const { return m_running; }
    bool QuitRequested() const { return m_quit; }
    CEditKan* CurrentCell() const { return m_current; }
    int PaletteShown() const { return m_paletteShown; }
    CKuntenDlg* Dialog() const { return m_dialog.get(); }
    // Passes a quit on after the run; a test records it. Unbound: the application is told to quit.
    std::function<void()> passQuitOn;

private:
    // Puts the edited cell into the paper in place of the current one, as one undo group.
    void WriteBack(std::unique_ptr<CEditKan> edited, CEditNode* neighbour);
    void RequestStep();
    CEditKan* SiblingCell(bool next) const;

    CEditKan* m_current;
    CDisplayMap m_map;
    int m_baseHeight;
    int m_paletteShown;
    std::function<void(std::unique_ptr<CUndoGroup>)> m_pushUndo;
    std::function<void(CEditKan*, bool)> m_afterStep;
    std::unique_ptr<CKuntenDlg> m_dialog;
    QEventLoop* m_loop = nullptr;
    bool m_running = false;
    bool m_quit = false;
    bool m_stepPending = false;
};
