// The embedding protocol: how a container and an object server talk, and how an object is kept
// in a paper. Both editors and every server speak exactly this; nothing else describes it.
//
// An object is its class name, its storage bytes (the server's own data, opaque to the
// container), its picture and its extent in 1/100 mm. A picture is a kind and bytes: 1 SVG
// (drawn scaled, so it stays sharp at every zoom and in print), 2 PNG; 0 means none.
//
// The link. The container starts the server program with the one argument "-Embedding" and
// speaks over the server's standard input (container → server) and standard output (server →
// container). The server moves its descriptor 1 to the channel and points 1 at standard error at
// once, so that no library's print can corrupt a frame.
//
// A frame: u32 payload length, u16 code, the payload; integers little-endian. A text is a u32
// byte count and that many UTF-8 bytes; a byte string likewise. The codes and their payloads:
//   container → server
//     HELLO   1   u32 version (kProtocolVersion), text class name, u8 new flag (1: a new object;
//                 0: LOAD follows)
//     LOAD    2   bytes storage
//     DOVERB  3   i32 verb (0 primary/edit, -1 show, -2 open, -3 hide)
//     CLOSE   4   u8 save flag (1: send SAVED before CLOSED)
//   server → container
//     CHANGED 0x81  i32 cx, i32 cy (1/100 mm), u16 picture kind, bytes picture, bytes storage
//     SAVED   0x82  as CHANGED
//     CLOSED  0x83  nothing; the server then exits
//     FAILED  0x84  text reason; the server then exits
// After HELLO (and LOAD) the server answers first with CHANGED carrying its current state; the
// container waits for that first frame a bounded time. The server sends CHANGED after each edit.
// A state without a picture (kind 0) or with the extent 0 × 0 leaves the container's picture or
// extent as it was. A server whose data cannot be stored sends FAILED, never a cut or empty
// storage; the container keeps what it had and tells the user that the link was lost.
//
// Limits, checked before anything is allocated: a payload of at most 64 MiB, storage of at most
// 16 MiB, a picture of at most 32 MiB, a class name of 1 to 255 printable ASCII characters. A
// frame over a limit, an unknown code, a malformed payload or a wrong version ends the link, which
// the container treats as a crash.
//
// The side file of an object (".bin", beside a print file, and the item's own archive stream):
//   "QNOBJ"          5 bytes
//   u16 version      kObjectRecordVersion
//   u16 flags        bit 0: the storage is foreign (written by another system, kept as it is)
//   text class name  0 to 255 printable ASCII characters (empty only for a foreign object)
//   u32 draw aspect  1 content, 2 thumbnail, 4 icon, 8 docprint
//   i32 cx, i32 cy   the cached extent, 0 to kMaxExtent each
//   bytes storage    at most 16 MiB
//   u16 picture kind, bytes picture   0 none (no bytes), 1 SVG, 2 PNG; at most 32 MiB
// A side file that does not begin with "QNOBJ" holds a foreign object: its bytes are its storage.
#pragma once

#include "platform/win_types.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

class CArchive;

