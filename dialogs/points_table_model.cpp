#include "dialogs/points_table_model.h"

#include <algorithm>
#include <climits>

namespace {

// Control positions, from 0: E1 form 1's total; E2, E3, E4 form 2's per item, count and total;
// E5, E6 form 3's per item and total; E7 form 4's total.
enum { E1, E2, E3, E4, E5, E6, E7 };
enum { S1, S2, S3, S4, S5, S6, S7, S8, S9, S10, S11 };

std::u16string Number(int value)
{
    const bool negative = value < 0;
    int64_t rest = value;
    if (negative)
        rest = -rest;
    std::u16string digits;
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + rest % 10));
        rest /= 10;
    } while (rest > 0);
    return negative ? u"-" + digits : digits;
}

// The controls each form enables, and where its values go.
struct FORM_CONTROLS {
    std::vector<int> edits;
    std::vector<int> statics;
};

FORM_CONTROLS ControlsOf(int form)
{
    switch (form) {
    case PointsForm::kTotal: return {{E1}, {S1, S2}};
    case PointsForm::kEach: return {{E2, E3, E4}, {S3, S4, S5, S6}};
    case PointsForm::kEachTotal: return {{E5, E6}, {S7, S8, S9}};
    case PointsForm::kSum: return {{E7}, {S10, S11}};
    default: return {};
    }
}

int DivideOrKeep(int value, int divisor) { return divisor != 0 ? value / divisor : value; }

}  // namespace

class CPointsTableModel::BusyScope {
public:
    explicit BusyScope(bool& busy) : m_busy(busy) { m_busy = true; }
    ~BusyScope() { m_busy = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& m_busy;
};

void CPointsTableModel::SetRows(const HAITEN_ROW* rows, int count)
{
    if (count > 0 && rows != nullptr)
        m_rows.assign(rows, rows + count);
    else
        m_rows.clear();
    m_count = static_cast<int>(m_rows.size());
    m_firstVisible = 1;
}

bool CPointsTableModel::GetRows(HAITEN_ROW* rows, int count) const
{
    if (count <= 0 || m_rows.empty() || rows == nullptr)
        return false;
    std::copy_n(m_rows.begin(), std::min<size_t>(static_cast<size_t>(count), m_rows.size()), rows);
    return true;
}

void CPointsTableModel::SetShowPoints(int show)
{
    m_showPoints = show;
    for (HAITEN_ROW& row : m_rows)
        row.shown = show;
}

const HAITEN_ROW* CPointsTableModel::RecordAt(int visibleRow) const
{
    if (visibleRow < 1 || visibleRow > kVisibleRows)
        return nullptr;
    const int index = IndexOf(visibleRow);
    if (index < 0 || index >= static_cast<int>(m_rows.size()))
        return nullptr;
    return &m_rows[static_cast<size_t>(index)];
}

POINTS_ROW_VIEW CPointsTableModel::FillRow(int visibleRow) const
{
    POINTS_ROW_VIEW view;
    const HAITEN_ROW* record = RecordAt(visibleRow);
    if (record == nullptr)
        return view;  // every control hidden
    const std::u16string open = m_bracketStyle == 1 ? u"[" : u"(";
    const std::u16string close = m_bracketStyle == 1 ? u"]" : u")";
    view.hasRecord = true;
    view.major = record->subQuestion == 0;
    view.question = record->question;
    view.subQuestion = record->subQuestion;
    view.staticText = {open, u"点" + close, open + u"各", u"点×", u"＝", u"点" + close,
                       open + u"各", u"点：計", u"点" + close, open + u"計", u"点" + close};
    // A major question's row shows all four forms; a sub-question's row only the total of form 4.
    if (!view.major)
        view.staticText[S10] = open;
    view.radioShown.fill(view.major);
    for (int e = E1; e <= E6; ++e)
        view.editShown[static_cast<size_t>(e)] = view.major;
    for (int s = S1; s <= S9; ++s)
        view.staticShown[static_cast<size_t>(s)] = view.major;
    view.editShown[E7] = true;
    view.staticShown[S10] = true;
    view.staticShown[S11] = true;

    const FORM_CONTROLS controls = ControlsOf(record->form);
    if (!controls.edits.empty())
        view.checkedForm = record->form;
    for (int e : controls.edits)
        view.editEnabled[static_cast<size_t>(e)] = true;
    for (int s : controls.statics)
        view.staticEnabled[static_cast<size_t>(s)] = true;
    switch (record->form) {
    case PointsForm::kTotal:
        view.editText[E1] = Number(record->total);
        break;
    case PointsForm::kEach:
        view.editText[E2] = Number(record->perItem);
        view.editText[E3] = Number(record->count);
        view.editText[E4] = Number(record->total);
        break;
    case PointsForm::kEachTotal:
        view.editText[E5] = Number(record->perItem);
        view.editText[E6] = Number(record->total);
        break;
    case PointsForm::kSum:
        view.editText[E7] = Number(record->total);
        break;
    default:
        break;
    }
    // Without points shown nothing can be chosen or typed, though the values stay visible.
    view.radioEnabled.fill(m_showPoints != 0);
    if (m_showPoints == 0)
        view.editEnabled.fill(false);
    return view;
}

bool CPointsTableModel::OnFormClicked(int visibleRow, int form)
{
    if (m_busy || form < PointsForm::kTotal || form > PointsForm::kSum || RecordAt(visibleRow) == nullptr)
        return false;
    const size_t index = static_cast<size_t>(IndexOf(visibleRow));
    HAITEN_ROW& row = m_rows[index];
    if (row.subQuestion != 0 || row.form == form)
        return false;
    const int n = row.subQuestions;
    row.form = form;
    if (form == PointsForm::kEach) {
        // A question without sub-questions counts one item.
        row.count = n > 0 ? n : 1;
        row.perItem = DivideOrKeep(row.total, n);
    } else if (form == PointsForm::kEachTotal) {
        row.perItem = DivideOrKeep(row.total, n);
    }
    for (size_t k = index + 1; k <= index + static_cast<size_t>(std::max(n, 0)) && k < m_rows.size(); ++k) {
        HAITEN_ROW& sub = m_rows[k];
        if (sub.subQuestion == 0)
            break;
        sub.form = form;
        if (form == PointsForm::kSum) {
            sub.shown = row.shown;
            sub.total = DivideOrKeep(row.total, n);
        } else {
            sub.shown = 0;
            sub.perItem = 0;
            sub.count = 0;
            sub.total = 0;
        }
    }
    return true;
}

bool CPointsTableModel::ReadValue(std::u16string_view text, int* value)
{
    if (text.size() > static_cast<size_t>(kMaxDigits))
        return false;
    int result = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9')
            return false;
        result = result * 10 + (c - u'0');
    }
    *value = result;
    return true;
}

