#include "export/word_server.h"

#include "export/word_server_codes.h"
#include "export/word_server_docx.h"
#include "export/word_server_model.h"
#include "export/word_server_pictures.h"
#include "export/word_server_selection.h"
#include "platform/shell.h"
#include "platform/utf8.h"

#include <cmath>
#include <functional>
#include <iterator>
#include <span>
#include <stdexcept>
#include <new>
#include <vector>

namespace {

constexpr char kProgId[] = "Word.Application";

// Bounds of the values the server takes, as Word's own dialogs bound them.
constexpr float kMaxLength = 1584;  // 22 inches, in points
constexpr float kMaxFontSize = 1638;
constexpr int kMaxScaling = 600;
constexpr int kMaxTableRows = 32767;
constexpr int kMaxTableColumns = 63;
constexpr int kMaxTextColumns = 45;
constexpr int kMaxFaceName = 64;
constexpr int kMaxColorIndex = 16;
// Selection.Information's horizontal position relative to the page: without a page layout the
// server answers 0, so the export's loop after a vertical table adds no paragraph marks.
constexpr int kHorizontalPositionRelativeToPage = 5;
constexpr int kGoToPage = 1;
constexpr int kCharacterUnit = 1;
constexpr int kDefaultBreak = 7;
// The name ids begin here, above every fixed dispatch id.
constexpr DISPID kFirstNameId = 1000;

[[noreturn]] void Refuse(const std::u16string& what) { throw WORD_MODEL_ERROR{what}; }

constexpr char16_t kBadArgument[] = u"引数が正しくありません。";
constexpr char16_t kNoDocument[] = u"文書がありません。";
constexpr char16_t kBadCell[] = u"表のセルの位置が正しくありません。";
constexpr char16_t kUnsupported[] = u"この操作はできません。";

enum class Kind {
    Application, Documents, Document, Window, Pane, Selection, Range, Font, ParagraphFormat, Borders, Border,
    Shading, PageSetup, LineNumbering, TextColumns, Tables, Table, Rows, Row, Columns, Cell, InlineShapes,
    InlineShape
};

struct STATE {
    std::unique_ptr<CWordDocumentModel> model;
    std::unique_ptr<CWordSelection> selection;
    int generation = 0;
    std::string savedPath;
    WordDocumentOpener opener;
};

class CWordObject;
using Arguments = std::vector<VARIANT>;
using Handler = void (*)(CWordObject& self, Arguments& arguments, VARIANT* result);

struct MEMBER {
    Kind kind;
    const char16_t* name;  // null for a member known by its fixed id
    DISPID fixedId;
    WORD flags;
    int argumentCount;
    Handler handler;
};

// --- arguments: by-reference VARIANTs are followed; each kind accepts Word's convertible types

const VARIANT& At(const Arguments& arguments, size_t index)
{
    const VARIANT& value = arguments.at(index);
    if (value.vt == (VT_BYREF | VT_VARIANT)) {
        if (value.pvarVal == nullptr)
            Refuse(kBadArgument);
        return *value.pvarVal;
    }
    return value;
}

bool Missing(const Arguments& arguments, size_t index) { return At(arguments, index).IsMissing(); }

double Number(const VARIANT& value)
{
    switch (value.vt) {
    case VT_I4: return value.lVal;
    case VT_R4: return value.fltVal;
    case VT_R8: return value.dblVal;
    case VT_BOOL: return value.boolVal != 0 ? -1 : 0;
    default: Refuse(kBadArgument);
    }
}

int Long(const Arguments& arguments, size_t index)
{
    const double value = Number(At(arguments, index));
    if (!std::isfinite(value) || value < -2147483648.0 || value > 2147483647.0 || value != std::trunc(value))
        Refuse(kBadArgument);
    return static_cast<int>(value);
}

int LongOr(const Arguments& arguments, size_t index, int absent)
{
    return Missing(arguments, index) ? absent : Long(arguments, index);
}

int LongIn(const Arguments& arguments, size_t index, int low, int high)
{
    const int value = Long(arguments, index);
    if (value < low || value > high)
        Refuse(kBadArgument);
    return value;
}

float FloatIn(const Arguments& arguments, size_t index, float low, float high)
{
    const double value = Number(At(arguments, index));
    if (!std::isfinite(value) || value < low || value > high)
        Refuse(kBadArgument);
    return static_cast<float>(value);
}

float Length(const Arguments& arguments, size_t index) { return FloatIn(arguments, index, 0, kMaxLength); }
float Indent(const Arguments& arguments, size_t index) { return FloatIn(arguments, index, -kMaxLength, kMaxLength); }

int Code(const Arguments& arguments, size_t index, std::span<const WORD_CODE> table)
{
    const int value = Long(arguments, index);
    if (WordCodeValue(table, value) == nullptr)
        Refuse(kBadArgument);
    return value;
}

std::u16string Text(const Arguments& arguments, size_t index)
{
    const VARIANT& value = At(arguments, index);
    if (value.vt != VT_BSTR)
        Refuse(kBadArgument);
    return value.bstrVal;
}

class CWordObject : public IDispatch, public std::enable_shared_from_this<CWordObject> {
public:
    CWordObject(std::shared_ptr<STATE> state, Kind kind) : m_kind(kind), m_state(std::move(state))
    {
        m_generation = m_state->generation;
    }

