// The numbering dialog's values from a numbered underline and back, as both editors run it.
#include "nodes/underline_numbering.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(UnderlineNumberingTest, UnderlinesAndDialogStatesMapBothWays)
{
    struct LINE_CASE {
        int style, width;  // the underline
        int state;         // the dialog's line kind
    };
    const LINE_CASE cases[] = {{1, 1, 0}, {2, 1, 1}, {1, 3, 2}, {4, 1, 3}, {3, 1, 4}, {5, 1, 5}, {6, 1, 6}, {7, 1, 7}};
    for (const LINE_CASE& c : cases) {
        SCOPED_TRACE(c.state);
        EXPECT_EQ(UnderlineStateOf(c.style, c.width), c.state);
        int style = 0;
        int width = 0;
        UnderlineOfState(c.state, &style, &width);
        EXPECT_EQ(style, c.style);
        EXPECT_EQ(width, c.width);
    }
    // No underline opens as a single line; a state outside the list gives one.
    EXPECT_EQ(UnderlineStateOf(0, 0), 0);
    int style = 0;
    int width = 0;
    UnderlineOfState(9, &style, &width);
    EXPECT_EQ(style, 1);
    EXPECT_EQ(width, 1);
}

TEST(UnderlineNumberingTest, RecordsMapToTheDialogAndBack)
{
    CKasenRenbanProperties numbering;
    numbering.m_renbanType = RenbanType::kString;
    numbering.m_renbanString = CStringW(u"甲");
    numbering.m_renbanForce = -1;
    std::strcpy(numbering.m_renbanFace, "Face");
    numbering.m_renbanSize = 353;
    CCharacterProperties underline;
    underline.m_underlineStyle = 1;
    underline.m_underlineWidth = 3;

    UNDERLINE_NUMBER_VALUES values = NumberingToDialog(0, numbering, underline);
    EXPECT_EQ(values.underlineState, 2);
    EXPECT_EQ(values.kindIndex, 5);
    EXPECT_EQ(values.labelText, u"甲");
    EXPECT_EQ(values.force, 0);  // automatic
    EXPECT_EQ(values.face, "Face");
    EXPECT_EQ(values.size, 353);

    values.kindIndex = 1;
    values.force = 4;
    values.underlineState = 3;
    NumberingFromDialog(values, &numbering, &underline);
    EXPECT_EQ(numbering.m_renbanType, 2);
    EXPECT_EQ(numbering.m_renbanForce, 4);
    EXPECT_EQ(underline.m_underlineStyle, 4);
    EXPECT_EQ(underline.m_underlineWidth, 1);
    values.force = 0;
    NumberingFromDialog(values, &numbering, &underline);
    EXPECT_EQ(numbering.m_renbanForce, -1);
}

}  // namespace
