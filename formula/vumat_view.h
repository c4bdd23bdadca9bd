// CVumatView: the formula editor's view without its window. It keeps the caret and selection in
// the one formula of its document, lays the formula out at 96 dots per inch, paints it through an
// off-screen context and turns keys, composed text and palette characters into edits, each one
// undo group of the document. The window around it forwards its events and shows no scroll bars.
#pragma once

#include "base/default_fonts.h"
#include "base/wide_string.h"
#include "nodes/caret.h"
#include "nodes/display_map.h"
#include "nodes/drag_selection.h"
#include "nodes/rect_tracker.h"
#include "nodes/underline_numbering.h"
#include "platform/win_types.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CDC;
class CEditMathSentence;
class CEditNode;
class CQtDC;
class CUndoGroup;
class CVumatDoc;
enum class UndoDirection;

// The document's change notifications.
namespace VumatHint {
constexpr int kAll = 0;
constexpr int kContentsDeleted = 2;
constexpr int kPageSetup = 3;
constexpr int kZoom = 4;
constexpr int kNode = 5;
}  // namespace VumatHint

// The keys the view reads, as Windows virtual-key numbers.
namespace VumatKey {
constexpr int kShift = 0x10;
constexpr int kPageUp = 0x21;
constexpr int kPageDown = 0x22;
constexpr int kEnd = 0x23;
constexpr int kHome = 0x24;
constexpr int kLeft = 0x25;
constexpr int kUp = 0x26;
constexpr int kRight = 0x27;
constexpr int kDown = 0x28;
}  // namespace VumatKey

// Scroll-bar request codes.
namespace VumatScroll {
constexpr int kLineUp = 0;
constexpr int kLineDown = 1;
constexpr int kPageUp = 2;
constexpr int kPageDown = 3;
constexpr int kThumbPosition = 4;
constexpr int kThumbTrack = 5;
}  // namespace VumatScroll

// The palette's message: a character, with the palette's font or none.
constexpr UINT WM_PALETTE_CHAR = 0x40A;

// Command ids the view answers.
namespace VumatCommand {
constexpr int kEditClear = 57632;
constexpr int kReserved250 = 250;
constexpr int kReserved251 = 251;
}  // namespace VumatCommand

// The commands of the maths toolbar, the Edit and Format menus and the format bar (the templates
// are every id of 159–187, 191–249, 391–393 and 431–432).
namespace VumatCommand {
constexpr int kEditCopy = 57634;
constexpr int kEditCut = 57635;
constexpr int kEditPaste = 57637;
constexpr int kEditUndo = 57643;
constexpr int kEditRedo = 57644;
constexpr int kSelectAll = 32997;
constexpr int kFontNameBox = 32777;
constexpr int kFontSizeBox = 32779;
constexpr int kBold = 32787;
constexpr int kItalic = 32788;
constexpr int kUnderlineButton = 32789;
constexpr int kTextColorButton = 32790;
constexpr int kStrikeButton = 32855;
constexpr int kBorderButton = 32858;
constexpr int kHatchButton = 32859;
constexpr int kBackColorButton = 32862;
constexpr int kTextColorFirst = 32818;  // 32818 … 32833, in the order of the 16-colour palette
constexpr int kTextColorLast = 32833;
constexpr int kBackColorFirst = 32800;  // 32800 … 32815
constexpr int kBackColorLast = 32815;
constexpr int kHatchFirst = 32863;      // 32863 … 32869
constexpr int kHatchLast = 32869;
constexpr int kUnderlineFirst = 32937;  // 32937 … 32945, in the order of the line kinds
constexpr int kUnderlineLast = 32945;
constexpr int kStrikeFirst = 32946;     // 32946 … 32954
constexpr int kStrikeLast = 32954;
constexpr int kBorderFirst = 32955;     // 32955 … 32963
constexpr int kBorderLast = 32963;
constexpr int kFontDefault = 32969;
constexpr int kInsertUnderlineNumber = 32899;
constexpr int kUnderlineNumberSettings = 32993;
constexpr int kRemoveUnderlineNumber = 32994;
}  // namespace VumatCommand

// The caption of the formula editor's messages.
inline constexpr char16_t kVumatCaption[] = u"数式エディタ";

