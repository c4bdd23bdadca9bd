// The menus: the icon table and text pool, the picker tables and look-ups, and what each picker
// and the icon menu draw, recorded on the recording device context.
#include "ui/menus.h"

#include "base/gdi_cache.h"
#include "platform/gdi_recording.h"

#include <QIcon>
#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

namespace {

std::vector<GdiCall> Drawn(const CRecordingDC& dc, GdiOp op)
{
    std::vector<GdiCall> calls;
    for (const GdiCall& call : dc.Calls())
        if (call.op == op)
            calls.push_back(call);
    return calls;
}

MENU_DRAW_ITEM Item(unsigned id, uintptr_t data, RECT rect, UINT state = 0)
{
    MENU_DRAW_ITEM item;
    item.id = id;
    item.data = data;
    item.rect = rect;
    item.state = state;
    return item;
}

QIcon SomeIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::red);
    return QIcon(pixmap);
}

bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

TEST(MenuTextPool, EqualTextsShareOneEntry)
{
    CMenuTextPool pool;
    EXPECT_EQ(pool.Add(u"開く(&O)...\tCtrl+O"), 0);
    EXPECT_EQ(pool.Add(u""), 1);
    EXPECT_EQ(pool.Add(u"終了(&X)"), 2);
    EXPECT_EQ(pool.Add(u""), 1);
    EXPECT_EQ(pool.Add(u"開く(&O)...\tCtrl+O"), 0);
    EXPECT_EQ(pool.GetText(2), u"終了(&X)");
    EXPECT_EQ(pool.GetText(3), u"");
    EXPECT_EQ(pool.GetText(-1), u"");
}

TEST(MenuIconTable, SlotsKeepTheirIdsAndUnknownIdsChangeNothing)
{
    CMenuIconTable table;
    ASSERT_TRUE(table.Append(57600, QIcon()));
    ASSERT_TRUE(table.Append(57601, SomeIcon()));
    ASSERT_TRUE(table.Append(57600, SomeIcon()));
    EXPECT_EQ(table.IndexOf(57600), 0);
    // The first slot with the id and an icon.
    EXPECT_FALSE(table.GetIcon(57600).isNull());
    EXPECT_TRUE(table.SetIcon(12345, SomeIcon()).isNull());
    EXPECT_EQ(table.IndexOf(12345), -1);
    EXPECT_EQ(table.Count(), 3);
    const QIcon previous = table.SetIcon(57601, QIcon());
    EXPECT_FALSE(previous.isNull());
    EXPECT_TRUE(table.GetIcon(57601).isNull());
    for (int i = 3; i < CMenuIconTable::kSlots; ++i)
        ASSERT_TRUE(table.Append(1, QIcon()));
    EXPECT_FALSE(table.Append(2, QIcon()));
}

TEST(PickerTables, LookUpsFindTheFirstTableHoldingTheId)
{
    EXPECT_EQ(FindColorMenuItem(32818), 0);
    EXPECT_EQ(FindColorMenuItem(32815), 15);
    EXPECT_EQ(FindColorMenuItem(32816), -1);
    EXPECT_EQ(FindShadeMenuItem(32863), 6);
    EXPECT_EQ(FindLineMenuItem(32945), 7);
    EXPECT_EQ(FindLineMenuItem(32955), 7);  // the border table's last item
    EXPECT_EQ(FindLineMenuItem(32937), 8);
    EXPECT_EQ(FindTemplateMenuItem(183), 1);
    EXPECT_EQ(FindTemplateMenuItem(191), 3);
    EXPECT_EQ(FindTemplateMenuItem(393), 2);
    EXPECT_EQ(FindTemplateMenuItem(190), -1);

    CLineMenu border;
    ASSERT_TRUE(border.Create(2));
    ASSERT_EQ(border.Items().size(), 8u);
    EXPECT_EQ(border.Items().back().id, 32955u);
    for (const PICKER_ITEM& item : border.Items())
        EXPECT_NE(border.GetItemKind(item.id), 8);
    CLineMenu other;
    EXPECT_TRUE(other.Create(3));
    EXPECT_TRUE(other.Items().empty());
    CTemplateMenu brackets;
    ASSERT_TRUE(brackets.Create(1));
    EXPECT_EQ(brackets.Items().size(), 21u);
    EXPECT_EQ(brackets.Items()[20].data, 20u);
    CColorMenu back;
    ASSERT_TRUE(back.Create(1));
    EXPECT_EQ(back.Items()[5].id, 32805u);
    EXPECT_EQ(back.GetItemColor(32805), 0x0000FFu);
    EXPECT_EQ(back.GetItemColor(32823), MenuColor::kWindowText);  // a text colour id
}

