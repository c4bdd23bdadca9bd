#include "base/dom_transfer.h"

#include "base/element_classes.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

// Parses text and imports its document element the way the readers do.
std::unique_ptr<CQNXMLNode> Import(const std::u16string& text)
{
    XmlDocument doc;
    EXPECT_TRUE(doc.loadXML(text));
    const XmlNode element = doc.documentElement();
    std::unique_ptr<CQNXMLNode> node(CreateXMLNode(XMLElementCodeFromName(CStringW(element.nodeName()).c_str())));
    if (node)
        ImportDomNode(node.get(), element);
    return node;
}

// Writes node into a fresh document under an element named by its code.
std::u16string Export(const CQNXMLNode& node)
{
    XmlDocument doc;
    XmlNode element = doc.createElement(XMLElementNameFromCode(node.m_typeCode).View());
    doc.appendChild(element);
    ExportNodeToDom(&node, doc, element);
    return element.xml();
}

template <typename T>
T& Child(CQNXMLNode* node, int index)
{
    return dynamic_cast<T&>(*node->GetChildAt(index));
}

}  // namespace

TEST(DomTransfer, ImportKeepsKnownElementsAndJoinsTheTextPieces)
{
    const auto math = Import(u"<math><mi>x</mi><!-- note --><mfoo><mi>y</mi></mfoo><mspace/><mn>2</mn></math>");
    ASSERT_EQ(math->GetChildCount(), 2);
    EXPECT_EQ(math->GetChildAt(0)->m_typeCode, 0x203);
    EXPECT_EQ(math->GetChildAt(0)->GetText(), u"x");
    EXPECT_EQ(math->GetChildAt(1)->m_typeCode, 0x204);
    EXPECT_EQ(math->GetChildAt(1)->GetText(), u"2");
    EXPECT_EQ(math->GetChildAt(0)->GetParent(), math.get());

    // Text, CDATA sections and text around comments are one text.
    EXPECT_EQ(Import(u"<mtext>a<![CDATA[b]]>c</mtext>")->GetText(), u"abc");
    EXPECT_EQ(Import(u"<mtext>a<!--c-->b</mtext>")->GetText(), u"ab");
    EXPECT_EQ(Import(u"<mtext>a<?pi x?> b</mtext>")->GetText(), u"a b");
    EXPECT_EQ(Import(u"<mtext>a<![CDATA[<b>]]></mtext>")->GetText(), u"a<b>");
    const auto blank = Import(u"<mi xml:space='preserve'>  </mi>");
    EXPECT_EQ(blank->GetText(), u"  ");
    EXPECT_EQ(blank->GetBlank(), 1);
    EXPECT_EQ(blank->GetAttributes().at(CStringW(u"xml:space")), u"preserve");
}

TEST(DomTransfer, ExportWritesTextChildrenAndCdata)
{
    std::unique_ptr<CQNXMLNode> mi(CreateXMLNode(0x203));
    mi->SetText(u"a<b");
    const std::u16string font = u" mathfamily=\"Times New Roman\" mathsize=\"10.5pt\"";
    EXPECT_EQ(Export(*mi), u"<mi" + font + u"><![CDATA[a<b]]></mi>");
    mi->SetText(u"ab");
    EXPECT_EQ(Export(*mi), u"<mi" + font + u">ab</mi>");

    std::unique_ptr<CQNXMLNode> mo(CreateXMLNode(0x205));
    mo->SetText(u"+");
    mo->AppendChild(CreateXMLNode(0x203));  // a token's children are never written
    EXPECT_EQ(Export(*mo), u"<mo" + font + u">+</mo>");

    std::unique_ptr<CQNXMLNode> row(CreateXMLNode(0x211));
    for (int code : {0x203, 0x205, 0x204})
        row->AppendChild(CreateXMLNode(code));
    row->GetChildAt(0)->SetText(u"x");
    row->GetChildAt(1)->AppendChild(CreateXMLNode(0x211));
    EXPECT_EQ(Export(*row), u"<mrow><mi" + font + u">x</mi><mo" + font + u"/><mn" + font + u"/></mrow>");

    // A child that has no element name ends its parent's transfer; what was written stays.
    std::unique_ptr<CQNXMLNode> broken(CreateXMLNode(0x211));
    broken->AppendChild(CreateXMLNode(0x204));
    broken->AppendChild(new CQNXMLNode(0x999));
    broken->AppendChild(CreateXMLNode(0x203));
    EXPECT_EQ(Export(*broken), u"<mrow><mn" + font + u"/></mrow>");
}

