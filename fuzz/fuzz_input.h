// Helpers of the fuzz targets: the input as the forms our readers take it.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
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
