// The dialogs that choose fonts, over an installed-font list of the test's own: the numbering
// dialog with its drawn line kinds, and the font-defaults sheet.
#include "base/gdi_cache.h"
#include "dialogs/font_default_sheet.h"
#include "dialogs/underline_number_dialog.h"
#include "platform/codepage.h"
#include "platform/gdi_recording.h"
#include "tests/dialogs/dialog_fixture.h"

#include <QCheckBox>
#include <QTabWidget>

#include <cstring>

namespace {

// Three installed faces, sorted: "Alpha" (first, so once unchoosable), "Beta" (OpenType), "明朝".
class InstalledFonts : public ::testing::Test {
protected:
    void SetUp() override
    {
        CInstalledFontList& list = CGdiCache::Instance().InstalledFonts();
        m_saved = SaveList(list);
        list.Clear();
        Add(list, "Alpha", 1, 0);
        Add(list, "Beta", 0, 0x40000);
        Add(list, WideToCp932(u"明朝").c_str(), 128, 0);
        list.Sort();
    }
    void TearDown() override
    {
        CInstalledFontList& list = CGdiCache::Instance().InstalledFonts();
        list.Clear();
        for (const auto& [font, metrics] : m_saved)
            list.Add(font, metrics);
        list.Sort();
    }

    static LOGFONTA Face(const char* name)
    {
        LOGFONTA font{};
        std::strncpy(font.lfFaceName, name, LF_FACESIZE - 1);
        font.lfHeight = -500;
        font.lfWeight = 700;
        return font;
    }

private:
    static void Add(CInstalledFontList& list, const char* face, BYTE charset, DWORD flags)
    {
        LOGFONTA font = Face(face);
        font.lfHeight = 0;
        font.lfWeight = 0;
        font.lfCharSet = charset;
        font.lfPitchAndFamily = 0x31;
        NEWTEXTMETRICA metrics{};
        metrics.ntmFlags = flags;
        list.Add(font, metrics);
    }
    static std::vector<std::pair<LOGFONTA, NEWTEXTMETRICA>> SaveList(const CInstalledFontList& list)
    {
        std::vector<std::pair<LOGFONTA, NEWTEXTMETRICA>> saved;
        for (int i = 0; i < list.GetCount(); ++i) {
            saved.emplace_back();
            list.Get(i, &saved.back().first);
            list.GetMetric(i, &saved.back().second);
        }
        return saved;
    }
    std::vector<std::pair<LOGFONTA, NEWTEXTMETRICA>> m_saved;
};

// ---------------------------------------------------------------------------------------------
// Line kinds

std::vector<GdiCall> DrawKind(int itemData, bool selected = false)
{
    CreateGdiResources();
    CUnderlineCombo combo;
    CRecordingDC dc;
    combo.DrawItem(&dc, RECT{0, 0, 120, 16}, itemData, selected);
    return dc.Calls();
}

std::vector<GdiCall> Lines(const std::vector<GdiCall>& calls)
{
    std::vector<GdiCall> lines;
    for (const GdiCall& call : calls)
        if (call.op == GdiOp::LineTo)
            lines.push_back(call);
    return lines;
}

TEST(UnderlineCombo, DrawsEachLineKindAcrossTheItem)
{
    // L = 10, R = 110, h = 16, mid = 8.
    struct LineCase {
        int data;
        std::vector<int> ys;
        int penStyle;
        int penWidth;
    } cases[] = {
        {1, {8}, PS_SOLID, 0},   {2, {6, 9}, PS_SOLID, 0}, {3, {8}, PS_SOLID, 2}, {4, {8}, PS_DASH, 1},
        {5, {8}, PS_DOT, 1},     {6, {8}, PS_DASHDOT, 1},  {7, {8}, PS_DASHDOTDOT, 1},
    };
    for (const LineCase& c : cases) {
        const std::vector<GdiCall> calls = DrawKind(c.data);
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls.front().op, GdiOp::FillRect) << c.data;
        EXPECT_EQ(calls.front().brush.color, 0xFFFFFFu) << c.data;
        const std::vector<GdiCall> lines = Lines(calls);
        ASSERT_EQ(lines.size(), c.ys.size()) << c.data;
        for (size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(lines[i].points[0].x, 10) << c.data;
            EXPECT_EQ(lines[i].points[1].x, 110) << c.data;
            EXPECT_EQ(lines[i].points[0].y, c.ys[i]) << c.data;
            EXPECT_EQ(lines[i].pen.style, c.penStyle) << c.data;
            EXPECT_EQ(lines[i].pen.width, c.penWidth) << c.data;
            EXPECT_EQ(lines[i].pen.color, 0u) << c.data;
        }
        EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](const GdiCall& g) { return g.op == GdiOp::FrameRect; }), 0);
    }
}

