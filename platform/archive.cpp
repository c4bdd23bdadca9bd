#include "platform/archive.h"

#include "platform/memory_file.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

static_assert(std::endian::native == std::endian::little,
              "records are stored as their little-endian memory images");

namespace {

constexpr WORD kNullTag = 0;
constexpr WORD kNewClassTag = 0xFFFF;
constexpr WORD kClassTag = 0x8000;
constexpr WORD kBigObjectTag = 0x7FFF;
constexpr DWORD kBigClassTag = 0x80000000;
constexpr DWORD kMaxMapCount = 0x3FFFFFFE;
constexpr WORD kBigCount = 0xFFFF;
// Class names are at most 63 characters, as the framework reads them into a 64-byte buffer.
constexpr size_t kMaxClassName = 63;

const char* ArchiveCauseText(CArchiveException::Cause cause)
{
    switch (cause) {
    case CArchiveException::none: return "no archive error";
    case CArchiveException::genericException: return "malformed archive data";
    case CArchiveException::readOnly: return "writing to an archive that loads";
    case CArchiveException::endOfFile: return "archive data ends too early";
    case CArchiveException::writeOnly: return "reading from an archive that stores";
    case CArchiveException::badIndex: return "archive object index out of range";
    case CArchiveException::badClass: return "unknown or unexpected class in archive";
    case CArchiveException::badSchema: return "archive class has another schema";
    }
    return "archive error";
}

}  // namespace

const CRuntimeClass CObject::classCObject = {"CObject", kNotSerializableSchema, nullptr, nullptr};

std::unique_ptr<CObject> CRuntimeClass::CreateObject() const
{
    return std::unique_ptr<CObject>(m_pfnCreateObject ? m_pfnCreateObject() : nullptr);
}

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const
{
    for (const CRuntimeClass* c = this; c; c = c->m_pBaseClass) {
        if (c == base)
            return true;
    }
    return false;
}

void CObject::Serialize(CArchive&) {}

bool CObject::IsKindOf(const CRuntimeClass* runtimeClass) const
{
    return GetRuntimeClass()->IsDerivedFrom(runtimeClass);
}

bool CRuntimeClassRegistry::Add(const CRuntimeClass* runtimeClass)
{
    if (!runtimeClass || runtimeClass->m_wSchema == kNotSerializableSchema || !runtimeClass->m_pfnCreateObject)
        return false;
    const std::string_view name = runtimeClass->m_lpszClassName;
    if (name.empty() || name.size() > kMaxClassName)
        return false;
    const auto [it, added] = m_classes.emplace(name, runtimeClass);
    return added || it->second == runtimeClass;
}

const CRuntimeClass* CRuntimeClassRegistry::Find(std::string_view className) const
{
    const auto it = m_classes.find(className);
    return it == m_classes.end() ? nullptr : it->second;
}

std::vector<std::string> CRuntimeClassRegistry::ClassNames() const
{
    std::vector<std::string> names;
    names.reserve(m_classes.size());
    for (const auto& entry : m_classes)
        names.push_back(entry.first);
    return names;
}

CRuntimeClassRegistry& ProgramClassRegistry()
{
    static CRuntimeClassRegistry registry;
    return registry;
}

CArchiveException::CArchiveException(Cause cause) : std::runtime_error(ArchiveCauseText(cause)), m_cause(cause) {}

CArchive::CArchive(CFile* file, UINT mode, const CRuntimeClassRegistry* registry)
    : m_file(file), m_loading((mode & load) != 0), m_registry(registry ? registry : &ProgramClassRegistry())
{
    if (m_loading)
        m_loadMap.push_back({Entry::Dead, nullptr});  // index 0: the null reference
}

void CArchive::Close()
{
    if (!m_broken)
        Flush();
    m_broken = true;
}

void CArchive::Flush()
{
    if (IsStoring() && !m_broken)
        m_file->Flush();
}

void CArchive::ThrowException(CArchiveException::Cause cause)
{
    m_broken = true;
    throw CArchiveException(cause);
}

void CArchive::CheckUsable(bool storing) const
{
    if (m_broken)
        throw CArchiveException(CArchiveException::genericException);
    if (storing && m_loading)
        throw CArchiveException(CArchiveException::readOnly);
    if (!storing && !m_loading)
        throw CArchiveException(CArchiveException::writeOnly);
}

void CArchive::Write(const void* buffer, size_t count)
{
    CheckUsable(true);
    const BYTE* bytes = static_cast<const BYTE*>(buffer);
    while (count > 0) {
        const UINT chunk = static_cast<UINT>(std::min<size_t>(count, std::numeric_limits<UINT>::max()));
        m_file->Write(bytes, chunk);
        bytes += chunk;
        count -= chunk;
    }
}

UINT CArchive::Read(void* buffer, UINT count)
{
    CheckUsable(false);
    return m_file->Read(buffer, count);
}

