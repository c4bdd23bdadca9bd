#include "nodes/edit_node.h"

#include "base/default_fonts.h"
#include "base/element_classes.h"
#include "nodes/node_pool.h"

#include <array>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <typeinfo>
#include <unordered_map>

// ---------------------------------------------------------------------------------------------
// CSharedMetrics

namespace {

// The metrics records met so far, record 0 of zeros first; a deque keeps every record where it
// is as the table grows.
class CMetricsTable {
public:
    using KEY = std::array<char, 53>;

    CMetricsTable()
    {
        m_records.emplace_back();
        m_numbers.emplace(m_lastKey, 0);
    }

    const TEXTMETRICA& At(uint32_t index)
    {
        const std::lock_guard<std::mutex> hold(m_lock);
        return index < m_records.size() ? m_records[index] : m_records.front();
    }

    uint32_t Intern(const TEXTMETRICA& metrics)
    {
        const KEY key = KeyOf(metrics);
        const std::lock_guard<std::mutex> hold(m_lock);
        if (key == m_lastKey)
            return m_lastIndex;
        auto [it, added] = m_numbers.try_emplace(key, static_cast<uint32_t>(m_records.size()));
        if (added) {
            // Stored from its fields, so that the bytes between them are zero.
            TEXTMETRICA& record = m_records.emplace_back();
            FromKey(key, &record);
        }
        m_lastKey = key;
        m_lastIndex = it->second;
        return it->second;
    }

private:
    struct KEY_HASH {
        size_t operator()(const KEY& key) const { return std::hash<std::string_view>()(std::string_view(key.data(), key.size())); }
    };

    // Eleven ints and nine bytes: the record without its padding.
    static KEY KeyOf(const TEXTMETRICA& t)
    {
        KEY key{};
        char* at = key.data();
        for (LONG v : {t.tmHeight, t.tmAscent, t.tmDescent, t.tmInternalLeading, t.tmExternalLeading,
                       t.tmAveCharWidth, t.tmMaxCharWidth, t.tmWeight, t.tmOverhang, t.tmDigitizedAspectX,
                       t.tmDigitizedAspectY}) {
            const int32_t value = static_cast<int32_t>(v);
            std::memcpy(at, &value, sizeof value);
            at += sizeof value;
        }
        for (BYTE b : {t.tmFirstChar, t.tmLastChar, t.tmDefaultChar, t.tmBreakChar, t.tmItalic, t.tmUnderlined,
                       t.tmStruckOut, t.tmPitchAndFamily, t.tmCharSet})
            *at++ = static_cast<char>(b);
        return key;
    }

    static void FromKey(const KEY& key, TEXTMETRICA* t)
    {
        const char* at = key.data();
        for (LONG* v : {&t->tmHeight, &t->tmAscent, &t->tmDescent, &t->tmInternalLeading, &t->tmExternalLeading,
                        &t->tmAveCharWidth, &t->tmMaxCharWidth, &t->tmWeight, &t->tmOverhang,
                        &t->tmDigitizedAspectX, &t->tmDigitizedAspectY}) {
            int32_t value = 0;
            std::memcpy(&value, at, sizeof value);
            *v = value;
            at += sizeof value;
        }
        for (BYTE* b : {&t->tmFirstChar, &t->tmLastChar, &t->tmDefaultChar, &t->tmBreakChar, &t->tmItalic,
                        &t->tmUnderlined, &t->tmStruckOut, &t->tmPitchAndFamily, &t->tmCharSet})
            *b = static_cast<BYTE>(*at++);
    }

    std::mutex m_lock;
    std::deque<TEXTMETRICA> m_records;
    std::unordered_map<KEY, uint32_t, KEY_HASH> m_numbers;
    KEY m_lastKey{};
    uint32_t m_lastIndex = 0;
};

CMetricsTable& MetricsTable()
{
    static CMetricsTable table;
    return table;
}

}  // namespace

const TEXTMETRICA& CSharedMetrics::Get() const
{
    return MetricsTable().At(m_index);
}

CSharedMetrics& CSharedMetrics::operator=(const TEXTMETRICA& metrics)
{
    m_index = MetricsTable().Intern(metrics);
    return *this;
}

