#include "export/automation_wrappers.h"

#include "platform/codepage.h"

#include <cstddef>
#include <iterator>

namespace {

constexpr DISPATCH_MEMBER kWordMembers[] = {
    {"GetDocuments", u"Documents", DISPID_UNKNOWN, DISPATCH_PROPERTYGET, VT_DISPATCH, ""},
    {"SetVisible", u"Visible", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, VT_EMPTY, "b"},
    {"SetWindowState", u"WindowState", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, VT_EMPTY, "l"},
    {"Quit", u"Quit", DISPID_UNKNOWN, DISPATCH_METHOD, VT_EMPTY, "RRR"},
    {"AddDocument", u"Add", DISPID_UNKNOWN, DISPATCH_METHOD, VT_DISPATCH, "RR"},
    {"GetTables", u"Tables", DISPID_UNKNOWN, DISPATCH_PROPERTYGET, VT_DISPATCH, ""},
    {"GetPageSetup", u"PageSetup", DISPID_UNKNOWN, DISPATCH_PROPERTYGET, VT_DISPATCH, ""},
    {"GetActiveWindow", u"ActiveWindow", DISPID_UNKNOWN, DISPATCH_PROPERTYGET, VT_DISPATCH, ""},
    {"SaveAs", u"SaveAs", DISPID_UNKNOWN, DISPATCH_METHOD, VT_EMPTY, "RRRRRRRRRRR"},
    {"Range", u"Range", DISPID_UNKNOWN, DISPATCH_METHOD, VT_DISPATCH, "RR"},
    {"GetActivePane", u"ActivePane", DISPID_UNKNOWN, DISPATCH_PROPERTYGET, VT_DISPATCH, ""},
    {"GetSelection", u"Selection", DISPID_UNKNOWN, DISPATCH_PROPERTYGET, VT_DISPATCH, ""},
    {"Select", u"Select", DISPID_UNKNOWN, DISPATCH_METHOD, VT_EMPTY, ""},
    {"PhoneticGuide", u"PhoneticGuide", DISPID_UNKNOWN, DISPATCH_METHOD, VT_EMPTY, "wllln"},
    {"SetAlignment", u"Alignment", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, VT_EMPTY, "l"},
    {"SetRightIndent", u"RightIndent", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, VT_EMPTY, "f"},
    {"SetLeftIndent", u"LeftIndent", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, VT_EMPTY, "f"},
    {"SetLineSpacing", u"LineSpacing", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, VT_EMPTY, "f"},
    {"SetLineSpacingRule", u"LineSpacingRule", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, VT_EMPTY, "l"},
    {"SetBaseLineAlignment", u"BaseLineAlignment", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, VT_EMPTY, "l"},
    {"SetBold", u"Bold", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, VT_EMPTY, "l"},
    {"SetItalic", u"Italic", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, VT_EMPTY, "l"},
    {"SetStrikeThrough", u"StrikeThrough", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, VT_EMPTY, "l"},
    {"SetColorIndex", u"ColorIndex", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, VT_EMPTY, "l"},
    {"SetSubscript", u"Subscript", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, VT_EMPTY, "l"},
    {"SetSuperscript", u"Superscript", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, VT_EMPTY, "l"},
    {"SetUnderline", u"Underline", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, VT_EMPTY, "l"},
    {"SetSize", u"Size", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, VT_EMPTY, "f"},
    {"SetName", u"Name", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, VT_EMPTY, "n"},
    {"SetScaling", u"Scaling", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, VT_EMPTY, "l"},
    {"GetBorders", u"Borders", DISPID_UNKNOWN, DISPATCH_PROPERTYGET, VT_DISPATCH, ""},
    {"GetShading", u"Shading", DISPID_UNKNOWN, DISPATCH_PROPERTYGET, VT_DISPATCH, ""},
    {"GetRows", u"Rows", DISPID_UNKNOWN, DISPATCH_PROPERTYGET, VT_DISPATCH, ""},
    {"Cell", u"Cell", DISPID_UNKNOWN, DISPATCH_METHOD, VT_DISPATCH, "ll"},
    {"AutoFitBehavior", u"AutoFitBehavior", DISPID_UNKNOWN, DISPATCH_METHOD, VT_EMPTY, "l"},
    {"SetDispId113", nullptr, 113, DISPATCH_PROPERTYPUT, VT_EMPTY, "f"},
    {"SetDispId114", nullptr, 114, DISPATCH_PROPERTYPUT, VT_EMPTY, "f"},
    {"SetDispId115", nullptr, 115, DISPATCH_PROPERTYPUT, VT_EMPTY, "f"},
    {"SetDispId116", nullptr, 116, DISPATCH_PROPERTYPUT, VT_EMPTY, "f"},
    {"SetRowHeight", u"Height", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, VT_EMPTY, "f"},
    {"AddTable", u"Add", DISPID_UNKNOWN, DISPATCH_METHOD, VT_DISPATCH, "oll"},
    {"GetCount", u"Count", DISPID_UNKNOWN, DISPATCH_PROPERTYGET, VT_I4, ""},
    {"RowsItem", u"Item", DISPID_UNKNOWN, DISPATCH_METHOD, VT_DISPATCH, "l"},
    {"SetDispId13", nullptr, 13, DISPATCH_PROPERTYPUT, VT_EMPTY, "f"},
    {"SetDispId14", nullptr, 14, DISPATCH_PROPERTYPUT, VT_EMPTY, "f"},
    {"SetDispId20", nullptr, 20, DISPATCH_PROPERTYPUT, VT_EMPTY, "f"},
    {"SetDispId21", nullptr, 21, DISPATCH_PROPERTYPUT, VT_EMPTY, "f"},
    {"SetDispId17", nullptr, 17, DISPATCH_PROPERTYPUT, VT_EMPTY, "f"},
    {"SetDispId105", nullptr, 105, DISPATCH_PROPERTYPUT, VT_EMPTY, "f"},
    {"SetDispId106", nullptr, 106, DISPATCH_PROPERTYPUT, VT_EMPTY, "l"},
    {"BordersItem", u"Item", DISPID_UNKNOWN, DISPATCH_METHOD, VT_DISPATCH, "l"},
    {"SetLineStyle", u"LineStyle", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, VT_EMPTY, "l"},
    {"SetBackgroundPatternColorIndex", u"BackgroundPatternColorIndex", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, VT_EMPTY,
        "l"},
    {"SetTexture", u"Texture", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, VT_EMPTY, "l"},
    {"SetTopMargin", u"TopMargin", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, VT_EMPTY, "f"},
    {"SetBottomMargin", u"BottomMargin", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, VT_EMPTY, "f"},
    {"SetLeftMargin", u"LeftMargin", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, VT_EMPTY, "f"},
    {"SetRightMargin", u"RightMargin", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, VT_EMPTY, "f"},
    {"SetGutter", u"Gutter", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, VT_EMPTY, "f"},
    {"SetPageWidth", u"PageWidth", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, VT_EMPTY, "f"},
    {"SetPageHeight", u"PageHeight", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, VT_EMPTY, "f"},
    {"SetPageOrientation", u"Orientation", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, VT_EMPTY, "l"},
    {"SetFirstPageTray", u"FirstPageTray", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, VT_EMPTY, "l"},
    {"SetOtherPagesTray", u"OtherPagesTray", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, VT_EMPTY, "l"},
    {"SetVerticalAlignment", u"VerticalAlignment", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, VT_EMPTY, "l"},
    {"SetMirrorMargins", u"MirrorMargins", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, VT_EMPTY, "l"},
    {"SetHeaderDistance", u"HeaderDistance", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, VT_EMPTY, "f"},
    {"SetFooterDistance", u"FooterDistance", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, VT_EMPTY, "f"},
    {"SetSectionStart", u"SectionStart", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, VT_EMPTY, "l"},
    {"SetOddAndEvenPagesHeaderFooter", u"OddAndEvenPagesHeaderFooter", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, VT_EMPTY,
        "l"},
    {"SetDifferentFirstPageHeaderFooter", u"DifferentFirstPageHeaderFooter", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT,
        VT_EMPTY, "l"},
    {"SetSuppressEndnotes", u"SuppressEndnotes", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, VT_EMPTY, "l"},
    {"GetLineNumbering", u"LineNumbering", DISPID_UNKNOWN, DISPATCH_PROPERTYGET, VT_DISPATCH, ""},
    {"GetTextColumns", u"TextColumns", DISPID_UNKNOWN, DISPATCH_PROPERTYGET, VT_DISPATCH, ""},
    {"SetTwoPagesOnOne", u"TwoPagesOnOne", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, VT_EMPTY, "b"},
    {"SetDispId131", nullptr, 131, DISPATCH_PROPERTYPUT, VT_EMPTY, "l"},
    {"SetActive", u"Active", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, VT_EMPTY, "l"},
    {"SetCount", u"SetCount", DISPID_UNKNOWN, DISPATCH_METHOD, VT_EMPTY, "l"},
    {"GetFont", u"Font", DISPID_UNKNOWN, DISPATCH_PROPERTYGET, VT_DISPATCH, ""},
    {"GetParagraphFormat", u"ParagraphFormat", DISPID_UNKNOWN, DISPATCH_PROPERTYGET, VT_DISPATCH, ""},
    {"GetColumns", u"Columns", DISPID_UNKNOWN, DISPATCH_PROPERTYGET, VT_DISPATCH, ""},
    {"GetRange", u"Range", DISPID_UNKNOWN, DISPATCH_PROPERTYGET, VT_DISPATCH, ""},
    {"GetInformation", u"Information", DISPID_UNKNOWN, DISPATCH_PROPERTYGET, VT_VARIANT, "l"},
    {"SetTextOrientation", u"Orientation", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, VT_EMPTY, "l"},
    {"GetInlineShapes", u"InlineShapes", DISPID_UNKNOWN, DISPATCH_PROPERTYGET, VT_DISPATCH, ""},
    {"Move", u"Move", DISPID_UNKNOWN, DISPATCH_METHOD, VT_I4, "RR"},
    {"MoveStart", u"MoveStart", DISPID_UNKNOWN, DISPATCH_METHOD, VT_I4, "RR"},
    {"Paste", u"Paste", DISPID_UNKNOWN, DISPATCH_METHOD, VT_EMPTY, ""},
    {"InsertBreak", u"InsertBreak", DISPID_UNKNOWN, DISPATCH_METHOD, VT_EMPTY, "R"},
    {"GoTo", u"GoTo", DISPID_UNKNOWN, DISPATCH_METHOD, VT_DISPATCH, "RRRR"},
    {"MoveRight", u"MoveRight", DISPID_UNKNOWN, DISPATCH_METHOD, VT_I4, "RRR"},
    {"TypeText", u"TypeText", DISPID_UNKNOWN, DISPATCH_METHOD, VT_EMPTY, "w"},
    {"TypeParagraph", u"TypeParagraph", DISPID_UNKNOWN, DISPATCH_METHOD, VT_EMPTY, ""},
    {"TypeBackspace", u"TypeBackspace", DISPID_UNKNOWN, DISPATCH_METHOD, VT_EMPTY, ""},
    {"SelectColumn", u"SelectColumn", DISPID_UNKNOWN, DISPATCH_METHOD, VT_EMPTY, ""},
    {"SetShapeHeight", u"Height", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, VT_EMPTY, "f"},
    {"SetShapeWidth", u"Width", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, VT_EMPTY, "f"},
    {"InlineShapesItem", u"Item", DISPID_UNKNOWN, DISPATCH_METHOD, VT_DISPATCH, "l"},
    {"AddOLEObject", u"AddOLEObject", DISPID_UNKNOWN, DISPATCH_METHOD, VT_DISPATCH, "RRRRRRRR"},
};

constexpr DISPATCH_MEMBER kTaroMembers[] = {
    {"GetItem", u"Item", DISPID_UNKNOWN, DISPATCH_PROPERTYGET, VT_VARIANT, "V"},
    {"SetItem", u"Item", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, VT_EMPTY, "VV"},
    {"CancelMode", u"CancelMode", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, ""},
    {"CancelSelectFrame", u"CancelSelectFrame", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, ""},
    {"CancelSelectRange", u"CancelSelectRange", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, ""},
    {"CharacterAttribute", u"CharacterAttribute", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT,
        "VVVVVVVVVVVVVVVVVVVVVVVVVVV"},
    {"CharacterSize", u"CharacterSize", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, "VVVV"},
    {"Columns", u"Columns", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, "V"},
    {"CursorDown", u"CursorDown", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, "V"},
    {"CursorLeft", u"CursorLeft", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, "V"},
    {"CursorRight", u"CursorRight", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, "V"},
    {"DocumentStyleDoubleLeaf", u"DocumentStyleDoubleLeaf", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, "VVVVV"},
    {"DocumentStyleFont", u"DocumentStyleFont", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, "VVVVVVVVV"},
    {"DocumentStyleLayout", u"DocumentStyleLayout", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, "VVVVVVV"},
    {"DocumentStyleMargin", u"DocumentStyleMargin", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, "VVVVV"},
    {"DocumentStylePage", u"DocumentStylePage", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, "VVVVVVVVVVVVVVVVVV"},
    {"DocumentStylePageDecoration", u"DocumentStylePageDecoration", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT,
        "VVVVVVVVVVVVVVV"},
    {"DocumentStylePaper", u"DocumentStylePaper", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, "V"},
    {"DocumentStyleRoman", u"DocumentStyleRoman", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, "VVVVVVVVVVVVVVVVV"},
    {"FormatCenter", u"FormatCenter", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, "V"},
    {"FormatLeft", u"FormatLeft", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, ""},
    {"FormatRight", u"FormatRight", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, "V"},
    {"GetColumn", u"GetColumn", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, ""},
    {"GetLineType", u"GetLineType", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, ""},
    {"GetOptionEnvironment", u"GetOptionEnvironment", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, ""},
    {"GetPage", u"GetPage", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, ""},
    {"GetRow", u"GetRow", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, ""},
    {"Indent", u"Indent", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, "VVVVVV"},
    {"InputBold", u"InputBold", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, "V"},
    {"InputCharacterSize", u"InputCharacterSize", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, "VVV"},
    {"InputDecoration", u"InputDecoration", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, "VVVVVVV"},
    {"InputFont", u"InputFont", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, "VV"},
    {"InputItalic", u"InputItalic", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, "V"},
    {"InputSizePoint", u"InputSizePoint", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, "V"},
    {"Insert", u"Insert", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, "V"},
    {"InsertOLEObject", u"InsertOLEObject", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, "VVVVVVVVVV"},
    {"InsertPage", u"InsertPage", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, "V"},
    {"InsertPicture", u"InsertPicture", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, "VVVVVVVV"},
    {"InsertReturn", u"InsertReturn", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, "VV"},
    {"Jump", u"Jump", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, "VVV"},
    {"Keisen", u"Keisen", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, "VVV"},
    {"KeisenEnd", u"KeisenEnd", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, ""},
    {"KeisenMode", u"KeisenMode", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, "VVV"},
    {"KeisenStart", u"KeisenStart", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, ""},
    {"NewDocument", u"NewDocument", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, ""},
    {"OptionEnvironment", u"OptionEnvironment", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, "V"},
    {"PasteOLEObject", u"PasteOLEObject", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, "VVVVVVVVVV"},
    {"RightCell", u"RightCell", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, "V"},
    {"Ruby", u"Ruby", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, "VVVVVVVVVV"},
    {"SaveDocument", u"SaveDocument", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, "V"},
    {"SelectFrameID", u"SelectFrameID", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, "V"},
    {"SelectRangeStart", u"SelectRangeStart", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, "V"},
    {"SetDocumentStyle", u"SetDocumentStyle", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, ""},
    {"WarningMode", u"WarningMode", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, "V"},
    {"ZoomFrame", u"ZoomFrame", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, "VVV"},
    {"ZoomFrameMode", u"ZoomFrameMode", DISPID_UNKNOWN, DISPATCH_METHOD, VT_VARIANT, "V"},
    {"GetTaroLibrary", u"TaroLibrary", DISPID_UNKNOWN, DISPATCH_PROPERTYGET, VT_DISPATCH, ""},
    {"SetVisible", u"Visible", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, VT_EMPTY, "b"},
    {"SetWindowState", u"WindowState", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, VT_EMPTY, "l"},
    {"Quit", u"Quit", DISPID_UNKNOWN, DISPATCH_METHOD, VT_EMPTY, "V"},
};

// One row per member, in the order of the enumerations.
static_assert(std::size(kWordMembers) == static_cast<size_t>(WordMember::kCount));
static_assert(std::size(kTaroMembers) == static_cast<size_t>(TaroMember::kCount));

// Whether a value may be sent as an argument of the type letter.
bool FitsArgumentType(const VARIANT& value, char type)
{
    switch (type) {
    case 'l': return value.vt == VT_I4;
    case 'f': return value.vt == VT_R4;
    case 'b': return value.vt == VT_BOOL;
    case 'o': return value.vt == VT_DISPATCH;
    case 'w':
    case 'n': return value.vt == VT_BSTR;
    case 'R': return value.vt == (VT_BYREF | VT_VARIANT) && value.pvarVal != nullptr;
    case 'V': return true;
    default: return false;
    }
}

std::vector<VARIANT> ByReference(std::initializer_list<VARIANT*> arguments)
{
    std::vector<VARIANT> sent;
    for (VARIANT* argument : arguments)
        sent.push_back(VARIANT::ByRef(argument));
    return sent;
}

template <size_t N> std::vector<VARIANT> ByReference(const std::array<VARIANT*, N>& arguments)
{
    std::vector<VARIANT> sent;
    for (VARIANT* argument : arguments)
        sent.push_back(VARIANT::ByRef(argument));
    return sent;
}

// Code-page-932 text, as the framework turns it into a BSTR.
VARIANT NarrowText(const char* text) { return VARIANT::String(Cp932ToWide(text != nullptr ? text : "")); }
VARIANT WideText(const char16_t* text) { return VARIANT::String(text != nullptr ? text : u""); }

}  // namespace

