// CSorelDoc: the open test paper. It owns the root of the editing tree and the undo history and
// carries out new, open, save and Save As with the modified flag and the prompts. It has no
// window: what it needs of the program (the command-line mode, the recent-file list, the views,
// the wait cursor) comes through its host, and its files through the print-file access.
#pragma once

#include "dialogs/page_setup_sheet.h"
#include "editor/word_export.h"
#include "nodes/undo_history.h"
#include "nodes/undo.h"

#include <memory>
#include <string>

class CEditPrint;
class CTaroDispatch;
class CWordDispatch;
class IPrintFileAccess;
struct XML_BUILD_CONTEXT;
class QWidget;

// Texts of the document's messages and prompts.
namespace SorelDocText {
inline constexpr char16_t kNewFailed[] = u"空のプリント作成に失敗しました。";
inline constexpr char16_t kLoadFailed[] = u"ファイルの読込に失敗しました。";
inline constexpr char16_t kSaveFailed[] = u"ファイルの保存に失敗しました。";
inline constexpr char16_t kOpenFailed[] = u"ドキュメントを開くことができませんでした。";
inline constexpr char16_t kExtractFailed[] = u"パッケージの展開に失敗しました。";
inline constexpr char16_t kAskToSave[] = u"%1 への変更を保存しますか?";
inline constexpr char16_t kUntitled[] = u"無題";
inline constexpr char16_t kSaveAsTitle[] = u"名前を付けて保存";
inline constexpr char16_t kSaveCopyAsTitle[] = u"コピーを保存";
inline constexpr char16_t kAllFiles[] = u"すべてのファイル (*.*)";
inline constexpr char16_t kPlainPrintFileFilter[] = u"XMLプリントファイル(*.xml)";
inline constexpr char16_t kFrameworkCaption[] = u"Tarsel";
inline constexpr char16_t kApplicationTitle[] = u"Lumetra　生物 - 問題作成エディタ";
inline constexpr char16_t kSaveHtmlTitle[] = u"HTML形式で保存";
inline constexpr char16_t kHtmlFilter[] = u"HTMLファイル(*.htm)";
inline constexpr char16_t kTextFilter[] = u"テキストファイル(*.txt)";
inline constexpr char16_t kSaveWordTitle[] = u"Word形式で保存";
inline constexpr char16_t kSaveIchitaroTitle[] = u"一太郎形式で保存";
inline constexpr char16_t kWordFilter[] = u"Wordファイル(*.docx)";
inline constexpr char16_t kIchitaroFilter[] = u"一太郎ファイル(*.jtd)";
inline constexpr char16_t kWordStartFailed[] = u"ワードが起動できません。";
inline constexpr char16_t kIchitaroStartFailed[] = u"一太郎が起動できません。";
inline constexpr char16_t kWordProgress[] = u"ワードへ変換中です．．．\n\nしばらくお待ち下さい．．．";
inline constexpr char16_t kIchitaroProgress[] = u"一太郎へ変換中です．．．\n\nしばらくお待ち下さい．．．";
inline constexpr char16_t kTableOverflow[] = u"はみ出す表組みがあります。よろしいですか？";
inline constexpr char16_t kConfirmCaption[] = u"確認";
inline constexpr char16_t kNameFieldFailed[] = u"記名欄を作り直せませんでした。記名欄は元のままです。";
inline constexpr char16_t kPageSetupFailed[] = u"ページ設定を反映できませんでした。";
inline constexpr char16_t kResetFailed[] = u"フィールドサイズをリセットできませんでした。";
inline constexpr char16_t kTwoColumnNameField[] =
    u"２段組が設定されたデータを変換する場合、記名欄のデータは損なわれます。";
}  // namespace SorelDocText

// The filters of the Save As dialog, from 1: the package, the two exports, the plain print file
// and all files (which saves a package).
constexpr int kSaveAsPackageFilter = 1;
constexpr int kSaveAsHtmlFilter = 2;
constexpr int kSaveAsTextFilter = 3;
constexpr int kSaveAsPlainFilter = 4;

// The default extension of the package, without its point.
inline constexpr char kDefaultExtension[] = "qns";

// UPDATE_HINT values that the document sends its views.
constexpr int kHintContentsDeleted = 2;
constexpr int kHintPageSetup = 3;

