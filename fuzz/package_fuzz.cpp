// Print packages as the problem editor opens them: extracted into a folder with a canary file
// beside it, which must stay as it was, as must everything outside the folder. A package that
// extracts must pack again from what it extracted, and that package must extract to the same
// files.
#include "fuzz/fuzz_input.h"
#include "printfile/print_package.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace {

const std::string kCanary = "canary";

// Every item under a folder by its relative path, with the bytes of the regular files.
std::vector<std::pair<std::string, std::string>> Contents(const std::filesystem::path& folder)
{
    std::vector<std::pair<std::string, std::string>> items;
    for (const auto& item : std::filesystem::recursive_directory_iterator(folder)) {
        const std::string name = std::filesystem::relative(item.path(), folder).string();
        items.emplace_back(name, item.is_regular_file() && !item.is_symlink() ? ReadBytes(item.path()) : "");
    }
    std::sort(items.begin(), items.end());
    return items;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::filesystem::path& scratch = ScratchFolder::Empty();
    const std::filesystem::path open = scratch / "open";
    const std::filesystem::path again = scratch / "again";
    std::filesystem::create_directory(open);
    std::filesystem::create_directory(again);
    WriteBytes(scratch / "paper.qns", data, size);
    WriteBytes(scratch / "canary.txt", reinterpret_cast<const uint8_t*>(kCanary.data()), kCanary.size());
    const auto outside = Contents(scratch);

    const bool extracted = ExtractCabinet((scratch / "paper.qns").c_str(), open.c_str());
    auto after = Contents(scratch);
    std::erase_if(after, [](const auto& item) { return item.first.starts_with("open/"); });
    if (after != outside)
        std::abort();  // something outside the folder changed
    std::vector<std::string> names;
    for (const auto& item : std::filesystem::directory_iterator(open)) {
        if (!item.is_regular_file() || item.is_symlink())
            std::abort();  // an extraction writes regular files only
        names.push_back(item.path().filename().string());
    }
    if (!extracted) {
        if (!names.empty())
            std::abort();  // a refused package wrote files
        return 0;
    }

    // Packed again with the print file first, as saving packs.
    const std::string first = std::filesystem::path(GetExtractedFirstFile()).filename().string();
    std::vector<std::string> paths{(open / first).string()};
    for (const std::string& name : names)
        if (name != first)
            paths.push_back((open / name).string());
    std::vector<const char*> list;
    for (const std::string& path : paths)
        list.push_back(path.c_str());
    if (!PackFilesToCabinet(int(list.size()), list.data(), scratch.c_str(), "repacked.qns"))
        std::abort();  // what a package extracts to cannot be packed
    if (!ExtractCabinet((scratch / "repacked.qns").c_str(), again.c_str()) || Contents(again) != Contents(open))
        std::abort();  // the package packed again extracts to other files
    return 0;
}
