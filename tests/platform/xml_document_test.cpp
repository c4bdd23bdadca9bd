#include "platform/xml.h"

#include "xml_test_support.h"

#include <gtest/gtest.h>

namespace {

const char16_t kFoDecl[] = u"xmlns:fo='http://www.w3.org/1999/XSL/Format'";

std::vector<std::u16string> Names(const std::vector<XmlNode>& nodes)
{
    std::vector<std::u16string> names;
    for (const XmlNode& node : nodes)
        names.push_back(node.nodeName());
    return names;
}

}  // namespace

TEST(XmlDocument, LoadsFilesInTheEncodingsDocumentsUse)
{
    XmlTempDir dir;
    struct Case {
        const char* name;
        std::string bytes;
    };
    const std::u16string utf16Text = u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<a>日本語①～</a>";
    std::string utf16be;
    for (char16_t unit : u"\uFEFF" + utf16Text) {
        utf16be.push_back(static_cast<char>(unit >> 8));
        utf16be.push_back(static_cast<char>(unit & 0xFF));
    }
    const Case cases[] = {
        {"utf16le-bom", "\xFF\xFE" + Utf16LeBytes(utf16Text)},
        {"utf16be-bom", utf16be},
        {"utf8", "<?xml version=\"1.0\"?><a>\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE2\x91\xA0\xEF\xBD\x9E</a>"},
        {"utf8-bom", "\xEF\xBB\xBF<a>\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE2\x91\xA0\xEF\xBD\x9E</a>"},
        // 87 40 is ① and 81 60 is ～ in code page 932; the JIS table of SHIFT_JIS has neither.
        {"shift-jis", "<?xml version='1.0' encoding='Shift-JIS'?><a>\x93\xFA\x96\x7B\x8C\xEA\x87\x40\x81\x60</a>"},
    };
    for (const Case& c : cases) {
        const std::string path = dir.File(std::string(c.name) + ".xml");
        WriteBytes(path, c.bytes);
        XmlDocument doc;
        ASSERT_TRUE(doc.load(path)) << c.name;
        EXPECT_EQ(doc.documentElement().text(), u"日本語①～") << c.name;
    }
}

TEST(XmlDocument, ShiftJisBackslashStaysBackslash)
{
    XmlDocument doc;
    XmlTempDir dir;
    WriteBytes(dir.File("a.xml"), "<?xml version='1.0' encoding='Shift-JIS'?><a>C:\\x~</a>");
    ASSERT_TRUE(doc.load(dir.File("a.xml")));
    EXPECT_EQ(doc.documentElement().text(), u"C:\\x~");
}

TEST(XmlDocument, WhiteSpaceOnlyTextIsDroppedUnlessPreserved)
{
    const std::u16string text =
        u"<a>\n  <b> x </b>\n  <c xml:space='preserve'> <d>  </d></c>\n  <e>   </e>\n"
        u"  <f><![CDATA[ ]]></f>\n"
        u"  <xsl:text xmlns:xsl='http://www.w3.org/1999/XSL/Transform'> </xsl:text>\n</a>";
    XmlDocument doc;
    ASSERT_TRUE(doc.loadXML(text));
    const XmlNode a = doc.documentElement();
    EXPECT_EQ(Names(a.childNodes()), (std::vector<std::u16string>{u"b", u"c", u"e", u"f", u"xsl:text"}));
    EXPECT_EQ(a.firstChild().text(), u" x ");
    const XmlNode c = a.selectSingleNode(u"c");
    EXPECT_EQ(Names(c.childNodes()), (std::vector<std::u16string>{u"#text", u"d"}));
    EXPECT_EQ(c.lastChild().text(), u"  ");
    EXPECT_TRUE(a.selectNodes(u"e/node()").empty());
    EXPECT_EQ(a.selectSingleNode(u"f/node()").nodeType(), XmlNodeType::CDataSection);
    EXPECT_EQ(a.lastChild().text(), u" ");

    XmlDocument kept;
    kept.setPreserveWhiteSpace(true);
    ASSERT_TRUE(kept.loadXML(text));
    EXPECT_EQ(kept.documentElement().childNodes().size(), 11u);
}