TEST(DomTransfer, XslFoDocumentBecomesTypedElementObjects)
{
    const auto root = Import(
        u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n"
        u"<fo:root xmlns:fo=\"http://www.w3.org/1999/XSL/Format\">\n"
        u"  <fo:layout-master-set>\n"
        u"    <fo:simple-page-master master-name=\"BodyPage\" page-height=\"297mm\" page-width=\"210mm\"\n"
        u"        margin-top=\"10mm\" margin-bottom=\"12mm\" margin-left=\"15mm\" margin-right=\"20mm\" writing-mode=\"tb-rl\">\n"
        u"      <fo:region-body column-count=\"2\" margin-top=\"0mm\" reference-orientation=\"0\"/>\n"
        u"    </fo:simple-page-master>\n"
        u"    <fo:page-sequence-master master-name=\"SequenceMaster\">\n"
        u"      <fo:single-page-master-reference master-reference=\"KimeiBodyPage\"/>\n"
        u"    </fo:page-sequence-master>\n"
        u"  </fo:layout-master-set>\n"
        u"  <fo:page-sequence master-reference=\"SequenceMaster\">\n"
        u"    <fo:static-content flow-name=\"kimei-region\"/>\n"
        u"    <fo:flow flow-name=\"xsl-region-body\">\n"
        u"      <fo:block-container id=\"gai0011\" width=\"80mm\" height=\"30mm\" visibility=\"collapse\">\n"
        u"        <fo:block font-size=\"12pt\" font-family=\"ＭＳ ゴシック\" font-weight=\"bold\" text-align=\"center\"\n"
        u"            color=\"#FFF\" text-decoration=\"underline\" line-height.optimum=\"3pt\">\n"
        u"          <fo:inline baseline-shift=\"sub\" text-underline-style=\"wave\" bango-type=\"maru\">本文</fo:inline>\n"
        u"          <fo:inline-container id=\"cyukai[2]\" border-after-style=\"double\"><fo:block>答</fo:block></fo:inline-container>\n"
        u"          <fo:external-graphic src=\"img1.png\" width=\"20mm\" height=\"10mm\"/>\n"
        u"          <fo:character character=\"x\"/>\n"
        u"        </fo:block>\n"
        u"      </fo:block-container>\n"
        u"      <fo:block-container id=\"kaipage0011\" break-after=\"page\"/>\n"
        u"      <fo:table-and-caption><fo:table><fo:table-body><fo:table-row>\n"
        u"        <fo:table-cell border-style=\"dotted\" border-width=\"1mm\"><fo:block>セル</fo:block></fo:table-cell>\n"
        u"      </fo:table-row></fo:table-body></fo:table></fo:table-and-caption>\n"
        u"    </fo:flow>\n"
        u"  </fo:page-sequence>\n"
        u"</fo:root>");
    ASSERT_TRUE(root);
    EXPECT_EQ(root->m_typeCode, 0xC01);
    ASSERT_EQ(root->GetChildCount(), 2);

    CQNXMLNode* masters = root->GetChildAt(0);
    auto& page = Child<CFoSimplePageMaster>(masters, 0);
    EXPECT_EQ(page.height, 29700);
    EXPECT_EQ(page.width, 21000);
    EXPECT_EQ(page.m_marginTop, 1000);
    EXPECT_EQ(page.m_marginBottom, 1200);
    EXPECT_EQ(page.m_marginLeft, 1500);
    EXPECT_EQ(page.m_marginRight, 2000);
    EXPECT_EQ(Child<CFoRegionBody>(&page, 0).columnCount, 2);
    EXPECT_EQ(Child<CFoSinglePageMasterReference>(masters->GetChildAt(1), 0).m_masterReference, u"KimeiBodyPage");

    auto& sequence = Child<CFoPageSequence>(root.get(), 1);
    EXPECT_EQ(sequence.m_masterReference, u"SequenceMaster");
    EXPECT_EQ(Child<CFoStaticContent>(&sequence, 0).m_flowName, u"kimei-region");
    auto& flow = Child<CFoFlow>(&sequence, 1);
    ASSERT_EQ(flow.GetChildCount(), 3);

    auto& box = Child<CFoBlockContainer>(&flow, 0);
    EXPECT_EQ(box.m_idClass, 3);
    EXPECT_EQ(box.m_width, 8000);
    EXPECT_EQ(box.m_height, 3000);
    EXPECT_EQ(box.m_visibility, 2);
    auto& block = Child<CFoBlock>(&box, 0);
    EXPECT_EQ(block.m_fontSize, 423);
    EXPECT_EQ(FaceNameView(block.m_fontFace), "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e");
    EXPECT_EQ(block.m_fontWeight, 700);
    EXPECT_EQ(block.m_textAlign, 1);
    EXPECT_EQ(block.m_color, 0xFFFFFFu);
    EXPECT_EQ(block.m_underlineStyle, 1);
    EXPECT_EQ(block.m_lineSpacing, 71);  // fo:block does not read line-height.optimum
    EXPECT_TRUE(block.GetText().IsEmpty());  // the indentation between its children is gone
    ASSERT_EQ(block.GetChildCount(), 3);  // fo:character has no class
    auto& run = Child<CFoInline>(&block, 0);
    EXPECT_EQ(run.GetText(), u"本文");
    EXPECT_EQ(run.m_scriptPosition, 1);
    EXPECT_EQ(run.m_underlineStyle, 7);
    EXPECT_EQ(run.m_renbanType, 1);
    auto& answer = Child<CFoInlineContainer>(&block, 1);
    EXPECT_EQ(answer.m_idClass, 2);
    EXPECT_EQ(answer.m_afterStyle, 2);
    EXPECT_EQ(Child<CFoBlock>(&answer, 0).GetText(), u"答");
    auto& picture = Child<CFoExternalGraphic>(&block, 2);
    EXPECT_EQ(picture.m_src, "img1.png");
    EXPECT_EQ(picture.m_areaWidth, 2000);
    EXPECT_EQ(picture.m_areaHeight, 1000);

    auto& pageBreak = Child<CFoBlockContainer>(&flow, 1);
    EXPECT_EQ(pageBreak.m_idClass, 8);
    EXPECT_EQ(pageBreak.m_breakAfter, 2);
    CQNXMLNode* row = flow.GetChildAt(2)->GetChildAt(0)->GetChildAt(0)->GetChildAt(0);
    auto& cell = Child<CFoTableCell>(row, 0);
    EXPECT_EQ(cell.m_borderStyle, 3);
    EXPECT_EQ(cell.m_borderWidth, 100);
    EXPECT_EQ(cell.GetFirstChild()->GetText(), u"セル");
}

