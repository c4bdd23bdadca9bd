#include "base/property_records.h"
#include "platform/memory_file.h"
#include "tests/support/stream_bytes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

template <typename Record>
Bytes Block(const Record& record)
{
    return StoreBytes([&](CArchive& ar) { ar.WriteRecord(record); });
}

// "ＭＳ Ｐ明朝" in code page 932, zero-padded to 32 bytes.
Bytes DefaultFaceBytes()
{
    Bytes face = {0x82, 0x6C, 0x82, 0x72, 0x20, 0x82, 0x6F, 0x96, 0xBE, 0x92, 0xA9};
    face.resize(32, 0);
    return face;
}

}  // namespace

TEST(PropertyRecords, Defaults)
{
    const CFontProperties font;
    EXPECT_EQ(std::string(font.m_fontFace), kMsPMinchoFace);
    EXPECT_EQ(font.m_fontSize, 371);
    EXPECT_EQ(font.m_fontWidth, 0);
    EXPECT_EQ(font.m_fontItalic, 0);
    EXPECT_EQ(font.m_fontWeight, 400);

    EXPECT_EQ(CColorRelatedProperties().m_color, 0u);

    const CBorderPaddingBackgroundProperties border;
    EXPECT_EQ(border.m_backgroundColor, 0xFFFFFFu);
    EXPECT_EQ(border.m_backgroundPattern, 0);
    EXPECT_EQ(border.m_borderStyle, 0);
    EXPECT_EQ(border.m_beforeStyle, 0);
    EXPECT_EQ(border.m_afterStyle, 0);
    EXPECT_EQ(border.m_borderWidth, 1);
    EXPECT_EQ(border.m_beforeWidth, 1);
    EXPECT_EQ(border.m_afterWidth, 1);

    const CBlockLineRelatedProperties line;
    EXPECT_EQ(line.m_lineSpacing, 71);
    EXPECT_EQ(line.m_textAlign, 0);

    const CAreaAlignmentProperties align;
    EXPECT_EQ(align.m_alignReserved, 1);
    EXPECT_EQ(align.m_scriptPosition, 0);

    const CKasenRenbanProperties renban;
    EXPECT_EQ(renban.m_renbanForce, -1);
    EXPECT_EQ(renban.m_renbanType, 0);
    EXPECT_EQ(std::string(renban.m_renbanFace), kMsPMinchoFace);
    EXPECT_EQ(renban.m_renbanSize, 176);
    EXPECT_TRUE(renban.m_renbanString.IsEmpty());

    const PAGE_GEOMETRY page;
    EXPECT_EQ(page.height, 29700);
    EXPECT_EQ(page.width, 21000);
    EXPECT_EQ(page.columnCount, 1);
    EXPECT_EQ(page.columnGap, 500);

    const HAITEN_INFO haiten;
    EXPECT_EQ(haiten.style, 1);
    EXPECT_EQ(haiten.visibility, 0);
    EXPECT_EQ(haiten.fence, u"（");

    const int32_t zeros[12] = {};
    EXPECT_EQ(std::memcmp(XML_BUILD_CONTEXT().counters, zeros, sizeof zeros), 0);
    EXPECT_EQ(std::memcmp(CFDraw().m_draw, zeros, sizeof CFDraw().m_draw), 0);
}

