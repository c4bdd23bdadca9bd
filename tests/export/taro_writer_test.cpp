// The Ichitaro writers against a recording server that answers GetPage, GetRow, GetColumn and
// GetLineType from a script: the calls small papers make, call for call with typed arguments
// (whole numbers, doubles, texts, missing), the pure rules behind them, and what refused calls,
// answers of the wrong type and broken node trees end.
#include "export/taro_writer.h"

#include "export/convert_progress.h"
#include "export/word_steps.h"
#include "math/formula.h"
#include "math/math_char.h"
#include "nodes/edit_box.h"
#include "nodes/edit_char.h"
#include "nodes/edit_object.h"
#include "nodes/edit_print.h"
#include "nodes/edit_sentence.h"
#include "nodes/edit_switches.h"
#include "nodes/edit_table.h"
#include "nodes/floating_frame.h"
#include "nodes/in_text_answer.h"
#include "nodes/kanbun_cell.h"
#include "nodes/labelled_underline.h"
#include "nodes/page_furniture.h"
#include "nodes/picture_node.h"
#include "nodes/question_numbers.h"
#include "nodes/ruby.h"
#include "nodes/display_map.h"
#include "platform/clipboard.h"
#include "platform/embedding.h"
#include "platform/global_memory.h"
#include "platform/utf8.h"
#include "tests/export/export_fixture.h"
#include "tests/export/writer_fixture.h"
#include "tests/support/recording_server.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using namespace writertest;

// "ＭＳ 明朝" in code page 932, and its vertical forms.
constexpr char kMincho[] = "\x82\x6c\x82\x72 \x96\xbe\x92\xa9";
constexpr char kAtPMincho[] = "@\x82\x6c\x82\x72 \x82\x6f\x96\xbe\x92\xa9";

std::string Call(const std::string& member, const std::string& arguments = "")
{
    return "Library." + member + " call(" + arguments + ")";
}

// Points of a height in 1/100 mm, as the server prints a double.
std::string Points(int hmm)
{
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, hmm * 72 / 2540.0).ptr;
    return std::string(text, end);
}

// The input attributes of a character, as the six calls set them.
struct ATTR {
    int bold = 0;
    int italic = 0;
    std::string color = "R0G0B0";
    int underline = 0;
    int strike = 0;
    std::string border = "0";
    std::string face = "ＭＳ Ｐ明朝";
    std::string size = Points(371);
};

Lines Attr(const ATTR& a = {})
{
    return {Call("InputBold", std::to_string(a.bold)), Call("InputItalic", std::to_string(a.italic)),
            Call("InputDecoration", "\"" + a.color + "\", missing, " + std::to_string(a.underline) + ", " +
                                        std::to_string(a.strike) + ", missing, " + a.border + ", missing"),
            Call("InputFont", "\"" + a.face + "\", missing"), Call("InputSizePoint", a.size)};
}

Lines Insert(const std::string& text) { return {Call("Insert", "\"" + text + "\"")}; }
const Lines kReturn = {Call("InsertReturn", "1, 1")};
const Lines kLineType = {Call("GetLineType")};

// A layout box of the width and height with one line record per node count.
void SetBox(CEditContainer* container, int index, int width, int height, std::initializer_list<int> lineNodes = {})
{
    auto box = std::make_unique<CEditBox>();
    box->m_width = width;
    box->m_height = height;
    int k = 0;
    for (int nodes : lineNodes) {
        EDIT_LINE line;
        line.m_count = nodes;
        box->SetLineAtGrow(k++, line);
    }
    container->SetBoxAtGrow(index, std::move(box));
}

class TaroWriterTest : public ::testing::Test {
protected:
    TaroWriterTest()
    {
        m_server->NameObjectsByMember();
        m_savedAnswers = InTextAnswersVisible;
        m_savedVertical = CurrentWritingVertical;
        CurrentWritingVertical = 0;
    }
    ~TaroWriterTest() override
    {
        InTextAnswersVisible = m_savedAnswers;
        CurrentWritingVertical = m_savedVertical;
        m_library.ReleaseDispatch();
        EXPECT_EQ(m_server->LiveObjects(), 0) << "an automation object was not released";
    }
    // The transcript of writing node, and nothing before it.
    Lines NodeTranscript(CEditNode* node, EXPORT_NODE_CONTEXT context = {0, 0, 1, 0})
    {
        m_server->ClearTranscript();
        CTaroDocumentWriter writer(m_root, m_library);
        writer.WriteIchitaroNode(node, context);
        return m_server->Transcript();
    }
    Lines DocumentTranscript(RecordingProgress* progress = nullptr)
    {
        m_server->ClearTranscript();
        RecordingProgress own;
        CTaroDocumentWriter writer(m_root, m_library);
        writer.WriteIchitaroDocument(progress ? *progress : own);
        return m_server->Transcript();
    }
    CEditSentence* Part() { return Add(&m_root, new CEditSentence()); }

    std::shared_ptr<CRecordingServer> m_server = std::make_shared<CRecordingServer>();
    CTaroDispatch m_library{m_server->NewObject("Library")};
    CEditPrint m_root;
    int m_savedAnswers = 1;
    int m_savedVertical = 0;
};

// --- the pure rules

TEST(TaroRules, PaperNamesFollowTheClassOfTheSidesInTheirWritingDirection)
{
    struct Case {
        int vertical;
        int height;
        int width;
        const char16_t* name;  // null: no paper call
    } const cases[] = {
        {0, 29700, 21000, u"A4 単票・縦方向"},
        {0, 21000, 29700, u"A4 単票・横方向"},
        {1, 21000, 29700, u"A4 単票・縦方向"},  // vertical writing stores the sides exchanged
        {1, 29700, 21000, u"A4 単票・横方向"},
        {0, 36400, 25700, u"B4 単票・縦方向"},
        {0, 25700, 36400, u"B4 単票・横方向"},
        {1, 25700, 36400, u"B4 単票・縦方向"},
        {0, 25700, 18200, u"B5 単票・縦方向"},
        {0, 18200, 25700, u"B5 単票・横方向"},
        {1, 18200, 25700, u"B5 単票・縦方向"},
        {0, 21000, 21000, nullptr},  // square: portrait, of no class
        {0, 29701, 21000, nullptr},  // longer than A4 but not wider
        {0, 40000, 30000, u"B4 単票・縦方向"},
    };
    for (const Case& c : cases) {
        const auto name = IchitaroPaperName(c.vertical, c.height, c.width);
        if (c.name == nullptr)
            EXPECT_FALSE(name.has_value()) << c.height << "x" << c.width;
        else
            EXPECT_EQ(name.value_or(u"none"), c.name) << c.vertical << " " << c.height << "x" << c.width;
    }
}

