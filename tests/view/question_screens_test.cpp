// The question commands in the view's window on the sample papers: a question added, moved and
// deleted, the question-number dialog and the points dialog run from the view. Set
// QN_TEST_OUTPUT_DIR to keep the screenshots.
#include "view_fixture.h"

#include "tests/printfile/printfile_fixture.h"
#include "dialogs/points_dialog.h"
#include "printfile/print_reader.h"
#include "dialogs/question_number_dialog.h"
#include "platform/shell.h"
#include "view/sorel_view.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

using namespace viewtest;

namespace {

void Keep(QWidget* widget, const QString& name)
{
    const QByteArray folder = qgetenv("QN_TEST_OUTPUT_DIR");
    if (!folder.isEmpty())
        widget->grab().save(QDir(QString::fromLocal8Bit(folder)).filePath(name + ".png"));
}

class QuestionScreens : public ::testing::TestWithParam<const char*> {
protected:
    static void SetUpTestSuite() { printfiletest::RegisterPaperFaces(); }

    QuestionScreens()
    {
        previous = SetShellHandler([](SHELL_REQUEST&) { return IDYES; });
        EXPECT_TRUE(LoadXmlFile(document.root.get(), printfiletest::DataPath(GetParam())));
        document.view = &view.Controller();
        view.resize(900, 700);
        view.show();
        view.Controller().OnInitialUpdate();
    }
    ~QuestionScreens() override { SetShellHandler(previous); }

    QString Name(const char* step) const { return QString::fromLatin1(GetParam()).replace(".xml", "_") + step; }
    CEditViewController& Controller() { return view.Controller(); }
    CEditPrint* Root() { return document.root.get(); }

    void CaretIn(CEditNode* part)
    {
        ASSERT_NE(part, nullptr);
        Controller().SetCaretNode(part->GetFirstInner());
        Controller().SetAnchorNode(nullptr);
        Controller().UpdateCaret(FALSE);
    }

    TestDocument document;
    VIEW_SETTINGS settings;
    CSorelView view{document, settings};
    ShellHandler previous;
};

}  // namespace

TEST_P(QuestionScreens, QuestionAddedMovedAndDeleted)
{
    const int questions = Root()->CountQuestions();
    ASSERT_GE(questions, 1);
    Keep(&view, Name("0_before"));

    CaretIn(Root()->FindPart(1, PART_QUESTION));
    EXPECT_TRUE(Controller().OnCommand(ViewCommand::kNewLargeQuestion));
    EXPECT_EQ(Root()->CountQuestions(), questions + 1);
    // Something to tell the new question by: a number label and its text.
    CaretIn(Root()->FindPart(questions + 1, PART_QUESTION));
    EXPECT_TRUE(Controller().OnCommand(ViewCommand::kInsertLargeNumber));
    Controller().OnImeComposition(u"新しい問題");
    Keep(&view, Name("1_added"));

    EXPECT_TRUE(Controller().OnCommand(ViewCommand::kQuestionUp));
    CEditSentence* moved = Root()->FindPart(questions, PART_QUESTION);
    ASSERT_NE(moved, nullptr);
    EXPECT_TRUE(moved->IsAncestorOf(Controller().GetCaret().m_caretNode));
    Keep(&view, Name("2_moved"));

    EXPECT_TRUE(Controller().OnCommand(ViewCommand::kDeleteLargeQuestion));
    EXPECT_EQ(Root()->CountQuestions(), questions);
    Keep(&view, Name("3_deleted"));
    const QImage shot = view.grab().toImage();
    EXPECT_EQ(shot.size(), QSize(900, 700));
}

INSTANTIATE_TEST_SUITE_P(Papers, QuestionScreens, ::testing::Values("horizontal_one_column.xml", "vertical_two_columns.xml"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return info.index == 0 ? std::string("Horizontal") : std::string("Vertical");
                         });

TEST(QuestionDialogs, NumberFormatAndPointsRunFromTheView)
{
    printfiletest::RegisterPaperFaces();
    ShellHandler previous = SetShellHandler([](SHELL_REQUEST&) { return IDYES; });
    TestDocument document;
    ASSERT_TRUE(LoadXmlFile(document.root.get(), printfiletest::DataPath("horizontal_one_column.xml")));
    VIEW_SETTINGS settings;
    CSorelView view(document, settings);
    document.view = &view.Controller();
    view.resize(900, 700);
    view.Controller().OnInitialUpdate();
    CEditPrint* root = document.root.get();

    // The number format: the dialog shows the paper's styles and sets the chosen ones.
    bool shownDefault = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = dynamic_cast<CQuestionNumberDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        shownDefault = dialog->findChild<QRadioButton*>("1235")->isChecked() || root->GetFirstDmonnoStyle() != -1;
        Keep(dialog, "question_number_dialog");
        dialog->findChild<QRadioButton*>("1239")->click();  // major style 4
        dialog->findChild<QAbstractButton*>("1")->click();
    });
    view.Controller().OnCommand(ViewCommand::kQuestionNumberFormat);
    EXPECT_TRUE(shownDefault);
    EXPECT_TRUE(document.modified);

    // Points on a paper of twelve questions, scrolled to the end.
    while (root->CountQuestions() < 12)
        root->InsertQuestion(nullptr, nullptr);
    view.Controller().OnUpdate(UpdateHint::kAll);
    int rowsShown = 0;
    QTimer::singleShot(0, [&] {
        auto* dialog = dynamic_cast<CPointsDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        CPointsTableDlg* table = dialog->Table();
        rowsShown = static_cast<int>(table->Model().Rows().size());
        Keep(dialog, "points_dialog_top");
        dialog->findChild<QAbstractButton*>("1197")->click();
        table->ScrollBar()->setValue(table->ScrollBar()->maximum());
        table->Radio(7, 4)->click();
        table->Edit(7, 7)->setText("25");
        emit table->Edit(7, 7)->textEdited("25");
        Keep(dialog, "points_dialog_scrolled");
        dialog->findChild<QAbstractButton*>("1")->click();
    });
    view.Controller().OnCommand(ViewCommand::kSetPoints);
    EXPECT_GE(rowsShown, 12);
    CEditSentence* last = root->FindPart(root->CountQuestions(), 0);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->m_haiten.style, 4);
    EXPECT_EQ(last->m_haiten.p3, 25);
    EXPECT_EQ(last->m_haiten.visibility, 1);
    Keep(&view, "points_written");
    SetShellHandler(previous);
}
