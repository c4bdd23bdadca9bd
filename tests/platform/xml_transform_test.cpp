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

TEST(XmlTransform, PathTemplatesGiveTheSameResultHoweverTheyAreMatched)
{
    // Stylesheets of absolute-path templates, the form print files use, and near forms in which
    // a node may answer to another template than the one its select names, or reach templates
    // through the built-in rules. Each result is what XSLT's own rules give.
    const std::u16string data = u"<print><dmon><mon><dai>a</dai><dai>b</dai></mon><mon><dai>c</dai></mon></dmon>"
                                u"<dmon><mon><dai>d</dai></mon></dmon></print>";
    struct Case {
        const char* name;
        std::u16string templates;
        std::u16string expected;
    };
    const Case cases[] = {
        {"one template per path, applied out of order, a missing path and a parameter",
         u"<xsl:template match='/'><xsl:apply-templates select='/print/dmon[2]/mon[1]/dai'/>"
         u"<xsl:apply-templates select='/print/dmon[3]/mon[1]/dai'/>"
         u"<xsl:apply-templates select='/print/dmon[1]/mon[2]/dai'>"
         u"<xsl:with-param name='p' select='\"!\"'/></xsl:apply-templates>"
         u"<xsl:apply-templates select='/print/dmon[1]/mon[1]/dai'/></xsl:template>"
         u"<xsl:template match='/print/dmon[2]/mon[1]/dai'>2:<xsl:value-of select='.'/>;</xsl:template>"
         u"<xsl:template match='/print/dmon[1]/mon[1]/dai'>1:<xsl:value-of select='.'/>;</xsl:template>"
         u"<xsl:template match='/print/dmon[1]/mon[2]/dai'><xsl:param name='p'/>"
         u"3:<xsl:value-of select='.'/><xsl:value-of select='$p'/>;</xsl:template>"
         u"<xsl:template match='/print/dmon[3]/mon[1]/dai'>never</xsl:template>",
         u"2:d;3:c!;1:a;1:b;"},
        {"a later template of a wider path wins over the one the select names",
         u"<xsl:template match='/'><xsl:apply-templates select='/print/dmon[1]/mon/dai'/></xsl:template>"
         u"<xsl:template match='/print/dmon[1]/mon/dai'>narrow;</xsl:template>"
         u"<xsl:template match='/print/dmon/mon/dai'>wide;</xsl:template>",
         u"wide;wide;wide;"},
        {"two templates of one path: the last wins",
         u"<xsl:template match='/'><xsl:apply-templates select='/print/dmon[2]/mon/dai'/></xsl:template>"
         u"<xsl:template match='/print/dmon[2]/mon/dai'>first;</xsl:template>"
         u"<xsl:template match='/print/dmon[2]/mon/dai'>last;</xsl:template>",
         u"last;"},
        {"a select without a template of its own reaches path templates through the built-in rules",
         u"<xsl:template match='/'><xsl:apply-templates select='/print/dmon[2]'/>"
         u"<xsl:apply-templates select='/print/dmon[1]/mon[2]/dai'/></xsl:template>"
         u"<xsl:template match='/print/dmon[2]/mon/dai'>[<xsl:value-of select='.'/>]</xsl:template>"
         u"<xsl:template match='/print/dmon[1]/mon[2]/dai'>(<xsl:value-of select='.'/>)</xsl:template>",
         u"[d](c)"},
        {"a template of a name pattern competes with the path templates",
         u"<xsl:template match='/'><xsl:apply-templates select='/print/dmon[2]/mon/dai'/></xsl:template>"
         u"<xsl:template match='/print/dmon[2]/mon/dai'>path;</xsl:template>"
         u"<xsl:template match='dai' priority='1'>name;</xsl:template>",
         u"name;"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        XmlDocument source;
        ASSERT_TRUE(source.loadXML(data));
        XmlDocument stylesheet;
        ASSERT_TRUE(stylesheet.loadXML(u"<xsl:stylesheet version='1.0' xmlns:xsl='http://www.w3.org/1999/XSL/Transform'>"
                                       u"<xsl:output method='text'/>" +
                                       c.templates + u"</xsl:stylesheet>"));
        EXPECT_EQ(source.transformNode(stylesheet.node()), c.expected);
        // The stylesheet handed in is left as it was written.
        EXPECT_EQ(stylesheet.xml().find(u"mode"), std::u16string::npos);
    }
}

// Print files of the test data, each with its own stylesheet, from the test data folder.
const char* const kPrintFilePapers[] = {"/../../samples/sample_paper.xml", "/printfile/horizontal_formula.xml",
                                        "/printfile/horizontal_inline_nodes.xml", "/printfile/horizontal_one_column.xml",
                                        "/printfile/horizontal_one_column_utf16.xml", "/printfile/vertical_two_columns.xml"};

TEST(XmlTransform, PrintFilesGiveTheSameResultWithDirectTemplateCallsAsWithout)
{
    // Each print file's own stylesheet, transformed as written (with its path templates called
    // directly) and with a named template added, which leaves every template to XSLT's matching:
    // the results are the same text.
    const std::string data = QN_TEST_DATA_DIR;
    for (const char* paper : kPrintFilePapers) {
        SCOPED_TRACE(paper);
        XmlDocument document;
        ASSERT_TRUE(document.load(data + paper));
        document.setProperty(u"SelectionNamespaces", kNamespaces);
        const XmlNode stylesheet = document.selectSingleNode(u"//xsl:stylesheet");
        ASSERT_TRUE(stylesheet);
        std::u16string matched = stylesheet.xml();
        const size_t opened = matched.find(u'>');
        ASSERT_NE(opened, std::u16string::npos);
        matched.insert(opened + 1, u"<xsl:template name='matched-in-turn'/>");
        XmlDocument matchedStylesheet;
        ASSERT_TRUE(matchedStylesheet.loadXML(matched));
        ASSERT_TRUE(document.documentElement().removeChild(stylesheet));

        const std::optional<std::u16string> direct = document.transformNode(stylesheet);
        const std::optional<std::u16string> inTurn = document.transformNode(matchedStylesheet.node());
        ASSERT_TRUE(direct.has_value());
        ASSERT_TRUE(inTurn.has_value());
        EXPECT_GT(direct->size(), 1000u);
        EXPECT_EQ(*direct, *inTurn);
    }
}

namespace {

// The document's content as both ways of reading a result leave it: its text, the bytes a save
// writes and its nodes one by one (which the text cannot tell apart where texts meet).
struct LOADED_RESULT {
    std::u16string xml;
    std::string saved;
    std::u16string nodes;
};

void ListNodes(const XmlNode& node, std::u16string* out)
{
    *out += std::u16string(1, static_cast<char16_t>(u'0' + static_cast<int>(node.nodeType()))) + u"|" + node.nodeName() +
            u"|" + node.nodeValue() + u"\n";
    for (const XmlNode& attribute : node.attributes())
        *out += u"@" + attribute.nodeName() + u"=" + attribute.nodeValue() + u"|" + attribute.namespaceURI() + u"\n";
    for (const XmlNode& child : node.childNodes())
        ListNodes(child, out);
}

// The document at text transformed by its embedded stylesheet, either through the result's text
// (transformNode, then loadXML) or in place; the step that failed, if one did.
XmlDocument::TransformStep TransformEmbedded(const std::u16string& text, bool inPlace, bool preserve,
                                             LOADED_RESULT* loaded)
{
    XmlDocument document;
    document.setPreserveWhiteSpace(preserve);
    EXPECT_TRUE(document.loadXML(text));
    document.setProperty(u"SelectionNamespaces", kNamespaces);
    const XmlNode stylesheet = document.selectSingleNode(u"//xsl:stylesheet");
    EXPECT_TRUE(stylesheet);
    EXPECT_TRUE(document.documentElement().removeChild(stylesheet));
    XmlDocument::TransformStep step = XmlDocument::TransformStep::Done;
    if (inPlace) {
        step = document.transformByOwnStylesheet(stylesheet);
    } else {
        const std::optional<std::u16string> result = document.transformNode(stylesheet);
        step = !result ? XmlDocument::TransformStep::Transform
                       : document.loadXML(*result) ? XmlDocument::TransformStep::Done
                                                   : XmlDocument::TransformStep::LoadResult;
    }
    loaded->xml = document.xml();
    ListNodes(document.node(), &loaded->nodes);
    EXPECT_TRUE(document.saveToBytes(&loaded->saved) || step != XmlDocument::TransformStep::Done);
    return step;
}

std::u16string EmbeddedDocument(const std::u16string& output, const std::u16string& rootTemplate)
{
    return u"<print xmlns:e='urn:example'><d><a>x</a><a xml:space='preserve'>  </a><a>y &amp; &lt;z&gt;</a></d>"
           u"<xsl:stylesheet version='1.0' xmlns:xsl='http://www.w3.org/1999/XSL/Transform'"
           u" xmlns:fo='http://www.w3.org/1999/XSL/Format'>" +
           output + u"<xsl:template match='/'>" + rootTemplate + u"</xsl:template></xsl:stylesheet></print>";
}

}  // namespace

TEST(XmlTransform, InPlaceTransformLeavesWhatTheResultTextLoadsAs)
{
    struct Case {
        const char* name;
        std::u16string output;
        std::u16string root;
        bool preserve = false;
    };
    const std::u16string block = u"<fo:root><fo:block>";
    const Case cases[] = {
        {"text pieces side by side, blank ones and escaped characters", u"",
         block + u"<xsl:value-of select='/print/d/a[1]'/><xsl:text>-</xsl:text><xsl:value-of select='/print/d/a[3]'/>"
                 u"<fo:inline><xsl:value-of select='/print/d/a[2]'/></fo:inline><fo:inline> </fo:inline>"
                 u"<fo:inline><xsl:text>  </xsl:text></fo:inline><fo:inline><xsl:value-of select='/print/d/b'/></fo:inline>"
                 u"</fo:block></fo:root>"},
        {"the same with white space kept", u"",
         block + u"<fo:inline><xsl:value-of select='/print/d/a[2]'/></fo:inline><fo:inline><xsl:text>  </xsl:text>"
                 u"</fo:inline></fo:block></fo:root>",
         true},
        {"xml:space, attributes with line breaks, tabs and quotes, a comment and a processing instruction", u"",
         u"<fo:root xml:space='preserve'><xsl:comment>c</xsl:comment><xsl:processing-instruction name='p'>v"
         u"</xsl:processing-instruction><fo:block><xsl:attribute name='x'>a&#10;b&#9;c\"'&lt;</xsl:attribute>"
         u"<xsl:text> </xsl:text><xsl:value-of select='concat(\"r\", \"&#13;\", \"n\")'/></fo:block></fo:root>"},
        {"namespaces made by the stylesheet", u"",
         u"<fo:root><xsl:element name='e:x' namespace='urn:example'><xsl:attribute name='e:a' namespace='urn:other'>1"
         u"</xsl:attribute></xsl:element><xsl:copy-of select='/print/d'/></fo:root>"},
        {"an XML declaration with an encoding of its own", u"<xsl:output method='xml' encoding='Shift_JIS'/>",
         block + u"<xsl:value-of select='/print/d/a[1]'/></fo:block></fo:root>"},
        {"indented output with white space kept", u"<xsl:output indent='yes'/>",
         u"<fo:root><fo:block><fo:inline>a</fo:inline></fo:block></fo:root>", true},
        {"CDATA sections", u"<xsl:output cdata-section-elements='fo:block'/>",
         block + u"<xsl:value-of select='/print/d/a[3]'/></fo:block></fo:root>"},
        {"unescaped output", u"", block + u"<xsl:text disable-output-escaping='yes'>&lt;fo:inline/&gt;</xsl:text></fo:block></fo:root>"},
        {"no declaration", u"<xsl:output omit-xml-declaration='yes'/>", block + u"</fo:block></fo:root>"},
        {"a standalone declaration", u"<xsl:output standalone='yes'/>", block + u"</fo:block></fo:root>"},
        {"text output that does not load", u"<xsl:output method='text'/>", u"<xsl:value-of select='/print/d/a[1]'/>"},
        {"two top elements that do not load", u"", u"<fo:root/><fo:root/>"},
        {"a stylesheet that stops the transformation", u"", u"<xsl:message terminate='yes'>stop</xsl:message>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::u16string text = EmbeddedDocument(c.output, c.root);
        LOADED_RESULT throughText, inPlace;
        const XmlDocument::TransformStep expected = TransformEmbedded(text, false, c.preserve, &throughText);
        EXPECT_EQ(TransformEmbedded(text, true, c.preserve, &inPlace), expected);
        EXPECT_EQ(inPlace.xml, throughText.xml);
        EXPECT_EQ(inPlace.saved, throughText.saved);
        EXPECT_EQ(inPlace.nodes, throughText.nodes);
    }
}

TEST(XmlTransform, PrintFilesTransformedInPlaceAreTheirResultTextLoaded)
{
    const std::string data = QN_TEST_DATA_DIR;
    for (const char* paper : kPrintFilePapers) {
        SCOPED_TRACE(paper);
        XmlDocument source;
        ASSERT_TRUE(source.load(data + paper));
        const std::u16string text = source.xml();
        LOADED_RESULT throughText, inPlace;
        ASSERT_EQ(TransformEmbedded(text, false, false, &throughText), XmlDocument::TransformStep::Done);
        ASSERT_EQ(TransformEmbedded(text, true, false, &inPlace), XmlDocument::TransformStep::Done);
        EXPECT_GT(inPlace.xml.size(), 1000u);
        EXPECT_EQ(inPlace.xml, throughText.xml);
        EXPECT_EQ(inPlace.saved, throughText.saved);
        EXPECT_EQ(inPlace.nodes, throughText.nodes);
    }
}
