#include "nodes/undo.h"

#include "nodes/edit_error.h"
#include "nodes/edit_node.h"

CUndoAction::CUndoAction() = default;

CUndoAction::~CUndoAction() = default;

void CUndoAction::TakeOut() noexcept
{
    if (m_kept != nullptr || m_pNode == nullptr || m_pNode->GetParent() == nullptr)
        return;
    m_pNode->Detach();
    m_kept.reset(m_pNode);
}

void CUndoAction::Keep(std::unique_ptr<CEditNode> node) noexcept
{
    m_kept = std::move(node);
}

bool CUndoAction::PutBack()
{
    if (m_kept == nullptr)
        return true;
    CEditNode* node = m_kept.get();
    if (m_pContainer != nullptr)
        m_pContainer->InsertChildAt(m_index, node);
    else if (m_pSecondNode != nullptr)
        m_pSecondNode->InsertBefore(node);
    if (node->GetParent() == nullptr)
        return false;
    m_kept.release();  // the tree owns it now
    return true;
}

CUndoGroup::~CUndoGroup()
{
    DropActionsAfter(0);
}

CUndoAction* CUndoGroup::GetAt(int index) const
{
    if (index < 0 || index >= GetCount())
        return nullptr;
    return m_actions[static_cast<size_t>(index)].get();
}

void CUndoGroup::DropActionsAfter(int count)
{
    while (GetCount() > count && !m_actions.empty())
        m_actions.pop_back();
}

CUndoAction* CUndoGroup::Append(std::unique_ptr<CUndoAction> action, int code, CEditNode* node)
{
    action->m_code = code;
    action->m_pNode = node;
    m_actions.push_back(std::move(action));
    return m_actions.back().get();
}

CUndoAction* CUndoGroup::RecordInt(int code, CEditNode* node, int oldValue, int newValue)
{
    auto action = std::make_unique<CUndoAction>();
    action->m_oldValue = oldValue;
    action->m_newValue = newValue;
    return Append(std::move(action), code, node);
}

CUndoAction* CUndoGroup::RecordString(int code, CEditNode* node, const char* oldText, const char* newText)
{
    auto action = std::make_unique<CUndoAction>();
    action->m_oldString = oldText != nullptr ? oldText : "";
    action->m_newString = newText != nullptr ? newText : "";
    return Append(std::move(action), code, node);
}

CUndoAction* CUndoGroup::RecordWString(int code, CEditNode* node, const CStringW& oldText, const CStringW& newText)
{
    auto action = std::make_unique<CUndoAction>();
    action->m_oldWString = oldText;
    action->m_newWString = newText;
    return Append(std::move(action), code, node);
}

CUndoAction* CUndoGroup::RecordLogFont(int code, CEditNode* node, const LOGFONTA* oldFont, const LOGFONTA* newFont)
{
    auto action = std::make_unique<CUndoAction>();
    if (oldFont != nullptr)
        action->m_oldLogFont = *oldFont;
    if (newFont != nullptr)
        action->m_newLogFont = *newFont;
    return Append(std::move(action), code, node);
}

CUndoAction* CUndoGroup::RecordPair(int code, CEditNode* node, const SIZE* oldPair, const SIZE* newPair)
{
    auto action = std::make_unique<CUndoAction>();
    if (oldPair != nullptr)
        action->m_oldPair = *oldPair;
    if (newPair != nullptr)
        action->m_newPair = *newPair;
    return Append(std::move(action), code, node);
}

CUndoAction* CUndoGroup::RecordNode(int code, CEditNode* node, CEditNode* secondNode, int value, int object)
{
    auto action = std::make_unique<CUndoAction>();
    action->m_pSecondNode = secondNode;
    action->m_oldValue = value;
    action->m_newValue = object;
    return Append(std::move(action), code, node);
}

CUndoAction* CUndoGroup::RecordNodeEx(int code, CEditNode* node, CEditNode* secondNode, int index,
                                      CEditNode* container, int value, int object)
{
    auto action = std::make_unique<CUndoAction>();
    action->m_pSecondNode = secondNode;
    action->m_index = index;
    action->m_pContainer = container;
    action->m_oldValue = value;
    action->m_newValue = object;
    return Append(std::move(action), code, node);
}

void InsertRecordedBefore(CEditNode* before, std::unique_ptr<CEditNode> node, CUndoGroup* group)
{
    if (before == nullptr || before->GetParent() == nullptr || node == nullptr || group == nullptr)
        throw CEditError("nothing to insert before");
    // The record keeps the node until the tree takes it.
    CUndoAction* action = group->RecordNode(UndoCode::kInsertBefore, node.get(), before, 0, 0);
    if (action == nullptr)
        throw std::bad_alloc();
    action->Keep(std::move(node));
    if (!action->PutBack())
        throw CEditError("the node could not be inserted");
}
