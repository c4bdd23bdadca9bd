#include "node_fixture.h"

#include "nodes/undo.h"

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
    // Taken back last first, the field ends at its value before the command.
    for (int i = group.GetCount() - 1; i >= 0; --i)
        cr.m_textAlign = group.GetAt(i)->m_oldValue;
    EXPECT_EQ(cr.m_textAlign, 0);
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
        group.RecordNode(UndoCode::kRemoveBackward, b, nullptr, 0, 0);
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
        a->Detach();
        group.RecordNode(UndoCode::kRemoveBackward, a, b, 0, 0);
        b->Detach();
        group.RecordNodeEx(UndoCode::kRemoveAt, b, c, 0, &paragraph, 0, 0);
        // The same node recorded twice is deleted once.
        group.RecordNode(UndoCode::kRemoveForward, b, c, 0, 0);
        EXPECT_EQ(CountedChar::alive, 3);
    }
    EXPECT_EQ(CountedChar::alive, 1);
    EXPECT_EQ(paragraph.GetChildCount(), 1);
}

TEST(UndoTest, UndoneGroupOwnsTheNodesItsUndoTookOut)
{
    CEditContainer paragraph;
    auto* a = new CountedChar(u'a');
    auto* b = new CountedChar(u'b');
    paragraph.AppendChild(b);
    paragraph.InsertChildAt(0, a);
    {
        // Inserted a, removed b; then the whole group was taken back: a is out, b back in.
        CUndoGroup group;
        group.RecordNode(UndoCode::kInsertBefore, a, b, 0, 0);
        group.RecordNode(UndoCode::kRemoveBackward, b, nullptr, 0, 0);
        a->Detach();
        group.SetUndone(true);
    }
    EXPECT_EQ(CountedChar::alive, 1);
    EXPECT_EQ(paragraph.GetChildCount(), 1);
    EXPECT_EQ(paragraph.GetChildAt(0), b);
}

TEST(UndoTest, InsertedThenRemovedInOneCommandIsDeletedOnce)
{
    CEditContainer paragraph;
    auto* a = new CountedChar(u'a');
    {
        CUndoGroup group;
        paragraph.AppendChild(a);
        group.RecordNode(UndoCode::kInsertBefore, a, nullptr, 0, 0);
        a->Detach();
        group.RecordNode(UndoCode::kRemoveForward, a, nullptr, 0, 0);
    }
    EXPECT_EQ(CountedChar::alive, 0);
}
