// The default content of a name field: a table of one row of three cells (the test's title, the
// pupil's class, number and name, the points out of 100), then two empty lines.
#include "nodes/page_furniture.h"

#include "nodes/edit_char.h"
#include "nodes/edit_table.h"

#include <memory>
#include <new>

void CEditKimeiran::BuildDefaultTable()
{
    auto table = std::make_unique<CEditTable>();
    table->Create(1, 3);
    for (int column = 0; column < 3; ++column)
        FillDefaultCell(table->GetCell(0, column), column);
    std::unique_ptr<CEditNode> blocks[] = {std::move(table), std::make_unique<CEditCR>(), std::make_unique<CEditCR>()};
    // A failed allocation takes out what was appended, so the name field is left as it was.
    const int before = GetChildCount();
    try {
        for (auto& block : blocks) {
            if (AppendChild(block.get()) < 0)
                break;
            block.release();
        }
    } catch (const std::bad_alloc&) {
        while (GetChildCount() > before)
            DeleteChildAt(GetChildCount() - 1);
        throw;
    }
}
