// The conversions of one formula between its editing tree and XSL-FO: the print-file
// converters and fragment writers in their formula-object form, which writes no side files,
// never marks a sized block container "converted" and reads only MathML from instream objects.
#include "formula/vumat_doc.h"

#include "base/element_classes.h"
#include "nodes/edit_error.h"
#include "printfile/edit_to_fo.h"
#include "printfile/fo_fragment.h"
#include "printfile/fo_to_edit.h"

#include <new>

void CVumatDoc::BuildXmlTree(CEditNode* node, CQNXMLNode* output, XML_BUILD_CONTEXT* context)
{
    try {
        ::BuildXmlTree(node, output, context, FoTreeVariant::FormulaObject);
    } catch (const std::bad_alloc&) {
        // The conversion of the node ends; what was appended stays.
    } catch (const CEditError&) {
    }
}

void CVumatDoc::WriteFoBlockContainer(XmlDocument& document, CFoBlockContainer* container, XmlNode element,
                                      const CStringW& prefix, XML_BUILD_CONTEXT& context)
{
    CFoFragmentWriter(document, FoFragmentVariant::FormulaObject).WriteBlockContainer(container, element, prefix, context);
}

int CVumatDoc::BuildFromFo(CQNXMLNode* element, CEditNode* target)
{
    try {
        CFoToEditBuilder::ForFormulaObject().BuildFromFo(element, target);
        return 1;
    } catch (const std::bad_alloc&) {
        return 0;
    } catch (const CEditError&) {
        return 0;
    }
}

void CVumatDoc::BuildFoInlines(CQNXMLNode* block, CEditNode* target)
{
    try {
        CFoToEditBuilder::ForFormulaObject().BuildFoInlines(block, target);
    } catch (const std::bad_alloc&) {
    } catch (const CEditError&) {
    }
}
