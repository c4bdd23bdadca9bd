// FO fragment files and their writers.
#include "printfile/fo_fragment.h"

#include "base/attribute_vocabulary.h"
#include "base/dom_transfer.h"
#include "base/element_vocabulary.h"
#include "base/length_units.h"
#include "nodes/edit_switches.h"
#include "printfile/fo_keywords.h"
#include "printfile/template_emitters.h"

#include <climits>
#include <cstdlib>
#include <new>

namespace {

constexpr const char16_t* kFoNamespace = u"http://www.w3.org/1999/XSL/Format";


void SetAttr(XmlNode& element, const char16_t* name, const CStringW& value)
{
    element.setAttribute(name, value.View());
}

// Points and a truncated tenths digit, as line and letter spacings of a block container are.
CStringW TenthPoints(int units)
{
    int points = 0, tenths = 0;
    HmmToPointsTenths(units, points, tenths);
    CStringW text;
    if (tenths > 0)
        text.Format(u"%d.%dpt", points, tenths);
    else
        text.Format(u"%dpt", points);
    return text;
}

// The absolute value of a size, the most negative int giving the largest.
int Magnitude(int value) { return value == INT_MIN ? INT_MAX : std::abs(value); }

CStringW Numbered(const char16_t* stem, int n)
{
    CStringW text;
    text.Format(u"%s%d", stem, n);
    return text;
}

// A container side: a set style gives its keyword (none outside 1 to 7), then "thick" for a
// thick width.
void WriteSide(XmlNode& element, const char16_t* styleName, const char16_t* widthName, int style, int width)
{
    if (style == 0)
        return;
    if (const char16_t* keyword = LineStyleKeyword(style))
        SetAttr(element, styleName, keyword);
    if (width == kLineWidthThick)
        SetAttr(element, widthName, u"thick");
}

// A run's border: style 1 is "solid", with "thick" for a thick width; other styles are written
// without width.
void WriteRunBorder(XmlNode& element, int style, int width)
{
    if (style == 1) {
        SetAttr(element, u"border-style", u"solid");
        if (width == kLineWidthThick)
            SetAttr(element, u"border-width", u"thick");
    } else if (const char16_t* keyword = style >= 2 ? LineStyleKeyword(style) : nullptr) {
        SetAttr(element, u"border-style", keyword);
    }
}

// A run's decoration line: style 1 is written only when thick, other styles without width.
void WriteRunLine(XmlNode& element, const char16_t* styleName, const char16_t* widthName, int style, int width)
{
    if (style == 1) {
        if (width == kLineWidthThick) {
            SetAttr(element, styleName, u"solid");
            SetAttr(element, widthName, u"thick");
        }
    } else if (const char16_t* keyword = style >= 2 ? LineStyleKeyword(style) : nullptr) {
        SetAttr(element, styleName, keyword);
    }
}

bool HasAngleBracket(const CStringW& text) { return text.FindOneOf(u"<>") >= 0; }

}  // namespace

XmlNode CFoFragmentWriter::AppendChildElement(XmlNode parent, int code)
{
    return parent.appendChild(m_document.createElement(XMLElementNameFromCode(code).View()));
}

void CFoFragmentWriter::WriteBlockContainer(CFoBlockContainer* container, XmlNode element, const CStringW& prefix,
                                            XML_BUILD_CONTEXT& context)
{
    try {
        if (container->m_visibility == 2)
            SetAttr(element, u"visibility", u"collapse");
        if (container->m_width > 0)
            SetAttr(element, u"width", FormatMillimetres(container->m_width));
        if (container->m_height > 0)
            SetAttr(element, u"height", FormatMillimetres(container->m_height));
        if (container->m_idClass == XCC_GAI) {
            SetAttr(element, u"id", Numbered(u"gai001", ++context.counters[kCountGai]));
        } else if (container->m_idClass == XCC_KAIPAGE) {
            SetAttr(element, u"id", Numbered(u"kaipage001", ++context.counters[kCountKaiPage]));
            SetAttr(element, u"break-after", u"page");
        } else if ((container->m_width > 0 || container->m_height > 0) && m_variant != FoFragmentVariant::FormulaObject) {
            SetAttr(element, u"id", u"converted");
        }
        const int count = container->GetChildCount();
        for (int i = 0; i < count; ++i) {
            CQNXMLNode* child = container->GetChildAt(i);
            if (!child)
                continue;
            XmlNode childElement = AppendChildElement(element, child->m_typeCode);
            if (child->m_typeCode == XEC_FO_INITIAL_PROPERTY_SET) {
                if (auto* set = NodeAs<CFoInitialPropertySet>(child))
                    WriteInitialPropertySet(set, childElement);
            } else if (child->m_typeCode == XEC_FO_INLINE_CONTAINER) {
                if (auto* inner = NodeAs<CFoInlineContainer>(child))
                    WriteInlineContainer(inner, childElement, prefix, context);
            } else {
                WriteBlockChild(child, childElement, prefix, context);
            }
        }
    } catch (const XmlError&) {
    }
}

