// Replacing a file without ever leaving it half written: the new content goes to a temporary
// file beside the target, is flushed to disk, and only then is renamed over the target. On any
// failure the temporary file is removed and the former file stays exactly as it was.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

// Where a writer callback puts the new content. Write returns false once a write has failed;
// later writes are ignored, and the replacement then fails with the system's reason.
class SafeFileSink {
public:
    bool Write(std::string_view bytes);
    const std::error_code& Error() const { return m_error; }

private:
    friend std::error_code ReplaceFileSafely(const std::string&, const std::function<bool(SafeFileSink&)>&);
    explicit SafeFileSink(int fd) : m_fd(fd) {}
    int m_fd;
    std::error_code m_error;
};

// Makes a rename into path's folder durable by synchronising the folder; a folder that cannot
// be synchronised changes nothing.
void SyncFolderOf(const std::string& path);

// Writes the content that writer produces; a writer that returns false abandons the
// replacement (operation_canceled). Returns no error when the target holds the new content.
std::error_code ReplaceFileSafely(const std::string& path, const std::function<bool(SafeFileSink&)>& writer);
std::error_code ReplaceFileSafely(const std::string& path, std::string_view bytes);

// Files replaced together, so that a failure part way leaves every one of them as it was: each
// new content is first written under a temporary name beside its target (Stage), and Commit then
// puts them in place in the order staged, first moving each former file aside and, when any step
// fails, moving back every file it had replaced. Staged files not committed go with the group.
class FileReplacementGroup {
public:
    FileReplacementGroup() = default;
    ~FileReplacementGroup();
    FileReplacementGroup(const FileReplacementGroup&) = delete;
    FileReplacementGroup& operator=(const FileReplacementGroup&) = delete;

    // A new empty file beside target for its content, which the caller writes (by a path
    // replacement or otherwise); empty with error set when it cannot be made.
    std::string Stage(const std::string& target, std::error_code& error);
    // Puts the staged files in place; a target that is a folder, or any failed rename, puts
    // everything back, and failedTarget (when given) names the target it failed at.
    std::error_code Commit(std::string* failedTarget = nullptr);

private:
    struct ENTRY {
        std::string target;
        std::string staged;
        std::string aside;  // where the former file went; empty when there was none
        bool placed = false;
    };
    void RollBack();
    void RemoveStaged();
    std::vector<ENTRY> m_entries;
};
