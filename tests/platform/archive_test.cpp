#include "platform/archive.h"
#include "platform/memory_file.h"
#include "tests/support/stream_bytes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

// Two ints.
class CTestPoint : public CObject {
    DECLARE_SERIAL(CTestPoint)
public:
    CTestPoint() = default;
    CTestPoint(int32_t x, int32_t y) : m_x(x), m_y(y) {}
    void Serialize(CArchive& ar) override
    {
        if (ar.IsStoring()) {
            ar << m_x << m_y;
        } else {
            int32_t x, y;
            ar >> x >> y;
            m_x = x;
            m_y = y;
        }
    }
    int32_t m_x = 0;
    int32_t m_y = 0;
};
IMPLEMENT_SERIAL(CTestPoint, CObject, 1)

// Owns one object reference, so that objects nest.
class CTestBox : public CObject {
    DECLARE_SERIAL(CTestBox)
public:
    void Serialize(CArchive& ar) override
    {
        if (ar.IsStoring())
            ar.WriteObject(m_content.get());
        else
            m_content = ar.ReadNewObject(nullptr);
    }
    std::unique_ptr<CObject> m_content;
};
IMPLEMENT_SERIAL(CTestBox, CObject, 1)

// A class of schema 2 and one that cannot be streamed.
class CTestLater : public CTestPoint {
    DECLARE_SERIAL(CTestLater)
};
IMPLEMENT_SERIAL(CTestLater, CTestPoint, 2)

class CTestPlain : public CObject {
    DECLARE_DYNAMIC(CTestPlain)
};
IMPLEMENT_DYNAMIC(CTestPlain, CObject)

CRuntimeClassRegistry TestRegistry()
{
    CRuntimeClassRegistry registry;
    registry.Add(RUNTIME_CLASS(CTestPoint));
    registry.Add(RUNTIME_CLASS(CTestBox));
    registry.Add(RUNTIME_CLASS(CTestLater));
    return registry;
}

// The first object of CTestPoint: new-class tag, schema 1, name length 10, name.
const Bytes kPointClassTag = Cat({{0xFF, 0xFF, 0x01, 0x00, 0x0A, 0x00}, Ascii("CTestPoint")});

CArchiveException::Cause LoadCause(const Bytes& bytes, const CRuntimeClassRegistry& registry,
                                   const CRuntimeClass* requested = nullptr)
{
    CMemFile file(bytes);
    CArchive ar(&file, CArchive::load, &registry);
    try {
        ar.ReadObjectReference(requested);
        return CArchiveException::none;
    } catch (const CArchiveException& e) {
        return e.m_cause;
    }
}

}  // namespace

TEST(Archive, IntegersAreLittleEndian)
{
    const Bytes bytes = StoreBytes([](CArchive& ar) {
        ar << BYTE(0xAB) << char(-2) << WORD(0x1234) << int16_t(-2) << DWORD(0x89ABCDEF) << int32_t(-3);
    });
    EXPECT_EQ(bytes, (Bytes{0xAB, 0xFE, 0x34, 0x12, 0xFE, 0xFF, 0xEF, 0xCD, 0xAB, 0x89, 0xFD, 0xFF, 0xFF, 0xFF}));

    CMemFile file(bytes);
    CArchive ar(&file, CArchive::load);
    BYTE b;
    char c;
    WORD w;
    int16_t s;
    DWORD d;
    int32_t i;
    ar >> b >> c >> w >> s >> d >> i;
    EXPECT_EQ(b, 0xAB);
    EXPECT_EQ(c, -2);
    EXPECT_EQ(w, 0x1234);
    EXPECT_EQ(s, -2);
    EXPECT_EQ(d, 0x89ABCDEFu);
    EXPECT_EQ(i, -3);
}

