#include "base/attribute_vocabulary.h"
#include "base/element_classes.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using Attributes = std::vector<std::pair<std::u16string, std::u16string>>;

std::unique_ptr<CQNXMLNode> Read(int code, const Attributes& attributes)
{
    std::unique_ptr<CQNXMLNode> node(CreateXMLNode(code));
    for (const auto& [name, value] : attributes)
        SetAttribute(node.get(), CStringW(name), CStringW(value));
    return node;
}

template <typename T>
T& As(const std::unique_ptr<CQNXMLNode>& node)
{
    return dynamic_cast<T&>(*node);
}

std::string Narrow(std::u16string_view text) { return std::string(text.begin(), text.end()); }

// The attributes of an element as written, "name=value" each, in order.
std::vector<std::string> Written(const CQNXMLNode& node)
{
    XmlDocument doc;
    XmlNode element = doc.createElement(XMLElementNameFromCode(node.m_typeCode).View());
    doc.appendChild(element);
    WriteMathMLAttributes(&node, element);
    std::vector<std::string> out;
    for (const XmlNode& attribute : element.attributes()) {
        CStringW text(attribute.nodeName() + u"=" + attribute.nodeValue());
        const char* narrow = text.GetAnsi();
        out.push_back(narrow ? narrow : "");
    }
    return out;
}

}  // namespace

