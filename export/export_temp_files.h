// Temporary files of the word-processor exports: a private folder for one export, and the
// fragment files named in it the way the word processors' import expects them.
#pragma once

#include <string>

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

// A fresh name in folder as a temporary-file call gives one: the three-letter prefix, four hex
// digits and ".TMP", made unique by creating the file. The file is deleted again, its name (not
// its folder) upper-cased and ".TMP" replaced by extension (".QNI"). Empty when no name could be
// made.
std::string NewFragmentPath(const std::string& folder, const char* prefix, const char* extension);

// Deletes a file the export made, when it is there.
void RemoveExportFile(const std::string& path);
