// The small value dialogs driven offscreen: values in, typed texts, OK and Cancel, values out.
#include "dialogs/count_dialogs.h"
#include "dialogs/question_number_dialog.h"
#include "dialogs/spacing_dialogs.h"
#include "dialogs/splash_dialog.h"
#include "tests/dialogs/dialog_fixture.h"

#include <QLabel>
#include <QRadioButton>

namespace {

struct TypedCase {
    const char* text;
    int expected;  // -1: refused, the dialog stays open
};

TEST(SpacingDialogs, ReadTypedTextsByTheTenthsRuleAndNameTheFieldWhenRefusing)
{
    const TypedCase cases[] = {{"10.5", 371}, {".5", 18}, {"abc", 0}, {"0", 0}, {"-1", -1}, {"11", -1}};
    for (bool line : {true, false}) {
        for (const TypedCase& c : cases) {
            MessageRecorder recorder;
            std::unique_ptr<CSpacingDlg> dialog;
            if (line)
                dialog = std::make_unique<CLineSpaceDlg>();
            else
                dialog = std::make_unique<CCharSpaceDlg>();
            dialog->m_spacing = 353;
            dialog->show();
            TypeInto(dialog.get(), line ? 1278 : 1025, c.text);
            Click(dialog.get(), IDOK);
            if (c.expected < 0) {
                EXPECT_TRUE(dialog->isVisible()) << c.text;
                ASSERT_EQ(recorder.messages.size(), 1u) << c.text;
                EXPECT_EQ(recorder.messages[0].text, u"数値が正しくありません。");
                EXPECT_EQ(recorder.messages[0].caption, line ? u"行間" : u"文字間");
                EXPECT_EQ(recorder.messages[0].style, MB_OK | MB_ICONINFORMATION);
            } else {
                EXPECT_EQ(dialog->result(), IDOK) << c.text;
                EXPECT_EQ(dialog->m_spacing, c.expected) << c.text;
                EXPECT_TRUE(recorder.messages.empty()) << c.text;
            }
        }
    }
}

TEST(SpacingDialogs, UneditedValueComesBackUnchangedAndCancelKeepsMembers)
{
    CLineSpaceDlg dialog;
    dialog.m_spacing = 364;
    dialog.show();
    EXPECT_EQ(ControlText(&dialog, 1278), "10");
    Click(&dialog, IDOK);
    EXPECT_EQ(dialog.result(), IDOK);
    EXPECT_EQ(dialog.m_spacing, 364);

    CCharSpaceDlg cancelled;
    cancelled.m_spacing = 100;
    cancelled.show();
    TypeInto(&cancelled, 1025, "5");
    Click(&cancelled, IDCANCEL);
    EXPECT_EQ(cancelled.result(), IDCANCEL);
    EXPECT_EQ(cancelled.m_spacing, 100);
}

TEST(SpacingDialogs, SpinRoundsFromHalfPoints)
{
    CLineSpaceDlg dialog;
    dialog.m_spacing = 371;
    dialog.show();
    auto* spin = FindControl<CSpinEdit>(&dialog, 1278);
    ASSERT_NE(spin, nullptr);
    EXPECT_EQ(spin->property("spinId").toInt(), 1280);
    EXPECT_EQ(spin->Text(), "10.5");
    spin->stepBy(1);
    EXPECT_EQ(spin->Text(), "11");
    spin->SetText("10.5");
    spin->stepBy(-1);
    EXPECT_EQ(spin->Text(), "10");
}

TEST(TableFormatDialog, ReadsTheWidthByTheHalvesRule)
{
    const TypedCase cases[] = {{"0.5", 17}, {"10.5", 370}, {"1.3", -1}, {"0", -1}, {"11", -1}};
    for (const TypedCase& c : cases) {
        MessageRecorder recorder;
        CTableFormatDlg dialog;
        dialog.m_frame = 1;
        dialog.m_lineWidth = 35;
        dialog.show();
        EXPECT_TRUE(FindControl<QAbstractButton>(&dialog, CTableFormatDlg::kFrame)->isChecked());
        TypeInto(&dialog, CTableFormatDlg::kWidth, c.text);
        Click(&dialog, CTableFormatDlg::kFrame);
        Click(&dialog, IDOK);
        if (c.expected < 0) {
            EXPECT_TRUE(dialog.isVisible()) << c.text;
            ASSERT_EQ(recorder.messages.size(), 1u) << c.text;
            EXPECT_EQ(recorder.messages[0].caption, u"線幅");
        } else {
            EXPECT_EQ(dialog.result(), IDOK) << c.text;
            EXPECT_EQ(dialog.m_lineWidth, c.expected) << c.text;
            EXPECT_EQ(dialog.m_frame, 0);
        }
    }
}

// A typed text in one field of a count dialog: the value taken, or refused naming the field.
struct CountCase {
    int edit;
    const char* text;
    int expected;  // -1: refused
    const char16_t* field;
};

template <typename Dialog>
void CheckCounts(const std::vector<CountCase>& cases, unsigned Dialog::*member, unsigned start)
{
    for (const CountCase& c : cases) {
        MessageRecorder recorder;
        Dialog dialog;
        dialog.*member = start;
        if constexpr (requires { dialog.m_rows; }) {
            dialog.m_rows = start;
            dialog.m_columns = start;
        }
        dialog.show();
        TypeInto(&dialog, c.edit, c.text);
        Click(&dialog, IDOK);
        if (c.expected < 0) {
            EXPECT_TRUE(dialog.isVisible()) << c.text;
            ASSERT_EQ(recorder.messages.size(), 1u) << c.text;
            EXPECT_NE(recorder.messages[0].text.find(c.field), std::u16string::npos) << c.text;
            EXPECT_EQ(dialog.*member, start) << c.text;
        } else {
            EXPECT_EQ(dialog.result(), IDOK) << c.text;
            EXPECT_EQ(dialog.*member, static_cast<unsigned>(c.expected)) << c.text;
        }
    }
}

TEST(CountDialogs, RefuseNumbersOutsideTheirRangesNamingTheFieldAndLimits)
{
    CheckCounts<CMatrixDlg>({{1002, "0", -1, u"「行」には 1 から 99 まで"},
                             {1002, "100", -1, u"「行」"},
                             {1002, "99", 99, nullptr}},
                            &CMatrixDlg::m_rows, 3);
    CheckCounts<CMatrixDlg>({{1003, "", -1, u"「列」には 1 から 99 まで"}, {1003, "99", 99, nullptr}}, &CMatrixDlg::m_columns, 3);
    CheckCounts<CTableInsertDlg>({{1003, "0", -1, u"「列数」"}, {1003, "7", 7, nullptr}}, &CTableInsertDlg::m_columns, 2);
    CheckCounts<CTableInsertDlg>({{1002, "100", -1, u"「行数」"}, {1002, "1", 1, nullptr}}, &CTableInsertDlg::m_rows, 2);
    CheckCounts<CZoomDlg>({{1190, "49", -1, u"「表示倍率」には 50 から 200 まで"},
                           {1190, "201", -1, u"「表示倍率」"},
                           {1190, "50", 50, nullptr},
                           {1190, "200", 200, nullptr}},
                          &CZoomDlg::m_zoom, 100);
}

TEST(CountDialogs, ShowTheMembersAndSpinWithinTheRange)
{
    CZoomDlg zoom;
    zoom.m_zoom = 200;
    zoom.show();
    auto* spin = FindControl<CSpinEdit>(&zoom, CZoomDlg::kZoom);
    ASSERT_NE(spin, nullptr);
    EXPECT_EQ(spin->Text(), "200");
    spin->stepBy(1);
    EXPECT_EQ(spin->Text(), "200");
    spin->stepBy(-1);
    EXPECT_EQ(spin->Text(), "199");

    // The table dialog's spins are swapped against the matrix dialog's, and each joins its edit.
    CTableInsertDlg table;
    EXPECT_EQ(FindControl<CSpinEdit>(&table, 1003)->property("spinId").toInt(), 1267);
    CMatrixDlg matrix;
    EXPECT_EQ(FindControl<CSpinEdit>(&matrix, 1002)->property("spinId").toInt(), 1267);
}

TEST(QuestionNumberDialog, StyleTwoSampleFollowsTheWritingDirection)
{
    for (int vertical : {0, 1}) {
        CQuestionNumberDlg dialog;
        dialog.m_vertical = vertical;
        dialog.m_bigStyle = 2;
        dialog.m_smallStyle = 15;
        dialog.show();
        EXPECT_EQ(ControlText(&dialog, CQuestionNumberDlg::kBoxedSample), vertical ? u"一" : u"１");
        EXPECT_TRUE(FindControl<QRadioButton>(&dialog, 1237)->isChecked());
        EXPECT_TRUE(FindControl<QRadioButton>(&dialog, 1267)->isChecked());
        Click(&dialog, 1252);  // big style 8
        Click(&dialog, 1242);  // small style 0
        Click(&dialog, IDOK);
        EXPECT_EQ(dialog.result(), IDOK);
        EXPECT_EQ(dialog.m_bigStyle, 8);
        EXPECT_EQ(dialog.m_smallStyle, 0);
    }
}

TEST(SplashDialog, IsAsLargeAsItsPicture)
{
    CSplashDlg splash;
    splash.Create();
    const auto* picture = FindControl<QLabel>(&splash, CSplashDlg::kPicture);
    ASSERT_NE(picture, nullptr);
    ASSERT_FALSE(picture->pixmap().isNull());
    EXPECT_EQ(splash.size(), picture->pixmap().deviceIndependentSize().toSize());
    EXPECT_EQ(splash.size(), QSize(400, 240));
    EXPECT_TRUE(splash.windowTitle().isEmpty());
}

}  // namespace
