// The document over the program's own print-file reader and writer: a sample paper opens, is
// changed, saved in place and reopened unchanged; a failed save keeps the earlier file.
#include "editor/print_file_access.h"
#include "editor/sorel_doc.h"

#include "fake_print_files.h"
#include "shell_answers.h"

#include "nodes/edit_kind.h"
#include "nodes/edit_print.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

TEST(RealPrintFiles, ASamplePaperIsSavedInPlaceAndReadBackUnchanged)
{
    QTemporaryDir dir;
    const std::string paper = dir.path().toStdString() + "/sample.qnp";
    fs::copy_file(QN_TEST_DATA_DIR "/printfile/horizontal_one_column.xml", paper);
    std::unique_ptr<IPrintFileAccess> files = CreatePrintFileAccess();
    CSorelDocHost host;
    ShellAnswers shell;

    CSorelDoc doc(*files, host);
    ASSERT_TRUE(doc.OpenDocumentFile(paper));
    EXPECT_FALSE(doc.IsPackage());
    const int parts = doc.GetRoot()->GetChildCount();
    ASSERT_GT(parts, 0);
    doc.GetRoot()->m_searchInfo = CStringW(u"変更した問題");  // a change the file keeps
    doc.SetModifiedFlag();
    ASSERT_TRUE(doc.OnFileSave());
    EXPECT_FALSE(doc.IsModified());

    CSorelDoc again(*files, host);
    ASSERT_TRUE(again.OpenDocumentFile(paper));
    EXPECT_EQ(again.GetRoot()->GetChildCount(), parts);
    EXPECT_TRUE(again.GetRoot()->m_searchInfo.View() == u"変更した問題");

    // Saving into a folder that cannot hold files fails and changes nothing.
    const std::string before = ReadWholeFile(paper);
    fs::remove(paper);
    fs::create_directory(paper);  // the path is now a folder: the writer cannot replace it
    again.SetModifiedFlag();
    EXPECT_FALSE(again.OnFileSave());
    EXPECT_TRUE(fs::is_directory(paper));
    EXPECT_EQ(shell.Messages().back(), u"ファイルの保存に失敗しました。");
    EXPECT_FALSE(before.empty());

    // Without the package the Save As of a package fails cleanly.
    shell.ChooseFile(dir.path().toStdString() + "/copy.qns");
    EXPECT_FALSE(again.OnFileSaveAs());
    EXPECT_FALSE(fs::exists(dir.path().toStdString() + "/copy.qns"));
}

TEST(RealPrintFiles, ANewPaperComesFromTheTemplateWithTheDefaultTextFont)
{
    std::unique_ptr<IPrintFileAccess> files = CreatePrintFileAccess();
    CSorelDocHost host;
    ShellAnswers shell;
    CSorelDoc doc(*files, host);
    ASSERT_TRUE(doc.OnFileNew());
    ASSERT_NE(doc.GetRoot(), nullptr);
    EXPECT_TRUE(doc.IsPackage());
    EXPECT_TRUE(shell.Messages().empty());
    int checked = 0;
    for (int i = 0; CEditNode* part = doc.GetRoot()->GetEditChild(i); ++i) {
        if (!part->IsKind(EditKind::kSentence))
            continue;
        for (int j = 0; CEditNode* child = part->GetEditChild(j); ++j, ++checked)
            EXPECT_EQ(child->m_lf.lfHeight, -371);
    }
    EXPECT_GT(checked, 0);
}
