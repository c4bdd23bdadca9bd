// The program as scripts/run starts it opens every paper of the repository's test data and
// samples into its window, with no message on the way.
#include "program_fixture.h"
#include "tests/support/case_names.h"

#include "editor/sorel_doc.h"
#include "nodes/edit_print.h"

#include "fake_print_files.h"

#include <QTemporaryDir>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

bool IsPaper(const fs::path& file)
{
    const std::string extension = file.extension().string();
    return extension == ".xml" || extension == ".qnp" || extension == ".qns";
}

// The papers of the given folders, relative to the repository, in a stable order.
std::vector<std::string> PapersIn(std::initializer_list<const char*> folders)
{
    std::vector<std::string> papers;
    const fs::path repository = RepositoryFolder();
    for (const char* folder : folders)
        for (const auto& entry : fs::directory_iterator(repository / folder))
            if (entry.is_regular_file() && IsPaper(entry.path()))
                papers.push_back(fs::relative(entry.path(), repository).string());
    std::sort(papers.begin(), papers.end());
    return papers;
}

// Named by the paper's path in the repository: tests_data_printfile_vertical_two_columns.
std::string PaperCaseName(const ::testing::TestParamInfo<std::string>& info)
{
    return CaseNameFrom(fs::path(info.param).replace_extension().string());
}

class ProgramOpensPaper : public ProgramRun, public ::testing::WithParamInterface<std::string> {};

}  // namespace

TEST_P(ProgramOpensPaper, WithoutAMessage)
{
    // scripts/run hands the program the paper's absolute path.
    const std::string paper = fs::absolute(GetParam()).string();
    ASSERT_TRUE(Start({paper})) << MessagesShown();
    CSorelDoc* doc = Program().App().GetDocument();
    ASSERT_NE(doc, nullptr);
    ASSERT_NE(doc->GetRoot(), nullptr);
    EXPECT_EQ(doc->GetPathName(), paper);
    EXPECT_GT(doc->GetRoot()->GetChildCount(), 0);
    ASSERT_NE(Program().Frame(), nullptr);
    EXPECT_TRUE(Program().Frame()->isVisible());
    // The search library cannot exist here; any other message is a fault.
    std::erase(messages, std::u16string(SorelAppText::kSearchLibraryMissing));
    EXPECT_TRUE(messages.empty()) << MessagesShown();
    EXPECT_EQ(Program().Finish(), 0);
}

INSTANTIATE_TEST_SUITE_P(Repository, ProgramOpensPaper,
                         ::testing::ValuesIn(PapersIn({"tests/data/printfile", "samples"})), PaperCaseName);


namespace {

class ProgramExportsText : public ProgramRun, public ::testing::WithParamInterface<std::string> {};

std::string DataFile(const char* folder, const std::string& name)
{
    return (fs::path(RepositoryFolder()) / "tests/data" / folder / name).string();
}

}  // namespace

// "Tarsel -text" on a copy of the paper writes the text written by hand in code page 932 from
// what the paper holds, and ends with exit code 0.
TEST_P(ProgramExportsText, ByteForByte)
{
    QTemporaryDir dir;
    const std::string input = dir.path().toStdString() + "/" + GetParam();
    const std::string output = dir.path().toStdString() + "/out.txt";
    fs::copy_file(DataFile("printfile", GetParam()), input);
    ASSERT_TRUE(Start({"-text", input, output})) << MessagesShown();
    // The run happens in the event loop, which writes the whole file in one step.
    QTRY_VERIFY_WITH_TIMEOUT(fs::exists(output), 20000);
    EXPECT_EQ(Program().Finish(), 0);
    EXPECT_EQ(ReadWholeFile(output), ReadWholeFile(DataFile("export", fs::path(GetParam()).replace_extension(".txt"))));
}

INSTANTIATE_TEST_SUITE_P(SamplePapers, ProgramExportsText,
                         ::testing::Values("vertical_two_columns.xml", "horizontal_one_column.xml",
                                           "horizontal_formula.xml"),
                         PaperCaseName);
