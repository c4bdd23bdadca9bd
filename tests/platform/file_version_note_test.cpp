// The version note of a program file, read from ELF bytes written by hand: every class and byte
// order, notes among others, and damaged or hostile files that must read as "no version".
#include "platform/file_version_note.h"

#include "tests/support/case_names.h"
#include "tests/support/elf_bytes.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>

namespace {

class VersionNoteFile : public ::testing::Test {
protected:
    std::string Write(const std::string& bytes)
    {
        const std::string path = m_dir.filePath("program").toStdString();
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        return path;
    }
    bool Read(const std::string& bytes, std::string* text) { return ReadFileVersionNote(Write(bytes), text); }

    QTemporaryDir m_dir;
};

// A field of a 64-bit little-endian file, overwritten in place.
void Poke(std::string& bytes, size_t at, uint64_t value, int width)
{
    std::string field;
    PutField(field, value, width, false);
    bytes.replace(at, size_t(width), field);
}

// Where the section table of a 64-bit file starts, and its entry i.
uint64_t TableAt(const std::string& bytes)
{
    uint64_t value = 0;
    for (int i = 7; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[40 + size_t(i)]);
    return value;
}
size_t EntryAt(const std::string& bytes, size_t i) { return size_t(TableAt(bytes)) + 64 * i; }

struct READABLE_CASE {
    const char* what;
    std::function<std::string()> bytes;
    const char* text;
};

const std::string kBuildId(20, '\x5a');

const READABLE_CASE kReadable[] = {
    {"64-bit little-endian", [] { return ElfWithVersion("1.30.0000"); }, "1.30.0000"},
    {"32-bit little-endian",
     [] { return ElfFileBytes({1, false, {{7, 4, VersionNote("2.10.0000")}}}); }, "2.10.0000"},
    {"64-bit big-endian",
     [] { return ElfFileBytes({2, true, {{7, 4, VersionNote("1, 30, 0, 0", true)}}}); }, "1, 30, 0, 0"},
    {"32-bit big-endian",
     [] { return ElfFileBytes({1, true, {{7, 4, VersionNote("2, 0, 0, 0", true)}}}); }, "2, 0, 0, 0"},
    {"after a build-id note of the same section",
     [] { return ElfFileBytes({2, false, {{7, 4, ElfNote("GNU", 3, kBuildId) + VersionNote("1.30.0000")}}}); },
     "1.30.0000"},
    // Names and descriptors padded to eight bytes: "Orvellan" and its zero take 16, not 12.
    {"in a section of eight-byte notes",
     [] {
         return ElfFileBytes({2, false, {{7, 8, ElfNote("GNU", 5, std::string(12, '\1'), false, 8) +
                                                    ElfNote("Orvellan", 1, std::string("2.10.0000", 10), false, 8)}}});
     },
     "2.10.0000"},
    {"after a section that is not a note but holds note-like bytes",
     [] { return ElfFileBytes({2, false, {{1, 4, VersionNote("9.99")}, {7, 4, VersionNote("1.30.0000")}}}); },
     "1.30.0000"},
    {"a text without its zero byte", [] { return ElfFileBytes({2, false, {{7, 4, ElfNote("Orvellan", 1, "1.2.3")}}}); },
     "1.2.3"},
};

class ReadableVersionNote : public VersionNoteFile, public ::testing::WithParamInterface<READABLE_CASE> {};

TEST_P(ReadableVersionNote, GivesTheText)
{
    std::string text;
    ASSERT_TRUE(Read(GetParam().bytes(), &text));
    EXPECT_EQ(text, GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Files, ReadableVersionNote, ::testing::ValuesIn(kReadable), CaseNameFromWhat());

struct UNREADABLE_CASE {
    const char* what;
    std::function<std::string()> bytes;
};

std::string Changed(std::function<void(std::string&)> change)
{
    std::string bytes = ElfWithVersion("1.30.0000");
    change(bytes);
    return bytes;
}

const UNREADABLE_CASE kUnreadable[] = {
    {"an empty file", [] { return std::string(); }},
    {"a file that is not ELF", [] { return std::string("MZ\x90\0\3\0\0\0\4\0\0\0\xff\xff\0\0", 16) + std::string(200, '\0'); }},
    {"an unknown class", [] { return Changed([](std::string& b) { b[4] = 3; }); }},
    {"no class", [] { return Changed([](std::string& b) { b[4] = 0; }); }},
    {"an unknown byte order", [] { return Changed([](std::string& b) { b[5] = 7; }); }},
    {"an unknown format version", [] { return Changed([](std::string& b) { b[6] = 0; }); }},
    {"a section table far beyond the file", [] { return Changed([](std::string& b) { Poke(b, 40, 0xFFFFFFFFFFFFFF00u, 8); }); }},
    {"a section table running past the end", [] { return Changed([](std::string& b) { Poke(b, 60, 0xFFFF, 2); }); }},
    {"section entries smaller than the format's", [] { return Changed([](std::string& b) { Poke(b, 58, 16, 2); }); }},
    {"no sections", [] { return Changed([](std::string& b) { Poke(b, 60, 0, 2); }); }},
    {"a note section far beyond the file",
     [] { return Changed([](std::string& b) { Poke(b, EntryAt(b, 1) + 24, 0x7FFFFFFFFFFFFFF0u, 8); }); }},
    {"a note section running past the end",
     [] { return Changed([](std::string& b) { Poke(b, EntryAt(b, 1) + 32, 0x1000, 8); }); }},
    // The note's descriptor size claims more than its section holds.
    {"a truncated note", [] { return Changed([](std::string& b) { Poke(b, 64 + 4, 4096, 4); }); }},
    {"a name size beyond the section", [] { return Changed([](std::string& b) { Poke(b, 64, 0xFFFFFFFFu, 4); }); }},
    {"an oversized note", [] { return ElfWithVersion(std::string(300, '1')); }},
    {"only another owner's note", [] { return ElfFileBytes({2, false, {{7, 4, ElfNote("GNU", 1, "1.30.0000")}}}); }},
    {"our owner with another type", [] { return ElfFileBytes({2, false, {{7, 4, ElfNote("Orvellan", 2, "1.30.0000")}}}); }},
    {"the version in a section that is not a note",
     [] { return ElfFileBytes({2, false, {{1, 4, VersionNote("1.30.0000")}}}); }},
};

class UnreadableVersionNote : public VersionNoteFile, public ::testing::WithParamInterface<UNREADABLE_CASE> {};

TEST_P(UnreadableVersionNote, HasNoVersion)
{
    std::string text = "left over";
    EXPECT_FALSE(Read(GetParam().bytes(), &text));
    EXPECT_EQ(text, "");
}

INSTANTIATE_TEST_SUITE_P(Files, UnreadableVersionNote, ::testing::ValuesIn(kUnreadable), CaseNameFromWhat());

TEST_F(VersionNoteFile, AFileCutShortAnywhereHasNoVersion)
{
    const std::string whole = ElfWithVersion("1.30.0000");
    std::string text;
    ASSERT_TRUE(Read(whole, &text));
    for (size_t size = 0; size < whole.size(); ++size)
        EXPECT_FALSE(Read(whole.substr(0, size), &text)) << size;
}

TEST_F(VersionNoteFile, AMissingFileOrAFolderHasNoVersion)
{
    std::string text;
    EXPECT_FALSE(ReadFileVersionNote(m_dir.filePath("absent").toStdString(), &text));
    EXPECT_FALSE(ReadFileVersionNote(m_dir.path().toStdString(), &text));
}

}  // namespace
