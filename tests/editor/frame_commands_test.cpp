// The frame's own commands: the picker drop-downs under their buttons, the other-format popup,
// the character map, the font defaults; the palette in the frame; and pictures of the window
// with every bar, the palette and a picker open, in both writing directions.
#include "ui/char_palette.h"
#include "editor/frame_commands.h"
#include "ui/menus.h"
#include "editor/toolbars.h"
#include "main_frame_fixture.h"

#include "base/default_fonts.h"
#include "base/gdi_cache.h"
#include "dialogs/font_default_sheet.h"
#include "platform/codepage.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDockWidget>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QTimer>
#include <QToolBar>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <cstring>
#include <iostream>
#include <unistd.h>

namespace {

// The frame is started and waited for on screen, so the pickers and popups open where they would.
class FrameCommandsTest : public MainFrameFixture {
protected:
    CMainFrame& Start()
    {
        CMainFrame& frame = MainFrameFixture::Start();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&frame));
        return frame;
    }
};

class FakeView : public IFrameView {
public:
    bool vertical = false;
    LOGFONTA typing{};
    int refreshed = 0;
    std::vector<unsigned> commands;
    std::vector<std::pair<char16_t, std::string>> palette;
    unsigned handled = 0;  // the one command the view's update handler enables

    bool OnCommand(unsigned id) override
    {
        commands.push_back(id);
        return true;
    }
    bool OnUpdateCommand(unsigned id, bool* enabled, bool*) override
    {
        if (id != handled)
            return false;
        *enabled = true;
        return true;
    }
    void OnBarNotify(const BAR_NOTIFY&) override {}
    long OnPaletteChar(char16_t unit, const LOGFONTA& font) override
    {
        palette.emplace_back(unit, std::string(font.lfFaceName));
        return 1;
    }
    bool IsVertical() const override { return vertical; }
    LOGFONTA& TypingFont() override { return typing; }
    void ShowCaretAndIme() override { ++refreshed; }
};

QPoint ButtonBottomLeft(QToolBar* bar, unsigned id)
{
    for (QAction* action : bar->actions())
        if (!action->isSeparator() && action->data().toUInt() == id)
            if (QWidget* button = bar->widgetForAction(action))
                return button->mapToGlobal(QPoint(0, button->height()));
    return QPoint(-1, -1);
}

}  // namespace

TEST(DropDownMenus, EachCommandOpensItsPicker)
{
    struct Case {
        unsigned id;
        size_t items;
        unsigned first;
    };
    const std::vector<Case> cases = {
        {32790, 16, 32818}, {32862, 16, 32800}, {32859, 7, 32864}, {32858, 8, 32956}, {32789, 9, 32938},
        {32855, 9, 32947}, {32839, 21, 159},    {32835, 3, 180},   {32838, 2, 184},   {32840, 3, 185},
        {32841, 10, 194},  {32842, 7, 201},     {32843, 6, 208},   {32844, 5, 214},   {32845, 2, 219},
        {32846, 8, 221},   {32847, 8, 229},     {32848, 13, 237},  {32999, 2, 431},   {32998, 3, 391}};
    for (const Case& c : cases) {
        const std::unique_ptr<CPickerMenu> menu = MakeDropDownMenu(c.id);
        ASSERT_NE(menu, nullptr) << c.id;
        EXPECT_EQ(menu->Items().size(), c.items) << c.id;
        EXPECT_EQ(menu->Items().front().id, c.first) << c.id;
        EXPECT_TRUE(CFrameCommands::IsFrameCommand(c.id));
    }
    EXPECT_EQ(MakeDropDownMenu(252), nullptr);  // the formula button itself
    EXPECT_FALSE(CFrameCommands::IsFrameCommand(252));
}

TEST_F(FrameCommandsTest, APickerOpensUnderItsButtonAndAClickElsewhereChoosesNothing)
{
    CMainFrame& frame = Start();
    for (unsigned id : {32790u, 32835u}) {
        CPickerPopup* popup = frame.Commands().OpenDropDown(id);
        ASSERT_NE(popup, nullptr);
        QToolBar* bar = frame.Bar(id == 32790 ? BarId::kFormat : BarId::kFormula);
        // The window system may put the popup's frame a pixel or two off the point asked for.
        EXPECT_LE((popup->pos() - ButtonBottomLeft(bar, id)).manhattanLength(), 4) << id;
        popup->close();
        EXPECT_EQ(popup->Chosen(), 0u);
    }
    // A click on the sixth colour chooses red.
    CPickerPopup* popup = frame.Commands().OpenDropDown(32790);
    QTest::qWait(10);
    QTest::mouseClick(popup, Qt::LeftButton, Qt::NoModifier, popup->ItemRect(5).center());
    EXPECT_EQ(popup->Chosen(), 32823u);

    std::unique_ptr<QMenu> other = frame.Commands().MakeSaveOtherFormatMenu();
    ASSERT_NE(other, nullptr);
    std::vector<unsigned> ids;
    for (QAction* action : other->actions())
        ids.push_back(action->data().toUInt());
    EXPECT_EQ(ids, (std::vector<unsigned>{32996, 33004, 461}));
}

