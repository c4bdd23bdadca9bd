// Files that archives read and write: the abstract CFile and the growable memory file CMemFile,
// with the file exception that they raise.
#pragma once

#include "platform/win_types.h"

#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

class CFileException : public std::runtime_error {
public:
    enum Cause { none = 0, genericException, badSeek, diskFull, endOfFile };

    explicit CFileException(Cause cause);

    Cause m_cause;
};

// A random-access byte file. Positions and lengths are in bytes.
class CFile {
public:
    enum SeekPosition { begin = 0, current = 1, end = 2 };

    virtual ~CFile() = default;

    // Reads up to count bytes at the position; returns how many were read (fewer at the end).
    virtual UINT Read(void* buffer, UINT count) = 0;
    // Writes count bytes at the position, growing the file when needed.
    virtual void Write(const void* buffer, UINT count) = 0;
    // Moves the position; a position before the start raises CFileException::badSeek.
    virtual uint64_t Seek(int64_t offset, UINT from) = 0;
    virtual uint64_t GetPosition() const = 0;
    virtual uint64_t GetLength() const = 0;
    virtual void Flush() {}
    virtual void Close() {}

    void SeekToBegin() { Seek(0, begin); }
    uint64_t SeekToEnd() { return Seek(0, end); }
};

// A file held in memory. It grows as it is written; writing past the end fills the gap with zeros.
class CMemFile : public CFile {
public:
    CMemFile() = default;
    // A file whose contents are a copy of bytes, positioned at the start.
    explicit CMemFile(std::span<const BYTE> bytes);

    UINT Read(void* buffer, UINT count) override;
    void Write(const void* buffer, UINT count) override;
    uint64_t Seek(int64_t offset, UINT from) override;
    uint64_t GetPosition() const override { return m_position; }
    uint64_t GetLength() const override { return m_data.size(); }

    // Cuts or extends (with zeros) the file; the position is left where it was.
    void SetLength(uint64_t length);

    std::span<const BYTE> Data() const { return m_data; }
    // Hands the contents to the caller and leaves the file empty.
    std::vector<BYTE> Detach();

private:
    std::vector<BYTE> m_data;
    uint64_t m_position = 0;
};
