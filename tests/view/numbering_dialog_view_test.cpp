// The underline-numbering settings run the numbering dialog, modal, over the view: it shows the
// values the command gives it and hands back what the user chose.
#include "view_fixture.h"

#include "dialogs/underline_number_dialog.h"
#include "platform/shell.h"
#include "printfile/print_reader.h"
#include "tests/printfile/printfile_fixture.h"
#include "view/sorel_view.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QTimer>

using namespace viewtest;

TEST(SorelViewDialogs, TheNumberingDialogShowsTheCommandsValuesAndReturnsTheChosenOnes)
{
    TestDocument document;
    ASSERT_TRUE(LoadXmlFile(document.root.get(), printfiletest::DataPath("horizontal_one_column.xml")));
    VIEW_SETTINGS settings;
    CSorelView view(document, settings);
    document.view = &view.Controller();
    view.resize(600, 400);
    view.Controller().OnInitialUpdate();

    UNDERLINE_NUMBER_VALUES values;
    values.newFlag = 0;
    values.underlineState = 3;  // dashed
    values.kindIndex = 2;       // (ア)(イ)(ウ)
    values.force = 0;
    values.face = "Times New Roman";
    values.size = 176;
    int shownLineKind = -1;
    int shownKind = -1;
    QTimer::singleShot(0, [&] {
        auto* dialog = dynamic_cast<CUnderlineNumberDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* lines = dialog->findChild<QComboBox*>(QString::number(CUnderlineNumberDlg::kLineKind));
        ASSERT_NE(lines, nullptr);
        shownLineKind = lines->currentIndex();
        if (auto* kinds = dialog->findChild<QButtonGroup*>())
            shownKind = kinds->checkedId();
        lines->setCurrentIndex(7);  // wave
        dialog->findChild<QAbstractButton*>("1")->click();
    });
    ASSERT_TRUE(view.Controller().m_underlineNumberDialog);
    EXPECT_EQ(view.Controller().m_underlineNumberDialog(&values), IDOK);
    EXPECT_EQ(shownLineKind, 3);
    EXPECT_EQ(shownKind, 2);
    EXPECT_EQ(values.underlineState, 7);
    EXPECT_EQ(values.kindIndex, 2);
    EXPECT_EQ(values.face, "Times New Roman");
    EXPECT_EQ(values.size, 176);

    QTimer::singleShot(0, [&] {
        if (auto* dialog = QApplication::activeModalWidget())
            static_cast<QDialog*>(dialog)->reject();
    });
    values.underlineState = 0;
    EXPECT_NE(view.Controller().m_underlineNumberDialog(&values), IDOK);
    EXPECT_EQ(values.underlineState, 0);
}
