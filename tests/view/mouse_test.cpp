// The mouse in the view: the trackers' rectangle rules, clicks and drags that place the caret and
// select, resizing by the handles, double and right clicks, and the end of name-field editing.
#include "view_fixture.h"

#include "math/formula.h"
#include "math/math_char.h"
#include "nodes/floating_frame.h"
#include "nodes/kanbun_cell.h"
#include "nodes/page_furniture.h"
#include "nodes/picture_node.h"
#include "nodes/rect_tracker.h"

using namespace viewtest;

namespace {

struct AdjustCase {
    const char* what;
    int handle;
    RECT start;
    RECT dragged;
    bool shift;
    RECT expected;
};

void ExpectAdjusted(CAspectTracker& tracker, const AdjustCase& c)
{
    tracker.m_rectStart = c.start;
    EXPECT_EQ(RectText(tracker.Adjusted(c.handle, c.dragged, c.shift)), RectText(c.expected)) << c.what;
}

}  // namespace

TEST(RectTracker, AspectTrackerKeepsProportionsWithShift)
{
    const RECT start{0, 0, 100, 50};
    const AdjustCase cases[] = {
        {"a corner without Shift goes where it is dragged", 2, start, {0, 0, 130, 90}, false, {0, 0, 130, 90}},
        {"an edge without Shift goes where it is dragged", 6, start, {0, 0, 100, 80}, false, {0, 0, 100, 80}},
        {"the top-left corner stops at the bottom and right edges", 0, start, {150, 70, 100, 50}, false, {100, 50, 100, 50}},
        {"the bottom-right corner stops at the top and left edges", 2, start, {0, 0, -20, -10}, false, {0, 0, 0, 0}},
        {"the width's ratio gives the larger area", 2, start, {0, 0, 200, 60}, true, {0, 0, 200, 100}},
        {"the height's ratio gives the larger area", 2, start, {0, 0, 110, 100}, true, {0, 0, 200, 100}},
        {"scaled about the corner opposite the handle", 0, start, {-100, 0, 100, 50}, true, {-100, -50, 100, 50}},
        {"scaled about the bottom-left corner", 1, start, {0, 20, 60, 50}, true, {0, 20, 60, 50}},
        {"equal areas go to the height-scaled candidate", 2, {0, 0, 1, 10}, {0, 0, 0, 4}, true, {0, 0, 0, 4}},
        {"an edge with Shift snaps back", 5, start, {0, 0, 160, 50}, true, start},
        {"the move handle with Shift snaps back", 8, start, {10, 10, 110, 60}, true, start},
    };
    CAspectTracker tracker;
    for (const AdjustCase& c : cases)
        ExpectAdjusted(tracker, c);
}

TEST(RectTracker, FieldTrackerHoldsTheLengthAlongTheLine)
{
    struct FieldCase {
        AdjustCase adjust;
        int vertical;
    };
    const RECT wide{0, 0, 100, 50};
    const RECT tall{0, 0, 50, 100};
    const FieldCase cases[] = {
        {{"narrower than the least: the dragged right edge holds", 5, wide, {0, 0, 10, 50}, false, {0, 0, 20, 50}}, 0},
        {{"wider than a column: the dragged left edge holds", 7, wide, {-400, 0, 100, 50}, false, {-200, 0, 100, 50}}, 0},
        {{"a corner is limited too", 2, wide, {0, 0, 5, 70}, false, {0, 0, 20, 70}}, 0},
        {{"the height is free across the line", 6, wide, {0, 0, 100, 900}, false, {0, 0, 100, 900}}, 0},
        {{"vertical: shorter than the least: the bottom edge holds", 6, tall, {0, 0, 50, 10}, false, {0, 0, 50, 20}}, 1},
        {{"vertical: taller than a column: the top edge holds", 4, tall, {0, -500, 50, 100}, false, {0, -300, 50, 100}}, 1},
        {{"vertical: the width is free", 5, tall, {0, 0, 900, 100}, false, {0, 0, 900, 100}}, 1},
    };
    for (const FieldCase& c : cases) {
        CFieldTracker tracker;
        tracker.m_vertical = c.vertical;
        tracker.m_sizeMin = c.vertical ? SIZE{5, 20} : SIZE{20, 5};
        tracker.m_maxWidth = 300;
        tracker.m_maxHeight = 400;
        ExpectAdjusted(tracker, c.adjust);
    }
}