// The writers of blocks, floats and tables, shared by every container that holds them; a child
// of another kind keeps the empty element its caller made.
void CFoFragmentWriter::WriteBlockChild(CQNXMLNode* child, XmlNode element, const CStringW& prefix,
                                        XML_BUILD_CONTEXT& context)
{
    if (child->m_typeCode == XEC_FO_BLOCK) {
        if (auto* block = NodeAs<CFoBlock>(child))
            WriteBlock(block, element, prefix, context);
    } else if (child->m_typeCode == XEC_FO_FLOAT) {
        if (auto* floatNode = NodeAs<CFoFloat>(child))
            WriteFloat(floatNode, element, prefix, context);
    } else if (child->m_typeCode == XEC_FO_TABLE_AND_CAPTION) {
        WriteTable(child, element, prefix, context);
    }
}

void CFoFragmentWriter::WriteInitialPropertySet(const CFoInitialPropertySet* set, XmlNode element)
{
    try {
        if (set->m_lineSpacing > 0)
            SetAttr(element, u"line-height.optimum", TenthPoints(set->m_lineSpacing));
        if (set->m_letterSpacing > 0)
            SetAttr(element, u"letter-spacing.optimum", TenthPoints(set->m_letterSpacing));
    } catch (const XmlError&) {
    }
}

void CFoFragmentWriter::WriteBlock(CFoBlock* block, XmlNode element, const CStringW& prefix,
                                   XML_BUILD_CONTEXT& context)
{
    try {
        static const char16_t* const alignments[] = {u"left", u"center", u"right", u"justify"};
        if (block->m_textAlign >= TextAlign::kLeft && block->m_textAlign <= TextAlign::kJustify)
            SetAttr(element, u"text-align", alignments[block->m_textAlign]);
        else if (block->m_textAlign == TextAlign::kDistribute)
            SetAttr(element, u"text-justify", u"distribute");
        const int count = block->GetChildCount();
        for (int i = 0; i < count; ++i) {
            CQNXMLNode* child = block->GetChildAt(i);
            if (!child)
                continue;
            switch (child->m_typeCode) {
            case XEC_FO_INLINE_CONTAINER: {
                XmlNode childElement = AppendChildElement(element, child->m_typeCode);
                if (auto* inner = NodeAs<CFoInlineContainer>(child))
                    WriteInlineContainer(inner, childElement, prefix, context);
                break;
            }
            case XEC_FO_INSTREAM_FOREIGN_OBJECT:
                if (m_variant != FoFragmentVariant::Kanbun) {
                    XmlNode childElement = AppendChildElement(element, child->m_typeCode);
                    if (auto* object = NodeAs<CFoInstreamForeignObject>(child))
                        WriteInstreamObject(object, childElement, context);
                }
                break;
            default:
                WriteRunLikeChild(child, element, prefix, context);
                break;
            }
        }
    } catch (const XmlError&) {
    }
}

// Blocks, runs and pictures, the children that blocks, floats and table cells have in common;
// any other child is left out.
void CFoFragmentWriter::WriteRunLikeChild(CQNXMLNode* child, XmlNode parent, const CStringW& prefix,
                                          XML_BUILD_CONTEXT& context)
{
    if (child->m_typeCode == XEC_FO_BLOCK) {
        WriteBlockChild(child, AppendChildElement(parent, child->m_typeCode), prefix, context);
    } else if (child->m_typeCode == XEC_FO_INLINE) {
        XmlNode element = AppendChildElement(parent, child->m_typeCode);
        if (auto* run = NodeAs<CFoInline>(child))
            WriteInline(run, element);
    } else if (child->m_typeCode == XEC_FO_EXTERNAL_GRAPHIC) {
        XmlNode element = AppendChildElement(parent, child->m_typeCode);
        if (auto* picture = NodeAs<CFoExternalGraphic>(child))
            WriteImage(picture, element, prefix, context);
    }
}