TEST(TaroRules, ColourNamesAndDecorationCodesFollowTheirTables)
{
    struct Colour {
        COLORREF color;
        const char* name;
    } const colours[] = {
        {0x000000, "R0G0B0"},       {0x000080, "R128G0B0"},     {0x0000FF, "R255G0B0"},
        {0x008000, "R0G128B0"},     {0x008080, "R128G128B0"},   {0x00FF00, "R0G255B0"},
        {0x00FFFF, "R255G255B0"},   {0x800000, "R0G0B128"},     {0x800080, "R128G0B128"},
        {0x808000, "R0G128B128"},   {0x808080, "R128G128B128"}, {0xC0C0C0, "R192G192B192"},
        {0xFF0000, "R0G0B255"},     {0xFF00FF, "R255G0B255"},   {0xFFFF00, "R0G255B255"},
        {0xFFFFFF, "R255G255B255"}, {0x123456, "R0G0B0"},       {0x000001, "R0G0B0"},
    };
    for (const Colour& c : colours) {
        std::string name = "stale";
        IchitaroColorName(c.color, name);
        EXPECT_EQ(name, c.name) << std::hex << c.color;
    }
    struct Decoration {
        int style;
        LONG normal;
        LONG thick;
    } const decorations[] = {{0, 0, 0}, {1, 1, 2},   {2, 7, 7},   {3, 4, 5}, {4, 4, 5},
                             {5, 8, 9}, {6, 10, 11}, {7, 12, 13}, {8, 0, 0}, {-1, 0, 0}};
    for (const Decoration& d : decorations) {
        EXPECT_EQ(IchitaroDecorationCode(d.style, 1), d.normal) << d.style;
        EXPECT_EQ(IchitaroDecorationCode(d.style, 3), d.thick) << d.style;
        EXPECT_EQ(IchitaroDecorationCode(d.style, 0), d.thick) << "any width but 1 is thick";
    }
}

TEST(TaroRules, IndentColumnsAndPictureZoomsRoundAndTruncateAsTheyShould)
{
    struct Column {
        int indent;
        int column;
    } const columns[] = {{740, 4}, {371, 2}, {185, 1}, {92, 0}, {0, 0}, {1113, 6}};
    for (const Column& c : columns)
        EXPECT_EQ(IchitaroIndentColumn(c.indent), c.column) << c.indent;
    struct Zoom {
        int size;
        int pixels;
        int resolution;
        LONG zoom;  // -1: no zoom
    } const zooms[] = {
        {2540, 96, 96, 100}, {5080, 96, 96, 200}, {5080, 192, 96, 100}, {3000, 200, 96, 59},
        {2540, 0, 96, -1},   {2540, 95, 96, -1},  {2540, 96, 0, -1},    {2540, -96, 96, -1},
    };
    for (const Zoom& z : zooms)
        EXPECT_EQ(IchitaroPictureZoom(z.size, z.pixels, z.resolution).value_or(-1), z.zoom)
            << z.size << " " << z.pixels << " " << z.resolution;
}

TEST(TaroRules, ARuledTableIsMeasuredInHalfWidthColumnsAndLines)
{
    CEditTable table;
    table.Create(2, 2);
    // One, two, one and one character, one line each; the second row's first cell without box.
    const int nodes[] = {2, 3, 2, 2};
    for (int i = 0; i < 4; ++i)
        SetBox(static_cast<CEditContainer*>(table.GetEditChild(i)), 0, 1000, 500, {nodes[i]});
    static_cast<CEditContainer*>(table.GetEditChild(2))->DeleteBoxes();
    TARO_TABLE_MEASURE measure = MeasureRuledTable(&table);
    EXPECT_EQ(measure.widths, (std::vector<int>{2, 4}));
    EXPECT_EQ(measure.heights, (std::vector<int>{1, 1}));
    EXPECT_EQ(measure.total, 2);
    // Three lines of 4, 1 and 3 nodes: the closing line break counts on the last line only.
    SetBox(static_cast<CEditContainer*>(table.GetEditChild(1)), 0, 1000, 500, {4, 1, 3});
    measure = MeasureRuledTable(&table);
    EXPECT_EQ(measure.widths, (std::vector<int>{2, 8}));
    EXPECT_EQ(measure.heights, (std::vector<int>{3, 1}));
    EXPECT_EQ(measure.total, 4);
    // A missing cell, or fewer cells than rows by columns, leaves the table out.
    table.GetEditChild(3)->DetachAndDelete();
    EXPECT_THROW(MeasureRuledTable(&table), COleException);
    CEditTable huge;
    huge.m_rows = 1 << 20;
    huge.m_columns = 1 << 20;
    EXPECT_THROW(MeasureRuledTable(&huge), COleException);
}

// --- character attributes

TEST_F(TaroWriterTest, TheCharacterAttributesAreSentInOrderWithTypedValues)
{
    struct Case {
        const char* what;
        int weight;
        COLORREF color;
        const char* face;
        int height;
        int border;
        EXPORT_NODE_CONTEXT context;
        int forceBlack;
        ATTR expected;
    };
    ATTR ten;
    ten.size = "10.488188976377952";
    ATTR bold = ten;
    bold.bold = 1;
    ATTR vertical = ten;
    vertical.face = "ＭＳ Ｐ明朝";
    ATTR outside = ten;
    ATTR framed = ten;
    framed.border = "1";
    ATTR unframed = ten;
    unframed.border = "missing";
    ATTR red = ten;
    red.color = "R255G0B0";
    const Case cases[] = {
        {"weight 700 is bold", 700, 0, kMincho, 370, 0, {}, 0, [&] { ATTR a = bold; a.face = "ＭＳ 明朝"; return a; }()},
        {"weight 600 is not", 600, 0, kMincho, -370, 0, {}, 0, [&] { ATTR a = ten; a.face = "ＭＳ 明朝"; return a; }()},
        {"nor is 800", 800, 0, kMincho, 370, 0, {}, 0, [&] { ATTR a = ten; a.face = "ＭＳ 明朝"; return a; }()},
        {"a vertical face loses its @", 400, 0, kAtPMincho, 370, 0, {}, 0, vertical},
        {"a colour outside the palette is black", 400, 0x123456, kAtPMincho, 370, 0, {}, 0, outside},
        {"a red one is red", 400, 0x0000FF, kAtPMincho, 370, 0, {}, 0, red},
        {"unless forced black", 400, 0x0000FF, kAtPMincho, 370, 0, {}, 1, ten},
        {"border style 1 frames", 400, 0, kAtPMincho, 370, 1, {}, 0, framed},
        {"but not in a framed table", 400, 0, kAtPMincho, 370, 1, {0, 0, 0, 1}, 0, unframed},
    };
    for (const Case& c : cases) {
        CEditChar character(u'x');
        character.m_lf.lfWeight = c.weight;
        character.m_lf.lfHeight = c.height;
        CopyFaceName(character.m_lf.lfFaceName, c.face);
        character.m_color = c.color;
        character.EditBorderRecord()->m_borderStyle = c.border;
        m_server->ClearTranscript();
        SetIchitaroCharAttr(m_library, &character, c.context, c.forceBlack);
        EXPECT_EQ(m_server->Transcript(), Attr(c.expected)) << c.what;
    }
    // Underline and line-through codes; a refused call ends the setting there.
    CEditChar character(u'x');
    character.m_lf.lfItalic = 1;
    character.EditCharacterRecord()->m_underlineStyle = 2;
    character.EditCharacterRecord()->m_underlineWidth = 3;
    character.EditCharacterRecord()->m_lineThroughStyle = 7;
    character.EditCharacterRecord()->m_lineThroughWidth = 3;
    m_server->ClearTranscript();
    SetIchitaroCharAttr(m_library, &character, {}, 0);
    ATTR decorated;
    decorated.italic = 1;
    decorated.underline = 7;
    decorated.strike = 13;
    EXPECT_EQ(m_server->Transcript(), Attr(decorated));
    m_server->Fails("InputDecoration", u"装飾を設定できません。");
    m_server->ClearTranscript();
    SetIchitaroCharAttr(m_library, &character, {}, 0);
    const Lines all = Attr(decorated);
    EXPECT_EQ(m_server->Transcript(), Lines(all.begin(), all.begin() + 3));
}

