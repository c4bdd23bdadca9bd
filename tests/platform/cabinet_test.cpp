#include "platform/cabinet.h"

#include "tests/support/cabinet_bytes.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <functional>

using namespace cabtest;

namespace {

// Cabinet dates are local times; the tests read them in Japan's zone.
class CabinetTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ::setenv("TZ", "JST-9", 1);
        ::tzset();
    }
};

const std::string kPaper = "<?xml version=\"1.0\"?><fo:root/>";
const std::string kPictureStart(300, 'p');
const std::string kPictureEnd = "end of picture";

// Two folders: an MSZIP one whose second file spans two blocks, and an uncompressed one.
// Names: ASCII, code page 932 ("問題.png") and UTF-8 flagged ("é.bin").
Cabinet SoundCabinet()
{
    Cabinet cab;
    cab.setId = 12345;
    cab.folders.push_back(Folder{1, {StoredMszip(kPaper + kPictureStart), StoredMszip(kPictureEnd)}});
    Block plain;
    plain.packed = BytesOf("raw bytes");
    plain.unpacked = 9;
    cab.folders.push_back(Folder{0, {plain}});
    cab.entries.push_back(Entry{BytesOf("paper.qnp"), 0, 0, uint32_t(kPaper.size()), DosDate(2003, 4, 1),
                                DosTime(9, 30, 58), 0x21});
    cab.entries.push_back(Entry{BytesOf("\x96\xE2\x91\xE8.png"), 0, uint32_t(kPaper.size()),
                                uint32_t(kPictureStart.size() + kPictureEnd.size()), DosDate(2010, 12, 31),
                                DosTime(23, 59, 58), 0x06});
    cab.entries.push_back(Entry{BytesOf("\xC3\xA9.bin"), 1, 0, 9, DosDate(1999, 1, 2), DosTime(3, 4, 6), 0xA0});
    return cab;
}

bool Extract(const Bytes& cabinet, const TempDir& dir, std::vector<std::string>* written, std::string* error)
{
    WriteFile(dir.File("in.cab"), cabinet);
    std::filesystem::create_directory(dir.Path() / "out");
    return ExtractCabinetFile(dir.File("in.cab"), dir.File("out"), written, error);
}

// A refused cabinet leaves the extraction folder empty and its surroundings as they were.
void ExpectRefusedWritingNothing(const Bytes& cabinet, const std::string& what)
{
    TempDir dir;
    std::vector<std::string> written;
    std::string error;
    EXPECT_FALSE(Extract(cabinet, dir, &written, &error)) << what;
    EXPECT_FALSE(error.empty()) << what;
    EXPECT_TRUE(written.empty()) << what;
    EXPECT_EQ(Listing(dir.Path()), (std::vector<std::string>{"in.cab", "out"})) << what;
}

}  // namespace

TEST_F(CabinetTest, ReadsEntriesNamesDatesAndAttributesOfAHandBuiltCabinet)
{
    CabinetContents contents;
    std::string error;
    const Bytes bytes = Build(SoundCabinet());
    ASSERT_TRUE(ReadCabinet(bytes, &contents, &error)) << error;
    EXPECT_EQ(contents.setId, 12345);
    EXPECT_EQ(contents.folderCount, 2);
    ASSERT_EQ(contents.entries.size(), 3u);
    const struct {
        std::string name;
        uint16_t folder;
        std::string bytes;
        uint16_t date, time, attributes;
    } expected[] = {
        {"paper.qnp", 0, kPaper, DosDate(2003, 4, 1), DosTime(9, 30, 58), 0x21},
        {"問題.png", 0, kPictureStart + kPictureEnd, DosDate(2010, 12, 31), DosTime(23, 59, 58), 0x06},
        {"é.bin", 1, "raw bytes", DosDate(1999, 1, 2), DosTime(3, 4, 6), 0x20},
    };
    for (size_t i = 0; i < 3; ++i) {
        const CabinetEntry& entry = contents.entries[i];
        EXPECT_EQ(entry.name, expected[i].name);
        EXPECT_EQ(entry.folder, expected[i].folder);
        EXPECT_EQ(std::string(entry.bytes.begin(), entry.bytes.end()), expected[i].bytes) << entry.name;
        EXPECT_EQ(entry.dosDate, expected[i].date);
        EXPECT_EQ(entry.dosTime, expected[i].time);
        EXPECT_EQ(entry.attributes, expected[i].attributes) << entry.name;
    }
}

