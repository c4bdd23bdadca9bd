#include "node_fixture.h"

#include "nodes/undo.h"
#include "nodes/undo_replay.h"

#include <memory>
#include <vector>

using namespace nodetest;

namespace {

// Counts the characters alive, so that tests can see which nodes a dropped group deleted.
class CountedChar : public CEditChar {
public:
    explicit CountedChar(char16_t c) : CEditChar(c) { ++alive; }
    ~CountedChar() override { --alive; }
    static int alive;
};
int CountedChar::alive = 0;

}  // namespace

TEST(UndoTest, RecordersKeepTheValuesTheyAreGiven)
{
    CEditChar node(u'a');
    CEditChar neighbour(u'b');
    CEditContainer parent;
    CUndoGroup group;
    EXPECT_EQ(group.GetCount(), 0);

    group.RecordInt(UndoCode::kBold, &node, 400, 700);
    group.RecordString(UndoCode::kBangoFontFamily, &node, "old", "new");
    group.RecordWString(UndoCode::kBangoString, &node, CStringW(u"甲"), CStringW(u"乙"));
    LOGFONTA before{};
    before.lfHeight = -371;
    LOGFONTA after{};
    after.lfHeight = -500;
    group.RecordLogFont(UndoCode::kLogFont, &node, &before, &after);
    const SIZE oldPair{0, -371};
    const SIZE newPair{10, -423};
    group.RecordPair(UndoCode::kFontSize, &node, &oldPair, &newPair);
    group.RecordNode(UndoCode::kInsertBefore, &node, &neighbour, 5, 6);
    group.RecordNodeEx(UndoCode::kKanMode, &node, &neighbour, 4, &parent, 1, 2);
    ASSERT_EQ(group.GetCount(), 7);

    const CUndoAction* i = group.GetAt(0);
    EXPECT_EQ(i->m_code, 16);
    EXPECT_EQ(i->m_pNode, &node);
    EXPECT_EQ(i->m_oldValue, 400);
    EXPECT_EQ(i->m_newValue, 700);
    EXPECT_EQ(i->m_index, -1);
    EXPECT_EQ(i->m_pSecondNode, nullptr);

    EXPECT_EQ(group.GetAt(1)->m_oldString, "old");
    EXPECT_EQ(group.GetAt(1)->m_newString, "new");
    EXPECT_EQ(group.GetAt(2)->m_oldWString, u"甲");
    EXPECT_EQ(group.GetAt(2)->m_newWString, u"乙");
    EXPECT_EQ(group.GetAt(3)->m_oldLogFont.lfHeight, -371);
    EXPECT_EQ(group.GetAt(3)->m_newLogFont.lfHeight, -500);
    EXPECT_EQ(group.GetAt(4)->m_oldPair.cy, -371);
    EXPECT_EQ(group.GetAt(4)->m_newPair.cx, 10);

    const CUndoAction* n = group.GetAt(5);
    EXPECT_EQ(n->m_code, 0x10002);
    EXPECT_EQ(n->m_pSecondNode, &neighbour);
    EXPECT_EQ(n->m_oldValue, 5);
    EXPECT_EQ(n->m_newValue, 6);
    EXPECT_EQ(n->m_index, -1);
    EXPECT_EQ(n->m_pContainer, nullptr);

    const CUndoAction* x = group.GetAt(6);
    EXPECT_EQ(x->m_code, 0x110);
    EXPECT_EQ(x->m_index, 4);
    EXPECT_EQ(x->m_pContainer, &parent);
    EXPECT_EQ(x->m_oldValue, 1);
    EXPECT_EQ(x->m_newValue, 2);
    EXPECT_EQ(group.GetAt(7), nullptr);
    EXPECT_EQ(group.GetAt(-1), nullptr);
}

