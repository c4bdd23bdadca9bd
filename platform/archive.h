// The framework object model that documents stream through: CObject with its runtime class
// record, the per-program registry that finds classes by name, and CArchive, which writes and
// reads the framework's byte format (little-endian integers, object and class tags, counts).
//
// Object tags as they stand in the stream:
//   0x0000                      null reference
//   0xFFFF schema len name      first object of a class: 16-bit schema, 16-bit name length, ASCII name
//   0x8000 | index              object of a class already seen (index < 0x7FFF)
//   index                       object already seen (index < 0x7FFF)
//   0x7FFF dword                an index of 0x7FFF or more; 0x80000000 is set in the dword for a class
// Classes and objects share one index space that counts from 1 in order of first appearance.
// Counts: a 16-bit count, or 0xFFFF followed by a 32-bit count when the count is 0xFFFF or more.
#pragma once

#include "platform/win_types.h"

#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <vector>

class CArchive;
class CFile;
class COleDocument;
class CObject;

// What the archive knows of a class: its name, its schema and how to make an empty object.
struct CRuntimeClass {
    const char* m_lpszClassName;
    UINT m_wSchema;                      // 0xFFFF: the class cannot be streamed
    CObject* (*m_pfnCreateObject)();     // null: the class cannot be created by name
    const CRuntimeClass* m_pBaseClass;   // null only for CObject

    // A new object of the class, or null when the class cannot be created by name.
    std::unique_ptr<CObject> CreateObject() const;
    // True when this class is base or derives from it.
    bool IsDerivedFrom(const CRuntimeClass* base) const;
};

constexpr UINT kNotSerializableSchema = 0xFFFF;

