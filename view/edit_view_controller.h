// CEditViewController: the editing view of the problem editor without its window. It keeps the
// view's state (mode, caret, display map, input-method state, scroll bars) and turns keys, typed
// and composed text, scroll requests, commands and undo into changes of the paper, which it lays
// out and paints through its off-screen context. The widget around it only forwards events.
#pragma once

#include "base/default_fonts.h"
#include "base/points_row.h"
#include "math/formula_family.h"  // the node classes the problem editor reads back from node lists
#include "nodes/caret.h"
#include "nodes/display_map.h"
#include "nodes/drag_selection.h"
#include "nodes/rect_tracker.h"
#include "nodes/underline_numbering.h"
#include "nodes/undo_replay.h"
#include "platform/printer.h"
#include "view/kunten_frame.h"
#include "view/view_document.h"
#include "view/view_search.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CDC;
class CRuntimeClassRegistry;
class CEditGraphic;
class CEditNode;
class CEditSentence;
class CQtDC;

// VIEW_MODE.
namespace ViewMode {
constexpr int kText = 0;
constexpr int kPicture = 2;
constexpr int kFieldSize = 3;
constexpr int kNameField = 4;
}  // namespace ViewMode

// UPDATE_HINT.
namespace UpdateHint {
constexpr int kAll = 0;
constexpr int kObject = 1;
constexpr int kContentsDeleted = 2;
constexpr int kPageSetup = 3;
constexpr int kZoom = 4;
constexpr int kNode = 5;
}  // namespace UpdateHint

// The caption of the message boxes the view shows: the application's title.
inline constexpr char16_t kMessageCaption[] = u"Lumetra　生物 - 問題作成エディタ";

// Command ids the view handles.
namespace ViewCommand {
constexpr int kEditClear = 57632;
constexpr int kEditCopy = 57634;
constexpr int kEditCut = 57635;
constexpr int kEditPaste = 57637;
constexpr int kEditUndo = 57643;
constexpr int kEditRedo = 57644;
constexpr int kViewZoom = 32889;
constexpr int kZoomBox = 32779;
constexpr int kPlainTextCopy = 32992;
constexpr int kSelectAll = 32997;
constexpr int kInsertImageInline = 32850;
constexpr int kInsertImage = 32879;
constexpr int kImageSize = 32971;
constexpr int kNameFieldEdit = 32933;
constexpr int kKuntenFrame = 32936;
constexpr int kObjectCopy = 33001;
constexpr int kViewLineBreaks = 33002;
constexpr int kFormatFont = 33009;
constexpr int kPageIndicator = 59143;
}  // namespace ViewCommand

// The keys the view reads, with the Windows virtual-key numbers.
namespace ViewKey {
constexpr int kShift = 0x10;
constexpr int kPageUp = 0x21;
constexpr int kPageDown = 0x22;
constexpr int kEnd = 0x23;
constexpr int kHome = 0x24;
constexpr int kLeft = 0x25;
constexpr int kUp = 0x26;
constexpr int kRight = 0x27;
constexpr int kDown = 0x28;
}  // namespace ViewKey

// The mouse-event flags the view reads.
namespace MouseFlag {
constexpr UINT kShift = 0x0004;
constexpr UINT kControl = 0x0008;
}  // namespace MouseFlag

// The context menus of the view (menu resources).
namespace ContextMenu {
constexpr int kParagraph = 316;
constexpr int kFloatingFrame = 335;
constexpr int kTextBox = 339;
constexpr int kNameField = 340;
constexpr int kPageBreak = 350;
constexpr int kKanbunCell = 355;
}  // namespace ContextMenu

// Scroll-bar request codes.
namespace ScrollCode {
constexpr int kLineUp = 0;  // also line left
constexpr int kLineDown = 1;
constexpr int kPageUp = 2;
constexpr int kPageDown = 3;
constexpr int kThumbPosition = 4;
constexpr int kThumbTrack = 5;
}  // namespace ScrollCode

// What an update handler answers: the framework's CCmdUI reduced to what the handlers set.
struct CMD_UI_STATE {
    bool known = false;  // the view has an update handler for the command
    bool enabled = false;
    int check = 0;
    bool hasText = false;
    std::u16string text;
};

struct SCROLL_BAR_STATE {
    int max = 0;   // range 0 … max; 0 with page 0: the bar is disabled
    int page = 0;
    int pos = 0;
};

// The zoom dialog, answered by the window code (or a test): the percent chosen, or false on cancel.
using ZoomDialogFunction = std::function<bool(int* percent)>;

