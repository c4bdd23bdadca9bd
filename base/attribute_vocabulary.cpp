#include "base/attribute_vocabulary.h"

#include "base/element_classes.h"
#include "base/length_units.h"
#include "platform/codepage.h"
#include "platform/wide_runtime.h"

#include <climits>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using Text = std::u16string_view;

struct NamedColor {
    const char16_t* lower;
    const char16_t* capitalised;
    COLORREF color;
};

const NamedColor kNamedColors[] = {
    {u"black", u"Black", RGB(0x00, 0x00, 0x00)},   {u"silver", u"Silver", RGB(0xC0, 0xC0, 0xC0)},
    {u"gray", u"Gray", RGB(0x80, 0x80, 0x80)},     {u"white", u"White", RGB(0xFF, 0xFF, 0xFF)},
    {u"maroon", u"Maroon", RGB(0x80, 0x00, 0x00)}, {u"red", u"Red", RGB(0xFF, 0x00, 0x00)},
    {u"purple", u"Purple", RGB(0x80, 0x00, 0x80)}, {u"fuchsia", u"Fuchsia", RGB(0xFF, 0x00, 0xFF)},
    {u"green", u"Green", RGB(0x00, 0x80, 0x00)},   {u"lime", u"Lime", RGB(0x00, 0xFF, 0x00)},
    {u"olive", u"Olive", RGB(0x80, 0x80, 0x00)},   {u"yellow", u"Yellow", RGB(0xFF, 0xFF, 0x00)},
    {u"navy", u"Navy", RGB(0x00, 0x00, 0x80)},     {u"blue", u"Blue", RGB(0x00, 0x00, 0xFF)},
    {u"teal", u"Teal", RGB(0x00, 0x80, 0x80)},     {u"aqua", u"Aqua", RGB(0x00, 0xFF, 0xFF)},
};

// Style codes 1 to 7 by keyword.
const char16_t* const kStyles[] = {u"solid", u"double", u"dotted", u"dashed", u"dot-dash", u"dot-dot-dash", u"wave"};
// Numbering types 1 to 6 by keyword.
const char16_t* const kNumberings[] = {u"maru", u"kakko", u"kana", u"alpha", u"alpha-cap", u"string"};

bool StyleCode(Text value, int32_t& code)
{
    for (int i = 0; i < 7; ++i)
        if (value == kStyles[i]) {
            code = i + 1;
            return true;
        }
    return false;
}

int32_t SideWidth(Text value) { return value == u"thick" ? 3 : 1; }

int32_t NumberingType(Text value)
{
    for (int i = 0; i < 6; ++i)
        if (value == kNumberings[i])
            return i + 1;
    return 0;
}

int32_t ScanInteger(Text value)
{
    int result = 0;
    WideScan(value, u"%d", {&result});
    return result;
}

int32_t Length(const CStringW& value) { return ParseLength(value); }

// A length the writer writes back in half points, read at that precision (see
// RoundToWrittenPoints).
// A paper names the same few sizes and faces on every run: the last text read and what it gave
// are kept, so that each is parsed or converted once per run of equal values. The text is taken
// last, so that a failed copy leaves nothing half kept.
template <typename Result>
struct LAST_READ {
    bool known = false;
    std::u16string text;
    Result result{};

    template <typename Read>
    const Result& Of(std::u16string_view value, Read read)
    {
        if (!known || value != text) {
            Result fresh = read(value);
            known = false;
            result = std::move(fresh);
            text.assign(value);
            known = true;
        }
        return result;
    }
};

int32_t PointLength(const CStringW& value)
{
    thread_local LAST_READ<int32_t> last;
    return last.Of(value.View(), [&value](std::u16string_view) { return RoundToWrittenPoints(ParseLength(value)); });
}

void NarrowFace(char (&face)[LF_FACESIZE], const CStringW& value)
{
    thread_local LAST_READ<std::string> last;
    CopyFaceName(face, last.Of(value.View(), [](std::u16string_view text) { return WideToCp932(text); }));
}

