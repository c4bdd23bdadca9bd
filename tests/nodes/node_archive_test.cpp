// The node archive: stream bytes of each node class built by hand from the record tables (Windows
// layouts of LOGFONTA and TEXTMETRICA, blocks with their lengths, the framework's object tags),
// round trips, class sets per program, damaged streams and the clipboard.
#include "nodes/node_archive.h"

#include "nodes/edit_char.h"
#include "nodes/edit_container.h"
#include "nodes/edit_print.h"
#include "nodes/edit_sentence.h"
#include "nodes/page_furniture.h"
#include "nodes/question_numbers.h"
#include "platform/clipboard.h"
#include "tests/support/stream_bytes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string_view>

namespace {

// --- expected bytes, from the tables

Bytes U16(uint16_t v) { return {uint8_t(v), uint8_t(v >> 8)}; }
Bytes Byte(uint8_t v) { return {v}; }
Bytes Zeros(size_t n) { return Bytes(n, 0); }
Bytes Block(const Bytes& body) { return Cat({Int32(static_cast<int32_t>(body.size())), body}); }
Bytes Ints(std::initializer_list<int32_t> values)
{
    Bytes all;
    for (int32_t v : values)
        all = Cat({all, Int32(v)});
    return all;
}
// A face as 32 raw bytes, zero-filled.
Bytes Face(const char* face)
{
    Bytes bytes = Ascii(face);
    bytes.resize(32, 0);
    return bytes;
}
// CStringW: byte count 2·len + 2, UTF-16LE units, a zero unit.
Bytes WStr(std::u16string_view s)
{
    Bytes bytes = Int32(static_cast<int32_t>(2 * s.size() + 2));
    for (char16_t c : s)
        bytes = Cat({bytes, U16(c)});
    return Cat({bytes, U16(0)});
}
Bytes NewClass(const char* name)
{
    return Cat({U16(0xFFFF), U16(1), U16(static_cast<uint16_t>(std::strlen(name))), Ascii(name)});
}

// LOGFONTA: five LONGs, eight BYTEs, 32 face bytes = 60.
Bytes LogFontBytes(int height, int weight, uint8_t italic, uint8_t charSet, const char* face)
{
    return Cat({Ints({height, 0, 0, 0, weight}), Byte(italic), Zeros(2), Byte(charSet), Zeros(4), Face(face)});
}
// TEXTMETRICA: eleven LONGs, nine BYTEs, three bytes of padding = 56.
Bytes TextMetricsBytes(int height, int ascent, uint8_t charSet)
{
    return Cat({Ints({height, ascent}), Zeros(9 * 4), Zeros(8), Byte(charSet), Zeros(3)});
}

// --- a node whose every stored field holds a value of its own

constexpr int kFontHeight = -371;
constexpr uint8_t kShiftJis = 128;

void SetLayout(CEditProperties& p)
{
    p.m_vertical = 0;
    p.m_hidden = 0;
    p.m_dirty = 1;
    p.m_caretStop = 1;
    p.m_modified = 0;
    p.m_width = 1234;
    p.m_height = -5;
    p.m_ascent = 77;
    p.m_axis = 66;
    p.m_rcLayout = RECT{1, 2, 3, 4};
    p.m_ptText = POINT{5, 6};
    p.m_extra[0] = 7;
    p.m_extra[1] = 8;
    p.m_rcHit = RECT{9, 10, 11, 12};
    std::memset(&p.m_lf, 0, sizeof p.m_lf);
    p.m_lf.lfHeight = kFontHeight;
    p.m_lf.lfWeight = 400;
    p.m_lf.lfItalic = 1;
    p.m_lf.lfCharSet = kShiftJis;
    std::strcpy(p.m_lf.lfFaceName, "Arial");
    TEXTMETRICA metrics{};
    metrics.tmHeight = 100;
    metrics.tmAscent = 80;
    metrics.tmCharSet = kShiftJis;
    p.m_tm = metrics;
    p.m_tm2 = TEXTMETRICA{};
    p.m_lineIndex = 13;
    p.m_indexInLine = 14;
    p.m_boxIndex = 15;
    p.m_page = 16;
}

Bytes LayoutBytes()
{
    return Cat({Ints({0, 0, 1, 1, 0, 1234, -5, 77, 66, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}),
                LogFontBytes(kFontHeight, 400, 1, kShiftJis, "Arial"), TextMetricsBytes(100, 80, kShiftJis),
                Zeros(56), Ints({13, 14, 15, 16})});
}

void SetNodeFields(CEditNode& n)
{
    SetLayout(n);
    std::memset(n.EditFontRecord()->m_fontFace, 0, sizeof n.FontRecord().m_fontFace);
    std::strcpy(n.EditFontRecord()->m_fontFace, "Arial");
    n.EditFontRecord()->m_fontSize = 371;
    n.EditFontRecord()->m_fontWidth = 1;
    n.EditFontRecord()->m_fontItalic = 0;
    n.EditFontRecord()->m_fontWeight = 700;
    n.m_color = 0x00FF0000;
    n.EditBorderRecord()->m_backgroundColor = 0xFFFFFF;
    n.EditBorderRecord()->m_backgroundPattern = 2;
    n.EditBorderRecord()->m_borderStyle = 3;
    n.EditBorderRecord()->m_borderWidth = 4;
    n.EditBorderRecord()->m_beforeStyle = 5;
    n.EditBorderRecord()->m_beforeWidth = 6;
    n.EditBorderRecord()->m_afterStyle = 7;
    n.EditBorderRecord()->m_afterWidth = 8;
    n.m_alignReserved = 0x1A2;
    n.m_scriptPosition = 2;
    n.m_areaWidth = 30;
    n.m_areaHeight = 40;
    n.EditCharacterRecord()->m_charReserved1 = 41;
    n.EditCharacterRecord()->m_letterSpacing = 42;
    n.EditCharacterRecord()->m_charReserved2 = 43;
    n.EditCharacterRecord()->m_underlineWidth = 44;
    n.EditCharacterRecord()->m_lineThroughWidth = 45;
    n.EditCharacterRecord()->m_underlineStyle = 46;
    n.EditCharacterRecord()->m_lineThroughStyle = 47;
    n.EditNumbering().m_renbanForce = 5;
    n.EditNumbering().m_renbanType = 6;
    std::memset(n.EditNumbering().m_renbanFace, 0, sizeof n.Numbering().m_renbanFace);
    std::strcpy(n.EditNumbering().m_renbanFace, "Label");
    n.EditNumbering().m_renbanSize = 176;
    n.EditNumbering().m_renbanString = u"ab";
    n.m_leftOverhang = 17;
    n.m_rightOverhang = -18;
    n.m_idClass = 3;
    n.m_class = 4;
}

Bytes FontRecordBytes() { return Block(Cat({Face("Arial"), Ints({371, 1, 0, 700})})); }
Bytes ColorBytes() { return Block(Int32(0x00FF0000)); }
Bytes BorderBytes() { return Block(Ints({0xFFFFFF, 2, 3, 4, 5, 6, 7, 8})); }

// The node part, then the element part of a node with the given text, kind and child count.
Bytes NodeAndElementBytes(std::u16string_view text, uint32_t kind, int children, int blank = 0)
{
    return Cat({Block(LayoutBytes()), FontRecordBytes(), ColorBytes(), BorderBytes(), Block(Byte(0xA2)),
                Block(Ints({0x1A2, 2})), Block(Ints({30, 40})), Block(Ints({41, 42, 43, 44, 45, 46, 47})),
                Ints({5, 6}), Face("Label"), Int32(176), WStr(u"ab"), Ints({17, -18}),
                WStr(text), Ints({static_cast<int32_t>(kind), 1, blank, 3, 4, children})});
}

// The character part: state, LOGFONT, font, colour and border records.
Bytes CharPartBytes()
{
    return Cat({Int32(CEditChar::kText), Block(LogFontBytes(kFontHeight, 400, 1, kShiftJis, "Arial")),
                FontRecordBytes(), ColorBytes(), BorderBytes()});
}

template <typename T>
T* MakeNode(T* node, const char16_t* text)
{
    if (text != nullptr)
        node->SetText(text);
    SetNodeFields(*node);
    return node;
}

const CRuntimeClassRegistry& ProblemEditorClasses()
{
    static const CRuntimeClassRegistry registry = [] {
        CRuntimeClassRegistry r;
        RegisterNodeClasses(r, NODE_PROGRAM::ProblemEditor);
        return r;
    }();
    return registry;
}

const CRuntimeClassRegistry& FormulaEditorClasses()
{
    static const CRuntimeClassRegistry registry = [] {
        CRuntimeClassRegistry r;
        RegisterNodeClasses(r, NODE_PROGRAM::FormulaEditor);
        return r;
    }();
    return registry;
}

Bytes ListBytes(std::initializer_list<CEditNode*> nodes)
{
    std::vector<CEditNode*> list(nodes);
    return NodeListToBytes(list);
}

// A paragraph with one box of two lines and one line break.
std::unique_ptr<CEditSentence> MakeParagraph()
{
    auto paragraph = std::make_unique<CEditSentence>();
    SetNodeFields(*paragraph);
    paragraph->SetMargins(100, 0, 0, 0);
    paragraph->m_lineSpacing = 71;
    paragraph->m_textAlign = 3;
    auto box = std::make_unique<CEditBox>();
    for (int i = 0; i < 2; ++i) {
        EDIT_LINE line;
        SetLayout(line);
        line.m_first = i;
        line.m_last = i + 10;
        line.m_maxFontSize = 371 + i;
        box->SetLineAtGrow(i, line);
    }
    paragraph->SetBoxAtGrow(0, std::move(box));
    paragraph->AppendChild(MakeNode(new CEditCR(), nullptr));
    paragraph->m_questionNumber = 3;
    paragraph->m_subQuestionNumber = 1;
    paragraph->m_partKind = PART_ANSWER;
    return paragraph;
}

Bytes LineBytes(int i)
{
    return Cat({LayoutBytes(), Ints({i, i + 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 371 + i})});
}

// Expected bytes of a list holding MakeParagraph().
Bytes ParagraphListBytes()
{
    const Bytes lineBreak = Cat({NewClass("CEditCR"), Block(Ints({0, 71, 0, 0})), Int32(CEditChar::kEmpty),
                                 Block(LogFontBytes(kFontHeight, 400, 1, kShiftJis, "Arial")), FontRecordBytes(),
                                 ColorBytes(), BorderBytes(), NodeAndElementBytes(u"", 0x11001002, 0, 1)});
    return Cat({U16(1), NewClass("CEditSentence"), Block(Ints({100, 0, 0, 0})), Block(Ints({0, 71, 0, 3})),
                Int32(1), U16(2), LineBytes(0), LineBytes(1), NodeAndElementBytes(u"", 0x20001002, 1), lineBreak});
}

class NodeArchiveTest : public ::testing::Test {
protected:
    void SetUp() override { RegisterNodeClasses(ProgramClassRegistry(), NODE_PROGRAM::ProblemEditor); }
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// Bytes from the tables

TEST_F(NodeArchiveTest, CharacterStreamsItsPartsInTableOrder)
{
    std::unique_ptr<CEditChar> a(MakeNode(new CEditChar(), u"A"));
    const Bytes expected =
        Cat({U16(1), NewClass("CEditChar"), CharPartBytes(), NodeAndElementBytes(u"A", 0x01001001, 0)});
    EXPECT_EQ(ListBytes({a.get()}), expected);
}

TEST_F(NodeArchiveTest, ListOfThreeCharactersNamesTheClassOnceThenRefersBack)
{
    std::unique_ptr<CEditChar> a(MakeNode(new CEditChar(), u"A"));
    std::unique_ptr<CEditChar> b(MakeNode(new CEditChar(), u"B"));
    std::unique_ptr<CEditChar> c(MakeNode(new CEditChar(), u"C"));
    // Class CEditChar takes index 1, the first object 2; the class tag is then 0x8000 | 1.
    const Bytes expected = Cat({U16(3), NewClass("CEditChar"), CharPartBytes(), NodeAndElementBytes(u"A", 0x01001001, 0),
                                U16(0x8001), CharPartBytes(), NodeAndElementBytes(u"B", 0x01001001, 0), U16(0x8001),
                                CharPartBytes(), NodeAndElementBytes(u"C", 0x01001001, 0)});
    EXPECT_EQ(ListBytes({a.get(), b.get(), c.get()}), expected);
}

TEST_F(NodeArchiveTest, ParagraphStreamsMarginsLineRecordBoxesLinesAndChildren)
{
    const auto paragraph = MakeParagraph();
    EXPECT_EQ(ListBytes({paragraph.get()}), ParagraphListBytes());
}

TEST_F(NodeArchiveTest, QuestionNumberWritesItsStyleBeforeTheCharacter)
{
    std::unique_ptr<CEditDmonno> label(MakeNode(new CEditDmonno(7), u"(1)"));
    const Bytes expected = Cat({U16(1), NewClass("CEditDmonno"), Int32(7), CharPartBytes(),
                                NodeAndElementBytes(u"(1)", 0x4000100A, 0)});
    EXPECT_EQ(ListBytes({label.get()}), expected);
}

TEST_F(NodeArchiveTest, FurnitureBlocksAndPointsLabelUseTheirBaseForms)
{
    // Text boxes, page breaks and name fields store the container form only; the points label
    // the character form (its points record is not stored).
    struct Case {
        CEditNode* node;
        const char* className;
        uint32_t kind;
    };
    std::unique_ptr<CEditGai> gai(MakeNode(new CEditGai(), nullptr));
    std::unique_ptr<CEditKaiPage> kaiPage(MakeNode(new CEditKaiPage(), nullptr));
    std::unique_ptr<CEditKimeiran> kimeiran(MakeNode(new CEditKimeiran(), nullptr));
    for (const Case& c : {Case{gai.get(), "CEditGai", 0x2000100E}, Case{kaiPage.get(), "CEditKaiPage", 0x20001010},
                          Case{kimeiran.get(), "CEditKimeiran", 0x2000100D}}) {
        const Bytes expected = Cat({U16(1), NewClass(c.className), Block(Ints({0, 0, 0, 0})), Block(Ints({0, 71, 0, 0})),
                                    Int32(0), NodeAndElementBytes(u"", c.kind, 0)});
        EXPECT_EQ(ListBytes({c.node}), expected) << c.className;
    }
    std::unique_ptr<CEditHaiten> haiten(MakeNode(new CEditHaiten(), u"（5点）"));
    haiten->m_info.p3 = 5;
    EXPECT_EQ(ListBytes({haiten.get()}), Cat({U16(1), NewClass("CEditHaiten"), CharPartBytes(),
                                              NodeAndElementBytes(u"（5点）", 0x0000100F, 0)}));
}

// ---------------------------------------------------------------------------------------------
// Round trips

TEST_F(NodeArchiveTest, HandWrittenParagraphReadsBackWithBoxLinesAndChild)
{
    const auto nodes = NodeListFromBytes(ParagraphListBytes(), &ProblemEditorClasses());
    ASSERT_EQ(nodes.size(), 1u);
    auto* paragraph = dynamic_cast<CEditSentence*>(nodes[0].get());
    ASSERT_NE(paragraph, nullptr);
    EXPECT_EQ(paragraph->GetKind(), EditKind::Code(EditKind::kSentence));
    EXPECT_EQ(paragraph->m_marginLeft, 100);
    EXPECT_EQ(paragraph->m_textAlign, 3);
    ASSERT_EQ(paragraph->GetBoxCount(), 1);
    const CEditBox* box = paragraph->GetBox(0);
    ASSERT_EQ(box->GetLineCount(), 2);
    EXPECT_EQ(box->GetLine(1).m_first, 1);
    EXPECT_EQ(box->GetLine(1).m_maxFontSize, 372);
    EXPECT_EQ(box->GetLine(1).m_rcHit.bottom, 12);
    EXPECT_EQ(box->m_width, 0) << "a read box has a reset head";
    EXPECT_EQ(box->m_dirty, 1);
    EXPECT_EQ(paragraph->Numbering().m_renbanString, u"ab");
    EXPECT_EQ(std::string_view(paragraph->m_lf.lfFaceName), "Arial");
    // Question numbers and part kind are not part of the stream.
    EXPECT_EQ(paragraph->m_questionNumber, 0);
    EXPECT_EQ(paragraph->m_partKind, PART_NONE);
    ASSERT_EQ(paragraph->GetChildCount(), 1);
    auto* lineBreak = dynamic_cast<CEditCR*>(paragraph->GetChildAt(0));
    ASSERT_NE(lineBreak, nullptr);
    EXPECT_EQ(lineBreak->GetParent(), paragraph);
    EXPECT_EQ(lineBreak->m_lineSpacing, 71);
    // Written again, the same bytes.
    EXPECT_EQ(ListBytes({paragraph}), ParagraphListBytes());
}

TEST_F(NodeArchiveTest, EveryClassComesBackAsItsOwnClassWithItsFields)
{
    std::unique_ptr<CEditMonno> monno(MakeNode(new CEditMonno(11), u"x"));
    std::unique_ptr<CEditChar> a(MakeNode(new CEditChar(), u"A"));
    auto kaiPage = std::make_unique<CEditKaiPage>();
    kaiPage->Fill();
    auto gai = std::make_unique<CEditGai>();
    gai->AddLineBreak();
    auto edit = std::make_unique<CEditEdit>();
    const Bytes bytes = ListBytes({monno.get(), a.get(), kaiPage.get(), gai.get(), edit.get()});
    const auto nodes = NodeListFromBytes(bytes, &ProblemEditorClasses());
    ASSERT_EQ(nodes.size(), 5u);
    const auto* readMonno = dynamic_cast<CEditMonno*>(nodes[0].get());
    ASSERT_NE(readMonno, nullptr);
    EXPECT_EQ(readMonno->GetStyle(), 11);
    EXPECT_EQ(nodes[1]->GetText(), u"A");
    EXPECT_EQ(dynamic_cast<CEditChar*>(nodes[1].get())->m_state, CEditChar::kText);
    ASSERT_NE(dynamic_cast<CEditKaiPage*>(nodes[2].get()), nullptr);
    EXPECT_EQ(nodes[2]->GetEditChild(0)->GetText(), kPageBreakText);
    EXPECT_EQ(nodes[2]->GetEditChild(0)->m_color, kPageBreakColor);
    EXPECT_NE(dynamic_cast<CEditGai*>(nodes[3].get()), nullptr);
    EXPECT_NE(dynamic_cast<CEditEdit*>(nodes[4].get()), nullptr);
    std::vector<CEditNode*> again;
    for (const auto& node : nodes)
        again.push_back(node.get());
    EXPECT_EQ(NodeListToBytes(again), bytes);
}

// ---------------------------------------------------------------------------------------------
// Class sets and damaged streams

TEST_F(NodeArchiveTest, FormulaEditorRefusesClassesItLacks)
{
    for (CEditNode* node : std::initializer_list<CEditNode*>{new CEditDmonno(1), new CEditMonno(1), new CEditHaiten(),
                                                             new CEditEdit()}) {
        std::unique_ptr<CEditNode> owned(node);
        std::unique_ptr<CEditChar> a(new CEditChar(u'a'));
        const Bytes bytes = ListBytes({a.get(), node});
        EXPECT_NO_THROW(NodeListFromBytes(bytes, &ProblemEditorClasses()));
        try {
            NodeListFromBytes(bytes, &FormulaEditorClasses());
            ADD_FAILURE() << node->GetRuntimeClass()->m_lpszClassName << " was read";
        } catch (const CArchiveException& e) {
            EXPECT_EQ(e.m_cause, CArchiveException::badClass);
        }
    }
}

TEST_F(NodeArchiveTest, EveryTruncationOfAStreamIsRefused)
{
    const Bytes bytes = ParagraphListBytes();
    for (size_t length = 0; length < bytes.size(); ++length) {
        const Bytes cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_THROW(NodeListFromBytes(cut, &ProblemEditorClasses()), CArchiveException) << length;
    }
}

TEST_F(NodeArchiveTest, BadLengthsCountsAndFacesAreRefused)
{
    const Bytes good = ParagraphListBytes();
    // Offsets in the hand-written bytes: list count 2, class tag 19 ("CEditSentence"), margins
    // block at 2 + 19.
    const size_t margins = 2 + 19;
    const size_t boxCount = margins + 20 + 20;
    const size_t lineCount = boxCount + 4;
    const size_t firstLineFace = lineCount + 2 + 84 + 28;
    const size_t nodePart = lineCount + 2 + 2 * 328;
    const size_t fontRecordFace = nodePart + 4 + 272 + 4;
    const size_t childCount = nodePart + LayoutBytes().size() + 4 + 52 + 8 + 36 + 5 + 12 + 12 + 32 + 8 + 32 + 4 +
                              WStr(u"ab").size() + 8 + WStr(u"").size() + 20;
    ASSERT_EQ(Bytes(good.begin() + static_cast<std::ptrdiff_t>(childCount), good.begin() + static_cast<std::ptrdiff_t>(childCount) + 4),
              Int32(1));
    struct Case {
        const char* what;
        size_t offset;
        Bytes replacement;
    };
    const Case cases[] = {
        {"margin block length", margins, Int32(15)},
        {"margin block length too long", margins, Int32(17)},
        {"negative box count", boxCount, Int32(-1)},
        {"box count past the data", boxCount, Int32(0x7FFFFFFF)},
        {"line count past the data", lineCount, U16(0xFFFE)},
        {"escalated line count", lineCount, Cat({U16(0xFFFF), Int32(-1)})},
        {"line face without terminator", firstLineFace, Bytes(32, 'A')},
        {"layout block length", nodePart, Int32(271)},
        {"font record face without terminator", fontRecordFace, Bytes(32, 'B')},
        {"child count past the data", childCount, Int32(2)},
        {"negative child count", childCount, Int32(-1)},
    };
    for (const Case& c : cases) {
        Bytes bad = good;
        std::copy(c.replacement.begin(), c.replacement.end(), bad.begin() + static_cast<std::ptrdiff_t>(c.offset));
        EXPECT_THROW(NodeListFromBytes(bad, &ProblemEditorClasses()), CArchiveException) << c.what;
    }
}

TEST_F(NodeArchiveTest, ListEntriesMustBeEditingNodes)
{
    // A plain element node as list entry, or as child of an editing node, is no editing tree.
    CQNXMLNode plain(5);
    const Bytes plainBytes = StoreBytes([&](CArchive& ar) {
        const CObject* objects[] = {&plain};
        ar.WriteObjectList(objects);
    });
    EXPECT_THROW(NodeListFromBytes(plainBytes, &ProblemEditorClasses()), CArchiveException);

    CEditSentence paragraph;
    paragraph.AppendChild(new CQNXMLNode(5));
    const Bytes nested = ListBytes({&paragraph});
    EXPECT_THROW(NodeListFromBytes(nested, &ProblemEditorClasses()), CArchiveException);

    const Bytes nullEntry = Cat({U16(1), U16(0)});
    EXPECT_THROW(NodeListFromBytes(nullEntry, &ProblemEditorClasses()), CArchiveException);
}

TEST_F(NodeArchiveTest, ControlCharactersInNamesAndTextsAreRefused)
{
    // Each would reach the print file, which cannot hold it.
    struct Case {
        const char* what;
        void (*spoil)(CEditNode&);
        bool accepted;
    };
    const Case cases[] = {
        {"clean", [](CEditNode&) {}, true},
        {"tab in the text", [](CEditNode& n) { n.SetText(u"a\tb"); }, true},
        {"control character in the text", [](CEditNode& n) { n.SetText(u"a\x01"); }, false},
        {"unpaired surrogate in the text", [](CEditNode& n) { n.SetText(u"\xD800"); }, false},
        {"control character in the drawing face", [](CEditNode& n) { std::strcpy(n.m_lf.lfFaceName, "A\x01"); }, false},
        {"control character in the font face", [](CEditNode& n) { std::strcpy(n.EditFontRecord()->m_fontFace, "\x02"); }, false},
        {"control character in the label face", [](CEditNode& n) { std::strcpy(n.EditNumbering().m_renbanFace, "\x1B"); }, false},
        {"control character in the label text", [](CEditNode& n) { n.EditNumbering().m_renbanString = u"\x07"; }, false},
    };
    for (const Case& c : cases) {
        auto paragraph = MakeParagraph();
        std::unique_ptr<CEditChar> character(MakeNode(new CEditChar(), u"a"));
        c.spoil(*character);
        paragraph->InsertChildAt(0, character.release());
        const Bytes bytes = ListBytes({paragraph.get()});
        if (c.accepted)
            EXPECT_EQ(NodeListFromBytes(bytes, &ProblemEditorClasses()).size(), 1u) << c.what;
        else
            EXPECT_THROW(NodeListFromBytes(bytes, &ProblemEditorClasses()), CArchiveException) << c.what;
    }
}

TEST_F(NodeArchiveTest, AnySingleByteDamageIsReadOrRefusedCleanly)
{
    const Bytes good = ParagraphListBytes();
    for (size_t i = 0; i < good.size(); ++i) {
        Bytes bad = good;
        bad[i] ^= 0xFF;
        try {
            NodeListFromBytes(bad, &ProblemEditorClasses());
        } catch (const CArchiveException&) {
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Clipboard

TEST_F(NodeArchiveTest, ClipboardCarriesANodeListUnderItsPrivateType)
{
    const UINT format = RegisterClipboardFormat(kNodeListClipboardFormatName);
    EXPECT_GE(format, 0xC000u);
    EXPECT_EQ(RegisterClipboardFormat("QN_CF_LIST_CHAR"), format);
    EXPECT_EQ(ClipboardFormatMimeType(format), "application/x-qn-QN_CF_LIST_CHAR");

    const auto paragraph = MakeParagraph();
    std::unique_ptr<CEditChar> a(MakeNode(new CEditChar(), u"漢"));
    std::unique_ptr<CEditDmonno> label(new CEditDmonno(4));
    std::vector<CEditNode*> copied{a.get(), paragraph.get(), label.get()};
    ASSERT_TRUE(CopyNodesToClipboard(copied));
    EXPECT_TRUE(ClipboardHasNodeList());
    std::vector<BYTE> raw;
    ASSERT_TRUE(GetClipboardData(format, raw));
    EXPECT_EQ(raw, NodeListToBytes(copied));

    const auto pasted = PasteNodesFromClipboard(&ProblemEditorClasses());
    ASSERT_EQ(pasted.size(), 3u);
    EXPECT_EQ(pasted[0]->GetText(), u"漢");
    EXPECT_EQ(pasted[0]->m_color, 0x00FF0000u);
    EXPECT_EQ(pasted[0]->CharacterRecord().m_underlineStyle, 46);
    EXPECT_EQ(pasted[1]->GetChildCount(), 1);
    EXPECT_EQ(dynamic_cast<CEditSentence*>(pasted[1].get())->GetBox(0)->GetLineCount(), 2);
    EXPECT_EQ(dynamic_cast<CEditDmonno*>(pasted[2].get())->GetStyle(), 4);

    // Damaged clipboard bytes are refused and nothing is pasted.
    raw.resize(raw.size() / 2);
    ASSERT_TRUE(SetClipboardData(format, raw));
    EXPECT_THROW(PasteNodesFromClipboard(&ProblemEditorClasses()), CArchiveException);
    // Another format on the clipboard: no node list.
    ASSERT_TRUE(SetClipboardData(RegisterClipboardFormat("another format"), raw));
    EXPECT_FALSE(ClipboardHasNodeList());
    EXPECT_TRUE(PasteNodesFromClipboard(&ProblemEditorClasses()).empty());
}