// The six fonts of the font sheet: the full-width, half-width and digit text fonts of the current
// writing direction, then the maths, maths-digit and maths-operator fonts.
struct FONT_SHEET_VALUES {
    enum { FullWidth, HalfWidth, Digit, Math, MathDigit, MathOperator, Count };
    DEFAULT_FONT fonts[Count];
};
// The font sheet, filled with the current defaults; false on cancel.
using FontSheetFunction = std::function<bool(FONT_SHEET_VALUES* values)>;

// Character formatting, in-text answers, page breaks and underline numbering.
namespace ViewCommand {
constexpr int kFontNameBox = 32777;   // a face selected in the format bar's font-name box
constexpr int kFontSizeBox = 32778;   // a size selected in the format bar's size box
constexpr int kBold = 32787;
constexpr int kItalic = 32788;
constexpr int kUnderlineButton = 32789;
constexpr int kUnderlineFirst = 32937;  // 32937 … 32945: the underline kinds
constexpr int kUnderlineLast = 32945;
constexpr int kStrikeButton = 32855;
constexpr int kStrikeFirst = 32946;     // 32946 … 32954
constexpr int kStrikeLast = 32954;
constexpr int kBorderButton = 32858;
constexpr int kBorderFirst = 32955;     // 32955 … 32963
constexpr int kBorderLast = 32963;
constexpr int kTextColorFirst = 32818;  // 32818 … 32833, in the order of the 16-colour palette
constexpr int kTextColorLast = 32833;
constexpr int kBackColorFirst = 32800;  // 32800 … 32815
constexpr int kBackColorLast = 32815;
constexpr int kHatchFirst = 32863;      // 32863 … 32869
constexpr int kHatchLast = 32869;
constexpr int kFlatBody = 32853;
constexpr int kLongBody = 32854;
constexpr int kSuperscript = 32860;
constexpr int kSubscript = 32861;
constexpr int kAlignLeft = 377;
constexpr int kAlignRight = 378;
constexpr int kAlignTop = 379;     // the left alignment in vertical writing
constexpr int kAlignBottom = 380;  // the right alignment in vertical writing
constexpr int kDistribute = 381;
constexpr int kAlignCenter = 382;
constexpr int kJustify = 383;
constexpr int kBullets = 387;
constexpr int kInTextAnswer = 32880;
constexpr int kViewInTextAnswers = 32881;
constexpr int kRemoveInTextAnswer = 32901;
constexpr int kParenConvert = 32991;
constexpr int kInsertUnderlineNumber = 32899;
constexpr int kInsertPageBreak = 32904;
constexpr int kDeletePageBreak = 32934;
constexpr int kUnderlineNumberSettings = 32993;
constexpr int kRemoveUnderlineNumber = 32994;
constexpr int kUnderlineNumberSettingsContext = 33003;
}  // namespace ViewCommand

// The format bar's font-name and size boxes as the view reaches them. Unbound: no face, no size.
struct FORMAT_BAR_HOOKS {
    // The installed font of the selected face (its height the size box's); the box index, −1 when none.
    std::function<int(LOGFONTA* font)> getFont;
    // Selects the face (code page 932) in the font-name box.
    std::function<void(const char* face)> selectFontName;
    // The size box's value in 1/100 mm; false when its text is no size.
    std::function<bool(int* size)> getSize;
    // Shows a size (1/100 mm, positive) in the size box.
    std::function<void(int size)> setSize;
};

// Runs the dialog on the values; IDOK (1) with the values changed, or another result.
using UnderlineNumberDialogFunction = std::function<int(UNDERLINE_NUMBER_VALUES* values)>;

// The name field and kanbun commands: the reading-mark erasers of the kanbun context menu.
namespace ViewCommand {
constexpr int kEraseRightKana = 32977;
constexpr int kEraseLeftKana = 32978;
constexpr int kEraseKanaAndReturnMarks = 32979;
constexpr int kErasePunctuation = 32980;
constexpr int kEraseReturnMarks = 32981;
constexpr int kEraseBrackets = 32982;
constexpr int kEraseAllMarks = 32983;
}  // namespace ViewCommand

// Formula input and templates, furigana and tables.
namespace ViewCommand {
constexpr int kMathMode = 252;
constexpr int kFurigana = 32970;
constexpr int kRemoveFurigana = 32990;
constexpr int kInsertTable = 32882;
constexpr int kTableFormat = 32917;
}  // namespace ViewCommand

// A size dialog (matrix or table) opened with the rows and columns given; false on cancel.
using SizeDialogFunction = std::function<bool(int* rows, int* columns)>;
// The table-format dialog opened with the frame flag and line width given; false on cancel.
using TableFormatDialogFunction = std::function<bool(int* frame, int* width)>;

// Printing and print preview.
namespace ViewCommand {
constexpr int kFilePageSetup = 57605;
constexpr int kFilePrint = 57607;
constexpr int kFilePrintDirect = 57608;
constexpr int kFilePrintPreview = 57609;
}  // namespace ViewCommand

