#include "export/html_exporter.h"

#include "base/element_vocabulary.h"
#include "base/length_units.h"
#include "export/export_labels.h"
#include "export/png_pictures.h"
#include "math/formula.h"
#include "platform/utf8.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Vertical writing, as browsers understand it.
constexpr char16_t kVerticalSkeleton[] =
    u"<?xml version='1.0' encoding='UTF-16'?><html><div style='writing-mode:vertical-rl;'/></html>";
constexpr char16_t kHorizontalSkeleton[] = u"<?xml version='1.0' encoding='UTF-16'?><html/>";
constexpr char16_t kVerticalLabelStyle[] = u"font-family:@ＭＳ 明朝; font-size:10.5pt;";


bool IsHidden(const XmlNode& node)
{
    if (node.nodeType() != XmlNodeType::Element)
        return false;
    const std::optional<std::u16string> visibility = node.getAttribute(u"visibility");
    return visibility && *visibility == u"collapse";
}

void AppendStyle(std::u16string& style, const std::u16string& name, const std::u16string& value)
{
    style += name + u":" + value + u"; ";
}

// What ConvertNode reads of an element's attributes.
struct ELEMENT_FACTS {
    std::u16string id;
    bool hidden = false;
    int script = 0;  // 1 below, 2 above
    std::u16string style;
};

ELEMENT_FACTS ReadFacts(const XmlNode& element)
{
    ELEMENT_FACTS facts;
    for (const XmlNode& attribute : element.attributes()) {
        const std::u16string name = attribute.nodeName();
        const std::u16string value = attribute.nodeValue();
        if (name == u"id")
            facts.id = value;
        if (name == u"visibility") {
            if (value == u"collapse")
                facts.hidden = true;
        } else if (name == u"baseline-shift") {
            facts.script = value == u"sub" ? 1 : value == u"super" ? 2 : 0;
        } else {
            AppendStyle(facts.style, name, value);
        }
    }
    return facts;
}

int LabelNumber(const XmlNode& element, const char16_t* name)
{
    return ReadLabelNumber(element.getAttribute(name).value_or(u""));
}

}  // namespace

CHtmlExporter::CHtmlExporter() : m_html(std::make_unique<XmlDocument>()) {}

CHtmlExporter::~CHtmlExporter() = default;

XmlNode CHtmlExporter::Append(XmlNode& parent, const char16_t* name)
{
    return parent.appendChild(m_html->createElement(name));
}

std::u16string CHtmlExporter::ImageSource(const std::string& fileName) const
{
    return Utf8ToUtf16(m_outputName + ".files\\" + fileName);
}

std::string CHtmlExporter::ImagePath(const std::string& fileName) const { return m_imagesFolder + "/" + fileName; }

bool CHtmlExporter::MakeImagesFolder()
{
    std::error_code error;
    if (fs::is_directory(m_imagesFolder, error))
        return true;
    return fs::create_directory(m_imagesFolder, error) && !error;
}

BOOL CHtmlExporter::SaveHtml(const std::string& path, BOOL deleteSource)
{
    if (path.empty())
        return FALSE;
    m_deleteSource = deleteSource;
    m_outputPath = path;
    const SPLIT_PATH split = SplitFilePath(path);
    m_outputDirectory = split.directory;
    m_outputName = split.name;
    m_outputExtension = split.extension;
    m_imagesFolder = m_outputDirectory + m_outputName + ".files";

    BOOL saved = FALSE;
    try {
        if (!m_html->loadXML(m_vertical ? kVerticalSkeleton : kHorizontalSkeleton)) {
            ShowMessage(ErrorText(u"XML Parsing", m_html->parseError()));
        } else {
            m_html->setProperty(u"SelectionLanguage", u"XPath");
            const XmlNode foRoot = m_dom->documentElement();
            XmlNode target = m_vertical ? m_html->selectSingleNode(u"//div") : m_html->documentElement();
            if (foRoot && target) {
                m_formulaImageCounter = 1;
                ConvertNode(foRoot, target);
                saved = m_html->save(path, XmlEncoding::Utf16) ? TRUE : FALSE;
            }
        }
    } catch (const XmlError&) {
        saved = FALSE;
    } catch (const std::bad_alloc&) {
        saved = FALSE;
    }
    // The source print file goes once the page is written, not after every element.
    DeleteSourceIfAsked();
    return saved;
}

BOOL CHtmlExporter::ConvertChildren(const XmlNode& element, XmlNode& parent)
{
    try {
        for (const XmlNode& child : element.childNodes()) {
            if (child.nodeType() == XmlNodeType::Element)
                ConvertNode(child, parent);
            else if (child.nodeType() == XmlNodeType::Text)
                parent.appendChild(m_html->createTextNode(child.nodeValue()));
            else if (child.nodeType() == XmlNodeType::CDataSection)
                parent.appendChild(m_html->createCDATASection(child.nodeValue()));
        }
    } catch (const XmlError&) {
        return FALSE;
    }
    return TRUE;
}

