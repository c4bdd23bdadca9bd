// Sample papers written by hand read into the editing tree they describe, are written back and
// read again into the same tree.
#include "printfile_fixture.h"

#include "printfile/print_reader.h"
#include "printfile/print_writer.h"

using namespace printfiletest;

namespace {

TEST(PrintFileRoundTrip, EmptyPaperTemplateSavesAndReloads)
{
    RegisterPaperFaces();
    MessageRecorder messages;
    CEditPrint root;
    ASSERT_TRUE(LoadNewTemplate(&root, false));
    TempFolder folder;
    ASSERT_TRUE(SavePrintFile(&root, folder.File("new.xml")));
    const std::string before = DescribePaper(root);
    CEditPrint again;
    ASSERT_TRUE(LoadXmlFile(&again, folder.File("new.xml")));
    EXPECT_EQ(before, DescribePaper(again));
    EXPECT_TRUE(messages.messages.empty());
}

TEST(PrintFileRoundTrip, HorizontalSample)
{
    RegisterPaperFaces();
    MessageRecorder messages;
    CEditPrint root;
    ASSERT_TRUE(LoadXmlFile(&root, DataPath("horizontal_one_column.xml")));
    TempFolder folder;
    ASSERT_TRUE(SavePrintFile(&root, folder.File("paper.xml")));
    const std::string before = DescribePaper(root);
    CEditPrint again;
    ASSERT_TRUE(LoadXmlFile(&again, folder.File("paper.xml")));
    EXPECT_EQ(before, DescribePaper(again));
}

TEST(PrintFileRoundTrip, VerticalSample)
{
    RegisterPaperFaces();
    MessageRecorder messages;
    CEditPrint root;
    ASSERT_TRUE(LoadXmlFile(&root, DataPath("vertical_two_columns.xml")));
    TempFolder folder;
    ASSERT_TRUE(SavePrintFile(&root, folder.File("paper.xml")));
    const std::string before = DescribePaper(root);
    CEditPrint again;
    ASSERT_TRUE(LoadXmlFile(&again, folder.File("paper.xml")));
    EXPECT_EQ(before, DescribePaper(again));
}

}  // namespace
