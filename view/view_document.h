// What the editing view needs of the world around it: the open paper (its root, its undo history
// and its modified flag) and the window that shows it (client size, focus, repaints, the bars).
// The view itself has no widget, so that all its logic runs in tests on a recording context.
#pragma once

#include "base/property_records.h"
#include "nodes/underline_numbering.h"
#include "platform/win_types.h"

#include <memory>
#include <string>

class CDC;
class CEditPrint;
class CUndoGroup;

// The paper the view edits.
class IViewDocument {
public:
    virtual ~IViewDocument() = default;
    virtual CEditPrint* GetRoot() const = 0;
    // Takes a finished, non-empty group; what could be redone is dropped.
    virtual void PushUndo(std::unique_ptr<CUndoGroup> group) = 0;
    // The group to take back (to make again), moving the history position past it; null at the end.
    virtual CUndoGroup* GetUndoRecord() = 0;
    virtual CUndoGroup* GetRedoRecord() = 0;
    virtual void SetModifiedFlag(bool modified) = 0;
    // Every view of the paper gets OnUpdate with the hint.
    virtual void UpdateAllViews(int hint) = 0;
};

// The application's values that the view reads and the zoom box writes.
struct VIEW_SETTINGS {
    int zoom = 100;             // "Zoom": the next paper's zoom
    int defaultVertical = 0;    // writing direction of a view without a paper
    std::u16string numberingFace = u"ＭＳ Ｐ明朝";  // fitted to the writing direction on reset
};

struct CPrintInfo;

// The window around the view.
class IEditViewHost {
public:
    virtual ~IEditViewHost() = default;
    // The client area in pixels.
    virtual SIZE GetClientSize() const = 0;
    // The screen in pixels: the off-screen buffer is this plus 256 each way, or the client if larger.
    virtual SIZE GetScreenSize() const { return SIZE{1024, 768}; }
    virtual bool HasFocus() const { return true; }
    // The context that Relayout measures on (a 96-dpi screen context); null abandons the relayout.
    virtual CDC* GetMeasuringDC() = 0;
    // The client area (or a part of it, in client pixels) must be painted again.
    virtual void Invalidate(const RECT* area) = 0;
    // The scroll bars, the caret or the composition window moved.
    virtual void ScrollBarsChanged() {}
    virtual void CaretChanged() {}
    // The zoom box of the standard toolbar.
    virtual int GetBarZoom() const { return 100; }
    virtual void SetBarZoom(int /*percent*/) {}
    // The frame is told the writing direction of the paper shown.
    virtual void SyncFrameWithDirection(int /*vertical*/) {}
    virtual void FocusView() {}
    // A client point on the screen, for menus.
    virtual POINT ClientToScreen(POINT point) const { return point; }
    // Pops up context menu N (a menu resource) at a screen point; the chosen command comes back
    // through the view's OnCommand.
    virtual void PopupMenu(int /*menuId*/, POINT /*screenPoint*/) {}
    // Runs the command after the current event, as a posted WM_COMMAND does.
    virtual void PostCommand(int /*id*/) {}
    // While the reading-mark dialog is up: the main window takes no input, and the character
    // palette bar is hidden (true when it was shown and is now hidden) and shown again after.
    virtual void SetMainWindowEnabled(bool /*enabled*/) {}
    virtual bool HidePaletteBar() { return false; }
    virtual void ShowPaletteBar() {}
    // Opens the print preview in place of the view on the prepared pages; false when it cannot.
    virtual bool ShowPrintPreview(const CPrintInfo& /*info*/) { return false; }
};