// A size that cannot be read leaves the record's size alone and keeps its text to write back.
void ApplyRenbanSize(CKasenRenbanProperties& record, const CStringW& value)
{
    int size = 0;
    if (TryParseLength(value, size)) {
        record.m_renbanSize = size;
        record.m_unreadableRenbanSizeText.Empty();
    } else {
        record.m_unreadableRenbanSizeText = value;
        record.m_sizeBesideUnreadableText = record.m_renbanSize;
    }
}

// The numbering attributes shared by fo:inline, fo:inline-container and every MathML element.
bool ApplyNumbering(CKasenRenbanProperties& record, Text name, const CStringW& value)
{
    if (name == u"bango-type")
        record.m_renbanType = NumberingType(value.View());
    else if (name == u"bango-string")
        record.m_renbanString = value;
    else if (name == u"bango-force")
        record.m_renbanForce = WideAtoi(value.View());
    else if (name == u"bango-font-family")
        NarrowFace(record.m_renbanFace, value);
    else if (name == u"bango-font-size")
        ApplyRenbanSize(record, value);
    else
        return false;
    return true;
}

// Character formatting of fo:block (line record, no alignment record) and fo:inline (alignment
// record, no line record); the two read partly different attributes.
void ApplyCharacterFormatting(CFontProperties& font, CColorRelatedProperties& color,
                              CBorderPaddingBackgroundProperties& border, CCharacterProperties& character,
                              CBlockLineRelatedProperties* line, CAreaAlignmentProperties* alignment, Text name,
                              const CStringW& value)
{
    const bool isInline = alignment != nullptr;
    const Text v = value.View();
    if (name == u"font-size") {
        font.m_fontSize = PointLength(value);
    } else if (name == u"font-stretch") {
        if (v == u"condensed")
            font.m_fontWidth = 1;
        else if (v == u"expanded")
            font.m_fontWidth = 2;
    } else if (name == u"font-style") {
        font.m_fontItalic = v == u"italic" ? 1 : 0;
    } else if (name == u"font-family") {
        NarrowFace(font.m_fontFace, value);
    } else if (name == u"font-weight") {
        font.m_fontWeight = v == u"bold" ? 700 : 400;
    } else if (name == u"text-decoration") {
        if (v.find(u"underline") != Text::npos) {
            character.m_underlineStyle = LineStyle::kSolid;
            if (isInline)
                character.m_underlineWidth = 1;
        }
        if (v.find(u"line-through") != Text::npos) {
            character.m_lineThroughStyle = LineStyle::kSolid;
            if (isInline)
                character.m_lineThroughWidth = 1;
        }
    } else if (name == u"color") {
        color.m_color = ParseColorValue(value);
    } else if (name == u"background-color") {
        border.m_backgroundColor = ParseColorValue(value);
    } else if (name == u"border-style") {
        int32_t style = 0;
        if (isInline ? StyleCode(v, style) : v == u"solid")
            border.m_borderStyle = isInline ? style : 1;
    } else if (name == u"border-width") {
        border.m_borderWidth = Length(value);
    } else if (line) {
        if (name == u"text-align") {
            const Text aligns[] = {u"left", u"center", u"right", u"justify"};
            for (int i = 0; i < 4; ++i)
                if (v == aligns[i])
                    line->m_textAlign = i;
        } else if (name == u"text-justify") {
            if (v == u"distribute")
                line->m_textAlign = TextAlign::kDistribute;
        }
    } else if (alignment) {
        if (name == u"background-image") {
            const Text patterns[] = {u"horizontal", u"vertical", u"fdiagonal", u"bdiagonal", u"cross", u"diagcross"};
            for (int i = 0; i < 6; ++i)
                if (v == patterns[i])
                    border.m_backgroundPattern = i + 1;
        } else if (name == u"baseline-shift") {
            if (v == u"sub")
                alignment->m_scriptPosition = ScriptPosition::kSubscript;
            else if (v == u"super")
                alignment->m_scriptPosition = ScriptPosition::kSuperscript;
        } else if (name == u"text-underline-style") {
            StyleCode(v, character.m_underlineStyle);
        } else if (name == u"text-line-through-style") {
            StyleCode(v, character.m_lineThroughStyle);
        } else if (name == u"text-underline-width") {
            character.m_underlineWidth = SideWidth(v);
        } else if (name == u"text-line-through-width") {
            character.m_lineThroughWidth = SideWidth(v);
        }
    }
}

