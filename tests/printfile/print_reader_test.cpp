// The reader: the two question-id parsers, what it takes from the data part and the stylesheet,
// its repairs, and bad input, which gives a clear error, never a crash, and touches no file.
#include "printfile_fixture.h"
#include "tests/support/case_names.h"

#include "printfile/fo_to_edit.h"
#include "printfile/mondai_id_parsers.h"
#include "printfile/print_reader.h"

#include <filesystem>

using namespace printfiletest;

namespace {

struct IdCase {
    const char* what;
    const char16_t* text;
    int form;
    std::vector<std::array<int, 4>> records;  // first code, problem, sub, flag
};

class MondaiIdParsers : public ::testing::TestWithParam<IdCase> {};

TEST_P(MondaiIdParsers, ReadTheRecords)
{
    const IdCase& c = GetParam();
    const auto records = c.form == 1 ? ReadMondaiIdRecords(CStringW(c.text)) : ReadMondaiId2Records(CStringW(c.text));
    ASSERT_EQ(records.size(), c.records.size()) << Narrow(CStringW(c.text));
    for (size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(records[i]->m_kind, c.form);
        EXPECT_EQ(records[i]->m_codes[0], c.records[i][0]);
        EXPECT_EQ(records[i]->m_problemNumber, c.records[i][1]);
        EXPECT_EQ(records[i]->m_subNumber, c.records[i][2]);
        EXPECT_EQ(records[i]->m_modified, c.records[i][3]);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, MondaiIdParsers,
    ::testing::Values(
        IdCase{"one record", u"0000001200003,1,", 1, {{998, 12, 3, 1}}},
        IdCase{"no comma after the flag", u"0000001200003,1", 1, {{998, 12, 3, 1}}},
        IdCase{"spaces and a return inside", u" 00000012 00003 ,\r1,", 1, {{998, 12, 3, 1}}},
        IdCase{"a code too short for its numbers", u"12345,0,", 1, {{999, -1, -1, 0}}},
        IdCase{"two records on lines", u"0000001200000,1,\n0000001300002,0,\r\n", 1, {{998, 12, 0, 1}, {998, 13, 2, 0}}},
        IdCase{"line breaks for commas", u"0000001200000\n1\n", 1, {{998, 12, 0, 1}}},
        IdCase{"empty text", u"", 1, {}},
        IdCase{"second form one record", u"1,2,3,4,5,6,120,7,1", 2, {{1, 120, 7, 1}}},
        IdCase{"second form without a flag", u"1,2,3,4,5,6,120,7,", 2, {{1, 120, 7, 0}}},
        IdCase{"second form two records", u"1,0,0,0,0,0,5,0,1,\n2,0,0,0,0,0,6,1,0,\n", 2, {{1, 5, 0, 1}, {2, 6, 1, 0}}},
        IdCase{"second form empty text", u"", 2, {}}),
    CaseNameFromWhat());

// The horizontal sample with pieces replaced.
std::u16string Sample(std::initializer_list<std::pair<std::u16string, std::u16string>> replacements)
{
    std::u16string text = ReadUtf8Text(DataPath("horizontal_one_column.xml"));
    for (const auto& [from, to] : replacements) {
        const size_t at = text.find(from);
        EXPECT_NE(at, std::u16string::npos) << Utf16ToUtf8(from);
        if (at != std::u16string::npos)
            text.replace(at, from.size(), to);
    }
    return text;
}

TEST(PrintFileReader, HorizontalSampleGivesTheTreeItDescribes)
{
    RegisterPaperFaces();
    MessageRecorder messages;
    CEditPrint root;
    ASSERT_TRUE(LoadXmlFile(&root, DataPath("horizontal_one_column_utf16.xml")));
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(root.m_geometry.width, 21000);
    EXPECT_EQ(root.m_geometry.height, 29700);
    int left = 0, top = 0, right = 0, bottom = 0;
    root.GetMargins(&left, &top, &right, &bottom);
    EXPECT_EQ((std::array{left, top, right, bottom}), (std::array{1500, 2000, 1000, 2500}));
    EXPECT_EQ(root.m_vertical, 0);
    EXPECT_EQ(root.m_geometry.columnCount, 1);
    EXPECT_EQ(Narrow(root.m_searchProgId), "QB.Search");
    EXPECT_EQ(PrintFileSearchInfoFlag, 1);
    ASSERT_EQ(root.GetChildCount(), 8);
    auto* question = dynamic_cast<CEditSentence*>(root.GetEditChild(0));
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(question->m_questionNumber, 1);
    EXPECT_EQ(question->m_partKind, PART_QUESTION);
    EXPECT_EQ(question->m_haiten.p3, 20);
    EXPECT_EQ(question->m_mondaiInfo.m_problemNumber, 12);
    EXPECT_TRUE(dynamic_cast<CEditDmonno*>(question->GetEditChild(0)) != nullptr);
    // The bold red 核 of the second line: 12 pt Gothic.
    CEditNode* bold = question->GetEditChild(15);
    EXPECT_EQ(Narrow(bold->GetText()), "核");
    EXPECT_EQ(bold->FontRecord().m_fontWeight, 700);
    EXPECT_EQ(bold->FontRecord().m_fontSize, PointsToHmm(12, 0));
    EXPECT_EQ(FaceOf(bold), "ＭＳ ゴシック");
    EXPECT_EQ(bold->m_color, 0x0000FFu);
    auto* answerField = dynamic_cast<CEditSentence*>(root.GetEditChild(1));
    EXPECT_EQ(answerField->m_areaWidth, 8000);
    EXPECT_EQ(root.GetEditChild(2)->m_hidden, 2);
    // Without a name field in the file the template is the default table of three cells.
    ASSERT_NE(root.GetNameFieldTemplate(), nullptr);
    CQNXMLNode* table = root.GetNameFieldTemplate()->GetFirstChild();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->m_typeCode, EditKind::Code(EditKind::kTable));
    EXPECT_EQ(table->GetChildCount(), 3);
    auto* sub = dynamic_cast<CEditSentence*>(root.GetEditChild(4));
    EXPECT_EQ(sub->m_subQuestionNumber, 1);
    EXPECT_EQ(Narrow(sub->GetEditChild(1)->GetText()), " ");
}

TEST(PrintFileReader, VerticalSampleIsTurnedIntoTheRootsOrientation)
{
    RegisterPaperFaces();
    CEditPrint root;
    ASSERT_TRUE(LoadXmlFile(&root, DataPath("vertical_two_columns.xml")));
    EXPECT_EQ(root.m_vertical, 1);
    EXPECT_EQ(root.m_geometry.width, 21000);
    EXPECT_EQ(root.m_geometry.height, 29700);
    int left = 0, top = 0, right = 0, bottom = 0;
    root.GetMargins(&left, &top, &right, &bottom);
    EXPECT_EQ((std::array{left, top, right, bottom}), (std::array{2500, 1500, 2000, 1000}));
    EXPECT_EQ(root.m_geometry.columnCount, 2);
    EXPECT_EQ(root.m_partLayoutMode, 1);
    EXPECT_EQ(root.m_identificationForm, 2);
    EXPECT_TRUE(root.IsPageFlagged(1));
    EXPECT_FALSE(root.IsPageFlagged(2));
    ASSERT_EQ(root.GetNameFieldLayer()->GetChildCount(), 1);
    CStringW nameText;
    root.GetNameFieldLayer()->GetChildAt(0)->GetSubtreeText(nameText);
    EXPECT_EQ(Narrow(nameText), "氏名\r\n");
    EXPECT_TRUE(root.GetEditChild(4)->IsKind(EditKind::kGai));
    EXPECT_TRUE(root.GetEditChild(5)->IsKind(EditKind::kKaiPage));
    // A sub-question's points of type 4 stay visible; its label has the record.
    CEditSentence* sub = root.FindSubPart(2, 1, 1);
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->m_haiten.visibility, 1);
    // The second sub-question had no label: it gets a hidden one.
    CEditSentence* second = root.FindSubPart(2, 2, 1);
    auto* label = dynamic_cast<CEditHaiten*>(second->FindDescendantOfType(EditKind::Code(EditKind::kHaiten)));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->m_hidden, 2);
    EXPECT_EQ(label->m_caretStop, 0);
}

