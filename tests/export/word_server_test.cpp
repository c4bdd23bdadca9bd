// Our Word automation server driven through the export's own wrappers: what each member does to
// the document and the WordprocessingML it then holds (expected fragments written from
// WordprocessingML's rules and Word's codes, not from the writer's output), its refusals of bad
// arguments, and the .docx package SaveAs writes.
#include "export/word_server.h"

#include "export/automation_wrappers.h"
#include "export/word_server_docx.h"
#include "export/word_server_model.h"
#include "platform/clipboard.h"
#include "platform/embedding.h"
#include "platform/packed_dib.h"
#include "platform/utf8.h"
#include "platform/xml.h"
#include "platform/zip_archive.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using Object = CWordDispatch;

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A packed 24-bit DIB of a small picture.
std::vector<BYTE> SmallDib(int width, int height)
{
    const int stride = (width * 3 + 3) & ~3;
    std::vector<BYTE> dib(40 + static_cast<size_t>(stride) * height, 0x80);
    BITMAPINFOHEADER header{};
    header.biSize = 40;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = 0;
    std::memcpy(dib.data(), &header, sizeof header);
    return dib;
}

class WordServerTest : public ::testing::Test {
protected:
    WordServerTest()
    {
        m_app.AttachDispatch(NewWordServer([this](const std::string& path) { m_opened.push_back(path); }));
        Object documents(m_app.GetDocuments());
        VARIANT templateName = VARIANT::Missing();
        VARIANT newTemplate = VARIANT::Missing();
        m_document.AttachDispatch(documents.AddDocument(&templateName, &newTemplate));
        Object window(m_document.GetActiveWindow());
        Object pane(window.GetActivePane());
        m_selection.AttachDispatch(pane.GetSelection());
    }

    CWordDocumentModel& Model() { return *WordServerModel(m_document.m_lpDispatch); }
    std::string Xml()
    {
        std::vector<const WORD_PICTURE*> pictures;
        return WordDocumentXml(Model(), &pictures);
    }
    Object Font() const { return Object(m_selection.GetFont()); }
    Object Paragraph() const { return Object(m_selection.GetParagraphFormat()); }
    Object PageSetup() const { return Object(m_document.GetPageSetup()); }
    void Type(const char16_t* text) const { m_selection.TypeText(text); }
    Object AddTable(int rows, int columns) const
    {
        Object tables(m_document.GetTables());
        return Object(tables.AddTable(m_selection.GetRange(), rows, columns));
    }
    long Move(VARIANT unit, VARIANT count) const { return m_selection.Move(&unit, &count); }
    long MoveStart(int count) const
    {
        VARIANT unit = VARIANT::Long(1);
        VARIANT by = VARIANT::Long(count);
        return m_selection.MoveStart(&unit, &by);
    }
    void GoToPage(int page) const
    {
        VARIANT what = VARIANT::Long(1);
        VARIANT which = VARIANT::Long(2);
        VARIANT count = VARIANT::Missing();
        VARIANT name = VARIANT::Long(page);
        Object(m_selection.GoTo(&what, &which, &count, &name));
    }
    void PageBreak() const
    {
        VARIANT type = VARIANT::Long(7);
        m_selection.InsertBreak(&type);
    }
    void Save(const std::string& path) const
    {
        VARIANT name = VARIANT::String(Utf8ToUtf16(path));
        VARIANT missing[10];
        for (VARIANT& argument : missing)
            argument = VARIANT::Missing();
        m_document.SaveAs({&name, &missing[0], &missing[1], &missing[2], &missing[3], &missing[4], &missing[5],
                           &missing[6], &missing[7], &missing[8], &missing[9]});
    }

    Object m_app;
    Object m_document;
    Object m_selection;
    std::vector<std::string> m_opened;
};

// Whether the XML holds the fragment, with the XML around it shown when it does not.
::testing::AssertionResult Holds(const std::string& xml, const std::string& fragment)
{
    if (xml.find(fragment) != std::string::npos)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "missing " << fragment << "\nin " << xml;
}

// --- every member

