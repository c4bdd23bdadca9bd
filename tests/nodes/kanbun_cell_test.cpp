#include "allocation_failure.h"
#include "node_fixture.h"

#include "base/default_fonts.h"
#include "base/gdi_cache.h"
#include "base/number_labels.h"
#include "nodes/caret.h"
#include "nodes/kanbun_cell.h"
#include "nodes/kunten_box.h"
#include "nodes/undo.h"
#include "nodes/undo_replay.h"

#include <cstring>
#include <typeinfo>

using namespace nodetest;

namespace {

constexpr char16_t kKanji = u'\u6F22';  // 漢: a full-width character

LOGFONTA FontOfHeight(int height)
{
    LOGFONTA font;
    CDefaultFontTable::Instance().GetDefaultFont(&font, 1);
    font.lfHeight = -height;
    return font;
}

int VerticalDefaultHeight()
{
    LOGFONTA font;
    CDefaultFontTable::Instance().GetDefaultFont(&font, 1);
    return font.lfHeight;
}

std::string Face(const CEditNode* node)
{
    return std::string(FaceNameView(node->m_lf.lfFaceName));
}

const CEditNode* LastChild(const CEditNode* box)
{
    return box->GetEditChild(box->GetChildCount() - 1);
}

// The classes of the children, one letter each: K reading-mark box, O kana box.
std::string Shape(const CEditKan& cell)
{
    std::string shape;
    for (int i = 0; i < cell.GetChildCount(); ++i) {
        const CEditNode* child = cell.GetEditChild(i);
        shape += dynamic_cast<const CEditKunten*>(child) ? 'K' : dynamic_cast<const CEditOkurigana*>(child) ? 'O' : '?';
    }
    return shape;
}

class KanbunCellTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { CreateGdiResources(); }

    // A cell around a base character of the given size, measured and laid out at (x0, y0) on a row
    // whose ascent is the cell's own, so that the cell's top is y0.
    void MeasureAndLayout(CEditKan& cell, int x0, int y0, int vertical = 0)
    {
        CDisplayMap layoutMap = IdentityMap(vertical);
        LAYOUT_CONTEXT measure = MeasureContext(20000);
        cell.Measure(&dc, &layoutMap, &measure);
        LAYOUT_CONTEXT layout = LayoutContext(x0, y0);
        layout.rowAscent = cell.m_ascent;
        cell.Layout(&layout, vertical);
    }

    SwitchGuard switches;
    CRecordingDC dc;
};

}  // namespace

TEST_F(KanbunCellTest, BuildersMakeTheSubBoxesOfEachForm)
{
    const int fullBreak = VerticalDefaultHeight();
    const int halfBreak = fullBreak / 2;
    struct Row {
        int fiveBoxes;
        const char* shape;
        // Per child: maximum characters and spacing (reading-mark boxes), push to end (kana
        // boxes), and the height of the box's line break.
        std::vector<int> maxChars, spacing, breakHeight;
    };
    const Row rows[] = {
        {0, "KKOOKKK", {1, 1, 0, 0, 1, 2, 1}, {40, 50, 0, 0, 60, 60, 40},
         {fullBreak, fullBreak, halfBreak, halfBreak, halfBreak, halfBreak, fullBreak}},
        {1, "KKOOK", {1, 1, 0, 0, 2}, {40, 50, 0, 0, 60}, {fullBreak, fullBreak, halfBreak, halfBreak, halfBreak}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.shape);
        CEditKan cell;
        cell.BuildEmpty(row.fiveBoxes);
        EXPECT_EQ(cell.m_hyphenMode, 0);
        ASSERT_EQ(Shape(cell), row.shape);
        for (int i = 0; i < cell.GetChildCount(); ++i) {
            const CEditNode* box = cell.GetEditChild(i);
            ASSERT_EQ(box->GetChildCount(), 1) << i;
            EXPECT_EQ(box->GetEditChild(0)->GetKind(), EditKind::Code(EditKind::kKanCR));
            EXPECT_EQ(box->GetEditChild(0)->m_lf.lfHeight, row.breakHeight[i]) << i;
            EXPECT_EQ(box->m_caretStop, 0);
            if (const auto* kunten = dynamic_cast<const CEditKunten*>(box)) {
                EXPECT_EQ(kunten->m_maxChars, row.maxChars[i]) << i;
                EXPECT_EQ(kunten->m_spacing, row.spacing[i]) << i;
            }
        }
        EXPECT_EQ(static_cast<const CEditOkurigana*>(cell.GetEditChild(2))->m_pushToEnd, 1);
        EXPECT_EQ(static_cast<const CEditOkurigana*>(cell.GetEditChild(3))->m_pushToEnd, 0);
    }
}