void ApplyMargins(CBlockMarginProperties& margins, Text name, const CStringW& value)
{
    if (name == u"margin-left")
        margins.m_marginLeft = Length(value);
    else if (name == u"margin-top")
        margins.m_marginTop = Length(value);
    else if (name == u"margin-right")
        margins.m_marginRight = Length(value);
    else if (name == u"margin-bottom")
        margins.m_marginBottom = Length(value);
}

// The attributes every MathML element but math, mrow, mfrac and mfenced reads.
void ApplyMathFormatting(CMathMLNode& node, Text name, const CStringW& value)
{
    const Text v = value.View();
    const int code = node.m_typeCode;
    if (name == u"mathfamily") {
        NarrowFace(node.m_fontFace, value);
    } else if (name == u"mathvariant") {
        if (v == u"bold" || v == u"bold-italic")
            node.m_fontWeight = 700;
        if (v == u"italic" || v == u"bold-italic")
            node.m_fontItalic = 1;
    } else if (name == u"mathsize") {
        int size = 0;
        if (TryParseLength(value, size)) {
            node.m_fontSize = RoundToWrittenPoints(size);
            node.m_unreadableSizeText.Empty();
        } else {
            node.m_unreadableSizeText = value;
            node.m_sizeBesideUnreadableText = node.m_fontSize;
        }
    } else if (name == u"mathcolor") {
        node.m_color = ParseColorValue(value);
    } else if (name == u"mathbackground") {
        node.m_backgroundColor = ParseColorValue(value);
    } else if (name == u"mathunderlinestyle") {
        StyleCode(v, node.m_underlineStyle);
        // A width that mathunderlinewidth gave the element before stays.
        if (node.GetAttributes().count(CStringW(u"mathunderlinewidth")) == 0)
            node.m_underlineWidth = 1;
    } else if (name == u"mathunderlinewidth") {
        node.m_underlineWidth = SideWidth(v);
    } else if (name == u"stretchy" && code == XEC_MO) {
        if (auto* mo = dynamic_cast<CMathMLMo*>(&node))
            mo->m_stretchy = 1;
    } else if (name == u"frame" && code == XEC_MTABLE) {
        if (v == u"solid") {
            node.m_borderStyle = LineStyle::kSolid;
            node.m_borderWidth = 1;
        }
    } else if (name == u"columnalign" && code == XEC_MTABLE) {
        if (v == u"left")
            node.m_textAlign = TextAlign::kLeft;
        else if (v == u"center")
            node.m_textAlign = TextAlign::kCenter;
        else if (v == u"right")
            node.m_textAlign = TextAlign::kRight;
    }
}

void ApplyMathML(CMathMLNode& node, Text name, const CStringW& value)
{
    const Text v = value.View();
    const int code = node.m_typeCode;
    if (code != XEC_MATH && code != XEC_MROW && code != XEC_MFRAC && code != XEC_MFENCED)
        ApplyMathFormatting(node, name, value);
    if ((code == XEC_MATH || code == XEC_MROW) && name == u"qntype") {
        if (v == u"cyukai")
            node.m_class = XCC_CYUKAI;
    } else if (code == XEC_MFRAC && name == u"bevelled") {
        if (auto* frac = dynamic_cast<CMathMLFrac*>(&node); frac && v == u"true")
            frac->m_bevelled = 1;
    } else if (code == XEC_MFENCED && (name == u"open" || name == u"close")) {
        if (auto* fenced = dynamic_cast<CMathMLFenced*>(&node))
            (name == u"open" ? fenced->m_open : fenced->m_close) = value;
    }
    // The tail every MathML element reads.
    if (name == u"border-after-style")
        StyleCode(v, node.m_afterStyle);
    else if (name == u"border-after-width")
        node.m_afterWidth = SideWidth(v);
    else
        ApplyNumbering(node, name, value);
}

