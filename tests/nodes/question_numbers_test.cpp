// Question-number labels: texts of the fifteen styles in both writing directions, the faces the
// styles set, the number read from the enclosing part, the box of style 2 and the root's walks.
#include "nodes/question_numbers.h"

#include "base/gdi_cache.h"
#include "nodes/edit_print.h"
#include "nodes/edit_sentence.h"
#include "node_fixture.h"

#include <gtest/gtest.h>

#include <string>

using namespace nodetest;

namespace {

struct TextCase {
    int style;
    int number;
    bool vertical;
    bool sub;
    const char16_t* expected;
};

// U+3000 is written \u3000 so that the padding stays visible.
const TextCase kTextCases[] = {
    // major labels, horizontal
    {1, 5, false, false, u"(5)"},
    {1, 12, false, false, u"(12)"},
    {1, -1, false, false, u"(-1)"},
    {2, 7, false, false, u"７"},
    {2, 12, false, false, u"１２"},
    {3, 7, false, false, u"７"},
    {4, 3, false, false, u"【3】"},
    {5, 3, false, false, u"〔3〕"},
    {6, 3, false, false, u"〈3〉"},
    {7, 3, false, false, u"《3》"},
    {8, 3, false, false, u"③"},
    {9, 3, false, false, u"\u3000［三］"},
    {10, 3, false, false, u"\u3000（三）"},
    {11, 3, false, false, u"三"},
    {12, 3, false, false, u"\u3000【三】"},
    {13, 3, false, false, u"\u3000〔三〕"},
    {14, 3, false, false, u"\u3000〈三〉"},
    {15, 3, false, false, u"\u3000《三》"},
    {0, 3, false, false, u"[3]"},
    {16, 3, false, false, u"[3]"},
    // major labels, vertical
    {1, 5, true, false, u"\u3000（５）"},
    {1, 12, true, false, u"（１２）"},
    {2, 7, true, false, u"\u3000七"},
    {3, 7, true, false, u"\u3000７"},
    {4, 3, true, false, u"\u3000【３】"},
    {5, 3, true, false, u"\u3000〔３〕"},
    {6, 3, true, false, u"\u3000〈３〉"},
    {7, 3, true, false, u"\u3000《３》"},
    {8, 3, true, false, u"\u3000③\u3000"},
    {9, 3, true, false, u"\u3000［三］"},
    {10, 3, true, false, u"\u3000（三）"},
    {11, 3, true, false, u"\u3000三"},
    {12, 3, true, false, u"\u3000【三】"},
    {15, 3, true, false, u"\u3000《三》"},
    {0, 3, true, false, u"\u3000［３］"},
    {0, 12, true, false, u"［１２］"},
    // sub-question labels, horizontal
    {1, 2, false, true, u"\u3000(2)"},
    {2, 2, false, true, u"\u3000２"},
    {2, 12, false, true, u"\u3000１２"},
    {3, 2, false, true, u"\u3000２"},
    {4, 2, false, true, u"\u3000【2】"},
    {5, 2, false, true, u"\u3000〔2〕"},
    {6, 2, false, true, u"\u3000〈2〉"},
    {7, 2, false, true, u"\u3000《2》"},
    {8, 2, false, true, u"②"},
    {9, 2, false, true, u"\u3000［二］"},
    {11, 2, false, true, u"二"},
    {0, 2, false, true, u"\u3000[2]"},
    // sub-question labels, vertical: a space after every closing bracket or number
    {1, 2, true, true, u"\u3000（２）\u3000"},
    {2, 2, true, true, u"\u3000二\u3000"},
    {3, 2, true, true, u"\u3000２\u3000"},
    {4, 2, true, true, u"\u3000【２】\u3000"},
    {8, 2, true, true, u"\u3000②\u3000"},
    {9, 2, true, true, u"\u3000［二］\u3000"},
    {10, 2, true, true, u"\u3000（二）\u3000"},
    {11, 2, true, true, u"\u3000二\u3000"},
    {0, 2, true, true, u"\u3000［２］\u3000"},
};

// Face names in code page 932.
const std::string kMincho = "\x82\x6c\x82\x72\x20\x96\xbe\x92\xa9";
const std::string kGothic = "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e";
const std::string kPGothic = "\x82\x6c\x82\x72\x20\x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e";

// A root with one question part numbered (major, sub) holding the label and a line break.
struct Paper {
    CEditPrint root;
    CEditSentence* part = nullptr;

