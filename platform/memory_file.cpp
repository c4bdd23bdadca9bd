#include "platform/memory_file.h"

#include <algorithm>
#include <cstring>

namespace {

const char* FileCauseText(CFileException::Cause cause)
{
    switch (cause) {
    case CFileException::none: return "no file error";
    case CFileException::genericException: return "file error";
    case CFileException::badSeek: return "file position out of range";
    case CFileException::diskFull: return "file too large";
    case CFileException::endOfFile: return "end of file";
    }
    return "file error";
}

}  // namespace

CFileException::CFileException(Cause cause) : std::runtime_error(FileCauseText(cause)), m_cause(cause) {}

CMemFile::CMemFile(std::span<const BYTE> bytes) : m_data(bytes.begin(), bytes.end()) {}

UINT CMemFile::Read(void* buffer, UINT count)
{
    if (count == 0 || m_position >= m_data.size())
        return 0;
    const uint64_t available = m_data.size() - m_position;
    const UINT n = static_cast<UINT>(std::min<uint64_t>(count, available));
    std::memcpy(buffer, m_data.data() + m_position, n);
    m_position += n;
    return n;
}

void CMemFile::Write(const void* buffer, UINT count)
{
    if (count == 0)
        return;
    const uint64_t end = m_position + count;
    if (end > m_data.max_size())
        throw CFileException(CFileException::diskFull);
    if (end > m_data.size())
        m_data.resize(end);
    std::memcpy(m_data.data() + m_position, buffer, count);
    m_position = end;
}

uint64_t CMemFile::Seek(int64_t offset, UINT from)
{
    int64_t origin = 0;
    if (from == current)
        origin = static_cast<int64_t>(m_position);
    else if (from == end)
        origin = static_cast<int64_t>(m_data.size());
    else if (from != begin)
        throw CFileException(CFileException::badSeek);
    if ((offset < 0 && offset < -origin) || (offset > 0 && offset > INT64_MAX - origin))
        throw CFileException(CFileException::badSeek);
    m_position = static_cast<uint64_t>(origin + offset);
    return m_position;
}

void CMemFile::SetLength(uint64_t length)
{
    if (length > m_data.max_size())
        throw CFileException(CFileException::diskFull);
    m_data.resize(length);
}

std::vector<BYTE> CMemFile::Detach()
{
    std::vector<BYTE> data = std::move(m_data);
    m_data.clear();
    m_position = 0;
    return data;
}