TEST(AttributeVocabulary, ProblemDocumentAndPageAttributes)
{
    struct Case {
        int code;
        Attributes attributes;
        std::function<int(CQNXMLNode&)> field;
        int expected;
    };
    const Case cases[] = {
        {0x10C, {{u"width", u"12mm"}}, [](CQNXMLNode& n) { return dynamic_cast<CMondaiObject&>(n).m_width; }, 1200},
        {0x10C, {{u"height", u"10.5pt"}}, [](CQNXMLNode& n) { return dynamic_cast<CMondaiObject&>(n).m_height; }, 371},
        {0x10D, {{u"type", u"c"}}, [](CQNXMLNode& n) { return dynamic_cast<CMondaiDno&>(n).m_numberingStyle; }, 2},
        {0x10D, {{u"type", u"a"}, {u"type", u""}}, [](CQNXMLNode& n) { return dynamic_cast<CMondaiDno&>(n).m_numberingStyle; }, -1},
        {0x10E, {{u"type", u"C"}}, [](CQNXMLNode& n) { return dynamic_cast<CMondaiNo&>(n).m_numberingStyle; }, -1},
        {0x10E, {{u"type", u"zz"}}, [](CQNXMLNode& n) { return dynamic_cast<CMondaiNo&>(n).m_numberingStyle; }, 25},
        {0x111, {{u"type", u"3"}}, [](CQNXMLNode& n) { return dynamic_cast<CMondaiHai&>(n).style; }, 3},
        {0x111, {{u"type", u"5"}}, [](CQNXMLNode& n) { return dynamic_cast<CMondaiHai&>(n).style; }, 1},
        {0x111, {{u"p1", u"10"}}, [](CQNXMLNode& n) { return dynamic_cast<CMondaiHai&>(n).p1; }, 10},
        {0x111, {{u"p2", u"x"}}, [](CQNXMLNode& n) { return dynamic_cast<CMondaiHai&>(n).p2; }, 0},
        {0x111, {{u"p3", u" -4"}}, [](CQNXMLNode& n) { return dynamic_cast<CMondaiHai&>(n).p3; }, -4},
        {0x111, {{u"visibility", u"visible"}}, [](CQNXMLNode& n) { return dynamic_cast<CMondaiHai&>(n).visibility; }, 1},
        {0x111, {{u"visibility", u"visible"}, {u"visibility", u"collapse"}},
         [](CQNXMLNode& n) { return dynamic_cast<CMondaiHai&>(n).visibility; }, 0},
        {0xC03, {{u"page-height", u"297mm"}}, [](CQNXMLNode& n) { return dynamic_cast<CFoSimplePageMaster&>(n).height; }, 29700},
        {0xC03, {{u"page-width", u"210mm"}}, [](CQNXMLNode& n) { return dynamic_cast<CFoSimplePageMaster&>(n).width; }, 21000},
        {0xC03, {{u"margin-left", u"10mm"}}, [](CQNXMLNode& n) { return dynamic_cast<CFoSimplePageMaster&>(n).m_marginLeft; }, 1000},
        {0xC03, {{u"margin-bottom", u"15mm"}}, [](CQNXMLNode& n) { return dynamic_cast<CFoSimplePageMaster&>(n).m_marginBottom; }, 1500},
        {0xC04, {{u"column-count", u"2"}}, [](CQNXMLNode& n) { return dynamic_cast<CFoRegionBody&>(n).columnCount; }, 2},
        {0xC04, {{u"margin-top", u"5mm"}}, [](CQNXMLNode& n) { return dynamic_cast<CFoRegionBody&>(n).m_marginTop; }, 500},
        {0xC05, {{u"margin-top", u"5mm"}}, [](CQNXMLNode& n) { return dynamic_cast<CFoRegionBefore&>(n).m_marginTop; }, 0},
        {0xC21, {{u"visibility", u"collapse"}}, [](CQNXMLNode& n) { return dynamic_cast<CFoBlockContainer&>(n).m_visibility; }, 2},
        {0xC21, {{u"visibility", u"visible"}}, [](CQNXMLNode& n) { return dynamic_cast<CFoBlockContainer&>(n).m_visibility; }, 0},
        {0xC21, {{u"width", u"50mm"}}, [](CQNXMLNode& n) { return dynamic_cast<CFoBlockContainer&>(n).m_width; }, 5000},
        {0xC21, {{u"height", u"3cm"}}, [](CQNXMLNode& n) { return dynamic_cast<CFoBlockContainer&>(n).m_height; }, 0},
        {0xC21, {{u"id", u"kaipage0011"}}, [](CQNXMLNode& n) { return n.m_idClass; }, 8},
        {0xC21, {{u"id", u"foo"}}, [](CQNXMLNode& n) { return n.m_idClass; }, -1},
        {0xC21, {{u"break-after", u"page"}}, [](CQNXMLNode& n) { return dynamic_cast<CFoBlockContainer&>(n).m_breakAfter; }, 2},
        {0xC21, {{u"break-after", u"column"}}, [](CQNXMLNode& n) { return dynamic_cast<CFoBlockContainer&>(n).m_breakAfter; }, 0},
        {0xC23, {{u"float", u"left"}}, [](CQNXMLNode& n) { return dynamic_cast<CFoFloat&>(n).m_floatSide; }, 1},
        {0xC23, {{u"float", u"right"}}, [](CQNXMLNode& n) { return dynamic_cast<CFoFloat&>(n).m_floatSide; }, 2},
        {0xC23, {{u"float", u"none"}}, [](CQNXMLNode& n) { return dynamic_cast<CFoFloat&>(n).m_floatSide; }, 0},
        {0xC31, {{u"id", u"kanA0012"}}, [](CQNXMLNode& n) { return n.m_idClass; }, 5},
        {0xC31, {{u"border-before-style", u"dotted"}}, [](CQNXMLNode& n) { return dynamic_cast<CFoInlineContainer&>(n).m_beforeStyle; }, 3},
        {0xC31, {{u"border-after-style", u"wave"}}, [](CQNXMLNode& n) { return dynamic_cast<CFoInlineContainer&>(n).m_afterStyle; }, 7},
        {0xC31, {{u"border-after-style", u"Solid"}}, [](CQNXMLNode& n) { return dynamic_cast<CFoInlineContainer&>(n).m_afterStyle; }, 0},
        {0xC31, {{u"border-after-width", u"thick"}}, [](CQNXMLNode& n) { return dynamic_cast<CFoInlineContainer&>(n).m_afterWidth; }, 3},
        {0xC31, {{u"border-before-width", u"thin"}}, [](CQNXMLNode& n) { return dynamic_cast<CFoInlineContainer&>(n).m_beforeWidth; }, 1},
        {0xC31, {{u"bango-type", u"kakko"}}, [](CQNXMLNode& n) { return dynamic_cast<CFoInlineContainer&>(n).m_renbanType; }, 2},
        {0xC31, {{u"bango-type", u"maru"}, {u"bango-type", u"roman"}}, [](CQNXMLNode& n) { return dynamic_cast<CFoInlineContainer&>(n).m_renbanType; }, 0},
        {0xC31, {{u"bango-force", u"3x"}}, [](CQNXMLNode& n) { return dynamic_cast<CFoInlineContainer&>(n).m_renbanForce; }, 3},
        {0xC32, {{u"bango-font-size", u"5pt"}}, [](CQNXMLNode& n) { return dynamic_cast<CFoInline&>(n).m_renbanSize; }, 176},
        {0xC36, {{u"line-height.optimum", u"2pt"}}, [](CQNXMLNode& n) { return dynamic_cast<CFoInitialPropertySet&>(n).m_lineSpacing; }, 71},
        {0xC36, {{u"letter-spacing.optimum", u"1mm"}}, [](CQNXMLNode& n) { return dynamic_cast<CFoInitialPropertySet&>(n).m_letterSpacing; }, 100},
        {0xC34, {{u"width", u"20mm"}}, [](CQNXMLNode& n) { return dynamic_cast<CFoExternalGraphic&>(n).m_areaWidth; }, 2000},
        {0xC48, {{u"border-style", u"dashed"}}, [](CQNXMLNode& n) { return dynamic_cast<CFoTableCell&>(n).m_borderStyle; }, 4},
        {0xC48, {{u"border-style", u"double"}}, [](CQNXMLNode& n) { return dynamic_cast<CFoTableCell&>(n).m_borderStyle; }, 0},
        {0xC48, {{u"border-width", u"1mm"}}, [](CQNXMLNode& n) { return dynamic_cast<CFoTableCell&>(n).m_borderWidth; }, 100},
    };
    for (const Case& c : cases) {
        const auto node = Read(c.code, c.attributes);
        EXPECT_EQ(c.field(*node), c.expected) << std::hex << c.code << " " << Narrow(c.attributes.back().first);
    }

    const auto img = Read(0x10B, {{u"src", u"図1.png"}});
    EXPECT_EQ(As<CMondaiImg>(img).m_src, "\x90\x7D" "1.png");
    const auto hai = Read(0x111, {{u"fence", u"［"}});
    EXPECT_EQ(As<CMondaiHai>(hai).fence, u"［");
    const auto apply = Read(0x403, {{u"select", u"/print/dmon[1]/mon/dai"}});
    EXPECT_EQ(As<CXslApplyTemplates>(apply).m_select, u"/print/dmon[1]/mon/dai");
    const auto sequence = Read(0xC0E, {{u"master-reference", u"SequenceMaster"}});
    EXPECT_EQ(As<CFoPageSequence>(sequence).m_masterReference, u"SequenceMaster");
    const auto flow = Read(0xC11, {{u"flow-name", u"kimei-region"}});
    EXPECT_EQ(As<CFoFlow>(flow).m_flowName, u"kimei-region");
    const auto container = Read(0xC31, {{u"bango-string", u"ア"}, {u"bango-font-family", u"ＭＳ Ｐ明朝"}});
    EXPECT_EQ(As<CFoInlineContainer>(container).m_renbanString, u"ア");
    EXPECT_EQ(FaceNameView(As<CFoInlineContainer>(container).m_renbanFace), kMsPMinchoFace);
}

