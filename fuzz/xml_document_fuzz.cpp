// XML documents as files give them: encoding detection, parsing, and reading the tree back.
#include "fuzz/fuzz_input.h"
#include "platform/xml.h"

#include <cstring>
#include <string>

namespace {

// Visits every node the way the document readers do: names, values, attributes, text.
void Walk(const XmlNode& node, int depth)
{
    if (!node || depth > 200)
        return;
    (void)node.nodeName();
    (void)node.nodeValue();
    (void)node.namespaceURI();
    for (const XmlNode& attribute : node.attributes())
        (void)attribute.nodeValue();
    for (XmlNode child = node.firstChild(); child; child = child.nextSibling())
        Walk(child, depth + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const MemoryFile file(data, size);
    XmlDocument document;
    if (document.load(file.Path())) {
        Walk(document.node(), 0);
        (void)document.xml();
        (void)document.selectNodes(u"//*[@id]");
    }
    // The same bytes as the UTF-16 text of a string-loaded document.
    XmlDocument fromText;
    std::u16string text(size / 2, u'\0');
    if (!text.empty())
        std::memcpy(text.data(), data, text.size() * 2);
    fromText.loadXML(text);
    return 0;
}