BOOL CHtmlExporter::ConvertNode(const XmlNode& element, XmlNode& parent)
{
    try {
        const ELEMENT_FACTS facts = ReadFacts(element);
        const int code = XMLElementCodeFromName(element.nodeName().c_str());
        if (code == XEC_FO_BLOCK_CONTAINER) {
            BOOL result = TRUE;
            if (!facts.hidden) {
                XmlNode div = Append(parent, u"div");
                result = ConvertChildren(element, div);
            }
            AdvancePart();
            return result;
        }
        if (facts.hidden)
            return TRUE;
        switch (code) {
        case XEC_FO_BLOCK: {
            XmlNode div = Append(parent, u"div");
            return ConvertChildren(element, div);
        }
        case XEC_FO_FLOAT: {
            XmlNode div = Append(parent, u"div");
            std::u16string style;
            for (const XmlNode& attribute : element.attributes()) {
                AppendStyle(style, attribute.nodeName(), attribute.nodeValue());
                if (attribute.nodeName() == u"float")
                    div.setAttribute(u"align", attribute.nodeValue());
            }
            if (!style.empty())
                div.setAttribute(u"style", style);
            return ConvertChildren(element, div);
        }
        case XEC_FO_INLINE_CONTAINER: {
            const std::vector<XmlNode> children = element.childNodes();
            if (facts.id.find(u"ruby") != std::u16string::npos) {
                XmlNode ruby = Append(parent, u"ruby");
                if (children.size() >= 2) {
                    XmlNode base = Append(ruby, u"rb");
                    if (children[1].nodeType() == XmlNodeType::Element)
                        ConvertChildren(children[1], base);
                    XmlNode reading = Append(ruby, u"rt");
                    if (children[0].nodeType() == XmlNodeType::Element)
                        ConvertChildren(children[0], reading);
                }
                return TRUE;
            }
            if (facts.id.find(u"kan") != std::u16string::npos) {
                if (children.size() >= 3) {
                    const std::vector<XmlNode> cell = children[1].childNodes();
                    if (cell.size() >= 3 && cell[1].nodeType() == XmlNodeType::Element)
                        return ConvertNode(cell[1], parent);
                }
                return TRUE;
            }
            XmlNode span = Append(parent, u"span");
            return ConvertChildren(element, span);
        }
        case XEC_FO_INLINE: {
            XmlNode run = Append(parent, facts.script == 1 ? u"sub" : facts.script == 2 ? u"sup" : u"span");
            if (!facts.style.empty())
                run.setAttribute(u"style", facts.style);
            return ConvertChildren(element, run);
        }
        case XEC_FO_INSTREAM_FOREIGN_OBJECT:
            return ConvertInstream(element, parent);
        case XEC_FO_EXTERNAL_GRAPHIC:
            return ConvertPicture(element, parent);
        case XEC_FO_TABLE: {
            XmlNode table = Append(parent, m_vertical ? u"div" : u"table");
            if (!m_vertical)
                table.setAttribute(u"style", u"border-collapse:collapse;");
            return ConvertChildren(element, table);
        }
        case XEC_FO_TABLE_ROW: {
            XmlNode row = Append(parent, m_vertical ? u"div" : u"tr");
            return ConvertChildren(element, row);
        }
        case XEC_FO_TABLE_CELL:
            if (m_vertical) {
                for (const XmlNode& child : element.childNodes())
                    if (child.nodeType() == XmlNodeType::Element)
                        ConvertChildren(child, parent);
                return TRUE;
            } else {
                XmlNode cell = Append(parent, u"td");
                if (!facts.style.empty())
                    cell.setAttribute(u"style", facts.style);
                return ConvertChildren(element, cell);
            }
        default:
            return ConvertChildren(element, parent);
        }
    } catch (const XmlError&) {
        return FALSE;
    }
}