TEST(AttributeVocabulary, CharacterFormattingOfBlocksAndInlines)
{
    const Attributes lineThrough = {{u"text-decoration", u"line-through"}};
    const auto block = Read(0xC22, lineThrough);
    EXPECT_EQ(As<CFoBlock>(block).m_lineThroughStyle, 1);
    EXPECT_EQ(As<CFoBlock>(block).m_lineThroughWidth, 0);
    const auto in = Read(0xC32, lineThrough);
    EXPECT_EQ(As<CFoInline>(in).m_lineThroughStyle, 1);
    EXPECT_EQ(As<CFoInline>(in).m_lineThroughWidth, 1);

    const auto both = Read(0xC22, {{u"text-decoration", u"underline line-through"}});
    EXPECT_EQ(As<CFoBlock>(both).m_underlineStyle, 1);
    EXPECT_EQ(As<CFoBlock>(both).m_lineThroughStyle, 1);

    const auto font = Read(0xC22, {{u"font-style", u"italic"},
                                   {u"font-style", u"oblique"},
                                   {u"font-weight", u"bold"},
                                   {u"font-weight", u"normal"},
                                   {u"font-stretch", u"condensed"},
                                   {u"font-stretch", u"wide"},
                                   {u"font-size", u"12pt"},
                                   {u"font-family", u"Times New Roman"},
                                   {u"color", u" Red "},
                                   {u"background-color", u"#ffcc00"},
                                   {u"border-style", u"dashed"},
                                   {u"border-width", u"2mm"},
                                   {u"text-align", u"center"},
                                   {u"background-image", u"cross"},
                                   {u"baseline-shift", u"super"}});
    const CFoBlock& b = As<CFoBlock>(font);
    EXPECT_EQ(b.m_fontItalic, 0);
    EXPECT_EQ(b.m_fontWeight, 400);
    EXPECT_EQ(b.m_fontWidth, 1);
    EXPECT_EQ(b.m_fontSize, 423);
    EXPECT_EQ(FaceNameView(b.m_fontFace), "Times New Roman");
    EXPECT_EQ(b.m_color, 0x0000FFu);
    EXPECT_EQ(b.m_backgroundColor, RGB(0xFF, 0xCC, 0x00));
    EXPECT_EQ(b.m_borderStyle, 0);  // a block takes only "solid"
    EXPECT_EQ(b.m_borderWidth, 200);
    EXPECT_EQ(b.m_textAlign, 1);
    EXPECT_EQ(b.m_backgroundPattern, 0);  // not read by blocks

    const auto justified = Read(0xC22, {{u"border-style", u"solid"}, {u"text-align", u"justify"}, {u"text-justify", u"distribute"}});
    EXPECT_EQ(As<CFoBlock>(justified).m_borderStyle, 1);
    EXPECT_EQ(As<CFoBlock>(justified).m_textAlign, 4);

    const auto styled = Read(0xC32, {{u"border-style", u"dashed"},
                                     {u"background-image", u"cross"},
                                     {u"baseline-shift", u"super"},
                                     {u"text-underline-style", u"wave"},
                                     {u"text-underline-width", u"thick"},
                                     {u"text-line-through-style", u"double"},
                                     {u"text-line-through-width", u"medium"},
                                     {u"font-weight", u"bold"}});
    const CFoInline& i = As<CFoInline>(styled);
    EXPECT_EQ(i.m_borderStyle, 4);
    EXPECT_EQ(i.m_backgroundPattern, 5);
    EXPECT_EQ(i.m_scriptPosition, 2);
    EXPECT_EQ(i.m_underlineStyle, 7);
    EXPECT_EQ(i.m_underlineWidth, 3);
    EXPECT_EQ(i.m_lineThroughStyle, 2);
    EXPECT_EQ(i.m_lineThroughWidth, 1);
    EXPECT_EQ(i.m_fontWeight, 700);

    // Every pair is kept raw, known or not.
    EXPECT_EQ(styled->GetAttributes().size(), 8u);
    const auto unknown = Read(0xC32, {{u"writing-mode", u"tb-rl"}});
    EXPECT_EQ(unknown->GetAttributes().at(CStringW(u"writing-mode")), u"tb-rl");
}

