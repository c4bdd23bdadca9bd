#include "export/word_server_selection.h"

#include <algorithm>
#include <string>

namespace {

[[noreturn]] void Refuse(const char16_t* what) { throw WORD_MODEL_ERROR{what}; }

constexpr char16_t kNoSuchPlace[] = u"文書の位置が正しくありません。";
constexpr char16_t kNotInTable[] = u"表の中ではありません。";
constexpr char16_t kBadBreak[] = u"この種類の区切りは挿入できません。";
constexpr char16_t kStartOutside[] = u"範囲の先頭が段落の外に出ます。";
constexpr char16_t kNoRubyText[] = u"ルビを付ける文字が選択されていません。";
constexpr char16_t kLineBreak = 6;

// Word's break types that become a break item; the others would need sections of their own.
constexpr int kBreakTypes[] = {6, 7, 8, 11};

bool IsSurrogateLead(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsSurrogateTrail(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The table of a cell extent with the path to its story and its block there.
std::shared_ptr<WORD_TABLE> LocateTable(CWordDocumentModel& model, const WORD_EXTENT& extent,
                                        std::vector<WORD_CELL_STEP>* cells, int* block)
{
    std::shared_ptr<WORD_TABLE> table = extent.table.lock();
    if (!table || !model.FindTable(table.get(), cells, block) || extent.firstRow < 0 || extent.firstColumn < 0 ||
        extent.lastRow >= table->rows || extent.lastColumn >= table->columns || extent.firstRow > extent.lastRow ||
        extent.firstColumn > extent.lastColumn)
        Refuse(kNoSuchPlace);
    return table;
}

std::vector<WORD_CELL_STEP> CellPath(std::vector<WORD_CELL_STEP> cells, int block, const WORD_TABLE& table, int row,
                                     int column)
{
    cells.push_back({block, row * table.columns + column});
    return cells;
}

void CollectParagraphs(WORD_STORY& story, std::vector<WORD_PARAGRAPH*>* paragraphs)
{
    for (WORD_BLOCK& block : story) {
        if (block.table) {
            for (WORD_CELL& cell : block.table->cells)
                CollectParagraphs(cell.story, paragraphs);
        } else {
            paragraphs->push_back(&block.paragraph);
        }
    }
}

void ChangeItems(std::vector<WORD_ITEM>& items, size_t from, size_t to,
                 const std::function<void(WORD_CHAR_FORMAT&)>& change)
{
    for (size_t i = from; i < to && i < items.size(); ++i) {
        change(items[i].format);
        if (items[i].ruby)
            ChangeItems(items[i].ruby->base, 0, items[i].ruby->base.size(), change);
    }
}

}  // namespace

WORD_EXTENT CellExtent(const std::shared_ptr<WORD_TABLE>& table, int row, int column)
{
    WORD_EXTENT extent;
    extent.kind = WordExtentKind::Cells;
    extent.table = table;
    extent.firstRow = extent.lastRow = row;
    extent.firstColumn = extent.lastColumn = column;
    return extent;
}

WORD_EXTENT TableExtent(const std::shared_ptr<WORD_TABLE>& table)
{
    WORD_EXTENT extent = CellExtent(table, 0, 0);
    extent.lastRow = table->rows - 1;
    extent.lastColumn = table->columns - 1;
    return extent;
}

std::vector<WORD_PARAGRAPH*> ParagraphsOf(CWordDocumentModel& model, const WORD_EXTENT& extent)
{
    std::vector<WORD_PARAGRAPH*> paragraphs;
    switch (extent.kind) {
    case WordExtentKind::Text:
        paragraphs.push_back(&model.ParagraphAt(extent.start));
        break;
    case WordExtentKind::Cells:
        for (WORD_CELL* cell : CellsOf(model, extent))
            CollectParagraphs(cell->story, &paragraphs);
        break;
    case WordExtentKind::Document:
        CollectParagraphs(model.Body(), &paragraphs);
        break;
    }
    return paragraphs;
}

std::vector<WORD_CELL*> CellsOf(CWordDocumentModel& model, const WORD_EXTENT& extent)
{
    std::vector<WORD_CELL*> cells;
    if (extent.kind != WordExtentKind::Cells)
        return cells;
    std::vector<WORD_CELL_STEP> path;
    int block = 0;
    const std::shared_ptr<WORD_TABLE> table = LocateTable(model, extent, &path, &block);
    for (int row = extent.firstRow; row <= extent.lastRow; ++row)
        for (int column = extent.firstColumn; column <= extent.lastColumn; ++column)
            cells.push_back(&table->Cell(row, column));
    return cells;
}

std::vector<std::shared_ptr<WORD_PICTURE>> PicturesOf(CWordDocumentModel& model, const WORD_EXTENT& extent)
{
    std::vector<std::shared_ptr<WORD_PICTURE>> pictures;
    switch (extent.kind) {
    case WordExtentKind::Text: {
        const WORD_PARAGRAPH& paragraph = model.ParagraphAt(extent.start);
        for (int i = extent.start.offset; i < extent.end.offset && static_cast<size_t>(i) < paragraph.items.size(); ++i)
            if (paragraph.items[static_cast<size_t>(i)].kind == WordItemKind::Picture)
                pictures.push_back(paragraph.items[static_cast<size_t>(i)].picture);
        break;
    }
    case WordExtentKind::Cells:
        for (WORD_CELL* cell : CellsOf(model, extent))
            CWordDocumentModel::CollectPictures(cell->story, &pictures);
        break;
    case WordExtentKind::Document:
        CWordDocumentModel::CollectPictures(model.Body(), &pictures);
        break;
    }
    return pictures;
}

std::shared_ptr<WORD_TABLE> TableAt(CWordDocumentModel& model, const WORD_POSITION& position, int* row, int* column)
{
    if (position.cells.empty())
        return nullptr;
    std::vector<WORD_CELL_STEP> above(position.cells.begin(), position.cells.end() - 1);
    const WORD_CELL_STEP step = position.cells.back();
    WORD_STORY& story = model.StoryAt(above);
    std::shared_ptr<WORD_TABLE> table = story[static_cast<size_t>(step.block)].table;
    *row = step.cell / table->columns;
    *column = step.cell % table->columns;
    return table;
}

void CWordSelection::Select(const WORD_EXTENT& extent)
{
    switch (extent.kind) {
    case WordExtentKind::Text:
        if (extent.start.cells != extent.end.cells || extent.start.block != extent.end.block ||
            extent.start.offset > extent.end.offset)
            Refuse(kNoSuchPlace);
        m_model->ParagraphAt(extent.start);
        m_model->ParagraphAt(extent.end);
        break;
    case WordExtentKind::Cells: {
        std::vector<WORD_CELL_STEP> path;
        int block = 0;
        LocateTable(*m_model, extent, &path, &block);
        break;
    }
    case WordExtentKind::Document:
        break;
    }
    m_extent = extent;
}

void CWordSelection::Collapse(bool toEnd)
{
    WORD_POSITION position;
    switch (m_extent.kind) {
    case WordExtentKind::Text:
        position = toEnd ? m_extent.end : m_extent.start;
        break;
    case WordExtentKind::Cells: {
        std::vector<WORD_CELL_STEP> path;
        int block = 0;
        const std::shared_ptr<WORD_TABLE> table = LocateTable(*m_model, m_extent, &path, &block);
        position = toEnd ? m_model->EndOf(CellPath(path, block, *table, m_extent.lastRow, m_extent.lastColumn))
                         : m_model->StartOf(CellPath(path, block, *table, m_extent.firstRow, m_extent.firstColumn));
        break;
    }
    case WordExtentKind::Document:
        position = toEnd ? m_model->EndOf({}) : m_model->StartOf({});
        break;
    }
    m_extent = WORD_EXTENT{};
    m_extent.start = m_extent.end = position;
}

void CWordSelection::DeleteExtent()
{
    switch (m_extent.kind) {
    case WordExtentKind::Text: {
        WORD_PARAGRAPH& paragraph = m_model->ParagraphAt(m_extent.start);
        m_model->ParagraphAt(m_extent.end);
        paragraph.items.erase(paragraph.items.begin() + m_extent.start.offset,
                              paragraph.items.begin() + m_extent.end.offset);
        break;
    }
    case WordExtentKind::Cells:
        for (WORD_CELL* cell : CellsOf(*m_model, m_extent)) {
            const WORD_PARA_FORMAT format = cell->story.front().paragraph.format;
            cell->story = EmptyStory(format);
        }
        break;
    case WordExtentKind::Document: {
        const WORD_PARA_FORMAT format = m_model->Body().front().paragraph.format;
        m_model->Body() = EmptyStory(format);
        break;
    }
    }
    Collapse(false);
}

void CWordSelection::TypeText(std::u16string_view text)
{
    DeleteExtent();
    WORD_POSITION& position = m_extent.start;
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\r' || c == u'\n') {
            m_model->SplitParagraph(position);
            continue;
        }
        WORD_ITEM item;
        item.format = m_format;
        if (c == kLineBreak || c == u'\v') {
            item.kind = WordItemKind::Break;
            item.breakType = kLineBreak;
        } else if (IsSurrogateLead(c) && i + 1 < text.size() && IsSurrogateTrail(text[i + 1])) {
            item.text = std::u16string(text.substr(i, 2));
            ++i;
        } else if (IsSurrogateLead(c) || IsSurrogateTrail(c)) {
            item.text = u"\uFFFD";  // half a pair: no character of its own
        } else if ((c < 0x20 && c != u'\t') || c == 0xFFFE || c == 0xFFFF) {
            continue;  // control characters have no place in a document's text
        } else {
            item.text = std::u16string(1, c);
        }
        m_model->InsertItem(position, std::move(item));
    }
    m_extent.end = position;
}

