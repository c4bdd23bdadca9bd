#include "printfile/print_package.h"

#include "tests/support/cabinet_bytes.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdlib>
#include <ctime>
#include <random>

using namespace cabtest;

namespace {

class PrintPackageTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ::setenv("TZ", "JST-9", 1);
        ::tzset();
    }
};

Bytes RandomBytes(size_t count, unsigned seed)
{
    std::mt19937 random(seed);
    Bytes bytes(count);
    for (uint8_t& b : bytes)
        b = uint8_t(random());
    return bytes;
}

// Writes a source file with a given local modification time.
void WriteSource(const std::string& path, const Bytes& bytes, int year, int month, int day, int hour, int minute,
                 int second)
{
    WriteFile(path, bytes);
    tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    const timespec when{std::mktime(&local), 0};
    const timespec times[2] = {when, when};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

// A print file, a picture of several data blocks after a folder break, and an object that the
// owner may not write.
struct Sources {
    TempDir dir;
    Bytes paper = BytesOf("<?xml version=\"1.0\" encoding=\"UTF-16\"?><fo:root/>");
    Bytes picture = RandomBytes(70000, 1);
    Bytes object = BytesOf(std::string(5000, 'o'));
    std::vector<std::string> list;

    Sources()
    {
        std::filesystem::create_directory(dir.Path() / "temp");
        WriteSource(dir.File("temp/paper.qnp"), paper, 2003, 4, 1, 9, 30, 58);
        WriteSource(dir.File("temp/paper-01.png"), picture, 2010, 12, 31, 23, 59, 58);
        WriteSource(dir.File("temp/paper-01.bin"), object, 1999, 1, 2, 3, 4, 6);
        ::chmod(dir.File("temp/paper-01.bin").c_str(), 0444);
        list = {dir.File("temp/paper.qnp"), "+", dir.File("temp/paper-01.png"), dir.File("temp/paper-01.bin")};
    }

    BOOL Pack(const std::string& name = "paper.qns") const
    {
        std::vector<const char*> files;
        for (const std::string& path : list)
            files.push_back(path.c_str());
        return PackFilesToCabinet(int(files.size()), files.data(), dir.Path().c_str(), name.c_str());
    }
};

}  // namespace

TEST_F(PrintPackageTest, PacksBareNamesInOrderWithFoldersDatesAndAttributesInTheHeaderTables)
{
    Sources s;
    ASSERT_TRUE(s.Pack());
    const Bytes cab = ReadFile(s.dir.File("paper.qns"));
    ASSERT_GE(cab.size(), 36u);
    EXPECT_EQ(Bytes(cab.begin(), cab.begin() + 4), BytesOf("MSCF"));
    EXPECT_EQ(Get32(cab, 8), cab.size());
    EXPECT_EQ(cab[24], 3);
    EXPECT_EQ(cab[25], 1);
    EXPECT_EQ(Get16(cab, 26), 2) << "folders";
    EXPECT_EQ(Get16(cab, 30), 0) << "flags";
    EXPECT_EQ(Get16(cab, 32), 12345) << "set ID";
    EXPECT_EQ(Get16(cab, 34), 0) << "cabinet index";
    EXPECT_EQ(Get16(cab, 36 + 6), 1) << "MSZIP";
    EXPECT_EQ(Get16(cab, 44 + 6), 1) << "MSZIP";
    EXPECT_EQ(Get16(cab, 44 + 4), 3) << "70005 bytes make three data blocks";
    const std::vector<EntryFields> entries = EntriesOf(cab);
    ASSERT_EQ(entries.size(), 3u);
    const struct {
        const char* name;
        uint16_t folder;
        uint32_t offset, size;
        uint16_t date, time, attributes;
    } expected[] = {
        {"paper.qnp", 0, 0, uint32_t(s.paper.size()), DosDate(2003, 4, 1), DosTime(9, 30, 58), 0x20},
        {"paper-01.png", 1, 0, 70000, DosDate(2010, 12, 31), DosTime(23, 59, 58), 0x20},
        {"paper-01.bin", 1, 70000, 5000, DosDate(1999, 1, 2), DosTime(3, 4, 6), 0x21},
    };
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(entries[i].name, expected[i].name);
        EXPECT_EQ(entries[i].folder, expected[i].folder) << entries[i].name;
        EXPECT_EQ(entries[i].offset, expected[i].offset) << entries[i].name;
        EXPECT_EQ(entries[i].size, expected[i].size) << entries[i].name;
        EXPECT_EQ(entries[i].date, expected[i].date) << entries[i].name;
        EXPECT_EQ(entries[i].time, expected[i].time) << entries[i].name;
        EXPECT_EQ(entries[i].attributes, expected[i].attributes) << entries[i].name;
    }
}