TEST(AttributeVocabulary, MathMLAttributes)
{
    const auto mi = Read(0x203, {{u"mathvariant", u"bold-italic"},
                                 {u"mathvariant", u"normal"},
                                 {u"mathsize", u"12pt"},
                                 {u"mathcolor", u"#ff0000"},
                                 {u"mathbackground", u"Yellow"},
                                 {u"mathfamily", u"Symbol"},
                                 {u"stretchy", u"true"}});
    const CMathMLToken& token = As<CMathMLToken>(mi);
    EXPECT_EQ(token.m_fontWeight, 700);
    EXPECT_EQ(token.m_fontItalic, 1);
    EXPECT_EQ(token.m_fontSize, 423);
    EXPECT_EQ(token.m_color, 0x0000FFu);
    EXPECT_EQ(token.m_backgroundColor, 0x00FFFFu);
    EXPECT_EQ(FaceNameView(token.m_fontFace), "Symbol");

    // An unknown style leaves the style and sets the width 1.
    const auto zigzag = Read(0x203, {{u"mathunderlinestyle", u"zigzag"}});
    EXPECT_EQ(As<CMathMLToken>(zigzag).m_underlineStyle, 0);
    EXPECT_EQ(As<CMathMLToken>(zigzag).m_underlineWidth, 1);
    // A thick width stays, whichever of the two attributes comes first.
    for (const Attributes& order : {Attributes{{u"mathunderlinewidth", u"thick"}, {u"mathunderlinestyle", u"solid"}},
                                    Attributes{{u"mathunderlinestyle", u"solid"}, {u"mathunderlinewidth", u"thick"}}}) {
        const auto node = Read(0x203, order);
        EXPECT_EQ(As<CMathMLToken>(node).m_underlineStyle, 1);
        EXPECT_EQ(As<CMathMLToken>(node).m_underlineWidth, 3);
    }

    EXPECT_EQ(As<CMathMLMo>(Read(0x205, {{u"stretchy", u"false"}})).m_stretchy, 1);
    const auto table = Read(0x231, {{u"frame", u"solid"}, {u"columnalign", u"right"}});
    EXPECT_EQ(As<CMathMLTable>(table).m_borderStyle, 1);
    EXPECT_EQ(As<CMathMLTable>(table).m_borderWidth, 1);
    EXPECT_EQ(As<CMathMLTable>(table).m_textAlign, 2);
    EXPECT_EQ(As<CMathMLTr>(Read(0x232, {{u"columnalign", u"right"}})).m_textAlign, 0);  // mtable only

    EXPECT_EQ(Read(0x201, {{u"qntype", u"cyukai"}})->m_class, 2);
    EXPECT_EQ(Read(0x211, {{u"qntype", u"cyukai"}})->m_class, 2);
    EXPECT_EQ(Read(0x203, {{u"qntype", u"cyukai"}})->m_class, 0);
    // math, mrow, mfrac and mfenced read none of the math* attributes.
    for (int code : {0x201, 0x211, 0x212, 0x219})
        EXPECT_EQ(dynamic_cast<CMathMLNode&>(*Read(code, {{u"mathcolor", u"Red"}})).m_color, 0u) << code;
    EXPECT_EQ(As<CMathMLTd>(Read(0x233, {{u"mathcolor", u"Red"}})).m_color, 0x0000FFu);

    EXPECT_EQ(As<CMathMLFrac>(Read(0x212, {{u"bevelled", u"true"}})).m_bevelled, 1);
    EXPECT_EQ(As<CMathMLFrac>(Read(0x212, {{u"bevelled", u"yes"}})).m_bevelled, 0);
    const auto fenced = Read(0x219, {{u"open", u"["}, {u"close", u""}});
    EXPECT_EQ(As<CMathMLFenced>(fenced).m_open, u"[");
    EXPECT_EQ(As<CMathMLFenced>(fenced).m_close, u"");

    // The tail: every MathML element reads the after border and the numbering.
    const auto row = Read(0x211, {{u"border-after-style", u"double"},
                                  {u"border-after-width", u"thick"},
                                  {u"bango-type", u"string"},
                                  {u"bango-string", u"甲"},
                                  {u"bango-force", u"4"}});
    const CMathMLRow& r = As<CMathMLRow>(row);
    EXPECT_EQ(r.m_afterStyle, 2);
    EXPECT_EQ(r.m_afterWidth, 3);
    EXPECT_EQ(r.m_renbanType, 6);
    EXPECT_EQ(r.m_renbanString, u"甲");
    EXPECT_EQ(r.m_renbanForce, 4);
}

