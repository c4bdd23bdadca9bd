#include "printfile/template_emitters.h"

#include "base/attribute_vocabulary.h"
#include "base/dom_transfer.h"
#include "base/element_classes.h"
#include "base/element_vocabulary.h"
#include "base/length_units.h"
#include "printfile/fo_keywords.h"
#include "platform/codepage.h"

#include <cstdlib>

namespace {

CStringW IntText(const char16_t* format, int value)
{
    CStringW text;
    text.Format(format, value);
    return text;
}

void Set(XmlNode& element, const char16_t* name, const CStringW& value) { element.setAttribute(name, value.View()); }

void WriteDecoration(XmlNode& element, int style, int width, const char16_t* styleName, const char16_t* widthName)
{
    if (style == 1 && width == kLineWidthThick) {
        element.setAttribute(styleName, u"solid");
        element.setAttribute(widthName, u"thick");
    } else if (style >= 2 && style <= 7) {
        element.setAttribute(styleName, LineStyleKeyword(style));
    }
}

// Gives the subtree the container's class, as PropagateClass does, except below each "math"
// element: the formula carries the mark, while its rows keep their own classes, so that an answer
// inside a formula stays one level deep.
void PropagateClassAboveFormulas(CQNXMLNode* node)
{
    for (int i = 0; i < node->GetChildCount(); ++i) {
        CQNXMLNode* child = node->GetChildAt(i);
        child->m_class = node->m_class;
        if (child->m_typeCode != XEC_MATH)
            PropagateClassAboveFormulas(child);
    }
}

}  // namespace

CStringW FormatMillimetres(int units) { return IntText(u"%dmm", units / 100); }

CStringW FormatHalfPoints(int units)
{
    int points = 0;
    int half = 0;
    HmmToPoints(units, points, half);
    CStringW text;
    if (half == 0)
        text.Format(u"%dpt", points);
    else
        text.Format(u"%d.%dpt", points, std::abs(half));
    return text;
}

CStringW FormatTenthPoints(int units)
{
    const int64_t tenths = (int64_t{units} * 720 + 1270) / 2540;
    CStringW text;
    if (tenths % 10 == 0)
        text.Format(u"%dpt", static_cast<int>(tenths / 10));
    else
        text.Format(u"%d.%dpt", static_cast<int>(tenths / 10), static_cast<int>(tenths % 10));
    return text;
}

CStringW JoinPath(const CStringW& prefix, const CStringW& step)
{
    if (prefix.IsEmpty())
        return step;
    return prefix + u"/" + step;
}

XmlNode CTemplateEmitter::AppendElement(XmlNode parent, const CStringW& name)
{
    return parent.appendChild(m_document.createElement(name.View()));
}

void CTemplateEmitter::WriteChildren(CQNXMLNode* fo, ChildSet set, XmlNode data, XmlNode dom, const CStringW& prefix,
                                     XML_BUILD_CONTEXT* context)
{
    for (int i = 0; i < fo->GetChildCount(); ++i) {
        CQNXMLNode* child = fo->GetChildAt(i);
        XmlNode element = AppendElement(dom, XMLElementNameFromCode(child->m_typeCode));
        const int code = child->m_typeCode;
        // Block and frame (and table cell) content is inline level; every set writes blocks.
        const bool inlineLevel = set == ChildSet::Block || set == ChildSet::Float;
        switch (code) {
        case XEC_FO_BLOCK:
            WritePrintBlock(child, data, element, prefix, context);
            break;
        case XEC_FO_FLOAT:
            if (set == ChildSet::BlockContainer || set == ChildSet::InlineContainer || set == ChildSet::AnswerContent)
                WritePrintFloat(child, data, element, prefix, context);
            break;
        case XEC_FO_TABLE_AND_CAPTION:
            if (set == ChildSet::BlockContainer || set == ChildSet::InlineContainer || set == ChildSet::AnswerContent)
                WritePrintTable(child, data, element, prefix, context);
            break;
        case XEC_FO_INITIAL_PROPERTY_SET:
            if (set == ChildSet::BlockContainer)
                WritePrintInitialPropertySet(child, element);
            break;
        case XEC_FO_INLINE_CONTAINER:
            if (set == ChildSet::BlockContainer || set == ChildSet::Block)
                WritePrintInlineContainer(child, data, element, prefix, context);
            break;
        case XEC_FO_INLINE:
            if (inlineLevel)
                WritePrintInline(child, data, element, prefix, context);
            break;
        case XEC_FO_INSTREAM_FOREIGN_OBJECT:
            if (inlineLevel)
                WritePrintInstreamObject(child, data, element, prefix, context);
            break;
        case XEC_FO_EXTERNAL_GRAPHIC:
            if (inlineLevel)
                WritePrintImage(child, data, element, prefix, context);
            break;
        default:
            break;
        }
    }
}

