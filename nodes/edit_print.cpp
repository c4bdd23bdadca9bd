#include "nodes/edit_print.h"

#include "nodes/display_map.h"
#include "nodes/edit_error.h"
#include "nodes/edit_sentence.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

// The scrolling extent keeps this much room beyond the last page.
constexpr int kExtentMargin = 3000;

CEditContainer* AsContainer(CEditNode* node)
{
    return dynamic_cast<CEditContainer*>(node);
}

// A plain question part (not a text box, page break or name field), whose hanging indent the
// question's parts share.
CEditSentence* PlainPartOf(CEditNode* node)
{
    return node != nullptr && node->IsKind(EditKind::kSentence) ? NodeAs<CEditSentence>(node) : nullptr;
}

int64_t QuestionKey(const CEditSentence* part)
{
    return (static_cast<int64_t>(part->m_questionNumber) << 32) | static_cast<uint32_t>(part->m_subQuestionNumber);
}

// Room around a block's boxes for what it draws outside them: its part label, run labels and
// decorations.
constexpr int kDrawingMargin = 1500;

bool IsPageBreakBlock(const CEditNode* node)
{
    return node != nullptr && node->IsKind(EditKind::kKaiPage);
}

// The value within the range of an int.
int ToInt(int64_t value)
{
    return static_cast<int>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

// The width of one of `columns` columns (at least one) with `gap` between them. Counted in 64
// bits: a column count or gap read from a damaged file must not overflow.
int ColumnWidthOf(int printableWidth, int columns, int gap)
{
    if (columns <= 1)
        return printableWidth;
    const int64_t width =
        (static_cast<int64_t>(printableWidth) - (static_cast<int64_t>(columns) - 1) * gap) / columns;
    return ToInt(width);
}

// Whether a box that does not fit below the height `used` in its column moves on to the next
// column. A box taller than the printable height fits no column: it stays in a column that holds
// no other block yet, rather than leaving that column blank. Counted in 64 bits.
bool MovesToNextColumn(int64_t used, int boxHeight, int printableHeight, bool columnHoldsBlock)
{
    if (used + boxHeight <= printableHeight)
        return false;
    return columnHoldsBlock || boxHeight <= printableHeight;
}

// Where layout puts the next box of a page: the column, the row within it (boxes narrow enough
// stand side by side) and the room the page's name field takes above the column. Counted in 64
// bits.
struct PlacementCursor {
    int column = 0;
    int64_t columnOffset = 0;
    int64_t rowX = 0;
    int64_t rowTopY = 0;
    int64_t rowHeight = 0;
    int64_t lastWidth = 0;
    int64_t nameFieldHeight = 0;
    bool columnHoldsBlock = false;

    // The next column's first row starts at its left edge, below the name field above it.
    void StartNextColumn(int64_t columnStep)
    {
        columnOffset += columnStep;
        rowX = 0;
        rowTopY = nameFieldHeight;
        rowHeight = 0;
        lastWidth = 0;
        nameFieldHeight = 0;
        columnHoldsBlock = false;
    }
    // A box that does not fit beside the row's last box starts the next row below the row.
    void TakeRowFor(int boxWidth, int columnWidth)
    {
        if (boxWidth + rowX + lastWidth > columnWidth) {
            rowTopY += rowHeight;
            rowX = 0;
            rowHeight = 0;
        } else {
            rowX += lastWidth;
        }
    }
    // The row grows to hold the box just placed.
    void Placed(const CEditBox& box)
    {
        lastWidth = box.m_width;
        rowHeight = std::max<int64_t>(rowHeight, box.m_height);
    }
};

bool HasBoxOnPage(const CEditContainer* container, int page)
{
    for (int b = 0; b < container->GetBoxCount(); ++b) {
        const CEditBox* box = container->GetBox(b);
        if (box != nullptr && box->m_page == page)
            return true;
    }
    return false;
}

// A visible table wider than the column, searched through every visible node that is not a table.
bool HasWideTable(CEditNode* node, int columnWidth)
{
    for (int i = 0; i < node->GetChildCount(); ++i) {
        CEditNode* child = node->GetEditChild(i);
        if (child == nullptr || !child->IsVisible())
            continue;
        if (child->IsKind(EditKind::kTable)) {
            if (static_cast<int64_t>(child->m_rcLayout.right) - child->m_rcLayout.left > columnWidth)
                return true;
        } else if (HasWideTable(child, columnWidth)) {
            return true;
        }
    }
    return false;
}

// The rectangle a box covers where it is placed, its placement pending or carried out: a
// pending one is a plain part's box, which stands at its origin with its size.
RECT PlacedRect(const CEditBox& box)
{
    if (!box.HasPendingPlacement())
        return box.m_rcLayout;
    const LAYOUT_CONTEXT& placement = box.PendingPlacement();
    return RECT{placement.originX, placement.originY, ToInt(int64_t(placement.originX) + box.m_width),
                ToInt(int64_t(placement.originY) + box.m_height)};
}

// The first layout box of a container child whose rectangle spans y strictly.
CEditBox* BoxSpanning(CEditNode* child, int y, bool fromLast)
{
    CEditContainer* container = AsContainer(child);
    if (container == nullptr || !child->IsVisible() || !child->HasKindFlags(EditKind::kContainer))
        return nullptr;
    const int count = container->GetBoxCount();
    for (int k = 0; k < count; ++k) {
        CEditBox* box = container->GetBox(fromLast ? count - 1 - k : k);
        if (box != nullptr && box->m_rcLayout.top < y && y < box->m_rcLayout.bottom)
            return box;
    }
    return nullptr;
}

}  // namespace

IMPLEMENT_SERIAL(CEditPrint, CEditContainer, 1)

CEditPrint::CEditPrint() : CEditContainer(EditKind::Code(EditKind::kPrint))
{
    m_caretStop = 0;
    m_nameFieldLayer.m_caretStop = 0;
}


// ---------------------------------------------------------------------------------------------
// Geometry

void CEditPrint::GetPaperSize(int* width, int* height) const
{
    if (width != nullptr)
        *width = m_geometry.width;
    if (height != nullptr)
        *height = m_geometry.height;
}

void CEditPrint::SetPaperSize(int width, int height)
{
    m_geometry.width = width;
    m_geometry.height = height;
}

void CEditPrint::GetPrintableSize(int* width, int* height) const
{
    // Counted in 64 bits: margins and sizes read from a damaged file must not overflow.
    if (width != nullptr)
        *width = ToInt(static_cast<int64_t>(m_geometry.width) - m_marginLeft - m_marginRight);
    if (height != nullptr)
        *height = ToInt(static_cast<int64_t>(m_geometry.height) - m_marginTop - m_marginBottom);
}

