// Line breaking, alignment, numbering, drawing and hit testing of question parts, on the
// recording context (characters 100 high: full width 100, ASCII 50, ascent 80).
#include "paper_fixture.h"

#include "base/default_fonts.h"
#include "base/element_classes.h"
#include "base/gdi_cache.h"
#include "nodes/caret.h"

#include <vector>

using namespace nodetest;
using namespace papertest;

namespace {

class SentenceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { CreateGdiResources(); }

    void Measure(CEditSentence* part, int width, int pageHeight = 100000, int used = 0, int lineSpacing = 0)
    {
        LAYOUT_CONTEXT context = MeasureContext(width, lineSpacing);
        context.pageHeight = pageHeight;
        context.originY = used;
        part->Measure(&dc, &map, &context);
    }

    void Place(CEditSentence* part, int x, int y, int box = 0, int lineSpacing = 0)
    {
        LAYOUT_CONTEXT context = LayoutContext(x, y, 1);
        context.boxIndex = box;
        context.lineSpacing = lineSpacing;
        part->Layout(&context, 0);
    }

    // The children of a line as their texts, e.g. "ab |" for a, b, a space and a line break.
    static std::u16string LineText(CEditSentence* part, int box, int line)
    {
        const EDIT_LINE record = LineOf(part, box, line);
        std::u16string text;
        for (int i = record.m_first; i >= 0 && i <= record.m_last; ++i) {
            const CEditNode* child = part->GetEditChild(i);
            text += child->HasKindFlags(EditKind::kLineBreak) ? std::u16string(u"|") : std::u16string(child->GetText().View());
        }
        return text;
    }

    static std::vector<int> Lefts(CEditSentence* part, int first, int last)
    {
        std::vector<int> lefts;
        for (int i = first; i <= last; ++i)
            lefts.push_back(part->GetEditChild(i)->m_rcLayout.left);
        return lefts;
    }

    SwitchGuard switches;
    CRecordingDC dc;
    CDisplayMap map = IdentityMap();
};

}  // namespace

TEST_F(SentenceTest, KindFlagsAndContent)
{
    CEditSentence part;
    EXPECT_EQ(part.GetKind(), EditKind::Code(EditKind::kSentence));
    EXPECT_EQ(part.m_caretStop, 0);
    EXPECT_FALSE(part.HasContent());

    CurrentWritingVertical = 1;
    part.InitDefaultContent();
    ASSERT_EQ(part.GetChildCount(), 1);
    EXPECT_TRUE(part.GetEditChild(0)->IsKind(EditKind::kCR));
    EXPECT_EQ(part.m_lf.lfHeight, -CDefaultFontTable::Instance().GetDefaultHeight());
    EXPECT_EQ(part.m_lf.lfEscapement, 2700);  // the vertical default font
    EXPECT_FALSE(part.HasContent());

    // A number label does not count; a second line break or any character does.
    part.InsertChildAt(0, new TestNumberLabel(u"１"));
    EXPECT_FALSE(part.HasContent());
    AddCR(&part);
    EXPECT_TRUE(part.HasContent());
    part.DeleteChildAt(2);
    AddChar(&part, u'a');
    EXPECT_TRUE(part.HasContent());
}

TEST_F(SentenceTest, QuestionNumbersComeFromTheEnclosingPlainPart)
{
    CEditPrint root;
    CEditSentence* part = AddPart(&root, 3, 2, PART_ANSWER, nullptr, 1);
    CEditNode* character = part->GetEditChild(0);
    EXPECT_EQ(character->GetQuestionNumber(), 3);
    EXPECT_EQ(character->GetSubQuestionNumber(), 2);
    EXPECT_EQ(character->GetPartKind(), PART_ANSWER);

    auto* textBox = new TestBlock(EditKind::kGai);
    root.AppendChild(textBox);
    CEditChar* inBox = AddChar(textBox, u'x');
    EXPECT_EQ(inBox->GetQuestionNumber(), -1);
    EXPECT_EQ(inBox->GetPartKind(), -1);
}

