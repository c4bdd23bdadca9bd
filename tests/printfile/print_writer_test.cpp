// The writer: page geometry, question-bank data, data part, page masters, flow and templates of
// a paper built in code, the byte form of the file, and saves that used to lose data.
#include "printfile_fixture.h"

#include "base/element_classes.h"
#include "printfile/edit_to_fo.h"
#include "printfile/print_reader.h"
#include "printfile/print_writer.h"

#include <filesystem>
#include <memory>

using namespace printfiletest;

namespace {

template <class T = CEditSentence>
T* AddPart(CEditPrint& root, int question, int sub, int kind, const char16_t* text, bool closeLine = true)
{
    auto part = std::make_unique<T>();
    part->m_questionNumber = question;
    part->m_subQuestionNumber = sub;
    part->m_partKind = kind;
    for (const char16_t* c = text; *c != 0; ++c)
        part->AppendChild(new CEditChar(*c));
    if (closeLine)
        part->AppendChild(new CEditCR());
    T* raw = part.get();
    root.AppendChild(part.release());
    return raw;
}

void AddQuestion(CEditPrint& root, int question, int sub, const char16_t* text)
{
    AddPart(root, question, sub, PART_QUESTION, text);
    for (int kind = PART_ANSWER_FIELD; kind <= PART_EXPLANATION; ++kind)
        AddPart(root, question, sub, kind, u"");
}

// The saved file, loaded for XPath with the fo and xsl prefixes.
struct SavedFile {
    explicit SavedFile(const std::string& path)
    {
        EXPECT_TRUE(document.load(path));
        document.setProperty(u"SelectionLanguage", u"XPath");
        document.setProperty(u"SelectionNamespaces", u"xmlns:fo='http://www.w3.org/1999/XSL/Format' "
                                                     u"xmlns:xsl='http://www.w3.org/1999/XSL/Transform'");
    }
    std::vector<std::string> Values(const char16_t* xpath) const
    {
        std::vector<std::string> values;
        for (const XmlNode& node : document.selectNodes(xpath))
            values.push_back(Utf16ToUtf8(node.nodeType() == XmlNodeType::Element ? node.text() : node.nodeValue()));
        return values;
    }
    std::string Value(const char16_t* xpath) const
    {
        const auto values = Values(xpath);
        return values.empty() ? "<none>" : values.front();
    }
    XmlDocument document;
};

using Strings = std::vector<std::string>;

class PrintFileWriter : public ::testing::Test {
protected:
    void SetUp() override { RegisterPaperFaces(); }
    std::string Save(CEditPrint& root, const char* name = "paper.xml")
    {
        const std::string path = folder.File(name);
        EXPECT_TRUE(SavePrintFile(&root, path));
        return path;
    }
    TempFolder folder;
};

TEST_F(PrintFileWriter, HorizontalGeometryInWholeMillimetres)
{
    CEditPrint root;
    root.SetMargins(1050, 1000, 1000, 1000);
    AddQuestion(root, 1, 0, u"問");
    SavedFile file(Save(root));
    EXPECT_EQ(file.Values(u"//fo:simple-page-master/@page-width"), Strings(6, "210mm"));
    EXPECT_EQ(file.Values(u"//fo:simple-page-master/@page-height"), Strings(6, "297mm"));
    EXPECT_EQ(file.Values(u"//fo:simple-page-master/@margin-left"), Strings(6, "10mm"));
    EXPECT_EQ(file.Values(u"//fo:simple-page-master/@margin-bottom"), Strings(6, "10mm"));
    EXPECT_EQ(file.Values(u"//fo:region-body/@column-count"), Strings(6, "1"));
    EXPECT_EQ(file.Values(u"//fo:simple-page-master/@writing-mode"), Strings());
    EXPECT_EQ(file.Values(u"/print/@field-sequence"), Strings());
}

TEST_F(PrintFileWriter, VerticalGeometryIsWrittenTurned)
{
    CEditPrint root;
    root.m_vertical = 1;
    root.m_geometry.columnCount = 3;
    root.m_partLayoutMode = 2;
    root.SetMargins(3000, 1500, 2000, 2500);
    AddQuestion(root, 1, 0, u"問");
    SavedFile file(Save(root));
    EXPECT_EQ(file.Values(u"//fo:simple-page-master/@page-width"), Strings(6, "297mm"));
    EXPECT_EQ(file.Values(u"//fo:simple-page-master/@page-height"), Strings(6, "210mm"));
    EXPECT_EQ(file.Value(u"//fo:simple-page-master/@margin-left"), "15mm");
    EXPECT_EQ(file.Value(u"//fo:simple-page-master/@margin-top"), "20mm");
    EXPECT_EQ(file.Value(u"//fo:simple-page-master/@margin-right"), "25mm");
    EXPECT_EQ(file.Value(u"//fo:simple-page-master/@margin-bottom"), "30mm");
    EXPECT_EQ(file.Values(u"//fo:simple-page-master/@writing-mode"), Strings(6, "tb-rl"));
    EXPECT_EQ(file.Values(u"//fo:region-body/@column-count"), Strings(6, "3"));
    EXPECT_EQ(file.Value(u"/print/@field-sequence"), "2");
}

TEST_F(PrintFileWriter, QuestionBankDataAndDataPart)
{
    CEditPrint root;
    root.m_searchProgId = u"QB";
    AddQuestion(root, 1, 0, u"一");
    AddQuestion(root, 2, 0, u"二");
    AddQuestion(root, 2, 1, u"a");
    AddQuestion(root, 2, 2, u"b");
    root.FindPart(1, 1)->m_mondaiInfo.SetCodes({998, 0, 0, 0, 0, 0});
    root.FindPart(1, 1)->m_mondaiInfo.SetNumbers(12, 0, 1);
    SavedFile file(Save(root));
    EXPECT_EQ(file.Value(u"/print/SearchProgID"), "QB");
    EXPECT_EQ(file.Value(u"/print/MondaiID").substr(0, 16), "0000001200000,1,");
    EXPECT_EQ(file.Values(u"/print/dmon").size(), 2u);
    EXPECT_EQ(file.Values(u"/print/dmon[2]/smon").size(), 2u);
    EXPECT_EQ(file.Values(u"/print/dmon[2]/smon[2]/*").size(), 4u);
    EXPECT_EQ(file.Values(u"/print/dmon[1]/smon").size(), 0u);
    EXPECT_EQ(file.Value(u"/print/dmon[2]/smon[2]/dai/sp[1]"), "b");
    EXPECT_EQ(file.Values(u"//xsl:template/@match").size(), 17u);
    EXPECT_EQ(file.Values(u"//fo:flow/xsl:apply-templates").size(), 16u);
    EXPECT_EQ(file.Values(u"//fo:single-page-master-reference/@master-reference"), Strings{"BodyPage"});
}

TEST_F(PrintFileWriter, TextBoxesAndAnswerPagesAreNumberedAcrossThePaper)
{
    CEditPrint root;
    AddPart<CEditGai>(root, 0, 0, PART_NONE, u"箱一");
    AddQuestion(root, 1, 0, u"問");
    auto page = std::make_unique<CEditKaiPage>();
    page->Fill();
    root.AppendChild(page.release());
    AddPart<CEditGai>(root, 0, 0, PART_NONE, u"箱二");
    SavedFile file(Save(root));
    EXPECT_EQ(file.Values(u"//xsl:template/fo:block-container/@id"), (Strings{"gai0011", "gai0012"}));
    EXPECT_EQ(file.Value(u"//fo:flow/fo:block-container/@id"), "kaipage0011");
    EXPECT_EQ(file.Value(u"//fo:flow/fo:block-container/@break-after"), "page");
    EXPECT_EQ(file.Value(u"//fo:flow/fo:block-container/following-sibling::xsl:apply-templates/@select"), "/print/gai[2]");
    EXPECT_EQ(file.Value(u"//xsl:template[@match='/print/gai[2]']//xsl:value-of/@select"), "sp[1]");
    EXPECT_EQ(file.Value(u"/print/gai[2]/sp"), "箱二");
}

TEST_F(PrintFileWriter, NameFieldPagesTemplateAndData)
{
    CEditPrint root;
    AddQuestion(root, 1, 0, u"問");
    ASSERT_TRUE(root.SetPageFlagged(1, true));
    root.GetNameFieldLayer()->AppendChild(new CEditKimeiran());
    auto nameField = std::make_unique<CEditKimeiran>();
    nameField->AppendChild(new CEditChar(u'名'));
    nameField->AppendChild(new CEditCR());
    root.SetNameFieldTemplate(std::move(nameField));
    const std::string path = Save(root);
    SavedFile file(path);
    EXPECT_EQ(file.Values(u"//fo:single-page-master-reference/@master-reference"), Strings{"KimeiBodyPage"});
    EXPECT_EQ(file.Value(u"/print/kim/sp"), "名");
    EXPECT_EQ(file.Value(u"//fo:static-content[@flow-name='kimei-region']/xsl:apply-templates/@select"), "/print/kim");
    EXPECT_EQ(file.Value(u"//xsl:template[@match='/print/kim']//xsl:value-of/@select"), "sp[1]");
    CEditPrint again;
    ASSERT_TRUE(LoadXmlFile(&again, path));
    ASSERT_EQ(again.GetNameFieldLayer()->GetChildCount(), 1);
    CStringW text;
    again.GetNameFieldLayer()->GetChildAt(0)->GetSubtreeText(text);
    EXPECT_EQ(Narrow(text), "名\r\n");
}

TEST_F(PrintFileWriter, SavedAsUtf16WithByteOrderMark)
{
    CEditPrint root;
    AddQuestion(root, 1, 0, u"問");
    const std::string bytes = ReadBytes(Save(root));
    ASSERT_GE(bytes.size(), 12u);
    EXPECT_EQ(bytes.substr(0, 12), std::string("\xFF\xFE<\0?\0x\0m\0l\0", 12));
    EXPECT_NE(bytes.find(std::string("U\0T\0F\0-\0" "1\0" "6\0", 12)), std::string::npos);
}

TEST_F(PrintFileWriter, AFailedSaveKeepsThePreviousFile)
{
    CEditPrint root;
    AddQuestion(root, 1, 0, u"問");
    const std::string path = Save(root);
    const std::string before = ReadBytes(path);
    CEditPrint empty;  // no part at all: nothing can be written
    MessageRecorder messages;
    EXPECT_FALSE(SavePrintFile(&empty, path));
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_FALSE(messages.messages.empty());
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
        files += entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, 1u);
}

