// The character palette: its tables against bytes written from the record layout, the clicks
// that send characters and fonts in both writing directions, the painted positions, the tabs,
// the bar's margin and the dialog's close box.
#include "ui/char_palette.h"

#include "platform/codepage.h"
#include "platform/gdi_recording.h"

#include <QApplication>
#include <QFile>
#include <QTabBar>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct SENT {
    char16_t unit;
    std::u16string face;
    LONG escapement;
    LONG orientation;
};

class RecordingTarget : public IPaletteCharTarget {
public:
    std::vector<SENT> sent;
    long OnPaletteChar(char16_t unit, const LOGFONTA& font) override
    {
        sent.push_back({unit, Cp932ToWide(font.lfFaceName), font.lfEscapement, font.lfOrientation});
        return 0;
    }
};

std::vector<SENT> ClickCell(CCharPaletteGrid& grid, int table, int cell, bool vertical)
{
    RecordingTarget target;
    grid.SetTarget(&target);
    grid.SetVertical(vertical);
    grid.SetTable(table);
    // The middle of the cell on a 200 × 160 grid: cells of 20 × 20.
    const int index = cell - 1;
    grid.Click(QPoint(index % 10 * 20 + 10, index / 10 * 20 + 10));
    grid.SetTarget(nullptr);
    return target.sent;
}

QByteArray Record(char16_t click, char16_t font, char16_t first, char16_t second = 0)
{
    std::u16string units{click, font, second ? u'2' : u'1', first, second ? second : u'\u3000'};
    units.append(7, u'\u3000');
    units += u"\r\n";
    return QByteArray(reinterpret_cast<const char*>(units.data()), static_cast<qsizetype>(units.size() * 2));
}

class PaletteGrid : public ::testing::Test {
protected:
    PaletteGrid()
    {
        grid.resize(200, 160);
        for (const PALETTE_TAB& tab : PaletteTabs(kCharPaletteMode))
            EXPECT_TRUE(grid.LoadTable(tab.tableId));
        for (const PALETTE_TAB& tab : PaletteTabs(kGaijiPaletteMode))
            EXPECT_TRUE(grid.LoadTable(tab.tableId));
    }
    CCharPaletteGrid grid;
};

}  // namespace

TEST(PaletteTables, RelationAndUnitTablesHoldTheListedRecords)
{
    // Table 416: relations, the gaiji-font "≠" and the two-character "//" in Times New Roman.
    QByteArray expected("\xFF\xFE", 2);
    for (char16_t c : {u'\uFF1D', u'\u2252', u'\u2260'})
        expected += Record(u'1', u'0', c);
    expected += Record(u'1', u'1', u'\u2260');
    for (char16_t c : {u'\uFF1C', u'\uFF1E', u'\u2266', u'\u2267', u'\u2261', u'\u223D', u'\u221D', u'\u22A5'})
        expected += Record(u'1', u'0', c);
    expected += Record(u'1', u'2', u'/', u'/');
    QFile file(":/tarsel/palette/palette_416.bin");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toHex(' '), expected.toHex(' '));

    // Table 420: a Mincho middle dot, then eight gaiji-font characters.
    expected = QByteArray("\xFF\xFE", 2) + Record(u'1', u'3', u'\u30FB');
    for (char16_t c : {u'\u2010', u'\uFF1A', u'\u2025', u'\uFF1D', u'\u2261', u'\u2162', u'\uFF0F', u'\uFF3C'})
        expected += Record(u'1', u'1', c);
    QFile electrons(":/tarsel/palette/palette_420.bin");
    ASSERT_TRUE(electrons.open(QIODevice::ReadOnly));
    EXPECT_EQ(electrons.readAll().toHex(' '), expected.toHex(' '));
}