TEST_F(KanbunCellTest, BuildersFillTheBaseBoxAndHalveTheAnchorOfTheFiveBoxForm)
{
    const int anchorHeight = VerticalDefaultHeight();
    CEditChar source(kKanji);
    source.m_lf.lfHeight = -500;
    source.m_color = 0x123456;
    CEditKan around;
    around.BuildAround(&source, 0);
    const CEditNode* base = around.GetBaseBox()->GetEditChild(0);
    EXPECT_EQ(base->GetKind(), EditKind::Code(EditKind::kKanChar));
    EXPECT_EQ(base->GetText(), CStringW(kKanji));
    EXPECT_EQ(base->m_lf.lfHeight, -500);
    EXPECT_EQ(base->m_color, 0x123456u);
    EXPECT_EQ(LastChild(around.GetBaseBox())->m_lf.lfHeight, anchorHeight);
    EXPECT_EQ(around.GetHyphenAnchor().m_lf.lfHeight, anchorHeight);

    const LOGFONTA font = FontOfHeight(420);
    CEditKan fromText;
    fromText.BuildFromText(u"漢字", 1, &font);
    EXPECT_EQ(fromText.GetBaseBox()->GetChildCount(), 2);
    EXPECT_EQ(fromText.GetBaseBox()->GetEditChild(0)->GetText(), CStringW(u"漢字"));
    EXPECT_EQ(fromText.GetBaseBox()->GetEditChild(0)->m_lf.lfHeight, -420);
    EXPECT_EQ(LastChild(fromText.GetBaseBox())->m_lf.lfHeight, -420);
    EXPECT_EQ(fromText.GetHyphenAnchor().GetText(), CStringW(u"\u3000"));
    EXPECT_EQ(fromText.GetHyphenAnchor().m_lf.lfHeight, anchorHeight / 2);

    // A second build replaces the boxes.
    fromText.BuildEmpty(0);
    EXPECT_EQ(Shape(fromText), "KKOOKKK");
}

TEST_F(KanbunCellTest, BoxGettersFollowTheForm)
{
    CEditKan cell;
    cell.BuildEmpty(0);
    EXPECT_EQ(cell.GetPunctuationBox(), cell.GetEditChild(4));
    EXPECT_EQ(cell.GetReturnMarkBox(), cell.GetEditChild(5));
    EXPECT_EQ(cell.GetTrailBracketBox(), cell.GetEditChild(6));

    CEditKan hyphen;
    hyphen.m_hyphenMode = 1;
    hyphen.BuildEmpty(1);
    EXPECT_EQ(hyphen.GetLeadBracketBox(), hyphen.GetEditChild(0));
    EXPECT_EQ(hyphen.GetBaseBox(), hyphen.GetEditChild(1));
    EXPECT_EQ(hyphen.GetRightKanaBox(), hyphen.GetEditChild(2));
    EXPECT_EQ(hyphen.GetLeftKanaBox(), hyphen.GetEditChild(3));
    EXPECT_EQ(hyphen.GetPunctuationBox(), nullptr);
    EXPECT_EQ(hyphen.GetTrailBracketBox(), nullptr);
    EXPECT_EQ(hyphen.GetReturnMarkBox(), hyphen.GetEditChild(4));

    CStringW out(u"kept");
    EXPECT_EQ(hyphen.GetPunctuationText(out), 0);
    EXPECT_EQ(out, CStringW(u"kept"));
    hyphen.SetTrailBracketText(u"」", nullptr);  // no such box: nothing
    EXPECT_EQ(hyphen.GetChildCount(), 5);

    // A cell lacking boxes answers null, never a box of another class.
    CEditKan empty;
    EXPECT_EQ(empty.GetBaseBox(), nullptr);
    EXPECT_EQ(empty.GetFirstInner(), nullptr);
    empty.SetSatelliteSizes(nullptr);
}

