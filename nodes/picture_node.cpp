#include "nodes/picture_node.h"

#include "base/dib_helpers.h"
#include "nodes/display_map.h"
#include "nodes/node_archive.h"
#include "platform/image_files.h"
#include "platform/packed_dib.h"

#include <cstring>
#include <string_view>

namespace {

struct EXTENSION_ROW {
    int first;
    int last;
    const char* extension;
};

// Format codes and their file extensions.
constexpr EXTENSION_ROW kExtensions[] = {
    {2, 2, "gif"},     {3, 3, "tif"},     {17, 17, "tif"},   {85, 88, "tif"},   {93, 97, "tif"},
    {138, 138, "tif"}, {5, 5, "cmp"},     {30, 30, "cmp"},   {6, 6, "bmp"},     {14, 14, "bmp"},
    {74, 74, "bmp"},   {84, 84, "bmp"},   {10, 11, "jpg"},   {21, 24, "jpg"},   {98, 98, "jpg"},
    {101, 101, "jpg"}, {15, 15, "wmf"},   {56, 56, "pct"},   {57, 57, "pcd"},   {75, 75, "png"},
    {80, 83, "fpx"},   {91, 91, "ico"},   {92, 92, "cur"},   {116, 116, "emf"}, {119, 119, "ani"},
};

// Formats that are read but not decoded here, by extension: their files are kept as they are.
struct KEPT_FORMAT {
    const char* extension;
    int code;
};
constexpr KEPT_FORMAT kKeptFormats[] = {
    {"cmp", 5}, {"wmf", 15}, {"pct", 56}, {"pcd", 57}, {"fpx", 80}, {"emf", 116}, {"ani", 119}, {"img", 0},
};

// The lower-case extension of a path; empty when it has none.
std::string ExtensionOf(std::string_view path)
{
    const size_t dot = path.find_last_of('.');
    const size_t slash = path.find_last_of("/\\");
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return std::string();
    std::string extension(path.substr(dot + 1));
    for (char& c : extension) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return extension;
}

const KEPT_FORMAT* KeptFormatOf(std::string_view path)
{
    const std::string extension = ExtensionOf(path);
    for (const KEPT_FORMAT& format : kKeptFormats) {
        if (extension == format.extension)
            return &format;
    }
    return nullptr;
}

int32_t ReadInt32(const uint8_t* at)
{
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | at[i];
    return static_cast<int32_t>(value);
}

void WriteInt32(uint8_t* at, int32_t value)
{
    const auto bits = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<uint8_t>(bits >> (8 * i));
}

}  // namespace

void ImageFormatExtension(std::string& extension, int formatCode)
{
    for (const EXTENSION_ROW& row : kExtensions) {
        if (formatCode >= row.first && formatCode <= row.last) {
            extension = row.extension;
            return;
        }
    }
    extension = "img";
}

HGLOBAL LoadDibFromFile(const char* path, uint8_t* fileInformation)
{
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, &bytes))
        return nullptr;
    IMAGE_FILE_FACTS facts;
    HGLOBAL dib = DecodeImageToDib(bytes, &facts);
    if (dib != nullptr && fileInformation != nullptr) {
        WriteInt32(fileInformation + CEditGraphic::kFormatCodeOffset, facts.formatCode);
        WriteInt32(fileInformation + CEditGraphic::kBitsPerPixelOffset, facts.bitsPerPixel);
    }
    return dib;
}

// ---------------------------------------------------------------------------------------------
// CEditGraphic

IMPLEMENT_SERIAL(CEditGraphic, CEditNode, 1)

CEditGraphic::CEditGraphic() : CEditNode(EditKind::Code(EditKind::kGraphic)) {}

CEditGraphic::~CEditGraphic()
{
    ReleasePicture();
}

int CEditGraphic::GetFormatCode() const
{
    return ReadInt32(&m_fileInformation[kFormatCodeOffset]);
}

int CEditGraphic::GetBitsPerPixel() const
{
    return ReadInt32(&m_fileInformation[kBitsPerPixelOffset]);
}

void CEditGraphic::SetFormatCode(int code)
{
    WriteInt32(&m_fileInformation[kFormatCodeOffset], code);
}

void CEditGraphic::SetBitsPerPixel(int bits)
{
    WriteInt32(&m_fileInformation[kBitsPerPixelOffset], bits);
}

