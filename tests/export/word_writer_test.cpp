// The Word writers against a recording server: the calls a small paper makes, call for call
// with typed arguments, as Word's page setup, character format, question numbers, labels,
// tables, boxes, ruby, formulas and pictures need them; and what a refused call, a null object
// or a node without layout ends.
#include "export/word_writer.h"

#include "export/convert_progress.h"
#include "math/formula.h"
#include "math/math_char.h"
#include "nodes/edit_box.h"
#include "nodes/edit_char.h"
#include "nodes/edit_object.h"
#include "nodes/kanbun_cell.h"
#include "nodes/edit_print.h"
#include "nodes/edit_sentence.h"
#include "nodes/edit_switches.h"
#include "nodes/edit_table.h"
#include "nodes/floating_frame.h"
#include "nodes/in_text_answer.h"
#include "nodes/labelled_underline.h"
#include "nodes/page_furniture.h"
#include "nodes/picture_node.h"
#include "nodes/question_numbers.h"
#include "nodes/ruby.h"
#include "platform/clipboard.h"
#include "platform/global_memory.h"
#include "platform/utf8.h"
#include "nodes/display_map.h"
#include "tests/export/export_fixture.h"
#include "tests/export/writer_fixture.h"
#include "tests/support/recording_server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using namespace writertest;

// "ＭＳ 明朝" in code page 932, and its vertical form.
constexpr char kMincho[] = "\x82\x6c\x82\x72 \x96\xbe\x92\xa9";
constexpr char kAtMincho[] = "@\x82\x6c\x82\x72 \x96\xbe\x92\xa9";

// Word's points of a length, as the server prints a float.
std::string Points(int hmm)
{
    char text[64];
    std::snprintf(text, sizeof text, "%gf", static_cast<float>(hmm * 72.0 / 2540.0));
    return text;
}

// The character format of a node, as the Part's steps set it on Selection.Font.
struct FORMAT {
    std::string face = "ＭＳ Ｐ明朝";
    int height = 371;
    int color = 1;
    int bold = 0;
    int italic = 0;
    int underline = 0;
    int strike = 0;
    int scaling = 100;
    int script = 0;
    int background = 8;
    int texture = 0;
    int border = 0;  // -1: the border is left alone
};

Lines Format(const FORMAT& f)
{
    Lines lines = {"Selection.Font get()",
                   "Font.Name put(\"" + f.face + "\")",
                   "Font.Size put(" + Points(f.height) + ")",
                   "Font.ColorIndex put(" + std::to_string(f.color) + ")",
                   "Font.Bold put(" + std::to_string(f.bold) + ")",
                   "Font.Italic put(" + std::to_string(f.italic) + ")",
                   "Font.Underline put(" + std::to_string(f.underline) + ")",
                   "Font.StrikeThrough put(" + std::to_string(f.strike) + ")",
                   "Font.Scaling put(" + std::to_string(f.scaling) + ")"};
    if (f.script == 1) {
        lines.push_back("Font.Subscript put(1)");
    } else if (f.script == 2) {
        lines.push_back("Font.Superscript put(1)");
    } else {
        lines.push_back("Font.Subscript put(0)");
        lines.push_back("Font.Superscript put(0)");
    }
    lines.insert(lines.end(), {"Font.Shading get()",
                               "Shading.BackgroundPatternColorIndex put(" + std::to_string(f.background) + ")",
                               "Shading.Texture put(" + std::to_string(f.texture) + ")"});
    if (f.border >= 0)
        lines.insert(lines.end(), {"Font.Borders get()", "Borders.Item call(1)",
                                   "Item.LineStyle put(" + std::to_string(f.border) + ")"});
    return lines;
}

const Lines kSelection = {"Document.ActiveWindow get()", "ActiveWindow.ActivePane get()",
                          "ActivePane.Selection get()"};
// What every call of the node writer starts with.
const Lines kNodeStart = Join({kSelection,
                               {"Selection.Font get()", "Font.Name put(\"Orvellan Gaiji\")",
                                "Selection.TypeText call(\" \")", "Selection.TypeBackspace call()"}});

Lines Indent(const std::string& points)
{
    return {"Selection.ParagraphFormat get()", "ParagraphFormat.LeftIndent put(" + points + ")"};
}

Lines Type(const std::string& text) { return {"Selection.TypeText call(\"" + text + "\")"}; }
const Lines kParagraph = {"Selection.TypeParagraph call()"};

class WordWriterTest : public ::testing::Test {
protected:
    WordWriterTest()
    {
        m_server->NameObjectsByMember();
        for (const char* member :
             {"ActiveWindow", "ActivePane", "Selection", "PageSetup", "LineNumbering", "TextColumns", "Range",
              "ParagraphFormat", "Font", "Shading", "Borders", "Item", "InlineShapes", "AddOLEObject", "Tables", "Add",
              "Rows", "Columns", "Cell", "GoTo"})
            m_server->ReturnsObject(member);
        m_server->Returns("Count", VARIANT::Long(1));
        m_root.SetMargins(2540, 1270, 635, 2540);
        m_savedAnswers = InTextAnswersVisible;
    }
    ~WordWriterTest() override
    {
        InTextAnswersVisible = m_savedAnswers;
        m_document.ReleaseDispatch();
        EXPECT_EQ(m_server->LiveObjects(), 0) << "an automation object was not released";
    }
    // The transcript of writing node, and nothing before it.
    Lines NodeTranscript(CEditNode* node, EXPORT_NODE_CONTEXT context = {0, 0, 1, 0})
    {
        m_server->ClearTranscript();
        CWordDocumentWriter writer(m_root, m_document);
        writer.WriteWordNode(node, context);
        return m_server->Transcript();
    }
    CEditSentence* Part()
    {
        auto* part = Add(&m_root, new CEditSentence());
        return part;
    }

