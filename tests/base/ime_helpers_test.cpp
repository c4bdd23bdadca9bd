#include "base/ime_helpers.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

class FakeInputContext : public CInputContext {
public:
    bool IsOpen() const override { return open; }
    void SetOpen(bool value) override
    {
        open = value;
        ++changes;
    }
    bool SetCompositionPoint(POINT p) override
    {
        point = p;
        return true;
    }
    bool SetCompositionFont(const LOGFONTA& f) override
    {
        font = f;
        return true;
    }
    bool open = false;
    int changes = 0;
    POINT point{};
    LOGFONTA font{};
};

} // namespace

TEST(InputMethod, WorksOnTheWindowsContext)
{
    HWND window = reinterpret_cast<HWND>(uintptr_t(0x1234));
    EXPECT_FALSE(ImeIsOpen(window));
    EXPECT_FALSE(ImeSetOpen(window, TRUE));
    FakeInputContext context;
    ImmAssociateContext(window, &context);
    EXPECT_TRUE(ImeSetOpen(window, TRUE));
    EXPECT_TRUE(ImeSetOpen(window, TRUE));
    EXPECT_TRUE(ImeIsOpen(window));
    EXPECT_EQ(context.changes, 1);  // changed only when it differed
    const POINT p{12, 34};
    EXPECT_TRUE(ImeSetCompositionPos(window, &p));
    EXPECT_EQ(context.point.y, 34);
    LOGFONTA font{};
    font.lfHeight = -20;
    EXPECT_TRUE(ImeSetCompositionFont(window, &font));
    EXPECT_EQ(context.font.lfHeight, -20);
    EXPECT_EQ(ImeGetProperty(window, 4), 0u);
    ImmAssociateContext(window, nullptr);
    EXPECT_FALSE(ImeIsOpen(window));
}
