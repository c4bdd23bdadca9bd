#include "base/wide_string.h"
#include "platform/memory_file.h"
#include "tests/support/stream_bytes.h"

#include <gtest/gtest.h>

namespace {

Bytes Store(CStringW text)
{
    return StoreBytes([&](CArchive& ar) { text.Serialize(ar); });
}

}  // namespace

TEST(WideStringStream, StoresByteCountUnitsAndTerminator)
{
    EXPECT_EQ(Store(CStringW(u"ab")), (Bytes{0x06, 0, 0, 0, 0x61, 0, 0x62, 0, 0, 0}));
    EXPECT_EQ(Store(CStringW()), (Bytes{0x02, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Store(CStringW(u"\u3042")), (Bytes{0x04, 0, 0, 0, 0x42, 0x30, 0, 0}));
}

TEST(WideStringStream, LoadsTheUnitsBeforeTheFirstZero)
{
    struct Case { Bytes bytes; std::u16string expected; };
    const Case cases[] = {
        {{0x06, 0, 0, 0, 0x61, 0, 0, 0, 0x62, 0}, u"a"},
        {{0x06, 0, 0, 0, 0x61, 0, 0x62, 0, 0, 0}, u"ab"},
        {{0x04, 0, 0, 0, 0x61, 0, 0x62, 0}, u"ab"},  // no terminator: every unit
        {{0x02, 0, 0, 0, 0, 0}, u""},
        {{0x00, 0, 0, 0}, u""},
    };
    for (const Case& c : cases) {
        CMemFile file(c.bytes);
        CArchive ar(&file, CArchive::load);
        CStringW text(u"old");
        text.Serialize(ar);
        EXPECT_EQ(text.View(), c.expected);
        EXPECT_EQ(ar.BytesLeft(), 0u);
    }
}

TEST(WideStringStream, BadCountRaisesAndLeavesTheString)
{
    struct Case { Bytes bytes; CArchiveException::Cause cause; };
    const Case cases[] = {
        {{0x03, 0, 0, 0, 0x61, 0, 0}, CArchiveException::genericException},      // odd
        {{0x08, 0, 0, 0, 0x61, 0, 0, 0}, CArchiveException::endOfFile},          // beyond the data
        {{0xFE, 0xFF, 0xFF, 0xFF, 0x61, 0}, CArchiveException::endOfFile},       // huge
        {{0x06, 0, 0}, CArchiveException::endOfFile},                             // count cut short
    };
    for (const Case& c : cases) {
        CMemFile file(c.bytes);
        CArchive ar(&file, CArchive::load);
        CStringW text(u"old");
        try {
            text.Serialize(ar);
            ADD_FAILURE() << "no exception";
        } catch (const CArchiveException& e) {
            EXPECT_EQ(e.m_cause, c.cause);
        }
        EXPECT_EQ(text, u"old");
    }
}

TEST(WideStringStream, IsAStreamableObject)
{
    CRuntimeClassRegistry registry;
    ASSERT_TRUE(registry.Add(RUNTIME_CLASS(CStringW)));
    CStringW text(u"x");
    CMemFile file;
    CArchive store(&file, CArchive::store);
    store.WriteObject(&text);
    store.Close();
    const Bytes expected = {0xFF, 0xFF, 0x01, 0x00, 0x08, 0x00, 'C', 'S', 't', 'r', 'i', 'n', 'g', 'W',
                            0x04, 0, 0, 0, 0x78, 0, 0, 0};
    EXPECT_EQ(Bytes(file.Data().begin(), file.Data().end()), expected);

    file.SeekToBegin();
    CArchive load(&file, CArchive::load, &registry);
    std::unique_ptr<CStringW> read = load.ReadNewObject<CStringW>();
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, u"x");
}