TEST(PickerDrawing, ColourAndShadeSamplesFillTheSampleRectangle)
{
    CreateGdiResources();
    CColorMenu colors;
    ASSERT_TRUE(colors.Create(0));
    CRecordingDC dc;
    const RECT r{0, 16, 20, 32};
    colors.DrawItem(&dc, Item(32823, 32823, r, ODS_SELECTED));
    const auto fills = Drawn(dc, GdiOp::FillSolidRect);
    ASSERT_FALSE(fills.empty());
    EXPECT_TRUE(SameRect(fills.back().rect, RECT{2, 18, 14, 30}));
    EXPECT_EQ(fills.back().color, 0x0000FFu);
    EXPECT_GT(fills.size(), 1u);  // the raised frame, before the swatch

    // An item whose data is not its id is not drawn.
    CRecordingDC none;
    colors.DrawItem(&none, Item(32823, 7, r));
    EXPECT_TRUE(none.Calls().empty());

    CShadeMenu shades;
    ASSERT_TRUE(shades.Create());
    for (const SHADE_ENTRY& entry : ShadeTable()) {
        CRecordingDC shade;
        shades.DrawItem(&shade, Item(entry.id, entry.id, r));
        const auto brushFills = Drawn(shade, GdiOp::FillRect);
        if (entry.kind == 0) {
            EXPECT_EQ(brushFills.size(), 1u);  // only the background
            continue;
        }
        ASSERT_EQ(brushFills.size(), 2u) << entry.id;
        EXPECT_TRUE(SameRect(brushFills[1].rect, RECT{2, 18, 14, 30}));
        EXPECT_EQ(brushFills[1].brush.style, BS_PATTERN);
        CRecordingDC reference;
        reference.FillRect(&r, GetPatternBrush(entry.kind - 1));
        EXPECT_EQ(brushFills[1].brush, Drawn(reference, GdiOp::FillRect)[0].brush) << entry.id;
    }
}

TEST(PickerDrawing, LineSamplesRunAcrossTheItem)
{
    CreateGdiResources();
    CLineMenu lines;
    ASSERT_TRUE(lines.Create(0));
    const RECT r{0, 32, 47, 48};  // H 16: d 3, m 8
    struct Case {
        unsigned id;
        std::vector<int> ys;
        int style;
        int width;
    };
    const std::vector<Case> cases = {{32938, {40}, PS_SOLID, 0},   {32939, {38, 41}, PS_SOLID, 0},
                                     {32940, {40}, PS_SOLID, 2},   {32942, {40}, PS_DASH, 1},
                                     {32941, {40}, PS_DOT, 1},     {32943, {40}, PS_DASHDOT, 1},
                                     {32944, {40}, PS_DASHDOTDOT, 1}};  // the cache's pens
    for (const Case& c : cases) {
        CRecordingDC dc;
        lines.DrawItem(&dc, Item(c.id, c.id, r));
        const auto drawn = Drawn(dc, GdiOp::LineTo);
        ASSERT_EQ(drawn.size(), c.ys.size()) << c.id;
        for (size_t i = 0; i < drawn.size(); ++i) {
            EXPECT_EQ(drawn[i].points[0].x, 0);
            EXPECT_EQ(drawn[i].points[1].x, 47);
            EXPECT_EQ(drawn[i].points[0].y, c.ys[i]) << c.id;
            EXPECT_EQ(drawn[i].pen.style, c.style) << c.id;
            EXPECT_EQ(drawn[i].pen.width, c.width) << c.id;
        }
    }

    // The wave: d 3, a = 38, b = 42, n = 47 / 3 = 15 segments, 3n + 1 points.
    CRecordingDC wave;
    lines.DrawItem(&wave, Item(32945, 32945, r));
    const auto curves = Drawn(wave, GdiOp::PolyBezier);
    ASSERT_EQ(curves.size(), 1u);
    const auto& p = curves[0].points;
    ASSERT_EQ(p.size(), 46u);
    EXPECT_EQ(p[0].x, 0);
    EXPECT_EQ(p[0].y, 42);
    EXPECT_EQ(p[1].x, 1);
    EXPECT_EQ(p[1].y, 42);
    EXPECT_EQ(p[2].x, 1);
    EXPECT_EQ(p[2].y, 38);
    EXPECT_EQ(p[3].x, 3);
    EXPECT_EQ(p[3].y, 38);
    EXPECT_EQ(p[4].y, 38);  // segment 1 starts on the upper line
    EXPECT_EQ(p[6].y, 42);
    EXPECT_EQ(p[45].x, 15 * 3 + 1);  // the last segment ends at left + n·d + d/2

    // None: the word drawn as text.
    CRecordingDC none;
    lines.DrawItem(&none, Item(32937, 32937, r));
    const auto texts = Drawn(none, GdiOp::TextOutW);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, u"なし");
    EXPECT_EQ(texts[0].bkMode, TRANSPARENT);
}