VARIANT CallDispatchMember(
    const COleDispatchDriver& driver, const DISPATCH_MEMBER& member, std::vector<VARIANT> arguments)
{
    if (arguments.size() != member.arguments.size())
        throw COleException(DISP_E_BADPARAMCOUNT);
    for (size_t i = 0; i < arguments.size(); ++i)
        if (!FitsArgumentType(arguments[i], member.arguments[i]))
            throw COleException(DISP_E_TYPEMISMATCH);
    const DISPID id = member.name != nullptr ? driver.LookUp(member.name) : member.fixedId;
    return driver.InvokeHelper(id, member.flags, member.result, std::move(arguments));
}

std::span<const DISPATCH_MEMBER> WordMembers() { return kWordMembers; }

std::span<const DISPATCH_MEMBER> TaroMembers() { return kTaroMembers; }

// --- Word

VARIANT CWordDispatch::Call(WordMember member, std::vector<VARIANT> arguments) const
{
    return CallDispatchMember(*this, kWordMembers[static_cast<size_t>(member)], std::move(arguments));
}

CWordDispatch::Object CWordDispatch::CallForObject(WordMember member, std::vector<VARIANT> arguments) const
{
    return Call(member, std::move(arguments)).pdispVal;
}

CWordDispatch::Object CWordDispatch::GetDocuments() const { return CallForObject(WordMember::GetDocuments); }

