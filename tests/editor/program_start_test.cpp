// The program as scripts/run starts it opens every paper of the repository's test data and
// samples into its window, with no message on the way.
#include "program_fixture.h"
#include "tests/support/case_names.h"

#include "editor/sorel_doc.h"
#include "nodes/edit_print.h"

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

