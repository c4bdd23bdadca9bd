#include "platform/fonts.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>

namespace {

void Put32(std::string& out, uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>((v >> shift) & 0xFF));
}
void Put16(std::string& out, uint16_t v)
{
    out.push_back(static_cast<char>(v >> 8));
    out.push_back(static_cast<char>(v & 0xFF));
}

// An offset table of two tables at `at`, whose data follow it: "head" and "maxp" with the
// given contents (the length recorded for "maxp" can be made to reach past the file).
std::string Face(uint32_t at, const std::string& head, const std::string& maxp, uint32_t maxpLength)
{
    std::string out;
    Put32(out, 0x00010000);
    Put16(out, 2);
    Put16(out, 32);
    Put16(out, 1);
    Put16(out, 0);
    const uint32_t data = at + 12 + 2 * 16;
    out += "head";
    Put32(out, 0);
    Put32(out, data);
    Put32(out, static_cast<uint32_t>(head.size()));
    out += "maxp";
    Put32(out, 0);
    Put32(out, data + static_cast<uint32_t>(head.size()));
    Put32(out, maxpLength);
    return out + head + maxp;
}

std::string Write(const QTemporaryDir& dir, const char* name, const std::string& bytes)
{
    const std::string path = dir.filePath(name).toStdString();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

}  // namespace

TEST(FontFileTables, ATableIsReadFromAFontOrAFaceOfACollection)
{
    QTemporaryDir dir;
    const std::string single = Write(dir, "single.ttf", Face(0, "HEAD-ONE", "MAXP", 4));
    EXPECT_EQ(ReadFontFileTable(single, 0, "head"), "HEAD-ONE");
    EXPECT_EQ(ReadFontFileTable(single, 0, "maxp"), "MAXP");

    // A collection of two faces: the header, two offsets, then each face's own tables.
    std::string collection = "ttcf";
    Put32(collection, 0x00010000);
    Put32(collection, 2);
    const uint32_t first = 20;
    const std::string firstFace = Face(first, "FIRST", "M1", 2);
    const uint32_t second = first + static_cast<uint32_t>(firstFace.size());
    Put32(collection, first);
    Put32(collection, second);
    collection += firstFace + Face(second, "SECOND", "M2", 2);
    const std::string ttc = Write(dir, "pair.ttc", collection);
    EXPECT_EQ(ReadFontFileTable(ttc, 0, "head"), "FIRST");
    EXPECT_EQ(ReadFontFileTable(ttc, 1, "head"), "SECOND");
    EXPECT_EQ(ReadFontFileTable(ttc, 1, "maxp"), "M2");
}

TEST(FontFileTables, AMissingFileFaceOrTableOrATableCutShortGivesNothing)
{
    QTemporaryDir dir;
    const std::string cut = Write(dir, "cut.ttf", Face(0, "HEAD", "MA", 400));
    EXPECT_EQ(ReadFontFileTable(cut, 0, "head"), "HEAD");
    EXPECT_EQ(ReadFontFileTable(cut, 0, "maxp"), "");
    EXPECT_EQ(ReadFontFileTable(cut, 0, "OS/2"), "");
    EXPECT_EQ(ReadFontFileTable(cut, 0, "hea"), "");
    EXPECT_EQ(ReadFontFileTable(dir.filePath("none.ttf").toStdString(), 0, "head"), "");
    EXPECT_EQ(ReadFontFileTable(Write(dir, "empty.ttf", ""), 0, "head"), "");
    std::string collection = "ttcf";
    Put32(collection, 0x00010000);
    Put32(collection, 1);
    Put32(collection, 16);
    collection += Face(16, "ONLY", "M", 1);
    EXPECT_EQ(ReadFontFileTable(Write(dir, "one.ttc", collection), 1, "head"), "");
}
