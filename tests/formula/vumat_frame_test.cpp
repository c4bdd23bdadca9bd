// The formula editor's frame, offscreen: its menu, bars and combos, where their commands and
// notices go, and what closing the window asks of the document.
#include "base/gdi_cache.h"
#include "dialogs/kunten_combos.h"
#include "formula/window/format_bar.h"
#include "formula/window/main_frame.h"
#include "ui/char_palette.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDockWidget>
#include <QLineEdit>
#include <QMenuBar>
#include <QStatusBar>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <vector>

namespace {

class RecordingSite : public IVumatDocumentSite {
public:
    void OnFileUpdate() override { ++updates; }
    void OnFileSaveCopyAs() override { ++copies; }
    bool OnFrameClose() override
    {
        ++closes;
        return allowClose;
    }
    void OnHelp() override { ++helps; }
    int updates = 0, copies = 0, closes = 0, helps = 0;
    bool allowClose = true;
};

// A view that takes every command of `handled` and records what reaches it.
class RecordingView : public IVumatFrameView {
public:
    bool OnCommand(unsigned id) override
    {
        commands.push_back(id);
        return true;
    }
    bool OnUpdateCommand(unsigned id, bool* enabled, bool*) override
    {
        for (unsigned handledId : handled)
            if (handledId == id) {
                *enabled = true;
                return true;
            }
        return false;
    }
    void OnBarNotify(const BAR_NOTIFY& notice) override { notices.push_back(notice); }
    long OnPaletteChar(char16_t unit, const LOGFONTA& font) override
    {
        paletteUnits.push_back(unit);
        paletteFace = font.lfFaceName;
        return 1;
    }
    std::vector<unsigned> handled;
    std::vector<unsigned> commands;
    std::vector<BAR_NOTIFY> notices;
    std::u16string paletteUnits;
    std::string paletteFace;
};

// Counts the Return keys that get past the bar to the frame.
class KeyCounter : public QObject {
public:
    int returns = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Return)
            ++returns;
        return false;
    }
};

class VumatFrameTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { CreateGdiResources(); }
    void SetUp() override
    {
        ASSERT_TRUE(frame.Create());
        frame.SetActiveView(&view);
        // The view's place, which has the focus as the view would.
        auto* central = new QWidget;
        central->setFocusPolicy(Qt::StrongFocus);
        frame.setCentralWidget(central);
        central->setFocus();
    }
    RecordingSite site;
    RecordingView view;
    CMainFrame frame{site};
};

}  // namespace

TEST_F(VumatFrameTest, CarriesMenuFiveAndItsBars)
{
    const QList<QAction*> menus = frame.menuBar()->actions();
    ASSERT_EQ(menus.size(), 6);
    EXPECT_EQ(menus[0]->text(), QString::fromUtf16(u"ﾌｧｲﾙ(&F)"));
    EXPECT_EQ(menus[5]->text(), QString::fromUtf16(u"ﾍﾙﾌﾟ(&H)"));
    ASSERT_NE(frame.MenuAction(57610), nullptr);
    EXPECT_EQ(frame.MenuAction(57610)->shortcut(), QKeySequence("Ctrl+S"));
    EXPECT_EQ(frame.MenuAction(57632)->shortcut(), QKeySequence(Qt::Key_Delete));
    EXPECT_EQ(frame.MenuAction(59393)->text(), QString::fromUtf16(u"ｽﾃｰﾀｽ ﾊﾞｰ(&S)"));

    EXPECT_EQ(frame.StandardBar()->BarId(), 0xE800u);
    EXPECT_EQ(frame.FormatBar()->BarId(), 135u);
    EXPECT_EQ(frame.FormulaBar()->BarId(), 131u);
    EXPECT_EQ(frame.FormulaBar()->iconSize(), QSize(24, 23));
    EXPECT_NE(frame.FormulaBar()->ButtonAction(32999), nullptr);
    EXPECT_NE(frame.FormatBar()->ButtonAction(32899), nullptr);
    EXPECT_NE(frame.StandardBar()->ButtonAction(57666), nullptr);
    EXPECT_EQ(frame.PaletteDock()->isVisible(), false);
    EXPECT_TRUE(frame.PaletteDock()->isFloating());
}

TEST_F(VumatFrameTest, CommandsGoToTheirHandlersAndUnhandledOnesAreDisabled)
{
    view.handled = {32997, 32787};
    bool enabled = false, checked = false;
    frame.UpdateCommandUI(32997, &enabled, &checked);
    EXPECT_TRUE(enabled);
    // Nobody carries out these: the strike-out drop-down, printing, a new file.
    for (unsigned id : {32855u, 57607u, 57600u, 57635u}) {
        frame.UpdateCommandUI(id, &enabled, &checked);
        EXPECT_FALSE(enabled) << id;
    }
    frame.UpdateCommandUI(57610, &enabled, &checked);
    EXPECT_TRUE(enabled);

    frame.OnCommand(57610);
    frame.OnCommand(57603);
    frame.OnCommand(57611);
    frame.OnCommand(57670);
    EXPECT_EQ(site.updates, 2);
    EXPECT_EQ(site.copies, 1);
    EXPECT_EQ(site.helps, 1);
    frame.OnCommand(32997);
    EXPECT_EQ(view.commands, std::vector<unsigned>{32997});

    frame.show();
    frame.OnCommand(32774);
    EXPECT_TRUE(frame.PaletteDock()->isVisible());
    frame.UpdateCommandUI(32774, &enabled, &checked);
    EXPECT_TRUE(checked);
    frame.OnCommand(32776);
    EXPECT_FALSE(frame.FormulaBar()->isVisible());
}