// The printer's paper code and orientation that a paper asks for (PrinterPaper, PrinterOrientation).
struct PRINTER_PAPER {
    int paperCode = 0;
    int orientation = 0;
    friend bool operator==(const PRINTER_PAPER&, const PRINTER_PAPER&) = default;
};

// One print or preview run: the pages the paper has, the page being drawn, the pages the preview
// shows side by side, and for printing the pages chosen and where they go.
struct CPrintInfo {
    int m_nMinPage = 1;
    int m_nMaxPage = 1;
    int m_nCurPage = 1;
    int m_nNumPreviewPages = 1;
    bool m_bPreview = false;
    bool m_bDirect = false;    // printing without the dialog, on the default printer
    int m_nFromPage = 0;       // the pages chosen in the dialog; 0: all
    int m_nToPage = 0;
    PRINTER_SETTINGS m_settings;
};

// The page and page count a preview reopens on after page setup from inside it.
struct PREVIEW_REOPEN_STATE {
    int reopen = 0;
    int page = 1;
    int pages = 1;
};

// The question-bank search.
namespace ViewCommand {
constexpr int kSearchQuestions = 32884;
}  // namespace ViewCommand

// --- question structure, question numbers and points
namespace ViewCommand {
constexpr int kInsertLargeNumber = 32875;
constexpr int kInsertSmallNumber = 32876;
constexpr int kNewLargeQuestion = 32893;
constexpr int kNewSmallQuestion = 32894;
constexpr int kQuestionUp = 32895;
constexpr int kQuestionDown = 32896;
constexpr int kDeleteLargeQuestion = 32897;
constexpr int kDeleteSmallQuestion = 32898;
constexpr int kSetPoints = 32900;
constexpr int kInsertTextBox = 32903;
constexpr int kQuestionNumberFormat = 32918;
constexpr int kFieldLeft = 32928;
constexpr int kFieldRight = 32929;
constexpr int kFieldSize = 32930;
constexpr int kFieldDelete = 32931;
}  // namespace ViewCommand

// The question-number format dialog, answered by the window code (or a test): the label styles
// of major and sub-questions in, the chosen ones out; false on cancel.
struct QUESTION_NUMBER_FORMAT {
    int majorStyle = 0;
    int minorStyle = 0;
    int vertical = 0;
};
using QuestionNumberDialogFunction = std::function<bool(QUESTION_NUMBER_FORMAT* format)>;

// The points dialog: the bracket choice (1 square), the show flag and the table of rows in, the
// edited ones out; false on cancel, with the values left as they came.
struct POINTS_DIALOG_VALUES {
    int bracketStyle = 0;
    int showPoints = 0;
    std::vector<HAITEN_ROW> rows;
};
using PointsDialogFunction = std::function<bool(POINTS_DIALOG_VALUES* values)>;

// Embedded objects: the commands of the object family.
namespace ViewCommand {
constexpr int kInsertObjectInline = 57856;
constexpr int kInsertObject = 32878;
constexpr int kInsertFigureInline = 32856;
constexpr int kInsertFigure = 32877;
constexpr int kCancelEditCntr = 32768;
}  // namespace ViewCommand

class COleClientItem;
class COleDocument;
class CEditObject;

class CEditViewController {
public:
    static constexpr COLORREF kBackColor = 0xA0A0A0;
    static constexpr int kBufferMargin = 256;
    static constexpr int kBorder = 1;       // SM_CXBORDER
    static constexpr int kEdge = 2;         // SM_CXEDGE: the caret's thickness
    static constexpr int kScrollBarSize = 17;  // SM_CXVSCROLL and SM_CYVSCROLL
    static constexpr int kLineStep = 1000;

    CEditViewController(IViewDocument& document, IEditViewHost& host, VIEW_SETTINGS& settings);
    ~CEditViewController();
    CEditViewController(const CEditViewController&) = delete;
    CEditViewController& operator=(const CEditViewController&) = delete;

    // --- core
    void ResetViewState();
    void OnInitialUpdate();
    void OnUpdate(int hint, CEditNode* node = nullptr);

    // --- painting and mapping
    // The off-screen context, at least the client size and the screen plus the margin; made on
    // first use and grown with the window. Null when it cannot be made.
    CQtDC* GetOffscreenDC();
    SIZE GetOffscreenSize() const { return m_sizeOffscreen; }
    // Paints the clip box (client pixels) into the context: grey behind, the pages, the paper,
    // the selection and the frame of the container being edited. False when there was nothing to paint.
    bool PaintInto(CDC* dc, const RECT& clip);
    // WM_PAINT without the screen: paints into the off-screen context, then places the caret.
    bool Paint(const RECT& clip);
    void OnPrepareDC(CDC* dc);
    void OnDraw(CDC* dc);
    void Relayout();
    void LogicalToDevicePoint(POINT* point) const;
    void DeviceToLogicalPoint(POINT* point) const;
    void LogicalToDeviceRect(RECT* rect) const;
    // Page i (from 1) of the root in document units.
    static RECT PageRect(const CEditPrint& root, int page);

