// The mark lists, the size list and the manual font-size dialog of the reading-mark dialog.
#include "dialogs/kunten_combos.h"
#include "dialogs/point_text.h"
#include "tests/dialogs/dialog_fixture.h"

#include "base/gdi_cache.h"
#include "platform/gdi_recording.h"

namespace {

TEST(FontSizeCombo, ReadsTypedSizesInWholeAndHalfPoints)
{
    CFontSizeCombo combo;
    ASSERT_EQ(combo.count(), 17);
    EXPECT_EQ(combo.currentIndex(), -1);
    EXPECT_EQ(combo.currentText(), QString());
    const struct {
        const char* text;
        int expected;  // -1: refused
    } cases[] = {
        {"10.5", 370}, {"10.", 353}, {"10", 353}, {"900", 31750}, {"1", 35}, {"10.3", -1},
        {"0", -1},     {"901", -1},  {".5", -1},  {"", -1},       {"abc", -1},
    };
    for (const auto& c : cases) {
        combo.setEditText(QString::fromLatin1(c.text));
        int size = 12345;
        const bool read = combo.GetSize(&size);
        EXPECT_EQ(read, c.expected >= 0) << c.text;
        EXPECT_EQ(size, read ? c.expected : 12345) << c.text;
    }
    // The field takes four characters; a longer text such as "10.50" is refused by the rule itself.
    combo.setEditText("10.50");
    EXPECT_EQ(combo.currentText(), "10.5");
    int refused = 0;
    EXPECT_FALSE(ReadPointText("10.50", PointTextRule::FontSize, &refused));
    // A chosen item reads as its text.
    combo.setCurrentIndex(combo.findText("12"));
    int size = 0;
    ASSERT_TRUE(combo.GetSize(&size));
    EXPECT_EQ(size, 423);
}

TEST(FontSizeCombo, ShowsASizeAsItsItemOrInTheEditField)
{
    CFontSizeCombo combo;
    const struct {
        int hmm;
        int index;
        const char* text;
    } cases[] = {{370, 3, "10.5"}, {353, 2, "10"}, {2540, 16, "72"}, {300, -1, "8.5"}, {1058, -1, "30"}};
    for (const auto& c : cases) {
        EXPECT_EQ(combo.SetSize(c.hmm), c.index) << c.hmm;
        EXPECT_EQ(combo.currentIndex(), c.index) << c.hmm;
        EXPECT_EQ(combo.currentText(), QString::fromLatin1(c.text)) << c.hmm;
    }
}

TEST(KuntenCombo, FindsMarksByTextAndTellsTheFacesApart)
{
    CKuntenCombo combo;
    combo.AddMark(u"", kKuntenMinchoFace);
    combo.AddMark(u"「", kKuntenMinchoFace);
    combo.AddMark(u"『", kKuntenMinchoFace);
    combo.AddMark(u"「", kKuntenGaijiFace);
    EXPECT_EQ(combo.count(), 4);
    EXPECT_EQ(combo.FindMark(u"「", false), 1);
    EXPECT_EQ(combo.FindMark(u"「", true), 3);
    EXPECT_EQ(combo.FindMark(u"『", true), -1);
    EXPECT_EQ(combo.FindMark(u"", false), 0);
    EXPECT_EQ(combo.FindMark(u"」", false), -1);
    std::u16string text;
    std::string face;
    ASSERT_TRUE(combo.GetMark(3, text, face));
    EXPECT_EQ(text, u"「");
    EXPECT_EQ(face, kKuntenGaijiFace);
    EXPECT_FALSE(combo.GetMark(4, text, face));
}

TEST(KuntenCombo, DrawsEachCharacterTurnedOneUnderAnother)
{
    CreateGdiResources();
    CKuntenCombo combo;
    combo.CreateFonts(16);
    combo.AddMark(u"", kKuntenMinchoFace);
    combo.AddMark(u"一レ", kKuntenMinchoFace);
    combo.AddMark(u"」", kKuntenGaijiFace);
    EXPECT_EQ(combo.MeasureItem(0), 24);
    EXPECT_EQ(combo.MeasureItem(-1), 26);

    const struct {
        int index;
        bool selected;
        COLORREF fill;
        COLORREF text;
        std::vector<POINT> points;
        const char* face;
    } cases[] = {
        {0, false, 0xFFFFFF, 0x000000, {}, nullptr},
        {1, false, 0xFFFFFF, 0x000000, {{76, 10}, {76, 22}}, kKuntenMinchoFace},
        {2, true, CKuntenCombo::kHighlight, CKuntenCombo::kHighlightText, {{76, 10}}, kKuntenGaijiFace},
        {5, false, 0xFFFFFF, 0x000000, {}, nullptr},
    };
    for (const auto& c : cases) {
        CRecordingDC dc;
        KUNTEN_DRAW_ITEM item;
        item.index = c.index;
        item.selected = c.selected;
        item.rect = RECT{0, 10, 100, 34};
        combo.DrawItem(&dc, item);
        const auto fills = dc.CallsOf(GdiOp::FillSolidRect);
        ASSERT_EQ(fills.size(), 1u) << c.index;
        EXPECT_EQ(fills[0].color, c.fill);
        const auto texts = dc.CallsOf(GdiOp::TextOutW);
        ASSERT_EQ(texts.size(), c.points.size()) << c.index;
        for (size_t i = 0; i < texts.size(); ++i) {
            EXPECT_EQ(texts[i].points[0].x, c.points[i].x) << c.index;
            EXPECT_EQ(texts[i].points[0].y, c.points[i].y) << c.index;
            EXPECT_EQ(texts[i].text.size(), 1u);
            EXPECT_EQ(texts[i].FaceName(), c.face);
            EXPECT_EQ(texts[i].font.lfEscapement, 2700);
            EXPECT_EQ(texts[i].font.lfHeight, -16);
            EXPECT_EQ(texts[i].textColor, c.text);
            EXPECT_EQ(texts[i].bkMode, TRANSPARENT);
        }
    }
}

TEST(FontSizeDialog, ShowsTheSizesAndReadsThemBackOnOk)
{
    MessageRecorder recorder;
    CFontSizeDlg dialog;
    dialog.m_baseSize = 300;
    dialog.m_leftKanaSize = 176;
    dialog.m_rightKanaSize = 185;
    dialog.m_focusField = CFontSizeDlg::kFocusRightKana;
    dialog.show();
    EXPECT_EQ(dialog.SizeCombo()->currentText(), "8.5");
    EXPECT_EQ(ControlText(&dialog, CFontSizeDlg::kLeftKanaEdit), "5");
    EXPECT_EQ(ControlText(&dialog, CFontSizeDlg::kRightKanaEdit), "5");
    TypeInto(&dialog, CFontSizeDlg::kBaseCombo, "10.5");
    TypeInto(&dialog, CFontSizeDlg::kLeftKanaEdit, "6");
    TypeInto(&dialog, CFontSizeDlg::kRightKanaEdit, "5.5");
    Click(&dialog, IDOK);
    EXPECT_EQ(dialog.result(), IDOK);
    EXPECT_TRUE(recorder.messages.empty());
    EXPECT_EQ(dialog.m_baseSize, 370);
    EXPECT_EQ(dialog.m_leftKanaSize, 212);
    EXPECT_EQ(dialog.m_rightKanaSize, 194);
}

TEST(FontSizeDialog, RefusesSizesOutsideOneTo900PointsAndStaysOpen)
{
    const struct {
        const char* base;
        const char* left;
        const char* right;
    } cases[] = {{"0", "5", "5"}, {"901", "5", "5"}, {"10", "0", "5"}, {"10", "5", "901"}, {"10", "", "5"}};
    for (const auto& c : cases) {
        MessageRecorder recorder;
        CFontSizeDlg dialog;
        dialog.show();
        TypeInto(&dialog, CFontSizeDlg::kBaseCombo, c.base);
        TypeInto(&dialog, CFontSizeDlg::kLeftKanaEdit, c.left);
        TypeInto(&dialog, CFontSizeDlg::kRightKanaEdit, c.right);
        Click(&dialog, IDOK);
        EXPECT_TRUE(dialog.isVisible()) << c.base << c.left << c.right;
        ASSERT_EQ(recorder.messages.size(), 1u);
        EXPECT_EQ(recorder.messages[0].text, u"数値が正しくありません。");
        EXPECT_EQ(recorder.messages[0].caption, u"フォントサイズ");
        // Nothing is taken over from a refused entry.
        EXPECT_EQ(dialog.m_baseSize, 370);
        EXPECT_EQ(dialog.m_leftKanaSize, 185);
        EXPECT_EQ(dialog.m_rightKanaSize, 185);
    }
}

}  // namespace
