// Arrangement of the question parts: one row per case, the root's children written as
// Q (question text), F (answer field), A (answer), E (explanation) with major[.sub] numbers,
// T for a text box and | for a page break; "-" marks a hidden block, "*" in the input a part
// with content.
#include "nodes/edit_print.h"
#include "nodes/page_furniture.h"
#include "node_fixture.h"
#include "paper_notation.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

using namespace nodetest;

namespace {

void Build(CEditPrint& root, const std::string& layout)
{
    std::istringstream in(layout);
    std::string token;
    while (in >> token) {
        const bool content = token.back() == '*';
        if (content)
            token.pop_back();
        root.AppendChild(NotationNode(token, content));
    }
}

std::string Describe(const CEditPrint& root)
{
    std::string text;
    for (int i = 0; i < root.GetChildCount(); ++i) {
        const CEditNode* child = root.GetEditChild(i);
        std::string token = NotationToken(child);
        if (child->m_hidden != 0 && token != "|")
            token += "-";
        text += (text.empty() ? "" : " ") + token;
    }
    return text;
}

const char kFull[] = "Q1* F1* A1* E1* Q2* F2* A2* E2* Q2.1* F2.1* A2.1* E2.1* T";
// Answer fields all empty; only question 1's and sub-question 2.1's explanations and 2.1's answer
// have content.
const char kSparse[] = "Q1* F1 A1 E1* Q2* F2 A2 E2 Q2.1* F2.1 A2.1* E2.1* T";

}  // namespace

TEST(PartArrangement, TableOfModes)
{
    struct Case {
        const char* input;
        int mode;
        int hideEmpty;
        const char* expected;
    };
    const Case cases[] = {
        // without hiding
        {kFull, 1, 0, "Q1 Q2 Q2.1 T | F1 F2 F2.1 | A1 A2 A2.1 | E1 E2 E2.1"},
        {kFull, 2, 0, "Q1 Q2 Q2.1 T | F1 F2 F2.1 | A1 E1 A2 E2 A2.1 E2.1"},
        {kFull, 3, 0, "Q1 Q2 Q2.1 T | F1 A1 E1 F2 A2 E2 F2.1 A2.1 E2.1"},
        {"Q1 Q2 T | F1 F2 | A1 A2 | E1 E2", 0, 0, "Q1 F1 A1 E1 Q2 F2 A2 E2 T"},
        {"Q1 Q2 | F1 F2 | A1 A2 | E1 E2", 4, 0, "Q1 F1 A1 E1 Q2 F2 A2 E2"},
        // hiding empty answer-side parts, with major parts shown as headings of their sub parts
        {kSparse, 0, 1, "Q1 F1- A1- E1 Q2 F2- A2- E2- Q2.1 F2.1- A2.1 E2.1 T"},
        {kSparse, 1, 1, "Q1 Q2 Q2.1 T F1- F2- F2.1- | A1- A2 A2.1 | E1 E2 E2.1"},
        {kSparse, 2, 1, "Q1 Q2 Q2.1 T F1- F2- F2.1- | A1- E1 A2 E2- A2.1 E2.1"},
        {kSparse, 3, 1, "Q1 Q2 Q2.1 T | F1- A1- E1 F2- A2 E2- F2.1- A2.1 E2.1"},
        // all answers empty: the answer section shows nothing and gets no page break
        {"Q1* F1* A1 E1*", 1, 1, "Q1 | F1 A1- | E1"},
        // nothing but text boxes: no page break anywhere
        {"T T", 1, 1, "T T"},
        {"T", 3, 0, "T"},
        // every section shows: a page break before each
        {"Q1* F1* A1* E1*", 1, 0, "Q1 | F1 | A1 | E1"},
    };
    for (const Case& c : cases) {
        CEditPrint root;
        Build(root, c.input);
        root.ArrangeParts(c.mode, c.hideEmpty);
        EXPECT_EQ(Describe(root), c.expected) << "mode " << c.mode << " from " << c.input;
        EXPECT_EQ(root.m_partLayoutMode, c.mode >= 0 && c.mode <= 3 ? c.mode : 0);
    }
}

TEST(PartArrangement, InterleavedShowsUserHiddenPartsOthersKeepThem)
{
    CEditPrint root;
    Build(root, "Q1* F1* A1* E1*");
    root.GetEditChild(2)->m_hidden = 1;
    root.ArrangeParts(1, 0);
    EXPECT_EQ(Describe(root), "Q1 | F1 A1- | E1");
    root.ArrangeParts(0, 0);
    EXPECT_EQ(Describe(root), "Q1 F1 A1 E1");
}

TEST(PartArrangement, NewPageBreaksAreFilledAndThePaperIsMarkedDirty)
{
    CEditPrint root;
    Build(root, "Q1* F1* A1* E1*");
    for (int i = 0; i < root.GetChildCount(); ++i)
        root.GetEditChild(i)->SetDirtyRecursive(0);
    root.ArrangeParts(3, 0);
    ASSERT_EQ(Describe(root), "Q1 | F1 A1 E1");
    const CEditNode* pageBreak = root.GetEditChild(1);
    ASSERT_EQ(pageBreak->GetChildCount(), 1);
    EXPECT_EQ(pageBreak->GetEditChild(0)->GetText(), kPageBreakText);
    for (int i = 0; i < root.GetChildCount(); ++i) {
        EXPECT_EQ(root.GetEditChild(i)->m_dirty, 1) << i;
        EXPECT_EQ(root.GetEditChild(i)->GetParent(), &root);
    }
    // Arranging again replaces the page break rather than adding another.
    root.ArrangeParts(3, 0);
    EXPECT_EQ(Describe(root), "Q1 | F1 A1 E1");
}
