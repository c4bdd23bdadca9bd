#include "base/xml_node.h"
#include "platform/memory_file.h"
#include "tests/support/stream_bytes.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

// A derived node with a field of its own, streamed in front of the element part and read
// into a local until the element part has been read.
class CTestElement : public CQNXMLNode {
    DECLARE_SERIAL(CTestElement)
public:
    CTestElement() : CQNXMLNode(0x77) {}
    void Serialize(CArchive& ar) override
    {
        if (ar.IsStoring()) {
            ar << m_extra;
            CQNXMLNode::Serialize(ar);
            return;
        }
        int32_t extra;
        ar >> extra;
        CQNXMLNode::Serialize(ar);
        m_extra = extra;
    }
    int32_t m_extra = 0;
};
IMPLEMENT_SERIAL(CTestElement, CQNXMLNode, 1)

Bytes StoreNode(CQNXMLNode& node)
{
    return StoreBytes([&](CArchive& ar) { node.Serialize(ar); });
}

CQNXMLNode* Add(CQNXMLNode* parent, int code, const char16_t* text = u"")
{
    auto* node = new CQNXMLNode(code);
    node->SetText(text);
    parent->AppendChild(node);
    return node;
}

// The integers and text of a node, with the shape of its subtree, as one comparable text.
std::string Describe(const CQNXMLNode& node)
{
    std::string s = std::to_string(node.m_typeCode) + "/" + std::to_string(node.m_flags) + "/" +
                    std::to_string(node.GetBlank()) + "/" + std::to_string(node.m_idClass) + "/" +
                    std::to_string(node.m_class) + ":";
    for (char16_t u : node.GetText().View())
        s += static_cast<char>(u);
    s += "(";
    for (int i = 0; i < node.GetChildCount(); ++i) {
        const CQNXMLNode* child = node.GetChildAt(i);
        EXPECT_EQ(child->GetParent(), &node);
        s += Describe(*child) + ",";
    }
    return s + ")";
}

class XmlNode : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterBaseClasses(ProgramClassRegistry());
        ProgramClassRegistry().Add(RUNTIME_CLASS(CTestElement));
        // root(1): a(2) [a1(3), a2(4)], b(5) [b1(6)], c(7)
        a = Add(&root, 2, u"a");
        a1 = Add(a, 3, u"a1");
        a2 = Add(a, 4, u"a2");
        b = Add(&root, 5, u"b");
        b1 = Add(b, 6, u"b1");
        c = Add(&root, 7, u"c");
    }

    CQNXMLNode root{1};
    CQNXMLNode *a, *a1, *a2, *b, *b1, *c;
};

}  // namespace

TEST_F(XmlNode, ConstructionAndBlankFlag)
{
    const CQNXMLNode fresh(9);
    EXPECT_EQ(fresh.m_typeCode, 9);
    EXPECT_EQ(fresh.m_flags, 1);
    EXPECT_EQ(fresh.GetBlank(), 0);
    EXPECT_EQ(fresh.m_idClass, 0);
    EXPECT_EQ(fresh.m_class, 0);
    EXPECT_EQ(CQNXMLNode().m_typeCode, 0);

    struct Case { const char16_t* text; int blank; };
    const Case cases[] = {{u"", 1}, {u"  ", 1}, {u" ", 1}, {u"\u3000", 0}, {u"\t", 0}, {u" a ", 0}};
    for (const Case& t : cases) {
        CQNXMLNode node;
        EXPECT_EQ(node.SetText(t.text), t.blank);
        EXPECT_EQ(node.GetBlank(), t.blank);
        EXPECT_EQ(node.SetText(CStringW(t.text)), t.blank);
    }
    CQNXMLNode node;
    EXPECT_EQ(node.SetText(u' '), 1);
    EXPECT_EQ(node.SetText(u'x'), 0);
    EXPECT_EQ(node.GetText(), u"x");
}

