#include "base/xml_node.h"

#include "platform/memory_file.h"

#include <algorithm>

IMPLEMENT_SERIAL(CQNXMLNode, CObject, 1)

namespace {

int BlankFlag(const CStringW& text)
{
    const std::u16string_view units = text.View();
    return std::all_of(units.begin(), units.end(), [](char16_t u) { return u == u' '; }) ? 1 : 0;
}

}  // namespace

CQNXMLNode::CQNXMLNode(int typeCode) : m_typeCode(typeCode) {}

const CQNXMLNode::ChildList& CQNXMLNode::Children() const
{
    static const ChildList none;
    return m_children != nullptr ? *m_children : none;
}

CQNXMLNode::ChildList& CQNXMLNode::MutableChildren()
{
    if (m_children == nullptr)
        m_children = std::make_unique<ChildList>();
    return *m_children;
}

CQNXMLNode::~CQNXMLNode()
{
    DeleteAllChildren();
    if (m_parent) {
        // Released, not deleted: this destructor is already running.
        const int index = m_parent->IndexOfChild(this);
        if (index >= 0) {
            ChildList& siblings = *m_parent->m_children;
            siblings[static_cast<size_t>(index)].release();
            siblings.erase(siblings.begin() + index);
            m_parent->RenumberChildren(static_cast<size_t>(index));
            m_parent->ChildrenChanged();
        }
    }
}

int CQNXMLNode::SetText(const CStringW& text)
{
    m_text = text;
    m_blank = BlankFlag(m_text);
    return m_blank;
}

int CQNXMLNode::SetText(const char16_t* text)
{
    return SetText(CStringW(text));
}

int CQNXMLNode::SetText(char16_t unit)
{
    return SetText(CStringW(unit));
}

void CQNXMLNode::GetSubtreeText(CStringW& out) const
{
    out.Empty();
    AppendSubtreeText(out);
}

void CQNXMLNode::AppendSubtreeText(CStringW& out) const
{
    if (m_typeCode == kLineBreakType) {
        out += u"\r\n";
    } else {
        out += m_text;
    }
    for (const auto& child : Children()) {
        if (child->m_typeCode == kLineBreakType)
            out += u"\r\n";
        else
            child->AppendSubtreeText(out);
    }
}

void CQNXMLNode::StoreAttribute(const CStringW& name, const CStringW& value)
{
    if (m_attributes == nullptr)
        m_attributes = std::make_unique<std::map<CStringW, CStringW>>();
    (*m_attributes)[name] = value;
}

const std::map<CStringW, CStringW>& CQNXMLNode::GetAttributes() const
{
    static const std::map<CStringW, CStringW> none;
    return m_attributes != nullptr ? *m_attributes : none;
}

int CQNXMLNode::GetIndexInParent() const
{
    return m_parent ? m_parent->IndexOfChild(this) : 0;
}

CQNXMLNode* CQNXMLNode::GetRoot()
{
    CQNXMLNode* node = this;
    while (node->m_parent)
        node = node->m_parent;
    return node;
}

CQNXMLNode* CQNXMLNode::FindAncestorOfType(int code, int includeSelf)
{
    for (CQNXMLNode* node = includeSelf ? this : m_parent; node; node = node->m_parent) {
        if (node->m_typeCode == code)
            return node;
    }
    return nullptr;
}

CQNXMLNode* CQNXMLNode::FindAncestorWithFlags(int mask, int includeSelf)
{
    for (CQNXMLNode* node = includeSelf ? this : m_parent; node; node = node->m_parent) {
        if (node->m_typeCode & mask)
            return node;
    }
    return nullptr;
}

int CQNXMLNode::IsChild(const CQNXMLNode* node) const
{
    return IndexOfChild(node) >= 0 ? 1 : 0;
}

int CQNXMLNode::IsAncestorOf(const CQNXMLNode* node) const
{
    // Every child's parent link names the list that holds it, so the parent chain answers.
    for (const CQNXMLNode* up = node ? node->m_parent : nullptr; up; up = up->m_parent) {
        if (up == this)
            return 1;
    }
    return 0;
}

int CQNXMLNode::IndexOfChild(const CQNXMLNode* node) const
{
    // Every child's parent link names the list that holds it, at the place it keeps.
    return node != nullptr && node->m_parent == this ? node->m_indexInParent : -1;
}

void CQNXMLNode::RenumberChildren(size_t from)
{
    const ChildList& children = Children();
    for (size_t i = from; i < children.size(); ++i)
        children[i]->m_indexInParent = static_cast<int>(i);
}

CQNXMLNode* CQNXMLNode::GetFirstChild() const
{
    return Children().empty() ? nullptr : Children().front().get();
}

CQNXMLNode* CQNXMLNode::GetLastChild() const
{
    return Children().empty() ? nullptr : Children().back().get();
}