TEST_F(FrameCommandsTest, TheSearchHoverButtonSendsItsCommandToTheActiveView)
{
    CMainFrame& frame = Start();
    FakeView view;
    view.handled = 32884;  // a view that carries out the search, so its button is enabled
    frame.SetActiveView(&view);
    frame.UpdateToolbarButtons();
    auto* question = dynamic_cast<CQuestionToolBar*>(frame.Bar(BarId::kQuestion));
    ASSERT_NE(question, nullptr);
    ASSERT_TRUE(question->HoverButton()->isVisible());
    QTest::mouseClick(question->HoverButton(), Qt::LeftButton);
    EXPECT_EQ(view.commands, std::vector<unsigned>{32884});
    bool enabled = false, checked = false;
    frame.UpdateCommandUI(32884, &enabled, &checked);
    EXPECT_TRUE(enabled);

    // Without a view the command reaches nobody.
    frame.SetActiveView(nullptr);
    frame.OnCommand(32884);
    EXPECT_EQ(view.commands.size(), 1u);
}

TEST_F(FrameCommandsTest, TheCharacterMapStartsTheDesktopsProgramOrSaysThereIsNone)
{
    CMainFrame& frame = Start();
    std::vector<QString> started;
    bool startWorks = true;
    qint64 nextPid = 0;
    QString installed;
    const ProgramFinder oldFinder = SetProgramFinder([&](const QString& name) {
        return name == installed ? "/usr/bin/" + name : QString();
    });
    const ProcessStarter oldStarter = SetProcessStarter([&](const QString& program, const QStringList&, qint64* pid) {
        started.push_back(program);
        *pid = nextPid;
        return startWorks;
    });

    m_shell.requests.clear();
    frame.OnCommand(32888);
    EXPECT_TRUE(started.empty());
    ASSERT_EQ(m_shell.requests.size(), 1u);
    EXPECT_NE(m_shell.requests[0].text.find(u"gucharmap"), std::u16string::npos);
    EXPECT_EQ(m_shell.requests[0].caption, u"Lumetra　生物 - 問題作成エディタ");

    installed = "kcharselect";
    startWorks = false;
    frame.OnCommand(32888);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0], "/usr/bin/kcharselect");
    ASSERT_EQ(m_shell.requests.size(), 2u);  // a failed start is said too

    // A character map that still runs is not started again.
    startWorks = true;
    nextPid = ::getpid();
    frame.OnCommand(32888);
    frame.OnCommand(32888);
    EXPECT_EQ(started.size(), 2u);
    EXPECT_EQ(m_shell.requests.size(), 2u);
    SetProgramFinder(oldFinder);
    SetProcessStarter(oldStarter);
}

TEST_F(FrameCommandsTest, FontDefaultsSetTheTypingFontAndTheFormatBarOnlyWhenConfirmed)
{
    CMainFrame& frame = Start();
    const FONT_DEFAULTS saved = LoadFontDefaults(false);
    int shown = 0;
    bool confirm = false;
    std::string face;
    LOGFONTA installed{};
    ASSERT_GE(GetInstalledFont(GetInstalledFontCount() - 1, &installed), 0);
    const FontDefaultSheet oldSheet = SetFontDefaultSheet([&](FONT_DEFAULTS& values, QWidget*) {
        ++shown;
        values.font[FONT_DEFAULTS::Text] = installed;
        values.italic[FONT_DEFAULTS::Text] = 1;
        values.height[FONT_DEFAULTS::Text] = 423;
        return confirm;
    });

    frame.OnCommand(32969);  // no view: nothing
    EXPECT_EQ(shown, 0);

    FakeView view;
    std::strcpy(view.typing.lfFaceName, "before");
    view.typing.lfHeight = -370;
    view.typing.lfWidth = 5;
    frame.SetActiveView(&view);
    auto* format = dynamic_cast<CFormatToolBar*>(frame.Bar(BarId::kFormat));
    ASSERT_NE(format, nullptr);
    const QString sizeBefore = format->SizeBox()->currentText();
    frame.OnCommand(32969);
    EXPECT_EQ(shown, 1);
    EXPECT_STREQ(view.typing.lfFaceName, "before");
    EXPECT_EQ(LoadFontDefaults(false).height[FONT_DEFAULTS::Text], saved.height[FONT_DEFAULTS::Text]);
    EXPECT_EQ(format->SizeBox()->currentText(), sizeBefore);

    confirm = true;
    frame.OnCommand(32969);
    EXPECT_STREQ(view.typing.lfFaceName, installed.lfFaceName);
    EXPECT_EQ(view.typing.lfHeight, -423);
    EXPECT_EQ(view.typing.lfWidth, 0);
    EXPECT_EQ(view.typing.lfItalic, 0);  // the italic flag stays out of the typing font
    EXPECT_EQ(view.refreshed, 1);
    EXPECT_EQ(LoadFontDefaults(false).italic[FONT_DEFAULTS::Text], 1);
    EXPECT_EQ(format->SizeBox()->currentText(), "12");
    EXPECT_EQ(format->FontNameBox()->currentText(), QString::fromStdU16String(Cp932ToWide(installed.lfFaceName)));

    StoreFontDefaults(saved, false);
    frame.SetActiveView(nullptr);
    SetFontDefaultSheet(oldSheet);
}