TEST_F(XmlNode, PositionQueries)
{
    EXPECT_EQ(root.GetIndexInParent(), 0);
    EXPECT_EQ(a2->GetIndexInParent(), 1);
    EXPECT_EQ(c->GetIndexInParent(), 2);
    EXPECT_EQ(b1->GetRoot(), &root);
    EXPECT_EQ(root.GetRoot(), &root);

    EXPECT_EQ(b1->FindAncestorOfType(6, 0), nullptr);
    EXPECT_EQ(b1->FindAncestorOfType(6, 1), b1);
    EXPECT_EQ(b1->FindAncestorOfType(1, 0), &root);
    EXPECT_EQ(root.FindAncestorOfType(1, 0), nullptr);
    EXPECT_EQ(a1->FindAncestorWithFlags(0x2, 1), a1);   // 3 has bit 2
    EXPECT_EQ(a1->FindAncestorWithFlags(0x2, 0), a);    // 2
    EXPECT_EQ(a1->FindAncestorWithFlags(0x8, 1), nullptr);

    EXPECT_EQ(root.IsChild(b), 1);
    EXPECT_EQ(root.IsChild(b1), 0);
    EXPECT_EQ(root.IsAncestorOf(b1), 1);
    EXPECT_EQ(root.IsAncestorOf(&root), 0);
    EXPECT_EQ(a->IsAncestorOf(b1), 0);
    EXPECT_EQ(root.IndexOfChild(c), 2);
    EXPECT_EQ(root.IndexOfChild(a1), -1);
    EXPECT_EQ(c->IndexOfChild(a1), -1);
}

TEST_F(XmlNode, Neighbours)
{
    struct Case { const char* what; CQNXMLNode* got; CQNXMLNode* expected; };
    const Case cases[] = {
        {"first child", root.GetFirstChild(), a},
        {"last child", root.GetLastChild(), c},
        {"no children", c->GetFirstChild(), nullptr},
        {"next sibling", a1->GetNextSibling(), a2},
        {"next of last", a2->GetNextSibling(), nullptr},
        {"prev sibling", b->GetPrevSibling(), a},
        {"prev of first", a->GetPrevSibling(), nullptr},
        {"siblings of root", root.GetNextSibling(), nullptr},
        {"next at same depth, sibling", a1->GetNextAtSameDepth(), a2},
        {"next at same depth, across", a2->GetNextAtSameDepth(), b1},
        {"next at same depth, parent's sibling has no children", b1->GetNextAtSameDepth(), nullptr},
        {"next at same depth of the root", root.GetNextAtSameDepth(), nullptr},
        {"prev at same depth, across", b1->GetPrevAtSameDepth(), a2},
        {"prev at same depth, parent is first", a1->GetPrevAtSameDepth(), nullptr},
        {"descendant of own type", root.FindDescendantOfType(1), &root},
        {"descendant of type", root.FindDescendantOfType(6), b1},
        {"descendant missing", a->FindDescendantOfType(6), nullptr},
        {"descendant with flags, pre-order", root.FindDescendantWithFlags(0x4), a2},
        {"child at index", root.GetChildAt(1), b},
        {"child outside the list", root.GetChildAt(3), nullptr},
    };
    for (const Case& t : cases)
        EXPECT_EQ(t.got, t.expected) << t.what;

    // The last child of the last child of a root.
    CQNXMLNode lone(1);
    CQNXMLNode* only = Add(&lone, 2);
    CQNXMLNode* leaf = Add(only, 3);
    EXPECT_EQ(leaf->GetNextAtSameDepth(), nullptr);
}

