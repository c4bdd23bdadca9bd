// CKuntenEditor: the small editor of the reading-mark dialog without its window. It owns a tree of
// its own (one kanbun cell and a line break under a guarded root), a caret, a display map and an
// undo history apart from the paper's, and turns keys, composed text, palette characters, mouse
// clicks and the clipboard into edits of that cell, which it lays out and paints on a device
// context. The widget CKuntenEditWnd around it only forwards events and shows the picture.
#pragma once

#include "nodes/clipboard_paste.h"

#include "nodes/caret.h"
#include "nodes/display_map.h"
#include "nodes/kanbun_cell.h"
#include "nodes/undo_history.h"

#include <memory>
#include <string>
#include <vector>

class CDC;
class CUndoGroup;

// What the editor needs of its window.
class IKuntenEditorHost {
public:
    virtual ~IKuntenEditorHost() = default;
    // The client area in pixels.
    virtual SIZE GetClientSize() const = 0;
    virtual bool HasFocus() const { return true; }
    virtual void TakeFocus() {}
    // The window must be painted again.
    virtual void Invalidate() {}
    // The caret or the composition window moved.
    virtual void CaretChanged() {}
    // A context on the window's resolution for measuring outside a paint; null: none.
    virtual CDC* GetMeasuringDC() = 0;
    // Shows the cut, copy and paste menu at a client point; the choice comes back as a command.
    virtual void PopupEditMenu(POINT /*clientPoint*/) {}
};

// Texts of the steps of the reading-mark editor that stop on a failure.
inline constexpr char16_t kKuntenEditFailed[] = u"訓点の編集を最後まで行えませんでした。";
inline constexpr const char16_t* kKuntenCopyFailed = kClipboardCopyFailed;
inline constexpr const char16_t* kKuntenPasteFailed = kClipboardPasteFailed;
// Tells the user that a step stopped part-way; what it had done stays as one undo step.
void ReportKuntenStepFailure(const char16_t* text);

// The four reading-mark boxes the mark lists write.
enum class KuntenMarkBox { LeadBracket, TrailBracket, Punctuation, ReturnMark };

class CKuntenEditor {
public:
    static constexpr int kCaretThickness = 2;  // SM_CXEDGE
    // Pixels between the sunken border and the cell with its boxes and their frames.
    static constexpr int kCellMargin = 6;
    // Command ids of the edit menu.
    static constexpr int kEditCopy = 57634;
    static constexpr int kEditCut = 57635;
    static constexpr int kEditPaste = 57637;
    // The keys the editor reads, with the Windows virtual-key numbers.
    static constexpr int kKeyLeft = 0x25;
    static constexpr int kKeyUp = 0x26;
    static constexpr int kKeyRight = 0x27;
    static constexpr int kKeyDown = 0x28;
    static constexpr int kKeyDelete = 0x2E;

    explicit CKuntenEditor(IKuntenEditorHost& host);
    ~CKuntenEditor();
    CKuntenEditor(const CKuntenEditor&) = delete;
    CKuntenEditor& operator=(const CKuntenEditor&) = delete;

    // --- the cell
    // The zoom that shows a base character of that size (1/100 mm, sign ignored) 18.55 mm high;
    // a size of 0 keeps the former zoom. Returns the second default extent.
    int SetScaleFromSize(int size);
    CEditKan* GetCurrentCell() const;
    // Selects the base character: anchor its first inner node, caret its last.
    void SelectBaseCharacter();
    // Puts the cell first under the root and gives back the cell taken out (null when the root
    // did not start with one; an empty root takes nothing in). The caller owns what comes back.
    std::unique_ptr<CEditKan> SwapCell(std::unique_ptr<CEditKan> cell);
    int GetCellMode() const;
    // Switches the cell's form without an undo step.
    void SetCellMode(int mode);
    // The text of the box; 1 when a character of it is in the gaiji face, 0 otherwise and on failure.
    int GetBoxMark(KuntenMarkBox box, std::u16string& text) const;
    // Replaces the box's text in the face (code page 932); records no undo step.
    void SetBoxMark(KuntenMarkBox box, const std::u16string& text, const std::string& face);
    void MoveCaretToBox(KuntenMarkBox box);
    // The box in the current cell; null when the cell or its form has none.
    CEditNode* GetMarkBox(KuntenMarkBox box) const;