void CWordSelection::TypeParagraph()
{
    DeleteExtent();
    m_model->SplitParagraph(m_extent.start);
    m_extent.end = m_extent.start;
}

void CWordSelection::TypeBackspace()
{
    if (!m_extent.IsCollapsed()) {
        DeleteExtent();
        return;
    }
    m_model->Backspace(m_extent.start);
    m_extent.end = m_extent.start;
}

void CWordSelection::InsertBreak(int type)
{
    if (std::find(std::begin(kBreakTypes), std::end(kBreakTypes), type) == std::end(kBreakTypes))
        Refuse(kBadBreak);
    DeleteExtent();
    WORD_ITEM item;
    item.kind = WordItemKind::Break;
    item.breakType = type;
    item.format = m_format;
    m_model->InsertItem(m_extent.start, std::move(item));
    m_extent.end = m_extent.start;
}

void CWordSelection::InsertPicture(std::shared_ptr<WORD_PICTURE> picture)
{
    DeleteExtent();
    WORD_ITEM item;
    item.kind = WordItemKind::Picture;
    item.picture = std::move(picture);
    item.format = m_format;
    m_model->InsertItem(m_extent.start, std::move(item));
    m_extent.end = m_extent.start;
}

std::shared_ptr<WORD_TABLE> CWordSelection::AddTable(const WORD_EXTENT& at, int rows, int columns)
{
    Select(at);
    Collapse(false);
    std::shared_ptr<WORD_TABLE> table = m_model->InsertTable(m_extent.start, rows, columns);
    m_extent.end = m_extent.start;
    return table;
}