    HRESULT GetIDsOfNames(const std::u16string& name, LCID locale, DISPID* id) override;
    HRESULT Invoke(DISPID id, LCID locale, WORD flags, std::vector<VARIANT>& arguments, VARIANT* result,
                   EXCEPINFO* info) override;

    // A new object of the kind sharing this one's state and document.
    std::shared_ptr<CWordObject> Make(Kind kind) const
    {
        auto object = std::make_shared<CWordObject>(m_state, kind);
        object->m_generation = m_generation;
        return object;
    }
    void Return(VARIANT* result, std::shared_ptr<CWordObject> object) const
    {
        if (result != nullptr)
            *result = VARIANT::Object(std::move(object));
    }

    STATE& State() { return *m_state; }
    const std::shared_ptr<STATE>& SharedState() const { return m_state; }
    // The document this object belongs to; refused once it has ended.
    CWordDocumentModel& Model()
    {
        if (!m_state->model || m_generation != m_state->generation)
            Refuse(kNoDocument);
        return *m_state->model;
    }
    CWordSelection& Selection()
    {
        Model();
        return *m_state->selection;
    }
    // The extent the object stands for: its own (ranges) or the Selection's.
    WORD_EXTENT Extent()
    {
        return m_ofSelection ? Selection().Extent() : m_extent;
    }
    std::shared_ptr<WORD_TABLE> Table()
    {
        Model();
        std::shared_ptr<WORD_TABLE> table = m_table.lock();
        if (!table)
            Refuse(kNoDocument);
        return table;
    }