TEST(DomTransfer, MathMLDocumentRoundTripsWithAttributesInOrder)
{
    const auto math = Import(
        u"<math qntype=\"cyukai\">\n"
        u"  <mrow bango-force=\"2\" bango-type=\"maru\" border-after-style=\"double\">\n"
        u"    <mi mathcolor=\"Red\" mathvariant=\"italic\">x</mi>\n"
        u"    <mo stretchy=\"true\">(</mo>\n"
        u"    <mfrac bevelled=\"true\"><mn mathsize=\"9pt\">1</mn><mn>2</mn></mfrac>\n"
        u"    <mfenced open=\"[\" close=\"]\"><mi>y</mi></mfenced>\n"
        u"    <msup><mi>e</mi><mn>2</mn></msup>\n"
        u"    <munderover><mo>&#x2211;</mo><mi>i</mi><mi>n</mi></munderover>\n"
        u"    <menclose notation=\"longdiv\"><mn>3</mn></menclose>\n"
        u"    <mtext xml:space=\"preserve\">  </mtext>\n"
        u"    <mtext><![CDATA[a<b]]></mtext>\n"
        u"  </mrow>\n"
        u"  <mtable frame=\"solid\" columnalign=\"left\">\n"
        u"    <mtr><mtd><mi mathunderlinewidth=\"thick\" mathunderlinestyle=\"solid\">z</mi></mtd></mtr>\n"
        u"  </mtable>\n"
        u"</math>");
    ASSERT_TRUE(math);
    EXPECT_EQ(math->m_class, 2);
    ASSERT_EQ(math->GetChildCount(), 2);
    auto& row = Child<CMathMLRow>(math.get(), 0);
    EXPECT_EQ(row.m_afterStyle, 2);
    EXPECT_EQ(row.m_renbanType, 1);
    EXPECT_EQ(row.m_renbanForce, 2);
    ASSERT_EQ(row.GetChildCount(), 9);
    auto& x = Child<CMathMLToken>(&row, 0);
    EXPECT_EQ(x.m_fontItalic, 1);
    EXPECT_EQ(x.m_color, 0x0000FFu);
    EXPECT_EQ(Child<CMathMLMo>(&row, 1).m_stretchy, 1);
    auto& frac = Child<CMathMLFrac>(&row, 2);
    EXPECT_EQ(frac.m_bevelled, 1);
    EXPECT_EQ(Child<CMathMLToken>(&frac, 0).m_fontSize, 318);
    EXPECT_EQ(Child<CMathMLFenced>(&row, 3).m_open, u"[");
    EXPECT_EQ(Child<CMathMLUnderOver>(&row, 5).GetFirstChild()->GetText(), u"∑");
    EXPECT_EQ(Child<CMathMLToken>(&row, 7).GetBlank(), 1);
    auto& table = Child<CMathMLTable>(math.get(), 1);
    EXPECT_EQ(table.m_textAlign, 0);
    EXPECT_EQ(table.m_borderStyle, 1);
    auto& z = Child<CMathMLToken>(table.GetFirstChild()->GetFirstChild(), 0);
    EXPECT_EQ(z.m_underlineStyle, 1);
    EXPECT_EQ(z.m_underlineWidth, 3);

    const std::u16string font = u"mathfamily=\"Times New Roman\" mathsize=\"10.5pt\"";
    EXPECT_EQ(Export(*math),
              u"<math qntype=\"cyukai\">"
              u"<mrow border-after-style=\"double\" bango-type=\"maru\" bango-force=\"2\" bango-font-family=\"ＭＳ Ｐ明朝\""
              u" bango-font-size=\"5pt\">"
              u"<mi " + font + u" mathvariant=\"italic\" mathcolor=\"Red\">x</mi>"
              u"<mo " + font + u" stretchy=\"true\">(</mo>"
              u"<mfrac bevelled=\"true\"><mn mathfamily=\"Times New Roman\" mathsize=\"9pt\">1</mn><mn " + font + u">2</mn></mfrac>"
              u"<mfenced open=\"[\" close=\"]\"><mi " + font + u">y</mi></mfenced>"
              u"<msup><mi " + font + u">e</mi><mn " + font + u">2</mn></msup>"
              u"<munderover><mo " + font + u">∑</mo><mi " + font + u">i</mi><mi " + font + u">n</mi></munderover>"
              u"<menclose><mn " + font + u">3</mn></menclose>"
              u"<mtext xml:space=\"preserve\" " + font + u">  </mtext>"
              u"<mtext " + font + u"><![CDATA[a<b]]></mtext>"
              u"</mrow>"
              u"<mtable frame=\"solid\" columnalign=\"left\"><mtr><mtd>"
              u"<mi " + font + u" mathunderlinestyle=\"solid\" mathunderlinewidth=\"thick\">z</mi>"
              u"</mtd></mtr></mtable></math>");
}

