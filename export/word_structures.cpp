// Tables, boxed one-line cells and ruby of the Word export.
#include "export/word_steps.h"
#include "export/word_writer.h"

#include "base/number_labels.h"
#include "nodes/edit_box.h"
#include "nodes/edit_kind.h"
#include "nodes/edit_print.h"
#include "nodes/edit_table.h"
#include "nodes/ruby.h"
#include "platform/codepage.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr LONG kAutoFitFixed = 1;
constexpr LONG kLineSpacingMultiple = 3;
constexpr float kLineSpacing = 0.5f;
constexpr LONG kVerticalText = 1;
constexpr LONG kBorderTop = 1;
constexpr LONG kUnitCharacter = 1;
constexpr LONG kInformationVerticalPosition = 5;
constexpr LONG kColumnWidthFixed = 3;
constexpr LONG kPhoneticCentre = 2;

// The paragraph format every table cell starts with.
void SetCellParagraphFormat(const CWordDispatch& range)
{
    CWordDispatch format(range.GetParagraphFormat());
    format.SetLeftIndent(0.0f);
    format.SetRightIndent(0.0f);
    format.SetLineSpacingRule(kLineSpacingMultiple);
    format.SetLineSpacing(kLineSpacing);
}

// The Word row heights and column widths of a table, 1-based; 0 where the table has none.
class TableSizes {
public:
    explicit TableSizes(int rows, int columns)
        : m_heights(static_cast<size_t>(2 * std::max(rows, columns)) + 1, 0),
          m_widths(m_heights.size(), 0)
    {
    }
    void GrowHeight(int row, int height) { Grow(m_heights, row, height); }
    void GrowWidth(int column, int width) { Grow(m_widths, column, width); }
    int Height(LONG row) const { return At(m_heights, row); }
    int Width(LONG column) const { return At(m_widths, column); }

private:
    static void Grow(std::vector<int>& sizes, int index, int size)
    {
        if (index >= 0 && static_cast<size_t>(index) < sizes.size())
            sizes[static_cast<size_t>(index)] = std::max(sizes[static_cast<size_t>(index)], size);
    }
    // A count the server gives may reach past the table.
    static int At(const std::vector<int>& sizes, LONG index)
    {
        return index >= 0 && static_cast<size_t>(index) < sizes.size() ? sizes[static_cast<size_t>(index)] : 0;
    }
    std::vector<int> m_heights;
    std::vector<int> m_widths;
};

// A cell's lines: those of its first layout box; none without a box.
int LineCount(const CEditNode* cell)
{
    const auto* container = dynamic_cast<const CEditContainer*>(cell);
    const CEditBox* box = container != nullptr ? container->GetBox(0) : nullptr;
    return box != nullptr ? box->GetLineCount() : 0;
}

// A table's cell, or the failure that ends the table writer.
CEditNode* CellOf(const CEditTable* table, int row, int column)
{
    CEditNode* cell = table->GetEditChild(row * table->m_columns + column);
    if (cell == nullptr)
        throw COleException(E_POINTER);
    return cell;
}

}  // namespace

void CWordDocumentWriter::WriteWordTable(CEditTable* table, EXPORT_NODE_CONTEXT context)
{
    WordStep([&] {
        const bool vertical = m_vertical;
        const CWordDispatch selection = Selection();
        const bool inNameField = table->FindAncestorOfType(EditKind::Code(EditKind::kKimeiran), 0) != nullptr;
        selection.TypeParagraph();
        if (!inNameField)
            selection.TypeParagraph();
        int leftMargin = 0;
        m_root.GetMargins(&leftMargin, nullptr, nullptr, nullptr);
        const LONG leftPoints = MulDiv(context.indent + leftMargin, 72, 2540);
        const int rows = table->m_rows;
        const int columns = table->m_columns;
        const LONG wordRows = vertical ? columns : rows;
        const LONG wordColumns = vertical ? rows : columns;

        CWordDispatch tables(m_document.GetTables());
        CWordDispatch range(selection.GetRange());
        CWordDispatch word(tables.AddTable(range.m_lpDispatch, wordRows, wordColumns));
        range.ReleaseDispatch();
        word.SetDispId113(0.0f);
        word.SetDispId114(0.0f);
        word.SetDispId115(0.0f);
        word.SetDispId116(0.0f);
        WordStep([&] {
            CWordDispatch whole(word.GetRange());
            whole.Select();
            SetCellParagraphFormat(whole);
        });
        word.AutoFitBehavior(kAutoFitFixed);
        if (vertical) {
            word.Select();
            selection.SetTextOrientation(kVerticalText);
        }

        // Sizes: a vertical table is turned, its rows becoming Word's columns from the right.
        TableSizes sizes(rows, columns);
        int lines = 0;
        for (int r = 0; r < rows; ++r) {
            int rowLines = 0;
            for (int c = 0; c < columns; ++c) {
                const CEditNode* cell = CellOf(table, r, c);
                if (vertical) {
                    sizes.GrowWidth(rows - r, cell->m_height);
                    sizes.GrowHeight(c + 1, cell->m_width);
                } else {
                    sizes.GrowWidth(c + 1, cell->m_width);
                    sizes.GrowHeight(r + 1, cell->m_height);
                }
                rowLines = std::max(rowLines, std::max(LineCount(cell), 1));
            }
            lines += rowLines;
        }
        if (vertical) {
            CWordDispatch wordRowsObject(word.GetRows());
            wordRowsObject.SetDispId13(0.0f);
            wordRowsObject.SetDispId14(0.0f);
            wordRowsObject.SetDispId20(0.0f);
            wordRowsObject.SetDispId21(0.0f);
            wordRowsObject.SetDispId17(HmmToWordPoints(context.indent));
            const LONG count = wordRowsObject.GetCount();
            for (LONG j = 1; j <= count; ++j)
                WordStep([&] { CWordDispatch(wordRowsObject.RowsItem(j)).SetRowHeight(HmmToWordPoints(sizes.Height(j))); });
        }
        if (vertical && !inNameField) {
            CWordDispatch wordColumnsObject(word.GetColumns());
            const LONG count = wordColumnsObject.GetCount();
            for (LONG j = 1; j <= count; ++j)
                WordStep([&] {
                    CWordDispatch cell(word.Cell(1, j));
                    CWordDispatch(cell.GetRange()).Select();
                    selection.SelectColumn();
                    CWordDispatch selected(selection.GetColumns());
                    selected.SetDispId106(kColumnWidthFixed);
                    selected.SetDispId105(HmmToWordPoints(sizes.Width(j)));
                });
        }

        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < columns; ++c) {
                CEditNode* cell = CellOf(table, r, c);
                WordStep([&] {
                    CWordDispatch wordCell(vertical ? word.Cell(c + 1, rows - r) : word.Cell(r + 1, c + 1));
                    CWordDispatch cellRange(wordCell.GetRange());
                    cellRange.Select();
                    SetCellParagraphFormat(cellRange);
                });
                WriteWordNode(cell, EXPORT_NODE_CONTEXT{0, context.maskText, context.breakAtLineEnd, context.noCharBorder});
            }
        }

        // Out of the table: after its last cell, then paragraph marks until the selection stands
        // left of the table's indent in vertical writing.
        CWordDispatch lastCell(word.Cell(wordRows, wordColumns));
        CWordDispatch(lastCell.GetRange()).Select();
        VARIANT unit = VARIANT::Long(kUnitCharacter);
        VARIANT count = VARIANT::Long(2);
        VARIANT extend = VARIANT::Long(0);
        selection.MoveRight(&unit, &count, &extend);
        if (!vertical) {
            selection.TypeParagraph();
            return;
        }
        for (int mark = 0; mark < lines + 1; ++mark) {
            VARIANT position = selection.GetInformation(kInformationVerticalPosition);
            if (!ChangeVariantType(position, VT_I4))
                throw COleException(DISP_E_TYPEMISMATCH);
            if (position.lVal <= leftPoints)
                break;
            selection.TypeParagraph();
        }
    });
}