TEST_F(PrintFileWriter, APaperHoldingAControlCharacterIsNotSavedAndTheFileIsKept)
{
    CEditPrint root;
    AddQuestion(root, 1, 0, u"問");
    const std::string path = Save(root);
    const std::string before = ReadBytes(path);
    CEditNode* character = root.GetEditChild(0)->GetEditChild(0);
    for (const char* face : {"A\x01", "\x1F"}) {
        CopyFaceName(character->m_lf.lfFaceName, face);
        MessageRecorder messages;
        EXPECT_FALSE(SavePrintFile(&root, path)) << face;
        EXPECT_EQ(ReadBytes(path), before);
        EXPECT_EQ(messages.messages.size(), 1u);
    }
    CopyFaceName(character->m_lf.lfFaceName, "Arial");
    character->SetText(u"\x01");
    EXPECT_FALSE(SavePrintFile(&root, path));
    EXPECT_EQ(ReadBytes(path), before);
}

// Saves that lost or changed data as the format was first laid down.
TEST_F(PrintFileWriter, APaperWithoutMajorQuestionIsSaved)
{
    CEditPrint root;
    AddPart<CEditGai>(root, 0, 0, PART_NONE, u"注意");
    const std::string path = Save(root);
    CEditPrint again;
    ASSERT_TRUE(LoadXmlFile(&again, path));
    ASSERT_EQ(again.GetChildCount(), 1);
    EXPECT_TRUE(again.GetEditChild(0)->IsKind(EditKind::kGai));
}

