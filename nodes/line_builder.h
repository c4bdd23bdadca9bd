// Line building shared by every container: children go into lines as wide as the room left
// (the available width, less a floating frame beside them), lines into layout boxes, and a
// further box starts when the page is full. A plain container uses the bare rules; a question
// part adds the hanging indent under its number, the line-start rules, carried words and the
// spill into further boxes.
#pragma once

#include "nodes/edit_box.h"
#include "nodes/edit_node.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

// The text alignment a line break gives its line.
enum TEXT_ALIGNMENT : int32_t {
    ALIGN_LEFT = 0,
    ALIGN_CENTER = 1,
    ALIGN_RIGHT = 2,
    ALIGN_JUSTIFY = 3,
    ALIGN_DISTRIBUTE = 4,
};

// Where a floating frame stands beside the text; any other value keeps it where the text puts it.
enum FLOAT_SIDE : int32_t {
    FLOAT_NONE = 0,
    FLOAT_LEFT = 1,   // up in vertical writing
    FLOAT_RIGHT = 2,  // down in vertical writing
};

// What line building needs of a floating frame that stands among a container's children.
class IFloatingFrame {
public:
    virtual int GetFloatSide() const = 0;

protected:
    ~IFloatingFrame() = default;
};

// The float side of a floating frame; FLOAT_NONE for any other node.
int FloatSideOf(const CEditNode* node);

// The text alignment of a line break; ALIGN_LEFT for a node without a paragraph record.
int AlignmentOf(const CEditNode* lineBreak);
// A line break as a line sizes it: the average character width when it starts its line, else
// none; the metrics and height of the character before it, when there is one.
void FitLineBreak(CEditNode* lineBreak, const CEditNode* previous, bool startsLine);
// A character node holding one space (U+0020 or U+3000).
bool IsSpaceNode(const CEditNode* node);
// Lays a node out with its top-left corner at (x, y) on a row of its own ascent and axis, its
// hit rectangle the box it fills: how a box that stands alone, not in a line, is placed.
void PlaceOnOwnRow(CEditNode* node, int x, int y, int vertical);

// How a container breaks its lines.
struct LINE_SETTINGS {
    int available = 0;    // width of a line
    int lineSpacing = 0;  // added above and below every line when above 0

    // A line, or a floating frame, that does not fit the rest of the page starts a further box
    // at the top of the next page.
    bool spillToFurtherBoxes = false;
    int remainingHeight = 0;
    int pageHeight = 0;

    // Line-start-forbidden characters stay at the end of the line they overflow.
    bool keepLineStartForbidden = false;
    // An ASCII word that overflows goes whole to the next line.
    bool carryAsciiWords = false;
    // A number stays with what stands before it: a character of digits that follows anything
    // but digits is never tested against the width (the formula root's rule).
    bool keepDigitsAfterNonDigit = false;

    // Lines start at the hanging indent; a question-number label sets it to its own width.
    bool hangingIndent = false;
    int indent = 0;
    // The first line of the first box takes no indent (a question text's number line).
    bool firstLineUnindented = false;

    // A line break alone on its line takes the height of the character that ends the line
    // before it; off, it keeps its own font's (a paragraph looks only within the line).
    bool emptyLineTakesPrecedingHeight = true;

    // Lines record their spaces, their slack and whether they wrapped (for justification), and
    // a paragraph whose last line holds nothing still stores it.
    bool paragraphRecords = false;
};

// One builder serves one measuring of one container.
class CLineBuilder {
public:
    explicit CLineBuilder(const LINE_SETTINGS& settings);

    // Breaks the children into lines and boxes. Indexes in the line records are places in the
    // span (a container's child indexes); null entries are skipped. Each child gets its box,
    // line and index in line; line breaks get their width and the metrics of the character
    // before them.
    void Build(std::span<CEditNode* const> children);
    // Puts lines that Build made for these children before into boxes again, as Build would for
    // the settings' page room; the lines stay as they are, and each line's children take its box
    // and line number. For lines without floating frames, whose breaking the page room does not
    // change; the hanging indent is the one Build ended with.
    void Resplit(std::span<CEditNode* const> children, std::span<const EDIT_LINE> lines, int indent);

    // The boxes built, box 0 first; the builder keeps none.
    std::vector<std::unique_ptr<CEditBox>> TakeBoxes() { return std::move(m_boxes); }
    // True when a frame stands beside the text, left or right: the container then takes the
    // whole available width.
    bool HasSideFloat() const { return m_sideFloat; }
    // The hanging indent after the last child.
    int Indent() const { return m_indent; }
    // The heights left on the page, low to high (the high one excluded), with which the lines
    // would have gone into the same boxes: the page tests that used the height left passed or
    // failed alike. Unbounded without spill into further boxes.
    int64_t RemainingLow() const { return m_remainingLow; }
    int64_t RemainingHigh() const { return m_remainingHigh; }

private:
    CEditNode* Child(int index) const;
    // True when the line must end before the child: after a line break, or when the child
    // does not fit the room left (marking the line wrapped).
    bool EndsLineBefore(const CEditNode* child);
    // When the line ends inside an ASCII word, the index where the carried word starts after
    // the line was shortened to end before it; -1 when nothing is carried.
    int CarryWord(const CEditNode* child);
    // Recomputes the line record from its children, floating frames left out.
    void CloseLine();
    // Stores the closed line (in a further box when it does not fit the rest of the page) and
    // starts a fresh one.
    void StoreLine();
    void StoreBox();
    // Stores the current box and starts the next one at the top of a new page.
    void StartFurtherBox();
    // Whether a page test of something reaching down to `bottom` fails: the rest of the page is
    // too short. While the height left is still the one given, each test narrows the range of
    // heights left that give the same boxes.
    bool SpillsAt(int bottom);
    void PlaceFrame(CEditNode* frame);
    void JoinLine(int index, CEditNode* child);
    void Finish(bool hasChildren);

    LINE_SETTINGS m_settings;
    std::span<CEditNode* const> m_children;
    std::vector<std::unique_ptr<CEditBox>> m_boxes;
    std::unique_ptr<CEditBox> m_box;
    int m_boxIndex = 0;
    int m_remaining = 0;
    bool m_onFirstPage = true;  // m_remaining is still the height given
    int64_t m_remainingLow = INT64_MIN;
    int64_t m_remainingHigh = INT64_MAX;
    int m_y = 0;  // top of the current line within its box
    int m_floatWidth = 0;
    int m_floatBottom = 0;
    bool m_sideFloat = false;
    int m_indent = 0;
    int m_lineIndex = 0;
    int m_position = 0;
    bool m_firstLine = true;
    EDIT_LINE m_line;
    const CEditNode* m_previous = nullptr;   // the previous child of the same line
    const CEditNode* m_lastChild = nullptr;  // the previous child, on whichever line
};

// Where a line starts and what alignment adds inside it.
struct LINE_PLACEMENT {
    int start = 0;       // offset of the line's first child from the box's left edge
    int spaceExtra = 0;  // after every space that is not followed by a line break (justify)
    int gapExtra = 0;    // after every child that is not followed by a line break (distribute)
};

// The placement of a line by the alignment of the line break that governs it. `room` is the
// box width less the frame beside the line, `beside` that frame's width (0 without one). A
// plain container knows only left, centre and right; a paragraph also justifies and
// distributes.
LINE_PLACEMENT PlaceLine(int alignment, const EDIT_LINE& line, int room, int beside, bool paragraph);
