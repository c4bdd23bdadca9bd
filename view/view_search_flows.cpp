// The question-bank search's three flows over the search library: the information file and the
// question list go to the library, which returns a print file; the editor merges it into the
// paper (SearchProc), replaces the paper with it keeping the user's changed questions and points
// labels (SearchProc2), or, having handed over the whole paper, takes it as the new paper
// (SearchProc20).
#include "view/edit_view_controller.h"
#include "view/search_library.h"

#include "nodes/edit_kind.h"
#include "nodes/edit_print.h"
#include "nodes/edit_sentence.h"
#include "nodes/mondai_info.h"
#include "nodes/page_furniture.h"
#include "platform/codepage.h"
#include "platform/shell.h"
#include "platform/utf8.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr char16_t kSearchFailed[] = u"検索処理でエラーが発生しました。";
constexpr char16_t kPaperNotWritten[] = u"検索処理中にエラーが発生しました。\n\n保存できません。\n";
// The most result nodes freed; a longer (or circular) list is left alone rather than walked on.
constexpr size_t kMaxResultNodes = 100000;
constexpr int kHideEmptyParts = 1;

// A temporary file of the search in the temporary folder, "QNS" and a unique tail, deleted when
// the command ends.
class SearchTempFile {
public:
    SearchTempFile() = default;
    ~SearchTempFile()
    {
        if (!m_path.empty())
            ::unlink(m_path.c_str());
    }
    SearchTempFile(const SearchTempFile&) = delete;
    SearchTempFile& operator=(const SearchTempFile&) = delete;

    // False with errno set when the folder or the file cannot be had.
    bool Create()
    {
        std::error_code error;
        const fs::path folder = fs::temp_directory_path(error);
        if (error) {
            errno = error.value();
            return false;
        }
        std::string pattern = (folder / "QNSXXXXXX").string();
        const int file = ::mkstemp(pattern.data());
        if (file < 0)
            return false;
        ::close(file);
        m_path = pattern;
        return true;
    }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

// The byte-order mark and the search information as UTF-16LE, without terminator.
bool WriteInformationFile(const std::string& path, const CStringW& information)
{
    const int file = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (file < 0)
        return false;
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : information.View()) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(file, bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            const int error = errno;
            ::close(file);
            errno = error;
            return false;
        }
        written += static_cast<size_t>(n);
    }
    return ::close(file) == 0;
}

void ShowSystemError(int error)
{
    ShellMessageBox(Utf8ToUtf16(std::strerror(error)), kMessageCaption, MB_OK);
}

// The question parts among the root's children, in order.
std::vector<CEditSentence*> QuestionParts(CEditPrint* root)
{
    std::vector<CEditSentence*> parts;
    for (int i = 0; i < root->GetChildCount(); ++i) {
        CEditNode* child = root->GetEditChild(i);
        if (child != nullptr && child->GetKind() == EditKind::kSentence)
            if (auto* part = dynamic_cast<CEditSentence*>(child))
                parts.push_back(part);
    }
    return parts;
}

CEditSentence* MatchingPart(CEditPrint* root, CEditSentence* part)
{
    return root->FindPartByMondai(&part->m_mondaiInfo, part->m_partKind);
}

// A points label of the user's paper, remembered for the returned paper's parts.
struct POINTS_ENTRY {
    int partKind;
    int problemNumber;
    int subNumber;
    int labelIndex;
    int32_t hidden;
    HAITEN_INFO info;
};

std::vector<POINTS_ENTRY> RememberPointsLabels(CEditPrint* root)
{
    std::vector<POINTS_ENTRY> entries;
    for (CEditSentence* part : QuestionParts(root)) {
        auto* label = dynamic_cast<CEditHaiten*>(part->FindDescendantOfType(static_cast<int>(EditKind::kHaiten)));
        if (label == nullptr)
            continue;
        POINTS_ENTRY entry{part->m_partKind,        part->m_mondaiInfo.m_problemNumber,
                           part->m_mondaiInfo.m_subNumber, label->GetIndexInParent(),
                           label->m_hidden,         HAITEN_INFO()};
        entry.info.Copy(label->m_info);
        entries.push_back(std::move(entry));
    }
    return entries;
}

// Frees the library's result list, each node with free, walking at most kMaxResultNodes and
// never a node twice.
template <typename Node>
void FreeResultList(void* head)
{
    std::set<const void*> seen;
    for (Node* node = static_cast<Node*>(head); node != nullptr && seen.size() < kMaxResultNodes;) {
        if (!seen.insert(node).second)
            break;
        Node* next = node->next;
        std::free(node);
        node = next;
    }
}