TEST_F(KanbunCellTest, SettersMakeOneCharacterPerUnitAndGettersReadThemBack)
{
    CEditKan cell;
    cell.BuildFromText(u"漢", 0, nullptr);
    const int baseHeight = cell.GetBaseBox()->GetEditChild(0)->m_lf.lfHeight;

    cell.SetLeadBracketText(u"「「「「「「「「「", nullptr);
    CStringW text;
    EXPECT_EQ(cell.GetLeadBracketText(text), 0);
    EXPECT_EQ(text, CStringW(u"「「「「「「「「「"));
    EXPECT_EQ(cell.GetLeadBracketBox()->GetChildCount(), 10);

    cell.SetPunctuationText(u"レ○、", nullptr);
    const CEditNode* box = cell.GetPunctuationBox();
    ASSERT_EQ(box->GetChildCount(), 4);
    EXPECT_EQ(Face(box->GetEditChild(0)), "@Orvellan Gaiji");
    EXPECT_EQ(box->GetEditChild(0)->m_lf.lfHeight, baseHeight / 2);
    EXPECT_EQ(box->GetEditChild(1)->m_lf.lfHeight, baseHeight / 3);
    EXPECT_EQ(box->GetEditChild(2)->m_lf.lfHeight, baseHeight / 2);
    EXPECT_NE(Face(box->GetEditChild(2)), "@Orvellan Gaiji");
    EXPECT_EQ(box->GetEditChild(3)->GetKind(), EditKind::Code(EditKind::kKanCR));
    EXPECT_EQ(cell.GetPunctuationText(text), 1);
    EXPECT_EQ(text, CStringW(u"レ○、"));

    cell.SetReturnMarkText(u"一レ", nullptr);
    EXPECT_EQ(cell.GetReturnMarkText(text), 1);
    EXPECT_EQ(text, CStringW(u"一レ"));
    const CEditNode* marks = cell.GetReturnMarkBox();
    EXPECT_NE(Face(marks->GetEditChild(0)), "@Orvellan Gaiji");
    EXPECT_EQ(Face(marks->GetEditChild(1)), "@Orvellan Gaiji");

    // The format of the box's first node carries over; an empty text leaves the line break only.
    cell.GetTrailBracketBox()->GetEditChild(0)->m_color = 0x0000AA;
    cell.SetTrailBracketText(u"」", nullptr);
    EXPECT_EQ(cell.GetTrailBracketBox()->GetEditChild(0)->m_color, 0x0000AAu);
    EXPECT_EQ(LastChild(cell.GetTrailBracketBox())->m_color, 0x0000AAu);
    cell.SetTrailBracketText(CStringW(), nullptr);
    EXPECT_EQ(cell.GetTrailBracketBox()->GetChildCount(), 1);
    EXPECT_EQ(cell.GetTrailBracketText(text), 0);
    EXPECT_TRUE(text.IsEmpty());
}