    // --- caret and keys
    int UpdateCaret(BOOL takeFormat);
    // Settles the placements the last layout left pending in the blocks of the caret, of the
    // selection's fixed end and their neighbours, whose nodes caret and selection read.
    void SettleCaretBlocks();
    void ShowCaretAndIme();
    void CreateSystemCaret();
    void OnChar(char16_t ch);
    void OnPaletteChar(char16_t ch, const LOGFONTA* font);
    void OnKeyDown(int key, bool shift);
    void OnCaretKey(int key, bool shift);
    void OnEditClear();

    // --- input method
    BOOL IsImeOpen() const { return m_imeOpen; }
    void SetImeOpen(BOOL open) { m_imeOpen = open != 0; }
    // The input method reports that it opened or closed.
    void OnImeOpenStatus(bool open);
    void OnImeComposition(const std::u16string& result);
    // The pre-edit text of the composition under way, drawn by the widget at the caret.
    void SetPreeditText(const std::u16string& text) { m_preedit = text; }
    const std::u16string& GetPreeditText() const { return m_preedit; }
    void PlaceImeWindow();

    // --- scrolling
    void UpdateScrollBars(const SIZE* clientSize = nullptr);
    // The scroll bars after the paper's extent changed outside an edit; the view is painted again
    // when that moved the place shown.
    void FollowNewExtent();
    void OnVScroll(int code, int trackPos = 0);
    void OnHScroll(int code, int trackPos = 0);
    // Positive delta: up. A notch is 120; smaller deltas scroll a part of a line.
    void OnMouseWheel(int delta);
    void EnsureCaretVisible();
    void ScrollToPoint(POINT point);

    // --- mouse, selection and trackers (points in client pixels). A press starts tracking, the
    // moves feed it and the release ends it.
    void OnLButtonDown(UINT flags, POINT point);
    void OnMouseMove(UINT flags, POINT point);
    void OnLButtonUp(UINT flags, POINT point);
    void OnLButtonDblClk(UINT flags, POINT point);
    void OnRButtonDown(UINT flags, POINT point);
    // Escape or a lost mouse: the tracking under way ends without its result.
    void CancelTracking();
    bool IsTracking() const { return m_tracking != Tracking::None; }
    // The tracker handle under the point (or the one being dragged); hitNothing when none.
    int TrackerHitAt(POINT point);
    void TrackSelection(UINT flags, POINT point);
    // The selection band's rectangle changed (device pixels, as dragged: top-left is the start).
    void OnDragSelect(const RECT& rect);
    // Ends name-field editing, putting a copy of the edited name field on every page.
    void CommitNameFieldEdit();
    void DeviceToLogicalRect(RECT* rect) const;

    // --- commands
    // Runs the command when its update handler enables it; false when it was dropped or unknown.
    bool OnCommand(int id);
    // The update handler's answer; enabled false for a command the view does not know.
    CMD_UI_STATE OnUpdateCommand(int id) const;
    // Each family of commands answers its own ids in its own source: the update handler fills the
    // state and says whether the id is one of the family's; the runner says whether it ran it.
    bool UpdateCoreCommand(int id, CMD_UI_STATE* state) const;
    bool RunCoreCommand(int id);

