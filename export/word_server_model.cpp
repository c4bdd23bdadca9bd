#include "export/word_server_model.h"

namespace {

[[noreturn]] void Refuse(const char16_t* what) { throw WORD_MODEL_ERROR{what}; }

constexpr char16_t kNoSuchPlace[] = u"文書の位置が正しくありません。";

bool IsParagraph(const WORD_BLOCK& block) { return block.table == nullptr; }

bool FindTableIn(const WORD_STORY& story, const WORD_TABLE* table, std::vector<WORD_CELL_STEP>* cells, int* block)
{
    for (size_t b = 0; b < story.size(); ++b) {
        const WORD_TABLE* inner = story[b].table.get();
        if (inner == nullptr)
            continue;
        if (inner == table) {
            *block = static_cast<int>(b);
            return true;
        }
        for (size_t c = 0; c < inner->cells.size(); ++c) {
            cells->push_back({static_cast<int>(b), static_cast<int>(c)});
            if (FindTableIn(inner->cells[c].story, table, cells, block))
                return true;
            cells->pop_back();
        }
    }
    return false;
}

}  // namespace

WORD_STORY EmptyStory(const WORD_PARA_FORMAT& format)
{
    WORD_STORY story(1);
    story[0].paragraph.format = format;
    return story;
}

CWordDocumentModel::CWordDocumentModel() : m_body(EmptyStory()) {}

WORD_STORY& CWordDocumentModel::StoryAt(const std::vector<WORD_CELL_STEP>& cells)
{
    WORD_STORY* story = &m_body;
    for (const WORD_CELL_STEP& step : cells) {
        if (step.block < 0 || static_cast<size_t>(step.block) >= story->size())
            Refuse(kNoSuchPlace);
        WORD_TABLE* table = (*story)[static_cast<size_t>(step.block)].table.get();
        if (table == nullptr || step.cell < 0 || static_cast<size_t>(step.cell) >= table->cells.size())
            Refuse(kNoSuchPlace);
        story = &table->cells[static_cast<size_t>(step.cell)].story;
    }
    return *story;
}

WORD_PARAGRAPH& CWordDocumentModel::ParagraphAt(const WORD_POSITION& position)
{
    WORD_STORY& story = StoryAt(position.cells);
    if (position.block < 0 || static_cast<size_t>(position.block) >= story.size() ||
        !IsParagraph(story[static_cast<size_t>(position.block)]))
        Refuse(kNoSuchPlace);
    WORD_PARAGRAPH& paragraph = story[static_cast<size_t>(position.block)].paragraph;
    if (position.offset < 0 || static_cast<size_t>(position.offset) > paragraph.items.size())
        Refuse(kNoSuchPlace);
    return paragraph;
}

bool CWordDocumentModel::FindTable(const WORD_TABLE* table, std::vector<WORD_CELL_STEP>* cells, int* block) const
{
    cells->clear();
    return table != nullptr && FindTableIn(m_body, table, cells, block);
}

WORD_POSITION CWordDocumentModel::StartOf(std::vector<WORD_CELL_STEP> cells)
{
    for (;;) {
        WORD_STORY& story = StoryAt(cells);
        if (IsParagraph(story.front()))
            return WORD_POSITION{std::move(cells), 0, 0};
        cells.push_back({0, 0});
    }
}

WORD_POSITION CWordDocumentModel::EndOf(std::vector<WORD_CELL_STEP> cells)
{
    WORD_STORY& story = StoryAt(cells);
    const int last = static_cast<int>(story.size()) - 1;
    return WORD_POSITION{std::move(cells), last, static_cast<int>(story.back().paragraph.items.size())};
}

void CWordDocumentModel::InsertItem(WORD_POSITION& position, WORD_ITEM item)
{
    WORD_PARAGRAPH& paragraph = ParagraphAt(position);
    paragraph.items.insert(paragraph.items.begin() + position.offset, std::move(item));
    ++position.offset;
}

void CWordDocumentModel::SplitParagraph(WORD_POSITION& position)
{
    WORD_PARAGRAPH& paragraph = ParagraphAt(position);
    WORD_BLOCK next;
    next.paragraph.format = paragraph.format;
    next.paragraph.items.assign(paragraph.items.begin() + position.offset, paragraph.items.end());
    paragraph.items.erase(paragraph.items.begin() + position.offset, paragraph.items.end());
    WORD_STORY& story = StoryAt(position.cells);
    story.insert(story.begin() + position.block + 1, std::move(next));
    ++position.block;
    position.offset = 0;
}

