// Stand-ins for the blocks and marks a paper holds around its question parts, with the kinds
// the paragraph and the root look for, and helpers that build question parts.
#pragma once

#include "node_fixture.h"
#include "nodes/edit_print.h"
#include "nodes/edit_sentence.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace papertest {

using nodetest::kEm;

// A question-number label: a character with the label's kind.
class TestNumberLabel : public CEditChar {
public:
    explicit TestNumberLabel(const char16_t* text) : CEditChar(EditKind::Code(EditKind::kDmonno)) { SetText(text); }
};

// A paragraph of another block kind: a page break, a text box or a name field.
class TestBlock : public CEditSentence {
public:
    explicit TestBlock(uint32_t kind) : CEditSentence(EditKind::Code(kind)) {}
};

// A floating frame of a fixed size beside the text.
class TestFrame : public CEditContainer, public IFloatingFrame {
public:
    TestFrame(int side, int width, int height)
        : CEditContainer(EditKind::Code(EditKind::kFloat)), m_side(side), m_fixedWidth(width), m_fixedHeight(height)
    {
    }
    int GetFloatSide() const override { return m_side; }
    void Measure(CDC*, CDisplayMap*, LAYOUT_CONTEXT*) override
    {
        m_width = m_fixedWidth;
        m_height = m_fixedHeight;
    }
    void Layout(LAYOUT_CONTEXT* context, int) override
    {
        m_rcLayout = RECT{context->originX, context->originY, context->originX + m_width, context->originY + m_height};
    }

private:
    int m_side;
    int m_fixedWidth;
    int m_fixedHeight;
};

// A block of fixed layout boxes (0 as width: the available width), which remembers where and on
// which page the root placed each box.
class TestSizedBlock : public CEditContainer {
public:
    TestSizedBlock(uint32_t kind, int width, std::vector<int> heights)
        : CEditContainer(EditKind::Code(kind)), m_boxWidth(width), m_heights(std::move(heights))
    {
    }
    void Measure(CDC*, CDisplayMap*, LAYOUT_CONTEXT* context) override
    {
        DeleteBoxes();
        m_width = 0;
        m_height = 0;
        ++m_measured;
        if (!IsVisible())
            return;
        m_measuredAvailable = context->availableWidth;
        m_measuredPage = context->page;
        m_measuredTop = context->originY;
        for (size_t b = 0; b < m_heights.size(); ++b) {
            auto box = std::make_unique<CEditBox>();
            box->m_width = m_boxWidth > 0 ? m_boxWidth : context->availableWidth;
            box->m_height = m_heights[b];
            m_width = std::max(m_width, box->m_width);
            m_height += m_heights[b];
            SetBoxAtGrow(static_cast<int>(b), std::move(box));
        }
        m_dirty = 0;
    }
    void Layout(LAYOUT_CONTEXT* context, int) override
    {
        if (!IsVisible())
            return;
        CEditBox* box = GetBox(context->boxIndex);
        if (box == nullptr)
            return;
        // Saturated, so that papers of absurd sizes can be laid out too.
        auto end = [](int origin, int size) {
            return static_cast<int>(std::clamp<int64_t>(static_cast<int64_t>(origin) + size, INT32_MIN, INT32_MAX));
        };
        box->m_rcLayout = RECT{context->originX, context->originY, end(context->originX, box->m_width),
                               end(context->originY, box->m_height)};
        if (context->boxIndex == 0)
            m_rcLayout = box->m_rcLayout;
        m_laidOutAvailable = context->fullWidth;
    }
    POINT Origin(int box) const
    {
        const CEditBox* layoutBox = GetBox(box);
        return layoutBox != nullptr ? POINT{layoutBox->m_rcLayout.left, layoutBox->m_rcLayout.top} : POINT{-1, -1};
    }
    int PageOf(int box) const
    {
        const CEditBox* layoutBox = GetBox(box);
        return layoutBox != nullptr ? layoutBox->m_page : -1;
    }

    int m_measured = 0;
    int m_measuredAvailable = 0;
    // Where the estimate expected the block to start: its page and the height used there.
    int m_measuredPage = 0;
    int m_measuredTop = 0;
    int m_laidOutAvailable = 0;

private:
    int m_boxWidth;
    std::vector<int> m_heights;
};

// Characters of one text, each its own node, in a font em units high.
inline void AddText(CEditNode* parent, std::u16string_view text, int em = kEm)
{
    for (char16_t c : text)
        nodetest::AddChar(parent, c, em);
}