void CWordDispatch::SetVisible(BOOL visible) const { Call(WordMember::SetVisible, {VARIANT::Bool(visible != 0)}); }

void CWordDispatch::SetWindowState(LONG state) const { Call(WordMember::SetWindowState, {VARIANT::Long(state)}); }

void CWordDispatch::Quit(VARIANT* saveChanges, VARIANT* originalFormat, VARIANT* routeDocument) const
{
    Call(WordMember::Quit, ByReference({saveChanges, originalFormat, routeDocument}));
}

CWordDispatch::Object CWordDispatch::AddDocument(VARIANT* templateName, VARIANT* newTemplate) const
{
    return CallForObject(WordMember::AddDocument, ByReference({templateName, newTemplate}));
}

CWordDispatch::Object CWordDispatch::GetTables() const { return CallForObject(WordMember::GetTables); }

CWordDispatch::Object CWordDispatch::GetPageSetup() const { return CallForObject(WordMember::GetPageSetup); }

CWordDispatch::Object CWordDispatch::GetActiveWindow() const { return CallForObject(WordMember::GetActiveWindow); }

void CWordDispatch::SaveAs(const std::array<VARIANT*, 11>& arguments) const
{
    Call(WordMember::SaveAs, ByReference(arguments));
}

CWordDispatch::Object CWordDispatch::Range(VARIANT* start, VARIANT* end) const
{
    return CallForObject(WordMember::Range, ByReference({start, end}));
}