TEST_F(PaletteGrid, TablesLoadWithTheirRecordCountsInTabOrder)
{
    const std::vector<int> counts = {15, 8, 13, 12, 49, 62, 9, 10, 10, 72,
                                     80, 72, 67, 73, 80, 80, 75, 78, 80, 80, 78, 78};
    ASSERT_EQ(grid.TableCount(), 22);
    for (int i = 0; i < 22; ++i)
        EXPECT_EQ(grid.RecordCount(i), counts[i]) << i;
    // Greek: capitals without U+03A2, then the small letters with final sigma.
    EXPECT_EQ(grid.Records(4)[17].units[3], u'\u03A3');
    EXPECT_EQ(grid.Records(4)[48].units[3], u'\u03C9');
    // A missing table adds nothing.
    EXPECT_FALSE(grid.LoadTable(999));
    EXPECT_EQ(grid.TableCount(), 22);
}

TEST_F(PaletteGrid, AClickSendsTheCharacterInItsFontInBothDirections)
{
    struct Case {
        int table, cell;
        bool vertical;
        std::vector<SENT> sent;
    };
    const std::vector<Case> cases = {
        {0, 1, false, {{u'\u21D2', u"ＭＳ Ｐ明朝", 0, 0}}},
        {0, 1, true, {{u'\u21D2', u"@ＭＳ Ｐ明朝", 2700, 2700}}},
        {0, 12, false, {{u'\u2192', u"Orvellan Gaiji", 0, 0}}},
        {0, 12, true, {{u'\u2192', u"@Orvellan Gaiji", 2700, 2700}}},
        {6, 1, true, {{u'\u30FB', u"@ＭＳ 明朝", 2700, 2700}}},
        // Two-character records: two messages, first character first.
        {2, 13, false, {{u'/', u"Times New Roman", 0, 0}, {u'/', u"Times New Roman", 0, 0}}},
        {2, 13, true, {{u'/', u"@Times New Roman", 2700, 2700}, {u'/', u"@Times New Roman", 2700, 2700}}},
        {5, 7, false, {{u'k', u"ＭＳ Ｐ明朝", 0, 0}, {u'J', u"ＭＳ Ｐ明朝", 0, 0}}},
        {5, 7, true, {{u'k', u"@ＭＳ Ｐ明朝", 2700, 2700}, {u'J', u"@ＭＳ Ｐ明朝", 2700, 2700}}},
        // Gaiji palette: a green heading and a filler send nothing, the characters do.
        {11, 1, false, {}},
        {11, 11, false, {}},
        {11, 2, true, {{u'\u52AD', u"@Orvellan Gaiji", 2700, 2700}}},
        // Past the last record of a short table.
        {1, 9, false, {}},
        {1, 80, false, {}},
    };
    for (const Case& c : cases) {
        const std::vector<SENT> sent = ClickCell(grid, c.table, c.cell, c.vertical);
        ASSERT_EQ(sent.size(), c.sent.size()) << c.table << "/" << c.cell;
        for (size_t i = 0; i < sent.size(); ++i) {
            EXPECT_EQ(sent[i].unit, c.sent[i].unit) << c.table << "/" << c.cell;
            EXPECT_EQ(sent[i].face, c.sent[i].face) << c.table << "/" << c.cell;
            EXPECT_EQ(sent[i].escapement, c.sent[i].escapement);
            EXPECT_EQ(sent[i].orientation, c.sent[i].orientation);
        }
    }
}

TEST_F(PaletteGrid, HitTestCountsCellsFromOneAndRefusesPastTheEnd)
{
    grid.SetTable(1);  // 8 records
    EXPECT_EQ(grid.HitTest(QPoint(0, 0)), 1);
    EXPECT_EQ(grid.HitTest(QPoint(159, 19)), 8);
    EXPECT_EQ(grid.HitTest(QPoint(179, 19)), -1);
    EXPECT_EQ(grid.HitTest(QPoint(0, 20)), -1);
}