// --- the document writer

TEST_F(TaroWriterTest, ThePaperSetsTheDocumentStyleThenItsNameFieldsOnOneColumnOnly)
{
    m_root.SetMargins(1999, 2000, 1500, 2599);
    m_root.EditCharacterRecord()->m_letterSpacing = 50;
    m_root.m_lineSpacing = 250;
    auto* nameField = new CEditKimeiran();
    Char(nameField, u"名");
    LineEnd(nameField);
    m_root.GetNameFieldLayer()->AppendChild(nameField);
    ASSERT_TRUE(m_root.SetPageFlagged(1, true));
    const auto style = [](const std::string& direction, const std::string& paper, bool twoColumns) {
        Lines lines = {
            Call("DocumentStyleFont", "\"ＭＳ 明朝\", \"標準\", \"Times New Roman\", \"標準\", 11, 10.5, 3, 100, 100"),
            Call("DocumentStyleLayout", "40, 40, 0.5, 5.0, 1, " + direction + ", 0")};
        if (!paper.empty())
            lines.push_back(Call("DocumentStylePaper", "\"" + paper + "\""));
        lines.insert(lines.end(),
                     {Call("DocumentStyleDoubleLeaf", "0, missing, 1, 1, 0"),
                      Call("DocumentStyleMargin", "20, 25, 19, 15, 1"),
                      Call("DocumentStyleRoman", "0, 0, 0, 0, 1, 0, 0, 0, 1, missing, missing, 0, 1, 1, 2, 0, 1"),
                      Call("DocumentStylePage", "0, 0, 1, \"- ? -\", 0, 0, 1, missing, missing, missing, missing, "
                                                "missing, missing, missing, missing, missing, missing, missing"),
                      Call("DocumentStylePageDecoration",
                           "0, missing, 1, 0, missing, 1, 0, missing, 1, 0, missing, 1, 0, 0, 1"),
                      Call("SetDocumentStyle")});
        if (twoColumns)
            lines.push_back(Call("Columns", "2"));
        lines.insert(lines.end(), {Call("Jump", "1, 1, 1"), Call("GetLineType")});
        return lines;
    };
    const Lines nameFieldLines = Join({{Call("Jump", "1, 1, 1")}, Attr(), Insert("名"), kReturn, kLineType});
    struct Case {
        const char* what;
        int vertical;
        int height;
        int width;
        int columns;
        Lines expected;
    };
    const Case cases[] = {
        {"horizontal A4 with its name field", 0, 29700, 21000, 1,
         Join({style("1", "A4 単票・縦方向", false), nameFieldLines})},
        {"vertical writing, sides stored exchanged", 1, 21000, 29700, 1,
         Join({style("2", "A4 単票・縦方向", false), nameFieldLines})},
        {"a square sheet gets no paper call", 0, 21000, 21000, 1, Join({style("1", "", false), nameFieldLines})},
        {"two columns drop the name field", 0, 29700, 21000, 2, style("1", "A4 単票・縦方向", true)},
    };
    for (const Case& c : cases) {
        m_root.m_vertical = c.vertical;
        m_root.m_geometry.height = c.height;
        m_root.m_geometry.width = c.width;
        m_root.m_geometry.columnCount = c.columns;
        RecordingProgress progress;
        EXPECT_EQ(DocumentTranscript(&progress), c.expected) << c.what;
        EXPECT_EQ(progress.calls, Lines{"range 0 0"}) << "a root without children: " << c.what;
    }
    // Line type 1 after the first jump clears the indent.
    m_server->Returns("GetLineType", VARIANT::Long(1));
    const Lines transcript = DocumentTranscript();
    const auto jump = std::find(transcript.begin(), transcript.end(), Call("Jump", "1, 1, 1"));
    ASSERT_NE(jump, transcript.end());
    EXPECT_EQ(*(jump + 2), Call("Indent", "0, 0, 0, 0, 0, 1"));
}

TEST_F(TaroWriterTest, BlocksAreWrittenInOrderWithAlignmentsTextBoxesAndPageBreaks)
{
    struct Case {
        int align;  // of the part's first line break; -1: no line break
        const char* format;  // null: no prologue
    };
    const Case cases[] = {{0, "FormatLeft call()"},           {1, "FormatCenter call(missing)"},
                          {2, "FormatRight call(missing)"},   {3, nullptr},
                          {4, nullptr},                       {-1, nullptr}};
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
    Char(box, u"g");
    LineEnd(box);
    Add(&m_root, new CEditKaiPage())->Fill();
    Add(&m_root, new CEditKaiPage())->m_hidden = 1;
    RecordingProgress progress;
    const Lines transcript = DocumentTranscript(&progress);
    const int blocks = m_root.GetChildCount();
    Lines expectedProgress = {"range 0 " + std::to_string(blocks)};
    for (int i = 0; i < blocks; ++i)
        expectedProgress.push_back("pos " + std::to_string(i));
    EXPECT_EQ(progress.calls, expectedProgress) << "hidden blocks advance the bar too";

    Lines body(std::find(transcript.begin(), transcript.end(), Call("GetLineType")) + 1, transcript.end());
    Lines expected;
    for (const Case& c : cases) {
        if (c.format)
            expected.insert(expected.end(), {Call("Insert", "\" \""), Call("SelectRangeStart", "1"),
                                             Call("CursorLeft", "1"), "Library." + std::string(c.format),
                                             Call("CancelSelectRange")});
        expected = Join({expected, Attr(), Insert("a")});
        if (c.align >= 0)
            expected.insert(expected.end(), {Call("InsertReturn", "1, 1"), Call("GetLineType")});
    }
    expected = Join({expected, Attr(), Insert("g"), kReturn, kLineType, kReturn, {Call("InsertPage", "1")}});
    EXPECT_EQ(body, expected);
}