// What the view's commands reach through the program: the dialogs, the format bar's boxes and
// the settings. An unbound dialog counts as cancelled, an unbound box as empty.
struct VUMAT_VIEW_HOOKS {
    // The matrix-size dialog opened with the rows and columns given; false on cancel.
    std::function<bool(int* rows, int* columns)> matrixSize;
    // The underline-numbering dialog (font list 1001) on the values: IDOK (1) with the values changed.
    std::function<int(UNDERLINE_NUMBER_VALUES* values)> underlineNumber;
    // The font-defaults sheet with its formula page alone, over the formula letters', digits'
    // and operators' fonts; true, with the fonts changed, on OK.
    std::function<bool(DEFAULT_FONT fonts[3])> mathFontSheet;
    // Writes the application's settings.
    std::function<void()> saveSettings;
    // The face box: the installed font of the chosen face, its index (−1: none chosen).
    std::function<int(LOGFONTA* font)> getFont;
    std::function<void(const char* face)> selectFontName;
    // The size box: its height in 1/100 mm, false when its text is no size; showing a height.
    std::function<bool(int* size)> getSize;
    std::function<void(int size)> setSize;
    // The focus goes back to the view after a box was used.
    std::function<void()> focusView;
    // The application's numbering defaults; null: the view keeps its own.
    INumberingDefaults* numberingDefaults = nullptr;
};

// What an update handler answers for a command.
struct VUMAT_COMMAND_STATE {
    bool known = false;  // the view has a handler for the command
    bool enabled = false;
    int check = 0;
};

// The window around the view.
class IVumatViewHost {
public:
    virtual ~IVumatViewHost() = default;
    // The client area in pixels.
    virtual SIZE GetClientSize() const = 0;
    // The screen in pixels: the off-screen bitmap is this plus 256 each way, or the client if larger.
    virtual SIZE GetScreenSize() const { return SIZE{1024, 768}; }
    virtual bool HasFocus() const { return true; }
    // The context the layout measures on; null: a memory context compatible with the screen.
    virtual CDC* GetMeasuringDC() { return nullptr; }
    // The client area (or a part of it, in client pixels) must be painted again.
    virtual void Invalidate(const RECT* area) = 0;
    // The caret or the composition window moved, or the caret was hidden.
    virtual void CaretChanged() {}
    // A client point on the screen, for menus.
    virtual POINT ClientToScreen(POINT point) const { return point; }
    // Pops up menu resource N at a screen point; the chosen command comes back through OnCommand.
    virtual void PopupMenu(int /*menuId*/, POINT /*screenPoint*/) {}
};

class CVumatView {
public:
    static constexpr COLORREF kBackColor = 0xFFFFFF;
    static constexpr int kBitmapMargin = 256;
    static constexpr int kBorder = 1;          // SM_CXBORDER
    static constexpr int kEdge = 2;            // SM_CXEDGE: the caret's thickness
    static constexpr int kScrollBarSize = 17;  // SM_CXVSCROLL and SM_CYVSCROLL
    static constexpr int kLineStep = 1000;
    // What the input method's result buffer holds: 4096 bytes, a terminating zero included.
    static constexpr size_t kMaxCompositionUnits = 2047;

    CVumatView(CVumatDoc& document, IVumatViewHost& host);
    ~CVumatView();
    CVumatView(const CVumatView&) = delete;
    CVumatView& operator=(const CVumatView&) = delete;

    CVumatDoc& GetDocument() const { return m_document; }

    // --- state and document updates
    void ResetState();
    void OnInitialUpdate();
    // hint VumatHint::*; node: the changed node of hint 5.
    void OnUpdate(int hint, CEditNode* node = nullptr);

    // --- painting, layout and mapping
    // The off-screen context: the screen plus the margin each way, and at least the client.
    // Null when it cannot be made.
    CQtDC* GetOffscreenDC();
    SIZE GetOffscreenSize() const { return m_sizeOffscreen; }
    // WM_PAINT: paints the clip box (client pixels) into the off-screen context, then the caret
    // follows. False when nothing was painted.
    bool OnPaint(const RECT& clip);
    // The same into any context (a test's recording context).
    bool PaintInto(CDC* dc, const RECT& clip);
    void OnPrepareDC(CDC* dc);
    void OnDraw(CDC* dc);
    // Lays the root out on the context, or on the host's measuring context, or on a screen one.
    void LayoutRoot(CDC* dc = nullptr);
    void DrawSelection(CDC* dc);
    void RedrawSelection();
    void DrawContainerFrame(CDC* dc);
    void DeviceToLogicalPoint(POINT* point) const;
    void LogicalToDevicePoint(POINT* point) const;
    void LogicalToDeviceRect(RECT* rect) const;

