// MathML as print files and the clipboard carry formulas: the document's element tree imported,
// built into a formula's nodes, and the formula written back as a math element.
#include "base/dom_transfer.h"
#include "base/element_vocabulary.h"
#include "base/xml_node.h"
#include "fuzz/fuzz_input.h"
#include "math/formula.h"
#include "math/math_char.h"
#include "math/mathml_export.h"
#include "math/mathml_import.h"
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
    std::unique_ptr<CQNXMLNode> math(CreateXMLNode(XMLElementCodeFromName(CStringW(element.nodeName()).c_str())));
    if (!math)
        return 0;
    ImportDomNode(math.get(), element);

    auto formula = std::make_unique<CEditMath>();
    BuildMathNodes(math.get(), formula.get());
    formula->AppendChild(new CEditMathCR());

    std::unique_ptr<CQNXMLNode> written(CreateXMLNode(XEC_MATH));
    ExportMathRun(formula.get(), 0, written.get());
    return 0;
}
