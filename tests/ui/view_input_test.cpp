// What the editing windows tell the input method about the caret: where the composition window
// goes in each writing direction, and the font, with or without a vertical face's '@'.
#include "ui/view_input.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

LOGFONTA CaretFont(const char* face, LONG height)
{
    LOGFONTA lf{};
    lf.lfHeight = height;
    lf.lfWeight = 700;
    std::strncpy(lf.lfFaceName, face, sizeof lf.lfFaceName - 1);
    return lf;
}

TEST(ViewInput, CompositionWindowLiesBelowOrLeftOfTheCaret)
{
    const LOGFONTA font = CaretFont("Mincho", -20);
    const POINT at{100, 50};
    EXPECT_EQ(QueryImeCaret(Qt::ImCursorRectangle, at, font, false, true).toRect(), QRect(100, 50, 1, 20));
    EXPECT_EQ(QueryImeCaret(Qt::ImCursorRectangle, at, font, true, true).toRect(), QRect(80, 50, 20, 1));
    // A zero height still gives the input method a box to stand against.
    EXPECT_EQ(QueryImeCaret(Qt::ImCursorRectangle, at, CaretFont("Mincho", 0), false, true).toRect(),
              QRect(100, 50, 1, 1));
    EXPECT_TRUE(QueryImeCaret(Qt::ImEnabled, at, font, false, true).toBool());
    EXPECT_FALSE(QueryImeCaret(Qt::ImSurroundingText, at, font, false, true).isValid());
}

TEST(ViewInput, VerticalMarkIsDroppedOnlyWhenAsked)
{
    const LOGFONTA font = CaretFont("@Mincho", -18);
    const QFont dropped = QtFontOfImeFont(font, true);
    EXPECT_EQ(dropped.family(), QStringLiteral("Mincho"));
    EXPECT_EQ(dropped.pixelSize(), 18);
    EXPECT_TRUE(dropped.bold());
    EXPECT_EQ(QtFontOfImeFont(font, false).family(), QStringLiteral("@Mincho"));
    EXPECT_EQ(QueryImeCaret(Qt::ImFont, POINT{0, 0}, font, true, true).value<QFont>().family(), QStringLiteral("Mincho"));
}

}  // namespace
