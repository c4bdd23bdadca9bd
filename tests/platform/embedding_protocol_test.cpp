#include "platform/archive.h"
#include "platform/embedding.h"
#include "platform/embedding_protocol.h"
#include "platform/memory_file.h"
#include "tests/support/stream_bytes.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Embedding;

namespace {

Bytes U16(uint16_t v) { return {uint8_t(v), uint8_t(v >> 8)}; }
Bytes U32(uint32_t v) { return Int32(static_cast<int32_t>(v)); }
Bytes Counted(const Bytes& bytes) { return Cat({U32(uint32_t(bytes.size())), bytes}); }
Bytes Frame(uint16_t code, const Bytes& payload) { return Cat({U32(uint32_t(payload.size())), U16(code), payload}); }

Bytes TinyPng()
{
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return Bytes(bytes.begin(), bytes.end());
}

const Bytes kSvg = Ascii("<svg xmlns='http://www.w3.org/2000/svg' width='10' height='10'><rect width='5' height='5'/></svg>");

// A side file written from the format's table: class "Vumat.Document", content aspect,
// 3000 x 2000, storage "abc", an SVG picture.
Bytes SideFile(const Bytes& picture = kSvg, uint16_t version = 1, uint16_t flags = 0)
{
    return Cat({Ascii("QNOBJ"), U16(version), U16(flags), Counted(Ascii("Vumat.Document")), U32(1), Int32(3000),
                Int32(2000), Counted(Ascii("abc")), U16(1), Counted(picture)});
}

OBJECT_RECORD ReadRecord(const Bytes& bytes)
{
    CMemFile file(bytes);
    CArchive ar(&file, CArchive::load);
    OBJECT_RECORD record;
    ReadObjectRecord(ar, &record);
    return record;
}

}  // namespace

TEST(EmbeddingFrames, MessagesHaveTheirDocumentedBytes)
{
    HELLO_MESSAGE hello;
    hello.className = "Vumat.Document";
    hello.isNew = true;
    EXPECT_EQ(EncodeHello(hello), Frame(kHello, Cat({U32(1), Counted(Ascii("Vumat.Document")), Bytes{1}})));
    EXPECT_EQ(EncodeLoad(Ascii("xy")), Frame(kLoad, Counted(Ascii("xy"))));
    EXPECT_EQ(EncodeDoVerb(-1), Frame(kDoVerb, U32(0xFFFFFFFF)));
    EXPECT_EQ(EncodeClose(true), Frame(kClose, Bytes{1}));
    EXPECT_EQ(EncodeClosed(), Frame(kClosed, {}));
    EXPECT_EQ(EncodeFailed("no"), Frame(kFailed, Counted(Ascii("no"))));

    const Bytes changed = Cat({Int32(3000), Int32(2000), U16(2), Counted(Ascii("PIC")), Counted(Ascii("data"))});
    const auto state = DecodeState(changed);
    ASSERT_TRUE(state);
    EXPECT_EQ(state->extent.cx, 3000);
    EXPECT_EQ(state->extent.cy, 2000);
    EXPECT_EQ(state->pictureKind, kPngPicture);
    EXPECT_EQ(state->picture, Ascii("PIC"));
    EXPECT_EQ(state->storage, Ascii("data"));
    EXPECT_EQ(EncodeState(kChanged, *state), Frame(kChanged, changed));
}

TEST(EmbeddingFrames, ReaderTakesFramesFedByteByByte)
{
    const Bytes stream = Cat({EncodeClosed(), EncodeFailed("gone"), EncodeDoVerb(0)});
    CFrameReader reader;
    std::vector<FRAME> frames;
    for (uint8_t byte : stream) {
        reader.Feed(std::span<const uint8_t>(&byte, 1));
        FRAME frame;
        while (reader.Next(&frame) == CFrameReader::Result::Frame)
            frames.push_back(frame);
    }
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].code, kClosed);
    EXPECT_EQ(DecodeFailed(frames[1].payload), std::optional<std::string>("gone"));
    EXPECT_EQ(DecodeDoVerb(frames[2].payload), std::optional<int>(0));
    EXPECT_EQ(reader.Buffered(), 0u);
}

TEST(EmbeddingFrames, HeadersOverALimitOrWithUnknownCodesBreakTheReaderAtOnce)
{
    struct Case {
        const char* name;
        Bytes header;
    };
    const Case cases[] = {
        {"payload one byte over 64 MiB", Cat({U32(uint32_t(kMaxFramePayload + 1)), U16(kChanged)})},
        {"payload of 4 GiB", Cat({U32(0xFFFFFFFF), U16(kSaved)})},
        {"unknown code", Cat({U32(0), U16(0x7777)})},
        {"code zero", Cat({U32(0), U16(0)})},
    };
    for (const Case& c : cases) {
        CFrameReader reader;
        reader.Feed(c.header);
        FRAME frame;
        EXPECT_EQ(reader.Next(&frame), CFrameReader::Result::Broken) << c.name;
        // Nothing of a payload is kept once the header was refused.
        reader.Feed(Bytes(100, 0));
        EXPECT_EQ(reader.Buffered(), 0u) << c.name;
        EXPECT_EQ(reader.Next(&frame), CFrameReader::Result::Broken) << c.name;
    }
}

