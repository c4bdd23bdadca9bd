// The document: new, open by content, save in its four forms, the modified flag and prompts,
// and failed saves that leave the earlier file as it was.
#include "editor/sorel_doc.h"

#include "fake_print_files.h"
#include "shell_answers.h"

#include "nodes/edit_print.h"
#include "platform/utf8.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

class RecordingHost : public CSorelDocHost {
public:
    int GetCommandLineMode() const override { return mode; }
    void AddToRecentFileList(const std::string& path) override { recent.push_back(path); }
    void UpdateAllViews(int hint) override { hints.push_back(hint); }
    void BeginWaitCursor() override { ++waits; }
    void EndWaitCursor() override { --waits; }

    int mode = 0;
    int waits = 0;
    std::vector<std::string> recent;
    std::vector<int> hints;
};

class SorelDocTest : public ::testing::Test {
protected:
    SorelDocTest() : m_doc(m_files, m_host) {}
    ~SorelDocTest() override { EXPECT_EQ(m_host.waits, 0); }

    std::string Path(const std::string& name) const { return m_dir.path().toStdString() + "/" + name; }
    // A plain print file with its side file, as the writer makes them.
    std::string PlainPaper(const std::string& name, const std::string& text)
    {
        const std::string path = Path(name);
        const std::string side = fs::path(path).stem().string() + "0001.bmp";
        WriteWholeFile(path, "QNPRINT\n" + text + "\n" + side + "\n");
        WriteWholeFile(Path(side), "SIDE:" + text);
        return path;
    }
    std::string PaperText() const { return Utf16ToUtf8(m_doc.GetRoot()->m_searchInfo.View()); }
    void Change(const char16_t* text)
    {
        m_doc.GetRoot()->m_searchInfo = CStringW(text);
        m_doc.SetModifiedFlag();
    }

    QTemporaryDir m_dir;
    FakePrintFiles m_files;
    RecordingHost m_host;
    ShellAnswers m_shell;
    CSorelDoc m_doc;
};

}  // namespace

TEST_F(SorelDocTest, ANewPaperIsAnUntitledPackage)
{
    ASSERT_TRUE(m_doc.OnFileNew());
    ASSERT_NE(m_doc.GetRoot(), nullptr);
    EXPECT_TRUE(m_doc.IsPackage());
    EXPECT_FALSE(m_doc.IsModified());
    EXPECT_EQ(m_doc.GetTitle(), u"無題");
    EXPECT_EQ(m_host.hints, std::vector<int>{2});

    m_files.failTemplate = true;
    EXPECT_FALSE(m_doc.OnNewDocument());
    EXPECT_EQ(m_shell.Messages().back(), u"空のプリント作成に失敗しました。");
}

TEST_F(SorelDocTest, ThePaperKindIsToldByItsFirstBytes)
{
    // ".qns" with print-file content is read as a plain print file; Save writes it back plain.
    const std::string plain = PlainPaper("plain.qns", "one");
    ASSERT_TRUE(m_doc.OpenDocumentFile(plain));
    EXPECT_FALSE(m_doc.IsPackage());
    EXPECT_FALSE(m_doc.IsModified());
    EXPECT_EQ(PaperText(), "one");
    EXPECT_EQ(m_doc.GetTitle(), u"plain.qns");
    EXPECT_EQ(m_host.recent, std::vector<std::string>{plain});

    Change(u"one changed");
    ASSERT_TRUE(m_doc.OnFileSave());
    EXPECT_EQ(ReadWholeFile(plain).substr(0, 8), "QNPRINT\n");
    EXPECT_FALSE(m_doc.IsModified());

    // Save As starts on the plain print file, the paper's own format, and keeps it when chosen.
    const std::string plainCopy = Path("copy.xml");
    m_shell.ChooseFile(plainCopy, kSaveAsPlainFilter);
    ASSERT_TRUE(m_doc.OnFileSaveAs());
    EXPECT_EQ(m_shell.requests.back().filterIndex, kSaveAsPlainFilter);
    EXPECT_EQ(ReadWholeFile(plainCopy).substr(0, 8), "QNPRINT\n");
    EXPECT_FALSE(m_doc.IsPackage());
    EXPECT_EQ(m_doc.GetPathName(), plainCopy);

    // The package filter writes a package, whatever the extension, and reopens as one.
    const std::string package = Path("copy.txt");
    m_shell.ChooseFile(package, 1);
    ASSERT_TRUE(m_doc.OnFileSaveAs());
    EXPECT_EQ(m_shell.requests.back().filterIndex, kSaveAsPlainFilter);
    EXPECT_EQ(ReadWholeFile(package).substr(0, 4), "MSCF");
    EXPECT_TRUE(m_doc.IsPackage());
    EXPECT_EQ(m_doc.GetPathName(), package);
    EXPECT_EQ(m_files.packed, (std::vector<std::string>{"copy.qnp", "copy0001.bmp"}));

    ASSERT_TRUE(m_doc.OpenDocumentFile(package));
    EXPECT_TRUE(m_doc.IsPackage());
    EXPECT_EQ(PaperText(), "one changed");
    // The extracted files are gone again.
    EXPECT_TRUE(fs::exists(m_files.loaded.back()) == false);
}

