#include "base/gaiji_lookup.h"

#include "platform/codepage.h"

#include <gtest/gtest.h>

TEST(Gaiji, LooksUpCodesAndTheCharacterToDraw)
{
    WORD code = 0;
    EXPECT_TRUE(FindGaijiCode(0x624C, &code));
    EXPECT_EQ(code, 0x9A70);  // the first of its two pairs
    EXPECT_TRUE(FindGaijiCode(0x9F55, &code));
    EXPECT_EQ(code, 0xE341);
    EXPECT_FALSE(FindGaijiCode(u'A', &code));

    char16_t out = u'x';
    EXPECT_TRUE(MapToGaijiChar(0x2236, &out));
    EXPECT_EQ(out, char16_t(0xFF1A));  // the code page's character at 0x8146
    EXPECT_TRUE(MapToGaijiChar(0x2113, &out));
    EXPECT_EQ(out, Cp932ToWide("\x87\x6D")[0]);
    out = u'x';
    EXPECT_FALSE(MapToGaijiChar(0x3042, &out));
    EXPECT_EQ(out, u'x');
    EXPECT_EQ(GAIJI_MAP.front().unicode, 0x2236);
    EXPECT_EQ(GAIJI_MAP.back().code, 0xE341);
}
