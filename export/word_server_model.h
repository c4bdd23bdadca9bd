// The document of our own Word automation server: a body of paragraphs and tables whose cells
// hold paragraphs and tables again, and the page setup of its one section. Formats are kept as
// Word's numeric codes, as the automation calls gave them; the WordprocessingML writer reads
// them through the code tables. A position names a paragraph by the path of table cells down to
// its story, its block index there and an item offset inside it.
#pragma once

#include <memory>
#include <string>
#include <vector>

// The character format of a run, in Word's values (points, colour indexes, codes).
struct WORD_CHAR_FORMAT {
    std::u16string name;  // face; empty: the document's default face
    float size = 10.5f;   // points
    int bold = 0;
    int italic = 0;
    int strikeThrough = 0;
    int underline = 0;           // WdUnderline
    int colorIndex = 0;          // WdColorIndex, 0 automatic
    int scaling = 100;           // per cent
    int subscript = 0;
    int superscript = 0;
    int shadingColorIndex = -1;  // WdColorIndex of the background; -1 none set
    int texture = 0;             // WdTextureIndex
    int borderStyle = 0;         // WdLineStyle of the character border

    bool operator==(const WORD_CHAR_FORMAT&) const = default;
};

// The format of a paragraph, in Word's values.
struct WORD_PARA_FORMAT {
    int alignment = 0;  // WdParagraphAlignment
    float leftIndent = 0;
    float rightIndent = 0;
    int lineSpacingRule = 0;  // WdLineSpacing
    float lineSpacing = 12;
    int baseLineAlignment = 4;  // WdBaselineAlignment, 4 automatic

    bool operator==(const WORD_PARA_FORMAT&) const = default;
};

// A picture placed inline: PNG bytes and the size it is shown at, in points.
struct WORD_PICTURE {
    std::string png;
    float width = 0;
    float height = 0;
};

struct WORD_RUBY;

enum class WordItemKind { Character, Break, Picture, Ruby };

// One item of a paragraph: a character (one code point), a break, a picture or a ruby.
struct WORD_ITEM {
    WordItemKind kind = WordItemKind::Character;
    std::u16string text;   // the character
    int breakType = 0;     // WdBreakType of a break
    WORD_CHAR_FORMAT format;
    std::shared_ptr<WORD_PICTURE> picture;
    std::shared_ptr<WORD_RUBY> ruby;
};

// A reading set over base characters with Word's phonetic guide.
struct WORD_RUBY {
    std::vector<WORD_ITEM> base;
    std::u16string reading;
    int alignment = 0;  // WdPhoneticGuideAlignmentType
    int raise = 0;      // points
    int fontSize = 0;   // points
    std::u16string fontName;
};

struct WORD_PARAGRAPH {
    WORD_PARA_FORMAT format;
    std::vector<WORD_ITEM> items;
};

struct WORD_TABLE;

// A paragraph, or a table when table is set.
struct WORD_BLOCK {
    WORD_PARAGRAPH paragraph;
    std::shared_ptr<WORD_TABLE> table;
};

// The blocks of the body or of a cell; a story always ends with a paragraph.
using WORD_STORY = std::vector<WORD_BLOCK>;

struct WORD_CELL {
    WORD_STORY story;
    int textOrientation = 0;     // WdTextOrientation
    float preferredWidth = -1;   // points; -1 none set
    int preferredWidthType = 0;  // WdPreferredWidthType
};

// Cell margins, indent and widths come from the fixed-id properties; -1 is "not set".
struct WORD_TABLE {
    int rows = 0;
    int columns = 0;
    std::vector<WORD_CELL> cells;  // row-major
    std::vector<float> rowHeights;  // points, -1 none set
    float indent = 0;
    float cellMargins[4] = {-1, -1, -1, -1};  // top, bottom, left, right in points
    int autoFit = -1;                          // WdAutoFitBehavior

    WORD_CELL& Cell(int row, int column) { return cells[static_cast<size_t>(row * columns + column)]; }
};