// The commands the document carries out itself.
namespace DocCommand {
constexpr unsigned kPageSetup = 57605;  // "ページ設定" and "用紙設定"
constexpr unsigned kColumns = 32968;    // "段組..."
constexpr unsigned kAnswerSheet = 32967;  // "別紙解答..."
constexpr unsigned kCharSpacing = 32911;
constexpr unsigned kLineSpacing = 32912;
constexpr unsigned kFieldVisibility = 32891;
constexpr unsigned kNameField = 32892;
constexpr unsigned kSaveHtml = 32996;
// The frame's printing commands that page setup starts.
constexpr unsigned kPrint = 57607;
constexpr unsigned kPrintPreview = 57609;
}  // namespace DocCommand

// What the document asks of the program around it; every answer has a quiet default.
class CSorelDocHost {
public:
    virtual ~CSorelDocHost() = default;
    // CMDLINE_MODE: 1 while a "k1" file is opened.
    virtual int GetCommandLineMode() const { return 0; }
    virtual void AddToRecentFileList(const std::string& /*path*/) {}
    virtual void UpdateAllViews(int /*hint*/) {}
    virtual void BeginWaitCursor() {}
    virtual void EndWaitCursor() {}
    // The view's pending name-field edit is committed before the paper is written.
    virtual void CommitPendingEdit() {}
    // The document's title changed (the frame shows it before the application title).
    virtual void TitleChanged(const std::u16string& /*title*/) {}
    // The program's exit code (10 or 20 after a failed Word or Ichitaro export).
    virtual void SetExitCode(int /*code*/) {}
    // The export's progress window, shown without taking the focus; null shows none.
    virtual std::unique_ptr<IConvertProgress> ShowConvertProgress(const std::u16string& /*caption*/,
                                                                  const std::u16string& /*message*/)
    {
        return nullptr;
    }
    // The file-in-use choice with the caption: IDRETRY (4), kFileInUseRename (1311) or IDCANCEL.
    virtual int FileInUseDialog(const std::u16string& /*caption*/) { return 2; }
    // Lays the paper out again through the main frame's active view; false when there is none.
    virtual bool RelayoutActiveView() { return false; }
    // Queues a command to the main frame, which carries it out once the current one has ended.
    virtual void PostFrameCommand(unsigned /*id*/) {}
};

class CSorelDoc : public IPageFieldDocument {
public:
    CSorelDoc(IPrintFileAccess& files, CSorelDocHost& host);
    ~CSorelDoc() override;
    CSorelDoc(const CSorelDoc&) = delete;
    CSorelDoc& operator=(const CSorelDoc&) = delete;

    CEditPrint* GetRoot() const { return m_root.get(); }
    // The root taken out of the document, which then has none, and a root given to it.
    std::unique_ptr<CEditPrint> TakeRoot();
    void PutRoot(std::unique_ptr<CEditPrint> root);
    void DeleteRoot();
    void DeleteContents();

    // --- the framework's document state
    const std::string& GetPathName() const { return m_pathName; }
    const std::u16string& GetTitle() const { return m_title; }
    // The frame's title follows.
    void SetTitle(const std::u16string& title);
    // Takes the path as the document's own; the title follows and the recent-file list gains it,
    // except while a "k1" file is opened.
    void SetPathName(const std::string& path, bool addToRecentList = true);
    void ClearPathName() { m_pathName.clear(); }
    bool IsModified() const { return m_modified; }
    void SetModifiedFlag(bool modified = true) { m_modified = modified; }
    bool IsPackage() const { return m_package; }

    // --- file operations as the Parts name them
    bool OnNewDocument();
    bool OnOpenDocument(const std::string& path);
    bool LoadFile(const std::string& path, bool package);
    bool WriteFile(const std::string& path);
    bool OnSaveDocument(const std::string& path);
    // path empty: ask for a name (Save As, or Save of an untitled paper).
    bool DoSave(const std::string& path, bool replace = true);
    // Asks to save a modified paper: false when the user cancels or the save fails.
    bool SaveModified();