TEST_F(TaroWriterTest, ARefusedStyleCallEndsTheWriterButTheGuardedStepsOnlyThemselves)
{
    auto* part = Part();
    Char(part, u"a");
    LineEnd(part, 1);
    // The indent reset and the alignment prologue end only themselves.
    m_server->Fails("GetLineType", u"", 1);
    m_server->Fails("SelectRangeStart", u"選択できません。");
    Lines transcript = DocumentTranscript();
    EXPECT_EQ(Lines(transcript.end() - 11, transcript.end()),
              Join({{Call("GetLineType"), Call("Insert", "\" \""), Call("SelectRangeStart", "1")}, Attr(),
                    Insert("a"), kReturn, kLineType}))
        << "after the refused steps the part is still written";
    // The paper call refused: the writer ends with the server's exception, nothing after it.
    m_server->Fails("DocumentStylePaper", u"用紙を設定できません。");
    m_server->ClearTranscript();
    CTaroDocumentWriter writer(m_root, m_library);
    RecordingProgress progress;
    EXPECT_THROW(writer.WriteIchitaroDocument(progress), COleDispatchException);
    EXPECT_EQ(m_server->Transcript().back(), Call("DocumentStylePaper", "\"A4 単票・縦方向\""));
    EXPECT_TRUE(progress.calls.empty());
}

// --- the node writer

TEST_F(TaroWriterTest, RunsOfOneFormatGoInOneInsertAndLineBreaksReturnWithTheIndent)
{
    auto* part = Part();
    Char(part, u"a");
    Char(part, u"b");
    Char(part, u"c");
    LineEnd(part);
    Char(part, u"d");
    Char(part, u"e")->m_color = 0x0000FF;
    LineEnd(part);
    ATTR red;
    red.color = "R255G0B0";
    m_server->ReturnsInTurn("GetLineType", {VARIANT::Long(1), VARIANT::String(u"1")});
    EXPECT_EQ(NodeTranscript(part, {740, 0, 1, 0}),
              Join({Attr(), Insert("abc"), kReturn, kLineType, {Call("Indent", "1, 7, 0, 0, 0, 1")}, Attr(),
                    Insert("d"), Attr(red), Insert("e"), kReturn, kLineType}))
        << "line type \"1\" as a text is not the integer 1";
}

TEST_F(TaroWriterTest, ALabelledUnderlineGetsItsLabelOnceAtTheSmallSizeOfItsDirection)
{
    auto* part = Part();
    Char(part, u"x");
    auto* kasen = Add(part, new CEditKasen());
    for (const char16_t* text : {u"a", u"b", u"c"}) {
        CEditChar* character = Char(kasen, text);
        character->EditCharacterRecord()->m_underlineStyle = 1;
        character->EditCharacterRecord()->m_underlineWidth = 1;
        character->EditNumbering().m_renbanType = 2;
        character->m_runNumber = 3;
        CopyFaceName(character->EditNumbering().m_renbanFace, kMincho);
    }
    // The next run of the same type gets no label of its own.
    static_cast<CEditNode*>(kasen->GetChildAt(2))->m_color = 0x0000FF;
    static_cast<CEditNode*>(kasen->GetChildAt(2))->m_runNumber = 4;
    LineEnd(kasen);
    LineEnd(part);
    ATTR underlined;
    underlined.underline = 1;
    ATTR redUnderlined = underlined;
    redUnderlined.color = "R255G0B0";
    for (int vertical : {0, 1}) {
        CurrentWritingVertical = vertical;
        const Lines label = {Call("InputFont", "\"ＭＳ 明朝\", missing"),
                             Call("InputBold", "0"),
                             Call("InputItalic", "0"),
                             Call("InputDecoration", "\"R0G0B0\", missing, 0, 0, missing, 0, missing"),
                             Call("Insert", "\"(３)\""),
                             Call("CursorLeft", "3"),
                             Call("SelectRangeStart", "1"),
                             Call("CursorRight", "3"),
                             Call("CharacterSize", (vertical ? "9" : "8") + std::string(", missing, missing, missing")),
                             Call("CancelSelectRange"),
                             Call("InputCharacterSize", "1, missing, missing")};
        EXPECT_EQ(NodeTranscript(part), Join({Attr(), Insert("x"), label, Attr(underlined), Insert("ab"),
                                              Attr(redUnderlined), Insert("c"), kLineType, kReturn, kLineType}))
            << vertical;
    }
    // A refused label call ends the label only.
    m_server->Fails("CursorLeft", u"");
    const Lines transcript = NodeTranscript(part);
    EXPECT_NE(std::find(transcript.begin(), transcript.end(), Call("Insert", "\"ab\"")), transcript.end());
}

TEST_F(TaroWriterTest, AHiddenAnswerIsWrittenAsBlanksOfItsCharactersWidths)
{
    auto* part = Part();
    auto* answer = Add(part, new CEditCyukai());
    for (const char16_t* text : {u"a", u"b", u"漢"})
        Char(answer, text)->m_color = 0x0000FF;
    LineEnd(answer);
    LineEnd(part);
    ATTR red;
    red.color = "R255G0B0";
    for (int visible : {1, 0}) {
        InTextAnswersVisible = visible;
        EXPECT_EQ(NodeTranscript(part), Join({Attr(red), Insert(visible ? "ab漢" : "  \u3000"), kLineType, kReturn,
                                              kLineType}))
            << visible;
    }
    // A container that opens the answer is masked as well.
    auto* second = Part();
    auto* nestedAnswer = Add(second, new CEditCyukai());
    auto* kasen = Add(nestedAnswer, new CEditKasen());
    Char(kasen, u"字");
    LineEnd(kasen);
    LineEnd(nestedAnswer);
    LineEnd(second);
    EXPECT_EQ(NodeTranscript(second), Join({Attr(), Insert("\u3000"), kLineType, kLineType, kReturn, kLineType}));
}