TEST_F(WordServerTest, EveryWrapperMemberIsAnsweredByTheObjectItIsCalledOn)
{
    ASSERT_TRUE(SetClipboardDib(SmallDib(4, 2)));
    m_selection.Paste();
    Object table = AddTable(2, 2);
    Object shapes(m_document.GetInlineShapes());
    Object font = Font();
    Object borders(font.GetBorders());
    Object rows(table.GetRows());
    Object pageSetup = PageSetup();
    const std::vector<std::pair<const char*, Object>> objects = {
        {"Application", Object(m_app.m_lpDispatch)},
        {"Documents", Object(m_app.GetDocuments())},
        {"Document", Object(m_document.m_lpDispatch)},
        {"Window", Object(m_document.GetActiveWindow())},
        {"Pane", Object(Object(m_document.GetActiveWindow()).GetActivePane())},
        {"Selection", Object(m_selection.m_lpDispatch)},
        {"Range", Object(m_selection.GetRange())},
        {"Font", Object(font.m_lpDispatch)},
        {"ParagraphFormat", Paragraph()},
        {"Borders", Object(borders.m_lpDispatch)},
        {"Border", Object(borders.BordersItem(1))},
        {"Shading", Object(font.GetShading())},
        {"PageSetup", Object(pageSetup.m_lpDispatch)},
        {"LineNumbering", Object(pageSetup.GetLineNumbering())},
        {"TextColumns", Object(pageSetup.GetTextColumns())},
        {"Tables", Object(m_document.GetTables())},
        {"Table", Object(table.m_lpDispatch)},
        {"Rows", Object(rows.m_lpDispatch)},
        {"Row", Object(rows.RowsItem(1))},
        {"Columns", Object(table.GetColumns())},
        {"Cell", Object(table.Cell(1, 1))},
        {"InlineShapes", Object(shapes.m_lpDispatch)},
        {"InlineShape", Object(shapes.InlineShapesItem(1))},
    };
    for (const DISPATCH_MEMBER& member : WordMembers()) {
        bool answered = false;
        for (const auto& [kind, object] : objects) {
            if (member.name != nullptr) {
                answered = answered || object.LookUp(member.name) != DISPID_UNKNOWN;
            } else {
                // A fixed id answers a value of its type on its object.
                const VARIANT value = member.arguments == "l" ? VARIANT::Long(0) : VARIANT::Float(0);
                try {
                    object.InvokeHelper(member.fixedId, member.flags, VT_EMPTY, {value});
                    answered = true;
                } catch (const COleException&) {
                } catch (const COleDispatchException&) {
                }
            }
        }
        EXPECT_TRUE(answered) << member.member;
    }
    EXPECT_EQ(m_selection.LookUp(u"NoSuchMember"), DISPID_UNKNOWN);
    EXPECT_THROW(m_selection.InvokeHelper(DISPID_UNKNOWN, DISPATCH_METHOD, VT_EMPTY, {}), COleException);
}

// --- character and paragraph formats

TEST_F(WordServerTest, FontSettingsBecomeTheRunProperties)
{
    struct Case {
        const char* what;
        std::function<void(const Object&)> set;
        std::string properties;  // the run's w:rPr content
    };
    const Case cases[] = {
        {"a red, bold, doubled-width, wave-underlined run in a border",
         [](const Object& font) {
             font.SetName("\x82\x6c\x82\x72 \x96\xbe\x92\xa9");
             font.SetSize(10.5f);
             font.SetColorIndex(6);
             font.SetBold(1);
             font.SetUnderline(11);
             font.SetScaling(200);
             Object(Object(font.GetBorders()).BordersItem(1)).SetLineStyle(1);
         },
         "<w:rFonts w:ascii=\"ＭＳ 明朝\" w:eastAsia=\"ＭＳ 明朝\" w:hAnsi=\"ＭＳ 明朝\" w:cs=\"ＭＳ 明朝\"/><w:b/>"
         "<w:color w:val=\"FF0000\"/><w:w w:val=\"200\"/><w:sz w:val=\"21\"/><w:szCs w:val=\"21\"/>"
         "<w:u w:val=\"wave\"/><w:bdr w:val=\"single\" w:sz=\"4\" w:space=\"0\" w:color=\"auto\"/>"},
        {"italic, struck through and lowered, colour index 13 (128, 0, 0)",
         [](const Object& font) {
             font.SetSize(8);
             font.SetItalic(1);
             font.SetStrikeThrough(1);
             font.SetColorIndex(13);
             font.SetSubscript(1);
         },
         "<w:i/><w:strike/><w:color w:val=\"800000\"/><w:sz w:val=\"16\"/><w:szCs w:val=\"16\"/>"
         "<w:vertAlign w:val=\"subscript\"/>"},
        {"raised: superscript replaces subscript",
         [](const Object& font) {
             font.SetSubscript(1);
             font.SetSuperscript(1);
         },
         "<w:sz w:val=\"21\"/><w:szCs w:val=\"21\"/><w:vertAlign w:val=\"superscript\"/>"},
        {"white background with the crossed hatch, thick dots",
         [](const Object& font) {
             Object shading(font.GetShading());
             shading.SetBackgroundPatternColorIndex(8);
             shading.SetTexture(-12);
             font.SetUnderline(20);
         },
         "<w:sz w:val=\"21\"/><w:szCs w:val=\"21\"/><w:u w:val=\"dottedHeavy\"/>"
         "<w:shd w:val=\"thinDiagCross\" w:color=\"auto\" w:fill=\"FFFFFF\"/>"},
    };
    for (const Case& c : cases) {
        Object documents(m_app.GetDocuments());
        VARIANT a = VARIANT::Missing();
        VARIANT b = VARIANT::Missing();
        m_document.AttachDispatch(documents.AddDocument(&a, &b));
        m_selection.AttachDispatch(Object(Object(m_document.GetActiveWindow()).GetActivePane()).GetSelection());
        c.set(Font());
        Type(u"字");
        EXPECT_TRUE(Holds(Xml(), "<w:r><w:rPr>" + c.properties + "</w:rPr><w:t xml:space=\"preserve\">字</w:t></w:r>"))
            << c.what;
    }
}

