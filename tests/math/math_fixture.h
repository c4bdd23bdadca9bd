// Formulas from MathML text and back, and a compact description of a formula tree, for the tests
// of the formula nodes.
#pragma once

#include "base/default_fonts.h"
#include "base/dom_transfer.h"
#include "base/element_classes.h"
#include "base/element_vocabulary.h"
#include "math/formula.h"
#include "math/formula_family.h"
#include "math/math_char.h"
#include "math/mathml_export.h"
#include "math/mathml_import.h"
#include "math/stretchy_templates.h"
#include "platform/gdi_recording.h"
#include "platform/utf8.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace mathtest {

inline std::string Utf8(std::u16string_view text) { return Utf16ToUtf8(text); }

inline std::u16string FromUtf8(const std::string& text) { return Utf8ToUtf16(text); }

inline std::unique_ptr<CQNXMLNode> ParseMathML(const std::u16string& text)
{
    XmlDocument doc;
    EXPECT_TRUE(doc.loadXML(text)) << Utf8(text);
    const XmlNode element = doc.documentElement();
    std::unique_ptr<CQNXMLNode> node(CreateXMLNode(XMLElementCodeFromName(CStringW(element.nodeName()).c_str())));
    if (node)
        ImportDomNode(node.get(), element);
    return node;
}

// An element tree as XML text, without the font attributes every token carries.
inline std::string WriteMathML(const CQNXMLNode& node)
{
    XmlDocument doc;
    XmlNode element = doc.createElement(XMLElementNameFromCode(node.m_typeCode).View());
    doc.appendChild(element);
    ExportNodeToDom(&node, doc, element);
    std::string text = Utf8(element.xml());
    for (const char* name : {" mathfamily=\"", " mathsize=\"", " mathvariant=\""}) {
        for (size_t at = text.find(name); at != std::string::npos; at = text.find(name)) {
            const size_t close = text.find('"', at + std::string(name).size());
            text.erase(at, close - at + 1);
        }
    }
    return text;
}

// A formula built from a math element the way the print-file reader builds one.
inline std::unique_ptr<CEditMath> FormulaFromMathML(const std::u16string& text)
{
    auto formula = std::make_unique<CEditMath>();
    std::unique_ptr<CQNXMLNode> math = ParseMathML(text);
    BuildMathNodes(math.get(), formula.get());
    formula->AppendChild(new CEditMathCR());
    return formula;
}

// The formula's first line as a math element, as XML text.
inline std::string FormulaToMathML(CEditMath& formula)
{
    std::unique_ptr<CQNXMLNode> math(CreateXMLNode(XEC_MATH));
    ExportMathRun(&formula, 0, math.get());
    return WriteMathML(*math);
}

inline std::string Describe(CEditNode* node);

inline std::string DescribeEmbedded(const CEditMathChar* embedded)
{
    return embedded != nullptr ? Utf8(embedded->GetText().View()) : "-";
}

// Children separated by spaces: a slot end "|", a character its text (a summation or integral
// sign in angle brackets), a template its class without "CEdit", its embedded characters in
// square brackets and its children in parentheses.
inline std::string DescribeChildren(CEditNode* node)
{
    std::string text;
    for (int i = 0; i < node->GetChildCount(); ++i) {
        if (!text.empty())
            text += ' ';
        text += Describe(node->GetEditChild(i));
    }
    return text;
}

inline std::string Describe(CEditNode* node)
{
    if (node == nullptr)
        return "null";
    if (node->IsKind(EditKind::kMathCR))
        return "|";
    if (dynamic_cast<CEditIntegral*>(node) || dynamic_cast<CEditSigma*>(node))
        return "<" + Utf8(node->GetText().View()) + ">";
    if (node->HasKindFlags(EditKind::kCharacter))
        return Utf8(node->GetText().View());
    std::string name = node->GetRuntimeClass()->m_lpszClassName;
    if (name.rfind("CEdit", 0) == 0)
        name = name.substr(5);
    std::string members;
    if (auto* under2 = dynamic_cast<CEditUnder2*>(node))
        members = DescribeEmbedded(under2->m_mark.get());
    else if (auto* over2 = dynamic_cast<CEditOver2*>(node))
        members = DescribeEmbedded(over2->m_mark.get());
    else if (auto* marks = dynamic_cast<CEditUnderover2*>(node))
        members = DescribeEmbedded(marks->m_overMark.get()) + "," + DescribeEmbedded(marks->m_underMark.get());
    else if (auto* arrow = dynamic_cast<CEditOUnderover*>(node))
        members = DescribeEmbedded(arrow->m_glyph.get());
    else if (auto* symbol = dynamic_cast<CEditOPresubSub*>(node))
        members = DescribeEmbedded(symbol->m_symbol.get());
    else if (auto* big = dynamic_cast<CEditBigOperatorTemplate*>(node))
        members = DescribeEmbedded(big->m_glyph.get());
    else if (auto* fenced = dynamic_cast<CEditFenced*>(node))
        members = DescribeEmbedded(fenced->m_open.get()) + "," + DescribeEmbedded(fenced->m_close.get());
    else if (auto* matrix = dynamic_cast<CEditMatrix*>(node))
        members = std::to_string(matrix->m_rows) + "x" + std::to_string(matrix->m_columns);
    else if (auto* frac = dynamic_cast<CEditFrac*>(node); frac && frac->m_bevelled)
        members = "bevelled";
    return name + (members.empty() ? "" : "[" + members + "]") + "(" + DescribeChildren(node) + ")";
}

// Installs the formula family's makers for caret editing.
inline void UseFormulaFamily()
{
    RegisterFormulaFamily();
}

}  // namespace mathtest

namespace mathtest {

// The empty-slot marks a drawing made: rectangles filled with the marks' green.
inline int GreenMarks(const CRecordingDC& dc)
{
    int marks = 0;
    for (const GdiCall& call : dc.CallsOf(GdiOp::Rectangle))
        marks += call.brush.color == 0x00FF00 ? 1 : 0;
    return marks;
}

// Puts formula characters, one per character of each text, into the slots of a container in
// order, before each slot's end.
inline void FillSlots(CEditMathContainer* node, std::initializer_list<std::u16string_view> contents)
{
    int slot = 0;
    for (std::u16string_view text : contents) {
        int end = node->GetSlotStart(slot + 1) - 1;
        const CStringW units{text};
        for (const CStringW& piece : SplitFormulaCharacters(units))
            node->InsertChildAt(end++, new CEditMathChar(piece));
        ++slot;
    }
}

// A new template of the class, with its default slots, appended to the formula.
template <typename Template>
Template* AddTemplate(CEditMathContainer* formula)
{
    auto* node = new Template();
    node->m_lf.lfHeight = -371;
    const int end = formula->GetChildCount() > 0 ? formula->GetChildCount() - 1 : 0;
    formula->InsertChildAt(end, node);
    if constexpr (requires(Template* t) { t->CreateDefaultSlots(); })
        node->CreateDefaultSlots();
    return node;
}

// An empty formula: its line end only.
inline std::unique_ptr<CEditMath> EmptyFormula()
{
    auto formula = std::make_unique<CEditMath>();
    formula->CreateDefaultSlots(0);
    return formula;
}

}  // namespace mathtest