    std::shared_ptr<CRecordingServer> m_server = std::make_shared<CRecordingServer>();
    CWordDispatch m_document{m_server->NewObject("Document")};
    CEditPrint m_root;
    int m_savedAnswers = 1;
};

// --- the document writer

TEST_F(WordWriterTest, APaperSetsUpTheWordPageThenWritesItsBlocksAndNameFields)
{
    const Lines layout = {"Document.PageSetup get()",
                          "PageSetup.LineNumbering get()",
                          "LineNumbering.Active put(0)",
                          "PageSetup.Orientation put(0)",
                          "PageSetup.TopMargin put(36f)",
                          "PageSetup.BottomMargin put(72f)",
                          "PageSetup.LeftMargin put(72f)",
                          "PageSetup.RightMargin put(18f)",
                          "PageSetup.Gutter put(0f)",
                          "PageSetup.HeaderDistance put(0f)",
                          "PageSetup.FooterDistance put(0f)",
                          "PageSetup.PageWidth put(" + Points(21000) + ")",
                          "PageSetup.PageHeight put(" + Points(29700) + ")",
                          "PageSetup.FirstPageTray put(0)",
                          "PageSetup.OtherPagesTray put(0)",
                          "PageSetup.SectionStart put(2)",
                          "PageSetup.OddAndEvenPagesHeaderFooter put(0)",
                          "PageSetup.DifferentFirstPageHeaderFooter put(0)",
                          "PageSetup.VerticalAlignment put(0)",
                          "PageSetup.SuppressEndnotes put(0)",
                          "PageSetup.MirrorMargins put(0)",
                          "PageSetup.TwoPagesOnOne put(false)",
                          "PageSetup.#131 put(0)"};
    const auto columns = [](int count) {
        return Lines{"Document.PageSetup get()", "PageSetup.TextColumns get()",
                     "TextColumns.SetCount call(" + std::to_string(count) + ")"};
    };
    const Lines paragraphDefaults = {"Document.Range call(&missing, &missing)",
                                     "Range.Select call()",
                                     "Range.ParagraphFormat get()",
                                     "ParagraphFormat.LeftIndent put(0f)",
                                     "ParagraphFormat.RightIndent put(0f)",
                                     "ParagraphFormat.LineSpacingRule put(3)",
                                     "ParagraphFormat.LineSpacing put(0.5f)",
                                     "ParagraphFormat.BaseLineAlignment put(1)"};
    const Lines finalIndents = {"Selection.ParagraphFormat get()", "ParagraphFormat.LeftIndent put(0f)",
                                "ParagraphFormat.RightIndent put(0f)"};
    const Lines nameField = Join({{"Selection.GoTo call(&1, &2, &missing, &1)"}, kNodeStart,
                                  Format({}), Type("名"), kParagraph, Indent("0f")});
    struct Case {
        const char* what;
        int vertical;
        int columns;
        Lines expected;
    };
    const Case cases[] = {
        {"one column: the name field on its flagged page", 0, 1,
         Join({kSelection, layout, {"Selection.Orientation put(0)"}, columns(1), paragraphDefaults, finalIndents,
               nameField})},
        {"vertical writing sets the text orientation", 1, 1,
         Join({kSelection, layout, {"Selection.Orientation put(1)"}, columns(1), paragraphDefaults, finalIndents,
               nameField})},
        {"three columns are two, and the name field is left out", 0, 3,
         Join({kSelection, layout, {"Selection.Orientation put(0)"}, columns(2), paragraphDefaults, finalIndents})},
    };
    auto* nameFieldNode = new CEditKimeiran();
    Char(nameFieldNode, u"名");
    LineEnd(nameFieldNode);
    m_root.SetNameFieldTemplate(std::unique_ptr<CEditNode>(nameFieldNode));
    ASSERT_TRUE(m_root.SetPageFlagged(1, true));
    for (const Case& c : cases) {
        m_root.m_vertical = c.vertical;
        m_root.m_geometry.columnCount = c.columns;
        m_server->ClearTranscript();
        RecordingProgress progress;
        {
            CWordDocumentWriter writer(m_root, m_document);
            writer.WriteWordDocument(progress);
        }
        EXPECT_EQ(m_server->Transcript(), c.expected) << c.what;
        // An empty paper: the range is 0 to 0 and no position is set.
        EXPECT_EQ(progress.calls, Lines{"range 0 0"}) << c.what;
    }
}

TEST_F(WordWriterTest, BlocksAreCountedForProgressHiddenOnesSkippedAndAlignmentFallsBackToJustify)
{
    struct Case {
        int align;  // of the part's first line break; -1: no line break
        int expected;
    };
    const Case cases[] = {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 3}, {-1, 3}};
    for (const Case& c : cases) {
        auto* part = Part();
        Char(part, u"a");
        if (c.align >= 0)
            LineEnd(part, c.align);
    }
    auto* hidden = Part();
    hidden->m_hidden = 1;
    Char(hidden, u"x");
    LineEnd(hidden);
    auto* box = Add(&m_root, new CEditGai());
    LineEnd(box);
    auto* pageBreak = Add(&m_root, new CEditKaiPage());
    pageBreak->Fill();
    auto* hiddenBreak = Add(&m_root, new CEditKaiPage());
    hiddenBreak->m_hidden = 1;
    RecordingProgress progress;
    {
        CWordDocumentWriter writer(m_root, m_document);
        writer.WriteWordDocument(progress);
    }
    const int blocks = m_root.GetChildCount();
    Lines expectedProgress = {"range 0 " + std::to_string(blocks)};
    for (int i = 0; i < blocks; ++i)
        expectedProgress.push_back("pos " + std::to_string(i));
    EXPECT_EQ(progress.calls, expectedProgress) << "the last position is N - 1";

    Lines alignments;
    int breaks = 0;
    int typed = 0;
    for (const std::string& line : m_server->Transcript()) {
        if (line.rfind("ParagraphFormat.Alignment put(", 0) == 0)
            alignments.push_back(line);
        breaks += line == "Selection.InsertBreak call(&7)" ? 1 : 0;
        typed += line == "Selection.TypeText call(\"x\")" ? 1 : 0;
    }
    Lines expected;
    for (const Case& c : cases)
        expected.push_back("ParagraphFormat.Alignment put(" + std::to_string(c.expected) + ")");
    EXPECT_EQ(alignments, expected);
    EXPECT_EQ(breaks, 1) << "a hidden page break writes none";
    EXPECT_EQ(typed, 0) << "a hidden part writes nothing";
}

