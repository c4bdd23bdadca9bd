// Hostile documents: the XML layer reads no file and reaches no network that a document names,
// bounds entity expansion, and lets no stylesheet read, write or create anything.
#include "platform/xml.h"

#include "xml_test_support.h"

#include <gtest/gtest.h>

namespace {

const std::string kSecret = "secret-content-42";

std::u16string Utf16(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

}  // namespace

TEST(XmlSecurity, ExternalEntitiesAreNeverLoaded)
{
    XmlTempDir dir;
    const std::string secret = dir.File("secret.txt");
    WriteBytes(secret, kSecret);
    WriteBytes(dir.File("secret.dtd"), "<!ENTITY leak '" + kSecret + "'>");
    const std::u16string url = Utf16("file://" + secret);
    const std::u16string dtdUrl = Utf16("file://" + dir.File("secret.dtd"));

    const std::u16string refused[] = {
        u"<!DOCTYPE a [<!ENTITY x SYSTEM '" + url + u"'>]><a>&x;</a>",
        u"<!DOCTYPE a [<!ENTITY x SYSTEM 'http://127.0.0.1:9/x'>]><a>&x;</a>",
        u"<!DOCTYPE a [<!ENTITY % p SYSTEM '" + dtdUrl + u"'> %p;]><a>&leak;</a>",
    };
    for (const std::u16string& text : refused) {
        XmlDocument doc;
        EXPECT_FALSE(doc.loadXML(text));
        EXPECT_NE(doc.parseError().errorCode, 0);
        EXPECT_FALSE(doc.documentElement());
    }
    // An external subset is not read either; the document itself is fine.
    XmlDocument doc;
    ASSERT_TRUE(doc.loadXML(u"<!DOCTYPE a SYSTEM '" + dtdUrl + u"'><a>ok</a>"));
    EXPECT_EQ(doc.documentElement().xml(), u"<a>ok</a>");
    // An internal entity is expanded into plain text.
    ASSERT_TRUE(doc.loadXML(u"<!DOCTYPE a [<!ENTITY n '名前'>]><a>&n;!</a>"));
    EXPECT_EQ(doc.documentElement().childNodes().size(), 1u);
    EXPECT_EQ(doc.documentElement().text(), u"名前!");
}

TEST(XmlSecurity, EntityExpansionIsBounded)
{
    std::u16string laughs = u"<!DOCTYPE a [<!ENTITY l0 'lollollollol'>";
    for (int i = 1; i <= 9; ++i) {
        laughs += u"<!ENTITY l" + Utf16(std::to_string(i)) + u" '";
        for (int k = 0; k < 10; ++k)
            laughs += u"&l" + Utf16(std::to_string(i - 1)) + u";";
        laughs += u"'>";
    }
    laughs += u"]><a>&l9;</a>";

    std::u16string quadratic = u"<!DOCTYPE a [<!ENTITY big '" + std::u16string(100000, u'x') + u"'>]><a>";
    for (int i = 0; i < 20000; ++i)
        quadratic += u"&big;";
    quadratic += u"</a>";

    for (const std::u16string* text : {&laughs, &quadratic}) {
        XmlDocument doc;
        EXPECT_FALSE(doc.loadXML(*text));
        EXPECT_NE(doc.parseError().errorCode, 0);
        EXPECT_FALSE(doc.parseError().reason.empty());
    }
}

TEST(XmlSecurity, StylesheetsCannotReadWriteOrCreate)
{
    XmlTempDir dir;
    const std::string secret = dir.File("secret.txt");
    WriteBytes(secret, kSecret);
    WriteBytes(dir.File("module.xsl"),
               "<xsl:stylesheet version='1.0' xmlns:xsl='http://www.w3.org/1999/XSL/Transform'>"
               "<xsl:template match='/'>" + kSecret + "</xsl:template></xsl:stylesheet>");
    const std::u16string written = Utf16(dir.File("written.txt"));
    const std::u16string created = Utf16(dir.File("made/inner.txt"));

    const std::u16string bodies[] = {
        u"<xsl:template match='/'><xsl:document href='" + written + u"'><x/></xsl:document><r/></xsl:template>",
        u"<xsl:template match='/'><xsl:document href='" + created + u"'><x/></xsl:document><r/></xsl:template>",
        u"<xsl:template match='/'><saxon:output href='" + written + u"'><x/></saxon:output><r/></xsl:template>",
        u"<xsl:template match='/'><r><xsl:copy-of select=\"document('" + Utf16(secret) + u"')\"/></r></xsl:template>",
        u"<xsl:template match='/'><r><xsl:copy-of select=\"document('file://" + Utf16(secret) + u"')\"/></r>"
        u"</xsl:template>",
        u"<xsl:import href='" + Utf16(dir.File("module.xsl")) + u"'/>",
        u"<xsl:include href='" + Utf16(dir.File("module.xsl")) + u"'/>",
    };
    for (const std::u16string& body : bodies) {
        XmlDocument doc;
        ASSERT_TRUE(doc.loadXML(u"<print><xsl:stylesheet version='1.1' xmlns:xsl='http://www.w3.org/1999/XSL/Transform'"
                                u" xmlns:saxon='http://icl.com/saxon' extension-element-prefixes='saxon'>" +
                                body + u"</xsl:stylesheet></print>"));
        const std::optional<std::u16string> result = doc.transformNode(doc.documentElement().firstChild());
        EXPECT_FALSE(result && result->find(Utf16(kSecret)) != std::u16string::npos);
        EXPECT_FALSE(result);
        EXPECT_NE(doc.parseError().errorCode, 0);
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("written.txt")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("made")));
}
