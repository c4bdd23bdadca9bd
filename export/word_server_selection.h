// The Selection of our Word server: a cursor with an optional extent over the document model.
// An extent is text inside one paragraph, a rectangle of cells of one table, or the whole
// document; ranges are extents kept apart from the Selection. Typing replaces the extent, as
// Word does; formats go to the extent and become the format of what is typed next.
#pragma once

#include "export/word_server_model.h"

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

enum class WordExtentKind { Text, Cells, Document };

struct WORD_EXTENT {
    WordExtentKind kind = WordExtentKind::Text;
    WORD_POSITION start;  // Text: start and end lie in one paragraph
    WORD_POSITION end;
    std::weak_ptr<WORD_TABLE> table;  // Cells: the table and the rectangle, 0-based, inclusive
    int firstRow = 0;
    int firstColumn = 0;
    int lastRow = 0;
    int lastColumn = 0;

    bool IsCollapsed() const { return kind == WordExtentKind::Text && start == end; }
};

// An extent of one cell, or of the whole table.
WORD_EXTENT CellExtent(const std::shared_ptr<WORD_TABLE>& table, int row, int column);
WORD_EXTENT TableExtent(const std::shared_ptr<WORD_TABLE>& table);

class CWordSelection {
public:
    explicit CWordSelection(CWordDocumentModel& model) : m_model(&model) {}

    const WORD_EXTENT& Extent() const { return m_extent; }
    // Selects the extent; throws WORD_MODEL_ERROR when it names nothing in the document.
    void Select(const WORD_EXTENT& extent);
    // The format the next typed text takes.
    const WORD_CHAR_FORMAT& Format() const { return m_format; }

    void TypeText(std::u16string_view text);
    void TypeParagraph();
    void TypeBackspace();
    // A break of Word's break type; a type the document has no break for throws.
    void InsertBreak(int type);
    void InsertPicture(std::shared_ptr<WORD_PICTURE> picture);
    // A table at the start of the extent; the Selection goes to its first cell.
    std::shared_ptr<WORD_TABLE> AddTable(const WORD_EXTENT& at, int rows, int columns);

    // Moves by characters (count may be negative): an extent collapses first, counting one
    // character, or two when it covers a ruby (its field ends after it). The count moved.
    int Move(int count);
    // Moves the start of the extent by characters inside its paragraph; throws for a start
    // before the paragraph's start or past its end.
    int MoveStart(int count);
    // The column of the table cell the Selection lies in; throws outside a table.
    void SelectColumn();
    // The start of the page'th page counted by explicit page breaks of the body; throws when no
    // break starts that page.
    void GoToPage(int page);
    // Puts the reading over the extent's characters as one ruby; throws for an extent that is
    // empty or holds anything but characters. The Selection then covers the ruby.
    void PhoneticGuide(const WORD_EXTENT& range, const WORD_RUBY& reading);

    // The character format changed by change, on the extent's characters and for typing.
    void ChangeFormat(const std::function<void(WORD_CHAR_FORMAT&)>& change);
    // Text orientation: of the cells of a cell extent, else of the section.
    void SetTextOrientation(int orientation);

    CWordDocumentModel& Model() { return *m_model; }

private:
    void DeleteExtent();
    void Collapse(bool toEnd);

    CWordDocumentModel* m_model;
    WORD_EXTENT m_extent;
    WORD_CHAR_FORMAT m_format;
};

// The paragraphs an extent touches, nested tables included.
std::vector<WORD_PARAGRAPH*> ParagraphsOf(CWordDocumentModel& model, const WORD_EXTENT& extent);
// The cells of a cell extent (none for another kind).
std::vector<WORD_CELL*> CellsOf(CWordDocumentModel& model, const WORD_EXTENT& extent);
// The pictures inside an extent, in document order.
std::vector<std::shared_ptr<WORD_PICTURE>> PicturesOf(CWordDocumentModel& model, const WORD_EXTENT& extent);
// The table a position lies in (innermost) and its cell's row and column; null outside tables.
std::shared_ptr<WORD_TABLE> TableAt(CWordDocumentModel& model, const WORD_POSITION& position, int* row, int* column);