CQNXMLNode* CQNXMLNode::GetNextSibling() const
{
    if (!m_parent)
        return nullptr;
    return m_parent->GetChildAt(m_indexInParent + 1);
}

CQNXMLNode* CQNXMLNode::GetPrevSibling() const
{
    if (!m_parent)
        return nullptr;
    return m_parent->GetChildAt(m_indexInParent - 1);
}

CQNXMLNode* CQNXMLNode::GetNextAtSameDepth() const
{
    if (CQNXMLNode* sibling = GetNextSibling())
        return sibling;
    const CQNXMLNode* parentSibling = m_parent ? m_parent->GetNextSibling() : nullptr;
    return parentSibling ? parentSibling->GetFirstChild() : nullptr;
}

CQNXMLNode* CQNXMLNode::GetPrevAtSameDepth() const
{
    if (CQNXMLNode* sibling = GetPrevSibling())
        return sibling;
    const CQNXMLNode* parentSibling = m_parent ? m_parent->GetPrevSibling() : nullptr;
    return parentSibling ? parentSibling->GetLastChild() : nullptr;
}

CQNXMLNode* CQNXMLNode::FindDescendantOfType(int code)
{
    if (m_typeCode == code)
        return this;
    for (const auto& child : Children()) {
        if (CQNXMLNode* found = child->FindDescendantOfType(code))
            return found;
    }
    return nullptr;
}

CQNXMLNode* CQNXMLNode::FindDescendantWithFlags(int mask)
{
    if (m_typeCode & mask)
        return this;
    for (const auto& child : Children()) {
        if (CQNXMLNode* found = child->FindDescendantWithFlags(mask))
            return found;
    }
    return nullptr;
}

bool CQNXMLNode::CanAdopt(const CQNXMLNode* node) const
{
    return node && node != this && !node->IsAncestorOf(this);
}

int CQNXMLNode::AppendChild(CQNXMLNode* node)
{
    return InsertChildAt(GetChildCount(), node);
}

int CQNXMLNode::InsertChildAt(int index, CQNXMLNode* node)
{
    if (!CanAdopt(node))
        return -1;
    // Room is made before anything changes, so a failed allocation leaves the tree as it was and
    // the node with the caller; the insertion itself then cannot fail.
    ChildList& children = MutableChildren();
    if (children.size() == children.capacity())
        children.reserve(std::max<size_t>(4, children.capacity() * 2));
    node->Detach();
    index = std::clamp(index, 0, GetChildCount());
    children.insert(children.begin() + index, std::unique_ptr<CQNXMLNode>(node));
    node->m_parent = this;
    RenumberChildren(static_cast<size_t>(index));
    ChildrenChanged();
    return index;
}

int CQNXMLNode::InsertBefore(CQNXMLNode* node)
{
    if (!m_parent || node == this || !m_parent->CanAdopt(node))
        return 0;
    // Taken out first, as it may stand before this node in the same list.
    node->Detach();
    m_parent->InsertChildAt(std::max(m_parent->IndexOfChild(this), 0), node);
    return 0;
}

void CQNXMLNode::RemoveChildren(int index, int count)
{
    const int64_t size = GetChildCount();
    const int first = static_cast<int>(std::clamp<int64_t>(index, 0, size));
    const int last = static_cast<int>(std::clamp<int64_t>(int64_t(index) + std::max(count, 0), first, size));
    if (last == first)
        return;
    ChildList& children = *m_children;
    for (int i = first; i < last; ++i) {
        children[static_cast<size_t>(i)]->m_parent = nullptr;
        children[static_cast<size_t>(i)].release();
    }
    children.erase(children.begin() + first, children.begin() + last);
    RenumberChildren(static_cast<size_t>(first));
    ChildrenChanged();
}

void CQNXMLNode::RemoveChild(CQNXMLNode* node)
{
    const int index = IndexOfChild(node);
    if (index >= 0)
        RemoveChildren(index, 1);
}

void CQNXMLNode::RemoveAllChildren()
{
    RemoveChildren(0, GetChildCount());
}

void CQNXMLNode::Detach()
{
    if (m_parent) {
        m_parent->RemoveChild(this);
        m_parent = nullptr;
    }
}

CQNXMLNode* CQNXMLNode::DetachAndDelete()
{
    Detach();
    delete this;
    return nullptr;
}

void CQNXMLNode::DeleteAllChildren()
{
    // The list is emptied first, so the children's destructors find no parent to leave.
    const std::unique_ptr<ChildList> children = std::move(m_children);
    if (children == nullptr)
        return;
    for (auto& child : *children)
        child->m_parent = nullptr;
    if (!children->empty())
        ChildrenChanged();
}

void CQNXMLNode::DeleteChildAt(int index)
{
    if (CQNXMLNode* child = GetChildAt(index))
        child->DetachAndDelete();
}