void CFoFragmentWriter::WriteFloat(CFoFloat* floatNode, XmlNode element, const CStringW& prefix,
                                   XML_BUILD_CONTEXT& context)
{
    try {
        if (floatNode->m_floatSide == 1)
            SetAttr(element, u"float", u"left");
        else if (floatNode->m_floatSide == 2)
            SetAttr(element, u"float", u"right");
        const int count = floatNode->GetChildCount();
        for (int i = 0; i < count; ++i) {
            if (CQNXMLNode* child = floatNode->GetChildAt(i))
                WriteRunLikeChild(child, element, prefix, context);
        }
    } catch (const XmlError&) {
    }
}

void CFoFragmentWriter::WriteTable(CQNXMLNode* tableAndCaption, XmlNode element, const CStringW& prefix,
                                   XML_BUILD_CONTEXT& context)
{
    try {
        const CQNXMLNode* table = tableAndCaption->GetChildAt(0);
        if (!table || table->m_typeCode != XEC_FO_TABLE)
            return;
        XmlNode tableElement = AppendChildElement(element, XEC_FO_TABLE);
        const CQNXMLNode* body = table->GetChildAt(0);
        if (!body || body->m_typeCode != XEC_FO_TABLE_BODY)
            return;
        XmlNode bodyElement = AppendChildElement(tableElement, XEC_FO_TABLE_BODY);
        const int rowCount = body->GetChildCount();
        for (int r = 0; r < rowCount; ++r) {
            const CQNXMLNode* row = body->GetChildAt(r);
            if (!row)
                return;
            XmlNode rowElement = AppendChildElement(bodyElement, row->m_typeCode);
            const int cellCount = row->GetChildCount();
            for (int c = 0; c < cellCount; ++c) {
                CQNXMLNode* cell = row->GetChildAt(c);
                if (!cell)
                    return;
                XmlNode cellElement = AppendChildElement(rowElement, cell->m_typeCode);
                if (auto* border = BorderRecordOf(cell)) {
                    if (const char16_t* style = TableCellBorderStyleName(border->m_borderStyle))
                        SetAttr(cellElement, u"border-style", style);
                    if (border->m_borderWidth > 0)
                        SetAttr(cellElement, u"border-width", FormatHalfPoints(border->m_borderWidth));
                }
                const int childCount = cell->GetChildCount();
                for (int i = 0; i < childCount; ++i) {
                    if (CQNXMLNode* child = cell->GetChildAt(i))
                        WriteRunLikeChild(child, cellElement, prefix, context);
                }
            }
        }
    } catch (const XmlError&) {
    }
}

void CFoFragmentWriter::WriteInlineContainer(CFoInlineContainer* container, XmlNode element, const CStringW& prefix,
                                             XML_BUILD_CONTEXT& context)
{
    try {
        switch (container->m_idClass) {
        case XCC_CYUKAI:
            WriteAnswerLikeContainer(container, element, prefix, context, kCountCyukai, u"cyukai", 2);
            break;
        case XCC_KASEN:
            WriteAnswerLikeContainer(container, element, prefix, context, kCountKasen, u"kasen", 6);
            break;
        case XCC_KANA:
            WriteCellLikeContainer(container, element, prefix, context, kCountKanbun, u"kanA001", false);
            break;
        case XCC_KANB:
            WriteCellLikeContainer(container, element, prefix, context, kCountKanbun, u"kanB001", false);
            break;
        case XCC_RUBY:
            WriteCellLikeContainer(container, element, prefix, context, kCountRuby, u"ruby001", true);
            break;
        default:
            WriteContainerContent(container, element, prefix, context);
            break;
        }
    } catch (const XmlError&) {
    }
}

// Every child gets its element; blocks, floats and tables are written into theirs.
void CFoFragmentWriter::WriteContainerContent(CQNXMLNode* container, XmlNode element, const CStringW& prefix,
                                              XML_BUILD_CONTEXT& context)
{
    const int count = container->GetChildCount();
    for (int i = 0; i < count; ++i) {
        CQNXMLNode* child = container->GetChildAt(i);
        if (child)
            WriteBlockChild(child, AppendChildElement(element, child->m_typeCode), prefix, context);
    }
}

