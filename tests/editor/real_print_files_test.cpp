// The document over the program's own print-file reader, writer and package: a sample paper opens,
// is changed, saved in place or as a package and reopened unchanged; a failed save keeps the
// earlier file, and a damaged package changes nothing on disk.
#include "editor/print_file_access.h"
#include "editor/sorel_doc.h"

#include "fake_print_files.h"
#include "shell_answers.h"

#include "nodes/edit_kind.h"
#include "nodes/edit_object.h"
#include "nodes/edit_print.h"
#include "platform/embedding.h"
#include "platform/utf8.h"

#include <QBuffer>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

TEST(RealPrintFiles, ASamplePaperIsSavedInPlaceAndReadBackUnchanged)
{
    QTemporaryDir dir;
    const std::string paper = dir.path().toStdString() + "/sample.qnp";
    fs::copy_file(QN_TEST_DATA_DIR "/printfile/horizontal_one_column.xml", paper);
    std::unique_ptr<IPrintFileAccess> files = CreatePrintFileAccess();
    CSorelDocHost host;
    ShellAnswers shell;

    CSorelDoc doc(*files, host);
    ASSERT_TRUE(doc.OpenDocumentFile(paper));
    EXPECT_FALSE(doc.IsPackage());
    const int parts = doc.GetRoot()->GetChildCount();
    ASSERT_GT(parts, 0);
    doc.GetRoot()->m_searchInfo = CStringW(u"変更した問題");  // a change the file keeps
    doc.SetModifiedFlag();
    ASSERT_TRUE(doc.OnFileSave());
    EXPECT_FALSE(doc.IsModified());

    CSorelDoc again(*files, host);
    ASSERT_TRUE(again.OpenDocumentFile(paper));
    EXPECT_EQ(again.GetRoot()->GetChildCount(), parts);
    EXPECT_TRUE(again.GetRoot()->m_searchInfo.View() == u"変更した問題");

    // Saving into a folder that cannot hold files fails and changes nothing.
    const std::string before = ReadWholeFile(paper);
    fs::remove(paper);
    fs::create_directory(paper);  // the path is now a folder: the writer cannot replace it
    again.SetModifiedFlag();
    const size_t boxesBefore = shell.Messages().size();
    EXPECT_FALSE(again.OnFileSave());
    EXPECT_TRUE(fs::is_directory(paper));
    // One box: the failure to save and the file first, the writer's own words after.
    ASSERT_EQ(shell.Messages().size(), boxesBefore + 1);
    EXPECT_EQ(shell.Messages().back().rfind(u"ファイルの保存に失敗しました。\n" + Utf8ToUtf16(paper) + u"\n", 0), 0u);
    EXPECT_FALSE(before.empty());
}