TEST_F(WordWriterTest, ARefusedLayoutCallEndsTheLayoutOnlyAndARefusedBlockCallEndsTheWriter)
{
    auto* part = Part();
    Char(part, u"a");
    LineEnd(part);
    Add(&m_root, new CEditGai());
    auto* second = Part();
    Char(second, u"b");
    LineEnd(second);
    m_server->Fails("Gutter", u"余白を設定できません。");
    m_server->Fails("InsertBreak", u"");
    RecordingProgress progress;
    {
        CWordDocumentWriter writer(m_root, m_document);
        // The text box's paragraph mark is refused: the writer ends with the server's exception.
        m_server->Fails("TypeParagraph", u"段落を追加できません。", 2);
        EXPECT_THROW(writer.WriteWordDocument(progress), COleDispatchException);
    }
    const Lines transcript = m_server->Transcript();
    const auto has = [&](const std::string& line) {
        return std::find(transcript.begin(), transcript.end(), line) != transcript.end();
    };
    EXPECT_TRUE(has("PageSetup.Gutter put(0f)"));
    EXPECT_FALSE(has("PageSetup.HeaderDistance put(0f)")) << "the layout step ended at the refused call";
    EXPECT_FALSE(has("Selection.Orientation put(0)"));
    EXPECT_TRUE(has("Selection.TypeText call(\"a\")")) << "the content is written after a refused layout";
    EXPECT_FALSE(has("Selection.TypeText call(\"b\")")) << "nothing after the refused block call";
}

TEST_F(WordWriterTest, ANullSelectionEndsTheWriterWithTheFailureCallersCatch)
{
    auto server = std::make_shared<CRecordingServer>();
    server->Returns("ActiveWindow", VARIANT::Object(nullptr));
    CWordDispatch document(server->NewObject());
    auto* part = Part();
    Char(part, u"a");
    LineEnd(part);
    RecordingProgress progress;
    CWordDocumentWriter writer(m_root, document);
    EXPECT_THROW(writer.WriteWordDocument(progress), COleException);
    EXPECT_EQ(writer.WriteWordNode(part, {}), 1) << "the node writer ends its node and returns";
}

// --- runs and character format

TEST_F(WordWriterTest, ARunOfOneFormatIsTypedOnceInTheFormatOfItsFirstCharacter)
{
    auto* part = Part();
    Char(part, u"a");
    Char(part, u"b");
    CEditChar* bold = Char(part, u"c");
    bold->m_lf.lfWeight = 700;
    LineEnd(part);
    Char(part, u"d");
    LineEnd(part);
    FORMAT boldFormat;
    boldFormat.bold = 1;
    EXPECT_EQ(NodeTranscript(part, {500, 0, 1, 0}),
              Join({kNodeStart, Format({}), Type("ab"), Format(boldFormat), Type("c"), kParagraph,
                    Indent(Points(500)), Format({}), Type("d"), kParagraph, Indent(Points(500))}));
}