TEST(AttributeVocabulary, Colours)
{
    struct Case {
        const char16_t* text;
        COLORREF color;
    };
    const Case cases[] = {
        {u" Red ", 0x0000FF},      {u"#ff0000", 0x0000FF},  {u"#FFF", 0xFFFFFF},  // short form as style sheets read it
        {u"#abc", 0xCCBBAA},       {u"#123456", 0x563412},  {u"rgb(1,2,3)", 0},
        {u"AQUA", 0xFFFF00},       {u"maroon", 0x000080},   {u"#", 0},
        {u"#12345g", 0x452301},    {u"#0x10", 0x100000},    {u"", 0},
        {u"\u3000navy\t", 0x800000}, {u"#1234567", 0x674523},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseColorValue(c.text), c.color) << Narrow(c.text);

    EXPECT_EQ(FormatColorValue(0x000080), u"Maroon");
    EXPECT_EQ(FormatColorValue(RGB(0x12, 0x34, 0x56)), u"#123456");
    EXPECT_EQ(FormatColorValue(0), u"Black");
    EXPECT_EQ(FormatColorValue(RGB(0xAB, 0x0C, 0xFF)), u"#ab0cff");
    for (const char16_t* name : {u"Black", u"Silver", u"Gray", u"White", u"Maroon", u"Red", u"Purple", u"Fuchsia", u"Green",
                                 u"Lime", u"Olive", u"Yellow", u"Navy", u"Blue", u"Teal", u"Aqua"})
        EXPECT_EQ(FormatColorValue(ParseColorValue(name)), name);
}