    Kind m_kind;
    int m_generation = 0;
    bool m_ofSelection = false;
    WORD_EXTENT m_extent;
    std::weak_ptr<WORD_TABLE> m_table;
    int m_row = 0;
    int m_firstColumn = 0;
    int m_lastColumn = 0;
    std::shared_ptr<WORD_PICTURE> m_picture;

private:
    std::shared_ptr<STATE> m_state;
};

// --- the members

void ChangeFont(CWordObject& self, const std::function<void(WORD_CHAR_FORMAT&)>& change)
{
    self.Selection().ChangeFormat(change);
}

void ChangeParagraphs(CWordObject& self, const std::function<void(WORD_PARA_FORMAT&)>& change)
{
    for (WORD_PARAGRAPH* paragraph : ParagraphsOf(self.Model(), self.Extent()))
        change(paragraph->format);
}

void ChangeColumns(CWordObject& self, const std::function<void(WORD_CELL&)>& change)
{
    const std::shared_ptr<WORD_TABLE> table = self.Table();
    for (int row = 0; row < table->rows; ++row)
        for (int column = self.m_firstColumn; column <= self.m_lastColumn; ++column)
            change(table->Cell(row, column));
}

std::shared_ptr<CWordObject> RangeObject(const CWordObject& self, const WORD_EXTENT& extent)
{
    auto range = self.Make(Kind::Range);
    range->m_extent = extent;
    return range;
}

std::shared_ptr<CWordObject> LiveObject(const CWordObject& self, Kind kind)
{
    auto object = self.Make(kind);
    object->m_ofSelection = true;
    return object;
}

std::shared_ptr<CWordObject> TableObject(const CWordObject& self, const std::shared_ptr<WORD_TABLE>& table)
{
    auto object = self.Make(Kind::Table);
    object->m_table = table;
    return object;
}

std::shared_ptr<CWordObject> ShapeObject(const CWordObject& self, std::shared_ptr<WORD_PICTURE> picture)
{
    auto shape = self.Make(Kind::InlineShape);
    shape->m_picture = std::move(picture);
    return shape;
}

// Application.
void NewDocument(CWordObject& self, Arguments& arguments, VARIANT* result)
{
    for (size_t i = 0; i < arguments.size(); ++i)
        if (!Missing(arguments, i) && At(arguments, i).vt != VT_BSTR && At(arguments, i).vt != VT_BOOL)
            Refuse(kBadArgument);
    STATE& state = self.State();
    ++state.generation;
    state.model = std::make_unique<CWordDocumentModel>();
    state.selection = std::make_unique<CWordSelection>(*state.model);
    state.savedPath.clear();
    auto document = std::make_shared<CWordObject>(self.SharedState(), Kind::Document);
    self.Return(result, document);
}

void Quit(CWordObject& self, Arguments&, VARIANT*)
{
    STATE& state = self.State();
    state.selection.reset();
    state.model.reset();
    ++state.generation;
}

void SetVisible(CWordObject& self, Arguments& arguments, VARIANT*)
{
    const bool visible = Long(arguments, 0) != 0;
    STATE& state = self.State();
    if (visible && !state.savedPath.empty() && state.opener)
        state.opener(state.savedPath);
}

void SaveAs(CWordObject& self, Arguments& arguments, VARIANT*)
{
    const std::u16string name = Text(arguments, 0);
    if (name.empty())
        Refuse(kBadArgument);
    const std::string path = Utf16ToUtf8(name);
    const std::error_code error = SaveWordPackage(self.Model(), path);
    if (error)
        Refuse(u"ファイル " + name + u" を保存できません。(" + Utf8ToUtf16(error.message()) + u")");
    self.State().savedPath = path;
}

void DocumentRange(CWordObject& self, Arguments& arguments, VARIANT* result)
{
    // Only the whole document: character offsets would need Word's story counting.
    if (!Missing(arguments, 0) || !Missing(arguments, 1))
        Refuse(kUnsupported);
    self.Model();
    WORD_EXTENT extent;
    extent.kind = WordExtentKind::Document;
    self.Return(result, RangeObject(self, extent));
}

// Selection.
void TypeText(CWordObject& self, Arguments& arguments, VARIANT*) { self.Selection().TypeText(Text(arguments, 0)); }

void MoveBy(CWordObject& self, Arguments& arguments, VARIANT* result, bool right)
{
    if (LongOr(arguments, 0, kCharacterUnit) != kCharacterUnit)
        Refuse(kUnsupported);
    const int count = LongOr(arguments, 1, 1);
    if (right && (count < 0 || (arguments.size() > 2 && LongOr(arguments, 2, 0) != 0)))
        Refuse(kUnsupported);
    const int moved = self.Selection().Move(count);
    if (result != nullptr)
        *result = VARIANT::Long(moved);
}

void MoveStart(CWordObject& self, Arguments& arguments, VARIANT* result)
{
    if (LongOr(arguments, 0, kCharacterUnit) != kCharacterUnit)
        Refuse(kUnsupported);
    const int moved = self.Selection().MoveStart(LongOr(arguments, 1, 1));
    if (result != nullptr)
        *result = VARIANT::Long(moved);
}

void GoTo(CWordObject& self, Arguments& arguments, VARIANT* result)
{
    if (LongOr(arguments, 0, kGoToPage) != kGoToPage)
        Refuse(kUnsupported);
    const int which = LongOr(arguments, 1, 1);
    if (which != 1 && which != 2)
        Refuse(kUnsupported);
    int page = LongOr(arguments, 2, 1);
    if (!Missing(arguments, 3)) {
        const VARIANT& name = At(arguments, 3);
        if (name.vt == VT_BSTR) {
            const std::string text = Utf16ToUtf8(name.bstrVal);
            if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
                Refuse(kBadArgument);
            page = std::stoi(text);
        } else {
            page = Long(arguments, 3);
        }
    }
    CWordSelection& selection = self.Selection();
    selection.GoToPage(page);
    self.Return(result, RangeObject(self, selection.Extent()));
}

void Information(CWordObject& self, Arguments& arguments, VARIANT* result)
{
    if (Long(arguments, 0) != kHorizontalPositionRelativeToPage)
        Refuse(kUnsupported);
    self.Selection();
    if (result != nullptr)
        *result = VARIANT::Long(0);
}

void SelectionColumns(CWordObject& self, Arguments&, VARIANT* result)
{
    const WORD_EXTENT extent = self.Selection().Extent();
    std::shared_ptr<WORD_TABLE> table;
    auto columns = self.Make(Kind::Columns);
    if (extent.kind == WordExtentKind::Cells) {
        table = extent.table.lock();
        columns->m_firstColumn = extent.firstColumn;
        columns->m_lastColumn = extent.lastColumn;
    } else if (extent.kind == WordExtentKind::Text) {
        int row = 0;
        table = TableAt(self.Model(), extent.start, &row, &columns->m_firstColumn);
        columns->m_lastColumn = columns->m_firstColumn;
    }
    if (!table)
        Refuse(u"表の中ではありません。");
    columns->m_table = table;
    self.Return(result, columns);
}

void Paste(CWordObject& self, Arguments&, VARIANT*)
{
    CWordSelection& selection = self.Selection();
    selection.InsertPicture(std::make_shared<WORD_PICTURE>(PictureFromClipboard()));
}

// Range and table.
void SelectObject(CWordObject& self, Arguments&, VARIANT*)
{
    if (self.m_kind == Kind::Table)
        self.Selection().Select(TableExtent(self.Table()));
    else
        self.Selection().Select(self.Extent());
}

void PhoneticGuide(CWordObject& self, Arguments& arguments, VARIANT*)
{
    WORD_RUBY ruby;
    ruby.reading = Text(arguments, 0);
    ruby.alignment = Code(arguments, 1, WordCodes::PhoneticAlignment());
    ruby.raise = LongIn(arguments, 2, 0, static_cast<int>(kMaxFontSize));
    ruby.fontSize = LongIn(arguments, 3, 1, static_cast<int>(kMaxFontSize));
    ruby.fontName = Text(arguments, 4);
    if (ruby.fontName.size() > kMaxFaceName)
        Refuse(kBadArgument);
    self.Selection().PhoneticGuide(self.Extent(), ruby);
}

void AddTable(CWordObject& self, Arguments& arguments, VARIANT* result)
{
    const VARIANT& where = At(arguments, 0);
    auto* range = where.vt == VT_DISPATCH ? dynamic_cast<CWordObject*>(where.pdispVal.get()) : nullptr;
    if (range == nullptr || range->m_kind != Kind::Range || range->SharedState() != self.SharedState())
        Refuse(kBadArgument);
    const int rows = LongIn(arguments, 1, 1, kMaxTableRows);
    const int columns = LongIn(arguments, 2, 1, kMaxTableColumns);
    const std::shared_ptr<WORD_TABLE> table = self.Selection().AddTable(range->Extent(), rows, columns);
    self.Return(result, TableObject(self, table));
}

void Cell(CWordObject& self, Arguments& arguments, VARIANT* result)
{
    const std::shared_ptr<WORD_TABLE> table = self.Table();
    const int row = Long(arguments, 0);
    const int column = Long(arguments, 1);
    if (row < 1 || row > table->rows || column < 1 || column > table->columns)
        Refuse(kBadCell);
    auto cell = self.Make(Kind::Cell);
    cell->m_table = table;
    cell->m_extent = CellExtent(table, row - 1, column - 1);
    self.Return(result, cell);
}

void ObjectRange(CWordObject& self, Arguments&, VARIANT* result)
{
    switch (self.m_kind) {
    case Kind::Selection: self.Return(result, RangeObject(self, self.Selection().Extent())); break;
    case Kind::Table: self.Return(result, RangeObject(self, TableExtent(self.Table()))); break;
    default:
        self.Table();
        self.Return(result, RangeObject(self, self.m_extent));
        break;
    }
}

void FixedTableValue(CWordObject& self, Arguments& arguments, DISPID id)
{
    const int object = self.m_kind == Kind::Table ? 0 : self.m_kind == Kind::Rows ? 1 : self.m_kind == Kind::Columns ? 2 : 3;
    for (const WORD_FIXED_ID& entry : WordFixedIds()) {
        if (entry.object != object || entry.id != id)
            continue;
        switch (entry.meaning) {
        case WordFixedIdMeaning::CellMarginTop:
        case WordFixedIdMeaning::CellMarginBottom:
        case WordFixedIdMeaning::CellMarginLeft:
        case WordFixedIdMeaning::CellMarginRight:
            self.Table()->cellMargins[static_cast<int>(entry.meaning) - static_cast<int>(WordFixedIdMeaning::CellMarginTop)] =
                Length(arguments, 0);
            return;
        case WordFixedIdMeaning::TableIndent:
            self.Table()->indent = Indent(arguments, 0);
            return;
        case WordFixedIdMeaning::PreferredWidth: {
            const float width = Length(arguments, 0);
            ChangeColumns(self, [width](WORD_CELL& cell) { cell.preferredWidth = width; });
            return;
        }
        case WordFixedIdMeaning::PreferredWidthType: {
            const int type = Code(arguments, 0, WordCodes::PreferredWidthType());
            ChangeColumns(self, [type](WORD_CELL& cell) { cell.preferredWidthType = type; });
            return;
        }
        case WordFixedIdMeaning::Ignored:
            // Recorded by the caller's transcript only: the value is checked and not used.
            if (object == 3)
                Long(arguments, 0);
            else
                Indent(arguments, 0);
            self.Model();
            return;
        }
    }
    Refuse(kUnsupported);
}

template <DISPID Id>
void Fixed(CWordObject& self, Arguments& arguments, VARIANT*)
{
    FixedTableValue(self, arguments, Id);
}

// Counts and items.
void Count(CWordObject& self, Arguments&, VARIANT* result)
{
    long count = 0;
    switch (self.m_kind) {
    case Kind::Rows: count = self.Table()->rows; break;
    case Kind::Columns: self.Table(); count = self.m_lastColumn - self.m_firstColumn + 1; break;
    default: count = static_cast<long>(PicturesOf(self.Model(), self.Extent()).size()); break;
    }
    if (result != nullptr)
        *result = VARIANT::Long(static_cast<int32_t>(count));
}

void Item(CWordObject& self, Arguments& arguments, VARIANT* result)
{
    const int index = Long(arguments, 0);
    switch (self.m_kind) {
    case Kind::Rows: {
        const std::shared_ptr<WORD_TABLE> table = self.Table();
        if (index < 1 || index > table->rows)
            Refuse(kBadCell);
        auto row = self.Make(Kind::Row);
        row->m_table = table;
        row->m_row = index - 1;
        self.Return(result, row);
        break;
    }
    case Kind::Borders:
        // Word's border items: the sides of a character border (1 to 4, or -1 to -4).
        if (index == 0 || index < -4 || index > 4)
            Refuse(kBadArgument);
        self.Selection();
        self.Return(result, LiveObject(self, Kind::Border));
        break;
    default: {
        const std::vector<std::shared_ptr<WORD_PICTURE>> pictures = PicturesOf(self.Model(), self.Extent());
        if (index < 1 || static_cast<size_t>(index) > pictures.size())
            Refuse(u"図の番号が正しくありません。");
        self.Return(result, ShapeObject(self, pictures[static_cast<size_t>(index - 1)]));
        break;
    }
    }
}

void AddOleObject(CWordObject& self, Arguments& arguments, VARIANT* result)
{
    const std::u16string classType = Text(arguments, 0);
    const std::u16string fileName = Text(arguments, 1);
    for (size_t i : {size_t(2), size_t(3)})
        if (!Missing(arguments, i) && Long(arguments, i) != 0)
            Refuse(kUnsupported);  // links and icons are not drawn here
    CWordSelection& selection = self.Selection();
    auto picture = std::make_shared<WORD_PICTURE>(PictureFromFragment(classType, Utf16ToUtf8(fileName)));
    selection.InsertPicture(picture);
    self.Return(result, ShapeObject(self, picture));
}

void ShapeSize(CWordObject& self, Arguments& arguments, bool width)
{
    self.Model();
    const float size = FloatIn(arguments, 0, 0.1f, kMaxLength);
    (width ? self.m_picture->width : self.m_picture->height) = size;
}

// --- the table of members

#define GETTER(kind, name, made) \
    {Kind::kind, u##name, DISPID_UNKNOWN, DISPATCH_PROPERTYGET, 0, \
     [](CWordObject& self, Arguments&, VARIANT* result) { self.Return(result, made); }}
#define FONT(name, type, body) \
    {Kind::Font, u##name, DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, 1, [](CWordObject& self, Arguments& a, VARIANT*) { \
         const auto value = type; \
         ChangeFont(self, [value](WORD_CHAR_FORMAT& f) { body; }); }}