// ---------------------------------------------------------------------------------------------
// CEditProperties

CEditProperties::CEditProperties()
{
    std::memset(static_cast<void*>(this), 0, sizeof(CEditProperties));
    Reset();
}

void CEditProperties::Reset()
{
    const POINT text = m_ptText;
    int32_t extra[2] = {m_extra[0], m_extra[1]};
    const RECT hit = m_rcHit;
    std::memset(static_cast<void*>(this), 0, sizeof(CEditProperties));
    m_ptText = text;
    m_extra[0] = extra[0];
    m_extra[1] = extra[1];
    m_rcHit = hit;
    m_dirty = 1;
    m_caretStop = 1;
    m_page = 1;
    CDefaultFontTable::Instance().GetDefaultFont(&m_lf, 0);
}

// ---------------------------------------------------------------------------------------------
// CEditNode

IMPLEMENT_SERIAL(CEditNode, CQNXMLNode, 1)

CEditNode::CEditNode() : CQNXMLNode(0)
{
    MarkEditNode();
}

CEditNode::CEditNode(EDIT_NODE_KIND kind) : CQNXMLNode(kind)
{
    MarkEditNode();
}

void CEditNode::ChildrenChanged()
{
    MarkDirty();
}

void CEditNode::MarkDirty()
{
    m_dirty = 1;
    for (CEditNode* node = GetEditParent(); node != nullptr && !node->m_dirtyBelow; node = node->GetEditParent())
        node->m_dirtyBelow = true;
}

CEditNode::~CEditNode() = default;

#if defined(__SANITIZE_ADDRESS__)
#define QN_NODES_ON_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QN_NODES_ON_HEAP 1
#endif
#endif

void* CEditNode::operator new(std::size_t size)
{
#ifdef QN_NODES_ON_HEAP
    return ::operator new(size);
#else
    return NodePool::Allocate(size);
#endif
}

void CEditNode::operator delete(void* node, std::size_t size) noexcept
{
#ifdef QN_NODES_ON_HEAP
    (void)size;  // the unsized form: clang declares the sized one only with -fsized-deallocation
    ::operator delete(node);
#else
    NodePool::Release(node, size);
#endif
}


CEditNode* CEditNode::GetEditParent() const
{
    return FromNode(GetParent());
}

CEditNode* CEditNode::HitTest(int x, int y, int* after)
{
    if (x < m_rcHit.left || x >= m_rcHit.right || y < m_rcHit.top || y >= m_rcHit.bottom)
        return nullptr;
    if (after != nullptr)
        *after = x > (m_rcHit.left + m_rcHit.right) / 2 ? 1 : 0;
    return this;
}

CEditNode* CEditNode::HitTestChildren(int x, int y, int* after)
{
    for (int i = 0; i < GetChildCount(); ++i) {
        CEditNode* child = GetEditChild(i);
        if (child == nullptr)
            continue;
        if (CEditNode* hit = child->HitTest(x, y, after))
            return hit;
    }
    return nullptr;
}

void CEditNode::Measure(CDC*, CDisplayMap*, LAYOUT_CONTEXT*) {}

void CEditNode::Layout(LAYOUT_CONTEXT*, int) {}

bool CEditNode::MoveBy(int, int)
{
    return false;
}

void CEditNode::Draw(CDC*, CDisplayMap*, LAYOUT_CONTEXT*) {}

int CEditNode::CountLineBreaks()
{
    int count = 0;
    for (int i = 0; i < GetChildCount(); ++i) {
        const CEditNode* child = GetEditChild(i);
        if (IsLineBreak(child))
            ++count;
    }
    return count;
}

CEditNode* CEditNode::PrevLineBreak()
{
    for (CQNXMLNode* node = GetPrevSibling(); node != nullptr; node = node->GetPrevSibling()) {
        CEditNode* sibling = FromNode(node);
        if (IsLineBreak(sibling))
            return sibling;
    }
    return nullptr;
}

CEditNode* CEditNode::NextLineBreak()
{
    for (CQNXMLNode* node = GetNextSibling(); node != nullptr; node = node->GetNextSibling()) {
        CEditNode* sibling = FromNode(node);
        if (IsLineBreak(sibling))
            return sibling;
    }
    return nullptr;
}

