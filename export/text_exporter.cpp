#include "export/text_exporter.h"

#include "base/element_vocabulary.h"
#include "export/export_labels.h"
#include "platform/codepage.h"
#include "platform/safe_file.h"

#include <array>

namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr char kGaijiMark[] = "\x81\xA1";  // ■
constexpr char kRootMark[] = "\x81\xE3";   // √

int ElementCode(const XmlNode& node) { return XMLElementCodeFromName(node.nodeName().c_str()); }

bool IsText(const XmlNode& node)
{
    return node.nodeType() == XmlNodeType::Text || node.nodeType() == XmlNodeType::CDataSection;
}

// An attribute's value when the element has it with exactly that value.
bool HasAttributeValue(const XmlNode& element, std::u16string_view name, std::u16string_view value)
{
    const std::optional<std::u16string> found = element.getAttribute(name);
    return found && *found == value;
}

// Whether the element is set in the gaiji font.
bool IsGaijiFont(const XmlNode& element)
{
    const std::optional<std::u16string> family = element.getAttribute(u"font-family");
    return family && family->find(u"Orvellan") != std::u16string::npos;
}

// A text in the code page, or one "■" for every unit of it when it is set in the gaiji font.
void AppendText(const std::u16string& text, bool gaiji, std::string& out)
{
    if (!gaiji) {
        out += WideToCp932(text);
        return;
    }
    for (size_t i = 0; i < text.size(); ++i)
        out += kGaijiMark;
}

std::vector<XmlNode> ElementChildren(const XmlNode& node)
{
    std::vector<XmlNode> elements;
    for (const XmlNode& child : node.childNodes())
        if (child.nodeType() == XmlNodeType::Element)
            elements.push_back(child);
    return elements;
}

}  // namespace

CTextExporter::CTextExporter() = default;
CTextExporter::~CTextExporter() = default;

