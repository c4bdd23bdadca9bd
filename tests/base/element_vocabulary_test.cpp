#include "base/element_classes.h"
#include "base/element_vocabulary.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

namespace {

std::unique_ptr<CQNXMLNode> Make(int code) { return std::unique_ptr<CQNXMLNode>(CreateXMLNode(code)); }

std::string Narrow(const CStringW& text) { return std::string(text.View().begin(), text.View().end()); }

}  // namespace

TEST(ElementVocabulary, TableHoldsEveryElementOnceBetweenItsEnds)
{
    EXPECT_EQ(XmlElementCodeTable[0].code, 0);
    EXPECT_EQ(XmlElementCodeTable[95].code, -1);
    std::set<int> codes;
    std::set<std::u16string> names;
    for (int i = 1; i <= 94; ++i) {
        const XML_ELEMENT_CODE& entry = XmlElementCodeTable[i];
        codes.insert(entry.code);
        names.insert(entry.name);
        EXPECT_EQ(XMLElementCodeFromName(entry.name), entry.code) << i;
        EXPECT_EQ(XMLElementNameFromCode(entry.code).View(), entry.name) << i;
        const bool mathml = (entry.code & 0xF00) == 0x200;
        const bool xsl = std::u16string_view(entry.name).substr(0, 3) == u"xsl" ||
                         std::u16string_view(entry.name).substr(0, 3) == u"fo:";
        EXPECT_EQ((entry.code & XEC_FAMILY_MATHML) != 0, mathml) << i;
        EXPECT_EQ((entry.code & XEC_FAMILY_XSL) != 0, xsl) << i;
    }
    EXPECT_EQ(codes.size(), 94u);
    EXPECT_EQ(names.size(), 94u);
}

TEST(ElementVocabulary, NamesAreExactAndCaseSensitive)
{
    EXPECT_EQ(XMLElementCodeFromName(u"fo:block"), 0xC22);
    EXPECT_EQ(XMLElementCodeFromName(u"FO:BLOCK"), 0);
    EXPECT_EQ(XMLElementCodeFromName(u"block"), 0);
    EXPECT_EQ(XMLElementCodeFromName(u""), 0);
    EXPECT_EQ(XMLElementCodeFromName(u"mfoo"), 0);
    EXPECT_EQ(XMLElementNameFromCode(0x202), u"");
    EXPECT_EQ(XMLElementNameFromCode(0), u"");
    EXPECT_EQ(XMLElementNameFromCode(-1), u"");
    EXPECT_EQ(XMLElementNameFromCode(0xC01), u"fo:root");
}

TEST(ElementVocabulary, ClassCodesMatchAnywhereInTheText)
{
    struct Case {
        const char16_t* text;
        int code;
    };
    const Case cases[] = {
        {u"kaipage0011", 8}, {u"kasen0013", 9}, {u"cyukai[2]", 2}, {u"abc", -1}, {u"kanA", 5},
        {u"kanB0012", 6},    {u"ruby0011", 1},  {u"kun", 7},       {u"kim", 4},  {u"gai0012", 3},
        {u"", -1},           {u"KANA", -1},
        {u"rubygai", 1},  // table order decides between two names
    };
    for (const Case& c : cases)
        EXPECT_EQ(XMLClassCodeFromString(c.text), c.code) << Narrow(c.text);
}

TEST(ElementVocabulary, FactoryMakesTheClassOfEachCode)
{
    const int withoutClass[] = {0x112, 0x113, 0x114, 0xC07, 0xC08, 0xC0B, 0xC0C, 0xC0D, 0xC0F, 0xC35, 0xC50,
                                0xC51, 0xC52, 0xC53, 0x208, 0x209, 0x216, 0x217, 0x218, 0x234, 0,     -1,
                                0x202, 0x999};
    for (int code : withoutClass)
        EXPECT_EQ(Make(code), nullptr) << std::hex << code;

    std::set<int> unmade(std::begin(withoutClass), std::end(withoutClass));
    int made = 0;
    for (int i = 1; i <= 94; ++i) {
        const int code = XmlElementCodeTable[i].code;
        if (unmade.count(code))
            continue;
        const auto node = Make(code);
        ASSERT_NE(node, nullptr) << std::hex << code;
        EXPECT_EQ(node->m_typeCode, code);
        // Element objects stream as plain nodes.
        EXPECT_EQ(node->GetRuntimeClass(), RUNTIME_CLASS(CQNXMLNode));
        ++made;
    }
    EXPECT_EQ(made, 74);

    EXPECT_NE(dynamic_cast<CMathMLToken*>(Make(0x204).get()), nullptr);
    EXPECT_NE(dynamic_cast<CMathMLMo*>(Make(0x205).get()), nullptr);
    EXPECT_NE(dynamic_cast<CMathMLRow*>(Make(0x233).get()), nullptr);  // mtd
    EXPECT_NE(dynamic_cast<CMathMLRow*>(Make(0x219).get()), nullptr);  // mfenced
    EXPECT_NE(dynamic_cast<CMathMLRoot*>(Make(0x214).get()), nullptr);
    EXPECT_NE(dynamic_cast<CMathMLUnderOver*>(Make(0x226).get()), nullptr);
    EXPECT_NE(dynamic_cast<CFoTableCell*>(Make(0xC48).get()), nullptr);
    EXPECT_NE(dynamic_cast<CFoRegionAfter*>(Make(0xC06).get()), nullptr);
    EXPECT_NE(dynamic_cast<CMondaiNode*>(Make(0x10A).get()), nullptr);
    EXPECT_EQ(dynamic_cast<CMondaiNode*>(Make(0x10C).get()), nullptr);  // object stands alone
    const auto mstyle = Make(0x215);
    EXPECT_EQ(dynamic_cast<CMathMLToken*>(mstyle.get()), nullptr);
    EXPECT_NE(dynamic_cast<CMathMLNode*>(mstyle.get()), nullptr);
}