bool CEditNode::IsVisible() const
{
    for (const CQNXMLNode* node = this; node != nullptr; node = node->GetParent()) {
        const CEditNode* edit = FromNode(node);
        if (edit != nullptr && edit->m_hidden != 0)
            return false;
    }
    return true;
}

CEditNode* CEditNode::GetRoot()
{
    return FromNode(CQNXMLNode::GetRoot());
}

void CEditNode::MarkPartModified(int value)
{
    CEditNode* part = FromNode(FindAncestorOfType(EditKind::Code(EditKind::kSentence), 1));
    if (part != nullptr)
        part->m_modified = value;
}

void CEditNode::SetCaretStopRecursive(int value)
{
    m_caretStop = value;
    for (int i = 0; i < GetChildCount(); ++i) {
        if (CEditNode* child = GetEditChild(i))
            child->SetCaretStopRecursive(value);
    }
}

bool CEditNode::HasDirtySubtree() const
{
    if (m_dirty != 0)
        return true;
    for (int i = 0; i < GetChildCount(); ++i) {
        const CEditNode* child = FromNode(GetChildAt(i));
        if (child != nullptr && child->HasDirtySubtree())
            return true;
    }
    return false;
}

void CEditNode::SetDirtyRecursive(int value)
{
    if (value != 0)
        MarkDirty();
    m_dirty = value;
    for (int i = 0; i < GetChildCount(); ++i) {
        if (CEditNode* child = GetEditChild(i))
            child->SetDirtyRecursive(value);
    }
}

int CEditNode::SetText(const CStringW& text)
{
    const int blank = CQNXMLNode::SetText(text);
    MarkDirty();
    return blank;
}

int CEditNode::SetText(const char16_t* text)
{
    return SetText(CStringW(text));
}

int CEditNode::SetText(char16_t unit)
{
    return SetText(CStringW(unit));
}

namespace {

bool SameFontAndDecoration(const CEditNode& a, const CEditNode& b)
{
    return a.m_lf.lfHeight == b.m_lf.lfHeight && a.m_lf.lfWidth == b.m_lf.lfWidth &&
           a.m_lf.lfWeight == b.m_lf.lfWeight && a.m_lf.lfItalic == b.m_lf.lfItalic &&
           FaceNameView(a.m_lf.lfFaceName) == FaceNameView(b.m_lf.lfFaceName) &&
           a.CharacterRecord().m_underlineWidth == b.CharacterRecord().m_underlineWidth && a.CharacterRecord().m_lineThroughWidth == b.CharacterRecord().m_lineThroughWidth &&
           a.CharacterRecord().m_underlineStyle == b.CharacterRecord().m_underlineStyle && a.CharacterRecord().m_lineThroughStyle == b.CharacterRecord().m_lineThroughStyle &&
           a.FontRecord().m_fontWidth == b.FontRecord().m_fontWidth && a.m_scriptPosition == b.m_scriptPosition &&
           a.m_color == b.m_color;
}

}  // namespace

bool CEditNode::SameFormat(const CEditNode* other) const
{
    return other != nullptr && SameFontAndDecoration(*this, *other) &&
           BorderRecord().m_backgroundColor == other->BorderRecord().m_backgroundColor &&
           BorderRecord().m_backgroundPattern == other->BorderRecord().m_backgroundPattern && BorderRecord().m_borderStyle == other->BorderRecord().m_borderStyle &&
           BorderRecord().m_borderWidth == other->BorderRecord().m_borderWidth && Numbering().m_renbanType == other->Numbering().m_renbanType;
}

bool CEditNode::SameRunStyle(const CEditNode* other) const
{
    return other != nullptr && SameFontAndDecoration(*this, *other);
}

void CEditNode::FontPropertiesToLogFont()
{
    // The face array may come from a stream without its terminator.
    const std::string face(FaceNameView(FontRecord().m_fontFace));
    SetFaceName(face.c_str(), nullptr);
    m_lf.lfHeight = -FontRecord().m_fontSize;
    m_lf.lfWeight = FontRecord().m_fontWeight;
    m_lf.lfItalic = FontRecord().m_fontItalic == 1 ? 1 : 0;
}

