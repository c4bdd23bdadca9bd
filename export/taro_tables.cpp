// Tables of the Ichitaro export. Ichitaro gets no table object: a table is drawn with ruled lines
// on a block of blank lines and each cell's text typed inside its box; a table of one cell with
// one line is typed in place and framed by a character attribute.
#include "export/taro_steps.h"
#include "export/taro_writer.h"

#include "export/word_steps.h"
#include "nodes/edit_box.h"
#include "nodes/edit_container.h"
#include "nodes/edit_kind.h"
#include "nodes/edit_table.h"

#include <algorithm>
#include <exception>

using namespace taro;

namespace {

// CharacterAttribute's argument count and the two it sets (1-based): the frame round the text.
constexpr int kCharacterAttributeArguments = 27;
constexpr int kFrameArguments[] = {9, 20};

// A cell's first layout box, or null.
const CEditBox* FirstBox(const CEditNode* cell)
{
    const auto* container = dynamic_cast<const CEditContainer*>(cell);
    return container != nullptr ? container->GetBox(0) : nullptr;
}

// A cell's lines in its first layout box; 1 without a box.
int CellLines(const CEditNode* cell)
{
    const CEditBox* box = FirstBox(cell);
    return box != nullptr ? box->GetLineCount() : 1;
}

}  // namespace

TARO_TABLE_MEASURE MeasureRuledTable(const CEditTable* table)
{
    const int rows = std::max(0, static_cast<int>(table->m_rows));
    const int columns = std::max(0, static_cast<int>(table->m_columns));
    // A table is measured only when every cell is there: the arrays are never larger than it.
    if (static_cast<int64_t>(rows) * columns > table->GetChildCount())
        throw COleException(E_POINTER);
    TARO_TABLE_MEASURE measure;
    const size_t size = static_cast<size_t>(std::max(rows, columns));
    measure.widths.assign(size, 0);
    measure.heights.assign(size, 0);
    for (int i = 0; i < rows; ++i) {
        int lines = 0;
        for (int j = 0; j < columns; ++j) {
            const CEditNode* cell = table->GetEditChild(i * columns + j);
            if (cell == nullptr)
                throw COleException(E_POINTER);
            int& width = measure.widths[static_cast<size_t>(j)];
            if (const CEditBox* box = FirstBox(cell)) {
                const int count = box->GetLineCount();
                lines = std::max(lines, count);
                for (int k = 0; k < count; ++k) {
                    // The last line's closing line break takes no column.
                    const int nodes = box->GetLine(k).m_count - (k == count - 1 ? 1 : 0);
                    width = std::max(width, 2 * std::max(nodes, 1));
                }
            } else {
                lines = std::max(lines, 1);
                width = std::max(width, 2 * std::max(cell->GetChildCount() - 1, 1));
            }
        }
        int& height = measure.heights[static_cast<size_t>(i)];
        height = std::max(height, lines);
        measure.total += height;
    }
    return measure;
}

CELLPOS CTaroDocumentWriter::Position() const
{
    CELLPOS position;
    position.page = Integer(m_library.GetPage());
    position.line = Integer(m_library.GetRow());
    position.column = Integer(m_library.GetColumn());
    return position;
}

void CTaroDocumentWriter::WriteIchitaroTable(CEditTable* table, EXPORT_NODE_CONTEXT context)
{
    if (table == nullptr)
        return;
    if (table->m_rows > 1 || table->m_columns > 1) {
        WriteIchitaroRules(table, context);
        return;
    }
    try {
        CEditNode* cell = table->GetEditChild(0);
        if (cell == nullptr)
            throw COleException(E_POINTER);  // a table without cells is left out
        if (cell->IsKind(EditKind::kCell)) {
            const CEditBox* box = FirstBox(cell);
            if (box != nullptr && box->GetLineCount() > 1) {
                WriteIchitaroRules(table, context);
                return;
            }
        }
        WordStep([&] {
            m_library.Indent({L(1), L(context.indent > 0 ? context.indent / 100 : 0), L(0), L(0), L(0), L(1)});
        });
        const CELLPOS start = Position();
        EXPORT_NODE_CONTEXT framed{0, context.maskText, 0, 1};
        WriteIchitaroNode(cell, framed);
        const CELLPOS end = Position();
        WordStep([&] {
            m_library.Jump({L(start.page), L(start.line), L(start.column)});
            m_library.SelectRangeStart({L(1)});
            m_library.Jump({L(end.page), L(end.line), L(end.column)});
            std::vector<VARIANT> attribute = WithMissing({}, kCharacterAttributeArguments);
            for (int position : kFrameArguments)
                attribute[static_cast<size_t>(position - 1)] = L(1);
            m_library.CharacterAttribute(std::move(attribute));
            m_library.CancelSelectRange();
        });
    } catch (const std::exception&) {
        // The table is left out from here on.
    }
}

