// CQNXMLNode: the node of every tree in the system, element objects and editing nodes alike.
// It holds a type code, a parent link, a flag word, the blank flag, two class codes, a text, the
// raw attributes it was given and an owned, ordered list of children, and streams itself and its
// subtree through an archive.
#pragma once

#include "base/wide_string.h"
#include "platform/archive.h"

#include <map>
#include <memory>
#include <typeinfo>
#include <vector>

class CQNXMLNode : public CObject {
    DECLARE_SERIAL(CQNXMLNode)
public:
    // The plain line break of the editing tree, which contributes CR LF to subtree texts.
    static constexpr int kLineBreakType = 0x11001002;

    CQNXMLNode() : CQNXMLNode(0) {}
    explicit CQNXMLNode(int typeCode);
    // Deletes the children. A node that still sits in a parent's list is taken out of it first,
    // so deleting a node never leaves its parent with a dangling child.
    ~CQNXMLNode() override;
    CQNXMLNode(const CQNXMLNode&) = delete;
    CQNXMLNode& operator=(const CQNXMLNode&) = delete;

    // Type code: an element code for element objects, a node kind for editing nodes.
    int m_typeCode;
    // Always 1 in trees the system builds; only carried through the stream form.
    int m_flags = 1;
    // True for the editing nodes, whose class derives from this one first: they are reached from
    // a plain node pointer by a static cast once this says so.
    bool IsEditNode() const { return m_editNode; }
    // Class codes: the id class from an "id" attribute, and the class that PropagateClass copies down.
    int m_idClass = 0;
    int m_class = 0;

    // Text. The blank flag is 1 when the text is empty or only U+0020 spaces; only the setters
    // keep it (it is 0 after construction). Each setter returns the new blank flag.
    int SetText(const CStringW& text);
    int SetText(const char16_t* text);
    int SetText(char16_t unit);
    const CStringW& GetText() const { return m_text; }
    int GetBlank() const { return m_blank; }
    // The document-order concatenation of the subtree's texts; line breaks give CR LF.
    void GetSubtreeText(CStringW& out) const;

    // Raw attribute store: every name and value given to the node, not streamed, not copied.
    void StoreAttribute(const CStringW& name, const CStringW& value);
    const std::map<CStringW, CStringW>& GetAttributes() const;

    // Position in the tree. Searches compare node identity, never contents.
    CQNXMLNode* GetParent() const { return m_parent; }
    int GetChildCount() const { return m_children != nullptr ? static_cast<int>(m_children->size()) : 0; }
    // The child at index; null outside 0 … count − 1.
    CQNXMLNode* GetChildAt(int index) const
    {
        return index >= 0 && index < GetChildCount() ? (*m_children)[static_cast<size_t>(index)].get() : nullptr;
    }
    // Index in the parent's list; 0 without a parent, -1 when the parent does not list the node.
    int GetIndexInParent() const;
    CQNXMLNode* GetRoot();
    // The first node up the parent chain (from this node when includeSelf is not 0, else from
    // its parent) whose type code equals code, or has any bit of mask; null when none.
    CQNXMLNode* FindAncestorOfType(int code, int includeSelf);
    CQNXMLNode* FindAncestorWithFlags(int mask, int includeSelf);
    int IsChild(const CQNXMLNode* node) const;
    // 1 when node lies below this node at any depth; a node is not its own ancestor.
    int IsAncestorOf(const CQNXMLNode* node) const;
    int IndexOfChild(const CQNXMLNode* node) const;
    CQNXMLNode* GetFirstChild() const;
    CQNXMLNode* GetLastChild() const;
    CQNXMLNode* GetNextSibling() const;
    CQNXMLNode* GetPrevSibling() const;
    // The next (previous) sibling, or across to the first (last) child of the parent's next
    // (previous) sibling; never more than one level up.
    CQNXMLNode* GetNextAtSameDepth() const;
    CQNXMLNode* GetPrevAtSameDepth() const;
    // This node or the first match of a pre-order walk of its subtree; null when none.
    CQNXMLNode* FindDescendantOfType(int code);
    CQNXMLNode* FindDescendantWithFlags(int mask);