void ApplyElement(CQNXMLNode* node, Text name, const CStringW& value)
{
    const Text v = value.View();
    switch (node->m_typeCode) {
    case XEC_IMG:
        if (auto* img = dynamic_cast<CMondaiImg*>(node); img && name == u"src")
            img->m_src = WideToCp932(v);
        return;
    case XEC_OBJECT:
        if (auto* object = dynamic_cast<CMondaiObject*>(node)) {
            if (name == u"data")
                object->m_dataPath = WideToCp932(v);
            else if (name == u"width")
                object->m_width = Length(value);
            else if (name == u"height")
                object->m_height = Length(value);
        }
        return;
    case XEC_DNO:
    case XEC_NO:
        if (name == u"type") {
            const int32_t style = !v.empty() && v[0] >= u'a' && v[0] <= u'z' ? v[0] - u'a' : -1;
            if (auto* dno = dynamic_cast<CMondaiDno*>(node))
                dno->m_numberingStyle = style;
            else if (auto* no = dynamic_cast<CMondaiNo*>(node))
                no->m_numberingStyle = style;
        }
        return;
    case XEC_HAI:
        if (auto* hai = dynamic_cast<CMondaiHai*>(node)) {
            if (name == u"type") {
                if (v.size() == 1 && v[0] >= u'1' && v[0] <= u'4')
                    hai->style = v[0] - u'0';
            } else if (name == u"p1") {
                hai->p1 = ScanInteger(v);
            } else if (name == u"p2") {
                hai->p2 = ScanInteger(v);
            } else if (name == u"p3") {
                hai->p3 = ScanInteger(v);
            } else if (name == u"fence") {
                hai->fence = value;
            } else if (name == u"visibility") {
                if (v == u"visible")
                    hai->visibility = 1;
                else if (v == u"collapse")
                    hai->visibility = 0;
            }
        }
        return;
    case XEC_XSL_APPLY_TEMPLATES:
        if (auto* apply = dynamic_cast<CXslApplyTemplates*>(node); apply && name == u"select")
            apply->m_select = value;
        return;
    case XEC_FO_SIMPLE_PAGE_MASTER:
        if (auto* master = dynamic_cast<CFoSimplePageMaster*>(node)) {
            if (name == u"page-height")
                master->height = Length(value);
            else if (name == u"page-width")
                master->width = Length(value);
            else
                ApplyMargins(*master, name, value);
        }
        return;
    case XEC_FO_REGION_BODY:
        if (auto* body = dynamic_cast<CFoRegionBody*>(node)) {
            if (name == u"column-count")
                body->columnCount = ScanInteger(v);
            else
                ApplyMargins(*body, name, value);
        }
        return;
    case XEC_FO_SINGLE_PAGE_MASTER_REFERENCE:
        if (auto* reference = dynamic_cast<CFoSinglePageMasterReference*>(node); reference && name == u"master-reference")
            reference->m_masterReference = value;
        return;
    case XEC_FO_PAGE_SEQUENCE:
        if (auto* sequence = dynamic_cast<CFoPageSequence*>(node); sequence && name == u"master-reference")
            sequence->m_masterReference = value;
        return;
    case XEC_FO_STATIC_CONTENT:
        if (auto* content = dynamic_cast<CFoStaticContent*>(node); content && name == u"flow-name")
            content->m_flowName = value;
        return;
    case XEC_FO_FLOW:
        if (auto* flow = dynamic_cast<CFoFlow*>(node); flow && name == u"flow-name")
            flow->m_flowName = value;
        return;
    case XEC_FO_BLOCK_CONTAINER:
        if (auto* container = dynamic_cast<CFoBlockContainer*>(node)) {
            if (name == u"visibility") {
                if (v == u"collapse")
                    container->m_visibility = 2;
            } else if (name == u"width") {
                container->m_width = Length(value);
            } else if (name == u"height") {
                container->m_height = Length(value);
            } else if (name == u"id") {
                container->m_idClass = XMLClassCodeFromString(value.c_str());
            } else if (name == u"break-after") {
                if (v == u"page")
                    container->m_breakAfter = 2;
            }
        }
        return;
    case XEC_FO_FLOAT:
        if (auto* fl = dynamic_cast<CFoFloat*>(node); fl && name == u"float") {
            if (v == u"left")
                fl->m_floatSide = 1;
            else if (v == u"right")
                fl->m_floatSide = 2;
        }
        return;
    case XEC_FO_INLINE_CONTAINER:
        if (auto* container = dynamic_cast<CFoInlineContainer*>(node)) {
            if (name == u"id")
                container->m_idClass = XMLClassCodeFromString(value.c_str());
            else if (name == u"border-before-style")
                StyleCode(v, container->m_beforeStyle);
            else if (name == u"border-after-style")
                StyleCode(v, container->m_afterStyle);
            else if (name == u"border-before-width")
                container->m_beforeWidth = SideWidth(v);
            else if (name == u"border-after-width")
                container->m_afterWidth = SideWidth(v);
            else
                ApplyNumbering(*container, name, value);
        }
        return;
    case XEC_FO_INLINE:
        if (auto* in = dynamic_cast<CFoInline*>(node)) {
            if (!ApplyNumbering(*in, name, value))
                ApplyCharacterFormatting(*in, *in, *in, *in, nullptr, in, name, value);
        }
        return;
    case XEC_FO_BLOCK:
        if (auto* block = dynamic_cast<CFoBlock*>(node))
            ApplyCharacterFormatting(*block, *block, *block, *block, block, nullptr, name, value);
        return;
    case XEC_FO_INITIAL_PROPERTY_SET:
        if (auto* set = dynamic_cast<CFoInitialPropertySet*>(node)) {
            if (name == u"line-height.optimum")
                set->m_lineSpacing = Length(value);
            else if (name == u"letter-spacing.optimum")
                set->m_letterSpacing = Length(value);
        }
        return;
    case XEC_FO_EXTERNAL_GRAPHIC:
        if (auto* graphic = dynamic_cast<CFoExternalGraphic*>(node)) {
            if (name == u"src")
                graphic->m_src = WideToCp932(v);
            else if (name == u"width")
                graphic->m_areaWidth = Length(value);
            else if (name == u"height")
                graphic->m_areaHeight = Length(value);
        }
        return;
    case XEC_FO_TABLE_CELL:
        if (auto* cell = dynamic_cast<CFoTableCell*>(node)) {
            if (name == u"border-style") {
                for (const int style : {1, 3, 4})
                    if (v == TableCellBorderStyleName(style))
                        cell->m_borderStyle = style;
            } else if (name == u"border-width") {
                cell->m_borderWidth = Length(value);
            }
        }
        return;
    default:
        if (node->m_typeCode & XEC_FAMILY_MATHML)
            if (auto* math = dynamic_cast<CMathMLNode*>(node))
                ApplyMathML(*math, name, value);
        return;
    }
}

