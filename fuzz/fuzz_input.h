// Helpers of the fuzz targets: the input as the forms our readers take it.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

// The bytes as an anonymous in-memory file, reachable by a path for readers that open files.
class MemoryFile {
public:
    MemoryFile(const uint8_t* data, size_t size) : m_fd(memfd_create("fuzz-input", 0))
    {
        size_t written = 0;
        while (m_fd >= 0 && written < size) {
            const ssize_t n = write(m_fd, data + written, size - written);
            if (n <= 0)
                break;
            written += size_t(n);
        }
    }
    ~MemoryFile()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    std::string Path() const { return "/proc/self/fd/" + std::to_string(m_fd); }

private:
    int m_fd;
};

// Splits the input at its first zero byte: two inputs in one, for targets that read two texts.
inline std::pair<std::string_view, std::string_view> SplitAtZero(const uint8_t* data, size_t size)
{
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    const size_t zero = all.find('\0');
    if (zero == std::string_view::npos)
        return {all, std::string_view()};
    return {all.substr(0, zero), all.substr(zero + 1)};
}

// A folder of the process's own for targets that read and write real files, in memory where
// the system offers it (saving flushes every file to disk); emptied before each input and
// removed when the process ends.
class ScratchFolder {
public:
    static const std::filesystem::path& Empty()
    {
        static ScratchFolder folder;
        std::error_code ignored;
        for (const auto& item : std::filesystem::directory_iterator(folder.m_path, ignored))
            std::filesystem::remove_all(item.path(), ignored);
        return folder.m_path;
    }

private:
    ScratchFolder()
    {
        const char* shm = "/dev/shm";
        const std::filesystem::path base =
            std::filesystem::is_directory(shm) ? std::filesystem::path(shm) : std::filesystem::temp_directory_path();
        std::string pattern = (base / "qn-fuzz-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            std::abort();
        m_path = pattern;
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    std::filesystem::path m_path;
};

inline void WriteBytes(const std::filesystem::path& path, const uint8_t* data, size_t size)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data), std::streamsize(size));
}

inline std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
