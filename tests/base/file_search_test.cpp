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

TEST(FileSearch, OnlyTheLastPartHoldsWildcards)
{
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("qn-find-folders-" + std::to_string(::getpid()));
    fs::create_directories(root / "d1" / "d2");
    fs::create_directories(root / "a*b");
    std::ofstream(root / "d1" / "x.txt") << "x";
    std::ofstream(root / "a*b" / "y.txt") << "y";
    const std::string base = root.string() + "/";
    EXPECT_TRUE(FileExists((base + "d1/x.txt").c_str()));
    EXPECT_TRUE(FileExists((base + "d1/*.txt").c_str()));
    EXPECT_TRUE(DirectoryExists((base + "d1/d?").c_str()));
    // Wildcards in a folder part are no wildcards: they name a folder of that name.
    EXPECT_FALSE(FileExists((base + "d*/x.txt").c_str()));
    EXPECT_FALSE(FileExists((base + "*/x.txt").c_str()));
    EXPECT_FALSE(DirectoryExists((base + "*/d2").c_str()));
    EXPECT_TRUE(FileExists((base + "a*b/y.txt").c_str()));
    EXPECT_TRUE(FileExists((base + "a*b/*").c_str()));
    struct Case { const char* pattern; bool found; };
    const Case cases[] = {{"d1/*.t*t", true}, {"d1/**x*", true}, {"d1/x.txt*", true}, {"d1/?.txt", true},
                          {"d1/??.txt", false}, {"d1/x*y", false}, {"d1/*.tx", false}};
    for (const Case& c : cases)
        EXPECT_EQ(FileExists((base + c.pattern).c_str()) != FALSE, c.found) << c.pattern;
    // A path that ends at a separator names no entry.
    EXPECT_FALSE(DirectoryExists((base + "d1/").c_str()));
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