void CEditPrint::GetExtent(int* width, int* height) const
{
    if (width != nullptr)
        *width = ToInt(static_cast<int64_t>(m_pageGapAcross) + m_geometry.width + kExtentMargin);
    if (height != nullptr)
        *height = ToInt((static_cast<int64_t>(m_pageGapDown) + m_geometry.height) * m_pageCount + kExtentMargin);
}

int CEditPrint::ColumnWidth(int printableWidth) const
{
    return ColumnWidthOf(printableWidth, m_geometry.columnCount, m_geometry.columnGap);
}

bool CEditPrint::HasTableWiderThanColumn(int columns)
{
    if (columns <= 1)
        return false;
    int printableWidth = 0;
    GetPrintableSize(&printableWidth, nullptr);
    return HasWideTable(this, ColumnWidthOf(printableWidth, columns, m_geometry.columnGap));
}

void CEditPrint::SetDirtyAll(int flag)
{
    m_dirty = flag;
    for (int i = 0; i < m_nameFieldLayer.GetChildCount(); ++i) {
        if (CEditNode* nameField = m_nameFieldLayer.GetEditChild(i))
            nameField->SetDirtyRecursive(flag);
    }
    for (int i = 0; i < GetChildCount(); ++i) {
        if (CEditNode* child = GetEditChild(i))
            child->SetDirtyRecursive(flag);
    }
}

// ---------------------------------------------------------------------------------------------
// The page table

bool CEditPrint::IsPageFlagged(int page) const
{
    if (page < 1 || page > kMaxPages)
        return false;
    return m_pages[static_cast<size_t>(page - 1)].nameField != 0;
}

bool CEditPrint::SetPageFlagged(int page, bool flagged)
{
    if (page < 1 || page > kMaxPages)
        return false;
    m_pages[static_cast<size_t>(page - 1)].nameField = flagged ? 1 : 0;
    return true;
}

// ---------------------------------------------------------------------------------------------
// The paginator: one walk over the blocks. Its estimate gives each block the room on its page it
// is measured with; its placement puts the block's boxes on pages, columns and rows and notes in
// the page index where each page's blocks begin. Measure runs the estimate over the paper, Layout
// the placement; after an edit both run block by block, and may stop past the pages shown.

// Where the walk stands between two blocks: all that walking the blocks after needs.
struct WALK_STATE {
    // The estimate follows the placement's rows: y is the bottom of the current row, rowBase its
    // top and rowWidth the width of its boxes so far.
    int nameFieldHeight = 0;
    int estimatePage = 1;
    int estimateColumn = 1;
    int y = 0;
    int rowBase = 0;
    int64_t rowWidth = 0;
    bool estimateHoldsBlock = false;
    // The placement, counted in 64 bits.
    int page = 1;
    PlacementCursor at;
    int nextNameField = 0;
    bool forceNewPage = false;
};

struct CEditPrint::WALK : WALK_STATE {
    CEditPrint* root;
    int printableWidth = 0;
    int printableHeight = 0;
    int columns = 1;
    int columnWidth = 0;
    int vertical = 0;
    // The next block to walk.
    int next = 0;
    CDC* dc = nullptr;
    CDisplayMap* map = nullptr;
    // Abandoned when a flagged page has no name field left.
    bool abandoned = false;

    WALK(CEditPrint* paper, int writingVertical) : root(paper), vertical(writingVertical)
    {
        root->GetPrintableSize(&printableWidth, &printableHeight);
        columns = std::max(1, static_cast<int>(root->m_geometry.columnCount));
        columnWidth = root->ColumnWidth(printableWidth);
    }

    void StartEstimate();
    void EstimateBlock(int index);
    bool FinishEstimate();
    bool StartPlacement();
    void PlaceBlock(int index);
    void FinishPlacement();
    void Place(CEditNode* node, CEditBox* box, int boxIndex, bool nameField);
    bool PlaceNameField();
};

// What the editor's walk noted at each block it passed, so that the next edit's walk resumes at
// the first block that changed: the walk's state before the block, what the root and the page
// index held then, and the block itself. Valid while what the whole paper is paginated with stays
// as it was.
struct CEditPrint::WALK_MEMO {
    struct BLOCK_START {
        WALK_STATE state;
        const CEditNode* block = nullptr;
        const CEditContainer* container = nullptr;  // the block as a container, or null
        bool visible = false;
        int32_t rootWidth = 0;
        int32_t rootHeight = 0;
        int64_t spanOverhang = 0;
        size_t blocksWithoutBox = 0;
        PAGE_SPAN span;  // of the state's page, as far as filled
    };
    // What every block is paginated with: the paper's geometry and spacings, the page table, the
    // writing direction and the name fields' heights.
    struct PAPER_INPUTS {
        PAGE_GEOMETRY geometry;
        int32_t margins[4] = {};
        int32_t spacings[2] = {};
        int32_t pageGapDown = 0;
        int32_t partLayoutMode = 0;
        int vertical = 0;
        std::vector<int32_t> nameFields;
        std::array<PAGE_ENTRY, kMaxPages> pages{};
        bool operator==(const PAPER_INPUTS& other) const
        {
            return std::memcmp(&geometry, &other.geometry, sizeof geometry) == 0 &&
                   std::equal(std::begin(margins), std::end(margins), std::begin(other.margins)) &&
                   std::equal(std::begin(spacings), std::end(spacings), std::begin(other.spacings)) &&
                   pageGapDown == other.pageGapDown && partLayoutMode == other.partLayoutMode &&
                   vertical == other.vertical && nameFields == other.nameFields &&
                   std::memcmp(pages.data(), other.pages.data(), sizeof(PAGE_ENTRY) * pages.size()) == 0;
        }
    };
    static PAPER_INPUTS InputsOf(const CEditPrint& root, int vertical);
    PAPER_INPUTS inputs;
    std::vector<BLOCK_START> starts;
};

