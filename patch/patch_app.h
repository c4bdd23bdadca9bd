// The update patch's run: ask, check every installed file, replace the outdated ones with the
// carried copies and tell the outcome, all through the shell's message boxes.
#pragma once

#include "patch/patch_table.h"

#include <string>
#include <vector>

// Exit codes of the program: outcomes 0 and 1 end with 0.
inline constexpr int kPatchExitFailed = 1;     // the run stopped on an error (outcome 2)
inline constexpr int kPatchExitCancelled = 2;  // the user declined; nothing was read or written

class CPatchApp {
public:
    // The whole run over the command line (the program's name first); returns the exit code.
    int InitInstance(const std::vector<std::string>& arguments);

    // True at once when silent, else whether the user answered OK.
    bool ConfirmPatch() const;
    // 0 files replaced, 1 every file current, 2 stopped on an error (shown first).
    int RunPatch() const;
    void ShowPatchResult(int outcome) const;
    void ShowPatchError(int code) const;

    bool silent = false;
};

// Silent when the first argument after the program's name is "/s" or "-s" in any case.
bool IsSilentMode(const std::vector<std::string>& arguments);

// Checks every row, then writes those that need it: 0 when files were replaced, 1 when every file
// was current. Throws a PatchError, or another exception from a write.
int ApplyPatches();
// The row's installed file (handed back in path) compared with the row: 0 replace, 1 below the
// minimum, 2 current. Throws PATCH_ERROR_NOT_INSTALLED or PATCH_ERROR_NO_VERSION.
int CheckPatchEntry(const PATCH_ENTRY& row, std::string* path);
// The install folder from the system-wide settings; missing, empty or relative throws
// PATCH_ERROR_NOT_INSTALLED.
std::string GetInstallDir(const PATCH_ENTRY& row);
// The text of the product's settings value, up to its first zero byte; empty when absent.
std::string ReadRegistryString(const char* productCode, const char* valueName);
// folder, a '/' unless it ends with one, and the file name.
std::string MakeTargetPath(const std::string& folder, const char* fileName);
int CheckFileVersion(const std::string& path, const PATCH_ENTRY& row);
void WritePatchFile(const std::string& path, const PATCH_ENTRY& row);