TEST_F(WordServerTest, ARunOfOneFormatIsOneRunAndAFormatChangeStartsTheNext)
{
    Type(u"ab");
    Font().SetBold(1);
    Type(u"c");
    // Setting the format over an extent changes the characters it covers.
    EXPECT_EQ(MoveStart(-1), -1);
    Font().SetBold(0);
    EXPECT_TRUE(Holds(Xml(), "<w:p><w:r><w:rPr><w:sz w:val=\"21\"/><w:szCs w:val=\"21\"/></w:rPr>"
                             "<w:t xml:space=\"preserve\">abc</w:t></w:r></w:p>"));
}

TEST_F(WordServerTest, ParagraphFormatsBecomeTheParagraphProperties)
{
    VARIANT missing[2] = {VARIANT::Missing(), VARIANT::Missing()};
    Object document(m_document.Range(&missing[0], &missing[1]));
    Object format(document.GetParagraphFormat());
    format.SetLeftIndent(10.5f);
    format.SetRightIndent(0);
    format.SetLineSpacingRule(3);
    format.SetLineSpacing(0.5f);
    format.SetBaseLineAlignment(1);
    Paragraph().SetAlignment(3);
    Type(u"一");
    // A new paragraph takes the format of the one it was split from; an exact rule keeps its points.
    m_selection.TypeParagraph();
    Paragraph().SetLineSpacingRule(4);
    Paragraph().SetLineSpacing(12);
    const std::string xml = Xml();
    EXPECT_TRUE(Holds(xml, "<w:p><w:pPr><w:spacing w:line=\"10\" w:lineRule=\"atLeast\"/>"
                           "<w:ind w:left=\"210\" w:right=\"0\"/><w:jc w:val=\"both\"/>"
                           "<w:textAlignment w:val=\"center\"/></w:pPr><w:r>"));
    EXPECT_TRUE(Holds(xml, "<w:p><w:pPr><w:spacing w:line=\"240\" w:lineRule=\"exact\"/>"
                           "<w:ind w:left=\"210\" w:right=\"0\"/><w:jc w:val=\"both\"/>"
                           "<w:textAlignment w:val=\"center\"/></w:pPr></w:p>"));
}

TEST_F(WordServerTest, PageSetupAndTextDirectionBecomeTheSectionProperties)
{
    Object page = PageSetup();
    Object(page.GetLineNumbering()).SetActive(0);
    page.SetPageOrientation(0);
    page.SetTopMargin(36);
    page.SetBottomMargin(72);
    page.SetLeftMargin(72);
    page.SetRightMargin(18);
    page.SetGutter(0);
    page.SetHeaderDistance(0);
    page.SetFooterDistance(0);
    page.SetPageWidth(static_cast<float>(21000 * 72.0 / 2540));
    page.SetPageHeight(static_cast<float>(29700 * 72.0 / 2540));
    page.SetSectionStart(2);
    page.SetDispId131(0);
    Object(page.GetTextColumns()).SetCount(2);
    m_selection.SetTextOrientation(1);
    EXPECT_TRUE(Holds(Xml(), "<w:sectPr><w:type w:val=\"nextPage\"/><w:pgSz w:w=\"11906\" w:h=\"16838\"/>"
                             "<w:pgMar w:top=\"720\" w:right=\"360\" w:bottom=\"1440\" w:left=\"1440\" w:header=\"0\""
                             " w:footer=\"0\" w:gutter=\"0\"/><w:cols w:num=\"2\" w:space=\"425\"/>"
                             "<w:textDirection w:val=\"tbRl\"/></w:sectPr>"));
}

