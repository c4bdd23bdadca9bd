// The point-text rules, the field that keeps unedited values, the spin steps and the templates.
#include "dialogs/dialog_template.h"
#include "dialogs/point_text.h"
#include "dialogs/spin_edit.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

struct PointCase {
    const char* text;
    PointTextRule rule;
    std::optional<int> hmm;  // none: rejected
};

TEST(PointText, ReadsTypedTextsByEachRule)
{
    const PointCase cases[] = {
        {"10.5", PointTextRule::Tenths, 371},
        {"10.55", PointTextRule::Tenths, 371},
        {".5", PointTextRule::Tenths, 18},
        {"abc", PointTextRule::Tenths, 0},
        {"", PointTextRule::Tenths, 0},
        {"0", PointTextRule::Tenths, 0},
        {"10.9", PointTextRule::Tenths, 385},
        {" 7", PointTextRule::Tenths, 247},
        {"-1", PointTextRule::Tenths, std::nullopt},
        {"11", PointTextRule::Tenths, std::nullopt},
        {"0.5", PointTextRule::Halves, 17},
        {"10.5", PointTextRule::Halves, 370},
        {"10.", PointTextRule::Halves, 353},
        {"1.3", PointTextRule::Halves, std::nullopt},
        {"1.50", PointTextRule::Halves, std::nullopt},
        {"0", PointTextRule::Halves, std::nullopt},
        {"11", PointTextRule::Halves, std::nullopt},
        {"10.5", PointTextRule::FontSize, 370},
        {"9.5", PointTextRule::FontSize, 335},
        {"72", PointTextRule::FontSize, 2540},
        {"12.", PointTextRule::FontSize, 423},
        {"10.3", PointTextRule::FontSize, std::nullopt},
        {".5", PointTextRule::FontSize, std::nullopt},
        {"0", PointTextRule::FontSize, std::nullopt},
        {"901", PointTextRule::FontSize, std::nullopt},
        {"abc", PointTextRule::FontSize, std::nullopt},
    };
    for (const PointCase& c : cases) {
        int hmm = -12345;
        const bool read = ReadPointText(c.text, c.rule, &hmm);
        EXPECT_EQ(read, c.hmm.has_value()) << '"' << c.text << '"' << static_cast<int>(c.rule);
        EXPECT_EQ(hmm, c.hmm.value_or(-12345)) << '"' << c.text << '"' << static_cast<int>(c.rule);
    }
}

TEST(PointText, ShowsWholeOrHalfPoints)
{
    const std::pair<int, const char*> cases[] = {{370, "10.5"}, {371, "10.5"}, {364, "10"}, {247, "7"}, {395, "11"}, {5, "0"}, {-370, "10.5"}};
    for (const auto& [hmm, text] : cases)
        EXPECT_EQ(FormatPointField(hmm), text) << hmm;
}

TEST(PointText, UneditedFieldGivesBackTheValueShown)
{
    CPointField field;
    EXPECT_EQ(field.Show(364), "10");
    int hmm = 0;
    ASSERT_TRUE(field.Read("10", PointTextRule::Tenths, &hmm));
    EXPECT_EQ(hmm, 364);
    // An edited text follows the rule, a rejected one leaves the value alone.
    ASSERT_TRUE(field.Read("10.0", PointTextRule::Tenths, &hmm));
    EXPECT_EQ(hmm, 353);
    EXPECT_FALSE(field.Read("12", PointTextRule::Tenths, &hmm));
    EXPECT_EQ(hmm, 353);
}

TEST(SpinEdit, PointRoundingStepsToTheNeighbouringWholePoints)
{
    struct StepCase {
        const char* text;
        int steps;
        const char* after;
    } cases[] = {
        {"10.5", +1, "11"}, {"10.5", -1, "10"}, {"0.5", +1, "1"}, {"0.5", -1, "0"},
        {"10", +1, "10"},   {"10", -1, "9"},    {"10.0", -1, "9"}, {"0", -1, "0"},
        {"abc", +1, "1"},
    };
    for (const StepCase& c : cases) {
        CSpinEdit spin;
        spin.SetRange(0, 10);
        spin.SetPointRounding(true);
        spin.SetText(c.text);
        spin.stepBy(c.steps);
        EXPECT_EQ(spin.Text().toStdString(), c.after) << c.text << " by " << c.steps;
    }
}

TEST(SpinEdit, DigitsOnlyRefusesOtherCharacters)
{
    CSpinEdit spin;
    spin.SetDigitsOnly(true);
    int pos = 0;
    QString digits("120"), letters("12a"), empty;
    EXPECT_EQ(spin.validate(digits, pos), QValidator::Acceptable);
    EXPECT_EQ(spin.validate(empty, pos), QValidator::Acceptable);
    EXPECT_EQ(spin.validate(letters, pos), QValidator::Invalid);
}

TEST(DialogTemplate, ParsesControlsInOrderAndRefusesBadLines)
{
    DIALOG_TEMPLATE parsed;
    ASSERT_TRUE(ParseDialogTemplate("# comment\ndialog\t9\tタイトル\nlabel\t-\t0\t0\t1\t行\nedit\t5\t0\t1\t2\nspin\t6\n"
                                    "radio\t7\t1\t0\t1\tA\tgroup\n",
                                    &parsed));
    EXPECT_EQ(parsed.id, 9);
    EXPECT_EQ(parsed.title, u"タイトル");
    ASSERT_EQ(parsed.controls.size(), 4u);
    EXPECT_EQ(parsed.controls[0].id, -1);
    EXPECT_EQ(parsed.controls[1].span, 2);
    EXPECT_EQ(parsed.controls[2].kind, DIALOG_CONTROL::Spin);
    EXPECT_TRUE(parsed.controls[3].groupStart);

    for (const char* bad : {"label\t1\t0\t0\t1\n", "dialog\t1\nspin\t5\n", "dialog\t1\nknob\t1\t0\t0\t1\n",
                            "dialog\t1\nedit\t1\t0\t0\t0\n", "dialog\t1\nedit\tx\t0\t0\t1\n"}) {
        std::string error;
        EXPECT_FALSE(ParseDialogTemplate(bad, &parsed, &error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}

TEST(DialogTemplate, EveryDialogTemplateLoads)
{
    for (int id : {142, 294, 295, 320, 321, 323, 351, 368, 369, 408, 446})
        EXPECT_EQ(GetDialogTemplate(id).id, id) << id;
}

}  // namespace