TEST(AttributeVocabulary, MathMLAttributesAreWrittenInTheirOrder)
{
    const auto blank = Read(0x203, {});
    blank->SetText(u"  ");
    EXPECT_EQ(Written(*blank), (std::vector<std::string>{"xml:space=preserve", "mathfamily=Times New Roman", "mathsize=10.5pt"}));
    const auto x = Read(0x203, {});
    x->SetText(u"x");
    EXPECT_EQ(Written(*x), (std::vector<std::string>{"mathfamily=Times New Roman", "mathsize=10.5pt"}));

    const auto mo = Read(0x205, {{u"mathcolor", u"#123456"},
                                 {u"mathbackground", u"White"},
                                 {u"mathvariant", u"bold"},
                                 {u"mathsize", u"-9pt"},
                                 {u"mathunderlinestyle", u"solid"},
                                 {u"mathunderlinewidth", u"thick"},
                                 {u"stretchy", u""},
                                 {u"bango-type", u"kakko"},
                                 {u"bango-force", u"2"},
                                 {u"bango-font-size", u"6pt"}});
    EXPECT_EQ(Written(*mo), (std::vector<std::string>{"mathfamily=Times New Roman", "mathsize=9pt", "mathvariant=bold",
                                                      "mathcolor=#123456", "mathunderlinestyle=solid",
                                                      "mathunderlinewidth=thick", "stretchy=true", "bango-type=kakko",
                                                      "bango-force=2", "bango-font-family=\x82\x6c\x82\x72 \x82\x6f\x96\xbe\x92\xa9",
                                                      "bango-font-size=6pt"}));
    // A size of any value, the most negative one included, is written as its magnitude.
    const auto huge = Read(0x204, {});
    As<CMathMLToken>(huge).m_fontSize = INT_MIN;
    EXPECT_EQ(Written(*huge), (std::vector<std::string>{"mathfamily=Times New Roman", "mathsize=60873552pt"}));
    As<CMathMLToken>(huge).m_renbanType = 1;
    As<CMathMLToken>(huge).m_renbanFace[0] = 0;
    As<CMathMLToken>(huge).m_renbanSize = INT_MIN;
    EXPECT_EQ(Written(*huge).back(), "bango-font-size=-60873552pt");
    const auto italic = Read(0x207, {{u"mathvariant", u"italic"}, {u"mathunderlinestyle", u"dotted"}, {u"mathunderlinewidth", u"thick"}});
    EXPECT_EQ(Written(*italic), (std::vector<std::string>{"mathfamily=Times New Roman", "mathsize=10.5pt", "mathvariant=italic",
                                                          "mathunderlinestyle=dotted"}));

    // Without an after border, a non-token writes no numbering.
    EXPECT_TRUE(Written(*Read(0x211, {{u"bango-type", u"kakko"}})).empty());
    EXPECT_EQ(Written(*Read(0x211, {{u"border-after-style", u"double"}, {u"border-after-width", u"thick"}, {u"bango-type", u"string"},
                                    {u"bango-string", u"甲"}, {u"qntype", u"cyukai"}})),
              (std::vector<std::string>{"border-after-style=double", "border-after-width=thick", "bango-type=string",
                                        "bango-string=\x8d\x62", "bango-font-family=\x82\x6c\x82\x72 \x82\x6f\x96\xbe\x92\xa9",
                                        "bango-font-size=5pt", "qntype=cyukai"}));
    const auto odd = Read(0x212, {{u"bevelled", u"true"}});
    As<CMathMLFrac>(odd).m_afterStyle = 9;
    As<CMathMLFrac>(odd).m_renbanType = 7;
    As<CMathMLFrac>(odd).m_renbanFace[0] = 0;
    As<CMathMLFrac>(odd).m_renbanSize = 0;
    EXPECT_EQ(Written(*odd), (std::vector<std::string>{"bango-type=", "bevelled=true"}));

    EXPECT_EQ(Written(*Read(0x219, {})), (std::vector<std::string>{"open=(", "close=)"}));
    EXPECT_EQ(Written(*Read(0x231, {{u"frame", u"solid"}, {u"columnalign", u"left"}})),
              (std::vector<std::string>{"frame=solid", "columnalign=left"}));
    EXPECT_TRUE(Written(*Read(0x231, {})).empty());
    const auto justified = Read(0x231, {});
    As<CMathMLTable>(justified).m_textAlign = 3;
    EXPECT_EQ(Written(*justified), (std::vector<std::string>{"columnalign=center"}));
}

