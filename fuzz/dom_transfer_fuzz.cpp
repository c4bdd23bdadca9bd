// DOM transfer as the formula readers use it: a document's element imported into element
// objects, and the objects written back into a fresh document.
#include "base/dom_transfer.h"
#include "base/element_classes.h"
#include "base/element_vocabulary.h"
#include "base/xml_node.h"
#include "fuzz/fuzz_input.h"
#include "platform/xml.h"

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const MemoryFile file(data, size);
    XmlDocument document;
    if (!document.load(file.Path()))
        return 0;
    const XmlNode element = document.documentElement();
    if (!element)
        return 0;
    const int code = XMLElementCodeFromName(CStringW(element.nodeName()).c_str());
    std::unique_ptr<CQNXMLNode> node(CreateXMLNode(code));
    if (!node)
        node = std::make_unique<CQNXMLNode>(code);
    ImportDomNode(node.get(), element);

    // Written back under its vocabulary name, or under the name it came with when it has none
    // (which createElement may refuse: it checks names by stricter rules than the parser).
    XmlDocument output;
    const CStringW name = XMLElementNameFromCode(node->m_typeCode);
    XmlNode root;
    try {
        root = output.createElement(name.View().empty() ? element.nodeName() : name.View());
    } catch (const XmlError&) {
        return 0;
    }
    output.appendChild(root);
    ExportNodeToDom(node.get(), output, root);
    (void)output.xml();
    return 0;
}