TEST_F(WordWriterTest, TheCharacterFormatFollowsTheColourUnderlineAndFaceMaps)
{
    struct ColourCase {
        COLORREF color;
        LONG index;
    };
    const ColourCase colours[] = {{0x000000, 1},  {0x000080, 13}, {0x0000FF, 6},  {0x008000, 11}, {0x008080, 14},
                                  {0x00FF00, 4},  {0x00FFFF, 7},  {0x800000, 9},  {0x800080, 12}, {0x808000, 10},
                                  {0xFFFF00, 3},  {0x808080, 15}, {0xC0C0C0, 16}, {0xFF0000, 2},  {0xFF00FF, 5},
                                  {0xFFFFFF, 8},  {0x123456, 0},  {0x000001, 0}};
    for (const ColourCase& c : colours)
        EXPECT_EQ(WordColorIndex(c.color), c.index) << std::hex << c.color;
    struct UnderlineCase {
        int style;
        LONG normal;
        LONG thick;
    };
    const UnderlineCase underlines[] = {{0, 0, 0},   {1, 1, 6},   {2, 3, 3},   {3, 4, 20},
                                        {4, 7, 23},  {5, 9, 25},  {6, 10, 26}, {7, 11, 27}, {8, 0, 0}};
    for (const UnderlineCase& c : underlines) {
        EXPECT_EQ(WordUnderline(c.style, 1), c.normal) << c.style;
        EXPECT_EQ(WordUnderline(c.style, 3), c.thick) << c.style;
        EXPECT_EQ(WordUnderline(c.style, 2), c.thick) << "any width but 1 is thick";
    }

    // One character with every field set: a vertical face loses its "@".
    CEditChar character(u'x');
    CopyFaceName(character.m_lf.lfFaceName, kAtMincho);
    character.m_lf.lfHeight = -176;
    character.m_lf.lfItalic = 1;
    character.m_color = 0x0000FF;
    character.EditCharacterRecord()->m_underlineStyle = 7;
    character.EditCharacterRecord()->m_underlineWidth = 3;
    character.EditCharacterRecord()->m_lineThroughStyle = 1;
    character.EditFontRecord()->m_fontWidth = 2;
    character.m_scriptPosition = 2;
    character.EditBorderRecord()->m_backgroundColor = 0x00FFFF;
    character.EditBorderRecord()->m_backgroundPattern = 3;
    character.EditBorderRecord()->m_borderStyle = 1;
    CWordDispatch selection(m_server->NewObject("Selection"));
    SetWordCharFormat(selection, &character, {0, 0, 0, 0}, 0);
    FORMAT expected{"ＭＳ 明朝", 176, 6, 0, 1, 27, 1, 200, 2, 7, -12, 1};
    EXPECT_EQ(m_server->Transcript(), Format(expected));
    // Condensed, subscript, forced black, the border left alone.
    m_server->ClearTranscript();
    character.EditFontRecord()->m_fontWidth = 1;
    character.m_scriptPosition = 1;
    character.EditBorderRecord()->m_backgroundPattern = 7;
    SetWordCharFormat(selection, &character, {0, 0, 0, 1}, 1);
    expected = FORMAT{"ＭＳ 明朝", 176, 1, 0, 1, 27, 1, 50, 1, 7, 0, -1};
    EXPECT_EQ(m_server->Transcript(), Format(expected));
    // A refused call ends the format quietly.
    m_server->ClearTranscript();
    m_server->Fails("Bold", u"書式を設定できません。");
    SetWordCharFormat(selection, &character, {}, 0);
    EXPECT_EQ(m_server->Transcript().back(), "Font.Bold put(0)");
}

TEST_F(WordWriterTest, AHiddenAnswerIsWrittenAsBlanksInItsOwnFormat)
{
    auto* part = Part();
    auto* answer = Add(part, new CEditCyukai());
    CEditChar* half = Char(answer, u"a");
    half->m_color = 0x0000FF;
    CEditChar* full = Char(answer, u"答");
    full->m_color = 0x0000FF;
    LineEnd(answer);
    LineEnd(part);
    FORMAT red;
    red.color = 6;
    for (int visible : {1, 0}) {
        InTextAnswersVisible = visible;
        EXPECT_EQ(NodeTranscript(part),
                  Join({kNodeStart, kNodeStart, Format(red), Type(visible ? "a答" : " \u3000"), Indent("0f"),
                        kParagraph, Indent("0f")}))
            << visible;
    }
}

TEST_F(WordWriterTest, ALabelledUnderlineTypesItsLabelOnceRaisedInVerticalAndLoweredInHorizontalWriting)
{
    auto* part = Part();
    auto* kasen = Add(part, new CEditKasen());
    for (const char16_t* text : {u"a", u"b"}) {
        CEditChar* character = Char(kasen, text);
        character->EditCharacterRecord()->m_underlineStyle = 1;
        character->EditCharacterRecord()->m_underlineWidth = 1;
        character->EditNumbering().m_renbanType = 1;
        character->m_runNumber = 2;
        CopyFaceName(character->EditNumbering().m_renbanFace, kMincho);
    }
    LineEnd(kasen);
    LineEnd(part);
    FORMAT underlined;
    underlined.underline = 1;
    for (int vertical : {0, 1}) {
        m_root.m_vertical = vertical;
        const std::string script = vertical ? "Superscript" : "Subscript";
        const Lines label = {"Selection.Font get()",
                             "Font.Name put(\"ＭＳ 明朝\")",
                             "Font.Size put(10.5f)",
                             "Font.ColorIndex put(1)",
                             "Font.Bold put(0)",
                             "Font.Italic put(0)",
                             "Font.Underline put(0)",
                             "Font.StrikeThrough put(0)",
                             "Font.Scaling put(100)",
                             "Font." + script + " put(1)",
                             "Selection.TypeText call(\"②\")",
                             "Font." + script + " put(0)"};
        EXPECT_EQ(NodeTranscript(part),
                  Join({kNodeStart, kNodeStart, label, Format(underlined), Type("ab"), Indent("0f"), kParagraph,
                        Indent("0f")}))
            << vertical;
    }
}

