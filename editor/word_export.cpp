// The Word and Ichitaro export commands and their drivers.
#include "editor/word_export.h"

#include "base/property_records.h"
#include "editor/command_line.h"
#include "editor/sorel_doc.h"
#include "export/automation_wrappers.h"
#include "export/taro_writer.h"
#include "export/word_writer.h"
#include "nodes/edit_print.h"
#include "platform/shell.h"
#include "platform/utf8.h"

#include <fcntl.h>
#include <cerrno>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// The item of Ichitaro's environment options that maps the keyboard as the JW word processor
// did; it is off while the export types into Ichitaro.
constexpr char16_t kJwKeyOption[] = u"JW型ｷｰ割付";
// Ichitaro's quit mode and the window state that shows the word processors maximized.
constexpr int kIchitaroQuitMode = 3;
constexpr int kWindowStateMaximized = 1;

struct EXPORT_WORDS {
    bool word;
    const char* progId;
    const char16_t* title;
    const char16_t* filter;
    const char* extension;  // without its point
    const char16_t* startFailed;
    const char16_t* progress;
    int failureCode;
};

const EXPORT_WORDS kWordWords{true,
                              kWordProgId,
                              SorelDocText::kSaveWordTitle,
                              SorelDocText::kWordFilter,
                              "docx",
                              SorelDocText::kWordStartFailed,
                              SorelDocText::kWordProgress,
                              10};
const EXPORT_WORDS kIchitaroWords{false,
                                  kIchitaroProgId,
                                  SorelDocText::kSaveIchitaroTitle,
                                  SorelDocText::kIchitaroFilter,
                                  "jtd",
                                  SorelDocText::kIchitaroStartFailed,
                                  SorelDocText::kIchitaroProgress,
                                  20};

// The writer is not there: the export cannot fill the document.
class WriterMissing : public std::runtime_error {
public:
    WriterMissing() : std::runtime_error("no document writer") {}
};

// A progress window that shows nothing, when the program has none to show.
class NoProgress : public IConvertProgress {
public:
    void SetMessage(const std::u16string&) override {}
    void SetRange32(int, int) override {}
    void SetPos(int) override {}
};

// The wait cursor and the progress window of one export, ended on every way out.
class ExportScope {
public:
    ExportScope(CSorelDocHost& host, const EXPORT_WORDS& words) : m_host(host)
    {
        m_window = host.ShowConvertProgress(SorelDocText::kApplicationTitle, words.progress);
    }
    ~ExportScope()
    {
        if (m_waiting)
            m_host.EndWaitCursor();
        m_window.reset();
    }
    ExportScope(const ExportScope&) = delete;
    ExportScope& operator=(const ExportScope&) = delete;

    void BeginWait()
    {
        m_host.BeginWaitCursor();
        m_waiting = true;
    }
    IConvertProgress& Progress() { return m_window ? *m_window : m_none; }

private:
    CSorelDocHost& m_host;
    std::unique_ptr<IConvertProgress> m_window;
    NoProgress m_none;
    bool m_waiting = false;
};

// The proposed file name: the path with its last extension replaced, unless the point of that
// extension is the name's first character; an untitled paper proposes "無題".
std::string ProposedName(const std::string& path, const char* extension)
{
    if (path.empty())
        return Utf16ToUtf8(SorelDocText::kUntitled) + "." + extension;
    const fs::path file(path);
    std::string name = file.filename().string();
    const size_t point = name.rfind('.');
    if (point != std::string::npos && point != 0)
        name.erase(point);
    name += std::string(".") + extension;
    return file.has_parent_path() ? (file.parent_path() / name).string() : name;
}

// The word processors lose the name fields of a paper in columns.
bool TwoColumnsWithNameFields(const CEditPrint& root)
{
    if (root.m_geometry.columnCount <= 1)
        return false;
    for (int page = 1; page <= CEditPrint::kMaxPages; ++page)
        if (root.IsPageFlagged(page))
            return true;
    return false;
}

// Runs a step whose refusal by the word processor the driver passes over (showing the window,
// restoring an option, quitting): the export's result does not depend on it.
template <typename Step>
void Quietly(Step step)
{
    try {
        step();
    } catch (const COleDispatchException&) {
    } catch (const COleException&) {
    }
}

}  // namespace

WORD_PROCESSOR_WRITERS& WordProcessorWriters()
{
    static WORD_PROCESSOR_WRITERS writers{ExportWordDocument, ExportIchitaroDocument};
    return writers;
}

bool IsFileInUse(const std::string& path)
{
    const int file = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (file < 0)
        return errno != ENOENT;
    ::close(file);
    return false;
}

bool CSorelDoc::OnUpdateSaveWord() const { return IsAutomationServerRegistered(kWordProgId); }

bool CSorelDoc::OnUpdateSaveIchitaro() const { return IsAutomationServerRegistered(kIchitaroProgId); }