TEST_F(KanbunCellTest, SatelliteSizesFollowTheBaseCharacterWithUndo)
{
    CEditKan cell;
    const LOGFONTA font = FontOfHeight(601);
    cell.BuildFromText(u"漢", 0, &font);
    cell.SetPunctuationText(u"○", nullptr);
    cell.SetReturnMarkText(u"レ", nullptr);
    CUndoGroup group;
    cell.SetSatelliteSizes(&group);
    EXPECT_EQ(cell.GetLeadBracketBox()->GetEditChild(0)->m_lf.lfHeight, -601);
    EXPECT_EQ(cell.GetTrailBracketBox()->GetEditChild(0)->m_lf.lfHeight, -601);
    EXPECT_EQ(cell.GetPunctuationBox()->GetEditChild(0)->m_lf.lfHeight, -200);
    EXPECT_EQ(LastChild(cell.GetPunctuationBox())->m_lf.lfHeight, -300);
    EXPECT_EQ(cell.GetReturnMarkBox()->GetEditChild(0)->m_lf.lfHeight, -300);
    EXPECT_EQ(cell.GetRightKanaBox()->GetEditChild(0)->m_lf.lfHeight, -300);
    EXPECT_EQ(cell.GetLeftKanaBox()->GetEditChild(0)->m_lf.lfHeight, -300);
    EXPECT_EQ(cell.m_dirty, 1);
    for (int i = 0; i < group.GetCount(); ++i)
        EXPECT_EQ(group.GetAt(i)->m_code, UndoCode::kFontSize);
    EXPECT_EQ(group.GetCount(), 8);
}

TEST_F(KanbunCellTest, LockingKeepsTheCaretOutOfEverySubBox)
{
    CEditKan cell;
    cell.BuildFromText(u"漢", 0, nullptr);
    cell.LockSubBoxes(1);
    for (int i = 0; i < cell.GetChildCount(); ++i) {
        EXPECT_EQ(cell.GetEditChild(i)->m_caretStop, 0);
        EXPECT_EQ(cell.GetEditChild(i)->GetEditChild(0)->m_caretStop, 0);
    }
    cell.LockSubBoxes(0);
    for (int i = 0; i < cell.GetChildCount(); ++i) {
        EXPECT_EQ(cell.GetEditChild(i)->m_caretStop, 0);
        EXPECT_EQ(cell.GetEditChild(i)->GetEditChild(0)->m_caretStop, 1);
    }
}

TEST_F(KanbunCellTest, CellIsTwiceTheBaseWideAndThreeTimesItsHeightInBothDirections)
{
    for (int vertical : {0, 1}) {
        SCOPED_TRACE(vertical);
        CEditKan cell;
        const LOGFONTA font = FontOfHeight(370);
        cell.BuildFromText(u"漢", 0, &font);
        MeasureAndLayout(cell, 1000, 2000, vertical);
        const CEditNode* base = cell.GetBaseBox();
        EXPECT_EQ(base->m_width, 370);
        EXPECT_EQ(base->m_height, 370);
        EXPECT_EQ(cell.m_width, 740);
        EXPECT_EQ(cell.m_height, 1110);
        EXPECT_EQ(cell.m_ascent, base->m_ascent + 370);
        EXPECT_EQ(cell.m_axis, base->m_axis + 370);
        EXPECT_TRUE(SameRect(cell.m_rcLayout, Rect(1000, 2000, 1740, 3110))) << RectText(cell.m_rcLayout);

        const int third = 370 / 3;
        const int lead = cell.GetLeadBracketBox()->m_width;
        EXPECT_EQ(lead, 185);  // a lone line break: the average width of its font
        struct Place {
            const CEditNode* box;
            int x, y;
        } places[] = {
            {cell.GetLeadBracketBox(), 1000 + third - lead, 2370},
            {cell.GetBaseBox(), 1000 + third, 2370},
            {cell.GetRightKanaBox(), 1000 + third, 2000},
            {cell.GetLeftKanaBox(), 1000 + third, 2740},
            {cell.GetPunctuationBox(), 1000 + third + 370, 2370},
            {cell.GetReturnMarkBox(), 1000 + third + 370, 2740 - cell.GetReturnMarkBox()->m_height},
            {cell.GetTrailBracketBox(), 1000 + 370 + 247, 2370},
        };
        for (const Place& place : places) {
            EXPECT_EQ(place.box->m_rcLayout.left, place.x) << cell.IndexOfChild(place.box);
            EXPECT_EQ(place.box->m_rcLayout.top, place.y) << cell.IndexOfChild(place.box);
            EXPECT_EQ(place.box->m_rcHit.left, place.x);
            EXPECT_EQ(place.box->m_rcHit.top, place.y);
        }
        // The kana boxes take the base's height; the right kana sit against the base row.
        EXPECT_EQ(cell.GetRightKanaBox()->m_height, 370);
        const CEditNode* rightBreak = cell.GetRightKanaBox()->GetEditChild(0);
        EXPECT_EQ(rightBreak->m_rcLayout.bottom, 2370);
        EXPECT_EQ(cell.GetLeftKanaBox()->GetEditChild(0)->m_rcLayout.top, 2740);
        // The base character stands on its row's baseline.
        EXPECT_EQ(cell.GetBaseBox()->GetEditChild(0)->m_ptText.y, 2370 + 296);
    }
}

