#include "printfile/fo_fragment.h"

#include "base/element_vocabulary.h"
#include "nodes/edit_switches.h"
#include "tests/support/cabinet_bytes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

using cabtest::Bytes;
using cabtest::BytesOf;
using cabtest::ReadFile;
using cabtest::TempDir;

namespace {

template <typename T>
T* Add(CQNXMLNode* parent, T* child)
{
    parent->AppendChild(child);
    return child;
}

CFoInline* AddRun(CQNXMLNode* parent, const char16_t* text, const char* face = "\x82\x6c\x82\x72 \x96\xbe\x92\xa9",
               int size = 370)
{
    auto* run = Add(parent, new CFoInline);
    std::memset(run->m_fontFace, 0, sizeof run->m_fontFace);
    std::strncpy(run->m_fontFace, face, sizeof run->m_fontFace - 1);
    run->m_fontSize = size;
    run->m_fontWidth = 0;
    run->m_fontItalic = 0;
    run->m_fontWeight = 400;
    run->m_backgroundColor = 0xFFFFFF;
    run->m_backgroundPattern = 0;
    run->m_borderStyle = 0;
    run->m_borderWidth = 0;
    run->m_renbanType = 0;
    run->m_renbanForce = 0;
    run->m_renbanFace[0] = '\0';
    run->m_renbanSize = 0;
    run->SetText(text);
    return run;
}

CFoInlineContainer* Container(CQNXMLNode* parent, int idClass)
{
    auto* container = Add(parent, new CFoInlineContainer);
    container->m_idClass = idClass;
    container->m_beforeStyle = container->m_beforeWidth = 0;
    container->m_afterStyle = container->m_afterWidth = 0;
    container->m_renbanType = 0;
    container->m_renbanForce = 0;
    container->m_renbanFace[0] = '\0';
    container->m_renbanSize = 0;
    return container;
}

CFoBlock* Block(CQNXMLNode* parent, int align = 0)
{
    auto* block = Add(parent, new CFoBlock);
    block->m_textAlign = align;
    return block;
}

CQNXMLNode* Token(CQNXMLNode* parent, int code, const char16_t* text)
{
    CQNXMLNode* token = CreateXMLNode(code);
    parent->AppendChild(token);
    token->SetText(text);
    return token;
}

// The file's text after its declaration and the line break that follows it.
std::string Body(const Bytes& file)
{
    const std::string text(file.begin(), file.end());
    const std::string declaration = "<?xml version=\"1.0\" encoding=\"Shift-JIS\"?>\n";
    EXPECT_EQ(text.substr(0, declaration.size()), declaration);
    std::string body = text.substr(std::min(text.size(), declaration.size()));
    if (!body.empty() && body.back() == '\n')
        body.pop_back();
    return body;
}

std::string Export(bool formula, CFoBlockContainer* container, const TempDir& dir)
{
    const std::string path = dir.File(formula ? "fragment.qni" : "fragment.qnh");
    EXPECT_TRUE(formula ? ExportMathFo(container, path.c_str()) : ExportKanbunFo(container, path.c_str()));
    return Body(ReadFile(path));
}

const std::string kRootOpen = "<fo:root xmlns:fo=\"http://www.w3.org/1999/XSL/Format\" version=\"1.0\">";

class FoFragmentTest : public ::testing::Test {
protected:
    void TearDown() override { InTextAnswersVisible = 1; }
    TempDir dir;
};

}  // namespace

