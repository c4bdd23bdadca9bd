#include "dialogs/answer_display_dialog.h"

#include "base/gdi_cache.h"
#include "platform/codepage.h"

#include <QAbstractButton>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

constexpr int kColumnWidth = 48;
constexpr int kHeadingWidth = 72;
constexpr uint16_t kRowHeadingAlign = 0x21;
const char16_t* const kColumnHeadings[] = {u"解答欄", u"解答", u"解説"};

std::u16string Digits(int value)
{
    const std::string text = std::to_string(value);
    return std::u16string(text.begin(), text.end());
}

std::u16string RowHeading(const ANSWER_DISPLAY_ROW& row)
{
    return row.sub == 0 ? u"  大問 " + Digits(row.question) : u"    小問 " + Digits(row.sub);
}

int32_t ValueOf(const ANSWER_DISPLAY_ROW& row, int column)
{
    return column == 0 ? row.answerField : column == 1 ? row.answer : row.explanation;
}

int32_t& ValueOf(ANSWER_DISPLAY_ROW& row, int column)
{
    return column == 0 ? row.answerField : column == 1 ? row.answer : row.explanation;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The grid

CAnswerDisplayGrid::CAnswerDisplayGrid(QWidget* parent) : CGridCtrl(parent) {}

void CAnswerDisplayGrid::SetRows(const ANSWER_DISPLAY_ROW* rows, int count)
{
    if (rows == nullptr || count <= 0) {
        m_rows.clear();
        m_rowCount = 0;
        return;
    }
    m_rows.assign(rows, rows + count);
    m_rowCount = count;
}

int CAnswerDisplayGrid::GetRows(ANSWER_DISPLAY_ROW* rows, int count)
{
    if (rows == nullptr || count <= 0 || m_rows.empty())
        return 0;
    for (int row = 0; row < m_rowCount; ++row) {
        ANSWER_DISPLAY_ROW& entry = m_rows[static_cast<size_t>(row)];
        for (int column = 0; column < m_columnCount; ++column)
            ValueOf(entry, column) = IsChecked(column, row) ? 0 : kPartHidden;
    }
    std::copy_n(m_rows.begin(), std::min(count, m_rowCount), rows);
    return 1;
}

bool CAnswerDisplayGrid::IsChecked(int column, int row)
{
    CGridCell cell;
    GetCell(column, row, cell);
    return cell.GetBoolValue() != FALSE;
}

void CAnswerDisplayGrid::SetChecked(int column, int row, bool checked)
{
    CGridCell cell;
    GetCell(column, row, cell);
    cell.SetText(checked ? u"1" : u"0");
    SetCell(column, row, cell);
    RefreshCell(column, row);
}

bool CAnswerDisplayGrid::IsHeaderRow(int row) const
{
    if (row < 0 || row + 1 >= m_rowCount)
        return false;
    return m_rows[static_cast<size_t>(row)].sub == 0 && m_rows[static_cast<size_t>(row) + 1].sub != 0;
}

void CAnswerDisplayGrid::OnGridCreated()
{
    UseDialogCellFont(m_font);

    SetRowHeadingWidth(kHeadingWidth);
    SetDefaultColumnWidth(kColumnWidth);
    SetRowCount(m_rowCount, true);
    SetColumnCount(m_columnCount, true);

    CGridCell cell;
    cell.SetText(u"問題");
    cell.SetFont(m_font);
    SetCell(-1, -1, cell);
    for (int column = 0; column < m_columnCount; ++column) {
        CGridCell heading;
        heading.SetText(kColumnHeadings[column]);
        SetCell(column, -1, heading);
        SetColumnWidth(column, kColumnWidth);
    }
    for (int row = 0; row < m_rowCount; ++row) {
        const ANSWER_DISPLAY_ROW& entry = m_rows[static_cast<size_t>(row)];
        CGridCell heading;
        heading.SetText(RowHeading(entry));
        heading.SetAlignment(kRowHeadingAlign);
        SetCell(-1, row, heading);
        for (int column = 0; column < m_columnCount; ++column) {
            CGridCell box;
            box.SetCellType(1);
            box.SetText(ValueOf(entry, column) != kPartHidden ? u"1" : u"0");
            SetCell(column, row, box);
        }
    }
    RedrawAll();
}

void CAnswerDisplayGrid::Preset(bool field, bool answer, bool explanation)
{
    const bool wanted[] = {field, answer, explanation};
    for (int row = 0; row < m_rowCount; ++row) {
        const bool header = IsHeaderRow(row);
        for (int column = 0; column < m_columnCount; ++column)
            SetChecked(column, row, !header && wanted[column]);
    }
}

void CAnswerDisplayGrid::PresetAnswerFields() { Preset(true, false, false); }
void CAnswerDisplayGrid::PresetAnswers() { Preset(false, true, false); }
void CAnswerDisplayGrid::PresetAnswersAndExplanations() { Preset(false, true, true); }

void CAnswerDisplayGrid::ToggleAll(const std::vector<std::pair<int, int>>& cells)
{
    const bool allChecked =
        std::all_of(cells.begin(), cells.end(), [this](const auto& c) { return IsChecked(c.first, c.second); });
    for (const auto& [column, row] : cells)
        SetChecked(column, row, !allChecked);
}

void CAnswerDisplayGrid::OnColumnHeadingDoubleClick(int column, int, const RECT&, POINT, int)
{
    if (column < 0 || column >= m_columnCount)
        return;
    std::vector<std::pair<int, int>> cells;
    for (int row = 0; row < m_rowCount; ++row)
        cells.emplace_back(column, row);
    ToggleAll(cells);
}

void CAnswerDisplayGrid::OnRowHeadingDoubleClick(int, int row, const RECT&, POINT, int)
{
    if (row < 0 || row >= m_rowCount)
        return;
    std::vector<std::pair<int, int>> cells;
    for (int column = 0; column < m_columnCount; ++column)
        cells.emplace_back(column, row);
    ToggleAll(cells);
}

// ---------------------------------------------------------------------------------------------
// The dialog

CAnswerDisplayDlg::CAnswerDisplayDlg(QWidget* parent)
    : CValueDialog(kTemplate, parent), m_grid(new CAnswerDisplayGrid(this))
{
    m_grid->setMinimumSize(260, 240);
    CoverPlaceholder(this, kGridFrame, m_grid);
    auto connectPreset = [this](int id, int which) {
        if (auto* button = Control<QAbstractButton>(id))
            connect(button, &QAbstractButton::clicked, this, [this, which] {
                EnsureInitialised();
                if (which == 0)
                    m_grid->PresetAnswerFields();
                else if (which == 1)
                    m_grid->PresetAnswers();
                else
                    m_grid->PresetAnswersAndExplanations();
            });
    };
    connectPreset(kPresetAnswerFields, 0);
    connectPreset(kPresetAnswers, 1);
    connectPreset(kPresetAnswersAndExplanations, 2);
}

void CAnswerDisplayDlg::OnInitDialog()
{
    const QRect frame = m_grid->geometry();
    m_grid->CreateGrid(RECT{frame.left(), frame.top(), frame.right() + 1, frame.bottom() + 1}, nullptr);
    m_grid->setFocus();
}