TEST_F(WordServerTest, TypingReplacesTheExtentAndBackspaceJoinsParagraphsAndStepsThroughCells)
{
    Type(u"ab");
    m_selection.TypeParagraph();
    Type(u"c");
    m_selection.TypeBackspace();
    m_selection.TypeBackspace();  // at the paragraph's start: joins it to the one before
    EXPECT_EQ(MoveStart(-1), -1);
    Type(u"X");
    m_selection.TypeParagraph();
    Object table = AddTable(1, 2);
    Object(Object(table.Cell(1, 1)).GetRange()).Select();
    Type(u"1");
    // From the end of a cell the next character position is the next cell's start.
    EXPECT_EQ(Move(VARIANT::Long(1), VARIANT::Long(1)), 1);
    Type(u"2");
    // Two to the left: before the "2", then the end of the cell before.
    EXPECT_EQ(Move(VARIANT::Long(1), VARIANT::Long(-2)), -2);
    Type(u"0");
    const std::string run = "<w:r><w:rPr><w:sz w:val=\"21\"/><w:szCs w:val=\"21\"/></w:rPr><w:t xml:space=\"preserve\">";
    const std::string xml = Xml();
    EXPECT_TRUE(Holds(xml, "<w:body><w:p>" + run + "aX</w:t></w:r></w:p><w:tbl>"));
    EXPECT_TRUE(Holds(xml, "</w:tcPr><w:p>" + run + "10</w:t></w:r></w:p></w:tc>"));
    EXPECT_TRUE(Holds(xml, "</w:tcPr><w:p>" + run + "2</w:t></w:r></w:p></w:tc></w:tr></w:tbl><w:p></w:p><w:sectPr>"));
}

// --- ruby, tables, breaks and pictures

TEST_F(WordServerTest, APhoneticGuideOverTheLastTwoCharactersIsARubyInsideARun)
{
    Font().SetSize(10.5f);
    Type(u"この漢字");
    EXPECT_EQ(MoveStart(-2), -2);
    Object(m_selection.GetRange()).PhoneticGuide(u"かんじ", 2, 0, 5, "\x82\x6c\x82\x72 \x96\xbe\x92\xa9");
    EXPECT_EQ(Move(VARIANT::Long(1), VARIANT::Long(2)), 2) << "the ruby's field end counts";
    Type(u"だ");
    const std::string xml = Xml();
    const std::string plain = "<w:rPr><w:sz w:val=\"21\"/><w:szCs w:val=\"21\"/></w:rPr>";
    EXPECT_TRUE(Holds(
        xml, "<w:r>" + plain + "<w:t xml:space=\"preserve\">この</w:t></w:r>"
             "<w:r>" + plain + "<w:ruby><w:rubyPr><w:rubyAlign w:val=\"distributeSpace\"/><w:hps w:val=\"10\"/>"
             "<w:hpsRaise w:val=\"21\"/><w:hpsBaseText w:val=\"21\"/><w:lid w:val=\"ja-JP\"/></w:rubyPr>"
             "<w:rt><w:r><w:rPr><w:rFonts w:ascii=\"ＭＳ 明朝\" w:eastAsia=\"ＭＳ 明朝\" w:hAnsi=\"ＭＳ 明朝\""
             " w:cs=\"ＭＳ 明朝\"/><w:sz w:val=\"10\"/><w:szCs w:val=\"10\"/></w:rPr>"
             "<w:t xml:space=\"preserve\">かんじ</w:t></w:r></w:rt>"
             "<w:rubyBase><w:r>" + plain + "<w:t xml:space=\"preserve\">漢字</w:t></w:r></w:rubyBase></w:ruby></w:r>"
             "<w:r>" + plain + "<w:t xml:space=\"preserve\">だ</w:t></w:r>"));
    // LibreOffice drops the base text of a ruby that stands outside a run.
    XmlDocument document;
    ASSERT_TRUE(document.loadXML(Utf8ToUtf16(xml)));
    document.setProperty(u"SelectionLanguage", u"XPath");
    document.setProperty(u"SelectionNamespaces",
                         u"xmlns:w='http://schemas.openxmlformats.org/wordprocessingml/2006/main'");
    EXPECT_TRUE(document.selectSingleNode(u"//w:ruby"));
    EXPECT_FALSE(document.selectSingleNode(u"//w:ruby[not(parent::w:r)]"));
}