TEST(UndoTest, SettingOnePropertyTwiceGivesTwoRecords)
{
    CEditCR cr;
    CUndoGroup group;
    cr.SetTextAlign(1, &group);
    cr.SetTextAlign(2, &group);
    ASSERT_EQ(group.GetCount(), 2);
    // Taken back last first, the field ends at its value before the command; made again first
    // to last, at the last value.
    ReplayUndoGroup(group, UndoDirection::Undo);
    EXPECT_EQ(cr.m_textAlign, 0);
    ReplayUndoGroup(group, UndoDirection::Redo);
    EXPECT_EQ(cr.m_textAlign, 2);
}

TEST(UndoTest, DroppingAGroupSparesTheNodesInTheTree)
{
    CEditContainer paragraph;
    auto* a = new CountedChar(u'a');
    auto* b = new CountedChar(u'b');
    paragraph.AppendChild(a);
    paragraph.AppendChild(b);
    {
        CUndoGroup group;
        group.RecordInt(UndoCode::kTextColor, a, 0, 5);
        group.RecordNode(UndoCode::kInsertBefore, a, b, 0, 0);
        // A removal that was taken back: the node is in the tree again.
        CUndoAction* removal = group.RecordNode(UndoCode::kRemoveBackward, b, a, 0, 0);
        removal->TakeOut();
        ASSERT_TRUE(removal->PutBack());
        EXPECT_FALSE(removal->KeepsNode());
    }
    EXPECT_EQ(CountedChar::alive, 2);
    EXPECT_EQ(paragraph.GetChildCount(), 2);
}

TEST(UndoTest, DroppedGroupDeletesTheNodesItRemoved)
{
    CEditContainer paragraph;
    auto* a = new CountedChar(u'a');
    auto* b = new CountedChar(u'b');
    auto* c = new CountedChar(u'c');
    paragraph.AppendChild(a);
    paragraph.AppendChild(b);
    paragraph.AppendChild(c);
    {
        CUndoGroup group;
        group.RecordNode(UndoCode::kRemoveBackward, a, b, 0, 0)->TakeOut();
        group.RecordNodeEx(UndoCode::kRemoveAt, b, c, 0, &paragraph, 0, 0)->TakeOut();
        // The same node recorded twice is kept, and deleted, once.
        CUndoAction* again = group.RecordNode(UndoCode::kRemoveForward, b, c, 0, 0);
        again->TakeOut();
        EXPECT_FALSE(again->KeepsNode());
        EXPECT_EQ(CountedChar::alive, 3);
    }
    EXPECT_EQ(CountedChar::alive, 1);
    EXPECT_EQ(paragraph.GetChildCount(), 1);
}

TEST(UndoTest, UndoneGroupOwnsTheNodesItsUndoTookOut)
{
    CEditContainer paragraph;
    auto* b = new CountedChar(u'b');
    auto* c = new CountedChar(u'c');
    paragraph.AppendChild(b);
    paragraph.AppendChild(c);
    {
        // Inserted a before b, removed b; then the whole group was taken back: a is out, b in.
        CUndoGroup group;
        CUndoAction* insertion = group.RecordNode(UndoCode::kInsertBefore, nullptr, b, 0, 0);
        auto a = std::make_unique<CountedChar>(u'a');
        insertion->m_pNode = a.get();
        insertion->Keep(std::move(a));
        ASSERT_TRUE(insertion->PutBack());
        group.RecordNode(UndoCode::kRemoveBackward, b, c, 0, 0)->TakeOut();
        EXPECT_EQ(paragraph.GetChildCount(), 2);
        const UNDO_REPLAY_RESULT result = ReplayUndoGroup(group, UndoDirection::Undo);
        EXPECT_EQ(result.applied, 2);
        EXPECT_EQ(result.caretNode, b);  // the neighbour of the first action, replayed last
        EXPECT_EQ(CountedChar::alive, 3);
    }
    // The redo branch is dropped with the group: the undone insertion's node goes with it.
    EXPECT_EQ(CountedChar::alive, 2);
    ASSERT_EQ(paragraph.GetChildCount(), 2);
    EXPECT_EQ(paragraph.GetChildAt(0), b);
}