TEST_F(TaroWriterTest, QuestionNumbersCellsPointsLabelsAndAPendingRun)
{
    // A sub-question number between two full-width spaces: three inserts, all black.
    auto* part = Part();
    auto* number = Add(part, new CEditMonno(1));
    number->SetText(u"\u3000(1)\u3000");
    number->m_color = 0x0000FF;
    number->m_width = 1000;
    auto* none = Add(part, new CEditHaiten());
    none->SetText(u"（0点）");
    auto* points = Add(part, new CEditHaiten());
    points->m_info.p3 = 10;
    points->SetText(u"（10点）");
    LineEnd(part);
    Char(part, u"z");
    LineEnd(part);
    m_server->Returns("GetLineType", VARIANT::Long(1));
    Lines transcript = NodeTranscript(part);
    Lines inserts;
    for (const std::string& line : transcript)
        if (line.rfind("Library.Insert call(", 0) == 0)
            inserts.push_back(line);
    EXPECT_EQ(inserts, Join({Insert("\u3000"), Insert("(1)"), Insert("\u3000"), Insert("（10点）"), Insert("z")}));
    for (const std::string& line : transcript)
        EXPECT_EQ(line.find("R255G0B0"), std::string::npos) << "numbers and their spaces are black";
    const auto after = std::find(transcript.begin(), transcript.end(), Call("Insert", "\"z\""));
    ASSERT_NE(after, transcript.end());
    EXPECT_EQ(*(after + 3), Call("Indent", "1, 10, 0, 0, 0, 1")) << "later lines hang under the number's text";

    // A cell: x, a line break, y and the closing line break give one return and no indent.
    CEditTable table;
    table.Create(1, 1);
    CEditNode* cell = table.GetEditChild(0);
    cell->InsertChildAt(0, new CEditChar(CStringW(u"x")));
    cell->InsertChildAt(1, new CEditCR());
    cell->InsertChildAt(2, new CEditChar(CStringW(u"y")));
    EXPECT_EQ(NodeTranscript(cell), Join({Attr(), Insert("x"), kReturn, Attr(), Insert("y")}));

    // A container whose children end without a line break still inserts its last run; a missing
    // child ends only its container.
    auto* frame = new CEditFloat();
    Char(frame, u"f");
    auto* broken = Part();
    Add(broken, frame);
    Char(broken, u"b");
    EXPECT_EQ(NodeTranscript(broken), Join({Attr(), Insert("f"), Attr(), Insert("b")}));
    auto* outer = Part();
    auto* inner = Add(outer, new CEditKasen());
    Char(inner, u"i");
    inner->AppendChild(new CQNXMLNode());  // no editing node: a slot without a child
    Char(inner, u"j");
    Char(outer, u"o");
    LineEnd(outer);
    m_server->Returns("GetLineType", VARIANT());
    EXPECT_EQ(NodeTranscript(outer), Join({Attr(), Insert("o"), kReturn, kLineType}))
        << "the pending i is lost with the broken container; the outer one goes on";
}

TEST_F(TaroWriterTest, RubySelectsItsBaseByCountOnlyWhenTheBaseIsPlainCharacters)
{
    auto* part = Part();
    auto* ruby = Add(part, new CEditRuby());
    CEditNode* base = Add(ruby, new CEditRubyBase());
    CEditNode* reading = Add(ruby, new CEditRubyText());
    Char(base, u"漢");
    Char(base, u"字");
    LineEnd(base);
    LineEnd(reading);
    // Only the closing line break: the base stays plain.
    EXPECT_EQ(NodeTranscript(part), Join({Attr(), Insert("漢字"), kLineType}));
    reading->InsertChildAt(0, new CEditChar(CStringW(u"か")));
    reading->InsertChildAt(1, new CEditChar(CStringW(u"n")));
    const Lines ruby3 = {Call("CursorLeft", "2"), Call("SelectRangeStart", "1"), Call("CursorRight", "2"),
                         Call("Ruby", "1, \"かn\", 1, missing, missing, missing, missing, missing, missing, 1"),
                         Call("CancelSelectRange")};
    m_server->ClearTranscript();
    {
        CTaroDocumentWriter writer(m_root, m_library);
        writer.WriteIchitaroRuby(ruby, {0, 0, 1, 0});
        EXPECT_EQ(m_server->Transcript(), Join({Attr(), Insert("漢字"), kLineType, ruby3}));
        m_server->ClearTranscript();
        writer.WriteIchitaroRuby(ruby, {0, 1, 1, 0});
        EXPECT_EQ(m_server->Transcript(),
                  Join({Attr(), Insert("\u3000\u3000"), kLineType, {ruby3[0], ruby3[1], ruby3[2]},
                        {Call("Ruby", "1, \"\u3000 \", 1, missing, missing, missing, missing, missing, missing, 1")},
                        {ruby3[4]}}))
            << "masked";
    }
    // A character outside the basic plane in the base: counting nodes would select the wrong
    // text, so no ruby call.
    base->GetEditChild(1)->SetText(u"\U00020B9F");
    EXPECT_EQ(NodeTranscript(part), Join({Attr(), Insert("漢\U00020B9F"), kLineType}));
}

// --- tables

class TaroTableTest : public TaroWriterTest {
protected:
    // A table whose cells hold the texts, each cell one line with a box.
    CEditTable* Table(CQNXMLNode* parent, int rows, int columns, std::initializer_list<const char16_t*> texts)
    {
        auto* table = Add(parent, new CEditTable());
        table->Create(rows, columns);
        int i = 0;
        for (const char16_t* text : texts) {
            auto* cell = static_cast<CEditContainer*>(table->GetEditChild(i++));
            const int length = static_cast<int>(std::u16string_view(text).size());
            for (int k = 0; k < length; ++k)
                cell->InsertChildAt(k, new CEditChar(CStringW(text[k])));
            SetBox(cell, 0, 1000, 500, {length + 1});
        }
        return table;
    }
    Lines TableTranscript(CEditTable* table, EXPORT_NODE_CONTEXT context = {0, 0, 1, 0})
    {
        m_server->ClearTranscript();
        CTaroDocumentWriter writer(m_root, m_library);
        writer.WriteIchitaroTable(table, context);
        return m_server->Transcript();
    }
    std::string Jump(int page, int line, int column)
    {
        return Call("Jump", std::to_string(page) + ", " + std::to_string(line) + ", " + std::to_string(column));
    }
    const Lines kPosition = {Call("GetPage"), Call("GetRow"), Call("GetColumn")};
};

TEST_F(TaroTableTest, AOneLineCellIsFramedTextAndTwoLinesAreRuled)
{
    auto* part = Part();
    CEditTable* table = Table(part, 1, 1, {u"abc"});
    m_server->Returns("GetPage", VARIANT::Long(1));
    m_server->Returns("GetRow", VARIANT::Long(5));
    m_server->ReturnsInTurn("GetColumn", {VARIANT::Long(3), VARIANT::Long(6)});
    std::string attribute;
    for (int i = 1; i <= 27; ++i)
        attribute += std::string(i > 1 ? ", " : "") + (i == 9 || i == 20 ? "1" : "missing");
    ATTR unframed;
    unframed.border = "missing";
    EXPECT_EQ(TableTranscript(table, {740, 0, 1, 0}),
              Join({{Call("Indent", "1, 7, 0, 0, 0, 1")}, kPosition, Attr(unframed), Insert("abc"), kPosition,
                    {Jump(1, 5, 3), Call("SelectRangeStart", "1"), Jump(1, 5, 6),
                     Call("CharacterAttribute", attribute), Call("CancelSelectRange")}}));
    // Two lines in the cell: ruled, one box two lines high.
    SetBox(static_cast<CEditContainer*>(table->GetEditChild(0)), 0, 1000, 500, {2, 2});
    const Lines ruled = TableTranscript(table);
    EXPECT_NE(std::find(ruled.begin(), ruled.end(), Call("InsertReturn", "2, 1")), ruled.end());
    EXPECT_NE(std::find(ruled.begin(), ruled.end(), Call("KeisenStart")), ruled.end());
    // A table without cells is left out; an answer that is no number ends the framed table.
    CEditTable empty;
    EXPECT_TRUE(TableTranscript(&empty).empty());
    SetBox(static_cast<CEditContainer*>(table->GetEditChild(0)), 0, 1000, 500, {4});
    m_server->Returns("GetRow", VARIANT::String(u"五"));
    const Lines refused = TableTranscript(table);
    EXPECT_EQ(refused.back(), Call("GetRow"));
}

