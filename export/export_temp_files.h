// Temporary files of the word-processor exports: a private folder for one export, and the
// fragment files named in it the way the word processors' import expects them.
#pragma once

#include <string>
#include <utility>

// A folder of the temporary directory that only this user can enter; it is removed, with all it
// holds, when the object dies.
class CExportTempFolder {
public:
    CExportTempFolder();
    ~CExportTempFolder();
    CExportTempFolder(const CExportTempFolder&) = delete;
    CExportTempFolder& operator=(const CExportTempFolder&) = delete;

    bool Valid() const { return !m_path.empty(); }
    // The folder's path with a trailing separator; empty when it could not be made.
    std::string Folder() const { return m_path.empty() ? std::string() : m_path + "/"; }

private:
    std::string m_path;
};

// A fresh file in folder named as a temporary-file call names one: the three-letter prefix and
// four upper-case hex digits, with extension (".QNI") in place of ".TMP". The file is made
// empty and exclusively, so the name stays reserved for its writer and no other file of that
// name is overwritten; only the file's own name is upper-cased, never the folder's. Empty when no
// name could be made.
std::string NewFragmentPath(const std::string& folder, const char* prefix, const char* extension);

// Deletes a file the export made, when it is there.
void RemoveExportFile(const std::string& path);

// A temporary file of the export that is deleted when the step that made it ends, however it
// ends; an empty path stands for no file.
class CExportTempFile {
public:
    CExportTempFile() = default;
    explicit CExportTempFile(std::string path) : m_path(std::move(path)) {}
    ~CExportTempFile() { Remove(); }
    CExportTempFile(CExportTempFile&& other) noexcept : m_path(std::move(other.m_path)) { other.m_path.clear(); }
    CExportTempFile& operator=(CExportTempFile&& other) noexcept;
    CExportTempFile(const CExportTempFile&) = delete;
    CExportTempFile& operator=(const CExportTempFile&) = delete;

    const std::string& Path() const { return m_path; }
    bool Empty() const { return m_path.empty(); }
    // Deletes the file now; the object then holds none.
    void Remove();

private:
    std::string m_path;
};