TEST(UndoTest, InsertedThenRemovedInOneCommandIsDeletedOnce)
{
    // Dropped as recorded, after undo, and after undo and redo: one deletion each time.
    for (int replays = 0; replays < 3; ++replays) {
        SCOPED_TRACE(replays);
        CEditContainer paragraph;
        auto* end = new CountedChar(u'|');
        paragraph.AppendChild(end);
        {
            CUndoGroup group;
            auto* a = new CountedChar(u'a');
            end->InsertBefore(a);
            group.RecordNode(UndoCode::kInsertBefore, a, end, 0, 0);
            group.RecordNode(UndoCode::kRemoveForward, a, end, 0, 0)->TakeOut();
            if (replays >= 1)
                ReplayUndoGroup(group, UndoDirection::Undo);
            if (replays >= 2)
                ReplayUndoGroup(group, UndoDirection::Redo);
            EXPECT_EQ(paragraph.GetChildCount(), 1);
            EXPECT_EQ(CountedChar::alive, 2);
        }
        EXPECT_EQ(CountedChar::alive, 1);
    }
}

TEST(UndoTest, ReplaySkipsUnknownCodesAndHandsThemToTheCaller)
{
    CEditChar node(u'a');
    CUndoGroup group;
    node.SetUnderlineStyle(1, &group);
    group.RecordInt(UndoCode::kKanMode, &node, 0, 1);   // no kanbun cell here
    group.RecordInt(0x101, &node, 4, 0);                 // a view code
    node.SetUnderlineStyle(2, &group);

    // Without a handler both unknown codes are skipped and the walk goes on past them.
    UNDO_REPLAY_RESULT result = ReplayUndoGroup(group, UndoDirection::Undo);
    EXPECT_EQ(result.applied, 2);
    EXPECT_EQ(result.unknown, 2);
    EXPECT_FALSE(result.abandoned);
    EXPECT_EQ(node.CharacterRecord().m_underlineStyle, 0);

    // The caller's handler sees the codes this replay does not know, in replay order.
    std::vector<int> seen;
    result = ReplayUndoGroup(group, UndoDirection::Redo, [&](CUndoAction& action, UndoDirection) {
        seen.push_back(action.m_code);
        return action.m_code == 0x101 ? UndoStep::Applied : UndoStep::Unknown;
    });
    EXPECT_EQ(seen, (std::vector<int>{UndoCode::kKanMode, 0x101}));
    EXPECT_EQ(result.applied, 3);
    EXPECT_EQ(result.unknown, 1);
    EXPECT_EQ(node.CharacterRecord().m_underlineStyle, 2);

    // A handler that gives up stops the walk; what was replayed stays.
    result = ReplayUndoGroup(group, UndoDirection::Undo,
                             [](CUndoAction&, UndoDirection) { return UndoStep::Abandoned; });
    EXPECT_TRUE(result.abandoned);
    EXPECT_EQ(result.applied, 1);
    EXPECT_EQ(node.CharacterRecord().m_underlineStyle, 1);
}

TEST(UndoTest, WholeGroupReplayTakesBackWhatItDidWhenAnActionFails)
{
    CEditChar node(u'a');
    CUndoGroup group;
    node.SetUnderlineStyle(1, &group);
    node.SetBold(1, &group);
    group.RecordInt(0x101, &node, 4, 0);  // a view code that the handler refuses
    node.SetItalic(1, &group);
    // Undo from the last action: italic is taken back, then the view code fails, so the italic
    // comes back and nothing else is touched.
    const UNDO_REPLAY_RESULT result = ReplayUndoGroupWhole(
        group, UndoDirection::Undo, [](CUndoAction&, UndoDirection) { return UndoStep::Abandoned; });
    EXPECT_TRUE(result.abandoned);
    EXPECT_EQ(node.m_lf.lfItalic, 1);
    EXPECT_EQ(node.m_lf.lfWeight, 700);
    EXPECT_EQ(node.CharacterRecord().m_underlineStyle, 1);
    // Without the failure the whole group goes back.
    const UNDO_REPLAY_RESULT whole = ReplayUndoGroupWhole(group, UndoDirection::Undo);
    EXPECT_FALSE(whole.abandoned);
    EXPECT_EQ(whole.unknown, 1);
    EXPECT_EQ(node.m_lf.lfItalic, 0);
    EXPECT_EQ(node.CharacterRecord().m_underlineStyle, 0);
}