TEST(XmlDocument, NamesAreQualifiedAsWritten)
{
    XmlDocument doc;
    ASSERT_TRUE(doc.loadXML(u"<fo:root xmlns:fo='http://www.w3.org/1999/XSL/Format'>"
                            u"<fo:block font-size='10.5pt' xml:space='preserve'> </fo:block>"
                            u"<math xmlns='http://www.w3.org/1998/Math/MathML'><mi>x</mi></math></fo:root>"));
    const XmlNode root = doc.documentElement();
    EXPECT_EQ(root.nodeName(), u"fo:root");
    EXPECT_EQ(root.namespaceURI(), u"http://www.w3.org/1999/XSL/Format");
    const XmlNode block = root.firstChild();
    EXPECT_EQ(block.nodeName(), u"fo:block");
    EXPECT_EQ(Names(block.attributes()), (std::vector<std::u16string>{u"font-size", u"xml:space"}));
    EXPECT_EQ(block.attributes()[0].nodeValue(), u"10.5pt");
    EXPECT_EQ(block.getAttribute(u"xml:space"), u"preserve");
    EXPECT_EQ(block.getAttribute(u"missing"), std::nullopt);
    EXPECT_EQ(root.lastChild().nodeName(), u"math");
    EXPECT_EQ(root.lastChild().firstChild().nodeName(), u"mi");
    EXPECT_EQ(doc.node().nodeName(), u"#document");
}

// Every name a document can carry can be created again, and no other: creation checks names by
// the rules the parser reads them by (XML 1.0 fifth edition, one prefix at most).
TEST(XmlDocument, CreatesExactlyTheNamesThatLoad)
{
    struct Case {
        std::u16string name;
        bool valid;
    };
    const Case cases[] = {
        {u"he\u0611", true},       // Arabic mark, a name character only by the fifth-edition rules
        {u"\u0E01\u0E33", true},   // likewise
        {u"日本語", true},
        {u"x\u00B7y", true},
        {u"a:b", true},
        {u"a:\u00C0", true},
        {u"\U00010000x", true},
        {u"1bad", false},
        {u"\u00B7x", false},
        {u"\u0300x", false},
        {u"a\u037Eb", false},
        {u"a:b:c", false},
        {u":a", false},
        {u"a:", false},
        {u"a:1b", false},
        {u"a b", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name.begin(), c.name.end()));
        XmlDocument loaded;
        EXPECT_EQ(loaded.loadXML(u"<" + c.name + u" xmlns:a='urn:a'/>"), c.valid);
        EXPECT_EQ(loaded.loadXML(u"<e xmlns:a='urn:a' " + c.name + u"='v'/>"), c.valid);

        XmlDocument doc;
        ASSERT_TRUE(doc.loadXML(u"<e xmlns:a='urn:a'/>"));
        XmlNode root = doc.documentElement();
        if (c.valid) {
            EXPECT_NO_THROW(root.appendChild(doc.createElement(c.name)));
            EXPECT_NO_THROW(doc.createAttribute(c.name));
            EXPECT_NO_THROW(root.setAttribute(c.name, u"v"));
        } else {
            EXPECT_THROW(doc.createElement(c.name), XmlError);
            EXPECT_THROW(doc.createAttribute(c.name), XmlError);
            EXPECT_THROW(root.setAttribute(c.name, u"v"), XmlError);
        }
    }
}

