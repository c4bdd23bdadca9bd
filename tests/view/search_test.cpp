// The question-bank search over the fake search library: each flow turns the fixture papers
// into the expected paper, the request carries the paper's identity and questions, temporary
// files are gone afterwards and the undo history is empty.
#include "tests/printfile/printfile_fixture.h"
#include "tests/view/view_fixture.h"

#include "editor/print_file_access.h"
#include "nodes/edit_kind.h"
#include "nodes/page_furniture.h"
#include "printfile/print_reader.h"
#include "tests/editor/shell_answers.h"
#include "view/search_library.h"

#include <QLibrary>
#include <QTemporaryDir>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

using namespace viewtest;

// The paper with the print-file library and the fake search library's entry points.
class SearchDocument : public TestDocument, public IQuestionSearchHost {
public:
    SEARCH_ENTRY_POINTS SearchEntryPoints() const override { return entries; }
    bool SearchInfoFlag() const override { return PrintFileSearchInfoFlag != 0; }
    void ClearUndo() override
    {
        groups.clear();
        undone = 0;
    }
    bool IsModified() const override { return modified; }
    std::unique_ptr<CEditPrint> TakeRoot() override { return std::move(root); }
    void PutRoot(std::unique_ptr<CEditPrint> paper) override { root = std::move(paper); }
    bool LoadPlainFile(const std::string& path) override
    {
        root = std::make_unique<CEditPrint>();
        return files->LoadXmlFile(root.get(), path);
    }
    bool WritePlainFile(const std::string& path) override { return files->WritePrintFile(root.get(), path); }

    SEARCH_ENTRY_POINTS entries;
    std::unique_ptr<IPrintFileAccess> files = CreatePrintFileAccess();
};

// Sets an environment variable for the test's lifetime.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::string& value) : m_name(name)
    {
        if (const char* former = std::getenv(name))
            m_former = former;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedVariable()
    {
        if (m_former.empty())
            unsetenv(m_name);
        else
            setenv(m_name, m_former.c_str(), 1);
    }

private:
    const char* m_name;
    std::string m_former;
};

std::string Fixture(const char* name) { return std::string(QN_TEST_DATA_DIR) + "/search/" + name; }

class SearchTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { printfiletest::RegisterPaperFaces(); }

    SearchTest()
    {
        document.view = &view;
        view.m_searchHost = &document;
        EXPECT_TRUE(m_library.load()) << m_library.errorString().toStdString();
    }

    // The kept paper, with question 20-0 changed by the user, and one step to undo.
    void OpenKeptPaper()
    {
        document.root = std::make_unique<CEditPrint>();
        ASSERT_TRUE(document.files->LoadXmlFile(document.root.get(), Fixture("kept_paper.xml")));
        for (CEditNode* part : Parts())
            if (static_cast<CEditSentence*>(part)->m_mondaiInfo.m_problemNumber == 20)
                part->m_modified = 1;
        view.OnInitialUpdate();
        document.groups.push_back(std::make_unique<CUndoGroup>());
        document.modified = false;
    }
    void UseEntry(const char* name)
    {
        document.entries = SEARCH_ENTRY_POINTS{};
        void* entry = reinterpret_cast<void*>(m_library.resolve(name));
        ASSERT_NE(entry, nullptr) << name;
        if (std::string(name) == "SearchProc20")
            document.entries.searchProc20 = entry;
        else if (std::string(name) == "SearchProc2")
            document.entries.searchProc2 = entry;
        else
            document.entries.searchProc = entry;
    }
    std::vector<CEditNode*> Parts() const
    {
        std::vector<CEditNode*> parts;
        for (int i = 0; i < document.root->GetChildCount(); ++i)
            if (document.root->GetEditChild(i)->GetKind() == EditKind::kSentence)
                parts.push_back(document.root->GetEditChild(i));
        return parts;
    }
    // Each question part's characters, "+20" for a points label of 20 points; a part with more
    // than one points label says so.
    std::vector<std::string> PaperTexts() const
    {
        std::vector<std::string> texts;
        for (CEditNode* part : Parts()) {
            std::u16string text;
            std::string points;
            int labels = 0;
            for (int i = 0; i < part->GetChildCount(); ++i) {
                CEditNode* child = part->GetEditChild(i);
                if (child->GetKind() == EditKind::kChar)
                    text += child->GetText().View();
                if (auto* label = dynamic_cast<CEditHaiten*>(child)) {
                    ++labels;
                    if (label->m_info.p3 != 0)
                        points = "+" + std::to_string(label->m_info.p3);
                }
            }
            texts.push_back(Utf16ToUtf8(text) + points + (labels > 1 ? " (" + std::to_string(labels) + " labels)" : ""));
        }
        return texts;
    }
    std::vector<std::string> Log() const
    {
        std::vector<std::string> lines;
        std::ifstream file(m_logPath);
        for (std::string line; std::getline(file, line);)
            lines.push_back(line);
        return lines;
    }
    std::string LogValue(const std::string& key) const
    {
        for (const std::string& line : Log())
            if (line.rfind(key + " ", 0) == 0)
                return line.substr(key.size() + 1);
        return {};
    }
    std::vector<std::string> TemporaryFiles() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_temp.path().toStdString()))
            names.push_back(entry.path().filename().string());
        return names;
    }

    QTemporaryDir m_temp;
    QTemporaryDir m_logDir;
    std::string m_logPath = m_logDir.path().toStdString() + "/requests.log";
    ScopedVariable m_tmpdir{"TMPDIR", m_temp.path().toStdString()};
    ScopedVariable m_log{"QNS_FAKE_LOG", m_logPath};
    QLibrary m_library{QString(QN_FAKE_SEARCH_LIBRARY)};
    SwitchGuard switches;
    VIEW_SETTINGS settings;
    SearchDocument document;
    TestHost host;
    CEditViewController view{document, host, settings};
};