TEST(UndoTest, AlignmentReplaysOnLineBreaksOnly)
{
    CEditChar letter(u'a');
    CEditCR lineBreak;
    CUndoGroup group;
    group.RecordInt(UndoCode::kTextAlign, &letter, 1, 2);
    lineBreak.SetTextAlign(3, &group);
    lineBreak.m_dirty = 0;
    letter.m_dirty = 0;
    const UNDO_REPLAY_RESULT result = ReplayUndoGroup(group, UndoDirection::Undo);
    EXPECT_EQ(result.unknown, 0);
    EXPECT_EQ(lineBreak.m_textAlign, 0);
    EXPECT_EQ(lineBreak.m_dirty, 1);
    EXPECT_EQ(letter.m_dirty, 0);
}

TEST(UndoTest, ANodeThatCannotGoBackStaysWithItsAction)
{
    CEditContainer paragraph;
    auto* a = new CountedChar(u'a');
    auto* b = new CountedChar(u'b');
    paragraph.AppendChild(a);
    paragraph.AppendChild(b);
    {
        CUndoGroup group;
        group.RecordNode(UndoCode::kRemoveBackward, a, b, 0, 0)->TakeOut();
        // The neighbour has left the tree: a cannot go back before it.
        std::unique_ptr<CEditNode> gone(b);
        b->Detach();
        const UNDO_REPLAY_RESULT result = ReplayUndoGroup(group, UndoDirection::Undo);
        EXPECT_TRUE(result.abandoned);
        EXPECT_TRUE(group.GetAt(0)->KeepsNode());
        EXPECT_EQ(a->GetParent(), nullptr);
    }
    EXPECT_EQ(CountedChar::alive, 0);
}

TEST(UndoTest, ActionsByIndexGoBackAtTheirIndex)
{
    CEditContainer paragraph;
    auto* a = new CountedChar(u'a');
    auto* b = new CountedChar(u'b');
    auto* c = new CountedChar(u'c');
    paragraph.AppendChild(a);
    paragraph.AppendChild(b);
    paragraph.AppendChild(c);
    auto order = [&paragraph] {
        std::u16string text;
        for (int i = 0; i < paragraph.GetChildCount(); ++i)
            text += paragraph.GetEditChild(i)->GetText().View();
        return text;
    };
    {
        CUndoGroup group;
        // b removed from index 1, then a new x inserted at index 0.
        group.RecordNodeEx(UndoCode::kRemoveAt, b, nullptr, 1, &paragraph, 0, 0)->TakeOut();
        auto x = std::make_unique<CountedChar>(u'x');
        CUndoAction* insertion = group.RecordNodeEx(UndoCode::kInsertAt, x.get(), nullptr, 0, &paragraph, 0, 0);
        insertion->Keep(std::move(x));
        ASSERT_TRUE(insertion->PutBack());
        EXPECT_EQ(order(), u"xac");
        ReplayUndoGroup(group, UndoDirection::Undo);
        EXPECT_EQ(order(), u"abc");
        ReplayUndoGroup(group, UndoDirection::Redo);
        EXPECT_EQ(order(), u"xac");
    }
    EXPECT_EQ(CountedChar::alive, 3);  // x stays in the tree, b went with the group
}