TEST(PrintFileReader, BankFieldsAndLayoutMode)
{
    struct Case {
        std::u16string from, to;
        int flag;
        const char* id;
        int mode;
    } cases[] = {
        // Blank-only text is dropped as the file is loaded, so a blank identifier counts as none.
        {u"<SearchProgID>QB.Search</SearchProgID>", u"<SearchProgID>   </SearchProgID>", 0, "", 0},
        {u"<SearchProgID>QB.Search</SearchProgID>", u"<SearchProgID> Q B\n</SearchProgID>", 1, "QB", 0},
        {u"<SearchProgID>QB.Search</SearchProgID>", u"", 0, "", 0},
        {u"<print>", u"<print field-sequence=\"0\">", 1, "QB.Search", 0},
        {u"<print>", u"<print field-sequence=\"5\">", 1, "QB.Search", 0},
        {u"<print>", u"<print field-sequence=\"3\">", 1, "QB.Search", 3},
    };
    for (const Case& c : cases) {
        CEditPrint root;
        ASSERT_TRUE(LoadXmlString(&root, Sample({{c.from, c.to}})));
        EXPECT_EQ(PrintFileSearchInfoFlag, c.flag);
        EXPECT_EQ(Narrow(root.m_searchProgId), c.id);
        EXPECT_EQ(root.m_partLayoutMode, c.mode);
    }
}

