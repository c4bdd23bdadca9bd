// Cabinet bytes built by hand from the format's tables (header, folder entries, file entries,
// data blocks and their checksum), a reader of the same fields for checking written cabinets,
// and temporary folders for extraction tests.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace cabtest {

using Bytes = std::vector<uint8_t>;

inline void Put16(Bytes& out, uint16_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
inline void Put32(Bytes& out, uint32_t v)
{
    Put16(out, uint16_t(v));
    Put16(out, uint16_t(v >> 16));
}
inline uint16_t Get16(const Bytes& b, size_t at) { return uint16_t(b.at(at) | (b.at(at + 1) << 8)); }
inline uint32_t Get32(const Bytes& b, size_t at) { return uint32_t(Get16(b, at)) | (uint32_t(Get16(b, at + 2)) << 16); }
inline void Set16(Bytes& b, size_t at, uint16_t v)
{
    b.at(at) = uint8_t(v);
    b.at(at + 1) = uint8_t(v >> 8);
}
inline void Set32(Bytes& b, size_t at, uint32_t v)
{
    Set16(b, at, uint16_t(v));
    Set16(b, at + 2, uint16_t(v >> 16));
}
inline Bytes BytesOf(std::string_view text) { return Bytes(text.begin(), text.end()); }

// The cabinet checksum: 32-bit little-endian words XORed into the seed, the last one to three
// bytes taken high byte first.
inline uint32_t Checksum(const uint8_t* p, size_t n, uint32_t seed)
{
    uint32_t sum = seed;
    size_t i = 0;
    for (; i + 4 <= n; i += 4)
        sum ^= uint32_t(p[i]) | (uint32_t(p[i + 1]) << 8) | (uint32_t(p[i + 2]) << 16) | (uint32_t(p[i + 3]) << 24);
    uint32_t last = 0;
    switch (n - i) {
    case 3: last |= uint32_t(p[i++]) << 16; [[fallthrough]];
    case 2: last |= uint32_t(p[i++]) << 8; [[fallthrough]];
    case 1: last |= p[i++]; break;
    default: break;
    }
    return sum ^ last;
}

struct Block {
    Bytes packed;
    uint16_t unpacked = 0;
    bool checksum = true;
};

// An MSZIP block holding text uncompressed: "CK" and one final stored deflate block.
inline Block StoredMszip(std::string_view text)
{
    Block block;
    block.packed = {'C', 'K', 0x01};
    Put16(block.packed, uint16_t(text.size()));
    Put16(block.packed, uint16_t(~text.size()));
    block.packed.insert(block.packed.end(), text.begin(), text.end());
    block.unpacked = uint16_t(text.size());
    return block;
}

struct Folder {
    uint16_t compression = 1;  // 0 none, 1 MSZIP, 2 Quantum, 3 LZX
    std::vector<Block> blocks;
};

struct Entry {
    Bytes name;
    uint16_t folder = 0;
    uint32_t offset = 0;
    uint32_t size = 0;
    uint16_t date = 0;
    uint16_t time = 0;
    uint16_t attributes = 0x20;
};

struct Cabinet {
    uint16_t setId = 0;
    uint16_t cabinetIndex = 0;
    std::vector<Folder> folders;
    std::vector<Entry> entries;
};

// The bytes of a single cabinet: header, folder entries, file entries, then the data blocks
// of every folder in turn.
inline Bytes Build(const Cabinet& cab)
{
    Bytes out = {'M', 'S', 'C', 'F'};
    Put32(out, 0);
    Put32(out, 0);  // cbCabinet
    Put32(out, 0);
    Put32(out, 0);  // coffFiles
    Put32(out, 0);
    out.push_back(3);
    out.push_back(1);
    Put16(out, uint16_t(cab.folders.size()));
    Put16(out, uint16_t(cab.entries.size()));
    Put16(out, 0);
    Put16(out, cab.setId);
    Put16(out, cab.cabinetIndex);
    const size_t filesAt = out.size() + 8 * cab.folders.size();
    size_t dataAt = filesAt;
    for (const Entry& e : cab.entries)
        dataAt += 16 + e.name.size() + 1;
    for (const Folder& f : cab.folders) {
        Put32(out, uint32_t(dataAt));
        Put16(out, uint16_t(f.blocks.size()));
        Put16(out, f.compression);
        for (const Block& b : f.blocks)
            dataAt += 8 + b.packed.size();
    }
    Set32(out, 16, uint32_t(filesAt));
    for (const Entry& e : cab.entries) {
        Put32(out, e.size);
        Put32(out, e.offset);
        Put16(out, e.folder);
        Put16(out, e.date);
        Put16(out, e.time);
        Put16(out, e.attributes);
        out.insert(out.end(), e.name.begin(), e.name.end());
        out.push_back(0);
    }
    for (const Folder& f : cab.folders) {
        for (const Block& b : f.blocks) {
            Bytes sizes;
            Put16(sizes, uint16_t(b.packed.size()));
            Put16(sizes, b.unpacked);
            const uint32_t sum =
                b.checksum ? Checksum(sizes.data(), 4, Checksum(b.packed.data(), b.packed.size(), 0)) : 0;
            Put32(out, sum);
            out.insert(out.end(), sizes.begin(), sizes.end());
            out.insert(out.end(), b.packed.begin(), b.packed.end());
        }
    }
    Set32(out, 8, uint32_t(out.size()));
    return out;
}

// The fields of a file entry read back from cabinet bytes.
struct EntryFields {
    std::string name;
    uint32_t size = 0;
    uint32_t offset = 0;
    uint16_t folder = 0;
    uint16_t date = 0;
    uint16_t time = 0;
    uint16_t attributes = 0;
};

inline std::vector<EntryFields> EntriesOf(const Bytes& b)
{
    std::vector<EntryFields> entries;
    size_t at = Get32(b, 16);
    for (unsigned i = 0; i < Get16(b, 28); ++i) {
        EntryFields e;
        e.size = Get32(b, at);
        e.offset = Get32(b, at + 4);
        e.folder = Get16(b, at + 8);
        e.date = Get16(b, at + 10);
        e.time = Get16(b, at + 12);
        e.attributes = Get16(b, at + 14);
        at += 16;
        while (b.at(at))
            e.name.push_back(char(b[at++]));
        ++at;
        entries.push_back(e);
    }
    return entries;
}

constexpr uint16_t DosDate(int year, int month, int day) { return uint16_t(((year - 1980) << 9) | (month << 5) | day); }
constexpr uint16_t DosTime(int hour, int minute, int second)
{
    return uint16_t((hour << 11) | (minute << 5) | (second / 2));
}

// A fresh folder under the system's temporary folder, removed with its contents at the end.
class TempDir {
public:
    TempDir()
    {
        std::random_device random;
        m_path = std::filesystem::temp_directory_path() / ("qn-cab-test-" + std::to_string(random()));
        std::filesystem::create_directories(m_path);
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(m_path, ec);
    }
    std::string File(const std::string& name) const { return (m_path / name).string(); }
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

inline void WriteFile(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline Bytes ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every path below a folder, relative to it, sorted.
inline std::vector<std::string> Listing(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& item : std::filesystem::recursive_directory_iterator(folder))
        names.push_back(std::filesystem::relative(item.path(), folder).string());
    std::sort(names.begin(), names.end());
    return names;
}

// The standard output of a shell command and its exit status.
inline std::string RunCommand(const std::string& command, int* status = nullptr)
{
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return output;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, n);
    const int result = ::pclose(pipe);
    if (status)
        *status = result;
    return output;
}

inline bool HaveTool(const std::string& name)
{
    return ::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

}  // namespace cabtest
