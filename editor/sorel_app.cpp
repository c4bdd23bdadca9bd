#include "editor/sorel_app.h"

#include "base/default_fonts.h"
#include "base/gdi_cache.h"
#include "base/system_checks.h"
#include "editor/print_file_access.h"
#include "editor/registration.h"
#include "editor/word_export.h"
#include "export/word_server.h"
#include "math/formula_family.h"
#include "nodes/node_archive.h"
#include "platform/automation.h"
#include "platform/codepage.h"
#include "platform/profile.h"
#include "platform/shell.h"
#include "platform/utf8.h"

#include <QLibrary>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// The search library's file, looked up in the program's own folder only.
constexpr char kSearchLibraryFile[] = "Zovivuva.dll";
// The profile value that remembers that the missing library was reported.
constexpr char kNoticeSection[] = "Options";
constexpr char kSearchLibraryNoticeValue[] = "SearchLibraryNoticeShown";

void StartupMessage(const char16_t* text)
{
    ShellMessageBox(text, SorelDocText::kFrameworkCaption, MB_OK);
}

}  // namespace

std::u16string FrameTitle(const std::u16string& documentTitle)
{
    if (documentTitle.empty())
        return SorelDocText::kApplicationTitle;
    return documentTitle + u" - " + SorelDocText::kApplicationTitle;
}

CSorelApp::CSorelApp(IPrintFileAccess& files, CSorelAppWindows& windows, SOREL_APP_ENVIRONMENT environment)
    : m_files(files), m_windows(windows), m_environment(std::move(environment))
{
}

CSorelApp::~CSorelApp() = default;

std::string CSorelApp::ProgramFolder() const
{
    const std::string folder = fs::path(m_environment.programPath).parent_path().string();
    return folder.empty() ? std::string("./") : folder + "/";
}

void CSorelApp::LoadSearchLibrary()
{
    m_searchLibrary = std::make_unique<QLibrary>(QString::fromStdString(ProgramFolder() + kSearchLibraryFile));
    if (!m_searchLibrary->load()) {
        m_searchLibrary.reset();
        // On Linux the library is normally absent: the user is told once per installation, by a
        // notice that start-up does not wait on.
        if (m_profile->GetProfileInt(kNoticeSection, kSearchLibraryNoticeValue, 0) == 0) {
            ShellNotice(SorelAppText::kSearchLibraryMissing, SorelDocText::kFrameworkCaption, MB_OK);
            // An export run shows no window, so its notice counts for nobody.
            if (!CommandLineMode::IsExport(m_commandLineMode)) {
                m_profile->WriteProfileInt(kNoticeSection, kSearchLibraryNoticeValue, 1);
                m_profile->Flush();
            }
        }
        return;
    }
    if (auto entry = m_searchLibrary->resolve("SearchProc20"))
        m_searchProc20 = reinterpret_cast<void*>(entry);
    else if (auto entry2 = m_searchLibrary->resolve("SearchProc2"))
        m_searchProc2 = reinterpret_cast<void*>(entry2);
    else if (auto entry3 = m_searchLibrary->resolve("SearchProc"))
        m_searchProc = reinterpret_cast<void*>(entry3);
    else
        StartupMessage(SorelAppText::kSearchEntryMissing);
}