TEST(XmlDocument, MalformedTextGivesTheParseErrorAndAnEmptyDocument)
{
    struct Case {
        std::u16string text;
        long line;
    };
    const Case cases[] = {
        {u"<a>\n<b>\n</a>", 3},                 // mismatched end tag
        {u"<a x='1' x='2'/>", 1},               // repeated attribute
        {u"<fo:block/>", 1},                    // undeclared prefix
        {u"<a>&undefined;</a>", 1},             // undeclared entity
        {u"", 1},                               // no element at all
        {u"<a/><b/>", 1},                       // two top-level elements
    };
    for (const Case& c : cases) {
        XmlDocument doc;
        ASSERT_TRUE(doc.loadXML(u"<old/>"));
        EXPECT_FALSE(doc.loadXML(c.text));
        const XmlParseError& error = doc.parseError();
        EXPECT_NE(error.errorCode, 0);
        EXPECT_EQ(error.line, c.line);
        EXPECT_FALSE(error.reason.empty());
        EXPECT_FALSE(doc.documentElement());
    }
    XmlDocument doc;
    ASSERT_TRUE(doc.loadXML(u"<a/>"));
    EXPECT_EQ(doc.parseError().errorCode, 0);
    XmlTempDir dir;
    EXPECT_FALSE(doc.load(dir.File("missing.xml")));
    EXPECT_NE(doc.parseError().errorCode, 0);
    EXPECT_FALSE(doc.parseError().reason.empty());
}

TEST(XmlDocument, FirstNodeOfADescendantNameIsTheFirstOfAllSuchNodes)
{
    // Names in no namespace, under a default namespace, under prefixes bound in the document
    // to other addresses than the selection's, nested and after deep subtrees.
    XmlDocument doc;
    ASSERT_TRUE(doc.loadXML(u"<print xmlns:f='urn:f'><a><b><c/><MondaiID>1</MondaiID></b></a>"
                            u"<x xmlns='urn:d'><MondaiID>default</MondaiID><f:flow>0</f:flow></x>"
                            u"<fo:flow xmlns:fo='urn:other'>other</fo:flow>"
                            u"<g xmlns:fo='http://www.w3.org/1999/XSL/Format'><fo:flow>1<fo:flow>2</fo:flow></fo:flow></g>"
                            u"<MondaiID>2</MondaiID><f:flow>3</f:flow></print>"));
    doc.setProperty(u"SelectionNamespaces", u"xmlns:fo='http://www.w3.org/1999/XSL/Format' xmlns:f='urn:f'");
    for (const char16_t* path : {u"//MondaiID", u"//fo:flow", u"//f:flow", u"//print", u"//c", u"//none", u"//fo:none"}) {
        SCOPED_TRACE(std::u16string(path).size());
        const std::vector<XmlNode> all = doc.selectNodes(path);
        const XmlNode first = doc.selectSingleNode(path);
        if (all.empty())
            EXPECT_FALSE(first);
        else
            EXPECT_EQ(first, all.front());
    }
    EXPECT_EQ(doc.selectSingleNode(u"//MondaiID").text(), u"1");
    EXPECT_EQ(doc.selectSingleNode(u"//fo:flow").text(), u"12");
    EXPECT_THROW(doc.selectSingleNode(u"//e:flow"), XmlError);
}