TEST_F(XmlNode, NullNodeHelpers)
{
    CQNXMLNode* none = nullptr;
    auto* orphan = new CQNXMLNode(8);
    EXPECT_EQ(CQNXMLNode::SetText(none, u"x"), 0);
    EXPECT_EQ(CQNXMLNode::SetText(none, CStringW(u"x")), 0);
    EXPECT_EQ(CQNXMLNode::SetText(none, u'x'), 0);
    EXPECT_EQ(CQNXMLNode::GetIndexInParent(none), -1);
    EXPECT_EQ(CQNXMLNode::GetRoot(none), nullptr);
    EXPECT_EQ(CQNXMLNode::FindAncestorOfType(none, 1, 1), nullptr);
    EXPECT_EQ(CQNXMLNode::FindAncestorWithFlags(none, 1, 1), nullptr);
    EXPECT_EQ(CQNXMLNode::IsChild(none, a), 0);
    EXPECT_EQ(CQNXMLNode::IsAncestorOf(none, a), 0);
    EXPECT_EQ(CQNXMLNode::AppendChild(none, orphan), -1);
    EXPECT_EQ(CQNXMLNode::InsertChildAt(none, 0, orphan), -1);
    CQNXMLNode::RemoveChildren(none, 0, 1);
    CQNXMLNode::RemoveChild(none, a);
    CQNXMLNode::RemoveAllChildren(none);
    CQNXMLNode::Detach(none);
    EXPECT_EQ(CQNXMLNode::DetachAndDelete(none), nullptr);
    EXPECT_EQ(orphan->GetParent(), nullptr);

    // The same helpers on a real node do the operation.
    EXPECT_EQ(CQNXMLNode::GetIndexInParent(b), 1);
    EXPECT_EQ(CQNXMLNode::AppendChild(c, orphan), 0);
    EXPECT_EQ(CQNXMLNode::DetachAndDelete(orphan), nullptr);
    EXPECT_EQ(c->GetChildCount(), 0);
}

TEST_F(XmlNode, InsertingAndRemoving)
{
    auto* x = new CQNXMLNode(10);
    EXPECT_EQ(root.InsertChildAt(1, x), 1);
    EXPECT_EQ(root.IndexOfChild(b), 2);
    EXPECT_EQ(x->GetParent(), &root);

    auto* y = new CQNXMLNode(11);
    EXPECT_EQ(root.InsertChildAt(99, y), 4);  // beyond the end: appended
    auto* z = new CQNXMLNode(12);
    EXPECT_EQ(c->InsertBefore(z), 0);
    EXPECT_EQ(z->GetNextSibling(), c);

    root.RemoveChildren(1, 2);  // x and b
    EXPECT_EQ(x->GetParent(), nullptr);
    EXPECT_EQ(b->GetParent(), nullptr);
    EXPECT_EQ(root.GetChildCount(), 4);  // a, z, c, y
    EXPECT_EQ(root.GetChildAt(1), z);
    delete x;
    delete b;

    root.RemoveChild(y);
    EXPECT_EQ(y->GetParent(), nullptr);
    root.RemoveChild(y);  // no longer a child: nothing
    EXPECT_EQ(root.GetChildCount(), 3);
    delete y;

    root.RemoveChildren(2, 5);  // cut to the list: c only
    EXPECT_EQ(root.GetChildCount(), 2);
    delete c;

    z->Detach();
    EXPECT_EQ(z->GetParent(), nullptr);
    EXPECT_EQ(root.GetChildCount(), 1);
    z->Detach();
    EXPECT_EQ(z->DetachAndDelete(), nullptr);

    a->DeleteChildAt(0);
    EXPECT_EQ(a->GetChildCount(), 1);
    EXPECT_EQ(a->GetFirstChild(), a2);
    a->DeleteChildAt(5);
    EXPECT_EQ(a->GetChildCount(), 1);

    CQNXMLNode* kept = a2;
    a->RemoveAllChildren();
    EXPECT_EQ(a->GetChildCount(), 0);
    EXPECT_EQ(kept->GetParent(), nullptr);
    delete kept;

    root.DeleteAllChildren();
    EXPECT_EQ(root.GetChildCount(), 0);
}