BOOL CHtmlExporter::ConvertInstream(const XmlNode& element, XmlNode& parent)
{
    for (const XmlNode& child : element.childNodes()) {
        if (IsHidden(child))
            break;
        if (child.nodeType() != XmlNodeType::Element)
            continue;
        const std::u16string name = child.nodeName();
        if (name == u"dno" || name == u"no") {
            XmlNode span = Append(parent, u"span");
            if (m_vertical)
                span.setAttribute(u"style", kVerticalLabelStyle);
            const CStringW text = name == u"dno" ? MajorNumberLabel(CurrentPart(), m_vertical)
                                                 : MinorNumberLabel(CurrentPart(), m_vertical);
            if (!text.IsEmpty())
                span.appendChild(m_html->createTextNode(text.View()));
        } else if (name == u"hai") {
            XmlNode span = Append(parent, u"span");
            POINTS_LABEL label;
            label.type = LabelNumber(child, u"type");
            label.p1 = LabelNumber(child, u"p1");
            label.p2 = LabelNumber(child, u"p2");
            label.p3 = LabelNumber(child, u"p3");
            const CStringW text = PointsLabelText(label, CurrentPart(), m_vertical);
            if (!text.IsEmpty())
                span.appendChild(m_html->createTextNode(text.View()));
        } else if (name == u"object") {
            bool endInstream = false;
            const BOOL converted = ConvertObject(child, parent, &endInstream);
            if (endInstream || !converted)
                return converted;
        } else if (name == u"math") {
            if (!ConvertFormula(child, parent))
                return FALSE;
        }
    }
    return TRUE;
}

BOOL CHtmlExporter::ConvertObject(const XmlNode& object, XmlNode& parent, bool* endInstream)
{
    XmlNode image = Append(parent, u"img");
    std::u16string style;
    std::string sideFile;
    std::string pictureName;
    SIZE size{0, 0};
    for (const XmlNode& attribute : object.attributes()) {
        const std::u16string name = attribute.nodeName();
        const std::u16string value = attribute.nodeValue();
        if (name == u"data") {
            // Only a bare file name beside the print file is read.
            sideFile = SideFilePath(value);
            if (sideFile.empty())
                continue;
            if (!MakeImagesFolder())
                return FALSE;
            pictureName = SplitFilePath(Utf16ToUtf8(value)).name + "o.png";
            image.setAttribute(u"src", ImageSource(pictureName));
        } else {
            AppendStyle(style, name, value);
            if (name == u"width")
                size.cx = ParseLength(CStringW(value));
            else if (name == u"height")
                size.cy = ParseLength(CStringW(value));
        }
    }
    if (!style.empty())
        image.setAttribute(u"style", style);
    if (pictureName.empty())
        return TRUE;

    OBJECT_SIDE_FILE_STATE state = ReadObjectSideFile(sideFile);
    if (state == OBJECT_SIDE_FILE_STATE::Unopenable) {
        ShowMessage(u"ファイル " + Utf8ToUtf16(fs::path(sideFile).filename().string()) + u" を開けません。");
        *endInstream = true;
        return TRUE;
    }
    if (state != OBJECT_SIDE_FILE_STATE::Readable)
        return FALSE;
    const bool written = WriteObjectFramePng(ImagePath(pictureName), size);
    if (m_deleteSource) {
        std::error_code error;
        fs::remove(sideFile, error);
    }
    return written ? TRUE : FALSE;
}

BOOL CHtmlExporter::ConvertFormula(const XmlNode& math, XmlNode& parent)
{
    XmlNode image = Append(parent, u"img");
    if (!MakeImagesFolder())
        return FALSE;
    char name[32];
    std::snprintf(name, sizeof name, "%02dm.png", m_formulaImageCounter++);
    image.setAttribute(u"src", ImageSource(name));
    image.setAttribute(u"style", u"vertical-align:middle;");
    CEditEditMath formula;
    formula.LoadMathML(math);
    const HBITMAP bitmap = formula.CreateBitmap();
    if (!bitmap)
        return TRUE;
    WriteBitmapPng(ImagePath(name), bitmap);
    DeleteObject(bitmap);
    return TRUE;
}

BOOL CHtmlExporter::ConvertPicture(const XmlNode& graphic, XmlNode& parent)
{
    XmlNode image = Append(parent, u"img");
    std::u16string style;
    for (const XmlNode& attribute : graphic.attributes()) {
        const std::u16string name = attribute.nodeName();
        const std::u16string value = attribute.nodeValue();
        if (name == u"src") {
            // Only a bare file name beside the print file is read, copied or deleted.
            const std::string source = SideFilePath(value);
            if (source.empty())
                continue;
            const std::string fileName = Utf16ToUtf8(value);
            image.setAttribute(u"src", ImageSource(fileName));
            if (!MakeImagesFolder())
                return FALSE;
            const std::string destination = ImagePath(fileName);
            std::error_code error;
            if (source != destination &&
                fs::copy_file(source, destination, fs::copy_options::overwrite_existing, error) && m_deleteSource)
                fs::remove(source, error);
        } else if (!m_vertical) {
            AppendStyle(style, name, value);
        } else if (name == u"width") {
            AppendStyle(style, u"height", value);
        } else if (name == u"height") {
            AppendStyle(style, u"width", value);
        }
    }
    if (!style.empty())
        image.setAttribute(u"style", style);
    return TRUE;
}
