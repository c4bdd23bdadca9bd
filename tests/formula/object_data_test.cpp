// The formula object's data: the fragment a formula is stored as, read back from bytes written
// from the format, with the sizes, ids and bad input the reader meets.
#include "formula_fixture.h"

#include "platform/codepage.h"
#include "platform/xml.h"

#include <memory>

using namespace formulatest;

namespace {

// Pads a fragment with white space after its root element to a multiple of ten bytes, so that
// the last ten-byte read comes back empty.
std::string PaddedToTens(std::string text)
{
    while (text.size() % 10 != 0)
        text += ' ';
    return text;
}

std::string Nested(int depth)
{
    std::string open, close;
    for (int i = 0; i < depth; ++i) {
        open += "<fo:inline-container>";
        close += "</fo:inline-container>";
    }
    return Fragment("", "<fo:block>" + open + close + "</fo:block>");
}

struct LOAD_CASE {
    const char* name;
    std::string bytes;
    std::string children;  // the root's children after the load
    int sizeStored;
    int storedWidth;
    int storedHeight;
    size_t messages;  // parse errors shown
};

std::vector<LOAD_CASE> LoadCases()
{
    const std::string empty = Fragment("", EmptyFormulaBlock());
    const std::string sized = PaddedToTens(Fragment(" width=\"30mm\" height=\"10mm\"", EmptyFormulaBlock()));
    const std::string bomb = "<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY a \"aaaaaaaaaaaaaaaaaaaa\">"
                             "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
                             "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\"><!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">"
                             "<!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\"><!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\">"
                             "<!ENTITY h \"&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;\">]>"
                             "<fo:root xmlns:fo=\"http://www.w3.org/1999/XSL/Format\"><fo:block-container><fo:block>"
                             "<fo:inline>&h;</fo:inline></fo:block></fo:block-container></fo:root>";
    return {
        {"EmptyFormula", empty, "math cr", 0, 5000, 5000, 0},
        {"LeadingGarbageSkipped", "\xEF\xBB\xBFjunk\x01" + empty, "math cr", 0, 5000, 5000, 0},
        {"SizeInMillimetresAtMultipleOfTen", sized, "math cr", 1, 3000, 1000, 0},
        {"ConvertedWithoutSize", Fragment(" id=\"pre-converted-1\"", EmptyFormulaBlock()), "math cr", 1, 5000, 5000, 0},
        {"NoBlockContainer", RootStart() + "</fo:root>", "", 0, 5000, 5000, 0},
        {"NoAngleBracketGivesEmptyFormula", "no markup at all", "math cr", 0, 5000, 5000, 0},
        {"EmptyDataGivesEmptyFormula", "", "math cr", 0, 5000, 5000, 0},
        {"TruncatedXml", empty.substr(0, empty.size() / 2), "math cr", 0, 5000, 5000, 1},
        {"RootOtherThanFoRoot", "<?xml version=\"1.0\"?><html><body/></html>", "math cr", 0, 5000, 5000, 0},
        {"InvalidCp932KeptAsCharacters",
         Fragment("", "<fo:block><fo:inline>\x81\x20\x85</fo:inline></fo:block>"), "char char char cr", 0, 5000, 5000, 0},
        {"EntityBomb", bomb, "math cr", 0, 5000, 5000, 1},
        {"DeepNesting", Nested(5000), "math cr", 0, 5000, 5000, 1},
        {"FlowBlockContainers",
         RootStart() + "<fo:flow><fo:block-container id=\"gai0011\"><fo:block><fo:inline>a</fo:inline></fo:block>"
                       "</fo:block-container><fo:block-container><fo:block><fo:inline>b</fo:inline></fo:block>"
                       "</fo:block-container><fo:block-container id=\"kaipage0011\" break-after=\"page\"/>"
                       "</fo:flow></fo:root>",
         "gai sentence kaipage", 0, 5000, 5000, 0},
        {"ExternalGraphicSkipped",
         Fragment("", "<fo:block><fo:inline>a</fo:inline><fo:external-graphic src=\"x-01.png\" width=\"10mm\" "
                      "height=\"10mm\"/><fo:inline>b</fo:inline></fo:block>"),
         "char char cr", 0, 5000, 5000, 0},
    };
}

class LoadCase : public FormulaDocumentTest, public ::testing::WithParamInterface<LOAD_CASE> {};

}  // namespace

TEST_F(FormulaDocumentTest, NewFormulaStoresTheEmptyFragment)
{
    CVumatDoc document;
    ASSERT_TRUE(document.OnNewDocument());
    EXPECT_EQ(Children(document.GetRoot()), "math cr");
    EXPECT_EQ(Stored(document), Fragment("", EmptyFormulaBlock()));
    EXPECT_EQ(document.GetRoot()->m_vertical, 0) << "a root made empty clears its first flag";
}

TEST_F(FormulaDocumentTest, EmptyFormulaRoundTrips)
{
    CVumatDoc document;
    const std::string fixture = Fragment("", EmptyFormulaBlock());
    Load(document, fixture);
    ASSERT_EQ(Children(document.GetRoot()), "math cr");
    EXPECT_EQ(document.GetRoot()->GetEditChild(0)->GetChildCount(), 1) << "the formula holds its slot end only";
    EXPECT_EQ(document.GetRoot()->m_vertical, 1) << "a loaded root keeps its first flag";
    EXPECT_EQ(Stored(document), fixture);
}

