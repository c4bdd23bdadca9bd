// MathML as print files and the clipboard carry formulas: the document's element tree imported,
// built into a formula's nodes, and the formula written back as a math element. What is written
// must import again, and a second import and export must write the same text as the first.
#include "base/dom_transfer.h"
#include "base/element_vocabulary.h"
#include "base/xml_node.h"
#include "fuzz/fuzz_input.h"
#include "math/formula.h"
#include "math/math_char.h"
#include "math/mathml_export.h"
#include "math/mathml_import.h"
#include "platform/xml.h"

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

namespace {

// The formula that the document element builds, written back as the text of a math element;
// nothing when the element is none the vocabulary knows.
std::optional<std::u16string> ImportAndExport(const XmlDocument& document)
{
    const XmlNode element = document.documentElement();
    if (!element)
        return std::nullopt;
    std::unique_ptr<CQNXMLNode> math(CreateXMLNode(XMLElementCodeFromName(CStringW(element.nodeName()).c_str())));
    if (!math)
        return std::nullopt;
    ImportDomNode(math.get(), element);

    auto formula = std::make_unique<CEditMath>();
    BuildMathNodes(math.get(), formula.get());
    formula->AppendChild(new CEditMathCR());

    std::unique_ptr<CQNXMLNode> written(CreateXMLNode(XEC_MATH));
    ExportMathRun(formula.get(), 0, written.get());
    XmlDocument output;
    XmlNode root = output.createElement(XMLElementNameFromCode(XEC_MATH).View());
    output.appendChild(root);
    ExportNodeToDom(written.get(), output, root);
    return output.xml();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const MemoryFile file(data, size);
    XmlDocument document;
    if (!document.load(file.Path()))
        return 0;
    const std::optional<std::u16string> once = ImportAndExport(document);
    if (!once)
        return 0;
    XmlDocument again;
    if (!again.loadXML(*once))
        std::abort();  // the export wrote what the import refuses
    if (ImportAndExport(again) != once)
        std::abort();  // the second round trip changed the formula
    return 0;
}