    // --- character formatting, in-text answers, page breaks and underline numbering
    bool UpdateFormattingCommand(int id, CMD_UI_STATE* state) const;
    bool RunFormattingCommand(int id);
    // The format bar's boxes: a face or a size chosen, Enter in the size box, and the bar's
    // refresh request, which shows the typing face and size in the boxes.
    void OnFontNameChange();
    void OnFontSizeChange();
    void OnBarComboReturn();
    void OnBarComboSelChange();
    void UpdateFormatBar();
    // The character commands.
    void OnBold();
    void OnItalic();
    void ApplyUnderline(int id);
    void OnStrikeKind(int id);
    void OnBorderKind(int id);
    void OnTextColor(int id);
    void OnBackColor(int id);
    void OnHatch(int id);
    void OnLongBody();
    void OnFlatBody();
    void OnSubscript();
    void OnSuperscript();
    // The paragraph alignments: the value of the line break that ends each affected paragraph.
    void ApplyAlignment(int id);
    // In-text answers.
    void OnViewInTextAnswers();
    void OnInsertInTextAnswer();
    void OnParenConvert();
    void OnRemoveInTextAnswer();
    // Page breaks and underline numbering.
    void OnInsertPageBreak();
    void OnDeletePageBreak();
    // Numbers and underlines the selection with the given records, or with the defaults for the
    // records not given.
    void InsertUnderlineNumbers(const CKasenRenbanProperties* numbering, const CCharacterProperties* underline);
    void OnRemoveUnderlineNumber();
    void OnUnderlineNumberSettings();
    int RunUnderlineNumberDialog(int newFlag, CKasenRenbanProperties* numbering, CCharacterProperties* underline);
    FORMAT_BAR_HOOKS m_formatBar;
    UnderlineNumberDialogFunction m_underlineNumberDialog;
    // The application's numbering defaults; the view keeps its own until one is given.
    INumberingDefaults* m_numberingDefaults = nullptr;

private:
    // A formatting command over the selection: the range of the caret's parent, the group, each
    // child of the range given to apply, then the closing steps. False when there is no range.
    bool FormatSelection(const std::function<void(CEditNode* child, CUndoGroup* group)>& apply);
    // The closing of a command that changed the paper: the group handed over when not empty,
    // the paper marked modified and laid out once.
    void FinishFormatting(std::unique_ptr<CUndoGroup> group);
    void ApplyFontName();
    void ApplyFontSize();
    bool UnderlineNumberingAllowed() const;
    bool UnderlineNumberingTest(bool forRemoval) const;
    CEditNode* UnderlineNumberSettingsNode() const;
    INumberingDefaults& NumberingDefaults();
    std::unique_ptr<INumberingDefaults> m_ownNumberingDefaults;

public:

    // --- question structure, question numbers and points
    bool UpdateQuestionCommand(int id, CMD_UI_STATE* state) const;
    bool RunQuestionCommand(int id);
    void OnNewLargeQuestion();
    void OnNewSmallQuestion();
    void OnDeleteLargeQuestion();
    void OnDeleteSmallQuestion();
    void OnQuestionUp();
    void OnQuestionDown();
    void OnInsertTextBox();
    void OnFieldDelete();
    void OnFieldSize();
    // Side 1 left (up in vertical writing), 2 right (down).
    void OnFieldSide(int side);
    void OnInsertLargeNumber();
    void OnInsertSmallNumber();
    void OnQuestionNumberFormat();
    void OnSetPoints();
    // The points table of the paper: a row per major question with its sub-questions' rows after
    // it, from the parts' records with the defaults where nothing is stored.
    std::vector<HAITEN_ROW> BuildPointsRows();
    // Writes the rows into the parts' records and their points labels; a label made anew is
    // recorded in the group.
    void WritePointsRows(const std::vector<HAITEN_ROW>& rows, int bracketStyle, CUndoGroup* group);
    // The label styles the paper uses: of its first label, else the default of the direction.
    int DefaultMajorLabelStyle();
    int DefaultMinorLabelStyle();
    QuestionNumberDialogFunction m_questionNumberDialog;
    PointsDialogFunction m_pointsDialog;

private:
    // The caret node's question part (the plain paragraph around it), or null.
    CEditSentence* CaretPart() const;
    // The caret goes to the part's first inner node, the paper is marked modified and laid out.
    void PlaceCaretInPart(CEditNode* part);
    // Hands a non-empty group to the history, marks the paper modified and lays it out.
    void FinishStructureChange(std::unique_ptr<CUndoGroup> group);
    // Exchanges the caret's question with its neighbour (−1 the one before, 1 the one after).
    void MoveCaretQuestion(int step);
    void InsertNumberLabel(bool major);

public:

    // --- formula input and templates, furigana and tables
    bool UpdateFormulaCommand(int id, CMD_UI_STATE* state) const;
    bool RunFormulaCommand(int id);
    // Formula mode on or off: into a new empty formula at the caret, or out of the formula.
    void OnMathMode();
    // The template frame around the formula template of the command id.
    void OnInsertTemplate(int id);
    void OnFurigana();
    void OnRemoveFurigana();
    void OnInsertTable();
    void OnTableFormat();
    // The dialogs these commands run, answered by the window code (or a test).
    SizeDialogFunction m_matrixDialog;
    SizeDialogFunction m_tableInsertDialog;
    TableFormatDialogFunction m_tableFormatDialog;

private:
    // Whether the caret node is, or lies in, a page-break block.
    bool CaretInPageBreak() const;
    // The end of every formula command: the group to the history when it holds actions, the
    // caret and the paper laid out again.
    void FinishFormulaCommand(std::unique_ptr<CUndoGroup> group);

public:

    // --- name field and kanbun
    bool UpdateKanbunCommand(int id, CMD_UI_STATE* state) const;
    bool RunKanbunCommand(int id);
    // Name-field editing on and off, each switch one undo group.
    void OnEditNameField();
    // The reading-mark dialog over the cell at the caret; each cell it writes back is one group.
    void OnShowKuntenFrame();
    // Empties the satellite boxes that the eraser names, in the selected cells or the cell at the caret.
    void OnEraseKunten(int id);
    // Runs the reading-mark dialog (the window code, or a test).
    KuntenFrameFunction m_kuntenFrame;
    // Whether the dialog shows its gaiji palette, kept from one run to the next.
    static int s_kuntenPaletteShown;

private:
    // Puts the caret after the cell the dialog works on, or on it when it is the last child.
    void PlaceCaretAfterCell(CEditNode* cell);

public:

    // --- embedded objects
    bool UpdateObjectCommand(int id, CMD_UI_STATE* state) const;
    bool RunObjectCommand(int id);
    // 57856: an object of the class the Insert Object dialog chooses, at the caret, opened in its
    // server; 1 when an object was inserted.
    int InsertObject();
    // 32878 and 32877: the object (the figure) in a new floating frame on a line of its own.
    void OnInsertObject();
    void OnInsertFigure();
    // 32856: a figure ("Kiran.Document") at the caret.
    void OnInsertFigureInline();
    // 32768: closes the open server, saving.
    void OnCancelEditCntr();
    // The selected object (null: none); the view is repainted.
    void SetSelection(CEditNode* node);
    void SetupTracker(CEditNode* node, CRectTracker* tracker);
    bool IsSelected(const CEditNode* node) const { return node != nullptr && node == m_pSelection; }
    // A double click on the object at the caret: its server opens it (Ctrl: the open verb).
    void OnObjectDoubleClick(UINT flags);
    // Every open server closes, saving (the paper closes).
    void CloseOpenObjects();
    // The Insert Object dialog, answered by the window (or a test): the class chosen among the
    // registered ones, false on cancel.
    std::function<bool(std::string* className)> m_insertObjectDialog;
    // The paper as its objects' items know it; set by the program.
    COleDocument* m_pOleDocument = nullptr;

private:
    // The object of the class made and inserted at the caret; 1 when inserted. Failures show
    // message 102 and change nothing.
    int InsertObjectOfClass(const std::string& className, bool figure);
    // The item of an object node, given this paper as its document.
    COleClientItem* ItemOf(CEditNode* node) const;
    // A server window open for one of the paper's objects.
    CEditObject* OpenObject() const;
    void FloatingObjectCommand(bool figure);
    // Object copy: the object's picture on the clipboard as a bitmap; false when it has none.
    bool CopyObjectToClipboard(CEditNode* node);

public:

    // --- the question-bank search
    bool UpdateSearchCommand(int id, CMD_UI_STATE* state) const;
    bool RunSearchCommand(int id);

    // --- printing and preview
    bool UpdatePrintCommand(int id, CMD_UI_STATE* state) const;
    bool RunPrintCommand(int id);
    // The paper table: the printer's paper for the root's physical sheet, 0/0 outside it.
    static PRINTER_PAPER PaperForPrinter(const CEditPrint& root);
    // The sheet in 1/100 mm as it lies on the printer (width across, height down).
    static SIZE PhysicalSheet(const CEditPrint& root);
    // The open paper's sheet; 0 × 0 without a paper.
    SIZE GetPrintSheet() const;
    // 57607 with the print dialog, 57608 straight to the default printer.
    void OnFilePrint(bool withDialog);
    void OnFilePrintPreview();
    // The printer's paper and the page range; the dialog unless previewing or printing direct.
    // False without a paper or when the dialog was cancelled.
    bool OnPreparePrinting(CPrintInfo* info);
    // Lays the page m_nCurPage out at the sheet's top-left and draws it at the context's resolution.
    void OnPrint(CDC* dc, CPrintInfo* info);
    // The screen lays the paper out again after printing and after the preview.
    void OnEndPrinting();
    void OnEndPrintPreview();
    // Page setup from inside the preview: the page and count the next preview opens on.
    void SetPreviewReopen(const PREVIEW_REOPEN_STATE& state) { m_previewReopen = state; }
    const PREVIEW_REOPEN_STATE& GetPreviewReopen() const { return m_previewReopen; }

private:
    // The window origin that puts the page's top-left at the device's top-left (the paper of a
    // vertical page starts at the right edge of the sheet).
    void SetPrintOrigin(CDC* dc, const CDisplayMap& map, const RECT& page);
    PREVIEW_REOPEN_STATE m_previewReopen;

public:
    // "問題追加・再検索": enabled on a paper from the question bank; runs the flow of the entry
    // point the library exports (whole paper, replace or merge) and shows the returned paper.
    void OnUpdateSearchQuestions(CMD_UI_STATE* state) const;
    void OnSearchQuestions();
    void SearchWithProc20();
    void SearchWithProc2();
    void SearchWithProc();
    // The program's search library and document; without it the command is disabled.
    IQuestionSearchHost* m_searchHost = nullptr;

private:
    // The three flows share their preparation, the call and taking over the returned paper.
    enum class SearchFlow { Merge, Replace, WholePaper };
    void RunSearch(SearchFlow flow);

public:

