#include "nodes/undo.h"

#include "nodes/edit_node.h"

#include <algorithm>

CUndoGroup::~CUndoGroup()
{
    // Find the nodes that are out of the tree because of an action in effect before anything is
    // deleted, so that no node is looked at after it has gone and none is deleted twice.
    std::vector<CEditNode*> owned;
    for (const std::unique_ptr<CUndoAction>& action : m_actions) {
        const bool inEffect = m_undone ? UndoCode::IsInsertion(action->m_code)
                                       : UndoCode::IsRemoval(action->m_code);
        CEditNode* node = action->m_pNode;
        if (inEffect && node != nullptr && node->GetParent() == nullptr &&
            std::find(owned.begin(), owned.end(), node) == owned.end())
            owned.push_back(node);
    }
    while (!m_actions.empty())
        m_actions.pop_back();
    for (CEditNode* node : owned)
        delete node;
}

CUndoAction* CUndoGroup::GetAt(int index) const
{
    if (index < 0 || index >= GetCount())
        return nullptr;
    return m_actions[static_cast<size_t>(index)].get();
}

CUndoAction* CUndoGroup::Append(int code, CEditNode* node)
{
    auto action = std::make_unique<CUndoAction>();
    action->m_code = code;
    action->m_pNode = node;
    m_actions.push_back(std::move(action));
    return m_actions.back().get();
}

void CUndoGroup::RecordInt(int code, CEditNode* node, int oldValue, int newValue)
{
    CUndoAction* action = Append(code, node);
    action->m_oldValue = oldValue;
    action->m_newValue = newValue;
}

void CUndoGroup::RecordString(int code, CEditNode* node, const char* oldText, const char* newText)
{
    CUndoAction* action = Append(code, node);
    action->m_oldString = oldText != nullptr ? oldText : "";
    action->m_newString = newText != nullptr ? newText : "";
}

void CUndoGroup::RecordWString(int code, CEditNode* node, const CStringW& oldText, const CStringW& newText)
{
    CUndoAction* action = Append(code, node);
    action->m_oldWString = oldText;
    action->m_newWString = newText;
}

void CUndoGroup::RecordLogFont(int code, CEditNode* node, const LOGFONTA* oldFont, const LOGFONTA* newFont)
{
    CUndoAction* action = Append(code, node);
    if (oldFont != nullptr)
        action->m_oldLogFont = *oldFont;
    if (newFont != nullptr)
        action->m_newLogFont = *newFont;
}

void CUndoGroup::RecordPair(int code, CEditNode* node, const SIZE* oldPair, const SIZE* newPair)
{
    CUndoAction* action = Append(code, node);
    if (oldPair != nullptr)
        action->m_oldPair = *oldPair;
    if (newPair != nullptr)
        action->m_newPair = *newPair;
}

void CUndoGroup::RecordNode(int code, CEditNode* node, CEditNode* secondNode, int value, int object)
{
    CUndoAction* action = Append(code, node);
    action->m_pSecondNode = secondNode;
    action->m_oldValue = value;
    action->m_newValue = object;
}

void CUndoGroup::RecordNodeEx(int code, CEditNode* node, CEditNode* secondNode, int index,
                              CEditNode* container, int value, int object)
{
    CUndoAction* action = Append(code, node);
    action->m_pSecondNode = secondNode;
    action->m_index = index;
    action->m_pContainer = container;
    action->m_oldValue = value;
    action->m_newValue = object;
}