TEST(UnderlineCombo, DrawsTheWaveAsOneBezierChainAndFramesTheSelection)
{
    const std::vector<GdiCall> calls = DrawKind(8, true);
    std::vector<GdiCall> beziers;
    for (const GdiCall& call : calls)
        if (call.op == GdiOp::PolyBezier)
            beziers.push_back(call);
    ASSERT_EQ(beziers.size(), 1u);
    const std::vector<POINT>& p = beziers[0].points;
    // n = 20 half-waves, 61 points between y 10 (lower: 16 - 8 + 2) and y 6 (upper: 8 - 2).
    ASSERT_EQ(p.size(), 61u);
    const std::vector<POINT> first = {{10, 10}, {12, 10}, {12, 6}, {15, 6}, {17, 6}, {17, 10}, {20, 10}};
    for (size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(p[i].x, first[i].x) << i;
        EXPECT_EQ(p[i].y, first[i].y) << i;
    }
    EXPECT_EQ(p[58].x, 10 + 5 * 19 + 2);  // the last half-wave's controls
    EXPECT_EQ(p[60].x, 10 + 5 * 20 + 2);  // and its end
    EXPECT_EQ(p[60].y, 10);
    EXPECT_EQ(beziers[0].pen.style, PS_SOLID);
    EXPECT_EQ(calls.back().op, GdiOp::FrameRect);
    EXPECT_EQ(calls.back().brush.color, 0u);
}

// ---------------------------------------------------------------------------------------------
// Numbering

class UnderlineNumberDialog : public InstalledFonts {};

TEST_F(UnderlineNumberDialog, StartValuesByKindAndText)
{
    struct StartCase {
        int kind;
        int start;
        const char* shownText;  // the start edit, or null
        int list;               // the list to choose in, or 0
        int chooseIndex;
        const char16_t* typed;  // typed into the start edit, or null
        int expected;
    } cases[] = {
        {1, 0, "自動", 0, 0, nullptr, 0},
        {1, 7, "7", 0, 0, nullptr, 7},
        {1, 7, "7", 0, 0, u"自動", 0},
        {1, 0, "自動", 0, 0, u" 12", 12},
        {1, 0, "自動", 0, 0, u"1a", 0},
        {2, 0, "自動", 1228, 3, nullptr, 3},
        {3, 5, "自動", 0, 0, nullptr, 5},
        {0, 20, "自動", 0, 0, nullptr, 20},
        {5, 2, "自動", 1226, 4, nullptr, 4},
    };
    for (const StartCase& c : cases) {
        CUnderlineNumberDlg dialog;
        dialog.m_numberKind = c.kind;
        dialog.m_start = c.start;
        dialog.show();
        EXPECT_EQ(ControlText(&dialog, CUnderlineNumberDlg::kNumberStart).toStdString(), c.shownText) << c.kind << "/" << c.start;
        if (c.list != 0)
            FindControl<QComboBox>(&dialog, c.list)->setCurrentIndex(c.chooseIndex);
        if (c.typed != nullptr)
            TypeInto(&dialog, CUnderlineNumberDlg::kNumberStart, QString::fromUtf16(c.typed));
        Click(&dialog, IDOK);
        EXPECT_EQ(dialog.result(), IDOK);
        EXPECT_EQ(dialog.m_start, c.expected) << c.kind << "/" << c.start;
        EXPECT_EQ(dialog.m_numberKind, c.kind);
    }
    CUnderlineNumberDlg katakana;
    katakana.show();
    EXPECT_EQ(FindControl<QComboBox>(&katakana, 1228)->itemText(3), QString::fromUtf16(u"(ウ)"));
    EXPECT_EQ(FindControl<QComboBox>(&katakana, 1228)->count(), 47);
    EXPECT_EQ(FindControl<QComboBox>(&katakana, 1229)->count(), 27);
    EXPECT_EQ(FindControl<QComboBox>(&katakana, 1226)->count(), 21);
}

TEST_F(UnderlineNumberDialog, SizeKeepsAnUneditedValueAndReadsTypedOnesByTheTenthsRule)
{
    const std::pair<const char*, int> cases[] = {{nullptr, 5}, {"10.5", 371}, {"0.0", 0}, {"11", -1}};
    for (const auto& [typed, expected] : cases) {
        MessageRecorder recorder;
        CUnderlineNumberDlg dialog;
        dialog.show();
        EXPECT_EQ(ControlText(&dialog, CUnderlineNumberDlg::kSize), "0");
        if (typed != nullptr)
            TypeInto(&dialog, CUnderlineNumberDlg::kSize, typed);
        Click(&dialog, IDOK);
        if (expected < 0) {
            EXPECT_TRUE(dialog.isVisible());
            ASSERT_EQ(recorder.messages.size(), 1u);
            EXPECT_EQ(recorder.messages[0].caption, u"フォントサイズ");
        } else {
            EXPECT_EQ(dialog.result(), IDOK);
            EXPECT_EQ(dialog.m_size, expected);
        }
    }
}

