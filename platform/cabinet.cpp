// Cabinet archives. The cabinet's structure (header, folders, file entries, data blocks) is
// read, checked and assembled here; libgcab compresses and decompresses the data blocks of one
// folder at a time, since it writes only single-folder cabinets and trusts the names it reads.
#include "platform/cabinet.h"

#include "platform/codepage.h"
#include "platform/safe_file.h"
#include "platform/utf8.h"

#include <libgcab.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>

namespace {

constexpr uint8_t kSignature[4] = {'M', 'S', 'C', 'F'};
constexpr size_t kHeaderBytes = 36;
constexpr size_t kFolderBytes = 8;
constexpr size_t kFileFixedBytes = 16;
constexpr size_t kBlockFixedBytes = 8;
constexpr size_t kMaxNameBytes = 255;
constexpr uint32_t kMaxBlockBytes = 32768;

constexpr uint16_t kFlagPreviousCabinet = 0x0001;
constexpr uint16_t kFlagNextCabinet = 0x0002;
constexpr uint16_t kFlagReservePresent = 0x0004;
constexpr uint16_t kAttributeNameIsUtf8 = 0x80;
constexpr uint16_t kFolderIndexContinued = 0xFFFD;

constexpr uint16_t kCompressionNone = 0;
constexpr uint16_t kCompressionMszip = 1;

// ---- little-endian fields -------------------------------------------------------------------

uint16_t Get16(std::span<const uint8_t> b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }

uint32_t Get32(std::span<const uint8_t> b, size_t at)
{
    return static_cast<uint32_t>(b[at]) | (static_cast<uint32_t>(b[at + 1]) << 8) |
           (static_cast<uint32_t>(b[at + 2]) << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

void Put16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    Put16(out, static_cast<uint16_t>(v));
    Put16(out, static_cast<uint16_t>(v >> 16));
}

void Set32(std::vector<uint8_t>& out, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

bool Fail(std::string* error, std::string text)
{
    if (error)
        *error = std::move(text);
    return false;
}

// ---- the cabinet's layout -------------------------------------------------------------------

struct FolderLayout {
    uint16_t compression = 0;
    uint16_t blockCount = 0;
    size_t blocksBegin = 0;  // the folder's data blocks are the bytes [blocksBegin, blocksEnd)
    size_t blocksEnd = 0;
    uint64_t uncompressedBytes = 0;
};

struct FileLayout {
    uint32_t size = 0;
    uint32_t offset = 0;  // within the folder's uncompressed data
    uint16_t folder = 0;
    uint16_t dosDate = 0;
    uint16_t dosTime = 0;
    uint16_t attributes = 0;
    std::string name;  // UTF-8
};

struct CabinetLayout {
    uint16_t setId = 0;
    uint16_t cabinetIndex = 0;
    uint8_t blockReserve = 0;  // bytes reserved in every data block header
    std::vector<FolderLayout> folders;
    std::vector<FileLayout> files;
};

// The name of an entry as UTF-8: UTF-8 when the entry says so, else code page 932. Bytes that
// are not valid in their encoding make the name invalid (empty).
std::string DecodeEntryName(std::string_view raw, bool utf8)
{
    if (utf8) {
        std::string again = Utf16ToUtf8(Utf8ToUtf16(raw));
        return again == raw ? again : std::string();
    }
    const std::u16string wide = Cp932ToWide(raw);
    return WideToCp932(wide) == raw ? Utf16ToUtf8(wide) : std::string();
}

bool ReadFolders(std::span<const uint8_t> b, size_t at, size_t folderReserve, CabinetLayout* layout,
                 std::string* error)
{
    // Folders of a sound cabinet hold disjoint blocks, so the blocks walked stay within its size.
    uint64_t blocksWalked = 0;
    for (FolderLayout& folder : layout->folders) {
        blocksWalked += folder.blockCount;
        if (blocksWalked * (kBlockFixedBytes + layout->blockReserve) > b.size())
            return Fail(error, "the cabinet's folders claim more data blocks than it holds");
        if (b.size() - at < kFolderBytes + folderReserve)
            return Fail(error, "the cabinet ends inside its folder table");
        folder.blocksBegin = Get32(b, at);
        folder.blockCount = Get16(b, at + 4);
        folder.compression = Get16(b, at + 6) & 0x000F;
        at += kFolderBytes + folderReserve;
        if (folder.compression != kCompressionNone && folder.compression != kCompressionMszip)
            return Fail(error, "the cabinet uses a compression other than MSZIP");
        size_t block = folder.blocksBegin;
        for (unsigned i = 0; i < folder.blockCount; ++i) {
            if (block > b.size() || b.size() - block < kBlockFixedBytes + layout->blockReserve)
                return Fail(error, "the cabinet ends inside a data block header");
            const uint16_t packed = Get16(b, block + 4);
            const uint16_t unpacked = Get16(b, block + 6);
            block += kBlockFixedBytes + layout->blockReserve;
            if (b.size() - block < packed)
                return Fail(error, "the cabinet ends inside a data block");
            if (unpacked == 0 || unpacked > kMaxBlockBytes ||
                (folder.compression == kCompressionNone && packed != unpacked))
                return Fail(error, "a data block of the cabinet has an impossible size");
            block += packed;
            folder.uncompressedBytes += unpacked;
        }
        folder.blocksEnd = block;
    }
    return true;
}

bool ReadFiles(std::span<const uint8_t> b, size_t at, CabinetLayout* layout, uint64_t maxBytes, std::string* error)
{
    uint64_t total = 0;
    for (FileLayout& file : layout->files) {
        if (at > b.size() || b.size() - at < kFileFixedBytes)
            return Fail(error, "the cabinet ends inside its file table");
        file.size = Get32(b, at);
        file.offset = Get32(b, at + 4);
        file.folder = Get16(b, at + 8);
        file.dosDate = Get16(b, at + 10);
        file.dosTime = Get16(b, at + 12);
        const uint16_t attributes = Get16(b, at + 14);
        file.attributes = attributes & kCabinetAttributeMask;
        at += kFileFixedBytes;
        const size_t limit = std::min(b.size(), at + kMaxNameBytes + 1);
        const auto* nul = static_cast<const uint8_t*>(std::memchr(b.data() + at, 0, limit - at));
        if (!nul)
            return Fail(error, "a file name in the cabinet is unterminated or too long");
        const std::string_view raw(reinterpret_cast<const char*>(b.data() + at), nul - (b.data() + at));
        at += raw.size() + 1;
        file.name = DecodeEntryName(raw, attributes & kAttributeNameIsUtf8);
        if (!IsBareFileName(file.name))
            return Fail(error, "the cabinet holds an entry that is not a bare file name");
        if (file.folder >= kFolderIndexContinued)
            return Fail(error, "the cabinet continues a file from another cabinet");
        if (file.folder >= layout->folders.size())
            return Fail(error, "a file of the cabinet names a folder it does not have");
        const FolderLayout& folder = layout->folders[file.folder];
        if (uint64_t(file.offset) + file.size > folder.uncompressedBytes)
            return Fail(error, "a file of the cabinet reaches beyond its folder's data");
        total += file.size;
        if (total > maxBytes)
            return Fail(error, "the cabinet's files are too large");
    }
    return true;
}

// The folder data that holds files must fit the bounds too: its blocks are what gets
// decompressed, whatever the file table claims.
bool UsedFolderDataWithin(const CabinetLayout& layout, uint64_t maxBytes, std::string* error)
{
    std::vector<bool> used(layout.folders.size(), false);
    for (const FileLayout& file : layout.files)
        used[file.folder] = true;
    uint64_t total = 0;
    for (size_t f = 0; f < layout.folders.size(); ++f)
        total += used[f] ? layout.folders[f].uncompressedBytes : 0;
    return total <= maxBytes || Fail(error, "the cabinet's data is too large");
}

// Reads and checks the header, folders, data block headers and file entries, within limits.
bool ReadLayout(std::span<const uint8_t> b, CabinetLayout* layout, std::string* error,
                const CabinetLimits& limits = {})
{
    if (b.size() < kHeaderBytes || !HasCabinetSignature(b))
        return Fail(error, "the file is not a cabinet");
    const uint32_t declared = Get32(b, 8);
    if (declared < kHeaderBytes || declared > b.size())
        return Fail(error, "the cabinet is truncated");
    b = b.first(declared);
    if (b[25] != 1)
        return Fail(error, "the cabinet's format version is not supported");
    const uint32_t filesAt = Get32(b, 16);
    const uint16_t folderCount = Get16(b, 26);
    const uint16_t fileCount = Get16(b, 28);
    const uint16_t flags = Get16(b, 30);
    layout->setId = Get16(b, 32);
    layout->cabinetIndex = Get16(b, 34);
    if (flags & (kFlagPreviousCabinet | kFlagNextCabinet))
        return Fail(error, "the cabinet belongs to a set of several cabinets");
    if (folderCount == 0 || fileCount == 0)
        return Fail(error, "the cabinet holds no files");
    if (fileCount > limits.maxEntries)
        return Fail(error, "the cabinet holds too many files");
    size_t at = kHeaderBytes;
    size_t folderReserve = 0;
    if (flags & kFlagReservePresent) {
        if (b.size() < at + 4)
            return Fail(error, "the cabinet is truncated");
        const size_t headerReserve = Get16(b, at);
        folderReserve = b[at + 2];
        layout->blockReserve = b[at + 3];
        at += 4 + headerReserve;
        if (at > b.size())
            return Fail(error, "the cabinet is truncated");
    }
    layout->folders.resize(folderCount);
    layout->files.resize(fileCount);
    return ReadFolders(b, at, folderReserve, layout, error) &&
           ReadFiles(b, filesAt, layout, limits.maxBytes, error) && UsedFolderDataWithin(*layout, limits.maxBytes, error);
}

// ---- libgcab for one folder -----------------------------------------------------------------

struct GObjectRelease {
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T>
using GPtr = std::unique_ptr<T, GObjectRelease>;

struct GErrorHolder {
    GError* error = nullptr;
    ~GErrorHolder() { g_clear_error(&error); }
    std::string Text() const { return error ? error->message : "unknown error"; }
};

// The cabinet header fields in front of a folder table; reserve fields are written when
// blockReserve is not 0.
std::vector<uint8_t> HeaderBytes(uint16_t folders, uint16_t files, uint16_t setId, uint8_t blockReserve)
{
    std::vector<uint8_t> out(std::begin(kSignature), std::end(kSignature));
    Put32(out, 0);
    Put32(out, 0);  // cabinet size, set when complete
    Put32(out, 0);
    Put32(out, 0);  // offset of the file table, set when known
    Put32(out, 0);
    out.push_back(3);
    out.push_back(1);
    Put16(out, folders);
    Put16(out, files);
    Put16(out, blockReserve ? kFlagReservePresent : 0);
    Put16(out, setId);
    Put16(out, 0);
    if (blockReserve) {
        Put16(out, 0);
        out.push_back(0);
        out.push_back(blockReserve);
    }
    return out;
}

// The cabinet checksum: little-endian 32-bit words XORed into the seed, the last one to three
// bytes taken high byte first.
uint32_t Checksum(std::span<const uint8_t> bytes, uint32_t seed)
{
    uint32_t sum = seed;
    size_t i = 0;
    for (; i + 4 <= bytes.size(); i += 4)
        sum ^= Get32(bytes, i);
    uint32_t last = 0;
    for (; i < bytes.size(); ++i)
        last = (last << 8) | bytes[i];
    return sum ^ last;
}

// A block stored with checksum 0 is not checksummed; libgcab checks every block, so such
// blocks get their checksum before libgcab reads them.
void FillMissingChecksums(std::span<uint8_t> blocks, unsigned count, uint8_t reserve)
{
    size_t at = 0;
    for (unsigned i = 0; i < count; ++i) {
        const uint16_t packed = Get16(blocks, at + 4);
        const size_t dataAt = at + kBlockFixedBytes + reserve;
        if (Get32(blocks, at) == 0) {
            const uint32_t sum = Checksum(blocks.subspan(at + 4, 4), Checksum(blocks.subspan(dataAt, packed), 0));
            for (int k = 0; k < 4; ++k)
                blocks[at + k] = static_cast<uint8_t>(sum >> (8 * k));
        }
        at = dataAt + packed;
    }
}

// A cabinet of one folder alone, with a single entry of the given name spanning all of its
// data: what libgcab is handed to decompress that folder, checksums checked.
std::vector<uint8_t> SingleFolderCabinet(std::span<const uint8_t> b, const CabinetLayout& layout,
                                         const FolderLayout& folder, std::string_view name)
{
    std::vector<uint8_t> single = HeaderBytes(1, 1, 0, layout.blockReserve);
    const size_t folderAt = single.size();
    const size_t dataAt = folderAt + kFolderBytes + kFileFixedBytes + name.size() + 1;
    Set32(single, 16, static_cast<uint32_t>(folderAt + kFolderBytes));
    Put32(single, static_cast<uint32_t>(dataAt));
    Put16(single, folder.blockCount);
    Put16(single, folder.compression);
    Put32(single, static_cast<uint32_t>(folder.uncompressedBytes));
    Put32(single, 0);
    Put16(single, 0);
    Put16(single, 0);
    Put16(single, 0);
    Put16(single, 0);
    single.insert(single.end(), name.begin(), name.end());
    single.push_back(0);
    const size_t blocksAt = single.size();
    single.insert(single.end(), b.begin() + folder.blocksBegin, b.begin() + folder.blocksEnd);
    FillMissingChecksums(std::span(single).subspan(blocksAt), folder.blockCount, layout.blockReserve);
    Set32(single, 8, static_cast<uint32_t>(single.size()));
    return single;
}

// Decompresses one folder's data blocks into memory.
bool DecompressFolder(std::span<const uint8_t> b, const CabinetLayout& layout, const FolderLayout& folder,
                      std::vector<uint8_t>* data, std::string* error)
{
    data->clear();
    if (folder.uncompressedBytes == 0)
        return true;
    const std::vector<uint8_t> single = SingleFolderCabinet(b, layout, folder, "f");
    GPtr<GInputStream> input(g_memory_input_stream_new_from_data(single.data(), single.size(), nullptr));
    GPtr<GCabCabinet> cabinet(gcab_cabinet_new());
    GErrorHolder failure;
    if (!gcab_cabinet_load(cabinet.get(), input.get(), nullptr, &failure.error) ||
        !gcab_cabinet_extract(cabinet.get(), nullptr, nullptr, nullptr, nullptr, nullptr, &failure.error))
        return Fail(error, "the cabinet's data is damaged: " + failure.Text());
    GPtrArray* folders = gcab_cabinet_get_folders(cabinet.get());
    GSList* files = folders->len == 1 ? gcab_folder_get_files(GCAB_FOLDER(folders->pdata[0])) : nullptr;
    GBytes* bytes = files ? gcab_file_get_bytes(GCAB_FILE(files->data)) : nullptr;
    const bool whole = bytes && g_bytes_get_size(bytes) == folder.uncompressedBytes;
    if (whole) {
        const auto* p = static_cast<const uint8_t*>(g_bytes_get_data(bytes, nullptr));
        data->assign(p, p + g_bytes_get_size(bytes));
    }
    g_slist_free(files);
    return whole || Fail(error, "the cabinet's data is damaged");
}

// Decompresses one folder's data blocks into the file staging/name (a bare name), which
// libgcab writes block by block: memory holds one block, not the folder's data.
bool DecompressFolderToFile(std::span<const uint8_t> b, const CabinetLayout& layout, const FolderLayout& folder,
                            const std::string& staging, const std::string& name, std::string* error)
{
    const std::string path = staging + "/" + name;
    if (folder.uncompressedBytes == 0)
        return !ReplaceFileSafely(path, std::string_view()) || Fail(error, path + ": cannot be written");
    std::vector<uint8_t> single = SingleFolderCabinet(b, layout, folder, name);
    GPtr<GInputStream> input(g_memory_input_stream_new_from_data(single.data(), single.size(), nullptr));
    GPtr<GCabCabinet> cabinet(gcab_cabinet_new());
    GPtr<GFile> target(g_file_new_for_path(staging.c_str()));
    GErrorHolder failure;
    if (!gcab_cabinet_load(cabinet.get(), input.get(), nullptr, &failure.error) ||
        !gcab_cabinet_extract(cabinet.get(), target.get(), nullptr, nullptr, nullptr, nullptr, &failure.error))
        return Fail(error, "the cabinet's data is damaged: " + failure.Text());
    struct stat info {};
    const bool whole = ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
                       uint64_t(info.st_size) == folder.uncompressedBytes;
    return whole || Fail(error, "the cabinet's data is damaged");
}

// The data blocks that libgcab writes for bytes as one MSZIP folder, and their count.
bool CompressFolder(const std::vector<uint8_t>& bytes, std::vector<uint8_t>* blocks, uint16_t* blockCount,
                    std::string* error)
{
    blocks->clear();
    *blockCount = 0;
    if (bytes.empty())
        return true;
    GBytes* content = g_bytes_new_static(bytes.data(), bytes.size());
    GPtr<GCabFile> file(gcab_file_new_with_bytes("f", content));
    g_bytes_unref(content);
    GPtr<GCabFolder> folder(gcab_folder_new(GCAB_COMPRESSION_MSZIP));
    GPtr<GCabCabinet> cabinet(gcab_cabinet_new());
    GPtr<GOutputStream> output(g_memory_output_stream_new_resizable());
    GErrorHolder failure;
    if (!gcab_folder_add_file(folder.get(), file.get(), FALSE, nullptr, &failure.error) ||
        !gcab_cabinet_add_folder(cabinet.get(), folder.get(), &failure.error) ||
        !gcab_cabinet_write_simple(cabinet.get(), output.get(), nullptr, nullptr, nullptr, &failure.error) ||
        !g_output_stream_close(output.get(), nullptr, &failure.error))
        return Fail(error, "compressing failed: " + failure.Text());
    auto* memory = G_MEMORY_OUTPUT_STREAM(output.get());
    const std::span<const uint8_t> written(static_cast<const uint8_t*>(g_memory_output_stream_get_data(memory)),
                                           g_memory_output_stream_get_data_size(memory));
    CabinetLayout layout;
    if (!ReadLayout(written, &layout, error) || layout.folders.size() != 1)
        return Fail(error, "compressing failed: libgcab wrote an unreadable cabinet");
    const FolderLayout& only = layout.folders[0];
    blocks->assign(written.begin() + only.blocksBegin, written.begin() + only.blocksEnd);
    *blockCount = only.blockCount;
    return true;
}

// ---- files ----------------------------------------------------------------------------------

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes, struct stat* info, std::string* error)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Fail(error, path + ": " + std::strerror(errno));
    bool ok = ::fstat(fd, info) == 0 && S_ISREG(info->st_mode) && uint64_t(info->st_size) <= kCabinetMaxBytes;
    if (ok) {
        bytes->resize(static_cast<size_t>(info->st_size));
        size_t done = 0;
        while (ok && done < bytes->size()) {
            const ssize_t n = ::read(fd, bytes->data() + done, bytes->size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            ok = n > 0;
            if (ok)
                done += static_cast<size_t>(n);
        }
    }
    ::close(fd);
    return ok || Fail(error, path + ": cannot be read as a file of at most 512 MiB");
}

// Writes an extracted file, the bytes [offset, offset + size) of the open file source, through
// the layer's safe replacement, which replaces a symbolic link of that name rather than
// writing through it; the bytes pass in pieces of 64 KiB. Then, through a handle that refuses
// to follow a link put there meanwhile, the file gets its stored time and is made readable and
// writable by its owner, so that it can be deleted and extracted again.
bool WriteExtractedFile(const std::string& path, int source, uint64_t offset, uint64_t size, timespec modified,
                        std::string* error)
{
    const std::error_code failure = ReplaceFileSafely(path, [&](SafeFileSink& sink) {
        std::vector<char> piece(65536);
        for (uint64_t done = 0; done < size;) {
            const size_t want = static_cast<size_t>(std::min<uint64_t>(piece.size(), size - done));
            const ssize_t n = ::pread(source, piece.data(), want, static_cast<off_t>(offset + done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0 || !sink.Write(std::string_view(piece.data(), static_cast<size_t>(n))))
                return false;
            done += static_cast<uint64_t>(n);
        }
        return true;
    });
    if (failure)
        return Fail(error, path + ": " + failure.message());
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    const timespec times[2] = {modified, modified};
    struct stat info {};
    const bool ok = fd >= 0 && ::fstat(fd, &info) == 0 &&
                    ::fchmod(fd, (info.st_mode & 07777) | S_IRUSR | S_IWUSR) == 0 && ::futimens(fd, times) == 0;
    if (fd >= 0)
        ::close(fd);
    return ok || Fail(error, path + ": " + std::strerror(errno));
}

// ---- DOS dates ------------------------------------------------------------------------------

void ToDosDateTime(time_t when, uint16_t* date, uint16_t* time)
{
    tm local{};
    ::localtime_r(&when, &local);
    if (local.tm_year < 80) {
        *date = (1 << 5) | 1;
        *time = 0;
        return;
    }
    if (local.tm_year > 80 + 127) {
        *date = static_cast<uint16_t>((127 << 9) | (12 << 5) | 31);
        *time = static_cast<uint16_t>((23 << 11) | (59 << 5) | 29);
        return;
    }
    *date = static_cast<uint16_t>(((local.tm_year - 80) << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday);
    *time = static_cast<uint16_t>((local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2));
}

timespec FromDosDateTime(uint16_t date, uint16_t time)
{
    tm local{};
    local.tm_year = 80 + (date >> 9);
    local.tm_mon = ((date >> 5) & 0x0F) - 1;
    local.tm_mday = date & 0x1F;
    local.tm_hour = time >> 11;
    local.tm_min = (time >> 5) & 0x3F;
    local.tm_sec = (time & 0x1F) * 2;
    local.tm_isdst = -1;
    const time_t when = ::mktime(&local);
    return timespec{when == time_t(-1) ? 0 : when, 0};
}

// ---- writing --------------------------------------------------------------------------------

// The bytes an entry name is stored with: code page 932 when it holds the name, else UTF-8
// with the entry's UTF-8 attribute set.
std::string EncodeEntryName(const std::string& utf8, uint16_t* attributes)
{
    const std::u16string wide = Utf8ToUtf16(utf8);
    const std::string narrow = WideToCp932(wide);
    if (Cp932ToWide(narrow) == wide)
        return narrow;
    *attributes |= kAttributeNameIsUtf8;
    return utf8;
}

struct PendingFile {
    std::string storedName;
    uint32_t size = 0;
    uint32_t offset = 0;
    uint16_t folder = 0;
    uint16_t dosDate = 0;
    uint16_t dosTime = 0;
    uint16_t attributes = 0;
};

struct PendingFolder {
    std::vector<uint8_t> data;  // the uncompressed bytes of all its files
    std::vector<uint8_t> blocks;
    uint16_t blockCount = 0;
};

bool CollectSources(const std::vector<CabinetSource>& items, std::vector<PendingFolder>* folders,
                    std::vector<PendingFile>* files, const CabinetLimits& limits, std::string* error)
{
    bool startFolder = true;
    uint64_t total = 0;
    for (const CabinetSource& item : items) {
        if (item.folderBreak) {
            startFolder = true;
            continue;
        }
        if (!IsBareFileName(item.name))
            return Fail(error, "\"" + item.name + "\" is not a bare file name");
        std::vector<uint8_t> bytes;
        struct stat info {};
        if (!ReadWholeFile(item.path, &bytes, &info, error))
            return false;
        total += bytes.size();
        if (total > limits.maxBytes)
            return Fail(error, "the files are too large for one cabinet");
        if (startFolder) {
            if (folders->size() == 0xFFFF)
                return Fail(error, "too many cabinet folders");
            folders->emplace_back();
            startFolder = false;
        }
        PendingFile file;
        file.attributes = kCabinetAttributeArchive | ((info.st_mode & S_IWUSR) ? 0 : kCabinetAttributeReadOnly);
        file.storedName = EncodeEntryName(item.name, &file.attributes);
        file.size = static_cast<uint32_t>(bytes.size());
        file.folder = static_cast<uint16_t>(folders->size() - 1);
        file.offset = static_cast<uint32_t>(folders->back().data.size());
        ToDosDateTime(info.st_mtime, &file.dosDate, &file.dosTime);
        folders->back().data.insert(folders->back().data.end(), bytes.begin(), bytes.end());
        files->push_back(std::move(file));
        if (files->size() > std::min<uint32_t>(limits.maxEntries, 0xFFFF))
            return Fail(error, "too many files for one cabinet");
    }
    return !files->empty() || Fail(error, "no files to pack");
}

std::vector<uint8_t> AssembleCabinet(const std::vector<PendingFolder>& folders, const std::vector<PendingFile>& files,
                                     uint16_t setId)
{
    std::vector<uint8_t> out =
        HeaderBytes(static_cast<uint16_t>(folders.size()), static_cast<uint16_t>(files.size()), setId, 0);
    size_t fileTableBytes = 0;
    for (const PendingFile& file : files)
        fileTableBytes += kFileFixedBytes + file.storedName.size() + 1;
    const size_t filesAt = out.size() + folders.size() * kFolderBytes;
    size_t blocksAt = filesAt + fileTableBytes;
    Set32(out, 16, static_cast<uint32_t>(filesAt));
    for (const PendingFolder& folder : folders) {
        Put32(out, static_cast<uint32_t>(blocksAt));
        Put16(out, folder.blockCount);
        Put16(out, kCompressionMszip);
        blocksAt += folder.blocks.size();
    }
    for (const PendingFile& file : files) {
        Put32(out, file.size);
        Put32(out, file.offset);
        Put16(out, file.folder);
        Put16(out, file.dosDate);
        Put16(out, file.dosTime);
        Put16(out, file.attributes);
        out.insert(out.end(), file.storedName.begin(), file.storedName.end());
        out.push_back(0);
    }
    for (const PendingFolder& folder : folders)
        out.insert(out.end(), folder.blocks.begin(), folder.blocks.end());
    Set32(out, 8, static_cast<uint32_t>(std::min<size_t>(out.size(), UINT32_MAX)));
    return out;
}

}  // namespace

bool IsBareFileName(std::string_view name)
{
    if (name.empty() || name.size() > kMaxNameBytes || name == "." || name == "..")
        return false;
    if (Utf16ToUtf8(Utf8ToUtf16(name)) != name)
        return false;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || std::strchr("/\\:*?\"<>|", c))
            return false;
    }
    return true;
}

bool HasCabinetSignature(std::span<const uint8_t> bytes)
{
    return bytes.size() >= 4 && std::memcmp(bytes.data(), kSignature, 4) == 0;
}

bool ReadCabinet(std::span<const uint8_t> bytes, CabinetContents* contents, std::string* error,
                 const CabinetLimits& limits)
{
    CabinetLayout layout;
    if (!ReadLayout(bytes, &layout, error, limits))
        return false;
    CabinetContents result;
    result.setId = layout.setId;
    result.cabinetIndex = layout.cabinetIndex;
    result.folderCount = static_cast<uint16_t>(layout.folders.size());
    result.entries.resize(layout.files.size());
    std::vector<std::vector<size_t>> filesOfFolder(layout.folders.size());
    for (size_t i = 0; i < layout.files.size(); ++i)
        filesOfFolder[layout.files[i].folder].push_back(i);
    for (size_t f = 0; f < layout.folders.size(); ++f) {
        if (filesOfFolder[f].empty())
            continue;
        std::vector<uint8_t> data;
        if (!DecompressFolder(bytes, layout, layout.folders[f], &data, error))
            return false;
        for (const size_t i : filesOfFolder[f]) {
            const FileLayout& file = layout.files[i];
            CabinetEntry& entry = result.entries[i];
            entry.name = file.name;
            entry.folder = file.folder;
            entry.dosDate = file.dosDate;
            entry.dosTime = file.dosTime;
            entry.attributes = file.attributes;
            entry.bytes.assign(data.begin() + file.offset, data.begin() + file.offset + file.size);
        }
    }
    *contents = std::move(result);
    return true;
}

namespace {

// A hidden folder of its own inside the extraction folder, removed with its content when done.
class StagingFolder {
public:
    explicit StagingFolder(const std::string& prefix)
    {
        std::string pattern = prefix + ".cabinet-XXXXXX";
        if (::mkdtemp(pattern.data()) != nullptr)
            m_path = pattern;
    }
    ~StagingFolder()
    {
        if (m_path.empty())
            return;
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    StagingFolder(const StagingFolder&) = delete;
    StagingFolder& operator=(const StagingFolder&) = delete;
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

// The staged data of each folder that holds files, opened for reading; closed when done.
struct StagedFolders {
    std::vector<int> descriptors;
    ~StagedFolders()
    {
        for (const int fd : descriptors)
            if (fd >= 0)
                ::close(fd);
    }
};

}  // namespace

bool ExtractCabinetFile(const std::string& cabinet, const std::string& folder, std::vector<std::string>* written,
                        std::string* error, const CabinetLimits& limits)
{
    written->clear();
    std::vector<uint8_t> bytes;
    struct stat info {};
    if (!ReadWholeFile(cabinet, &bytes, &info, error))
        return false;
    CabinetLayout layout;
    if (!ReadLayout(bytes, &layout, error, limits))
        return false;
    struct stat target {};
    if (::stat(folder.c_str(), &target) != 0 || !S_ISDIR(target.st_mode))
        return Fail(error, folder + ": not a folder");
    const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";

    // Every folder's data is decompressed and checked before the first entry is written.
    const StagingFolder staging(prefix);
    if (staging.Path().empty())
        return Fail(error, prefix + ": " + std::strerror(errno));
    StagedFolders staged;
    staged.descriptors.assign(layout.folders.size(), -1);
    for (const FileLayout& file : layout.files) {
        const uint16_t f = file.folder;
        if (staged.descriptors[f] >= 0)
            continue;
        const std::string name = std::to_string(f);
        if (!DecompressFolderToFile(bytes, layout, layout.folders[f], staging.Path(), name, error))
            return false;
        const std::string path = staging.Path() + "/" + name;
        staged.descriptors[f] = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (staged.descriptors[f] < 0)
            return Fail(error, path + ": " + std::strerror(errno));
    }
    std::vector<uint8_t>().swap(bytes);

    for (const FileLayout& file : layout.files) {
        const std::string path = prefix + file.name;
        if (!WriteExtractedFile(path, staged.descriptors[file.folder], file.offset, file.size,
                                FromDosDateTime(file.dosDate, file.dosTime), error))
            return false;
        written->push_back(path);
    }
    return true;
}

bool WriteCabinetFile(const std::string& target, const std::vector<CabinetSource>& items, uint16_t setId,
                      std::string* error, const CabinetLimits& limits)
{
    std::vector<PendingFolder> folders;
    std::vector<PendingFile> files;
    if (!CollectSources(items, &folders, &files, limits, error))
        return false;
    for (PendingFolder& folder : folders) {
        if (!CompressFolder(folder.data, &folder.blocks, &folder.blockCount, error))
            return false;
        std::vector<uint8_t>().swap(folder.data);
    }
    const std::vector<uint8_t> bytes = AssembleCabinet(folders, files, setId);
    if (bytes.size() > kCabinetMaxBytes)
        return Fail(error, "the cabinet would be larger than 512 MiB");
    const std::error_code failure =
        ReplaceFileSafely(target, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    return !failure || Fail(error, target + ": " + failure.message());
}
