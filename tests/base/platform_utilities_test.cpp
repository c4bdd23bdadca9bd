#include "base/platform_utilities.h"

#include "platform/codepage.h"
#include "platform/gdi_recording.h"

#include <gtest/gtest.h>

#include <cstring>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

// A packed DIB in a global block: a 40-byte header, `colors` table entries and zeroed rows.
HGLOBAL MakeDib(int32_t width, int32_t height, uint16_t bits, uint32_t clrUsed = 0, int colors = 0)
{
    const size_t stride = ((size_t(width) * bits + 31) / 32) * 4;
    const size_t rows = size_t(height < 0 ? -height : height);
    const size_t size = 40 + size_t(colors) * 4 + stride * rows;
    HGLOBAL block = GlobalAlloc(GHND, size);
    auto* bytes = static_cast<unsigned char*>(GlobalLock(block));
    BITMAPINFOHEADER h{};
    h.biSize = 40;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = bits;
    h.biClrUsed = clrUsed;
    std::memcpy(bytes, &h, 40);
    for (int i = 0; i < colors; ++i) {
        const unsigned char entry[4] = {static_cast<unsigned char>(i), 0x20, 0x30, 0};  // blue, green, red
        std::memcpy(bytes + 40 + 4 * i, entry, 4);
    }
    GlobalUnlock(block);
    return block;
}

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

TEST(PaintDib, CopiesOrStretchesTheSourceRectangle)
{
    HGLOBAL dib = MakeDib(4, 3, 24);
    CRecordingDC dc;
    const RECT source{1, 0, 3, 2};
    const RECT same{10, 10, 12, 12};
    const RECT wide{10, 10, 14, 12};
    EXPECT_EQ(PaintDib(&dc, &same, dib, &source, HPALETTE()), 2);
    EXPECT_EQ(PaintDib(&dc, &wide, dib, &source, HPALETTE()), 2);
    const auto calls = dc.Drawings();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].op, GdiOp::SetDIBitsToDevice);
    EXPECT_EQ(calls[0].rect.right, 12);
    // The same band of rows in both: the top two rows of the picture.
    EXPECT_EQ(calls[0].sourceRect.top, 0);
    EXPECT_EQ(calls[0].sourceRect.bottom, 2);
    EXPECT_EQ(calls[1].op, GdiOp::StretchDIBits);
    EXPECT_EQ(calls[1].rect.right, 14);
    EXPECT_EQ(calls[1].sourceRect.top, 0);
    EXPECT_EQ(calls[1].sourceRect.left, 1);
    EXPECT_EQ(dc.GetStretchBltMode(), COLORONCOLOR);
    GlobalFree(dib);
}

TEST(PaintDib, DrawsNothingWithoutAWholeDib)
{
    CRecordingDC dc;
    const RECT r{0, 0, 4, 3};
    EXPECT_EQ(PaintDib(&dc, &r, nullptr, &r, HPALETTE()), 0);
    // A block shorter than the rows its header declares.
    HGLOBAL dib = MakeDib(4, 3, 24);
    HGLOBAL cut = GlobalAlloc(GHND, 40 + 12);
    std::memcpy(GlobalLock(cut), GlobalLock(dib), 40 + 12);
    GlobalUnlock(cut);
    GlobalUnlock(dib);
    EXPECT_EQ(PaintDib(&dc, &r, cut, &r, HPALETTE()), 0);
    EXPECT_TRUE(dc.Drawings().empty());
    GlobalFree(cut);
    GlobalFree(dib);
}

TEST(DibHelpers, ColourCountsSizesAndPalettes)
{
    struct Case { uint16_t bits; uint32_t clrUsed; WORD count; };
    const Case cases[] = {{1, 0, 2}, {4, 0, 16}, {8, 0, 256}, {8, 3, 3}, {24, 0, 0}, {32, 0, 0}};
    for (const Case& c : cases) {
        HGLOBAL dib = MakeDib(2, 2, c.bits, c.clrUsed, c.count);
        EXPECT_EQ(DibColorCount(GlobalLock(dib)), c.count) << c.bits;
        GlobalUnlock(dib);
        GlobalFree(dib);
    }

    HGLOBAL truecolor = MakeDib(5, 7, 24);
    EXPECT_FALSE(CreateDibPalette(truecolor));
    const SIZE size = DibSize(truecolor);
    EXPECT_EQ(size.cx, 5);
    EXPECT_EQ(size.cy, 7);
    GlobalFree(truecolor);

    HGLOBAL topDown = MakeDib(5, -7, 24);
    EXPECT_EQ(DibHeight(GlobalLock(topDown)), -7);
    GlobalUnlock(topDown);
    EXPECT_EQ(DibSize(topDown).cx, 0);
    EXPECT_EQ(DibSize(topDown).cy, 0);
    GlobalFree(topDown);
    EXPECT_EQ(DibSize(nullptr).cx, 0);

    HGLOBAL paletted = MakeDib(2, 2, 8, 3, 3);
    HPALETTE palette = CreateDibPalette(paletted);
    ASSERT_TRUE(palette);
    PALETTEENTRY entries[3];
    ASSERT_EQ(GetPaletteEntries(palette, 0, 3, entries), 3u);
    EXPECT_EQ(entries[2].peRed, 0x30);
    EXPECT_EQ(entries[2].peGreen, 0x20);
    EXPECT_EQ(entries[2].peBlue, 2);
    DeleteObject(palette);
    GlobalFree(paletted);

    // A core header: 16-bit fields.
    const unsigned char core[12] = {12, 0, 0, 0, 9, 0, 4, 0, 1, 0, 8, 0};
    EXPECT_EQ(DibWidth(core), 9);
    EXPECT_EQ(DibHeight(core), 4);
    EXPECT_EQ(DibColorCount(core), 256);
}