    // --- layout, caret and painting (client pixels)
    void Relayout(CDC* dc = nullptr);
    void UpdateCursor(BOOL takeFormat);
    // Paints the window into the context: border, cell, selection and the frames of the boxes.
    void Paint(CDC* dc);
    // Whether the window painted since the flag was last cleared; clears it when asked.
    bool CheckModified(bool clear);
    void ClientToDoc(POINT* point) const;
    void DocToClient(POINT* point) const;

    // --- undo
    void PushUndo(std::unique_ptr<CUndoGroup> group);
    CUndoGroup* GetUndoRecord() { return m_history.GetUndoRecord(); }
    CUndoGroup* GetRedoRecord() { return m_history.GetRedoRecord(); }
    void Undo();
    void Redo();
    void ClearUndo() { m_history.ClearUndo(); }
    const CUndoHistory& History() const { return m_history; }

    // --- input
    void OnChar(char16_t ch, bool shift);
    void OnKeyDown(int key, bool shift);
    void OnImeComposition(const std::u16string& result);
    void SetPreeditText(const std::u16string& text) { m_preedit = text; }
    const std::u16string& GetPreeditText() const { return m_preedit; }
    void OnPaletteChar(char16_t ch, const LOGFONTA* font);
    void OnLButtonDown(POINT point);
    void OnMouseMove(POINT point);
    void OnLButtonUp(POINT point);
    void OnLButtonDblClk(POINT point);
    void OnRButtonDown(POINT point);
    bool OnCommand(int id);
    void OnEditCopy();
    void OnEditCut();
    void OnEditPaste();

    // --- state
    CEditEditKan m_root;
    int m_defaultExtent1 = 300;
    int m_defaultExtent2 = 100;
    CDisplayMap m_displayMap;
    // The context's window origin while drawing: client point = device point − origin. Each
    // layout sets it so that the cell with its boxes lies inside the border, a margin from the
    // left (from the right in vertical writing) and from the top.
    POINT m_windowOrigin{};
    RECT m_rcCaret{};          // document units
    POINT m_ptComposition{};
    LOGFONTA m_lfGui{};
    LOGFONTA m_lfTextDefault{};
    CCaret m_caret;
    // The caret as the window draws it, in client pixels; empty while hidden.
    RECT m_systemCaret{};
    LOGFONTA m_imeFont{};

private:
    using NodeOperation = BOOL (*)(CEditNode* node, CCaret* caret, CUndoGroup* group, void* data);
    // One editing step: a new group; for inserted text the selection goes first; the operation
    // on the caret node; relayout, caret and repaint when it changed something; the group kept.
    void EditingStep(bool replacesSelection, BOOL takeFormat, NodeOperation operation, void* data);
    void InsertText(const std::u16string& text);
    void MoveByArrow(int key, bool shift);
    void MoveCaret(CEditNode* (CEditNode::*move)(CCaret*, int), bool extend);
    void ShowCaretAndIme();
    void TrackSelection(POINT from, POINT to);
    void FinishClick(POINT point);
    void AfterEdit(BOOL takeFormat);
    void Replay(bool undo);
    void PasteNodeList(std::vector<std::unique_ptr<CEditNode>> nodes);
    void PasteText(const std::u16string& text);
    void DrawBorder(CDC* dc, SIZE client);
    // Where the cell and its boxes are drawn, in device pixels before the origin is applied.
    RECT DrawnBounds() const;
    void PlaceOrigin();
    void DrawBoxFrames(CDC* dc);

    IKuntenEditorHost& m_host;
    CUndoHistory m_history;
    int m_repainted = 0;
    std::u16string m_preedit;
    bool m_tracking = false;
    bool m_dragged = false;
    POINT m_trackStart{};
};