TEST(XmlDocument, SelectsWithTheDeclaredPrefixes)
{
    XmlDocument doc;
    ASSERT_TRUE(doc.loadXML(u"<print xmlns:fo='http://www.w3.org/1999/XSL/Format'>"
                            u"<SearchProgID>p</SearchProgID>"
                            u"<xsl:stylesheet xmlns:xsl='http://www.w3.org/1999/XSL/Transform' version='1.0'>"
                            u"<xsl:template match='/'><fo:flow><fo:block/><fo:block/></fo:flow></xsl:template>"
                            u"</xsl:stylesheet></print>"));
    EXPECT_EQ(doc.selectSingleNode(u"//SearchProgID").text(), u"p");
    EXPECT_FALSE(doc.selectSingleNode(u"//MondaiID"));
    EXPECT_THROW(doc.selectSingleNode(u"//xsl:stylesheet"), XmlError);  // prefix not declared yet

    doc.setProperty(u"SelectionLanguage", u"XPath");
    doc.setProperty(u"SelectionNamespaces", u"xmlns:xsl='http://www.w3.org/1999/XSL/Transform'");
    const XmlNode stylesheet = doc.selectSingleNode(u"//xsl:stylesheet");
    ASSERT_TRUE(stylesheet);
    EXPECT_EQ(stylesheet.selectSingleNode(u"xsl:template").getAttribute(u"match"), u"/");
    EXPECT_THROW(doc.selectNodes(u"//fo:block"), XmlError);  // replaced by the xsl declaration

    doc.setProperty(u"SelectionNamespaces", kFoDecl);
    EXPECT_EQ(doc.selectNodes(u"//fo:block").size(), 2u);
    EXPECT_EQ(doc.getProperty(u"SelectionNamespaces"), kFoDecl);
    doc.setProperty(u"SelectionNamespaces",
                    u"xmlns:fo=\"http://www.w3.org/1999/XSL/Format\"  xmlns:x='http://www.w3.org/1999/XSL/Transform'");
    EXPECT_EQ(doc.selectNodes(u"//x:template/fo:flow/fo:block").size(), 2u);

    EXPECT_THROW(doc.setProperty(u"SelectionNamespaces", u"fo='x'"), XmlError);
    EXPECT_THROW(doc.setProperty(u"SelectionLanguage", u"XSLPattern"), XmlError);
    EXPECT_THROW(doc.selectNodes(u"count(//fo:block)"), XmlError);
    EXPECT_THROW(doc.selectNodes(u"//["), XmlError);
}

TEST(XmlDocument, BuildsTreesWithAttributesInTheOrderSet)
{
    XmlDocument doc;
    ASSERT_TRUE(doc.loadXML(u"<fo:root xmlns:fo='http://www.w3.org/1999/XSL/Format'><fo:flow/></fo:root>"));
    doc.setProperty(u"SelectionNamespaces", kFoDecl);
    XmlNode flow = doc.selectSingleNode(u"//fo:flow");

    XmlNode block = doc.createElement(u"fo:block");
    block.setAttribute(u"font-size", u"10pt");
    block.setAttribute(u"font-family", u"ＭＳ Ｐ明朝");
    block.setAttribute(u"font-size", u"12pt");  // replaced in its place
    block.setAttribute(u"xml:space", u"preserve");
    XmlNode attribute = doc.createAttribute(u"color");
    attribute.setText(u"Red");
    EXPECT_FALSE(block.setAttributeNode(attribute));
    flow.appendChild(block);

    XmlNode inline1 = doc.createElement(u"fo:inline");
    inline1.appendChild(doc.createTextNode(u"a"));
    inline1.appendChild(doc.createTextNode(u"b"));  // not merged with the first
    block.appendChild(inline1);
    XmlNode inline0 = doc.createElement(u"fo:inline");
    inline0.appendChild(doc.createCDATASection(u"x<y"));
    block.insertBefore(inline0, inline1);

    EXPECT_EQ(Names(block.attributes()),
              (std::vector<std::u16string>{u"font-size", u"font-family", u"xml:space", u"color"}));
    EXPECT_EQ(block.getAttribute(u"font-size"), u"12pt");
    EXPECT_EQ(inline1.childNodes().size(), 2u);
    EXPECT_EQ(doc.selectNodes(u"//fo:block/fo:inline").size(), 2u);  // the created names took the namespace
    EXPECT_EQ(doc.documentElement().xml(),
              u"<fo:root xmlns:fo=\"http://www.w3.org/1999/XSL/Format\"><fo:flow>"
              u"<fo:block font-size=\"12pt\" font-family=\"ＭＳ Ｐ明朝\" xml:space=\"preserve\" color=\"Red\">"
              u"<fo:inline><![CDATA[x<y]]></fo:inline><fo:inline>ab</fo:inline></fo:block></fo:flow></fo:root>");

    XmlNode family = block.attributes()[1];
    block.removeAttribute(u"font-family");
    EXPECT_EQ(block.getAttribute(u"font-family"), std::nullopt);
    // A removed attribute stays usable, as any removed node, and can be set again.
    EXPECT_EQ(family.nodeValue(), u"ＭＳ Ｐ明朝");
    EXPECT_FALSE(inline1.setAttributeNode(family));
    EXPECT_EQ(inline1.getAttribute(u"font-family"), u"ＭＳ Ｐ明朝");
    inline1.removeAttribute(u"font-family");
    XmlNode removed = block.removeChild(inline0);
    EXPECT_EQ(removed, inline0);
    EXPECT_FALSE(inline0.parentNode());
    flow.appendChild(inline0);  // a removed node can be inserted again
    EXPECT_EQ(flow.lastChild(), inline0);
    block.setText(u"plain");
    EXPECT_EQ(block.childNodes().size(), 1u);
    EXPECT_EQ(block.text(), u"plain");

    EXPECT_THROW(doc.createElement(u"1bad"), XmlError);
    EXPECT_THROW(block.appendChild(flow), XmlError);                 // an ancestor
    EXPECT_THROW(doc.appendChild(doc.createElement(u"second")), XmlError);
    EXPECT_THROW(flow.removeChild(doc.documentElement()), XmlError);  // not a child
    EXPECT_THROW(XmlNode().nodeName(), XmlError);
}

