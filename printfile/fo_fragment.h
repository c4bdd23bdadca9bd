// FO fragment files: one formula (".qni") or one kanbun passage (".qnh") written as a small
// XSL-FO document in code page 932, declared "Shift-JIS", for the word-processor exports and
// the formula editor's embedded objects. One writer family serves both kinds; the variant
// decides the two points where they differ (the root's "id" and whether formulas are written).
#pragma once

#include "base/element_classes.h"
#include "base/property_records.h"
#include "base/wide_string.h"
#include "platform/win_types.h"
#include "platform/xml.h"

#include <string>

// Formula: a ".qni" file of the word-processor exports; FormulaObject: the data of a formula
// object, written as Formula except that a sized block container keeps no "converted" id.
enum class FoFragmentVariant { Formula, Kanbun, FormulaObject };

// Writes element objects into the DOM elements of a fragment document. Each writer fills the
// DOM element its caller has made and appended for the element object, adding attributes in
// the order of its steps and the children it writes; a DOM failure ends only the writer in
// hand, keeping what it already added, and its caller carries on with the next child.
class CFoFragmentWriter {
public:
    CFoFragmentWriter(XmlDocument& document, FoFragmentVariant variant) : m_document(document), m_variant(variant) {}

    void WriteBlockContainer(CFoBlockContainer* container, XmlNode element, const CStringW& prefix,
                             XML_BUILD_CONTEXT& context);
    void WriteInitialPropertySet(const CFoInitialPropertySet* set, XmlNode element);
    void WriteBlock(CFoBlock* block, XmlNode element, const CStringW& prefix, XML_BUILD_CONTEXT& context);
    void WriteFloat(CFoFloat* floatNode, XmlNode element, const CStringW& prefix, XML_BUILD_CONTEXT& context);
    void WriteTable(CQNXMLNode* tableAndCaption, XmlNode element, const CStringW& prefix, XML_BUILD_CONTEXT& context);
    // In-text answers and labelled underlines set their class field and their descendants'.
    void WriteInlineContainer(CFoInlineContainer* container, XmlNode element, const CStringW& prefix,
                              XML_BUILD_CONTEXT& context);
    void WriteInline(const CFoInline* run, XmlNode element);
    void WriteImage(const CFoExternalGraphic* picture, XmlNode element, const CStringW& prefix,
                    XML_BUILD_CONTEXT& context);
    void WriteInstreamObject(const CFoInstreamForeignObject* object, XmlNode element, XML_BUILD_CONTEXT& context);

private:
    // A new element named for code, appended as the last child of parent.
    XmlNode AppendChildElement(XmlNode parent, int code);
    void WriteBlockChild(CQNXMLNode* child, XmlNode parent, const CStringW& prefix, XML_BUILD_CONTEXT& context);
    void WriteRunLikeChild(CQNXMLNode* child, XmlNode parent, const CStringW& prefix, XML_BUILD_CONTEXT& context);
    void WriteContainerContent(CQNXMLNode* container, XmlNode element, const CStringW& prefix,
                               XML_BUILD_CONTEXT& context);
    void WriteAnswerLikeContainer(CFoInlineContainer* container, XmlNode element, const CStringW& prefix,
                                  XML_BUILD_CONTEXT& context, int counter, const char16_t* stem, int classCode);
    void WriteCellLikeContainer(CFoInlineContainer* container, XmlNode element, const CStringW& prefix,
                                XML_BUILD_CONTEXT& context, int counter, const char16_t* stem, bool after);

    XmlDocument& m_document;
    FoFragmentVariant m_variant;
};

// The fragment writers under their own names; the formula ones begin with WriteFo, the kanbun
// ones with WriteKanbunFo. Each writes in its own document.
void WriteFoBlockContainer(XmlDocument& document, CFoBlockContainer* container, XmlNode element,
                           const CStringW& prefix, XML_BUILD_CONTEXT& context);
void WriteKanbunFoBlockContainer(XmlDocument& document, CFoBlockContainer* container, XmlNode element,
                                 const CStringW& prefix, XML_BUILD_CONTEXT& context);

// Writes the formula fragment of container to the file at path (a file-system path): TRUE when
// the file was saved. The root carries "id" = "cyukaiinvisible" while in-text answers are
// hidden. The file is written beside path and renamed over it only when complete.
BOOL ExportMathFo(CFoBlockContainer* container, const char* path);
// The same for a kanbun passage: formulas are left out and the root never carries an "id".
BOOL ExportKanbunFo(CFoBlockContainer* container, const char* path);
// The data of a formula object: the bytes a ".qni" file of the container would hold, written
// into memory. False (bytes empty) when the document cannot be made or saved.
bool WriteFormulaObjectFragment(CFoBlockContainer* container, std::string* bytes);