// A formula in a line of text, as the word-processor export wraps it, beside a run holding "<"
// and a character that code page 932 lacks: the run is written as text with a character
// reference, since no CDATA section could hold that character.
TEST_F(FoFragmentTest, FormulaFragmentMatchesTheHandWrittenFile)
{
    CFoBlockContainer container;
    CFoBlock* line = Block(&container);
    auto* object = Add(line, new CFoInstreamForeignObject);
    CQNXMLNode* math = Add(object, CreateXMLNode(XEC_MATH));
    CQNXMLNode* row = Add(math, CreateXMLNode(XEC_MROW));
    Token(row, XEC_MI, u"x");
    Token(row, XEC_MO, u"<");
    Token(row, XEC_MN, u"1");
    CFoInline* run = AddRun(line, u"a<é");
    run->m_color = 0x0000FF;
    run->m_underlineStyle = 1;
    run->m_underlineWidth = 3;

    const std::string expected =
        kRootOpen +
        "<fo:block-container><fo:block text-align=\"left\"><fo:instream-foreign-object><math><mrow>"
        "<mi mathfamily=\"Times New Roman\" mathsize=\"10.5pt\">x</mi>"
        "<mo mathfamily=\"Times New Roman\" mathsize=\"10.5pt\"><![CDATA[<]]></mo>"
        "<mn mathfamily=\"Times New Roman\" mathsize=\"10.5pt\">1</mn></mrow></math></fo:instream-foreign-object>"
        "<fo:inline font-family=\"\x82\x6c\x82\x72 \x96\xbe\x92\xa9\" font-size=\"10.5pt\" "
        "text-decoration=\"underline\" text-underline-style=\"solid\" text-underline-width=\"thick\" "
        "color=\"Red\">a&lt;&#233;</fo:inline></fo:block></fo:block-container></fo:root>";
    EXPECT_EQ(Export(true, &container, dir), expected);

    // The kanbun variant of the same tree leaves the formula out without a trace.
    const size_t formulaStart = expected.find("<fo:instream-foreign-object>");
    const size_t formulaEnd = expected.find("<fo:inline ");
    std::string kanbun = expected;
    kanbun.erase(formulaStart, formulaEnd - formulaStart);
    EXPECT_EQ(Export(false, &container, dir), kanbun);

    // With in-text answers hidden only the formula fragment's root carries the id.
    InTextAnswersVisible = 0;
    EXPECT_EQ(Export(true, &container, dir).substr(0, kRootOpen.size() + 21),
              kRootOpen.substr(0, kRootOpen.size() - 1) + " id=\"cyukaiinvisible\">");
    EXPECT_EQ(Export(false, &container, dir), kanbun);
}

// A kanbun passage: a kanA and a kanB cell share one counter, each with its three blocks; the
// first has a thick double line before it and a numbering label.
TEST_F(FoFragmentTest, KanbunFragmentMatchesTheHandWrittenFile)
{
    CFoBlockContainer container;
    CFoBlock* line = Block(&container, 4);
    CFoInlineContainer* first = Container(line, XCC_KANA);
    first->m_beforeStyle = 2;
    first->m_beforeWidth = 3;
    first->m_renbanType = 1;
    first->m_renbanForce = 3;
    first->m_renbanSize = 370;
    CFoInlineContainer* second = Container(line, XCC_KANB);
    for (CFoInlineContainer* cell : {first, second}) {
        AddRun(Block(cell), u"\u5b66");
        AddRun(Block(cell), u"   ");
        Block(cell);
    }
    const std::string run = "<fo:inline font-family=\"\x82\x6c\x82\x72 \x96\xbe\x92\xa9\" font-size=\"10.5pt\">";
    const std::string blanks = "<fo:inline xml:space=\"preserve\" font-family=\"\x82\x6c\x82\x72 \x96\xbe\x92\xa9\" "
                               "font-size=\"10.5pt\">   </fo:inline>";
    const std::string cellBlocks = "<fo:block text-align=\"left\">" + run + "\x8a\x77</fo:inline></fo:block>"
                                   "<fo:block text-align=\"left\">" + blanks + "</fo:block><fo:block text-align=\"left\"/>";
    const std::string expected =
        kRootOpen + "<fo:block-container><fo:block text-justify=\"distribute\">"
        "<fo:inline-container id=\"kanA0011\" border-before-style=\"double\" border-before-width=\"thick\" "
        "bango-type=\"maru\" bango-force=\"3\" bango-font-size=\"10.5pt\">" + cellBlocks + "</fo:inline-container>"
        "<fo:inline-container id=\"kanB0012\">" + cellBlocks + "</fo:inline-container>"
        "</fo:block></fo:block-container></fo:root>";
    EXPECT_EQ(Export(false, &container, dir), expected);
}