namespace Embedding {

constexpr uint32_t kProtocolVersion = 1;
constexpr uint16_t kObjectRecordVersion = 1;
constexpr char kObjectRecordTag[5] = {'Q', 'N', 'O', 'B', 'J'};

constexpr size_t kMaxFramePayload = size_t(64) << 20;
constexpr size_t kMaxStorage = size_t(16) << 20;
constexpr size_t kMaxPicture = size_t(32) << 20;
constexpr size_t kMaxClassName = 255;
constexpr size_t kMaxReason = 4096;
// The largest side of an object: ten metres in 1/100 mm.
constexpr int kMaxExtent = 1000000;
// A foreign side file is kept whole up to this size.
constexpr size_t kMaxForeignStorage = size_t(64) << 20;

enum FrameCode : uint16_t {
    kHello = 1,
    kLoad = 2,
    kDoVerb = 3,
    kClose = 4,
    kChanged = 0x81,
    kSaved = 0x82,
    kClosed = 0x83,
    kFailed = 0x84,
};

enum PictureKind : uint16_t { kNoPicture = 0, kSvgPicture = 1, kPngPicture = 2 };

// The verbs of DOVERB.
constexpr int kVerbPrimary = 0;
constexpr int kVerbShow = -1;
constexpr int kVerbOpen = -2;
constexpr int kVerbHide = -3;

struct FRAME {
    uint16_t code = 0;
    std::vector<uint8_t> payload;
};

// What CHANGED and SAVED carry, and what the container keeps of an object.
struct OBJECT_STATE {
    SIZE extent{};
    uint16_t pictureKind = kNoPicture;
    std::vector<uint8_t> picture;
    std::vector<uint8_t> storage;
};

struct HELLO_MESSAGE {
    uint32_t version = kProtocolVersion;
    std::string className;
    bool isNew = false;
};

// The whole object as a side file keeps it.
struct OBJECT_RECORD {
    bool foreign = false;
    std::string className;
    uint32_t aspect = 1;
    OBJECT_STATE state;
};

bool IsValidClassName(std::string_view name);
bool IsKnownCode(uint16_t code);

// Frames in: bytes are fed as they arrive and whole frames taken out. A header over a limit or
// with an unknown code makes the reader broken for good, before its payload is buffered.
class CFrameReader {
public:
    enum class Result { NeedMore, Frame, Broken };
    void Feed(std::span<const uint8_t> bytes);
    Result Next(FRAME* frame);
    bool IsBroken() const { return m_broken; }
    size_t Buffered() const { return m_buffer.size() - m_start; }

private:
    std::vector<uint8_t> m_buffer;
    size_t m_start = 0;
    bool m_broken = false;
};

// Frames out.
std::vector<uint8_t> EncodeFrame(uint16_t code, std::span<const uint8_t> payload);
std::vector<uint8_t> EncodeHello(const HELLO_MESSAGE& hello);
std::vector<uint8_t> EncodeLoad(std::span<const uint8_t> storage);
std::vector<uint8_t> EncodeDoVerb(int verb);
std::vector<uint8_t> EncodeClose(bool save);
// CHANGED or SAVED.
std::vector<uint8_t> EncodeState(uint16_t code, const OBJECT_STATE& state);
std::vector<uint8_t> EncodeClosed();
std::vector<uint8_t> EncodeFailed(std::string_view reason);

// Payloads read back; nullopt for a malformed payload (bad length, over a limit, trailing bytes).
std::optional<HELLO_MESSAGE> DecodeHello(std::span<const uint8_t> payload);
std::optional<std::vector<uint8_t>> DecodeLoad(std::span<const uint8_t> payload);
std::optional<int> DecodeDoVerb(std::span<const uint8_t> payload);
std::optional<bool> DecodeClose(std::span<const uint8_t> payload);
std::optional<OBJECT_STATE> DecodeState(std::span<const uint8_t> payload);
std::optional<std::string> DecodeFailed(std::span<const uint8_t> payload);

// Whether the picture's bytes are of its kind and can be drawn (checked before the picture is kept).
bool IsDrawablePicture(uint16_t kind, std::span<const uint8_t> bytes);

// The side-file record through an archive. Writing a foreign record writes its storage alone,
// as it came. Reading: a stream that does not begin with the tag is a foreign object whose bytes
// (the whole rest of the archive) are its storage; a tagged record that fails a check raises
// CArchiveException (badSchema or genericException), and an empty stream endOfFile.
void WriteObjectRecord(CArchive& ar, const OBJECT_RECORD& record);
// The tagged form even for a foreign object, so that the record has an end and other data can
// follow it in the same stream (node lists, the clipboard).
void WriteTaggedObjectRecord(CArchive& ar, const OBJECT_RECORD& record);
void ReadObjectRecord(CArchive& ar, OBJECT_RECORD* record);

}  // namespace Embedding