namespace {

// The print file a paper writes under a fixed name, so that two papers can be compared by bytes.
std::string PrintFileBytes(IPrintFileAccess& files, CEditPrint* root, const std::string& folder)
{
    fs::create_directory(folder);
    const std::string path = folder + "/check.qnp";
    EXPECT_TRUE(files.WritePrintFile(root, path));
    return ReadWholeFile(path);
}

std::vector<std::string> EntriesOf(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST(RealPrintFiles, APaperWithPicturesIsSavedAsAPackageAndReopenedUnchanged)
{
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    for (const char* name : {"horizontal_inline_nodes.xml", "inline-01.png", "inline-02.png"})
        fs::copy_file(std::string(QN_TEST_DATA_DIR "/printfile/") + name, folder + "/" + name);
    std::unique_ptr<IPrintFileAccess> files = CreatePrintFileAccess();
    CSorelDocHost host;
    ShellAnswers shell;

    CSorelDoc doc(*files, host);
    ASSERT_TRUE(doc.OpenDocumentFile(folder + "/horizontal_inline_nodes.xml"));
    EXPECT_FALSE(doc.IsPackage());
    const std::string package = folder + "/paper.qns";
    shell.ChooseFile(package);
    ASSERT_TRUE(doc.OnFileSaveAs());
    EXPECT_TRUE(doc.IsPackage());
    EXPECT_EQ(ReadWholeFile(package).substr(0, 4), "MSCF");
    EXPECT_TRUE(shell.Messages().empty());

    CSorelDoc again(*files, host);
    ASSERT_TRUE(again.OpenDocumentFile(package));
    EXPECT_TRUE(again.IsPackage());
    EXPECT_FALSE(again.IsModified());
    EXPECT_EQ(again.GetRoot()->GetChildCount(), doc.GetRoot()->GetChildCount());
    const std::string saved = PrintFileBytes(*files, doc.GetRoot(), folder + "/saved");
    EXPECT_EQ(PrintFileBytes(*files, again.GetRoot(), folder + "/reopened"), saved);
    EXPECT_EQ(EntriesOf(folder + "/reopened"), EntriesOf(folder + "/saved"));
    EXPECT_GT(EntriesOf(folder + "/saved").size(), 1u);  // the pictures came back out of the package

    // A package cut short: the open fails with the message, and the package and the folder
    // beside it stay as they were.
    const std::string whole = ReadWholeFile(package);
    const std::string cut = folder + "/cut.qns";
    WriteWholeFile(cut, whole.substr(0, whole.size() / 2));
    const std::vector<std::string> before = EntriesOf(folder);
    CSorelDoc damaged(*files, host);
    EXPECT_FALSE(damaged.OpenDocumentFile(cut));
    EXPECT_EQ(shell.Messages().back(),
              u"ファイルの読込に失敗しました。\n" + Utf8ToUtf16(cut) + u"\nパッケージの展開に失敗しました。");
    EXPECT_EQ(ReadWholeFile(cut), whole.substr(0, whole.size() / 2));
    EXPECT_EQ(EntriesOf(folder), before);
    EXPECT_EQ(ReadWholeFile(package), whole);
}

namespace {

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

std::vector<uint8_t> PngOfSize(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkBlue);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return std::vector<uint8_t>(buffer.data().begin(), buffer.data().end());
}

}  // namespace

TEST(RealPrintFiles, AnEmbeddedObjectComesBackFromAPackageByteForByte)
{
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    std::unique_ptr<IPrintFileAccess> files = CreatePrintFileAccess();
    CSorelDocHost host;
    ShellAnswers shell;
    CSorelDoc doc(*files, host);
    ASSERT_TRUE(doc.OnFileNew());
    CEditNode* part = nullptr;
    for (int i = 0; part == nullptr && doc.GetRoot()->GetEditChild(i) != nullptr; ++i)
        if (doc.GetRoot()->GetEditChild(i)->IsKind(EditKind::kSentence))
            part = doc.GetRoot()->GetEditChild(i);
    ASSERT_NE(part, nullptr);

    // Storage with zero bytes, high bytes and a line end: nothing of it may be read as text.
    Embedding::OBJECT_RECORD record;
    record.className = "Vumat.Document";
    record.state.storage = {0x00, 0xFF, 0x0D, 0x0A, 0x1A, 'n', '=', '7', 0x00, 0x80};
    record.state.pictureKind = Embedding::kPngPicture;
    record.state.picture = PngOfSize(5, 3);
    record.state.extent = SIZE{3150, 1720};
    const Embedding::OBJECT_RECORD expected = record;
    auto item = std::make_unique<COleClientItem>();
    item->SetRecord(std::move(record));
    auto object = std::make_unique<CEditObject>();
    object->SetClientItem(std::move(item));
    object->m_width = 3150;
    object->m_height = 1720;
    part->InsertChildAt(0, object.release());
    doc.SetModifiedFlag();

    // Saved as a package, reopened, saved as a package again from the reopened paper (whose
    // side files came out of the first package), and reopened once more.
    std::string package = folder + "/object.qns";
    for (int round = 0; round < 2; ++round) {
        CSorelDoc* source = &doc;
        CSorelDoc again(*files, host);
        if (round == 1) {
            ASSERT_TRUE(again.OpenDocumentFile(package));
            source = &again;
            package = folder + "/object-again.qns";
        }
        shell.ChooseFile(package);
        ASSERT_TRUE(source->OnFileSaveAs());
        ASSERT_TRUE(source->IsPackage());
        EXPECT_EQ(ReadWholeFile(package).substr(0, 4), "MSCF");

        CSorelDoc reopened(*files, host);
        ASSERT_TRUE(reopened.OpenDocumentFile(package));
        const std::vector<CEditObject*> objects = ObjectsOf(reopened.GetRoot());
        ASSERT_EQ(objects.size(), 1u) << "round " << round;
        const COleClientItem* back = objects[0]->GetClientItem();
        ASSERT_NE(back, nullptr);
        EXPECT_FALSE(back->IsForeign());
        EXPECT_EQ(back->GetObjectClassName(), expected.className);
        EXPECT_EQ(back->GetStorage(), expected.state.storage);
        EXPECT_EQ(back->GetPictureKind(), expected.state.pictureKind);
        EXPECT_EQ(back->GetPicture(), expected.state.picture);
        SIZE extent{};
        ASSERT_TRUE(back->GetCachedExtent(&extent));
        EXPECT_EQ(extent.cx, 3150);
        EXPECT_EQ(extent.cy, 1720);
        // The node's place is the element's, in the file's whole millimetres.
        EXPECT_EQ(objects[0]->m_width, 3100);
        EXPECT_EQ(objects[0]->m_height, 1700);
    }
    EXPECT_TRUE(shell.Messages().empty());
}

TEST(RealPrintFiles, ANewPaperComesFromTheTemplateWithTheDefaultTextFont)
{
    std::unique_ptr<IPrintFileAccess> files = CreatePrintFileAccess();
    CSorelDocHost host;
    ShellAnswers shell;
    CSorelDoc doc(*files, host);
    ASSERT_TRUE(doc.OnFileNew());
    ASSERT_NE(doc.GetRoot(), nullptr);
    EXPECT_TRUE(doc.IsPackage());
    EXPECT_TRUE(shell.Messages().empty());
    int checked = 0;
    for (int i = 0; CEditNode* part = doc.GetRoot()->GetEditChild(i); ++i) {
        if (!part->IsKind(EditKind::kSentence))
            continue;
        for (int j = 0; CEditNode* child = part->GetEditChild(j); ++j, ++checked)
            EXPECT_EQ(child->m_lf.lfHeight, -371);
    }
    EXPECT_GT(checked, 0);
}

TEST(RealPrintFiles, APrintFileThatDoesNotParseGivesOneBoxWithTheFileAndThePosition)
{
    QTemporaryDir dir;
    const std::string paper = dir.path().toStdString() + "/broken.xml";
    WriteWholeFile(paper, "<?xml version=\"1.0\"?>\n<root>\n<unclosed>\n</root>\n");
    std::unique_ptr<IPrintFileAccess> files = CreatePrintFileAccess();
    CSorelDocHost host;
    ShellAnswers shell;
    CSorelDoc doc(*files, host);
    EXPECT_FALSE(doc.OpenDocumentFile(paper));
    ASSERT_EQ(shell.Messages().size(), 1u);
    const std::u16string text = shell.Messages().front();
    const std::u16string lead = u"ファイルの読込に失敗しました。\n" + Utf8ToUtf16(paper) + u"\n";
    EXPECT_EQ(text.rfind(lead, 0), 0u) << Utf16ToUtf8(text);
    // The parser's words follow on the next line, once.
    EXPECT_NE(text.find(u"Line:", lead.size()), std::u16string::npos) << Utf16ToUtf8(text);
}
