#include "platform/file_version_note.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace {

constexpr uint32_t kNoteSectionType = 7;             // SHT_NOTE
constexpr uint64_t kMaxSectionTable = 4u << 20;      // far beyond any real program's table
constexpr uint64_t kMaxNoteSection = 64u << 10;      // larger note sections are not ours: skipped

// The file, read only through bounds-checked pieces.
class ElfBytes {
public:
    explicit ElfBytes(const std::string& path) : m_fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC))
    {
        struct stat status {};
        if (m_fd >= 0 && ::fstat(m_fd, &status) == 0 && S_ISREG(status.st_mode))
            m_size = uint64_t(status.st_size);
    }
    ~ElfBytes()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    ElfBytes(const ElfBytes&) = delete;
    ElfBytes& operator=(const ElfBytes&) = delete;

    // The bytes [offset, offset + size), or false when they do not all lie in the file.
    bool Read(uint64_t offset, uint64_t size, std::vector<unsigned char>& out) const
    {
        if (m_fd < 0 || offset > m_size || size > m_size - offset)
            return false;
        out.resize(size_t(size));
        size_t done = 0;
        while (done < out.size()) {
            const ssize_t n = ::pread(m_fd, out.data() + done, out.size() - done, off_t(offset + done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            done += size_t(n);
        }
        return true;
    }

private:
    int m_fd;
    uint64_t m_size = 0;
};

// Reads unsigned fields in the file's byte order.
struct FieldReader {
    bool bigEndian;
    uint64_t Get(const unsigned char* at, int width) const
    {
        uint64_t value = 0;
        for (int i = 0; i < width; ++i) {
            const int index = bigEndian ? i : width - 1 - i;
            value = (value << 8) | at[index];
        }
        return value;
    }
};

// Where the section table lies and how its entries read, for the two ELF classes.
struct ELF_CLASS_LAYOUT {
    uint64_t headerSize;
    uint64_t shoffAt, shoffWidth;
    uint64_t shentsizeAt, shnumAt;
    uint64_t sectionEntrySize;
    uint64_t typeAt, offsetAt, sizeAt, alignAt, wordWidth;
};
constexpr ELF_CLASS_LAYOUT kElf32{52, 32, 4, 46, 48, 40, 4, 16, 20, 32, 4};
constexpr ELF_CLASS_LAYOUT kElf64{64, 40, 8, 58, 60, 64, 4, 24, 32, 48, 8};

enum class NoteSearch { Found, NotHere, Damaged };

uint64_t AlignUp(uint64_t value, uint64_t alignment) { return (value + alignment - 1) / alignment * alignment; }

// Walks the notes of one note section for the version note.
NoteSearch FindInNotes(const std::vector<unsigned char>& notes, const FieldReader& field, uint64_t alignment,
                       std::string* text)
{
    const uint64_t ownerSize = sizeof(kFileVersionNoteOwner);
    uint64_t at = 0;
    while (notes.size() - at >= 12) {
        const uint64_t nameSize = field.Get(&notes[at], 4);
        const uint64_t descSize = field.Get(&notes[at + 4], 4);
        const uint64_t type = field.Get(&notes[at + 8], 4);
        // The descriptor and the next note start at the next aligned offset of the section.
        const uint64_t nameAt = at + 12;
        const uint64_t descAt = AlignUp(nameAt + nameSize, alignment);
        if (descAt > notes.size() || descSize > notes.size() - descAt)
            return NoteSearch::Damaged;
        const bool ours = type == kFileVersionNoteType && nameSize == ownerSize &&
                          std::memcmp(&notes[nameAt], kFileVersionNoteOwner, ownerSize) == 0;
        if (ours) {
            if (descSize > kFileVersionNoteMaxText)
                return NoteSearch::Damaged;
            const char* desc = reinterpret_cast<const char*>(&notes[descAt]);
            text->assign(desc, strnlen(desc, size_t(descSize)));
            return NoteSearch::Found;
        }
        at = AlignUp(descAt + descSize, alignment);
        if (at > notes.size())
            break;
    }
    return NoteSearch::NotHere;
}

}  // namespace

bool ReadFileVersionNote(const std::string& path, std::string* text)
{
    text->clear();
    const ElfBytes file(path);
    std::vector<unsigned char> header;
    if (!file.Read(0, 16, header) || std::memcmp(header.data(), "\x7f" "ELF", 4) != 0)
        return false;
    const unsigned char elfClass = header[4], encoding = header[5], version = header[6];
    if ((elfClass != 1 && elfClass != 2) || (encoding != 1 && encoding != 2) || version != 1)
        return false;
    const ELF_CLASS_LAYOUT& layout = elfClass == 1 ? kElf32 : kElf64;
    const FieldReader field{encoding == 2};
    if (!file.Read(0, layout.headerSize, header))
        return false;

    const uint64_t tableAt = field.Get(&header[layout.shoffAt], int(layout.shoffWidth));
    const uint64_t entrySize = field.Get(&header[layout.shentsizeAt], 2);
    const uint64_t entryCount = field.Get(&header[layout.shnumAt], 2);
    if (tableAt == 0 || entryCount == 0 || entrySize < layout.sectionEntrySize ||
        entrySize * entryCount > kMaxSectionTable)
        return false;
    std::vector<unsigned char> table;
    if (!file.Read(tableAt, entrySize * entryCount, table))
        return false;

    std::vector<unsigned char> notes;
    for (uint64_t i = 0; i < entryCount; ++i) {
        const unsigned char* entry = &table[i * entrySize];
        if (field.Get(entry + layout.typeAt, 4) != kNoteSectionType)
            continue;
        const int width = int(layout.wordWidth);
        const uint64_t offset = field.Get(entry + layout.offsetAt, width);
        const uint64_t size = field.Get(entry + layout.sizeAt, width);
        // Notes are padded to four bytes, or to eight in a section aligned so in a 64-bit file.
        const uint64_t alignment = elfClass == 2 && field.Get(entry + layout.alignAt, width) == 8 ? 8 : 4;
        if (size > kMaxNoteSection)
            continue;
        if (!file.Read(offset, size, notes))
            return false;
        switch (FindInNotes(notes, field, alignment, text)) {
        case NoteSearch::Found:
            return true;
        case NoteSearch::Damaged:
            text->clear();
            return false;
        case NoteSearch::NotHere:
            break;
        }
    }
    return false;
}
