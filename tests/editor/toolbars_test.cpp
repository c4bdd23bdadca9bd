// The toolbars' boxes and buttons: the size and zoom texts, the notifications of Enter and of
// the update pass, the focus texts of the zoom box, the hover button's pictures and the page pane.
#include "editor/toolbars.h"

#include "base/length_units.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

TEST(FormatToolBar, SizeBoxReadsWholeAndHalfPointsAndRefusesTheRest)
{
    CFormatToolBar bar;
    const std::vector<std::pair<QString, std::optional<int>>> cases = {
        {"10.5", 370}, {"12", 423}, {"9.", 318}, {"8", 282}, {"900", 31750}, {"1", 35},
        {"72pt", 2540},  // leading digits
        {"10.25", std::nullopt}, {".5", std::nullopt}, {"0", std::nullopt}, {"901", std::nullopt},
        {"", std::nullopt}, {"abc", std::nullopt}, {"10.6", std::nullopt}, {"10.50", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        bar.SizeBox()->setEditText(text);
        int size = -7;
        EXPECT_EQ(bar.GetSize(&size), expected.has_value()) << text.toStdString();
        EXPECT_EQ(size, expected.value_or(-7)) << text.toStdString();
    }
    // The length unit's own conversion rounds the half point up, one more than the box gives.
    EXPECT_EQ(PointsToHmm(10, 5), 371);
}

TEST(ZoomText, LeadingDigitsClampedToTheZoomRange)
{
    EXPECT_EQ(ParseZoomText(u"75%"), 75);
    EXPECT_EQ(ParseZoomText(u"1000"), 500);
    EXPECT_EQ(ParseZoomText(u"zoom"), 50);
    EXPECT_EQ(ParseZoomText(u"200%"), 200);
    EXPECT_EQ(ParseZoomText(u"10"), 50);
}

namespace {
struct Notices {
    std::vector<BAR_NOTIFY> list;
    BarNotifyTarget Target()
    {
        return [this](const BAR_NOTIFY& notice) { list.push_back(notice); };
    }
};
}  // namespace

TEST(FormatToolBar, SizeBoxReadsAndShowsSizes)
{
    CFormatToolBar bar;
    int size = 0;
    EXPECT_EQ(bar.SizeBox()->currentText(), "10.5");
    ASSERT_TRUE(bar.GetSize(&size));
    EXPECT_EQ(size, 370);
    EXPECT_EQ(bar.SetSize(423), 5);
    EXPECT_EQ(bar.SizeBox()->currentText(), "12");
    EXPECT_EQ(bar.SetSize(370), 3);
    EXPECT_EQ(bar.SizeBox()->currentText(), "10.5");
    EXPECT_EQ(bar.SetSize(PointsToHmm(10, 5)), 3);
    // A size not in the list: no selection, the text in the edit field.
    EXPECT_EQ(bar.SetSize(PointsToHmm(7, 0)), -1);
    EXPECT_EQ(bar.SizeBox()->currentIndex(), -1);
    EXPECT_EQ(bar.SizeBox()->currentText(), "7");
    ASSERT_TRUE(bar.GetSize(&size));
    EXPECT_EQ(size, 247);
    bar.SizeBox()->setEditText("10.25");
    size = 1;
    EXPECT_FALSE(bar.GetSize(&size));
    EXPECT_EQ(size, 1);
}

TEST(FormatToolBar, UnknownFaceLeavesTheSelection)
{
    CFormatToolBar bar;
    bar.FillFontNames(false);
    const int selected = bar.FontNameBox()->currentIndex();
    EXPECT_EQ(bar.SelectFontName(QString::fromUtf16(u"存在しない書体")), -1);
    EXPECT_EQ(bar.FontNameBox()->currentIndex(), selected);
    if (bar.FontNameBox()->count() > 1) {
        const QString face = bar.FontNameBox()->itemText(1);
        EXPECT_EQ(bar.SelectFontName(face), bar.FontNameBox()->findText(face, Qt::MatchExactly));
    }
}

TEST(FormatToolBar, EnterInABoxSendsOneReturnAndTypingStopsTheRefresh)
{
    QWidget window;
    auto* bar = new CFormatToolBar(&window);
    Notices notices;
    bar->notify = notices.Target();
    bar->addAction(bar->BoxAction(BoxId::kFontName));
    bar->addAction(bar->BoxAction(BoxId::kFontSize));
    auto* other = new QLineEdit(&window);
    other->move(0, 60);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    other->setFocus();
    QCoreApplication::processEvents();

    bar->OnUpdateCmdUI();
    ASSERT_EQ(notices.list.size(), 1u);
    EXPECT_EQ(notices.list[0].code, NM_BARCOMBO_SELCHANGE);
    EXPECT_EQ(notices.list[0].idFrom, BoxId::kFontSize);
    EXPECT_EQ(notices.list[0].source, bar->SizeBox());

    bar->SizeBox()->lineEdit()->setFocus();
    bar->SizeBox()->lineEdit()->selectAll();
    QTest::keyClicks(bar->SizeBox()->lineEdit(), "14");
    bar->OnUpdateCmdUI();
    EXPECT_EQ(notices.list.size(), 1u);  // no refresh while the user types
    QTest::keyClick(bar->SizeBox()->lineEdit(), Qt::Key_Return);
    ASSERT_EQ(notices.list.size(), 2u);
    EXPECT_EQ(notices.list[1].code, NM_BARCOMBO_RETURN);
    EXPECT_EQ(notices.list[1].idFrom, BoxId::kFontSize);
    EXPECT_EQ(bar->SizeBox()->currentText(), "14");  // the key did not reach the box

    bar->FontNameBox()->setFocus();
    QTest::keyClick(bar->FontNameBox(), Qt::Key_Return);
    ASSERT_EQ(notices.list.size(), 3u);
    EXPECT_EQ(notices.list[2].idFrom, BoxId::kFontName);
}

TEST(StandardToolBar, ZoomBoxShowsThePercentOnlyWithoutFocus)
{
    QWidget window;
    auto* bar = new CStandardToolBar(&window);
    Notices notices;
    bar->notify = notices.Target();
    bar->addAction(bar->BoxAction(BoxId::kZoom));
    auto* other = new QLineEdit(&window);
    other->move(0, 60);
    bar->SetupControls();
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    other->setFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ(bar->ZoomBox()->currentText(), "100%");
    EXPECT_EQ(bar->GetZoom(), 100);

    bar->ZoomBox()->lineEdit()->setFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ(bar->ZoomBox()->currentText(), "100");
    EXPECT_EQ(bar->ZoomBox()->lineEdit()->selectedText(), "100");
    bar->ZoomBox()->lineEdit()->selectAll();
    QTest::keyClicks(bar->ZoomBox()->lineEdit(), "150");
    QTest::keyClick(bar->ZoomBox()->lineEdit(), Qt::Key_Return);
    ASSERT_EQ(notices.list.size(), 1u);
    EXPECT_EQ(notices.list[0].code, NM_ZOOMCOMBO_RETURN);
    EXPECT_EQ(notices.list[0].idFrom, BoxId::kZoom);
    EXPECT_EQ(bar->GetZoom(), 150);
    QTest::keyClicks(bar->ZoomBox()->lineEdit(), "5");  // a fourth character is refused
    EXPECT_EQ(bar->ZoomBox()->currentText(), "150");

    other->setFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ(bar->ZoomBox()->currentText(), "150%");
    bar->SetZoom(75);
    EXPECT_EQ(bar->ZoomBox()->currentText(), "75%");
    EXPECT_EQ(bar->GetZoom(), 75);
}

TEST(HoverButton, MissingPicturesFallBackToTheNormalOne)
{
    CHoverButton button(33006);
    EXPECT_TRUE(button.SetBitmaps(453, 0, 0, 0));
    EXPECT_EQ(button.Picture(CHoverButton::Face::Hot).cacheKey(), button.Picture(CHoverButton::Face::Normal).cacheKey());
    EXPECT_EQ(button.Picture(CHoverButton::Face::Normal).size(), QSize(100, 22));
    EXPECT_FALSE(button.SetBitmaps(453, 452, 9999, 455));

    CHoverButton search(32884);
    ASSERT_TRUE(search.SetBitmaps(365, 366, 364, 363));
    EXPECT_EQ(search.CurrentFace(), CHoverButton::Face::Normal);
    search.setEnabled(false);
    EXPECT_EQ(search.CurrentFace(), CHoverButton::Face::Disabled);
    search.setEnabled(true);
    search.setDown(true);
    EXPECT_EQ(search.CurrentFace(), CHoverButton::Face::Pressed);
}

TEST(MainStatusBar, ThePagePaneShowsItsText)
{
    CMainStatusBar bar;
    EXPECT_EQ(bar.objectName(), "bar_59393");
    EXPECT_GE(bar.PagePane()->minimumWidth(), 1);
    bar.SetPageText(QString::fromUtf16(u"3ページ"));
    EXPECT_EQ(bar.PagePane()->text(), QString::fromUtf16(u"3ページ"));
}
