// CEditPrint: the root of the editing tree, the test paper itself. It holds the paper size,
// margins and columns, the page table with one name-field flag per page, the name fields placed
// at the top of the flagged pages, and the arrangement of the question parts. Its children are
// the blocks of the paper in reading order. Measuring estimates the pagination so that the
// blocks break their lines into boxes that fit; layout places every box on pages and columns,
// the pages stacked down the screen; for printing it lays out and draws one page at a time.
#pragma once

#include "base/property_records.h"
#include "nodes/edit_container.h"
#include "nodes/mondai_info.h"

#include <array>
#include <cstdint>
#include <unordered_map>
#include <memory>
#include <string>
#include <vector>

class CCaret;
class CEditSentence;
class CFoFlow;
class CUndoGroup;

class CEditPrint : public CEditContainer {
    DECLARE_SERIAL(CEditPrint)
public:
    // The pages the page table covers: 1 to kMaxPages. Pages after the last carry no name field.
    static constexpr int kMaxPages = 1024;
    // The gaps around each page on screen.
    static constexpr int kPageGap = 500;

    CEditPrint();
    ~CEditPrint() override;

    // --- geometry, in 1/100 mm. In vertical writing the stored width and height are exchanged
    // and the margins rotated by whoever sets them, so pagination works on them unchanged.
    void GetPaperSize(int* width, int* height) const;
    void SetPaperSize(int width, int height);
    void GetPrintableSize(int* width, int* height) const;
    // The scrolling extent of the whole paper, every page with its gaps.
    void GetExtent(int* width, int* height) const;
    // Whether a visible table would be wider than a column if the paper had `columns` columns.
    bool HasTableWiderThanColumn(int columns);
    // The dirty flag of the root, of every name field placed and of every block and its subtree.
    void SetDirtyAll(int flag);

    // --- the page table: page numbers from 1. A page outside the table is never flagged, and
    // flagging one is refused.
    bool IsPageFlagged(int page) const;
    bool SetPageFlagged(int page, bool flagged);
    // The pages paginated so far: the count of the last whole pagination, or the pages reached
    // since if more, while later blocks wait.
    int GetKnownPageCount() const { return m_pageCount; }
    // The page count, with every block paginated.
    int GetPageCount()
    {
        FinishPagination();
        return m_pageCount;
    }

    // --- name fields: the layer holds one per flagged page, in page order; the template is what
    // the name-field dialog copies into the layer.
    CEditNode* GetNameFieldLayer() { return &m_nameFieldLayer; }
    CEditNode* GetNameFieldTemplate() const { return m_nameFieldTemplate.get(); }
    void SetNameFieldTemplate(std::unique_ptr<CEditNode> nameField) { m_nameFieldTemplate = std::move(nameField); }
    // The first name field that answers the point, or null.
    CEditNode* NameFieldAtPoint(int x, int y, int* after);

    // The last empty floating frame of the paper: of each plain question part, its first
    // floating frame holding fewer than two children; the one of the last such part, or null.
    CEditNode* FindEmptyFloat();

    // True while the root measures its blocks; the question texts then leave the sharing of their
    // hanging indents with the question's other parts to it.
    bool IsMeasuring() const { return m_measuring; }

    // --- the passes
    CEditNode* HitTest(int x, int y, int* after) override;
    void Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    void Layout(LAYOUT_CONTEXT* context, int vertical) override;
    void Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    // Places the boxes of one page (the context's page) at that page's own top-left corner for
    // printing; the screen needs a full Measure and Layout again afterwards.
    void LayoutPage(LAYOUT_CONTEXT* context, int vertical);
    // Draws the context's page after LayoutPage.
    void DrawPage(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context);
    // Layout as the editor runs it after an edit: pages, boxes and the page index are placed as by
    // Layout, but a plain question part whose boxes moved keeps its children where they stood
    // until it is settled. Drawing and hit-testing settle the blocks they reach; whoever reads
    // the positions of other blocks' nodes settles them first.
    void LayoutLazily(int vertical);
    // Measures and lays out after an edit as Measure and LayoutLazily do, in one walk over the
    // blocks; once past the block throughBlock and the page throughPage, the later blocks wait
    // when none of them changed (they only move, at most splitting their lines anew at other
    // page breaks): they are paginated when first needed, by GetPageCount, by drawing, hit-testing
    // or laying out a page they reach, or by settling one of them. Until then the extent counts
    // the pages known.
    void RelayoutAfterEdit(CDC* dc, CDisplayMap* map, int vertical, int throughPage, int throughBlock);
    // The index of the root's child that holds the node (itself a child, or below one); -1 when
    // none does.
    int BlockIndexOf(const CEditNode* node) const;
    // Paginates the blocks left waiting, if any.
    void FinishPagination();
    // Whether some blocks wait to be paginated.
    bool HasPendingPagination() const { return m_pendingWalk != nullptr; }
    // The page the document coordinate y falls on, or the last page before it when in a gap.
    int PageAtY(int64_t y) const;
    // Carries out the placements left pending: of the block at index, of the blocks first to
    // last, of the block holding the node and its neighbours, or of every block.
    void SettleBlock(int index);
    void SettleBlocks(int first, int last);
    void SettleAround(const CEditNode* node);
    void SettleAll();