void CWordDocumentWriter::WriteWordBox(CEditTable* table, EXPORT_NODE_CONTEXT context)
{
    if (table->m_rows > 1 || table->m_columns > 1) {
        WriteWordTable(table, context);
        return;
    }
    CEditNode* cell = table->GetEditChild(0);
    if (cell != nullptr && cell->IsKind(EditKind::kCell) && LineCount(cell) > 1) {
        WriteWordTable(table, context);
        return;
    }
    if (cell == nullptr)
        return;
    WordStep([&] {
        const CWordDispatch selection = Selection();
        const auto setBorder = [&](LONG style) {
            CWordDispatch borders(CWordDispatch(selection.GetFont()).GetBorders());
            CWordDispatch(borders.BordersItem(kBorderTop)).SetLineStyle(style);
        };
        WordStep([&] { CWordDispatch(selection.GetParagraphFormat()).SetLeftIndent(HmmToWordPoints(context.indent)); });
        WordStep([&] { setBorder(1); });
        WriteWordNode(cell, EXPORT_NODE_CONTEXT{0, context.maskText, 0, 1});
        WordStep([&] { setBorder(0); });
    });
}

void CWordDocumentWriter::WriteWordRuby(CEditRuby* ruby, EXPORT_NODE_CONTEXT context)
{
    WordStep([&] {
        CEditNode* base = ruby->GetEditChild(CEditRuby::kBaseIndex);
        CEditNode* reading = ruby->GetEditChild(CEditRuby::kReadingIndex);
        if (base == nullptr)
            return;
        WriteWordNode(base, context);
        const int baseCount = base->GetChildCount() - 1;
        if (baseCount < 1)
            return;
        // A base in the gaiji font keeps its text only: Word cannot attach a reading to it.
        if (context.maskText == 0) {
            for (int i = 0; i < baseCount; ++i) {
                const CEditNode* character = base->GetEditChild(i);
                if (IsCharacter(character) &&
                    std::string(FaceNameView(character->m_lf.lfFaceName)).find("Orvellan") != std::string::npos)
                    return;
            }
        }
        if (reading == nullptr)
            return;
        const int readingCount = reading->GetChildCount() - 1;
        if (readingCount < 1)
            return;
        CStringW text;
        for (int i = 0; i < readingCount; ++i) {
            const CEditNode* character = reading->GetEditChild(i);
            if (!IsCharacter(character))
                continue;
            if (context.maskText == 0)
                text += character->GetText();
            else
                text += IsHalfWidthChar(character->GetText().GetAt(0)) ? u' ' : u'\u3000';
        }
        const CEditNode* font = reading->GetEditChild(0);
        // Every "@" goes, counted in characters: a byte 0x40 may be the second half of one.
        std::u16string face = Cp932ToWide(FaceNameView(font->m_lf.lfFaceName));
        face.erase(std::remove(face.begin(), face.end(), u'@'), face.end());
        const LONG size = std::abs(MulDiv(font->m_lf.lfHeight, 72, 2540));

        const CWordDispatch selection = Selection();
        VARIANT unit = VARIANT::Long(kUnitCharacter);
        VARIANT back = VARIANT::Long(-baseCount);
        selection.MoveStart(&unit, &back);
        CWordDispatch(selection.GetRange()).PhoneticGuide(text.c_str(), kPhoneticCentre, 0, size, WideToCp932(face).c_str());
        VARIANT forward = VARIANT::Long(2);
        selection.Move(&unit, &forward);
    });
}
