// The rows of the points table without their controls: the paper's points rows, which of them
// the seven rows of controls show, what each control of a row shows, and the arithmetic that a
// change of form or a typed value sets off. The points dialog's table reuses seven rows of
// controls over this model whatever the number of questions.
#pragma once

#include "base/points_row.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// POINTS_FORM: how a points label reads.
namespace PointsForm {
constexpr int kTotal = 1;        // (10点)
constexpr int kEach = 2;         // (各2点×5＝10点)
constexpr int kEachTotal = 3;    // (各2点：計10点)
constexpr int kSum = 4;          // (計10点)
}  // namespace PointsForm

// What the controls of one visible row show. Radios R1-R4, edits E1-E7 and statics S1-S11 are
// indexed from 0.
struct POINTS_ROW_VIEW {
    static constexpr int kRadios = 4;
    static constexpr int kEdits = 7;
    static constexpr int kStatics = 11;

    bool hasRecord = false;
    bool major = false;
    int question = 0;
    int subQuestion = 0;
    int checkedForm = 0;  // 1-4; 0 none
    std::array<bool, kRadios> radioShown{};
    std::array<bool, kRadios> radioEnabled{};
    std::array<bool, kEdits> editShown{};
    std::array<bool, kEdits> editEnabled{};
    std::array<std::u16string, kEdits> editText{};
    std::array<bool, kStatics> staticShown{};
    std::array<bool, kStatics> staticEnabled{};
    std::array<std::u16string, kStatics> staticText{};
};

// A value the model writes into an edit of a visible row after a change.
struct POINTS_EDIT_WRITE {
    int row = 0;    // visible row, 1-7
    int edit = 0;   // E1-E7 as 1-7
    int value = 0;
};

// The scroll requests of the table's bar.
namespace PointsScroll {
constexpr int kLineUp = 0;
constexpr int kLineDown = 1;
constexpr int kPageUp = 2;
constexpr int kPageDown = 3;
constexpr int kThumb = 4;
constexpr int kTop = 6;
constexpr int kBottom = 7;
}  // namespace PointsScroll

class CPointsTableModel {
public:
    static constexpr int kVisibleRows = 7;
    // Digits an edit takes: products and sums of such values stay within an int.
    static constexpr int kMaxDigits = 4;

    // Copies the rows in place of the former ones; none when the count is not positive.
    void SetRows(const HAITEN_ROW* rows, int count);
    // Copies the rows out; false when there is no row.
    bool GetRows(HAITEN_ROW* rows, int count) const;
    int GetCount() const { return m_count; }
    const std::vector<HAITEN_ROW>& Rows() const { return m_rows; }

    // 1 square brackets, else round.
    void SetBracketStyle(int style) { m_bracketStyle = style; }
    int GetBracketStyle() const { return m_bracketStyle; }
    // Also writes the flag into every row's shown field.
    void SetShowPoints(int show);
    int GetShowPoints() const { return m_showPoints; }

    // The first row the controls show, from 1.
    int GetFirstVisible() const { return m_firstVisible; }
    // The record that visible row r (1-7) shows, or null.
    const HAITEN_ROW* RecordAt(int visibleRow) const;
    // The controls of visible row r for its record (or for none).
    POINTS_ROW_VIEW FillRow(int visibleRow) const;

    // The user chose form 1-4 on visible row r: the row and its sub-questions' rows take the
    // form and the values it needs. False when nothing changed (no record, a sub-question's row,
    // the same form, or while a change is under way).
    bool OnFormClicked(int visibleRow, int form);
    // The user typed into an edit of visible row r; `edits` are the row's seven edit texts. The
    // record and its neighbours follow the typed values; `writes` gets the values to show in
    // other edits. False, with nothing changed, when a value is not a number the edit accepts.
    bool OnValueChanged(int visibleRow, const std::array<std::u16string, POINTS_ROW_VIEW::kEdits>& edits,
                        std::vector<POINTS_EDIT_WRITE>* writes);
    // While a change runs, the notices its own writes cause are ignored.
    bool IsBusy() const { return m_busy; }

    // The scroll request moves the first visible row: the rows the content moves down by
    // (negative: up), never past the first or the last seven rows. `thumbRow` is the row at the
    // thumb for kThumb.
    int Scroll(int code, int thumbRow = 0);

    // The sum of the major questions' totals.
    int64_t GrandTotal() const;

    // An edit's text as a value: empty is 0; digits only, at most kMaxDigits of them.
    static bool ReadValue(std::u16string_view text, int* value);

private:
    class BusyScope;
    int IndexOf(int visibleRow) const { return m_firstVisible + visibleRow - 2; }

    std::vector<HAITEN_ROW> m_rows;
    int m_count = 0;
    int m_bracketStyle = 0;
    int m_showPoints = -1;
    int m_firstVisible = 1;
    bool m_busy = false;
};