    // --- question parts (plain paragraphs directly under the root), found by their numbers
    // The major question texts.
    int CountQuestions();
    // The sub-question texts of major question m; 0 when m has no question text.
    int CountSubQuestions(int m);
    // The first major part of m of the kind (0: any kind), and the first part of (m, s); null
    // when none.
    CEditSentence* FindPart(int m, int kind);
    CEditSentence* FindSubPart(int m, int s, int kind);
    // Empties the list and fills it with the parts of the part's question (its major and sub
    // number), in document order; returns their count.
    int CollectQuestionParts(CEditSentence* part, std::vector<CEditSentence*>* parts);

    // --- question structure. New parts go where the stored arrangement puts them. Each change is
    // recorded in the undo group when one is given, the caret node as every action's neighbour;
    // each is whole or nothing: when it cannot finish, the paper is left as it was (a failed
    // allocation is then passed on to the caller).
    // A major question with its four parts after the existing ones, numbered next.
    void InsertQuestion(CCaret* caret, CUndoGroup* undo);
    // Sub-question CountSubQuestions(m) + 1 of major question m, with its four parts.
    void InsertSubQuestion(int m, CCaret* caret, CUndoGroup* undo);
    // Remove every part of major question m (sub-questions included), or of sub-question (m, s);
    // the caller renumbers. Without an undo group the parts are deleted. Return the parts removed.
    int DeleteQuestion(int m, CCaret* caret, CUndoGroup* undo);
    int DeleteSubQuestion(int m, int s, CCaret* caret, CUndoGroup* undo);
    // Exchange the places of questions a and b (of sub-questions a and b of question m) in each
    // group of parts the arrangement prints together, then renumber. Nothing when a = b or when
    // either has no part. Recorded only when a group is given.
    void MoveQuestion(int a, int b, CUndoGroup* undo = nullptr);
    void MoveSubQuestion(int m, int a, int b, CUndoGroup* undo = nullptr);
    // Number every major and sub part from the document order, each part kind on its own; or the
    // sub-questions of m from the order of their question texts, the other parts following the
    // question text that had their old sub number.
    void RenumberQuestions(CUndoGroup* undo = nullptr);
    void RenumberSubQuestions(int m, CUndoGroup* undo = nullptr);

    // --- arrangement of the question parts (0 interleaved, 1 by section, 2 answers paired,
    // 3 answer blocks; any other mode arranges as 0). Each reorders the root's children, puts
    // new page-break blocks between sections and, with hideEmpty, hides empty answer-side parts;
    // each stores its mode when done. ArrangeParts then marks the whole paper dirty.
    void ArrangeParts(int mode, int hideEmpty);
    void ArrangeInterleaved(int hideEmpty);
    void ArrangeBySection(int hideEmpty);
    void ArrangeAnswersPaired(int hideEmpty);
    void ArrangeAnswerBlocks(int hideEmpty);

    // --- question-number labels, depth first in document order
    void SetAllDmonnoStyle(int style);
    void SetAllMonnoStyle(int style);
    // The style of the first label, -1 when there is none.
    int GetFirstDmonnoStyle();
    int GetFirstMonnoStyle();

    // --- question-bank records
    // Gives unclassified questions temporary numbers and rebuilds the list, one record per
    // question text in document order. 0 when the root has no children.
    int AssignMondaiIds();
    // Hands the list out to the question texts in document order and to their other parts.
    int DistributeMondaiInfo();
    // The first question part with the record's problem and sub number and the part kind.
    CEditSentence* FindPartByMondai(const CMondaiInfo* record, int partKind);
    std::vector<std::unique_ptr<CMondaiInfo>> m_mondaiList;

    // --- print-file bookkeeping
    // Stores the path and its parts: drive (always empty here), directory with its trailing
    // separator, file name without extension, extension with its dot.
    void SetPathName(const char* path);
    void AddExtractedFile(const char* path);
    // Deletes the files of the list from the disk; the list stays. Files that cannot be deleted
    // are passed over.
    void DeleteExtractedFiles();
    void ClearSideFiles();
    void AddSideFile(const char* path);
    void DeleteSideFiles();
    // Rebuilds the part-reference tree from the root's children; 1 on success, 0 on failure.
    int BuildPartPaths();
    // Sets major, sub number and part kind of each child from the part-reference tree; 1 on
    // success, 0 on failure.
    int ReadPartIds();
    CFoFlow* GetPartReferences() const;
    void SetPartReferences(std::unique_ptr<CFoFlow> flow);

    // Path of the paper's file (code page 932) and its parts.
    std::string m_pathName;
    std::string m_drive;
    std::string m_directory;
    std::string m_fileName;
    std::string m_extension;
    std::vector<std::string> m_extractedFiles;
    std::vector<std::string> m_sideFiles;

