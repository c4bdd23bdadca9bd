// The registry and the per-user profile, kept in INI files through QSettings. Sections and value
// names are the programs' own ("Settings\Font", "Default"); a backslash separates sub-keys. The
// profile holds typed values (integers, byte blocks, strings); the class registry stands in for
// the shared class keys, which Linux does not have.
#pragma once

#include "platform/win_types.h"

#include <memory>
#include <string>
#include <vector>

class QSettings;

// One user's profile of one program: "Software\<company>\<program>" becomes one INI file.
class CProfile {
public:
    // The profile kept in the INI file at path (UTF-8); the file is made when first written.
    explicit CProfile(const std::string& path);
    ~CProfile();
    CProfile(const CProfile&) = delete;
    CProfile& operator=(const CProfile&) = delete;

    // The per-user file of company and program in the user's configuration folder.
    static std::string DefaultPath(const std::string& company, const std::string& program);
    const std::string& Path() const { return m_path; }

    // The stored integer, or fallback when the value is absent or not an integer.
    int GetProfileInt(const char* section, const char* entry, int fallback) const;
    BOOL WriteProfileInt(const char* section, const char* entry, int value);
    // The stored bytes; false (and bytes emptied) when the value is absent or not a byte block.
    bool GetProfileBinary(const char* section, const char* entry, std::vector<BYTE>* bytes) const;
    BOOL WriteProfileBinary(const char* section, const char* entry, const void* data, size_t size);
    // Strings are kept as code page 932 bytes, as the programs hand them over.
    std::string GetProfileString(const char* section, const char* entry, const char* fallback) const;
    BOOL WriteProfileString(const char* section, const char* entry, const char* value);
    // Whether anything is stored under section (and its sub-sections).
    bool HasSection(const char* section) const;
    void RemoveSection(const char* section);
    // Writes what is pending to the file; false when the file cannot be written.
    bool Flush();

private:
    std::string m_path;
    std::unique_ptr<QSettings> m_settings;
};

// The system-wide settings that an installer writes (the machine's registry): the value of entry
// in section of "Software\<company>\<program>", kept in the file <company>/<program>.ini of the
// first folder along $XDG_CONFIG_DIRS (else /etc/xdg) that holds one. Only read: nothing is made.
// The value's type is not checked: its text as stored, or the bytes of a byte block. False when
// no file, section or value exists.
bool ReadSystemProfileString(const std::string& company, const std::string& program, const char* section,
                             const char* entry, std::string* value);
// The file that ReadSystemProfileString reads for company and program; empty when there is none.
std::string SystemProfilePath(const std::string& company, const std::string& program);

// The class registry: keys with a default value, named string values and keys that exist
// without a value. Key paths use backslashes ("CLSID\{…}\verb\0").
class CClassRegistry {
public:
    explicit CClassRegistry(const std::string& path);
    ~CClassRegistry();
    CClassRegistry(const CClassRegistry&) = delete;
    CClassRegistry& operator=(const CClassRegistry&) = delete;

    // The registry of the current user, beside the profiles.
    static CClassRegistry& Instance();
    // Points Instance at another file (tests); an empty path goes back to the user's file.
    static void UseFile(const std::string& path);

    // Creates the key (and the keys above it); false when the registry cannot be written.
    bool CreateKey(const std::string& key);
    bool KeyExists(const std::string& key) const;
    // Sets a value of the key, creating the key; an empty name sets the default value.
    bool SetValue(const std::string& key, const std::string& name, const std::string& value);
    // False when the key or the value is absent.
    bool QueryValue(const std::string& key, const std::string& name, std::string* value) const;
    // The names of the keys directly below the key (below the root for an empty key).
    std::vector<std::string> SubKeys(const std::string& key) const;
    // Whether a failing write is simulated (tests): every write then answers false.
    void SetReadOnly(bool readOnly) { m_readOnly = readOnly; }
    bool Flush();

private:
    std::unique_ptr<QSettings> m_settings;
    bool m_readOnly = false;
};
