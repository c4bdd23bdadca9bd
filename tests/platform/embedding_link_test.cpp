// The container's side of the link, against the test object server in its own process.
#include "platform/archive.h"
#include "platform/embedding.h"
#include "platform/memory_file.h"
#include "tests/support/embedding_server.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// An item that keeps the notifications it receives.
class RecordingItem : public COleClientItem {
public:
    void OnChange(int notification, DWORD) override { notifications.push_back(notification); }
    std::vector<int> notifications;
};

class EmbeddingLinkTest : public ::testing::Test {
protected:
    TestServerRegistration server{QN_EMBEDDING_TEST_SERVER};
};

SIZE ExtentOf(const COleClientItem& item)
{
    SIZE extent{-1, -1};
    item.GetCachedExtent(&extent);
    return extent;
}

}  // namespace

TEST_F(EmbeddingLinkTest, ANewObjectTakesTheServersFirstStateAndItsSaveOnClose)
{
    server.NewExtent("2500x1500");
    RecordingItem item;
    ASSERT_TRUE(item.CreateNewItem("Test.Object"));
    EXPECT_TRUE(item.IsOpen());
    EXPECT_EQ(item.GetItemState(), COleClientItem::openState);
    EXPECT_EQ(ExtentOf(item).cx, 2500);
    EXPECT_EQ(ExtentOf(item).cy, 1500);
    EXPECT_EQ(item.GetPictureKind(), Embedding::kPngPicture);
    EXPECT_FALSE(item.RenderPng().empty());
    EXPECT_TRUE(item.notifications.empty()) << "the first state is the creation's, not a change";

    item.Close(OLECLOSE_SAVEIFDIRTY);
    EXPECT_FALSE(item.IsOpen());
    EXPECT_EQ(item.GetItemState(), COleClientItem::loadedState);
    EXPECT_EQ(item.notifications, (std::vector<int>{OLE_SAVED, OLE_CLOSED}));
    EXPECT_EQ(std::string(item.GetStorage().begin(), item.GetStorage().end()), "n=1;cx=2500;cy=1500");
    EXPECT_EQ(server.linkLostNotices, 0);
}

TEST_F(EmbeddingLinkTest, ReopeningLoadsTheStorageAndFollowsTheServersChanges)
{
    server.Script("change 4000 2500\n");
    RecordingItem item;
    ASSERT_TRUE(item.CreateNewItem("Test.Object"));
    item.Close(OLECLOSE_NOSAVE);
    item.notifications.clear();

    // The object goes through its stream, as a saved paper keeps it, and is opened from there.
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        item.Serialize(ar);
        ar.Close();
    }
    file.SeekToBegin();
    RecordingItem reopened;
    {
        CArchive ar(&file, CArchive::load);
        reopened.Serialize(ar);
    }
    ASSERT_TRUE(reopened.DoVerb(OLEIVERB_PRIMARY));
    ASSERT_TRUE(TestServerRegistration::WaitFor([&] { return ExtentOf(reopened).cx == 4000; }));
    EXPECT_EQ(ExtentOf(reopened).cy, 2500);
    EXPECT_EQ(std::string(reopened.GetStorage().begin(), reopened.GetStorage().end()), "n=2;cx=4000;cy=2500");
    EXPECT_EQ(reopened.notifications, (std::vector<int>{OLE_CHANGED_STATE, OLE_CHANGED}));
    reopened.Close();
}

TEST_F(EmbeddingLinkTest, ACrashOrBadDataKeepsTheLastGoodStateAndTellsTheUser)
{
    for (const char* ending : {"crash", "garbage"}) {
        SCOPED_TRACE(ending);
        server.linkLostNotices = 0;
        server.Script(std::string("change 4000 2500 ") + ending + "\n");
        RecordingItem item;
        ASSERT_TRUE(item.CreateNewItem("Test.Object"));
        ASSERT_TRUE(item.DoVerb(OLEIVERB_SHOW));
        ASSERT_TRUE(TestServerRegistration::WaitFor([&] { return !item.IsOpen(); }));
        EXPECT_EQ(ExtentOf(item).cx, 4000);
        EXPECT_EQ(std::string(item.GetStorage().begin(), item.GetStorage().end()), "n=2;cx=4000;cy=2500");
        EXPECT_EQ(item.GetItemState(), COleClientItem::loadedState);
        EXPECT_EQ(server.linkLostNotices, 1);
        EXPECT_EQ(item.notifications.back(), OLE_CLOSED);
    }
}

TEST_F(EmbeddingLinkTest, ServersThatCannotBeStartedOrDoNotAnswerChangeNothing)
{
    RecordingItem item;
    EXPECT_FALSE(item.CreateNewItem("Kiran.Document"));
    EXPECT_EQ(item.GetLastFailure(), EmbeddingFailure::NoServer);

    // A server registered without a full path is never looked for on the search path.
    TestServerRegistration::Register("Relative.Object", "embedding_test_server", "{11111111-2222-3333-4444-555555555555}");
    EXPECT_FALSE(item.CreateNewItem("Relative.Object"));
    EXPECT_EQ(item.GetLastFailure(), EmbeddingFailure::NoServer);

    COleClientItem::SetTimeouts(300, 300);
    server.StartMode("silent");
    EXPECT_FALSE(item.CreateNewItem("Test.Object"));
    EXPECT_EQ(item.GetLastFailure(), EmbeddingFailure::NoAnswer);
    server.StartMode("fail");
    EXPECT_FALSE(item.CreateNewItem("Test.Object"));
    EXPECT_FALSE(item.IsOpen());
    EXPECT_FALSE(item.GetCachedExtent(nullptr));
    EXPECT_TRUE(item.GetObjectClassName().empty());
    EXPECT_EQ(item.GetItemState(), COleClientItem::emptyState);
}

TEST_F(EmbeddingLinkTest, TheRegistryListsInsertableClassesWithAServer)
{
    TestServerRegistration::Register("Another.Object", QN_EMBEDDING_TEST_SERVER, "{22222222-2222-3333-4444-555555555555}");
    TestServerRegistration::Register("Missing.Object", "/nonexistent/server", "{33333333-2222-3333-4444-555555555555}");
    EXPECT_EQ(Embedding::InsertableClasses(), (std::vector<std::string>{"Another.Object", "Test.Object"}));
    EXPECT_EQ(Embedding::ClassNameForClassId(TestServerRegistration::kClsid), "Test.Object");
    EXPECT_EQ(Embedding::ClassNameForClassId("{00000000-0000-0000-0000-000000000000}"), "");
}
