// The formula editor serving a formula object of the problem editor's paper, both programs
// running: the object inserted from the view opens the formula editor's own window, where keys
// are typed (it types what QN_VUMAT_TEST_KEYS names once its window opens), and the paper's
// picture and node follow each change; a double click raises the running editor; the object's
// side file keeps data and picture; then the formula editor is killed by its process id, after
// which the paper keeps the last picture. Set QN_TEST_OUTPUT_DIR to keep the screenshots.
#include "editor/sorel_cntr_item.h"
#include "nodes/edit_object.h"
#include "platform/memory_file.h"
#include "printfile/print_reader.h"
#include "tests/printfile/printfile_fixture.h"
#include "tests/support/embedding_server.h"
#include "view/sorel_view.h"
#include "view_fixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <unistd.h>

using namespace viewtest;

namespace {

class WindowContainer : public CContainerDocument {
public:
    explicit WindowContainer(CSorelView& view, TestDocument& document) : m_view(view), m_document(document) {}
    void UpdateAllViews(int hint, CEditNode* node) override { m_view.Controller().OnUpdate(hint, node); }
    void SetModifiedFlag(bool modified) override { m_document.modified = modified; }

private:
    CSorelView& m_view;
    TestDocument& m_document;
};

void Keep(QWidget& view, const QString& name)
{
    const QByteArray folder = qgetenv("QN_TEST_OUTPUT_DIR");
    if (folder.isEmpty())
        return;
    QTest::qWait(300);
    view.grab().save(QDir(QString::fromLocal8Bit(folder)).filePath(name + ".png"));
}

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

std::string Text(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

}  // namespace

TEST(VumatObjectWindowTest, TypingInTheFormulaEditorResizesTheObjectAndAKillKeepsItsPicture)
{
    printfiletest::RegisterPaperFaces();
    // The formula editor's own settings stay in this test's folder.
    QTemporaryDir config;
    const QByteArray formerConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    qputenv("QN_VUMAT_TEST_KEYS", "x^2+1");
    TestServerRegistration server(QN_VUMAT_PROGRAM, "Vumat.Document");
    COleClientItem::SetTimeouts(30000, 10000);
    auto former = COleClientItem::SetFactory([](COleDocument* document) -> std::unique_ptr<COleClientItem> {
        return std::make_unique<CSorelCntrItem>(dynamic_cast<CContainerDocument*>(document));
    });
    nodetest::SwitchGuard switches;
    TestDocument document;
    ASSERT_TRUE(LoadNewTemplate(document.root.get(), false));
    VIEW_SETTINGS settings;
    {
        CSorelView view(document, settings);
        document.view = &view.Controller();
        WindowContainer container(view, document);
        CEditViewController& controller = view.Controller();
        controller.m_pOleDocument = &container;
        controller.m_insertObjectDialog = [](std::string* className) {
            *className = "Vumat.Document";
            return true;
        };
        view.resize(900, 700);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
        controller.OnInitialUpdate();

        ASSERT_TRUE(controller.OnCommand(ViewCommand::kInsertObjectInline));
        auto* object = dynamic_cast<CEditObject*>(controller.GetCaret().m_caretNode->GetEditParent()->GetEditChild(0));
        ASSERT_NE(object, nullptr);
        COleClientItem* item = object->GetClientItem();
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->GetPictureKind(), Embedding::kSvgPicture);
        const std::vector<uint8_t> emptyPicture = item->GetPicture();
        const int emptyWidth = object->m_rcLayout.right - object->m_rcLayout.left;
        ASSERT_GT(emptyWidth, 0);
        Keep(view, "vumat_object_1_inserted");

        // A double click on the object while its editor runs raises that editor's window.
        RECT r = object->m_rcLayout;
        controller.LogicalToDeviceRect(&r);
        const QPoint inside((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        QTest::mouseClick(&view, Qt::LeftButton, {}, inside);
        QTest::mouseDClick(&view, Qt::LeftButton, {}, inside);
        ASSERT_TRUE(TestServerRegistration::WaitFor(
            [&] { return Text(item->GetStorage()).find(">1<") != std::string::npos; }, 30000))
            << Text(item->GetStorage());
        const std::string data = Text(item->GetStorage());
        // The letters of one face and style share one element.
        for (const char* piece : {">x^<", ">2<", ">+<"})
            EXPECT_NE(data.find(piece), std::string::npos) << piece << " in " << data;
        // The node took the formula's new extent and the paper the new picture.
        EXPECT_GT(object->m_rcLayout.right - object->m_rcLayout.left, emptyWidth);
        EXPECT_NE(item->GetPicture(), emptyPicture);
        EXPECT_TRUE(item->IsOpen());
        view.repaint();
        Keep(view, "vumat_object_2_typed");

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
        EXPECT_EQ(Text(item->GetStorage()), data);
        EXPECT_EQ(server.linkLostNotices, 1);
        view.repaint();
        Keep(view, "vumat_object_3_killed");
        document.groups.clear();
        document.root.reset();
    }
    COleClientItem::SetFactory(former);
    qunsetenv("QN_VUMAT_TEST_KEYS");
    if (formerConfig.isEmpty())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", formerConfig);
}