// The question list: one array, each node linked to the following one.
std::vector<SEARCH_ID_NODE> ShortList(const CEditPrint& root)
{
    std::vector<SEARCH_ID_NODE> list(root.m_mondaiList.size());
    for (size_t i = 0; i < list.size(); ++i) {
        MONDAI_ID_NODE packed{};
        root.m_mondaiList[i]->ToIdNode(packed);
        list[i].id = packed.id;
        list[i].modified = packed.modified;
        list[i].next = i + 1 < list.size() ? &list[i + 1] : nullptr;
    }
    return list;
}

std::vector<SEARCH_ID_NODE2> LongList(const CEditPrint& root)
{
    std::vector<SEARCH_ID_NODE2> list(root.m_mondaiList.size());
    for (size_t i = 0; i < list.size(); ++i) {
        MONDAI_ID_NODE2 packed{};
        root.m_mondaiList[i]->ToIdNode2(packed);
        std::memcpy(list[i].codes, packed.codes, sizeof list[i].codes);
        list[i].problemNumber = packed.problemNumber;
        list[i].subNumber = packed.subNumber;
        list[i].modified = packed.modified;
        list[i].next = i + 1 < list.size() ? &list[i + 1] : nullptr;
    }
    return list;
}

// SearchProc: the returned paper's new questions join the kept paper; its unchanged questions
// that the returned paper lacks go.
void MergeInto(CEditPrint* kept, CEditPrint* returned)
{
    for (CEditSentence* part : QuestionParts(kept))
        if (part->m_mondaiInfo.m_modified == 0 && MatchingPart(returned, part) == nullptr)
            part->DetachAndDelete();
    int insertAt = 0;
    for (CEditSentence* part : QuestionParts(returned)) {
        if (CEditSentence* known = MatchingPart(kept, part)) {
            insertAt = known->GetIndexInParent();
            continue;
        }
        // Taking the part out of the returned paper and into the kept one in one step.
        kept->InsertChildAt(insertAt, part);
        ++insertAt;
    }
}

// SearchProc2: the returned paper gets the kept paper's points labels, and the user's changed
// questions (and those the bank does not classify) in place of its own.
void ReplaceKeepingChanges(CEditPrint* kept, CEditPrint* returned, const std::vector<POINTS_ENTRY>& labels)
{
    std::vector<int> keptIndexes;
    const std::vector<CEditSentence*> parts = QuestionParts(returned);
    for (CEditSentence* part : parts) {
        for (const POINTS_ENTRY& entry : labels) {
            if (entry.partKind != part->m_partKind || entry.problemNumber != part->m_mondaiInfo.m_problemNumber ||
                entry.subNumber != part->m_mondaiInfo.m_subNumber)
                continue;
            if (entry.labelIndex < part->GetChildCount()) {
                // The label takes the place of the part's own one: a part has one points label.
                if (CQNXMLNode* own = part->FindDescendantOfType(static_cast<int>(EditKind::kHaiten)))
                    own->DetachAndDelete();
                auto* label = new CEditHaiten();
                label->m_info.Copy(entry.info);
                part->m_haiten.Copy(entry.info);
                label->m_hidden = entry.hidden;
                part->InsertChildAt(entry.labelIndex, label);
            }
            break;
        }
        CEditSentence* old = MatchingPart(kept, part);
        if (old != nullptr && (old->m_mondaiInfo.m_modified != 0 || part->m_mondaiInfo.m_codes[0] == 999))
            keptIndexes.push_back(part->GetIndexInParent());
    }
    for (int index : keptIndexes) {
        auto* part = dynamic_cast<CEditSentence*>(returned->GetEditChild(index));
        CEditSentence* old = part != nullptr ? MatchingPart(kept, part) : nullptr;
        if (old == nullptr)
            continue;
        returned->InsertChildAt(index, old);  // out of the kept paper, before the returned part
        part->DetachAndDelete();
    }
}

}  // namespace