bool CPointsTableModel::OnValueChanged(int visibleRow,
                                       const std::array<std::u16string, POINTS_ROW_VIEW::kEdits>& edits,
                                       std::vector<POINTS_EDIT_WRITE>* writes)
{
    if (m_busy || RecordAt(visibleRow) == nullptr)
        return false;
    std::array<int, POINTS_ROW_VIEW::kEdits> values{};
    for (size_t e = 0; e < edits.size(); ++e) {
        if (!ReadValue(edits[e], &values[e]))
            return false;
    }
    BusyScope busy(m_busy);
    const size_t index = static_cast<size_t>(IndexOf(visibleRow));
    HAITEN_ROW& row = m_rows[index];
    const int n = row.subQuestions;
    auto show = [&](int atIndex, int edit, int value) {
        const int visible = atIndex - m_firstVisible + 2;
        if (writes != nullptr && visible >= 1 && visible <= kVisibleRows)
            writes->push_back(POINTS_EDIT_WRITE{visible, edit, value});
    };
    switch (row.form) {
    case PointsForm::kTotal:
        row.total = values[E1];
        row.count = n;
        row.perItem = DivideOrKeep(row.total, n);
        break;
    case PointsForm::kEach:
        row.perItem = values[E2];
        // A count typed is kept; without one the sub-questions count, and at least one item.
        row.count = values[E3] > 0 ? values[E3] : (n > 0 ? n : 1);
        row.total = row.count * row.perItem;
        show(static_cast<int>(index), E4 + 1, row.total);
        break;
    case PointsForm::kEachTotal:
        row.perItem = values[E5];
        row.count = n;
        row.total = row.count != 0 ? row.count * row.perItem : row.perItem;
        show(static_cast<int>(index), E6 + 1, row.total);
        break;
    case PointsForm::kSum:
        row.perItem = 0;
        row.count = 0;
        row.total = values[E7];
        if (row.subQuestion != 0) {
            // The major question's total is the sum of its sub-questions'.
            size_t major = index;
            while (major > 0 && m_rows[major].subQuestion != 0)
                --major;
            if (m_rows[major].subQuestion != 0)
                break;
            int sum = 0;
            for (size_t k = major + 1; k < m_rows.size() && m_rows[k].subQuestion != 0; ++k)
                sum += m_rows[k].total;
            if (m_rows[major].total != sum) {
                m_rows[major].total = sum;
                show(static_cast<int>(major), E7 + 1, sum);
            }
        } else if (n > 0) {
            for (size_t k = index + 1; k <= index + static_cast<size_t>(n) && k < m_rows.size(); ++k) {
                if (m_rows[k].subQuestion == 0)
                    break;
                const int share = row.total / n;
                if (m_rows[k].total != share) {
                    m_rows[k].total = share;
                    show(static_cast<int>(k), E7 + 1, share);
                }
            }
        }
        break;
    default:
        break;
    }
    return true;
}

int CPointsTableModel::Scroll(int code, int thumbRow)
{
    const int f = m_firstVisible;
    const int c = static_cast<int>(m_rows.size());
    const int position = f - 1;
    int offset = 0;
    switch (code) {
    case PointsScroll::kLineUp: offset = position > 0 ? 1 : 0; break;
    case PointsScroll::kLineDown: offset = position < c - kVisibleRows ? -1 : 0; break;
    case PointsScroll::kPageUp: offset = f < 8 ? f - 1 : kVisibleRows; break;
    case PointsScroll::kPageDown: offset = f + 7 < c - 6 ? -kVisibleRows : f - c + 6; break;
    case PointsScroll::kTop: offset = f - 1; break;
    case PointsScroll::kBottom: offset = c > kVisibleRows ? f - c + 6 : 0; break;
    case PointsScroll::kThumb: offset = f - thumbRow; break;
    default: break;
    }
    // Never above the first row nor below the last seven.
    const int last = std::max(1, c - kVisibleRows + 1);
    const int target = std::clamp(f - offset, 1, last);
    m_firstVisible = target;
    return f - target;
}

int64_t CPointsTableModel::GrandTotal() const
{
    int64_t sum = 0;
    for (const HAITEN_ROW& row : m_rows) {
        if (row.subQuestion == 0)
            sum += row.total;
    }
    return sum;
}