void CEditGraphic::ReleasePicture()
{
    if (m_dib != nullptr)
        GlobalFree(m_dib);
    m_dib = nullptr;
    m_pixelWidth = 0;
    m_pixelHeight = 0;
    if (m_palette)
        DeleteObject(m_palette);
    m_palette = HPALETTE();
}

void CEditGraphic::TakePicture(HGLOBAL dib, int pixelWidth, int pixelHeight)
{
    ReleasePicture();
    m_dib = dib;
    m_pixelWidth = pixelWidth;
    m_pixelHeight = pixelHeight;
    if (dib != nullptr)
        m_palette = CreateDibPalette(dib);
}

bool CEditGraphic::LoadFile(const char* path, CDisplayMap* map)
{
    if (path == nullptr)
        return false;
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, &bytes))
        return false;
    return LoadFromBytes(std::move(bytes), path, map);
}

bool CEditGraphic::LoadFromBytes(std::vector<uint8_t> bytes, const char* path, CDisplayMap* map)
{
    if (path == nullptr)
        return false;
    IMAGE_FILE_FACTS facts;
    HGLOBAL dib = DecodeImageToDib(bytes, &facts);
    if (dib == nullptr) {
        // A format read but not decoded here: the file is kept to be written back as it is, and
        // the node keeps the size it was given.
        const KEPT_FORMAT* kept = KeptFormatOf(path);
        if (kept == nullptr || bytes.empty())
            return false;
        TakePicture(nullptr, 0, 0);
        m_fileInformation.fill(0);
        SetFormatCode(kept->code);
        m_path = path;
        m_fileBytes = std::move(bytes);
        m_reference.clear();
        return true;
    }
    const SIZE pixels = DibSize(dib);
    if (pixels.cx <= 0 || pixels.cy <= 0) {
        GlobalFree(dib);
        return false;
    }
    TakePicture(dib, pixels.cx, pixels.cy);
    m_fileInformation.fill(0);
    SetFormatCode(facts.formatCode);
    SetBitsPerPixel(facts.bitsPerPixel);
    CDisplayMap defaultMap;
    SIZE size = pixels;
    (map != nullptr ? map : &defaultMap)->DeviceToDocSize(&size);
    m_width = size.cx;
    m_height = size.cy;
    m_dirty = 1;
    m_path = path;
    m_fileBytes = std::move(bytes);
    m_reference.clear();
    return true;
}

bool CEditGraphic::TakePastedDib(HGLOBAL dib, const CDisplayMap& map)
{
    const SIZE pixels = dib != nullptr ? DibSize(dib) : SIZE{};
    if (pixels.cx <= 0 || pixels.cy <= 0)
        return false;
    int bitsPerPixel = 24;
    if (const void* header = GlobalLock(dib)) {
        DibLayout layout;
        if (ReadDibLayout(header, GlobalSize(dib), &layout))
            bitsPerPixel = layout.bitCount;
        GlobalUnlock(dib);
    }
    TakePicture(dib, pixels.cx, pixels.cy);
    m_fileInformation.fill(0);
    SetFormatCode(ImageFormatCode::kPng);
    SetBitsPerPixel(bitsPerPixel);
    SIZE size = pixels;
    map.DeviceToDocSize(&size);
    m_width = size.cx;
    m_height = size.cy;
    m_dirty = 1;
    m_path.clear();
    m_fileBytes.clear();
    m_reference.clear();
    return true;
}

void CEditGraphic::MakePlaceholder(const std::string& reference, int width, int height)
{
    TakePicture(nullptr, 0, 0);
    m_fileInformation.fill(0);
    m_fileBytes.clear();
    m_reference = reference;
    m_path = reference;
    m_areaWidth = m_width = width > 0 ? width : kPlaceholderSide;
    m_areaHeight = m_height = height > 0 ? height : kPlaceholderSide;
    m_dirty = 1;
}

void CEditGraphic::GetFileExtension(std::string& extension)
{
    // GIF and PNG pictures are written at their own depth: forcing 8 bits would lose the colours
    // of a true-colour picture. A picture that has only its DIB (it came through the clipboard)
    // in a format that cannot be encoded here is written as PNG, so that saving never drops it.
    if (m_fileBytes.empty() && m_dib != nullptr && !HasImageEncoder(GetFormatCode()))
        SetFormatCode(ImageFormatCode::kPng);
    ImageFormatExtension(extension, GetFormatCode());
}