TEST_F(SorelDocTest, APackageIsChangedSavedAndReopenedUnchanged)
{
    const std::string package = Path("paper.qns");
    ASSERT_TRUE(m_doc.OnFileNew());
    Change(u"問題一");
    m_shell.ChooseFile(package);
    ASSERT_TRUE(m_doc.OnFileSave());  // untitled: asks for a name
    ASSERT_EQ(m_shell.requests.size(), 1u);
    const SHELL_REQUEST& dialog = m_shell.requests[0];
    EXPECT_EQ(dialog.file, "無題.qns");
    EXPECT_EQ(dialog.defaultExtension, "qns");
    EXPECT_EQ(dialog.flags, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST);
    ASSERT_EQ(dialog.filters.size(), 5u);
    EXPECT_EQ(dialog.filters[0].label, u"プリントファイル(*.qns)");
    EXPECT_EQ(dialog.filters[0].pattern, "*.qns");
    EXPECT_EQ(dialog.filters[1].label, u"HTMLファイル(*.htm)");
    EXPECT_EQ(dialog.filters[2].label, u"テキストファイル(*.txt)");
    EXPECT_EQ(dialog.filters[3].pattern, "*.xml");
    EXPECT_EQ(dialog.filters[4].pattern, "*.*");
    EXPECT_EQ(dialog.filterIndex, kSaveAsPackageFilter);  // a new paper is a package

    Change(u"問題二");
    ASSERT_TRUE(m_doc.OnFileSave());  // titled package: saved in place without a dialog
    EXPECT_EQ(m_shell.requests.size(), 1u);
    // Only the package is left beside it: the temporary print file and side files are gone.
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir.path().toStdString()), fs::directory_iterator()), 1);

    CSorelDoc reopened(m_files, m_host);
    ASSERT_TRUE(reopened.OpenDocumentFile(package));
    EXPECT_TRUE(reopened.GetRoot()->m_searchInfo.View() == u"問題二");
}

TEST_F(SorelDocTest, HtmlAndTextChoicesExportWithoutTakingThePath)
{
    const std::string plain = PlainPaper("paper.qnp", "x");
    ASSERT_TRUE(m_doc.OpenDocumentFile(plain));
    m_doc.SetModifiedFlag();
    m_shell.ChooseFile(Path("out.htm"), 2);
    EXPECT_TRUE(m_doc.OnFileSaveAs());
    m_shell.ChooseFile(Path("out.txt"), 3);
    EXPECT_TRUE(m_doc.OnFileSaveAs());
    EXPECT_EQ(m_files.exported, (std::vector<std::string>{"html:" + Path("out.htm"), "text:" + Path("out.txt")}));
    EXPECT_EQ(m_doc.GetPathName(), plain);
    EXPECT_EQ(m_doc.GetTitle(), u"paper.qnp");
    EXPECT_TRUE(m_doc.IsModified());
    EXPECT_FALSE(m_doc.IsPackage());

    // Cancel saves nothing.
    m_shell.Answer(IDCANCEL);
    EXPECT_FALSE(m_doc.OnFileSaveAs());
}

TEST_F(SorelDocTest, ShortAndUnreadableFilesFailAndANewPaperTakesTheirPlace)
{
    struct Case {
        const char* name;
        std::string bytes;
        bool opens;
        const char16_t* message;
    } const cases[] = {
        {"four.qns", "MSCF", false, u"ファイルの読込に失敗しました。"},
        {"five.qns", "QNPRI", false, u"ファイルの読込に失敗しました。"},  // 5 bytes: read, but not a paper
        {"badpack.qns", "MSCFxx", false, u"ファイルの読込に失敗しました。"},
        {"empty.qns", "", false, u"ファイルの読込に失敗しました。"},
    };
    for (const Case& c : cases) {
        WriteWholeFile(Path(c.name), c.bytes);
        const size_t loadsBefore = m_files.loaded.size();
        EXPECT_EQ(m_doc.OpenDocumentFile(Path(c.name)), c.opens) << c.name;
        // The failure and its file lead the box; a cause may follow.
        const std::u16string lead = c.message + (u"\n" + Utf8ToUtf16(Path(c.name)));
        EXPECT_EQ(m_shell.Messages().back().rfind(lead, 0), 0u) << c.name;
        EXPECT_EQ(m_doc.GetTitle(), u"無題") << c.name;
        ASSERT_NE(m_doc.GetRoot(), nullptr) << c.name;
        EXPECT_EQ(PaperText(), "new paper") << c.name;
        const bool read = std::string(c.name) == "five.qns";  // five bytes are read, four are not
        EXPECT_EQ(m_files.loaded.size(), loadsBefore + (read ? 1 : 0)) << c.name;
    }
    EXPECT_FALSE(m_doc.OpenDocumentFile(Path("missing.qns")));
    EXPECT_TRUE(m_host.recent.empty());
}