void CEditPrint::WALK::StartEstimate()
{
    root->m_width = printableWidth;
    root->m_height = 0;
    LAYOUT_CONTEXT nameFieldContext;
    nameFieldContext.availableWidth = printableWidth;
    nameFieldContext.fullWidth = printableWidth;
    nameFieldContext.columnWidth = printableWidth;
    nameFieldContext.remainingHeight = printableHeight;
    nameFieldContext.pageHeight = printableHeight;
    nameFieldContext.page = 1;
    nameFieldContext.column = 1;
    nameFieldContext.lineSpacing = root->m_lineSpacing;
    nameFieldContext.letterSpacing = root->CharacterRecord().m_letterSpacing;
    if (root->m_nameFieldTemplate != nullptr) {
        LAYOUT_CONTEXT context = nameFieldContext;
        root->m_nameFieldTemplate->Measure(dc, map, &context);
    }
    nameFieldHeight = 0;
    for (int i = 0; i < root->m_nameFieldLayer.GetChildCount(); ++i) {
        CEditNode* nameField = root->m_nameFieldLayer.GetEditChild(i);
        if (nameField == nullptr)
            continue;
        LAYOUT_CONTEXT context = nameFieldContext;
        nameField->Measure(dc, map, &context);
        nameFieldHeight = nameField->m_height;
    }
    estimatePage = 1;
    estimateColumn = 1;
    y = root->IsPageFlagged(1) ? nameFieldHeight : 0;
    rowBase = y;
    rowWidth = 0;
    estimateHoldsBlock = false;
    root->m_sharedIndents.clear();
}

void CEditPrint::WALK::EstimateBlock(int index)
{
    CEditNode* child = root->GetEditChild(index);
    if (child == nullptr || !child->IsVisible())
        return;
    LAYOUT_CONTEXT context;
    context.availableWidth = columnWidth;
    context.fullWidth = printableWidth;
    context.remainingHeight = printableHeight;
    context.page = estimatePage;
    context.columnWidth = columnWidth;
    context.pageHeight = printableHeight;
    context.column = estimateColumn;
    context.originY = y;
    context.lineSpacing = root->m_lineSpacing;
    context.letterSpacing = root->CharacterRecord().m_letterSpacing;
    root->MeasureBlock(child, dc, map, &context);

    CEditContainer* container = AsContainer(child);
    if (IsPageBreakBlock(child)) {
        ++estimatePage;
        estimateColumn = 1;
        rowWidth = 0;
        const CEditBox* first = container != nullptr ? container->GetBox(0) : nullptr;
        y = ToInt(static_cast<int64_t>(root->IsPageFlagged(estimatePage) ? nameFieldHeight : 0) +
                  (first != nullptr ? first->m_height : 0));
        rowBase = y;
        estimateHoldsBlock = false;
    } else if (container != nullptr) {
        for (int b = 0; b < container->GetBoxCount(); ++b) {
            const CEditBox* box = container->GetBox(b);
            if (box == nullptr)
                continue;
            if (MovesToNextColumn(y, box->m_height, printableHeight, estimateHoldsBlock)) {
                if (++estimateColumn > columns) {
                    ++estimatePage;
                    estimateColumn = 1;
                }
                y = root->IsPageFlagged(estimatePage) ? nameFieldHeight : 0;
                rowBase = y;
                rowWidth = 0;
            }
            // A box too wide to stand beside the row starts the next row below it; the row is
            // as high as its tallest box.
            if (rowWidth + box->m_width > columnWidth) {
                rowBase = y;
                rowWidth = box->m_width;
            } else {
                rowWidth += box->m_width;
            }
            y = std::max(y, ToInt(static_cast<int64_t>(rowBase) + box->m_height));
            estimateHoldsBlock = true;
        }
    }
    root->m_width = std::max(root->m_width, child->m_width);
    root->m_height = ToInt(static_cast<int64_t>(root->m_height) + child->m_height);
}

bool CEditPrint::WALK::FinishEstimate()
{
    // Name fields of pages the paper no longer reaches stay, but hidden; when the paper reaches
    // them again they are shown and measured anew.
    CEditNode& layer = root->m_nameFieldLayer;
    const int layerCount = layer.GetChildCount();
    if (estimatePage < layerCount) {
        for (int i = estimatePage; i < layerCount; ++i) {
            if (CEditNode* nameField = layer.GetEditChild(i))
                nameField->m_hidden = 2;
        }
        return false;
    }
    bool shown = false;
    for (int i = 0; i < layerCount; ++i) {
        CEditNode* nameField = layer.GetEditChild(i);
        if (nameField != nullptr && nameField->m_hidden != 0) {
            nameField->m_hidden = 0;
            nameField->m_dirty = 1;
            shown = true;
        }
    }
    return shown;
}

void CEditPrint::WALK::Place(CEditNode* node, CEditBox* box, int boxIndex, bool nameField)
{
    const int width = nameField && page == 1 ? printableWidth : columnWidth;
    LAYOUT_CONTEXT context = root->PlacementContext(page, width, at.rowX, printableHeight, boxIndex);
    context.originX = ToInt(static_cast<int64_t>(root->m_marginLeft) + root->m_pageGapDown + at.columnOffset + at.rowX);
    context.originY = ToInt((page - 1) * static_cast<int64_t>(root->m_geometry.height) +
                            static_cast<int64_t>(page) * root->m_pageGapDown + root->m_marginTop + at.rowTopY);
    node->m_page = page;
    root->PlaceBox(node, box, &context, vertical);
    if (box != nullptr) {
        at.Placed(*box);
        box->m_page = page;
    }
    at.columnHoldsBlock = at.columnHoldsBlock || !nameField;
}

bool CEditPrint::WALK::PlaceNameField()
{
    CEditNode* nameField = root->m_nameFieldLayer.GetEditChild(nextNameField++);
    if (nameField == nullptr)
        return false;
    const CEditContainer* container = AsContainer(nameField);
    CEditBox* box = container != nullptr ? container->GetBox(0) : nullptr;
    Place(nameField, box, 0, true);
    at.nameFieldHeight = box != nullptr ? box->m_height : 0;
    return true;
}

bool CEditPrint::WALK::StartPlacement()
{
    root->m_pageIndexChildCount = -1;
    root->m_pageSpans.clear();
    root->m_blocksWithoutBox.clear();
    root->m_spanOverhang = 0;
    abandoned = root->IsPageFlagged(1) && !PlaceNameField();
    return !abandoned;
}

void CEditPrint::WALK::PlaceBlock(int index)
{
    CEditNode* child = root->GetEditChild(index);
    CEditContainer* container = child != nullptr && child->IsVisible() ? AsContainer(child) : nullptr;
    if (container == nullptr || container->GetBoxCount() == 0)
        root->m_blocksWithoutBox.push_back(index);
    if (container == nullptr)
        return;
    for (int b = 0; b < container->GetBoxCount(); ++b) {
        CEditBox* box = container->GetBox(b);
        if (box == nullptr)
            continue;
        for (;;) {
            bool newPage = false;
            if (forceNewPage) {
                newPage = true;
                forceNewPage = false;
            } else if (MovesToNextColumn(at.rowTopY + at.rowHeight, box->m_height, printableHeight,
                                         at.columnHoldsBlock)) {
                if (++at.column >= columns)
                    newPage = true;
                else
                    at.StartNextColumn(static_cast<int64_t>(root->m_geometry.columnGap) + columnWidth);
            }
            if (newPage) {
                ++page;
                at = PlacementCursor{};
                if (root->IsPageFlagged(page)) {
                    // The page's name field comes first; the box then tries again below it.
                    if (!PlaceNameField()) {
                        abandoned = true;
                        return;
                    }
                    continue;
                }
                break;
            }
            at.TakeRowFor(box->m_width, columnWidth);
            break;
        }
        Place(child, box, b, false);
        root->IndexBox(page, index, b, PlacedRect(*box));
    }
    if (IsPageBreakBlock(child))
        forceNewPage = true;
}

