#include "nodes/question_parts.h"

#include "nodes/edit_print.h"

CEditSentence* AsQuestionPart(CQNXMLNode* node)
{
    if (node == nullptr || node->m_typeCode != EditKind::Code(EditKind::kSentence))
        return nullptr;
    return NodeAs<CEditSentence>(node);
}

int CEditPrint::CountQuestions()
{
    int count = 0;
    for (int i = 0; i < GetChildCount(); ++i) {
        const CEditSentence* part = AsQuestionPart(GetChildAt(i));
        if (part != nullptr && part->m_subQuestionNumber == 0 && part->m_partKind == PART_QUESTION)
            ++count;
    }
    return count;
}

int CEditPrint::CountSubQuestions(int m)
{
    if (FindPart(m, PART_QUESTION) == nullptr)
        return 0;
    int count = 0;
    for (int i = 0; i < GetChildCount(); ++i) {
        const CEditSentence* part = AsQuestionPart(GetChildAt(i));
        if (part != nullptr && part->m_questionNumber == m && part->m_subQuestionNumber != 0 &&
            part->m_partKind == PART_QUESTION)
            ++count;
    }
    return count;
}

CEditSentence* CEditPrint::FindPart(int m, int kind)
{
    return FindSubPart(m, 0, kind);
}

CEditSentence* CEditPrint::FindSubPart(int m, int s, int kind)
{
    for (int i = 0; i < GetChildCount(); ++i) {
        CEditSentence* part = AsQuestionPart(GetChildAt(i));
        if (part != nullptr && part->m_questionNumber == m && part->m_subQuestionNumber == s &&
            (kind == 0 || part->m_partKind == kind))
            return part;
    }
    return nullptr;
}