uint64_t CArchive::BytesLeft() const
{
    const uint64_t length = m_file->GetLength();
    const uint64_t position = m_file->GetPosition();
    return position < length ? length - position : 0;
}

void CArchive::CheckAvailable(uint64_t count)
{
    if (BytesLeft() < count)
        ThrowException(CArchiveException::endOfFile);
}

void CArchive::ReadExact(void* buffer, size_t count)
{
    CheckUsable(false);
    CheckAvailable(count);
    BYTE* bytes = static_cast<BYTE*>(buffer);
    while (count > 0) {
        const UINT chunk = static_cast<UINT>(std::min<size_t>(count, std::numeric_limits<UINT>::max()));
        if (m_file->Read(bytes, chunk) != chunk)
            ThrowException(CArchiveException::endOfFile);
        bytes += chunk;
        count -= chunk;
    }
}

template <typename T>
void CArchive::WriteInteger(T value)
{
    using U = std::make_unsigned_t<T>;
    const U bits = static_cast<U>(value);
    BYTE bytes[sizeof(T)];
    for (size_t i = 0; i < sizeof(T); ++i)
        bytes[i] = static_cast<BYTE>(bits >> (8 * i));
    Write(bytes, sizeof(T));
}

template <typename T>
T CArchive::ReadInteger()
{
    using U = std::make_unsigned_t<T>;
    BYTE bytes[sizeof(T)];
    ReadExact(bytes, sizeof(T));
    U bits = 0;
    for (size_t i = 0; i < sizeof(T); ++i)
        bits = static_cast<U>(bits | (static_cast<U>(bytes[i]) << (8 * i)));
    return static_cast<T>(bits);
}

CArchive& CArchive::operator<<(BYTE value) { WriteInteger(value); return *this; }
CArchive& CArchive::operator<<(char value) { WriteInteger(value); return *this; }
CArchive& CArchive::operator<<(WORD value) { WriteInteger(value); return *this; }
CArchive& CArchive::operator<<(int16_t value) { WriteInteger(value); return *this; }
CArchive& CArchive::operator<<(DWORD value) { WriteInteger(value); return *this; }
CArchive& CArchive::operator<<(int32_t value) { WriteInteger(value); return *this; }
CArchive& CArchive::operator>>(BYTE& value) { value = ReadInteger<BYTE>(); return *this; }
CArchive& CArchive::operator>>(char& value) { value = ReadInteger<char>(); return *this; }
CArchive& CArchive::operator>>(WORD& value) { value = ReadInteger<WORD>(); return *this; }
CArchive& CArchive::operator>>(int16_t& value) { value = ReadInteger<int16_t>(); return *this; }
CArchive& CArchive::operator>>(DWORD& value) { value = ReadInteger<DWORD>(); return *this; }
CArchive& CArchive::operator>>(int32_t& value) { value = ReadInteger<int32_t>(); return *this; }

void CArchive::WriteCount(DWORD count)
{
    if (count < kBigCount) {
        *this << static_cast<WORD>(count);
    } else {
        *this << kBigCount;
        *this << count;
    }
}

DWORD CArchive::ReadCount()
{
    const WORD count = ReadInteger<WORD>();
    return count == kBigCount ? ReadInteger<DWORD>() : count;
}

void CArchive::WriteBlock(const void* data, uint32_t size)
{
    *this << static_cast<DWORD>(size);
    Write(data, size);
}

void CArchive::ReadBlock(void* data, uint32_t size)
{
    if (ReadInteger<DWORD>() != size)
        ThrowException(CArchiveException::genericException);
    ReadExact(data, size);
}

void CArchive::ReserveMapIndex()
{
    const size_t count = m_loading ? m_loadMap.size() : m_mapCount;
    if (count >= kMaxMapCount)
        ThrowException(CArchiveException::badIndex);
}

void CArchive::WriteClass(const CRuntimeClass* runtimeClass)
{
    const std::string_view name = runtimeClass->m_lpszClassName;
    if (runtimeClass->m_wSchema == kNotSerializableSchema || name.size() > kMaxClassName)
        ThrowException(CArchiveException::badClass);
    const auto it = m_storeMap.find(runtimeClass);
    if (it != m_storeMap.end()) {
        if (it->second < kBigObjectTag) {
            *this << static_cast<WORD>(kClassTag | it->second);
        } else {
            *this << kBigObjectTag;
            *this << (kBigClassTag | it->second);
        }
        return;
    }
    *this << kNewClassTag;
    *this << static_cast<WORD>(runtimeClass->m_wSchema);
    *this << static_cast<WORD>(name.size());
    Write(name.data(), name.size());
    ReserveMapIndex();
    m_storeMap.emplace(runtimeClass, m_mapCount++);
}

