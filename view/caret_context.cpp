// The caret-context tests shared by the editing commands.
#include "view/caret_context.h"

#include "nodes/caret.h"
#include "nodes/edit_kind.h"
#include "nodes/edit_node.h"

bool IsInsideKind(CEditNode* node, unsigned kind)
{
    return node != nullptr && node->FindAncestorOfType(static_cast<int>(kind), 1) != nullptr;
}

bool IsInsideFlags(CEditNode* node, unsigned mask)
{
    return node != nullptr && node->FindAncestorWithFlags(static_cast<int>(mask), 1) != nullptr;
}

bool CaretContextAllows(const CCaret& caret, CaretContext context)
{
    CEditNode* node = caret.m_caretNode;
    if (node == nullptr)
        return false;
    const bool answerPlace = !IsInsideKind(node, EditKind::kGai) && !IsInsideKind(node, EditKind::kKaiPage);
    switch (context) {
    case CaretContext::QuestionPart: return IsInsideKind(node, EditKind::kSentence);
    case CaretContext::InTextAnswer: return answerPlace;
    case CaretContext::WrapInTextAnswer: return answerPlace && !IsInsideFlags(node, EditKind::kInTextAnswer);
    case CaretContext::UnderlineNumbering:
        return answerPlace && !IsInsideFlags(node, EditKind::kInTextAnswer) && !IsInsideKind(node, EditKind::kKasen) &&
               !IsInsideKind(node, EditKind::kKimeiran) && !IsInsideFlags(node, EditKind::kFormula) &&
               !IsInsideFlags(caret.m_anchorNode, EditKind::kFormula);
    case CaretContext::Kanbun: return IsInsideKind(node, EditKind::kKan);
    case CaretContext::Ruby: return IsInsideKind(node, EditKind::kRuby);
    case CaretContext::Table: return IsInsideKind(node, EditKind::kTable);
    case CaretContext::Float: return IsInsideKind(node, EditKind::kFloat);
    case CaretContext::Picture: return node->IsKind(EditKind::kGraphic);
    }
    return false;
}