void CEditPrint::WALK::FinishPlacement()
{
    root->m_pageCount = page;
    root->m_pageSpans.resize(static_cast<size_t>(page));
    root->m_pageIndexChildCount = root->GetChildCount();
}

// ---------------------------------------------------------------------------------------------
// Measuring: the pagination estimate

namespace {

// While the root measures: question texts leave the sharing of their indents to it.
struct MEASURING_SCOPE {
    bool& measuring;
    std::unordered_map<int64_t, int32_t>& sharedIndents;
    MEASURING_SCOPE(bool& flag, std::unordered_map<int64_t, int32_t>& indents) : measuring(flag), sharedIndents(indents)
    {
        measuring = true;
    }
    ~MEASURING_SCOPE()
    {
        measuring = false;
        sharedIndents.clear();
    }
};

// While the root lays out after an edit: plain parts that only moved are settled later.
struct LAZY_SCOPE {
    bool& flag;
    explicit LAZY_SCOPE(bool& f) : flag(f) { flag = true; }
    ~LAZY_SCOPE() { flag = false; }
};

}  // namespace

void CEditPrint::Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT*)
{
    m_pendingWalk.reset();
    m_memo.reset();
    MEASURING_SCOPE measuring(m_measuring, m_sharedIndents);
    try {
        // Name fields shown again change the estimate, which is made once more; a second pass
        // shows nothing further.
        for (int pass = 0; pass < 2; ++pass) {
            WALK walk(this, 0);
            walk.dc = dc;
            walk.map = map;
            walk.StartEstimate();
            for (int i = 0; i < GetChildCount(); ++i)
                walk.EstimateBlock(i);
            if (!walk.FinishEstimate())
                break;
        }
        HandOnIndents(0, GetChildCount());
    } catch (const CEditError&) {
        // A node that gave up leaves the estimate as far as it got.
    }
}

void CEditPrint::HandOnIndents(int first, int end)
{
    // Parts measured before their question text, or not measured, take its indent for the next
    // measuring, as when each question text hands it on as it is measured.
    for (int i = first; i < end; ++i) {
        if (CEditSentence* part = PlainPartOf(GetEditChild(i))) {
            const auto shared = m_sharedIndents.find(QuestionKey(part));
            if (shared != m_sharedIndents.end())
                part->m_savedIndent = shared->second;
        }
    }
}

void CEditPrint::MeasureBlock(CEditNode* child, CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    CEditSentence* part = PlainPartOf(child);
    if (part != nullptr && part->m_partKind != PART_QUESTION) {
        const auto shared = m_sharedIndents.find(QuestionKey(part));
        if (shared != m_sharedIndents.end())
            part->m_savedIndent = shared->second;
    }
    child->Measure(dc, map, context);
    if (part != nullptr && part->m_partKind == PART_QUESTION)
        m_sharedIndents[QuestionKey(part)] = part->m_savedIndent;
}

// ---------------------------------------------------------------------------------------------
// Layout: boxes on pages, columns and rows

void CEditPrint::Layout(LAYOUT_CONTEXT*, int vertical)
{
    FinishPagination();
    m_memo.reset();
    try {
        WALK walk(this, vertical);
        if (!walk.StartPlacement())
            return;
        for (int i = 0; i < GetChildCount(); ++i) {
            walk.PlaceBlock(i);
            if (walk.abandoned)
                return;
        }
        walk.FinishPlacement();
    } catch (const CEditError&) {
        // A node that gave up leaves the boxes placed so far.
    }
}

void CEditPrint::RelayoutAfterEdit(CDC* dc, CDisplayMap* map, int vertical, int throughPage, int throughBlock)
{
    m_pendingWalk.reset();
    bool whole = false;
    {
        MEASURING_SCOPE measuring(m_measuring, m_sharedIndents);
        LAZY_SCOPE lazy(m_placingLazily);
        auto walk = std::make_unique<WALK>(this, vertical);
        walk->dc = dc;
        walk->map = map;
        try {
            walk->StartEstimate();
            // The blocks before the first that changed stand as the last walk left them.
            const WALK_MEMO::PAPER_INPUTS inputs = WALK_MEMO::InputsOf(*this, map != nullptr ? map->IsVertical() : 0);
            const int first = m_memo != nullptr && m_memo->inputs == inputs ? FirstChangedBlock() : 0;
            if (first > 0) {
                ResumeWalk(*walk, first);
            } else {
                m_memo = std::make_unique<WALK_MEMO>();
                m_memo->inputs = inputs;
                walk->StartPlacement();
            }
            bool mayWait = true;
            for (int i = first; i < GetChildCount(); ++i) {
                NoteBlockStart(*walk, i);
                walk->EstimateBlock(i);
                if (!walk->abandoned)
                    walk->PlaceBlock(i);
                walk->next = i + 1;
                if (mayWait && !walk->abandoned && i >= throughBlock && walk->page > throughPage) {
                    // Looked at once: the later blocks wait when none of them needs the device.
                    mayWait = false;
                    if (LaterBlocksCanWait(*walk, map != nullptr ? map->IsVertical() : 0)) {
                        NoteBlockStart(*walk, walk->next);
                        HandOnIndents(first, walk->next);
                        walk->map = nullptr;
                        walk->dc = nullptr;
                        m_pendingVertical = map != nullptr ? map->IsVertical() : 0;
                        m_pendingChildCount = GetChildCount();
                        m_pageSpans.resize(static_cast<size_t>(walk->page));
                        m_pageCount = std::max(m_pageCount, walk->page);
                        m_pageIndexChildCount = GetChildCount();
                        m_pendingWalk = std::move(walk);
                        return;
                    }
                }
            }
            // Name fields shown again: the paper is measured and laid out once more in full.
            whole = walk->FinishEstimate();
            if (!whole) {
                HandOnIndents(first, GetChildCount());
                if (!walk->abandoned) {
                    NoteBlockStart(*walk, GetChildCount());
                    walk->FinishPlacement();
                }
            }
        } catch (const CEditError&) {
            whole = true;
        }
        if (whole || walk->abandoned)
            m_memo.reset();
    }
    if (whole) {
        Measure(dc, map, nullptr);
        LayoutLazily(vertical);
    }
}

