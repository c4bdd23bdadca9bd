// CSorelApp: the problem editor's application. Start-up parses the command line, loads the
// search library, registers the sibling editors and the document type, loads the settings and
// the recent-file list, creates the document and the main window, opens the first paper and,
// for an export run, starts the export; exit frees the library and saves the settings. The
// windows come through CSorelAppWindows, so tests run start-up without any.
#pragma once

#include "editor/command_line.h"
#include "editor/recent_files.h"
#include "editor/settings.h"
#include "editor/sorel_doc.h"
#include "platform/automation.h"

#include <memory>
#include <string>
#include <vector>

class CProfile;
class IPrintFileAccess;
class QLibrary;

// Show commands.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMAXIMIZED = 3;

// Private messages posted to the main frame for an export run.
constexpr unsigned WM_BATCH_TARO = 0x40B;
constexpr unsigned WM_BATCH_WORD = 0x40C;
constexpr unsigned WM_BATCH_HTML = 0x40D;
constexpr unsigned WM_BATCH_TEXT = 0x40E;

// Help commands of the framework and of HTML Help.
constexpr unsigned HELP_CONTEXT = 1;
constexpr unsigned HELP_CONTENTS = 3;
constexpr unsigned HELP_HELPONHELP = 4;
constexpr unsigned HELP_FINDER = 11;
constexpr unsigned HH_DISPLAY_TOPIC = 0;
constexpr unsigned HH_DISPLAY_TOC = 1;
constexpr unsigned HH_DISPLAY_INDEX = 2;
constexpr unsigned HH_DISPLAY_SEARCH = 3;

// Exit codes: 10, 20, 30 and 40 after a failed Word, Ichitaro, HTML or text export, 1 when
// start-up fails.
constexpr int kExitWordFailed = 10;
constexpr int kExitTaroFailed = 20;
constexpr int kExitHtmlFailed = 30;
constexpr int kExitTextFailed = 40;
constexpr int kExitStartFailed = 1;

namespace SorelAppText {
inline constexpr char16_t kUnsupportedSystem[] = u"アプリケーションは、このバージョンの Windows には対応していません。";
inline constexpr char16_t kSearchLibraryMissing[] = u"再検索用ＤＬＬが見つかりません。";
inline constexpr char16_t kSearchEntryMissing[] = u"再検索用ＤＬＬ内にエントリポイントが見つかりません。";
inline constexpr char16_t kFileNotFound[] = u"ファイルが見つかりません。";
inline constexpr char16_t kOpenTitle[] = u"開く";
}  // namespace SorelAppText

// The program's windows as start-up drives them.
class CSorelAppWindows {
public:
    virtual ~CSorelAppWindows() = default;
    virtual void ShowSplash() {}
    virtual void DestroySplash() {}
    // Creates the main frame (hidden); false when it cannot be created.
    virtual bool CreateMainFrame() = 0;
    virtual void ShowMainFrame(int showCommand) = 0;
    // Posts one of the batch messages to the main frame.
    virtual void PostToMainFrame(unsigned message) = 0;
    // Queues a command to the main frame, carried out after the current one.
    virtual void PostCommandToMainFrame(unsigned /*id*/) {}
    virtual void UpdateAllViews(int /*hint*/) {}
    // A paper was made or opened (or an open failed): the views show it from its start.
    virtual void InitialUpdateViews() {}
    // The views end a name-field edit under way, before the paper is written.
    virtual void CommitPendingEdit() {}
    // The active view lays the paper out again; false when there is none.
    virtual bool RelayoutActiveView() { return false; }
    virtual void BeginWaitCursor() {}
    virtual void EndWaitCursor() {}
    // The main frame's caption.
    virtual void SetFrameTitle(const std::u16string& /*title*/) {}
    // The word-processor exports' progress window and file-in-use choice (see CSorelDocHost).
    virtual std::unique_ptr<IConvertProgress> ShowConvertProgress(const std::u16string& /*caption*/,
                                                                  const std::u16string& /*message*/)
    {
        return nullptr;
    }
    virtual int FileInUseDialog(const std::u16string& /*caption*/) { return 2; }
};

// The frame's caption for the document's title, as the framework's standard frame shows it:
// "無題 - Lumetra　生物 - 問題作成エディタ"; the application title alone without a document title.
std::u16string FrameTitle(const std::u16string& documentTitle);

// Where the program runs: its own file, its profile and the screen.
struct SOREL_APP_ENVIRONMENT {
    std::string programPath;   // the running program, absolute
    std::string profilePath;   // the INI file of the user's settings
    int screenWidth = 1024;
    int screenHeight = 768;
};

