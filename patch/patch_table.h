// What the update patch knows: the installed files it checks and replaces, in the order it
// checks and writes them, the reasons that stop a run and the texts it shows.
#pragma once

#include <span>
#include <string>

struct PATCH_DATE {
    int year;
    int month;
    int day;
};

// One installed file: below minimumVersion the run stops, from targetVersion on the file is
// current; in between it is replaced by the carried copy resourceId, stamped with date.
struct PATCH_ENTRY {
    const char* valueName;  // the settings value that holds the install folder
    double minimumVersion;
    double targetVersion;
    const char* fileName;
    int resourceId;  // among the program's "PATCHFILE" resources
    PATCH_DATE date;
};

// The patch table, in the order files are checked and written. Invariant: minimum <= target.
std::span<const PATCH_ENTRY> PatchTable();

// The reasons that stop a run, thrown by value. Any other exception is reported as
// PATCH_ERROR_OTHER.
enum PatchError : int {
    PATCH_ERROR_NOT_INSTALLED = 0,
    PATCH_ERROR_NO_VERSION = 1,
    PATCH_ERROR_TOO_OLD = 2,
    PATCH_ERROR_NO_RESOURCE = 3,
    PATCH_ERROR_RESOURCE_UNREADABLE = 4,
    PATCH_ERROR_CANNOT_CREATE = 5,
    PATCH_ERROR_CANNOT_WRITE = 6,
    PATCH_ERROR_OTHER = 7,
};

// The message of an error code, formatted with the one number 2.0 as every message is, so the
// placeholder of PATCH_ERROR_TOO_OLD always reads 2.00.
std::u16string PatchErrorMessage(int code);

// The string table: 101 and 102 the confirmation, 111 to 116 the result texts and titles.
std::u16string PatchString(int id);

// The product's name in the confirmation, and where the install folder is kept:
// "Software\Orvellan\Hobrin\Path".
inline constexpr char16_t kPatchProductName[] = u"Lumetra化学";
inline constexpr char kPatchMaker[] = "Orvellan";
inline constexpr char kPatchProductCode[] = "Hobrin";
inline constexpr char kPatchPathKey[] = "Path";