CEditPrint::WALK_MEMO::PAPER_INPUTS CEditPrint::WALK_MEMO::InputsOf(const CEditPrint& root, int vertical)
{
    PAPER_INPUTS inputs;
    inputs.geometry = root.m_geometry;
    inputs.margins[0] = root.m_marginLeft;
    inputs.margins[1] = root.m_marginTop;
    inputs.margins[2] = root.m_marginRight;
    inputs.margins[3] = root.m_marginBottom;
    inputs.spacings[0] = root.m_lineSpacing;
    inputs.spacings[1] = root.CharacterRecord().m_letterSpacing;
    inputs.pageGapDown = root.m_pageGapDown;
    inputs.partLayoutMode = root.m_partLayoutMode;
    inputs.vertical = vertical;
    for (int i = 0; i < root.m_nameFieldLayer.GetChildCount(); ++i) {
        const CEditNode* nameField = root.m_nameFieldLayer.GetEditChild(i);
        const CEditContainer* container = nameField != nullptr ? AsContainer(const_cast<CEditNode*>(nameField)) : nullptr;
        const CEditBox* box = container != nullptr ? container->GetBox(0) : nullptr;
        inputs.nameFields.push_back(nameField == nullptr ? -2 : nameField->m_hidden != 0 ? -1 : box != nullptr ? box->m_height : 0);
        inputs.nameFields.push_back(nameField != nullptr ? nameField->m_height : 0);
    }
    inputs.pages = root.m_pages;
    return inputs;
}

int CEditPrint::FirstChangedBlock() const
{
    // A block stands as it stood when it is the same node, as visible as it was, and measuring
    // it again would keep its measure.
    int first = 0;
    const int noted = static_cast<int>(m_memo->starts.size());
    while (first + 1 < noted && first < GetChildCount()) {
        const WALK_MEMO::BLOCK_START& start = m_memo->starts[static_cast<size_t>(first)];
        CEditNode* block = GetEditChild(first);
        if (block != start.block || block == nullptr || block->IsVisible() != start.visible)
            break;
        if (start.visible &&
            (start.container != nullptr ? !start.container->IsMeasureCurrent() : block->HasDirtySubtree()))
            break;
        ++first;
    }
    return first;
}

void CEditPrint::NoteBlockStart(const WALK& walk, int index)
{
    if (m_memo == nullptr)
        return;
    std::vector<WALK_MEMO::BLOCK_START>& starts = m_memo->starts;
    if (starts.size() > static_cast<size_t>(index))
        starts.resize(static_cast<size_t>(index));
    if (starts.size() != static_cast<size_t>(index)) {
        m_memo.reset();  // a gap: the memo no longer follows the walk
        return;
    }
    WALK_MEMO::BLOCK_START start;
    start.state = walk;
    start.block = index < GetChildCount() ? GetEditChild(index) : nullptr;
    start.visible = start.block != nullptr && start.block->IsVisible();
    start.container = start.block != nullptr ? AsContainer(const_cast<CEditNode*>(start.block)) : nullptr;
    start.rootWidth = m_width;
    start.rootHeight = m_height;
    start.spanOverhang = m_spanOverhang;
    start.blocksWithoutBox = m_blocksWithoutBox.size();
    if (walk.page >= 1 && m_pageSpans.size() >= static_cast<size_t>(walk.page))
        start.span = m_pageSpans[static_cast<size_t>(walk.page - 1)];
    starts.push_back(start);
}

void CEditPrint::ResumeWalk(WALK& walk, int index)
{
    const WALK_MEMO::BLOCK_START& start = m_memo->starts[static_cast<size_t>(index)];
    static_cast<WALK_STATE&>(walk) = start.state;
    walk.next = index;
    m_width = start.rootWidth;
    m_height = start.rootHeight;
    m_spanOverhang = start.spanOverhang;
    m_blocksWithoutBox.resize(std::min(m_blocksWithoutBox.size(), start.blocksWithoutBox));
    m_pageIndexChildCount = -1;
    m_pageSpans.resize(static_cast<size_t>(std::max(start.state.page, 1)));
    m_pageSpans[static_cast<size_t>(std::max(start.state.page, 1) - 1)] = start.span;
}

bool CEditPrint::LaterBlocksCanWait(const WALK& walk, int vertical) const
{
    // Name fields are measured with the device: every one must be shown already, and stay so.
    const int layerCount = m_nameFieldLayer.GetChildCount();
    if (walk.estimatePage < layerCount)
        return false;
    for (int i = 0; i < layerCount; ++i) {
        const CEditNode* nameField = m_nameFieldLayer.GetEditChild(i);
        if (nameField != nullptr && nameField->m_hidden != 0)
            return false;
    }
    LAYOUT_CONTEXT context;
    context.availableWidth = walk.columnWidth;
    context.pageHeight = walk.printableHeight;
    context.lineSpacing = m_lineSpacing;
    context.letterSpacing = CharacterRecord().m_letterSpacing;
    for (int i = walk.next; i < GetChildCount(); ++i) {
        CEditNode* child = GetEditChild(i);
        if (child == nullptr || !child->IsVisible())
            continue;
        const CEditSentence* part = PlainPartOf(child);
        if (part == nullptr)
            return false;
        if (part->m_partKind != PART_QUESTION) {
            const auto shared = m_sharedIndents.find(QuestionKey(part));
            if (shared != m_sharedIndents.end() && shared->second != part->m_savedIndent)
                return false;
        }
        if (!part->RemeasuresWithoutDevice(context, vertical))
            return false;
    }
    return true;
}

void CEditPrint::FinishPagination()
{
    if (m_pendingWalk == nullptr)
        return;
    std::unique_ptr<WALK> walk = std::move(m_pendingWalk);
    // Children added or taken out since: the next layout walks the paper anew.
    // Blocks changed since cannot be measured here: the index waits for the next layout too.
    if (m_pendingChildCount != GetChildCount() || !LaterBlocksCanWait(*walk, m_pendingVertical)) {
        m_pageIndexChildCount = -1;
        m_memo.reset();
        return;
    }
    MEASURING_SCOPE measuring(m_measuring, m_sharedIndents);
    LAZY_SCOPE lazy(m_placingLazily);
    CDisplayMap map;
    map.SetVertical(m_pendingVertical);
    walk->map = &map;
    const int first = walk->next;
    try {
        for (int i = walk->next; i < GetChildCount(); ++i) {
            NoteBlockStart(*walk, i);
            walk->EstimateBlock(i);
            walk->PlaceBlock(i);
            if (walk->abandoned) {
                m_pageIndexChildCount = -1;
                m_memo.reset();
                return;
            }
        }
        walk->FinishEstimate();
        HandOnIndents(first, GetChildCount());
        NoteBlockStart(*walk, GetChildCount());
        walk->FinishPlacement();
    } catch (const CEditError&) {
        // A node that gave up leaves the boxes placed so far.
        m_memo.reset();
    }
}

