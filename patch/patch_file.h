// Writes the carried copy of one installed file: the copy goes to the installed name followed by
// "_", is flushed and dated, and then replaces the installed file by one rename over it. Any
// failure removes the temporary file and leaves the installed file as it was.
#pragma once

#include "patch/patch_table.h"

#include <ctime>
#include <functional>
#include <string>

// The two steps after writing, which tests make fail: each returns 0 or the system's error number.
struct PATCH_FILE_STEPS {
    std::function<int(const std::string& path, std::time_t when)> setTimes;
    std::function<int(const std::string& from, const std::string& to)> renameOver;
};
// Installs steps (empty members mean the system's own) and returns the former ones.
PATCH_FILE_STEPS SetPatchFileSteps(PATCH_FILE_STEPS steps);

class CPatchFile {
public:
    explicit CPatchFile(std::string path) : m_path(std::move(path)) {}
    virtual ~CPatchFile() = default;

    // Puts the row's carried copy in place of the installed file. Throws a PatchError (3 to 6)
    // or std::system_error when the date or the rename fails.
    void Replace(const PATCH_ENTRY& row);
    // Writes the row's carried copy to temporaryPath, created anew: a file or link of that name
    // is removed first and never followed. Throws PatchError 3 to 6.
    bool ExtractTo(const std::string& temporaryPath, const PATCH_ENTRY& row);
    // Sets the access and modification times to midnight local time of date; false on failure.
    bool SetFileDate(const std::string& temporaryPath, const PATCH_DATE& date);

private:
    std::string m_path;
};

// Midnight local time of date, daylight saving as the system decides.
std::time_t LocalMidnight(const PATCH_DATE& date);
