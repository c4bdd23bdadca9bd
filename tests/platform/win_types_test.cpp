#include "platform/win_types.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstddef>

TEST(WinTypes, RecordsKeepWindowsLayout)
{
    EXPECT_EQ(offsetof(LOGFONTA, lfItalic), 20u);
    EXPECT_EQ(offsetof(LOGFONTA, lfFaceName), 28u);
    EXPECT_EQ(offsetof(TEXTMETRICA, tmFirstChar), 44u);
    EXPECT_EQ(offsetof(TEXTMETRICA, tmCharSet), 52u);
    EXPECT_EQ(RGB(0x12, 0x34, 0x56), 0x563412u);
}

TEST(WinTypes, MulDivRoundsHalvesAwayFromZero)
{
    struct Case { int a, b, c, expected; };
    const Case cases[] = {
        {10, 2540, 72, 353},   // 352.78
        {5, 254, 72, 18},      // 17.64
        {2, 2540, 72, 71},     // 70.56
        {5, 2540, 72, 176},    // 176.39
        {1, 3, 2, 2},          // 1.5 → 2
        {-1, 3, 2, -2},        // -1.5 → -2
        {1, -3, 2, -2},
        {-1, -3, 2, 2},
        {1, 3, -2, -2},
        {7, 1, 2, 4},
        {-7, 1, 2, -4},
        {0, 5, 3, 0},
        {INT_MAX, 2, 2, INT_MAX},  // the product needs 64 bits
        {5, 5, 0, -1},
        {INT_MAX, INT_MAX, 1, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected) << c.a << " * " << c.b << " / " << c.c;
}