TEST_F(CabinetTest, ExtractsIntoTheFolderWritableWithStoredTimesReplacingFilesAndLinks)
{
    TempDir dir;
    std::filesystem::create_directory(dir.Path() / "out");
    // A former file of an entry's name is replaced, even a read-only one; a link of an entry's
    // name is replaced, not written through.
    WriteFile(dir.File("out/paper.qnp"), BytesOf("former"));
    ::chmod(dir.File("out/paper.qnp").c_str(), 0444);
    WriteFile(dir.File("outside.txt"), BytesOf("keep"));
    std::filesystem::create_symlink(dir.File("outside.txt"), dir.File("out/é.bin"));

    std::vector<std::string> written;
    std::string error;
    ASSERT_TRUE(Extract(Build(SoundCabinet()), dir, &written, &error)) << error;
    EXPECT_EQ(written, (std::vector<std::string>{dir.File("out/paper.qnp"), dir.File("out/問題.png"),
                                                 dir.File("out/é.bin")}));
    EXPECT_EQ(Listing(dir.Path() / "out"), (std::vector<std::string>{"paper.qnp", "é.bin", "問題.png"}));
    EXPECT_EQ(ReadFile(dir.File("out/paper.qnp")), BytesOf(kPaper));
    EXPECT_EQ(ReadFile(dir.File("out/é.bin")), BytesOf("raw bytes"));
    EXPECT_FALSE(std::filesystem::is_symlink(dir.File("out/é.bin")));
    EXPECT_EQ(ReadFile(dir.File("outside.txt")), BytesOf("keep"));

    struct stat info {};
    ASSERT_EQ(::stat(dir.File("out/paper.qnp").c_str(), &info), 0);
    EXPECT_TRUE(info.st_mode & S_IWUSR) << "stored read-only, extracted writable";
    tm local{};
    ::localtime_r(&info.st_mtime, &local);
    EXPECT_EQ((std::vector<int>{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                                local.tm_sec}),
              (std::vector<int>{2003, 4, 1, 9, 30, 58}));

    // The same cabinet extracts a second time over its own files.
    EXPECT_TRUE(ExtractCabinetFile(dir.File("in.cab"), dir.File("out") + "/", &written, &error)) << error;
}

TEST_F(CabinetTest, CabinetsBeyondTheGivenBoundsAreRefusedWritingNothing)
{
    const Bytes cabinet = Build(SoundCabinet());
    const uint64_t total = kPaper.size() + kPictureStart.size() + kPictureEnd.size() + 9;
    const struct {
        CabinetLimits limits;
        bool accepted;
    } cases[] = {
        {{3, total}, true},
        {{2, total}, false},
        {{3, total - 1}, false},
    };
    for (const auto& c : cases) {
        TempDir dir;
        WriteFile(dir.File("in.cab"), cabinet);
        std::filesystem::create_directory(dir.Path() / "out");
        std::vector<std::string> written;
        std::string error;
        EXPECT_EQ(ExtractCabinetFile(dir.File("in.cab"), dir.File("out"), &written, &error, c.limits), c.accepted)
            << c.limits.maxEntries << " " << c.limits.maxBytes;
        EXPECT_EQ(Listing(dir.Path() / "out").size(), c.accepted ? 3u : 0u) << "no staging folder is left";
        CabinetContents contents;
        EXPECT_EQ(ReadCabinet(cabinet, &contents, &error, c.limits), c.accepted);
    }
}

TEST_F(CabinetTest, RefusesEntryNamesThatAreNotBareFileNamesWritingNothing)
{
    const char* const names[] = {
        "../evil.txt", "..\\evil.txt", "/abs/evil.txt", "\\evil.txt", "C:evil.txt", "sub/evil.txt",
        "sub\\evil.txt", "..", ".", "", "a*b", "a?b", "a|b", "a<b", "a\"b", "a\x01" "b",
        "\x81",  // a lead byte of code page 932 without its trail byte
    };
    for (const char* name : names) {
        for (bool second : {false, true}) {
            Cabinet cab = SoundCabinet();
            cab.entries[second ? 2 : 0].name = BytesOf(name);
            ExpectRefusedWritingNothing(Build(cab), std::string("name ") + name);
        }
    }
    const std::string longName(256, 'a');
    Cabinet cab = SoundCabinet();
    cab.entries[0].name = BytesOf(longName);
    ExpectRefusedWritingNothing(Build(cab), "256-byte name");
    // Flagged UTF-8 must be valid UTF-8: an overlong "/" and a lone continuation byte.
    for (const char* name : {"\xC0\xAF" "etc", "a\x80" "b"}) {
        cab = SoundCabinet();
        cab.entries[2].name = BytesOf(name);
        ExpectRefusedWritingNothing(Build(cab), "UTF-8 name");
    }
}

