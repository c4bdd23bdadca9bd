// The main frame: its menus after pruning, the bars in their order and ids, the accelerators,
// the writing-direction swap, the palette forward, the export messages, and a picture of the
// window as a person sees it.
#include "main_frame_fixture.h"

#include "editor/word_export.h"

#include <QAction>
#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QDockWidget>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <iostream>
#include <memory>

namespace {

std::vector<unsigned> Ids(const std::vector<MENU_ITEM>& items)
{
    std::vector<unsigned> ids;
    for (const MENU_ITEM& item : items)
        ids.push_back(item.kind == MENU_ITEM::Command ? item.id : 0);
    return ids;
}

std::vector<unsigned> ButtonIds(const QToolBar* bar)
{
    std::vector<unsigned> ids;
    for (const QAction* action : bar->actions())
        if (!action->isSeparator())
            ids.push_back(action->data().toUInt());
    return ids;
}

bool Contains(const std::vector<unsigned>& ids, unsigned id)
{
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

using MainFrameTest = MainFrameFixture;

}  // namespace

TEST(FrameLayout, TheMenuIsPrunedOfTheFeaturesNotOffered)
{
    FRAME_LAYOUT layout;
    ASSERT_TRUE(LoadFrameLayout(&layout));
    std::vector<std::u16string> titles;
    for (const MENU_ITEM& popup : layout.menuBar)
        titles.push_back(popup.text);
    EXPECT_EQ(titles, (std::vector<std::u16string>{u"ファイル(&F)", u"編集(&E)", u"表示(&V)", u"問題(&T)",
                                                   u"レイアウト(&L)", u"挿入(&I)", u"書式(&O)", u"ヘルプ(&H)"}));
    EXPECT_EQ(Ids(layout.menuBar[0].items),
              (std::vector<unsigned>{57600, 57601, 57603, 57604, 0, 0, 57605, 57607, 57609, 57606, 0, 57616, 0, 57665}));
    EXPECT_EQ(Ids(layout.menuBar[1].items),
              (std::vector<unsigned>{57643, 57644, 0, 57635, 57634, 57637, 0, 0, 57632, 32997}));
    EXPECT_EQ(Ids(layout.menuBar[2].items[3].items), (std::vector<unsigned>{59392, 32775, 32890, 32776, 59393}));
    EXPECT_EQ(Ids(layout.menuBar[3].items),
              (std::vector<unsigned>{32884, 0, 32893, 32894, 0, 32895, 32896, 0, 32897, 32898}));
    EXPECT_EQ(Ids(layout.menuBar[6].items),
              (std::vector<unsigned>{32969, 0, 0, 32917, 32918, 0, 32899, 32993, 32994, 0, 32970, 32990, 0, 32991}));
    EXPECT_EQ(Ids(layout.menuBar[6].items[1].items), (std::vector<unsigned>{377, 382, 378, 381}));
    for (unsigned gone : {32921u, 32885u, 57640u, 383u, 387u, 32910u, 32935u, 32976u, 32983u, 57872u})
        EXPECT_EQ(FindMenuItem(layout.menuBar, gone), nullptr) << gone;

    const MENU_ITEM* newItem = FindMenuItem(layout.menuBar, 57600);
    ASSERT_NE(newItem, nullptr);
    EXPECT_EQ(newItem->text, u"新規作成(&N)");
    EXPECT_EQ(newItem->accelerator, u"Ctrl+N");

    auto buttons = [](const TOOLBAR_LAYOUT& bar) {
        std::vector<unsigned> ids;
        for (const TOOLBAR_BUTTON& button : bar.buttons)
            if (button.kind == TOOLBAR_BUTTON::Button)
                ids.push_back(button.id);
        return ids;
    };
    EXPECT_EQ(buttons(layout.standard), (std::vector<unsigned>{57600, 57601, 57603, 33006, 57607, 57609, 57635, 57634,
                                                               57637, 57643, 57644, 32774, 57666}));
    EXPECT_EQ(buttons(layout.format), (std::vector<unsigned>{32787, 32788, 32789, 32855, 32853, 32854, 32860, 32861,
                                                             32858, 32859, 32790, 32862, 377, 382, 378, 381, 32970}));
    EXPECT_EQ(layout.question.buttons.size(), 17u);  // 12 buttons and 5 separators
    EXPECT_EQ(layout.formula.buttons.size(), 15u);
}

TEST(FrameLayout, AcceleratorsInTableOrder)
{
    FRAME_LAYOUT layout;
    ASSERT_TRUE(LoadFrameLayout(&layout));
    const std::vector<std::pair<std::string, unsigned>> expected = {
        {"Ctrl+A", 32997}, {"Ctrl+C", 57634}, {"Alt+M", 252},    {"Ctrl+N", 57600},  {"Ctrl+O", 57601},
        {"Ctrl+P", 57607}, {"Ctrl+S", 57603}, {"Ctrl+V", 57637}, {"Del", 57632},     {"Esc", 32768},
        {"F1", 57670},     {"Shift+F1", 57669}, {"F6", 57680},   {"Shift+F6", 57681}, {"Ctrl+X", 57635},
        {"Ctrl+Y", 57644}, {"Ctrl+Z", 57643}};
    ASSERT_EQ(layout.accelerators.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(layout.accelerators[i].key, expected[i].first);
        EXPECT_EQ(layout.accelerators[i].id, expected[i].second);
    }
}

TEST(FrameLayout, MalformedTablesAreRefused)
{
    std::vector<MENU_ITEM> menu;
    EXPECT_FALSE(ParseMenuTable("popup\tA\n    item\t1\tdeep\n", &menu));  // skips a level
    EXPECT_FALSE(ParseMenuTable("item\tx\tno id\n", &menu));
    TOOLBAR_LAYOUT bar;
    EXPECT_FALSE(ParseToolbarTable("12a\tname\n", &bar));
    std::vector<ACCELERATOR> keys;
    EXPECT_FALSE(ParseAcceleratorTable("Ctrl+A\n", &keys));
}

TEST_F(MainFrameTest, TheWindowCarriesTheMenusAndBarsInOrder)
{
    CMainFrame& frame = Start();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    EXPECT_EQ(frame.windowTitle(), QString::fromUtf16(u"無題 - Lumetra　生物 - 問題作成エディタ"));
    QStringList titles;
    for (QAction* action : frame.menuBar()->actions())
        titles << action->text();
    EXPECT_EQ(titles.join("|"), QString::fromUtf16(u"ファイル(&F)|編集(&E)|表示(&V)|問題(&T)|レイアウト(&L)|挿入(&I)|書式(&O)|ヘルプ(&H)"));

    QStringList bars;
    for (QToolBar* bar : frame.findChildren<QToolBar*>())
        bars << bar->objectName();
    EXPECT_EQ(bars.join(","), "bar_59392,bar_130,bar_303,bar_131,bar_133,bar_441");
    EXPECT_EQ(frame.statusBar()->objectName(), "bar_59393");
    for (unsigned id : {BarId::kStandard, BarId::kFormat, BarId::kQuestion, BarId::kFormula})
        EXPECT_TRUE(frame.Bar(id)->isVisible()) << id;
    EXPECT_FALSE(frame.Bar(BarId::kHorzRuler)->isVisible());
    EXPECT_FALSE(frame.Bar(BarId::kVertRuler)->isVisible());
    EXPECT_FALSE(frame.PaletteBar()->isVisible());
    EXPECT_TRUE(frame.PaletteBar()->isFloating());
    EXPECT_EQ(frame.MenuAction(57600)->shortcut(), QKeySequence("Ctrl+N"));
    EXPECT_EQ(frame.MenuAction(57632)->shortcut(), QKeySequence("Del"));

    // A picture to look at, beside the test program; the File menu is shown open on it.
    frame.resize(900, 560);
    QTest::qWait(20);
    QImage picture = frame.grab().toImage();
    QMenu* fileMenu = frame.menuBar()->actions().at(0)->menu();
    fileMenu->popup(frame.mapToGlobal(QPoint(0, frame.menuBar()->height())));
    QTest::qWait(20);
    {
        QPainter painter(&picture);
        painter.drawImage(QPoint(0, frame.menuBar()->height()), fileMenu->grab().toImage());
    }
    fileMenu->hide();
    const QString path = QCoreApplication::applicationDirPath() + "/editor_main_frame.png";
    EXPECT_TRUE(picture.save(path));
    std::cout << "[ picture  ] " << path.toStdString() << std::endl;
}

TEST_F(MainFrameTest, CommandsNobodyCarriesOutAreDisabledInMenusAndBars)
{
    CMainFrame& frame = Start();
    struct Case {
        unsigned id;
        bool enabled;
    } const cases[] = {
        {57607, false},  // print and preview: the view's, and this frame has no view
        {57609, false},
        {57605, true},   // page setup, with a paper open
        {32968, true},   // columns
        {32967, true},   // the separate answer sheet
        {32911, true},   // character spacing
        {32912, true},   // line spacing
        {32892, true},   // the name field
        {32893, false},  // new major question
        {57600, true},   // new
        {57603, true},   // save
        {57604, true},   // save as
        {32996, true},   // save as HTML, with a paper open
        {33006, true},   // the other-formats popup, the frame's
        {32777, true},   // the font, size and zoom boxes, whose notices the view takes
        {32778, true},
        {32779, true},
    };
    for (const Case& c : cases) {
        bool enabled = !c.enabled, checked = false;
        frame.UpdateCommandUI(c.id, &enabled, &checked);
        EXPECT_EQ(enabled, c.enabled) << c.id;
    }
    // The toolbar's print button follows its handler, and so does the other-formats popup.
    frame.UpdateToolbarButtons();
    QAction* print = nullptr;
    for (QAction* action : frame.Bar(BarId::kStandard)->actions())
        if (action->data().toUInt() == 57607)
            print = action;
    ASSERT_NE(print, nullptr);
    EXPECT_FALSE(print->isEnabled());
    std::unique_ptr<QMenu> other = frame.Commands().MakeSaveOtherFormatMenu();
    ASSERT_NE(other, nullptr);
    ASSERT_FALSE(other->actions().isEmpty());
    // HTML works with a paper open, and Word with the program's own server; Ichitaro waits for one.
    for (QAction* action : other->actions()) {
        const unsigned id = action->data().toUInt();
        if (id == 32996 || id == 33004 || id == 461) {
            EXPECT_EQ(action->isEnabled(), id != 461) << id;
        }
    }
}

TEST_F(MainFrameTest, WritingDirectionSwapsAlignmentAndPaletteCommands)
{
    CMainFrame& frame = Start();
    EXPECT_TRUE(Contains(ButtonIds(frame.Bar(BarId::kStandard)), 32774));
    ASSERT_NE(frame.MenuAction(32774), nullptr);
    EXPECT_EQ(frame.MenuAction(32774)->text(), QString::fromUtf16(u"文字パレット(&C)"));

    frame.SetWritingDirectionUI(true);
    EXPECT_EQ(frame.MenuAction(32774), nullptr);
    ASSERT_NE(frame.MenuAction(433), nullptr);
    EXPECT_EQ(frame.MenuAction(433)->text(), QString::fromUtf16(u"外字パレット"));
    EXPECT_EQ(frame.MenuAction(379)->text(), QString::fromUtf16(u"上寄せ"));
    EXPECT_EQ(frame.MenuAction(380)->text(), QString::fromUtf16(u"下寄せ"));
    EXPECT_EQ(frame.MenuAction(377), nullptr);
    const std::vector<unsigned> standard = ButtonIds(frame.Bar(BarId::kStandard));
    EXPECT_TRUE(Contains(standard, 433) && !Contains(standard, 32774));
    const std::vector<unsigned> format = ButtonIds(frame.Bar(BarId::kFormat));
    EXPECT_TRUE(Contains(format, 379) && Contains(format, 380) && !Contains(format, 377) && !Contains(format, 378));
    // The button keeps its place in the bar, after the font-name and size boxes.
    EXPECT_EQ(std::find(format.begin(), format.end(), 379) - format.begin(), 14);
    // The accelerator of the swapped items stays with their menu.
    EXPECT_EQ(frame.MenuAction(57603)->shortcut(), QKeySequence("Ctrl+S"));

    frame.SetWritingDirectionUI(false);
    EXPECT_NE(frame.MenuAction(32774), nullptr);
    EXPECT_EQ(frame.MenuAction(32774)->text(), QString::fromUtf16(u"文字パレット"));
    EXPECT_EQ(frame.MenuAction(377)->text(), QString::fromUtf16(u"左寄せ"));
    EXPECT_EQ(frame.MenuAction(378)->text(), QString::fromUtf16(u"右寄せ"));
    EXPECT_EQ(frame.MenuAction(433), nullptr);
    EXPECT_TRUE(Contains(ButtonIds(frame.Bar(BarId::kStandard)), 32774));
}

TEST_F(MainFrameTest, BothPaletteCommandsToggleTheSamePaletteBar)
{
    CMainFrame& frame = Start();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    frame.OnCommand(32774);
    EXPECT_TRUE(frame.PaletteBar()->isVisible());
    bool enabled = false, checked = false;
    frame.UpdateCommandUI(433, &enabled, &checked);
    EXPECT_TRUE(enabled && checked);
    frame.OnCommand(433);
    EXPECT_FALSE(frame.PaletteBar()->isVisible());
    frame.OnCommand(32775);
    EXPECT_FALSE(frame.Bar(BarId::kFormat)->isVisible());
    frame.UpdateCommandUI(32775, &enabled, &checked);
    EXPECT_FALSE(checked);
}

TEST_F(MainFrameTest, TheFileMenuListsTheRecentFiles)
{
    CMainFrame& frame = Start();
    m_app->RecentFiles().Add(Path("older.qns"));
    m_app->RecentFiles().Add(Path("newer.qns"));
    QMenu* fileMenu = frame.menuBar()->actions().at(0)->menu();
    emit fileMenu->aboutToShow();
    QStringList texts;
    for (QAction* action : fileMenu->actions())
        texts << action->text();
    EXPECT_TRUE(texts.contains("&1 newer.qns"));
    EXPECT_TRUE(texts.contains("&2 older.qns"));
    EXPECT_EQ(texts.indexOf("&2 older.qns"), texts.indexOf("&1 newer.qns") + 1);
    emit fileMenu->aboutToShow();  // shown again: the entries are not doubled
    EXPECT_EQ(fileMenu->actions().size(), texts.size());
}

TEST_F(MainFrameTest, TheSavedLayoutComesBackButTheRulersStayHidden)
{
    {
        CMainFrame& frame = Start();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
        frame.Bar(BarId::kFormula)->hide();
        frame.Bar(BarId::kHorzRuler)->show();
        frame.close();
        m_app->ExitInstance();
        m_app.reset();
        m_windows.frame.reset();
    }
    CMainFrame& frame = Start();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    EXPECT_FALSE(frame.Bar(BarId::kFormula)->isVisible());
    EXPECT_TRUE(frame.Bar(BarId::kFormat)->isVisible());
    EXPECT_FALSE(frame.Bar(BarId::kHorzRuler)->isVisible());
}

TEST_F(MainFrameTest, ADamagedSavedLayoutIsIgnored)
{
    {
        CProfile profile(m_environment.profilePath);
        const char junk[] = "not a layout at all";
        profile.WriteProfileBinary("Bars\\", "State", junk, sizeof junk);
        const RECT empty{100, 100, 100, 400};
        profile.WriteProfileBinary("Options", "InitialRect", &empty, sizeof empty);
    }
    CMainFrame& frame = Start();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    EXPECT_TRUE(frame.Bar(BarId::kStandard)->isVisible());
    EXPECT_GT(frame.width(), 0);
}

TEST_F(MainFrameTest, AnExportMessageClosesTheProgramEvenWhenTheExportFails)
{
    WriteWholeFile(Path("in.qnp"), "QNPRINT\npaper\n\n");
    // A word processor that cannot be started: the export fails.
    const CAutomationRegistration noWord(kWordProgId, [] { return std::shared_ptr<IDispatch>(); });
    CMainFrame& frame = Start({"/w", Path("in.qnp"), Path("out.doc")});
    EXPECT_FALSE(frame.isVisible());
    testing::internal::CaptureStderr();
    QTest::qWait(50);  // the posted message runs, then the close
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(m_app->GetExitCode(), kExitWordFailed);
    EXPECT_FALSE(frame.isVisible());
}
