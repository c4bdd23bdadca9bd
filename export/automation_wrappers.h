// The late-bound wrappers of the word processors: CWordDispatch for Word's objects and
// CTaroDispatch for Ichitaro's. Each member is one automation property or method. One table per
// wrapper says, for every member, the name the server publishes (looked up on every call) or the
// fixed dispatch id it is called by, the kind of invocation, the result type and the types of its
// arguments; every call goes through that table. Failures leave the member as the driver's
// COleDispatchException (described by the server) or COleException (any other status); a driver
// that holds no object raises COleException(E_POINTER).
#pragma once

#include "platform/automation.h"

#include <array>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// One member of a wrapper. Argument types, one letter each: l long (VT_I4), f float (VT_R4),
// b BOOL (VT_BOOL), o object (VT_DISPATCH), w UTF-16 text and n code-page-932 text (both sent as
// VT_BSTR), R a VARIANT sent by reference, V a VARIANT sent by value.
struct DISPATCH_MEMBER {
    const char* member;      // the wrapper's member function
    const char16_t* name;    // the automation name; null for a member called by its fixed id
    DISPID fixedId;          // DISPID_UNKNOWN for a member looked up by name
    WORD flags;              // DISPATCH_METHOD, DISPATCH_PROPERTYGET or DISPATCH_PROPERTYPUT
    VARTYPE result;          // VT_EMPTY (none), VT_DISPATCH, VT_I4 or VT_VARIANT
    std::string_view arguments;
};

// Makes one call of a member on the driver's object: the arguments must match the member's
// types (else COleException(DISP_E_BADPARAMCOUNT or DISP_E_TYPEMISMATCH), nothing sent).
VARIANT CallDispatchMember(const COleDispatchDriver& driver, const DISPATCH_MEMBER& member,
                           std::vector<VARIANT> arguments);

enum class WordMember : int {
    GetDocuments, SetVisible, SetWindowState, Quit, AddDocument, GetTables, GetPageSetup, GetActiveWindow, SaveAs,
    Range, GetActivePane, GetSelection, Select, PhoneticGuide, SetAlignment, SetRightIndent, SetLeftIndent,
    SetLineSpacing, SetLineSpacingRule, SetBaseLineAlignment, SetBold, SetItalic, SetStrikeThrough, SetColorIndex,
    SetSubscript, SetSuperscript, SetUnderline, SetSize, SetName, SetScaling, GetBorders, GetShading, GetRows, Cell,
    AutoFitBehavior, SetDispId113, SetDispId114, SetDispId115, SetDispId116, SetRowHeight, AddTable, GetCount,
    RowsItem, SetDispId13, SetDispId14, SetDispId20, SetDispId21, SetDispId17, SetDispId105, SetDispId106,
    BordersItem, SetLineStyle, SetBackgroundPatternColorIndex, SetTexture, SetTopMargin, SetBottomMargin,
    SetLeftMargin, SetRightMargin, SetGutter, SetPageWidth, SetPageHeight, SetPageOrientation, SetFirstPageTray,
    SetOtherPagesTray, SetVerticalAlignment, SetMirrorMargins, SetHeaderDistance, SetFooterDistance,
    SetSectionStart, SetOddAndEvenPagesHeaderFooter, SetDifferentFirstPageHeaderFooter, SetSuppressEndnotes,
    GetLineNumbering, GetTextColumns, SetTwoPagesOnOne, SetDispId131, SetActive, SetCount, GetFont,
    GetParagraphFormat, GetColumns, GetRange, GetInformation, SetTextOrientation, GetInlineShapes, Move, MoveStart,
    Paste, InsertBreak, GoTo, MoveRight, TypeText, TypeParagraph, TypeBackspace, SelectColumn, SetShapeHeight,
    SetShapeWidth, InlineShapesItem, AddOLEObject,
    kCount
};

enum class TaroMember : int {
    GetItem, SetItem, CancelMode, CancelSelectFrame, CancelSelectRange, CharacterAttribute, CharacterSize, Columns,
    CursorDown, CursorLeft, CursorRight, DocumentStyleDoubleLeaf, DocumentStyleFont, DocumentStyleLayout,
    DocumentStyleMargin, DocumentStylePage, DocumentStylePageDecoration, DocumentStylePaper, DocumentStyleRoman,
    FormatCenter, FormatLeft, FormatRight, GetColumn, GetLineType, GetOptionEnvironment, GetPage, GetRow, Indent,
    InputBold, InputCharacterSize, InputDecoration, InputFont, InputItalic, InputSizePoint, Insert, InsertOLEObject,
    InsertPage, InsertPicture, InsertReturn, Jump, Keisen, KeisenEnd, KeisenMode, KeisenStart, NewDocument,
    OptionEnvironment, PasteOLEObject, RightCell, Ruby, SaveDocument, SelectFrameID, SelectRangeStart,
    SetDocumentStyle, WarningMode, ZoomFrame, ZoomFrameMode, GetTaroLibrary, SetVisible, SetWindowState, Quit,
    kCount
};