    // --- window events
    BOOL OnEraseBkgnd() const { return TRUE; }
    void OnSetFocus();
    void OnKillFocus();
    void OnSize(SIZE client);

    // --- caret
    // Rectangle of the node after the caret, typing format from the text before it when asked.
    void UpdateCaret(BOOL takeFormat);
    void ShowCaretAndIme();
    void CreateSystemCaret();

    // --- typing and caret keys
    void OnChar(char16_t ch);
    void OnKeyDown(int key, bool shift);
    void OnCaretKey(int key, bool shift);
    void MoveCaretBackward(bool shift);
    void MoveCaretForward(bool shift);
    void OnEditClear();
    void InsertTypedChar(char16_t ch);
    void DoBackspace();
    void DoEnter();
    void DeleteSelection();

    // --- input method and palette
    // The committed string of a composition (the result string); the pre-edit text is drawn by
    // the window at the input-method point.
    long OnImeComposition(const std::u16string& result);
    // The input method opened or closed: the composition window goes to the caret.
    long OnImeNotify(bool openStatusChanged);
    void PlaceImeWindow();
    void SetPreeditText(const std::u16string& text) { m_preedit = text; }
    const std::u16string& GetPreeditText() const { return m_preedit; }
    long OnPaletteChar(char16_t ch, const LOGFONTA* font);

    // --- scrolling (the scroll bars are always empty; only the origin moves)
    void UpdateScrollBars(const SIZE* clientSize = nullptr);
    void EnsureCaretVisible();
    void ScrollToPoint(POINT point);
    void OnVScroll(int code, int trackPos = 0);
    void OnHScroll(int code, int trackPos = 0);
    // Positive delta: up.
    void OnMouseWheel(int delta);

    // --- commands
    // Runs the command when its update handler enables it; false when dropped or unknown.
    bool OnCommand(int id);
    VUMAT_COMMAND_STATE OnUpdateCommand(int id) const;
    bool UpdateCoreCommand(int id, VUMAT_COMMAND_STATE* state) const;
    bool RunCoreCommand(int id);

    // --- the state other code reads, and the calls through which it is set
    CEditMathSentence* Root() const;
    CCaret& Caret() { return m_caret; }
    const CCaret& GetCaret() const { return m_caret; }
    CEditNode* CaretNode() const { return m_caret.m_caretNode; }
    LOGFONTA& TypingFont() { return m_caret.m_logFont; }
    const LOGFONTA& GetBaseInputFont() const { return m_lfBaseInput; }
    const CDisplayMap& GetDisplayMap() const { return m_displayMap; }
    CDisplayMap& DisplayMap() { return m_displayMap; }
    RECT GetCaretRect() const { return m_rcCaret; }  // left, top, width, height in document units
    POINT GetImeDocPoint() const { return m_ptIme; }
    // The system caret in client pixels and whether it shows.
    RECT GetSystemCaret() const { return m_systemCaret; }
    bool IsSystemCaretShown() const { return m_systemCaretShown; }
    // The composition window's point (client pixels) and font (pixel height).
    POINT GetImePoint() const { return m_imePoint; }
    const LOGFONTA& GetImeFont() const { return m_imeFont; }
    bool HasPendingLeadUnit() const { return m_leadPending; }

    // The closing of a change that reached the formula: modified flag, the caret's part marked,
    // layout, caret, repaint, the container and the views told.
    void CommitChange(BOOL takeFormat);
    // A non-empty group goes to the document's history; an empty one is dropped.
    void FinishGroup(std::unique_ptr<CUndoGroup> group);
    // The selection deleted into the group (the formula laid out again when something went) and
    // cleared; true when something was removed.
    bool DeleteSelectionInto(CUndoGroup* group);
    void InvalidateAll();
    SIZE ClientSize() const;