void CEditNode::CopyFontRecord(const CFontProperties& record)
{
    CFontProperties copy;
    copy.Copy(record);
    SetFontRecord(copy);
}

void CEditNode::LogFontToFontProperties()
{
    CopyFaceName(EditFontRecord()->m_fontFace, FaceNameView(m_lf.lfFaceName));
    EditFontRecord()->m_fontSize = -m_lf.lfHeight;
    EditFontRecord()->m_fontItalic = m_lf.lfItalic != 0 ? 1 : 0;
    EditFontRecord()->m_fontWeight = m_lf.lfWeight;
    if (m_lf.lfUnderline != 0) {
        EditCharacterRecord()->m_underlineStyle = LineStyle::kSolid;
        EditCharacterRecord()->m_underlineWidth = 1;
    }
    if (m_lf.lfStrikeOut != 0) {
        EditCharacterRecord()->m_lineThroughStyle = LineStyle::kSolid;
        EditCharacterRecord()->m_lineThroughWidth = 1;
    }
}

namespace {

// A record of an element object, when its class carries it.
template <typename Record>
Record* RecordOf(CQNXMLNode* element)
{
    return dynamic_cast<Record*>(element);
}

}  // namespace

std::vector<CEditNode*> CEditNode::GetEditChildren(int first, int last) const
{
    std::vector<CEditNode*> children;
    for (int i = first; i <= last; ++i)
        if (CEditNode* child = GetEditChild(i))
            children.push_back(child);
    return children;
}

void CEditNode::CopyCarriedRecords(CQNXMLNode* element)
{
    if (const auto* font = RecordOf<CFontProperties>(element))
        CopyFontRecord(*font);
    if (const auto* color = RecordOf<CColorRelatedProperties>(element))
        CColorRelatedProperties::Copy(*color);
    if (const auto* border = RecordOf<CBorderPaddingBackgroundProperties>(element))
        SetBorderRecord(*border);
    if (const auto* character = RecordOf<CCharacterProperties>(element))
        SetCharacterRecord(*character);
}

void CEditNode::CopyStyleFromElement(CQNXMLNode* element)
{
    if (element != nullptr && (element->m_typeCode == XEC_FO_BLOCK || element->m_typeCode == XEC_FO_INLINE)) {
        // The reader makes these elements as CFoBlock and CFoInline: their records are reached
        // without a run-time type search. Any other class is asked for the records it carries.
        if (typeid(*element) == typeid(CFoBlock)) {
            CopyCommonRecords(static_cast<const CFoBlock&>(*element));
        } else if (typeid(*element) == typeid(CFoInline)) {
            const auto& run = static_cast<const CFoInline&>(*element);
            CopyCommonRecords(run);
            CAreaAlignmentProperties::Copy(run);
            CopyNumbering(run);
        } else {
            CopyCarriedRecords(element);
            if (element->m_typeCode == XEC_FO_INLINE) {
                if (const auto* alignment = RecordOf<CAreaAlignmentProperties>(element))
                    CAreaAlignmentProperties::Copy(*alignment);
                if (const auto* numbering = RecordOf<CKasenRenbanProperties>(element))
                    CopyNumbering(*numbering);
            }
        }
        FontPropertiesToLogFont();
    }
    MarkDirty();
}

void CEditNode::CopyStyleToElement(CQNXMLNode* element)
{
    LogFontToFontProperties();
    if (element == nullptr)
        return;
    if (auto* font = RecordOf<CFontProperties>(element))
        font->Copy(FontRecord());
    if (auto* color = RecordOf<CColorRelatedProperties>(element))
        color->Copy(*this);
    if (auto* border = RecordOf<CBorderPaddingBackgroundProperties>(element))
        border->Copy(BorderRecord());
    if (auto* alignment = RecordOf<CAreaAlignmentProperties>(element))
        alignment->Copy(*this);
    if (auto* character = RecordOf<CCharacterProperties>(element))
        character->Copy(CharacterRecord());
    if (auto* numbering = RecordOf<CKasenRenbanProperties>(element))
        numbering->Copy(Numbering());
}