void CArchive::WriteObject(const CObject* object)
{
    CheckUsable(true);
    if (!object) {
        *this << kNullTag;
        return;
    }
    const auto it = m_storeMap.find(object);
    if (it != m_storeMap.end()) {
        if (it->second < kBigObjectTag) {
            *this << static_cast<WORD>(it->second);
        } else {
            *this << kBigObjectTag;
            *this << it->second;
        }
        return;
    }
    WriteClass(object->GetRuntimeClass());
    ReserveMapIndex();
    m_storeMap.emplace(object, m_mapCount++);
    // Storing reads the object and changes nothing in it.
    const_cast<CObject*>(object)->Serialize(*this);
}

const CRuntimeClass* CArchive::ReadNewClass()
{
    const WORD schema = ReadInteger<WORD>();
    const WORD length = ReadInteger<WORD>();
    if (length > kMaxClassName)
        ThrowException(CArchiveException::badClass);
    char name[kMaxClassName];
    ReadExact(name, length);
    const CRuntimeClass* runtimeClass = m_registry->Find(std::string_view(name, length));
    if (!runtimeClass)
        ThrowException(CArchiveException::badClass);
    if (runtimeClass->m_wSchema != schema)
        ThrowException(CArchiveException::badSchema);
    ReserveMapIndex();
    m_loadMap.push_back({Entry::Class, runtimeClass});
    return runtimeClass;
}

const CRuntimeClass* CArchive::ReadTag(const CRuntimeClass* requested, DWORD* objectIndex)
{
    const WORD tag = ReadInteger<WORD>();
    const CRuntimeClass* runtimeClass = nullptr;
    if (tag == kNewClassTag) {
        runtimeClass = ReadNewClass();
    } else {
        const DWORD index = tag == kBigObjectTag
                                ? ReadInteger<DWORD>()
                                : (static_cast<DWORD>(tag & kClassTag) << 16) | (tag & ~kClassTag);
        if (!(index & kBigClassTag)) {
            *objectIndex = index;
            return nullptr;
        }
        const DWORD classIndex = index & ~kBigClassTag;
        if (classIndex >= m_loadMap.size() || m_loadMap[classIndex].kind != Entry::Class)
            ThrowException(CArchiveException::badIndex);
        runtimeClass = static_cast<const CRuntimeClass*>(m_loadMap[classIndex].pointer);
    }
    if (requested && !runtimeClass->IsDerivedFrom(requested))
        ThrowException(CArchiveException::badClass);
    return runtimeClass;
}

CArchive::ObjectReference CArchive::ReadObjectReference(const CRuntimeClass* requested)
{
    return ReadReference(requested, true);
}

CArchive::ObjectReference CArchive::ReadReference(const CRuntimeClass* requested, bool allowExisting)
{
    CheckUsable(false);
    ObjectReference result;
    DWORD objectIndex = 0;
    const CRuntimeClass* runtimeClass = ReadTag(requested, &objectIndex);
    if (!runtimeClass) {
        if (objectIndex == 0)
            return result;
        // The object itself is not touched: a new object read earlier may be gone already.
        if (!allowExisting || objectIndex >= m_loadMap.size() || m_loadMap[objectIndex].kind != Entry::Object)
            ThrowException(CArchiveException::badIndex);
        const LoadEntry& entry = m_loadMap[objectIndex];
        if (requested && !entry.objectClass->IsDerivedFrom(requested))
            ThrowException(CArchiveException::badClass);
        result.existing = static_cast<CObject*>(const_cast<void*>(entry.pointer));
        return result;
    }
    if (m_loadDepth >= kMaxLoadDepth)
        ThrowException(CArchiveException::genericException);
    result.created = runtimeClass->CreateObject();
    ReserveMapIndex();
    const size_t slot = m_loadMap.size();
    m_loadMap.push_back({Entry::Object, result.created.get(), runtimeClass});
    ++m_loadDepth;
    try {
        result.created->Serialize(*this);
    } catch (...) {
        // The object is deleted on the way out; nothing may reach it through the map.
        m_loadMap[slot].kind = Entry::Dead;
        --m_loadDepth;
        m_broken = true;
        throw;
    }
    --m_loadDepth;
    return result;
}

std::unique_ptr<CObject> CArchive::ReadNewObject(const CRuntimeClass* requested)
{
    return std::move(ReadReference(requested, false).created);
}

void CArchive::WriteObjectList(std::span<const CObject* const> objects)
{
    if (objects.size() > std::numeric_limits<DWORD>::max())
        ThrowException(CArchiveException::genericException);
    WriteCount(static_cast<DWORD>(objects.size()));
    for (const CObject* object : objects)
        WriteObject(object);
}

std::vector<std::unique_ptr<CObject>> CArchive::ReadNewObjectList(const CRuntimeClass* requested)
{
    const DWORD count = ReadCount();
    std::vector<std::unique_ptr<CObject>> objects;
    for (DWORD i = 0; i < count; ++i)
        objects.push_back(ReadNewObject(requested));
    return objects;
}