TEST_F(KanbunCellTest, HyphenFormPlacesTheMarksAndDrawsTheHyphenLine)
{
    struct Row {
        int vertical;
        POINT from, to;
    } rows[] = {
        // Horizontal writing: a stroke across the line at the end of the hyphen rectangle.
        {0, {1801, 2555}, {1801, 2740}},
        // Vertical writing: along the column on the centre of the base row, 247 long.
        {1, {-2555, 1554}, {-2555, 1801}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.vertical);
        CEditKan cell;
        cell.m_hyphenMode = 1;
        const LOGFONTA font = FontOfHeight(370);
        cell.BuildFromText(u"漢", 1, &font);
        MeasureAndLayout(cell, 1000, 2000, row.vertical);
        const int markX = 1000 + 370 + 61 + 123;
        EXPECT_EQ(cell.GetReturnMarkBox()->m_rcLayout.left, markX);
        EXPECT_EQ(cell.GetHyphenAnchor().m_rcLayout.left, markX);
        EXPECT_EQ(cell.GetHyphenAnchor().m_rcLayout.top, 2000 + 370 + 185);
        const int anchorHeight = cell.GetHyphenAnchor().m_height;
        EXPECT_EQ(anchorHeight, 185);
        EXPECT_TRUE(SameRect(cell.GetHyphenRect(), Rect(markX, 2555, markX + 247, 2555 + anchorHeight)))
            << RectText(cell.GetHyphenRect());

        CDisplayMap map = IdentityMap(row.vertical);
        LAYOUT_CONTEXT draw;
        dc.ClearCalls();
        cell.Draw(&dc, &map, &draw);
        const std::vector<GdiCall> lines = dc.CallsOf(GdiOp::LineTo);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(PointsText(lines[0].points), PointsText({row.from, row.to}));
        EXPECT_EQ(lines[0].pen.width, 18);
        EXPECT_EQ(lines[0].pen.style, PS_SOLID);
        EXPECT_EQ(lines[0].pen.color, 0u);
        // The anchor draws its space too.
        bool anchorDrawn = false;
        for (const GdiCall& call : dc.Drawings())
            anchorDrawn = anchorDrawn || call.text == u"\u3000";
        EXPECT_TRUE(anchorDrawn);
    }
}