// Text that a reader drops unless xml:space keeps it: tabs and line breaks as well as spaces.
bool IsXmlWhiteSpaceOnly(Text text)
{
    return !text.empty() && text.find_first_not_of(u" \t\r\n") == Text::npos;
}

CStringW PointsText(int units)
{
    CStringW text;
    FormatLengthPoints(units, text);
    return text;
}

void SetAttributeText(XmlNode& element, const char16_t* name, const CStringW& value)
{
    element.setAttribute(name, value.View());
}

// bango-* of a MathML element whose numbering type is 1 or more.
void WriteNumbering(const CKasenRenbanProperties& record, XmlNode& element)
{
    if (record.m_renbanType < RenbanType::kMaru)
        return;
    element.setAttribute(u"bango-type", record.m_renbanType <= RenbanType::kString ? kNumberings[record.m_renbanType - 1] : u"");
    if (record.m_renbanType == RenbanType::kString)
        SetAttributeText(element, u"bango-string", record.m_renbanString);
    if (record.m_renbanForce > 0) {
        CStringW force;
        force.Format(u"%d", record.m_renbanForce);
        SetAttributeText(element, u"bango-force", force);
    }
    const std::string_view face = FaceNameView(record.m_renbanFace);
    if (!face.empty())
        element.setAttribute(u"bango-font-family", Cp932ToWide(face));
    if (record.KeepsUnreadableSizeText())
        SetAttributeText(element, u"bango-font-size", record.m_unreadableRenbanSizeText);
    else if (record.m_renbanSize != 0)
        SetAttributeText(element, u"bango-font-size", PointsText(record.m_renbanSize));
}

}  // namespace

