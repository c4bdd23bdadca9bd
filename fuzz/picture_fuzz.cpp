// Pictures as papers hold them. An even first byte: the rest is a picture file, decoded into a
// packed DIB that must pass the DIB checks and, when small, encoded as PNG and decoded again.
// An odd first byte: the rest is a picture node's stream form, read into a node that is then
// laid out and painted into a small bitmap.
#include "fuzz/fuzz_registry.h"
#include "nodes/display_map.h"
#include "nodes/node_archive.h"
#include "nodes/picture_node.h"
#include "platform/archive.h"
#include "platform/gdi_qt.h"
#include "platform/image_files.h"
#include "platform/memory_file.h"

#include <cstdlib>
#include <span>
#include <vector>

namespace {

std::span<const uint8_t> BytesOf(HGLOBAL block)
{
    return {static_cast<const uint8_t*>(GlobalLock(block)), GlobalSize(block)};
}

void DecodeFile(std::span<const uint8_t> bytes)
{
    IMAGE_FILE_FACTS facts;
    HGLOBAL dib = DecodeImageToDib(bytes, &facts);
    if (dib == nullptr)
        return;
    const bool valid = IsValidPackedDib(BytesOf(dib));
    GlobalUnlock(dib);
    if (!valid)
        std::abort();
    std::vector<uint8_t> png;
    if (GlobalSize(dib) <= 64 * 1024 && EncodeDibToImage(dib, ImageFormatCode::kPng, facts.bitsPerPixel, &png)) {
        HGLOBAL again = DecodeImageToDib(png, nullptr);
        if (again == nullptr)
            std::abort();
        GlobalFree(again);
    }
    GlobalFree(dib);
}

void ReadNode(std::span<const uint8_t> bytes)
{
    CEditGraphic node;
    try {
        CMemFile file(bytes);
        CArchive ar(&file, CArchive::load, &ProblemEditorRegistry());
        node.Serialize(ar);
    } catch (const CArchiveException&) {
        return;
    } catch (const CFileException&) {
        return;
    }
    std::unique_ptr<CQtDC> dc = CQtDC::WithImage(32, 32);
    CDisplayMap map;
    map.SetResolution(2540, 2540, 100);
    LAYOUT_CONTEXT context;
    node.Measure(dc.get(), &map, &context);
    node.Layout(&context, 0);
    node.Draw(dc.get(), &map, &context);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const std::span<const uint8_t> rest(data + 1, size - 1);
    if (data[0] % 2 == 0)
        DecodeFile(rest);
    else
        ReadNode(rest);
    return 0;
}