    Paper(int major, int sub)
    {
        part = new CEditSentence();
        part->m_questionNumber = major;
        part->m_subQuestionNumber = sub;
        part->m_partKind = PART_QUESTION;
        root.AppendChild(part);
    }
    template <typename T>
    T* Add(T* label)
    {
        label->m_lf.lfHeight = -kEm;
        part->AppendChild(label);
        return label;
    }
};

}  // namespace

TEST(QuestionNumbers, TextsOfEveryStyleInBothDirections)
{
    for (const TextCase& c : kTextCases) {
        EXPECT_EQ(QuestionNumberText(c.style, c.number, c.vertical, c.sub), CStringW(c.expected))
            << "style " << c.style << " number " << c.number << (c.vertical ? " vertical" : " horizontal")
            << (c.sub ? " sub" : " major");
    }
}

TEST(QuestionNumbers, StylesSetMinchoOrGothicFacesForTheWritingDirection)
{
    SwitchGuard guard;
    struct Case {
        int style;
        int vertical;
        std::string face;
        int height;  // 0: unchanged
        int turn;
    };
    const Case cases[] = {
        {1, 0, kPGothic, -371, 0},       {1, 1, "@" + kGothic, -371, 2700}, {2, 0, kMincho, 0, 0},
        {2, 1, "@" + kMincho, 0, 2700},  {8, 0, kMincho, 0, 0},             {10, 0, kPGothic, -371, 0},
        {15, 1, "@" + kMincho, 0, 2700}, {0, 0, kPGothic, -371, 0},         {99, 1, "@" + kGothic, -371, 2700},
    };
    for (const Case& c : cases) {
        CurrentWritingVertical = c.vertical;
        for (CEditQuestionNumber* label : {static_cast<CEditQuestionNumber*>(new CEditDmonno()),
                                           static_cast<CEditQuestionNumber*>(new CEditMonno())}) {
            std::unique_ptr<CEditQuestionNumber> owned(label);
            label->m_lf.lfHeight = -500;
            label->SetStyle(c.style);
            EXPECT_EQ(label->GetStyle(), c.style);
            EXPECT_EQ(std::string(label->m_lf.lfFaceName), c.face) << c.style;
            EXPECT_EQ(std::string(label->FontRecord().m_fontFace), c.face) << "font record follows the LOGFONT";
            EXPECT_EQ(label->m_lf.lfHeight, c.height != 0 ? c.height : -500) << c.style;
            EXPECT_EQ(label->m_lf.lfEscapement, c.turn);
            EXPECT_EQ(label->m_lf.lfOrientation, c.turn);
        }
    }
}

TEST(QuestionNumbers, LabelsPrintTheNumbersOfTheirPart)
{
    SwitchGuard guard;
    CurrentWritingVertical = 0;
    CRecordingDC dc;
    CDisplayMap map = IdentityMap();
    Paper paper(5, 2);
    auto* major = paper.Add(new CEditDmonno(1));
    auto* sub = paper.Add(new CEditMonno(4));
    LAYOUT_CONTEXT context = MeasureContext(10000);
    major->Measure(&dc, &map, &context);
    sub->Measure(&dc, &map, &context);
    EXPECT_EQ(major->GetText(), u"(5)");
    EXPECT_EQ(sub->GetText(), u"\u3000【2】");
    // Renumbering shows at the next measuring; a label outside any part reads −1.
    paper.part->m_questionNumber = 6;
    major->Measure(&dc, &map, &context);
    EXPECT_EQ(major->GetText(), u"(6)");
    CEditDmonno loose(1);
    loose.Measure(&dc, &map, &context);
    EXPECT_EQ(loose.GetText(), u"(-1)");
    // The text follows the writing direction, the font only a new style.
    CurrentWritingVertical = 1;
    major->Measure(&dc, &map, &context);
    EXPECT_EQ(major->GetText(), u"\u3000（６）");
    EXPECT_EQ(major->m_lf.lfEscapement, 0);
}