TEST_F(SorelDocTest, APackageThatDoesNotExtractSaysSo)
{
    WriteWholeFile(Path("broken.qns"), std::string("MSCF") + "a.qnp\n999\nshort");
    EXPECT_FALSE(m_doc.OpenDocumentFile(Path("broken.qns")));
    // One failure, one box: the failure to read first, with the file, then its cause.
    EXPECT_EQ(m_shell.Messages(), std::vector<std::u16string>{u"ファイルの読込に失敗しました。\n" +
                                                              Utf8ToUtf16(Path("broken.qns")) +
                                                              u"\nパッケージの展開に失敗しました。"});
}

TEST_F(SorelDocTest, AFailedSaveLeavesTheEarlierFileIntact)
{
    const std::string plain = PlainPaper("keep.qnp", "earlier");
    const std::string before = ReadWholeFile(plain);
    ASSERT_TRUE(m_doc.OpenDocumentFile(plain));
    Change(u"later");

    m_files.failWriteHalfway = true;  // a full disk
    EXPECT_FALSE(m_doc.OnFileSave());
    EXPECT_EQ(ReadWholeFile(plain), before);
    EXPECT_TRUE(m_doc.IsModified());
    EXPECT_EQ(m_shell.Messages().back(), u"ファイルの保存に失敗しました。\n" + Utf8ToUtf16(plain));

    // Save As over an existing package whose packing fails: the package stays, not removed.
    m_files.failWriteHalfway = false;
    m_files.failPack = true;
    const std::string package = Path("other.qns");
    WriteWholeFile(package, "MSCF earlier package");
    m_shell.ChooseFile(package);
    EXPECT_FALSE(m_doc.OnFileSaveAs());
    EXPECT_EQ(ReadWholeFile(package), "MSCF earlier package");
    EXPECT_EQ(m_doc.GetPathName(), plain);
    EXPECT_FALSE(m_doc.IsPackage());  // a failed Save As keeps the paper's own kind

    // A folder that cannot be written: nothing is made.
    m_files.failPack = false;
    WriteWholeFile(Path("notafolder"), "x");
    m_shell.ChooseFile(Path("notafolder/paper.qns"));
    EXPECT_FALSE(m_doc.OnFileSaveAs());
    EXPECT_EQ(ReadWholeFile(Path("notafolder")), "x");
}

TEST_F(SorelDocTest, TheSavePromptAnswersDecide)
{
    const std::string plain = PlainPaper("p.qnp", "a");
    ASSERT_TRUE(m_doc.OpenDocumentFile(plain));
    EXPECT_TRUE(m_doc.SaveModified());  // not modified: no prompt
    EXPECT_TRUE(m_shell.requests.empty());

    Change(u"b");
    m_shell.Answer(IDCANCEL);
    EXPECT_FALSE(m_doc.SaveModified());
    ASSERT_EQ(m_shell.requests.size(), 1u);
    EXPECT_EQ(m_shell.requests[0].text, u"p.qnp への変更を保存しますか?");
    EXPECT_EQ(m_shell.requests[0].caption, u"Lumetra　生物 - 問題作成エディタ");
    EXPECT_EQ(m_shell.requests[0].style, MB_YESNOCANCEL | MB_ICONEXCLAMATION);

    m_shell.Answer(IDNO);
    EXPECT_TRUE(m_doc.SaveModified());
    EXPECT_EQ(ReadWholeFile(plain).find("QNPRINT\na\n"), 0u);

    m_shell.Answer(IDYES);
    EXPECT_TRUE(m_doc.SaveModified());
    EXPECT_EQ(ReadWholeFile(plain).find("QNPRINT\nb\n"), 0u);

    // Opening the paper that is open reads it again from disk.
    Change(u"c");
    m_shell.Answer(IDNO);
    ASSERT_TRUE(m_doc.OpenDocumentFile(plain));
    EXPECT_EQ(PaperText(), "b");
}

TEST_F(SorelDocTest, AK1FileIsDeletedOnlyAfterItWasRead)
{
    m_host.mode = 1;
    const std::string plain = PlainPaper("handed.qnp", "k1");
    ASSERT_TRUE(m_doc.OpenDocumentFile(plain));
    EXPECT_FALSE(fs::exists(plain));
    EXPECT_TRUE(m_host.recent.empty());

    WriteWholeFile(Path("bad.qnp"), "not a paper at all");
    EXPECT_FALSE(m_doc.OpenDocumentFile(Path("bad.qnp")));
    EXPECT_TRUE(fs::exists(Path("bad.qnp")));
}

TEST(SorelDocTemplate, MatchesThePlainPrintFileExtension)
{
    EXPECT_TRUE(MatchesNativeDocType("/a/b.qnp"));
    EXPECT_TRUE(MatchesNativeDocType("/a/b.QNP"));
    EXPECT_FALSE(MatchesNativeDocType("/a/b.qns"));
    EXPECT_FALSE(MatchesNativeDocType("/a.qnp/b"));
}
