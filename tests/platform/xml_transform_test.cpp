#include "platform/xml.h"

#include "xml_test_support.h"

#include <gtest/gtest.h>

namespace {

const char16_t kNamespaces[] =
    u"xmlns:xsl='http://www.w3.org/1999/XSL/Transform' xmlns:fo='http://www.w3.org/1999/XSL/Format'";

// A print document whose data part is followed by the stylesheet that lays it out.
const char16_t kPrintDocument[] =
    u"<?xml version='1.0' encoding='UTF-16'?>\n"
    u"<print xmlns:e='urn:example'>\n"
    u"  <dmon><mon><dai><sp>問題文</sp><sp xml:space='preserve'> </sp></dai></mon></dmon>\n"
    u"  <xsl:stylesheet id='style1' version='1.0' xmlns:xsl='http://www.w3.org/1999/XSL/Transform'\n"
    u"      xmlns:fo='http://www.w3.org/1999/XSL/Format' xmlns:msxsl='urn:schemas-microsoft-com:xslt'\n"
    u"      exclude-result-prefixes='msxsl e'>\n"
    u"    <xsl:variable name='parts'><part>a</part><part>b</part></xsl:variable>\n"
    u"    <xsl:template match='/'>\n"
    u"      <fo:root><fo:flow flow-name='xsl-region-body'>\n"
    u"        <xsl:apply-templates select='/print/dmon[1]/mon/dai'/>\n"
    u"      </fo:flow></fo:root>\n"
    u"    </xsl:template>\n"
    u"    <xsl:template match='/print/dmon[1]/mon/dai'>\n"
    u"      <fo:block-container><fo:block font-size='25pt'>\n"
    u"        <fo:inline><xsl:value-of select='sp[1]'/></fo:inline>\n"
    u"        <fo:inline><xsl:value-of select='count(msxsl:node-set($parts)/part)'/></fo:inline>\n"
    u"        <fo:inline><xsl:text>[</xsl:text><xsl:value-of select='sp[2]'/><xsl:text>]</xsl:text></fo:inline>\n"
    u"      </fo:block></fo:block-container>\n"
    u"    </xsl:template>\n"
    u"  </xsl:stylesheet>\n"
    u"</print>";

}  // namespace

TEST(XmlTransform, EmbeddedStylesheetTransformsItsDocument)
{
    XmlDocument doc;
    ASSERT_TRUE(doc.loadXML(kPrintDocument));
    doc.setProperty(u"SelectionNamespaces", kNamespaces);
    XmlNode stylesheet = doc.selectSingleNode(u"//xsl:stylesheet");
    ASSERT_TRUE(stylesheet);
    ASSERT_EQ(doc.documentElement().removeChild(stylesheet), stylesheet);

    const std::optional<std::u16string> text = doc.transformNode(stylesheet);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->substr(0, 39), u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>");

    ASSERT_TRUE(doc.loadXML(*text));
    EXPECT_EQ(doc.documentElement().nodeName(), u"fo:root");
    const std::vector<XmlNode> inlines = doc.selectNodes(u"//fo:inline");
    ASSERT_EQ(inlines.size(), 3u);
    EXPECT_EQ(inlines[0].text(), u"問題文");
    EXPECT_EQ(inlines[1].text(), u"2");
    EXPECT_EQ(inlines[2].text(), u"[ ]");
    EXPECT_EQ(doc.selectSingleNode(u"//fo:block").getAttribute(u"font-size"), u"25pt");
}

TEST(XmlTransform, PrefixesOfTheHostDocumentReachTheStylesheet)
{
    // The prefix e is declared only on the document element and used only inside match texts.
    XmlDocument doc;
    ASSERT_TRUE(doc.loadXML(u"<e:exam xmlns:e='urn:example' xmlns:xsl='http://www.w3.org/1999/XSL/Transform'>"
                            u"<e:q>one</e:q><e:q>two</e:q>"
                            u"<xsl:stylesheet version='1.0'><xsl:output method='text'/>"
                            u"<xsl:template match='e:exam'><xsl:apply-templates select='e:q'/></xsl:template>"
                            u"<xsl:template match='e:q'><xsl:value-of select='.'/>;</xsl:template>"
                            u"</xsl:stylesheet></e:exam>"));
    XmlNode stylesheet = doc.documentElement().lastChild();
    // Applied in place, and again once taken out of the document.
    EXPECT_EQ(doc.transformNode(stylesheet), u"one;two;");
    doc.documentElement().removeChild(stylesheet);
    EXPECT_EQ(doc.transformNode(stylesheet), u"one;two;");
}