TEST(Archive, CountsEscapeAt0xFFFF)
{
    struct Case { DWORD count; Bytes bytes; };
    const Case cases[] = {
        {0, {0x00, 0x00}},
        {3, {0x03, 0x00}},
        {0xFFFE, {0xFE, 0xFF}},
        {0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}},
        {0x12345, {0xFF, 0xFF, 0x45, 0x23, 0x01, 0x00}},
    };
    for (const Case& c : cases) {
        const Bytes bytes = StoreBytes([&](CArchive& ar) { ar.WriteCount(c.count); });
        EXPECT_EQ(bytes, c.bytes) << c.count;
        CMemFile file(bytes);
        CArchive ar(&file, CArchive::load);
        EXPECT_EQ(ar.ReadCount(), c.count);
    }
}

TEST(Archive, ObjectTagsNameTheClassOnceAndReferToObjectsByIndex)
{
    CTestPoint a(1, 2), b(3, 4);
    const Bytes bytes = StoreBytes([&](CArchive& ar) {
        ar.WriteObject(&a);
        ar.WriteObject(&b);
        ar.WriteObject(&a);
        ar.WriteObject(nullptr);
        ar.WriteObject(&b);
    });
    // Index 1 is the class, 2 and 3 the two objects.
    const Bytes expected = Cat({kPointClassTag, Int32(1), Int32(2),
                                {0x01, 0x80}, Int32(3), Int32(4),
                                {0x02, 0x00}, {0x00, 0x00}, {0x03, 0x00}});
    EXPECT_EQ(bytes, expected);

    const CRuntimeClassRegistry registry = TestRegistry();
    CMemFile file(bytes);
    CArchive ar(&file, CArchive::load, &registry);
    CArchive::ObjectReference first = ar.ReadObjectReference(RUNTIME_CLASS(CTestPoint));
    CArchive::ObjectReference second = ar.ReadObjectReference(RUNTIME_CLASS(CTestPoint));
    CArchive::ObjectReference again = ar.ReadObjectReference(RUNTIME_CLASS(CTestPoint));
    CArchive::ObjectReference null = ar.ReadObjectReference(nullptr);
    ASSERT_TRUE(first.created && second.created);
    EXPECT_EQ(static_cast<CTestPoint*>(first.created.get())->m_y, 2);
    EXPECT_EQ(static_cast<CTestPoint*>(second.created.get())->m_x, 3);
    EXPECT_EQ(again.existing, first.created.get());
    EXPECT_FALSE(again.created);
    EXPECT_FALSE(null.created || null.existing);
    // An object owned once cannot be handed out again as a new object.
    try {
        ar.ReadNewObject(nullptr);
        FAIL();
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::badIndex);
    }
}

TEST(Archive, BackReferencesAreCheckedWithoutTouchingTheObject)
{
    // A point, then two back references to it; the caller deletes the point in between.
    const Bytes bytes = Cat({kPointClassTag, Int32(1), Int32(2), {0x02, 0x00}, {0x02, 0x00}});
    const CRuntimeClassRegistry registry = TestRegistry();
    CMemFile file(bytes);
    CArchive ar(&file, CArchive::load, &registry);
    ar.ReadNewObject(RUNTIME_CLASS(CTestPoint)).reset();
    // The reference is refused from its tag and the class recorded when the object was read.
    try {
        ar.ReadObjectReference(RUNTIME_CLASS(CTestBox));
        FAIL();
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::badClass);
    }
    CMemFile again(bytes);
    CArchive second(&again, CArchive::load, &registry);
    second.ReadNewObject(RUNTIME_CLASS(CTestPoint)).reset();
    try {
        second.ReadNewObject(RUNTIME_CLASS(CTestPoint));
        FAIL();
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::badIndex);
    }
}

