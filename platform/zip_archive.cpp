#include "platform/zip_archive.h"

#include <zip.h>

#include <cstdio>
#include <memory>
#include <set>

namespace {

struct SourceCloser {
    void operator()(zip_source_t* source) const { zip_source_free(source); }
};
using SourcePtr = std::unique_ptr<zip_source_t, SourceCloser>;

// The bytes a buffer source holds after its archive was closed into it.
bool ReadSource(zip_source_t* source, std::string* out)
{
    if (zip_source_open(source) < 0)
        return false;
    bool read = false;
    if (zip_source_seek(source, 0, SEEK_END) == 0) {
        const zip_int64_t size = zip_source_tell(source);
        if (size >= 0 && static_cast<uint64_t>(size) <= kZipMaxBytes && zip_source_seek(source, 0, SEEK_SET) == 0) {
            out->resize(static_cast<size_t>(size));
            read = size == 0 || zip_source_read(source, out->data(), static_cast<zip_uint64_t>(size)) == size;
        }
    }
    zip_source_close(source);
    return read;
}

}  // namespace

bool WriteZipArchive(const std::vector<ZIP_ENTRY>& entries, std::string* archive)
{
    archive->clear();
    std::set<std::string> names;
    for (const ZIP_ENTRY& entry : entries)
        if (entry.name.empty() || !names.insert(entry.name).second)
            return false;
    zip_error_t error;
    zip_error_init(&error);
    SourcePtr buffer(zip_source_buffer_create(nullptr, 0, 0, &error));
    zip_error_fini(&error);
    if (!buffer)
        return false;
    zip_error_init(&error);
    zip_t* zip = zip_open_from_source(buffer.get(), ZIP_TRUNCATE, &error);
    zip_error_fini(&error);
    if (zip == nullptr)
        return false;
    // The archive owns the source while it is open; it must outlive the archive's closing.
    zip_source_keep(buffer.get());
    for (const ZIP_ENTRY& entry : entries) {
        zip_source_t* data = zip_source_buffer(zip, entry.bytes.data(), entry.bytes.size(), 0);
        if (data == nullptr) {
            zip_discard(zip);
            return false;
        }
        const zip_int64_t index = zip_file_add(zip, entry.name.c_str(), data, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(data);
            zip_discard(zip);
            return false;
        }
        zip_set_file_compression(zip, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 0);
    }
    if (zip_close(zip) < 0) {
        zip_discard(zip);
        return false;
    }
    if (!ReadSource(buffer.get(), archive)) {
        archive->clear();
        return false;
    }
    return true;
}

bool ReadZipArchive(const std::string& archive, std::vector<ZIP_ENTRY>* entries)
{
    entries->clear();
    if (archive.size() > kZipMaxBytes)
        return false;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(archive.data(), archive.size(), 0, &error);
    if (source == nullptr) {
        zip_error_fini(&error);
        return false;
    }
    zip_t* zip = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error);
    zip_error_fini(&error);
    if (zip == nullptr) {
        zip_source_free(source);
        return false;
    }
    bool good = true;
    uint64_t total = 0;
    const zip_int64_t count = zip_get_num_entries(zip, 0);
    for (zip_int64_t i = 0; good && i < count; ++i) {
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat_index(zip, static_cast<zip_uint64_t>(i), 0, &stat) < 0 || !(stat.valid & ZIP_STAT_SIZE) ||
            !(stat.valid & ZIP_STAT_NAME) || stat.size > kZipMaxBytes - total) {
            good = false;
            break;
        }
        total += stat.size;
        zip_file_t* file = zip_fopen_index(zip, static_cast<zip_uint64_t>(i), 0);
        if (file == nullptr) {
            good = false;
            break;
        }
        ZIP_ENTRY entry{stat.name, std::string(static_cast<size_t>(stat.size), '\0')};
        const zip_int64_t read =
            stat.size == 0 ? 0 : zip_fread(file, entry.bytes.data(), static_cast<zip_uint64_t>(stat.size));
        zip_fclose(file);
        if (read != static_cast<zip_int64_t>(stat.size)) {
            good = false;
            break;
        }
        entries->push_back(std::move(entry));
    }
    zip_close(zip);
    if (!good)
        entries->clear();
    return good;
}