void CTemplateEmitter::WritePrintBlockContainer(CQNXMLNode* fo, XmlNode data, XmlNode dom, const CStringW& prefix,
                                                XML_BUILD_CONTEXT* context)
{
    const auto* container = NodeAs<const CFoBlockContainer>(fo);
    if (container == nullptr)
        return;
    if (container->m_visibility == 2)
        dom.setAttribute(u"visibility", u"collapse");
    if (container->m_width > 0)
        Set(dom, u"width", FormatMillimetres(container->m_width));
    if (fo->m_idClass == XCC_GAI) {
        Set(dom, u"id", IntText(u"gai001%d", ++context->counters[kCountGai]));
    } else if (fo->m_idClass == XCC_KAIPAGE) {
        Set(dom, u"id", IntText(u"kaipage001%d", ++context->counters[kCountKaiPage]));
        dom.setAttribute(u"break-after", u"page");
    }
    WriteChildren(fo, ChildSet::BlockContainer, data, dom, prefix, context);
}

void CTemplateEmitter::WritePrintInitialPropertySet(CQNXMLNode* fo, XmlNode dom)
{
    const auto* set = NodeAs<const CFoInitialPropertySet>(fo);
    if (set == nullptr)
        return;
    if (set->m_lineSpacing > 0)
        Set(dom, u"line-height.optimum", FormatTenthPoints(set->m_lineSpacing));
    if (set->m_letterSpacing > 0)
        Set(dom, u"letter-spacing.optimum", FormatTenthPoints(set->m_letterSpacing));
}

void CTemplateEmitter::WritePrintBlock(CQNXMLNode* fo, XmlNode data, XmlNode dom, const CStringW& prefix,
                                       XML_BUILD_CONTEXT* context)
{
    const auto* block = NodeAs<const CFoBlock>(fo);
    if (block == nullptr)
        return;
    static const char16_t* const kAligns[] = {u"left", u"center", u"right", u"justify"};
    if (block->m_textAlign >= TextAlign::kLeft && block->m_textAlign <= TextAlign::kJustify)
        dom.setAttribute(u"text-align", kAligns[block->m_textAlign]);
    else if (block->m_textAlign == TextAlign::kDistribute)
        dom.setAttribute(u"text-justify", u"distribute");
    WriteChildren(fo, ChildSet::Block, data, dom, prefix, context);
}

void CTemplateEmitter::WritePrintFloat(CQNXMLNode* fo, XmlNode data, XmlNode dom, const CStringW& prefix,
                                       XML_BUILD_CONTEXT* context)
{
    const auto* frame = NodeAs<const CFoFloat>(fo);
    if (frame == nullptr)
        return;
    if (frame->m_floatSide == 1)
        dom.setAttribute(u"float", u"left");
    else if (frame->m_floatSide == 2)
        dom.setAttribute(u"float", u"right");
    WriteChildren(fo, ChildSet::Float, data, dom, prefix, context);
}

