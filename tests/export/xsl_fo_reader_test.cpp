// The export reader: the part list read from the stylesheet's flow, the writing direction, the
// XSL-FO document that replaces the print file, and every way a print file can fail to load.
#include "export/xsl_fo_reader.h"

#include "export_fixture.h"
#include "tests/editor/shell_answers.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/utf8.h"

using namespace exporttest;
namespace fs = std::filesystem;

namespace {

class ReaderTest : public ::testing::Test {
protected:
    std::string Write(const std::string& text, const std::string& name = "paper.tmp")
    {
        const std::string path = dir.path().toStdString() + "/" + name;
        WriteText(path, text);
        return path;
    }
    QTemporaryDir dir;
    ShellAnswers shell;
};

class ReaderWithFlag : public CXslFoReader {
public:
    void SetDeleteSource() { m_deleteSource = TRUE; }
};

}  // namespace

TEST(ReadPartPath, SelectPathsGiveQuestionNumbersAndPartKinds)
{
    struct Case {
        const char16_t* select;
        bool valid;
        EXPORT_PART part;
    };
    const Case cases[] = {
        {u"/print/dmon[3]/mon/kai", true, {3, 0, ExportPartKind::kKai}},
        {u"/print/dmon[3]/smon[2]/setsu", true, {3, 2, ExportPartKind::kSetsu}},
        {u"/print/gai[1]", true, {0, 0, ExportPartKind::kGai}},
        {u"/print/dmon/mon/dai", true, {1, 0, ExportPartKind::kDai}},  // "mon" is not "smon": minor 0
        {u"{/print/dmon[2]/smon[1]/ran}", true, {2, 1, ExportPartKind::kRan}},
        {u"/print/gai[2]/sp", true, {0, 0, ExportPartKind::kGai}},
        {u"/print/dmon[1]/mon/other", true, {1, 0, ExportPartKind::kLiteral}},
        {u"/print/dmon[1/smon]/dai", true, {0, 0, ExportPartKind::kDai}},  // unreadable brackets give 0
        {u"/print", false, {}},
        {u"/print/dmon[1]", false, {}},
        {u"", false, {}},
    };
    for (const Case& c : cases) {
        EXPORT_PART part;
        EXPECT_EQ(ReadPartPath(CStringW(c.select), &part), c.valid) << Utf16ToUtf8(c.select);
        if (c.valid) {
            EXPECT_EQ(part, c.part) << Utf16ToUtf8(c.select);
        }
    }
}

TEST_F(ReaderTest, EachChildOfTheStylesheetFlowGivesOnePartEntry)
{
    const std::string flow =
        "<xsl:apply-templates select=\"/print/dmon[3]/mon/kai\"/>"
        "<fo:block-container><fo:block>furniture</fo:block></fo:block-container>"
        "<xsl:apply-templates select=\"/print/dmon[3]/smon[2]/setsu\"/>"
        "<xsl:apply-templates select=\"/print/gai[1]\"/>";
    CXslFoReader reader;
    ASSERT_TRUE(reader.Load(Write(PrintFile(flow))));
    EXPECT_EQ(reader.GetParts(), (std::vector<EXPORT_PART>{{3, 0, ExportPartKind::kKai},
                                                            {},
                                                            {3, 2, ExportPartKind::kSetsu},
                                                            {0, 0, ExportPartKind::kGai}}));
    EXPECT_TRUE(shell.requests.empty());
}

TEST_F(ReaderTest, LoadLeavesTheXslFoDocumentAndReadsTheWritingDirection)
{
    const std::string flow = "<xsl:apply-templates select=\"/print/dmon[1]/mon/dai\"/>";
    const std::string data = "<dmon><mon><dai>問題文</dai></mon></dmon>";
    for (const bool vertical : {false, true}) {
        ReaderWithFlag reader;
        reader.SetDeleteSource();
        ASSERT_TRUE(reader.Load(Write(PrintFile(flow, data, vertical ? "writing-mode=\"tb-rl\"" : "writing-mode=\"lr-tb\""))));
        EXPECT_EQ(reader.IsVertical(), vertical ? TRUE : FALSE);
        EXPECT_FALSE(reader.GetDeleteSource());
        const XmlNode root = reader.GetDom().documentElement();
        ASSERT_TRUE(root);
        EXPECT_EQ(root.nodeName(), u"fo:root");
        EXPECT_NE(root.xml().find(u"<fo:block>問題文</fo:block>"), std::u16string::npos);
        EXPECT_EQ(root.xml().find(u"xsl:"), std::u16string::npos);
    }
}