    // Changing the tree. A node given to AppendChild, InsertChildAt or InsertBefore is taken out
    // of its former parent first, so it never sits in two lists; the parent then owns it. They
    // refuse (-1, and the caller keeps the node) a null node, this node and any of its ancestors.
    // Returns the new child's index.
    int AppendChild(CQNXMLNode* node);
    // Inserts before the child at index; an index outside 0 … count is moved to the nearer end.
    int InsertChildAt(int index, CQNXMLNode* node);
    // Inserts node into this node's parent just before this node; nothing without a parent. 0.
    int InsertBefore(CQNXMLNode* node);
    // Take children out of the list without deleting them; the caller owns them afterwards.
    // A range or node outside the list changes nothing for the part outside.
    void RemoveChildren(int index, int count);
    void RemoveChild(CQNXMLNode* node);
    void RemoveAllChildren();
    // Takes the node out of its parent's list; the caller owns it afterwards.
    void Detach();
    // Detaches and deletes the node; returns null.
    CQNXMLNode* DetachAndDelete();
    void DeleteAllChildren();
    void DeleteChildAt(int index);
    // Gives every node below this one this node's class.
    void PropagateClass();
    // Deep copy through the stream form into target, which must be of this node's class: its
    // text, integers and derived fields are replaced, copies of this node's children appended
    // after its own, its attributes kept. A failure (out of memory) is passed on to the caller, with
    // the target left as it was.
    void CopyInto(CQNXMLNode* target) const;

    // The same operations for a node that may be null (a search result passed straight on):
    // on null they change nothing and return -1 (GetIndexInParent, AppendChild, InsertChildAt),
    // 0 (SetText, IsChild, IsAncestorOf) or null.
    static int SetText(CQNXMLNode* node, const CStringW& text);
    static int SetText(CQNXMLNode* node, const char16_t* text);
    static int SetText(CQNXMLNode* node, char16_t unit);
    static int GetIndexInParent(const CQNXMLNode* node);
    static CQNXMLNode* GetRoot(CQNXMLNode* node);
    static CQNXMLNode* FindAncestorOfType(CQNXMLNode* node, int code, int includeSelf);
    static CQNXMLNode* FindAncestorWithFlags(CQNXMLNode* node, int mask, int includeSelf);
    static int IsChild(const CQNXMLNode* parent, const CQNXMLNode* node);
    static int IsAncestorOf(const CQNXMLNode* ancestor, const CQNXMLNode* node);
    static int AppendChild(CQNXMLNode* parent, CQNXMLNode* node);
    static int InsertChildAt(CQNXMLNode* parent, int index, CQNXMLNode* node);
    static void RemoveChildren(CQNXMLNode* parent, int index, int count);
    static void RemoveChild(CQNXMLNode* parent, CQNXMLNode* node);
    static void RemoveAllChildren(CQNXMLNode* parent);
    static void Detach(CQNXMLNode* node);
    static CQNXMLNode* DetachAndDelete(CQNXMLNode* node);

    // Stream form: text, type code, flag word, blank flag, id class, class (32-bit each), child
    // count, then each child as an object reference. A derived class writes its own fields before
    // calling this. Loading reads everything before it changes anything, so a malformed stream
    // raises the archive exception and leaves the node as it was; a derived class keeps that
    // promise by reading its own fields into locals and assigning them once this has returned.
    // Read children are appended after the existing ones; the attributes are left alone.
    void Serialize(CArchive& ar) override;

protected:
    // Set by the editing node's constructor.
    void MarkEditNode() { m_editNode = true; }
    // Called after children were added to or taken from the list (not while the node is being
    // destroyed), so that a node that lays out its children knows it must measure them again.
    virtual void ChildrenChanged() {}

private:
    using ChildList = std::vector<std::unique_ptr<CQNXMLNode>>;
    // The children; an empty list when the node has none.
    const ChildList& Children() const;
    // The list, made when the node has none yet.
    ChildList& MutableChildren();
    void AppendSubtreeText(CStringW& out) const;
    // Numbers the children from index on with their places in the list.
    void RenumberChildren(size_t from);
    // Whether node may become a child of this node: not null, not this node, not an ancestor.
    bool CanAdopt(const CQNXMLNode* node) const;

    CQNXMLNode* m_parent = nullptr;
    // The node's place in its parent's list, kept by every change of that list.
    int m_indexInParent = 0;
    int m_blank = 0;
    CStringW m_text;
    // Null until the first attribute is stored: editing nodes, a node per character, keep none.
    std::unique_ptr<std::map<CStringW, CStringW>> m_attributes;
    // Null until the first child comes: most nodes of a paper (its characters) have none.
    std::unique_ptr<ChildList> m_children;
    // Last, so that a derived class's fields may take the padding after it.
    bool m_editNode = false;
};

// Adds the classes of the base library that archives create by name: CStringW and CQNXMLNode.
void RegisterBaseClasses(CRuntimeClassRegistry& registry);

// The node as class T, or null when it is not one. Walks choose a branch by the node's type code,
// which fixes the class of every node the readers and commands make, so the class is found by one
// type comparison; a node of a class derived from T, or one a stream gave a code that does not
// match its class, is answered by the run-time search.
template <class T, class Node>
T* NodeAs(Node* node)
{
    if (node == nullptr)
        return nullptr;
    if (typeid(*node) == typeid(T))
        return static_cast<T*>(node);
    return dynamic_cast<T*>(node);
}
