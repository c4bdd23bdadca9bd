// Containers: nodes whose children are broken into lines. Measuring puts the lines into layout
// boxes, layout places the children row by row, drawing paints backgrounds and hatches, the
// children with shared fonts, and then the run decorations: underlines, lines through, frames
// and numbering labels. Also the guarded container that small editors of their own use as root.
#pragma once

#include "nodes/edit_box.h"
#include "nodes/edit_node.h"
#include "nodes/line_builder.h"

#include <memory>
#include <vector>

class CEditContainer : public CEditNode, public CBlockMarginProperties, public CBlockLineRelatedProperties {
    DECLARE_SERIAL(CEditContainer)
public:
    // Kind 0 until the kind is read from a stream.
    CEditContainer();
    explicit CEditContainer(EDIT_NODE_KIND kind);
    ~CEditContainer() override;

    CEditNode* HitTest(int x, int y, int* after) override;
    void Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    void Layout(LAYOUT_CONTEXT* context, int vertical) override;
    void Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    // The first child that is an editing node.
    CEditNode* GetFirstInner() override;
    // Stream form: block margins, paragraph record and the boxes' line records, then the node's
    // form. A read container's old boxes are replaced.
    void Serialize(CArchive& ar) override;

    // The first child at or after the given one with the line-break bit; null when none or when
    // the node is not a child.
    virtual CEditNode* FindLineBreakFrom(CEditNode* child);
    virtual CEditNode* GetFirstLineBreak();
    // Decorations of a run of consecutive children; a null last node means the first.
    virtual void DrawRunUnderline(CDC* dc, CDisplayMap* map, CEditNode* first, CEditNode* last);
    virtual void DrawRunLineThrough(CDC* dc, CDisplayMap* map, CEditNode* first, CEditNode* last);
    virtual void DrawRunFrame(CDC* dc, CDisplayMap* map, CEditNode* first, CEditNode* last);
    virtual void DrawRunLabel(CDC* dc, CDisplayMap* map, CEditNode* first, CEditNode* last);
    // The container's own underline (after side), drawn by formula containers after themselves.
    virtual void DrawNodeUnderline(CDC* dc, CDisplayMap* map);
    // The container's own kanbun underline (before side), drawn by the kanbun cell.
    virtual void DrawNodeMark(CDC* dc, CDisplayMap* map);

    // The hit test of the containers that answer for the space beside their lines: the children
    // first, then the line ends of each layout box.
    CEditNode* ChildFirstHitTest(int x, int y, int* after);

    // The block margins: the paper's page margins on the root.
    void GetMargins(int* left, int* top, int* right, int* bottom) const;
    void SetMargins(int left, int top, int right, int bottom);
    // The first visible child whose layout rectangle holds the point; *after = 1 right of the
    // child's middle. Null when none.
    CEditNode* ChildAtPoint(int x, int y, int* after);

    void DeleteBoxes() { m_boxes.clear(); }
    // Clears the size and the layout boxes, as measuring anew starts.
    void ClearMeasure()
    {
        m_width = 0;
        m_height = 0;
        m_ascent = 0;
        m_axis = 0;
        DeleteBoxes();
    }
    int GetBoxCount() const { return static_cast<int>(m_boxes.size()); }
    // The box at index; null outside the array or for an empty entry.
    CEditBox* GetBox(int index) const;
    // Stores the box at index, growing the array to index + 1 entries (new ones empty); the
    // container owns the box.
    void SetBoxAtGrow(int index, std::unique_ptr<CEditBox> box);

    // What a child is measured with: the widths, the height left and the parent's spacings.
    static LAYOUT_CONTEXT ChildMeasureContext(const LAYOUT_CONTEXT& parent, int available, int remaining);
    // What a child is placed with on a row: the parent's page and spacings, the row's origin,
    // ascent and axis.
    static LAYOUT_CONTEXT RowContext(const LAYOUT_CONTEXT& parent, int x, int y, int ascent, int axis);

