#include "base/property_records.h"

#include "base/length_units.h"
#include "platform/codepage.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <mutex>
#include <unordered_map>

std::string_view FaceNameView(const char (&face)[LF_FACESIZE])
{
    const void* zero = std::memchr(face, 0, LF_FACESIZE);
    return std::string_view(face, zero ? static_cast<const char*>(zero) - face : LF_FACESIZE);
}

void CopyFaceName(char (&face)[LF_FACESIZE], std::string_view source)
{
    source = source.substr(0, source.find('\0'));
    char cut[LF_FACESIZE] = {};
    size_t length = 0;
    // Every character node copies faces several times: the lead-byte test is made here, in line.
    const size_t limit = std::min(source.size(), static_cast<size_t>(LF_FACESIZE - 1));
    while (length < limit) {
        const auto byte = static_cast<unsigned char>(source[length]);
        const size_t width = (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC) ? 2 : 1;
        // A character that does not fit, or a lead byte without its trail byte, ends the name.
        if (length + width > limit)
            break;
        length += width;
    }
    std::memcpy(cut, source.data(), length);
    std::memcpy(face, cut, LF_FACESIZE);
}

void CFontProperties::SetDefaults()
{
    CopyFaceName(m_fontFace, kMsPMinchoFace);
    m_fontSize = PointsToHmm(10, 5);
    m_fontWidth = 0;
    m_fontItalic = 0;
    m_fontWeight = FW_NORMAL;
}

CFontProperties& CFontProperties::Copy(const CFontProperties& other)
{
    CopyFaceName(m_fontFace, FaceNameView(other.m_fontFace));
    m_fontSize = other.m_fontSize;
    m_fontWidth = other.m_fontWidth;
    m_fontItalic = other.m_fontItalic;
    m_fontWeight = other.m_fontWeight;
    return *this;
}

CColorRelatedProperties& CColorRelatedProperties::Copy(const CColorRelatedProperties& other)
{
    m_color = other.m_color;
    return *this;
}

void CBorderPaddingBackgroundProperties::SetDefaults()
{
    m_backgroundColor = 0xFFFFFF;
    m_backgroundPattern = HatchPattern::kNone;
    m_borderStyle = LineStyle::kNone;
    m_borderWidth = 1;
    m_beforeStyle = LineStyle::kNone;
    m_beforeWidth = 1;
    m_afterStyle = LineStyle::kNone;
    m_afterWidth = 1;
}

CBorderPaddingBackgroundProperties& CBorderPaddingBackgroundProperties::Copy(
    const CBorderPaddingBackgroundProperties& other)
{
    *this = other;
    return *this;
}

CAreaDimensionProperties& CAreaDimensionProperties::Copy(const CAreaDimensionProperties& other)
{
    *this = other;
    return *this;
}

void CBlockLineRelatedProperties::SetDefaults()
{
    m_lineReserved1 = 0;
    m_lineSpacing = MulDiv(2, 2540, 72);
    m_lineReserved2 = 0;
    m_textAlign = TextAlign::kLeft;
}

CBlockLineRelatedProperties& CBlockLineRelatedProperties::Copy(const CBlockLineRelatedProperties& other)
{
    *this = other;
    return *this;
}

CCharacterProperties& CCharacterProperties::Copy(const CCharacterProperties& other)
{
    *this = other;
    return *this;
}

CAreaAlignmentProperties& CAreaAlignmentProperties::Copy(const CAreaAlignmentProperties& other)
{
    *this = other;
    return *this;
}

void CKasenRenbanProperties::SetDefaults()
{
    m_renbanForce = -1;
    m_renbanType = RenbanType::kNone;
    CopyFaceName(m_renbanFace, kMsPMinchoFace);
    m_renbanSize = MulDiv(5, 2540, 72);
    m_renbanString.Empty();
    m_unreadableRenbanSizeText.Empty();
    m_sizeBesideUnreadableText = 0;
}

CKasenRenbanProperties& CKasenRenbanProperties::Copy(const CKasenRenbanProperties& other)
{
    m_renbanForce = other.m_renbanForce;
    m_renbanType = other.m_renbanType;
    CopyFaceName(m_renbanFace, FaceNameView(other.m_renbanFace));
    m_renbanSize = other.m_renbanSize;
    m_renbanString = other.m_renbanString;
    m_unreadableRenbanSizeText = other.m_unreadableRenbanSizeText;
    m_sizeBesideUnreadableText = other.m_sizeBesideUnreadableText;
    return *this;
}