void CSorelDoc::ExportMessage(const std::u16string& text, unsigned style) const
{
    if (m_host.GetCommandLineMode() & (CommandLineMode::kWord | CommandLineMode::kTaro)) {
        const std::string line = "Tarsel: " + Utf16ToUtf8(text) + "\n";
        std::fputs(line.c_str(), stderr);
        return;
    }
    ShellMessageBox(text, SorelDocText::kApplicationTitle, style);
}

std::string CSorelDoc::AskExportTarget(bool word)
{
    const EXPORT_WORDS& words = word ? kWordWords : kIchitaroWords;
    std::string proposed = ProposedName(m_pathName, words.extension);
    for (;;) {
        SHELL_REQUEST dialog;
        dialog.kind = ShellRequestKind::SaveFile;
        dialog.title = words.title;
        dialog.flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
        dialog.defaultExtension = words.extension;
        dialog.file = proposed;
        dialog.filters = {{words.filter, std::string("*.") + words.extension}, {SorelDocText::kAllFiles, "*.*"}};
        if (!ShellFileDialog(dialog))
            return {};
        std::error_code error;
        if (!fs::exists(dialog.file, error) || !IsFileInUse(dialog.file))
            return dialog.file;
        const int choice = m_host.FileInUseDialog(SorelDocText::kApplicationTitle);
        if (choice == kFileInUseRetry)
            return dialog.file;  // the export tries the file anyway and reports its own failure
        if (choice == IDCANCEL)
            return {};
        proposed = dialog.file;  // rename: the dialog again
    }
}

void CSorelDoc::OnFileSaveWord()
{
    if (!m_root)
        return;
    if (TwoColumnsWithNameFields(*m_root))
        ExportMessage(SorelDocText::kTwoColumnNameField, MB_OK | MB_ICONINFORMATION);
    const std::string path = AskExportTarget(true);
    if (!path.empty())
        ExportWord(path);
}

void CSorelDoc::OnFileSaveIchitaro()
{
    if (!m_root)
        return;
    if (TwoColumnsWithNameFields(*m_root))
        ExportMessage(SorelDocText::kTwoColumnNameField, MB_OK | MB_ICONINFORMATION);
    const std::string path = AskExportTarget(false);
    if (!path.empty())
        ExportIchitaro(path);
}

void CSorelDoc::WriteWordDocument(CEditPrint* root, CWordDispatch& document, XML_BUILD_CONTEXT& context,
                                  IConvertProgress& progress)
{
    const WordDocumentWriter& writer = WordProcessorWriters().word;
    if (!writer || !root)
        throw WriterMissing();
    writer(*root, document, context, progress);
}

void CSorelDoc::WriteIchitaroDocument(CEditPrint* root, CTaroDispatch& library, XML_BUILD_CONTEXT& context,
                                      IConvertProgress& progress)
{
    const IchitaroDocumentWriter& writer = WordProcessorWriters().ichitaro;
    if (!writer || !root)
        throw WriterMissing();
    writer(*root, library, context, progress);
}