TEST(RectTracker, HandlesHitCodesAndCursors)
{
    CRectTracker tracker(RECT{100, 100, 200, 150}, CRectTracker::hatchedBorder | CRectTracker::resizeOutside);
    const struct {
        POINT point;
        int hit;
        TrackerCursor cursor;
    } cases[] = {
        {{96, 96}, CRectTracker::hitTopLeft, TrackerCursor::SizeNWSE},
        {{204, 96}, CRectTracker::hitTopRight, TrackerCursor::SizeNESW},
        {{204, 154}, CRectTracker::hitBottomRight, TrackerCursor::SizeNWSE},
        {{150, 96}, CRectTracker::hitTop, TrackerCursor::SizeNS},
        {{96, 125}, CRectTracker::hitLeft, TrackerCursor::SizeWE},
        {{150, 125}, CRectTracker::hitMiddle, TrackerCursor::SizeAll},
        {{50, 50}, CRectTracker::hitNothing, TrackerCursor::Arrow},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(tracker.HitTest(c.point), c.hit) << c.point.x << "," << c.point.y;
        EXPECT_EQ(CRectTracker::CursorOf(c.hit), c.cursor);
    }
    // Tracking follows the mouse from the press; the release reports whether anything changed,
    // and cancelling puts the rectangle back.
    EXPECT_TRUE(tracker.BeginTrack(POINT{204, 154}, false));
    tracker.TrackMove(POINT{224, 164}, false);
    EXPECT_EQ(RectText(tracker.m_rect), RectText(RECT{100, 100, 220, 160}));
    tracker.CancelTrack();
    EXPECT_EQ(RectText(tracker.m_rect), RectText(RECT{100, 100, 200, 150}));
    EXPECT_TRUE(tracker.BeginTrack(POINT{150, 125}, false));
    EXPECT_FALSE(tracker.EndTrack(POINT{150, 125}, false));
    EXPECT_FALSE(tracker.BeginTrack(POINT{10, 10}, false));
}

namespace {

// A character class the problem editor does not read back.
class ForeignChar : public CEditChar {
    DECLARE_SERIAL(ForeignChar)
public:
    ForeignChar() : CEditChar(u'f') {}
};
IMPLEMENT_SERIAL(ForeignChar, CEditChar, 1)

class MouseTest : public ViewTest {
protected:
    // A client point inside the node: at num/den of its width, halfway down.
    POINT ClientPoint(CEditNode* node, int num = 1, int den = 4)
    {
        const RECT& r = node->m_rcLayout;
        POINT p{r.left + (r.right - r.left) * num / den, (r.top + r.bottom) / 2};
        view.LogicalToDevicePoint(&p);
        return p;
    }
    void Click(POINT p, UINT flags = 0)
    {
        view.OnLButtonDown(flags, p);
        view.OnLButtonUp(flags, p);
    }
    void Drag(POINT from, std::initializer_list<POINT> path, UINT flags = 0)
    {
        view.OnLButtonDown(flags, from);
        POINT last = from;
        for (POINT p : path) {
            view.OnMouseMove(flags, p);
            last = p;
        }
        view.OnLButtonUp(flags, last);
    }
    // The selection as the first and last selected index in the caret's paragraph; {-1, -1} when none.
    std::pair<int, int> Selection()
    {
        int first = -1;
        int last = -1;
        CCaret caret = view.GetCaret();
        if (caret.m_anchorNode == nullptr || !CEditNode::GetSelectionRange(&caret, &first, &last))
            return {-1, -1};
        return {first, last};
    }
    void Relayout() { view.OnUpdate(UpdateHint::kAll); }
};

}  // namespace

TEST_F(MouseTest, ClickPutsTheCaretBeforeOrAfterACharacterByItsHalf)
{
    for (int vertical : {0, 1}) {
        document.root->DeleteAllChildren();
        Build({u"abcd"}, vertical);
        const struct {
            int index;
            int num;
            int caret;
        } cases[] = {{1, 1, 1}, {1, 3, 2}, {3, 1, 3}, {3, 3, 4}};
        for (const auto& c : cases) {
            view.SetAnchorNode(At(0, 0));
            Click(ClientPoint(At(0, c.index), c.num, 4));
            EXPECT_EQ(view.GetCaret().m_caretNode, At(0, c.caret)) << "vertical " << vertical << " index " << c.index;
            EXPECT_EQ(view.GetCaret().m_anchorNode, nullptr) << "a click clears the selection";
        }
    }
}

