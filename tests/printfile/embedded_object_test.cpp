// Embedded objects through a print file: the converter writes each object's ".bin" side file
// beside the print file, and the reader builds the object again from it.
#include "printfile_fixture.h"

#include "nodes/edit_object.h"
#include "platform/embedding.h"
#include "printfile/print_reader.h"
#include "printfile/print_writer.h"

#include <filesystem>
#include <fstream>

using namespace printfiletest;

namespace {

// A native object of the test's class with a picture; storage and extent as given.
std::unique_ptr<CEditObject> NativeObject(const std::string& storage, SIZE extent)
{
    Embedding::OBJECT_RECORD record;
    record.className = "Vumat.Document";
    record.state.extent = extent;
    record.state.pictureKind = Embedding::kSvgPicture;
    const std::string svg = "<svg xmlns='http://www.w3.org/2000/svg' width='4' height='3'><rect width='4' height='3'/></svg>";
    record.state.picture.assign(svg.begin(), svg.end());
    record.state.storage.assign(storage.begin(), storage.end());
    auto item = std::make_unique<COleClientItem>();
    item->SetRecord(std::move(record));
    auto node = std::make_unique<CEditObject>();
    node->SetClientItem(std::move(item));
    node->m_width = extent.cx;
    node->m_height = extent.cy;
    node->m_rcLayout = RECT{0, 0, extent.cx, extent.cy};
    return node;
}

// Bytes of an OLE compound file as another system writes one (only its start matters here).
std::vector<uint8_t> ForeignStorage()
{
    std::vector<uint8_t> bytes(1536);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(i * 7 + 3);
    const uint8_t signature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    std::copy(signature, signature + 8, bytes.begin());
    return bytes;
}

CEditNode* FirstPart(CEditPrint& root)
{
    for (int i = 0; i < root.GetChildCount(); ++i) {
        if (root.GetEditChild(i)->IsKind(EditKind::kSentence))
            return root.GetEditChild(i);
    }
    return nullptr;
}

std::vector<CEditObject*> ObjectsOf(CEditNode* node)
{
    std::vector<CEditObject*> found;
    if (auto* object = dynamic_cast<CEditObject*>(node))
        found.push_back(object);
    for (int i = 0; i < node->GetChildCount(); ++i) {
        auto below = ObjectsOf(node->GetEditChild(i));
        found.insert(found.end(), below.begin(), below.end());
    }
    return found;
}

std::vector<uint8_t> FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class EmbeddedObjectFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterPaperFaces();
        ASSERT_TRUE(LoadNewTemplate(&root, false));
        CEditNode* part = FirstPart(root);
        ASSERT_NE(part, nullptr);
        part->InsertChildAt(0, NativeObject("n=7", SIZE{3000, 2000}).release());
        auto foreign = std::make_unique<CEditObject>();
        auto item = std::make_unique<COleClientItem>();
        Embedding::OBJECT_RECORD record;
        record.foreign = true;
        record.state.storage = ForeignStorage();
        item->SetRecord(std::move(record));
        item->SetCachedExtent(SIZE{4000, 1000});
        foreign->SetClientItem(std::move(item));
        foreign->m_width = 4000;
        foreign->m_height = 1000;
        part->InsertChildAt(1, foreign.release());
    }

    MessageRecorder messages;
    CEditPrint root;
    TempFolder folder;
};

}  // namespace

TEST_F(EmbeddedObjectFile, ObjectsComeBackWithTheirBytesAndForeignStorageIsKeptWhole)
{
    ASSERT_TRUE(SavePrintFile(&root, folder.File("paper.xml")));
    // The side files, numbered in paper order: ours in its own format, the foreign one as it came.
    const std::vector<uint8_t> native = FileBytes(folder.File("paper-01.bin"));
    ASSERT_GE(native.size(), 5u);
    EXPECT_EQ(std::string(native.begin(), native.begin() + 5), "QNOBJ");
    EXPECT_EQ(FileBytes(folder.File("paper-02.bin")), ForeignStorage());

    CEditPrint again;
    ASSERT_TRUE(LoadXmlFile(&again, folder.File("paper.xml")));
    const std::vector<CEditObject*> objects = ObjectsOf(&again);
    ASSERT_EQ(objects.size(), 2u);
    const COleClientItem* first = objects[0]->GetClientItem();
    EXPECT_EQ(first->GetObjectClassName(), "Vumat.Document");
    EXPECT_EQ(std::string(first->GetStorage().begin(), first->GetStorage().end()), "n=7");
    EXPECT_EQ(first->GetPictureKind(), Embedding::kSvgPicture);
    EXPECT_EQ(objects[0]->m_strFile, folder.File("paper-01.bin"));
    EXPECT_EQ(objects[0]->m_rcLayout.right, 3000);
    EXPECT_EQ(objects[0]->m_rcLayout.bottom, 2000);
    const COleClientItem* second = objects[1]->GetClientItem();
    EXPECT_TRUE(second->IsForeign());
    EXPECT_EQ(second->GetStorage(), ForeignStorage());
    SIZE extent{};
    ASSERT_TRUE(second->GetCachedExtent(&extent));
    EXPECT_EQ(extent.cx, 4000) << "a foreign object's extent is its element's";
    EXPECT_EQ(extent.cy, 1000);

    // Saved again elsewhere, the foreign object is written back unchanged.
    TempFolder elsewhere;
    ASSERT_TRUE(SavePrintFile(&again, elsewhere.File("paper.xml")));
    EXPECT_EQ(FileBytes(elsewhere.File("paper-02.bin")), ForeignStorage());
    EXPECT_EQ(FileBytes(elsewhere.File("paper-01.bin")), native);
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(EmbeddedObjectFile, ABadOrMissingSideFileLeavesALineBreakAndKeepsTheRest)
{
    ASSERT_TRUE(SavePrintFile(&root, folder.File("paper.xml")));
    const std::string before = DescribePaper(root);
    // The first object's file claims a storage far longer than it holds; the second is gone.
    std::vector<uint8_t> bad = FileBytes(folder.File("paper-01.bin"));
    ASSERT_GT(bad.size(), 40u);
    std::ofstream(folder.File("paper-01.bin"), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bad.data()), 30);
    std::filesystem::remove(folder.File("paper-02.bin"));

    CEditPrint again;
    ASSERT_TRUE(LoadXmlFile(&again, folder.File("paper.xml")));
    EXPECT_TRUE(ObjectsOf(&again).empty());
    CEditNode* part = FirstPart(again);
    ASSERT_NE(part, nullptr);
    // Each object's place holds a line break, before the line's own.
    int lineBreaks = 0;
    for (int i = 0; i < part->GetChildCount(); ++i)
        lineBreaks += part->GetEditChild(i)->HasKindFlags(EditKind::kLineBreak) ? 1 : 0;
    EXPECT_EQ(lineBreaks, 3);
    EXPECT_EQ(messages.messages.size(), 2u);
    // Everything after the objects is read as before.
    EXPECT_EQ(again.GetChildCount(), root.GetChildCount());
    EXPECT_NE(before, DescribePaper(again));
}