TEST(DomTransfer, TokenTextOfWhiteSpaceOnlySurvivesExportAndReload)
{
    // The reader drops white-space-only text unless xml:space says otherwise, so a token made of
    // tabs or line breaks must say so, as one made of spaces does.
    for (const char16_t* text : {u"\t", u"\r\n", u"\n", u" \t ", u"  ", u"\u3000"}) {
        std::unique_ptr<CQNXMLNode> row(CreateXMLNode(0x211));
        for (int code : {0x203, 0x204, 0x205, 0x206, 0x207}) {
            row->AppendChild(CreateXMLNode(code));
            row->GetLastChild()->SetText(text);
        }
        XmlDocument written;
        XmlNode element = written.createElement(u"mrow");
        written.appendChild(element);
        ExportNodeToDom(row.get(), written, element);

        const auto read = Import(written.xml());
        ASSERT_TRUE(read);
        ASSERT_EQ(read->GetChildCount(), 5);
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(read->GetChildAt(i)->GetText(), text) << std::u16string(text).size() << " " << i;
    }
    // A token with other text is written without xml:space.
    std::unique_ptr<CQNXMLNode> mi(CreateXMLNode(0x203));
    mi->SetText(u"x\ty");
    EXPECT_EQ(Export(*mi).find(u"xml:space"), std::u16string::npos);
}