void CEditViewController::RunSearch(SearchFlow flow)
{
    IQuestionSearchHost& host = *m_searchHost;
    CEditPrint* root = Root();
    if (root == nullptr)
        return;
    std::vector<POINTS_ENTRY> labels;
    if (flow != SearchFlow::Merge) {
        root->AssignMondaiIds();
        if (root->GetChildCount() == 0)
            return;
        if (flow == SearchFlow::Replace)
            labels = RememberPointsLabels(root);
    }

    SearchTempFile information;
    if (!information.Create() || !WriteInformationFile(information.Path(), root->m_searchInfo)) {
        ShowSystemError(errno);
        return;
    }
    const std::string searchProgId = WideToCp932(root->m_searchProgId.View());
    root->AssignMondaiIds();
    if (root->m_mondaiList.empty())
        return;

    // SearchProc20 hands over the whole paper, written as it stands; the document keeps its
    // path, its extracted files and its modified flag.
    SearchTempFile paper;
    std::vector<std::string> paperSideFiles;
    struct SideFileCleaner {
        std::vector<std::string>* files;
        ~SideFileCleaner()
        {
            std::error_code error;
            for (const std::string& file : *files)
                fs::remove(file, error);
        }
    } sideFileCleaner{&paperSideFiles};
    if (flow == SearchFlow::WholePaper) {
        const bool modified = host.IsModified();
        const std::string pathName = root->m_pathName;
        const std::vector<std::string> extracted = root->m_extractedFiles;
        const bool written = paper.Create() && host.WritePlainFile(paper.Path());
        if (CEditPrint* writtenRoot = Root()) {
            paperSideFiles = writtenRoot->m_sideFiles;
            writtenRoot->m_extractedFiles = extracted;
            writtenRoot->SetPathName(pathName.c_str());
        }
        m_document.SetModifiedFlag(modified);
        if (!written) {
            ShellMessageBox(kPaperNotWritten + Utf8ToUtf16(paper.Path()), kMessageCaption, MB_OK);
            return;
        }
    }

    SEARCH_RESULT result{nullptr, nullptr};
    int answer = 0;
    std::vector<SEARCH_ID_NODE> shortList;
    std::vector<SEARCH_ID_NODE2> longList;
    const SEARCH_ENTRY_POINTS entries = host.SearchEntryPoints();
    if (flow == SearchFlow::Merge) {
        shortList = ShortList(*root);
        SEARCH_REQUEST request{searchProgId.c_str(), information.Path().c_str(), shortList.data()};
        answer = reinterpret_cast<SEARCH_PROC>(entries.searchProc)(&request, &result);
        FreeResultList<SEARCH_ID_NODE>(result.results);
    } else if (flow == SearchFlow::Replace) {
        longList = LongList(*root);
        SEARCH_REQUEST2 request{searchProgId.c_str(), information.Path().c_str(), longList.data()};
        answer = reinterpret_cast<SEARCH_PROC2>(entries.searchProc2)(&request, &result);
        FreeResultList<SEARCH_ID_NODE2>(result.results);
    } else {
        longList = LongList(*root);
        SEARCH_REQUEST20 request{searchProgId.c_str(), information.Path().c_str(), paper.Path().c_str(),
                                 longList.data()};
        answer = reinterpret_cast<SEARCH_PROC20>(entries.searchProc20)(&request, &result);
        FreeResultList<SEARCH_ID_NODE2>(result.results);
    }
    if (answer == 0)
        ShellMessageBox(kSearchFailed, kMessageCaption, MB_OK);
    std::string returnedPath;
    if (result.paperPath != nullptr) {
        returnedPath = result.paperPath;
        std::free(result.paperPath);
    }
    // Only a regular file is read (and later deleted); anything else leaves the paper alone.
    std::error_code error;
    if (answer != 1 || returnedPath.empty() || !fs::is_regular_file(fs::symlink_status(returnedPath, error)))
        return;

    host.ClearUndo();
    std::unique_ptr<CEditPrint> kept = host.TakeRoot();
    const int layoutMode = kept->m_partLayoutMode;
    if (!host.LoadPlainFile(returnedPath)) {
        host.TakeRoot();
        host.PutRoot(std::move(kept));
        OnInitialUpdate();
        return;
    }
    fs::remove(returnedPath, error);
    CEditPrint* loaded = Root();
    loaded->DeleteExtractedFiles();

    if (flow == SearchFlow::Merge) {
        std::unique_ptr<CEditPrint> returned = host.TakeRoot();
        MergeInto(kept.get(), returned.get());
        host.PutRoot(std::move(kept));
    } else if (flow == SearchFlow::Replace) {
        ReplaceKeepingChanges(kept.get(), loaded, labels);
        kept.reset();
    } else {
        kept.reset();
    }
    CEditPrint* paperNow = Root();
    paperNow->RenumberQuestions();
    if (flow != SearchFlow::WholePaper)
        paperNow->ArrangeParts(layoutMode, kHideEmptyParts);
    OnInitialUpdate();
    m_document.SetModifiedFlag(true);
}