TEST_F(SearchTest, EachFlowTurnsTheFixturePapersIntoTheExpectedPaper)
{
    struct Case {
        const char* entry;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        // Merge: the changed 問B stays although the bank dropped it, the unchanged 問C goes, and
        // the new 問D is put at the place of the known question before it.
        {"SearchProc", {"問A+20", "問D", "問B"}},
        // Replace: the bank's paper, with the user's changed 問B and the points label of 問A.
        {"SearchProc2", {"問A改+20", "問B", "問D"}},
        // Whole paper: the bank's paper as it came.
        {"SearchProc20", {"問A改", "問B改", "問D"}},
    };
    for (const Case& c : cases) {
        std::remove(m_logPath.c_str());
        OpenKeptPaper();
        UseEntry(c.entry);
        ScopedVariable result("QNS_FAKE_RESULT", Fixture("returned_paper.xml"));
        ASSERT_TRUE(view.OnUpdateCommand(ViewCommand::kSearchQuestions).enabled);
        EXPECT_TRUE(view.OnCommand(ViewCommand::kSearchQuestions)) << c.entry;
        EXPECT_EQ(LogValue("flow"), c.entry);
        EXPECT_EQ(PaperTexts(), c.expected) << c.entry;
        EXPECT_TRUE(document.groups.empty()) << "Undo has nothing to undo after a search";
        EXPECT_TRUE(document.modified);
        EXPECT_EQ(TemporaryFiles(), std::vector<std::string>{}) << c.entry;
        // The request: the paper's identity in code page 932 and its information file.
        EXPECT_EQ(LogValue("progid"), "QB.Search");
        EXPECT_EQ(LogValue("information-bytes"), "FFFE5300550042004A003D00420049004F00") << "BOM and UTF-16LE";
        EXPECT_EQ(LogValue("information").rfind(m_temp.path().toStdString() + "/QNS", 0), 0u);
    }
}