TEST(Archive, ObjectListIsACountThenReferences)
{
    CTestPoint p[3] = {{1, 0}, {2, 0}, {3, 0}};
    const CObject* list[] = {&p[0], &p[1], &p[2]};
    const Bytes bytes = StoreBytes([&](CArchive& ar) { ar.WriteObjectList(list); });
    const Bytes expected = Cat({{0x03, 0x00}, kPointClassTag, Int32(1), Int32(0),
                                {0x01, 0x80}, Int32(2), Int32(0), {0x01, 0x80}, Int32(3), Int32(0)});
    EXPECT_EQ(bytes, expected);

    const CRuntimeClassRegistry registry = TestRegistry();
    CMemFile file(bytes);
    CArchive ar(&file, CArchive::load, &registry);
    const auto read = ar.ReadNewObjectList(RUNTIME_CLASS(CTestPoint));
    ASSERT_EQ(read.size(), 3u);
    EXPECT_EQ(static_cast<CTestPoint*>(read[2].get())->m_x, 3);
}

TEST(Archive, IndicesFrom0x7FFFUseTheEscape)
{
    // Class CTestPoint is index 1, its objects 2 … 0x7FFF; the class CTestBox then gets 0x8000.
    std::vector<CTestPoint> points(0x7FFE);
    CTestBox box;
    CTestBox box2;
    const Bytes bytes = StoreBytes([&](CArchive& ar) {
        for (const CTestPoint& p : points)
            ar.WriteObject(&p);
        ar.WriteObject(&box);           // new class 0x8000, object 0x8001, then its null content
        ar.WriteObject(&box2);          // class reference 0x8000, object 0x8002
        ar.WriteObject(&points.back());  // object 0x7FFF
        ar.WriteObject(&points[0x7FFD - 1]);  // object 0x7FFE
    });
    const size_t pointsEnd = kPointClassTag.size() + 8 + (0x7FFE - 1) * (2 + 8);
    const Bytes tail(bytes.begin() + pointsEnd, bytes.end());
    const Bytes expected = Cat({{0xFF, 0xFF, 0x01, 0x00, 0x08, 0x00}, Ascii("CTestBox"), {0x00, 0x00},
                                {0xFF, 0x7F, 0x00, 0x80, 0x00, 0x80}, {0x00, 0x00},
                                {0xFF, 0x7F, 0xFF, 0x7F, 0x00, 0x00},
                                {0xFE, 0x7F}});
    EXPECT_EQ(tail, expected);

    const CRuntimeClassRegistry registry = TestRegistry();
    CMemFile file(bytes);
    CArchive ar(&file, CArchive::load, &registry);
    std::vector<std::unique_ptr<CObject>> read;
    for (size_t i = 0; i < points.size() + 2; ++i)
        read.push_back(ar.ReadNewObject(nullptr));
    EXPECT_TRUE(read.back()->IsKindOf(RUNTIME_CLASS(CTestBox)));
    EXPECT_EQ(ar.ReadObjectReference(nullptr).existing, read[0x7FFD].get());
    EXPECT_EQ(ar.ReadObjectReference(nullptr).existing, read[0x7FFC].get());
    EXPECT_EQ(ar.BytesLeft(), 0u);
}

