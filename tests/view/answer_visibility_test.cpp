// The answer-display command of the document with the editing view around it: the rows read from
// a paper, the choices written back as one undo group, and the name field of a page that hiding
// answers made vanish taken out and brought back by Undo. Then the program itself on the sample
// paper; set QN_TEST_OUTPUT_DIR to keep screenshots (run it under xvfb-run to see the dialog over
// the window).
#include "tests/view/document_view_fixture.h"

#include "editor/answer_visibility.h"
#include "editor/main_frame.h"
#include "editor/print_file_access.h"
#include "editor/sorel_app.h"
#include "editor/sorel_doc.h"
#include "editor/view_hookup.h"
#include "platform/shell.h"
#include "tests/editor/program_fixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>
#include <QTimer>

namespace {

using namespace viewtest;

// Answers the dialog in place of a person: the action runs on the shown dialog, then OK or Cancel.
class DialogAnswer {
public:
    DialogAnswer(std::function<void(CAnswerDisplayDlg&)> action, int result)
    {
        m_former = SetAnswerDisplayRunner([this, action, result](CAnswerDisplayDlg& dialog) {
            dialog.show();
            if (action)
                action(dialog);
            ++runs;
            return result;
        });
    }
    ~DialogAnswer() { SetAnswerDisplayRunner(m_former); }
    DialogAnswer(const DialogAnswer&) = delete;
    DialogAnswer& operator=(const DialogAnswer&) = delete;
    int runs = 0;

private:
    AnswerDisplayRunner m_former;
};

void DoubleClick(QWidget* widget, QPoint at)
{
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                              QEvent::MouseButtonRelease}) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, QPointF(at), QPointF(widget->mapToGlobal(at)), Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
    }
}

// The middle of a column's heading: the side heading is 72 wide, each column 48.
QPoint ColumnHeading(int column) { return QPoint(column * 48 + 24, 10); }

class AnswerVisibilityTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { CreateGdiResources(); }

    AnswerVisibilityTest() { docHost.view = &view; }

    CEditPrint& Root() { return *doc.GetRoot(); }
    CEditSentence* Part(int m, int s, int kind, int lines = 1, int hidden = 0)
    {
        auto* part = new CEditSentence();
        part->m_questionNumber = m;
        part->m_subQuestionNumber = s;
        part->m_partKind = kind;
        part->m_hidden = hidden;
        for (int i = 0; i < lines; ++i) {
            AddChars(part, u"ab");
            AddCR(part);
        }
        Root().AppendChild(part);
        return part;
    }
    std::vector<std::string> RowTexts()
    {
        std::vector<std::string> texts;
        for (const ANSWER_DISPLAY_ROW& r : ReadAnswerDisplayRows(Root()))
            texts.push_back(std::to_string(r.question) + "." + std::to_string(r.sub) + " " +
                            std::to_string(r.answerField) + std::to_string(r.answer) + std::to_string(r.explanation));
        return texts;
    }

    SwitchGuard switches;
    NoFiles files;
    ViewDocHost docHost;
    CSorelDoc doc{files, docHost};
    bool made = doc.OnNewDocument();
    DocumentForView forView{doc};
    TestHost host;
    VIEW_SETTINGS settings;
    CEditViewController view{forView, host, settings};
};

TEST_F(AnswerVisibilityTest, ReadsOneRowPerQuestionAndWritesBackShownOrHidden)
{
    ASSERT_TRUE(made);
    docHost.hints.clear();
    Part(1, 0, PART_QUESTION);
    Part(1, 0, PART_ANSWER_FIELD, 1, 2);
    CEditSentence* answer = Part(1, 0, PART_ANSWER, 1, 1);  // neither 0 nor 2: shown
    Part(1, 0, PART_EXPLANATION);
    Part(2, 0, PART_QUESTION);
    Part(2, 1, PART_QUESTION);
    Part(2, 1, PART_EXPLANATION, 1, 2);
    Part(2, 2, PART_QUESTION);
    view.OnInitialUpdate();
    EXPECT_EQ(RowTexts(), (std::vector<std::string>{"1.0 210", "2.0 000", "2.1 002", "2.2 000"}));

    // OK without a change: the stored 1 comes back as 0, the rest as they were.
    {
        DialogAnswer answerer(nullptr, IDOK);
        doc.DoAnswerVisibilityDialog(nullptr);
        EXPECT_EQ(answerer.runs, 1);
    }
    EXPECT_EQ(answer->m_hidden, 0);
    EXPECT_EQ(RowTexts(), (std::vector<std::string>{"1.0 200", "2.0 000", "2.1 002", "2.2 000"}));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(docHost.hints, std::vector<int>{0});

    // The header row of question 2 hides its own parts with a preset; Cancel changes nothing.
    doc.SetModifiedFlag(false);
    {
        DialogAnswer answerer([](CAnswerDisplayDlg& dialog) { dialog.Grid()->PresetAnswers(); }, IDCANCEL);
        doc.DoAnswerVisibilityDialog(nullptr);
    }
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(docHost.hints.size(), 2u);  // the views are still repainted
    {
        DialogAnswer answerer([](CAnswerDisplayDlg& dialog) { dialog.Grid()->PresetAnswers(); }, IDOK);
        doc.DoAnswerVisibilityDialog(nullptr);
    }
    // Missing parts are skipped and read as shown.
    EXPECT_EQ(RowTexts(), (std::vector<std::string>{"1.0 202", "2.0 000", "2.1 002", "2.2 000"}));

    // One Undo takes the whole choice back.
    view.OnEditUndo();
    EXPECT_EQ(RowTexts(), (std::vector<std::string>{"1.0 200", "2.0 000", "2.1 002", "2.2 000"}));
    view.OnEditUndo();
    EXPECT_EQ(answer->m_hidden, 1);
    view.OnEditRedo();
    EXPECT_EQ(answer->m_hidden, 0);
}