TEST_F(KanbunCellTest, RunLabelStandsAtAThirdOfTheCellTurnedInBothDirections)
{
    for (int vertical : {0, 1}) {
        CEditKan cell;
        const LOGFONTA font = FontOfHeight(370);
        cell.BuildFromText(u"漢", 0, &font);
        MeasureAndLayout(cell, 1000, 2000, vertical);
        cell.EditNumbering().m_renbanType = 2;
        cell.m_runNumber = 3;
        cell.EditNumbering().m_renbanSize = -200;
        cell.m_runBits = CEditNode::kRunStart;
        CDisplayMap map = IdentityMap(vertical);
        LAYOUT_CONTEXT draw;
        dc.ClearCalls();
        cell.Draw(&dc, &map, &draw);
        CStringW expected;
        FormatParenFullWidthNumber(3, expected);
        const std::u16string expectedText(expected.c_str());
        const std::vector<GdiCall> drawings = dc.Drawings();
        const GdiCall* label = nullptr;
        for (const GdiCall& call : drawings) {
            if (call.text == expectedText)
                label = &call;
        }
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->font.lfEscapement, 2700);
        EXPECT_EQ(label->textAlign & TA_BOTTOM, static_cast<UINT>(TA_BOTTOM));
        POINT baseline{1000, 2000 + 1110 / 3};
        map.DocToDevice(&baseline);
        EXPECT_EQ(PointsText(label->points), PointsText({baseline}));
    }
}

TEST_F(KanbunCellTest, HiddenCellMeasuresNothingAndAnEmptyCellIsNotLaidOut)
{
    CEditKan cell;
    cell.BuildEmpty(0);
    cell.m_hidden = 1;
    LAYOUT_CONTEXT measure = MeasureContext(10000);
    CDisplayMap map = IdentityMap();
    cell.Measure(&dc, &map, &measure);
    EXPECT_EQ(cell.m_width, 0);
    EXPECT_EQ(cell.m_height, 0);

    CEditKan empty;
    empty.m_rcLayout = Rect(1, 2, 3, 4);
    LAYOUT_CONTEXT layout = LayoutContext(100, 100);
    empty.Layout(&layout, 0);
    EXPECT_TRUE(SameRect(empty.m_rcLayout, Rect(1, 2, 3, 4)));
    dc.ClearCalls();
    empty.Draw(&dc, &map, &layout);
    EXPECT_TRUE(dc.Drawings().empty());

    // Fewer boxes than the form asks for: measured and placed from what is there, no reads past.
    CEditKan partial;
    partial.BuildEmpty(0);
    partial.DeleteChildAt(6);
    partial.DeleteChildAt(5);
    partial.Measure(&dc, &map, &measure);
    partial.Layout(&layout, 0);
    partial.Draw(&dc, &map, &layout);
    EXPECT_EQ(partial.GetTrailBracketBox(), nullptr);
}

// ---------------------------------------------------------------------------------------------
// Changing the form

TEST_F(KanbunCellTest, ModeChangeWithoutAGroupDeletesOrMakesTheBoxes)
{
    CEditKan cell;
    const LOGFONTA font = FontOfHeight(400);
    cell.BuildFromText(u"漢", 0, &font);
    cell.SetMode(1, nullptr, nullptr);
    EXPECT_EQ(cell.m_hyphenMode, 1);
    EXPECT_EQ(Shape(cell), "KKOOK");
    EXPECT_EQ(cell.GetReturnMarkBox()->m_maxChars, 2);
    EXPECT_EQ(cell.GetHyphenAnchor().m_lf.lfHeight, -200);

    cell.SetMode(0, nullptr, nullptr);
    EXPECT_EQ(Shape(cell), "KKOOKKK");
    // The new boxes get the settings of the builders, so the cell lays out as one built so.
    EXPECT_EQ(cell.GetPunctuationBox()->m_spacing, 60);
    EXPECT_EQ(cell.GetTrailBracketBox()->m_spacing, 40);
    EXPECT_EQ(cell.GetReturnMarkBox()->m_maxChars, 2);
    EXPECT_EQ(cell.GetPunctuationBox()->GetEditChild(0)->m_lf.lfHeight, -200);
    EXPECT_EQ(cell.GetTrailBracketBox()->GetEditChild(0)->m_lf.lfHeight, -400);

    // The same mode again changes nothing.
    CUndoGroup group;
    cell.SetMode(0, nullptr, &group);
    EXPECT_EQ(group.GetCount(), 0);
}