const char16_t* TableCellBorderStyleName(int style)
{
    return style == 1 || style == 3 || style == 4 ? kStyles[style - 1] : nullptr;
}

void SetAttribute(CQNXMLNode* node, const CStringW& name, const CStringW& value)
{
    if (!node)
        return;
    node->StoreAttribute(name, value);
    ApplyElement(node, name.View(), value);
}

void ApplyAttributeToFields(CQNXMLNode* node, const CStringW& name, const CStringW& value)
{
    if (node)
        ApplyElement(node, name.View(), value);
}

void WriteMathMLAttributes(const CQNXMLNode* node, XmlNode& element)
{
    const auto* math = dynamic_cast<const CMathMLNode*>(node);
    if (!math)
        return;
    const int code = math->m_typeCode;
    if (code >= XEC_MI && code <= XEC_MTEXT) {
        if (math->GetBlank() == 1 || IsXmlWhiteSpaceOnly(math->GetText().View()))
            element.setAttribute(u"xml:space", u"preserve");
        element.setAttribute(u"mathfamily", Cp932ToWide(FaceNameView(math->m_fontFace)));
        // The size's magnitude; the one size without a positive counterpart is taken as the largest.
        const int size = math->m_fontSize == INT_MIN ? INT_MAX : std::abs(math->m_fontSize);
        const bool sizeUnread = !math->m_unreadableSizeText.IsEmpty() &&
                                math->m_fontSize == math->m_sizeBesideUnreadableText;
        SetAttributeText(element, u"mathsize", sizeUnread ? math->m_unreadableSizeText : PointsText(size));
        const bool bold = math->m_fontWeight == 700;
        const bool italic = math->m_fontItalic == 1;
        if (bold || italic)
            element.setAttribute(u"mathvariant", bold && italic ? u"bold-italic" : bold ? u"bold" : u"italic");
        if (math->m_color != 0)
            SetAttributeText(element, u"mathcolor", FormatColorValue(math->m_color));
        if (math->m_backgroundColor != 0xFFFFFF)
            SetAttributeText(element, u"mathbackground", FormatColorValue(math->m_backgroundColor));
        if (math->m_underlineStyle >= LineStyle::kSolid && math->m_underlineStyle <= LineStyle::kWave) {
            element.setAttribute(u"mathunderlinestyle", kStyles[math->m_underlineStyle - 1]);
            if (math->m_underlineStyle == LineStyle::kSolid && math->m_underlineWidth == 3)
                element.setAttribute(u"mathunderlinewidth", u"thick");
        }
        if (const auto* mo = dynamic_cast<const CMathMLMo*>(math); mo && mo->m_stretchy)
            element.setAttribute(u"stretchy", u"true");
        WriteNumbering(*math, element);
        return;
    }
    if (math->m_afterStyle != LineStyle::kNone) {
        if (math->m_afterStyle >= LineStyle::kSolid && math->m_afterStyle <= LineStyle::kWave)
            element.setAttribute(u"border-after-style", kStyles[math->m_afterStyle - 1]);
        if (math->m_afterWidth == 3)
            element.setAttribute(u"border-after-width", u"thick");
        WriteNumbering(*math, element);
    }
    if ((code == XEC_MATH || code == XEC_MROW) && math->m_class == XCC_CYUKAI)
        element.setAttribute(u"qntype", u"cyukai");
    if (const auto* frac = dynamic_cast<const CMathMLFrac*>(math); frac && frac->m_bevelled)
        element.setAttribute(u"bevelled", u"true");
    if (const auto* fenced = dynamic_cast<const CMathMLFenced*>(math)) {
        SetAttributeText(element, u"open", fenced->m_open);
        SetAttributeText(element, u"close", fenced->m_close);
    }
    if (code == XEC_MTABLE) {
        if (math->m_borderStyle == LineStyle::kSolid)
            element.setAttribute(u"frame", u"solid");
        if (math->m_textAlign != TextAlign::kCenter)
            element.setAttribute(u"columnalign", math->m_textAlign == TextAlign::kLeft ? u"left" : math->m_textAlign == TextAlign::kRight ? u"right" : u"center");
    }
}

