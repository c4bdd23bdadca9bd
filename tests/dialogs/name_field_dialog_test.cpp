// The name-field dialog driven offscreen: one row per page with its check box and picture, the
// heading double clicks, a click on a check box, and the flags read back on OK. Set
// QN_TEST_OUTPUT_DIR to keep a picture of it.
#include "dialogs/name_field_dialog.h"
#include "tests/dialogs/dialog_fixture.h"

#include <QApplication>
#include <QDir>
#include <QMouseEvent>

#include <string>
#include <vector>

namespace {

std::u16string TextOf(CGridCtrl* grid, int column, int row)
{
    CGridCell cell;
    grid->GetCell(column, row, cell);
    return cell.GetText();
}

void Send(QWidget* widget, QPoint at, std::initializer_list<QEvent::Type> types)
{
    for (QEvent::Type type : types) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, QPointF(at), QPointF(widget->mapToGlobal(at)), Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
    }
}

void DoubleClick(QWidget* widget, QPoint at)
{
    Send(widget, at, {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                      QEvent::MouseButtonRelease});
}

std::vector<bool> Checks(CNameFieldGrid* grid)
{
    std::vector<bool> checks;
    for (int row = 0; row < grid->GetRowCount(); ++row) {
        checks.push_back(grid->IsChecked(row));
        // The picture always follows the check box.
        EXPECT_EQ(grid->PictureOf(row), grid->IsChecked(row) ? CNameFieldGrid::kWithField : CNameFieldGrid::kWithoutField)
            << row;
    }
    return checks;
}

TEST(NameFieldDialog, OneRowPerPageWithItsCheckAndPicture)
{
    CNameFieldDlg dialog;
    CNameFieldGrid* grid = dialog.Grid();
    grid->SetPageCount(3);
    grid->SetFlag(1, 1);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf16(u"記名欄"));
    ASSERT_EQ(grid->GetRowCount(), 3);
    EXPECT_EQ(grid->GetColumnCount(), 2);
    EXPECT_EQ(TextOf(grid, -1, -1), u"ページ");
    EXPECT_EQ(TextOf(grid, 0, -1), u"記名欄");
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(TextOf(grid, -1, row), std::u16string(1, char16_t(u'1' + row)));
        EXPECT_EQ(grid->GetRowHeight(row), 113);
    }
    EXPECT_EQ(grid->GetColumnWidth(0), 48);
    EXPECT_EQ(grid->GetColumnWidth(1), 99);
    EXPECT_EQ(Checks(grid), (std::vector<bool>{false, true, false}));

    // The 記名欄 heading checks every page of a mixed choice, then unchecks them all.
    const QPoint heading(24, 10);
    DoubleClick(grid->TopHeading(), heading);
    EXPECT_EQ(Checks(grid), (std::vector<bool>{true, true, true}));
    DoubleClick(grid->TopHeading(), heading);
    EXPECT_EQ(Checks(grid), (std::vector<bool>{false, false, false}));

    // A page's heading flips that page; a click on a check box toggles it with its picture.
    DoubleClick(grid->SideHeading(), QPoint(20, 113 + 50));
    EXPECT_EQ(Checks(grid), (std::vector<bool>{false, true, false}));
    RECT rect{};
    int column = -1, row = -1;
    ASSERT_EQ(grid->HitTest(POINT{20, 50}, &column, &row, &rect), 0);
    ASSERT_EQ(column, 0);
    ASSERT_EQ(row, 0);
    // The box itself: 18 pixels in from the cell's left, in the middle of its height.
    const QPoint box(rect.left + 24, (rect.top + rect.bottom) / 2);
    Send(grid->Area(), box, {QEvent::MouseButtonPress});
    EXPECT_EQ(Checks(grid), (std::vector<bool>{false, true, false}));  // toggles on release
    Send(grid->Area(), box, {QEvent::MouseButtonRelease});
    EXPECT_EQ(Checks(grid), (std::vector<bool>{true, true, false}));

    if (const char* keep = std::getenv("QN_TEST_OUTPUT_DIR"))
        dialog.grab().save(QDir(QString::fromLocal8Bit(keep)).filePath("name_field_dialog.png"));

    // OK reads the boxes into the flags.
    Click(&dialog, IDOK);
    EXPECT_EQ(dialog.result(), IDOK);
    EXPECT_EQ(grid->GetFlag(0), 1);
    EXPECT_EQ(grid->GetFlag(1), 1);
    EXPECT_EQ(grid->GetFlag(2), 0);
}

TEST(NameFieldDialog, PageCountsAndFlagsStayWithinThePageTable)
{
    CNameFieldGrid grid;
    grid.SetPageCount(5000);
    EXPECT_EQ(grid.GetPageCount(), CNameFieldGrid::kMaxPages);
    grid.SetPageCount(-3);
    EXPECT_EQ(grid.GetPageCount(), 0);
    grid.SetFlag(CNameFieldGrid::kMaxPages, 1);
    grid.SetFlag(-1, 1);
    EXPECT_EQ(grid.GetFlag(CNameFieldGrid::kMaxPages), 0);
    EXPECT_EQ(grid.GetFlag(-1), 0);

    // The two pictures are pictures.
    CBitmap with, without;
    EXPECT_TRUE(LoadPictureBitmap(CNameFieldGrid::kWithField, &with));
    EXPECT_TRUE(LoadPictureBitmap(CNameFieldGrid::kWithoutField, &without));
    EXPECT_FALSE(LoadPictureBitmap(9999, &with));
}

}  // namespace