bool CSorelApp::InitInstance(const std::vector<std::string>& parameters)
{
    m_started = false;
    m_showCommand = SW_SHOWNORMAL;
    setenv("TZ", "JST-9", 1);
    tzset();

    if (!IsSupportedWindowsVersion()) {
        StartupMessage(SorelAppText::kUnsupportedSystem);
        return false;
    }

    m_commandLine = CSorelCommandLineInfo();
    m_commandLine.ParseCommandLine(parameters);
    m_commandLineMode = m_commandLine.mode;
    if (CommandLineMode::IsExport(m_commandLineMode))
        m_commandLine.showSplash = false;
    if (m_commandLine.showSplash)
        m_windows.ShowSplash();

    m_helpFilePath = ProgramFolder() + "Tarsel.CHM";
    m_profile = std::make_unique<CProfile>(m_environment.profilePath);
    LoadSearchLibrary();
    CreateGdiResources();
    // The node classes a paper's nodes are copied and stored through by class name: a paper
    // whose name field is copied onto its pages needs them to open.
    RegisterNodeClasses(ProgramClassRegistry(), NODE_PROGRAM::ProblemEditor);
    RegisterMathClasses(ProgramClassRegistry());
    RegisterFormulaFamily();

    CClassRegistry& registry = CClassRegistry::Instance();
    RegisterFigureEditorServer(registry, ProgramFolder());
    RegisterFormulaEditorServer(registry, ProgramFolder());

    m_recentFiles.ReadList(*m_profile);
    LoadSettings(*m_profile, &m_settings, &CDefaultFontTable::Instance(), m_environment.screenWidth,
                 m_environment.screenHeight);
    m_settingsLoaded = true;
    if (m_settings.maximized)
        m_showCommand = SW_SHOWMAXIMIZED;

    m_document = std::make_unique<CSorelDoc>(m_files, *this);
    RegisterDocumentShellKeys(registry, m_environment.programPath, WideToCp932(SorelDocText::kApplicationTitle),
                              true);
    registry.Flush();

    if (!m_windows.CreateMainFrame() || !ProcessShellCommand()) {
        m_windows.DestroySplash();
        return false;
    }

    if (m_commandLineMode == CommandLineMode::kOpenCopy) {
        m_document->ClearPathName();
        m_document->SetTitle(SorelDocText::kUntitled);
        m_document->SetModifiedFlag(true);
        m_commandLineMode = CommandLineMode::kOrdinary;
    }

    // A word processor counts as installed while an automation server answers its ProgID; Word's
    // is our own unless another server was registered first.
    m_wordServer = RegisterWordServer();
    m_wordInstalled = IsAutomationServerRegistered(kWordProgId);
    m_taroInstalled = IsAutomationServerRegistered(kIchitaroProgId);

    if (CommandLineMode::IsExport(m_commandLineMode))
        m_showCommand = SW_HIDE;
    m_windows.ShowMainFrame(m_showCommand);
    m_windows.DestroySplash();

    if (m_commandLineMode & CommandLineMode::kTaro)
        m_windows.PostToMainFrame(WM_BATCH_TARO);
    else if (m_commandLineMode & CommandLineMode::kWord)
        m_windows.PostToMainFrame(WM_BATCH_WORD);
    else if (m_commandLineMode & CommandLineMode::kHtml)
        m_windows.PostToMainFrame(WM_BATCH_HTML);
    else if (m_commandLineMode & CommandLineMode::kText)
        m_windows.PostToMainFrame(WM_BATCH_TEXT);
    m_started = true;
    return true;
}

bool CSorelApp::ProcessShellCommand()
{
    if (m_commandLine.shellCommand == CSorelCommandLineInfo::FileOpen) {
        if (m_document->OpenDocumentFile(m_commandLine.fileName)) {
            m_windows.InitialUpdateViews();
            return true;
        }
        const std::string message = "Tarsel: " + m_commandLine.fileName + ": the paper could not be opened\n";
        std::fputs(message.c_str(), stderr);
        return false;
    }
    const bool made = m_document->OnFileNew();
    if (made)
        m_windows.InitialUpdateViews();
    return made;
}

int CSorelApp::ExitInstance()
{
    if (m_searchLibrary) {
        m_searchLibrary->unload();
        m_searchLibrary.reset();
    }
    m_searchProc20 = m_searchProc2 = m_searchProc = nullptr;
    // Settings that were never loaded are never written over the user's own.
    if (m_settingsLoaded && m_profile) {
        m_recentFiles.WriteList(*m_profile);
        SaveSettings(*m_profile, m_settings, CDefaultFontTable::Instance());
    }
    if (m_exitCode != 0)
        return m_exitCode;
    return m_started ? 0 : kExitStartFailed;
}