void CQNXMLNode::PropagateClass()
{
    for (const auto& child : Children()) {
        child->m_class = m_class;
        child->PropagateClass();
    }
}

void CQNXMLNode::CopyInto(CQNXMLNode* target) const
{
    if (!target || target->GetRuntimeClass() != GetRuntimeClass())
        return;
    CMemFile file;
    CArchive store(&file, CArchive::store);
    const_cast<CQNXMLNode*>(this)->Serialize(store);
    store.Close();
    file.SeekToBegin();
    CArchive load(&file, CArchive::load);
    target->Serialize(load);
}

int CQNXMLNode::SetText(CQNXMLNode* node, const CStringW& text) { return node ? node->SetText(text) : 0; }
int CQNXMLNode::SetText(CQNXMLNode* node, const char16_t* text) { return node ? node->SetText(text) : 0; }
int CQNXMLNode::SetText(CQNXMLNode* node, char16_t unit) { return node ? node->SetText(unit) : 0; }
int CQNXMLNode::GetIndexInParent(const CQNXMLNode* node) { return node ? node->GetIndexInParent() : -1; }
CQNXMLNode* CQNXMLNode::GetRoot(CQNXMLNode* node) { return node ? node->GetRoot() : nullptr; }

CQNXMLNode* CQNXMLNode::FindAncestorOfType(CQNXMLNode* node, int code, int includeSelf)
{
    return node ? node->FindAncestorOfType(code, includeSelf) : nullptr;
}

CQNXMLNode* CQNXMLNode::FindAncestorWithFlags(CQNXMLNode* node, int mask, int includeSelf)
{
    return node ? node->FindAncestorWithFlags(mask, includeSelf) : nullptr;
}

int CQNXMLNode::IsChild(const CQNXMLNode* parent, const CQNXMLNode* node) { return parent ? parent->IsChild(node) : 0; }

int CQNXMLNode::IsAncestorOf(const CQNXMLNode* ancestor, const CQNXMLNode* node)
{
    return ancestor ? ancestor->IsAncestorOf(node) : 0;
}

int CQNXMLNode::AppendChild(CQNXMLNode* parent, CQNXMLNode* node) { return parent ? parent->AppendChild(node) : -1; }

int CQNXMLNode::InsertChildAt(CQNXMLNode* parent, int index, CQNXMLNode* node)
{
    return parent ? parent->InsertChildAt(index, node) : -1;
}

void CQNXMLNode::RemoveChildren(CQNXMLNode* parent, int index, int count)
{
    if (parent)
        parent->RemoveChildren(index, count);
}

void CQNXMLNode::RemoveChild(CQNXMLNode* parent, CQNXMLNode* node)
{
    if (parent)
        parent->RemoveChild(node);
}

void CQNXMLNode::RemoveAllChildren(CQNXMLNode* parent)
{
    if (parent)
        parent->RemoveAllChildren();
}

void CQNXMLNode::Detach(CQNXMLNode* node)
{
    if (node)
        node->Detach();
}

CQNXMLNode* CQNXMLNode::DetachAndDelete(CQNXMLNode* node)
{
    return node ? node->DetachAndDelete() : nullptr;
}

void CQNXMLNode::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        m_text.Serialize(ar);
        ar << int32_t(m_typeCode) << int32_t(m_flags) << int32_t(m_blank) << int32_t(m_idClass)
           << int32_t(m_class) << int32_t(GetChildCount());
        for (const auto& child : Children())
            ar.WriteObject(child.get());
        return;
    }
    CStringW text;
    text.Serialize(ar);
    int32_t typeCode, flags, blank, idClass, nodeClass, count;
    ar >> typeCode >> flags >> blank >> idClass >> nodeClass >> count;
    if (count < 0)
        ar.ThrowException(CArchiveException::genericException);
    std::vector<std::unique_ptr<CQNXMLNode>> children;
    for (int32_t i = 0; i < count; ++i) {
        std::unique_ptr<CQNXMLNode> child = ar.ReadNewObject<CQNXMLNode>();
        if (!child)
            ar.ThrowException(CArchiveException::genericException);
        children.push_back(std::move(child));
    }
    // Everything is read; from here on nothing fails.
    if (!children.empty())
        MutableChildren().reserve(Children().size() + children.size());
    m_text = std::move(text);
    m_typeCode = typeCode;
    m_flags = flags;
    m_blank = blank;
    m_idClass = idClass;
    m_class = nodeClass;
    const size_t firstNew = Children().size();
    for (auto& child : children) {
        child->m_parent = this;
        m_children->push_back(std::move(child));
    }
    RenumberChildren(firstNew);
    if (!children.empty())
        ChildrenChanged();
}

void RegisterBaseClasses(CRuntimeClassRegistry& registry)
{
    registry.Add(RUNTIME_CLASS(CStringW));
    registry.Add(RUNTIME_CLASS(CQNXMLNode));
}