TEST_F(VumatFrameTest, PaletteCharactersReachTheView)
{
    LOGFONTA font{};
    std::strcpy(font.lfFaceName, "Orvellan Gaiji");
    EXPECT_EQ(frame.OnPaletteChar(u'\xE001', font), 1);
    EXPECT_EQ(view.paletteUnits, u"\xE001");
    EXPECT_EQ(view.paletteFace, "Orvellan Gaiji");
    frame.SetActiveView(nullptr);
    EXPECT_EQ(frame.OnPaletteChar(u'x', font), 0);
}

TEST_F(VumatFrameTest, CombosTakeTheirWidthsByScreenResolution)
{
    CVumatFormatBar& bar = *frame.FormatBar();
    // The widest size the list holds shows whole in the field.
    auto showsWhole = [&bar] {
        const QLineEdit* edit = bar.SizeCombo()->lineEdit();
        return edit->fontMetrics().horizontalAdvance("10.5") <= edit->width();
    };
    bar.LayoutCombos(96);
    EXPECT_EQ(bar.NameCombo()->width(), 200);
    const int at96 = bar.SizeCombo()->width();
    EXPECT_GE(at96, 48);
    frame.show();
    EXPECT_TRUE(showsWhole());
    bar.LayoutCombos(120);
    EXPECT_EQ(bar.SizeCombo()->width(), std::max(64, at96));
    EXPECT_EQ(bar.NameCombo()->width(), 200);
}

TEST_F(VumatFrameTest, EnterInTheSizeComboIsTheBarsNoticeNotAKey)
{
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    CVumatFormatBar& bar = *frame.FormatBar();
    KeyCounter counter;
    frame.installEventFilter(&counter);
    bar.installEventFilter(&counter);

    // Idle, with no combo focused, the bar asks the view to refresh the combos.
    view.notices.clear();
    frame.OnIdleUpdate();
    ASSERT_FALSE(view.notices.empty());
    EXPECT_EQ(view.notices.back().code, NM_BARCOMBO_SELCHANGE);
    EXPECT_EQ(view.notices.back().idFrom, 32779u);

    QLineEdit* edit = bar.SizeCombo()->lineEdit();
    edit->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(bar.FocusId(), 32779u);
    view.notices.clear();
    frame.OnIdleUpdate();
    EXPECT_TRUE(view.notices.empty());

    edit->setText("12");
    QTest::keyClick(edit, Qt::Key_Return);
    ASSERT_EQ(view.notices.size(), 1u);
    EXPECT_EQ(view.notices[0].code, NM_BARCOMBO_RETURN);
    EXPECT_EQ(view.notices[0].idFrom, 32779u);
    EXPECT_EQ(counter.returns, 0);
    int size = 0;
    ASSERT_TRUE(bar.GetSize(&size));
    EXPECT_EQ(size, 423);
}

TEST_F(VumatFrameTest, FontNameComboSelectsListedFacesAndShowsOthers)
{
    CFontNameCombo& combo = *frame.FormatBar()->NameCombo();
    EXPECT_EQ(combo.currentIndex(), -1);
    ASSERT_GT(combo.count(), 0);
    const QString first = combo.itemText(0);
    EXPECT_EQ(combo.SelectFontName(first), 0);
    LOGFONTA font{};
    frame.FormatBar()->SetSize(370);
    EXPECT_EQ(frame.FormatBar()->GetFontName(&font), 0);
    EXPECT_EQ(font.lfHeight, 370);
    EXPECT_EQ(font.lfWidth, 0);
    EXPECT_EQ(combo.SelectFontName("No Such Face 123"), -1);
    EXPECT_EQ(combo.currentIndex(), -1);
    EXPECT_EQ(combo.placeholderText(), "No Such Face 123");
    EXPECT_EQ(frame.FormatBar()->GetFontName(&font), -1);
}

TEST_F(VumatFrameTest, ClosingAsksTheDocumentOnce)
{
    frame.show();
    site.allowClose = false;
    EXPECT_FALSE(frame.close());
    EXPECT_EQ(site.closes, 1);
    site.allowClose = true;
    EXPECT_TRUE(frame.close());
    EXPECT_EQ(site.closes, 2);

    const QByteArray keep = qgetenv("QN_TEST_OUTPUT_DIR");
    if (!keep.isEmpty())
        frame.grab().save(QDir(QString::fromLocal8Bit(keep)).filePath("vumat_frame.png"));
}