TEST_F(MouseTest, DragSelectsAndShiftDragExtendsFromTheFirstAnchor)
{
    Build({u"abcdef", u"ghij"});
    Drag(ClientPoint(At(0, 1)), {ClientPoint(At(0, 2)), ClientPoint(At(0, 3))});
    EXPECT_EQ(view.GetCaret().m_anchorNode, At(0, 1));
    EXPECT_EQ(view.GetCaret().m_caretNode, At(0, 3));
    EXPECT_EQ(Selection(), std::make_pair(1, 2));

    // A Shift-drag measures from where the first drag began.
    Drag(ClientPoint(At(0, 4)), {ClientPoint(At(0, 5))}, MouseFlag::kShift);
    EXPECT_EQ(view.GetCaret().m_anchorNode, At(0, 1));
    EXPECT_EQ(view.GetCaret().m_caretNode, At(0, 5));

    // Out of the paragraph the selection keeps the last end in the anchor's paragraph.
    Drag(ClientPoint(At(0, 1)), {ClientPoint(At(0, 4)), ClientPoint(At(1, 2))});
    EXPECT_EQ(view.GetCaret().m_anchorNode, At(0, 1));
    EXPECT_EQ(view.GetCaret().m_caretNode, At(0, 4));
    EXPECT_EQ(host.invalidations > 0, true);
    EXPECT_EQ(view.GetRelayoutCount(), 1) << "dragging never lays the paper out";
}

TEST_F(MouseTest, DragAcrossAFormulaSelectsWholeFormulas)
{
    Build({u"abc"});
    auto* formula = new CEditMath();
    formula->CreateDefaultSlots(0);
    formula->InsertChildAt(0, new CEditMathChar(u'x'));
    formula->InsertChildAt(1, new CEditMathChar(u'y'));
    At(0, 1)->InsertBefore(formula);  // a, formula, b, c, line break
    Relayout();
    CEditNode* x = formula->GetEditChild(0);

    // Into the formula from outside: the end becomes the formula at the paragraph's level.
    Drag(ClientPoint(At(0, 0)), {ClientPoint(x)});
    EXPECT_EQ(view.GetCaret().m_anchorNode, At(0, 0));
    EXPECT_EQ(view.GetCaret().m_caretNode, formula);

    // Out of the formula: the anchor becomes the formula.
    Drag(ClientPoint(x), {ClientPoint(At(0, 3))});
    EXPECT_EQ(view.GetCaret().m_anchorNode, formula);
    EXPECT_EQ(view.GetCaret().m_caretNode, At(0, 3));
    EXPECT_EQ(Selection(), std::make_pair(1, 2));

    // Within the formula: its own characters.
    Drag(ClientPoint(x), {ClientPoint(formula->GetEditChild(1), 3, 4)});
    EXPECT_EQ(view.GetCaret().m_anchorNode, x);
    EXPECT_EQ(view.GetCaret().m_caretNode, formula->GetEditChild(2));
}

TEST_F(MouseTest, DoubleClickSelectsTheCharacterOrAsksForItsTool)
{
    Build({u"abcd"});
    const struct {
        int index;
        int num;
        std::pair<int, int> selected;
    } cases[] = {{1, 3, {1, 1}}, {2, 1, {2, 2}}};
    for (const auto& c : cases) {
        const POINT p = ClientPoint(At(0, c.index), c.num, 4);
        Click(p);
        view.OnLButtonDblClk(0, p);
        EXPECT_EQ(Selection(), c.selected) << c.index;
    }
    EXPECT_TRUE(host.posted.empty());

    // A picture asks for its size command, a kanbun character for the kunten frame.
    auto* picture = new CEditGraphic();
    picture->m_width = 800;
    picture->m_height = 400;
    At(0, 0)->InsertBefore(picture);
    auto* kanbun = new CEditKanChar(u'漢');
    At(0, 2)->InsertBefore(kanbun);
    Relayout();
    for (CEditNode* node : {static_cast<CEditNode*>(picture), static_cast<CEditNode*>(kanbun)}) {
        view.SetCaretNode(node);
        view.OnLButtonDblClk(0, ClientPoint(node));
    }
    EXPECT_EQ(host.posted, (std::vector<int>{ViewCommand::kImageSize, ViewCommand::kKuntenFrame}));
}