TEST_F(PrintFileWriter, CharactersAfterTheLastLineBreakAreWritten)
{
    CEditPrint root;
    AddPart(root, 1, 0, PART_QUESTION, u"終わり", false);
    const std::string path = Save(root);
    EXPECT_EQ(SavedFile(path).Value(u"/print/dmon/mon/dai/sp"), "終わり");
    CEditPrint again;
    ASSERT_TRUE(LoadXmlFile(&again, path));
    CStringW text;
    again.GetEditChild(0)->GetSubtreeText(text);
    EXPECT_EQ(Narrow(text), "終わり\r\n");
}

TEST_F(PrintFileWriter, BlankRunsAndMarkupCharactersComeBack)
{
    CEditPrint root;
    CEditSentence* part = AddPart(root, 1, 0, PART_QUESTION, u"  ", false);
    for (const char16_t c : std::u16string_view(u"a<b>&c"))
        part->AppendChild(new CEditChar(c));
    part->GetEditChild(2)->m_lf.lfWeight = 700;
    part->AppendChild(new CEditCR());
    const std::string path = Save(root);
    SavedFile file(path);
    EXPECT_EQ(file.Values(u"/print/dmon/mon/dai/sp/@xml:space"), Strings{"preserve"});
    EXPECT_EQ(file.Value(u"/print/dmon/mon/dai/sp[3]"), "<b>&c");
    CEditPrint again;
    ASSERT_TRUE(LoadXmlFile(&again, path));
    CStringW text;
    again.GetEditChild(0)->GetSubtreeText(text);
    EXPECT_EQ(Narrow(text), "  a<b>&c\r\n");
}