void CSorelApp::OnFileNew()
{
    if (m_document) {
        m_document->OnFileNew();
        m_windows.InitialUpdateViews();
    }
}

void CSorelApp::OnFileOpen()
{
    SHELL_REQUEST dialog;
    dialog.kind = ShellRequestKind::OpenFile;
    dialog.title = SorelAppText::kOpenTitle;
    dialog.flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_FILEMUSTEXIST;
    dialog.filters = {
        {u"プリントファイル(*." + Utf8ToUtf16(kDefaultExtension) + u")", std::string("*.") + kDefaultExtension},
        {SorelDocText::kAllFiles, "*.*"},
    };
    if (ShellFileDialog(dialog) && m_document) {
        m_document->OpenDocumentFile(dialog.file);
        m_windows.InitialUpdateViews();
    }
}

void CSorelApp::OnOpenRecentFile(int index)
{
    if (index < 0 || index >= m_recentFiles.GetSize())
        return;
    const std::string path = m_recentFiles.GetAt(index);
    std::error_code error;
    if (!fs::exists(path, error)) {
        StartupMessage(SorelAppText::kFileNotFound);
        m_recentFiles.Remove(index);
        return;
    }
    if (m_document) {
        m_document->OpenDocumentFile(path);
        m_windows.InitialUpdateViews();
    }
}

void CSorelApp::WinHelp(unsigned, unsigned command)
{
    SHELL_REQUEST request;
    request.kind = ShellRequestKind::Help;
    request.helpFile = m_helpFilePath;
    switch (command) {
    case HELP_CONTENTS:
        request.helpCommand = HH_DISPLAY_TOC;
        break;
    case HELP_HELPONHELP:
        request.helpCommand = HH_DISPLAY_SEARCH;
        break;
    case HELP_FINDER:
        request.helpCommand = HH_DISPLAY_INDEX;
        break;
    default:
        request.helpCommand = HH_DISPLAY_TOPIC;
        break;
    }
    ShellRequest(request);
}

void CSorelApp::RunBatchExport(unsigned message)
{
    if (message == WM_BATCH_HTML || message == WM_BATCH_TEXT) {
        RunPageExport(message == WM_BATCH_HTML);
        return;
    }
    const bool word = message == WM_BATCH_WORD;
    const std::string& output = word ? m_commandLine.wordOutput : m_commandLine.taroOutput;
    bool exported = false;
    try {
        if (m_document)
            exported = word ? m_document->ExportWord(output) : m_document->ExportIchitaro(output);
    } catch (...) {
        exported = false;
    }
    // A failed export run ends with its own code and says so, never with success.
    if (!exported) {
        if (m_exitCode == 0)
            m_exitCode = word ? kExitWordFailed : kExitTaroFailed;
        const std::string text = std::string("Tarsel: the ") + (word ? "Word" : "Ichitaro") + " export to \"" +
                                 output + "\" could not be made\n";
        std::fputs(text.c_str(), stderr);
    }
}

void CSorelApp::RunPageExport(bool html)
{
    const std::string& output = html ? m_commandLine.htmlOutput : m_commandLine.textOutput;
    bool exported = false;
    try {
        if (m_document && !output.empty())
            exported = html ? m_document->ExportHtml(output) : m_document->ExportText(output);
    } catch (...) {
        exported = false;
    }
    if (!exported) {
        if (m_exitCode == 0)
            m_exitCode = html ? kExitHtmlFailed : kExitTextFailed;
        const std::string text = std::string("Tarsel: the ") + (html ? "HTML" : "text") + " export to \"" + output +
                                 "\" could not be made\n";
        std::fputs(text.c_str(), stderr);
    }
}
