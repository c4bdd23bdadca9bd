// The recent-file list: the ten papers opened last, newest first, kept in the profile's
// "Recent File List" section as "File1" to "File10".
#pragma once

#include <string>
#include <vector>

class CProfile;

class CRecentFileList {
public:
    static constexpr int kSize = 10;

    void Add(const std::string& path);
    void Remove(int index);
    int GetSize() const { return static_cast<int>(m_files.size()); }
    const std::string& GetAt(int index) const { return m_files.at(static_cast<size_t>(index)); }

    void ReadList(const CProfile& profile);
    void WriteList(CProfile& profile) const;

private:
    std::vector<std::string> m_files;
};
