// The undo history: its bound, the redo part dropped by a push, the ends, and the nodes that
// groups keep out of the paper deleted exactly once.
#include "nodes/undo_history.h"

#include "nodes/edit_char.h"
#include "nodes/edit_container.h"
#include "nodes/undo.h"
#include "nodes/undo_replay.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

std::unique_ptr<CUndoGroup> Group(int marker)
{
    auto group = std::make_unique<CUndoGroup>();
    group->RecordInt(UndoCode::kBold, nullptr, marker, marker + 1);
    return group;
}

int Marker(const CUndoGroup* group) { return group ? group->GetAt(0)->m_oldValue : -1; }

}  // namespace

TEST(UndoHistory, EndsOfAnEmptyAndAFreshHistory)
{
    CUndoHistory history;
    EXPECT_EQ(history.GetUndoRecord(), nullptr);
    EXPECT_EQ(history.GetPosition(), -1);
    EXPECT_EQ(history.GetRedoRecord(), nullptr);
    EXPECT_EQ(history.GetPosition(), -1);

    history.PushUndo(Group(1));
    history.PushUndo(Group(2));
    EXPECT_EQ(history.GetRedoRecord(), nullptr);  // nothing undone
    EXPECT_EQ(Marker(history.GetUndoRecord()), 2);
    EXPECT_EQ(Marker(history.GetUndoRecord()), 1);
    EXPECT_EQ(history.GetUndoRecord(), nullptr);
    EXPECT_EQ(history.GetPosition(), 2);
    EXPECT_EQ(Marker(history.GetRedoRecord()), 1);
    EXPECT_EQ(Marker(history.GetRedoRecord()), 2);
    EXPECT_EQ(history.GetRedoRecord(), nullptr);
}

TEST(UndoHistory, APushDropsWhatCouldBeRedone)
{
    CUndoHistory history;
    history.PushUndo(Group(1));
    history.PushUndo(Group(2));
    history.GetUndoRecord();
    history.PushUndo(Group(3));
    EXPECT_EQ(history.GetCount(), 2);
    EXPECT_EQ(history.GetRedoRecord(), nullptr);
    EXPECT_EQ(Marker(history.GetUndoRecord()), 3);
    EXPECT_EQ(Marker(history.GetUndoRecord()), 1);

    // Every group undone: the next push leaves only itself.
    history.PushUndo(Group(4));
    EXPECT_EQ(history.GetCount(), 1);
    EXPECT_EQ(history.GetPosition(), 0);
    EXPECT_EQ(Marker(history.GetUndoRecord()), 4);
}

TEST(UndoHistory, HoldsAtMost32769Groups)
{
    CUndoHistory history;
    for (int i = 0; i < 32769; ++i)
        history.PushUndo(Group(i));
    EXPECT_EQ(history.GetCount(), 32769);
    EXPECT_EQ(Marker(history.GetAt(32768)), 0);
    history.PushUndo(Group(32769));
    EXPECT_EQ(history.GetCount(), 32769);
    EXPECT_EQ(Marker(history.GetAt(32768)), 1);
    EXPECT_EQ(Marker(history.GetAt(0)), 32769);
}

// A removal undone leaves the node in the paper when the history is cleared; a removal never
// undone deletes its node once, also when a child of it was taken out before it.
TEST(UndoHistory, ClearingDeletesOnlyTheNodesOutsideThePaper)
{
    CEditContainer paper;
    auto* gone = new CEditChar(u'a');
    auto* box = new CEditContainer();
    auto* inner = new CEditChar(u'b');
    auto* last = new CEditChar(u'c');
    paper.AppendChild(gone);
    paper.AppendChild(box);
    box->AppendChild(inner);
    paper.AppendChild(last);

    CUndoHistory history;
    auto removeFirst = std::make_unique<CUndoGroup>();
    removeFirst->RecordNode(UndoCode::kRemoveBackward, gone, box, 0, 0)->TakeOut();
    history.PushUndo(std::move(removeFirst));
    auto removeNested = std::make_unique<CUndoGroup>();
    removeNested->RecordNodeEx(UndoCode::kRemoveAt, inner, nullptr, 0, box, 0, 0)->TakeOut();
    removeNested->RecordNode(UndoCode::kRemoveBackward, box, last, 0, 0)->TakeOut();
    history.PushUndo(std::move(removeNested));
    ASSERT_EQ(paper.GetChildCount(), 1);

    // The nested removal is taken back; the first one stays.
    const UNDO_REPLAY_RESULT result = ReplayUndoGroup(*history.GetUndoRecord(), UndoDirection::Undo);
    EXPECT_FALSE(result.abandoned);
    ASSERT_EQ(paper.GetChildCount(), 2);
    history.ClearUndo();
    EXPECT_EQ(history.GetCount(), 0);
    EXPECT_EQ(history.GetPosition(), -1);
    ASSERT_EQ(paper.GetChildCount(), 2);
    EXPECT_EQ(paper.GetChildAt(0), box);  // alive: the sanitizer reports any use after free
    EXPECT_EQ(box->GetChildAt(0), inner);

    // Both parked, never restored: each deleted once when the history goes.
    auto removeAgain = std::make_unique<CUndoGroup>();
    removeAgain->RecordNodeEx(UndoCode::kRemoveAt, inner, nullptr, 0, box, 0, 0)->TakeOut();
    removeAgain->RecordNode(UndoCode::kRemoveBackward, box, last, 0, 0)->TakeOut();
    history.PushUndo(std::move(removeAgain));
    history.ClearUndo();
    EXPECT_EQ(paper.GetChildCount(), 1);
}