TEST_F(MouseTest, RightClickChoosesTheMenuByTheNearestContainer)
{
    Build({u"ab"});
    auto* box = new CEditGai();
    AddChars(box, u"cd");
    AddCR(box);
    document.root->AppendChild(box);
    auto* pageBreak = new CEditKaiPage();
    pageBreak->Fill();
    document.root->AppendChild(pageBreak);
    auto* frame = new CEditFloat();
    AddChars(frame, u"e");
    AddCR(frame);
    At(0, 1)->InsertBefore(frame);  // a, frame, b, line break
    Relayout();

    const struct {
        CEditNode* node;
        int menu;
    } cases[] = {
        {At(0, 0), ContextMenu::kParagraph},
        {box->GetEditChild(0), ContextMenu::kTextBox},
        {pageBreak->GetEditChild(pageBreak->GetChildCount() - 1), ContextMenu::kPageBreak},
        {frame->GetEditChild(0), ContextMenu::kFloatingFrame},
    };
    for (const auto& c : cases) {
        host.menus.clear();
        const POINT p = ClientPoint(c.node);
        view.OnRButtonDown(0, p);
        EXPECT_EQ(view.GetCaret().m_caretNode, c.node);
        EXPECT_EQ(host.menus, std::vector<int>{c.menu}) << c.menu;
        EXPECT_EQ(host.menuPoint.x, p.x + 1000) << "the menu opens at the screen point";
    }

    // Inside a selection the selection stays.
    Select(0, 0, 3);
    view.OnRButtonDown(0, ClientPoint(frame->GetEditChild(0)));
    EXPECT_EQ(view.GetCaret().m_anchorNode, At(0, 0));
    EXPECT_EQ(view.GetCaret().m_caretNode, At(0, 3));
    EXPECT_EQ(host.menus.back(), ContextMenu::kParagraph);
}

TEST_F(MouseTest, ShiftDragOfAPictureCornerKeepsItsProportions)
{
    Build({u"ab"});
    auto* picture = new CEditGraphic();
    picture->m_width = 1000;
    picture->m_height = 500;
    At(0, 1)->InsertBefore(picture);
    Relayout();
    view.SetViewMode(ViewMode::kPicture);
    view.SetSizedImage(picture);
    const RECT r = picture->m_rcLayout;
    const POINT corner{r.right + CRectTracker::kBorderWidth, r.bottom + CRectTracker::kBorderWidth};
    const size_t groups = document.groups.size();
    Drag(corner, {POINT{corner.x + 500, corner.y + 50}, POINT{corner.x + 1000, corner.y + 100}}, MouseFlag::kShift);
    EXPECT_EQ(picture->m_width, 2000);
    EXPECT_EQ(picture->m_height, 1000);
    EXPECT_TRUE(document.modified);
    EXPECT_EQ(document.groups.size(), groups) << "a resize records no undo";
    EXPECT_EQ(view.GetViewMode(), ViewMode::kPicture);

    // A click away from the picture leaves the mode.
    Click(POINT{r.right + 3000, r.bottom + 3000});
    EXPECT_EQ(view.GetViewMode(), ViewMode::kText);
    EXPECT_EQ(view.GetSizedImage(), nullptr);
}

