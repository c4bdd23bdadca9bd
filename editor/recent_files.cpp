#include "editor/recent_files.h"

#include "platform/profile.h"

#include <algorithm>

namespace {
constexpr char kSection[] = "Recent File List";
std::string EntryName(int index) { return "File" + std::to_string(index + 1); }
}  // namespace

void CRecentFileList::Add(const std::string& path)
{
    if (path.empty())
        return;
    m_files.erase(std::remove(m_files.begin(), m_files.end(), path), m_files.end());
    m_files.insert(m_files.begin(), path);
    if (m_files.size() > kSize)
        m_files.resize(kSize);
}

void CRecentFileList::Remove(int index)
{
    if (index >= 0 && index < GetSize())
        m_files.erase(m_files.begin() + index);
}

void CRecentFileList::ReadList(const CProfile& profile)
{
    m_files.clear();
    for (int i = 0; i < kSize; ++i) {
        const std::string path = profile.GetProfileString(kSection, EntryName(i).c_str(), "");
        if (!path.empty())
            m_files.push_back(path);
    }
}

void CRecentFileList::WriteList(CProfile& profile) const
{
    profile.RemoveSection(kSection);
    for (int i = 0; i < GetSize(); ++i)
        profile.WriteProfileString(kSection, EntryName(i).c_str(), m_files[static_cast<size_t>(i)].c_str());
}