TEST(XmlDocument, MovesNodesBetweenDocuments)
{
    XmlDocument frame;
    ASSERT_TRUE(frame.loadXML(u"<fo:root xmlns:fo='http://www.w3.org/1999/XSL/Format'><fo:flow/></fo:root>"));
    frame.setProperty(u"SelectionNamespaces", kFoDecl);
    {
        XmlDocument fragment;
        ASSERT_TRUE(fragment.loadXML(u"<fo:block-container xmlns:fo='http://www.w3.org/1999/XSL/Format' id='kaipage0011'>"
                                     u"<fo:block>文</fo:block></fo:block-container>"));
        frame.selectSingleNode(u"//fo:flow").appendChild(fragment.documentElement());
        EXPECT_FALSE(fragment.documentElement());
        XmlNode created = fragment.createElement(u"fo:inline");
        frame.selectSingleNode(u"//fo:block").appendChild(created);
    }
    // The moved nodes live on in the frame after their first document is gone.
    EXPECT_EQ(frame.selectSingleNode(u"//fo:flow/fo:block-container").getAttribute(u"id"), u"kaipage0011");
    EXPECT_EQ(frame.selectSingleNode(u"//fo:block").text(), u"文");
    EXPECT_TRUE(frame.selectSingleNode(u"//fo:block/fo:inline"));
    EXPECT_EQ(frame.documentElement().xml(),
              u"<fo:root xmlns:fo=\"http://www.w3.org/1999/XSL/Format\"><fo:flow><fo:block-container id=\"kaipage0011\">"
              u"<fo:block>文<fo:inline/></fo:block></fo:block-container></fo:flow></fo:root>");
}

TEST(XmlDocument, RemovedNodesKeepTheirNamespaces)
{
    XmlDocument doc;
    ASSERT_TRUE(doc.loadXML(u"<print xmlns:fo='http://www.w3.org/1999/XSL/Format' xmlns:e='urn:e'>"
                            u"<fo:block e:x='1'/></print>"));
    XmlNode block = doc.documentElement().removeChild(doc.documentElement().firstChild());
    EXPECT_EQ(block.xml(), u"<fo:block xmlns:fo=\"http://www.w3.org/1999/XSL/Format\" xmlns:e=\"urn:e\" e:x=\"1\"/>");
    ASSERT_TRUE(doc.loadXML(u"<other/>"));  // frees the former content with the removed node
    XmlDocument target;
    ASSERT_TRUE(target.loadXML(u"<t/>"));
    XmlDocument source;
    ASSERT_TRUE(source.loadXML(u"<print xmlns:fo='http://www.w3.org/1999/XSL/Format'><fo:block/></print>"));
    XmlNode moved = source.documentElement().removeChild(source.documentElement().firstChild());
    target.documentElement().appendChild(moved);
    EXPECT_EQ(target.documentElement().xml(),
              u"<t><fo:block xmlns:fo=\"http://www.w3.org/1999/XSL/Format\"/></t>");
}