    void OnEditUndo();
    void OnEditRedo();
    // The clipboard.
    void OnEditCopy();
    void OnEditCut();
    void OnEditPaste();
    void OnEditPlainCopyText();
    void OnEditPlainCopyObject();
    void OnEditSelectAll();
    // Inserts the pasted nodes before the caret, each as the place can hold it; the group records
    // the insertions. A picture or object in a plain part gets a floating frame of its own.
    void PasteNodes(std::vector<std::unique_ptr<CEditNode>>& nodes, CUndoGroup* group);
    // Pictures.
    void OnInsertImageInline();
    void OnInsertImage();
    void OnImageSize();
    // Builds a floating frame on its own line at the caret with the picture in it, and hands the
    // group to the history.
    void CreateImageNode(std::unique_ptr<CEditGraphic> picture, std::unique_ptr<CUndoGroup> group);
    void OnViewZoom();
    void OnZoomComboChange();
    void OnViewLineBreaks();
    void OnFormatFont();
    FontSheetFunction m_fontSheet;
    std::u16string PageIndicatorText() const;
    ZoomDialogFunction m_zoomDialog;

    // --- the state other code reads, and the named calls through which it sets it
    int GetViewMode() const { return m_nViewMode; }
    void SetViewMode(int mode) { m_nViewMode = mode; }
    const CCaret& GetCaret() const { return m_caret; }
    void SetCaret(const CCaret& caret) { m_caret = caret; }
    // The caret before the node, with a selection from the anchor when one is given.
    void PlaceCaret(CEditNode* node, CEditNode* anchor = nullptr)
    {
        m_caret.m_caretNode = node;
        m_caret.m_anchorNode = anchor;
    }
    // One end alone: the caret node keeping the anchor, or the anchor keeping the caret node.
    void SetCaretNode(CEditNode* node) { m_caret.m_caretNode = node; }
    void SetAnchorNode(CEditNode* anchor) { m_caret.m_anchorNode = anchor; }
    // The font typed characters get, which the font boxes and the font-defaults command set.
    LOGFONTA& TypingFont() { return m_caret.m_logFont; }
    const CCaret& GetSavedCaret() const { return m_savedCaret; }
    const CDisplayMap& GetDisplayMap() const { return m_displayMap; }
    void SetDisplayMap(const CDisplayMap& map) { m_displayMap = map; }
    // Name-field editing: the name field edited and the text caret to return to.
    CEditNode* GetNameField() const { return m_pNameField; }
    void SetNameFieldEdit(CEditNode* field, const CCaret& saved = CCaret())
    {
        m_pNameField = field;
        m_savedCaret = saved;
    }
    CEditNode* GetSizedImage() const { return m_pImage; }
    void SetSizedImage(CEditNode* picture) { m_pImage = picture; }
    // Field-size mode: the answer field with the tracker and the fields selected with it.
    CEditNode* GetCurrentField() const { return m_pCurrentField; }
    const std::vector<CEditNode*>& GetSelectedFields() const { return m_selectedFields; }
    void SetFieldSelection(CEditNode* current, std::vector<CEditNode*> selected)
    {
        m_pCurrentField = current;
        m_selectedFields = std::move(selected);
    }
    RECT GetCaretRect() const { return m_rcCaret; }
    void SetCaretRect(const RECT& rect) { m_rcCaret = rect; }
    int GetImeOpenText() const { return m_bImeOpenText; }
    int GetImeOpenMath() const { return m_bImeOpenMath; }
    RECT GetSystemCaret() const { return m_systemCaret; }
    bool IsSystemCaretShown() const { return m_systemCaretShown; }
    // The window lost the focus, and the caret with it.
    void HideSystemCaret() { m_systemCaretShown = false; }
    POINT GetImePoint() const { return m_imePoint; }
    const LOGFONTA& GetImeFont() const { return m_imeFont; }
    const SCROLL_BAR_STATE& GetHBar() const { return m_hBar; }
    const SCROLL_BAR_STATE& GetVBar() const { return m_vBar; }
    // Relayouts done, for tests and the benchmark.
    int GetRelayoutCount() const { return m_relayoutCount; }

private:
    // --- state, as the Parts name it: read by the calls above, set only by the controller itself
    RECT m_rcCaret{};           // x, y, width, height in document units
    POINT m_ptCaretOrigin{};
    int m_nViewMode = ViewMode::kText;
    LOGFONTA m_lfDefault{};
    LOGFONTA m_lfMath{};
    CCaret m_caret;
    CCaret m_savedCaret;
    CEditNode* m_pNameField = nullptr;
    CEditNode* m_pImage = nullptr;          // the picture sized in mode 2
    CEditNode* m_pCurrentField = nullptr;   // the answer field with the tracker in mode 3
    std::vector<CEditNode*> m_selectedFields;  // the answer fields selected in mode 3
    CDisplayMap m_displayMap;
    POINT m_ptWindowOrg{};
    int m_bImeOpenText = 1;
    int m_bImeOpenMath = 0;