void CEditPrint::IndexBox(int page, int block, int box, const RECT& extent)
{
    if (page < 1)
        return;
    if (m_pageSpans.size() < static_cast<size_t>(page))
        m_pageSpans.resize(static_cast<size_t>(page));
    PAGE_SPAN& span = m_pageSpans[static_cast<size_t>(page - 1)];
    if (span.firstBlock < 0) {
        span.firstBlock = block;
        span.firstBox = box;
        span.extent = extent;
    } else {
        span.extent.left = std::min(span.extent.left, extent.left);
        span.extent.top = std::min(span.extent.top, extent.top);
        span.extent.right = std::max(span.extent.right, extent.right);
        span.extent.bottom = std::max(span.extent.bottom, extent.bottom);
    }
    span.lastBlock = block;
    const int64_t pageTop = (static_cast<int64_t>(page) - 1) * m_geometry.height + static_cast<int64_t>(page) * m_pageGapDown;
    m_spanOverhang = std::max({m_spanOverhang, pageTop - extent.top, int64_t(extent.bottom) - (pageTop + m_geometry.height)});
}

int CEditPrint::PageAtY(int64_t y) const
{
    const int64_t pitch = std::max<int64_t>(1, static_cast<int64_t>(m_geometry.height) + m_pageGapDown);
    const int64_t page = (y + m_geometry.height) / pitch;
    return ToInt(std::max<int64_t>(1, page));
}

void CEditPrint::BlocksOfPage(int page, int* first, int* last)
{
    if (m_pendingWalk != nullptr && page >= m_pendingWalk->page)
        FinishPagination();
    *first = 0;
    *last = GetChildCount() - 1;
    if (!HasPageIndex())
        return;
    if (page < 1 || static_cast<size_t>(page) > m_pageSpans.size()) {
        *last = -1;
        return;
    }
    const PAGE_SPAN& span = m_pageSpans[static_cast<size_t>(page - 1)];
    *first = span.firstBlock;
    *last = span.lastBlock;
}

RECT CEditPrint::PageRect(int page) const
{
    const int64_t top = (static_cast<int64_t>(page) - 1) * m_geometry.height + static_cast<int64_t>(page) * m_pageGapDown;
    int64_t left = 0;
    int64_t right = static_cast<int64_t>(m_pageGapAcross) + m_geometry.width + kExtentMargin;
    int64_t upper = top;
    int64_t lower = top + m_geometry.height;
    const PAGE_SPAN& span = m_pageSpans[static_cast<size_t>(page - 1)];
    if (span.firstBlock >= 0) {
        left = std::min<int64_t>(left, span.extent.left);
        right = std::max<int64_t>(right, span.extent.right);
        upper = std::min<int64_t>(upper, span.extent.top);
        lower = std::max<int64_t>(lower, span.extent.bottom);
    }
    return RECT{ToInt(left - kDrawingMargin), ToInt(upper - kDrawingMargin), ToInt(right + kDrawingMargin),
                ToInt(lower + kDrawingMargin)};
}

std::vector<int> CEditPrint::BlocksMeeting(const RECT& docRect)
{
    // A rectangle that reaches the pages still to be paginated has them paginated first.
    if (m_pendingWalk != nullptr) {
        const RECT pending = PageRect(m_pendingWalk->page);
        if (docRect.bottom > pending.top)
            FinishPagination();
    }
    std::vector<int> blocks(m_blocksWithoutBox.begin(), m_blocksWithoutBox.end());
    // Only the pages near the rectangle can meet it: as near as the farthest that a page's boxes
    // reach beyond its sheet.
    const int64_t reach = m_spanOverhang + kDrawingMargin;
    const size_t firstPage = static_cast<size_t>(PageAtY(int64_t(docRect.top) - reach));
    const size_t lastPage = std::min(m_pageSpans.size(), static_cast<size_t>(PageAtY(int64_t(docRect.bottom) + reach)) + 1);
    for (size_t p = firstPage - 1; p < lastPage; ++p) {
        const PAGE_SPAN& span = m_pageSpans[p];
        if (span.firstBlock < 0)
            continue;
        const RECT page = PageRect(static_cast<int>(p) + 1);
        if (page.left < docRect.right && docRect.left < page.right && page.top < docRect.bottom &&
            docRect.top < page.bottom) {
            for (int i = span.firstBlock; i <= span.lastBlock; ++i)
                blocks.push_back(i);
        }
    }
    std::sort(blocks.begin(), blocks.end());
    blocks.erase(std::unique(blocks.begin(), blocks.end()), blocks.end());
    return blocks;
}

void CEditPrint::PlaceBox(CEditNode* node, CEditBox* box, LAYOUT_CONTEXT* context, int vertical)
{
    // A block measured anew has new boxes, which were never placed; one that kept its measuring
    // stands where this context puts it already when it was placed with it last time.
    if (box != nullptr && box->IsPlacedWith(*context, vertical)) {
        box->DropPendingPlacement();
        return;
    }
    // A plain part's box stands where its origin and size put it: pagination needs no more, and
    // its children follow when the block is settled.
    if (m_placingLazily && box != nullptr && PlainPartOf(node) != nullptr) {
        box->PlaceLater(*context, vertical);
        return;
    }
    PlaceBoxNow(node, box, context, vertical);
}

void CEditPrint::PlaceBoxNow(CEditNode* node, CEditBox* box, LAYOUT_CONTEXT* context, int vertical)
{
    if (box != nullptr) {
        box->DropPendingPlacement();
        if (box->IsPlacedWith(*context, vertical))
            return;
    }
    // One that only moved with the blocks before it moves its children along.
    int dx = 0;
    int dy = 0;
    CEditContainer* container = AsContainer(node);
    if (box != nullptr && container != nullptr && box->IsMovedFrom(*context, vertical, &dx, &dy) &&
        container->MoveBox(context->boxIndex, dx, dy, context->page)) {
        box->RememberPlacement(*context, vertical);
        return;
    }
    const LAYOUT_CONTEXT placement = *context;
    node->Layout(context, vertical);
    if (box != nullptr)
        box->RememberPlacement(placement, vertical);
}

void CEditPrint::LayoutLazily(int vertical)
{
    LAZY_SCOPE lazy(m_placingLazily);
    LAYOUT_CONTEXT context;
    Layout(&context, vertical);
}

