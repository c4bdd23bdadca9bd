// The line builder on its own: children of fixed sizes (no measuring, no paper), broken into
// lines and boxes by the rules a container or a question part sets; and the placement of a
// line by its alignment.
#include "nodes/edit_char.h"
#include "nodes/line_builder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// Children are written as text: '|' a line break, '#' a question-number label 100 wide, '◧'
// and '◨' floating frames (left, right) 200 wide and 250 high; every other character is a
// node 100 wide when full width and 50 when ASCII, all 100 high.
constexpr char16_t kLeftFrame = u'◧';
constexpr char16_t kRightFrame = u'◨';
constexpr int kFrameWidth = 200;
constexpr int kFrameHeight = 250;

class NumberLabel : public CEditChar {
public:
    NumberLabel() : CEditChar(EditKind::Code(EditKind::kDmonno)) { SetText(u"#"); }
};

class Frame : public CEditNode, public IFloatingFrame {
public:
    explicit Frame(int side) : CEditNode(EditKind::Code(EditKind::kFloat)), m_side(side) {}
    int GetFloatSide() const override { return m_side; }

private:
    int m_side;
};

void Size(CEditNode* node, int width)
{
    node->m_width = width;
    node->m_height = 100;
    node->m_ascent = 80;
    node->m_axis = 50;
    node->m_lf.lfHeight = -100;
    TEXTMETRICA metrics{};
    metrics.tmAveCharWidth = 50;
    node->m_tm = metrics;
}

std::vector<std::unique_ptr<CEditNode>> MakeChildren(std::u16string_view text)
{
    std::vector<std::unique_ptr<CEditNode>> children;
    for (char16_t c : text) {
        std::unique_ptr<CEditNode> node;
        if (c == u'|') {
            node = std::make_unique<CEditCR>();
            Size(node.get(), 0);
        } else if (c == u'#') {
            node = std::make_unique<NumberLabel>();
            Size(node.get(), 100);
        } else if (c == kLeftFrame || c == kRightFrame) {
            node = std::make_unique<Frame>(c == kLeftFrame ? FLOAT_LEFT : FLOAT_RIGHT);
            node->m_width = kFrameWidth;
            node->m_height = kFrameHeight;
        } else {
            node = std::make_unique<CEditChar>(c);
            Size(node.get(), c < 0x80 ? 50 : 100);
        }
        children.push_back(std::move(node));
    }
    return children;
}

// The lines of every box: "/" between lines, " ‖ " between boxes. A line is its children's
// text, led by "indent>" when indented and followed by "~" when it wrapped and "^" when it
// carried a word to the next line.
std::u16string Describe(const std::vector<std::unique_ptr<CEditBox>>& boxes,
                        const std::vector<std::unique_ptr<CEditNode>>& children)
{
    std::u16string text;
    for (size_t b = 0; b < boxes.size(); ++b) {
        if (b > 0)
            text += u" ‖ ";
        for (int l = 0; l < boxes[b]->GetLineCount(); ++l) {
            const EDIT_LINE line = boxes[b]->GetLine(l);
            if (l > 0)
                text += u"/";
            if (line.m_indent > 0) {
                for (char c : std::to_string(line.m_indent))
                    text += static_cast<char16_t>(c);
                text += u">";
            }
            for (int i = line.m_first; i >= 0 && i <= line.m_last; ++i) {
                const CEditNode* child = children[static_cast<size_t>(i)].get();
                text += IsLineBreak(child) ? std::u16string(u"|") : std::u16string(child->GetText().View());
            }
            if (line.m_wrapped)
                text += u"~";
            if (line.m_movedWord)
                text += u"^";
        }
    }
    return text;
}

struct Built {
    std::vector<std::unique_ptr<CEditNode>> children;
    std::vector<std::unique_ptr<CEditBox>> boxes;
    std::u16string text;
};

Built Build(std::u16string_view children, const LINE_SETTINGS& settings)
{
    Built built;
    built.children = MakeChildren(children);
    std::vector<CEditNode*> nodes;
    for (const auto& child : built.children)
        nodes.push_back(child.get());
    CLineBuilder builder(settings);
    builder.Build(nodes);
    built.boxes = builder.TakeBoxes();
    built.text = Describe(built.boxes, built.children);
    return built;
}

LINE_SETTINGS Plain(int available)
{
    LINE_SETTINGS settings;
    settings.available = available;
    return settings;
}