struct WORD_SECTION {
    float topMargin = 72;
    float bottomMargin = 72;
    float leftMargin = 72;
    float rightMargin = 72;
    float gutter = 0;
    float headerDistance = 36;
    float footerDistance = 36;
    float pageWidth = 595.3f;  // A4
    float pageHeight = 841.9f;
    int orientation = 0;  // WdOrientation
    int firstPageTray = 0;
    int otherPagesTray = 0;
    int verticalAlignment = 0;  // WdVerticalAlignment
    int mirrorMargins = 0;
    int sectionStart = 2;  // WdSectionStart
    int oddAndEvenPagesHeaderFooter = 0;
    int differentFirstPageHeaderFooter = 0;
    int suppressEndnotes = 0;
    int lineNumbering = 0;
    int twoPagesOnOne = 0;
    int columns = 1;
    int textOrientation = 0;  // WdTextOrientation of the section
};

// One step down into a table: the table's block in the story above and the cell's index.
struct WORD_CELL_STEP {
    int block = 0;
    int cell = 0;
    bool operator==(const WORD_CELL_STEP&) const = default;
};

struct WORD_POSITION {
    std::vector<WORD_CELL_STEP> cells;
    int block = 0;
    int offset = 0;
    bool operator==(const WORD_POSITION&) const = default;
};

// A request the document cannot carry out: a position that names nothing, an index outside a
// table. The server answers it with its dispatch failure.
struct WORD_MODEL_ERROR {
    std::u16string description;
};

class CWordDocumentModel {
public:
    CWordDocumentModel();

    WORD_STORY& Body() { return m_body; }
    const WORD_STORY& Body() const { return m_body; }
    WORD_SECTION& Section() { return m_section; }
    const WORD_SECTION& Section() const { return m_section; }

    // The story the path of cells leads to; throws WORD_MODEL_ERROR when it names none.
    WORD_STORY& StoryAt(const std::vector<WORD_CELL_STEP>& cells);
    // The paragraph of a position; throws when the position names no paragraph or its offset
    // lies outside it.
    WORD_PARAGRAPH& ParagraphAt(const WORD_POSITION& position);
    // The path of cells to the story holding the table, and its block there; false when the
    // table is no longer in the document.
    bool FindTable(const WORD_TABLE* table, std::vector<WORD_CELL_STEP>* cells, int* block) const;
    // The first paragraph position of a story, entering tables at its start.
    WORD_POSITION StartOf(std::vector<WORD_CELL_STEP> cells);
    // The end of the last paragraph of a story.
    WORD_POSITION EndOf(std::vector<WORD_CELL_STEP> cells);

    // Editing at a position, which moves past what was inserted.
    void InsertItem(WORD_POSITION& position, WORD_ITEM item);
    // Ends the paragraph at the position; the new paragraph takes its format.
    void SplitParagraph(WORD_POSITION& position);
    // Removes the item before the position, or joins the paragraph to the paragraph before it;
    // nothing at the start of a story or after a table.
    void Backspace(WORD_POSITION& position);
    // A new table of empty cells before the position's paragraph (split at the offset); its
    // cells' paragraphs take the paragraph's format. The position goes to its first cell.
    std::shared_ptr<WORD_TABLE> InsertTable(WORD_POSITION& position, int rows, int columns);

    // Moves one item to the right, from the end of a cell into the next cell and from the last
    // cell past the table; false at the end of the body.
    bool StepRight(WORD_POSITION& position);
    // Moves one item to the left, within the story, and from the start of a cell into the cell
    // before it; false where nothing lies before.
    bool StepLeft(WORD_POSITION& position);

    // The pictures of a story in document order, cells included.
    static void CollectPictures(const WORD_STORY& story, std::vector<std::shared_ptr<WORD_PICTURE>>* pictures);

private:
    WORD_STORY m_body;
    WORD_SECTION m_section;
};

// A story holding one empty paragraph of the format.
WORD_STORY EmptyStory(const WORD_PARA_FORMAT& format = {});