CWordDispatch::Object CWordDispatch::GetActivePane() const { return CallForObject(WordMember::GetActivePane); }

CWordDispatch::Object CWordDispatch::GetSelection() const { return CallForObject(WordMember::GetSelection); }

void CWordDispatch::Select() const { Call(WordMember::Select); }

void CWordDispatch::PhoneticGuide(
    const char16_t* text, LONG alignment, LONG raise, LONG fontSize, const char* fontName) const
{
    Call(WordMember::PhoneticGuide,
        {WideText(text), VARIANT::Long(alignment), VARIANT::Long(raise), VARIANT::Long(fontSize),
            NarrowText(fontName)});
}

void CWordDispatch::SetAlignment(LONG alignment) const { Call(WordMember::SetAlignment, {VARIANT::Long(alignment)}); }

void CWordDispatch::SetRightIndent(float points) const { Call(WordMember::SetRightIndent, {VARIANT::Float(points)}); }

void CWordDispatch::SetLeftIndent(float points) const { Call(WordMember::SetLeftIndent, {VARIANT::Float(points)}); }

void CWordDispatch::SetLineSpacing(float spacing) const { Call(WordMember::SetLineSpacing, {VARIANT::Float(spacing)}); }

void CWordDispatch::SetLineSpacingRule(LONG rule) const { Call(WordMember::SetLineSpacingRule, {VARIANT::Long(rule)}); }