TEST_F(FrameCommandsTest, FontDefaultsCommandRunsTheFontDefaultSheet)
{
    CMainFrame& frame = Start();
    const FONT_DEFAULTS saved = LoadFontDefaults(false);
    FakeView view;
    frame.SetActiveView(&view);
    // The sheet comes up modal; a size typed on its text page and OK go into the store.
    bool sawSheet = false;
    QTimer::singleShot(0, [&] {
        auto* sheet = dynamic_cast<CFontDefaultSheet*>(QApplication::activeModalWidget());
        ASSERT_NE(sheet, nullptr);
        sawSheet = true;
        EXPECT_EQ(sheet->windowTitle(), QString::fromUtf16(u"フォント既定値"));
        sheet->findChild<QComboBox*>("1001")->setEditText("12");
        sheet->findChild<QAbstractButton*>("1")->click();
    });
    frame.OnCommand(32969);
    EXPECT_TRUE(sawSheet);
    const FONT_DEFAULTS stored = LoadFontDefaults(false);
    for (int entry : {FONT_DEFAULTS::Text, FONT_DEFAULTS::Hankaku, FONT_DEFAULTS::Numeric})
        EXPECT_EQ(stored.height[entry], 423) << entry;
    EXPECT_EQ(view.typing.lfHeight, -423);
    StoreFontDefaults(saved, false);
    frame.SetActiveView(nullptr);
}

TEST_F(FrameCommandsTest, ThePaletteSendsThroughTheFrameInThePapersDirection)
{
    CMainFrame& frame = Start();
    FakeView view;
    frame.SetActiveView(&view);
    const std::vector<std::pair<char16_t, std::string>>& received = view.palette;
    ASSERT_NE(frame.Palette(), nullptr);
    CCharPaletteGrid& grid = frame.Palette()->Tab()->Grid();
    grid.resize(200, 160);
    grid.SetTable(2);
    grid.Click(QPoint(50, 30));  // "//" in Times New Roman
    frame.SetWritingDirectionUI(true);
    grid.Click(QPoint(10, 10));
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(received[0], std::make_pair(u'/', std::string("Times New Roman")));
    EXPECT_EQ(received[1], std::make_pair(u'/', std::string("Times New Roman")));
    EXPECT_EQ(received[2].first, u'\uFF1D');
    EXPECT_EQ(received[2].second, "@" + WideToCp932(u"ＭＳ Ｐ明朝"));
    frame.SetActiveView(nullptr);
    grid.Click(QPoint(10, 10));  // no view: the character goes nowhere
    EXPECT_EQ(received.size(), 3u);
}

TEST_F(FrameCommandsTest, PicturesOfTheWindowWithEveryBarThePaletteAndAPicker)
{
    CMainFrame& frame = Start();
    for (bool vertical : {false, true}) {
        frame.SetWritingDirectionUI(vertical);
        frame.resize(1100, 640);
        frame.PaletteBar()->show();
        frame.PaletteBar()->resize(300, 380);
        frame.Palette()->Tab()->Tabs().setCurrentIndex(vertical ? 4 : 5);
        QTest::qWait(30);  // the rebuilt bars laid out
        CPickerPopup* popup = frame.Commands().OpenDropDown(vertical ? 32858 : 32790);
        ASSERT_NE(popup, nullptr);
        QTest::qWait(30);

        QImage picture = frame.grab().toImage();
        {
            QPainter painter(&picture);
            const QPoint at = frame.mapFromGlobal(popup->pos());
            painter.drawImage(at, popup->Render(3));
            painter.drawImage(QPoint(picture.width() - 320, 130), frame.PaletteBar()->grab().toImage());
        }
        popup->close();
        frame.PaletteBar()->hide();
        const QString path = QCoreApplication::applicationDirPath() +
                             (vertical ? "/editor_bars_vertical.png" : "/editor_bars_horizontal.png");
        EXPECT_TRUE(picture.save(path));
        std::cout << "[ picture  ] " << path.toStdString() << std::endl;
    }

    // Every template picker drawn, for a look.
    QImage sheet(40 * 14 + 10, 560, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    {
        QPainter painter(&sheet);
        int x = 5;
        for (unsigned id : {32839u, 32835u, 32838u, 32840u, 32841u, 32842u, 32843u, 32844u, 32845u, 32846u, 32847u,
                            32848u, 32999u, 32998u}) {
            const std::unique_ptr<CPickerMenu> menu = MakeDropDownMenu(id);
            CPickerPopup popup(*menu);
            painter.drawImage(x, 5, popup.Render(-1));
            x += 40;
        }
    }
    EXPECT_TRUE(sheet.save(QCoreApplication::applicationDirPath() + "/editor_template_pickers.png"));
}