TEST_F(CabinetTest, RefusesTruncatedDamagedAndForeignFilesWritingNothing)
{
    const Bytes sound = Build(SoundCabinet());
    for (size_t length = 0; length < sound.size(); ++length)
        ExpectRefusedWritingNothing(Bytes(sound.begin(), sound.begin() + length),
                                    "truncated to " + std::to_string(length));

    const size_t folder0 = 36, files = 52;
    const size_t data0 = Get32(sound, folder0);
    struct Damage {
        const char* what;
        std::function<void(Bytes&)> apply;
    };
    const Damage damages[] = {
        {"a byte of compressed data", [&](Bytes& b) { b[data0 + 8 + 20] ^= 0x01; }},
        {"the MSZIP signature", [&](Bytes& b) { b[data0 + 8] = 'X'; }},
        {"a block's uncompressed size", [&](Bytes& b) { Set16(b, data0 + 6, Get16(b, data0 + 6) - 1); }},
        {"a block's compressed size", [&](Bytes& b) { Set16(b, data0 + 4, 0xFFF0); }},
        {"an oversized block", [&](Bytes& b) { Set16(b, data0 + 6, 0x8001); }},
        {"the block count", [&](Bytes& b) { Set16(b, folder0 + 4, 40); }},
        {"the folder offset", [&](Bytes& b) { Set32(b, folder0, 0x7FFFFFF0); }},
        {"the file table offset", [&](Bytes& b) { Set32(b, 16, uint32_t(b.size()) - 3); }},
        {"a file beyond its folder's data", [&](Bytes& b) { Set32(b, files, 10000); }},
        {"a file offset beyond its folder's data", [&](Bytes& b) { Set32(b, files + 4, 0xFFFFFFF0); }},
        {"a folder index out of range", [&](Bytes& b) { Set16(b, files + 8, 2); }},
        {"a file continued from another cabinet", [&](Bytes& b) { Set16(b, files + 8, 0xFFFD); }},
        {"no folders", [&](Bytes& b) { Set16(b, 26, 0); }},
        {"no files", [&](Bytes& b) { Set16(b, 28, 0); }},
        {"a previous cabinet", [&](Bytes& b) { Set16(b, 30, 0x0001); }},
        {"a next cabinet", [&](Bytes& b) { Set16(b, 30, 0x0002); }},
        {"Quantum compression", [&](Bytes& b) { Set16(b, folder0 + 6, 2); }},
        {"LZX compression", [&](Bytes& b) { Set16(b, folder0 + 6, 0x1503); }},
        {"format version 2", [&](Bytes& b) { b[25] = 2; }},
        {"a cabinet size beyond the file", [&](Bytes& b) { Set32(b, 8, uint32_t(b.size()) + 1); }},
        {"a wrong signature", [&](Bytes& b) { b[3] = 'G'; }},
    };
    for (const Damage& damage : damages) {
        Bytes bytes = sound;
        damage.apply(bytes);
        ExpectRefusedWritingNothing(bytes, damage.what);
    }
    ExpectRefusedWritingNothing(BytesOf("<?xml version=\"1.0\"?><fo:root/>\n"), "a plain print file");
    ExpectRefusedWritingNothing(BytesOf("MSCF"), "the signature alone");
}

// Uncompressed blocks with a wrong checksum and MSZIP blocks whose data inflates to another
// size than their header gives are damaged too.
TEST_F(CabinetTest, RefusesBlocksWhoseDataDisagreesWithTheirHeader)
{
    Cabinet cab = SoundCabinet();
    Bytes bytes = Build(cab);
    Set32(bytes, Get32(bytes, 36 + 8), Get32(bytes, Get32(bytes, 36 + 8)) ^ 1);
    ExpectRefusedWritingNothing(bytes, "an uncompressed block's checksum");

    for (int delta : {-1, +1}) {
        cab = SoundCabinet();
        Block& block = cab.folders[0].blocks[1];
        block.unpacked = uint16_t(block.unpacked + delta);
        cab.entries[1].size = uint32_t(cab.entries[1].size + delta);
        ExpectRefusedWritingNothing(Build(cab), "inflated size " + std::to_string(delta));
    }
}