TEST_F(WordServerTest, AVerticalTwoByThreeTableIsWrittenTransposedWithVerticalCells)
{
    // The calls the table writer makes for 2 node rows and 3 node columns in vertical writing.
    m_selection.SetTextOrientation(1);
    m_selection.TypeParagraph();
    Object table = AddTable(3, 2);
    for (auto set : {&Object::SetDispId113, &Object::SetDispId114, &Object::SetDispId115, &Object::SetDispId116})
        (table.*set)(0);
    table.AutoFitBehavior(1);
    table.Select();
    m_selection.SetTextOrientation(1);
    Object rows(table.GetRows());
    rows.SetDispId17(36);
    for (int j = 1; j <= rows.GetCount(); ++j)
        Object(rows.RowsItem(j)).SetRowHeight(static_cast<float>(10 * j));
    for (int j = 1; j <= Object(table.GetColumns()).GetCount(); ++j) {
        Object(Object(table.Cell(1, j)).GetRange()).Select();
        m_selection.SelectColumn();
        Object columns(m_selection.GetColumns());
        columns.SetDispId106(3);
        columns.SetDispId105(static_cast<float>(50 * j));
    }
    // Node cell (0, 0) goes to Word cell (1, 2).
    Object(Object(table.Cell(1, 2)).GetRange()).Select();
    Type(u"甲");
    Object(Object(table.Cell(3, 2)).GetRange()).Select();
    VARIANT unit = VARIANT::Long(1);
    VARIANT count = VARIANT::Long(2);
    VARIANT extend = VARIANT::Long(0);
    EXPECT_EQ(m_selection.MoveRight(&unit, &count, &extend), 2);
    const VARIANT position = m_selection.GetInformation(5);
    EXPECT_EQ(position.vt, VT_I4);
    EXPECT_EQ(position.lVal, 0);
    Type(u"後");

    const std::string xml = Xml();
    const std::string vertical = "<w:textDirection w:val=\"tbRl\"/>";
    const auto cell = [&](int width, const std::string& text) {
        const std::string content = text.empty() ? "<w:p></w:p>"
                                                 : "<w:p><w:r><w:rPr><w:sz w:val=\"21\"/><w:szCs w:val=\"21\"/></w:rPr>"
                                                   "<w:t xml:space=\"preserve\">" + text + "</w:t></w:r></w:p>";
        return "<w:tc><w:tcPr><w:tcW w:w=\"" + std::to_string(width) + "\" w:type=\"dxa\"/>" + vertical +
               "</w:tcPr>" + content + "</w:tc>";
    };
    const auto row = [&](int height, const std::string& second) {
        return "<w:tr><w:trPr><w:trHeight w:val=\"" + std::to_string(height) + "\" w:hRule=\"atLeast\"/></w:trPr>" +
               cell(1000, "") + cell(2000, second) + "</w:tr>";
    };
    EXPECT_TRUE(Holds(xml, "<w:p></w:p><w:tbl><w:tblPr><w:tblW w:w=\"0\" w:type=\"auto\"/>"
                           "<w:tblInd w:w=\"720\" w:type=\"dxa\"/>"));
    EXPECT_TRUE(Holds(xml, "<w:tblLayout w:type=\"autofit\"/><w:tblCellMar><w:top w:w=\"0\" w:type=\"dxa\"/>"
                           "<w:left w:w=\"0\" w:type=\"dxa\"/><w:bottom w:w=\"0\" w:type=\"dxa\"/>"
                           "<w:right w:w=\"0\" w:type=\"dxa\"/></w:tblCellMar></w:tblPr>"
                           "<w:tblGrid><w:gridCol w:w=\"1000\"/><w:gridCol w:w=\"2000\"/></w:tblGrid>" +
                               row(200, "甲") + row(400, "") + row(600, "") + "</w:tbl><w:p><w:r>"));
    EXPECT_TRUE(Holds(xml, "<w:t xml:space=\"preserve\">後</w:t></w:r></w:p><w:sectPr>")) << "typed after the table";
}

TEST_F(WordServerTest, GoToFindsAPageThatAPageBreakStartsAndRefusesOneItCannotFind)
{
    Type(u"一");
    PageBreak();
    Type(u"二");
    GoToPage(2);
    Type(u"名");
    GoToPage(1);
    Type(u"頭");
    const std::string run = "<w:rPr><w:sz w:val=\"21\"/><w:szCs w:val=\"21\"/></w:rPr>";
    EXPECT_TRUE(Holds(Xml(), "<w:p><w:r>" + run + "<w:t xml:space=\"preserve\">頭一</w:t></w:r><w:r>" + run +
                                 "<w:br w:type=\"page\"/></w:r><w:r>" + run +
                                 "<w:t xml:space=\"preserve\">名二</w:t></w:r></w:p>"));
    // Without Word's page layout a third page is not known: the name-field pass ends there.
    EXPECT_THROW(GoToPage(3), COleDispatchException);
    EXPECT_THROW(GoToPage(0), COleDispatchException);
}