class CSorelApp : public CSorelDocHost {
public:
    CSorelApp(IPrintFileAccess& files, CSorelAppWindows& windows, SOREL_APP_ENVIRONMENT environment);
    ~CSorelApp() override;

    // The start-up sequence; false ends the program before its message loop.
    bool InitInstance(const std::vector<std::string>& parameters);
    // Frees the search library and saves the settings (only when they were loaded); the exit
    // code: the export's failure code, else 1 after a failed start, else 0.
    int ExitInstance();

    // --- commands of the application
    void OnFileNew();
    void OnFileOpen();
    void OnOpenRecentFile(int index);
    // Routes a help request to the help file.
    void WinHelp(unsigned data, unsigned command);
    // The batch handlers of the main frame: run the export (Word to wordOutput, Ichitaro to
    // taroOutput, HTML, text), record its failure.
    void RunBatchExport(unsigned message);
    // The HTML or text export of an export run, to the output the command line names.
    void RunPageExport(bool html);

    // --- CSorelDocHost
    int GetCommandLineMode() const override { return m_commandLineMode; }
    void AddToRecentFileList(const std::string& path) override { m_recentFiles.Add(path); }
    void UpdateAllViews(int hint) override { m_windows.UpdateAllViews(hint); }
    void CommitPendingEdit() override { m_windows.CommitPendingEdit(); }
    bool RelayoutActiveView() override { return m_windows.RelayoutActiveView(); }
    void PostFrameCommand(unsigned id) override { m_windows.PostCommandToMainFrame(id); }
    void BeginWaitCursor() override { m_windows.BeginWaitCursor(); }
    void EndWaitCursor() override { m_windows.EndWaitCursor(); }
    void TitleChanged(const std::u16string& title) override { m_windows.SetFrameTitle(FrameTitle(title)); }
    void SetExitCode(int code) override { m_exitCode = code; }
    std::unique_ptr<IConvertProgress> ShowConvertProgress(const std::u16string& caption,
                                                          const std::u16string& message) override
    {
        return m_windows.ShowConvertProgress(caption, message);
    }
    int FileInUseDialog(const std::u16string& caption) override { return m_windows.FileInUseDialog(caption); }

    CSorelDoc* GetDocument() const { return m_document.get(); }
    SOREL_SETTINGS& Settings() { return m_settings; }
    // The user's profile once start-up has opened it, else null.
    CProfile* Profile() const { return m_profile.get(); }
    CRecentFileList& RecentFiles() { return m_recentFiles; }
    const CSorelCommandLineInfo& CommandLine() const { return m_commandLine; }
    const std::string& HelpFilePath() const { return m_helpFilePath; }
    int GetExitCode() const { return m_exitCode; }
    bool WordInstalled() const { return m_wordInstalled; }
    bool TaroInstalled() const { return m_taroInstalled; }
    bool SettingsLoaded() const { return m_settingsLoaded; }
    // The search entry found in the library (only the first of SearchProc20, SearchProc2 and
    // SearchProc that it exports), or null.
    void* SearchProc20() const { return m_searchProc20; }
    void* SearchProc2() const { return m_searchProc2; }
    void* SearchProc() const { return m_searchProc; }
    // The program's folder with its trailing separator.
    std::string ProgramFolder() const;

private:
    void LoadSearchLibrary();
    bool ProcessShellCommand();

    IPrintFileAccess& m_files;
    CSorelAppWindows& m_windows;
    SOREL_APP_ENVIRONMENT m_environment;
    CSorelCommandLineInfo m_commandLine;
    int m_commandLineMode = 0;
    int m_showCommand = SW_SHOWNORMAL;
    int m_exitCode = 0;
    bool m_started = false;
    bool m_settingsLoaded = false;
    bool m_wordInstalled = false;
    // Our own Word server, answering "Word.Application" while the program runs.
    std::unique_ptr<CAutomationRegistration> m_wordServer;
    bool m_taroInstalled = false;
    std::string m_helpFilePath;
    std::unique_ptr<QLibrary> m_searchLibrary;
    void* m_searchProc20 = nullptr;
    void* m_searchProc2 = nullptr;
    void* m_searchProc = nullptr;
    std::unique_ptr<CProfile> m_profile;
    SOREL_SETTINGS m_settings;
    CRecentFileList m_recentFiles;
    std::unique_ptr<CSorelDoc> m_document;
};

// The program: start-up, the message loop and exit, with the windows on the screen.
int RunSorelApp(int argc, char** argv);
