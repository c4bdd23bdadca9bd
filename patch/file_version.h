// The version of an installed program file, read from the version note the build put into it,
// and the rule that turns a FileVersion text into a number.
#pragma once

#include <string>
#include <string_view>

// One file's version, made for one check.
class CFileVersion {
public:
    explicit CFileVersion(std::string path) : m_path(std::move(path)) {}
    virtual ~CFileVersion() = default;

    // 1 below minimum, 0 from minimum to below target (to be replaced), 2 from target on
    // (current). Throws PATCH_ERROR_NO_VERSION when the file has no readable FileVersion.
    int Compare(double minimum, double target);
    // The named text of the file's version data: "FileVersion", the one text the note holds;
    // empty when the file has no readable version or the name is another.
    std::string GetStringValue(const std::string& name);
    // Reads the version data once; false when the file has none.
    bool Load();

private:
    std::string m_path;
    bool m_loaded = false;
    std::string m_fileVersion;
};

// '.' when the text holds a '.', else ',' when it holds a ',', else 0.
char DetectVersionSeparator(std::string_view text);

// The first field plus the second field times 0.01 in double arithmetic, each field read by the
// C library's atoi rule: "2.10.0000" reads 2.1, "2.1.0.0" 2.01. Throws PATCH_ERROR_NO_VERSION
// for a text with neither separator.
double ParseVersionNumber(std::string_view text);
