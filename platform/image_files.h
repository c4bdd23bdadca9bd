// Picture files: decoding BMP, GIF, JPEG, PNG, ICO and TIFF files into packed DIBs held in
// global memory, encoding DIBs back into files, and the checks a packed DIB from untrusted bytes
// must pass. DIBs made here are bottom-up, with a BITMAPINFOHEADER: 8 bits per pixel with a
// colour table for pictures of a palette, 32 for pictures with transparency, else 24.
#pragma once

#include "platform/global_memory.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// The file-format codes that a picture's file information stores.
namespace ImageFormatCode {
constexpr int kUnknown = 0;
constexpr int kGif = 2;
constexpr int kTiff = 3;
constexpr int kBmp = 6;
constexpr int kJpeg = 10;
constexpr int kPng = 75;
constexpr int kIcon = 91;
constexpr int kCursor = 92;
}  // namespace ImageFormatCode

// What decoding learnt of a picture file.
struct IMAGE_FILE_FACTS {
    int formatCode = ImageFormatCode::kUnknown;
    int bitsPerPixel = 0;  // of the DIB made from it: 8, 24 or 32
};

// The largest picture file and packed DIB taken in, in bytes.
inline constexpr size_t kMaxPictureBytes = size_t(256) << 20;

// A new packed DIB of the picture in the bytes; null when they are no picture that can be
// decoded. The facts are filled only on success.
HGLOBAL DecodeImageToDib(std::span<const uint8_t> bytes, IMAGE_FILE_FACTS* facts);
// The picture in the DIB as a file of the format code: at 8 bits per pixel with a palette when
// bitsPerPixel is 8 or less, else in true colour. False when the DIB is not valid or the format
// has no encoder here (GIF, and every format outside the code list above).
bool EncodeDibToImage(HGLOBAL dib, int formatCode, int bitsPerPixel, std::vector<uint8_t>* file);

// Whether pictures of the format code can be encoded here.
bool HasImageEncoder(int formatCode);

// Whether the bytes are one whole packed DIB: a valid header and colour table, every pixel row
// the header declares, and no more than kMaxPictureBytes.
bool IsValidPackedDib(std::span<const uint8_t> bytes);

// Reads a whole file (a narrow path as the file system names it); false when it cannot be read,
// is larger than the limit or is no regular file (a pipe or device is never waited on).
bool ReadWholeFile(const char* path, std::vector<uint8_t>* bytes, size_t limit = kMaxPictureBytes);
// The same, also false when the path's last part is a symbolic link: for files a document names
// in its own folder, which must not lead out of it.
bool ReadWholeFileNotFollowingLinks(const char* path, std::vector<uint8_t>* bytes, size_t limit = kMaxPictureBytes);
// Writes a whole file beside the target, flushed to disk, then renamed over it; a failure leaves
// the former file as it was.
bool WriteWholeFileReplacing(const char* path, std::span<const uint8_t> bytes);