TEST_F(WordWriterTest, QuestionNumbersFramePointsLabelsAndFloatingFrames)
{
    auto* part = Part();
    part->m_questionNumber = 1;
    auto* number = Add(part, new CEditDmonno(2));
    number->SetText(u"\u3000１");
    number->m_width = 600;
    number->m_color = 0xFF00FF;
    auto* sub = Add(part, new CEditMonno(1));
    sub->SetText(u"(1)\u3000");
    sub->m_width = 800;
    auto* points = Add(part, new CEditHaiten());
    points->SetText(u"（10点）");
    auto* shown = Add(part, new CEditHaiten());
    shown->m_info.p3 = 10;
    shown->SetText(u"（10点）");
    Char(part, u"a");
    auto* frame = Add(part, new CEditFloat());
    Char(frame, u"f");
    LineEnd(frame);
    Char(part, u"b");
    LineEnd(part);
    const FORMAT blank;
    const Lines transcript = NodeTranscript(part);
    // The major number: its leading space in the blank format, then the number framed in black.
    const Lines majorStart = Join({kNodeStart, Format(blank), Type("\u3000")});
    ASSERT_GE(transcript.size(), majorStart.size());
    EXPECT_EQ(Lines(transcript.begin(), transcript.begin() + static_cast<long>(majorStart.size())), majorStart);
    const auto position = [&](const std::string& line, size_t from = 0) {
        return std::find(transcript.begin() + static_cast<long>(from), transcript.end(), line) - transcript.begin();
    };
    const size_t one = static_cast<size_t>(position("Selection.TypeText call(\"１\")"));
    ASSERT_LT(one, transcript.size());
    EXPECT_EQ(transcript[one - 1], "Item.LineStyle put(1)") << "a framed number has a character border";
    EXPECT_EQ(transcript[one - 14], "Font.ColorIndex put(1)") << "in black";
    EXPECT_EQ(number->BorderRecord().m_borderStyle, 0) << "the label's own border comes back";
    EXPECT_EQ(Lines(transcript.begin() + static_cast<long>(one) + 1, transcript.begin() + static_cast<long>(one) + 3),
              Indent("0f"));
    // The minor number: its trailing space typed after it, in the blank format.
    const size_t minor = static_cast<size_t>(position("Selection.TypeText call(\"(1)\")"));
    ASSERT_LT(minor, transcript.size());
    EXPECT_EQ(Lines(transcript.begin() + static_cast<long>(minor) + 1,
                    transcript.begin() + static_cast<long>(minor) + 1 + static_cast<long>(Format(blank).size()) + 1),
              Join({Format(blank), Type("\u3000")}));
    // Only the label with points is written; the frame comes before the run it interrupts.
    int labels = 0;
    for (const std::string& line : transcript)
        labels += line == "Selection.TypeText call(\"（10点）\")" ? 1 : 0;
    EXPECT_EQ(labels, 1);
    const long f = position("Selection.TypeText call(\"f\")");
    const long ab = position("Selection.TypeText call(\"ab\")");
    EXPECT_LT(f, ab);
    // The lines after a number are indented by its width.
    EXPECT_EQ(transcript[transcript.size() - 1], "ParagraphFormat.LeftIndent put(" + Points(800) + ")");
}

// --- tables, boxes and ruby

class WordTableTest : public WordWriterTest {
protected:
    CEditTable* Table(CQNXMLNode* parent, int rows, int columns)
    {
        auto* table = Add(parent, new CEditTable());
        table->Create(rows, columns);
        for (int i = 0; i < table->GetChildCount(); ++i) {
            CEditNode* cell = table->GetEditChild(i);
            cell->m_width = 1000 + 100 * i;
            cell->m_height = 500 + 10 * i;
        }
        return table;
    }
};

TEST_F(WordTableTest, AVerticalTableIsTransposedAndSizedAndAHorizontalOneIsNot)
{
    auto* part = Part();
    CEditTable* table = Table(part, 2, 3);
    m_root.m_vertical = 1;
    m_server->Returns("Count", VARIANT::Long(3));
    m_server->Returns("Information", VARIANT::Long(0));
    Lines transcript = NodeTranscript(table, {1270, 0, 1, 0});
    const Lines head = Join({kNodeStart, kSelection,
                             {"Selection.TypeParagraph call()", "Selection.TypeParagraph call()", "Document.Tables get()",
                              "Selection.Range get()", "Tables.Add call(#Range, 3, 2)", "Add.#113 put(0f)",
                              "Add.#114 put(0f)", "Add.#115 put(0f)", "Add.#116 put(0f)", "Add.Range get()",
                              "Range.Select call()", "Range.ParagraphFormat get()",
                              "ParagraphFormat.LeftIndent put(0f)", "ParagraphFormat.RightIndent put(0f)",
                              "ParagraphFormat.LineSpacingRule put(3)", "ParagraphFormat.LineSpacing put(0.5f)",
                              "Add.AutoFitBehavior call(1)", "Add.Select call()", "Selection.Orientation put(1)",
                              "Add.Rows get()", "Rows.#13 put(0f)", "Rows.#14 put(0f)", "Rows.#20 put(0f)",
                              "Rows.#21 put(0f)", "Rows.#17 put(36f)", "Rows.Count get()"}});
    ASSERT_GE(transcript.size(), head.size());
    EXPECT_EQ(Lines(transcript.begin(), transcript.begin() + static_cast<long>(head.size())), head);
    // Word row j is node column j: its height the widest cell of that column.
    const Lines rows = {"Rows.Item call(1)", "Item.Height put(" + Points(1300) + ")", "Rows.Item call(2)",
                        "Item.Height put(" + Points(1400) + ")", "Rows.Item call(3)",
                        "Item.Height put(" + Points(1500) + ")"};
    EXPECT_EQ(Lines(transcript.begin() + static_cast<long>(head.size()),
                    transcript.begin() + static_cast<long>(head.size() + rows.size())),
              rows);
    // Word column 1 is node row 1 (the right-hand one), column 2 node row 0.
    const Lines firstColumn = {"Add.Columns get()",   "Columns.Count get()",  "Add.Cell call(1, 1)",
                               "Cell.Range get()",    "Range.Select call()",  "Selection.SelectColumn call()",
                               "Selection.Columns get()", "Columns.#106 put(3)",
                               "Columns.#105 put(" + Points(550) + ")"};
    const auto at = std::find(transcript.begin(), transcript.end(), "Add.Columns get()");
    ASSERT_NE(at, transcript.end());
    EXPECT_EQ(Lines(at, at + static_cast<long>(firstColumn.size())), firstColumn);
    // Node cell (0, 0) goes to Word cell (1, 2).
    const auto cells = std::find(at, transcript.end(), "Add.Cell call(1, 2)");
    ASSERT_NE(cells, transcript.end());
    const auto firstCell = std::find(cells + 1, transcript.end(), "Add.Cell call(1, 2)");
    ASSERT_NE(firstCell, transcript.end());
    EXPECT_EQ(*(firstCell + 7), "ParagraphFormat.LineSpacing put(0.5f)");
    // Out of the table: the last cell, then marks while the position is right of the indent
    // (here it is not).
    EXPECT_EQ(Lines(transcript.end() - 5, transcript.end()),
              (Lines{"Add.Cell call(3, 2)", "Cell.Range get()", "Range.Select call()",
                     "Selection.MoveRight call(&1, &2, &0)", "Selection.Information get(5)"}));

    // Horizontal: no row heights, no column widths, one mark after it.
    m_root.m_vertical = 0;
    transcript = NodeTranscript(table);
    for (const std::string& line : transcript) {
        EXPECT_EQ(line.find("Rows"), std::string::npos) << line;
        EXPECT_EQ(line.find("#105"), std::string::npos) << line;
    }
    EXPECT_NE(std::find(transcript.begin(), transcript.end(), "Tables.Add call(#Range, 2, 3)"), transcript.end());
    EXPECT_EQ(Lines(transcript.end() - 5, transcript.end()),
              (Lines{"Add.Cell call(2, 3)", "Cell.Range get()", "Range.Select call()",
                     "Selection.MoveRight call(&1, &2, &0)", "Selection.TypeParagraph call()"}));
}