// In-text answers and labelled underlines: a numbered id, their class given to the whole
// subtree, and content numbered afresh under one more path step.
void CFoFragmentWriter::WriteAnswerLikeContainer(CFoInlineContainer* container, XmlNode element,
                                                 const CStringW& prefix, XML_BUILD_CONTEXT& context, int counter,
                                                 const char16_t* stem, int classCode)
{
    const int number = ++context.counters[counter];
    SetAttr(element, u"id", Numbered((CStringW(stem) + u"001").c_str(), number));
    container->m_class = classCode;
    container->PropagateClass();
    XML_BUILD_CONTEXT inner;
    WriteContainerContent(container, element, JoinPath(prefix, FormatPathStep(stem, number)), inner);
}

// Kanbun cells and ruby: a numbered id, one side's border, the numbering, and their blocks.
void CFoFragmentWriter::WriteCellLikeContainer(CFoInlineContainer* container, XmlNode element,
                                               const CStringW& prefix, XML_BUILD_CONTEXT& context, int counter,
                                               const char16_t* stem, bool after)
{
    SetAttr(element, u"id", Numbered(stem, ++context.counters[counter]));
    if (after)
        WriteSide(element, u"border-after-style", u"border-after-width", container->m_afterStyle,
                  container->m_afterWidth);
    else
        WriteSide(element, u"border-before-style", u"border-before-width", container->m_beforeStyle,
                  container->m_beforeWidth);
    WriteNumberingAttributes(element, *container);
    const int count = container->GetChildCount();
    for (int i = 0; i < count; ++i) {
        CQNXMLNode* child = container->GetChildAt(i);
        if (!child)
            continue;
        XmlNode childElement = AppendChildElement(element, child->m_typeCode);
        if (child->m_typeCode == XEC_FO_BLOCK)
            WriteBlockChild(child, childElement, prefix, context);
    }
}

void CFoFragmentWriter::WriteInline(const CFoInline* run, XmlNode element)
{
    try {
        const CStringW& text = run->GetText();
        if (HasAngleBracket(text))
            element.appendChild(m_document.createCDATASection(text.View()));
        else if (!text.IsEmpty())
            element.setText(text.View());
        if (run->GetBlank())
            SetAttr(element, u"xml:space", u"preserve");
        SetAttr(element, u"font-family", FaceNameText(run->m_fontFace));
        SetAttr(element, u"font-size", FormatHalfPoints(Magnitude(run->m_fontSize)));
        if (run->m_fontWeight == 700)
            SetAttr(element, u"font-weight", u"bold");
        if (run->m_fontItalic == 1)
            SetAttr(element, u"font-style", u"italic");
        if (run->m_underlineStyle != LineStyle::kNone || run->m_lineThroughStyle != LineStyle::kNone) {
            CStringW decoration = run->m_underlineStyle != LineStyle::kNone ? u"underline" : u"";
            if (run->m_lineThroughStyle != LineStyle::kNone)
                decoration += decoration.IsEmpty() ? u"line-through" : u" line-through";
            SetAttr(element, u"text-decoration", decoration);
        }
        WriteRunLine(element, u"text-underline-style", u"text-underline-width", run->m_underlineStyle,
                     run->m_underlineWidth);
        WriteRunLine(element, u"text-line-through-style", u"text-line-through-width", run->m_lineThroughStyle,
                     run->m_lineThroughWidth);
        if (run->m_fontWidth != 0)
            SetAttr(element, u"font-stretch", run->m_fontWidth == 1 ? u"condensed" : u"expanded");
        if (run->m_color != 0)
            SetAttr(element, u"color", FormatColorValue(run->m_color));
        if (run->m_backgroundColor != 0xFFFFFF)
            SetAttr(element, u"background-color", FormatColorValue(run->m_backgroundColor));
        if (const char16_t* pattern = BackgroundPatternKeyword(run->m_backgroundPattern))
            SetAttr(element, u"background-image", pattern);
        WriteRunBorder(element, run->m_borderStyle, run->m_borderWidth);
        if (run->m_scriptPosition != ScriptPosition::kNormal)
            SetAttr(element, u"baseline-shift", run->m_scriptPosition == ScriptPosition::kSubscript ? u"sub" : u"super");
        if (run->m_letterSpacing != 0) {
            CStringW spacing;
            FormatLengthPoints(run->m_letterSpacing, spacing);
            SetAttr(element, u"letter-spacing.optimum", spacing);
        }
        WriteNumberingAttributes(element, *run);
    } catch (const XmlError&) {
    }
}