void CWordDocumentModel::Backspace(WORD_POSITION& position)
{
    WORD_PARAGRAPH& paragraph = ParagraphAt(position);
    if (position.offset > 0) {
        paragraph.items.erase(paragraph.items.begin() + position.offset - 1);
        --position.offset;
        return;
    }
    WORD_STORY& story = StoryAt(position.cells);
    if (position.block == 0 || !IsParagraph(story[static_cast<size_t>(position.block - 1)]))
        return;
    WORD_PARAGRAPH& before = story[static_cast<size_t>(position.block - 1)].paragraph;
    const int joinAt = static_cast<int>(before.items.size());
    before.items.insert(before.items.end(), paragraph.items.begin(), paragraph.items.end());
    story.erase(story.begin() + position.block);
    --position.block;
    position.offset = joinAt;
}

std::shared_ptr<WORD_TABLE> CWordDocumentModel::InsertTable(WORD_POSITION& position, int rows, int columns)
{
    WORD_PARAGRAPH& paragraph = ParagraphAt(position);
    const WORD_PARA_FORMAT format = paragraph.format;
    if (position.offset > 0)
        SplitParagraph(position);
    auto table = std::make_shared<WORD_TABLE>();
    table->rows = rows;
    table->columns = columns;
    table->cells.resize(static_cast<size_t>(rows) * static_cast<size_t>(columns));
    for (WORD_CELL& cell : table->cells)
        cell.story = EmptyStory(format);
    table->rowHeights.assign(static_cast<size_t>(rows), -1.0f);
    WORD_STORY& story = StoryAt(position.cells);
    WORD_BLOCK block;
    block.table = table;
    story.insert(story.begin() + position.block, std::move(block));
    position.cells.push_back({position.block, 0});
    position.block = 0;
    position.offset = 0;
    return table;
}

bool CWordDocumentModel::StepRight(WORD_POSITION& position)
{
    const WORD_PARAGRAPH& paragraph = ParagraphAt(position);
    if (static_cast<size_t>(position.offset) < paragraph.items.size()) {
        ++position.offset;
        return true;
    }
    WORD_STORY& story = StoryAt(position.cells);
    if (static_cast<size_t>(position.block) + 1 < story.size()) {
        std::vector<WORD_CELL_STEP> cells = position.cells;
        const int next = position.block + 1;
        if (IsParagraph(story[static_cast<size_t>(next)])) {
            position.block = next;
            position.offset = 0;
        } else {
            cells.push_back({next, 0});
            position = StartOf(std::move(cells));
        }
        return true;
    }
    if (position.cells.empty())
        return false;
    WORD_CELL_STEP step = position.cells.back();
    position.cells.pop_back();
    const WORD_TABLE& table = *StoryAt(position.cells)[static_cast<size_t>(step.block)].table;
    if (static_cast<size_t>(step.cell) + 1 < table.cells.size()) {
        std::vector<WORD_CELL_STEP> cells = position.cells;
        cells.push_back({step.block, step.cell + 1});
        position = StartOf(std::move(cells));
        return true;
    }
    // Past the table: the paragraph that always follows it.
    position.block = step.block + 1;
    position.offset = 0;
    ParagraphAt(position);
    return true;
}

bool CWordDocumentModel::StepLeft(WORD_POSITION& position)
{
    ParagraphAt(position);
    if (position.offset > 0) {
        --position.offset;
        return true;
    }
    WORD_STORY& story = StoryAt(position.cells);
    if (position.block > 0) {
        const int before = position.block - 1;
        if (IsParagraph(story[static_cast<size_t>(before)])) {
            position.block = before;
            position.offset = static_cast<int>(story[static_cast<size_t>(before)].paragraph.items.size());
            return true;
        }
        const WORD_TABLE& table = *story[static_cast<size_t>(before)].table;
        std::vector<WORD_CELL_STEP> cells = position.cells;
        cells.push_back({before, static_cast<int>(table.cells.size()) - 1});
        position = EndOf(std::move(cells));
        return IsParagraph(StoryAt(position.cells)[static_cast<size_t>(position.block)]);
    }
    if (position.cells.empty() || position.cells.back().cell == 0)
        return false;
    std::vector<WORD_CELL_STEP> cells = position.cells;
    --cells.back().cell;
    position = EndOf(std::move(cells));
    return IsParagraph(StoryAt(position.cells)[static_cast<size_t>(position.block)]);
}

void CWordDocumentModel::CollectPictures(const WORD_STORY& story, std::vector<std::shared_ptr<WORD_PICTURE>>* pictures)
{
    for (const WORD_BLOCK& block : story) {
        if (block.table) {
            for (const WORD_CELL& cell : block.table->cells)
                CollectPictures(cell.story, pictures);
            continue;
        }
        for (const WORD_ITEM& item : block.paragraph.items)
            if (item.kind == WordItemKind::Picture)
                pictures->push_back(item.picture);
    }
}
