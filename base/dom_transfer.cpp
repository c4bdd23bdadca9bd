#include "base/dom_transfer.h"

#include "base/attribute_vocabulary.h"
#include "base/element_vocabulary.h"
#include "base/xml_node.h"

#include <exception>
#include <memory>

void ImportDomNode(CQNXMLNode* node, const XmlNode& domNode)
{
    if (!node)
        return;
    // Pieces split by comments, processing instructions or CDATA sections are one text.
    CStringW text;
    bool hasText = false;
    for (const XmlNode& attribute : domNode.attributes())
        if (attribute.nodeType() == XmlNodeType::Attribute)
            SetAttribute(node, CStringW(attribute.nodeName()), CStringW(attribute.nodeValue()));
    for (const XmlNode& child : domNode.childNodes()) {
        switch (child.nodeType()) {
        case XmlNodeType::Element: {
            const CStringW name(child.nodeName());
            std::unique_ptr<CQNXMLNode> object(CreateXMLNode(XMLElementCodeFromName(name.c_str())));
            if (!object)
                break;  // unknown, or without a class: skipped with its subtree
            ImportDomNode(object.get(), child);
            if (node->AppendChild(object.get()) >= 0)
                object.release();
            break;
        }
        case XmlNodeType::Text:
        case XmlNodeType::CDataSection:
            text += CStringW(child.nodeValue());
            hasText = true;
            break;
        default:
            break;
        }
    }
    if (hasText)
        node->SetText(text);
}

void ExportNodeToDom(const CQNXMLNode* node, XmlDocument& document, XmlNode element)
{
    if (!node)
        return;
    WriteMathMLAttributes(node, element);
    const int code = node->m_typeCode;
    if (code < XEC_MI || code > XEC_MTEXT) {
        const int count = node->GetChildCount();
        for (int i = 0; i < count; ++i) {
            const CQNXMLNode* child = node->GetChildAt(i);
            if (!child)
                continue;
            // A child without an element name cannot be written: it ends its parent's transfer.
            const CStringW name = XMLElementNameFromCode(child->m_typeCode);
            if (name.IsEmpty())
                return;
            XmlNode childElement = document.createElement(name.View());
            element.appendChild(childElement);
            ExportNodeToDom(child, document, childElement);
        }
        return;
    }
    const CStringW& text = node->GetText();
    if (text.Find(u'<') >= 0 || text.Find(u'>') >= 0)
        element.appendChild(document.createCDATASection(text.View()));
    else
        element.setText(text.View());
}