TEST(Archive, MalformedTagsRaiseTheirCause)
{
    const CRuntimeClassRegistry registry = TestRegistry();
    CRuntimeClassRegistry empty;
    const Bytes point = Cat({kPointClassTag, Int32(1), Int32(2)});
    struct Case { const char* what; Bytes bytes; const CRuntimeClassRegistry* registry;
                  const CRuntimeClass* requested; CArchiveException::Cause cause; };
    const Case cases[] = {
        {"valid", point, &registry, nullptr, CArchiveException::none},
        {"class unknown to the program", point, &empty, nullptr, CArchiveException::badClass},
        {"another class requested", point, &registry, RUNTIME_CLASS(CTestBox), CArchiveException::badClass},
        {"derived class requested", Cat({{0xFF, 0xFF, 0x02, 0x00, 0x0A, 0x00}, Ascii("CTestLater"), Int32(0), Int32(0)}),
         &registry, RUNTIME_CLASS(CTestPoint), CArchiveException::none},
        {"base of the requested class", point, &registry, RUNTIME_CLASS(CTestLater), CArchiveException::badClass},
        {"other schema", Cat({{0xFF, 0xFF, 0x02, 0x00, 0x0A, 0x00}, Ascii("CTestPoint"), Int32(1), Int32(2)}),
         &registry, nullptr, CArchiveException::badSchema},
        {"name of 64 characters", Cat({{0xFF, 0xFF, 0x01, 0x00, 0x40, 0x00}, Bytes(64, 'C')}), &registry, nullptr,
         CArchiveException::badClass},
        {"class index 0", {0x00, 0x80}, &registry, nullptr, CArchiveException::badIndex},
        {"class index never seen", {0x05, 0x80}, &registry, nullptr, CArchiveException::badIndex},
        {"object index never seen", {0x01, 0x00}, &registry, nullptr, CArchiveException::badIndex},
        {"big class index never seen", {0xFF, 0x7F, 0x01, 0x00, 0x00, 0x80}, &registry, nullptr, CArchiveException::badIndex},
        {"empty", {}, &registry, nullptr, CArchiveException::endOfFile},
        {"half a tag", {0xFF}, &registry, nullptr, CArchiveException::endOfFile},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LoadCause(c.bytes, *c.registry, c.requested), c.cause) << c.what;
}

TEST(Archive, EveryTruncationRaisesEndOfFileAndLeaksNothing)
{
    CTestBox outer;
    auto inner = std::make_unique<CTestBox>();
    inner->m_content = std::make_unique<CTestPoint>(5, 6);
    outer.m_content = std::move(inner);
    const Bytes bytes = StoreBytes([&](CArchive& ar) { ar.WriteObject(&outer); });
    const CRuntimeClassRegistry registry = TestRegistry();
    for (size_t n = 0; n < bytes.size(); ++n)
        EXPECT_EQ(LoadCause(Bytes(bytes.begin(), bytes.begin() + n), registry), CArchiveException::endOfFile) << n;
    EXPECT_EQ(LoadCause(bytes, registry), CArchiveException::none);
}

TEST(Archive, NestingDeeperThanTheLimitIsMalformed)
{
    const CRuntimeClassRegistry registry = TestRegistry();
    auto nested = [](int depth) {
        Bytes bytes = Cat({{0xFF, 0xFF, 0x01, 0x00, 0x08, 0x00}, Ascii("CTestBox")});
        for (int i = 1; i < depth; ++i)
            bytes.insert(bytes.end(), {0x01, 0x80});
        bytes.insert(bytes.end(), {0x00, 0x00});
        return bytes;
    };
    EXPECT_EQ(LoadCause(nested(CArchive::kMaxLoadDepth), registry), CArchiveException::none);
    EXPECT_EQ(LoadCause(nested(CArchive::kMaxLoadDepth + 1), registry), CArchiveException::genericException);
}

TEST(Archive, AnObjectCannotContainItself)
{
    // A box whose content is a back reference to the box being read.
    const Bytes bytes = Cat({{0xFF, 0xFF, 0x01, 0x00, 0x08, 0x00}, Ascii("CTestBox"), {0x02, 0x00}});
    EXPECT_EQ(LoadCause(bytes, TestRegistry()), CArchiveException::badIndex);
}

TEST(Archive, AfterAnExceptionTheArchiveRefusesFurtherWork)
{
    const CRuntimeClassRegistry registry = TestRegistry();
    CMemFile file(Bytes{0x01, 0x00, 0x07, 0x00});
    CArchive ar(&file, CArchive::load, &registry);
    EXPECT_THROW(ar.ReadObjectReference(nullptr), CArchiveException);
    try {
        WORD w;
        ar >> w;
        FAIL();
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::genericException);
    }
}