TEST_F(PaletteGrid, PaintingCentresEachRecordOnItsCellsBaseline)
{
    grid.SetTable(2);
    CRecordingDC dc;
    grid.Paint(&dc, 200, 160);
    std::vector<GdiCall> texts;
    for (const GdiCall& call : dc.Calls())
        if (call.op == GdiOp::TextOutW)
            texts.push_back(call);
    ASSERT_EQ(texts.size(), 14u);  // 12 single records and the two characters of "//"
    // Synthetic metrics of the 19-pixel screen font: height 19, descent 19 − 15 = 4.
    const int baseline = 1 + 10 + (19 / 2 - 4);
    EXPECT_EQ(texts[0].points[0].x, 1 + 10);
    EXPECT_EQ(texts[0].points[0].y, baseline);
    EXPECT_EQ(texts[0].textAlign, TA_CENTER | TA_BASELINE);
    EXPECT_EQ(texts[0].textColor, 0x000000u);
    // Record 12 ("//") in the second row: x0 = 41, characters at x0 + 5 and x0 + 10.
    EXPECT_EQ(texts[12].text, u"/");
    EXPECT_EQ(texts[12].points[0].x, 41 + 5);
    EXPECT_EQ(texts[13].points[0].x, 41 + 10);
    EXPECT_EQ(texts[12].points[0].y, 21 + 10 + (19 / 2 - 4));
    EXPECT_EQ(texts[12].FaceName(), "Times New Roman");

    // A gaiji heading is green.
    grid.SetTable(11);
    CRecordingDC gaiji;
    grid.Paint(&gaiji, 200, 160);
    for (const GdiCall& call : gaiji.Calls())
        if (call.op == GdiOp::TextOutW) {
            EXPECT_EQ(call.text, u"\u52AC");
            EXPECT_EQ(call.textColor, 0x008000u);
            break;
        }
}

TEST(PaletteTab, OnlyTheUsersTabChoiceSwitchesTheTable)
{
    CCharPaletteTab tab;
    ASSERT_TRUE(tab.Create(nullptr));
    tab.LoadMode(kCharPaletteMode);
    EXPECT_EQ(tab.Tabs().count(), 10);
    EXPECT_EQ(tab.Tabs().tabText(4), QString::fromUtf16(u"ギリシャ文字"));
    tab.SelectTab(3);
    EXPECT_EQ(tab.Grid().CurrentTable(), 0);
    // The user's choice arrives as the tab bar's change notice.
    tab.Tabs().setCurrentIndex(5);
    EXPECT_EQ(tab.Grid().CurrentTable(), 5);
}

TEST(PaletteBar, TheTabsKeepAFiftiethOfTheBarAsMargin)
{
    CCharPaletteBar bar;
    ASSERT_TRUE(bar.Create(nullptr, kGaijiPaletteMode, true));
    EXPECT_EQ(bar.windowTitle(), QString::fromUtf16(u"外字パレット"));
    EXPECT_EQ(bar.Tab()->Tabs().count(), 12);
    EXPECT_TRUE(bar.Tab()->Grid().Vertical());
    bar.resize(300, 400);
    bar.show();
    EXPECT_EQ(bar.Tab()->geometry(), QRect(6, 8, 288, 384));
}

namespace {
class Owner : public QWidget {
public:
    int closed = 0;
    bool event(QEvent* event) override
    {
        if (event->type() == PaletteClosedEvent::kType) {
            ++closed;
            return true;
        }
        return QWidget::event(event);
    }
};
}  // namespace

TEST(PaletteDialog, TheCloseBoxTellsTheOwnerAndKeepsTheDialog)
{
    Owner owner;
    auto* dialog = new CPaletteDlg;
    ASSERT_TRUE(dialog->Create(&owner, kGaijiPaletteMode, 7));
    dialog->show();
    dialog->close();
    QCoreApplication::processEvents();
    EXPECT_EQ(owner.closed, 1);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(dialog->Tab()->Grid().Vertical());
    EXPECT_EQ(dialog->Tab()->Tabs().count(), 12);
}