BOOL CTextExporter::SaveText(const std::string& path, BOOL deleteSource)
{
    if (path.empty())
        return FALSE;
    m_deleteSource = deleteSource;
    std::string text;
    try {
        const XmlNode root = m_dom->documentElement();
        if (!root)
            return FALSE;
        WriteNode(root, text);
    } catch (const XmlError&) {
        return FALSE;
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
    const bool written = !ReplaceFileSafely(path, text);
    DeleteSourceIfAsked();
    return written ? TRUE : FALSE;
}

BOOL CTextExporter::WriteNode(const XmlNode& element, std::string& out)
{
    try {
        switch (ElementCode(element)) {
        case XEC_FO_BLOCK_CONTAINER:
            if (!HasAttributeValue(element, u"visibility", u"collapse"))
                WriteChildren(element, out);
            AdvancePart();
            break;
        case XEC_FO_BLOCK:
            WriteChildren(element, out);
            out += kLineEnd;
            break;
        case XEC_FO_INLINE_CONTAINER: {
            const std::u16string id = element.getAttribute(u"id").value_or(std::u16string());
            const std::vector<XmlNode> children = element.childNodes();
            if (id.find(u"ruby") != std::u16string::npos) {
                // Base, then reading.
                if (children.size() >= 2) {
                    if (children[1].nodeType() == XmlNodeType::Element)
                        WriteChildren(children[1], out);
                    if (children[0].nodeType() == XmlNodeType::Element)
                        WriteChildren(children[0], out);
                }
            } else if (id.find(u"kan") != std::u16string::npos) {
                if (children.size() >= 3) {
                    const std::vector<XmlNode> cell = children[1].childNodes();
                    if (cell.size() >= 3 && cell[1].nodeType() == XmlNodeType::Element)
                        WriteChildren(cell[1], out);
                }
            } else {
                for (const XmlNode& child : children) {
                    if (child.nodeType() == XmlNodeType::Element)
                        WriteChildren(child, out);
                    else if (IsText(child))
                        out += WideToCp932(child.nodeValue());
                }
            }
            break;
        }
        case XEC_FO_INSTREAM_FOREIGN_OBJECT:
            for (const XmlNode& child : ElementChildren(element))
                WriteInstreamChild(child, out);
            break;
        case XEC_FO_EXTERNAL_GRAPHIC:
            break;
        default:
            WriteChildren(element, out);
            break;
        }
    } catch (const XmlError&) {
        return FALSE;
    }
    return TRUE;
}

void CTextExporter::WriteInstreamChild(const XmlNode& child, std::string& out)
{
    const std::u16string name = child.nodeName();
    CStringW label;
    if (name == u"dno") {
        label = MajorNumberLabel(CurrentPart(), m_vertical);
    } else if (name == u"no") {
        label = MinorNumberLabel(CurrentPart(), m_vertical);
    } else if (name == u"hai") {
        POINTS_LABEL points;
        points.type = ReadLabelNumber(child.getAttribute(u"type").value_or(u""));
        points.p1 = ReadLabelNumber(child.getAttribute(u"p1").value_or(u""));
        points.p2 = ReadLabelNumber(child.getAttribute(u"p2").value_or(u""));
        points.p3 = ReadLabelNumber(child.getAttribute(u"p3").value_or(u""));
        label = PointsLabelText(points, CurrentPart(), m_vertical);
    } else if (name == u"math") {
        WriteMath(child, out);
        return;
    }
    out += WideToCp932(label.View());
}

BOOL CTextExporter::WriteChildren(const XmlNode& element, std::string& out)
{
    try {
        const bool gaiji = IsGaijiFont(element);
        for (const XmlNode& child : element.childNodes()) {
            if (child.nodeType() == XmlNodeType::Element) {
                WriteNode(child, out);
            } else if (IsText(child)) {
                AppendText(child.nodeValue(), gaiji, out);
            }
        }
    } catch (const XmlError&) {
        return FALSE;
    }
    return TRUE;
}

BOOL CTextExporter::WriteMathChildren(const XmlNode& element, std::string& out)
{
    try {
        const bool gaiji = IsGaijiFont(element);
        for (const XmlNode& child : element.childNodes()) {
            if (child.nodeType() == XmlNodeType::Element)
                WriteMath(child, out);
            else if (IsText(child))
                AppendText(child.nodeValue(), gaiji, out);
        }
    } catch (const XmlError&) {
        return FALSE;
    }
    return TRUE;
}

BOOL CTextExporter::WriteMath(const XmlNode& element, std::string& out)
{
    try {
        const std::vector<XmlNode> children = ElementChildren(element);
        // The first element child, and the last one after it.
        const XmlNode first = children.empty() ? XmlNode() : children.front();
        const XmlNode second = children.size() >= 2 ? children.back() : XmlNode();
        auto write = [&](const XmlNode& node) {
            if (node)
                WriteMathChildren(node, out);
        };
        switch (ElementCode(element)) {
        case XEC_MFRAC:
            write(first);
            out += "/";
            write(second);
            break;
        case XEC_MSQRT:
            out += kRootMark;
            WriteMathChildren(element, out);
            break;
        case XEC_MROOT:
            write(second);
            out += kRootMark;
            write(first);
            break;
        case XEC_MSUP:
            write(first);
            out += "^";
            write(second);
            break;
        case XEC_MFENCED:
            out += WideToCp932(element.getAttribute(u"open").value_or(u""));
            WriteMathChildren(element, out);
            out += WideToCp932(element.getAttribute(u"close").value_or(u""));
            break;
        case XEC_MMULTISCRIPTS: {
            // Places A, B, C, D; with fewer than three children the second one moves to D.
            std::array<XmlNode, 4> places;
            for (size_t i = 0; i < children.size() && i < 4; ++i)
                places[i] = children[i];
            if (children.size() < 3) {
                places[3] = places[1];
                places[1] = XmlNode();
                places[2] = XmlNode();
            }
            XmlNode p, q;
            if (places[3]) {
                const std::vector<XmlNode> inner = ElementChildren(places[3]);
                if (!inner.empty())
                    p = inner[0];
                if (inner.size() >= 2)
                    q = inner[1];
            }
            write(q);
            write(p);
            write(places[0]);
            write(places[2]);
            write(places[1]);
            break;
        }
        case XEC_NONE:
            break;
        default:
            WriteMathChildren(element, out);
            break;
        }
    } catch (const XmlError&) {
        return FALSE;
    }
    return TRUE;
}