void CTaroDocumentWriter::WriteIchitaroRules(CEditTable* table, EXPORT_NODE_CONTEXT context)
{
    if (table == nullptr)
        return;
    try {
        const TARO_TABLE_MEASURE measure = MeasureRuledTable(table);
        const int rows = std::max(0, static_cast<int>(table->m_rows));
        const int columns = std::max(0, static_cast<int>(table->m_columns));
        std::vector<CELLPOS> cells(static_cast<size_t>(rows) * static_cast<size_t>(columns));

        // Room for the table's lines below the starting point.
        CELLPOS origin;
        origin.page = Integer(m_library.GetPage());
        origin.line = Integer(m_library.GetRow());
        origin.column = context.indent > 0 ? IchitaroIndentColumn(context.indent) : Integer(m_library.GetColumn());
        m_library.InsertReturn({L(measure.total), L(1)});
        if (origin.line <= 1)
            m_library.InsertReturn({L(1), L(1)});
        m_library.Jump({L(origin.page), L(origin.line), L(origin.column)});
        const CELLPOS top = Position();

        // The boxes, row by row; neighbouring boxes share their rules.
        WordStep([&] {
            m_library.KeisenMode({L(2), L(2), L(3)});
            const CELLPOS ruled = Position();
            int y = ruled.line;
            for (int i = 0; i < rows; ++i) {
                const int height = measure.heights[static_cast<size_t>(i)];
                int x = ruled.column;
                for (int j = 0; j < columns; ++j) {
                    m_library.Jump({L(ruled.page), L(y), L(x)});
                    m_library.KeisenStart();
                    cells[static_cast<size_t>(i * columns + j)] = CELLPOS{ruled.page, y + 1, x + 1};
                    x += measure.widths[static_cast<size_t>(j)] + 1;
                    m_library.Jump({L(ruled.page), L(y + height), L(x)});
                    m_library.KeisenEnd();
                    m_library.Keisen({L(1), L(1), S(u"R0G0B0")});
                }
                y += height;
            }
        });
        m_library.CancelMode();

        // The cells' text inside their boxes.
        int y = top.line;
        for (int i = 0; i < rows; ++i) {
            int mostLines = 0;
            for (int j = 0; j < columns; ++j) {
                const CELLPOS& at = cells[static_cast<size_t>(i * columns + j)];
                m_library.Jump({L(at.page), L(at.line), L(at.column)});
                if (j > 0)
                    m_library.RightCell({L(j)});
                CEditNode* cell = table->GetEditChild(i * columns + j);
                mostLines = std::max(mostLines, CellLines(cell));
                EXPORT_NODE_CONTEXT inside{0, context.maskText, context.breakAtLineEnd, context.noCharBorder};
                WriteIchitaroNode(cell, inside);
            }
            y += mostLines;
        }

        // Below the table, on the first line Ichitaro reports as of type 1; bounded, so that a
        // word processor that never reports one cannot hold the export.
        m_library.Jump({L(top.page), L(y + 1), L(top.column)});
        for (int step = 0; step < measure.total + 2 && !LineTypeIsOne(); ++step)
            m_library.CursorDown({M()});
    } catch (const std::exception&) {
        // The table ends here.
    }
}
