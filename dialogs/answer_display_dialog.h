// The dialog "解答・解説　の表示・非表示": one grid row per major and minor question of the paper,
// with a check box each for its answer field, its answer and its explanation. Checked means
// shown. The caller hands the rows in before the dialog runs and reads them back after OK.
#pragma once

#include "dialogs/grid_ctrl.h"
#include "dialogs/value_dialog.h"

#include <cstdint>
#include <vector>

// One question: its numbers (sub 0 for the major question's own row) and the display values of
// its answer field, answer and explanation (2 hidden, any other value shown).
struct ANSWER_DISPLAY_ROW {
    int32_t question = 0;
    int32_t sub = 0;
    int32_t answerField = 0;
    int32_t answer = 0;
    int32_t explanation = 0;
};
static_assert(sizeof(ANSWER_DISPLAY_ROW) == 20);

// The display value that hides a question part.
constexpr int32_t kPartHidden = 2;

class CAnswerDisplayGrid : public CGridCtrl {
public:
    explicit CAnswerDisplayGrid(QWidget* parent = nullptr);

    // Keeps a copy of the rows; a count of 0 or below keeps none.
    void SetRows(const ANSWER_DISPLAY_ROW* rows, int count);
    // Reads the check boxes into the copy and copies it out: every unchecked box hides its part,
    // every checked one shows it (0). 0, the rows unchanged, when no rows are held or asked for.
    int GetRows(ANSWER_DISPLAY_ROW* rows, int count);

    // The buttons: every question shows its answer fields, its answers, or its answers and
    // explanations, and nothing else; a major question followed by minor ones shows nothing.
    void PresetAnswerFields();
    void PresetAnswers();
    void PresetAnswersAndExplanations();

    // Whether the row is a major question's own row directly followed by a minor question's.
    bool IsHeaderRow(int row) const;
    bool IsChecked(int column, int row);

    void OnGridCreated() override;
    // A double click on a column heading (a row heading) checks every box of the column (the
    // row), or unchecks them all when all were checked.
    void OnColumnHeadingDoubleClick(int column, int row, const RECT& rect, POINT point, int handled) override;
    void OnRowHeadingDoubleClick(int column, int row, const RECT& rect, POINT point, int handled) override;

private:
    void Preset(bool field, bool answer, bool explanation);
    void SetChecked(int column, int row, bool checked);
    // Checks every listed box unless all are checked already; then unchecks them.
    void ToggleAll(const std::vector<std::pair<int, int>>& cells);

    CFont m_font;
    int m_rowCount = 0;
    int m_columnCount = 3;
    std::vector<ANSWER_DISPLAY_ROW> m_rows;
};

class CAnswerDisplayDlg : public CValueDialog {
public:
    static constexpr int kTemplate = 318;
    static constexpr int kPresetAnswerFields = 1022;
    static constexpr int kPresetAnswers = 1023;
    static constexpr int kPresetAnswersAndExplanations = 1024;
    static constexpr int kGridFrame = 1017;

    explicit CAnswerDisplayDlg(QWidget* parent = nullptr);

    void SetRows(const ANSWER_DISPLAY_ROW* rows, int count) { m_grid->SetRows(rows, count); }
    int GetRows(ANSWER_DISPLAY_ROW* rows, int count) { return m_grid->GetRows(rows, count); }
    CAnswerDisplayGrid* Grid() const { return m_grid; }

protected:
    // Makes the grid in the frame's place and gives it the focus; the grid fills itself.
    void OnInitDialog() override;

private:
    CAnswerDisplayGrid* m_grid;
};