TEST_F(WordServerTest, APastedPictureIsSizedThroughTheLastInlineShapeOfTheDocument)
{
    Type(u"図");
    ASSERT_TRUE(SetClipboardDib(SmallDib(6, 3)));
    m_selection.Paste();
    Object shapes(m_document.GetInlineShapes());
    ASSERT_EQ(shapes.GetCount(), 1);
    Object shape(shapes.InlineShapesItem(shapes.GetCount()));
    shape.SetShapeWidth(100);
    shape.SetShapeHeight(50);
    const std::string xml = Xml();
    EXPECT_TRUE(Holds(xml, "<w:r><w:drawing><wp:inline distT=\"0\" distB=\"0\" distL=\"0\" distR=\"0\">"
                           "<wp:extent cx=\"1270000\" cy=\"635000\"/><wp:docPr id=\"1\" name=\"Picture 1\"/>"));
    EXPECT_TRUE(Holds(xml, "<a:blip r:embed=\"rId2\"/>"));

    std::vector<ZIP_ENTRY> parts = WordPackageParts(Model());
    ASSERT_EQ(parts.size(), 6u);
    EXPECT_EQ(parts[5].name, "word/media/image1.png");
    QImage picture;
    ASSERT_TRUE(picture.loadFromData(reinterpret_cast<const uchar*>(parts[5].bytes.data()),
                                     static_cast<int>(parts[5].bytes.size()), "PNG"));
    EXPECT_EQ(picture.size(), QSize(6, 3));
    EXPECT_TRUE(Holds(parts[3].bytes, "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/"
                                      "officeDocument/2006/relationships/image\" Target=\"media/image1.png\"/>"));
}

TEST_F(WordServerTest, APastedObjectShowsItsPictureAtItsExtentAndAForeignOneWithoutPictureAFrame)
{
    // A 2 x 1 pixel PNG as the object's picture, and bytes that are no picture.
    QImage red(2, 1, QImage::Format_RGB32);
    red.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(red.save(&buffer, "PNG"));
    struct Case {
        const char* what;
        bool foreign;
        uint16_t kind;
        std::vector<uint8_t> picture;
        QRgb centre;  // of the pasted picture
    } const cases[] = {
        {"the object's own picture", false, Embedding::kPngPicture, std::vector<uint8_t>(png.begin(), png.end()),
         qRgb(255, 0, 0)},
        {"a foreign object whose picture does not read", true, Embedding::kPngPicture, {1, 2, 3}, qRgb(255, 255, 255)},
    };
    for (const Case& c : cases) {
        Embedding::OBJECT_RECORD record;
        record.foreign = c.foreign;
        record.className = "Other.Document";
        record.state.extent = SIZE{2540, 1270};  // 96 x 48 pixels, 72 x 36 points
        record.state.pictureKind = c.kind;
        record.state.picture = c.picture;
        COleClientItem item;
        item.SetRecord(record);
        ASSERT_TRUE(item.CopyToClipboard()) << c.what;
        m_selection.Paste();
    }
    const std::vector<ZIP_ENTRY> parts = WordPackageParts(Model());
    ASSERT_EQ(parts.size(), 7u);
    for (size_t i = 0; i < 2; ++i) {
        QImage picture;
        ASSERT_TRUE(picture.loadFromData(reinterpret_cast<const uchar*>(parts[5 + i].bytes.data()),
                                         static_cast<int>(parts[5 + i].bytes.size()), "PNG"));
        EXPECT_EQ(picture.size(), QSize(96, 48)) << cases[i].what;
        EXPECT_EQ(picture.pixel(48, 24) & 0xFFFFFF, cases[i].centre & 0xFFFFFF) << cases[i].what;
        EXPECT_EQ(picture.pixel(0, 0) & 0xFFFFFF, i == 1 ? 0u : cases[i].centre & 0xFFFFFF) << "the frame";
    }
    EXPECT_TRUE(Holds(Xml(), "<wp:extent cx=\"914400\" cy=\"457200\"/>"));
}