TEST(PrintFileReader, FragmentResultIsTheFirstQuestionText)
{
    const std::u16string text =
        u"<print><dmon><mon><dai><sp>断片</sp></dai></mon></dmon>"
        u"<xsl:stylesheet version='1.0' xmlns:xsl='http://www.w3.org/1999/XSL/Transform' "
        u"xmlns:fo='http://www.w3.org/1999/XSL/Format'><xsl:template match='/'><fo:block-container><fo:block>"
        u"<fo:inline><xsl:value-of select='/print/dmon/mon/dai/sp'/></fo:inline></fo:block></fo:block-container>"
        u"</xsl:template></xsl:stylesheet></print>";
    CEditPrint root;
    ASSERT_TRUE(LoadXmlString(&root, text));
    ASSERT_EQ(root.GetChildCount(), 1);
    auto* part = dynamic_cast<CEditSentence*>(root.GetEditChild(0));
    EXPECT_EQ(part->m_questionNumber, 1);
    EXPECT_EQ(part->m_partKind, PART_QUESTION);
    CStringW partText;
    part->GetSubtreeText(partText);
    EXPECT_EQ(Narrow(partText), "断片\r\n");
}

struct BadInput {
    const char* what;
    std::u16string text;
    const char* message;  // the start of the message shown, or empty for a silent failure
};

class PrintFileBadInput : public ::testing::TestWithParam<BadInput> {};

TEST_P(PrintFileBadInput, FailsWithAClearErrorAndTouchesNoFile)
{
    const BadInput& c = GetParam();
    TempFolder folder;
    const std::string path = folder.File("bad.xml");
    {
        std::ofstream out(path, std::ios::binary);
        out << Utf16ToUtf8(c.text);
    }
    const std::string before = ReadBytes(path);
    MessageRecorder messages;
    CEditPrint root;
    EXPECT_FALSE(LoadXmlFile(&root, path)) << c.what;
    if (*c.message == '\0') {
        EXPECT_TRUE(messages.messages.empty()) << c.what;
    } else {
        ASSERT_FALSE(messages.messages.empty()) << c.what;
        EXPECT_EQ(messages.messages.back().rfind(c.message, 0), 0u) << c.what << ": " << messages.messages.back();
    }
    EXPECT_EQ(ReadBytes(path), before);
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
        files += entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, 1u) << c.what;
}