COLORREF ParseColorValue(const CStringW& text)
{
    CStringW value = text;
    value.TrimLeft();
    value.TrimRight();
    value.MakeLower();
    for (const NamedColor& named : kNamedColors)
        if (value.View() == named.lower)
            return named.color;
    if (value.GetAt(0) != u'#')
        return 0;
    const Text digits = value.View().substr(1);
    const auto hexValue = [](char16_t unit) -> int {
        if (unit >= u'0' && unit <= u'9')
            return unit - u'0';
        if (unit >= u'a' && unit <= u'f')
            return unit - u'a' + 10;
        return -1;
    };
    // The short form "#rgb" stands for "#rrggbb", as style sheets read it.
    if (digits.size() == 3 && hexValue(digits[0]) >= 0 && hexValue(digits[1]) >= 0 && hexValue(digits[2]) >= 0)
        return RGB(static_cast<BYTE>(hexValue(digits[0]) * 17), static_cast<BYTE>(hexValue(digits[1]) * 17),
                   static_cast<BYTE>(hexValue(digits[2]) * 17));
    // Otherwise read as the runtime's "%x": spaces, a sign, an optional 0x, hex digits.
    size_t at = 0;
    while (at < digits.size() && IsWideSpace(digits[at]))
        ++at;
    bool negative = false;
    if (at < digits.size() && (digits[at] == u'-' || digits[at] == u'+'))
        negative = digits[at++] == u'-';
    if (at + 2 < digits.size() && digits[at] == u'0' && digits[at + 1] == u'x' && hexValue(digits[at + 2]) >= 0)
        at += 2;
    uint32_t number = 0;
    for (; at < digits.size() && hexValue(digits[at]) >= 0; ++at)
        number = number * 16 + static_cast<uint32_t>(hexValue(digits[at]));
    if (negative)
        number = 0u - number;
    return RGB(static_cast<BYTE>((number >> 16) & 0xFF), static_cast<BYTE>((number >> 8) & 0xFF),
               static_cast<BYTE>(number & 0xFF));
}

CStringW FormatColorValue(COLORREF color)
{
    for (const NamedColor& named : kNamedColors)
        if (named.color == color)
            return CStringW(named.capitalised);
    CStringW text;
    text.Format(u"#%02x%02x%02x", static_cast<int>(GetRValue(color)), static_cast<int>(GetGValue(color)),
                static_cast<int>(GetBValue(color)));
    return text;
}
