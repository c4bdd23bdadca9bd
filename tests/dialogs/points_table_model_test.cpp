// The points table's rows without their controls: what each control of a row shows, the
// arithmetic of a new form and of typed values, and the scrolling over the rows.
#include "dialogs/points_table_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Edits = std::array<std::u16string, POINTS_ROW_VIEW::kEdits>;

HAITEN_ROW Row(int question, int sub, int form, int shown, int perItem, int count, int total, int subs)
{
    return HAITEN_ROW{question, sub, form, shown, perItem, count, total, subs};
}

// A major question with three sub-questions, total 10, as the points command builds it.
std::vector<HAITEN_ROW> ThreeSubQuestions(int form = PointsForm::kTotal)
{
    return {Row(1, 0, form, 1, 3, 3, 10, 3), Row(1, 1, form, 1, 0, 1, 3, 0), Row(1, 2, form, 1, 0, 1, 3, 0),
            Row(1, 3, form, 1, 0, 1, 3, 0)};
}

CPointsTableModel Model(const std::vector<HAITEN_ROW>& rows, int show = 1)
{
    CPointsTableModel model;
    model.SetRows(rows.data(), static_cast<int>(rows.size()));
    model.SetShowPoints(show);
    return model;
}

// Each control as one character: '.' hidden, 'd' shown but disabled, 'e' enabled.
template <size_t N>
std::string States(const std::array<bool, N>& shown, const std::array<bool, N>& enabled)
{
    std::string out;
    for (size_t i = 0; i < N; ++i)
        out += !shown[i] ? '.' : enabled[i] ? 'e' : 'd';
    return out;
}

std::string Matrix(const POINTS_ROW_VIEW& view)
{
    return States(view.radioShown, view.radioEnabled) + " " + States(view.editShown, view.editEnabled) + " " +
           States(view.staticShown, view.staticEnabled) + " " + std::to_string(view.checkedForm);
}

Edits EditsOf(const POINTS_ROW_VIEW& view) { return view.editText; }

}  // namespace

TEST(PointsTableModel, FillRowMatrix)
{
    const struct {
        const char* name;
        HAITEN_ROW row;
        int show;
        const char* expected;
    } cases[] = {
        {"major form 1", Row(1, 0, 1, 1, 3, 3, 10, 3), 1, "eeee edddddd eeddddddddd 1"},
        {"major form 2", Row(1, 0, 2, 1, 3, 3, 10, 3), 1, "eeee deeeddd ddeeeeddddd 2"},
        {"major form 3", Row(1, 0, 3, 1, 3, 3, 10, 3), 1, "eeee ddddeed ddddddeeedd 3"},
        {"major form 4", Row(1, 0, 4, 1, 3, 3, 10, 3), 1, "eeee dddddde dddddddddee 4"},
        {"major, unknown form", Row(1, 0, 7, 1, 3, 3, 10, 3), 1, "eeee ddddddd ddddddddddd 0"},
        {"sub form 4", Row(1, 1, 4, 1, 0, 1, 3, 0), 1, ".... ......e .........ee 4"},
        {"sub form 2", Row(1, 1, 2, 0, 0, 0, 0, 0), 1, ".... ......d .........dd 2"},
        {"major form 4, points not shown", Row(1, 0, 4, 0, 3, 3, 10, 3), 0, "dddd ddddddd dddddddddee 4"},
    };
    for (const auto& c : cases) {
        CPointsTableModel model = Model({c.row}, c.show);
        EXPECT_EQ(Matrix(model.FillRow(1)), c.expected) << c.name;
    }
    CPointsTableModel model = Model({Row(1, 0, 2, 1, 3, 3, 10, 3)});
    EXPECT_EQ(Matrix(model.FillRow(2)), ".... ....... ........... 0") << "no record";
    EXPECT_EQ(EditsOf(model.FillRow(1)), (Edits{u"", u"3", u"3", u"10", u"", u"", u""}));
}

TEST(PointsTableModel, BracketsFollowTheStyle)
{
    CPointsTableModel model = Model({Row(1, 0, 4, 1, 0, 0, 6, 1), Row(1, 1, 4, 1, 0, 0, 6, 0)});
    const std::array<std::u16string, 11> round{u"(", u"点)", u"(各", u"点×", u"＝", u"点)", u"(各", u"点：計", u"点)", u"(計", u"点)"};
    EXPECT_EQ(model.FillRow(1).staticText, round);
    model.SetBracketStyle(1);
    const std::array<std::u16string, 11> square{u"[", u"点]", u"[各", u"点×", u"＝", u"点]", u"[各", u"点：計", u"点]", u"[計", u"点]"};
    EXPECT_EQ(model.FillRow(1).staticText, square);
    EXPECT_EQ(model.FillRow(2).staticText[9], u"[");
    EXPECT_EQ(model.FillRow(2).staticText[10], u"点]");
}

