#include "patch/patch_file.h"

#include "platform/program_resources.h"
#include "platform/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>

namespace {

int SetTimesOf(const std::string& path, std::time_t when)
{
    const struct timespec times[2] = {{when, 0}, {when, 0}};
    return ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : errno;
}

int RenameOver(const std::string& from, const std::string& to)
{
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

PATCH_FILE_STEPS& Steps()
{
    static PATCH_FILE_STEPS steps;
    return steps;
}

// The permissions of the file being replaced, so the new copy runs as the old one did.
mode_t ModeOf(const std::string& installed)
{
    struct stat status {};
    if (::stat(installed.c_str(), &status) == 0 && S_ISREG(status.st_mode))
        return status.st_mode & 07777;
    return 0755;
}

// Writes all bytes; false on the first failed or empty write.
bool WriteAll(int fd, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

}  // namespace

PATCH_FILE_STEPS SetPatchFileSteps(PATCH_FILE_STEPS steps) { return std::exchange(Steps(), std::move(steps)); }

std::time_t LocalMidnight(const PATCH_DATE& date)
{
    std::tm local{};
    local.tm_year = date.year - 1900;
    local.tm_mon = date.month - 1;
    local.tm_mday = date.day;
    local.tm_isdst = -1;
    return std::mktime(&local);
}

void CPatchFile::Replace(const PATCH_ENTRY& row)
{
    const std::string temporaryPath = m_path + "_";
    try {
        ExtractTo(temporaryPath, row);
        if (!SetFileDate(temporaryPath, row.date))
            throw std::system_error(errno ? errno : EIO, std::generic_category(), "set the file's date");
        const auto renameOver = Steps().renameOver ? Steps().renameOver : RenameOver;
        if (const int error = renameOver(temporaryPath, m_path))
            throw std::system_error(error, std::generic_category(), "rename over the installed file");
    } catch (...) {
        ::unlink(temporaryPath.c_str());
        throw;
    }
    SyncFolderOf(m_path);
}

bool CPatchFile::ExtractTo(const std::string& temporaryPath, const PATCH_ENTRY& row)
{
    std::string bytes;
    switch (LoadProgramResource("PATCHFILE", row.resourceId, &bytes)) {
    case ProgramResourceStatus::NotFound:
        throw PATCH_ERROR_NO_RESOURCE;
    case ProgramResourceStatus::Unreadable:
        throw PATCH_ERROR_RESOURCE_UNREADABLE;
    case ProgramResourceStatus::Loaded:
        break;
    }
    // A file or a link left under the temporary name goes first; the new file is then made anew,
    // so a link planted there is never followed.
    ::unlink(temporaryPath.c_str());
    const int fd = ::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        throw PATCH_ERROR_CANNOT_CREATE;
    const bool written = ::fchmod(fd, ModeOf(m_path)) == 0 && WriteAll(fd, bytes) && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !written)
        throw PATCH_ERROR_CANNOT_WRITE;
    return true;
}

bool CPatchFile::SetFileDate(const std::string& temporaryPath, const PATCH_DATE& date)
{
    const std::time_t when = LocalMidnight(date);
    if (when == std::time_t(-1))
        return false;
    const auto setTimes = Steps().setTimes ? Steps().setTimes : SetTimesOf;
    const int error = setTimes(temporaryPath, when);
    errno = error;
    return error == 0;
}