    // Whether the last measuring holds for the subtree: it was made, and nothing below changed since.
    bool IsMeasureCurrent() const
    {
        return m_measured && m_dirty == 0 && (m_leavesTracked ? !MayHaveDirtyBelow() : !HasDirtySubtree());
    }
    // Forgets what the last measuring depended on, so that the next one measures in full.
    void ForgetMeasure() { m_measured = false; }
    // Forgets where the boxes were placed, so that the next layout places each of them again.
    void ForgetPlacement();
    // Moves a placed box with its children by (dx, dy) onto the page, as laying it out again at
    // the moved origin would; false when the container cannot, and its layout must run again.
    virtual bool MoveBox(int boxIndex, int dx, int dy, int page);

protected:
    struct LINES_BUILT {
        int indent;      // the hanging indent after the last child
        bool sideFloat;  // a frame stands beside the text
        int64_t remainingLow;   // the heights left on the page that give the same boxes
        int64_t remainingHigh;
    };
    // Breaks the children into lines and boxes by the settings and keeps the boxes.
    LINES_BUILT BuildLines(const LINE_SETTINGS& settings);
    // Puts the lines of the last measuring into boxes anew for the settings' page room, as
    // BuildLines would for children that kept their sizes, none a floating frame; the indent
    // is the one that measuring ended with.
    LINES_BUILT ResplitLines(const LINE_SETTINGS& settings, int indent);

    // What measuring the container depends on besides its subtree and the height left on the page.
    struct MEASURE_INPUTS {
        int available = 0;
        int pageHeight = 0;
        int lineSpacing = 0;
        int letterSpacing = 0;
        int vertical = 0;
        int indent = 0;          // the hanging indent lines start at
        int partKind = 0;
        int numberLabelMode = 0; // what decides whether question-number labels show
        bool operator==(const MEASURE_INPUTS&) const = default;
    };
    // True when the last measuring holds: the same inputs, a height left within the range that
    // gives the same boxes, and nothing below the container changed since. Its size, boxes and
    // lines then stay as they are.
    bool KeepsMeasure(const MEASURE_INPUTS& inputs, int remaining) const;
    // True when only the height left on the page differs from the last measuring, nothing below
    // the container changed and no child is a floating frame: the children's sizes and the
    // lines hold, and only the split of the lines into boxes must be made again.
    bool KeepsChildMeasure(const MEASURE_INPUTS& inputs) const;
    // The children at the last measuring were all plain leaves and none changed since.
    bool HasCleanLeavesOnly() const { return m_measured && m_leavesTracked && !MayHaveDirtyBelow(); }
    // Children that kept their measuring keep what is known of them.
    void RememberMeasure(const MEASURE_INPUTS& inputs, const LINES_BUILT& built, bool childrenKept = false);
    // A node that was not visible at its last measuring was measured as empty.
    void ChildrenChanged() override;

private:
    // The drawing steps over the children that take part: backgrounds and hatches, the children
    // with shared fonts, the decoration runs and the labelled runs.
    // The characters of the lines that reach into the clip selected in the context, and every other
    // child; all of them without such a clip.
    static std::vector<CEditNode*> ChildrenOfLinesInClip(CDC* dc, CDisplayMap* map, const std::vector<CEditNode*>& drawn);
    static void DrawBackgrounds(CDC* dc, CDisplayMap* map, const std::vector<CEditNode*>& drawn);
    static void DrawChildren(CDC* dc, CDisplayMap* map, const std::vector<CEditNode*>& drawn);
    void DrawDecorationRuns(CDC* dc, CDisplayMap* map, const std::vector<CEditNode*>& drawn);
    void DrawLabelRuns(CDC* dc, CDisplayMap* map, const std::vector<CEditNode*>& drawn, bool continuesEarlier);

    std::vector<std::unique_ptr<CEditBox>> m_boxes;
    bool m_measured = false;
    // The children at the last measuring were leaves whose every change marks this container
    // through MarkDirty, so its hint answers for them without a walk.
    bool m_leavesTracked = false;
    // A child at the last measuring was a floating frame, which the split into boxes places.
    bool m_hasFrames = false;
    MEASURE_INPUTS m_measuredWith;
    int64_t m_remainingLow = 0;
    int64_t m_remainingHigh = 0;
};

// The line break that governs a line, for a layout that walks a container's lines forward: the one
// found for an earlier line is reused while it still lies at or after the line's first child, so
// a paragraph of many lines is scanned once.
class CLineBreakCursor {
public:
    explicit CLineBreakCursor(CEditContainer* container) : m_container(container) {}
    CEditNode* From(CEditNode* child);

private:
    CEditContainer* m_container;
    CEditNode* m_found = nullptr;
    int m_foundIndex = -1;
};

// A container guarded for use as the root of a small editor of its own: it lays out and draws
// only while it is visible and has children.
class CEditEdit : public CEditContainer {
    DECLARE_SERIAL(CEditEdit)
public:
    CEditEdit();

    void Layout(LAYOUT_CONTEXT* context, int vertical) override;
    void Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    CEditNode* GetFirstInner() override;
};