TEST(PropertyRecords, ResetsRestoreTheDefaults)
{
    CFontProperties font;
    CopyFaceName(font.m_fontFace, "Arial");
    font.m_fontSize = 1;
    font.m_fontWeight = 700;
    font.SetDefaults();
    EXPECT_EQ(Block(font), Block(CFontProperties()));

    CBorderPaddingBackgroundProperties border;
    border.m_afterWidth = 3;
    border.m_backgroundColor = 0x123456;
    border.SetDefaults();
    EXPECT_EQ(Block(border), Block(CBorderPaddingBackgroundProperties()));

    CCharacterProperties character;
    character.m_letterSpacing = 30;
    character.m_lineThroughStyle = 7;
    character.Clear();
    EXPECT_EQ(Block(character), Block(CCharacterProperties()));

    CBlockMarginProperties margins;
    margins.m_marginBottom = 5;
    margins.Clear();
    EXPECT_EQ(margins.m_marginBottom, 0);

    CAreaAlignmentProperties align;
    align.m_alignReserved = 0;
    align.m_scriptPosition = 2;
    align.SetDefaults();
    EXPECT_EQ(align.m_alignReserved, 1);
    EXPECT_EQ(align.m_scriptPosition, 0);

    CKasenRenbanProperties renban;
    renban.m_renbanForce = 4;
    renban.m_renbanType = 6;
    renban.m_renbanSize = 1;
    renban.m_renbanString = u"ア";
    CopyFaceName(renban.m_renbanFace, "x");
    renban.SetDefaults();
    EXPECT_EQ(renban.m_renbanForce, -1);
    EXPECT_EQ(renban.m_renbanType, 0);
    EXPECT_EQ(renban.m_renbanSize, 176);
    EXPECT_EQ(std::string(renban.m_renbanFace), kMsPMinchoFace);
    EXPECT_TRUE(renban.m_renbanString.IsEmpty());

    HAITEN_INFO haiten;
    haiten.style = 3;
    haiten.p3 = 10;
    haiten.visibility = 1;
    haiten.fence = u"［";
    haiten.SetDefaults();
    EXPECT_EQ(haiten.style, 1);
    EXPECT_EQ(haiten.p3, 0);
    EXPECT_EQ(haiten.visibility, 0);
    EXPECT_EQ(haiten.fence, u"（");

    PAGE_GEOMETRY page;
    page.columnCount = 2;
    page.SetDefaults();
    EXPECT_EQ(page.columnCount, 1);

    CAreaDimensionProperties area;
    area.m_areaWidth = 9;
    area.Clear();
    EXPECT_EQ(area.m_areaWidth, 0);
}

TEST(PropertyRecords, CopiesTakeEveryField)
{
    CFontProperties font;
    CopyFaceName(font.m_fontFace, "Times New Roman");
    font.m_fontSize = 500;
    font.m_fontWidth = 2;
    font.m_fontItalic = 1;
    font.m_fontWeight = 700;
    CFontProperties copy;
    EXPECT_EQ(&copy.Copy(font), &copy);
    EXPECT_EQ(Block(copy), Block(font));

    CBorderPaddingBackgroundProperties border;
    border.m_backgroundPattern = 6;
    border.m_afterStyle = 7;
    border.m_afterWidth = 3;
    EXPECT_EQ(Block(CBorderPaddingBackgroundProperties().Copy(border)), Block(border));

    CKasenRenbanProperties renban;
    renban.m_renbanForce = 3;
    renban.m_renbanType = 6;
    CopyFaceName(renban.m_renbanFace, "Arial");
    renban.m_renbanSize = 200;
    renban.m_renbanString = u"イ";
    CKasenRenbanProperties renbanCopy;
    renbanCopy.Copy(renban);
    EXPECT_EQ(renbanCopy.m_renbanForce, 3);
    EXPECT_EQ(renbanCopy.m_renbanType, 6);
    EXPECT_EQ(std::string(renbanCopy.m_renbanFace), "Arial");
    EXPECT_EQ(renbanCopy.m_renbanSize, 200);
    EXPECT_EQ(renbanCopy.m_renbanString, u"イ");

    HAITEN_INFO haiten;
    haiten.style = 4;
    haiten.reserved = 1;
    haiten.p1 = 2;
    haiten.p2 = 3;
    haiten.p3 = 6;
    haiten.visibility = 1;
    haiten.fence = u"［";
    HAITEN_INFO haitenCopy;
    haitenCopy.Copy(haiten);
    EXPECT_EQ(haitenCopy.style, 4);
    EXPECT_EQ(haitenCopy.reserved, 1);
    EXPECT_EQ(haitenCopy.p1, 2);
    EXPECT_EQ(haitenCopy.p2, 3);
    EXPECT_EQ(haitenCopy.p3, 6);
    EXPECT_EQ(haitenCopy.visibility, 1);
    EXPECT_EQ(haitenCopy.fence, u"［");

    CCharacterProperties character;
    character.m_underlineWidth = 3;
    character.m_underlineStyle = 2;
    EXPECT_EQ(Block(CCharacterProperties().Copy(character)), Block(character));
    CAreaDimensionProperties area;
    area.m_areaHeight = 12;
    EXPECT_EQ(CAreaDimensionProperties().Copy(area).m_areaHeight, 12);
    CBlockLineRelatedProperties line;
    line.m_textAlign = 4;
    EXPECT_EQ(CBlockLineRelatedProperties().Copy(line).m_textAlign, 4);
    CColorRelatedProperties color;
    color.m_color = RGB(1, 2, 3);
    EXPECT_EQ(CColorRelatedProperties().Copy(color).m_color, 0x030201u);
}