TEST_F(XmlNode, MovingANodeTakesItOutOfItsFormerParent)
{
    // a1 moves from a to c: listed once, in c only.
    EXPECT_EQ(c->AppendChild(a1), 0);
    EXPECT_EQ(a->GetChildCount(), 1);
    EXPECT_EQ(a->IndexOfChild(a1), -1);
    EXPECT_EQ(a1->GetParent(), c);

    // Within one list: b moves to the front, then before c from the front.
    EXPECT_EQ(root.InsertChildAt(0, b), 0);
    EXPECT_EQ(root.GetFirstChild(), b);
    EXPECT_EQ(c->InsertBefore(b), 0);
    EXPECT_EQ(root.GetChildAt(0), a);
    EXPECT_EQ(root.GetChildAt(1), b);
    EXPECT_EQ(root.GetChildAt(2), c);
    EXPECT_EQ(root.AppendChild(a), 2);
    EXPECT_EQ(root.GetLastChild(), a);
    EXPECT_EQ(root.GetChildCount(), 3);

    // A node cannot become its own child or its descendant's.
    EXPECT_EQ(a->AppendChild(a), -1);
    EXPECT_EQ(a2->AppendChild(&root), -1);
    EXPECT_EQ(a2->InsertChildAt(0, a), -1);
    EXPECT_EQ(a2->InsertBefore(a), 0);
    EXPECT_EQ(a2->InsertBefore(a2), 0);
    EXPECT_EQ(a->GetParent(), &root);
    EXPECT_EQ(a->IndexOfChild(a2), 0);
    EXPECT_EQ(a->AppendChild(nullptr), -1);
}

TEST_F(XmlNode, DeletingAnAttachedNodeLeavesItsParent)
{
    delete b;
    EXPECT_EQ(root.GetChildCount(), 2);
    EXPECT_EQ(root.GetChildAt(1), c);
}

TEST_F(XmlNode, SubtreeTextAndClasses)
{
    CQNXMLNode paragraph(0x20);
    Add(&paragraph, 1, u"ab");
    CQNXMLNode* lineBreak = Add(&paragraph, CQNXMLNode::kLineBreakType, u"ignored");
    Add(lineBreak, 1, u"also ignored");
    CQNXMLNode* inner = Add(&paragraph, 1, u"c");
    Add(inner, 1, u"d");
    Add(&paragraph, 1, u"");
    CStringW text(u"old");
    paragraph.GetSubtreeText(text);
    EXPECT_EQ(text, u"ab\r\ncd");
    lineBreak->GetSubtreeText(text);
    EXPECT_EQ(text, u"\r\nalso ignored");

    root.m_class = 2;
    a->m_class = 5;
    root.PropagateClass();
    for (CQNXMLNode* n : {a, a1, a2, b, b1, c})
        EXPECT_EQ(n->m_class, 2);
}

TEST_F(XmlNode, StreamFormMatchesTheTable)
{
    CQNXMLNode node(0x1234);
    node.SetText(u"ab");
    node.m_idClass = 3;
    node.m_class = 2;
    Add(&node, 5, u"");
    CQNXMLNode* second = Add(&node, 6, u"x");
    second->m_flags = 7;
    const Bytes nodeClass = Cat({{0xFF, 0xFF, 0x01, 0x00, 0x0A, 0x00}, Ascii("CQNXMLNode")});
    const Bytes expected = Cat({
        {0x06, 0, 0, 0, 'a', 0, 'b', 0, 0, 0}, Int32(0x1234), Int32(1), Int32(0), Int32(3), Int32(2), Int32(2),
        nodeClass, {0x02, 0, 0, 0, 0, 0}, Int32(5), Int32(1), Int32(1), Int32(0), Int32(0), Int32(0),
        {0x01, 0x80}, {0x04, 0, 0, 0, 'x', 0, 0, 0}, Int32(6), Int32(7), Int32(0), Int32(0), Int32(0), Int32(0),
    });
    EXPECT_EQ(StoreNode(node), expected);

    // A derived class writes its own field first and the element part last.
    CTestElement element;
    element.m_extra = -2;
    element.SetText(u"");
    const Bytes derived = Cat({Int32(-2), {0x02, 0, 0, 0, 0, 0}, Int32(0x77), Int32(1), Int32(1), Int32(0),
                               Int32(0), Int32(0)});
    EXPECT_EQ(StoreNode(element), derived);
}