TEST_F(UnderlineNumberDialog, EveryInstalledFaceCanBeChosenAndAnAbsentOneIsKept)
{
    CUnderlineNumberDlg dialog;
    dialog.show();
    auto* fonts = FindControl<QComboBox>(&dialog, 1000);
    ASSERT_EQ(fonts->count(), 3);
    EXPECT_EQ(fonts->currentIndex(), -1);  // "ＭＳ Ｐゴシック" is not installed here
    EXPECT_EQ(fonts->placeholderText(), QString::fromUtf16(u"ＭＳ Ｐゴシック"));
    Click(&dialog, IDOK);
    EXPECT_EQ(dialog.m_fontFace, QString::fromUtf16(u"ＭＳ Ｐゴシック"));

    CUnderlineNumberDlg chosen;
    chosen.show();
    FindControl<QComboBox>(&chosen, 1000)->setCurrentIndex(0);
    FindControl<QComboBox>(&chosen, CUnderlineNumberDlg::kLineKind)->setCurrentIndex(7);
    Click(&chosen, IDOK);
    EXPECT_EQ(chosen.m_fontFace, "Alpha");
    EXPECT_EQ(chosen.m_lineKind, 7);

    CUnderlineNumberDlg formula(nullptr, 1001);
    EXPECT_NE(FindControl<QComboBox>(&formula, 1001), nullptr);
    EXPECT_EQ(FindControl<QComboBox>(&formula, 1000), nullptr);
}

TEST_F(UnderlineNumberDialog, DefaultsOnlyDisablesTheStartsAndTheCustomChoice)
{
    CUnderlineNumberDlg dialog;
    dialog.m_defaultsOnly = 1;
    dialog.show();
    for (int id : {1226, 1233, 1228, 1229, 1230, 1224, 1225})
        EXPECT_FALSE(FindControl<QWidget>(&dialog, id)->isEnabled()) << id;
    for (int id : {1218, 1219, 1220, 1221, 1222, 1223, 1000, 1232})
        EXPECT_TRUE(FindControl<QWidget>(&dialog, id)->isEnabled()) << id;
}

// ---------------------------------------------------------------------------------------------
// Font defaults

class FontDefaultSheet : public InstalledFonts {
protected:
    // Six entries: text full-width, half-width, digits; formula letters, digits, operators.
    void Fill(DEFAULT_FONT entries[6])
    {
        const char* faces[6] = {"Beta", "Nowhere", "Alpha", "Beta", "Alpha", "Nowhere"};
        for (int i = 0; i < 6; ++i) {
            entries[i].font = Face(faces[i]);
            entries[i].italic = i % 2;
            entries[i].height = 300 + i;
        }
    }
};

TEST_F(FontDefaultSheet, ShowsSizesByTheHalfPointRules)
{
    const std::pair<int, const char*> cases[] = {{370, "10.5"}, {247, "7"}, {395, "11"}, {-370, "10.5"}};
    for (const auto& [height, text] : cases) {
        CFontDefaultSheet sheet;
        sheet.TextPage().heights[0] = height;
        sheet.show();
        auto* size = FindControl<QComboBox>(&sheet.TextPage(), 1001);
        EXPECT_EQ(size->currentText(), text) << height;
        // 7 points is typed, not the entry "72"; listed sizes are selected.
        EXPECT_EQ(size->currentIndex() >= 0, height != 247) << height;
    }
}

TEST_F(FontDefaultSheet, TakesChosenFacesAndOneSizeForAllThreeRows)
{
    DEFAULT_FONT entries[6];
    Fill(entries);
    CFontDefaultSheet sheet;
    sheet.SetEntries(entries);
    sheet.show();
    CFontDefaultPage& page = sheet.TextPage();
    auto* full = FindControl<QComboBox>(&page, 1000);
    auto* half = FindControl<QComboBox>(&page, 1209);
    auto* digits = FindControl<QComboBox>(&page, 1258);
    EXPECT_EQ(full->currentText(), "Beta");
    // Only "Beta" carries the OpenType flag, so only its entry has the other icon.
    EXPECT_FALSE(full->itemIcon(0).isNull());
    EXPECT_EQ(full->itemIcon(0).cacheKey(), full->itemIcon(2).cacheKey());
    EXPECT_NE(full->itemIcon(0).cacheKey(), full->itemIcon(1).cacheKey());
    EXPECT_EQ(half->currentIndex(), -1);  // not installed: no choice
    EXPECT_EQ(digits->currentIndex(), 0);  // "Alpha", the first face, is a choice like any other
    half->setCurrentIndex(0);
    TypeInto(&page, 1001, "9.5");
    Click(&sheet, IDOK);
    ASSERT_EQ(sheet.result(), IDOK);
    sheet.GetEntries(entries);
    EXPECT_STREQ(entries[1].font.lfFaceName, "Alpha");
    EXPECT_EQ(entries[1].font.lfHeight, -371);
    EXPECT_EQ(entries[1].font.lfWeight, 400);
    EXPECT_EQ(entries[1].font.lfCharSet, 1);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(entries[i].height, 335) << i;
    // The formula page was never shown: it took nothing.
    for (int i = 3; i < 6; ++i)
        EXPECT_EQ(entries[i].height, 300 + i) << i;
    EXPECT_STREQ(entries[5].font.lfFaceName, "Nowhere");
}