TEST_F(WordTableTest, LeavingAVerticalTableAddsAtMostOneMarkMoreThanItHasLines)
{
    auto* part = Part();
    CEditTable* table = Table(part, 2, 1);
    m_root.m_vertical = 1;
    struct Case {
        VARIANT position;
        int marks;
    };
    const Case cases[] = {
        {VARIANT::Long(1000), 3},           // never left of the indent: T + 1 with T = 2
        {VARIANT::Long(0), 0},              // already there
        {VARIANT::Double(5000.0), 3},       // another type is changed to a long first
    };
    for (const Case& c : cases) {
        m_server->Returns("Information", c.position);
        const Lines transcript = NodeTranscript(table);
        const auto out = std::find(transcript.begin(), transcript.end(), "Selection.MoveRight call(&1, &2, &0)");
        ASSERT_NE(out, transcript.end());
        const long marks = std::count(out, transcript.end(), "Selection.TypeParagraph call()");
        EXPECT_EQ(marks, c.marks);
    }
    // Text that is no number ends the table writer there.
    m_server->Returns("Information", VARIANT::String(u"x"));
    const Lines transcript = NodeTranscript(table);
    EXPECT_EQ(transcript.back(), "Selection.Information get(5)");
}

TEST_F(WordTableTest, ATableInTheNameFieldGetsOneMarkAndNoWidthsAndARefusedAddLeavesTwoMarks)
{
    auto* nameField = Add(&m_root, new CEditKimeiran());
    CEditTable* table = Table(nameField, 1, 2);
    m_root.m_vertical = 1;
    Lines transcript = NodeTranscript(table);
    EXPECT_EQ(Lines(transcript.begin() + static_cast<long>(kNodeStart.size() + kSelection.size()),
                    transcript.begin() + static_cast<long>(kNodeStart.size() + kSelection.size()) + 2),
              (Lines{"Selection.TypeParagraph call()", "Document.Tables get()"}));
    for (const std::string& line : transcript)
        EXPECT_EQ(line.find("#105"), std::string::npos) << line;

    auto* part = Part();
    CEditTable* other = Table(part, 1, 2);
    m_server->Fails("Add", u"表を追加できません。");
    transcript = NodeTranscript(other);
    EXPECT_EQ(Lines(transcript.end() - 5, transcript.end()),
              (Lines{"Selection.TypeParagraph call()", "Selection.TypeParagraph call()", "Document.Tables get()",
                     "Selection.Range get()", "Tables.Add call(#Range, 2, 1)"}));
}

TEST_F(WordTableTest, AOneLineCellIsABorderedBoxAndATableWithAMissingCellEndsTheTable)
{
    auto* part = Part();
    CEditTable* table = Table(part, 1, 1);
    CEditNode* cell = table->GetEditChild(0);
    cell->InsertChildAt(0, new CEditChar(CStringW(u"x")));
    auto box = std::make_unique<CEditBox>();
    box->SetLineAtGrow(0, EDIT_LINE());
    static_cast<CEditContainer*>(cell)->SetBoxAtGrow(0, std::move(box));
    const Lines border = {"Selection.Font get()", "Font.Borders get()", "Borders.Item call(1)"};
    {
        m_server->ClearTranscript();
        CWordDocumentWriter writer(m_root, m_document);
        writer.WriteWordBox(table, {700, 0, 1, 0});
        FORMAT plain;
        plain.border = -1;
        EXPECT_EQ(m_server->Transcript(),
                  Join({kSelection, Indent(Points(700)), border, {"Item.LineStyle put(1)"}, kNodeStart, Format(plain),
                        Type("x"), Indent("0f"), border, {"Item.LineStyle put(0)"}}));
    }
    // Two lines: a one-cell Word table.
    static_cast<CEditContainer*>(cell)->GetBox(0)->SetLineAtGrow(1, EDIT_LINE());
    {
        m_server->ClearTranscript();
        CWordDocumentWriter writer(m_root, m_document);
        writer.WriteWordBox(table, {});
        const Lines transcript = m_server->Transcript();
        EXPECT_NE(std::find(transcript.begin(), transcript.end(), "Tables.Add call(#Range, 1, 1)"), transcript.end());
    }
    // A missing cell ends the table writer before any cell is written.
    CEditTable* broken = Table(part, 1, 2);
    broken->GetEditChild(1)->DetachAndDelete();
    const Lines transcript = NodeTranscript(broken);
    EXPECT_EQ(transcript.back(), "Add.AutoFitBehavior call(1)");
}