TEST(PropertyRecords, RawImagesMatchTheStoredLayout)
{
    // Font: face (32 bytes), size, width mode, italic, weight.
    EXPECT_EQ(Block(CFontProperties()), Cat({Int32(48), DefaultFaceBytes(), Int32(371), Int32(0), Int32(0), Int32(400)}));
    // Border: background colour, pattern, frame style and width, before side, after side.
    CBorderPaddingBackgroundProperties border;
    border.m_borderStyle = 2;
    border.m_beforeStyle = 3;
    border.m_afterWidth = 3;
    EXPECT_EQ(Block(border), Cat({Int32(32), Int32(0xFFFFFF), Int32(0), Int32(2), Int32(1), Int32(3), Int32(1),
                                  Int32(0), Int32(3)}));
    CColorRelatedProperties color;
    color.m_color = RGB(0x12, 0x34, 0x56);
    EXPECT_EQ(Block(color), Cat({Int32(4), {0x12, 0x34, 0x56, 0x00}}));
    EXPECT_EQ(Block(CBlockLineRelatedProperties()), Cat({Int32(16), Int32(0), Int32(71), Int32(0), Int32(0)}));
    CCharacterProperties character;
    character.m_letterSpacing = 35;
    character.m_underlineWidth = 1;
    character.m_lineThroughWidth = 3;
    character.m_underlineStyle = 7;
    character.m_lineThroughStyle = 2;
    EXPECT_EQ(Block(character), Cat({Int32(28), Int32(0), Int32(35), Int32(0), Int32(1), Int32(3), Int32(7), Int32(2)}));
    CAreaAlignmentProperties align;
    align.m_scriptPosition = 2;
    EXPECT_EQ(Block(align), Cat({Int32(8), Int32(1), Int32(2)}));
    CAreaDimensionProperties area;
    area.m_areaWidth = 100;
    area.m_areaHeight = 200;
    EXPECT_EQ(Block(area), Cat({Int32(8), Int32(100), Int32(200)}));
    CBlockMarginProperties margins;
    margins.m_marginLeft = -371;
    margins.m_marginBottom = 5;
    EXPECT_EQ(Block(margins), Cat({Int32(16), Int32(-371), Int32(0), Int32(0), Int32(5)}));
}

