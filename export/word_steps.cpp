#include "export/word_steps.h"

#include "nodes/edit_container.h"
#include "nodes/edit_sentence.h"

const CEditBox* BoxOf(const CEditNode* container, const CEditNode* node)
{
    const auto* boxes = dynamic_cast<const CEditContainer*>(container);
    if (boxes == nullptr || node == nullptr)
        return nullptr;
    return boxes->GetBox(node->m_boxIndex);
}

LentNodes::LentNodes(CEditNode* container, const std::vector<int>& indexes, CEditSentence* borrower)
    : m_container(container), m_borrower(borrower)
{
    for (int index : indexes)
        if (CEditNode* node = container->GetEditChild(index))
            m_lent.emplace_back(index, node);
    for (const auto& [index, node] : m_lent)
        borrower->AppendChild(node);
}

LentNodes::~LentNodes()
{
    // Put back in ascending order, each at its own index, the paper is as it was.
    m_borrower->RemoveAllChildren();
    for (const auto& [index, node] : m_lent)
        m_container->InsertChildAt(index, node);
}

ClassForConversion::ClassForConversion(CEditNode* node, int classCode) : m_node(node), m_former(node->m_class)
{
    node->m_class = classCode;
}

ClassForConversion::~ClassForConversion() { m_node->m_class = m_former; }
