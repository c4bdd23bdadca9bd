#include "nodes/undo_history.h"

#include "nodes/undo.h"

#include <exception>

CUndoHistory::CUndoHistory() = default;

CUndoHistory::~CUndoHistory() { ClearUndo(); }

CUndoGroup* CUndoHistory::GetAt(int index) const
{
    if (index < 0 || index >= GetCount())
        return nullptr;
    return m_groups[static_cast<size_t>(index)].get();
}

int CUndoHistory::PushUndo(std::unique_ptr<CUndoGroup> group)
{
    if (!group)
        return 0;
    try {
        // The groups that were undone can no longer be redone once a new change is made.
        while (m_position > 0 && !m_groups.empty()) {
            m_groups.pop_front();
            --m_position;
        }
        if (GetCount() - 1 > kMaxKeptGroups - 1)
            m_groups.pop_back();
        m_groups.push_front(std::move(group));
        m_position = 0;
    } catch (const std::exception&) {
        // A failed push leaves the history as it stands; the group dies with its nodes.
    }
    return 0;
}

CUndoGroup* CUndoHistory::GetUndoRecord()
{
    if (m_groups.empty() || m_position > GetCount() - 1)
        return nullptr;
    const int index = m_position;
    m_position = index + 1;
    return GetAt(index);
}

CUndoGroup* CUndoHistory::GetRedoRecord()
{
    if (m_position <= 0)
        return nullptr;
    --m_position;
    return GetAt(m_position);
}

void CUndoHistory::ClearUndo()
{
    // Newest first, as the groups were recorded on top of one another.
    while (!m_groups.empty())
        m_groups.pop_front();
    m_position = -1;
}