TEST_F(WordServerTest, AFormulaFragmentBecomesAPictureAt300DotsPerInchSizedAsItsExtent)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("QNI1.QNI");
    std::ofstream(path.toStdString())
        << "<?xml version=\"1.0\" encoding=\"Shift-JIS\"?><fo:root xmlns:fo=\"http://www.w3.org/1999/XSL/Format\">"
           "<fo:block-container width=\"50mm\" height=\"10mm\"><fo:block><fo:instream-foreign-object>"
           "<math><mfrac><mi>a</mi><mi>b</mi></mfrac></math></fo:instream-foreign-object></fo:block>"
           "</fo:block-container></fo:root>";
    VARIANT type = VARIANT::String(u"Vumat.Document");
    VARIANT file = VARIANT::String(path.toStdU16String());
    VARIANT no = VARIANT::Bool(false);
    VARIANT missing[4] = {VARIANT::Missing(), VARIANT::Missing(), VARIANT::Missing(), VARIANT::Missing()};
    Object(Object(m_selection.GetInlineShapes())
               .AddOLEObject({&type, &file, &no, &no, &missing[0], &missing[1], &missing[2], &missing[3]}));
    std::vector<std::shared_ptr<WORD_PICTURE>> pictures;
    CWordDocumentModel::CollectPictures(Model().Body(), &pictures);
    ASSERT_EQ(pictures.size(), 1u);
    QImage picture;
    ASSERT_TRUE(picture.loadFromData(reinterpret_cast<const uchar*>(pictures[0]->png.data()),
                                     static_cast<int>(pictures[0]->png.size()), "PNG"));
    // The picture's pixels at 300 dots per inch cover the size it is shown at, half a millimetre
    // of margin included, and the fraction is drawn in them.
    EXPECT_NEAR(picture.width() * 72.0 / 300, pictures[0]->width, 0.5);
    EXPECT_NEAR(picture.height() * 72.0 / 300, pictures[0]->height, 0.5);
    EXPECT_GT(pictures[0]->height, pictures[0]->width / 4) << "a fraction stands two lines high";
    bool ink = false;
    for (int y = 0; y < picture.height() && !ink; ++y)
        for (int x = 0; x < picture.width() && !ink; ++x)
            ink = qGray(picture.pixel(x, y)) < 100;
    EXPECT_TRUE(ink);
    EXPECT_EQ(qGray(picture.pixel(0, 0)), 255) << "no frame of the editing screen";
}

// --- bad input

TEST_F(WordServerTest, BadArgumentsAreRefusedAndTheDocumentStillSaves)
{
    Type(u"字");
    Object table = AddTable(2, 2);
    QTemporaryDir fragments;
    const std::u16string notXml = fragments.filePath("A.QNI").toStdU16String();
    const std::u16string noFormula = fragments.filePath("B.QNI").toStdU16String();
    std::ofstream(fragments.filePath("A.QNI").toStdString()) << "<fo:root";
    std::ofstream(fragments.filePath("B.QNI").toStdString())
        << "<?xml version=\"1.0\"?><fo:root xmlns:fo=\"http://www.w3.org/1999/XSL/Format\"><fo:block-container>"
           "<fo:block>a</fo:block></fo:block-container></fo:root>";
    const auto AddObject = [&](const char16_t* classType, const std::u16string& path) {
        VARIANT type = VARIANT::String(classType);
        VARIANT file = VARIANT::String(path);
        VARIANT no = VARIANT::Bool(false);
        VARIANT missing[4] = {VARIANT::Missing(), VARIANT::Missing(), VARIANT::Missing(), VARIANT::Missing()};
        Object(Object(m_selection.GetInlineShapes())
                   .AddOLEObject({&type, &file, &no, &no, &missing[0], &missing[1], &missing[2], &missing[3]}));
    };
    struct Case {
        const char* what;
        std::function<void()> call;
    };
    const Case cases[] = {
        {"a size of the wrong type", [&] { Font().InvokeHelper(Font().LookUp(u"Size"), DISPATCH_PROPERTYPUT, VT_EMPTY, {VARIANT::String(u"x")}); }},
        {"a missing text", [&] { m_selection.InvokeHelper(m_selection.LookUp(u"TypeText"), DISPATCH_METHOD, VT_EMPTY, {VARIANT::Missing()}); }},
        {"a cell row outside the table", [&] { Object(table.Cell(3, 1)); }},
        {"a cell column of zero", [&] { Object(table.Cell(1, 0)); }},
        {"a start before the paragraph's start", [&] { MoveStart(-5); }},
        {"a ruby over nothing", [&] { Object(m_selection.GetRange()).PhoneticGuide(u"じ", 0, 0, 5, "x"); }},
        {"a negative font size", [&] { Font().SetSize(-3); }},
        {"a huge font size", [&] { Font().SetSize(1e9f); }},
        {"a size that is no number", [&] { Font().SetSize(std::nanf("")); }},
        {"a negative row height", [&] { Object(Object(table.GetRows()).RowsItem(1)).SetRowHeight(-1); }},
        {"a huge page", [&] { PageSetup().SetPageWidth(1e7f); }},
        {"a colour index Word lacks", [&] { Font().SetColorIndex(17); }},
        {"an underline code Word lacks", [&] { Font().SetUnderline(5); }},
        {"a table of no rows", [&] { AddTable(0, 2); }},
        {"a table wider than Word's", [&] { AddTable(1, 64); }},
        {"zero text columns", [&] { Object(PageSetup().GetTextColumns()).SetCount(0); }},
        {"a section break", [&] { VARIANT type = VARIANT::Long(2); m_selection.InsertBreak(&type); }},
        {"an object file that is missing", [&] { AddObject(u"Vumat.Document", u"/nonexistent/QNI1.QNI"); }},
        {"an object file that does not parse", [&] { AddObject(u"Vumat.Document", notXml); }},
        {"an object file without a formula", [&] { AddObject(u"Vumat.Document", noFormula); }},
        {"an object of a class the server does not draw", [&] { AddObject(u"Other.Document", noFormula); }},
        {"an inline shape past the last", [&] { Object shapes(m_document.GetInlineShapes()); Object(shapes.InlineShapesItem(1)); }},
        {"a paste without a picture", [&] { SetClipboardUnicodeText(u"text"); m_selection.Paste(); }},
        {"Information other than the horizontal position", [&] { m_selection.GetInformation(3); }},
    };
    for (const Case& c : cases)
        EXPECT_THROW(c.call(), COleDispatchException) << c.what;

    QTemporaryDir folder;
    const std::string path = folder.filePath("paper.docx").toStdString();
    Save(path);
    std::vector<ZIP_ENTRY> entries;
    ASSERT_TRUE(ReadZipArchive(ReadFile(path), &entries));
    for (const ZIP_ENTRY& entry : entries) {
        if (entry.name.ends_with(".png"))
            continue;
        XmlDocument document;
        EXPECT_TRUE(document.loadXML(Utf8ToUtf16(entry.bytes))) << entry.name;
    }
}