#define PARAGRAPH(name, type, body) \
    {Kind::ParagraphFormat, u##name, DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, 1, \
     [](CWordObject& self, Arguments& a, VARIANT*) { \
         const auto value = type; \
         ChangeParagraphs(self, [value](WORD_PARA_FORMAT& p) { body; }); }}
#define PAGE(name, type, field) \
    {Kind::PageSetup, u##name, DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, 1, [](CWordObject& self, Arguments& a, VARIANT*) { \
         const auto value = type; \
         self.Model().Section().field = value; }}
#define MEMBER_METHOD(kind, name, count, handler) {Kind::kind, u##name, DISPID_UNKNOWN, DISPATCH_METHOD, count, handler}
#define FIXED(kind, id, type) {Kind::kind, nullptr, id, DISPATCH_PROPERTYPUT, 1, Fixed<id>}

const MEMBER kMembers[] = {
    // Application and documents.
    GETTER(Application, "Documents", self.Make(Kind::Documents)),
    {Kind::Application, u"Visible", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, 1, SetVisible},
    {Kind::Application, u"WindowState", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, 1,
     [](CWordObject&, Arguments& a, VARIANT*) { Long(a, 0); }},
    MEMBER_METHOD(Application, "Quit", 3, Quit),
    MEMBER_METHOD(Documents, "Add", 2, NewDocument),
    // Document, window and pane.
    GETTER(Document, "Tables", (self.Model(), self.Make(Kind::Tables))),
    GETTER(Document, "PageSetup", (self.Model(), self.Make(Kind::PageSetup))),
    GETTER(Document, "ActiveWindow", (self.Model(), self.Make(Kind::Window))),
    GETTER(Document, "InlineShapes", ([&self] {
               WORD_EXTENT all;
               all.kind = WordExtentKind::Document;
               self.Model();
               auto shapes = self.Make(Kind::InlineShapes);
               shapes->m_extent = all;
               return shapes;
           }())),
    MEMBER_METHOD(Document, "SaveAs", 11, SaveAs),
    MEMBER_METHOD(Document, "Range", 2, DocumentRange),
    GETTER(Window, "ActivePane", (self.Model(), self.Make(Kind::Pane))),
    GETTER(Pane, "Selection", (self.Model(), self.Make(Kind::Selection))),
    // Selection.
    GETTER(Selection, "Font", (self.Selection(), LiveObject(self, Kind::Font))),
    GETTER(Selection, "ParagraphFormat", (self.Selection(), LiveObject(self, Kind::ParagraphFormat))),
    GETTER(Selection, "InlineShapes", (self.Selection(), LiveObject(self, Kind::InlineShapes))),
    {Kind::Selection, u"Columns", DISPID_UNKNOWN, DISPATCH_PROPERTYGET, 0, SelectionColumns},
    {Kind::Selection, u"Range", DISPID_UNKNOWN, DISPATCH_PROPERTYGET, 0, ObjectRange},
    {Kind::Selection, u"Information", DISPID_UNKNOWN, DISPATCH_PROPERTYGET, 1, Information},
    {Kind::Selection, u"Orientation", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, 1,
     [](CWordObject& self, Arguments& a, VARIANT*) {
         self.Selection().SetTextOrientation(Code(a, 0, WordCodes::TextOrientation()));
     }},
    MEMBER_METHOD(Selection, "Move", 2, [](CWordObject& self, Arguments& a, VARIANT* r) { MoveBy(self, a, r, false); }),
    MEMBER_METHOD(Selection, "MoveRight", 3, [](CWordObject& self, Arguments& a, VARIANT* r) { MoveBy(self, a, r, true); }),
    MEMBER_METHOD(Selection, "MoveStart", 2, MoveStart),
    MEMBER_METHOD(Selection, "Paste", 0, Paste),
    MEMBER_METHOD(Selection, "InsertBreak", 1,
           [](CWordObject& self, Arguments& a, VARIANT*) { self.Selection().InsertBreak(LongOr(a, 0, kDefaultBreak)); }),
    MEMBER_METHOD(Selection, "GoTo", 4, GoTo),
    MEMBER_METHOD(Selection, "TypeText", 1, TypeText),
    MEMBER_METHOD(Selection, "TypeParagraph", 0, [](CWordObject& self, Arguments&, VARIANT*) { self.Selection().TypeParagraph(); }),
    MEMBER_METHOD(Selection, "TypeBackspace", 0, [](CWordObject& self, Arguments&, VARIANT*) { self.Selection().TypeBackspace(); }),
    MEMBER_METHOD(Selection, "SelectColumn", 0, [](CWordObject& self, Arguments&, VARIANT*) { self.Selection().SelectColumn(); }),
    // Ranges.
    MEMBER_METHOD(Range, "Select", 0, SelectObject),
    MEMBER_METHOD(Range, "PhoneticGuide", 5, PhoneticGuide),
    GETTER(Range, "ParagraphFormat", ([&self] {
               self.Selection();
               auto format = self.Make(Kind::ParagraphFormat);
               format->m_extent = self.m_extent;
               return format;
           }())),
    // Paragraph format.
    PARAGRAPH("Alignment", Code(a, 0, WordCodes::Alignment()), p.alignment = value),
    PARAGRAPH("LeftIndent", Indent(a, 0), p.leftIndent = value),
    PARAGRAPH("RightIndent", Indent(a, 0), p.rightIndent = value),
    PARAGRAPH("LineSpacing", Length(a, 0), p.lineSpacing = value),
    PARAGRAPH("LineSpacingRule", Code(a, 0, WordCodes::LineSpacingRule()), p.lineSpacingRule = value),
    PARAGRAPH("BaseLineAlignment", Code(a, 0, WordCodes::BaseLineAlignment()), p.baseLineAlignment = value),
    // Font, its borders and shading.
    FONT("Name", [&a] {
             std::u16string name = Text(a, 0);
             if (name.empty() || name.size() > kMaxFaceName)
                 Refuse(kBadArgument);
             return name;
         }(), f.name = value),
    FONT("Size", FloatIn(a, 0, 1, kMaxFontSize), f.size = value),
    FONT("Bold", Long(a, 0) != 0, f.bold = value),
    FONT("Italic", Long(a, 0) != 0, f.italic = value),
    FONT("StrikeThrough", Long(a, 0) != 0, f.strikeThrough = value),
    FONT("ColorIndex", LongIn(a, 0, 0, kMaxColorIndex), f.colorIndex = value),
    FONT("Underline", Code(a, 0, WordCodes::Underline()), f.underline = value),
    FONT("Scaling", LongIn(a, 0, 1, kMaxScaling), f.scaling = value),
    FONT("Subscript", Long(a, 0) != 0, f.subscript = value; if (value) f.superscript = 0),
    FONT("Superscript", Long(a, 0) != 0, f.superscript = value; if (value) f.subscript = 0),
    GETTER(Font, "Borders", (self.Selection(), LiveObject(self, Kind::Borders))),
    GETTER(Font, "Shading", (self.Selection(), LiveObject(self, Kind::Shading))),
    MEMBER_METHOD(Borders, "Item", 1, Item),
    {Kind::Border, u"LineStyle", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, 1, [](CWordObject& self, Arguments& a, VARIANT*) {
         const int style = Code(a, 0, WordCodes::LineStyle());
         ChangeFont(self, [style](WORD_CHAR_FORMAT& f) { f.borderStyle = style; });
     }},
    {Kind::Shading, u"BackgroundPatternColorIndex", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, 1,
     [](CWordObject& self, Arguments& a, VARIANT*) {
         const int index = LongIn(a, 0, 0, kMaxColorIndex);
         ChangeFont(self, [index](WORD_CHAR_FORMAT& f) { f.shadingColorIndex = index; });
     }},
    {Kind::Shading, u"Texture", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, 1, [](CWordObject& self, Arguments& a, VARIANT*) {
         const int texture = Code(a, 0, WordCodes::Texture());
         ChangeFont(self, [texture](WORD_CHAR_FORMAT& f) { f.texture = texture; });
     }},
    // Page setup.
    PAGE("TopMargin", Length(a, 0), topMargin),
    PAGE("BottomMargin", Length(a, 0), bottomMargin),
    PAGE("LeftMargin", Length(a, 0), leftMargin),
    PAGE("RightMargin", Length(a, 0), rightMargin),
    PAGE("Gutter", Length(a, 0), gutter),
    PAGE("PageWidth", FloatIn(a, 0, 1, kMaxLength), pageWidth),
    PAGE("PageHeight", FloatIn(a, 0, 1, kMaxLength), pageHeight),
    PAGE("Orientation", Code(a, 0, WordCodes::PageOrientation()), orientation),
    PAGE("FirstPageTray", LongIn(a, 0, 0, 0xFFFF), firstPageTray),
    PAGE("OtherPagesTray", LongIn(a, 0, 0, 0xFFFF), otherPagesTray),
    PAGE("VerticalAlignment", Code(a, 0, WordCodes::VerticalAlignment()), verticalAlignment),
    PAGE("MirrorMargins", Long(a, 0) != 0 ? 1 : 0, mirrorMargins),
    PAGE("HeaderDistance", Length(a, 0), headerDistance),
    PAGE("FooterDistance", Length(a, 0), footerDistance),
    PAGE("SectionStart", Code(a, 0, WordCodes::SectionStart()), sectionStart),
    PAGE("OddAndEvenPagesHeaderFooter", Long(a, 0) != 0 ? 1 : 0, oddAndEvenPagesHeaderFooter),
    PAGE("DifferentFirstPageHeaderFooter", Long(a, 0) != 0 ? 1 : 0, differentFirstPageHeaderFooter),
    PAGE("SuppressEndnotes", Long(a, 0) != 0 ? 1 : 0, suppressEndnotes),
    PAGE("TwoPagesOnOne", Long(a, 0) != 0 ? 1 : 0, twoPagesOnOne),
    GETTER(PageSetup, "LineNumbering", (self.Model(), self.Make(Kind::LineNumbering))),
    GETTER(PageSetup, "TextColumns", (self.Model(), self.Make(Kind::TextColumns))),
    FIXED(PageSetup, 131, l),
    {Kind::LineNumbering, u"Active", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, 1, [](CWordObject& self, Arguments& a, VARIANT*) {
         const int active = Long(a, 0) != 0 ? 1 : 0;
         self.Model().Section().lineNumbering = active;
     }},
    MEMBER_METHOD(TextColumns, "SetCount", 1, [](CWordObject& self, Arguments& a, VARIANT*) {
        const int count = LongIn(a, 0, 1, kMaxTextColumns);
        self.Model().Section().columns = count;
    }),
    // Tables, table, rows, row, columns and cells.
    MEMBER_METHOD(Tables, "Add", 3, AddTable),
    MEMBER_METHOD(Table, "Select", 0, SelectObject),
    MEMBER_METHOD(Table, "Cell", 2, Cell),
    MEMBER_METHOD(Table, "AutoFitBehavior", 1, [](CWordObject& self, Arguments& a, VARIANT*) {
        const int behavior = Code(a, 0, WordCodes::AutoFitBehavior());
        self.Table()->autoFit = behavior;
    }),
    GETTER(Table, "Rows", ([&self] {
               auto rows = self.Make(Kind::Rows);
               rows->m_table = self.Table();
               return rows;
           }())),
    GETTER(Table, "Columns", ([&self] {
               auto columns = self.Make(Kind::Columns);
               columns->m_table = self.Table();
               columns->m_lastColumn = self.Table()->columns - 1;
               return columns;
           }())),
    {Kind::Table, u"Range", DISPID_UNKNOWN, DISPATCH_PROPERTYGET, 0, ObjectRange},
    FIXED(Table, 113, f),
    FIXED(Table, 114, f),
    FIXED(Table, 115, f),
    FIXED(Table, 116, f),
    {Kind::Rows, u"Count", DISPID_UNKNOWN, DISPATCH_PROPERTYGET, 0, Count},
    MEMBER_METHOD(Rows, "Item", 1, Item),
    FIXED(Rows, 13, f),
    FIXED(Rows, 14, f),
    FIXED(Rows, 17, f),
    FIXED(Rows, 20, f),
    FIXED(Rows, 21, f),
    {Kind::Row, u"Height", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, 1, [](CWordObject& self, Arguments& a, VARIANT*) {
         const std::shared_ptr<WORD_TABLE> table = self.Table();
         const float height = Length(a, 0);
         if (self.m_row >= table->rows)
             Refuse(kBadCell);
         table->rowHeights[static_cast<size_t>(self.m_row)] = height;
     }},
    {Kind::Columns, u"Count", DISPID_UNKNOWN, DISPATCH_PROPERTYGET, 0, Count},
    FIXED(Columns, 105, f),
    FIXED(Columns, 106, l),
    {Kind::Cell, u"Range", DISPID_UNKNOWN, DISPATCH_PROPERTYGET, 0, ObjectRange},
    // Inline shapes.
    {Kind::InlineShapes, u"Count", DISPID_UNKNOWN, DISPATCH_PROPERTYGET, 0, Count},
    MEMBER_METHOD(InlineShapes, "Item", 1, Item),
    MEMBER_METHOD(InlineShapes, "AddOLEObject", 8, AddOleObject),
    {Kind::InlineShape, u"Width", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, 1,
     [](CWordObject& self, Arguments& a, VARIANT*) { ShapeSize(self, a, true); }},
    {Kind::InlineShape, u"Height", DISPID_UNKNOWN, DISPATCH_PROPERTYPUT, 1,
     [](CWordObject& self, Arguments& a, VARIANT*) { ShapeSize(self, a, false); }},
};

