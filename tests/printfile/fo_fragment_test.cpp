#include "printfile/fo_fragment.h"

#include "base/element_vocabulary.h"
#include "nodes/edit_switches.h"
#include "tests/support/cabinet_bytes.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
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
                                   "<fo:block text-align=\"left\">" + blanks +
                                   "</fo:block><fo:block text-align=\"left\"/>";
    const std::string expected =
        kRootOpen + "<fo:block-container><fo:block text-justify=\"distribute\">"
        "<fo:inline-container id=\"kanA0011\" border-before-style=\"double\" border-before-width=\"thick\" "
        "bango-type=\"maru\" bango-force=\"3\" bango-font-size=\"10.5pt\">" + cellBlocks + "</fo:inline-container>"
        "<fo:inline-container id=\"kanB0012\">" + cellBlocks + "</fo:inline-container>"
        "</fo:block></fo:block-container></fo:root>";
    EXPECT_EQ(Export(false, &container, dir), expected);
}

// The block container's attributes, one row per case, in the file's order.
TEST_F(FoFragmentTest, BlockContainerAttributesStandInTheWritersOrder)
{
    const struct {
        int idClass, width, height, visibility;
        const char* element;
    } cases[] = {
        {0, 0, 0, 0, "<fo:block-container/>"},
        {0, 5000, 0, 0, "<fo:block-container width=\"50mm\" id=\"converted\"/>"},
        {0, 199, 0, 0, "<fo:block-container width=\"1mm\" id=\"converted\"/>"},
        {0, 0, 1234, 2, "<fo:block-container visibility=\"collapse\" height=\"12mm\" id=\"converted\"/>"},
        {XCC_GAI, 1000, 2000, 0, "<fo:block-container width=\"10mm\" height=\"20mm\" id=\"gai0011\"/>"},
        {XCC_KAIPAGE, 0, 0, 0, "<fo:block-container id=\"kaipage0011\" break-after=\"page\"/>"},
        {XCC_CYUKAI, 0, 0, 0, "<fo:block-container/>"},
    };
    for (const auto& c : cases) {
        CFoBlockContainer container;
        container.m_idClass = c.idClass;
        container.m_width = c.width;
        container.m_height = c.height;
        container.m_visibility = c.visibility;
        EXPECT_EQ(Export(true, &container, dir), kRootOpen + c.element + "</fo:root>") << c.element;
    }
}

// In-text answers number their pictures afresh under their own path step; their class reaches
// every descendant. Children of kinds a place does not hold are written empty or left out.
TEST_F(FoFragmentTest, InTextAnswersNumberTheirContentAfreshUnderTheirPathStep)
{
    CFoBlockContainer container;
    CFoBlock* line = Block(&container, 9);
    auto picture = [](CQNXMLNode* parent, const char* src) {
        auto* graphic = Add(parent, new CFoExternalGraphic);
        graphic->m_src = src;
        graphic->m_areaWidth = 2550;
        graphic->m_areaHeight = 0;
    };
    CFoInlineContainer* answers[2];
    for (CFoInlineContainer*& answer : answers) {
        answer = Container(line, XCC_CYUKAI);
        picture(Block(answer, 9), "a-01.png");
        picture(Block(answer, 9), "a-02.png");
    }
    picture(line, "b.png");
    Add(&container, new CFoInline);              // not held by a block container: written empty
    Add(line, new CFoFloat);                    // not held by a block: left out
    Container(Add(&container, new CFoFloat), 0);  // an inline container in a float: left out

    const auto img = [](const char* path, const char* src) {
        return std::string("<fo:external-graphic src=\"{") + path + "/@src}\" width=\"25mm\" height=\"0mm\">"
               "<img src=\"" + src + "\"/></fo:external-graphic>";
    };
    const std::string answerBody = "<fo:block>" + img("cyukai[%]/img[1]", "a-01.png") + "</fo:block><fo:block>" +
                                   img("cyukai[%]/img[2]", "a-02.png") + "</fo:block></fo:inline-container>";
    std::string first = "<fo:inline-container id=\"cyukai0011\">" + answerBody;
    std::string second = "<fo:inline-container id=\"cyukai0012\">" + answerBody;
    first.replace(first.find('%'), 1, "1");
    first.replace(first.find('%'), 1, "1");
    second.replace(second.find('%'), 1, "2");
    second.replace(second.find('%'), 1, "2");
    const std::string expected = kRootOpen + "<fo:block-container><fo:block>" + first + second +
                                 img("img[1]", "b.png") +
                                 "</fo:block><fo:inline/><fo:float/></fo:block-container></fo:root>";
    EXPECT_EQ(Export(true, &container, dir), expected);
    EXPECT_EQ(answers[1]->m_class, 2);
    EXPECT_EQ(answers[1]->GetChildAt(1)->GetChildAt(0)->m_class, 2);
}

