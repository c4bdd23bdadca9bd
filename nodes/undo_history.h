// An undo history: one group per command, newest first, and a position that separates the groups
// Undo can take back from those Redo can make again. The open paper keeps one, and so does the
// reading-mark editor for the cell it shows. The history owns the groups; a node that a recorded
// action took out of the tree belongs to that action while it stays out, so dropping groups
// deletes exactly the nodes no longer in the tree.
#pragma once

#include <deque>
#include <memory>

class CUndoGroup;

class CUndoHistory {
public:
    // The oldest group is dropped by a push when the history holds more than this many.
    static constexpr int kMaxKeptGroups = 32768;

    CUndoHistory();
    ~CUndoHistory();
    CUndoHistory(const CUndoHistory&) = delete;
    CUndoHistory& operator=(const CUndoHistory&) = delete;

    // Takes a finished, non-empty group: drops what could be redone, then the oldest group when
    // the history is full, and puts the group at the head. Always 0.
    int PushUndo(std::unique_ptr<CUndoGroup> group);
    // The group to take back, or null at the oldest end; the history keeps it.
    CUndoGroup* GetUndoRecord();
    // The group to make again, or null when nothing was undone.
    CUndoGroup* GetRedoRecord();
    // Deletes every group; the history is empty (position −1).
    void ClearUndo();

    int GetCount() const { return static_cast<int>(m_groups.size()); }
    // −1 for an empty history; else the number of groups that Redo can make again.
    int GetPosition() const { return m_position; }
    // The group at index from the head (0 the newest), or null.
    CUndoGroup* GetAt(int index) const;

private:
    std::deque<std::unique_ptr<CUndoGroup>> m_groups;  // front: the newest
    int m_position = -1;
};