    // --- the commands and the template's open, as the framework runs them
    bool OnFileNew();
    bool OnFileSave();
    bool OnFileSaveAs();
    // "HTML形式で保存": asks for the page's name, then exports.
    bool OnFileSaveHtml();
    // The name the HTML command proposes: the paper's path with ".htm" in place of its
    // extension, or "無題.htm" for a paper without a path.
    std::string ProposedHtmlName() const;
    // The exports of the open paper to an HTML page or a text file at path; a failure is
    // reported and answers false.
    bool ExportHtml(const std::string& path);
    bool ExportText(const std::string& path);
    // --- the word-processor exports: the commands enabled while a server answers the word
    // processor's ProgID, the commands (file dialog, in-use check, export) and the drivers, which
    // start the word processor, have the document writer fill a new document, save it as path
    // and show or quit the word processor. A failed driver sets the exit code 10 or 20.
    bool OnUpdateSaveWord() const;
    bool OnUpdateSaveIchitaro() const;
    void OnFileSaveWord();
    void OnFileSaveIchitaro();
    bool ExportWord(const std::string& path);
    bool ExportIchitaro(const std::string& path);
    // The document writers: each fills the new document through the writer of
    // WordProcessorWriters(); without one, the export fails and saves nothing.
    void WriteWordDocument(CEditPrint* root, CWordDispatch& document, XML_BUILD_CONTEXT& context,
                           IConvertProgress& progress);
    void WriteIchitaroDocument(CEditPrint* root, CTaroDispatch& library, XML_BUILD_CONTEXT& context,
                               IConvertProgress& progress);
    // Opens the file after the save prompt; a failed open that damaged the paper starts a new one.
    bool OpenDocumentFile(const std::string& path, bool addToRecentList = true);

    // --- the document's dialogs
    // "解答・解説　表示・非表示": shows or hides the answer fields, answers and explanations of
    // every question as the user chooses, as one undo group (in editor/answer_visibility.cpp).
    void DoAnswerVisibilityDialog(QWidget* parent) override;
    // "記名欄": the pages that carry the name field; the layer is rebuilt from the template as
    // one undo group (in editor/name_field_command.cpp).
    void DoNameFieldDialog(QWidget* parent) override;
    // Every question part's answer-field size back to the default, as one undo group.
    void ResetFieldSizes() override;
    // The page-setup sheet from page 0 (paper) or 2 (answer sheet): 1 when its values were
    // applied, 2 when it was cancelled or there is no paper. Its print and preview buttons apply
    // the values and then queue printing or the preview to the frame. Records no undo.
    int DoPageSetup(int startPage, QWidget* parent);
    // The handlers of the menu: page setup from the paper page ("ページ設定", "用紙設定",
    // "段組...") or from the answer-sheet page ("別紙解答..."), the spacings, and the two dialogs.
    void OnPageSetup(QWidget* parent) { DoPageSetup(0, parent); }
    void OnSeparateAnswerSheet(QWidget* parent) { DoPageSetup(2, parent); }
    void OnCharSpacing(QWidget* parent);
    void OnLineSpacing(QWidget* parent);
    void OnFieldVisibility(QWidget* parent) { DoAnswerVisibilityDialog(parent); }
    void OnNameField(QWidget* parent) { DoNameFieldDialog(parent); }
    // The commands above by id (DocCommand), and whether one is the document's and enabled.
    bool OnDocumentCommand(unsigned id, QWidget* parent);
    static bool IsDocumentCommand(unsigned id);
    bool OnUpdateDocumentCommand(unsigned id) const { return IsDocumentCommand(id) && m_root != nullptr; }

    // --- the undo history
    int PushUndo(std::unique_ptr<CUndoGroup> group) { return m_history.PushUndo(std::move(group)); }
    CUndoGroup* GetUndoRecord() { return m_history.GetUndoRecord(); }
    CUndoGroup* GetRedoRecord() { return m_history.GetRedoRecord(); }
    void ClearUndo() { m_history.ClearUndo(); }
    CUndoHistory& History() { return m_history; }

private:
    bool SavePackage(const std::string& path);
    // The save dialog of a word-processor export with its in-use check; empty when cancelled.
    std::string AskExportTarget(bool word);
    // A message of the word-processor exports: a box captioned with the application title, or
    // in a command-line export, where nobody could answer, a line on the standard error stream.
    void ExportMessage(const std::u16string& text, unsigned style) const;
    bool ExportPage(const std::string& path, bool html);
    void Report(const std::u16string& text) const;

    IPrintFileAccess& m_files;
    CSorelDocHost& m_host;
    std::unique_ptr<CEditPrint> m_root;
    bool m_package = true;
    CUndoHistory m_history;
    std::string m_pathName;
    std::u16string m_title = SorelDocText::kUntitled;
    bool m_modified = false;
};

// MatchDocType of the only template: whether the path's extension is the template's ".qnp".
bool MatchesNativeDocType(const std::string& path);