std::u16string Nested(int depth)
{
    std::u16string text = u"<print>";
    for (int i = 0; i < depth; ++i)
        text += u"<a>";
    for (int i = 0; i < depth; ++i)
        text += u"</a>";
    return text + u"</print>";
}

INSTANTIATE_TEST_SUITE_P(
    Table, PrintFileBadInput,
    ::testing::Values(
        BadInput{"truncated file", Sample({}).substr(0, 900), "XML Parsing Error: Code=0x"},
        BadInput{"not XML at all", u"MSCF\x01\x02", "XML Parsing Error"},
        BadInput{"bytes its declared encoding cannot convert", u"<?xml version='1.0' encoding='EUC-JP'?>\n<print>\n日本</print>",
                 "XML Parsing Error: Code=0x1773 Source=Line:3; Char:1 "},
        BadInput{"wrong root without a stylesheet", u"<html><body/></html>", ""},
        BadInput{"a stylesheet outside the document element",
                 u"<print><x><xsl:stylesheet version='1.0' xmlns:xsl='http://www.w3.org/1999/XSL/Transform'>"
                 u"<xsl:template match='/'/></xsl:stylesheet></x></print>",
                 ""},
        BadInput{"deep nesting", Nested(5000), "XML Parsing Error"},
        BadInput{"huge page", Sample({{u"page-height=\"297mm\" page-width=\"210mm\" margin-top=\"20mm\"", u"page-height=\"99999999999mm\" page-width=\"210mm\" margin-top=\"20mm\""}}),
                 "印刷ファイルの用紙サイズ"},
        BadInput{"negative margin", Sample({{u"margin-left=\"15mm\"", u"margin-left=\"-15mm\""}}), "印刷ファイルの用紙サイズ"},
        BadInput{"margins wider than the page", Sample({{u"margin-left=\"15mm\"", u"margin-left=\"205mm\""}}), "印刷ファイルの用紙サイズ"},
        BadInput{"no columns", Sample({{u"column-count=\"1\"", u"column-count=\"0\""}}), "印刷ファイルの段数"},
        BadInput{"an external entity",
                 u"<!DOCTYPE print [<!ENTITY x SYSTEM 'file:///etc/passwd'>]>" + Sample({{u"<SearchInfo>SUBJ=BIO</SearchInfo>", u"<SearchInfo>&x;</SearchInfo>"}}).substr(39),
                 "XML Parsing Error"},
        BadInput{"a stylesheet that writes a file",
                 Sample({{u"<xsl:template match=\"/\">", u"<xsl:template match=\"/\"><exsl:document xmlns:exsl=\"http://exslt.org/common\" href=\"written.xml\"><x/></exsl:document>"}}),
                 "FO Parsing Error"},
        BadInput{"a flow that yields no part",
                 u"<print><xsl:stylesheet version='1.0' xmlns:xsl='http://www.w3.org/1999/XSL/Transform' "
                 u"xmlns:fo='http://www.w3.org/1999/XSL/Format'><xsl:template match='/'><fo:root><fo:page-sequence>"
                 u"<fo:flow/></fo:page-sequence></fo:root></xsl:template></xsl:stylesheet></print>",
                 ""},
        BadInput{"an FO result of unknown elements",
                 u"<print><xsl:stylesheet version='1.0' xmlns:xsl='http://www.w3.org/1999/XSL/Transform'>"
                 u"<xsl:template match='/'><html><body/></html></xsl:template></xsl:stylesheet></print>",
                 ""}),
    CaseNameFromWhat());