// A character run's attributes, one row per case: decorations, border, colours, spacing.
TEST_F(FoFragmentTest, RunAttributesFollowTheirConditions)
{
    const struct {
        const char* what;
        std::function<void(CFoInline&)> set;
        const char* attributes;
    } cases[] = {
        {"underline 1 thin", [](CFoInline& r) { r.m_underlineStyle = 1; r.m_underlineWidth = 1; },
         " text-decoration=\"underline\""},
        {"underline 2 thick", [](CFoInline& r) { r.m_underlineStyle = 2; r.m_underlineWidth = 3; },
         " text-decoration=\"underline\" text-underline-style=\"double\""},
        {"both lines", [](CFoInline& r) { r.m_underlineStyle = 7; r.m_lineThroughStyle = 1; r.m_lineThroughWidth = 3; },
         " text-decoration=\"underline line-through\" text-underline-style=\"wave\" "
         "text-line-through-style=\"solid\" text-line-through-width=\"thick\""},
        {"border 1 thin", [](CFoInline& r) { r.m_borderStyle = 1; r.m_borderWidth = 1; }, " border-style=\"solid\""},
        {"border 1 thick", [](CFoInline& r) { r.m_borderStyle = 1; r.m_borderWidth = 3; },
         " border-style=\"solid\" border-width=\"thick\""},
        {"border 3 thick", [](CFoInline& r) { r.m_borderStyle = 3; r.m_borderWidth = 3; }, " border-style=\"dotted\""},
        {"bold italic condensed", [](CFoInline& r) { r.m_fontWeight = 700; r.m_fontItalic = 1; r.m_fontWidth = 1; },
         " font-weight=\"bold\" font-style=\"italic\" font-stretch=\"condensed\""},
        {"colours",
         [](CFoInline& r) {
             r.m_color = 0x00FF00;
             r.m_backgroundColor = 0x123456;
             r.m_backgroundPattern = 6;
         },
         " color=\"Lime\" background-color=\"#563412\" background-image=\"diagcross\""},
        {"script and spacing", [](CFoInline& r) { r.m_scriptPosition = 2; r.m_letterSpacing = -18; },
         " baseline-shift=\"super\" letter-spacing.optimum=\"-0.5pt\""},
        {"string numbering",
         [](CFoInline& r) {
             r.m_renbanType = 6;
             r.m_renbanString = u"\u30a2";
             std::strcpy(r.m_renbanFace, "Arial");
         },
         " bango-type=\"string\" bango-string=\"\x83\x41\" bango-font-family=\"Arial\""},
        {"unknown numbering type", [](CFoInline& r) { r.m_renbanType = 9; }, " bango-type=\"\""},
        {"negative size", [](CFoInline& r) { r.m_fontSize = -370; }, ""},
    };
    for (const auto& c : cases) {
        CFoBlockContainer container;
        CFoInline* run = AddRun(Block(&container), u"t", "MS", 370);
        run->m_color = 0;
        c.set(*run);
        EXPECT_EQ(Export(true, &container, dir),
                  kRootOpen + "<fo:block-container><fo:block text-align=\"left\"><fo:inline font-family=\"MS\" "
                              "font-size=\"10.5pt\"" +
                      c.attributes + ">t</fo:inline></fo:block></fo:block-container></fo:root>")
            << c.what;
    }
}

TEST_F(FoFragmentTest, TablesWriteTheirFirstTableAndBodyOnly)
{
    CFoBlockContainer container;
    auto* withCaption = Add(&container, new CFoTableAndCaption);
    Add(withCaption, new CFoTableCaption);
    auto* table = Add(Add(&container, new CFoTableAndCaption), new CFoTable);
    CQNXMLNode* row = Add(Add(table, new CFoTableBody), new CFoTableRow);
    for (int width : {18, 35}) {
        auto* cell = Add(row, new CFoTableCell);
        cell->m_borderStyle = 1;
        cell->m_borderWidth = width;
        Block(cell, 2);
        Add(cell, new CFoInlineContainer);  // left out of a cell
    }
    Add(table, new CFoTableFooter);
    const std::string expected =
        kRootOpen + "<fo:block-container><fo:table-and-caption/><fo:table-and-caption><fo:table><fo:table-body>"
        "<fo:table-row><fo:table-cell border-style=\"solid\" border-width=\"0.5pt\"><fo:block text-align=\"right\"/>"
        "</fo:table-cell><fo:table-cell border-style=\"solid\" border-width=\"1pt\"><fo:block text-align=\"right\"/>"
        "</fo:table-cell></fo:table-row></fo:table-body></fo:table></fo:table-and-caption></fo:block-container>"
        "</fo:root>";
    EXPECT_EQ(Export(true, &container, dir), expected);
}