TEST_F(PrintFileWriter, TwoPointsLabelsKeepTheirOwnValues)
{
    CEditPrint root;
    CEditSentence* part = AddPart(root, 1, 0, PART_QUESTION, u"");
    for (const int points : {20, 30}) {
        auto label = std::make_unique<CEditHaiten>();
        label->m_info.style = 1;
        label->m_info.p3 = points;
        label->m_info.visibility = 1;
        part->InsertChildAt(part->GetChildCount() - 1, label.release());
    }
    CEditPrint again;
    ASSERT_TRUE(LoadXmlFile(&again, Save(root)));
    std::vector<int> values;
    for (int i = 0; i < again.GetEditChild(0)->GetChildCount(); ++i)
        if (auto* label = dynamic_cast<CEditHaiten*>(again.GetEditChild(0)->GetEditChild(i)))
            values.push_back(label->m_info.p3);
    EXPECT_EQ(values, (std::vector<int>{20, 30}));
}

TEST_F(PrintFileWriter, AThickRunFrameReadsBackThick)
{
    CEditPrint root;
    CEditSentence* part = AddPart(root, 1, 0, PART_QUESTION, u"枠");
    part->GetEditChild(0)->EditBorderRecord()->m_borderStyle = 1;
    part->GetEditChild(0)->EditBorderRecord()->m_borderWidth = 3;
    const std::string path = Save(root);
    EXPECT_EQ(SavedFile(path).Value(u"//fo:inline/@border-width"), "thick");
    CEditPrint again;
    ASSERT_TRUE(LoadXmlFile(&again, path));
    EXPECT_EQ(again.GetEditChild(0)->GetEditChild(0)->BorderRecord().m_borderStyle, 1);
    EXPECT_EQ(again.GetEditChild(0)->GetEditChild(0)->BorderRecord().m_borderWidth, 3);
}

TEST_F(PrintFileWriter, LineSpacingStopsDriftingAfterOneSave)
{
    CEditPrint root;
    root.m_lineSpacing = 70;
    AddQuestion(root, 1, 0, u"行");
    CEditPrint once;
    ASSERT_TRUE(LoadXmlFile(&once, Save(root, "once.xml")));
    CEditPrint twice;
    ASSERT_TRUE(LoadXmlFile(&twice, Save(once, "twice.xml")));
    EXPECT_EQ(once.m_lineSpacing, twice.m_lineSpacing);
    EXPECT_NEAR(once.m_lineSpacing, 70, 2);
}

// The converter's own shapes: empty lines, runs, labels.
TEST(EditToFo, LinesRunsAndLabels)
{
    RegisterPaperFaces();
    CEditSentence part;
    part.AppendChild(new CEditCR());  // an empty line
    part.AppendChild(new CEditChar(u'a'));
    auto* bold = new CEditChar(u'b');
    bold->m_lf.lfWeight = 700;
    bold->EditFontRecord()->m_fontWeight = 700;
    part.AppendChild(bold);
    part.AppendChild(new CEditChar(u'c'));
    auto* nothing = new CEditHaiten();
    nothing->m_info.p2 = 5;
    part.AppendChild(nothing);
    part.AppendChild(new CEditCR());
    CFoBlockContainer container;
    XML_BUILD_CONTEXT context;
    BuildXmlTree(&part, &container, &context);
    ASSERT_EQ(container.GetChildCount(), 2);
    CQNXMLNode* empty = container.GetChildAt(0);
    ASSERT_EQ(empty->GetChildCount(), 1);
    EXPECT_TRUE(empty->GetChildAt(0)->GetText().IsEmpty());
    EXPECT_EQ(empty->GetChildAt(0)->GetBlank(), 0);
    CQNXMLNode* line = container.GetChildAt(1);
    ASSERT_EQ(line->GetChildCount(), 4);  // a, b, c and the empty closing run; no points label
    EXPECT_EQ(Narrow(line->GetChildAt(1)->GetText()), "b");
    EXPECT_EQ(dynamic_cast<CFoInline*>(line->GetChildAt(1))->m_fontWeight, 700);
}

}  // namespace