TEST_F(KanbunCellTest, ModeChangesAreUndoneAndRedoneExactly)
{
    CEditKan cell;
    cell.BuildFromText(u"漢", 0, nullptr);
    CEditNode* punctuation = cell.GetPunctuationBox();
    CEditNode* trail = cell.GetTrailBracketBox();
    CCaret caret;
    caret.m_caretNode = cell.GetBaseBox()->GetEditChild(0);

    CUndoGroup toFive;
    cell.SetMode(1, &caret, &toFive);
    ASSERT_EQ(toFive.GetCount(), 3);
    EXPECT_EQ(toFive.GetAt(0)->m_code, UndoCode::kRemoveAt);
    EXPECT_EQ(toFive.GetAt(0)->m_pNode, punctuation);
    EXPECT_EQ(toFive.GetAt(0)->m_index, 4);
    EXPECT_EQ(toFive.GetAt(0)->m_pContainer, &cell);
    EXPECT_EQ(toFive.GetAt(0)->m_pSecondNode, caret.m_caretNode);
    EXPECT_EQ(toFive.GetAt(1)->m_pNode, trail);
    EXPECT_EQ(toFive.GetAt(2)->m_code, UndoCode::kKanMode);
    EXPECT_EQ(toFive.GetAt(2)->m_pNode, &cell);
    EXPECT_EQ(toFive.GetAt(2)->m_oldValue, 0);
    EXPECT_EQ(toFive.GetAt(2)->m_newValue, 1);
    EXPECT_EQ(Shape(cell), "KKOOK");
    EXPECT_EQ(punctuation->GetParent(), nullptr);  // kept by the group, not deleted

    UNDO_REPLAY_RESULT undone = ReplayUndoGroup(toFive, UndoDirection::Undo);
    EXPECT_EQ(undone.applied, 3);
    EXPECT_EQ(undone.unknown, 0);
    EXPECT_EQ(cell.m_hyphenMode, 0);
    EXPECT_EQ(cell.GetEditChild(4), punctuation);
    EXPECT_EQ(cell.GetEditChild(6), trail);

    ReplayUndoGroup(toFive, UndoDirection::Redo);
    EXPECT_EQ(cell.m_hyphenMode, 1);
    EXPECT_EQ(Shape(cell), "KKOOK");

    CUndoGroup toSeven;
    cell.SetMode(0, &caret, &toSeven);
    ASSERT_EQ(toSeven.GetCount(), 3);
    EXPECT_EQ(toSeven.GetAt(0)->m_code, UndoCode::kInsertAt);
    EXPECT_EQ(toSeven.GetAt(0)->m_index, 4);
    EXPECT_EQ(toSeven.GetAt(1)->m_index, 6);
    EXPECT_EQ(toSeven.GetAt(2)->m_oldValue, 1);
    CEditNode* newPunctuation = cell.GetPunctuationBox();
    CEditNode* newTrail = cell.GetTrailBracketBox();
    EXPECT_EQ(Shape(cell), "KKOOKKK");

    ReplayUndoGroup(toSeven, UndoDirection::Undo);
    EXPECT_EQ(cell.m_hyphenMode, 1);
    EXPECT_EQ(Shape(cell), "KKOOK");
    ReplayUndoGroup(toSeven, UndoDirection::Redo);
    EXPECT_EQ(cell.m_hyphenMode, 0);
    EXPECT_EQ(cell.GetEditChild(4), newPunctuation);
    EXPECT_EQ(cell.GetEditChild(6), newTrail);
    EXPECT_EQ(cell.m_dirty, 1);
}