TEST_F(TaroTableTest, ATwoByTwoTableIsRuledBoxByBoxAndItsCellsTypedInside)
{
    auto* part = Part();
    CEditTable* table = Table(part, 2, 2, {u"a", u"bc", u"d", u"e"});
    // The starting point, read back, the ruling point, then the line types below the table.
    m_server->ReturnsInTurn("GetPage", {VARIANT::Long(2)});
    m_server->ReturnsInTurn("GetRow", {VARIANT::Long(5), VARIANT::Long(5), VARIANT::Long(5)});
    m_server->ReturnsInTurn("GetColumn", {VARIANT::Long(3), VARIANT::Long(3), VARIANT::Long(3)});
    m_server->ReturnsInTurn("GetLineType", {VARIANT::Long(0), VARIANT::Long(1)});
    const auto rule = [&](int line, int from, int to, int height) {
        return Lines{Jump(2, line, from), Call("KeisenStart"), Jump(2, line + height, to), Call("KeisenEnd"),
                     Call("Keisen", "1, 1, \"R0G0B0\"")};
    };
    const Lines expected = Join({kPosition,
                                 {Call("InsertReturn", "2, 1"), Jump(2, 5, 3)},
                                 kPosition,
                                 {Call("KeisenMode", "2, 2, 3")},
                                 kPosition,
                                 rule(5, 3, 6, 1),
                                 rule(5, 6, 11, 1),
                                 rule(6, 3, 6, 1),
                                 rule(6, 6, 11, 1),
                                 {Call("CancelMode")},
                                 {Jump(2, 6, 4)},
                                 Attr(),
                                 Insert("a"),
                                 {Jump(2, 6, 7), Call("RightCell", "1")},
                                 Attr(),
                                 Insert("bc"),
                                 {Jump(2, 7, 4)},
                                 Attr(),
                                 Insert("d"),
                                 {Jump(2, 7, 7), Call("RightCell", "1")},
                                 Attr(),
                                 Insert("e"),
                                 {Jump(2, 8, 3)},
                                 kLineType,
                                 {Call("CursorDown", "missing")},
                                 kLineType});
    EXPECT_EQ(TableTranscript(table), expected);
}

TEST_F(TaroTableTest, TheStartLineTheIndentAndABadServerChangeOnlyWhatTheyShould)
{
    auto* part = Part();
    CEditTable* table = Table(part, 1, 2, {u"a", u"b"});
    // At line 1: one return more. With an indent of 740 the column is 4, not asked for.
    m_server->Returns("GetPage", VARIANT::Long(1));
    m_server->Returns("GetRow", VARIANT::Long(1));
    m_server->Returns("GetColumn", VARIANT::Long(9));
    Lines transcript = TableTranscript(table, {740, 0, 1, 0});
    EXPECT_EQ(Lines(transcript.begin(), transcript.begin() + 5),
              (Lines{Call("GetPage"), Call("GetRow"), Call("InsertReturn", "1, 1"), Call("InsertReturn", "1, 1"),
                     Jump(1, 1, 4)}));
    // A server that never reports line type 1: CursorDown at most total + 2 times.
    EXPECT_EQ(std::count(transcript.begin(), transcript.end(), Call("CursorDown", "missing")), 3);
    // A refused ruling step: the cells are still filled, those without a position at 0, 0, 0.
    m_server->Fails("KeisenEnd", u"罫線を引けません。");
    transcript = TableTranscript(table);
    EXPECT_NE(std::find(transcript.begin(), transcript.end(), Jump(1, 2, 10)), transcript.end());
    EXPECT_NE(std::find(transcript.begin(), transcript.end(), Jump(0, 0, 0)), transcript.end());
    EXPECT_NE(std::find(transcript.begin(), transcript.end(), Call("Insert", "\"b\"")), transcript.end());
    // Wrong answer types: an empty one reads 0, a text ends the table before any rule.
    m_server->Returns("GetRow", VARIANT());
    transcript = TableTranscript(table);
    ASSERT_GE(transcript.size(), 6u);
    EXPECT_EQ(transcript[5], Jump(1, 0, 9));
    m_server->Returns("GetPage", VARIANT::String(u"一"));
    EXPECT_EQ(TableTranscript(table), Lines{Call("GetPage")});
    // A cell without a layout box counts as one line, as wide as its children less one.
    m_server->Fails("KeisenEnd", u"", -1);
    static_cast<CEditContainer*>(table->GetEditChild(1))->DeleteBoxes();
    table->GetEditChild(1)->InsertChildAt(0, new CEditChar(CStringW(u"c")));
    m_server->Returns("GetPage", VARIANT::Long(1));
    m_server->Returns("GetRow", VARIANT::Long(3));
    transcript = TableTranscript(table);
    EXPECT_NE(std::find(transcript.begin(), transcript.end(), Jump(1, 4, 17)), transcript.end())
        << "the second box from column 12 to 12 + 2 × 2 + 1";
}

// --- objects and pictures