TEST(PointsTableModel, FormEachDividesTheTotalAndEmptiesTheSubQuestions)
{
    CPointsTableModel model = Model(ThreeSubQuestions(PointsForm::kSum));
    EXPECT_TRUE(model.OnFormClicked(1, PointsForm::kEach));
    const HAITEN_ROW& major = model.Rows()[0];
    EXPECT_EQ(major.count, 3);
    EXPECT_EQ(major.perItem, 3);
    EXPECT_EQ(major.total, 10);
    for (int r = 2; r <= 4; ++r) {
        const HAITEN_ROW& sub = model.Rows()[static_cast<size_t>(r - 1)];
        EXPECT_EQ((std::vector<int>{sub.form, sub.shown, sub.perItem, sub.count, sub.total}),
                  (std::vector<int>{2, 0, 0, 0, 0}));
        EXPECT_EQ(Matrix(model.FillRow(r)), ".... ......d .........dd 2");
    }
    // The same form again, and a sub-question's row, change nothing.
    EXPECT_FALSE(model.OnFormClicked(1, PointsForm::kEach));
    EXPECT_FALSE(model.OnFormClicked(2, PointsForm::kSum));
}

TEST(PointsTableModel, FormSumSharesTheTotalAndTypedSharesAddUp)
{
    CPointsTableModel model = Model(ThreeSubQuestions());
    EXPECT_TRUE(model.OnFormClicked(1, PointsForm::kSum));
    EXPECT_EQ(model.Rows()[0].total, 10);
    for (int r = 2; r <= 4; ++r)
        EXPECT_EQ(model.FillRow(r).editText[6], u"3");

    std::vector<POINTS_EDIT_WRITE> writes;
    EXPECT_TRUE(model.OnValueChanged(2, Edits{u"", u"", u"", u"", u"", u"", u"4"}, &writes));
    EXPECT_EQ(model.Rows()[0].total, 10);  // 4 + 3 + 3
    EXPECT_TRUE(writes.empty());
    EXPECT_TRUE(model.OnValueChanged(3, Edits{u"", u"", u"", u"", u"", u"", u"5"}, &writes));
    EXPECT_EQ(model.Rows()[0].total, 12);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].row, 1);
    EXPECT_EQ(writes[0].edit, 7);
    EXPECT_EQ(writes[0].value, 12);
    EXPECT_EQ(model.GrandTotal(), 12);

    // The major total typed is shared out again.
    writes.clear();
    EXPECT_TRUE(model.OnValueChanged(1, Edits{u"", u"", u"", u"", u"", u"", u"9"}, &writes));
    EXPECT_EQ(writes.size(), 2u);  // the third share was 3 already
    EXPECT_EQ(model.Rows()[3].total, 3);
}

TEST(PointsTableModel, FormEachMultipliesPerItemByCount)
{
    const struct {
        const char* name;
        int subs;
        std::u16string perItem, count;
        int expectedCount, expectedTotal;
    } cases[] = {
        {"count typed", 3, u"6", u"3", 3, 18},
        {"count cleared: the sub-questions count", 3, u"6", u"", 3, 18},
        {"count typed differs from the sub-questions", 3, u"6", u"5", 5, 30},
        {"no sub-questions and no count: one item", 0, u"6", u"", 1, 6},
        {"no sub-questions, count 0: one item", 0, u"6", u"0", 1, 6},
    };
    for (const auto& c : cases) {
        std::vector<HAITEN_ROW> rows{Row(1, 0, PointsForm::kEach, 1, 3, 3, 10, c.subs)};
        for (int j = 1; j <= c.subs; ++j)
            rows.push_back(Row(1, j, PointsForm::kEach, 0, 0, 0, 0, 0));
        CPointsTableModel model = Model(rows);
        std::vector<POINTS_EDIT_WRITE> writes;
        EXPECT_TRUE(model.OnValueChanged(1, Edits{u"", c.perItem, c.count, u"", u"", u"", u""}, &writes)) << c.name;
        EXPECT_EQ(model.Rows()[0].count, c.expectedCount) << c.name;
        EXPECT_EQ(model.Rows()[0].total, c.expectedTotal) << c.name;
        ASSERT_EQ(writes.size(), 1u) << c.name;
        EXPECT_EQ(writes[0].edit, 4) << c.name;
        EXPECT_EQ(writes[0].value, c.expectedTotal) << c.name;
    }
}

TEST(PointsTableModel, FormEachOnQuestionWithoutSubQuestionsCountsOne)
{
    CPointsTableModel model = Model({Row(1, 0, PointsForm::kTotal, 1, 10, 1, 10, 0)});
    EXPECT_TRUE(model.OnFormClicked(1, PointsForm::kEach));
    EXPECT_EQ(model.Rows()[0].count, 1);
    EXPECT_EQ(model.Rows()[0].perItem, 10);
}

