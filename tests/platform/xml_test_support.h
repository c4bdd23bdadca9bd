// Helpers of the XML layer tests: temporary folders and byte-level file access.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

// A fresh folder under the system's temporary folder, removed with its contents at the end.
class XmlTempDir {
public:
    XmlTempDir()
    {
        std::random_device random;
        m_path = std::filesystem::temp_directory_path() / ("qn-xml-test-" + std::to_string(random()));
        std::filesystem::create_directories(m_path);
    }
    ~XmlTempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    std::string File(const std::string& name) const { return (m_path / name).string(); }
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

inline void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// UTF-16 little-endian bytes of a text, each unit low byte first.
inline std::string Utf16LeBytes(std::u16string_view text)
{
    std::string bytes;
    for (char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}