// The rules of a question part, on a page with room enough unless the case says otherwise.
LINE_SETTINGS Paragraph(int available, int indent = 0, bool questionText = false, int remaining = 100000,
                        int pageHeight = 100000)
{
    LINE_SETTINGS settings;
    settings.available = available;
    settings.spillToFurtherBoxes = true;
    settings.remainingHeight = remaining;
    settings.pageHeight = pageHeight;
    settings.keepLineStartForbidden = true;
    settings.carryAsciiWords = true;
    settings.hangingIndent = true;
    settings.indent = indent;
    settings.firstLineUnindented = questionText;
    settings.emptyLineTakesPrecedingHeight = false;
    settings.paragraphRecords = true;
    return settings;
}

}  // namespace

TEST(LineBuilder, BreaksLinesByTheRulesItIsGiven)
{
    struct Case {
        const char* name;
        std::u16string children;
        LINE_SETTINGS settings;
        std::u16string lines;
    };
    const Case cases[] = {
        {"plain: the width fills", u"aaaa|", Plain(150), u"aaa/a|"},
        {"plain: a line break ends its line", u"ab|cd|", Plain(1000), u"ab|/cd|"},
        {"plain: a child too wide stands alone, no empty line first", u"ああ|", Plain(50), u"あ/あ|"},
        {"plain: no line-start rule", u"あい。|", Plain(200), u"あい/。|"},
        {"plain: no word carry", u"ab cd|", Plain(200), u"ab c/d|"},
        {"full stop that overflows stays; the second moves on", u"あいう。。え|", Paragraph(300),
         u"あいう。~/。え|"},
        {"an overflowing ASCII word is carried whole", u"ab cdefg|", Paragraph(300), u"ab ~^/cdefg|"},
        {"a single word breaks where it overflows", u"abcdefg|", Paragraph(200), u"abcd~/efg|"},
        {"a word after only the line's first node breaks", u"あxyzw|", Paragraph(200), u"あxy~/zw|"},
        {"question text: its number line unindented, the rest under the number",
         u"#あいうえおかきくけこあい|", Paragraph(600, 0, true), u"#あいうえお~/100>かきくけこ~/100>あい|"},
        {"another part hangs under the question's indent", u"あいうえおか|", Paragraph(600, 100),
         u"100>あいうえお~/100>か|"},
        {"lines past the page's rest go to a further box", u"あいうえおかきくけ|", Paragraph(300, 0, false, 250, 350),
         u"あいう~/えおか~ ‖ きくけ|"},
        {"lines beside a frame are narrower until its bottom", u"◧あいうえおかきくけ|", Paragraph(400),
         u"あい~/うえ~/おか~/きくけ|"},
        {"a right frame narrows the lines as well", u"◨あいうえお|", Paragraph(400), u"あい~/うえ~/お|"},
        {"a frame within a line ends that line", u"あい◧うえ|", Paragraph(600), u"あい/うえ|"},
        {"a frame within a plain container's line ends it too", u"ab◨cd|", Plain(600), u"ab/cd|"},
        {"frames in a row end one line", u"あ◧◨い|", Paragraph(600), u"あ/い|"},
        {"a frame past the page's rest starts a further box", u"あ|◧い|", Paragraph(600, 0, false, 200, 1000),
         u"あ| ‖ い|"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Built built = Build(c.children, c.settings);
        EXPECT_EQ(built.text, c.lines);
    }
}

TEST(LineBuilder, RecordsWhereEachChildWent)
{
    // Box 0: "あいう" then "えおか"; box 1: "きくけ" and the line break.
    const Built built = Build(u"あいうえおかきくけ|", Paragraph(300, 0, false, 250, 350));
    ASSERT_EQ(built.boxes.size(), 2u);
    EXPECT_EQ(built.boxes[0]->m_width, 300);
    EXPECT_EQ(built.boxes[0]->m_height, 200);
    EXPECT_EQ(built.boxes[1]->m_height, 100);
    const int expected[][3] = {{0, 0, 0}, {0, 0, 1}, {0, 0, 2}, {0, 1, 0}, {0, 1, 1},
                               {0, 1, 2}, {1, 0, 0}, {1, 0, 1}, {1, 0, 2}, {1, 0, 3}};
    for (size_t i = 0; i < built.children.size(); ++i) {
        SCOPED_TRACE(i);
        const CEditNode* child = built.children[i].get();
        EXPECT_EQ(child->m_boxIndex, expected[i][0]);
        EXPECT_EQ(child->m_lineIndex, expected[i][1]);
        EXPECT_EQ(child->m_indexInLine, expected[i][2]);
    }
    const EDIT_LINE first = built.boxes[0]->GetLine(0);
    EXPECT_EQ(first.m_width, 300);
    EXPECT_EQ(first.m_slack, 0);
    EXPECT_EQ(first.m_height, 100);
    EXPECT_EQ(first.m_ascent, 80);
    EXPECT_EQ(first.m_count, 3);
    EXPECT_EQ(first.m_textCount, 3);
}

TEST(LineBuilder, LineSpacingAndSpacesAndTheFrameBottom)
{
    LINE_SETTINGS settings = Paragraph(600);
    settings.lineSpacing = 10;
    const Built built = Build(u"◧a b c|", settings);
    ASSERT_EQ(built.boxes.size(), 1u);
    const EDIT_LINE line = built.boxes[0]->GetLine(0);
    EXPECT_EQ(line.m_height, 120);
    EXPECT_EQ(line.m_spaces, 2);
    EXPECT_EQ(line.m_slack, 350);
    // The box reaches down to the frame's bottom, below its one line.
    EXPECT_EQ(built.boxes[0]->m_height, kFrameHeight);
    EXPECT_EQ(built.children[0]->m_boxIndex, 0);

    // A frame after the last line break still reaches down into the box; the paragraph keeps
    // an empty last line for it.
    const Built trailing = Build(u"あ|◧", Paragraph(600));
    EXPECT_EQ(trailing.boxes[0]->GetLineCount(), 2);
    EXPECT_EQ(trailing.boxes[0]->m_height, 100 + kFrameHeight);

    // A plain container records neither spaces nor slack.
    const Built plain = Build(u"a b c|", Plain(600));
    EXPECT_EQ(plain.boxes[0]->GetLine(0).m_spaces, 0);
    EXPECT_EQ(plain.boxes[0]->GetLine(0).m_slack, 0);
}

TEST(LineBuilder, AnEmptyLineTakesThePrecedingHeightOnlyInAPlainContainer)
{
    for (const bool paragraph : {false, true}) {
        SCOPED_TRACE(paragraph);
        std::vector<std::unique_ptr<CEditNode>> children = MakeChildren(u"あ||");
        children[0]->m_height = 200;
        children[0]->m_ascent = 160;
        std::vector<CEditNode*> nodes{children[0].get(), children[1].get(), children[2].get()};
        CLineBuilder builder(paragraph ? Paragraph(1000) : Plain(1000));
        builder.Build(nodes);
        EXPECT_EQ(children[2]->m_width, 50);
        EXPECT_EQ(children[2]->m_height, paragraph ? 100 : 200);
    }
}

TEST(LineBuilder, PlacesALineByItsAlignment)
{
    struct Case {
        int alignment;
        bool paragraph;
        int wrapped;
        int beside;
        LINE_PLACEMENT expected;
    };
    // A line 500 wide with indent 100, 3 spaces and 5 children, in a box 1000 wide: slack 500.
    const Case cases[] = {
        {ALIGN_LEFT, true, 1, 0, {100, 0, 0}},
        {ALIGN_CENTER, true, 1, 0, {300, 0, 0}},
        {ALIGN_RIGHT, true, 1, 0, {500, 0, 0}},
        {ALIGN_JUSTIFY, true, 1, 0, {100, 133, 0}},
        {ALIGN_JUSTIFY, true, 0, 0, {100, 0, 0}},     // the last line is not justified
        {ALIGN_JUSTIFY, true, 1, 200, {100, 66, 0}},  // beside a frame the room is smaller
        {ALIGN_DISTRIBUTE, true, 0, 0, {100, 0, 100}},
        {ALIGN_JUSTIFY, false, 1, 0, {100, 0, 0}},  // a plain container neither justifies
        {ALIGN_DISTRIBUTE, false, 1, 0, {100, 0, 0}},  // nor distributes
        {ALIGN_CENTER, true, 1, 200, {200, 0, 0}},
        {ALIGN_RIGHT, true, 1, 200, {300, 0, 0}},
        {9, true, 1, 0, {100, 0, 0}},
    };
    EDIT_LINE line;
    line.m_width = 500;
    line.m_indent = 100;
    line.m_spaces = 3;
    line.m_textCount = 5;
    line.m_slack = 500;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.alignment << " " << c.paragraph << " " << c.wrapped << " " << c.beside);
        line.m_wrapped = c.wrapped;
        const LINE_PLACEMENT placement = PlaceLine(c.alignment, line, 1000 - c.beside, c.beside, c.paragraph);
        EXPECT_EQ(placement.start, c.expected.start);
        EXPECT_EQ(placement.spaceExtra, c.expected.spaceExtra);
        EXPECT_EQ(placement.gapExtra, c.expected.gapExtra);
    }
}