TEST_F(TaroWriterTest, AFormulaIsInsertedFromAFragmentFileThatIsGoneAfterwards)
{
    auto* part = Part();
    auto* formula = Add(part, new CEditMath());
    formula->AppendChild(new CEditMathChar(CStringW(u"x")));
    formula->AppendChild(new CEditMathCR());
    LineEnd(part);
    SetBox(part, 0, 5300, 1200);
    formula->m_boxIndex = 0;
    std::string path;
    std::string fragment;
    m_server->OnCall("InsertOLEObject", [&](const std::vector<VARIANT>& arguments) {
        ASSERT_EQ(arguments.size(), 10u);
        path = Utf16ToUtf8(arguments[1].bstrVal);
        fragment = exporttest::ReadText(path);
    });
    const Lines transcript = NodeTranscript(part, {300, 0, 1, 0});
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(transcript.front(),
              Call("InsertOLEObject", "2, \"" + path + "\", 3, 0, 2, 1, 0, missing, missing, missing"));
    const fs::path file(path);
    EXPECT_EQ(file.filename().string().substr(0, 3), "QNI");
    EXPECT_EQ(file.extension().string(), ".QNI");
    std::string upper = file.filename().string();
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
    EXPECT_EQ(file.filename().string(), upper) << "the name upper-cased";
    EXPECT_NE(file.parent_path(), fs::temp_directory_path()) << "a private folder";
    EXPECT_NE(fragment.find("width=\"50mm\""), std::string::npos) << fragment;
    EXPECT_FALSE(fs::exists(file)) << "deleted after the insertion";
    EXPECT_EQ(formula->GetParent(), part);
    // A refused insertion leaves no file behind either.
    m_server->Fails("InsertOLEObject", u"挿入できません。");
    NodeTranscript(part);
    EXPECT_FALSE(fs::exists(path));

    // A formula inside a hidden in-text answer converts as one: its fragment says so.
    auto* answerPart = Part();
    auto* answer = Add(answerPart, new CEditCyukai());
    auto* inner = Add(answer, new CEditMath());
    inner->AppendChild(new CEditMathChar(CStringW(u"y")));
    inner->AppendChild(new CEditMathCR());
    LineEnd(answer);
    LineEnd(answerPart);
    SetBox(answer, 0, 3000, 1000);
    inner->m_boxIndex = 0;
    const int formerClass = inner->m_class;
    for (int visible : {1, 0}) {
        InTextAnswersVisible = visible;
        fragment.clear();
        NodeTranscript(answerPart);
        EXPECT_EQ(fragment.find("cyukaiinvisible") != std::string::npos, visible == 0) << fragment;
        EXPECT_EQ(inner->m_class, formerClass);
    }
}

TEST(TaroRules, AKanbunPassageTakesTheCellsAndLineBreaksOfItsBox)
{
    // K a kanbun cell, k one in the next box, R a line break, h a hidden and H a shown points
    // label, c a character.
    struct Case {
        const char* children;
        std::vector<int> indexes;
        int next;
        bool returnDue;
    } const cases[] = {
        {"KKKR", {0, 1, 2, 3}, 4, true},  {"KKhKR", {0, 1, 3, 4}, 5, true}, {"KKHKR", {0, 1}, 2, false},
        {"KKkR", {0, 1}, 2, false},       {"KRcR", {0, 1}, 2, true},        {"KRHR", {0, 1}, 2, false},
        {"KcR", {0}, 1, false},           {"KRRR", {0, 1, 2, 3}, 4, true},
    };
    for (const Case& c : cases) {
        CEditSentence part;
        for (const char* kind = c.children; *kind; ++kind) {
            CEditNode* child = nullptr;
            switch (*kind) {
            case 'K': case 'k': child = new CEditKan(); break;
            case 'R': child = new CEditCR(); break;
            case 'h': case 'H': child = new CEditHaiten(); break;
            default: child = new CEditChar(u'c'); break;
            }
            child->m_boxIndex = *kind == 'k' ? 1 : 0;
            child->m_hidden = *kind == 'h' ? 1 : 0;
            part.AppendChild(child);
        }
        const KANBUN_PASSAGE passage = GatherKanbunPassage(&part, 0);
        EXPECT_EQ(passage.indexes, c.indexes) << c.children;
        EXPECT_EQ(passage.next, c.next) << c.children;
        EXPECT_EQ(passage.returnDue, c.returnDue) << c.children;
    }
}

TEST_F(TaroWriterTest, AKanbunPassageIsOneObjectPerLayoutBox)
{
    auto* part = Part();
    LOGFONTA font = CEditChar(u'a').m_lf;
    for (const char16_t* text : {u"学", u"而", u"時"}) {
        auto* cell = Add(part, new CEditKan());
        cell->BuildFromText(CStringW(text), 0, &font);
    }
    LineEnd(part);
    SetBox(part, 0, 4000, 2000);
    SetBox(part, 1, 3000, 2000);
    std::vector<std::string> fragments;
    m_server->OnCall("InsertOLEObject", [&](const std::vector<VARIANT>& arguments) {
        fragments.push_back(exporttest::ReadText(Utf16ToUtf8(arguments[1].bstrVal)));
        EXPECT_EQ(fs::path(Utf16ToUtf8(arguments[1].bstrVal)).extension().string(), ".QNH");
        EXPECT_EQ(arguments[4].lVal, 0);
    });
    // All in one box: one object, then the return of the closing line break.
    Lines transcript = NodeTranscript(part);
    ASSERT_EQ(fragments.size(), 1u);
    EXPECT_EQ(transcript.back(), kReturn[0]) << "the line break went with the passage";
    // The third cell and the line break on the next page: two objects, each of its box's width.
    for (int i : {2, 3})
        part->GetEditChild(i)->m_boxIndex = 1;
    fragments.clear();
    transcript = NodeTranscript(part, {1000, 0, 1, 0});
    ASSERT_EQ(fragments.size(), 2u);
    EXPECT_NE(fragments[0].find("width=\"30mm\""), std::string::npos) << fragments[0];
    EXPECT_NE(fragments[1].find("width=\"20mm\""), std::string::npos) << fragments[1];
    EXPECT_EQ(part->GetChildCount(), 4);
}

// A packed 24-bit DIB of the size, all blue.
HGLOBAL BlueDib(int width, int height)
{
    const int stride = (width * 3 + 3) & ~3;
    std::vector<uint8_t> bytes(40 + static_cast<size_t>(stride) * height, 0);
    const auto put32 = [&](size_t at, uint32_t value) { std::memcpy(&bytes[at], &value, 4); };
    put32(0, 40);
    put32(4, static_cast<uint32_t>(width));
    put32(8, static_cast<uint32_t>(height));
    bytes[12] = 1;
    bytes[14] = 24;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bytes[40 + static_cast<size_t>(y) * stride + static_cast<size_t>(x) * 3] = 255;
    HGLOBAL block = GlobalAlloc(0, bytes.size());
    std::copy(bytes.begin(), bytes.end(), static_cast<uint8_t*>(GlobalLock(block)));
    GlobalUnlock(block);
    return block;
}

// The sample precision, height, width and component count of a JPEG's start of frame.
struct JPEG_FRAME {
    int precision = 0;
    int height = 0;
    int width = 0;
    int components = 0;
};
JPEG_FRAME ReadJpegFrame(const std::string& bytes)
{
    JPEG_FRAME frame;
    if (bytes.size() < 4 || static_cast<uint8_t>(bytes[0]) != 0xFF || static_cast<uint8_t>(bytes[1]) != 0xD8)
        return frame;
    size_t at = 2;
    while (at + 9 < bytes.size()) {
        const auto byte = [&](size_t i) { return static_cast<uint8_t>(bytes[i]); };
        if (byte(at) != 0xFF)
            return frame;
        const uint8_t marker = byte(at + 1);
        const size_t length = size_t(byte(at + 2)) << 8 | byte(at + 3);
        if (marker >= 0xC0 && marker <= 0xC2) {
            frame.precision = byte(at + 4);
            frame.height = byte(at + 5) << 8 | byte(at + 6);
            frame.width = byte(at + 7) << 8 | byte(at + 8);
            frame.components = byte(at + 9);
            return frame;
        }
        at += 2 + length;
    }
    return frame;
}