#undef GETTER
#undef FONT
#undef PARAGRAPH
#undef PAGE
#undef MEMBER_METHOD
#undef FIXED

HRESULT CWordObject::GetIDsOfNames(const std::u16string& name, LCID, DISPID* id)
{
    for (size_t i = 0; i < std::size(kMembers); ++i)
        if (kMembers[i].kind == m_kind && kMembers[i].name != nullptr && name == kMembers[i].name) {
            *id = kFirstNameId + static_cast<DISPID>(i);
            return S_OK;
        }
    return DISP_E_UNKNOWNNAME;
}

HRESULT CWordObject::Invoke(DISPID id, LCID, WORD flags, std::vector<VARIANT>& arguments, VARIANT* result,
                            EXCEPINFO* info)
{
    const MEMBER* member = nullptr;
    if (id >= kFirstNameId && static_cast<size_t>(id - kFirstNameId) < std::size(kMembers)) {
        member = &kMembers[id - kFirstNameId];
    } else {
        for (const MEMBER& candidate : kMembers)
            if (candidate.name == nullptr && candidate.fixedId == id && candidate.kind == m_kind)
                member = &candidate;
    }
    if (member == nullptr || member->kind != m_kind)
        return DISP_E_MEMBERNOTFOUND;
    if ((flags & member->flags) == 0)
        return DISP_E_MEMBERNOTFOUND;
    if (arguments.size() != static_cast<size_t>(member->argumentCount))
        return DISP_E_BADPARAMCOUNT;
    try {
        VARIANT answer;
        member->handler(*this, arguments, &answer);
        if (result != nullptr)
            *result = std::move(answer);
        return S_OK;
    } catch (const WORD_MODEL_ERROR& error) {
        if (info != nullptr) {
            info->bstrSource = u"Word.Application";
            info->bstrDescription = error.description;
            info->scode = E_FAIL;
        }
        return DISP_E_EXCEPTION;
    } catch (const std::bad_alloc&) {
        return E_FAIL;
    } catch (const std::out_of_range&) {
        return DISP_E_BADPARAMCOUNT;
    }
}

}  // namespace

std::shared_ptr<IDispatch> NewWordServer(WordDocumentOpener opener)
{
    auto state = std::make_shared<STATE>();
    state->opener = std::move(opener);
    return std::make_shared<CWordObject>(state, Kind::Application);
}

std::unique_ptr<CAutomationRegistration> RegisterWordServer(WordDocumentOpener opener)
{
    if (IsAutomationServerRegistered(kProgId))
        return nullptr;
    if (!opener)
        opener = OpenWithDesktop;
    return std::make_unique<CAutomationRegistration>(kProgId, [opener] { return NewWordServer(opener); });
}

CWordDocumentModel* WordServerModel(const std::shared_ptr<IDispatch>& object)
{
    auto* word = dynamic_cast<CWordObject*>(object.get());
    if (word == nullptr)
        return nullptr;
    return word->State().model.get();
}

void OpenWithDesktop(const std::string& path)
{
    SHELL_REQUEST request;
    request.kind = ShellRequestKind::OpenDocument;
    request.file = path;
    ShellRequest(request);
}