TEST(Archive, DirectionAndStreamabilityAreChecked)
{
    CMemFile file;
    CArchive storing(&file, CArchive::store);
    try {
        WORD w;
        storing >> w;
        FAIL();
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::writeOnly);
    }
    CArchive storing2(&file, CArchive::store);
    CTestPlain plain;
    try {
        storing2.WriteObject(&plain);
        FAIL();
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::badClass);
    }
    CArchive loading(&file, CArchive::load);
    try {
        loading << WORD(1);
        FAIL();
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::readOnly);
    }
}

TEST(Archive, BlocksCheckTheirLengthAndLeaveTheRecordOnFailure)
{
    struct Record { int32_t a, b; };
    const Record stored{7, -1};
    const Bytes bytes = StoreBytes([&](CArchive& ar) { ar.WriteRecord(stored); });
    EXPECT_EQ(bytes, Cat({Int32(8), Int32(7), Int32(-1)}));

    const Bytes wrongLength = Cat({Int32(4), Int32(7), Int32(-1)});
    const Bytes truncated(bytes.begin(), bytes.end() - 1);
    for (const Bytes* input : {&wrongLength, &truncated}) {
        CMemFile file(*input);
        CArchive ar(&file, CArchive::load);
        Record record{1, 2};
        EXPECT_THROW(ar.ReadRecord(record), CArchiveException);
        EXPECT_EQ(record.a, 1);
        EXPECT_EQ(record.b, 2);
    }
    CMemFile file(bytes);
    CArchive ar(&file, CArchive::load);
    Record record{};
    ar.ReadRecord(record);
    EXPECT_EQ(record.b, -1);
}

TEST(Archive, RegistryRefusesClassesItCannotRead)
{
    CRuntimeClassRegistry registry;
    EXPECT_TRUE(registry.Add(RUNTIME_CLASS(CTestPoint)));
    EXPECT_TRUE(registry.Add(RUNTIME_CLASS(CTestPoint)));
    EXPECT_FALSE(registry.Add(RUNTIME_CLASS(CTestPlain)));
    EXPECT_FALSE(registry.Add(RUNTIME_CLASS(CObject)));
    static const CRuntimeClass impostor = {"CTestPoint", 1, CTestBox::CreateObject, &CObject::classCObject};
    EXPECT_FALSE(registry.Add(&impostor));
    EXPECT_EQ(registry.Find("CTestPoint"), RUNTIME_CLASS(CTestPoint));
    EXPECT_EQ(registry.Find("CTestBox"), nullptr);
    EXPECT_TRUE(CTestLater().IsKindOf(RUNTIME_CLASS(CTestPoint)));
    EXPECT_FALSE(CTestPoint().IsKindOf(RUNTIME_CLASS(CTestLater)));
}

TEST(MemFile, ReadsWritesSeeksAndGrows)
{
    CMemFile file;
    file.Write("abc", 3);
    file.Seek(5, CFile::begin);
    file.Write("z", 1);
    EXPECT_EQ(file.GetLength(), 6u);
    EXPECT_EQ(Bytes(file.Data().begin(), file.Data().end()), (Bytes{'a', 'b', 'c', 0, 0, 'z'}));
    file.Seek(-2, CFile::end);
    char buffer[8] = {};
    EXPECT_EQ(file.Read(buffer, 8), 2u);
    EXPECT_EQ(buffer[1], 'z');
    EXPECT_EQ(file.Read(buffer, 8), 0u);
    EXPECT_THROW(file.Seek(-7, CFile::end), CFileException);
    EXPECT_THROW(file.Seek(INT64_MIN, CFile::current), CFileException);
    EXPECT_THROW(file.Seek(INT64_MAX, CFile::end), CFileException);
    file.SetLength(2);
    EXPECT_EQ(file.GetLength(), 2u);
    file.SeekToBegin();
    EXPECT_EQ(file.GetPosition(), 0u);
    EXPECT_EQ(file.Detach(), (Bytes{'a', 'b'}));
    EXPECT_EQ(file.GetLength(), 0u);
}
