// The Word export of the running program, started as scripts/run starts it: without Word it ends
// with its failure code and says why on the error stream; with a server that answers
// "Word.Application" a "wq" run writes the paper without a window, saves and quits Word; with the
// program's own server it writes a .docx of the paper.
#include "program_fixture.h"

#include "editor/word_export.h"
#include "platform/zip_archive.h"
#include "tests/support/recording_server.h"

#include <QTemporaryDir>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

class ProgramExportsWord : public ProgramRun {
protected:
    std::string Paper()
    {
        const std::string input = m_dir.path().toStdString() + "/paper.xml";
        fs::copy_file(fs::path(RepositoryFolder()) / "tests/data/printfile/horizontal_one_column.xml", input);
        return input;
    }
    std::string Output() const { return m_dir.path().toStdString() + "/out.doc"; }

    QTemporaryDir m_dir;
};

TEST_F(ProgramExportsWord, WithoutWordTheRunEndsWithItsCodeAndTheMessageOnTheErrorStream)
{
    const std::string input = Paper();
    // A Word that cannot be started, in place of the program's own server.
    const CAutomationRegistration noWord(kWordProgId, [] { return std::shared_ptr<IDispatch>(); });
    testing::internal::CaptureStderr();
    ASSERT_TRUE(Start({"/w", input, Output()})) << MessagesShown();
    QTRY_VERIFY_WITH_TIMEOUT(Program().App().GetExitCode() != 0, 20000);
    const int code = Program().Finish();
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(code, 10);
    EXPECT_NE(errors.find("ワードが起動できません。"), std::string::npos) << errors;
    EXPECT_TRUE(messages.empty()) << MessagesShown();
    EXPECT_FALSE(fs::exists(Output()));
}

TEST_F(ProgramExportsWord, WithAWordServerAQuittingRunWritesThePaperSavesAndQuits)
{
    auto server = std::make_shared<CRecordingServer>();
    for (const char* member :
         {"Documents", "Add", "ActiveWindow", "ActivePane", "Selection", "PageSetup", "LineNumbering", "TextColumns",
          "Range", "ParagraphFormat", "Font", "Shading", "Borders", "Item", "InlineShapes", "AddOLEObject", "Tables",
          "Rows", "Columns", "Cell", "GoTo"})
        server->ReturnsObject(member);
    CAutomationRegistration word(kWordProgId, server->Factory());
    const std::string input = Paper();
    ASSERT_TRUE(Start({"/wq", input, Output()})) << MessagesShown();
    ASSERT_NE(Program().Frame(), nullptr);
    const auto quit = [&server] {
        const std::vector<std::string> calls = server->Transcript();
        return !calls.empty() && calls.back() == "1.Quit call(&missing, &missing, &missing)";
    };
    QTRY_VERIFY_WITH_TIMEOUT(quit(), 20000);
    EXPECT_FALSE(Program().Frame()->isVisible()) << "an export run shows no window";
    EXPECT_EQ(Program().Finish(), 0);
    const std::vector<std::string> calls = server->Transcript();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[calls.size() - 2].rfind("3.SaveAs call(&\"" + Output() + "\"", 0), 0u) << calls[calls.size() - 2];
    // The paper's text went into the document before it was saved.
    bool typed = false;
    for (const std::string& line : calls)
        typed = typed || line.find("TypeText call(\"") != std::string::npos;
    EXPECT_TRUE(typed);
    EXPECT_TRUE(messages.empty()) << MessagesShown();
    EXPECT_EQ(server->LiveObjects(), 0);
}

TEST_F(ProgramExportsWord, WithItsOwnServerAQuittingRunWritesADocxOfThePaper)
{
    struct Case {
        const char* paper;
        std::vector<std::string> expected;  // in word/document.xml
    } const cases[] = {
        {"samples/sample_paper.xml",
         {"細胞の構造について", "<w:tbl>", "<w:ruby>", "<w:rubyBase><w:r>", "<w:drawing>"}},
        {"tests/data/printfile/horizontal_inline_nodes.xml",
         {"<w:u w:val=\"single\"/>", "<w:color w:val=\"FF0000\"/>", "<w:vertAlign w:val=", "<w:tbl>",
          "<w:ruby>"}},
        {"tests/data/printfile/vertical_kanbun.xml",
         {"次の文を書き下せ。", "<w:textDirection w:val=\"tbRl\"/></w:sectPr>", "<w:drawing>"}},
    };
    for (const Case& c : cases) {
        const std::string input = m_dir.path().toStdString() + "/paper.xml";
        const std::string output = m_dir.path().toStdString() + "/paper.docx";
        fs::remove(input);
        fs::remove(output);
        const fs::path paper = fs::path(RepositoryFolder()) / c.paper;
        fs::copy_file(paper, input);
        // The pictures the paper names lie beside it.
        for (const auto& entry : fs::directory_iterator(paper.parent_path()))
            if (entry.path().extension() == ".png")
                fs::copy_file(entry.path(), fs::path(m_dir.path().toStdString()) / entry.path().filename(),
                              fs::copy_options::overwrite_existing);
        ASSERT_TRUE(Start({"/wq", input, output})) << MessagesShown();
        QTRY_VERIFY_WITH_TIMEOUT(fs::exists(output), 60000);
        EXPECT_EQ(Program().Finish(), 0) << c.paper;
        std::ifstream in(output, std::ios::binary);
        const std::string archive((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::vector<ZIP_ENTRY> entries;
        ASSERT_TRUE(ReadZipArchive(archive, &entries)) << c.paper;
        std::string document;
        for (const ZIP_ENTRY& entry : entries)
            if (entry.name == "word/document.xml")
                document = entry.bytes;
        for (const std::string& part : c.expected)
            EXPECT_NE(document.find(part), std::string::npos) << c.paper << ": " << part;
        EXPECT_TRUE(messages.empty()) << MessagesShown();
    }
}

}  // namespace