bool CKasenRenbanProperties::SameAs(const CKasenRenbanProperties& other) const
{
    return m_renbanForce == other.m_renbanForce && m_renbanType == other.m_renbanType &&
           std::memcmp(m_renbanFace, other.m_renbanFace, LF_FACESIZE) == 0 && m_renbanSize == other.m_renbanSize &&
           m_renbanString == other.m_renbanString &&
           m_unreadableRenbanSizeText.Text() == other.m_unreadableRenbanSizeText.Text() &&
           m_sizeBesideUnreadableText == other.m_sizeBesideUnreadableText;
}

CKasenRenbanProperties& CNodeNumbering::EditNumbering()
{
    if (m_own == nullptr)
        m_own = std::make_unique<CKasenRenbanProperties>(NumberingDefaults());
    return *m_own;
}

void CNodeNumbering::SetNumbering(const CKasenRenbanProperties& record)
{
    if (record.SameAs(NumberingDefaults()))
        m_own.reset();
    else if (m_own != nullptr)
        *m_own = record;
    else
        m_own = std::make_unique<CKasenRenbanProperties>(record);
}

void CNodeNumbering::CopyNumbering(const CKasenRenbanProperties& record)
{
    if (record.SameAs(NumberingDefaults())) {
        m_own.reset();
        return;
    }
    CKasenRenbanProperties copy;
    copy.Copy(record);
    SetNumbering(copy);
}

const CKasenRenbanProperties& CNodeNumbering::NumberingDefaults()
{
    static const CKasenRenbanProperties defaults;
    return defaults;
}

void HAITEN_INFO::SetDefaults()
{
    style = 1;
    reserved = 0;
    p1 = 0;
    p2 = 0;
    p3 = 0;
    visibility = 0;
    fence = u"（";
}

HAITEN_INFO& HAITEN_INFO::Copy(const HAITEN_INFO& other)
{
    *this = other;
    return *this;
}

namespace {

// The shared records live outside the operator new heap, as the node pool's blocks do: they are
// the process's, not any paper's or command's, and stay when a command fails.
template <class T>
struct MallocAllocator {
    using value_type = T;
    MallocAllocator() = default;
    template <class U>
    MallocAllocator(const MallocAllocator<U>&) noexcept {}
    T* allocate(std::size_t count)
    {
        if (void* block = std::malloc(count * sizeof(T)))
            return static_cast<T*>(block);
        throw std::bad_alloc();
    }
    void deallocate(T* block, std::size_t) noexcept { std::free(block); }
    template <class U>
    bool operator==(const MallocAllocator<U>&) const noexcept { return true; }
};

}  // namespace

template <class Record>
const Record& SharedRecordOf(const Record& value)
{
    static_assert(std::is_trivially_copyable_v<Record> && std::has_unique_object_representations_v<Record>);
    // Keyed by the bytes of the record each entry points at. Never destroyed: nodes of static
    // objects may be dropped after every other static is gone.
    using Key = std::string_view;
    struct Table {
        std::mutex lock;
        std::unordered_map<Key, const Record*, std::hash<Key>, std::equal_to<Key>,
                           MallocAllocator<std::pair<const Key, const Record*>>>
            records;
    };
    static Table* table = new (MallocAllocator<Table>().allocate(1)) Table;
    const Key key(reinterpret_cast<const char*>(&value), sizeof(Record));
    std::lock_guard<std::mutex> guard(table->lock);
    if (const auto found = table->records.find(key); found != table->records.end())
        return *found->second;
    MallocAllocator<Record> records;
    Record* shared = new (records.allocate(1)) Record(value);
    try {
        table->records.emplace(Key(reinterpret_cast<const char*>(shared), sizeof(Record)), shared);
    } catch (...) {
        records.deallocate(shared, 1);
        throw;
    }
    return *shared;
}

template const CFontProperties& SharedRecordOf(const CFontProperties&);
template const CBorderPaddingBackgroundProperties& SharedRecordOf(const CBorderPaddingBackgroundProperties&);
template const CCharacterProperties& SharedRecordOf(const CCharacterProperties&);