bool CEditGraphic::SaveFile(const char* path)
{
    if (path == nullptr)
        return false;
    if (!m_fileBytes.empty())
        return WriteWholeFileReplacing(path, m_fileBytes);
    if (m_dib == nullptr)
        return false;
    std::vector<uint8_t> file;
    if (!EncodeDibToImage(m_dib, GetFormatCode(), GetBitsPerPixel(), &file))
        return false;
    return WriteWholeFileReplacing(path, file);
}

void CEditGraphic::Measure(CDC*, CDisplayMap*, LAYOUT_CONTEXT*)
{
    m_ascent = m_height / 2;
    m_axis = m_height / 2;
    m_dirty = 0;
}

void CEditGraphic::Layout(LAYOUT_CONTEXT* context, int)
{
    if (context == nullptr)
        return;
    const int x = context->originX;
    const int y = context->originY;
    m_rcLayout = RECT{x, y, x + m_width, y + m_height};
}

void CEditGraphic::Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT*)
{
    if (dc == nullptr || map == nullptr)
        return;
    CDisplayMap copy = *map;
    RECT destination = m_rcLayout;
    copy.DocToDeviceRect(&destination);
    if (m_dib != nullptr) {
        const RECT source{0, 0, m_pixelWidth, m_pixelHeight};
        PaintDib(dc, &destination, m_dib, &source, m_palette);
        return;
    }
    if (m_fileBytes.empty() && !IsPlaceholder())
        return;
    // A picture kept but not decoded, or whose file is missing, shows as a frame of its size.
    CPen pen;
    pen.CreatePen(PS_SOLID, 1, 0x000000);
    const HPEN previousPen = dc->SelectObject(HPEN(pen));
    const HGDIOBJ previousBrush = dc->SelectStockObject(NULL_BRUSH);
    dc->Rectangle(&destination);
    dc->SelectObject(static_cast<HBRUSH>(previousBrush));
    dc->SelectObject(previousPen);
}

void CEditGraphic::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        WriteNarrowString(ar, m_path);
        ar << m_pixelWidth << m_pixelHeight;
        // The palette is made again from the DIB by the reader; its handle means nothing there.
        ar << int32_t(0);
        ar.Write(m_fileInformation.data(), m_fileInformation.size());
        const size_t size = m_dib != nullptr ? GlobalSize(m_dib) : 0;
        ar << static_cast<DWORD>(size);
        if (size > 0) {
            const void* bytes = GlobalLock(m_dib);
            ar.Write(bytes, size);
            GlobalUnlock(m_dib);
        }
        CEditNode::Serialize(ar);
        return;
    }
    std::string path = ReadNarrowString(ar);
    int32_t pixelWidth = 0;
    int32_t pixelHeight = 0;
    int32_t paletteField = 0;
    ar >> pixelWidth >> pixelHeight >> paletteField;
    std::array<uint8_t, kFileInformationSize> information{};
    ar.ReadExact(information.data(), information.size());
    DWORD size = 0;
    ar >> size;
    std::vector<uint8_t> dibBytes;
    if (size > 0) {
        if (size > kMaxPictureBytes)
            ar.ThrowException(CArchiveException::genericException);
        ar.CheckAvailable(size);
        dibBytes.resize(size);
        ar.ReadExact(dibBytes.data(), dibBytes.size());
        if (!IsValidPackedDib(dibBytes))
            ar.ThrowException(CArchiveException::genericException);
    }
    HGLOBAL dib = nullptr;
    if (!dibBytes.empty()) {
        dib = GlobalAlloc(GHND, dibBytes.size());
        void* target = dib != nullptr ? GlobalLock(dib) : nullptr;
        if (target == nullptr) {
            if (dib != nullptr)
                GlobalFree(dib);
            throw std::bad_alloc();
        }
        std::memcpy(target, dibBytes.data(), dibBytes.size());
        GlobalUnlock(dib);
    }
    try {
        CEditNode::Serialize(ar);
    } catch (...) {
        if (dib != nullptr)
            GlobalFree(dib);
        throw;
    }
    m_path = std::move(path);
    m_fileInformation = information;
    m_fileBytes.clear();
    m_reference.clear();
    if (dib != nullptr) {
        TakePicture(dib, pixelWidth, pixelHeight);
    } else {
        m_pixelWidth = pixelWidth;
        m_pixelHeight = pixelHeight;
        if (!m_path.empty() && m_path.find_first_of("/\\") == std::string::npos)
            m_reference = m_path;
    }
}
