// The print package over the layer's cabinet archives.
#include "printfile/print_package.h"

#include "platform/cabinet.h"

#include <string>
#include <vector>

namespace {

// The path of the first file of the latest extraction, kept until the next one.
std::string g_firstExtractedFile;

// The file name and extension of a path.
std::string FileNameOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

const CabinetLimits kPaperLimits{kPrintPackageMaxEntries, kPrintPackageMaxBytes};

std::string WithTrailingSlash(const char* folder)
{
    std::string text = folder ? folder : "";
    if (!text.empty() && text.back() != '/')
        text += '/';
    return text;
}

}  // namespace

BOOL PackFilesToCabinet(int count, const char* const* files, const char* folder, const char* name)
{
    if (count < 0 || (count > 0 && !files) || !name || !*name)
        return FALSE;
    std::vector<CabinetSource> items;
    for (int i = 0; i < count; ++i) {
        const std::string path = files[i] ? files[i] : "";
        if (path == "+")
            items.push_back(CabinetSource{{}, {}, true});
        else
            items.push_back(CabinetSource{path, FileNameOf(path), false});
    }
    std::string error;
    return WriteCabinetFile(WithTrailingSlash(folder) + name, items, kPrintPackageSetId, &error, kPaperLimits) ? TRUE : FALSE;
}

BOOL ExtractCabinet(const char* cabinet, const char* folder)
{
    g_firstExtractedFile.clear();
    if (!cabinet || !folder)
        return FALSE;
    std::vector<std::string> written;
    std::string error;
    const bool ok = ExtractCabinetFile(cabinet, WithTrailingSlash(folder), &written, &error, kPaperLimits);
    if (!written.empty())
        g_firstExtractedFile = written.front();
    return ok ? TRUE : FALSE;
}

const char* GetExtractedFirstFile() { return g_firstExtractedFile.c_str(); }