TEST_F(SentenceTest, HangingIndentUnderTheQuestionNumberIsSharedWithTheQuestionsOtherParts)
{
    CEditPrint root;  // part layout mode 0: the numbers show only in the question text
    CEditSentence* question = AddPart(&root, 1, 0, PART_QUESTION, u"１", 12);
    CEditSentence* answer = AddPart(&root, 1, 0, PART_ANSWER, u"１", 6);
    CEditSentence* other = AddPart(&root, 2, 0, PART_ANSWER, nullptr, 3);

    Measure(question, 600);
    // Label and five kana; then indent 100 and five kana; then indent, two kana and the break.
    EXPECT_EQ(LineText(question, 0, 0), u"１あいうえお");
    EXPECT_EQ(LineText(question, 0, 1), u"かきくけこ");
    EXPECT_EQ(LineText(question, 0, 2), u"あい|");
    EXPECT_EQ(LineOf(question, 0, 0).m_indent, 0);
    EXPECT_EQ(LineOf(question, 0, 1).m_indent, 100);
    EXPECT_EQ(LineOf(question, 0, 1).m_width, 500);  // the indent is not part of the width
    EXPECT_EQ(LineOf(question, 0, 1).m_slack, 100);
    EXPECT_EQ(question->m_savedIndent, 100);
    EXPECT_EQ(answer->m_savedIndent, 100);
    EXPECT_EQ(other->m_savedIndent, 0);
    EXPECT_EQ(question->GetEditChild(0)->m_hidden, 0);

    Measure(answer, 600);
    // The answer's own label is hidden automatically but keeps its place.
    EXPECT_EQ(answer->GetEditChild(0)->m_hidden, 2);
    EXPECT_EQ(LineText(answer, 0, 0), u"１あいうえお");
    EXPECT_EQ(LineOf(answer, 0, 1).m_indent, 100);

    Measure(other, 600);
    EXPECT_EQ(LineOf(other, 0, 0).m_indent, 0);

    Place(question, 1000, 2000);
    EXPECT_EQ(question->GetEditChild(1)->m_rcLayout.left, 1100);
    EXPECT_EQ(question->GetEditChild(6)->m_rcLayout.left, 1100);  // second line under the first kana
    EXPECT_EQ(question->GetEditChild(6)->m_rcLayout.top, 2100);

    // With another arrangement every part shows its number.
    root.m_partLayoutMode = 1;
    Measure(answer, 600);
    EXPECT_EQ(answer->GetEditChild(0)->m_hidden, 0);
}

TEST_F(SentenceTest, LineStartForbiddenCharactersStayAtTheEndOfTheirLine)
{
    CEditSentence part;
    AddText(&part, u"あいう。。え");
    AddCR(&part);
    Measure(&part, 300);
    // The first full stop overhangs the line; the second one, after another, moves on.
    EXPECT_EQ(LineText(&part, 0, 0), u"あいう。");
    EXPECT_EQ(LineOf(&part, 0, 0).m_width, 400);
    EXPECT_EQ(LineOf(&part, 0, 0).m_slack, -100);
    EXPECT_EQ(LineText(&part, 0, 1), u"。え|");
}

TEST_F(SentenceTest, AsciiWordsAreCarriedWhole)
{
    struct Case {
        const char16_t* text;
        int width;
        std::vector<std::u16string> lines;
        int movedWord;
    };
    const Case cases[] = {
        // The line overflows inside the second word, which goes to the next line whole.
        {u"ab cdefg", 300, {u"ab ", u"cdefg|"}, 1},
        // A single word is broken where it overflows.
        {u"abcdefg", 200, {u"abcd", u"efg|"}, 0},
        // A word that follows only the line's first node is broken as well.
        {u"あxyzw", 200, {u"あxy", u"zw|"}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        CEditSentence part;
        AddText(&part, c.text);
        AddCR(&part);
        Measure(&part, c.width);
        ASSERT_EQ(part.GetBox(0)->GetLineCount(), static_cast<int>(c.lines.size()));
        for (size_t l = 0; l < c.lines.size(); ++l)
            EXPECT_EQ(LineText(&part, 0, static_cast<int>(l)), c.lines[l]);
        EXPECT_EQ(LineOf(&part, 0, 0).m_movedWord, c.movedWord);
        EXPECT_EQ(LineOf(&part, 0, 0).m_wrapped, 1);
    }
}

TEST_F(SentenceTest, JustifiedWrappedLinesWidenTheirSpaces)
{
    CEditSentence part;
    AddText(&part, u"あ\u3000い\u3000う\u3000えおかき");
    AddCR(&part, 3);
    Measure(&part, 930);
    const EDIT_LINE first = LineOf(&part, 0, 0);
    EXPECT_EQ(first.m_spaces, 3);
    EXPECT_EQ(first.m_slack, 30);
    EXPECT_EQ(first.m_wrapped, 1);

    Place(&part, 0, 0);
    EXPECT_EQ(Lefts(&part, 0, 8), (std::vector<int>{0, 100, 210, 310, 420, 520, 630, 730, 830}));
    // The last line is not justified.
    EXPECT_EQ(Lefts(&part, 9, 10), (std::vector<int>{0, 100}));
}

TEST_F(SentenceTest, AlignmentOfEachLineFollowsItsLineBreak)
{
    struct Case {
        int align;
        std::vector<int> lefts;  // the five kana and the line break
    };
    const Case cases[] = {
        {0, {0, 100, 200, 300, 400, 500}},
        {1, {20, 120, 220, 320, 420, 520}},
        {2, {40, 140, 240, 340, 440, 540}},
        {3, {0, 100, 200, 300, 400, 500}},  // not wrapped: nothing to justify
        {4, {0, 110, 220, 330, 440, 540}},  // 40 of slack over four gaps
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.align);
        CEditSentence part;
        AddKana(&part, 5);
        AddCR(&part, c.align);
        Measure(&part, 540);
        Place(&part, 0, 0);
        EXPECT_EQ(Lefts(&part, 0, 5), c.lefts);
    }
}

