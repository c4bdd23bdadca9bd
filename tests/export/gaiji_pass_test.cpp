// The gaiji pass over fragment trees: which runs and formula tokens move into the gaiji face,
// with what text, in either writing direction. The mapped characters are those of the gaiji
// table: U+2236 sits at 0x8146, which code page 932 reads as U+FF1A; U+2218 at 0x815A (U+3007).
#include "export/gaiji_pass.h"

#include "base/element_classes.h"
#include "base/element_vocabulary.h"
#include "base/property_records.h"
#include "platform/utf8.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

constexpr char kFace[] = "Times New Roman";

CQNXMLNode* AddInline(CQNXMLNode* parent, const char16_t* text)
{
    auto run = std::make_unique<CFoInline>();
    run->SetText(text);
    CopyFaceName(run->m_fontFace, kFace);
    run->m_color = 0x0000FF;
    run->m_underlineStyle = 1;
    CQNXMLNode* added = run.get();
    parent->AppendChild(run.release());
    return added;
}

CQNXMLNode* AddToken(CQNXMLNode* parent, int code, const char16_t* text)
{
    std::unique_ptr<CMathMLNode> token;
    if (code == XEC_MO)
        token = std::make_unique<CMathMLMo>();
    else if (code == XEC_MROW || code == XEC_MATH)
        token = std::make_unique<CMathMLNode>(code);
    else
        token = std::make_unique<CMathMLToken>(code);
    token->SetText(text);
    CopyFaceName(token->m_fontFace, kFace);
    CQNXMLNode* added = token.get();
    parent->AppendChild(token.release());
    return added;
}

// The tree below element as "text|face" per node with text, children in brackets, "-" for an
// empty node.
std::string Describe(const CQNXMLNode* element)
{
    std::string text;
    for (int i = 0; i < element->GetChildCount(); ++i) {
        const CQNXMLNode* child = element->GetChildAt(i);
        if (!text.empty())
            text += " ";
        text += Utf16ToUtf8(child->GetText().View());
        if (const auto* run = dynamic_cast<const CFontProperties*>(child); run != nullptr && !child->GetText().IsEmpty())
            text += "|" + std::string(FaceNameView(run->m_fontFace));
        if (child->GetChildCount() > 0)
            text += "[" + Describe(child) + "]";
        else if (child->GetText().IsEmpty())
            text += "-";
    }
    return text;
}

TEST(GaijiPass, RunsAndTokensTakeTheGaijiFaceAsTheirCharactersMap)
{
    struct Case {
        const char* what;
        std::function<void(CQNXMLNode*)> build;
        bool vertical;
        std::string expected;
    };
    const Case cases[] = {
        {"an inline of one character not in the table stays", [](CQNXMLNode* b) { AddInline(b, u"x"); }, false,
         "x|Times New Roman"},
        {"a mapped inline", [](CQNXMLNode* b) { AddInline(b, u"\u2236"); }, false, "\uff1a|Orvellan Gaiji"},
        {"a mapped inline in vertical writing", [](CQNXMLNode* b) { AddInline(b, u"\u2236"); }, true,
         "\uff1a|@Orvellan Gaiji"},
        {"an inline that mixes is split, losing no character",
         [](CQNXMLNode* b) { AddInline(b, u"a\u2236\u2218bc"); }, false,
         "a|Times New Roman \uff1a\u3007|Orvellan Gaiji bc|Times New Roman"},
        {"a mapped character after an ordinary one", [](CQNXMLNode* b) { AddInline(b, u"a\u2236"); }, true,
         "a|Times New Roman \uff1a|@Orvellan Gaiji"},
        {"an mi maps characters in place",
         [](CQNXMLNode* b) { AddToken(AddToken(b, XEC_MATH, u""), XEC_MI, u"a\u2236b"); }, false,
         "[a\uff1ab|Orvellan Gaiji]"},
        {"a formula token keeps the horizontal face in vertical writing",
         [](CQNXMLNode* b) {
             AddInline(b, u"\u2236");
             AddToken(AddToken(b, XEC_MATH, u""), XEC_MN, u"\u2218");
         },
         true, "\uff1a|@Orvellan Gaiji [\u3007|Orvellan Gaiji]"},
        {"an mo is left as it is", [](CQNXMLNode* b) { AddToken(b, XEC_MO, u"\u2236"); }, false,
         "\u2236|Times New Roman"},
        {"a token without a mapped character keeps its face", [](CQNXMLNode* b) { AddToken(b, XEC_MI, u"xy"); },
         false, "xy|Times New Roman"},
        {"an element without text or children is passed over",
         [](CQNXMLNode* b) {
             b->AppendChild(new CFoBlock());
             AddInline(b, u"\u2236");
         },
         false, "- \uff1a|Orvellan Gaiji"},
    };
    for (const Case& c : cases) {
        CFoBlockContainer container;
        CQNXMLNode* block = new CFoBlock();
        container.AppendChild(block);
        c.build(block);
        ApplyGaijiFont(&container, c.vertical);
        EXPECT_EQ(Describe(block), c.expected) << c.what;
    }
}

TEST(GaijiPass, TheSplitRunsKeepTheRunsFormatAndOrder)
{
    CFoBlock block;
    AddInline(&block, u"\u2236x");
    AddInline(&block, u"y");
    ApplyGaijiFont(&block, false);
    ASSERT_EQ(block.GetChildCount(), 3);
    for (int i = 0; i < 2; ++i) {
        const auto* run = dynamic_cast<const CFoInline*>(block.GetChildAt(i));
        ASSERT_NE(run, nullptr);
        EXPECT_EQ(run->m_color, 0x0000FFu) << i;
        EXPECT_EQ(run->m_underlineStyle, 1) << i;
        EXPECT_EQ(run->GetParent(), &block);
    }
    EXPECT_EQ(Utf16ToUtf8(block.GetChildAt(1)->GetText().View()), "x");
    EXPECT_EQ(Utf16ToUtf8(block.GetChildAt(2)->GetText().View()), "y");
    // The element itself is not looked at.
    CFoInline lone;
    lone.SetText(u"\u2236");
    ApplyGaijiFont(&lone, false);
    EXPECT_EQ(lone.GetText(), u"\u2236");
}

}  // namespace
