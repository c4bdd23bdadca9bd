// Replacing a file without ever leaving it half written: the new content goes to a temporary
// file beside the target, is flushed to disk, and only then is renamed over the target. On any
// failure the temporary file is removed and the former file stays exactly as it was.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <system_error>

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

// Writes the content that writer produces; a writer that returns false abandons the
// replacement (operation_canceled). Returns no error when the target holds the new content.
std::error_code ReplaceFileSafely(const std::string& path, const std::function<bool(SafeFileSink&)>& writer);
std::error_code ReplaceFileSafely(const std::string& path, std::string_view bytes);