void CTemplateEmitter::WritePrintTable(CQNXMLNode* fo, XmlNode data, XmlNode dom, const CStringW& prefix,
                                       XML_BUILD_CONTEXT* context)
{
    CQNXMLNode* table = fo->GetFirstChild();
    if (table == nullptr || table->m_typeCode == XEC_FO_TABLE_CAPTION)
        return;
    if (table->m_typeCode != XEC_FO_TABLE)
        return;
    XmlNode tableElement = AppendElement(dom, XMLElementNameFromCode(XEC_FO_TABLE));
    CQNXMLNode* body = table->GetFirstChild();
    if (body == nullptr || body->m_typeCode != XEC_FO_TABLE_BODY)
        return;
    XmlNode bodyElement = AppendElement(tableElement, XMLElementNameFromCode(XEC_FO_TABLE_BODY));
    for (int r = 0; r < body->GetChildCount(); ++r) {
        CQNXMLNode* row = body->GetChildAt(r);
        XmlNode rowElement = AppendElement(bodyElement, XMLElementNameFromCode(row->m_typeCode));
        for (int c = 0; c < row->GetChildCount(); ++c) {
            CQNXMLNode* cell = row->GetChildAt(c);
            XmlNode cellElement = AppendElement(rowElement, XMLElementNameFromCode(cell->m_typeCode));
            if (const auto* border = BorderRecordOf(cell)) {
                if (const char16_t* style = TableCellBorderStyleName(border->m_borderStyle))
                    cellElement.setAttribute(u"border-style", style);
                if (border->m_borderWidth > 0)
                    Set(cellElement, u"border-width", FormatHalfPoints(border->m_borderWidth));
            }
            WriteChildren(cell, ChildSet::Float, data, cellElement, prefix, context);
        }
    }
}

void CTemplateEmitter::WriteAnswerContainer(CQNXMLNode* fo, XmlNode data, XmlNode dom, const CStringW& prefix,
                                            XML_BUILD_CONTEXT* context, int counter, const char16_t* name,
                                            int propagatedClass)
{
    const int n = ++context->counters[counter];
    Set(dom, u"id", IntText((CStringW(name) + u"001%d").c_str(), n));
    XmlNode answerData = data.appendChild(m_document.createElement(name));
    fo->m_class = propagatedClass;
    PropagateClassAboveFormulas(fo);
    XML_BUILD_CONTEXT fresh;
    WriteChildren(fo, ChildSet::AnswerContent, answerData, dom, JoinPath(prefix, FormatPathStep(name, n)), &fresh);
}

void CTemplateEmitter::WritePrintInlineContainer(CQNXMLNode* fo, XmlNode data, XmlNode dom, const CStringW& prefix,
                                                 XML_BUILD_CONTEXT* context)
{
    auto* container = NodeAs<CFoInlineContainer>(fo);
    if (container == nullptr)
        return;
    switch (fo->m_idClass) {
    case XCC_CYUKAI:
        WriteAnswerContainer(fo, data, dom, prefix, context, kCountCyukai, u"cyukai", XCC_CYUKAI);
        break;
    case XCC_KASEN:
        // Class 6 is not the answer mark, so formulas inside export as plain formulas.
        WriteAnswerContainer(fo, data, dom, prefix, context, kCountKasen, u"kasen", 6);
        break;
    case XCC_KANA:
    case XCC_KANB:
    case XCC_RUBY: {
        const bool ruby = fo->m_idClass == XCC_RUBY;
        const int n = ruby ? ++context->counters[kCountRuby] : ++context->counters[kCountKanbun];
        Set(dom, u"id", IntText(ruby ? u"ruby001%d" : (fo->m_idClass == XCC_KANA ? u"kanA001%d" : u"kanB001%d"), n));
        const int style = ruby ? container->m_afterStyle : container->m_beforeStyle;
        const int width = ruby ? container->m_afterWidth : container->m_beforeWidth;
        if (style != 0) {
            if (const char16_t* styleName = LineStyleKeyword(style))
                dom.setAttribute(ruby ? u"border-after-style" : u"border-before-style", styleName);
            if (width == kLineWidthThick)
                dom.setAttribute(ruby ? u"border-after-width" : u"border-before-width", u"thick");
        }
        WriteNumberingAttributes(dom, *container);
        WriteChildren(fo, ChildSet::BlocksOnly, data, dom, prefix, context);
        break;
    }
    default:
        WriteChildren(fo, ChildSet::InlineContainer, data, dom, prefix, context);
        break;
    }
}