TEST_P(LoadCase, BuildsTheFormula)
{
    const LOAD_CASE& c = GetParam();
    CVumatDoc document;
    Load(document, c.bytes);
    ASSERT_NE(document.GetRoot(), nullptr) << "the document always has a root";
    EXPECT_EQ(Children(document.GetRoot()), c.children);
    EXPECT_EQ(document.m_sizeStored, c.sizeStored);
    EXPECT_EQ(document.m_storedWidth, c.storedWidth);
    EXPECT_EQ(document.m_storedHeight, c.storedHeight);
    EXPECT_EQ(messages.size(), c.messages);
    if (!messages.empty()) {
        EXPECT_EQ(messages[0].rfind(u"XML Parsing Error: Code=0x", 0), 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(Data, LoadCase, ::testing::ValuesIn(LoadCases()),
                         [](const ::testing::TestParamInfo<LOAD_CASE>& info) { return std::string(info.param.name); });

TEST_F(FormulaDocumentTest, StoredSizeIsWrittenInWholeMillimetres)
{
    CVumatDoc document;
    Load(document, Fragment(" width=\"30mm\" height=\"10mm\"", EmptyFormulaBlock()));
    EXPECT_EQ(Stored(document), Fragment(" width=\"30mm\" height=\"10mm\"", EmptyFormulaBlock()))
        << "no \"converted\" id on a block container the formula editor writes";
    document.m_storedWidth = 2099;
    document.m_storedHeight = 650;
    EXPECT_EQ(Stored(document), Fragment(" width=\"20mm\" height=\"6mm\"", EmptyFormulaBlock()));

    CVumatDoc converted;
    Load(converted, Fragment(" id=\"converted\"", EmptyFormulaBlock()));
    EXPECT_EQ(Stored(converted), Fragment(" width=\"50mm\" height=\"50mm\"", EmptyFormulaBlock()));
}

TEST_F(FormulaDocumentTest, HiddenAnswersStayHiddenForTheProcess)
{
    CVumatDoc document;
    Load(document, Fragment("", EmptyFormulaBlock(), "page-cyukaiinvisible-2"));
    EXPECT_EQ(InTextAnswersVisible, 0);
    Load(document, Fragment("", EmptyFormulaBlock()));
    EXPECT_EQ(InTextAnswersVisible, 0);
    EXPECT_EQ(Stored(document), Fragment("", EmptyFormulaBlock(), "cyukaiinvisible"));
}

TEST_F(FormulaDocumentTest, TwoFontRunsBecomeTwoInlines)
{
    CVumatDoc document;
    ASSERT_TRUE(document.OnNewDocument());
    CEditMathSentence* root = document.GetRoot();
    root->DeleteAllChildren();
    for (const char16_t c : std::u16string(u"abcd")) {
        auto* character = new CEditChar(c);
        if (c >= u'c')
            character->SetBold(1, nullptr);
        root->AppendChild(character);
    }
    root->AppendChild(new CEditCR());

    const std::string bytes = Stored(document);
    XmlDocument dom;
    ASSERT_TRUE(dom.loadXML(CStringW(Cp932ToWide(bytes)).View()));
    dom.setProperty(u"SelectionNamespaces", u"xmlns:fo='http://www.w3.org/1999/XSL/Format'");
    const auto runs = dom.selectNodes(u"//fo:block/fo:inline");
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].text(), u"ab");
    EXPECT_EQ(runs[1].text(), u"cd");
    EXPECT_FALSE(runs[0].getAttribute(u"font-weight").has_value());
    EXPECT_EQ(runs[1].getAttribute(u"font-weight").value_or(u""), u"bold");

    Load(document, bytes);
    EXPECT_EQ(Children(document.GetRoot()), "char char char char cr");
}

TEST_F(FormulaDocumentTest, CharacterOutsideCp932SurvivesAsReference)
{
    CVumatDoc document;
    ASSERT_TRUE(document.OnNewDocument());
    CEditMathSentence* root = document.GetRoot();
    root->DeleteAllChildren();
    root->AppendChild(new CEditChar(u'\u00E9'));
    root->AppendChild(new CEditChar(CStringW(u"\U0001D465")));
    root->AppendChild(new CEditCR());

    const std::string bytes = Stored(document);
    EXPECT_NE(bytes.find("&#233;"), std::string::npos) << bytes;
    EXPECT_EQ(bytes.find('?'), bytes.find("?xml")) << "no character became a question mark";
    Load(document, bytes);
    ASSERT_EQ(Children(document.GetRoot()), "char char cr");
    EXPECT_EQ(document.GetRoot()->GetEditChild(0)->GetText(), CStringW(u"\u00E9"));
    EXPECT_EQ(document.GetRoot()->GetEditChild(1)->GetText(), CStringW(u"\U0001D465"));
}

TEST_F(FormulaDocumentTest, FailedStoreWritesNothing)
{
    CVumatDoc document;
    ASSERT_TRUE(document.OnNewDocument());
    CEditMathSentence* root = document.GetRoot();
    root->InsertChildAt(0, new CEditChar(u'\u0001'));

    CMemFile file;
    CArchive ar(&file, CArchive::store);
    EXPECT_THROW(document.Serialize(ar), CArchiveException);
    EXPECT_EQ(file.GetLength(), 0u);
}