// The member tables, in the order of the enumerations.
std::span<const DISPATCH_MEMBER> WordMembers();
std::span<const DISPATCH_MEMBER> TaroMembers();

class CWordDispatch : public COleDispatchDriver {
public:
    using COleDispatchDriver::COleDispatchDriver;
    using Object = std::shared_ptr<IDispatch>;

    // Application.
    Object GetDocuments() const;
    void SetVisible(BOOL visible) const;
    void SetWindowState(LONG state) const;
    void Quit(VARIANT* saveChanges, VARIANT* originalFormat, VARIANT* routeDocument) const;
    // Documents.
    Object AddDocument(VARIANT* templateName, VARIANT* newTemplate) const;
    // Document.
    Object GetTables() const;
    Object GetPageSetup() const;
    Object GetActiveWindow() const;
    // The file name first, then the ten optional arguments.
    void SaveAs(const std::array<VARIANT*, 11>& arguments) const;
    Object Range(VARIANT* start, VARIANT* end) const;
    // Window, pane, range and table.
    Object GetActivePane() const;
    Object GetSelection() const;
    void Select() const;
    void PhoneticGuide(const char16_t* text, LONG alignment, LONG raise, LONG fontSize, const char* fontName) const;
    // ParagraphFormat.
    void SetAlignment(LONG alignment) const;
    void SetRightIndent(float points) const;
    void SetLeftIndent(float points) const;
    void SetLineSpacing(float spacing) const;
    void SetLineSpacingRule(LONG rule) const;
    void SetBaseLineAlignment(LONG alignment) const;
    // Font.
    void SetBold(LONG bold) const;
    void SetItalic(LONG italic) const;
    void SetStrikeThrough(LONG strike) const;
    void SetColorIndex(LONG index) const;
    void SetSubscript(LONG subscript) const;
    void SetSuperscript(LONG superscript) const;
    void SetUnderline(LONG underline) const;
    void SetSize(float points) const;
    void SetName(const char* face) const;
    void SetScaling(LONG percent) const;
    Object GetBorders() const;
    Object GetShading() const;
    // Table and rows.
    Object GetRows() const;
    Object Cell(LONG row, LONG column) const;
    void AutoFitBehavior(LONG behavior) const;
    void SetDispId113(float value) const;
    void SetDispId114(float value) const;
    void SetDispId115(float value) const;
    void SetDispId116(float value) const;
    void SetRowHeight(float points) const;
    Object AddTable(const Object& range, LONG rows, LONG columns) const;
    LONG GetCount() const;
    Object RowsItem(LONG index) const;
    void SetDispId13(float value) const;
    void SetDispId14(float value) const;
    void SetDispId20(float value) const;
    void SetDispId21(float value) const;
    void SetDispId17(float value) const;
    void SetDispId105(float value) const;
    void SetDispId106(LONG value) const;
    // Borders, border and shading.
    Object BordersItem(LONG index) const;
    void SetLineStyle(LONG style) const;
    void SetBackgroundPatternColorIndex(LONG index) const;
    void SetTexture(LONG texture) const;
    // PageSetup.
    void SetTopMargin(float points) const;
    void SetBottomMargin(float points) const;
    void SetLeftMargin(float points) const;
    void SetRightMargin(float points) const;
    void SetGutter(float points) const;
    void SetPageWidth(float points) const;
    void SetPageHeight(float points) const;
    void SetPageOrientation(LONG orientation) const;
    void SetFirstPageTray(LONG tray) const;
    void SetOtherPagesTray(LONG tray) const;
    void SetVerticalAlignment(LONG alignment) const;
    void SetMirrorMargins(LONG mirror) const;
    void SetHeaderDistance(float points) const;
    void SetFooterDistance(float points) const;
    void SetSectionStart(LONG start) const;
    void SetOddAndEvenPagesHeaderFooter(LONG value) const;
    void SetDifferentFirstPageHeaderFooter(LONG value) const;
    void SetSuppressEndnotes(LONG value) const;
    Object GetLineNumbering() const;
    Object GetTextColumns() const;
    void SetTwoPagesOnOne(BOOL value) const;
    void SetDispId131(LONG value) const;
    void SetActive(LONG active) const;
    void SetCount(LONG count) const;
    // Selection.
    Object GetFont() const;
    Object GetParagraphFormat() const;
    Object GetColumns() const;
    Object GetRange() const;
    VARIANT GetInformation(LONG type) const;
    void SetTextOrientation(LONG orientation) const;
    Object GetInlineShapes() const;
    LONG Move(VARIANT* unit, VARIANT* count) const;
    LONG MoveStart(VARIANT* unit, VARIANT* count) const;
    void Paste() const;
    void InsertBreak(VARIANT* type) const;
    Object GoTo(VARIANT* what, VARIANT* which, VARIANT* count, VARIANT* name) const;
    LONG MoveRight(VARIANT* unit, VARIANT* count, VARIANT* extend) const;
    void TypeText(const char16_t* text) const;
    void TypeParagraph() const;
    void TypeBackspace() const;
    void SelectColumn() const;
    // InlineShape and InlineShapes.
    void SetShapeHeight(float points) const;
    void SetShapeWidth(float points) const;
    Object InlineShapesItem(LONG index) const;
    Object AddOLEObject(const std::array<VARIANT*, 8>& arguments) const;

private:
    VARIANT Call(WordMember member, std::vector<VARIANT> arguments = {}) const;
    Object CallForObject(WordMember member, std::vector<VARIANT> arguments = {}) const;
};