void CTemplateEmitter::WritePrintInline(CQNXMLNode* fo, XmlNode data, XmlNode dom, const CStringW& prefix,
                                        XML_BUILD_CONTEXT* context)
{
    const auto* in = NodeAs<const CFoInline>(fo);
    if (in == nullptr)
        return;
    const int n = ++context->counters[kCountSp];
    XmlNode sp = m_document.createElement(u"sp");
    const std::u16string_view text = fo->GetText().View();
    if (text.find_first_of(u"<>") == std::u16string_view::npos) {
        if (!text.empty())
            sp.setText(text);
    } else {
        sp.appendChild(m_document.createCDATASection(text));
    }
    data.appendChild(sp);
    const bool blank = fo->GetBlank() != 0;
    if (blank)
        sp.setAttribute(u"xml:space", u"preserve");

    if (blank)
        dom.setAttribute(u"xml:space", u"preserve");
    Set(dom, u"font-family", FaceNameText(in->m_fontFace));
    Set(dom, u"font-size", FormatHalfPoints(std::abs(in->m_fontSize)));
    if (in->m_fontWeight == 700)
        dom.setAttribute(u"font-weight", u"bold");
    if (in->m_fontItalic == 1)
        dom.setAttribute(u"font-style", u"italic");
    if (in->m_underlineStyle != LineStyle::kNone && in->m_lineThroughStyle != LineStyle::kNone)
        dom.setAttribute(u"text-decoration", u"underline line-through");
    else if (in->m_underlineStyle != LineStyle::kNone)
        dom.setAttribute(u"text-decoration", u"underline");
    else if (in->m_lineThroughStyle != LineStyle::kNone)
        dom.setAttribute(u"text-decoration", u"line-through");
    WriteDecoration(dom, in->m_underlineStyle, in->m_underlineWidth, u"text-underline-style", u"text-underline-width");
    WriteDecoration(dom, in->m_lineThroughStyle, in->m_lineThroughWidth, u"text-line-through-style",
                    u"text-line-through-width");
    if (in->m_fontWidth == 1)
        dom.setAttribute(u"font-stretch", u"condensed");
    else if (in->m_fontWidth != 0)
        dom.setAttribute(u"font-stretch", u"expanded");
    if (in->m_color != 0)
        Set(dom, u"color", FormatColorValue(in->m_color));
    if (in->m_backgroundColor != 0xFFFFFF)
        Set(dom, u"background-color", FormatColorValue(in->m_backgroundColor));
    if (in->m_backgroundPattern >= HatchPattern::kHorizontal && in->m_backgroundPattern <= HatchPattern::kDiagCross)
        dom.setAttribute(u"background-image", BackgroundPatternKeyword(in->m_backgroundPattern));
    if (in->m_borderStyle != LineStyle::kNone) {
        if (const char16_t* styleName = LineStyleKeyword(in->m_borderStyle))
            dom.setAttribute(u"border-style", styleName);
        if (in->m_borderStyle == LineStyle::kSolid && in->m_borderWidth == kLineWidthThick)
            dom.setAttribute(u"border-width", u"thick");
    }
    if (in->m_scriptPosition == ScriptPosition::kSubscript)
        dom.setAttribute(u"baseline-shift", u"sub");
    else if (in->m_scriptPosition != ScriptPosition::kNormal)
        dom.setAttribute(u"baseline-shift", u"super");
    if (in->m_letterSpacing != 0) {
        CStringW spacing;
        FormatLengthPoints(in->m_letterSpacing, spacing);
        Set(dom, u"letter-spacing.optimum", spacing);
    }
    WriteNumberingAttributes(dom, *in);

    XmlNode valueOf = dom.appendChild(m_document.createElement(u"xsl:value-of"));
    Set(valueOf, u"select", JoinPath(prefix, FormatPathStep(u"sp", n)));
}