// `count` full-width characters cycling through a few kana.
inline void AddKana(CEditNode* parent, int count, int em = kEm)
{
    static constexpr char16_t kKana[] = u"あいうえおかきくけこ";
    for (int i = 0; i < count; ++i)
        nodetest::AddChar(parent, kKana[i % 10], em);
}

// A question part: an optional number label, `count` kana and the closing line break.
inline CEditSentence* AddPart(CEditNode* parent, int question, int sub, int kind, const char16_t* label, int count,
                              int em = kEm, int align = 0)
{
    auto* part = new CEditSentence();
    part->m_questionNumber = question;
    part->m_subQuestionNumber = sub;
    part->m_partKind = kind;
    if (label != nullptr) {
        auto* number = new TestNumberLabel(label);
        number->m_lf.lfHeight = -em;
        part->AppendChild(number);
    }
    AddKana(part, count, em);
    nodetest::AddCR(part, align, em);
    parent->AppendChild(part);
    return part;
}

// An empty question part, for the bookkeeping that reads only numbers and kinds.
inline CEditSentence* AddEmptyPart(CEditNode& parent, int question, int sub, int kind)
{
    auto* part = new CEditSentence();
    part->m_questionNumber = question;
    part->m_subQuestionNumber = sub;
    part->m_partKind = kind;
    parent.AppendChild(part);
    return part;
}

// The four empty parts of one question, in order.
inline void AddEmptyQuestion(CEditNode& parent, int question, int sub)
{
    for (int kind = PART_QUESTION; kind <= PART_EXPLANATION; ++kind)
        AddEmptyPart(parent, question, sub, kind);
}

inline EDIT_LINE LineOf(CEditContainer* node, int box, int line)
{
    CEditBox* layoutBox = node->GetBox(box);
    return layoutBox != nullptr ? layoutBox->GetLine(line) : EDIT_LINE();
}

// A test paper: a name field on page 1, five questions of a question text (number label and
// 410 kana) and an answer part (123 kana), and a page break before the fifth question; the
// characters 400 high, the paper's line spacing 100, A4 with 2000 margins.
inline constexpr int kPaperEm = 400;

struct Paper {
    CEditPrint root;
    CEditSentence* nameField = nullptr;
    std::vector<CEditSentence*> blocks;  // Q1, A1, ..., Q4, A4, page break, Q5, A5
};

inline void BuildPaper(Paper& paper, int columns, int vertical)
{
    CEditPrint& root = paper.root;
    root.m_vertical = vertical;
    if (vertical)
        root.SetPaperSize(29700, 21000);  // stored exchanged in vertical writing
    root.m_geometry.columnCount = columns;
    root.SetMargins(2000, 2000, 2000, 2000);
    root.m_lineSpacing = 100;

    auto* field = new TestBlock(EditKind::kKimeiran);
    AddKana(field, 10, kPaperEm);
    nodetest::AddCR(field, 0, kPaperEm);
    root.GetNameFieldLayer()->AppendChild(field);
    root.SetPageFlagged(1, true);
    paper.nameField = field;

    static const char16_t* const kNumbers[] = {u"１", u"２", u"３", u"４", u"５"};
    for (int q = 1; q <= 5; ++q) {
        if (q == 5) {
            auto* pageBreak = new TestBlock(EditKind::kKaiPage);
            AddKana(pageBreak, 5, kPaperEm);
            nodetest::AddCR(pageBreak, 0, kPaperEm);
            root.AppendChild(pageBreak);
            paper.blocks.push_back(pageBreak);
        }
        paper.blocks.push_back(AddPart(&root, q, 0, PART_QUESTION, kNumbers[q - 1], 410, kPaperEm));
        paper.blocks.push_back(AddPart(&root, q, 0, PART_ANSWER, nullptr, 123, kPaperEm));
    }
}

// The paper as text: paragraphs separated by "/", line breaks as "|", nested nodes in [].
inline std::u16string Dump(CEditNode* node)
{
    std::u16string text;
    for (int i = 0; i < node->GetChildCount(); ++i) {
        CEditNode* child = node->GetEditChild(i);
        if (node->IsKind(EditKind::kPrint) && i > 0)
            text += u"/";
        if (node->IsKind(EditKind::kPrint))
            text += Dump(child);
        else if (child->HasKindFlags(EditKind::kLineBreak))
            text += u"|";
        else if (child->GetChildCount() > 0)
            text += u"[" + Dump(child) + u"]";
        else
            text += child->GetText().View();
    }
    return text;
}

}  // namespace papertest