TEST_F(SentenceTest, UnderlineRunsAreNumberedPerTypeAndDecoration)
{
    CEditSentence part;
    auto labelled = [&](char16_t c, int type, int style, int force = 0) {
        CEditChar* node = AddChar(&part, c);
        node->EditNumbering().m_renbanType = type;
        node->EditCharacterRecord()->m_underlineStyle = style;
        node->EditCharacterRecord()->m_underlineWidth = 1;
        node->EditNumbering().m_renbanForce = force;
        return node;
    };
    CEditChar* a = labelled(u'a', 1, 1);
    CEditChar* b = labelled(u'b', 1, 1);
    AddChar(&part, u'x');
    CEditChar* c = labelled(u'c', 1, 1, 5);
    AddChar(&part, u'x');
    CEditChar* d = labelled(u'd', 1, 1);
    CEditChar* e = labelled(u'e', 2, 1);   // another type numbers from 1 on its own
    CEditChar* f = labelled(u'f', 1, 2);   // and so does another underline style
    CEditChar* g = labelled(u'g', 1, 1);
    AddCR(&part);
    Measure(&part, 10000);
    EXPECT_EQ(a->m_runNumber, 1);
    EXPECT_EQ(b->m_runNumber, 1);
    EXPECT_EQ(c->m_runNumber, 5);
    EXPECT_EQ(d->m_runNumber, 6);
    EXPECT_EQ(e->m_runNumber, 1);
    EXPECT_EQ(f->m_runNumber, 1);
    EXPECT_EQ(g->m_runNumber, 7);
    // Run boundaries: a..b is one run; e, f and g each start and end their own.
    EXPECT_EQ(a->m_runBits, CEditNode::kRunStart);
    EXPECT_EQ(b->m_runBits, CEditNode::kRunEnd);
    EXPECT_EQ(d->m_runBits, CEditNode::kRunStart | CEditNode::kRunEnd);
    EXPECT_EQ(f->m_runBits, CEditNode::kRunStart | CEditNode::kRunEnd);
    EXPECT_EQ(g->m_runBits, CEditNode::kRunStart | CEditNode::kRunEnd);
}

TEST_F(SentenceTest, LinesBeyondTheRestOfThePageContinueInAFurtherBox)
{
    CEditSentence part;
    AddKana(&part, 9);
    AddCR(&part);
    // 100 of a 350 high page is used: two lines fit, the third starts a box at the next page.
    Measure(&part, 300, 350, 100);
    ASSERT_EQ(part.GetBoxCount(), 2);
    EXPECT_EQ(part.GetBox(0)->GetLineCount(), 2);
    EXPECT_EQ(part.GetBox(0)->m_height, 200);
    EXPECT_EQ(part.GetBox(1)->GetLineCount(), 1);
    EXPECT_EQ(part.GetBox(1)->m_height, 100);
    EXPECT_EQ(part.m_height, 200);
    CEditNode* seventh = part.GetEditChild(6);
    EXPECT_EQ(seventh->m_boxIndex, 1);
    EXPECT_EQ(seventh->m_lineIndex, 0);

    // Each box is laid out where it is placed; the second from its own top.
    Place(&part, 0, 0, 0);
    Place(&part, 5000, 9000, 1);
    EXPECT_EQ(part.GetEditChild(3)->m_rcLayout.top, 100);
    EXPECT_EQ(seventh->m_rcLayout.left, 5000);
    EXPECT_EQ(seventh->m_rcLayout.top, 9000);
    EXPECT_EQ(part.GetEditChild(9)->m_rcLayout.left, 5300);
}

