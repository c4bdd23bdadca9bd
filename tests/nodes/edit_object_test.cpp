// The embedded-object node: its stream (path, item, node part) in the node archive and on the
// clipboard, and its size rules.
#include "nodes/edit_object.h"

#include "nodes/edit_kind.h"
#include "nodes/node_archive.h"
#include "platform/embedding.h"
#include "tests/support/stream_bytes.h"

#include <gtest/gtest.h>

namespace {

std::unique_ptr<CEditObject> Object(const std::string& path, const std::string& storage)
{
    Embedding::OBJECT_RECORD record;
    record.className = "Vumat.Document";
    record.state.extent = SIZE{3000, 2000};
    record.state.storage.assign(storage.begin(), storage.end());
    auto item = std::make_unique<COleClientItem>();
    item->SetRecord(record);
    auto node = std::make_unique<CEditObject>();
    node->SetClientItem(std::move(item));
    node->m_strFile = path;
    node->m_rcLayout = RECT{10, 20, 3010, 2020};
    node->m_width = 3000;
    node->m_height = 2000;
    return node;
}

const CRuntimeClassRegistry& Classes()
{
    static const CRuntimeClassRegistry registry = [] {
        CRuntimeClassRegistry classes;
        RegisterNodeClasses(classes, NODE_PROGRAM::ProblemEditor);
        return classes;
    }();
    return registry;
}

class TestDocument : public COleDocument {};

}  // namespace

TEST(EditObject, StreamsThePathThenTheItemThenTheNodePart)
{
    auto node = Object("paper-01.bin", "abc");
    const Bytes stored = StoreBytes([&](CArchive& ar) { node->Serialize(ar); });
    const Bytes path = Cat({Bytes{12}, Ascii("paper-01.bin")});
    const Bytes item = StoreBytes([&](CArchive& ar) { node->GetClientItem()->Serialize(ar); });
    const Bytes nodePart = StoreBytes([&](CArchive& ar) { node->CEditNode::Serialize(ar); });
    EXPECT_EQ(stored, Cat({path, item, nodePart}));
    EXPECT_EQ(Bytes(item.begin(), item.begin() + 5), Ascii("QNOBJ"));
}

TEST(EditObject, ANodeListReadsBackWithTheItemMadeForTheArchivesDocument)
{
    auto node = Object("x.bin", "storage bytes");
    CEditNode* list[] = {node.get()};
    const std::vector<BYTE> bytes = NodeListToBytes(list);

    auto read = NodeListFromBytes(bytes, &Classes());
    ASSERT_EQ(read.size(), 1u);
    auto* again = dynamic_cast<CEditObject*>(read[0].get());
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->GetKind(), EditKind::Code(EditKind::kObject));
    EXPECT_EQ(again->m_strFile, "x.bin");
    ASSERT_NE(again->GetClientItem(), nullptr);
    EXPECT_EQ(again->GetClientItem()->GetOwner(), again);
    EXPECT_EQ(again->GetClientItem()->GetDocument(), nullptr) << "read without a document";
    EXPECT_EQ(again->GetClientItem()->GetStorage(), node->GetClientItem()->GetStorage());
    EXPECT_EQ(again->m_rcLayout.right, 3010);

    // The program's factory makes the items, for the document the archive names.
    TestDocument document;
    COleDocument* madeFor = nullptr;
    auto former = COleClientItem::SetFactory([&](COleDocument* doc) {
        madeFor = doc;
        return std::make_unique<COleClientItem>(doc);
    });
    CMemFile file(bytes);
    CArchive ar(&file, CArchive::load, &Classes());
    ar.m_pDocument = &document;
    auto list2 = ReadNodeList(ar);
    COleClientItem::SetFactory(former);
    ASSERT_EQ(list2.size(), 1u);
    EXPECT_EQ(madeFor, &document);
    EXPECT_EQ(dynamic_cast<CEditObject*>(list2[0].get())->GetClientItem()->GetDocument(), &document);
}

TEST(EditObject, ADamagedItemInANodeListFailsTheWholeRead)
{
    auto node = Object("x.bin", "abc");
    CEditNode* list[] = {node.get()};
    std::vector<BYTE> bytes = NodeListToBytes(list);
    // The item's record begins after the list count, the class tag and the path.
    const auto tag = std::search(bytes.begin(), bytes.end(), std::begin("QNOBJ"), std::end("QNOBJ") - 1);
    ASSERT_NE(tag, bytes.end());
    tag[5] = 9;  // version 9
    EXPECT_THROW(NodeListFromBytes(bytes, &Classes()), CArchiveException);
}

TEST(EditObject, MeasureTakesTheRectanglesSizeAndLayoutPlacesIt)
{
    auto node = Object("", "");
    node->m_rcLayout = RECT{0, 0, 1200, 800};
    node->Measure(nullptr, nullptr, nullptr);
    EXPECT_EQ(node->m_width, 1200);
    EXPECT_EQ(node->m_height, 800);
    EXPECT_EQ(node->m_ascent, 400);
    EXPECT_EQ(node->m_axis, 400);
    LAYOUT_CONTEXT context{};
    context.originX = 500;
    context.originY = 700;
    node->Layout(&context, 0);
    EXPECT_EQ(node->m_rcLayout.left, 500);
    EXPECT_EQ(node->m_rcLayout.bottom, 1500);

    CEditObject empty;
    empty.m_rcLayout = RECT{0, 0, 10, 10};
    empty.m_width = 99;
    empty.Measure(nullptr, nullptr, nullptr);
    EXPECT_EQ(empty.m_width, 99) << "without an item nothing is measured";
}
