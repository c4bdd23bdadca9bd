// The picture node: a bitmap loaded from a picture file, kept in memory as a packed DIB, drawn
// at its layout rectangle and written back to a picture file when the paper is saved (each
// picture becomes a side file of the print package). The bytes of the file it was loaded from
// are kept too, so that a picture goes back exactly as it came, also in a format that can be
// read but not decoded here (it is then drawn as a frame of its size).
#pragma once

#include "nodes/edit_node.h"
#include "platform/global_memory.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// The extension of a picture file of the format code ("img" for a code outside the list).
void ImageFormatExtension(std::string& extension, int formatCode);

// The picture file at the path as a new packed DIB, with the format code and bits per pixel
// written into the file-information block; null when it cannot be read or decoded.
HGLOBAL LoadDibFromFile(const char* path, uint8_t* fileInformation);

class CEditGraphic : public CEditNode {
    DECLARE_SERIAL(CEditGraphic)
public:
    // The file-information block: its size and the two fields used.
    static constexpr size_t kFileInformationSize = 1132;
    static constexpr size_t kFormatCodeOffset = 0;
    static constexpr size_t kBitsPerPixelOffset = 28;

    CEditGraphic();
    ~CEditGraphic() override;

    // Loads the picture file; true when the node holds it afterwards. The node's size becomes the
    // picture's pixel size on the display map. A file that cannot be read, or that is of no
    // picture format known here, leaves the node as it was.
    bool LoadFile(const char* path, CDisplayMap* map);
    // Takes a packed DIB pasted from another program (owned from then on when it is taken): the
    // picture becomes a PNG picture of the DIB's depth, its extent the pixel size on the map.
    // False, and nothing taken, for a DIB without a size.
    bool TakePastedDib(HGLOBAL dib, const CDisplayMap& map);
    // The same for the bytes of a file already read from the path.
    bool LoadFromBytes(std::vector<uint8_t> bytes, const char* path, CDisplayMap* map);
    // Makes the node stand for a picture whose file could not be read: it keeps the name the
    // paper gave it and its size (a side of 0 becomes kPlaceholderSide), draws as a frame and
    // is written back with that name, so the paper opens the same way again.
    void MakePlaceholder(const std::string& reference, int width, int height);
    bool IsPlaceholder() const { return !m_reference.empty(); }
    const std::string& GetReference() const { return m_reference; }
    static constexpr int kPlaceholderSide = 1000;
    // The extension of the picture's format; a picture held only as a DIB in a format that
    // cannot be encoded takes the PNG format.
    void GetFileExtension(std::string& extension);
    // Writes the picture file: the bytes it was loaded from when the node has them, else the DIB
    // in the picture's format. The former file stays when writing fails.
    bool SaveFile(const char* path);

    void Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    void Layout(LAYOUT_CONTEXT* context, int vertical) override;
    void Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    // Own fields first: path, pixel size, the palette field, the file information and the DIB,
    // then the node part. A DIB read is checked whole against its header; the palette is made
    // again from it, never taken from the stream. A placeholder stores its name as the path, and
    // a node read without a DIB whose path is a bare name becomes a placeholder again.
    void Serialize(CArchive& ar) override;

    HGLOBAL GetDib() const { return m_dib; }
    HPALETTE GetPalette() const { return m_palette; }
    int GetPixelWidth() const { return m_pixelWidth; }
    int GetPixelHeight() const { return m_pixelHeight; }
    const std::string& GetPath() const { return m_path; }
    int GetFormatCode() const;
    int GetBitsPerPixel() const;
    void SetFormatCode(int code);
    void SetBitsPerPixel(int bits);
    const std::vector<uint8_t>& GetFileBytes() const { return m_fileBytes; }

private:
    // Frees the DIB and the palette.
    void ReleasePicture();
    // Takes the DIB (owned from then on), its size and a palette made from its colour table.
    void TakePicture(HGLOBAL dib, int pixelWidth, int pixelHeight);

    HGLOBAL m_dib = nullptr;
    int32_t m_pixelWidth = 0;
    int32_t m_pixelHeight = 0;
    HPALETTE m_palette;
    std::array<uint8_t, kFileInformationSize> m_fileInformation{};
    std::string m_path;
    std::vector<uint8_t> m_fileBytes;
    // The name a placeholder was given by its paper; empty for a picture the node holds.
    std::string m_reference;
};