TEST(PickerDrawing, TemplateItemsShowTheirIconOnTheFaceColour)
{
    CTemplateMenu roots;
    ASSERT_TRUE(roots.Create(3));
    CRecordingDC dc;
    const RECT r{0, 24, 27, 48};
    roots.DrawItem(&dc, Item(183, 1, r, ODS_SELECTED));
    const auto fills = Drawn(dc, GdiOp::FillSolidRect);
    ASSERT_FALSE(fills.empty());
    EXPECT_TRUE(SameRect(fills[0].rect, r));
    EXPECT_EQ(fills[0].color, MenuColor::kButtonFace);
    const auto icons = Drawn(dc, GdiOp::SetDIBitsToDevice);
    ASSERT_EQ(icons.size(), 1u);
    EXPECT_EQ(icons[0].rect.left, 0);
    EXPECT_EQ(icons[0].rect.top, 24);
    EXPECT_EQ(icons[0].rect.right - icons[0].rect.left, 24);
}

TEST(IconMenu, LabelsSplitAtTheFirstTab)
{
    CRecordingDC dc;
    const RECT r{24, 0, 200, 20};
    CIconMenu::DrawItemText(&dc, r, u"開く\tCtrl+O");
    auto texts = Drawn(dc, GdiOp::TextOutW);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].text, u"開く");
    EXPECT_EQ(texts[0].points[0].x, 24);
    EXPECT_EQ(texts[1].text, u"Ctrl+O");
    SIZE extent{};
    dc.GetTextExtentPoint32W(u"Ctrl+O", 6, &extent);
    EXPECT_EQ(texts[1].points[0].x, 200 - extent.cx);
    EXPECT_EQ(texts[1].points[0].y, (20 - extent.cy) / 2);

    CRecordingDC whole;
    CIconMenu::DrawItemText(&whole, r, u"\tCtrl+O");
    texts = Drawn(whole, GdiOp::TextOutW);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, u"\tCtrl+O");
}

TEST(IconMenu, MeasuresAndDrawsByItemState)
{
    CMenuIconTable icons;
    CMenuTextPool texts;
    icons.Append(57601, SomeIcon());
    const int open = texts.Add(u"開く(&O)\tCtrl+O");
    const int exit = texts.Add(u"終了(&X)");
    CIconMenu menu(icons, texts);
    CRecordingDC dc;
    const SIZE separator = menu.MeasureItem(&dc, 0, 0);
    EXPECT_EQ(separator.cx, 18);
    EXPECT_EQ(separator.cy, CIconMenu::kMenuHeight / 2);
    SIZE extent{};
    const std::u16string label = texts.GetText(open);
    dc.GetTextExtentPoint32W(label.data(), static_cast<int>(label.size()), &extent);
    EXPECT_EQ(menu.MeasureItem(&dc, 57601, static_cast<uintptr_t>(open)).cx, extent.cx + 42);

    // Selected with an icon: highlight from R.left + 20, the icon at (R.left + 1, R.top + 2).
    const RECT r{0, 40, 160, 60};
    CRecordingDC selected;
    menu.DrawItem(&selected, Item(57601, static_cast<uintptr_t>(open), r, ODS_SELECTED));
    const auto fills = Drawn(selected, GdiOp::FillSolidRect);
    ASSERT_FALSE(fills.empty());
    EXPECT_TRUE(SameRect(fills[0].rect, RECT{20, 40, 160, 60}));
    EXPECT_EQ(fills[0].color, MenuColor::kHighlight);
    const auto iconCalls = Drawn(selected, GdiOp::SetDIBitsToDevice);
    ASSERT_EQ(iconCalls.size(), 1u);
    EXPECT_EQ(iconCalls[0].rect.left, 1);
    EXPECT_EQ(iconCalls[0].rect.top, 42);
    const auto labels = Drawn(selected, GdiOp::TextOutW);
    ASSERT_EQ(labels.size(), 2u);
    EXPECT_EQ(labels[0].points[0].x, 24);
    EXPECT_EQ(labels[0].textColor, MenuColor::kHighlightText);

    // Greyed without an icon: all of R in the menu colour, the text embossed.
    CRecordingDC grayed;
    menu.DrawItem(&grayed, Item(57665, static_cast<uintptr_t>(exit), r, ODS_GRAYED));
    EXPECT_TRUE(SameRect(Drawn(grayed, GdiOp::FillSolidRect)[0].rect, r));
    const auto embossed = Drawn(grayed, GdiOp::TextOutW);
    ASSERT_EQ(embossed.size(), 2u);
    EXPECT_EQ(embossed[0].points[0].x, 25);
    EXPECT_EQ(embossed[0].textColor, MenuColor::kButtonHighlight);
    EXPECT_EQ(embossed[1].points[0].x, 24);
    EXPECT_EQ(embossed[1].textColor, MenuColor::kGrayText);

    // Checked without an icon: the check-mark icon in the box.
    CRecordingDC checked;
    menu.DrawItem(&checked, Item(59392, static_cast<uintptr_t>(exit), r, ODS_CHECKED));
    EXPECT_EQ(Drawn(checked, GdiOp::SetDIBitsToDevice).size(), 1u);
    EXPECT_FALSE(Drawn(checked, GdiOp::SetPixel).empty());
}
