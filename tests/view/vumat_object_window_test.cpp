// The formula editor serving a formula object of the problem editor's paper, both programs
// running: the object inserted from the view opens the formula editor's own window, where keys
// are typed (it types what QN_VUMAT_TEST_KEYS names once its window opens), and the paper's
// picture and node follow each change; a double click raises the running editor; the object's
// side file keeps data and picture; then the formula editor is killed by its process id, after
// which the paper keeps the last picture. Set QN_TEST_OUTPUT_DIR to keep the screenshots.
#include "object_window_fixture.h"
#include "platform/memory_file.h"
#include "tests/support/embedding_server.h"

#include <QFile>

#include <csignal>
#include <unistd.h>

using namespace viewtest;

namespace {

// The process id of this process's child running the named program; 0 when there is none.
pid_t ChildNamed(const QString& name)
{
    for (const QString& entry : QDir("/proc").entryList(QDir::Dirs)) {
        bool number = false;
        const int pid = entry.toInt(&number);
        if (!number)
            continue;
        QFile stat("/proc/" + entry + "/stat");
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QString text = QString::fromLocal8Bit(stat.readAll());
        const qsizetype open = text.indexOf('('), close = text.lastIndexOf(')');
        if (open < 0 || close < open)
            continue;
        const QStringList rest = text.mid(close + 2).split(' ');
        if (text.mid(open + 1, close - open - 1) == name && rest.size() > 1 && rest[1].toInt() == getpid())
            return pid_t(pid);
    }
    return 0;
}

}  // namespace

TEST(VumatObjectWindowTest, TypingInTheFormulaEditorResizesTheObjectAndAKillKeepsItsPicture)
{
    // The formula editor's own settings stay in this test's folder.
    ScopedConfigHome config;
    qputenv("QN_VUMAT_TEST_KEYS", "x^2+1");
    TestServerRegistration server(QN_VUMAT_PROGRAM, "Vumat.Document");
    COleClientItem::SetTimeouts(30000, 10000);
    ObjectWindow window("Vumat.Document");
    ASSERT_TRUE(window.Open(false));
    CSorelView& view = *window.view;
    CEditObject* object = window.InsertObject();
    ASSERT_NE(object, nullptr);
    COleClientItem* item = object->GetClientItem();
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->GetPictureKind(), Embedding::kSvgPicture);
    const std::vector<uint8_t> emptyPicture = item->GetPicture();
    const int emptyWidth = object->m_rcLayout.right - object->m_rcLayout.left;
    ASSERT_GT(emptyWidth, 0);
    window.Keep("vumat_object_1_inserted");

    // A double click on the object while its editor runs raises that editor's window.
    const QPoint inside = window.CentreOf(object);
    QTest::mouseClick(&view, Qt::LeftButton, {}, inside);
    QTest::mouseDClick(&view, Qt::LeftButton, {}, inside);
    ASSERT_TRUE(TestServerRegistration::WaitFor(
        [&] { return BytesText(item->GetStorage()).find(">1<") != std::string::npos; }, 30000))
        << BytesText(item->GetStorage());
    const std::string data = BytesText(item->GetStorage());
    // The letters of one face and style share one element.
    for (const char* piece : {">x^<", ">2<", ">+<"})
        EXPECT_NE(data.find(piece), std::string::npos) << piece << " in " << data;
    // The node took the formula's new extent and the paper the new picture.
    EXPECT_GT(object->m_rcLayout.right - object->m_rcLayout.left, emptyWidth);
    EXPECT_NE(item->GetPicture(), emptyPicture);
    EXPECT_TRUE(item->IsOpen());
    view.repaint();
    window.Keep("vumat_object_2_typed");

    // The side file the paper's package keeps gives the same object back.
    {
        CMemFile file;
        CArchive out(&file, CArchive::store);
        item->WriteSideFile(out);
        out.Close();
        CMemFile stored(file.Detach());
        CArchive in(&stored, CArchive::load);
        Embedding::OBJECT_RECORD record;
        Embedding::ReadObjectRecord(in, &record);
        EXPECT_EQ(record.className, "Vumat.Document");
        EXPECT_EQ(record.state.storage, item->GetStorage());
        EXPECT_EQ(record.state.picture, item->GetPicture());
        EXPECT_EQ(record.state.extent.cx, item->GetRecord().state.extent.cx);
    }

    // Killed, the formula editor leaves the paper its last data and picture.
    const std::vector<uint8_t> lastPicture = item->GetPicture();
    const pid_t pid = ChildNamed("Vumat");
    ASSERT_GT(pid, 0);
    ::kill(pid, SIGKILL);
    ASSERT_TRUE(TestServerRegistration::WaitFor([&] { return !item->IsOpen(); }, 20000));
    EXPECT_EQ(item->GetPicture(), lastPicture);
    EXPECT_EQ(BytesText(item->GetStorage()), data);
    EXPECT_EQ(server.linkLostNotices, 1);
    view.repaint();
    window.Keep("vumat_object_3_killed");
    qunsetenv("QN_VUMAT_TEST_KEYS");
}