void CFoFragmentWriter::WriteImage(const CFoExternalGraphic* picture, XmlNode element, const CStringW& prefix,
                                   XML_BUILD_CONTEXT& context)
{
    try {
        const int number = ++context.counters[kCountImg];
        XmlNode img = element.appendChild(m_document.createElement(u"img"));
        SetAttr(img, u"src", CStringW(picture->m_src.c_str()));
        SetAttr(element, u"src", u"{" + JoinPath(prefix, FormatPathStep(u"img", number)) + u"/@src}");
        SetAttr(element, u"width", FormatMillimetres(picture->m_areaWidth));
        SetAttr(element, u"height", FormatMillimetres(picture->m_areaHeight));
    } catch (const XmlError&) {
    }
}

void CFoFragmentWriter::WriteInstreamObject(const CFoInstreamForeignObject* object, XmlNode element,
                                            XML_BUILD_CONTEXT& context)
{
    try {
        const CQNXMLNode* math = object->GetChildAt(0);
        if (!math || math->m_typeCode != XEC_MATH)
            return;
        ++context.counters[kCountMath];
        XmlNode mathElement = element.appendChild(m_document.createElement(u"math"));
        ExportNodeToDom(math, m_document, mathElement);
    } catch (const XmlError&) {
    }
}

void WriteFoBlockContainer(XmlDocument& document, CFoBlockContainer* container, XmlNode element,
                           const CStringW& prefix, XML_BUILD_CONTEXT& context)
{
    CFoFragmentWriter(document, FoFragmentVariant::Formula).WriteBlockContainer(container, element, prefix, context);
}

void WriteKanbunFoBlockContainer(XmlDocument& document, CFoBlockContainer* container, XmlNode element,
                                 const CStringW& prefix, XML_BUILD_CONTEXT& context)
{
    CFoFragmentWriter(document, FoFragmentVariant::Kanbun).WriteBlockContainer(container, element, prefix, context);
}

namespace {

// The fragment template: the declaration and fo:root holding one empty fo:block-container.
std::u16string FragmentTemplate(bool answersHidden)
{
    std::u16string text = u"<?xml version='1.0' encoding='Shift-JIS'?><fo:root xmlns:fo='";
    text += kFoNamespace;
    text += answersHidden ? u"' version='1.0' id='cyukaiinvisible'>" : u"' version='1.0'>";
    text += u"<fo:block-container/></fo:root>";
    return text;
}

// The fragment document of the container; false when the template cannot be filled.
bool BuildFragment(CFoBlockContainer* container, FoFragmentVariant variant, XmlDocument& document)
{
    const bool answersHidden = variant != FoFragmentVariant::Kanbun && InTextAnswersVisible == 0;
    if (!document.loadXML(FragmentTemplate(answersHidden)))
        return false;
    document.setProperty(u"SelectionLanguage", u"XPath");
    document.setProperty(u"SelectionNamespaces", u"xmlns:fo='" + std::u16string(kFoNamespace) + u"'");
    XmlNode element = document.selectSingleNode(u"//fo:block-container");
    if (!element)
        return false;
    XML_BUILD_CONTEXT context;
    CFoFragmentWriter(document, variant).WriteBlockContainer(container, element, CStringW(), context);
    return true;
}

BOOL ExportFragment(CFoBlockContainer* container, const char* path, FoFragmentVariant variant)
{
    if (!container || !path)
        return FALSE;
    try {
        XmlDocument document;
        if (!BuildFragment(container, variant, document))
            return FALSE;
        return document.save(path) ? TRUE : FALSE;
    } catch (const XmlError&) {
        return FALSE;
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
}

}  // namespace

BOOL ExportMathFo(CFoBlockContainer* container, const char* path)
{
    return ExportFragment(container, path, FoFragmentVariant::Formula);
}

BOOL ExportKanbunFo(CFoBlockContainer* container, const char* path)
{
    return ExportFragment(container, path, FoFragmentVariant::Kanbun);
}

bool WriteFormulaObjectFragment(CFoBlockContainer* container, std::string* bytes)
{
    if (!container || !bytes)
        return false;
    bytes->clear();
    try {
        XmlDocument document;
        return BuildFragment(container, FoFragmentVariant::FormulaObject, document) && document.saveToBytes(bytes);
    } catch (const XmlError&) {
        bytes->clear();
        return false;
    } catch (const std::bad_alloc&) {
        bytes->clear();
        return false;
    }
}
