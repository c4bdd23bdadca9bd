#include "platform/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
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
    // A count of its own per process, so that many files staged in one folder each find a name
    // at once.
    static std::atomic<unsigned> next{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = prefix + std::to_string(::getpid()) + "-" + std::to_string(next++);
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

}  // namespace

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

FileReplacementGroup::~FileReplacementGroup() { RemoveStaged(); }

std::string FileReplacementGroup::Stage(const std::string& target, std::error_code& error)
{
    ENTRY entry;
    entry.target = target;
    const int fd = CreateTemporaryBeside(target, entry.staged, error);
    if (fd < 0)
        return std::string();
    ::close(fd);
    m_entries.push_back(entry);
    return m_entries.back().staged;
}

std::error_code FileReplacementGroup::Commit(std::string* failedTarget)
{
    std::error_code error;
    for (ENTRY& entry : m_entries) {
        struct stat former {};
        const bool exists = ::lstat(entry.target.c_str(), &former) == 0;
        if (exists && S_ISDIR(former.st_mode)) {
            error = std::make_error_code(std::errc::is_a_directory);
        } else if (exists) {
            // The former file goes under a new name of its own, from which it can come back.
            const int fd = CreateTemporaryBeside(entry.target, entry.aside, error);
            if (fd >= 0) {
                ::close(fd);
                if (::rename(entry.target.c_str(), entry.aside.c_str()) != 0) {
                    error = LastSystemError();
                    ::unlink(entry.aside.c_str());
                    entry.aside.clear();
                } else if (S_ISREG(former.st_mode)) {
                    ::chmod(entry.staged.c_str(), former.st_mode & 07777);
                }
            } else {
                entry.aside.clear();
            }
        }
        if (!error && ::rename(entry.staged.c_str(), entry.target.c_str()) != 0)
            error = LastSystemError();
        if (error) {
            if (failedTarget != nullptr)
                *failedTarget = entry.target;
            RollBack();
            return error;
        }
        entry.placed = true;
    }
    for (const ENTRY& entry : m_entries) {
        if (!entry.aside.empty())
            ::unlink(entry.aside.c_str());
        SyncFolderOf(entry.target);
    }
    m_entries.clear();
    return {};
}

void FileReplacementGroup::RollBack()
{
    for (auto entry = m_entries.rbegin(); entry != m_entries.rend(); ++entry) {
        if (entry->placed)
            ::unlink(entry->target.c_str());
        if (!entry->aside.empty())
            ::rename(entry->aside.c_str(), entry->target.c_str());
        entry->placed = false;
        entry->aside.clear();
    }
    RemoveStaged();
}

void FileReplacementGroup::RemoveStaged()
{
    for (const ENTRY& entry : m_entries) {
        if (!entry.placed)
            ::unlink(entry.staged.c_str());
    }
    m_entries.clear();
}