TEST_F(WordWriterTest, RubyAttachesItsReadingUnlessTheBaseIsInTheGaijiFont)
{
    auto* part = Part();
    auto* ruby = Add(part, new CEditRuby());
    CEditNode* base = Add(ruby, new CEditRubyBase());
    CEditNode* reading = Add(ruby, new CEditRubyText());
    CEditChar* kanji = Char(base, u"漢");
    LineEnd(base);
    LineEnd(reading);
    for (const char16_t* text : {u"か", u"n"}) {
        CEditChar* kana = new CEditChar(CStringW(text));
        CopyFaceName(kana->m_lf.lfFaceName, kAtMincho);
        kana->m_lf.lfHeight = -176;
        reading->InsertChildAt(reading->GetChildCount() - 1, kana);
    }
    struct Case {
        const char* what;
        int mask;
        bool gaijiBase;
        Lines tail;
    };
    const Lines guide = {"Selection.MoveStart call(&1, &-1)", "Selection.Range get()",
                         "Range.PhoneticGuide call(\"かn\", 2, 0, 5, \"ＭＳ 明朝\")", "Selection.Move call(&1, &2)"};
    const Case cases[] = {
        {"a reading of 5 pt in the horizontal face", 0, false, Join({kSelection, guide})},
        {"a masked reading of blanks", 1, true,
         Join({kSelection, {"Selection.MoveStart call(&1, &-1)", "Selection.Range get()",
                            "Range.PhoneticGuide call(\"\u3000 \", 2, 0, 5, \"ＭＳ 明朝\")",
                            "Selection.Move call(&1, &2)"}})},
        {"a gaiji base keeps its text only", 0, true, Join({Type("漢"), Indent("0f")})},
    };
    for (const Case& c : cases) {
        CopyFaceName(kanji->m_lf.lfFaceName, c.gaijiBase ? "Orvellan Gaiji" : kMincho);
        m_server->ClearTranscript();
        {
            CWordDocumentWriter writer(m_root, m_document);
            writer.WriteWordRuby(ruby, {0, c.mask, 1, 0});
        }
        const Lines transcript = m_server->Transcript();
        ASSERT_GE(transcript.size(), c.tail.size()) << c.what;
        EXPECT_EQ(Lines(transcript.end() - static_cast<long>(c.tail.size()), transcript.end()), c.tail) << c.what;
    }
}

// --- formulas and pictures

TEST_F(WordWriterTest, AFormulaGoesToWordAsAFragmentFileThatIsGoneAfterItsInsertion)
{
    auto* part = Part();
    auto* formula = Add(part, new CEditMath());
    formula->AppendChild(new CEditMathChar(CStringW(u"x")));
    formula->AppendChild(new CEditMathCR());
    LineEnd(part);
    auto layout = std::make_unique<CEditBox>();
    layout->m_width = 5300;
    layout->m_height = 1200;
    part->SetBoxAtGrow(0, std::move(layout));
    formula->m_boxIndex = 0;

    std::string fragmentPath;
    std::string fragment;
    m_server->OnCall("AddOLEObject", [&](const std::vector<VARIANT>& arguments) {
        ASSERT_EQ(arguments.size(), 8u);
        fragmentPath = Utf16ToUtf8(arguments[1].pvarVal->bstrVal);
        fragment = exporttest::ReadText(fragmentPath);
    });
    const Lines transcript = NodeTranscript(part, {300, 0, 1, 0});
    const auto insert = std::find_if(transcript.begin(), transcript.end(), [](const std::string& line) {
        return line.rfind("InlineShapes.AddOLEObject call(", 0) == 0;
    });
    ASSERT_NE(insert, transcript.end());
    EXPECT_EQ(*insert, "InlineShapes.AddOLEObject call(&\"Vumat.Document\", &\"" + fragmentPath +
                           "\", &false, &false, &missing, &missing, &missing, &missing)");
    // The blank format and the indent come first.
    EXPECT_EQ(Lines(transcript.begin() + static_cast<long>(kNodeStart.size()),
                    transcript.begin() + static_cast<long>(kNodeStart.size() + Format({}).size() + 2)),
              Join({Format({}), Indent(Points(300))}));
    // Named as the temporary-file call names it, in a folder of the export's own.
    const fs::path file(fragmentPath);
    EXPECT_EQ(file.filename().string().substr(0, 3), "QNI");
    EXPECT_EQ(file.extension().string(), ".QNI");
    EXPECT_EQ(file.filename().string().size(), std::string("QNI0000.QNI").size());
    EXPECT_NE(file.parent_path(), fs::temp_directory_path()) << "a private folder";
    // The fragment: Shift-JIS, one block container of the box's width less the indent.
    EXPECT_EQ(fragment.rfind("<?xml", 0), 0u) << fragment;
    EXPECT_NE(fragment.find("Shift-JIS"), std::string::npos) << fragment;
    EXPECT_NE(fragment.find("width=\"50mm\""), std::string::npos) << fragment;
    EXPECT_NE(fragment.find("height=\"12mm\""), std::string::npos) << fragment;
    EXPECT_NE(fragment.find(">x<"), std::string::npos) << fragment;
    EXPECT_FALSE(fs::exists(file)) << "deleted after the insertion";
    EXPECT_FALSE(fs::exists(file.parent_path())) << "the export's folder goes with it";
    EXPECT_EQ(part->GetEditChild(0), formula) << "the formula is back in its place";
    EXPECT_EQ(formula->GetParent(), part);

    // A refused insertion leaves no file either; a formula without a layout box is left out.
    m_server->Fails("AddOLEObject", u"挿入できません。");
    NodeTranscript(part);
    EXPECT_FALSE(fs::exists(fragmentPath));
    part->DeleteBoxes();
    fragmentPath.clear();
    m_server->ClearTranscript();
    const Lines without = NodeTranscript(part);
    EXPECT_TRUE(fragmentPath.empty());
    EXPECT_EQ(std::count(without.begin(), without.end(), "Selection.TypeParagraph call()"), 1);
    EXPECT_EQ(part->GetEditChild(0), formula);
}