// Ichitaro's members: VARIANTs sent by value and a VARIANT result, unless the table says
// otherwise; a member given another number of arguments than its row raises COleException.
class CTaroDispatch : public COleDispatchDriver {
public:
    using COleDispatchDriver::COleDispatchDriver;
    using Arguments = std::vector<VARIANT>;

    VARIANT GetItem(const VARIANT& index) const;
    void SetItem(const VARIANT& index, const VARIANT& value) const;
    VARIANT CancelMode() const;
    VARIANT CancelSelectFrame() const;
    VARIANT CancelSelectRange() const;
    VARIANT CharacterAttribute(Arguments arguments) const;
    VARIANT CharacterSize(Arguments arguments) const;
    VARIANT Columns(Arguments arguments) const;
    VARIANT CursorDown(Arguments arguments) const;
    VARIANT CursorLeft(Arguments arguments) const;
    VARIANT CursorRight(Arguments arguments) const;
    VARIANT DocumentStyleDoubleLeaf(Arguments arguments) const;
    VARIANT DocumentStyleFont(Arguments arguments) const;
    VARIANT DocumentStyleLayout(Arguments arguments) const;
    VARIANT DocumentStyleMargin(Arguments arguments) const;
    VARIANT DocumentStylePage(Arguments arguments) const;
    VARIANT DocumentStylePageDecoration(Arguments arguments) const;
    VARIANT DocumentStylePaper(Arguments arguments) const;
    VARIANT DocumentStyleRoman(Arguments arguments) const;
    VARIANT FormatCenter(Arguments arguments) const;
    VARIANT FormatLeft() const;
    VARIANT FormatRight(Arguments arguments) const;
    VARIANT GetColumn() const;
    VARIANT GetLineType() const;
    VARIANT GetOptionEnvironment() const;
    VARIANT GetPage() const;
    VARIANT GetRow() const;
    VARIANT Indent(Arguments arguments) const;
    VARIANT InputBold(Arguments arguments) const;
    VARIANT InputCharacterSize(Arguments arguments) const;
    VARIANT InputDecoration(Arguments arguments) const;
    VARIANT InputFont(Arguments arguments) const;
    VARIANT InputItalic(Arguments arguments) const;
    VARIANT InputSizePoint(Arguments arguments) const;
    VARIANT Insert(Arguments arguments) const;
    VARIANT InsertOLEObject(Arguments arguments) const;
    VARIANT InsertPage(Arguments arguments) const;
    VARIANT InsertPicture(Arguments arguments) const;
    VARIANT InsertReturn(Arguments arguments) const;
    VARIANT Jump(Arguments arguments) const;
    VARIANT Keisen(Arguments arguments) const;
    VARIANT KeisenEnd() const;
    VARIANT KeisenMode(Arguments arguments) const;
    VARIANT KeisenStart() const;
    VARIANT NewDocument() const;
    VARIANT OptionEnvironment(const VARIANT& options) const;
    VARIANT PasteOLEObject(Arguments arguments) const;
    VARIANT RightCell(Arguments arguments) const;
    VARIANT Ruby(Arguments arguments) const;
    VARIANT SaveDocument(const VARIANT& fileName) const;
    VARIANT SelectFrameID(Arguments arguments) const;
    VARIANT SelectRangeStart(Arguments arguments) const;
    VARIANT SetDocumentStyle() const;
    // Sends the flag as a VT_BOOL VARIANT (VARIANT_TRUE or 0).
    VARIANT WarningMode(bool on) const;
    VARIANT ZoomFrame(Arguments arguments) const;
    VARIANT ZoomFrameMode(Arguments arguments) const;
    std::shared_ptr<IDispatch> GetTaroLibrary() const;
    void SetVisible(BOOL visible) const;
    void SetWindowState(LONG state) const;
    void Quit(const VARIANT& mode) const;

private:
    VARIANT Call(TaroMember member, Arguments arguments = {}) const;
};