TEST_F(PrintPackageTest, PackagesAreListedAndExtractedByCabextractAndGcab)
{
    if (!HaveTool("cabextract") || !HaveTool("gcab"))
        GTEST_SKIP() << "cabextract or gcab is not installed";
    Sources s;
    ASSERT_TRUE(s.Pack());
    const std::string cab = s.dir.File("paper.qns");
    int status = -1;
    EXPECT_EQ(RunCommand("gcab -t '" + cab + "'", &status), "paper.qnp\npaper-01.png\npaper-01.bin\n");
    EXPECT_EQ(status, 0);
    // gcab shows the stored local time as if it were UTC in the local zone.
    EXPECT_EQ(RunCommand("TZ=UTC gcab -l '" + cab + "'", &status),
              "paper.qnp " + std::to_string(s.paper.size()) + " 2003-04-01 09:30:58 0x20\n"
              "paper-01.png 70000 2010-12-31 23:59:58 0x20\n"
              "paper-01.bin 5000 1999-01-02 03:04:06 0x21\n");
    const std::string listing = RunCommand("cabextract -l '" + cab + "'", &status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(listing.find(" | 01.04.2003 09:30:58 | paper.qnp\n"
                           "     70000 | 31.12.2010 23:59:58 | paper-01.png\n"
                           "      5000 | 02.01.1999 03:04:06 | paper-01.bin\n"),
              std::string::npos)
        << listing;
    RunCommand("cabextract -q -t '" + cab + "' 2>&1", &status);
    EXPECT_EQ(status, 0);

    for (const std::string tool : {"cabextract -q -d", "gcab -x -C"}) {
        TempDir out;
        RunCommand(tool + " '" + out.Path().string() + "' '" + cab + "' 2>&1", &status);
        EXPECT_EQ(status, 0) << tool;
        EXPECT_EQ(ReadFile(out.File("paper.qnp")), s.paper) << tool;
        EXPECT_EQ(ReadFile(out.File("paper-01.png")), s.picture) << tool;
        EXPECT_EQ(ReadFile(out.File("paper-01.bin")), s.object) << tool;
    }
}

TEST_F(PrintPackageTest, ExtractsAPackageIntoTheFolderAndNamesThePrintFileFirst)
{
    Sources s;
    ASSERT_TRUE(s.Pack());
    std::filesystem::create_directory(s.dir.Path() / "open");
    // A folder given without a trailing slash is the folder written into.
    ASSERT_TRUE(ExtractCabinet(s.dir.File("paper.qns").c_str(), s.dir.File("open").c_str()));
    EXPECT_EQ(std::string(GetExtractedFirstFile()), s.dir.File("open/paper.qnp"));
    EXPECT_EQ(Listing(s.dir.Path() / "open"), (std::vector<std::string>{"paper-01.bin", "paper-01.png", "paper.qnp"}));
    EXPECT_EQ(ReadFile(s.dir.File("open/paper.qnp")), s.paper);
    EXPECT_EQ(ReadFile(s.dir.File("open/paper-01.png")), s.picture);
    EXPECT_EQ(ReadFile(s.dir.File("open/paper-01.bin")), s.object);
    struct stat info {};
    ASSERT_EQ(::stat(s.dir.File("open/paper-01.bin").c_str(), &info), 0);
    EXPECT_TRUE(info.st_mode & S_IWUSR) << "extracted files can be deleted and written again";
    struct stat source {};
    ASSERT_EQ(::stat(s.dir.File("temp/paper-01.bin").c_str(), &source), 0);
    EXPECT_EQ(info.st_mtime, source.st_mtime);

    // The document deletes what it read; the same package opens a second time, also over
    // files left from the first.
    std::filesystem::remove(s.dir.File("open/paper.qnp"));
    ASSERT_TRUE(ExtractCabinet(s.dir.File("paper.qns").c_str(), (s.dir.File("open") + "/").c_str()));
    EXPECT_EQ(std::string(GetExtractedFirstFile()), s.dir.File("open/paper.qnp"));
}

// An MSZIP block of 32 KiB of zeros, deflated on its own: a few bytes that extract to much.
Block ZeroBlock()
{
    Block block;
    block.packed = {'C', 'K', 0xED, 0xC1, 0x01, 0x01, 0x00, 0x00, 0x00, 0x80, 0x90, 0xFE, 0xAF, 0xEE, 0x08, 0x0A};
    block.packed.resize(block.packed.size() + 29, 0x00);
    block.packed.push_back(0x18);
    block.unpacked = 32768;
    return block;
}

Entry EntryOf(const std::string& name, uint32_t offset, uint32_t size)
{
    return Entry{BytesOf(name), 0, offset, size, DosDate(2003, 4, 1), DosTime(9, 30, 58), 0x20};
}

TEST_F(PrintPackageTest, APackageBeyondWhatAPaperHoldsIsRefusedBeforeAnythingIsWritten)
{
    // More entries than a paper has files, each of one byte.
    Cabinet manyEntries;
    manyEntries.folders.push_back(Folder{1, {StoredMszip(std::string(kPrintPackageMaxEntries + 1, 'x'))}});
    for (uint32_t i = 0; i <= kPrintPackageMaxEntries; ++i)
        manyEntries.entries.push_back(EntryOf("paper-" + std::to_string(i) + ".png", i, 1));
    // A few hundred kilobytes that extract to one block more than a paper holds.
    Cabinet manyBytes;
    const uint32_t blocks = uint32_t(kPrintPackageMaxBytes / 32768) + 1;
    manyBytes.folders.push_back(Folder{1, std::vector<Block>(blocks, ZeroBlock())});
    manyBytes.entries.push_back(EntryOf("paper.qnp", 0, 1));
    manyBytes.entries.push_back(EntryOf("paper-01.bmp", 1, blocks * 32768 - 1));

    for (const Cabinet* cabinet : {&manyEntries, &manyBytes}) {
        TempDir dir;
        WriteFile(dir.File("paper.qns"), Build(*cabinet));
        std::filesystem::create_directory(dir.Path() / "open");
        EXPECT_FALSE(ExtractCabinet(dir.File("paper.qns").c_str(), dir.File("open").c_str()));
        EXPECT_STREQ(GetExtractedFirstFile(), "");
        EXPECT_TRUE(Listing(dir.Path() / "open").empty());
    }
}

TEST_F(PrintPackageTest, PackingMoreFilesThanAPaperHoldsFails)
{
    TempDir dir;
    std::vector<std::string> paths;
    for (uint32_t i = 0; i <= kPrintPackageMaxEntries; ++i) {
        paths.push_back(dir.File(("paper-" + std::to_string(i) + ".png").c_str()));
        WriteFile(paths.back(), BytesOf("p"));
    }
    std::vector<const char*> files;
    for (const std::string& path : paths)
        files.push_back(path.c_str());
    EXPECT_FALSE(PackFilesToCabinet(int(files.size()), files.data(), dir.Path().c_str(), "paper.qns"));
    EXPECT_FALSE(std::filesystem::exists(dir.File("paper.qns")));
    EXPECT_TRUE(PackFilesToCabinet(int(files.size()) - 1, files.data(), dir.Path().c_str(), "paper.qns"));
}

TEST_F(PrintPackageTest, AFileThatIsNotAPackageExtractsNothing)
{
    TempDir dir;
    WriteFile(dir.File("paper.qnp"), BytesOf("<?xml version=\"1.0\"?><fo:root/>"));
    std::filesystem::create_directory(dir.Path() / "open");
    EXPECT_FALSE(ExtractCabinet(dir.File("paper.qnp").c_str(), dir.File("open").c_str()));
    EXPECT_STREQ(GetExtractedFirstFile(), "");
    EXPECT_TRUE(Listing(dir.Path() / "open").empty());
}

TEST_F(PrintPackageTest, AFailedPackLeavesTheFormerPackageAsItWas)
{
    const struct {
        const char* what;
        std::vector<std::string> extra;
    } cases[] = {
        {"a missing side file", {"missing.png"}},
        {"a folder in place of a file", {"."}},
        {"a name no entry may hold", {"a*b.png"}},
    };
    for (const auto& c : cases) {
        Sources s;
        for (const std::string& name : c.extra) {
            const std::string path = s.dir.File("temp/" + name);
            if (name == "a*b.png")
                WriteFile(path, BytesOf("x"));
            s.list.push_back(name == "." ? s.dir.File("temp") : path);
        }
        WriteFile(s.dir.File("paper.qns"), BytesOf("former package"));
        const std::vector<std::string> before = Listing(s.dir.Path());
        EXPECT_FALSE(s.Pack()) << c.what;
        EXPECT_EQ(ReadFile(s.dir.File("paper.qns")), BytesOf("former package")) << c.what;
        EXPECT_EQ(Listing(s.dir.Path()), before) << c.what << ": no temporary file is left";
    }
}
