#include "base/file_search.h"
#include "base/swap_ints.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

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

TEST(SwapInts, ExchangesAndReturnsTheFirst)
{
    int a = 1;
    int b = 2;
    EXPECT_EQ(SwapInts(&a, &b), &a);
    EXPECT_EQ(a, 2);
    EXPECT_EQ(b, 1);
}