    // The system caret in client pixels (empty while hidden) and the composition window's point
    // (client pixels) and font (pixel height, turned in vertical writing).
    RECT m_systemCaret{};
    bool m_systemCaretShown = false;
    POINT m_imePoint{};
    LOGFONTA m_imeFont{};

    // The selected embedded object (text mode), and the trackers of each mode.
    CEditNode* m_pSelection = nullptr;
    CAspectTracker m_trackerObject;
    CAspectTracker m_trackerImage;
    CFieldTracker m_trackerField;
    CRectTracker m_trackerNameField;
    // Drag state: the first report of a drag, where it started, Shift-extend, the anchor point
    // that a Shift-drag extends from, and the last end that shared the anchor's parent.
    DRAG_SELECTION m_drag;

    SCROLL_BAR_STATE m_hBar;
    SCROLL_BAR_STATE m_vBar;
    int m_relayoutCount = 0;

    CEditPrint* Root() const;
    CEditNode* CaretNode() const { return m_caret.m_caretNode; }
    SIZE ClientSize() const;
    // The last page that the client area shows, part of it at least.
    int LastShownPage(const CEditPrint& root) const;
    void InvalidateAll();
    void DrawContainerFrame(CDC* dc);
    // The tracker of the current mode, in client pixels.
    void DrawTrackers(CDC* dc);
    void DrawTracker(CDC* dc, CEditNode* node);
    void DrawSelection(CDC* dc);

    // Typing: the class font of the first character, the common closing of a change, the group.
    bool ChooseClassFont(CStringW& text);
    void FinishChange(std::unique_ptr<CUndoGroup> group);
    bool DeleteSelectionInto(CUndoGroup* group);
    void InsertTypedChar(char16_t ch);
    void DoBackspace();
    void DoEnter();
    void DeleteAtCaret();
    void AfterChange(BOOL takeFormat);
    void MoveCaret(CEditNode* (CEditNode::*move)(CCaret*, int), bool lock, bool shift, bool settle);

    // Scrolling along one bar; step added to the bar's position.
    void ScrollBy(bool verticalBar, int step);
    SIZE ClientDocSize() const;
    // Scrolls a point outside the visible area into it, keeping `pad` and a scroll bar's width
    // of room beyond it.
    void ScrollToShow(POINT point, SIZE pad);

    // Undo and redo.
    void Replay(UndoDirection direction);
    UndoStep ReplayViewCode(CUndoAction& action, UndoDirection direction);

    // Clipboard and picture work.
    void InsertBeforeNode(CEditNode* before, std::unique_ptr<CEditNode> node, CUndoGroup* group);
    // A line break when needed, a floating frame and a line break before the caret node; the frame.
    CEditNode* InsertFloatingFrame(CUndoGroup* group);
    bool SelectedNodes(std::vector<CEditNode*>* nodes);
    void PasteNodeList(std::vector<std::unique_ptr<CEditNode>> nodes);
    void PasteText(const std::u16string& text);
    void PastePicture();
    void PlaceInNewFrame();
    std::unique_ptr<CEditGraphic> LoadPictureFile();
    // The display map of a picture's actual size: zoom 100 and 96 dpi in the paper's direction.
    CDisplayMap ActualSizeMap() const;

    // Mouse work.
    enum class Tracking { None, Selection, Object, Image, Field };
    RECT NodeDeviceRect(CEditNode* node) const;
    void ArmTracker(CRectTracker& tracker, CEditNode* node);
    void OnLButtonDownField(UINT flags, POINT point, POINT docPoint);
    void FinishTracking(UINT flags, POINT point, bool changed);
    void FinishSelection(bool changed);
    // The on-screen extent of a device rectangle becomes the node's size.
    void ResizeByTracker(CEditNode* node, const RECT& deviceRect);
    void SetFieldTrackerLimits();
    void SetFieldWidths();
    void ShowContextMenu(POINT point);
    Tracking m_tracking = Tracking::None;
    std::unique_ptr<CSelectionTracker> m_selectionTracker;

    IViewDocument& m_document;
    IEditViewHost& m_host;
    VIEW_SETTINGS& m_settings;
    std::unique_ptr<CQtDC> m_offscreen;
    SIZE m_sizeOffscreen{};
    bool m_imeOpen = false;
    std::u16string m_preedit;
};