TEST(ElementClasses, ConstructionValues)
{
    const auto fenced = Make(0x219);
    EXPECT_EQ(static_cast<CMathMLFenced*>(fenced.get())->m_open, u"(");
    EXPECT_EQ(static_cast<CMathMLFenced*>(fenced.get())->m_close, u")");
    EXPECT_EQ(static_cast<CMathMLEnclose*>(Make(0x21A).get())->m_notation, "longdiv");
    EXPECT_EQ(static_cast<CMathMLTable*>(Make(0x231).get())->m_textAlign, 1);
    EXPECT_EQ(static_cast<CMathMLTr*>(Make(0x232).get())->m_textAlign, 0);
    EXPECT_EQ(static_cast<CMondaiDno*>(Make(0x10D).get())->m_numberingStyle, -1);
    EXPECT_EQ(static_cast<CMondaiNo*>(Make(0x10E).get())->m_numberingStyle, -1);
    EXPECT_EQ(static_cast<CFoFlow*>(Make(0xC11).get())->m_flowName, u"xsl-region-body");
    EXPECT_EQ(static_cast<CFoStaticContent*>(Make(0xC10).get())->m_flowName, u"");
    EXPECT_EQ(static_cast<CFoInlineContainer*>(Make(0xC31).get())->m_renbanForce, -1);
    EXPECT_EQ(static_cast<CMondaiHai*>(Make(0x111).get())->fence, u"（");

    // Formula faces: math and the tokens take Times New Roman, the others the default face.
    for (int code : {0x201, 0x203, 0x204, 0x205, 0x206, 0x207}) {
        const auto node = Make(code);
        auto* math = dynamic_cast<CMathMLNode*>(node.get());
        ASSERT_NE(math, nullptr);
        EXPECT_EQ(FaceNameView(math->m_fontFace), "Times New Roman") << code;
        EXPECT_EQ(math->m_fontSize, 371);
    }
    const auto mstyle = Make(0x215);
    EXPECT_EQ(FaceNameView(static_cast<CMathMLNode*>(mstyle.get())->m_fontFace), kMsPMinchoFace);
    EXPECT_EQ(static_cast<CMathMLNode*>(mstyle.get())->m_fontSize, 371);
}

TEST(ElementClasses, DeletingAnElementDeletesItsChildren)
{
    // AddressSanitizer reports the children if they outlive their parent.
    std::unique_ptr<CQNXMLNode> inlineNode = Make(0xC32);
    inlineNode->AppendChild(CreateXMLNode(0xC32));
    inlineNode->GetFirstChild()->AppendChild(CreateXMLNode(0x201));
    EXPECT_EQ(inlineNode->GetChildCount(), 1);
}

TEST(PathSteps, IndexFormatAndSplit)
{
    struct IndexCase {
        const char16_t* step;
        int index;
    };
    const IndexCase indexes[] = {{u"dmon[12]", 12}, {u"dmon", 1}, {u"dmon]", 0},  {u"dmon[]", 0},
                                 {u"dmon[x]", 0},   {u"", -1},    {u"]dmon[", 0}, {u"dmon[3", 0}};
    for (const IndexCase& c : indexes)
        EXPECT_EQ(GetPathStepIndex(c.step), c.index) << Narrow(c.step);

    EXPECT_EQ(FormatPathStep(u"smon", 0), u"smon");
    EXPECT_EQ(FormatPathStep(u"smon", 2), u"smon[2]");
    EXPECT_EQ(FormatPathStep(u"smon", -1), u"");

    struct SplitCase {
        const char16_t* path;
        const char16_t* pathAfter;
        std::vector<std::u16string> steps;
    };
    const SplitCase splits[] = {
        {u"{/print/gai[1]}", u"/print/gai[1]", {u"print", u"gai[1]"}},
        {u"/print/dmon[2]/mon/dai", u"/print/dmon[2]/mon/dai", {u"print", u"dmon[2]", u"mon", u"dai"}},
        {u"//a///b", u"//a///b", {u"a", u"b"}},
        {u"a/b/", u"a/b/", {u"a", u"b"}},
        {u"x", u"x", {u"x"}},
    };
    for (const SplitCase& c : splits) {
        CStringW path(c.path);
        std::vector<CStringW> out{CStringW(u"old")};
        SplitPath(out, path);
        EXPECT_EQ(path, c.pathAfter);
        std::vector<std::u16string> steps;
        for (const CStringW& step : out)
            steps.emplace_back(step.View());
        EXPECT_EQ(steps, c.steps) << Narrow(c.path);
    }
    // An empty path, before or after the braces go, leaves the output alone.
    for (const char16_t* text : {u"", u"{}"}) {
        CStringW path(text);
        std::vector<CStringW> out{CStringW(u"old")};
        SplitPath(out, path);
        ASSERT_EQ(out.size(), 1u);
        EXPECT_EQ(out[0], u"old");
        EXPECT_TRUE(path.IsEmpty());
    }
}
