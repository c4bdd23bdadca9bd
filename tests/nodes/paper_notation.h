// The short notation the arrangement and question-structure tests write papers in: Q (question
// text), F (answer field), A (answer), E (explanation) with major[.sub] numbers, T for a text box
// and | for a page break.
#pragma once

#include "nodes/edit_char.h"
#include "nodes/edit_sentence.h"
#include "nodes/page_furniture.h"

#include <string>

namespace nodetest {

// A new block for one token; a part given content holds an "x" before its line break.
inline CEditNode* NotationNode(const std::string& token, bool content = false)
{
    if (token == "|") {
        auto* pageBreak = new CEditKaiPage();
        pageBreak->Fill();
        return pageBreak;
    }
    if (token == "T") {
        auto* box = new CEditGai();
        box->AddLineBreak();
        return box;
    }
    auto* part = new CEditSentence();
    part->m_partKind = static_cast<int>(std::string("QFAE").find(token[0])) + 1;
    const size_t dot = token.find('.');
    part->m_questionNumber = std::stoi(token.substr(1, dot - 1));
    part->m_subQuestionNumber = dot == std::string::npos ? 0 : std::stoi(token.substr(dot + 1));
    part->InitDefaultContent();
    if (content)
        part->InsertChildAt(0, new CEditChar(u'x'));
    return part;
}

// The token of a page break, a text box or a question part.
inline std::string NotationToken(const CEditNode* node)
{
    if (node->IsKind(EditKind::kKaiPage))
        return "|";
    if (node->IsKind(EditKind::kGai))
        return "T";
    const auto* part = dynamic_cast<const CEditSentence*>(node);
    std::string token = std::string(1, "?QFAE"[part->m_partKind]) + std::to_string(part->m_questionNumber);
    if (part->m_subQuestionNumber != 0)
        token += "." + std::to_string(part->m_subQuestionNumber);
    return token;
}

}  // namespace nodetest
