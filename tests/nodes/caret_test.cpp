#include "nodes/caret.h"

#include "base/gdi_cache.h"
#include "nodes/edit_switches.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

CEditNode* FakeNode(int n) { return reinterpret_cast<CEditNode*>(static_cast<uintptr_t>(0x1000 * n)); }

} // namespace

TEST(Caret, ResetTakesTheDefaultFontOfTheWritingDirection)
{
    const int saved = CurrentWritingVertical;
    CurrentWritingVertical = 1;
    CCaret caret;
    caret.m_caretNode = FakeNode(1);
    caret.m_rememberedX = -1;
    caret.m_color.m_color = 0xFF;
    caret.Reset();
    CurrentWritingVertical = saved;
    EXPECT_EQ(caret.m_caretNode, nullptr);
    EXPECT_EQ(caret.m_rememberedX, 0);
    EXPECT_EQ(caret.m_color.m_color, 0u);
    EXPECT_STREQ(caret.m_logFont.lfFaceName, "@\x82\x6c\x82\x72\x20\x96\xbe\x92\xa9");  // @ＭＳ 明朝
    EXPECT_EQ(caret.m_logFont.lfEscapement, 2700);
    EXPECT_EQ(caret.m_logFont.lfHeight, -371);

    caret.Reset();
    EXPECT_STREQ(caret.m_logFont.lfFaceName, kMsPMinchoFace);
    EXPECT_EQ(caret.m_logFont.lfEscapement, 0);
}

TEST(Caret, ClearSelectionKeepsTheCaret)
{
    CCaret caret;
    caret.m_anchorNode = FakeNode(1);
    caret.m_anchorAfter = 1;
    caret.m_caretNode = FakeNode(2);
    caret.m_caretAfter = 1;
    caret.ClearSelection();
    EXPECT_EQ(caret.m_anchorNode, nullptr);
    EXPECT_EQ(caret.m_anchorAfter, 0);
    EXPECT_EQ(caret.m_caretNode, FakeNode(2));
    EXPECT_EQ(caret.m_caretAfter, 1);
}

TEST(Caret, TypingFaceComesOnlyFromTheInstalledList)
{
    LOGFONTA installed{};
    std::strcpy(installed.lfFaceName, "Caret Test Face");
    installed.lfCharSet = 77;
    installed.lfPitchAndFamily = 0x31;
    installed.lfHeight = 999;
    CGdiCache::Instance().InstalledFonts().Add(installed, NEWTEXTMETRICA{});

    CCaret caret;
    const LOGFONTA before = caret.m_logFont;
    caret.SetTypingFace("Not Installed Anywhere");
    EXPECT_EQ(std::memcmp(&before, &caret.m_logFont, sizeof before), 0);

    caret.SetTypingFace("Caret Test Face");
    EXPECT_STREQ(caret.m_logFont.lfFaceName, "Caret Test Face");
    EXPECT_EQ(caret.m_logFont.lfCharSet, 77);
    EXPECT_EQ(caret.m_logFont.lfPitchAndFamily, 0x31);
    EXPECT_EQ(caret.m_logFont.lfHeight, -371);
    EXPECT_STREQ(caret.m_font.m_fontFace, kMsPMinchoFace);  // the font record is not touched
}