TEST(XmlDocument, SavesUtf16WithByteOrderMark)
{
    XmlTempDir dir;
    XmlDocument doc;
    ASSERT_TRUE(doc.loadXML(u"\uFEFF<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<print>\r\n <sp>日本</sp></print>"));
    doc.documentElement().appendChild(doc.createElement(u"dmon"));
    const std::string path = dir.File("print.xml");
    ASSERT_TRUE(doc.save(path));
    const std::string expected =
        "\xFF\xFE" + Utf16LeBytes(u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<print><sp>日本</sp><dmon/></print>\n");
    EXPECT_EQ(ReadBytes(path), expected);

    XmlDocument again;
    ASSERT_TRUE(again.load(path));
    EXPECT_EQ(again.documentElement().xml(), u"<print><sp>日本</sp><dmon/></print>");
    ASSERT_TRUE(again.save(path));  // the declaration read back keeps the encoding
    EXPECT_EQ(ReadBytes(path), expected);
}

TEST(XmlDocument, SavesCodePage932DeclaredShiftJis)
{
    XmlTempDir dir;
    XmlDocument doc;
    ASSERT_TRUE(doc.loadXML(u"<?xml version='1.0' encoding='Shift-JIS'?>"
                            u"<fo:root xmlns:fo='http://www.w3.org/1999/XSL/Format' version='1.0'>"
                            u"<fo:block-container/></fo:root>"));
    XmlNode container = doc.documentElement().firstChild();
    XmlNode a = doc.createElement(u"fo:inline");
    a.setAttribute(u"font-family", u"가ＭＳ");
    a.appendChild(doc.createTextNode(u"①～\\"));
    container.appendChild(a);
    XmlNode b = doc.createElement(u"fo:inline");
    b.appendChild(doc.createCDATASection(u"x<가"));  // Hangul has no code page 932 form
    container.appendChild(b);
    XmlNode c = doc.createElement(u"fo:inline");
    c.appendChild(doc.createCDATASection(u"a<b"));
    container.appendChild(c);
    const std::string path = dir.File("fragment.qni");
    ASSERT_TRUE(doc.save(path));
    EXPECT_EQ(ReadBytes(path),
              "<?xml version=\"1.0\" encoding=\"Shift-JIS\"?>\n"
              "<fo:root xmlns:fo=\"http://www.w3.org/1999/XSL/Format\" version=\"1.0\"><fo:block-container>"
              "<fo:inline font-family=\"&#44032;\x82\x6c\x82\x72\">\x87\x40\x81\x60\\</fo:inline><fo:inline>x&lt;&#44032;</fo:inline>"
              "<fo:inline><![CDATA[a<b]]></fo:inline></fo:block-container></fo:root>\n");
    // The document in memory keeps its CDATA section.
    EXPECT_EQ(b.firstChild().nodeType(), XmlNodeType::CDataSection);

    XmlDocument again;
    ASSERT_TRUE(again.load(path));
    again.setProperty(u"SelectionNamespaces", kFoDecl);
    const std::vector<XmlNode> inlines = again.selectNodes(u"//fo:inline");
    ASSERT_EQ(inlines.size(), 3u);
    EXPECT_EQ(inlines[0].text(), u"①～\\");
    EXPECT_EQ(inlines[1].text(), u"x<가");
    EXPECT_EQ(inlines[2].text(), u"a<b");
}

TEST(XmlDocument, SavingNeverLosesThePreviousFile)
{
    XmlTempDir dir;
    XmlDocument doc;
    ASSERT_TRUE(doc.loadXML(u"<a>new</a>"));
    const std::string path = dir.File("kept.xml");
    WriteBytes(path, "old");
    ASSERT_TRUE(doc.save(path, XmlEncoding::Utf8));
    EXPECT_EQ(ReadBytes(path), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<a>new</a>\n");

    // A target that cannot be replaced (a folder) fails and leaves nothing behind.
    const std::string folder = dir.File("folder");
    std::filesystem::create_directory(folder);
    EXPECT_FALSE(doc.save(folder));
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_FALSE(doc.save(dir.File("no-such-folder/a.xml")));
    size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        ++entries;
    EXPECT_EQ(entries, 2u);  // kept.xml and the folder
}

TEST(XmlDocument, ShiftJisSaveRefusesNamesAndCommentsOutsideCodePage932)
{
    // Text and attribute values can carry such characters as references; names, comments and
    // processing instructions cannot, so a file written with them would not load back.
    struct Case {
        const char* what;
        std::u16string body;
    };
    const Case cases[] = {
        {"element name", u"<가/>"},
        {"element prefix", u"<가:x xmlns:가='urn:k'/>"},
        {"attribute name", u"<a 가='1'/>"},
        {"comment", u"<a><!--가--></a>"},
        {"processing instruction target", u"<a><?가 data?></a>"},
        {"processing instruction data", u"<a><?pi 가?></a>"},
        {"comment outside the root", u"<!--가--><a/>"},
    };
    XmlTempDir dir;
    const std::string path = dir.File("paper.xml");
    for (const Case& c : cases) {
        WriteBytes(path, "former");
        XmlDocument doc;
        ASSERT_TRUE(doc.loadXML(u"<?xml version='1.0' encoding='Shift-JIS'?>" + c.body)) << c.what;
        EXPECT_FALSE(doc.save(path)) << c.what;
        EXPECT_EQ(ReadBytes(path), "former") << c.what;
        // The same document saves in UTF-16 when asked to, and loads back.
        ASSERT_TRUE(doc.save(path, XmlEncoding::Utf16)) << c.what;
        XmlDocument again;
        ASSERT_TRUE(again.load(path)) << c.what;
        EXPECT_EQ(again.xml(), doc.xml()) << c.what;
    }
    // Characters that code page 932 holds are written as they are.
    XmlDocument doc;
    ASSERT_TRUE(doc.loadXML(u"<?xml version='1.0' encoding='Shift-JIS'?><問 属='値'><!--注--><?処理 ①?></問>"));
    ASSERT_TRUE(doc.save(path));
    XmlDocument again;
    ASSERT_TRUE(again.load(path));
    EXPECT_EQ(again.xml(), doc.xml());
}

// An error the parser reports without a place of its own (bytes its declared encoding cannot
// convert) names where parsing stopped, never line 0.
TEST(XmlDocument, ConversionErrorsNameWhereParsingStopped)
{
    struct Case {
        std::string bytes;
        long line;
    };
    const Case cases[] = {
        {"<?xml version='1.0' encoding='EUC-JP'?>\n<a>\n\xff\xfe\x80</a>", 3},
        {"<?xml version='1.0' encoding='ISO-2022-JP'?>\n<a>\n\x1b$B\xff\xff</a>", 3},
        {"<?xml version='1.0' encoding='UTF-32'?><a/>", 1},
    };
    XmlTempDir dir;
    for (const Case& c : cases) {
        WriteBytes(dir.File("paper.xml"), c.bytes);
        XmlDocument doc;
        EXPECT_FALSE(doc.load(dir.File("paper.xml")));
        EXPECT_NE(doc.parseError().errorCode, 0) << c.bytes;
        EXPECT_EQ(doc.parseError().line, c.line) << c.bytes;
        EXPECT_GT(doc.parseError().linepos, 0) << c.bytes;
    }
}
