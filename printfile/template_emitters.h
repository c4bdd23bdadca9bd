// The emitters of a print file's templates: walking the FO tree of one part, each writes its FO
// element as a DOM element of the part's xsl:template, with its properties as XSL-FO attributes
// in a fixed order, and appends the content the template refers to (texts, labels, pictures,
// formulas) to the part's data element, where xsl:value-of and xsl:copy-of select it by a path
// relative to that element. A failed DOM call or allocation is passed on to the writer, which
// then fails the save rather than write a template with part of its content missing.
#pragma once

#include "base/wide_string.h"
#include "platform/xml.h"

struct XML_BUILD_CONTEXT;
class CQNXMLNode;

// The counters of XML_BUILD_CONTEXT, each incremented before its value is used.
enum BUILD_COUNTER : int {
    kCountSp = 0,
    kCountImg,
    kCountMath,
    kCountObject,
    kCountDno,
    kCountNo,
    kCountKanbun,
    kCountRuby,
    kCountCyukai,
    kCountKasen,
    kCountGai,
    kCountKaiPage,
};

class CTemplateEmitter {
public:
    // vertical: the writing direction of the paper, which decides the "type" of question numbers.
    CTemplateEmitter(XmlDocument& document, bool vertical) : m_document(document), m_vertical(vertical) {}

    void WritePrintBlockContainer(CQNXMLNode* fo, XmlNode data, XmlNode dom, const CStringW& prefix, XML_BUILD_CONTEXT* context);
    void WritePrintInitialPropertySet(CQNXMLNode* fo, XmlNode dom);
    void WritePrintBlock(CQNXMLNode* fo, XmlNode data, XmlNode dom, const CStringW& prefix, XML_BUILD_CONTEXT* context);
    void WritePrintFloat(CQNXMLNode* fo, XmlNode data, XmlNode dom, const CStringW& prefix, XML_BUILD_CONTEXT* context);
    void WritePrintTable(CQNXMLNode* fo, XmlNode data, XmlNode dom, const CStringW& prefix, XML_BUILD_CONTEXT* context);
    void WritePrintInlineContainer(CQNXMLNode* fo, XmlNode data, XmlNode dom, const CStringW& prefix, XML_BUILD_CONTEXT* context);
    void WritePrintInline(CQNXMLNode* fo, XmlNode data, XmlNode dom, const CStringW& prefix, XML_BUILD_CONTEXT* context);
    void WritePrintImage(CQNXMLNode* fo, XmlNode data, XmlNode dom, const CStringW& prefix, XML_BUILD_CONTEXT* context);
    void WritePrintInstreamObject(CQNXMLNode* fo, XmlNode data, XmlNode dom, const CStringW& prefix, XML_BUILD_CONTEXT* context);

private:
    enum class ChildSet { BlockContainer, Block, Float, InlineContainer, AnswerContent, BlocksOnly };
    // Visits the children of fo: a DOM element each, named by its code, and the emitter of
    // the codes the set dispatches.
    void WriteChildren(CQNXMLNode* fo, ChildSet set, XmlNode data, XmlNode dom, const CStringW& prefix, XML_BUILD_CONTEXT* context);
    // An in-text answer or labelled underline: its own data element and a fresh numbering.
    void WriteAnswerContainer(CQNXMLNode* fo, XmlNode data, XmlNode dom, const CStringW& prefix, XML_BUILD_CONTEXT* context,
                              int counter, const char16_t* name, int propagatedClass);
    XmlNode AppendElement(XmlNode parent, const CStringW& name);

    XmlDocument& m_document;
    bool m_vertical;
};

// Value texts of the emitters.
// "%dmm" of a length in 1/100 mm, truncated toward zero.
CStringW FormatMillimetres(int units);
// Points rounded to the half point: "%dpt" or "%d.%dpt".
CStringW FormatHalfPoints(int units);
// Points at the nearest tenth: "%dpt" or "%d.%dpt"; a value read back from it keeps its text.
CStringW FormatTenthPoints(int units);
// The path of a data element: the prefix, "/" when it is not empty, and the step.
CStringW JoinPath(const CStringW& prefix, const CStringW& step);
