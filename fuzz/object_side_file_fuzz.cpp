// The side file of an embedded object as a paper holds it: read into an item; what reads is
// written back (as the side file and as the item's own stream) and must read back the same.
#include "platform/archive.h"
#include "platform/embedding.h"
#include "platform/memory_file.h"

#include <cstdlib>
#include <span>
#include <vector>

namespace {

std::vector<BYTE> Write(const COleClientItem& item, bool sideFile)
{
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    if (sideFile)
        item.WriteSideFile(ar);
    else
        const_cast<COleClientItem&>(item).Serialize(ar);
    ar.Close();
    return file.Detach();
}

bool Read(std::span<const BYTE> bytes, COleClientItem* item)
{
    CMemFile file(bytes);
    CArchive ar(&file, CArchive::load);
    try {
        item->Serialize(ar);
    } catch (const CArchiveException&) {
        return false;
    } catch (const CFileException&) {
        return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    COleClientItem item;
    if (!Read(std::span<const BYTE>(data, size), &item))
        return 0;
    for (bool sideFile : {true, false}) {
        COleClientItem again;
        if (!Read(Write(item, sideFile), &again) || again.GetStorage() != item.GetStorage() ||
            again.GetPicture() != item.GetPicture() || again.IsForeign() != item.IsForeign())
            std::abort();
    }
    // Drawing checks the picture's bytes before it decodes them.
    (void)item.RenderPng();
    return 0;
}