    // --- template insertion, mouse selection, clipboard, undo and redo, character formatting
    // and underline numbering: the maths toolbar and its menus, the format bar, the Edit and
    // Format menus, the mouse and the right-click menu
    static constexpr int kContextMenu = 316;
    VUMAT_VIEW_HOOKS m_hooks;
    // The template of the id: one procedure for every template command.
    void OnInsertTemplate(int id);
    // A left press starts a rubber band; the window forwards the moves and the release.
    void OnLButtonDown(POINT point, bool shift);
    void OnMouseMove(POINT point, bool shift);
    void OnLButtonUp(POINT point, bool shift);
    bool IsTracking() const { return m_selectionTracker != nullptr; }
    void TrackSelection(POINT point, bool shift);
    // Each change of the rubber band (client pixels), the final one at the release included.
    void OnDragSelect(const RECT& rect);
    void OnLButtonDblClk();
    void OnRButtonDown(POINT point);
    void OnEditCopy();
    void OnEditCut();
    void OnEditPaste();
    void OnEditUndo();
    void OnEditRedo();
    void OnEditSelectAll();
    void OnFontNameChange();
    void OnFontSizeChange();
    long OnBarComboReturn();
    long OnBarComboSelChange();
    void UpdateFormatBar();
    void ApplyFontName();
    void ApplyFontSize();
    void OnBold();
    void OnItalic();
    void ApplyUnderline(int id);
    void OnStrikeKind(int id);
    void OnTextColor(int id);
    void OnBackColor(int id);
    void OnHatch(int id);
    void OnBorderKind(int id);
    void OnFontDefault();
    // Numbers the selection with the records given, or with the application's defaults.
    void InsertUnderlineNumbers(const CKasenRenbanProperties* numbering, const CCharacterProperties* underline);
    void OnRemoveUnderlineNumber();
    void OnUnderlineNumberSettings();
    int RunUnderlineNumberDialog(int defaultsOnly, CKasenRenbanProperties* numbering, CCharacterProperties* underline);
    bool UpdateEditingCommand(int id, VUMAT_COMMAND_STATE* state) const;
    bool RunEditingCommand(int id);

private:
    // --- state: the caret rectangle and input-method point in document units, the typing font a
    // reset starts from, caret and selection, the pending first half of a character, the display
    // map whose origin is the scroll origin
    RECT m_rcCaret{};
    POINT m_ptIme{};
    LOGFONTA m_lfBaseInput{};
    CCaret m_caret;
    bool m_leadPending = false;
    char16_t m_leadUnit = 0;
    CDisplayMap m_displayMap;
    // The formula the caret points into; a document that replaced it makes the view start over.
    CEditMathSentence* m_knownRoot = nullptr;
    bool m_bitmapFailureShown = false;

    // Drag state of mouse selection.
    DRAG_SELECTION m_drag;

    // What the window shows: the caret, the composition window and the pre-edit text.
    RECT m_systemCaret{};
    bool m_systemCaretShown = false;
    POINT m_imePoint{};
    LOGFONTA m_imeFont{};
    std::u16string m_preedit;

    // Starts over on the document's formula when the document has replaced the one the caret
    // pointed into, so that no handler follows a deleted node.
    void FollowDocument();

    // Typing helpers.
    void PutClassFont(char16_t ch);
    // Inserts the text at the caret with the typing font of its first character; true when done.
    bool InsertWithClassFont(const CStringW& text, CUndoGroup* group);
    void MoveCaret(CEditNode* (CEditNode::*move)(CCaret*, int), bool keepX, bool shift, bool settle);

    // Scrolling helpers.
    SIZE ClientDocSize() const;
    void ScrollToShow(POINT point, SIZE pad);

    // The commands' helpers: the rubber band while the button is down, the numbering defaults
    // without the program's, the selected children, and the closes of a command.
    std::unique_ptr<CSelectionTracker> m_selectionTracker;
    CNumberingDefaults m_ownNumberingDefaults;
    bool SelectedChildren(int* first, int* last, CEditNode** parent) const;
    // Hands the group to the history; a command that changed the formula closes as typing does.
    void FinishCommand(std::unique_ptr<CUndoGroup> group);
    void PasteNodeList(std::vector<std::unique_ptr<CEditNode>> nodes);
    void PasteText(const std::u16string& text, bool unicode);
    void Replay(UndoDirection direction);
    // Applies to each selected child; the children's parent, or null without a selection.
    CEditNode* ForEachSelected(const std::function<void(CEditNode*)>& apply);
    void FinishFormatting(std::unique_ptr<CUndoGroup> group, bool changed);
    void FormatSelectionRecorded(const std::function<void(CEditNode*, CUndoGroup*)>& apply);
    void FormatSelectionDirect(const std::function<void(CEditNode*)>& apply);
    INumberingDefaults& NumberingDefaults();
    bool NumberingAllowed() const;
    bool NumberingTest(bool forRemoval) const;
    void ChangeNumbering(const std::function<void(CEditNode*)>& apply);

    CVumatDoc& m_document;
    IVumatViewHost& m_host;
    std::unique_ptr<CQtDC> m_offscreen;
    SIZE m_sizeOffscreen{};
};