TEST(AttributeVocabulary, UnreadableMathSizeKeepsItsText)
{
    for (const char16_t* text : {u"1.2em", u"large", u"12", u"mm", u"xpt"}) {
        const auto mi = Read(0x203, {{u"mathsize", text}});
        EXPECT_EQ(As<CMathMLToken>(mi).m_fontSize, 371) << Narrow(text);  // the size the element had
        EXPECT_EQ(Written(*mi).at(1), "mathsize=" + Narrow(text));
        As<CMathMLToken>(mi).m_fontSize = 353;  // a size given since is written instead
        EXPECT_EQ(Written(*mi).at(1), "mathsize=10pt");
    }
    // The label size of a numbered element keeps an unreadable text the same way.
    const auto labelled = Read(0x203, {{u"bango-type", u"maru"}, {u"bango-font-size", u"1.2em"}});
    EXPECT_EQ(As<CMathMLToken>(labelled).m_renbanSize, CKasenRenbanProperties().m_renbanSize);
    EXPECT_EQ(Written(*labelled).back(), "bango-font-size=1.2em");
    As<CMathMLToken>(labelled).m_renbanSize = 353;
    EXPECT_EQ(Written(*labelled).back(), "bango-font-size=10pt");
    const auto zero = Read(0x203, {{u"mathsize", u"0pt"}});
    EXPECT_EQ(As<CMathMLToken>(zero).m_fontSize, 0);
    EXPECT_EQ(Written(*zero).at(1), "mathsize=0pt");
}
