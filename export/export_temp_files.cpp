#include "export/export_temp_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr unsigned kNumbers = 0x10000;

}  // namespace

CExportTempFolder::CExportTempFolder()
{
    std::error_code error;
    const fs::path base = fs::temp_directory_path(error);
    if (error)
        return;
    std::string pattern = (base / "tarsel-export-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr)
        m_path = pattern;
}

CExportTempFolder::~CExportTempFolder()
{
    std::error_code error;
    if (!m_path.empty())
        fs::remove_all(m_path, error);
}

std::string NewFragmentPath(const std::string& folder, const char* prefix, const char* extension)
{
    if (folder.empty() || prefix == nullptr || extension == nullptr)
        return {};
    std::string stem = std::string(prefix).substr(0, 3);
    std::transform(stem.begin(), stem.end(), stem.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    // The numbers start from the clock, as the system's temporary-file call does, and go on
    // until a free one is found.
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    const unsigned start = static_cast<unsigned>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
    for (unsigned step = 0; step < kNumbers; ++step) {
        const unsigned number = (start + step) % kNumbers;
        if (number == 0)
            continue;
        char digits[8];
        std::snprintf(digits, sizeof digits, "%04X", number);
        const std::string path = folder + stem + digits + extension;
        const int handle = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (handle < 0) {
            if (errno == EEXIST)
                continue;
            return {};
        }
        ::close(handle);
        return path;
    }
    return {};
}

void RemoveExportFile(const std::string& path)
{
    std::error_code error;
    if (!path.empty())
        fs::remove(path, error);
}

CExportTempFile& CExportTempFile::operator=(CExportTempFile&& other) noexcept
{
    if (this != &other) {
        Remove();
        m_path = std::move(other.m_path);
        other.m_path.clear();
    }
    return *this;
}

void CExportTempFile::Remove()
{
    RemoveExportFile(m_path);
    m_path.clear();
}
