#include "platform/safe_file.h"

#include "xml_test_support.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

namespace {

size_t EntriesIn(const std::filesystem::path& folder)
{
    size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++entries;
    return entries;
}

}  // namespace

TEST(SafeFile, ReplacesTheTargetAndKeepsItsPermissions)
{
    XmlTempDir dir;
    const std::string path = dir.File("paper.xml");
    WriteBytes(path, "old content");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);

    EXPECT_FALSE(ReplaceFileSafely(path, std::string_view("new")));
    EXPECT_EQ(ReadBytes(path), "new");
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);

    // A writer hands the content over in pieces; a new file is created the same way.
    const std::string fresh = dir.File("fresh.xml");
    EXPECT_FALSE(ReplaceFileSafely(fresh, [](SafeFileSink& sink) { return sink.Write("ab") && sink.Write("cd"); }));
    EXPECT_EQ(ReadBytes(fresh), "abcd");
    EXPECT_EQ(EntriesIn(dir.Path()), 2u);
}

TEST(SafeFile, ReplacesATargetWhoseNameHasTheLongestLengthAllowed)
{
    XmlTempDir dir;
    const std::string path = dir.File(std::string(251, 'n') + ".xml");
    EXPECT_FALSE(ReplaceFileSafely(path, std::string_view("first")));
    EXPECT_FALSE(ReplaceFileSafely(path, std::string_view("second")));
    EXPECT_EQ(ReadBytes(path), "second");
    EXPECT_EQ(EntriesIn(dir.Path()), 1u);
}

TEST(SafeFile, FailureLeavesTheFormerFileAndNoTemporaryFile)
{
    XmlTempDir dir;
    const std::string path = dir.File("paper.xml");
    WriteBytes(path, "old content");

    // A writer that gives up half way.
    const std::error_code abandoned = ReplaceFileSafely(path, [](SafeFileSink& sink) {
        sink.Write("partial");
        return false;
    });
    EXPECT_EQ(abandoned, std::errc::operation_canceled);
    EXPECT_EQ(ReadBytes(path), "old content");

    // A target that a file cannot replace, and a folder that does not exist.
    const std::string folder = dir.File("folder");
    std::filesystem::create_directory(folder);
    EXPECT_TRUE(ReplaceFileSafely(folder, std::string_view("x")));
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(ReplaceFileSafely(dir.File("missing/a.xml"), std::string_view("x")), std::errc::no_such_file_or_directory);

    EXPECT_EQ(EntriesIn(dir.Path()), 2u);  // paper.xml and the folder
}