TEST(EmbeddingFrames, MalformedPayloadsAreRefused)
{
    const Bytes goodState = Cat({Int32(10), Int32(20), U16(0), Counted({}), Counted({})});
    ASSERT_TRUE(DecodeState(goodState));
    const struct {
        const char* name;
        Bytes payload;
    } states[] = {
        {"truncated", Bytes(goodState.begin(), goodState.end() - 1)},
        {"trailing byte", Cat({goodState, Bytes{0}})},
        {"negative extent", Cat({Int32(-1), Int32(20), U16(0), Counted({}), Counted({})})},
        {"extent beyond ten metres", Cat({Int32(1000001), Int32(20), U16(0), Counted({}), Counted({})})},
        {"picture kind 3", Cat({Int32(10), Int32(20), U16(3), Counted({}), Counted({})})},
        {"picture bytes without a kind", Cat({Int32(10), Int32(20), U16(0), Counted(Ascii("x")), Counted({})})},
        {"storage over 16 MiB", Cat({Int32(10), Int32(20), U16(0), Counted({}), U32(uint32_t(kMaxStorage + 1))})},
        {"picture over 32 MiB", Cat({Int32(10), Int32(20), U16(2), U32(uint32_t(kMaxPicture + 1))})},
        {"length past the end", Cat({Int32(10), Int32(20), U16(0), U32(5), Ascii("ab")})},
    };
    for (const auto& c : states)
        EXPECT_FALSE(DecodeState(c.payload)) << c.name;

    EXPECT_FALSE(DecodeHello(Cat({U32(2), Counted(Ascii("Vumat.Document")), Bytes{1}}))) << "wrong version";
    EXPECT_FALSE(DecodeHello(Cat({U32(1), Counted(Ascii("Bad\nName")), Bytes{1}}))) << "unprintable class";
    EXPECT_FALSE(DecodeHello(Cat({U32(1), Counted({}), Bytes{1}}))) << "empty class";
    EXPECT_FALSE(DecodeHello(Cat({U32(1), Counted(Bytes(256, 'A')), Bytes{1}}))) << "class of 256";
    EXPECT_TRUE(DecodeHello(Cat({U32(1), Counted(Bytes(255, 'A')), Bytes{0}}))) << "class of 255";
    EXPECT_FALSE(DecodeClose(Bytes{2}));
    EXPECT_FALSE(DecodeDoVerb(Bytes{1, 2, 3}));
}

TEST(EmbeddingPictures, OnlyPicturesOfTheirKindAreDrawable)
{
    const Bytes png = TinyPng();
    EXPECT_TRUE(IsDrawablePicture(kPngPicture, png));
    EXPECT_TRUE(IsDrawablePicture(kSvgPicture, kSvg));
    EXPECT_FALSE(IsDrawablePicture(kSvgPicture, png));
    EXPECT_FALSE(IsDrawablePicture(kPngPicture, kSvg));
    Bytes broken(png.begin(), png.begin() + 12);
    EXPECT_FALSE(IsDrawablePicture(kPngPicture, broken));
    EXPECT_FALSE(IsDrawablePicture(kSvgPicture, Ascii("<svg")));
    EXPECT_FALSE(IsDrawablePicture(kNoPicture, png));
    EXPECT_FALSE(IsDrawablePicture(kPngPicture, {}));
}

TEST(ObjectSideFile, ReadsTheDocumentedBytesAndWritesThemBack)
{
    const OBJECT_RECORD record = ReadRecord(SideFile());
    EXPECT_FALSE(record.foreign);
    EXPECT_EQ(record.className, "Vumat.Document");
    EXPECT_EQ(record.aspect, 1u);
    EXPECT_EQ(record.state.extent.cx, 3000);
    EXPECT_EQ(record.state.extent.cy, 2000);
    EXPECT_EQ(record.state.storage, Ascii("abc"));
    EXPECT_EQ(record.state.pictureKind, kSvgPicture);
    EXPECT_EQ(record.state.picture, kSvg);
    EXPECT_EQ(StoreBytes([&](CArchive& ar) { WriteObjectRecord(ar, record); }), SideFile());
}