void CWordDispatch::SetBaseLineAlignment(LONG alignment) const
{
    Call(WordMember::SetBaseLineAlignment, {VARIANT::Long(alignment)});
}

void CWordDispatch::SetBold(LONG bold) const { Call(WordMember::SetBold, {VARIANT::Long(bold)}); }

void CWordDispatch::SetItalic(LONG italic) const { Call(WordMember::SetItalic, {VARIANT::Long(italic)}); }

void CWordDispatch::SetStrikeThrough(LONG strike) const { Call(WordMember::SetStrikeThrough, {VARIANT::Long(strike)}); }

void CWordDispatch::SetColorIndex(LONG index) const { Call(WordMember::SetColorIndex, {VARIANT::Long(index)}); }

void CWordDispatch::SetSubscript(LONG subscript) const { Call(WordMember::SetSubscript, {VARIANT::Long(subscript)}); }

void CWordDispatch::SetSuperscript(LONG superscript) const
{
    Call(WordMember::SetSuperscript, {VARIANT::Long(superscript)});
}

void CWordDispatch::SetUnderline(LONG underline) const { Call(WordMember::SetUnderline, {VARIANT::Long(underline)}); }

void CWordDispatch::SetSize(float points) const { Call(WordMember::SetSize, {VARIANT::Float(points)}); }

void CWordDispatch::SetName(const char* face) const { Call(WordMember::SetName, {NarrowText(face)}); }

void CWordDispatch::SetScaling(LONG percent) const { Call(WordMember::SetScaling, {VARIANT::Long(percent)}); }

CWordDispatch::Object CWordDispatch::GetBorders() const { return CallForObject(WordMember::GetBorders); }

CWordDispatch::Object CWordDispatch::GetShading() const { return CallForObject(WordMember::GetShading); }

CWordDispatch::Object CWordDispatch::GetRows() const { return CallForObject(WordMember::GetRows); }

CWordDispatch::Object CWordDispatch::Cell(LONG row, LONG column) const
{
    return CallForObject(WordMember::Cell, {VARIANT::Long(row), VARIANT::Long(column)});
}

void CWordDispatch::AutoFitBehavior(LONG behavior) const
{
    Call(WordMember::AutoFitBehavior, {VARIANT::Long(behavior)});
}

void CWordDispatch::SetDispId113(float value) const { Call(WordMember::SetDispId113, {VARIANT::Float(value)}); }

void CWordDispatch::SetDispId114(float value) const { Call(WordMember::SetDispId114, {VARIANT::Float(value)}); }

void CWordDispatch::SetDispId115(float value) const { Call(WordMember::SetDispId115, {VARIANT::Float(value)}); }

void CWordDispatch::SetDispId116(float value) const { Call(WordMember::SetDispId116, {VARIANT::Float(value)}); }

void CWordDispatch::SetRowHeight(float points) const { Call(WordMember::SetRowHeight, {VARIANT::Float(points)}); }

CWordDispatch::Object CWordDispatch::AddTable(const Object& range, LONG rows, LONG columns) const
{
    return CallForObject(WordMember::AddTable, {VARIANT::Object(range), VARIANT::Long(rows), VARIANT::Long(columns)});
}

LONG CWordDispatch::GetCount() const { return Call(WordMember::GetCount).lVal; }

CWordDispatch::Object CWordDispatch::RowsItem(LONG index) const
{
    return CallForObject(WordMember::RowsItem, {VARIANT::Long(index)});
}

void CWordDispatch::SetDispId13(float value) const { Call(WordMember::SetDispId13, {VARIANT::Float(value)}); }

void CWordDispatch::SetDispId14(float value) const { Call(WordMember::SetDispId14, {VARIANT::Float(value)}); }

void CWordDispatch::SetDispId20(float value) const { Call(WordMember::SetDispId20, {VARIANT::Float(value)}); }

void CWordDispatch::SetDispId21(float value) const { Call(WordMember::SetDispId21, {VARIANT::Float(value)}); }

void CWordDispatch::SetDispId17(float value) const { Call(WordMember::SetDispId17, {VARIANT::Float(value)}); }

void CWordDispatch::SetDispId105(float value) const { Call(WordMember::SetDispId105, {VARIANT::Float(value)}); }

void CWordDispatch::SetDispId106(LONG value) const { Call(WordMember::SetDispId106, {VARIANT::Long(value)}); }