// A float writes its side, its blocks and its runs, in order.
TEST_F(FoFragmentTest, FloatsWriteTheirSideBlocksAndRuns)
{
    CFoBlockContainer container;
    auto* side = Add(&container, new CFoFloat);
    side->m_floatSide = 2;
    Block(side, 1);
    AddRun(side, u"a");
    const std::string expected =
        kRootOpen + "<fo:block-container><fo:float float=\"right\"><fo:block text-align=\"center\"/>"
        "<fo:inline font-family=\"\x82\x6c\x82\x72 \x96\xbe\x92\xa9\" font-size=\"10.5pt\">a</fo:inline>"
        "</fo:float></fo:block-container></fo:root>";
    EXPECT_EQ(Export(true, &container, dir), expected);
}

TEST_F(FoFragmentTest, APathInAMissingFolderGivesFalseAndNoFile)
{
    CFoBlockContainer container;
    EXPECT_FALSE(ExportMathFo(&container, dir.File("missing/fragment.qni").c_str()));
    EXPECT_FALSE(ExportKanbunFo(&container, dir.File("missing/fragment.qnh").c_str()));
    EXPECT_TRUE(cabtest::Listing(dir.Path()).empty());
}

// Ruby counts apart from kanbun cells and writes its after side; a labelled underline gets
// class 6 and the path step kasen[n]; a kanbun cell writes only its blocks in full.
TEST_F(FoFragmentTest, RubyAndLabelledUnderlinesHaveTheirOwnCounters)
{
    CFoBlockContainer container;
    CFoBlock* line = Block(&container, 9);
    CFoInlineContainer* ruby = Container(line, XCC_RUBY);
    ruby->m_afterStyle = 3;
    ruby->m_afterWidth = 1;
    ruby->m_beforeStyle = 1;
    CFoInlineContainer* cell = Container(line, XCC_KANB);
    cell->m_beforeStyle = 9;
    cell->m_beforeWidth = 3;
    AddRun(cell, u"x");
    CFoInlineContainer* underline = Container(line, XCC_KASEN);
    auto* graphic = Add(Block(underline, 9), new CFoExternalGraphic);
    graphic->m_src = "p.png";
    const std::string expected =
        kRootOpen + "<fo:block-container><fo:block>"
        "<fo:inline-container id=\"ruby0011\" border-after-style=\"dotted\"/>"
        "<fo:inline-container id=\"kanB0011\" border-before-width=\"thick\"><fo:inline/></fo:inline-container>"
        "<fo:inline-container id=\"kasen0011\"><fo:block><fo:external-graphic src=\"{kasen[1]/img[1]/@src}\" "
        "width=\"0mm\" height=\"0mm\"><img src=\"p.png\"/></fo:external-graphic></fo:block></fo:inline-container>"
        "</fo:block></fo:block-container></fo:root>";
    EXPECT_EQ(Export(false, &container, dir), expected);
    EXPECT_EQ(graphic->m_class, 6);
}

TEST_F(FoFragmentTest, InitialPropertySetsWriteSpacingsInTruncatedTenths)
{
    CFoBlockContainer container;
    auto* set = Add(&container, new CFoInitialPropertySet);
    set->m_lineSpacing = 370;
    set->m_letterSpacing = 0;
    EXPECT_EQ(Export(true, &container, dir),
              kRootOpen + "<fo:block-container><fo:initial-property-set line-height.optimum=\"10.4pt\"/>"
                          "</fo:block-container></fo:root>");
}

TEST_F(FoFragmentTest, TheMostNegativeFontSizeIsWrittenAsTheLargest)
{
    CFoBlockContainer container;
    AddRun(Block(&container), u"t", "MS", INT_MIN);
    const std::string body = Export(true, &container, dir);
    const size_t at = body.find("font-size=\"");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(body.substr(at, 22), "font-size=\"60873552pt\"") << body;
}
