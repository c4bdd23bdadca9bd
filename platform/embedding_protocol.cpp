#include "platform/embedding_protocol.h"

#include "platform/archive.h"

#include <QByteArray>
#include <QImageReader>
#include <QBuffer>
#include <QSvgRenderer>

#include <algorithm>
#include <cstring>

namespace Embedding {

namespace {

constexpr size_t kHeaderSize = 6;
// Pictures larger than this many pixels a side are not drawn.
constexpr int kMaxPictureSide = 16384;

void PutU16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}

void PutBytes(std::vector<uint8_t>& out, std::span<const uint8_t> bytes)
{
    PutU32(out, static_cast<uint32_t>(bytes.size()));
    out.insert(out.end(), bytes.begin(), bytes.end());
}

void PutText(std::vector<uint8_t>& out, std::string_view text)
{
    PutBytes(out, std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

// Reads a payload front to back; any read past the end or over a limit makes it fail for good.
class PayloadCursor {
public:
    explicit PayloadCursor(std::span<const uint8_t> bytes) : m_bytes(bytes) {}
    bool U8(uint8_t* v)
    {
        if (!Have(1))
            return false;
        *v = m_bytes[m_pos++];
        return true;
    }
    bool U16(uint16_t* v)
    {
        if (!Have(2))
            return false;
        *v = uint16_t(m_bytes[m_pos] | (m_bytes[m_pos + 1] << 8));
        m_pos += 2;
        return true;
    }
    bool U32(uint32_t* v)
    {
        if (!Have(4))
            return false;
        *v = uint32_t(m_bytes[m_pos]) | uint32_t(m_bytes[m_pos + 1]) << 8 | uint32_t(m_bytes[m_pos + 2]) << 16 |
             uint32_t(m_bytes[m_pos + 3]) << 24;
        m_pos += 4;
        return true;
    }
    bool I32(int32_t* v)
    {
        uint32_t u = 0;
        if (!U32(&u))
            return false;
        *v = static_cast<int32_t>(u);
        return true;
    }
    bool Bytes(std::vector<uint8_t>* out, size_t limit)
    {
        uint32_t length = 0;
        if (!U32(&length) || length > limit || !Have(length))
            return false;
        out->assign(m_bytes.begin() + m_pos, m_bytes.begin() + m_pos + length);
        m_pos += length;
        return true;
    }
    bool Text(std::string* out, size_t limit)
    {
        std::vector<uint8_t> bytes;
        if (!Bytes(&bytes, limit))
            return false;
        out->assign(bytes.begin(), bytes.end());
        return true;
    }
    bool AtEnd() const { return m_pos == m_bytes.size(); }

private:
    bool Have(size_t n) const { return m_bytes.size() - m_pos >= n; }
    std::span<const uint8_t> m_bytes;
    size_t m_pos = 0;
};

bool IsValidExtent(SIZE extent)
{
    return extent.cx >= 0 && extent.cy >= 0 && extent.cx <= kMaxExtent && extent.cy <= kMaxExtent;
}

bool IsValidPictureKind(uint16_t kind) { return kind == kNoPicture || kind == kSvgPicture || kind == kPngPicture; }

bool IsValidAspect(uint32_t aspect) { return aspect == 1 || aspect == 2 || aspect == 4 || aspect == 8; }

}  // namespace

bool IsValidClassName(std::string_view name)
{
    if (name.empty() || name.size() > kMaxClassName)
        return false;
    return std::all_of(name.begin(), name.end(), [](char c) { return c >= 0x20 && c <= 0x7E; });
}

bool IsKnownCode(uint16_t code)
{
    switch (code) {
    case kHello:
    case kLoad:
    case kDoVerb:
    case kClose:
    case kChanged:
    case kSaved:
    case kClosed:
    case kFailed: return true;
    default: return false;
    }
}

// ---------------------------------------------------------------------------------------------
// Frames

void CFrameReader::Feed(std::span<const uint8_t> bytes)
{
    if (m_broken)
        return;
    // What was taken is dropped before the buffer grows, so it holds at most one frame and a bit.
    if (m_start > 0 && m_start >= m_buffer.size() / 2) {
        m_buffer.erase(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(m_start));
        m_start = 0;
    }
    m_buffer.insert(m_buffer.end(), bytes.begin(), bytes.end());
}

CFrameReader::Result CFrameReader::Next(FRAME* frame)
{
    if (m_broken)
        return Result::Broken;
    const size_t available = m_buffer.size() - m_start;
    if (available < kHeaderSize)
        return Result::NeedMore;
    const uint8_t* h = m_buffer.data() + m_start;
    const uint32_t length = uint32_t(h[0]) | uint32_t(h[1]) << 8 | uint32_t(h[2]) << 16 | uint32_t(h[3]) << 24;
    const uint16_t code = uint16_t(h[4] | (h[5] << 8));
    if (length > kMaxFramePayload || !IsKnownCode(code)) {
        m_broken = true;
        m_buffer.clear();
        m_start = 0;
        return Result::Broken;
    }
    if (available - kHeaderSize < length)
        return Result::NeedMore;
    frame->code = code;
    frame->payload.assign(h + kHeaderSize, h + kHeaderSize + length);
    m_start += kHeaderSize + length;
    if (m_start == m_buffer.size()) {
        m_buffer.clear();
        m_start = 0;
    }
    return Result::Frame;
}

std::vector<uint8_t> EncodeFrame(uint16_t code, std::span<const uint8_t> payload)
{
    std::vector<uint8_t> out;
    out.reserve(kHeaderSize + payload.size());
    PutU32(out, static_cast<uint32_t>(payload.size()));
    PutU16(out, code);
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

std::vector<uint8_t> EncodeHello(const HELLO_MESSAGE& hello)
{
    std::vector<uint8_t> payload;
    PutU32(payload, hello.version);
    PutText(payload, hello.className);
    payload.push_back(hello.isNew ? 1 : 0);
    return EncodeFrame(kHello, payload);
}

std::vector<uint8_t> EncodeLoad(std::span<const uint8_t> storage)
{
    std::vector<uint8_t> payload;
    PutBytes(payload, storage);
    return EncodeFrame(kLoad, payload);
}

std::vector<uint8_t> EncodeDoVerb(int verb)
{
    std::vector<uint8_t> payload;
    PutU32(payload, static_cast<uint32_t>(verb));
    return EncodeFrame(kDoVerb, payload);
}

std::vector<uint8_t> EncodeClose(bool save)
{
    const uint8_t flag = save ? 1 : 0;
    return EncodeFrame(kClose, std::span<const uint8_t>(&flag, 1));
}

std::vector<uint8_t> EncodeState(uint16_t code, const OBJECT_STATE& state)
{
    std::vector<uint8_t> payload;
    PutU32(payload, static_cast<uint32_t>(state.extent.cx));
    PutU32(payload, static_cast<uint32_t>(state.extent.cy));
    PutU16(payload, state.pictureKind);
    PutBytes(payload, state.picture);
    PutBytes(payload, state.storage);
    return EncodeFrame(code, payload);
}

std::vector<uint8_t> EncodeClosed() { return EncodeFrame(kClosed, {}); }

std::vector<uint8_t> EncodeFailed(std::string_view reason)
{
    std::vector<uint8_t> payload;
    PutText(payload, reason.substr(0, kMaxReason));
    return EncodeFrame(kFailed, payload);
}

std::optional<HELLO_MESSAGE> DecodeHello(std::span<const uint8_t> payload)
{
    PayloadCursor in(payload);
    HELLO_MESSAGE hello;
    uint8_t isNew = 0;
    if (!in.U32(&hello.version) || !in.Text(&hello.className, kMaxClassName) || !in.U8(&isNew) || !in.AtEnd() ||
        hello.version != kProtocolVersion || !IsValidClassName(hello.className) || isNew > 1)
        return std::nullopt;
    hello.isNew = isNew == 1;
    return hello;
}

std::optional<std::vector<uint8_t>> DecodeLoad(std::span<const uint8_t> payload)
{
    PayloadCursor in(payload);
    std::vector<uint8_t> storage;
    if (!in.Bytes(&storage, kMaxStorage) || !in.AtEnd())
        return std::nullopt;
    return storage;
}

std::optional<int> DecodeDoVerb(std::span<const uint8_t> payload)
{
    PayloadCursor in(payload);
    int32_t verb = 0;
    if (!in.I32(&verb) || !in.AtEnd())
        return std::nullopt;
    return verb;
}

std::optional<bool> DecodeClose(std::span<const uint8_t> payload)
{
    PayloadCursor in(payload);
    uint8_t save = 0;
    if (!in.U8(&save) || !in.AtEnd() || save > 1)
        return std::nullopt;
    return save == 1;
}

std::optional<OBJECT_STATE> DecodeState(std::span<const uint8_t> payload)
{
    PayloadCursor in(payload);
    OBJECT_STATE state;
    int32_t cx = 0;
    int32_t cy = 0;
    if (!in.I32(&cx) || !in.I32(&cy) || !in.U16(&state.pictureKind) || !in.Bytes(&state.picture, kMaxPicture) ||
        !in.Bytes(&state.storage, kMaxStorage) || !in.AtEnd())
        return std::nullopt;
    state.extent = SIZE{cx, cy};
    if (!IsValidExtent(state.extent) || !IsValidPictureKind(state.pictureKind) ||
        (state.pictureKind == kNoPicture && !state.picture.empty()))
        return std::nullopt;
    return state;
}

std::optional<std::string> DecodeFailed(std::span<const uint8_t> payload)
{
    PayloadCursor in(payload);
    std::string reason;
    if (!in.Text(&reason, kMaxReason) || !in.AtEnd())
        return std::nullopt;
    return reason;
}

bool IsDrawablePicture(uint16_t kind, std::span<const uint8_t> bytes)
{
    if (bytes.empty() || bytes.size() > kMaxPicture)
        return false;
    const QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<qsizetype>(bytes.size()));
    if (kind == kSvgPicture) {
        QSvgRenderer renderer(data);
        return renderer.isValid();
    }
    if (kind == kPngPicture) {
        static constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
        if (bytes.size() < sizeof kSignature || std::memcmp(bytes.data(), kSignature, sizeof kSignature) != 0)
            return false;
        QByteArray copy = data;
        QBuffer buffer(&copy);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, "png");
        const QSize size = reader.size();
        return size.isValid() && size.width() > 0 && size.height() > 0 && size.width() <= kMaxPictureSide &&
               size.height() <= kMaxPictureSide;
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// The side-file record

namespace {

void WriteArchiveBytes(CArchive& ar, std::span<const uint8_t> bytes)
{
    ar << static_cast<DWORD>(bytes.size());
    if (!bytes.empty())
        ar.Write(bytes.data(), bytes.size());
}

std::vector<uint8_t> ReadArchiveBytes(CArchive& ar, size_t limit)
{
    DWORD length = 0;
    ar >> length;
    if (length > limit)
        ar.ThrowException(CArchiveException::genericException);
    ar.CheckAvailable(length);
    std::vector<uint8_t> bytes(length);
    if (length > 0)
        ar.ReadExact(bytes.data(), length);
    return bytes;
}

}  // namespace

void WriteTaggedObjectRecord(CArchive& ar, const OBJECT_RECORD& record)
{
    ar.Write(kObjectRecordTag, sizeof kObjectRecordTag);
    ar << static_cast<WORD>(kObjectRecordVersion);
    ar << static_cast<WORD>(record.foreign ? 1 : 0);
    WriteArchiveBytes(ar, std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(record.className.data()),
                                                   record.className.size()));
    ar << static_cast<DWORD>(record.aspect);
    ar << static_cast<int32_t>(record.state.extent.cx) << static_cast<int32_t>(record.state.extent.cy);
    WriteArchiveBytes(ar, record.state.storage);
    ar << static_cast<WORD>(record.state.pictureKind);
    WriteArchiveBytes(ar, record.state.picture);
}

void WriteObjectRecord(CArchive& ar, const OBJECT_RECORD& record)
{
    if (record.foreign) {
        if (!record.state.storage.empty())
            ar.Write(record.state.storage.data(), record.state.storage.size());
        return;
    }
    WriteTaggedObjectRecord(ar, record);
}

void ReadObjectRecord(CArchive& ar, OBJECT_RECORD* record)
{
    char tag[sizeof kObjectRecordTag] = {};
    const UINT got = ar.Read(tag, sizeof tag);
    if (got == 0)
        ar.ThrowException(CArchiveException::endOfFile);
    OBJECT_RECORD read;
    if (got < sizeof tag || std::memcmp(tag, kObjectRecordTag, sizeof tag) != 0) {
        // Another system's object: kept whole, byte for byte.
        const uint64_t rest = ar.BytesLeft();
        if (got + rest > kMaxForeignStorage)
            ar.ThrowException(CArchiveException::genericException);
        read.foreign = true;
        read.state.storage.assign(tag, tag + got);
        read.state.storage.resize(got + static_cast<size_t>(rest));
        if (rest > 0)
            ar.ReadExact(read.state.storage.data() + got, static_cast<size_t>(rest));
        *record = std::move(read);
        return;
    }
    WORD version = 0;
    WORD flags = 0;
    ar >> version >> flags;
    if (version != kObjectRecordVersion || (flags & ~WORD(1)) != 0)
        ar.ThrowException(CArchiveException::badSchema);
    read.foreign = (flags & 1) != 0;
    const std::vector<uint8_t> name = ReadArchiveBytes(ar, kMaxClassName);
    read.className.assign(name.begin(), name.end());
    if (!(read.className.empty() ? read.foreign : IsValidClassName(read.className)))
        ar.ThrowException(CArchiveException::genericException);
    DWORD aspect = 0;
    int32_t cx = 0;
    int32_t cy = 0;
    ar >> aspect >> cx >> cy;
    read.aspect = aspect;
    read.state.extent = SIZE{cx, cy};
    if (!IsValidAspect(aspect) || !IsValidExtent(read.state.extent))
        ar.ThrowException(CArchiveException::genericException);
    read.state.storage = ReadArchiveBytes(ar, read.foreign ? kMaxForeignStorage : kMaxStorage);
    WORD kind = 0;
    ar >> kind;
    read.state.pictureKind = kind;
    if (!IsValidPictureKind(kind))
        ar.ThrowException(CArchiveException::genericException);
    read.state.picture = ReadArchiveBytes(ar, kMaxPicture);
    if (kind == kNoPicture && !read.state.picture.empty())
        ar.ThrowException(CArchiveException::genericException);
    *record = std::move(read);
}

}  // namespace Embedding