TEST_F(XmlNode, StreamRoundTripKeepsTextsIntegersOrderAndParents)
{
    a->m_idClass = 4;
    b1->m_flags = 9;
    b1->m_class = -3;
    root.StoreAttribute(u"id", u"kasen1");
    auto* element = new CTestElement;
    element->m_extra = 42;
    Add(element, 13, u"inside");
    c->AppendChild(element);

    CMemFile file;
    CArchive store(&file, CArchive::store);
    store.WriteObject(&root);
    store.Close();
    file.SeekToBegin();
    CArchive load(&file, CArchive::load);
    std::unique_ptr<CQNXMLNode> read = load.ReadNewObject<CQNXMLNode>();
    ASSERT_TRUE(read);
    EXPECT_EQ(read->GetParent(), nullptr);
    EXPECT_EQ(Describe(*read), Describe(root));
    EXPECT_TRUE(read->GetAttributes().empty());
    const auto* readElement = dynamic_cast<const CTestElement*>(read->GetLastChild()->GetFirstChild());
    ASSERT_NE(readElement, nullptr);
    EXPECT_EQ(readElement->m_extra, 42);
}

TEST_F(XmlNode, LoadingAppendsAfterExistingChildrenAndKeepsAttributes)
{
    const Bytes bytes = StoreNode(*a);
    CQNXMLNode target(99);
    target.StoreAttribute(u"id", u"x");
    Add(&target, 50, u"mine");
    CMemFile file(bytes);
    CArchive ar(&file, CArchive::load);
    target.Serialize(ar);
    EXPECT_EQ(target.m_typeCode, 2);
    EXPECT_EQ(target.GetText(), u"a");
    ASSERT_EQ(target.GetChildCount(), 3);
    EXPECT_EQ(target.GetChildAt(0)->GetText(), u"mine");
    EXPECT_EQ(target.GetChildAt(2)->GetText(), u"a2");
    EXPECT_EQ(target.GetAttributes().size(), 1u);
}

TEST_F(XmlNode, CopyIntoAppendsCopiesAfterTheTargetsChildren)
{
    CQNXMLNode target(0);
    target.StoreAttribute(u"id", u"keep");
    Add(&target, 20, u"old1");
    Add(&target, 21, u"old2");
    root.CopyInto(&target);
    ASSERT_EQ(target.GetChildCount(), 5);
    EXPECT_EQ(target.GetChildAt(1)->GetText(), u"old2");
    EXPECT_EQ(Describe(*target.GetChildAt(3)), Describe(*b));
    EXPECT_NE(target.GetChildAt(3), b);
    EXPECT_EQ(target.m_typeCode, 1);
    EXPECT_EQ(target.GetAttributes().size(), 1u);
    EXPECT_EQ(root.GetChildCount(), 3);

    // A target of another class is left alone.
    CTestElement other;
    root.CopyInto(&other);
    EXPECT_EQ(other.GetChildCount(), 0);
    EXPECT_EQ(other.m_typeCode, 0x77);
    root.CopyInto(nullptr);

    // Copying into itself appends copies of its own children.
    b->CopyInto(b);
    ASSERT_EQ(b->GetChildCount(), 2);
    EXPECT_EQ(b->GetChildAt(1)->GetText(), u"b1");
}

