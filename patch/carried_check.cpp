// Run while the update patch is built: a file it is to carry must read as its row's target
// version, or the installed copy would be found outdated (or unreadable) on every later run.
//   ulvix_carried_check <resource id> <file>
#include "patch/file_version.h"
#include "patch/patch_app.h"
#include "patch/patch_table.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: ulvix_carried_check <resource id> <file>\n");
        return 2;
    }
    const int id = std::atoi(argv[1]);
    for (const PATCH_ENTRY& row : PatchTable()) {
        if (row.resourceId != id)
            continue;
        CFileVersion version(argv[2]);
        const std::string text = version.GetStringValue("FileVersion");
        try {
            if (CheckFileVersion(argv[2], row) == 2)
                return 0;
            std::fprintf(stderr, "%s: its version \"%s\" is below %.2f, the target of %s\n", argv[2], text.c_str(),
                         row.targetVersion, row.fileName);
        } catch (PatchError) {
            std::fprintf(stderr, "%s: no readable version note \"%s\" (%s needs %.2f)\n", argv[2], text.c_str(),
                         row.fileName, row.targetVersion);
        }
        return 1;
    }
    std::fprintf(stderr, "no row carries resource %d\n", id);
    return 1;
}