TEST(PropertyRecords, FaceNamesAreCutOnACharacterBoundary)
{
    const std::string kanji = "\x96\xbe";  // 明, two bytes
    std::string fifteen;
    for (int i = 0; i < 15; ++i)
        fifteen += kanji;
    struct Case { std::string source; std::string expected; };
    const Case cases[] = {
        {"Arial", "Arial"},
        {std::string(40, 'a'), std::string(31, 'a')},
        {fifteen + "ab", fifteen + "a"},          // 31 bytes fit exactly
        {"a" + fifteen + kanji, "a" + fifteen},   // 33 bytes: the last character goes whole
        {"ab" + fifteen, "ab" + fifteen.substr(0, 28)},  // the 31st byte would be a lead byte
        {"x\x82", "x"},                           // a lead byte without its trail byte
        {std::string("ab\0cd", 5), "ab"},
        {"", ""},
    };
    for (const Case& c : cases) {
        char face[LF_FACESIZE];
        std::memset(face, 'Z', sizeof face);
        CopyFaceName(face, c.source);
        EXPECT_EQ(FaceNameView(face), c.expected) << c.source;
        for (size_t i = c.expected.size(); i < LF_FACESIZE; ++i)
            EXPECT_EQ(face[i], 0) << c.source << " byte " << i;
    }

    // A face read raw without a terminator is cut when it is copied on.
    CFontProperties raw;
    std::memset(raw.m_fontFace, 'q', LF_FACESIZE);
    EXPECT_EQ(FaceNameView(raw.m_fontFace).size(), 32u);
    CFontProperties copy;
    copy.Copy(raw);
    EXPECT_EQ(FaceNameView(copy.m_fontFace), std::string(31, 'q'));
    raw.Copy(raw);
    EXPECT_EQ(FaceNameView(raw.m_fontFace), std::string(31, 'q'));
}

// A holder shares the defaults until its numbering differs, and its record then reads back
// exactly, the face's bytes after the terminator included; the record's Copy rules still hold.
TEST(PropertyRecords, NodeNumberingHoldsOnlyWhatDiffersFromTheDefaults)
{
    CNodeNumbering holder;
    EXPECT_EQ(&holder.Numbering(), &CNodeNumbering::NumberingDefaults());
    holder.EditNumbering().m_renbanType = RenbanType::kString;
    holder.EditNumbering().m_renbanString = u"甲";
    EXPECT_NE(&holder.Numbering(), &CNodeNumbering::NumberingDefaults());
    EXPECT_EQ(holder.Numbering().m_renbanType, RenbanType::kString);

    CNodeNumbering copy(holder);
    holder.ResetNumbering();
    EXPECT_EQ(holder.Numbering().m_renbanType, RenbanType::kNone);
    EXPECT_EQ(copy.Numbering().m_renbanString, u"甲");

    CKasenRenbanProperties raw;
    raw.m_renbanFace[20] = 'x';  // a byte after the terminator, as a stream may carry it
    holder.SetNumbering(raw);
    EXPECT_EQ(holder.Numbering().m_renbanFace[20], 'x');
    holder.CopyNumbering(raw);
    EXPECT_EQ(&holder.Numbering(), &CNodeNumbering::NumberingDefaults());
    copy.SetNumbering(CKasenRenbanProperties());
    EXPECT_EQ(&copy.Numbering(), &CNodeNumbering::NumberingDefaults());
}

// Holders of equal values point at one shared copy; an editor's change reaches only its own
// holder, at the end of its statement, and the raw face bytes are kept as given.
TEST(PropertyRecords, SharedRecordsAreOnePerValueAndChangedThroughAnEditor)
{
    CSharedRecord<CFontProperties> a, b;
    EXPECT_EQ(&a.Get(), &b.Get());
    a.Edit()->m_fontSize = 1234;
    EXPECT_EQ(a.Get().m_fontSize, 1234);
    EXPECT_EQ(b.Get().m_fontSize, CFontProperties().m_fontSize);
    b.Edit()->m_fontSize = 1234;
    EXPECT_EQ(&a.Get(), &b.Get());

    CFontProperties raw;
    raw.m_fontFace[30] = 'x';  // a byte after the terminator, as a stream may carry it
    a.Set(raw);
    EXPECT_EQ(a.Get().m_fontFace[30], 'x');
    EXPECT_NE(&a.Get(), &CSharedRecord<CFontProperties>().Get());

    CSharedRecord<CCharacterProperties> character;
    {
        auto editor = character.Edit();
        editor->m_underlineStyle = LineStyle::kWave;
        EXPECT_EQ(character.Get().m_underlineStyle, LineStyle::kNone);
    }
    EXPECT_EQ(character.Get().m_underlineStyle, LineStyle::kWave);
}