TEST_F(WordWriterTest, APictureIsPastedThroughTheClipboardWhichTheUserGetsBack)
{
    auto* part = Part();
    auto* picture = Add(part, new CEditGraphic());
    picture->m_width = 2540;
    picture->m_height = 1270;
    auto* empty = Add(part, new CEditGraphic());
    LineEnd(part);
    // A 1 × 1 bitmap.
    const std::vector<uint8_t> dib = {40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 4, 0, 0, 0,
                                      0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 0};
    HGLOBAL block = GlobalAlloc(0, dib.size());
    std::copy(dib.begin(), dib.end(), static_cast<uint8_t*>(GlobalLock(block)));
    GlobalUnlock(block);
    ASSERT_TRUE(picture->TakePastedDib(block, CDisplayMap()));
    picture->m_width = 2540;
    picture->m_height = 1270;
    (void)empty;

    ASSERT_TRUE(SetClipboardUnicodeText(u"先生のメモ"));
    bool pictureOnClipboard = false;
    m_server->OnCall("Paste", [&](const std::vector<VARIANT>&) {
        std::vector<BYTE> bytes;
        pictureOnClipboard = GetClipboardDib(bytes);
    });
    const Lines transcript = NodeTranscript(part);
    EXPECT_TRUE(pictureOnClipboard);
    std::u16string text;
    EXPECT_TRUE(GetClipboardUnicodeText(text));
    EXPECT_EQ(text, u"先生のメモ") << "the user's clipboard is back";
    const Lines sized = {"Selection.Paste call()", "Document.InlineShapes get()", "InlineShapes.Count get()",
                         "InlineShapes.Item call(1)", "Item.Width put(72f)", "Item.Height put(36f)",
                         "Selection.ParagraphFormat get()", "ParagraphFormat.BaseLineAlignment put(1)"};
    const auto paste = std::find(transcript.begin(), transcript.end(), "Selection.Paste call()");
    ASSERT_NE(paste, transcript.end());
    EXPECT_EQ(Lines(paste, paste + static_cast<long>(sized.size())), sized);
    EXPECT_EQ(std::count(transcript.begin(), transcript.end(), "Selection.Paste call()"), 1)
        << "a picture without bitmap data is skipped";
}

TEST_F(WordWriterTest, AKanbunPassageIsOneObjectOfTheCellsOfItsBoxAndItsClosingLineBreakMarksTheParagraph)
{
    auto* part = Part();
    LOGFONTA font = CEditChar(u'a').m_lf;
    for (const char16_t* text : {u"学", u"而"}) {
        auto* cell = Add(part, new CEditKan());
        cell->BuildFromText(CStringW(text), 0, &font);
    }
    LineEnd(part);
    auto layout = std::make_unique<CEditBox>();
    layout->m_width = 4000;
    layout->m_height = 2000;
    part->SetBoxAtGrow(0, std::move(layout));
    std::string fragmentPath;
    std::string fragment;
    m_server->OnCall("AddOLEObject", [&](const std::vector<VARIANT>& arguments) {
        fragmentPath = Utf16ToUtf8(arguments[1].pvarVal->bstrVal);
        fragment = exporttest::ReadText(fragmentPath);
    });
    const Lines transcript = NodeTranscript(part);
    EXPECT_EQ(std::count_if(transcript.begin(), transcript.end(),
                            [](const std::string& line) { return line.find("AddOLEObject") != std::string::npos; }),
              1)
        << "both cells in one object";
    EXPECT_EQ(transcript[transcript.size() - 2],
              "InlineShapes.AddOLEObject call(&\"Tobel.Document\", &\"" + fragmentPath +
                  "\", &false, &false, &missing, &missing, &missing, &missing)");
    // The line break went with the passage: its paragraph mark comes after the object.
    EXPECT_EQ(transcript.back(), "Selection.TypeParagraph call()");
    EXPECT_EQ(fs::path(fragmentPath).extension().string(), ".QNH");
    EXPECT_NE(fragment.find("width=\"40mm\""), std::string::npos) << fragment;
    EXPECT_FALSE(fs::exists(fragmentPath));
    ASSERT_EQ(part->GetChildCount(), 3);
    EXPECT_TRUE(part->GetEditChild(0)->IsKind(EditKind::kKan));
    EXPECT_TRUE(part->GetEditChild(1)->IsKind(EditKind::kKan));
    EXPECT_TRUE(part->GetEditChild(2)->IsKind(EditKind::kCR));
}

TEST_F(WordWriterTest, AnObjectWithABlankItemIsNotPasted)
{
    auto* part = Part();
    Add(part, new CEditObject());
    LineEnd(part);
    EXPECT_EQ(NodeTranscript(part),
              Join({kNodeStart, Format({}), Indent("0f"),
                    {"Selection.ParagraphFormat get()", "ParagraphFormat.BaseLineAlignment put(1)"}, kParagraph,
                    Indent("0f")}));
}

}  // namespace