TEST_F(CabinetTest, CabinetsFromOtherToolsAreReadOrRefusedWithinTheFolder)
{
    const std::filesystem::path shared = std::filesystem::path(QN_SHARED_TEST_DATA_DIR) / "cab";
    if (!std::filesystem::is_directory(shared))
        return;  // the shared cabinets only add cases
    for (const auto& item : std::filesystem::recursive_directory_iterator(shared)) {
        if (item.path().extension() != ".cab")
            continue;
        TempDir dir;
        std::filesystem::create_directory(dir.Path() / "out");
        std::vector<std::string> written;
        std::string error;
        const bool ok = ExtractCabinetFile(item.path().string(), dir.File("out"), &written, &error);
        const std::vector<std::string> outside = Listing(dir.Path());
        for (const std::string& path : outside)
            EXPECT_TRUE(path == "out" || path.rfind("out/", 0) == 0) << item.path() << " wrote " << path;
        for (const std::string& path : written)
            EXPECT_EQ(std::filesystem::path(path).parent_path(), dir.Path() / "out") << item.path();
        if (!ok) {
            EXPECT_TRUE(written.empty()) << item.path();
        }
        const std::string name = item.path().filename().string();
        if (name == "dirwalk-vulns.cab") {
            EXPECT_FALSE(ok);
        }
        if (name == "simple.cab") {
            EXPECT_TRUE(ok) << error;
            EXPECT_EQ(Listing(dir.Path() / "out"), (std::vector<std::string>{"hello.c", "welcome.c"}));
        }
    }
}

TEST_F(CabinetTest, BlocksWithoutChecksumAreRead)
{
    Cabinet cab = SoundCabinet();
    for (Folder& folder : cab.folders)
        for (Block& block : folder.blocks)
            block.checksum = false;
    CabinetContents contents;
    std::string error;
    ASSERT_TRUE(ReadCabinet(Build(cab), &contents, &error)) << error;
    EXPECT_EQ(contents.entries[1].bytes, BytesOf(kPictureStart + kPictureEnd));
}

// Names are stored in code page 932 as the system's cabinet tools store them; a name that code
// page 932 cannot hold is stored as UTF-8 with the entry's UTF-8 attribute (0x80).
TEST_F(CabinetTest, WritesNamesInCodePage932OrAsFlaggedUtf8AndReadsThemBack)
{
    TempDir dir;
    const std::vector<std::string> names = {"問題-01.png", "café.bin", "plain.qnp"};
    std::vector<CabinetSource> items;
    for (const std::string& name : names) {
        WriteFile(dir.File(name), BytesOf(name));
        items.push_back(CabinetSource{dir.File(name), name, false});
    }
    std::string error;
    ASSERT_TRUE(WriteCabinetFile(dir.File("out.cab"), items, 7, &error)) << error;
    const Bytes bytes = ReadFile(dir.File("out.cab"));
    const std::vector<EntryFields> stored = EntriesOf(bytes);
    ASSERT_EQ(stored.size(), 3u);
    EXPECT_EQ(stored[0].name, "\x96\xE2\x91\xE8-01.png");
    EXPECT_EQ(stored[0].attributes, 0x20);
    EXPECT_EQ(stored[1].name, "café.bin");
    EXPECT_EQ(stored[1].attributes, 0xA0);
    EXPECT_EQ(stored[2].attributes, 0x20);

    CabinetContents contents;
    ASSERT_TRUE(ReadCabinet(bytes, &contents, &error)) << error;
    EXPECT_EQ(contents.setId, 7);
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(contents.entries[i].name, names[i]);
        EXPECT_EQ(contents.entries[i].bytes, BytesOf(names[i]));
    }
}

// A "+" closes the folder only when it holds a file: breaks at the ends or in a row add no
// empty folder.
TEST_F(CabinetTest, FolderBreaksStartANewFolderOnlyBeforeAFile)
{
    TempDir dir;
    WriteFile(dir.File("a"), BytesOf("first"));
    WriteFile(dir.File("b"), BytesOf("second"));
    const CabinetSource a{dir.File("a"), "a", false}, b{dir.File("b"), "b", false}, brk{{}, {}, true};
    std::string error;
    ASSERT_TRUE(WriteCabinetFile(dir.File("out.cab"), {brk, a, brk, brk, b, brk}, 0, &error)) << error;
    const Bytes bytes = ReadFile(dir.File("out.cab"));
    EXPECT_EQ(Get16(bytes, 26), 2);
    EXPECT_EQ(EntriesOf(bytes)[1].folder, 1);
    EXPECT_FALSE(WriteCabinetFile(dir.File("none.cab"), {brk}, 0, &error)) << "a cabinet holds at least one file";
    EXPECT_FALSE(std::filesystem::exists(dir.File("none.cab")));
}
