// The points dialog: its seven reused rows over the questions, typing, scrolling, the show and
// bracket choices, and the rows it gives back.
#include "dialogs/points_dialog.h"

#include "dialog_fixture.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

namespace {

// Twelve rows: question 1 with three sub-questions, question 2 without, question 3 with seven.
std::vector<HAITEN_ROW> TwelveRows()
{
    std::vector<HAITEN_ROW> rows{{1, 0, 1, 1, 3, 3, 10, 3}, {1, 1, 1, 1, 0, 1, 3, 0}, {1, 2, 1, 1, 0, 1, 3, 0},
                                 {1, 3, 1, 1, 0, 1, 3, 0},  {2, 0, 1, 1, 10, 1, 10, 0}, {3, 0, 1, 1, 1, 7, 10, 7}};
    for (int j = 1; j <= 6; ++j)
        rows.push_back({3, j, 1, 1, 0, 1, 1, 0});
    return rows;
}

QString Text(QWidget* widget)
{
    if (auto* edit = dynamic_cast<QLineEdit*>(widget))
        return edit->text();
    return static_cast<QLabel*>(widget)->text();
}

void Type(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    edit->selectAll();
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Delete);
    else
        QTest::keyClicks(edit, text);
}

}  // namespace

TEST(PointsDialog, RowControlsCarryTheirIds)
{
    EXPECT_EQ(CPointsTableDlg::GetRowControlId('R', 1, 1), 1270);
    EXPECT_EQ(CPointsTableDlg::GetRowControlId('E', 7, 7), 1108);
    EXPECT_EQ(CPointsTableDlg::GetRowControlId('S', 4, 11), 1141);
    EXPECT_EQ(CPointsTableDlg::GetRowControlId('S', 8, 1), 0);
    EXPECT_EQ(CPointsTableDlg::GetRowControlId('E', 1, 8), 0);
    EXPECT_EQ(CPointsTableDlg::GetRowControlId('X', 1, 1), 0);
    CPointsDlg dialog;
    EXPECT_EQ(FindControl<QLineEdit>(&dialog, 1020), dialog.Table()->Edit(1, 5));
    EXPECT_EQ(FindControl<QRadioButton>(&dialog, 1016), dialog.Table()->Radio(2, 3));
}

TEST(PointsDialog, ShowsTheRowsTypesAndGivesThemBack)
{
    const std::vector<HAITEN_ROW> rows = TwelveRows();
    CPointsDlg dialog;
    dialog.m_showPoints = 1;
    dialog.SetRows(rows.data(), static_cast<int>(rows.size()));
    dialog.show();
    CPointsTableDlg* table = dialog.Table();
    EXPECT_TRUE(table->ScrollBar()->isVisible());
    EXPECT_EQ(ControlText(&dialog, CPointsDlg::kTotal), "30");
    EXPECT_EQ(table->Edit(1, 1)->text(), "10");
    EXPECT_TRUE(table->Radio(1, 1)->isChecked());
    EXPECT_FALSE(table->Radio(2, 1)->isVisible());  // a sub-question's row

    // Form 4 on question 1 shares its total; a typed share changes the major total.
    table->Radio(1, 4)->click();
    EXPECT_EQ(table->Edit(2, 7)->text(), "3");
    EXPECT_TRUE(table->Edit(2, 7)->isEnabled());
    Type(table->Edit(2, 7), "5");
    EXPECT_EQ(table->Edit(1, 7)->text(), "11");
    EXPECT_EQ(ControlText(&dialog, CPointsDlg::kTotal), "31");

    // Form 2 on question 2: 6 per item with the count typed as 3 shows 18.
    table->Radio(5, 2)->click();
    Type(table->Edit(5, 2), "6");
    Type(table->Edit(5, 3), "3");
    EXPECT_EQ(table->Edit(5, 4)->text(), "18");
    EXPECT_FALSE(table->Edit(5, 4)->validator() == nullptr);
    EXPECT_TRUE(table->Edit(5, 4)->isReadOnly());

    // The scroll bar moves the rows through the seven rows of controls, no further than the last.
    table->ScrollBar()->setValue(table->ScrollBar()->maximum());
    EXPECT_EQ(table->Model().GetFirstVisible(), 6);
    EXPECT_EQ(table->Edit(1, 1)->text(), "10");  // question 3's total
    EXPECT_EQ(table->Edit(7, 7)->isVisible(), true);
    QWheelEvent up(QPointF(10, 40), QPointF(10, 40), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                   Qt::NoScrollPhase, false);
    QApplication::sendEvent(table, &up);
    EXPECT_EQ(table->Model().GetFirstVisible(), 5);
    EXPECT_EQ(table->ScrollBar()->value(), 4);
    EXPECT_EQ(table->Edit(1, 4)->text(), "18");

    Click(&dialog, CPointsDlg::kSquareBrackets);
    EXPECT_EQ(Text(table->Static(1, 3)), u"[各");
    Click(&dialog, IDOK);
    EXPECT_EQ(dialog.result(), IDOK);
    EXPECT_EQ(dialog.m_bracketStyle, 1);
    std::vector<HAITEN_ROW> back(rows.size());
    ASSERT_TRUE(dialog.GetRows(back.data(), static_cast<int>(back.size())));
    EXPECT_EQ(back[0].form, 4);
    EXPECT_EQ(back[0].total, 11);
    EXPECT_EQ(back[1].total, 5);
    EXPECT_EQ(back[4].form, 2);
    EXPECT_EQ(back[4].count, 3);
    EXPECT_EQ(back[4].total, 18);
}

TEST(PointsDialog, WithoutPointsNothingCanBeChosenButValuesStay)
{
    std::vector<HAITEN_ROW> rows{{1, 0, 2, 1, 3, 3, 9, 0}};
    CPointsDlg dialog;
    dialog.m_showPoints = 0;
    dialog.SetRows(rows.data(), 1);
    dialog.show();
    CPointsTableDlg* table = dialog.Table();
    EXPECT_FALSE(table->ScrollBar()->isVisible());
    EXPECT_FALSE(table->Radio(1, 1)->isEnabled());
    EXPECT_FALSE(table->Edit(1, 2)->isEnabled());
    EXPECT_EQ(table->Edit(1, 4)->text(), "9");
    EXPECT_FALSE(FindControl<QRadioButton>(&dialog, CPointsDlg::kSquareBrackets)->isEnabled());
    // Two rows below: nothing shown.
    EXPECT_FALSE(table->Edit(2, 7)->isVisible());

    Click(&dialog, CPointsDlg::kShowPoints);
    EXPECT_TRUE(table->Radio(1, 1)->isEnabled());
    EXPECT_TRUE(FindControl<QRadioButton>(&dialog, CPointsDlg::kSquareBrackets)->isEnabled());
    EXPECT_EQ(table->Model().Rows()[0].shown, 1);
}

TEST(PointsDialog, AnEmptyTableShowsSevenEmptyRowsAndNoTotal)
{
    CPointsDlg dialog;
    dialog.SetRows(nullptr, 0);
    dialog.show();
    EXPECT_EQ(ControlText(&dialog, CPointsDlg::kTotal), "0");
    for (int r = 1; r <= 7; ++r)
        EXPECT_FALSE(dialog.Table()->Edit(r, 7)->isVisible());
    HAITEN_ROW out{};
    EXPECT_FALSE(dialog.GetRows(&out, 1));
}
