#include "editor/sorel_doc.h"

#include "base/default_fonts.h"
#include "editor/print_file_access.h"
#include "nodes/edit_kind.h"
#include "nodes/edit_object.h"
#include "nodes/edit_print.h"
#include "platform/shell.h"
#include "platform/utf8.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Begins the wait cursor and ends it on every way out.
class WaitCursor {
public:
    explicit WaitCursor(CSorelDocHost& host) : m_host(host) { m_host.BeginWaitCursor(); }
    ~WaitCursor() { m_host.EndWaitCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    CSorelDocHost& m_host;
};

// A folder of our own under the temporary folder, removed with everything in it when done, so
// that files of the same name from other runs are never overwritten or deleted.
class PrivateTempFolder {
public:
    PrivateTempFolder()
    {
        std::error_code error;
        const fs::path base = fs::temp_directory_path(error);
        if (error)
            return;
        std::string pattern = (base / "tarsel-XXXXXX").string();
        if (mkdtemp(pattern.data()))
            m_path = pattern;
    }
    ~PrivateTempFolder()
    {
        std::error_code error;
        if (!m_path.empty())
            fs::remove_all(m_path, error);
    }
    PrivateTempFolder(const PrivateTempFolder&) = delete;
    PrivateTempFolder& operator=(const PrivateTempFolder&) = delete;

    bool Valid() const { return !m_path.empty(); }
    // The folder with its trailing separator.
    std::string Folder() const { return m_path + "/"; }

private:
    std::string m_path;
};

std::u16string FileNameOf(const std::string& path)
{
    return Utf8ToUtf16(fs::path(path).filename().string());
}

}  // namespace

CSorelDoc::CSorelDoc(IPrintFileAccess& files, CSorelDocHost& host) : m_files(files), m_host(host) {}

CSorelDoc::~CSorelDoc()
{
    m_history.ClearUndo();
    m_root.reset();
}

void CSorelDoc::Report(const std::u16string& text) const
{
    // The document's own message leads the box of its operation, before the reader's details.
    ShellMessageGroup::Lead(text, SorelDocText::kFrameworkCaption, MB_OK | MB_ICONEXCLAMATION);
}

std::unique_ptr<CEditPrint> CSorelDoc::TakeRoot() { return std::move(m_root); }

void CSorelDoc::PutRoot(std::unique_ptr<CEditPrint> root) { m_root = std::move(root); }

void CSorelDoc::DeleteRoot()
{
    m_root.reset();
    m_package = true;
}

void CSorelDoc::DeleteContents()
{
    // Open servers save into the paper before it goes.
    CloseOpenObjects(m_root.get());
    m_history.ClearUndo();
    DeleteRoot();
    m_host.UpdateAllViews(kHintContentsDeleted);
}

void CSorelDoc::SetTitle(const std::u16string& title)
{
    m_title = title;
    m_host.TitleChanged(m_title);
}

void CSorelDoc::SetPathName(const std::string& path, bool addToRecentList)
{
    m_pathName = path;
    SetTitle(FileNameOf(path));
    if (addToRecentList && m_host.GetCommandLineMode() != 1)
        m_host.AddToRecentFileList(path);
}