TEST(QuestionNumbers, StyleTwoBoxesTheNumberWithoutItsSpacesAndLetterSpacing)
{
    SwitchGuard guard;
    CurrentWritingVertical = 1;
    CRecordingDC dc;
    CDisplayMap map = IdentityMap(1);
    Paper paper(7, 0);
    auto* label = paper.Add(new CEditDmonno(2));
    label->m_lf.lfHeight = -kEm;  // Mincho keeps the size
    LAYOUT_CONTEXT context = MeasureContext(10000);
    context.letterSpacing = 10;
    label->Measure(&dc, &map, &context);
    EXPECT_EQ(label->GetText(), u"\u3000七");
    // Two full-width characters of 100 plus the letter spacing; the box leaves out the space
    // and the spacing.
    EXPECT_EQ(label->m_width, 210);
    EXPECT_EQ(label->m_frameLeftInset, 100);
    EXPECT_EQ(label->m_frameWidth, 100);
    EXPECT_EQ(label->m_frameHeight, 100);
    LAYOUT_CONTEXT place = LayoutContext(1000, 2000);
    place.rowAscent = 80;
    label->Layout(&place, 1);
    EXPECT_TRUE(SameRect(label->m_frameRect, Rect(1100, 2000, 1200, 2100))) << RectText(label->m_frameRect);

    CreateGdiResources();  // the program's start-up: the cache's palette pens
    CDisplayMap flat = IdentityMap();
    label->Draw(&dc, &flat, &place);
    const auto rectangles = dc.CallsOf(GdiOp::Rectangle);
    ASSERT_EQ(rectangles.size(), 1u);
    EXPECT_TRUE(SameRect(rectangles[0].rect, Rect(1100, 2000, 1200, 2100)));
    EXPECT_EQ(rectangles[0].pen.color, 0xFF00FFu);
    EXPECT_EQ(rectangles[0].brush.style, static_cast<UINT>(BS_NULL));
}

TEST(QuestionNumbers, MagentaOnScreenBlackOnPaperNothingWhenHiddenBySystem)
{
    SwitchGuard guard;
    CurrentWritingVertical = 0;
    CDisplayMap map = IdentityMap();
    Paper paper(1, 0);
    auto* label = paper.Add(new CEditDmonno(1));
    CRecordingDC screen;
    LAYOUT_CONTEXT context = MeasureContext(10000);
    label->Measure(&screen, &map, &context);
    LAYOUT_CONTEXT place = LayoutContext(0, 0);
    label->Layout(&place, 0);
    for (auto [kind, color] : {std::pair{DeviceKind::Screen, 0xFF00FFu}, std::pair{DeviceKind::Printer, 0u}}) {
        CRecordingDC dc(kind);
        label->Draw(&dc, &map, &place);
        const auto texts = dc.CallsOf(GdiOp::TextOutW);
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_EQ(texts[0].textColor, color);
        EXPECT_TRUE(dc.CallsOf(GdiOp::Rectangle).empty());
    }
    label->m_hidden = 2;
    CRecordingDC dc;
    label->Draw(&dc, &map, &place);
    EXPECT_TRUE(dc.Drawings().empty());
}

TEST(QuestionNumbers, RootWalksSetAndReadStylesOfEachKind)
{
    SwitchGuard guard;
    CurrentWritingVertical = 0;
    CEditPrint root;
    EXPECT_EQ(root.GetFirstDmonnoStyle(), -1);
    EXPECT_EQ(root.GetFirstMonnoStyle(), -1);
    auto* part = new CEditSentence();
    root.AppendChild(part);
    auto* inner = new CEditContainer(EditKind::Code(EditKind::kCell));
    part->AppendChild(inner);
    auto* first = new CEditDmonno(3);
    auto* nested = new CEditDmonno(5);
    auto* sub = new CEditMonno(9);
    part->AppendChild(first);
    inner->AppendChild(nested);
    part->AppendChild(sub);
    // Depth first: the label inside the cell comes before the one after the cell.
    EXPECT_EQ(root.GetFirstDmonnoStyle(), 5);
    EXPECT_EQ(root.GetFirstMonnoStyle(), 9);
    first->m_dirty = nested->m_dirty = sub->m_dirty = 0;
    root.SetAllDmonnoStyle(12);
    EXPECT_EQ(first->GetStyle(), 12);
    EXPECT_EQ(nested->GetStyle(), 12);
    EXPECT_EQ(first->m_dirty, 1);
    EXPECT_EQ(sub->GetStyle(), 9);
    EXPECT_EQ(sub->m_dirty, 0);
    root.SetAllMonnoStyle(2);
    EXPECT_EQ(sub->GetStyle(), 2);
}