TEST(PrintFileReader, InvalidCp932BytesAreSubstituted)
{
    // A paper declared in Shift-JIS whose SearchInfo holds a byte pair that code page 932 lacks.
    std::u16string text = Sample({{u"encoding=\"UTF-8\"", u"encoding=\"Shift-JIS\""}});
    std::string bytes = WideToCp932(text);
    const size_t at = bytes.find("SUBJ=BIO");
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at, 3, "\x81\xff\x85");
    TempFolder folder;
    const std::string path = folder.File("sjis.xml");
    {
        std::ofstream out(path, std::ios::binary);
        out << bytes;
    }
    // The layer decodes what code page 932 lacks as substitutes: the paper reads whole.
    CEditPrint root;
    ASSERT_TRUE(LoadXmlFile(&root, path));
    const std::string info = Narrow(root.m_searchInfo);
    EXPECT_NE(info, "SUBJ=BIO");
    EXPECT_EQ(info.substr(info.size() - 4), "=BIO");
    EXPECT_EQ(root.GetChildCount(), 8);
}

TEST(PrintFileReader, SideFileNamesStayInThePapersFolder)
{
    CEditPrint root;
    root.SetPathName("/papers/test.xml");
    std::string path;
    CStringW error;
    EXPECT_TRUE(ResolveSideFilePath(&root, "test-01.png", path, error));
    EXPECT_EQ(path, "/papers/test-01.png");
    for (const char* name : {"", ".", "..", "../secret.png", "/etc/passwd", "sub/a.png", "..\\a.bin", "C:a.bin"}) {
        EXPECT_FALSE(ResolveSideFilePath(&root, name, path, error)) << name;
        EXPECT_FALSE(error.IsEmpty());
    }
}

TEST(PrintFileReader, PageTableIndexesFromTheFileAreBounded)
{
    std::u16string references;
    for (int i = 0; i < CEditPrint::kMaxPages + 5; ++i)
        references += u"<fo:single-page-master-reference master-reference=\"KimeiBodyPage\"/>";
    CEditPrint root;
    ASSERT_TRUE(LoadXmlString(&root, Sample({{u"<fo:single-page-master-reference master-reference=\"BodyPage\"/>", references}})));
    EXPECT_EQ(root.GetNameFieldLayer()->GetChildCount(), CEditPrint::kMaxPages);
    EXPECT_FALSE(root.IsPageFlagged(CEditPrint::kMaxPages + 1));
}

}  // namespace

namespace {

TEST(PrintFileReader, UnknownElementsAreLeftOutWithTheirContent)
{
    CEditPrint root;
    ASSERT_TRUE(LoadXmlString(&root, Sample({{u"<fo:block text-align=\"center\">",
                                              u"<fo:block text-align=\"center\"><fo:wrapper><fo:inline>隠</fo:inline></fo:wrapper>"
                                              u"<blink>点滅</blink><fo:inline-container id=\"nothing\"><fo:block><fo:inline>入</fo:inline></fo:block>"
                                              u"</fo:inline-container>"}})));
    CStringW text;
    root.GetEditChild(0)->GetSubtreeText(text);
    EXPECT_EQ(Narrow(text).find("隠"), std::string::npos);
    EXPECT_EQ(Narrow(text).find("点滅"), std::string::npos);
    EXPECT_NE(Narrow(text).find("細胞の核について述べよ。"), std::string::npos);
    // A holder whose id names no class gives its content to the part.
    EXPECT_NE(Narrow(text).find("入\r\n"), std::string::npos);
}

TEST(PrintFileReader, FormulasBecomeFormulaNodes)
{
    RegisterPaperFaces();
    CEditPrint root;
    ASSERT_TRUE(LoadXmlFile(&root, DataPath("horizontal_formula.xml")));
    CEditSentence* question = root.FindPart(1, 1);
    ASSERT_NE(question, nullptr);
    CQNXMLNode* formula = question->FindDescendantOfType(EditKind::Code(EditKind::kMath));
    ASSERT_NE(formula, nullptr);
    EXPECT_NE(formula->FindDescendantOfType(EditKind::Code(EditKind::kFrac)), nullptr);
    EXPECT_NE(formula->FindDescendantOfType(EditKind::Code(EditKind::kSuper)), nullptr);
    EXPECT_TRUE(IsLineBreak(static_cast<CEditNode*>(formula->GetLastChild())));
}

}  // namespace