#include "math/formula.h"
#include "math/math_char.h"
#include "nodes/edit_table.h"
#include "nodes/kanbun_cell.h"
#include "nodes/ruby.h"
#include "../nodes/allocation_failure.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#define QN_IGNORE_LEAKS_BEGIN() __lsan_disable()
#define QN_IGNORE_LEAKS_END() __lsan_enable()
#else
#define QN_IGNORE_LEAKS_BEGIN()
#define QN_IGNORE_LEAKS_END()
#endif

namespace {

// A question with a kanbun cell, a ruby pair, a table and a formula.
void AddInlineObjectsQuestion(CEditPrint& root)
{
    CEditSentence* question = AddPart(root, 1, 0, PART_QUESTION, u"問", false);
    auto* kan = new CEditKan();
    kan->BuildFromText(u"学", 0, nullptr);
    question->AppendChild(kan);
    auto* ruby = new CEditRuby();
    ruby->AppendChild(new CEditRubyBase());
    ruby->AppendChild(new CEditRubyText());
    ruby->GetChildAt(0)->AppendChild(new CEditChar(u'字'));
    ruby->GetChildAt(1)->AppendChild(new CEditChar(u'じ'));
    question->AppendChild(ruby);
    auto* table = new CEditTable();
    table->Create(2, 2);
    question->AppendChild(table);
    auto* formula = new CEditMath();
    formula->AppendChild(new CEditMathChar(CStringW(u"x")));
    formula->AppendChild(new CEditMathCR());
    question->AppendChild(formula);
    question->AppendChild(new CEditCR());
    for (int kind = PART_ANSWER_FIELD; kind <= PART_EXPLANATION; ++kind)
        AddPart(root, 1, 0, kind, u"");
}

// Memory running out at any step of a save fails the save, shows why, and leaves the file of
// the save before byte for byte: no table, kanbun cell, formula or template part is silently
// dropped.
TEST_F(PrintFileWriter, RunningOutOfMemoryAnywhereFailsTheSaveAndKeepsTheFile)
{
    CEditPrint root;
    AddInlineObjectsQuestion(root);
    const std::string path = Save(root);
    const std::string before = ReadBytes(path);
    ASSERT_NE(before.find(std::string("t\0a\0b\0l\0e\0", 10)), std::string::npos);
    ASSERT_NE(before.find(std::string("m\0a\0t\0h\0", 8)), std::string::npos);

    bool completed = false;
    for (long step = 0; step < 200000 && !completed; ++step) {
        MessageRecorder messages;
        allocation::FailAfter(step);
        const bool saved = SavePrintFile(&root, path);
        const bool failed = allocation::Failed();
        allocation::Disarm();
        if (!failed) {
            EXPECT_TRUE(saved);
            completed = true;
            continue;
        }
        ASSERT_FALSE(saved) << "allocation " << step << " failed and the save still succeeded";
        ASSERT_EQ(ReadBytes(path), before) << "allocation " << step;
        ASSERT_FALSE(messages.messages.empty()) << "allocation " << step;
    }
    EXPECT_TRUE(completed);
    EXPECT_EQ(ReadBytes(path), before);
}

// Memory running out at any step of a read fails the read: a paper that lost its kanbun cell,
// table, ruby or formula on the way is never handed over as read.
TEST_F(PrintFileWriter, RunningOutOfMemoryAnywhereFailsTheRead)
{
    CEditPrint paper;
    AddInlineObjectsQuestion(paper);
    const std::string path = Save(paper);
    bool completed = false;
    for (long step = 0; step < 200000 && !completed; ++step) {
        CEditPrint root;
        // libxml2's parser and XSLT keep what they hold when an allocation fails under them;
        // this test is about the outcome of the read, not those blocks.
        QN_IGNORE_LEAKS_BEGIN();
        allocation::FailAfter(step);
        const bool read = LoadXmlFile(&root, path);
        const bool failed = allocation::Failed();
        allocation::Disarm();
        QN_IGNORE_LEAKS_END();
        if (failed)
            ASSERT_FALSE(read) << "allocation " << step << " failed and the read still succeeded";
        else
            completed = read;
    }
    EXPECT_TRUE(completed);
}

}  // namespace
