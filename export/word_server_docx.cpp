#include "export/word_server_docx.h"

#include "export/word_server_codes.h"
#include "platform/safe_file.h"
#include "platform/utf8.h"
#include "platform/zip_archive.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr char kXmlDeclaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
constexpr char kMainNamespaces[] =
    " xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\""
    " xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\""
    " xmlns:wp=\"http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing\""
    " xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\""
    " xmlns:pic=\"http://schemas.openxmlformats.org/drawingml/2006/picture\"";
// The border every line of a table and a character border get: a single line of half a point.
constexpr char kSingleLine[] = " w:sz=\"4\" w:space=\"0\" w:color=\"auto\"";
// The space between text columns, in twips (7.5 mm).
constexpr int kColumnSpace = 425;
// DrawingML's unit: 12700 to the point.
constexpr int kEmuPerPoint = 12700;

long Twips(float points) { return std::lround(static_cast<double>(points) * 20.0); }
long HalfPoints(float points) { return std::lround(static_cast<double>(points) * 2.0); }
long long Emu(float points) { return std::llround(static_cast<double>(points) * kEmuPerPoint); }

bool IsSurrogateLead(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsSurrogateTrail(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Text as XML character data: escaped, with what XML cannot hold (control characters, halves of
// surrogate pairs, U+FFFE and U+FFFF) left out or replaced.
std::string Escaped(std::u16string_view text)
{
    std::u16string clean;
    clean.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (IsSurrogateLead(c) && i + 1 < text.size() && IsSurrogateTrail(text[i + 1])) {
            clean += c;
            clean += text[++i];
        } else if (IsSurrogateLead(c) || IsSurrogateTrail(c)) {
            clean += u'\uFFFD';
        } else if ((c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') || c == 0xFFFE || c == 0xFFFF) {
            continue;
        } else {
            clean += c;
        }
    }
    std::string out;
    for (char c : Utf16ToUtf8(clean)) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\n': out += "&#10;"; break;
        case '\r': out += "&#13;"; break;
        default: out += c; break;
        }
    }
    return out;
}

std::string Number(long long value) { return std::to_string(value); }

std::string Value(const char* element, const char* value)
{
    return std::string("<") + element + " w:val=\"" + value + "\"/>";
}

std::string Value(const char* element, long long value) { return Value(element, Number(value).c_str()); }

class DocumentWriter {
public:
    explicit DocumentWriter(const CWordDocumentModel& model) : m_model(model) {}

    std::string Write(std::vector<const WORD_PICTURE*>* pictures)
    {
        m_out = kXmlDeclaration;
        m_out += std::string("<w:document") + kMainNamespaces + "><w:body>";
        WriteStory(m_model.Body());
        WriteSection();
        m_out += "</w:body></w:document>";
        *pictures = m_pictures;
        return m_out;
    }

private:
    void WriteStory(const WORD_STORY& story)
    {
        for (const WORD_BLOCK& block : story) {
            if (block.table)
                WriteTable(*block.table);
            else
                WriteParagraph(block.paragraph);
        }
    }

    void WriteParagraph(const WORD_PARAGRAPH& paragraph)
    {
        m_out += "<w:p>";
        const std::string properties = ParagraphProperties(paragraph.format);
        if (!properties.empty())
            m_out += "<w:pPr>" + properties + "</w:pPr>";
        WriteItems(paragraph.items);
        m_out += "</w:p>";
    }

    static std::string ParagraphProperties(const WORD_PARA_FORMAT& format)
    {
        std::string out;
        switch (format.lineSpacingRule) {
        case 0: break;
        case 1: out += "<w:spacing w:line=\"360\" w:lineRule=\"auto\"/>"; break;
        case 2: out += "<w:spacing w:line=\"480\" w:lineRule=\"auto\"/>"; break;
        default:
            if (const char* rule = WordCodeValue(WordCodes::LineSpacingRule(), format.lineSpacingRule))
                out += "<w:spacing w:line=\"" + Number(Twips(format.lineSpacing)) + "\" w:lineRule=\"" + rule + "\"/>";
            break;
        }
        if (format.leftIndent != 0 || format.rightIndent != 0)
            out += "<w:ind w:left=\"" + Number(Twips(format.leftIndent)) + "\" w:right=\"" +
                   Number(Twips(format.rightIndent)) + "\"/>";
        if (format.alignment != 0)
            if (const char* value = WordCodeValue(WordCodes::Alignment(), format.alignment))
                out += Value("w:jc", value);
        if (format.baseLineAlignment != 4)
            if (const char* value = WordCodeValue(WordCodes::BaseLineAlignment(), format.baseLineAlignment))
                out += Value("w:textAlignment", value);
        return out;
    }

    static std::string RunProperties(const WORD_CHAR_FORMAT& format)
    {
        std::string out;
        if (!format.name.empty()) {
            const std::string name = Escaped(format.name);
            out += "<w:rFonts w:ascii=\"" + name + "\" w:eastAsia=\"" + name + "\" w:hAnsi=\"" + name +
                   "\" w:cs=\"" + name + "\"/>";
        }
        if (format.bold)
            out += "<w:b/>";
        if (format.italic)
            out += "<w:i/>";
        if (format.strikeThrough)
            out += "<w:strike/>";
        if (format.colorIndex != 0)
            if (const char* color = WordColorValue(format.colorIndex))
                out += Value("w:color", color);
        if (format.scaling != 100)
            out += Value("w:w", format.scaling);
        out += Value("w:sz", HalfPoints(format.size)) + Value("w:szCs", HalfPoints(format.size));
        if (format.underline != 0)
            if (const char* value = WordCodeValue(WordCodes::Underline(), format.underline))
                out += Value("w:u", value);
        if (format.borderStyle != 0)
            if (const char* value = WordCodeValue(WordCodes::LineStyle(), format.borderStyle))
                out += std::string("<w:bdr w:val=\"") + value + "\"" + kSingleLine + "/>";
        if (format.shadingColorIndex >= 0 || format.texture != 0) {
            const char* pattern = WordCodeValue(WordCodes::Texture(), format.texture);
            const char* fill = format.shadingColorIndex >= 0 ? WordColorValue(format.shadingColorIndex) : "auto";
            out += std::string("<w:shd w:val=\"") + (pattern ? pattern : "clear") + "\" w:color=\"auto\" w:fill=\"" +
                   (fill ? fill : "auto") + "\"/>";
        }
        if (format.superscript)
            out += Value("w:vertAlign", "superscript");
        else if (format.subscript)
            out += Value("w:vertAlign", "subscript");
        return out;
    }

    void OpenRun(const WORD_CHAR_FORMAT& format)
    {
        m_out += "<w:r>";
        const std::string properties = RunProperties(format);
        if (!properties.empty())
            m_out += "<w:rPr>" + properties + "</w:rPr>";
    }

    // Characters of one format go into one run; breaks, pictures and rubies are runs of their own.
    void WriteItems(const std::vector<WORD_ITEM>& items)
    {
        size_t i = 0;
        while (i < items.size()) {
            const WORD_ITEM& item = items[i];
            switch (item.kind) {
            case WordItemKind::Character: {
                size_t end = i;
                std::u16string text;
                while (end < items.size() && items[end].kind == WordItemKind::Character &&
                       items[end].format == item.format)
                    text += items[end++].text;
                OpenRun(item.format);
                WriteText(text);
                m_out += "</w:r>";
                i = end;
                continue;
            }
            case WordItemKind::Break: {
                OpenRun(item.format);
                const char* type = WordCodeValue(WordCodes::Break(), item.breakType);
                if (type == nullptr || std::string(type) == "textWrapping")
                    m_out += "<w:br/></w:r>";
                else
                    m_out += std::string("<w:br w:type=\"") + type + "\"/></w:r>";
                break;
            }
            case WordItemKind::Picture:
                WritePicture(*item.picture);
                break;
            case WordItemKind::Ruby:
                WriteRuby(item);
                break;
            }
            ++i;
        }
    }

    // Text of a run; a tab is an element of its own.
    void WriteText(std::u16string_view text)
    {
        size_t start = 0;
        while (start <= text.size()) {
            const size_t tab = std::min(text.find(u'\t', start), text.size());
            if (tab > start)
                m_out += "<w:t xml:space=\"preserve\">" + Escaped(text.substr(start, tab - start)) + "</w:t>";
            if (tab == text.size())
                break;
            m_out += "<w:tab/>";
            start = tab + 1;
        }
    }

    void WriteRuby(const WORD_ITEM& item)
    {
        const WORD_RUBY& ruby = *item.ruby;
        const long baseSize = HalfPoints(ruby.base.empty() ? item.format.size : ruby.base.front().format.size);
        const char* alignment = WordCodeValue(WordCodes::PhoneticAlignment(), ruby.alignment);
        WORD_CHAR_FORMAT reading = ruby.base.empty() ? item.format : ruby.base.front().format;
        reading.name = ruby.fontName;
        reading.size = static_cast<float>(ruby.fontSize);
        reading.underline = 0;
        reading.borderStyle = 0;
        reading.subscript = reading.superscript = 0;
        // The ruby sits inside a run of its own: outside one, readers drop its base text.
        OpenRun(item.format);
        m_out += "<w:ruby><w:rubyPr>";
        m_out += Value("w:rubyAlign", alignment ? alignment : "center");
        m_out += Value("w:hps", HalfPoints(static_cast<float>(ruby.fontSize)));
        m_out += Value("w:hpsRaise", ruby.raise > 0 ? HalfPoints(static_cast<float>(ruby.raise)) : baseSize);
        m_out += Value("w:hpsBaseText", baseSize);
        m_out += Value("w:lid", "ja-JP");
        m_out += "</w:rubyPr><w:rt>";
        OpenRun(reading);
        WriteText(ruby.reading);
        m_out += "</w:r>";
        m_out += "</w:rt><w:rubyBase>";
        WriteItems(ruby.base);
        m_out += "</w:rubyBase></w:ruby></w:r>";
    }

    void WritePicture(const WORD_PICTURE& picture)
    {
        m_pictures.push_back(&picture);
        const std::string number = Number(static_cast<long long>(m_pictures.size()));
        const std::string relationship = "rId" + Number(static_cast<long long>(m_pictures.size()) + 1);
        const std::string extent =
            "cx=\"" + Number(Emu(picture.width)) + "\" cy=\"" + Number(Emu(picture.height)) + "\"";
        m_out += "<w:r><w:drawing><wp:inline distT=\"0\" distB=\"0\" distL=\"0\" distR=\"0\">";
        m_out += "<wp:extent " + extent + "/>";
        m_out += "<wp:docPr id=\"" + number + "\" name=\"Picture " + number + "\"/>";
        m_out += "<a:graphic><a:graphicData uri=\"http://schemas.openxmlformats.org/drawingml/2006/picture\">";
        m_out += "<pic:pic><pic:nvPicPr><pic:cNvPr id=\"" + number + "\" name=\"image" + number +
                 ".png\"/><pic:cNvPicPr/></pic:nvPicPr>";
        m_out += "<pic:blipFill><a:blip r:embed=\"" + relationship +
                 "\"/><a:stretch><a:fillRect/></a:stretch></pic:blipFill>";
        m_out += "<pic:spPr><a:xfrm><a:off x=\"0\" y=\"0\"/><a:ext " + extent +
                 "/></a:xfrm><a:prstGeom prst=\"rect\"><a:avLst/></a:prstGeom></pic:spPr>";
        m_out += "</pic:pic></a:graphicData></a:graphic></wp:inline></w:drawing></w:r>";
    }

    // The width of the text between the margins along the lines, in points.
    float LineLength() const
    {
        const WORD_SECTION& section = m_model.Section();
        const float length = section.textOrientation != 0
                                 ? section.pageHeight - section.topMargin - section.bottomMargin
                                 : section.pageWidth - section.leftMargin - section.rightMargin;
        return std::max(length / static_cast<float>(std::max(section.columns, 1)), 36.0f);
    }

    void WriteTable(const WORD_TABLE& table)
    {
        m_out += "<w:tbl><w:tblPr><w:tblW w:w=\"0\" w:type=\"auto\"/>";
        if (table.indent != 0)
            m_out += "<w:tblInd w:w=\"" + Number(Twips(table.indent)) + "\" w:type=\"dxa\"/>";
        m_out += "<w:tblBorders>";
        for (const char* side : {"top", "left", "bottom", "right", "insideH", "insideV"})
            m_out += std::string("<w:") + side + " w:val=\"single\"" + kSingleLine + "/>";
        m_out += "</w:tblBorders>";
        if (const char* layout = WordCodeValue(WordCodes::AutoFitBehavior(), table.autoFit))
            m_out += std::string("<w:tblLayout w:type=\"") + layout + "\"/>";
        // Margins in the schema's order: top, left, bottom, right.
        static constexpr std::pair<const char*, int> kMargins[] = {{"top", 0}, {"left", 2}, {"bottom", 1}, {"right", 3}};
        std::string margins;
        for (const auto& [side, index] : kMargins)
            if (table.cellMargins[index] >= 0)
                margins += std::string("<w:") + side + " w:w=\"" + Number(Twips(table.cellMargins[index])) +
                           "\" w:type=\"dxa\"/>";
        if (!margins.empty())
            m_out += "<w:tblCellMar>" + margins + "</w:tblCellMar>";
        m_out += "</w:tblPr><w:tblGrid>";
        for (int column = 0; column < table.columns; ++column) {
            float width = -1;
            for (int row = 0; row < table.rows; ++row)
                width = std::max(width, table.cells[static_cast<size_t>(row * table.columns + column)].preferredWidth);
            if (width < 0)
                width = LineLength() / static_cast<float>(table.columns);
            m_out += "<w:gridCol w:w=\"" + Number(Twips(width)) + "\"/>";
        }
        m_out += "</w:tblGrid>";
        for (int row = 0; row < table.rows; ++row) {
            m_out += "<w:tr>";
            const float height = row < static_cast<int>(table.rowHeights.size()) ? table.rowHeights[static_cast<size_t>(row)] : -1;
            if (height >= 0)
                m_out += "<w:trPr><w:trHeight w:val=\"" + Number(Twips(height)) + "\" w:hRule=\"atLeast\"/></w:trPr>";
            for (int column = 0; column < table.columns; ++column)
                WriteCell(table.cells[static_cast<size_t>(row * table.columns + column)]);
            m_out += "</w:tr>";
        }
        m_out += "</w:tbl>";
    }

    void WriteCell(const WORD_CELL& cell)
    {
        m_out += "<w:tc><w:tcPr>";
        const char* type = WordCodeValue(WordCodes::PreferredWidthType(), cell.preferredWidthType);
        if (cell.preferredWidth >= 0 && type != nullptr && std::string(type) == "dxa")
            m_out += "<w:tcW w:w=\"" + Number(Twips(cell.preferredWidth)) + "\" w:type=\"dxa\"/>";
        else
            m_out += "<w:tcW w:w=\"0\" w:type=\"auto\"/>";
        if (cell.textOrientation != 0)
            if (const char* direction = WordCodeValue(WordCodes::TextOrientation(), cell.textOrientation))
                m_out += Value("w:textDirection", direction);
        m_out += "</w:tcPr>";
        WriteStory(cell.story);
        m_out += "</w:tc>";
    }

    void WriteSection()
    {
        const WORD_SECTION& section = m_model.Section();
        m_out += "<w:sectPr>";
        if (const char* start = WordCodeValue(WordCodes::SectionStart(), section.sectionStart))
            m_out += Value("w:type", start);
        m_out += "<w:pgSz w:w=\"" + Number(Twips(section.pageWidth)) + "\" w:h=\"" + Number(Twips(section.pageHeight)) +
                 "\"";
        if (section.orientation == 1)
            m_out += " w:orient=\"landscape\"";
        m_out += "/>";
        m_out += "<w:pgMar w:top=\"" + Number(Twips(section.topMargin)) + "\" w:right=\"" +
                 Number(Twips(section.rightMargin)) + "\" w:bottom=\"" + Number(Twips(section.bottomMargin)) +
                 "\" w:left=\"" + Number(Twips(section.leftMargin)) + "\" w:header=\"" +
                 Number(Twips(section.headerDistance)) + "\" w:footer=\"" + Number(Twips(section.footerDistance)) +
                 "\" w:gutter=\"" + Number(Twips(section.gutter)) + "\"/>";
        if (section.firstPageTray != 0 || section.otherPagesTray != 0)
            m_out += "<w:paperSrc w:first=\"" + Number(section.firstPageTray) + "\" w:other=\"" +
                     Number(section.otherPagesTray) + "\"/>";
        if (section.lineNumbering != 0)
            m_out += "<w:lnNumType w:countBy=\"1\"/>";
        m_out += "<w:cols";
        if (section.columns > 1)
            m_out += " w:num=\"" + Number(section.columns) + "\"";
        m_out += " w:space=\"" + Number(kColumnSpace) + "\"/>";
        if (section.verticalAlignment != 0)
            if (const char* value = WordCodeValue(WordCodes::VerticalAlignment(), section.verticalAlignment))
                m_out += Value("w:vAlign", value);
        if (section.differentFirstPageHeaderFooter != 0)
            m_out += "<w:titlePg/>";
        if (section.textOrientation != 0)
            if (const char* direction = WordCodeValue(WordCodes::TextOrientation(), section.textOrientation))
                m_out += Value("w:textDirection", direction);
        m_out += "</w:sectPr>";
    }

    const CWordDocumentModel& m_model;
    std::string m_out;
    std::vector<const WORD_PICTURE*> m_pictures;
};

std::string StylesXml()
{
    return std::string(kXmlDeclaration) +
           "<w:styles xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
           "<w:docDefaults><w:rPrDefault><w:rPr>"
           "<w:rFonts w:ascii=\"Times New Roman\" w:eastAsia=\"ＭＳ 明朝\" w:hAnsi=\"Times New Roman\" w:cs=\"Times New Roman\"/>"
           "<w:kern w:val=\"2\"/><w:sz w:val=\"21\"/><w:szCs w:val=\"21\"/>"
           "<w:lang w:val=\"en-US\" w:eastAsia=\"ja-JP\" w:bidi=\"ar-SA\"/>"
           "</w:rPr></w:rPrDefault><w:pPrDefault><w:pPr><w:widowControl w:val=\"0\"/></w:pPr></w:pPrDefault>"
           "</w:docDefaults>"
           "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"><w:name w:val=\"Normal\"/><w:qFormat/></w:style>"
           "<w:style w:type=\"character\" w:default=\"1\" w:styleId=\"DefaultParagraphFont\">"
           "<w:name w:val=\"Default Paragraph Font\"/><w:uiPriority w:val=\"1\"/><w:semiHidden/></w:style>"
           "<w:style w:type=\"table\" w:default=\"1\" w:styleId=\"TableNormal\"><w:name w:val=\"Normal Table\"/>"
           "<w:tblPr><w:tblInd w:w=\"0\" w:type=\"dxa\"/><w:tblCellMar><w:top w:w=\"0\" w:type=\"dxa\"/>"
           "<w:left w:w=\"108\" w:type=\"dxa\"/><w:bottom w:w=\"0\" w:type=\"dxa\"/><w:right w:w=\"108\" w:type=\"dxa\"/>"
           "</w:tblCellMar></w:tblPr></w:style>"
           "</w:styles>";
}

std::string ContentTypesXml()
{
    return std::string(kXmlDeclaration) +
           "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
           "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
           "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
           "<Default Extension=\"png\" ContentType=\"image/png\"/>"
           "<Override PartName=\"/word/document.xml\" "
           "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>"
           "<Override PartName=\"/word/styles.xml\" "
           "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml\"/>"
           "</Types>";
}

constexpr char kRelationshipsOpen[] =
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
constexpr char kRelationshipType[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

std::string Relationship(const std::string& id, const char* type, const std::string& target)
{
    return "<Relationship Id=\"" + id + "\" Type=\"" + kRelationshipType + type + "\" Target=\"" + target + "\"/>";
}

}  // namespace

std::string WordDocumentXml(const CWordDocumentModel& model, std::vector<const WORD_PICTURE*>* pictures)
{
    return DocumentWriter(model).Write(pictures);
}

std::vector<ZIP_ENTRY> WordPackageParts(const CWordDocumentModel& model)
{
    std::vector<const WORD_PICTURE*> pictures;
    std::string document = WordDocumentXml(model, &pictures);
    std::string documentRelationships = std::string(kXmlDeclaration) + kRelationshipsOpen +
                                        Relationship("rId1", "styles", "styles.xml");
    std::vector<ZIP_ENTRY> media;
    for (size_t i = 0; i < pictures.size(); ++i) {
        const std::string name = "image" + std::to_string(i + 1) + ".png";
        documentRelationships += Relationship("rId" + std::to_string(i + 2), "image", "media/" + name);
        media.push_back({"word/media/" + name, pictures[i]->png});
    }
    documentRelationships += "</Relationships>";
    std::vector<ZIP_ENTRY> parts = {
        {"[Content_Types].xml", ContentTypesXml()},
        {"_rels/.rels", std::string(kXmlDeclaration) + kRelationshipsOpen +
                            Relationship("rId1", "officeDocument", "word/document.xml") + "</Relationships>"},
        {"word/document.xml", std::move(document)},
        {"word/_rels/document.xml.rels", std::move(documentRelationships)},
        {"word/styles.xml", StylesXml()},
    };
    for (ZIP_ENTRY& entry : media)
        parts.push_back(std::move(entry));
    return parts;
}

std::error_code SaveWordPackage(const CWordDocumentModel& model, const std::string& path)
{
    std::string archive;
    if (!WriteZipArchive(WordPackageParts(model), &archive))
        return std::make_error_code(std::errc::not_enough_memory);
    return ReplaceFileSafely(path, archive);
}