CWordDispatch::Object CWordDispatch::BordersItem(LONG index) const
{
    return CallForObject(WordMember::BordersItem, {VARIANT::Long(index)});
}

void CWordDispatch::SetLineStyle(LONG style) const { Call(WordMember::SetLineStyle, {VARIANT::Long(style)}); }

void CWordDispatch::SetBackgroundPatternColorIndex(LONG index) const
{
    Call(WordMember::SetBackgroundPatternColorIndex, {VARIANT::Long(index)});
}

void CWordDispatch::SetTexture(LONG texture) const { Call(WordMember::SetTexture, {VARIANT::Long(texture)}); }

void CWordDispatch::SetTopMargin(float points) const { Call(WordMember::SetTopMargin, {VARIANT::Float(points)}); }

void CWordDispatch::SetBottomMargin(float points) const { Call(WordMember::SetBottomMargin, {VARIANT::Float(points)}); }

void CWordDispatch::SetLeftMargin(float points) const { Call(WordMember::SetLeftMargin, {VARIANT::Float(points)}); }

void CWordDispatch::SetRightMargin(float points) const { Call(WordMember::SetRightMargin, {VARIANT::Float(points)}); }

void CWordDispatch::SetGutter(float points) const { Call(WordMember::SetGutter, {VARIANT::Float(points)}); }

void CWordDispatch::SetPageWidth(float points) const { Call(WordMember::SetPageWidth, {VARIANT::Float(points)}); }

void CWordDispatch::SetPageHeight(float points) const { Call(WordMember::SetPageHeight, {VARIANT::Float(points)}); }

void CWordDispatch::SetPageOrientation(LONG orientation) const
{
    Call(WordMember::SetPageOrientation, {VARIANT::Long(orientation)});
}

void CWordDispatch::SetFirstPageTray(LONG tray) const { Call(WordMember::SetFirstPageTray, {VARIANT::Long(tray)}); }

void CWordDispatch::SetOtherPagesTray(LONG tray) const { Call(WordMember::SetOtherPagesTray, {VARIANT::Long(tray)}); }

void CWordDispatch::SetVerticalAlignment(LONG alignment) const
{
    Call(WordMember::SetVerticalAlignment, {VARIANT::Long(alignment)});
}

void CWordDispatch::SetMirrorMargins(LONG mirror) const { Call(WordMember::SetMirrorMargins, {VARIANT::Long(mirror)}); }

void CWordDispatch::SetHeaderDistance(float points) const
{
    Call(WordMember::SetHeaderDistance, {VARIANT::Float(points)});
}

void CWordDispatch::SetFooterDistance(float points) const
{
    Call(WordMember::SetFooterDistance, {VARIANT::Float(points)});
}

void CWordDispatch::SetSectionStart(LONG start) const { Call(WordMember::SetSectionStart, {VARIANT::Long(start)}); }

void CWordDispatch::SetOddAndEvenPagesHeaderFooter(LONG value) const
{
    Call(WordMember::SetOddAndEvenPagesHeaderFooter, {VARIANT::Long(value)});
}

void CWordDispatch::SetDifferentFirstPageHeaderFooter(LONG value) const
{
    Call(WordMember::SetDifferentFirstPageHeaderFooter, {VARIANT::Long(value)});
}

void CWordDispatch::SetSuppressEndnotes(LONG value) const
{
    Call(WordMember::SetSuppressEndnotes, {VARIANT::Long(value)});
}

CWordDispatch::Object CWordDispatch::GetLineNumbering() const { return CallForObject(WordMember::GetLineNumbering); }

CWordDispatch::Object CWordDispatch::GetTextColumns() const { return CallForObject(WordMember::GetTextColumns); }

void CWordDispatch::SetTwoPagesOnOne(BOOL value) const
{
    Call(WordMember::SetTwoPagesOnOne, {VARIANT::Bool(value != 0)});
}

void CWordDispatch::SetDispId131(LONG value) const { Call(WordMember::SetDispId131, {VARIANT::Long(value)}); }

void CWordDispatch::SetActive(LONG active) const { Call(WordMember::SetActive, {VARIANT::Long(active)}); }

void CWordDispatch::SetCount(LONG count) const { Call(WordMember::SetCount, {VARIANT::Long(count)}); }

CWordDispatch::Object CWordDispatch::GetFont() const { return CallForObject(WordMember::GetFont); }

CWordDispatch::Object CWordDispatch::GetParagraphFormat() const
{
    return CallForObject(WordMember::GetParagraphFormat);
}

CWordDispatch::Object CWordDispatch::GetColumns() const { return CallForObject(WordMember::GetColumns); }

CWordDispatch::Object CWordDispatch::GetRange() const { return CallForObject(WordMember::GetRange); }

VARIANT CWordDispatch::GetInformation(LONG type) const
{
    return Call(WordMember::GetInformation, {VARIANT::Long(type)});
}

void CWordDispatch::SetTextOrientation(LONG orientation) const
{
    Call(WordMember::SetTextOrientation, {VARIANT::Long(orientation)});
}

CWordDispatch::Object CWordDispatch::GetInlineShapes() const { return CallForObject(WordMember::GetInlineShapes); }

LONG CWordDispatch::Move(VARIANT* unit, VARIANT* count) const
{
    return Call(WordMember::Move, ByReference({unit, count})).lVal;
}

