// ELF files written byte by byte from the format's tables, for the readers of version notes:
// the file header, the sections' contents and the section header table at the end.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ELF_TEST_SECTION {
    uint32_t type = 7;  // SHT_NOTE
    uint64_t alignment = 4;
    std::string content;
};

struct ELF_TEST_FILE {
    int elfClass = 2;  // 1: 32-bit, 2: 64-bit
    bool bigEndian = false;
    std::vector<ELF_TEST_SECTION> sections;
};

// Appends value in width bytes in the file's byte order.
inline void PutField(std::string& out, uint64_t value, int width, bool bigEndian)
{
    for (int i = 0; i < width; ++i) {
        const int shift = 8 * (bigEndian ? width - 1 - i : i);
        out += char((value >> shift) & 0xFF);
    }
}

inline void PadTo(std::string& out, size_t alignment)
{
    while (out.size() % alignment != 0)
        out += '\0';
}

// One note: name size, descriptor size and type, then the name and the descriptor, each padded.
inline std::string ElfNote(const std::string& owner, uint32_t type, const std::string& desc, bool bigEndian = false,
                           size_t alignment = 4)
{
    std::string note;
    PutField(note, owner.size() + 1, 4, bigEndian);
    PutField(note, desc.size(), 4, bigEndian);
    PutField(note, type, 4, bigEndian);
    note += owner;
    note += '\0';
    PadTo(note, alignment);
    note += desc;
    PadTo(note, alignment);
    return note;
}

// The version note our build puts into a program: owner "Orvellan", type 1, the text and its zero.
inline std::string VersionNote(const std::string& text, bool bigEndian = false)
{
    return ElfNote("Orvellan", 1, text + std::string(1, '\0'), bigEndian);
}

inline std::string ElfFileBytes(const ELF_TEST_FILE& spec)
{
    const bool big = spec.bigEndian;
    const bool is64 = spec.elfClass == 2;
    const int word = is64 ? 8 : 4;
    const size_t headerSize = is64 ? 64 : 52;
    const size_t entrySize = is64 ? 64 : 40;

    // The contents follow the header, each at an offset of its alignment.
    std::string body(headerSize, '\0');
    std::vector<uint64_t> offsets;
    for (const ELF_TEST_SECTION& section : spec.sections) {
        PadTo(body, size_t(section.alignment ? section.alignment : 1));
        offsets.push_back(body.size());
        body += section.content;
    }
    PadTo(body, 8);
    const uint64_t tableAt = body.size();

    std::string header = "\x7f" "ELF";
    header += char(spec.elfClass);
    header += char(big ? 2 : 1);
    header += char(1);                  // EI_VERSION
    header.append(9, '\0');             // ABI, ABI version, padding
    PutField(header, 2, 2, big);        // e_type: ET_EXEC
    PutField(header, 62, 2, big);       // e_machine
    PutField(header, 1, 4, big);        // e_version
    PutField(header, 0, word, big);     // e_entry
    PutField(header, 0, word, big);     // e_phoff
    PutField(header, tableAt, word, big);  // e_shoff
    PutField(header, 0, 4, big);        // e_flags
    PutField(header, headerSize, 2, big);
    PutField(header, 0, 2, big);        // e_phentsize
    PutField(header, 0, 2, big);        // e_phnum
    PutField(header, entrySize, 2, big);
    PutField(header, spec.sections.size() + 1, 2, big);
    PutField(header, 0, 2, big);        // e_shstrndx
    body.replace(0, headerSize, header);

    std::string table(entrySize, '\0');  // the null section
    for (size_t i = 0; i < spec.sections.size(); ++i) {
        const ELF_TEST_SECTION& section = spec.sections[i];
        std::string entry;
        PutField(entry, 0, 4, big);             // sh_name
        PutField(entry, section.type, 4, big);  // sh_type
        PutField(entry, 2, word, big);          // sh_flags: SHF_ALLOC
        PutField(entry, 0, word, big);          // sh_addr
        PutField(entry, offsets[i], word, big);
        PutField(entry, section.content.size(), word, big);
        PutField(entry, 0, 4, big);             // sh_link
        PutField(entry, 0, 4, big);             // sh_info
        PutField(entry, section.alignment, word, big);
        PutField(entry, 0, word, big);          // sh_entsize
        table += entry;
    }
    return body + table;
}

// A 64-bit little-endian program file whose one note section holds the version text.
inline std::string ElfWithVersion(const std::string& text)
{
    ELF_TEST_FILE spec;
    spec.sections.push_back({7, 4, VersionNote(text)});
    return ElfFileBytes(spec);
}