TEST_F(MouseTest, FieldWidthsFollowTheTrackerWithinTheirLimits)
{
    Build({u"ab", u"cd"});
    CEditNode* first = document.root->GetEditChild(0);
    CEditNode* second = document.root->GetEditChild(1);
    view.SetViewMode(ViewMode::kFieldSize);
    // Shift-clicks collect the fields; the last one carries the tracker.
    Click(ClientPoint(first), MouseFlag::kShift);
    Click(ClientPoint(second), MouseFlag::kShift);
    EXPECT_EQ(view.GetCurrentField(), second);
    EXPECT_EQ(view.GetSelectedFields(), (std::vector<CEditNode*>{first, second}));

    const RECT r = second->m_rcLayout;
    const POINT rightHandle{r.right + CRectTracker::kBorderWidth, r.top + (r.bottom - r.top) / 2};
    Drag(rightHandle, {POINT{r.left + 10, rightHandle.y}});
    EXPECT_EQ(first->m_areaWidth, 2000) << "no narrower than 20 mm";
    EXPECT_EQ(second->m_areaWidth, 2000);
    EXPECT_TRUE(document.modified);

    // No wider than one column.
    int width = 0;
    int height = 0;
    document.root->GetPrintableSize(&width, &height);
    const int columns = std::max(1, document.root->m_geometry.columnCount);
    const int column = (width - (columns - 1) * document.root->m_geometry.columnGap) / columns;
    const RECT now = second->m_rcLayout;
    const POINT handle{now.right + CRectTracker::kBorderWidth, now.top + (now.bottom - now.top) / 2};
    Drag(handle, {POINT{handle.x + 5 * column, handle.y}});
    EXPECT_EQ(second->m_areaWidth, column);
}

TEST_F(MouseTest, NameFieldCommitPutsCopiesOnEveryPageAsOneStep)
{
    Build({u"ab"});
    CEditNode* layer = document.root->GetNameFieldLayer();
    auto* edited = new CEditKimeiran();
    AddChars(edited, u"xz");
    AddCR(edited);
    auto* other = new CEditKimeiran();
    AddChars(other, u"x");
    AddCR(other);
    layer->AppendChild(edited);
    layer->AppendChild(other);
    view.SetViewMode(ViewMode::kNameField);
    CCaret saved;
    saved.m_caretNode = At(0, 1);
    view.SetNameFieldEdit(edited, saved);

    view.CommitNameFieldEdit();
    ASSERT_EQ(layer->GetChildCount(), 2);
    for (int i = 0; i < 2; ++i) {
        CEditNode* copy = layer->GetEditChild(i);
        EXPECT_NE(copy, edited);
        EXPECT_NE(copy, other);
        EXPECT_EQ(copy->GetEditChild(1)->GetText().View(), u"z");
    }
    EXPECT_EQ(view.GetViewMode(), ViewMode::kText);
    EXPECT_EQ(view.GetCaret().m_caretNode, At(0, 1));
    ASSERT_EQ(document.groups.size(), 1u);
    ASSERT_NE(document.root->GetNameFieldTemplate(), nullptr);
    EXPECT_EQ(document.root->GetNameFieldTemplate()->GetChildCount(), 3);

    view.OnEditUndo();
    ASSERT_EQ(layer->GetChildCount(), 2);
    EXPECT_EQ(layer->GetEditChild(0), edited);
    EXPECT_EQ(layer->GetEditChild(1), other);
    EXPECT_EQ(view.GetViewMode(), ViewMode::kNameField);
    EXPECT_EQ(view.GetNameField(), edited);
    view.OnEditRedo();
    ASSERT_EQ(layer->GetChildCount(), 2);
    EXPECT_EQ(layer->GetEditChild(1)->GetEditChild(1)->GetText().View(), u"z");
    EXPECT_EQ(view.GetViewMode(), ViewMode::kText);
}

TEST_F(MouseTest, NameFieldCommitThatCannotReadItsCopyChangesNothing)
{
    Build({u"ab"});
    CEditNode* layer = document.root->GetNameFieldLayer();
    auto* edited = new CEditKimeiran();
    edited->AppendChild(new ForeignChar());
    AddCR(edited);
    auto* other = new CEditKimeiran();
    AddCR(other);
    layer->AppendChild(edited);
    layer->AppendChild(other);
    view.SetViewMode(ViewMode::kNameField);
    view.SetNameFieldEdit(edited);

    view.CommitNameFieldEdit();
    ASSERT_EQ(layer->GetChildCount(), 2);
    EXPECT_EQ(layer->GetEditChild(0), edited);
    EXPECT_EQ(layer->GetEditChild(1), other);
    EXPECT_TRUE(document.groups.empty());
    EXPECT_FALSE(document.modified);
}