TEST_F(AnswerVisibilityTest, AVanishedPageLosesItsNameFieldAndUndoBringsItBack)
{
    ASSERT_TRUE(made);
    Root().SetPaperSize(10000, 12000);
    Root().SetMargins(1000, 1000, 1000, 1000);
    Part(1, 0, PART_QUESTION);
    CEditSentence* answer = Part(1, 0, PART_ANSWER, 200);  // fills further pages
    auto* field = new NameField();
    Root().GetNameFieldLayer()->AppendChild(field);
    ASSERT_TRUE(Root().SetPageFlagged(2, true));
    view.OnInitialUpdate();
    ASSERT_GE(Root().GetPageCount(), 2);

    {
        // Every answer is shown, so a double click on the 解答 heading hides them all.
        DialogAnswer answerer([](CAnswerDisplayDlg& dialog) {
            DoubleClick(dialog.Grid()->TopHeading(), ColumnHeading(1));
        }, IDOK);
        doc.DoAnswerVisibilityDialog(nullptr);
    }
    EXPECT_EQ(answer->m_hidden, 2);
    EXPECT_EQ(Root().GetPageCount(), 1);
    EXPECT_EQ(Root().GetNameFieldLayer()->GetChildCount(), 0);
    EXPECT_FALSE(Root().IsPageFlagged(2));
    EXPECT_EQ(field->GetParent(), nullptr);  // kept by the undo group, not deleted

    view.OnEditUndo();
    EXPECT_EQ(answer->m_hidden, 0);
    EXPECT_EQ(Root().GetNameFieldLayer()->GetChildCount(), 1);
    EXPECT_EQ(Root().GetNameFieldLayer()->GetEditChild(0), field);
    EXPECT_TRUE(Root().IsPageFlagged(2));
    EXPECT_GE(Root().GetPageCount(), 2);

    view.OnEditRedo();
    EXPECT_EQ(answer->m_hidden, 2);
    EXPECT_EQ(Root().GetNameFieldLayer()->GetChildCount(), 0);
    EXPECT_FALSE(Root().IsPageFlagged(2));
}

// The program on the sample paper, whose answers are hidden already: the command's dialog shown
// over the window, the 解答欄 heading double-clicked, OK pressed, and the paper shown without its
// answer fields and answers.
class AnswerDisplayProgramTest : public ProgramRun {};

TEST_F(AnswerDisplayProgramTest, TheSamplePaperShowsWithoutAnswers)
{
    ASSERT_TRUE(Start({CopyOfFile(RepositoryFolder() + "/samples/sample_paper.xml", "sample_paper.xml")})) << MessagesShown();
    ASSERT_NE(ShowFrame(), nullptr);
    CMainFrame& frame = *Program().Frame();
    CSorelDoc* doc = Program().App().GetDocument();
    ASSERT_NE(doc, nullptr);
    bool enabled = false, checked = false;
    frame.UpdateCommandUI(32891, &enabled, &checked);
    EXPECT_TRUE(enabled);

    const QByteArray keep = qgetenv("QN_TEST_OUTPUT_DIR");
    auto shoot = [&](QWidget* widget, const char* name) {
        if (keep.isEmpty())
            return;
        const QString path = QDir(QString::fromLocal8Bit(keep)).filePath(QString::fromLatin1(name));
        QScreen* screen = QGuiApplication::primaryScreen();
        if (QGuiApplication::platformName() == QLatin1String("xcb") && screen != nullptr)
            screen->grabWindow(0).save(path);
        else
            widget->grab().save(path);
    };
    shoot(&frame, "answers_before.png");

    bool dialogSeen = false;
    const AnswerDisplayRunner former = SetAnswerDisplayRunner([&](CAnswerDisplayDlg& dialog) {
        QTimer::singleShot(300, &dialog, [&] {
            dialogSeen = true;
            EXPECT_GT(dialog.Grid()->GetRowCount(), 0);
            shoot(&dialog, "answers_dialog.png");
            DoubleClick(dialog.Grid()->TopHeading(), ColumnHeading(0));
            QApplication::processEvents();
            shoot(&dialog, "answers_dialog_heading_clicked.png");
            FindControl<QAbstractButton>(&dialog, IDOK)->click();
        });
        return dialog.DoModal();
    });
    frame.OnCommand(32891);
    SetAnswerDisplayRunner(former);
    EXPECT_TRUE(dialogSeen);

    // Every answer field and answer of the paper is hidden now; the question texts stay.
    CEditPrint* root = doc->GetRoot();
    int answers = 0;
    for (int i = 0; i < root->GetChildCount(); ++i) {
        auto* part = dynamic_cast<CEditSentence*>(root->GetEditChild(i));
        if (part == nullptr || part->m_partKind == PART_NONE)
            continue;
        if (part->m_partKind == PART_ANSWER_FIELD || part->m_partKind == PART_ANSWER) {
            ++answers;
            EXPECT_EQ(part->m_hidden, 2) << i;
        } else if (part->m_partKind == PART_QUESTION) {
            EXPECT_EQ(part->m_hidden, 0) << i;
        }
    }
    EXPECT_GT(answers, 0);
    EXPECT_TRUE(doc->IsModified());
    QTest::qWait(200);
    shoot(&frame, "answers_after.png");
}

}  // namespace
