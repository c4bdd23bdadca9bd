// The HTML and text exports of the open paper through the program's own print-file access: Save
// As and the HTML command write the page or the text, nothing of the command stays in the
// temporary folder, and a failed export says so.
#include "editor/print_file_access.h"
#include "editor/sorel_doc.h"

#include "fake_print_files.h"
#include "shell_answers.h"

#include "platform/utf8.h"
#include "tests/printfile/printfile_fixture.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

class PageExportTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { printfiletest::RegisterPaperFaces(); }
    PageExportTest()
    {
        // The commands' temporary folders land in a folder of the test's own.
        const char* former = std::getenv("TMPDIR");
        m_formerTemp = former ? former : "";
        m_hadTemp = former != nullptr;
        fs::create_directory(Temp());
        setenv("TMPDIR", Temp().c_str(), 1);
    }
    ~PageExportTest() override
    {
        if (m_hadTemp)
            setenv("TMPDIR", m_formerTemp.c_str(), 1);
        else
            unsetenv("TMPDIR");
    }
    std::string Temp() const { return m_dir.path().toStdString() + "/temp"; }
    std::string Path(const std::string& name) const { return m_dir.path().toStdString() + "/" + name; }
    bool TempIsEmpty() const { return fs::is_empty(Temp()); }
    // A test paper opened from its print file.
    std::unique_ptr<CSorelDoc> Open(const char* name)
    {
        const std::string paper = Path(std::string(name) + ".qnp");
        fs::copy_file(std::string(QN_TEST_DATA_DIR "/printfile/") + name, paper);
        for (const char* picture : {"inline-01.png", "inline-02.png"})
            fs::copy_file(std::string(QN_TEST_DATA_DIR "/printfile/") + picture, Path(picture),
                          fs::copy_options::skip_existing);
        auto doc = std::make_unique<CSorelDoc>(*m_files, m_host);
        EXPECT_TRUE(doc->OpenDocumentFile(paper));
        return doc;
    }

    QTemporaryDir m_dir;
    std::string m_formerTemp;
    bool m_hadTemp = false;
    std::unique_ptr<IPrintFileAccess> m_files = CreatePrintFileAccess();
    CSorelDocHost m_host;
    ShellAnswers m_shell;
};

}  // namespace

TEST_F(PageExportTest, SaveAsWritesThePageOrTheTextAndLeavesNothingBehind)
{
    for (const char* paper : {"vertical_two_columns.xml", "horizontal_formula.xml", "horizontal_one_column.xml",
                              "horizontal_inline_nodes.xml"}) {
        SCOPED_TRACE(paper);
        std::unique_ptr<CSorelDoc> doc = Open(paper);
        const std::string page = Path(std::string(paper) + ".htm");
        const std::string text = Path(std::string(paper) + ".txt");
        m_shell.ChooseFile(page, 2);
        EXPECT_TRUE(doc->DoSave(""));
        m_shell.ChooseFile(text, 3);
        EXPECT_TRUE(doc->DoSave(""));
        for (const std::u16string& message : m_shell.Messages())
            ADD_FAILURE() << Utf16ToUtf8(message);
        EXPECT_TRUE(TempIsEmpty());

        const std::string pageBytes = ReadWholeFile(page);
        ASSERT_GT(pageBytes.size(), 2u);
        EXPECT_EQ(pageBytes.substr(0, 2), "\xFF\xFE");
        // The text is the paper's, written by hand in code page 932 from what the paper holds.
        const std::string expected = std::string(paper).replace(std::string(paper).size() - 4, 4, ".txt");
        EXPECT_EQ(ReadWholeFile(text), ReadWholeFile(QN_TEST_DATA_DIR "/export/" + expected));
        // Save As to another format leaves the paper's own name alone.
        EXPECT_EQ(doc->GetPathName(), Path(std::string(paper) + ".qnp"));
    }
}

TEST_F(PageExportTest, TheHtmlCommandAsksForThePageAndAFailedExportIsReported)
{
    std::unique_ptr<CSorelDoc> doc = Open("horizontal_formula.xml");
    const std::string rootPath = doc->GetRoot()->m_pathName;
    const std::vector<std::string> rootSideFiles = doc->GetRoot()->m_sideFiles;
    doc->SetModifiedFlag(true);
    m_shell.ChooseFile(Path("page.htm"));
    EXPECT_TRUE(doc->OnFileSaveHtml());
    ASSERT_FALSE(m_shell.requests.empty());
    const SHELL_REQUEST& dialog = m_shell.requests.front();
    EXPECT_EQ(dialog.title, u"HTML形式で保存");
    // The paper's name with ".htm" in place of its extension.
    EXPECT_EQ(dialog.file, Path("horizontal_formula.xml.htm"));
    ASSERT_EQ(dialog.filters.size(), 2u);
    EXPECT_EQ(dialog.filters[0].label, u"HTMLファイル(*.htm)");
    EXPECT_TRUE(fs::exists(Path("page.htm")));
    EXPECT_TRUE(fs::exists(Path("page.files/01m.png")));
    // The paper still names its own file, in the document and in the root, and stays modified.
    EXPECT_EQ(doc->GetPathName(), Path("horizontal_formula.xml.qnp"));
    EXPECT_EQ(doc->GetRoot()->m_pathName, rootPath);
    EXPECT_EQ(doc->GetRoot()->m_sideFiles, rootSideFiles);
    EXPECT_TRUE(doc->IsModified());

    m_shell.requests.clear();
    EXPECT_FALSE(doc->ExportHtml(Path("missing/page.htm")));
    EXPECT_FALSE(doc->ExportText(Path("missing/page.txt")));
    EXPECT_EQ(m_shell.Messages(), (std::vector<std::u16string>{u"ファイルの保存に失敗しました。", u"ファイルの保存に失敗しました。"}));
    EXPECT_TRUE(TempIsEmpty());
    EXPECT_FALSE(fs::exists(Path("missing")));
}