TEST(ObjectSideFile, ForeignBytesAreKeptWholeAndWrittenBackUnchanged)
{
    // An OLE compound file as another system writes it; its root names a class id.
    Bytes foreign(1024, 0x5A);
    const uint8_t signature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    std::copy(signature, signature + 8, foreign.begin());
    foreign[0x1E] = 9;
    foreign[0x1F] = 0;
    for (int i = 0; i < 4; ++i)
        foreign[0x30 + i] = 0;  // the directory starts in sector 0, at byte 512
    const uint8_t id[16] = {0xD4, 0xB0, 0x86, 0x3F, 0x1E, 0xC2, 0xA9, 0x47, 0x85, 0xD3, 0xE9, 0x0B, 0x6A, 0x4F, 0x12, 0xC8};
    std::copy(id, id + 16, foreign.begin() + 512 + 0x50);
    EXPECT_EQ(StorageClassId(foreign), std::optional<std::string>("{3F86B0D4-C21E-47A9-85D3-E90B6A4F12C8}"));

    const OBJECT_RECORD record = ReadRecord(foreign);
    EXPECT_TRUE(record.foreign);
    EXPECT_EQ(record.state.storage, foreign);
    EXPECT_EQ(StoreBytes([&](CArchive& ar) { WriteObjectRecord(ar, record); }), foreign);
    // In a stream with more data after it, the tagged form keeps the object's end.
    const Bytes tagged = StoreBytes([&](CArchive& ar) {
        WriteTaggedObjectRecord(ar, record);
        ar << int32_t(77);
    });
    CMemFile file(tagged);
    CArchive ar(&file, CArchive::load);
    OBJECT_RECORD again;
    ReadObjectRecord(ar, &again);
    int32_t after = 0;
    ar >> after;
    EXPECT_TRUE(again.foreign);
    EXPECT_EQ(again.state.storage, foreign);
    EXPECT_EQ(after, 77);

    EXPECT_EQ(ReadRecord(Ascii("QNO")).state.storage, Ascii("QNO")) << "shorter than the tag: foreign";
    EXPECT_FALSE(StorageClassId(Ascii("QNO")));
}

TEST(ObjectSideFile, HostileFilesAreRefused)
{
    const Bytes good = SideFile();
    auto withClass = [](const Bytes& name) {
        return Cat({Ascii("QNOBJ"), U16(1), U16(0), Counted(name), U32(1), Int32(1), Int32(1), Counted({}), U16(0),
                    Counted({})});
    };
    auto withStorageLength = [](uint32_t length) {
        return Cat({Ascii("QNOBJ"), U16(1), U16(0), Counted(Ascii("A.B")), U32(1), Int32(1), Int32(1), U32(length)});
    };
    ASSERT_NO_THROW(ReadRecord(withClass(Ascii("A.B"))));
    const struct {
        const char* name;
        Bytes bytes;
    } cases[] = {
        {"empty file", {}},
        {"version 2", SideFile(kSvg, 2)},
        {"unknown flag", SideFile(kSvg, 1, 2)},
        {"truncated", Bytes(good.begin(), good.end() - 1)},
        {"class name of 256", withClass(Bytes(256, 'A'))},
        {"class name with a control character", withClass(Ascii("A\x01"))},
        {"empty class name of a native object", withClass({})},
        {"storage longer than the file", withStorageLength(100)},
        {"storage over 16 MiB", withStorageLength(uint32_t(kMaxStorage + 1))},
        {"storage of 4 GiB", withStorageLength(0xFFFFFFFF)},
        {"aspect 3", Cat({Ascii("QNOBJ"), U16(1), U16(0), Counted(Ascii("A.B")), U32(3), Int32(1), Int32(1)})},
        {"negative extent", Cat({Ascii("QNOBJ"), U16(1), U16(0), Counted(Ascii("A.B")), U32(1), Int32(-5), Int32(1)})},
        {"picture kind 9", Cat({Ascii("QNOBJ"), U16(1), U16(0), Counted(Ascii("A.B")), U32(1), Int32(1), Int32(1),
                                Counted({}), U16(9), Counted({})})},
    };
    for (const auto& c : cases)
        EXPECT_THROW(ReadRecord(c.bytes), CArchiveException) << c.name;
}

TEST(ObjectSideFile, TheItemStreamRoundTripsAndDrawsNothingFromBadPictureBytes)
{
    COleClientItem item;
    {
        CMemFile file(SideFile(Ascii("<svg broken")));
        CArchive ar(&file, CArchive::load);
        item.Serialize(ar);
    }
    SIZE extent{};
    ASSERT_TRUE(item.GetCachedExtent(&extent));
    EXPECT_EQ(extent.cx, 3000);
    EXPECT_EQ(item.GetItemState(), COleClientItem::loadedState);
    EXPECT_TRUE(item.RenderPng().empty());

    const Bytes stream = StoreBytes([&](CArchive& ar) { item.Serialize(ar); });
    EXPECT_EQ(stream, SideFile(Ascii("<svg broken")));
}
