// The embedding channel end to end: a container's item talks to the formula editor program, whose
// window types the keys a case names, or, for what the program cannot be made to do (fail to
// store, never answer, keep a stored size while open), to the stand-in server around the real
// formula document. Each sequence of messages ends with the container
// holding a consistent object: data that loads into a formula whose extent is the one kept,
// and a picture that draws.
#include "formula_fixture.h"

#include "base/default_fonts.h"
#include "formula/vumat_app.h"
#include "formula/vumat_srvr_item.h"
#include "tests/support/embedding_server.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <csignal>
#include <unistd.h>
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
    bool program;                // the formula editor program, else the stand-in
    const char* start;           // the stand-in's start mode
    std::string script;          // the stand-in: what it does on each DOVERB (opening sends the
                                 // first); the program: the keys its window types
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
        {"NewObject", true, "", "", {S::New, S::CloseSaving}, true, Fragment("", EmptyFormulaBlock()), 0},
        {"LoadAndSave", false, "", "", {S::Open, S::CloseSaving}, true, "width=\"", 0},
        {"ChangeThenSave", true, "", "x", {S::Open, S::Edit, S::CloseSaving}, true, ">x</mi>", 0},
        {"ChangeThenCloseWithoutSaving", true, "", "y", {S::Open, S::Edit, S::CloseWithoutSaving}, true, ">y</mi>", 0},
        {"CrashKeepsTheLastChange", true, "", "z", {S::Open, S::Edit, S::Kill}, true, ">z</mi>", 1},
        {"FailedStoreKeepsTheData", false, "", "\ncontrol", {S::Open, S::Edit}, true, "<math/>", 1},
        {"ServerNeverAnswers", false, "silent", "", {S::New}, false, "", 0},
    };
}

class ChannelCase : public FormulaDocumentTest, public ::testing::WithParamInterface<CHANNEL_CASE> {};

// The process id of this process's child running the named program; 0 when there is none.
qint64 ChildNamed(const QString& name)
{
    for (const QString& entry : QDir("/proc").entryList(QDir::Dirs)) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        QFile stat("/proc/" + entry + "/stat");
        if (!number || !stat.open(QIODevice::ReadOnly))
            continue;
        const QString text = QString::fromLocal8Bit(stat.readAll());
        const qsizetype open = text.indexOf('('), close = text.lastIndexOf(')');
        if (open < 0 || close < open)
            continue;
        const QStringList rest = text.mid(close + 2).split(' ');
        if (text.mid(open + 1, close - open - 1) == name && rest.size() > 1 && rest[1].toLongLong() == getpid())
            return pid;
    }
    return 0;
}

// Reads the data into a document of its own and compares its extent and the picture with what
// the container keeps; text measured as the server measured it (the program with the formula
// fonts of an empty profile, through code page 932).
void ExpectConsistent(const COleClientItem& item, bool program)
{
    struct Restore {
        int wideTextOut = UseWideTextOut;
        CDefaultFontTable fonts = CDefaultFontTable::Instance();
        ~Restore()
        {
            UseWideTextOut = wideTextOut;
            CDefaultFontTable::Instance() = fonts;
        }
    } restore;
    if (program) {
        QTemporaryDir profile;
        CVumatApp(profile.filePath("Vumat.ini").toStdString(), "Vumat").LoadSettings();
        UseWideTextOut = 0;
    }
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
    TestServerRegistration server(c.program ? QN_VUMAT_PROGRAM : QN_VUMAT_STAND_IN, "Vumat.Document");
    if (*c.start)
        server.StartMode(c.start);
    const QString pidFile = server.Folder() + "/pid";
    if (c.program) {
        // The program's settings stay in the test's folder; its window types the keys.
        qputenv("XDG_CONFIG_HOME", server.Folder().toLocal8Bit());
        qputenv("QN_VUMAT_TEST_KEYS", c.script.c_str());
    } else {
        server.Script(c.script);
        qputenv("QN_TEST_SERVER_PID", pidFile.toLocal8Bit());
    }
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
            qint64 pid = ChildNamed("Vumat");
            QFile file(pidFile);
            if (!c.program && file.open(QIODevice::ReadOnly))
                pid = file.readAll().toLongLong();
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
    qunsetenv("QN_VUMAT_TEST_KEYS");
    qunsetenv("XDG_CONFIG_HOME");

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
    ExpectConsistent(item, c.program);
}

INSTANTIATE_TEST_SUITE_P(Sequences, ChannelCase, ::testing::ValuesIn(ChannelCases()),
                         [](const ::testing::TestParamInfo<CHANNEL_CASE>& info) { return std::string(info.param.name); });
