// Hand-written FO fragments give the exact template elements, attribute orders and data elements
// of each emitter.
#include "printfile_fixture.h"
#include "tests/support/case_names.h"

#include "base/element_classes.h"
#include "base/length_units.h"
#include "base/property_records.h"
#include "printfile/fo_tree.h"
#include "printfile/template_emitters.h"

#include <memory>

using namespace printfiletest;

namespace {

constexpr char16_t kFo[] = u"xmlns:fo='http://www.w3.org/1999/XSL/Format'";

struct Emitted {
    std::string templateXml;
    std::string dataXml;
};

// Emits the FO fragment (its root with xmlns:fo) into a template, with "dai" as data element.
Emitted Emit(const std::u16string& fragment, bool vertical = false)
{
    XmlDocument source;
    EXPECT_TRUE(source.loadXML(fragment));
    std::unique_ptr<CQNXMLNode> fo(BuildFoTree(source.documentElement()));
    EXPECT_NE(fo, nullptr);

    XmlDocument document;
    EXPECT_TRUE(document.loadXML(
        u"<print><dai/><xsl:stylesheet xmlns:xsl='http://www.w3.org/1999/XSL/Transform' "
        u"xmlns:fo='http://www.w3.org/1999/XSL/Format'><xsl:template/></xsl:stylesheet></print>"));
    document.setProperty(u"SelectionLanguage", u"XPath");
    XmlNode data = document.documentElement().firstChild();
    XmlNode xslTemplate = data.nextSibling().firstChild();
    XmlNode dom = xslTemplate.appendChild(document.createElement(XMLElementNameFromCode(fo->m_typeCode).View()));
    CTemplateEmitter emitter(document, vertical);
    XML_BUILD_CONTEXT context;
    switch (fo->m_typeCode) {
    case XEC_FO_BLOCK_CONTAINER:
        emitter.WritePrintBlockContainer(fo.get(), data, dom, CStringW(), &context);
        break;
    case XEC_FO_BLOCK:
        emitter.WritePrintBlock(fo.get(), data, dom, CStringW(), &context);
        break;
    case XEC_FO_INITIAL_PROPERTY_SET:
        emitter.WritePrintInitialPropertySet(fo.get(), dom);
        break;
    case XEC_FO_INLINE_CONTAINER:
        emitter.WritePrintInlineContainer(fo.get(), data, dom, CStringW(), &context);
        break;
    case XEC_FO_TABLE_AND_CAPTION:
        emitter.WritePrintTable(fo.get(), data, dom, CStringW(), &context);
        break;
    default:
        ADD_FAILURE() << "no emitter for the fragment";
    }
    return {Utf16ToUtf8(dom.xml()), Utf16ToUtf8(data.xml())};
}

std::u16string Fragment(const char16_t* name, const char16_t* attributes, const char16_t* content)
{
    return u"<" + std::u16string(name) + u" " + kFo + u" " + attributes + u">" + content + u"</" + name + u">";
}

struct EmitterCase {
    const char* what;
    std::u16string fragment;
    bool vertical;
    const char* templateXml;
    const char* dataXml;
};

class EmitterTable : public ::testing::TestWithParam<EmitterCase> {};

TEST_P(EmitterTable, WritesTheTemplateAndTheData)
{
    RegisterPaperFaces();
    const EmitterCase& c = GetParam();
    const Emitted emitted = Emit(c.fragment, c.vertical);
    EXPECT_EQ(emitted.templateXml, c.templateXml) << c.what;
    EXPECT_EQ(emitted.dataXml, c.dataXml) << c.what;
}

const char16_t kMincho[] = u"font-family='ＭＳ 明朝' font-size='10.5pt'";

INSTANTIATE_TEST_SUITE_P(
    Cases, EmitterTable,
    ::testing::Values(
        EmitterCase{"a plain part is a bare block-container", Fragment(u"fo:block-container", u"", u""), false,
                    "<fo:block-container/>", "<dai/>"},
        EmitterCase{"a hidden text box: visibility, width, id", Fragment(u"fo:block-container", u"id='gai0017' width='50.5mm' visibility='collapse'", u""),
                    false, "<fo:block-container visibility=\"collapse\" width=\"50mm\" id=\"gai0011\"/>", "<dai/>"},
        EmitterCase{"an answer page: id, then break-after", Fragment(u"fo:block-container", u"break-after='page' id='kaipage0019'", u""),
                    false, "<fo:block-container id=\"kaipage0011\" break-after=\"page\"/>", "<dai/>"},
        EmitterCase{"alignment 0 is written as left", Fragment(u"fo:block", u"text-align='left'", u""), false,
                    "<fo:block text-align=\"left\"/>", "<dai/>"},
        EmitterCase{"distribute writes only text-justify", Fragment(u"fo:block", u"text-justify='distribute'", u""), false,
                    "<fo:block text-justify=\"distribute\"/>", "<dai/>"},
        EmitterCase{"spacing of whole points and none", Fragment(u"fo:initial-property-set", u"line-height.optimum='7pt' letter-spacing.optimum='0pt'", u""),
                    false, "<fo:initial-property-set line-height.optimum=\"7pt\"/>", "<dai/>"},
        EmitterCase{"runs number their sp elements, an ampersand stays text, a less-than sign goes into CDATA",
                    Fragment(u"fo:block", u"text-align='center'",
                             u"<fo:inline font-family='ＭＳ 明朝' font-size='10.5pt'>A&amp;B</fo:inline>"
                             u"<fo:inline font-family='ＭＳ 明朝' font-size='12pt' font-weight='bold'>x&lt;y</fo:inline>"
                             u"<fo:inline xml:space='preserve' font-family='ＭＳ 明朝' font-size='10.5pt'>  </fo:inline>"),
                    false,
                    "<fo:block text-align=\"center\"><fo:inline font-family=\"ＭＳ 明朝\" font-size=\"10.5pt\"><xsl:value-of select=\"sp[1]\"/></fo:inline>"
                    "<fo:inline font-family=\"ＭＳ 明朝\" font-size=\"12pt\" font-weight=\"bold\"><xsl:value-of select=\"sp[2]\"/></fo:inline>"
                    "<fo:inline xml:space=\"preserve\" font-family=\"ＭＳ 明朝\" font-size=\"10.5pt\"><xsl:value-of select=\"sp[3]\"/></fo:inline></fo:block>",
                    "<dai><sp>A&amp;B</sp><sp><![CDATA[x<y]]></sp><sp xml:space=\"preserve\">  </sp></dai>"},
        EmitterCase{"every inline attribute in its order",
                    Fragment(u"fo:block", u"",
                             u"<fo:inline baseline-shift='sub' border-width='thick' border-style='solid' "
                             u"background-image='cross' background-color='yellow' color='white' font-stretch='condensed' "
                             u"text-decoration='underline line-through' text-line-through-style='double' text-underline-width='thick' "
                             u"text-underline-style='solid' font-style='italic' font-weight='bold' font-size='20pt' "
                             u"font-family='ＭＳ ゴシック' bango-type='string' bango-string='ア' bango-force='3' "
                             u"bango-font-family='ＭＳ 明朝' bango-font-size='5pt'>t</fo:inline>"),
                    false,
                    "<fo:block text-align=\"left\"><fo:inline font-family=\"ＭＳ ゴシック\" font-size=\"20pt\" font-weight=\"bold\" font-style=\"italic\" "
                    "text-decoration=\"underline line-through\" text-underline-style=\"solid\" text-underline-width=\"thick\" "
                    "text-line-through-style=\"double\" font-stretch=\"condensed\" color=\"White\" background-color=\"Yellow\" "
                    "background-image=\"cross\" border-style=\"solid\" border-width=\"thick\" baseline-shift=\"sub\" "
                    "bango-type=\"string\" bango-string=\"ア\" bango-force=\"3\" "
                    "bango-font-family=\"ＭＳ 明朝\" bango-font-size=\"5pt\"><xsl:value-of select=\"sp[1]\"/></fo:inline></fo:block>",
                    "<dai><sp>t</sp></dai>"},
        EmitterCase{"a plain underline writes only text-decoration; black text no colour",
                    Fragment(u"fo:block", u"", u"<fo:inline text-decoration='underline' color='black' font-family='ＭＳ 明朝' font-size='10.5pt'>u</fo:inline>"),
                    false,
                    "<fo:block text-align=\"left\"><fo:inline font-family=\"ＭＳ 明朝\" font-size=\"10.5pt\" text-decoration=\"underline\">"
                    "<xsl:value-of select=\"sp[1]\"/></fo:inline></fo:block>",
                    "<dai><sp>u</sp></dai>"},
        EmitterCase{"an in-text answer of two lines: its own data element and numbering",
                    Fragment(u"fo:block", u"",
                             u"<fo:inline font-family='ＭＳ 明朝' font-size='10.5pt'>a</fo:inline>"
                             u"<fo:inline-container id='cyukai0015'><fo:block><fo:inline font-family='ＭＳ 明朝' font-size='10.5pt'>b</fo:inline></fo:block>"
                             u"<fo:block><fo:inline font-family='ＭＳ 明朝' font-size='10.5pt'>c</fo:inline></fo:block></fo:inline-container>"),
                    false,
                    "<fo:block text-align=\"left\"><fo:inline font-family=\"ＭＳ 明朝\" font-size=\"10.5pt\"><xsl:value-of select=\"sp[1]\"/></fo:inline>"
                    "<fo:inline-container id=\"cyukai0011\"><fo:block text-align=\"left\"><fo:inline font-family=\"ＭＳ 明朝\" font-size=\"10.5pt\">"
                    "<xsl:value-of select=\"cyukai[1]/sp[1]\"/></fo:inline></fo:block><fo:block text-align=\"left\"><fo:inline font-family=\"ＭＳ 明朝\" "
                    "font-size=\"10.5pt\"><xsl:value-of select=\"cyukai[1]/sp[2]\"/></fo:inline></fo:block></fo:inline-container></fo:block>",
                    "<dai><sp>a</sp><cyukai><sp>b</sp><sp>c</sp></cyukai></dai>"},
        EmitterCase{"a formula in an in-text answer is marked; its rows keep their own classes",
                    Fragment(u"fo:block", u"",
                             u"<fo:inline-container id='cyukai0011'><fo:block><fo:instream-foreign-object>"
                             u"<math><mrow><mi>x</mi></mrow></math></fo:instream-foreign-object></fo:block></fo:inline-container>"),
                    false,
                    "<fo:block text-align=\"left\"><fo:inline-container id=\"cyukai0011\"><fo:block text-align=\"left\">"
                    "<fo:instream-foreign-object><xsl:copy-of select=\"cyukai[1]/math[1]\"/></fo:instream-foreign-object>"
                    "</fo:block></fo:inline-container></fo:block>",
                    "<dai><cyukai><math qntype=\"cyukai\"><mrow><mi mathfamily=\"Times New Roman\" mathsize=\"10.5pt\">x</mi></mrow></math></cyukai></dai>"},
        EmitterCase{"a ruby: id, thick after border, numbering, blocks only",
                    Fragment(u"fo:inline-container", u"id='ruby0019' border-after-style='solid' border-after-width='thick' bango-type='maru'",
                             u"<fo:block/><fo:inline/>"),
                    false,
                    "<fo:inline-container id=\"ruby0011\" border-after-style=\"solid\" border-after-width=\"thick\" bango-type=\"maru\" "
                    "bango-font-family=\"ＭＳ Ｐ明朝\" bango-font-size=\"5pt\"><fo:block text-align=\"left\"/><fo:inline/></fo:inline-container>",
                    "<dai/>"},
        EmitterCase{"pictures: the second one's source, lengths in whole millimetres",
                    Fragment(u"fo:block", u"",
                             u"<fo:external-graphic src='a-01.png' width='10mm' height='0mm'/>"
                             u"<fo:external-graphic src='a-02.png' width='42.5mm' height='30mm'/>"),
                    false,
                    "<fo:block text-align=\"left\"><fo:external-graphic src=\"{img[1]/@src}\" width=\"10mm\" height=\"0mm\"/>"
                    "<fo:external-graphic src=\"{img[2]/@src}\" width=\"42mm\" height=\"30mm\"/></fo:block>",
                    "<dai><img src=\"a-01.png\"/><img src=\"a-02.png\"/></dai>"},
        EmitterCase{"question numbers: the default style writes no type",
                    Fragment(u"fo:block", u"",
                             u"<fo:instream-foreign-object><dno type='a'/></fo:instream-foreign-object>"
                             u"<fo:instream-foreign-object><no type='b'/></fo:instream-foreign-object>"
                             u"<fo:instream-foreign-object/>"),
                    false,
                    "<fo:block text-align=\"left\"><fo:instream-foreign-object><xsl:copy-of select=\"dno[1]\"/></fo:instream-foreign-object>"
                    "<fo:instream-foreign-object><xsl:copy-of select=\"no[1]\"/></fo:instream-foreign-object><fo:instream-foreign-object/></fo:block>",
                    "<dai><dno/><no type=\"b\"/></dai>"},
        EmitterCase{"a major number of style 0 in vertical writing writes type a",
                    Fragment(u"fo:block", u"", u"<fo:instream-foreign-object><dno type='a'/></fo:instream-foreign-object>"), true,
                    "<fo:block text-align=\"left\"><fo:instream-foreign-object><xsl:copy-of select=\"dno[1]\"/></fo:instream-foreign-object></fo:block>",
                    "<dai><dno type=\"a\"/></dai>"},
        EmitterCase{"points labels: values by type; a second label gets its own index",
                    Fragment(u"fo:block", u"",
                             u"<fo:instream-foreign-object><hai type='2' p1='5' p2='4' p3='20' visibility='visible'/></fo:instream-foreign-object>"
                             u"<fo:instream-foreign-object><hai type='3' fence='［' p1='2' p2='9' p3='6' visibility='collapse'/></fo:instream-foreign-object>"),
                    false,
                    "<fo:block text-align=\"left\"><fo:instream-foreign-object><xsl:copy-of select=\"hai\"/></fo:instream-foreign-object>"
                    "<fo:instream-foreign-object><xsl:copy-of select=\"hai[2]\"/></fo:instream-foreign-object></fo:block>",
                    "<dai><hai type=\"2\" visibility=\"visible\" p1=\"5\" p2=\"4\" p3=\"20\"/>"
                    "<hai type=\"3\" fence=\"［\" visibility=\"collapse\" p1=\"2\" p3=\"6\"/></dai>"},
        EmitterCase{"a table: rows and cells, each border style written by the name it is read by",
                    Fragment(u"fo:table-and-caption", u"",
                             u"<fo:table><fo:table-body><fo:table-row><fo:table-cell border-style='solid' border-width='1pt'>"
                             u"<fo:block/></fo:table-cell><fo:table-cell border-style='dotted' border-width='0pt'/></fo:table-row>"
                             u"</fo:table-body></fo:table>"),
                    false,
                    "<fo:table-and-caption><fo:table><fo:table-body><fo:table-row><fo:table-cell border-style=\"solid\" border-width=\"1pt\">"
                    "<fo:block text-align=\"left\"/></fo:table-cell><fo:table-cell border-style=\"dotted\"/></fo:table-row></fo:table-body></fo:table></fo:table-and-caption>",
                    "<dai/>"},
        EmitterCase{"a table beginning with its caption stays empty",
                    Fragment(u"fo:table-and-caption", u"", u"<fo:table-caption/><fo:table/>"), false, "<fo:table-and-caption/>", "<dai/>"},
        EmitterCase{"a child the emitter does not dispatch is an empty element",
                    Fragment(u"fo:block-container", u"", u"<fo:inline>x</fo:inline><fo:block/>"), false,
                    "<fo:block-container><fo:inline/><fo:block text-align=\"left\"/></fo:block-container>", "<dai/>"}),
    CaseNameFromWhat());

TEST(EmitterValues, ReturnMarkSpacingKeepsItsMinus)
{
    XmlDocument document;
    ASSERT_TRUE(document.loadXML(u"<print><dai/><x xmlns:fo='http://www.w3.org/1999/XSL/Format'/></print>"));
    XmlNode data = document.documentElement().firstChild();
    XmlNode dom = data.nextSibling().appendChild(document.createElement(u"fo:inline"));
    CFoInline run;
    run.SetText(u"レ");
    run.m_letterSpacing = -350;
    XML_BUILD_CONTEXT context;
    CTemplateEmitter(document, false).WritePrintInline(&run, data, dom, CStringW(u"kasen[2]"), &context);
    EXPECT_EQ(Utf16ToUtf8(dom.xml()),
              "<fo:inline font-family=\"ＭＳ Ｐ明朝\" font-size=\"10.5pt\" letter-spacing.optimum=\"-10pt\">"
              "<xsl:value-of select=\"kasen[2]/sp[1]\"/></fo:inline>");
}

TEST(EmitterValues, SpacingAtTheNearestTenthIsStableOverSaves)
{
    EXPECT_EQ(Narrow(FormatTenthPoints(70)), "2pt");
    EXPECT_EQ(Narrow(FormatTenthPoints(371)), "10.5pt");
    for (int units = 1; units < 2000; ++units) {
        const CStringW once = FormatTenthPoints(units);
        EXPECT_EQ(Narrow(FormatTenthPoints(ParseLength(once))), Narrow(once)) << units;
    }
}

}  // namespace