TEST_F(ReaderTest, BadPrintFilesFailWithTheirMessagesAndWriteNothing)
{
    const std::string part = "<xsl:apply-templates select=\"/print/dmon[1]/mon/dai\"/>";
    const std::string data = "<dmon><mon><dai>x</dai></mon></dmon>";
    struct Case {
        const char* what;
        std::string file;
        std::vector<std::u16string> messagesStartWith;
    };
    const std::string bomb =
        "<?xml version=\"1.0\"?><!DOCTYPE print [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
        "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">"
        "<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\"><!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\">"
        "<!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\"><!ENTITY h \"&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;\">]>";
    std::string bombFile = PrintFile(part, "<dmon><mon><dai>&h;</dai></mon></dmon>");
    bombFile.replace(0, bombFile.find("<print>"), bomb);
    std::string nested = PrintFile(part, data);
    nested.replace(nested.find("<print>"), 7, "<print><inner>");
    nested.replace(nested.rfind("</print>"), 8, "</inner></print>");
    const Case cases[] = {
        {"not XML", "<print><unclosed></print>", {u"XML Parsing Error: Code=0x"}},
        {"no stylesheet", "<print><dmon/></print>", {}},
        {"no flow", "<print><xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\"/></print>",
         {}},
        {"empty flow", PrintFile(""), {}},
        {"one-step path", PrintFile("<xsl:apply-templates select=\"/print\"/>"), {}},
        {"two steps without gai", PrintFile("<xsl:apply-templates select=\"/print/dmon[1]\"/>"), {}},
        {"unbalanced brackets", PrintFile("<xsl:apply-templates select=\"{/print\"/>"), {}},
        {"stylesheet not at the top", nested, {}},
        {"empty result", PrintFile(part, data, "", "<xsl:template match=\"/\" priority=\"10\"/>"),
         {u"XSLTでのエラー", u"XSLT Error: Code=0x"}},
        {"result not XML",
         PrintFile(part, data, "", "<xsl:output method=\"text\"/>"),
         {u"FO Parsing Error: Code=0x"}},
        {"entity bomb", bombFile, {u"XML Parsing Error: Code=0x"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        shell.requests.clear();
        const std::string path = Write(c.file);
        CXslFoReader reader;
        EXPECT_FALSE(reader.Load(path));
        const std::vector<std::u16string> messages = shell.Messages();
        ASSERT_EQ(messages.size(), c.messagesStartWith.size());
        for (size_t i = 0; i < messages.size(); ++i)
            EXPECT_EQ(messages[i].rfind(c.messagesStartWith[i], 0), 0u) << std::string(messages[i].begin(), messages[i].end());
        EXPECT_EQ(FolderEntries(dir.path().toStdString()), (std::vector<std::string>{"paper.tmp"}));
    }
    EXPECT_FALSE(CXslFoReader().Load(""));
}

TEST_F(ReaderTest, StylesheetsCannotWriteFilesOrReadExternalEntities)
{
    const std::string folder = dir.path().toStdString();
    WriteText(folder + "/secret.txt", "SECRET");
    const std::string writer =
        "<xsl:template match=\"dmon\"><xsl:document href=\"" + folder + "/written.txt\" method=\"text\">x</xsl:document>"
        "<exsl:document xmlns:exsl=\"http://exslt.org/common\" href=\"" + folder + "/written2.txt\" method=\"text\">x</exsl:document>"
        "<fo:block-container/></xsl:template>";
    std::string entity = PrintFile("<xsl:apply-templates select=\"/print/dmon\"/>", "<dmon>&x;</dmon>");
    entity.replace(0, entity.find("<print>"),
                   "<?xml version=\"1.0\"?><!DOCTYPE print [<!ENTITY x SYSTEM \"" + folder + "/secret.txt\">]>");
    const std::string reader =
        "<xsl:template match=\"dmon\"><fo:block-container><fo:block><xsl:value-of select=\"document('" + folder +
        "/secret.txt')\"/></fo:block></fo:block-container></xsl:template>";
    const std::string flow = "<xsl:apply-templates select=\"/print/dmon\"/>";
    for (const std::string& file : {PrintFile(flow, "<dmon/>", "", writer), PrintFile(flow, "<dmon/>", "", reader), entity}) {
        CXslFoReader reader;
        reader.Load(Write(file));
        EXPECT_EQ(reader.GetDom().xml().find(u"SECRET"), std::u16string::npos);
        EXPECT_EQ(FolderEntries(folder), (std::vector<std::string>{"paper.tmp", "secret.txt"}));
    }
}
