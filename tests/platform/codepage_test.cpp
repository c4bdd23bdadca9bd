#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct DecodeRow {
    std::string bytes;
    char16_t unit;
};

// Rows of a decode table: every valid code page 932 sequence with the unit the system
// conversion gives for it. A missing file gives no rows.
void ReadDecodeTable(const std::string& path, std::map<std::string, char16_t>& rows)
{
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        std::string hexBytes, hexUnit;
        fields >> hexBytes >> hexUnit;
        std::string bytes;
        for (size_t i = 0; i + 1 < hexBytes.size(); i += 2)
            bytes.push_back(static_cast<char>(std::stoi(hexBytes.substr(i, 2), nullptr, 16)));
        rows[bytes] = static_cast<char16_t>(std::stoi(hexUnit, nullptr, 16));
    }
}

// The table kept with the tests, joined by the shared test data when it sits beside the clone.
std::vector<DecodeRow> LoadDecodeTable()
{
    std::map<std::string, char16_t> rows;
    ReadDecodeTable(std::string(QN_TEST_DATA_DIR) + "/cp932/decode.tsv", rows);
    ReadDecodeTable(std::string(QN_SHARED_TEST_DATA_DIR) + "/cp932/decode.tsv", rows);
    std::vector<DecodeRow> table;
    for (const auto& [bytes, unit] : rows)
        table.push_back({bytes, unit});
    return table;
}

std::string Hex(std::string_view bytes)
{
    std::string out;
    char buf[4];
    for (unsigned char b : bytes) {
        snprintf(buf, sizeof buf, "%02X", b);
        out += buf;
    }
    return out;
}

} // namespace

TEST(CodePage932, DecodesEveryValidSequenceAsTheSystemDoes)
{
    const std::vector<DecodeRow> rows = LoadDecodeTable();
    ASSERT_GT(rows.size(), 9000u);
    int failures = 0;
    for (const DecodeRow& row : rows) {
        const std::u16string decoded = Cp932ToWide(row.bytes);
        if (decoded.size() != 1 || decoded[0] != row.unit) {
            ADD_FAILURE() << Hex(row.bytes) << " decoded wrongly";
            if (++failures > 10)
                break;
        }
    }
}

TEST(CodePage932, EncodingRoundTripsTheDecodedUnits)
{
    // Units reached from more than one sequence encode to one of them; that one must decode back.
    int failures = 0;
    for (const DecodeRow& row : LoadDecodeTable()) {
        const std::u16string unit(1, row.unit);
        const std::string encoded = WideToCp932(unit);
        if (Cp932ToWide(encoded) != unit) {
            ADD_FAILURE() << Hex(row.bytes) << " does not round-trip";
            if (++failures > 10)
                break;
        }
    }
}

TEST(CodePage932, KnownRows)
{
    struct Case { char16_t unit; const char* bytes; };
    const Case cases[] = {
        {u'\\', "\x5C"},         {u'~', "\x7E"},         {u'\uFF5E', "\x81\x60"},  // full-width tilde
        {u'\u2225', "\x81\x61"}, {u'\uFF0D', "\x81\x7C"}, {u'\u2460', "\x87\x40"},  // circled one
        {u'\u3231', "\x87\x8A"}, {u'\u65E5', "\x93\xFA"}, {u'\uFF71', "\xB1"},      // ㈱ 日 ｱ
        {u'\uE000', "\xF0\x40"}, {u'\u7E8A', "\xFA\x5C"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WideToCp932(std::u16string(1, c.unit)), c.bytes) << std::hex << int(c.unit);
        EXPECT_EQ(Cp932ToWide(c.bytes), std::u16string(1, c.unit)) << std::hex << int(c.unit);
    }
}

TEST(CodePage932, UnitsWithoutANarrowFormBecomeTheDefaultCharacter)
{
    EXPECT_EQ(WideToCp932(u"a\u00E9b"), "a?b");
    EXPECT_EQ(WideToCp932(u"\U0001F600x"), "?x");      // a surrogate pair is one character
    EXPECT_EQ(WideToCp932(std::u16string(1, char16_t(0xD800)) + u"x"), "?x");  // lone surrogate
    EXPECT_EQ(WideToCp932(u"\u301C"), "\x81\x60");     // wave dash takes the best-fit row
}

TEST(CodePage932, InvalidBytesBecomeTheDefaultUnit)
{
    EXPECT_EQ(Cp932ToWide("\x81"), u"\u30FB");            // a lead byte at the end
    EXPECT_EQ(Cp932ToWide("a\x85\x40z"), u"a\u30FBz");    // an unassigned pair is one character
    EXPECT_EQ(Cp932ToWide("a\x81\x21z"), u"a\u30FB!z");   // no trail byte: the next byte stands alone
    EXPECT_EQ(Cp932ToWide(std::string_view("\0a", 2)), std::u16string(u"\0a", 2));
    EXPECT_TRUE(Cp932ToWide("").empty());
    EXPECT_TRUE(IsCp932LeadByte(0x81));
    EXPECT_TRUE(IsCp932LeadByte(0xFC));
    EXPECT_FALSE(IsCp932LeadByte(0xA0));
    EXPECT_FALSE(IsCp932LeadByte(0x7F));
}