TEST(PointsTableModel, OtherFormsFollowTypedValues)
{
    CPointsTableModel model = Model({Row(1, 0, PointsForm::kTotal, 1, 0, 0, 0, 2), Row(1, 1, 1, 0, 0, 0, 0, 0),
                                     Row(1, 2, 1, 0, 0, 0, 0, 0)});
    EXPECT_TRUE(model.OnValueChanged(1, Edits{u"9", u"", u"", u"", u"", u"", u""}, nullptr));
    EXPECT_EQ((std::vector<int>{model.Rows()[0].total, model.Rows()[0].count, model.Rows()[0].perItem}),
              (std::vector<int>{9, 2, 4}));
    model.OnFormClicked(1, PointsForm::kEachTotal);
    std::vector<POINTS_EDIT_WRITE> writes;
    EXPECT_TRUE(model.OnValueChanged(1, Edits{u"", u"", u"", u"", u"7", u"", u""}, &writes));
    EXPECT_EQ(model.Rows()[0].total, 14);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].edit, 6);
}

TEST(PointsTableModel, BadValuesAreRefused)
{
    for (const char16_t* text : {u"12345", u"-1", u"1a", u"１", u"99999999999"}) {
        CPointsTableModel model = Model({Row(1, 0, PointsForm::kTotal, 1, 10, 1, 10, 0)});
        EXPECT_FALSE(model.OnValueChanged(1, Edits{text, u"", u"", u"", u"", u"", u""}, nullptr));
        EXPECT_EQ(model.Rows()[0].total, 10);
    }
    int value = -1;
    EXPECT_TRUE(CPointsTableModel::ReadValue(u"", &value));
    EXPECT_EQ(value, 0);
    EXPECT_TRUE(CPointsTableModel::ReadValue(u"9999", &value));
    EXPECT_EQ(value, 9999);
}

TEST(PointsTableModel, ScrollingStaysWithinTheLastSevenRows)
{
    std::vector<HAITEN_ROW> twelve;
    for (int q = 1; q <= 12; ++q)
        twelve.push_back(Row(q, 0, 1, 1, 10, 1, 10, 0));
    const struct {
        int first, code, thumb, offset, after;
    } cases[] = {
        {1, PointsScroll::kPageDown, 0, -5, 6},
        {6, PointsScroll::kPageDown, 0, 0, 6},
        {6, PointsScroll::kLineDown, 0, 0, 6},
        {5, PointsScroll::kLineDown, 0, -1, 6},
        {6, PointsScroll::kPageUp, 0, 5, 1},
        {1, PointsScroll::kLineUp, 0, 0, 1},
        {1, PointsScroll::kBottom, 0, -5, 6},
        {6, PointsScroll::kTop, 0, 5, 1},
        {1, PointsScroll::kThumb, 4, -3, 4},
        {1, PointsScroll::kThumb, 10, -5, 6},
    };
    for (const auto& c : cases) {
        CPointsTableModel model = Model(twelve);
        model.Scroll(PointsScroll::kThumb, c.first);
        ASSERT_EQ(model.GetFirstVisible(), c.first);
        EXPECT_EQ(model.Scroll(c.code, c.thumb), c.offset) << c.first << " code " << c.code;
        EXPECT_EQ(model.GetFirstVisible(), c.after) << c.first << " code " << c.code;
    }
    // Twenty rows: a page moves seven.
    std::vector<HAITEN_ROW> twenty(20, Row(1, 0, 1, 1, 10, 1, 10, 0));
    CPointsTableModel model = Model(twenty);
    EXPECT_EQ(model.Scroll(PointsScroll::kPageDown), -7);
    EXPECT_EQ(model.Scroll(PointsScroll::kPageDown), -6);
    EXPECT_EQ(model.GetFirstVisible(), 14);
    EXPECT_EQ(model.RecordAt(7), &model.Rows()[19]);
    // Five rows never scroll.
    CPointsTableModel five = Model(std::vector<HAITEN_ROW>(5, Row(1, 0, 1, 1, 10, 1, 10, 0)));
    for (int code : {PointsScroll::kPageDown, PointsScroll::kBottom, PointsScroll::kLineDown})
        EXPECT_EQ(five.Scroll(code), 0);
    EXPECT_EQ(five.RecordAt(6), nullptr);
}

TEST(PointsTableModel, RowsInAndOut)
{
    CPointsTableModel empty;
    empty.SetRows(nullptr, 0);
    HAITEN_ROW out{};
    EXPECT_FALSE(empty.GetRows(&out, 1));
    EXPECT_EQ(empty.GrandTotal(), 0);

    CPointsTableModel model = Model(ThreeSubQuestions(), 0);
    std::vector<HAITEN_ROW> back(4);
    EXPECT_TRUE(model.GetRows(back.data(), 4));
    for (const HAITEN_ROW& row : back)
        EXPECT_EQ(row.shown, 0);
    EXPECT_EQ(model.GrandTotal(), 10);
}