TEST_F(SearchTest, TheQuestionListCarriesEachQuestionOfThePaper)
{
    ScopedVariable answer("QNS_FAKE_ANSWER", "2");
    ScopedVariable result("QNS_FAKE_RESULT", Fixture("returned_paper.xml"));
    OpenKeptPaper();
    UseEntry("SearchProc");
    view.OnCommand(ViewCommand::kSearchQuestions);
    std::vector<std::string> questions;
    for (const std::string& line : Log())
        if (line.rfind("question ", 0) == 0)
            questions.push_back(line);
    // Problem 12, sub 3 as 12 × 100000 + 3; the user's change travels as the flag.
    EXPECT_EQ(questions, (std::vector<std::string>{"question 1200003.0 0", "question 2000000.0 1",
                                                   "question 3000000.0 0"}));

    std::remove(m_logPath.c_str());
    UseEntry("SearchProc20");
    view.OnCommand(ViewCommand::kSearchQuestions);
    questions.clear();
    for (const std::string& line : Log())
        if (line.rfind("question ", 0) == 0)
            questions.push_back(line);
    EXPECT_EQ(questions, (std::vector<std::string>{"question 998 12 3 0", "question 998 20 0 1",
                                                   "question 998 30 0 0"}));
    // The whole paper went to the library as a file, which is gone now.
    EXPECT_NE(LogValue("paper-bytes"), "0");
    EXPECT_FALSE(fs::exists(LogValue("paper")));
    EXPECT_FALSE(fs::exists(LogValue("information")));
}

TEST_F(SearchTest, AFailedOrCancelledSearchLeavesThePaperAsItWas)
{
    struct Case {
        const char* name;
        const char* answer;
        const char* returned;
        bool errorBox;
        bool undoEmptied;
    };
    const std::string folder = m_logDir.path().toStdString() + "/folder.xml";
    fs::create_directory(folder);
    const Case cases[] = {
        {"failure", "0", "returned_paper.xml", true, false},
        {"cancel", "2", "returned_paper.xml", false, false},
        {"unreadable", "1", "not_a_paper.xml", false, true},
    };
    for (const Case& c : cases) {
        ShellAnswers shell;
        OpenKeptPaper();
        UseEntry("SearchProc2");
        ScopedVariable answer("QNS_FAKE_ANSWER", c.answer);
        ScopedVariable result("QNS_FAKE_RESULT", Fixture(c.returned));
        CEditPrint* before = document.root.get();
        view.OnCommand(ViewCommand::kSearchQuestions);
        EXPECT_EQ(document.root.get(), before) << c.name;
        EXPECT_EQ(PaperTexts(), (std::vector<std::string>{"問A+20", "問B", "問C"})) << c.name;
        EXPECT_FALSE(document.modified) << c.name;
        EXPECT_EQ(document.groups.empty(), c.undoEmptied) << c.name;
        const std::vector<std::u16string> messages = shell.Messages();
        EXPECT_EQ(!messages.empty() && messages[0] == u"検索処理でエラーが発生しました。", c.errorBox) << c.name;
        for (const std::string& name : TemporaryFiles())
            EXPECT_NE(name.rfind("QNS", 0), 0u) << c.name << ": " << name;
    }
}

TEST_F(SearchTest, TheCommandIsEnabledOnlyOnAPaperFromTheQuestionBank)
{
    OpenKeptPaper();
    EXPECT_TRUE(view.OnUpdateCommand(ViewCommand::kSearchQuestions).enabled);
    const int former = PrintFileSearchInfoFlag;
    PrintFileSearchInfoFlag = 0;
    EXPECT_FALSE(view.OnUpdateCommand(ViewCommand::kSearchQuestions).enabled);
    EXPECT_FALSE(view.OnCommand(ViewCommand::kSearchQuestions));
    PrintFileSearchInfoFlag = former;
    view.m_searchHost = nullptr;
    EXPECT_FALSE(view.OnUpdateCommand(ViewCommand::kSearchQuestions).enabled);
    // Without an entry point the command runs and does nothing.
    view.m_searchHost = &document;
    document.entries = SEARCH_ENTRY_POINTS{};
    EXPECT_TRUE(view.OnCommand(ViewCommand::kSearchQuestions));
    EXPECT_EQ(PaperTexts(), (std::vector<std::string>{"問A+20", "問B", "問C"}));
    EXPECT_EQ(document.groups.size(), 1u);
}

}  // namespace