void CEditPrint::SettleBlock(int index)
{
    if (m_pendingWalk != nullptr && index >= m_pendingWalk->next)
        FinishPagination();
    CEditContainer* container = AsContainer(GetEditChild(index));
    if (container == nullptr)
        return;
    try {
        for (int b = 0; b < container->GetBoxCount(); ++b) {
            CEditBox* box = container->GetBox(b);
            if (box == nullptr || !box->HasPendingPlacement())
                continue;
            int vertical = 0;
            LAYOUT_CONTEXT placement = box->TakePendingPlacement(&vertical);
            PlaceBoxNow(container, box, &placement, vertical);
            box->m_page = placement.page;
        }
    } catch (const CEditError&) {
        // A node that gave up stays where it was.
    }
}

void CEditPrint::SettleBlocks(int first, int last)
{
    for (int i = std::max(first, 0); i <= last && i < GetChildCount(); ++i)
        SettleBlock(i);
}

void CEditPrint::SettleAround(const CEditNode* node)
{
    const int index = BlockIndexOf(node);
    if (index >= 0)
        SettleBlocks(index - 1, index + 1);
}

void CEditPrint::SettleAll()
{
    SettleBlocks(0, GetChildCount() - 1);
}

int CEditPrint::BlockIndexOf(const CEditNode* node) const
{
    const CQNXMLNode* block = node;
    while (block != nullptr && block->GetParent() != this)
        block = block->GetParent();
    return block != nullptr ? block->GetIndexInParent() : -1;
}

LAYOUT_CONTEXT CEditPrint::PlacementContext(int page, int width, int64_t rowX, int printableHeight,
                                            int boxIndex) const
{
    LAYOUT_CONTEXT context;
    context.availableWidth = ToInt(width - rowX);
    context.fullWidth = width;
    context.remainingHeight = printableHeight;
    context.page = page;
    context.lineSpacing = m_lineSpacing;
    context.letterSpacing = CharacterRecord().m_letterSpacing;
    context.boxIndex = boxIndex;
    return context;
}

void CEditPrint::LayoutPage(LAYOUT_CONTEXT* context, int vertical)
{
    if (context == nullptr)
        return;
    FinishPagination();
    // The page's boxes stand at their print positions: the next walk places every block again.
    m_memo.reset();
    try {
        const int page = context->page;
        int printableWidth = 0;
        int printableHeight = 0;
        GetPrintableSize(&printableWidth, &printableHeight);
        const int columns = std::max(1, static_cast<int>(m_geometry.columnCount));
        const int columnWidth = ColumnWidth(printableWidth);

        PlacementCursor at;

        auto place = [&](CEditNode* node, CEditBox* box, int boxIndex, int width) {
            LAYOUT_CONTEXT placement = PlacementContext(page, width, at.rowX, printableHeight, boxIndex);
            placement.originX = ToInt(m_marginLeft + at.columnOffset + at.rowX);
            placement.originY = ToInt(m_marginTop + at.rowTopY);
            node->Layout(&placement, vertical);
            if (box != nullptr) {
                // The box stands at its print position now: the next full layout places it again.
                box->ForgetPlacement();
                at.Placed(*box);
            }
        };

        if (IsPageFlagged(page)) {
            for (int i = 0; i < m_nameFieldLayer.GetChildCount(); ++i) {
                CEditNode* nameField = m_nameFieldLayer.GetEditChild(i);
                if (nameField == nullptr || nameField->m_page != page)
                    continue;
                const CEditContainer* container = AsContainer(nameField);
                CEditBox* box = container != nullptr ? container->GetBox(0) : nullptr;
                place(nameField, box, 0, printableWidth);
                at.nameFieldHeight = box != nullptr ? box->m_height : 0;
                break;
            }
        }

        int first = 0;
        int last = 0;
        BlocksOfPage(page, &first, &last);
        for (int i = std::max(first, 0); i <= last && i < GetChildCount(); ++i) {
            CEditNode* child = GetEditChild(i);
            if (child == nullptr || !child->IsVisible())
                continue;
            CEditContainer* container = AsContainer(child);
            for (int b = 0; container != nullptr && b < container->GetBoxCount(); ++b) {
                CEditBox* box = container->GetBox(b);
                if (box != nullptr && box->m_page > page)
                    break;  // a block's boxes come page by page
                if (box == nullptr || box->m_page != page)
                    continue;
                // The first box of a column was placed there without a second test.
                if (at.rowHeight > 0 &&
                    MovesToNextColumn(at.rowTopY + at.rowHeight, box->m_height, printableHeight, at.columnHoldsBlock)) {
                    if (++at.column >= columns)
                        at.columnOffset = 0;
                    else
                        at.StartNextColumn(static_cast<int64_t>(m_geometry.columnGap) + columnWidth);
                }
                at.TakeRowFor(box->m_width, columnWidth);
                place(child, box, b, columnWidth);
                at.columnHoldsBlock = true;
            }
        }
    } catch (const CEditError&) {
        // A node that gave up leaves the boxes placed so far.
    }
}

// ---------------------------------------------------------------------------------------------
// Drawing

void CEditPrint::Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    try {
        LAYOUT_CONTEXT copy;
        if (context != nullptr)
            copy = *context;
        // Only what lies within the clip is drawn: one page on screen costs one page.
        RECT clip{};
        const bool clipped = dc != nullptr && map != nullptr && dc->GetClipBox(&clip) == SIMPLEREGION;
        for (int i = 0; i < m_nameFieldLayer.GetChildCount(); ++i) {
            CEditNode* nameField = m_nameFieldLayer.GetEditChild(i);
            if (nameField != nullptr && (!clipped || IsInClip(nameField, map, clip)))
                nameField->Draw(dc, map, &copy);
        }
        if (!clipped || !HasPageIndex()) {
            SettleAll();
            for (int i = 0; i < GetChildCount(); ++i) {
                CEditNode* child = GetEditChild(i);
                if (child != nullptr && (!clipped || IsInClip(child, map, clip)))
                    child->Draw(dc, map, &copy);
            }
            return;
        }
        // The blocks of the pages the clip shows, found through the page index.
        RECT docClip{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
        for (POINT corner : {POINT{clip.left, clip.top}, POINT{clip.right, clip.top}, POINT{clip.left, clip.bottom},
                             POINT{clip.right, clip.bottom}}) {
            map->DeviceToDoc(&corner);
            docClip.left = std::min(docClip.left, corner.x - 1);
            docClip.top = std::min(docClip.top, corner.y - 1);
            docClip.right = std::max(docClip.right, corner.x + 1);
            docClip.bottom = std::max(docClip.bottom, corner.y + 1);
        }
        for (const int i : BlocksMeeting(docClip)) {
            SettleBlock(i);
            CEditNode* child = GetEditChild(i);
            if (child != nullptr && IsInClip(child, map, clip))
                child->Draw(dc, map, &copy);
        }
    } catch (const CEditError&) {
        // A node that gave up leaves what was drawn so far.
    }
}