bool CSorelDoc::OnNewDocument()
{
    ShellMessageGroup oneBox;
    try {
        DeleteContents();
        m_modified = false;
        m_pathName.clear();
        m_root = std::make_unique<CEditPrint>();
        // New papers always start in horizontal writing.
        if (!m_files.LoadNewTemplate(m_root.get(), false)) {
            Report(SorelDocText::kNewFailed);
            return false;
        }
        const CDefaultFontTable& table = CDefaultFontTable::Instance();
        LOGFONTA font{};
        table.GetDefaultFont(&font, m_root->m_vertical);
        font.lfHeight = -std::abs(table.GetDefaultHeight());
        for (int i = 0;; ++i) {
            CEditNode* part = m_root->GetEditChild(i);
            if (!part)
                break;
            if (!part->IsKind(EditKind::kSentence))
                continue;
            for (int j = 0;; ++j) {
                CEditNode* child = part->GetEditChild(j);
                if (!child)
                    break;
                child->SetLogFont(&font, nullptr);
            }
        }
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool CSorelDoc::OnOpenDocument(const std::string& path)
{
    ShellMessageGroup oneBox;
    WaitCursor wait(m_host);
    // The paper counts as changed while it is read, so a failed open never leaves a half-read
    // paper in place of the one before.
    m_modified = true;

    std::ifstream file(path, std::ios::binary);
    if (!file) {
        Report(std::u16string(SorelDocText::kOpenFailed) + u"\n" + Utf8ToUtf16(path));
        return false;
    }
    std::error_code error;
    const auto size = fs::file_size(path, error);
    char head[4] = {};
    if (error || size <= 4 || !file.read(head, 4)) {
        Report(std::u16string(SorelDocText::kLoadFailed) + u"\n" + Utf8ToUtf16(path));
        return false;
    }
    file.close();
    const bool package = head[0] == 'M' && head[1] == 'S' && head[2] == 'C' && head[3] == 'F';

    DeleteContents();
    m_package = package;
    const bool loaded = LoadFile(path, package);

    // "k1": the file handed over is removed once it has been read, never before or after a
    // failed read. A package's extracted files are already gone.
    if (loaded && m_host.GetCommandLineMode() == 1 && !package)
        fs::remove(path, error);

    if (!loaded) {
        Report(std::u16string(SorelDocText::kLoadFailed) + u"\n" + Utf8ToUtf16(path));
        return false;
    }
    m_modified = false;
    return true;
}

bool CSorelDoc::LoadFile(const std::string& path, bool package)
{
    try {
        m_root = std::make_unique<CEditPrint>();
        if (!package)
            return m_files.LoadXmlFile(m_root.get(), path);

        PrivateTempFolder temp;
        if (!temp.Valid())
            return false;
        if (!m_files.ExtractCabinet(path, temp.Folder())) {
            // A detail of the failure to read, which the open reports.
            ShellMessageBox(std::u16string(SorelDocText::kExtractFailed) + u"\n" + Utf8ToUtf16(path),
                            SorelDocText::kFrameworkCaption, MB_OK | MB_ICONEXCLAMATION);
            return false;
        }
        const std::string printFile = m_files.GetExtractedFirstFile();
        const bool loaded = !printFile.empty() && m_files.LoadXmlFile(m_root.get(), printFile);
        std::error_code error;
        fs::remove(printFile, error);
        m_root->DeleteExtractedFiles();
        return loaded;
    } catch (const std::exception&) {
        return false;
    }
}

bool CSorelDoc::WriteFile(const std::string& path)
{
    if (!m_root)
        return false;
    try {
        m_host.CommitPendingEdit();
        return m_files.WritePrintFile(m_root.get(), path);
    } catch (const std::exception&) {
        return false;
    }
}

bool CSorelDoc::SavePackage(const std::string& path)
{
    PrivateTempFolder temp;
    if (!temp.Valid())
        return false;
    const fs::path target(path);
    const std::string printFile = temp.Folder() + target.stem().string() + ".qnp";
    bool saved = false;
    if (WriteFile(printFile)) {
        std::vector<std::string> files{printFile};
        for (const std::string& side : m_root->m_sideFiles)
            if (!side.empty())
                files.push_back(side);
        const std::string folder = target.has_parent_path() ? target.parent_path().string() : std::string(".");
        saved = m_files.PackFilesToCabinet(files, folder + "/", target.filename().string());
    }
    m_root->DeleteSideFiles();
    std::error_code error;
    fs::remove(printFile, error);
    return saved;
}

bool CSorelDoc::OnSaveDocument(const std::string& path)
{
    ShellMessageGroup oneBox;
    WaitCursor wait(m_host);
    bool saved = false;
    try {
        saved = m_package ? SavePackage(path) : WriteFile(path);
    } catch (const std::exception&) {
        saved = false;
    }
    if (!saved) {
        Report(std::u16string(SorelDocText::kSaveFailed) + u"\n" + Utf8ToUtf16(path));
        return false;
    }
    m_modified = false;
    return true;
}

bool CSorelDoc::DoSave(const std::string& path, bool replace)
{
    ShellMessageGroup oneBox;
    std::string newName = path;
    const bool asked = path.empty();
    enum class SaveKind { Unchanged, Package, Plain } kindChosen = SaveKind::Unchanged;
    if (asked) {
        newName = m_pathName;
        if (replace && newName.empty())
            newName = Utf16ToUtf8(SorelDocText::kUntitled) + "." + kDefaultExtension;

        SHELL_REQUEST dialog;
        dialog.kind = ShellRequestKind::SaveFile;
        dialog.title = replace ? SorelDocText::kSaveAsTitle : SorelDocText::kSaveCopyAsTitle;
        dialog.flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
        dialog.defaultExtension = kDefaultExtension;
        dialog.file = newName;
        dialog.filters = {
            {u"プリントファイル(*." + Utf8ToUtf16(kDefaultExtension) + u")", std::string("*.") + kDefaultExtension},
            {SorelDocText::kHtmlFilter, "*.htm"},
            {SorelDocText::kTextFilter, "*.txt"},
            {SorelDocText::kPlainPrintFileFilter, "*.xml"},
            {SorelDocText::kAllFiles, "*.*"},
        };
        // The dialog starts on the paper's own format.
        dialog.filterIndex = m_package ? kSaveAsPackageFilter : kSaveAsPlainFilter;
        if (!ShellFileDialog(dialog))
            return false;
        newName = dialog.file;
        if (dialog.filterIndex == kSaveAsHtmlFilter)
            return ExportHtml(newName);
        if (dialog.filterIndex == kSaveAsTextFilter)
            return ExportText(newName);
        kindChosen = dialog.filterIndex == kSaveAsPlainFilter ? SaveKind::Plain : SaveKind::Package;
    }

    // Save As writes the kind chosen (a package unless the plain print file was chosen); the
    // kind the paper had comes back if the save fails.
    const bool formerPackage = m_package;
    if (kindChosen != SaveKind::Unchanged)
        m_package = kindChosen == SaveKind::Package;
    std::error_code error;
    const bool existed = fs::exists(newName, error);
    if (!OnSaveDocument(newName)) {
        m_package = formerPackage;
        // Only a file this save made is removed; a file that was there stays untouched.
        if (asked && !existed)
            fs::remove(newName, error);
        return false;
    }
    if (replace)
        SetPathName(newName);
    return true;
}

bool CSorelDoc::OnFileSaveHtml()
{
    SHELL_REQUEST dialog;
    dialog.kind = ShellRequestKind::SaveFile;
    dialog.title = SorelDocText::kSaveHtmlTitle;
    dialog.flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
    dialog.defaultExtension = "htm";
    dialog.file = ProposedHtmlName();
    dialog.filters = {{SorelDocText::kHtmlFilter, "*.htm"}, {SorelDocText::kAllFiles, "*.*"}};
    if (!ShellFileDialog(dialog))
        return false;
    return ExportHtml(dialog.file);
}

std::string CSorelDoc::ProposedHtmlName() const
{
    if (m_pathName.empty())
        return Utf16ToUtf8(SorelDocText::kUntitled) + ".htm";
    // Only the file name's last extension goes; a name that starts with its only point keeps it.
    const size_t nameStart = m_pathName.find_last_of('/') + 1;
    const size_t point = m_pathName.find_last_of('.');
    if (point != std::string::npos && point > nameStart)
        return m_pathName.substr(0, point) + ".htm";
    return m_pathName + ".htm";
}

bool CSorelDoc::ExportHtml(const std::string& path) { return ExportPage(path, true); }

bool CSorelDoc::ExportText(const std::string& path) { return ExportPage(path, false); }

bool CSorelDoc::ExportPage(const std::string& path, bool html)
{
    WaitCursor wait(m_host);
    bool exported = false;
    try {
        if (m_root) {
            m_host.CommitPendingEdit();
            exported = html ? m_files.ExportHtml(m_root.get(), path) : m_files.ExportText(m_root.get(), path);
        }
    } catch (const std::exception&) {
        exported = false;
    }
    if (!exported)
        Report(SorelDocText::kSaveFailed);
    return exported;
}

bool CSorelDoc::SaveModified()
{
    // What the open servers hold belongs to the paper the question is about.
    CloseOpenObjects(m_root.get());
    if (!m_modified)
        return true;
    std::u16string name = m_pathName.empty() ? m_title : FileNameOf(m_pathName);
    if (name.empty())
        name = SorelDocText::kUntitled;
    std::u16string prompt = SorelDocText::kAskToSave;
    prompt.replace(prompt.find(u"%1"), 2, name);
    switch (ShellMessageBox(prompt, SorelDocText::kApplicationTitle, MB_YESNOCANCEL | MB_ICONEXCLAMATION)) {
    case IDCANCEL:
        return false;
    case IDYES:
        return OnFileSave();
    default:
        return true;
    }
}

bool CSorelDoc::OnFileNew()
{
    if (!SaveModified())
        return false;
    SetTitle(SorelDocText::kUntitled);
    return OnNewDocument();
}

bool CSorelDoc::OnFileSave()
{
    return DoSave(m_pathName, true);
}

bool CSorelDoc::OnFileSaveAs()
{
    return DoSave(std::string(), true);
}

bool CSorelDoc::OpenDocumentFile(const std::string& path, bool addToRecentList)
{
    if (!SaveModified())
        return false;
    const bool wasModified = m_modified;
    if (!OnOpenDocument(path)) {
        if (!m_modified) {
            m_modified = wasModified;
        } else {
            // The paper was emptied on the way: a new one takes its place.
            m_pathName.clear();
            SetTitle(SorelDocText::kUntitled);
            OnNewDocument();
        }
        return false;
    }
    SetPathName(path, addToRecentList);
    return true;
}

bool MatchesNativeDocType(const std::string& path)
{
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos)
        return false;
    std::string extension = path.substr(dot);
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".qnp";
}