TEST_F(SentenceTest, LineSpacingAddsToEveryLine)
{
    CEditSentence part;
    AddKana(&part, 4);
    AddCR(&part);
    Measure(&part, 200, 100000, 0, 35);
    EXPECT_EQ(LineOf(&part, 0, 0).m_height, 170);
    EXPECT_EQ(part.m_height, 340);
    Place(&part, 0, 0, 0, 35);
    EXPECT_EQ(part.GetEditChild(2)->m_rcLayout.top, 170 + 35);
    EXPECT_EQ(part.GetEditChild(2)->m_ptText.y, 170 + 35 + 80);
}

TEST_F(SentenceTest, FloatingFrameNarrowsTheLinesBesideIt)
{
    CEditSentence part;
    auto* frame = new TestFrame(1, 200, 250);
    part.AppendChild(frame);
    AddKana(&part, 18);
    AddCR(&part);
    Measure(&part, 600);
    // Three lines lie beside the frame (four kana each), then the full width (six).
    EXPECT_EQ(LineOf(&part, 0, 0).m_count, 4);
    EXPECT_EQ(LineOf(&part, 0, 2).m_count, 4);
    EXPECT_EQ(LineOf(&part, 0, 3).m_count, 7);
    Place(&part, 1000, 0);
    EXPECT_EQ(frame->m_rcLayout.left, 1000);
    EXPECT_EQ(part.GetEditChild(1)->m_rcLayout.left, 1200);
    EXPECT_EQ(part.GetEditChild(9)->m_rcLayout.left, 1200);
    EXPECT_EQ(part.GetEditChild(13)->m_rcLayout.left, 1000);
    EXPECT_EQ(part.GetEditChild(13)->m_rcLayout.top, 300);
}

TEST_F(SentenceTest, ClicksBesideALineLandOnItsEnds)
{
    CEditSentence part;
    AddKana(&part, 3);
    AddCR(&part);
    Measure(&part, 1000);
    Place(&part, 0, 0);
    int after = -1;
    EXPECT_EQ(part.HitTest(160, 50, &after), part.GetEditChild(1));
    EXPECT_EQ(after, 1);
    // Right of the line break, still inside the box.
    EXPECT_EQ(part.HitTest(900, 50, &after), part.GetEditChild(3));
    EXPECT_EQ(after, 1);
    EXPECT_EQ(part.HitTest(1500, 50, &after), nullptr);
    part.m_hidden = 1;
    EXPECT_EQ(part.HitTest(150, 50, &after), nullptr);
}

TEST_F(SentenceTest, NodeAboveAndBelowAimAtTheColumnWhileMovingVertically)
{
    CEditSentence part;
    AddKana(&part, 7);
    AddCR(&part);
    Measure(&part, 300);
    Place(&part, 0, 0);
    CCaret caret;
    CEditNode* second = part.GetEditChild(1);
    EXPECT_EQ(part.GetNodeBelow(second, &caret), part.GetEditChild(5));  // the line's last node
    caret.m_verticalMove = 1;
    EXPECT_EQ(part.GetNodeBelow(second, &caret), part.GetEditChild(4));
    EXPECT_EQ(part.GetNodeAbove(part.GetEditChild(4), &caret), second);
    EXPECT_EQ(part.GetNodeAbove(second, &caret), second);  // no line above
}

