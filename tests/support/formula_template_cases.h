// The formula templates described compactly, and the table of what every template command
// builds, for the tests of both editors' template commands: each template at the typing height
// −370, its script slots at −211.
#pragma once

#include "math/formula.h"
#include "math/math_char.h"
#include "math/math_templates.h"
#include "math/stretchy_templates.h"
#include "nodes/edit_kind.h"
#include "nodes/edit_node.h"
#include "platform/utf8.h"

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace formulacases {


inline const char kMincho[] = "\x82\x6c\x82\x72\x20\x96\xbe\x92\xa9";  // ＭＳ 明朝

inline std::string KindName(const CEditNode* node)
{
    static const std::map<uint32_t, std::string> names = {
        {EditKind::kFrac, "frac"},           {EditKind::kRoot, "root"},
        {EditKind::kSqrt, "sqrt"},           {EditKind::kSub, "sub"},
        {EditKind::kSuper, "super"},         {EditKind::kSubsup, "subsup"},
        {EditKind::kPresub, "presub"},       {EditKind::kPresuper, "presuper"},
        {EditKind::kPresubPresup, "presubpresup"}, {EditKind::kMulti, "multi"},
        {EditKind::kUnder, "under"},         {EditKind::kOver, "over"},
        {EditKind::kUnderover, "underover"}, {EditKind::kLongdiv, "longdiv"},
        {EditKind::kFenced, "fenced"},       {EditKind::kMatrix, "matrix"},
        {EditKind::kPresubSub, "presubsub"}, {EditKind::kOPresubSub, "opresubsub"},
        {EditKind::kOver2, "over2"},         {EditKind::kUnder2, "under2"},
        {EditKind::kUnderover2, "underover2"}, {EditKind::kOUnderover, "ounderover"},
        {EditKind::kSigmaSub, "sigmasub"},   {EditKind::kSigmaSubsup, "sigmasubsup"},
        {EditKind::kSigmaUnder, "sigmaunder"}, {EditKind::kSigmaUnderover, "sigmaunderover"},
        {EditKind::kIntegralSub, "integralsub"}, {EditKind::kIntegralSubsup, "integralsubsup"},
        {EditKind::kSigma, "sigma:"},        {EditKind::kIntegral, "integral:"},
    };
    auto it = names.find(static_cast<uint32_t>(node->GetKind()));
    return it != names.end() ? it->second : "?";
}

// T for the typing height −370, S for its script size −211, else the number.
inline std::string HeightCode(int height)
{
    if (height == -370)
        return "T";
    if (height == -211)
        return "S";
    return std::to_string(height);
}

// A character or slot end: its text (| for a slot end), height, i italic or u upright, and M for
// the face "ＭＳ 明朝".
inline std::string DescribeChar(const CEditNode* node)
{
    std::string text = node->HasKindFlags(EditKind::kLineBreak) ? "|" : Utf16ToUtf8(node->GetText().View());
    text += HeightCode(node->m_lf.lfHeight);
    text += node->m_lf.lfItalic != 0 ? "i" : "u";
    if (std::strcmp(node->m_lf.lfFaceName, kMincho) == 0)
        text += "M";
    return text;
}

inline std::string DescribeNode(const CEditNode* node);

inline std::string DescribeMarks(const CEditNode* node)
{
    if (const auto* fenced = dynamic_cast<const CEditFenced*>(node))
        return "{" + Utf16ToUtf8(fenced->m_open->GetText().View()) + "," + Utf16ToUtf8(fenced->m_close->GetText().View()) + "}";
    std::vector<const CEditMathChar*> marks;
    if (const auto* n = dynamic_cast<const CEditOver2*>(node)) marks = {n->m_mark.get()};
    if (const auto* n = dynamic_cast<const CEditUnder2*>(node)) marks = {n->m_mark.get()};
    if (const auto* n = dynamic_cast<const CEditUnderover2*>(node)) marks = {n->m_overMark.get(), n->m_underMark.get()};
    if (const auto* n = dynamic_cast<const CEditOUnderover*>(node)) marks = {n->m_glyph.get()};
    if (const auto* n = dynamic_cast<const CEditOPresubSub*>(node)) marks = {n->m_symbol.get()};
    if (marks.empty())
        return "";
    std::string out = "{";
    for (const CEditMathChar* mark : marks)
        out += (out.size() > 1 ? "," : "") + DescribeChar(mark);
    return out + "}";
}

inline std::string DescribeNode(const CEditNode* node)
{
    if (!node->HasKindFlags(EditKind::kContainer))
        return (node->IsKind(EditKind::kSigma) || node->IsKind(EditKind::kIntegral) ? KindName(node) : "") + DescribeChar(node);
    std::string name = KindName(node);
    if (const auto* frac = dynamic_cast<const CEditFrac*>(node); frac != nullptr && frac->m_bevelled != 0)
        name += "/";
    if (const auto* matrix = dynamic_cast<const CEditMatrix*>(node)) {
        name += "(" + std::to_string(matrix->m_rows) + "x" + std::to_string(matrix->m_columns);
        if (matrix->m_textAlign == 0)
            name += ",left";
        if (matrix->BorderRecord().m_borderStyle != 0)
            name += ",border" + std::to_string(matrix->BorderRecord().m_borderStyle) + "/" + std::to_string(matrix->BorderRecord().m_borderWidth);
        name += ")";
    }
    std::string out = name + "[";
    for (int i = 0; i < node->GetChildCount(); ++i)
        out += (i > 0 ? " " : "") + DescribeNode(node->GetEditChild(i));
    return out + "]" + DescribeMarks(node);
}

// The path of child indexes from the node to the target, dot-separated; empty when not inside.
inline std::string PathTo(const CEditNode* from, const CEditNode* target)
{
    for (int i = 0; i < from->GetChildCount(); ++i) {
        const CEditNode* child = from->GetEditChild(i);
        if (child == target)
            return std::to_string(i);
        const std::string inner = PathTo(child, target);
        if (!inner.empty())
            return std::to_string(i) + "." + inner;
    }
    return "";
}

struct TEMPLATE_CASE {
    int id;
    const char* built;  // the inserted nodes, before the formula's own line end
    const char* caret;  // path inside the first inserted node; "after" when the caret stays
};

// From the command tables: each template at the typing height −370, its script slots at −211.
inline const TEMPLATE_CASE kCases[] = {
    {159, "fenced[|Ti]{(,)}", "0"}, {160, "fenced[|Ti]{(,}", "0"}, {161, "fenced[|Ti]{,)}", "0"},
    {162, "fenced[|Ti]{{,}}", "0"}, {163, "fenced[|Ti]{{,}", "0"}, {164, "fenced[|Ti]{,}}", "0"},
    {165, "fenced[|Ti]{〔,〕}", "0"}, {166, "fenced[|Ti]{〔,}", "0"}, {167, "fenced[|Ti]{,〕}", "0"},
    {168, "fenced[|Ti]{[,]}", "0"}, {169, "fenced[|Ti]{[,}", "0"}, {170, "fenced[|Ti]{,]}", "0"},
    {171, "fenced[|Ti]{〈,〉}", "0"}, {172, "fenced[|Ti]{〈,}", "0"}, {173, "fenced[|Ti]{,〉}", "0"},
    {174, "fenced[|Ti]{|,|}", "0"}, {175, "fenced[|Ti]{|,}", "0"}, {176, "fenced[|Ti]{,|}", "0"},
    {177, "underover2[|Ti]{︷Su,︸Su}", "0"},
    {178, "over2[|Ti]{︷Su}", "0"},
    {179, "under2[|Ti]{︸Su}", "0"},
    {180, "frac[|Ti |Ti]", "0"},
    {181, "frac/[|Ti |Ti]", "0"},
    {182, "/Ti", "after"},
    {183, "root[|Si |Ti]", "0"},
    {184, "sqrt[|Ti]", "0"},
    {185, "longdiv[|Ti]", "0"},
    {186, "longdiv[|Ti]", "0"},
    {187, "matrix(2x2)[|Ti |Ti |Ti longdiv[|Ti] |Ti]", "3.0"},
    {191, "presuper[|Si |Ti]", "0"},
    {192, "presub[|Si |Ti]", "0"},
    {193, "presubpresup[|Si |Si |Ti]", "0"},
    {194, "super[|Ti |Si]", "0"},
    {195, "sub[|Ti |Si]", "0"},
    {196, "subsup[|Ti |Si |Si]", "0"},
    {197, "over[|Si |Ti]", "0"},
    {198, "under[|Ti |Si]", "0"},
    {199, "underover[|Si |Ti |Si]", "0"},
    {200, "multi[|Si |Si |Ti |Si |Si]", "0"},
    {201, "over2[|Ti]{→Su}", "0"},
    {202, "over2[|Ti]{￣Su}", "0"},
    {203, "over2[|Ti]{⌢Su}", "0"},
    {204, "super[|Ti ′Ti |Ti]", "0"},
    {205, "super[|Ti ″Ti |Ti]", "0"},
    {206, "super[|Ti ‴TuM |TiM]", "0"},
    {207, "over[・SuM |SuM |Ti]", "2"},
    {208, "sigma:ΣTu", "after"},
    {209, "sigma:ΣTu", "after"},
    {210, "sigmaunder[|Si]", "0"},
    {211, "sigmaunderover[|Si |Si]", "0"},
    {212, "sigmasub[|Si]", "0"},
    {213, "sigmasubsup[|Si |Si]", "0"},
    {214, "integral:∫Ti", "after"},
    {215, "integral:∫Ti", "after"},
    {216, "integralsub[|Si]", "0"},
    {217, "integralsubsup[|Si |Si]", "0"},
    {218, "subsup[fenced[|Ti]{[,]} |Ti |Si |Si]", "0.0"},
    {219, "lTu iTu mTu", "after"},
    {220, "under[lTu iTu mTu |Tu |Si]", "4"},
    {221, "sTu iTu nTu", "after"},
    {222, "super[sTu iTu nTu |Tu |Si]", "4"},
    {223, "cTu oTu sTu", "after"},
    {224, "super[cTu oTu sTu |Tu |Si]", "4"},
    {225, "tTu aTu nTu", "after"},
    {226, "super[tTu aTu nTu |Tu |Si]", "4"},
    {227, "lTu oTu gTu", "after"},
    {228, "sub[lTu oTu gTu |Tu |Si]", "4"},
    {229, "matrix(1x2)[|Ti |Ti]", "0"},
    {230, "matrix(2x1)[|Ti |Ti]", "0"},
    {231, "matrix(2x2)[|Ti |Ti |Ti |Ti]", "0"},
    {232, "matrix(1x3)[|Ti |Ti |Ti]", "0"},
    {233, "matrix(3x1)[|Ti |Ti |Ti]", "0"},
    {234, "matrix(3x3)[|Ti |Ti |Ti |Ti |Ti |Ti |Ti |Ti |Ti]", "0"},
    // The dialog answers 2 × 3 for the sized matrices.
    {235, "matrix(2x3)[|Ti |Ti |Ti |Ti |Ti |Ti]", "0"},
    {236, "matrix(2x3,border1/1)[|Ti |Ti |Ti |Ti |Ti |Ti]", "0"},
    {237, "←Tu", "after"},
    {238, "→Tu", "after"},
    {239, "↔Tu", "after"},
    // The arrow marks at 60/105 of the script size the mark had: −120.
    {240, "under2[|Ti]{←-120u}", "0"},
    {241, "under2[|Ti]{→-120u}", "0"},
    {242, "under2[|Ti]{↔-120u}", "0"},
    {243, "over2[|Ti]{←-120u}", "0"},
    {244, "over2[|Ti]{→-120u}", "0"},
    {245, "over2[|Ti]{↔-120u}", "0"},
    {246, "ounderover[|Si |Si]{\uF576Su}", "0"},
    {247, "ounderover[|Si |Si]{\uF577Su}", "0"},
    {248, "ounderover[|Si |Si]{\uF578Su}", "0"},
    {249, "ounderover[|Si |Si]{⇄Su}", "0"},
    {391, "opresubsub[|Si |Si]{CTu}", "0"},
    // 60/105 of a new slot end's own 10.5-point height (−371), not of the template's.
    {392, "opresubsub[|-212i |-212i]{PTu}", "0"},
    {393, "presubsub[|Si |Ti |Si]", "0"},
    {431, "fenced[matrix(2x1,left)[|Ti |Ti] |Ti]{{,}", "0.0"},
    {432, "fenced[matrix(2x3,left)[|Ti |Ti |Ti |Ti |Ti |Ti] |Ti]{{,}", "0.0"},
};

}  // namespace formulacases
