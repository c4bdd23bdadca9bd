// The problem editor as scripts/run starts it, with the fake search library beside the program:
// the File menu offers the word-processor exports disabled, and 問題追加・再検索 runs the search
// on a paper from the question bank. With QN_TEST_OUTPUT_DIR set, the screens are kept as PNG.
#include "editor/sorel_app.h"
#include "editor/sorel_doc.h"
#include "editor/view_hookup.h"
#include "nodes/edit_kind.h"
#include "nodes/edit_print.h"
#include "tests/editor/program_fixture.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QScreen>
#include <QTest>

#include <cstdlib>

namespace {

class SearchWindowTest : public ProgramRun {
protected:
    SearchWindowTest() { setenv("QNS_FAKE_RESULT", Fixture("returned_paper.xml").c_str(), 1); }
    ~SearchWindowTest() override { unsetenv("QNS_FAKE_RESULT"); }

    static std::string Fixture(const char* name) { return std::string(QN_TEST_DATA_DIR) + "/search/" + name; }
    std::string CopyOfPaper() { return CopyOfFile(Fixture("kept_paper.xml"), "kept_paper.xml"); }
    // Keeps the screen (or, without one, the window) when the output folder is set.
    void Keep(QWidget& window, const char* name)
    {
        const QByteArray keep = qgetenv("QN_TEST_OUTPUT_DIR");
        if (keep.isEmpty())
            return;
        QPixmap picture;
        if (QGuiApplication::platformName() == QLatin1String("xcb"))
            picture = QGuiApplication::primaryScreen()->grabWindow(0);
        if (picture.isNull())
            picture = window.grab();
        picture.save(QDir(QString::fromLocal8Bit(keep)).filePath(QString::fromLatin1(name) + ".png"));
    }
    static QAction* FindCommand(QMenu* menu, unsigned id)
    {
        for (QAction* action : menu->actions()) {
            if (action->menu() != nullptr) {
                if (QAction* found = FindCommand(action->menu(), id))
                    return found;
            } else if (action->data().toUInt() == id) {
                return action;
            }
        }
        return nullptr;
    }
    static std::u16string QuestionTexts(CEditPrint* root)
    {
        std::u16string texts;
        for (int i = 0; i < root->GetChildCount(); ++i) {
            CEditNode* part = root->GetEditChild(i);
            if (part->GetKind() != EditKind::kSentence)
                continue;
            for (int j = 0; j < part->GetChildCount(); ++j)
                if (part->GetEditChild(j)->GetKind() == EditKind::kChar)
                    texts += part->GetEditChild(j)->GetText().View();
            texts += u"/";
        }
        return texts;
    }
};

}  // namespace

TEST_F(SearchWindowTest, TheExportsFollowTheirServersAndTheSearchRunsOnTheLibraryBesideTheProgram)
{
    ASSERT_TRUE(Start({CopyOfPaper()})) << MessagesShown();
    CMainFrame& frame = *Program().Frame();
    frame.resize(900, 650);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    ASSERT_NE(Program().App().SearchProc20(), nullptr) << "the library beside the program was not loaded";

    // The File menu and its other-formats popup, opened as a person opens them.
    QMenu* file = frame.menuBar()->actions().at(0)->menu();
    ASSERT_NE(file, nullptr);
    QAction* word = FindCommand(file, 33004);
    QAction* ichitaro = FindCommand(file, 461);
    ASSERT_NE(word, nullptr);
    ASSERT_NE(ichitaro, nullptr);
    file->popup(frame.mapToGlobal(QPoint(10, 30)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(file));
    for (QAction* action : file->actions())
        if (action->menu() != nullptr && FindCommand(action->menu(), 33004) == word) {
            file->setActiveAction(action);
            action->menu()->popup(file->mapToGlobal(file->actionGeometry(action).topRight()));
            ASSERT_TRUE(QTest::qWaitForWindowExposed(action->menu()));
        }
    QTest::qWait(100);
    // Word is answered by the program's own server; nothing answers for Ichitaro.
    EXPECT_TRUE(word->isEnabled());
    EXPECT_FALSE(ichitaro->isEnabled());
    EXPECT_EQ(word->text(), QString::fromUtf16(u"Word形式で保存..."));
    EXPECT_EQ(ichitaro->text(), QString::fromUtf16(u"一太郎形式で保存..."));
    Keep(frame, "file_menu_exports");
    file->close();
    QTest::qWait(50);

    // The search: the library gets the paper and returns the bank's version of it.
    CSorelDoc* doc = Program().App().GetDocument();
    EXPECT_EQ(QuestionTexts(doc->GetRoot()), u"問A/問B/問C/");
    bool enabled = false, checked = false;
    frame.UpdateCommandUI(32884, &enabled, &checked);
    EXPECT_TRUE(enabled);
    Keep(frame, "search_before");
    frame.OnCommand(32884);
    QTest::qWait(100);
    EXPECT_EQ(QuestionTexts(doc->GetRoot()), u"問A改/問B改/問D/");
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(doc->GetUndoRecord(), nullptr);
    Keep(frame, "search_after");
}
