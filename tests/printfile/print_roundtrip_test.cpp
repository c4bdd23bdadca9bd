// Sample papers written by hand read into the editing tree they describe, are written back and
// read again into the same tree.
#include "printfile_fixture.h"

#include "printfile/print_reader.h"
#include "printfile/print_writer.h"

#include <algorithm>

using namespace printfiletest;

namespace {

TEST(PrintFileRoundTrip, EmptyPaperTemplateSavesAndReloads)
{
    RegisterPaperFaces();
    for (const bool vertical : {false, true}) {
        MessageRecorder messages;
        CEditPrint root;
        ASSERT_TRUE(LoadNewTemplate(&root, vertical));
        EXPECT_EQ(root.m_vertical, vertical ? 1 : 0);
        EXPECT_EQ(root.GetChildCount(), 4);
        TempFolder folder;
        ASSERT_TRUE(SavePrintFile(&root, folder.File("new.xml")));
        const std::string before = DescribePaper(root);
        CEditPrint again;
        ASSERT_TRUE(LoadXmlFile(&again, folder.File("new.xml")));
        EXPECT_EQ(before, DescribePaper(again));
        EXPECT_TRUE(messages.messages.empty());
    }
}

class SamplePapers : public ::testing::TestWithParam<const char*> {};

// The save gives unregistered questions their numbers, so the tree is compared after it.
TEST_P(SamplePapers, ReadWriteAndReadAgainGiveTheSameTree)
{
    RegisterPaperFaces();
    MessageRecorder messages;
    CEditPrint root;
    ASSERT_TRUE(LoadXmlFile(&root, DataPath(GetParam())));
    TempFolder folder;
    ASSERT_TRUE(SavePrintFile(&root, folder.File("paper.xml")));
    const std::string first = DescribePaper(root);
    CEditPrint again;
    ASSERT_TRUE(LoadXmlFile(&again, folder.File("paper.xml")));
    EXPECT_EQ(first, DescribePaper(again));
    // A second save of the reloaded paper, under the same name elsewhere, writes the same bytes.
    TempFolder elsewhere;
    ASSERT_TRUE(SavePrintFile(&again, elsewhere.File("paper.xml")));
    const std::string once = ReadBytes(folder.File("paper.xml"));
    const std::string twice = ReadBytes(elsewhere.File("paper.xml"));
    const auto difference = std::mismatch(once.begin(), once.end(), twice.begin(), twice.end());
    EXPECT_TRUE(difference.first == once.end() && difference.second == twice.end())
        << "first difference at byte " << (difference.first - once.begin()) << ": "
        << Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(once.data() + ((difference.first - once.begin()) & ~size_t{1})),
                                           std::min<size_t>(120, (once.end() - difference.first) / 2)));
    EXPECT_TRUE(messages.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Files, SamplePapers,
                         ::testing::Values("horizontal_one_column.xml", "horizontal_one_column_utf16.xml",
                                           "vertical_two_columns.xml", "horizontal_formula.xml",
                                           "horizontal_inline_nodes.xml"));

}  // namespace
