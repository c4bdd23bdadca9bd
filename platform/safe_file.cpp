#include "platform/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

namespace {

std::error_code LastSystemError() { return std::error_code(errno, std::generic_category()); }

// Creates a new file in path's folder under a short name no other file has, so that a target
// whose own name is near the length limit still gets one; -1 with error set on failure.
int CreateTemporaryBeside(const std::string& path, std::string& temp, std::error_code& error)
{
    const std::string folder = std::filesystem::path(path).parent_path().string();
    const std::string prefix = (folder.empty() ? std::string() : folder + "/") + ".~tmp";
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = prefix + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0)
            return fd;
        if (errno != EEXIST) {
            error = LastSystemError();
            return -1;
        }
    }
    error = std::make_error_code(std::errc::file_exists);
    return -1;
}

// The new file keeps the permissions of the file it replaces.
std::error_code KeepFormerPermissions(const std::string& path, int fd)
{
    struct stat former {};
    if (::stat(path.c_str(), &former) != 0 || !S_ISREG(former.st_mode))
        return {};
    return ::fchmod(fd, former.st_mode & 07777) == 0 ? std::error_code() : LastSystemError();
}

// Makes the rename itself durable; a folder that cannot be synchronised changes nothing.
void SyncFolderOf(const std::string& path)
{
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (folder.empty())
        folder = ".";
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

bool SafeFileSink::Write(std::string_view bytes)
{
    while (!m_error && !bytes.empty()) {
        const ssize_t n = ::write(m_fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            m_error = LastSystemError();
        else if (n == 0)
            m_error = std::make_error_code(std::errc::no_space_on_device);
        else
            bytes.remove_prefix(static_cast<size_t>(n));
    }
    return !m_error;
}

std::error_code ReplaceFileSafely(const std::string& path, const std::function<bool(SafeFileSink&)>& writer)
{
    std::string temp;
    std::error_code error;
    const int fd = CreateTemporaryBeside(path, temp, error);
    if (fd < 0)
        return error;
    SafeFileSink sink(fd);
    error = KeepFormerPermissions(path, fd);
    if (!error) {
        const bool finished = writer(sink);
        error = sink.Error();
        if (!error && !finished)
            error = std::make_error_code(std::errc::operation_canceled);
    }
    if (!error && ::fsync(fd) != 0)
        error = LastSystemError();
    if (::close(fd) != 0 && !error)
        error = LastSystemError();
    if (!error && ::rename(temp.c_str(), path.c_str()) != 0)
        error = LastSystemError();
    if (error) {
        ::unlink(temp.c_str());
        return error;
    }
    SyncFolderOf(path);
    return {};
}

std::error_code ReplaceFileSafely(const std::string& path, std::string_view bytes)
{
    return ReplaceFileSafely(path, [bytes](SafeFileSink& sink) { return sink.Write(bytes); });
}
