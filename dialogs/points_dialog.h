// The points dialog "配点　表示設定": for every major question and its sub-questions, the form
// and the points of the points label, whether points are shown at all, which brackets they use,
// and the grand total. Its table reuses seven rows of controls that scroll over the rows of the
// points table model; the question numbers and the rules between the rows are painted.
#pragma once

#include "dialogs/points_table_model.h"
#include "dialogs/value_dialog.h"

#include <QWidget>

#include <array>
#include <functional>

class QAbstractButton;
class QButtonGroup;
class QLabel;
class QLineEdit;
class QRadioButton;
class QScrollBar;

// The scrolling table of the dialog.
class CPointsTableDlg : public QWidget {
public:
    static constexpr int kRows = CPointsTableModel::kVisibleRows;

    explicit CPointsTableDlg(QWidget* parent = nullptr);

    void SetRows(const HAITEN_ROW* rows, int count);
    bool GetRows(HAITEN_ROW* rows, int count) const { return m_model.GetRows(rows, count); }
    void SetBracketStyle(int style);
    void SetShowPoints(int show);
    const CPointsTableModel& Model() const { return m_model; }

    // The control id of a row's radio ('R', columns 1-4), edit ('E', 1-7) or static ('S', 1-11)
    // on visible row 1-7; 0 for any other kind or position.
    static int GetRowControlId(char kind, int row, int column);
    QRadioButton* Radio(int row, int form) const;
    QLineEdit* Edit(int row, int edit) const;
    QLabel* Static(int row, int index) const;
    QScrollBar* ScrollBar() const { return m_scrollBar; }
    int RowPitch() const { return m_pitch; }

    // Scrolls by a request of the bar (PointsScroll codes).
    void ScrollBy(int code, int thumbRow = 0);
    // Shows the model's rows in the seven rows of controls.
    void RefillRows();

    // Told the grand total after every change.
    std::function<void(int64_t total)> onTotalChanged;

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct ROW_CONTROLS {
        QWidget* strip = nullptr;
        QButtonGroup* forms = nullptr;
        std::array<QRadioButton*, 4> radios{};
        std::array<QLineEdit*, 7> edits{};
        std::array<QLabel*, 11> statics{};
    };
    void BuildRow(int row);
    void FillRow(int row);
    void OnFormClicked(int row, int form);
    void OnValueEdited(int row);
    void PlaceRows();
    void UpdateScrollBar();
    void UpdateTotal();
    // The x of a form's radio within the table, for the rules between the forms.
    int FormLeft(int form) const;
    int HeaderHeight() const;

    CPointsTableModel m_model;
    std::array<ROW_CONTROLS, kRows> m_rows{};
    std::array<QLabel*, 3> m_headings{};
    QScrollBar* m_scrollBar = nullptr;
    int m_pitch = 28;
    bool m_syncingBar = false;
};

// The dialog around the table.
class CPointsDlg : public CValueDialog {
public:
    static constexpr int kShowNone = 1196, kShowPoints = 1197;
    static constexpr int kRoundBrackets = 1187, kSquareBrackets = 1188;
    static constexpr int kTotal = 1189;

    explicit CPointsDlg(QWidget* parent = nullptr);

    void SetRows(const HAITEN_ROW* rows, int count) { m_table->SetRows(rows, count); }
    bool GetRows(HAITEN_ROW* rows, int count) const { return m_table->GetRows(rows, count); }
    void SetTotal(int total);
    CPointsTableDlg* Table() const { return m_table; }

    int m_bracketStyle = 0;  // 1 square brackets
    int m_showPoints = -1;   // 1 shown

protected:
    void OnInitDialog() override;
    void OnOK() override;

private:
    void EnableBracketStyle();
    void OnShowPoints();
    void OnBracketStyle();

    CPointsTableDlg* m_table = nullptr;
};