TEST_F(WordServerTest, TextThatXmlCannotHoldIsLeftOutOfTheDocument)
{
    const char16_t text[] = {u'a', 0x0001, 0xD800, u'<', u'&', 0xFFFF, u'\t', u'b', 0};
    Type(text);
    EXPECT_TRUE(Holds(Xml(), "<w:t xml:space=\"preserve\">a\xEF\xBF\xBD&lt;&amp;</w:t><w:tab/>"
                             "<w:t xml:space=\"preserve\">b</w:t>"));
}

// --- saving and showing

TEST_F(WordServerTest, SaveAsWritesTheWholePackageAndVisibleShowsTheSavedFile)
{
    Type(u"保存");
    QTemporaryDir folder;
    const std::string path = folder.filePath("out.docx").toStdString();
    m_app.SetVisible(TRUE);
    EXPECT_TRUE(m_opened.empty()) << "nothing saved yet";
    Save(path);
    std::vector<ZIP_ENTRY> entries;
    ASSERT_TRUE(ReadZipArchive(ReadFile(path), &entries));
    std::vector<std::string> names;
    for (const ZIP_ENTRY& entry : entries)
        names.push_back(entry.name);
    EXPECT_EQ(names, (std::vector<std::string>{"[Content_Types].xml", "_rels/.rels", "word/document.xml",
                                               "word/_rels/document.xml.rels", "word/styles.xml"}));
    EXPECT_TRUE(Holds(entries[0].bytes, "<Override PartName=\"/word/document.xml\" ContentType=\"application/"
                                        "vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>"));
    EXPECT_TRUE(Holds(entries[1].bytes, "Target=\"word/document.xml\""));
    m_app.SetVisible(TRUE);
    EXPECT_EQ(m_opened, std::vector<std::string>{path});

    // A save that cannot be made is reported and leaves the former file whole.
    EXPECT_THROW(Save(folder.filePath("missing/out.docx").toStdString()), COleDispatchException);
    const std::string before = ReadFile(path);
    fs::permissions(folder.path().toStdString(), fs::perms::owner_read | fs::perms::owner_exec);
    if (::access(folder.path().toStdString().c_str(), W_OK) != 0) {
        EXPECT_THROW(Save(path), COleDispatchException);
        EXPECT_EQ(ReadFile(path), before);
    }
    fs::permissions(folder.path().toStdString(), fs::perms::owner_all);

    // Quit ends the document: its objects refuse every call after it.
    VARIANT missing[3] = {VARIANT::Missing(), VARIANT::Missing(), VARIANT::Missing()};
    m_app.Quit(&missing[0], &missing[1], &missing[2]);
    EXPECT_THROW(Type(u"x"), COleDispatchException);
    EXPECT_EQ(WordServerModel(m_app.m_lpDispatch), nullptr);
}

}  // namespace