LONG CWordDispatch::MoveStart(VARIANT* unit, VARIANT* count) const
{
    return Call(WordMember::MoveStart, ByReference({unit, count})).lVal;
}

void CWordDispatch::Paste() const { Call(WordMember::Paste); }

void CWordDispatch::InsertBreak(VARIANT* type) const { Call(WordMember::InsertBreak, ByReference({type})); }

CWordDispatch::Object CWordDispatch::GoTo(VARIANT* what, VARIANT* which, VARIANT* count, VARIANT* name) const
{
    return CallForObject(WordMember::GoTo, ByReference({what, which, count, name}));
}

LONG CWordDispatch::MoveRight(VARIANT* unit, VARIANT* count, VARIANT* extend) const
{
    return Call(WordMember::MoveRight, ByReference({unit, count, extend})).lVal;
}

void CWordDispatch::TypeText(const char16_t* text) const { Call(WordMember::TypeText, {WideText(text)}); }

void CWordDispatch::TypeParagraph() const { Call(WordMember::TypeParagraph); }

void CWordDispatch::TypeBackspace() const { Call(WordMember::TypeBackspace); }

void CWordDispatch::SelectColumn() const { Call(WordMember::SelectColumn); }

void CWordDispatch::SetShapeHeight(float points) const { Call(WordMember::SetShapeHeight, {VARIANT::Float(points)}); }

void CWordDispatch::SetShapeWidth(float points) const { Call(WordMember::SetShapeWidth, {VARIANT::Float(points)}); }

CWordDispatch::Object CWordDispatch::InlineShapesItem(LONG index) const
{
    return CallForObject(WordMember::InlineShapesItem, {VARIANT::Long(index)});
}

CWordDispatch::Object CWordDispatch::AddOLEObject(const std::array<VARIANT*, 8>& arguments) const
{
    return CallForObject(WordMember::AddOLEObject, ByReference(arguments));
}

// --- Ichitaro

VARIANT CTaroDispatch::Call(TaroMember member, Arguments arguments) const
{
    return CallDispatchMember(*this, kTaroMembers[static_cast<size_t>(member)], std::move(arguments));
}

VARIANT CTaroDispatch::GetItem(const VARIANT& index) const { return Call(TaroMember::GetItem, {index}); }

void CTaroDispatch::SetItem(const VARIANT& index, const VARIANT& value) const
{
    Call(TaroMember::SetItem, {index, value});
}

VARIANT CTaroDispatch::CancelMode() const { return Call(TaroMember::CancelMode); }

VARIANT CTaroDispatch::CancelSelectFrame() const { return Call(TaroMember::CancelSelectFrame); }

VARIANT CTaroDispatch::CancelSelectRange() const { return Call(TaroMember::CancelSelectRange); }

VARIANT CTaroDispatch::CharacterAttribute(Arguments arguments) const
{
    return Call(TaroMember::CharacterAttribute, std::move(arguments));
}

VARIANT CTaroDispatch::CharacterSize(Arguments arguments) const
{
    return Call(TaroMember::CharacterSize, std::move(arguments));
}

VARIANT CTaroDispatch::Columns(Arguments arguments) const { return Call(TaroMember::Columns, std::move(arguments)); }

VARIANT CTaroDispatch::CursorDown(Arguments arguments) const
{
    return Call(TaroMember::CursorDown, std::move(arguments));
}

VARIANT CTaroDispatch::CursorLeft(Arguments arguments) const
{
    return Call(TaroMember::CursorLeft, std::move(arguments));
}

VARIANT CTaroDispatch::CursorRight(Arguments arguments) const
{
    return Call(TaroMember::CursorRight, std::move(arguments));
}

VARIANT CTaroDispatch::DocumentStyleDoubleLeaf(Arguments arguments) const
{
    return Call(TaroMember::DocumentStyleDoubleLeaf, std::move(arguments));
}

VARIANT CTaroDispatch::DocumentStyleFont(Arguments arguments) const
{
    return Call(TaroMember::DocumentStyleFont, std::move(arguments));
}

VARIANT CTaroDispatch::DocumentStyleLayout(Arguments arguments) const
{
    return Call(TaroMember::DocumentStyleLayout, std::move(arguments));
}

VARIANT CTaroDispatch::DocumentStyleMargin(Arguments arguments) const
{
    return Call(TaroMember::DocumentStyleMargin, std::move(arguments));
}

VARIANT CTaroDispatch::DocumentStylePage(Arguments arguments) const
{
    return Call(TaroMember::DocumentStylePage, std::move(arguments));
}

VARIANT CTaroDispatch::DocumentStylePageDecoration(Arguments arguments) const
{
    return Call(TaroMember::DocumentStylePageDecoration, std::move(arguments));
}

VARIANT CTaroDispatch::DocumentStylePaper(Arguments arguments) const
{
    return Call(TaroMember::DocumentStylePaper, std::move(arguments));
}

VARIANT CTaroDispatch::DocumentStyleRoman(Arguments arguments) const
{
    return Call(TaroMember::DocumentStyleRoman, std::move(arguments));
}

VARIANT CTaroDispatch::FormatCenter(Arguments arguments) const
{
    return Call(TaroMember::FormatCenter, std::move(arguments));
}

VARIANT CTaroDispatch::FormatLeft() const { return Call(TaroMember::FormatLeft); }

VARIANT CTaroDispatch::FormatRight(Arguments arguments) const
{
    return Call(TaroMember::FormatRight, std::move(arguments));
}