bool CSorelDoc::ExportWord(const std::string& path)
{
    ExportScope scope(m_host, kWordWords);
    if (!m_root)
        return false;
    // A command-line run calls the driver without the command's warning, and shows no box: the
    // warning goes to the error stream.
    if ((m_host.GetCommandLineMode() & (CommandLineMode::kWord | CommandLineMode::kTaro)) &&
        TwoColumnsWithNameFields(*m_root))
        ExportMessage(SorelDocText::kTwoColumnNameField, MB_OK | MB_ICONINFORMATION);
    m_host.CommitPendingEdit();
    scope.BeginWait();
    CWordDispatch word;
    if (!word.CreateDispatch(kWordProgId)) {
        ExportMessage(SorelDocText::kWordStartFailed, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    const bool quit = (m_host.GetCommandLineMode() & CommandLineMode::kWordQuit) == CommandLineMode::kWordQuit;
    bool result = false;
    CWordDispatch documents;
    CWordDispatch document;
    try {
        word.SetVisible(FALSE);
        documents.AttachDispatch(word.GetDocuments());
        VARIANT templateName = VARIANT::Missing();
        VARIANT newTemplate = VARIANT::Missing();
        document.AttachDispatch(documents.AddDocument(&templateName, &newTemplate));
        // A writer stopped by a refused call fails the export as a failed save does, but what it
        // wrote is still saved.
        std::optional<std::u16string> writeFailure;
        try {
            XML_BUILD_CONTEXT context{};
            WriteWordDocument(m_root.get(), document, context, scope.Progress());
        } catch (const COleDispatchException& error) {
            writeFailure = error.m_strDescription;
        } catch (const COleException&) {
            writeFailure = std::u16string();
        }
        VARIANT fileName = VARIANT::String(Utf8ToUtf16(path));
        VARIANT missing[10];
        for (VARIANT& argument : missing)
            argument = VARIANT::Missing();
        document.SaveAs({&fileName, &missing[0], &missing[1], &missing[2], &missing[3], &missing[4], &missing[5],
                         &missing[6], &missing[7], &missing[8], &missing[9]});
        if (writeFailure) {
            m_host.SetExitCode(kWordWords.failureCode);
            if (!writeFailure->empty())
                ExportMessage(*writeFailure, MB_OK | MB_ICONEXCLAMATION);
        }
        result = !writeFailure;
    } catch (const COleDispatchException& error) {
        m_host.SetExitCode(kWordWords.failureCode);
        ExportMessage(error.m_strDescription, MB_OK | MB_ICONEXCLAMATION);
    } catch (...) {
        m_host.SetExitCode(kWordWords.failureCode);
    }
    if (!quit)
    {
        Quietly([&] { word.SetVisible(TRUE); });
        Quietly([&] { word.SetWindowState(kWindowStateMaximized); });
    }
    document.ReleaseDispatch();
    documents.ReleaseDispatch();
    if (quit)
        Quietly([&] {
            VARIANT saveChanges = VARIANT::Missing();
            VARIANT originalFormat = VARIANT::Missing();
            VARIANT routeDocument = VARIANT::Missing();
            word.Quit(&saveChanges, &originalFormat, &routeDocument);
        });
    word.ReleaseDispatch();
    return result;
}

bool CSorelDoc::ExportIchitaro(const std::string& path)
{
    ExportScope scope(m_host, kIchitaroWords);
    if (!m_root)
        return false;
    // A command-line run calls the driver without the command's warning, and shows no box: the
    // warning goes to the error stream.
    if ((m_host.GetCommandLineMode() & (CommandLineMode::kWord | CommandLineMode::kTaro)) &&
        TwoColumnsWithNameFields(*m_root))
        ExportMessage(SorelDocText::kTwoColumnNameField, MB_OK | MB_ICONINFORMATION);
    m_host.CommitPendingEdit();
    scope.BeginWait();
    CTaroDispatch taro;
    if (!taro.CreateDispatch(kIchitaroProgId)) {
        ExportMessage(SorelDocText::kIchitaroStartFailed, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    const bool quit = (m_host.GetCommandLineMode() & CommandLineMode::kTaroQuit) == CommandLineMode::kTaroQuit;
    bool result = false;
    CTaroDispatch library;
    CTaroDispatch options;
    int savedKeyOption = 0;
    try {
        taro.SetVisible(FALSE);
        library.AttachDispatch(taro.GetTaroLibrary());
        library.WarningMode(false);
        library.NewDocument();
        taro.SetVisible(FALSE);
        // The keyboard option is turned off for the export; a failure here leaves it alone.
        Quietly([&] {
            VARIANT environment = library.GetOptionEnvironment();
            if (!ChangeVariantType(environment, VT_DISPATCH) || !environment.pdispVal)
                return;
            options.AttachDispatch(environment.pdispVal);
            VARIANT value = options.GetItem(VARIANT::String(kJwKeyOption));
            if (!ChangeVariantType(value, VT_I4))
                return;
            savedKeyOption = value.lVal;
            if (savedKeyOption != 0) {
                options.SetItem(VARIANT::String(kJwKeyOption), VARIANT::Long(0));
                library.OptionEnvironment(VARIANT::Object(options.m_lpDispatch));
            }
        });
        // A writer stopped by a refused call fails the export as a failed save does, but what it
        // wrote is still saved.
        std::optional<std::u16string> writeFailure;
        try {
            XML_BUILD_CONTEXT context{};
            WriteIchitaroDocument(m_root.get(), library, context, scope.Progress());
        } catch (const COleDispatchException& error) {
            writeFailure = error.m_strDescription;
        } catch (const COleException&) {
            writeFailure = std::u16string();
        }
        library.SaveDocument(VARIANT::String(Utf8ToUtf16(path)));
        if (writeFailure) {
            m_host.SetExitCode(kIchitaroWords.failureCode);
            if (!writeFailure->empty())
                ExportMessage(*writeFailure, MB_OK | MB_ICONEXCLAMATION);
        }
        result = !writeFailure;
    } catch (const COleDispatchException& error) {
        m_host.SetExitCode(kIchitaroWords.failureCode);
        ExportMessage(error.m_strDescription, MB_OK | MB_ICONEXCLAMATION);
    } catch (...) {
        m_host.SetExitCode(kIchitaroWords.failureCode);
    }
    // The keyboard option goes back to what it was, also after a failure.
    if (savedKeyOption != 0)
        Quietly([&] {
            options.SetItem(VARIANT::String(kJwKeyOption), VARIANT::Long(savedKeyOption));
            library.OptionEnvironment(VARIANT::Object(options.m_lpDispatch));
        });
    options.ReleaseDispatch();
    if (!quit)
    {
        Quietly([&] { library.WarningMode(true); });
        Quietly([&] { taro.SetVisible(TRUE); });
        Quietly([&] { taro.SetWindowState(kWindowStateMaximized); });
    }
    library.ReleaseDispatch();
    if (quit)
        Quietly([&] { taro.Quit(VARIANT::Long(kIchitaroQuitMode)); });
    taro.ReleaseDispatch();
    return result;
}
