// Sample papers written by hand read into the editing tree they describe, are written back and
// read again into the same tree.
#include "printfile_fixture.h"
#include "tests/support/case_names.h"

#include "printfile/print_reader.h"
#include "printfile/print_writer.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

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
                                           "horizontal_inline_nodes.xml", "vertical_kanbun.xml"),
                         CaseNameFromFile());

// Sample papers changed by hand into forms our writer does not make itself: the first save may
// change them, but the second must write what the first wrote.
struct EditedPaper {
    const char* what;
    const char* file;
    std::string from;
    std::string to;
};

void PrintTo(const EditedPaper& paper, std::ostream* out) { *out << paper.what; }

// A saved file (UTF-16 with a byte-order mark) as UTF-8 text, one element a line, so that a
// difference shows where it is.
std::string SavedText(const std::string& path)
{
    const std::string bytes = ReadBytes(path);
    std::u16string text(bytes.size() / 2, u'\0');
    std::memcpy(text.data(), bytes.data(), text.size() * 2);
    std::string utf8 = Utf16ToUtf8(text);
    for (size_t at = utf8.find("><"); at != std::string::npos; at = utf8.find("><", at + 2))
        utf8.insert(at + 1, "\n");
    return utf8;
}

class EditedPapers : public ::testing::TestWithParam<EditedPaper> {};

TEST_P(EditedPapers, SavingTwiceWritesTheSameFile)
{
    RegisterPaperFaces();
    MessageRecorder messages;
    const EditedPaper& edit = GetParam();
    TempFolder folder;
    for (const auto& entry : std::filesystem::directory_iterator(DataPath("")))
        if (entry.path().extension() == ".png")
            std::filesystem::copy_file(entry.path(), folder.File(entry.path().filename().c_str()));
    std::string text = ReadBytes(DataPath(edit.file));
    ASSERT_NE(text.find(edit.from), std::string::npos);
    for (size_t at = text.find(edit.from); at != std::string::npos; at = text.find(edit.from, at + edit.to.size()))
        text.replace(at, edit.from.size(), edit.to);
    std::ofstream(folder.File("edited.xml"), std::ios::binary) << text;

    // Each save under the same name in a folder of its own, so that side files are named alike.
    std::filesystem::create_directory(folder.File("once"));
    std::filesystem::create_directory(folder.File("twice"));
    CEditPrint edited;
    ASSERT_TRUE(LoadXmlFile(&edited, folder.File("edited.xml")));
    ASSERT_TRUE(SavePrintFile(&edited, folder.File("once/paper.xml")));
    CEditPrint once;
    ASSERT_TRUE(LoadXmlFile(&once, folder.File("once/paper.xml")));
    ASSERT_TRUE(SavePrintFile(&once, folder.File("twice/paper.xml")));
    EXPECT_EQ(SavedText(folder.File("once/paper.xml")), SavedText(folder.File("twice/paper.xml")));
}

INSTANTIATE_TEST_SUITE_P(
    Files, EditedPapers,
    ::testing::Values(
        EditedPaper{"TableCellBorderWithoutWidth", "horizontal_inline_nodes.xml",
                    R"(<fo:table-cell border-style="solid" border-width="0.5pt">)", R"(<fo:table-cell border-style="solid">)"},
        EditedPaper{"DottedTableCellBorderWithoutWidth", "horizontal_inline_nodes.xml",
                    R"(<fo:table-cell border-style="solid" border-width="0.5pt">)", R"(<fo:table-cell border-style="dotted">)"},
EditedPaper{"IdentifiersOfSizesWrittenAlike", "horizontal_formula.xml", "<mo>+</mo>",
                    R"(<mi mathsize="10.4pt">a</mi><mi mathsize="10.5pt">b</mi><mo>+</mo>)"},
        EditedPaper{"RunsOfSizesWrittenAlike", "horizontal_formula.xml",
                    R"(<fo:inline font-family="ＭＳ 明朝" font-size="10.5pt"><xsl:value-of select="sp[1]"/></fo:inline>)",
                    R"(<fo:inline font-family="ＭＳ 明朝" font-size="10.4pt"><xsl:value-of select="sp[1]"/></fo:inline>)"
                    R"(<fo:inline font-family="ＭＳ 明朝" font-size="10.5pt"><xsl:value-of select="sp[1]"/></fo:inline>)"}),
    [](const ::testing::TestParamInfo<EditedPaper>& info) { return std::string(info.param.what); });

}  // namespace