TEST_F(SentenceTest, LabelAndBoxOutlinesShowOnScreenOnly)
{
    CEditSentence part;
    part.m_partKind = PART_QUESTION;
    AddKana(&part, 2);
    AddCR(&part);
    Measure(&part, 1000);
    Place(&part, 2000, 0);
    EXPECT_EQ(part.m_label.GetText(), u"問題");
    EXPECT_EQ(part.m_label.m_lf.lfHeight, -282);
    EXPECT_EQ(part.m_label.m_rcLayout.left, 1000);

    LAYOUT_CONTEXT context;
    part.Draw(&dc, &map, &context);
    std::vector<GdiCall> frames = dc.CallsOf(GdiOp::Rectangle);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].pen.color, 0xFF0000u);
    EXPECT_EQ(frames[0].rect.left, 999);
    EXPECT_EQ(frames[1].pen.color, 0xC0C0C0u);
    EXPECT_TRUE(SameRect(frames[1].rect, Rect(2000, 0, 3001, 101)));
    std::vector<GdiCall> texts = dc.CallsOf(GdiOp::TextOutW);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, u"問題");
    EXPECT_EQ(texts[0].textColor, 0xFF0000u);
    ASSERT_EQ(dc.CallsOf(GdiOp::ExtTextOutW).size(), 1u);
    EXPECT_EQ(dc.CallsOf(GdiOp::ExtTextOutW)[0].text, u"あい");

    CRecordingDC printer(DeviceKind::Printer);
    part.Draw(&printer, &map, &context);
    EXPECT_TRUE(printer.CallsOf(GdiOp::Rectangle).empty());
    EXPECT_TRUE(printer.CallsOf(GdiOp::TextOutW).empty());
    ASSERT_EQ(printer.CallsOf(GdiOp::ExtTextOutW).size(), 1u);
    EXPECT_EQ(printer.CallsOf(GdiOp::ExtTextOutW)[0].text, u"あい");
}

TEST_F(SentenceTest, BlockContainerElementCarriesVisibilityAndWidth)
{
    CFoBlockContainer element;
    element.m_visibility = 2;
    element.m_width = 4200;
    CEditSentence part;
    part.CopyStyleFromElement(&element);
    EXPECT_EQ(part.m_hidden, 2);
    EXPECT_EQ(part.m_areaWidth, 4200);
    part.m_hidden = 0;
    part.m_areaWidth = 3000;
    part.CopyStyleToElement(&element);
    EXPECT_EQ(element.m_visibility, 0);
    EXPECT_EQ(element.m_width, 3000);
}

TEST_F(SentenceTest, AChildWiderThanTheLineStandsAloneWithoutAnEmptyLineBeforeIt)
{
    // A run of seven kana in one node (700) in a 600 wide part: at the start of the part and
    // after a line break it starts its line, and no empty line is closed in front of it.
    for (const bool afterBreak : {false, true}) {
        SCOPED_TRACE(afterBreak);
        CEditSentence part;
        if (afterBreak) {
            AddText(&part, u"あ");
            AddCR(&part);
        }
        auto* run = new CEditChar(CStringW(u"あいうえおかき"));
        run->m_lf.lfHeight = -kEm;
        part.AppendChild(run);
        AddCR(&part);
        Measure(&part, 600, 100000, 0, 10);
        const int lines = afterBreak ? 2 : 1;
        ASSERT_EQ(part.GetBox(0)->GetLineCount(), lines);
        EXPECT_EQ(LineText(&part, 0, lines - 1), u"あいうえおかき|");
        EXPECT_EQ(run->m_lineIndex, lines - 1);
        EXPECT_EQ(part.m_height, lines * 120);
    }
}

TEST_F(SentenceTest, TextAfterAFloatingFrameWithinALineIsPlaced)
{
    // The frame ends the line it stands in when measured and when placed: the text after it
    // starts the next line, beside the frame. Frames in a row end only one line.
    struct Case {
        const char* name;
        std::vector<int> sides;  // frames after the first two kana
        std::vector<RECT> frames;
    };
    const Case cases[] = {
        {"one left frame", {1}, {Rect(0, 100, 200, 350)}},
        {"a right and a left frame", {2, 1}, {Rect(400, 100, 600, 350), Rect(0, 100, 200, 350)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CEditSentence part;
        AddKana(&part, 2);
        std::vector<TestFrame*> frames;
        for (int side : c.sides) {
            frames.push_back(new TestFrame(side, 200, 250));
            part.AppendChild(frames.back());
        }
        AddText(&part, u"うえ");
        CEditCR* cr = AddCR(&part);
        Measure(&part, 600);
        ASSERT_EQ(part.GetBox(0)->GetLineCount(), 2);
        EXPECT_EQ(LineText(&part, 0, 0), u"あい");
        Place(&part, 0, 0);
        for (size_t f = 0; f < frames.size(); ++f)
            EXPECT_TRUE(SameRect(frames[f]->m_rcLayout, c.frames[f])) << RectText(frames[f]->m_rcLayout);
        const size_t after = 2 + frames.size();
        EXPECT_TRUE(SameRect(part.GetEditChild(static_cast<int>(after))->m_rcLayout, Rect(200, 100, 300, 200)))
            << RectText(part.GetEditChild(static_cast<int>(after))->m_rcLayout);
        EXPECT_EQ(cr->m_rcLayout.left, 400);
        EXPECT_EQ(cr->m_page, 1);
    }
}