int CWordSelection::Move(int count)
{
    int moved = 0;
    if (!m_extent.IsCollapsed()) {
        bool overRuby = false;
        if (m_extent.kind == WordExtentKind::Text && m_extent.end.offset == m_extent.start.offset + 1) {
            const WORD_PARAGRAPH& paragraph = m_model->ParagraphAt(m_extent.start);
            overRuby = paragraph.items[static_cast<size_t>(m_extent.start.offset)].kind == WordItemKind::Ruby;
        }
        Collapse(count > 0);
        if (count == 0)
            return 0;
        moved = overRuby ? 2 : 1;
    }
    WORD_POSITION& position = m_extent.start;
    const int wanted = count < 0 ? -count : count;
    while (moved < wanted && (count > 0 ? m_model->StepRight(position) : m_model->StepLeft(position)))
        ++moved;
    m_extent.end = position;
    return count < 0 ? -moved : moved;
}

int CWordSelection::MoveStart(int count)
{
    if (m_extent.kind != WordExtentKind::Text)
        Collapse(false);
    const WORD_PARAGRAPH& paragraph = m_model->ParagraphAt(m_extent.start);
    const long start = static_cast<long>(m_extent.start.offset) + count;
    if (start < 0 || start > static_cast<long>(paragraph.items.size()))
        Refuse(kStartOutside);
    m_extent.start.offset = static_cast<int>(start);
    if (m_extent.end.offset < m_extent.start.offset)
        m_extent.end.offset = m_extent.start.offset;
    return count;
}

