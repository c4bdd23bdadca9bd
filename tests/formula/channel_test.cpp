// The embedding channel end to end: a container's item talks to the formula server stand-in,
// which holds the real formula document. Each sequence of messages ends with the container
// holding a consistent object: data that loads into a formula whose extent is the one kept,
// and a picture that draws.
#include "formula_fixture.h"

#include "formula/vumat_srvr_item.h"
#include "tests/support/embedding_server.h"

#include <QFile>

#include <csignal>
#include <string>
#include <vector>

namespace {

using namespace formulatest;

class CountingItem : public COleClientItem {
public:
    void OnChange(int notification, DWORD) override
    {
        if (notification == OLE_CHANGED)
            ++changes;
        else if (notification == OLE_SAVED)
            ++saves;
        else if (notification == OLE_CLOSED)
            ++closes;
    }
    int changes = 0;
    int saves = 0;
    int closes = 0;
};

enum class Step { New, Open, Edit, CloseSaving, CloseWithoutSaving, Kill };

struct CHANNEL_CASE {
    const char* name;
    const char* start;           // the stand-in's start mode
    std::string script;          // what it does on each DOVERB (opening sends the first)
    std::vector<Step> steps;
    bool started;                // the object was created or opened
    std::string storageHas;      // a piece the final data holds (empty: the data is the fixture)
    int linkLost;
};

std::string SizedFixture() { return Fragment(" width=\"30mm\" height=\"10mm\"", EmptyFormulaBlock()); }

std::vector<CHANNEL_CASE> ChannelCases()
{
    using S = Step;
    return {
        {"NewObject", "", "", {S::New, S::CloseSaving}, true, Fragment("", EmptyFormulaBlock()), 0},
        {"LoadAndSave", "", "", {S::Open, S::CloseSaving}, true, "width=\"", 0},
        {"ChangeThenSave", "", "\ntype x1", {S::Open, S::Edit, S::CloseSaving}, true, ">x</mi>", 0},
        {"ChangeThenCloseWithoutSaving", "", "\ntype y", {S::Open, S::Edit, S::CloseWithoutSaving}, true, ">y</mi>", 0},
        {"CrashKeepsTheLastChange", "", "\ntype z", {S::Open, S::Edit, S::Kill}, true, ">z</mi>", 1},
        {"FailedStoreKeepsTheData", "", "\ncontrol", {S::Open, S::Edit}, true, "<math/>", 1},
        {"ServerNeverAnswers", "silent", "", {S::New}, false, "", 0},
    };
}

class ChannelCase : public FormulaDocumentTest, public ::testing::WithParamInterface<CHANNEL_CASE> {};

// Reads the data into a document of its own and compares its extent and the picture with what
// the container keeps.
void ExpectConsistent(const COleClientItem& item)
{
    CVumatDoc document;
    document.LoadObjectData(item.GetStorage());
    SIZE extent{};
    ASSERT_TRUE(document.GetEmbeddedItem()->OnGetExtent(DVASPECT_CONTENT, extent));
    SIZE kept{};
    ASSERT_TRUE(item.GetCachedExtent(&kept));
    EXPECT_EQ(kept.cx, extent.cx);
    EXPECT_EQ(kept.cy, extent.cy);
    EXPECT_EQ(item.GetPictureKind(), Embedding::kSvgPicture);
    EXPECT_TRUE(Embedding::IsDrawablePicture(item.GetPictureKind(), item.GetPicture()));
}

}  // namespace

TEST_P(ChannelCase, ContainerKeepsAConsistentObject)
{
    const CHANNEL_CASE& c = GetParam();
    TestServerRegistration server(QN_VUMAT_STAND_IN, "Vumat.Document");
    if (*c.start)
        server.StartMode(c.start);
    server.Script(c.script);
    const QString pidFile = server.Folder() + "/pid";
    qputenv("QN_TEST_SERVER_PID", pidFile.toLocal8Bit());
    COleClientItem::SetTimeouts(std::string(c.start) == "silent" ? 1500 : 20000, 10000);

    CountingItem item;
    bool started = false;
    for (const Step step : c.steps) {
        switch (step) {
        case Step::New:
            started = item.CreateNewItem("Vumat.Document");
            break;
        case Step::Open: {
            Embedding::OBJECT_RECORD record;
            record.className = "Vumat.Document";
            record.state.storage = Bytes(SizedFixture());
            item.SetRecord(record);
            started = item.DoVerb(OLEIVERB_OPEN);
            break;
        }
        case Step::Edit: {
            const int before = item.changes;
            ASSERT_TRUE(item.DoVerb(OLEIVERB_OPEN));
            TestServerRegistration::WaitFor([&] { return item.changes > before || !item.IsOpen(); }, 20000);
            break;
        }
        case Step::CloseSaving:
            item.Close(OLECLOSE_SAVEIFDIRTY);
            EXPECT_EQ(item.saves, 1);
            break;
        case Step::CloseWithoutSaving:
            item.Close(OLECLOSE_NOSAVE);
            EXPECT_EQ(item.saves, 0);
            break;
        case Step::Kill: {
            QFile file(pidFile);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            const qint64 pid = file.readAll().toLongLong();
            ASSERT_GT(pid, 0);
            ::kill(pid_t(pid), SIGKILL);
            EXPECT_TRUE(TestServerRegistration::WaitFor([&] { return !item.IsOpen(); }, 20000));
            break;
        }
        }
    }
    TestServerRegistration::WaitFor([&] { return !item.IsOpen(); }, 2000);
    item.Close(OLECLOSE_NOSAVE);
    qunsetenv("QN_TEST_SERVER_PID");

    EXPECT_EQ(started, c.started);
    EXPECT_EQ(server.linkLostNotices, c.linkLost);
    EXPECT_FALSE(item.IsOpen());
    if (!c.started) {
        EXPECT_TRUE(item.GetStorage().empty()) << "a failed creation leaves the item as it was";
        EXPECT_EQ(item.GetLastFailure(), EmbeddingFailure::NoAnswer);
        return;
    }
    const std::string storage(item.GetStorage().begin(), item.GetStorage().end());
    if (c.storageHas.rfind("<?xml", 0) == 0)
        EXPECT_EQ(storage, c.storageHas);
    else
        EXPECT_NE(storage.find(c.storageHas), std::string::npos) << storage;
    ExpectConsistent(item);
}

INSTANTIATE_TEST_SUITE_P(Sequences, ChannelCase, ::testing::ValuesIn(ChannelCases()),
                         [](const ::testing::TestParamInfo<CHANNEL_CASE>& info) { return std::string(info.param.name); });