// Runtime class declarations inside a class body, and their definitions in its source file.
// DYNAMIC gives the class a runtime class, DYNCREATE makes it creatable by name, SERIAL also gives
// it a schema so that the archive can write and read it.
#define DECLARE_DYNAMIC(class_name)                                                        \
public:                                                                                    \
    static const CRuntimeClass class##class_name;                                          \
    static const CRuntimeClass* GetThisClass() { return &class##class_name; }              \
    const CRuntimeClass* GetRuntimeClass() const override { return &class##class_name; }

#define DECLARE_DYNCREATE(class_name) \
    DECLARE_DYNAMIC(class_name)       \
    static CObject* CreateObject();

#define DECLARE_SERIAL(class_name) DECLARE_DYNCREATE(class_name)

#define QN_IMPLEMENT_RUNTIMECLASS(class_name, base_class, schema, create) \
    const CRuntimeClass class_name::class##class_name = {                 \
        #class_name, schema, create, &base_class::class##base_class};

#define IMPLEMENT_DYNAMIC(class_name, base_class) \
    QN_IMPLEMENT_RUNTIMECLASS(class_name, base_class, kNotSerializableSchema, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class)                 \
    CObject* class_name::CreateObject() { return new class_name; } \
    QN_IMPLEMENT_RUNTIMECLASS(class_name, base_class, kNotSerializableSchema, class_name::CreateObject)

#define IMPLEMENT_SERIAL(class_name, base_class, schema)            \
    CObject* class_name::CreateObject() { return new class_name; } \
    QN_IMPLEMENT_RUNTIMECLASS(class_name, base_class, schema, class_name::CreateObject)

#define RUNTIME_CLASS(class_name) (class_name::GetThisClass())

// The root of every streamable object.
class CObject {
public:
    virtual ~CObject() = default;

    virtual const CRuntimeClass* GetRuntimeClass() const { return &classCObject; }
    // Writes the object's fields when the archive is storing, reads them otherwise.
    virtual void Serialize(CArchive& ar);

    bool IsKindOf(const CRuntimeClass* runtimeClass) const;
    bool IsSerializable() const { return GetRuntimeClass()->m_wSchema != kNotSerializableSchema; }

    static const CRuntimeClass classCObject;
    static const CRuntimeClass* GetThisClass() { return &classCObject; }

protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};

// The classes one program can read from an archive, by name. The editors share one code base
// but not one set of classes: each program fills its registry at start-up.
class CRuntimeClassRegistry {
public:
    // Adds a streamable class. False, and nothing added, when a different class has the same
    // name or the class cannot be created by name or streamed; adding the same class again is true.
    bool Add(const CRuntimeClass* runtimeClass);
    const CRuntimeClass* Find(std::string_view className) const;
    // The names of the classes added, in name order.
    std::vector<std::string> ClassNames() const;

private:
    std::map<std::string, const CRuntimeClass*, std::less<>> m_classes;
};

// The registry of the running program, used by archives that are given none.
CRuntimeClassRegistry& ProgramClassRegistry();

class CArchiveException : public std::runtime_error {
public:
    enum Cause {
        none = 0,
        genericException,  // malformed data
        readOnly,          // writing to an archive that loads
        endOfFile,         // the data ends before the item
        writeOnly,         // reading from an archive that stores
        badIndex,          // an object or class index that is not in the archive's map
        badClass,          // an unknown class, or a class other than the one expected
        badSchema,         // a stored schema other than the class's
    };

    explicit CArchiveException(Cause cause);

    Cause m_cause;
};

// Writes or reads the framework's byte format over a file. Unbuffered: every write reaches the
// file at once. After it has raised an exception an archive raises genericException
// for anything further, so nothing is read through half-built object maps.
class CArchive {
public:
    enum Mode { store = 0, load = 1 };

    // Classes are looked up in registry, or in the program's registry when it is null.
    CArchive(CFile* file, UINT mode, const CRuntimeClassRegistry* registry = nullptr);
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    bool IsLoading() const { return m_loading; }
    bool IsStoring() const { return !m_loading; }
    CFile* GetFile() const { return m_file; }
    // Flushes the file; the archive is not used afterwards.
    void Close();
    void Flush();

    // Raw bytes. Read returns how many bytes it read (fewer at the end of the file);
    // ReadExact raises endOfFile and reads nothing when fewer than count bytes are left.
    void Write(const void* buffer, size_t count);
    UINT Read(void* buffer, UINT count);
    void ReadExact(void* buffer, size_t count);
    // Bytes between the file's position and its end.
    uint64_t BytesLeft() const;
    // Raises endOfFile when fewer than count bytes are left; for checking a stored length
    // before anything is allocated for it.
    void CheckAvailable(uint64_t count);

    // Little-endian integers.
    CArchive& operator<<(BYTE value);
    CArchive& operator<<(char value);
    CArchive& operator<<(WORD value);
    CArchive& operator<<(int16_t value);
    CArchive& operator<<(DWORD value);
    CArchive& operator<<(int32_t value);
    CArchive& operator>>(BYTE& value);
    CArchive& operator>>(char& value);
    CArchive& operator>>(WORD& value);
    CArchive& operator>>(int16_t& value);
    CArchive& operator>>(DWORD& value);
    CArchive& operator>>(int32_t& value);

    // Counts of collections.
    void WriteCount(DWORD count);
    DWORD ReadCount();

    // A block: a 32-bit byte count, then that many raw bytes. ReadBlock raises genericException
    // when the stored count is not size, and leaves the destination untouched on any failure.
    void WriteBlock(const void* data, uint32_t size);
    void ReadBlock(void* data, uint32_t size);
    // The image of a record kept as raw bytes in the stream.
    template <typename Record>
    void WriteRecord(const Record& record)
    {
        static_assert(std::is_trivially_copyable_v<Record>);
        WriteBlock(&record, sizeof(Record));
    }
    template <typename Record>
    void ReadRecord(Record& record)
    {
        static_assert(std::is_trivially_copyable_v<Record>);
        ReadBlock(&record, sizeof(Record));
    }

    // Writes an object reference: the null tag, a back reference to an object already written,
    // or the class tag followed by the object's own Serialize.
    void WriteObject(const CObject* object);

    // One object reference as read. A new object belongs to the caller; a back reference points
    // at an object read earlier from this archive, which belongs to whoever took it then.
    struct ObjectReference {
        std::unique_ptr<CObject> created;
        CObject* existing = nullptr;
    };
    // Reads an object reference whose class must be requested or derive from it (any class when
    // requested is null). A class not in the registry, of another kind or of another schema
    // raises badClass or badSchema; an index that is not in the map raises badIndex.
    ObjectReference ReadObjectReference(const CRuntimeClass* requested);
    // Reads a reference that must be null or a new object; a back reference raises badIndex,
    // so that an object is never owned twice.
    std::unique_ptr<CObject> ReadNewObject(const CRuntimeClass* requested);
    template <typename T>
    std::unique_ptr<T> ReadNewObject()
    {
        std::unique_ptr<CObject> object = ReadNewObject(RUNTIME_CLASS(T));
        return std::unique_ptr<T>(static_cast<T*>(object.release()));
    }

    // The framework's object list: a count, then that many object references in order.
    void WriteObjectList(std::span<const CObject* const> objects);
    // Reads an object list whose entries must be new objects of requested (nulls are kept).
    std::vector<std::unique_ptr<CObject>> ReadNewObjectList(const CRuntimeClass* requested);

    // Deepest nesting of objects that a load accepts; deeper data is malformed.
    static constexpr int kMaxLoadDepth = 512;

    [[noreturn]] void ThrowException(CArchiveException::Cause cause);

    // The document that embedded objects read from this archive belong to; null for none.
    COleDocument* m_pDocument = nullptr;

private:
    enum class Entry { Class, Object, Dead };
    // A class read, or an object read with its class, so that a back reference is checked
    // without touching an object that its owner may have deleted since.
    struct LoadEntry {
        Entry kind;
        const void* pointer;
        const CRuntimeClass* objectClass = nullptr;
    };

    void CheckUsable(bool storing) const;
    void WriteClass(const CRuntimeClass* runtimeClass);
    void ReserveMapIndex();
    template <typename T>
    void WriteInteger(T value);
    template <typename T>
    T ReadInteger();
    // Reads a tag; returns the class of a new object, or null with *objectIndex set.
    const CRuntimeClass* ReadTag(const CRuntimeClass* requested, DWORD* objectIndex);
    const CRuntimeClass* ReadNewClass();
    ObjectReference ReadReference(const CRuntimeClass* requested, bool allowExisting);

    CFile* m_file;
    bool m_loading;
    bool m_broken = false;  // an exception was raised, or the archive was closed
    const CRuntimeClassRegistry* m_registry;
    DWORD m_mapCount = 1;  // index 0 is the null reference
    std::unordered_map<const void*, DWORD> m_storeMap;
    std::vector<LoadEntry> m_loadMap;
    int m_loadDepth = 0;
};