TEST(GlobalBlocks, CopyHasTheSameSizeAndBytes)
{
    EXPECT_EQ(CopyGlobalHandle(nullptr), nullptr);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 5);
    std::memcpy(GlobalLock(block), "abcde", 5);
    GlobalUnlock(block);
    HGLOBAL copy = CopyGlobalHandle(block);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, block);
    EXPECT_EQ(GlobalSize(copy), 5u);
    EXPECT_EQ(std::memcmp(GlobalLock(copy), "abcde", 5), 0);
    GlobalUnlock(copy);
    EXPECT_EQ(GlobalFree(copy), nullptr);
    EXPECT_EQ(GlobalFree(block), nullptr);
    // A freed handle names nothing any more.
    EXPECT_EQ(GlobalLock(block), nullptr);
    EXPECT_EQ(CopyGlobalHandle(block), nullptr);
    EXPECT_EQ(GlobalFree(block), block);
}

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

TEST(SystemVersion, SupportedSystemsAndTheRecordOfThisOne)
{
    struct Case { DWORD platform, major, minor; int supported; };
    const Case cases[] = {{2, 5, 1, 1}, {2, 5, 0, 1}, {2, 4, 0, 1}, {2, 6, 0, 0}, {2, 10, 0, 0}, {1, 4, 90, 1}, {0, 3, 1, 0}};
    for (const Case& c : cases) {
        OSVERSIONINFOA info{};
        info.dwPlatformId = c.platform;
        info.dwMajorVersion = c.major;
        info.dwMinorVersion = c.minor;
        EXPECT_EQ(IsSupportedVersion(info), c.supported) << c.platform << " " << c.major;
    }
    EXPECT_EQ(IsSupportedWindowsVersion(), 1);
    EXPECT_EQ(OsVersionInfo.dwOSVersionInfoSize, 148u);
    EXPECT_EQ(OsVersionInfo.dwPlatformId, VER_PLATFORM_WIN32_NT);
    EXPECT_EQ(OsVersionInfo.dwMajorVersion, 5u);
    EXPECT_EQ(OsVersionInfo.dwMinorVersion, 1u);
}

TEST(SystemMessage, GivesTheCallerTheSystemText)
{
    std::string text;
    EXPECT_TRUE(FormatSystemMessage(ERROR_FILE_NOT_FOUND, &text));
    EXPECT_EQ(Cp932ToWide(text), u"指定されたファイルが見つかりません。");
    std::string kept = "kept";
    EXPECT_FALSE(FormatSystemMessage(0xDEADBEEF, &kept));
    EXPECT_EQ(kept, "kept");
}

TEST(FileSearch, PatternsTellFilesFromDirectories)
{
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("qn-find-" + std::to_string(::getpid()));
    fs::create_directories(root / "sub.dir");
    std::ofstream(root / "a.txt") << "x";
    std::ofstream(root / "b[1].txt") << "x";
    const std::string base = root.string() + "/";
    EXPECT_TRUE(FileExists((base + "*.txt").c_str()));
    EXPECT_FALSE(DirectoryExists((base + "*.txt").c_str()));
    EXPECT_TRUE(DirectoryExists((base + "sub.*").c_str()));
    EXPECT_FALSE(FileExists((base + "sub.*").c_str()));
    EXPECT_TRUE(FileExists((base + "b[1].txt").c_str()));  // brackets are no wildcards
    EXPECT_TRUE(FileExists((base + "?.txt").c_str()));
    EXPECT_FALSE(FileExists((base + "none*").c_str()));
    EXPECT_FALSE(DirectoryExists((base + "none*").c_str()));
    fs::remove_all(root);
}

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

TEST(SwapInts, ExchangesAndReturnsTheFirst)
{
    int a = 1;
    int b = 2;
    EXPECT_EQ(SwapInts(&a, &b), &a);
    EXPECT_EQ(a, 2);
    EXPECT_EQ(b, 1);
}