TEST_F(KanbunCellTest, EditorRootAnswersTheFirstInnerNodeOfItsCell)
{
    CEditEditKan root;
    EXPECT_EQ(root.GetFirstInner(), nullptr);
    auto* cell = new CEditKan();
    root.AppendChild(cell);
    cell->BuildEmpty(0);
    EXPECT_EQ(root.GetFirstInner(), cell->GetLeadBracketBox()->GetEditChild(0));
    EXPECT_EQ(root.GetKind(), EditKind::Code(EditKind::kEdit));
}

TEST_F(KanbunCellTest, RegisteredMakersGiveKanbunNodes)
{
    const EDIT_FAMILY_MAKERS saved = EditFamilyMakers();
    RegisterKanbunFamily();
    std::unique_ptr<CEditChar> character(EditFamilyMakers().kanChar(u"一"));
    std::unique_ptr<CEditChar> lineBreak(EditFamilyMakers().kanLineBreak());
    EditFamilyMakers() = saved;
    EXPECT_EQ(character->GetKind(), EditKind::Code(EditKind::kKanChar));
    EXPECT_EQ(character->m_lf.lfHeight, VerticalDefaultHeight());
    EXPECT_EQ(lineBreak->GetKind(), EditKind::Code(EditKind::kKanCR));
    EXPECT_NE(dynamic_cast<CBlockLineRelatedProperties*>(lineBreak.get()), nullptr);
}

TEST_F(KanbunCellTest, StringInsertionStopsAtEachBoxsLimit)
{
    const EDIT_FAMILY_MAKERS saved = EditFamilyMakers();
    RegisterKanbunFamily();
    CEditContainer paragraph(EditKind::Code(EditKind::kSentence));
    auto* cell = new CEditKan();
    paragraph.AppendChild(cell);
    cell->BuildEmpty(0);
    cell->LockSubBoxes(0);
    AddCR(&paragraph);
    CUndoGroup group;
    CCaret caret;
    const struct {
        CEditNode* box;
        int accepted;
    } rows[] = {{cell->GetReturnMarkBox(), 2}, {cell->GetLeadBracketBox(), 1}};
    for (const auto& row : rows) {
        CStringW text(u"一二");
        for (int i = 0; i < 3; ++i) {
            caret.m_caretNode = CEditNode::FromNode(row.box->GetLastChild());
            EXPECT_EQ(caret.m_caretNode->InsertString(&caret, &text, &group) != FALSE, i < row.accepted) << i;
        }
        EXPECT_EQ(row.box->GetChildCount(), row.accepted + 1);
        EXPECT_EQ(row.box->GetEditChild(0)->GetKind(), EditKind::Code(EditKind::kKanChar));
    }
    EditFamilyMakers() = saved;
}

TEST_F(KanbunCellTest, AModeChangeCutShortByMemoryIsTakenBackWhole)
{
    for (int target : {1, 0}) {
        for (long step = 0;; ++step) {
            CEditKan cell;
            cell.BuildFromText(u"漢", target == 1 ? 0 : 1, nullptr);
            cell.m_hyphenMode = 1 - target;
            const std::string shape = Shape(cell);
            std::vector<CEditNode*> boxes;
            for (int i = 0; i < cell.GetChildCount(); ++i)
                boxes.push_back(cell.GetEditChild(i));
            CUndoGroup group;
            allocation::FailAfter(step);
            bool failed = false;
            try {
                cell.SetMode(target, nullptr, &group);
            } catch (const std::bad_alloc&) {
                failed = true;
            }
            allocation::Disarm();
            if (!failed)
                break;
            RollBackUndoGroup(group, 0);
            EXPECT_EQ(cell.m_hyphenMode, 1 - target) << step;
            EXPECT_EQ(Shape(cell), shape) << step;
            for (size_t i = 0; i < boxes.size(); ++i)
                EXPECT_EQ(cell.GetEditChild(static_cast<int>(i)), boxes[i]) << step;
        }
    }
}