void CTemplateEmitter::WritePrintImage(CQNXMLNode* fo, XmlNode data, XmlNode dom, const CStringW& prefix,
                                       XML_BUILD_CONTEXT* context)
{
    const auto* graphic = NodeAs<const CFoExternalGraphic>(fo);
    if (graphic == nullptr)
        return;
    const int n = ++context->counters[kCountImg];
    XmlNode img = data.appendChild(m_document.createElement(u"img"));
    img.setAttribute(u"src", Cp932ToWide(graphic->m_src));
    Set(dom, u"src", u"{" + JoinPath(prefix, FormatPathStep(u"img", n)) + u"/@src}");
    Set(dom, u"width", FormatMillimetres(graphic->m_areaWidth));
    Set(dom, u"height", FormatMillimetres(graphic->m_areaHeight));
}

void CTemplateEmitter::WritePrintInstreamObject(CQNXMLNode* fo, XmlNode data, XmlNode dom, const CStringW& prefix,
                                                XML_BUILD_CONTEXT* context)
{
    CQNXMLNode* first = fo->GetFirstChild();
    if (first == nullptr)
        return;
    const auto copyOf = [&](const CStringW& step) {
        XmlNode instruction = dom.appendChild(m_document.createElement(u"xsl:copy-of"));
        Set(instruction, u"select", JoinPath(prefix, step));
    };
    switch (first->m_typeCode) {
    case XEC_MATH: {
        const int n = ++context->counters[kCountMath];
        XmlNode math = data.appendChild(m_document.createElement(u"math"));
        copyOf(FormatPathStep(u"math", n));
        ExportNodeToDom(first, m_document, math);
        break;
    }
    case XEC_OBJECT: {
        const auto* object = NodeAs<const CMondaiObject>(first);
        if (object == nullptr)
            return;
        const int n = ++context->counters[kCountObject];
        XmlNode element = data.appendChild(m_document.createElement(u"object"));
        element.setAttribute(u"data", Cp932ToWide(object->m_dataPath));
        Set(element, u"width", FormatMillimetres(object->m_width));
        Set(element, u"height", FormatMillimetres(object->m_height));
        copyOf(FormatPathStep(u"object", n));
        break;
    }
    case XEC_DNO:
    case XEC_NO: {
        const bool major = first->m_typeCode == XEC_DNO;
        const int n = ++context->counters[major ? kCountDno : kCountNo];
        const char16_t* name = major ? u"dno" : u"no";
        XmlNode label = data.appendChild(m_document.createElement(name));
        const auto* dno = NodeAs<const CMondaiDno>(first);
        const auto* no = NodeAs<const CMondaiNo>(first);
        const int style = dno != nullptr ? dno->m_numberingStyle : (no != nullptr ? no->m_numberingStyle : -1);
        const bool defaultStyle = m_vertical ? style == 2 : style == 0;
        if (!defaultStyle && style >= 0 && style <= 25)
            label.setAttribute(u"type", std::u16string(1, static_cast<char16_t>(u'a' + style)));
        copyOf(FormatPathStep(name, n));
        break;
    }
    case XEC_HAI: {
        const auto* hai = NodeAs<const CMondaiHai>(first);
        if (hai == nullptr)
            return;
        XmlNode points = data.appendChild(m_document.createElement(u"hai"));
        Set(points, u"type", IntText(u"%d", hai->style));
        if (hai->fence != u"（")
            Set(points, u"fence", hai->fence);
        points.setAttribute(u"visibility", hai->visibility != 0 ? u"visible" : u"collapse");
        const auto value = [&](const char16_t* name, int v) { Set(points, name, IntText(u"%d", v)); };
        switch (hai->style) {
        case 2:
            value(u"p1", hai->p1);
            value(u"p2", hai->p2);
            value(u"p3", hai->p3);
            break;
        case 3:
            value(u"p1", hai->p1);
            value(u"p3", hai->p3);
            break;
        case 1:
        case 4:
            value(u"p3", hai->p3);
            break;
        default:
            break;
        }
        // A second label of the same data element is selected by its own index, so that each
        // label reads back its own values.
        const int index = static_cast<int>(data.selectNodes(u"hai").size());
        copyOf(index > 1 ? FormatPathStep(u"hai", index) : CStringW(u"hai"));
        break;
    }
    default:
        break;
    }
}