TEST_F(FontDefaultSheet, FormulaPageCrossesItsItalicChecksAndShowsTheLettersSize)
{
    DEFAULT_FONT entries[6];
    Fill(entries);
    entries[3].italic = 1;  // letters
    entries[4].italic = 0;  // digits
    entries[5].italic = 0;  // operators
    CFontDefaultSheet sheet(nullptr, CFontDefaultSheet::kCaption, 1);
    sheet.SetEntries(entries);
    sheet.show();
    CFontMathDefaultPage& page = sheet.MathPage();
    EXPECT_EQ(sheet.windowTitle(), QString::fromUtf16(u"フォント既定値"));
    // Row 1 is the operator font, its check the operators' italic; row 2 the letters.
    EXPECT_EQ(FindControl<QComboBox>(&page, 1212)->placeholderText(), "Nowhere");
    EXPECT_FALSE(FindControl<QCheckBox>(&page, 1214)->isChecked());
    EXPECT_TRUE(FindControl<QCheckBox>(&page, 1200)->isChecked());
    EXPECT_EQ(FindControl<QComboBox>(&page, 1320)->currentText(), FormatPointField(entries[3].height).c_str());
    Click(&page, 1214);  // operators italic on
    Click(&page, 1200);  // letters italic off
    Click(&sheet, IDOK);
    sheet.GetEntries(entries);
    EXPECT_EQ(entries[5].italic, 1);
    EXPECT_EQ(entries[3].italic, 0);
    EXPECT_EQ(entries[4].italic, 0);
    // An unedited size keeps the letters' value, which all three rows now share.
    for (int i = 3; i < 6; ++i)
        EXPECT_EQ(entries[i].height, 303) << i;
}

TEST_F(FontDefaultSheet, RefusesASizeThatIsNoSizeAndStaysOnItsPage)
{
    for (const char* typed : {"10.3", "abc", "", "0", ".5"}) {
        MessageRecorder recorder;
        CFontDefaultSheet sheet;
        sheet.show();
        sheet.Tabs()->setCurrentIndex(1);
        TypeInto(&sheet.TextPage(), 1001, typed);
        Click(&sheet, IDOK);
        EXPECT_TRUE(sheet.isVisible()) << typed;
        EXPECT_EQ(sheet.Tabs()->currentIndex(), 0) << typed;
        ASSERT_EQ(recorder.messages.size(), 1u) << typed;
        EXPECT_EQ(recorder.messages[0].text, u"数値が正しくありません。");
        EXPECT_EQ(recorder.messages[0].caption, u"フォントサイズ");
        EXPECT_EQ(sheet.TextPage().heights[0], 370) << typed;
    }
}

}  // namespace

TEST_F(FontDefaultSheet, TheFormulaEditorsSheetHoldsTheFormulaPageAlone)
{
    DEFAULT_FONT entries[6];
    Fill(entries);
    CFontDefaultSheet sheet(nullptr, QString::fromUtf16(u"数式エディタ"));
    sheet.SetEntries(entries);
    sheet.show();
    EXPECT_EQ(sheet.windowTitle(), QString::fromUtf16(u"数式エディタ"));
    ASSERT_EQ(sheet.Tabs()->count(), 1);
    EXPECT_EQ(sheet.Tabs()->widget(0), &sheet.MathPage());
    EXPECT_FALSE(sheet.TextPage().isVisible());
    TypeInto(&sheet.MathPage(), 1320, "12");
    Click(&sheet, IDOK);
    ASSERT_EQ(sheet.result(), IDOK);
    sheet.GetEntries(entries);
    for (int i = 3; i < 6; ++i)
        EXPECT_EQ(entries[i].height, 423) << i;
    // The text fonts were never on the sheet.
    EXPECT_EQ(entries[0].height, 300);
}