TEST_F(XmlNode, MalformedStreamsRaiseAndChangeNothing)
{
    auto* element = new CTestElement;
    element->m_extra = 5;
    b1->AppendChild(element);
    const Bytes good = StoreNode(root);

    auto check = [](const Bytes& bytes, const CRuntimeClassRegistry& registry, const char* what) {
        CQNXMLNode target(99);
        target.SetText(u"keep");
        target.m_idClass = 8;
        Add(&target, 50, u"mine");
        const std::string before = Describe(target);
        CMemFile file(bytes);
        CArchive ar(&file, CArchive::load, &registry);
        EXPECT_THROW(target.Serialize(ar), CArchiveException) << what;
        EXPECT_EQ(Describe(target), before) << what;
    };

    CRuntimeClassRegistry registry;
    RegisterBaseClasses(registry);
    registry.Add(RUNTIME_CLASS(CTestElement));
    for (size_t n = 0; n < good.size(); ++n)
        check(Bytes(good.begin(), good.begin() + n), registry, ("cut at " + std::to_string(n)).c_str());

    // A program that lacks a class of the stream.
    CRuntimeClassRegistry fewer;
    RegisterBaseClasses(fewer);
    check(good, fewer, "unknown class");

    const Bytes head = Cat({{0x02, 0, 0, 0, 0, 0}, Int32(1), Int32(1), Int32(1), Int32(0), Int32(0)});
    const Bytes emptyNode = Cat({{0x02, 0, 0, 0, 0, 0}, Int32(1), Int32(1), Int32(1), Int32(0), Int32(0), Int32(0)});
    const Bytes nodeClass = Cat({{0xFF, 0xFF, 0x01, 0x00, 0x0A, 0x00}, Ascii("CQNXMLNode")});
    check(Cat({head, Int32(-1)}), registry, "negative child count");
    check(Cat({head, Int32(1), {0x00, 0x00}}), registry, "null child");
    check(Cat({head, Int32(1), {0xFF, 0xFF, 0x01, 0x00, 0x08, 0x00}, Ascii("CStringW"), {0x02, 0, 0, 0, 0, 0}}),
          registry, "child that is not a node");
    check(Cat({head, Int32(2), nodeClass, emptyNode, {0x02, 0x00}}), registry, "the same child twice");
    check(Cat({head, Int32(1), nodeClass, head, Int32(1), {0x02, 0x00}}), registry, "a node inside itself");
    check(Cat({head, Int32(1), {0xFF, 0xFF, 0x02, 0x00, 0x0A, 0x00}, Ascii("CQNXMLNode"), emptyNode}), registry,
          "other schema");
    check(Cat({head, Int32(2), nodeClass, emptyNode}), registry, "fewer children than counted");

    CQNXMLNode target(99);
    CMemFile file(good);
    CArchive ar(&file, CArchive::load, &registry);
    target.Serialize(ar);
    EXPECT_EQ(Describe(target), Describe(root));
}

TEST_F(XmlNode, TreesAsDeepAsTheLoadLimitRoundTrip)
{
    auto chain = [](int depth) {
        auto top = std::make_unique<CQNXMLNode>(1);
        CQNXMLNode* bottom = top.get();
        for (int i = 1; i < depth; ++i)
            bottom = Add(bottom, i + 1);
        return StoreBytes([&](CArchive& ar) { ar.WriteObject(top.get()); });
    };
    auto load = [](const Bytes& bytes) {
        CMemFile file(bytes);
        CArchive ar(&file, CArchive::load);
        return ar.ReadNewObject<CQNXMLNode>();
    };
    std::unique_ptr<CQNXMLNode> read = load(chain(CArchive::kMaxLoadDepth));
    ASSERT_TRUE(read);
    EXPECT_NE(read->FindDescendantOfType(CArchive::kMaxLoadDepth), nullptr);
    EXPECT_THROW(load(chain(CArchive::kMaxLoadDepth + 1)), CArchiveException);
}