bool CEditPrint::IsInClip(CEditNode* node, CDisplayMap* map, const RECT& clip)
{
    // The block's extent in document units: its own rectangle, its boxes and its part label.
    RECT extent = node->m_rcLayout;
    auto unite = [&extent](const RECT& r) {
        extent.left = std::min(extent.left, r.left);
        extent.top = std::min(extent.top, r.top);
        extent.right = std::max(extent.right, r.right);
        extent.bottom = std::max(extent.bottom, r.bottom);
    };
    if (const CEditContainer* container = AsContainer(node)) {
        for (int b = 0; b < container->GetBoxCount(); ++b) {
            if (const CEditBox* box = container->GetBox(b))
                unite(box->m_rcLayout);
        }
    }
    if (const auto* part = dynamic_cast<const CEditSentence*>(node))
        unite(part->m_label.m_rcLayout);
    extent = RECT{ToInt(int64_t(extent.left) - kDrawingMargin), ToInt(int64_t(extent.top) - kDrawingMargin),
                  ToInt(int64_t(extent.right) + kDrawingMargin), ToInt(int64_t(extent.bottom) + kDrawingMargin)};
    map->DocToDeviceRect(&extent);
    const int left = std::min(extent.left, extent.right);
    const int right = std::max(extent.left, extent.right);
    const int top = std::min(extent.top, extent.bottom);
    const int bottom = std::max(extent.top, extent.bottom);
    return left < clip.right && clip.left < right && top < clip.bottom && clip.top < bottom;
}

void CEditPrint::DrawPage(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    if (context == nullptr)
        return;
    try {
        const int page = context->page;
        if (IsPageFlagged(page)) {
            for (int i = 0; i < m_nameFieldLayer.GetChildCount(); ++i) {
                CEditNode* nameField = m_nameFieldLayer.GetEditChild(i);
                if (nameField == nullptr || nameField->m_page != page)
                    continue;
                LAYOUT_CONTEXT copy = *context;
                nameField->Draw(dc, map, &copy);
            }
        }
        int first = 0;
        int last = 0;
        BlocksOfPage(page, &first, &last);
        for (int i = std::max(first, 0); i <= last && i < GetChildCount(); ++i) {
            CEditNode* child = GetEditChild(i);
            CEditContainer* container = AsContainer(child);
            if (container == nullptr || !HasBoxOnPage(container, page))
                continue;
            // The last node drawn on earlier pages, so that a labelled run continued from there
            // is not labelled again.
            CEditNode* previous = nullptr;
            for (int j = 0; j < child->GetChildCount(); ++j) {
                CEditNode* grandchild = child->GetEditChild(j);
                if (grandchild == nullptr)
                    continue;
                if (grandchild->m_page >= page)
                    break;
                previous = grandchild;
            }
            for (int b = 0; b < container->GetBoxCount(); ++b) {
                const CEditBox* box = container->GetBox(b);
                if (box == nullptr || box->m_page != page)
                    continue;
                const DRAW_FILTER filter{0, b};
                LAYOUT_CONTEXT boxContext;
                boxContext.drawFilter = &filter;
                boxContext.lastDrawn = previous;
                child->Draw(dc, map, &boxContext);
                previous = boxContext.lastDrawn;
            }
        }
    } catch (const CEditError&) {
        // A node that gave up leaves what was drawn so far.
    }
}

// ---------------------------------------------------------------------------------------------
// Hit testing

CEditNode* CEditPrint::HitTest(int x, int y, int* after)
{
    try {
        // The blocks of the page under the point, through the page index; every block without it.
        std::vector<int> blocks;
        if (HasPageIndex()) {
            blocks = BlocksMeeting(RECT{ToInt(int64_t(x) - 1), ToInt(int64_t(y) - 1), ToInt(int64_t(x) + 1),
                                        ToInt(int64_t(y) + 1)});
        } else {
            blocks.resize(static_cast<size_t>(GetChildCount()));
            for (int i = 0; i < GetChildCount(); ++i)
                blocks[static_cast<size_t>(i)] = i;
        }
        for (const int i : blocks)
            SettleBlock(i);
        for (const int i : blocks) {
            CEditNode* child = GetEditChild(i);
            if (child == nullptr || !child->IsVisible())
                continue;
            if (CEditNode* hit = child->HitTest(x, y, after))
                return hit;
        }
        // A click in the margin beside a block lands on the block's nearest edge.
        for (const int i : blocks) {
            CEditNode* child = GetEditChild(i);
            if (const CEditBox* box = child != nullptr ? BoxSpanning(child, y, false) : nullptr) {
                if (x < box->m_rcLayout.left)
                    return child->HitTest(ToInt(static_cast<int64_t>(box->m_rcLayout.left) + 1), y, after);
                break;
            }
        }
        for (auto it = blocks.rbegin(); it != blocks.rend(); ++it) {
            CEditNode* child = GetEditChild(*it);
            if (const CEditBox* box = child != nullptr ? BoxSpanning(child, y, true) : nullptr) {
                if (box->m_rcLayout.right < x)
                    return child->HitTest(ToInt(static_cast<int64_t>(box->m_rcLayout.right) - 1), y, after);
                break;
            }
        }
    } catch (const CEditError&) {
        // A node that gave up: no hit.
    }
    return nullptr;
}

CEditNode* CEditPrint::FindEmptyFloat()
{
    CEditNode* found = nullptr;
    for (int i = 0; i < GetChildCount(); ++i) {
        CEditNode* part = GetEditChild(i);
        if (part == nullptr || !part->IsKind(EditKind::kSentence))
            continue;
        for (int j = 0; j < part->GetChildCount(); ++j) {
            CEditNode* child = part->GetEditChild(j);
            if (child != nullptr && child->IsKind(EditKind::kFloat) && child->GetChildCount() < 2) {
                found = child;
                break;
            }
        }
    }
    return found;
}

CEditNode* CEditPrint::NameFieldAtPoint(int x, int y, int* after)
{
    for (int i = 0; i < m_nameFieldLayer.GetChildCount(); ++i) {
        CEditNode* nameField = m_nameFieldLayer.GetEditChild(i);
        if (nameField != nullptr && nameField->HitTest(x, y, after) != nullptr)
            return nameField;
    }
    return nullptr;
}

CEditPrint::~CEditPrint() = default;