VARIANT CTaroDispatch::GetColumn() const { return Call(TaroMember::GetColumn); }

VARIANT CTaroDispatch::GetLineType() const { return Call(TaroMember::GetLineType); }

VARIANT CTaroDispatch::GetOptionEnvironment() const { return Call(TaroMember::GetOptionEnvironment); }

VARIANT CTaroDispatch::GetPage() const { return Call(TaroMember::GetPage); }

VARIANT CTaroDispatch::GetRow() const { return Call(TaroMember::GetRow); }

VARIANT CTaroDispatch::Indent(Arguments arguments) const { return Call(TaroMember::Indent, std::move(arguments)); }

VARIANT CTaroDispatch::InputBold(Arguments arguments) const
{
    return Call(TaroMember::InputBold, std::move(arguments));
}

VARIANT CTaroDispatch::InputCharacterSize(Arguments arguments) const
{
    return Call(TaroMember::InputCharacterSize, std::move(arguments));
}

VARIANT CTaroDispatch::InputDecoration(Arguments arguments) const
{
    return Call(TaroMember::InputDecoration, std::move(arguments));
}

VARIANT CTaroDispatch::InputFont(Arguments arguments) const
{
    return Call(TaroMember::InputFont, std::move(arguments));
}

VARIANT CTaroDispatch::InputItalic(Arguments arguments) const
{
    return Call(TaroMember::InputItalic, std::move(arguments));
}

VARIANT CTaroDispatch::InputSizePoint(Arguments arguments) const
{
    return Call(TaroMember::InputSizePoint, std::move(arguments));
}

VARIANT CTaroDispatch::Insert(Arguments arguments) const { return Call(TaroMember::Insert, std::move(arguments)); }

VARIANT CTaroDispatch::InsertOLEObject(Arguments arguments) const
{
    return Call(TaroMember::InsertOLEObject, std::move(arguments));
}

VARIANT CTaroDispatch::InsertPage(Arguments arguments) const
{
    return Call(TaroMember::InsertPage, std::move(arguments));
}

VARIANT CTaroDispatch::InsertPicture(Arguments arguments) const
{
    return Call(TaroMember::InsertPicture, std::move(arguments));
}

VARIANT CTaroDispatch::InsertReturn(Arguments arguments) const
{
    return Call(TaroMember::InsertReturn, std::move(arguments));
}

VARIANT CTaroDispatch::Jump(Arguments arguments) const { return Call(TaroMember::Jump, std::move(arguments)); }

VARIANT CTaroDispatch::Keisen(Arguments arguments) const { return Call(TaroMember::Keisen, std::move(arguments)); }

VARIANT CTaroDispatch::KeisenEnd() const { return Call(TaroMember::KeisenEnd); }

VARIANT CTaroDispatch::KeisenMode(Arguments arguments) const
{
    return Call(TaroMember::KeisenMode, std::move(arguments));
}

VARIANT CTaroDispatch::KeisenStart() const { return Call(TaroMember::KeisenStart); }

VARIANT CTaroDispatch::NewDocument() const { return Call(TaroMember::NewDocument); }

VARIANT CTaroDispatch::OptionEnvironment(const VARIANT& options) const
{
    return Call(TaroMember::OptionEnvironment, {options});
}

VARIANT CTaroDispatch::PasteOLEObject(Arguments arguments) const
{
    return Call(TaroMember::PasteOLEObject, std::move(arguments));
}

VARIANT CTaroDispatch::RightCell(Arguments arguments) const
{
    return Call(TaroMember::RightCell, std::move(arguments));
}

VARIANT CTaroDispatch::Ruby(Arguments arguments) const { return Call(TaroMember::Ruby, std::move(arguments)); }

VARIANT CTaroDispatch::SaveDocument(const VARIANT& fileName) const
{
    return Call(TaroMember::SaveDocument, {fileName});
}

VARIANT CTaroDispatch::SelectFrameID(Arguments arguments) const
{
    return Call(TaroMember::SelectFrameID, std::move(arguments));
}

VARIANT CTaroDispatch::SelectRangeStart(Arguments arguments) const
{
    return Call(TaroMember::SelectRangeStart, std::move(arguments));
}

VARIANT CTaroDispatch::SetDocumentStyle() const { return Call(TaroMember::SetDocumentStyle); }

VARIANT CTaroDispatch::WarningMode(bool on) const { return Call(TaroMember::WarningMode, {VARIANT::Bool(on)}); }

VARIANT CTaroDispatch::ZoomFrame(Arguments arguments) const
{
    return Call(TaroMember::ZoomFrame, std::move(arguments));
}

VARIANT CTaroDispatch::ZoomFrameMode(Arguments arguments) const
{
    return Call(TaroMember::ZoomFrameMode, std::move(arguments));
}

std::shared_ptr<IDispatch> CTaroDispatch::GetTaroLibrary() const { return Call(TaroMember::GetTaroLibrary).pdispVal; }

void CTaroDispatch::SetVisible(BOOL visible) const { Call(TaroMember::SetVisible, {VARIANT::Bool(visible != 0)}); }

void CTaroDispatch::SetWindowState(LONG state) const { Call(TaroMember::SetWindowState, {VARIANT::Long(state)}); }

void CTaroDispatch::Quit(const VARIANT& mode) const { Call(TaroMember::Quit, {mode}); }