    PAGE_GEOMETRY m_geometry;
    // Texts of the print file's "SearchProgID" and "SearchInfo", kept for the question-bank search.
    CStringW m_searchProgId;
    CStringW m_searchInfo;
    int32_t m_pageGapAcross = kPageGap;
    int32_t m_pageGapDown = kPageGap;
    // The arrangement of the question parts (0 interleaved, 1 by section, 2 answers paired,
    // 3 answer blocks).
    int32_t m_partLayoutMode = 0;
    // The form of the question-bank identities read from the file (2: nine values, else 1).
    int32_t m_identificationForm = 1;

private:
    struct PAGE_ENTRY {
        int32_t nameField = 0;  // 1: the page carries a name field
        int32_t reserved[2] = {};
    };
    // Where a page's blocks begin and end among the root's children, as the last full layout
    // placed them, and the rectangle its boxes cover: laying out, drawing and hit-testing one
    // page then look at that page's blocks only. A block across a page break is in both pages.
    struct PAGE_SPAN {
        int32_t firstBlock = -1;  // -1: no block has a box on the page
        int32_t firstBox = 0;
        int32_t lastBlock = -1;
        RECT extent{};  // in document units, when the page has a block
    };
    // The range of children that may have boxes on the page: the page's span when the index
    // matches the children, else all of them.
    void BlocksOfPage(int page, int* first, int* last);
    bool HasPageIndex() const { return m_pageIndexChildCount == GetChildCount(); }
    // Notes a block's box placed on a page, for the index the layout builds.
    void IndexBox(int page, int block, int box, const RECT& extent);
    // The blocks that may show in the rectangle of document units, in child order: those of the
    // pages it meets and those without boxes. Needs the index.
    std::vector<int> BlocksMeeting(const RECT& docRect);
    // A page's sheet with the boxes on it and the room drawn around them, in document units.
    RECT PageRect(int page) const;

    // The column width of the printable width.
    int ColumnWidth(int printableWidth) const;
    // What a box is placed with on a page, all but its origin: the width left in the row, the
    // page, the paper's spacings and the box.
    LAYOUT_CONTEXT PlacementContext(int page, int width, int64_t rowX, int printableHeight, int boxIndex) const;
    // The paginator's walk over the blocks: the estimate and the placement, with their places.
    struct WALK;
    // The blocks after where the walk stands can wait: each is a plain part that measuring again
    // leaves with its children's sizes and lines, and every name field is shown already.
    bool LaterBlocksCanWait(const WALK& walk, int vertical) const;
    // What the editor's walk noted at each block, for the next edit's walk to resume from.
    struct WALK_MEMO;
    // The first block that changed since the memo was made, or the first the memo does not reach.
    int FirstChangedBlock() const;
    // Notes where the walk stands before the block at index (the child count: after the last).
    void NoteBlockStart(const WALK& walk, int index);
    // Puts the walk, the root's size and the page index where they stood before the block.
    void ResumeWalk(WALK& walk, int index);
    // Parts of the blocks first to end - 1 take their question text's indent from this measuring.
    void HandOnIndents(int first, int end);
    // Measures the visible blocks for the estimate, handing each question text's hanging indent
    // to the question's other parts as it goes.
    void MeasureBlock(CEditNode* child, CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context);
    // Lays out one box of a node where the context places it, unless it stands there already
    // with nothing changed since; while laying out lazily, a plain part's box is only marked.
    void PlaceBox(CEditNode* node, CEditBox* box, LAYOUT_CONTEXT* context, int vertical);
    // Moves or lays out the box's children to where the context places it.
    static void PlaceBoxNow(CEditNode* node, CEditBox* box, LAYOUT_CONTEXT* context, int vertical);
    // Draws a block or name field when some of it lies within the context's clip.
    static bool IsInClip(CEditNode* node, CDisplayMap* map, const RECT& clip);

    int32_t m_pageCount = 1;
    bool m_measuring = false;
    bool m_placingLazily = false;
    // The hanging indents of the question texts measured so far in a pass, by major and sub number.
    std::unordered_map<int64_t, int32_t> m_sharedIndents;
    std::array<PAGE_ENTRY, kMaxPages> m_pages{};
    // The page index of the last full layout, page 1 first; valid while the root has as many
    // children as it had then (any edit lays the paper out again before it is drawn).
    std::vector<PAGE_SPAN> m_pageSpans;
    std::vector<int32_t> m_blocksWithoutBox;
    // How far the boxes indexed reach beyond their page's sheet, up or down.
    int64_t m_spanOverhang = 0;
    int m_pageIndexChildCount = -1;
    // The walk stopped after an edit, the blocks after it waiting; with the writing direction
    // it measured in and the children it was made for.
    std::unique_ptr<WALK> m_pendingWalk;
    std::unique_ptr<WALK_MEMO> m_memo;
    int m_pendingVertical = 0;
    int m_pendingChildCount = -1;
    CEditNode m_nameFieldLayer;
    std::unique_ptr<CEditNode> m_nameFieldTemplate;
    // The part-reference tree: a CFoFlow, or null.
    std::unique_ptr<CQNXMLNode> m_partReferences;
};