TEST_F(TaroWriterTest, APictureGoesAsA24BitJpegZoomedToItsSizeAndTheInsertionPointComesBack)
{
    auto* part = Part();
    auto* picture = Add(part, new CEditGraphic());
    ASSERT_TRUE(picture->TakePastedDib(BlueDib(192, 96), CDisplayMap()));
    picture->m_width = 5080;
    picture->m_height = 5080;
    std::string path;
    JPEG_FRAME frame;
    m_server->OnCall("InsertPicture", [&](const std::vector<VARIANT>& arguments) {
        path = Utf16ToUtf8(arguments[0].bstrVal);
        frame = ReadJpegFrame(exporttest::ReadText(path));
    });
    struct Case {
        const char* what;
        std::vector<VARIANT> pages;  // before and after
        VARIANT frameId;
        int indent;
        Lines tail;
    };
    const Case cases[] = {
        {"moved to the next page", {VARIANT::Long(3), VARIANT::Long(4)}, VARIANT::Long(12), 0,
         {Call("SelectFrameID", "12"), Call("ZoomFrameMode", "1"), Call("ZoomFrame", "100, 200, 0"),
          Call("CancelMode"), Call("CancelSelectFrame"), Call("Jump", "4, 1, 1")}},
        {"on the same page", {VARIANT::Long(3), VARIANT::Long(3)}, VARIANT::Long(12), 0,
         {Call("SelectFrameID", "12"), Call("ZoomFrameMode", "1"), Call("ZoomFrame", "100, 200, 0"),
          Call("CancelMode"), Call("CancelSelectFrame"), Call("Jump", "3, 7, 5")}},
        {"a frame id of 0", {VARIANT::Long(3), VARIANT::Long(3)}, VARIANT::Long(0), 0, {Call("Jump", "3, 7, 5")}},
        {"a negative one", {VARIANT::Long(3), VARIANT::Long(3)}, VARIANT::Long(-2), 740, {Call("Jump", "3, 7, 4")}},
        {"a text for id and pages", {VARIANT::String(u"三")}, VARIANT::String(u"x"), 0, {Call("Jump", "0, 7, 5")}},
    };
    m_server->Returns("GetRow", VARIANT::Long(7));
    m_server->Returns("GetColumn", VARIANT::Long(5));
    for (const Case& c : cases) {
        m_server->ReturnsInTurn("GetPage", c.pages);
        m_server->Returns("InsertPicture", c.frameId);
        path.clear();
        frame = JPEG_FRAME();
        const Lines transcript = NodeTranscript(part, {c.indent, 0, 1, 0});
        const Lines head = c.indent > 0 ? Lines{Call("GetPage"), Call("GetRow")}
                                        : Lines{Call("GetPage"), Call("GetRow"), Call("GetColumn")};
        ASSERT_GE(transcript.size(), head.size() + 2 + c.tail.size()) << c.what;
        EXPECT_EQ(Lines(transcript.begin(), transcript.begin() + static_cast<long>(head.size())), head) << c.what;
        EXPECT_EQ(transcript[head.size()], Call("InsertPicture", "\"" + path + "\", 0, 1, 1, 3, 0, 0, 1")) << c.what;
        EXPECT_EQ(transcript[head.size() + 1], Call("GetPage")) << c.what;
        EXPECT_EQ(Lines(transcript.begin() + static_cast<long>(head.size()) + 2,
                        transcript.begin() + static_cast<long>(head.size() + 2 + c.tail.size())),
                  c.tail)
            << c.what;
        EXPECT_EQ(fs::path(path).extension().string(), ".JPG");
        EXPECT_EQ(fs::path(path).filename().string().substr(0, 3), "IMG");
        EXPECT_FALSE(fs::exists(path)) << "deleted after the insertion";
        EXPECT_EQ(frame.precision, 8) << c.what;
        EXPECT_EQ(frame.components, 3) << "24 bits a pixel";
        EXPECT_EQ(frame.width, 192);
        EXPECT_EQ(frame.height, 96);
    }
    // A picture too small for a whole inch at 96 dots per inch gets no zoom calls.
    auto* tiny = Add(Part(), new CEditGraphic());
    ASSERT_TRUE(tiny->TakePastedDib(BlueDib(50, 200), CDisplayMap()));
    LineEnd(static_cast<CEditNode*>(tiny->GetParent()));
    m_server->ReturnsInTurn("GetPage", {VARIANT::Long(1)});
    m_server->Returns("InsertPicture", VARIANT::Long(3));
    const Lines transcript = NodeTranscript(static_cast<CEditNode*>(tiny->GetParent()));
    for (const std::string& line : transcript)
        EXPECT_EQ(line.find("Zoom"), std::string::npos) << line;
    // A refused insertion leaves no picture file behind.
    m_server->Fails("InsertPicture", u"挿入できません。");
    path.clear();
    NodeTranscript(part);
    ASSERT_FALSE(path.empty());
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(TaroWriterTest, AnObjectIsPastedFromTheClipboardWhichTheUserGetsBack)
{
    auto* part = Part();
    auto* blank = Add(part, new CEditObject());
    blank->SetClientItem(std::make_unique<COleClientItem>());
    auto* object = Add(part, new CEditObject());
    auto item = std::make_unique<COleClientItem>();
    Embedding::OBJECT_RECORD record;
    record.className = "Other.Document";
    record.state.extent = SIZE{2540, 2540};
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    record.state.pictureKind = Embedding::kPngPicture;
    record.state.picture.assign(png.begin(), png.end());
    item->SetRecord(record);
    object->SetClientItem(std::move(item));
    LineEnd(part);

    ASSERT_TRUE(SetClipboardUnicodeText(u"先生のメモ"));
    bool pictureOnClipboard = false;
    m_server->OnCall("PasteOLEObject", [&](const std::vector<VARIANT>&) {
        std::vector<BYTE> bytes;
        pictureOnClipboard = GetClipboardDib(bytes);
    });
    EXPECT_EQ(NodeTranscript(part),
              Join({{Call("PasteOLEObject", "1, 0, 3, 0, 0, 1, 0, missing, missing, missing")}, kReturn, kLineType}))
        << "the blank object writes nothing";
    EXPECT_TRUE(pictureOnClipboard);
    std::u16string text;
    EXPECT_TRUE(GetClipboardUnicodeText(text));
    EXPECT_EQ(text, u"先生のメモ") << "the user's clipboard is back";
}

}  // namespace