void CWordSelection::SelectColumn()
{
    std::shared_ptr<WORD_TABLE> table;
    int column = 0;
    if (m_extent.kind == WordExtentKind::Cells) {
        table = m_extent.table.lock();
        column = m_extent.firstColumn;
    } else if (m_extent.kind == WordExtentKind::Text) {
        int row = 0;
        table = TableAt(*m_model, m_extent.start, &row, &column);
    }
    if (!table)
        Refuse(kNotInTable);
    WORD_EXTENT extent = CellExtent(table, 0, column);
    extent.lastRow = table->rows - 1;
    Select(extent);
}

void CWordSelection::GoToPage(int page)
{
    WORD_POSITION target;
    if (page == 1) {
        target = m_model->StartOf({});
    } else {
        int breaks = 0;
        bool found = false;
        const WORD_STORY& body = m_model->Body();
        for (size_t b = 0; b < body.size() && !found; ++b) {
            if (body[b].table)
                continue;
            const std::vector<WORD_ITEM>& items = body[b].paragraph.items;
            for (size_t i = 0; i < items.size(); ++i) {
                if (items[i].kind == WordItemKind::Break && items[i].breakType == 7 && ++breaks == page - 1) {
                    target = WORD_POSITION{{}, static_cast<int>(b), static_cast<int>(i) + 1};
                    found = true;
                    break;
                }
            }
        }
        if (!found) {
            // Without Word's page layout only pages that a page break starts can be found.
            const std::string number = std::to_string(page);
            throw WORD_MODEL_ERROR{u"ページ " + std::u16string(number.begin(), number.end()) +
                                   u" の先頭が見つかりません。"};
        }
    }
    m_extent = WORD_EXTENT{};
    m_extent.start = m_extent.end = target;
}

void CWordSelection::PhoneticGuide(const WORD_EXTENT& range, const WORD_RUBY& reading)
{
    if (range.kind != WordExtentKind::Text || range.start.cells != range.end.cells ||
        range.start.block != range.end.block || range.start.offset >= range.end.offset || reading.reading.empty())
        Refuse(kNoRubyText);
    WORD_PARAGRAPH& paragraph = m_model->ParagraphAt(range.start);
    m_model->ParagraphAt(range.end);
    const auto first = paragraph.items.begin() + range.start.offset;
    const auto last = paragraph.items.begin() + range.end.offset;
    if (std::any_of(first, last, [](const WORD_ITEM& item) { return item.kind != WordItemKind::Character; }))
        Refuse(kNoRubyText);
    const bool selected = m_extent.kind == WordExtentKind::Text && m_extent.start == range.start &&
                          m_extent.end == range.end;
    auto ruby = std::make_shared<WORD_RUBY>(reading);
    ruby->base.assign(first, last);
    WORD_ITEM item;
    item.kind = WordItemKind::Ruby;
    item.format = first->format;
    item.ruby = std::move(ruby);
    paragraph.items.erase(first, last);
    paragraph.items.insert(paragraph.items.begin() + range.start.offset, std::move(item));
    if (selected) {
        m_extent.end = m_extent.start;
        m_extent.end.offset = m_extent.start.offset + 1;
    } else if (m_extent.kind == WordExtentKind::Text && m_extent.start.cells == range.start.cells &&
               m_extent.start.block == range.start.block) {
        // The Selection stays where it was in the paragraph, clamped to its shorter length.
        const int size = static_cast<int>(paragraph.items.size());
        m_extent.start.offset = std::min(m_extent.start.offset, size);
        m_extent.end.offset = std::min(m_extent.end.offset, size);
    }
}

void CWordSelection::ChangeFormat(const std::function<void(WORD_CHAR_FORMAT&)>& change)
{
    switch (m_extent.kind) {
    case WordExtentKind::Text: {
        WORD_PARAGRAPH& paragraph = m_model->ParagraphAt(m_extent.start);
        ChangeItems(paragraph.items, static_cast<size_t>(m_extent.start.offset),
                    static_cast<size_t>(m_extent.end.offset), change);
        break;
    }
    case WordExtentKind::Cells:
    case WordExtentKind::Document:
        for (WORD_PARAGRAPH* paragraph : ParagraphsOf(*m_model, m_extent))
            ChangeItems(paragraph->items, 0, paragraph->items.size(), change);
        break;
    }
    change(m_format);
}

void CWordSelection::SetTextOrientation(int orientation)
{
    if (m_extent.kind == WordExtentKind::Cells) {
        for (WORD_CELL* cell : CellsOf(*m_model, m_extent))
            cell->textOrientation = orientation;
        return;
    }
    m_model->Section().textOrientation = orientation;
}
