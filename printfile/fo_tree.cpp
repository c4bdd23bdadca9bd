#include "printfile/fo_tree.h"

#include "base/attribute_vocabulary.h"
#include "base/element_classes.h"
#include "base/element_vocabulary.h"
#include "base/xml_node.h"

#include <memory>

namespace {

constexpr int kFoFamily = 0xC00;

// The writer puts a thick run frame as "thick"; the length reader would make it 0. FO elements
// are read for their fields alone, so their attribute texts are not kept; MathML elements keep
// theirs, which their later attributes consult.
void ApplyAttribute(CQNXMLNode* element, const CStringW& name, const CStringW& value)
{
    if ((element->m_typeCode & kFoFamily) == kFoFamily)
        ApplyAttributeToFields(element, name, value);
    else
        SetAttribute(element, name, value);
    if (element->m_typeCode == XEC_FO_INLINE && name == u"border-width" && value == u"thick") {
        if (auto* in = NodeAs<CFoInline>(element))
            in->m_borderWidth = 3;
    }
}

}  // namespace

CQNXMLNode* BuildFoTree(const XmlNode& domNode)
{
    if (!domNode || domNode.nodeType() != XmlNodeType::Element)
        return nullptr;
    const std::u16string name = domNode.nodeName();
    const int code = XMLElementCodeFromName(name.c_str());
    if ((code & XEC_FAMILY_XSL) == 0)
        return nullptr;
    std::unique_ptr<CQNXMLNode> element(CreateXMLNode(code));
    if (element == nullptr)
        return nullptr;
    BuildFoChildren(element.get(), domNode);
    return element.release();
}

void BuildFoChildren(CQNXMLNode* element, const XmlNode& domNode)
{
    if (element == nullptr || !domNode)
        return;
    for (const XmlNode& attribute : domNode.attributes())
        ApplyAttribute(element, CStringW(std::u16string_view(attribute.nodeName())), CStringW(std::u16string_view(attribute.nodeValue())));
    for (XmlNode child = domNode.firstChild(); child; child = child.nextSibling()) {
        switch (child.nodeType()) {
        case XmlNodeType::Element: {
            const std::u16string name = child.nodeName();
            std::unique_ptr<CQNXMLNode> object(CreateXMLNode(XMLElementCodeFromName(name.c_str())));
            if (object == nullptr)
                break;
            BuildFoChildren(object.get(), child);
            if (element->AppendChild(object.get()) >= 0)
                object.release();
            break;
        }
        case XmlNodeType::Text:
        case XmlNodeType::CDataSection:
            element->SetText(CStringW(std::u16string_view(child.nodeValue())));
            break;
        default:
            break;
        }
    }
}