TEST(XmlTransform, ResultLoadsIntoAnotherDocument)
{
    XmlDocument stylesheet;
    ASSERT_TRUE(stylesheet.loadXML(u"<xsl:stylesheet version='1.0' xmlns:xsl='http://www.w3.org/1999/XSL/Transform'>"
                                   u"<xsl:output encoding='Shift-JIS'/>"
                                   u"<xsl:template match='/'><r><xsl:value-of select='/a'/></r></xsl:template>"
                                   u"</xsl:stylesheet>"));
    XmlDocument source;
    ASSERT_TRUE(source.loadXML(u"<a>漢字①</a>"));
    XmlDocument result;
    ASSERT_TRUE(source.transformNodeToObject(stylesheet.node(), result));
    EXPECT_EQ(result.documentElement().xml(), u"<r>漢字①</r>");
    // A single element is transformed as the root of its own document.
    EXPECT_EQ(source.documentElement().transformNode(stylesheet.documentElement()),
              u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<r>漢字①</r>\n");
}

TEST(XmlTransform, FailureIsReportedInTheParseError)
{
    struct Case {
        const char* name;
        std::u16string body;
        std::u16string reasonPart;
    };
    const Case cases[] = {
        {"terminating message", u"<xsl:template match='/'><xsl:message terminate='yes'>stopped here</xsl:message>"
                                u"</xsl:template>",
         u"stopped here"},
        {"bad pattern", u"<xsl:template match='['/>", u""},
        {"unknown function", u"<xsl:template match='/'><xsl:value-of select='foo:bar()' xmlns:foo='urn:foo'/>"
                             u"</xsl:template>",
         u""},
        {"endless recursion", u"<xsl:template match='/' name='t'><xsl:call-template name='t'/></xsl:template>", u""},
    };
    for (const Case& c : cases) {
        XmlDocument stylesheet;
        ASSERT_TRUE(stylesheet.loadXML(u"<xsl:stylesheet version='1.0' xmlns:xsl='http://www.w3.org/1999/XSL/Transform'>" +
                                       c.body + u"</xsl:stylesheet>"))
            << c.name;
        XmlDocument source;
        ASSERT_TRUE(source.loadXML(u"<a/>"));
        EXPECT_EQ(source.transformNode(stylesheet.node()), std::nullopt) << c.name;
        EXPECT_NE(source.parseError().errorCode, 0) << c.name;
        EXPECT_NE(source.parseError().reason.find(c.reasonPart), std::u16string::npos) << c.name;
        EXPECT_FALSE(source.parseError().reason.empty()) << c.name;
    }
}

TEST(XmlTransform, StripSpaceLeavesTheSourceDocumentAlone)
{
    // White-space-only text kept by the document; the stylesheet strips it only from its view.
    XmlDocument doc;
    doc.setPreserveWhiteSpace(true);
    ASSERT_TRUE(doc.loadXML(u"<a><b>x</b> <c>y</c></a>"));
    const XmlNode space = doc.documentElement().childNodes()[1];
    ASSERT_EQ(space.nodeType(), XmlNodeType::Text);

    XmlDocument stylesheet;
    ASSERT_TRUE(stylesheet.loadXML(u"<xsl:stylesheet version='1.0' xmlns:xsl='http://www.w3.org/1999/XSL/Transform'>"
                                   u"<xsl:strip-space elements='*'/><xsl:output method='text'/>"
                                   u"<xsl:template match='/'><xsl:value-of select='count(/a/node())'/></xsl:template>"
                                   u"</xsl:stylesheet>"));
    EXPECT_EQ(doc.transformNode(stylesheet.node()), u"2");
    EXPECT_EQ(space.nodeValue(), u" ");
    EXPECT_EQ(doc.documentElement().childNodes().size(), 3u);
}
