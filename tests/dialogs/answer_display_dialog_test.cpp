// The answer-display dialog driven offscreen: its grid filled from the rows, the presets, the
// heading double clicks and the rows read back. Set QN_TEST_OUTPUT_DIR to keep a picture of it.
#include "dialogs/answer_display_dialog.h"
#include "tests/dialogs/dialog_fixture.h"

#include <QApplication>
#include <QDir>
#include <QMouseEvent>

#include <array>
#include <string>
#include <vector>

namespace {

// Major question 1 alone, major question 2 with two minor questions.
const std::vector<ANSWER_DISPLAY_ROW> kRows = {
    {1, 0, 0, 2, 0},
    {2, 0, 0, 0, 2},
    {2, 1, 1, 2, 0},  // a value other than 0 and 2 shows the part
    {2, 2, 2, 2, 2},
};

using Checks = std::array<bool, 3>;

Checks ChecksOf(CAnswerDisplayGrid* grid, int row)
{
    return Checks{grid->IsChecked(0, row), grid->IsChecked(1, row), grid->IsChecked(2, row)};
}

std::u16string TextOf(CGridCtrl* grid, int column, int row)
{
    CGridCell cell;
    grid->GetCell(column, row, cell);
    return cell.GetText();
}

void DoubleClick(QWidget* widget, QPoint at)
{
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                              QEvent::MouseButtonRelease}) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, QPointF(at), QPointF(widget->mapToGlobal(at)), Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
    }
}

void KeepPicture(QWidget* widget, const char* name)
{
    if (const char* keep = std::getenv("QN_TEST_OUTPUT_DIR"))
        widget->grab().save(QDir(QString::fromLocal8Bit(keep)).filePath(QString::fromLatin1(name)));
}

TEST(AnswerDisplayDialog, FillsOneRowPerQuestionWithItsThreeBoxes)
{
    CAnswerDisplayDlg dialog;
    dialog.SetRows(kRows.data(), static_cast<int>(kRows.size()));
    dialog.show();
    CAnswerDisplayGrid* grid = dialog.Grid();
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf16(u"解答・解説　の表示・非表示"));
    EXPECT_EQ(grid->GetRowCount(), 4);
    EXPECT_EQ(grid->GetColumnCount(), 3);
    EXPECT_EQ(grid->Sheet().sideHeadingWidth, 72);
    EXPECT_EQ(grid->GetColumnWidth(2), 48);
    EXPECT_EQ(TextOf(grid, -1, -1), u"問題");
    EXPECT_EQ(TextOf(grid, 0, -1), u"解答欄");
    EXPECT_EQ(TextOf(grid, 2, -1), u"解説");
    EXPECT_EQ(TextOf(grid, -1, 0), u"  大問 1");
    EXPECT_EQ(TextOf(grid, -1, 3), u"    小問 2");
    EXPECT_EQ(ChecksOf(grid, 0), (Checks{true, false, true}));
    EXPECT_EQ(ChecksOf(grid, 2), (Checks{true, false, true}));
    EXPECT_EQ(ChecksOf(grid, 3), (Checks{false, false, false}));
    EXPECT_TRUE(grid->IsHeaderRow(1));
    EXPECT_FALSE(grid->IsHeaderRow(0));
    CGridCell box;
    grid->GetEffectiveCell(1, 1, box);
    EXPECT_EQ(box.GetCellType(), 1);
    KeepPicture(&dialog, "answer_display_dialog.png");

    // Read back: 0 for a checked box, 2 for an unchecked one.
    std::vector<ANSWER_DISPLAY_ROW> out(kRows.size());
    EXPECT_EQ(dialog.GetRows(out.data(), static_cast<int>(out.size())), 1);
    EXPECT_EQ(out[2].answerField, 0);
    EXPECT_EQ(out[2].answer, 2);
    EXPECT_EQ(out[2].question, 2);
    EXPECT_EQ(out[2].sub, 1);
    EXPECT_EQ(dialog.GetRows(out.data(), 0), 0);

    CAnswerDisplayDlg empty;
    empty.SetRows(kRows.data(), 0);
    empty.show();
    EXPECT_EQ(empty.Grid()->GetRowCount(), 0);
    EXPECT_EQ(empty.GetRows(out.data(), 4), 0);
}

TEST(AnswerDisplayDialog, PresetsLeaveHeaderRowsUnchecked)
{
    struct PresetCase {
        int button;
        Checks plain;
    };
    const PresetCase cases[] = {{CAnswerDisplayDlg::kPresetAnswerFields, {true, false, false}},
                                {CAnswerDisplayDlg::kPresetAnswers, {false, true, false}},
                                {CAnswerDisplayDlg::kPresetAnswersAndExplanations, {false, true, true}}};
    for (const PresetCase& c : cases) {
        CAnswerDisplayDlg dialog;
        dialog.SetRows(kRows.data(), static_cast<int>(kRows.size()));
        dialog.show();
        Click(&dialog, c.button);
        CAnswerDisplayGrid* grid = dialog.Grid();
        EXPECT_EQ(ChecksOf(grid, 0), c.plain) << c.button;
        EXPECT_EQ(ChecksOf(grid, 1), (Checks{false, false, false})) << c.button;
        EXPECT_EQ(ChecksOf(grid, 2), c.plain) << c.button;
        EXPECT_EQ(ChecksOf(grid, 3), c.plain) << c.button;
    }
}

TEST(AnswerDisplayDialog, HeadingDoubleClicksCheckOrUncheckAWholeColumnOrRow)
{
    CAnswerDisplayDlg dialog;
    dialog.SetRows(kRows.data(), static_cast<int>(kRows.size()));
    dialog.show();
    CAnswerDisplayGrid* grid = dialog.Grid();

    // The 解答欄 column is partly checked: all become checked, then all unchecked.
    DoubleClick(grid->TopHeading(), QPoint(20, 10));
    for (int row = 0; row < 4; ++row)
        EXPECT_TRUE(grid->IsChecked(0, row)) << row;
    DoubleClick(grid->TopHeading(), QPoint(20, 10));
    for (int row = 0; row < 4; ++row)
        EXPECT_FALSE(grid->IsChecked(0, row)) << row;

    // The row of 小問 1 (the third row, y 40..60).
    DoubleClick(grid->SideHeading(), QPoint(30, 50));
    EXPECT_EQ(ChecksOf(grid, 2), (Checks{true, true, true}));
    DoubleClick(grid->SideHeading(), QPoint(30, 50));
    EXPECT_EQ(ChecksOf(grid, 2), (Checks{false, false, false}));
    EXPECT_EQ(ChecksOf(grid, 3), (Checks{false, false, false}));  // the others stay
    KeepPicture(&dialog, "answer_display_dialog_changed.png");

    Click(&dialog, IDOK);
    EXPECT_EQ(dialog.result(), IDOK);
}

}  // namespace
